#include "platform/system.h"

#include <SDL.h>
#include <fcntl.h>
#include <iconv.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace platform {

std::string ProgramFolder() {
    char buf[4096];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return ".";
    buf[n] = 0;
    std::string path(buf);
    std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return path;
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

bool SetCurrentFolder(const std::string& path) { return chdir(path.c_str()) == 0; }

bool MakeFolder(const std::string& path) {
    if (mkdir(path.c_str(), 0755) == 0) return true;
    if (errno != EEXIST) return false;
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

namespace {

std::string LockFolder() {
    if (const char* run = std::getenv("XDG_RUNTIME_DIR"); run && *run) {
        struct stat st {};
        if (stat(run, &st) == 0 && S_ISDIR(st.st_mode) && access(run, W_OK) == 0) return run;
    }
    return std::filesystem::temp_directory_path().string();
}

// File names may not hold '/'; other bytes of the (Shift-JIS) name are kept.
std::string LockFileName(const std::string& name) {
    std::string out;
    for (unsigned char c : name) out += (c == '/' || c == 0) ? '_' : static_cast<char>(c);
    if (out.empty()) out = "application";
    return out + ".lock";
}

std::string Convert(const std::string& in, const char* to, const char* from) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return in;
    std::string out;
    char* src = const_cast<char*>(in.data());
    std::size_t srcLeft = in.size();
    char buf[256];
    while (srcLeft > 0) {
        char* dst = buf;
        std::size_t dstLeft = sizeof buf;
        std::size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        out.append(buf, static_cast<std::size_t>(dst - buf));
        if (r == static_cast<std::size_t>(-1)) {
            if (errno == E2BIG) continue;
            // An unmappable or broken sequence: mark it and go on.
            out += '?';
            ++src;
            --srcLeft;
        }
    }
    iconv_close(cd);
    return out;
}

}  // namespace

SingleInstanceLock::~SingleInstanceLock() { Release(); }

bool SingleInstanceLock::Acquire(const std::string& name) {
    Release();
    std::string path = LockFolder() + "/" + LockFileName(name);
    int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return true;  // no place for a lock file: do not refuse to run
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return false;
    }
    fd_ = fd;
    return true;
}

void SingleInstanceLock::Release() {
    if (fd_ >= 0) {
        flock(fd_, LOCK_UN);
        close(fd_);
        fd_ = -1;
    }
}

namespace {
MessageBoxSink g_messageBoxSink = nullptr;
}

void SetMessageBoxSink(MessageBoxSink sink) { g_messageBoxSink = sink; }

bool ShowMessageBoxOnDisplay(std::uint32_t type, const std::string& caption, const std::string& text) {
    bool display = SDL_WasInit(SDL_INIT_VIDEO) != 0 &&
                   std::strcmp(SDL_GetCurrentVideoDriver() ? SDL_GetCurrentVideoDriver() : "dummy", "dummy") != 0;
    if (!display) {
        const char* env = std::getenv("SDL_VIDEODRIVER");
        bool dummy = env && std::strcmp(env, "dummy") == 0;
        bool anyDisplay = std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY");
        display = !dummy && anyDisplay && !SDL_WasInit(SDL_INIT_VIDEO);
    }
    if (!display) return false;
    Uint32 flags = (type & 0x10) ? SDL_MESSAGEBOX_ERROR
                 : (type & 0x30) == 0x30 ? SDL_MESSAGEBOX_WARNING
                                          : SDL_MESSAGEBOX_INFORMATION;
    const std::string c = SjisToUtf8(caption);
    const std::string t = SjisToUtf8(text);
    return SDL_ShowSimpleMessageBox(flags, c.c_str(), t.c_str(), nullptr) == 0;
}

int MessageBox(std::uint32_t type, const std::string& caption, const std::string& text) {
    if (g_messageBoxSink) {
        g_messageBoxSink(type, caption, text);
        return 1;
    }
    if (!ShowMessageBoxOnDisplay(type, caption, text)) {
        std::fprintf(stderr, "%s: %s\n", SjisToUtf8(caption).c_str(), SjisToUtf8(text).c_str());
    }
    return 1;
}

bool WriteFileAtomic(const std::string& path, const void* bytes, std::size_t size) {
    std::string tmp = path + ".tmp";
    int fd = open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    const char* p = static_cast<const char*>(bytes);
    std::size_t left = size;
    while (left > 0) {
        ssize_t n = write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            close(fd);
            unlink(tmp.c_str());
            return false;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    if (fsync(fd) != 0 || close(fd) != 0) {
        unlink(tmp.c_str());
        return false;
    }
    if (rename(tmp.c_str(), path.c_str()) != 0) {
        unlink(tmp.c_str());
        return false;
    }
    return true;
}

std::string SjisToUtf8(const std::string& sjis) { return Convert(sjis, "UTF-8", "CP932"); }
std::string Utf8ToSjis(const std::string& utf8) { return Convert(utf8, "CP932", "UTF-8"); }

}  // namespace platform
