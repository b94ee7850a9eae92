#pragma once
// The engine's device, camera, shader, scene and model managers started as
// the application frame starts them, the game's camera applied, and a test
// texture loaded from an image archive written for the test.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "engine/core/application.h"
#include "engine/core/engine_math.h"
#include "engine/graphics/camera.h"
#include "engine/graphics/device.h"
#include "engine/graphics/draw_managers.h"
#include "engine/graphics/texture.h"
#include "engine/graphics/vertex_shader.h"
#include "engine/image/lag_archive.h"
#include "engine/model/model.h"
#include "platform/clock.h"
#include "platform/gfx/present.h"
#include "tests/engine/graphics/device_fixture.h"
#include "tests/support/temp_dir.h"

namespace model_test {

namespace gfx = platform::gfx;

class ModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        graphics_test::BeginDeviceTest(&clock_);
        FillSineTable();
        ResetLights();
        ResetCurrentViewState();
        auto& globals = const_cast<GraphicsDeviceGlobals&>(GraphicsDeviceInfo());
        globals.preferFullColorTexture = 1;
        ASSERT_EQ(InitializeDirectXGraphics(), 1);
        InitializeCamera();
        InitializeVertexShader();
        InitializeTexture();
        InitializeScene();
        InitializeModel();
        camera_ = graphics_test::GameCamera();
    }
    void TearDown() override {
        if (texture_) texture_->Release();
        texture_ = nullptr;
        DestroyScene();
        DestroyModel();
        DestroyVertexShader();
        DestroyTexture();
        DestroyCamera();
        graphics_test::EndDeviceTest();
        ResetLights();
        ResetCurrentViewState();
        auto& globals = const_cast<GraphicsDeviceGlobals&>(GraphicsDeviceInfo());
        globals.preferFullColorTexture = 0;
    }

    gfx::Direct3DDevice8* Device() { return GetDirect3DDevice(); }

    // A 64 x 64 picture that shows its orientation: quadrants red (top left),
    // green (top right), blue (bottom left) and yellow (bottom right), a
    // checker of 8-texel cells, and a white bar along the top rows.
    static std::vector<u8> OrientationPixels() {
        std::vector<u8> bytes(64 * 64 * 4);
        for (int y = 0; y < 64; ++y) {
            for (int x = 0; x < 64; ++x) {
                static const std::uint32_t kQuadrant[4] = {0xFFE04040u, 0xFF40C040u, 0xFF4060E0u, 0xFFE0D040u};
                std::uint32_t c = kQuadrant[(y >= 32 ? 2 : 0) + (x >= 32 ? 1 : 0)];
                if (((x / 8) + (y / 8)) & 1) c = (c >> 1) & 0xFF7F7F7Fu;
                if (y < 4) c = 0xFFFFFFFFu;
                c |= 0xFF000000u;
                std::memcpy(&bytes[static_cast<std::size_t>(y * 64 + x) * 4], &c, 4);
            }
        }
        return bytes;
    }

    // The orientation picture as an engine texture, loaded from an archive
    // entry the way the game loads its cloud pictures.
    Texture* TestTexture() {
        if (texture_) return texture_;
        LagWriteEntry entry;
        entry.name = "orientation";
        entry.width = 64;
        entry.height = 64;
        entry.format = kLagLayout8888;
        entry.pixels = OrientationPixels();
        const std::vector<u8> bytes = LagBuildArchive({entry});
        const std::string path = (dir_.path() / "model.dat").string();
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        out.close();
        texture_ = CreateTexture(path.c_str(), "orientation", 1, nullptr);
        EXPECT_TRUE(texture_ && texture_->TextureIsReady());
        return texture_;
    }

    // One frame: clear, the models, end.
    template <typename Draw>
    void DrawFrame(Draw draw) {
        ASSERT_TRUE(BeginScene());
        ClearScreen(0xFF000000u);
        draw();
        EndScene();
    }

    gfx::Direct3DSurface8* BackBuffer() { return Device()->BackBufferSurface(); }
    std::uint64_t FrameHash() { return gfx::HashSurface(BackBuffer()); }

    // The game's plane: 320 x 240, reset, lit by nothing, texture scrolled.
    Model* GamePlane(f32 uvScale = 1.0f) {
        Model* plane = CreateModelPlane(320.0f, 240.0f, 2, 2, uvScale, nullptr);
        plane->ModelResetTransform();
        plane->ModelSetTexture(0, TestTexture(), -1, -1);
        plane->ModelSetLightingMode(0x100, -1);
        plane->ModelRebuildMeshShader(-1);
        return plane;
    }

    platform::VirtualClock clock_;
    Camera* camera_ = nullptr;
    Texture* texture_ = nullptr;
    testing_support::TempDir dir_;
};

}  // namespace model_test
