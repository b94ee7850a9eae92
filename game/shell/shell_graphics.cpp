#include "game/shell/shell_graphics.h"

Surface* SharedDepthBuffer = nullptr;
Texture* BlackTexture = nullptr;
Surface* SideSurface = nullptr;
