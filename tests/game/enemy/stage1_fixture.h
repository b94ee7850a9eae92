#pragma once
// Stage index 0 for the tests of its behaviours, timeline and patterns (the
// shared fixture of tests/game/enemy/stage_fixture.h with the first stage's
// entry points).
#include "game/enemy/enemy_behaviour.h"
#include "game/patterns/part_step.h"
#include "game/stages/enemy_spawn.h"
#include "tests/game/enemy/stage_fixture.h"

namespace stage1_test {

constexpr f32 kHalfPi = 1.5707964f;
using stage_test::DrawsSince;

inline constexpr stage_test::StageHooks kStage1Hooks{
    0, StepEnemyStage1, SpawnEnemyStage1, {StepPartStage1Easy, StepPartStage1Normal, StepPartStage1Hard}};
class Stage1Test : public stage_test::StageTest<kStage1Hooks> {};

}  // namespace stage1_test
