// The last stage from phase 4's frame 2999 through the castle, run by its own
// content frame by frame (enemies with their patterns, the collision phase,
// the background scroll, the timeline, the talk), on every difficulty. The
// player's shots are stood in for by a hook that shoots down the castle's
// parts as they become targets. With story flag 94 clear the stage closes;
// with it earned the castle sinks toward the hand-over to the last boss.
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "game/enemy/enemy_behaviour.h"
#include "game/enemy/enemy_content.h"
#include "game/patterns/pattern_content.h"
#include "game/patterns/stage_registry.h"
#include "game/play/collision.h"
#include "game/play/stage_background.h"
#include "game/play/stage_random.h"
#include "game/play/talk.h"
#include "game/shell/story_flags.h"
#include "game/shell/transition.h"
#include "game/stages/stage_content.h"
#include "tests/game/enemy/stage5_fixture.h"
#include "tests/game/stages/castle_shots.h"
#include "tests/game/stages/numbers_audit.h"

namespace {

using stage_test::CastleAim;
using stage_test::CastleIndex;

class CastleFlowTest : public stage5_test::Stage5Test, public testing::WithParamInterface<i32> {
protected:
    void SetUp() override {
        Stage5Test::SetUp();
        g_GameState.Difficulty = GetParam();
        g_GameState.Continues = 3;
        g_GameState.BackgroundZoom = 300.0f;  // the stage's load value
        RegisterStages();
        DefaultHitShapes[0] = {5, 3, 0};
        DefaultHitShapes[1] = {0, 0, 5};
        DefaultHitShapes[2] = {0, 0, 12};
        audit_ = std::make_unique<stage_test::NumbersAudit>(4);
    }
    void TearDown() override {
        const std::vector<std::string> problems = audit_->Problems();
        EXPECT_GT(audit_->SpawnsSeen(), 0u);
        for (const std::string& p : problems) ADD_FAILURE() << p;
        audit_.reset();
        ResetStageDispatch();
        Stage5Test::TearDown();
    }

    void Enter(i32 phase, i32 frame) {
        g_GameState.StageScriptPhase = phase;
        g_GameState.StageScriptFrame = frame;
    }
    static Enemy* Castle() {
        const i32 e = CastleIndex();
        return e < 0 ? nullptr : &g_EnemyList[static_cast<std::size_t>(e)];
    }

    // One play frame in the play update's order, the hook's shots after the
    // enemies' step.
    void PlayFrame() {
        RunEnemies();
        if (shooting_) stage_test::ShootCastle(aim_);
        if (shootingTheRest_) stage_test::ShootAllButTheCastle();
        g_EnemyBulletList.clear();  // nothing here moves or removes them
        g_EnemyShellList.clear();
        g_EffectList.clear();
        g_TargetMarkerList.clear();
        RunCollisionPhase();
        g_GameState.FrameCounter += 1;
        UpdateBackgroundScroll();
        RunStageScript();
        UpdateTalk();
        audit_->Look();
        if (const Enemy* c = Castle(); c != nullptr && (castleStates_.empty() || castleStates_.back() != c->state)) {
            castleStates_.push_back(c->state);
        }
        if (phases_.back() != g_GameState.StageScriptPhase) phases_.push_back(g_GameState.StageScriptPhase);
        if (g_TalkState.active != 0 && (talks_.empty() || talks_.back() != g_TalkState.eventId)) {
            talks_.push_back(g_TalkState.eventId);
        }
    }
    // What the run went through, for a failure's message.
    std::string Story() const {
        std::string s = "phases";
        for (const i32 p : phases_) s += " " + std::to_string(p);
        s += "; castle states";
        for (const i32 c : castleStates_) s += " " + std::to_string(c);
        s += "; talks";
        for (const i32 t : talks_) s += " " + std::to_string(t);
        s += "; " + std::to_string(g_EnemyList.size()) + " enemies left";
        return s;
    }
    // Frames until `done` holds (true) or `limit` frames have passed (false).
    template <typename Pred>
    bool RunUntil(Pred done, i32 limit) {
        for (i32 f = 0; f < limit; ++f) {
            PlayFrame();
            if (done()) return true;
        }
        return false;
    }

