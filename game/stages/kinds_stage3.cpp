// The enemy kinds of stage index 2, one row per kind.
#include "game/stages/enemy_spawn.h"
#include "game/stages/stage_content.h"

std::span<const EnemyKindSpec> EnemyKindsStage3() { return {}; }

// The numbers of the stage that may go without their rows, each with its
// reason: {NumbersRule::kActionHasRow, 296, "why it needs no row"}.
std::span<const NumbersException> NumbersExceptionsStage3() { return {}; }

i32 SpawnEnemyStage3(i32 kind) { return SpawnEnemyFromTable(EnemyKindsStage3(), kind); }
