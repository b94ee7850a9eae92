// Golden frames of the third stage's enemies drawn from the sample data's
// sheets: the long craft and the fortress as they pass as scenery, the
// mid-boss in both blink phases, and the small looks (the craft that picks
// its cell by its rotation, the buoy on its shadow, the barge with its
// mirrored plate).
#include <cstdio>
#include <string>

#include "engine/core/radians.h"
#include "game/enemy/enemy_behaviour.h"
#include "game/enemy/enemy_content.h"
#include "game/play/enemy_runtime.h"
#include "game/play/stage_dispatch.h"
#include "game/play/stage_textures.h"
#include "game/play/target_markers.h"
#include "game/shell/play_state.h"
#include "game/stages/stage_content.h"
#include "tests/engine/graphics/graphics_fixture.h"
#include "tests/support/golden.h"

namespace {

const std::string kGolden = TOLVARIN_TEST_DIR "/golden";

class Stage3LooksGoldenTest : public graphics_test::GraphicsTest {
protected:
    void SetUp() override {
        graphics_test::GraphicsTest::SetUp();
        std::snprintf(App().applicationFolder, sizeof App().applicationFolder, "%s", TOLVARIN_BUILD_DIR);
        StageTextures& t = g_StageTextures;
        t.E1 = CreateTexture("vsk1.dat", "enemy03", 1, nullptr);
        t.E2 = CreateTexture("vsk1.dat", "enemy03_2", 1, nullptr);
        t.E3 = CreateTexture("vsk1.dat", "boss03_3", 1, nullptr);
        t.B1 = CreateTexture("vsk1.dat", "boss03", 1, nullptr);
        t.B2 = CreateTexture("vsk1.dat", "boss03_2", 1, nullptr);
        t.picture = CreateTexture("vsk1.dat", "picture", 1, nullptr);
        t.missile = CreateTexture("vsk1.dat", "missile", 1, nullptr);
        Reset();
        ClearEnemyLooks();
        RegisterEnemyLooks(EnemyLooksStage3());
    }
    void TearDown() override {
        Reset();
        ClearEnemyLooks();
        g_StageTextures = StageTextures{};
        graphics_test::GraphicsTest::TearDown();
    }
    static void Reset() {
        ResetGameState();
        ResetPlayLists();
    }
    bool TexturesReady() const {
        const StageTextures& t = g_StageTextures;
        for (Texture* s : {t.E1, t.E2, t.E3, t.B1, t.B2, t.picture, t.missile}) {
            if (s == nullptr || !s->TextureIsReady()) return false;
        }
        return true;
    }
    // A kind of this stage at (x, y) with that rotation.
    Enemy& Place(i32 kind, f32 x, f32 y, f32 rotation = kPi / 2) {
        const i32 e = SpawnEnemyStage3(kind);
        EXPECT_GE(e, 0);
        Enemy& enemy = g_EnemyList[static_cast<std::size_t>(e)];
        enemy.x = x;
        enemy.y = y;
        enemy.rotation = rotation;
        return enemy;
    }
    ::testing::AssertionResult Photograph(const std::string& name) {
        ClearScreen(0xFF102030u);
        DrawEnemyLayer(0);
        DrawEnemyLayer(1);
        DrawTargetMarkers();
        return testing_support::MatchesGolden(kGolden, name, BackBuffer());
    }
    // One behaviour step of the boss at the front with the age it sees.
    void StepBoss(i32 age) {
        g_EnemyList[0].age = age;
        RegisterStepEnemy(2, StepEnemyStage3);
        g_GameState.StageIndex = 2;
        RunEnemies();
        ResetStageDispatch();
    }
    EnemyPart& Root(i32 r) { return g_EnemyPartPool[g_EnemyList[0].rootParts[r]]; }
};

TEST_F(Stage3LooksGoldenTest, TheLongCraftAndTheFortressPassAsScenery) {
    ASSERT_TRUE(TexturesReady()) << "the sample data set is missing from " << TOLVARIN_BUILD_DIR;
    // The long craft climbing the field (state 303): its towers, hatches
    // and plates reach 555 pixels ahead of its origin.
    Enemy& craft = Place(39, 320, 560);
    craft.state = 303;
    craft.active = 0;
    g_GameState.FrameCounter = 4;  // the guns swell
    EXPECT_TRUE(Photograph("stage3_long_craft"));
    // The fortress (state 359), its wings and fins angled.
    ResetPlayLists();
    Enemy& fortress = Place(40, 320, 260);
    fortress.state = 359;
    fortress.active = 0;
    g_GameState.FrameCounter = 0;
    EXPECT_TRUE(Photograph("stage3_fortress"));
}

TEST_F(Stage3LooksGoldenTest, TheMidBossBlinksItsArmsAndFinsInTurn) {
    ASSERT_TRUE(TexturesReady()) << "the sample data set is missing from " << TOLVARIN_BUILD_DIR;
    Place(50, 320, 220);
    // b = 1: the fins and the hull's under-layer (look A).
    g_GameState.FrameCounter = 8;
    EXPECT_TRUE(Photograph("stage3_mid_boss_blink_a"));
    // b = 0: the arms (look B).
    g_GameState.FrameCounter = 16;
    EXPECT_TRUE(Photograph("stage3_mid_boss_blink_b"));
}

TEST_F(Stage3LooksGoldenTest, TheSmallCraftTheBuoyAndTheMirroredPlate) {
    ASSERT_TRUE(TexturesReady()) << "the sample data set is missing from " << TOLVARIN_BUILD_DIR;
    // Kind 3 in its three cells: heading right, down and up-left.
    Place(3, 190, 80, 0.0f);
    Place(3, 320, 80, kPi / 2);
    Place(3, 450, 80, -2.5f);
    // The buoy on its shadow.
    Place(8, 200, 260);
    // A barge (kind 25): its plates 342 and 343 (mirrored) either side of the hull.
    Place(25, 400, 320, 0.0f);
    g_GameState.FrameCounter = 0;
    EXPECT_TRUE(Photograph("stage3_small_looks"));
}

// Each set of the long craft as it opens: its targets marked, the rest of
// the craft (still drawn lit) out of the hit test. The craft faces down, so
// the set's parts lie up the screen from its origin; it is placed for each.
TEST_F(Stage3LooksGoldenTest, TheLongCraftsSetsAsTheyOpen) {
    ASSERT_TRUE(TexturesReady()) << "the sample data set is missing from " << TOLVARIN_BUILD_DIR;
    struct Set {
        const char* name;
        i32 counter;
        i32 broken;  // the root whose loss opens the set (-1: the first set, at age 500)
        f32 y;
    };
    const Set sets[] = {{"stage3_long_craft_set0", 0, -1, 160},
                        {"stage3_long_craft_set1", 0, 14, 300},
                        {"stage3_long_craft_set2", 1, 11, 560},
                        {"stage3_long_craft_set3", 2, 5, 420},
                        {"stage3_long_craft_set99", 3, 8, 700}};
    for (const Set& set : sets) {
        SCOPED_TRACE(set.name);
        Reset();
        Enemy& craft = Place(39, 320, set.y);
        craft.state = 390;
        craft.counter = set.counter;
        craft.active = set.broken < 0 ? 0 : 1;
        if (set.broken >= 0) Root(set.broken).state = -1;
        StepBoss(set.broken < 0 ? 500 : 20);
        g_EnemyList[0].x = 320.0f;
        g_EnemyList[0].y = set.y;
        g_GameState.FrameCounter = 2;
        EXPECT_TRUE(Photograph(set.name));
    }
}

// The fortress's sets as they open, and its last phase with the new part.
TEST_F(Stage3LooksGoldenTest, TheFortressSetsAsTheyOpen) {
    ASSERT_TRUE(TexturesReady()) << "the sample data set is missing from " << TOLVARIN_BUILD_DIR;
    struct Set {
        const char* name;
        i32 state, age;
    };
    const Set sets[] = {{"stage3_fortress_set1", 1300, 300},
                        {"stage3_fortress_set2", 1301, 200},
                        {"stage3_fortress_set3", 1302, 200},
                        {"stage3_fortress_last_phase", 1304, 200}};
    for (const Set& set : sets) {
        SCOPED_TRACE(set.name);
        Reset();
        Enemy& fortress = Place(40, 320, 220);
        fortress.state = set.state;
        if (set.state == 1304) {
            // After the shedding: the plates and domes back, the centre armed.
            for (i32 r = 0; r <= 3; ++r) Root(r).hitShape = HitShape{};
        }
        StepBoss(set.age);
        g_EnemyList[0].y = 220.0f;
        g_GameState.FrameCounter = 2;
        EXPECT_TRUE(Photograph(set.name));
    }
}

}  // namespace
