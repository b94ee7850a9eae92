#pragma once
// Process-level services: program folder, single-copy guard, message boxes,
// folders.
#include <cstdint>
#include <string>

namespace platform {

// The folder of the running program (from /proc/self/exe), with '/' separators.
std::string ProgramFolder();
bool SetCurrentFolder(const std::string& path);
// Creates a folder; an existing one is no error.
bool MakeFolder(const std::string& path);

// Single-copy guard: an exclusive lock on a file named after `name` in the
// user's runtime folder. Returns false when another copy holds it.
class SingleInstanceLock {
public:
    SingleInstanceLock() = default;
    ~SingleInstanceLock();
    SingleInstanceLock(const SingleInstanceLock&) = delete;
    SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;
    bool Acquire(const std::string& name);
    void Release();
    bool Held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

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
