#pragma once
// Coins: dropped by destroyed enemy parts in rings, falling under a light
// gravity, drawn to the player, collected by CollidePlayer.
#include "engine/core/types.h"

constexpr i32 kCoinKind = 10;

// Rings of `count` coins of `kind` at `pos` fanned around `angle` (radians).
// Nothing unless kind is 10 and count is at least 1.
void SpawnCoins(i32 kind, const f32 pos[2], f32 angle, i32 count);
void UpdateCoins();
void DrawCoins();

// The stage points one collected coin pays with `cancelCount` bullets
// cancelled: 5 for 0..100, 6 for 101..200, and so on.
i32 CoinValue(i32 cancelCount);
