#pragma once
// The enemy runtime: the part pool, the per-frame enemy step, damage, kills
// and scoring.
#include "engine/core/types.h"
#include "game/play/records.h"

// Damage and kills for one part subtree from the player's shots and missiles.
void CollideEnemyPart(i32 enemy, EnemyPart* part, const f32 parentPos[2], const f32* parentAngle);
// The explosion of the player missile at that index (the caller erases it).
void ExplodePlayerMissile(i32 missile);
// The lowest free slot of g_EnemyPartPool, marked in use with its gauge
// offset cleared; the caller fills every other field.
i32 AllocateEnemyPart();
// The part's children (recursively), then the part, back to the pool.
void ReleaseEnemyPart(EnemyPart* part);
// ReleaseEnemyPart for each root part of the enemy at that index.
void ReleaseEnemyParts(i32 enemy);
// The per-frame enemy step.
void RunEnemies();
// Score award with the difficulty factor.
void AddScore(i32 points);
// True when x < 90, x > 550, y < -30 or y > 510.
bool IsOutsideField(const f32 pos[2]);
