// The behaviours of stage index 3's ordinary enemies over frames: routes and
// their ends, the banded falls, the turns, the wrecks, the enemy that keeps
// itself at the front and the one that grows into a target.
#include <cmath>
#include <numbers>
#include <vector>

#include "engine/core/radians.h"
#include "game/play/play_overlays.h"
#include "game/play/stage_random.h"
#include "game/shell/sound_effects.h"
#include "game/shell/sound_names.h"
#include "tests/game/enemy/stage4_fixture.h"

namespace {

using stage4_test::DrawsSince;
using stage4_test::Stage4Test;

class Stage4BehaviourTest : public Stage4Test {};

// Each route lives to its last age or bound and is removed on the frame after
// it; escapes fail a running mission, plain removals do not.
TEST_F(Stage4BehaviourTest, RoutesEndAfterTheirLastAgeOrBound) {
    struct Case {
        i32 kind, state;
        f32 x, y, speed, heading;
        i32 framesToRemoval;
        bool failsMission;
    };
    const Case cases[] = {
        {2, 501, 300, 200, 0, kHalfPi, 802, true},   // age > 800
        {2, 501, 300, 570, 0.8f, kHalfPi, 5, true},  // y > 580 after the move: 570 + 3 x 0.8 x 5
        {3, 502, 300, 200, 0, kHalfPi, 602, true},   // age > 600
        {3, 505, 100, 300, 2, -kHalfPi, 302, true},  // age > 300
        {3, 506, 540, 300, 2, -kHalfPi, 302, true},
        {10, 510, 300, 540, 1, kHalfPi, 11, true},  // y > 550
        {3, 520, 300, 200, 0, kHalfPi, 502, true},  // age > 500
        {3, 521, 300, 200, 0, kHalfPi, 502, true},
        {11, 512, 300, -99, 0.5f, -kHalfPi, 2, false},  // y < -100: 0.55, then 0.6 up
        {12, 515, 300, 548, 1, kHalfPi, 3, false},      // y > 550
        {13, 515, -10, 300, 0, kHalfPi, 102, false},    // age > 100 and x < 0
        {8, 535, 300, -49, 1, -kHalfPi, 2, false},      // y < -50
        {10, 511, 300, 200, 0, kHalfPi, 102, false},    // the wreck bursts at age 101
        {6, 537, 300, 200, 0, kHalfPi, 102, false},
        {2, 999, 300, 200, 1, kHalfPi, -1, false},  // unlisted: drifts on for ever
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.state << " from (" << c.x << ", " << c.y << ")");
        Restart();
        SetMissionTimer(5000, 1000);
        Spawn(c.kind, c.state, c.x, c.y, c.speed, c.heading);
        EXPECT_EQ(FramesUntilEmpty(2000), c.framesToRemoval);
        EXPECT_EQ(g_GameState.MissionTimer.remaining == 0, c.failsMission);
        if (c.framesToRemoval > 0) {
            EXPECT_EQ(CountFreePartSlots(), kEnemyPartPoolSize);
        }
    }
}

// State 501 crosses the top and bottom bands three times as fast as the
// middle: with speed 0.8, 2.4 pixels at y 40 or 360, 0.4 at y 100, 0.8 at 200.
TEST_F(Stage4BehaviourTest, TheSwayingFallCrossesTheBandsAtTheirPace) {
    struct Case {
        f32 y, dy;
    };
    const Case cases[] = {{40, 2.4f}, {49.9f, 2.4f}, {50, 0.4f}, {100, 0.4f}, {150, 0.8f}, {350, 0.8f}, {360, 2.4f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.y);
        Restart();
        const i32 e = Spawn(2, 501, 300, c.y, 0.8f);
        Frame();  // age 0: no sway yet (sin 0)
        EXPECT_NEAR(At(e).y - c.y, c.dy, 1e-4);
        EXPECT_FLOAT_EQ(At(e).x, 300.0f);
        Frame();  // age 1: x += 1.5 sin(2 pi / 200)
        EXPECT_NEAR(At(e).x, 300.0f + 1.5f * std::sin(2.0 * std::numbers::pi / 200.0), 1e-4);
    }
    // 502 has no middle band and turns toward the player while it falls.
    const i32 e = Spawn(3, 502, 200, 100, 0.8f);
    Frame();
    EXPECT_FLOAT_EQ(At(e).y, 100.8f);
    EXPECT_GT(At(e).rotation, kHalfPi - 0.021f);
    EXPECT_LT(At(e).rotation, kHalfPi);  // the player is down and to the right
}

