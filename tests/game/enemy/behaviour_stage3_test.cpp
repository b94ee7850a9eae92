// The behaviours of stage index 2's ordinary enemies, death runs and
// mid-boss over frames.
#include <cmath>
#include <vector>

#include "engine/core/radians.h"
#include "engine/core/random.h"
#include "game/play/effects.h"
#include "game/play/part_death.h"
#include "game/play/play_overlays.h"
#include "game/play/talk.h"
#include "game/shell/game_math.h"
#include "game/shell/sound_effects.h"
#include "game/shell/sound_names.h"
#include "tests/game/enemy/stage3_fixture.h"

namespace {

using stage3_test::DrawsSince;
using stage3_test::Stage3Test;

class Stage3BehaviourTest : public Stage3Test {
protected:
    // One frame with the sound gates open again (as the scene's frame ends).
    void SoundFrame() {
        RearmSoundEffectGates();
        Frame();
    }
};

TEST_F(Stage3BehaviourTest, StateZeroStaysWhileAnUnlistedStateDrifts) {
    const i32 still = Spawn(1, 0, 200, 100, 3);
    const i32 drifting = Spawn(1, 300, 300, 100, 3);
    Frames(10);
    EXPECT_FLOAT_EQ(At(still).y, 100.0f);
    EXPECT_FLOAT_EQ(At(drifting).y, 130.0f);
    EXPECT_EQ(At(still).age, 10);
}

// Routes that end on their own: the frame whose step removes the enemy.
TEST_F(Stage3BehaviourTest, RoutesEndOnTheirOwnBounds) {
    struct Case {
        i32 kind, state;
        f32 x, y, speed;
        i32 frames;
    };
    const Case cases[] = {
        {10, 282, 320, 100, 2, 202},   // age >= 201
        {2, 341, 320, 100, 0, 101},    // age >= 100
        {25, 314, 320, 690, 6, 401},   // age >= 400
        {24, 312, 320, 100, 0, 101},   // age 100
        {6, 332, 180, -100, 0, 227},   // y > 580 at 3 a frame
        {8, 333, 230, -100, 0, 171},   // y > 580 at 4 a frame
        {39, 303, 320, 1080, 0, 591},  // y < -100 at 2 a frame
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.state);
        Restart();
        Spawn(c.kind, c.state, c.x, c.y, c.speed);
        EXPECT_EQ(FramesUntilEmpty(5000), c.frames);
        EXPECT_EQ(CountFreePartSlots(), kEnemyPartPoolSize);
    }
}

TEST_F(Stage3BehaviourTest, TheGunshipBacksOffThenFliesToRandomPointsAndLeavesAfterItsTalk) {
    const i32 e = Spawn(10, 281, 320, -200, 9);
    Frames(149);  // ages 0..148: it brakes to -1 and backs off
    EXPECT_EQ(At(e).state, 281);
    Frame();  // age 149: 280 with the age kept
    EXPECT_EQ(At(e).state, 280);
    EXPECT_EQ(At(e).age, 150);
    // Age 150: the first point, y drawn from (140, 240).
    const u32 seed = RandomGetState();
    const f32 tx = RandomFloat(200.0f, 440.0f);
    const f32 ty = RandomFloat(140.0f, 240.0f);
    RandomSetState(seed);
    const f32 x = At(e).x;
    const f32 y = At(e).y;
    Frame();
    EXPECT_EQ(DrawsSince(seed), 2);
    EXPECT_NEAR(At(e).heading, std::atan2(ty - y, tx - x), 1e-6);
    // Ages 151..299 draw nothing; age 300 draws from (50, 150).
    const u32 before300 = RandomGetState();
    Frames(149);
    EXPECT_EQ(DrawsSince(before300), 0);
    const f32 ty300 = [] {
        RandomFloat(200.0f, 440.0f);
        return RandomFloat(50.0f, 150.0f);
    }();
    RandomSetState(before300);
    Frame();
    EXPECT_EQ(DrawsSince(before300), 2);
    EXPECT_GE(ty300, 50.0f);
    EXPECT_LE(ty300, 150.0f);
    // Age 1001: its talk, unarmed, the pattern stopped; kind 10 has one part.
    At(e).age = 1001;
    QuietTalk();
    Frame();
    EXPECT_EQ(At(e).state, 282);
    EXPECT_EQ(At(e).age, 1);
    EXPECT_EQ(At(e).active, 0);
    EXPECT_FLOAT_EQ(At(e).speed, 2.0f - 0.0f);
    EXPECT_FLOAT_EQ(At(e).heading, At(e).rotation);
    EXPECT_EQ(Root(e, 0).action, 0);
    EXPECT_EQ(g_TalkState.eventId, 312);
}

