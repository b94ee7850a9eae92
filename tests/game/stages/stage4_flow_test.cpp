// The fourth stage run by its own content, frame by frame (enemies with their
// patterns, the talk, the timeline): the mid-boss's three fights broken by
// the parts a player would shoot, each road leading to the boss's phase.
#include <set>
#include <string>
#include <vector>

#include "game/shell/story_flags.h"
#include "game/shell/transition.h"
#include "tests/game/enemy/stage4_fixture.h"
#include "tests/game/stages/stage_flow.h"

namespace {

// Which root parts of the mid-boss the "player" shoots down in each fight,
// once the fight has opened (age 100): none leaves the fight to run its
// course.
struct Shooting {
    std::set<i32> fight541;
    std::set<i32> fight544;
    std::set<i32> fight545;
};

class Stage4FlowTest : public stage_test::StageFlowTest<stage4_test::kStage4Hooks> {
protected:
    // Shoots down the chosen parts of the mid-boss in its fight.
    void BeforeFrame() override {
        for (std::size_t i = 0; i < g_EnemyList.size(); ++i) {
            const Enemy& e = g_EnemyList[i];
            if (e.active == 0 || e.age < 100) continue;
            const std::set<i32>* roots = e.state == 541   ? &shooting_.fight541
                                         : e.state == 544 ? &shooting_.fight544
                                         : e.state == 545 ? &shooting_.fight545
                                                          : nullptr;
            if (roots == nullptr) continue;
            for (const i32 r : *roots) {
                const i32 slot = e.rootParts[r];
                if (g_EnemyPartPool[slot].state != 1) continue;
                const f32 pos[2] = {e.x, e.y};
                const f32 angle = e.rotation;
                KillEnemyPart(static_cast<i32>(i), &g_EnemyPartPool[slot], pos, &angle);
            }
        }
    }
    // Notes the mid-boss's states as they come.
    void AfterFrame() override {
        for (const Enemy& e : g_EnemyList) {
            if (e.spawnId >= 580 && e.spawnId <= 582 && (states_.empty() || states_.back() != e.state)) {
                states_.push_back(e.state);
            }
        }
    }

