#pragma once
// A small painter for the sample pictures: straight-alpha BGRA pixels, shapes
// given as signed distances (negative inside, in pixels) drawn with one
// pixel of smoothing, and text in the built-in bitmap font (glyphs.h). All
// drawing is clipped to a rectangle, so a cell never paints over its
// neighbours. Everything is plain arithmetic: the same call gives the same
// pixels on every run.
#include <functional>
#include <string>
#include <vector>

#include "engine/core/types.h"

struct Colour {
    u8 r = 0, g = 0, b = 0, a = 255;
};

Colour Rgb(int r, int g, int b, int a = 255);
// `c` with every channel times `f` (alpha kept), clamped.
Colour Scale(Colour c, float f);
// The mix of a and b, t = 0 gives a.
Colour Mix(Colour a, Colour b, float t);
Colour WithAlpha(Colour c, int a);
// A colour from hue (degrees), saturation and value (0..1).
Colour Hsv(float hue, float saturation, float value, int alpha = 255);

// Signed distance of a point to a shape; negative inside.
using Sdf = std::function<float(float x, float y)>;

Sdf Ellipse(float cx, float cy, float rx, float ry);
Sdf Box(float left, float top, float right, float bottom, float radius = 0.0f);
// A closed polygon of x, y pairs.
Sdf Polygon(std::vector<float> points);
// A thick segment with round ends.
Sdf Capsule(float x0, float y0, float x1, float y1, float radius);
Sdf Union(std::vector<Sdf> shapes);
// The part of `a` outside `b`.
Sdf Subtract(Sdf a, Sdf b);
// A star with `points` points between the radii.
Sdf Star(float cx, float cy, float outer, float inner, int points, float turn = 0.0f);

struct Clip {
    int left = 0, top = 0, right = 0, bottom = 0;  // right and bottom exclusive
};

class Canvas {
public:
    Canvas(int width, int height);

    int width() const { return width_; }
    int height() const { return height_; }
    const std::vector<u8>& pixels() const { return pixels_; }

    // Limits every later draw to the rectangle (within the canvas).
    void SetClip(int left, int top, int right, int bottom);
    void ClearClip();

    // `c` over the pixel with coverage 0..1.
    void Blend(int x, int y, Colour c, float coverage = 1.0f);
    // Replaces the pixel (alpha too).
    void Set(int x, int y, Colour c);
    void Fill(int left, int top, int right, int bottom, Colour c);                        // right and bottom exclusive
    void Outline(int left, int top, int right, int bottom, Colour c, int thickness = 1);  // inclusive edges

    // The inside of `shape`, coloured by `paint` (x, y, distance), within the bounds.
    void Shape(const Sdf& shape, float left, float top, float right, float bottom,
               const std::function<Colour(float x, float y, float d)>& paint);
    void Shape(const Sdf& shape, float left, float top, float right, float bottom, Colour c);
    // The band within `thickness` pixels inside the edge of `shape`.
    void Edge(const Sdf& shape, float left, float top, float right, float bottom, float thickness, Colour c);

    // Text in the bitmap font: glyph pixels `sx` by `sy` canvas pixels,
    // `fill` from top to bottom between `top` and `bottom` colours, with an
    // outline of `outline` pixels (0 for none).
    void Text(int x, int y, const std::string& text, int sx, int sy, Colour top, Colour bottom, Colour edge,
              int outline);

private:
    bool Visible(int x, int y) const {
        return x >= clip_.left && x < clip_.right && y >= clip_.top && y < clip_.bottom;
    }
    int width_;
    int height_;
    Clip clip_;
    std::vector<u8> pixels_;
};

// A whole number from a name: the same name always gives the same number.
u32 NameHash(const std::string& s);
// A value 0..1 from a hash and a salt.
float Unit(u32 hash, u32 salt);
