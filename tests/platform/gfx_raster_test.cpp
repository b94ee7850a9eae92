#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>

#include "platform/gfx/present.h"
#include "tests/platform/gfx_fixture.h"
#include "tests/support/golden.h"

using namespace gfx_test;

namespace {

const std::string kGolden = TOLVARIN_TEST_DIR "/golden";

// Every pixel inside `r` is `inside`, every other one `outside`.
::testing::AssertionResult CoversExactly(gfx::Direct3DSurface8* frame, Rect r, std::uint32_t inside,
                                         std::uint32_t outside) {
    for (int y = 0; y < 480; ++y) {
        for (int x = 0; x < 640; ++x) {
            bool in = x >= r.left && x < r.right && y >= r.top && y < r.bottom;
            std::uint32_t v;
            std::memcpy(&v, frame->Bits() + y * frame->Pitch() + x * 4, 4);
            v &= 0x00FFFFFFu;
            if (v != (in ? inside : outside)) {
                return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") is " << std::hex << v
                                                     << ", expected " << (in ? inside : outside);
            }
        }
    }
    return ::testing::AssertionSuccess();
}

}  // namespace

class RasterTest : public GfxTest {};

TEST_F(RasterTest, AxisAlignedSpriteCoversExactlyItsIntegerRectangle) {
    const Rect rects[] = {{10, 20, 42, 52}, {0, 0, 1, 1}, {5, 7, 6, 300}, {600, 400, 640, 480}, {100, 100, 101, 102}};
    for (const Rect& r : rects) {
        Clear(0xFF000000u);
        Sprite(nullptr, r, {0, 0, 32, 32}, 0xFF123456u);
        EXPECT_TRUE(CoversExactly(Frame(), r, 0x123456u, 0));
    }
    // Textured, opaque white texture: the same rectangle.
    gfx::Direct3DTexture8* white = MakeTexture(32, 32, gfx::D3DFMT_A8R8G8B8, [](int, int) { return 0xFFFFFFFFu; });
    Clear(0xFF000000u);
    Sprite(white, {10, 20, 42, 52}, {0, 0, 32, 32}, 0xFFFFFFFFu);
    EXPECT_TRUE(CoversExactly(Frame(), {10, 20, 42, 52}, 0xFFFFFFu, 0));
    // Mirrored (right < left) covers the same pixels.
    Clear(0xFF000000u);
    Sprite(white, {42, 20, 10, 52}, {0, 0, 32, 32}, 0xFFFFFFFFu);
    EXPECT_TRUE(CoversExactly(Frame(), {10, 20, 42, 52}, 0xFFFFFFu, 0));
}

TEST_F(RasterTest, SharedEdgesAreDrawnOnceWithTheTopLeftRule) {
    Clear(0xFF000000u);
    Blend(gfx::D3DBLEND_ONE, gfx::D3DBLEND_ONE);
    // A grid of quads with fractional shared edges, and a fan of thin
    // triangles around one centre (both windings, culling is off).
    const float xs[] = {10.0f, 23.3f, 40.5f, 41.5f, 77.77f};
    const float ys[] = {5.0f, 5.5f, 19.25f, 60.0f};
    for (int i = 0; i + 1 < 5; ++i) {
        for (int j = 0; j + 1 < 4; ++j) Quad(xs[i], ys[j], xs[i + 1], ys[j + 1], 0xFF404040u);
    }
    const int n = 37;
    std::vector<LineVertex> fan;
    fan.push_back({300.3f, 200.6f, 0, 1, 0xFF404040u});
    for (int k = 0; k <= n; ++k) {
        double a = 2.0 * 3.14159265358979 * (k % n) / n;
        fan.push_back({static_cast<float>(300.3 + 90.0 * std::cos(a)), static_cast<float>(200.6 + 70.0 * std::sin(a)),
                       0, 1, 0xFF404040u});
    }
    device_->SetVertexShader(0x44);
    ASSERT_EQ(device_->DrawPrimitiveUP(gfx::D3DPT_TRIANGLEFAN, n, fan.data(), sizeof(LineVertex)), gfx::D3D_OK);
    int covered = 0;
    for (int y = 0; y < 480; ++y) {
        for (int x = 0; x < 640; ++x) {
            std::uint32_t v = Pixel(x, y);
            ASSERT_TRUE(v == 0 || v == 0x404040u) << x << "," << y << " " << std::hex << v;
            covered += v != 0;
        }
    }
    // The grid covers columns 10..77 and rows 5..59 exactly.
    int grid = 0;
    for (int y = 5; y < 60; ++y) {
        for (int x = 10; x < 78; ++x) grid += Pixel(x, y) != 0;
    }
    EXPECT_EQ(grid, 68 * 55);
    EXPECT_GT(covered, grid + 15000);
}

