// Every span routine of the rasterizer (portable C++, SSE2, AVX2) and every
// way of walking a primitive must give the same pixels: a varied scene is
// drawn once per path and the frames compared pixel by pixel.
#include <gtest/gtest.h>

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
        // A background with every channel varying, so blending has something to show.
        Clear(0xFF000000u);
        device_->SetRenderState(gfx::D3DRS_ALPHABLENDENABLE, 0);
        const std::uint32_t bg[4] = {0xFF103070u, 0x80F0A010u, 0x4020F0C0u, 0xFFC0C0C0u};
        GouraudSprite(nullptr, -0.5f, -0.5f, 640, 480, bg);
        device_->SetRenderState(gfx::D3DRS_ALPHABLENDENABLE, 1);

        gfx::Direct3DTexture8* pattern = PatternTexture();
        gfx::Direct3DTexture8* odd = MakeTexture(48, 24, gfx::D3DFMT_A8R8G8B8, [](int x, int y) -> std::uint32_t {
            return static_cast<std::uint32_t>((x * 37 + y * 11) & 0xFF) << 24 | static_cast<std::uint32_t>(x * 5) << 16 |
                   static_cast<std::uint32_t>(y * 10) << 8 | static_cast<std::uint32_t>((x ^ y) * 7 & 0xFF);
        });
        gfx::Direct3DTexture8* sheet = MakeTexture(256, 64, gfx::D3DFMT_A4R4G4B4, [](int x, int y) -> std::uint32_t {
            return static_cast<std::uint32_t>(((x ^ y) & 0xF) << 12 | (x & 0xF) << 8 | (y & 0xF) << 4 | ((x + y) & 0xF));
        });
        gfx::Direct3DTexture8* wide = MakeTexture(2048, 4, gfx::D3DFMT_A8R8G8B8, [](int x, int y) -> std::uint32_t {
            return 0x80000000u | static_cast<std::uint32_t>(x & 0xFF) << 16 | static_cast<std::uint32_t>(y * 60) << 8 |
                   static_cast<std::uint32_t>((x >> 3) & 0xFF);
        });
        gfx::Direct3DTexture8* textures[] = {pattern, odd, sheet};

        const gfx::DWORD blends[][2] = {{gfx::D3DBLEND_ONE, gfx::D3DBLEND_ZERO},
                                        {gfx::D3DBLEND_SRCALPHA, gfx::D3DBLEND_INVSRCALPHA},
                                        {gfx::D3DBLEND_SRCALPHA, gfx::D3DBLEND_ONE},
                                        {gfx::D3DBLEND_ONE, gfx::D3DBLEND_ONE},
                                        {gfx::D3DBLEND_DESTCOLOR, gfx::D3DBLEND_ZERO},
                                        {gfx::D3DBLEND_ZERO, gfx::D3DBLEND_INVSRCCOLOR}};
        const std::uint32_t colours[] = {0xFFFFFFFFu, 0x80FFFFFFu, 0xFF80C040u, 0x60FF2080u};
        const gfx::DWORD filters[] = {gfx::D3DTEXF_POINT, gfx::D3DTEXF_LINEAR};
        const gfx::DWORD addresses[] = {gfx::D3DTADDRESS_WRAP, gfx::D3DTADDRESS_CLAMP};
        int k = 0;
        for (const auto& b : blends) {
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
    std::vector<raster::SpanPath> paths = {raster::SpanPath::kPortable};
    if (raster::BestSpanPath() >= raster::SpanPath::kSse2) paths.push_back(raster::SpanPath::kSse2);
    if (raster::BestSpanPath() >= raster::SpanPath::kAvx2) paths.push_back(raster::SpanPath::kAvx2);
    std::vector<std::uint8_t> reference = Render(paths[0]);
    // The scene draws something worth comparing.
    std::size_t distinct = 0;
    for (std::size_t i = 4; i < reference.size(); i += 4) distinct += std::memcmp(&reference[i], &reference[i - 4], 2) != 0;
    EXPECT_GT(distinct, reference.size() / 16);
    const int bpp = GetParam() == gfx::D3DFMT_R5G6B5 ? 2 : 4;
    for (std::size_t p = 1; p < paths.size(); ++p) {
        std::vector<std::uint8_t> frame = Render(paths[p]);
        ASSERT_EQ(frame.size(), reference.size());
        std::size_t differing = 0, first = frame.size();
        for (std::size_t i = 0; i < frame.size(); i += bpp) {
            if (std::memcmp(&frame[i], &reference[i], bpp) != 0) {
                if (first == frame.size()) first = i;
                ++differing;
            }
        }
        EXPECT_EQ(differing, 0u) << "path " << static_cast<int>(paths[p]) << " differs first at pixel ("
                                 << (first / bpp) % 640 << ", " << (first / bpp) / 640 << ")";
    }
}

INSTANTIATE_TEST_SUITE_P(Targets, SpanPathTest,
                         ::testing::Values(gfx::D3DFMT_X8R8G8B8, gfx::D3DFMT_A8R8G8B8, gfx::D3DFMT_R5G6B5));

TEST(SpanPaths, UnavailablePathsAreRefused) {
    raster::SpanPath best = raster::BestSpanPath();
    EXPECT_TRUE(raster::UseSpanPath(raster::SpanPath::kPortable));
    EXPECT_EQ(raster::UseSpanPath(raster::SpanPath::kAvx2), best == raster::SpanPath::kAvx2);
    EXPECT_TRUE(raster::UseSpanPath(best));
}

}  // namespace
