// The behaviour of the enemies of stage index 0: one row per state id in the
// table at the end, each calling the small function of its state.
//
// Within a state body the age's events come first, then the motion, then the
// exit tests; `age` is always the age the step sees (a write of the age inside
// the body shows from the next step on).
#include <cmath>

#include "engine/core/radians.h"
#include "engine/core/random.h"
#include "game/enemy/enemy_behaviour.h"
#include "game/enemy/enemy_content.h"
#include "game/play/effects.h"
#include "game/play/talk.h"
#include "game/play/target_markers.h"
#include "game/shell/game_math.h"
#include "game/shell/play_state.h"
#include "game/shell/sound_effects.h"
#include "game/shell/sound_names.h"
#include "game/shell/story_flags.h"

namespace {

constexpr f32 kHalfPiAngle = 1.5707964f;
constexpr i32 kBossRootParts = 18;

// Brake A: a dive that slows to a stop and drifts backward at up to 0.5.
void BrakeA(Enemy& e) {
    if (e.speed > 0.0f) {
        e.speed -= 0.05f;
    } else if (e.speed > -0.5f) {
        e.speed -= 0.01f;
    }
}

// Bobbing: speed = sin((age mod 100) x 0.01 x 2 pi).
void Bobbing(Enemy& e, i32 age) {
    e.speed = static_cast<f32>(
        std::sin(static_cast<f80>(age % 100) * static_cast<f80>(0.01f) * static_cast<f80>(2.0f * kPi)));
}

// Kinds 1: a wave that banks away (turn -0.012 for 101, +0.012 for 102).
bool StepBankingWave(i32 enemy, i32 age, f32 turn) {
    Enemy& e = EnemyRecord(enemy);
    if (age > 50) e.heading += turn;
    e.rotation = e.heading;
    if (e.speed > 2.0f) e.speed -= 0.1f;
    StepStraight(enemy);
    if (age > 300) EnemyRecord(enemy).speed += 0.2f;
    if (age > 350) return RemoveEnemy(enemy);
    return true;
}

// 103: kind 51 crosses down, stops and backs out through the top.
bool StepGunboat(i32 enemy, i32 age) {
    Enemy& e = EnemyRecord(enemy);
    if (age >= 250 && age <= 700) {
        if (e.speed > 0.2f) e.speed -= 0.1f;
    } else if (age > 700) {
        if (e.speed > -3.0f) e.speed -= 0.1f;
    }
    StepStraight(enemy);
    if (age > 500 && EnemyRecord(enemy).y < -100.0f) return EscapeEnemy(enemy);
    return true;
}

// 104: kind 61 dives, brakes, faces the player and backs away.
bool StepDiver(i32 enemy, i32 age) {
    BrakeA(EnemyRecord(enemy));
    TurnToPlayer(enemy, &Enemy::rotation, 0.01f);
    if (age > 400) EnemyRecord(enemy).speed -= 0.1f;
    StepStraight(enemy);
    if (age > 500 && EnemyRecord(enemy).y < -100.0f) return EscapeEnemy(enemy);
    return true;
}

// 105, 107, 108: small craft that swap their picture at `swapAge` and then
// turn by `turn` per frame while speeding up; removed after `endAge`.
bool StepPeelOff(i32 enemy, i32 age, i32 swapAge, i32 swapKind, f32 turn, i32 endAge) {
    if (age == swapAge) RootPart(enemy, 0).spriteKind = swapKind;
    Enemy& e = EnemyRecord(enemy);
    if (age > swapAge) {
        e.heading += turn;
        e.rotation = e.heading;
        e.speed += 0.1f;
    }
    e.rotation = e.heading;
    StepStraight(enemy);
    if (age > endAge) return RemoveEnemy(enemy);
    return true;
}

// 106: kind 71 enters fast, brakes, faces the player and backs away.
bool StepCruiser(i32 enemy, i32 age) {
    Enemy& e = EnemyRecord(enemy);
    if (e.speed > 0.0f) {
        e.speed -= 0.05f;
    } else if (age > 400 && e.speed > -1.0f) {
        e.speed -= 0.01f;
    }
    TurnToPlayer(enemy, &Enemy::rotation, 0.01f);
    StepStraight(enemy);
    if (age > 400 && EnemyRecord(enemy).y < -100.0f) return EscapeEnemy(enemy);
    return true;
}

// 110: the first mid-boss circles the field.
bool StepCircler(i32 enemy, i32 age) {
    if (age == 1450) {
        StartTalkEvent(104);
        EnemyRecord(enemy).active = 0;
    }
    Enemy& e = EnemyRecord(enemy);
    f32 length = 0;
    if (age < 100) {
        e.heading += 0.018f;
        length = 5.0f;
    } else if (age < 1580) {
        e.heading += 0.025f;
        length = 4.0f;
    } else {
        e.heading -= 0.01f;
        length = 5.0f;
    }
    e.rotation = e.heading;
    e.x = static_cast<f32>(static_cast<f80>(e.x) + std::cos(static_cast<f80>(e.heading)) * static_cast<f80>(length));
    e.y = static_cast<f32>(static_cast<f80>(e.y) + std::sin(static_cast<f80>(e.heading)) * static_cast<f80>(length));
    if (age > 1700) return RemoveEnemy(enemy);
    return true;
}

// 111: the shot-down mid-boss falls ever faster.
bool StepFalling(i32 enemy, i32 age) {
    Enemy& e = EnemyRecord(enemy);
    e.y += static_cast<f32>(age) * 0.05f;
    if (e.y >= 520.0f) return RemoveEnemy(enemy);
    return true;
}

// 112: the second mid-boss descends and moves between random points.
bool StepHoverer(i32 enemy, i32 age) {
    if (age == 200) EnemyRecord(enemy).active = 1;
    if (age < 200) {
        StepStraight(enemy);
    } else if (age <= 3700) {
        Enemy& e = EnemyRecord(enemy);
        if (age % 200 == 0) {
            const f32 tx = RandomFloat(200.0f, 440.0f);
            e.speed = (tx - e.x) * 0.005f;
        }
        e.x += e.speed;
        e.y += static_cast<f32>(
            std::sin(static_cast<f80>(age % 100) * static_cast<f80>(0.01f) * static_cast<f80>(2.0f * kPi)) *
            static_cast<f80>(0.8f));
    } else {
        if (EnemyRecord(enemy).speed > -2.0f) EnemyRecord(enemy).speed -= 0.2f;
        StepStraight(enemy);
    }
    if (age > 3800) return RemoveEnemy(enemy);
    return true;
}

// 113: the shot-down second mid-boss climbs away ever faster.
bool StepClimbing(i32 enemy, i32 age) {
    if (age > 100) EnemyRecord(enemy).y -= static_cast<f32>(age - 100) * 0.05f;
    if (age > 400) return RemoveEnemy(enemy);
    return true;
}

// 120 and 122: the boss's escorts brake, bob and face the player until the
// cue of talk event 134 sends them away (121, the age kept).
bool StepEscort(i32 enemy, i32 age, bool armsAt200) {
    if (armsAt200 && age == 200) EnemyRecord(enemy).active = 1;
    if (age < 100) {
        BrakeA(EnemyRecord(enemy));
    } else {
        Bobbing(EnemyRecord(enemy), age);
    }
    TurnToPlayer(enemy, &Enemy::rotation, 0.01f);
    StepStraight(enemy);
    if (IsTalkCue(134, 3, 200)) {
        EnemyRecord(enemy).state = 121;
        EnemyRecord(enemy).speed = 3.0f;
    }
    return true;
}

// 121: a drop that turns into a climb out of the top.
bool StepEscortLeaving(i32 enemy) {
    Enemy& e = EnemyRecord(enemy);
    e.speed -= 0.2f;
    e.y += e.speed;
    if (e.y < -100.0f) return RemoveEnemy(enemy);
    return true;
}

// ---- The boss (kind 102) ----

// m and L of the bonus formulas.
struct BonusTerms {
    i32 m;
    i32 lives;
};
BonusTerms Terms() { return {PlayerScoreMultiplier(), PlayerLives()}; }

// The targets of each phase, in their order.
constexpr BossPhaseTarget kPhase1Targets[] = {
    {1, {50, 25, 0}, 190, 0}, {2, {50, 25, 0}, 190, 25}, {3, {50, 25, 0}, 190, 50}, {4, {50, 25, 0}, 190, 75}};
constexpr BossPhaseTarget kPhase2Targets[] = {{7, {40, 20, 0}, 186, 0},   {8, {40, 20, 0}, 186, 25},
                                              {13, {50, 30, 0}, 186, 0},  {14, {50, 30, 0}, 186, 25},
                                              {15, {50, 30, 0}, 186, 50}, {16, {50, 30, 0}, 186, 75}};
constexpr BossPhaseTarget kPhase3Targets[] = {
    {5, {40, 70, 0}, 188, 0}, {6, {40, 70, 0}, 188, 25}, {11, {55, 100, 0}, 188, 50}, {12, {55, 100, 0}, 188, 75}};
constexpr BossPhaseAttacker kBodyPhase1[] = {{0, 191, 0}};
constexpr BossPhaseAttacker kBodyPhase2[] = {{0, 185, 0}};
constexpr BossPhaseAttacker kBodyPhase3[] = {{0, 187, 0}};

// The random point of the upper field the boss travels to in phases 1 and 3.
void TravelToRandomPoint(i32 enemy) {
    const f32 tx = RandomFloat(270.0f, 370.0f);
    const f32 ty = RandomFloat(10.0f, 90.0f);
    TravelToPoint(enemy, tx, ty);
}

// A plain break: the body's pattern stops, effect 63 and the bonus K.
void PlainBreak(i32 enemy, i32 nextState, i32 k) {
    BeginBossPhaseBreak(enemy, nextState);
    RootPart(enemy, 0).action = 0;
    PayBossPhaseBonus(kEffectPhaseBonus, k);
}

// 180: descent and phase 1.
bool StepBossPhase1(i32 enemy, i32 age) {
    if (age == 1) {
        Enemy& e = EnemyRecord(enemy);
        e.heading = kHalfPiAngle;
        e.rotation = kHalfPiAngle;
        e.y = -250.0f;
        e.scale = 1.0f;
        e.speed = 1.0f;
    }
    if (age == 300) {
        OpenBossPhase(enemy, 0, kBossRootParts - 1, kPhase1Targets, kBodyPhase1);
        EnemyRecord(enemy).age = 1299;
    }
    if (age == 1300) {
        TravelToRandomPoint(enemy);
        EnemyRecord(enemy).age = 1000;
    }
    if (age < 1000) {
        EnemyRecord(enemy).y += EnemyRecord(enemy).speed;
    } else {
        StepStraight(enemy);
    }
    if (AllRootsDestroyed(enemy, {1, 2, 3, 4})) {
        const BonusTerms t = Terms();
        PlainBreak(enemy, 181, 30 * (t.m + t.lives + 10));
    }
    return true;
}

// 181: phase 2, swaying over the field.
bool StepBossPhase2(i32 enemy, i32 age) {
    if (age == 1) TravelToPoint(enemy, 320.0f, 40.0f);
    if (age == 300) {
        OpenBossPhase(enemy, 0, kBossRootParts - 1, kPhase2Targets, kBodyPhase2);
        EnemyRecord(enemy).age = 1000;
        EnemyRecord(enemy).speed = 0.0f;
    }
    if (age >= 1000 && age % 300 == 0) {
        const f32 tx = RandomFloat(270.0f, 370.0f);
        EnemyRecord(enemy).speed = (tx - EnemyRecord(enemy).x) * (1.0f / 300.0f);
    }
    if (age < 1000) {
        StepStraight(enemy);
    } else {
        Enemy& e = EnemyRecord(enemy);
        e.x += e.speed;
        e.y += static_cast<f32>(std::sin(static_cast<f80>((age - 1000) % 300) * static_cast<f80>(0.02094395f)) *
                                static_cast<f80>(0.6f));
    }
    if (AllRootsDestroyed(enemy, {7, 8, 13, 14, 15, 16})) {
        const BonusTerms t = Terms();
        PlainBreak(enemy, 182, 400 + 30 * (t.m + t.lives));
    }
    return true;
}

// The break of phase 3: the escorts still in the list are sent away.
void BreakPhase3(i32 enemy) {
    BeginBossPhaseBreak(enemy, 183);
    StartTalkEvent(122);
    if (g_EnemyList.size() > 1) {
        for (std::size_t i = 1; i < g_EnemyList.size(); ++i) {
            const i32 other = static_cast<i32>(i);
            Enemy& e = EnemyRecord(other);
            e.age = 0;
            e.state = 193;
            e.active = 0;
            if (e.rootParts[0] != kNoPart) RootPart(other, 0).action = 0;
        }
        g_GameState.StoryFlags[kStoryBossEscortsSentAway] = 1;
    }
    RootPart(enemy, 0).action = 0;
    for (const i32 r : {5, 6, 11, 12}) {
        if (!RootDestroyed(enemy, r)) RootPart(enemy, r).action = 0;
    }
    const BonusTerms t = Terms();
    PayBossPhaseBonus(kEffectPhaseBonus, 400 + 30 * (t.m + t.lives));
}

// 182: phase 3 with its escorts.
bool StepBossPhase3(i32 enemy, i32 age) {
    if (age == 1) TravelToPoint(enemy, 320.0f, 100.0f);
    if (age == 300) {
        OpenBossPhase(enemy, 0, kBossRootParts - 1, kPhase3Targets, kBodyPhase3);
        EnemyRecord(enemy).age = 1299;
    }
    if (age == 1300) {
        TravelToRandomPoint(enemy);
        EnemyRecord(enemy).age = 1000;
    }
    StepStraight(enemy);
    if (age >= 1000 && (AllRootsDestroyed(enemy, {5, 6, 11, 12}) || g_EnemyList.size() == 1)) BreakPhase3(enemy);
    return true;
}

// 183: phase 4, the body and the main cannon.
bool StepBossPhase4(i32 enemy, i32 age) {
    if (age == 1) TravelToPoint(enemy, 320.0f, 60.0f);
    if (age == 300) {
        EnemyRecord(enemy).age = 1000;
        EnemyRecord(enemy).active = 1;
        for (i32 r = 0; r < kBossRootParts; ++r) RootPart(enemy, r).hitShape = HitShape{};
        EnemyPart& body = RootPart(enemy, 0);
        body.hitShape = HitShape{40, 160, 0};
        body.action = 181;
        body.timer = 0;
        AddTargetMarker(&body, body.spriteKind);
        EnemyPart& cannon = RootPart(enemy, 10);
        cannon.spriteKind = 155;
        cannon.hitShape = HitShape{110, 40, 0};
        cannon.action = 180;
        cannon.timer = 150;
        AddTargetMarker(&cannon, cannon.spriteKind);
        g_GameState.BossActiveFlag = 0;
        SpawnExplosionChain(enemy, 30);
        PlaySoundEffect(kSoundSenGeBom05);
    }
    Enemy& e = EnemyRecord(enemy);
    if (age < 1000) {
        StepStraight(enemy);
    } else {
        e.x += static_cast<f32>(std::cos(static_cast<f80>((age - 1000) % 500) * static_cast<f80>(0.012566371f)) *
                                static_cast<f80>(0.2f));
        e.y -= e.speed;
        if (e.speed > 0.0f) {
            e.speed -= 0.05f;
        } else if (e.y < 60.0f) {
            e.speed = 0.0f;
            e.y += 1.0f;
        }
    }
    const BonusTerms t = Terms();
    if (RootDestroyed(enemy, 0)) {
        RootPart(enemy, 10).action = 0;
        BeginBossPhaseBreak(enemy, 191, 0);
        for (i32 r = 0; r < kBossRootParts; ++r) RootPart(enemy, r).state = -1;
        StartTalkEvent(g_GameState.StoryFlags[kStoryBossEscortsSentAway] != 0 ? 134 : 131);
        PayBossPhaseBonus(kEffectDefeatBonus, 500 + 30 * (t.lives + 2 * t.m));
    } else if (RootDestroyed(enemy, 10)) {
        RootPart(enemy, 0).action = 0;
        BeginBossPhaseBreak(enemy, 192, 0);
        StartTalkEvent(123);
        PayBossPhaseBonus(kEffectPhaseBonus, 500 + 30 * (t.lives + 2 * t.m));
    }
    return true;
}

// 191: the boss's death; the stage's closing fade starts when it is gone.
bool StepBossDeath(i32 enemy, i32 age) {
    if (age == 1) SpawnExplosionChain(enemy, 20);
    if (age == 100 || age == 200 || age == 300) {
        g_GameState.ScreenShakeTimer = 50;
        PlaySoundEffect(kSoundSenGeBom05);
        const f32 cx = EnemyRecord(enemy).x + RandomFloat(-150.0f, 150.0f);
        const f32 cy = EnemyRecord(enemy).y + RandomFloat(-100.0f, 100.0f);
        const f32 centre[2] = {cx, cy};
        SpawnEffectBurst(10, centre, -50.0f, 50.0f, -50.0f, 50.0f, 2);
    }
    if (age > 100) EnemyRecord(enemy).y += 0.5f;
    if (age == 600) {
        SpawnExplosionChain(enemy, 30);
        return RemoveBossWithFade(enemy);
    }
    return true;
}

// 192: the boss escapes upward; hittable again from age 300.
bool StepBossEscape(i32 enemy, i32 age) {
    if (age == 300) {
        EnemyRecord(enemy).active = 1;
        g_GameState.StoryFlags[kStoryBossFled] = 1;
    }
    Enemy& e = EnemyRecord(enemy);
    if (age > 300) e.y -= 0.25f;
    if (e.y < -50.0f) e.y -= 0.5f;
    if (e.y < -300.0f) {
        StartTalkEvent(132);
        return RemoveEnemy(enemy);
    }
    if (RootDestroyed(enemy, 0)) {
        BeginBossPhaseBreak(enemy, 191, 0);
        for (i32 r = 0; r < kBossRootParts; ++r) RootPart(enemy, r).state = -1;
        StartTalkEvent(133);
        const BonusTerms t = Terms();
        PayBossPhaseBonus(kEffectDefeatBonus, 50 * (t.m + 10) + 30 * t.lives);
    }
    return true;
}

// 193: an escort sent away at the break of phase 3.
bool StepSentAway(i32 enemy, i32 age) {
    f32 rotation = EnemyRecord(enemy).rotation;
    TurnTowardAngle(&rotation, kHalfPiAngle, 0.005f);
    EnemyRecord(enemy).rotation = rotation;
    if (age > 100) EnemyRecord(enemy).y -= static_cast<f32>(age - 100) * 0.01f;
    if (EnemyRecord(enemy).y < -50.0f) return RemoveEnemy(enemy);
    return true;
}

// Every state of the stage, in the order of its enemies.
constexpr StateRow kStates[] = {
    {101, [](i32 e, i32 age) { return StepBankingWave(e, age, -0.012f); }},
    {102, [](i32 e, i32 age) { return StepBankingWave(e, age, 0.012f); }},
    {103, StepGunboat},
    {104, StepDiver},
    {105, [](i32 e, i32 age) { return StepPeelOff(e, age, 80, 123, 0.012f, 200); }},
    {106, StepCruiser},
    {107, [](i32 e, i32 age) { return StepPeelOff(e, age, 60, 123, 0.025f, 150); }},
    {108, [](i32 e, i32 age) { return StepPeelOff(e, age, 60, 122, -0.025f, 150); }},
    {110, StepCircler},
    {111, StepFalling},
    {112, StepHoverer},
    {113, StepClimbing},
    {120, [](i32 e, i32 age) { return StepEscort(e, age, true); }},
    {121, [](i32 e, i32) { return StepEscortLeaving(e); }},
    {122, [](i32 e, i32 age) { return StepEscort(e, age, false); }},
    {180, StepBossPhase1},
    {181, StepBossPhase2},
    {182, StepBossPhase3},
    {183, StepBossPhase4},
    {191, StepBossDeath},
    {192, StepBossEscape},
    {193, StepSentAway},
};

// The states the bodies switch to, and those DestroyEnemy gives the spawn ids
// of this stage (110: 111, 111: 113; the boss has no core part).
constexpr i32 kWrittenStates[] = {111, 113, 121, 181, 182, 183, 191, 192, 193};
// The actions the boss's phases give its parts, and the wrecks part deaths
// give this stage's sprite kinds.
constexpr i32 kWrittenActions[] = {0, 11, 13, 180, 181, 185, 186, 187, 188, 190, 191};
// The sprite kinds the bodies swap in.
constexpr i32 kWrittenSpriteKinds[] = {122, 123, 155};

constexpr BehaviourTable kTable{
    .states = kStates,
    .unlisted = StayPut,
    .writesStates = kWrittenStates,
    .writesActions = kWrittenActions,
    .writesSpriteKinds = kWrittenSpriteKinds,
};

}  // namespace

const BehaviourTable& BehaviourStage1() { return kTable; }

bool StepEnemyStage1(i32 enemy, i32 state) { return StepByTable(kTable, enemy, state); }
