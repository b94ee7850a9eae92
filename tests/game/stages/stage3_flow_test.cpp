// The third stage run by its own content, frame by frame (enemies with their
// patterns, on HARD unless a test says otherwise; the background scroll, the
// mission timer, the talk, the timeline), on both routes: left alone, and
// with every enemy that can be hit shot down at once (its core part
// destroyed, as the collision pass then ends it).
#include <memory>
#include <string>
#include <vector>

#include "game/enemy/enemy_content.h"
#include "game/patterns/pattern_content.h"
#include "game/patterns/stage_registry.h"
#include "game/play/enemy_runtime.h"
#include "game/play/collision.h"
#include "game/play/play_overlays.h"
#include "game/play/stage_background.h"
#include "game/play/talk.h"
#include "game/shell/sound_effects.h"
#include "game/shell/story_flags.h"
#include "game/stages/stage_content.h"
#include "tests/game/enemy/stage3_fixture.h"
#include "tests/game/stages/numbers_audit.h"

namespace {

using stage3_test::Stage3Test;

// Destroys the core part of every armed enemy inside the field.
void ShootEverything() {
    for (std::size_t i = 0; i < g_EnemyList.size(); ++i) {
        Enemy& e = g_EnemyList[i];
        if (e.active == 0 || e.corePart < 0 || e.y < 0.0f || e.y > 480.0f) continue;
        EnemyPart* core = RootPartAt(static_cast<i32>(i), e.corePart);
        if (core == nullptr || core->state != 1) continue;
        KillEnemyPart(static_cast<i32>(i), core, &e.x, &e.rotation);
    }
}

// Destroys every part of an armed boss that can be hit (its roots and their
// children with a hit shape), as the player's shots would.
void ShootTheBosses() {
    for (std::size_t i = 0; i < g_EnemyList.size(); ++i) {
        if (g_EnemyList[i].active == 0 || g_EnemyList[i].corePart != kNoPart) continue;
        const auto hit = [&](EnemyPart* part) {
            if (part == nullptr || part->state != 1) return;
            const HitShape& s = part->hitShape;
            if (s.halfWidth <= 0.0f && s.radius <= 0.0f) return;
            Enemy& e = g_EnemyList[i];
            KillEnemyPart(static_cast<i32>(i), part, &e.x, &e.rotation);
        };
        for (i32 r = 0; r < kPartLinks; ++r) {
            EnemyPart* root = RootPartAt(static_cast<i32>(i), r);
            if (root == nullptr) break;
            for (i32 c = 0; c < kPartLinks; ++c) {
                EnemyPart* child = ChildPartAt(static_cast<i32>(i), r, c);
                if (child == nullptr) break;
                hit(child);
            }
            hit(root);
        }
    }
}

class Stage3FlowTest : public Stage3Test {
protected:
    void SetUp() override {
        Stage3Test::SetUp();
        RegisterStages();
        g_GameState.Difficulty = 2;
        g_GameState.BackgroundZoom = 2.0f;
        DefaultHitShapes[0] = {5, 3, 0};
        DefaultHitShapes[1] = {0, 0, 5};
        DefaultHitShapes[2] = {0, 0, 12};
        g_PlayerState[0].y = 420.0f;
        audit_ = std::make_unique<stage_test::NumbersAudit>(2);
    }
    void TearDown() override {
        const std::vector<std::string> problems = audit_->Problems();
        EXPECT_GT(audit_->SpawnsSeen(), 0u);
        for (const std::string& p : problems) ADD_FAILURE() << p;
        audit_.reset();
        ResetStageDispatch();
        Stage3Test::TearDown();
    }
    void Enter(i32 phase, i32 frame) {
        g_GameState.StageScriptPhase = phase;
        g_GameState.StageScriptFrame = frame;
    }
    // One play frame of what this stage's content drives, in the play
    // update's order.
    void PlayFrame() {
        RunEnemies();
        g_EnemyBulletList.clear();  // nothing here moves or removes them
        g_EnemyShellList.clear();
        g_EffectList.clear();
        if (shoot_) ShootEverything();
        if (shootBosses_) ShootTheBosses();
        RunCollisionPhase();
        g_GameState.FrameCounter += 1;
        UpdateMissionTimer();
        UpdateBackgroundScroll();
        RunStageScript();
        UpdateTalk();
        RearmSoundEffectGates();
        audit_->Look();
    }
    // The phases in the order the timeline entered them, until `done` holds
    // or `limit` frames have passed.
    template <typename Done>
    std::vector<i32> RunUntil(Done done, i32 limit) {
        std::vector<i32> phases = {g_GameState.StageScriptPhase};
        for (i32 f = 0; f < limit && !done(); ++f) {
            PlayFrame();
            if (g_GameState.StageScriptPhase != phases.back()) phases.push_back(g_GameState.StageScriptPhase);
        }
        return phases;
    }
    static bool BossIn(i32 spawnId, i32 state) {
        return !g_EnemyList.empty() && g_EnemyList[0].spawnId == spawnId && g_EnemyList[0].state == state;
    }

