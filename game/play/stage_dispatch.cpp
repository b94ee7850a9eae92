#include "game/play/stage_dispatch.h"

#include <array>

#include "game/shell/play_state.h"
#include "game/shell/transition_hook.h"

namespace {

void DefaultDrawEnemyLayer(i32) {}
bool DefaultStepEnemy(i32, i32) { return true; }
void DefaultStageScript() { FinishStageWhenClosed(); }
void DefaultStepPart(i32, i32, EnemyPart*, const f32*, const f32*) {}
void DefaultStageReset() {}

struct DispatchTables {
    DrawEnemyLayerFn drawEnemyLayer = DefaultDrawEnemyLayer;
    std::array<StepEnemyFn, kStageCount> stepEnemy;
    std::array<StageScriptFn, kStageCount> script;
    std::array<StepPartFn, kStageCount> stepPart;
    std::array<StageResetFn, kStageCount> reset;
    std::array<const StageScenery*, kStageCount> scenery;

    DispatchTables() {
        stepEnemy.fill(DefaultStepEnemy);
        script.fill(DefaultStageScript);
        stepPart.fill(DefaultStepPart);
        reset.fill(DefaultStageReset);
        scenery.fill(nullptr);
    }
};

DispatchTables g_tables;

bool IsStage(i32 stageIndex) { return stageIndex >= 0 && stageIndex < kStageCount; }

// The behaviour and part-step tables run stage index 0 for every unknown index.
int ContentStage(i32 stageIndex) { return stageIndex >= 1 && stageIndex < kStageCount ? stageIndex : 0; }

int ContentDifficulty(i32 difficulty) {
    return difficulty == kDifficultyEasy || difficulty == kDifficultyNormal ? difficulty : kDifficultyHard;
}

}  // namespace

void RegisterDrawEnemyLayer(DrawEnemyLayerFn draw) { g_tables.drawEnemyLayer = draw ? draw : DefaultDrawEnemyLayer; }

void RegisterStepEnemy(i32 stageIndex, StepEnemyFn step) {
    if (!IsStage(stageIndex)) return;
    g_tables.stepEnemy[stageIndex] = step ? step : DefaultStepEnemy;
}

void RegisterStageScript(i32 stageIndex, StageScriptFn script) {
    if (!IsStage(stageIndex)) return;
    g_tables.script[stageIndex] = script ? script : DefaultStageScript;
}

void RegisterStepPart(i32 stageIndex, StepPartFn step) {
    if (!IsStage(stageIndex)) return;
    g_tables.stepPart[stageIndex] = step ? step : DefaultStepPart;
}

void RegisterStageReset(i32 stageIndex, StageResetFn reset) {
    if (!IsStage(stageIndex)) return;
    g_tables.reset[stageIndex] = reset ? reset : DefaultStageReset;
}

void RegisterStageScenery(i32 stageIndex, const StageScenery* scenery) {
    if (!IsStage(stageIndex)) return;
    g_tables.scenery[stageIndex] = scenery;
}

void ResetStageDispatch() { g_tables = DispatchTables{}; }

void ResetStageContent() {
    for (StageResetFn reset : g_tables.reset) reset();
}

void DispatchDrawEnemyLayer(i32 layer) { g_tables.drawEnemyLayer(layer); }

bool DispatchStepEnemy(i32 enemy, i32 state) {
    return g_tables.stepEnemy[ContentStage(g_GameState.StageIndex)](enemy, state);
}

void DispatchStepPart(i32 enemy, EnemyPart* part, const f32 parentPos[2], const f32* parentAngle) {
    const int stage = ContentStage(g_GameState.StageIndex);
    g_tables.stepPart[stage](ContentDifficulty(g_GameState.Difficulty), enemy, part, parentPos, parentAngle);
}

void RunStageScript() {
    if (IsStage(g_GameState.StageIndex)) g_tables.script[g_GameState.StageIndex]();
    ++g_GameState.StageScriptFrame;
}

const StageScenery* FindStageScenery(i32 stageIndex) {
    return IsStage(stageIndex) ? g_tables.scenery[stageIndex] : nullptr;
}

void FinishStageWhenClosed() {
    if (g_GameState.StageScriptPhase == kClosingPhase && !IsTransitionRunning()) {
        g_GameState.StageFinished = 1;
    }
}
