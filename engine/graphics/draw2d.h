#pragma once
// Untextured screen-space drawing: Begin2D before, End2D after, lines between.
#include "engine/core/types.h"

void Begin2D(i32 mode);
void End2D();
void DrawLine2D(f32 x1, f32 y1, f32 x2, f32 y2, u32 colour);
