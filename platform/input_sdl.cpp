// The SDL input source: keyboard and mouse from SDL's state, joysticks through
// SDL's game-controller API (the standard pad layout) or, for devices SDL has
// no mapping for, its plain joystick API.
#include <SDL.h>

#include <algorithm>
#include <vector>

#include "platform/input.h"

namespace platform {
namespace {

struct Device {
    SDL_GameController* controller = nullptr;
    SDL_Joystick* joystick = nullptr;
};

// Buttons of a game controller in the order a pad reports them as a joystick.
constexpr SDL_GameControllerButton kControllerButtons[16] = {
    // clang-format off
    SDL_CONTROLLER_BUTTON_A,           SDL_CONTROLLER_BUTTON_B,
    SDL_CONTROLLER_BUTTON_X,           SDL_CONTROLLER_BUTTON_Y,
    SDL_CONTROLLER_BUTTON_LEFTSHOULDER, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER,
    SDL_CONTROLLER_BUTTON_BACK,        SDL_CONTROLLER_BUTTON_START,
    SDL_CONTROLLER_BUTTON_LEFTSTICK,   SDL_CONTROLLER_BUTTON_RIGHTSTICK,
    SDL_CONTROLLER_BUTTON_GUIDE,       SDL_CONTROLLER_BUTTON_MISC1,
    SDL_CONTROLLER_BUTTON_PADDLE1,     SDL_CONTROLLER_BUTTON_PADDLE2,
    SDL_CONTROLLER_BUTTON_PADDLE3,     SDL_CONTROLLER_BUTTON_PADDLE4,
    // clang-format on
};

bool ScancodeDown(SDL_Scancode code) {
    int count = 0;
    const Uint8* state = SDL_GetKeyboardState(&count);
    return state && code > SDL_SCANCODE_UNKNOWN && code < count && state[code] != 0;
}

// A key that follows the keyboard layout (letters and digits, as Windows'
// virtual keys do); the US position when the layout has no such key.
bool KeyDown(SDL_Keycode key, SDL_Scancode fallback) {
    SDL_Scancode code = SDL_GetScancodeFromKey(key);
    if (code == SDL_SCANCODE_UNKNOWN) code = fallback;
    return ScancodeDown(code);
}

class SdlSource : public InputSource {
public:
    bool Start() override {
        if (started_) return true;
        // The focus is handled here (devices are unacquired without it), so
        // SDL is asked to keep the state of every device current.
        SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
        if (SDL_InitSubSystem(SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER) != 0) return false;
        started_ = true;
        return true;
    }

    void Stop() override {
        for (int i = 0; i < static_cast<int>(devices_.size()); ++i) CloseJoystick(i);
        devices_.clear();
        if (started_) {
            SDL_QuitSubSystem(SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER);
            started_ = false;
        }
    }

    bool HasFocus() override { return WindowHasFocus(); }

