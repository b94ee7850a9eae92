// Stand-ins, for linking the play tests, of routines the play scene calls that
// other parts of the game define. Each is weak: the real definition wins as
// soon as it is linked in.
#include "game/play/coins.h"
#include "game/play/collision.h"
#include "game/play/effects.h"
#include "game/play/enemy_runtime.h"
#include "game/play/enemy_shells.h"
#include "game/play/missiles.h"
#include "game/play/player.h"
#include "game/play/shots.h"
#include "game/play/target_markers.h"
#include "game/shell/play_state.h"
#include "game/shell/replay.h"

#define WEAK __attribute__((weak))

// Player: the parts of the reset the play scene's tests look at.
WEAK void ResetPlayerState(i32 mode) {
    PlayerState& p = g_PlayerState[0];
    if (mode == 0) {
        ResetPlayRecord(g_PlayRecord);
        p.lives = 3;
        p.extendCount = 0;
        p.extendPoints = 0;
        p.RunScore = 0;
    }
    p.blinkTimer = 0;
    if (mode == 1) {
        p.x = 240.0f;
        p.y = 420.0f;
    }
}
WEAK void UpdatePlayer() {}
WEAK void CollidePlayer() {}
WEAK void DrawPlayer() {}

// Projectiles, coins, effects, markers, enemies, talk.
WEAK void UpdatePlayerShots() {}
WEAK void UpdateEnemyBullets() {}
WEAK void DrawPlayerShots() {}
WEAK void DrawEnemyBullets() {}
WEAK i32 ClearEnemyBulletsAndShells() { return 0; }
WEAK void UpdatePlayerMissiles() {}
WEAK void DrawPlayerMissiles() {}
WEAK void UpdateEnemyShells() {}
WEAK void DrawEnemyShells() {}
WEAK void UpdateCoins() {}
WEAK void DrawCoins() {}
WEAK i32 SpawnEffect(i32, const f32*, f32, i32) { return -1; }
WEAK void UpdateEffects() {}
WEAK void DrawEffects(i32) {}
WEAK void UpdateTargetMarkers() {}
WEAK void DrawTargetMarkers() {}
WEAK void DrawPartHpGauge(i32, EnemyPart*, const f32*, const f32*) {}
WEAK void RunEnemies() {}
WEAK void AddScore(i32) {}
WEAK void RunCollisionPhase() {}
