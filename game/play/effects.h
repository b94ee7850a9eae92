#pragma once
// Effects: the short-lived sprites of stage play (explosions, sparks, smoke,
// cancel tokens, banners, score pop-ups) and the blasts that hurt for a frame.
#include "engine/core/types.h"

// Builds one effect of `kind` at `pos` (param and extra copied) and puts it
// at the front or the back of the effect list by its kind; returns the index
// of the last element of the list (-1 when it is empty).
i32 SpawnEffect(i32 kind, const f32 pos[2], f32 param, i32 extra);
