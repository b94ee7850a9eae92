// The attack patterns of stage index 2: firing frames, bullet and shell
// counts per difficulty, the turrets' sweeps, the wobble and the parts' own
// changes.
#include <cmath>
#include <vector>

#include "engine/core/radians.h"
#include "engine/core/random.h"
#include "game/patterns/part_step.h"
#include "game/play/effects.h"
#include "game/play/target_markers.h"
#include "game/shell/sound_effects.h"
#include "game/shell/sound_names.h"
#include "game/stages/stage_content.h"
#include "tests/game/enemy/enemy_fixture.h"
#include "tests/game/enemy/stage1_fixture.h"
#include "tests/game/patterns/pattern_fixture.h"

namespace {

using enemy_test::TableKind;
using enemy_test::TablePart;
using stage1_test::DrawsSince;

using enemy_test::Volley;

class Stage3PatternsTest : public pattern_test::PatternTest<RunPartActionStage3> {
protected:
    // A part of the sprite kind with the action on an enemy at (x, y) facing
    // down, placed `index` in the list.
    EnemyPart& Gun(i32 action, i32 index = 0, i32 spriteKind = 351, f32 x = 300, f32 y = 200) {
        for (i32 i = 0; i < index; ++i) Build(TableKind({TablePart(0, 0, 0)}, {0}), x, y, kHalfPi);
        enemy_ = Build(TableKind({TablePart(spriteKind, 0, 0)}, {0}), x, y, kHalfPi);
        part_ = &Part(0);
        part_->action = action;
        return *part_;
    }
    // Root `root` of a kind of this stage at (x, y), carrying `action`.
    EnemyPart& KindPart(i32 kind, i32 root, i32 action, f32 x = 300, f32 y = 150) {
        enemy_ = SpawnEnemyStage3(kind);
        Enemy& e = g_EnemyList[static_cast<std::size_t>(enemy_)];
        e.x = x;
        e.y = y;
        part_ = &g_EnemyPartPool[e.rootParts[root]];
        part_->action = action;
        part_->timer = 0;
        return *part_;
    }
    // The frames of the log with shells, and its bullets in all.
    static std::vector<i32> ShellFrames(const std::vector<Volley>& log) {
        std::vector<i32> frames;
        for (const Volley& v : log)
            if (v.shells > 0) frames.push_back(v.t);
        return frames;
    }
    static i32 Bullets(const std::vector<Volley>& log) {
        i32 n = 0;
        for (const Volley& v : log) n += v.bullets;
        return n;
    }
};

TEST_F(Stage3PatternsTest, Action300DropsMinesToBothSidesAndFiresAimedTwins) {
    struct Case {
        std::vector<i32> shellFrames;
        i32 bullets;
        i32 draws;
    };
    // Up to t 300: EASY from 200, NORMAL and HARD from 100.
    const Case cases[3] = {
        {{200}, 12, 12},                           // bullets at 200..216 and 300, every 4
        {{100, 120, 200, 220}, 42, 42},            // 100..136, 200..236 and 300
        {{100, 120, 140, 200, 220, 240}, 68, 68},  // every 3 below t mod 100 = 50
    };
    for (i32 d = 0; d < 3; ++d) {
        SCOPED_TRACE(d);
        ResetPlayLists();
        Gun(300, 0, 380);
        const u32 seed = RandomGetState();
        const auto log = Log(d, 300);
        EXPECT_EQ(ShellFrames(log), cases[d].shellFrames);
        EXPECT_EQ(Bullets(log), cases[d].bullets);
        EXPECT_EQ(DrawsSince(seed), cases[d].draws);
        const EnemyShell& mine = g_EnemyShellList.back();
        EXPECT_EQ(mine.kind, 204);
        EXPECT_EQ(mine.hp, 30);
        EXPECT_FLOAT_EQ(mine.speed, 1.0f);
        EXPECT_FLOAT_EQ(mine.hitShape.halfWidth, 12.0f);
    }
    // HARD widens the mines by 0.015 (t mod 100): at t 140 by 0.6.
    ResetPlayLists();
    Gun(300, 0, 380);
    Log(2, 140);
    ASSERT_EQ(g_EnemyShellList.size(), 6u);
    EXPECT_FLOAT_EQ(g_EnemyShellList[4].heading, kHalfPi - 2.0f - 0.6f);
    EXPECT_FLOAT_EQ(g_EnemyShellList[5].heading, kHalfPi + 2.0f + 0.6f);
}

TEST_F(Stage3PatternsTest, TurretsReAimTowardThePlayerAndSweep) {
    // At t 1 the pair member that turns toward the player takes over.
    struct Aim {
        f32 px, py;
        i32 action;
    };
    for (const Aim& a : {Aim{100, 200, 301}, Aim{500, 200, 302}, Aim{300, 420, 302}}) {
        SCOPED_TRACE(a.px);
        ResetPlayLists();
        g_PlayerState[0].x = a.px;
        g_PlayerState[0].y = a.py;
        Gun(301);
        Step(1);
        EXPECT_EQ(part_->timer, 2);
        EXPECT_EQ(part_->action, a.action);
        EXPECT_FLOAT_EQ(part_->angle, 0.015f);
        Step(1);
        EXPECT_FLOAT_EQ(part_->angle, a.action == 301 ? 0.03f : 0.0f);
    }
    // Outside the field it neither turns nor re-aims.
    ResetPlayLists();
    Gun(301, 0, 351, 300, 600);
    Step(1);
    EXPECT_EQ(part_->timer, 1);
    EXPECT_EQ(part_->action, 301);
    EXPECT_FLOAT_EQ(part_->angle, 0.0f);
}

TEST_F(Stage3PatternsTest, TurretsFireInTheirWindowPerDifficulty) {
    struct Case {
        i32 action, difficulty;
        std::vector<Volley> volleys;  // after the re-aim at t 1: timer 2 on
        i32 effects;
    };
    const Case cases[] = {
        {301, 0, {{16, 1, 0}, {24, 1, 0}, {32, 1, 0}, {40, 1, 0}, {48, 1, 0}}, 0},
        {301, 2, {{16, 1, 0}, {24, 1, 0}, {32, 1, 0}, {40, 1, 0}, {48, 1, 0}}, 0},
        {303, 0, {{16, 3, 0}, {32, 3, 0}, {48, 3, 0}}, 0},
        {303, 1, {{12, 3, 0}, {24, 3, 0}, {36, 3, 0}, {48, 3, 0}}, 0},
        {303, 2, {{10, 6, 0}, {20, 6, 0}, {30, 6, 0}, {40, 6, 0}}, 0},
        {305, 1, {}, 10},  // 12..48 every 4, one flame each
        {305, 2, {}, 24},  // 12..56 every 4, two flames each
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.action << " on " << c.difficulty);
        ResetPlayLists();
        Gun(c.action);
        EXPECT_EQ(Log(c.difficulty, 65), c.volleys);
        EXPECT_EQ(static_cast<i32>(g_EffectList.size()), c.effects);
    }
    // Below y 300 the turret sweeps but holds its fire.
    ResetPlayLists();
    Gun(301, 0, 351, 300, 300);
    EXPECT_TRUE(Log(1, 65).empty());
}

