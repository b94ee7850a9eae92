#include <gtest/gtest.h>

#include "engine/core/radians.h"
#include "engine/core/random.h"
#include "game/play/effects.h"
#include "game/play/enemy_runtime.h"
#include "game/play/part_death.h"
#include "game/shell/game_math.h"
#include "tests/game/play/enemyrt_fixture.h"

namespace {

using enemyrt_test::PlayFixture;

class PartDeathTest : public PlayFixture {
protected:
    // Kills a lone part of that sprite kind at (100, 100) on enemy 0.
    i32 Kill(i32 kind, i32 action = 77) {
        const i32 p = MakePart(kind, 0);
        g_EnemyPartPool[p].action = action;
        if (g_EnemyList.empty()) MakeEnemy(0, 100, 100, {p});
        const f32 pos[2] = {100, 100};
        const f32 angle = 0;
        SpawnPartDeathEffects(0, &g_EnemyPartPool[p], pos, &angle);
        return p;
    }
};

struct DeathCase {
    i32 kind;
    i32 mode;  // 77: unchanged
    int count;
    f32 spreadX;
    f32 spreadY;
    i32 sound;
};

TEST_F(PartDeathTest, DeathModesBurstsAndSoundsBySpriteKind) {
    const DeathCase cases[] = {
        {10, 77, 10, 50, 50, 14},  {22, 11, 10, 50, 50, 9},     {111, 13, 10, 50, 50, 14},  {110, 0, 10, 50, 50, 9},
        {141, 77, 10, 50, 50, 14}, {180, 11, 30, 150, 100, 9},  {257, 13, 10, 20, 50, 14},  {366, 380, 20, 50, 50, 9},
        {390, 11, 15, 50, 50, 14}, {410, 11, 10, 80, 80, 14},   {451, 77, 10, 50, 50, 9},   {497, 14, 10, 50, 50, 14},
        {536, 14, 10, 80, 30, 14}, {1004, 11, 20, 100, 100, 9}, {1005, 15, 10, 50, 50, 14}, {1008, 13, 15, 20, 20, 14},
        {530, 0, 6, 50, 50, 14},   {0, 0, 6, 50, 50, 14},
    };
    for (const DeathCase& c : cases) {
        Clean();
        g_GameState.StoryFlags[13] = 1;  // no talk
        SCOPED_TRACE(c.kind);
        const i32 p = Kill(c.kind);
        EXPECT_EQ(g_EnemyPartPool[p].state, -1);
        EXPECT_EQ(g_EnemyPartPool[p].action, c.mode);
        ASSERT_EQ(CountEffects(10), c.count);
        for (int k = 0; k < c.count; ++k) {
            const Effect& e = g_EffectList[static_cast<std::size_t>(k)];
            EXPECT_EQ(e.age, -2 * k);
            EXPECT_LE(std::abs(e.x - 100.0f), c.spreadX);
            EXPECT_LE(std::abs(e.y - 100.0f), c.spreadY);
        }
        EXPECT_TRUE(Played(c.sound));
        EXPECT_FALSE(Played(c.sound == 9 ? 14 : 9));
    }
}

TEST_F(PartDeathTest, TheBurstDrawsThreeNumbersPerExplosionInOrder) {
    RandomSeed(777);
    const f32 dx = RandomFloat(-50, 50);
    const f32 dy = RandomFloat(-50, 50);
    const f32 a = RandomFloat(-kPi, kPi);
    const f32 dx2 = RandomFloat(-50, 50);
    RandomSeed(777);
    Kill(1);
    ASSERT_EQ(g_EffectList.size(), 6u);
    EXPECT_EQ(g_EffectList[0].x, 100.0f + dx);
    EXPECT_EQ(g_EffectList[0].y, 100.0f + dy);
    EXPECT_EQ(g_EffectList[0].param, a);
    EXPECT_EQ(g_EffectList[1].x, 100.0f + dx2);
}

TEST_F(PartDeathTest, ExtrasOfParticularKinds) {
    // 451 shakes the screen; 20 starts talk 11 until story flag 13 is set.
    Kill(451);
    EXPECT_EQ(g_GameState.ScreenShakeTimer, 50);
    Clean();
    Kill(20);
    EXPECT_EQ(g_TalkState.eventId, 11);
    Clean();
    g_GameState.StageScriptPhase = 10;
    Kill(141);
    EXPECT_EQ(g_TalkState.eventId, 120);
    Clean();
    // 361 counts on its enemy, and in state 1304 gets action 1308.
    const i32 other = MakePart(1, 10);
    MakeEnemy(0, 0, 0, {other});
    g_EnemyList[0].state = 1304;
    const i32 p = Kill(361);
    EXPECT_EQ(g_EnemyList[0].counter, 1);
    EXPECT_EQ(g_EnemyPartPool[p].action, 1308);
}

TEST_F(PartDeathTest, ArmourPlatesHighUpSwitchToActionThreeThirtyNineUnlessCore) {
    const i32 core = MakePart(1, 10);
    const i32 plate = MakePart(344, 0);
    MakeEnemy(0, 100, 100, {core, plate}, 0);
    g_EnemyPartPool[plate].timer = 40;
    const f32 high[2] = {100, 149};
    const f32 angle = 0;
    SpawnPartDeathEffects(0, &g_EnemyPartPool[plate], high, &angle);
    EXPECT_EQ(g_EnemyPartPool[plate].action, 339);
    EXPECT_EQ(g_EnemyPartPool[plate].timer, 0);
    // The core itself, or a plate at 150 or below, keeps death mode 11.
    g_EnemyList[0].rootParts[0] = plate;
    SpawnPartDeathEffects(0, &g_EnemyPartPool[plate], high, &angle);
    EXPECT_EQ(g_EnemyPartPool[plate].action, 11);
    g_EnemyList[0].rootParts[0] = core;
    const f32 low[2] = {100, 150};
    SpawnPartDeathEffects(0, &g_EnemyPartPool[plate], low, &angle);
    EXPECT_EQ(g_EnemyPartPool[plate].action, 11);
}

TEST_F(PartDeathTest, KindThreeSeventeenSplitsIntoTwoNewParts) {
    struct Case {
        i32 kind;
        i32 newKind;
        i32 newAction;
        f32 x;
        i32 timerB;
    };
    const Case cases[] = {{317, 357, 1313, -18, 0}, {318, 356, 1312, -18, 50}, {319, 351, 1311, -13, 0}};
    for (const Case& c : cases) {
        Clean();
        SCOPED_TRACE(c.kind);
        const i32 p = Kill(c.kind);
        const EnemyPart& part = g_EnemyPartPool[p];
        EXPECT_EQ(part.state, 1);
        EXPECT_EQ(part.spriteKind, 308);
        EXPECT_EQ(part.action, 1325);
        EXPECT_EQ(part.hp, 4000);
        EXPECT_EQ(part.maxHp, 4000);
        const EnemyPart* a = PartAt(part.children[0]);
        const EnemyPart* b = PartAt(part.children[1]);
        ASSERT_NE(a, nullptr);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(a->spriteKind, c.newKind);
        EXPECT_EQ(b->action, c.newAction);
        EXPECT_EQ(a->hp, 1200);
        EXPECT_EQ(a->coinValue, 2);
        EXPECT_EQ(b->scoreValue, 500);
        EXPECT_EQ(a->offsetX, c.x);
        EXPECT_EQ(a->offsetY, -25.0f);
        EXPECT_EQ(b->offsetX, c.x);
        EXPECT_EQ(b->offsetY, 25.0f);
        EXPECT_EQ(a->timer, 0);
        EXPECT_EQ(b->timer, c.timerB);
        EXPECT_EQ(a->children[0], kNoPart);
        EXPECT_TRUE(Played(9));
    }
    // Killed again it dies as kind 308: mode 11, ten explosions, sound 14.
    const i32 p = g_EnemyList[0].rootParts[0];
    g_EffectList.clear();
    RearmSoundEffectGates();
    const f32 pos[2] = {100, 100};
    const f32 angle = 0;
    SpawnPartDeathEffects(0, &g_EnemyPartPool[p], pos, &angle);
    EXPECT_EQ(g_EnemyPartPool[p].state, -1);
    EXPECT_EQ(g_EnemyPartPool[p].action, 11);
    EXPECT_EQ(CountEffects(10), 10);
    EXPECT_TRUE(Played(14));
}

TEST_F(PartDeathTest, ASplitInAFullPoolMakesNoChildren) {
    const i32 p = MakePart(317, 0);
    MakeEnemy(0, 100, 100, {p});
    g_EnemyPartPool[p].children[0] = kNoPart;
    while (AllocateEnemyPart() >= 0) {}
    const f32 pos[2] = {100, 100};
    const f32 angle = 0;
    SpawnPartDeathEffects(0, &g_EnemyPartPool[p], pos, &angle);
    EXPECT_EQ(g_EnemyPartPool[p].spriteKind, 308);
    EXPECT_EQ(g_EnemyPartPool[p].children[0], kNoPart);
}

TEST_F(PartDeathTest, KindThousandThreeCountsOnlyWhatTheRulesSay) {
    const i32 hub = MakePart(1003, 0);
    const i32 kids[4] = {MakePart(1, 0), MakePart(1, 0), MakePart(1, 0), MakePart(1, 5)};
    for (i32 k : kids) AddChild(hub, k);
    MakeEnemy(0, 100, 100, {hub}, 0);
    const f32 pos[2] = {50, 60};
    const f32 angle = 0;
    SpawnPartDeathEffects(0, &g_EnemyPartPool[hub], pos, &angle);
    EXPECT_EQ(g_GameState.KillCountB, 0);  // one child still has hit points
    EXPECT_EQ(g_GameState.KillCountA, 1);
    EXPECT_EQ(CountEffects(16), 0);
    g_EnemyPartPool[kids[3]].hp = 0;
    g_EnemyList[0].corePart = kNoPart;
    SpawnPartDeathEffects(0, &g_EnemyPartPool[hub], pos, &angle);
    EXPECT_EQ(g_GameState.KillCountB, 1);
    EXPECT_EQ(g_GameState.KillCountA, 1);  // no core part any more
    EXPECT_EQ(CountEffects(16), 10);
    ASSERT_EQ(CountEffects(66), 1);
    for (const Effect& e : g_EffectList) {
        if (e.kind == 16) {
            EXPECT_EQ(e.x, 50.0f);
        }
        if (e.kind == 66) {
            EXPECT_EQ(e.y, 30.0f);
        }
    }
}

// --- DestroyEnemy ------------------------------------------------------------------

class DestroyEnemyTest : public PlayFixture {
protected:
    // A boss of the spawn id with three dead-able root parts and a child.
    i32 Boss(i32 spawnId, i32 hp = 0) {
        const i32 r0 = MakePart(1, hp);
        const i32 r1 = MakePart(1, hp);
        const i32 r2 = MakePart(1, hp);
        const i32 c0 = MakePart(1, hp);
        const i32 c1 = MakePart(1, hp);
        AddChild(r0, c0);
        AddChild(r0, c1);
        return MakeEnemy(spawnId, 300, 200, {r0, r1, r2}, 0);
    }
};

TEST_F(DestroyEnemyTest, RemainingRootPartsAreKilledFirst) {
    Boss(999, 10);
    DestroyEnemy(0);
    // Roots die with their subtrees (kind 1: 6 explosions each, five parts).
    EXPECT_EQ(CountEffects(10), 30);
    for (i32 i = 0; i < 5; ++i) EXPECT_EQ(g_EnemyPartPool[i].state, -1);
    for (i32 i = 0; i < 5; ++i) EXPECT_EQ(g_EnemyPartPool[i].inUse, 0);  // then released
    EXPECT_EQ(g_EnemyList[0].corePart, 0);
}

TEST_F(DestroyEnemyTest, BossBonusOfSpawnIdThreeNinety) {
    // m = 16 (level 8), n = 20, L = 2: (320 + 1600 + 300) x 2 + 2500 = 6940.
    g_PlayerState[0].shotLevel = 8;
    g_PlayerState[0].lives = 2;
    for (int i = 0; i < 20; ++i) g_EnemyBulletList.push_back(EnemyBullet{});
    Boss(390);
    g_EnemyList[0].speed = 3;
    DestroyEnemy(0);
    EXPECT_EQ(g_PlayerState[0].StageScorePoints, 20 * 10 * 16 + 6940);  // the clear pays first
    EXPECT_EQ(g_GameState.RankPoints, 138);
    EXPECT_EQ(CountEffects(1000 + 6940), 1);
    EXPECT_EQ(CountEffects(64), 1);
    EXPECT_EQ(CountEffects(16), 10);  // all three roots were spent
    EXPECT_EQ(g_EnemyList[0].corePart, kNoPart);
    EXPECT_EQ(g_EnemyList[0].state, 102);
    EXPECT_EQ(g_EnemyList[0].age, 0);
    EXPECT_EQ(g_EnemyList[0].speed, 0.0f);
    EXPECT_EQ(g_GameState.BossActiveFlag, 1);
    EXPECT_TRUE(g_EnemyBulletList.empty());  // cleared
    EXPECT_EQ(g_EnemyPartPool[0].inUse, 1);  // a boss phase keeps its parts
}

TEST_F(DestroyEnemyTest, TheRingNeedsEveryListedPartSpent) {
    Boss(302);
    g_EnemyPartPool[4].hp = 1;  // child 1 of root 0 is not in 302's list
    DestroyEnemy(0);
    EXPECT_EQ(CountEffects(16), 10);
    EXPECT_TRUE(Played(9));
    Clean();
    Boss(302);
    g_EnemyPartPool[3].hp = 1;  // child 0 is
    DestroyEnemy(0);
    EXPECT_EQ(CountEffects(16), 0);
    EXPECT_FALSE(Played(9));
    EXPECT_EQ(g_EnemyList[0].state, 312);
}

TEST_F(DestroyEnemyTest, KillCountRowsReleaseTheirParts) {
    for (i32 id : {120, 203}) {
        Clean();
        Boss(id);
        DestroyEnemy(0);
        EXPECT_EQ(g_GameState.KillCountA, id == 120 ? 1 : 0);
        EXPECT_EQ(g_GameState.KillCountB, id == 203 ? 1 : 0);
        EXPECT_EQ(g_EnemyList[0].corePart, 0);
        for (i32 i = 0; i < 5; ++i) EXPECT_EQ(g_EnemyPartPool[i].inUse, 0) << id;
    }
}

TEST_F(DestroyEnemyTest, TalkChoicesBySpawnId) {
    Boss(111);
    DestroyEnemy(0);
    EXPECT_NE(g_TalkState.eventId, 108);  // 107 (which the talk table lacks)
    EXPECT_EQ(g_EnemyList[0].state, 113);
    Clean();
    Boss(111);
    MakeEnemy(5, 0, 0, {});
    DestroyEnemy(0);
    EXPECT_EQ(g_TalkState.eventId, 108);
    Clean();
    Boss(10);
    DestroyEnemy(0);
    EXPECT_EQ(g_TalkState.eventId, 10);
    EXPECT_EQ(g_EnemyList[0].state, 52);
    EXPECT_EQ(CountEffects(61), 1);
}

TEST_F(DestroyEnemyTest, TheLastBossStopsTheMusicAndMovesTheScript) {
    Boss(1001);
    DestroyEnemy(0);
    EXPECT_EQ(g_EnemyList[0].state, 1099);
    EXPECT_EQ(g_EnemyPartPool[0].action, 11);
    EXPECT_EQ(g_GameState.StageScriptPhase, 14);
    EXPECT_TRUE(Played(9));
}

TEST_F(DestroyEnemyTest, EveryEnemysFirstRootLosesItsShapeAtSpawnIdOneFifty) {
    Boss(150);
    const i32 escortPart = MakePart(1, 10);
    g_EnemyPartPool[escortPart].action = 5;
    MakeEnemy(5, 0, 0, {escortPart});
    DestroyEnemy(0);
    EXPECT_EQ(g_EnemyPartPool[escortPart].action, 0);
    EXPECT_EQ(g_EnemyPartPool[escortPart].hitShape.radius, 0.0f);
    EXPECT_EQ(g_TalkState.eventId, 134);
    EXPECT_EQ(g_EnemyList[0].state, 152);
}

TEST_F(DestroyEnemyTest, AnEnemyWithoutPartsOrOutOfRangeIsHarmless) {
    DestroyEnemy(0);
    MakeEnemy(390, 0, 0, {});
    DestroyEnemy(0);
    EXPECT_EQ(g_EnemyList[0].state, 102);
    EXPECT_EQ(CountEffects(16), 10);  // missing parts count as spent
}

}  // namespace
