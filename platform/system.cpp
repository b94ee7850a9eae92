#include "platform/system.h"

#include <SDL.h>
#include <dlfcn.h>
#include <sched.h>
#include <fcntl.h>
#include <iconv.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "platform/fault_points.h"
#include "platform/window.h"

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

int UsableProcessors() {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) == 0) return std::max(1, CPU_COUNT(&set));
    return std::max(1u, std::thread::hardware_concurrency());
}

bool SetCurrentFolder(const std::string& path) { return chdir(path.c_str()) == 0; }

bool MakeFolder(const std::string& path) {
    if (mkdir(path.c_str(), 0755) == 0) return true;
    if (errno != EEXIST) return false;
    struct stat st {};
    if (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return true;
    errno = ENOTDIR;  // something that is not a folder has the name
    return false;
}

namespace {

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

bool SingleInstanceLock::Acquire(const std::string& folder) {
    Release();
    const int fd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return true;  // nothing to lock: do not refuse to run
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool held = errno == EWOULDBLOCK;
        close(fd);
        return !held;  // a file system without locks does not refuse either
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

volatile std::sig_atomic_t g_leaveSignal = 0;

void OnLeaveSignal(int signal) {
    if (g_leaveSignal == 0) g_leaveSignal = signal;
}

DisplayLostRoutine g_displayLostRoutine = nullptr;

// The display library's handler of a broken connection. It must not return
// (the library would end the program through exit(), whose handlers wait on
// threads that never finish), so it leaves with _exit.
int OnDisplayLost(void*) {
    static bool leaving = false;
    if (!leaving) {
        leaving = true;
        std::fprintf(stderr, "tolvarin: the display went away; leaving\n");
        if (g_displayLostRoutine) g_displayLostRoutine();
    }
    std::fflush(nullptr);
    _exit(1);
}

}  // namespace

void InstallLeaveSignals() {
    // SDL's own handlers would turn the signals into its quit event; these
    // stand in their place.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    struct sigaction action {};
    action.sa_handler = OnLeaveSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND;  // a second signal ends the program at once
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) sigaction(signal, &action, nullptr);
}

int LeaveSignal() { return g_leaveSignal; }

void SetDisplayLostRoutine(DisplayLostRoutine routine) { g_displayLostRoutine = routine; }

void WatchDisplay() {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver == nullptr || std::strcmp(driver, "x11") != 0) return;
    // SDL loads the X library itself; its handler is set through the copy
    // already loaded.
    void* x11 = dlopen("libX11.so.6", RTLD_NOW | RTLD_NOLOAD);
    if (x11 == nullptr) return;
    using IoErrorHandler = int (*)(void*);
    using SetIoErrorHandler = IoErrorHandler (*)(IoErrorHandler);
    if (auto set = reinterpret_cast<SetIoErrorHandler>(dlsym(x11, "XSetIOErrorHandler"))) set(OnDisplayLost);
    dlclose(x11);
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
    Uint32 flags = (type & 0x10)           ? SDL_MESSAGEBOX_ERROR
                   : (type & 0x30) == 0x30 ? SDL_MESSAGEBOX_WARNING
                                           : SDL_MESSAGEBOX_INFORMATION;
    const std::string c = SjisToUtf8(caption);
    const std::string t = SjisToUtf8(text);
    // Over the game's window when there is one, so that a full-screen game
    // does not hide the box it waits on.
    return SDL_ShowSimpleMessageBox(flags, c.c_str(), t.c_str(), static_cast<SDL_Window*>(NativeWindow())) == 0;
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
    if (FaultSet(Fault::SaveFolderReadOnly)) {
        errno = EROFS;
        return false;
    }
    // Never waits: a FIFO left under the temporary name fails the save
    // (ENXIO) instead of holding the game until something reads it.
    int fd = open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NONBLOCK, 0644);
    if (fd < 0) return false;
    const char* p = static_cast<const char*>(bytes);
    std::size_t left = size;
    while (left > 0) {
        ssize_t n = FaultSet(Fault::SaveDiskFull) ? (errno = ENOSPC, -1) : write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            const int error = errno;
            close(fd);
            unlink(tmp.c_str());
            errno = error;  // the caller's message says why
            return false;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    // Both are done: a failed flush must not leave the file open.
    const bool flushed = fsync(fd) == 0;
    const int flushError = errno;
    if (close(fd) != 0 || !flushed) {
        const int error = flushed ? errno : flushError;
        unlink(tmp.c_str());
        errno = error;
        return false;
    }
    if (rename(tmp.c_str(), path.c_str()) != 0) {
        const int error = errno;
        unlink(tmp.c_str());
        errno = error;
        return false;
    }
    return true;
}

std::string SjisToUtf8(const std::string& sjis) { return Convert(sjis, "UTF-8", "CP932"); }
std::string Utf8ToSjis(const std::string& utf8) { return Convert(utf8, "CP932", "UTF-8"); }

}  // namespace platform
