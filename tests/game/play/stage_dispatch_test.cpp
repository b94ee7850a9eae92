#include <gtest/gtest.h>

#include <vector>

#include "game/shell/play_state.h"
#include "game/play/stage_dispatch.h"

namespace {

// What the registered routines saw.
std::vector<int> g_calls;

template <int Id>
void Script() {
    g_calls.push_back(Id);
}

template <int Id>
bool StepEnemy(i32 enemy, i32 state) {
    g_calls.push_back(Id * 1000 + enemy * 10 + state);
    return false;
}

template <int Id>
void StepPart(i32 difficulty, i32 enemy, EnemyPart* part, const f32 parentPos[2], const f32* parentAngle) {
    g_calls.push_back(Id * 10 + difficulty);
    EXPECT_EQ(enemy, 4);
    EXPECT_EQ(part, &g_EnemyPartPool[7]);
    EXPECT_EQ(parentPos[1], 2.0f);
    EXPECT_EQ(*parentAngle, 0.5f);
}

void DrawLayer(i32 layer) { g_calls.push_back(100 + layer); }

void PlanBackground(BackgroundPlan& plan) {
    plan.overlay = true;
    g_calls.push_back(201);
}
void ScrollBackground() { g_calls.push_back(202); }

class StageDispatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetGameState();
        ResetStageDispatch();
        g_calls.clear();
    }
    void TearDown() override {
        ResetGameState();
        ResetStageDispatch();
    }
    void CallPartStep() {
        const f32 pos[2] = {1.0f, 2.0f};
        const f32 angle = 0.5f;
        DispatchStepPart(4, &g_EnemyPartPool[7], pos, &angle);
    }
};

TEST_F(StageDispatchTest, DefaultsKeepPlayRunningWithoutContent) {
    for (i32 stage = -1; stage <= kStageCount; ++stage) {
        g_GameState.StageIndex = stage;
        EXPECT_TRUE(DispatchStepEnemy(0, 101));  // the enemy stays; nothing loops forever
        CallPartStep();
        DispatchDrawEnemyLayer(1);
    }
}

TEST_F(StageDispatchTest, ScriptsRunByStageIndexAndAdvanceTheFrame) {
    RegisterStageScript(0, Script<1>);
    RegisterStageScript(1, Script<2>);
    RegisterStageScript(2, Script<3>);
    RegisterStageScript(3, Script<4>);
    RegisterStageScript(4, Script<5>);
    for (i32 stage : {0, 1, 2, 3, 4, 5, -1}) {
        g_GameState.StageIndex = stage;
        RunStageScript();
    }
    EXPECT_EQ(g_calls, (std::vector<int>{1, 2, 3, 4, 5}));  // other indexes only count the frame
    EXPECT_EQ(g_GameState.StageScriptFrame, 7);
}

// The default timeline keeps the closing rule: the stage finishes in the
// closing phase once no transition runs, and only then.
TEST_F(StageDispatchTest, DefaultScriptFinishesTheStageInTheClosingPhase) {
    for (i32 stage = 0; stage < kStageCount; ++stage) {
        ResetGameState();
        g_GameState.StageIndex = stage;
        g_GameState.StageScriptPhase = 33;
        RunStageScript();
        EXPECT_EQ(g_GameState.StageFinished, 0);
        g_GameState.StageScriptPhase = kClosingPhase;
        RunStageScript();
        EXPECT_EQ(g_GameState.StageFinished, 1) << stage;
        EXPECT_EQ(g_GameState.StageScriptFrame, 2);
    }
}

TEST_F(StageDispatchTest, EnemyStepsByStageIndexWithStageZeroForOthers) {
    RegisterStepEnemy(0, StepEnemy<1>);
    RegisterStepEnemy(1, StepEnemy<2>);
    RegisterStepEnemy(4, StepEnemy<5>);
    RegisterStepEnemy(5, StepEnemy<9>);  // ignored
    const i32 stages[] = {0, 1, 4, 7, -3};
    for (i32 stage : stages) {
        g_GameState.StageIndex = stage;
        EXPECT_FALSE(DispatchStepEnemy(3, 2));
    }
    EXPECT_EQ(g_calls, (std::vector<int>{1032, 2032, 5032, 1032, 1032}));
    g_calls.clear();
    RegisterStepEnemy(1, nullptr);  // back to the default
    g_GameState.StageIndex = 1;
    EXPECT_TRUE(DispatchStepEnemy(3, 2));
    EXPECT_TRUE(g_calls.empty());
}