TEST_F(RasterTest, BlendPresetsOverAKnownBackground) {
    const std::uint32_t background = 0xFF204060u;
    const std::uint32_t source = 0x80FF8010u;  // alpha 0x80
    struct Preset {
        gfx::DWORD src, dest;
    } presets[] = {
        {gfx::D3DBLEND_ONE, gfx::D3DBLEND_ZERO},          {gfx::D3DBLEND_SRCALPHA, gfx::D3DBLEND_INVSRCALPHA},
        {gfx::D3DBLEND_SRCALPHA, gfx::D3DBLEND_ONE},      {gfx::D3DBLEND_ZERO, gfx::D3DBLEND_SRCCOLOR},
        {gfx::D3DBLEND_ONE, gfx::D3DBLEND_ONE},           {gfx::D3DBLEND_DESTCOLOR, gfx::D3DBLEND_ONE},
        {gfx::D3DBLEND_INVDESTCOLOR, gfx::D3DBLEND_ZERO},
    };
    auto factor = [](gfx::DWORD f, double s, double d, double sa) {
        switch (f) {
            case gfx::D3DBLEND_ZERO: return 0.0;
            case gfx::D3DBLEND_ONE: return 1.0;
            case gfx::D3DBLEND_SRCCOLOR: return s;
            case gfx::D3DBLEND_SRCALPHA: return sa;
            case gfx::D3DBLEND_INVSRCALPHA: return 1.0 - sa;
            case gfx::D3DBLEND_DESTCOLOR: return d;
            case gfx::D3DBLEND_INVDESTCOLOR: return 1.0 - d;
            default: return -1.0;
        }
    };
    for (const Preset& p : presets) {
        Clear(background);
        Blend(p.src, p.dest);
        Quad(99.5f, 99.5f, 109.5f, 109.5f, source);
        std::uint32_t expected = 0;
        for (int shift = 0; shift < 24; shift += 8) {
            double s = ((source >> shift) & 0xFF) / 255.0, d = ((background >> shift) & 0xFF) / 255.0;
            double sa = (source >> 24) / 255.0;
            long st = std::lround(s * factor(p.src, s, d, sa) * 255.0);
            long dt = std::lround(d * factor(p.dest, s, d, sa) * 255.0);
            expected |= static_cast<std::uint32_t>(std::min(255L, st + dt)) << shift;
        }
        EXPECT_EQ(Pixel(104, 104), expected) << "blend " << p.src << "/" << p.dest;
        EXPECT_EQ(Pixel(98, 98), background & 0xFFFFFFu);
    }
}

TEST_F(RasterTest, SixteenBitTexturesExpandByBitReplication) {
    struct Case {
        gfx::D3DFORMAT format;
        std::uint16_t texel;
        std::uint32_t expected;  // after an opaque draw (alpha not shown)
    } cases[] = {
        {gfx::D3DFMT_A4R4G4B4, 0xF8C4, 0x88CC44u}, {gfx::D3DFMT_X4R4G4B4, 0x0F1E, 0xFF11EEu},
        {gfx::D3DFMT_A1R5G5B5, 0xFC1F, 0xFF00FFu}, {gfx::D3DFMT_X1R5G5B5, 0x0421, 0x080808u},
        {gfx::D3DFMT_R5G6B5, 0x07E0, 0x00FF00u},   {gfx::D3DFMT_R5G6B5, 0x8410, 0x848284u},
    };
    Blend(gfx::D3DBLEND_ONE, gfx::D3DBLEND_ZERO);
    for (const Case& c : cases) {
        gfx::Direct3DTexture8* t = MakeTexture(4, 4, c.format, [&](int, int) { return std::uint32_t{c.texel}; });
        Clear(0xFF000000u);
        Sprite(t, {0, 0, 8, 8}, {0, 0, 4, 4}, 0xFFFFFFFFu);
        EXPECT_EQ(Pixel(3, 3), c.expected) << std::hex << c.texel;
    }
    // A texel with alpha bit 0 of A1R5G5B5 blends away under alpha blending.
    Blend(gfx::D3DBLEND_SRCALPHA, gfx::D3DBLEND_INVSRCALPHA);
    gfx::Direct3DTexture8* clear = MakeTexture(4, 4, gfx::D3DFMT_A1R5G5B5, [](int, int) { return 0x7FFFu; });
    Clear(0xFF102030u);
    Sprite(clear, {0, 0, 8, 8}, {0, 0, 4, 4}, 0xFFFFFFFFu);
    EXPECT_EQ(Pixel(3, 3), 0x102030u);
    // Locked texels stay 16-bit.
    gfx::D3DSURFACE_DESC desc;
    clear->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Size, 4u * 4u * 2u);
}

TEST_F(RasterTest, BilinearAtTexelCentresReturnsTheTexels) {
    gfx::Direct3DTexture8* t = PatternTexture(16, 16);
    Blend(gfx::D3DBLEND_ONE, gfx::D3DBLEND_ZERO);
    Clear(0xFF000000u);
    // Corners at -0.5 and 15.5 with uv 0..1: pixel x samples (x + 0.5) / 16.
    SpriteVertex v[4] = {{-0.5f, -0.5f, 0, 1, 0xFFFFFFFFu, 0, 0},
                         {15.5f, -0.5f, 0, 1, 0xFFFFFFFFu, 1, 0},
                         {15.5f, 15.5f, 0, 1, 0xFFFFFFFFu, 1, 1},
                         {-0.5f, 15.5f, 0, 1, 0xFFFFFFFFu, 0, 1}};
    device_->SetTexture(0, t);
    device_->SetVertexShader(0x144);
    ASSERT_EQ(device_->DrawPrimitiveUP(gfx::D3DPT_TRIANGLEFAN, 2, v, sizeof(SpriteVertex)), gfx::D3D_OK);
    const std::uint32_t* texels = t->Level0()->Argb();
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) ASSERT_EQ(Pixel(x, y), texels[y * 16 + x] & 0xFFFFFFu) << x << "," << y;
    }
}

