// The second stage run by its own content, frame by frame (enemies with their
// patterns, the talk, the timeline) on every difficulty: its roads lead
// through the waves and the mid-bosses to the boss's arrival.
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "game/enemy/enemy_content.h"
#include "game/patterns/pattern_content.h"
#include "game/patterns/stage_registry.h"
#include "game/play/stage_random.h"
#include "game/play/talk.h"
#include "game/shell/story_flags.h"
#include "game/shell/transition.h"
#include "game/stages/stage_content.h"
#include "tests/game/enemy/stage2_fixture.h"
#include "tests/game/stages/numbers_audit.h"

namespace {

using stage2_test::Stage2Test;

class Stage2FlowTest : public Stage2Test {
protected:
    void SetUp() override {
        Stage2Test::SetUp();
        RegisterStages();
        StageRandomSeed(&g_StageRandomState, 300);
        DefaultHitShapes[0] = {5, 3, 0};
        DefaultHitShapes[1] = {0, 0, 5};
        DefaultHitShapes[2] = {0, 0, 12};
        watch_ = std::make_unique<stage_test::NumbersAudit>(1);
    }
    void TearDown() override {
        for (const std::string& p : watch_->Problems()) ADD_FAILURE() << p;
        EXPECT_GT(watch_->StatesSeen(), 0u);
        watch_.reset();
        ResetStageDispatch();
        Stage2Test::TearDown();
    }
    // One play frame of what this stage's content drives; the bullets and
    // shells it fires are counted and dropped.
    void Tick() {
        RunEnemies();
        fired_ += g_EnemyBulletList.size() + g_EnemyShellList.size();
        g_EnemyBulletList.clear();
        g_EnemyShellList.clear();
        g_EffectList.clear();
        g_GameState.FrameCounter += 1;
        RunStageScript();
        UpdateTalk();
        watch_->Look();
    }
    // Plays until `phase` is entered (or `limit` frames); the phases entered
    // on the way, in order. `touch` runs before every frame.
    std::vector<i32> PlayTo(i32 phase, i32 limit, void (*touch)() = nullptr) {
        std::vector<i32> seen = {g_GameState.StageScriptPhase};
        for (i32 f = 0; f < limit && seen.back() != phase; ++f) {
            if (touch) touch();
            Tick();
            if (g_GameState.StageScriptPhase != seen.back()) seen.push_back(g_GameState.StageScriptPhase);
        }
        return seen;
    }

