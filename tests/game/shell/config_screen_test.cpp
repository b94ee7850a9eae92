// The settings screen driven by input words frame by frame without drawing
// (the transition steps as the draw would step it); the joystick is a fake
// pad whose buttons the capture reads.
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "engine/app/input.h"
#include "engine/core/application.h"
#include "game/shell/config_scene.h"
#include "game/shell/file_access.h"
#include "game/shell/game_main.h"
#include "game/shell/input.h"
#include "game/shell/save_files.h"
#include "game/shell/sound_effects.h"
#include "game/shell/transition.h"
#include "platform/input.h"
#include "tests/support/temp_dir.h"

namespace {

using platform::FakeInputSource;

class ConfigScreen : public ::testing::Test {
protected:
    void SetUp() override {
        old_ = std::filesystem::current_path();
        std::filesystem::current_path(dir_.path());
        ResetApplicationState();
        App().active = 1;
        platform::SetInputSource(&fake_);
        for (i32 s = 0; s < kSceneSlots; ++s) RegisterSceneFrame(s, nullptr);
        g_ConfigData = DefaultConfigData();
        ResetKeyRepeatCounters();
        TransitionState = Transition{};
        RearmSoundEffectGates();
        for (i32& k : g_Config.ConfigKeyState) k = 0;
        g_Config.ConfigPanelTimer = 0;
    }
    void TearDown() override {
        DestroyDirectInput();
        platform::SetInputSource(nullptr);
        for (i32 s = 0; s < kSceneSlots; ++s) RegisterSceneFrame(s, nullptr);
        g_ConfigData = DefaultConfigData();
        std::filesystem::current_path(old_);
    }
    FakeInputSource::Joystick& PlugPad() {
        fake_.joysticks.push_back(FakeInputSource::Joystick{});
        EXPECT_EQ(InitializeDirectInput(), 1);
        return fake_.joysticks.back();
    }
    // InitializeConfig without its images.
    void Enter() {
        if (!pad_) {
            EXPECT_EQ(InitializeDirectInput(), 1);
        }
        CurrentScene = kSceneSettings;
        PreviousScene = kSceneTitle;
        ResetConfigScreen();
        OpenConfigScreen();
        for (int i = 0; i < 200 && g_Config.ConfigState == kConfigOpening; ++i) Frame();
        ASSERT_EQ(g_Config.ConfigState, kConfigRows);
    }
    // One frame as ConfigFrame runs it.
    void Frame(u16 word = 0) {
        u8 bits[2];
        InputBytes(word, bits);
        UpdateKeyStatesRepeat(bits, g_Config.ConfigKeyState);
        AdvanceTransition();
        StepConfigScreen();
        StepConfigTimers();
        if (g_Config.ConfigLeaveRequest) LeaveConfig();
        lastSound_ = -1;
        for (i32 n = 0; n < kSoundEffectCount; ++n) {
            if (!SoundEffectGates[n]) lastSound_ = n;
        }
        RearmSoundEffectGates();
    }
    void Tap(u16 word) {
        Frame(word);
        sound_ = lastSound_;
        Frame(0);
    }
    void ToRow(i32 row) {
        while (g_Config.ConfigCursor != row) Tap(kInputDown);
    }
    // A pad button pressed for one frame.
    void Press(FakeInputSource::Joystick& pad, int button) {
        pad.SetButton(button, true);
        Frame();
        sound_ = lastSound_;
        pad.SetButton(button, false);
        Frame();
    }

