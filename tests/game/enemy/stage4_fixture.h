#pragma once
// Stage index 3 for the tests of its behaviours, timeline and patterns (the
// shared fixture of tests/game/enemy/stage_fixture.h with the fourth stage's
// entry points).
#include "game/enemy/enemy_behaviour.h"
#include "game/patterns/part_step.h"
#include "game/stages/enemy_spawn.h"
#include "tests/game/enemy/stage_fixture.h"

namespace stage4_test {

constexpr f32 kHalfPi = 1.5707964f;
using stage_test::DrawsSince;

inline constexpr stage_test::StageHooks kStage4Hooks{
    3, StepEnemyStage4, SpawnEnemyStage4, {StepPartStage4Easy, StepPartStage4Normal, StepPartStage4Hard}};
class Stage4Test : public stage_test::StageTest<kStage4Hooks> {};

}  // namespace stage4_test
