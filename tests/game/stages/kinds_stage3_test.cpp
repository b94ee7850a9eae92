// The enemy kinds of stage index 2 as SpawnEnemyStage3 builds them.
#include <vector>

#include "game/stages/stage_content.h"
#include "tests/game/enemy/enemy_fixture.h"

namespace {

using enemy_test::EnemyFrameTest;

class Stage3KindsTest : public EnemyFrameTest {
protected:
    const Enemy& E(i32 e) const { return g_EnemyList[static_cast<std::size_t>(e)]; }
    const EnemyPart& Root(i32 e, i32 r) const { return g_EnemyPartPool[E(e).rootParts[r]]; }
    const EnemyPart& Child(const EnemyPart& p, i32 c) const { return g_EnemyPartPool[p.children[c]]; }
    i32 RootCount(i32 e) const {
        i32 n = 0;
        while (n < kPartLinks && E(e).rootParts[n] != kNoPart) ++n;
        return n;
    }
    std::vector<i32> RootSprites(i32 e) const {
        std::vector<i32> kinds;
        for (i32 r = 0; r < RootCount(e); ++r) kinds.push_back(Root(e, r).spriteKind);
        return kinds;
    }
};

TEST_F(Stage3KindsTest, EveryKindHasItsRecordValuesAndPlace) {
    struct Case {
        i32 kind, parts, roots, spawnId, core;
        u8 active;
        i32 armoured, state;
        f32 speed;
        bool front;
    };
    const Case cases[] = {
        {1, 1, 1, 0, 0, 1, 0, 0, 2.0f, false},        {2, 4, 4, 0, 0, 1, 0, 0, 2.0f, false},
        {3, 1, 1, 0, 0, 1, 0, 0, 0.0f, false},        {5, 1, 1, 381, 0, 0, 0, 0, 0.0f, false},
        {6, 1, 1, 306, 0, 1, 0, 0, 0.0f, true},       {7, 1, 1, 306, 0, 1, 0, 0, 0.0f, true},
        {8, 1, 1, 0, -1, 1, 0, 0, 0.0f, true},        {10, 1, 1, 380, 0, 1, 0, 0, 2.0f, false},
        {21, 4, 3, 302, 2, 1, 0, 0, 1.0f, false},     {22, 4, 3, 302, 2, 1, 0, 0, 1.0f, false},
        {23, 4, 3, 302, 2, 1, 0, 0, 1.0f, false},     {24, 4, 3, 302, 2, 1, 0, 0, 1.0f, false},
        {25, 3, 3, 302, 2, 1, 0, 0, 1.0f, true},      {31, 11, 9, 311, 2, 1, 0, 301, 0.0f, true},
        {32, 10, 9, 312, 2, 1, 0, 301, 0.0f, true},   {33, 11, 9, 313, 2, 1, 0, 301, 0.0f, true},
        {39, 23, 15, 301, -1, 1, 1, 301, 0.0f, true}, {40, 14, 14, 303, -1, 1, 1, 0, 0.0f, true},
        {50, 5, 5, 390, 2, 0, 0, 0, 2.0f, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        ResetPlayLists();
        SpawnEnemyStage3(1);  // one enemy before it: front kinds go before it
        const i32 e = SpawnEnemyStage3(c.kind);
        ASSERT_EQ(e, c.front ? 0 : 1);
        EXPECT_EQ(kEnemyPartPoolSize - 1 - CountFreePartSlots(), c.parts);
        EXPECT_EQ(RootCount(e), c.roots);
        EXPECT_EQ(E(e).spawnId, c.spawnId);
        EXPECT_EQ(E(e).corePart, c.core);
        EXPECT_EQ(E(e).active, c.active);
        EXPECT_EQ(E(e).armoured, c.armoured);
        EXPECT_EQ(E(e).state, c.state);
        EXPECT_FLOAT_EQ(E(e).speed, c.speed);
        EXPECT_FLOAT_EQ(E(e).heading, 1.5707964f);
        EXPECT_FLOAT_EQ(E(e).rotation, 1.5707964f);
        EXPECT_FLOAT_EQ(E(e).scale, 1.0f);
        EXPECT_EQ(E(e).counter, 0);
    }
}

TEST_F(Stage3KindsTest, SinglePartKindsCarryTheirPictureHitPointsAndPattern) {
    struct Case {
        i32 kind, sprite, hp;
        HitShape shape;
        i32 action, coin, score;
    };
    const Case cases[] = {
        {1, 321, 200, {10, 40, 20}, 320, 3, 100},    {3, 335, 50, {0, 0, 20}, 321, 1, 50},
        {5, 399, 9999, {0, 0, 0}, 0, 6, 0},          {6, 336, 500, {0, 0, 30}, 0, 5, 400},
        {7, 337, 500, {0, 0, 30}, 0, 5, 400},        {8, 338, 100, {50, 25, 0}, 0, 2, 50},
        {10, 380, 3000, {20, 50, 30}, 300, 12, 500},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        ResetPlayLists();
        const i32 e = SpawnEnemyStage3(c.kind);
        ASSERT_EQ(e, 0);
        const EnemyPart& p = Root(e, 0);
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
        EXPECT_FLOAT_EQ(p.gaugeOffsetY, c.kind == 10 ? -20.0f : 0.0f);
    }
}

TEST_F(Stage3KindsTest, TheWingCraftsCoreIsAnUnhittableCopyOfItsTail) {
    const i32 e = SpawnEnemyStage3(2);
    EXPECT_EQ(RootSprites(e), (std::vector<i32>{327, 325, 326, 327}));
    const EnemyPart& core = Root(e, 0);
    const EnemyPart& tail = Root(e, 3);
    EXPECT_FLOAT_EQ(core.hitShape.halfWidth, 0.0f);
    EXPECT_FLOAT_EQ(core.hitShape.halfHeight, 0.0f);
    EXPECT_EQ(core.action, 0);
    EXPECT_FLOAT_EQ(core.offsetX, 18.0f);
    EXPECT_EQ(core.hp, 800);
    EXPECT_FLOAT_EQ(tail.hitShape.halfHeight, 90.0f);
    EXPECT_EQ(tail.action, 322);
    EXPECT_FLOAT_EQ(tail.offsetX, 13.0f);
    EXPECT_EQ(Root(e, 1).action, 323);
    EXPECT_FLOAT_EQ(Root(e, 1).offsetY, -44.0f);
    EXPECT_FLOAT_EQ(Root(e, 2).offsetY, 44.0f);
}

TEST_F(Stage3KindsTest, BargesDifferInTheirGunAndHullPattern) {
    struct Case {
        i32 kind, gunSprite;
        HitShape gunShape;
        i32 gunAction, hullAction;
    };
    const Case cases[] = {
        {21, 351, {0, 0, 40}, 301, 0},
        {22, 353, {0, 0, 40}, 303, 310},
        {23, 352, {60, 20, 0}, 331, 310},
        {24, 354, {0, 0, 40}, 306, 310},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        ResetPlayLists();
        const i32 e = SpawnEnemyStage3(c.kind);
        EXPECT_EQ(RootSprites(e), (std::vector<i32>{342, 343, 341}));
        EXPECT_FLOAT_EQ(Root(e, 0).offsetY, 70.0f);
        EXPECT_FLOAT_EQ(Root(e, 1).offsetY, -70.0f);
        const EnemyPart& hull = Root(e, 2);
        EXPECT_EQ(hull.action, c.hullAction);
        EXPECT_EQ(hull.hp, 1200);
        const EnemyPart& gun = Child(hull, 0);
        EXPECT_EQ(hull.children[1], kNoPart);
        EXPECT_EQ(gun.spriteKind, c.gunSprite);
        EXPECT_FLOAT_EQ(gun.hitShape.halfWidth, c.gunShape.halfWidth);
        EXPECT_FLOAT_EQ(gun.hitShape.radius, c.gunShape.radius);
        EXPECT_EQ(gun.action, c.gunAction);
        EXPECT_FLOAT_EQ(gun.offsetX, -20.0f);
    }
    // Kind 25 is the hull alone, and it goes to the front.
    ResetPlayLists();
    SpawnEnemyStage3(1);
    const i32 e = SpawnEnemyStage3(25);
    ASSERT_EQ(e, 0);
    EXPECT_EQ(Root(e, 2).spriteKind, 341);
    EXPECT_EQ(Root(e, 2).children[0], kNoPart);
    EXPECT_EQ(Root(e, 2).action, 0);
}

TEST_F(Stage3KindsTest, FortressesDifferInIdsAndTheirBowAndSternPatterns) {
    struct Case {
        i32 kind, spawnId, bow, stern;
        std::vector<i32> sprites;
        i32 guns;
    };
    const Case cases[] = {
        {31, 311, 340, 341, {349, 348, 345, 349, 348, 346, 349, 348, 344}, 2},
        {32, 312, 340, 341, {349, 348, 345, 349, 348, 346, 349, 348, 344}, 1},
        {33, 313, 337, 340, {349, 348, 345, 349, 348, 346, 349, 348, 344}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        ResetPlayLists();
        const i32 e = SpawnEnemyStage3(c.kind);
        EXPECT_EQ(E(e).spawnId, c.spawnId);
        EXPECT_EQ(RootSprites(e), c.sprites);
        EXPECT_EQ(Root(e, 8).action, c.bow);
        EXPECT_EQ(Root(e, 2).action, c.stern);  // the core
        EXPECT_FLOAT_EQ(Root(e, 2).offsetX, -260.0f);
        const EnemyPart& tower = Root(e, 5);
        EXPECT_EQ(tower.action, 337);
        EXPECT_EQ(tower.children[c.guns], kNoPart);
        for (i32 g = 0; g < c.guns; ++g) {
            EXPECT_EQ(Child(tower, g).spriteKind, c.guns == 2 ? 351 : 352);
            EXPECT_EQ(Child(tower, g).action, c.guns == 2 ? 330 : 331);
        }
        // The plates: upper row at y -60, lower at 60.
        EXPECT_FLOAT_EQ(Root(e, 0).offsetX, -255.0f);
        EXPECT_FLOAT_EQ(Root(e, 0).offsetY, -60.0f);
        EXPECT_FLOAT_EQ(Root(e, 7).offsetX, -10.0f);
        EXPECT_FLOAT_EQ(Root(e, 7).offsetY, 60.0f);
    }
}

TEST_F(Stage3KindsTest, TheLongCraftStaggersTheGunsUnderBothTowers) {
    const i32 e = SpawnEnemyStage3(39);
    EXPECT_EQ(RootSprites(e),
              (std::vector<i32>{349, 348, 305, 349, 348, 317, 349, 348, 318, 349, 348, 319, 349, 348, 306}));
    for (const i32 tower : {2, 14}) {
        SCOPED_TRACE(tower);
        const EnemyPart& t = Root(e, tower);
        EXPECT_EQ(t.action, 338);
        const i32 timers[4] = {0, 10, 20, 30};
        const i32 sprites[4] = {309, 310, 309, 310};
        for (i32 c = 0; c < 4; ++c) {
            EXPECT_EQ(Child(t, c).timer, timers[c]) << c;
            EXPECT_EQ(Child(t, c).spriteKind, sprites[c]) << c;
            EXPECT_EQ(Child(t, c).action, 352) << c;
        }
        EXPECT_EQ(t.children[4], kNoPart);
    }
    EXPECT_EQ(Root(e, 2).hp, 5200);
    EXPECT_FLOAT_EQ(Root(e, 2).offsetX, -555.0f);
    EXPECT_EQ(Root(e, 14).hp, 4600);
    EXPECT_FLOAT_EQ(Child(Root(e, 14), 2).offsetX, -35.0f);
    EXPECT_FLOAT_EQ(Child(Root(e, 2), 3).offsetY, -55.0f);
    EXPECT_FLOAT_EQ(Root(e, 11).offsetX, -160.0f);
}

TEST_F(Stage3KindsTest, TheFortressAnglesItsWingsAndFins) {
    const i32 e = SpawnEnemyStage3(40);
    EXPECT_EQ(RootSprites(e), (std::vector<i32>{343, 342, 343, 342, 361, 361, 361, 361, 364, 365, 360, 362, 363, 366}));
    EXPECT_FLOAT_EQ(Root(e, 11).angle, 0.7853982f);
    EXPECT_FLOAT_EQ(Root(e, 12).angle, -0.7853982f);
    EXPECT_FLOAT_EQ(Root(e, 8).angle, 0.4487990f);
    EXPECT_FLOAT_EQ(Root(e, 9).angle, -0.4487990f);
    EXPECT_FLOAT_EQ(Root(e, 11).gaugeOffsetY, 40.0f);
    EXPECT_FLOAT_EQ(Root(e, 0).gaugeOffsetY, 15.0f);
    EXPECT_FLOAT_EQ(Root(e, 1).gaugeOffsetY, 15.0f);  // a copy of the first plate
    EXPECT_FLOAT_EQ(Root(e, 6).offsetY, -100.0f);
    EXPECT_FLOAT_EQ(Root(e, 5).offsetY, 100.0f);
    EXPECT_EQ(Root(e, 10).action, 370);
    EXPECT_EQ(Root(e, 13).action, 370);
    EXPECT_FLOAT_EQ(Root(e, 10).hitShape.radius, 0.0f);
    EXPECT_EQ(Root(e, 10).hp, 3200);
}

TEST_F(Stage3KindsTest, TheMidBossCoreIsItsThirdRoot) {
    const i32 e = SpawnEnemyStage3(50);
    EXPECT_EQ(RootSprites(e), (std::vector<i32>{392, 391, 390, 394, 393}));
    EXPECT_EQ(Root(e, 2).hp, 2400);
    EXPECT_FLOAT_EQ(Root(e, 2).hitShape.radius, 40.0f);
    EXPECT_EQ(Root(e, 0).action, 391);
    EXPECT_EQ(Root(e, 1).action, 391);
    EXPECT_FLOAT_EQ(Root(e, 1).offsetY, -80.0f);
    EXPECT_FLOAT_EQ(Root(e, 4).offsetY, -50.0f);
    EXPECT_EQ(Root(e, 3).hp, 200);
}

TEST_F(Stage3KindsTest, UnknownKindsBuildNothing) {
    SpawnEnemyStage3(1);
    for (const i32 kind : {0, 4, 9, 11, 26, 34, 41, 51}) EXPECT_EQ(SpawnEnemyStage3(kind), -1) << kind;
    EXPECT_EQ(g_EnemyList.size(), 1u);
    EXPECT_EQ(CountFreePartSlots(), kEnemyPartPoolSize - 1);
}

}  // namespace