TEST_F(Stage3BehaviourTest, FightersAimWhileSlowAndClimbAwayFailingTheMission) {
    const i32 e = Spawn(1, 325, 320, -50, 7);
    g_PlayerState[0].x = 200.0f;
    Frames(200);  // ages 0..199
    EXPECT_LT(At(e).speed, 1.0f);
    EXPECT_GT(At(e).rotation, kHalfPi);  // the nose turned toward the player at the left
    const f32 rotation = At(e).rotation;
    const f32 speed = At(e).speed;
    Frame();  // age 200: the heading takes the nose's direction, the speed picks up
    EXPECT_FLOAT_EQ(At(e).heading, rotation);
    EXPECT_FLOAT_EQ(At(e).speed, speed + 0.2f);
    Frame();  // age 201: the climb starts
    EXPECT_FLOAT_EQ(At(e).speed, speed + 0.4f);
    EXPECT_EQ(At(e).heading, At(e).rotation);
    SetMissionTimer(600, 2000);
    ASSERT_GT(FramesUntilEmpty(2000), 0);
    EXPECT_EQ(g_GameState.MissionTimer.remaining, 0);
}

TEST_F(Stage3BehaviourTest, WaitingFightersLeaveInTurnWhenTheSectionReaches30) {
    std::vector<i32> wave;
    for (i32 i = 0; i < 3; ++i) wave.push_back(Spawn(1, 326, 200.0f + 100.0f * static_cast<f32>(i), -50, 7));
    Frames(50);
    std::vector<f32> headings;
    for (const i32 e : wave) headings.push_back(At(e).heading);
    g_GameState.BackgroundSection = 30;
    Frame();
    // Every one jumped to age 1001 (then aged); index 0 turned away at once,
    // the others wait 10 frames per index, flying straight on.
    for (const i32 e : wave) EXPECT_EQ(At(e).age, 1002);
    EXPECT_NE(At(0).heading, headings[0]);
    Frames(9);  // step ages 1002..1010: index 1 turns from 1011 on
    EXPECT_FLOAT_EQ(At(1).heading, headings[1]);
    Frame();
    EXPECT_NE(At(1).heading, headings[1]);
    EXPECT_FLOAT_EQ(At(2).heading, headings[2]);
    Frames(10);
    EXPECT_NE(At(2).heading, headings[2]);
    // x <= 320 leaves toward 5pi/4 (up and left), beyond toward -pi/4.
    Frames(60);
    EXPECT_LT(At(0).x, 150.0f);
    EXPECT_GT(At(2).x, 450.0f);
    SetMissionTimer(600, 2000);
    ASSERT_GT(FramesUntilEmpty(500), 0);
    EXPECT_EQ(g_GameState.MissionTimer.remaining, 0);
}

