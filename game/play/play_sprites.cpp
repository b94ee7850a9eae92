#include "game/play/play_sprites.h"

#include "game/play/stage_textures.h"
#include "game/shell/play_state.h"

Texture* PlaySheetTexture(PlaySheet sheet) {
    switch (sheet) {
        case kSheetEffect: return g_StageTextures.effect;
        case kSheetPicture: return g_StageTextures.picture;
        case kSheetMissile: return g_StageTextures.missile;
        case kSheetStageTitle: return g_StageTextures.stage_title;
        case kSheetEnemy3: return g_StageTextures.E3;
    }
    return nullptr;
}

void DrawPlayQuads(const PlayQuadList& quads) {
    for (const PlayQuad& q : quads) {
        Texture* texture = PlaySheetTexture(q.sheet);
        if (texture == nullptr) continue;
        if (q.rotated) {
            texture->TextureDrawRotated(q.destination, 0.0f, q.source, q.angle, q.colour, q.blend);
        } else {
            texture->TextureDraw(q.destination, 0.0f, q.source, q.colour, q.blend);
        }
    }
}