TEST_F(Stage3PatternsTest, TheHardThreeWayDoublesEachBulletTurnedAsTheFirst) {
    Gun(303);
    Log(2, 10);
    ASSERT_EQ(g_EnemyBulletList.size(), 6u);
    // The angle the volley saw: before this frame's turn of 0.02.
    const f32 a = kHalfPi + part_->angle + (part_->action == 303 ? -0.02f : 0.02f);
    for (i32 i = 0; i < 3; ++i) {
        const EnemyBullet& first = g_EnemyBulletList[static_cast<std::size_t>(2 * i)];
        const EnemyBullet& second = g_EnemyBulletList[static_cast<std::size_t>(2 * i + 1)];
        const f32 h = a + 0.35f * static_cast<f32>(i - 1);
        EXPECT_NEAR(first.heading, h, 1e-5);
        EXPECT_NEAR(second.heading, h - 0.2f, 1e-5);
        EXPECT_FLOAT_EQ(second.rotation, first.heading);
        EXPECT_FLOAT_EQ(second.x, first.x);
        EXPECT_NEAR(first.x - 300.0f, 40.0f * std::cos(h), 1e-3);
    }
}

TEST_F(Stage3PatternsTest, TheThreeWayGatesOnSound15AndPlaysSound16) {
    Gun(303);
    g_GameState.FrameCounter = 100;
    SoundEffectStamps[kSoundBulletBys1] = 99;  // 15 played a frame ago
    SoundEffectStamps[kSoundMg] = 0;
    RearmSoundEffectGates();
    Log(1, 12);
    EXPECT_EQ(GetSoundEffectStamp(kSoundMg), 0);  // 100 - 99 < 2: nothing
    g_GameState.FrameCounter = 101;
    SoundEffectStamps[kSoundBulletBys1] = 99;
    Log(1, 24);
    EXPECT_EQ(GetSoundEffectStamp(kSoundMg), 101);
    EXPECT_EQ(GetSoundEffectStamp(kSoundBulletBys1), 99);
}

TEST_F(Stage3PatternsTest, Action310ThrowsShellsBackAndSideBulletsPerDifficulty) {
    struct Case {
        i32 shellsAt100;
        std::vector<i32> bulletFrames;
        i32 bulletsEach;
        f32 speed;
    };
    const Case cases[3] = {{4, {}, 0, 0.0f}, {6, {200, 205}, 6, 2.5f}, {6, {200, 205, 210, 215}, 8, 3.0f}};
    for (i32 d = 0; d < 3; ++d) {
        SCOPED_TRACE(d);
        ResetPlayLists();
        Gun(310, 0, 341);
        const auto log = Log(d, 250);
        ASSERT_FALSE(log.empty());
        EXPECT_EQ(log[0], (Volley{100, 0, cases[d].shellsAt100}));
        std::vector<i32> frames;
        for (const Volley& v : log) {
            if (v.bullets == 0) continue;
            frames.push_back(v.t);
            EXPECT_EQ(v.bullets, cases[d].bulletsEach);
        }
        EXPECT_EQ(frames, cases[d].bulletFrames);
        EXPECT_EQ(g_EnemyShellList[0].kind, 302);
        EXPECT_FLOAT_EQ(g_EnemyShellList[0].speed, 5.0f);
        // Backward: A + pi + step.
        EXPECT_FLOAT_EQ(g_EnemyShellList[0].heading, kHalfPi + kPi + (d == 0 ? 0.8f : 0.5f));
        if (cases[d].speed > 0.0f) {
            EXPECT_FLOAT_EQ(g_EnemyBulletList[0].speed, cases[d].speed);
        }
    }
}

