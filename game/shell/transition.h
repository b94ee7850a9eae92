#pragma once
// Screen transitions: one at a time, a grid of 10 x 12 cells of 40 x 40 pixels
// over the play field (x 120..520), each cell with its own delay and alpha
// (0 uncovered .. 1 covered), drawn from regions of BlackTexture. A scene
// starts one, draws it once a frame after its sprites (which also steps it)
// and waits until it is no longer running.
#include <vector>

#include "engine/core/types.h"
#include "engine/graphics/texture.h"

enum TransitionKind : i32 {
    kTransitionClose = 10,  // played as kTransitionBricksCover
    kTransitionOpen = 11,   // played as kTransitionBricksUncover
    kTransitionBricksCover = 12,
    kTransitionBricksUncover = 13,
    kTransitionFadeCover = 20,
    kTransitionFadeUncover = 21,
    kTransitionSteppedCover = 22,
    kTransitionSteppedUncover = 23,
    kTransitionBandCover = 24,
    kTransitionBandUncover = 25,
};

constexpr i32 kTransitionColumns = 10;
constexpr i32 kTransitionRows = 12;
constexpr i32 kTransitionCells = kTransitionColumns * kTransitionRows;

struct TransitionCell {
    f32 alpha = 0.0f;
    i32 delay = 0;
};

struct Transition {
    u8 running = 0;   // 1 from StartTransition until the draw after the one that finished it
    u8 finished = 0;  // 1 once every cell has reached its end value
    i32 kind = 0;
    f32 speed = 0.0f;
    TransitionCell cells[kTransitionCells];  // column-major: cell (c, r) is 12 c + r
};

extern Transition TransitionState;

// Replaces the running transition at once. Kinds 10 and 11 are stored as 12
// and 13; the brick kinds lay columns 0..5 only.
void StartTransition(i32 kind);
// When running: draws the current state, then steps it (the call after the
// one that finished it only draws and clears running).
void DrawTransition();
inline bool TransitionRunning() { return TransitionState.running != 0; }

// The two halves of DrawTransition. The quads of the current state, in
// drawing order (nothing when idle or for a kind that draws nothing):
struct TransitionQuad {
    Rect destination;
    Rect source;
    u32 colour = 0;
};
std::vector<TransitionQuad> TransitionQuads();
// Moves a running transition on as it is drawn: clears running when finished,
// else updates every cell.
void AdvanceTransition();
