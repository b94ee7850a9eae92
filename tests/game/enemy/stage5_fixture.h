#pragma once
// Stage index 4 for the tests of its behaviours, timeline and patterns: the
// frame of the first stage's fixture (clean play state, player at a fixed
// place, spawns as a timeline writes them, frames counted) with this stage's
// behaviour, spawner and part steps, the stage generator seeded with 0 and no
// talk running.
#include "engine/core/radians.h"
#include "game/play/stage_random.h"
#include "game/play/talk.h"
#include "tests/game/enemy/stage1_fixture.h"

namespace stage5_test {

class Stage5Test : public stage1_test::Stage1Test {
protected:
    void SetUp() override {
        Stage1Test::SetUp();
        g_GameState.StageIndex = 4;
        RegisterStepEnemy(4, StepEnemyStage5);
        spawner_ = SpawnEnemyStage5;
        StageRandomSeed(&g_StageRandomState, 0);
        g_TalkState.active = 0;
        g_TalkState.eventId = 0;
    }

    // Part steps of stage index 4 at the difficulty.
    void WithPatterns(i32 difficulty) {
        g_GameState.Difficulty = difficulty;
        RegisterStepPart(4, StepStageParts<RunPartActionStage5>);
    }
};

}  // namespace stage5_test