TEST_F(Stage3PatternsTest, SmallGunsFireOnTheirFrames) {
    struct Case {
        i32 action, difficulty;
        std::vector<i32> frames;  // up to t 200
        i32 bulletsEach, draws;
    };
    const Case cases[] = {
        {320, 0, {80, 88, 200}, 2, 0},
        {320, 1, {60, 68, 76, 140, 148, 156}, 2, 0},
        {320, 2, {30, 35, 40, 80, 85, 90, 130, 135, 140, 180, 185, 190}, 2, 0},
        {321, 0, {105, 140, 175}, 1, 0},
        {321, 1, {70, 105, 140, 175}, 1, 0},
        {321, 2, {75, 100, 125, 150, 175}, 1, 5},  // one draw each, always 0.3
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.action << " on " << c.difficulty);
        ResetPlayLists();
        Gun(c.action, 0, c.action == 320 ? 321 : 335);
        const u32 seed = RandomGetState();
        std::vector<i32> frames;
        for (const Volley& v : Log(c.difficulty, 200)) {
            frames.push_back(v.t);
            EXPECT_EQ(v.bullets, c.bulletsEach);
        }
        EXPECT_EQ(frames, c.frames);
        EXPECT_EQ(DrawsSince(seed), c.draws);
    }
    // 321 aims at the player without the field scroll; HARD adds 0.3.
    ResetPlayLists();
    g_GameState.FieldScrollX = 50.0f;
    Gun(321, 0, 335);
    Log(2, 75);
    EXPECT_NEAR(g_EnemyBulletList.back().heading, kHalfPi + 0.3f, 1e-6);
    EXPECT_EQ(g_EnemyBulletList.back().kind, 103);
}

TEST_F(Stage3PatternsTest, Action322FansSlowShells) {
    const i32 counts[3] = {5, 9, 13};
    for (i32 d = 0; d < 3; ++d) {
        ResetPlayLists();
        Gun(322, 0, 327);
        const auto log = Log(d, 450);
        EXPECT_EQ(log, (std::vector<Volley>{{100, 0, counts[d]}, {400, 0, counts[d]}})) << d;
        EXPECT_EQ(g_EnemyShellList[0].kind, 301);
    }
}

TEST_F(Stage3PatternsTest, TheWingsSweepTheirStreamsOppositeWays) {
    for (const i32 sprite : {325, 326}) {
        SCOPED_TRACE(sprite);
        ResetPlayLists();
        Gun(323, 0, sprite, 300, 600);  // no field guard
        const auto log = Log(1, 300);
        EXPECT_EQ(log.front().t, 204);
        EXPECT_EQ(log.size(), 8u);  // 204..240 and 300, every 6
        // u = 4 at t 204: heading A -+ 0.04 x 36, speed 1.4.
        const EnemyBullet& b = g_EnemyBulletList[0];
        EXPECT_FLOAT_EQ(b.speed, 1.4f);
        EXPECT_NEAR(b.heading, kHalfPi + (sprite == 325 ? -1.0f : 1.0f) * 0.04f * 36.0f, 1e-6);
        EXPECT_EQ(b.kind, 102);
    }
    // HARD sweeps about u = 50, up to u 60.
    ResetPlayLists();
    Gun(323, 0, 325);
    Log(2, 260);
    EXPECT_NEAR(g_EnemyBulletList.back().heading, kHalfPi + 0.05f * 10.0f, 1e-6);
}

TEST_F(Stage3PatternsTest, TrackingGunsTurnEveryFrameAndFireTheirVolleys) {
    struct Case {
        i32 action, difficulty;
        Volley first;
        i32 draws;
    };
    const Case cases[] = {
        {330, 0, {60, 3, 0}, 0}, {330, 1, {40, 4, 0}, 3}, {330, 2, {30, 5, 0}, 4},
        {331, 0, {60, 0, 1}, 0}, {331, 1, {60, 0, 1}, 0}, {331, 2, {60, 10, 1}, 20},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.action << " on " << c.difficulty);
        ResetPlayLists();
        Gun(c.action, 0, 351);
        const u32 seed = RandomGetState();
        const auto log = Log(c.difficulty, c.first.t);
        ASSERT_EQ(log.size(), 1u);
        EXPECT_EQ(log[0], c.first);
        EXPECT_EQ(DrawsSince(seed), c.draws);
    }
    // The turn toward aim(P) - parent angle comes before the field guard.
    ResetPlayLists();
    g_PlayerState[0].x = 500.0f;
    g_PlayerState[0].y = 200.0f;
    Gun(330, 0, 351, 300, 600);
    Step(1);
    EXPECT_FLOAT_EQ(part_->angle, -0.0075f);
    // The rocket: shell 104 from (30, 0).
    ResetPlayLists();
    g_PlayerState[0].x = 300.0f;
    g_PlayerState[0].y = 420.0f;
    Gun(331);
    Log(1, 130);
    EXPECT_EQ(g_EnemyShellList[0].kind, 104);
    EXPECT_EQ(g_EnemyShellList[0].hp, 150);
    EXPECT_NEAR(g_EnemyShellList[0].y, 230.0f, 0.01f);
}

