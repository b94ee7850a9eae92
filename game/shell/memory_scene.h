#pragma once
// Scene 4, the replay browser: the replays of the "replay" folder in a window
// of ten rows (list number, name, score, difficulty); Z on a replay opens the
// column of its five stages with their scores and ranks, and Z on a played
// stage plays it back in the play scene. A playback comes back here, to the
// stage column of the replay just watched.
#include "engine/core/types.h"
#include "engine/graphics/surface.h"
#include "engine/graphics/texture.h"
#include "game/shell/game_main.h"

enum MemoryStateId : i32 {
    kMemoryOpening = 0,
    kMemoryList = 10,
    kMemoryStages = 20,
    kMemoryLeaving = 90,
};

constexpr i32 kMemoryRows = 10;
constexpr i32 kMemoryStageEntries = 5;

struct MemoryImages {
    Texture* name = nullptr;        // "name": the name characters
    Texture* memory = nullptr;      // "memory": labels, digits, messages, marks
    Texture* stages = nullptr;      // "title2": the stage pictures
    Texture* window = nullptr;      // "memory_window"
    Surface* background = nullptr;  // "bgp_memory"
};

// The replay browser's state and images.
struct MemorySceneState {
    i32 MemoryState = kMemoryOpening;
    i32 MemoryCursor = 0;
    i32 MemoryStageCursor = 0;
    i32 MemoryListTop = 0;
    i32 MemoryFrameCount = 0;
    i32 MemoryHeadingZoom = 0;
    i32 MemoryStageTimers[kMemoryStageEntries] = {};
    i32 MemoryNextScene = kSceneTitle;
    i32 MemoryKeyState[8] = {};
    u8 MemoryLeaveRequest = 0;
    i32 MemoryScrollX = 0;
    i32 MemoryScrollY = 0;
    MemoryImages images;
};
extern MemorySceneState g_Memory;

void InitializeMemory();
void DrawMemory();
void MemoryFrame();
void LeaveMemory();

// The pieces of InitializeMemory around the making of the images: the state
// (fresh, or back from a playback), then the scan of the folder and the
// opening transition.
void ResetMemoryBrowser();
void OpenMemoryBrowser();
// The pieces of MemoryFrame after the draw.
void MemoryTakeInput(const u8 bits[2]);
void StepMemoryBrowser();
void StepMemoryTimers();
