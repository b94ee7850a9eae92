#pragma once
// Stage index 2 for the tests of its behaviours, timeline and patterns (the
// shared fixture of tests/game/enemy/stage_fixture.h with the third stage's
// entry points).
#include "engine/core/radians.h"
#include "game/enemy/enemy_content.h"
#include "game/patterns/pattern_content.h"
#include "game/stages/stage_content.h"
#include "tests/game/enemy/stage_fixture.h"

namespace stage3_test {

using stage_test::DrawsSince;

inline constexpr stage_test::StageHooks kStage3Hooks{2, StepEnemyStage3, SpawnEnemyStage3,
                                                     StepStageParts<RunPartActionStage3>};
class Stage3Test : public stage_test::StageTest<kStage3Hooks> {};

}  // namespace stage3_test
