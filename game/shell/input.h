#pragma once
// The game's input: the keyboard and joystick 0 turned into the 16-bit
// InputBits mask once or more per frame, and the mask turned into per-key edge
// states (KeyState) for the menus and the player. A replay stores the mask of
// every frame, so the mask is the whole of the game's input.
#include "engine/core/types.h"

// Bits of the input mask (byte 0 is the low byte of the word).
enum InputBits : u16 {
    kInputUp = 1u << 0,
    kInputDown = 1u << 1,
    kInputLeft = 1u << 2,
    kInputRight = 1u << 3,
    kInputZ = 1u << 4,
    kInputX = 1u << 5,
    kInputV = 1u << 6,
    kInputC = 1u << 7,
    kInputA = 1u << 8,
    kInputS = 1u << 9,
    kInputT = 1u << 10,
};
constexpr u16 kInputBitsUsed = 0x07FF;

// Slots of a KeyState array.
// clang-format off
enum KeySlot : int {
    kKeyRight = 0,
    kKeyLeft,
    kKeyUp,
    kKeyDown,
    kKeyZ,
    kKeyX,
    kKeyV,
    kKeyT,
    kKeySlotCount
};
// clang-format on

// KeyState values.
enum KeyStateValue : i32 {
    kKeyUpState = 0,
    kKeyReleased = 1,
    kKeyHeld = 2,
    kKeyPressed = 3,
};

// A joystick axis counts as a direction at this distance from the centre.
constexpr i32 kJoystickThreshold = 60536;
constexpr int kJoystickButtons = 16;

// The mask as a word and back.
inline u16 InputWord(const u8 bits[2]) { return static_cast<u16>(bits[0] | (bits[1] << 8)); }
inline void InputBytes(u16 word, u8 out[2]) {
    out[0] = static_cast<u8>(word & 0xFF);
    out[1] = static_cast<u8>(word >> 8);
}

// Fills the mask from the keyboard and joystick `pad` (the game passes 0);
// 0 while the application is inactive. While a scripted input is loaded the
// script's word of the current frame replaces the devices.
void ReadInputBits(u32 pad, u8 out[2]);
// Edge states of the eight slots from the mask; returns `state`.
i32* UpdateKeyStates(const u8 bits[2], i32 state[8]);
// The same with auto-repeat of the four directions (menus): a held direction
// reads as pressed again 10 frames after the press, then every 5 frames.
i32* UpdateKeyStatesRepeat(const u8 bits[2], i32 state[8]);
// Edge states of the 16 buttons of joystick `pad`.
void ReadJoystickButtonStates(u32 pad, u16 state[16]);
bool IsJoystickPresent(u32 pad);

// The hold counters of Right, Left, Up and Down shared by every caller of the
// repeat variant.
extern i32 g_KeyRepeatCounters[4];
void ResetKeyRepeatCounters();
