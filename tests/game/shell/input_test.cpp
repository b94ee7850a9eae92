#include "game/shell/input.h"

#include <gtest/gtest.h>

#include <vector>

#include "engine/app/input.h"
#include "engine/core/application.h"
#include "game/shell/save_files.h"
#include "platform/input.h"

namespace {

using platform::FakeInputSource;

class GameInputTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::SetInputSource(&fake);
        savedConfig = g_ConfigData;
        // The settings file's default buttons.
        g_ConfigData.joystickButtons = {0, 1, 0, 0, 0, 0, 7};
        App().active = 1;
        ResetKeyRepeatCounters();
    }
    void TearDown() override {
        DestroyDirectInput();
        platform::SetInputSource(nullptr);
        platform::ClearScriptedInput();
        g_ConfigData = savedConfig;
        App().active = 1;
        ResetKeyRepeatCounters();
    }
    // One pad whose X and Y read in raw units (-65535..65535, centre 0).
    FakeInputSource::Joystick& StartWithPad() {
        FakeInputSource::Joystick pad;
        for (int axis = 0; axis < 2; ++axis) {
            pad.minimum[axis] = -65535;
            pad.maximum[axis] = 65535;
            pad.SetAxisFromCentre(axis, 0);
        }
        fake.joysticks.push_back(pad);
        EXPECT_EQ(InitializeDirectInput(), 1);
        return fake.joysticks.back();
    }
    u16 Mask() {
        u8 bits[2] = {0xAA, 0xAA};
        ReadInputBits(0, bits);
        return InputWord(bits);
    }
    FakeInputSource fake;
    ConfigData savedConfig;
};

TEST_F(GameInputTest, KeysSetTheirBits) {
    ASSERT_EQ(InitializeDirectInput(), 1);
    struct Case {
        u32 vk;
        u16 bit;
    };
    const Case cases[] = {
        // clang-format off
        {platform::VK_UP, kInputUp},    {platform::VK_DOWN, kInputDown},
        {platform::VK_LEFT, kInputLeft}, {platform::VK_RIGHT, kInputRight},
        {'Z', kInputZ}, {'X', kInputX}, {'V', kInputV}, {'C', kInputC},
        {'A', kInputA}, {'S', kInputS}, {'T', kInputT},
        {'Q', 0}, {platform::VK_ESCAPE, 0},
        // clang-format on
    };
    EXPECT_EQ(Mask(), 0);
    for (const Case& c : cases) {
        fake.ReleaseAllKeys();
        fake.SetKey(c.vk, true);
        EXPECT_EQ(Mask(), c.bit) << "key " << c.vk;
    }
    fake.ReleaseAllKeys();
    for (const Case& c : cases) fake.SetKey(c.vk, true);
    EXPECT_EQ(Mask(), kInputBitsUsed);
}

TEST_F(GameInputTest, StickDirectionsStartExactlyAtTheThreshold) {
    FakeInputSource::Joystick& pad = StartWithPad();
    struct Case {
        int axis;
        i32 offset;
        u16 bits;
    };
    const Case cases[] = {
        {0, 60536, kInputRight}, {0, 60535, 0},         {0, -60536, kInputLeft}, {0, -60535, 0},
        {1, 60536, kInputDown},  {1, 60535, 0},         {1, -60536, kInputUp},   {1, -60535, 0},
        {0, 65535, kInputRight}, {1, -65535, kInputUp},
    };
    for (const Case& c : cases) {
        pad.SetAxisFromCentre(0, 0);
        pad.SetAxisFromCentre(1, 0);
        pad.SetAxisFromCentre(c.axis, c.offset);
        EXPECT_EQ(Mask(), c.bits) << "axis " << c.axis << " at " << c.offset;
    }
}

TEST_F(GameInputTest, KeyboardAndJoystickCombine) {
    FakeInputSource::Joystick& pad = StartWithPad();
    pad.SetAxisFromCentre(0, -65535);
    fake.SetKey(platform::VK_LEFT, true);
    fake.SetKey(platform::VK_UP, true);
    pad.SetButton(1, true);
    EXPECT_EQ(Mask(), kInputLeft | kInputUp | kInputX);
    fake.ReleaseAllKeys();
    EXPECT_EQ(Mask(), kInputLeft | kInputX);
}

TEST_F(GameInputTest, DefaultButtonsMapToTheirKeys) {
    FakeInputSource::Joystick& pad = StartWithPad();
    struct Case {
        int button;
        u16 bits;
    };
    const Case cases[] = {
        // clang-format off
        {0, kInputZ | kInputV | kInputC | kInputA | kInputS},
        {1, kInputX},
        {7, kInputT},
        {2, 0},
        {15, 0},
        // clang-format on
    };
    for (const Case& c : cases) {
        for (int b = 0; b < 16; ++b) pad.SetButton(b, b == c.button);
        EXPECT_EQ(Mask(), c.bits) << "button " << c.button;
    }
}

