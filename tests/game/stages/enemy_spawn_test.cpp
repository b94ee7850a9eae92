#include <vector>

#include "engine/core/radians.h"
#include "game/stages/enemy_spawn.h"
#include "game/stages/stage_content.h"
#include "tests/game/enemy/enemy_fixture.h"

namespace {

using enemy_test::EnemyFrameTest;
using enemy_test::TableKind;
using enemy_test::TablePart;

// Kind 52 of the test table: two guns under a core and two free guns, the core
// third in the root list.
EnemyKindSpec CoreKind() {
    PartSpec gun = TablePart(111, 10, -70);
    gun.hp = 1200;
    gun.shape = HitShape{0, 0, 20};
    gun.action = 133;
    gun.coin = 3;
    gun.score = 100;
    std::vector<PartSpec> parts(4, gun);
    parts[1].offsetY = 70;
    parts[2].offsetX = 35;
    parts[3].offsetX = 35;
    PartSpec core = TablePart(112, 0, 0, {0, 1});
    core.hp = 3500;
    core.shape = HitShape{50, 30, 0};
    core.action = 134;
    core.gaugeOffsetY = 20;
    parts.push_back(core);
    EnemyKindSpec k = TableKind(parts, {2, 3, 4});
    k.kind = 52;
    k.spawnId = 111;
    k.speed = 1.0f;
    k.corePart = 2;
    return k;
}

class EnemySpawnTest : public EnemyFrameTest {};

TEST_F(EnemySpawnTest, BuildsEveryFieldOfThePartsAndTheRecord) {
    // A slot left dirty by an earlier occupant is filled afresh.
    g_EnemyPartPool[2].timer = 999;
    g_EnemyPartPool[2].hitTimer = 50;
    g_EnemyPartPool[2].state = -1;
    g_EnemyPartPool[2].children[0] = 7;
    g_EnemyPartPool[2].angle = 3.0f;
    const i32 e = SpawnEnemyKind(CoreKind());
    ASSERT_EQ(e, 0);
    const Enemy& enemy = g_EnemyList[0];
    EXPECT_EQ(enemy.spawnId, 111);
    EXPECT_EQ(enemy.corePart, 2);
    EXPECT_EQ(enemy.active, 1);
    EXPECT_EQ(enemy.state, 0);
    EXPECT_EQ(enemy.age, 0);
    EXPECT_EQ(enemy.speed, 1.0f);
    EXPECT_EQ(enemy.heading, kHalfPi);
    EXPECT_EQ(enemy.rotation, kHalfPi);
    EXPECT_EQ(enemy.scale, 1.0f);
    EXPECT_EQ(enemy.layer, 0);
    const i32 roots[] = {2, 3, 4, -1};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(enemy.rootParts[i], roots[i]);
    for (int i = 3; i < kPartLinks; ++i) EXPECT_EQ(enemy.rootParts[i], kNoPart);

    const EnemyPart& gun = g_EnemyPartPool[2];
    EXPECT_EQ(gun.inUse, 1);
    EXPECT_EQ(gun.state, 1);
    EXPECT_EQ(gun.spriteKind, 111);
    EXPECT_EQ(gun.maxHp, 1200);
    EXPECT_EQ(gun.hp, 1200);
    EXPECT_EQ(gun.timer, 0);
    EXPECT_EQ(gun.hitTimer, 0);
    EXPECT_EQ(gun.angle, 0.0f);
    EXPECT_EQ(gun.offsetX, 35.0f);
    EXPECT_EQ(gun.offsetY, -70.0f);
    EXPECT_EQ(gun.hitShape.radius, 20.0f);
    EXPECT_EQ(gun.action, 133);
    EXPECT_EQ(gun.coinValue, 3);
    EXPECT_EQ(gun.scoreValue, 100);
    EXPECT_EQ(gun.children[0], kNoPart);
    const EnemyPart& core = g_EnemyPartPool[4];
    EXPECT_EQ(core.children[0], 0);
    EXPECT_EQ(core.children[1], 1);
    EXPECT_EQ(core.children[2], kNoPart);
    EXPECT_EQ(core.gaugeOffsetY, 20.0f);
    EXPECT_EQ(CountFreePartSlots(), kEnemyPartPoolSize - 5);
}

TEST_F(EnemySpawnTest, AOnePartKindKeepsItsRowsAndBuildsItsPartAsItsOneRoot) {
    // The fields the rows leave out keep their defaults.
    // clang-format off
    const EnemyKindSpec k = OnePartKind({.kind = 12, .spawnId = 120, .speed = 0.5f, .corePart = -1},
                                        {.spriteKind = 502, .hp = 3800, .shape = {40, 25, 30}, .offsetX = 1.5f,
                                         .action = 530, .coin = 20, .score = 500, .children = {3, 1}});
    // clang-format on
    EXPECT_EQ(k.kind, 12);
    EXPECT_EQ(k.spawnId, 120);
    EXPECT_EQ(k.speed, 0.5f);
    EXPECT_EQ(k.corePart, -1);
    EXPECT_EQ(k.armoured, 0);
    EXPECT_EQ(k.active, 1);
    EXPECT_EQ(k.state, 0);
    EXPECT_EQ(k.placement, SpawnPlacement::kBack);
    EXPECT_EQ(k.finish, nullptr);
    EXPECT_EQ(k.roots, (std::vector<i32>{0}));
    ASSERT_EQ(k.parts.size(), 1u);
    const PartSpec& p = k.parts[0];
    EXPECT_EQ(p.spriteKind, 502);
    EXPECT_EQ(p.hp, 3800);
    EXPECT_EQ(p.shape.halfWidth, 40.0f);
    EXPECT_EQ(p.shape.radius, 30.0f);
    EXPECT_EQ(p.offsetX, 1.5f);
    EXPECT_EQ(p.offsetY, 0.0f);
    EXPECT_EQ(p.action, 530);
    EXPECT_EQ(p.coin, 20);
    EXPECT_EQ(p.score, 500);
    EXPECT_EQ(p.children, (std::vector<i32>{3, 1}));
    EXPECT_EQ(p.gaugeOffsetX, 0.0f);
    EXPECT_EQ(p.gaugeOffsetY, 0.0f);
    EXPECT_EQ(p.restAngle, 0.0f);
    EXPECT_EQ(p.angle, 0.0f);
    EXPECT_EQ(p.timer, 0);

    // Built, its one part is its one root.
    const i32 e = SpawnEnemyKind(OnePartKind({.kind = 1}, {.spriteKind = 101, .hp = 200}));
    ASSERT_EQ(e, 0);
    const Enemy& enemy = g_EnemyList[0];
    EXPECT_EQ(enemy.speed, 2.0f);
    EXPECT_EQ(enemy.corePart, 0);
    EXPECT_EQ(g_EnemyPartPool[static_cast<std::size_t>(enemy.rootParts[0])].spriteKind, 101);
    EXPECT_EQ(enemy.rootParts[1], kNoPart);
    EXPECT_EQ(CountFreePartSlots(), kEnemyPartPoolSize - 1);
}

TEST_F(EnemySpawnTest, PlacementsAndTheirResults) {
    EnemyKindSpec back = TableKind({TablePart(101, 0, 0)}, {0});
    back.spawnId = 1;
    EnemyKindSpec front = back;
    front.spawnId = 2;
    front.placement = SpawnPlacement::kFront;
    EnemyKindSpec beforeActive = back;
    beforeActive.spawnId = 3;
    beforeActive.placement = SpawnPlacement::kBeforeFirstActive;

    // No active enemy: appended.
    EXPECT_EQ(SpawnEnemyKind(beforeActive), 0);
    g_EnemyList[0].active = 0;
    EXPECT_EQ(SpawnEnemyKind(back), 1);
    EXPECT_EQ(SpawnEnemyKind(back), 2);
    EXPECT_EQ(SpawnEnemyKind(front), 0);
    g_EnemyList[0].active = 0;
    // Before the first active one (index 2 now, after the inactive one at 1).
    EXPECT_EQ(SpawnEnemyKind(beforeActive), 2);
    std::vector<i32> order;
    for (const Enemy& e : g_EnemyList) order.push_back(e.spawnId);
    EXPECT_EQ(order, (std::vector<i32>{2, 3, 3, 1, 1}));
}

TEST_F(EnemySpawnTest, UnknownKindsAndSpawnsThatDoNotFitBuildNothing) {
    const std::vector<EnemyKindSpec> table = {CoreKind()};
    SpawnEnemyKind(TableKind({TablePart(101, 0, 0)}, {0}));
    EXPECT_EQ(SpawnEnemyFromTable(table, 3), -1);
    EXPECT_EQ(g_EnemyList.size(), 1u);
    EXPECT_EQ(CountFreePartSlots(), kEnemyPartPoolSize - 1);

    // Four free slots left for a kind of five parts.
    for (i32 i = 0; i < kEnemyPartPoolSize - 4; ++i) g_EnemyPartPool[i].inUse = 1;
    const EnemyPart before = g_EnemyPartPool[kEnemyPartPoolSize - 1];
    EXPECT_EQ(SpawnEnemyFromTable(table, 52), -1);
    EXPECT_EQ(g_EnemyList.size(), 1u);
    EXPECT_EQ(CountFreePartSlots(), 4);
    EXPECT_EQ(g_EnemyPartPool[kEnemyPartPoolSize - 1].spriteKind, before.spriteKind);
    // One more slot and it fits, using exactly the free slots.
    g_EnemyPartPool[0].inUse = 0;
    EXPECT_EQ(SpawnEnemyFromTable(table, 52), 1);
    EXPECT_EQ(CountFreePartSlots(), 0);
    EXPECT_EQ(g_EnemyList[1].rootParts[2], kEnemyPartPoolSize - 1);
}

TEST_F(EnemySpawnTest, TwentyLinksUseEveryEntryAndLaterOnesAreDropped) {
    std::vector<PartSpec> parts;
    std::vector<i32> children;
    for (i32 i = 0; i < 21; ++i) {
        parts.push_back(TablePart(101, 0, 0));
        children.push_back(i);
    }
    parts.push_back(TablePart(102, 0, 0, children));
    const i32 e = SpawnEnemyKind(TableKind(parts, {21}));
    ASSERT_EQ(e, 0);
    const EnemyPart& root = g_EnemyPartPool[g_EnemyList[0].rootParts[0]];
    for (i32 i = 0; i < kPartLinks; ++i) EXPECT_EQ(root.children[i], i);
}

TEST_F(EnemySpawnTest, TheStageSpawnersRefuseKindsTheyDoNotHave) {
    for (auto spawn : {SpawnEnemyStage1, SpawnEnemyStage2, SpawnEnemyStage3, SpawnEnemyStage4, SpawnEnemyStage5}) {
        EXPECT_EQ(spawn(123456), -1);
    }
    EXPECT_TRUE(g_EnemyList.empty());
    EXPECT_EQ(CountFreePartSlots(), kEnemyPartPoolSize);
}

void Mark(Enemy& record, std::span<const i32> slots) {
    record.armoured = 1;
    g_EnemyPartPool[slots[0]].spriteKind = 433;
}

TEST_F(EnemySpawnTest, AKindsOwnFinishRunsBeforeTheRecordIsPlaced) {
    EnemyKindSpec k = TableKind({TablePart(430, 0, 0)}, {0});
    k.finish = Mark;
    SpawnEnemyKind(k);
    EXPECT_EQ(g_EnemyList[0].armoured, 1);
    EXPECT_EQ(g_EnemyPartPool[g_EnemyList[0].rootParts[0]].spriteKind, 433);
}

}  // namespace
