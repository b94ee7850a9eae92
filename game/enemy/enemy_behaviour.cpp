#include "game/enemy/enemy_behaviour.h"

#include <algorithm>
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
#include "game/shell/sound_names.h"
#include "game/shell/transition.h"

namespace {

// The field's centre where boss breaks show their banner.
constexpr f32 kBreakBannerPos[2] = {320.0f, 220.0f};

// The stand-in of a part that is not there: destroyed, no children.
EnemyPart& MissingPart() {
    static EnemyPart missing;
    missing = EnemyPart{};
    missing.state = -1;
    return missing;
}

// Writes a target's fields in their order, then its marker.
void OpenTarget(EnemyPart& part, const BossPhaseTarget& t) {
    if (t.spriteKind != kKeepSpriteKind) part.spriteKind = t.spriteKind;
    if (t.hp != kKeepHp) {
        part.maxHp = t.hp;
        part.hp = t.hp;
    }
    if (t.revive) {
        part.state = 1;
        part.hp = part.maxHp;
    }
    part.hitShape = t.shape;
    if (t.action != kKeepAction) {
        part.action = t.action;
        if (t.timer != kKeepTimer) part.timer = t.timer;
    }
    if (t.markerFrames > 0) {
        AddTargetMarkerTimed(&part, part.spriteKind, t.markerFrames);
    } else {
        AddTargetMarker(&part, part.spriteKind);
    }
}

EnemyPart* PhasePart(i32 enemy, i32 root, i32 child) {
    return child == kRootItself ? RootPartAt(enemy, root) : ChildPartAt(enemy, root, child);
}

}  // namespace

const StateRow* FindStateRow(const BehaviourTable& table, i32 state) {
    for (const StateRow& row : table.states) {
        if (row.state == state) return &row;
    }
    return nullptr;
}

bool StepByTable(const BehaviourTable& table, i32 enemy, i32 state) {
    const i32 age = EnemyRecord(enemy).age;
    const StateRow* row = FindStateRow(table, state);
    if (row != nullptr && row->body != nullptr) return row->body(enemy, age);
    return table.unlisted != nullptr ? table.unlisted(enemy, age) : true;
}

bool StayPut(i32, i32) { return true; }

bool MoveStraightOn(i32 enemy, i32) {
    StepStraight(enemy);
    return true;
}

EnemyPart* RootPartAt(i32 enemy, i32 root) {
    const Enemy* e = EnemyAt(enemy);
    if (e == nullptr || root < 0 || root >= kPartLinks) return nullptr;
    return PartAt(e->rootParts[root]);
}

EnemyPart* ChildPartAt(i32 enemy, i32 root, i32 child) {
    const EnemyPart* parent = RootPartAt(enemy, root);
    if (parent == nullptr || child < 0 || child >= kPartLinks) return nullptr;
    return PartAt(parent->children[child]);
}

EnemyPart& RootPart(i32 enemy, i32 root) {
    EnemyPart* part = RootPartAt(enemy, root);
    return part != nullptr ? *part : MissingPart();
}

EnemyPart& ChildPart(i32 enemy, i32 root, i32 child) {
    EnemyPart* part = ChildPartAt(enemy, root, child);
    return part != nullptr ? *part : MissingPart();
}

bool RootDestroyed(i32 enemy, i32 root) {
    const EnemyPart* part = RootPartAt(enemy, root);
    return part == nullptr || part->state == -1;
}

bool ChildDestroyed(i32 enemy, i32 root, i32 child) {
    const EnemyPart* part = ChildPartAt(enemy, root, child);
    return part == nullptr || part->state == -1;
}

bool AllRootsDestroyed(i32 enemy, std::initializer_list<i32> roots) {
    for (const i32 r : roots) {
        if (!RootDestroyed(enemy, r)) return false;
    }
    return true;
}

