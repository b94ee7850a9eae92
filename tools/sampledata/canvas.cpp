#include "tools/sampledata/canvas.h"

#include <algorithm>
#include <cmath>

#include "tools/sampledata/glyphs.h"

namespace {

u8 Clamp8(float v) { return static_cast<u8>(std::clamp(static_cast<int>(std::lround(v)), 0, 255)); }

float Length(float x, float y) { return std::sqrt(x * x + y * y); }

}  // namespace

Colour Rgb(int r, int g, int b, int a) {
    return {static_cast<u8>(std::clamp(r, 0, 255)), static_cast<u8>(std::clamp(g, 0, 255)),
            static_cast<u8>(std::clamp(b, 0, 255)), static_cast<u8>(std::clamp(a, 0, 255))};
}

Colour Scale(Colour c, float f) { return {Clamp8(c.r * f), Clamp8(c.g * f), Clamp8(c.b * f), c.a}; }

Colour Mix(Colour a, Colour b, float t) {
    t = std::clamp(t, 0.0f, 1.0f);
    return {Clamp8(a.r + (b.r - a.r) * t), Clamp8(a.g + (b.g - a.g) * t), Clamp8(a.b + (b.b - a.b) * t),
            Clamp8(a.a + (b.a - a.a) * t)};
}

Colour WithAlpha(Colour c, int a) {
    c.a = static_cast<u8>(std::clamp(a, 0, 255));
    return c;
}

Colour Hsv(float hue, float saturation, float value, int alpha) {
    hue = std::fmod(hue, 360.0f);
    if (hue < 0) hue += 360.0f;
    const float c = value * saturation;
    const float h = hue / 60.0f;
    const float x = c * (1.0f - std::fabs(std::fmod(h, 2.0f) - 1.0f));
    float r = 0, g = 0, b = 0;
    // clang-format off
    switch (static_cast<int>(h)) {
        case 0: r = c; g = x; break;
        case 1: r = x; g = c; break;
        case 2: g = c; b = x; break;
        case 3: g = x; b = c; break;
        case 4: r = x; b = c; break;
        default: r = c; b = x; break;
    }
    // clang-format on
    const float m = value - c;
    return {Clamp8((r + m) * 255), Clamp8((g + m) * 255), Clamp8((b + m) * 255),
            static_cast<u8>(std::clamp(alpha, 0, 255))};
}

Sdf Ellipse(float cx, float cy, float rx, float ry) {
    rx = std::max(rx, 0.5f);
    ry = std::max(ry, 0.5f);
    return [=](float x, float y) {
        const float px = (x - cx) / rx, py = (y - cy) / ry;
        const float k0 = Length(px, py);
        const float k1 = Length(px / rx, py / ry);
        if (k1 == 0.0f) return -std::min(rx, ry);
        return k0 * (k0 - 1.0f) / k1;
    };
}

Sdf Box(float left, float top, float right, float bottom, float radius) {
    const float cx = (left + right) / 2, cy = (top + bottom) / 2;
    const float hx = (right - left) / 2, hy = (bottom - top) / 2;
    radius = std::min({radius, hx, hy});
    return [=](float x, float y) {
        const float qx = std::fabs(x - cx) - hx + radius, qy = std::fabs(y - cy) - hy + radius;
        return Length(std::max(qx, 0.0f), std::max(qy, 0.0f)) + std::min(std::max(qx, qy), 0.0f) - radius;
    };
}

Sdf Polygon(std::vector<float> points) {
    return [p = std::move(points)](float x, float y) {
        const std::size_t n = p.size() / 2;
        if (n < 3) return 1e9f;
        float d = 1e9f;
        bool inside = false;
        for (std::size_t i = 0, j = n - 1; i < n; j = i++) {
            const float ax = p[2 * j], ay = p[2 * j + 1], bx = p[2 * i], by = p[2 * i + 1];
            const float ex = bx - ax, ey = by - ay, wx = x - ax, wy = y - ay;
            const float len2 = ex * ex + ey * ey;
            const float t = len2 > 0 ? std::clamp((wx * ex + wy * ey) / len2, 0.0f, 1.0f) : 0.0f;
            d = std::min(d, Length(wx - ex * t, wy - ey * t));
            if ((ay > y) != (by > y) && x < ax + (y - ay) * ex / ey) inside = !inside;
        }
        return inside ? -d : d;
    };
}

