// The last stage run by its own content, frame by frame (enemies with their
// patterns, the talk, the background scroll, the timeline), from its start
// through the gate boss (its targets shot down by the test), both roads of
// the route choice and the last waves to the castle's arrival.
#include <memory>
#include <vector>

#include "game/enemy/enemy_content.h"
#include "game/patterns/pattern_content.h"
#include "game/patterns/stage_registry.h"
#include "game/play/part_death.h"
#include "game/play/play_overlays.h"
#include "game/play/stage_background.h"
#include "game/play/talk.h"
#include "game/shell/replay.h"
#include "game/shell/story_flags.h"
#include "game/shell/transition.h"
#include "game/stages/stage_content.h"
#include "tests/game/enemy/stage5_fixture.h"
#include "tests/game/stages/numbers_audit.h"

namespace {

using stage5_test::Stage5Test;

class Stage5FlowTest : public Stage5Test, public testing::WithParamInterface<i32> {
protected:
    void SetUp() override {
        Stage5Test::SetUp();
        RegisterStages();
        DefaultHitShapes[0] = {5, 3, 0};
        DefaultHitShapes[1] = {0, 0, 5};
        DefaultHitShapes[2] = {0, 0, 12};
        g_GameState.BackgroundZoom = 2.0f;
        g_PlayRecord.stageRank = {};
        audit_ = std::make_unique<stage_test::NumbersAudit>(4);
    }
    void TearDown() override {
        const std::vector<std::string> problems = audit_->Problems();
        EXPECT_GT(audit_->SpawnsSeen(), 0u);
        for (const std::string& p : problems) ADD_FAILURE() << p;
        audit_.reset();
        g_PlayRecord.stageRank = {};
        ResetStageDispatch();
        Stage5Test::TearDown();
    }
    // One play frame of what this stage's content drives, in the play
    // update's order.
    void PlayFrame() {
        RunEnemies();
        g_EnemyBulletList.clear();  // nothing here moves or removes them
        g_EnemyShellList.clear();
        g_EffectList.clear();
        g_TargetMarkerList.clear();
        g_GameState.FrameCounter += 1;
        UpdateBackgroundScroll();
        RunStageScript();
        UpdateTalk();
        audit_->Look();
    }
    // The phases in the order the timeline entered them, until `phase` has
    // run `extra` frames or `limit` frames have passed; `each` runs before
    // every frame.
    std::vector<i32> RunUntil(i32 phase, i32 extra, i32 limit, void (*each)() = nullptr) {
        std::vector<i32> phases = {g_GameState.StageScriptPhase};
        for (i32 f = 0; f < limit; ++f) {
            if (each) each();
            PlayFrame();
            const i32 now = g_GameState.StageScriptPhase;
            if (now != phases.back()) phases.push_back(now);
            if (now == phase && g_GameState.StageScriptFrame >= extra) break;
        }
        return phases;
    }

    std::unique_ptr<stage_test::NumbersAudit> audit_;
};

// Shoots down, each frame, every part of the gate boss and of the fortress
// that can be hit; a fortress whose core is down is destroyed and erased, as
// the collision pass does.
void ShootTheGate() {
    for (std::size_t i = 0; i < g_EnemyList.size(); ++i) {
        Enemy& e = g_EnemyList[i];
        if ((e.spawnId != 490 && e.spawnId != 430) || e.active == 0) continue;
        for (const i32 slot : e.rootParts) {
            if (slot == kNoPart) break;
            EnemyPart& part = g_EnemyPartPool[slot];
            const HitShape& s = part.hitShape;
            if (part.state == 1 && (s.halfWidth > 0 || s.radius > 0)) {
                part.state = -1;
                part.hp = 0;
            }
        }
        if (e.corePart == kNoPart || g_EnemyPartPool[e.rootParts[e.corePart]].state != -1) continue;
        DestroyEnemy(static_cast<i32>(i));
        if (g_EnemyList[i].corePart == kNoPart) continue;
        ReleaseEnemyParts(static_cast<i32>(i));
        g_EnemyList.erase(g_EnemyList.begin() + static_cast<std::ptrdiff_t>(i));
        return;
    }
}

TEST_P(Stage5FlowTest, FromTheStartThroughTheGateToTheCastle) {
    WithPatterns(GetParam());
    const auto phases = RunUntil(10, 1, 30000, ShootTheGate);
    EXPECT_EQ(phases, (std::vector<i32>{0, 29, 1, 2, 4, 10}));
    ASSERT_FALSE(g_EnemyList.empty());
    EXPECT_EQ(g_EnemyList[0].spawnId, 1001);
}

// A run whose earlier stages opened the long road (story flag 38 and ranks
// that add up to 16) takes the fortress's road before the last waves.
TEST_P(Stage5FlowTest, TheLongRoadGoesThroughTheFortressToTheCastle) {
    WithPatterns(GetParam());
    g_GameState.StoryFlags[kStorySecondStageMidBossLeftEarly] = 1;
    g_PlayRecord.stageRank = {4, 4, 4, 4, 0};
    const auto phases = RunUntil(10, 1, 30000, ShootTheGate);
    EXPECT_EQ(phases, (std::vector<i32>{0, 29, 1, 2, 5, 4, 10}));
    ASSERT_FALSE(g_EnemyList.empty());
    EXPECT_EQ(g_EnemyList[0].spawnId, 1001);
}

INSTANTIATE_TEST_SUITE_P(Difficulties, Stage5FlowTest, testing::Values(0, 1, 2));

}  // namespace
