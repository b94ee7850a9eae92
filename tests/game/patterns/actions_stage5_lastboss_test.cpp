// The last boss's attack patterns (stage index 4, enemy kinds 101 and 102):
// firing frames, bullet and shell counts and headings per difficulty, the
// draws they make and the parts' own changes.
#include <cmath>
#include <vector>

#include "engine/core/radians.h"
#include "engine/core/random.h"
#include "game/patterns/part_step.h"
#include "game/patterns/pattern_content.h"
#include "game/shell/sound_effects.h"
#include "game/shell/sound_names.h"
#include "tests/game/enemy/enemy_fixture.h"

namespace {

using enemy_test::DrawsSince;
using enemy_test::EnemyFrameTest;
using enemy_test::TableKind;
using enemy_test::TablePart;

constexpr StepPartFn kSteps = StepStageParts<RunPartActionStage5>;

// What one frame of the part fired.
struct Shot {
    i32 t;
    i32 bullets;
    i32 shells;
    bool operator==(const Shot&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Shot& s) {
    return os << "{t " << s.t << ": " << s.bullets << " bullets, " << s.shells << " shells}";
}

class LastBossPatternsTest : public EnemyFrameTest {
protected:
    void SetUp() override {
        EnemyFrameTest::SetUp();
        g_GameState.StageIndex = 4;
        g_PlayerState[0].x = 300.0f;
        g_PlayerState[0].y = 420.0f;
        DefaultHitShapes[0] = {5, 3, 0};
        DefaultHitShapes[1] = {0, 0, 5};
        ClearSoundEffectStamps();
    }
    // A part with the action on an enemy at (300, 200) facing down.
    EnemyPart& Gun(i32 action, i32 timer = 0) {
        enemy_test::ResetEnemyFrameState();
        SetUp();
        enemy_ = Build(TableKind({TablePart(490, 0, 0)}, {0}), 300, 200, kHalfPi);
        part_ = &Part(0);
        part_->action = action;
        part_->timer = timer;
        g_GameState.FrameCounter = 1000;  // the spaced sounds are free to play
        return *part_;
    }
    Enemy& Owner() { return g_EnemyList[static_cast<std::size_t>(enemy_)]; }
    Shot Step(i32 difficulty) {
        const std::size_t b = g_EnemyBulletList.size();
        const std::size_t s = g_EnemyShellList.size();
        RearmSoundEffectGates();
        kSteps(difficulty, enemy_, part_, &Owner().x, &Owner().rotation);
        g_GameState.FrameCounter += 1;
        return {part_->timer, static_cast<i32>(g_EnemyBulletList.size() - b),
                static_cast<i32>(g_EnemyShellList.size() - s)};
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
    static std::vector<i32> Timers(const std::vector<Shot>& log) {
        std::vector<i32> t;
        for (const Shot& s : log) t.push_back(s.t);
        return t;
    }
    static bool Played(i32 sound) { return SoundEffectGates[sound] == 0; }
    // The local point (a, b) of the part facing down at (300, 200).
    static void ExpectAtLocal(const EnemyBullet& bullet, f32 a, f32 b) {
        EXPECT_NEAR(bullet.x, 300.0f - b, 1e-3);
        EXPECT_NEAR(bullet.y, 200.0f + a, 1e-3);
    }

    i32 enemy_ = 0;
    EnemyPart* part_ = nullptr;
};

// ---- The arrival (901, 910) ----

TEST_F(LastBossPatternsTest, Action901VolleysInItsWindowsAfterTimer500) {
    const i32 perVolley[3] = {3, 4, 4};
    for (i32 d = 0; d < 3; ++d) {
        SCOPED_TRACE(d);
        Gun(901);
        const auto log = Log(d, 760);
        std::vector<Shot> want;
        for (i32 t = 501; t <= 760; ++t) {
            const i32 u = t % 250;
            if (u > 150) continue;
            const i32 n = (t % 5 == 0 ? perVolley[d] : 0) + (d == 2 && t % 5 == 2 ? 4 : 0);
            if (n > 0) want.push_back({t, n, 0});
        }
        EXPECT_EQ(log, want);
    }
    // EASY at 750 (u = 0): three bullets of speed 2 at 0, 2 pi / 3, 4 pi / 3
    // from the ellipse 140 ahead.
    Gun(901, 749);
    ASSERT_EQ(Step(0).bullets, 3);
    const EnemyBullet* b = &g_EnemyBulletList[g_EnemyBulletList.size() - 3];
    const f32 headings[3] = {0.0f, 2.0943952f, 4.1887903f};
    const f32 local[3][2] = {{145.0f, 0.0f}, {137.5f, 34.641016f}, {137.5f, -34.641016f}};
    for (i32 k = 0; k < 3; ++k) {
        EXPECT_EQ(b[k].kind, 103);
        EXPECT_FLOAT_EQ(b[k].speed, 2.0f);
        EXPECT_NEAR(b[k].heading, headings[k], 1e-6);
        ExpectAtLocal(b[k], local[k][0], local[k][1]);
    }
    EXPECT_TRUE(Played(kSoundBulletBys1));
    // HARD's counter volley at 757 turns the other way.
    Gun(901, 756);
    ASSERT_EQ(Step(2).bullets, 4);
    EXPECT_NEAR(g_EnemyBulletList[0].heading, -kPi * 2.0f * 7.0f / 70.0f, 1e-5);
    EXPECT_FLOAT_EQ(g_EnemyBulletList[0].speed, 2.0f + 0.03f * 7.0f);
}

TEST_F(LastBossPatternsTest, Action910BurstsOfThreeWithShellsPerDifficulty) {
    const std::vector<Shot> want[3] = {
        {{280, 3, 1}, {282, 3, 0}, {284, 3, 1}, {286, 3, 0}, {288, 3, 1}, {290, 3, 0}},
        {{200, 3, 1}, {202, 3, 1}, {204, 3, 1}, {206, 3, 1}, {208, 3, 1}, {210, 3, 1}},
        // clang-format off
        {{100, 3, 1}, {101, 3, 0}, {102, 3, 1}, {103, 3, 0}, {104, 3, 1}, {105, 3, 0},
         {200, 3, 1}, {201, 3, 0}, {202, 3, 1}, {203, 3, 0}, {204, 3, 1}, {205, 3, 0}},
        // clang-format on
    };
    for (i32 d = 0; d < 3; ++d) {
        SCOPED_TRACE(d);
        Gun(910);
        EXPECT_EQ(Log(d, 299), want[d]);
    }
    // The first volley: the spread, three speeds, the shell's speed and angle;
    // sound 18 at u = 0 only.
    Gun(910, 279);
    RandomSeed(5);
    Step(0);
    EXPECT_EQ(DrawsSince(5), 1 + 3 + 2);
    EXPECT_TRUE(Played(kSoundGunshot4));
    const EnemyShell& shell = g_EnemyShellList.back();
    EXPECT_EQ(shell.kind, 910);
    EXPECT_EQ(shell.hp, 100);
    EXPECT_LE(shell.speed, -4.0f);
    EXPECT_GE(shell.speed, -6.0f);
    for (const EnemyBullet& b : g_EnemyBulletList) EXPECT_EQ(b.kind, 101);
    Step(0);
    Step(0);  // 281 nothing, 282 a volley
    EXPECT_FALSE(Played(kSoundGunshot4));
    // Nothing at t = 10 on EASY although 10 mod 280 <= 10.
    Gun(910, 9);
    EXPECT_EQ(Step(0).bullets, 0);
}

// ---- The dive (902, 903) ----

TEST_F(LastBossPatternsTest, Action902FansWidenThroughTheWindow) {
    const i32 perVolley[3] = {3, 6, 9};
    for (i32 d = 0; d < 3; ++d) {
        SCOPED_TRACE(d);
        Gun(902, 144);
        EXPECT_EQ(Step(d).bullets, perVolley[d]);  // u = 145
        Gun(902, 149);
        EXPECT_EQ(Step(d).bullets, 0);  // u = 150
        Gun(902, 200);
        EXPECT_EQ(Log(d, 220),
                  (std::vector<Shot>{
                      {205, perVolley[d], 0}, {210, perVolley[d], 0}, {215, perVolley[d], 0}, {220, perVolley[d], 0}}));
    }
    // EASY at u = 100: the fan is open 0.05 x 100 on each side.
    Gun(902, 99);
    Step(0);
    ASSERT_EQ(g_EnemyBulletList.size(), 3u);
    const f32 aim = g_EnemyBulletList[1].heading;
    EXPECT_NEAR(g_EnemyBulletList[0].heading, aim - 5.0f, 1e-5);
    EXPECT_NEAR(g_EnemyBulletList[2].heading, aim + 5.0f, 1e-5);
    EXPECT_FLOAT_EQ(g_EnemyBulletList[0].speed, 2.0f + 0.025f * 100.0f);
    // HARD's side fans start 2.5 open at u = 0.
    Gun(902, 199);
    Step(2);
    ASSERT_EQ(g_EnemyBulletList.size(), 9u);
    EXPECT_NEAR(g_EnemyBulletList[2].heading - g_EnemyBulletList[1].heading, 2.5f, 1e-5);
    EXPECT_NEAR(g_EnemyBulletList[8].heading, g_EnemyBulletList[7].heading, 1e-6);
}

TEST_F(LastBossPatternsTest, Action903DropsOneShellEveryNFrames) {
    const i32 every[3] = {70, 40, 20};
    const f32 halfWidth[3] = {200.0f, 150.0f, 150.0f};
    for (i32 d = 0; d < 3; ++d) {
        SCOPED_TRACE(d);
        Gun(903);
        std::vector<Shot> want;
        for (i32 t = every[d]; t <= 140; t += every[d]) want.push_back({t, 0, 1});
        EXPECT_EQ(Log(d, 140), want);
        for (const EnemyShell& s : g_EnemyShellList) {
            EXPECT_EQ(s.kind, 901);
            EXPECT_EQ(s.hp, 200);
            EXPECT_FLOAT_EQ(s.speed, -3.0f);
            EXPECT_FLOAT_EQ(s.angle, 1.5708f);
            EXPECT_LE(std::fabs(s.x - 300.0f), halfWidth[d]);
            EXPECT_FLOAT_EQ(s.y, 200.0f);
        }
    }
}

// ---- The wide phase (931, 932, 933) ----

TEST_F(LastBossPatternsTest, Action931ThrowsShellsInItsWindow) {
    Gun(931, 49);
    EXPECT_EQ(Step(0).shells, 1);  // 50
    EXPECT_EQ(Step(0).shells, 0);  // 51
    EXPECT_EQ(Step(0).shells, 0);  // 52: past the window
    Gun(931, 7);
    Step(0);
    EXPECT_TRUE(Played(kSoundSenMiMisairu));  // 8
    Step(0);
    Step(0);
    EXPECT_FALSE(Played(kSoundSenMiMisairu));  // 10: a shell, no sound
    // NORMAL: every frame of u <= 40.
    Gun(931, 199);
    EXPECT_EQ(Log(1, 260).size(), 41u);
    // HARD: kind 905 at t mod 5 = 0, 902 on the other even frames; the
    // window widens after 2000.
    Gun(931, 2004);
    RandomSeed(3);
    Step(2);
    EXPECT_EQ(DrawsSince(3), 2);
    EXPECT_EQ(g_EnemyShellList.back().kind, 905);
    EXPECT_EQ(g_EnemyShellList.back().hp, 200);
    EXPECT_GE(g_EnemyShellList.back().speed, 5.0f);
    Gun(931, 2061);
    EXPECT_EQ(Step(2).shells, 1);
    EXPECT_EQ(g_EnemyShellList.back().kind, 902);
    Gun(931, 1861);
    EXPECT_EQ(Step(2).shells, 0);
}

TEST_F(LastBossPatternsTest, Action932RingsPerDifficultyAndHardsSixWayRing) {
    const i32 every[3] = {35, 20, 15};
    const i32 perRing[3] = {12, 12, 20};
    for (i32 d = 0; d < 3; ++d) {
        SCOPED_TRACE(d);
        Gun(932);
        std::vector<Shot> want;
        for (i32 t = 51; t <= 210; ++t) {
            if (t % every[d] == 0) want.push_back({t, perRing[d], 0});
        }
        EXPECT_EQ(Log(d, 210), want);
    }
    Gun(932, 1529);
    EXPECT_EQ(Step(2).bullets, 6);  // 1530: six-way only
    Gun(932, 1544);
    EXPECT_EQ(Step(2).bullets, 20);  // 1545: four arms
    Gun(932, 1499);
    EXPECT_EQ(Step(2).bullets, 20);  // 1500 is not above 1500
    // The arms of EASY at u = 70: b = 0.7 pi, arms at b + k pi / 2 from k = -2.
    Gun(932, 69);
    Step(0);  // 70 = 2 x 35, u = 70
    const f32 b = 70.0f * kPi / 100.0f;
    EXPECT_NEAR(g_EnemyBulletList[0].heading, b - kPi, 1e-5);
    EXPECT_NEAR(g_EnemyBulletList[1].heading, b - kPi - 0.02f, 1e-5);
}

TEST_F(LastBossPatternsTest, Action933StreamsOnlyInsideTheField) {
    // u = t mod 200 below the window: nothing before t = 200.
    const std::vector<i32> want[3] = {{200, 205, 210, 215, 220, 225},
                                      {200, 205, 210, 215, 220, 225, 230, 235, 240, 245},
                                      {200, 205, 210, 215, 220, 225, 230, 235, 240, 245}};
    const i32 perVolley[3] = {3, 3, 5};
    for (i32 d = 0; d < 3; ++d) {
        SCOPED_TRACE(d);
        Gun(933);
        const auto log = Log(d, 260);
        EXPECT_EQ(Timers(log), want[d]);
        for (const Shot& s : log) EXPECT_EQ(s.bullets, perVolley[d]);
    }
    Gun(933, 199);
    Step(1);  // u = 0: speed 3
    EXPECT_FLOAT_EQ(g_EnemyBulletList[0].speed, 3.0f);
    EXPECT_TRUE(Played(kSoundBulletBys1));
    Gun(933, 199);
    Owner().y = -100.0f;
    EXPECT_EQ(Step(1).bullets, 0);
}

// ---- The escorts (960) ----

TEST_F(LastBossPatternsTest, Action960TurnsEveryFrameAndFiresThreeVolleys) {
    const std::vector<i32> want[3] = {{200, 400, 600}, {180, 360, 540}, {150, 300, 450}};
    const i32 perVolley[3] = {3, 9, 15};
    const f32 lastSpeed[3] = {2.85f, 2.975f, 3.2f};
    for (i32 d = 0; d < 3; ++d) {
        SCOPED_TRACE(d);
        Gun(960);
        const auto log = Log(d, 800);
        EXPECT_EQ(Timers(log), want[d]);
        for (const Shot& s : log) EXPECT_EQ(s.bullets, perVolley[d]);
        EXPECT_NEAR(g_EnemyBulletList.back().speed, lastSpeed[d], 1e-5);
        EXPECT_FLOAT_EQ(g_EnemyBulletList.back().y, 180.0f);
    }
    // The turn: at most 0.1 a frame toward the player, whatever fires.
    Gun(960);
    g_PlayerState[0].x = 600.0f;
    g_PlayerState[0].y = 200.0f;
    Step(0);
    EXPECT_NEAR(part_->angle, -0.1f, 1e-6);
}

// ---- The last phase (951, 952) ----

TEST_F(LastBossPatternsTest, Actions951And952OpenThemselvesAtTimer500) {
    for (const i32 action : {951, 952}) {
        SCOPED_TRACE(action);
        Gun(action, 498);
        g_GameState.BossActiveFlag = 1;
        Step(0);
        EXPECT_EQ(part_->hitShape.halfWidth, 0);
        EXPECT_TRUE(g_TargetMarkerList.empty());
        Step(0);
        EXPECT_EQ(g_TargetMarkerList.size(), 1u);
        const HitShape want = action == 951 ? HitShape{80, 35, 0} : HitShape{45, 170, 0};
        EXPECT_EQ(part_->hitShape.halfWidth, want.halfWidth);
        EXPECT_EQ(part_->hitShape.halfHeight, want.halfHeight);
        EXPECT_EQ(g_GameState.BossActiveFlag, action == 951 ? 0 : 1);
        if (action == 952) {
            EXPECT_TRUE(Log(2, 2000).empty());
        }
    }
}

TEST_F(LastBossPatternsTest, Action951ModeAShellsAndBursts) {
    Gun(951, 199);
    EXPECT_EQ(Step(0).shells, 0);  // 200 is not above 200
    Gun(951, 203);
    EXPECT_EQ(Step(0).shells, 1);  // 204: kind 903
    EXPECT_EQ(g_EnemyShellList.back().kind, 903);
    EXPECT_TRUE(Played(kSoundSenMiMisairu));
    Gun(951, 209);
    Step(0);  // 210: kind 904
    EXPECT_EQ(g_EnemyShellList.back().kind, 904);
    EXPECT_EQ(g_EnemyShellList.back().hp, 50);
    EXPECT_FLOAT_EQ(g_EnemyShellList.back().speed, -8.0f);
    EXPECT_NEAR(g_EnemyShellList.back().angle, kHalfPi + kPi, 1e-5);
    // Both bursts at 300 on EASY, each with its own base; one fire sound.
    Gun(951, 299);
    RandomSeed(4);
    EXPECT_EQ(Step(0).bullets, 24);
    EXPECT_EQ(DrawsSince(4), 2);
    EXPECT_NE(g_EnemyBulletList[0].heading, g_EnemyBulletList[12].heading);
    ExpectAtLocal(g_EnemyBulletList[0], 40.0f, 120.0f);
    ExpectAtLocal(g_EnemyBulletList[12], 40.0f, -120.0f);
    // HARD: only the second burst at 310, both at 330, 30 bullets each.
    Gun(951, 309);
    EXPECT_EQ(Step(2).bullets, 30);
    Gun(951, 329);
    EXPECT_EQ(Step(2).bullets, 60);
}

TEST_F(LastBossPatternsTest, Action951ModeBRingsCurtainAndSpread) {
    Gun(951, 799);
    EXPECT_EQ(Step(0), (Shot{800, 0, 0}));  // v = 0
    // EASY at 840 (v = 40): two rings of 12 at speed 2.6 from (30, +-40).
    Gun(951, 839);
    EXPECT_EQ(Step(0).bullets, 24);
    EXPECT_FLOAT_EQ(g_EnemyBulletList[0].speed, 2.0f + 0.015f * 40.0f);
    ExpectAtLocal(g_EnemyBulletList[0], 30.0f, 40.0f);
    ExpectAtLocal(g_EnemyBulletList[12], 30.0f, -40.0f);
    // v = 100 off the ring frames: nothing (the curtain starts at 200).
    Gun(951, 900);
    EXPECT_EQ(Step(0).bullets, 0);
    // At 1100 (v = 300): the curtain on EASY, curtain and spread elsewhere.
    const i32 want[3] = {9, 9 + 18, 9 + 18};
    for (i32 d = 0; d < 3; ++d) {
        SCOPED_TRACE(d);
        Gun(951, 1099);
        EXPECT_EQ(Step(d).bullets, want[d]);
        EXPECT_FLOAT_EQ(g_EnemyBulletList[0].speed, 8.0f);
    }
    // The curtain fans backward: bullet 4 heads straight back.
    Gun(951, 1099);
    Step(0);
    EXPECT_NEAR(g_EnemyBulletList[4].heading, kHalfPi + kPi, 1e-5);
    // Back to mode A at 1600.
    Gun(951, 1599);
    EXPECT_EQ(Step(0).bullets, 0);
    Gun(951, 1805);
    EXPECT_EQ(Step(0).shells, 1);
}

}  // namespace
