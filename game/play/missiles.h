#pragma once
// The player's missiles: launched by UpdatePlayer, they drop back below the
// aircraft, then climb the field leaving smoke.
#include "engine/core/types.h"

constexpr i32 kMissileSingle = 10;
constexpr i32 kMissileDouble = 20;

void UpdatePlayerMissiles();
void DrawPlayerMissiles();
