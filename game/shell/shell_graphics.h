#pragma once
// What every scene's draw shares: the run-long objects of the game main
// (BlackTexture, SideSurface, DrawSidePanels) and the release of a scene's
// images.
#include "engine/graphics/surface.h"
#include "engine/graphics/texture.h"
#include "game/shell/game_main.h"

// Releases a scene's image and forgets it (nothing when it is absent).
template <typename T>
void ReleaseImage(T*& image) {
    if (image) {
        image->Release();
        image = nullptr;
    }
}
