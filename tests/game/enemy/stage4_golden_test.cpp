// Golden frames of stage index 3's enemies drawn through the software device
// over the sample data set's sheets (each sheet's cells are labelled with the
// sprite kinds drawn from them).
#include <filesystem>
#include <numbers>
#include <string>

#include "game/enemy/enemy_content.h"
#include "game/stages/stage_content.h"
#include "tests/engine/graphics/graphics_fixture.h"
#include "tests/game/enemy/enemy_fixture.h"
#include "tests/support/golden.h"

namespace {

constexpr f32 kPi = std::numbers::pi_v<f32>;
constexpr f32 kHalfPi = 1.5707964f;
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
        } sheets[] = {{&g_StageTextures.E1, "enemy05"}, {&g_StageTextures.E2, "enemy05_2"},
                      {&g_StageTextures.E3, "enemy05_3"}, {&g_StageTextures.B1, "boss05_1"},
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

}  // namespace
