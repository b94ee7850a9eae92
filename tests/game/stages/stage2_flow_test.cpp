// The second stage run by its own content, frame by frame (enemies with their
// patterns, the talk, the timeline) on every difficulty: its roads lead
// through the waves and the mid-bosses to the boss's arrival.
#include <memory>
#include <string>
#include <vector>

#include "game/enemy/enemy_content.h"
#include "game/patterns/pattern_content.h"
#include "game/play/stage_random.h"
#include "game/play/talk.h"
#include "game/shell/story_flags.h"
#include "game/stages/stage_content.h"
#include "tests/game/enemy/stage2_fixture.h"
#include "tests/game/stages/numbers_audit.h"

namespace {

using stage2_test::Stage2Test;

class Stage2FlowTest : public Stage2Test {
protected:
    void SetUp() override {
        Stage2Test::SetUp();
        RegisterEnemyContent();
        RegisterStageContent();
        RegisterPatternContent();
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

}  // namespace
