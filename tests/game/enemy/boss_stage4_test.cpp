// The bosses of stage index 3: the recurring mid-boss (kind 1) in its pass
// and its three fights, their openings, breaks, bonus A, talk events and
// story flags; the stage boss's preview.
#include <cmath>
#include <initializer_list>
#include <vector>

#include "game/play/talk.h"
#include "game/shell/story_flags.h"
#include "tests/game/enemy/stage4_fixture.h"

namespace {

using stage4_test::DrawsSince;
using stage4_test::kHalfPi;
using stage4_test::Stage4Test;

class Stage4BossTest : public Stage4Test {
protected:
    // The mid-boss as the timeline starts a fight, from (0, -200).
    i32 SpawnMidBoss(i32 state) {
        const i32 e = Spawn(1, state, 0, -200, 3);
        At(e).spawnId = 580;
        return e;
    }
    static bool NoShape(const EnemyPart& p) {
        return p.hitShape.halfWidth == 0 && p.hitShape.halfHeight == 0 && p.hitShape.radius == 0;
    }
};

// 540: at half scale the mid-boss sweeps across; it leaves the list when it
// is off the sides after age 100 (or below 550).
TEST_F(Stage4BossTest, ThePassCurvesAcrossAndLeaves) {
    const i32 e = Spawn(1, 540, 0, 200, 3, std::numbers::pi_v<f32> / 3.0f);
    At(e).active = 0;
    At(e).scale = 0.5f;
    Frame();  // age 0: speed + 0.05, heading - 0.02
    EXPECT_FLOAT_EQ(At(e).speed, 3.05f);
    EXPECT_FLOAT_EQ(At(e).heading, std::numbers::pi_v<f32> / 3.0f - 0.02f);
    EXPECT_EQ(At(e).rotation, At(e).heading);
    RunToAge(80);
    const f32 speed = At(e).speed;
    const f32 heading = At(e).heading;
    Frame();  // age 81: the sharp turn
    EXPECT_FLOAT_EQ(At(e).speed, speed - 0.05f);
    EXPECT_FLOAT_EQ(At(e).heading, heading - 0.07f);
    const i32 frames = FramesUntilEmpty(2000);
    EXPECT_GT(frames, 0);
    EXPECT_EQ(g_GameState.MissionTimer.remaining, 0);
}

// In every fight the first step (age 0) draws a point, tx before ty, and
// sets off toward it at 0.01 of the distance, at least 1; the next point
// comes at age 150, and the last 49 steps of each 150 brake.
TEST_F(Stage4BossTest, FightsDriftBetweenRandomPoints) {
    for (const i32 state : {541, 544, 545}) {
        SCOPED_TRACE(state);
        Restart();
        const i32 e = SpawnMidBoss(state);
        const u32 seed = RandomGetState();
        Frame();
        EXPECT_EQ(DrawsSince(seed), 2);
        EXPECT_GE(At(e).speed, 1.0f);
        EXPECT_GT(At(e).heading, 0.0f);  // from (0, -200) down and to the right
        EXPECT_LT(At(e).heading, kHalfPi);
        const u32 after = RandomGetState();
        RunToAge(100);
        const f32 speed = At(e).speed;
        Frame();  // age 101: braking
        EXPECT_FLOAT_EQ(At(e).speed, speed - 0.05f);
        RunToAge(149);
        EXPECT_EQ(RandomGetState(), after);  // no other draw, also not at the opening
        Frame();  // age 150: the next point
        EXPECT_EQ(DrawsSince(after), 2);
    }
}

// The openings at age 100: the centre's pattern (its timer kept), active,
// the named shapes zeroed, the talk; 544 counts its rear blocks as fallen.
TEST_F(Stage4BossTest, EachFightOpensAtAge100) {
    struct Case {
        i32 state, action;
        std::vector<i32> zeroed;
        std::vector<i32> shaped;
        i32 misses, talk;
    };
    const Case cases[] = {
        {541, 530, {2, 3, 4}, {0, 1}, 0, 532},  // 532 has no dialogue: no talk starts
        {541, 530, {2, 3, 4}, {0, 1}, 2, 531},
        {544, 531, {0, 1}, {2, 3, 4}, 0, 536},
        {545, 532, {0, 1, 3, 4}, {2}, 0, 535},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.state << " misses " << c.misses);
        Restart();
        g_GameState.MissCount = c.misses;
        SpawnMidBoss(c.state);
        At(0).active = 0;
        Root(0, 2).timer = 37;
        RunToAge(99);
        EXPECT_EQ(Root(0, 2).action, 0);
        EXPECT_EQ(g_TalkState.active, 0);
        Frame();  // age 100
        EXPECT_EQ(At(0).active, 1);
        EXPECT_EQ(Root(0, 2).action, c.action);
        EXPECT_EQ(Root(0, 2).timer, 37);  // left as it stood (no part steps run here)
        for (const i32 r : c.zeroed) EXPECT_TRUE(NoShape(Root(0, r))) << r;
        for (const i32 r : c.shaped) EXPECT_FALSE(NoShape(Root(0, r))) << r;
        EXPECT_EQ(g_TalkState.active, c.talk == 532 ? 0 : 1);
        if (c.talk != 532) {
            EXPECT_EQ(g_TalkState.eventId, c.talk);
        }
        const bool rearFallen = c.state == 544;
        EXPECT_EQ(Root(0, 0).state, rearFallen ? -1 : 1);
        EXPECT_EQ(Root(0, 1).state, rearFallen ? -1 : 1);
    }
}

