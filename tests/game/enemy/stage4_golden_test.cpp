// Golden frames of stage index 3's enemies drawn through the software device
// over the sample data set's sheets (each sheet's cells are labelled with the
// sprite kinds drawn from them).
#include <filesystem>
#include <string>
#include <vector>

#include "engine/core/radians.h"
#include "game/enemy/enemy_behaviour.h"
#include "game/enemy/enemy_content.h"
#include "game/play/enemy_runtime.h"
#include "game/play/stage_dispatch.h"
#include "game/play/stage_textures.h"
#include "game/stages/stage_content.h"
#include "tests/engine/graphics/graphics_fixture.h"
#include "tests/game/enemy/enemy_fixture.h"
#include "tests/support/golden.h"

namespace {

const std::string kGolden = TOLVARIN_TEST_DIR "/golden";

class Stage4GoldenTest : public graphics_test::GraphicsTest {
protected:
    void SetUp() override {
        GraphicsTest::SetUp();
        enemy_test::ResetEnemyFrameState();
        const std::string archive = std::string(TOLVARIN_BUILD_DIR) + "/vsk1.dat";
        ASSERT_TRUE(std::filesystem::exists(archive)) << "the sample data set is missing: " << archive;
        const struct {
            Texture** slot;
            const char* name;
        } sheets[] = {{&g_StageTextures.E1, "enemy05"},
                      {&g_StageTextures.E2, "enemy05_2"},
                      {&g_StageTextures.E3, "enemy05_3"},
                      {&g_StageTextures.B1, "boss05_1"},
                      {&g_StageTextures.B2, "boss05_2"}};
        for (const auto& s : sheets) {
            *s.slot = CreateTexture(archive.c_str(), s.name, 1, nullptr);
            ASSERT_NE(*s.slot, nullptr) << s.name;
        }
        RegisterEnemyLooks(EnemyLooksStage4());
    }
    void TearDown() override {
        for (Texture** slot : {&g_StageTextures.E1, &g_StageTextures.E2, &g_StageTextures.E3, &g_StageTextures.B1,
                               &g_StageTextures.B2}) {
            if (*slot) (*slot)->Release();
            *slot = nullptr;
        }
        enemy_test::ResetEnemyFrameState();
        GraphicsTest::TearDown();
    }
    // Spawns the kind at (x, y) turned by `rotation`, at that scale.
    i32 Place(i32 kind, f32 x, f32 y, f32 rotation, f32 scale = 1.0f) {
        const i32 e = SpawnEnemyStage4(kind);
        EXPECT_GE(e, 0);
        Enemy& enemy = g_EnemyList[static_cast<std::size_t>(e)];
        enemy.x = x;
        enemy.y = y;
        enemy.rotation = rotation;
        enemy.scale = scale;
        return e;
    }
    void DrawField() {
        ClearScreen(0);
        DrawEnemyLayer(0);
        DrawEnemyLayer(1);
    }
};

// The ordinary enemies: the mid-boss's block (a destroyed side block
// tinted), the carrier growing at 0.6 (shaded grey), the side-gun craft at
// its 0.85, a three-part stream enemy, the flat broadside body and its
// pulsing gun, the craft, and scenery at 0.8.
TEST_F(Stage4GoldenTest, TheOrdinaryEnemiesAndTheMidBoss) {
    g_GameState.FrameCounter = 4;
    const i32 midBoss = Place(1, 200, 110, kHalfPi);
    g_EnemyPartPool[g_EnemyList[static_cast<std::size_t>(midBoss)].rootParts[3]].state = -1;
    Place(5, 420, 120, kHalfPi, 0.6f);
    Place(6, 190, 330, kHalfPi, 0.85f);
    Place(10, 420, 320, kHalfPi);
    Place(12, 300, 420, kHalfPi, 0.5f);
    Place(3, 300, 250, kHalfPi + 0.4f);
    const i32 scenery = Place(8, 480, 440, -kHalfPi, 0.8f);
    g_EnemyList[static_cast<std::size_t>(scenery)].layer = 1;
    DrawField();
    EXPECT_TRUE(testing_support::MatchesGolden(kGolden, "stage4_enemies", BackBuffer()));
}

// The boss at the opening of each phase, the targets of the phases before it
// destroyed (tinted), drawn the frame after it opened.
TEST_F(Stage4GoldenTest, TheBossAtEachOpening) {
    struct Case {
        i32 state, opensAt;
        f32 fromY;  // where the phase before it left the boss
        std::vector<i32> rootsDown;
        std::vector<i32> platesDown;
    };
    const Case cases[] = {
        {590, 400, -300, {}, {}},
        {591, 300, 0, {4, 5}, {}},
        {592, 1, 150, {4, 5, 0, 1, 11, 12}, {2, 3}},
        {593, 300, -80, {4, 5, 0, 1, 11, 12, 2, 3}, {2, 3}},
        {594, 300, 50, {4, 5, 0, 1, 11, 12, 2, 3, 7, 8}, {0, 1, 2, 3}},
    };
    RegisterStepEnemy(3, StepEnemyStage4);
    g_GameState.StageIndex = 3;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.state);
        ResetPlayLists();
        const i32 e = Place(99, 320, c.fromY, kHalfPi);
        Enemy& boss = g_EnemyList[static_cast<std::size_t>(e)];
        boss.state = c.state;
        boss.speed = 1.0f;
        boss.heading = kHalfPi;
        boss.active = 0;
        for (const i32 r : c.rootsDown) g_EnemyPartPool[boss.rootParts[r]].state = -1;
        const EnemyPart& centre = g_EnemyPartPool[boss.rootParts[6]];
        for (const i32 p : c.platesDown) g_EnemyPartPool[centre.children[p]].state = -1;
        while (g_EnemyList[0].age <= c.opensAt) RunEnemies();
        g_GameState.FrameCounter = 6;
        DrawField();
        EXPECT_TRUE(testing_support::MatchesGolden(kGolden, "stage4_boss_" + std::to_string(c.state), BackBuffer()));
    }
}

}  // namespace
