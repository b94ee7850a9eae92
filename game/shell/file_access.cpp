#include "game/shell/file_access.h"

#include "platform/regular_file.h"
#include "platform/system.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <system_error>

std::string JoinShellPath(const std::string& base, const std::string& name) {
    if (base.empty()) return name;
    if (base.back() == '/') return base + name;
    return base + "/" + name;
}

FileStatus ReadFileBytes(const std::string& path, std::size_t limit, std::vector<u8>& bytes, std::size_t* fileSize) {
    platform::FileOpenError error;
    std::uint64_t size = 0;
    const bool read = platform::ReadRegularFile(path, limit, bytes, &error, &size);
    if (fileSize) *fileSize = static_cast<std::size_t>(size);
    if (!read) return FileStatus::Failure("cannot read \"" + path + "\": " + error.reason);
    return FileStatus::Success();
}

namespace {

// The held save files, by absolute path, each with why it could not be read.
std::map<std::string, std::string>& HeldFiles() {
    static std::map<std::string, std::string> held;
    return held;
}

std::string HoldKey(const std::string& path) {
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    return ec ? path : absolute.lexically_normal().string();
}

}  // namespace

SaveFileRead ReadSaveFile(const std::string& path, std::size_t limit, const std::string& what) {
    SaveFileRead result;
    platform::FileOpenError error;
    const std::string key = HoldKey(path);
    if (platform::ReadRegularFile(path, limit, result.bytes, &error)) {
        HeldFiles().erase(key);
        result.outcome = SaveFileRead::kRead;
    } else if (error.missing) {
        HeldFiles().erase(key);
        result.outcome = SaveFileRead::kMissing;
        result.message = "cannot read \"" + path + "\": " + error.reason;
    } else {
        HeldFiles()[key] = error.reason;
        result.outcome = SaveFileRead::kUnreadable;
        result.message = "cannot read \"" + path + "\": " + error.reason + "; the game goes on with the default " +
                         what + " and leaves the file as it is (it is not saved in this run)";
    }
    return result;
}

FileStatus WriteFileReplacing(const std::string& path, const std::vector<u8>& bytes) {
    const auto held = HeldFiles().find(HoldKey(path));
    if (held != HeldFiles().end()) {
        return FileStatus::Failure("\"" + path + "\" is not saved: it could not be read at the start (" + held->second +
                                   "), and it is left as it is");
    }
    if (!platform::WriteFileAtomic(path, bytes.data(), bytes.size())) {
        const std::string why = std::strerror(errno);
        std::error_code ec;
        const bool old = std::filesystem::exists(path, ec);
        return FileStatus::Failure("cannot save \"" + path + "\": " + why + (old ? "; the old file is unchanged" : ""));
    }
    return FileStatus::Success();
}