// The stage's part step is handed the difficulty: HARD for any value but
// EASY and NORMAL; an unknown stage index runs stage index 0's.
TEST_F(StageDispatchTest, PartStepsByStageHandedTheDifficulty) {
    RegisterStepPart(0, StepPart<1>);
    RegisterStepPart(3, StepPart<4>);
    RegisterStepPart(kStageCount, StepPart<9>);  // ignored
    struct Case {
        i32 stage;
        i32 difficulty;
        std::vector<int> expected;  // Id * 10 + the difficulty handed on
    };
    const Case cases[] = {{0, 0, {10}}, {0, 1, {11}},  {0, 2, {12}},           {3, 0, {40}},
                          {3, 1, {41}}, {3, 2, {42}},  {3, 7, {42}},           {3, -1, {42}},
                          {9, 1, {11}}, {-1, 0, {10}}, {kStageCount, 2, {12}}, {1, 0, {}}};
    for (const Case& c : cases) {
        g_calls.clear();
        g_GameState.StageIndex = c.stage;
        g_GameState.Difficulty = c.difficulty;
        CallPartStep();
        EXPECT_EQ(g_calls, c.expected) << c.stage << "/" << c.difficulty;
    }
}

// A stage's scenery gives LoadStage its row and the background its plan and
// scroll; a stage without one loads nothing and draws and scrolls nothing.
TEST_F(StageDispatchTest, SceneryByStageIndexWithNoneForOthers) {
    static const StageScenery kWithBackground{
        .load = {.zoom = 3.0f, .music = 4}, .planBackground = PlanBackground, .scrollBackground = ScrollBackground};
    static const StageScenery kWithout{.load = {.zoom = 7.0f}};
    RegisterStageScenery(0, &kWithBackground);
    RegisterStageScenery(2, &kWithout);
    RegisterStageScenery(kStageCount, &kWithBackground);  // ignored
    RegisterStageScenery(-1, &kWithBackground);           // ignored
    EXPECT_EQ(FindStageScenery(0), &kWithBackground);
    EXPECT_EQ(FindStageScenery(2), &kWithout);
    for (i32 stage : {1, -1, kStageCount}) EXPECT_EQ(FindStageScenery(stage), nullptr) << stage;
    ASSERT_NE(StageLoadTable(0), nullptr);
    EXPECT_EQ(StageLoadTable(0)->music, 4);
    EXPECT_EQ(StageLoadTable(2)->zoom, 7.0f);
    EXPECT_EQ(StageLoadTable(1), nullptr);

    g_GameState.StageIndex = 0;
    EXPECT_TRUE(BuildBackgroundPlan().overlay);
    UpdateBackgroundScroll();
    EXPECT_EQ(g_calls, (std::vector<int>{201, 202}));
    for (i32 stage : {2, 1, kStageCount}) {
        g_calls.clear();
        g_GameState.StageIndex = stage;
        g_GameState.BackgroundScrollY = 5;
        const BackgroundPlan plan = BuildBackgroundPlan();
        EXPECT_TRUE(plan.blits.empty() && plan.clouds.empty() && !plan.overlay) << stage;
        UpdateBackgroundScroll();
        EXPECT_EQ(g_GameState.BackgroundScrollY, 5) << stage;
        EXPECT_TRUE(g_calls.empty()) << stage;
    }
    ResetStageDispatch();
    EXPECT_EQ(FindStageScenery(0), nullptr);
}

TEST_F(StageDispatchTest, DrawEnemyLayerGoesToTheRegisteredRoutine) {
    DispatchDrawEnemyLayer(0);
    RegisterDrawEnemyLayer(DrawLayer);
    DispatchDrawEnemyLayer(0);
    DispatchDrawEnemyLayer(1);
    EXPECT_EQ(g_calls, (std::vector<int>{100, 101}));
}

}  // namespace
