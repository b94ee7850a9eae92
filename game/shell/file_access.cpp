#include "game/shell/file_access.h"

#include "platform/system.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include <unistd.h>

std::string JoinShellPath(const std::string& base, const std::string& name) {
    if (base.empty()) return name;
    if (base.back() == '/') return base + name;
    return base + "/" + name;
}

FileStatus ReadFileBytes(const std::string& path, std::size_t limit, std::vector<u8>& bytes,
                         std::size_t* fileSize) {
    bytes.clear();
    if (fileSize) *fileSize = 0;
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        return FileStatus::Failure("\"" + path + "\" is a folder, not a file");
    }
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        return FileStatus::Failure("cannot open \"" + path + "\": " + std::strerror(errno));
    }
    std::size_t size = 0;
    if (std::fseek(f, 0, SEEK_END) == 0) {
        long end = std::ftell(f);
        if (end > 0) size = static_cast<std::size_t>(end);
        std::fseek(f, 0, SEEK_SET);
    }
    if (fileSize) *fileSize = size;
    std::size_t want = size < limit ? size : limit;
    bytes.resize(want);
    std::size_t got = want ? std::fread(bytes.data(), 1, want, f) : 0;
    bytes.resize(got);
    bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed) return FileStatus::Failure("cannot read \"" + path + "\"");
    return FileStatus::Success();
}

FileStatus WriteFileReplacing(const std::string& path, const std::vector<u8>& bytes) {
    if (!platform::WriteFileAtomic(path, bytes.data(), bytes.size())) {
        const std::string why = std::strerror(errno);
        std::error_code ec;
        const bool old = std::filesystem::exists(path, ec);
        return FileStatus::Failure("cannot save \"" + path + "\": " + why + (old ? "; the old file is unchanged" : ""));
    }
    return FileStatus::Success();
}
