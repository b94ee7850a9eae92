#include "game/play/stage_textures.h"

StageTextures g_StageTextures;