    bool shoot_ = false;
    bool shootBosses_ = false;
    std::unique_ptr<stage_test::NumbersAudit> audit_;
};

TEST_F(Stage3FlowTest, LeftAloneTheFirstRouteFromTheStageSelectReachesTheLongCraft) {
    Enter(16, 0);
    const auto phases = RunUntil([] { return BossIn(301, 390); }, 40000);
    EXPECT_EQ(phases, (std::vector<i32>{16, 18, 20, 22, 24, 26, 28}));
    ASSERT_TRUE(BossIn(301, 390));
    EXPECT_EQ(g_GameState.BossActiveFlag, 1);
    EXPECT_EQ(g_GameState.StoryFlags[kStoryThirdStageRouteA], 0);
}

TEST_F(Stage3FlowTest, ThePlayerHighAtFrame150TakesTheOtherRouteToTheFortress) {
    Enter(16, 0);
    g_PlayerState[0].y = 150.0f;
    shoot_ = true;  // the rocking barges of phase 25 stay until they are shot down
    const auto phases = RunUntil(
        [] {
            if (g_GameState.StageScriptPhase == 15 && g_GameState.StageScriptFrame > 200) g_PlayerState[0].y = 420.0f;
            return BossIn(303, 1300);
        },
        40000);
    EXPECT_EQ(phases, (std::vector<i32>{16, 15, 17, 19, 21, 23, 25, 29}));
    ASSERT_TRUE(BossIn(303, 1300));
    EXPECT_EQ(g_GameState.StoryFlags[kStoryThirdStageRouteA], 1);
    EXPECT_EQ(g_GameState.BossSequenceFlag, 1);
}

TEST_F(Stage3FlowTest, ShootingEverythingOnTheFirstRouteBringsTheMidBoss) {
    Enter(16, 0);
    shoot_ = true;
    bool midBossSeen = false;
    const auto phases = RunUntil(
        [&] {
            midBossSeen = midBossSeen || (!g_EnemyList.empty() && g_EnemyList[0].spawnId == 390);
            return BossIn(301, 390);
        },
        40000);
    EXPECT_EQ(phases, (std::vector<i32>{16, 18, 20, 22, 24, 26, 33, 28}));
    EXPECT_TRUE(midBossSeen);
    EXPECT_GT(g_GameState.KillCountA, 3);
    EXPECT_GE(g_GameState.BonusCount, 2);  // the fortress missions completed
}

TEST_F(Stage3FlowTest, StoryFlag6SendsTheGunshipInPlaceOfTheSecondRouteAMission) {
    g_GameState.StoryFlags[kStoryFirstMidBossGotAway] = 1;
    Enter(15, 0);
    shoot_ = true;
    const auto phases = RunUntil([] { return g_GameState.StageScriptPhase == 21; }, 30000);
    EXPECT_EQ(phases, (std::vector<i32>{15, 17, 32, 19, 21}));
}

TEST_F(Stage3FlowTest, StoryFlag6SendsTheGunshipInPlaceOfTheSecondRouteBMission) {
    g_GameState.StoryFlags[kStoryFirstMidBossGotAway] = 1;
    Enter(16, 0);
    shoot_ = true;
    const auto phases = RunUntil([] { return g_GameState.StageScriptPhase == 22; }, 30000);
    EXPECT_EQ(phases, (std::vector<i32>{16, 18, 31, 20, 22}));
}

// Both routes to the close on every difficulty: every boss target shot down
// as it opens.
class Stage3FlowDifficultyTest : public Stage3FlowTest, public ::testing::WithParamInterface<i32> {
protected:
    void SetUp() override {
        Stage3FlowTest::SetUp();
        g_GameState.Difficulty = GetParam();
    }
};

TEST_P(Stage3FlowDifficultyTest, TheLongCraftShotDownSetBySetEndsTheFirstRoute) {
    Enter(16, 0);
    shoot_ = true;
    shootBosses_ = true;
    std::vector<i32> bossStates;
    const auto phases = RunUntil(
        [&] {
            if (!g_EnemyList.empty() && g_EnemyList[0].spawnId == 301 &&
                (bossStates.empty() || bossStates.back() != g_EnemyList[0].state)) {
                bossStates.push_back(g_EnemyList[0].state);
            }
            return g_GameState.StageScriptPhase == kClosingPhase;
        },
        60000);
    EXPECT_EQ(phases, (std::vector<i32>{16, 18, 20, 22, 24, 26, 33, 28, 30, 34}));
    EXPECT_EQ(bossStates, (std::vector<i32>{303, 390, 391}));
    // The jet craft waits by the wreck; the closing fade started with the
    // craft's last blast.
    ASSERT_EQ(g_EnemyList.size(), 1u);
    EXPECT_EQ(g_EnemyList[0].state, 385);
}

TEST_P(Stage3FlowDifficultyTest, TheFortressShotDownSetBySetEndsTheSecondRoute) {
    Enter(15, 0);
    shoot_ = true;
    shootBosses_ = true;
    std::vector<i32> bossStates;
    const auto phases = RunUntil(
        [&] {
            if (!g_EnemyList.empty() && g_EnemyList[0].spawnId == 303 &&
                (bossStates.empty() || bossStates.back() != g_EnemyList[0].state)) {
                bossStates.push_back(g_EnemyList[0].state);
            }
            return g_GameState.StageScriptPhase == kClosingPhase;
        },
        60000);
    EXPECT_EQ(phases, (std::vector<i32>{15, 17, 19, 21, 23, 25, 29, 34}));
    EXPECT_EQ(bossStates, (std::vector<i32>{359, 1300, 1301, 1302, 1303, 1304, 1305}));
    EXPECT_EQ(g_GameState.BackgroundSection, 43);  // its last phase was short
}

std::string DifficultyName(const ::testing::TestParamInfo<i32>& info) {
    static const char* const kNames[] = {"Easy", "Normal", "Hard"};
    return kNames[info.param];
}

INSTANTIATE_TEST_SUITE_P(Difficulties, Stage3FlowDifficultyTest, ::testing::Values(0, 1, 2), DifficultyName);

TEST_F(Stage3FlowTest, LeftAloneTheFortressIsPushedOffAndStillEndsTheStage) {
    // Its first three sets shot down, then nothing: in its last phase, with
    // the player low in the field (a high one would pull it back down), it
    // rises off the top and falls back as a wreck.
    Enter(25, 2101);
    shoot_ = true;
    shootBosses_ = true;
    RunUntil([] { return !g_EnemyList.empty() && g_EnemyList[0].state == 1303; }, 5000);
    ASSERT_FALSE(g_EnemyList.empty());
    ASSERT_EQ(g_EnemyList[0].state, 1303);
    shootBosses_ = false;
    std::vector<i32> states;
    RunUntil(
        [&] {
            if (!g_EnemyList.empty() && g_EnemyList[0].spawnId == 303 &&
                (states.empty() || states.back() != g_EnemyList[0].state)) {
                states.push_back(g_EnemyList[0].state);
            }
            return g_GameState.StageScriptPhase == kClosingPhase;
        },
        20000);
    EXPECT_EQ(states, (std::vector<i32>{1303, 1304, 1307}));
    EXPECT_EQ(g_GameState.StageScriptPhase, kClosingPhase);
    EXPECT_EQ(g_GameState.StoryFlags[kStoryThirdStageFortressPushedOff], 1);
}

}  // namespace