TEST_F(RasterTest, TextureWrapRepeatsAndClampStretchesTheEdge) {
    gfx::Direct3DTexture8* t = PatternTexture(8, 8);
    Blend(gfx::D3DBLEND_ONE, gfx::D3DBLEND_ZERO);
    Filter(gfx::D3DTEXF_POINT);
    Clear(0xFF000000u);
    // uv 0..3 over 24 x 24 pixels: three repeats in each direction.
    SpriteVertex v[4] = {{-0.5f, -0.5f, 0, 1, 0xFFFFFFFFu, 0, 0},
                         {23.5f, -0.5f, 0, 1, 0xFFFFFFFFu, 3, 0},
                         {23.5f, 23.5f, 0, 1, 0xFFFFFFFFu, 3, 3},
                         {-0.5f, 23.5f, 0, 1, 0xFFFFFFFFu, 0, 3}};
    device_->SetTexture(0, t);
    device_->SetVertexShader(0x144);
    ASSERT_EQ(device_->DrawPrimitiveUP(gfx::D3DPT_TRIANGLEFAN, 2, v, sizeof(SpriteVertex)), gfx::D3D_OK);
    for (int y = 0; y < 24; ++y) {
        for (int x = 0; x < 24; ++x) ASSERT_EQ(Pixel(x, y), Pixel(x % 8, y % 8)) << x << "," << y;
    }
    EXPECT_TRUE(testing_support::MatchesGolden(kGolden, "texture_wrap", Frame()));
    device_->SetTextureStageState(0, gfx::D3DTSS_ADDRESSU, gfx::D3DTADDRESS_CLAMP);
    device_->SetTextureStageState(0, gfx::D3DTSS_ADDRESSV, gfx::D3DTADDRESS_CLAMP);
    Clear(0xFF000000u);
    ASSERT_EQ(device_->DrawPrimitiveUP(gfx::D3DPT_TRIANGLEFAN, 2, v, sizeof(SpriteVertex)), gfx::D3D_OK);
    EXPECT_EQ(Pixel(23, 23), Pixel(7, 7));
    EXPECT_EQ(Pixel(20, 3), Pixel(7, 3));
}

TEST_F(RasterTest, ClippingAtEveryEdge) {
    struct Case {
        Rect r;
    } cases[] = {
        {{-20, 100, 30, 140}},  {{620, 100, 700, 140}},  {{100, -50, 140, 10}}, {{100, 470, 140, 900}},
        {{-80, -80, 720, 560}}, {{-100, 200, 700, 210}}, {{0, 1500, 32, 1532}}, {{-3000, -3000, -2000, -2000}},
    };
    for (const Case& c : cases) {
        Clear(0xFF000000u);
        Sprite(nullptr, c.r, {0, 0, 32, 32}, 0xFFFFFFFFu);
        Rect clipped{std::max(c.r.left, 0), std::max(c.r.top, 0), std::min(c.r.right, 640), std::min(c.r.bottom, 480)};
        if (clipped.left >= clipped.right || clipped.top >= clipped.bottom) clipped = {0, 0, 0, 0};
        EXPECT_TRUE(CoversExactly(Frame(), clipped, 0xFFFFFFu, 0))
            << c.r.left << "," << c.r.top << "," << c.r.right << "," << c.r.bottom;
    }
    // Enormous, infinite and NaN coordinates neither crash nor draw garbage.
    Clear(0xFF000000u);
    Quad(-1.0e9f, -1.0e9f, 1.0e9f, 1.0e9f, 0xFF00FF00u);
    EXPECT_TRUE(CoversExactly(Frame(), {0, 0, 640, 480}, 0x00FF00u, 0));
    Clear(0xFF000000u);
    float nan = std::numeric_limits<float>::quiet_NaN();
    Quad(nan, 0, 100, 100, 0xFF00FF00u);
    Quad(0, 0, std::numeric_limits<float>::infinity(), 100, 0xFF00FF00u);
    // Viewport scissor.
    gfx::D3DVIEWPORT8 vp{100, 50, 200, 100, 0, 1};
    ASSERT_EQ(device_->SetViewport(&vp), gfx::D3D_OK);
    Clear(0xFF000000u);  // clears the viewport only
    Sprite(nullptr, {0, 0, 640, 480}, {0, 0, 32, 32}, 0xFFFFFFFFu);
    vp = gfx::D3DVIEWPORT8{0, 0, 640, 480, 0, 1};
    device_->SetViewport(&vp);
    EXPECT_EQ(Pixel(99, 60), 0u);
    EXPECT_EQ(Pixel(100, 50), 0xFFFFFFu);
    EXPECT_EQ(Pixel(299, 149), 0xFFFFFFu);
    EXPECT_EQ(Pixel(300, 149), 0u);
}

