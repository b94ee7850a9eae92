// Golden frames of the castle of stage index 4 drawn with the sample art: the
// ring of tiles around its keep in each of the three tile frames, and its
// core sliding out (closed, half way, all the way).
#include <cstdio>

#include "game/enemy/enemy_content.h"
#include "game/enemy/enemy_draw.h"
#include "game/play/stage_textures.h"
#include "game/shell/play_state.h"
#include "tests/engine/graphics/graphics_fixture.h"
#include "tests/game/enemy/enemy_fixture.h"
#include "tests/support/golden.h"

namespace {

class CastleGoldenTest : public graphics_test::GraphicsTest {
protected:
    void SetUp() override {
        GraphicsTest::SetUp();
        enemy_test::ResetEnemyFrameState();
        std::snprintf(App().applicationFolder, sizeof App().applicationFolder, "%s", TOLVARIN_BUILD_DIR);
        g_StageTextures.E6 = CreateTexture("vsk1.dat", "shiro1", 1, nullptr);
        g_StageTextures.E7 = CreateTexture("vsk1.dat", "shiro2", 1, nullptr);
        g_StageTextures.E8 = CreateTexture("vsk1.dat", "shiro3", 1, nullptr);
        g_StageTextures.E9 = CreateTexture("vsk1.dat", "shiro4", 1, nullptr);
        RegisterEnemyLooks(EnemyLooksStage5());
        g_GameState.StageIndex = 4;
    }
    void TearDown() override {
        for (Texture* t : {g_StageTextures.E6, g_StageTextures.E7, g_StageTextures.E8, g_StageTextures.E9}) {
            if (t != nullptr) t->Release();
        }
        g_StageTextures = StageTextures{};
        enemy_test::ResetEnemyFrameState();
        GraphicsTest::TearDown();
    }
    static bool SheetsReady() {
        for (Texture* t : {g_StageTextures.E6, g_StageTextures.E7, g_StageTextures.E8, g_StageTextures.E9}) {
            if (t == nullptr || t->TextureIsReady() == 0) return false;
        }
        return true;
    }
};

// The keep (sprite kind 1001) alone at 0.8 (the smallest scale drawn in
// colour), high in the field as in the fight, with its ring: the groups of
// four tiles at 62 and 118 degrees below it, those at 18 and 162 degrees at
// the edges. Frame counter 0, 2 and 4 draw tile frames 0, 1 and 2 (each tile
// carries its label). In the castle the armour hubs stand over the groups.
TEST_F(CastleGoldenTest, TheRingInItsThreeTileFrames) {
    ASSERT_TRUE(SheetsReady()) << "the sample data set is missing from " << TOLVARIN_BUILD_DIR;
    enemy_test::BuildTableEnemy(enemy_test::TableKind({enemy_test::TablePart(1001, 0, 0)}, {0}), 320.0f, -40.0f, 0.0f,
                                0.8f);
    const struct {
        i32 frameCounter;
        const char* name;
    } frames[] = {{0, "castle_ring_tile0"}, {2, "castle_ring_tile1"}, {4, "castle_ring_tile2"}};
    for (const auto& f : frames) {
        SCOPED_TRACE(f.name);
        g_GameState.FrameCounter = f.frameCounter;
        ClearScreen(0xFF000000u);
        DrawEnemyLayer(0);
        EXPECT_TRUE(testing_support::MatchesGolden(TOLVARIN_TEST_DIR "/golden", f.name, BackBuffer()));
    }
}

// The core (root part 17 of the castle, sprite kind 1009, angle pi/2 under
// the castle's rotation 0) as its pattern slides it: offset y 0, 24 and 49
// from left to right. Its two layers move out along its axis (down the
// screen) by 2.6 and 1.0 times its offset, unscaled.
TEST_F(CastleGoldenTest, TheCoreSlidesOut) {
    ASSERT_TRUE(SheetsReady()) << "the sample data set is missing from " << TOLVARIN_BUILD_DIR;
    const f32 offsets[3] = {0.0f, 24.0f, 49.0f};
    for (i32 i = 0; i < 3; ++i) {
        PartSpec core = enemy_test::TablePart(1009, 0, offsets[i], {}, 1.5707964f);
        enemy_test::BuildTableEnemy(enemy_test::TableKind({core}, {0}), 120.0f + 200.0f * static_cast<f32>(i), 120.0f,
                                    0.0f, 1.0f);
    }
    ClearScreen(0xFF000000u);
    DrawEnemyLayer(0);
    EXPECT_TRUE(testing_support::MatchesGolden(TOLVARIN_TEST_DIR "/golden", "castle_core_slide", BackBuffer()));
}

}  // namespace
