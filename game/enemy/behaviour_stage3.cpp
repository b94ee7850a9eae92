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
#include <initializer_list>
#include <span>

#include "engine/core/radians.h"
#include "engine/core/random.h"
#include "game/enemy/enemy_behaviour.h"
#include "game/enemy/enemy_content.h"
#include "game/play/effects.h"
#include "game/play/enemy_runtime.h"
#include "game/play/talk.h"
#include "game/play/target_markers.h"
#include "game/shell/game_math.h"
#include "game/shell/play_state.h"
#include "game/shell/sound_effects.h"
#include "game/shell/sound_names.h"
#include "game/shell/story_flags.h"
#include "game/shell/transition.h"

namespace {

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
    return static_cast<f32>(
        std::atan2(static_cast<f80>(ty) - static_cast<f80>(e.y), static_cast<f80>(tx) - static_cast<f80>(e.x)));
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
    WanderUpperField(enemy, age, 0.02f);
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
                SpawnEffect(kEffectWreckSpark, at, static_cast<f32>(k) * (2.0f * kPi / 10.0f), -1);
            }
            const f32 label[2] = {at[0], at[1] - 30.0f};
            SpawnEffect(kEffectWreckLabel, label, 0.0f, -1);
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
    e.rotation = (age / 4) % 2 == 0 ? kHalfPi - rock : kHalfPi + rock;
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
            TurnField(enemy, &Enemy::rotation, kHalfPi, 0.0025f);
        }
        StepStraight(enemy);
        if (age > 2098) {
            EnemyRecord(enemy).age = 10000;
            EnemyPart& core = RootPart(enemy, 2);
            core.action = 392;
            core.timer = 0;
            Enemy& e = EnemyRecord(enemy);
            e.heading = kHalfPi;
            e.rotation = kHalfPi;
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
    e.heading = kHalfPi;
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

// ---- The bosses: the pieces both share ----

// y += 0.5 sin((FrameCounter mod 400) x 0.0025 x 2 pi): the slow bob.
void Bob(i32 enemy) {
    const f80 phase =
        static_cast<f80>(g_GameState.FrameCounter % 400) * static_cast<f80>(0.0025f) * static_cast<f80>(2.0f * kPi);
    EnemyRecord(enemy).y =
        static_cast<f32>(static_cast<f80>(EnemyRecord(enemy).y) + static_cast<f80>(0.5f) * std::sin(phase));
}

// K of the breaks: 40m + 30(L + 10), 200 + 30(m + L), 500 + 30(L + 2m).
i32 FirstBreakBonus() { return 40 * PlayerScoreMultiplier() + 30 * (PlayerLives() + 10); }
i32 MiddleBreakBonus() { return 200 + 30 * (PlayerScoreMultiplier() + PlayerLives()); }
i32 FinalBreakBonus() { return 500 + 30 * (PlayerLives() + 2 * PlayerScoreMultiplier()); }

// Ten explosions around the centre (unscrolled), 2 frames apart.
void CrashBurst(f32 cx, f32 cy) {
    const f32 centre[2] = {cx, cy};
    SpawnEffectBurst(10, centre, -50.0f, 50.0f, -50.0f, 50.0f, 2);
}

// At ages 100, 200 and 300: the shake, the sound and a burst around a random
// point near the wreck (x within +-dx, y within dy1..dy2 of it).
void WreckBlasts(i32 enemy, i32 age, f32 dx, f32 dy1, f32 dy2) {
    if (age != 100 && age != 200 && age != 300) return;
    g_GameState.ScreenShakeTimer = 50;
    PlaySoundEffect(kSoundSenGeBom05);
    const f32 cx = EnemyRecord(enemy).x + RandomFloat(-dx, dx);
    const f32 cy = EnemyRecord(enemy).y + RandomFloat(dy1, dy2);
    CrashBurst(cx, cy);
}

// The closing fade the stage's end starts from a boss's last blast.
void StartClosingFade() {
    StartTransition(23);
    TransitionState.speed = 0.01f;
}

// ---- The first route's boss: the long craft (kind 39) ----
//
// Sub-phases in the enemy's counter: 0 the approach and the first set, 1 to 3
// the middle sets (each with 1500 frames before it is passed over), 99 the
// last set.

constexpr HitShape kMainShape{30, 50, 0};
constexpr HitShape kFlankShape{40, 15, 0};
constexpr HitShape kGunShape{20, 40, 0};

// The hit shapes of root parts 0 to 14 and of the children of roots 2 and 14
// all zeroed.
void ClearCraftTargets(i32 enemy) {
    for (i32 r = 0; r <= 14; ++r) {
        if (EnemyPart* part = RootPartAt(enemy, r)) part->hitShape = HitShape{};
    }
    for (const i32 tower : {2, 14}) {
        for (i32 c = 0; c < 4; ++c) {
            if (EnemyPart* part = ChildPartAt(enemy, tower, c)) part->hitShape = HitShape{};
        }
    }
}

// Opens a set of the craft's targets after clearing every target; the
// boss-active flag stays as it is.
void OpenCraftSet(i32 enemy, std::span<const BossPhaseTarget> targets) {
    ClearCraftTargets(enemy);
    OpenBossPhase(enemy, 0, -1, targets, {}, {.bossActiveFlag = kLeaveBossActiveFlag});
}

constexpr BossPhaseTarget kCraftSet0[] = {
    {.root = 14, .shape = kGunShape, .child = 0}, {.root = 14, .shape = kGunShape, .child = 1},
    {.root = 14, .shape = kGunShape, .child = 2}, {.root = 14, .shape = kGunShape, .child = 3},
    {.root = 12, .shape = kFlankShape},           {.root = 13, .shape = kFlankShape},
};
// The middle sets: a main target with the rotating star (1320) between two
// flanking targets.
// clang-format off
constexpr BossPhaseTarget kCraftSet1[] = {
    {.root = 11, .shape = kMainShape, .action = 1320}, {.root = 9, .shape = kFlankShape}, {.root = 10, .shape = kFlankShape}};
constexpr BossPhaseTarget kCraftSet2[] = {
    {.root = 5, .shape = kMainShape, .action = 1320}, {.root = 3, .shape = kFlankShape}, {.root = 4, .shape = kFlankShape}};
constexpr BossPhaseTarget kCraftSet3[] = {
    {.root = 8, .shape = kMainShape, .action = 1320}, {.root = 6, .shape = kFlankShape}, {.root = 7, .shape = kFlankShape}};
constexpr BossPhaseTarget kCraftSet99[] = {
    {.root = 2, .shape = {0, 0, 50}, .action = 1331},   {.root = 2, .shape = kGunShape, .child = 0},
    {.root = 2, .shape = kGunShape, .child = 1},        {.root = 2, .shape = kGunShape, .child = 2},
    {.root = 2, .shape = kGunShape, .child = 3},        {.root = 0, .shape = kFlankShape},
    {.root = 1, .shape = kFlankShape},
};
// clang-format on

// The craft keeps the player at a distance in the middle sets: pulled down
// toward a player high in the field, pushed up from one low in it.
void KeepDistance(i32 enemy, f32 pushLimit) {
    const f32 py = g_PlayerState[0].y;
    Enemy& e = EnemyRecord(enemy);
    if (py < 200.0f && e.y < 800.0f) e.y += std::min((200.0f - py) * 0.01f, 1.5f);
    if (py > 380.0f && e.y > pushLimit) e.y -= (py - 380.0f) * 0.01f;
}

// Talk 317 once the player has been hit three times in the boss phases,
// unless 315 or 317 has run.
void TalkAfterMisses() {
    const auto& flags = g_GameState.StoryFlags;
    if (flags[kStoryThirdStageBossUntouchedTalk] == 0 && flags[kStoryThirdStageBossMissesTalk] == 0 &&
        g_GameState.BossPhaseMissCount > 2) {
        StartTalkEvent(317);
    }
}

void CraftMotion(i32 enemy, i32 age) {
    Enemy& e = EnemyRecord(enemy);
    switch (e.counter) {
        case 0:
            if (age < 500) e.y += 0.5f;
            if (age == 500) {
                OpenCraftSet(enemy, kCraftSet0);
                g_GameState.BossActiveFlag = 0;
                g_GameState.BossSequenceFlag = 1;
                EnemyPart& tower = RootPart(enemy, 14);
                tower.action = 1330;
                tower.timer = 0;
            }
            break;
        case 1:
            if (age < 100) e.y += 1.5f;
            KeepDistance(enemy, 350.0f);
            TalkAfterMisses();
            break;
        case 2:
            if (age < 200) e.y += 1.5f;
            KeepDistance(enemy, 500.0f);
            TalkAfterMisses();
            break;
        case 3:
            if (age < 100) e.y -= 1.5f;
            KeepDistance(enemy, 400.0f);
            break;
        case 99:
            if (age < 200) e.y += 1.5f;
            if (EnemyRecord(enemy).y > 700.0f) EnemyRecord(enemy).y -= 0.5f;
            break;
        default: break;
    }
}

// A middle set ends when its main target falls or after 1500 frames: the
// next set opens; a survivor turns to plain wobbling (338).
bool MiddleSetEnds(i32 enemy, i32 age, i32 mainRoot) { return age >= 1501 || RootDestroyed(enemy, mainRoot); }
void PassOver(i32 enemy, i32 mainRoot) {
    if (!RootDestroyed(enemy, mainRoot)) RootPart(enemy, mainRoot).action = 338;
}
void NextSubPhase(i32 enemy, i32 counter, i32& age) {
    EnemyRecord(enemy).counter = counter;
    EnemyRecord(enemy).age = 0;
    age = 0;
}

// The breaks, tested in order; a break's new sub-phase and age are seen by
// the tests after it.
void CraftBreaks(i32 enemy, i32 age) {
    if (EnemyRecord(enemy).counter == 0 && RootDestroyed(enemy, 14)) {
        NextSubPhase(enemy, 1, age);
        OpenCraftSet(enemy, kCraftSet1);
        StartTalkEvent(308);
        PayBossPhaseBonus(kEffectPhaseBonus, FirstBreakBonus());
    }
    if (EnemyRecord(enemy).counter == 1 && MiddleSetEnds(enemy, age, 11)) {
        OpenCraftSet(enemy, kCraftSet2);
        if (age < 1501) {
            if (g_GameState.BossPhaseMissCount == 0) StartTalkEvent(315);
            PayBossPhaseBonus(kEffectPhaseBonus, MiddleBreakBonus());
        }
        NextSubPhase(enemy, 2, age);
        PassOver(enemy, 11);
    }
    if (EnemyRecord(enemy).counter == 2 && MiddleSetEnds(enemy, age, 5)) {
        OpenCraftSet(enemy, kCraftSet3);
        if (age < 1501) PayBossPhaseBonus(kEffectPhaseBonus, MiddleBreakBonus());
        NextSubPhase(enemy, 3, age);
        PassOver(enemy, 5);
    }
    if (EnemyRecord(enemy).counter == 3 && MiddleSetEnds(enemy, age, 8)) {
        OpenCraftSet(enemy, kCraftSet99);
        StartTalkEvent(AllRootsDestroyed(enemy, {5, 8, 11}) ? 316 : 318);
        if (age < 1501) PayBossPhaseBonus(kEffectPhaseBonus, MiddleBreakBonus());
        NextSubPhase(enemy, 99, age);
        PassOver(enemy, 8);
    }
    if (EnemyRecord(enemy).counter == 99 && RootDestroyed(enemy, 2)) {
        EnemyRecord(enemy).active = 0;
        EnemyRecord(enemy).age = 0;
        if (AllRootsDestroyed(enemy, {5, 8, 11})) {
            EnemyRecord(enemy).state = 391;
            StartTalkEvent(330);
        } else {
            EnemyRecord(enemy).state = 392;
            StartTalkEvent(331);
        }
        PlaySoundEffect(kSoundSenGeBom05);
        PayBossPhaseBonus(kEffectDefeatBonus, FinalBreakBonus());
    }
}

// 390: the craft rides the background's sideways scroll through its sets.
bool StepLongCraft(i32 enemy, i32 age) {
    CraftMotion(enemy, age);
    CraftBreaks(enemy, age);
    PlaySpacedSound(kSoundTrain, 184);
    EnemyRecord(enemy).x = 960.0f - static_cast<f32>(g_GameState.BackgroundScrollX);
    Bob(enemy);
    return true;
}

// 391: every main target down: it blows apart and the stage closes.
bool StepLongCraftDestroyed(i32 enemy, i32 age) {
    if (age == 300) PlaySoundEffect(kSoundMekaGeJouki01);
    WreckBlasts(enemy, age, 100.0f, -600.0f, -300.0f);
    if (age > 300) {
        EnemyRecord(enemy).y += std::min(static_cast<f32>(age - 300) * 0.01f + 0.2f, 2.0f);
    }
    if (age >= 601) {
        const f32 at[2] = {EnemyRecord(enemy).x + g_GameState.FieldScrollX, EnemyRecord(enemy).y};
        SpawnEffectBurst(30, at, -100.0f, 100.0f, -650.0f, -500.0f, 1);
        g_GameState.ScreenShakeTimer = 20;
        StartClosingFade();
        PlaySoundEffect(kSoundSenGeBom05);
        StartTalkEvent(307);
        return RemoveEnemy(enemy);
    }
    return true;
}

// 392: a main target survived: the craft sinks away.
bool StepLongCraftSinking(i32 enemy, i32 age) {
    if (age == 300) PlaySoundEffect(kSoundMekaGeJouki01);
    if (age <= 300) {
        Bob(enemy);
    } else {
        EnemyRecord(enemy).y += std::min(static_cast<f32>(age - 300) * 0.02f, 3.0f);
    }
    if (EnemyRecord(enemy).y > 1500.0f) return RemoveEnemy(enemy);
    return true;
}

// ---- The second route's boss: the fortress (kind 40) ----
//
// Root parts: 10 the centre with the main pattern, 8, 9, 11 and 12 the first
// set, 4, 5 and 13 the second, 6 and 7 the third, 0 to 3 flanking plates; 4
// to 7 the last phase's targets; slot 13 refilled in the last phase.

constexpr HitShape kDomeShape{0, 0, 50};

constexpr BossPhaseTarget kFortressSet1[] = {
    {.root = 8, .shape = {50, 20, 0}, .action = 1302, .timer = 0},
    {.root = 9, .shape = {50, 20, 0}, .action = 1302, .timer = 30},
    {.root = 11, .shape = kFlankShape, .action = 1302, .timer = 10},
    {.root = 12, .shape = kFlankShape, .action = 1302, .timer = 20},
};
constexpr BossPhaseAttacker kFortressCore1[] = {{.root = 10, .action = 1301}};
constexpr BossPhaseTarget kFortressSet2[] = {
    {.root = 0, .shape = kFlankShape},
    {.root = 1, .shape = kFlankShape},
    {.root = 4, .shape = kDomeShape, .action = 1303},
    {.root = 5, .shape = kDomeShape, .action = 1304},
};
constexpr BossPhaseAttacker kFortressCore2[] = {{.root = 13, .action = 1310}};
constexpr BossPhaseTarget kFortressSet3[] = {
    {.root = 2, .shape = kFlankShape},
    {.root = 3, .shape = kFlankShape},
    {.root = 6, .shape = kDomeShape, .action = 1307},
    {.root = 7, .shape = kDomeShape, .action = 1307},
};
constexpr BossPhaseAttacker kFortressCore3[] = {{.root = 10, .action = 1306}};

// Opens a set at the end of the entry: roots 0 to 12 zeroed first; the
// fortress stops and its age jumps to 1000.
void OpenFortressSet(i32 enemy, std::span<const BossPhaseTarget> targets,
                     std::span<const BossPhaseAttacker> attackers) {
    OpenBossPhase(enemy, 0, 12, targets, attackers);
    EnemyRecord(enemy).speed = 0.0f;
    EnemyRecord(enemy).age = 1000;
}

// A set's break: the centre back to wobbling (370), the named parts
// silenced, the next state, its talk and the bonus.
void BreakFortressSet(i32 enemy, i32 nextState, std::initializer_list<i32> silenced, i32 talk) {
    RootPart(enemy, 10).action = 370;
    for (const i32 r : silenced) RootPart(enemy, r).action = 0;
    BeginBossPhaseBreak(enemy, nextState);
    if (talk != 0) StartTalkEvent(talk);
    PayBossPhaseBonus(kEffectPhaseBonus, FirstBreakBonus());
}

// 1300 to 1302: an entry at `speed` until the set opens at `openAge`, the
// bob, the break when the set's parts are down, the engine.
struct FortressSet {
    f32 speed;
    i32 openAge;
    std::span<const BossPhaseTarget> targets;
    std::span<const BossPhaseAttacker> attackers;
    std::initializer_list<i32> breakOn;
    i32 nextState;
    std::initializer_list<i32> silenced;
};
bool StepFortressSet(i32 enemy, i32 age, const FortressSet& set, i32 talk) {
    if (age == 1) EnemyRecord(enemy).speed = set.speed;
    if (age == set.openAge) OpenFortressSet(enemy, set.targets, set.attackers);
    if (age < 1000) StepStraight(enemy);
    Bob(enemy);
    if (AllRootsDestroyed(enemy, set.breakOn)) BreakFortressSet(enemy, set.nextState, set.silenced, talk);
    return Rumble();
}

bool StepFortress1(i32 enemy, i32 age) {
    return StepFortressSet(enemy, age,
                           {.speed = 1.0f,
                            .openAge = 300,
                            .targets = kFortressSet1,
                            .attackers = kFortressCore1,
                            .breakOn = {8, 9, 11, 12},
                            .nextState = 1301,
                            .silenced = {11, 12, 8, 9}},
                           0);
}
bool StepFortress2(i32 enemy, i32 age) {
    const i32 talk = g_GameState.BossPhaseMissCount < 1 ? 385 : 0;
    return StepFortressSet(enemy, age,
                           {.speed = 0.5f,
                            .openAge = 200,
                            .targets = kFortressSet2,
                            .attackers = kFortressCore2,
                            .breakOn = {4, 5, 13},
                            .nextState = 1302,
                            .silenced = {}},
                           talk);
}
bool StepFortress3(i32 enemy, i32 age) {
    return StepFortressSet(enemy, age,
                           {.speed = -0.5f,
                            .openAge = 200,
                            .targets = kFortressSet3,
                            .attackers = kFortressCore3,
                            .breakOn = {6, 7},
                            .nextState = 1303,
                            .silenced = {}},
                           381);
}

// 1303: it throws off its plates and domes in a blast, rises and falls back,
// and brings the domes and its centre back as targets.
bool StepFortressShedding(i32 enemy, i32 age) {
    Enemy& e = EnemyRecord(enemy);
    if (age < 300) {
        if (e.y > 150.0f) {
            e.y -= 1.0f;
        } else if (e.y < 150.0f) {
            e.y += 1.0f;
        }
    }
    if (age == 300) {
        e.y = 100.0f;
        e.speed = 5.0f;
        for (i32 r = 0; r <= 3; ++r) {
            EnemyPart& plate = RootPart(enemy, r);
            plate.state = 2;
            plate.action = 0;
            plate.hp = 1;
            plate.hitShape.halfWidth = 0.0f;
            plate.hitShape.halfHeight = 0.0f;
            plate.coinValue = 0;
        }
        for (i32 r = 4; r <= 7; ++r) {
            EnemyPart& dome = RootPart(enemy, r);
            dome.state = 2;
            dome.action = 1309;
            dome.timer = 20 * (r - 4);
            dome.hp = 1;
            dome.hitShape = HitShape{};
            dome.coinValue = 4;
        }
        const f32 x = EnemyRecord(enemy).x;
        const f32 y = EnemyRecord(enemy).y;
        const f32 scroll = g_GameState.FieldScrollX;
        CrashBurst(x - 100.0f, y - 60.0f);
        CrashBurst(x + 100.0f + scroll, y - 60.0f);
        CrashBurst(x - 100.0f + scroll, y + 60.0f);
        CrashBurst(x + 100.0f + scroll, y + 60.0f);
        PlaySoundEffect(kSoundSenGeBom05);
    } else if (age > 300 && age < 500) {
        Enemy& f = EnemyRecord(enemy);
        f.speed -= 0.05f;
        f.y -= f.speed;
    }
    if (age >= 500) {
        for (i32 r = 0; r <= 7; ++r) RootPart(enemy, r).state = 1;
        for (i32 r = 4; r <= 7; ++r) {
            EnemyPart* dome = RootPartAt(enemy, r);
            if (dome == nullptr) continue;
            dome->maxHp /= 2;
            dome->hp = dome->maxHp;
            dome->hitShape = kDomeShape;
            AddTargetMarker(dome, dome->spriteKind);
        }
        if (EnemyPart* centre = RootPartAt(enemy, 10)) {
            centre->hp = centre->maxHp;
            centre->hitShape = kDomeShape;
            AddTargetMarker(centre, centre->spriteKind);
            centre->action = 1306;
            centre->timer = 0;
        }
        PlaySoundEffect(kSoundSenGeBom05);
        EnemyRecord(enemy).speed = 0.0f;
        SetEnemyState(enemy, 1304);
        g_GameState.BackgroundSection = 43;
        EnemyRecord(enemy).active = 1;
        g_GameState.BossActiveFlag = 0;
    }
    return Rumble();
}

// The last phase's part in root slot 13: the old part's tree goes back to
// the pool first; with no free slot the root stays empty.
void RefillCoreSlot(i32 enemy) {
    const i32 old = EnemyRecord(enemy).rootParts[13];
    if (EnemyPart* part = PartAt(old)) ReleaseEnemyPart(part);
    EnemyRecord(enemy).rootParts[13] = kNoPart;
    const i32 slot = AllocateEnemyPart();
    if (slot < 0) return;
    EnemyPart& p = g_EnemyPartPool[slot];
    const u8 inUse = p.inUse;
    p = EnemyPart{};
    p.inUse = inUse;
    p.state = 1;
    p.maxHp = 2400;
    p.hp = 2400;
    p.spriteKind = 355;
    p.action = 374;
    p.coinValue = 12;
    p.scoreValue = 500;
    p.hitShape = HitShape{70, 30, 0};
    p.gaugeOffsetY = -30.0f;
    for (i32& child : p.children) child = kNoPart;
    EnemyRecord(enemy).rootParts[13] = slot;
    AddTargetMarker(&p, p.spriteKind);
}

// Roots 4 to 7 that still stand get action `action`.
void SilenceDomes(i32 enemy) {
    for (i32 r = 4; r <= 7; ++r) {
        if (!RootDestroyed(enemy, r)) RootPart(enemy, r).action = 0;
    }
}
void WreckAllRoots(i32 enemy) {
    for (i32 r = 0; r <= 13; ++r) RootPart(enemy, r).state = -1;
}

// 1304: the last phase: the new part, the background racing on, the player
// pushed back; three ends.
bool StepFortressLastPhase(i32 enemy, i32 age) {
    if (age == 200) {
        RefillCoreSlot(enemy);
        EnemyPart& centre = RootPart(enemy, 10);
        centre.action = 375;
        centre.timer = 0;
        const f32 at[2] = {EnemyRecord(enemy).x, EnemyRecord(enemy).y};
        SpawnEffectBurst(10, at, -30.0f, 30.0f, -30.0f, 30.0f, 2);
        PlaySoundEffect(kSoundBom35);
    }
    if (age >= 1000) {
        i32& section = g_GameState.BackgroundSection;
        if (age % 1000 != 0 && section < 45) section += 1;
        if (EnemyRecord(enemy).y < 50.0f && g_GameState.StoryFlags[kStoryThirdStageFortressPushedOff] == 0) {
            RootPart(enemy, 13).action = 0;
            SilenceDomes(enemy);
            EnemyRecord(enemy).active = 0;
            StartTalkEvent(387);
        }
    }
    Enemy& e = EnemyRecord(enemy);
    if (age < 200) {
        e.y += 2.0f;
    } else if (age > 200 && age < 500) {
        e.y -= 1.0f;
    } else if (age > 500 && age < 1000) {
        e.age = 1000;
    }
    if (age >= 1000) {
        const f80 surge =
            std::cos(static_cast<f80>(age - 1000) * static_cast<f80>(0.0016666667f) * static_cast<f80>(2.0f * kPi));
        e.y = static_cast<f32>(static_cast<f80>(e.y) - static_cast<f80>(0.2f) * surge);
        e.y -= 0.2f;
        const f32 py = g_PlayerState[0].y;
        if (py < 200.0f && e.y > 50.0f && e.y < 300.0f) e.y += std::min((200.0f - py) * 0.005f, 1.0f);
        if (e.y < 50.0f) e.y -= 0.5f;
    }
    if (age > 1000 && EnemyRecord(enemy).y < -200.0f) {
        Enemy& f = EnemyRecord(enemy);
        f.active = 0;
        SetEnemyState(enemy, 1307);
        f.speed = 0.0f;
        RootPart(enemy, 13).action = 0;
        WreckAllRoots(enemy);
        for (i32 r = 4; r <= 7; ++r) RootPart(enemy, r).action = 11;
        PlaySoundEffect(kSoundSenGeBom05);
    } else if (!RootDestroyed(enemy, 10) && AllRootsDestroyed(enemy, {4, 5, 6, 7})) {
        EnemyRecord(enemy).active = 0;
        SetEnemyState(enemy, 1306);
        RootPart(enemy, 13).action = 0;
        PayBossPhaseBonus(kEffectDefeatBonus, FinalBreakBonus());
    } else if (RootDestroyed(enemy, 10)) {
        EnemyRecord(enemy).active = 0;
        SetEnemyState(enemy, 1305);
        RootPart(enemy, 13).action = 0;
        SilenceDomes(enemy);
        WreckAllRoots(enemy);
        PayBossPhaseBonus(kEffectDefeatBonus, FinalBreakBonus());
    }
    return Rumble();
}

// The last blast: the closing fade, the shake and twenty explosions above
// the wreck (unscrolled).
void FinalBlast(i32 enemy) {
    StartClosingFade();
    g_GameState.ScreenShakeTimer = 50;
    PlaySoundEffect(kSoundSenGeBom05);
    const f32 at[2] = {EnemyRecord(enemy).x, EnemyRecord(enemy).y};
    SpawnEffectBurst(20, at, -200.0f, 200.0f, -300.0f, 0.0f, 2);
}

// The wreck falling back down the screen, faster and faster.
void FallBack(i32 enemy) {
    Enemy& e = EnemyRecord(enemy);
    if (e.y < 700.0f) {
        e.y += e.speed;
        e.speed += 0.01f;
    }
}

// 1305: the centre destroyed: the fortress burns and blows up.
bool StepFortressDestroyed(i32 enemy, i32 age) {
    if (age == 50) StartTalkEvent(388);
    WreckBlasts(enemy, age, 150.0f, -100.0f, 100.0f);
    if (age == 500) FinalBlast(enemy);
    if (age > 200) FallBack(enemy);
    if (age >= 600) return RemoveEnemy(enemy);
    return true;
}

// 1306: the four domes destroyed: it sinks away.
bool StepFortressSinking(i32 enemy, i32 age) {
    if (age == 50) StartTalkEvent(386);
    Enemy& e = EnemyRecord(enemy);
    if (age > 300 && e.y < 700.0f) e.y += static_cast<f32>(age - 300) * 0.01f;
    if (age == 700) return RemoveEnemy(enemy);
    return true;
}

// 1307: pushed off the top: it falls back through the screen as a wreck and
// blows up at y 700.
bool StepFortressPushedOff(i32 enemy, i32 age) {
    WreckBlasts(enemy, age, 150.0f, -100.0f, 100.0f);
    FallBack(enemy);
    if (EnemyRecord(enemy).y >= 700.0f) {
        FinalBlast(enemy);
        return RemoveEnemy(enemy);
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
    // clang-format off
    {380, [](i32 e, i32 age) { return StepJet(e, age, {0.0f, {0, 0, 398}, 0}); }},
    {381, [](i32 e, i32 age) { return StepJet(e, age, {0.0f, {0, 0, 0}, 2}); }},
    {382, [](i32 e, i32 age) { return StepJet(e, age, {-1.0f, {397, 399, 398}, 0}); }},
    {383, [](i32 e, i32 age) { return StepJet(e, age, {1.0f, {398, 399, 397}, 1}); }},
    // clang-format on
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
    {390, StepLongCraft},
    {391, StepLongCraftDestroyed},
    {392, StepLongCraftSinking},
    {1300, StepFortress1},
    {1301, StepFortress2},
    {1302, StepFortress3},
    {1303, StepFortressShedding},
    {1304, StepFortressLastPhase},
    {1305, StepFortressDestroyed},
    {1306, StepFortressSinking},
    {1307, StepFortressPushedOff},
};

// The states the bodies switch to, and those DestroyEnemy gives the spawn ids
// of this stage (302: 312; 311-313: 305; 380: 111; 390: 102). Spawn ids 301
// and 303 have follow-ups too (305 and 363), but their kinds (39 and 40) have
// no core part, so DestroyEnemy never reaches them.
constexpr i32 kWrittenStates[] = {102, 111,  280,  282,  305,  312,  341,  391,
                                  392, 1301, 1302, 1303, 1304, 1305, 1306, 1307};
// The actions the bodies give parts (the mid-boss's core 390 and 392, the
// armour's wreck 13, the wing craft's wreck 11, the bosses' sets), and those
// part deaths give
// this stage's sprite kinds: smoke 11 and 13, 339 for a tower shot off a
// fortress while it stands, 380 for the fortress's core, and the split of the
// long craft's hatches (1325 with new parts of 1311, 1312 and 1313) and the
// fortress's domes in its last phase (1308).
constexpr i32 kWrittenActions[] = {0,    11,   13,   338,  339,  370,  374,  375,  380,  390,  392,  1301, 1302, 1303,
                                   1304, 1306, 1307, 1308, 1309, 1310, 1311, 1312, 1313, 1320, 1325, 1330, 1331};
// The jet craft's facings, the fortress's last part, and the split hatches
// with their new parts.
constexpr i32 kWrittenSpriteKinds[] = {308, 351, 355, 356, 357, 397, 398, 399};

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
