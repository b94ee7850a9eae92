#pragma once
// Untextured screen-space drawing: Begin2D before, End2D after, lines between.
#include "engine/core/types.h"

// The vertex of 2D drawing: pre-transformed position and colour (vertex
// format XYZRHW | DIFFUSE).
struct Vertex2D {
    f32 x = 0;
    f32 y = 0;
    f32 z = 0;
    f32 rhw = 1.0f;
    u32 colour = 0;
};
static_assert(sizeof(Vertex2D) == 20);
constexpr u32 kVertex2DFormat = 0x44;

// Sets the untextured 2D state and the blend preset `mode`. Mode 3 is the
// subtractive blend: the screen is inverted here and by End2D, and what is
// drawn between is added (SRCALPHA / ONE), leaving destination minus source.
void Begin2D(i32 mode);
void End2D();
// One line between two screen points, in the current state.
void DrawLine2D(f32 x1, f32 y1, f32 x2, f32 y2, u32 colour);

// The argument of the last Begin2D.
i32 Current2DMode();
