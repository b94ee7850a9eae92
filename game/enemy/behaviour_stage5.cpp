// The behaviour of the enemies of stage index 4: one row per state id in the
// table, each calling the small function of its state. A state without a row
// moves its enemy straight on. This file holds the stage's regular enemies,
// its gate boss and the table; the castle and the last boss with its escorts
// have files of their own (behaviour_stage5_castle.cpp,
// behaviour_stage5_lastboss.cpp), and behaviour_stage5.h is what the three
// share.
//
// A body does its work in the order it is written, and that order is part of
// the behaviour. Many bodies take the age's events first, then move, then
// test their exit; others move first: the gunship steps before it turns to
// its drift (age 1000 and a new target), the falling gunship and the sinking
// carrier move before their bursts, and the wheeling pairs and the debris
// change their speed or drift after the step. `age` is always the age the
// step saw (a write of the age inside the body shows from the next step on).
//
// The gate boss (enemy kind 99) runs 410 (its entry), 411 (the gate's
// turrets), 412 (the gate's wings), then the mid-boss: 414 (its flight), 415
// (its dive), 413 (its star) and again 414, until its core falls (419 for
// one frame, then 417, its sinking).
#include <cmath>
#include <numbers>
#include <utility>
#include <vector>

#include "engine/core/radians.h"
#include "engine/core/random.h"
#include "game/enemy/behaviour_stage5.h"
#include "game/enemy/enemy_behaviour.h"
#include "game/enemy/enemy_content.h"
#include "game/play/effects.h"
#include "game/play/part_death.h"
#include "game/play/stage_random.h"
#include "game/play/talk.h"
#include "game/shell/game_math.h"
#include "game/shell/music.h"
#include "game/shell/play_state.h"
#include "game/shell/replay.h"
#include "game/shell/sound_effects.h"
#include "game/shell/sound_names.h"
#include "game/shell/transition.h"

namespace behaviour_stage5 {

void TurnField(f32& field, f32 target, f32 step) {
    f32 angle = field;
    TurnTowardAngle(&angle, target, step);
    field = angle;
}

void Burst(i32 count, f32 cx, f32 cy, f32 dx, f32 dy, i32 delay) {
    const f32 centre[2] = {cx, cy};
    SpawnEffectBurst(count, centre, -dx, dx, -dy, dy, delay);
}

void ScatteredBurst(i32 enemy, f32 rx, f32 ryLow, f32 ryHigh) {
    const f32 ox = RandomFloat(-rx, rx);
    const f32 oy = RandomFloat(ryLow, ryHigh);
    Burst(10, EnemyRecord(enemy).x + ox, EnemyRecord(enemy).y + oy, 50.0f, 50.0f, 2);
}

void Quake(i32 enemy, f32 rx, f32 ryLow, f32 ryHigh) {
    g_GameState.ScreenShakeTimer = 50;
    PlaySoundEffect(kSoundSenGeBom05);
    ScatteredBurst(enemy, rx, ryLow, ryHigh);
}

void Flash() {
    StartTransition(23);
    TransitionState.speed = 0.01f;
}

namespace {

void GiveAction(EnemyPart& part, i32 action) {
    part.action = action;
    part.timer = 0;
}

}  // namespace

void GiveRootAction(i32 enemy, i32 root, i32 action) {
    if (EnemyPart* part = RootPartAt(enemy, root)) GiveAction(*part, action);
}

void GiveChildAction(i32 enemy, i32 root, i32 child, i32 action) {
    if (EnemyPart* part = ChildPartAt(enemy, root, child)) GiveAction(*part, action);
}

f32 SwayCosine(i32 n, f32 amplitude, i32 period) {
    const f80 phase = static_cast<f80>(n % period) * 2.0L * std::numbers::pi_v<f80> / static_cast<f80>(period);
    return static_cast<f32>(static_cast<f80>(amplitude) * std::cos(phase));
}

}  // namespace behaviour_stage5

