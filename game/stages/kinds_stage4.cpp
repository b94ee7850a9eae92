// The enemy kinds of stage index 3, one row per kind.
#include "game/stages/enemy_spawn.h"
#include "game/stages/stage_content.h"

std::span<const EnemyKindSpec> EnemyKindsStage4() { return {}; }

// The numbers of the stage that go without their rows, each with its reason
// ({NumbersRule::kStateHasBody, 297, "no state writes it: dead content"}).
std::span<const NumbersException> NumbersExceptionsStage4() { return {}; }

i32 SpawnEnemyStage4(i32 kind) { return SpawnEnemyFromTable(EnemyKindsStage4(), kind); }
