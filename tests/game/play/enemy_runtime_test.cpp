#include <gtest/gtest.h>

#include <vector>

#include "game/play/effects.h"
#include "game/play/enemy_runtime.h"
#include "game/play/part_death.h"
#include "tests/game/play/enemyrt_fixture.h"

namespace {

using enemyrt_test::PlayFixture;

class PartPoolTest : public PlayFixture {};

TEST_F(PartPoolTest, HandsOutTheLowestFreeSlotAndKeepsWhatTheLastUserLeft) {
    EXPECT_EQ(AllocateEnemyPart(), 0);
    EXPECT_EQ(AllocateEnemyPart(), 1);
    EXPECT_EQ(AllocateEnemyPart(), 2);
    g_EnemyPartPool[1].hp = 55;
    g_EnemyPartPool[1].gaugeOffsetX = 7;
    g_EnemyPartPool[1].gaugeOffsetY = 8;
    ReleaseEnemyPart(&g_EnemyPartPool[1]);
    EXPECT_EQ(g_EnemyPartPool[1].inUse, 0);
    EXPECT_EQ(AllocateEnemyPart(), 1);
    EXPECT_EQ(g_EnemyPartPool[1].inUse, 1);
    EXPECT_EQ(g_EnemyPartPool[1].gaugeOffsetX, 0.0f);
    EXPECT_EQ(g_EnemyPartPool[1].gaugeOffsetY, 0.0f);
    EXPECT_EQ(g_EnemyPartPool[1].hp, 55);
    EXPECT_EQ(AllocateEnemyPart(), 3);
}

TEST_F(PartPoolTest, AFullPoolAnswersMinusOneAndTouchesNoLivePart) {
    for (i32 i = 0; i < kEnemyPartPoolSize; ++i) ASSERT_EQ(AllocateEnemyPart(), i);
    g_EnemyPartPool[0].hp = 99;
    g_EnemyPartPool[0].gaugeOffsetX = 5;
    EXPECT_EQ(AllocateEnemyPart(), kNoPart);
    EXPECT_EQ(g_EnemyPartPool[0].hp, 99);
    EXPECT_EQ(g_EnemyPartPool[0].gaugeOffsetX, 5.0f);
    ReleaseEnemyPart(&g_EnemyPartPool[kEnemyPartPoolSize - 1]);
    EXPECT_EQ(AllocateEnemyPart(), kEnemyPartPoolSize - 1);
}

TEST_F(PartPoolTest, ReleasingAnEnemyFreesEveryPartOfEveryTree) {
    const i32 a = MakePart(1, 10);
    const i32 b = MakePart(1, 10);
    const i32 c = MakePart(1, 10);
    const i32 d = MakePart(1, 10);
    const i32 untouched = MakePart(1, 10);
    AddChild(a, b);
    AddChild(b, c);
    MakeEnemy(0, 0, 0, {a, d});
    ReleaseEnemyParts(0);
    for (i32 p : {a, b, c, d}) EXPECT_EQ(g_EnemyPartPool[p].inUse, 0) << p;
    EXPECT_EQ(g_EnemyPartPool[untouched].inUse, 1);
    EXPECT_EQ(g_EnemyList.size(), 1u);  // the record itself stays
    ReleaseEnemyParts(5);               // no such enemy: nothing happens
}

TEST_F(PartPoolTest, BrokenLinksNeitherCrashNorLoop) {
    const i32 a = MakePart(1, 10);
    const i32 b = MakePart(1, 10);
    AddChild(a, b);
    AddChild(b, a);                         // a cycle
    g_EnemyPartPool[b].children[1] = 5000;  // outside the pool: ends the list
    g_EnemyPartPool[b].children[2] = b;
    ReleaseEnemyPart(&g_EnemyPartPool[a]);
    EXPECT_EQ(g_EnemyPartPool[a].inUse, 0);
    EXPECT_EQ(g_EnemyPartPool[b].inUse, 0);
    EXPECT_EQ(PartAt(-1), nullptr);
    EXPECT_EQ(PartAt(300), nullptr);
    EXPECT_EQ(PartAt(299), &g_EnemyPartPool[299]);
    EXPECT_FALSE(PartAlive(-1));
    EXPECT_TRUE(PartSpent(-1));

    // A cyclic tree under fire and under a kill stops at the depth limit.
    g_EnemyPartPool[a].inUse = 1;
    g_EnemyPartPool[b].inUse = 1;
    const i32 enemy = MakeEnemy(0, 200, 200, {a});
    g_PlayerShotList.push_back(Shot(10, 1, 200, 200));
    Enemy& e = g_EnemyList[static_cast<std::size_t>(enemy)];
    CollideEnemyPart(enemy, &g_EnemyPartPool[a], &e.x, &e.rotation);
    KillEnemyPart(enemy, &g_EnemyPartPool[a], &e.x, &e.rotation);
    EXPECT_EQ(g_EnemyPartPool[a].state, -1);
}

// --- RunEnemies --------------------------------------------------------------

std::vector<i32> g_steppedEnemies;
std::vector<std::pair<i32, i32>> g_steppedParts;  // (enemy, pool slot)
std::vector<std::pair<f32, f32>> g_partParents;
std::vector<i32> g_partDifficulties;

// Spawn id 7 leaves (parts released, record erased); id 8 appends a new enemy
// of id 9 the first time it runs.
bool TestBehaviour(i32 enemy, i32 state) {
    (void)state;
    g_steppedEnemies.push_back(g_EnemyList[static_cast<std::size_t>(enemy)].spawnId);
    Enemy& e = g_EnemyList[static_cast<std::size_t>(enemy)];
    if (e.spawnId == 7) {
        ReleaseEnemyParts(enemy);
        g_EnemyList.erase(g_EnemyList.begin() + enemy);
        return false;
    }
    if (e.spawnId == 8 && e.state == 0) {
        e.state = 1;
        Enemy born;
        born.spawnId = 9;
        g_EnemyList.push_back(born);
    }
    return true;
}

void TestPartStep(i32 difficulty, i32 enemy, EnemyPart* part, const f32 parentPos[2], const f32* parentAngle) {
    (void)parentAngle;
    g_steppedParts.push_back({enemy, static_cast<i32>(part - g_EnemyPartPool)});
    g_partParents.push_back({parentPos[0], parentPos[1]});
    g_partDifficulties.push_back(difficulty);
}

bool LyingBehaviour(i32, i32) { return false; }

class RunEnemiesTest : public PlayFixture {
protected:
    void SetUp() override {
        PlayFixture::SetUp();
        g_steppedEnemies.clear();
        g_steppedParts.clear();
        g_partParents.clear();
        g_partDifficulties.clear();
    }
};

TEST_F(RunEnemiesTest, AnErasedEnemyIsNotAgedAndTheNextOneIsSteppedInTheSameFrame) {
    g_GameState.StageIndex = 2;
    g_GameState.Difficulty = 1;
    RegisterStepEnemy(2, TestBehaviour);
    RegisterStepPart(2, TestPartStep);
    const i32 p0 = MakePart(1, 10);
    const i32 p1 = MakePart(1, 10);
    const i32 p2 = MakePart(1, 10);
    const i32 p3 = MakePart(1, 10);
    MakeEnemy(7, 1, 1, {p0});
    MakeEnemy(5, 10, 20, {p1, p2});
    MakeEnemy(8, 30, 40, {p3});
    RunEnemies();
    // 7 leaves, 5 slides into index 0, 8 appends 9, which runs this frame too.
    EXPECT_EQ(g_steppedEnemies, (std::vector<i32>{7, 5, 8, 9}));
    ASSERT_EQ(g_EnemyList.size(), 3u);
    EXPECT_EQ(g_EnemyList[0].spawnId, 5);
    EXPECT_EQ(g_EnemyList[0].age, 1);
    EXPECT_EQ(g_EnemyList[1].age, 1);
    EXPECT_EQ(g_EnemyList[2].age, 1);
    EXPECT_EQ(g_EnemyPartPool[p0].inUse, 0);
    EXPECT_EQ(g_steppedParts, (std::vector<std::pair<i32, i32>>{{0, p1}, {0, p2}, {1, p3}}));
    EXPECT_EQ(g_partParents[0], (std::pair<f32, f32>{10, 20}));
    EXPECT_EQ(g_partParents[2], (std::pair<f32, f32>{30, 40}));
}

TEST_F(RunEnemiesTest, TheStagePicksTheRoutinesAndThePartStepIsHandedTheDifficulty) {
    RegisterStepEnemy(0, TestBehaviour);
    RegisterStepPart(0, TestPartStep);
    const i32 p = MakePart(1, 10);
    MakeEnemy(5, 0, 0, {p});
    g_GameState.StageIndex = 1;  // nothing registered
    RunEnemies();
    EXPECT_TRUE(g_steppedEnemies.empty());
    EXPECT_TRUE(g_steppedParts.empty());
    g_GameState.StageIndex = 0;
    for (const i32 difficulty : {0, 1, 2, 7}) {
        g_GameState.Difficulty = difficulty;  // any value but 0 and 1 is HARD
        RunEnemies();
    }
    EXPECT_EQ(g_steppedEnemies, (std::vector<i32>{5, 5, 5, 5}));
    EXPECT_EQ(g_partDifficulties, (std::vector<i32>{0, 1, 2, 2}));
    EXPECT_EQ(g_EnemyList[0].age, 5);
}

TEST_F(RunEnemiesTest, ABehaviourThatAnswersFalseWithoutErasingCannotStallTheFrame) {
    RegisterStepEnemy(0, LyingBehaviour);
    MakeEnemy(5, 0, 0, {});
    MakeEnemy(6, 0, 0, {});
    RunEnemies();
    EXPECT_EQ(g_EnemyList.size(), 2u);
    EXPECT_EQ(g_EnemyList[0].age, 0);
}

// --- damage, kills, missiles ---------------------------------------------------

class DamageTest : public PlayFixture {};

struct DamageCase {
    i32 shotKind;
    i32 armoured;
    i32 damage;
    i32 hpLost;
    int hitFlashes;
};

TEST_F(DamageTest, ShotDamageByKindAndArmour) {
    const DamageCase cases[] = {
        {10, 0, 7, 7, 1},  {10, 1, 7, 7, 1},  {100, 0, 7, 7, 0}, {100, 1, 7, 4, 0},
        {101, 0, 7, 7, 0}, {101, 1, 7, 3, 0}, {101, 1, 1, 0, 0}, {100, 1, 20, 12, 0},
    };
    for (const DamageCase& c : cases) {
        Clean();
        const i32 p = MakePart(1, 100);
        const i32 enemy = MakeEnemy(0, 200, 200, {p});
        g_EnemyList[0].armoured = c.armoured;
        g_PlayerShotList.push_back(Shot(c.shotKind, c.damage, 203, 200));
        Enemy& e = g_EnemyList[0];
        CollideEnemyPart(enemy, &g_EnemyPartPool[p], &e.x, &e.rotation);
        SCOPED_TRACE(testing::Message() << "kind " << c.shotKind << " armoured " << c.armoured);
        EXPECT_EQ(100 - g_EnemyPartPool[p].hp, c.hpLost);
        EXPECT_EQ(g_EnemyPartPool[p].hitTimer, 100);
        EXPECT_EQ(CountEffects(19), c.hitFlashes);
        EXPECT_EQ(g_PlayerState[0].StageScorePoints, c.shotKind == 10 ? 1 : 0);
        EXPECT_TRUE(g_PlayerShotList.empty());  // consumed
    }
}

TEST_F(DamageTest, GunHitSoundIsSpacedByFourFrames) {
    const i32 p = MakePart(1, 1000);
    MakeEnemy(0, 200, 200, {p});
    SoundEffectStamps[7] = 10;
    g_GameState.FrameCounter = 13;
    g_PlayerShotList.push_back(Shot(10, 1, 200, 200));
    CollideEnemyPart(0, &g_EnemyPartPool[p], &g_EnemyList[0].x, &g_EnemyList[0].rotation);
    EXPECT_FALSE(Played(7));
    g_GameState.FrameCounter = 14;
    g_PlayerShotList.push_back(Shot(10, 1, 200, 200));
    CollideEnemyPart(0, &g_EnemyPartPool[p], &g_EnemyList[0].x, &g_EnemyList[0].rotation);
    EXPECT_TRUE(Played(7));
    EXPECT_EQ(GetSoundEffectStamp(7), 14);
}

struct KillCase {
    i32 level;
    i32 coins;        // multiplier + coin value
    i32 stagePoints;  // 1 for the hit + m x scoreValue / 2
    i32 levelEffect;  // 0 none
};

TEST_F(DamageTest, AKillPaysCoinsPointsAndRankByShotLevel) {
    const KillCase cases[] = {
        {1, 1 + 3, 1 + 75 / 2, 0},
        {2, 2 + 3, 1 + 75, 41},
        {5, 6 + 3, 1 + (6 * 75) / 2, 44},
        {8, 16 + 3, 1 + 16 * 75 / 2, 47},
    };
    for (const KillCase& c : cases) {
        Clean();
        SCOPED_TRACE(c.level);
        g_PlayerState[0].shotLevel = c.level;
        const i32 p = MakePart(1, 5);
        const i32 child = MakePart(1, 50, 0.0f, 0.0f, 30.0f);
        AddChild(p, child);
        g_EnemyPartPool[p].coinValue = 3;
        g_EnemyPartPool[p].scoreValue = 75;
        MakeEnemy(0, 200, 200, {p});
        g_PlayerShotList.push_back(Shot(10, 7, 200, 200));
        CollideEnemyPart(0, &g_EnemyPartPool[p], &g_EnemyList[0].x, &g_EnemyList[0].rotation);
        ASSERT_EQ(static_cast<i32>(g_CoinList.size()), c.coins);
        EXPECT_EQ(g_CoinList[0].kind, 10);
        EXPECT_EQ(g_CoinList[0].x, 200.0f);
        EXPECT_EQ(g_CoinList[0].y, 200.0f);
        EXPECT_EQ(g_PlayerState[0].StageScorePoints, c.stagePoints);
        EXPECT_EQ(g_GameState.RankPoints, c.level);
        EXPECT_EQ(CountEffects(41) + CountEffects(42) + CountEffects(43) + CountEffects(44) + CountEffects(45) +
                      CountEffects(46) + CountEffects(47),
                  c.levelEffect != 0 ? 1 : 0);
        if (c.levelEffect != 0) {
            EXPECT_EQ(CountEffects(c.levelEffect), 1);
        }
        EXPECT_EQ(g_EnemyPartPool[p].state, -1);
        EXPECT_EQ(g_EnemyPartPool[child].state, -1);  // the subtree dies with it
    }
}

TEST_F(DamageTest, AfterAKillLaterShotsAndMissilesPassThrough) {
    const i32 p = MakePart(1, 5);
    MakeEnemy(0, 200, 200, {p});
    g_PlayerShotList.push_back(Shot(10, 10, 200, 200, 0));  // not consumed
    g_PlayerShotList.push_back(Shot(10, 10, 200, 200, 1));
    PlayerMissile m;
    m.x = 200;
    m.y = 200;
    m.hitShape = HitShape{0, 0, 5};
    g_PlayerMissileList.push_back(m);
    CollideEnemyPart(0, &g_EnemyPartPool[p], &g_EnemyList[0].x, &g_EnemyList[0].rotation);
    EXPECT_EQ(g_EnemyPartPool[p].hp, -5);
    EXPECT_EQ(g_PlayerShotList.size(), 2u);
    EXPECT_EQ(g_PlayerMissileList.size(), 1u);
    EXPECT_EQ(g_PlayerState[0].shotLevel, 1);
}

TEST_F(DamageTest, ChildrenAreTestedBeforeTheirParentWithScaleAndRotation) {
    // Root at the enemy, child 10 to the right of it: the enemy turned a
    // quarter clockwise and scaled 2 puts the child 20 below the enemy.
    const i32 root = MakePart(1, 100, 3.0f);
    const i32 child = MakePart(1, 100, 3.0f, 10.0f, 0.0f);
    AddChild(root, child);
    MakeEnemy(0, 200, 200, {root});
    g_EnemyList[0].rotation = 1.5707964f;
    g_EnemyList[0].scale = 2.0f;
    g_PlayerShotList.push_back(Shot(10, 1, 200, 220));
    CollideEnemyPart(0, &g_EnemyPartPool[root], &g_EnemyList[0].x, &g_EnemyList[0].rotation);
    EXPECT_EQ(g_EnemyPartPool[child].hp, 99);
    EXPECT_EQ(g_EnemyPartPool[root].hp, 100);
}

TEST_F(DamageTest, AMissileRaisesTheShotLevelUpToEightAndExplodes) {
    struct Case {
        i32 level;
        i32 kind;
        i32 newLevel;
        i32 digitHeight;
        i32 effect;
        f32 effectY;
    };
    const Case cases[] = {{7, 10, 8, 0, 20, 190}, {8, 10, 8, 20, 20, 190}, {3, 20, 4, 0, 21, 170}};
    for (const Case& c : cases) {
        Clean();
        SCOPED_TRACE(c.level);
        g_PlayerState[0].shotLevel = c.level;
        g_PlayerState[0].levelTimerMax = 300;
        g_GameState.LevelDigitHeight = 5;
        const i32 p = MakePart(1, 100);
        MakeEnemy(0, 200, 200, {p});
        PlayerMissile m;
        m.kind = c.kind;
        m.x = 200;
        m.y = 200;
        m.hitShape = HitShape{0, 0, 5};
        g_PlayerMissileList.push_back(m);
        CollideEnemyPart(0, &g_EnemyPartPool[p], &g_EnemyList[0].x, &g_EnemyList[0].rotation);
        EXPECT_EQ(g_PlayerState[0].shotLevel, c.newLevel);
        EXPECT_EQ(g_GameState.LevelDigitHeight, c.digitHeight);
        EXPECT_EQ(g_PlayerState[0].levelTimer, 300);
        EXPECT_TRUE(g_PlayerMissileList.empty());
        EXPECT_EQ(g_EnemyPartPool[p].hp, 100);  // the blast does the damage, later
        ASSERT_EQ(g_EffectList.size(), 1u);
        EXPECT_EQ(g_EffectList[0].kind, c.effect);
        EXPECT_EQ(g_EffectList[0].y, c.effectY);
        EXPECT_EQ(g_EffectList[0].extra, 0);
        EXPECT_TRUE(Played(3));
    }
}

// --- score -----------------------------------------------------------------------

struct ScoreCase {
    i32 difficulty;
    i32 points;
    i32 paid;
    i32 rank;
};

TEST_F(DamageTest, AddScoreAppliesRankPointsAndTheDifficultyFactor) {
    const ScoreCase cases[] = {
        {kDifficultyEasy, 100, 100, 2},      {kDifficultyNormal, 100, 120, 2}, {kDifficultyHard, 100, 150, 2},
        {kDifficultyHard, 49, 73, 0},        {kDifficultyNormal, 7, 8, 0},     {kDifficultyNormal, 6940, 8328, 138},
        {kDifficultyHard, 6940, 10410, 138}, {kDifficultyEasy, 0, 0, 0},
    };
    for (const ScoreCase& c : cases) {
        Clean();
        SCOPED_TRACE(testing::Message() << c.difficulty << " " << c.points);
        g_GameState.Difficulty = c.difficulty;
        AddScore(c.points);
        EXPECT_EQ(g_PlayerState[0].StageScorePoints, c.paid);
        EXPECT_EQ(g_GameState.RankPoints, c.rank);
        ASSERT_EQ(g_EffectList.size(), 1u);
        EXPECT_EQ(g_EffectList[0].kind, 1000 + c.paid);
        EXPECT_EQ(g_EffectList[0].x, 305.0f);
        EXPECT_EQ(g_EffectList[0].y, 260.0f);
        EXPECT_TRUE(Played(20));
    }
}

TEST(FieldTest, IsOutsideFieldKeepsItsBoundsInside) {
    struct Case {
        f32 x, y;
        bool outside;
    };
    const Case cases[] = {{90, -30, false},    {550, 510, false},   {89.9f, 0, true}, {550.1f, 0, true},
                          {300, -30.1f, true}, {300, 510.1f, true}, {300, 200, false}};
    for (const Case& c : cases) {
        const f32 p[2] = {c.x, c.y};
        EXPECT_EQ(IsOutsideField(p), c.outside) << c.x << ", " << c.y;
    }
}

// --- a test enemy shot down --------------------------------------------------------

TEST_F(DamageTest, ATestEnemyIsShotDownDropsCoinsAndScores) {
    g_PlayerState[0].shotLevel = 2;
    const i32 core = MakePart(10, 30, 12.0f);
    const i32 wing = MakePart(1, 100, 6.0f, 40.0f, 0.0f);
    AddChild(core, wing);
    g_EnemyPartPool[core].coinValue = 4;
    g_EnemyPartPool[core].scoreValue = 200;
    const i32 enemy = MakeEnemy(999, 320, 150, {core}, 0);
    // Three hits of 10 kill the core; the collision phase then destroys the
    // enemy (an unknown spawn id lets it go) and erases it.
    for (int frame = 0; frame < 3; ++frame) g_PlayerShotList.push_back(Shot(10, 10, 320, 150));
    Enemy& e = g_EnemyList[static_cast<std::size_t>(enemy)];
    CollideEnemyPart(enemy, &g_EnemyPartPool[core], &e.x, &e.rotation);
    ASSERT_EQ(g_EnemyPartPool[core].state, -1);
    DestroyEnemy(enemy);
    EXPECT_NE(g_EnemyList[0].corePart, kNoPart);  // the caller erases it
    EXPECT_EQ(g_EnemyPartPool[core].inUse, 0);
    EXPECT_EQ(g_EnemyPartPool[wing].inUse, 0);
    EXPECT_EQ(g_EnemyPartPool[wing].state, -1);
    EXPECT_EQ(g_CoinList.size(), 2u + 4u);
    EXPECT_EQ(g_PlayerState[0].StageScorePoints, 3 + 2 * 200 / 2);
    // Death debris: kind 10 gives 10 explosions, the wing (kind 1) 6, and the
    // level-2 chain effect shows.
    EXPECT_EQ(CountEffects(10), 16);
    EXPECT_EQ(CountEffects(41), 1);
    EXPECT_EQ(CountEffects(19), 3);
    EXPECT_TRUE(Played(14));
}

}  // namespace