TEST_F(RasterTest, LinesFollowTheirEndsAndLeaveNothingElse) {
    Clear(0xFF000000u);
    Lines({{0, 0, 0, 1, 0xFFFFFFFFu}, {639, 479, 0, 1, 0xFFFFFFFFu}});
    int count = 0;
    for (int y = 0; y < 480; ++y) {
        for (int x = 0; x < 640; ++x) count += Pixel(x, y) != 0;
    }
    EXPECT_EQ(count, 640);  // one pixel per column, both ends included
    EXPECT_EQ(Pixel(0, 0), 0xFFFFFFu);
    EXPECT_EQ(Pixel(639, 479), 0xFFFFFFu);
    EXPECT_EQ(Pixel(320, 240), 0xFFFFFFu);
    // Horizontal and vertical lines, and a line leaving the screen.
    Clear(0xFF000000u);
    // clang-format off
    Lines({{10, 5, 0, 1, 0xFF00FF00u}, {20, 5, 0, 1, 0xFF00FF00u}, {3, 100, 0, 1, 0xFFFF0000u},
           {3, 90, 0, 1, 0xFFFF0000u}, {600, 300, 0, 1, 0xFF0000FFu}, {5000, 320, 0, 1, 0xFF0000FFu}});
    // clang-format on
    for (int x = 10; x <= 20; ++x) EXPECT_EQ(Pixel(x, 5), 0x00FF00u) << x;
    EXPECT_EQ(Pixel(9, 5), 0u);
    EXPECT_EQ(Pixel(21, 5), 0u);
    for (int y = 90; y <= 100; ++y) EXPECT_EQ(Pixel(3, y), 0xFF0000u) << y;
    EXPECT_EQ(Pixel(639, 300), 0x0000FFu);  // clipped at the right edge
    EXPECT_TRUE(testing_support::MatchesGolden(kGolden, "line_list", Frame()));
}

TEST_F(RasterTest, RotatedMirroredAndFlippedQuads) {
    gfx::Direct3DTexture8* t = PatternTexture();
    Clear(0xFF303030u);
    Sprite(t, {20, 20, 84, 84}, {0, 0, 32, 32}, 0xFFFFFFFFu);                    // plain, scaled x2
    Sprite(t, {184, 20, 120, 84}, {0, 0, 32, 32}, 0xFFFFFFFFu);                  // mirrored
    Sprite(t, {220, 84, 284, 20}, {0, 0, 32, 32}, 0xFFFFFFFFu);                  // flipped
    Sprite(t, {320, 20, 384, 84}, {0, 0, 32, 32}, 0xFFFFFFFFu, 3.14159265 / 6);  // rotated 30 degrees
    Sprite(t, {420, 20, 484, 84}, {0, 0, 32, 32}, 0x80FFFFFFu, 3.14159265 / 2);  // quarter turn, half alpha
    Sprite(t, {20, 120, 36, 136}, {8, 8, 24, 24}, 0xFFFF8080u, 1.0);             // tinted, rotated
    for (int i = 0; i < 12; ++i) {
        Sprite(t, {100 + i * 40, 200, 116 + i * 40, 216}, {0, 0, 32, 32}, 0xFFFFFFFFu, i * 0.3);
    }
    EXPECT_TRUE(testing_support::MatchesGolden(kGolden, "quads", Frame()));
}

class Raster565Test : public RasterTest {
protected:
    gfx::D3DFORMAT BackBufferFormat() const override { return gfx::D3DFMT_R5G6B5; }
};

TEST_F(Raster565Test, SixteenBitTargetGolden) {
    gfx::Direct3DTexture8* t = PatternTexture();
    Clear(0xFF204060u);
    EXPECT_EQ(Frame()->Pitch(), 640 * 2);
    Sprite(t, {20, 20, 84, 84}, {0, 0, 32, 32}, 0xFFFFFFFFu);
    Sprite(t, {100, 20, 164, 84}, {0, 0, 32, 32}, 0xA0FFFFFFu, 0.5);
    Lines({{0, 200, 0, 1, 0xFFFFFF00u}, {639, 260, 0, 1, 0xFF00FFFFu}});
    EXPECT_TRUE(testing_support::MatchesGolden(kGolden, "target_r5g6b5", Frame()));
}

// A vertex program: position through the 4 x 4 matrix in c0..c3 (rows,
// transposed as the engine's shaders expect), colour from v6, uv from v7.
void TransformProgram(const gfx::Vec4* in, const gfx::Vec4* c, gfx::VertexProgramOutput& out) {
    const gfx::Vec4& p = in[0];
    out.position = {p.x * c[0].x + p.y * c[0].y + p.z * c[0].z + p.w * c[0].w,
                    p.x * c[1].x + p.y * c[1].y + p.z * c[1].z + p.w * c[1].w,
                    p.x * c[2].x + p.y * c[2].y + p.z * c[2].z + p.w * c[2].w,
                    p.x * c[3].x + p.y * c[3].y + p.z * c[3].z + p.w * c[3].w};
    out.diffuse = in[6];
    out.texcoord[0] = in[7];
}