TEST_F(Stage3BehaviourTest, SideAndRisingFightersTurnUpWhileTheyBrake) {
    const i32 side = Spawn(1, 327, -10, 150, 7, 0.0f);
    Frames(75);  // the heading turns toward -pi/2 by 0.015 a frame
    EXPECT_NEAR(At(side).heading, -0.015f * 75.0f, 1e-5);
    EXPECT_NEAR(At(side).speed, 0.5f, 0.11f);

    Restart();
    const i32 rising = Spawn(1, 328, 150, 550, 9, -kHalfPi);
    Frames(210);
    EXPECT_FLOAT_EQ(At(rising).heading, -kHalfPi);  // it never changes its heading
    EXPECT_NE(At(rising).rotation, -kHalfPi);       // but aims
    ASSERT_GT(FramesUntilEmpty(2000), 0);
}

TEST_F(Stage3BehaviourTest, SwerversJoltEverySixFramesAndHumWhileComingIn) {
    // At speed 0 the straight step stands still: only the jolt moves it.
    const i32 e = Spawn(3, 330, 300, 20, 0);
    g_GameState.FrameCounter = 100;
    for (i32 age = 0; age < 13; ++age) {
        const f32 y = At(e).y;
        SoundFrame();
        EXPECT_FLOAT_EQ(At(e).y - y, age % 6 == 0 ? 5.0f : -1.0f) << age;
    }
    // Sound 25 at most once in 12 frames while age < 100.
    EXPECT_EQ(GetSoundEffectStamp(kSoundA5_11346S), 112);
    // While it comes in fast it swerves: 330 by -0.05 a frame, 331 by +0.05.
    const i32 left = Spawn(3, 330, 0, 20, 8);
    const i32 right = Spawn(3, 331, 600, 20, 8, kPi);
    const f32 leftHeading = At(left).heading;
    const f32 rightHeading = At(right).heading;
    Frame();
    EXPECT_FLOAT_EQ(At(left).heading, leftHeading - 0.05f);
    EXPECT_FLOAT_EQ(At(right).heading, rightHeading + 0.05f);
}

TEST_F(Stage3BehaviourTest, WingCraftShrinksAndOnlyState340MovesToTheFront) {
    for (const i32 state : {340, 342}) {
        SCOPED_TRACE(state);
        Restart();
        Spawn(1, 325, 200, -50, 7);
        const i32 e = Spawn(2, state, 320, -50, 7);
        At(e).scale = 1.5f;
        At(e).active = 0;
        Frames(100);  // ages 0..99: the scale falls by 0.005 while >= 1
        EXPECT_NEAR(g_EnemyList[1].scale, 1.0f, 0.006f);
        const f32 y = g_EnemyList[1].y;
        Frame();  // age 100: armed, age 101, no motion
        const std::size_t at = state == 340 ? 0u : 1u;
        EXPECT_EQ(g_EnemyList[at].spawnId, 0);
        EXPECT_EQ(g_EnemyList[at].state, state);
        EXPECT_EQ(g_EnemyList[at].active, 1);
        EXPECT_EQ(g_EnemyList[at].age, 102);  // written 101, then aged once
        EXPECT_FLOAT_EQ(g_EnemyList[at].y, y);
        EXPECT_EQ(g_EnemyList[1 - at].state, 325);
    }
}

TEST_F(Stage3BehaviourTest, LosingItsTailSinksTheWingCraftWithARingOnlyWhenBothWingsAreGone) {
    for (const bool wingsGone : {false, true}) {
        SCOPED_TRACE(wingsGone);
        Restart();
        const i32 e = Spawn(2, 342, 320, 100, 0);
        Frames(150);
        Root(e, 3).state = -1;
        if (wingsGone) {
            Root(e, 1).state = -1;
            Root(e, 2).state = -1;
        }
        g_EffectList.clear();
        const f32 y = At(e).y;
        SoundFrame();
        EXPECT_EQ(At(e).state, 341);
        EXPECT_EQ(g_EffectList.size(), wingsGone ? 11u : 0u);
        for (const i32 r : {1, 2, 3}) {
            EXPECT_EQ(Root(e, r).state, -1);
            EXPECT_EQ(Root(e, r).action, 11);
        }
        if (wingsGone) {
            EXPECT_EQ(g_EffectList[0].kind, 16);
            EXPECT_EQ(g_EffectList[10].kind, 66);
            EXPECT_FLOAT_EQ(g_EffectList[10].y, y - 30.0f);  // placed before the step's motion
        }
        // 100 frames later it bursts into 10 explosions and is gone.
        g_EffectList.clear();
        EXPECT_EQ(FramesUntilEmpty(200), 100);
        EXPECT_EQ(g_EffectList.size(), 10u);
    }
}

