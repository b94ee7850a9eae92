#pragma once
// Stage index 3 for the tests of its behaviours, timeline and patterns (the
// shared fixture of tests/game/enemy/stage_fixture.h with the fourth stage's
// entry points).
#include "engine/core/radians.h"
#include "game/enemy/enemy_content.h"
#include "game/patterns/pattern_content.h"
#include "game/stages/stage_content.h"
#include "tests/game/enemy/stage_fixture.h"

namespace stage4_test {

using stage_test::DrawsSince;

inline constexpr stage_test::StageHooks kStage4Hooks{3, StepEnemyStage4, SpawnEnemyStage4,
                                                     StepStageParts<RunPartActionStage4>};
class Stage4Test : public stage_test::StageTest<kStage4Hooks> {};

}  // namespace stage4_test