TEST_F(RasterTest, IndexedDrawsThroughAVertexProgram) {
    struct MeshVertex {
        float x, y, z, nx, ny, nz;
        std::uint32_t colour;
        float u, v;
    };
    const gfx::DWORD decl[] = {gfx::VSD_STREAM(0),
                               gfx::VSD_REG(0, gfx::D3DVSDT_FLOAT3),
                               gfx::VSD_REG(1, gfx::D3DVSDT_FLOAT3),
                               gfx::VSD_REG(6, gfx::D3DVSDT_D3DCOLOR),
                               gfx::VSD_REG(7, gfx::D3DVSDT_FLOAT2),
                               gfx::VSD_END()};
    gfx::DWORD handle = 0;
    ASSERT_EQ(device_->CreateVertexShader(decl, &TransformProgram, &handle, 0), gfx::D3D_OK);
    EXPECT_TRUE(gfx::IsVertexProgramHandle(handle));
    // A perspective view of a tilted, textured plane (w from 1 to 3).
    const MeshVertex verts[4] = {{-1, -1, 0, 0, 0, -1, 0xFFFFFFFFu, 0, 4},
                                 {1, -1, 0, 0, 0, -1, 0xFFFFFFFFu, 4, 4},
                                 {1, 1, 2, 0, 0, -1, 0xFFFFFFFFu, 4, 0},
                                 {-1, 1, 2, 0, 0, -1, 0xFFFFFFFFu, 0, 0}};
    const std::uint16_t idx[6] = {0, 1, 2, 0, 2, 3};
    gfx::Direct3DVertexBuffer8* vb = nullptr;
    gfx::Direct3DIndexBuffer8* ib = nullptr;
    ASSERT_EQ(device_->CreateVertexBuffer(sizeof(verts), gfx::D3DUSAGE_WRITEONLY, 0, gfx::D3DPOOL_DEFAULT, &vb),
              gfx::D3D_OK);
    ASSERT_EQ(device_->CreateIndexBuffer(sizeof(idx), gfx::D3DUSAGE_WRITEONLY, gfx::D3DFMT_INDEX16,
                                         gfx::D3DPOOL_DEFAULT, &ib),
              gfx::D3D_OK);
    std::uint8_t* p = nullptr;
    vb->Lock(0, 0, &p, 0);
    std::memcpy(p, verts, sizeof(verts));
    vb->Unlock();
    ib->Lock(0, 0, &p, 0);
    std::memcpy(p, idx, sizeof(idx));
    ib->Unlock();
    // Rows of the transposed matrix: x, y unchanged, z' = z / 3, w = 1 + z.
    const gfx::Vec4 c[4] = {{0.9f, 0, 0, 0}, {0, 0.9f, 0, 0}, {0, 0, 0.3f, 0.1f}, {0, 0, 1, 1}};
    device_->SetVertexShaderConstant(0, c, 4);
    ASSERT_EQ(device_->SetVertexShader(handle), gfx::D3D_OK);
    gfx::Direct3DTexture8* t = PatternTexture();
    device_->SetTexture(0, t);
    Blend(gfx::D3DBLEND_ONE, gfx::D3DBLEND_ZERO);

    // Missing buffers are refused.
    Clear(0xFF000000u);
    EXPECT_EQ(device_->DrawIndexedPrimitive(gfx::D3DPT_TRIANGLELIST, 0, 4, 0, 2), gfx::D3DERR_INVALIDCALL);
    device_->SetStreamSource(0, vb, sizeof(MeshVertex));
    EXPECT_EQ(device_->DrawIndexedPrimitive(gfx::D3DPT_TRIANGLELIST, 0, 4, 0, 2), gfx::D3DERR_INVALIDCALL);
    device_->SetIndices(ib, 0);
    // Beyond the index buffer, or indices beyond the vertex buffer.
    EXPECT_EQ(device_->DrawIndexedPrimitive(gfx::D3DPT_TRIANGLELIST, 0, 4, 3, 2), gfx::D3DERR_INVALIDCALL);
    device_->SetIndices(ib, 1);
    EXPECT_EQ(device_->DrawIndexedPrimitive(gfx::D3DPT_TRIANGLELIST, 0, 4, 0, 2), gfx::D3DERR_INVALIDCALL);
    EXPECT_EQ(gfx::HashSurface(Frame()), [&] {
        Clear(0xFF000000u);
        return gfx::HashSurface(Frame());
    }());
    device_->SetIndices(ib, 0);
    ASSERT_EQ(device_->DrawIndexedPrimitive(gfx::D3DPT_TRIANGLELIST, 0, 4, 0, 2), gfx::D3D_OK);
    EXPECT_TRUE(testing_support::MatchesGolden(kGolden, "perspective_plane", Frame()));

    // The engine's restore rule: default-pool buffers block a reset until released.
    gfx::D3DPRESENT_PARAMETERS pp = device_->PresentParameters();
    device_->SimulateDeviceLost();
    EXPECT_EQ(device_->TestCooperativeLevel(), gfx::D3DERR_DEVICENOTRESET);
    EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), gfx::D3DERR_DEVICELOST);
    EXPECT_EQ(device_->Reset(&pp), gfx::D3DERR_INVALIDCALL);
    vb->Release();
    ib->Release();
    EXPECT_EQ(device_->Reset(&pp), gfx::D3D_OK);
    EXPECT_EQ(device_->TestCooperativeLevel(), gfx::D3D_OK);
    // Reset returns every state to its default.
    gfx::DWORD v = 0;
    device_->GetRenderState(gfx::D3DRS_CULLMODE, &v);
    EXPECT_EQ(v, gfx::D3DCULL_CCW);
    device_->GetRenderState(gfx::D3DRS_ALPHABLENDENABLE, &v);
    EXPECT_EQ(v, 0u);
}

