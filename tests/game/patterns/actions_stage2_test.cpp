// The attack patterns of stage index 1's ordinary enemies and mid-boss:
// firing frames and counts per difficulty, and what they change.
#include <array>
#include <cmath>
#include <vector>

#include "engine/core/radians.h"
#include "engine/core/random.h"
#include "game/enemy/enemy_behaviour.h"
#include "game/patterns/part_step.h"
#include "game/patterns/pattern_content.h"
#include "game/play/talk.h"
#include "game/shell/story_flags.h"
#include "game/stages/enemy_spawn.h"
#include "game/stages/stage_content.h"
#include "tests/game/enemy/enemy_fixture.h"
#include "tests/game/enemy/stage1_fixture.h"

namespace {

using enemy_test::EnemyFrameTest;
using enemy_test::TableKind;
using enemy_test::TablePart;

// {t, bullets, shells} of each frame that fired.
using Volley = std::array<i32, 3>;
using Volleys = std::vector<Volley>;

class Stage2PatternsTest : public EnemyFrameTest {
protected:
    void SetUp() override {
        EnemyFrameTest::SetUp();
        g_GameState.StageIndex = 1;
        g_PlayerState[0].x = 300.0f;
        g_PlayerState[0].y = 420.0f;
        g_PlayerState[0].shotLevel = 4;
        g_PlayerState[0].lives = 2;
        DefaultHitShapes[0] = {5, 3, 0};
        DefaultHitShapes[1] = {0, 0, 5};
        DefaultHitShapes[2] = {0, 0, 12};
    }
    // A one-part enemy with the action at (x, y) facing down, after `before`
    // other enemies in the list.
    void Arm(i32 action, f32 x = 300.0f, f32 y = 100.0f, i32 before = 0) {
        ResetPlayLists();
        for (i32 i = 0; i < before; ++i) Build(TableKind({TablePart(0, 0, 0)}, {0}), 300, 100, kHalfPi);
        enemy_ = Build(TableKind({TablePart(201, 0, 0)}, {0}), x, y, kHalfPi);
        part_ = &Part(0);
        part_->action = action;
    }
    // The enemy of the stage's kind, its part at root position `root` armed.
    void ArmKind(i32 kind, i32 root, f32 x = 300.0f, f32 y = 100.0f) {
        ResetPlayLists();
        enemy_ = SpawnEnemyStage2(kind);
        Enemy& e = g_EnemyList[static_cast<std::size_t>(enemy_)];
        e.x = x;
        e.y = y;
        e.rotation = kHalfPi;
        part_ = &g_EnemyPartPool[e.rootParts[root]];
    }
    // The enemy's whole tree stepped once, as RunEnemies steps its roots.
    void StepTree(i32 difficulty) {
        Enemy& e = g_EnemyList[static_cast<std::size_t>(enemy_)];
        for (const i32 root : e.rootParts) {
            if (root < 0) break;
            StepStageParts<RunPartActionStage2>(difficulty, enemy_, &g_EnemyPartPool[root], &e.x, &e.rotation);
        }
    }
    // Steps the tree until the watched part's timer reaches `last`; every
    // frame that fired.
    Volleys Fire(i32 difficulty, i32 last) {
        Volleys out;
        while (part_->timer < last) {
            const std::size_t b = g_EnemyBulletList.size();
            const std::size_t s = g_EnemyShellList.size();
            StepTree(difficulty);
            const i32 nb = static_cast<i32>(g_EnemyBulletList.size() - b);
            const i32 ns = static_cast<i32>(g_EnemyShellList.size() - s);
            if (nb != 0 || ns != 0) out.push_back({part_->timer, nb, ns});
        }
        return out;
    }
    // The timers of the frames that fired.
    std::vector<i32> Times(i32 difficulty, i32 last) {
        std::vector<i32> out;
        for (const Volley& v : Fire(difficulty, last)) out.push_back(v[0]);
        return out;
    }
    Enemy& Owner() { return g_EnemyList[static_cast<std::size_t>(enemy_)]; }
    // The mid-boss's plates (root parts 0 and 1) without their pattern.
    void SilencePlates() {
        for (const i32 r : {0, 1}) g_EnemyPartPool[Owner().rootParts[r]].action = 0;
    }

