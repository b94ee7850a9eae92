#pragma once
// The main window and its message queue: our stand-in for the Win32 window,
// message pump and window procedure. SDL events are turned into messages with
// Win32 numbers and virtual-key codes, so the engine handles them as it would
// on Windows.
#include <cstdint>
#include <string>

namespace platform {

// Win32 message numbers the engine uses.
enum : std::uint32_t {
    WM_CREATE = 0x0001,
    WM_DESTROY = 0x0002,
    WM_MOVE = 0x0003,
    WM_CLOSE = 0x0010,
    WM_QUIT = 0x0012,
    WM_ACTIVATEAPP = 0x001C,
    WM_KEYDOWN = 0x0100,
    WM_KEYUP = 0x0101,
    WM_CHAR = 0x0102,
    WM_LBUTTONDBLCLK = 0x0203,
    WM_RBUTTONDBLCLK = 0x0206,
    WM_MBUTTONDBLCLK = 0x0209,
    WM_MOUSEWHEEL = 0x020A,
    MM_MCINOTIFY = 0x03B9,
    WM_USER = 0x0400,
};

// Windows virtual-key codes the game and engine use.
enum : std::uint32_t {
    VK_ESCAPE = 0x1B,
    VK_LEFT = 0x25,
    VK_UP = 0x26,
    VK_RIGHT = 0x27,
    VK_DOWN = 0x28,
};

struct Msg {
    std::uint32_t message = 0;
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
};

using WindowProcFn = void (*)(const Msg& msg);

struct WindowDesc {
    std::string title;  // UTF-8
    int clientWidth = 640;
    int clientHeight = 480;
    bool fullScreen = false;  // desktop-sized, picture scaled with aspect kept
    bool showCursor = false;
};

// Starts SDL's video and events (dummy drivers when headless). Returns false
// with a message in `error` when no video driver can be started.
bool InitVideo(bool headless, std::string& error);
void ShutdownVideo();
bool IsHeadless();

// Creates the one main window; `proc` receives every dispatched or sent message
// (WM_CREATE is sent from inside this call). Returns false when it failed.
bool CreateMainWindow(const WindowDesc& desc, WindowProcFn proc);
bool HasMainWindow();
void DestroyMainWindow();  // sends WM_DESTROY, then closes the SDL window
void SetFullScreen(bool fullScreen);
void SetCursorVisible(bool visible);
// The SDL_Window* of the main window as an opaque pointer, for the platform's
// own presenter. Null when there is no window.
void* NativeWindow();

// The message queue. Posting is thread-safe; everything else runs on the main
// thread.
void PostAppMessage(std::uint32_t message, std::uintptr_t wParam = 0, std::intptr_t lParam = 0);
void PostQuitMessage(int exitCode);
// Moves waiting SDL events into the queue, then takes the first message.
bool PeekAppMessage(Msg& out);
// Sleeps until an event or a posted message arrives (or `timeoutMs` passes).
void WaitAppMessage(int timeoutMs);
void DispatchAppMessage(const Msg& msg);  // calls the window procedure
void SendAppMessage(std::uint32_t message, std::uintptr_t wParam = 0, std::intptr_t lParam = 0);
// Drops every queued message (tests).
void ClearAppMessages();

// Whether the window currently has the keyboard focus.
bool WindowHasFocus();

}  // namespace platform
