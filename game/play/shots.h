#pragma once
// The player's shots and the enemies' bullets.
#include "engine/core/types.h"

void UpdatePlayerShots();
void UpdateEnemyBullets();
void DrawPlayerShots();
void DrawEnemyBullets();
// Removes every enemy bullet and shell for points; returns how many.
i32 ClearEnemyBulletsAndShells();
