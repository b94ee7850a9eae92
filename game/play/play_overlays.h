#pragma once
// What the play scene draws over the field besides the game objects, and its
// two modal prompts: the HUD, the player gauge panel, the mission-timer panel,
// the stage banner, the pause menu and the continue prompt; the mission
// timer's logic and the stage rank.
//
// Every overlay is built as a list of sprite quads first (Collect*), then
// drawn; tests read the quads. All quads are drawn at z 0 with blend mode 1.
#include <vector>

#include "engine/core/types.h"
#include "engine/graphics/texture.h"
#include "game/shell/input.h"

// The stage textures the overlays draw from.
enum OverlayImage : i32 {
    kOverlayPicture = 0,
    kOverlayMissile,
    kOverlayPause,
    kOverlayStageTitle,
};

struct OverlayQuad {
    OverlayImage image = kOverlayPicture;
    Rect destination;
    Rect source;
    u32 colour = 0xFFFFFFFFu;
    bool rotated = false;
    i32 angle = 0;  // 16-bit angle of a rotated quad
};

inline constexpr u32 kOverlayWhite = 0xFFFFFFFFu;
inline constexpr u32 kOverlayDim = 0xFF646464u;   // menu rows not chosen
inline constexpr u32 kOverlayGrey = 0xFFC8C8C8u;  // leading digits

// Mission timer.
void SetMissionTimer(i32 frames, i32 bonusPoints);
void FailMission();
void CompleteMission();
void UpdateMissionTimer();

// Rank 1..5 of the stage just played.
i32 GetStageRank();

// The pause menu.
struct PauseMenu {
    u8 PauseActive = 0;
    i32 state = 0;   // 0 opening, 10 active, 90 closing
    i32 cursor = 0;  // 0 resume, 1 retry, 2 quit
    i32 slideTimer = 0;
    i32 savedKeys[kKeySlotCount] = {};  // the player's keys taken on opening
};

// The continue prompt.
struct ContinuePrompt {
    u8 ContinuePromptActive = 0;
    i32 state = 0;   // 0 opening, 10 active, 90 closing
    i32 cursor = 0;  // 0 yes, 1 no
    i32 slideTimer = 0;
};

extern PauseMenu g_PauseMenu;
extern ContinuePrompt g_ContinuePrompt;

// Both prompts at their program-start values (closed, all zero). For the
// program start only: a new run keeps them as the last one left them and its
// stage load only closes them, and the continue prompt's values are part of
// the state hash.
void ResetPlayPrompts();

// Pause menu: Update reads the live input and steps the menu with it.
void OpenPauseMenu();
void UpdatePauseMenu();
void StepPauseMenu(const u8 bits[2]);
void DrawPauseMenu();

// Continue prompt.
void OpenContinuePrompt();
void UpdateContinuePrompt();
void StepContinuePrompt(const u8 bits[2]);
void DrawContinuePrompt();

void DrawHud();
void DrawPlayerGauges();
void DrawMissionTimer();
// Draws the banner, then moves its timer on.
void DrawStageBanner();
void AdvanceStageBanner();

// Slide offset of an entry with slide timer t: t x |t| / 2.
i32 SlideOffset(i32 t);

void CollectHudQuads(std::vector<OverlayQuad>& quads);  // the HUD without the part gauges
void CollectPlayerGaugeQuads(std::vector<OverlayQuad>& quads);
void CollectMissionTimerQuads(std::vector<OverlayQuad>& quads);
void CollectStageBannerQuads(std::vector<OverlayQuad>& quads);
void CollectPauseMenuQuads(std::vector<OverlayQuad>& quads);
void CollectContinuePromptQuads(std::vector<OverlayQuad>& quads);
void DrawOverlayQuads(const std::vector<OverlayQuad>& quads);