// 505 and 506 spin once over ages 50 to 99 (2 pi / 50 a frame), then face the
// player; their headings bend by 0.02 a frame.
TEST_F(Stage4BehaviourTest, CirclingEntriesSpinOnceInOppositeSenses) {
    for (const i32 state : {505, 506}) {
        SCOPED_TRACE(state);
        Restart();
        const i32 e = Spawn(3, state, 320, 300, 3, -kHalfPi);
        Frame();  // age 0: rotation = heading, then the heading bends
        const f32 sign = state == 505 ? 1.0f : -1.0f;
        EXPECT_FLOAT_EQ(At(e).rotation, -kHalfPi);
        EXPECT_FLOAT_EQ(At(e).heading, -kHalfPi + sign * 0.02f);
        EXPECT_FLOAT_EQ(At(e).speed, 2.97f);
        Frames(49);  // to age 49
        const f32 before = At(e).rotation;
        Frames(50);  // ages 50 .. 99
        EXPECT_NEAR(At(e).rotation - before, -sign * 2.0f * std::numbers::pi_v<f32>, 1e-4);
        Frame();  // age 100: toward the player by at most 0.05 (the angle comes back normalised)
        const f32 turned = std::remainder(At(e).rotation - before, 2.0f * std::numbers::pi_v<f32>);
        EXPECT_LE(std::fabs(turned), 0.0501f);
    }
}

// 507 spawned at speed 7 brakes to about -0.5 over 75 steps, drifts back
// facing the player, takes its rotation as heading at age 200 and climbs
// away up to speed 4.
TEST_F(Stage4BehaviourTest, TheBrakingRunDriftsBackThenClimbsAway) {
    const i32 e = Spawn(2, 507, 300, -50, 7);
    Frames(75);
    EXPECT_NEAR(At(e).speed, -0.5f, 1e-4);
    EXPECT_FLOAT_EQ(At(e).heading, kHalfPi);
    g_PlayerState[0].x = 200.0f;
    Frames(125);                         // to age 199
    EXPECT_GT(At(e).rotation, kHalfPi);  // turned toward the player (down-left)
    const f32 rotation = At(e).rotation;
    Frame();  // age 200: the heading takes the rotation; no climb yet
    EXPECT_FLOAT_EQ(At(e).heading, rotation);
    EXPECT_NEAR(At(e).speed, -0.3f, 1e-4);
    Frame();  // age 201: turning up, +0.2
    EXPECT_NEAR(At(e).speed, -0.1f, 1e-4);
    Frames(40);
    EXPECT_FLOAT_EQ(At(e).speed, 4.0f);
    EXPECT_EQ(At(e).heading, At(e).rotation);
}

// 522 first turns its heading up while it brakes to 0.5.
TEST_F(Stage4BehaviourTest, TheRisingRunTurnsUpWhileItBrakes) {
    const i32 e = Spawn(3, 522, 60, 200, 7.5f, 0.0f);
    At(e).rotation = kHalfPi;
    Frame();
    EXPECT_FLOAT_EQ(At(e).heading, -0.015f);
    EXPECT_FLOAT_EQ(At(e).speed, 7.4f);
    EXPECT_FLOAT_EQ(At(e).rotation, kHalfPi);  // fast: no aim yet
    Frames(74);  // braked by 0.1 while above 0.5: the float steps stop at 0.5 or one step under
    EXPECT_LE(At(e).speed, 0.5f);
    EXPECT_GT(At(e).speed, 0.39f);
    EXPECT_NEAR(At(e).heading, -75 * 0.015f, 1e-4);
}

