// The attack patterns of stage index 2: firing frames, bullet and shell
// counts per difficulty, the turrets' sweeps, the wobble and the parts' own
// changes.
#include <cmath>
#include <vector>

#include "engine/core/random.h"
#include "game/patterns/part_step.h"
#include "game/play/effects.h"
#include "game/shell/sound_effects.h"
#include "game/shell/sound_names.h"
#include "game/stages/stage_content.h"
#include "tests/game/enemy/enemy_fixture.h"
#include "tests/game/enemy/stage1_fixture.h"

namespace {

using enemy_test::EnemyFrameTest;
using enemy_test::TableKind;
using enemy_test::TablePart;
using stage1_test::DrawsSince;

constexpr f32 kHalfPi = 1.5707964f;
constexpr f32 kPi = 3.1415927f;

// What one frame of the part fired.
struct Volley {
    i32 t;
    i32 bullets;
    i32 shells;
    bool operator==(const Volley&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Volley& v) {
    return os << "{t " << v.t << ": " << v.bullets << " bullets, " << v.shells << " shells}";
}

using StepFn = void (*)(i32, EnemyPart*, const f32*, const f32*);
constexpr StepFn kSteps[3] = {StepPartStage3Easy, StepPartStage3Normal, StepPartStage3Hard};

class Stage3PatternsTest : public EnemyFrameTest {
protected:
    void SetUp() override {
        EnemyFrameTest::SetUp();
        g_PlayerState[0].x = 300.0f;
        g_PlayerState[0].y = 420.0f;
        DefaultHitShapes[0] = {5, 3, 0};
        DefaultHitShapes[1] = {0, 0, 5};
        DefaultHitShapes[2] = {0, 0, 12};
    }
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
    Enemy& Owner() { return g_EnemyList[static_cast<std::size_t>(enemy_)]; }
    // One frame of the part at the difficulty; what it fired.
    Volley Step(i32 difficulty) {
        const std::size_t b = g_EnemyBulletList.size();
        const std::size_t s = g_EnemyShellList.size();
        kSteps[difficulty](enemy_, part_, &Owner().x, &Owner().rotation);
        return {part_->timer, static_cast<i32>(g_EnemyBulletList.size() - b),
                static_cast<i32>(g_EnemyShellList.size() - s)};
    }
    // Every frame that fired while the timer runs up to `last`.
    std::vector<Volley> Log(i32 difficulty, i32 last) {
        std::vector<Volley> out;
        while (part_->timer < last) {
            const Volley v = Step(difficulty);
            if (v.bullets != 0 || v.shells != 0) out.push_back(v);
        }
        return out;
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
    i32 enemy_ = 0;
    EnemyPart* part_ = nullptr;
};

TEST_F(Stage3PatternsTest, Action300DropsMinesToBothSidesAndFiresAimedTwins) {
    struct Case {
        std::vector<i32> shellFrames;
        i32 bullets;
        i32 draws;
    };
    // Up to t 300: EASY from 200, NORMAL and HARD from 100.
    const Case cases[3] = {
        {{200}, 12, 12},                         // bullets at 200..216 and 300, every 4
        {{100, 120, 200, 220}, 42, 42},          // 100..136, 200..236 and 300
        {{100, 120, 140, 200, 220, 240}, 68, 68}, // every 3 below t mod 100 = 50
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
        if (cases[d].speed > 0.0f) EXPECT_FLOAT_EQ(g_EnemyBulletList[0].speed, cases[d].speed);
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
        {330, 0, {60, 3, 0}, 0},  {330, 1, {40, 4, 0}, 3},   {330, 2, {30, 5, 0}, 4},
        {331, 0, {60, 0, 1}, 0},  {331, 1, {60, 0, 1}, 0},   {331, 2, {60, 10, 1}, 20},
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
    for (const Case& c : {Case{337, false, 1}, Case{338, false, 2}, Case{370, true, 2}, Case{380, true, 2},
                          Case{350, false, 2}}) {
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
    const Case cases[3] = {{{500, 600, 1000, 1200}, 9}, {{400, 500, 800, 1000, 1200}, 12}, {{350, 450, 700, 900, 1050}, 18}};
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

}  // namespace