Sdf Capsule(float x0, float y0, float x1, float y1, float radius) {
    return [=](float x, float y) {
        const float ex = x1 - x0, ey = y1 - y0, wx = x - x0, wy = y - y0;
        const float len2 = ex * ex + ey * ey;
        const float t = len2 > 0 ? std::clamp((wx * ex + wy * ey) / len2, 0.0f, 1.0f) : 0.0f;
        return Length(wx - ex * t, wy - ey * t) - radius;
    };
}

Sdf Union(std::vector<Sdf> shapes) {
    return [s = std::move(shapes)](float x, float y) {
        float d = 1e9f;
        for (const Sdf& f : s) d = std::min(d, f(x, y));
        return d;
    };
}

Sdf Subtract(Sdf a, Sdf b) {
    return [a = std::move(a), b = std::move(b)](float x, float y) { return std::max(a(x, y), -b(x, y)); };
}

Sdf Star(float cx, float cy, float outer, float inner, int points, float turn) {
    std::vector<float> p;
    const int n = std::max(points, 2) * 2;
    for (int i = 0; i < n; ++i) {
        const float a = turn + static_cast<float>(i) * 3.14159265f * 2.0f / static_cast<float>(n) - 1.5707963f;
        const float r = i % 2 == 0 ? outer : inner;
        p.push_back(cx + r * std::cos(a));
        p.push_back(cy + r * std::sin(a));
    }
    return Polygon(std::move(p));
}

Canvas::Canvas(int width, int height)
    : width_(width), height_(height), clip_{0, 0, width, height}, pixels_(std::size_t(width) * height * 4, 0) {}

void Canvas::SetClip(int left, int top, int right, int bottom) {
    clip_ = {std::max(left, 0), std::max(top, 0), std::min(right, width_), std::min(bottom, height_)};
}

void Canvas::ClearClip() { clip_ = {0, 0, width_, height_}; }

void Canvas::Blend(int x, int y, Colour c, float coverage) {
    if (!Visible(x, y)) return;
    const float sa = c.a / 255.0f * std::clamp(coverage, 0.0f, 1.0f);
    if (sa <= 0.0f) return;
    u8* p = &pixels_[(std::size_t(y) * width_ + x) * 4];
    const float da = p[3] / 255.0f;
    const float oa = sa + da * (1.0f - sa);
    const auto channel = [&](u8 source, u8 destination) {
        return Clamp8((source * sa + destination * da * (1.0f - sa)) / oa);
    };
    p[0] = channel(c.b, p[0]);
    p[1] = channel(c.g, p[1]);
    p[2] = channel(c.r, p[2]);
    p[3] = Clamp8(oa * 255.0f);
}

void Canvas::Set(int x, int y, Colour c) {
    if (!Visible(x, y)) return;
    u8* p = &pixels_[(std::size_t(y) * width_ + x) * 4];
    p[0] = c.b;
    p[1] = c.g;
    p[2] = c.r;
    p[3] = c.a;
}

void Canvas::Fill(int left, int top, int right, int bottom, Colour c) {
    for (int y = std::max(top, clip_.top); y < std::min(bottom, clip_.bottom); ++y) {
        for (int x = std::max(left, clip_.left); x < std::min(right, clip_.right); ++x) {
            if (c.a == 255) Set(x, y, c);
            else Blend(x, y, c);
        }
    }
}

void Canvas::Outline(int left, int top, int right, int bottom, Colour c, int thickness) {
    for (int t = 0; t < thickness; ++t) {
        Fill(left + t, top + t, right + 1 - t, top + t + 1, c);
        Fill(left + t, bottom - t, right + 1 - t, bottom - t + 1, c);
        Fill(left + t, top + t + 1, left + t + 1, bottom - t, c);
        Fill(right - t, top + t + 1, right - t + 1, bottom - t, c);
    }
}

