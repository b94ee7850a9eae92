#include "platform/input.h"

#include <gtest/gtest.h>

#include <fstream>

#include "tests/support/temp_dir.h"

namespace {

using platform::FakeInputSource;

class PlatformInputTest : public ::testing::Test {
protected:
    void SetUp() override { platform::SetInputSource(&fake); }
    void TearDown() override {
        platform::InputStop();
        platform::SetInputSource(nullptr);
        platform::ClearScriptedInput();
    }
    FakeInputSource fake;
};

TEST(PovFromDirections, GivesHundredthsOfDegreesClockwiseFromUp) {
    struct Case {
        bool up, right, down, left;
        std::uint32_t pov;
    };
    const Case cases[] = {
        {false, false, false, false, platform::kPovCentred},
        {true, false, false, false, 0},
        {true, true, false, false, 4500},
        {false, true, false, false, 9000},
        {false, true, true, false, 13500},
        {false, false, true, false, 18000},
        {false, false, true, true, 22500},
        {false, false, false, true, 27000},
        {true, false, false, true, 31500},
        {true, false, true, false, platform::kPovCentred},  // opposites cancel
        {true, true, true, false, 9000},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(platform::PovFromDirections(c.up, c.right, c.down, c.left), c.pov)
            << c.up << c.right << c.down << c.left;
    }
}

TEST_F(PlatformInputTest, KeyStateHasTheHighBitWhileHeldAndNothingWithoutFocus) {
    fake.SetKey('Z', true);
    fake.SetKey(platform::VK_LEFT, true);
    EXPECT_LT(platform::GetKeyState('Z'), 0);
    EXPECT_LT(platform::GetKeyState(platform::VK_LEFT), 0);
    EXPECT_EQ(platform::GetKeyState('X'), 0);
    fake.focus = false;
    EXPECT_EQ(platform::GetKeyState('Z'), 0);
    EXPECT_EQ(platform::GetKeyState(platform::VK_LEFT), 0);
}

TEST_F(PlatformInputTest, KeyboardReportsDirectInputKeyCodesAndBufferedEvents) {
    ASSERT_TRUE(platform::InputStart());
    ASSERT_TRUE(platform::KeyboardCreate(2));
    ASSERT_TRUE(platform::KeyboardAcquire());

    fake.SetKey('Z', true);
    fake.SetKey(platform::VK_UP, true);
    fake.SetKey(platform::VK_ESCAPE, true);
    std::uint8_t keys[256];
    ASSERT_TRUE(platform::KeyboardRead(keys));
    EXPECT_EQ(keys[0x2C], 0x80);  // Z
    EXPECT_EQ(keys[0xC8], 0x80);  // up arrow
    EXPECT_EQ(keys[0x01], 0x80);  // Escape
    EXPECT_EQ(keys[0x2D], 0);     // X

    // Three changes, a buffer of two: the third waits for the next read.
    platform::KeyboardEventData events[4];
    ASSERT_EQ(platform::KeyboardReadEvents(events, 4), 2);
    EXPECT_EQ(events[0].offset, 0x01u);
    EXPECT_EQ(events[0].data, 0x80u);
    EXPECT_EQ(events[1].offset, 0x2Cu);
    EXPECT_EQ(events[1].sequence, events[0].sequence + 1);
    ASSERT_EQ(platform::KeyboardReadEvents(events, 4), 1);
    EXPECT_EQ(events[0].offset, 0xC8u);

    fake.SetKey('Z', false);
    ASSERT_EQ(platform::KeyboardReadEvents(events, 4), 1);
    EXPECT_EQ(events[0].offset, 0x2Cu);
    EXPECT_EQ(events[0].data, 0u);
    EXPECT_EQ(platform::KeyboardReadEvents(events, 4), 0);
}

TEST_F(PlatformInputTest, LosingTheFocusUnacquiresDevicesUntilAcquiredAgain) {
    fake.joysticks.emplace_back();
    ASSERT_TRUE(platform::InputStart());
    ASSERT_EQ(platform::JoystickCount(), 1);
    int device = platform::JoystickOpen(0);
    ASSERT_GE(device, 0);
    platform::JoystickData data;
    EXPECT_FALSE(platform::JoystickRead(device, data));  // not acquired yet
    ASSERT_TRUE(platform::JoystickAcquire(device));
    EXPECT_TRUE(platform::JoystickRead(device, data));

    fake.focus = false;
    EXPECT_FALSE(platform::JoystickRead(device, data));
    EXPECT_FALSE(platform::JoystickAcquire(device));
    fake.focus = true;
    EXPECT_FALSE(platform::JoystickRead(device, data));  // still lost
    ASSERT_TRUE(platform::JoystickAcquire(device));
    EXPECT_TRUE(platform::JoystickRead(device, data));

    fake.joysticks[0].attached = false;
    EXPECT_FALSE(platform::JoystickRead(device, data));

    platform::InputStop();
    EXPECT_EQ(fake.OpenCount(), 0);
    EXPECT_EQ(fake.stops, 1);
}

TEST_F(PlatformInputTest, StopWithoutStartIsHarmless) {
    platform::InputStop();
    platform::InputStop();
    EXPECT_EQ(fake.stops, 0);
    EXPECT_EQ(platform::JoystickOpen(0), -1);
    EXPECT_FALSE(platform::KeyboardCreate(32));
}

void WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

TEST_F(PlatformInputTest, ScriptedInputGivesOneLittleEndianWordPerFrame) {
    testing_support::TempDir dir;
    std::string path = dir.str() + "/input.bin";
    WriteBytes(path, {0x10, 0x00, 0x01, 0x04, 0xFF, 0xFF});
    std::string error;
    ASSERT_TRUE(platform::LoadScriptedInput(path, error)) << error;
    EXPECT_TRUE(platform::ScriptedInputActive());
    EXPECT_EQ(platform::ScriptedInputLength(), 3u);
    EXPECT_EQ(platform::ScriptedInputWord(), 0);  // before the first frame

    EXPECT_EQ(platform::ScriptedInput(), 0x0010);
    EXPECT_EQ(platform::ScriptedInputWord(), 0x0010);  // stays for the whole frame
    EXPECT_EQ(platform::ScriptedInputWord(), 0x0010);
    EXPECT_EQ(platform::ScriptedInput(), 0x0401);
    EXPECT_EQ(platform::ScriptedInput(), 0xFFFF);
    EXPECT_EQ(platform::ScriptedInput(), 0);  // past the end nothing is pressed
    EXPECT_EQ(platform::ScriptedInputPosition(), 4u);

    platform::ClearScriptedInput();
    EXPECT_FALSE(platform::ScriptedInputActive());
    EXPECT_EQ(platform::ScriptedInput(), 0);
}

TEST_F(PlatformInputTest, ScriptedInputRejectsBadFilesNamingThem) {
    testing_support::TempDir dir;
    std::string odd = dir.str() + "/odd.bin";
    WriteBytes(odd, {1, 2, 3});
    std::string error;
    EXPECT_FALSE(platform::LoadScriptedInput(odd, error));
    EXPECT_NE(error.find("odd.bin"), std::string::npos) << error;
    EXPECT_NE(error.find("odd size"), std::string::npos) << error;
    EXPECT_FALSE(platform::ScriptedInputActive());

    error.clear();
    EXPECT_FALSE(platform::LoadScriptedInput(dir.str() + "/missing.bin", error));
    EXPECT_NE(error.find("missing.bin"), std::string::npos) << error;

    std::string empty = dir.str() + "/empty.bin";
    WriteBytes(empty, {});
    ASSERT_TRUE(platform::LoadScriptedInput(empty, error));
    EXPECT_TRUE(platform::ScriptedInputActive());
    EXPECT_EQ(platform::ScriptedInput(), 0);
}

TEST(SdlInputSource, StartsAndFindsNoDevicesHeadless) {
    platform::SetInputSource(nullptr);
    ASSERT_TRUE(platform::InputStart());
    EXPECT_EQ(platform::JoystickDeviceLimit(), 16);
    EXPECT_GE(platform::JoystickCount(), 0);
    EXPECT_EQ(platform::GetKeyState('Z'), 0);  // no window, no focus
    platform::InputStop();
}

}  // namespace
