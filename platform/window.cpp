#include "platform/window.h"

#include <SDL.h>

#include <deque>
#include <mutex>

#include "platform/system.h"

namespace platform {
namespace {

bool g_videoStarted = false;
bool g_headless = false;
SDL_Window* g_window = nullptr;
WindowProcFn g_proc = nullptr;
bool g_focus = true;

std::mutex g_queueLock;
std::deque<Msg> g_queue;

void Enqueue(const Msg& m) {
    std::lock_guard<std::mutex> lock(g_queueLock);
    g_queue.push_back(m);
}

// SDL key code to Windows virtual-key code; 0 when the key has none we use.
std::uint32_t VirtualKeyOf(SDL_Keycode key) {
    if (key >= SDLK_a && key <= SDLK_z) return 'A' + static_cast<std::uint32_t>(key - SDLK_a);
    if (key >= SDLK_0 && key <= SDLK_9) return '0' + static_cast<std::uint32_t>(key - SDLK_0);
    if (key >= SDLK_F1 && key <= SDLK_F12) return 0x70 + static_cast<std::uint32_t>(key - SDLK_F1);
    switch (key) {
        case SDLK_ESCAPE: return VK_ESCAPE;
        case SDLK_LEFT: return VK_LEFT;
        case SDLK_UP: return VK_UP;
        case SDLK_RIGHT: return VK_RIGHT;
        case SDLK_DOWN: return VK_DOWN;
        case SDLK_RETURN:
        case SDLK_KP_ENTER: return 0x0D;
        case SDLK_SPACE: return 0x20;
        case SDLK_BACKSPACE: return 0x08;
        case SDLK_TAB: return 0x09;
        case SDLK_LSHIFT:
        case SDLK_RSHIFT: return 0x10;
        case SDLK_LCTRL:
        case SDLK_RCTRL: return 0x11;
        case SDLK_LALT:
        case SDLK_RALT: return 0x12;
        case SDLK_PAUSE: return 0x13;
        case SDLK_PAGEUP: return 0x21;
        case SDLK_PAGEDOWN: return 0x22;
        case SDLK_END: return 0x23;
        case SDLK_HOME: return 0x24;
        case SDLK_INSERT: return 0x2D;
        case SDLK_DELETE: return 0x2E;
        default: return 0;
    }
}

std::intptr_t PackPoint(int x, int y) {
    return static_cast<std::intptr_t>((static_cast<std::uint32_t>(y & 0xFFFF) << 16) |
                                      static_cast<std::uint32_t>(x & 0xFFFF));
}

void Translate(const SDL_Event& e) {
    switch (e.type) {
        case SDL_QUIT: Enqueue({WM_CLOSE, 0, 0}); break;
        case SDL_WINDOWEVENT:
            switch (e.window.event) {
                case SDL_WINDOWEVENT_CLOSE: Enqueue({WM_CLOSE, 0, 0}); break;
                case SDL_WINDOWEVENT_FOCUS_GAINED:
                    g_focus = true;
                    Enqueue({WM_ACTIVATEAPP, 1, 0});
                    break;
                case SDL_WINDOWEVENT_FOCUS_LOST:
                    g_focus = false;
                    Enqueue({WM_ACTIVATEAPP, 0, 0});
                    break;
                case SDL_WINDOWEVENT_MOVED: Enqueue({WM_MOVE, 0, PackPoint(e.window.data1, e.window.data2)}); break;
                default: break;
            }
            break;
        case SDL_KEYDOWN:
        case SDL_KEYUP: {
            std::uint32_t vk = VirtualKeyOf(e.key.keysym.sym);
            if (vk != 0) {
                std::intptr_t lParam = e.key.repeat ? (1 << 30) : 0;
                Enqueue({e.type == SDL_KEYDOWN ? WM_KEYDOWN : WM_KEYUP, vk, lParam});
            }
            break;
        }
        case SDL_TEXTINPUT: {
            // The engine takes text as code page 932 bytes, one WM_CHAR each.
            std::string sjis = Utf8ToSjis(e.text.text);
            for (unsigned char c : sjis) Enqueue({WM_CHAR, c, 1});
            break;
        }
        case SDL_MOUSEWHEEL: {
            int delta = e.wheel.y * 120;
            if (e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) delta = -delta;
            std::uintptr_t wParam = static_cast<std::uintptr_t>(static_cast<std::uint32_t>(delta & 0xFFFF) << 16);
            Enqueue({WM_MOUSEWHEEL, wParam, 0});
            break;
        }
        case SDL_MOUSEBUTTONDOWN:
            if (e.button.clicks == 2) {
                std::intptr_t at = PackPoint(e.button.x, e.button.y);
                if (e.button.button == SDL_BUTTON_LEFT) Enqueue({WM_LBUTTONDBLCLK, 0, at});
                if (e.button.button == SDL_BUTTON_RIGHT) Enqueue({WM_RBUTTONDBLCLK, 0, at});
                if (e.button.button == SDL_BUTTON_MIDDLE) Enqueue({WM_MBUTTONDBLCLK, 0, at});
            }
            break;
        default: break;
    }
}

bool g_leavePosted = false;

void DrainSdlEvents() {
    // A signal's request to leave arrives as the close box's message, once.
    if (LeaveSignal() != 0 && !g_leavePosted) {
        g_leavePosted = true;
        Enqueue({WM_CLOSE, 0, 0});
    }
    if (!g_videoStarted) return;
    SDL_Event e;
    while (SDL_PollEvent(&e)) Translate(e);
}

}  // namespace

bool InitVideo(bool headless, std::string& error) {
    if (g_videoStarted) return true;
    g_headless = headless;
    if (headless) {
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "dummy");
        SDL_SetHint(SDL_HINT_AUDIODRIVER, "dummy");
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
    }
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        error = SDL_GetError();
        return false;
    }
    WatchDisplay();
    g_videoStarted = true;
    return true;
}

