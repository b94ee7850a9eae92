#pragma once
// Rectangle copies between surfaces, textures and the render target or the
// back buffer, and their clipping.
#include "engine/core/types.h"

namespace platform::gfx {
class Direct3DSurface8;
}

// Clips a copy of (left, top, right, bottom) of a source of size sw x sh to
// (x, y) of a destination of size dw x dh: first to the source, then to the
// destination. False when nothing is left.
// clang-format off
inline bool ClipCopyRect(i32& x, i32& y, i32& left, i32& top, i32& right, i32& bottom, i32 sw, i32 sh,
                         i32 dw, i32 dh) {
    i64 l = left, t = top, r = right, b = bottom, dx = x, dy = y;
    if (l < 0) { dx -= l; l = 0; }
    if (t < 0) { dy -= t; t = 0; }
    if (r > sw) r = sw;
    if (b > sh) b = sh;
    if (dx < 0) { l -= dx; dx = 0; }
    if (dy < 0) { t -= dy; dy = 0; }
    if (dx + (r - l) > dw) r = l + (dw - dx);
    if (dy + (b - t) > dh) b = t + (dh - dy);
    if (r <= l || b <= t) return false;
    x = static_cast<i32>(dx);
    y = static_cast<i32>(dy);
    left = static_cast<i32>(l);
    top = static_cast<i32>(t);
    right = static_cast<i32>(r);
    bottom = static_cast<i32>(b);
    return true;
}
// clang-format on

// The device surfaces a surface or a texture can capture from.
enum class DeviceSurface { RenderTarget, BackBuffer };

// Copies (left, top, right, bottom) of `image` (width x height) to (x, y) of
// the render target, clipped to both. 1 when the copy was made; 0 when there
// is no device, nothing is left after clipping or the device refused.
i32 CopyToRenderTarget(platform::gfx::Direct3DSurface8* image, i32 width, i32 height, i32 x, i32 y, i32 left, i32 top,
                       i32 right, i32 bottom);

// Copies (left, top, right, bottom) of the render target or the back buffer to
// (x, y) of `image` (width x height), clipped to both. `backup`, when given, is
// a second image of the same size that takes the same copy once the first one
// is made (a texture's system-memory copy). 1 when the copy into `image` was
// made.
i32 CaptureFromDevice(DeviceSurface source, platform::gfx::Direct3DSurface8* image,
                      platform::gfx::Direct3DSurface8* backup, i32 width, i32 height, i32 x, i32 y, i32 left, i32 top,
                      i32 right, i32 bottom);