    CastleAim aim_ = CastleAim::kSecondRingTurrets;
    bool shooting_ = true;
    bool shootingTheRest_ = false;  // the last boss and its escorts too
    std::vector<i32> phases_ = {4};
    std::vector<i32> castleStates_;
    std::vector<i32> talks_;
    std::unique_ptr<stage_test::NumbersAudit> audit_;
};

// The castle comes at frame 3000 of phase 4, fights through its windows
// untouched until its second ring, whose six turrets are shot down: too few
// hubs fell whole, so it falls at once, sinks, and the stage closes.
TEST_P(CastleFlowTest, WithFlag94ClearTheStageClosesAfterTheCastle) {
    Enter(4, 2999);
    PlayFrame();
    PlayFrame();
    ASSERT_NE(Castle(), nullptr);
    EXPECT_EQ(CastleIndex(), 0);
    EXPECT_EQ(g_GameState.StageScriptPhase, 10);
    EXPECT_EQ(g_GameState.BossActiveFlag, 1);
    EXPECT_EQ(g_GameState.BossSequenceFlag, 1);

    ASSERT_TRUE(RunUntil([] { return g_GameState.StageScriptPhase == kClosingPhase; }, 30000)) << Story();
    EXPECT_EQ(phases_, (std::vector<i32>{4, 10, 11, 12, 14, kClosingPhase}));
    EXPECT_EQ(castleStates_, (std::vector<i32>{1001, 1099}));
    EXPECT_EQ(g_GameState.StoryFlags[kStoryLastBossEarned], 0);
    EXPECT_EQ(g_GameState.StoryFlags[kStoryCastleHubThreeFellEarly], 0);
    EXPECT_EQ(g_GameState.StoryFlags[kStoryCastleHubEightFell], 0);
    // Its talks: the arrival, the first ring's end without eight hubs down,
    // and its fall without the last boss.
    EXPECT_EQ(talks_, (std::vector<i32>{490, 492, 496}));
    EXPECT_TRUE(g_EnemyList.empty());
    EXPECT_EQ(g_GameState.BackgroundZoom, 2.0f);
    for (const EnemyPart& part : g_EnemyPartPool) EXPECT_EQ(part.inUse, 0);
    // The closing fade runs; once it has ended the stage is finished.
    EXPECT_EQ(TransitionState.running, 1);
    PlayFrame();
    EXPECT_EQ(g_GameState.StageFinished, 0);
    TransitionState.running = 0;
    PlayFrame();
    EXPECT_EQ(g_GameState.StageFinished, 1);
}

// Every target shot down as it opens, in a run from the start with no
// continue: eight hubs down end the first ring (bonus D), the second ring's
// turrets with six hubs down whole bring the core (bonus E), and the core's
// fall earns story flag 94. The castle sinks from age 201; phase 14 hands
// over to the last boss at its age 500 (phase 30).
TEST_P(CastleFlowTest, WithFlag94EarnedTheCastleSinksTowardTheLastBoss) {
    aim_ = CastleAim::kEverything;
    g_GameState.StartKind = kStartFullRun;
    Enter(4, 2999);
    ASSERT_TRUE(RunUntil(
        [] {
            const Enemy* c = Castle();
            return c != nullptr && c->state == 1099 && c->age == 500;
        },
        30000))
        << Story();
    EXPECT_EQ(phases_, (std::vector<i32>{4, 10, 11, 12, 14, 30}));
    EXPECT_EQ(castleStates_, (std::vector<i32>{1001, 1099}));
    EXPECT_GE(g_GameState.KillCountA, 8);
    EXPECT_GE(g_GameState.KillCountB, 6);
    EXPECT_EQ(g_GameState.StoryFlags[kStoryLastBossEarned], 1);
    EXPECT_EQ(g_GameState.BossActiveFlag, 1);
    // Hub 3 fell before frame 11000 of phase 12: its craft came.
    EXPECT_EQ(g_GameState.StoryFlags[kStoryCastleHubThreeFellEarly], 1);
    EXPECT_EQ(talks_.front(), 490);
    EXPECT_EQ(talks_.back(), 493);
    EXPECT_NE(std::find(talks_.begin(), talks_.end(), 491), talks_.end());
    // It sank from age 201.
    EXPECT_GT(Castle()->y, -80.0f + 100.0f);
    EXPECT_EQ(g_GameState.StageScriptPhase, 30);
    ASSERT_FALSE(g_EnemyList.empty());
    EXPECT_EQ(g_EnemyList[0].state, 900);  // the last boss, in front
}

// On from the castle's fall with story flag 94 earned: the last boss rises
// out of the wreck and its every target is shot down as it opens, its
// escorts as they come; after its death the list empties and the stage
// closes.
TEST_P(CastleFlowTest, WithFlag94EarnedTheLastBossFallsAndTheStageCloses) {
    aim_ = CastleAim::kEverything;
    shootingTheRest_ = true;
    g_GameState.StartKind = kStartFullRun;
    Enter(4, 2999);
    std::vector<i32> bossStates;
    ASSERT_TRUE(RunUntil(
        [&] {
            if (!g_EnemyList.empty() && g_EnemyList[0].spawnId == 0 && g_EnemyList[0].state >= 900 &&
                g_EnemyList[0].state <= 921 && (bossStates.empty() || bossStates.back() != g_EnemyList[0].state)) {
                bossStates.push_back(g_EnemyList[0].state);
            }
            return g_GameState.StageScriptPhase == kClosingPhase;
        },
        60000))
        << Story();
    EXPECT_EQ(phases_, (std::vector<i32>{4, 10, 11, 12, 14, 30, kClosingPhase}));
    EXPECT_EQ(bossStates, (std::vector<i32>{900, 901, 911, 912, 913, 915, 921}));
    EXPECT_EQ(g_GameState.StoryFlags[kStoryLastBossEarned], 1);
    EXPECT_EQ(talks_.back(), 495);
    EXPECT_TRUE(g_EnemyList.empty());
    for (const EnemyPart& part : g_EnemyPartPool) EXPECT_EQ(part.inUse, 0);
    EXPECT_EQ(TransitionState.running, 1);
}

INSTANTIATE_TEST_SUITE_P(Difficulties, CastleFlowTest, testing::Values(0, 1, 2),
                         [](const testing::TestParamInfo<i32>& testInfo) {
                             return std::string(testInfo.param == 0 ? "Easy" : testInfo.param == 1 ? "Normal" : "Hard");
                         });

}  // namespace
