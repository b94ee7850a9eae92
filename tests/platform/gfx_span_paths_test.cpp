// Every span routine of the rasterizer (portable C++, SSE2, AVX2, AVX-512) and every
// way of walking a primitive must give the same pixels, and the colours of
// the general pixel pipeline: a varied scene is drawn once per path and the
// frames compared pixel by pixel.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/gfx/raster.h"
#include "tests/platform/gfx_fixture.h"

using namespace gfx_test;
namespace raster = platform::gfx::raster;

namespace {

class SpanPathTest : public GfxTest, public ::testing::WithParamInterface<gfx::D3DFORMAT> {
protected:
    gfx::D3DFORMAT BackBufferFormat() const override { return GetParam(); }
    void TearDown() override {
        raster::UseSpanPath(raster::BestSpanPath());
        GfxTest::TearDown();
    }

    std::vector<std::uint8_t> Pixels() {
        gfx::Direct3DSurface8* f = Frame();
        const std::uint8_t* b = f->Bits();
        return std::vector<std::uint8_t>(b, b + static_cast<std::size_t>(f->Pitch()) * f->Height());
    }

    void Address(gfx::DWORD mode) {
        device_->SetTextureStageState(0, gfx::D3DTSS_ADDRESSU, mode);
        device_->SetTextureStageState(0, gfx::D3DTSS_ADDRESSV, mode);
    }

    // Every span routine this processor runs, the portable one first.
    static std::vector<raster::SpanPath> Paths() {
        std::vector<raster::SpanPath> paths = {raster::SpanPath::kPortable};
        if (raster::BestSpanPath() >= raster::SpanPath::kSse2) paths.push_back(raster::SpanPath::kSse2);
        if (raster::BestSpanPath() >= raster::SpanPath::kAvx2) paths.push_back(raster::SpanPath::kAvx2);
        if (raster::BestSpanPath() >= raster::SpanPath::kAvx512) paths.push_back(raster::SpanPath::kAvx512);
        return paths;
    }

    int BytesPerPixel() const { return GetParam() == gfx::D3DFMT_R5G6B5 ? 2 : 4; }

    // Two frames compared pixel by pixel, the first `compared` bytes of each.
    ::testing::AssertionResult SameFrames(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b,
                                          int compared) const {
        if (a.size() != b.size()) return ::testing::AssertionFailure() << "frames of different sizes";
        const int bpp = BytesPerPixel();
        std::size_t differing = 0, first = a.size();
        for (std::size_t i = 0; i < a.size(); i += static_cast<std::size_t>(bpp)) {
            if (std::memcmp(&a[i], &b[i], static_cast<std::size_t>(compared)) != 0) {
                if (first == a.size()) first = i;
                ++differing;
            }
        }
        if (differing == 0) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << differing << " pixels differ, the first at (" << (first / bpp) % 640
                                             << ", " << (first / bpp) / 640 << ")";
    }
    ::testing::AssertionResult SameFrames(const std::vector<std::uint8_t>& a,
                                          const std::vector<std::uint8_t>& b) const {
        return SameFrames(a, b, BytesPerPixel());
    }

    // The background every scene starts from: every channel varying, so
    // blending has something to show.
    void Background() {
        Clear(0xFF000000u);
        device_->SetRenderState(gfx::D3DRS_ALPHABLENDENABLE, 0);
        const std::uint32_t bg[4] = {0xFF103070u, 0x80F0A010u, 0x4020F0C0u, 0xFFC0C0C0u};
        GouraudSprite(nullptr, -0.5f, -0.5f, 640, 480, bg);
        device_->SetRenderState(gfx::D3DRS_ALPHABLENDENABLE, 1);
    }

