// The bosses of stage index 3: the recurring mid-boss (kind 1) in its pass
// and its three fights, their openings, breaks, bonus A, talk events and
// story flags; the stage boss's preview.
#include <cmath>
#include <initializer_list>
#include <numbers>
#include <utility>
#include <vector>

#include "engine/core/radians.h"
#include "game/play/talk.h"
#include "game/shell/transition.h"
#include "game/shell/story_flags.h"
#include "tests/game/enemy/stage4_fixture.h"

namespace {

using stage4_test::DrawsSince;
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
        Frame();                             // age 150: the next point
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

namespace {

// ---- The stage's boss (kind 99) ----

class Stage4BigBossTest : public Stage4BossTest {
protected:
    // The boss as the timeline starts it: at the front, inactive, (320, -300),
    // speed 1 along the spawner's heading (pi/2).
    i32 SpawnBoss(i32 state) {
        const i32 e = Spawn(99, state, 320, -300, 1.0f);
        EXPECT_EQ(e, 0);
        At(e).active = 0;
        return e;
    }
    EnemyPart& Plate(i32 c) { return Child(0, 6, c); }
    static bool Shaped(const EnemyPart& p, HitShape s) {
        return p.hitShape.halfWidth == s.halfWidth && p.hitShape.halfHeight == s.halfHeight &&
               p.hitShape.radius == s.radius;
    }
    void DestroyPlates(std::initializer_list<i32> children) {
        for (const i32 c : children) Plate(c).state = -1;
    }
};

// 590 is stepped once with the timeline's speed and heading, aims at its
// point at age 1, stops at age 400 (the next step sees 1001) and hovers.
TEST_F(Stage4BigBossTest, TheApproachAimsAtAge1StopsWhereItOpensAndHovers) {
    SpawnBoss(590);
    Frame();  // age 0
    EXPECT_FLOAT_EQ(At(0).y, -299.0f);
    Frame();  // age 1: toward (320, 0) at 0.0025 of the distance
    EXPECT_FLOAT_EQ(At(0).heading, kHalfPi);
    EXPECT_FLOAT_EQ(At(0).speed, 299.0f * 0.0025f);
    EXPECT_FLOAT_EQ(At(0).y, -299.0f + 299.0f * 0.0025f);
    RunToAge(399);
    EXPECT_EQ(At(0).active, 0);
    Frame();  // age 400: the stop and the opening in one step
    EXPECT_EQ(At(0).age, 1001);
    EXPECT_FLOAT_EQ(At(0).speed, 0.0f);
    EXPECT_EQ(At(0).active, 1);
    const f32 x = At(0).x;
    const f32 y = At(0).y;
    Frame();  // age 1001: the hover
    EXPECT_NEAR(At(0).x, x + 0.4f * std::cos(0.012566371f), 1e-5);
    EXPECT_NEAR(At(0).y, y + 0.2f * std::sin(0.020943951f), 1e-5);
    EXPECT_FLOAT_EQ(At(0).speed, 0.0f);
}

// Each opening: every root part and the centre's six plates lose their hit
// shapes, then the targets get theirs with their actions (timer 0) and a
// marker each, in order, the attackers their actions; BossActiveFlag 0.
TEST_F(Stage4BigBossTest, EachPhaseOpensWithItsTargetsAndAttackers) {
    struct Target {
        i32 root, child;  // child -1: the root part itself
        HitShape shape;
        i32 action;
    };
    struct Case {
        i32 state, opensAt;
        std::vector<Target> targets;
        std::vector<std::pair<i32, i32>> attackers;  // root part, action
    };
    const HitShape plate{80, 20, 0};
    // clang-format off
    const Case cases[] = {
        {590, 400, {{4, -1, plate, 550}, {5, -1, plate, 551}}, {{6, 549}}},
        {591, 300, {{0, -1, {30, 50, 0}, 552}, {1, -1, {30, 50, 0}, 553}, {6, 2, plate, 557}, {6, 3, plate, 558}},
         {{11, 554}, {12, 554}}},
        {592, 1, {{2, -1, {50, 30, 0}, 552}, {3, -1, {50, 30, 0}, 553}}, {}},
        {593, 300, {{6, 0, plate, 550}, {6, 1, plate, 551}}, {{6, 560}, {7, 562}, {8, 563}}},
        {594, 300, {{6, 4, plate, 557}, {6, 5, plate, 558}}, {{6, 561}, {9, 555}, {10, 556}}},
        {595, 300, {{6, 4, plate, 557}, {6, 5, plate, 558}}, {{6, 561}, {9, 555}, {10, 556}}},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.state);
        Restart();
        SpawnBoss(c.state);
        for (i32 r = 0; r < 13; ++r) Root(0, r).timer = 77;
        g_GameState.BossActiveFlag = 1;
        RunToAge(c.opensAt - 1);
        EXPECT_EQ(At(0).active, 0);
        EXPECT_TRUE(g_TargetMarkerList.empty());
        Frame();
        EXPECT_EQ(At(0).active, 1);
        EXPECT_EQ(g_GameState.BossActiveFlag, 0);
        ASSERT_EQ(g_TargetMarkerList.size(), c.targets.size());
        for (std::size_t i = 0; i < c.targets.size(); ++i) {
            const Target& t = c.targets[i];
            EnemyPart& p = t.child < 0 ? Root(0, t.root) : Child(0, t.root, t.child);
            EXPECT_TRUE(Shaped(p, t.shape)) << i;
            EXPECT_EQ(p.action, t.action) << i;
            EXPECT_EQ(p.timer, 0) << i;
            EXPECT_EQ(g_TargetMarkerList[i].part, &p) << i;
        }
        for (const auto& [root, action] : c.attackers) {
            EXPECT_EQ(Root(0, root).action, action) << root;
            EXPECT_EQ(Root(0, root).timer, 0) << root;
        }
        // Everything else lost its shape, the centre's included.
        i32 shaped = 0;
        for (i32 r = 0; r < 13; ++r) shaped += Shaped(Root(0, r), HitShape{}) ? 0 : 1;
        for (i32 ch = 0; ch < 6; ++ch) shaped += Shaped(Plate(ch), HitShape{}) ? 0 : 1;
        EXPECT_EQ(shaped, static_cast<i32>(c.targets.size()));
        if (c.state == 592) {
            EXPECT_GT(At(0).speed, 0.0f) << "592 opens at its first step and flies on";
        }
    }
}

// The breaks: the next state by the route (story flag 73), the talk, the
// part writes, the effect and the bonus: B = 10 ((m / 4 + 1) n + 30 (m + L +
// 10)), C = 10 ((m / 4 + 1) n + 50 (m + 10) + 30 L).
TEST_F(Stage4BigBossTest, EachPhaseBreaksToItsNextStateWithItsBonus) {
    struct Case {
        i32 state;
        bool longRoute;
        std::vector<i32> roots;
        std::vector<i32> plates;
        i32 next, talk, effect, bonus;
        i32 activeFlag;  // BossActiveFlag after the break (it was 0)
    };
    // m = 6 (shot level 5), L = 2, n = 10: B 5600, C 8800.
    const Case cases[] = {
        {590, false, {4, 5}, {}, 591, 0, 63, 5600, 1},
        {591, false, {11, 12}, {2, 3}, 593, 552, 63, 5600, 1},
        {591, true, {11, 12}, {2, 3}, 592, 0, 63, 5600, 1},  // its talk 553 has no dialogue
        {593, false, {7, 8}, {0, 1}, 595, 0, 63, 5600, 1},
        {593, true, {7, 8}, {0, 1}, 594, 0, 63, 5600, 1},
        {594, true, {6}, {}, 597, 0, 64, 8800, 0},
        {595, false, {6}, {}, 597, 0, 64, 8800, 0},
        {594, true, {9, 10, 0, 1, 2, 3}, {4, 5}, 596, 0, 64, 8800, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.state << (c.longRoute ? " long" : " short") << " to " << c.next);
        Restart();
        g_PlayerState[0].shotLevel = 5;
        g_PlayerState[0].lives = 2;
        g_GameState.StoryFlags[kStoryFourthMidBossOutlasted] = c.longRoute ? 1 : 0;
        SpawnBoss(c.state);
        RunToAge(400);
        ASSERT_EQ(At(0).state, c.state);
        QuietTalk();
        g_GameState.BossActiveFlag = 0;
        for (const i32 r : c.roots) Root(0, r).state = -1;
        for (const i32 ch : c.plates) Plate(ch).state = -1;
        g_EnemyBulletList.assign(10, EnemyBullet{});
        g_EffectList.clear();
        const i32 before = Score();
        Frame();
        EXPECT_EQ(At(0).state, c.next);
        EXPECT_EQ(At(0).active, 0);
        EXPECT_EQ(At(0).age, 1);
        EXPECT_EQ(CountEffects(c.effect), 1);
        EXPECT_EQ(Score() - before, c.bonus + 600);
        EXPECT_EQ(g_GameState.BossActiveFlag, c.activeFlag);
        EXPECT_EQ(g_TalkState.active, c.talk != 0 ? 1 : 0);
        if (c.talk != 0) {
            EXPECT_EQ(g_TalkState.eventId, c.talk);
        }
    }
}

// The phases' part writes at their breaks.
TEST_F(Stage4BigBossTest, BreaksSilenceTheGunsStillStanding) {
    // 591: the stream guns (roots 0 and 1) that still stand fall silent.
    SpawnBoss(591);
    RunToAge(300);
    Root(0, 0).state = -1;
    Root(0, 0).action = 11;
    Destroy({11, 12});
    DestroyPlates({2, 3});
    Frame();
    EXPECT_EQ(Root(0, 0).action, 11);  // a wreck keeps its smoke
    EXPECT_EQ(Root(0, 1).action, 0);
    // 595 into 597: the centre and the four guards silenced and destroyed.
    Restart();
    SpawnBoss(595);
    RunToAge(300);
    Root(0, 9).state = -1;
    Root(0, 9).action = 11;
    Destroy({6});
    Frame();
    EXPECT_EQ(At(0).state, 597);
    EXPECT_EQ(Root(0, 6).action, 0);
    EXPECT_EQ(Root(0, 9).action, 11);
    EXPECT_EQ(Root(0, 10).action, 0);
    EXPECT_EQ(Plate(4).action, 0);
    for (EnemyPart* p : {&Root(0, 9), &Root(0, 10), &Plate(4), &Plate(5)}) EXPECT_EQ(p->state, -1);
    // 590: the centre's side shells stop.
    Restart();
    SpawnBoss(590);
    RunToAge(400);
    EXPECT_EQ(Root(0, 6).action, 549);
    Destroy({4, 5});
    Frame();
    EXPECT_EQ(Root(0, 6).action, 0);
}

// 592 ends on time and only when the boss is alone: no effect, no bonus.
TEST_F(Stage4BigBossTest, TheExtraPhaseEndsOnTimeOnceTheBossIsAlone) {
    SpawnBoss(592);
    Spawn(2, 999, 300, 300, 0);  // another enemy: an escort
    RunToAge(1101);
    EXPECT_EQ(At(0).state, 592);
    g_EnemyBulletList.assign(3, EnemyBullet{});
    ReleaseEnemyParts(1);
    g_EnemyList.pop_back();
    Root(0, 2).state = -1;
    g_EffectList.clear();
    const i32 before = Score();
    Frame();
    EXPECT_EQ(At(0).state, 593);
    EXPECT_EQ(Root(0, 3).action, 0);
    EXPECT_EQ(Root(0, 2).action, 552);  // destroyed: left as it was
    EXPECT_TRUE(g_EnemyBulletList.empty());
    EXPECT_EQ(CountEffects(63) + CountEffects(64), 0);
    EXPECT_EQ(Score() - before, 30);  // the cleared bullets only (10 m each)
    EXPECT_EQ(g_GameState.BossActiveFlag, 1);
}

// 597: talk 554 at 50; from 101 down by 0.5; four bursts of ten around
// random points (2 + 30 draws each); at 700 forty explosions one a frame,
// the boss gone, the screen shaking and the closing fade at speed 0.01.
TEST_F(Stage4BigBossTest, TheBossExplodes) {
    SpawnBoss(597);
    At(0).x = 320;
    At(0).y = 100;
    RunToAge(50);
    EXPECT_EQ(g_TalkState.eventId, 554);
    RunToAge(199);
    EXPECT_FLOAT_EQ(At(0).y, 100.0f + 99 * 0.5f);
    g_EffectList.clear();
    const u32 seed = RandomGetState();
    Frame();  // age 200
    EXPECT_EQ(DrawsSince(seed), 32);
    EXPECT_EQ(CountEffects(10), 10);
    EXPECT_EQ(g_GameState.ScreenShakeTimer, 50);
    RunToAge(699);
    g_EffectList.clear();
    Frame();  // age 700
    EXPECT_TRUE(g_EnemyList.empty());
    ASSERT_EQ(g_EffectList.size(), 40u);
    EXPECT_EQ(g_EffectList.back().age, -39);
    EXPECT_EQ(TransitionState.running, 1);
    EXPECT_FLOAT_EQ(TransitionState.speed, 0.01f);
    EXPECT_EQ(CountFreePartSlots(), kEnemyPartPoolSize);
}

// 596: talk 555 (story flag 75) at 50; from age 301 it sinks ever faster
// until y 700; at 700 it is gone with no burst.
TEST_F(Stage4BigBossTest, TheBossSinksAway) {
    SpawnBoss(596);
    At(0).y = 100;
    RunToAge(50);
    EXPECT_EQ(g_TalkState.eventId, 555);
    EXPECT_EQ(g_GameState.StoryFlags[kStoryFourthBossSankAway], 1);
    RunToAge(300);
    EXPECT_FLOAT_EQ(At(0).y, 100.0f);
    Frame();
    EXPECT_FLOAT_EQ(At(0).y, 100.01f);
    RunToAge(699);
    g_EffectList.clear();
    Frame();
    EXPECT_TRUE(g_EnemyList.empty());
    EXPECT_TRUE(g_EffectList.empty());
    EXPECT_EQ(TransitionState.running, 1);
    EXPECT_FLOAT_EQ(TransitionState.speed, 0.01f);
    EXPECT_EQ(g_GameState.ScreenShakeTimer, 50);
}

// A boss whose centre has fewer plates than the phases name: the missing
// plates read as destroyed, and no opening or break reaches outside the
// pool.
TEST_F(Stage4BigBossTest, MissingPlatesReadAsDestroyed) {
    SpawnBoss(593);
    Root(0, 6).children[0] = kNoPart;  // no plates 0 and 1
    Root(0, 6).children[1] = kNoPart;
    RunToAge(300);
    EXPECT_EQ(g_TargetMarkerList.size(), 0u);
    Destroy({7, 8});
    Frame();
    EXPECT_EQ(At(0).state, 595);
}

}  // namespace
