#include "engine/app/input.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/input.h"
#include "platform/system.h"

namespace {

using platform::FakeInputSource;

class EngineInputTest : public ::testing::Test {
protected:
    void SetUp() override { platform::SetInputSource(&fake); }
    void TearDown() override {
        DestroyDirectInput();
        platform::SetInputSource(nullptr);
    }
    // A pad whose X and Y range over minimum..maximum.
    FakeInputSource::Joystick& AddPad(i32 minimum = 0, i32 maximum = 65535) {
        FakeInputSource::Joystick pad;
        for (int axis = 0; axis < 2; ++axis) {
            pad.minimum[axis] = minimum;
            pad.maximum[axis] = maximum;
            pad.SetAxisFromCentre(axis, 0);
        }
        fake.joysticks.push_back(pad);
        return fake.joysticks.back();
    }
    JoystickState Read(i32 pad) {
        JoystickState state;
        InputGetJoystickState(pad, &state);
        return state;
    }
    static bool AllZero(const JoystickState& s) {
        const u8* p = reinterpret_cast<const u8*>(&s);
        for (std::size_t i = 0; i < sizeof s; ++i) {
            if (p[i] != 0) return false;
        }
        return true;
    }
    FakeInputSource fake;
};

TEST_F(EngineInputTest, WithoutJoysticksEveryQueryReportsNoDevice) {
    ASSERT_EQ(InitializeDirectInput(), 1);
    InputUpdate();
    for (i32 pad : {0, 1, 15, 16, -1, 1000}) {
        JoystickState state;
        state.x = 123;
        EXPECT_EQ(InputGetJoystickState(pad, &state), 0) << pad;
        EXPECT_TRUE(AllZero(state)) << pad;
    }
}

std::string g_boxText;
void CatchBox(std::uint32_t, const std::string&, const std::string& text) { g_boxText = platform::SjisToUtf8(text); }

TEST_F(EngineInputTest, MissingInputSystemFailsAndDestroyStillWorks) {
    fake.startFails = true;
    fake.joysticks.emplace_back();
    g_boxText.clear();
    platform::SetMessageBoxSink(CatchBox);
    EXPECT_EQ(InitializeDirectInput(), 0);
    platform::SetMessageBoxSink(nullptr);
    EXPECT_EQ(g_boxText, "DirectX8.1が正しくインストールされていない可能性があります");
    EXPECT_EQ(InputGetJoystickState(0, nullptr), 0);
    InputUpdate();
    DestroyDirectInput();
    EXPECT_EQ(fake.OpenCount(), 0);
}

TEST_F(EngineInputTest, DestroyWithoutInitializeIsHarmless) {
    DestroyDirectInput();
    DestroyDirectInput();
    InputUpdate();
    EXPECT_EQ(InputGetJoystickState(0, nullptr), 0);
}

TEST_F(EngineInputTest, DestroyReleasesEveryJoystick) {
    AddPad();
    AddPad();
    ASSERT_EQ(InitializeDirectInput(), 1);
    EXPECT_EQ(fake.OpenCount(), 2);
    EXPECT_EQ(GetInputState().joystickCount, 2);
    DestroyDirectInput();
    EXPECT_EQ(fake.OpenCount(), 0);
    EXPECT_EQ(fake.stops, 1);
    EXPECT_EQ(InputGetJoystickState(0, nullptr), 0);
}

TEST_F(EngineInputTest, AxesAreScaledFromTheDeviceRangeAroundTheCentre) {
    struct Case {
        i32 minimum, maximum, raw;
        i32 scaled;
    };
    const Case cases[] = {
        {0, 65535, 32767, 0},  // centre 32767, half range 32768
        {0, 65535, 65535, 65535},
        {0, 65535, 0, -65533},  // -32767 x 65535 / 32768, truncated
        {-32768, 32767, 0, 0},  // centre 0, half range 32767
        {-32768, 32767, 32767, 65535},
        {-32768, 32767, -32768, -65537},
        {-65535, 65535, 60536, 60536},  // half range 65535: raw units
        {100, 100, 5000, 0},            // half range 0 reads as centred
        {-2147483647 - 1, 2147483647, 2147483647, 65535},
    };
    for (const Case& c : cases) {
        fake.joysticks.clear();
        FakeInputSource::Joystick& pad = AddPad(c.minimum, c.maximum);
        pad.data.axes[0] = c.raw;
        pad.data.axes[1] = c.raw;
        ASSERT_EQ(InitializeDirectInput(), 1);
        InputUpdate();
        JoystickState s = Read(0);
        EXPECT_EQ(s.x, c.scaled) << c.minimum << ".." << c.maximum << " raw " << c.raw;
        EXPECT_EQ(s.y, c.scaled) << c.minimum << ".." << c.maximum << " raw " << c.raw;
        DestroyDirectInput();
    }
}

TEST_F(EngineInputTest, HatsButtonsAndOtherAxesAreNormalised) {
    FakeInputSource::Joystick& pad = AddPad();
    pad.data.pov[0] = 9000;
    pad.data.pov[1] = 0x0001FFFF;  // low half 0xFFFF: centred
    pad.data.pov[2] = 0;
    pad.SetButton(3, true);
    pad.data.buttons[5] = 0x01;
    pad.SetButton(12, true);
    pad.data.axes[2] = -77;
    pad.data.sliders[1] = 4242;
    ASSERT_EQ(InitializeDirectInput(), 1);
    InputUpdate();
    JoystickState s;
    ASSERT_EQ(InputGetJoystickState(0, &s), 1);
    EXPECT_EQ(s.x, 0);
    EXPECT_EQ(s.y, 0);
    EXPECT_EQ(s.pov[0], 90);
    EXPECT_EQ(s.pov[1], -1);
    EXPECT_EQ(s.pov[2], 0);
    EXPECT_EQ(s.pov[3], -1);
    EXPECT_EQ(s.buttons[3], 1);
    EXPECT_EQ(s.buttons[5], 1);
    EXPECT_EQ(s.buttons[12], 0x80);
    EXPECT_EQ(s.buttons[0], 0);
    EXPECT_EQ(s.z, -77);
    EXPECT_EQ(s.slider[1], 4242);
}

TEST_F(EngineInputTest, PolledDevicesArePolledBeforeEachRead) {
    AddPad().caps.polled = true;
    AddPad();
    ASSERT_EQ(InitializeDirectInput(), 1);
    InputUpdate();
    InputUpdate();
    EXPECT_EQ(fake.joysticks[0].polls, 2);
    EXPECT_EQ(fake.joysticks[1].polls, 0);
    EXPECT_EQ(fake.joysticks[1].reads, 2);
}

TEST_F(EngineInputTest, AtMostSixteenJoysticksAndEnumerationStopsAtAFailedOpen) {
    for (int i = 0; i < 18; ++i) AddPad();
    ASSERT_EQ(InitializeDirectInput(), 1);
    EXPECT_EQ(GetInputState().joystickCount, 16);
    EXPECT_EQ(fake.OpenCount(), 16);
    DestroyDirectInput();

    fake.joysticks.resize(4);
    fake.joysticks[2].openFails = true;
    ASSERT_EQ(InitializeDirectInput(), 1);
    EXPECT_EQ(GetInputState().joystickCount, 2);
    EXPECT_EQ(InputGetJoystickState(2, nullptr), 0);
    EXPECT_EQ(InputGetJoystickState(3, nullptr), 0);
}

TEST_F(EngineInputTest, AJoystickWithoutAxisRangeIsDroppedAndTheOthersStillRead) {
    AddPad().SetButton(0, true);
    AddPad().rangeFails = true;
    ASSERT_EQ(InitializeDirectInput(), 1);
    EXPECT_EQ(fake.OpenCount(), 1);
    EXPECT_FALSE(fake.joysticks[1].open);
    InputUpdate();
    EXPECT_EQ(InputGetJoystickState(1, nullptr), 0);
    JoystickState s;
    ASSERT_EQ(InputGetJoystickState(0, &s), 1);
    EXPECT_EQ(s.buttons[0], 1);
}

TEST_F(EngineInputTest, ALostDeviceClearsEveryStateAndIsAcquiredAgain) {
    AddPad().SetButton(1, true);
    AddPad().SetButton(2, true);
    ASSERT_EQ(InitializeDirectInput(), 1);
    InputUpdate();
    EXPECT_EQ(Read(0).buttons[1], 1);
    EXPECT_EQ(Read(1).buttons[2], 1);

    fake.focus = false;
    InputUpdate();
    EXPECT_EQ(InputGetJoystickState(0, nullptr), 1);  // still there, but cleared
    EXPECT_TRUE(AllZero(Read(0)));
    EXPECT_TRUE(AllZero(Read(1)));

    fake.focus = true;
    InputUpdate();  // this read fails and acquires again
    EXPECT_TRUE(AllZero(Read(0)));
    InputUpdate();
    EXPECT_EQ(Read(0).buttons[1], 1);
    EXPECT_EQ(Read(1).buttons[2], 1);

    // The second pad unplugged: its failed read clears the first one's state too.
    fake.joysticks[1].attached = false;
    InputUpdate();
    EXPECT_TRUE(AllZero(Read(0)));
}

TEST_F(EngineInputTest, KeyboardStateAndEventsFollowTheKeys) {
    ASSERT_EQ(InitializeDirectInput(), 1);
    fake.SetKey('Z', true);
    InputUpdate();
    EXPECT_EQ(InputKeyDown(0x2C), 1);
    EXPECT_EQ(InputKeyDown(0x2D), 0);
    KeyboardEvent e;
    ASSERT_EQ(InputReadKeyboardEvent(&e), 1);
    EXPECT_EQ(e.offset, 0x2Cu);
    EXPECT_EQ(e.data, 0x80u);
    EXPECT_EQ(InputReadKeyboardEvent(&e), 0);

    fake.focus = false;
    InputUpdate();
    EXPECT_EQ(InputKeyDown(0x2C), 0);
    EXPECT_EQ(InputReadKeyboardEvent(&e), 0);
}

TEST_F(EngineInputTest, MouseButtonsCursorWheelAndDoubleClickLatches) {
    ASSERT_EQ(InitializeDirectInput(), 1);
    fake.SetKey(platform::VK_RBUTTON, true);
    fake.cursorX = 320;
    fake.cursorY = -5;
    InputMouseWheel(120);
    InputMouseWheel(-360);
    InputMouseLeftDoubleClick();
    InputMouseMiddleDoubleClick();
    InputUpdate();
    const MouseState& m = InputGetMouseState();
    EXPECT_EQ(m.left, 0);
    EXPECT_EQ(m.right, 1);
    EXPECT_EQ(m.middle, 0);
    EXPECT_EQ(m.x, 320);
    EXPECT_EQ(m.y, -5);
    EXPECT_EQ(m.wheel, -240);
    EXPECT_EQ(m.leftDoubleClick, 1);
    EXPECT_EQ(m.rightDoubleClick, 0);
    EXPECT_EQ(m.middleDoubleClick, 1);
    InputUpdate();
    EXPECT_EQ(m.leftDoubleClick, 0);
    EXPECT_EQ(m.middleDoubleClick, 0);
    EXPECT_EQ(m.wheel, -240);  // the sum is never reset

    fake.focus = false;  // no button reads as held without the focus
    InputUpdate();
    EXPECT_EQ(m.right, 0);
}

}  // namespace
