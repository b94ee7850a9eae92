// The first stage run by its own content, frame by frame (enemies with their
// patterns on HARD, the talk, the timeline), with nothing shot down: both
// roads lead through their waves to the boss.
#include <vector>

#include "game/enemy/enemy_content.h"
#include "game/patterns/pattern_content.h"
#include "game/play/talk.h"
#include "game/stages/stage_content.h"
#include "tests/game/enemy/stage1_fixture.h"

namespace {

using stage1_test::Stage1Test;

class Stage1FlowTest : public Stage1Test {
protected:
    void SetUp() override {
        Stage1Test::SetUp();
        RegisterEnemyContent();
        RegisterStageContent();
        RegisterPatternContent();
        g_GameState.Difficulty = 2;
        DefaultHitShapes[0] = {5, 3, 0};
        DefaultHitShapes[1] = {0, 0, 5};
        DefaultHitShapes[2] = {0, 0, 12};
    }
    void TearDown() override {
        ResetStageDispatch();
        Stage1Test::TearDown();
    }
    // One play frame of the parts this stage's content drives.
    void PlayFrame() {
        RunEnemies();
        g_EnemyBulletList.clear();  // nothing here moves or removes them
        g_EnemyShellList.clear();
        g_EffectList.clear();
        g_GameState.FrameCounter += 1;
        RunStageScript();
        UpdateTalk();
    }
    // The phases in the order the timeline entered them, until `phase` has
    // run for `extra` frames or `limit` frames have passed.
    std::vector<i32> RunUntil(i32 phase, i32 extra, i32 limit, void (*onPhase)(i32) = nullptr) {
        std::vector<i32> phases = {g_GameState.StageScriptPhase};
        for (i32 f = 0; f < limit; ++f) {
            PlayFrame();
            const i32 now = g_GameState.StageScriptPhase;
            if (now != phases.back()) {
                phases.push_back(now);
                if (onPhase) onPhase(now);
            }
            if (now == phase && g_GameState.StageScriptFrame > extra) break;
        }
        return phases;
    }
};

TEST_F(Stage1FlowTest, UntouchedTheShortRoadBringsTheDamagedBoss) {
    const auto phases = RunUntil(10, 400, 20000);
    EXPECT_EQ(phases, (std::vector<i32>{0, 1, 2, 5, 10}));
    // Story flag 6 came from the first mid-boss's farewell talk.
    EXPECT_EQ(g_GameState.StoryFlags[6], 1);
    EXPECT_EQ(g_GameState.StoryFlags[9], 1);
    ASSERT_FALSE(g_EnemyList.empty());
    EXPECT_EQ(g_EnemyList[0].spawnId, 150);
    // Phase 2 has opened: the damaged boss came in state 181.
    EXPECT_EQ(g_EnemyList[0].state, 181);
    EXPECT_EQ(g_EnemyList[0].active, 1);
}

void ForgetFlag6(i32 phase) {
    if (phase == 2) g_GameState.StoryFlags[6] = 0;
}

TEST_F(Stage1FlowTest, TheLongRoadBringsTheWholeBossWithItsEscorts) {
    const auto phases = RunUntil(10, 400, 30000, ForgetFlag6);
    EXPECT_EQ(phases, (std::vector<i32>{0, 1, 2, 8, 10}));
    ASSERT_EQ(g_EnemyList.size(), 5u);  // the boss and its four escorts
    EXPECT_EQ(g_EnemyList[0].state, 180);
    EXPECT_EQ(g_EnemyList[0].active, 1);  // phase 1 opened
    EXPECT_EQ(g_EnemyList[1].state, 120);
    EXPECT_EQ(g_EnemyList[1].active, 1);
}

}  // namespace