    bool VirtualKeyDown(std::uint32_t vk) override {
        if (vk >= 'A' && vk <= 'Z') {
            int i = static_cast<int>(vk - 'A');
            return KeyDown(SDLK_a + i, static_cast<SDL_Scancode>(SDL_SCANCODE_A + i));
        }
        if (vk >= '1' && vk <= '9') {
            int i = static_cast<int>(vk - '1');
            return KeyDown(SDLK_1 + i, static_cast<SDL_Scancode>(SDL_SCANCODE_1 + i));
        }
        if (vk == '0') return KeyDown(SDLK_0, SDL_SCANCODE_0);
        if (vk >= 0x70 && vk <= 0x7B) {
            return ScancodeDown(static_cast<SDL_Scancode>(SDL_SCANCODE_F1 + static_cast<int>(vk - 0x70)));
        }
        switch (vk) {
            case VK_LBUTTON: return MouseDown(SDL_BUTTON_LEFT);
            case VK_RBUTTON: return MouseDown(SDL_BUTTON_RIGHT);
            case VK_MBUTTON: return MouseDown(SDL_BUTTON_MIDDLE);
            case VK_ESCAPE: return ScancodeDown(SDL_SCANCODE_ESCAPE);
            case VK_LEFT: return ScancodeDown(SDL_SCANCODE_LEFT);
            case VK_UP: return ScancodeDown(SDL_SCANCODE_UP);
            case VK_RIGHT: return ScancodeDown(SDL_SCANCODE_RIGHT);
            case VK_DOWN: return ScancodeDown(SDL_SCANCODE_DOWN);
            case 0x08: return ScancodeDown(SDL_SCANCODE_BACKSPACE);
            case 0x09: return ScancodeDown(SDL_SCANCODE_TAB);
            case 0x0D: return ScancodeDown(SDL_SCANCODE_RETURN) || ScancodeDown(SDL_SCANCODE_KP_ENTER);
            case 0x10: return ScancodeDown(SDL_SCANCODE_LSHIFT) || ScancodeDown(SDL_SCANCODE_RSHIFT);
            case 0x11: return ScancodeDown(SDL_SCANCODE_LCTRL) || ScancodeDown(SDL_SCANCODE_RCTRL);
            case 0x12: return ScancodeDown(SDL_SCANCODE_LALT) || ScancodeDown(SDL_SCANCODE_RALT);
            case 0x13: return ScancodeDown(SDL_SCANCODE_PAUSE);
            case 0x20: return ScancodeDown(SDL_SCANCODE_SPACE);
            case 0x21: return ScancodeDown(SDL_SCANCODE_PAGEUP);
            case 0x22: return ScancodeDown(SDL_SCANCODE_PAGEDOWN);
            case 0x23: return ScancodeDown(SDL_SCANCODE_END);
            case 0x24: return ScancodeDown(SDL_SCANCODE_HOME);
            case 0x2D: return ScancodeDown(SDL_SCANCODE_INSERT);
            case 0x2E: return ScancodeDown(SDL_SCANCODE_DELETE);
            case 0xA0: return ScancodeDown(SDL_SCANCODE_LSHIFT);
            case 0xA1: return ScancodeDown(SDL_SCANCODE_RSHIFT);
            case 0xA2: return ScancodeDown(SDL_SCANCODE_LCTRL);
            case 0xA3: return ScancodeDown(SDL_SCANCODE_RCTRL);
            case 0xA4: return ScancodeDown(SDL_SCANCODE_LALT);
            case 0xA5: return ScancodeDown(SDL_SCANCODE_RALT);
            default: return false;
        }
    }

    void CursorPosition(int& x, int& y) override { SDL_GetMouseState(&x, &y); }

    int JoystickCount() override { return started_ ? std::max(0, SDL_NumJoysticks()) : 0; }

    int OpenJoystick(int index) override {
        if (!started_ || index < 0 || index >= SDL_NumJoysticks()) return -1;
        Device d;
        if (SDL_IsGameController(index)) {
            d.controller = SDL_GameControllerOpen(index);
            if (d.controller) d.joystick = SDL_GameControllerGetJoystick(d.controller);
        }
        if (!d.joystick) {
            if (d.controller) SDL_GameControllerClose(d.controller);
            d.controller = nullptr;
            d.joystick = SDL_JoystickOpen(index);
        }
        if (!d.joystick) return -1;
        for (std::size_t i = 0; i < devices_.size(); ++i) {
            if (!devices_[i].joystick) {
                devices_[i] = d;
                return static_cast<int>(i);
            }
        }
        devices_.push_back(d);
        return static_cast<int>(devices_.size() - 1);
    }

    void CloseJoystick(int device) override {
        Device* d = Find(device);
        if (!d) return;
        if (d->controller) {
            SDL_GameControllerClose(d->controller);
        } else {
            SDL_JoystickClose(d->joystick);
        }
        *d = Device{};
    }

    bool JoystickCapabilities(int device, JoystickCaps& caps) override {
        Device* d = Find(device);
        if (!d) return false;
        caps = JoystickCaps{};
        caps.polled = true;  // SDL's state moves only when it is updated
        caps.forceFeedback = SDL_JoystickHasRumble(d->joystick) == SDL_TRUE;
        const char* name = SDL_JoystickName(d->joystick);
        caps.name = name ? name : "";
        if (d->controller) {
            caps.axisMask =
                (1u << kJoyAxisX) | (1u << kJoyAxisY) | (1u << kJoyAxisZ) | (1u << kJoyAxisRx) | (1u << kJoyAxisRy);
            caps.buttonCount = 16;
            caps.povCount = 1;
        } else {
            int axes = std::clamp(SDL_JoystickNumAxes(d->joystick), 0, static_cast<int>(kJoyAxisCount));
            caps.axisMask = (1u << axes) - 1u;
            caps.buttonCount = std::clamp(SDL_JoystickNumButtons(d->joystick), 0, 16);
            caps.povCount = std::clamp(SDL_JoystickNumHats(d->joystick), 0, 4);
        }
        return true;
    }

