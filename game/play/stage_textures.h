#pragma once
// The stage's images: what the stage load creates for the stage in play and
// the end of play releases, read by every part of stage play that draws. They
// are owned engine objects, so they are kept apart from the play-state block
// and no program-start reset touches them.
class Texture;
class Surface;
class Model;

// The stage's images; null where the stage loads nothing for a slot.
struct StageTextures {
    Texture* picture = nullptr;
    Texture* missile = nullptr;
    Texture* window = nullptr;
    Texture* effect = nullptr;
    Texture* stage_title = nullptr;
    Texture* pause = nullptr;
    // Enemy and boss sheets, by the names of the look tables.
    Texture* E1 = nullptr;
    Texture* E2 = nullptr;
    Texture* E3 = nullptr;
    Texture* E4 = nullptr;
    Texture* E5 = nullptr;
    Texture* E6 = nullptr;
    Texture* E7 = nullptr;
    Texture* E8 = nullptr;
    Texture* E9 = nullptr;
    Texture* B1 = nullptr;
    Texture* B2 = nullptr;
    Texture* speech[10] = {};  // speech images in load order
    Texture* face[3] = {};     // face images 1..3
    Surface* bg[9] = {};       // backgrounds bg1..bg9 in load order
    Texture* cloud[2] = {};    // cloud textures
    Model* plane[2] = {};      // cloud planes A and B
};

extern StageTextures g_StageTextures;
