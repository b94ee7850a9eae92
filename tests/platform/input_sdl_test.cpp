// The SDL source read through SDL's virtual joysticks, so no hardware is
// needed. The test drives the virtual device with SDL directly.
#include <SDL.h>
#include <gtest/gtest.h>

#include <string>

#include "platform/input.h"
#include "platform/window.h"

namespace {

void IgnoreMessages(const platform::Msg&) {}

class SdlInputTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(platform::InitVideo(true, error)) << error;
        ASSERT_TRUE(platform::CreateMainWindow(platform::WindowDesc{}, IgnoreMessages));
        platform::SetInputSource(nullptr);
        ASSERT_TRUE(platform::InputStart());
    }
    void TearDown() override {
        if (handle_) SDL_JoystickClose(handle_);
        if (index_ >= 0) SDL_JoystickDetachVirtual(index_);
        platform::InputStop();
        platform::DestroyMainWindow();
        platform::ShutdownVideo();
    }
    // Attaches a virtual device and opens it through the platform.
    int Attach(SDL_JoystickType type, int axes, int buttons, int hats) {
        index_ = SDL_JoystickAttachVirtual(type, axes, buttons, hats);
        EXPECT_GE(index_, 0) << SDL_GetError();
        handle_ = SDL_JoystickOpen(index_);
        EXPECT_NE(handle_, nullptr) << SDL_GetError();
        EXPECT_EQ(platform::JoystickCount(), index_ + 1);
        int device = platform::JoystickOpen(index_);
        EXPECT_GE(device, 0);
        EXPECT_TRUE(platform::JoystickAcquire(device));
        return device;
    }
    platform::JoystickData Read(int device) {
        platform::JoystickPoll(device);
        platform::JoystickData data;
        EXPECT_TRUE(platform::JoystickRead(device, data));
        return data;
    }
    int index_ = -1;
    SDL_Joystick* handle_ = nullptr;
};

TEST_F(SdlInputTest, PlainJoystickAxesHatsAndButtons) {
    int device = Attach(SDL_JOYSTICK_TYPE_UNKNOWN, 7, 20, 2);
    platform::JoystickCaps caps;
    ASSERT_TRUE(platform::JoystickGetCaps(device, caps));
    EXPECT_TRUE(caps.polled);
    EXPECT_EQ(caps.axisMask, 0x7Fu);
    EXPECT_EQ(caps.buttonCount, 16);
    EXPECT_EQ(caps.povCount, 2);
    std::int32_t minimum = 0, maximum = 0;
    ASSERT_TRUE(platform::JoystickGetAxisRange(device, platform::kJoyAxisX, minimum, maximum));
    EXPECT_EQ(minimum, -32768);
    EXPECT_EQ(maximum, 32767);
    EXPECT_FALSE(platform::JoystickGetAxisRange(device, platform::kJoyAxisSlider1, minimum, maximum));

    SDL_JoystickSetVirtualAxis(handle_, 0, 32767);
    SDL_JoystickSetVirtualAxis(handle_, 1, -32768);
    SDL_JoystickSetVirtualAxis(handle_, 6, 1234);
    SDL_JoystickSetVirtualHat(handle_, 0, SDL_HAT_RIGHTDOWN);
    SDL_JoystickSetVirtualButton(handle_, 3, 1);
    SDL_JoystickSetVirtualButton(handle_, 12, 1);
    platform::JoystickData d = Read(device);
    EXPECT_EQ(d.axes[0], 32767);
    EXPECT_EQ(d.axes[1], -32768);
    EXPECT_EQ(d.sliders[0], 1234);
    EXPECT_EQ(d.pov[0], 13500u);
    EXPECT_EQ(d.pov[1], platform::kPovCentred);
    EXPECT_EQ(d.pov[2], platform::kPovCentred);
    EXPECT_EQ(d.buttons[3], platform::kButtonPressed);
    EXPECT_EQ(d.buttons[12], platform::kButtonPressed);
    EXPECT_EQ(d.buttons[0], 0);
}

TEST_F(SdlInputTest, GameControllerUsesThePadLayout) {
    int device = Attach(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX, SDL_CONTROLLER_BUTTON_MAX, 0);
    ASSERT_TRUE(SDL_IsGameController(index_));
    platform::JoystickCaps caps;
    ASSERT_TRUE(platform::JoystickGetCaps(device, caps));
    EXPECT_EQ(caps.axisMask, 0x1Fu);
    EXPECT_EQ(caps.povCount, 1);

    SDL_JoystickSetVirtualAxis(handle_, SDL_CONTROLLER_AXIS_LEFTX, -32768);
    SDL_JoystickSetVirtualAxis(handle_, SDL_CONTROLLER_AXIS_RIGHTY, 100);
    SDL_JoystickSetVirtualButton(handle_, SDL_CONTROLLER_BUTTON_B, 1);
    SDL_JoystickSetVirtualButton(handle_, SDL_CONTROLLER_BUTTON_START, 1);
    SDL_JoystickSetVirtualButton(handle_, SDL_CONTROLLER_BUTTON_DPAD_LEFT, 1);
    platform::JoystickData d = Read(device);
    EXPECT_EQ(d.axes[platform::kJoyAxisX], -32768);
    EXPECT_EQ(d.axes[platform::kJoyAxisRy], 100);
    EXPECT_EQ(d.buttons[1], platform::kButtonPressed);  // B
    EXPECT_EQ(d.buttons[7], platform::kButtonPressed);  // Start
    EXPECT_EQ(d.buttons[0], 0);
    EXPECT_EQ(d.pov[0], 27000u);
}

TEST_F(SdlInputTest, ADetachedDeviceFailsToRead) {
    int device = Attach(SDL_JOYSTICK_TYPE_UNKNOWN, 2, 4, 1);
    Read(device);
    SDL_JoystickClose(handle_);
    handle_ = nullptr;
    SDL_JoystickDetachVirtual(index_);
    index_ = -1;
    SDL_JoystickUpdate();
    platform::JoystickData data;
    EXPECT_FALSE(platform::JoystickRead(device, data));
}

}  // namespace