TEST_F(GameInputTest, ButtonNumbersBeyondSixteenMeanTheLastButton) {
    FakeInputSource::Joystick& pad = StartWithPad();
    g_ConfigData.joystickButtons = {16, 0xFFFFFFFFu, 3, 3, 3, 3, 1000};
    EXPECT_EQ(Mask(), 0);
    pad.SetButton(15, true);
    EXPECT_EQ(Mask(), kInputZ | kInputX | kInputT);
    pad.SetButton(15, false);
    pad.SetButton(3, true);
    EXPECT_EQ(Mask(), kInputV | kInputC | kInputA | kInputS);
}

TEST_F(GameInputTest, InactiveApplicationOrWindowReadsNothing) {
    FakeInputSource::Joystick& pad = StartWithPad();
    fake.SetKey('Z', true);
    pad.SetButton(1, true);
    pad.SetAxisFromCentre(0, 65535);
    ASSERT_EQ(Mask(), kInputZ | kInputX | kInputRight);

    i32 keys[8] = {};
    u8 bits[2];
    ReadInputBits(0, bits);
    UpdateKeyStates(bits, keys);
    EXPECT_EQ(keys[kKeyZ], kKeyPressed);

    App().active = 0;
    ReadInputBits(0, bits);
    EXPECT_EQ(InputWord(bits), 0);
    UpdateKeyStates(bits, keys);
    EXPECT_EQ(keys[kKeyZ], kKeyReleased);
    ReadInputBits(0, bits);
    UpdateKeyStates(bits, keys);
    EXPECT_EQ(keys[kKeyZ], kKeyUpState);

    // The window losing the focus reads nothing even while the flag lags.
    App().active = 1;
    fake.focus = false;
    EXPECT_EQ(Mask(), 0);
    fake.focus = true;
    EXPECT_EQ(Mask(), kInputZ);  // the pad is acquired again on this read
    EXPECT_EQ(Mask(), kInputZ | kInputX | kInputRight);
}

// Runs UpdateKeyStates over a sequence of words and gives one slot's states.
std::vector<i32> RunStates(i32* (*update)(const u8*, i32*), const std::vector<u16>& words, int slot) {
    i32 keys[8] = {};
    std::vector<i32> out;
    for (u16 w : words) {
        u8 bits[2];
        InputBytes(w, bits);
        update(bits, keys);
        out.push_back(keys[slot]);
    }
    return out;
}

TEST_F(GameInputTest, KeyStatesFollowPressHoldAndRelease) {
    const u16 z = kInputZ;
    EXPECT_EQ(RunStates(UpdateKeyStates, {0, z, z, z, 0, 0, z, 0, z}, kKeyZ),
              (std::vector<i32>{0, 3, 2, 2, 1, 0, 3, 1, 3}));

    // Each slot reads its own bit.
    struct Case {
        u16 bit;
        int slot;
    };
    const Case cases[] = {
        {kInputRight, kKeyRight}, {kInputLeft, kKeyLeft}, {kInputUp, kKeyUp}, {kInputDown, kKeyDown},
        {kInputZ, kKeyZ},         {kInputX, kKeyX},       {kInputV, kKeyV},   {kInputT, kKeyT},
    };
    for (const Case& c : cases) {
        i32 keys[8] = {};
        u8 bits[2];
        InputBytes(c.bit, bits);
        UpdateKeyStates(bits, keys);
        for (int s = 0; s < 8; ++s) EXPECT_EQ(keys[s], s == c.slot ? 3 : 0) << c.bit << " " << s;
    }
    // C, A and S have no slot.
    i32 keys[8] = {};
    u8 bits[2];
    InputBytes(kInputC | kInputA | kInputS, bits);
    EXPECT_EQ(UpdateKeyStates(bits, keys), keys);
    for (int s = 0; s < 8; ++s) EXPECT_EQ(keys[s], 0);
}

TEST_F(GameInputTest, HeldDirectionRepeatsOnFrames1And11And16And21) {
    std::vector<u16> words(30, kInputUp);
    std::vector<i32> states = RunStates(UpdateKeyStatesRepeat, words, kKeyUp);
    for (int frame = 1; frame <= 30; ++frame) {
        bool pressed = frame == 1 || frame == 11 || frame == 16 || frame == 21 || frame == 26;
        EXPECT_EQ(states[frame - 1], pressed ? 3 : 2) << "frame " << frame;
    }
    // Releasing resets the counter: the next press repeats after 10 frames again.
    ResetKeyRepeatCounters();
    std::vector<u16> again(15, kInputRight);
    again[3] = 0;
    states = RunStates(UpdateKeyStatesRepeat, again, kKeyRight);
    EXPECT_EQ(states, (std::vector<i32>{3, 2, 2, 1, 3, 2, 2, 2, 2, 2, 2, 2, 2, 2, 3}));
}

