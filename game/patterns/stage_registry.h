#pragma once
// The stage registry: one record per stage of the list (game/shell/stage_list.h),
// made of what the stage's five files define, and its hand-over to the play
// scene's dispatch tables and the enemy drawing at program start. Adding a
// stage: docs/adding-a-stage.md.
#include <span>

#include "engine/core/types.h"
#include "game/enemy/enemy_behaviour.h"
#include "game/enemy/enemy_draw.h"
#include "game/patterns/part_step.h"
#include "game/play/stage_dispatch.h"
#include "game/stages/enemy_spawn.h"
#include "game/stages/stage_timeline.h"

// One stage's content, by the file that defines it.
struct StageContent {
    i32 number = 0;  // n of its files' names; the stage index is n - 1
    // looks_stage<n>.cpp
    std::span<const EnemyLook> looks = {};
    // behaviour_stage<n>.cpp
    const BehaviourTable* behaviour = nullptr;
    StepEnemyFn stepEnemy = nullptr;
    // kinds_stage<n>.cpp
    std::span<const EnemyKindSpec> kinds = {};
    SpawnEnemyFn spawn = nullptr;
    std::span<const NumbersException> exceptions = {};
    // timeline_stage<n>.cpp: the timeline, its numbers, and the scenery (the
    // load row and the background)
    StageScriptFn script = nullptr;
    const TimelineNumbers* timeline = nullptr;
    const StageScenery* scenery = nullptr;
    // actions_stage<n>.cpp: the table (its reset is the stage's reset hook)
    // and the part step with its actions, handed the difficulty
    const ActionTable* actions = nullptr;
    StepPartFn stepParts = nullptr;
};

// Every listed stage's record in play order: element i is stage index i.
std::span<const StageContent> StageContents();

// Hands every stage to the play scene (its behaviour step, part step,
// timeline, pattern reset and scenery, under its stage index) and every
// stage's looks to the enemy drawing in stage order (a later stage's row wins
// for a sprite kind two stages draw), with DrawEnemyLayer. Called once at
// program start (a static library would drop objects that only register
// themselves).
void RegisterStages();
