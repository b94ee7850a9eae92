#include <cmath>
#include <vector>

#include "engine/core/radians.h"
#include "engine/core/random.h"
#include "game/enemy/enemy_behaviour.h"
#include "game/enemy/enemy_content.h"
#include "game/patterns/part_step.h"
#include "game/patterns/stage_registry.h"
#include "game/play/enemy_runtime.h"
#include "game/shell/sound_effects.h"
#include "game/shell/transition.h"
#include "tests/game/enemy/enemy_fixture.h"

namespace {

using enemy_test::EnemyFrameTest;
using enemy_test::TableKind;
using enemy_test::TablePart;

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
        {StepEnemyStage1, 0, false},    {StepEnemyStage1, 12345, false}, {StepEnemyStage2, 0, true},
        {StepEnemyStage3, 0, false},    {StepEnemyStage3, 12345, true},  {StepEnemyStage4, 0, true},
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
    RegisterStages();
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

TEST_F(EnemyBehaviourTest, ABossThatClosesItsStageLeavesWithTheSlowFade) {
    Single(0, 0);
    const i32 e = Single(7, 0);
    const i32 free = CountFreePartSlots();
    EXPECT_FALSE(RemoveBossWithFade(e));
    ASSERT_EQ(g_EnemyList.size(), 1u);
    EXPECT_EQ(CountFreePartSlots(), free + 1);
    EXPECT_EQ(g_GameState.ScreenShakeTimer, 50);
    EXPECT_EQ(TransitionState.running, 1);
    EXPECT_FLOAT_EQ(TransitionState.speed, 0.01f);
}

// A table of two states: 10 notes its age and keeps the enemy, 11 removes it.
std::vector<i32> g_ages;
bool NoteAge(i32, i32 age) {
    g_ages.push_back(age);
    return true;
}
bool Leave(i32 enemy, i32) { return RemoveEnemy(enemy); }
bool Drift(i32 enemy, i32) {
    EnemyRecord(enemy).x += 1.0f;
    return true;
}
constexpr StateRow kTestRows[] = {{10, NoteAge}, {11, Leave}};
constexpr BehaviourTable kTestTable{.states = kTestRows, .unlisted = Drift};

TEST_F(EnemyBehaviourTest, TheTableStepsEachStateByItsRowWithTheAgeTheStepSaw) {
    g_ages.clear();
    const i32 e = Single(0, 10);
    EnemyRecord(e).age = 41;
    EXPECT_TRUE(StepByTable(kTestTable, e, 10));
    EXPECT_EQ(g_ages, (std::vector<i32>{41}));
    // An unlisted state takes the table's default.
    EXPECT_TRUE(StepByTable(kTestTable, e, 12));
    EXPECT_FLOAT_EQ(EnemyRecord(e).x, 201.0f);
    EXPECT_EQ(FindStateRow(kTestTable, 12), nullptr);
    ASSERT_NE(FindStateRow(kTestTable, 11), nullptr);
    EXPECT_FALSE(StepByTable(kTestTable, e, 11));
    EXPECT_TRUE(g_EnemyList.empty());
}

TEST_F(EnemyBehaviourTest, PartsReadByPositionReadAMissingPartAsDestroyed) {
    // Root 0 with children {0: alive, 1: -1}; root 1 destroyed; root 2 a slot
    // outside the pool; root 3 ends the list.
    const i32 e =
        Build(TableKind({TablePart(150, 0, 0), TablePart(151, 0, 0, {0}), TablePart(152, 0, 0)}, {1, 2}), 200, 100);
    Part(2).state = -1;
    EnemyRecord(e).rootParts[2] = kEnemyPartPoolSize;
    struct Case {
        i32 enemy, root, child;  // child -1: the root part itself
        EnemyPart* part;         // what the read finds
        bool destroyed;
    };
    const Case cases[] = {
        {e, 0, -1, &Part(1), false}, {e, 0, 0, &Part(0), false}, {e, 0, 1, nullptr, true},
        {e, 0, 20, nullptr, true},   {e, 0, -2, nullptr, true},  {e, 1, -1, &Part(2), true},
        {e, 1, 0, nullptr, true},    {e, 2, -1, nullptr, true},  {e, 3, -1, nullptr, true},
        {e, 20, -1, nullptr, true},  {e, -1, -1, nullptr, true}, {e + 1, 0, -1, nullptr, true},
        {-1, 0, -1, nullptr, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "enemy " << c.enemy << " root " << c.root << " child " << c.child);
        const bool root = c.child == -1;
        EXPECT_EQ(root ? RootPartAt(c.enemy, c.root) : ChildPartAt(c.enemy, c.root, c.child), c.part);
        EXPECT_EQ(root ? RootDestroyed(c.enemy, c.root) : ChildDestroyed(c.enemy, c.root, c.child), c.destroyed);
        EnemyPart& read = root ? RootPart(c.enemy, c.root) : ChildPart(c.enemy, c.root, c.child);
        if (c.part != nullptr) {
            EXPECT_EQ(&read, c.part);
            continue;
        }
        // The stand-in reads as destroyed, and a write to it reaches no part.
        EXPECT_EQ(read.state, -1);
        EXPECT_EQ(read.children[0], kNoPart);
        const EnemyPart before = g_EnemyPartPool[0];
        read.action = 99;
        read.state = 1;
        EnemyPart& again = root ? RootPart(c.enemy, c.root) : ChildPart(c.enemy, c.root, c.child);
        EXPECT_EQ(again.state, -1);
        EXPECT_EQ(again.action, 0);
        EXPECT_EQ(g_EnemyPartPool[0].action, before.action);
    }
    EXPECT_TRUE(AllRootsDestroyed(e, {1, 2, 3, 19}));
    EXPECT_FALSE(AllRootsDestroyed(e, {1, 0}));
}

TEST_F(EnemyBehaviourTest, SilenceStopsTheRootPartsThatStillStand) {
    const i32 boss =
        Build(TableKind({TablePart(150, 0, 0), TablePart(151, 0, 0), TablePart(152, 0, 0)}, {0, 1, 2}), 320, 100);
    for (i32 p = 0; p < 3; ++p) Part(p).action = 280 + p;
    Part(1).state = -1;
    EnemyRecord(boss).rootParts[2] = kNoPart;  // the list ends before P2
    SilenceRootParts(boss);
    EXPECT_EQ(Part(0).action, 0);
    EXPECT_EQ(Part(1).action, 281) << "a destroyed part keeps its wreck action";
    EXPECT_EQ(Part(2).action, 282) << "outside the list";
}

// A stage behaviour in which state 50 moves its enemy to the front of the list.
std::vector<i32> g_frontSteps;
bool StepMovingToFront(i32 enemy, i32 state) {
    g_frontSteps.push_back(EnemyRecord(enemy).spawnId);
    if (state == 50) return MoveEnemyToFront(enemy);
    return true;
}
void CountPartSteps(i32 difficulty, i32 enemy, EnemyPart* part, const f32 parentPos[2], const f32* parentAngle) {
    StepPartFrame(nullptr, difficulty, enemy, part, parentPos, parentAngle);
}

TEST_F(EnemyBehaviourTest, AnEnemyThatMovesItselfToTheFrontIsSteppedOnceAndNoOtherTwice) {
    RegisterStepEnemy(0, StepMovingToFront);
    RegisterStepPart(0, CountPartSteps);
    struct Case {
        i32 mover;  // index of the enemy in state 50
    };
    for (const Case c : {Case{0}, Case{1}, Case{3}}) {
        SCOPED_TRACE(c.mover);
        ResetPlayLists();
        g_frontSteps.clear();
        for (i32 i = 0; i < 4; ++i) Single(i + 1, i == c.mover ? 50 : 5);
        RunEnemies();
        // Every enemy stepped once, in list order.
        EXPECT_EQ(g_frontSteps, (std::vector<i32>{1, 2, 3, 4}));
        ASSERT_EQ(g_EnemyList.size(), 4u);
        EXPECT_EQ(g_EnemyList[0].spawnId, c.mover + 1);
        for (const Enemy& e : g_EnemyList) {
            EXPECT_EQ(e.age, 1) << "spawn id " << e.spawnId;
            EXPECT_EQ(g_EnemyPartPool[e.rootParts[0]].timer, 1) << "spawn id " << e.spawnId;
        }
    }
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

TEST_F(EnemyBehaviourTest, BossPhaseOptionsReachChildTargetsAndLeaveWhatTheyAreAskedTo) {
    // Root 0 with six children (labels 0-5), roots 1 and 2.
    std::vector<PartSpec> parts;
    for (int i = 0; i < 6; ++i) parts.push_back(TablePart(560 + i, 0, 0));
    parts.push_back(TablePart(590, 0, 0, {0, 1, 2, 3, 4, 5}));
    parts.push_back(TablePart(591, 0, 0));
    parts.push_back(TablePart(592, 0, 0));
    const i32 boss = Build(TableKind(parts, {6, 7, 8}), 320, 100);
    Part(7).state = -1;
    Part(7).maxHp = 1800;
    Part(7).hp = -40;
    g_GameState.BossActiveFlag = 1;
    const BossPhaseTarget targets[] = {
        {.root = 0, .shape = {80, 20, 0}, .action = 550, .timer = 0, .child = 4},
        // clang-format off
        {.root = 1, .shape = {40, 20, 0}, .action = 291, .timer = 20, .revive = true, .spriteKind = 257,
         .markerFrames = 200},
        // clang-format on
        {.root = 2, .shape = {50, 30, 40}, .hp = 4200},
        {.root = 0, .shape = {1, 1, 1}, .child = 9},  // no such child: skipped
        {.root = 0, .shape = {60, 10, 0}, .action = 288, .timer = kKeepTimer, .child = 1},
    };
    const BossPhaseAttacker attackers[] = {{.root = 0, .action = 549, .timer = 0, .child = 5},
                                           {.root = 0, .action = 287, .timer = kKeepTimer, .child = 3}};
    Part(1).timer = 77;
    Part(3).timer = 66;
    OpenBossPhase(
        boss, 1, 0, targets, attackers,
        {.zeroChildrenOf = 0, .zeroChildFirst = 0, .zeroChildLast = 3, .bossActiveFlag = kLeaveBossActiveFlag});
    EXPECT_EQ(g_GameState.BossActiveFlag, 1) << "left alone";
    EXPECT_EQ(EnemyRecord(boss).active, 1);
    for (i32 c = 0; c < 4; ++c) EXPECT_EQ(Part(c).hitShape.radius, 0.0f) << "child " << c << " zeroed";
    EXPECT_EQ(Part(6).hitShape.radius, 10.0f) << "no root part zeroed";
    EXPECT_EQ(Part(4).hitShape.halfWidth, 80.0f);
    EXPECT_EQ(Part(4).action, 550);
    EXPECT_EQ(Part(5).action, 549);
    EXPECT_EQ(Part(5).hitShape.radius, 10.0f) << "an attacker keeps its shape";
    // Actions given with their timers kept.
    EXPECT_EQ(Part(1).action, 288);
    EXPECT_EQ(Part(1).timer, 77);
    EXPECT_EQ(Part(3).action, 287);
    EXPECT_EQ(Part(3).timer, 66);
    // The revived part: state 1, full hit points, its new picture marked for 200 frames.
    EXPECT_EQ(Part(7).state, 1);
    EXPECT_EQ(Part(7).hp, 1800);
    EXPECT_EQ(Part(7).spriteKind, 257);
    EXPECT_EQ(Part(7).timer, 20);
    EXPECT_EQ(Part(8).maxHp, 4200);
    EXPECT_EQ(Part(8).hp, 4200);
    ASSERT_EQ(g_TargetMarkerList.size(), 4u);
    EXPECT_EQ(g_TargetMarkerList[0].part, &Part(4));
    EXPECT_EQ(g_TargetMarkerList[0].timer, 100);
    EXPECT_EQ(g_TargetMarkerList[1].part, &Part(7));
    EXPECT_EQ(g_TargetMarkerList[1].partId, 257);
    EXPECT_EQ(g_TargetMarkerList[1].timer, 200);
    EXPECT_EQ(g_TargetMarkerList[2].part, &Part(8));

    // A break that writes no BossActiveFlag, and a bonus with its own multiplier.
    g_GameState.BossActiveFlag = 0;
    BeginBossPhaseBreak(boss, 1099, kLeaveBossActiveFlag);
    EXPECT_EQ(g_GameState.BossActiveFlag, 0);
    EXPECT_EQ(EnemyRecord(boss).state, 1099);
    EXPECT_EQ(EnemyRecord(boss).active, 0);
    g_PlayerState[0].shotLevel = 3;  // m = 3
    g_EnemyShellList.resize(2);
    const i32 rankBefore = g_GameState.RankPoints;
    PayBossPhaseBonus(64, 600, 15);
    // 15 ((3 / 4 + 1) 2 + 600) = 9030 points.
    EXPECT_EQ(g_GameState.RankPoints - rankBefore, 9030 / 50);
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
