#include <gtest/gtest.h>

#include <vector>

#include "engine/core/radians.h"
#include "game/play/effects.h"
#include "game/play/enemy_shells.h"
#include "game/shell/game_math.h"
#include "tests/game/play/enemyrt_fixture.h"

namespace {

using enemyrt_test::PlayFixture;

class EnemyShellTest : public PlayFixture {
protected:
    static i32 Fire(i32 kind, f32 x, f32 y, f32 speed = 0.0f, f32 heading = 0.0f, i32 hp = 50) {
        const f32 pos[2] = {x, y};
        return FireEnemyShell(kind, hp, speed, 3, HitShape{0, 0, 8}, heading, heading, pos);
    }
};

TEST_F(EnemyShellTest, PushHelpersSetOneOrTwoShapes) {
    const f32 pos[2] = {10, 20};
    const i32 i = FireEnemyShell(104, 30, 2.5f, 4, HitShape{12, 10, 0}, 1.0f, 0.5f, pos, 3);
    const EnemyShell& s = g_EnemyShellList[static_cast<std::size_t>(i)];
    EXPECT_EQ(s.hitShape.halfWidth, 12.0f);
    EXPECT_EQ(s.playerHitShape.halfWidth, 12.0f);
    EXPECT_EQ(s.playerHitShape.halfHeight, 10.0f);
    EXPECT_EQ(s.hp, 30);
    EXPECT_EQ(s.strength, 4);
    EXPECT_EQ(s.age, 3);
    EXPECT_EQ(s.angle, 1.0f);
    EXPECT_EQ(s.heading, 0.5f);
    EXPECT_EQ(s.unused0, 0);
    EnemyShell two;
    two.hitShape = HitShape{12, 10, 0};
    two.playerHitShape = HitShape{0, 0, 5};
    EXPECT_EQ(PushEnemyShellShapes(two), 1);
    EXPECT_EQ(g_EnemyShellList[1].playerHitShape.radius, 5.0f);
    EXPECT_EQ(g_EnemyShellList[1].playerHitShape.halfWidth, 0.0f);
}

TEST_F(EnemyShellTest, ShellsAgeAndLeaveByTheirKindsRules) {
    Fire(104, 735, 200, 2.0f, 0.0f);  // leaves through the right side of the margin
    Fire(999, 0, 0);                  // a kind without a step is only aged
    UpdateEnemyShells();
    ASSERT_EQ(g_EnemyShellList.size(), 2u);
    EXPECT_EQ(g_EnemyShellList[0].x, 737.0f);
    EXPECT_EQ(g_EnemyShellList[0].age, 1);
    UpdateEnemyShells();
    UpdateEnemyShells();
    ASSERT_EQ(g_EnemyShellList.size(), 1u);
    EXPECT_EQ(g_EnemyShellList[0].kind, 999);
    EXPECT_EQ(g_EnemyShellList[0].age, 3);
    // Kind 101 runs out of age after 501 updates.
    g_EnemyShellList.clear();
    Fire(101, 300, 200);
    int n = 0;
    while (!g_EnemyShellList.empty() && n < 1000) {
        g_EnemyShellList[0].x = 300;  // keep it on the field
        g_EnemyShellList[0].y = 200;
        UpdateEnemyShells();
        ++n;
    }
    EXPECT_EQ(n, 502);
}

TEST_F(EnemyShellTest, DestroyingAMineLeavesAnInvisibleExplosionCluster) {
    Fire(551, 300, 200);
    DestroyEnemyShell(0);
    EXPECT_TRUE(Played(14));
    ASSERT_EQ(g_EnemyShellList.size(), 2u);  // the caller erases the mine
    g_EnemyShellList.erase(g_EnemyShellList.begin());
    EXPECT_EQ(g_EnemyShellList[0].kind, 552);
    EXPECT_EQ(g_EnemyShellList[0].hp, 1000);
    PlayQuadList q;
    CollectEnemyShellQuads(q);
    EXPECT_TRUE(q.empty());
    g_EffectList.clear();
    std::vector<i32> blastAges;
    int updates = 0;
    while (!g_EnemyShellList.empty() && updates < 50) {
        const i32 age = g_EnemyShellList[0].age;
        const std::size_t before = g_EffectList.size();
        UpdateEnemyShells();
        if (g_EffectList.size() > before) blastAges.push_back(age);
        ++updates;
    }
    EXPECT_EQ(blastAges, (std::vector<i32>{0, 5, 10, 15, 20}));
    EXPECT_EQ(updates, 22);
    EXPECT_EQ(CountEffects(23), 5);
}

TEST_F(EnemyShellTest, DestroyEffectsByKindAndTwiceMeansTwice) {
    Fire(1200, 300, 200);
    DestroyEnemyShell(0);
    EXPECT_EQ(CountEffects(10), 11);
    int layerOne = 0;
    for (const Effect& e : g_EffectList)
        if (e.layer == 1) ++layerOne;
    EXPECT_EQ(layerOne, 10);
    EXPECT_EQ(g_EffectList.back().age, -18);
    g_EffectList.clear();
    g_EnemyShellList[0].kind = 903;
    DestroyEnemyShell(0);
    DestroyEnemyShell(0);
    EXPECT_EQ(CountEffects(10), 2);
    EXPECT_EQ(CountEffects(23), 2);
    EXPECT_EQ(g_EnemyShellList.size(), 1u);
    DestroyEnemyShell(7);  // no such shell
}

TEST_F(EnemyShellTest, DebrisWhenAShellStrikesThePlayer) {
    struct Case {
        i32 kind;
        int explosions;
        int blasts;
    };
    const Case cases[] = {{104, 6, 0}, {105, 6, 0}, {380, 6, 0}, {480, 6, 0}, {903, 0, 1}, {101, 0, 0}};
    for (const Case& c : cases) {
        Clean();
        Fire(c.kind, 300, 200);
        SpawnShellDeathEffects(0);
        EXPECT_EQ(CountEffects(10), c.explosions) << c.kind;
        EXPECT_EQ(CountEffects(23), c.blasts) << c.kind;
        EXPECT_FALSE(Played(14));
    }
}

TEST_F(EnemyShellTest, ABombMadeStillBurstsInItsFirstUpdate) {
    const std::pair<i32, int> cases[] = {{kDifficultyEasy, 6}, {kDifficultyNormal, 8}, {kDifficultyHard, 12}};
    for (const auto& [difficulty, pieces] : cases) {
        Clean();
        g_GameState.Difficulty = difficulty;
        Fire(1200, 300, 200);
        UpdateEnemyShells();
        ASSERT_EQ(static_cast<int>(g_EnemyShellList.size()), pieces);
        for (int k = 0; k < pieces; ++k) {
            const EnemyShell& s = g_EnemyShellList[static_cast<std::size_t>(k)];
            EXPECT_EQ(s.kind, 1201);
            EXPECT_EQ(s.hitShape.halfWidth, 12.0f);
            EXPECT_EQ(s.playerHitShape.radius, 5.0f);
            EXPECT_EQ(s.hp, 50);
            EXPECT_EQ(s.strength, 1);
            EXPECT_EQ(s.age, 1);  // stepped and aged in the same pass
        }
        EXPECT_TRUE(Played(1));
    }
}

TEST_F(EnemyShellTest, ASpinningMineRingTurnsByItsIndexParity) {
    g_GameState.Difficulty = kDifficultyNormal;
    g_GameState.FrameCounter = 100;  // the ring sound is spaced by 4 frames
    Fire(380, 300, 100);
    Fire(380, 300, 100);
    g_EnemyShellList[0].age = 100;
    g_EnemyShellList[1].age = 100;
    UpdateEnemyShells();
    ASSERT_EQ(g_EnemyBulletList.size(), 24u);
    EXPECT_FLOAT_EQ(g_EnemyBulletList[0].heading, 1.2f);
    EXPECT_FLOAT_EQ(g_EnemyBulletList[12].heading, -1.2f);
    EXPECT_EQ(g_EnemyBulletList[0].kind, 101);
    EXPECT_EQ(g_EnemyBulletList[0].speed, 1.5f);
    EXPECT_EQ(g_EnemyBulletList[0].hitShape.halfWidth, 5.0f);
    EXPECT_FLOAT_EQ(g_EnemyBulletList[0].x, 340.0f);
    EXPECT_TRUE(Played(15));
}

TEST_F(EnemyShellTest, KindStepsOverFrames) {
    // 410 switches to its second phase by age 1000 and is aged from there.
    Fire(410, 300, 100, 1.95f, 0.0f);
    UpdateEnemyShells();
    EXPECT_EQ(g_EnemyShellList[0].age, 1001);
    // 490 turns only while slower than 5.
    g_EnemyShellList.clear();
    Fire(490, 300, 100, 4.99f, 0.0f);
    UpdateEnemyShells();
    EXPECT_FLOAT_EQ(g_EnemyShellList[0].heading, 0.025f);
    const f32 heading = g_EnemyShellList[0].heading;
    UpdateEnemyShells();
    EXPECT_EQ(g_EnemyShellList[0].heading, heading);
    // 903 on EASY: 0.2 per update while the speed is 0 or below, then 0.1.
    g_EnemyShellList.clear();
    g_GameState.Difficulty = kDifficultyEasy;
    Fire(903, 300, 100, -0.2f, 0.0f);
    UpdateEnemyShells();
    EXPECT_FLOAT_EQ(g_EnemyShellList[0].speed, 0.0f);
    UpdateEnemyShells();
    EXPECT_FLOAT_EQ(g_EnemyShellList[0].speed, 0.2f);
    UpdateEnemyShells();
    EXPECT_FLOAT_EQ(g_EnemyShellList[0].speed, 0.3f);
    // 390 hops: its vertical speed drops by 7 once above 6.
    g_EnemyShellList.clear();
    Fire(390, 300, 100, 6.0f, 0.5f);
    UpdateEnemyShells();
    EXPECT_FLOAT_EQ(g_EnemyShellList[0].speed, -0.9f);
    EXPECT_FLOAT_EQ(g_EnemyShellList[0].x, 300.5f);
    EXPECT_FLOAT_EQ(g_EnemyShellList[0].y, 106.0f);
}

TEST_F(EnemyShellTest, AWarheadSplitsOnlyWhenItFallsOutAtTheBottom) {
    Fire(483, 300, 479, 2.0f, kPi / 2);
    UpdateEnemyShells();
    ASSERT_EQ(g_EnemyShellList.size(), 2u);
    EXPECT_EQ(g_EnemyShellList[0].kind, 481);
    EXPECT_EQ(g_EnemyShellList[0].hp, 30);
    EXPECT_EQ(g_EnemyShellList[0].strength, 3);
    EXPECT_EQ(g_EnemyShellList[0].speed, 4.0f + 0.1f);
    EXPECT_EQ(g_EnemyShellList[1].heading, kPi);
    // The halves were stepped in the same pass: ages 2 and 4 plus one.
    EXPECT_EQ(g_EnemyShellList[0].age, 3);
    EXPECT_EQ(g_EnemyShellList[1].age, 5);
    g_EnemyShellList.clear();
    Fire(483, 739, 200, 2.0f, 0.0f);
    UpdateEnemyShells();
    EXPECT_TRUE(g_EnemyShellList.empty());
}

TEST_F(EnemyShellTest, LooksByKind) {
    Fire(101, 300, 200);
    Fire(103, 300, 200);
    Fire(510, 300, 200);
    g_GameState.FieldScrollX = 10;
    PlayQuadList q;
    CollectEnemyShellQuads(q);
    ASSERT_EQ(q.size(), 5u);
    // The rocket: flame 30 behind the body, then the body.
    EXPECT_EQ(q[0].destination.left, 310 - 30 - 15);
    EXPECT_EQ(q[0].source.left, 90);
    EXPECT_EQ(q[1].destination.left, 310 - 20);
    EXPECT_EQ(q[1].source.left, 160);
    EXPECT_TRUE(q[1].rotated);
    EXPECT_EQ(q[2].source.left, 240);
    EXPECT_EQ(q[3].sheet, kSheetEnemy3);
    EXPECT_EQ(q[4].source.left, 430);
}

}  // namespace
