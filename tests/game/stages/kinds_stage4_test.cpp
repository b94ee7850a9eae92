// The enemy kinds of stage index 3 as SpawnEnemyStage4 builds them.
#include <vector>

#include "game/stages/stage_content.h"
#include "tests/game/enemy/enemy_fixture.h"

namespace {

using enemy_test::EnemyFrameTest;

class Stage4KindsTest : public EnemyFrameTest {
protected:
    const Enemy& E(i32 e) const { return g_EnemyList[static_cast<std::size_t>(e)]; }
    const EnemyPart& P(i32 slot) const { return g_EnemyPartPool[slot]; }
    const EnemyPart& Root(i32 e, i32 r) const { return P(E(e).rootParts[r]); }
};

// What every kind's record says, and the root parts in root order.
TEST_F(Stage4KindsTest, EachKindBuildsItsRootsInTheirOrderWithItsRecord) {
    struct RootRow {
        i32 sprite, hp;
        HitShape shape;
        f32 x, y;
        i32 action, coin, score;
        f32 gaugeX, gaugeY;
    };
    struct Case {
        i32 kind, spawnId, core, armoured;
        f32 scale;
        bool front;
        std::vector<RootRow> roots;
    };
    const HitShape craft{15, 45, 20};
    // clang-format off
    const Case cases[] = {
        {1, 580, -1, 1, 1.0f, false,
         {{505, 2100, {25, 30, 0}, 0, -32, 0, 8, 200, 0, 0},
          {506, 2100, {25, 30, 0}, 0, 32, 0, 8, 200, 0, 0},
          {502, 3800, {40, 25, 30}, 0, 0, 0, 20, 500, 0, 0},
          {503, 2100, {25, 30, 0}, 0, -35, 0, 8, 200, 0, 0},
          {504, 2100, {25, 30, 0}, 0, 35, 0, 8, 200, 0, 0}}},
        {2, 0, 0, 0, 1.0f, false, {{530, 250, craft, 0, 0, 510, 4, 100, 0, 0}}},
        {3, 0, 0, 0, 1.0f, false, {{530, 250, craft, 0, 0, 511, 4, 100, 0, 0}}},
        {5, 507, 4, 0, 1.0f, true,
         {{533, 800, {25, 25, 0}, -25, -50, 501, 4, 150, 0, 0},
          {533, 800, {25, 25, 0}, -25, 50, 501, 4, 150, 0, 0},
          {533, 800, {25, 25, 0}, 53, -50, 501, 4, 150, 0, 0},
          {533, 800, {25, 25, 0}, 53, 50, 501, 4, 150, 0, 0},
          {532, 1200, {15, 80, 30}, -40, 0, 502, 8, 300, 0, 0},
          {531, 900, {20, 80, 30}, 30, 0, 0, 7, 300, 0, 0}}},
        {6, 506, 0, 0, 0.85f, true,
         {{535, 1200, {45, 20, 0}, 0, 0, 516, 5, 100, 0, 0}, {536, 800, {30, 85, 0}, -20, 0, 515, 7, 200, 0, 0}}},
        {8, 0, 0, 0, 1.0f, false, {{529, 300, craft, 0, 0, 0, 3, 100, 0, 0}}},
        {9, 0, 0, 0, 1.0f, false, {{507, 300, craft, 0, 0, 0, 3, 100, 0, 0}}},
        {10, 510, 2, 0, 1.0f, true,
         {{511, 800, {30, 50, 0}, -43, 0, 521, 4, 200, -20, 0},
          {512, 800, {30, 50, 0}, 43, 0, 520, 4, 200, 20, 0},
          {510, 1200, {30, 80, 0}, 0, 0, 525, 5, 400, 0, 20}}},
        {11, 511, 2, 0, 1.0f, false,
         {{515, 800, {30, 50, 0}, 43, 0, 520, 5, 500, 20, 0},
          {514, 800, {30, 50, 0}, -43, 0, 521, 4, 200, -20, 0},
          {513, 1000, {30, 80, 0}, 0, 0, 0, 5, 400, 0, 20}}},  // EASY: the core carries no action
        {12, 512, 1, 0, 1.0f, true,
         {{517, 1200, {60, 65, 0}, 0, 10, 522, 4, 300, 0, 15}, {516, 1700, {90, 40, 0}, 0, 0, 525, 5, 500, 0, 0}}},
        {13, 513, 1, 0, 1.0f, true,
         {{519, 1200, {60, 65, 0}, 0, 10, 522, 4, 300, 0, 15}, {518, 1700, {90, 40, 0}, 0, 0, 525, 5, 500, 0, 0}}},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        ResetPlayLists();
        SpawnEnemyStage4(2);  // one enemy ahead: a front kind goes before it
        const i32 e = SpawnEnemyStage4(c.kind);
        ASSERT_EQ(e, c.front ? 0 : 1);
        EXPECT_EQ(E(e).spawnId, c.spawnId);
        EXPECT_EQ(E(e).corePart, c.core);
        EXPECT_EQ(E(e).armoured, c.armoured);
        EXPECT_EQ(E(e).active, 1);
        EXPECT_EQ(E(e).state, 0);
        EXPECT_EQ(E(e).layer, 0);
        EXPECT_FLOAT_EQ(E(e).speed, 1.0f);
        EXPECT_FLOAT_EQ(E(e).heading, 1.5707964f);
        EXPECT_FLOAT_EQ(E(e).rotation, 1.5707964f);
        EXPECT_FLOAT_EQ(E(e).scale, c.scale);
        EXPECT_EQ(E(e).rootParts[c.roots.size()], kNoPart);
        for (std::size_t r = 0; r < c.roots.size(); ++r) {
            SCOPED_TRACE(r);
            const RootRow& w = c.roots[r];
            const EnemyPart& p = Root(e, static_cast<i32>(r));
            EXPECT_EQ(p.state, 1);
            EXPECT_EQ(p.spriteKind, w.sprite);
            EXPECT_EQ(p.hp, w.hp);
            EXPECT_EQ(p.maxHp, w.hp);
            EXPECT_FLOAT_EQ(p.hitShape.halfWidth, w.shape.halfWidth);
            EXPECT_FLOAT_EQ(p.hitShape.halfHeight, w.shape.halfHeight);
            EXPECT_FLOAT_EQ(p.hitShape.radius, w.shape.radius);
            EXPECT_FLOAT_EQ(p.offsetX, w.x);
            EXPECT_FLOAT_EQ(p.offsetY, w.y);
            EXPECT_EQ(p.action, w.action);
            EXPECT_EQ(p.coinValue, w.coin);
            EXPECT_EQ(p.scoreValue, w.score);
            EXPECT_FLOAT_EQ(p.gaugeOffsetX, w.gaugeX);
            EXPECT_FLOAT_EQ(p.gaugeOffsetY, w.gaugeY);
            EXPECT_EQ(p.timer, 0);
            EXPECT_EQ(p.children[0], kNoPart);
        }
    }
}

// The parts are taken from the pool in build order: the first allocated is
// the kind's part #0 wherever it sits in the root list.
TEST_F(Stage4KindsTest, PartsAreAllocatedInBuildOrder) {
    struct Case {
        i32 kind;
        std::vector<i32> rootLabels;  // the build number of each root
    };
    const Case cases[] = {{1, {3, 4, 0, 1, 2}}, {5, {2, 3, 4, 5, 1, 0}}, {10, {1, 2, 0}}, {11, {2, 1, 0}}, {12, {1, 0}},
                          {6, {0, 1}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        ResetPlayLists();
        const i32 first = enemy_test::FirstFreeSlot();
        const i32 e = SpawnEnemyStage4(c.kind);
        for (std::size_t r = 0; r < c.rootLabels.size(); ++r)
            EXPECT_EQ(E(e).rootParts[r], first + c.rootLabels[r]) << r;
    }
}

TEST_F(Stage4KindsTest, KindElevensCoreLaunchesShellsOnNormalAndHardOnly) {
    for (const i32 difficulty : {0, 1, 2}) {
        SCOPED_TRACE(difficulty);
        ResetPlayLists();
        g_GameState.Difficulty = difficulty;
        const i32 e = SpawnEnemyStage4(11);
        EXPECT_EQ(Root(e, 2).action, difficulty == 0 ? 0 : 525);
        EXPECT_EQ(Root(e, 2).spriteKind, 513);
    }
}

// Kind 99: 19 parts, 13 roots in the order #6, #8, #7, #9, #16, #17, #18,
// #0, #1, #4, #5, #2, #3, and six children of the centre.
TEST_F(Stage4KindsTest, TheBossHangsSixPlatesOnItsCentreAndGoesToTheFront) {
    SpawnEnemyStage4(3);
    const i32 first = enemy_test::FirstFreeSlot();
    const i32 free = CountFreePartSlots();
    const i32 e = SpawnEnemyStage4(99);
    ASSERT_EQ(e, 0);
    EXPECT_EQ(CountFreePartSlots(), free - 19);
    EXPECT_EQ(E(e).spawnId, 0);
    EXPECT_EQ(E(e).corePart, kNoPart);
    EXPECT_EQ(E(e).armoured, 1);
    const i32 labels[13] = {6, 8, 7, 9, 16, 17, 18, 0, 1, 4, 5, 2, 3};
    for (i32 r = 0; r < 13; ++r) EXPECT_EQ(E(e).rootParts[r], first + labels[r]) << r;
    EXPECT_EQ(E(e).rootParts[13], kNoPart);

    const i32 sprites[13] = {591, 592, 591, 592, 594, 594, 590, 593, 593, 593, 593, 593, 593};
    for (i32 r = 0; r < 13; ++r) {
        const EnemyPart& p = Root(e, r);
        EXPECT_EQ(p.spriteKind, sprites[r]) << r;
        EXPECT_EQ(p.action, 0) << r;
        if (r != 6) {
            EXPECT_FLOAT_EQ(p.hitShape.halfWidth + p.hitShape.halfHeight + p.hitShape.radius, 0.0f) << r;
        }
    }
    const EnemyPart& centre = Root(e, 6);
    EXPECT_EQ(centre.hp, 6400);
    EXPECT_FLOAT_EQ(centre.hitShape.halfWidth, 30.0f);
    EXPECT_FLOAT_EQ(centre.hitShape.halfHeight, 30.0f);
    EXPECT_EQ(centre.coinValue, 40);
    // The plates on the centre sit pair by pair with the 593 roots 7 .. 12
    // (#0, #1, #2, #3, #4, #5), at the same offsets.
    const i32 plateRoots[6] = {7, 8, 11, 12, 9, 10};
    for (i32 c = 0; c < 6; ++c) {
        SCOPED_TRACE(c);
        EXPECT_EQ(centre.children[c], first + 10 + c);
        const EnemyPart& plate = P(centre.children[c]);
        EXPECT_EQ(plate.spriteKind, 594);
        EXPECT_EQ(plate.hp, 2400);
        EXPECT_FLOAT_EQ(plate.gaugeOffsetY, 20.0f);
        EXPECT_FLOAT_EQ(plate.offsetX, Root(e, plateRoots[c]).offsetX);
        EXPECT_FLOAT_EQ(plate.offsetY, Root(e, plateRoots[c]).offsetY);
    }
    EXPECT_EQ(centre.children[6], kNoPart);
    // The two loose 594 parts and the guns' gauges.
    EXPECT_FLOAT_EQ(Root(e, 4).offsetX, 107.0f);
    EXPECT_FLOAT_EQ(Root(e, 5).offsetY, 80.0f);
    EXPECT_FLOAT_EQ(Root(e, 0).gaugeOffsetX, 30.0f);
    EXPECT_FLOAT_EQ(Root(e, 1).gaugeOffsetX, -30.0f);
    EXPECT_FLOAT_EQ(Root(e, 3).offsetX, 70.0f);
}

TEST_F(Stage4KindsTest, UnknownKindsBuildNothingAndABossThatDoesNotFitIsRefused) {
    SpawnEnemyStage4(2);
    for (const i32 kind : {0, 4, 7, 14, 98, 100}) EXPECT_EQ(SpawnEnemyStage4(kind), -1) << kind;
    EXPECT_EQ(g_EnemyList.size(), 1u);
    while (CountFreePartSlots() >= 19) ASSERT_GE(SpawnEnemyStage4(5), 0);
    const std::size_t size = g_EnemyList.size();
    EXPECT_EQ(SpawnEnemyStage4(99), -1);
    EXPECT_EQ(g_EnemyList.size(), size);
}

}  // namespace
