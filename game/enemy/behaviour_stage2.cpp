// The behaviour of the enemies of stage index 1: one row per state id in the
// table at the end, each calling the small function of its state.
//
// A state body does its work in the order it is written, and that order is
// part of the behaviour. Many bodies take the age's events first, then move,
// then test their exit; others move first: the gunships, the tri-hull and the
// carriers move and test their exit before they look for a crippling hit, and
// the swayers and climbers change their speed after the step (the change
// shows from the next frame). `age` is always the age the step sees (a write
// of the age inside the body shows from the next step on).
#include <cmath>
#include <numbers>

#include "engine/core/radians.h"
#include "engine/core/random.h"
#include "game/enemy/enemy_behaviour.h"
#include "game/enemy/enemy_content.h"
#include "game/play/effects.h"
#include "game/play/part_death.h"
#include "game/play/play_overlays.h"
#include "game/play/shots.h"
#include "game/play/talk.h"
#include "game/shell/game_math.h"
#include "game/shell/play_state.h"
#include "game/shell/sound_effects.h"
#include "game/shell/sound_names.h"
#include "game/shell/story_flags.h"

namespace {

constexpr f32 kQuarterPi = 0.7853982f;
constexpr f32 kThreeQuarterPi = 2.3561945f;

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
    WanderUpperField(enemy, age, 0.02f);
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

// ---- The boss (kind 102, spawn id 210) ----

constexpr f32 kFinalTurnLow = 1.0471976f;   // pi/3
constexpr f32 kFinalTurnHigh = 2.0943952f;  // 2 pi/3
constexpr i32 kEscortSpawnId = 211;

// The spaced sound of the boss's steps.
void BossSound() { PlaySpacedSound(kSoundSenMiBarukan, 179); }

// k of the bonus formulas: phase, break and kill bonus (paid ten times).
i32 PhaseBonus() { return 30 * (PlayerScoreMultiplier() + PlayerLives() + 10); }
i32 BreakBonus() { return 30 * (PlayerScoreMultiplier() + PlayerLives()) + 200; }
i32 KillBonus() { return 30 * (PlayerLives() + 2 * PlayerScoreMultiplier()) + 500; }

// The targets and attackers of each phase's opening.
constexpr HitShape kGunShape{40, 20, 0};
constexpr BossPhaseTarget kPhase1Targets[] = {
    {.root = 4, .shape = {50, 20, 0}},
    {.root = 7, .shape = kGunShape, .action = 280, .timer = 0},
    {.root = 8, .shape = kGunShape, .action = 280, .timer = 20},
    {.root = 9, .shape = kGunShape, .action = 280, .timer = 40},
    {.root = 10, .shape = kGunShape, .action = 280, .timer = 60},
};
constexpr BossPhaseAttacker kPhase1Attackers[] = {{.root = 2, .action = 281}, {.root = 3, .action = 282}};
constexpr BossPhaseTarget kPhase2Targets[] = {
    {.root = 0, .shape = {40, 30, 0}, .action = 287, .timer = kKeepTimer},
    {.root = 5, .shape = {40, 60, 0}},
    {.root = 6, .shape = {40, 60, 0}},
};
constexpr BossPhaseAttacker kPhase2Attackers[] = {{.root = 2, .action = 285, .timer = kKeepTimer},
                                                  {.root = 3, .action = 286, .timer = kKeepTimer}};
constexpr BossPhaseTarget kPhase3Targets[] = {
    {.root = 1, .shape = {50, 30, 40}, .action = 288, .timer = kKeepTimer},
    {.root = 2, .shape = {30, 40, 0}},
    {.root = 3, .shape = {30, 40, 0}},
};
constexpr BossPhaseTarget kForm294Targets[] = {{.root = 1, .shape = {50, 30, 40}, .action = 292, .hp = 4200}};
constexpr BossPhaseAttacker kForm294Attackers[] = {{.root = 0, .action = 293}};
constexpr BossPhaseTarget kForm295Targets[] = {
    {.root = 1, .shape = {50, 30, 40}, .action = 289, .hp = 3600, .markerFrames = 200},
    {.root = 4, .shape = {50, 20, 0}, .action = 290, .hp = 1800, .markerFrames = 200},
    {.root = 7, .shape = kGunShape, .action = 291, .timer = 0, .revive = true, .spriteKind = 257, .markerFrames = 200},
    {.root = 8, .shape = kGunShape, .action = 291, .timer = 20, .revive = true, .spriteKind = 257, .markerFrames = 200},
    {.root = 9, .shape = kGunShape, .action = 291, .timer = 40, .revive = true, .spriteKind = 257, .markerFrames = 200},
    // clang-format off
    {.root = 10, .shape = kGunShape, .action = 291, .timer = 60, .revive = true, .spriteKind = 257,
     .markerFrames = 200},
    // clang-format on
};

// Heading and rotation both.
void Face(Enemy& e, f32 angle) {
    e.heading = angle;
    e.rotation = angle;
}

// Places the boss for the next stretch of its fight: the age jumps within its
// state, the position, speed and facing as given.
void Place(i32 enemy, i32 age, f32 x, f32 y, f32 speed, f32 facing) {
    Enemy& e = EnemyRecord(enemy);
    e.age = age;
    e.x = x;
    e.y = y;
    e.speed = speed;
    Face(e, facing);
}

// A break between phases: silenced, the side parts given their swings, the
// phase or break bonus.
void BreakToNextPhase(i32 enemy, i32 next, i32 bonus) {
    BeginBossPhaseBreak(enemy, next);
    SilenceRootParts(enemy);
    RootPart(enemy, 2).action = 283;
    RootPart(enemy, 3).action = 284;
    PayBossPhaseBonus(kEffectPhaseBonus, bonus);
}

// Every escort (spawn id 211) is destroyed and erased; the boss's index
// after the erasures.
i32 ClearEscorts(i32 boss) {
    for (i32 i = 0; i < static_cast<i32>(g_EnemyList.size());) {
        if (EnemyRecord(i).spawnId != kEscortSpawnId) {
            ++i;
            continue;
        }
        DestroyEnemy(i);
        g_EnemyList.erase(g_EnemyList.begin() + i);
        if (i < boss) --boss;
    }
    return boss;
}

// The start of the boss's death (299) or sinking (298): inactive, root part 4
// shows its wreck, the kill bonus.
void BeginEnding(i32 enemy, i32 state) {
    BeginBossPhaseBreak(enemy, state, kLeaveBossActiveFlag);
    RootPart(enemy, 4).spriteKind = 260;
}

// Root part 1 destroyed in the third phase or its hover: the explosion.
void ExplodeFromPhase3(i32 enemy, bool smokeRoot0) {
    BeginEnding(enemy, 299);
    if (smokeRoot0) RootPart(enemy, 0).action = 11;
    SilenceRootParts(enemy);
    StartTalkEvent(224);
    PayBossPhaseBonus(kEffectDefeatBonus, KillBonus());
    ClearEscorts(enemy);
}

// Root parts 0, 2 and 3 destroyed with root part 1 standing: the boss sinks
// away.
void SinkFromPhase3(i32 enemy) {
    BeginEnding(enemy, 298);
    StartTalkEvent(225);
    PayBossPhaseBonus(kEffectDefeatBonus, KillBonus());
    SilenceRootParts(ClearEscorts(enemy));
}

// Root part 1 destroyed in a final form: the explosion (talk 224 or 226).
void ExplodeFromFinalForm(i32 enemy, i32 talk) {
    BeginEnding(enemy, 299);
    if (talk == 226) StartTalkEvent(talk);
    SilenceRootParts(enemy);
    RootPart(enemy, 2).action = 283;
    RootPart(enemy, 3).action = 284;
    if (talk == 224) StartTalkEvent(talk);
    PayBossPhaseBonus(kEffectDefeatBonus, KillBonus());
}

// The final form the boss takes: 294 when root part 4 was shot in phase 1.
i32 FinalForm(i32 enemy) { return RootDestroyed(enemy, 4) ? 294 : 295; }

// 290: the boss crosses the field upward at half size and leaves at the top.
bool StepBossRise(i32 enemy, i32 age) {
    if (age < 150) EnemyRecord(enemy).y -= 5.0f;
    BossSound();
    if (age == 150) {
        SetEnemyState(enemy, 291);
        for (i32 r = 0; r < kPartLinks; ++r) {
            EnemyPart* part = RootPartAt(enemy, r);
            if (part == nullptr) break;
            part->hitShape = HitShape{};
        }
    }
    return true;
}

// 291, phase 1: it comes down and sways between two random points; its guns
// (root parts 7-10) are the targets.
bool StepBossPhase1(i32 enemy, i32 age) {
    if (age >= 1000 && g_GameState.StoryFlags[kStoryBossFirstPhaseTalkShown] == 0 && g_TalkState.active == 0) {
        StartTalkEvent(228);
    }
    if (age == 400) {
        EnemyRecord(enemy).age = 1000;
        OpenBossPhase(enemy, 0, kAllRootParts, kPhase1Targets, kPhase1Attackers);
    }
    Enemy& e = EnemyRecord(enemy);
    if (age < 1000) {
        if (age == 1) {
            Face(e, kDown);
            e.y = -150.0f;
            e.scale = 0.8f;
            e.speed = 0.0f;
        }
        if (age < 400) e.y += 0.5f;
        e.x += e.speed;
        e.y += SwayOffset(age, 1.0f, 400);
    } else {
        const i32 k = (age - 1000) % 800;
        if (k == 0) {
            const f32 tx = RandomFloat(180.0f, 300.0f);
            e.speed = (tx - e.x) * 0.0025f;
        } else if (k == 400) {
            const f32 tx = RandomFloat(340.0f, 460.0f);
            e.speed = (tx - e.x) * 0.0025f;
        }
        e.x += e.speed;
        e.y += SwayOffset(age - 1000, 1.0f, 400);
    }
    if (AllRootsDestroyed(enemy, {7, 8, 9, 10})) BreakToNextPhase(enemy, 292, PhaseBonus());
    BossSound();
    return true;
}

// 292, phase 2: it climbs off the top, then dives twice across the field and
// climbs back, root parts 0, 5 and 6 its targets.
void Phase2Dive(i32 enemy, i32 age, f32 turnTarget) {
    Enemy& e = EnemyRecord(enemy);
    const i32 k = age % 1000;
    if (k < 200) {
        if (e.speed > -0.5f) e.speed -= 0.04f;
        StepStraight(enemy);
        if (e.speed < 0.0f) {
            TurnTowardAngle(&e.heading, turnTarget, 0.01f);
            e.rotation = e.heading;
        }
    } else {
        if (k == 201) e.speed = -3.0f;
        if (e.speed < 10.0f) e.speed += 0.1f;
        StepStraight(enemy);
    }
}
void Phase2Climb(i32 enemy, i32 age, f32 side) {
    Enemy& e = EnemyRecord(enemy);
    e.y -= 1.5f;
    e.x += side * static_cast<f32>(std::cos(2.0L * std::numbers::pi_v<f80> * static_cast<f80>(age % 200) / 200.0L));
    if (e.y < 100.0f) e.y -= 1.0f;
}
bool StepBossPhase2(i32 enemy, i32 age) {
    Enemy& e = EnemyRecord(enemy);
    if (age < 1000) {
        if (age == 1) {
            Face(e, kDown);
            e.speed = 0.0f;
        }
        e.speed += 0.05f;
        e.y -= e.speed;
        if (e.y < -200.0f) {
            Place(enemy, 1000, 200.0f, -150.0f, 5.0f, EnemyRecord(enemy).heading);
            OpenBossPhase(enemy, 0, kAllRootParts, kPhase2Targets, kPhase2Attackers);
        }
    } else if (age < 2000) {
        Phase2Dive(enemy, age, kQuarterPi);
        if (EnemyRecord(enemy).y > 680.0f) Place(enemy, 3000, 320.0f, 630.0f, EnemyRecord(enemy).speed, kUp);
    } else if (age < 3000) {
        Phase2Dive(enemy, age, kThreeQuarterPi);
        if (EnemyRecord(enemy).y > 680.0f) Place(enemy, 4000, 320.0f, 630.0f, EnemyRecord(enemy).speed, kUp);
    } else if (age < 4000) {
        Phase2Climb(enemy, age, 1.0f);
        if (EnemyRecord(enemy).y < -150.0f) Place(enemy, 2000, 440.0f, -150.0f, 5.0f, kDown);
    } else {
        Phase2Climb(enemy, age, -1.0f);
        if (EnemyRecord(enemy).y < -150.0f) Place(enemy, 1000, 200.0f, -150.0f, 5.0f, kDown);
    }
    if (AllRootsDestroyed(enemy, {5, 6})) BreakToNextPhase(enemy, 293, PhaseBonus());
    BossSound();
    return true;
}

// The exits of the third phase (293) and its hover (296) once its side parts
// are shot: the sinking when root part 0 is gone too, else a final form.
void EndPhase3BySides(i32 enemy, bool fromHover) {
    if (RootDestroyed(enemy, 0)) {
        if (fromHover) {
            RootPart(enemy, 0).action = 0;
            RootPart(enemy, 1).action = 0;
        }
        SinkFromPhase3(enemy);
    } else if (fromHover) {
        BeginBossPhaseBreak(enemy, FinalForm(enemy));
        ClearEnemyBulletsAndShells();
        SilenceRootParts(enemy);
    } else {
        const i32 form = FinalForm(enemy);
        BeginBossPhaseBreak(enemy, form);
        SilenceRootParts(enemy);
        PayBossPhaseBonus(kEffectPhaseBonus, BreakBonus());
    }
}

// 293, phase 3: two passes across the field, root parts 1, 2 and 3 its
// targets; then the hover (296).
bool StepBossPhase3(i32 enemy, i32 age) {
    Enemy& e = EnemyRecord(enemy);
    if (age < 1000) {
        if (age == 1) e.speed = static_cast<f32>(static_cast<f80>(0.005f) * HeadToward(enemy, 700.0f, 100.0f));
        TurnTowardAngle(&e.rotation, 0.0f, 0.005f);
        StepStraight(enemy);
        if (age == 200) {
            Place(enemy, 1000, 720.0f, 100.0f, 2.0f, kPi);
            OpenBossPhase(enemy, 0, kAllRootParts, kPhase3Targets, {}, {.bossActiveFlag = kLeaveBossActiveFlag});
            PlaySoundEffect(kSoundAniGeToriWing02);
        }
    } else if (age < 2000) {
        e.speed += 0.03f;
        StepStraight(enemy);
        if (EnemyRecord(enemy).x < -200.0f) {
            const f32 y = EnemyRecord(enemy).y > 340.0f ? 100.0f : g_PlayerState[0].y;
            Place(enemy, 2000, -120.0f, y, 2.0f, 0.0f);
            PlaySoundEffect(kSoundAniGeToriWing02);
        }
    } else if (age < 3000) {
        e.speed += 0.03f;
        StepStraight(enemy);
        if (EnemyRecord(enemy).x > 720.0f) {
            SetEnemyState(enemy, 296);
            Place(enemy, 0, 320.0f, -200.0f, 8.0f, kDown);
        }
    }
    BossSound();
    if (RootDestroyed(enemy, 1)) {
        ExplodeFromPhase3(enemy, false);
    } else if (AllRootsDestroyed(enemy, {2, 3})) {
        EndPhase3BySides(enemy, false);
    }
    return true;
}

// 296, the hover of phase 3, with its time-out 600 frames in.
bool StepBossHover(i32 enemy, i32 age) {
    Enemy& e = EnemyRecord(enemy);
    if (age < 1000) {
        e.speed -= 0.1f;
        e.y += e.speed;
        if (age > 10 && e.speed <= 1.5f) {
            e.age = 1000;
            g_GameState.BossActiveFlag = 0;
        }
    } else {
        e.x += SwayOffset(age - 1000, 0.5f, 700);
        e.y -= static_cast<f32>(
            1.5L * std::cos(2.0L * std::numbers::pi_v<f80> * static_cast<f80>((age - 1000) % 400) / 400.0L));
        if (age > 1600 && !RootDestroyed(enemy, 0)) {
            RootPart(enemy, 2).state = -1;
            RootPart(enemy, 3).state = -1;
            RootPart(enemy, 1).action = 0;
        } else if (age == 1601) {
            RootPart(enemy, 0).action = 293;
            RootPart(enemy, 0).timer = 0;
            RootPart(enemy, 1).action = 295;
            RootPart(enemy, 1).timer = 0;
        }
    }
    BossSound();
    if (RootDestroyed(enemy, 1)) {
        ExplodeFromPhase3(enemy, true);
    } else if (AllRootsDestroyed(enemy, {2, 3})) {
        EndPhase3BySides(enemy, true);
    }
    return true;
}

// The lead-in of the final forms: it rises out of the top, turning downward.
void RiseOut(i32 enemy, i32 age) {
    Enemy& e = EnemyRecord(enemy);
    if (age == 1) e.speed = 0.0f;
    e.speed += 0.05f;
    e.y -= e.speed;
    TurnTowardAngle(&e.rotation, kDown, 0.005f);
}

// The fight of the final forms: it drops in, sways and aims at the player
// within a third of pi of straight down; talk 227 once after 2000 frames.
void Hover(i32 enemy, i32 age) {
    Enemy& e = EnemyRecord(enemy);
    if (age < 1200) e.y += 1.0f;
    e.x += SwayOffset(age - 1000, 0.75f, 900);
    e.y += SwayOffset(age - 1000, 0.75f, 400);
    TurnToPlayer(enemy, &Enemy::rotation, 0.005f);
    Enemy& turned = EnemyRecord(enemy);
    if (turned.rotation < kFinalTurnLow) turned.rotation = kFinalTurnLow;
    if (turned.rotation > kFinalTurnHigh) turned.rotation = kFinalTurnHigh;
    if (age > 3000 && g_GameState.MissCount < 2 && g_GameState.StoryFlags[kStoryBossFinalFormTalkShown] == 0 &&
        g_TalkState.active == 0) {
        StartTalkEvent(227);
    }
}

// 294 and 295: the final forms, by whether root part 4 stands.
bool StepBossFinalForm(i32 enemy, i32 age, bool form295) {
    if (age < 1000) {
        RiseOut(enemy, age);
        if (EnemyRecord(enemy).y < -200.0f) {
            Place(enemy, 1000, 200.0f, -150.0f, 5.0f, kDown);
            if (form295) {
                OpenBossPhase(enemy, 0, -1, kForm295Targets, {});
                StartTalkEvent(223);
            } else {
                const bool armed = g_GameState.Difficulty >= kDifficultyNormal;
                OpenBossPhase(enemy, 0, kAllRootParts, kForm294Targets,
                              armed ? std::span<const BossPhaseAttacker>(kForm294Attackers)
                                    : std::span<const BossPhaseAttacker>());
            }
        }
    } else {
        Hover(enemy, age);
    }
    if (RootDestroyed(enemy, 1)) ExplodeFromFinalForm(enemy, form295 ? 226 : 224);
    BossSound();
    return true;
}

// 298: the boss sinks away, aiming at the player.
bool StepBossSinking(i32 enemy, i32 age) {
    Enemy& e = EnemyRecord(enemy);
    if (age > 200 && e.y < 700.0f) e.y += static_cast<f32>(age - 200) * 0.04f;
    TurnToPlayer(enemy, &Enemy::rotation, 0.003f);
    if (age == 400) return RemoveBossWithFade(enemy);
    return true;
}

// 299: the boss explodes and falls.
bool StepBossExplosion(i32 enemy, i32 age) {
    if (age == 1) SpawnExplosionChain(enemy, 10);
    if (age >= 100 && age <= 200 && age % 50 == 0) {
        g_GameState.ScreenShakeTimer = 30;
        PlaySoundEffect(kSoundSenGeBom05);
        const f32 cx = EnemyRecord(enemy).x + RandomFloat(-100.0f, 100.0f);
        const f32 cy = EnemyRecord(enemy).y + RandomFloat(-100.0f, 100.0f);
        const f32 centre[2] = {cx, cy};
        SpawnEffectBurst(10, centre, -50.0f, 50.0f, -50.0f, 50.0f, 2);
    }
    EnemyRecord(enemy).y += 1.0f;
    if (age == 300) {
        SpawnExplosionChain(enemy, 30);
        return RemoveBossWithFade(enemy);
    }
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
    {290, StepBossRise},
    {291, StepBossPhase1},
    {292, StepBossPhase2},
    {293, StepBossPhase3},
    {294, [](i32 e, i32 age) { return StepBossFinalForm(e, age, false); }},
    {295, [](i32 e, i32 age) { return StepBossFinalForm(e, age, true); }},
    {296, StepBossHover},
    {298, StepBossSinking},
    {299, StepBossExplosion},
};

// The states the bodies switch to, and those DestroyEnemy gives the second
// mid-boss (spawn id 202: 111) and the boss (210: 299).
constexpr i32 kWrittenStates[] = {111, 211, 280, 282, 291, 292, 293, 294, 295, 296, 298, 299};
// The actions the bodies give parts, and the wrecks part deaths give this
// stage's sprite kinds.
constexpr i32 kWrittenActions[] = {0,   11,  13,  280, 281, 282, 283, 284, 285,
                                   286, 287, 288, 289, 290, 291, 292, 293, 295};
// The sprite kinds the bodies swap in.
constexpr i32 kWrittenSpriteKinds[] = {231, 232, 233, 257, 260};

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
