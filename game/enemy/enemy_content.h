#pragma once
// What each stage's files in game/enemy define, for every stage of the list
// (game/shell/stage_list.h); the stage registry (game/patterns/stage_registry.h)
// makes the stage's record of them. Adding a stage: docs/adding-a-stage.md.
//
// looks_stage<n>.cpp: the looks of the stage's sprite kinds
// (EnemyLooksStage<n>).
// behaviour_stage<n>.cpp: the behaviour table (BehaviourStage<n>) and its
// step, StepEnemyStage<n>(enemy, state) = StepByTable(BehaviourStage<n>(),
// enemy, state), which the play scene dispatches to.
#include <span>

#include "engine/core/types.h"
#include "game/enemy/enemy_behaviour.h"
#include "game/enemy/enemy_draw.h"
#include "game/shell/stage_list.h"

#define TOLVARIN_DECLARE_STAGE_ENEMIES(n)            \
    std::span<const EnemyLook> EnemyLooksStage##n(); \
    const BehaviourTable& BehaviourStage##n();       \
    bool StepEnemyStage##n(i32 enemy, i32 state);
TOLVARIN_STAGES(TOLVARIN_DECLARE_STAGE_ENEMIES)
#undef TOLVARIN_DECLARE_STAGE_ENEMIES
