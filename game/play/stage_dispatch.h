#pragma once
// The play scene's calls into the per-stage content (enemy drawing and
// behaviours, stage timelines, part attack patterns, what a stage loads and
// the picture under its field), which lives in the libraries above game/play.
// The stage registry (game/patterns/stage_registry.h) registers every stage's
// routines here once, before the game starts; until then every entry is a
// default that keeps the play scene running without content.
#include "engine/core/types.h"
#include "game/play/play_scene.h"
#include "game/play/records.h"
#include "game/play/stage_background.h"
#include "game/shell/stage_list.h"

// Stage indexes are 0..kStageCount - 1 (the content's names count from 1:
// RunStage1Script is stage index 0); difficulties 0 EASY, 1 NORMAL, 2 HARD.

// DrawEnemyLayer(layer): draws every enemy of one draw layer.
using DrawEnemyLayerFn = void (*)(i32 layer);
// StepEnemyStageN(enemy, state): one behaviour frame of the enemy at that
// index of g_EnemyList; false exactly when it released the enemy's parts and
// erased it.
using StepEnemyFn = bool (*)(i32 enemy, i32 state);
// RunStageNScript(): one frame of the stage timeline.
using StageScriptFn = void (*)();
// One frame of a part subtree with a stage's attack patterns at a difficulty
// (0, 1 or 2): StepStageParts<RunPartActionStageN>(difficulty, enemy, part,
// parentPos, parentAngle).
using StepPartFn = void (*)(i32 difficulty, i32 enemy, EnemyPart* part, const f32 parentPos[2], const f32* parentAngle);

// Sets back the values a stage's content keeps between frames (its patterns'
// stored aims and remembered points).
using StageResetFn = void (*)();

// What a stage loads and the picture under its field: LoadStage's row, the
// background of a frame (BuildBackgroundPlan) and one frame of its scroll
// (UpdateBackgroundScroll). A null routine draws nothing or scrolls nothing.
struct StageScenery {
    StageLoadRow load;
    void (*planBackground)(BackgroundPlan& plan) = nullptr;
    void (*scrollBackground)() = nullptr;
};

// Registration. A null routine puts the default back. Stage indexes outside
// 0..kStageCount - 1 are ignored.
void RegisterDrawEnemyLayer(DrawEnemyLayerFn draw);
void RegisterStepEnemy(i32 stageIndex, StepEnemyFn step);
void RegisterStageScript(i32 stageIndex, StageScriptFn script);
void RegisterStepPart(i32 stageIndex, StepPartFn step);
void RegisterStageReset(i32 stageIndex, StageResetFn reset);
// The scenery must outlive the registration; null: the stage has none.
void RegisterStageScenery(i32 stageIndex, const StageScenery* scenery);
// Every entry back to its default (for tests).
void ResetStageDispatch();

// The calls of the play scene.
// The registered DrawEnemyLayer; by default draws nothing.
void DispatchDrawEnemyLayer(i32 layer);
// The behaviour of g_GameState.StageIndex (stage index 0 for any index outside
// 1..kStageCount - 1). By default the enemy stays as it is (returns true).
bool DispatchStepEnemy(i32 enemy, i32 state);
// The part step of g_GameState.StageIndex (stage index 0 for any index outside
// 1..kStageCount - 1), handed g_GameState.Difficulty (HARD for any value but
// 0 and 1). By default nothing happens.
void DispatchStepPart(i32 enemy, EnemyPart* part, const f32 parentPos[2], const f32* parentAngle);
// Runs the reset of every stage (LoadStage runs it at every stage load, so
// that no stage's content carries a value from one load to the next). By
// default nothing happens.
void ResetStageContent();
// One frame of the stage timeline: the script of g_GameState.StageIndex (none
// for an index outside 0..kStageCount - 1), then StageScriptFrame + 1.
void RunStageScript();
// The scenery of the stage index; null for an index outside
// 0..kStageCount - 1 and by default.
const StageScenery* FindStageScenery(i32 stageIndex);

// The closing rule every timeline keeps, and the whole of the default
// timeline: in the closing phase, StageFinished = 1 once the screen
// transition has stopped running.
void FinishStageWhenClosed();
