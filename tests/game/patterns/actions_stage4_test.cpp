// The attack patterns of stage index 3: firing frames, bullet and shell
// counts per difficulty, headings, kinds and random draws.
#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "engine/core/radians.h"
#include "engine/core/random.h"
#include "game/patterns/part_step.h"
#include "game/patterns/pattern_content.h"
#include "game/patterns/stage_registry.h"
#include "game/play/stage_dispatch.h"
#include "game/shell/sound_effects.h"
#include "game/shell/sound_names.h"
#include "game/stages/stage_content.h"
#include "tests/game/enemy/enemy_fixture.h"
#include "tests/game/enemy/stage_fixture.h"
#include "tests/game/patterns/pattern_fixture.h"

namespace {

using enemy_test::TableKind;
using enemy_test::TablePart;
using pattern_test::Shot;
using stage_test::DrawsSince;

class Stage4PatternsTest : public pattern_test::PatternTest<RunPartActionStage4> {
protected:
    // A part with the action on an enemy at (300, 200) facing down; with a
    // second root part (kind 6's side section) when asked.
    EnemyPart& Gun(i32 action, bool secondRoot = false) {
        ResetPlayLists();
        if (secondRoot) {
            enemy_ = Build(TableKind({TablePart(535, 0, 0), TablePart(536, -20, 0)}, {0, 1}), 300, 200, kHalfPi);
        } else {
            enemy_ = Build(TableKind({TablePart(530, 0, 0)}, {0}), 300, 200, kHalfPi);
        }
        part_ = &Part(0);
        part_->action = action;
        return *part_;
    }
};

// 510: an aimed fan once per cycle, a slow shell every D frames from 50 on,
// never both in one frame.
TEST_F(Stage4PatternsTest, Action510FansAndShellsPerDifficulty) {
    const std::vector<Shot> want[3] = {
        {{120, 3, 0}, {170, 0, 1}, {300, 3, 0}, {340, 0, 1}},
        {{90, 0, 1}, {100, 5, 0}, {180, 0, 1}, {250, 5, 0}, {270, 0, 1}, {360, 0, 1}, {400, 5, 0}},
        {{90, 0, 1}, {100, 7, 0}, {180, 0, 1}, {250, 7, 0}, {270, 0, 1}, {360, 0, 1}, {400, 7, 0}},
    };
    for (i32 d = 0; d < 3; ++d) {
        SCOPED_TRACE(d);
        Gun(510);
        EXPECT_EQ(Log(d, 400), want[d]);
    }
    // The fan is aimed (the player straight below), 0.2 apart on NORMAL;
    // the shell follows the part's angle at speed 1.
    Gun(510);
    Log(1, 100);
    ASSERT_EQ(g_EnemyBulletList.size(), 5u);
    EXPECT_NEAR(g_EnemyBulletList[0].heading, kHalfPi - 0.4f, 1e-5);
    EXPECT_NEAR(g_EnemyBulletList[4].heading, kHalfPi + 0.4f, 1e-5);
    EXPECT_EQ(g_EnemyBulletList[0].kind, 501);
    EXPECT_FLOAT_EQ(g_EnemyBulletList[0].speed, 4.0f);
    EXPECT_FLOAT_EQ(g_EnemyBulletList[0].hitShape.radius, 5.0f);
    const EnemyShell& shell = g_EnemyShellList[0];
    EXPECT_EQ(shell.kind, 507);
    EXPECT_EQ(shell.hp, 30);
    EXPECT_EQ(shell.strength, 3);
    EXPECT_FLOAT_EQ(shell.speed, 1.0f);
    EXPECT_FLOAT_EQ(shell.hitShape.halfWidth, 12.0f);
    // EASY at 1020 (1020 mod 180 = 120, 1020 mod 170 = 0): the fan only.
    Gun(510);
    part_->timer = 1019;
    EXPECT_EQ(Step(0), (Shot{1020, 3, 0}));
    // Lower than the height limit: nothing.
    Gun(510);
    Owner().y = 241.0f;
    EXPECT_TRUE(Log(0, 400).empty());
    Owner().y = 240.0f;
    EXPECT_FALSE(Log(0, 800).empty());
}

// 511: jittered single bullets late in every 90 frames, one draw each, and
// the two backward shells at timer 250 whatever the bursts do.
TEST_F(Stage4PatternsTest, Action511BurstsAndItsShellsAt250) {
    struct Case {
        i32 difficulty;
        std::vector<i32> bullets;  // timers of the bullets up to 180
    };
    const Case cases[] = {
        {0, {82, 84, 86, 88, 172, 174, 176, 178}},
        {1, {72, 75, 78, 81, 84, 87, 162, 165, 168, 171, 174, 177}},
        {2, {63, 66, 69, 72, 75, 78, 81, 84, 87, 153, 156, 159, 162, 165, 168, 171, 174, 177}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.difficulty);
        Gun(511);
        const u32 seed = RandomGetState();
        EXPECT_EQ(Frames(c.difficulty, 180), c.bullets);
        EXPECT_EQ(DrawsSince(seed), static_cast<i32>(c.bullets.size()));
    }
    // On HARD at 250: no bullet (250 mod 3 = 1), the two shells, speed -2.
    Gun(511);
    part_->timer = 249;
    EXPECT_EQ(Step(2), (Shot{250, 0, 2}));
    ASSERT_EQ(g_EnemyShellList.size(), 2u);
    EXPECT_EQ(g_EnemyShellList[0].kind, 502);
    EXPECT_FLOAT_EQ(g_EnemyShellList[0].speed, -2.0f);
    // Local points (16, -24) then (16, 24) under a part facing down.
    EXPECT_NEAR(g_EnemyShellList[0].x, 324.0f, 1e-3);
    EXPECT_NEAR(g_EnemyShellList[1].x, 276.0f, 1e-3);
    EXPECT_NEAR(g_EnemyShellList[0].y, 216.0f, 1e-3);
    // Outside the field at 250: never launched.
    Gun(511);
    Owner().x = 89.0f;
    part_->timer = 249;
    EXPECT_EQ(Step(0), (Shot{250, 0, 0}));
}

// 501: volleys at multiples of 80 that are not multiples of 240, past 100;
// silent while the enemy is inactive.
TEST_F(Stage4PatternsTest, Action501VolleysSkipMultiplesOf240) {
    const i32 perVolley[3] = {9, 9, 25};
    for (i32 d = 0; d < 3; ++d) {
        SCOPED_TRACE(d);
        Gun(501);
        const auto log = Log(d, 600);
        std::vector<Shot> want;
        for (const i32 t : {160, 320, 400, 560}) want.push_back({t, perVolley[d], 0});
        EXPECT_EQ(log, want);
    }
    // HARD: the lines at aim - 0.1 .. aim + 0.1 and aim +- 0.7, speeds 3.5 down to 3.1.
    Gun(501);
    part_->timer = 159;
    Step(2);
    ASSERT_EQ(g_EnemyBulletList.size(), 25u);
    EXPECT_NEAR(g_EnemyBulletList[0].heading, kHalfPi - 0.1f, 1e-5);
    EXPECT_FLOAT_EQ(g_EnemyBulletList[0].speed, 3.5f);
    EXPECT_FLOAT_EQ(g_EnemyBulletList[4].speed, 3.1f);
    EXPECT_NEAR(g_EnemyBulletList[15].heading, kHalfPi + 0.7f, 1e-5);
    EXPECT_NEAR(g_EnemyBulletList[20].heading, kHalfPi - 0.7f, 1e-5);
    EXPECT_EQ(g_EnemyBulletList[0].kind, 101);
    // Inactive: the volley is missed, not made up.
    Gun(501);
    Owner().active = 0;
    EXPECT_TRUE(Log(2, 200).empty());
    Owner().active = 1;
    EXPECT_EQ(Frames(2, 400), (std::vector<i32>{320, 400}));
}

// 502: pairs of shells opening outward in the first 40 frames of each window
// past 300.
TEST_F(Stage4PatternsTest, Action502PairsOpenWiderThroughEachWindow) {
    const std::vector<i32> want[3] = {
        {480, 495, 510}, {480, 488, 496, 504, 512}, {400, 405, 410, 415, 420, 425, 430, 435}};
    for (i32 d = 0; d < 3; ++d) {
        SCOPED_TRACE(d);
        Gun(502);
        EXPECT_EQ(Frames(d, 520), want[d]);
        EXPECT_EQ(g_EnemyShellList.size(), 2 * want[d].size());
    }
    // The last EASY pair (m = 30): 0.1 + 1.5 to either side of the facing.
    ASSERT_EQ(g_EnemyShellList.size(), 16u);
    Gun(502);
    Log(0, 520);
    EXPECT_NEAR(g_EnemyShellList[4].angle, kHalfPi + 1.6f, 1e-5);
    EXPECT_NEAR(g_EnemyShellList[5].angle, kHalfPi - 1.6f, 1e-5);
    EXPECT_EQ(g_EnemyShellList[4].kind, 503);
    EXPECT_FLOAT_EQ(g_EnemyShellList[4].speed, 5.0f);
    Gun(502);
    Owner().active = 0;
    EXPECT_TRUE(Log(0, 600).empty());
}

// 515: volley A in the first frames of each cycle, volley B in its window,
// the two dropped shells at their frames; several may share a frame.
TEST_F(Stage4PatternsTest, Action515VolleysAndDroppedShells) {
    const std::vector<Shot> want[3] = {
        // clang-format off
        {{5, 6, 0}, {10, 6, 0}, {50, 0, 1}, {60, 0, 1}, {100, 6, 0}, {105, 6, 0}, {110, 6, 0},
         {200, 6, 0}, {205, 6, 0}, {210, 6, 0}, {240, 0, 1}, {250, 0, 1}},
        {{5, 6, 0}, {10, 6, 0}, {15, 6, 0}, {20, 6, 0}, {25, 6, 0}, {30, 6, 0}, {80, 0, 1}, {90, 0, 1},
         {100, 6, 0}, {105, 6, 0}, {110, 6, 0}, {115, 6, 0}, {120, 6, 0}, {125, 6, 0}, {130, 6, 0}},
        {{5, 10, 0}, {10, 10, 0}, {15, 10, 0}, {20, 10, 0}, {25, 10, 0}, {30, 10, 0}, {80, 0, 1}, {90, 0, 1},
         {100, 10, 0}, {105, 10, 0}, {110, 10, 0}, {115, 10, 0}, {120, 10, 0}, {125, 10, 0}, {130, 10, 0},
         {150, 10, 0}, {155, 10, 0}, {160, 10, 0}, {165, 10, 0}, {170, 10, 0}, {175, 10, 0}, {180, 10, 1},
         {190, 0, 1}},
        // clang-format on
    };
    const i32 last[3] = {250, 130, 190};
    for (i32 d = 0; d < 3; ++d) {
        SCOPED_TRACE(d);
        Gun(515);
        EXPECT_EQ(Log(d, last[d]), want[d]);
    }
    // EASY at 810: volley A and the first shell together.
    Gun(515);
    part_->timer = 809;
    EXPECT_EQ(Step(0), (Shot{810, 6, 1}));
    // Facing down (W = pi/2): volley A's first pair (k = -1) leaves from 55
    // pixels to the right, toward -0.4 - 0.15; its twin from the left.
    Gun(515);
    part_->timer = 4;
    Step(0);
    ASSERT_EQ(g_EnemyBulletList.size(), 6u);
    EXPECT_NEAR(g_EnemyBulletList[0].x, 355.0f, 1e-3);
    EXPECT_NEAR(g_EnemyBulletList[0].y, 190.0f, 1e-3);
    EXPECT_NEAR(g_EnemyBulletList[0].heading, kHalfPi - 1.5708f - 0.4f - 0.15f, 1e-5);
    EXPECT_NEAR(g_EnemyBulletList[1].x, 245.0f, 1e-3);
    EXPECT_NEAR(g_EnemyBulletList[1].heading, kHalfPi + 1.5708f + 0.4f + 0.15f, 1e-5);
    // Volley B turns by 0.2 for every 200 frames, on HARD too: at 250 q = 1.
    Gun(515);
    part_->timer = 249;
    Step(2);
    ASSERT_EQ(g_EnemyBulletList.size(), 10u);
    EXPECT_NEAR(g_EnemyBulletList[4].heading, kHalfPi - 0.5236f + 0.2f, 1e-5);  // k = 0
    EXPECT_NEAR(g_EnemyBulletList[5].heading, kHalfPi + 0.5236f - 0.2f, 1e-5);
}

// 516: silent while the side section (root 1) stands; then shells in each
// window at the timer's multiples of S, two draws each, to alternate sides.
TEST_F(Stage4PatternsTest, Action516TossesShellsOnceTheSideSectionIsGone) {
    Gun(516, true);
    EXPECT_TRUE(Log(2, 400).empty());
    const std::vector<i32> want[3] = {{4, 8, 12, 16, 152, 156, 160, 164},
                                      {4, 8, 12, 16, 20, 24, 120, 124, 128, 132, 136, 140, 144},
                                      {3, 6, 9, 12, 15, 18, 21, 102, 105, 108, 111, 114, 117, 120, 123}};
    for (i32 d = 0; d < 3; ++d) {
        SCOPED_TRACE(d);
        Gun(516, true);
        g_EnemyPartPool[Owner().rootParts[1]].state = -1;
        const u32 seed = RandomGetState();
        EXPECT_EQ(Frames(d, d == 0 ? 166 : d == 1 ? 144 : 123), want[d]);
        EXPECT_EQ(DrawsSince(seed), 2 * static_cast<i32>(want[d].size()));
    }
    // The multiples of 8 throw to the +pi/2 side, the others to the -pi/2 side.
    Gun(516, true);
    g_EnemyPartPool[Owner().rootParts[1]].state = -1;
    Log(0, 8);
    ASSERT_EQ(g_EnemyShellList.size(), 2u);
    const EnemyShell& minus = g_EnemyShellList[0];  // t 4
    const EnemyShell& plus = g_EnemyShellList[1];   // t 8
    EXPECT_EQ(minus.kind, 508);
    EXPECT_NEAR(minus.angle, kHalfPi, 1e-5);  // aimed
    EXPECT_GE(minus.heading, kHalfPi - kHalfPi - 0.8f - 1e-5);
    EXPECT_LE(minus.heading, kHalfPi - kHalfPi + 0.2f + 1e-5);
    EXPECT_GE(plus.heading, kHalfPi + kHalfPi - 0.2f - 1e-5);
    EXPECT_LE(plus.heading, kHalfPi + kHalfPi + 0.8f + 1e-5);
    EXPECT_GE(plus.speed, 1.0f);
    EXPECT_LE(plus.speed, 4.0f);
    // A missing second root reads as destroyed.
    Gun(516);
    EXPECT_EQ(Frames(0, 10), (std::vector<i32>{4, 8}));
}

// 520, 521 and 522 fire blocks every C frames: three rows of m bullets, two
// blocks for 522.
TEST_F(Stage4PatternsTest, BlocksOfBulletsEveryPeriod) {
    struct Case {
        i32 action, difficulty;
        std::vector<Shot> shots;
    };
    const Case cases[] = {
        {520, 0, {{180, 12, 0}, {360, 12, 0}}},
        {521, 1, {{100, 15, 0}, {200, 15, 0}, {300, 15, 0}}},
        {522, 2, {{50, 48, 0}, {100, 48, 0}, {150, 48, 0}, {200, 48, 0}, {250, 48, 0}, {300, 48, 0}, {350, 48, 0}}},
        {522, 0, {{180, 24, 0}, {360, 24, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.action << " " << c.difficulty);
        Gun(c.action);
        EXPECT_EQ(Log(c.difficulty, 360), c.shots);
    }
    // Facing down, 520's rows lie on one line of flight 15 pixels apart (EASY),
    // speeds 2, 1.85, 1.7, 1.55; 521's block flies the other way.
    Gun(520);
    part_->timer = 179;
    Step(0);
    ASSERT_EQ(g_EnemyBulletList.size(), 12u);
    EXPECT_FLOAT_EQ(g_EnemyBulletList[0].y, 185.0f);
    EXPECT_FLOAT_EQ(g_EnemyBulletList[4].y, 200.0f);
    EXPECT_FLOAT_EQ(g_EnemyBulletList[8].y, 215.0f);
    EXPECT_FLOAT_EQ(g_EnemyBulletList[8].x, 300.0f);
    EXPECT_FLOAT_EQ(g_EnemyBulletList[3].speed, 1.55f);
    EXPECT_FLOAT_EQ(g_EnemyBulletList[0].heading, kHalfPi);
    EXPECT_EQ(g_EnemyBulletList[0].kind, 103);
    Gun(521);
    part_->timer = 179;
    Step(0);
    EXPECT_FLOAT_EQ(g_EnemyBulletList[0].heading, kHalfPi + 3.1416f);
    // 522's rows lie across its facing, 20 pixels to either side.
    Gun(522);
    part_->timer = 99;
    Step(1);
    ASSERT_EQ(g_EnemyBulletList.size(), 30u);
    EXPECT_NEAR(g_EnemyBulletList[0].x, 280.0f, 1e-3);  // local (-20, 20) facing down
    EXPECT_NEAR(g_EnemyBulletList[0].y, 180.0f, 1e-3);
    EXPECT_FLOAT_EQ(g_EnemyBulletList[0].heading, kHalfPi + 1.5708f);
    EXPECT_NEAR(g_EnemyBulletList[15].x, 320.0f, 1e-3);
    EXPECT_FLOAT_EQ(g_EnemyBulletList[15].heading, kHalfPi - 1.5708f);
}

// 525: two shells 1.6 apart around the player's direction, at 125 of every
// period.
TEST_F(Stage4PatternsTest, Action525ShellPairs) {
    const std::vector<i32> want[3] = {{125, 475, 825}, {125, 375, 625, 875}, {125, 325, 525, 725}};
    for (i32 d = 0; d < 3; ++d) {
        SCOPED_TRACE(d);
        Gun(525);
        EXPECT_EQ(Frames(d, 900), want[d]);
    }
    Gun(525);
    Log(0, 125);
    ASSERT_EQ(g_EnemyShellList.size(), 2u);
    EXPECT_EQ(g_EnemyShellList[0].kind, 501);
    EXPECT_EQ(g_EnemyShellList[0].strength, 4);
    EXPECT_FLOAT_EQ(g_EnemyShellList[0].speed, 2.0f);
    EXPECT_NEAR(g_EnemyShellList[0].angle, kHalfPi + 0.8f, 1e-5);
    EXPECT_NEAR(g_EnemyShellList[1].angle, kHalfPi - 0.8f, 1e-5);
}

// 530: the twin spiral in the first 40 frames of every 250 (every k frames of
// the timer), and the rear volley every 120.
TEST_F(Stage4PatternsTest, Action530SpiralsAndRearVolleys) {
    struct Case {
        i32 difficulty;
        std::vector<i32> spiralT;  // t = timer mod 250 of the firing frames in the second cycle
        i32 bullets, rearShells;
    };
    const Case cases[] = {
        {0, {0, 5, 10, 15, 20, 25, 30, 35}, 6, 4},
        {1, {2, 6, 10, 14, 18, 22, 26, 30, 34, 38}, 8, 4},
        {2, {2, 5, 8, 11, 14, 17, 20, 23, 26, 29, 32, 35, 38}, 10, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.difficulty);
        Gun(530);
        part_->timer = 249;
        std::vector<i32> spiral;
        for (const Shot& s : Log(c.difficulty, 499)) {
            if (s.bullets > 0) {
                spiral.push_back(s.t % 250);
                EXPECT_EQ(s.bullets, c.bullets);
            }
            if (s.shells > 0) {
                EXPECT_EQ(s.t % 120, 0);
                EXPECT_EQ(s.shells, c.rearShells);
            }
        }
        EXPECT_EQ(spiral, c.spiralT);
    }
    // At t = 0 both muzzles use the headings W + i 2 pi / n; then they turn
    // apart by 0.0785398 per frame of t.
    Gun(530);
    part_->timer = 254;
    Step(0);  // t 5
    ASSERT_EQ(g_EnemyBulletList.size(), 6u);
    EXPECT_NEAR(g_EnemyBulletList[0].heading, kHalfPi + 5 * 0.0785398f, 1e-5);
    EXPECT_NEAR(g_EnemyBulletList[3].heading, kHalfPi - 5 * 0.0785398f, 1e-5);
    EXPECT_NEAR(g_EnemyBulletList[1].heading - g_EnemyBulletList[0].heading, 2 * kPi / 3, 1e-5);
    EXPECT_NEAR(g_EnemyBulletList[0].y, 200.0f, 1e-3);
    EXPECT_NEAR(g_EnemyBulletList[0].x, 340.0f, 1e-3);  // local (0, -40) facing down
    // The rear volley: K1 straight back and turned, then K2 (HARD: two deviations).
    Gun(530);
    part_->timer = 119;
    Step(2);
    ASSERT_EQ(g_EnemyShellList.size(), 6u);
    const i32 kinds[6] = {504, 504, 504, 505, 505, 505};
    const f32 turns[6] = {0, -0.5f, -0.9f, 0, 0.5f, 0.9f};
    for (i32 i = 0; i < 6; ++i) {
        EXPECT_EQ(g_EnemyShellList[static_cast<std::size_t>(i)].kind, kinds[i]) << i;
        EXPECT_NEAR(g_EnemyShellList[static_cast<std::size_t>(i)].angle, kHalfPi + kPi + turns[i], 1e-5) << i;
        EXPECT_FLOAT_EQ(g_EnemyShellList[static_cast<std::size_t>(i)].speed, -2.0f);
        EXPECT_EQ(g_EnemyShellList[static_cast<std::size_t>(i)].hp, 150);
    }
    // Silent while inactive or outside, even at a multiple of 120.
    Gun(530);
    Owner().active = 0;
    EXPECT_TRUE(Log(2, 300).empty());
    Gun(530);
    Owner().y = 511.0f;
    EXPECT_TRUE(Log(2, 300).empty());
}

// 531: the two phases of each cycle; each bullet with its slower companion
// 0.05 off, the spiral's turn reversed in phase B.
TEST_F(Stage4PatternsTest, Action531DoubleSpiralsWithCompanions) {
    struct Case {
        i32 difficulty, frames, bullets;
    };
    const Case cases[] = {{0, 14, 12}, {1, 14, 16}, {2, 19, 20}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.difficulty);
        Gun(531);
        i32 frames = 0;
        for (const Shot& s : Log(c.difficulty, 100)) {
            if (s.bullets == 0) continue;
            ++frames;
            EXPECT_EQ(s.bullets, c.bullets);
        }
        EXPECT_EQ(frames, c.frames);
    }
    // NORMAL in its second cycle: timer 280 is t = 30, phase B.
    Gun(531);
    part_->timer = 279;
    Step(1);
    ASSERT_EQ(g_EnemyBulletList.size(), 16u);
    const f32 turn = 30 * 0.0261799f;
    EXPECT_NEAR(g_EnemyBulletList[0].heading, kHalfPi - turn, 1e-5);
    EXPECT_FLOAT_EQ(g_EnemyBulletList[0].speed, 3.8f);
    EXPECT_NEAR(g_EnemyBulletList[1].heading, kHalfPi - turn + 0.05f, 1e-5);
    EXPECT_FLOAT_EQ(g_EnemyBulletList[1].speed, 3.2f);
    EXPECT_NEAR(g_EnemyBulletList[8].heading, kHalfPi + turn, 1e-5);
    EXPECT_NEAR(g_EnemyBulletList[9].heading, kHalfPi + turn - 0.05f, 1e-5);
}

// 532: the rear volley every 120 and the four fast shells every P, both in
// one frame at common multiples.
TEST_F(Stage4PatternsTest, Action532ShellBattery) {
    const std::vector<Shot> want[3] = {
        {{120, 0, 4}, {240, 0, 4}, {250, 0, 4}, {360, 0, 4}, {480, 0, 4}, {500, 0, 4}, {600, 0, 4}},
        {{120, 0, 4}, {200, 0, 4}, {240, 0, 4}, {360, 0, 4}, {400, 0, 4}, {480, 0, 4}, {600, 0, 8}},
        {{120, 0, 6}, {160, 0, 4}, {240, 0, 6}, {320, 0, 4}, {360, 0, 6}, {480, 0, 10}, {600, 0, 6}},
    };
    for (i32 d = 0; d < 3; ++d) {
        SCOPED_TRACE(d);
        Gun(532);
        EXPECT_EQ(Log(d, 600), want[d]);
    }
    Gun(532);
    part_->timer = 249;
    Step(0);
    ASSERT_EQ(g_EnemyShellList.size(), 4u);
    const f32 angles[4] = {2 * kPi / 3, kPi / 3, -kPi / 3, -2 * kPi / 3};
    for (i32 i = 0; i < 4; ++i) {
        EXPECT_EQ(g_EnemyShellList[static_cast<std::size_t>(i)].kind, 510);
        EXPECT_FLOAT_EQ(g_EnemyShellList[static_cast<std::size_t>(i)].speed, 6.0f);
        EXPECT_NEAR(g_EnemyShellList[static_cast<std::size_t>(i)].angle, kHalfPi + angles[i], 1e-5) << i;
    }
}

// The wreck of stage index 3's action 14: two effects 50 pixels to either
// side every 15 frames, six draws.
TEST_F(Stage4PatternsTest, Wreck14SmokesOnBothSides) {
    Gun(14);
    const u32 seed = RandomGetState();
    for (i32 i = 0; i < 14; ++i) Step(0);
    EXPECT_TRUE(g_EffectList.empty());
    Step(0);
    EXPECT_EQ(g_EffectList.size(), 2u);
    EXPECT_EQ(DrawsSince(seed), 6);
}

}  // namespace

namespace {

// ---- The boss's guns (actions 549 to 563) ----

class Stage4BossPatternsTest : public Stage4PatternsTest {
protected:
    // The boss (kind 99) at (320, 100), its root part `root` (or that child of
    // the centre) given the action with timer 0 and stepped alone.
    EnemyPart& BossGun(i32 action, i32 root, i32 child = -1) {
        ResetPlayLists();
        enemy_ = SpawnEnemyStage4(99);
        Owner().x = 320.0f;
        Owner().y = 100.0f;
        EnemyPart& r = g_EnemyPartPool[Owner().rootParts[root]];
        part_ = child < 0 ? &r : &g_EnemyPartPool[r.children[child]];
        part_->action = action;
        part_->timer = 0;
        return *part_;
    }
    EnemyPart& Centre() { return g_EnemyPartPool[Owner().rootParts[6]]; }
    EnemyPart& Plate(i32 c) { return g_EnemyPartPool[Centre().children[c]]; }
    i32 Effects(i32 kind) const {
        i32 n = 0;
        for (const Effect& e : g_EffectList) n += e.kind == kind ? 1 : 0;
        return n;
    }
};

// 549: the cycle starts at F; effect 90 at m = C - 60 at the point kept from
// the last refresh, the refresh at C - 10, and eight pairs of side shells
// from the screen's edges toward it at m = 0, 10, ..., 70.
TEST_F(Stage4BossPatternsTest, Action549SideShellsTowardARememberedPoint) {
    struct Case {
        i32 difficulty, first, cycle;
        f32 topHigh;
    };
    const Case cases[] = {{0, 500, 600, 100.0f}, {1, 500, 600, 200.0f}, {2, 300, 400, 300.0f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.difficulty);
        BossGun(549, 6);
        Step(c.difficulty);
        EXPECT_EQ(part_->timer, c.first);
        g_PlayerState[0].x = 250.0f;
        g_PlayerState[0].y = 430.0f;
        const std::vector<Shot> log = Log(c.difficulty, 2 * c.cycle + 80);
        std::vector<i32> frames;
        for (const Shot& s : log) {
            EXPECT_EQ(s.shells, 2);
            frames.push_back(s.t % c.cycle);
        }
        EXPECT_EQ(frames, (std::vector<i32>{0, 10, 20, 30, 40, 50, 60, 70, 0, 10, 20, 30, 40, 50, 60, 70}));
        // The second cycle's effect 90 stands where the player was at the refresh.
        ASSERT_EQ(Effects(90), 2);
        const Effect& mark = g_EffectList.back();
        EXPECT_FLOAT_EQ(mark.x, 250.0f);
        EXPECT_FLOAT_EQ(mark.y, 430.0f);
        for (std::size_t i = 0; i < g_EnemyShellList.size(); i += 2) {
            const EnemyShell& right = g_EnemyShellList[i];
            const EnemyShell& left = g_EnemyShellList[i + 1];
            EXPECT_EQ(right.kind, 550);
            EXPECT_EQ(right.hp, 500);
            EXPECT_FLOAT_EQ(right.speed, -4.0f);
            EXPECT_FLOAT_EQ(right.x, 640.0f);
            EXPECT_FLOAT_EQ(left.x, 0.0f);
            EXPECT_GE(right.y, -50.0f);
            EXPECT_LE(right.y, c.topHigh);
            EXPECT_LE(left.y, 300.0f);
            EXPECT_NEAR(right.angle, std::atan2(430.0f - right.y, 250.0f - 640.0f), 1e-5);
            EXPECT_NEAR(left.angle, std::atan2(430.0f - left.y, 250.0f), 1e-5);
        }
    }
    // One draw per shell, one for each effect.
    BossGun(549, 6);
    Step(0);
    const u32 seed = RandomGetState();
    Log(0, 600);  // to the first pair: the effect at 540, then the pair at 600
    EXPECT_EQ(DrawsSince(seed), 3);
}

// 549's aim point starts at (0, 0) at every stage load: a second fight in one
// process marks its first point where a new program's first fight does, not
// where the previous fight left it.
TEST_F(Stage4BossPatternsTest, Action549AimStartsAtTheOriginAtEveryStageLoad) {
    RegisterStages();
    g_PlayerState[0].x = 250.0f;
    g_PlayerState[0].y = 430.0f;
    // Where a new fight on EASY puts its first mark (timer 540).
    auto firstMark = [&] {
        BossGun(549, 6);
        Log(0, 540);
        EXPECT_EQ(Effects(90), 1);
        return g_EffectList.empty() ? std::pair{-1.0f, -1.0f} : std::pair{g_EffectList.back().x, g_EffectList.back().y};
    };
    ResetStageContent();
    EXPECT_EQ(firstMark(), std::pair(0.0f, 0.0f));
    BossGun(549, 6);
    Log(0, 600);  // past the refresh at 590
    ResetStageContent();
    EXPECT_EQ(firstMark(), std::pair(0.0f, 0.0f));
    ResetStageDispatch();
}

// 550 and 551: first a turn (clamped to a quarter turn either side of the
// parent), from 101 the fans, the lines' speeds running down across a fan.
TEST_F(Stage4BossPatternsTest, TargetGunsFireGrowingFansInTurn) {
    struct Case {
        i32 action, difficulty;
        std::vector<Shot> shots;  // up to timer 1000
    };
    const Case cases[] = {
        // clang-format off
        {550, 0, {{215, 3, 0}, {230, 6, 0}, {245, 9, 0}, {260, 12, 0}, {415, 3, 0}, {430, 6, 0}, {445, 9, 0},
                  {460, 12, 0}, {715, 3, 0}, {730, 6, 0}, {745, 9, 0}, {760, 12, 0}, {775, 15, 0}, {790, 18, 0}}},
        {551, 0, {{115, 3, 0}, {130, 6, 0}, {145, 9, 0}, {160, 12, 0}, {315, 3, 0}, {330, 6, 0}, {345, 9, 0},
                  {360, 12, 0}, {515, 3, 0}, {530, 6, 0}, {545, 9, 0}, {560, 12, 0}, {715, 3, 0}, {730, 6, 0},
                  {745, 9, 0}, {760, 12, 0}, {775, 15, 0}, {790, 18, 0}}},
        // clang-format on
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.action);
        BossGun(c.action, 4);
        EXPECT_EQ(Log(c.difficulty, 1000), c.shots);
    }
    // NORMAL: 551's first fan at 110; the last fan of burst 2 has ten lines.
    BossGun(551, 4);
    const auto normal = Log(1, 800);
    ASSERT_FALSE(normal.empty());
    EXPECT_EQ(normal.front(), (Shot{110, 3, 0}));
    EXPECT_EQ(normal.back(), (Shot{800, 30, 0}));
    // A fan of two lines (EASY 230): speeds 3.5, 3.4, 3.3, then 3.3, 3.2, 3.1,
    // 0.8 apart and centred on the facing.
    BossGun(550, 4);
    part_->timer = 229;
    Step(0);
    ASSERT_EQ(g_EnemyBulletList.size(), 6u);
    const f32 speeds[6] = {3.5f, 3.4f, 3.3f, 3.3f, 3.2f, 3.1f};
    for (i32 i = 0; i < 6; ++i) EXPECT_NEAR(g_EnemyBulletList[static_cast<std::size_t>(i)].speed, speeds[i], 1e-5) << i;
    EXPECT_NEAR(g_EnemyBulletList[0].heading, kHalfPi - 0.4f, 1e-5);
    EXPECT_NEAR(g_EnemyBulletList[3].heading, kHalfPi + 0.4f, 1e-5);
    // The player behind the boss: the turn stops at a quarter turn.
    BossGun(550, 4);
    g_PlayerState[0].x = 330.0f;
    g_PlayerState[0].y = -300.0f;
    Log(0, 600);
    EXPECT_NEAR(std::fabs(part_->angle), kHalfPi, 1e-6);
}

// 552 and 553: from T0, every S frames in the first half of every 400.
TEST_F(Stage4BossPatternsTest, TripleStreamsTurnOppositeWays) {
    BossGun(552, 0);
    std::vector<i32> want;
    for (i32 t = 400; t < 600; t += 20) want.push_back(t);
    want.push_back(800);
    EXPECT_EQ(Frames(0, 800), want);
    BossGun(553, 0);
    EXPECT_EQ(Frames(2, 400), (std::vector<i32>{400}));  // HARD's 300 lies in the second half
    part_->timer = 424;
    Step(2);
    ASSERT_EQ(g_EnemyBulletList.size(), 6u);
    EXPECT_NEAR(g_EnemyBulletList[3].heading, part_->angle + kHalfPi - 2 * kPi * 25 / 100, 1e-5);
    EXPECT_EQ(g_EnemyBulletList[3].kind, 103);
    BossGun(552, 0);
    Owner().y = 700.0f;
    EXPECT_TRUE(Log(0, 800).empty());
}

// 554: armed (marked, radius 45) at M; window A after A0, window B after 500;
// twelve bullets a volley, 0.05 slower one after another.
TEST_F(Stage4BossPatternsTest, TheSpiralTurretArmsItselfAndSweeps) {
    BossGun(554, 11);
    Log(1, 499);
    EXPECT_EQ(part_->hitShape.radius, 0.0f);
    EXPECT_TRUE(g_TargetMarkerList.empty());
    Step(1);
    EXPECT_EQ(part_->hitShape.radius, 45.0f);
    EXPECT_EQ(g_TargetMarkerList.size(), 1u);
    const auto normal = Log(1, 709);
    ASSERT_FALSE(normal.empty());
    EXPECT_EQ(normal.front(), (Shot{510, 12, 0}));
    EXPECT_EQ(normal.back(), (Shot{700, 12, 0}));  // window B: 700 mod 500 = 200
    ASSERT_GE(g_EnemyBulletList.size(), 12u);
    EXPECT_FLOAT_EQ(g_EnemyBulletList[0].speed, 2.0f);
    EXPECT_NEAR(g_EnemyBulletList[11].speed, 1.45f, 1e-5);
    BossGun(554, 11);
    const auto hard = Log(2, 510);
    ASSERT_GE(hard.size(), 2u);
    EXPECT_EQ(hard.front().t, 304);
    EXPECT_EQ(hard.back().t, 504);
}

// 557 and 558: half a period apart; six bullets from each muzzle.
TEST_F(Stage4BossPatternsTest, AimedLineGunsFireInTurn) {
    BossGun(557, 6, 2);
    EXPECT_EQ(Log(0, 240), (std::vector<Shot>{{80, 18, 0}, {160, 18, 0}, {240, 18, 0}}));
    BossGun(558, 6, 3);
    EXPECT_EQ(Log(0, 200), (std::vector<Shot>{{40, 18, 0}, {120, 18, 0}, {200, 18, 0}}));
    BossGun(558, 6, 3);
    EXPECT_EQ(Log(2, 100), (std::vector<Shot>{{25, 30, 0}, {75, 30, 0}}));
    EXPECT_FLOAT_EQ(g_EnemyBulletList[0].speed, 4.0f);
    EXPECT_NEAR(g_EnemyBulletList[5].speed, 3.5f, 1e-5);
}

// 560: from 301, every P frames one shell dropped from y -80, one draw each,
// alternately left and right on EASY and NORMAL.
TEST_F(Stage4BossPatternsTest, TheShellDropFallsLeftAndRight) {
    struct Case {
        i32 difficulty;
        std::vector<i32> frames;
        std::vector<bool> left;
    };
    const Case cases[] = {{0, {320, 400, 480}, {true, false, true}},
                          {1, {350, 400, 450, 500}, {false, true, false, true}},
                          {2, {350, 400, 450, 500}, {}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.difficulty);
        BossGun(560, 6);
        const u32 seed = RandomGetState();
        EXPECT_EQ(Frames(c.difficulty, 500), c.frames);
        EXPECT_EQ(DrawsSince(seed), static_cast<i32>(c.frames.size()));
        for (std::size_t i = 0; i < g_EnemyShellList.size(); ++i) {
            const EnemyShell& s = g_EnemyShellList[i];
            EXPECT_EQ(s.kind, 551);
            EXPECT_FLOAT_EQ(s.y, -80.0f);
            EXPECT_FLOAT_EQ(s.angle, 1.5708f);
            EXPECT_FLOAT_EQ(s.hitShape.radius, 40.0f);
            if (c.left.empty()) {
                EXPECT_GE(s.x, 160.0f);
                EXPECT_LE(s.x, 480.0f);
            } else {
                EXPECT_EQ(s.x <= 270.0f, c.left[i]) << i;
            }
        }
    }
}

// 562 and 563: nothing at all while the guard (a plate of the centre)
// stands; in the first step after its fall, marked and armed once.
TEST_F(Stage4BossPatternsTest, GuardedSpiralGunsWaitForTheirGuard) {
    BossGun(562, 7);
    EXPECT_TRUE(Log(0, 700).empty());
    EXPECT_EQ(part_->hitShape.radius, 0.0f);
    EXPECT_TRUE(g_TargetMarkerList.empty());
    Plate(0).state = -1;
    part_->timer = 503;
    EXPECT_EQ(Step(0), (Shot{504, 12, 0}));  // armed and firing in the same step
    EXPECT_EQ(part_->hitShape.radius, 45.0f);
    EXPECT_EQ(g_TargetMarkerList.size(), 1u);
    Log(0, 800);
    EXPECT_EQ(g_TargetMarkerList.size(), 1u) << "marked once";
    // Before 501 a gun never fires, even with its guard down.
    BossGun(563, 8);
    Plate(1).state = -1;
    EXPECT_TRUE(Log(2, 500).empty());
    EXPECT_EQ(Step(2), (Shot{501, 0, 0}));
    part_->timer = 509;
    EXPECT_EQ(Step(2), (Shot{510, 15, 0}));
    EXPECT_FLOAT_EQ(g_EnemyBulletList[0].speed, 3.0f);
    EXPECT_NEAR(g_EnemyBulletList[14].speed, 1.6f, 1e-5);
}

// 555 and 556: armed at 500 inside the field only; bursts at the start of
// every 20 frames after T0, longer on HARD as the phase goes on.
TEST_F(Stage4BossPatternsTest, ThreeWayGunsBurstAfterTheirStart) {
    BossGun(555, 9);
    const auto easy = Frames(0, 1545);
    EXPECT_EQ(easy, (std::vector<i32>{1501, 1520, 1521, 1540, 1541}));
    EXPECT_EQ(part_->hitShape.radius, 45.0f);
    BossGun(556, 10);
    std::vector<i32> hard;
    for (const i32 t : Frames(2, 2025)) hard.push_back(t % 20);
    EXPECT_EQ(std::count(hard.begin(), hard.end(), 2), 77);  // 502, 522, ..., 2022
    EXPECT_EQ(std::count(hard.begin(), hard.end(), 3), 52);  // from 1001: 1003 .. 2023
    EXPECT_EQ(std::count(hard.begin(), hard.end(), 4), 27);  // from 1501: 1504 .. 2024
    EXPECT_EQ(std::count(hard.begin(), hard.end(), 5), 2);   // from 2001: 2005, 2025
    // Outside the field at 500: never armed.
    BossGun(555, 9);
    Owner().y = 600.0f;
    Log(0, 600);
    EXPECT_EQ(part_->hitShape.radius, 0.0f);
}

// 561: lobs from 301 at intervals that shorten; armed at M even while its
// guards stand, but its spiral only once all four are down.
TEST_F(Stage4BossPatternsTest, TheCentreLobsAndOpensItsSpiralWhenItsGuardsFall) {
    BossGun(561, 6);
    const u32 seed = RandomGetState();
    const auto lobs = Log(0, 1200);
    EXPECT_EQ(DrawsSince(seed), 6);
    std::vector<i32> frames;
    for (const Shot& s : lobs) {
        EXPECT_EQ(s.bullets, 0);
        frames.push_back(s.t);
    }
    EXPECT_EQ(frames, (std::vector<i32>{450, 600, 750, 900, 1080, 1200}));
    for (std::size_t i = 0; i < g_EnemyShellList.size(); ++i) {
        const EnemyShell& s = g_EnemyShellList[i];
        EXPECT_EQ(s.kind, 553);
        EXPECT_FLOAT_EQ(s.y, Owner().y - 50.0f);
        EXPECT_FLOAT_EQ(s.angle, 1.5708f);
    }
    // 600, 900 and 1200 aim at the left half (negative speed from x 320).
    EXPECT_LE(g_EnemyShellList[1].speed, 0.0f);
    EXPECT_GE(g_EnemyShellList[0].speed, 0.0f);
    EXPECT_EQ(part_->hitShape.radius, 45.0f);  // armed at 1000
    // The guards down: the spiral from (x, y - 150) in the next window.
    BossGun(561, 6);
    for (const i32 r : {9, 10}) g_EnemyPartPool[Owner().rootParts[r]].state = -1;
    Plate(4).state = -1;
    Plate(5).state = -1;
    Step(0);
    EXPECT_EQ(part_->hitShape.radius, 45.0f);
    part_->timer = 509;
    EXPECT_EQ(Step(0), (Shot{510, 12, 0}));
    EXPECT_FLOAT_EQ(g_EnemyBulletList[1].speed, 3.05f);
    EXPECT_FLOAT_EQ(g_EnemyBulletList[0].y, Owner().y - 150.0f);
}

}  // namespace
