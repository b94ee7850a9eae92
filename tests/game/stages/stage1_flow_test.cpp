// The first stage run by its own content, frame by frame (enemies with their
// patterns on HARD, the talk, the timeline), with nothing shot down: both
// roads lead through their waves to the boss.
#include <vector>

#include "game/shell/transition.h"
#include "tests/game/enemy/stage1_fixture.h"
#include "tests/game/stages/stage_flow.h"

namespace {

using Stage1FlowTest = stage_test::StageFlowTest<stage1_test::kStage1Hooks>;

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

// Shoots down, each frame, every part of the boss that can be hit (what the
// player's shots would do), and nothing else.
void ShootTheBoss() {
    if (g_EnemyList.empty() || g_EnemyList[0].spawnId != 150 || g_EnemyList[0].active == 0) return;
    for (const i32 slot : g_EnemyList[0].rootParts) {
        if (slot == kNoPart) break;
        EnemyPart& part = g_EnemyPartPool[slot];
        const HitShape& s = part.hitShape;
        if (part.state == 1 && (s.halfWidth > 0 || s.radius > 0)) {
            part.state = -1;
            part.hp = 0;
        }
    }
}

TEST_F(Stage1FlowTest, TheBossFightRunsThroughItsPhasesToTheClosingFade) {
    Enter(6, 301);  // the second mid-boss is gone: the whole boss comes
    std::vector<i32> states;
    i32 escortsSentAway = 0;
    for (i32 f = 0; f < 20000 && g_GameState.StageScriptPhase != kClosingPhase; ++f) {
        ShootTheBoss();
        PlayFrame();
        if (!g_EnemyList.empty() && g_EnemyList[0].spawnId == 150 &&
            (states.empty() || states.back() != g_EnemyList[0].state)) {
            states.push_back(g_EnemyList[0].state);
        }
        for (const Enemy& e : g_EnemyList) escortsSentAway += e.state == 193 && e.age == 1 ? 1 : 0;
    }
    EXPECT_EQ(states, (std::vector<i32>{180, 181, 182, 183, 191}));
    EXPECT_EQ(escortsSentAway, 4);  // the escorts of phase 3
    EXPECT_EQ(g_GameState.StoryFlags[21], 1);
    ASSERT_EQ(g_GameState.StageScriptPhase, kClosingPhase);
    EXPECT_GT(g_PlayerState[0].StageScorePoints, 4200 + 5200 + 5200 + 6500);
    EXPECT_EQ(TransitionState.running, 1);
    PlayFrame();
    EXPECT_EQ(g_GameState.StageFinished, 0);  // the fade runs
    TransitionState.running = 0;
    PlayFrame();
    EXPECT_EQ(g_GameState.StageFinished, 1);
}

}  // namespace