namespace {

using namespace behaviour_stage5;

constexpr i32 kGateRootParts = 11;  // roots 0..10 of the gate boss

// Once age > 200 and y < -100: fail the mission and leave.
bool UpExit(i32 enemy, i32 age) {
    if (age > 200 && EnemyRecord(enemy).y < -100.0f) return EscapeEnemy(enemy);
    return true;
}

bool OutsideWide(const Enemy& e) { return e.y < -50.0f || e.x < -50.0f || e.y > 530.0f || e.x > 690.0f; }

// ---- Regular enemies ----

// 111, 409: falls faster and faster.
bool StepFalling(i32 enemy, i32 age) {
    Enemy& e = EnemyRecord(enemy);
    e.y += static_cast<f32>(age) * 0.05f;
    if (e.y >= 520.0f) return RemoveEnemy(enemy);
    return true;
}

// 280: wanders between targets in the upper field, facing the player.
bool StepWanderer(i32 enemy, i32 age) {
    WanderUpperField(enemy, age, 0.015f);
    return true;
}

// 281: backs away, then wanders (keeping its age).
bool StepBackingOff(i32 enemy, i32 age) {
    Enemy& e = EnemyRecord(enemy);
    if (e.speed > -1.0f) e.speed -= 0.1f;
    StepStraight(enemy);
    if (age > 148) EnemyRecord(enemy).state = 280;
    return true;
}

// 401, 402, 432 (turnIn) and 431 (not): slows down, aims at the player while
// slow, then turns up and leaves through the top.
bool StepClimber(i32 enemy, i32 age, bool turnIn) {
    Enemy& e = EnemyRecord(enemy);
    if (age < 75) {
        if (turnIn) {
            TurnField(e.heading, kUp, 0.015f);
            if (e.speed > 0.5f) e.speed -= 0.1f;
        } else {
            e.speed -= 0.1f;
        }
    }
    if (age == 200) {
        e.heading = e.rotation;
        e.speed += 0.2f;
    }
    if (age > 200) {
        TurnField(e.rotation, kUp, 0.05f);
        e.heading = e.rotation;
        e.speed += 0.2f;
        if (e.speed > 4.0f) e.speed = 4.0f;
    } else if (e.speed < 1.0f) {
        TurnToPlayer(enemy, &Enemy::rotation, 0.01f);
    }
    StepStraight(enemy);
    return UpExit(enemy, age);
}

// 403: rises from below, stops, then leaves upward on a random heading
// turning up (no mission failure).
bool StepRiser(i32 enemy, i32 age) {
    Enemy& e = EnemyRecord(enemy);
    if (age < 200 && e.speed > 0.5f) e.speed -= 0.1f;
    if (age == 200) {
        e.speed = -2.0f;
        e.heading = RandomFloat(-kPi, kPi);
    }
    if (age > 200) {
        if (e.speed < 4.0f) e.speed += 0.2f;
        TurnField(e.heading, kUp, 0.015f);
    }
    StepStraight(enemy);
    if (age > 200 && EnemyRecord(enemy).y < -50.0f) return RemoveEnemy(enemy);
    return true;
}

// 404: dives in, brakes into a slow retreat, facing the player.
bool StepDiver(i32 enemy, i32 age) {
    Enemy& e = EnemyRecord(enemy);
    if (e.speed > 0.0f) {
        e.speed -= 0.1f;
    } else if (e.speed > -2.0f) {
        e.speed -= 0.05f;
    }
    TurnToPlayer(enemy, &Enemy::rotation, 0.01f);
    StepStraight(enemy);
    if (age > 100 && EnemyRecord(enemy).y < -50.0f) return EscapeEnemy(enemy);
    return true;
}

// 405, 406: climbs from below, changes its picture at age 80 and peels off.
bool StepPeelOff(i32 enemy, i32 age, i32 spriteKind, f32 turn) {
    if (age == 80) RootPart(enemy, 0).spriteKind = spriteKind;
    Enemy& e = EnemyRecord(enemy);
    if (age > 80) {
        e.heading += turn;
        e.rotation = e.heading;
        e.speed += 0.15f;
    } else {
        if (e.speed > 1.0f) e.speed -= 0.05f;
        e.rotation = e.heading;
    }
    StepStraight(enemy);
    if (age > 200) return RemoveEnemy(enemy);
    return true;
}

// 407: a ship of the opening drifts down, then turns away upward.
bool StepDrifter(i32 enemy, i32 age) {
    Enemy& e = EnemyRecord(enemy);
    if (age < 1000) {
        e.y += 0.5f;
        if (age > 300) {
            e.heading += RandomFloat(-0.1f, 0.1f);
            e.age = 1000;
        }
    }
    if (age >= 1000) {
        if (e.speed < 5.0f) e.speed += 0.05f;
        StepStraight(enemy);
    }
    if (age > 1000 && EnemyRecord(enemy).y < -50.0f) return RemoveEnemy(enemy);
    return true;
}

// 408: a ship of the opening brakes, backs off a little, then dives through.
bool StepDiveThrough(i32 enemy, i32 age) {
    Enemy& e = EnemyRecord(enemy);
    if (age < 1000) {
        if (e.speed > 0.0f) {
            e.speed -= 0.1f;
        } else if (e.speed > -0.5f) {
            e.speed -= 0.05f;
        }
        if (age > 200) e.age = 1000;
    }
    if (age >= 1000) e.speed += 0.05f;
    StepStraight(enemy);
    if (age > 1000 && EnemyRecord(enemy).y > 530.0f) return EscapeEnemy(enemy);
    return true;
}

// 430: the gunship brakes, then drifts from target to target, bobbing up the
// screen.
void PickDriftTarget(i32 enemy) {
    const f32 tx = RandomFloat(150.0f, 490.0f);
    Enemy& e = EnemyRecord(enemy);
    const f32 speed = (tx - e.x) * 0.005f;
    e.speed = speed > 1.0f ? 1.0f : speed;
}

bool StepGunship(i32 enemy, i32 age) {
    if (age < 1000) {
        EnemyRecord(enemy).speed -= 0.1f;
        StepStraight(enemy);
        if (EnemyRecord(enemy).speed < 0.0f) {
            EnemyRecord(enemy).age = 1000;
            PickDriftTarget(enemy);
        }
    }
    if (age >= 1000) {
        Enemy& e = EnemyRecord(enemy);
        e.x += e.speed;
        e.y -= 0.2f;
        e.y = static_cast<f32>(static_cast<f80>(e.y) - std::sin(static_cast<f80>(age % 200) * static_cast<f80>(0.005f) *
                                                                static_cast<f80>(kTwoPi)));
        if (age % 200 == 0) PickDriftTarget(enemy);
        if (age > 1500) EnemyRecord(enemy).y -= static_cast<f32>(age - 1500) * 0.02f;
    }
    if (age > 1000 && EnemyRecord(enemy).y < -100.0f) return EscapeEnemy(enemy);
    return true;
}

// 433: the downed gunship falls and blows up.
bool StepGunshipFalling(i32 enemy, i32 age) {
    Enemy& e = EnemyRecord(enemy);
    e.y += e.speed;
    e.speed += 0.02f;
    if (age > 150) {
        Burst(20, e.x, e.y, 80.0f, 50.0f, 2);
        RemoveEnemy(enemy);
        PlaySoundEffect(kSoundSenGeBom05);
        return false;
    }
    return true;
}

// 440: the carrier crosses the field downward.
bool StepCarrier(i32 enemy, i32) {
    Enemy& e = EnemyRecord(enemy);
    e.y += e.speed;
    if (e.y > 550.0f) return EscapeEnemy(enemy);
    return true;
}

// 441: the downed carrier sinks, bursting every 50 frames, then blows up.
bool StepCarrierSinking(i32 enemy, i32 age) {
    if (age > 50) {
        Enemy& e = EnemyRecord(enemy);
        e.y += e.speed;
        e.speed += 0.01f;
    }
    if (age % 50 == 0 && age < 250) {
        PlaySoundEffect(kSoundBom35);
        const f32 ox = RandomFloat(-80.0f, 80.0f);
        const f32 oy = RandomFloat(-100.0f, 100.0f);
        Burst(8, EnemyRecord(enemy).x + ox, EnemyRecord(enemy).y + oy, 30.0f, 30.0f, 2);
    }
    if (age > 250) {
        const Enemy& e = EnemyRecord(enemy);
        Burst(10, e.x, e.y, 100.0f, 100.0f, 0);
        Burst(10, e.x, e.y, 100.0f, 100.0f, 2);
        RemoveEnemy(enemy);
        PlaySoundEffect(kSoundSenGeBom05);
        return false;
    }
    return true;
}

// 450: grows while it rises away.
bool StepRisingAway(i32 enemy, i32 age) {
    Enemy& e = EnemyRecord(enemy);
    e.scale += 0.005f;
    e.x = static_cast<f32>(static_cast<f80>(e.x) +
                           2.0L * std::cos(static_cast<f80>(e.heading)) * static_cast<f80>(e.speed));
    e.y = static_cast<f32>(static_cast<f80>(e.y) + std::sin(static_cast<f80>(e.heading)) * static_cast<f80>(e.speed));
    e.y -= static_cast<f32>(age / 15);
    if (e.y < -50.0f) return RemoveEnemy(enemy);
    return true;
}

// 451: drops in, hangs, then falls away.
bool StepDropping(i32 enemy, i32 age) {
    Enemy& e = EnemyRecord(enemy);
    if (age < 1000) {
        e.y += e.speed;
        e.speed -= 0.1f;
        if (e.speed <= 0.0f) {
            e.speed = 0.25f;
            e.age = 1000;
        }
    }
    if (age >= 1000) {
        e.y += e.speed;
        if (age > 1300) e.speed += 0.05f;
    }
    if (age > 1000 && e.y > 580.0f) return RemoveEnemy(enemy);
    return true;
}

// 460, 461: a craft sweeps in from the side, curving down.
bool StepSweeper(i32 enemy, i32 age, f32 turn) {
    Enemy& e = EnemyRecord(enemy);
    if (age < 100) e.heading += turn;
    e.rotation = e.heading;
    if (e.speed > 6.0f) e.speed -= 0.05f;
    StepStraight(enemy);
    if (age > 100 && EnemyRecord(enemy).y > 550.0f) return EscapeEnemy(enemy);
    return true;
}

// 481, 483: a friend's ship comes in from the left, hangs, and turns away
// left: `early`, `middle` and `late` pictures, the late part from `turnAge`.
bool StepFriendLeft(i32 enemy, i32 age, i32 early, i32 middle, i32 late, i32 turnAge) {
    Enemy& e = EnemyRecord(enemy);
    if (age < 100) {
        RootPart(enemy, 0).spriteKind = early;
        if (e.speed > 0.0f) e.speed -= 0.05f;
        e.y += e.speed;
        e.x += 2.0f;
        if (e.scale > 0.6f) e.scale -= 0.01f;
    } else if (age < turnAge) {
        RootPart(enemy, 0).spriteKind = middle;
        e.speed = 0.2f;
        StepStraight(enemy);
        EnemyRecord(enemy).heading = 0.0f;
    }
    if (age == turnAge) EnemyRecord(enemy).heading = kUp;
    if (age > turnAge) {
        RootPart(enemy, 0).spriteKind = late;
        Enemy& f = EnemyRecord(enemy);
        if (f.speed < 5.0f) f.speed += 0.05f;
        if (f.heading > -kPi) f.heading -= 0.01f;
        f.rotation -= 0.005f;
        StepStraight(enemy);
        Enemy& g = EnemyRecord(enemy);
        if (g.scale > 0.4f) g.scale -= 0.01f;
    }
    if (EnemyRecord(enemy).x < -50.0f) return RemoveEnemy(enemy);
    return true;
}

// 482: a friend's ship comes in from the right and drifts away down.
bool StepFriendRight(i32 enemy, i32 age) {
    Enemy& e = EnemyRecord(enemy);
    if (age < 100) {
        e.speed += 0.05f;
        e.y += e.speed;
        e.x -= 1.5f;
        if (e.scale > 0.6f) e.scale -= 0.01f;
    } else if (age < 600) {
        e.y += e.speed;
        e.x -= 0.5f;
    } else {
        e.speed += 0.02f;
        e.x -= 0.2f;
        e.y += e.speed;
        e.heading = 0.0f;
        if (e.scale > 0.4f) e.scale -= 0.002f;
    }
    if (age > 1000) return RemoveEnemy(enemy);
    return true;
}

// 490, 491, 492: the small ships of the pairs wheel by their turn rate, held
// in their scale, and drift down; they leave once off the field after age 500.
bool StepWheeling(i32 enemy, i32 age, i32 form) {
    Enemy& e = EnemyRecord(enemy);
    if (form != 492 || age < 500) e.rotation += e.scale;
    e.heading = e.rotation;
    StepStraight(enemy);
    Enemy& f = EnemyRecord(enemy);
    f.y += 0.5f;
    if (form == 491 && age > 300) f.speed += 0.05f;
    if (form == 492 && age > 300) {
        if (f.speed < 4.0f) f.speed += 0.05f;
        if (age < 400) f.scale += 0.0005f;
    }
    if (age > 500 && OutsideWide(EnemyRecord(enemy))) return RemoveEnemy(enemy);
    return true;
}

// 495: debris falling a little faster than it flies.
bool StepDebris(i32 enemy, i32) {
    StepStraight(enemy);
    Enemy& e = EnemyRecord(enemy);
    e.y += 1.0f;
    if (e.y > 560.0f) return RemoveEnemy(enemy);
    return true;
}

// ---- The gate boss ----

// Bonus A (the gate's phases): 10 ((m / 4 + 1) n + 30 (m + lives + 1)).
void PayGateBonus() { PayBossPhaseBonus(kEffectPhaseBonus, 30 * (PlayerScoreMultiplier() + PlayerLives() + 1)); }

// 410: the gate comes down, drops shells from the top, then closes in.
bool StepGateEntry(i32 enemy, i32 age) {
    if (age == 10) {
        EnemyRecord(enemy).speed = 0.0f;
        RootPart(enemy, 0).action = 410;
    }
    if (age == 150) RootPart(enemy, 0).action = 0;
    if (age == 300) EnemyRecord(enemy).speed = 6.0f;
    if (age > 300) EnemyRecord(enemy).speed -= 0.05f;
    StepStraight(enemy);
    if (age == 430) SetEnemyState(enemy, 411);
    return true;
}

// A new target of the gate in the upper field, drawn from the stage
// generator (x first); the gate heads for it at 0.25.
void PickGateTarget(i32 enemy) {
    const i32 tx = 270 + static_cast<i32>(StageRandomBelow(&g_StageRandomState, 100));
    const i32 ty = 50 + static_cast<i32>(StageRandomBelow(&g_StageRandomState, 100));
    HeadToward(enemy, static_cast<f32>(tx), static_cast<f32>(ty));
    EnemyRecord(enemy).speed = 0.25f;
}

constexpr HitShape kGateTurretShape{45, 20, 25};
constexpr BossPhaseTarget kGateTurrets[] = {
    {.root = 3, .shape = kGateTurretShape, .action = 411}, {.root = 4, .shape = kGateTurretShape, .action = 411},
    {.root = 5, .shape = kGateTurretShape, .action = 411}, {.root = 6, .shape = kGateTurretShape, .action = 411},
    {.root = 7, .shape = kGateTurretShape, .action = 411}, {.root = 8, .shape = kGateTurretShape, .action = 411},
};
constexpr BossPhaseAttacker kGateTurretsGuns[] = {
    {.root = 9, .action = 412}, {.root = 10, .action = 412}, {.root = 1, .action = 420}, {.root = 2, .action = 421}};

// 411: the gate's six turrets are the targets; it wanders the upper field.
bool StepGateTurrets(i32 enemy, i32 age) {
    if (age == 1) {
        OpenBossPhase(enemy, 0, kGateRootParts - 1, kGateTurrets, kGateTurretsGuns);
        PickGateTarget(enemy);
        EnemyRecord(enemy).age = 1000;
        StartTalkEvent400(410);
    } else if (age >= 1000) {
        if (age % 200 == 0) PickGateTarget(enemy);
        StepStraight(enemy);
    }
    if (AllRootsDestroyed(enemy, {3, 4, 5, 6, 7, 8})) {
        BeginBossPhaseBreak(enemy, 412);
        for (const i32 r : {9, 10, 1, 2}) RootPart(enemy, r).action = 0;
        PayGateBonus();
    }
    return true;
}

// 412: the gate's two wings are the targets; it follows the player's x.
bool StepGateWings(i32 enemy, i32 age) {
    if (age == 1) {
        const f80 distance = HeadToward(enemy, 320.0f, 50.0f);
        EnemyRecord(enemy).speed = static_cast<f32>(static_cast<f80>(0.005f) * distance);
        StartTalkEvent400(413);
    }
    if (age < 200) StepStraight(enemy);
    if (age == 200) {
        const bool easy = g_GameState.Difficulty == kDifficultyEasy;
        const HitShape wing{35, 70, 0};
        const BossPhaseTarget wings[] = {{.root = 1, .shape = wing, .action = 414},
                                         {.root = 2, .shape = wing, .action = 414}};
        const BossPhaseAttacker guns[] = {{.root = 9, .action = 415},
                                          {.root = 10, .action = 415, .timer = easy ? 150 : 100}};
        OpenBossPhase(enemy, 0, kGateRootParts - 1, wings, guns);
        EnemyRecord(enemy).speed = 0.0f;
        EnemyRecord(enemy).age = 1000;
    }
    if (age >= 1001) {
        Enemy& e = EnemyRecord(enemy);
        if (age == 1001) {
            e.heading = kDown;
            e.speed = 0.2f;
        }
        const f32 px = g_PlayerState[0].x;
        if (px > e.x) {
            e.x += e.speed;
        } else if (px < e.x) {
            e.x -= e.speed;
        }
        e.y += SwayOffset(age - 1000, 0.5f, 400);
        e.rotation = kDown + SwayOffset(age - 1000, 0.5f, 300);
    }
    if (AllRootsDestroyed(enemy, {1, 2})) {
        BeginBossPhaseBreak(enemy, 414);
        for (const i32 r : {9, 10}) RootPart(enemy, r).action = 0;
        PayGateBonus();
    }
    return true;
}

// Death D1 of the mid-boss: every part wrecked, bonus B.
void MidBossDeath(i32 enemy, i32 nextState) {
    BeginBossPhaseBreak(enemy, nextState);
    SpawnExplosionChain(enemy, 10);
    for (i32 r = 0; r < kGateRootParts; ++r) {
        EnemyPart* part = RootPartAt(enemy, r);
        if (part == nullptr) continue;
        part->state = -1;
        part->action = 11;
    }
    PayBossPhaseBonus(kEffectDefeatBonus, 30 * (PlayerLives() + 2 * PlayerScoreMultiplier()) + 500);
}

// 413: the mid-boss hangs in the field spinning its star; its core and its
// two engines are the targets; after 1000 frames it takes off again (414).
bool StepMidBossStar(i32 enemy, i32 age) {
    if (age == 1) {
        const f80 distance = HeadToward(enemy, 320.0f, 150.0f);
        EnemyRecord(enemy).speed = static_cast<f32>(static_cast<f80>(0.01f) * distance);
    }
    if (age < 100) {
        StepStraight(enemy);
        TurnField(EnemyRecord(enemy).rotation, kDown, 0.002f);
    }
    if (age == 100) {
        const HitShape engine{35, 50, 0};
        std::vector<BossPhaseTarget> targets;
        if (!RootDestroyed(enemy, 9)) targets.push_back({.root = 9, .shape = engine, .action = 417});
        if (!RootDestroyed(enemy, 10)) targets.push_back({.root = 10, .shape = engine, .action = 418});
        targets.push_back({.root = 0, .shape = HitShape{0, 0, 60}, .action = 416});
        OpenBossPhase(enemy, 0, kGateRootParts - 1, targets, {});
        EnemyRecord(enemy).speed = 0.0f;
        EnemyRecord(enemy).age = 1000;
    }
    if (age >= 1000) {
        Enemy& e = EnemyRecord(enemy);
        e.x += SwayOffset(age - 1000, 0.4f, 500);
        e.y += SwayOffset(age - 1000, 0.5f, 300);
        if (age == 2000) {
            SetEnemyState(enemy, 414);
            g_GameState.BossActiveFlag = 1;
        }
    }
    if (RootDestroyed(enemy, 0)) MidBossDeath(enemy, 419);
    return true;
}

// 414: the mid-boss flies down, turns back and leaves the top.
bool StepMidBossFlight(i32 enemy, i32 age) {
    Enemy& e = EnemyRecord(enemy);
    if (age == 1) {
        e.speed = 0.0f;
        e.heading = kDown;
        RootPart(enemy, 0).action = 416;
    }
    if (age == 50) {
        e.speed = 2.0f;
        StartTalkEvent400(412);
    }
    if (age > 50 && age < 300) e.speed -= 0.05f;
    StepStraight(enemy);
    if (age == 300) {
        Enemy& f = EnemyRecord(enemy);
        f.x = 320.0f;
        f.y = -200.0f;
        f.speed = 0.0f;
        f.rotation = kDown;
        SetEnemyState(enemy, 415);
    }
    if (RootDestroyed(enemy, 0)) MidBossDeath(enemy, 419);
    return true;
}

// 415: the mid-boss drops shells from the top, then dives in (as 410).
bool StepMidBossDive(i32 enemy, i32 age) {
    if (age == 10) {
        EnemyRecord(enemy).speed = 0.0f;
        RootPart(enemy, 0).action = 410;
    }
    if (age == 150) RootPart(enemy, 0).action = 0;
    if (age == 300) EnemyRecord(enemy).speed = 6.0f;
    if (age > 300) EnemyRecord(enemy).speed -= 0.05f;
    StepStraight(enemy);
    if (age == 430) {
        SetEnemyState(enemy, 413);
        g_GameState.BossActiveFlag = 0;
    }
    if (RootDestroyed(enemy, 0)) MidBossDeath(enemy, 417);
    return true;
}

// 419: one frame between the death and the sinking.
bool StepMidBossHit(i32 enemy, i32 age) {
    EnemyRecord(enemy).y += 1.0f;
    if (age == 1) SetEnemyState(enemy, 417);
    return true;
}

// The sum of the ranks of the four stages before this one.
i32 EarlierRanks() {
    u32 sum = 0;
    for (int s = 0; s < 4; ++s) sum += g_PlayRecord.stageRank[static_cast<std::size_t>(s)];
    return static_cast<i32>(sum);
}

// 417: the mid-boss sinks, its farewell by the run so far, then explodes.
bool StepMidBossSinking(i32 enemy, i32 age) {
    EnemyRecord(enemy).y += 0.5f;
    if (age == 50) {
        const i32 s = EarlierRanks();
        if (s >= 15) {
            StartTalkEvent400(RootPart(enemy, 9).hp > 0 || RootPart(enemy, 10).hp > 0 ? 416 : 415);
        } else if (s >= 11) {
            StartTalkEvent400(417);
        } else {
            StartTalkEvent400(418);
        }
        RequestMusic(0);
    }
    if (age >= 200 && age <= 500 && age % 100 == 0) Quake(enemy, 200.0f, -200.0f, 200.0f);
    if (age == 700) {
        SpawnExplosionChain(enemy, 30);
        RemoveEnemy(enemy);
        PlaySoundEffect(kSoundSenGeBom05);
        g_GameState.ScreenShakeTimer = 50;
        Flash();
        return false;
    }
    return true;
}

// 418: the mid-boss falls away after its farewell.
bool StepMidBossFalling(i32 enemy, i32 age) {
    if (age == 1) {
        StartTalkEvent400(414);
        RequestMusic(0);
    }
    Enemy& e = EnemyRecord(enemy);
    if (age > 200 && e.y < 700.0f) e.y += static_cast<f32>(age - 200) * 0.04f;
    if (age == 400) return RemoveEnemy(enemy);
    return true;
}

// 420: the mid-boss goes down in flames and hands the stage to its last
// phase.
bool StepMidBossCrash(i32 enemy, i32 age) {
    if (age >= 100 && age <= 300 && age % 50 == 0) Quake(enemy, 150.0f, -100.0f, 100.0f);
    Enemy& e = EnemyRecord(enemy);
    if (age > 200 && e.y < 700.0f) {
        e.y += e.speed;
        e.speed += 0.01f;
    }
    const Enemy& f = EnemyRecord(enemy);
    if ((age <= 200 || f.y >= 700.0f) && f.y >= 500.0f) {
        Flash();
        g_GameState.ScreenShakeTimer = 50;
        PlaySoundEffect(kSoundSenGeBom05);
        const f32 centre[2] = {f.x, f.y};
        SpawnEffectBurst(20, centre, -200.0f, 200.0f, -300.0f, 0.0f, 2);
        g_GameState.StageScriptPhase = 30;
        g_GameState.StageScriptFrame = 0;
        return RemoveEnemy(enemy);
    }
    return true;
}

// Every state of the stage's regular enemies and its gate boss.
constexpr StateRow kStates[] = {
    {111, StepFalling},
    {280, StepWanderer},
    {281, StepBackingOff},
    {401, [](i32 e, i32 age) { return StepClimber(e, age, true); }},
    {402, [](i32 e, i32 age) { return StepClimber(e, age, true); }},
    {403, StepRiser},
    {404, StepDiver},
    {405, [](i32 e, i32 age) { return StepPeelOff(e, age, 484, 0.012f); }},
    {406, [](i32 e, i32 age) { return StepPeelOff(e, age, 483, -0.012f); }},
    {407, StepDrifter},
    {408, StepDiveThrough},
    {409, StepFalling},
    {410, StepGateEntry},
    {411, StepGateTurrets},
    {412, StepGateWings},
    {413, StepMidBossStar},
    {414, StepMidBossFlight},
    {415, StepMidBossDive},
    {417, StepMidBossSinking},
    {418, StepMidBossFalling},
    {419, StepMidBossHit},
    {420, StepMidBossCrash},
    {430, StepGunship},
    {431, [](i32 e, i32 age) { return StepClimber(e, age, false); }},
    {432, [](i32 e, i32 age) { return StepClimber(e, age, true); }},
    {433, StepGunshipFalling},
    {440, StepCarrier},
    {441, StepCarrierSinking},
    {450, StepRisingAway},
    {451, StepDropping},
    {460, [](i32 e, i32 age) { return StepSweeper(e, age, 0.03f); }},
    {461, [](i32 e, i32 age) { return StepSweeper(e, age, -0.03f); }},
    {481, [](i32 e, i32 age) { return StepFriendLeft(e, age, 461, 460, 462, 600); }},
    {482, StepFriendRight},
    {483, [](i32 e, i32 age) { return StepFriendLeft(e, age, 466, 464, 465, 700); }},
    {490, [](i32 e, i32 age) { return StepWheeling(e, age, 490); }},
    {491, [](i32 e, i32 age) { return StepWheeling(e, age, 491); }},
    {492, [](i32 e, i32 age) { return StepWheeling(e, age, 492); }},
    {495, StepDebris},
    // The castle.
    {1001, castle::StepCastle},
    {1099, castle::StepCastleSinking},
    // The last boss and its escorts.
    {900, lastboss::StepRising},
    {901, lastboss::StepArrival},
    {911, lastboss::StepDive},
    {912, lastboss::StepWide},
    {913, lastboss::StepSummoning},
    {914, lastboss::StepPulsingEscort},
    {915, lastboss::StepLastPhase},
    {920, lastboss::StepLimbless},
    {921, lastboss::StepDying},
    {990, lastboss::StepEscort990},
    {991, lastboss::StepEscort991},
    {993, lastboss::StepEscort993},
    {994, lastboss::StepEscort994},
    {995, lastboss::StepBrakingEscort},
};

// The states the bodies switch to, and those DestroyEnemy gives the spawn ids
// of this stage (411: 409, 420: 441, 421: 433, 430: 111, 490: 419, 1001: 1099).
constexpr i32 kWrittenStates[] = {111, 280, 409, 411, 412, 413, 414, 415, 417, 419, 433, 441, 1099,
                                  // The last boss.
                                  901, 911, 912, 913, 915, 920, 921};
// The actions the gate boss's, the castle's and the last boss's phases give
// their parts, and the wrecks part deaths give this stage's sprite kinds.
// clang-format off
constexpr i32 kWrittenActions[] = {0,   11,  13,  14,  15,  410,  411,  412,  414,  415,  416,
                                   417, 418, 420, 421, 1001, 1010, 1020, 1021, 1022, 1100,
                                   // The last boss.
                                   901, 902, 903, 910, 931, 932, 933, 951, 952};
// clang-format on
// The pictures the bodies swap in.
constexpr i32 kWrittenSpriteKinds[] = {460, 461, 462, 464, 465, 466, 483, 484};

constexpr BehaviourTable kTable{
    .states = kStates,
    .unlisted = MoveStraightOn,
    .writesStates = kWrittenStates,
    .writesActions = kWrittenActions,
    .writesSpriteKinds = kWrittenSpriteKinds,
};

}  // namespace

const BehaviourTable& BehaviourStage5() { return kTable; }

bool StepEnemyStage5(i32 enemy, i32 state) { return StepByTable(kTable, enemy, state); }
