#pragma once
// Scene 3, the title: the menu background, two spinning pictures, a blinking
// prompt and a main menu of six entries that slide in and out; the difficulty
// menu and the stage select open in its place. It sets up a new run, opens the
// replay browser, the ranking and the settings, ends the program, and starts
// the demonstration after more than 1,000 frames without input.
#include "engine/core/types.h"
#include "engine/graphics/surface.h"
#include "engine/graphics/texture.h"
#include "game/shell/game_main.h"

enum TitleMenuStateId : i32 {
    kTitleOpening = 0,
    kTitleMain = 10,
    kTitleStageSelect = 20,
    kTitleDifficulty = 30,
    kTitleLeaving = 90,
};

constexpr i32 kTitleMainEntries = 6;
constexpr i32 kTitleDifficultyEntries = 3;
constexpr i32 kTitleStageEntries = 5;
constexpr i32 kTitleIdleLimit = 1000;
constexpr i32 kSceneProgramEnd = 1;  // TitleNextScene value that ends the program

struct TitleImages {
    Surface* background = nullptr;  // "bgp_menu"
    Texture* menu = nullptr;        // "title": entries and the prompt
    Texture* stages = nullptr;      // "title2": stage-select entries
    Texture* digits = nullptr;      // "title3": digits and labels
    Texture* spin = nullptr;        // "title_puro"
};

// The title scene's state and images, kept for the whole run.
struct TitleSceneState {
    i32 TitleMenuState = kTitleOpening;
    i32 TitleCursor = 0;
    i32 TitleIdleFrames = 0;
    i32 TitleNextScene = kScenePlay;
    i32 TitleKeyState[8] = {};
    u8 TitleLeaveRequest = 0;
    i32 MainEntryTimers[kTitleMainEntries] = {};
    i32 DifficultyEntryTimers[kTitleDifficultyEntries] = {};
    i32 StageEntryTimers[kTitleStageEntries] = {};
    i32 TitleSpinCounter = 0;
    TitleImages images;
};
extern TitleSceneState g_Title;

void InitializeTitle();
void DrawTitle();
void TitleFrame();
void LeaveTitle();
// Loads "demo.rpl" into the run record and the game state; true on success.
// A file that is there but cannot be used is said on standard error (once for
// each reason).
bool LoadDemoReplay();

// The pieces of InitializeTitle around the making of the images: the menu
// state, timers and key states; then the opening transition, the title
// music and the opening sound.
void ResetTitleMenu();
void OpenTitleScene();
// The pieces of TitleFrame.
// The key states (auto-repeat variant) and the idle count from a mask.
void TitleTakeInput(const u8 bits[2]);
// One step of the menu state machine.
void StepTitleMenu();
// The slide timers, by the state as the menu step left it.
void StepTitleSlideTimers();
// The slide offset of an entry with timer t: t x t / 2, negative for t < 0.
i32 TitleSlideOffset(i32 t);
// Whether stage `stage` may be chosen at the current difficulty.
bool TitleStageUnlocked(i32 stage);