    std::unique_ptr<stage_test::NumbersAudit> watch_;
    std::size_t fired_ = 0;
};

// Untouched, the mid-boss carrier crosses the field (flag 25), so the
// crossing wave's phase 6 ends in its first frame; every difficulty flies
// and fires.
TEST_F(Stage2FlowTest, UntouchedTheCrossingWaveIsSkippedOnEveryDifficulty) {
    for (i32 d = 0; d < 3; ++d) {
        SCOPED_TRACE(d);
        if (d > 0) {
            TearDown();
            SetUp();
        }
        WithPatterns(d);
        fired_ = 0;
        EXPECT_EQ(PlayTo(9, 40000), (std::vector<i32>{0, 1, 2, 5, 6, 7, 8, 9}));
        EXPECT_EQ(g_GameState.KillCountB, 0);
        EXPECT_EQ(g_GameState.StoryFlags[kStoryCarrierMidBossCrossed], 1);
        EXPECT_GT(fired_, 1000u);
    }
}

void ForgetTheCrossing() { g_GameState.StoryFlags[kStoryCarrierMidBossCrossed] = 0; }

// The first stage's circling mid-boss shot down (flag 5) brings the second
// mid-boss; with flag 25 clear the crossing wave flies.
TEST_F(Stage2FlowTest, TheLongRoadBringsTheSecondMidBossAndTheCrossingWave) {
    WithPatterns(2);
    g_GameState.StoryFlags[kStoryFirstMidBossDownedInItsTalk] = 1;
    EXPECT_EQ(PlayTo(9, 40000, ForgetTheCrossing), (std::vector<i32>{0, 1, 2, 4, 5, 6, 7, 8, 9}));
    // The mid-boss left after its time (state 280 then 282).
    EXPECT_EQ(g_GameState.StoryFlags[kStorySecondStageMidBossGotAway], 1);
}

// Which of the boss's root parts the player shoots down in each of its
// states (a state without a row: every hittable part), each frame.
struct ShotPlan {
    i32 state;
    std::vector<i32> roots;
};
std::vector<ShotPlan> g_plan;

void ShootTheBossByPlan() {
    if (g_EnemyList.empty() || g_EnemyList[0].spawnId != 210 || g_EnemyList[0].active == 0) return;
    const Enemy& boss = g_EnemyList[0];
    const std::vector<i32>* only = nullptr;
    for (const ShotPlan& p : g_plan) {
        if (p.state == boss.state) only = &p.roots;
    }
    for (i32 r = 0; r < kPartLinks && boss.rootParts[r] != kNoPart; ++r) {
        if (only && std::find(only->begin(), only->end(), r) == only->end()) continue;
        EnemyPart& part = g_EnemyPartPool[boss.rootParts[r]];
        const HitShape& s = part.hitShape;
        if (part.state == 1 && (s.halfWidth > 0 || s.radius > 0)) {
            part.state = -1;
            part.hp = 0;
        }
    }
}

// The boss's fight, from its entry (phase 9 with an empty list) to the
// closing phase, shot by the plan; the boss's states in order.
class Stage2BossFlowTest : public Stage2FlowTest {
protected:
    std::vector<i32> Fight(const std::vector<ShotPlan>& plan, i32 difficulty) {
        g_plan = plan;
        WithPatterns(difficulty);
        g_GameState.StageScriptPhase = 9;
        g_GameState.StageScriptFrame = 0;
        std::vector<i32> states;
        for (i32 f = 0; f < 30000 && g_GameState.StageScriptPhase != kClosingPhase; ++f) {
            ShootTheBossByPlan();
            Tick();
            for (const Enemy& e : g_EnemyList) raiders_ += e.state == 205 && e.age == 1 ? 1 : 0;
            if (!g_EnemyList.empty() && g_EnemyList[0].spawnId == 210 &&
                (states.empty() || states.back() != g_EnemyList[0].state)) {
                states.push_back(g_EnemyList[0].state);
            }
        }
        return states;
    }
    i32 raiders_ = 0;
};

TEST_F(Stage2BossFlowTest, ShotDownAsItOpensTheBossExplodesAndTheStageCloses) {
    for (i32 d = 0; d < 3; ++d) {
        SCOPED_TRACE(d);
        if (d > 0) {
            TearDown();
            SetUp();
        }
        const i32 before = g_PlayerState[0].StageScorePoints;
        EXPECT_EQ(Fight({}, d), (std::vector<i32>{290, 291, 292, 293, 299}));
        EXPECT_EQ(g_GameState.StageScriptPhase, kClosingPhase);
        EXPECT_EQ(TransitionState.running, 1);
        EXPECT_GT(g_PlayerState[0].StageScorePoints, before);
    }
}

// Root parts 0 and 4 kept, nothing shot in the third phase: the hover times
// out and breaks to the final form 295, whose core is then shot.
TEST_F(Stage2BossFlowTest, TheHoverTimesOutIntoTheFinalFormWithRootPartFourKept) {
    const std::vector<i32> states = Fight({{291, {7, 8, 9, 10}}, {292, {5, 6}}, {293, {}}, {296, {}}}, 1);
    EXPECT_EQ(states, (std::vector<i32>{290, 291, 292, 293, 296, 295, 299}));
    EXPECT_EQ(g_GameState.StageScriptPhase, kClosingPhase);
    EXPECT_GT(raiders_, 0);  // the hover's raiders from the sides came and went
}

// Root part 4 shot in phase 1, root part 0 kept: the final form 294.
TEST_F(Stage2BossFlowTest, WithRootPartFourShotTheFinalFormIs294) {
    const std::vector<i32> states = Fight({{292, {5, 6}}, {293, {}}, {296, {}}}, 2);
    EXPECT_EQ(states, (std::vector<i32>{290, 291, 292, 293, 296, 294, 299}));
}

// Root parts 0, 2 and 3 shot while root part 1 stands: the boss sinks away.
TEST_F(Stage2BossFlowTest, WithItsSidesAndRootPartZeroShotTheBossSinksAway) {
    const std::vector<i32> states = Fight({{293, {2, 3}}}, 0);
    EXPECT_EQ(states, (std::vector<i32>{290, 291, 292, 293, 298}));
    EXPECT_EQ(g_GameState.StageScriptPhase, kClosingPhase);
}

}  // namespace
