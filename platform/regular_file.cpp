#include "platform/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/fault_points.h"

namespace platform {
namespace {

// What a name that is not a regular file is, in words.
std::string KindOf(mode_t mode) {
    if (S_ISDIR(mode)) return "it is a folder, not a file";
    const char* kind = S_ISFIFO(mode)   ? "a FIFO"
                       : S_ISCHR(mode)  ? "a character device"
                       : S_ISBLK(mode)  ? "a block device"
                       : S_ISSOCK(mode) ? "a socket"
                                        : "not a plain file";
    return std::string("it is ") + kind + ", not a regular file";
}

std::FILE* Refuse(FileOpenError* error, bool missing, std::string reason) {
    if (error) *error = FileOpenError{missing, std::move(reason)};
    return nullptr;
}

}  // namespace

std::FILE* OpenRegularFile(const std::string& path, FileOpenError* error) {
    // The type is looked at before the open, so that a device is never
    // opened at all...
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) {
        const int e = errno;
        return Refuse(error, e == ENOENT || e == ENOTDIR, std::strerror(e));
    }
    if (!S_ISREG(st.st_mode)) return Refuse(error, false, KindOf(st.st_mode));
    // ... and again on what was opened, without waiting, in case the name was
    // replaced in between.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        const int e = errno;
        return Refuse(error, e == ENOENT || e == ENOTDIR, std::strerror(e));
    }
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const std::string reason = KindOf(st.st_mode);
        close(fd);
        return Refuse(error, false, reason);
    }
    // A regular file never waits; its reads go on as usual without the flag.
    const int flags = fcntl(fd, F_GETFL);
    if (flags >= 0) fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    std::FILE* file = fdopen(fd, "rb");
    if (!file) {
        const int e = errno;
        close(fd);
        return Refuse(error, false, std::strerror(e));
    }
    return file;
}

bool ReadRegularFile(const std::string& path, std::size_t limit, std::vector<std::uint8_t>& bytes, FileOpenError* error,
                     std::uint64_t* fileSize) {
    bytes.clear();
    if (fileSize) *fileSize = 0;
    std::FILE* file = OpenRegularFile(path, error);
    if (!file) return false;
    struct stat st {};
    const std::uint64_t size =
        fstat(fileno(file), &st) == 0 && st.st_size > 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
    if (fileSize) *fileSize = size;
    bytes.resize(static_cast<std::size_t>(size < limit ? size : limit));
    std::size_t got = 0;
    int readError = 0;
    if (FaultSet(Fault::ReadError)) {
        readError = EIO;
    } else if (!bytes.empty()) {
        errno = 0;
        got = std::fread(bytes.data(), 1, bytes.size(), file);
        if (std::ferror(file)) readError = errno ? errno : EIO;
    }
    std::fclose(file);
    if (readError != 0) {
        bytes.clear();
        Refuse(error, false, std::strerror(readError));
        return false;
    }
    bytes.resize(got);
    return true;
}

}  // namespace platform
