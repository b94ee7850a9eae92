// The castle of the last stage (enemy kind 110, spawn id 1001): its late
// form runs in state 1001, whose age jumps mark its windows (below 5000 the
// descent, 5000 the rise, 10000 the first ring, 30000 the second ring, 40000
// the core), and hands the timeline its phases 11, 12 and 14; DestroyEnemy
// sends it to 1099, the final sinking. The stage's table
// (behaviour_stage5.cpp) names its two bodies.
#include <cmath>

#include "engine/core/radians.h"
#include "game/enemy/behaviour_stage5.h"
#include "game/enemy/enemy_behaviour.h"
#include "game/play/effects.h"
#include "game/play/part_death.h"
#include "game/play/talk.h"
#include "game/shell/music.h"
#include "game/shell/play_state.h"
#include "game/shell/replay.h"
#include "game/shell/sound_effects.h"
#include "game/shell/sound_names.h"
#include "game/shell/story_flags.h"

namespace behaviour_stage5::castle {

namespace {

// Root parts: 0 the keep (its twelve gates are children 0..11), 1..8 the
// armour hubs (children 0..3 the fixed guns, 4 the heavy cannon), 9..12 the
// walls, 13..16 the gatehouses, 17 the core.
constexpr i32 kHeavyCannon = 4;

void SetScript(i32 phase, i32 frame) {
    g_GameState.StageScriptPhase = phase;
    g_GameState.StageScriptFrame = frame;
}

// Every armour hub fell, in a run from the start with no continue used (or
// its replay): the last boss will come after the castle.
bool LastBossEarned() {
    const GameState& g = g_GameState;
    return g.KillCountA >= 8 && g.StartKind == kStartFullRun && (g.Continues == 3 || g.GameMode == kGameModeReplay);
}

// Below 5000: the castle comes down into the field at 0.75 while above its
// top edge; at age 1500 it opens fire (its fixed guns start afresh) and the
// timeline goes to phase 11.
void Descend(i32 enemy, i32 age) {
    Enemy& e = EnemyRecord(enemy);
    if (age == 1) e.speed = 0.75f;
    if (e.y < 0.0f) StepStraight(enemy);
    if (age != 1500) return;
    e.active = 1;
    for (i32 hub = 1; hub <= 8; ++hub) {
        for (i32 gun = 0; gun < 4; ++gun) {
            if (EnemyPart* part = ChildPartAt(enemy, hub, gun)) part->timer = 0;
        }
    }
    e.age = 5000;
    g_GameState.BossActiveFlag = 0;
    SetScript(11, 0);
}

// 5000 up to 10000: it rises at 0.5 until y -300; the heavy cannons of hubs
// 2 and 3 open at 5500; at 6000 it turns to its circle and the timeline goes
// to phase 12.
void Rise(i32 enemy, i32 age) {
    Enemy& e = EnemyRecord(enemy);
    if (age == 5001) {
        e.heading = kUp;
        e.speed = 0.5f;
    }
    if (e.y > -300.0f) StepStraight(enemy);
    if (age == 5500) {
        GiveChildAction(enemy, 2, kHeavyCannon, 1001);
        GiveChildAction(enemy, 3, kHeavyCannon, 1001);
    }
    if (age == 6000) {
        Enemy& f = EnemyRecord(enemy);
        f.age = 10000;
        g_GameState.BossActiveFlag = 0;
        f.heading = 0.0f;
        SetScript(12, 10000);
    }
}

// The first ring's schedule: at each age, the heavy cannon of an armour hub
// (1001) or a gate of the keep (1010) opens.
struct Opening {
    i32 age;
    i32 root;
    i32 child;
    i32 action;
};
constexpr Opening kFirstRingOpenings[] = {
    // clang-format off
    {11000, 4, kHeavyCannon, 1001}, {11600, 5, kHeavyCannon, 1001}, {12300, 6, kHeavyCannon, 1001},
    {12800, 7, kHeavyCannon, 1001}, {13800, 8, kHeavyCannon, 1001}, {14300, 1, kHeavyCannon, 1001},
    {11000, 0, 4, 1010},            {11300, 0, 5, 1010},            {11600, 0, 3, 1010},
    {12500, 0, 10, 1010},           {12800, 0, 11, 1010},           {13100, 0, 9, 1010},
    {14000, 0, 1, 1010},            {14300, 0, 2, 1010},            {14600, 0, 0, 1010},
    // clang-format on
};

// 10000 up to 30000: the first ring. The castle circles slowly (its path
// flattened to 0.9 in y) while its cannons and gates open one by one; it
// ends with bonus D once eight armour hubs have fallen, or at age 16200.
void FirstRing(i32 enemy, i32 age) {
    Enemy& e = EnemyRecord(enemy);
    e.heading += 0.001f;
    e.speed = 0.5f;
    const f80 h = static_cast<f80>(e.heading);
    const f80 s = static_cast<f80>(e.speed);
    e.x = static_cast<f32>(static_cast<f80>(e.x) + std::cos(h) * s);
    e.y = static_cast<f32>(static_cast<f80>(e.y) + static_cast<f80>(0.9) * std::sin(h) * s);
    for (const Opening& o : kFirstRingOpenings) {
        if (o.age == age) GiveChildAction(enemy, o.root, o.child, o.action);
    }
    if (g_GameState.KillCountA >= 8) {
        PayBossPhaseBonus(kEffectPhaseBonus, 40 * PlayerScoreMultiplier() + 30 * PlayerLives() + 700);
        EnemyRecord(enemy).age = 30000;
        g_GameState.BossActiveFlag = 1;
        StartTalkEvent400(491);
    } else if (age == 16200) {
        EnemyRecord(enemy).age = 30000;
        g_GameState.BossActiveFlag = 1;
        StartTalkEvent400(492);
    }
}

// 30000 up to 40000: the second ring. The castle moves to (320, 50) and
// sways; the gatehouses' stream guns (1021) and the walls' heavy cannons
// (1020) open, and the timeline goes to phase 14. Its age runs from 38200
// back to 34600 until walls 9..11 and gatehouses 13..15 have all fallen:
// then bonus E and the core (with six hubs down whole), or the end at once.
void SecondRing(i32 enemy, i32 age) {
    if (age == 30001) {
        const f80 distance = HeadToward(enemy, 320.0f, 50.0f);
        EnemyRecord(enemy).speed = static_cast<f32>(static_cast<f80>(0.002f) * distance);
    }
    if (age < 31000) StepStraight(enemy);
    if (age == 30500) {
        EnemyRecord(enemy).age = 31000;
        for (const i32 root : {13, 14, 15}) GiveRootAction(enemy, root, 1021);
        if (LastBossEarned()) g_GameState.StoryFlags[kStoryLastBossEarned] = 1;
        g_GameState.BossActiveFlag = 0;
        SetScript(14, 0);
    }
    if (age == 31200) {
        for (const i32 root : {9, 10, 11}) GiveRootAction(enemy, root, 1020);
        GiveRootAction(enemy, 12, 1022);
    }
    Enemy& e = EnemyRecord(enemy);
    e.x += SwayCosine(age - 31000, 0.2f, 450);
    e.y += SwayOffset(age - 31000, 0.2f, 600);
    if (age == 38200) e.age = 34600;
    if (!AllRootsDestroyed(enemy, {9, 10, 11, 13, 14, 15})) return;
    if (g_GameState.KillCountB >= 6) {
        PayBossPhaseBonus(kEffectPhaseBonus, 45 * (PlayerScoreMultiplier() + 20) + 40 * PlayerLives());
        EnemyRecord(enemy).age = 40000;
    } else {
        DestroyEnemy(enemy);  // the castle is in 1099 from here on
    }
}

// From 40000: the core. The castle moves to (320, -80) in 300 frames; at
// 40300 the core (1100) and the last three gates (1010) open; then it
// sways. The core's fall (the collision pass) ends it.
void Core(i32 enemy, i32 age) {
    if (age == 40001) {
        const f80 distance = HeadToward(enemy, 320.0f, -80.0f);
        EnemyRecord(enemy).speed = static_cast<f32>(distance / 300.0L);
        g_GameState.BossActiveFlag = 1;
    }
    if (age < 41000) StepStraight(enemy);
    if (age == 40300) {
        EnemyRecord(enemy).age = 41000;
        GiveRootAction(enemy, 17, 1100);
        for (const i32 gate : {6, 7, 8}) GiveChildAction(enemy, 0, gate, 1010);
        g_GameState.BossActiveFlag = 0;
    }
    if (age >= 41000) {
        Enemy& e = EnemyRecord(enemy);
        e.x += SwayOffset(age - 41000, 0.2f, 450);
        e.y += SwayOffset(age - 41000, 0.2f, 600);
    }
}

}  // namespace

// 1001: the castle's late form, by the window of its age.
bool StepCastle(i32 enemy, i32 age) {
    if (age < 5000) {
        Descend(enemy, age);
    } else if (age < 10000) {
        Rise(enemy, age);
    } else if (age < 30000) {
        FirstRing(enemy, age);
    } else if (age < 40000) {
        SecondRing(enemy, age);
    } else {
        Core(enemy, age);
    }
    return true;
}

// 1099: the castle sinks, bursting, and leaves with a flash. Bonus F first;
// then either the last boss is on its way (story flag 94), or the music
// stops and the castle waits until age 700 before it sinks.
bool StepCastleSinking(i32 enemy, i32 age) {
    if (age == 1) {
        PayBossPhaseBonus(kEffectDefeatBonus, 20 * (PlayerLives() + 2 * PlayerScoreMultiplier() + 30), 15);
        if (LastBossEarned()) {
            StartTalkEvent400(493);
            g_GameState.StoryFlags[kStoryLastBossEarned] = 1;
            g_GameState.BossActiveFlag = 1;
        } else {
            g_GameState.StoryFlags[kStoryLastBossEarned] = 0;
            RequestMusic(0);
            StartTalkEvent400(496);
        }
        EnemyRecord(enemy).speed = 0.25f;
    }
    if (age >= 100 && age <= 500 && age % 50 == 0) {
        Quake(enemy, 200.0f, -200.0f, 200.0f);
    }
    if (age >= 100 && age <= 500 && age % 25 == 0) ScatteredBurst(enemy, 200.0f, -200.0f, 400.0f);
    const bool lastBoss = g_GameState.StoryFlags[kStoryLastBossEarned] != 0;
    Enemy& e = EnemyRecord(enemy);
    if (age > (lastBoss ? 200 : 700) && e.y < 1000.0f) {
        e.y += e.speed;
        e.speed += 0.005f;
    }
    if (e.y < 1000.0f) return true;
    Flash();
    g_GameState.ScreenShakeTimer = 50;
    PlaySoundEffect(kSoundSenGeBom05);
    return RemoveEnemy(enemy);
}

}  // namespace behaviour_stage5::castle
