#include <gtest/gtest.h>

#include <vector>

#include "game/play/target_markers.h"
#include "tests/game/play/enemyrt_fixture.h"

namespace {

using enemyrt_test::PlayFixture;

class TargetMarkerTest : public PlayFixture {};

TEST_F(TargetMarkerTest, AHundredFrameMarkerBeepsEverySixteenFramesAndEnds) {
    const i32 p = MakePart(5, 10);
    AddTargetMarker(&g_EnemyPartPool[p], 5);
    ASSERT_EQ(g_TargetMarkerList[0].timer, 100);
    std::vector<i32> beeps;
    for (int frame = 0; frame < 120 && !g_TargetMarkerList.empty(); ++frame) {
        RearmSoundEffectGates();
        const i32 before = g_TargetMarkerList[0].timer;
        UpdateTargetMarkers();
        if (Played(31)) beeps.push_back(before - 1);
    }
    EXPECT_EQ(beeps, (std::vector<i32>{96, 80, 64, 48, 32, 16, 0}));
    EXPECT_TRUE(g_TargetMarkerList.empty());
    AddTargetMarkerTimed(&g_EnemyPartPool[p], 5, 3);
    UpdateTargetMarkers();
    EXPECT_EQ(g_TargetMarkerList[0].timer, 2);
}

TEST_F(TargetMarkerTest, TheFrameBlinksAndFlattensAsItRunsOut) {
    const i32 p = MakePart(5, 10, 10, 20, 0);
    MakeEnemy(0, 200, 100, {p});
    g_GameState.FieldScrollX = 5;
    AddTargetMarkerTimed(&g_EnemyPartPool[p], 5, 0);
    struct Case {
        i32 timer;
        bool shown;
        Rect r;
    };
    const Case cases[] = {
        {37, false, {}},
        {35, false, {}},
        {34, true, {185, 60, 265, 140}},
        {20, true, {185, 60, 265, 140}},
        {19, true, {225 - 41, 100 - 38, 225 + 41, 100 + 38}},
        {1, true, {225 - 59, 98, 225 + 59, 102}},
    };
    for (const Case& c : cases) {
        g_TargetMarkerList[0].timer = c.timer;
        PlayQuadList q;
        CollectTargetMarkerQuads(q);
        ASSERT_EQ(q.size(), c.shown ? 1u : 0u) << c.timer;
        if (!c.shown) continue;
        EXPECT_EQ(q[0].sheet, kSheetMissile);
        EXPECT_EQ(q[0].source.left, 390);
        EXPECT_FALSE(q[0].rotated);
        EXPECT_EQ(q[0].destination.left, c.r.left) << c.timer;
        EXPECT_EQ(q[0].destination.top, c.r.top) << c.timer;
        EXPECT_EQ(q[0].destination.right, c.r.right) << c.timer;
        EXPECT_EQ(q[0].destination.bottom, c.r.bottom) << c.timer;
    }
}

TEST_F(TargetMarkerTest, OnlyALivePartOfTheMarkedKindShowsItsMarkers) {
    const i32 p = MakePart(5, 10);
    MakeEnemy(0, 200, 100, {p});
    AddTargetMarker(&g_EnemyPartPool[p], 5);
    AddTargetMarker(&g_EnemyPartPool[p], 5);
    PlayQuadList q;
    CollectTargetMarkerQuads(q);
    EXPECT_EQ(q.size(), 2u);            // drawn one over the other
    g_EnemyPartPool[p].spriteKind = 6;  // the slot now holds another part
    q.clear();
    CollectTargetMarkerQuads(q);
    EXPECT_TRUE(q.empty());
    g_EnemyPartPool[p].spriteKind = 5;
    g_EnemyPartPool[p].state = -1;
    CollectTargetMarkerQuads(q);
    EXPECT_TRUE(q.empty());
    // A reused slot keeps beeping until its timer runs out.
    RearmSoundEffectGates();
    g_TargetMarkerList[0].timer = 17;
    UpdateTargetMarkers();
    EXPECT_TRUE(Played(31));
}

TEST_F(TargetMarkerTest, MarkersFollowChildrenWithTheEnemysScale) {
    const i32 root = MakePart(1, 10);
    const i32 child = MakePart(7, 10, 10, 0, 30);
    AddChild(root, child);
    MakeEnemy(0, 200, 100, {root});
    g_EnemyList[0].scale = 0.5f;
    AddTargetMarker(&g_EnemyPartPool[child], 7);
    PlayQuadList q;
    CollectTargetMarkerQuads(q);
    ASSERT_EQ(q.size(), 1u);
    EXPECT_EQ(q[0].destination.top, 115 - 40);
}

class PartGaugeTest : public PlayFixture {};

TEST_F(PartGaugeTest, BarWidthColourAndShrinkingByHitTimer) {
    struct Case {
        i32 hp;
        i32 hitTimer;
        i32 width;
        u32 colour;
        i32 frameHalf;
        i32 barHalf;
    };
    const Case cases[] = {
        {29, 100, 29, 0xFFFF00FFu, 8, 5}, {30, 50, 30, 0xFFFF96FFu, 8, 5},   {69, 20, 69, 0xFFFF96FFu, 8, 5},
        {70, 19, 70, 0xFFFFFFFFu, 7, 4},  {100, 10, 100, 0xFFFFFFFFu, 4, 2}, {1, 1, 1, 0xFFFF00FFu, 0, 0},
    };
    for (const Case& c : cases) {
        Clean();
        SCOPED_TRACE(c.hp);
        const i32 p = MakePart(1, 100, 10, 10, 0);
        g_EnemyPartPool[p].hp = c.hp;
        g_EnemyPartPool[p].hitTimer = c.hitTimer;
        g_EnemyPartPool[p].gaugeOffsetY = -5;
        const f32 parent[2] = {200, 100};
        PlayQuadList q;
        CollectPartHpGaugeQuads(&g_EnemyPartPool[p], parent, 0.0f, q);
        ASSERT_EQ(q.size(), 2u);
        EXPECT_EQ(q[0].destination.left, 210 - 54);
        EXPECT_EQ(q[0].destination.top, 95 - 30 - c.frameHalf);
        EXPECT_EQ(q[0].destination.bottom, 95 - 30 + c.frameHalf);
        EXPECT_EQ(q[1].destination.left, 210 - 50);
        EXPECT_EQ(q[1].destination.right, 210 - 50 + c.width);
        EXPECT_EQ(q[1].destination.top, 65 - c.barHalf);
        EXPECT_EQ(q[1].colour, c.colour);
        EXPECT_EQ(q[0].colour, 0xFFFFFFFFu);
    }
}

TEST_F(PartGaugeTest, HiddenParentsStillShowTheirChildren) {
    const i32 root = MakePart(1, 100);
    const i32 child = MakePart(1, 100, 10, 0, 40);
    AddChild(root, child);
    g_EnemyPartPool[root].state = -1;
    g_EnemyPartPool[root].hitTimer = 50;
    g_EnemyPartPool[child].hitTimer = 50;
    g_EnemyPartPool[child].maxHp = 0;  // no division by zero
    const f32 parent[2] = {200, 100};
    PlayQuadList q;
    CollectPartHpGaugeQuads(&g_EnemyPartPool[root], parent, 0.0f, q);
    ASSERT_EQ(q.size(), 2u);
    EXPECT_EQ(q[0].destination.top, 140 - 30 - 8);
    EXPECT_EQ(q[1].destination.right, q[1].destination.left);
    g_EnemyPartPool[child].hitTimer = 0;
    q.clear();
    CollectPartHpGaugeQuads(&g_EnemyPartPool[root], parent, 0.0f, q);
    EXPECT_TRUE(q.empty());
}

}  // namespace
