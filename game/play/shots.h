#pragma once
// Player shots (gun bullets, one-frame blast areas of missile explosions) and
// enemy bullets: their steps, drawing, the spark burst of one bullet kind and
// the clearing of every enemy bullet and shell for points.
#include "engine/core/types.h"

constexpr i32 kShotGun = 10;
constexpr i32 kShotBlastSmall = 100;
constexpr i32 kShotBlastLarge = 101;
// cancelCount never goes above this.
constexpr i32 kMaxCancelCount = 9999;

void UpdatePlayerShots();
void UpdateEnemyBullets();
void DrawPlayerShots();
void DrawEnemyBullets();
// Six delayed sparks around a kind-40 bullet; other kinds nothing. The bullet
// stays in its list.
void BurstBulletIntoSparks(i32 bullet);
// Removes every enemy bullet and shell for points; returns how many.
i32 ClearEnemyBulletsAndShells();
