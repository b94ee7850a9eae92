// The last boss of stage index 4 (enemy kind 101) and its escorts (kind
// 102): the rise out of the castle (900), the arrival (901), the dive (911),
// the wide phase (912), the summoning (913), the last phase (915) and the two
// deaths (920, 921): their openings, targets, breaks, bonuses and flags; the
// escorts' three phases and their erase at the field's edges.
#include <cmath>
#include <initializer_list>
#include <vector>

#include "engine/core/radians.h"
#include "game/enemy/enemy_behaviour.h"
#include "game/play/talk.h"
#include "game/shell/music.h"
#include "game/shell/sound_effects.h"
#include "game/shell/sound_names.h"
#include "game/shell/transition.h"
#include "tests/game/enemy/stage5_fixture.h"

namespace {

class LastBossTest : public stage5_test::Stage5Test {
protected:
    void SetUp() override {
        Stage5Test::SetUp();
        g_MusicState.ready = 1;
        g_MusicState.requested = 22;
        ClearSoundEffectStamps();
    }
    void TearDown() override {
        g_MusicState = MusicState{};
        Stage5Test::TearDown();
    }
    // The last boss as phase 14 brings it: kind 101 at the front in `state`.
    void SpawnBoss(i32 state, f32 x = 320.0f, f32 y = 400.0f) {
        ASSERT_EQ(SpawnEnemyStage5(101), 0);
        Enemy& e = Boss();
        e.state = state;
        e.speed = 0.5f;
        e.x = x;
        e.y = y;
        e.heading = -kHalfPi;
        e.rotation = -kHalfPi;
        e.scale = 0.2f;
    }
    Enemy& Boss() { return g_EnemyList[0]; }
    EnemyPart& BossRoot(i32 r) { return Root(0, r); }
    void Destroy(std::initializer_list<i32> roots) {
        for (const i32 r : roots) BossRoot(r).state = -1;
    }
    void SoundFrame() {
        RearmSoundEffectGates();
        Frame();
    }
    // Frames until the boss's state is `state` (or it is gone); the count.
    i32 RunToState(i32 state, i32 limit = 20000) {
        for (i32 i = 1; i <= limit; ++i) {
            Frame();
            if (g_EnemyList.empty() || Boss().state == state) return i;
        }
        return -1;
    }
    // Frames until the step that sees `age` has run.
    void RunToAge(i32 age) {
        for (i32 guard = 0; guard < 50000 && !g_EnemyList.empty() && Boss().age <= age; ++guard) Frame();
    }
    static i32 Score() { return g_PlayerState[0].StageScorePoints; }
    static i32 CountEffects(i32 kind) {
        i32 n = 0;
        for (const Effect& e : g_EffectList) n += e.kind == kind ? 1 : 0;
        return n;
    }
    // Bonus C with nothing cleared, m = 1 and 3 lives.
    static constexpr i32 kBonusC = 10 * (40 + 30 * (3 + 10));
    // Bonus B likewise.
    static constexpr i32 kBonusB = 10 * (30 * (3 + 2) + 500);
};

// ---- 900, 901 ----

TEST_F(LastBossTest, ItRisesSmallThenFasterAndGrowingUntilAboveTheField) {
    SpawnBoss(900);
    RunToAge(500);  // the steps that saw ages 0..500
    EXPECT_FLOAT_EQ(Boss().scale, 0.2f);
    EXPECT_FLOAT_EQ(Boss().speed, 0.5f);
    EXPECT_NEAR(Boss().y, 400.0f - 0.5f * 501.0f, 1e-2);
    Frame();  // 501
    EXPECT_FLOAT_EQ(Boss().speed, 0.55f);
    EXPECT_FLOAT_EQ(Boss().scale, 0.201f);
    ASSERT_GT(RunToState(901), 0);
    EXPECT_LT(Boss().y, -100.0f);
    EXPECT_EQ(Boss().age, 1);  // the frame of the change ages it to 1
    EXPECT_EQ(Boss().active, 0);
}

// 901 written literally: below age 100 the speed is 0 and the scale 0.1 (so
// it climbs 0.1 a frame), at 100 it drops in at -7.5 and full size, and the
// phase opens on the first frame whose speed is no longer below 0.1 (f32
// sums of 0.1 decide the frame).
TEST_F(LastBossTest, TheArrivalOpensOnTheFrameItsSpeedReaches0Point1) {
    f32 s = -7.5f;
    i32 openAge = 100;
    while (s < 0.1f) {
        s += 0.1f;
        ++openAge;
    }
    struct Case {
        i32 difficulty;
        i32 timers[4];
    };
    const Case cases[] = {{0, {0, 70, 140, 210}}, {1, {0, 50, 100, 150}}, {2, {0, 50, 0, 50}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.difficulty);
        Restart();
        g_GameState.Difficulty = c.difficulty;
        SpawnBoss(901, 320.0f, -110.0f);
        g_GameState.BossActiveFlag = 1;
        Frame();  // age 1
        EXPECT_FLOAT_EQ(Boss().scale, 0.1f);
        EXPECT_NEAR(Boss().y, -110.1f, 1e-4);
        RunToAge(100);
        EXPECT_FLOAT_EQ(Boss().scale, 1.0f);
        EXPECT_FLOAT_EQ(Boss().speed, -7.4f);
        RunToAge(openAge - 1);
        EXPECT_EQ(Boss().active, 0);
        Frame();
        EXPECT_EQ(Boss().age, 1000);
        EXPECT_EQ(Boss().active, 1);
        EXPECT_FLOAT_EQ(Boss().speed, 0.0f);
        EXPECT_EQ(g_GameState.BossActiveFlag, 0);
        EXPECT_EQ(BossRoot(2).action, 901);
        EXPECT_EQ(g_TargetMarkerList.size(), 4u);
        for (i32 r = 3; r <= 6; ++r) {
            EXPECT_EQ(BossRoot(r).action, 910);
            EXPECT_EQ(BossRoot(r).hp, 2400);
            EXPECT_EQ(BossRoot(r).maxHp, 2400);
            EXPECT_FLOAT_EQ(BossRoot(r).hitShape.halfWidth, 50.0f);
            EXPECT_FLOAT_EQ(BossRoot(r).hitShape.halfHeight, 25.0f);
            EXPECT_EQ(BossRoot(r).timer, c.timers[r - 3]);
        }
        for (const i32 r : {0, 1, 2, 7, 8, 9, 10}) EXPECT_FLOAT_EQ(BossRoot(r).hitShape.halfWidth, 0.0f);
    }
}

TEST_F(LastBossTest, TheArrivalDriftsAndBreaksWithBonusCWhenItsTurretsFall) {
    SpawnBoss(901, 320.0f, 150.0f);
    Boss().age = 1000;
    Boss().active = 1;
    Frame();  // 1000: the first target, 180..300
    EXPECT_LT(Boss().speed, 0.0f);
    EXPECT_GE(Boss().speed, (180.0f - 320.0f) * 0.0025f);
    RunToAge(1400);  // the second, 340..460
    EXPECT_GT(Boss().speed, 0.0f);
    BossRoot(2).timer = 77;
    Destroy({3, 4, 5});
    Frame();
    EXPECT_EQ(Boss().state, 901);
    Destroy({6});
    g_GameState.BossActiveFlag = 0;
    const i32 score = Score();
    Frame();
    EXPECT_EQ(Boss().state, 911);
    EXPECT_EQ(Boss().active, 0);
    EXPECT_EQ(BossRoot(2).action, 0);
    EXPECT_EQ(BossRoot(2).timer, 77);  // kept
    EXPECT_EQ(g_GameState.BossActiveFlag, 1);
    EXPECT_EQ(CountEffects(63), 1);
    EXPECT_EQ(Score() - score, kBonusC);
}

// ---- 911 ----

TEST_F(LastBossTest, TheDiveComesBackWithItsTailAndPaysBonusCWhenTheTailFalls) {
    SpawnBoss(911, 300.0f, 150.0f);
    ASSERT_GT(RunToState(911), 0);
    RunToAge(998);
    while (Boss().age < 1000) Frame();
    EXPECT_FLOAT_EQ(Boss().x, 320.0f);
    EXPECT_LT(Boss().y, -190.0f);
    EXPECT_EQ(Boss().active, 1);
    EXPECT_EQ(BossRoot(10).hp, 3600);
    EXPECT_FLOAT_EQ(BossRoot(10).hitShape.halfHeight, 80.0f);
    EXPECT_EQ(BossRoot(10).action, 0);
    EXPECT_EQ(g_TargetMarkerList.size(), 1u);
    RunToAge(1050);
    EXPECT_EQ(BossRoot(10).action, 902);
    EXPECT_EQ(BossRoot(2).action, 903);
    Destroy({10});
    g_GameState.BossActiveFlag = 0;
    const i32 score = Score();
    Frame();
    EXPECT_EQ(Boss().age, 5001);
    EXPECT_EQ(Boss().active, 0);
    EXPECT_EQ(BossRoot(2).action, 0);
    EXPECT_EQ(g_GameState.BossActiveFlag, 1);
    EXPECT_EQ(Score() - score, kBonusC);
    ASSERT_GT(RunToState(912), 0);
    EXPECT_EQ(Boss().age, 1);
}

TEST_F(LastBossTest, AnEscapedDiveGoesOnWithoutABonus) {
    SpawnBoss(911, 320.0f, -200.0f);
    Boss().age = 1000;
    Boss().speed = 0.1f;
    const i32 score = Score();
    g_GameState.BossActiveFlag = 0;
    ASSERT_GT(RunToState(912), 0);
    EXPECT_EQ(Score(), score);
    EXPECT_EQ(g_GameState.BossActiveFlag, 1);
    EXPECT_EQ(CountEffects(63), 0);
}

// ---- 912 ----

TEST_F(LastBossTest, TheWidePhaseOpensItsWingsAndArmsAndBreaksOnTheWings) {
    SpawnBoss(912, 320.0f, -200.0f);
    SetEnemyState(0, 912);
    RunToAge(999);
    while (Boss().age < 1000) Frame();
    EXPECT_EQ(Boss().active, 1);
    EXPECT_EQ(g_GameState.BossActiveFlag, 0);
    EXPECT_EQ(g_TargetMarkerList.size(), 4u);
    for (const i32 r : {7, 8}) {
        EXPECT_EQ(BossRoot(r).action, 932);
        EXPECT_EQ(BossRoot(r).hp, 2600);
    }
    for (const i32 r : {0, 1}) {
        EXPECT_EQ(BossRoot(r).action, 933);
        EXPECT_EQ(BossRoot(r).hp, 3200);
        EXPECT_FLOAT_EQ(BossRoot(r).hitShape.halfWidth, 80.0f);
    }
    EXPECT_EQ(BossRoot(2).action, 931);
    EXPECT_FLOAT_EQ(BossRoot(2).hitShape.halfWidth, 0.0f);
    // Destroying the arms does not end it; the wings do.
    Destroy({0, 1, 7});
    Frame();
    EXPECT_EQ(Boss().state, 912);
    BossRoot(2).timer = 40;
    Destroy({8});
    const i32 score = Score();
    Frame();
    EXPECT_EQ(Boss().state, 913);
    EXPECT_EQ(BossRoot(2).action, 0);
    EXPECT_EQ(BossRoot(2).timer, 0);
    EXPECT_EQ(Score() - score, kBonusC);
    EXPECT_EQ(g_GameState.BossActiveFlag, 1);
}

// ---- 913, 915 ----

TEST_F(LastBossTest, TheSummoningWaitsPast2300UntilItIsAlone) {
    SpawnBoss(913, 320.0f, 300.0f);
    SetEnemyState(0, 913);
    RunToAge(999);
    while (Boss().age < 1000) Frame();
    EXPECT_FLOAT_EQ(Boss().x, 320.0f);
    EXPECT_FLOAT_EQ(Boss().scale, 0.5f);
    EXPECT_EQ(Boss().active, 0);
    g_GameState.BossActiveFlag = 1;
    RunToAge(1200);
    EXPECT_EQ(g_GameState.BossActiveFlag, 0);
    Spawn(102, 0, 320.0f, 200.0f, 0.0f);  // an enemy holding still
    RunToAge(2400);
    EXPECT_EQ(Boss().state, 913);
    g_EnemyList.pop_back();
    Frame();
    EXPECT_EQ(Boss().state, 915);
    EXPECT_EQ(g_GameState.BossActiveFlag, 1);
}

TEST_F(LastBossTest, TheLastPhaseOpensItsBodyAndSpineWithoutMarkersOrFlag) {
    SpawnBoss(915, 320.0f, 580.0f);
    SetEnemyState(0, 915);
    g_GameState.BossActiveFlag = 1;
    RunToAge(999);
    while (Boss().age < 1000) Frame();
    EXPECT_FLOAT_EQ(Boss().x, 320.0f);
    EXPECT_FLOAT_EQ(Boss().scale, 1.0f);
    EXPECT_EQ(Boss().corePart, -1);
    EXPECT_EQ(Boss().active, 1);
    EXPECT_EQ(g_GameState.BossActiveFlag, 1);
    EXPECT_TRUE(g_TargetMarkerList.empty());
    EXPECT_EQ(BossRoot(2).action, 951);
    EXPECT_EQ(BossRoot(2).hp, 8800);
    EXPECT_EQ(BossRoot(9).action, 952);
    EXPECT_EQ(BossRoot(9).hp, 7200);
    for (i32 r = 0; r <= 10; ++r) EXPECT_FLOAT_EQ(BossRoot(r).hitShape.halfWidth, 0.0f);
    // Its nose follows the player within 12 degrees of straight down... of
    // its facing up the screen (rotation -pi/2 +- 12 degrees).
    g_PlayerState[0].x = -2000.0f;
    g_PlayerState[0].y = 0.0f;
    RunToAge(2000);
    EXPECT_FLOAT_EQ(Boss().rotation, -1.36135685f);
    g_PlayerState[0].x = 3000.0f;
    RunToAge(3000);
    EXPECT_FLOAT_EQ(Boss().rotation, -1.78023589f);
}

TEST_F(LastBossTest, TheLastPhasesTwoDeaths) {
    struct Case {
        std::vector<i32> destroyed;
        i32 next;
        i32 talk;
    };
    const Case cases[] = {{{2}, 921, 495}, {{0, 1, 9, 10}, 920, 494}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.next);
        Restart();
        SpawnBoss(915, 320.0f, 100.0f);
        Boss().age = 1500;
        Boss().active = 1;
        BossRoot(3).action = 13;   // a wreck: kept
        BossRoot(4).action = 0;    // silent: wrecked
        BossRoot(5).action = 910;  // a pattern: wrecked
        for (const i32 r : c.destroyed) BossRoot(r).state = -1;
        g_GameState.BossActiveFlag = 0;
        QuietTalk();
        const i32 score = Score();
        SoundFrame();
        EXPECT_EQ(Boss().state, c.next);
        EXPECT_EQ(Boss().active, 0);
        EXPECT_EQ(g_GameState.BossActiveFlag, 0);
        EXPECT_EQ(g_TalkState.eventId, c.talk);
        EXPECT_EQ(CountEffects(64), 1);
        EXPECT_EQ(Score() - score, kBonusB);
        EXPECT_EQ(BossRoot(3).action, 13);
        EXPECT_EQ(BossRoot(4).action, 11);
        EXPECT_EQ(BossRoot(5).action, 11);
        EXPECT_EQ(BossRoot(6).state, c.next == 921 ? -1 : 1);
        EXPECT_EQ(SoundEffectGates[kSoundSenGeBom05], c.next == 920 ? 0 : 1);
    }
}