TEST_F(Stage3PatternsTest, SinkingTowersSmokeThenTurnIntoSmoke) {
    for (const i32 action : {336, 339}) {
        SCOPED_TRACE(action);
        ResetPlayLists();
        Gun(action, 0, 344);
        const u32 seed = RandomGetState();
        for (i32 t = 1; t <= 150; ++t) Step(0);
        const i32 until = action == 336 ? 100 : 80;
        EXPECT_EQ(part_->action, 11);
        EXPECT_FLOAT_EQ(Owner().y, 200.0f + 1.5f * static_cast<f32>(until));
        // Smoke every 15 frames, three draws each, as 11 does after.
        EXPECT_EQ(DrawsSince(seed), 3 * 10);
    }
}

TEST_F(Stage3PatternsTest, WobblesMoveThePartAndBackOutOfStepByParity) {
    struct Case {
        i32 action;
        bool byClock;
        f32 w;
    };
    for (const Case& c :
         {Case{337, false, 1}, Case{338, false, 2}, Case{370, true, 2}, Case{380, true, 2}, Case{350, false, 2}}) {
        for (const i32 index : {0, 1}) {
            SCOPED_TRACE(testing::Message() << c.action << " at index " << index);
            ResetPlayLists();
            Gun(c.action, index, 344, 300, 600);
            std::vector<f32> offsets;
            for (i32 i = 1; i <= 10; ++i) {
                g_GameState.FrameCounter = i + 20;  // the clock is one ahead of t mod 10
                Step(0);
                offsets.push_back(part_->offsetX);
            }
            // +w at clock mod 10 = 3 index + 1, back at 3 index + 6.
            for (i32 i = 1; i <= 10; ++i) {
                const i32 clock = (c.byClock ? i + 20 : i) % 10;
                const i32 k = 3 * index;
                const bool out = clock >= k + 1 && clock < k + 6;
                EXPECT_FLOAT_EQ(offsets[static_cast<std::size_t>(i - 1)], out ? c.w : 0.0f) << i;
            }
        }
    }
}

TEST_F(Stage3PatternsTest, TheBowFiresEllipseBurstsAndThenItsStar) {
    struct Case {
        std::vector<i32> bursts;
        f32 a;
    };
    const Case cases[3] = {{{400, 450, 500}, 15}, {{400, 450, 500}, 20}, {{400, 425, 450, 475, 500}, 30}};
    for (i32 d = 0; d < 3; ++d) {
        SCOPED_TRACE(d);
        ResetPlayLists();
        Gun(340, 0, 344, 300, 150);
        std::vector<i32> bursts;
        for (const Volley& v : Log(d, 500)) {
            EXPECT_EQ(v.bullets, 12);
            bursts.push_back(v.t);
        }
        EXPECT_EQ(bursts, cases[d].bursts);
        // Each burst reaches its ellipse around a point 200 toward the player:
        // the middle bullet (i = 0) straight at the player, speed (200 + a) k.
        const EnemyBullet& b = g_EnemyBulletList[g_EnemyBulletList.size() - 12];
        EXPECT_NEAR(b.speed, (200.0f + cases[d].a) * 0.0125f, 1e-4);
        EXPECT_EQ(b.kind, 102);
    }
    // The star from t 501 while above y 200: NORMAL five bullets every 2
    // frames in the first 11 of each 50.
    ResetPlayLists();
    Gun(340, 0, 344, 300, 150);
    Log(1, 500);
    g_EnemyBulletList.clear();
    const auto star = Log(1, 560);
    ASSERT_FALSE(star.empty());
    EXPECT_EQ(star.front(), (Volley{502, 5, 0}));
    EXPECT_EQ(star.size(), 5u + 6u);  // 502..510 and 550..560
    // Absolute headings 2 pi (0.2 i + (t mod 140) / 140) in the even period
    // 500..549, 2 pi (0.2 i - (t mod 140) / 140) in the odd one after it.
    EXPECT_NEAR(g_EnemyBulletList[0].heading, 2.0f * kPi * 82.0f / 140.0f, 1e-5);
    EXPECT_NEAR(g_EnemyBulletList[1].heading, 2.0f * kPi * (0.2f + 82.0f / 140.0f), 1e-5);
    EXPECT_NEAR(g_EnemyBulletList[25].heading, -2.0f * kPi * 130.0f / 140.0f, 1e-5);  // t 550
}

