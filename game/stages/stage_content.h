#pragma once
// The stage scripts of every stage: enemy kinds, spawners and timelines,
// handed to the play scene's dispatch tables.
#include <span>

#include "game/stages/enemy_spawn.h"

// The enemy kind tables of stage indexes 0..4 (the digit counts stages from 1).
std::span<const EnemyKindSpec> EnemyKindsStage1();
std::span<const EnemyKindSpec> EnemyKindsStage2();
std::span<const EnemyKindSpec> EnemyKindsStage3();
std::span<const EnemyKindSpec> EnemyKindsStage4();
std::span<const EnemyKindSpec> EnemyKindsStage5();

// Registers the five timelines. Called once at program start (the static
// library would drop objects that only register themselves).
void RegisterStageContent();
