#pragma once
// The play scene's calls into the per-stage content (enemy drawing and
// behaviours, stage timelines, part attack patterns), which lives in the
// libraries above game/play. Each content library registers its routines
// here once, before the game starts; until then every entry is a default that
// keeps the play scene running without content.
#include "engine/core/types.h"
#include "game/play/records.h"

// Stage indexes 0..4 (the content's names count from 1: RunStage1Script is
// stage index 0) and difficulties 0 EASY, 1 NORMAL, 2 HARD.
constexpr int kStageCount = 5;
constexpr int kDifficultyLevels = 3;

// DrawEnemyLayer(layer): draws every enemy of one draw layer.
using DrawEnemyLayerFn = void (*)(i32 layer);
// StepEnemyStageN(enemy, state): one behaviour frame of the enemy at that
// index of g_EnemyList; false exactly when it released the enemy's parts and
// erased it.
using StepEnemyFn = bool (*)(i32 enemy, i32 state);
// RunStageNScript(): one frame of the stage timeline.
using StageScriptFn = void (*)();
// StepPartStageN{Easy,Normal,Hard}(enemy, part, parentPos, parentAngle): one
// frame of a part subtree.
using StepPartFn = void (*)(i32 enemy, EnemyPart* part, const f32 parentPos[2], const f32* parentAngle);

// Sets back the values a stage's content keeps between frames (its patterns'
// stored aims and remembered points).
using StageResetFn = void (*)();

// Registration. A null routine puts the default back. Stage indexes outside
// 0..4 and difficulties outside 0..2 are ignored.
void RegisterDrawEnemyLayer(DrawEnemyLayerFn draw);
void RegisterStepEnemy(i32 stageIndex, StepEnemyFn step);
void RegisterStageScript(i32 stageIndex, StageScriptFn script);
void RegisterStepPart(i32 stageIndex, i32 difficulty, StepPartFn step);
void RegisterStageReset(i32 stageIndex, StageResetFn reset);
// Every entry back to its default (for tests).
void ResetStageDispatch();

// The calls of the play scene.
// The registered DrawEnemyLayer; by default draws nothing.
void DispatchDrawEnemyLayer(i32 layer);
// The behaviour of g_GameState.StageIndex (stage index 0 for any index outside
// 1..4). By default the enemy stays as it is (returns true).
bool DispatchStepEnemy(i32 enemy, i32 state);
// The part step of g_GameState.StageIndex (stage index 0 for any index outside
// 1..4) and g_GameState.Difficulty (HARD for any value but 0 and 1). By
// default nothing happens.
void DispatchStepPart(i32 enemy, EnemyPart* part, const f32 parentPos[2], const f32* parentAngle);
// Runs the reset of every stage (LoadStage runs it at every stage load, so
// that no stage's content carries a value from one load to the next). By
// default nothing happens.
void ResetStageContent();
// One frame of the stage timeline: the script of g_GameState.StageIndex (none
// for an index outside 0..4), then StageScriptFrame + 1.
void RunStageScript();

// The closing rule every timeline keeps, and the whole of the default
// timeline: in the closing phase, StageFinished = 1 once the screen
// transition has stopped running.
void FinishStageWhenClosed();