TEST_F(RasterTest, CopyRectsAndUpdateTexture) {
    gfx::Direct3DSurface8* image = nullptr;
    ASSERT_EQ(device_->CreateImageSurface(120, 480, gfx::D3DFMT_X8R8G8B8, &image), gfx::D3D_OK);
    gfx::D3DLOCKED_RECT lr;
    ASSERT_EQ(image->LockRect(&lr, nullptr, 0), gfx::D3D_OK);
    for (int y = 0; y < 480; ++y) {
        for (int x = 0; x < 120; ++x) {
            std::uint32_t v = 0xFF000000u | static_cast<std::uint32_t>(x << 8) | static_cast<std::uint32_t>(y & 0xFF);
            std::memcpy(static_cast<std::uint8_t*>(lr.pBits) + y * lr.Pitch + x * 4, &v, 4);
        }
    }
    image->UnlockRect();
    Clear(0xFF000000u);
    gfx::RECT r{10, 0, 120, 480};
    gfx::POINT at{0, 0};
    ASSERT_EQ(device_->CopyRects(image, &r, 1, Frame(), &at), gfx::D3D_OK);
    EXPECT_EQ(Pixel(0, 5), (10u << 8) | 5u);
    EXPECT_EQ(Pixel(109, 7), (119u << 8) | 7u);
    EXPECT_EQ(Pixel(110, 7), 0u);
    // Out of either surface, or of another format: refused, nothing copied.
    gfx::RECT bad{0, 0, 121, 10};
    EXPECT_EQ(device_->CopyRects(image, &bad, 1, Frame(), &at), gfx::D3DERR_INVALIDCALL);
    gfx::POINT off{600, 0};
    EXPECT_EQ(device_->CopyRects(image, &r, 1, Frame(), &off), gfx::D3DERR_INVALIDCALL);
    gfx::Direct3DSurface8* other = nullptr;
    ASSERT_EQ(device_->CreateImageSurface(8, 8, gfx::D3DFMT_R5G6B5, &other), gfx::D3D_OK);
    EXPECT_EQ(device_->CopyRects(other, nullptr, 0, Frame(), nullptr), gfx::D3DERR_INVALIDCALL);
    other->Release();
    image->Release();

    gfx::Direct3DTexture8* sys = nullptr;
    gfx::Direct3DTexture8* vid = nullptr;
    ASSERT_EQ(device_->CreateTexture(4, 4, 1, 0, gfx::D3DFMT_A4R4G4B4, gfx::D3DPOOL_SYSTEMMEM, &sys), gfx::D3D_OK);
    ASSERT_EQ(device_->CreateTexture(4, 4, 1, 0, gfx::D3DFMT_A4R4G4B4, gfx::D3DPOOL_DEFAULT, &vid), gfx::D3D_OK);
    ASSERT_EQ(sys->LockRect(0, &lr, nullptr, 0), gfx::D3D_OK);
    std::memset(lr.pBits, 0xFF, 32);
    sys->UnlockRect(0);
    ASSERT_EQ(device_->UpdateTexture(sys, vid), gfx::D3D_OK);
    EXPECT_EQ(vid->Level0()->Argb()[5], 0xFFFFFFFFu);
    EXPECT_EQ(device_->UpdateTexture(vid, sys), gfx::D3DERR_INVALIDCALL);
    // R8G8B8 is refused as a texture.
    gfx::Direct3DTexture8* r888 = nullptr;
    EXPECT_EQ(device_->CreateTexture(4, 4, 1, 0, gfx::D3DFMT_R8G8B8, gfx::D3DPOOL_MANAGED, &r888),
              gfx::D3DERR_INVALIDCALL);
    sys->Release();
    vid->Release();
}

