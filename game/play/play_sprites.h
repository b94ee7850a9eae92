#pragma once
// Sprites of the play overlays (effects, enemy shells, target markers, part
// gauges) as plain values: each draw routine first lists the quads it would
// draw, so that the geometry can be checked without a device, and then hands
// them to the stage's sheets.
#include <vector>

#include "engine/core/types.h"
#include "engine/graphics/texture.h"

// The stage sheets of g_StageTextures that these overlays draw from.
enum PlaySheet : i32 {
    kSheetEffect = 0,
    kSheetPicture = 1,
    kSheetMissile = 2,
    kSheetStageTitle = 3,
    kSheetEnemy3 = 4,  // the third enemy sheet, E3
};

// One TextureDraw (rotated false) or TextureDrawRotated call: depth 0.
struct PlayQuad {
    PlaySheet sheet = kSheetEffect;
    Rect destination;
    Rect source;
    bool rotated = false;
    i32 angle = 0;  // 16-bit angle of a rotated draw
    u32 colour = 0xFFFFFFFFu;
    i32 blend = 1;
};

using PlayQuadList = std::vector<PlayQuad>;

// The texture of a sheet (null when the stage has none loaded).
Texture* PlaySheetTexture(PlaySheet sheet);
// Draws the quads in order; quads of a missing sheet are skipped.
void DrawPlayQuads(const PlayQuadList& quads);

// A rectangle from its four edges.
inline Rect MakeRect(i32 left, i32 top, i32 right, i32 bottom) {
    Rect r;
    r.left = left;
    r.top = top;
    r.right = right;
    r.bottom = bottom;
    return r;
}
