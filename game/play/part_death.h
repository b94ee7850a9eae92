#pragma once
// What the death of an enemy part and the destruction of an enemy leave
// behind.
#include "engine/core/types.h"

// Runs when the enemy's core part has been destroyed. When it leaves corePart
// other than -1 the caller erases the enemy.
void DestroyEnemy(i32 enemy);
