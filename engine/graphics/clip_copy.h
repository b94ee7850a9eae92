#pragma once
// Clipping of the rectangle copies between surfaces, textures and the render
// target.
#include "engine/core/types.h"

// Clips a copy of (left, top, right, bottom) of a source of size sw x sh to
// (x, y) of a destination of size dw x dh: first to the source, then to the
// destination. False when nothing is left.
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