    i32 enemy_ = 0;
    EnemyPart* part_ = nullptr;
};

// Firing frames and counts of the single-part actions, per difficulty.
TEST_F(Stage2PatternsTest, FiringFramesPerDifficulty) {
    struct Case {
        i32 action, difficulty, last;
        Volleys want;
    };
    const Case cases[] = {
        {201, 0, 300, {{70, 1, 0}, {140, 1, 0}}},
        {201, 1, 300, {{40, 1, 0}, {80, 1, 0}, {120, 1, 0}, {160, 1, 0}}},
        {201, 2, 300, {{30, 1, 0}, {60, 1, 0}, {90, 1, 0}, {120, 1, 0}, {150, 1, 0}, {180, 1, 0}}},
        {205, 0, 150, {{20, 1, 0}, {80, 1, 0}, {140, 1, 0}}},
        {205, 1, 100, {{20, 1, 0}, {30, 1, 0}, {80, 1, 0}, {90, 1, 0}}},
        {205, 2, 100, {{20, 1, 0}, {40, 1, 0}, {80, 1, 0}, {100, 1, 0}}},
        {206, 0, 400, {{180, 1, 0}, {360, 1, 0}}},
        {206, 1, 400, {{30, 1, 0}, {180, 1, 0}, {210, 1, 0}, {360, 1, 0}, {390, 1, 0}}},
        {206, 2, 400, {{180, 1, 0}, {200, 1, 0}, {360, 1, 0}, {380, 1, 0}}},
        {210, 0, 250, {{120, 3, 0}, {240, 3, 0}}},
        {210, 1, 250, {{80, 3, 0}, {160, 3, 0}, {240, 3, 0}}},
        {210, 2, 250, {{70, 5, 0}, {140, 5, 0}, {210, 5, 0}}},
        {211, 0, 170, {{8, 1, 0}, {16, 1, 0}, {150, 1, 0}, {158, 1, 0}, {166, 1, 0}}},
        {211, 1, 110, {{5, 1, 0}, {10, 1, 0}, {15, 1, 0}, {100, 1, 0}, {105, 1, 0}, {110, 1, 0}}},
        {211, 2, 85, {{5, 1, 0}, {10, 1, 0}, {15, 1, 0}, {20, 1, 0}, {80, 1, 0}, {85, 1, 0}}},
        {215, 0, 200, {{100, 12, 0}, {200, 12, 0}}},
        {215, 1, 200, {{80, 20, 0}, {160, 20, 0}}},
        {215, 2, 200, {{70, 28, 0}, {140, 28, 0}}},
        {216, 0, 200, {{150, 1, 0}, {160, 1, 0}, {170, 1, 0}, {180, 1, 0}}},
        {216, 2, 170, {{150, 1, 0}, {155, 1, 0}, {160, 1, 0}, {165, 1, 0}, {170, 1, 0}}},
        {220, 0, 300, {{40, 8, 0}, {150, 0, 3}, {190, 8, 0}, {300, 0, 3}}},
        {220, 1, 240, {{40, 12, 0}, {120, 0, 3}, {160, 12, 0}, {240, 0, 3}}},
        {220, 2, 180, {{60, 16, 0}, {90, 0, 3}, {150, 16, 0}, {180, 0, 3}}},
        {221, 2, 160, {{40, 12, 0}, {80, 0, 3}, {140, 12, 0}, {160, 0, 3}}},
        // clang-format off
        {230, 0, 235, {{201, 1, 0}, {204, 1, 0}, {207, 1, 0}, {210, 1, 0}, {213, 1, 0},
                       {216, 1, 0}, {219, 1, 0}, {222, 1, 0}, {225, 1, 0}, {228, 1, 0}}},
        // clang-format on
        {240, 0, 400, {{150, 7, 0}, {300, 7, 0}}},
        {240, 1, 400, {{150, 11, 0}, {280, 11, 0}}},
        {240, 2, 400, {{150, 15, 0}, {280, 15, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "action " << c.action << " difficulty " << c.difficulty);
        Arm(c.action);
        EXPECT_EQ(Fire(c.difficulty, c.last), c.want);
    }
}

// 205 and 206 fire only from enemies at an even index on EASY and NORMAL, and
// 205 only in the upper field; HARD fires from every enemy.
TEST_F(Stage2PatternsTest, SmallCraftFireFromEvenIndexesInTheUpperField) {
    struct Case {
        i32 difficulty, index;
        f32 y;
        bool fires;
    };
    const Case cases[] = {{0, 1, 100, false}, {0, 2, 100, true},  {1, 3, 100, false},
                          {2, 1, 100, true},  {2, 0, 200, false}, {2, 0, 199, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.difficulty << " index " << c.index << " y " << c.y);
        Arm(205, 300, c.y, c.index);
        EXPECT_EQ(!Fire(c.difficulty, 100).empty(), c.fires);
    }
}

TEST_F(Stage2PatternsTest, GunsTurnEvenOutsideTheFieldButFireOnlyInside) {
    Arm(210, 300, -100);
    part_->angle = 0.5f;
    EXPECT_TRUE(Fire(2, 250).empty());
    EXPECT_NE(part_->angle, 0.5f);  // turned toward the player all the same
    Arm(201, 600, 200);
    EXPECT_TRUE(Fire(2, 300).empty());
}

TEST_F(Stage2PatternsTest, SprayAndScatterShotsAreSpreadByOneDrawEach) {
    struct Case {
        i32 action;
        f32 range;
        i32 kind;
        f32 speed;
    };
    const Case cases[] = {{211, 0.5f, 103, 2.5f}, {216, 0.3f, 101, 2.6f}, {230, 0.6f, 203, 5.0f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.action);
        Arm(c.action);
        Fire(2, 400);
        ASSERT_FALSE(g_EnemyBulletList.empty());
        for (const EnemyBullet& b : g_EnemyBulletList) {
            EXPECT_EQ(b.kind, c.kind);
            EXPECT_FLOAT_EQ(b.speed, c.speed);
        }
    }
    // 211 on HARD draws once per shot and nothing on the frames between.
    Arm(211);
    const u32 start = RandomGetState();
    Fire(2, 4);
    EXPECT_EQ(RandomGetState(), start);
    Fire(2, 5);
    EXPECT_EQ(g_EnemyBulletList.size(), 1u);
    const u32 after = RandomGetState();
    RandomSetState(start);
    RandomFloat(-0.5f, 0.5f);
    EXPECT_EQ(RandomGetState(), after);
}

// 215 rocks its part by 0.1 sin(2 pi (t mod 100) / 100) and fires four arms
// of a fan turning by 2 pi / 6 every 50 frames.
TEST_F(Stage2PatternsTest, TheTriHullCentreRocksAndFiresFourArms) {
    Arm(215);
    Fire(0, 25);
    EXPECT_NEAR(part_->angle, 0.1f, 1e-6);
    EXPECT_EQ(part_->restAngle, part_->angle);
    Fire(0, 100);
    ASSERT_EQ(g_EnemyBulletList.size(), 12u);
    // t 100: (t / 50) mod 6 = 2; arm k, i = -1..1, around A = pi/2 plus the
    // rock written at t 99 (a write shows from the next frame on).
    const f32 a = kHalfPi + 0.1f * std::sin(6.2831855f * 0.99f);
    const f32 first = -3.1415927f / 24.0f + 2.0f * 6.2831855f / 6.0f + a;
    EXPECT_NEAR(g_EnemyBulletList[0].heading, first, 1e-4);
    EXPECT_NEAR(g_EnemyBulletList[3].heading, first + kHalfPi, 1e-4);
    EXPECT_FLOAT_EQ(g_EnemyBulletList[0].speed, 1.5f);
}

// The carriers' rings are faster sideways: speed sqrt(1.44 cos^2 + sin^2),
// HARD's 220 times 1.2; the pods share one aim.
TEST_F(Stage2PatternsTest, CarrierRingsAndPodTriples) {
    Arm(220);
    Fire(0, 40);
    ASSERT_EQ(g_EnemyBulletList.size(), 8u);
    EXPECT_NEAR(g_EnemyBulletList[0].speed, 1.2f, 1e-5);  // heading 0
    EXPECT_NEAR(g_EnemyBulletList[2].speed, 1.0f, 1e-5);  // heading pi/2
    EXPECT_NEAR(g_EnemyBulletList[2].heading, kHalfPi, 1e-5);
    Arm(220);
    Fire(2, 60);
    EXPECT_NEAR(g_EnemyBulletList[0].speed, 1.44f, 1e-5);
    Fire(2, 90);
    ASSERT_EQ(g_EnemyShellList.size(), 3u);
    for (const EnemyShell& s : g_EnemyShellList) {
        EXPECT_EQ(s.kind, 201);
        EXPECT_EQ(s.hp, 30);
        EXPECT_FLOAT_EQ(s.speed, 4.0f);
        EXPECT_EQ(s.heading, g_EnemyShellList[0].heading);
        EXPECT_FLOAT_EQ(s.y, 110.0f);
    }
    EXPECT_FLOAT_EQ(g_EnemyShellList[0].x, 280.0f);
    EXPECT_FLOAT_EQ(g_EnemyShellList[2].x, 320.0f);
    // 221's pods come out of the side that faces the player.
    for (const auto& [px, x] : {std::pair{200.0f, 290.0f}, std::pair{400.0f, 310.0f}}) {
        g_PlayerState[0].x = px;
        Arm(221);
        Fire(1, 80);
        ASSERT_EQ(g_EnemyShellList.size(), 3u);
        EXPECT_FLOAT_EQ(g_EnemyShellList[0].x, x);
        EXPECT_FLOAT_EQ(g_EnemyShellList[0].y, 120.0f);
        EXPECT_FLOAT_EQ(g_EnemyShellList[2].y, 80.0f);
    }
}

// 231, the mid-boss's core: side pods on the first set; with both plates
// gone, more pods and twin streams.
TEST_F(Stage2PatternsTest, TheMidBossCoreFiresMoreOnceItsPlatesAreGone) {
    struct Case {
        i32 difficulty;
        bool platesGone;
        Volleys want;  // t 200 .. 340
    };
    const Case cases[] = {
        {0, false, {{300 + 100, 0, 2}}},
        {1, false, {{400, 0, 2}, {420, 0, 2}}},
        {2, false, {{350, 0, 2}, {370, 0, 2}, {390, 0, 2}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.difficulty);
        ArmKind(6, 2);
        SilencePlates();
        part_->timer = 199;
        EXPECT_EQ(Fire(c.difficulty, 430), c.want);
    }
    ArmKind(6, 2);
    SilencePlates();
    g_EnemyPartPool[Owner().rootParts[0]].state = -1;
    g_EnemyPartPool[Owner().rootParts[1]].state = -1;
    part_->hp = part_->maxHp * 8 / 10;  // not above 0.8: no early end
    part_->timer = 199;
    const Volleys easy = Fire(0, 320);
    // t 200 .. 219, every 4: twin streams; t 200: the second set's pods; t 300 .. 319 again.
    ASSERT_FALSE(easy.empty());
    EXPECT_EQ(easy.front(), (Volley{200, 2, 2}));
    EXPECT_EQ(easy[1], (Volley{204, 2, 0}));
    EXPECT_EQ(easy.size(), 10u);
    EXPECT_EQ(Owner().state, 0);
}

// With both plates shot while the core keeps more than 0.8 of its hit points
// the mid-boss leaves at once with a bonus, once per play of the stage.
TEST_F(Stage2PatternsTest, TheMidBossLeavesEarlyWhenItsCoreIsNearlyWhole) {
    struct Case {
        i32 hp;  // of 3000
        bool flagSet;
        bool leaves;
    };
    const Case cases[] = {{2401, false, true}, {2400, false, false}, {3000, true, false}, {0, false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.hp << (c.flagSet ? " flag set" : ""));
        g_GameState.StoryFlags[kStorySecondStageMidBossLeftEarly] = c.flagSet ? 1 : 0;
        g_PlayerState[0].StageScorePoints = 0;
        g_TalkState.active = 0;
        ArmKind(6, 2);
        g_EnemyPartPool[Owner().rootParts[0]].state = -1;
        g_EnemyPartPool[Owner().rootParts[1]].state = -1;
        part_->hp = c.hp;
        g_EnemyBulletList.resize(5);
        StepTree(1);
        EXPECT_EQ(Owner().state == 282, c.leaves);
        if (!c.leaves) continue;
        EXPECT_EQ(g_GameState.StoryFlags[kStorySecondStageMidBossLeftEarly], 1);
        EXPECT_EQ(g_TalkState.eventId, 216);
        EXPECT_EQ(Owner().active, 0);
        EXPECT_FLOAT_EQ(Owner().speed, 2.0f);
        EXPECT_EQ(part_->action, 0);
        EXPECT_TRUE(g_EnemyBulletList.empty());
        // (m + lives + 10) 300 + m n with five bullets cleared (each clear pays 10 m on its own).
        const i32 m = PlayerScoreMultiplier();
        EXPECT_EQ(g_PlayerState[0].StageScorePoints, (m + 2 + 10) * 300 + m * 5 + 5 * 10 * m);
    }
    // A core whose maximum is 0 never leaves early.
    ArmKind(6, 2);
    g_GameState.StoryFlags[kStorySecondStageMidBossLeftEarly] = 0;
    g_EnemyPartPool[Owner().rootParts[0]].state = -1;
    g_EnemyPartPool[Owner().rootParts[1]].state = -1;
    part_->maxHp = 0;
    StepTree(1);
    EXPECT_NE(Owner().state, 282);
}

// A mid-boss whose root list ends early: the missing plates read as
// destroyed, the missing core as no core (no early end).
TEST_F(Stage2PatternsTest, MissingRootPartsReadAsDestroyed) {
    // A destroyed plate carrying the core: root parts 1 and 2 are missing.
    ResetPlayLists();
    enemy_ = Build(TableKind({TablePart(204, 0, 0, {1}), TablePart(203, 0, 0)}, {0}), 300, 100, kHalfPi);
    Part(0).state = -1;
    part_ = &Part(1);
    part_->action = 231;
    part_->timer = 199;
    const Volleys v = Fire(2, 204);
    ASSERT_FALSE(v.empty());
    EXPECT_EQ(v.front(), (Volley{200, 2, 2}));  // the twin streams and pods of a plate-less core
    EXPECT_NE(Owner().state, 282);
}

// ---- The boss's parts ----

TEST_F(Stage2PatternsTest, BossPartsFiringFramesPerDifficulty) {
    struct Case {
        i32 action, difficulty, first, last;
        Volleys want;
    };
    const Case cases[] = {
        {280, 0, 0, 250, {{120, 0, 1}, {240, 0, 1}}},
        {280, 2, 0, 170, {{80, 0, 1}, {160, 0, 1}}},
        {281, 0, 0, 400, {{80, 5, 0}, {160, 5, 0}, {240, 5, 0}, {400, 5, 0}}},  // 320: (t / p) mod 5 = 4
        {282, 2, 0, 130, {{80, 9, 0}, {120, 9, 0}}},
        // clang-format off
        {290, 2, 300, 660,
         {{370, 0, 1}, {374, 0, 1}, {378, 0, 1}, {382, 0, 1}, {386, 0, 1}, {460, 0, 1}, {550, 0, 1}, {640, 0, 1}}},
        // clang-format on
        {291, 0, 0, 560, {{370, 0, 1}, {550, 0, 1}}},
        {293, 0, 0, 510, {{500, 0, 8}}},
        {293, 1, 0, 610, {{400, 0, 8}, {600, 0, 8}}},
        {293, 2, 0, 410, {{400, 0, 12}}},
        {283, 2, 0, 400, {}},
        {254, 2, 0, 400, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "action " << c.action << " difficulty " << c.difficulty);
        Arm(c.action, 300, 150);
        part_->timer = c.first;
        EXPECT_EQ(Fire(c.difficulty, c.last), c.want);
    }
}

// 292's turning orb stars and swaying fans; its talk 222 is asked for on
// every star while the talk's flag is clear.
TEST_F(Stage2PatternsTest, FinalFormCoreStarsAndFans) {
    Arm(292, 300, 150);
    part_->timer = 300;
    i32 bullets = 0;
    i32 shells = 0;
    for (const Volley& v : Fire(0, 530)) {
        bullets += v[1];
        shells += v[2];
    }
    EXPECT_EQ(bullets, 6 * 10);  // 320 .. 520, two fans of five
    EXPECT_EQ(shells, 4 * 5);    // 504, 512, 520, 528
    EXPECT_EQ(g_TalkState.eventId, 222);
}

// 295's bursts come from points to either side; the exactly aimed volley
// (t mod 300 = 150) never falls in EASY's window but does on NORMAL (t 1350).
TEST_F(Stage2PatternsTest, SideBurstsDrawTheirOriginAndSpread) {
    Arm(295, 300, 150);
    EXPECT_EQ(Fire(0, 300).size(), 20u);  // 200, 205, .. 295
    struct Case {
        i32 difficulty, t, draws;
    };
    const Case cases[] = {{1, 1350, 1}, {1, 1356, 2}, {1, 1353, 2}, {2, 750, 5}, {2, 1552, 6}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.difficulty << " t " << c.t);
        Arm(295, 300, 150);
        part_->timer = c.t - 1;
        const u32 seed = RandomGetState();
        ASSERT_EQ(Fire(c.difficulty, c.t), (Volleys{{c.t, 4, 0}}));
        EXPECT_EQ(stage1_test::DrawsSince(seed), c.draws);
    }
}

// The rings and pods of phase 2 and 3 go by the boss's age.
TEST_F(Stage2PatternsTest, PhaseTwoAndThreePartsFireByTheBossAge) {
    struct Case {
        i32 action, difficulty, age;
        i32 bullets, shells;
    };
    const Case cases[] = {
        {285, 0, 1200, 24, 0},  {285, 0, 1250, 0, 0}, {285, 1, 1250, 24, 0}, {286, 2, 3200, 32, 0},
        {286, 2, 3280, 24, 0},  {285, 2, 5200, 0, 0}, {287, 0, 1150, 0, 6},  {287, 1, 2150, 0, 8},
        {287, 2, 4150, 0, 12},  {287, 2, 5150, 0, 0}, {288, 0, 1020, 0, 1},  {288, 0, 1030, 0, 0},
        {288, 1, 1015, 0, 1},   {288, 0, 1200, 0, 0}, {288, 0, 1050, 38, 0}, {288, 1, 2050, 50, 0},
        {288, 2, 1050, 124, 1}, {288, 2, 3050, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "action " << c.action << " difficulty " << c.difficulty << " age " << c.age);
        Arm(c.action, 300, 150);
        Owner().age = c.age;
        const Volleys v = Fire(c.difficulty, 1);
        const Volley got = v.empty() ? Volley{1, 0, 0} : v[0];
        EXPECT_EQ(got[1], c.bullets);
        EXPECT_EQ(got[2], c.shells);
    }
    // HARD's wave fans: each i starts from A + i h, the later speeds turned by
    // a further draw each.
    Arm(288, 300, 150);
    Owner().age = 1050;
    Fire(2, 1);
    ASSERT_EQ(g_EnemyBulletList.size(), 124u);
    for (i32 i = -15; i <= 15; ++i) {
        const std::size_t first = static_cast<std::size_t>((i + 15) * 4);
        EXPECT_NEAR(g_EnemyBulletList[first].heading, kHalfPi + static_cast<f32>(i) * 3.1415927f / 28.0f, 1e-5);
        EXPECT_FLOAT_EQ(g_EnemyBulletList[first + 1].speed, 3.9999998f);
        EXPECT_NEAR(g_EnemyBulletList[first + 3].heading, g_EnemyBulletList[first].heading, 0.3f + 1e-5);
    }
}

// 289's period shortens as the guns 7-10 fall: p = 50 c + 60 on EASY, with c
// at least 1 while root part 4 stands.
TEST_F(Stage2PatternsTest, TheFinalFormCoreFiresFasterAsItsGunsFall) {
    struct Case {
        std::initializer_list<i32> shot;
        i32 first;  // first firing timer from 501 on
    };
    const Case cases[] = {{{}, 520}, {{7, 8}, 640}, {{7, 8, 9, 10}, 550}, {{4, 7, 8, 9, 10}, 540}};
    for (const Case& c : cases) {
        ArmKind(102, 1, 320, 150);
        part_->action = 289;
        for (const i32 r : {0, 2, 3, 4, 5, 6, 7, 8, 9, 10}) g_EnemyPartPool[Owner().rootParts[r]].action = 0;
        for (const i32 r : c.shot) g_EnemyPartPool[Owner().rootParts[r]].state = -1;
        part_->timer = 500;
        const Volleys v = Fire(0, 700);
        ASSERT_FALSE(v.empty());
        EXPECT_EQ(v[0][0], c.first);
        EXPECT_EQ(v[0][1], 19 * 2);
    }
}

TEST_F(Stage2PatternsTest, ArmsSwingAndGunsTurnWithinAThirdOfPi) {
    Arm(283, 300, 150);
    Fire(0, 45);  // t 45: s = sin(2 pi 90 / 360) = 1
    const f32 a = -0.4f - 0.1f - kHalfPi;
    EXPECT_NEAR(part_->offsetX, 100.0f * std::cos(a) - 50.0f, 1e-4);
    EXPECT_NEAR(part_->offsetY, 50.0f * std::sin(a) - 45.0f, 1e-4);
    EXPECT_NEAR(part_->angle, a + kHalfPi, 1e-5);
    Arm(284, 300, 150);
    Fire(0, 45);
    const f32 b = 0.4f + kHalfPi + 0.1f;
    EXPECT_NEAR(part_->offsetY, 50.0f * std::sin(b) + 45.0f, 1e-4);
    EXPECT_NEAR(part_->angle, b - kHalfPi, 1e-5);
    // A gun turning toward a player far to its side stops at pi/3.
    g_PlayerState[0].x = 2000.0f;
    g_PlayerState[0].y = 150.0f;
    Arm(290, 300, 150);
    Fire(0, 300);
    EXPECT_FLOAT_EQ(part_->angle, -1.0471976f);
    EXPECT_EQ(part_->spriteKind, 259);
}

TEST_F(Stage2PatternsTest, AGunThatArrivesWithABlastJumpsItsTimer) {
    Arm(261, 300, 150);
    const std::size_t effects = g_EffectList.size();
    const u32 seed = RandomGetState();
    Fire(0, 1);
    EXPECT_EQ(part_->timer, 30);
    EXPECT_EQ(g_EffectList.size() - effects, 5u);
    EXPECT_EQ(g_EffectList.back().age, -8);
    RandomSetState(seed);
    for (i32 k = 0; k < 15; ++k) RandomNext();
    const u32 afterFifteen = RandomGetState();
    RandomSetState(seed);
    Arm(261, 300, 150);
    Fire(0, 1);
    EXPECT_EQ(RandomGetState(), afterFifteen);
}

// 270 rebuilds a destroyed child for 300 of its hit points, only while out of
// the field in the boss's states 255 and 256.
TEST_F(Stage2PatternsTest, AnArmRebuildsItsGunsOutOfTheField) {
    struct Case {
        i32 state, hp;
        f32 y;
        i32 rebuilt, hpAfter;
    };
    // clang-format off
    const Case cases[] = {{255, 1000, -100, 2, 400}, {256, 500, -100, 1, 200}, {255, 300, -100, 0, 300},
                          {255, 1000, 200, 0, 1000}, {291, 1000, -100, 0, 1000}};
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.state << " " << c.hp << " y " << c.y);
        ResetPlayLists();
        g_GameState.StoryFlags[kStoryBossArmRebuilt] = 0;
        enemy_ = Build(TableKind({TablePart(211, 0, 0), TablePart(211, 0, 0), TablePart(255, 0, 0, {0, 1})}, {2}), 300,
                       c.y, kHalfPi);
        part_ = &Part(2);
        part_->action = 270;
        part_->hp = c.hp;
        Part(0).state = -1;
        Part(1).state = -1;
        Owner().state = c.state;
        StepTree(0);
        EXPECT_EQ((Part(0).state == 1 ? 1 : 0) + (Part(1).state == 1 ? 1 : 0), c.rebuilt);
        EXPECT_EQ(part_->hp, c.hpAfter);
        EXPECT_EQ(g_GameState.StoryFlags[kStoryBossArmRebuilt], c.rebuilt > 0 ? 1 : 0);
        if (c.rebuilt > 0) {
            EXPECT_EQ(Part(0).action, 260);
        }
    }
}

// 276 (the core): hittable once root part 2 and root part 1's children 2 and
// 3 are gone (children the boss does not have read as gone); the boss sinks
// once root part 0 is gone too.
TEST_F(Stage2PatternsTest, TheCoreOpensAndSinksTheBossWhenItsCoverIsGone) {
    ArmKind(102, 1, 320, 150);
    for (const i32 r : {0, 2, 3, 4, 5, 6, 7, 8, 9, 10}) g_EnemyPartPool[Owner().rootParts[r]].action = 0;
    part_->action = 276;
    Owner().state = 293;
    part_->timer = 40;
    StepTree(0);
    EXPECT_EQ(part_->hitShape.radius, 0.0f);
    EXPECT_EQ(part_->timer, 0);
    g_EnemyPartPool[Owner().rootParts[2]].state = -1;
    StepTree(0);
    EXPECT_EQ(part_->hitShape.radius, 40.0f);
    EXPECT_EQ(Owner().state, 293);
    g_EnemyPartPool[Owner().rootParts[0]].state = -1;
    StepTree(0);
    EXPECT_EQ(Owner().state, 298);
    EXPECT_EQ(Owner().age, 0);
}

}  // namespace
