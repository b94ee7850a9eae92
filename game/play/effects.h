#pragma once
// Effects: the short-lived sprites of stage play (explosions, sparks, smoke,
// cancelled-bullet tokens, banners, score pop-ups), a few of which also put a
// one-frame hit area into the shot or bullet lists.
#include "engine/core/types.h"
#include "game/play/play_sprites.h"

// Effect kinds with a name of their own.
constexpr i32 kEffectScorePopup = 1000;  // 1000 + points

// Makes one effect of the kind at pos (kinds without a row are ignored) and
// returns the index of the last effect of the list (-1 when empty): the new
// effect's index for every kind that is appended.
i32 SpawnEffect(i32 kind, const f32 pos[2], f32 param, i32 extra);
// Steps every effect once.
void UpdateEffects();
// Draws every effect of the layer (-1, 0 or 1) whose age is 0 or more.
void DrawEffects(i32 layer);
// The quads DrawEffects(layer) draws.
void CollectEffectQuads(i32 layer, PlayQuadList& quads);
