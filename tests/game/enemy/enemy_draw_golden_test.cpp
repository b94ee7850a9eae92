// Golden frames of enemy trees drawn through the software device.
#include <vector>

#include "engine/core/radians.h"
#include "game/enemy/enemy_draw.h"
#include "game/play/stage_textures.h"
#include "platform/gfx/raster.h"
#include "tests/engine/graphics/graphics_fixture.h"
#include "tests/game/enemy/enemy_fixture.h"
#include "tests/support/golden.h"

namespace {

using enemy_test::BuildTableEnemy;
using enemy_test::TableKind;
using enemy_test::TablePart;

const std::string kGolden = TOLVARIN_TEST_DIR "/golden";

// A 64 x 32 sheet: a 32 x 32 body cell and a 32 x 32 flame cell.
constexpr LookSprite kHull[] = {
    {.source = {32, 0, 63, 31}, .hx = 8, .hy = 8, .offsetX = 22, .offsetY = 0},  // flame under the body
    {.source = {0, 0, 31, 31}, .size = LookSize::kScaled, .hx = 16, .hy = 16},
};
constexpr LookSprite kGun[] = {{.source = {0, 0, 31, 31}, .hx = 6, .hy = 10, .tint = 0xFF643232u}};
constexpr EnemyLook kLooks[] = {{.firstKind = 110, .lastKind = 110, .sprites = kHull},
                                {.firstKind = 111, .lastKind = 111, .sprites = kGun}};

// The body cell blue with a white frame and a white nose stripe at its right
// (the +x side, where the parts face), the flame cell orange.
std::vector<u32> SheetPicture() {
    std::vector<u32> p(64 * 32);
    for (i32 y = 0; y < 32; ++y) {
        for (i32 x = 0; x < 64; ++x) {
            u32 c = x < 32 ? 0xFF3060E0u : 0xFFFF8020u;
            if (x < 32 && (x == 0 || y == 0 || x == 31 || y == 31 || (x > 24 && y > 12 && y < 19))) c = 0xFFFFFFFFu;
            p[static_cast<std::size_t>(y) * 64 + x] = c;
        }
    }
    return p;
}

class EnemyDrawGoldenTest : public graphics_test::GraphicsTest {
protected:
    void SetUp() override {
        GraphicsTest::SetUp();
        enemy_test::ResetEnemyFrameState();
        const std::string path =
            WriteArchive("enemies.dat", {graphics_test::ArgbEntry("enemy01", 64, 32, SheetPicture())});
        sheet_ = CreateTexture(path.c_str(), "enemy01", 1, nullptr);
        ASSERT_EQ(sheet_->TextureIsReady(), 1);
        g_StageTextures.E1 = sheet_;
        RegisterEnemyLooks(kLooks);
        PointFiltering();
    }
    void TearDown() override {
        g_StageTextures.E1 = nullptr;
        sheet_->Release();
        enemy_test::ResetEnemyFrameState();
        GraphicsTest::TearDown();
    }
    Texture* sheet_ = nullptr;
};

TEST_F(EnemyDrawGoldenTest, TurnedScaledAndScrolledTrees) {
    // A hull with two guns, one of them destroyed (tinted), a kind without a
    // look in between; the same tree turned, halved and scrolled.
    PartSpec dead = TablePart(111, 0, -20);
    const auto kind =
        TableKind({TablePart(111, 0, 20), dead, TablePart(0, 10, 0, {1}), TablePart(110, 0, 0, {0, 2})}, {3});
    BuildTableEnemy(kind, 200, 120);
    BuildTableEnemy(kind, 320, 300, kPi / 2, 0.5f);
    const i32 turned = BuildTableEnemy(kind, 420, 200, -kPi / 4, 1.5f);
    g_EnemyList[static_cast<std::size_t>(turned)].layer = 1;
    g_EnemyPartPool[1].state = -1;
    g_EnemyPartPool[5].state = -1;
    g_GameState.FieldScrollX = 12.0f;

    ClearScreen(0);
    DrawEnemyLayer(0);
    DrawEnemyLayer(1);
    EXPECT_TRUE(testing_support::MatchesGolden(kGolden, "enemy_trees", BackBuffer()));
}

// A cell red in its upper half and blue in its lower half, drawn upside down:
// flat, turned by 0 and turned by a half turn (both still screen-aligned).
constexpr LookSprite kMirrored[] = {{.source = {0, 0, 31, 31}, .hx = 16, .hy = 16, .upsideDown = true}};
constexpr LookSprite kMirroredFlat[] = {
    {.source = {0, 0, 31, 31}, .hx = 16, .hy = 16, .upsideDown = true, .turn = LookTurn::kFlat}};
constexpr EnemyLook kMirroredLooks[] = {{.firstKind = 343, .lastKind = 343, .sprites = kMirrored},
                                        {.firstKind = 349, .lastKind = 349, .sprites = kMirroredFlat}};

TEST_F(EnemyDrawGoldenTest, AnUpsideDownRectangleDrawsTheSameThroughTheRectanglePathAsThroughTriangles) {
    std::vector<u32> halves(32 * 32);
    for (std::size_t i = 0; i < halves.size(); ++i) halves[i] = i < halves.size() / 2 ? 0xFFE02020u : 0xFF2020E0u;
    const std::string path = WriteArchive("halves.dat", {graphics_test::ArgbEntry("enemy01", 32, 32, halves)});
    Texture* sheet = CreateTexture(path.c_str(), "enemy01", 1, nullptr);
    ASSERT_EQ(sheet->TextureIsReady(), 1);
    g_StageTextures.E1 = sheet;
    ClearEnemyLooks();
    RegisterEnemyLooks(kMirroredLooks);
    BuildTableEnemy(TableKind({TablePart(343, 0, 0)}, {0}), 100, 100, 0.0f);
    BuildTableEnemy(TableKind({TablePart(343, 0, 0)}, {0}), 200, 100, kPi);
    BuildTableEnemy(TableKind({TablePart(349, 0, 0)}, {0}), 300, 100, 0.5f);

    auto draw = [&](bool rectangles) {
        platform::gfx::raster::UseRectanglePath(rectangles);
        ClearScreen(0);
        DrawEnemyLayer(0);
        const u32* argb = BackBuffer()->Argb();
        return std::vector<u32>(argb, argb + static_cast<std::size_t>(BackBuffer()->Width()) * BackBuffer()->Height());
    };
    const std::uint64_t before = platform::gfx::raster::RectanglesDrawn();
    const std::vector<u32> fast = draw(true);
    EXPECT_EQ(platform::gfx::raster::RectanglesDrawn() - before, 3u) << "all three took the rectangle path";
    const std::vector<u32> triangles = draw(false);
    platform::gfx::raster::UseRectanglePath(true);
    EXPECT_TRUE(fast == triangles);
    // Mirrored: the flat one and the one turned by 0 show blue on top; the
    // half turn brings red back on top.
    EXPECT_EQ(Pixel(100, 90), 0x2020E0u);
    EXPECT_EQ(Pixel(100, 110), 0xE02020u);
    EXPECT_EQ(Pixel(200, 90), 0xE02020u);
    EXPECT_EQ(Pixel(300, 90), 0x2020E0u);

    g_StageTextures.E1 = sheet_;
    sheet->Release();
}

}  // namespace
