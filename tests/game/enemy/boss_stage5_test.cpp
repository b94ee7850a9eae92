// The gate boss of stage index 4 (enemy kind 99): its entry, the gate's two
// phases, the mid-boss's flight, dive and star, its death and sinking, the
// bonuses of its breaks.
#include <cmath>
#include <vector>

#include "engine/core/radians.h"
#include "game/play/talk.h"
#include "game/shell/replay.h"
#include "game/shell/transition.h"
#include "tests/game/enemy/stage5_fixture.h"

namespace {

using enemy_test::DrawsSince;
using stage5_test::Stage5Test;

class Stage5GateTest : public Stage5Test {
protected:
    void SetUp() override {
        Stage5Test::SetUp();
        g_PlayRecord.stageRank = {};
    }
    void TearDown() override {
        g_PlayRecord.stageRank = {};
        Stage5Test::TearDown();
    }
    // The gate boss at (320, 200), in `state` with age 0.
    i32 Gate(i32 state) {
        const i32 e = Spawn(99, state, 320, 200, 0);
        At(e).active = 0;
        return e;
    }
    bool Hittable(i32 e, i32 root) {
        const HitShape& s = Root(e, root).hitShape;
        return s.halfWidth > 0 || s.halfHeight > 0 || s.radius > 0;
    }
    void Destroy(i32 e, std::initializer_list<i32> roots) {
        for (const i32 r : roots) Root(e, r).state = -1;
    }
    i32 Points() const { return g_PlayerState[0].StageScorePoints; }
};

TEST_F(Stage5GateTest, TheGateComesDownDropsShellsAndClosesIn) {
    const i32 e = Spawn(99, 410, 320, -200, 2);
    Root(e, 0).timer = 55;
    Frames(10);  // ages 0..9
    EXPECT_FLOAT_EQ(At(e).y, -180.0f);
    Frame();  // age 10: stops, the shells begin (timer kept)
    EXPECT_FLOAT_EQ(At(e).speed, 0.0f);
    EXPECT_EQ(Root(e, 0).action, 410);
    EXPECT_EQ(Root(e, 0).timer, 55);
    Frames(139);  // ages 11..149
    EXPECT_EQ(Root(e, 0).action, 410);
    Frame();  // age 150
    EXPECT_EQ(Root(e, 0).action, 0);
    Frames(150);  // ages 151..300: speed 6 at 300
    EXPECT_FLOAT_EQ(At(e).speed, 6.0f);
    Frames(129);  // ages 301..429
    EXPECT_EQ(At(e).state, 410);
    Frame();  // age 430
    EXPECT_EQ(At(e).state, 411);
    EXPECT_EQ(At(e).age, 1);
    EXPECT_GT(At(e).y, -180.0f);
}

TEST_F(Stage5GateTest, TheTurretPhaseOpensWithSixMarkedTurretsAndWandersByTheStageGenerator) {
    const i32 e = Gate(411);
    RandomSeed(3);
    StageRandomSeed(&g_StageRandomState, 0);
    Frame();  // age 0: nothing
    EXPECT_EQ(At(e).active, 0);
    Frame();  // age 1: the opening
    EXPECT_EQ(At(e).active, 1);
    EXPECT_EQ(At(e).age, 1001);
    EXPECT_EQ(g_TargetMarkerList.size(), 6u);
    for (i32 r = 0; r <= 10; ++r) {
        SCOPED_TRACE(r);
        const bool turret = r >= 3 && r <= 8;
        EXPECT_EQ(Hittable(e, r), turret);
        if (turret) {
            EXPECT_FLOAT_EQ(Root(e, r).hitShape.radius, 25.0f);
            EXPECT_EQ(Root(e, r).action, 411);
        }
    }
    EXPECT_EQ(Root(e, 9).action, 412);
    EXPECT_EQ(Root(e, 10).action, 412);
    EXPECT_EQ(Root(e, 1).action, 420);
    EXPECT_EQ(Root(e, 2).action, 421);
    EXPECT_EQ(Root(e, 0).action, 0);
    EXPECT_EQ(g_GameState.BossActiveFlag, 0);
    EXPECT_EQ(g_TalkState.eventId, 410);
    EXPECT_EQ(DrawsSince(3), 0);  // the target comes from the stage generator
    StageRandomSeed(&g_StageRandomState, 0);
    const f32 tx = static_cast<f32>(270 + StageRandomBelow(&g_StageRandomState, 100));
    const f32 ty = static_cast<f32>(50 + StageRandomBelow(&g_StageRandomState, 100));
    EXPECT_NEAR(At(e).heading, std::atan2(ty - 200.0, tx - 320.0), 1e-6);
    EXPECT_FLOAT_EQ(At(e).speed, 0.25f);
    EXPECT_FLOAT_EQ(At(e).x, 320.0f);  // no motion in the opening frame
    // A new target every 200 frames from 1000: the first at 1200.
    const f32 heading = At(e).heading;
    Frames(198);  // ages 1001..1198
    EXPECT_FLOAT_EQ(At(e).heading, heading);
    Frame();  // 1199
    Frame();  // 1200
    EXPECT_NE(At(e).heading, heading);
}

TEST_F(Stage5GateTest, BreakingTheTurretsPaysBonusAAndOpensTheWings) {
    const i32 e = Gate(411);
    Frames(2);
    for (const i32 r : {9, 10, 1, 2}) Root(e, r).timer = 40;
    Destroy(e, {3, 4, 5, 6, 7});
    Frame();
    EXPECT_EQ(At(e).state, 411);
    const i32 before = Points();
    Destroy(e, {8});
    Frame();
    EXPECT_EQ(At(e).state, 412);
    EXPECT_EQ(At(e).age, 1);
    EXPECT_EQ(At(e).active, 0);
    EXPECT_EQ(g_GameState.BossActiveFlag, 1);
    for (const i32 r : {9, 10, 1, 2}) {
        EXPECT_EQ(Root(e, r).action, 0);
        EXPECT_EQ(Root(e, r).timer, 40);
    }
    // Bonus A: 10 ((m / 4 + 1) n + 30 (m + lives + 1)), m 1, lives 3, no bullets.
    EXPECT_EQ(Points() - before, 1500);
}

TEST_F(Stage5GateTest, TheWingsOpenAtAge200AndTheGateFollowsThePlayer) {
    for (const i32 difficulty : {0, 1}) {
        SCOPED_TRACE(difficulty);
        Restart();
        g_GameState.Difficulty = difficulty;
        const i32 e = Gate(412);
        Frame();  // age 0
        Frame();  // age 1: toward (320, 50) at 0.005 x distance
        EXPECT_EQ(g_TalkState.eventId, 413);
        EXPECT_NEAR(At(e).heading, -kHalfPi, 1e-6);
        EXPECT_NEAR(At(e).speed, 0.75f, 1e-5);
        Frames(198);  // ages 2..199
        const f32 y = At(e).y;
        Frame();  // age 200: the opening, no move
        EXPECT_FLOAT_EQ(At(e).y, y);
        EXPECT_EQ(At(e).active, 1);
        EXPECT_EQ(g_TargetMarkerList.size(), 2u);
        EXPECT_TRUE(Hittable(e, 1));
        EXPECT_TRUE(Hittable(e, 2));
        EXPECT_FALSE(Hittable(e, 3));
        EXPECT_EQ(Root(e, 1).action, 414);
        EXPECT_EQ(Root(e, 9).action, 415);
        EXPECT_EQ(Root(e, 9).timer, 0);
        EXPECT_EQ(Root(e, 10).timer, difficulty == 0 ? 150 : 100);
        // From 1001 it follows the player's x at 0.2 a frame.
        g_PlayerState[0].x = 400.0f;
        const f32 x = At(e).x;
        Frame();
        EXPECT_FLOAT_EQ(At(e).x, x + 0.2f);
        EXPECT_FLOAT_EQ(At(e).heading, kHalfPi);
        g_PlayerState[0].x = At(e).x;
        Frame();
        EXPECT_FLOAT_EQ(At(e).x, x + 0.2f);
        // The wings down: the mid-boss's flight.
        Destroy(e, {1, 2});
        const i32 before = Points();
        Frame();
        EXPECT_EQ(At(e).state, 414);
        EXPECT_EQ(Root(e, 9).action, 0);
        EXPECT_EQ(Root(e, 10).action, 0);
        EXPECT_EQ(Points() - before, difficulty == 0 ? 1500 : 1800);
    }
}

TEST_F(Stage5GateTest, TheMidBossFliesDivesAndOpensItsStar) {
    const i32 e = Gate(414);
    Root(e, 0).timer = 70;
    Frame();  // age 0
    Frame();  // age 1
    EXPECT_EQ(Root(e, 0).action, 416);
    EXPECT_EQ(Root(e, 0).timer, 70);
    Frames(49);  // ages 2..50: speed 2 and talk 412 at 50
    EXPECT_EQ(g_TalkState.eventId, 412);
    Frames(250);  // ages 51..300: repositioned, into the dive
    EXPECT_EQ(At(e).state, 415);
    EXPECT_FLOAT_EQ(At(e).x, 320.0f);
    EXPECT_FLOAT_EQ(At(e).y, -200.0f);
    EXPECT_FLOAT_EQ(At(e).rotation, kHalfPi);
    Frames(10);  // ages 1..10 of the dive
    EXPECT_EQ(Root(e, 0).action, 410);
    Frames(420);  // ages 11..430
    EXPECT_EQ(At(e).state, 413);
    EXPECT_EQ(g_GameState.BossActiveFlag, 0);
    // The star opens at age 100, its engines only while they live.
    Destroy(e, {10});
    Frames(100);  // ages 1..100
    EXPECT_EQ(At(e).active, 1);
    EXPECT_EQ(g_TargetMarkerList.size(), 2u);  // root 9, then the core
    EXPECT_EQ(Root(e, 9).action, 417);
    EXPECT_NE(Root(e, 10).action, 418);
    EXPECT_EQ(Root(e, 0).action, 416);
    EXPECT_FLOAT_EQ(Root(e, 0).hitShape.radius, 60.0f);
    EXPECT_EQ(At(e).age, 1001);
    Frames(999);  // ages 1001..1999
    EXPECT_EQ(At(e).state, 413);
    Frame();  // age 2000: off again
    EXPECT_EQ(At(e).state, 414);
    EXPECT_EQ(g_GameState.BossActiveFlag, 1);
}

// The core destroyed: death D1 with bonus B; from the dive straight to the
// sinking, else one frame of 419 first.
TEST_F(Stage5GateTest, TheCoreDestroyedSinksTheMidBossWithBonusB) {
    for (const i32 state : {413, 414, 415}) {
        SCOPED_TRACE(state);
        Restart();
        const i32 e = Gate(state);
        Frame();
        const i32 before = Points();
        Destroy(e, {0});
        Frame();
        EXPECT_EQ(At(e).state, state == 415 ? 417 : 419);
        EXPECT_EQ(At(e).active, 0);
        EXPECT_EQ(g_GameState.BossActiveFlag, 1);
        for (i32 r = 0; r <= 10; ++r) {
            EXPECT_EQ(Root(e, r).state, -1);
            EXPECT_EQ(Root(e, r).action, 11);
        }
        // Bonus B: 10 ((m / 4 + 1) n + 30 (lives + 2 m) + 500).
        EXPECT_EQ(Points() - before, 6500);
        if (state != 415) {
            const f32 y = At(e).y;
            Frame();  // 419 lasts one frame
            EXPECT_EQ(At(e).state, 417);
            EXPECT_FLOAT_EQ(At(e).y, y + 1.0f);
        }
    }
}

// Its farewell by the ranks of the run so far (the talk table of this stage
// holds 418 only: the others start nothing).
TEST_F(Stage5GateTest, TheSinkingMidBossSaysFarewellByTheRunAndExplodesAt700) {
    struct Case {
        u32 ranks[4];
        bool enginesLeft;
        i32 talk;  // the event chosen
    };
    const Case cases[] = {
        {{4, 4, 4, 3}, true, 416}, {{4, 4, 4, 3}, false, 415}, {{3, 3, 3, 2}, false, 417},
        {{3, 3, 3, 5}, true, 417}, {{2, 3, 3, 2}, true, 418},  {{0, 0, 0, 0}, true, 418},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.talk);
        Restart();
        for (int s = 0; s < 4; ++s) g_PlayRecord.stageRank[static_cast<std::size_t>(s)] = c.ranks[s];
        const i32 e = Gate(417);
        if (!c.enginesLeft) {
            Root(e, 9).hp = 0;
            Root(e, 10).hp = 0;
        }
        Frames(50);  // ages 0..49
        EXPECT_EQ(g_TalkState.active, 0);
        Frame();  // age 50
        EXPECT_EQ(g_TalkState.eventId, c.talk == 418 ? 418 : 0);
    }
    Restart();
    const i32 e = Gate(417);
    RandomSeed(4);
    Frames(700);  // ages 0..699: quakes at 200, 300, 400, 500
    EXPECT_EQ(DrawsSince(4), 4 * (2 + 10 * 3));
    EXPECT_FLOAT_EQ(At(e).y, 200.0f + 700 * 0.5f);
    TransitionState = Transition{};
    Frame();  // age 700
    EXPECT_TRUE(g_EnemyList.empty());
    EXPECT_EQ(TransitionState.running, 1);
    EXPECT_FLOAT_EQ(TransitionState.speed, 0.01f);
    EXPECT_EQ(g_GameState.ScreenShakeTimer, 50);
}

// 420: the crash that hands the stage to phase 30 (no state leads to it in
// this stage's own flow).
TEST_F(Stage5GateTest, TheCrashEndsAtTheBottomAndSetsPhase30) {
    const i32 e = Gate(420);
    At(e).y = 490.0f;
    g_GameState.StageScriptPhase = 2;
    g_GameState.StageScriptFrame = 77;
    Frames(250);  // y stays below 500 until it falls after 200
    ASSERT_FALSE(g_EnemyList.empty());
    // It falls ever faster, stops at 700 and ends there.
    i32 frames = 250;
    while (frames < 1000 && !g_EnemyList.empty()) {
        Frame();
        ++frames;
    }
    EXPECT_TRUE(g_EnemyList.empty());
    EXPECT_GT(frames, 300);
    EXPECT_EQ(g_GameState.StageScriptPhase, 30);
    EXPECT_EQ(g_GameState.StageScriptFrame, 0);
}

}  // namespace
