#pragma once
// Scene 4, the replay browser: the replays of the "replay" folder in a window
// of ten rows (list number, name, score, difficulty); Z on a replay opens the
// column of its five stages with their scores and ranks, and Z on a played
// stage plays it back in the play scene. A playback comes back here, to the
// stage column of the replay just watched.
#include "engine/core/types.h"
#include "engine/graphics/surface.h"
#include "engine/graphics/texture.h"

enum MemoryStateId : i32 {
    kMemoryOpening = 0,
    kMemoryList = 10,
    kMemoryStages = 20,
    kMemoryLeaving = 90,
};

constexpr i32 kMemoryRows = 10;
constexpr i32 kMemoryStageEntries = 5;

extern i32 MemoryState;
extern i32 MemoryCursor;
extern i32 MemoryStageCursor;
extern i32 MemoryListTop;
extern i32 MemoryFrameCount;
extern i32 MemoryHeadingZoom;
extern i32 MemoryStageTimers[kMemoryStageEntries];
extern i32 MemoryNextScene;
extern i32 MemoryKeyState[8];
extern u8 MemoryLeaveRequest;
extern i32 MemoryScrollX;
extern i32 MemoryScrollY;

struct MemoryImages {
    Texture* name = nullptr;     // "name": the name characters
    Texture* memory = nullptr;   // "memory": labels, digits, messages, marks
    Texture* stages = nullptr;   // "title2": the stage pictures
    Texture* window = nullptr;   // "memory_window"
    Surface* background = nullptr;  // "bgp_memory"
};
extern MemoryImages g_MemoryImages;

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
