#pragma once
// The game's side of the application frame: set-up before the window, the
// Escape hook, the game main and the scene dispatch.
#include <cstdint>
#include <string>

#include "engine/core/types.h"

enum SceneId : i32 {
    kSceneLogo = 0,
    kScenePlay = 2,
    kSceneTitle = 3,
    kSceneReplayBrowser = 4,
    kSceneStageReport = 6,
    kSceneResult = 7,
    kSceneRanking = 9,
    kSceneSettings = 11,
    kSceneEnding = 13,
};

constexpr int kSceneSlots = 14;

class Texture;
class Surface;

// Run-long objects GameMain makes; the engine's teardown releases them.
extern Surface* SharedDepthBuffer;  // the 640 x 480 depth buffer
extern Texture* BlackTexture;       // "black" of "vsk1.dat", no alpha
extern Surface* SideSurface;        // "side" of "vsk2.dat": the side panels

extern i32 CurrentScene;
extern i32 PreviousScene;
extern u8 SceneInitRequest;

using SceneFrameFn = void (*)();
// Scenes of the layers above the shell (the play scene) register their frame
// routine here before the game starts.
void RegisterSceneFrame(i32 scene, SceneFrameFn frame);
SceneFrameFn SceneFrame(i32 scene);
// The shell's own scenes - logo (0), title (3), replay browser (4), stage
// report (6), result (7), ranking (9), settings (11) and ending (13) - in the
// slots that are still empty. GameMain calls it.
void RegisterShellScenes();
// Runs one frame of the current scene; a scene number without a routine runs
// nothing.
void RunSceneFrame();
// Writes PreviousScene and CurrentScene and asks the new scene to initialise.
void ChangeScene(i32 next);

// Hooks the stage play layer fills: the run-long stage camera.
void SetStageCameraHooks(void (*create)(), void (*release)());
// And the decoding of a stage's pictures ahead, which PrefetchStage starts
// (nothing without the hook): the scenes that lead into a stage call it.
void SetStagePrefetchHook(void (*prefetch)(i32 stage));
void PrefetchStage(i32 stage);

// GameMain's first step: what the game keeps for the whole run of the
// program goes back to its values at program start, so that a second run of
// the game in the same process (the in-process tests run it many times)
// starts as a new program would and no run depends on what ran before it.
// Nothing else calls it: within one run these values still live on across
// stage loads and scene visits (the title's spin counter, the settings' and
// the replay browser's scrolling backgrounds, the report's banner scroll, the
// menus' auto-repeat counters, the talk state's last event, the part pool's
// stale fields, the play-state block). Set here: the play-state block, the
// player, the screen transition, the run record (PlayRecord and the --record
// snapshot) and a playback an earlier start left running, every scene's
// record whole (the values it keeps across visits and its images' stale
// handles with the rest), the auto-repeat counters and sound-effect stamps,
// then the play layer's records through its hook. Left alone: the settings,
// progress and ranking that GameSetup loaded, the registered scenes and hooks,
// and a playback that --play prepared.
void ResetProgramState();
// The play layer's part of ResetProgramState (the pause menu and continue
// prompt, its lists, part pool, talk state, stage generator and stage
// content); null: none.
void SetProgramStartHook(void (*reset)());

// The state hash the runner prints with --hash-every (filled by the play
// layer; without it the runner prints nothing).
using StateHashFn = u64 (*)();
void SetStateHashFunction(StateHashFn fn);
// The named parts of that hash, as --hash-parts prints them ("player <hash>
// enemies <hash> ..."; filled by the play layer, without it nothing).
using StatePartsFn = std::string (*)();
void SetStatePartsFunction(StatePartsFn fn);
// Frames run by GameMain so far.
i64 GameFrameCount();

// The game's window title (Shift-JIS).
const char* GameWindowTitle();

// GameMain's start before the loop: the depth buffer, the black texture and
// side surface, the stage camera, the texture-stage and render states.
void CreateRunObjects();

// The two side panels every scene draws: the strips x 0-120 and 520-640 of
// SideSurface, full height, blitted to the same places.
void DrawSidePanels();

void PrepareSaveFiles();
void GameSetup();
void OnKeyDownHook(std::uintptr_t wParam, std::intptr_t lParam);
i32 GameMain(int argc, char** argv);
// The end of a run's work on files, once per run: the last state hash
// (--hash-every) and the run's record (--record). GameMain calls it when its
// loop ends, and a lost display before the program leaves.
void FinishGameRun();
