#pragma once
// The engine's device, camera, shader, scene and model managers started as
// the application frame starts them, the game's camera applied, and a test
// texture made on the device.
#include <gtest/gtest.h>

#include <string>

#include "engine/core/application.h"
#include "engine/core/engine_math.h"
#include "engine/graphics/camera.h"
#include "engine/graphics/device.h"
#include "engine/graphics/draw_managers.h"
#include "engine/graphics/vertex_shader.h"
#include "engine/model/model.h"
#include "platform/clock.h"
#include "platform/gfx/present.h"
#include "platform/system.h"

namespace model_test {

namespace gfx = platform::gfx;

inline void IgnoreMessageBox(std::uint32_t, const std::string&, const std::string&) {}

class ModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        gfx::ResetGraphicsEnvironment();
        ResetApplicationState();
        SetWindowMode(1);
        platform::SetMessageBoxSink(IgnoreMessageBox);
        platform::SetClock(&clock_);
        DeviceHooks() = GraphicsDeviceHooks{};
        FillSineTable();
        ResetLights();
        ResetCurrentViewState();
        ASSERT_EQ(InitializeDirectXGraphics(), 1);
        InitializeCamera();
        InitializeVertexShader();
        InitializeScene();
        InitializeModel();
        camera_ = CreateCamera();
        camera_->CameraSetOrtho(320.0f, 240.0f, 1.0f, 1000.0f);
        const Vector3 eye{0.0f, 0.0f, 0.0f};
        const Vector3 target{0.0f, 0.0f, 100.0f};
        camera_->CameraLookAt(&eye, &target, nullptr);
        camera_->CameraUpdateView();
        camera_->CameraApply();
    }
    void TearDown() override {
        if (texture_) texture_->Release();
        texture_ = nullptr;
        DestroyScene();
        DestroyModel();
        DestroyVertexShader();
        DestroyCamera();
        DestroyDirectXGraphics();
        DeviceHooks() = GraphicsDeviceHooks{};
        ResetLights();
        ResetCurrentViewState();
        platform::SetMessageBoxSink(nullptr);
        platform::SetClock(nullptr);
        gfx::ResetGraphicsEnvironment();
    }

    gfx::Direct3DDevice8* Device() { return GetDirect3DDevice(); }

    // A 64 x 64 picture that shows its orientation: quadrants red (top left),
    // green (top right), blue (bottom left) and yellow (bottom right), a
    // checker of 8-texel cells, and a white bar along the top rows.
    gfx::Direct3DTexture8* TestTexture() {
        if (texture_) return texture_;
        EXPECT_EQ(Device()->CreateTexture(64, 64, 1, 0, gfx::D3DFMT_A8R8G8B8, gfx::D3DPOOL_MANAGED, &texture_),
                  gfx::D3D_OK);
        gfx::D3DLOCKED_RECT locked;
        EXPECT_EQ(texture_->LockRect(0, &locked, nullptr, 0), gfx::D3D_OK);
        for (int y = 0; y < 64; ++y) {
            auto* row = reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(locked.pBits) + y * locked.Pitch);
            for (int x = 0; x < 64; ++x) {
                static const std::uint32_t kQuadrant[4] = {0xFFE04040u, 0xFF40C040u, 0xFF4060E0u, 0xFFE0D040u};
                std::uint32_t c = kQuadrant[(y >= 32 ? 2 : 0) + (x >= 32 ? 1 : 0)];
                if (((x / 8) + (y / 8)) & 1) c = (c >> 1) & 0xFF7F7F7Fu;
                if (y < 4) c = 0xFFFFFFFFu;
                row[x] = c | 0xFF000000u;
            }
        }
        texture_->UnlockRect(0);
        return texture_;
    }

    // Binds the test texture on stage 0 behind the engine's texture cache: the
    // cache holds "none" for every stage, so a material without texture leaves
    // this binding in place while the mesh draws.
    void BindTestTexture() { Device()->SetTexture(0, TestTexture()); }

    // One frame: clear, the models, end.
    template <typename Draw>
    void DrawFrame(Draw draw) {
        ASSERT_TRUE(BeginScene());
        ClearScreen(0xFF000000u);
        BindTestTexture();
        draw();
        EndScene();
    }

    gfx::Direct3DSurface8* BackBuffer() { return Device()->BackBufferSurface(); }
    std::uint64_t FrameHash() { return gfx::HashSurface(BackBuffer()); }

    // The game's plane: 320 x 240, reset, lit by nothing, texture scrolled.
    Model* GamePlane(f32 uvScale = 1.0f) {
        Model* plane = CreateModelPlane(320.0f, 240.0f, 2, 2, uvScale, nullptr);
        plane->ModelResetTransform();
        plane->ModelSetTexture(0, nullptr, -1, -1);
        plane->ModelSetLightingMode(0x100, -1);
        plane->ModelRebuildMeshShader(-1);
        return plane;
    }

    platform::VirtualClock clock_;
    Camera* camera_ = nullptr;
    gfx::Direct3DTexture8* texture_ = nullptr;
};

}  // namespace model_test