    // The scenes' textures: the labelled pattern, one of an odd size with
    // varying alpha and blocks of alpha 0 (whose colours are not black: the
    // spans skip what they leave unchanged), and a 16-bit sheet.
    struct Textures {
        gfx::Direct3DTexture8* pattern;
        gfx::Direct3DTexture8* odd;
        gfx::Direct3DTexture8* sheet;
    };
    Textures SceneTextures() {
        Textures t;
        t.pattern = PatternTexture();
        t.odd = MakeTexture(48, 24, gfx::D3DFMT_A8R8G8B8, [](int x, int y) -> std::uint32_t {
            const std::uint32_t alpha =
                (x / 6 + y / 4) % 3 == 0 ? 0 : static_cast<std::uint32_t>((x * 37 + y * 11) & 0xFF);
            return alpha << 24 | static_cast<std::uint32_t>(x * 5) << 16 | static_cast<std::uint32_t>(y * 10) << 8 |
                   static_cast<std::uint32_t>((x ^ y) * 7 & 0xFF);
        });
        t.sheet = MakeTexture(256, 64, gfx::D3DFMT_A4R4G4B4, [](int x, int y) -> std::uint32_t {
            return static_cast<std::uint32_t>(((x ^ y) & 0xF) << 12 | (x & 0xF) << 8 | (y & 0xF) << 4 |
                                              ((x + y) & 0xF));
        });
        return t;
    }

    // Opaque, alpha, additive with alpha, additive, and two the general
    // pipeline blends.
    static constexpr gfx::DWORD kBlends[][2] = {
        {gfx::D3DBLEND_ONE, gfx::D3DBLEND_ZERO},       {gfx::D3DBLEND_SRCALPHA, gfx::D3DBLEND_INVSRCALPHA},
        {gfx::D3DBLEND_SRCALPHA, gfx::D3DBLEND_ONE},   {gfx::D3DBLEND_ONE, gfx::D3DBLEND_ONE},
        {gfx::D3DBLEND_DESTCOLOR, gfx::D3DBLEND_ZERO}, {gfx::D3DBLEND_ZERO, gfx::D3DBLEND_INVSRCCOLOR}};

    // A fan of four corners with a colour each.
    void GouraudSprite(gfx::Direct3DTexture8* tex, float x, float y, float w, float h, const std::uint32_t c[4]) {
        SpriteVertex v[4] = {{x, y, 0, 1, c[0], 0.02f, 0.03f},
                             {x + w, y, 0, 1, c[1], 0.97f, 0.03f},
                             {x + w, y + h, 0, 1, c[2], 0.97f, 0.96f},
                             {x, y + h, 0, 1, c[3], 0.02f, 0.96f}};
        device_->SetTexture(0, tex);
        device_->SetVertexShader(0x144);
        ASSERT_EQ(device_->DrawPrimitiveUP(gfx::D3DPT_TRIANGLEFAN, 2, v, sizeof(SpriteVertex)), gfx::D3D_OK);
    }

