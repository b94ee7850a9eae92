#include <utility>
#include <vector>

#include "engine/core/radians.h"
#include "engine/core/random.h"
#include "game/patterns/stage_registry.h"
#include "game/play/stage_dispatch.h"
#include "game/play/stage_random.h"
#include "game/stages/stage_content.h"
#include "game/stages/stage_timeline.h"
#include "tests/game/enemy/enemy_fixture.h"

namespace {

using enemy_test::EnemyFrameTest;
using enemy_test::TableKind;
using enemy_test::TablePart;

// The test stage's kinds: 1 an ordinary enemy, 102 a boss put at the front
// (spawn id 150).
std::vector<EnemyKindSpec> TestKinds() {
    EnemyKindSpec plain = TableKind({TablePart(101, 0, 0)}, {0});
    plain.kind = 1;
    EnemyKindSpec boss = TableKind({TablePart(180, 0, 0)}, {0});
    boss.kind = 102;
    boss.spawnId = 150;
    boss.corePart = -1;
    boss.placement = SpawnPlacement::kFront;
    return {plain, boss};
}
const std::vector<EnemyKindSpec>& Kinds() {
    static const std::vector<EnemyKindSpec> kinds = TestKinds();
    return kinds;
}
i32 SpawnTest(i32 kind) { return SpawnEnemyFromTable(Kinds(), kind); }

// (phase, frame) of every spawn, and the frames phase 1 saw.
std::vector<std::pair<i32, i32>> g_spawns;
std::vector<i32> g_phaseOneFrames;

void Spawn(i32 kind, i32 state) {
    g_spawns.push_back({g_GameState.StageScriptPhase, ScriptFrame()});
    SpawnAndPlace(SpawnTest, {.kind = kind, .state = state, .speed = 2, .x = 200, .y = -50});
}

// A timeline written in the rule kinds.
void TestTimeline() {
    switch (g_GameState.StageScriptPhase) {
        case 0:
            if (EveryInWindow(10, 30, 10)) Spawn(1, 101);  // window
            if (AtFrame(15)) Spawn(1, 102);                // single
            JumpWhenListEmpty(41, 99, 100);                // empty-list jump
            if (AtFrame(100)) Spawn(1, 103);               // the jump's end frame
            if (ScriptFrame() > 100 && g_EnemyList.empty()) ChangePhase(1);
            break;
        case 1:
            g_phaseOneFrames.push_back(ScriptFrame());
            if (AtFrame(3)) {
                Spawn(102, 180);
                ChangePhase(10);
            }
            break;
        case 10:
            if (LeadEnemyIs(182, 299)) Spawn(1, 120);
            if (!IsTalkRunning() && IsBossGone(150)) CloseStage();
            break;
        case kClosingPhase: FinishStageWhenClosed(); break;
        default: break;
    }
}

class StageTimelineTest : public EnemyFrameTest {
protected:
    void SetUp() override {
        EnemyFrameTest::SetUp();
        g_spawns.clear();
        g_phaseOneFrames.clear();
        RegisterStageScript(0, TestTimeline);
    }
    void RunUntil(i32 frame) {
        while (ScriptFrame() < frame) RunStageScript();
    }
};

TEST_F(StageTimelineTest, WindowSingleAndEmptyListJump) {
    RunUntil(41);
    const std::vector<std::pair<i32, i32>> early = {{0, 10}, {0, 15}, {0, 20}, {0, 30}};
    EXPECT_EQ(g_spawns, early);
    // With enemies on the field the wait runs on; emptied, the jump lands on
    // 100 and that frame's spawn happens in the same call.
    RunUntil(60);
    EXPECT_EQ(g_spawns.size(), 4u);
    ResetPlayLists();
    RunStageScript();
    ASSERT_EQ(g_spawns.size(), 5u);
    EXPECT_EQ(g_spawns.back(), std::make_pair(0, 100));
    EXPECT_EQ(g_EnemyList.back().state, 103);
    EXPECT_EQ(ScriptFrame(), 101);
}

TEST_F(StageTimelineTest, ANewPhaseFirstSeesFrameOne) {
    g_GameState.StageScriptFrame = 101;
    RunStageScript();  // empty list after frame 100: phase 1, frame 0
    EXPECT_EQ(g_GameState.StageScriptPhase, 1);
    EXPECT_EQ(ScriptFrame(), 1);
    RunStageScript();
    RunStageScript();
    EXPECT_EQ(g_phaseOneFrames, (std::vector<i32>{1, 2}));
}

TEST_F(StageTimelineTest, BossPhaseWatchesElementZeroAndClosesWhenTheBossIsGone) {
    g_GameState.StageScriptPhase = 1;
    g_GameState.StageScriptFrame = 3;
    SpawnAndPlace(SpawnTest, {.kind = 1, .state = 5, .speed = 0, .x = 0, .y = 0});
    RunStageScript();
    ASSERT_EQ(g_GameState.StageScriptPhase, 10);
    ASSERT_EQ(g_EnemyList[0].spawnId, 150);  // the boss went to the front
    EXPECT_EQ(g_EnemyList[1].state, 5);

    // A wave only when state and age match exactly.
    g_EnemyList[0].state = 182;
    for (i32 age : {298, 300, 299}) {
        g_EnemyList[0].age = age;
        RunStageScript();
    }
    EXPECT_EQ(g_EnemyList.size(), 3u);
    EXPECT_EQ(g_EnemyList.back().state, 120);
    // The boss gone but a talk running: the phase waits.
    g_EnemyList.erase(g_EnemyList.begin());
    g_TalkState.active = 1;
    RunStageScript();
    EXPECT_EQ(g_GameState.StageScriptPhase, 10);
    g_TalkState.active = 0;
    RunStageScript();
    EXPECT_EQ(g_GameState.StageScriptPhase, kClosingPhase);
    EXPECT_EQ(TransitionState.running, 1);
}

TEST_F(StageTimelineTest, AnEmptyListNeitherCrashesTheBossWatchNorKeepsTheBoss) {
    g_GameState.StageScriptPhase = 10;
    EXPECT_EQ(LeadEnemy(), nullptr);
    EXPECT_FALSE(LeadEnemyIs(0, 0));
    EXPECT_TRUE(IsBossGone(150));
    RunStageScript();
    EXPECT_EQ(g_GameState.StageScriptPhase, kClosingPhase);
}

TEST_F(StageTimelineTest, ClosingPhaseWaitsForTheTransition) {
    g_GameState.StageScriptPhase = kClosingPhase;
    TransitionState.running = 1;
    for (int i = 0; i < 3; ++i) {
        RunStageScript();
        EXPECT_EQ(g_GameState.StageFinished, 0);
    }
    TransitionState.running = 0;
    RunStageScript();
    EXPECT_EQ(g_GameState.StageFinished, 1);
}

TEST_F(StageTimelineTest, SpawnOrderWritesItsFieldsAndDrawsItsRangesAfterTheSpawn) {
    RandomSeed(5);
    const i32 e = SpawnAndPlace(SpawnTest, {.kind = 1,
                                            .state = 105,
                                            .speed = 2,
                                            .x = RandomRange(150, 400),
                                            .y = RandomRange(500, 540),
                                            .heading = -kHalfPi,
                                            .age = 50,
                                            .layer = 1,
                                            .active = 0});
    ASSERT_EQ(e, 0);
    RandomSeed(5);
    const f32 x = RandomFloat(150, 400);
    const f32 y = RandomFloat(500, 540);
    const Enemy& enemy = g_EnemyList[0];
    EXPECT_EQ(enemy.state, 105);
    EXPECT_EQ(enemy.speed, 2.0f);
    EXPECT_EQ(enemy.x, x);
    EXPECT_EQ(enemy.y, y);
    EXPECT_EQ(enemy.heading, -kHalfPi);
    EXPECT_EQ(enemy.rotation, -kHalfPi);
    EXPECT_EQ(enemy.age, 50);
    EXPECT_EQ(enemy.layer, 1);
    EXPECT_EQ(enemy.active, 0);

    // A refused spawn writes nothing and draws nothing.
    const u32 state = RandomGetState();
    EXPECT_EQ(SpawnAndPlace(SpawnTest, {.kind = 77, .x = RandomRange(0, 1)}), -1);
    EXPECT_EQ(RandomGetState(), state);
    EXPECT_EQ(g_EnemyList.size(), 1u);
}

TEST_F(StageTimelineTest, StageGeneratorCoordinatesAreSignedAndDrawnXFirstAfterTheSpawn) {
    struct Case {
        SpawnCoord x, y;
        i32 xBase, xSign, xBound;  // x = base + sign R(bound); bound 0: a fixed x
        i32 yBase, ySign, yBound;
    };
    const Case cases[] = {
        {StagePlus(170, 300), -50, 170, 1, 300, -50, 1, 0},
        {StageMinus(60, 100), StagePlus(150, 150), 60, -1, 100, 150, 1, 150},
        {StagePlus(-50, 100), StagePlus(0, 50), -50, 1, 100, 0, 1, 50},
        {StageMinus(0, 100), StagePlus(200, 150), 0, -1, 100, 200, 1, 150},
    };
    bool sawNegative = false;
    for (const Case& c : cases) {
        for (u32 seed = 0; seed < 20; ++seed) {
            ResetPlayLists();
            StageRandomSeed(&g_StageRandomState, seed);
            const u32 engine = RandomGetState();
            const i32 e = SpawnAndPlace(SpawnTest, {.kind = 1, .state = 325, .speed = 7, .x = c.x, .y = c.y});
            ASSERT_EQ(e, 0);
            EXPECT_EQ(RandomGetState(), engine) << "the engine generator is not drawn";
            StageRandom expected;
            StageRandomSeed(&expected, seed);
            auto value = [&](i32 base, i32 sign, i32 bound) {
                if (bound == 0) return static_cast<f32>(base);
                return static_cast<f32>(base + sign * static_cast<i32>(StageRandomBelow(&expected, bound)));
            };
            const f32 x = value(c.xBase, c.xSign, c.xBound);
            const f32 y = value(c.yBase, c.ySign, c.yBound);
            EXPECT_EQ(g_EnemyList[0].x, x) << "seed " << seed;
            EXPECT_EQ(g_EnemyList[0].y, y) << "seed " << seed;
            sawNegative = sawNegative || x < 0;
        }
    }
    EXPECT_TRUE(sawNegative) << "60 - R(100) and R(100) - 50 go below 0";

    // A refused spawn draws nothing from the stage generator either.
    StageRandomSeed(&g_StageRandomState, 3);
    const StageRandom before = g_StageRandomState;
    EXPECT_EQ(SpawnAndPlace(SpawnTest, {.kind = 77, .x = StagePlus(0, 100), .y = StagePlus(0, 100)}), -1);
    EXPECT_EQ(g_StageRandomState.index, before.index);
    EXPECT_EQ(g_StageRandomState.cachedN, before.cachedN);
}

TEST_F(StageTimelineTest, SpawnOrderWritesRotationScaleAndSpawnIdAfterTheHeading) {
    // clang-format off
    const i32 e = SpawnAndPlace(SpawnTest, {.kind = 1, .state = 522, .speed = 7.5f, .x = 60, .y = 150,
                                            .heading = 0.0f, .layer = 1, .rotation = kHalfPi, .scale = 0.6f,
                                            .spawnId = 580});
    // clang-format on
    ASSERT_EQ(e, 0);
    const Enemy& enemy = g_EnemyList[0];
    EXPECT_EQ(enemy.heading, 0.0f);
    EXPECT_EQ(enemy.rotation, kHalfPi);
    EXPECT_EQ(enemy.scale, 0.6f);
    EXPECT_EQ(enemy.spawnId, 580);
    EXPECT_EQ(enemy.layer, 1);
    // Unset fields keep the spawner's values.
    const i32 plain = SpawnAndPlace(SpawnTest, {.kind = 1, .state = 404, .rotation = -kHalfPi});
    EXPECT_EQ(g_EnemyList[static_cast<std::size_t>(plain)].heading, kHalfPi);
    EXPECT_EQ(g_EnemyList[static_cast<std::size_t>(plain)].rotation, -kHalfPi);
    EXPECT_EQ(g_EnemyList[static_cast<std::size_t>(plain)].scale, 1.0f);
    EXPECT_EQ(g_EnemyList[static_cast<std::size_t>(plain)].spawnId, 0);
}

// A phase that cannot go on without its boss: the spawn is retried.
i32 g_bossPhaseCalls = 0;
void BossEntryTimeline() {
    if (g_GameState.StageScriptPhase != 9) return;
    ++g_bossPhaseCalls;
    if (AtFrame(3000)) {
        if (SpawnOrHold(SpawnTest, {.kind = 102, .state = 290, .active = 0}) < 0) return;
        ChangePhase(10);
    }
}

TEST_F(StageTimelineTest, ARefusedPhaseEndingSpawnHoldsTheFrameUntilItSucceeds) {
    RegisterStageScript(0, BossEntryTimeline);
    g_GameState.StageScriptPhase = 9;
    g_GameState.StageScriptFrame = 3000;
    // Every pool slot taken: the boss cannot be built.
    for (EnemyPart& part : g_EnemyPartPool) part.inUse = 1;
    for (int i = 0; i < 5; ++i) {
        RunStageScript();
        EXPECT_EQ(g_GameState.StageScriptPhase, 9);
        EXPECT_EQ(ScriptFrame(), 3000) << "the next call sees frame 3000 again";
        EXPECT_TRUE(g_EnemyList.empty());
    }
    g_EnemyPartPool[17].inUse = 0;
    RunStageScript();
    EXPECT_EQ(g_GameState.StageScriptPhase, 10);
    EXPECT_EQ(ScriptFrame(), 1);
    ASSERT_EQ(g_EnemyList.size(), 1u);
    EXPECT_EQ(g_EnemyList[0].spawnId, 150);
}

TEST_F(StageTimelineTest, WatchersOfTheWholeListAndOfTheLeadEnemy) {
    EXPECT_TRUE(AllEnemiesInStates({341})) << "true on an empty list";
    EXPECT_EQ(LeadEnemyInState(390), nullptr);
    EXPECT_FALSE(LeadEnemyIs(390, 400, 1));
    SpawnAndPlace(SpawnTest, {.kind = 1, .state = 390, .age = 400});
    SpawnAndPlace(SpawnTest, {.kind = 1, .state = 341});
    g_EnemyList[0].counter = 1;
    EXPECT_FALSE(AllEnemiesInStates({341}));
    EXPECT_TRUE(AllEnemiesInStates({341, 390}));
    EXPECT_TRUE(LeadEnemyIs(390, 400, 1));
    EXPECT_FALSE(LeadEnemyIs(390, 400, 3));
    EXPECT_FALSE(LeadEnemyIs(390, 401, 1));
    ASSERT_EQ(LeadEnemyInState(390), &g_EnemyList[0]);
    EXPECT_EQ(LeadEnemyInState(341), nullptr) << "only element 0 leads";
}

TEST_F(StageTimelineTest, AlternationAndSeams) {
    g_GameState.StageScriptFrame = 500;
    EXPECT_TRUE(EvenPeriod(500, 400));
    g_GameState.StageScriptFrame = 990;
    EXPECT_FALSE(EvenPeriod(500, 400));
    g_GameState.BackgroundScrollY = 960;
    EXPECT_TRUE(AtSeam(480));
    g_GameState.BackgroundScrollY = 961;
    EXPECT_FALSE(AtSeam(480));
}

TEST_F(StageTimelineTest, RegisteredTimelinesCloseEveryStage) {
    RegisterStages();
    for (i32 stage = 0; stage < kStageCount; ++stage) {
        g_GameState.StageIndex = stage;
        g_GameState.StageScriptPhase = kClosingPhase;
        g_GameState.StageFinished = 0;
        RunStageScript();
        EXPECT_EQ(g_GameState.StageFinished, 1) << stage;
    }
}

}  // namespace
