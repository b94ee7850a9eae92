// The behaviour of the enemies of stage index 2: one row per state id in the
// table at the end, each calling the small function of its state.
//
// Within a state body the age's events come first, then the motion, then the
// exit tests; `age` is the age the step saw, except where a body writes an
// age that a later test of the same step must see (326's 1001), which the
// body then keeps in its own copy.
//
// The field scrolls sideways in this stage: an effect shown at an enemy's
// place is given x + FieldScrollX (scrolled); the bodies say where they give
// the enemy's own x (unscrolled).
#include <algorithm>
#include <cmath>
#include <numbers>

#include "engine/core/random.h"
#include "game/enemy/enemy_behaviour.h"
#include "game/play/effects.h"
#include "game/play/talk.h"
#include "game/shell/game_math.h"
#include "game/shell/play_state.h"
#include "game/shell/sound_effects.h"
#include "game/shell/sound_names.h"

namespace {

using f80 = long double;

constexpr f32 kPi = std::numbers::pi_v<f32>;
constexpr f32 kHalfPiAngle = 1.5707964f;
constexpr f32 kUp = -kHalfPiAngle;

// ---- Shared pieces ----

// Speed -= 0.1 while it is above 0.
void Decelerate(Enemy& e) {
    if (e.speed > 0.0f) e.speed -= 0.1f;
}

// Turns a field toward an absolute angle by at most `step`.
void TurnField(i32 enemy, f32 Enemy::*field, f32 target, f32 step) {
    f32 angle = EnemyRecord(enemy).*field;
    TurnTowardAngle(&angle, target, step);
    EnemyRecord(enemy).*field = angle;
}

// atan2(ty - y, tx - x) from the enemy, in extended precision.
f32 HeadingTo(const Enemy& e, f32 tx, f32 ty) {
    return static_cast<f32>(std::atan2(static_cast<f80>(ty) - static_cast<f80>(e.y),
                                       static_cast<f80>(tx) - static_cast<f80>(e.x)));
}

// The distance from the enemy to (tx, ty) times k, in extended precision.
f32 DistanceTo(const Enemy& e, f32 tx, f32 ty, f32 k) {
    const f80 dx = static_cast<f80>(tx) - static_cast<f80>(e.x);
    const f80 dy = static_cast<f80>(ty) - static_cast<f80>(e.y);
    return static_cast<f32>(std::sqrt(dx * dx + dy * dy) * static_cast<f80>(k));
}

// The slow crossers' engine: sound 24 again once more than 79 frames have
// passed; every kept step of theirs ends with it.
bool Rumble() {
    PlaySpacedSound(kSoundNoriGeBaikuRun012, 79);
    return true;
}

// The long craft's engine (sound 11, spaced by more than 184 frames).
bool Drone() {
    PlaySpacedSound(kSoundTrain, 184);
    return true;
}

// ---- Fighters (kind 1) ----

// The climb out of 325 and 327 after age 200: the nose turns up, the heading
// follows, speeding up to 4.
void ClimbAway(i32 enemy) {
    TurnField(enemy, &Enemy::rotation, kUp, 0.05f);
    Enemy& e = EnemyRecord(enemy);
    e.heading = e.rotation;
    if (e.speed < 4.0f) e.speed += 0.2f;
}

// At age 200 the heading takes the nose's direction and the speed picks up.
void TurnOutAt200(i32 enemy, i32 age) {
    if (age != 200) return;
    Enemy& e = EnemyRecord(enemy);
    e.heading = e.rotation;
    e.speed += 0.2f;
}

// Until age 200, slow enough to aim: the nose follows the player.
void AimWhileSlow(i32 enemy, i32 age) {
    if (age <= 200 && EnemyRecord(enemy).speed < 1.0f) TurnToPlayer(enemy, &Enemy::rotation, 0.01f);
}

// 325: a fighter that dives in, brakes, aims and climbs away.
void FighterMotion(i32 enemy, i32 age) {
    if (age < 75) EnemyRecord(enemy).speed -= 0.1f;
    AimWhileSlow(enemy, age);
    if (age > 200) ClimbAway(enemy);
}

bool StepFighter(i32 enemy, i32 age) {
    TurnOutAt200(enemy, age);
    FighterMotion(enemy, age);
    StepStraight(enemy);
    if (age > 200 && EnemyRecord(enemy).y < -100.0f) return EscapeEnemy(enemy);
    return true;
}

// 326: the same, then held until age 1000 and sent off sideways in turn by
// list index; a background section of 30 ends the wait at once.
bool StepWaitingFighter(i32 enemy, i32 age) {
    TurnOutAt200(enemy, age);
    i32 seen = age;
    if (seen < 1000 && g_GameState.BackgroundSection == 30) {
        seen = 1001;
        EnemyRecord(enemy).age = 1001;
    }
    if (seen < 1000) FighterMotion(enemy, seen);
    if (seen > 1000 + 10 * enemy) {
        const f32 away = EnemyRecord(enemy).x <= 320.0f ? 1.25f * kPi : -0.25f * kPi;
        TurnField(enemy, &Enemy::rotation, away, 0.075f);
        Enemy& e = EnemyRecord(enemy);
        e.heading = e.rotation;
        if (e.speed < 5.0f) e.speed += 0.5f;
    }
    StepStraight(enemy);
    const f32 y = EnemyRecord(enemy).y;
    if (y < -100.0f && ((seen > 200 && seen < 1000) || seen > 1000)) return EscapeEnemy(enemy);
    return true;
}

// 327: a fighter from the side that turns its heading up while it brakes.
bool StepSideFighter(i32 enemy, i32 age) {
    TurnOutAt200(enemy, age);
    if (age < 75) {
        TurnField(enemy, &Enemy::heading, kUp, 0.015f);
        if (EnemyRecord(enemy).speed > 0.5f) EnemyRecord(enemy).speed -= 0.1f;
    }
    AimWhileSlow(enemy, age);
    if (age > 200) ClimbAway(enemy);
    StepStraight(enemy);
    if (age > 200 && EnemyRecord(enemy).y < -100.0f) return EscapeEnemy(enemy);
    return true;
}

// 328: a fighter from below that aims while it flies on up.
bool StepRisingFighter(i32 enemy, i32 age) {
    if (age < 200) {
        if (EnemyRecord(enemy).speed > 0.5f) EnemyRecord(enemy).speed -= 0.1f;
        const f32 speed = EnemyRecord(enemy).speed;
        if (speed > 1.0f && speed < 4.0f) {
            TurnToPlayer(enemy, &Enemy::rotation, 0.1f);
        } else if (speed <= 1.0f) {
            TurnToPlayer(enemy, &Enemy::rotation, 0.01f);
        }
    } else if (EnemyRecord(enemy).speed < 4.0f) {
        EnemyRecord(enemy).speed += 0.25f;
    }
    StepStraight(enemy);
    if (age > 200 && EnemyRecord(enemy).y < -50.0f) return EscapeEnemy(enemy);
    return true;
}

// ---- Small craft (kind 3), the buoys and crates (kinds 6, 7, 8) ----

// 330 and 331: a craft that swerves in (turn -0.05 or +0.05), aims and
// races off, jolting every 6 frames.
bool StepSwerver(i32 enemy, i32 age, f32 swerve) {
    if (age < 100) PlaySpacedSound(kSoundA5_11346S, 11);
    if (age < 100) {
        Enemy& e = EnemyRecord(enemy);
        if (e.speed > 0.5f) {
            e.speed -= 0.1f;
            e.heading += swerve;
        }
    } else if (age < 200) {
        TurnToPlayer(enemy, &Enemy::heading, 0.05f);
    } else if (EnemyRecord(enemy).speed < 5.0f) {
        EnemyRecord(enemy).speed += 0.1f;
    }
    StepStraight(enemy);
    if (age % 6 == 0) {
        EnemyRecord(enemy).y += 5.0f;
    } else {
        EnemyRecord(enemy).y -= 1.0f;
    }
    TurnToPlayer(enemy, &Enemy::rotation, 0.02f);
    const Enemy& e = EnemyRecord(enemy);
    if (age > 200 && (e.y > 520.0f || e.x > 620.0f || e.y < -100.0f || e.x < -100.0f)) return RemoveEnemy(enemy);
    return true;
}

// 332 and 333: drifting down the field at `speed` until y 580.
bool StepDrifter(i32 enemy, f32 speed) {
    EnemyRecord(enemy).y += speed;
    if (EnemyRecord(enemy).y > 580.0f) return RemoveEnemy(enemy);
    return true;
}

// ---- The gunship (kind 10) ----

// 281: it backs off after its entry, then goes on as 280 with its age.
bool StepGunshipEntry(i32 enemy, i32 age) {
    if (EnemyRecord(enemy).speed > -1.0f) EnemyRecord(enemy).speed -= 0.1f;
    StepStraight(enemy);
    if (age >= 149) EnemyRecord(enemy).state = 280;
    return true;
}

// 280: every 150 frames a random point of the upper field (higher every 300
// frames); it leaves after its talk at age 1001.
bool StepGunship(i32 enemy, i32 age) {
    if (age % 150 == 0) {
        const f32 tx = RandomFloat(200.0f, 440.0f);
        const f32 ty = age % 300 == 0 ? RandomFloat(50.0f, 150.0f) : RandomFloat(140.0f, 240.0f);
        Enemy& e = EnemyRecord(enemy);
        e.heading = HeadingTo(e, tx, ty);
        e.speed = std::max(DistanceTo(e, tx, ty, 0.01f), 1.0f);
    }
    if (age % 150 > 100) EnemyRecord(enemy).speed -= 0.05f;
    TurnToPlayer(enemy, &Enemy::rotation, 0.02f);
    StepStraight(enemy);
    if (age >= 1001) {
        SetEnemyState(enemy, 282);
        Enemy& e = EnemyRecord(enemy);
        e.speed = 2.0f;
        e.heading = e.rotation;
        StartTalkEvent(312);
        EnemyRecord(enemy).active = 0;
        // Root parts 0 to 2, as far as the enemy has them (kind 10 has one).
        for (i32 r = 0; r <= 2; ++r) {
            EnemyPart* part = RootPartAt(enemy, r);
            if (part == nullptr) break;
            part->action = 0;
        }
    }
    return true;
}

// 282: it slows, stops and flies backward out of the field.
bool StepGunshipLeaving(i32 enemy, i32 age) {
    EnemyRecord(enemy).speed -= 0.1f;
    StepStraight(enemy);
    if (age >= 201) return RemoveEnemy(enemy);
    return true;
}

// ---- The twin-wing craft (kind 2) ----

// 340 and 342: it shrinks to its size and backs off, is armed at age 100
// (340 then moves to the front of the list, under every other enemy); losing
// its tail ends it (341).
bool StepWingCraft(i32 enemy, i32 age, bool toFront) {
    if (age == 100) {
        EnemyRecord(enemy).active = 1;
        EnemyRecord(enemy).age = 101;
        if (toFront) return MoveEnemyToFront(enemy);
        return true;
    }
    const bool tailLost = age <= 600 && RootDestroyed(enemy, 3);
    if (tailLost) {
        if (AllRootsDestroyed(enemy, {1, 2, 3})) {
            const f32 at[2] = {EnemyRecord(enemy).x, EnemyRecord(enemy).y};
            for (i32 k = 0; k < 10; ++k) {
                SpawnEffect(16, at, static_cast<f32>(k) * (2.0f * kPi / 10.0f), -1);
            }
            const f32 label[2] = {at[0], at[1] - 30.0f};
            SpawnEffect(66, label, 0.0f, -1);
            PlaySoundEffect(kSoundSenGeBom05);
        }
        for (const i32 r : {1, 2, 3}) {
            EnemyPart& part = RootPart(enemy, r);
            part.state = -1;
            part.action = 11;
        }
    }
    Enemy& e = EnemyRecord(enemy);
    if (age < 100) {
        if (e.scale >= 1.0f) e.scale -= 0.005f;
        if (e.speed > -0.2f) e.speed -= 0.1f;
    }
    if (age > 550 && e.speed > -4.0f) e.speed -= 0.1f;
    StepStraight(enemy);
    if (tailLost) SetEnemyState(enemy, 341);
    if (age > 600) return RemoveEnemy(enemy);
    return true;
}

// 341: the wreck sinks and bursts after 100 frames.
bool StepWingWreck(i32 enemy, i32 age) {
    EnemyRecord(enemy).y += 2.0f;
    if (age >= 100) {
        const f32 at[2] = {EnemyRecord(enemy).x + g_GameState.FieldScrollX, EnemyRecord(enemy).y};
        SpawnEffectBurst(10, at, -80.0f, 80.0f, -60.0f, 60.0f, 1);
        RemoveEnemy(enemy);
        PlaySoundEffect(kSoundSenGeBom05);
        return false;
    }
    return true;
}

// ---- The jet craft (kind 5): root part 0's picture shows its facing ----

// The first 100 frames: it brakes and drops, sliding sideways by `slide`.
void JetEntry(i32 enemy, f32 slide) {
    Enemy& e = EnemyRecord(enemy);
    Decelerate(e);
    e.y += e.speed;
    e.x += slide;
}

void JetPicture(i32 enemy, i32 kind) { RootPart(enemy, 0).spriteKind = kind; }

// 380, 382 and 383's departure: speeding up while the heading and the nose
// turn (by `turn` and `roll`) toward the side it leaves by.
void JetDeparture(i32 enemy, f32 turn, f32 roll) {
    Enemy& e = EnemyRecord(enemy);
    if (e.speed < 5.0f) e.speed += 0.1f;
    if (turn > 0.0f ? e.heading < 0.0f : e.heading > -kPi) e.heading += turn;
    e.rotation += roll;
    StepStraight(enemy);
}

// 380 to 383: in, a hover from age 100 to 349, out. `pictures` are the
// sprite kinds of the three spans (0: none written).
struct JetRoute {
    f32 slide;
    i32 pictures[3];
    i32 exit;  // 0 right (x > 700), 1 left (x < -50), 2 straight up (x < 0)
};
bool StepJet(i32 enemy, i32 age, const JetRoute& route) {
    const i32 span = age < 100 ? 0 : (age < 350 ? 1 : 2);
    if (route.pictures[span] != 0) JetPicture(enemy, route.pictures[span]);
    if (span == 0) {
        JetEntry(enemy, route.slide);
    } else if (span == 1) {
        EnemyRecord(enemy).speed = 0.0f;
    } else if (route.exit == 0) {
        JetDeparture(enemy, 0.01f, 0.005f);
    } else if (route.exit == 1) {
        JetDeparture(enemy, -0.01f, -0.005f);
    } else {
        Enemy& e = EnemyRecord(enemy);
        if (e.speed < 5.0f) e.speed += 0.1f;
        e.x -= 1.0f;
        e.y -= e.speed;
    }
    const f32 x = EnemyRecord(enemy).x;
    if ((route.exit == 0 && x > 700.0f) || (route.exit == 1 && x < -50.0f) || (route.exit == 2 && x < 0.0f)) {
        return RemoveEnemy(enemy);
    }
    return true;
}

// 384 and 385: in, then it stays (no exit).
bool StepStayingJet(i32 enemy, i32 age, f32 slide, i32 entryPicture) {
    JetPicture(enemy, age < 100 ? entryPicture : 399);
    if (age < 100) {
        JetEntry(enemy, slide);
    } else {
        EnemyRecord(enemy).speed = 0.0f;
    }
    return true;
}

// ---- Slow crossers ----

// 311 and 313: a barge that brakes for 200 frames (311 rising from below,
// 313 drifting in from the top), then crawls up and speeds away after age 800.
bool StepBarge(i32 enemy, i32 age, bool fromTop) {
    Enemy& e = EnemyRecord(enemy);
    if (age < 200) {
        if (e.speed > 0.0f) e.speed -= 0.05f;
    } else if (age < 800) {
        e.speed = 0.2f;
    } else {
        e.speed += 0.1f;
    }
    if (fromTop && age < 200) {
        e.y += e.speed;
    } else {
        e.y -= e.speed;
    }
    if (EnemyRecord(enemy).y < -100.0f) return EscapeEnemy(enemy);
    return Rumble();
}

// 315: it rises from below, slows, then rocks up and down.
bool StepRockingBarge(i32 enemy, i32 age) {
    Enemy& e = EnemyRecord(enemy);
    if (age < 200) {
        if (e.speed > 0.0f) e.speed -= 0.05f;
    } else if (age < 300) {
        e.speed = 0.2f;
    } else {
        e.speed = static_cast<f32>(static_cast<f80>(0.2f) *
                                   std::sin(static_cast<f80>(age - 700) * static_cast<f80>(0.03141593f)));
    }
    e.y -= e.speed;
    if (EnemyRecord(enemy).y < -100.0f) return RemoveEnemy(enemy);
    return Rumble();
}

// 314: the escort barges of the second route's boss rise for 400 frames and
// burst.
bool StepEscortBarge(i32 enemy, i32 age) {
    if (age < 400) {
        EnemyRecord(enemy).y -= 1.5f;
        return true;
    }
    const f32 at[2] = {EnemyRecord(enemy).x, EnemyRecord(enemy).y};
    SpawnEffectBurst(10, at, -50.0f, 50.0f, -50.0f, 50.0f, 2);
    return RemoveEnemy(enemy);
}

// 359: the fortress as scenery, climbing the screen with a slow surge.
bool StepPassingFortress(i32 enemy, i32 age) {
    const f80 surge = std::cos(static_cast<f80>(age % 800) * static_cast<f80>(0.00125f) * static_cast<f80>(2.0f * kPi));
    EnemyRecord(enemy).y = static_cast<f32>(static_cast<f80>(EnemyRecord(enemy).y) - (surge + static_cast<f80>(1.8f)));
    if (EnemyRecord(enemy).y < -300.0f) return RemoveEnemy(enemy);
    return Rumble();
}

// 301: the fortresses (kinds 31 and 32) sink down the field, faster in the
// stage's first 100 frames.
bool StepSinkingFortress(i32 enemy, i32) {
    EnemyRecord(enemy).y += g_GameState.FrameCounter < 100 ? 0.5f : 0.3f;
    if (EnemyRecord(enemy).y > 850.0f) return EscapeEnemy(enemy);
    return Drone();
}

// 303: the long craft as scenery, climbing the screen.
bool StepPassingCraft(i32 enemy, i32) {
    EnemyRecord(enemy).y -= 2.0f;
    if (EnemyRecord(enemy).y < -100.0f) return RemoveEnemy(enemy);
    return Drone();
}

// 304: the fortress of kind 33 rises to y 300 and waits, and sinks after
// age 1000.
bool StepRisingFortress(i32 enemy, i32 age) {
    Enemy& e = EnemyRecord(enemy);
    if (age <= 1000) {
        if (e.y > 400.0f) {
            e.y -= 2.0f;
        } else if (e.y > 300.0f) {
            e.y -= 0.5f;
        }
    } else {
        e.y += 2.0f;
    }
    if (EnemyRecord(enemy).y < -100.0f) return EscapeEnemy(enemy);
    if (age > 1000 && EnemyRecord(enemy).y > 900.0f) return EscapeEnemy(enemy);
    return Drone();
}

// ---- Death runs (DestroyEnemy) ----

// 111: the gunship falls ever faster.
bool StepFalling(i32 enemy, i32 age) {
    EnemyRecord(enemy).y += static_cast<f32>(age) * 0.05f;
    if (EnemyRecord(enemy).y >= 520.0f) return RemoveEnemy(enemy);
    return true;
}

// 305: a fortress sinks out of the field; the shake comes far below it.
bool StepSinkingWreck(i32 enemy, i32 age) {
    EnemyRecord(enemy).y += std::min(static_cast<f32>(age) * 0.05f + 0.2f, 4.0f);
    if (EnemyRecord(enemy).y > 1200.0f) {
        g_GameState.ScreenShakeTimer = 20;
        PlaySoundEffect(kSoundSenGeBom05);
        return RemoveEnemy(enemy);
    }
    return true;
}

// 312: a barge wreck rocks as it sinks and explodes after 100 frames.
bool StepBargeWreck(i32 enemy, i32 age) {
    if (age >= 100) {
        SpawnExplosionChain(enemy, 30);
        RemoveEnemy(enemy);
        PlaySoundEffect(kSoundSenGeBom05);
        g_GameState.ScreenShakeTimer = 20;
        return false;
    }
    Enemy& e = EnemyRecord(enemy);
    if (e.speed < 4.0f) e.speed += 0.2f;
    e.y += e.speed;
    const f32 rock = static_cast<f32>(age) * 0.00075f;
    e.rotation = (age / 4) % 2 == 0 ? kHalfPiAngle - rock : kHalfPiAngle + rock;
    return true;
}

// ---- The mid-boss (kind 50) ----

// Root part 0 and 1 are armour: losing one takes the fin behind it.
void ArmourLinks(i32 enemy) {
    if (RootDestroyed(enemy, 0) && !RootDestroyed(enemy, 3)) {
        EnemyPart& fin = RootPart(enemy, 3);
        fin.state = -1;
        fin.action = 13;
    }
    if (RootDestroyed(enemy, 1) && !RootDestroyed(enemy, 4)) {
        EnemyPart& fin = RootPart(enemy, 4);
        fin.state = -1;
        fin.action = 13;
    }
}

// 101: it dives in, brakes and fights in 300-frame cycles of a dash toward
// the bottom and a glide back up; it leaves downward after about 900 frames.
bool StepMidBoss(i32 enemy, i32 age) {
    if (g_GameState.FrameCounter % 8 == 0) {
        EnemyRecord(enemy).y += 3.0f;
    } else if (age % 8 == 4) {
        EnemyRecord(enemy).y -= 3.0f;
    }
    if (age < 1000) {
        if (EnemyRecord(enemy).speed > -2.0f) EnemyRecord(enemy).speed -= 0.2f;
        StepStraight(enemy);
        if (age > 170) {
            EnemyRecord(enemy).age = 1199;
            EnemyPart& core = RootPart(enemy, 2);
            core.timer = 0;
            core.action = 390;
            EnemyRecord(enemy).active = 1;
            g_GameState.BossActiveFlag = 0;
        }
    } else if (age < 5000) {
        if (age % 300 == 0) {
            const f32 tx = RandomFloat(170.0f, 470.0f);
            Enemy& e = EnemyRecord(enemy);
            e.heading = HeadingTo(e, tx, 480.0f);
            e.speed = 7.0f;
            e.rotation += (tx - e.x) * 0.004f;
        }
        if (age % 300 == 100) {
            const f32 tx = RandomFloat(170.0f, 470.0f);
            const f32 ty = (age / 300) % 2 == 0 ? 40.0f : 80.0f;
            Enemy& e = EnemyRecord(enemy);
            e.heading = HeadingTo(e, tx, ty);
            e.speed = DistanceTo(e, tx, ty, 0.005f);
        }
        if (age % 300 < 100) {
            EnemyRecord(enemy).speed -= 0.075f;
        } else {
            TurnField(enemy, &Enemy::rotation, kHalfPiAngle, 0.0025f);
        }
        StepStraight(enemy);
        if (age > 2098) {
            EnemyRecord(enemy).age = 10000;
            EnemyPart& core = RootPart(enemy, 2);
            core.action = 392;
            core.timer = 0;
            Enemy& e = EnemyRecord(enemy);
            e.heading = kHalfPiAngle;
            e.rotation = kHalfPiAngle;
            e.speed = 0.0f;
        }
    } else if (age >= 10000) {
        EnemyRecord(enemy).speed += 0.1f;
        StepStraight(enemy);
        if (EnemyRecord(enemy).y > 600.0f) {
            RemoveEnemy(enemy);
            StartTalkEvent300(397);
            return false;
        }
    }
    ArmourLinks(enemy);
    return true;
}

// 102: the shot-down mid-boss spins and falls.
bool StepMidBossWreck(i32 enemy, i32) {
    Enemy& e = EnemyRecord(enemy);
    e.heading = kHalfPiAngle;
    e.rotation -= 0.01f;
    e.speed += 0.05f;
    StepStraight(enemy);
    if (EnemyRecord(enemy).y > 600.0f) {
        RemoveEnemy(enemy);
        StartTalkEvent300(396);
        return false;
    }
    return true;
}

// Every state of the stage, in the order of its enemies.
constexpr StateRow kStates[] = {
    // State 0 (between the spawn and the timeline's first write) stays put.
    {0, StayPut},
    {325, StepFighter},
    {326, StepWaitingFighter},
    {327, StepSideFighter},
    {328, StepRisingFighter},
    {330, [](i32 e, i32 age) { return StepSwerver(e, age, -0.05f); }},
    {331, [](i32 e, i32 age) { return StepSwerver(e, age, 0.05f); }},
    {332, [](i32 e, i32) { return StepDrifter(e, 3.0f); }},
    {333, [](i32 e, i32) { return StepDrifter(e, 4.0f); }},
    {281, StepGunshipEntry},
    {280, StepGunship},
    {282, StepGunshipLeaving},
    {340, [](i32 e, i32 age) { return StepWingCraft(e, age, true); }},
    {342, [](i32 e, i32 age) { return StepWingCraft(e, age, false); }},
    {341, StepWingWreck},
    {380, [](i32 e, i32 age) { return StepJet(e, age, {0.0f, {0, 0, 398}, 0}); }},
    {381, [](i32 e, i32 age) { return StepJet(e, age, {0.0f, {0, 0, 0}, 2}); }},
    {382, [](i32 e, i32 age) { return StepJet(e, age, {-1.0f, {397, 399, 398}, 0}); }},
    {383, [](i32 e, i32 age) { return StepJet(e, age, {1.0f, {398, 399, 397}, 1}); }},
    {384, [](i32 e, i32 age) { return StepStayingJet(e, age, -1.0f, 397); }},
    {385, [](i32 e, i32 age) { return StepStayingJet(e, age, 1.0f, 398); }},
    {311, [](i32 e, i32 age) { return StepBarge(e, age, false); }},
    {313, [](i32 e, i32 age) { return StepBarge(e, age, true); }},
    {315, StepRockingBarge},
    {314, StepEscortBarge},
    {359, StepPassingFortress},
    {301, StepSinkingFortress},
    {303, StepPassingCraft},
    {304, StepRisingFortress},
    {111, StepFalling},
    {305, StepSinkingWreck},
    {312, StepBargeWreck},
    {101, StepMidBoss},
    {102, StepMidBossWreck},
};

// The states the bodies switch to, and those DestroyEnemy gives the spawn ids
// of this stage (302: 312; 311-313: 305; 380: 111; 390: 102). Spawn ids 301
// and 303 have follow-ups too (305 and 363), but their kinds (39 and 40) have
// no core part, so DestroyEnemy never reaches them.
constexpr i32 kWrittenStates[] = {102, 111, 280, 282, 305, 312, 341};
// The actions the bodies give parts (the mid-boss's core 390 and 392, the
// armour's wreck 13, the wing craft's wreck 11), and those part deaths give
// this stage's sprite kinds: smoke 11 and 13, 339 for a tower shot off a
// fortress while it stands, 380 for the fortress's core, and the split of the
// long craft's hatches (1325 with new parts of 1311, 1312 and 1313) and the
// fortress's domes in its last phase (1308).
constexpr i32 kWrittenActions[] = {0, 11, 13, 339, 380, 390, 392, 1308, 1311, 1312, 1313, 1325};
// The jet craft's facings, and the split hatches with their new parts.
constexpr i32 kWrittenSpriteKinds[] = {308, 351, 356, 357, 397, 398, 399};

constexpr BehaviourTable kTable{
    .states = kStates,
    .unlisted = MoveStraightOn,
    .writesStates = kWrittenStates,
    .writesActions = kWrittenActions,
    .writesSpriteKinds = kWrittenSpriteKinds,
};

}  // namespace

const BehaviourTable& BehaviourStage3() { return kTable; }

bool StepEnemyStage3(i32 enemy, i32 state) { return StepByTable(kTable, enemy, state); }
