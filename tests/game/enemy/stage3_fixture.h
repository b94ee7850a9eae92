#pragma once
// Stage index 2 for the tests of its behaviours, timeline and patterns: the
// first stage's fixture (a clean play state, the player at a fixed place,
// frames and draws) with this stage's behaviour, part steps and spawner.
#include "game/stages/stage_timeline.h"
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
    }

    // Part steps of stage index 2 at the difficulty.
    void WithPatterns(i32 difficulty) {
        g_GameState.Difficulty = difficulty;
        RegisterStepPart(2, 0, StepPartStage3Easy);
        RegisterStepPart(2, 1, StepPartStage3Normal);
        RegisterStepPart(2, 2, StepPartStage3Hard);
    }

    // Spawns the kind of this stage and writes what a timeline writes.
    i32 Spawn(i32 kind, i32 state, f32 x, f32 y, f32 speed, f32 heading = kHalfPi) {
        const i32 e =
            SpawnAndPlace(SpawnEnemyStage3, {.kind = kind, .state = state, .speed = speed, .x = x, .y = y, .heading = heading});
        EXPECT_GE(e, 0);
        return e;
    }
};

}  // namespace stage3_test