// 520 brakes by 0.05 while above 0.2 and bends only in its first 100 steps;
// from age 200 it faces the player, from 401 it speeds off.
TEST_F(Stage4BehaviourTest, BendingRunsBendOnlyWhileFast) {
    for (const f32 bend : {0.01f, -0.01f}) {
        Restart();
        const i32 e = Spawn(3, bend > 0 ? 520 : 521, -40, 100, 7, -0.4f);
        Frames(100);
        EXPECT_NEAR(At(e).heading, -0.4f + 100 * bend, 1e-4);
        Frames(100);  // speed stops falling at 0.2
        EXPECT_NEAR(At(e).speed, 0.2f, 0.051f);
        EXPECT_NEAR(At(e).heading, -0.4f + 100 * bend, 1e-4);
        const f32 speed = At(e).speed;
        Frames(201);  // to age 400: aiming, the speed kept
        EXPECT_FLOAT_EQ(At(e).speed, speed);
        Frame();  // age 401
        EXPECT_FLOAT_EQ(At(e).speed, speed + 0.1f);
    }
}

// A wreck falls for 101 steps (511 also shrinks) and at age 101 leaves ten
// explosions one every two frames, and the big explosion's sound.
TEST_F(Stage4BehaviourTest, WrecksFallShrinkAndBurst) {
    const i32 a = Spawn(10, 511, 300, 100, 0.5f);
    Spawn(12, 511, 200, 100, 0.5f);
    Frame();
    EXPECT_FLOAT_EQ(At(a).scale, 0.995f);
    EXPECT_FLOAT_EQ(At(a).y, 100.5f);
    EXPECT_FLOAT_EQ(At(a).speed, 0.52f);
    Frames(100);  // ages 1..100
    ASSERT_EQ(g_EnemyList.size(), 2u);
    const f32 x = At(0).x;
    const f32 y = At(0).y;
    const u32 seed = RandomGetState();
    g_EffectList.clear();
    RearmSoundEffectGates();
    Frame();  // age 101: both burst
    EXPECT_TRUE(g_EnemyList.empty());
    ASSERT_EQ(g_EffectList.size(), 20u);
    for (i32 k = 0; k < 10; ++k) {
        EXPECT_EQ(g_EffectList[static_cast<std::size_t>(k)].age, -2 * k);
        EXPECT_EQ(g_EffectList[static_cast<std::size_t>(k)].kind, 10);
    }
    // The first wreck's burst is around its place after this frame's fall.
    const f32 fall = 0.52f + 101 * 0.02f;
    for (i32 k = 0; k < 10; ++k) {
        EXPECT_LE(std::fabs(g_EffectList[static_cast<std::size_t>(k)].x - x), 50.0f);
        EXPECT_LE(std::fabs(g_EffectList[static_cast<std::size_t>(k)].y - (y + fall)), 50.01f);
    }
    EXPECT_EQ(DrawsSince(seed), 60);
    EXPECT_EQ(SoundEffectGates[kSoundSenGeBom05], 0);  // played (once: its gate closed)

    // 537: no shrinking, a burst of twenty, 80 pixels wide.
    Spawn(6, 537, 300, 100, 0);
    Frame();
    EXPECT_FLOAT_EQ(At(0).scale, 0.85f);
    Frames(100);
    g_EffectList.clear();
    Frame();
    EXPECT_EQ(g_EffectList.size(), 20u);
    EXPECT_EQ(g_EffectList.back().age, -38);
}