    void DrawScene() {
        GameStates();
        Address(gfx::D3DTADDRESS_WRAP);
        Background();

        const Textures tx = SceneTextures();
        gfx::Direct3DTexture8* pattern = tx.pattern;
        gfx::Direct3DTexture8* wide = MakeTexture(2048, 4, gfx::D3DFMT_A8R8G8B8, [](int x, int y) -> std::uint32_t {
            return 0x80000000u | static_cast<std::uint32_t>(x & 0xFF) << 16 | static_cast<std::uint32_t>(y * 60) << 8 |
                   static_cast<std::uint32_t>((x >> 3) & 0xFF);
        });
        gfx::Direct3DTexture8* textures[] = {pattern, tx.odd, tx.sheet};

        const std::uint32_t colours[] = {0xFFFFFFFFu, 0x80FFFFFFu, 0xFF80C040u, 0x60FF2080u};
        const gfx::DWORD filters[] = {gfx::D3DTEXF_POINT, gfx::D3DTEXF_LINEAR};
        const gfx::DWORD addresses[] = {gfx::D3DTADDRESS_WRAP, gfx::D3DTADDRESS_CLAMP};
        int k = 0;
        for (const auto& b : kBlends) {
            Blend(b[0], b[1]);
            for (gfx::DWORD f : filters) {
                Filter(f);
                for (gfx::DWORD a : addresses) {
                    Address(a);
                    for (std::uint32_t c : colours) {
                        ++k;
                        int x = (k * 97) % 700 - 40, y = (k * 61) % 520 - 30;
                        gfx::Direct3DTexture8* t = textures[k % 3];
                        int size = 1 + k % 41;
                        // Axis-aligned, texel-exact and scaled, every span length up to 41.
                        Sprite(t, {x, y, x + size, y + size}, {0, 0, size, size}, c);
                        Sprite(t, {x + 5, y + 40, x + 37, y + 72}, {3, 2, 30, 22}, c);
                        // Mirrored, flipped, and reading outside the texture (wrap / clamp).
                        Sprite(t, {x + 80, y, x + 50, y + 20}, {0, 0, 32, 32}, c);
                        Sprite(t, {x + 90, y + 30, x + 130, y + 5}, {-20, -10, 60, 40}, c);
                        // Rotated, from a sliver to a large one.
                        Sprite(t, {x + 20, y + 80, x + 36, y + 96}, {(k % 8) * 16, 0, (k % 8) * 16 + 16, 16}, c,
                               k * 0.37);
                        Sprite(t, {x, y + 100, x + 3 + k % 7, y + 150}, {0, 0, 32, 32}, c, k * -0.21);
                        Sprite(t, {x + 40, y + 100, x + 140, y + 170}, {0, 0, 32, 32}, c, 0.05 + k * 0.11);
                        const std::uint32_t g[4] = {c, 0xFF00FF80u ^ (c & 0xFFu), 0x40FFFFFFu, 0xFF102030u + k};
                        GouraudSprite(k % 2 ? t : nullptr, x + 150.25f, y + 10.6f, 23.5f + k % 9, 17.25f, g);
                        Quad(x + 0.3f, y + 180.7f, x + 60.9f, y + 190.2f, c);
                    }
                }
            }
        }
        // Minified, wider than any column cache, and huge and off screen.
        Filter(gfx::D3DTEXF_LINEAR);
        Blend(gfx::D3DBLEND_SRCALPHA, gfx::D3DBLEND_INVSRCALPHA);
        Sprite(wide, {10, 300, 630, 310}, {0, 0, 2048, 4}, 0xFFFFFFFFu);
        Sprite(wide, {10, 320, 330, 330}, {0, 0, 2048, 4}, 0xC0FFFFFFu);
        Sprite(pattern, {-500, -300, 1300, 1500}, {0, 0, 32, 32}, 0x80FFFFFFu, 0.3);
        Sprite(pattern, {-200, 200, 900, 1600}, {0, 0, 32, 32}, 0x80FFFFFFu);
    }

    std::vector<std::uint8_t> Render(raster::SpanPath path) {
        EXPECT_TRUE(raster::UseSpanPath(path));
        DrawScene();
        return Pixels();
    }
};

TEST_P(SpanPathTest, EveryPathGivesTheSamePixels) {
    const std::vector<raster::SpanPath> paths = Paths();
    std::vector<std::uint8_t> reference = Render(paths[0]);
    // The scene draws something worth comparing.
    std::size_t distinct = 0;
    for (std::size_t i = 4; i < reference.size(); i += 4)
        distinct += std::memcmp(&reference[i], &reference[i - 4], 2) != 0;
    EXPECT_GT(distinct, reference.size() / 16);
    for (std::size_t p = 1; p < paths.size(); ++p) {
        EXPECT_TRUE(SameFrames(Render(paths[p]), reference)) << "path " << static_cast<int>(paths[p]);
    }
}

// Screen-aligned quads drawn as one rectangle against the same quads drawn as
// two triangles, on every span path: corners on and off the pixel grid and on
// pixel centres, every corner order and winding, mirrored and flipped, 1 to 41
// pixels, partly and wholly off screen, texel-exact, scaled and wrapping
// texture coordinates, flat and Gouraud colours, every blend, point and
// linear filtering, wrap and clamp.
class RectanglePathTest : public SpanPathTest {
protected:
    void TearDown() override {
        raster::UseRectanglePath(true);
        SpanPathTest::TearDown();
    }

    // Corners (x0, y0), (x1, y1) with texture coordinates (u0, v0), (u1, v1),
    // drawn as a fan starting at corner `first` (0 top-left, then clockwise
    // when x1 > x0 and y1 > y0), going round the other way when `reverse`.
    void Fan(gfx::Direct3DTexture8* tex, float x0, float y0, float x1, float y1, float u0, float v0, float u1, float v1,
             const std::uint32_t c[4], int first, bool reverse) {
        SpriteVertex corner[4] = {{x0, y0, 0, 1, c[0], u0, v0},
                                  {x1, y0, 0, 1, c[1], u1, v0},
                                  {x1, y1, 0, 1, c[2], u1, v1},
                                  {x0, y1, 0, 1, c[3], u0, v1}};
        SpriteVertex v[4];
        for (int i = 0; i < 4; ++i) v[i] = corner[(first + (reverse ? 4 - i : i)) % 4];
        device_->SetTexture(0, tex);
        device_->SetVertexShader(0x144);
        ASSERT_EQ(device_->DrawPrimitiveUP(gfx::D3DPT_TRIANGLEFAN, 2, v, sizeof(SpriteVertex)), gfx::D3D_OK);
    }

