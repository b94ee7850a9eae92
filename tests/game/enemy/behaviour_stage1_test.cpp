// The behaviours of stage index 0's ordinary enemies and escorts over frames.
#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/core/radians.h"
#include "game/play/play_overlays.h"
#include "game/play/talk.h"
#include "game/shell/transition.h"
#include "tests/game/enemy/stage1_fixture.h"

namespace {

using stage1_test::DrawsSince;
using stage1_test::Stage1Test;

class Stage1BehaviourTest : public Stage1Test {};

// Each route lives its whole length and is removed on the frame after its
// last age: the frame whose step sees age `last + 1`.
TEST_F(Stage1BehaviourTest, RoutesEndAfterTheirLastAge) {
    struct Case {
        i32 kind, state;
        f32 x, y, speed, heading;
        i32 framesToRemoval;
    };
    const Case cases[] = {
        // clang-format off
        {1, 101, 200, -50, 5, kHalfPi, 352},    // age > 350
        {1, 102, 440, -50, 5, kHalfPi, 352},
        {11, 105, 300, 520, 2, -kHalfPi, 202},  // age > 200
        {12, 107, 300, -40, 2, kHalfPi, 152},   // age > 150
        {12, 108, 300, -40, 2, kHalfPi, 152},
        {2, 110, 20, 300, 2, -kHalfPi, 1702},   // age > 1700
        {52, 113, 320, 200, 1, kHalfPi, 402},   // age > 400
        // clang-format on
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.state);
        Restart();
        Spawn(c.kind, c.state, c.x, c.y, c.speed, c.heading);
        EXPECT_EQ(FramesUntilEmpty(5000), c.framesToRemoval);
        EXPECT_EQ(CountFreePartSlots(), kEnemyPartPoolSize);
    }
}

TEST_F(Stage1BehaviourTest, WavesOfKindOneBankAwayAndSpeedOff) {
    const i32 left = Spawn(1, 101, 200, -50, 5);
    const i32 right = Spawn(1, 102, 440, -50, 5);
    Frames(51);  // ages 0..50: no turn yet; the speed falls by 0.1 a frame to about 2
    EXPECT_FLOAT_EQ(At(left).heading, kHalfPi);
    EXPECT_LE(At(left).speed, 2.0f);  // float steps of 0.1 may stop just under 2
    EXPECT_GT(At(left).speed, 1.89f);
    Frame();  // age 51: the turn starts
    EXPECT_FLOAT_EQ(At(left).heading, kHalfPi - 0.012f);
    EXPECT_FLOAT_EQ(At(right).heading, kHalfPi + 0.012f);
    EXPECT_EQ(At(left).rotation, At(left).heading);
    Frames(249);  // up to age 300: speed stays at 2 or just under
    const f32 before = At(left).speed;
    Frame();  // age 301: the speed-up
    EXPECT_FLOAT_EQ(At(left).speed, before + 0.2f);
}

TEST_F(Stage1BehaviourTest, PeelOffSwapsThePictureOnItsAgeAndTurnsFromTheNext) {
    struct Case {
        i32 kind, state, swapAge, swapKind;
        f32 turn;
    };
    const Case cases[] = {{11, 105, 80, 123, 0.012f}, {12, 107, 60, 123, 0.025f}, {12, 108, 60, 122, -0.025f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.state);
        Restart();
        const f32 heading = c.state == 105 ? -kHalfPi : kHalfPi;
        const i32 e = Spawn(c.kind, c.state, 300, 200, 2, heading);
        Frames(c.swapAge);  // ages 0 .. swapAge - 1
        EXPECT_EQ(Root(e, 0).spriteKind, 121);
        Frame();  // age swapAge: the swap, no turn yet
        EXPECT_EQ(Root(e, 0).spriteKind, c.swapKind);
        EXPECT_FLOAT_EQ(At(e).heading, heading);
        EXPECT_FLOAT_EQ(At(e).speed, 2.0f);
        Frame();  // the turn and the speed-up
        EXPECT_FLOAT_EQ(At(e).heading, heading + c.turn);
        EXPECT_FLOAT_EQ(At(e).speed, 2.1f);
    }
}

TEST_F(Stage1BehaviourTest, GunboatStopsThenBacksOutAndFailsTheMissionThroughTheTop) {
    const i32 e = Spawn(51, 103, 320, -150, 1);
    Frames(251);  // ages 0..250: the braking starts at 250
    EXPECT_FLOAT_EQ(At(e).speed, 0.9f);
    Frames(450);  // to age 700: stays at 0.2 or just under
    EXPECT_NEAR(At(e).speed, 0.2f, 0.11f);
    // Still inside the field at age 500 and later: it stays.
    EXPECT_GT(At(e).y, -100.0f);
    SetMissionTimer(600, 2000);
    const i32 frames = FramesUntilEmpty(5000);
    ASSERT_GT(frames, 0);
    EXPECT_EQ(g_GameState.MissionTimer.remaining, 0);  // failed as it left
}

