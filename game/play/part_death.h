#pragma once
// What a dying enemy part leaves behind and what happens when an enemy's core
// part is destroyed.
#include "engine/core/types.h"
#include "game/play/records.h"

// Marks the part destroyed (state -1), gives it its death mode and throws its
// burst of delayed explosions by sprite kind; pos is its world position.
void SpawnPartDeathEffects(i32 enemy, EnemyPart* part, const f32 pos[2], const f32* angle);
// Kills the enemy's remaining root parts and acts by its spawn id: a boss
// phase or death run (corePart -1, the enemy stays) or the end (corePart kept,
// the caller erases the enemy).
void DestroyEnemy(i32 enemy);
