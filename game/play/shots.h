#pragma once
// Player shots and enemy bullets.
#include "engine/core/types.h"

// Removes every enemy bullet and shell for points; returns how many it removed.
i32 ClearEnemyBulletsAndShells();
