#pragma once
// The frame every scene runs, in one form: the scene's entry when it has just
// been entered, its picture and its keys in the scene's own order, its step,
// its leaving when it asks to leave, then the music's update and the sound
// effects' gates opened for the next frame. Each scene names its pieces in a
// SceneFrameSteps and runs it from its frame routine.
#include "engine/core/types.h"

// Whether a scene draws before or after it reads the frame's keys. The order
// is the scene's own and must stay so: a scene that draws first shows a key
// press one frame later, and a drawing that moves counters (the scrolling
// backdrops, the title's spin) sees them before or after the keys' effects.
enum class SceneFrameOrder : u8 {
    kDrawThenKeys,
    kKeysThenDraw,
};

struct SceneFrameSteps {
    void (*enter)();  // run first while SceneInitRequest is set
    SceneFrameOrder order;
    void (*draw)();
    void (*takeKeys)(const u8 bits[2]);  // pad 0's input bits of the frame; null: the scene reads none here
    void (*step)();
    bool (*leaving)();  // after the step: leave now
    void (*leave)();
    // Told the name of each closing step ("UpdateMusic",
    // "RearmSoundEffectGates") just before it runs; null: nothing is told.
    void (*trace)(const char* step) = nullptr;
};

// One frame of a scene by its steps.
void RunSceneSteps(const SceneFrameSteps& steps);
