// The enemy kinds of stage index 0, one row per kind.
#include "game/stages/enemy_spawn.h"
#include "game/stages/stage_content.h"

std::span<const EnemyKindSpec> EnemyKindsStage1() { return {}; }

i32 SpawnEnemyStage1(i32 kind) { return SpawnEnemyFromTable(EnemyKindsStage1(), kind); }
