#include "engine/graphics/clip_copy.h"

#include "engine/graphics/device.h"
#include "platform/gfx/device.h"

namespace gfx = platform::gfx;
using platform::gfx::FAILED;
using platform::gfx::SUCCEEDED;

namespace {

// The render target or the back buffer with a reference the caller gives
// back; null when there is none.
gfx::Direct3DSurface8* AcquireDeviceSurface(DeviceSurface which) {
    gfx::Direct3DSurface8* surface = nullptr;
    if (which == DeviceSurface::BackBuffer) return GetBackBuffer(&surface) ? surface : nullptr;
    gfx::Direct3DDevice8* device = GetDirect3DDevice();
    if (!device || FAILED(device->GetRenderTarget(&surface))) return nullptr;
    return surface;
}

i32 Width(gfx::Direct3DSurface8* surface) { return static_cast<i32>(surface->Width()); }
i32 Height(gfx::Direct3DSurface8* surface) { return static_cast<i32>(surface->Height()); }

}  // namespace

i32 CopyToRenderTarget(gfx::Direct3DSurface8* image, i32 width, i32 height, i32 x, i32 y, i32 left, i32 top, i32 right,
                       i32 bottom) {
    gfx::Direct3DDevice8* device = GetDirect3DDevice();
    if (!image || !device) return 0;
    gfx::Direct3DSurface8* target = AcquireDeviceSurface(DeviceSurface::RenderTarget);
    if (!target) return 0;
    i32 ok = 0;
    if (ClipCopyRect(x, y, left, top, right, bottom, width, height, Width(target), Height(target))) {
        const gfx::RECT rect{left, top, right, bottom};
        const gfx::POINT point{x, y};
        ok = SUCCEEDED(device->CopyRects(image, &rect, 1, target, &point)) ? 1 : 0;
    }
    target->Release();
    return ok;
}

i32 CaptureFromDevice(DeviceSurface source, gfx::Direct3DSurface8* image, gfx::Direct3DSurface8* backup, i32 width,
                      i32 height, i32 x, i32 y, i32 left, i32 top, i32 right, i32 bottom) {
    gfx::Direct3DDevice8* device = GetDirect3DDevice();
    if (!image || !device) return 0;
    gfx::Direct3DSurface8* from = AcquireDeviceSurface(source);
    if (!from) return 0;
    i32 ok = 0;
    if (ClipCopyRect(x, y, left, top, right, bottom, Width(from), Height(from), width, height)) {
        const gfx::RECT rect{left, top, right, bottom};
        const gfx::POINT point{x, y};
        ok = SUCCEEDED(device->CopyRects(from, &rect, 1, image, &point)) ? 1 : 0;
        if (ok && backup) device->CopyRects(from, &rect, 1, backup, &point);
    }
    from->Release();
    return ok;
}