TEST_F(LastBossTest, TheDeathsLeaveWithAFlash) {
    struct Case {
        i32 state;
        i32 lastFrame;  // the age of the step that erases it
    };
    for (const Case c : {Case{920, 1201}, Case{921, 1000}}) {
        SCOPED_TRACE(c.state);
        Restart();
        SpawnBoss(c.state, 320.0f, 100.0f);
        SetEnemyState(0, c.state);
        RunToAge(49);
        EXPECT_EQ(g_MusicState.requested, 22);
        Frame();
        EXPECT_EQ(g_MusicState.requested, 0);
        RunToAge(c.lastFrame - 1);
        ASSERT_FALSE(g_EnemyList.empty());
        Frame();
        EXPECT_TRUE(g_EnemyList.empty());
        EXPECT_EQ(TransitionState.running, 1);
        EXPECT_FLOAT_EQ(TransitionState.speed, 0.01f);
        EXPECT_EQ(g_GameState.ScreenShakeTimer, 50);
    }
    // 921 bursts ten explosions at every hundredth frame from 100 to 500,
    // then 40 and 20 more.
    Restart();
    SpawnBoss(921, 320.0f, 100.0f);
    SetEnemyState(0, 921);
    RunToAge(999);
    EXPECT_EQ(CountEffects(10), 50);
    Frame();
    EXPECT_EQ(CountEffects(10), 110);
}

