// Opens a window and prints the game's input mask whenever it changes, with
// the joystick state behind it. Arrows, Z, X, V, C, A, S, T and joystick 0
// change the mask; Escape or closing the window ends it.
//
//   input_probe [--frames N]   (N > 0 ends after N frames; headless without a display)
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/app/input.h"
#include "engine/core/application.h"
#include "game/shell/input.h"
#include "game/shell/save_files.h"
#include "platform/clock.h"
#include "platform/window.h"

namespace {

bool g_running = true;

void Proc(const platform::Msg& msg) {
    switch (msg.message) {
        case platform::WM_ACTIVATEAPP: App().active = msg.wParam != 0 ? 1 : 0; break;
        case platform::WM_CLOSE: g_running = false; break;
        case platform::WM_KEYDOWN:
            if (msg.wParam == platform::VK_ESCAPE) g_running = false;
            break;
        default: break;
    }
}

std::string Names(u16 word) {
    static const char* const kNames[] = {"Up", "Down", "Left", "Right", "Z", "X", "V", "C", "A", "S", "T"};
    std::string out;
    for (int bit = 0; bit < 11; ++bit) {
        if (word & (1u << bit)) {
            if (!out.empty()) out += ' ';
            out += kNames[bit];
        }
    }
    return out.empty() ? "-" : out;
}

}  // namespace

int main(int argc, char** argv) {
    long frames = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--frames") == 0 && i + 1 < argc) frames = std::atol(argv[++i]);
    }
    bool headless = std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr;
    std::string error;
    if (!platform::InitVideo(headless, error)) {
        std::fprintf(stderr, "input_probe: %s\n", error.c_str());
        return 1;
    }
    platform::WindowDesc desc;
    desc.title = "Input probe";
    desc.showCursor = true;
    if (!platform::CreateMainWindow(desc, Proc)) {
        std::fprintf(stderr, "input_probe: no window\n");
        platform::ShutdownVideo();
        return 1;
    }
    g_ConfigData = DefaultConfigData();
    if (!InitializeDirectInput()) std::fprintf(stderr, "input_probe: no input system\n");
    std::printf("joysticks: %d, joystick 0 %s\n", GetInputState().joystickCount,
                IsJoystickPresent(0) ? "present" : "absent");

    u16 last = 0xFFFF;
    for (long frame = 0; g_running && (frames <= 0 || frame < frames); ++frame) {
        platform::Msg msg;
        while (platform::PeekAppMessage(msg)) platform::DispatchAppMessage(msg);
        u8 bits[2];
        ReadInputBits(0, bits);
        u16 word = InputWord(bits);
        if (word != last) {
            JoystickState pad;
            InputGetJoystickState(0, &pad);
            std::printf("frame %ld mask %04X %-28s pad x %6d y %6d hat %d\n", frame, word, Names(word).c_str(), pad.x,
                        pad.y, pad.pov[0]);
            std::fflush(stdout);
            last = word;
        }
        platform::Sleep(16);
    }
    DestroyDirectInput();
    platform::DestroyMainWindow();
    platform::ShutdownVideo();
    return 0;
}
