#pragma once
// The run-long drawing objects the game main makes (and never releases: the
// engine's teardown does) and the pieces every scene's draw shares.
#include "engine/core/types.h"
#include "engine/graphics/surface.h"
#include "engine/graphics/texture.h"

extern Surface* SharedDepthBuffer;  // 640 x 480 depth buffer
extern Texture* BlackTexture;       // "black" of "vsk1.dat": transitions and black quads
extern Surface* SideSurface;        // "side" of "vsk2.dat": columns 0..119 and 520..639 are the panels

// Makes the objects above (the depth buffer becomes the device's).
void CreateShellGraphics();
// Texture stage 0 modulates texture and diffuse colour and alpha; alpha
// blending on, no depth test or writes, no culling, solid Gouraud fill,
// dithering on.
void SetShellRenderStates();
// The strips x 0..120 and 520..640 of SideSurface blitted to the same places.
void DrawSidePanels();

// Releases a scene's image and forgets it (nothing when it is absent).
template <typename T>
void ReleaseImage(T*& image) {
    if (image) {
        image->Release();
        image = nullptr;
    }
}
