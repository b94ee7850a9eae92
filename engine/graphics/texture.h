#pragma once
// Textures: image archive entries uploaded to the device and drawn as
// screen-space quads. Every sprite of the game is one TextureDraw or
// TextureDrawRotated call.
#include "engine/core/resource.h"
#include "engine/core/types.h"

// Left, top, right, bottom in pixels; right and bottom are exclusive edges.
struct Rect {
    i32 left = 0;
    i32 top = 0;
    i32 right = 0;
    i32 bottom = 0;
};

using ProgressCallback = void (*)(i32);

class Texture : public ResourceObject {
public:
    ~Texture() override;

    // Draws nothing while the texture is not ready. `mode` is a blend preset
    // 0..7 (SetBlendMode); z is scaled by 1/65536.
    void TextureDraw(const Rect& destination, f32 z, const Rect& source, u32 colour, i32 mode);
    // The same quad turned by a 16-bit angle about the centre of its integer
    // rectangle (a positive angle turns clockwise on the screen).
    void TextureDrawRotated(const Rect& destination, f32 z, const Rect& source, i32 angle, u32 colour,
                            i32 mode);
    // Four destination corners x0, y0 .. x3, y3 in fan order.
    void TextureDrawQuad(const i32 points[8], f32 z, const Rect& source, u32 colour, i32 mode);

    i32 TextureIsReady() const { return ready; }
    i32 GetWidth() const { return width; }
    i32 GetHeight() const { return height; }
    i32 TextureGetImageWidth() const { return imageWidth; }
    i32 TextureGetImageHeight() const { return imageHeight; }
    f32 TextureGetUScale() const { return uScale; }
    f32 TextureGetVScale() const { return vScale; }

    i32 renderTarget = 0;
    i32 locked = 0;
    i32 ready = 0;
    i32 width = 0;
    i32 height = 0;
    i32 imageWidth = 0;
    i32 imageHeight = 0;
    f32 uScale = 0;
    f32 vScale = 0;
};

// Never null (unless memory runs out); a texture whose entry could not be
// loaded comes back not ready and draws nothing.
Texture* CreateTexture(const char* archive, const char* entry, i32 alpha, ProgressCallback callback);
