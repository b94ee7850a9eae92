// The attack patterns of stage index 4: firing frames, bullet and shell counts
// and headings per difficulty, the draws they make, the values they keep and
// the parts' own changes.
#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/core/radians.h"
#include "engine/core/random.h"
#include "game/patterns/part_step.h"
#include "game/patterns/pattern_content.h"
#include "game/play/stage_random.h"
#include "game/shell/game_math.h"
#include "tests/game/enemy/enemy_fixture.h"

namespace {

using enemy_test::DrawsSince;
using enemy_test::EnemyFrameTest;
using enemy_test::TableKind;
using enemy_test::TablePart;

using enemy_test::StepPartOnce;
using enemy_test::VolleysUntil;
using Shot = enemy_test::Volley;

constexpr StepPartFn kSteps = StepStageParts<RunPartActionStage5>;

class Stage5PatternsTest : public EnemyFrameTest {
protected:
    void SetUp() override {
        EnemyFrameTest::SetUp();
        g_GameState.StageIndex = 4;
        g_PlayerState[0].x = 300.0f;
        g_PlayerState[0].y = 420.0f;
        DefaultHitShapes[0] = {5, 3, 0};
        DefaultHitShapes[1] = {0, 0, 5};
        DefaultHitShapes[2] = {0, 0, 12};
        StageRandomSeed(&g_StageRandomState, 0);
        ActionsStage5().reset();
    }
    void TearDown() override {
        ActionsStage5().reset();
        EnemyFrameTest::TearDown();
    }
    // A part with the action on an enemy at (300, 200) facing down; `extra`
    // further root parts (no action) after it, `children` children under it.
    EnemyPart& Gun(i32 action, i32 extra = 0, i32 children = 0, f32 x = 300.0f, f32 y = 200.0f) {
        std::vector<PartSpec> parts;
        std::vector<i32> kids;
        for (i32 c = 0; c < children; ++c) {
            parts.push_back(TablePart(0, 0, 0));
            kids.push_back(c);
        }
        parts.push_back(TablePart(101, 0, 0, kids));
        std::vector<i32> roots = {children};
        for (i32 r = 0; r < extra; ++r) {
            parts.push_back(TablePart(0, 0, 0));
            roots.push_back(children + 1 + r);
        }
        enemy_ = Build(TableKind(parts, roots), x, y, kHalfPi);
        part_ = &Part(children);
        part_->action = action;
        return *part_;
    }
    Enemy& Owner() { return g_EnemyList[static_cast<std::size_t>(enemy_)]; }
    // One frame of the part at the difficulty; what it fired.
    Shot Step(i32 difficulty) { return StepPartOnce(kSteps, difficulty, enemy_, part_); }
    void Steps(i32 difficulty, i32 n) {
        for (i32 i = 0; i < n; ++i) Step(difficulty);
    }
    // Every frame that fired while the timer runs up to `last`.
    std::vector<Shot> Log(i32 difficulty, i32 last) { return VolleysUntil(kSteps, difficulty, enemy_, part_, last); }
    // The first Shot of each frame in `log` as a list of timers.
    static std::vector<i32> Timers(const std::vector<Shot>& log) {
        std::vector<i32> t;
        for (const Shot& s : log) t.push_back(s.t);
        return t;
    }
    void Fresh() {
        enemy_test::ResetEnemyFrameState();
        SetUp();
    }
    i32 enemy_ = 0;
    EnemyPart* part_ = nullptr;
};

// ---- The fortress ----

TEST_F(Stage5PatternsTest, Action200MarksAtTimer100AndFiresRocketsInItsWindows) {
    const std::vector<i32> first[3] = {{360, 380, 400}, {280, 300, 320}, {260, 280, 300}};
    for (i32 d = 0; d < 3; ++d) {
        SCOPED_TRACE(d);
        Fresh();
        Gun(200);
        Owner().active = 0;
        Steps(d, 100);
        EXPECT_EQ(Owner().active, 1);
        EXPECT_EQ(g_TargetMarkerList.size(), 1u);
        const auto log = Log(d, 420);
        EXPECT_EQ(Timers(log), first[d]);
        for (const Shot& s : log) EXPECT_EQ(s.shells, 1);
        const EnemyShell& rocket = g_EnemyShellList.back();
        EXPECT_EQ(rocket.kind, 1200);
        EXPECT_EQ(rocket.hp, 9999);
        EXPECT_GE(rocket.speed, 4.0f);
        EXPECT_LE(rocket.speed, 7.0f);
        EXPECT_EQ(g_EffectList.size(), 3u * 13u);  // 8 of kind 9 and 5 of kind 10 each
    }
}

TEST_F(Stage5PatternsTest, Action201ShellGroupsAndBulletsOnceTheMainGunIsGone) {
    const std::vector<Shot> groups[3] = {
        {{1100, 0, 2}, {1150, 0, 2}},
        {{900, 0, 4}, {950, 0, 4}, {1100, 0, 4}, {1150, 0, 4}},
        {{900, 0, 4}, {940, 0, 4}, {980, 0, 4}, {1100, 0, 4}, {1140, 0, 4}, {1180, 0, 4}},
    };
    for (i32 d = 0; d < 3; ++d) {
        SCOPED_TRACE(d);
        Fresh();
        // Root 0 stands in for the main gun; the core is root 1.
        enemy_ = Build(TableKind({TablePart(1203, 0, 0), TablePart(1201, 0, 0)}, {0, 1}), 300, 200, kHalfPi);
        part_ = &Part(1);
        part_->action = 201;
        Steps(d, 699);
        EXPECT_TRUE(g_TargetMarkerList.empty());
        Step(d);  // 700
        EXPECT_EQ(g_TargetMarkerList.size(), 1u);
        EXPECT_FLOAT_EQ(part_->hitShape.halfHeight, 65.0f);
        EXPECT_EQ(Log(d, 1199), groups[d]);
        // The main gun destroyed: pairs of bullets at t mod 40 = 0, 2, .., 8.
        Part(0).state = -1;
        part_->timer = 1198;
        const i32 pairs[3] = {1, 2, 4};
        EXPECT_EQ(Log(d, 1210), (std::vector<Shot>{{1200, 2 * pairs[d], 0},
                                                   {1202, 2 * pairs[d], 0},
                                                   {1204, 2 * pairs[d], 0},
                                                   {1206, 2 * pairs[d], 0},
                                                   {1208, 2 * pairs[d], 0}}));
    }
}

TEST_F(Stage5PatternsTest, Action202AlternatesItsVolleys) {
    for (i32 d = 0; d < 3; ++d) {
        SCOPED_TRACE(d);
        Fresh();
        Gun(202);
        EXPECT_EQ(Timers(Log(d, 170)), (std::vector<i32>{150, 155, 160, 165, 170}));
        Fresh();
        Gun(202).timer = 149;
        Step(d);  // 150: volley B, speed 2.5
        ASSERT_EQ(g_EnemyBulletList.size(), 5u);
        for (const EnemyBullet& b : g_EnemyBulletList) EXPECT_FLOAT_EQ(b.speed, 2.5f);
        part_->timer = 299;
        RandomSeed(8);
        Step(d);  // 300: volley A
        EXPECT_FLOAT_EQ(g_EnemyBulletList.back().speed, d == 0 ? 2.0f : 2.5f);
        EXPECT_EQ(DrawsSince(8), 5);
        // The muzzle turns with each bullet: 20 pixels along its heading.
        const EnemyBullet& b = g_EnemyBulletList.back();
        EXPECT_NEAR(b.x, 300.0f + 20.0f * std::cos(b.heading), 1e-3);
        EXPECT_NEAR(b.y, 200.0f + 20.0f * std::sin(b.heading), 1e-3);
    }
}

// ---- Small enemies ----

TEST_F(Stage5PatternsTest, Action401FiresFiveFansAtThePlayer) {
    const std::vector<Shot> want[3] = {
        {{100, 13, 0}, {280, 13, 0}}, {{80, 13, 0}, {230, 13, 0}}, {{70, 15, 0}, {190, 15, 0}, {310, 15, 0}}};
    for (i32 d = 0; d < 3; ++d) {
        SCOPED_TRACE(d);
        Fresh();
        Gun(401);
        EXPECT_EQ(Log(d, 320), want[d]);
    }
    // EASY's fans: the aim (straight down), -+0.02, then -+1.2 with two bullets.
    Fresh();
    Gun(401).timer = 99;
    Step(0);
    ASSERT_EQ(g_EnemyBulletList.size(), 13u);
    const f32 headings[13] = {kHalfPi,         kHalfPi,         kHalfPi,         kHalfPi - 0.02f, kHalfPi - 0.02f,
                              kHalfPi - 0.02f, kHalfPi + 0.02f, kHalfPi + 0.02f, kHalfPi + 0.02f, kHalfPi - 1.2f,
                              kHalfPi - 1.2f,  kHalfPi + 1.2f,  kHalfPi + 1.2f};
    const f32 speeds[13] = {3, 2.8f, 2.6f, 3, 2.8f, 2.6f, 3, 2.8f, 2.6f, 3, 2.5f, 3, 2.5f};
    for (std::size_t i = 0; i < 13; ++i) {
        EXPECT_NEAR(g_EnemyBulletList[i].heading, headings[i], 1e-5) << i;
        EXPECT_FLOAT_EQ(g_EnemyBulletList[i].speed, speeds[i]) << i;
        EXPECT_FLOAT_EQ(g_EnemyBulletList[i].y, 216.0f) << i;  // the nose, 16 ahead
    }
    // Inactive or outside the field: nothing.
    Fresh();
    Gun(401).timer = 99;
    Owner().active = 0;
    EXPECT_EQ(Step(0).bullets, 0);
    Fresh();
    Gun(401, 0, 0, 560.0f).timer = 99;
    EXPECT_EQ(Step(0).bullets, 0);
}

TEST_F(Stage5PatternsTest, Action402ShellsBackwardAndFans) {
    const std::vector<Shot> want[3] = {
        {{60, 0, 1}, {80, 6, 0}, {180, 0, 1}, {230, 6, 0}, {300, 0, 1}, {380, 6, 0}},
        {{60, 0, 1}, {80, 10, 0}, {140, 0, 1}, {220, 0, 1}, {230, 10, 0}, {300, 0, 1}, {380, 10, 1}},
        {{50, 0, 1}, {80, 21, 0}, {120, 0, 1}, {190, 0, 1}, {230, 21, 0}, {260, 0, 1}, {330, 0, 1}, {380, 21, 0}},
    };
    for (i32 d = 0; d < 3; ++d) {
        SCOPED_TRACE(d);
        Fresh();
        Gun(402);
        EXPECT_EQ(Log(d, 380), want[d]);
        const EnemyShell& s = g_EnemyShellList.back();
        EXPECT_EQ(s.kind, 401);
        EXPECT_FLOAT_EQ(s.speed, -5.0f);
        EXPECT_FLOAT_EQ(s.heading, kHalfPi + kPi);
        EXPECT_FLOAT_EQ(s.angle, kHalfPi + kPi);
    }
}

TEST_F(Stage5PatternsTest, Action405SpraysShellsOnRandomHeadings) {
    const std::vector<i32> want[3] = {{90, 95, 100}, {80, 85, 90, 95, 100}, {80, 84, 88, 92, 96, 100}};
    const i32 draws[3] = {1, 1, 2};
    for (i32 d = 0; d < 3; ++d) {
        SCOPED_TRACE(d);
        Fresh();
        Gun(405);
        RandomSeed(2);
        EXPECT_EQ(Timers(Log(d, 200)), want[d]);
        EXPECT_EQ(DrawsSince(2), draws[d] * static_cast<i32>(want[d].size()));
        const EnemyShell& s = g_EnemyShellList.back();
        EXPECT_EQ(s.kind, 410);
        EXPECT_FLOAT_EQ(s.angle, 1.5708f);
        if (d < 2) {
            EXPECT_FLOAT_EQ(s.speed, -4.0f);
        }
        EXPECT_GE(s.heading, -2.0f);
        EXPECT_LE(s.heading, 2.0f);
    }
}

TEST_F(Stage5PatternsTest, Action406TurnsAlwaysAndFiresInItsWindow) {
    const i32 perPeriod[3] = {6, 6, 16};
    const i32 period[3] = {160, 120, 120};
    for (i32 d = 0; d < 3; ++d) {
        SCOPED_TRACE(d);
        Fresh();
        Gun(406);
        g_PlayerState[0].x = 400.0f;  // to the right: the part turns
        const auto log = Log(d, period[d]);
        EXPECT_EQ(static_cast<i32>(log.size()), perPeriod[d]);
        EXPECT_LT(part_->angle, 0.0f);  // toward smaller angles: from down toward the right
        // Outside the field it still turns.
        Fresh();
        Gun(406, 0, 0, 560.0f);
        g_PlayerState[0].x = 100.0f;
        EXPECT_EQ(Log(d, period[d]).size(), 0u);
        EXPECT_GT(part_->angle, 0.0f);
    }
}

// ---- The gate boss and the mid-boss ----

TEST_F(Stage5PatternsTest, Action410DropsShellsFromAboveTheField) {
    struct Case {
        i32 t;
        bool sound;
    };
    for (i32 d = 0; d < 3; ++d) {
        SCOPED_TRACE(d);
        Fresh();
        Gun(410);
        const i32 every[3] = {10, 8, 5};
        const auto log = Log(d, 40);
        EXPECT_EQ(static_cast<i32>(log.size()), 40 / every[d]);
    }
    // A draw of the engine's generator, then one of the stage's.
    Fresh();
    Gun(410).timer = 9;
    RandomSeed(6);
    StageRandomSeed(&g_StageRandomState, 0);
    Step(0);
    ASSERT_EQ(g_EnemyShellList.size(), 1u);
    RandomSeed(6);
    StageRandomSeed(&g_StageRandomState, 0);
    const f32 speed = 3.0f + RandomFloat(0.0f, 5.0f);
    const f32 x = static_cast<f32>(120 + static_cast<i32>(StageRandomBelow(&g_StageRandomState, 400)));
    const EnemyShell& s = g_EnemyShellList[0];
    EXPECT_FLOAT_EQ(s.speed, speed);
    EXPECT_FLOAT_EQ(s.x, x);
    EXPECT_FLOAT_EQ(s.y, -100.0f);
    EXPECT_EQ(s.kind, 402);
    EXPECT_EQ(s.hp, 200);
    EXPECT_FLOAT_EQ(s.heading, kHalfPi);  // the parent's angle
}

TEST_F(Stage5PatternsTest, Action411VolleysOnTheEnemysAge) {
    Gun(411);
    Owner().age = 400;
    EXPECT_EQ(Step(0).bullets, 5);
    for (i32 i = 0; i < 5; ++i) EXPECT_FLOAT_EQ(g_EnemyBulletList[static_cast<std::size_t>(i)].speed, 4.0f - 0.1f * i);
    Owner().age = 401;
    EXPECT_EQ(Step(0).bullets, 0);
    Fresh();
    Gun(411);
    Owner().age = 200;
    EXPECT_EQ(Step(2).bullets, 12);
    EXPECT_FLOAT_EQ(g_EnemyBulletList.back().heading, kHalfPi + 0.2f);
    Owner().age = 300;
    EXPECT_EQ(Step(2).bullets, 12);
    EXPECT_FLOAT_EQ(g_EnemyBulletList.back().heading, kHalfPi - 0.2f);
    Owner().age = 350;
    EXPECT_EQ(Step(1).bullets, 12);
    // Outside the field the beat is missed.
    Fresh();
    Gun(411, 0, 0, 300.0f, -40.0f);
    Owner().age = 400;
    EXPECT_EQ(Step(0).bullets, 0);
}

TEST_F(Stage5PatternsTest, Action412ScattersShellsUpwardInItsWindow) {
    Gun(412);
    part_->timer = 299;
    EXPECT_EQ(Step(0).shells, 0);  // 300 is not above 300
    part_->timer = 599;
    EXPECT_EQ(Step(0).shells, 1);  // 600
    part_->timer = 649;
    EXPECT_EQ(Step(0).shells, 1);  // 650, the window's last frame
    part_->timer = 654;
    EXPECT_EQ(Step(0).shells, 0);
    const EnemyShell& s = g_EnemyShellList.back();
    EXPECT_EQ(s.kind, 407);
    EXPECT_FLOAT_EQ(s.angle, 1.5708f);
    EXPECT_GE(s.heading, -2.0944f - 1.5708f);
    EXPECT_LE(s.heading, 2.0944f - 1.5708f);
}

// The stored aim of 413 is taken at t mod 180 = 100 and kept, shared by
// every part of one difficulty, until the stage's next load sets it back.
TEST_F(Stage5PatternsTest, Action413SweepsFromItsStoredAim) {
    Gun(413);
    g_PlayerState[0].x = 500.0f;  // off to the side
    part_->timer = 99;
    Step(0);  // 100: the aim is taken, the fan fires
    ASSERT_EQ(g_EnemyBulletList.size(), 5u);
    const f32 aim = g_EnemyBulletList[2].heading;
    EXPECT_NEAR(aim, std::atan2(420.0 - 216.0, 500.0 - 300.0), 1e-5);  // from the nose
    EXPECT_NEAR(g_EnemyBulletList[0].heading, aim - 1.5f, 1e-5);
    g_PlayerState[0].x = 100.0f;  // the aim is not taken again
    part_->timer = 169;
    Step(0);  // 170: turned 7 radians on
    EXPECT_NEAR(g_EnemyBulletList.back().heading, aim + 7.0f + 1.5f, 1e-4);
    // Another part under EASY starting inside a window uses the same aim.
    Gun(413).timer = 109;
    Step(0);
    EXPECT_NEAR(g_EnemyBulletList[g_EnemyBulletList.size() - 3].heading, aim + 1.0f, 1e-4);
    // Each difficulty keeps its own; the stage load sets all back to 0.
    Step(1);
    ActionsStage5().reset();
    Gun(413).timer = 109;
    Step(0);
    EXPECT_NEAR(g_EnemyBulletList[g_EnemyBulletList.size() - 3].heading, 1.0f, 1e-5);
}

TEST_F(Stage5PatternsTest, Action414StreamsScatterOnceAWingIsLost) {
    const std::vector<i32> want[3] = {
        {30, 35, 40, 45, 60}, {30, 33, 36, 39, 42, 45, 48, 60}, {21, 24, 27, 42, 45, 48, 51, 54, 57, 60}};
    for (i32 d = 0; d < 3; ++d) {
        SCOPED_TRACE(d);
        Fresh();
        Gun(414, 2);
        RandomSeed(4);
        const auto log = Log(d, 60);
        EXPECT_EQ(Timers(log), want[d]);
        // Wings whole: one draw (two on HARD) per stream.
        EXPECT_EQ(DrawsSince(4), static_cast<i32>(log.size()) * (d == 2 ? 2 : 1));
        if (d < 2) {
            for (const EnemyBullet& b : g_EnemyBulletList) EXPECT_FLOAT_EQ(b.heading, kHalfPi);
        }
        // A wing lost: one more draw, the stream within 1 of the facing.
        Part(2).state = -1;
        part_->timer = 89;
        RandomSeed(4);
        g_EnemyBulletList.clear();
        Step(d);  // 90
        EXPECT_EQ(DrawsSince(4), d == 2 ? 3 : 2);
        EXPECT_NE(g_EnemyBulletList[0].heading, kHalfPi);
        EXPECT_NEAR(g_EnemyBulletList[0].heading, kHalfPi, 1.0f);
    }
}

TEST_F(Stage5PatternsTest, Action415LaysHeavyShells) {
    Gun(415);
    EXPECT_EQ(Log(0, 600), (std::vector<Shot>{{300, 0, 1}, {600, 0, 1}}));
    Fresh();
    Gun(415);
    EXPECT_EQ(Log(2, 300), (std::vector<Shot>{{300, 0, 2}}));
    EXPECT_FLOAT_EQ(g_EnemyShellList[0].x, 200.0f);
    EXPECT_FLOAT_EQ(g_EnemyShellList[1].x, 400.0f);
    EXPECT_FLOAT_EQ(g_EnemyShellList[1].speed, -4.0f);
    EXPECT_EQ(g_EnemyShellList[1].hp, 500);
}

TEST_F(Stage5PatternsTest, Action416SpinsItsStarOnlyLateInTheMidBossesStar) {
    Gun(416);
    Owner().state = 413;
    Owner().age = 1000;
    part_->timer = 309;
    EXPECT_EQ(Step(0).bullets, 0);  // age not above 1000
    Owner().age = 1001;
    part_->timer = 309;
    EXPECT_EQ(Step(0).bullets, 4);  // 310: odd cycle, m = 10
    const f32 want[4] = {0.55f, -1.0208f, -2.5916f, -4.1624f};
    for (std::size_t i = 0; i < 4; ++i) EXPECT_NEAR(g_EnemyBulletList[i].heading, kHalfPi + want[i], 1e-4) << i;
    EXPECT_EQ(g_EnemyBulletList[0].kind, 401);
    g_EnemyBulletList.clear();
    part_->timer = 9;
    Step(0);  // 10: even cycle
    const f32 even[4] = {-0.45f, 1.1208f, 2.6916f, 4.2624f};
    for (std::size_t i = 0; i < 4; ++i) EXPECT_NEAR(g_EnemyBulletList[i].heading, kHalfPi + even[i], 1e-4) << i;
    part_->timer = 209;
    EXPECT_EQ(Step(0).bullets, 0);  // the last 100 frames of each 300
    Owner().state = 414;
    part_->timer = 309;
    EXPECT_EQ(Step(1).bullets, 0);
}

TEST_F(Stage5PatternsTest, Actions417And418ThrowShellsToTheirSidesAndFanOnHard) {
    for (const i32 action : {417, 418}) {
        SCOPED_TRACE(action);
        Fresh();
        Gun(action);
        Owner().state = 413;
        Owner().age = 1001;
        EXPECT_EQ(Timers(Log(0, 600)), (std::vector<i32>{500, 510, 520, 530, 540, 550}));
        const EnemyShell& s = g_EnemyShellList.back();
        EXPECT_EQ(s.kind, action == 417 ? 408 : 409);
        const f32 base = action == 417 ? kHalfPi - 1.5708f : kHalfPi + 1.5708f;
        EXPECT_GE(s.heading, base + (action == 417 ? -0.4f : -1.4f));
        EXPECT_LE(s.heading, base + (action == 417 ? 1.4f : 0.4f));
        // HARD: the aimed fan at 350, the first shell at 501.
        Fresh();
        Gun(action);
        Owner().state = 413;
        Owner().age = 1001;
        const auto hard = Log(2, 501);
        EXPECT_EQ(hard.front(), (Shot{50, 5, 0}));
        EXPECT_EQ(hard.back(), (Shot{501, 0, 1}));
        EXPECT_EQ(std::count(hard.begin(), hard.end(), Shot{350, 5, 0}), 1);
    }
}

// 420 and 421 sweep their fans apart from the same aim.
TEST_F(Stage5PatternsTest, Actions420And421SweepMirroredFans) {
    Gun(420).timer = 99;
    Step(0);  // 100: the aim is taken
    ASSERT_EQ(g_EnemyBulletList.size(), 5u);
    const f32 aim420 = g_EnemyBulletList[2].heading;
    EXPECT_NEAR(g_EnemyBulletList[0].heading, aim420 - 0.05f, 1e-5);
    Gun(421).timer = 99;
    Step(0);
    const f32 aim421 = g_EnemyBulletList[7].heading;
    part_->timer = 109;
    Step(0);
    EXPECT_NEAR(g_EnemyBulletList.back().heading, aim421 - 1.0f + 0.1f, 1e-4);  // aim - sweep + 2 d
    // EASY fires every 10 in 100..179; HARD every 3 in 80..199 of 200.
    Fresh();
    Gun(420);
    EXPECT_EQ(Log(0, 180).size(), 8u);
    Fresh();
    Gun(420);
    EXPECT_EQ(Log(2, 200).size(), 40u);
}

// Under HARD the window's first firing frame takes the aim.
TEST_F(Stage5PatternsTest, HardWingFansAimAtTheStartOfTheirWindow) {
    Gun(420).timer = 80;
    g_PlayerState[0].x = 500.0f;
    Step(2);  // 81
    const f32 centre = g_EnemyBulletList[2].heading;
    f32 muzzle[2] = {-20.0f, -50.0f};
    RotateVector2(muzzle, kHalfPi);
    const f64 aim = std::atan2(420.0 - (200.0 + muzzle[1]), 500.0 - (300.0 + muzzle[0]));
    EXPECT_NEAR(centre, aim + 0.125f, 1e-4);
}

// ---- The carrier ----

TEST_F(Stage5PatternsTest, Action430FiresInTheUpperFieldOnly) {
    const i32 perPeriod[3] = {11, 16, 21};
    const i32 period[3] = {240, 200, 150};
    for (i32 d = 0; d < 3; ++d) {
        SCOPED_TRACE(d);
        Fresh();
        Gun(430);
        EXPECT_EQ(static_cast<i32>(Log(d, period[d]).size()), perPeriod[d]);
        Fresh();
        Gun(430, 0, 0, 300.0f, 290.0f);
        g_PlayerState[0].x = 100.0f;
        EXPECT_TRUE(Log(d, 240).empty());
        EXPECT_GT(part_->angle, 0.0f);  // it still turns toward the player
    }
}

TEST_F(Stage5PatternsTest, Action431StringsTurnTheirArms) {
    Gun(431).timer = 19;
    Step(0);  // 20: phase A, three arms of three
    ASSERT_EQ(g_EnemyBulletList.size(), 9u);
    const f32 speeds[9] = {2, 1.98f, 1.96f, 1.96f, 1.94f, 1.92f, 1.92f, 1.9f, 1.88f};
    for (std::size_t i = 0; i < 9; ++i) EXPECT_NEAR(g_EnemyBulletList[i].speed, speeds[i], 1e-5) << i;
    EXPECT_NEAR(g_EnemyBulletList[1].heading, g_EnemyBulletList[0].heading - 0.015f, 1e-5);
    EXPECT_FLOAT_EQ(g_EnemyBulletList[1].rotation, g_EnemyBulletList[0].heading);
    Fresh();
    Gun(431).timer = 14;
    Step(2);  // 15 on HARD: five arms of four
    ASSERT_EQ(g_EnemyBulletList.size(), 20u);
    const f32 hard[8] = {2, 1.98f, 1.96f, 3, 3, 2.98f, 2.96f, 3};
    for (std::size_t i = 0; i < 8; ++i) EXPECT_NEAR(g_EnemyBulletList[i].speed, hard[i], 1e-5) << i;
    // Phase B strings turn the other way; from 600 on nothing.
    Fresh();
    Gun(431).timer = 209;
    Step(0);
    EXPECT_NEAR(g_EnemyBulletList[1].heading, g_EnemyBulletList[0].heading + 0.015f, 1e-5);
    part_->timer = 599;
    EXPECT_EQ(Log(0, 900).size(), 0u);
}

// ---- The craft ----

TEST_F(Stage5PatternsTest, Action435ShellPairsAndBursts) {
    Gun(435).timer = 139;
    EXPECT_EQ(Step(2), (Shot{140, 0, 2}));
    part_->timer = 159;
    EXPECT_EQ(Step(2), (Shot{160, 0, 2}));
    EXPECT_FLOAT_EQ(g_EnemyShellList[0].heading, kHalfPi - 2.0f);
    EXPECT_FLOAT_EQ(g_EnemyShellList[1].heading, kHalfPi + 2.0f);
    part_->timer = 79;
    EXPECT_EQ(Step(2), (Shot{80, 5, 0}));
    EXPECT_FLOAT_EQ(g_EnemyBulletList.back().speed, 3.0f);
    part_->timer = 109;
    Step(2);
    EXPECT_FLOAT_EQ(g_EnemyBulletList.back().speed, 6.0f);
    Fresh();
    Gun(435);
    EXPECT_EQ(Log(0, 200), (std::vector<Shot>{{140, 3, 0}, {145, 3, 0}, {150, 3, 0}, {180, 0, 2}}));
}

TEST_F(Stage5PatternsTest, Action436AimsItsBurst) {
    Gun(436);
    EXPECT_EQ(Log(0, 100), (std::vector<Shot>{{50, 3, 0}, {55, 3, 0}, {60, 3, 0}}));
    Fresh();
    Gun(436);
    g_PlayerState[0].x = 400.0f;
    const auto hard = Log(2, 100);
    EXPECT_EQ(hard.size(), 7u);
    EXPECT_EQ(hard[0], (Shot{40, 7, 0}));
    const f32 aim = g_EnemyBulletList[1].heading;
    EXPECT_NEAR(aim, std::atan2(420.0 - 240.0, 400.0 - 300.0), 1e-5);
    const f32 offsets[7] = {-0.05f, 0, 0.05f, 0.8f, 1.2f, -0.8f, -1.2f};
    for (std::size_t i = 0; i < 7; ++i) EXPECT_NEAR(g_EnemyBulletList[i].heading, aim + offsets[i], 1e-5) << i;
}

// ---- The wheel ----

TEST_F(Stage5PatternsTest, Action480OpensAfterItsLampIsDestroyed) {
    Gun(480, 0, 1).timer = 1998;
    Step(0);  // 1999 wraps
    EXPECT_EQ(part_->timer, -1);
    Step(0);
    EXPECT_EQ(part_->timer, 0);
    Part(0).state = -1;
    Step(0);
    EXPECT_EQ(part_->timer, 2000);
    Steps(0, 199);
    EXPECT_TRUE(g_TargetMarkerList.empty());
    Step(0);  // 2200
    EXPECT_FLOAT_EQ(part_->hitShape.radius, 60.0f);
    EXPECT_FLOAT_EQ(part_->hitShape.halfWidth, 0.0f);
    EXPECT_EQ(g_TargetMarkerList.size(), 1u);
    // A part without children counts its lamp as destroyed.
    Fresh();
    Gun(480);
    Step(0);
    EXPECT_EQ(part_->timer, 2000);
}

TEST_F(Stage5PatternsTest, Action490RingsByItsPodsAndOpensWhenTheyAreGone) {
    Gun(490, 0, 5);
    std::vector<Shot> rings;
    for (i32 f = 0; f < 1999; ++f) {
        const Shot s = Step(0);
        if (s.shells != 0) rings.push_back(s);
    }
    EXPECT_EQ(rings, (std::vector<Shot>{{500, 0, 32}, {1000, 0, 32}, {1500, 0, 32}}));
    EXPECT_EQ(part_->timer, 99);  // 1999 wrapped
    EXPECT_EQ(g_EnemyShellList[0].kind, 490);
    EXPECT_EQ(g_EnemyShellList[1].kind, 491);
    EXPECT_FLOAT_EQ(g_EnemyShellList[0].y, 100.0f);
    // Two pods left: every 200.
    for (const i32 c : {0, 1, 2}) Part(c).state = -1;
    EXPECT_EQ(Timers(Log(0, 700)), (std::vector<i32>{200, 400, 600}));
    // Pod 3 does not hold the opening back.
    Part(4).state = -1;
    Step(0);
    EXPECT_EQ(part_->timer, 2000);
    Steps(0, 200);
    EXPECT_FLOAT_EQ(part_->hitShape.radius, 90.0f);
    EXPECT_EQ(g_TargetMarkerList.size(), 1u);
}

TEST_F(Stage5PatternsTest, Actions481And491FireOnAbsoluteHeadings) {
    Gun(481).timer = 299;
    EXPECT_EQ(Step(1).bullets, 15);
    for (const EnemyBullet& b : g_EnemyBulletList) EXPECT_NEAR(b.heading, kPi, 1e-4);  // 300 / 600 of a turn
    EXPECT_FLOAT_EQ(g_EnemyBulletList[0].speed, 3.5f - 0.3f - 0.1f);
    Fresh();
    Gun(491).timer = 399;
    EXPECT_EQ(Step(0).bullets, 18);
    EXPECT_NEAR(g_EnemyBulletList[0].heading, -kPi, 1e-4);
    EXPECT_NEAR(g_EnemyBulletList[3].heading, -kPi + kPi / 3.0f, 1e-4);
    part_->timer = 519;
    EXPECT_EQ(Step(0).bullets, 0);  // outside 0..100 of 400
}

}  // namespace
