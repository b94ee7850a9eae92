// Stand-ins, for linking the play tests, of routines the play scene calls that
// other parts of the game define. Each is weak: the real definition wins as
// soon as it is linked in.
#include "game/play/effects.h"
#include "game/play/enemy_runtime.h"
#include "game/play/enemy_shells.h"
#include "game/play/target_markers.h"

#define WEAK __attribute__((weak))

// Enemy runtime, effects, shells and markers.
WEAK void UpdateEnemyShells() {}
WEAK void DrawEnemyShells() {}
WEAK i32 SpawnEffect(i32, const f32*, f32, i32) { return -1; }
WEAK void UpdateEffects() {}
WEAK void DrawEffects(i32) {}
WEAK void UpdateTargetMarkers() {}
WEAK void DrawTargetMarkers() {}
WEAK void DrawPartHpGauge(i32, EnemyPart*, const f32*, const f32*) {}
WEAK void RunEnemies() {}
WEAK void AddScore(i32) {}