TEST_F(Stage1BehaviourTest, AGunboatAboveTheFieldBeforeAge500IsKept) {
    const i32 e = Spawn(51, 103, 320, -150, 0);
    At(e).y = -200.0f;
    At(e).age = 400;
    Frames(101);  // ages 400..500
    EXPECT_EQ(g_EnemyList.size(), 1u);
    Frame();  // age 501
    EXPECT_TRUE(g_EnemyList.empty());
}

TEST_F(Stage1BehaviourTest, DiverBrakesToADriftFacesThePlayerAndEscapes) {
    const i32 e = Spawn(61, 104, 320, -10, 4.5f);
    g_PlayerState[0].x = 120.0f;  // far to the left: the rotation turns toward it
    f32 lowest = 10.0f;
    for (i32 i = 0; i < 400; ++i) {
        Frame();
        lowest = std::min(lowest, At(e).speed);
    }
    EXPECT_GE(lowest, -0.51f);
    EXPECT_LT(lowest, -0.49f);
    EXPECT_GT(At(e).rotation, kHalfPi);  // turned toward the player (down-left)
    EXPECT_FLOAT_EQ(At(e).heading, kHalfPi);
    Frame();  // age 400: no extra braking yet
    const f32 speed = At(e).speed;
    Frame();  // age 401: speed -= 0.1 on top of brake A
    EXPECT_LT(At(e).speed, speed - 0.099f);
    EXPECT_GT(FramesUntilEmpty(2000), 0);
}

TEST_F(Stage1BehaviourTest, CruiserBrakesAndOnlyBacksOffAfterAge400) {
    const i32 e = Spawn(71, 106, 320, -100, 5);
    Frames(200);
    EXPECT_LE(At(e).speed, 0.0f);
    EXPECT_GT(At(e).speed, -0.06f);  // stopped: no backing before age 400
    Frames(201);                     // ages 200..400
    const f32 stopped = At(e).speed;
    Frame();  // age 401
    EXPECT_FLOAT_EQ(At(e).speed, stopped - 0.01f);
    Frames(300);
    EXPECT_NEAR(At(e).speed, -1.0f, 0.011f);
}

TEST_F(Stage1BehaviourTest, FirstMidBossTalksOnceAtAge1450AndCannotBeHitAfter) {
    const i32 e = Spawn(2, 110, 20, 300, 2, -kHalfPi);
    Frames(1450);  // ages 0..1449
    EXPECT_EQ(g_TalkState.active, 0);
    EXPECT_EQ(At(e).active, 1);
    Frame();  // age 1450
    EXPECT_EQ(g_TalkState.active, 1);
    EXPECT_EQ(g_TalkState.eventId, 104);
    EXPECT_EQ(At(e).active, 0);
    QuietTalk();
    Frames(100);
    EXPECT_EQ(g_TalkState.active, 0);  // not started again
}

TEST_F(Stage1BehaviourTest, FirstMidBossCirclesWithItsStepLengths) {
    const i32 e = Spawn(2, 110, 20, 300, 2, -kHalfPi);
    Frame();  // age 0: heading + 0.018, step 5
    const f32 h = -kHalfPi + 0.018f;
    EXPECT_FLOAT_EQ(At(e).heading, h);
    EXPECT_FLOAT_EQ(At(e).rotation, h);
    EXPECT_NEAR(At(e).x, 20.0f + std::cos(h) * 5.0f, 1e-4);
    EXPECT_NEAR(At(e).y, 300.0f + std::sin(h) * 5.0f, 1e-4);
    At(e).age = 1580;
    const f32 before = At(e).heading;
    Frame();  // age 1580: turning back the other way
    EXPECT_FLOAT_EQ(At(e).heading, before - 0.01f);
}

TEST_F(Stage1BehaviourTest, ShotDownMidBossFallsFasterAndFasterAndLeavesAtTheBottom) {
    const i32 e = Spawn(2, 111, 200, 100, 0);
    Frame();  // age 0
    EXPECT_FLOAT_EQ(At(e).y, 100.0f);
    Frame();  // age 1
    EXPECT_FLOAT_EQ(At(e).y, 100.05f);
    Frame();  // age 2
    EXPECT_FLOAT_EQ(At(e).y, 100.15f);
    // y >= 520 after 1 + 2 + ... + k >= 8400: k = 129 at the latest.
    const i32 frames = FramesUntilEmpty(200);
    EXPECT_GT(frames, 120);
    EXPECT_LT(frames, 131);
}

