#pragma once
// Surfaces: image archive entries kept in system memory and copied rectangle
// by rectangle onto the render target; also the depth buffer.
#include "engine/core/resource.h"
#include "engine/core/types.h"
#include "engine/graphics/texture.h"
#include "platform/gfx/types.h"

namespace platform::gfx {
class Direct3DSurface8;
}

class Surface : public ResourceObject {
public:
    ~Surface() override;

    // Copies source (left, top, right, bottom) of this surface to the render
    // target at (x, y), clipped to the target and to this surface. An empty
    // rectangle, or a surface without pixels, copies nothing.
    void SurfaceBlit(i32 x, i32 y, i32 left, i32 top, i32 right, i32 bottom);
    // For a depth buffer: makes it the device's depth buffer (the render
    // target stays) and remembers it for the device restore. 1 on success.
    i32 SurfaceSetDepthBuffer();
    // For a render-target surface: makes it the render target. 1 on success.
    i32 SurfaceSetRenderTarget();
    i32 GetWidth() const { return width; }
    i32 GetHeight() const { return height; }
    u32 GetFormat() const { return format; }
    platform::gfx::Direct3DSurface8* GetDirect3DResource() const { return surface; }

    // Locks the whole surface; returns 1 on success.
    i32 SurfaceLock(platform::gfx::D3DLOCKED_RECT* out);
    void SurfaceUnlock();

    // Copy (left, top, right, bottom) of the render target or the back buffer
    // into this surface at (x, y), clipped to both. Not used by the game.
    i32 SurfaceCaptureRenderTarget(i32 x, i32 y, i32 left, i32 top, i32 right, i32 bottom);
    i32 SurfaceCaptureBackBuffer(i32 x, i32 y, i32 left, i32 top, i32 right, i32 bottom);

    // Device loss: render targets and depth buffers are released and made
    // again; image surfaces keep their pixels.
    void SurfaceOnLostDevice();
    void SurfaceOnResetDevice();

    i32 renderTarget = 0;
    i32 depthBuffer = 0;
    i32 locked = 0;
    i32 ready = 0;
    platform::gfx::Direct3DSurface8* surface = nullptr;
    i32 width = 0;
    i32 height = 0;
    u32 format = 0;
    // Bytes this surface added to the video-memory use (given back on delete).
    i32 videoMemoryCounted = 0;

private:
    i32 CaptureFrom(DeviceSurface source, i32 x, i32 y, i32 left, i32 top, i32 right, i32 bottom);
};

// kind 1 back-buffer format, 2 normal texture format, 3 alpha texture format,
// 4 A8R8G8B8.
Surface* CreateSurface(const char* archive, const char* entry, i32 kind, ProgressCallback callback);
Surface* CreateDepthBuffer(i32 width, i32 height, ProgressCallback callback);

// The list of every surface (newest first) and the manager's start and stop.
ResourceList& SurfaceList();
void SurfaceLostAll();
void SurfaceResetAll();
i32 InitializeSurface();
void DestroySurface();