void SilenceRootParts(i32 enemy) {
    for (i32 r = 0; r < kPartLinks; ++r) {
        EnemyPart* part = RootPartAt(enemy, r);
        if (part == nullptr) break;
        if (part->state != -1) part->action = 0;
    }
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

f80 HeadToward(i32 enemy, f32 tx, f32 ty) {
    Enemy& e = EnemyRecord(enemy);
    const f80 dx = static_cast<f80>(tx) - static_cast<f80>(e.x);
    const f80 dy = static_cast<f80>(ty) - static_cast<f80>(e.y);
    e.heading = static_cast<f32>(std::atan2(dy, dx));
    return std::sqrt(dx * dx + dy * dy);
}

void TravelToPoint(i32 enemy, f32 tx, f32 ty) {
    const f80 distance = HeadToward(enemy, tx, ty);
    EnemyRecord(enemy).speed = static_cast<f32>(distance * static_cast<f80>(1.0f / 300.0f));
}

void SetOffToward(i32 enemy, f32 tx, f32 ty) {
    const f80 distance = HeadToward(enemy, tx, ty);
    const f32 speed = static_cast<f32>(static_cast<f80>(0.01f) * distance);
    EnemyRecord(enemy).speed = speed < 1.0f ? 1.0f : speed;
}

void WanderStep(i32 enemy, i32 age, f32 turn) {
    if (age % 150 > 100) EnemyRecord(enemy).speed -= 0.05f;
    TurnToPlayer(enemy, &Enemy::rotation, turn);
    StepStraight(enemy);
}

void WanderUpperField(i32 enemy, i32 age, f32 turn) {
    if (age % 150 == 0) {
        const f32 tx = RandomFloat(200.0f, 440.0f);
        f32 ty = 0.0f;
        if (age % 300 == 0) {
            ty = RandomFloat(50.0f, 150.0f);
        } else {
            ty = RandomFloat(140.0f, 240.0f);
        }
        SetOffToward(enemy, tx, ty);
    }
    WanderStep(enemy, age, turn);
}

void SpawnEffectBurst(i32 count, const f32 centre[2], f32 x1, f32 x2, f32 y1, f32 y2, i32 d) {
    const f32 cx = centre[0];
    const f32 cy = centre[1];
    for (i32 k = 0; k < count; ++k) {
        const f32 ox = RandomFloat(x1, x2);
        const f32 oy = RandomFloat(y1, y2);
        const f32 angle = RandomFloat(-std::numbers::pi_v<f32>, std::numbers::pi_v<f32>);
        const f32 pos[2] = {cx + ox, cy + oy};
        const i32 index = SpawnEffect(kEffectSpark, pos, angle, -1);
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

bool RemoveBossWithFade(i32 enemy) {
    RemoveEnemy(enemy);
    PlaySoundEffect(kSoundSenGeBom05);
    g_GameState.ScreenShakeTimer = 50;
    StartTransition(23);
    TransitionState.speed = 0.01f;
    return false;
}

void PlaySpacedSound(i32 effect, i32 frames) {
    if (g_GameState.FrameCounter - GetSoundEffectStamp(effect) > frames) {
        PlaySoundEffectStamped(effect, g_GameState.FrameCounter);
    }
}

void OpenBossPhase(i32 enemy, i32 zeroFirst, i32 zeroLast, std::span<const BossPhaseTarget> targets,
                   std::span<const BossPhaseAttacker> attackers, const BossPhaseOpening& opening) {
    EnemyRecord(enemy).active = 1;
    for (i32 r = std::max(zeroFirst, 0); r <= zeroLast && r < kPartLinks; ++r) {
        EnemyPart* part = RootPartAt(enemy, r);
        if (part == nullptr) break;
        part->hitShape = HitShape{};
    }
    if (opening.zeroChildrenOf != kRootItself) {
        for (i32 c = std::max(opening.zeroChildFirst, 0); c <= opening.zeroChildLast && c < kPartLinks; ++c) {
            EnemyPart* part = ChildPartAt(enemy, opening.zeroChildrenOf, c);
            if (part == nullptr) break;
            part->hitShape = HitShape{};
        }
    }
    for (const BossPhaseTarget& t : targets) {
        if (EnemyPart* part = PhasePart(enemy, t.root, t.child)) OpenTarget(*part, t);
    }
    for (const BossPhaseAttacker& a : attackers) {
        if (EnemyPart* part = PhasePart(enemy, a.root, a.child)) {
            part->action = a.action;
            if (a.timer != kKeepTimer) part->timer = a.timer;
        }
    }
    if (opening.bossActiveFlag != kLeaveBossActiveFlag) {
        g_GameState.BossActiveFlag = static_cast<u8>(opening.bossActiveFlag);
    }
}

void BeginBossPhaseBreak(i32 enemy, i32 nextState, i32 bossActiveFlag) {
    EnemyRecord(enemy).active = 0;
    if (bossActiveFlag != kLeaveBossActiveFlag) g_GameState.BossActiveFlag = static_cast<u8>(bossActiveFlag);
    SetEnemyState(enemy, nextState);
}

void PayBossPhaseBonus(i32 effectKind, i32 k, i32 multiplier) {
    SpawnEffect(effectKind, kBreakBannerPos, 0.0f, -1);
    const i32 n = ClearEnemyBulletsAndShells();
    const i32 m = PlayerScoreMultiplier();
    AddScore(multiplier * ((m / 4 + 1) * n + k));
}

bool MoveEnemyToFront(i32 enemy) {
    MoveEnemyToFrontOfList(enemy);
    return true;
}

bool IsTalkCue(i32 eventId, i32 line, i32 frame) {
    return g_TalkState.active != 0 && g_TalkState.eventId == eventId && g_TalkState.lineIndex == line &&
           g_TalkState.lineFrame == frame;
}

i32 PlayerScoreMultiplier() { return GetScoreMultiplier(g_PlayerState[0].shotLevel); }

i32 PlayerLives() { return g_PlayerState[0].lives; }
