// The behaviour of the enemies of stage index 1: one row per state id in the
// table at the end, each calling the small function of its state.
//
// Within a state body the age's events come first, then the motion, then the
// exit tests; `age` is always the age the step sees (a write of the age inside
// the body shows from the next step on).
#include <cmath>
#include <numbers>

#include "engine/core/random.h"
#include "game/enemy/enemy_behaviour.h"
#include "game/play/play_overlays.h"
#include "game/play/talk.h"
#include "game/shell/game_math.h"
#include "game/shell/play_state.h"
#include "game/shell/story_flags.h"

namespace {

using f80 = long double;

constexpr f32 kPi = std::numbers::pi_v<f32>;
constexpr f32 kTwoPi = 2.0f * kPi;
constexpr f32 kUp = -1.5707964f;

// The mid-boss carrier (kind 22) is told apart by the sprite kind of its
// root part 1.
constexpr i32 kMidBossCarrierKind = 222;

// A dive that slows to a stop and then backs off at up to `backOff`.
void BrakeAndBackOff(Enemy& e, f32 backOff) {
    if (e.speed > 0.0f) {
        e.speed -= 0.05f;
    } else if (e.speed > -backOff) {
        e.speed -= 0.01f;
    }
}

// The crippling of the enemies whose key part was shot: root part 0 smokes,
// the enemy stops and falls (211, the age kept).
void Cripple(i32 enemy) {
    RootPart(enemy, 0).action = 11;
    EnemyRecord(enemy).state = 211;
    EnemyRecord(enemy).speed = 0.0f;
}

// 111: the shot-down mid-boss falls ever faster.
bool StepFalling(i32 enemy, i32 age) {
    Enemy& e = EnemyRecord(enemy);
    e.y += static_cast<f32>(age) * 0.05f;
    if (e.y >= 520.0f) return RemoveEnemy(enemy);
    return true;
}

// 201, 202: kind 5 enters from a side, banks by `turn` per frame for 300
// frames and flies off along its nose.
bool StepBankingEntry(i32 enemy, i32 age, f32 turn) {
    Enemy& e = EnemyRecord(enemy);
    if (age < 300) e.heading += turn;
    e.rotation = e.heading;
    StepStraight(enemy);
    if (age > 400) return EscapeEnemy(enemy);
    return true;
}

// 205: kind 1 from a side in the boss's fight: brakes while turning upward,
// aims its body at the player while slow, and at age 200 leaves along its
// aim, bending upward.
bool StepSideRaider(i32 enemy, i32 age) {
    Enemy& e = EnemyRecord(enemy);
    if (age < 75) {
        TurnTowardAngle(&e.heading, kUp, 0.015f);
        if (e.speed > 0.5f) e.speed -= 0.1f;
    }
    if (age == 200) {
        e.heading = e.rotation;
        e.speed += 0.2f;
    }
    if (age > 200) {
        TurnTowardAngle(&e.rotation, kUp, 0.05f);
        e.heading = e.rotation;
        e.speed += 0.2f;
        if (e.speed > 4.0f) e.speed = 4.0f;
    } else if (e.speed < 1.0f) {
        TurnToPlayer(enemy, &Enemy::rotation, 0.01f);
    }
    StepStraight(enemy);
    if (age > 200 && EnemyRecord(enemy).y < -100.0f) return EscapeEnemy(enemy);
    return true;
}

// 210, 212, 213: kinds 11 and 12 dive, stop and back off slowly, drifting
// sideways by `drift`; crippled when root part 1 is shot.
bool StepGunship(i32 enemy, i32 age, f32 drift) {
    BrakeAndBackOff(EnemyRecord(enemy), 0.5f);
    StepStraight(enemy);
    EnemyRecord(enemy).x += drift;
    if (age > 500) return EscapeEnemy(enemy);
    if (RootDestroyed(enemy, 1)) Cripple(enemy);
    return true;
}

// 211: the crippled enemy falls out of the bottom of the field.
bool StepCrippled(i32 enemy, i32) {
    Enemy& e = EnemyRecord(enemy);
    e.speed += 0.075f;
    e.y += e.speed;
    if (e.y > 580.0f) {
        const bool midBoss = RootPart(enemy, 1).spriteKind == kMidBossCarrierKind;
        FailMission();
        if (midBoss) StartTalkEvent(204);
        return RemoveEnemy(enemy);
    }
    return true;
}

// 215: kind 15, a gunship with three side hulls; crippled when all three are
// shot.
bool StepTriHull(i32 enemy, i32 age) {
    BrakeAndBackOff(EnemyRecord(enemy), 0.5f);
    StepStraight(enemy);
    if (age > 100 && EnemyRecord(enemy).y < -150.0f) return EscapeEnemy(enemy);
    for (i32 r = 1; r <= 3; ++r) {
        if (RootDestroyed(enemy, r)) RootPart(enemy, r).action = 11;
    }
    if (AllRootsDestroyed(enemy, {1, 2, 3})) {
        Cripple(enemy);
        ChildPart(enemy, 0, 0).action = 0;
        ChildPart(enemy, 0, 1).action = 0;
    }
    return true;
}

// 221: kinds 21 and 22 cross from right to left on a slow vertical wave,
// entering at double speed.
bool StepCarrier(i32 enemy, i32) {
    Enemy& e = EnemyRecord(enemy);
    e.heading += 0.01f;
    if (e.heading > kPi) e.heading -= kTwoPi;
    e.x -= e.speed;
    if (e.x > 520.0f) e.x -= e.speed;
    e.y += static_cast<f32>(std::sin(static_cast<f80>(e.heading)) * static_cast<f80>(0.2f));
    if (e.x < 0.0f) {
        if (RootPart(enemy, 1).spriteKind == kMidBossCarrierKind) StartTalkEvent(203);
        return RemoveEnemy(enemy);
    }
    if (RootDestroyed(enemy, 1)) Cripple(enemy);
    return true;
}

// 231, 232: kind 1 rises fast from the bottom, brakes and curls by `turn`.
bool StepRisingCurl(i32 enemy, i32 age, f32 turn) {
    Enemy& e = EnemyRecord(enemy);
    if (e.speed > 4.0f) e.speed -= 0.1f;
    if (age > 50 && age < 300) e.heading += turn;
    e.rotation = e.heading;
    StepStraight(enemy);
    if (age > 400) return RemoveEnemy(enemy);
    return true;
}

// 233, 234: the convoy (kind 2) curves by `turn` and speeds up without limit.
bool StepConvoy(i32 enemy, i32, f32 turn) {
    Enemy& e = EnemyRecord(enemy);
    e.heading += turn;
    e.rotation = e.heading;
    e.speed += 0.05f;
    StepStraight(enemy);
    if (EnemyRecord(enemy).y > 520.0f) return RemoveEnemy(enemy);
    return true;
}

// 240, 241: kind 8 sways down (`side` 1 or -1 mirrors the sway), its picture
// banking with the sway.
bool StepSwayer(i32 enemy, i32 age, f32 side) {
    Enemy& e = EnemyRecord(enemy);
    e.y += e.speed;
    e.x += side * SwayOffset(age, 3.0f, 100);
    if (age > 100) e.speed += 0.1f;
    const f32 s = SwayOffset(age, 2.0f, 100);
    RootPart(enemy, 0).spriteKind = s > 1.0f ? 232 : (s < -1.0f ? 233 : 231);
    if (e.y > 520.0f) return RemoveEnemy(enemy);
    return true;
}

// 242, 243: kind 9 rises from the bottom, curls by `turn` for 200 frames,
// slows and then speeds up to `top`.
bool StepClimber(i32 enemy, i32 age, f32 turn, f32 top) {
    Enemy& e = EnemyRecord(enemy);
    if (age < 200) e.heading += turn;
    e.rotation = e.heading;
    StepStraight(enemy);
    if (age < 120 && e.speed > 1.0f) {
        e.speed -= 0.1f;
    } else if (age > 150 && e.speed < top) {
        e.speed += 0.1f;
    }
    if (e.y > 580.0f) return RemoveEnemy(enemy);
    return true;
}

// 281: the second mid-boss (kind 6) brakes and backs off, then wanders (280,
// the age kept, so 280 first sees age 150).
bool StepMidBossEntry(i32 enemy, i32 age) {
    Enemy& e = EnemyRecord(enemy);
    if (e.speed > -1.0f) e.speed -= 0.1f;
    StepStraight(enemy);
    if (age > 148) EnemyRecord(enemy).state = 280;
    return true;
}

// 280: between random points of the upper field, aiming at the player; it
// gets away after 900 frames (282).
bool StepMidBossWander(i32 enemy, i32 age) {
    if (age % 150 == 0) {
        const f32 tx = RandomFloat(200.0f, 440.0f);
        f32 ty = 0.0f;
        if (age % 300 == 0) {
            ty = RandomFloat(50.0f, 150.0f);
        } else {
            ty = RandomFloat(140.0f, 240.0f);
        }
        Enemy& e = EnemyRecord(enemy);
        const f80 dx = static_cast<f80>(tx) - static_cast<f80>(e.x);
        const f80 dy = static_cast<f80>(ty) - static_cast<f80>(e.y);
        e.heading = static_cast<f32>(std::atan2(dy, dx));
        e.speed = static_cast<f32>(static_cast<f80>(0.01f) * std::sqrt(dx * dx + dy * dy));
        if (e.speed < 1.0f) e.speed = 1.0f;
    }
    if (age % 150 > 100) EnemyRecord(enemy).speed -= 0.05f;
    TurnToPlayer(enemy, &Enemy::rotation, 0.02f);
    StepStraight(enemy);
    if (age > 900) {
        SetEnemyState(enemy, 282);
        Enemy& e = EnemyRecord(enemy);
        e.speed = 2.0f;
        e.heading = e.rotation;
        StartTalkEvent(213);
        g_GameState.StoryFlags[kStorySecondStageMidBossGotAway] = 1;
        e.active = 0;
        for (i32 r = 0; r <= 2; ++r) RootPart(enemy, r).action = 0;
    }
    return true;
}

// 282: the mid-boss slows, stops and flies backward along its last aim.
bool StepMidBossLeaving(i32 enemy, i32 age) {
    EnemyRecord(enemy).speed -= 0.1f;
    StepStraight(enemy);
    if (age > 200) return RemoveEnemy(enemy);
    return true;
}

// Every state of the stage, in the order of its enemies.
constexpr StateRow kStates[] = {
    {111, StepFalling},
    {201, [](i32 e, i32 age) { return StepBankingEntry(e, age, 0.012f); }},
    {202, [](i32 e, i32 age) { return StepBankingEntry(e, age, -0.012f); }},
    {205, StepSideRaider},
    {210, [](i32 e, i32 age) { return StepGunship(e, age, 0.0f); }},
    {211, StepCrippled},
    {212, [](i32 e, i32 age) { return StepGunship(e, age, 0.5f); }},
    {213, [](i32 e, i32 age) { return StepGunship(e, age, -0.5f); }},
    {215, StepTriHull},
    {221, StepCarrier},
    {231, [](i32 e, i32 age) { return StepRisingCurl(e, age, -0.025f); }},
    {232, [](i32 e, i32 age) { return StepRisingCurl(e, age, 0.025f); }},
    {233, [](i32 e, i32 age) { return StepConvoy(e, age, -0.02f); }},
    {234, [](i32 e, i32 age) { return StepConvoy(e, age, 0.02f); }},
    {240, [](i32 e, i32 age) { return StepSwayer(e, age, 1.0f); }},
    {241, [](i32 e, i32 age) { return StepSwayer(e, age, -1.0f); }},
    {242, [](i32 e, i32 age) { return StepClimber(e, age, 0.02f, 6.0f); }},
    {243, [](i32 e, i32 age) { return StepClimber(e, age, -0.02f, 8.0f); }},
    {280, StepMidBossWander},
    {281, StepMidBossEntry},
    {282, StepMidBossLeaving},
};

// The states the bodies switch to, and the one DestroyEnemy gives the
// second mid-boss (spawn id 202: 111).
constexpr i32 kWrittenStates[] = {111, 211, 280, 282};
// The actions the bodies give parts, and the wrecks part deaths give this
// stage's sprite kinds.
constexpr i32 kWrittenActions[] = {0, 11, 13};
// The sprite kinds the bodies swap in.
constexpr i32 kWrittenSpriteKinds[] = {231, 232, 233};

constexpr BehaviourTable kTable{
    .states = kStates,
    .unlisted = MoveStraightOn,
    .writesStates = kWrittenStates,
    .writesActions = kWrittenActions,
    .writesSpriteKinds = kWrittenSpriteKinds,
};

}  // namespace

const BehaviourTable& BehaviourStage2() { return kTable; }

bool StepEnemyStage2(i32 enemy, i32 state) { return StepByTable(kTable, enemy, state); }
