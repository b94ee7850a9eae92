// The behaviours of stage index 1's ordinary enemies and mid-boss over frames.
#include <cmath>

#include "engine/core/radians.h"
#include "engine/core/random.h"
#include "game/play/play_overlays.h"
#include "game/play/talk.h"
#include "game/shell/story_flags.h"
#include "tests/game/enemy/stage2_fixture.h"

namespace {

using stage2_test::DrawsSince;
using stage2_test::Stage2Test;

class Stage2BehaviourTest : public Stage2Test {};

// Each route lives its whole length and is removed on the frame whose step
// sees the age after its last.
TEST_F(Stage2BehaviourTest, RoutesEndAfterTheirLastAge) {
    struct Case {
        i32 kind, state;
        f32 x, y, speed, heading;
        i32 framesToRemoval;
    };
    const Case cases[] = {
        // clang-format off
        {5, 201, -5, 300, 3, -kHalfPi, 402},   // age > 400
        {5, 202, 690, 300, 3, -kHalfPi, 402},
        {11, 210, 300, -10, 4, kHalfPi, 502},  // age > 500
        {12, 212, 300, -10, 4, kHalfPi, 502},
        {11, 213, 300, -10, 4, kHalfPi, 502},
        {1, 231, 520, 520, 10, -kHalfPi, 402},  // age > 400
        {1, 232, 120, 520, 10, -kHalfPi, 402},
        {6, 282, 320, 100, 2, kHalfPi, 202},    // age > 200
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

TEST_F(Stage2BehaviourTest, LeavingThroughEscapeFailsARunningMission) {
    SetMissionTimer(2000, 1000);
    Spawn(5, 201, -5, 300, 3, -kHalfPi);
    EXPECT_EQ(FramesUntilEmpty(500), 402);
    EXPECT_EQ(g_GameState.MissionTimer.remaining, 0);
    // The convoy and the rising fighters leave without failing it.
    Restart();
    SetMissionTimer(2000, 1000);
    Spawn(1, 231, 520, 520, 10, -kHalfPi);
    FramesUntilEmpty(500);
    EXPECT_GT(g_GameState.MissionTimer.remaining, 0);
}

TEST_F(Stage2BehaviourTest, UnlistedStatesDriftAlongTheirHeadingForever) {
    for (const i32 state : {0, 300}) {
        SCOPED_TRACE(state);
        Restart();
        const i32 e = Spawn(5, state, 300, 200, 1.0f, 0.0f);
        Frames(1000);
        ASSERT_EQ(g_EnemyList.size(), 1u);
        EXPECT_NEAR(At(e).x, 1300.0f, 0.01f);
        EXPECT_FLOAT_EQ(At(e).y, 200.0f);
    }
}

TEST_F(Stage2BehaviourTest, BankingEntryTurnsFor300FramesWithItsNoseAlongItsPath) {
    const i32 left = Spawn(5, 201, -5, 300, 3, -kHalfPi);
    const i32 right = Spawn(5, 202, 690, 300, 3, -kHalfPi);
    Frames(300);  // ages 0..299 turn
    EXPECT_NEAR(At(left).heading, -kHalfPi + 300 * 0.012f, 1e-4);
    EXPECT_NEAR(At(right).heading, -kHalfPi - 300 * 0.012f, 1e-4);
    const f32 heading = At(left).heading;
    Frames(10);
    EXPECT_EQ(At(left).heading, heading);
    EXPECT_EQ(At(left).rotation, At(left).heading);
}

TEST_F(Stage2BehaviourTest, GunshipsStopBackOffAndDrift) {
    const i32 e = Spawn(11, 210, 300, -10, 4);
    Frames(80);  // 4 / 0.05 frames of braking
    EXPECT_NEAR(At(e).speed, 0.0f, 1e-4);
    Frames(200);
    EXPECT_NEAR(At(e).speed, -0.5f, 0.011f);  // backs off at up to 0.5
    // An enemy already backing off faster keeps its speed.
    Restart();
    const i32 fast = Spawn(11, 210, 300, 200, -0.6f);
    Frame();
    EXPECT_FLOAT_EQ(At(fast).speed, -0.6f);
    // 212 and 213 drift half a pixel a frame to either side.
    for (const auto& [state, drift] : {std::pair{212, 0.5f}, std::pair{213, -0.5f}}) {
        Restart();
        const i32 g = Spawn(11, state, 300, 200, 0.0f);
        Frame();
        EXPECT_FLOAT_EQ(At(g).x, 300.0f + drift);
    }
}

TEST_F(Stage2BehaviourTest, AShotGunCripplesTheGunshipWhichFallsAndFailsTheMission) {
    const i32 e = Spawn(11, 210, 300, 100, 4);
    Frames(30);
    Destroy(e, 1);
    Frame();
    EXPECT_EQ(At(e).state, 211);
    EXPECT_EQ(At(e).age, 31);  // the age kept
    EXPECT_EQ(Root(e, 0).action, 11);
    EXPECT_FLOAT_EQ(At(e).speed, 0.0f);
    Frame();
    EXPECT_FLOAT_EQ(At(e).speed, 0.075f);
    SetMissionTimer(2000, 1000);
    const i32 frames = FramesUntilEmpty(500);
    EXPECT_GT(frames, 0);
    EXPECT_EQ(g_GameState.MissionTimer.remaining, 0);
}

// The mid-boss carrier (kind 22) is known by its root part 1's picture 222:
// shot down, its wreck starts talk 204 as it leaves the bottom; crossing alive
// it starts 203. A plain carrier (kind 21) starts neither.
TEST_F(Stage2BehaviourTest, CarriersTalkOnlyForTheMidBoss) {
    struct Case {
        i32 kind;
        bool shot;
        i32 talk;
    };
    const Case cases[] = {{22, true, 204}, {22, false, 203}, {21, true, -1}, {21, false, -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.kind << (c.shot ? " shot" : " crossing"));
        Restart();
        QuietTalk();
        g_TalkState.eventId = -1;
        const i32 e = Spawn(c.kind, 221, 100, 300, 1.5f);
        if (c.shot) Destroy(e, 1);
        EXPECT_GT(FramesUntilEmpty(2000), 0);
        EXPECT_EQ(g_TalkState.active != 0 ? g_TalkState.eventId : -1, c.talk);
    }
}

TEST_F(Stage2BehaviourTest, CarriersEnterAtDoubleSpeedForOneExtraStepOnly) {
    struct Case {
        f32 x, speed, after;
    };
    const Case cases[] = {{530, 2, 526}, {520, 2, 518}, {521, 2, 519}, {600, 0, 600}, {600, -1, 602}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.x);
        Restart();
        const i32 e = Spawn(21, 221, c.x, 200, c.speed, 0.0f);
        Frame();
        EXPECT_FLOAT_EQ(At(e).x, c.after);
        EXPECT_NEAR(At(e).y, 200.0f + 0.2f * std::sin(0.01f), 1e-5);
    }
    // The wave's phase wraps back below pi.
    Restart();
    const i32 e = Spawn(21, 221, 400, 200, 0.1f, 3.14f);
    Frame();
    EXPECT_NEAR(At(e).heading, 3.15f - 6.2831855f, 1e-5);
}

TEST_F(Stage2BehaviourTest, TriHullSmokesItsShotHullsAndFallsWhenAllThreeAreGone) {
    const i32 e = Spawn(15, 215, 300, 100, 6);
    Destroy(e, 1);
    Destroy(e, 3);
    Frame();
    EXPECT_EQ(Root(e, 1).action, 11);
    EXPECT_EQ(Root(e, 3).action, 11);
    EXPECT_EQ(Root(e, 2).action, 0);
    EXPECT_EQ(At(e).state, 215);
    Destroy(e, 2);
    Frame();
    EXPECT_EQ(At(e).state, 211);
    EXPECT_EQ(Root(e, 0).action, 11);
    const EnemyPart& centre = Root(e, 0);
    EXPECT_EQ(g_EnemyPartPool[centre.children[0]].action, 0);
    EXPECT_EQ(g_EnemyPartPool[centre.children[1]].action, 0);
}

TEST_F(Stage2BehaviourTest, SwayersBankTheirPictureWithTheSway) {
    struct Case {
        i32 age, kind;
    };
    // s = 2 sin(2 pi age / 100): above 1 from age 9 to 41, below -1 from 59 to 91.
    const Case cases[] = {{0, 231},  {8, 231},  {9, 232},  {25, 232}, {41, 232}, {42, 231},
                          {50, 231}, {59, 233}, {75, 233}, {91, 233}, {92, 231}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.age);
        Restart();
        const i32 e = Spawn(8, 240, 300, -40, 1);
        At(e).age = c.age;
        Frame();
        EXPECT_EQ(Root(e, 0).spriteKind, c.kind);
    }
    // 241 sways the other way with the same pictures; the fall speeds up after 100.
    Restart();
    const i32 e = Spawn(8, 241, 300, -40, 1);
    At(e).age = 25;
    Frame();
    EXPECT_FLOAT_EQ(At(e).x, 297.0f);
    EXPECT_EQ(Root(e, 0).spriteKind, 232);
    At(e).age = 101;
    Frame();
    EXPECT_FLOAT_EQ(At(e).speed, 1.1f);
}

TEST_F(Stage2BehaviourTest, ClimbersSlowThenSpeedUpToTheirTopSpeed) {
    for (const auto& [state, top] : {std::pair{242, 6.0f}, std::pair{243, 8.0f}}) {
        SCOPED_TRACE(state);
        Restart();
        const i32 e = Spawn(9, state, 300, 520, 12, -2.0943952f);
        Frames(120);
        ASSERT_EQ(g_EnemyList.size(), 1u);
        EXPECT_NEAR(At(e).speed, 1.0f, 0.05f);
        EXPECT_EQ(At(e).rotation, At(e).heading);
        At(e).age = 160;
        At(e).speed = top - 0.05f;
        Frames(2);
        EXPECT_FLOAT_EQ(At(e).speed, top + 0.05f);
    }
}

TEST_F(Stage2BehaviourTest, SideRaiderBrakesAimsAndLeavesUpward) {
    const i32 e = Spawn(1, 205, 0, 250, 7.5f, 0.0f);
    At(e).rotation = kHalfPi;
    Frames(75);  // braking by 0.1 while above 0.5 (float steps stop at about 0.4)
    EXPECT_LE(At(e).speed, 0.5f);
    EXPECT_GT(At(e).speed, 0.39f);
    Frames(125);  // up to age 199: slow, aiming
    const f32 rotation = At(e).rotation;
    const f32 speed = At(e).speed;
    Frame();  // age 200: it leaves along its aim
    EXPECT_EQ(At(e).heading, rotation);
    EXPECT_FLOAT_EQ(At(e).speed, speed + 0.2f);
    Frames(60);
    EXPECT_FLOAT_EQ(At(e).speed, 4.0f);
    EXPECT_EQ(At(e).heading, At(e).rotation);
    EXPECT_GT(FramesUntilEmpty(1000), 0);
}

TEST_F(Stage2BehaviourTest, MidBossEntersWandersAndGetsAway) {
    const i32 e = Spawn(6, 281, 320, -200, 9);
    Frames(149);  // ages 0..148
    EXPECT_EQ(At(e).state, 281);
    Frame();  // age 149: 280, the age kept
    EXPECT_EQ(At(e).state, 280);
    EXPECT_EQ(At(e).age, 150);
    // Age 150 draws the first point (x, then y in the lower band).
    RandomSeed(77);
    const f32 tx = RandomFloat(200.0f, 440.0f);
    const f32 ty = RandomFloat(140.0f, 240.0f);
    RandomSeed(77);
    const f32 x = At(e).x;
    const f32 y = At(e).y;
    Frame();
    EXPECT_EQ(DrawsSince(77), 2);
    EXPECT_NEAR(At(e).heading, std::atan2(ty - y, tx - x), 1e-5);
    // Age 300 draws its point in the upper band.
    Frames(149);
    RandomSeed(78);
    const f32 ux = RandomFloat(200.0f, 440.0f);
    const f32 uy = RandomFloat(50.0f, 150.0f);
    RandomSeed(78);
    const f32 x2 = At(e).x;
    const f32 y2 = At(e).y;
    Frame();
    EXPECT_NEAR(At(e).heading, std::atan2(uy - y2, ux - x2), 1e-5);
    // After 900 frames of 280 it gets away.
    QuietTalk();
    while (At(e).state == 280) Frame();
    EXPECT_EQ(At(e).state, 282);
    EXPECT_EQ(At(e).age, 1);
    EXPECT_EQ(At(e).active, 0);
    EXPECT_EQ(At(e).heading, At(e).rotation);
    EXPECT_EQ(g_TalkState.eventId, 213);
    EXPECT_EQ(g_GameState.StoryFlags[kStorySecondStageMidBossGotAway], 1);
    for (i32 r = 0; r <= 2; ++r) EXPECT_EQ(Root(e, r).action, 0);
    Frames(20);  // the speed goes negative and keeps growing
    EXPECT_LT(At(e).speed, 0.0f);
}

TEST_F(Stage2BehaviourTest, ShotDownMidBossFallsFasterAndFaster) {
    const i32 e = Spawn(6, 111, 320, 100, 0);
    Frames(3);  // ages 0, 1, 2
    EXPECT_FLOAT_EQ(At(e).y, 100.15f);
    EXPECT_GT(FramesUntilEmpty(300), 0);
}

}  // namespace