TEST_F(Stage3BehaviourTest, JetsShowTheirFacingAndLeaveByTheirSide) {
    struct Case {
        i32 state;
        i32 pictures[3];  // while age < 100, < 350, later (399: unchanged)
        bool leaves;
    };
    const Case cases[] = {
        {380, {399, 399, 398}, true}, {381, {399, 399, 399}, true},  {382, {397, 399, 398}, true},
        {383, {398, 399, 397}, true}, {384, {397, 399, 399}, false}, {385, {398, 399, 399}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.state);
        Restart();
        const i32 e = Spawn(5, c.state, c.state == 383 || c.state == 385 ? 160.0f : 380.0f, -50, 8, -kHalfPi);
        Frame();
        EXPECT_EQ(Root(e, 0).spriteKind, c.pictures[0]);
        Frames(99);  // ages 1..99
        const f32 y = At(e).y;
        EXPECT_GT(y, 200.0f);  // it dropped in, braking
        Frame();               // age 100: it hovers
        EXPECT_EQ(Root(e, 0).spriteKind, c.pictures[1]);
        EXPECT_FLOAT_EQ(At(e).speed, 0.0f);
        Frames(249);  // ages 101..349
        EXPECT_FLOAT_EQ(At(e).y, y);
        Frame();  // age 350: it leaves
        EXPECT_EQ(Root(e, 0).spriteKind, c.pictures[2]);
        const i32 frames = FramesUntilEmpty(2000);
        if (c.leaves) {
            EXPECT_GT(frames, 0);
        } else {
            EXPECT_EQ(frames, -1);
        }
    }
}

TEST_F(Stage3BehaviourTest, SlowCrossersRumbleAndOnlyTheRockingOneLeavesWithoutFailingTheMission) {
    struct Case {
        i32 kind, state;
        f32 y, speed;
        bool fails;
    };
    const Case cases[] = {{23, 311, 580, 6, true}, {22, 313, -100, 5, true}, {22, 315, 580, 6.5f, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.state);
        Restart();
        ClearSoundEffectStamps();
        const i32 e = Spawn(c.kind, c.state, 320, c.y, c.speed);
        g_GameState.FrameCounter = 200;
        SoundFrame();
        EXPECT_EQ(GetSoundEffectStamp(kSoundNoriGeBaikuRun012), 200);
        for (i32 i = 0; i < 79; ++i) SoundFrame();
        EXPECT_EQ(GetSoundEffectStamp(kSoundNoriGeBaikuRun012), 200);  // 79 frames later: not yet
        SoundFrame();
        EXPECT_EQ(GetSoundEffectStamp(kSoundNoriGeBaikuRun012), 280);
        // The rocking one stays on the field: sent over the top edge.
        if (c.state == 315) {
            At(e).y = -100.0f;
            At(e).age = 250;
        }
        SetMissionTimer(5000, 2000);
        ASSERT_GT(FramesUntilEmpty(20000), 0);
        EXPECT_EQ(g_GameState.MissionTimer.remaining > 0, !c.fails);
    }
}

TEST_F(Stage3BehaviourTest, TheRockingBargeSlowsThenRocks) {
    const i32 e = Spawn(22, 315, 320, 580, 6.5f);
    Frames(200);
    EXPECT_NEAR(At(e).speed, 0.0f, 0.06f);
    Frame();
    EXPECT_FLOAT_EQ(At(e).speed, 0.2f);
    At(e).age = 700;
    Frame();  // sin(0) = 0
    EXPECT_FLOAT_EQ(At(e).speed, 0.0f);
    Frames(50);  // age 750: 0.2 sin(1.5708)
    EXPECT_NEAR(At(e).speed, 0.2f, 1e-4);
}