// A centre destroyed before the opening keeps its wreck's smoke: the fight's
// pattern is given only to a living centre.
TEST_F(Stage4BossTest, ADestroyedCentreIsNotArmed) {
    SpawnMidBoss(541);
    Root(0, 2).state = -1;
    Root(0, 2).action = 13;
    RunToAge(100);
    EXPECT_EQ(Root(0, 2).action, 13);
    EXPECT_EQ(At(0).active, 1);
    EXPECT_EQ(At(0).state, 541);
}

// 541 breaks once its rear blocks (roots 0 and 1) are both gone, however
// they fall: to 543 with talk 533, effect 64 and bonus A,
// 10 ((m / 4 + 1) n + 30 (L + 2 m) + 200).
TEST_F(Stage4BossTest, TheFirstFightBreaksWhenBothRearBlocksFall) {
    g_PlayerState[0].shotLevel = 5;  // m = 6
    g_PlayerState[0].lives = 2;
    SpawnMidBoss(541);
    RunToAge(120);
    Destroy({0});
    Frame();
    EXPECT_EQ(At(0).state, 541);
    QuietTalk();
    Destroy({1});
    g_EnemyBulletList.assign(10, EnemyBullet{});
    g_EffectList.clear();
    g_GameState.BossActiveFlag = 0;
    const i32 before = Score();
    Frame();
    EXPECT_EQ(At(0).state, 543);
    EXPECT_EQ(At(0).age, 1);
    EXPECT_EQ(At(0).active, 0);
    EXPECT_FLOAT_EQ(At(0).speed, 0.0f);
    EXPECT_EQ(At(0).heading, At(0).rotation);  // it backs away from where it faces
    EXPECT_EQ(g_GameState.BossActiveFlag, 1);
    EXPECT_EQ(g_TalkState.eventId, 533);
    EXPECT_EQ(CountEffects(64), 1);
    EXPECT_TRUE(g_EnemyBulletList.empty());
    // 10 x ((1 + 1) x 10 + 30 x 14 + 200) = 6400, and 10 m for each bullet cleared.
    EXPECT_EQ(Score() - before, 6400 + 600);
    EXPECT_EQ(Root(0, 2).state, 1);  // no part writes
    // 543 backs away ever faster and is gone at the step that sees age 151.
    Frame();
    EXPECT_FLOAT_EQ(At(0).speed, -0.025f);
    EXPECT_EQ(FramesUntilEmpty(500), 150);
}

TEST_F(Stage4BossTest, BothRearBlocksInOneFrameBreakOnce) {
    SpawnMidBoss(541);
    RunToAge(120);
    Destroy({0, 1});
    g_EffectList.clear();
    Frame();
    Frame();
    EXPECT_EQ(CountEffects(64), 1);
    EXPECT_EQ(At(0).state, 543);
}

// 544: the centre's fall sinks the mid-boss (542, talk 537, story flag 71,
// every root destroyed); the front blocks' fall sends it away (543, talk 539).
TEST_F(Stage4BossTest, TheSecondFightEndsByTheCentreOrByTheFrontBlocks) {
    struct Case {
        std::vector<i32> destroyed;
        i32 next, talk, flag;
    };
    const Case cases[] = {
        {{2}, 542, 537, kStoryFourthSecondFightCentreDowned},
        {{3, 4}, 543, 539, -1},
        {{2, 3, 4}, 542, 537, kStoryFourthSecondFightCentreDowned},  // the centre's test comes first
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.next);
        Restart();
        SpawnMidBoss(544);
        RunToAge(120);
        QuietTalk();
        for (const i32 r : c.destroyed) Root(0, r).state = -1;
        Frame();
        EXPECT_EQ(At(0).state, c.next);
        EXPECT_EQ(g_TalkState.eventId, c.talk);
        if (c.flag >= 0) {
            EXPECT_EQ(g_GameState.StoryFlags[c.flag], 1);
        }
        for (i32 r = 0; r <= 4; ++r) {
            const bool wanted = c.next == 542 || r < 2 || r >= 3;
            EXPECT_EQ(Root(0, r).state == -1, wanted) << r;
        }
    }
}

