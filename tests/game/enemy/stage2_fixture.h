#pragma once
// Stage index 1 for the tests of its behaviours, timeline and patterns: the
// frame of the first stage's fixture (clean play state, player at a fixed
// place, spawns as a timeline writes them, frames and removals counted) with
// this stage's behaviour, spawner and part steps.
#include "engine/core/radians.h"
#include "tests/game/enemy/stage1_fixture.h"

namespace stage2_test {

using stage1_test::DrawsSince;

class Stage2Test : public stage1_test::Stage1Test {
protected:
    void SetUp() override {
        Stage1Test::SetUp();
        g_GameState.StageIndex = 1;
        RegisterStepEnemy(1, StepEnemyStage2);
        spawner_ = SpawnEnemyStage2;
    }

    // Part steps of stage index 1 at the difficulty.
    void WithPatterns(i32 difficulty) {
        g_GameState.Difficulty = difficulty;
        RegisterStepPart(1, StepStageParts<RunPartActionStage2>);
    }

    // Destroys the root part as a kill would leave it (state -1).
    void Destroy(i32 e, i32 root) { Root(e, root).state = -1; }
};

}  // namespace stage2_test
