#pragma once
// Coins dropped by destroyed enemy parts.
#include "engine/core/types.h"

// A burst of `count` coins of the kind at pos; nothing unless kind is 10 and
// count is not 0.
void SpawnCoins(i32 kind, const f32 pos[2], f32 angle, i32 count);
