// The enemy kinds of stage index 4 as SpawnEnemyStage5 builds them: the
// record values, the part trees (roots, children, offsets, hit points) and
// where each kind goes into the list.
#include <cmath>
#include <vector>

#include "engine/core/random.h"
#include "game/stages/stage_content.h"
#include "tests/game/enemy/enemy_fixture.h"

namespace {

using enemy_test::EnemyFrameTest;

constexpr f32 kHalfPiF = 1.5707964f;

// A part of a table: its fields as the kind writes them.
struct PartRow {
    i32 sprite, hp;
    HitShape shape;
    f32 x, y;
    i32 action, coin, score;
    f32 gaugeY = 0;
};

void ExpectPart(const EnemyPart& p, const PartRow& r) {
    EXPECT_EQ(p.inUse, 1);
    EXPECT_EQ(p.state, 1);
    EXPECT_EQ(p.spriteKind, r.sprite);
    EXPECT_EQ(p.hp, r.hp);
    EXPECT_EQ(p.maxHp, r.hp);
    EXPECT_EQ(p.timer, 0);
    EXPECT_EQ(p.hitTimer, 0);
    EXPECT_FLOAT_EQ(p.hitShape.halfWidth, r.shape.halfWidth);
    EXPECT_FLOAT_EQ(p.hitShape.halfHeight, r.shape.halfHeight);
    EXPECT_FLOAT_EQ(p.hitShape.radius, r.shape.radius);
    EXPECT_FLOAT_EQ(p.offsetX, r.x);
    EXPECT_FLOAT_EQ(p.offsetY, r.y);
    EXPECT_EQ(p.action, r.action);
    EXPECT_EQ(p.coinValue, r.coin);
    EXPECT_EQ(p.scoreValue, r.score);
    EXPECT_FLOAT_EQ(p.gaugeOffsetX, 0.0f);
    EXPECT_FLOAT_EQ(p.gaugeOffsetY, r.gaugeY);
}

class Stage5KindsTest : public EnemyFrameTest {
protected:
    const Enemy& E(i32 e) const { return g_EnemyList[static_cast<std::size_t>(e)]; }
    const EnemyPart& P(i32 slot) const { return g_EnemyPartPool[slot]; }
    // Root slots up to the first -1.
    std::vector<i32> Roots(i32 e) const {
        std::vector<i32> roots;
        for (const i32 slot : E(e).rootParts) {
            if (slot == kNoPart) break;
            roots.push_back(slot);
        }
        return roots;
    }
    std::vector<i32> Children(i32 slot) const {
        std::vector<i32> children;
        for (const i32 child : P(slot).children) {
            if (child == kNoPart) break;
            children.push_back(child);
        }
        return children;
    }
};

TEST_F(Stage5KindsTest, SinglePartKindsCarryTheirRecordAndPart) {
    struct Case {
        i32 kind;
        PartRow part;
        i32 spawnId;
        u8 active;
        i32 layer;
        f32 speed;
        bool front;
    };
    const HitShape plate{30, 30, 0};
    const HitShape fighter{10, 40, 20};
    const HitShape none{0, 0, 0};
    const Case cases[] = {
        {1, {401, 1000, plate, 0, 0, 0, 5, 500}, 0, 1, 0, 1.0f, false},
        {9, {482, 150, plate, 0, 0, 0, 1, 100}, 0, 1, 0, 1.0f, false},
        {10, {402, 200, fighter, 0, 0, 401, 4, 100}, 0, 1, 1, 2.0f, false},
        {11, {403, 200, fighter, 0, 0, 402, 4, 100}, 411, 1, 1, 2.0f, false},
        {12, {403, 200, fighter, 0, 0, 401, 4, 100}, 0, 1, 0, 2.0f, true},
        {15, {405, 200, {15, 50, 30}, 0, 0, 435, 5, 100}, 0, 1, 1, 2.0f, false},
        {81, {437, 1000, plate, 0, 0, 0, 5, 500}, 0, 0, 0, 1.0f, false},
        {90, {460, 9999, none, 0, 0, 0, 6, 0}, 0, 0, 0, 0.0f, false},
        {91, {463, 9999, none, 0, 0, 0, 6, 0}, 0, 0, 0, 0.0f, false},
        {92, {464, 9999, none, 0, 0, 0, 6, 0}, 0, 0, 0, 0.0f, false},
        {93, {467, 9999, none, 0, 0, 0, 6, 0}, 0, 0, 0, 0.0f, false},
        {102, {499, 150, plate, 0, 0, 960, 5, 150}, 0, 1, 0, 1.0f, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        ResetPlayLists();
        ASSERT_EQ(SpawnEnemyStage5(1), 0);  // one enemy already in the list
        const i32 e = SpawnEnemyStage5(c.kind);
        ASSERT_EQ(e, c.front ? 0 : 1);
        EXPECT_EQ(E(e).spawnId, c.spawnId);
        EXPECT_EQ(E(e).corePart, 0);
        EXPECT_EQ(E(e).active, c.active);
        EXPECT_EQ(E(e).armoured, 0);
        EXPECT_EQ(E(e).layer, c.layer);
        EXPECT_EQ(E(e).state, 0);
        EXPECT_EQ(E(e).age, 0);
        EXPECT_FLOAT_EQ(E(e).speed, c.speed);
        EXPECT_FLOAT_EQ(E(e).heading, kHalfPiF);
        EXPECT_FLOAT_EQ(E(e).rotation, kHalfPiF);
        EXPECT_FLOAT_EQ(E(e).scale, 1.0f);
        ASSERT_EQ(Roots(e).size(), 1u);
        ExpectPart(P(E(e).rootParts[0]), c.part);
        EXPECT_TRUE(Children(E(e).rootParts[0]).empty());
    }
}

// Multi-part kinds: every part by its label (the order in which the pool
// slots are taken), the root list and the child lists by label.
TEST_F(Stage5KindsTest, CompositeKindsBuildTheirTrees) {
    struct Link {
        i32 parent;
        std::vector<i32> children;
    };
    struct Case {
        i32 kind;
        std::vector<PartRow> parts;
        std::vector<i32> roots;
        std::vector<Link> links;
        i32 spawnId, core;
        u8 active;
        i32 armoured;
        f32 speed, rotation;
    };
    const HitShape none{0, 0, 0};
    const HitShape plate{30, 30, 0};
    const HitShape lamp{0, 0, 40};
    const HitShape spoke{50, 80, 0};
    const HitShape arm{0, 0, 50};
    // clang-format off
    const Case cases[] = {
        {20,
         {{410, 1500, {30, 70, 60}, 0, 0, 0, 10, 300},
          {412, 900, none, 0, 0, 431, 5, 500},
          {412, 900, none, 0, 0, 431, 5, 500},
          {413, 900, {60, 30, 0}, -10, 75, 430, 8, 200},
          {413, 900, {60, 30, 0}, -10, -75, 430, 8, 200},
          {411, 900, {60, 60, 0}, 25, 0, 0, 5, 200}},
         {5, 0, 3, 4},
         {{3, {1}}, {4, {2}}},
         420, 1, 1, 1, 1.0f, kHalfPiF},
        {21,
         {{415, 1200, {20, 50, 30}, 0, 0, 405, 5, 500},
          {416, 400, {30, 25, 0}, -5, -64, 0, 5, 500},
          {416, 400, {30, 25, 0}, -5, 64, 0, 5, 500},
          {417, 500, {45, 15, 0}, 10, -60, 406, 5, 500},
          {417, 500, {45, 15, 0}, 10, 60, 406, 5, 500}},
         {3, 4, 0, 1, 2},
         {},
         421, 2, 1, 1, 1.0f, kHalfPiF},
        {22,
         {{480, 1000, plate, -20, 0, 0, 5, 500}, {481, 1000, plate, 20, 0, 0, 5, 500}},
         {1, 0},
         {},
         0, 0, 0, 0, 1.0f, kHalfPiF},
        {30,
         {{1201, 2800, none, 0, 0, 201, 10, 400, -20},
          {1202, 1200, {0, 0, 30}, 25, 45, 202, 5, 200, -5},
          {1202, 1200, {0, 0, 30}, 25, -45, 202, 5, 200, -5},
          {1203, 3000, {60, 30, 0}, 10, 0, 200, 8, 300}},
         {3, 1, 2, 0},
         {},
         430, 3, 0, 1, 1.0f, kHalfPiF},
        {99,
         {{447, 1200, plate, 42, 109, 0, 8, 500},
          {449, 1200, plate, 49, 166, 0, 8, 500},
          {439, 1200, plate, 22, 39, 0, 8, 500},
          {446, 1200, plate, 42, -109, 0, 8, 500},
          {448, 1200, plate, 49, -166, 0, 8, 500},
          {438, 1200, plate, 22, -39, 0, 8, 500},
          {442, 2800, plate, 39, 149, 0, 12, 800},
          {443, 2800, plate, 39, -149, 0, 12, 800},
          {445, 1900, plate, -115, 94, 0, 8, 800},
          {444, 1900, plate, -115, -94, 0, 10, 800},
          {441, 4000, plate, 0, 0, 0, 30, 1000}},
         {10, 6, 7, 3, 4, 0, 1, 2, 5, 9, 8},
         {},
         490, kNoPart, 1, 1, 1.0f, kHalfPiF},
        {100,
         {{455, 2000, {30, 20, 0}, 0, -120, 0, 8, 500},
          {454, 1500, lamp, 0, -150, 0, 5, 300},
          {454, 1500, lamp, 120, -50, 0, 5, 300},
          {454, 1500, lamp, -120, -50, 0, 5, 300},
          {454, 1500, lamp, 0, 70, 0, 5, 300},
          {453, 300, {30, 20, 0}, 0, 0, 490, 5, 1000},
          {452, 500, arm, 0, -70, 0, 5, 300},
          {452, 500, arm, 0, -70, 0, 5, 300},
          {452, 500, arm, 0, -70, 0, 5, 300},
          {452, 500, arm, 0, -70, 0, 5, 300},
          {452, 500, arm, 0, -70, 0, 5, 300},
          {452, 500, arm, 0, -70, 0, 5, 300},
          {452, 500, arm, 0, -70, 0, 5, 300},
          {452, 500, arm, 0, -70, 0, 5, 300},
          {451, 500, spoke, 160, -120, 480, 5, 500},
          {451, 500, spoke, -160, -120, 480, 5, 500},
          {451, 500, spoke, 180, 150, 480, 5, 500},
          {451, 500, spoke, -180, 150, 480, 5, 500},
          {451, 500, spoke, 0, 230, 480, 5, 500},
          {451, 500, spoke, 240, 0, 480, 5, 500},
          {451, 500, spoke, -240, 0, 480, 5, 500},
          {451, 500, spoke, 0, -230, 480, 5, 500}},
         {21, 14, 15, 19, 20, 5, 16, 17, 18},
         {{5, {1, 2, 3, 0, 4}}, {14, {6}}, {15, {7}}, {16, {8}}, {17, {9}}, {18, {10}}, {19, {11}}, {20, {12}},
          {21, {13}}},
         499, 5, 1, 0, 2.0f, 0.0f},
        {101,
         {{490, 9999, none, 0, 0, 0, 40, 800},
          {497, 9999, none, 45, 60, 0, 12, 400, -20},
          {497, 9999, none, 45, 130, 0, 12, 400},
          {497, 9999, none, 45, -60, 0, 12, 400, -20},
          {497, 9999, none, 45, -130, 0, 12, 400},
          {491, 9999, none, 47, 0, 0, 20, 500},
          {492, 9999, none, -112, 0, 0, 20, 350},
          {493, 9999, none, 0, -95, 0, 10, 300},
          {494, 9999, none, 0, 95, 0, 10, 300},
          {495, 9999, none, 10, -45, 0, 8, 200},
          {496, 9999, none, 10, 45, 0, 8, 200}},
         {9, 10, 0, 1, 2, 3, 4, 7, 8, 5, 6},
         {},
         0, 2, 0, 1, 0.0f, kHalfPiF},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        ResetPlayLists();
        const i32 e = SpawnEnemyStage5(c.kind);
        ASSERT_EQ(e, 0);
        // A clean pool hands out slots 0, 1, 2 ...: slot = label.
        EXPECT_EQ(CountFreePartSlots(), kEnemyPartPoolSize - static_cast<i32>(c.parts.size()));
        for (std::size_t i = 0; i < c.parts.size(); ++i) {
            SCOPED_TRACE(testing::Message() << "#" << i);
            ExpectPart(P(static_cast<i32>(i)), c.parts[i]);
            EXPECT_FLOAT_EQ(P(static_cast<i32>(i)).angle, 0.0f);
        }
        EXPECT_EQ(Roots(e), c.roots);
        for (std::size_t i = 0; i < c.parts.size(); ++i) {
            std::vector<i32> expected;
            for (const Link& l : c.links) {
                if (l.parent == static_cast<i32>(i)) expected = l.children;
            }
            EXPECT_EQ(Children(static_cast<i32>(i)), expected) << "#" << i;
        }
        EXPECT_EQ(E(e).spawnId, c.spawnId);
        EXPECT_EQ(E(e).corePart, c.core);
        EXPECT_EQ(E(e).active, c.active);
        EXPECT_EQ(E(e).armoured, c.armoured);
        EXPECT_EQ(E(e).layer, 0);
        EXPECT_FLOAT_EQ(E(e).speed, c.speed);
        EXPECT_FLOAT_EQ(E(e).heading, kHalfPiF);
        EXPECT_FLOAT_EQ(E(e).rotation, c.rotation);
        EXPECT_FLOAT_EQ(E(e).scale, 1.0f);
    }
    // Kind 20's hull keeps 432 as its rest angle.
    ResetPlayLists();
    SpawnEnemyStage5(20);
    EXPECT_FLOAT_EQ(P(0).restAngle, 432.0f);
    EXPECT_FLOAT_EQ(P(1).restAngle, 0.0f);
}

// Kinds 20 and 21 go before the first active enemy; kinds 12, 80, 100, 101
// and 110 to the front; the rest to the back.
TEST_F(Stage5KindsTest, EachKindGoesToItsPlaceInTheList) {
    for (const i32 kind : {20, 21}) {
        SCOPED_TRACE(kind);
        ResetPlayLists();
        EXPECT_EQ(SpawnEnemyStage5(kind), 0);  // empty list: appended
        ResetPlayLists();
        SpawnEnemyStage5(81);  // inactive
        SpawnEnemyStage5(1);   // active
        SpawnEnemyStage5(9);   // active
        EXPECT_EQ(SpawnEnemyStage5(kind), 1);
        EXPECT_EQ(E(1).spawnId, kind == 20 ? 420 : 421);
        EXPECT_EQ(E(2).spawnId, 0);
        EXPECT_EQ(g_EnemyList.size(), 4u);
        ResetPlayLists();
        SpawnEnemyStage5(81);
        SpawnEnemyStage5(22);
        EXPECT_EQ(SpawnEnemyStage5(kind), 2);  // nothing active: appended
    }
    for (const i32 kind : {12, 80, 100, 101, 110}) {
        SCOPED_TRACE(kind);
        ResetPlayLists();
        SpawnEnemyStage5(1);
        SpawnEnemyStage5(9);
        EXPECT_EQ(SpawnEnemyStage5(kind), 0);
        EXPECT_EQ(g_EnemyList.size(), 3u);
        EXPECT_EQ(P(E(1).rootParts[0]).spriteKind, 401);  // the first enemy moved up
    }
}

TEST_F(Stage5KindsTest, KindEightyPicksItsPictureWithOneRandomInt) {
    for (const u32 seed : {1u, 7u, 99u, 4242u, 31337u}) {
        SCOPED_TRACE(seed);
        RandomSeed(seed);
        const i32 pick = RandomInt(0, 59);
        const u32 after = RandomGetState();
        ResetPlayLists();
        RandomSeed(seed);
        const i32 e = SpawnEnemyStage5(80);
        ASSERT_EQ(e, 0);
        EXPECT_EQ(RandomGetState(), after);
        const EnemyPart& p = P(E(e).rootParts[0]);
        EXPECT_EQ(p.spriteKind, 430 + pick / 10);
        ExpectPart(p, {430 + pick / 10, 1000, {30, 30, 0}, 0, 0, 0, 5, 500});
        EXPECT_EQ(E(e).active, 0);
        EXPECT_FLOAT_EQ(E(e).speed, 1.0f);
    }
    // Over many spawns all six pictures come.
    bool seen[6] = {};
    RandomSeed(5);
    for (int i = 0; i < 60; ++i) {
        ResetPlayLists();
        seen[P(E(SpawnEnemyStage5(80)).rootParts[0]).spriteKind - 430] = true;
    }
    for (int i = 0; i < 6; ++i) EXPECT_TRUE(seen[i]) << 430 + i;
}

// The castle: 71 parts; its offsets reproduce the figures of its plan.
TEST_F(Stage5KindsTest, TheCastleBuildsItsSeventyOneParts) {
    const i32 e = SpawnEnemyStage5(110);
    ASSERT_EQ(e, 0);
    EXPECT_EQ(CountFreePartSlots(), kEnemyPartPoolSize - 71);
    const Enemy& castle = E(e);
    EXPECT_EQ(castle.spawnId, 1001);
    EXPECT_EQ(castle.corePart, 17);
    EXPECT_EQ(castle.active, 0);
    EXPECT_EQ(castle.armoured, 1);
    EXPECT_FLOAT_EQ(castle.speed, 0.0f);
    EXPECT_FLOAT_EQ(castle.rotation, 0.0f);
    EXPECT_FLOAT_EQ(castle.heading, kHalfPiF);

    std::vector<i32> roots = {61, 41, 42, 43, 44, 45, 46, 47, 48, 62, 63, 64, 65, 66, 67, 68, 69, 70, 0};
    EXPECT_EQ(Roots(e), roots);

    // Part families: sprite, hp, coin, score, action, gauge y.
    struct Family {
        i32 first, last, sprite, hp, coin, score, action;
        f32 gaugeY, radius;
    };
    const Family families[] = {
        {0, 0, 1002, 1200, 8, 500, 0, 0, 0},      {1, 8, 1004, 1800, 8, 300, 0, -30, 0},
        {9, 40, 1005, 1000, 5, 200, 1004, 0, 55}, {41, 48, 1003, 1000, 8, 100, 1003, -30, 0},
        {49, 60, 1006, 800, 3, 100, 0, 0, 0},     {61, 61, 1001, 1200, 8, 500, 0, 0, 0},
        {62, 65, 1007, 2400, 8, 300, 0, 40, 0},   {66, 69, 1008, 1200, 5, 150, 0, 0, 0},
        {70, 70, 1009, 5600, 32, 400, 0, 80, 0},
    };
    for (const Family& f : families) {
        for (i32 i = f.first; i <= f.last; ++i) {
            SCOPED_TRACE(testing::Message() << "#" << i);
            EXPECT_EQ(P(i).spriteKind, f.sprite);
            EXPECT_EQ(P(i).hp, f.hp);
            EXPECT_EQ(P(i).maxHp, f.hp);
            EXPECT_EQ(P(i).coinValue, f.coin);
            EXPECT_EQ(P(i).scoreValue, f.score);
            EXPECT_EQ(P(i).action, f.action);
            EXPECT_FLOAT_EQ(P(i).gaugeOffsetY, f.gaugeY);
            EXPECT_FLOAT_EQ(P(i).hitShape.halfWidth, 0.0f);
            EXPECT_FLOAT_EQ(P(i).hitShape.halfHeight, 0.0f);
            EXPECT_FLOAT_EQ(P(i).hitShape.radius, f.radius);
        }
    }

    // Each tower holds its four turrets, then its roof.
    for (i32 t = 0; t < 8; ++t) {
        EXPECT_EQ(Children(41 + t), (std::vector<i32>{9 + 4 * t, 10 + 4 * t, 11 + 4 * t, 12 + 4 * t, 1 + t})) << t;
    }
    EXPECT_EQ(Children(61), (std::vector<i32>{49, 50, 51, 52, 53, 54, 55, 56, 57, 58, 59, 60}));
    for (const i32 leaf : {0, 1, 9, 40, 49, 62, 66, 70}) EXPECT_TRUE(Children(leaf).empty()) << leaf;

    // The figures of the plan: towers on the ring of 480, the gate ring of
    // 256 (the fourth gate opposite the first, the sixth at (-256, 0)).
    struct Offset {
        i32 part;
        f32 x, y;
    };
    const Offset offsets[] = {
        {41, 456.51f, 148.33f},   {42, 225.35f, 423.81f},   {43, -225.35f, 423.81f},  {44, -456.51f, 148.33f},
        {45, -438.50f, -195.23f}, {46, -202.86f, -435.03f}, {47, 202.86f, -435.03f},  {48, 438.50f, -195.23f},
        {49, 226.03f, 120.18f},   {50, 226.03f, -120.18f},  {51, 256.0f, 0.0f},       {52, -226.03f, -120.18f},
        {53, -226.03f, 120.18f},  {54, -256.0f, 0.0f},      {55, -120.18f, 226.03f},  {56, 120.18f, 226.03f},
        {57, 0.0f, 256.0f},       {58, 120.18f, -226.03f},  {59, -120.18f, -226.03f}, {60, 0.0f, -256.0f},
        {9, 104.0f, 0.0f},        {10, 0.0f, 104.0f},       {11, -104.0f, 0.0f},      {12, 0.0f, -104.0f},
        {62, 150.0f, 0.0f},       {63, 0.0f, 150.0f},       {64, -150.0f, 0.0f},      {65, 0.0f, -150.0f},
        {66, 140.0f, 0.0f},       {67, 0.0f, 140.0f},       {68, -140.0f, 0.0f},      {69, 0.0f, -140.0f},
        {0, 0.0f, 0.0f},          {1, 0.0f, 0.0f},          {61, 0.0f, 0.0f},         {70, 0.0f, 0.0f},
    };
    for (const Offset& o : offsets) {
        EXPECT_NEAR(P(o.part).offsetX, o.x, 0.01f) << "#" << o.part;
        EXPECT_NEAR(P(o.part).offsetY, o.y, 0.01f) << "#" << o.part;
    }
    // A part at the float pi/2 sits a hair left of the axis, not on it.
    EXPECT_LT(P(10).offsetX, 0.0f);
    EXPECT_GT(P(10).offsetX, -0.00001f);
    EXPECT_LT(P(63).offsetX, 0.0f);
    EXPECT_FLOAT_EQ(P(10).offsetY, 104.0f);

    // Angles: the turrets, walls and gatehouses face out; the gates hold
    // their angle twice; the roofs and the core stand at pi/2.
    const f32 quarter[4] = {0.0f, kHalfPiF, 3.1415927f, -kHalfPiF};
    for (i32 j = 0; j < 4; ++j) {
        EXPECT_EQ(P(9 + j).angle, quarter[j]);
        EXPECT_EQ(P(37 + j).angle, quarter[j]);
        EXPECT_EQ(P(62 + j).angle, quarter[j]);
        EXPECT_EQ(P(66 + j).angle, quarter[j]);
    }
    static constexpr i32 kGateDegrees[12] = {28, -28, 0, 208, 152, 180, 118, 62, 90, -62, -118, -90};
    for (i32 g = 0; g < 12; ++g) {
        const f32 radians = static_cast<f32>(static_cast<long double>(kGateDegrees[g]) *
                                             3.141592653589793238462643383279502884L / 180.0L);
        EXPECT_EQ(P(49 + g).angle, radians) << g;
        EXPECT_EQ(P(49 + g).restAngle, radians) << g;
    }
    EXPECT_FLOAT_EQ(P(49).angle, 0.48869219f);
    for (i32 i = 1; i <= 8; ++i) EXPECT_EQ(P(i).angle, kHalfPiF);
    EXPECT_EQ(P(70).angle, kHalfPiF);
    EXPECT_EQ(P(70).restAngle, kHalfPiF);
    for (const i32 flat : {0, 41, 48, 61}) {
        EXPECT_EQ(P(flat).angle, 0.0f);
        EXPECT_EQ(P(flat).restAngle, 0.0f);
    }
}

TEST_F(Stage5KindsTest, ACastleThatDoesNotFitIntoThePoolIsRefused) {
    while (CountFreePartSlots() >= 22 + 71) ASSERT_GE(SpawnEnemyStage5(100), 0);
    while (CountFreePartSlots() >= 71) ASSERT_GE(SpawnEnemyStage5(1), 0);
    const std::size_t size = g_EnemyList.size();
    const i32 free = CountFreePartSlots();
    EXPECT_EQ(SpawnEnemyStage5(110), -1);
    EXPECT_EQ(g_EnemyList.size(), size);
    EXPECT_EQ(CountFreePartSlots(), free);
}

TEST_F(Stage5KindsTest, UnknownKindsBuildNothing) {
    SpawnEnemyStage5(1);
    const u32 state = RandomGetState();
    for (const i32 kind : {0, 2, 13, 14, 16, 23, 31, 79, 82, 89, 94, 98, 103, 109, 111}) {
        EXPECT_EQ(SpawnEnemyStage5(kind), -1) << kind;
    }
    EXPECT_EQ(g_EnemyList.size(), 1u);
    EXPECT_EQ(CountFreePartSlots(), kEnemyPartPoolSize - 1);
    EXPECT_EQ(RandomGetState(), state);
}

}  // namespace
