// The boss of stage index 0: its phases, breaks, bonuses, story flags, talk
// events and the closing transition.
#include <initializer_list>
#include <vector>

#include "game/play/talk.h"
#include "game/shell/transition.h"
#include "tests/game/enemy/stage1_fixture.h"

namespace {

using stage1_test::DrawsSince;
using stage1_test::Stage1Test;

class Stage1BossTest : public Stage1Test {
protected:
    // The boss as the timeline starts it, at the front of the list.
    i32 SpawnBoss(i32 state) {
        const i32 e = Spawn(102, state, 320, -300, 0);
        EXPECT_EQ(e, 0);
        At(e).active = 0;
        return e;
    }
};

TEST_F(Stage1BossTest, KindOneHundredTwoIsBuiltAtTheFrontWithEighteenRoots) {
    Spawn(1, 101, 200, -50, 5);
    const i32 e = SpawnBoss(180);
    EXPECT_EQ(e, 0);
    EXPECT_EQ(g_EnemyList.size(), 2u);
    EXPECT_EQ(At(0).spawnId, 150);
    EXPECT_EQ(At(0).corePart, -1);
    EXPECT_EQ(At(0).armoured, 1);
    for (i32 r = 0; r < 18; ++r) EXPECT_NE(At(0).rootParts[r], kNoPart) << r;
    EXPECT_EQ(At(0).rootParts[18], kNoPart);
    const i32 sprites[18] = {180, 153, 153, 153, 153, 183, 184, 186, 186, 188, 0, 181, 182, 185, 185, 185, 185, 187};
    for (i32 r = 0; r < 18; ++r) EXPECT_EQ(Root(0, r).spriteKind, sprites[r]) << r;
    EXPECT_FLOAT_EQ(Root(0, 10).gaugeOffsetY, 20.0f);
    EXPECT_EQ(Root(0, 10).hp, 3600);
}

TEST_F(Stage1BossTest, DescentInitialisesAtAge1AndOpensPhase1AtAge300) {
    SpawnBoss(180);
    Frame();  // age 0: nothing but y += speed (0)
    EXPECT_FLOAT_EQ(At(0).y, -300.0f);
    Frame();  // age 1: y = -250, speed 1, then one pixel down
    EXPECT_FLOAT_EQ(At(0).y, -249.0f);
    EXPECT_FLOAT_EQ(At(0).speed, 1.0f);
    RunToAge(299);
    EXPECT_EQ(At(0).active, 0);
    EXPECT_FLOAT_EQ(At(0).y, 49.0f);
    g_GameState.BossActiveFlag = 1;
    Frame();  // age 300: phase 1 opens
    EXPECT_FLOAT_EQ(At(0).y, 50.0f);
    EXPECT_EQ(At(0).active, 1);
    EXPECT_EQ(At(0).age, 1300);  // written 1299, then aged
    EXPECT_EQ(g_GameState.BossActiveFlag, 0);
    const i32 timers[4] = {0, 25, 50, 75};
    for (i32 r = 1; r <= 4; ++r) {
        EXPECT_EQ(Root(0, r).action, 190);
        EXPECT_EQ(Root(0, r).timer, timers[r - 1]);
        EXPECT_FLOAT_EQ(Root(0, r).hitShape.halfWidth, 50.0f);
        EXPECT_FLOAT_EQ(Root(0, r).hitShape.halfHeight, 25.0f);
        EXPECT_FLOAT_EQ(Root(0, r).hitShape.radius, 0.0f);
    }
    EXPECT_EQ(Root(0, 0).action, 191);
    for (const i32 r : {0, 5, 9, 10, 17}) EXPECT_FLOAT_EQ(Root(0, r).hitShape.radius, 0.0f) << r;
    ASSERT_EQ(g_TargetMarkerList.size(), 4u);
    EXPECT_EQ(g_TargetMarkerList[0].part, &Root(0, 1));
    // From age 1300 it travels to a random point every 300 frames: x then y.
    RandomSeed(7);
    Frame();
    EXPECT_EQ(DrawsSince(7), 2);
    EXPECT_EQ(At(0).age, 1001);
}

TEST_F(Stage1BossTest, PhaseBreaksPayTheirBonusesAndMoveOn) {
    struct Case {
        i32 state;
        std::vector<i32> destroy;
        i32 next;
        i32 effect;
        i32 bonus;  // m = 1, L = 3, n = 0, EASY
    };
    const std::vector<Case> cases = {
        // clang-format off
        {180, {1, 2, 3, 4}, 181, 63, 4200},
        {181, {7, 8, 13, 14, 15, 16}, 182, 63, 5200},
        {182, {5, 6, 11, 12}, 183, 63, 5200},
        {183, {0}, 191, 64, 6500},
        {183, {10}, 192, 63, 6500},
        {192, {0}, 191, 64, 6400},
        // clang-format on
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.state);
        Restart();
        SpawnBoss(c.state);
        At(0).age = 1100;  // inside the phase (182 tests only from age 1000)
        At(0).y = 100.0f;
        At(0).active = 1;
        Spawn(62, 193, 150, 100, 0);  // one more enemy so 182's "alone" test stays false
        for (const i32 r : c.destroy) Root(0, r).state = -1;
        const i32 before = Score();
        Frame();
        EXPECT_EQ(At(0).state, c.next);
        EXPECT_EQ(At(0).age, 1);
        EXPECT_EQ(At(0).active, 0);
        EXPECT_EQ(CountEffects(c.effect), 1);
        EXPECT_EQ(Score() - before, c.bonus);
    }
}