TEST_F(Stage1BehaviourTest, SecondMidBossWakesAtAge200AndDrawsItsTargetsEvery200Frames) {
    const i32 e = Spawn(52, 112, 320, -150, 1);
    At(e).active = 0;
    RandomSeed(99);
    Frames(200);  // ages 0..199: straight down, no draw
    EXPECT_EQ(DrawsSince(99), 0);
    EXPECT_EQ(At(e).active, 0);
    EXPECT_FLOAT_EQ(At(e).y, 50.0f);
    Frame();  // age 200: active and the first target
    EXPECT_EQ(At(e).active, 1);
    EXPECT_EQ(DrawsSince(99), 1);
    Frames(199);
    EXPECT_EQ(DrawsSince(99), 1);
    Frame();  // age 400
    EXPECT_EQ(DrawsSince(99), 2);
    // Draws at 200, 400, ..., 3600: 18 in all; then it climbs out.
    At(e).age = 3600;
    RandomSeed(5);
    Frames(201);  // ages 3600..3800
    EXPECT_EQ(DrawsSince(5), 1);
    EXPECT_LT(At(e).speed, -1.9f);
    Frame();  // age 3801
    EXPECT_TRUE(g_EnemyList.empty());
}

TEST_F(Stage1BehaviourTest, SecondMidBossShotDownClimbsAwayAfterAge100) {
    const i32 e = Spawn(52, 113, 320, 200, 1);
    Frames(101);  // ages 0..100: still
    EXPECT_FLOAT_EQ(At(e).y, 200.0f);
    Frame();  // age 101
    EXPECT_FLOAT_EQ(At(e).y, 200.0f - 0.05f);
}

TEST_F(Stage1BehaviourTest, EscortsArmAtAge200AndThePresetAgeArmsOne50FramesEarlier) {
    const i32 a = Spawn(62, 120, 150, -30, 4);
    const i32 b = Spawn(62, 120, 200, -30, 4);
    At(a).active = 0;
    At(b).active = 0;
    At(b).age = 50;
    Frames(150);  // b saw ages 50..199
    EXPECT_EQ(At(a).active, 0);
    EXPECT_EQ(At(b).active, 0);
    Frame();  // b sees 200
    EXPECT_EQ(At(b).active, 1);
    EXPECT_EQ(At(a).active, 0);
    Frames(50);
    EXPECT_EQ(At(a).active, 1);
}

TEST_F(Stage1BehaviourTest, EscortsBrakeThenBobWithAPeriodOf100) {
    const i32 e = Spawn(62, 120, 150, -30, 4);
    Frames(100);  // ages 0..99: brake A
    EXPECT_LE(At(e).speed, 0.0f);
    Frame();  // age 100: bobbing speed sin(0) = 0
    EXPECT_NEAR(At(e).speed, 0.0f, 1e-6);
    Frame();  // age 101
    EXPECT_NEAR(At(e).speed, std::sin(0.01 * 2 * 3.14159265358979), 1e-6);
    Frames(24);  // age 125: a quarter period
    EXPECT_NEAR(At(e).speed, 1.0f, 1e-5);
}

TEST_F(Stage1BehaviourTest, TheTalkCueSendsEscortsAwayKeepingTheirAge) {
    const i32 armed = Spawn(62, 120, 150, -30, 4);
    const i32 late = Spawn(64, 122, 200, -30, 4);
    At(late).active = 0;
    Frames(300);
    g_TalkState.active = 1;
    g_TalkState.eventId = 134;
    g_TalkState.lineIndex = 3;
    g_TalkState.lineFrame = 199;
    Frame();  // not yet the cue
    EXPECT_EQ(At(armed).state, 120);
    g_TalkState.lineFrame = 200;
    Frame();  // the cue: state 121, speed 3, the age running on
    EXPECT_EQ(At(armed).state, 121);
    EXPECT_EQ(At(late).state, 121);
    EXPECT_FLOAT_EQ(At(armed).speed, 3.0f);
    EXPECT_EQ(At(armed).age, 302);
    EXPECT_EQ(At(late).active, 0);  // the late escorts never take hits
    g_TalkState.active = 0;
    const f32 y = At(armed).y;
    Frame();  // 121: speed 2.8, then y += speed
    EXPECT_FLOAT_EQ(At(armed).y, y + 2.8f);
    EXPECT_GT(FramesUntilEmpty(500), 0);
}

TEST_F(Stage1BehaviourTest, AnEscortWithoutTheCueStaysOnTheField) {
    Spawn(62, 120, 150, -30, 4);
    Frames(3000);
    EXPECT_EQ(g_EnemyList.size(), 1u);
}

TEST_F(Stage1BehaviourTest, UnlistedStatesStayInPlaceAndAge) {
    for (const i32 state : {0, 100, 109, 114, 184, 190, 194}) {
        SCOPED_TRACE(state);
        Restart();
        const i32 e = Spawn(1, state, 200, 100, 5);
        Frames(10);
        EXPECT_FLOAT_EQ(At(e).x, 200.0f);
        EXPECT_FLOAT_EQ(At(e).y, 100.0f);
        EXPECT_EQ(At(e).age, 10);
    }
}

}  // namespace
