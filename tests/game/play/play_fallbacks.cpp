// Stand-ins, for linking the play tests, of functions that other parts of the
// play layer and the shell provide. Each is weak, so the real one wins once it
// is linked in; each does the little of the real one that the tests observe.
#include "engine/core/random.h"
#include "game/play/effects.h"
#include "game/play/enemy_runtime.h"
#include "game/play/enemy_shells.h"
#include "game/play/part_death.h"
#include "game/play/play_overlays.h"
#include "game/play/records.h"
#include "game/shell/game_math.h"
#include "game/shell/play_state.h"

__attribute__((weak)) i32 SpawnEffect(i32 kind, const f32 pos[2], f32 param, i32 extra) {
    Effect e;
    e.kind = kind;
    e.extra = extra;
    e.x = pos[0];
    e.y = pos[1];
    e.param = param;
    e.alpha = 1.0f;
    e.scale = 1.0f;
    // The cancel token's age is the one draw an effect makes at its spawn.
    if (kind == 31) e.age = RandomInt(0, 7);
    if (kind == 9 || (kind >= 11 && kind <= 14)) {
        g_EffectList.insert(g_EffectList.begin(), e);
    } else {
        g_EffectList.push_back(e);
    }
    return static_cast<i32>(g_EffectList.size()) - 1;
}

__attribute__((weak)) void CollideEnemyPart(i32, EnemyPart*, const f32*, const f32*) {}

__attribute__((weak)) void ExplodePlayerMissile(i32 missile) {
    const PlayerMissile& m = g_PlayerMissileList[static_cast<std::size_t>(missile)];
    PlayerState& owner = g_PlayerState[m.owner];
    owner.levelTimer = owner.levelTimerMax;
    const f32 pos[2] = {m.x, m.y};
    SpawnEffect(m.kind == 10 ? 20 : 21, pos, 0.0f, m.owner);
}

__attribute__((weak)) void DestroyEnemy(i32) {}

__attribute__((weak)) void DestroyEnemyShell(i32 index) {
    const EnemyShell& s = g_EnemyShellList[static_cast<std::size_t>(index)];
    const f32 pos[2] = {s.x, s.y};
    SpawnEffect(10, pos, RandomFloat(-kGamePi, kGamePi), -1);
}

__attribute__((weak)) void SpawnShellDeathEffects(i32) {}

__attribute__((weak)) void FailMission() {
    if (g_GameState.MissionTimer.remaining > 0) g_GameState.MissionTimer.remaining = 0;
}
