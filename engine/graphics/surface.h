#pragma once
// Surfaces: image archive entries kept in system memory and copied rectangle
// by rectangle onto the render target; also the depth buffer.
#include "engine/core/resource.h"
#include "engine/core/types.h"
#include "engine/graphics/texture.h"

class Surface : public ResourceObject {
public:
    ~Surface() override;

    // Copies source (left, top, right, bottom) of this surface to the render
    // target at (x, y), clipped to the target and to this surface.
    void SurfaceBlit(i32 x, i32 y, i32 left, i32 top, i32 right, i32 bottom);
    i32 SurfaceSetDepthBuffer();
    i32 GetWidth() const { return width; }
    i32 GetHeight() const { return height; }

    i32 renderTarget = 0;
    i32 depthBuffer = 0;
    i32 locked = 0;
    i32 ready = 0;
    i32 width = 0;
    i32 height = 0;
};

// kind 1 back-buffer format, 2 normal texture format, 3 alpha texture format,
// 4 A8R8G8B8.
Surface* CreateSurface(const char* archive, const char* entry, i32 kind, ProgressCallback callback);
Surface* CreateDepthBuffer(i32 width, i32 height, ProgressCallback callback);