    void DrawRectangles() {
        GameStates();
        Background();
        const Textures tx = SceneTextures();
        gfx::Direct3DTexture8* pattern = tx.pattern;
        gfx::Direct3DTexture8* textures[] = {pattern, tx.odd, tx.sheet, nullptr};
        const gfx::DWORD filters[] = {gfx::D3DTEXF_POINT, gfx::D3DTEXF_LINEAR};
        const gfx::DWORD addresses[] = {gfx::D3DTADDRESS_WRAP, gfx::D3DTADDRESS_CLAMP};
        // Corner offsets from the pixel grid: edges - 0.5 as the texture draw
        // places them, pixel centres, and fractions between.
        const float offsets[] = {-0.5f, 0.0f, 0.25f, -0.75f, 0.3f, 0.5f};
        const std::uint32_t flats[] = {0xFFFFFFFFu, 0x80FFFFFFu, 0xFF80C040u, 0x60FF2080u};
        int k = 0;
        for (const auto& b : kBlends) {
            Blend(b[0], b[1]);
            for (gfx::DWORD f : filters) {
                Filter(f);
                for (gfx::DWORD a : addresses) {
                    Address(a);
                    for (int i = 0; i < 24; ++i) {
                        ++k;
                        gfx::Direct3DTexture8* t = textures[k % 4];
                        float tw = 32, th = 32;
                        if (t) {
                            gfx::D3DSURFACE_DESC desc;
                            t->GetLevelDesc(0, &desc);
                            tw = static_cast<float>(desc.Width);
                            th = static_cast<float>(desc.Height);
                        }
                        int w = 1 + (k * 7) % 41, h = 1 + (k * 13) % 41;
                        float ox = offsets[k % 6], oy = offsets[(k / 6) % 6];
                        float x0 = static_cast<float>((k * 97) % 720 - 60) + ox;
                        float y0 = static_cast<float>((k * 61) % 560 - 50) + oy;
                        float x1 = x0 + static_cast<float>(w), y1 = y0 + static_cast<float>(h);
                        if (k % 5 == 1) std::swap(x0, x1);  // mirrored
                        if (k % 7 == 2) std::swap(y0, y1);  // flipped
                        // Texture coordinates: texel-exact, inset by half a
                        // texel, scaled up and down, and reaching outside.
                        float sx = static_cast<float>((k * 5) % 24), sy = static_cast<float>((k * 3) % 16);
                        float u0 = sx / tw, v0 = sy / th, u1 = (sx + w) / tw, v1 = (sy + h) / th;
                        switch (k % 5) {
                            // clang-format off
                            case 1: u0 = (sx + 0.5f) / tw; u1 = (sx + w - 0.5f) / tw;
                                    v0 = (sy + 0.5f) / th; v1 = (sy + h - 0.5f) / th; break;
                            case 2: u1 = (sx + 2 * w) / tw; v1 = (sy + h / 2.0f) / th; break;
                            case 3: u0 = -1.25f; u1 = 2.5f; v0 = -0.5f; v1 = 1.75f; break;
                            // clang-format on
                            case 4: u1 = (sx + w * 0.37f) / tw; break;
                            default: break;
                        }
                        std::uint32_t flat = flats[k % 4];
                        std::uint32_t c[4] = {flat, flat, flat, flat};
                        if (k % 3 == 0) {
                            // Gouraud: a gradient of whole steps per pixel, and an uneven one.
                            c[1] = flat - static_cast<std::uint32_t>(w) * 0x00010101u;
                            c[2] = c[1] - static_cast<std::uint32_t>(h) * 0x01000000u;
                            c[3] = flat - static_cast<std::uint32_t>(h) * 0x01000000u;
                            if (k % 2) c[2] ^= 0x00330000u;
                        }
                        Fan(t, x0, y0, x1, y1, u0, v0, u1, v1, c, k % 4, (k / 4) % 2 == 1);
                    }
                }
            }
        }
        // Large, huge and off screen on every side; minified, wider than any
        // column cache.
        Blend(gfx::D3DBLEND_SRCALPHA, gfx::D3DBLEND_INVSRCALPHA);
        Filter(gfx::D3DTEXF_LINEAR);
        Address(gfx::D3DTADDRESS_WRAP);
        const std::uint32_t w4[4] = {0x80FFFFFFu, 0x80FFFFFFu, 0x80FFFFFFu, 0x80FFFFFFu};
        gfx::Direct3DTexture8* wide = MakeTexture(2048, 4, gfx::D3DFMT_A8R8G8B8, [](int x, int y) -> std::uint32_t {
            return 0x80000000u | static_cast<std::uint32_t>(x & 0xFF) << 16 | static_cast<std::uint32_t>(y * 60) << 8 |
                   static_cast<std::uint32_t>((x >> 3) & 0xFF);
        });
        Fan(wide, 63.5f, 200.5f, 575.5f, 208.5f, 2.0f / 2048, 0.375f, 1 - 4.0f / 2048, 0.375f, w4, 0, false);
        Fan(wide, 63.5f, 220.5f, 319.5f, 228.5f, 2.0f / 2048, 0.375f, 0.5f, 0.375f, w4, 0, false);
        Fan(pattern, -300.5f, -200.5f, 900.5f, 700.5f, 0, 0, 37.5f, 28.125f, w4, 0, false);
        Fan(pattern, -9000.0f, 100.0f, 9000.0f, 120.0f, 0, 0, 1, 1, w4, 1, false);
        Fan(pattern, 630.5f, 470.5f, 700.5f, 500.5f, 0, 0, 2, 1, w4, 2, true);
        Fan(pattern, -40.5f, -30.5f, 0.5f, 0.5f, 0, 0, 1, 1, w4, 3, false);
        Fan(pattern, 700.5f, 20.5f, 740.5f, 60.5f, 0, 0, 1, 1, w4, 0, false);
    }

