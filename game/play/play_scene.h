#pragma once
// Scene 2, stage play: loading a stage, the frame (draw, then update), the
// frame's picture and the end of play with the choice of the next scene.
//
// Every routine of the other play parts and of the per-stage content is
// stepped from PlayFrame and DrawPlayScene in one fixed order; the order of
// the engine generator's draws in it is what lets a recorded run play back.
#include <string_view>

#include "engine/core/types.h"

// What LoadStage loads and sets for one stage (each stage's row is part of
// its scenery in its timeline file: StageScenery in stage_dispatch.h).
struct StageLoadRow {
    f32 zoom = 1.0f;                 // BackgroundZoom
    i32 music = 0;                   // track requested at the load
    u32 randomSeed = 0;              // seed of the stage random generator
    const char* enemy[9] = {};       // E1..E9 from "vsk1.dat" (null: none)
    const char* boss[2] = {};        // B1, B2 from "vsk1.dat"
    const char* background[9] = {};  // bg1..bg9 from "vsk2.dat"
    const char* cloud[2] = {};       // cloud textures from "vsk1.dat", one plane each
    const char* face[3] = {};        // from "vsk1.dat"
    const char* speech[10] = {};     // from "vsk3.dat"
    i32 storyFirst = 0;              // StoryFlags storyFirst..storyLast cleared at the load
    i32 storyLast = -1;
    i32 firstPhase = 0;  // StageScriptPhase at the start (-1: chosen by the ranks)
    i32 scrollX = 0;     // BackgroundScrollX at the start
};

// The row of the stage index as its scenery is registered; null for an index
// outside 0..kStageCount - 1 and for a stage without scenery.
const StageLoadRow* StageLoadTable(i32 stage);
// The first phase of stage index 2: 15 after an odd sum of the recorded ranks
// of stage indexes 0 and 1, else 16.
i32 Stage3FirstPhase();

// Starts decoding the pictures LoadStage loads for stage `stage` on a worker
// thread, so that the stage's first frame finds them decoded (the same
// pixels). Any other index: nothing.
void PrefetchStageImages(i32 stage);

// The scene's four routines.
void LoadStage();
void PlayFrame();
void DrawPlayScene();
void EndPlayScene();
// The stage update of one frame, which PlayFrame runs after the draw when
// neither the pause menu nor the continue prompt is open.
void UpdateStage();

// Registers PlayFrame as scene 2, the stage camera hooks, the program-start
// hook (the prompts' ResetPlayPrompts, then ResetPlayProgramState) and the
// state hash with the shell; the program calls it before the game starts.
void RegisterPlayScene();
// The play layer's program-start values (GameMain's ResetProgramState): the
// lists, part pool and talk state (ResetPlayRecords), both stage generators
// unseeded (ResetStageRandomGenerators) and every stage's kept values
// (ResetStageContent).
void ResetPlayProgramState();
// The start of a run: the shell's ResetPlayer(0) (a new game or a stage
// select from the title, the demonstration, a replay's playback) and the
// pause menu's retry. The play layer goes back to its program-start values
// (ResetPlayProgramState) and the last stage's rank to 0: a stage load keeps
// some of them (a talk's last event, freed parts' fields, the generator's
// last bound), and a run must start as it would in a new program whatever
// an earlier run in the same program left, so that its replay plays back
// the same in a new program. The player is left to ResetPlayerState.
void StartPlayRun();
// The end of the run (GameMain's end, the Escape key): the stage camera and
// any stage images still held are released, so that no handle outlives the
// engine's teardown. A second call does nothing.
void ReleasePlayObjects();

// A 64-bit hash of the game state (player, enemies and parts, projectiles,
// effects, coins, markers, score and counters, story flags, both generators,
// stage script phase and frame). Reads the state only.
u64 ComputeStateHash();

// A trace of the play frame's calls, for tests: every step of the update and
// the draw (and every image the load creates, as "texture <archive> <name>",
// "surface ...", "plane <n>") is reported by name while a trace is set.
using PlayTraceFn = void (*)(std::string_view event);
void SetPlayTrace(PlayTraceFn trace);
void PlayTrace(std::string_view event);