// 512 looks at the enemies ahead of it: any spawn id other than 511 sends it
// to the front; behind enemies of its own kind only it stays.
TEST_F(Stage4BehaviourTest, TheRiserKeepsItselfAheadOfOtherKinds) {
    struct Case {
        std::vector<i32> aheadKinds;  // 2: spawn id 0; 11: spawn id 511
        bool moves;
    };
    const Case cases[] = {{{2, 11, 11}, true}, {{11, 11}, false}, {{11, 2}, true}, {{}, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.aheadKinds.size());
        Restart();
        for (const i32 kind : c.aheadKinds) Spawn(kind, kind == 11 ? 512 : 999, 300, 300, 0, -kHalfPi);
        const i32 e = Spawn(11, 512, 300, -99.9f, 0.5f, -kHalfPi);
        At(e).counter = 77;  // to find it again
        Frame();
        // Its step takes it past y = -100; unless it moves to the front, it is removed.
        i32 at = -1;
        for (std::size_t i = 0; i < g_EnemyList.size(); ++i) {
            if (g_EnemyList[i].counter == 77) at = static_cast<i32>(i);
        }
        if (c.moves) {
            EXPECT_EQ(at, 0);
            EXPECT_EQ(At(0).age, 1);  // stepped and aged once
        } else {
            EXPECT_EQ(at, -1);  // it passed y = -100 and was removed
        }
    }
}

// 530: inactive at half scale, it stops, drifts back, and from age 151 grows
// by 0.005 a step; it becomes a target in the step its scale reaches 1.
TEST_F(Stage4BehaviourTest, TheCarrierGrowsIntoATarget) {
    const i32 e = Spawn(5, 530, 420, -250, 3);
    At(e).active = 0;
    At(e).scale = 0.5f;
    Frames(151);  // ages 0..150
    EXPECT_FLOAT_EQ(At(e).scale, 0.5f);
    EXPECT_NEAR(At(e).speed, 1.49f, 1e-4);
    i32 steps = 0;
    while (At(e).active == 0 && steps < 200) {
        Frame();
        ++steps;
    }
    EXPECT_EQ(At(e).active, 1);
    EXPECT_GE(At(e).scale, 1.0f);
    EXPECT_NEAR(steps, 100, 1);
    const f32 grown = At(e).scale;
    Frames(10);
    EXPECT_EQ(At(e).scale, grown);
}

// 535: scenery creeps down at 0.2 until age 700, then turns up and climbs;
// it never becomes a target.
TEST_F(Stage4BehaviourTest, SceneryCreepsDownThenClimbsAway) {
    const i32 e = Spawn(8, 535, 280, 200, 0, kHalfPi + 0.1f);
    At(e).active = 0;
    At(e).age = 100;
    At(e).rotation = -kHalfPi;
    Frames(600);  // ages 100..699
    EXPECT_NEAR(At(e).y, 200.0f + 600 * 0.2f, 1e-2);
    EXPECT_FLOAT_EQ(At(e).speed, 0.0f);
    Frame();  // age 700: speed 0.1, heading turns up
    EXPECT_FLOAT_EQ(At(e).speed, 0.1f);
    EXPECT_FLOAT_EQ(At(e).heading, kHalfPi + 0.1f + 0.05f);  // the shorter way up is round the left
    EXPECT_FLOAT_EQ(At(e).rotation, -kHalfPi);
    EXPECT_GT(FramesUntilEmpty(2000), 0);
    EXPECT_EQ(g_GameState.MissionTimer.remaining, 0);
}

// 536: brakes from 5 to a stop, climbs at 0.25 from age 300 and faster from 400.
TEST_F(Stage4BehaviourTest, TheSideGunnerBrakesHoversAndLeaves) {
    const i32 e = Spawn(6, 536, 220, -200, 5);
    Frames(300);
    EXPECT_LE(At(e).speed, 0.0f);
    EXPECT_GT(At(e).speed, -0.031f);
    const f32 y = At(e).y;
    Frames(100);  // ages 300..399
    EXPECT_NEAR(At(e).y, y - 25.0f, 1e-3);
    Frames(2);  // ages 400, 401: 0, then 0.02
    EXPECT_NEAR(At(e).y, y - 25.02f, 1e-3);
    EXPECT_FLOAT_EQ(At(e).x, 220.0f);
    EXPECT_GT(FramesUntilEmpty(2000), 0);
}

}  // namespace