// 542 sinks ever faster (age x 0.02 a step) and is removed at y 520.
TEST_F(Stage4BossTest, TheSunkMidBossFallsOutOfTheField) {
    SpawnMidBoss(545);
    RunToAge(120);
    QuietTalk();
    Destroy({2});
    Frame();
    ASSERT_EQ(At(0).state, 542);
    EXPECT_EQ(g_TalkState.eventId, 538);
    EXPECT_EQ(g_GameState.StoryFlags[kStoryFourthThirdFightCentreDowned], 1);
    const f32 y = At(0).y;
    Frame();  // age 1
    EXPECT_FLOAT_EQ(At(0).y, y + 0.02f);
    EXPECT_GT(FramesUntilEmpty(1000), 0);
}

// 545 outlasted: at age 1401 the mid-boss gives up (546): inactive, heading
// = rotation, talk 541 (story flag 73), its roots smoking (13), the bullets
// cleared with no bonus.
TEST_F(Stage4BossTest, TheThirdFightOutlastedSendsTheMidBossAway) {
    SpawnMidBoss(545);
    RunToAge(1400);
    EXPECT_EQ(At(0).state, 545);
    QuietTalk();
    g_EnemyBulletList.assign(4, EnemyBullet{});
    g_EffectList.clear();
    g_GameState.BossActiveFlag = 0;
    const f32 speed = At(0).speed;
    Frame();  // age 1401
    EXPECT_EQ(At(0).state, 546);
    EXPECT_EQ(At(0).age, 1);
    EXPECT_EQ(At(0).active, 0);
    EXPECT_EQ(g_TalkState.eventId, 541);
    EXPECT_EQ(g_GameState.StoryFlags[kStoryFourthMidBossOutlasted], 1);
    for (i32 r = 0; r <= 4; ++r) EXPECT_EQ(Root(0, r).action, 13) << r;
    EXPECT_TRUE(g_EnemyBulletList.empty());
    EXPECT_EQ(CountEffects(64), 0);
    EXPECT_EQ(g_GameState.BossActiveFlag, 0);
    EXPECT_FLOAT_EQ(At(0).speed, speed);
    EXPECT_GT(FramesUntilEmpty(3000), 0);
}

// 546 brings its speed toward 0 by 0.05 a step for 100 steps, then drifts up
// at 0.2 while below y 50 ... and otherwise falls by 1.5 - (age - 500) 0.05.
TEST_F(Stage4BossTest, TheLeavingMidBossStopsDriftsUpAndAcceleratesAway) {
    const i32 e = Spawn(1, 546, 300, 150, 0.12f, kHalfPi);
    Frame();
    EXPECT_NEAR(At(e).speed, 0.07f, 1e-6);
    Frames(2);
    EXPECT_NEAR(At(e).speed, 0.02f, 1e-6);  // 0.02 - 0.05 < 0, raised back by 0.05
    RunToAge(99);
    EXPECT_NEAR(At(e).speed, 0.02f, 1e-6);
    const f32 y = At(e).y;
    Frame();  // age 100: no straight step now; up by 0.2
    EXPECT_FLOAT_EQ(At(e).y, y - 0.2f);
    // Drifted up to y 50 before age 500: the fall formula sends it down.
    At(e).y = 50.0f;
    At(e).age = 300;
    Frame();
    EXPECT_FLOAT_EQ(At(e).y, 50.0f + 1.5f + 200 * 0.05f);
    At(e).age = 531;
    At(e).y = 100.0f;
    Frame();
    EXPECT_FLOAT_EQ(At(e).y, 100.0f + 1.5f - 31 * 0.05f);
    EXPECT_GT(FramesUntilEmpty(1000), 0);
}

// 589: the boss's preview rises from below, growing, and leaves above -200.
TEST_F(Stage4BossTest, TheBossPreviewRisesAndGrows) {
    const i32 e = Spawn(99, 589, 320, 680, 0, kHalfPi + 0.1f);
    At(e).rotation = kHalfPi;
    At(e).scale = 0.1f;
    At(e).active = 0;
    Frame();
    EXPECT_FLOAT_EQ(At(e).speed, 0.01f);
    EXPECT_FLOAT_EQ(At(e).y, 679.99f);
    EXPECT_FLOAT_EQ(At(e).scale, 0.1015f);
    EXPECT_FLOAT_EQ(At(e).x, 320.0f);
    EXPECT_GT(FramesUntilEmpty(2000), 0);
    EXPECT_EQ(CountFreePartSlots(), kEnemyPartPoolSize);
}

}  // namespace