    std::vector<std::uint8_t> RenderRectangles(bool rectangles) {
        raster::UseRectanglePath(rectangles);
        DrawRectangles();
        return Pixels();
    }
};

TEST_P(RectanglePathTest, RectanglesGiveTheirTrianglesPixels) {
    for (raster::SpanPath path : Paths()) {
        ASSERT_TRUE(raster::UseSpanPath(path));
        std::vector<std::uint8_t> triangles = RenderRectangles(false);
        std::uint64_t before = raster::RectanglesDrawn();
        std::vector<std::uint8_t> rectangles = RenderRectangles(true);
        // 32-bit targets take the rectangle path for most of the quads.
        if (BytesPerPixel() == 4) {
            EXPECT_GT(raster::RectanglesDrawn() - before, 200u);
        }
        EXPECT_TRUE(SameFrames(rectangles, triangles)) << "path " << static_cast<int>(path);
    }
}

INSTANTIATE_TEST_SUITE_P(Targets, RectanglePathTest,
                         ::testing::Values(gfx::D3DFMT_X8R8G8B8, gfx::D3DFMT_A8R8G8B8, gfx::D3DFMT_R5G6B5));

INSTANTIATE_TEST_SUITE_P(Targets, SpanPathTest,
                         ::testing::Values(gfx::D3DFMT_X8R8G8B8, gfx::D3DFMT_A8R8G8B8, gfx::D3DFMT_R5G6B5));

// Wrapped textures read far past their edges, drawn in pieces that read one
// copy of the texture directly against the same spans sampled pixel by pixel,
// on every span path: textures of power-of-two and other sizes (and one and
// two texels wide), magnified, at one texel a pixel and minified down to the
// point where pieces stop, turned by a quarter, a little and a lot, mirrored,
// at coordinates from far below zero to far above one, point and linear
// filtering, flat and Gouraud colours, every blend. Triangles and quads.
class WrapPiecesTest : public RectanglePathTest {
protected:
    void TearDown() override {
        raster::UseWrapPieces(true);
        RectanglePathTest::TearDown();
    }

