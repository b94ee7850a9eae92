// Stand-ins, for linking the play tests, of routines the play scene calls that
// other parts of the game define. Each is weak: the real definition wins as
// soon as it is linked in.
#include "engine/graphics/draw2d.h"
#include "engine/graphics/surface.h"
#include "engine/graphics/texture.h"
#include "game/play/coins.h"
#include "game/play/collision.h"
#include "game/play/effects.h"
#include "game/play/enemy_runtime.h"
#include "game/play/enemy_shells.h"
#include "game/play/missiles.h"
#include "game/play/player.h"
#include "game/play/shots.h"
#include "game/play/talk.h"
#include "game/play/target_markers.h"
#include "game/shell/game_math.h"
#include "game/shell/play_state.h"
#include "game/shell/replay.h"
#include "game/shell/shell_graphics.h"
#include "game/shell/transition.h"

#define WEAK __attribute__((weak))

// Engine drawing.
WEAK Texture* CreateTexture(const char*, const char*, i32, ProgressCallback) { return nullptr; }
WEAK Surface* CreateSurface(const char*, const char*, i32, ProgressCallback) { return nullptr; }
WEAK void Texture::TextureDraw(const Rect&, f32, const Rect&, u32, i32) {}
WEAK void Texture::TextureDrawRotated(const Rect&, f32, const Rect&, i32, u32, i32) {}
WEAK void Surface::SurfaceBlit(i32, i32, i32, i32, i32, i32) {}
WEAK void Begin2D(i32) {}
WEAK void End2D() {}
WEAK void DrawLine2D(f32, f32, f32, f32, u32) {}

// Shell.
WEAK Texture* BlackTexture = nullptr;
WEAK void DrawSidePanels() {}
WEAK void StartTransition(i32) {}
WEAK void DrawTransition() {}
WEAK i32 GetScoreMultiplier(i32 shotLevel) {
    static constexpr i32 kMultipliers[] = {1, 2, 3, 4, 6, 8, 12, 16};
    return shotLevel >= 1 && shotLevel <= 8 ? kMultipliers[shotLevel - 1] : 0;
}

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
WEAK void UpdateTalk() {}
WEAK void DrawTalk() {}
