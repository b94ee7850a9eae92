#pragma once
// Stage index 2 for the tests of its behaviours, timeline and patterns: the
// first stage's fixture (a clean play state, the player at a fixed place,
// spawns as a timeline writes them, frames and draws) with this stage's
// behaviour, part steps and spawner.
#include "tests/game/enemy/stage1_fixture.h"

namespace stage3_test {

using stage1_test::DrawsSince;
using stage1_test::kHalfPi;

class Stage3Test : public stage1_test::Stage1Test {
protected:
    void SetUp() override {
        Stage1Test::SetUp();
        RegisterStepEnemy(0, nullptr);
        g_GameState.StageIndex = 2;
        RegisterStepEnemy(2, StepEnemyStage3);
        spawner_ = SpawnEnemyStage3;
    }

    // Part steps of stage index 2 at the difficulty.
    void WithPatterns(i32 difficulty) {
        g_GameState.Difficulty = difficulty;
        RegisterStepPart(2, 0, StepPartStage3Easy);
        RegisterStepPart(2, 1, StepPartStage3Normal);
        RegisterStepPart(2, 2, StepPartStage3Hard);
    }
};

}  // namespace stage3_test