void Canvas::Shape(const Sdf& shape, float left, float top, float right, float bottom,
                   const std::function<Colour(float, float, float)>& paint) {
    const int x0 = std::max(static_cast<int>(std::floor(left)) - 1, clip_.left);
    const int y0 = std::max(static_cast<int>(std::floor(top)) - 1, clip_.top);
    const int x1 = std::min(static_cast<int>(std::ceil(right)) + 1, clip_.right);
    const int y1 = std::min(static_cast<int>(std::ceil(bottom)) + 1, clip_.bottom);
    // Blocks of 8 x 8 pixels whose centre lies far outside are skipped: the
    // distances only ever underestimate, so nothing inside is lost.
    constexpr int kBlock = 8;
    const float reach = kBlock * 0.75f * 1.5f + 2.0f;
    for (int by = y0; by < y1; by += kBlock) {
        for (int bx = x0; bx < x1; bx += kBlock) {
            if (shape(bx + kBlock * 0.5f, by + kBlock * 0.5f) > reach) continue;
            for (int y = by; y < std::min(by + kBlock, y1); ++y) {
                for (int x = bx; x < std::min(bx + kBlock, x1); ++x) {
                    const float px = x + 0.5f, py = y + 0.5f;
                    const float d = shape(px, py);
                    if (d >= 0.5f) continue;
                    Blend(x, y, paint(px, py, d), std::clamp(0.5f - d, 0.0f, 1.0f));
                }
            }
        }
    }
}

void Canvas::Shape(const Sdf& shape, float left, float top, float right, float bottom, Colour c) {
    Shape(shape, left, top, right, bottom, [c](float, float, float) { return c; });
}

void Canvas::Edge(const Sdf& shape, float left, float top, float right, float bottom, float thickness, Colour c) {
    Shape([&shape, thickness](float x, float y) { return std::fabs(shape(x, y) + thickness / 2) - thickness / 2; },
          left, top, right, bottom, c);
}

void Canvas::Text(int x, int y, const std::string& text, int sx, int sy, Colour top, Colour bottom, Colour edge,
                  int outline) {
    const int height = kGlyphHeight * sy;
    const auto lit = [&](int gx, int gy) {
        if (gy < 0 || gy >= kGlyphHeight || gx < 0) return false;
        const std::size_t i = static_cast<std::size_t>(gx / kGlyphAdvance);
        const int col = gx % kGlyphAdvance;
        if (i >= text.size() || col >= kGlyphWidth) return false;
        return ((GlyphRow(text[i], gy) >> (kGlyphWidth - 1 - col)) & 1) != 0;
    };
    const int w = TextCells(text) * sx;
    if (outline > 0) {
        for (int py = -outline; py < height + outline; ++py) {
            for (int px = -outline; px < w + outline; ++px) {
                bool near = false;
                for (int dy = -outline; dy <= outline && !near; ++dy) {
                    for (int dx = -outline; dx <= outline && !near; ++dx) {
                        const int qx = px + dx, qy = py + dy;
                        if (qx >= 0 && qy >= 0) near = lit(qx / sx, qy / sy);
                    }
                }
                if (near) Blend(x + px, y + py, edge);
            }
        }
    }
    for (int py = 0; py < height; ++py) {
        const Colour c = Mix(top, bottom, height > 1 ? static_cast<float>(py) / static_cast<float>(height - 1) : 0);
        for (int px = 0; px < w; ++px) {
            if (lit(px / sx, py / sy)) Blend(x + px, y + py, c);
        }
    }
}

u32 NameHash(const std::string& s) {
    u32 h = 2166136261u;
    for (unsigned char c : s) h = (h ^ c) * 16777619u;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return h;
}

float Unit(u32 hash, u32 salt) {
    u32 h = hash ^ (salt * 0x9E3779B9u);
    h ^= h >> 16;
    h *= 0x7feb352du;
    h ^= h >> 15;
    h *= 0x846ca68bu;
    h ^= h >> 16;
    return static_cast<float>(h & 0xFFFFFF) / static_cast<float>(0x1000000);
}
