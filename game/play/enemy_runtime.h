#pragma once
// The enemy runtime: the part pool, the per-frame enemy step, damage, kills
// and scoring.
#include "engine/core/types.h"
#include "game/play/records.h"

// Damage and kills for one part subtree from the player's shots and missiles.
void CollideEnemyPart(i32 enemy, EnemyPart* part, const f32 parentPos[2], const f32* parentAngle);
// The explosion of the player missile at that index (the caller erases it).
void ExplodePlayerMissile(i32 missile);
// The per-frame enemy step.
void RunEnemies();
// Score award with the difficulty factor.
void AddScore(i32 points);
