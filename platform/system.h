#pragma once
// Process-level services: program folder, single-copy guard, message boxes,
// folders.
#include <cstdint>
#include <string>

namespace platform {

// The folder of the running program (from /proc/self/exe), with '/' separators.
std::string ProgramFolder();
// The processors this process may run on (its affinity, as taskset sets it),
// at least 1.
int UsableProcessors();
bool SetCurrentFolder(const std::string& path);
// Creates a folder; an existing one is no error. False, with errno saying
// why, when it cannot be made (ENOTDIR: a file of that name is in the way).
bool MakeFolder(const std::string& path);

// Single-copy guard: an exclusive lock on the program's folder itself, where
// its save files are, so every copy started from that folder finds it
// whatever its environment; no file is made, so nothing is left behind, and
// the lock ends with the process however it ends. Acquire returns false when
// another copy holds it (true, unguarded, when the folder cannot be locked at
// all).
class SingleInstanceLock {
public:
    SingleInstanceLock() = default;
    ~SingleInstanceLock();
    SingleInstanceLock(const SingleInstanceLock&) = delete;
    SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;
    bool Acquire(const std::string& folder);
    void Release();
    bool Held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

// Leaving on a signal: after InstallLeaveSignals, SIGTERM, SIGINT and SIGHUP
// ask the program to leave as the window's close box does (the message pump
// turns the request into WM_CLOSE); a second signal ends it at once.
void InstallLeaveSignals();
// The signal that asked the program to leave; 0 when none did.
int LeaveSignal();

// A lost display (the X server ended) cannot be answered by going on: the
// display library ends the program from inside its call. The routine set here
// runs first (the program's own end-of-run saves), then the program leaves
// with status 1 and a message. Null: nothing runs first.
using DisplayLostRoutine = void (*)();
void SetDisplayLostRoutine(DisplayLostRoutine routine);
// Hooks the display library's fatal-error handler once a video driver is up
// (the X11 driver only; others need nothing).
void WatchDisplay();

// Message box with a caption and a text (both in the engine's code page, Shift-JIS,
// converted to UTF-8 for display). Shown with SDL when a display exists, written to
// standard error otherwise. Returns 1 (IDOK).
int MessageBox(std::uint32_t type, const std::string& caption, const std::string& text);
// The box alone: shown when a display exists (the sink is not asked); false
// when no box could be shown.
bool ShowMessageBoxOnDisplay(std::uint32_t type, const std::string& caption, const std::string& text);
// Tests catch message boxes here instead (null restores the normal road). The
// caption and text reach the sink as given (Shift-JIS).
using MessageBoxSink = void (*)(std::uint32_t type, const std::string& caption, const std::string& text);
void SetMessageBoxSink(MessageBoxSink sink);

// Writes `bytes` to `path` through a temporary file in the same folder that is
// flushed and renamed over the old file, so an interrupted save keeps the
// previous good file. Returns false when anything failed (the old file stays).
bool WriteFileAtomic(const std::string& path, const void* bytes, std::size_t size);

// Shift-JIS (code page 932) to UTF-8; bytes that cannot be mapped become '?'.
std::string SjisToUtf8(const std::string& sjis);
std::string Utf8ToSjis(const std::string& utf8);

}  // namespace platform