TEST_F(Stage3PatternsTest, TheSternWaitsForTheTowerAndBowAndSinksItsFortress) {
    // The stern sits 260 behind the origin: up the screen when facing down.
    KindPart(31, 2, 341, 300, 400);
    for (i32 t = 1; t <= 600; ++t) Step(1);
    EXPECT_TRUE(g_EnemyBulletList.empty());
    // Both guarding parts down: the star fires.
    g_EnemyPartPool[Owner().rootParts[5]].state = -1;
    g_EnemyPartPool[Owner().rootParts[8]].state = -1;
    part_->timer = 600;
    EXPECT_EQ(Log(1, 602), (std::vector<Volley>{{602, 5, 0}}));
    // A missing guard counts as down.
    ResetPlayLists();
    KindPart(31, 2, 341, 300, 400);
    Owner().rootParts[8] = kNoPart;
    g_EnemyPartPool[Owner().rootParts[5]].state = -1;
    part_->timer = 600;
    EXPECT_EQ(Log(2, 602), (std::vector<Volley>{{602, 8, 0}}));
    EXPECT_FLOAT_EQ(g_EnemyBulletList[0].speed, 2.0f);
    // Below y 200 it pulls its fortress down by 1.5 a frame.
    ResetPlayLists();
    KindPart(31, 2, 341, 300, 500);
    Step(1);
    EXPECT_FLOAT_EQ(Owner().y, 501.5f);
}

TEST_F(Stage3PatternsTest, FlankGunsThrowShellPairsWhileTheirEnemyIsArmed) {
    for (const i32 action : {351, 353}) {
        SCOPED_TRACE(action);
        ResetPlayLists();
        Gun(action);
        const u32 seed = RandomGetState();
        // From t 100, in the first 41 frames of every 300, every 4.
        const auto log = Log(1, 350);
        EXPECT_EQ(ShellFrames(log), (std::vector<i32>{300, 304, 308, 312, 316, 320, 324, 328, 332, 336, 340}));
        EXPECT_EQ(DrawsSince(seed), 11);
        EXPECT_EQ(g_EnemyShellList[0].kind, 310);
        EXPECT_FLOAT_EQ(g_EnemyShellList[0].speed, 10.0f);
        EXPECT_EQ(g_EnemyShellList[0].strength, 4);
        // 353's columns: five and five at t 250.
        EXPECT_EQ(Bullets(log), action == 353 ? 10 : 0);
        ResetPlayLists();
        Gun(action);
        Owner().active = 0;
        EXPECT_TRUE(Log(1, 350).empty());
    }
}

TEST_F(Stage3PatternsTest, TheLongCraftsGunsFireEllipseBurstsWhileArmed) {
    struct Case {
        std::vector<i32> frames;
        i32 n;
    };
    const Case cases[3] = {
        {{500, 600, 1000, 1200}, 9}, {{400, 500, 800, 1000, 1200}, 12}, {{350, 450, 700, 900, 1050}, 18}};
    for (i32 d = 0; d < 3; ++d) {
        SCOPED_TRACE(d);
        ResetPlayLists();
        Gun(352, 0, 309);
        std::vector<i32> frames;
        for (const Volley& v : Log(d, 1200)) {
            frames.push_back(v.t);
            EXPECT_EQ(v.bullets, cases[d].n);
        }
        EXPECT_EQ(frames, cases[d].frames);
    }
}

