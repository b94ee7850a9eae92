// The enemy kinds of stage index 3, one row per kind.
#include "game/stages/enemy_spawn.h"
#include "game/stages/stage_content.h"

std::span<const EnemyKindSpec> EnemyKindsStage4() { return {}; }

i32 SpawnEnemyStage4(i32 kind) { return SpawnEnemyFromTable(EnemyKindsStage4(), kind); }
