#pragma once
// Enemy shells: the enemies' heavy projectiles.
#include "engine/core/types.h"

// The destruction effects of one shell; the caller erases the shell.
void DestroyEnemyShell(i32 index);
// The debris of a shell that strikes the player; the caller erases the shell.
void SpawnShellDeathEffects(i32 index);
