#include "game/enemy/enemy_behaviour.h"

#include <cmath>
#include <numbers>

#include "engine/core/random.h"
#include "game/play/effects.h"
#include "game/play/enemy_runtime.h"
#include "game/play/play_overlays.h"
#include "game/play/shots.h"
#include "game/play/target_markers.h"
#include "game/shell/game_math.h"
#include "game/shell/play_state.h"
#include "game/shell/sound_effects.h"

namespace {

using f80 = long double;

// The field's centre where boss breaks show their banner.
constexpr f32 kBreakBannerPos[2] = {320.0f, 220.0f};

}  // namespace

EnemyPart& RootPart(i32 enemy, i32 root) {
    return g_EnemyPartPool[EnemyRecord(enemy).rootParts[root]];
}

void SetEnemyState(i32 enemy, i32 state) {
    Enemy& e = EnemyRecord(enemy);
    e.state = state;
    e.age = 0;
}

void StepStraight(i32 enemy) {
    Enemy& e = EnemyRecord(enemy);
    e.x = static_cast<f32>(static_cast<f80>(e.x) + std::cos(static_cast<f80>(e.heading)) * static_cast<f80>(e.speed));
    e.y = static_cast<f32>(static_cast<f80>(e.y) + std::sin(static_cast<f80>(e.heading)) * static_cast<f80>(e.speed));
}

f32 SwayOffset(i32 age, f32 amplitude, i32 period) {
    const f80 phase = static_cast<f80>(age % period) * 2.0L * std::numbers::pi_v<f80> / static_cast<f80>(period);
    return static_cast<f32>(static_cast<f80>(amplitude) * std::sin(phase));
}

void TurnToPlayer(i32 enemy, f32 Enemy::*field, f32 step) {
    const f32 pos[2] = {EnemyRecord(enemy).x, EnemyRecord(enemy).y};
    const f32 target = static_cast<f32>(AngleToPlayer(pos, 0));
    f32 angle = EnemyRecord(enemy).*field;
    TurnTowardAngle(&angle, target, step);
    EnemyRecord(enemy).*field = angle;
}

void TravelToPoint(i32 enemy, f32 tx, f32 ty) {
    Enemy& e = EnemyRecord(enemy);
    const f80 dx = static_cast<f80>(tx) - static_cast<f80>(e.x);
    const f80 dy = static_cast<f80>(ty) - static_cast<f80>(e.y);
    e.speed = static_cast<f32>(std::sqrt(dx * dx + dy * dy) * static_cast<f80>(1.0f / 300.0f));
    e.heading = static_cast<f32>(std::atan2(dy, dx));
}

void SpawnEffectBurst(i32 count, const f32 centre[2], f32 x1, f32 x2, f32 y1, f32 y2, i32 d) {
    const f32 cx = centre[0];
    const f32 cy = centre[1];
    for (i32 k = 0; k < count; ++k) {
        const f32 ox = RandomFloat(x1, x2);
        const f32 oy = RandomFloat(y1, y2);
        const f32 angle = RandomFloat(-std::numbers::pi_v<f32>, std::numbers::pi_v<f32>);
        const f32 pos[2] = {cx + ox, cy + oy};
        const i32 index = SpawnEffect(10, pos, angle, -1);
        if (index >= 0) g_EffectList[static_cast<std::size_t>(index)].age = -d * k;
    }
}

void SpawnExplosionChain(i32 enemy, i32 count) {
    const f32 centre[2] = {EnemyRecord(enemy).x + g_GameState.FieldScrollX, EnemyRecord(enemy).y};
    SpawnEffectBurst(count, centre, -120.0f, 120.0f, -100.0f, 100.0f, 1);
}

bool RemoveEnemy(i32 enemy) {
    ReleaseEnemyParts(enemy);
    g_EnemyList.erase(g_EnemyList.begin() + enemy);
    return false;
}

bool EscapeEnemy(i32 enemy) {
    FailMission();
    return RemoveEnemy(enemy);
}

void PlaySpacedSound(i32 effect, i32 frames) {
    if (g_GameState.FrameCounter - GetSoundEffectStamp(effect) > frames) {
        PlaySoundEffectStamped(effect, g_GameState.FrameCounter);
    }
}

void OpenBossPhase(i32 enemy, i32 zeroFirst, i32 zeroLast, std::span<const BossPhaseTarget> targets,
                   std::span<const BossPhaseAttacker> attackers) {
    EnemyRecord(enemy).active = 1;
    for (i32 r = zeroFirst; r <= zeroLast && r < kPartLinks; ++r) {
        if (EnemyRecord(enemy).rootParts[r] == kNoPart) break;
        RootPart(enemy, r).hitShape = HitShape{};
    }
    for (const BossPhaseTarget& t : targets) {
        EnemyPart& part = RootPart(enemy, t.root);
        part.hitShape = t.shape;
        if (t.action != kKeepAction) {
            part.action = t.action;
            part.timer = t.timer;
        }
        AddTargetMarker(&part, part.spriteKind);
    }
    for (const BossPhaseAttacker& a : attackers) {
        EnemyPart& part = RootPart(enemy, a.root);
        part.action = a.action;
        part.timer = a.timer;
    }
    g_GameState.BossActiveFlag = 0;
}

void BeginBossPhaseBreak(i32 enemy, i32 nextState, u8 bossActiveFlag) {
    EnemyRecord(enemy).active = 0;
    g_GameState.BossActiveFlag = bossActiveFlag;
    SetEnemyState(enemy, nextState);
}

void PayBossPhaseBonus(i32 effectKind, i32 k) {
    SpawnEffect(effectKind, kBreakBannerPos, 0.0f, -1);
    const i32 n = ClearEnemyBulletsAndShells();
    const i32 m = PlayerScoreMultiplier();
    AddScore(10 * ((m / 4 + 1) * n + k));
}

bool MoveEnemyToFront(i32 enemy) {
    const Enemy copy = EnemyRecord(enemy);
    g_EnemyList.erase(g_EnemyList.begin() + enemy);
    g_EnemyList.insert(g_EnemyList.begin(), copy);
    return true;
}

bool IsTalkCue(i32 eventId, i32 line, i32 frame) {
    return g_TalkState.active != 0 && g_TalkState.eventId == eventId && g_TalkState.lineIndex == line &&
           g_TalkState.lineFrame == frame;
}

i32 PlayerScoreMultiplier() { return GetScoreMultiplier(g_PlayerState[0].shotLevel); }

i32 PlayerLives() { return g_PlayerState[0].lives; }

bool StepUnlistedStateStage1(i32) { return true; }

bool StepUnlistedState(i32 enemy) {
    StepStraight(enemy);
    return true;
}
