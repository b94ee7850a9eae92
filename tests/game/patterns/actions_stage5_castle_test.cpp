// The castle's attack patterns (stage index 4, enemy kind 110): firing
// frames, bullet, shell and effect counts per difficulty, aims, turns and
// the parts' own changes (markers, hit shapes, the core's slide).
#include <cmath>
#include <vector>

#include "engine/core/radians.h"
#include "game/patterns/part_step.h"
#include "game/patterns/pattern_content.h"
#include "game/shell/sound_effects.h"
#include "game/shell/sound_names.h"
#include "tests/game/enemy/enemy_fixture.h"
#include "tests/game/enemy/stage1_fixture.h"

namespace {

using enemy_test::EnemyFrameTest;
using enemy_test::TableKind;
using enemy_test::TablePart;
using stage1_test::DrawsSince;

constexpr StepPartFn kSteps = StepStageParts<RunPartActionStage5>;

// What one frame of the part fired.
struct Shot {
    i32 t;
    i32 bullets;
    i32 shells;
    i32 effects;
    bool operator==(const Shot&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Shot& s) {
    return os << "{t " << s.t << ": " << s.bullets << " bullets, " << s.shells << " shells, " << s.effects
              << " effects}";
}

class CastlePatternsTest : public EnemyFrameTest {
protected:
    void SetUp() override {
        EnemyFrameTest::SetUp();
        g_PlayerState[0].x = 300.0f;
        g_PlayerState[0].y = 420.0f;
        DefaultHitShapes[0] = {5, 3, 0};
        DefaultHitShapes[1] = {0, 0, 5};
        DefaultHitShapes[2] = {0, 0, 12};
        ClearSoundEffectStamps();
    }
    // A part with the action on an enemy at (300, 200) turned by `rotation`,
    // with five children of no action (the hub's guns and its cannon) when
    // asked.
    EnemyPart& Gun(i32 action, f32 rotation = 0.0f, bool children = false, i32 spriteKind = 1003) {
        ResetPlayLists();
        if (children) {
            enemy_ = Build(TableKind({TablePart(1005, 104, 0), TablePart(1005, 0, 104), TablePart(1005, -104, 0),
                                      TablePart(1005, 0, -104), TablePart(1004, 0, 0),
                                      TablePart(spriteKind, 0, 0, {0, 1, 2, 3, 4})},
                                     {5}),
                           300, 200, rotation);
            part_ = &Part(5);
        } else {
            enemy_ = Build(TableKind({TablePart(spriteKind, 0, 0)}, {0}), 300, 200, rotation);
            part_ = &Part(0);
        }
        part_->action = action;
        part_->hitShape = HitShape{};
        return *part_;
    }
    Enemy& Castle() { return g_EnemyList[static_cast<std::size_t>(enemy_)]; }
    // One frame of the part at the difficulty; what it fired.
    Shot Step(i32 difficulty) {
        const std::size_t b = g_EnemyBulletList.size();
        const std::size_t s = g_EnemyShellList.size();
        const std::size_t e = g_EffectList.size();
        RearmSoundEffectGates();
        kSteps(difficulty, enemy_, part_, &Castle().x, &Castle().rotation);
        g_GameState.FrameCounter += 1;
        return {part_->timer, static_cast<i32>(g_EnemyBulletList.size() - b),
                static_cast<i32>(g_EnemyShellList.size() - s), static_cast<i32>(g_EffectList.size() - e)};
    }
    // Every frame that fired while the timer runs up to `last`.
    std::vector<Shot> Log(i32 difficulty, i32 last) {
        std::vector<Shot> out;
        while (part_->timer < last) {
            const Shot s = Step(difficulty);
            if (s.bullets != 0 || s.shells != 0) out.push_back(s);
        }
        return out;
    }
    // Runs the timer up to `t` - 1 without looking.
    void RunTo(i32 difficulty, i32 t) {
        while (part_->timer < t - 1) Step(difficulty);
    }
    static bool Played(i32 sound) { return SoundEffectGates[sound] == 0; }

