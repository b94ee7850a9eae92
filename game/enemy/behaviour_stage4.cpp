// The behaviour of the enemies of stage index 3: one row per state id in the
// table at the end, each calling the small function of its state.
//
// Within a state body the motion comes first, then the age's events, then the
// exit tests (so a burst's centre is taken after this frame's motion); `age`
// is always the age the step sees (a write of the age inside the body shows
// from the next step on). Effects are placed at the enemy's own x: the stage
// has no horizontal field offset.
#include <cmath>
#include <initializer_list>
#include <span>

#include "engine/core/radians.h"
#include "engine/core/random.h"
#include "game/enemy/enemy_behaviour.h"
#include "game/enemy/enemy_content.h"
#include "game/play/effects.h"
#include "game/play/shots.h"
#include "game/play/talk.h"
#include "game/shell/game_math.h"
#include "game/shell/play_state.h"
#include "game/shell/sound_effects.h"
#include "game/shell/sound_names.h"
#include "game/shell/story_flags.h"

namespace {

// ---- Shared motions ----

// Turns the heading or the rotation toward straight up by at most `step`.
void TurnUp(i32 enemy, f32 Enemy::*field, f32 step) {
    f32 angle = EnemyRecord(enemy).*field;
    TurnTowardAngle(&angle, kUp, step);
    EnemyRecord(enemy).*field = angle;
}

// The climb of 507 and 522 after their opening: at age 200 the heading takes
// the rotation and the speed grows by 0.2; after it the enemy turns up and
// speeds up to 4; until then it faces the player while slower than 1.
void TurnAndClimb(i32 enemy, i32 age) {
    Enemy& e = EnemyRecord(enemy);
    if (age == 200) {
        e.heading = e.rotation;
        e.speed += 0.2f;
    }
    if (age > 200) {
        TurnUp(enemy, &Enemy::rotation, 0.05f);
        Enemy& climbing = EnemyRecord(enemy);
        climbing.heading = climbing.rotation;
        climbing.speed += 0.2f;
        if (climbing.speed > 4.0f) climbing.speed = 4.0f;
    } else if (EnemyRecord(enemy).speed < 1.0f) {
        TurnToPlayer(enemy, &Enemy::rotation, 0.01f);
    }
    StepStraight(enemy);
}

// The burst a wreck leaves when it is gone: `count` explosions around its
// place, one every two frames, then the big explosion's sound.
bool BurstAway(i32 enemy, i32 count, f32 rx, f32 ry) {
    const f32 centre[2] = {EnemyRecord(enemy).x, EnemyRecord(enemy).y};
    SpawnEffectBurst(count, centre, -rx, rx, -ry, ry, 2);
    RemoveEnemy(enemy);
    PlaySoundEffect(kSoundSenGeBom05);
    return false;
}

bool OutsideSides(const Enemy& e) { return e.x < 0.0f || e.x > 640.0f; }

// ---- The ordinary enemies ----

// 501: a swaying descent that crosses the top and bottom bands fast.
bool StepSwayingFall(i32 enemy, i32 age) {
    Enemy& e = EnemyRecord(enemy);
    e.x += SwayOffset(age, 1.5f, 200);
    f32 k = 1.0f;
    if (e.y < 50.0f || e.y > 350.0f) {
        k = 3.0f;
    } else if (e.y < 150.0f) {
        k = 0.5f;
    }
    e.y += e.speed * k;
    if (age > 800 || e.y > 580.0f) return EscapeEnemy(enemy);
    return true;
}

// 502: a swaying descent that faces the player.
bool StepSwayingAimer(i32 enemy, i32 age) {
    EnemyRecord(enemy).x += SwayOffset(age, 1.5f, 200);
    TurnToPlayer(enemy, &Enemy::rotation, 0.02f);
    Enemy& e = EnemyRecord(enemy);
    e.y += (e.y < 50.0f || e.y > 400.0f) ? e.speed * 3.0f : e.speed;
    if (age > 600) return EscapeEnemy(enemy);
    return true;
}

// 505 and 506: a circling entry from the side, one full turn of the sprite,
// then facing the player (`sign` -1 from the left edge, +1 from the right).
bool StepCirclingEntry(i32 enemy, i32 age, f32 sign) {
    Enemy& e = EnemyRecord(enemy);
    if (age < 50) {
        e.rotation = e.heading;
    } else if (age < 100) {
        e.rotation += sign * 0.12566371f;
    } else {
        TurnToPlayer(enemy, &Enemy::rotation, 0.05f);
    }
    Enemy& c = EnemyRecord(enemy);
    c.heading -= sign * 0.02f;
    if (c.speed > 2.0f) c.speed -= 0.03f;
    if (age > 200) c.speed += 0.1f;
    StepStraight(enemy);
    if (age > 300) return EscapeEnemy(enemy);
    return true;
}

// 507: a run that brakes to a backward drift, aims, and climbs away.
bool StepBrakingRun(i32 enemy, i32 age) {
    if (age < 75) EnemyRecord(enemy).speed -= 0.1f;
    TurnAndClimb(enemy, age);
    if (age > 200 && EnemyRecord(enemy).y < -100.0f) return RemoveEnemy(enemy);
    return true;
}

// 510: a straight fall.
bool StepFall(i32 enemy, i32) {
    Enemy& e = EnemyRecord(enemy);
    e.y += e.speed;
    if (e.y > 550.0f) return EscapeEnemy(enemy);
    return true;
}

// 511 and 537: a wreck that falls (511 also shrinks) and bursts after 100
// frames.
bool StepWreck(i32 enemy, i32 age, f32 shrink, i32 count, f32 rx) {
    Enemy& e = EnemyRecord(enemy);
    e.scale -= shrink;
    e.y += e.speed;
    e.speed += 0.02f;
    if (age > 100) return BurstAway(enemy, count, rx, 50.0f);
    return true;
}

// 512: a climb from below; the enemy keeps itself ahead of every enemy whose
// spawn id is not 511.
bool StepFrontRunner(i32 enemy, i32) {
    Enemy& e = EnemyRecord(enemy);
    if (e.speed > 0.5f) e.speed -= 0.01f;
    if (e.y < 50.0f) e.speed += 0.05f;
    StepStraight(enemy);
    for (i32 ahead = 0; ahead < enemy; ++ahead) {
        if (EnemyRecord(ahead).spawnId != 511) return MoveEnemyToFront(enemy);
    }
    if (EnemyRecord(enemy).y < -100.0f) return RemoveEnemy(enemy);
    return true;
}

// 515: a straight crossing.
bool StepCrossing(i32 enemy, i32 age) {
    StepStraight(enemy);
    const Enemy& e = EnemyRecord(enemy);
    if (e.y > 550.0f || (age > 100 && OutsideSides(e))) return RemoveEnemy(enemy);
    return true;
}

// 520 and 521: a run that brakes while it bends (`bend` per frame), aims
// and speeds off.
bool StepBendingRun(i32 enemy, i32 age, f32 bend) {
    Enemy& e = EnemyRecord(enemy);
    if (age < 200) {
        if (e.speed > 0.2f) {
            e.speed -= 0.05f;
            if (age < 100) e.heading += bend;
        }
    } else if (age > 400) {
        e.speed += 0.1f;
    } else {
        TurnToPlayer(enemy, &Enemy::rotation, 0.02f);
    }
    StepStraight(enemy);
    if (age > 500) return EscapeEnemy(enemy);
    return true;
}

// 522: a run that turns up while it brakes, aims and climbs away.
bool StepRisingRun(i32 enemy, i32 age) {
    if (age < 75) {
        TurnUp(enemy, &Enemy::heading, 0.015f);
        if (EnemyRecord(enemy).speed > 0.5f) EnemyRecord(enemy).speed -= 0.1f;
    }
    TurnAndClimb(enemy, age);
    if (age > 200 && EnemyRecord(enemy).y < -100.0f) return EscapeEnemy(enemy);
    return true;
}

// 530: a carrier that stops, drifts back and grows to full scale, when it
// becomes a target.
bool StepGrowingCarrier(i32 enemy, i32 age) {
    Enemy& e = EnemyRecord(enemy);
    if (e.speed > -0.2f) e.speed -= 0.01f;
    if (age > 800) e.speed -= 0.02f;
    if (age > 150 && e.scale < 1.0f) {
        e.scale += 0.005f;
        if (e.scale >= 1.0f) e.active = 1;
    }
    StepStraight(enemy);
    if (age > 200 && EnemyRecord(enemy).y < -100.0f) return EscapeEnemy(enemy);
    return true;
}

// 535: scenery that creeps down and then climbs away.
bool StepCreeper(i32 enemy, i32 age) {
    if (age < 700) {
        EnemyRecord(enemy).y += 0.2f;
    } else {
        EnemyRecord(enemy).speed += 0.1f;
        TurnUp(enemy, &Enemy::heading, 0.05f);
    }
    StepStraight(enemy);
    if (EnemyRecord(enemy).y < -50.0f) return RemoveEnemy(enemy);
    return true;
}

// 536: the side-gun craft brakes, hovers and climbs out of the top.
bool StepSideGunner(i32 enemy, i32 age) {
    Enemy& e = EnemyRecord(enemy);
    if (age < 300) {
        if (e.speed > 0.0f) e.speed -= 0.03f;
        e.y += e.speed;
    } else if (age < 400) {
        e.y -= 0.25f;
    } else {
        e.y -= static_cast<f32>(age - 400) * 0.02f;
    }
    if (age > 300 && e.y < -100.0f) return EscapeEnemy(enemy);
    return true;
}

// ---- The recurring mid-boss (kind 1) ----

// The random drift of its fights: a new point every 150 frames (age 0
// included), the last 49 frames of each braking, facing the player.
void RandomDrift(i32 enemy, i32 age) {
    if (age % 150 == 0) {
        const f32 tx = RandomFloat(200.0f, 440.0f);
        const f32 ty = RandomFloat(50.0f, 200.0f);
        SetOffToward(enemy, tx, ty);
    }
    WanderStep(enemy, age, 0.02f);
}

// The opening of a fight at age 100: the centre (root 2) gets its pattern,
// unless it was already destroyed (its wreck keeps its smoke), the enemy
// becomes a target and the named roots lose their hit shapes.
void OpenFight(i32 enemy, i32 action, std::initializer_list<i32> zeroed) {
    if (!RootDestroyed(enemy, 2)) RootPart(enemy, 2).action = action;
    EnemyRecord(enemy).active = 1;
    for (const i32 r : zeroed) RootPart(enemy, r).hitShape = HitShape{};
}

// Bonus A's K.
i32 BonusA() { return 30 * (PlayerLives() + 2 * PlayerScoreMultiplier()) + 200; }

// A broken fight: the mid-boss stops facing where it looks, the centre's
// fall (`wrecked`) destroys every root, the talk, and bonus A with effect 64.
bool BreakFight(i32 enemy, i32 nextState, i32 talk, bool wrecked) {
    BeginBossPhaseBreak(enemy, nextState);
    Enemy& e = EnemyRecord(enemy);
    e.speed = 0.0f;
    e.heading = e.rotation;
    if (wrecked) {
        for (i32 r = 0; r <= 4; ++r) RootPart(enemy, r).state = -1;
    }
    StartTalkEvent500(talk);
    PayBossPhaseBonus(kEffectDefeatBonus, BonusA());
    return true;
}

// 540: the first pass, at half scale, curving across the field.
bool StepMidBossPass(i32 enemy, i32 age) {
    Enemy& e = EnemyRecord(enemy);
    if (age > 80 && age < 140) {
        e.speed -= 0.05f;
        e.heading -= 0.05f;
    } else {
        e.speed += 0.05f;
    }
    e.heading -= 0.02f;
    e.rotation = e.heading;
    StepStraight(enemy);
    const Enemy& after = EnemyRecord(enemy);
    if (after.y > 550.0f || (age > 100 && OutsideSides(after))) return RemoveEnemy(enemy);
    return true;
}

// 541: the first fight; it breaks when the two rear blocks (roots 0, 1) fall.
bool StepMidBossFight1(i32 enemy, i32 age) {
    RandomDrift(enemy, age);
    if (age == 100) {
        OpenFight(enemy, 530, {2, 3, 4});
        StartTalkEvent500(g_GameState.MissCount == 0 ? 532 : 531);
    }
    if (AllRootsDestroyed(enemy, {0, 1})) return BreakFight(enemy, 543, 533, false);
    return true;
}

// 544: the second fight: the centre's fall sinks it, the front blocks' fall
// (roots 3, 4) sends it away.
bool StepMidBossFight2(i32 enemy, i32 age) {
    RandomDrift(enemy, age);
    if (age == 100) {
        OpenFight(enemy, 531, {0, 1});
        RootPart(enemy, 0).state = -1;
        RootPart(enemy, 1).state = -1;
        StartTalkEvent500(536);
    }
    if (RootDestroyed(enemy, 2)) return BreakFight(enemy, 542, 537, true);
    if (AllRootsDestroyed(enemy, {3, 4})) return BreakFight(enemy, 543, 539, false);
    return true;
}

// 545: the third fight: only the centre can be hit; after 1400 frames the
// mid-boss gives up and leaves (546).
bool StepMidBossFight3(i32 enemy, i32 age) {
    RandomDrift(enemy, age);
    if (age == 100) {
        OpenFight(enemy, 532, {0, 1, 3, 4});
        StartTalkEvent500(535);
    }
    if (RootDestroyed(enemy, 2)) return BreakFight(enemy, 542, 538, true);
    if (age > 1400) {
        EnemyRecord(enemy).active = 0;
        SetEnemyState(enemy, 546);
        EnemyRecord(enemy).heading = EnemyRecord(enemy).rotation;
        StartTalkEvent500(541);
        for (i32 r = 0; r <= 4; ++r) RootPart(enemy, r).action = 13;
        ClearEnemyBulletsAndShells();
    }
    return true;
}

// 542: the mid-boss sinks out of the field.
bool StepMidBossSinking(i32 enemy, i32 age) {
    Enemy& e = EnemyRecord(enemy);
    e.y += static_cast<f32>(age) * 0.02f;
    if (e.y >= 520.0f) return RemoveEnemy(enemy);
    return true;
}

// 543: the mid-boss backs away faster and faster.
bool StepMidBossBackingOff(i32 enemy, i32 age) {
    EnemyRecord(enemy).speed -= 0.025f;
    StepStraight(enemy);
    if (age > 150) return RemoveEnemy(enemy);
    return true;
}

// 546: the mid-boss that outlasted its third fight stops, drifts up and
// leaves through the top.
bool StepMidBossLeaving(i32 enemy, i32 age) {
    TurnToPlayer(enemy, &Enemy::rotation, 0.01f);
    Enemy& e = EnemyRecord(enemy);
    if (age < 100) {
        if (e.speed > 0.0f) e.speed -= 0.05f;
        if (e.speed < 0.0f) e.speed += 0.05f;
        StepStraight(enemy);
        return true;
    }
    if (age < 500 && e.y > 50.0f) {
        e.y -= 0.2f;
    } else {
        e.y += 1.5f - static_cast<f32>(age - 500) * 0.05f;
    }
    if (e.y < -200.0f) return RemoveEnemy(enemy);
    return true;
}

// ---- The stage's boss (kind 99) ----
//
// Root parts 0 to 12 and children 0 to 5 of root part 6 (the centre) are
// addressed by position. Each phase travels to its point and opens there
// (592 at its first step), then hovers from age 1001 on; the break tests run
// in every step.

// 589: the boss's preview, rising from below and growing.
bool StepBossPreview(i32 enemy, i32) {
    Enemy& e = EnemyRecord(enemy);
    e.speed += 0.01f;
    e.scale += 0.0015f;
    e.y -= e.speed;
    if (e.y < -200.0f) return RemoveEnemy(enemy);
    return true;
}

constexpr i32 kCentre = 6;
constexpr HitShape kPlateShape{80, 20, 0};

// Bonus B's and bonus C's K.
i32 BonusB() { return 30 * (PlayerScoreMultiplier() + PlayerLives() + 10); }
i32 BonusC() { return 50 * (PlayerScoreMultiplier() + 10) + 30 * PlayerLives(); }

// A phase of the boss: its point and the speed factor of the approach, the
// ages of its opening and of its stop, its targets and attackers, and the
// amplitudes of its hover.
struct BossPhase {
    f32 px, py, factor;
    i32 opensAt, stopsAt;
    std::span<const BossPhaseTarget> targets;
    std::span<const BossPhaseAttacker> attackers;
    f32 ax, ay;
};

constexpr BossPhaseTarget kTargets590[] = {{.root = 4, .shape = kPlateShape, .action = 550},
                                           {.root = 5, .shape = kPlateShape, .action = 551}};
constexpr BossPhaseAttacker kAttackers590[] = {{.root = kCentre, .action = 549}};
constexpr BossPhaseTarget kTargets591[] = {{.root = 0, .shape = {30, 50, 0}, .action = 552},
                                           {.root = 1, .shape = {30, 50, 0}, .action = 553},
                                           {.root = kCentre, .shape = kPlateShape, .action = 557, .child = 2},
                                           {.root = kCentre, .shape = kPlateShape, .action = 558, .child = 3}};
constexpr BossPhaseAttacker kAttackers591[] = {{.root = 11, .action = 554}, {.root = 12, .action = 554}};
constexpr BossPhaseTarget kTargets592[] = {{.root = 2, .shape = {50, 30, 0}, .action = 552},
                                           {.root = 3, .shape = {50, 30, 0}, .action = 553}};
constexpr BossPhaseTarget kTargets593[] = {{.root = kCentre, .shape = kPlateShape, .action = 550, .child = 0},
                                           {.root = kCentre, .shape = kPlateShape, .action = 551, .child = 1}};
constexpr BossPhaseAttacker kAttackers593[] = {
    {.root = kCentre, .action = 560}, {.root = 7, .action = 562}, {.root = 8, .action = 563}};
constexpr BossPhaseTarget kTargets594[] = {{.root = kCentre, .shape = kPlateShape, .action = 557, .child = 4},
                                           {.root = kCentre, .shape = kPlateShape, .action = 558, .child = 5}};
constexpr BossPhaseAttacker kAttackers594[] = {
    {.root = kCentre, .action = 561}, {.root = 9, .action = 555}, {.root = 10, .action = 556}};

// clang-format off
constexpr BossPhase kPhase590{.px = 320, .py = 0, .factor = 0.0025f, .opensAt = 400, .stopsAt = 400,
                              .targets = kTargets590, .attackers = kAttackers590, .ax = 0.4f, .ay = 0.2f};
constexpr BossPhase kPhase591{.px = 320, .py = 150, .factor = 0.0033333334f, .opensAt = 300, .stopsAt = 300,
                              .targets = kTargets591, .attackers = kAttackers591, .ax = 0.2f, .ay = 0.4f};
constexpr BossPhase kPhase592{.px = 320, .py = -80, .factor = 0.002f, .opensAt = 1, .stopsAt = 500,
                              .targets = kTargets592, .attackers = {}, .ax = 0.4f, .ay = 0.4f};
constexpr BossPhase kPhase593{.px = 320, .py = 50, .factor = 0.0033333334f, .opensAt = 300, .stopsAt = 300,
                              .targets = kTargets593, .attackers = kAttackers593, .ax = 0.2f, .ay = 0.6f};
constexpr BossPhase kPhase594{.px = 320, .py = 150, .factor = 0.0033333334f, .opensAt = 300, .stopsAt = 300,
                              .targets = kTargets594, .attackers = kAttackers594, .ax = 0.2f, .ay = 0.6f};

// Every root part's and the centre's six plates' shapes zeroed, then the
// phase's targets and attackers, and BossActiveFlag 0.
void OpenPhase(i32 enemy, const BossPhase& p) {
    const BossPhaseOpening opening{.zeroChildrenOf = kCentre, .zeroChildFirst = 0, .zeroChildLast = 5, .bossActiveFlag = 0};
    OpenBossPhase(enemy, 0, 12, p.targets, p.attackers, opening);
}
// clang-format on

// The motion of every phase: the approach to its point (aimed at age 1,
// stopped with the age jumping to 1000) with the opening at its age, then
// the hover.
void StepBossPhaseMotion(i32 enemy, i32 age, const BossPhase& p) {
    if (age >= 1000) {
        const i32 t = age - 1000;
        Enemy& e = EnemyRecord(enemy);
        e.x += static_cast<f32>(static_cast<f80>(p.ax) *
                                std::cos(static_cast<f80>(t % 500) * static_cast<f80>(0.012566371f)));
        e.y += static_cast<f32>(static_cast<f80>(p.ay) *
                                std::sin(static_cast<f80>(t % 300) * static_cast<f80>(0.020943951f)));
        return;
    }
    if (age == 1) {
        EnemyRecord(enemy).speed = static_cast<f32>(HeadToward(enemy, p.px, p.py) * static_cast<f80>(p.factor));
    }
    if (age == p.opensAt && p.opensAt < p.stopsAt) OpenPhase(enemy, p);
    StepStraight(enemy);
    if (age == p.stopsAt) {
        EnemyRecord(enemy).speed = 0.0f;
        EnemyRecord(enemy).age = 1000;
        if (age == p.opensAt) OpenPhase(enemy, p);
    }
}

// Action 0 for each of the named root parts that is not destroyed.
void SilenceLiving(i32 enemy, std::initializer_list<i32> roots) {
    for (const i32 r : roots) {
        if (!RootDestroyed(enemy, r)) RootPart(enemy, r).action = 0;
    }
}

bool LongRoute() { return g_GameState.StoryFlags[kStoryFourthMidBossOutlasted] != 0; }

// 590: the first phase: the side plates (roots 4 and 5) guard the centre's
// side shells.
bool StepBoss590(i32 enemy, i32 age) {
    StepBossPhaseMotion(enemy, age, kPhase590);
    if (AllRootsDestroyed(enemy, {4, 5})) {
        BeginBossPhaseBreak(enemy, 591);
        RootPart(enemy, kCentre).action = 0;
        PayBossPhaseBonus(kEffectPhaseBonus, BonusB());
    }
    return true;
}

// 591: the second phase: two plates of the centre and the two spiral turrets
// (roots 11 and 12) must fall; the extra phase (592) follows on the long
// route.
bool StepBoss591(i32 enemy, i32 age) {
    StepBossPhaseMotion(enemy, age, kPhase591);
    if (AllRootsDestroyed(enemy, {11, 12}) && ChildDestroyed(enemy, kCentre, 2) && ChildDestroyed(enemy, kCentre, 3)) {
        const bool longRoute = LongRoute();
        BeginBossPhaseBreak(enemy, longRoute ? 592 : 593, kLeaveBossActiveFlag);
        StartTalkEvent500(longRoute ? 553 : 552);
        g_GameState.BossActiveFlag = 1;
        SilenceLiving(enemy, {0, 1});
        PayBossPhaseBonus(kEffectPhaseBonus, BonusB());
    }
    return true;
}

// 592: the extra phase of the long route: open from its first step while the
// escorts come; it ends on time once the boss is alone, with no bonus.
bool StepBoss592(i32 enemy, i32 age) {
    StepBossPhaseMotion(enemy, age, kPhase592);
    if (age > 1100 && g_EnemyList.size() == 1) {
        BeginBossPhaseBreak(enemy, 593);
        SilenceLiving(enemy, {2, 3});
        ClearEnemyBulletsAndShells();
    }
    return true;
}

// 593: the third phase: the shell drop and two guarded spiral guns (roots 7
// and 8), each guarded by a plate of the centre.
bool StepBoss593(i32 enemy, i32 age) {
    StepBossPhaseMotion(enemy, age, kPhase593);
    if (AllRootsDestroyed(enemy, {7, 8}) && ChildDestroyed(enemy, kCentre, 0) && ChildDestroyed(enemy, kCentre, 1)) {
        BeginBossPhaseBreak(enemy, LongRoute() ? 594 : 595);
        RootPart(enemy, kCentre).action = 0;
        PayBossPhaseBonus(kEffectPhaseBonus, BonusB());
    }
    return true;
}

// The last phase (594, 595): the centre's fall explodes the boss (597); on
// the long route (594) the fall of everything else sinks it away (596).
bool StepBossLastPhase(i32 enemy, i32 age, bool longRoute) {
    StepBossPhaseMotion(enemy, age, kPhase594);
    if (RootDestroyed(enemy, kCentre)) {
        BeginBossPhaseBreak(enemy, 597, kLeaveBossActiveFlag);
        RootPart(enemy, kCentre).action = 0;
        SilenceLiving(enemy, {9, 10});
        for (const i32 c : {4, 5}) {
            if (!ChildDestroyed(enemy, kCentre, c)) ChildPart(enemy, kCentre, c).action = 0;
        }
        RootPart(enemy, 9).state = -1;
        RootPart(enemy, 10).state = -1;
        ChildPart(enemy, kCentre, 4).state = -1;
        ChildPart(enemy, kCentre, 5).state = -1;
        PayBossPhaseBonus(kEffectDefeatBonus, BonusC());
    } else if (longRoute && AllRootsDestroyed(enemy, {9, 10, 0, 1, 2, 3}) && ChildDestroyed(enemy, kCentre, 4) &&
               ChildDestroyed(enemy, kCentre, 5)) {
        BeginBossPhaseBreak(enemy, 596, kLeaveBossActiveFlag);
        RootPart(enemy, kCentre).action = 0;
        PayBossPhaseBonus(kEffectDefeatBonus, BonusC());
    }
    return true;
}

// 596: the boss sinks away.
bool StepBossSinking(i32 enemy, i32 age) {
    Enemy& e = EnemyRecord(enemy);
    if (age > 300 && e.y < 700.0f) e.y += static_cast<f32>(age - 300) * 0.01f;
    if (age == 50) StartTalkEvent500(555);
    if (age == 700) return RemoveBossWithFade(enemy);
    return true;
}

// 597: the boss explodes, four bursts around it and a last great one.
bool StepBossExploding(i32 enemy, i32 age) {
    if (age > 100) EnemyRecord(enemy).y += 0.5f;
    if (age == 50) StartTalkEvent500(554);
    if (age == 200 || age == 300 || age == 400 || age == 500) {
        g_GameState.ScreenShakeTimer = 50;
        PlaySoundEffect(kSoundSenGeBom05);
        const f32 cx = EnemyRecord(enemy).x + RandomFloat(-200.0f, 200.0f);
        const f32 cy = EnemyRecord(enemy).y + RandomFloat(-200.0f, 200.0f);
        const f32 centre[2] = {cx, cy};
        SpawnEffectBurst(10, centre, -50.0f, 50.0f, -50.0f, 50.0f, 2);
    }
    if (age == 700) {
        const f32 centre[2] = {EnemyRecord(enemy).x + g_GameState.FieldScrollX, EnemyRecord(enemy).y};
        SpawnEffectBurst(40, centre, -180.0f, 180.0f, -150.0f, 50.0f, 1);
        return RemoveBossWithFade(enemy);
    }
    return true;
}

// Every state of the stage, in the order of its enemies.
constexpr StateRow kStates[] = {
    {501, StepSwayingFall},
    {502, StepSwayingAimer},
    {505, [](i32 e, i32 age) { return StepCirclingEntry(e, age, -1.0f); }},
    {506, [](i32 e, i32 age) { return StepCirclingEntry(e, age, 1.0f); }},
    {507, StepBrakingRun},
    {510, StepFall},
    {511, [](i32 e, i32 age) { return StepWreck(e, age, 0.005f, 10, 50.0f); }},
    {512, StepFrontRunner},
    {515, StepCrossing},
    {520, [](i32 e, i32 age) { return StepBendingRun(e, age, 0.01f); }},
    {521, [](i32 e, i32 age) { return StepBendingRun(e, age, -0.01f); }},
    {522, StepRisingRun},
    {530, StepGrowingCarrier},
    {535, StepCreeper},
    {536, StepSideGunner},
    {537, [](i32 e, i32 age) { return StepWreck(e, age, 0.0f, 20, 80.0f); }},
    {540, StepMidBossPass},
    {541, StepMidBossFight1},
    {542, StepMidBossSinking},
    {543, StepMidBossBackingOff},
    {544, StepMidBossFight2},
    {545, StepMidBossFight3},
    {546, StepMidBossLeaving},
    {589, StepBossPreview},
    {590, StepBoss590},
    {591, StepBoss591},
    {592, StepBoss592},
    {593, StepBoss593},
    {594, [](i32 e, i32 age) { return StepBossLastPhase(e, age, true); }},
    {595, [](i32 e, i32 age) { return StepBossLastPhase(e, age, false); }},
    {596, StepBossSinking},
    {597, StepBossExploding},
};

// The states the bodies switch to, and those DestroyEnemy gives the spawn ids
// of this stage (506: 537; 510 to 513: 511; 580 to 582: 542, though the
// mid-boss has no core part).
constexpr i32 kWrittenStates[] = {511, 537, 542, 543, 546, 591, 592, 593, 594, 595, 596, 597};
// The actions the mid-boss's fights and the boss's phases give their parts,
// and the wrecks part deaths give this stage's sprite kinds.
constexpr i32 kWrittenActions[] = {11,  13,  14,  530, 531, 532, 549, 550, 551, 552,
                                   553, 554, 555, 556, 557, 558, 560, 561, 562, 563};

constexpr BehaviourTable kTable{
    .states = kStates,
    .unlisted = MoveStraightOn,
    .writesStates = kWrittenStates,
    .writesActions = kWrittenActions,
};

}  // namespace

const BehaviourTable& BehaviourStage4() { return kTable; }

bool StepEnemyStage4(i32 enemy, i32 state) { return StepByTable(kTable, enemy, state); }
