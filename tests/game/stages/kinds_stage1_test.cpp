// The enemy kinds of stage index 0 as SpawnEnemyStage1 builds them.
#include <vector>

#include "game/stages/stage_content.h"
#include "tests/game/enemy/enemy_fixture.h"

namespace {

using enemy_test::EnemyFrameTest;

class Stage1KindsTest : public EnemyFrameTest {
protected:
    const Enemy& E(i32 e) const { return g_EnemyList[static_cast<std::size_t>(e)]; }
    const EnemyPart& P(i32 slot) const { return g_EnemyPartPool[slot]; }
};

TEST_F(Stage1KindsTest, SinglePartKindsCarryTheirPictureHitPointsPatternAndIds) {
    struct Case {
        i32 kind, sprite, hp;
        HitShape shape;
        i32 action, coin, score, spawnId;
        f32 speed;
    };
    const Case cases[] = {
        {1, 105, 200, {10, 40, 20}, 101, 3, 100, 0, 2},  {2, 106, 2200, {20, 40, 30}, 106, 12, 400, 110, 0},
        {11, 121, 50, {10, 25, 0}, 0, 1, 50, 120, 2},    {12, 121, 50, {10, 25, 0}, 102, 1, 50, 120, 2},
        {61, 101, 200, {20, 40, 30}, 141, 4, 150, 0, 2}, {62, 141, 500, {20, 40, 30}, 144, 5, 300, 0, 2},
        {63, 141, 800, {20, 40, 30}, 144, 5, 300, 0, 2}, {64, 141, 800, {20, 40, 30}, 0, 5, 150, 0, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        ResetPlayLists();
        const i32 e = SpawnEnemyStage1(c.kind);
        ASSERT_EQ(e, 0);
        EXPECT_EQ(E(e).spawnId, c.spawnId);
        EXPECT_FLOAT_EQ(E(e).speed, c.speed);
        EXPECT_EQ(E(e).corePart, 0);
        EXPECT_EQ(E(e).active, 1);
        EXPECT_EQ(E(e).state, 0);
        EXPECT_FLOAT_EQ(E(e).heading, 1.5707964f);
        EXPECT_EQ(E(e).rootParts[1], kNoPart);
        const EnemyPart& p = P(E(e).rootParts[0]);
        EXPECT_EQ(p.state, 1);
        EXPECT_EQ(p.spriteKind, c.sprite);
        EXPECT_EQ(p.hp, c.hp);
        EXPECT_EQ(p.maxHp, c.hp);
        EXPECT_FLOAT_EQ(p.hitShape.halfWidth, c.shape.halfWidth);
        EXPECT_FLOAT_EQ(p.hitShape.halfHeight, c.shape.halfHeight);
        EXPECT_FLOAT_EQ(p.hitShape.radius, c.shape.radius);
        EXPECT_EQ(p.action, c.action);
        EXPECT_EQ(p.coinValue, c.coin);
        EXPECT_EQ(p.scoreValue, c.score);
        EXPECT_EQ(p.children[0], kNoPart);
    }
}

TEST_F(Stage1KindsTest, TurretedKindsHangTheirGunsFromTheHull) {
    struct Case {
        i32 kind, spawnId, core;
        std::vector<i32> rootSprites;
        i32 hullRoot, hullSprite;
        std::vector<f32> childOffsets;  // x, y of children 0 and 1
        i32 childAction;
    };
    const Case cases[] = {
        {51, 1051, 0, {110}, 0, 110, {20, -60, 20, 60}, 131},
        {52, 111, 2, {111, 111, 112}, 2, 112, {10, -70, 10, 70}, 133},
        {71, 1071, 0, {102}, 0, 102, {0, -48, 0, 48}, 143},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        ResetPlayLists();
        const i32 e = SpawnEnemyStage1(c.kind);
        ASSERT_EQ(e, 0);
        EXPECT_EQ(E(e).spawnId, c.spawnId);
        EXPECT_EQ(E(e).corePart, c.core);
        for (std::size_t r = 0; r < c.rootSprites.size(); ++r) {
            EXPECT_EQ(P(E(e).rootParts[r]).spriteKind, c.rootSprites[r]) << r;
        }
        EXPECT_EQ(E(e).rootParts[c.rootSprites.size()], kNoPart);
        const EnemyPart& hull = P(E(e).rootParts[c.hullRoot]);
        EXPECT_EQ(hull.spriteKind, c.hullSprite);
        for (int i = 0; i < 2; ++i) {
            const EnemyPart& gun = P(hull.children[i]);
            EXPECT_FLOAT_EQ(gun.offsetX, c.childOffsets[2 * i]);
            EXPECT_FLOAT_EQ(gun.offsetY, c.childOffsets[2 * i + 1]);
            EXPECT_EQ(gun.action, c.childAction);
        }
        EXPECT_EQ(hull.children[2], kNoPart);
    }
    // Kind 52's free turrets sit at (35, -+50).
    ResetPlayLists();
    const i32 e = SpawnEnemyStage1(52);
    EXPECT_FLOAT_EQ(P(E(e).rootParts[0]).offsetY, -50.0f);
    EXPECT_FLOAT_EQ(P(E(e).rootParts[1]).offsetX, 35.0f);
    EXPECT_EQ(P(E(e).rootParts[2]).hp, 3500);
}

TEST_F(Stage1KindsTest, TheBossGoesToTheFrontAndOthersToTheBack) {
    EXPECT_EQ(SpawnEnemyStage1(1), 0);
    EXPECT_EQ(SpawnEnemyStage1(61), 1);
    EXPECT_EQ(SpawnEnemyStage1(102), 0);
    EXPECT_EQ(g_EnemyList[0].spawnId, 150);
    EXPECT_EQ(g_EnemyList[1].spawnId, 0);
    EXPECT_EQ(SpawnEnemyStage1(11), 3);
    EXPECT_EQ(CountFreePartSlots(), kEnemyPartPoolSize - 21);
}

TEST_F(Stage1KindsTest, UnknownKindsBuildNothing) {
    SpawnEnemyStage1(1);
    for (const i32 kind : {0, 3, 13, 50, 53, 65, 72, 101, 103}) {
        EXPECT_EQ(SpawnEnemyStage1(kind), -1) << kind;
    }
    EXPECT_EQ(g_EnemyList.size(), 1u);
    EXPECT_EQ(CountFreePartSlots(), kEnemyPartPoolSize - 1);
}

TEST_F(Stage1KindsTest, ABossThatDoesNotFitIntoThePoolIsRefused) {
    while (CountFreePartSlots() >= 18) ASSERT_GE(SpawnEnemyStage1(71), 0);
    const std::size_t size = g_EnemyList.size();
    EXPECT_EQ(SpawnEnemyStage1(102), -1);
    EXPECT_EQ(g_EnemyList.size(), size);
}

}  // namespace
