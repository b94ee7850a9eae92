// The enemy kinds of stage index 1, one row per kind.
#include "game/stages/enemy_spawn.h"
#include "game/stages/stage_content.h"

std::span<const EnemyKindSpec> EnemyKindsStage2() { return {}; }

// The numbers of the stage that may go without their rows, each with its
// reason: {NumbersRule::kActionHasRow, 296, "why it needs no row"}.
std::span<const NumbersException> NumbersExceptionsStage2() { return {}; }

i32 SpawnEnemyStage2(i32 kind) { return SpawnEnemyFromTable(EnemyKindsStage2(), kind); }