    bool JoystickAxisRange(int device, int axis, std::int32_t& minimum, std::int32_t& maximum) override {
        JoystickCaps caps;
        if (!JoystickCapabilities(device, caps) || axis < 0 || axis >= kJoyAxisCount ||
            !(caps.axisMask & (1u << axis))) {
            return false;
        }
        minimum = SDL_JOYSTICK_AXIS_MIN;
        maximum = SDL_JOYSTICK_AXIS_MAX;
        return true;
    }

    void PollJoystick(int device) override {
        if (Find(device)) SDL_JoystickUpdate();
    }

    bool ReadJoystick(int device, JoystickData& out) override {
        Device* d = Find(device);
        if (!d || !SDL_JoystickGetAttached(d->joystick)) return false;
        out = JoystickData{};
        if (d->controller) {
            SDL_GameController* c = d->controller;
            out.axes[kJoyAxisX] = SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_LEFTX);
            out.axes[kJoyAxisY] = SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_LEFTY);
            // Both triggers on one axis, the left one pushing it down.
            out.axes[kJoyAxisZ] = SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_TRIGGERRIGHT) -
                                  SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_TRIGGERLEFT);
            out.axes[kJoyAxisRx] = SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_RIGHTX);
            out.axes[kJoyAxisRy] = SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_RIGHTY);
            out.pov[0] = PovFromDirections(SDL_GameControllerGetButton(c, SDL_CONTROLLER_BUTTON_DPAD_UP) != 0,
                                           SDL_GameControllerGetButton(c, SDL_CONTROLLER_BUTTON_DPAD_RIGHT) != 0,
                                           SDL_GameControllerGetButton(c, SDL_CONTROLLER_BUTTON_DPAD_DOWN) != 0,
                                           SDL_GameControllerGetButton(c, SDL_CONTROLLER_BUTTON_DPAD_LEFT) != 0);
            for (int b = 0; b < 16; ++b) {
                out.buttons[b] = SDL_GameControllerGetButton(c, kControllerButtons[b]) ? kButtonPressed : 0;
            }
            return true;
        }
        SDL_Joystick* j = d->joystick;
        int axes = std::min(SDL_JoystickNumAxes(j), static_cast<int>(kJoyAxisCount));
        for (int a = 0; a < axes; ++a) {
            std::int32_t value = SDL_JoystickGetAxis(j, a);
            if (a < 6) {
                out.axes[a] = value;
            } else {
                out.sliders[a - 6] = value;
            }
        }
        int hats = std::min(SDL_JoystickNumHats(j), 4);
        for (int h = 0; h < hats; ++h) {
            Uint8 hat = SDL_JoystickGetHat(j, h);
            out.pov[h] = PovFromDirections((hat & SDL_HAT_UP) != 0, (hat & SDL_HAT_RIGHT) != 0,
                                           (hat & SDL_HAT_DOWN) != 0, (hat & SDL_HAT_LEFT) != 0);
        }
        int buttons = std::min(SDL_JoystickNumButtons(j), 16);
        for (int b = 0; b < buttons; ++b) {
            out.buttons[b] = SDL_JoystickGetButton(j, b) ? kButtonPressed : 0;
        }
        return true;
    }

private:
    static bool MouseDown(int button) { return (SDL_GetMouseState(nullptr, nullptr) & SDL_BUTTON(button)) != 0; }

    Device* Find(int device) {
        if (device < 0 || device >= static_cast<int>(devices_.size())) return nullptr;
        Device* d = &devices_[static_cast<std::size_t>(device)];
        return d->joystick ? d : nullptr;
    }

    bool started_ = false;
    std::vector<Device> devices_;
};

}  // namespace

InputSource& SdlInputSource() {
    static SdlSource source;
    return source;
}

}  // namespace platform
