#pragma once
// Effects.
#include "engine/core/types.h"

// Makes one effect; returns the index of the last effect of the list.
i32 SpawnEffect(i32 kind, const f32 pos[2], f32 param, i32 extra);
void UpdateEffects();
void DrawEffects(i32 layer);