TEST_F(Stage3BehaviourTest, FortressesSinkRiseWaitAndDrone) {
    // 301: 0.5 a frame while FrameCounter < 100, then 0.3.
    const i32 sinking = Spawn(31, 301, 320, -100, 0);
    g_GameState.FrameCounter = 98;
    Frames(4);
    EXPECT_FLOAT_EQ(At(sinking).y, -100.0f + 0.5f + 0.5f + 0.3f + 0.3f);
    // 304: up at 2 to y 400, at 0.5 to 300, waits, sinks at 2 after age 1000.
    Restart();
    const i32 rising = Spawn(33, 304, 320, 900, 0);
    Frames(250);
    EXPECT_FLOAT_EQ(At(rising).y, 400.0f);
    Frames(200);
    EXPECT_FLOAT_EQ(At(rising).y, 300.0f);
    Frames(551);  // to age 1000
    EXPECT_FLOAT_EQ(At(rising).y, 300.0f);
    Frame();
    EXPECT_FLOAT_EQ(At(rising).y, 302.0f);
    SetMissionTimer(5000, 2000);
    EXPECT_EQ(FramesUntilEmpty(1000), 300);  // y > 900
    EXPECT_EQ(g_GameState.MissionTimer.remaining, 0);
}

TEST_F(Stage3BehaviourTest, DeathRunsFromDestroyedCoreParts) {
    struct Case {
        i32 kind, state, next;
    };
    const Case cases[] = {{10, 280, 111}, {24, 313, 312}, {25, 314, 312}, {31, 301, 305},
                          {32, 301, 305}, {33, 304, 305}, {50, 101, 102}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        Restart();
        const i32 e = Spawn(c.kind, c.state, 320, 200, 1);
        At(e).active = 1;
        DestroyEnemy(e);
        ASSERT_EQ(g_EnemyList.size(), 1u);
        EXPECT_EQ(At(e).state, c.next);
        EXPECT_EQ(At(e).corePart, kNoPart);
        ASSERT_GT(FramesUntilEmpty(3000), 0);
    }
}

TEST_F(Stage3BehaviourTest, WrecksFallRockAndShakeTheScreen) {
    // 305: y += min(0.05 age + 0.2, 4); the shake only past y 1200.
    const i32 fortress = Spawn(31, 305, 320, 200, 0);
    Frames(3);
    EXPECT_FLOAT_EQ(At(fortress).y, 200.0f + 0.2f + 0.25f + 0.3f);
    while (At(fortress).y <= 1200.0f) {
        EXPECT_EQ(g_GameState.ScreenShakeTimer, 0);
        Frame();
    }
    Frame();
    EXPECT_TRUE(g_EnemyList.empty());
    EXPECT_EQ(g_GameState.ScreenShakeTimer, 20);
    // 312: the barge rocks by 0.00075 age about pi/2, switching every 4 ages.
    Restart();
    const i32 barge = Spawn(24, 312, 320, 200, 0);
    Frames(5);  // ages 0..4: the last seen 4, (4 / 4) odd
    EXPECT_FLOAT_EQ(At(barge).rotation, kHalfPi + 4.0f * 0.00075f);
    Frames(4);  // age 8, even
    EXPECT_FLOAT_EQ(At(barge).rotation, kHalfPi - 8.0f * 0.00075f);
    g_EffectList.clear();
    Frames(91);  // age 99
    EXPECT_EQ(g_EnemyList.size(), 1u);
    Frame();  // age 100: thirty explosions, the shake
    EXPECT_TRUE(g_EnemyList.empty());
    EXPECT_EQ(g_EffectList.size(), 30u);
    EXPECT_EQ(g_GameState.ScreenShakeTimer, 20);
}

