// Test stand-ins for the play layer's services that the enemy, stage and
// pattern frames call, until their own definitions are merged. Each is weak,
// does the least its callers can observe, and gives way to the real one. It
// lives here, not beside the play tests, so that it never competes with the
// play tests' own stand-ins; the stage and pattern tests link it too.
#include "game/play/effects.h"
#include "game/play/enemy_runtime.h"
#include "game/play/enemy_shells.h"
#include "game/play/play_overlays.h"
#include "game/play/records.h"
#include "game/play/shots.h"
#include "game/play/stage_dispatch.h"
#include "game/play/target_markers.h"
#include "game/shell/play_state.h"

#define FALLBACK __attribute__((weak))

FALLBACK i32 SpawnEffect(i32 kind, const f32 pos[2], f32 param, i32 extra) {
    Effect e;
    e.kind = kind;
    e.extra = extra;
    e.x = pos[0];
    e.y = pos[1];
    e.param = param;
    e.alpha = 1.0f;
    e.scale = 1.0f;
    if (kind == 9 || kind == 11 || kind == 12 || kind == 13 || kind == 14) {
        g_EffectList.insert(g_EffectList.begin(), e);
    } else {
        g_EffectList.push_back(e);
    }
    return static_cast<i32>(g_EffectList.size()) - 1;
}

FALLBACK i32 AllocateEnemyPart() {
    for (i32 i = 0; i < kEnemyPartPoolSize; ++i) {
        if (g_EnemyPartPool[i].inUse == 0) {
            g_EnemyPartPool[i].inUse = 1;
            g_EnemyPartPool[i].gaugeOffsetX = 0;
            g_EnemyPartPool[i].gaugeOffsetY = 0;
            return i;
        }
    }
    g_EnemyPartPool[0].inUse = 1;
    return 0;
}

FALLBACK void ReleaseEnemyPart(EnemyPart* part) {
    for (const i32 child : part->children) {
        if (child == kNoPart) break;
        ReleaseEnemyPart(&g_EnemyPartPool[child]);
    }
    part->inUse = 0;
}

FALLBACK void ReleaseEnemyParts(i32 enemy) {
    for (const i32 root : g_EnemyList[static_cast<std::size_t>(enemy)].rootParts) {
        if (root == kNoPart) break;
        ReleaseEnemyPart(&g_EnemyPartPool[root]);
    }
}

FALLBACK void RunEnemies() {
    for (std::size_t i = 0; i < g_EnemyList.size();) {
        if (!DispatchStepEnemy(static_cast<i32>(i), g_EnemyList[i].state)) continue;
        g_EnemyList[i].age += 1;
        for (int r = 0; r < kPartLinks; ++r) {
            const i32 root = g_EnemyList[i].rootParts[r];
            if (root == kNoPart) break;
            const f32 pos[2] = {g_EnemyList[i].x, g_EnemyList[i].y};
            const f32 rotation = g_EnemyList[i].rotation;
            DispatchStepPart(static_cast<i32>(i), &g_EnemyPartPool[root], pos, &rotation);
        }
        ++i;
    }
}

FALLBACK void AddScore(i32 points) {
    g_GameState.RankPoints += points / 50;
    g_PlayerState[0].StageScorePoints += points;
}

FALLBACK bool IsOutsideField(const f32 pos[2]) {
    return pos[0] < 90.0f || pos[0] > 550.0f || pos[1] < -30.0f || pos[1] > 510.0f;
}

FALLBACK void AddTargetMarker(EnemyPart* part, i32 partId) { g_TargetMarkerList.push_back({part, partId, 100}); }

FALLBACK void AddTargetMarkerTimed(EnemyPart* part, i32 partId, i32 frames) {
    g_TargetMarkerList.push_back({part, partId, frames});
}

FALLBACK void SetMissionTimer(i32 frames, i32 bonusPoints) {
    g_GameState.MissionTimer.total = frames;
    g_GameState.MissionTimer.remaining = frames;
    g_GameState.MissionTimer.bonus = bonusPoints;
}

FALLBACK void CompleteMission() {
    if (g_GameState.MissionTimer.remaining <= 0) return;
    g_GameState.BonusCount += 1;
    g_GameState.MissionTimer.remaining = 0;
}

FALLBACK void FailMission() {
    if (g_GameState.MissionTimer.remaining <= 0) return;
    g_GameState.MissionTimer.remaining = 0;
    const f32 pos[2] = {320.0f, 220.0f};
    SpawnEffect(65, pos, 0.0f, -1);
    ClearEnemyBulletsAndShells();
}

FALLBACK void DestroyEnemyShell(i32) {}