TEST_F(Stage3PatternsTest, TheMidBossFiresGradedFansAndRings) {
    struct Case {
        i32 action, difficulty;
        std::vector<Volley> volleys;
    };
    const Case cases[] = {
        {390, 0, {{1, 13, 0}, {21, 13, 0}, {41, 13, 0}, {301, 13, 0}}},
        {390, 1, {{1, 17, 0}, {21, 17, 0}, {41, 17, 0}, {301, 17, 0}}},
        {390, 2, {{1, 21, 0}, {16, 21, 0}, {31, 21, 0}, {46, 21, 0}, {301, 21, 0}}},
        {391, 0, {{110, 12, 0}}},
        {391, 1, {{110, 20, 0}, {130, 20, 0}}},
        {391, 2, {{90, 13, 0}, {110, 13, 0}, {130, 13, 0}}},
        {392, 0, {{1, 13, 0}, {16, 13, 0}, {31, 13, 0}, {46, 13, 0}, {61, 13, 0}, {76, 13, 0}, {91, 13, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.action << " on " << c.difficulty);
        ResetPlayLists();
        Gun(c.action, 0, 390);
        EXPECT_EQ(Log(c.difficulty, 301), c.volleys);
    }
    // NORMAL's 392 repeats every 300 frames in its first 100, every 10.
    ResetPlayLists();
    Gun(392, 0, 390);
    EXPECT_EQ(Log(1, 400).size(), 20u);
    // The graded fan: 3.5 in the middle, 0.25 slower per step outward.
    ResetPlayLists();
    Gun(390, 0, 390);
    Step(1);
    ASSERT_EQ(g_EnemyBulletList.size(), 17u);
    EXPECT_FLOAT_EQ(g_EnemyBulletList[8].speed, 3.5f);
    EXPECT_FLOAT_EQ(g_EnemyBulletList[0].speed, 1.5f);
    EXPECT_NEAR(g_EnemyBulletList[8].heading, kHalfPi, 1e-6);
    EXPECT_NEAR(g_EnemyBulletList[9].heading - g_EnemyBulletList[8].heading, 0.3f, 1e-6);
}

TEST_F(Stage3PatternsTest, AimsSeeTheFieldScroll) {
    // The player sees the part 60 further right: aim(P) corrects for it.
    g_GameState.FieldScrollX = -60.0f;
    g_PlayerState[0].x = 240.0f;
    Gun(390, 0, 390);
    Step(1);
    EXPECT_NEAR(g_EnemyBulletList[8].heading, kHalfPi, 1e-6);
}

// ---- The bosses' patterns ----

// What the action fired up to timer `last`, by difficulty, on an armed enemy
// in the field with the player straight below.
TEST_F(Stage3PatternsTest, BossPatternsFireTheirCountsPerDifficulty) {
    struct Case {
        i32 action, difficulty, last;
        i32 bullets, shells, effects, draws;
    };
    const Case cases[] = {
        // 371: streams in 100..150, 200..250, 300..350, 400..450 every 5,
        // mines in 600..650, rings of 16 at 700 and 800.
        {371, 1, 1000, 44 + 32, 11, 0, 22},
        {373, 1, 450, 0, 22, 0, 11},   // pairs at 400..440 every 4
        {374, 0, 120, 0, 0, 36, 0},    // t mod 120 in 72..116 every 4, three flames
        {374, 2, 120, 0, 0, 57, 0},    // 44..116
        {1301, 0, 300, 0, 11, 0, 11},  // 10..100 every 10, and 300
        {1301, 1, 300, 0, 21, 0, 21},
        {1301, 2, 300, 0, 26, 0, 26},
        {1302, 0, 600, 14, 0, 0, 14},  // 300..348 every 4, and 600
        {1302, 1, 600, 21, 0, 0, 21},  // 300..338 every 2, and 600
        {1302, 2, 600, 26, 0, 0, 26},  // 300..348 every 2, and 600
        {1303, 0, 300, 40, 6, 0, 12},  // rings of 20; mines 100..120, 200..220 every 10
        {1303, 1, 300, 64, 8, 0, 16},  // rings of 32; mines 100..115, 200..215 every 5
        {1303, 2, 300, 80, 14, 0, 28},
        {1304, 0, 300, 40, 6, 0, 12},
        {1304, 1, 300, 64, 8, 0, 16},
        {1304, 2, 300, 80, 14, 0, 28},
        {1306, 0, 700, 8 * 36, 0, 0, 0},
        {1306, 1, 700, 7 * 48, 0, 0, 0},
        {1306, 2, 700, 9 * 48, 0, 0, 0},
        {1307, 1, 400, 8 * 15, 16, 0, 32},  // columns every 50; mines where t mod 50 < 2
        {1309, 0, 1000, 0, 0, 0, 0},        // not on EASY
        {1309, 1, 1000, 2 * 15, 0, 0, 0},   // 600 and 800
        {1309, 2, 1000, 3 * 15, 0, 0, 0},   // 600, 750 and 900
        {1310, 1, 650, 11 * 12, 6, 0, 11 * 12 + 12},
        {1311, 0, 250, 7, 0, 0, 0},
        {1311, 1, 250, 10, 0, 0, 10},
        {1311, 2, 360, 12, 0, 0, 12},
        {1312, 1, 300, 0, 2, 0, 0},    // 220 and 300
        {1312, 2, 300, 10, 1, 0, 20},  // 260
        {1313, 1, 150, 21, 0, 0, 0},   // 110..140 every 5
        {1320, 0, 200, 60, 0, 0, 0},   // 12 volleys
        {1320, 1, 200, 72, 0, 0, 0},
        {1320, 2, 200, 96, 0, 0, 0},
        {1325, 0, 600, 0, 6, 0, 6},
        {1325, 1, 600, 0, 10, 0, 10},
        {1325, 2, 600, 0, 11, 0, 11},
        {1330, 1, 420, 10, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.action << " on " << c.difficulty);
        ResetPlayLists();
        Gun(c.action, 0, 360);
        const u32 seed = RandomGetState();
        const auto log = Log(c.difficulty, c.last);
        i32 shells = 0;
        for (const Volley& v : log) shells += v.shells;
        EXPECT_EQ(Bullets(log), c.bullets);
        EXPECT_EQ(shells, c.shells);
        EXPECT_EQ(static_cast<i32>(g_EffectList.size()), c.effects);
        EXPECT_EQ(DrawsSince(seed), c.draws);
    }
}

TEST_F(Stage3PatternsTest, UnarmedBossPartsHoldTheirFireExceptTheHardSpiral) {
    for (const i32 action : {371, 373, 375, 1303, 1304, 1325}) {
        for (i32 d = 0; d < 3; ++d) {
            SCOPED_TRACE(testing::Message() << action << " on " << d);
            ResetPlayLists();
            Gun(action);
            Owner().active = 0;
            const auto log = Log(d, 700);
            EXPECT_EQ(log.empty(), !(action == 1304 && d == 2));
        }
    }
}

TEST_F(Stage3PatternsTest, Action372FiresOnceAndEndsItself) {
    Gun(372);
    EXPECT_EQ(Log(1, 100), (std::vector<Volley>{{50, 0, 1}}));
    EXPECT_EQ(g_EnemyShellList[0].kind, 210);
    Step(1);
    EXPECT_EQ(part_->action, 0);
    EXPECT_EQ(part_->timer, 0);
}

TEST_F(Stage3PatternsTest, Action371FoldsItsTimerBackAfter1000) {
    Gun(371);
    part_->timer = 1000;
    Step(1);
    EXPECT_EQ(part_->timer, 1);
    part_->timer = 1099;
    EXPECT_EQ(Step(1), (Volley{100, 1, 0}));
}

TEST_F(Stage3PatternsTest, Action375FiresItsRingsOnlyOnceSlot13IsGone) {
    KindPart(40, 10, 375, 300, 200);
    Owner().active = 1;
    const auto before = Log(1, 500);
    EXPECT_EQ(Bullets(before), 0);
    EXPECT_GT(static_cast<i32>(g_EnemyShellList.size()), 0);
    // Root 13 destroyed: rings of 16 triples at v 60, 120, 180 and the
    // offset rings at 30, 90, 150 (t 501..700).
    g_EnemyPartPool[Owner().rootParts[13]].state = -1;
    const auto after = Log(1, 700);
    EXPECT_EQ(Bullets(after), 6 * 48);
    // Missing counts as gone.
    ResetPlayLists();
    KindPart(40, 10, 375, 300, 200);
    Owner().active = 1;
    Owner().rootParts[13] = kNoPart;
    part_->timer = 499;
    EXPECT_EQ(Step(2).bullets, 48);
}

TEST_F(Stage3PatternsTest, TheHardSpiralTurnsFirstAndUsesTheTurnedAngle) {
    g_PlayerState[0].x = 500.0f;
    g_PlayerState[0].y = 200.0f;  // the aim is 0: the part turns up from pi/2
    Gun(1304);
    part_->timer = 99;
    Step(2);
    EXPECT_FLOAT_EQ(part_->angle, -0.01f);
    ASSERT_EQ(g_EnemyBulletList.size(), 40u);
    EXPECT_FLOAT_EQ(g_EnemyBulletList[0].heading, kHalfPi - 0.01f);
    EXPECT_FLOAT_EQ(g_EnemyBulletList[0].speed, 10.0f);
    EXPECT_FLOAT_EQ(g_EnemyBulletList[1].speed, 8.0f);
}

TEST_F(Stage3PatternsTest, StoredAimsAreSharedByThePartsOfARoutineAndSetBackAtLoad) {
    // Two parts with 1330: the second fires with the aim the first stored at
    // the start of the window, wherever the player has gone since.
    Gun(1330);
    EnemyPart& first = *part_;
    const i32 firstEnemy = enemy_;
    Gun(1330, 0, 360, 200, 200);
    EnemyPart& second = *part_;
    const i32 secondEnemy = enemy_;
    first.timer = 399;
    enemy_ = firstEnemy;
    part_ = &first;
    Step(1);  // t 400: stores the aim from (300, 200): straight down
    g_PlayerState[0].x = 100.0f;
    second.timer = 404;
    enemy_ = secondEnemy;
    part_ = &second;
    g_EnemyBulletList.clear();
    Step(1);  // t 405: A + 5 x 0.02 W - W / 2, W = pi / 2
    ASSERT_EQ(g_EnemyBulletList.size(), 2u);
    EXPECT_NEAR(g_EnemyBulletList[1].heading, kHalfPi + 0.1f * kHalfPi - kHalfPi / 2.0f, 1e-5);
    // A stage load sets the stored aims back to 0.
    ActionsStage3().reset();
    second.timer = 409;
    g_EnemyBulletList.clear();
    Step(1);
    ASSERT_EQ(g_EnemyBulletList.size(), 2u);
    EXPECT_NEAR(g_EnemyBulletList[1].heading, 0.2f * kHalfPi - kHalfPi / 2.0f, 1e-5);
}

TEST_F(Stage3PatternsTest, TheCoreCannonBecomesATargetAt500AndSpins) {
    Gun(1310, 0, 366);
    part_->hitShape = HitShape{};
    g_GameState.BossActiveFlag = 1;
    Log(1, 499);
    EXPECT_FLOAT_EQ(part_->hitShape.radius, 0.0f);
    Step(1);
    EXPECT_FLOAT_EQ(part_->hitShape.radius, 50.0f);
    EXPECT_EQ(g_GameState.BossActiveFlag, 0);
    ASSERT_FALSE(g_TargetMarkerList.empty());
    // Between volleys of the first window the part spins by pi/200.
    part_->timer = 600;
    const f32 angle = part_->angle;
    Step(1);  // t 601: not a volley frame
    EXPECT_FLOAT_EQ(part_->angle, angle + 0.0157080f);
}

TEST_F(Stage3PatternsTest, SplitGunsBecomeTargetsAt200) {
    for (const i32 action : {1311, 1312, 1313}) {
        SCOPED_TRACE(action);
        ResetPlayLists();
        Gun(action, 0, 351);
        part_->hitShape = HitShape{};
        Log(1, 199);
        EXPECT_TRUE(g_TargetMarkerList.empty());
        Step(1);
        EXPECT_FLOAT_EQ(part_->hitShape.radius, 40.0f);
        EXPECT_EQ(g_TargetMarkerList.size(), 1u);
    }
}

TEST_F(Stage3PatternsTest, TheSweepingGunHandsOverWhenThePlayerLiesTheTurningWay) {
    for (const f32 px : {500.0f, 100.0f}) {
        SCOPED_TRACE(px);
        ResetPlayLists();
        g_PlayerState[0].x = px;
        g_PlayerState[0].y = 200.0f;
        Gun(1314);
        const auto log = Log(1, 200);
        EXPECT_EQ(log.size(), 7u);  // 110..140 every 5
        EXPECT_NEAR(part_->angle, -0.015f * 200.0f, 1e-4);
        Step(1);  // t 201: the timer restarts at 102
        EXPECT_EQ(part_->timer, 102);
        // From the angle -3.015 the player at the right (target -pi/2) lies
        // the positive way; at the left (target pi/2) the shorter way is
        // negative.
        EXPECT_EQ(part_->action, px > 300.0f ? 1313 : 1314);
    }
    // Outside the field it neither fires nor sweeps.
    ResetPlayLists();
    Gun(1314, 0, 351, 300, 600);
    EXPECT_TRUE(Log(1, 150).empty());
    EXPECT_FLOAT_EQ(part_->angle, 0.0f);
}

TEST_F(Stage3PatternsTest, TheRotatingStarReversesEvery50Frames) {
    Gun(1320);
    Log(1, 101);
    g_EnemyBulletList.clear();
    Step(1);  // t 102: (102 / 50) even: (i / 6 + 102 mod 110 / 110) 2 pi
    ASSERT_EQ(g_EnemyBulletList.size(), 6u);
    EXPECT_NEAR(g_EnemyBulletList[1].heading, (1.0f / 6.0f + 102.0f / 110.0f) * 2.0f * kPi, 1e-5);
    Log(1, 149);
    g_EnemyBulletList.clear();
    Step(1);  // t 150: odd: (i / 6) 2 pi - (150 mod 110 / 110) 2 pi
    EXPECT_NEAR(g_EnemyBulletList[1].heading, (1.0f / 6.0f) * 2.0f * kPi - (40.0f / 110.0f) * 2.0f * kPi, 1e-5);
}

TEST_F(Stage3PatternsTest, TheHullFansWaitForItsFourGunsOrFrame1000) {
    KindPart(39, 2, 1331, 300, 300);
    Owner().rotation = 0.0f;
    const auto early = Log(1, 1000);
    EXPECT_EQ(Bullets(early), 0);
    EXPECT_GT(static_cast<i32>(g_EnemyShellList.size()), 0);
    EXPECT_EQ(g_EnemyShellList[0].kind, 310);
    EXPECT_EQ(g_EnemyShellList[0].strength, 3);
    EXPECT_FLOAT_EQ(g_EnemyShellList[0].speed, 13.0f);
    // From 1001 the fans: at t mod 160 = 10 eighteen, at 30 fourteen.
    const auto late = Log(1, 1150);
    EXPECT_EQ(Bullets(late), 18 + 14);
    // With its guns down (one slot missing) the fans start at once.
    ResetPlayLists();
    KindPart(39, 2, 1331, 300, 300);
    EnemyPart& tower = *part_;
    for (i32 c = 0; c < 3; ++c) g_EnemyPartPool[tower.children[c]].state = -1;
    tower.children[3] = kNoPart;
    part_->timer = 169;
    EXPECT_EQ(Step(1).bullets, 18);
}

TEST_F(Stage3PatternsTest, TheSinkingDomePullsItsFortressAndTurnsToSmoke) {
    Gun(1308, 0, 361);
    Step(0);  // t 1: y += 49 x 0.05
    EXPECT_FLOAT_EQ(Owner().y, 200.0f + 2.45f);
    Log(0, 50);
    EXPECT_EQ(part_->action, 1308);
    Step(0);
    EXPECT_EQ(part_->action, 11);
    EXPECT_EQ(part_->timer, 51);
}

TEST_F(Stage3PatternsTest, TheFlankThrowerFiresRightThenLeftAndTheTowerDropsFallers) {
    Gun(1325);
    Log(1, 250);
    ASSERT_EQ(g_EnemyShellList.size(), 1u);
    EXPECT_FLOAT_EQ(g_EnemyShellList[0].x, 300.0f - 80.0f);  // 250: the left side
    Log(1, 500);
    EXPECT_FLOAT_EQ(g_EnemyShellList.back().x, 300.0f + 80.0f);  // 500: the right side first
    // 1330 drops fallers from the top after its Ts, alternating their slant.
    ResetPlayLists();
    Gun(1330);
    Log(1, 1100);
    ASSERT_EQ(g_EnemyShellList.size(), 2u);  // 1050 and 1100
    EXPECT_EQ(g_EnemyShellList[0].kind, 380);
    EXPECT_FLOAT_EQ(g_EnemyShellList[0].y, -100.0f);
    EXPECT_FLOAT_EQ(g_EnemyShellList[0].heading, 2.3561945f);  // 1050 / 50 odd
    EXPECT_FLOAT_EQ(g_EnemyShellList[1].heading, 0.7853982f);
    EXPECT_FLOAT_EQ(g_EnemyShellList[0].angle, 0.0f);
}

}  // namespace
