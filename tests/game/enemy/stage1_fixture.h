#pragma once
// Stage index 0 for the tests of its behaviours, timeline and patterns (the
// shared fixture of tests/game/enemy/stage_fixture.h with the first stage's
// entry points).
#include "engine/core/radians.h"
#include "game/enemy/enemy_content.h"
#include "game/patterns/pattern_content.h"
#include "game/stages/stage_content.h"
#include "tests/game/enemy/stage_fixture.h"

namespace stage1_test {

using stage_test::DrawsSince;

inline constexpr stage_test::StageHooks kStage1Hooks{0, StepEnemyStage1, SpawnEnemyStage1,
                                                     StepStageParts<RunPartActionStage1>};
class Stage1Test : public stage_test::StageTest<kStage1Hooks> {};

}  // namespace stage1_test