void ShutdownVideo() {
    if (g_window) {
        SDL_DestroyWindow(g_window);
        g_window = nullptr;
    }
    if (g_videoStarted) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
        g_videoStarted = false;
    }
    g_proc = nullptr;
    g_leavePosted = false;
    ClearAppMessages();
}

bool IsHeadless() { return g_headless; }

bool CreateMainWindow(const WindowDesc& desc, WindowProcFn proc) {
    if (!g_videoStarted) return false;
    Uint32 flags = SDL_WINDOW_SHOWN;
    if (desc.fullScreen) flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    g_window = SDL_CreateWindow(desc.title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, desc.clientWidth,
                                desc.clientHeight, flags);
    if (!g_window) return false;
    g_proc = proc;
    g_focus = true;
    SendAppMessage(WM_CREATE);
    if (!g_headless) SDL_RaiseWindow(g_window);
    return true;
}

bool HasMainWindow() { return g_window != nullptr; }

void DestroyMainWindow() {
    if (!g_window) return;
    SendAppMessage(WM_DESTROY);
    SDL_DestroyWindow(g_window);
    g_window = nullptr;
}

void SetFullScreen(bool fullScreen) {
    if (g_window) SDL_SetWindowFullscreen(g_window, fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
}

void SetCursorVisible(bool visible) {
    if (g_videoStarted) SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
}

void* NativeWindow() { return g_window; }

void PostAppMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    Enqueue({message, wParam, lParam});
}

void PostQuitMessage(int exitCode) { Enqueue({WM_QUIT, static_cast<std::uintptr_t>(exitCode), 0}); }

bool PeekAppMessage(Msg& out) {
    DrainSdlEvents();
    std::lock_guard<std::mutex> lock(g_queueLock);
    if (g_queue.empty()) return false;
    out = g_queue.front();
    g_queue.pop_front();
    return true;
}

void WaitAppMessage(int timeoutMs) {
    {
        std::lock_guard<std::mutex> lock(g_queueLock);
        if (!g_queue.empty()) return;
    }
    if (!g_videoStarted || (LeaveSignal() != 0 && !g_leavePosted)) return;
    SDL_Event e;
    if (SDL_WaitEventTimeout(&e, timeoutMs)) Translate(e);
}

void DispatchAppMessage(const Msg& msg) {
    if (g_proc) g_proc(msg);
}

void SendAppMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    if (g_proc) g_proc(Msg{message, wParam, lParam});
}

void ClearAppMessages() {
    std::lock_guard<std::mutex> lock(g_queueLock);
    g_queue.clear();
}

bool WindowHasFocus() { return g_window != nullptr && g_focus; }

}  // namespace platform
