// The boss of stage index 1 (states 290-299): its openings, breaks and
// bonuses per difficulty, the clearing of its escorts, the hover's time-out,
// the final forms and the two endings.
#include <cmath>
#include <vector>

#include "engine/core/radians.h"
#include "engine/core/random.h"
#include "game/play/effects.h"
#include "game/play/enemy_runtime.h"
#include "game/play/talk.h"
#include "game/play/target_markers.h"
#include "game/shell/story_flags.h"
#include "game/shell/transition.h"
#include "tests/game/enemy/stage2_fixture.h"

namespace {

using stage2_test::DrawsSince;
using stage2_test::Stage2Test;

class Stage2BossTest : public Stage2Test {
protected:
    void SetUp() override {
        Stage2Test::SetUp();
        g_PlayerState[0].shotLevel = 5;  // m = 6
        g_PlayerState[0].lives = 2;
        QuietTalk();
    }
    // The boss as the timeline brings it (front of the list), in `state`.
    i32 Boss(i32 state, f32 x = 320.0f, f32 y = 100.0f) {
        const i32 e = Spawn(102, state, x, y, 0.0f, kHalfPi);
        EXPECT_EQ(e, 0);
        return e;
    }
    // Every root part of the boss shot down (state -1), by position.
    void Shoot(std::initializer_list<i32> roots) {
        for (const i32 r : roots) Destroy(0, r);
    }
    i32 Score() const { return g_PlayerState[0].StageScorePoints; }
};

TEST_F(Stage2BossTest, ItRisesAcrossTheFieldThenComesDownForItsFirstPhase) {
    Boss(290, 320, 630);
    At(0).scale = 0.5f;
    At(0).active = 0;
    Root(0, 4).hitShape = HitShape{1, 1, 0};
    Frames(150);  // ages 0..149
    EXPECT_FLOAT_EQ(At(0).y, 630.0f - 750.0f);
    Frame();  // age 150: phase 1's lead-in, every shape zeroed
    EXPECT_EQ(At(0).state, 291);
    EXPECT_EQ(At(0).age, 1);
    EXPECT_EQ(Root(0, 4).hitShape.halfWidth, 0.0f);
    Frame();  // age 1: it turns down above the field at 0.8, sways and sinks
    EXPECT_NEAR(At(0).y, -149.5f + std::sin(6.2831853f / 400.0f), 1e-5);
    EXPECT_FLOAT_EQ(At(0).scale, 0.8f);
    EXPECT_FLOAT_EQ(At(0).rotation, kHalfPi);
}

TEST_F(Stage2BossTest, PhaseOneOpensAtAge400AndDrawsItsFirstPointAt1400) {
    Boss(291);
    At(0).age = 400;
    g_GameState.BossActiveFlag = 1;
    Frame();
    EXPECT_EQ(At(0).age, 1001);
    EXPECT_EQ(At(0).active, 1);
    EXPECT_EQ(g_GameState.BossActiveFlag, 0);
    EXPECT_EQ(Root(0, 4).hitShape.halfWidth, 50.0f);
    EXPECT_EQ(Root(0, 4).action, 0);
    const i32 timers[] = {0, 20, 40, 60};
    for (i32 r = 7; r <= 10; ++r) {
        EXPECT_EQ(Root(0, r).action, 280) << r;
        EXPECT_EQ(Root(0, r).timer, timers[r - 7]) << r;
        EXPECT_EQ(Root(0, r).hitShape.halfWidth, 40.0f) << r;
    }
    EXPECT_EQ(Root(0, 2).action, 281);
    EXPECT_EQ(Root(0, 3).action, 282);
    EXPECT_EQ(Root(0, 9).hitShape.radius, 0.0f);  // the core zeroed
    EXPECT_EQ(g_TargetMarkerList.size(), 5u);
    // The fight's first step sees 1001: no point before age 1400 (k = 400).
    const u32 seed = RandomGetState();
    Frames(399);  // ages 1001 .. 1399
    EXPECT_EQ(DrawsSince(seed), 0);
    const f32 x = At(0).x;
    RandomSetState(seed);
    const f32 tx = RandomFloat(340.0f, 460.0f);
    RandomSetState(seed);
    Frame();  // age 1400
    EXPECT_FLOAT_EQ(At(0).speed, (tx - x) * 0.0025f);
}

// Talk 228 is asked for in every fight step of phase 1 while another talk
// runs, and starts once none does; never twice.
TEST_F(Stage2BossTest, PhaseOneTalkWaitsForQuietAndComesOnce) {
    Boss(291);
    At(0).age = 1001;
    g_TalkState.active = 1;
    g_TalkState.eventId = 220;
    Frames(5);
    EXPECT_EQ(g_TalkState.eventId, 220);
    QuietTalk();
    Frame();
    EXPECT_EQ(g_TalkState.eventId, 228);
    EXPECT_EQ(g_GameState.StoryFlags[kStoryBossFirstPhaseTalkShown], 1);
    QuietTalk();
    g_TalkState.eventId = 0;
    Frames(3);
    EXPECT_EQ(g_TalkState.eventId, 0);
}

// A break pays 10 ((m / 4 + 1) n + K) through AddScore (times 1.2 on NORMAL
// and 1.5 on HARD); the clear of n bullets pays 10 m each on its own.
TEST_F(Stage2BossTest, BreaksPayTheirBonusesPerDifficulty) {
    const i32 m = 6;
    const i32 lives = 2;
    const i32 n = 4;
    struct Case {
        i32 state;
        std::initializer_list<i32> shot;
        i32 next;
        i32 k;
    };
    const Case cases[] = {
        {291, {7, 8, 9, 10}, 292, 30 * (m + lives + 10)},
        {292, {5, 6}, 293, 30 * (m + lives + 10)},
        {293, {2, 3}, 295, 30 * (m + lives) + 200},
        {293, {1}, 299, 30 * (lives + 2 * m) + 500},
    };
    for (const Case& c : cases) {
        for (i32 d = 0; d < 3; ++d) {
            SCOPED_TRACE(testing::Message() << c.state << " difficulty " << d);
            Restart();
            g_GameState.Difficulty = d;
            Boss(c.state);
            At(0).age = 1500;
            At(0).active = 1;
            Shoot(c.shot);
            g_EnemyBulletList.resize(n);
            const i32 before = Score();
            Frame();
            EXPECT_EQ(At(0).state, c.next);
            EXPECT_EQ(At(0).age, 1);
            EXPECT_EQ(At(0).active, 0);
            const f80 factor = d == 0 ? 1.0L : d == 1 ? static_cast<f80>(1.2f) : static_cast<f80>(1.5f);
            const i32 bonus = 10 * ((m / 4 + 1) * n + c.k);
            EXPECT_EQ(Score() - before, 10 * m * n + static_cast<i32>(static_cast<f80>(bonus) * factor));
            EXPECT_TRUE(g_EnemyBulletList.empty());
            if (c.next == 292 || c.next == 293) {
                EXPECT_EQ(Root(0, 2).action, 283);
                EXPECT_EQ(Root(0, 3).action, 284);
                EXPECT_EQ(g_GameState.BossActiveFlag, 1);
            }
        }
    }
}

// Phase 3's exits: root part 1 destroyed explodes (talk 224); both sides
// destroyed sink the boss when root part 0 is gone (talk 225), else break to
// the final form chosen by root part 4.
TEST_F(Stage2BossTest, PhaseThreeEndsByWhatWasShot) {
    struct Case {
        std::initializer_list<i32> shot;
        i32 next;
        i32 talk;
    };
    const Case cases[] = {
        {{1}, 299, 224}, {{1, 2, 3}, 299, 224}, {{0, 2, 3}, 298, 225}, {{2, 3}, 295, -1}, {{2, 3, 4}, 294, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.next);
        Restart();
        g_TalkState.eventId = -1;
        Boss(293);
        At(0).age = 1500;
        Shoot(c.shot);
        Frame();
        EXPECT_EQ(At(0).state, c.next);
        EXPECT_EQ(g_TalkState.active != 0 ? g_TalkState.eventId : -1, c.talk);
        if (c.next == 298 || c.next == 299) {
            EXPECT_EQ(Root(0, 4).spriteKind, 260);
        }
    }
}

// The kill clears every escort (spawn id 211) and only them, the boss's own
// record untouched; with an escort before it, the boss's writes follow it.
TEST_F(Stage2BossTest, TheKillClearsTheEscortsAndOnlyThem) {
    Boss(293);
    Spawn(1, 205, 100, 300, 1.0f);
    Spawn(5, 0, 300, 300, 0.0f);
    Spawn(1, 205, 500, 300, 1.0f);
    At(0).age = 1500;
    Shoot({1});
    Frame();
    ASSERT_EQ(g_EnemyList.size(), 2u);
    EXPECT_EQ(At(0).spawnId, 210);
    EXPECT_EQ(At(0).state, 299);
    EXPECT_EQ(At(1).spawnId, 0);
    EXPECT_EQ(CountFreePartSlots(), kEnemyPartPoolSize - 12);

    // An escort standing before the boss: the sinking silences the boss itself.
    Restart();
    const i32 escort = Spawn(1, 205, 100, 300, 1.0f);
    (void)escort;
    Boss(293);
    MoveEnemyToFrontOfList(1);  // [escort, boss]
    ASSERT_EQ(At(1).spawnId, 210);
    At(1).age = 1500;
    for (const i32 r : {0, 2, 3}) Root(1, r).state = -1;
    Root(1, 1).action = 288;
    EXPECT_TRUE(StepEnemyStage2(1, 293));
    ASSERT_EQ(g_EnemyList.size(), 1u);
    EXPECT_EQ(At(0).spawnId, 210);
    EXPECT_EQ(At(0).state, 298);
    EXPECT_EQ(Root(0, 1).action, 0);
}

TEST_F(Stage2BossTest, TheHoverDropsInAndTimesOutAfter600Frames) {
    Boss(296, 320, -200);
    At(0).speed = 8.0f;
    g_GameState.BossActiveFlag = 1;
    i32 frames = 0;
    while (At(0).age < 1000 && frames < 200) {
        Frame();
        ++frames;
    }
    EXPECT_EQ(frames, 66);  // the first step past age 10 with the speed down to 1.5
    EXPECT_EQ(g_GameState.BossActiveFlag, 0);
    // Root part 0 standing: the step that sees 1601 shoots the sides itself and
    // breaks to a final form without a bonus.
    At(0).age = 1601;
    const i32 before = Score();
    Frame();
    EXPECT_EQ(At(0).state, 295);
    EXPECT_EQ(Score(), before);
    EXPECT_EQ(Root(0, 2).state, -1);
    EXPECT_EQ(Root(0, 1).action, 0);
    EXPECT_EQ(g_GameState.BossActiveFlag, 1);
    // Root part 0 destroyed: at 1601 its guns take 293 and 295 instead.
    Restart();
    Boss(296);
    Shoot({0});
    At(0).age = 1601;
    Frame();
    EXPECT_EQ(At(0).state, 296);
    EXPECT_EQ(Root(0, 1).action, 295);
    EXPECT_EQ(Root(0, 0).action, 293);
    EXPECT_EQ(Root(0, 2).state, 1);
}

// The final forms open when they have risen out of the top: 294 arms root
// part 0 only on NORMAL and HARD; 295 revives the guns 7-10 as 257.
TEST_F(Stage2BossTest, FinalFormsOpenAboveTheField) {
    for (i32 d = 0; d < 3; ++d) {
        SCOPED_TRACE(d);
        Restart();
        g_GameState.Difficulty = d;
        Boss(294, 300, -200);
        Shoot({4});
        Root(0, 0).action = 0;  // as the breaks before left it
        Frame();                // age 0: rises by 0.05 past -200 and opens
        ASSERT_EQ(At(0).age, 1001);
        EXPECT_FLOAT_EQ(At(0).x, 200.0f);
        EXPECT_EQ(Root(0, 1).hp, 4200);
        EXPECT_EQ(Root(0, 1).action, 292);
        EXPECT_EQ(Root(0, 0).action, d == 0 ? 0 : 293);
        EXPECT_EQ(At(0).active, 1);
    }
    Restart();
    Boss(295, 300, -200);
    Shoot({7, 8, 9, 10});
    Root(0, 5).hitShape = HitShape{5, 5, 0};  // no shape is zeroed
    Frame();
    EXPECT_EQ(Root(0, 5).hitShape.halfWidth, 5.0f);
    for (i32 r = 7; r <= 10; ++r) {
        EXPECT_EQ(Root(0, r).state, 1) << r;
        EXPECT_EQ(Root(0, r).spriteKind, 257) << r;
        EXPECT_EQ(Root(0, r).action, 291) << r;
    }
    EXPECT_EQ(Root(0, 4).hp, 1800);
    EXPECT_EQ(g_TalkState.eventId, 223);
    ASSERT_EQ(g_TargetMarkerList.size(), 6u);
    EXPECT_EQ(g_TargetMarkerList[0].timer, 200);
}

// In a final form's fight the boss aims within pi/3 of straight down; talk
// 227 comes once after 2000 frames if the player was hit less than twice.
TEST_F(Stage2BossTest, FinalFormTalkComesOnceAfter2000Frames) {
    struct Case {
        i32 missCount;
        bool talk;
    };
    for (const Case c : {Case{1, true}, Case{2, false}}) {
        Restart();
        g_GameState.MissCount = c.missCount;
        g_TalkState.eventId = -1;
        Boss(295, 320, 100);
        At(0).age = 3000;
        g_PlayerState[0].x = 600.0f;
        g_PlayerState[0].y = 110.0f;
        Frame();
        EXPECT_EQ(g_TalkState.eventId == 227, false);  // age 3000: not yet
        Frame();
        EXPECT_EQ(g_TalkState.eventId == 227, c.talk);
        EXPECT_GE(At(0).rotation, 1.0471976f);
    }
}

TEST_F(Stage2BossTest, TheEndingsCloseWithTheFade) {
    // 299: ten, then three bursts of ten, then thirty explosions; the boss
    // leaves at age 300.
    Boss(299);
    const std::size_t effects = g_EffectList.size();
    const u32 seed = RandomGetState();
    for (i32 f = 0; f < 300; ++f) {
        Frame();
        ASSERT_EQ(g_EnemyList.size(), 1u) << f;
    }
    EXPECT_EQ(g_EffectList.size() - effects, 40u);
    EXPECT_EQ(DrawsSince(seed), 40 * 3 + 3 * 2);
    Frame();
    EXPECT_TRUE(g_EnemyList.empty());
    EXPECT_EQ(TransitionState.running, 1);
    EXPECT_FLOAT_EQ(TransitionState.speed, 0.01f);
    EXPECT_EQ(g_GameState.ScreenShakeTimer, 50);

    // 298 sinks from age 200 and leaves at age 400.
    Restart();
    Boss(298, 320, 100);
    Frames(201);
    EXPECT_FLOAT_EQ(At(0).y, 100.0f);
    Frame();
    EXPECT_FLOAT_EQ(At(0).y, 100.04f);
    EXPECT_EQ(FramesUntilEmpty(300), 199);
    EXPECT_EQ(TransitionState.running, 1);
}

}  // namespace