TEST_F(RasterTest, WholeSurfaceCopiesAndFullWidthBands) {
    gfx::Direct3DSurface8* image = nullptr;
    ASSERT_EQ(device_->CreateImageSurface(640, 480, gfx::D3DFMT_X8R8G8B8, &image), gfx::D3D_OK);
    gfx::D3DLOCKED_RECT lr;
    ASSERT_EQ(image->LockRect(&lr, nullptr, 0), gfx::D3D_OK);
    for (int y = 0; y < 480; ++y) {
        for (int x = 0; x < 640; ++x) {
            std::uint32_t v =
                0xFF000000u | static_cast<std::uint32_t>((x & 0xFF) << 8) | static_cast<std::uint32_t>(y & 0xFF);
            std::memcpy(static_cast<std::uint8_t*>(lr.pBits) + y * lr.Pitch + x * 4, &v, 4);
        }
    }
    image->UnlockRect();
    Clear(0xFF000000u);
    ASSERT_EQ(device_->CopyRects(image, nullptr, 0, Frame(), nullptr), gfx::D3D_OK);
    EXPECT_EQ(Pixel(0, 0), 0u);
    EXPECT_EQ(Pixel(639, 479), (127u << 8) | 223u);
    EXPECT_EQ(Pixel(300, 200), (44u << 8) | 200u);
    // A band of whole rows, moved down.
    Clear(0xFF000000u);
    gfx::RECT band{0, 10, 640, 20};
    gfx::POINT at{0, 100};
    ASSERT_EQ(device_->CopyRects(image, &band, 1, Frame(), &at), gfx::D3D_OK);
    EXPECT_EQ(Pixel(5, 99), 0u);
    EXPECT_EQ(Pixel(5, 100), (5u << 8) | 10u);
    EXPECT_EQ(Pixel(639, 109), (127u << 8) | 19u);
    EXPECT_EQ(Pixel(5, 110), 0u);
    image->Release();
}

TEST_F(RasterTest, StateChangesBetweenDrawsTakeEffect) {
    GameStates();
    device_->SetRenderState(gfx::D3DRS_ALPHABLENDENABLE, 0);
    Filter(gfx::D3DTEXF_POINT);
    gfx::Direct3DTexture8* red = MakeTexture(4, 4, gfx::D3DFMT_A8R8G8B8, [](int, int) { return 0xFFFF0000u; });
    gfx::Direct3DTexture8* green = MakeTexture(4, 4, gfx::D3DFMT_A8R8G8B8, [](int, int) { return 0xFF00FF00u; });
    Clear(0xFF000000u);
    Sprite(red, {0, 0, 8, 8}, {0, 0, 4, 4}, 0xFFFFFFFFu);
    EXPECT_EQ(Pixel(4, 4), 0xFF0000u);
    // Another texture, then the same one after its texels changed.
    Sprite(green, {10, 0, 18, 8}, {0, 0, 4, 4}, 0xFFFFFFFFu);
    EXPECT_EQ(Pixel(14, 4), 0x00FF00u);
    gfx::D3DLOCKED_RECT lr;
    ASSERT_EQ(green->LockRect(0, &lr, nullptr, 0), gfx::D3D_OK);
    for (int i = 0; i < 16; ++i) static_cast<std::uint32_t*>(lr.pBits)[i] = 0xFF0000FFu;
    green->UnlockRect(0);
    Sprite(green, {20, 0, 28, 8}, {0, 0, 4, 4}, 0xFFFFFFFFu);
    EXPECT_EQ(Pixel(24, 4), 0x0000FFu);
    // A stage state: the diffuse colour alone.
    device_->SetTextureStageState(0, gfx::D3DTSS_COLOROP, gfx::D3DTOP_SELECTARG2);
    device_->SetTextureStageState(0, gfx::D3DTSS_COLORARG2, gfx::D3DTA_DIFFUSE);
    Sprite(red, {30, 0, 38, 8}, {0, 0, 4, 4}, 0xFF123456u);
    EXPECT_EQ(Pixel(34, 4), 0x123456u);
    device_->SetTextureStageState(0, gfx::D3DTSS_COLOROP, gfx::D3DTOP_MODULATE);
    // A render state: additive blending.
    device_->SetRenderState(gfx::D3DRS_ALPHABLENDENABLE, 1);
    Blend(gfx::D3DBLEND_ONE, gfx::D3DBLEND_ONE);
    Sprite(green, {0, 0, 8, 8}, {0, 0, 4, 4}, 0xFFFFFFFFu);
    EXPECT_EQ(Pixel(4, 4), 0xFF00FFu);
    // No texture: the diffuse colour.
    device_->SetRenderState(gfx::D3DRS_ALPHABLENDENABLE, 0);
    Sprite(nullptr, {40, 0, 48, 8}, {0, 0, 4, 4}, 0xFF654321u);
    EXPECT_EQ(Pixel(44, 4), 0x654321u);
}