// ---- The escorts ----

// Speeds by phase, by the age the step sees: wheeling 990/991/993/994 slow
// from their entry, cruise from age 1000 and speed off from 2000; the
// heading turns every frame.
TEST_F(LastBossTest, EscortsSlowCruiseAndSpeedOffByState) {
    struct Case {
        i32 state;
        f32 turn, rate1, cruise;
        i32 cruiseEnd;
        f32 speedAt2001;
    };
    const Case cases[] = {
        {990, -0.025f, 0.025f, 5.0f, 1500, 202 * 0.025f},
        {991, 0.025f, 0.025f, 5.0f, 1500, 202 * 0.025f},
        {993, -0.03f, 0.03f, 6.0f, 1300, 202 * 0.03f},
        {994, 0.035f, 0.03f, 7.0f, 1300, 204 * 0.035f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.state);
        Restart();
        Spawn(102, c.state, 320.0f, 240.0f, 0.0f, 0.0f);
        Frame();
        EXPECT_FLOAT_EQ(At(0).heading, c.turn);
        struct Step {
            i32 age;
            f32 speed;
            i32 ageAfter;
        };
        const Step steps[] = {
            // clang-format off
            {1, 399 * c.rate1, 2},          {200, 200 * c.rate1, 201},
            {201, 199 * c.rate1, 1001},     {1001, c.cruise, 1002},
            {c.cruiseEnd, c.cruise, c.cruiseEnd + 1}, {c.cruiseEnd + 1, c.cruise, 2001},
            // clang-format on
            {2001, c.speedAt2001, 2002},
        };
        for (const Step& s : steps) {
            SCOPED_TRACE(s.age);
            At(0).age = s.age;
            At(0).x = 320.0f;
            At(0).y = 240.0f;
            Frame();
            EXPECT_FLOAT_EQ(At(0).speed, s.speed);
            EXPECT_EQ(At(0).age, s.ageAfter);
        }
    }
}