TEST_F(Stage1BossTest, BonusesFollowTheShotLevelAndLives) {
    g_PlayerState[0].shotLevel = 5;  // m = 6
    g_PlayerState[0].lives = 2;
    SpawnBoss(180);
    At(0).age = 1100;
    Destroy({1, 2, 3, 4});
    const i32 before = Score();
    Frame();
    EXPECT_EQ(Score() - before, 10 * 30 * (6 + 2 + 10));
    EXPECT_EQ(g_GameState.BossActiveFlag, 1);
    EXPECT_EQ(Root(0, 0).action, 0);
}

TEST_F(Stage1BossTest, PhaseTwoHoldsItsXUntilAge1200) {
    SpawnBoss(181);
    At(0).x = 300.0f;
    At(0).y = 40.0f;
    At(0).age = 299;
    Frame();  // age 299
    Frame();  // age 300: phase 2 opens, age := 1000, speed 0
    EXPECT_EQ(At(0).age, 1001);
    EXPECT_FLOAT_EQ(At(0).speed, 0.0f);
    EXPECT_EQ(Root(0, 0).action, 185);
    const i32 roots[6] = {7, 8, 13, 14, 15, 16};
    const i32 timers[6] = {0, 25, 0, 25, 50, 75};
    for (i32 i = 0; i < 6; ++i) {
        EXPECT_EQ(Root(0, roots[i]).action, 186);
        EXPECT_EQ(Root(0, roots[i]).timer, timers[i]);
    }
    EXPECT_FLOAT_EQ(Root(0, 13).hitShape.halfWidth, 50.0f);
    EXPECT_FLOAT_EQ(Root(0, 7).hitShape.halfHeight, 20.0f);
    RandomSeed(3);
    RunToAge(1199);
    EXPECT_FLOAT_EQ(At(0).x, 300.0f);
    EXPECT_EQ(DrawsSince(3), 0);
    Frame();  // age 1200: one draw, the first horizontal move
    EXPECT_EQ(DrawsSince(3), 1);
    EXPECT_NE(At(0).x, 300.0f);
}

TEST_F(Stage1BossTest, PhaseThreeBreakSendsTheEscortsAwayAndSetsFlag21) {
    SpawnBoss(182);
    At(0).age = 1100;
    const i32 a = Spawn(63, 120, 150, 100, 4);
    Spawn(63, 120, 200, 100, 4);
    Root(a, 0).action = 144;
    Destroy({5, 6, 11, 12});
    Frame();
    EXPECT_EQ(At(0).state, 183);
    EXPECT_EQ(g_TalkState.eventId, 122);
    EXPECT_EQ(g_GameState.StoryFlags[21], 1);
    for (i32 i = 1; i <= 2; ++i) {
        EXPECT_EQ(At(i).state, 193);
        EXPECT_EQ(At(i).age, 1);  // written 0, then aged in the same frame
        EXPECT_EQ(At(i).active, 0);
        EXPECT_EQ(Root(i, 0).action, 0);
    }
}

TEST_F(Stage1BossTest, PhaseThreeEndsWhenTheBossIsAloneEvenWithItsTargetsIntact) {
    SpawnBoss(182);
    At(0).age = 299;
    Frame();  // age 299
    Frame();  // age 300: opens; not tested in the opening step
    EXPECT_EQ(At(0).state, 182);
    EXPECT_EQ(Root(0, 0).action, 187);
    EXPECT_EQ(Root(0, 11).timer, 50);
    EXPECT_FLOAT_EQ(Root(0, 11).hitShape.halfHeight, 100.0f);
    Frame();  // age 1300: alone, so the break
    EXPECT_EQ(At(0).state, 183);
    EXPECT_EQ(g_GameState.StoryFlags[21], 0);
    // Intact targets stop firing.
    for (const i32 r : {5, 6, 11, 12}) EXPECT_EQ(Root(0, r).action, 0);
}

