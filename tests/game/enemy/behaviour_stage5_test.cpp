// The behaviours of stage index 4's regular enemies over frames.
#include <algorithm>
#include <cmath>
#include <tuple>
#include <vector>

#include "engine/core/radians.h"
#include "game/play/play_overlays.h"
#include "tests/game/enemy/stage5_fixture.h"

namespace {

using enemy_test::DrawsSince;
using stage5_test::Stage5Test;

class Stage5BehaviourTest : public Stage5Test {
protected:
    i32 CountEffects(i32 kind) const {
        i32 n = 0;
        for (const Effect& e : g_EffectList) n += e.kind == kind ? 1 : 0;
        return n;
    }
};

// Each enemy leaves on the frame its state says, failing the mission where
// it gets away and not where it simply ends.
TEST_F(Stage5BehaviourTest, EnemiesLeaveWhereTheirStatesSayAndFailTheMissionOnlyWhenTheyGetAway) {
    struct Case {
        i32 kind, state;
        f32 x, y, speed, heading;
        i32 framesToRemoval;  // -1: only that it leaves within 5000 frames
        bool fails;
    };
    const Case cases[] = {
        {1, 111, 300, 0, 0, kHalfPi, 145, false},  // y += 0.05 age until y >= 520
        {11, 409, 300, 0, 0, kHalfPi, 145, false},
        {9, 405, 300, 520, 5, -kHalfPi, 202, false},  // age > 200
        {9, 406, 300, 520, 5, -kHalfPi, 202, false},
        {91, 482, 620, 200, -4.5f, -kHalfPi, 1002, false},  // age > 1000
        {20, 440, 320, -150, 0.5f, kHalfPi, 1401, true},    // y > 550
        {81, 495, 300, -200, 4, kHalfPi, 153, false},       // 5 a frame until y > 560
        {12, 403, 300, 600, 10, -kHalfPi, -1, false},       // leaves the top without failing
        {10, 404, 300, -50, 7.5f, kHalfPi, -1, true},
        {10, 431, 300, -50, 7, kHalfPi, -1, true},
        {11, 432, -20, 250, 8, 0, -1, true},
        {11, 407, 320, 280, 0, -kHalfPi, -1, false},
        {11, 408, 320, -50, 7, kHalfPi, -1, true},
        {21, 430, 200, -100, 8, kHalfPi, -1, true},
        {15, 460, 0, 340, 10, -kHalfPi, -1, true},
        {15, 461, 640, 340, 10, -kHalfPi, -1, true},
        {90, 481, 50, 150, 5, -kHalfPi, -1, false},
        {92, 483, 50, 150, 5, -kHalfPi, -1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "state " << c.state);
        Restart();
        g_GameState.MissionTimer.remaining = 100000;
        Spawn(c.kind, c.state, c.x, c.y, c.speed, c.heading);
        const i32 frames = FramesUntilEmpty(5000);
        if (c.framesToRemoval >= 0) {
            EXPECT_EQ(frames, c.framesToRemoval);
        } else {
            EXPECT_GT(frames, 0);
        }
        EXPECT_EQ(g_GameState.MissionTimer.remaining == 0, c.fails);
    }
}

TEST_F(Stage5BehaviourTest, TheBackingOffStateHandsOverAtAge149AndWandersFrom150) {
    const i32 e = Spawn(30, 281, 320, -200, 9);
    RandomSeed(77);
    Frames(149);  // ages 0..148
    EXPECT_EQ(At(e).state, 281);
    EXPECT_LE(At(e).speed, -0.99f);  // backed off to its floor of -1
    EXPECT_GT(At(e).speed, -1.11f);
    Frame();  // age 149: the wanderer takes over with its age
    EXPECT_EQ(At(e).state, 280);
    EXPECT_EQ(At(e).age, 150);
    EXPECT_EQ(DrawsSince(77), 0);
    const f32 x = At(e).x;
    const f32 y = At(e).y;
    Frame();  // age 150: the first target (x, then y in 140..240)
    EXPECT_EQ(DrawsSince(77), 2);
    RandomSeed(77);
    const f32 tx = RandomFloat(200.0f, 440.0f);
    const f32 ty = RandomFloat(140.0f, 240.0f);
    const f64 distance = std::hypot(static_cast<f64>(tx) - x, static_cast<f64>(ty) - y);
    EXPECT_NEAR(At(e).heading, std::atan2(static_cast<f64>(ty) - y, static_cast<f64>(tx) - x), 1e-6);
    EXPECT_NEAR(At(e).speed, std::max(1.0, 0.01 * distance), 1e-4);
}

TEST_F(Stage5BehaviourTest, TheWandererPicksAHighTargetEvery300FramesAndSlowsLateInEach150) {
    const i32 e = Spawn(30, 280, 320, 100, 0);
    At(e).age = 300;
    RandomSeed(5);
    Frame();  // age 300: y drawn in 50..150
    RandomSeed(5);
    const f32 tx = RandomFloat(200.0f, 440.0f);
    const f32 ty = RandomFloat(50.0f, 150.0f);
    EXPECT_NEAR(At(e).heading, std::atan2(static_cast<f64>(ty) - 100.0, static_cast<f64>(tx) - 320.0), 1e-6);
    At(e).age = 401;  // 401 % 150 = 101: slows by 0.05
    const f32 speed = At(e).speed;
    Frame();
    EXPECT_FLOAT_EQ(At(e).speed, speed - 0.05f);
    At(e).age = 351;  // 351 % 150 = 51: keeps its speed
    Frame();
    EXPECT_FLOAT_EQ(At(e).speed, speed - 0.05f);
}

TEST_F(Stage5BehaviourTest, SmallShipsSwapTheirPictureAtAge80AndPeelOff) {
    for (const auto& [state, picture, turn] : {std::tuple{405, 484, 0.012f}, std::tuple{406, 483, -0.012f}}) {
        SCOPED_TRACE(state);
        Restart();
        const i32 e = Spawn(9, state, 300, 520, 5, -kHalfPi);
        Frames(80);  // ages 0..79
        EXPECT_EQ(Root(e, 0).spriteKind, 482);
        EXPECT_NEAR(At(e).speed, 1.0f, 0.06f);  // braked to 1
        Frame();                                // age 80: the new picture, no turn yet
        EXPECT_EQ(Root(e, 0).spriteKind, picture);
        EXPECT_FLOAT_EQ(At(e).heading, -kHalfPi);
        const f32 speed = At(e).speed;
        Frame();  // age 81: turns and speeds up
        EXPECT_FLOAT_EQ(At(e).heading, -kHalfPi + turn);
        EXPECT_FLOAT_EQ(At(e).rotation, At(e).heading);
        EXPECT_FLOAT_EQ(At(e).speed, speed + 0.15f);
    }
}

TEST_F(Stage5BehaviourTest, DriftingShipsTurnOnceAtAge301AndClimbAway) {
    const i32 e = Spawn(11, 407, 320, 280, 0, -kHalfPi);
    RandomSeed(9);
    Frames(301);  // ages 0..300
    EXPECT_FLOAT_EQ(At(e).y, 280.0f + 301 * 0.5f);
    EXPECT_EQ(DrawsSince(9), 0);
    Frame();  // age 301: one turn drawn, the climb begins next frame
    EXPECT_EQ(DrawsSince(9), 1);
    EXPECT_EQ(At(e).age, 1001);
    RandomSeed(9);
    EXPECT_FLOAT_EQ(At(e).heading, -kHalfPi + RandomFloat(-0.1f, 0.1f));
    const f32 y = At(e).y;
    Frame();
    EXPECT_FLOAT_EQ(At(e).speed, 0.05f);
    EXPECT_LT(At(e).y, y);
}

// The gunship drifts to a target x drawn when it has braked; a target to its
// left gives a negative speed, which nothing bounds.
TEST_F(Stage5BehaviourTest, TheGunshipDriftsTowardItsTargetEvenLeftward) {
    const i32 e = Spawn(21, 430, 480, -100, 8);
    u32 before = 0;
    f32 x = 0;
    for (i32 f = 0; f < 200 && At(e).age < 1000; ++f) {
        before = RandomGetState();
        Frame();
        x = At(e).x;
    }
    ASSERT_EQ(At(e).age, 1001);
    RandomSetState(before);
    const f32 tx = RandomFloat(150.0f, 490.0f);
    EXPECT_FLOAT_EQ(At(e).speed, std::min((tx - x) * 0.005f, 1.0f));
    // Drawn targets below 480 - 200 give a speed below -1.
    RandomSeed(1);
    bool farLeft = false;
    for (i32 k = 0; k < 50; ++k) farLeft = farLeft || RandomFloat(150.0f, 490.0f) < 270.0f;
    EXPECT_TRUE(farLeft);
}

// The sinking carrier sounds and bursts at age 0 and every 50 frames to 200,
// then blows up after 250.
TEST_F(Stage5BehaviourTest, TheSinkingCarrierBurstsFromAge0AndBlowsUpAfter250) {
    const i32 e = Spawn(20, 441, 320, 200, 0);
    RandomSeed(21);
    Frame();  // age 0
    EXPECT_EQ(CountEffects(10), 8);
    EXPECT_EQ(DrawsSince(21), 2 + 8 * 3);
    Frames(250);  // ages 1..250
    EXPECT_EQ(CountEffects(10), 5 * 8);
    EXPECT_GT(At(e).y, 200.0f);
    Frame();  // age 251
    EXPECT_TRUE(g_EnemyList.empty());
    EXPECT_EQ(CountEffects(10), 5 * 8 + 20);
    EXPECT_EQ(DrawsSince(21), 5 * (2 + 8 * 3) + 20 * 3);
}

// The small ships of the pairs turn by their scale; 491 speeds up after 300,
// 492 stops turning at 500; they leave once off the field after age 500.
TEST_F(Stage5BehaviourTest, PairShipsWheelByTheirScaleAndLeaveAfterAge500) {
    for (const i32 state : {490, 491, 492}) {
        SCOPED_TRACE(state);
        Restart();
        const i32 e = Spawn(80, state, 320, 240, 0, 0.0f);
        At(e).scale = 0.002f;
        Frames(10);
        EXPECT_NEAR(At(e).rotation, 0.02f, 1e-6);
        EXPECT_FLOAT_EQ(At(e).heading, At(e).rotation);
        EXPECT_NEAR(At(e).y, 245.0f, 0.01f);  // +0.5 a frame, no speed
        At(e).age = 301;
        Frame();
        EXPECT_FLOAT_EQ(At(e).speed, state == 490 ? 0.0f : 0.05f);
        At(e).age = 500;
        const f32 rotation = At(e).rotation;
        Frame();
        EXPECT_EQ(At(e).rotation == rotation, state == 492);
        // Inside the field it stays; outside it leaves.
        At(e).age = 600;
        Frame();
        ASSERT_EQ(g_EnemyList.size(), 1u);
        At(e).x = 700;
        Frame();
        EXPECT_TRUE(g_EnemyList.empty());
    }
}

TEST_F(Stage5BehaviourTest, FriendsShowTheirPicturesByAge) {
    struct Case {
        i32 kind, state, early, middle, late, turn;
    };
    const Case cases[] = {{90, 481, 461, 460, 462, 600}, {92, 483, 466, 464, 465, 700}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.state);
        Restart();
        const i32 e = Spawn(c.kind, c.state, 50, 150, 5, -kHalfPi);
        Frame();
        EXPECT_EQ(Root(e, 0).spriteKind, c.early);
        EXPECT_FLOAT_EQ(At(e).x, 52.0f);
        Frames(99);                              // ages 1..99
        EXPECT_NEAR(At(e).scale, 0.6f, 0.011f);  // shrunk to about 0.6
        Frame();                                 // age 100
        EXPECT_EQ(Root(e, 0).spriteKind, c.middle);
        EXPECT_FLOAT_EQ(At(e).heading, 0.0f);
        Frames(c.turn - 101);
        Frame();  // the turn age: heading up, no move
        const f32 x = At(e).x;
        EXPECT_FLOAT_EQ(At(e).heading, -kHalfPi);
        Frame();
        EXPECT_EQ(Root(e, 0).spriteKind, c.late);
        EXPECT_FLOAT_EQ(At(e).heading, -kHalfPi - 0.01f);
        EXPECT_NE(At(e).x, x);
    }
}

TEST_F(Stage5BehaviourTest, UnlistedStatesMoveStraightOn) {
    const i32 e = Spawn(1, 999, 300, 100, 2.0f, 0.0f);
    Frames(10);
    EXPECT_FLOAT_EQ(At(e).x, 320.0f);
    EXPECT_FLOAT_EQ(At(e).y, 100.0f);
    EXPECT_EQ(At(e).age, 10);
}

}  // namespace
