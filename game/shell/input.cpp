#include "game/shell/input.h"

#include <algorithm>

#include "engine/app/input.h"
#include "engine/core/application.h"
#include "game/shell/save_files.h"
#include "platform/input.h"

i32 g_KeyRepeatCounters[4] = {};

namespace {

// The mask bit of each KeyState slot.
constexpr u16 kSlotBits[kKeySlotCount] = {
    kInputRight, kInputLeft, kInputUp, kInputDown, kInputZ, kInputX, kInputV, kInputT,
};

bool KeyDown(u32 vk) { return platform::GetKeyState(vk) < 0; }

// The button byte the settings give for a key; a stored number beyond the 16
// buttons means the last one.
bool ButtonDown(const JoystickState& pad, JoystickButtonSlot slot) {
    u32 button = std::min<u32>(g_ConfigData.joystickButtons[slot], kJoystickButtons - 1);
    return pad.buttons[button] != 0;
}

i32 NextKeyState(i32 old, bool down) {
    if (down) return (old == kKeyUpState || old == kKeyReleased) ? kKeyPressed : kKeyHeld;
    return (old == kKeyHeld || old == kKeyPressed) ? kKeyReleased : kKeyUpState;
}

}  // namespace

void ReadInputBits(u32 pad, u8 out[2]) {
    InputUpdate();
    out[0] = 0;
    out[1] = 0;
    if (!IsApplicationActive()) return;
    if (platform::ScriptedInputActive()) {
        InputBytes(static_cast<u16>(platform::ScriptedInputWord() & kInputBitsUsed), out);
        return;
    }
    JoystickState joy;
    // With no device the state comes back all zero: centred, nothing pressed.
    InputGetJoystickState(static_cast<i32>(std::min<u32>(pad, 0x7FFFFFFF)), &joy);

    u16 word = 0;
    if (KeyDown(platform::VK_UP) || joy.y <= -kJoystickThreshold) word |= kInputUp;
    if (KeyDown(platform::VK_DOWN) || joy.y >= kJoystickThreshold) word |= kInputDown;
    if (KeyDown(platform::VK_LEFT) || joy.x <= -kJoystickThreshold) word |= kInputLeft;
    if (KeyDown(platform::VK_RIGHT) || joy.x >= kJoystickThreshold) word |= kInputRight;
    if (KeyDown('Z') || ButtonDown(joy, kJoyButtonZ)) word |= kInputZ;
    if (KeyDown('X') || ButtonDown(joy, kJoyButtonX)) word |= kInputX;
    if (KeyDown('V') || ButtonDown(joy, kJoyButtonV)) word |= kInputV;
    if (KeyDown('C') || ButtonDown(joy, kJoyButtonC)) word |= kInputC;
    if (KeyDown('A') || ButtonDown(joy, kJoyButtonA)) word |= kInputA;
    if (KeyDown('S') || ButtonDown(joy, kJoyButtonS)) word |= kInputS;
    if (KeyDown('T') || ButtonDown(joy, kJoyButtonT)) word |= kInputT;
    InputBytes(word, out);
}

i32* UpdateKeyStates(const u8 bits[2], i32 state[8]) {
    u16 word = InputWord(bits);
    for (int slot = 0; slot < kKeySlotCount; ++slot) {
        state[slot] = NextKeyState(state[slot], (word & kSlotBits[slot]) != 0);
    }
    return state;
}

i32* UpdateKeyStatesRepeat(const u8 bits[2], i32 state[8]) {
    u16 word = InputWord(bits);
    for (int slot = 0; slot < kKeySlotCount; ++slot) {
        bool down = (word & kSlotBits[slot]) != 0;
        if (slot <= kKeyDown) {
            i32& counter = g_KeyRepeatCounters[slot];
            // Every 5 frames from the 10th after the press the key reads as
            // pressed again.
            if (counter > 5 && counter % 5 == 0) state[slot] = kKeyUpState;
            counter = down ? counter + 1 : 0;
        }
        state[slot] = NextKeyState(state[slot], down);
    }
    return state;
}

void ReadJoystickButtonStates(u32 pad, u16 state[16]) {
    InputUpdate();
    if (!IsApplicationActive()) return;
    JoystickState joy;
    bool present = !platform::ScriptedInputActive() &&
                   InputGetJoystickState(static_cast<i32>(std::min<u32>(pad, 0x7FFFFFFF)), &joy);
    for (int b = 0; b < kJoystickButtons; ++b) {
        state[b] = present ? static_cast<u16>(NextKeyState(state[b], joy.buttons[b] != 0)) : 0;
    }
}

bool IsJoystickPresent(u32 pad) {
    InputUpdate();
    if (platform::ScriptedInputActive()) return false;
    return InputGetJoystickState(static_cast<i32>(std::min<u32>(pad, 0x7FFFFFFF)), nullptr) != 0;
}

void ResetKeyRepeatCounters() {
    for (i32& c : g_KeyRepeatCounters) c = 0;
}
