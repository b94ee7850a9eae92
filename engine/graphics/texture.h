#pragma once
// Textures: image archive entries uploaded to the device and drawn as
// screen-space quads. Every sprite of the game is one TextureDraw or
// TextureDrawRotated call.
//
// A texture is kept twice: a default-pool texture for drawing (released while
// the device is lost) and a system-memory backup of the same size and format
// from which the default-pool copy is refilled after a reset.
#include <string>

#include "engine/core/resource.h"
#include "engine/core/types.h"
#include "engine/graphics/clip_copy.h"
#include "platform/gfx/types.h"

namespace platform::gfx {
class Direct3DTexture8;
class Direct3DSurface8;
}  // namespace platform::gfx

// Left, top, right, bottom in pixels; right and bottom are exclusive edges.
struct Rect {
    i32 left = 0;
    i32 top = 0;
    i32 right = 0;
    i32 bottom = 0;
};

using ProgressCallback = void (*)(i32);

// The vertex of every sprite: pre-transformed position, colour and one pair of
// texture coordinates (vertex format XYZRHW | DIFFUSE | TEX1).
struct SpriteVertex {
    f32 x = 0;
    f32 y = 0;
    f32 z = 0;
    f32 rhw = 1.0f;
    u32 colour = 0;
    f32 u = 0;
    f32 v = 0;
};
static_assert(sizeof(SpriteVertex) == 28);
constexpr u32 kSpriteVertexFormat = 0x144;

class Surface;

class Texture : public ResourceObject {
public:
    ~Texture() override;

    // Draws nothing while the texture is not ready. `mode` is a blend preset
    // 0..7 (SetBlendMode); z is scaled by 1/65536.
    void TextureDraw(const Rect& destination, f32 z, const Rect& source, u32 colour, i32 mode);
    // The same quad turned by a 16-bit angle about the centre of its integer
    // rectangle (a positive angle turns clockwise on the screen).
    void TextureDrawRotated(const Rect& destination, f32 z, const Rect& source, i32 angle, u32 colour, i32 mode);
    // Four destination corners x0, y0 .. x3, y3 in fan order.
    void TextureDrawQuad(const i32 points[8], f32 z, const Rect& source, u32 colour, i32 mode);

    // The four vertices TextureDraw sends for these arguments (tests, tools).
    void TextureBuildVertices(const Rect& destination, f32 z, const Rect& source, u32 colour,
                              SpriteVertex out[4]) const;

    i32 TextureIsReady() const { return ready; }
    i32 GetWidth() const { return width; }
    i32 GetHeight() const { return height; }
    i32 TextureGetImageWidth() const { return imageWidth; }
    i32 TextureGetImageHeight() const { return imageHeight; }
    f32 TextureGetUScale() const { return uScale; }
    f32 TextureGetVScale() const { return vScale; }
    u32 GetFormat() const { return format; }
    // The default-pool texture (null while the device is lost or when the
    // texture was never made).
    platform::gfx::Direct3DTexture8* GetDirect3DResource() const { return texture; }
    platform::gfx::Direct3DTexture8* GetBackup() const { return backup; }

    // Device loss: release the default-pool texture / make it again and refill
    // it from the backup. A failed re-creation leaves the texture not ready.
    void TextureOnLostDevice();
    void TextureOnResetDevice();

    // (Re)creates the system-memory backup; 1 on success.
    i32 TextureCreateBackup();
    // Stretches a locked-able image surface onto the backup; null on success,
    // else the error text.
    const char* TextureCopyFromSurface(platform::gfx::Direct3DSurface8* surface);
    // Uploads the backup into the default-pool texture.
    void TextureUpdate();

    // Locks the backup (ready textures only); returns the lock flag.
    i32 TextureLock(platform::gfx::D3DLOCKED_RECT* out);
    void TextureUnlock();

    // Bytes of both copies.
    i32 TextureGetMemorySize() const;

    // Not used by the game.
    i32 TextureSetRenderTarget();
    // Copies the texture to the render target at (x, y), clipped to the target.
    i32 TextureDrawToRenderTarget(i32 x, i32 y);
    // Copy the rectangle (left, top, right, bottom) of the render target or the
    // back buffer into the texture at (x, y), clipped to both.
    i32 TextureCaptureRenderTarget(i32 x, i32 y, i32 left, i32 top, i32 right, i32 bottom);
    i32 TextureCaptureBackBuffer(i32 x, i32 y, i32 left, i32 top, i32 right, i32 bottom);
    // Copies a rectangle of a ready surface of the same format into the
    // backup at (x, y), clipped to both, and uploads it.
    i32 TextureBlitFromSurface(Surface* surface, i32 x, i32 y, i32 left, i32 top, i32 right, i32 bottom);
    // Writes the backup as a 32-bit BMP file; 1 on success.
    i32 TextureSaveBitmap(const char* path);
    // Fills the backup with one colour (alpha forced opaque) and uploads it.
    i32 TextureFill(u32 colour);

    i32 renderTarget = 0;
    i32 locked = 0;
    i32 ready = 0;
    platform::gfx::Direct3DTexture8* texture = nullptr;
    platform::gfx::Direct3DTexture8* backup = nullptr;
    i32 width = 0;
    i32 height = 0;
    u32 format = 0;
    i32 imageWidth = 0;
    i32 imageHeight = 0;
    f32 uScale = 0;
    f32 vScale = 0;
    // Bytes this texture added to the video-memory use (given back on delete).
    i32 videoMemoryCounted = 0;

private:
    void SendQuad(const SpriteVertex vertices[4], i32 mode);
    i32 CaptureFrom(DeviceSurface source, i32 x, i32 y, i32 left, i32 top, i32 right, i32 bottom);
};

// Never null (unless memory runs out); a texture whose entry could not be
// loaded comes back not ready and draws nothing. `alpha` 1 picks the alpha
// texture format, 0 the normal one.
Texture* CreateTexture(const char* archive, const char* entry, i32 alpha, ProgressCallback callback);
// The same from an image file (PNG, BMP, TGA, JPEG ...), for mesh materials.
Texture* CreateTextureFromFile(const char* path);

// The list of every texture (newest first) and the manager's start and stop.
ResourceList& TextureList();
void TextureLostAll();
void TextureResetAll();
i32 InitializeTexture();
void DestroyTexture();

// A locked block of pixels.
struct PixelBlock {
    void* bits = nullptr;
    i32 pitch = 0;  // bytes per row
    i32 width = 0;
    i32 height = 0;
};

// Copies `source` onto `destination`: byte for byte when both have the same
// pitch and size, otherwise stretched by nearest neighbour (16.16 steps).
// 4-byte and 2-byte colour formats only; returns 0 when a block is missing.
i32 TransferPixels16(const PixelBlock& destination, const PixelBlock& source, u32 format, ProgressCallback callback);
// Copies the source rectangle to (x, y) of the destination, row by row,
// clipped to both blocks; returns 0 when a block is missing.
i32 TransferPixels(const PixelBlock& destination, i32 x, i32 y, const PixelBlock& source, const Rect& rect, u32 format,
                   ProgressCallback callback);
