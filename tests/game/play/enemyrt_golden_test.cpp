// Golden frames of the play overlays over the sample data: a blast, shells
// and a marked part with its gauge, as the play draw lays them over each other.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "game/play/effects.h"
#include "game/play/enemy_runtime.h"
#include "game/play/enemy_shells.h"
#include "game/play/stage_textures.h"
#include "game/play/target_markers.h"
#include "game/shell/game_math.h"
#include "game/shell/play_state.h"
#include "tests/engine/graphics/graphics_fixture.h"
#include "tests/support/golden.h"

namespace {

class OverlayGoldenTest : public graphics_test::GraphicsTest {
protected:
    void SetUp() override {
        graphics_test::GraphicsTest::SetUp();
        std::snprintf(App().applicationFolder, sizeof App().applicationFolder, "%s", TOLVARIN_BUILD_DIR);
        g_StageTextures.effect = CreateTexture("vsk1.dat", "effect", 1, nullptr);
        g_StageTextures.missile = CreateTexture("vsk1.dat", "missile", 1, nullptr);
        g_StageTextures.picture = CreateTexture("vsk1.dat", "picture", 1, nullptr);
        Reset();
    }
    void TearDown() override {
        Reset();
        g_StageTextures = StageTextures{};
        graphics_test::GraphicsTest::TearDown();
    }
    static void Reset() {
        ResetGameState();
        ResetPlayLists();
        for (EnemyPart& part : g_EnemyPartPool) part = EnemyPart{};
    }
    bool TexturesReady() const {
        return g_StageTextures.effect->TextureIsReady() && g_StageTextures.missile->TextureIsReady() &&
               g_StageTextures.picture->TextureIsReady();
    }
};

TEST_F(OverlayGoldenTest, ABlastAShellAndAMarkedPart) {
    ASSERT_TRUE(TexturesReady()) << "the sample data set is missing from " << TOLVARIN_BUILD_DIR;
    // A missile blast (effect 21) grown to full size, and a smoke puff.
    const f32 blastAt[2] = {220, 330};
    SpawnEffect(21, blastAt, 0, 0);
    g_EffectList[0].age = 24;
    g_EffectList[0].scale = 1.05f;
    g_EffectList[0].param = 0.6f;
    const f32 puffAt[2] = {420, 380};
    SpawnEffect(10, puffAt, 1.0f, -1);
    g_EffectList[1].age = 6;
    // Two shells: a rocket heading down-right and a spinning mine.
    const f32 rocketAt[2] = {380, 160};
    FireEnemyShell(101, 50, 3, 3, HitShape{0, 0, 8}, 0.7f, 0.7f, rocketAt, 5);
    const f32 mineAt[2] = {200, 150};
    FireEnemyShell(380, 200, 1, 3, HitShape{0, 0, 40}, 0.3f, 0.3f, mineAt);
    // An enemy whose part is marked and was just hit (70 % health).
    const i32 part = AllocateEnemyPart();
    ASSERT_GE(part, 0);
    EnemyPart& p = g_EnemyPartPool[part];
    p.state = 1;
    p.spriteKind = 5;
    p.maxHp = 100;
    p.hp = 70;
    p.hitTimer = 60;
    for (i32& c : p.children) c = kNoPart;
    Enemy e;
    e.x = 330;
    e.y = 250;
    e.rootParts[0] = part;
    g_EnemyList.push_back(e);
    AddTargetMarker(&p, 5);
    g_TargetMarkerList[0].timer = 40;

    ClearScreen(0xFF000000u);
    DrawEffects(0);
    DrawEnemyShells();
    DrawTargetMarkers();
    Enemy& enemy = g_EnemyList[0];
    DrawPartHpGauge(0, &p, &enemy.x, &enemy.rotation);
    EXPECT_TRUE(testing_support::MatchesGolden(TOLVARIN_TEST_DIR "/golden", "enemyrt_overlays", BackBuffer()));
}

}  // namespace