TEST_F(Stage3BehaviourTest, TheMidBossDivesInFightsInCyclesAndLeavesWithItsTalk) {
    const i32 e = Spawn(50, 101, 320, -20, 12);
    g_GameState.BossActiveFlag = 1;
    Frames(171);  // ages 0..170
    EXPECT_EQ(At(e).active, 0);
    Frame();  // age 171: the fight starts
    EXPECT_EQ(At(e).age, 1200);
    EXPECT_EQ(At(e).active, 1);
    EXPECT_EQ(g_GameState.BossActiveFlag, 0);
    EXPECT_EQ(Root(e, 2).action, 390);
    // Age 1200: the dash, one draw; toward y 480 at speed 7 (braked once).
    u32 seed = RandomGetState();
    Frame();
    EXPECT_EQ(DrawsSince(seed), 1);
    EXPECT_FLOAT_EQ(At(e).speed, 7.0f - 0.075f);
    EXPECT_GT(std::sin(At(e).heading), 0.0f);
    // Age 1300: the return, one draw, aiming at y 40 ((1300 / 300) even),
    // from where the shudder left it (1300 mod 8 = 4: up by 3 unless the
    // frame counter's turn moves it down).
    Frames(99);
    seed = RandomGetState();
    const f32 tx = RandomFloat(170.0f, 470.0f);
    RandomSetState(seed);
    const f32 x = At(e).x;
    const f32 y = At(e).y + (g_GameState.FrameCounter % 8 == 0 ? 3.0f : -3.0f);
    Frame();
    EXPECT_EQ(DrawsSince(seed), 1);
    EXPECT_NEAR(At(e).heading, std::atan2(40.0f - y, tx - x), 1e-5);
    // Age 1600 aims at y 80.
    Frames(299);
    seed = RandomGetState();
    const f32 tx2 = RandomFloat(170.0f, 470.0f);
    RandomSetState(seed);
    const f32 x2 = At(e).x;
    const f32 y2 = At(e).y + (g_GameState.FrameCounter % 8 == 0 ? 3.0f : 0.0f);  // 1600 mod 8 = 0
    Frame();
    EXPECT_NEAR(At(e).heading, std::atan2(80.0f - y2, tx2 - x2), 1e-5);
    // Age 2099: the fight ends; it leaves downward.
    At(e).age = 2099;
    Frame();
    EXPECT_EQ(At(e).age, 10001);
    EXPECT_EQ(Root(e, 2).action, 392);
    EXPECT_EQ(Root(e, 2).timer, 0);
    EXPECT_FLOAT_EQ(At(e).heading, kHalfPi);
    QuietTalk();
    ASSERT_GT(FramesUntilEmpty(2000), 0);
    EXPECT_EQ(g_TalkState.eventId, 397);
}

TEST_F(Stage3BehaviourTest, TheMidBossArmourTakesItsFinsAndItsWreckTalksOnItsWayOut) {
    const i32 e = Spawn(50, 101, 320, 200, 0);
    Root(e, 0).state = -1;
    Frame();
    EXPECT_EQ(Root(e, 3).state, -1);
    EXPECT_EQ(Root(e, 3).action, 13);
    EXPECT_EQ(Root(e, 4).state, 1);
    Root(e, 3).action = 0;  // already destroyed: nothing more
    Frame();
    EXPECT_EQ(Root(e, 3).action, 0);
    Root(e, 1).state = -1;
    Frame();
    EXPECT_EQ(Root(e, 4).action, 13);
    // The wreck spins and falls; past y 600 its talk.
    At(e).state = 102;
    At(e).speed = 0;
    const f32 rotation = At(e).rotation;
    Frame();
    EXPECT_FLOAT_EQ(At(e).rotation, rotation - 0.01f);
    EXPECT_FLOAT_EQ(At(e).speed, 0.05f);
    QuietTalk();
    ASSERT_GT(FramesUntilEmpty(2000), 0);
    EXPECT_EQ(g_TalkState.eventId, 396);
}

}  // namespace