TEST_F(GameInputTest, ButtonsDoNotRepeat) {
    std::vector<u16> words(20, kInputZ | kInputT);
    std::vector<i32> z = RunStates(UpdateKeyStatesRepeat, words, kKeyZ);
    std::vector<i32> expected(20, 2);
    expected[0] = 3;
    EXPECT_EQ(z, expected);
}

TEST_F(GameInputTest, RepeatCountersAreSharedByEveryCaller) {
    i32 first[8] = {};
    i32 second[8] = {};
    u8 down[2];
    InputBytes(kInputDown, down);
    for (int frame = 0; frame < 10; ++frame) UpdateKeyStatesRepeat(down, first);
    EXPECT_EQ(g_KeyRepeatCounters[kKeyDown], 10);
    // A second caller sees Down for the first time, but the shared counter is
    // already at a repeat: it reads pressed and the count goes on from there.
    UpdateKeyStatesRepeat(down, second);
    EXPECT_EQ(second[kKeyDown], 3);
    EXPECT_EQ(g_KeyRepeatCounters[kKeyDown], 11);
    UpdateKeyStatesRepeat(down, first);
    EXPECT_EQ(first[kKeyDown], 2);
    // Four more calls from either caller reach the next repeat.
    for (int i = 0; i < 3; ++i) UpdateKeyStatesRepeat(down, second);
    UpdateKeyStatesRepeat(down, first);
    EXPECT_EQ(first[kKeyDown], 3);
    // Any caller's release resets it for all.
    u8 none[2] = {0, 0};
    UpdateKeyStatesRepeat(none, second);
    EXPECT_EQ(g_KeyRepeatCounters[kKeyDown], 0);
}

TEST_F(GameInputTest, JoystickButtonEdges) {
    FakeInputSource::Joystick& pad = StartWithPad();
    EXPECT_TRUE(IsJoystickPresent(0));
    EXPECT_FALSE(IsJoystickPresent(1));
    u16 states[16] = {};
    auto step = [&](bool b4, bool b12) {
        pad.SetButton(4, b4);
        pad.SetButton(12, b12);
        ReadJoystickButtonStates(0, states);
        return std::vector<u16>{states[4], states[12], states[0]};
    };
    EXPECT_EQ(step(true, false), (std::vector<u16>{3, 0, 0}));
    EXPECT_EQ(step(true, true), (std::vector<u16>{2, 3, 0}));
    EXPECT_EQ(step(false, true), (std::vector<u16>{1, 2, 0}));
    EXPECT_EQ(step(false, false), (std::vector<u16>{0, 1, 0}));

    // Inactive: the array is left as it was.
    step(true, true);
    App().active = 0;
    EXPECT_EQ(step(false, false), (std::vector<u16>{3, 3, 0}));
    App().active = 1;

    // No device on the pad: everything 0.
    ReadJoystickButtonStates(1, states);
    for (u16 s : states) EXPECT_EQ(s, 0);
}

TEST_F(GameInputTest, NoJoystickMeansNoButtonsAndNoPad) {
    ASSERT_EQ(InitializeDirectInput(), 1);
    EXPECT_FALSE(IsJoystickPresent(0));
    u16 states[16];
    for (u16& s : states) s = 3;
    ReadJoystickButtonStates(0, states);
    for (u16 s : states) EXPECT_EQ(s, 0);
    fake.SetKey('X', true);
    EXPECT_EQ(Mask(), kInputX);
}

TEST_F(GameInputTest, ScriptedInputReplacesTheDevices) {
    FakeInputSource::Joystick& pad = StartWithPad();
    pad.SetButton(0, true);
    fake.SetKey('X', true);
    platform::SetScriptedInput({kInputUp | kInputT, 0xFFFF});
    EXPECT_EQ(Mask(), 0);  // before the first frame
    platform::ScriptedInput();
    EXPECT_EQ(Mask(), kInputUp | kInputT);
    EXPECT_EQ(Mask(), kInputUp | kInputT);  // every read of the frame agrees
    platform::ScriptedInput();
    EXPECT_EQ(Mask(), kInputBitsUsed);  // unused bits stay clear
    EXPECT_FALSE(IsJoystickPresent(0));
    App().active = 0;
    EXPECT_EQ(Mask(), 0);
    App().active = 1;
    platform::ScriptedInput();
    EXPECT_EQ(Mask(), 0);  // past the end
}

}  // namespace
