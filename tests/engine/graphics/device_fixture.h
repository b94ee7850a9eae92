#pragma once
// What every test of a started graphics device does around it, and the
// game's camera.
#include <cstdint>
#include <string>

#include "engine/core/application.h"
#include "engine/core/matrix.h"
#include "engine/graphics/camera.h"
#include "engine/graphics/device.h"
#include "platform/clock.h"
#include "platform/gfx/device.h"
#include "platform/system.h"

namespace graphics_test {

inline void IgnoreMessageBox(std::uint32_t, const std::string&, const std::string&) {}

// Before the device starts: a fresh stand-in graphics environment and
// application state, windowed mode, message boxes ignored, `clock` as the
// program's clock and no device hooks. The test then sets its preferences
// and starts the device.
inline void BeginDeviceTest(platform::VirtualClock* clock) {
    platform::gfx::ResetGraphicsEnvironment();
    ResetApplicationState();
    SetWindowMode(1);
    platform::SetMessageBoxSink(IgnoreMessageBox);
    platform::SetClock(clock);
    DeviceHooks() = GraphicsDeviceHooks{};
}

// Stops the device and undoes BeginDeviceTest.
inline void EndDeviceTest() {
    DestroyDirectXGraphics();
    DeviceHooks() = GraphicsDeviceHooks{};
    platform::SetMessageBoxSink(nullptr);
    platform::SetClock(nullptr);
    platform::gfx::ResetGraphicsEnvironment();
}

// The game's camera, made current: orthographic 320 x 240, looking along +z
// from the origin.
inline Camera* GameCamera() {
    Camera* camera = CreateCamera();
    camera->CameraSetOrtho(320.0f, 240.0f, 1.0f, 1000.0f);
    const Vector3 eye{0.0f, 0.0f, 0.0f};
    const Vector3 target{0.0f, 0.0f, 100.0f};
    camera->CameraLookAt(&eye, &target, nullptr);
    camera->CameraUpdateView();
    camera->CameraApply();
    return camera;
}

}  // namespace graphics_test
