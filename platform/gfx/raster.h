#pragma once
// The device's rasterizer: screen-space triangles, lines and points with the
// Direct3D 8 rules (pixel centres at integer coordinates, top-left fill rule
// with 1/256 pixel precision, last pixel of a line left out), texture stages,
// alpha test, depth test and blending. Deterministic: integer colour maths,
// fixed-point interpolation steps, no dependence on the host's rounding mode.
#include <climits>
#include <cstdint>

#include "platform/gfx/types.h"

namespace platform::gfx::raster {

// One vertex after vertex processing: screen position, z in 0..1, 1/w (1 for
// pre-transformed vertices), colour channels 0..255 and texture coordinates.
struct Vertex {
    float x = 0, y = 0, z = 0, rhw = 1;
    float r = 255, g = 255, b = 255, a = 255;
    float uv[4][2] = {};
};

struct TextureView {
    const std::uint32_t* argb = nullptr;  // A8R8G8B8, `width` per row
    int width = 0;
    int height = 0;
};

struct Stage {
    DWORD colorOp = D3DTOP_DISABLE, colorArg1 = D3DTA_TEXTURE, colorArg2 = D3DTA_CURRENT;
    DWORD alphaOp = D3DTOP_DISABLE, alphaArg1 = D3DTA_TEXTURE, alphaArg2 = D3DTA_CURRENT;
    DWORD texCoordIndex = 0;
    DWORD addressU = D3DTADDRESS_WRAP, addressV = D3DTADDRESS_WRAP;
    DWORD borderColor = 0;
    DWORD magFilter = D3DTEXF_POINT, minFilter = D3DTEXF_POINT;
    TextureView texture;  // argb null: no texture bound (reads as white)
};

struct Target {
    std::uint8_t* bits = nullptr;
    std::int32_t pitch = 0;
    D3DFORMAT format = D3DFMT_X8R8G8B8;
    int width = 0, height = 0;
};

struct DepthTarget {
    std::uint16_t* bits = nullptr;  // null: no depth buffer
    std::int32_t pitch = 0;         // in bytes
    int width = 0, height = 0;
};

struct State {
    Target target;
    DepthTarget depth;
    // Scissor from the viewport: pixels x0 <= x < x1, y0 <= y < y1.
    int clipX0 = 0, clipY0 = 0, clipX1 = 0, clipY1 = 0;
    DWORD cullMode = D3DCULL_CCW;
    DWORD fillMode = D3DFILL_SOLID;
    DWORD shadeMode = D3DSHADE_GOURAUD;
    bool zEnable = false, zWrite = true;
    DWORD zFunc = D3DCMP_LESSEQUAL;
    bool alphaTest = false;
    DWORD alphaRef = 0, alphaFunc = D3DCMP_ALWAYS;
    bool blend = false;
    DWORD srcBlend = D3DBLEND_ONE, destBlend = D3DBLEND_ZERO, blendOp = D3DBLENDOP_ADD;
    DWORD colorWriteMask = 0xF;
    DWORD textureFactor = 0xFFFFFFFF;
    bool lastPixel = true;
    Stage stages[4];
};

// Prepared once per draw call from a State; holds the chosen pixel paths.
class Rasterizer {
public:
    // Draws only rows firstRow <= y < endRow of the scissor (a band of the
    // target drawn on its own); each pixel gets exactly the value it gets
    // when the whole primitive is drawn at once.
    explicit Rasterizer(const State& state, int firstRow = INT_MIN, int endRow = INT_MAX);
    ~Rasterizer();
    Rasterizer(const Rasterizer&) = delete;
    Rasterizer& operator=(const Rasterizer&) = delete;
    // `perspective`: interpolate perspective-correctly (transformed vertices).
    void Triangle(const Vertex& v0, const Vertex& v1, const Vertex& v2, bool perspective);
    // The triangles (v0, v1, v2) and (v0, v2, v3), as a fan of four draws
    // them; the same pixels as two Triangle calls.
    void Quad(const Vertex& v0, const Vertex& v1, const Vertex& v2, const Vertex& v3, bool perspective);
    void Line(const Vertex& v0, const Vertex& v1, bool perspective);
    void Point(const Vertex& v);
    const State& state() const { return s_; }

    struct Impl;

private:
    void FillTriangle(const Vertex* v[3], bool perspective);
    bool Rectangle(const Vertex& v0, const Vertex& v1, const Vertex& v2, const Vertex& v3);
    const State& s_;
    int rowY0_, rowY1_;   // the scissor's rows within the band
    int stageCount_ = 0;  // stages before the first disabled one
    int fastPath_ = -1;   // index of the specialised span routine, -1 = generic
    // Counted here and added to RectanglesDrawn / WrapPiecesDrawn at the end.
    std::uint64_t rectanglesDrawn_ = 0, piecesDrawn_ = 0;
};

// The span routines the rasterizer uses. Every path gives the same pixels;
// the fastest one the processor runs is chosen at start. Tests switch paths
// to compare them. kAvx512 draws the bilinear span a row at a time with
// AVX-512 and everything else as kAvx2.
enum class SpanPath { kPortable, kSse2, kAvx2, kAvx512 };
SpanPath BestSpanPath();
// Uses `path` from now on (every thread); false, and no change, when the
// processor or the build lacks it.
bool UseSpanPath(SpanPath path);

// Whether a fan of two triangles that forms a screen-aligned rectangle is
// drawn as one rectangle (the default; the same pixels either way). Tests
// switch it off to compare. RectanglesDrawn counts the rectangles drawn so.
void UseRectanglePath(bool on);
std::uint64_t RectanglesDrawn();

// Whether a span that reads a wrapped texture past its edges is drawn in
// pieces that read one copy of the texture directly (the default; the same
// pixels as sampling it pixel by pixel). Tests switch it off to compare.
// WrapPiecesDrawn counts the pieces drawn so.
void UseWrapPieces(bool on);
std::uint64_t WrapPiecesDrawn();

// Colour conversions shared with the device (clears, frame capture).
std::uint32_t ToArgb(const std::uint8_t* pixel, D3DFORMAT format);
void FromArgb(std::uint32_t argb, std::uint8_t* pixel, D3DFORMAT format);
int BytesPerPixel(D3DFORMAT format);
bool IsColourFormat(D3DFORMAT format);

}  // namespace platform::gfx::raster
