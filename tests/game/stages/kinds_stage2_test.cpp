// The enemy kinds of stage index 1 as SpawnEnemyStage2 builds them.
#include <sstream>
#include <string>

#include "game/stages/stage_content.h"
#include "tests/game/enemy/enemy_fixture.h"

namespace {

using enemy_test::EnemyFrameTest;

// A part and its subtree as "sprite/hp/action@x,y{shape}[coin,score]" with
// its children in parentheses.
void DescribePart(std::ostringstream& out, i32 slot) {
    const EnemyPart& p = g_EnemyPartPool[slot];
    out << p.spriteKind << '/' << p.hp << '/' << p.action << '@' << p.offsetX << ',' << p.offsetY << '{'
        << p.hitShape.halfWidth << ',' << p.hitShape.halfHeight << ',' << p.hitShape.radius << "}[" << p.coinValue
        << ',' << p.scoreValue << ']';
    if (p.maxHp != p.hp || p.state != 1 || p.timer != 0 || p.angle != 0.0f) out << "!";
    if (p.children[0] == kNoPart) return;
    out << '(';
    for (i32 i = 0; i < kPartLinks && p.children[i] != kNoPart; ++i) {
        if (i > 0) out << ' ';
        DescribePart(out, p.children[i]);
    }
    out << ')';
}

// The enemy's root parts in list order.
std::string Describe(const Enemy& e) {
    std::ostringstream out;
    for (i32 r = 0; r < kPartLinks && e.rootParts[r] != kNoPart; ++r) {
        if (r > 0) out << ' ';
        DescribePart(out, e.rootParts[r]);
    }
    return out.str();
}

class Stage2KindsTest : public EnemyFrameTest {};

TEST_F(Stage2KindsTest, EveryKindBuildsItsTreeAndRecord) {
    struct Case {
        i32 kind;
        const char* tree;
        i32 spawnId, core;
        f32 speed;
    };
    const Case cases[] = {
        {1, "201/250/240@0,0{15,50,30}[4,150]", 211, 0, 2},
        {2, "201/250/101@0,0{15,50,30}[4,250]", 0, 0, 2},
        {5, "202/200/201@0,0{10,40,20}[4,100]", 0, 0, 2},
        {6, "204/1500/230@0,-20{40,20,0}[5,200] 204/1500/230@0,20{40,20,0}[5,200] 203/3000/231@0,0{20,50,30}[12,400]",
         202, 2, 2},
        {8, "231/50/205@0,0{10,25,0}[1,50]", 0, 0, 2},
        {9, "231/50/206@0,0{10,25,0}[1,50]", 0, 0, 2},
        {11, "211/600/210@0,0{30,20,0}[3,300] 210/300/0@-50,0{0,0,50}[2,100]", 0, 0, 2},
        {12, "213/600/211@0,0{30,20,0}[3,300] 212/300/0@-50,0{0,0,50}[2,100]", 0, 0, 2},
        {15,
         "215/1500/215@0,0{30,20,0}[4,400](211/600/216@-10,-27{30,20,0}[3,300] 211/600/216@-10,27{30,20,0}[3,300]) "
         "210/400/0@-70,0{0,0,50}[2,100] 210/400/0@-50,-30{0,0,50}[2,100] 210/400/0@-50,30{0,0,50}[2,100]",
         0, 0, 2},
        {21, "221/900/220@0,0{20,30,0}[4,300] 220/600/0@-45,0{50,80,50}[4,100]", 0, 0, 2},
        {22, "221/2400/0@0,0{20,30,0}[8,400] 222/2000/0@-45,0{50,80,50}[4,200]", 201, 0, 2},
        {102,
         "252/1800/275@-80,0{40,30,0}[12,300] 251/3600/0@0,0{30,30,40}[30,500] 253/1800/251@-60,-150{20,40,0}[6,300] "
         "254/1800/252@-60,150{20,40,0}[6,300] 259/1600/0@60,0{30,20,0}[8,300] 255/1800/270@0,-130{30,60,0}[8,300] "
         "256/1800/270@0,130{30,60,0}[8,300] 261/900/0@30,-60{20,15,0}[5,200] 261/900/0@30,140{20,15,0}[5,200] "
         "261/900/0@30,-140{20,15,0}[5,200] 261/900/0@30,60{20,15,0}[5,200]",
         210, -1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        ResetPlayLists();
        const i32 e = SpawnEnemyStage2(c.kind);
        ASSERT_EQ(e, 0);
        const Enemy& enemy = g_EnemyList[0];
        EXPECT_EQ(Describe(enemy), c.tree);
        EXPECT_EQ(enemy.spawnId, c.spawnId);
        EXPECT_EQ(enemy.corePart, c.core);
        EXPECT_FLOAT_EQ(enemy.speed, c.speed);
        EXPECT_EQ(enemy.armoured, c.kind == 102 ? 1 : 0);
        EXPECT_EQ(enemy.active, 1);
        EXPECT_EQ(enemy.state, 0);
    }
}

TEST_F(Stage2KindsTest, GaugesSitAboveTheCoresThatCarryThem) {
    const i32 mid = SpawnEnemyStage2(6);
    EXPECT_FLOAT_EQ(g_EnemyPartPool[g_EnemyList[static_cast<std::size_t>(mid)].rootParts[2]].gaugeOffsetY, -20.0f);
    EXPECT_FLOAT_EQ(g_EnemyPartPool[g_EnemyList[static_cast<std::size_t>(mid)].rootParts[0]].gaugeOffsetY, 0.0f);
    const i32 boss = SpawnEnemyStage2(102);
    const Enemy& b = g_EnemyList[static_cast<std::size_t>(boss)];
    // P0 and P3 are root parts 7 and 10.
    for (const i32 r : {7, 10}) EXPECT_FLOAT_EQ(g_EnemyPartPool[b.rootParts[r]].gaugeOffsetY, -20.0f) << r;
    for (const i32 r : {8, 9}) EXPECT_FLOAT_EQ(g_EnemyPartPool[b.rootParts[r]].gaugeOffsetY, 0.0f) << r;
}

// Kind 2 (the convoy) and kind 102 (the boss) go to the front of the list;
// kind 1, with the same picture, to the back.
TEST_F(Stage2KindsTest, TheConvoyAndTheBossGoToTheFront) {
    EXPECT_EQ(SpawnEnemyStage2(5), 0);
    EXPECT_EQ(SpawnEnemyStage2(1), 1);
    EXPECT_EQ(SpawnEnemyStage2(2), 0);
    EXPECT_EQ(SpawnEnemyStage2(102), 0);
    EXPECT_EQ(g_EnemyList[0].spawnId, 210);
    EXPECT_EQ(g_EnemyList[3].spawnId, 211);
    EXPECT_EQ(CountFreePartSlots(), kEnemyPartPoolSize - 14);
}

TEST_F(Stage2KindsTest, UnknownKindsBuildNothingAndABossThatDoesNotFitIsRefused) {
    SpawnEnemyStage2(1);
    for (const i32 kind : {0, 3, 4, 7, 10, 13, 20, 23, 101, 103}) EXPECT_EQ(SpawnEnemyStage2(kind), -1) << kind;
    EXPECT_EQ(g_EnemyList.size(), 1u);
    while (CountFreePartSlots() >= 11) ASSERT_GE(SpawnEnemyStage2(15), 0);
    const std::size_t size = g_EnemyList.size();
    EXPECT_EQ(SpawnEnemyStage2(102), -1);
    EXPECT_EQ(g_EnemyList.size(), size);
}

}  // namespace