TEST_F(Stage1BossTest, PhaseFourOpensWithTheCannonAndAChainOf30Explosions) {
    SpawnBoss(183);
    At(0).age = 299;
    Frame();  // age 299
    RandomSeed(11);
    Frame();  // age 300
    EXPECT_EQ(DrawsSince(11), 90);
    EXPECT_EQ(CountEffects(10), 30);
    EXPECT_EQ(At(0).active, 1);
    EXPECT_EQ(Root(0, 10).spriteKind, 155);
    EXPECT_EQ(Root(0, 10).action, 180);
    EXPECT_EQ(Root(0, 10).timer, 150);
    EXPECT_FLOAT_EQ(Root(0, 10).hitShape.halfWidth, 110.0f);
    EXPECT_EQ(Root(0, 0).action, 181);
    EXPECT_FLOAT_EQ(Root(0, 0).hitShape.halfHeight, 160.0f);
    ASSERT_EQ(g_TargetMarkerList.size(), 2u);
    EXPECT_EQ(g_TargetMarkerList[1].partId, 155);  // marked after the sprite change
}

TEST_F(Stage1BossTest, BodyAndCannonDestroyedTogetherLeadToDeath) {
    SpawnBoss(183);
    At(0).age = 1100;
    Destroy({0, 10});
    Frame();
    EXPECT_EQ(At(0).state, 191);
    EXPECT_EQ(g_TalkState.eventId, 131);
    for (i32 r = 0; r < 18; ++r) EXPECT_EQ(Root(0, r).state, -1) << r;
    EXPECT_EQ(g_GameState.BossActiveFlag, 0);
}

TEST_F(Stage1BossTest, DeathTalkIs134WhenEscortsWereSentAway) {
    g_GameState.StoryFlags[21] = 1;
    SpawnBoss(183);
    At(0).age = 1100;
    Destroy({0});
    Frame();
    EXPECT_EQ(g_TalkState.eventId, 134);
}

TEST_F(Stage1BossTest, EscapingBossIsHittableFromAge300AndLeavesWithoutBonus) {
    SpawnBoss(183);
    At(0).age = 1100;
    At(0).y = 60.0f;
    Destroy({10});
    Frame();
    ASSERT_EQ(At(0).state, 192);
    EXPECT_EQ(g_TalkState.eventId, 123);
    EXPECT_EQ(Root(0, 0).action, 0);
    RunToAge(299);
    EXPECT_EQ(At(0).active, 0);
    EXPECT_FLOAT_EQ(At(0).y, 60.0f);
    Frame();  // age 300
    EXPECT_EQ(At(0).active, 1);
    EXPECT_EQ(g_GameState.StoryFlags[14], 1);
    QuietTalk();
    const i32 before = Score();
    const i32 frames = FramesUntilEmpty(5000);
    ASSERT_GT(frames, 0);
    EXPECT_EQ(g_TalkState.eventId, 132);
    EXPECT_EQ(Score(), before);
}

TEST_F(Stage1BossTest, DeathRunsItsExplosionsAndStartsTheClosingFade) {
    SpawnBoss(191);
    At(0).y = 100.0f;
    RandomSeed(1);
    Frame();  // age 0
    Frame();  // age 1: a chain of 20
    EXPECT_EQ(CountEffects(10), 20);
    EXPECT_EQ(DrawsSince(1), 60);
    RunToAge(99);
    EXPECT_FLOAT_EQ(At(0).y, 100.0f);
    RandomSeed(2);
    Frame();  // age 100: shake, a centre (2 draws) and 10 explosions 2 frames apart
    EXPECT_EQ(DrawsSince(2), 32);
    EXPECT_EQ(g_GameState.ScreenShakeTimer, 50);
    EXPECT_EQ(CountEffects(10), 30);
    EXPECT_EQ(g_EffectList.back().age, -18);
    RunToAge(599);
    EXPECT_EQ(CountEffects(10), 50);
    EXPECT_EQ(TransitionState.running, 0);
    g_GameState.ScreenShakeTimer = 0;
    Frame();  // age 600
    EXPECT_TRUE(g_EnemyList.empty());
    EXPECT_EQ(CountEffects(10), 80);
    EXPECT_EQ(g_GameState.ScreenShakeTimer, 50);
    EXPECT_EQ(TransitionState.running, 1);
    EXPECT_EQ(TransitionState.kind, 23);
    EXPECT_FLOAT_EQ(TransitionState.speed, 0.01f);
    EXPECT_EQ(CountFreePartSlots(), kEnemyPartPoolSize);
}

TEST_F(Stage1BossTest, SentAwayEscortsTurnDownAndClimbOut) {
    const i32 e = Spawn(63, 193, 200, 100, 0);
    At(e).rotation = 0.0f;
    Frame();
    EXPECT_FLOAT_EQ(At(e).rotation, 0.005f);
    Frames(100);  // to age 100: no climb yet
    EXPECT_FLOAT_EQ(At(e).y, 100.0f);
    Frame();  // age 101
    EXPECT_FLOAT_EQ(At(e).y, 100.0f - 0.01f);
    EXPECT_GT(FramesUntilEmpty(1000), 0);
}

}  // namespace