    i32 enemy_ = 0;
    EnemyPart* part_ = nullptr;
};

// ---- Heavy cannons ----

TEST_F(CastlePatternsTest, TheHubCannonFiresItsShellAndTwoCloudsPerDifficulty) {
    const std::vector<Shot> want[3] = {
        {{200, 24, 1, 18}, {400, 24, 1, 18}},
        {{150, 24, 1, 18}, {300, 24, 1, 18}, {450, 24, 1, 18}},
        {{150, 37, 1, 18}, {300, 37, 1, 18}, {450, 37, 1, 18}},
    };
    for (i32 d = 0; d < 3; ++d) {
        SCOPED_TRACE(d);
        Gun(1001);
        EXPECT_EQ(Log(d, 450), want[d]);
        // Marked at t 10 with its shape.
        ASSERT_EQ(g_TargetMarkerList.size(), 1u);
        EXPECT_EQ(g_TargetMarkerList[0].part, part_);
        EXPECT_FLOAT_EQ(part_->hitShape.halfWidth, 70.0f);
        EXPECT_FLOAT_EQ(part_->hitShape.halfHeight, 40.0f);
        EXPECT_FLOAT_EQ(part_->hitShape.radius, 50.0f);
        const EnemyShell& shell = g_EnemyShellList.back();
        EXPECT_EQ(shell.kind, 480);
        EXPECT_EQ(shell.hp, 800);
        EXPECT_FLOAT_EQ(shell.speed, 1.0f);
        EXPECT_EQ(shell.strength, 5);
        EXPECT_FLOAT_EQ(shell.hitShape.halfWidth, 45.0f);
        EXPECT_FLOAT_EQ(shell.hitShape.halfHeight, 20.0f);
    }
}

TEST_F(CastlePatternsTest, TheHubCannonsVolleyInDetail) {
    Gun(1001);
    RunTo(0, 200);
    const f32 angle = part_->angle;  // the angle it fires along (before this frame's turn)
    const u32 seed = RandomGetState();
    const Shot s = Step(0);
    ASSERT_EQ(s, (Shot{200, 24, 1, 18}));
    // 8 flash angles, 10 puffs of three draws, 24 bullets of two.
    EXPECT_EQ(DrawsSince(seed), 8 + 30 + 48);
    const EnemyShell& shell = g_EnemyShellList.back();
    EXPECT_NEAR(shell.x, 300.0f + 150.0f * std::cos(angle), 1e-3);
    EXPECT_NEAR(shell.y, 200.0f + 150.0f * std::sin(angle), 1e-3);
    EXPECT_FLOAT_EQ(shell.heading, angle);
    // The ten puffs start one frame apart, the flashes at once.
    for (i32 m = 0; m < 10; ++m) EXPECT_EQ(g_EffectList[g_EffectList.size() - 10 + m].age, -m);
    i32 flashes = 0;
    for (const Effect& e : g_EffectList) flashes += e.kind == 9 ? 1 : 0;
    EXPECT_EQ(flashes, 8);
    for (std::size_t i = 0; i < 12; ++i) {
        const EnemyBullet& b = g_EnemyBulletList[i];
        EXPECT_EQ(b.kind, 104);
        EXPECT_GE(b.speed, 1.5f);
        EXPECT_LE(b.speed, 4.5f);
        EXPECT_LE(std::fabs(b.heading - angle), 0.2f + 1e-6f);
        EXPECT_NEAR(b.x, 300.0f + 100.0f * std::cos(angle), 1e-3);
    }
    for (std::size_t i = 12; i < 24; ++i) {
        EXPECT_EQ(g_EnemyBulletList[i].kind, 103);
        EXPECT_LE(std::fabs(g_EnemyBulletList[i].heading - angle), 0.3f + 1e-6f);
    }
    EXPECT_TRUE(Played(kSoundSenGeHasai02));
    EXPECT_TRUE(Played(kSoundBulletBys1));
}

TEST_F(CastlePatternsTest, OnHardTheHubCannonAddsARearFan) {
    Gun(1001);
    RunTo(2, 150);
    const f32 angle = part_->angle;
    Step(2);
    ASSERT_EQ(g_EnemyBulletList.size(), 37u);
    for (i32 i = -6; i <= 6; ++i) {
        const EnemyBullet& b = g_EnemyBulletList[static_cast<std::size_t>(24 + i + 6)];
        EXPECT_EQ(b.kind, 101);
        EXPECT_FLOAT_EQ(b.speed, 3.0f);
        EXPECT_NEAR(b.heading, angle - kPiDouble + kPiDouble * i / 10.0, 1e-5) << i;
        // From (100, -30 sin(pi i / 10)) in the cannon's frame.
        const double lx = 100.0;
        const double ly = -30.0 * std::sin(kPiDouble * i / 10.0);
        EXPECT_NEAR(b.x, 300.0 + lx * std::cos(angle) - ly * std::sin(angle), 1e-3);
        EXPECT_NEAR(b.y, 200.0 + ly * std::cos(angle) + lx * std::sin(angle), 1e-3);
    }
}

TEST_F(CastlePatternsTest, TheCannonsTurnSlowlyFromT11AndHoldFireOutsideTheField) {
    Gun(1001);
    RunTo(1, 10);
    Step(1);
    EXPECT_EQ(part_->angle, 0.0f);  // t 10: marked, no turn
    Step(1);
    EXPECT_NEAR(part_->angle, 0.005f, 1e-7);  // toward the player below: by 0.005 at most
    // Drawn outside the field (the scroll counts): turning, no volley, no draw.
    Castle().x = 520.0f;
    g_GameState.FieldScrollX = 40.0f;
    RunTo(1, 150);
    const f32 before = part_->angle;
    const u32 seed = RandomGetState();
    EXPECT_EQ(Step(1), (Shot{150, 0, 0, 0}));
    EXPECT_EQ(DrawsSince(seed), 0);
    EXPECT_FALSE(Played(kSoundSenGeHasai02));
    EXPECT_NE(part_->angle, before);
    // Back inside it fires on its next firing frame.
    g_GameState.FieldScrollX = 0.0f;
    EXPECT_EQ(Log(1, 300), (std::vector<Shot>{{300, 24, 1, 18}}));
}

TEST_F(CastlePatternsTest, TheWallCannonFiresEllipticRings) {
    const std::vector<Shot> want[3] = {
        {{200, 12, 1, 18}, {400, 12, 1, 18}},
        {{160, 18, 1, 18}, {320, 18, 1, 18}},
        {{140, 30, 1, 18}, {280, 30, 1, 18}},
    };
    for (i32 d = 0; d < 3; ++d) {
        SCOPED_TRACE(d);
        Gun(1020);
        EXPECT_EQ(Log(d, want[d].back().t), want[d]);
        EXPECT_FLOAT_EQ(part_->hitShape.halfWidth, 80.0f);
        EXPECT_FLOAT_EQ(part_->hitShape.radius, 70.0f);
        EXPECT_TRUE(Played(kSoundSenGeTaihou01));
        EXPECT_FALSE(Played(kSoundBulletBys1));
    }
}

TEST_F(CastlePatternsTest, ARingWithTheCannonAtAngleZero) {
    Gun(1020);
    g_PlayerState[0].x = 900.0f;  // straight ahead: the cannon keeps angle 0
    g_PlayerState[0].y = 200.0f;
    RunTo(0, 200);
    ASSERT_EQ(part_->angle, 0.0f);
    Step(0);
    ASSERT_EQ(g_EnemyBulletList.size(), 12u);
    const EnemyBullet& first = g_EnemyBulletList[0];
    EXPECT_EQ(first.kind, 483);
    EXPECT_NEAR(first.heading, 0.0f, 1e-6);
    EXPECT_NEAR(first.speed, 100.0f / 15.0f, 1e-5);
    EXPECT_FLOAT_EQ(first.x, 350.0f);  // the muzzle (50, 0)
    const EnemyBullet& third = g_EnemyBulletList[3];
    EXPECT_NEAR(third.heading, std::atan2(80.0, 70.0), 1e-6);
    EXPECT_NEAR(third.speed, std::sqrt(70.0 * 70.0 + 80.0 * 80.0) / 15.0, 1e-5);
    // The ellipse is symmetric across the cannon's axis.
    EXPECT_NEAR(g_EnemyBulletList[9].heading, -third.heading, 1e-6);
}

TEST_F(CastlePatternsTest, OnHardTheWallCannonFiresTheLargeRingThenTheSmall) {
    Gun(1020);
    g_PlayerState[0].x = 900.0f;
    g_PlayerState[0].y = 200.0f;
    RunTo(2, 140);
    Step(2);
    ASSERT_EQ(g_EnemyBulletList.size(), 30u);
    EXPECT_NEAR(g_EnemyBulletList[0].speed, 130.0f / 15.0f, 1e-5);   // (90, 40, 120, 18)
    EXPECT_NEAR(g_EnemyBulletList[18].speed, 100.0f / 15.0f, 1e-5);  // (70, 30, 80, 12)
}

// ---- Hubs, fixed guns, ring turrets, stream guns ----

TEST_F(CastlePatternsTest, AHubBecomesATargetOnceItsCannonFalls) {
    Gun(1003, 0.0f, true);
    for (i32 i = 0; i < 30; ++i) Step(0);
    EXPECT_TRUE(g_TargetMarkerList.empty());
    EXPECT_EQ(part_->hitShape.radius, 0.0f);
    Part(4).state = -1;
    Step(0);
    ASSERT_EQ(g_TargetMarkerList.size(), 1u);
    EXPECT_EQ(g_TargetMarkerList[0].part, part_);
    EXPECT_EQ(g_TargetMarkerList[0].partId, 1003);
    EXPECT_EQ(part_->hitShape.radius, 120.0f);
    EXPECT_EQ(part_->hitShape.halfWidth, 0.0f);
    for (i32 i = 0; i < 30; ++i) Step(0);
    EXPECT_EQ(g_TargetMarkerList.size(), 1u);  // once
    EXPECT_TRUE(g_EnemyBulletList.empty());
    // A hub whose radius is already set is never marked.
    Gun(1003, 0.0f, true);
    part_->hitShape.radius = 5.0f;
    Part(4).state = -1;
    for (i32 i = 0; i < 30; ++i) Step(0);
    EXPECT_TRUE(g_TargetMarkerList.empty());
    EXPECT_EQ(part_->hitShape.radius, 5.0f);
}

TEST_F(CastlePatternsTest, FixedGunsFireLinesOnlyWhileTheCastleIsActive) {
    struct Case {
        i32 difficulty;
        std::vector<Shot> shots;  // t 1..560 with the castle active
    };
    const Case cases[] = {
        {0, {{360, 12, 0, 0}, {540, 12, 0, 0}}},
        {1, {{280, 15, 0, 0}, {420, 15, 0, 0}, {560, 15, 0, 0}}},
        {2, {{280, 25, 0, 0}, {420, 25, 0, 0}, {560, 25, 0, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.difficulty);
        Gun(1004, 0.0f, false, 1005);
        Castle().active = 0;
        EXPECT_TRUE(Log(c.difficulty, 400).empty());
        EXPECT_TRUE(g_TargetMarkerList.empty());  // t 10 passed while inactive
        // The castle opens fire and starts its guns afresh.
        Castle().active = 1;
        part_->timer = 0;
        EXPECT_EQ(Log(c.difficulty, 560), c.shots);
        EXPECT_EQ(g_TargetMarkerList.size(), 1u);
    }
}

TEST_F(CastlePatternsTest, AFixedGunsLinesRunAlongItsDirection) {
    Gun(1004, kHalfPi, false, 1005);  // the castle turned: the gun points down
    Castle().active = 1;
    RunTo(2, 280);
    Step(2);
    ASSERT_EQ(g_EnemyBulletList.size(), 25u);
    for (i32 j = -2; j <= 2; ++j) {
        for (i32 k = 0; k < 5; ++k) {
            const EnemyBullet& b = g_EnemyBulletList[static_cast<std::size_t>((j + 2) * 5 + k)];
            EXPECT_EQ(b.kind, 104);
            EXPECT_FLOAT_EQ(b.heading, kHalfPi);
            EXPECT_FLOAT_EQ(b.speed, 2.5f - 0.12f * static_cast<f32>(k));
            EXPECT_NEAR(b.x, 300.0f - 15.0f * static_cast<f32>(j), 1e-3);  // side by side across it
            EXPECT_NEAR(b.y, 240.0f, 1e-3);
        }
    }
    // Outside the field it holds its fire.
    Gun(1004, 0.0f, false, 1005);
    Castle().active = 1;
    Castle().x = 40.0f;  // outside the field: no fire either
    EXPECT_TRUE(Log(1, 300).empty());
}

TEST_F(CastlePatternsTest, RingTurretsFireRowsPerDifficulty) {
    struct Case {
        i32 difficulty;
        i32 first;
        i32 bullets;
        std::vector<f32> rowHeadings;  // headings of row 0 relative to the angle it fired along
    };
    const Case cases[] = {
        {0, 100, 3, {0.0f}},
        {1, 80, 10, {0.015f, -0.015f}},
        {2, 55, 15, {0.0f, 0.02f, -0.02f}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.difficulty);
        Gun(1010, 0.0f, false, 1006);
        part_->restAngle = kHalfPi;
        part_->angle = kHalfPi;
        RunTo(c.difficulty, 10);
        Step(c.difficulty);
        EXPECT_EQ(part_->angle, kHalfPi);  // t 10 marks and shapes only
        EXPECT_EQ(g_TargetMarkerList.size(), 1u);
        EXPECT_FLOAT_EQ(part_->hitShape.radius, 30.0f);
        RunTo(c.difficulty, c.first);
        const f32 angle = part_->angle;
        const Shot s = Step(c.difficulty);
        EXPECT_EQ(s, (Shot{c.first, c.bullets, 0, 0}));
        const std::size_t perRow = c.rowHeadings.size();
        for (std::size_t h = 0; h < perRow; ++h) {
            EXPECT_FLOAT_EQ(g_EnemyBulletList[h].heading, angle + c.rowHeadings[h]);
        }
        const f32 v0 = g_EnemyBulletList[0].speed;
        EXPECT_FLOAT_EQ(g_EnemyBulletList.back().speed, v0 - 0.1f * static_cast<f32>(c.bullets / perRow - 1));
        EXPECT_EQ(g_EnemyBulletList[0].kind, 101);
    }
}

TEST_F(CastlePatternsTest, RingTurretsHoldWithinAThirdOfPiOfTheirRest) {
    // Rest pi/2, the player straight to the left: it stops at pi/2 + pi/3.
    Gun(1010, 0.0f, false, 1006);
    part_->restAngle = kHalfPi;
    part_->angle = kHalfPi;
    g_PlayerState[0].x = 100.0f;
    g_PlayerState[0].y = 200.0f;
    RunTo(0, 200);
    EXPECT_FLOAT_EQ(part_->angle, kHalfPi + 3.1415927f / 3.0f);
    // Rest pi, the player up and to the right: the turn runs into negative
    // angles, held by the window around -pi.
    Gun(1010, 0.0f, false, 1006);
    part_->restAngle = 3.1415927f;
    part_->angle = 3.1415927f;
    g_PlayerState[0].x = 600.0f;
    g_PlayerState[0].y = 0.0f;
    for (i32 i = 0; i < 300; ++i) {
        Step(0);
        if (part_->timer > 11) {
            EXPECT_LE(part_->angle, -2.0f * kPiDouble / 3.0 + 1e-5);
            EXPECT_GE(part_->angle, -4.0f * kPiDouble / 3.0 - 1e-5);
        }
    }
    EXPECT_NEAR(part_->angle, -2.0 * kPiDouble / 3.0, 1e-5);
}

TEST_F(CastlePatternsTest, StreamGunsFireInWindowsOfTheirTimer) {
    struct Case {
        i32 difficulty;
        std::vector<i32> frames;  // t 1..400
        i32 bullets;
        f32 lastSpeed;
    };
    const Case cases[] = {
        {0, {100, 200, 300, 400}, 3, 2.1f},
        {1, {50, 100, 150, 300, 350, 400}, 5, 2.4f},
        {2, {30, 60, 90, 120, 300, 330, 360, 390}, 5, 2.4f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.difficulty);
        Gun(1021, 0.0f, false, 1008);
        std::vector<i32> frames;
        for (const Shot& s : Log(c.difficulty, 400)) {
            frames.push_back(s.t);
            EXPECT_EQ(s.bullets, c.bullets);
        }
        EXPECT_EQ(frames, c.frames);
        EXPECT_FLOAT_EQ(part_->hitShape.radius, 35.0f);
        EXPECT_EQ(g_EnemyBulletList.back().kind, 104);
        EXPECT_NEAR(g_EnemyBulletList.back().speed, c.lastSpeed, 1e-6);
    }
    // It aims at the player by 0.01 a frame from t 11.
    Gun(1021, 0.0f, false, 1008);
    RunTo(0, 11);
    EXPECT_EQ(part_->angle, 0.0f);
    Step(0);
    EXPECT_NEAR(part_->angle, 0.01f, 1e-7);
}

// ---- The core ----

TEST_F(CastlePatternsTest, TheCoreSlidesDownThenBecomesATarget) {
    Gun(1100, 0.0f, false, 1009);
    part_->offsetY = 0.0f;
    std::vector<f32> offsets;
    for (i32 t = 1; t <= 6; ++t) {
        Step(0);
        offsets.push_back(part_->offsetY);
    }
    EXPECT_EQ(offsets, (std::vector<f32>{0, 1, 1, 2, 2, 3}));
    RunTo(0, 100);
    EXPECT_EQ(part_->offsetY, 49.0f);
    EXPECT_TRUE(g_TargetMarkerList.empty());
    Step(0);
    EXPECT_EQ(part_->offsetY, 49.0f);
    ASSERT_EQ(g_TargetMarkerList.size(), 1u);
    EXPECT_EQ(part_->hitShape.halfWidth, 170.0f);
    EXPECT_EQ(part_->hitShape.halfHeight, 50.0f);
    EXPECT_EQ(part_->hitShape.radius, 120.0f);
    EXPECT_TRUE(Played(kSoundSenMiRoboBato01));
    // The first turn at t 151.
    RunTo(0, 151);
    EXPECT_EQ(part_->angle, 0.0f);
    Step(0);
    EXPECT_NE(part_->angle, 0.0f);
}

TEST_F(CastlePatternsTest, TheCoresCycleOpensWithShellsAndARearFan) {
    struct Case {
        i32 difficulty;
        i32 cycle;
        std::vector<Shot> opening;  // the frames from the cycle's start, up to t cycle + 12
    };
    const Case cases[] = {
        // EASY at 300: shells, spray A (6), spray B (3), fan (19) in that order.
        {0, 300, {{300, 6 + 3 + 19, 3, 1}, {304, 6, 0, 0}, {308, 6, 0, 0}, {312, 6 + 3, 0, 0}}},
        // NORMAL at 250: shells and fan only; the sprays from 252.
        {1, 250, {{250, 25, 3, 1}, {252, 6 + 4, 0, 0}, {256, 6, 0, 0}, {260, 6, 0, 0}}},
        {2, 250, {{250, 33, 3, 1}, {252, 6 + 6, 0, 0}, {256, 6, 0, 0}, {260, 6, 0, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.difficulty);
        Gun(1100, 0.0f, false, 1009);
        EXPECT_TRUE(Log(c.difficulty, c.cycle - 1).empty());
        EXPECT_EQ(Log(c.difficulty, c.opening.back().t), c.opening);
        // The sprays stop with the cycle's first 80 frames; the next cycle
        // opens with its shells again (and a spray where t mod 4 is 0: at
        // 500 on NORMAL and HARD).
        for (const Shot& s : Log(c.difficulty, 2 * c.cycle - 1)) EXPECT_LT(s.t % c.cycle, 80) << s;
        const std::vector<Shot> again = Log(c.difficulty, 2 * c.cycle);
        ASSERT_EQ(again.size(), 1u);
        EXPECT_EQ(again[0].shells, 3);
        EXPECT_EQ(again[0].bullets, c.opening[0].bullets + (c.difficulty == 0 ? 0 : 6));
    }
}

TEST_F(CastlePatternsTest, TheCoresShellsFanAndSpraysInDetail) {
    // NORMAL at t 250: shells first straight, then -0.3 and +0.3 with ages 2, 4.
    Gun(1100, 0.0f, false, 1009);
    part_->offsetY = 0.0f;
    RunTo(1, 250);
    const f32 angle = part_->angle;
    const u32 seed = RandomGetState();
    Step(1);
    EXPECT_EQ(DrawsSince(seed), 1);  // the effect's angle only
    ASSERT_EQ(g_EnemyShellList.size(), 3u);
    const f32 turns[3] = {0.0f, -0.3f, 0.3f};
    const i32 ages[3] = {0, 2, 4};
    for (std::size_t i = 0; i < 3; ++i) {
        const EnemyShell& s = g_EnemyShellList[i];
        EXPECT_EQ(s.kind, 481);
        EXPECT_FLOAT_EQ(s.heading, angle + turns[i]);
        EXPECT_FLOAT_EQ(s.angle, angle);
        EXPECT_EQ(s.age, ages[i]);
        EXPECT_EQ(s.hp, 30);
        EXPECT_FLOAT_EQ(s.speed, 4.0f);
        EXPECT_EQ(s.strength, 3);
        EXPECT_EQ(s.hitShape.radius, 0.0f);
        EXPECT_NEAR(s.x, 300.0f + 250.0f * std::cos(angle), 1e-3);
    }
    EXPECT_EQ(g_EffectList.back().kind, 22);
    EXPECT_TRUE(Played(kSoundSenGeHasai02));
    ASSERT_EQ(g_EnemyBulletList.size(), 25u);
    for (i32 i = -12; i <= 12; ++i) {
        const EnemyBullet& b = g_EnemyBulletList[static_cast<std::size_t>(i + 12)];
        EXPECT_EQ(b.kind, 101);
        EXPECT_FLOAT_EQ(b.speed, 4.5f);
        EXPECT_NEAR(b.heading, angle - kPiDouble + kPiDouble * i / 20.0, 1e-5);
    }
    // Spray A at 252 (w 252): six streams pi/3 apart, +-0.5; spray B four
    // streams pi/2 apart turning by pi/60.
    g_EnemyBulletList.clear();
    const u32 sprays = RandomGetState();
    Step(1);
    Step(1);
    EXPECT_EQ(DrawsSince(sprays), 2 * (6 + 4));
    ASSERT_EQ(g_EnemyBulletList.size(), 10u);
    for (i32 j = -3; j <= 2; ++j) {
        const EnemyBullet& b = g_EnemyBulletList[static_cast<std::size_t>(j + 3)];
        EXPECT_EQ(b.kind, 482);
        EXPECT_NEAR(b.heading, kPiDouble * (252.0 / 45.0 + j / 3.0), 0.5 + 1e-5);
        EXPECT_GE(b.speed, 5.0f);
        EXPECT_LE(b.speed, 9.0f);
    }
    for (i32 j = -2; j <= 1; ++j) {
        const EnemyBullet& b = g_EnemyBulletList[static_cast<std::size_t>(6 + j + 2)];
        EXPECT_EQ(b.kind, 481);
        EXPECT_NEAR(b.heading, kPiDouble * (252.0 / 60.0 + j / 2.0), 0.5 + 1e-5);
    }
}

TEST_F(CastlePatternsTest, OnHardTheCoresStraightShellComesLast) {
    Gun(1100, 0.0f, false, 1009);
    RunTo(2, 250);
    const f32 angle = part_->angle;
    Step(2);
    ASSERT_EQ(g_EnemyShellList.size(), 3u);
    EXPECT_EQ(g_EnemyShellList[0].kind, 481);
    EXPECT_FLOAT_EQ(g_EnemyShellList[0].heading, angle - 0.3f);
    EXPECT_EQ(g_EnemyShellList[0].age, 2);
    EXPECT_EQ(g_EnemyShellList[2].kind, 483);
    EXPECT_FLOAT_EQ(g_EnemyShellList[2].heading, angle);
    EXPECT_EQ(g_EnemyShellList[2].age, 0);
}

TEST_F(CastlePatternsTest, TheCoresSpraysTurnWithTMod500) {
    // EASY cycles start at w 300, 100, 400, 200, 0: the first bullet of
    // spray B (j 0) lies within 0.5 of pi w / 45.
    Gun(1100, 0.0f, false, 1009);
    for (const i32 start : {300, 600, 900, 1200, 1500}) {
        RunTo(0, start);
        g_EnemyBulletList.clear();
        Step(0);
        ASSERT_EQ(g_EnemyBulletList.size(), 6u + 3u + 19u);
        const double w = start % 500;
        const double h = g_EnemyBulletList[6].heading;
        EXPECT_NEAR(std::remainder(h - kPiDouble * w / 45.0, 2.0 * kPiDouble), 0.0, 0.5 + 1e-5) << start;
    }
}

}  // namespace
