#pragma once
// What each stage's files in game/stages define, for every stage of the list
// (game/shell/stage_list.h); the stage registry (game/patterns/stage_registry.h)
// makes the stage's record of them. Adding a stage: docs/adding-a-stage.md.
//
// kinds_stage<n>.cpp: the enemy kinds (EnemyKindsStage<n>), the spawner
// SpawnEnemyStage<n>(kind) = SpawnEnemyFromTable(EnemyKindsStage<n>(), kind)
// and the deliberate exceptions to the numbers check
// (NumbersExceptionsStage<n>).
// timeline_stage<n>.cpp: the timeline (RunStage<n>Script), what it spawns
// and writes (TimelineNumbersStage<n>) and the stage's scenery, what it loads
// and the picture under its field (SceneryStage<n>).
#include <span>

#include "engine/core/types.h"
#include "game/play/stage_dispatch.h"
#include "game/shell/stage_list.h"
#include "game/stages/enemy_spawn.h"
#include "game/stages/stage_timeline.h"

#define TOLVARIN_DECLARE_STAGE_SCRIPT(n)                           \
    std::span<const EnemyKindSpec> EnemyKindsStage##n();           \
    i32 SpawnEnemyStage##n(i32 kind);                              \
    std::span<const NumbersException> NumbersExceptionsStage##n(); \
    void RunStage##n##Script();                                    \
    const TimelineNumbers& TimelineNumbersStage##n();              \
    const StageScenery& SceneryStage##n();
TOLVARIN_STAGES(TOLVARIN_DECLARE_STAGE_SCRIPT)
#undef TOLVARIN_DECLARE_STAGE_SCRIPT