    // A quad centred at (cx, cy), `w` x `h` pixels, turned by `angle`, whose
    // texture coordinates start at (u0, v0) and run `su` and `sv` texture
    // widths across it; drawn as two triangles from a strip (never a
    // rectangle) or as a fan.
    void Layer(gfx::Direct3DTexture8* tex, float cx, float cy, float w, float h, double angle, float u0, float v0,
               float su, float sv, const std::uint32_t c[4], bool strip) {
        const float corner[4][2] = {{-0.5f, -0.5f}, {0.5f, -0.5f}, {0.5f, 0.5f}, {-0.5f, 0.5f}};
        const float uv[4][2] = {{u0, v0}, {u0 + su, v0}, {u0 + su, v0 + sv}, {u0, v0 + sv}};
        const float cs = static_cast<float>(std::cos(angle)), sn = static_cast<float>(std::sin(angle));
        SpriteVertex q[4];
        for (int i = 0; i < 4; ++i) {
            const float x = corner[i][0] * w, y = corner[i][1] * h;
            q[i] = {cx + cs * x - sn * y, cy + sn * x + cs * y, 0, 1, c[i], uv[i][0], uv[i][1]};
        }
        device_->SetTexture(0, tex);
        device_->SetVertexShader(0x144);
        if (strip) {
            const SpriteVertex s[4] = {q[0], q[1], q[3], q[2]};
            ASSERT_EQ(device_->DrawPrimitiveUP(gfx::D3DPT_TRIANGLESTRIP, 2, s, sizeof(SpriteVertex)), gfx::D3D_OK);
        } else {
            ASSERT_EQ(device_->DrawPrimitiveUP(gfx::D3DPT_TRIANGLEFAN, 2, q, sizeof(SpriteVertex)), gfx::D3D_OK);
        }
    }

    void DrawWrapped() {
        GameStates();
        Address(gfx::D3DTADDRESS_WRAP);
        Background();
        const Textures tx = SceneTextures();
        gfx::Direct3DTexture8* textures[] = {
            tx.pattern,
            tx.odd,
            tx.sheet,
            MakeTexture(7, 5, gfx::D3DFMT_A8R8G8B8,
                        [](int x, int y) -> std::uint32_t {
                            return 0x90000000u | static_cast<std::uint32_t>(x * 36) << 16 |
                                   static_cast<std::uint32_t>(y * 60) << 8;
                        }),
            MakeTexture(1, 2, gfx::D3DFMT_A8R8G8B8,
                        [](int, int y) -> std::uint32_t { return y ? 0xFF20E040u : 0x80E02040u; }),
            MakeTexture(2, 1, gfx::D3DFMT_A8R8G8B8,
                        [](int x, int) -> std::uint32_t { return x ? 0xFF4080FFu : 0xC0FF8040u; }),
        };
        const gfx::DWORD filters[] = {gfx::D3DTEXF_POINT, gfx::D3DTEXF_LINEAR};
        const std::uint32_t flats[] = {0xFFFFFFFFu, 0x80FFFFFFu, 0xFF80C040u, 0x60FF2080u};
        // Texture copies across the quad, from magnified to minified.
        const float repeats[] = {0.3f, 1.7f, 2.5f, 6.0f, 0.9f, 11.0f};
        const double angles[] = {0.0, 1.5707963267948966, -1.5707963267948966, 0.013, 0.7, 3.14159265358979, 2.2};
        const float origins[] = {0.0f, -3.37f, 12.5f, -1000.3f, 0.999f, 517.25f};
        int k = 0;
        for (const auto& b : kBlends) {
            Blend(b[0], b[1]);
            for (gfx::DWORD f : filters) {
                Filter(f);
                for (int i = 0; i < 12; ++i) {
                    ++k;
                    gfx::Direct3DTexture8* t = textures[k % 6];
                    const float w = static_cast<float>(20 + (k * 53) % 300);
                    const float h = static_cast<float>(10 + (k * 29) % 200);
                    const float cx = static_cast<float>((k * 97) % 700) - 30.0f + 0.37f * (k % 3);
                    const float cy = static_cast<float>((k * 61) % 520) - 20.0f - 0.61f * (k % 2);
                    const float su = repeats[k % 6] * (k % 4 == 1 ? -1.0f : 1.0f), sv = repeats[(k / 6) % 6];
                    const float u0 = origins[k % 6], v0 = origins[(k / 2) % 6];
                    std::uint32_t flat = flats[k % 4];
                    std::uint32_t c[4] = {flat, flat, flat, flat};
                    if (k % 3 == 0) {
                        c[1] = flat - 0x00300810u;
                        c[2] = c[1] - 0x20000000u;
                        c[3] = flat ^ 0x00330000u;
                    }
                    Layer(t, cx, cy, w, h, angles[k % 7], u0, v0, su, sv, c, k % 2 == 0);
                }
            }
        }
        // The stage's background: screen-high layers turned a quarter,
        // scrolled, at about one texel a pixel.
        Blend(gfx::D3DBLEND_SRCALPHA, gfx::D3DBLEND_INVSRCALPHA);
        Filter(gfx::D3DTEXF_LINEAR);
        const std::uint32_t white[4] = {0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu};
        Layer(textures[0], 320.0f, 240.0f, 480.0f, 400.0f, 1.5707963267948966, 0.37f, 2.3f, 480.0f / 32 * 0.998f,
              400.0f / 32 * 0.9956f, white, true);
        Layer(textures[1], 320.0f, 240.0f, 480.0f, 400.0f, -1.5706, -7.1f, 0.52f, 9.8f, 16.5f, white, true);
    }

