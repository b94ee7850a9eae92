// The last boss of the last stage (enemy kind 101): it rises small from the
// sunk castle (900), arrives and fights with its four turrets (901), dives
// with its tail (911), spreads its wings and arms (912), calls its escorts
// from below the field (913), and fights its last phase (915) until it dies
// (921) or loses its limbs (920). Its escorts (kind 102) fly 990-995; 914 is
// an escort no spawn uses. The stage's table (behaviour_stage5.cpp) names
// the bodies.
#include <cmath>
#include <initializer_list>
#include <utility>

#include "engine/core/radians.h"
#include "engine/core/random.h"
#include "game/enemy/behaviour_stage5.h"
#include "game/enemy/enemy_behaviour.h"
#include "game/play/effects.h"
#include "game/play/talk.h"
#include "game/shell/game_math.h"
#include "game/shell/music.h"
#include "game/shell/play_state.h"
#include "game/shell/sound_effects.h"
#include "game/shell/sound_names.h"

namespace behaviour_stage5::lastboss {

namespace {

constexpr i32 kRoots = 11;  // roots 0..10

// Bonus C (the arrival's phases): 10 ((m / 4 + 1) n + 40 m + 30 (lives + 10)).
void PayArrivalBonus() {
    PayBossPhaseBonus(kEffectPhaseBonus, 40 * PlayerScoreMultiplier() + 30 * (PlayerLives() + 10));
}
// Bonus B (the last phase's defeats): 10 ((m / 4 + 1) n + 30 (lives + 2 m) + 500).
void PayCoreBonus() { PayBossPhaseBonus(kEffectDefeatBonus, 30 * (PlayerLives() + 2 * PlayerScoreMultiplier()) + 500); }

// The end of a phase on root parts: action 0 with the timer kept.
void SilenceRoots(i32 enemy, std::initializer_list<i32> roots) {
    for (const i32 r : roots) RootPart(enemy, r).action = 0;
}

// A drift across the field: at every 800 frames a target x in lo1..hi1, 400
// frames later one in lo2..hi2; x closes in on it by 0.0025 of the distance
// a frame.
void DriftAcross(i32 enemy, i32 n, f32 lo1, f32 hi1, f32 lo2, f32 hi2) {
    if (n % 800 == 0 || n % 800 == 400) {
        const f32 tx = n % 800 == 0 ? RandomFloat(lo1, hi1) : RandomFloat(lo2, hi2);
        Enemy& e = EnemyRecord(enemy);
        e.speed = (tx - e.x) * 0.0025f;
    }
    Enemy& e = EnemyRecord(enemy);
    e.x += e.speed;
}

// 901's opening: the four turrets are the targets, out of step by the
// difficulty; the body fires its rotating volleys.
void OpenArrival(i32 enemy) {
    Enemy& e = EnemyRecord(enemy);
    e.age = 999;
    e.speed = 0.0f;
    i32 timers[4] = {0, 50, 100, 150};
    if (g_GameState.Difficulty == kDifficultyEasy) {
        timers[1] = 70;
        timers[2] = 140;
        timers[3] = 210;
    } else if (g_GameState.Difficulty == kDifficultyHard) {
        timers[2] = 0;
        timers[3] = 50;
    }
    const HitShape turret{50, 25, 0};
    BossPhaseTarget turrets[4];
    for (i32 i = 0; i < 4; ++i)
        turrets[i] = {.root = 3 + i, .shape = turret, .action = 910, .timer = timers[i], .hp = 2400};
    const BossPhaseAttacker body[] = {{.root = 2, .action = 901}};
    OpenBossPhase(enemy, 0, kRoots - 1, turrets, body);
}

// The deaths of the last phase: every root part still armed (action 0 or a
// pattern above 100) gets wreck 11, its timer kept.
void WreckArmedRoots(i32 enemy) {
    for (i32 r = 0; r < kRoots; ++r) {
        EnemyPart* part = RootPartAt(enemy, r);
        if (part != nullptr && (part->action == 0 || part->action > 100)) part->action = 11;
    }
}

// The escorts (kind 102).

// Off the field: erased (an escort placed outside goes at its first step).
bool EscortGone(const Enemy& e) { return e.x > 690.0f || e.y > 530.0f || e.x < -150.0f || e.y < -150.0f; }

// 990, 991, 993, 994: they wheel (heading += turn every frame), slowing from
// their entry speed; cruise from age 1000 until `cruiseEnd`, then speed up
// again with (a age - b) x `rate3`.
struct Wheel {
    f32 turn;
    f32 rate1;
    f32 cruise;
    i32 cruiseEnd;
    i32 a, b;
    f32 rate3;
};

bool StepWheelingEscort(i32 enemy, i32 age, const Wheel& w) {
    Enemy& e = EnemyRecord(enemy);
    e.heading += w.turn;
    if (age < 1000) {
        e.speed = static_cast<f32>(400 - age) * w.rate1;
    } else if (age < 2000) {
        e.speed = w.cruise;
    } else {
        e.speed = static_cast<f32>(w.a * age - w.b) * w.rate3;
    }
    StepStraight(enemy);
    Enemy& f = EnemyRecord(enemy);
    if (age < 1000 && age > 200) f.age = 1000;
    if (age >= 1000 && age < 2000 && age > w.cruiseEnd) f.age = 2000;
    if (EscortGone(f)) return RemoveEnemy(enemy);
    return true;
}

constexpr Wheel kWheel990{
    .turn = -0.025f, .rate1 = 0.025f, .cruise = 5.0f, .cruiseEnd = 1500, .a = 2, .b = 3800, .rate3 = 0.025f};
constexpr Wheel kWheel991{
    .turn = 0.025f, .rate1 = 0.025f, .cruise = 5.0f, .cruiseEnd = 1500, .a = 2, .b = 3800, .rate3 = 0.025f};
constexpr Wheel kWheel993{
    .turn = -0.03f, .rate1 = 0.03f, .cruise = 6.0f, .cruiseEnd = 1300, .a = 2, .b = 3800, .rate3 = 0.03f};
constexpr Wheel kWheel994{
    .turn = 0.035f, .rate1 = 0.03f, .cruise = 7.0f, .cruiseEnd = 1300, .a = 4, .b = 7800, .rate3 = 0.035f};

}  // namespace

// 900: rises small out of the sinking castle, faster and growing after 500
// frames, until it is above the field.
bool StepRising(i32 enemy, i32 age) {
    Enemy& e = EnemyRecord(enemy);
    if (age > 500) {
        e.speed += 0.05f;
        e.scale += 0.001f;
    }
    StepStraight(enemy);
    if (EnemyRecord(enemy).y < -100.0f) SetEnemyState(enemy, 901);
    return true;
}

// 901: drops in from the top at full size, stops, and drifts from side to
// side while its four turrets stand.
bool StepArrival(i32 enemy, i32 age) {
    Enemy& e = EnemyRecord(enemy);
    if (age < 1000) {
        if (age < 100) {
            e.speed = 0.0f;
            e.scale = 0.1f;
        }
        if (age == 100) {
            e.speed = -7.5f;
            e.scale = 1.0f;
        }
        if (e.speed < 0.1f) {
            e.speed += 0.1f;
            StepStraight(enemy);
        } else {
            OpenArrival(enemy);
        }
    } else {
        DriftAcross(enemy, age - 1000, 180.0f, 300.0f, 340.0f, 460.0f);
        EnemyRecord(enemy).y += SwayOffset(age - 1000, 0.75f, 300);
    }
    if (AllRootsDestroyed(enemy, {3, 4, 5, 6})) {
        SilenceRoots(enemy, {2});
        BeginBossPhaseBreak(enemy, 911);
        PayArrivalBonus();
    }
    return true;
}

// 911: leaves through the top, comes back down with its tail as the target
// (its fans and the body's shell band open at 1050) and rises away again;
// the tail's fall pays bonus C. Gone above the field, it goes on to 912.
bool StepDive(i32 enemy, i32 age) {
    Enemy& e = EnemyRecord(enemy);
    if (age == 1) e.speed = -4.0f;
    if (age < 1000) {
        e.speed += 0.1f;
        StepStraight(enemy);
        Enemy& f = EnemyRecord(enemy);
        if (f.y < -200.0f) {
            f.x = 320.0f;
            f.y = -200.0f;
            f.age = 1000;
            f.speed = -5.0f;
            const BossPhaseTarget tail[] = {{.root = 10, .shape = HitShape{30, 80, 0}, .hp = 3600}};
            OpenBossPhase(enemy, 0, kRoots - 1, tail, {});
        }
        return true;
    }
    if (age < 5000) {
        if (e.speed < 0.1f) e.speed += 0.05f;
        if (age == 1050) {
            GiveRootAction(enemy, 10, 902);
            GiveRootAction(enemy, 2, 903);
        }
        if (e.speed > 0.0f && e.y < -50.0f) e.speed += 0.05f;
        StepStraight(enemy);
        Enemy& f = EnemyRecord(enemy);
        if (RootDestroyed(enemy, 10)) {
            f.age = 5000;
            GiveRootAction(enemy, 10, 0);
            GiveRootAction(enemy, 2, 0);
            f.active = 0;
            g_GameState.BossActiveFlag = 1;
            PayArrivalBonus();
        } else if (f.speed > 0.0f && f.y < -200.0f) {
            f.age = 5000;
        }
        return true;
    }
    if (e.speed > 0.0f && e.y < -50.0f) e.speed += 0.05f;
    e.speed += 0.05f;
    StepStraight(enemy);
    const Enemy& f = EnemyRecord(enemy);
    if (f.speed > 0.0f && f.y < -200.0f) {
        GiveRootAction(enemy, 10, 0);
        GiveRootAction(enemy, 2, 0);
        BeginBossPhaseBreak(enemy, 912);
    }
    return true;
}

// 912: comes down again with wings (932) and arms (933) spread, the body
// throwing shells (931); it drifts wider and bobs deeper every fourth 400
// frames. The wings' fall pays bonus C.
bool StepWide(i32 enemy, i32 age) {
    Enemy& e = EnemyRecord(enemy);
    if (age == 1) e.speed = -5.0f;
    if (age < 1000) {
        e.speed += 0.05f;
        StepStraight(enemy);
        if (EnemyRecord(enemy).speed >= 0.0f) {
            EnemyRecord(enemy).age = 1000;
            EnemyRecord(enemy).speed = 0.0f;
            const HitShape wing{25, 40, 0};
            const HitShape arm{80, 20, 0};
            const BossPhaseTarget targets[] = {
                // clang-format off
                {.root = 7, .shape = wing, .action = 932, .hp = 2600}, {.root = 8, .shape = wing, .action = 932, .hp = 2600},
                {.root = 0, .shape = arm, .action = 933, .hp = 3200},  {.root = 1, .shape = arm, .action = 933, .hp = 3200},
                // clang-format on
            };
            const BossPhaseAttacker body[] = {{.root = 2, .action = 931}};
            OpenBossPhase(enemy, 0, kRoots - 1, targets, body);
        }
    } else {
        const i32 n = age - 1000;
        const bool deep = (n / 400) % 4 == 1;
        if (deep) {
            DriftAcross(enemy, n, 120.0f, 300.0f, 340.0f, 520.0f);
        } else {
            DriftAcross(enemy, n, 150.0f, 300.0f, 340.0f, 490.0f);
        }
        EnemyRecord(enemy).y += SwayOffset(n, deep ? 3.5f : 1.0f, 400);
    }
    if (AllRootsDestroyed(enemy, {7, 8})) {
        BeginBossPhaseBreak(enemy, 913);
        SilenceRoots(enemy, {0, 1});
        GiveRootAction(enemy, 2, 0);
        PayArrivalBonus();
    }
    return true;
}

// 913: sinks out of the bottom, comes back half size behind the field and
// circles there while the timeline sends its escorts; once they are all gone
// (after age 2300) it goes on to its last phase.
bool StepSummoning(i32 enemy, i32 age) {
    Enemy& e = EnemyRecord(enemy);
    if (age == 1) e.speed = 0.0f;
    if (age < 1000) {
        e.speed -= 0.05f;
        StepStraight(enemy);
        Enemy& f = EnemyRecord(enemy);
        if (f.y > 680.0f) {
            f.x = 320.0f;
            f.y = 580.0f;
            f.age = 1000;
            f.speed = 5.0f;
            f.active = 0;
            f.scale = 0.5f;
        }
    } else {
        if (age == 1200) g_GameState.BossActiveFlag = 0;
        Enemy& f = EnemyRecord(enemy);
        if (age < 1300) f.y -= 1.0f;
        f.x += SwayCosine(age - 1000, 1.0f, 900);
        f.y += SwayOffset(age - 1000, 1.5f, 400);
    }
    if (age > 2300 && g_EnemyList.size() == 1) BeginBossPhaseBreak(enemy, 915);
    return true;
}

// 915: rises out of sight, comes back at full size over the top edge, its
// body (951) and spine (952) the last targets (they open themselves), and
// keeps its nose toward the player within 12 degrees of straight down.
bool StepLastPhase(i32 enemy, i32 age) {
    Enemy& e = EnemyRecord(enemy);
    if (age == 1) e.speed = 0.0f;
    if (age < 1000) {
        e.speed += 0.05f;
        StepStraight(enemy);
        Enemy& f = EnemyRecord(enemy);
        if (f.y < -200.0f) {
            f.x = 320.0f;
            f.y = -200.0f;
            f.age = 1000;
            f.speed = 0.0f;
            f.heading = kUp;
            f.rotation = kUp;
            f.scale = 1.0f;
            const BossPhaseAttacker parts[] = {{.root = 2, .action = 951}, {.root = 9, .action = 952}};
            OpenBossPhase(enemy, 0, kRoots - 1, {}, parts, {.bossActiveFlag = kLeaveBossActiveFlag});
            EnemyRecord(enemy).corePart = -1;
            for (const auto& [root, hp] : {std::pair{2, 8800}, std::pair{9, 7200}}) {
                EnemyPart& part = RootPart(enemy, root);
                part.maxHp = hp;
                part.hp = hp;
            }
        }
    } else {
        Enemy& f = EnemyRecord(enemy);
        if (age < 1250) f.y += 1.0f;
        f.x += SwayCosine(age - 1000, 0.5f, 900);
        f.y += SwayOffset(age - 1000, 1.0f, 400);
        const f32 drawn[2] = {f.x + g_GameState.FieldScrollX, f.y};
        const f32 facing = static_cast<f32>(AngleToPlayer(drawn, 0)) + kPi;
        TurnField(f.rotation, facing, 0.002f);
        if (f.rotation < -1.78023589f) f.rotation = -1.78023589f;
        if (f.rotation > -1.36135685f) f.rotation = -1.36135685f;
    }
    if (RootDestroyed(enemy, 2)) {
        WreckArmedRoots(enemy);
        BeginBossPhaseBreak(enemy, 921, kLeaveBossActiveFlag);
        for (i32 r = 0; r < kRoots; ++r) RootPart(enemy, r).state = -1;
        PayCoreBonus();
        StartTalkEvent400(495);
    } else if (AllRootsDestroyed(enemy, {0, 1, 9, 10})) {
        WreckArmedRoots(enemy);
        BeginBossPhaseBreak(enemy, 920, kLeaveBossActiveFlag);
        PlaySoundEffect(kSoundSenGeBom05);
        PayCoreBonus();
        StartTalkEvent400(494);
    }
    return true;
}

// 920: limbless, the body hangs on, then sinks and leaves with a flash.
bool StepLimbless(i32 enemy, i32 age) {
    Enemy& e = EnemyRecord(enemy);
    if (age > 800 && e.y < 700.0f) e.y += static_cast<f32>(age - 800) * 0.01f;
    if (age == 50) RequestMusic(0);
    if (age <= 1200) return true;
    RemoveEnemy(enemy);
    PlaySoundEffect(kSoundSenGeBom05);
    g_GameState.ScreenShakeTimer = 50;
    Flash();
    return false;
}

// 921: the body burns, bursting every 100 frames, and blows up at 1000.
bool StepDying(i32 enemy, i32 age) {
    if (age > 300) EnemyRecord(enemy).y += 0.5f;
    if (age == 50) RequestMusic(0);
    if (age >= 100 && age <= 500 && age % 100 == 0) {
        g_GameState.ScreenShakeTimer = 50;
        PlaySoundEffect(kSoundSenGeBom05);
        const f32 ox = RandomFloat(-150.0f, 150.0f);
        const f32 oy = RandomFloat(-100.0f, 100.0f);
        const Enemy& e = EnemyRecord(enemy);
        Burst(10, e.x + ox + g_GameState.FieldScrollX, e.y + oy, 50.0f, 50.0f, 2);
    }
    if (age != 1000) return true;
    const Enemy& e = EnemyRecord(enemy);
    const f32 cx = e.x + g_GameState.FieldScrollX;
    const f32 cy = e.y;
    Burst(40, cx, cy, 150.0f, 100.0f, 1);
    Burst(20, cx, cy, 180.0f, 150.0f, 3);
    RemoveEnemy(enemy);
    PlaySoundEffect(kSoundSenGeBom05);
    g_GameState.ScreenShakeTimer = 50;
    Flash();
    return false;
}

// ---- The escorts (kind 102) ----

// 990, 991, 993, 994: the wheeling escorts.
bool StepEscort990(i32 enemy, i32 age) { return StepWheelingEscort(enemy, age, kWheel990); }
bool StepEscort991(i32 enemy, i32 age) { return StepWheelingEscort(enemy, age, kWheel991); }
bool StepEscort993(i32 enemy, i32 age) { return StepWheelingEscort(enemy, age, kWheel993); }
bool StepEscort994(i32 enemy, i32 age) { return StepWheelingEscort(enemy, age, kWheel994); }

// 995: brakes to a stop, drifts back slowly, then speeds off.
bool StepBrakingEscort(i32 enemy, i32 age) {
    Enemy& e = EnemyRecord(enemy);
    if (age < 1000) {
        e.speed -= 0.1f;
    } else if (age < 2000) {
        e.speed -= 0.01f;
    } else {
        e.speed += 0.1f;
    }
    StepStraight(enemy);
    Enemy& f = EnemyRecord(enemy);
    if (age < 1000 && f.speed <= 0.0f) f.age = 1000;
    if (age >= 1000 && age < 2000 && age > 1400) f.age = 2000;
    if (EscortGone(f)) return RemoveEnemy(enemy);
    return true;
}

// 914: faces the player; coasts to a stop, pulses back and forth, then
// speeds off.
bool StepPulsingEscort(i32 enemy, i32 age) {
    TurnToPlayer(enemy, &Enemy::rotation, 0.02f);
    Enemy& e = EnemyRecord(enemy);
    if (age < 1000) {
        StepStraight(enemy);
        Enemy& f = EnemyRecord(enemy);
        f.speed -= 0.2f;
        if (f.speed <= 0.0f) f.age = 1000;
    } else if (age < 2000) {
        const long double phase = static_cast<long double>(kPi) * static_cast<long double>((age - 1000) % 200) / 100.0L;
        e.speed = static_cast<f32>(std::cos(phase));
        StepStraight(enemy);
        if (age > 1400) EnemyRecord(enemy).age = 2000;
    } else {
        e.speed += 0.1f;
        StepStraight(enemy);
    }
    if (EscortGone(EnemyRecord(enemy))) return RemoveEnemy(enemy);
    return true;
}

}  // namespace behaviour_stage5::lastboss
