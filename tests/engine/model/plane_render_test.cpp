// Planes drawn through the game's camera on the software device: golden
// frames, texture scrolling, the device restore, and a scrolling demo saved
// as a picture.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>

#include "tests/engine/model/model_fixture.h"
#include "tests/support/golden.h"

using model_test::ModelTest;
namespace gfx = platform::gfx;

namespace {

const std::string kGoldenDir = TOLVARIN_TEST_DIR "/golden";

std::uint32_t PixelAt(gfx::Direct3DSurface8* surface, int x, int y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(surface->Bits() + y * surface->Pitch());
    return row[x] & 0x00FFFFFFu;
}

}  // namespace

TEST_F(ModelTest, GamePlaneFillsTheScreen) {
    Model* plane = GamePlane();
    plane->ModelSetPosition(0.0f, 0.0f, 10.0f);
    plane->ModelUpdate(0.0f);
    DrawFrame([&] { plane->ModelRender(); });
    gfx::Direct3DSurface8* frame = BackBuffer();
    // Every corner pixel is covered; the top rows show the texture's white bar
    // (v = 0 at the top), the left half red, the right half green.
    for (auto [x, y] : {std::pair{0, 0}, std::pair{639, 0}, std::pair{0, 479}, std::pair{639, 479}}) {
        EXPECT_NE(PixelAt(frame, x, y), 0u) << x << "," << y;
    }
    EXPECT_EQ(PixelAt(frame, 320, 10), 0xFFFFFFu);
    const std::uint32_t left = PixelAt(frame, 100, 120);
    const std::uint32_t right = PixelAt(frame, 540, 120);
    EXPECT_GT((left >> 16) & 0xFF, (left >> 8) & 0xFF);
    EXPECT_GT((right >> 8) & 0xFF, (right >> 16) & 0xFF);
    EXPECT_TRUE(testing_support::MatchesGolden(kGoldenDir, "plane_full_screen", frame));
}

TEST_F(ModelTest, RotatedPlaneLargerThanTheView) {
    Model* plane = CreateModelPlane(640.0f, 640.0f, 2, 2, 2.0f, nullptr);
    plane->ModelResetTransform();
    plane->ModelSetTexture(0, TestTexture(), -1, -1);
    plane->ModelSetLightingMode(0x100, -1);
    plane->ModelRebuildMeshShader(-1);
    plane->ModelRotateZ(0x1800);
    plane->ModelSetPosition(20.0f, -10.0f, 10.0f);
    plane->ModelUpdate(0.0f);
    // No corner of its box is inside the view: it is found by the edge tests.
    Mesh* mesh = static_cast<Mesh*>(ResourceListGetHead(&plane->meshes));
    const CurrentViewState& view = GetCurrentViewState();
    EXPECT_EQ(CheckBoxInFrustum(mesh->cull.corners, mesh->cull.planes, view.frustum.corners, view.frustum.planes), 2);
    DrawFrame([&] { plane->ModelRender(); });
    gfx::Direct3DSurface8* frame = BackBuffer();
    for (auto [x, y] : {std::pair{0, 0}, std::pair{639, 0}, std::pair{0, 479}, std::pair{639, 479}}) {
        EXPECT_NE(PixelAt(frame, x, y), 0u) << x << "," << y;
    }
    EXPECT_TRUE(testing_support::MatchesGolden(kGoldenDir, "plane_rotated_large", frame));
}

TEST_F(ModelTest, UvOffsetsWrapTheTexture) {
    Model* plane = GamePlane();
    plane->ModelSetPosition(0.0f, 0.0f, 10.0f);
    plane->ModelUpdate(0.0f);
    auto hashWith = [&](f32 u, f32 v) {
        plane->ModelSetUvOffsetU(u, -1);
        plane->ModelSetUvOffsetV(v, -1);
        DrawFrame([&] { plane->ModelRender(); });
        return FrameHash();
    };
    const std::uint64_t still = hashWith(0.0f, 0.0f);
    const std::uint64_t quarter = hashWith(0.25f, 0.0f);
    EXPECT_NE(still, quarter);
    EXPECT_EQ(hashWith(1.25f, 0.0f), quarter);
    EXPECT_EQ(hashWith(-0.75f, 0.0f), quarter);
    EXPECT_EQ(hashWith(1.0f, -2.0f), still);
    const std::uint64_t down = hashWith(0.0f, 0.5f);
    EXPECT_NE(down, still);
    EXPECT_EQ(hashWith(0.0f, -0.5f), down);
}

TEST_F(ModelTest, PlaneDrawsTheSameAfterADeviceRestore) {
    Model* plane = GamePlane();
    plane->ModelSetPosition(0.0f, 0.0f, 10.0f);
    plane->ModelRotateZ(0x0800);
    plane->ModelUpdate(0.0f);
    DrawFrame([&] { plane->ModelRender(); });
    const std::uint64_t before = FrameHash();
    Mesh* mesh = static_cast<Mesh*>(ResourceListGetHead(&plane->meshes));
    // The texture and model managers both take part in the restore.
    ASSERT_NE(DeviceHooks().lostAll[kDeviceObjectTextures], nullptr);
    ASSERT_NE(DeviceHooks().lostAll[kDeviceObjectModels], nullptr);
    Device()->SimulateDeviceLost();
    Present();
    ASSERT_FALSE(Device()->IsLost());
    EXPECT_TRUE(TestTexture()->TextureIsReady());
    ASSERT_NE(mesh->vertexBuffer, nullptr);
    ASSERT_NE(mesh->indexBuffer, nullptr);
    ASSERT_NE(mesh->vertexShader, nullptr);
    EXPECT_NE(mesh->vertexShader->ShaderGetHandle(), kNoShaderHandle);
    DrawFrame([&] { plane->ModelRender(); });
    EXPECT_EQ(FrameHash(), before);
}

// The cloud layer of the first stage as the game draws it: one plane at
// z 10, its texture drifting sideways with a period of T frames and
// scrolling down with the background; the last frame is saved as a picture.
TEST_F(ModelTest, ScrollingPlaneDemo) {
    Model* plane = GamePlane();
    const int kFrames = 90;
    const f32 kPeriod = 600.0f;
    std::uint64_t previous = 0;
    for (int frame = 0; frame < kFrames; ++frame) {
        const f32 u = static_cast<f32>(frame % 600) / kPeriod;
        f32 v = static_cast<f32>(frame * 4) / 480.0f;
        if (v > 1.0f) v -= 1.0f;
        plane->ModelResetTransform();
        plane->ModelSetPosition(0.0f, 0.0f, 10.0f);
        plane->ModelSetUvOffsetV(-v, -1);
        plane->ModelSetUvOffsetU(u, -1);
        plane->ModelUpdate(0.0f);
        DrawFrame([&] { plane->ModelRender(); });
        const std::uint64_t hash = FrameHash();
        EXPECT_NE(hash, previous) << "frame " << frame << " did not move";
        previous = hash;
        Present();
    }
    const std::string path = TOLVARIN_BUILD_DIR "/model_scrolling_plane.png";
    EXPECT_TRUE(gfx::SaveSurfacePng(path, BackBuffer()));
    EXPECT_TRUE(testing_support::MatchesGolden(kGoldenDir, "plane_scrolled_90", BackBuffer()));
}
