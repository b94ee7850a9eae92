// The stage registry: one whole record per listed stage, in play order, and
// what RegisterStages hands the play scene and the enemy drawing.
#include <gtest/gtest.h>

#include "game/enemy/enemy_draw.h"
#include "game/patterns/stage_registry.h"
#include "game/play/play_scene.h"
#include "game/play/records.h"
#include "game/play/stage_dispatch.h"
#include "game/shell/play_state.h"
#include "game/shell/replay.h"

namespace {

class StageRegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetGameState();
        ResetStageDispatch();
        ClearEnemyLooks();
    }
    void TearDown() override {
        ResetStageDispatch();
        ClearEnemyLooks();
        ResetGameState();
    }
};

TEST_F(StageRegistryTest, EveryListedStageHasAWholeRecordInPlayOrder) {
    ASSERT_EQ(StageContents().size(), static_cast<std::size_t>(kStageCount));
    EXPECT_EQ(kPlayableStages, kStageCount);  // the replay and progress files count the same stages
    for (i32 index = 0; index < kStageCount; ++index) {
        const StageContent& s = StageContents()[static_cast<std::size_t>(index)];
        SCOPED_TRACE(index);
        EXPECT_EQ(s.number, index + 1) << "the list runs in play order from 1";
        EXPECT_FALSE(s.looks.empty());
        ASSERT_NE(s.behaviour, nullptr);
        EXPECT_FALSE(s.behaviour->states.empty());
        EXPECT_NE(s.stepEnemy, nullptr);
        EXPECT_FALSE(s.kinds.empty());
        EXPECT_NE(s.spawn, nullptr);
        EXPECT_NE(s.script, nullptr);
        EXPECT_NE(s.timeline, nullptr);
        ASSERT_NE(s.scenery, nullptr);
        EXPECT_NE(s.scenery->load.enemy[0], nullptr);
        EXPECT_NE(s.scenery->planBackground, nullptr);
        EXPECT_NE(s.scenery->scrollBackground, nullptr);
        ASSERT_NE(s.actions, nullptr);
        EXPECT_FALSE(s.actions->actions.empty());
        EXPECT_NE(s.stepParts, nullptr);
    }
}

// Each stage's records reach the play scene under its own index: its load
// row and background, its looks (a later stage's row wins a sprite kind
// two stages draw), its spawner's kinds.
TEST_F(StageRegistryTest, RegisterStagesHandsEveryStageToThePlayScene) {
    for (i32 index = 0; index < kStageCount; ++index) EXPECT_EQ(FindStageScenery(index), nullptr);
    RegisterStages();
    for (i32 index = 0; index < kStageCount; ++index) {
        const StageContent& s = StageContents()[static_cast<std::size_t>(index)];
        SCOPED_TRACE(index);
        EXPECT_EQ(FindStageScenery(index), s.scenery);
        EXPECT_EQ(StageLoadTable(index), &s.scenery->load);
        g_GameState.StageIndex = index;
        g_GameState.BackgroundZoom = s.scenery->load.zoom;  // as the stage's load sets it
        g_PlayerState[0].x = 320.0f;
        const BackgroundPlan plan = BuildBackgroundPlan();
        EXPECT_FALSE(plan.blits.empty());
        for (const EnemyLook& look : s.looks) {
            const EnemyLook* found = FindEnemyLook(look.firstKind);
            ASSERT_NE(found, nullptr) << look.firstKind;
            bool laterStageDrawsIt = false;
            for (i32 later = index + 1; later < kStageCount; ++later) {
                for (const EnemyLook& other : StageContents()[static_cast<std::size_t>(later)].looks) {
                    laterStageDrawsIt |= other.firstKind <= look.firstKind && look.firstKind <= other.lastKind;
                }
            }
            if (!laterStageDrawsIt) {
                EXPECT_EQ(found, &look) << look.firstKind;
            }
        }
        EXPECT_GE(s.spawn(s.kinds.front().kind), 0);
    }
    ResetPlayLists();
}

}  // namespace