// An escort is erased at its first step outside x -150..690 or y -150..530
// (a ring of radius 400 loses its members right and left at once).
TEST_F(LastBossTest, EscortsOutsideTheWideFieldAreErasedAtTheirFirstStep) {
    struct Case {
        f32 x, y;
        bool kept;
    };
    const Case cases[] = {{720.0f, 240.0f, false}, {-80.0f, 240.0f, true},   {320.0f, -160.0f, false},
                          {320.0f, 525.0f, true},  {-200.0f, 240.0f, false}, {320.0f, 640.0f, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << ", " << c.y);
        Restart();
        Spawn(102, 993, c.x, c.y, 0.0f, 0.0f);  // heading right: it moves by 12 in x
        Frame();
        EXPECT_EQ(g_EnemyList.size(), c.kept ? 1u : 0u);
    }
}

TEST_F(LastBossTest, TheSpareEscortStatesBrakeAndPulse) {
    Spawn(102, 995, 320.0f, 240.0f, 0.35f, 0.0f);
    Frame();
    Frame();
    Frame();
    Frame();  // 0.35 - 0.4 <= 0
    EXPECT_EQ(At(0).age, 1001);
    Restart();
    Spawn(102, 914, 320.0f, 240.0f, 0.3f, 0.0f);
    Frame();
    Frame();
    EXPECT_EQ(At(0).age, 1001);
    Frame();
    EXPECT_FLOAT_EQ(At(0).speed, std::cos(3.1415927f / 100.0f));
}

}  // namespace
