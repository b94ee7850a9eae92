#pragma once
// Effects: explosions, smoke, sparks, score pop-ups and banners.
#include "engine/core/types.h"

// Makes one effect of the kind at pos, with param and extra stored as given;
// returns the index of the last effect of the list (-1 when it is empty).
i32 SpawnEffect(i32 kind, const f32 pos[2], f32 param, i32 extra);