    testing_support::TempDir dir_;
    std::filesystem::path old_;
    FakeInputSource fake_;
    FakeInputSource::Joystick* pad_ = nullptr;
    i32 lastSound_ = -1;
    i32 sound_ = -1;
};

TEST_F(ConfigScreen, SettingsEditedAndSavedByteForByte) {
    // A file with every byte set, the unused ones included.
    std::vector<u8> original(kConfigDataSize);
    for (std::size_t i = 0; i < original.size(); ++i) original[i] = static_cast<u8>(0xA0 + i);
    original[0x00] = 1;   // full screen
    original[0x01] = 0;   // full-colour screen
    original[0x02] = 1;   // full-colour textures
    original[0x06] = 1;   // talk
    original[0x08] = 10;  // music volume
    original[0x09] = 0;
    original[0x0A] = 4;  // effect volume
    original[0x0B] = 0;
    ASSERT_TRUE(WriteFileReplacing("config.dat", original));
    LoadConfig();
    FakeInputSource::Joystick& pad = PlugPad();
    pad_ = &pad;
    Enter();

    Tap(kInputLeft);  // row 0: full-colour screen on
    EXPECT_EQ(sound_, 32);
    Tap(kInputDown);
    Tap(kInputRight);  // row 1: full-colour textures off
    Tap(kInputDown);
    Tap(kInputRight);  // row 2: windowed
    Tap(kInputDown);
    Tap(kInputRight);  // row 3: no talk
    Tap(kInputDown);
    for (int i = 0; i < 3; ++i) Tap(kInputLeft);  // music 10 -> 7
    EXPECT_EQ(sound_, -1);
    Tap(kInputDown);
    Tap(kInputRight);  // effects 4 -> 5
    EXPECT_EQ(sound_, 32);
    Tap(kInputDown);
    // A button held since before the capture opened is not taken.
    pad.SetButton(2, true);
    Tap(kInputZ);  // the capture
    EXPECT_EQ(sound_, 33);
    EXPECT_EQ(g_Config.ConfigState, kConfigCapture);
    Frame();
    EXPECT_EQ(g_Config.ConfigCursor, 0);
    pad.SetButton(2, false);
    Frame();
    Press(pad, 5);  // Z
    EXPECT_EQ(sound_, 32);
    Press(pad, 5);   // X: the same button twice is allowed
    Press(pad, 12);  // T
    EXPECT_EQ(g_Config.ConfigState, kConfigRows);
    EXPECT_EQ(g_Config.ConfigCursor, kConfigRowButtons);
    Tap(kInputX);
    EXPECT_EQ(sound_, 36);
    EXPECT_EQ(g_Config.ConfigCursor, kConfigRowBack);
    Tap(kInputZ);
    EXPECT_EQ(sound_, 35);
    EXPECT_EQ(g_Config.ConfigState, kConfigLeaving);
    // The file is written only when the screen is left.
    std::vector<u8> bytes;
    ASSERT_TRUE(ReadFileBytes("config.dat", 1000, bytes));
    EXPECT_EQ(bytes, original);
    for (int i = 0; i < 200 && CurrentScene == kSceneSettings; ++i) Frame();
    EXPECT_EQ(CurrentScene, kSceneTitle);
    EXPECT_EQ(PreviousScene, kSceneTitle);
    EXPECT_EQ(SceneInitRequest, 1);

    std::vector<u8> expected = original;
    expected[0x00] = 0;
    expected[0x01] = 1;
    expected[0x02] = 0;
    expected[0x06] = 0;
    expected[0x08] = 7;
    expected[0x0A] = 5;
    for (std::size_t at : {0x14u, 0x18u}) {
        expected[at] = 5;
        expected[at + 1] = expected[at + 2] = expected[at + 3] = 0;
    }
    expected[0x2C] = 12;
    expected[0x2D] = expected[0x2E] = expected[0x2F] = 0;
    ASSERT_TRUE(ReadFileBytes("config.dat", 1000, bytes));
    EXPECT_EQ(bytes, expected);
    EXPECT_FALSE(std::filesystem::exists("config.dat.tmp"));
}

TEST_F(ConfigScreen, ValuesStayWithinTheirLimitsAndStillSound) {
    Enter();
    g_ConfigData.fullColourScreen = 1;
    Tap(kInputLeft);
    EXPECT_EQ(sound_, 32);
    EXPECT_EQ(g_ConfigData.fullColourScreen, 1);
    ToRow(kConfigRowMusicVolume);
    g_ConfigData.musicVolume = 10;
    Tap(kInputRight);
    EXPECT_EQ(g_ConfigData.musicVolume, 10);
    ToRow(kConfigRowEffectVolume);
    g_ConfigData.effectVolume = 0;
    Tap(kInputLeft);
    EXPECT_EQ(g_ConfigData.effectVolume, 0);
    EXPECT_EQ(sound_, 32);  // the sample, at volume 0
    // A level from a damaged file is brought back into 0..10 by a press.
    g_ConfigData.effectVolume = 300;
    Tap(kInputLeft);
    EXPECT_EQ(g_ConfigData.effectVolume, 10);
}

TEST_F(ConfigScreen, CursorKeysInOneFrame) {
    Enter();
    Tap(kInputUp);
    EXPECT_EQ(g_Config.ConfigCursor, kConfigRowBack);  // wraps
    Tap(kInputDown);
    EXPECT_EQ(g_Config.ConfigCursor, 0);
    Tap(kInputDown);
    Tap(kInputDown);
    // X with Up: up first, then to the last row; Z in the same frame acts on it.
    Tap(kInputUp | kInputX);
    EXPECT_EQ(g_Config.ConfigCursor, kConfigRowBack);
    EXPECT_EQ(g_Config.ConfigState, kConfigRows);
    Tap(kInputX | kInputZ);
    EXPECT_EQ(g_Config.ConfigState, kConfigLeaving);
}

TEST_F(ConfigScreen, WithoutAJoystickTheCaptureDoesNotOpen) {
    Enter();
    ToRow(kConfigRowButtons);
    Tap(kInputZ);
    EXPECT_EQ(sound_, -1);
    EXPECT_EQ(g_Config.ConfigState, kConfigRows);
}

TEST_F(ConfigScreen, CapturePanelSlides) {
    // The first visit: the panel starts in the middle and slides off.
    Enter();
    EXPECT_EQ(g_Config.ConfigPanelTimer, -30);
    FakeInputSource::Joystick& pad = PlugPad();
    pad_ = &pad;
    ToRow(kConfigRowButtons);
    Tap(kInputZ);
    EXPECT_EQ(g_Config.ConfigPanelTimer, 28);
    for (int i = 0; i < 40; ++i) Frame();
    EXPECT_EQ(g_Config.ConfigPanelTimer, 0);  // stays in the middle while capturing
    EXPECT_EQ(g_Config.ConfigState, kConfigCapture);
    Press(pad, 0);
    Press(pad, 1);
    pad.SetButton(7, true);
    Frame(kInputX);
    EXPECT_EQ(g_Config.ConfigState, kConfigRows);
    EXPECT_EQ(g_Config.ConfigKeyState[kKeyX], kKeyHeld);
    Frame(kInputX);  // held X does not act
    EXPECT_EQ(g_Config.ConfigCursor, kConfigRowButtons);
    EXPECT_EQ(g_ConfigData.joystickButtons[kJoyButtonT], 7u);
    EXPECT_EQ(g_ConfigData.joystickButtons[kJoyButtonV], 0u);  // untouched
}

}  // namespace