TEST_F(RasterTest, DepthTestAndRenderTargetTextures) {
    gfx::Direct3DSurface8* depth = nullptr;
    ASSERT_EQ(device_->CreateDepthStencilSurface(640, 480, gfx::D3DFMT_D16, 0, &depth), gfx::D3D_OK);
    ASSERT_EQ(device_->SetRenderTarget(nullptr, depth), gfx::D3D_OK);
    device_->Clear(0, nullptr, gfx::D3DCLEAR_TARGET | gfx::D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
    device_->SetRenderState(gfx::D3DRS_ZENABLE, 1);
    device_->SetRenderState(gfx::D3DRS_ZWRITEENABLE, 1);
    Blend(gfx::D3DBLEND_ONE, gfx::D3DBLEND_ZERO);
    // clang-format off
    LineVertex nearQuad[4] = {{9.5f, 9.5f, 0.25f, 1, 0xFFFF0000u}, {29.5f, 9.5f, 0.25f, 1, 0xFFFF0000u},
                              {29.5f, 29.5f, 0.25f, 1, 0xFFFF0000u}, {9.5f, 29.5f, 0.25f, 1, 0xFFFF0000u}};
    LineVertex farQuad[4] = {{19.5f, 19.5f, 0.75f, 1, 0xFF0000FFu}, {39.5f, 19.5f, 0.75f, 1, 0xFF0000FFu},
                             {39.5f, 39.5f, 0.75f, 1, 0xFF0000FFu}, {19.5f, 39.5f, 0.75f, 1, 0xFF0000FFu}};
    // clang-format on
    device_->SetVertexShader(0x44);
    device_->DrawPrimitiveUP(gfx::D3DPT_TRIANGLEFAN, 2, nearQuad, sizeof(LineVertex));
    device_->DrawPrimitiveUP(gfx::D3DPT_TRIANGLEFAN, 2, farQuad, sizeof(LineVertex));
    EXPECT_EQ(Pixel(25, 25), 0xFF0000u);  // the nearer quad stays in front
    EXPECT_EQ(Pixel(35, 35), 0x0000FFu);
    ASSERT_EQ(device_->SetRenderTarget(nullptr, nullptr), gfx::D3D_OK);
    depth->Release();

    // Draw into a render-target texture, then sample it.
    gfx::Direct3DTexture8* rt = nullptr;
    ASSERT_EQ(
        device_->CreateTexture(16, 16, 1, gfx::D3DUSAGE_RENDERTARGET, gfx::D3DFMT_A8R8G8B8, gfx::D3DPOOL_DEFAULT, &rt),
        gfx::D3D_OK);
    gfx::Direct3DSurface8* level = nullptr;
    rt->GetSurfaceLevel(0, &level);
    gfx::Direct3DSurface8* back = nullptr;
    device_->GetRenderTarget(&back);
    device_->SetRenderState(gfx::D3DRS_ZENABLE, 0);
    ASSERT_EQ(device_->SetRenderTarget(level, nullptr), gfx::D3D_OK);
    Clear(0xFF00FF00u);
    ASSERT_EQ(device_->SetRenderTarget(back, nullptr), gfx::D3D_OK);
    back->Release();
    level->Release();
    Clear(0xFF000000u);
    Sprite(rt, {0, 0, 16, 16}, {0, 0, 16, 16}, 0xFFFFFFFFu);
    EXPECT_EQ(Pixel(8, 8), 0x00FF00u);
    rt->Release();
}

TEST_F(RasterTest, DemoFrameWithSpritesAndLines) {
    gfx::Direct3DTexture8* t = PatternTexture();
    Clear(0xFF101828u);
    // Star field: 200 stars, two lines each, as the play scene draws them.
    std::uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 214013u + 2531011u;
        return (seed >> 16) & 0x7FFF;
    };
    std::vector<LineVertex> stars;
    for (int i = 0; i < 200; ++i) {
        float x = 120.0f + static_cast<float>(next() % 400), y = static_cast<float>(next() % 480);
        std::uint32_t c = 0x80000000u | (0x606060u + (next() % 0x40) * 0x010101u);
        stars.push_back({x, y, 0, 1, c});
        stars.push_back({x, y + 6, 0, 1, c});
        stars.push_back({x - 1, y + 2, 0, 1, c});
        stars.push_back({x + 1, y + 2, 0, 1, c});
    }
    Lines(stars);
    for (int i = 0; i < 10; ++i) {
        Sprite(t, {140 + i * 36, 60, 172 + i * 36, 92}, {0, 0, 32, 32}, 0xFFFFFFFFu);
        Sprite(t, {140 + i * 36, 140, 172 + i * 36, 172}, {0, 0, 32, 32}, 0xFFFFFFFFu, i * 0.35);
    }
    Blend(gfx::D3DBLEND_SRCALPHA, gfx::D3DBLEND_ONE);
    Sprite(t, {240, 240, 400, 400}, {0, 0, 32, 32}, 0x80FF8040u, 0.4);
    Blend(gfx::D3DBLEND_SRCALPHA, gfx::D3DBLEND_INVSRCALPHA);
    Lines({{120, 0, 0, 1, 0xFFFFFFFFu},
           {120, 479, 0, 1, 0xFFFFFFFFu},
           {519, 0, 0, 1, 0xFFFFFFFFu},
           {519, 479, 0, 1, 0xFFFFFFFFu}});
    std::filesystem::path out = std::filesystem::path(TOLVARIN_BUILD_DIR) / "test-output";
    std::filesystem::create_directories(out);
    EXPECT_TRUE(gfx::SaveSurfacePng((out / "device_demo.png").string(), Frame()));
    EXPECT_TRUE(std::filesystem::file_size(out / "device_demo.png") > 1000);
    EXPECT_TRUE(testing_support::MatchesGolden(kGolden, "demo", Frame()));
    // Present without a window shows nothing and succeeds.
    EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), gfx::D3D_OK);
}
