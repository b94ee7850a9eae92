#pragma once
// The hit test of two placed and turned hit shapes. The collision passes of
// the play frame are built on it.
#include "engine/core/types.h"
#include "game/shell/hit_shape.h"

// True when shape a, centred on posA and turned by angleA (radians, the
// rotation of RotateVector2), touches shape b at posB turned by angleB: the
// first of circle-circle, rectangle-rectangle, rectangle a-circle b and
// circle a-rectangle b that touches. A shape of all zeros touches nothing.
// Computed in extended precision on the f32 inputs.
bool HitTestShapes(const f32 posA[2], const f32 posB[2], const HitShape* a, const HitShape* b, f32 angleA, f32 angleB);

// The collision passes of a play frame, after every mover: player fire against
// the enemies, the enemy shells and the enemy bullets, then the player.
// Nothing in the closing phase.
void RunCollisionPhase();
void CollideShotsWithShells();
void CollideShotsWithEnemyBullets();
void CollideMissilesWithShells();