    std::vector<std::uint8_t> RenderWrapped(bool pieces) {
        raster::UseWrapPieces(pieces);
        DrawWrapped();
        return Pixels();
    }
};

TEST_P(WrapPiecesTest, PiecesGiveThePixelsOfSamplingEachPixel) {
    for (raster::SpanPath path : Paths()) {
        ASSERT_TRUE(raster::UseSpanPath(path));
        std::vector<std::uint8_t> sampled = RenderWrapped(false);
        std::uint64_t before = raster::WrapPiecesDrawn();
        std::vector<std::uint8_t> pieces = RenderWrapped(true);
        // 32-bit targets draw many pieces.
        if (BytesPerPixel() == 4) {
            EXPECT_GT(raster::WrapPiecesDrawn() - before, 5000u);
        }
        EXPECT_TRUE(SameFrames(pieces, sampled)) << "path " << static_cast<int>(path);
    }
}

INSTANTIATE_TEST_SUITE_P(Targets, WrapPiecesTest,
                         ::testing::Values(gfx::D3DFMT_X8R8G8B8, gfx::D3DFMT_A8R8G8B8, gfx::D3DFMT_R5G6B5));

// The fast paths (span routines, rectangles, wrapped pieces) against the
// general pixel pipeline, which an alpha test that passes every pixel forces:
// every scene above gives the same colours. (The unused byte of X8R8G8B8 is
// left out: the general pipeline writes it as it blends, the spans as they go.)
class GeneralPipelineTest : public WrapPiecesTest {};

TEST_P(GeneralPipelineTest, FastPathsGiveTheGeneralPipelinesColours) {
    const int compared = GetParam() == gfx::D3DFMT_X8R8G8B8 ? 3 : 4;
    for (int scene = 0; scene < 3; ++scene) {
        std::vector<std::uint8_t> frames[2];
        for (int general = 0; general < 2; ++general) {
            device_->SetRenderState(gfx::D3DRS_ALPHATESTENABLE, general);
            device_->SetRenderState(gfx::D3DRS_ALPHAFUNC, gfx::D3DCMP_ALWAYS);
            if (scene == 0) DrawScene();
            if (scene == 1) DrawRectangles();
            if (scene == 2) DrawWrapped();
            frames[general] = Pixels();
        }
        EXPECT_TRUE(SameFrames(frames[0], frames[1], compared)) << "scene " << scene;
    }
}

INSTANTIATE_TEST_SUITE_P(Targets, GeneralPipelineTest, ::testing::Values(gfx::D3DFMT_X8R8G8B8, gfx::D3DFMT_A8R8G8B8));

TEST(SpanPaths, UnavailablePathsAreRefused) {
    raster::SpanPath best = raster::BestSpanPath();
    EXPECT_TRUE(raster::UseSpanPath(raster::SpanPath::kPortable));
    EXPECT_EQ(raster::UseSpanPath(raster::SpanPath::kAvx2), best >= raster::SpanPath::kAvx2);
    EXPECT_EQ(raster::UseSpanPath(raster::SpanPath::kAvx512), best == raster::SpanPath::kAvx512);
    EXPECT_TRUE(raster::UseSpanPath(best));
}

}  // namespace
