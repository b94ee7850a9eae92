// The enemy kinds of stage index 4, one row per kind.
#include "game/stages/enemy_spawn.h"
#include "game/stages/stage_content.h"

std::span<const EnemyKindSpec> EnemyKindsStage5() { return {}; }

i32 SpawnEnemyStage5(i32 kind) { return SpawnEnemyFromTable(EnemyKindsStage5(), kind); }