    Shooting shooting_;
    std::vector<i32> states_;  // the mid-boss's states as they came
};

// Shoots down, each frame, every part of the boss that can be hit (what the
// player's shots would do), its centre (root part 6) only when asked; on
// each difficulty.
class Stage4BossFlowTest : public stage_test::StageFlowTest<stage4_test::kStage4Hooks>,
                           public ::testing::WithParamInterface<i32> {
protected:
    void SetUp() override {
        StageFlowTest::SetUp();
        g_GameState.Difficulty = GetParam();
    }
    void BeforeFrame() override {
        if (g_EnemyList.empty() || g_EnemyList[0].state < 590 || g_EnemyList[0].active == 0) return;
        const Enemy& boss = g_EnemyList[0];
        for (i32 r = 0; r < 13; ++r) {
            EnemyPart& part = g_EnemyPartPool[boss.rootParts[r]];
            if (r != 6 || shootCentre_) Shoot(part);
            if (r != 6) continue;
            for (i32 c = 0; c < 6; ++c) Shoot(g_EnemyPartPool[part.children[c]]);
        }
    }
    void AfterFrame() override {
        for (const Enemy& e : g_EnemyList) escorts_ += e.state == 507 && e.age == 1 ? 1 : 0;
        if (!g_EnemyList.empty() && g_EnemyList[0].state >= 590 &&
            (states_.empty() || states_.back() != g_EnemyList[0].state)) {
            states_.push_back(g_EnemyList[0].state);
        }
    }
    static void Shoot(EnemyPart& part) {
        const HitShape& s = part.hitShape;
        if (part.state == 1 && (s.halfWidth > 0 || s.radius > 0)) {
            part.state = -1;
            part.hp = 0;
        }
    }
    // Runs the boss phase to its closing; the boss's states as they came.
    void FightToTheEnd() {
        Enter(10, 499);
        for (i32 f = 0; f < 30000 && g_GameState.StageScriptPhase != kClosingPhase; ++f) PlayFrame();
    }

    bool shootCentre_ = true;
    std::vector<i32> states_;
    i32 escorts_ = 0;  // escorts of the extra phase as they came in
};

// The whole stage from its start: the first fight broken by the rear blocks,
// the second by the centre, which sets story flag 71: the risers' road.
TEST_F(Stage4FlowTest, TheCentreOfTheSecondFightTakesTheRisersRoad) {
    shooting_ = {{0, 1}, {2}, {}};
    const auto phases = RunUntil(10, 480, 40000);
    EXPECT_EQ(phases, (std::vector<i32>{0, 5, 31, 3, 21, 32, 4, 6, 10}));
    EXPECT_EQ(states_, (std::vector<i32>{540, 541, 543, 544, 542}));
    EXPECT_EQ(g_GameState.StoryFlags[kStoryFourthSecondFightCentreDowned], 1);
    EXPECT_EQ(g_GameState.StoryFlags[kStoryFourthThirdFightCentreDowned], 0);
    EXPECT_EQ(g_GameState.StoryFlags[kStoryFourthMidBossOutlasted], 0);
    // The boss phase's runs and side-gun craft are on their way in.
    EXPECT_EQ(g_GameState.StageScriptPhase, 10);
    i32 runs = 0;
    for (const Enemy& e : g_EnemyList) runs += e.state == 522 ? 1 : 0;
    EXPECT_GT(runs, 0);
    EXPECT_EQ(g_GameState.StarCount, 200);
    EXPECT_EQ(g_GameState.BackgroundScrollX, 80);
}

TEST_F(Stage4FlowTest, TheFrontBlocksOfTheSecondFightBringTheThirdFight) {
    shooting_ = {{}, {3, 4}, {2}};
    Enter(32, 0);
    const auto phases = RunUntil(10, 10, 20000);
    EXPECT_EQ(phases, (std::vector<i32>{32, 4, 33, 10}));
    EXPECT_EQ(states_, (std::vector<i32>{544, 543, 545, 542}));
    EXPECT_EQ(g_GameState.StoryFlags[kStoryFourthSecondFightCentreDowned], 0);
    EXPECT_EQ(g_GameState.StoryFlags[kStoryFourthThirdFightCentreDowned], 1);
    EXPECT_EQ(g_GameState.StoryFlags[kStoryFourthMidBossOutlasted], 0);
}

TEST_F(Stage4FlowTest, AThirdFightLeftAloneEndsWithTheMidBossLeaving) {
    Enter(4, 1501);
    const auto phases = RunUntil(10, 10, 20000);
    EXPECT_EQ(phases, (std::vector<i32>{4, 33, 10}));
    EXPECT_EQ(states_, (std::vector<i32>{545, 546}));
    EXPECT_EQ(g_GameState.StoryFlags[kStoryFourthMidBossOutlasted], 1);
}

// The short route: four phases, the centre shot down last: the boss explodes
// (597) and the stage closes after its slow fade.
TEST_P(Stage4BossFlowTest, TheShortRouteEndsWithTheBossExploding) {
    FightToTheEnd();
    EXPECT_EQ(states_, (std::vector<i32>{590, 591, 593, 595, 597}));
    ASSERT_EQ(g_GameState.StageScriptPhase, kClosingPhase);
    EXPECT_EQ(g_GameState.StoryFlags[kStoryFourthBossSankAway], 0);
    EXPECT_TRUE(g_EnemyList.empty());
    EXPECT_EQ(TransitionState.running, 1);
    PlayFrame();
    EXPECT_EQ(g_GameState.StageFinished, 0);  // the fade runs
    TransitionState.running = 0;
    PlayFrame();
    EXPECT_EQ(g_GameState.StageFinished, 1);
}

// The long route (story flag 73): the extra phase with its escorts, and with
// the centre spared the boss sinks away (596, story flag 75).
TEST_P(Stage4BossFlowTest, TheLongRouteWithTheCentreSparedEndsWithTheBossSinking) {
    g_GameState.StoryFlags[kStoryFourthMidBossOutlasted] = 1;
    shootCentre_ = false;
    FightToTheEnd();
    EXPECT_EQ(states_, (std::vector<i32>{590, 591, 592, 593, 594, 596}));
    EXPECT_EQ(escorts_, 9);  // at the extra phase's ages 100, 150, ..., 500
    ASSERT_EQ(g_GameState.StageScriptPhase, kClosingPhase);
    EXPECT_EQ(g_GameState.StoryFlags[kStoryFourthBossSankAway], 1);
}

// The short route with the centre spared: 595 ends only by the centre, so the
// boss fights on (here: the closing never comes within the frames given).
TEST_P(Stage4BossFlowTest, OnTheShortRouteOnlyTheCentreEndsTheLastPhase) {
    shootCentre_ = false;
    Enter(10, 499);
    for (i32 f = 0; f < 8000; ++f) PlayFrame();
    EXPECT_EQ(states_, (std::vector<i32>{590, 591, 593, 595}));
    EXPECT_EQ(g_GameState.StageScriptPhase, 10);
}

std::string DifficultyName(const ::testing::TestParamInfo<i32>& info) {
    static const char* const kNames[3] = {"Easy", "Normal", "Hard"};
    return kNames[info.param];
}

// Every difficulty: the patterns differ, the phases do not.
INSTANTIATE_TEST_SUITE_P(Difficulties, Stage4BossFlowTest, ::testing::Values(0, 1, 2), DifficultyName);

}  // namespace
