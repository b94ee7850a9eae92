// The attack patterns of stage index 0: firing frames, bullet and shell counts
// per difficulty, and the parts' own changes (turns, transformations).
#include <cmath>
#include <vector>

#include "engine/core/radians.h"
#include "game/patterns/part_step.h"
#include "game/play/talk.h"
#include "tests/game/enemy/enemy_fixture.h"
#include "tests/game/patterns/pattern_fixture.h"

namespace {

using enemy_test::TableKind;
using enemy_test::TablePart;
using pattern_test::Shot;

class Stage1PatternsTest : public pattern_test::PatternTest<RunPartActionStage1> {
protected:
    // A part with the action (and two children with no action when asked)
    // on an enemy at (300, 200) facing down, placed `index` in the list.
    EnemyPart& Gun(i32 action, i32 index = 0, bool children = false, i32 spriteKind = 101) {
        for (i32 i = 0; i < index; ++i) Build(TableKind({TablePart(0, 0, 0)}, {0}), 300, 200, kHalfPi);
        if (children) {
            enemy_ = Build(
                TableKind({TablePart(111, 0, -50), TablePart(111, 0, 50), TablePart(spriteKind, 0, 0, {0, 1})}, {2}),
                300, 200, kHalfPi);
            part_ = &Part(2);
        } else {
            enemy_ = Build(TableKind({TablePart(spriteKind, 0, 0)}, {0}), 300, 200, kHalfPi);
            part_ = &Part(0);
        }
        part_->action = action;
        return *part_;
    }
};

TEST_F(Stage1PatternsTest, Action101FiresAlongItsAngleEveryKFrames) {
    const std::vector<Shot> want[3] = {
        {{70, 1, 0}, {140, 1, 0}},
        {{50, 1, 0}, {100, 1, 0}, {150, 1, 0}},
        {{30, 1, 0}, {60, 1, 0}, {90, 1, 0}, {120, 1, 0}, {150, 1, 0}},
    };
    for (i32 d = 0; d < 3; ++d) {
        SCOPED_TRACE(d);
        ResetPlayLists();
        Gun(101);
        EXPECT_EQ(Log(d, 150), want[d]);
        const EnemyBullet& b = g_EnemyBulletList.back();
        EXPECT_EQ(b.kind, 103);
        EXPECT_FLOAT_EQ(b.heading, kHalfPi);
        EXPECT_FLOAT_EQ(b.speed, 3.0f);
        EXPECT_FLOAT_EQ(b.hitShape.radius, 5.0f);
    }
}

TEST_F(Stage1PatternsTest, Action102FiresOnlyFromEveryMthEnemyInTheUpperField) {
    struct Case {
        i32 difficulty, index;
        std::vector<i32> frames;  // up to t 200
    };
    const Case cases[] = {
        // clang-format off
        {0, 0, {40}}, {0, 1, {}}, {0, 3, {40}}, {1, 0, {20, 100, 180}}, {1, 1, {}}, {1, 2, {20, 100, 180}},
        // clang-format on
        {2, 1, {20, 70, 120, 170}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.difficulty << " " << c.index);
        ResetPlayLists();
        Gun(102, c.index);
        std::vector<i32> frames;
        for (const Shot& s : Log(c.difficulty, 200)) frames.push_back(s.t);
        EXPECT_EQ(frames, c.frames);
    }
    ResetPlayLists();
    Gun(102);
    g_EnemyList[0].y = 300.0f;  // not above 300
    EXPECT_TRUE(Log(2, 200).empty());
    // Aimed at the player (straight below).
    g_EnemyList[0].y = 100.0f;
    Log(2, 220);
    ASSERT_FALSE(g_EnemyBulletList.empty());
    EXPECT_NEAR(g_EnemyBulletList.back().heading, kHalfPi, 1e-6);
    EXPECT_FLOAT_EQ(g_EnemyBulletList.back().speed, 3.5f);
}

TEST_F(Stage1PatternsTest, Action106StaysSilentUntilDamagedOr800Frames) {
    Gun(106);
    EXPECT_TRUE(Log(2, 800).empty());
    // Armed from t 801: the HARD burst window (period 40) fires at r = 3.
    EXPECT_EQ(Log(2, 803), (std::vector<Shot>{{803, 2, 0}}));
}

TEST_F(Stage1PatternsTest, Action106BurstsAndShellsPerDifficulty) {
    struct Case {
        i32 difficulty;
        std::vector<Shot> shots;  // t 1..180, damaged from the start
    };
    const Case cases[] = {
        {0, {{4, 2, 0}, {8, 2, 0}, {12, 2, 0}, {40, 0, 1}, {160, 2, 0}, {164, 2, 0}, {168, 2, 0}, {172, 2, 0}}},
        {1, {{4, 2, 0}, {8, 2, 0}, {12, 2, 0}, {40, 0, 1}, {100, 2, 0}, {104, 2, 0}, {108, 2, 0}, {112, 2, 0}}},
        {2, {{3, 2, 0},   {6, 2, 0},   {9, 2, 0},   {12, 2, 0},  {15, 2, 0},  {18, 2, 0}, {30, 0, 1}, {60, 0, 1},
             {80, 2, 0},  {83, 2, 0},  {86, 2, 0},  {89, 2, 0},  {92, 2, 0},  {95, 2, 0}, {98, 2, 0}, {160, 2, 0},
             {163, 2, 0}, {166, 2, 0}, {169, 2, 0}, {172, 2, 0}, {175, 2, 0}, {178, 2, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.difficulty);
        ResetPlayLists();
        Gun(106).hp = 50;
        EXPECT_EQ(Log(c.difficulty, 180), c.shots);
    }
    // An inactive enemy's guns are silent.
    ResetPlayLists();
    Gun(106).hp = 50;
    g_EnemyList[0].active = 0;
    EXPECT_TRUE(Log(2, 180).empty());
}

TEST_F(Stage1PatternsTest, TurretFansOf131) {
    struct Case {
        i32 difficulty;
        std::vector<Shot> shots;  // t 1..400
    };
    const Case cases[] = {
        {0, {{380, 3, 0}}},                                         // q = t / 90 even, r 20, t > 200
        {1, {{170, 3, 0}, {190, 3, 0}, {330, 3, 0}, {350, 3, 0}}},  // p 80: r 10 and 30
        {2, {{170, 5, 0}, {190, 5, 0}, {330, 5, 0}, {350, 5, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.difficulty);
        ResetPlayLists();
        Gun(131);
        EXPECT_EQ(Log(c.difficulty, 400), c.shots);
    }
}

TEST_F(Stage1PatternsTest, HullMinesWhileATurretLivesThenAimedShells) {
    struct Case {
        i32 difficulty;
        std::vector<i32> mineFrames;  // t 1..600, turrets alive
        i32 aimedEvery;
    };
    const Case cases[] = {{0, {300, 600}, 30}, {1, {200, 400, 600}, 20}, {2, {200, 240, 400, 440, 600}, 15}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.difficulty);
        ResetPlayLists();
        Gun(132, 0, true);
        std::vector<i32> frames;
        for (const Shot& s : Log(c.difficulty, 600)) {
            EXPECT_EQ(s.shells, 2);
            frames.push_back(s.t);
        }
        EXPECT_EQ(frames, c.mineFrames);
        EXPECT_EQ(g_EnemyShellList.back().kind, 102);
        // One turret down: still mines. Both down: aimed shells every k frames.
        Part(0).state = -1;
        part_->timer = 0;
        EXPECT_EQ(Log(c.difficulty, 60).size(), 0u);  // t <= T: nothing
        Part(1).state = -1;
        part_->timer = 0;
        const auto aimed = Log(c.difficulty, 60);
        EXPECT_EQ(static_cast<i32>(aimed.size()), 60 / c.aimedEvery);
        EXPECT_EQ(aimed[0].t, c.aimedEvery);
        EXPECT_EQ(g_EnemyShellList.back().kind, 103);
        EXPECT_FLOAT_EQ(g_EnemyShellList.back().playerHitShape.halfWidth, 20.0f);
    }
}

TEST_F(Stage1PatternsTest, SecondMidBossCoreRingsThenAimedShells) {
    struct Case {
        i32 difficulty;
        i32 rings;  // t 1..600 with both turrets alive
        i32 aimedIn60;
    };
    // Rings in t % 300 <= w every s frames after t 200: E w 20 s 4 -> 300..320: 6;
    // N s 3 -> 300..318: 7; H w 40 s 3 -> 300..339: 14.
    const Case cases[] = {{0, 6, 2}, {1, 7, 6}, {2, 14, 6}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.difficulty);
        ResetPlayLists();
        Gun(134, 0, true);
        i32 rings = 0;
        for (const Shot& s : Log(c.difficulty, 599)) {
            EXPECT_EQ(s.bullets, 8);
            ++rings;
        }
        EXPECT_EQ(rings, c.rings);
        Part(0).state = -1;
        Part(1).state = -1;
        part_->timer = 0;
        EXPECT_EQ(static_cast<i32>(Log(c.difficulty, 60).size()), c.aimedIn60);
    }
}

TEST_F(Stage1PatternsTest, Action133FansThenShellStreams) {
    struct Case {
        i32 difficulty;
        i32 fans, fanSize, shells;  // t 1..500
    };
    // Fans at q = t / 60 even, r listed, t > 200 and t % 500 < 400 (240..299, 360..399 and 500);
    // shells every k frames in 400..499.
    const Case cases[] = {{0, 2, 3, 3}, {1, 5, 3, 5}, {2, 5, 5, 5}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.difficulty);
        ResetPlayLists();
        Gun(133);
        i32 fans = 0;
        i32 shells = 0;
        for (const Shot& s : Log(c.difficulty, 500)) {
            if (s.bullets > 0) {
                EXPECT_EQ(s.bullets, c.fanSize);
                ++fans;
            }
            shells += s.shells;
        }
        EXPECT_EQ(fans, c.fans);
        EXPECT_EQ(shells, c.shells);
    }
}

TEST_F(Stage1PatternsTest, NoseGunBurstWindows) {
    struct Case {
        i32 action, difficulty;
        std::vector<i32> frames;
    };
    const Case cases[] = {
        {141, 0, {120, 124, 128}},                          // t > 50, q = t / 60 even: 120..131 (60..71 is odd)
        {141, 1, {50, 54, 58, 150, 154, 158}},              // q odd
        {141, 2, {30, 33, 36, 90, 93, 96, 150, 153, 156}},  // u = t - 30
        {144, 0, {}},                                       // t > 290
        {144, 1, {150, 154, 158}},
        {144, 2, {150, 153, 156}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.action << " " << c.difficulty);
        ResetPlayLists();
        Gun(c.action);
        std::vector<i32> frames;
        for (const Shot& s : Log(c.difficulty, 160)) frames.push_back(s.t);
        EXPECT_EQ(frames, c.frames);
    }
    // Kind 101 bullets from the muzzle (35, 0), heading the parent angle.
    ASSERT_FALSE(g_EnemyBulletList.empty());
    EXPECT_EQ(g_EnemyBulletList.back().kind, 101);
    EXPECT_NEAR(g_EnemyBulletList.back().y, 235.0f, 1e-3);
    EXPECT_FLOAT_EQ(g_EnemyBulletList.back().speed, 3.5f);
}

TEST_F(Stage1PatternsTest, RocketsAndRings) {
    struct Case {
        i32 action, difficulty;
        std::vector<Shot> shots;
    };
    const Case cases[] = {
        {142, 0, {{150, 0, 1}, {300, 0, 1}}},
        {142, 1, {{100, 0, 1}, {200, 0, 1}, {300, 0, 1}}},
        {142, 2, {{70, 0, 1}, {140, 0, 1}, {210, 0, 1}, {280, 0, 1}}},
        {143, 0, {{300, 12, 0}}},
        {143, 1, {{120, 16, 0}, {240, 16, 0}}},
        {143, 2, {{120, 24, 0}, {240, 24, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.action << " " << c.difficulty);
        ResetPlayLists();
        Gun(c.action);
        EXPECT_EQ(Log(c.difficulty, 300), c.shots);
    }
}

TEST_F(Stage1PatternsTest, BossCannonVolleysAndTheHardSecondPhase) {
    struct Case {
        i32 difficulty;
        i32 firstShot;  // t of the first volley from timer 150
        i32 bullets;
    };
    const Case cases[] = {{0, 250, 18}, {1, 250, 27}, {2, 200, 27}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.difficulty);
        ResetPlayLists();
        Gun(180, 0, false, 155).timer = 150;
        const auto shots = Log(c.difficulty, c.firstShot);
        ASSERT_EQ(shots.size(), 1u);
        EXPECT_EQ(shots[0], (Shot{c.firstShot, c.bullets, 1}));
        i32 smoke = 0;
        i32 blasts = 0;
        for (const Effect& e : g_EffectList) {
            smoke += e.kind == 9 ? 1 : 0;
            blasts += e.kind == 10 ? 1 : 0;
        }
        EXPECT_EQ(smoke, 8);
        EXPECT_EQ(blasts, 10);
        EXPECT_FLOAT_EQ(g_EnemyList[0].speed, 3.0f);
        EXPECT_EQ(g_EnemyShellList.back().hp, 800);
        Log(c.difficulty, 760);
        EXPECT_EQ(part_->action, c.difficulty == 2 ? 182 : 180);
    }
    // HARD: 182 from the next frame, its timer from 1.
    ResetPlayLists();
    Gun(180, 0, false, 155).timer = 750;
    Step(2);  // t 751: turns into 182
    EXPECT_EQ(part_->action, 182);
    EXPECT_EQ(part_->timer, 0);
    const auto shots = Log(2, 150);
    ASSERT_EQ(shots.size(), 1u);
    EXPECT_EQ(shots[0], (Shot{150, 40, 1}));
    EXPECT_EQ(g_EnemyShellList.back().hp, 500);
    // EASY and NORMAL have no 182.
    ResetPlayLists();
    Gun(182);
    EXPECT_TRUE(Log(1, 300).empty());
}

TEST_F(Stage1PatternsTest, BodyTwinFans) {
    struct Case {
        i32 difficulty;
        std::vector<Shot> shots;  // t 1..1100
    };
    const Case cases[] = {
        {0, {{600, 30, 0}, {800, 30, 0}, {1000, 30, 0}, {1100, 30, 0}}},
        {1, {{450, 30, 0}, {600, 30, 0}, {750, 30, 0}, {900, 30, 0}, {1050, 30, 0}, {1125, 30, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.difficulty);
        ResetPlayLists();
        Gun(181);
        EXPECT_EQ(Log(c.difficulty, c.difficulty == 0 ? 1100 : 1125), c.shots);
    }
    ResetPlayLists();
    Gun(181);
    const auto hard = Log(2, 660);
    // 360, 480, 600 (p 120 after 300), then 655 (o 55 after 600).
    ASSERT_EQ(hard.size(), 4u);
    EXPECT_EQ(hard[0], (Shot{360, 34, 0}));
    EXPECT_EQ(hard[3], (Shot{655, 34, 0}));
}

TEST_F(Stage1PatternsTest, PhaseGunsFiringFrames) {
    struct Case {
        i32 action, difficulty, last;
        std::vector<Shot> shots;
    };
    const Case cases[] = {
        // 185: bullets every 8 (N 5, H 4) in t % 300 <= 80 and 100..180, from t 200.
        {185, 0, 320, {{304, 1, 0}, {312, 1, 0}, {320, 1, 0}}},
        {185, 2, 260, {{252, 1, 0}, {256, 1, 0}, {260, 1, 0}}},
        // 186: shells in the first 50 frames of each period.
        {186, 0, 260, {{200, 0, 1}, {220, 0, 1}, {240, 0, 1}}},
        {186, 1, 180, {{150, 0, 1}, {165, 0, 1}, {180, 0, 1}}},
        {186, 2, 210, {{180, 0, 1}, {190, 1, 1}, {200, 0, 1}, {210, 1, 1}}},
        // 187: mines.
        {187, 0, 340, {{320, 0, 1}}},
        {187, 2, 150, {{100, 0, 1}, {125, 0, 1}, {150, 0, 1}}},
        // 188: volleys of 3 (HARD 5).
        {188, 0, 700, {{600, 3, 0}, {700, 3, 0}}},
        {188, 1, 480, {{400, 3, 0}, {480, 3, 0}}},
        {188, 2, 350, {{300, 5, 0}, {350, 5, 0}}},
        // 191: mine pairs from t 300 (HARD every 40 and the twin fans).
        {191, 0, 450, {{300, 0, 2}, {350, 0, 2}, {400, 0, 2}}},
        {191, 1, 500, {{300, 0, 2}, {350, 0, 2}, {400, 0, 2}, {450, 0, 2}}},
        {191, 2, 600, {{320, 0, 2}, {360, 0, 2}, {400, 0, 2}, {440, 0, 2}, {480, 0, 2}, {600, 30, 2}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.action << " " << c.difficulty);
        ResetPlayLists();
        Gun(c.action);
        EXPECT_EQ(Log(c.difficulty, c.last), c.shots);
    }
}

TEST_F(Stage1PatternsTest, PhaseOneGunsCycleBetweenAimedTriplesAndSwingingFans) {
    struct Case {
        i32 difficulty;
        std::vector<Shot> firstHalf;  // t 1..300
        i32 fanSize, firstFan;        // second half from t 1000
    };
    const Case cases[] = {
        {0, {{100, 3, 0}, {200, 3, 0}, {300, 3, 0}}, 5, 1210},
        {1, {{60, 3, 0}, {120, 3, 0}, {180, 3, 0}, {240, 3, 0}, {300, 3, 0}}, 5, 1120},
        {2, {{40, 3, 0}, {80, 3, 0}, {120, 3, 0}, {160, 3, 0}, {200, 3, 0}, {240, 3, 0}, {280, 3, 0}}, 7, 1140},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.difficulty);
        ResetPlayLists();
        Gun(190);
        EXPECT_EQ(Log(c.difficulty, 300), c.firstHalf);
        part_->timer = 1000;
        const auto fans = Log(c.difficulty, 1250);
        ASSERT_FALSE(fans.empty());
        EXPECT_EQ(fans[0], (Shot{c.firstFan, c.fanSize, 0}));
    }
}

TEST_F(Stage1PatternsTest, TheMidBossCoreTalksWhenAloneAndTransforms) {
    // A core with two guns and a third child that becomes the new core.
    enemy_ = Build(
        TableKind({TablePart(154, 0, -50), TablePart(154, 0, 50), TablePart(0, 20, 0), TablePart(152, 0, 0, {0, 1, 2})},
                  {3}),
        300, 200, kHalfPi);
    part_ = &Part(3);
    part_->action = 152;
    Step(1);
    EXPECT_EQ(g_TalkState.active, 0);  // guns alive
    Part(0).state = -1;
    Part(1).state = -1;
    Part(2).state = -1;
    Step(1);
    EXPECT_EQ(g_TalkState.eventId, 122);
    EXPECT_EQ(g_EnemyList[0].active, 0);
    // The cue: line 1, frame 150.
    g_TalkState.lineIndex = 1;
    g_TalkState.lineFrame = 150;
    const i32 freeBefore = CountFreePartSlots();
    Step(1);
    EXPECT_EQ(part_->action, 0);
    EXPECT_EQ(g_EnemyList[0].active, 1);
    EXPECT_EQ(g_GameState.StoryFlags[15], 1);
    EXPECT_EQ(CountFreePartSlots(), freeBefore - 2);
    const EnemyPart& core = Part(2);
    EXPECT_EQ(core.spriteKind, 155);
    EXPECT_EQ(core.action, 153);
    EXPECT_EQ(core.hp, 5000);
    EXPECT_EQ(core.state, 1);
    EXPECT_FLOAT_EQ(core.offsetX, -20.0f);
    const EnemyPart& g0 = g_EnemyPartPool[core.children[0]];
    const EnemyPart& g1 = g_EnemyPartPool[core.children[1]];
    EXPECT_EQ(g0.action, 143);
    EXPECT_EQ(g1.spriteKind, 103);
    EXPECT_FLOAT_EQ(g0.offsetY, -50.0f);
    EXPECT_FLOAT_EQ(g1.offsetY, 50.0f);
    i32 blasts = 0;
    for (const Effect& e : g_EffectList) blasts += e.kind == 10 ? 1 : 0;
    EXPECT_EQ(blasts, 15);
}

TEST_F(Stage1PatternsTest, TheMidBossCoreWaitsWhileOthersAreAbout) {
    Gun(152);
    Build(TableKind({TablePart(0, 0, 0)}, {0}), 100, 100);
    Step(0);
    EXPECT_EQ(g_TalkState.active, 0);
}

TEST_F(Stage1PatternsTest, SmokeEvery15Frames) {
    for (const i32 action : {11, 12, 13}) {
        ResetPlayLists();
        Gun(action);
        for (i32 i = 0; i < 45; ++i) Step(0);
        EXPECT_EQ(g_EffectList.size(), 3u) << action;
    }
}

}  // namespace
