#pragma once
// Enemy shells: the enemies' heavy projectiles (rockets, homing missiles,
// bombs, mines, warheads), with hit points and a strength.
#include "engine/core/types.h"
#include "game/play/play_sprites.h"
#include "game/play/records.h"

// Appends the shell with `shape` as both its hit shape and its player hit
// shape (the makers give one shape); returns its index.
i32 PushEnemyShell(const EnemyShell& shell, const HitShape& shape);
// Appends the shell as given, both shapes set by the caller.
i32 PushEnemyShellShapes(const EnemyShell& shell);
// Fires a shell as the attack patterns do: first word 0, hp, kind, age,
// angle, heading, speed, strength, position, and one shape for both hit
// shapes. Returns its index.
i32 FireEnemyShell(i32 kind, i32 hp, f32 speed, i32 strength, const HitShape& shape, f32 angle, f32 heading,
                   const f32 pos[2], i32 age = 0);

// Steps every shell once: its kind's step, then age + 1 unless it was removed.
void UpdateEnemyShells();
// The kind's step of the shell at that index; false when it is to be removed.
bool StepEnemyShell(i32 index);
// The destruction effects of a shell (the caller erases it).
void DestroyEnemyShell(i32 index);
// The debris of a shell that strikes the player (the caller erases it).
void SpawnShellDeathEffects(i32 index);
// Draws every shell in list order.
void DrawEnemyShells();
void CollectEnemyShellQuads(PlayQuadList& quads);
