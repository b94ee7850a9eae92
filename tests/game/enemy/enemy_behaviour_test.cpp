#include <cmath>
#include <numbers>
#include <vector>

#include "engine/core/random.h"
#include "game/enemy/enemy_behaviour.h"
#include "game/enemy/enemy_content.h"
#include "game/play/enemy_runtime.h"
#include "game/shell/sound_effects.h"
#include "tests/game/enemy/enemy_fixture.h"

namespace {

using enemy_test::EnemyFrameTest;
using enemy_test::TableKind;
using enemy_test::TablePart;

constexpr f32 kPi = std::numbers::pi_v<f32>;

class EnemyBehaviourTest : public EnemyFrameTest {
protected:
    i32 Single(i32 spawnId, i32 state, f32 x = 200, f32 y = 100) {
        const i32 e = Build(TableKind({TablePart(101, 0, 0)}, {0}), x, y);
        g_EnemyList[static_cast<std::size_t>(e)].spawnId = spawnId;
        g_EnemyList[static_cast<std::size_t>(e)].state = state;
        return e;
    }
};

// A stage behaviour for the tests: state 99 removes its enemy, every state
// notes which enemy (by spawn id) it stepped.
std::vector<i32> g_stepped;
bool StepForTest(i32 enemy, i32 state) {
    g_stepped.push_back(EnemyRecord(enemy).spawnId);
    if (state == 99) return RemoveEnemy(enemy);
    return true;
}

TEST_F(EnemyBehaviourTest, AnErasedEnemyIsNotAgedAndTheNextIsSteppedInTheSameFrame) {
    RegisterStepEnemy(0, StepForTest);
    g_stepped.clear();
    Single(1, 5);
    Single(2, 99);
    Single(3, 99);
    Single(4, 5);
    const i32 freeBefore = CountFreePartSlots();
    RunEnemies();
    EXPECT_EQ(g_stepped, (std::vector<i32>{1, 2, 3, 4}));
    ASSERT_EQ(g_EnemyList.size(), 2u);
    EXPECT_EQ(g_EnemyList[0].spawnId, 1);
    EXPECT_EQ(g_EnemyList[1].spawnId, 4);
    EXPECT_EQ(g_EnemyList[0].age, 1);
    EXPECT_EQ(g_EnemyList[1].age, 1);
    // The removed enemies gave their parts back.
    EXPECT_EQ(CountFreePartSlots(), freeBefore + 2);
}

TEST_F(EnemyBehaviourTest, UnlistedStatesStayInStageIndexZeroAndMoveStraightElsewhere) {
    struct Case {
        bool (*step)(i32, i32);
        i32 state;
        bool moves;
    };
    const Case cases[] = {
        {StepEnemyStage1, 0, false}, {StepEnemyStage1, 12345, false}, {StepEnemyStage2, 0, true},
        {StepEnemyStage3, 0, false}, {StepEnemyStage3, 12345, true},  {StepEnemyStage4, 0, true},
        {StepEnemyStage5, 12345, true},
    };
    for (const Case& c : cases) {
        ResetPlayLists();
        const i32 e = Single(0, c.state);
        EnemyRecord(e).speed = 3.0f;
        EnemyRecord(e).heading = kPi / 2;
        EXPECT_TRUE(c.step(e, c.state));
        EXPECT_FLOAT_EQ(EnemyRecord(e).y, c.moves ? 103.0f : 100.0f) << "state " << c.state;
        EXPECT_NEAR(EnemyRecord(e).x, 200.0f, 1e-4f);
        EXPECT_EQ(EnemyRecord(e).age, 0);  // ageing is the caller's
    }
}

TEST_F(EnemyBehaviourTest, RegisteredContentServesEveryStageAndAnUnknownIndexAsStageZero) {
    RegisterEnemyContent();
    const i32 e = Single(0, 4321);
    EnemyRecord(e).speed = 2.0f;
    EnemyRecord(e).heading = 0.0f;
    for (i32 stage : {0, 7, -1}) {
        g_GameState.StageIndex = stage;
        EXPECT_TRUE(DispatchStepEnemy(e, 4321));
        EXPECT_FLOAT_EQ(EnemyRecord(e).x, 200.0f) << stage;
    }
    for (i32 stage : {1, 2, 3, 4}) {
        g_GameState.StageIndex = stage;
        EXPECT_TRUE(DispatchStepEnemy(e, 4321));
    }
    EXPECT_FLOAT_EQ(EnemyRecord(e).x, 208.0f);
}

TEST_F(EnemyBehaviourTest, ExplosionChainSpawnsItsEffectsOneFrameApartAroundTheScrolledPlace) {
    g_GameState.FieldScrollX = 40.0f;
    const i32 e = Single(0, 0, 300, 200);
    RandomSeed(77);
    SpawnExplosionChain(e, 20);
    ASSERT_EQ(g_EffectList.size(), 20u);
    // Three draws per explosion: x, y, angle.
    const u32 after = RandomGetState();
    RandomSeed(77);
    for (int i = 0; i < 60; ++i) RandomNext();
    EXPECT_EQ(RandomGetState(), after);
    RandomSeed(77);
    for (int k = 0; k < 20; ++k) {
        const Effect& fx = g_EffectList[static_cast<std::size_t>(k)];
        EXPECT_EQ(fx.kind, 10);
        EXPECT_EQ(fx.age, -k);
        EXPECT_EQ(fx.extra, -1);
        const f32 dx = RandomFloat(-120.0f, 120.0f);
        const f32 dy = RandomFloat(-100.0f, 100.0f);
        const f32 angle = RandomFloat(-kPi, kPi);
        EXPECT_EQ(fx.x, 340.0f + dx);
        EXPECT_EQ(fx.y, 200.0f + dy);
        EXPECT_EQ(fx.param, angle);
    }
}

TEST_F(EnemyBehaviourTest, EffectBurstStaggersByItsSpacing) {
    const f32 centre[2] = {100, 100};
    SpawnEffectBurst(10, centre, -5, 5, -5, 5, 2);
    ASSERT_EQ(g_EffectList.size(), 10u);
    for (int k = 0; k < 10; ++k) EXPECT_EQ(g_EffectList[static_cast<std::size_t>(k)].age, -2 * k);
}

TEST_F(EnemyBehaviourTest, TravelToPointArrivesAfterThreeHundredSteps) {
    const i32 e = Single(0, 0, 120, -40);
    TravelToPoint(e, 420, 260);
    EXPECT_NEAR(EnemyRecord(e).heading, std::atan2(300.0, 300.0), 1e-6);
    for (int i = 0; i < 300; ++i) StepStraight(e);
    EXPECT_NEAR(EnemyRecord(e).x, 420.0f, 0.01f);
    EXPECT_NEAR(EnemyRecord(e).y, 260.0f, 0.01f);
}

TEST_F(EnemyBehaviourTest, TurnToPlayerTurnsTheNamedFieldOnly) {
    g_PlayerState[0].x = 200;
    g_PlayerState[0].y = 400;  // straight below: pi/2
    const i32 e = Single(0, 0, 200, 100);
    EnemyRecord(e).heading = 0.0f;
    EnemyRecord(e).rotation = 0.0f;
    TurnToPlayer(e, &Enemy::rotation, 0.1f);
    EXPECT_FLOAT_EQ(EnemyRecord(e).rotation, 0.1f);
    EXPECT_EQ(EnemyRecord(e).heading, 0.0f);
    EnemyRecord(e).heading = kPi / 2 - 0.05f;
    TurnToPlayer(e, &Enemy::heading, 0.1f);
    EXPECT_FLOAT_EQ(EnemyRecord(e).heading, kPi / 2);
}

TEST_F(EnemyBehaviourTest, SwayFollowsItsPeriod) {
    EXPECT_FLOAT_EQ(SwayOffset(0, 3.0f, 100), 0.0f);
    EXPECT_FLOAT_EQ(SwayOffset(25, 3.0f, 100), 3.0f);
    EXPECT_FLOAT_EQ(SwayOffset(175, 3.0f, 100), -3.0f);
}

TEST_F(EnemyBehaviourTest, SpacedSoundPlaysAtMostOnceInItsSpacingWhoeverAsks) {
    ClearSoundEffectStamps();
    RearmSoundEffectGates();
    std::vector<i32> played;
    for (i32 frame = 1; frame <= 400; ++frame) {
        g_GameState.FrameCounter = frame;
        PlaySpacedSound(12, 179);  // two enemies ask in the same frame
        PlaySpacedSound(12, 179);
        if (GetSoundEffectStamp(12) == frame) played.push_back(frame);
        RearmSoundEffectGates();
    }
    EXPECT_EQ(played, (std::vector<i32>{180, 360}));
}

TEST_F(EnemyBehaviourTest, EscapeFailsTheRunningMissionAndRemoves) {
    Single(0, 0);
    const i32 e = Single(7, 0);
    g_GameState.MissionTimer.remaining = 50;
    EXPECT_FALSE(EscapeEnemy(e));
    EXPECT_EQ(g_GameState.MissionTimer.remaining, 0);
    ASSERT_EQ(g_EnemyList.size(), 1u);
    EXPECT_EQ(g_EnemyList[0].spawnId, 0);
}

TEST_F(EnemyBehaviourTest, MoveToFrontKeepsThePartsAndTheOthersOrder) {
    Single(1, 0);
    Single(2, 0);
    const i32 e = Single(3, 0);
    const i32 root = EnemyRecord(e).rootParts[0];
    EXPECT_TRUE(MoveEnemyToFront(e));
    ASSERT_EQ(g_EnemyList.size(), 3u);
    EXPECT_EQ(g_EnemyList[0].spawnId, 3);
    EXPECT_EQ(g_EnemyList[1].spawnId, 1);
    EXPECT_EQ(g_EnemyList[2].spawnId, 2);
    EXPECT_EQ(g_EnemyList[0].rootParts[0], root);
    EXPECT_EQ(g_EnemyPartPool[root].inUse, 1);
}

TEST_F(EnemyBehaviourTest, BossPhaseOpensAndBreaks) {
    std::vector<PartSpec> parts;
    for (int i = 0; i < 5; ++i) parts.push_back(TablePart(150 + i, 0, 0));
    const i32 boss = Build(TableKind(parts, {0, 1, 2, 3, 4}), 320, 100);
    g_GameState.BossActiveFlag = 1;
    const BossPhaseTarget targets[] = {{.root = 1, .shape = {0, 0, 30}, .action = 190, .timer = 25},
                                       {.root = 3, .shape = {20, 10, 0}}};
    const BossPhaseAttacker attackers[] = {{.root = 4, .action = 191, .timer = 50}};
    RootPart(boss, 3).action = 7;
    OpenBossPhase(boss, 0, 2, targets, attackers);
    EXPECT_EQ(EnemyRecord(boss).active, 1);
    EXPECT_EQ(g_GameState.BossActiveFlag, 0);
    EXPECT_EQ(RootPart(boss, 0).hitShape.radius, 0.0f);
    EXPECT_EQ(RootPart(boss, 2).hitShape.radius, 0.0f);
    EXPECT_EQ(RootPart(boss, 1).hitShape.radius, 30.0f);
    EXPECT_EQ(RootPart(boss, 1).action, 190);
    EXPECT_EQ(RootPart(boss, 1).timer, 25);
    EXPECT_EQ(RootPart(boss, 3).hitShape.halfWidth, 20.0f);
    EXPECT_EQ(RootPart(boss, 3).action, 7);  // kept
    EXPECT_EQ(RootPart(boss, 4).action, 191);
    EXPECT_EQ(RootPart(boss, 4).timer, 50);
    ASSERT_EQ(g_TargetMarkerList.size(), 2u);
    EXPECT_EQ(g_TargetMarkerList[0].part, &RootPart(boss, 1));
    EXPECT_EQ(g_TargetMarkerList[0].partId, 151);
    EXPECT_EQ(g_TargetMarkerList[1].partId, 153);

    EnemyRecord(boss).age = 77;
    BeginBossPhaseBreak(boss, 182);
    EXPECT_EQ(EnemyRecord(boss).active, 0);
    EXPECT_EQ(g_GameState.BossActiveFlag, 1);
    EXPECT_EQ(EnemyRecord(boss).state, 182);
    EXPECT_EQ(EnemyRecord(boss).age, 0);
    g_PlayerState[0].shotLevel = 8;  // m = 16
    g_EnemyBulletList.resize(3);
    const i32 rankBefore = g_GameState.RankPoints;
    const std::size_t effects = g_EffectList.size();
    PayBossPhaseBonus(63, 100);
    ASSERT_GT(g_EffectList.size(), effects);
    EXPECT_EQ(g_EffectList[effects].kind, 63);
    EXPECT_EQ(g_EffectList[effects].x, 320.0f);
    EXPECT_EQ(g_EffectList[effects].y, 220.0f);
    EXPECT_TRUE(g_EnemyBulletList.empty());
    // The award of 10 ((16 / 4 + 1) 3 + 100) = 1150 points shows in the rank points.
    EXPECT_EQ(g_GameState.RankPoints - rankBefore, 1150 / 50);
}

TEST_F(EnemyBehaviourTest, TalkCueHoldsForItsOneFrame) {
    g_TalkState.active = 1;
    g_TalkState.eventId = 124;
    g_TalkState.lineIndex = 2;
    g_TalkState.lineFrame = 10;
    EXPECT_TRUE(IsTalkCue(124, 2, 10));
    EXPECT_FALSE(IsTalkCue(124, 2, 11));
    EXPECT_FALSE(IsTalkCue(125, 2, 10));
    g_TalkState.active = 0;
    EXPECT_FALSE(IsTalkCue(124, 2, 10));
}

}  // namespace
