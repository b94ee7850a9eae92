#include "engine/graphics/surface.h"

#include <gtest/gtest.h>

#include "engine/graphics/draw2d.h"
#include "tests/engine/graphics/graphics_fixture.h"

namespace {

using graphics_test::ArgbEntry;
using graphics_test::CoordinateColour;
using graphics_test::CoordinatePicture;
using graphics_test::GraphicsTest;
namespace gfx = platform::gfx;

constexpr u32 kBackground = 0x00010203u;

class SurfaceTest : public GraphicsTest {
protected:
    void SetUp() override {
        GraphicsTest::SetUp();
        const std::string path =
            WriteArchive("pics.dat", {ArgbEntry("side", 640, 480, CoordinatePicture(640, 480), true),
                                      ArgbEntry("small", 120, 60, CoordinatePicture(120, 60))});
        side_ = CreateSurface(path.c_str(), "side", 1, nullptr);
        small_ = CreateSurface(path.c_str(), "small", 1, nullptr);
        ASSERT_NE(side_->GetDirect3DResource(), nullptr);
        ClearScreen(kBackground);
    }
    // Checks that the back buffer holds source pixels (sx0.., sy0..) in the
    // destination rectangle and the background everywhere else.
    void ExpectCopied(i32 dx0, i32 dy0, i32 dx1, i32 dy1, i32 sx0, i32 sy0) {
        for (i32 y = 0; y < 480; ++y) {
            for (i32 x = 0; x < 640; ++x) {
                const bool inside = x >= dx0 && x < dx1 && y >= dy0 && y < dy1;
                const u32 want = inside ? (CoordinateColour(sx0 + x - dx0, sy0 + y - dy0) & 0xFFFFFF) : kBackground;
                if (Pixel(x, y) != want) {
                    ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << std::hex << Pixel(x, y) << ", expected "
                                  << want;
                    return;
                }
            }
        }
    }
    Surface* side_ = nullptr;
    Surface* small_ = nullptr;
};

TEST_F(SurfaceTest, CreateTakesTheImageInTheFormatOfItsKind) {
    EXPECT_EQ(side_->ready, 1);
    EXPECT_EQ(side_->GetWidth(), 640);
    EXPECT_EQ(side_->GetHeight(), 480);
    EXPECT_EQ(side_->GetFormat(), GetBackBufferFormat());
    EXPECT_EQ(ResourceListGetHead(&SurfaceList()), small_);  // newest first
    const std::string path = (dir_.path() / "pics.dat").string();
    const u32 kinds[] = {GetBackBufferFormat(), GetNormalTextureFormat(), GetAlphaTextureFormat(),
                         gfx::D3DFMT_A8R8G8B8};
    for (i32 kind = 1; kind <= 4; ++kind) {
        Surface* s = CreateSurface(path.c_str(), "small", kind, nullptr);
        EXPECT_EQ(s->GetFormat(), kinds[kind - 1]) << kind;
        EXPECT_NE(s->GetDirect3DResource(), nullptr) << kind;
        s->Release();
    }
}

TEST_F(SurfaceTest, MissingEntryGivesAReadySurfaceWithoutPixelsThatCopiesNothing) {
    const std::string path = (dir_.path() / "pics.dat").string();
    Surface* s = CreateSurface(path.c_str(), "nothing", 1, nullptr);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->ready, 1);
    EXPECT_EQ(s->GetDirect3DResource(), nullptr);
    const u64 version = BackBuffer()->Version();
    s->SurfaceBlit(0, 0, 0, 0, 120, 480);
    EXPECT_EQ(BackBuffer()->Version(), version);
}

struct BlitCase {
    const char* what;
    i32 x, y, left, top, right, bottom;
    // Expected destination rectangle and the source point copied to its corner.
    i32 dx0, dy0, dx1, dy1, sx0, sy0;
};

TEST_F(SurfaceTest, BlitsAreClippedAtEveryEdgeOfTheTargetAndTheSurface) {
    const BlitCase cases[] = {
        {"inside", 100, 50, 10, 20, 130, 80, 100, 50, 220, 110, 10, 20},
        {"left panel", 0, 0, 0, 0, 120, 480, 0, 0, 120, 480, 0, 0},
        {"right panel", 520, 0, 520, 0, 640, 480, 520, 0, 640, 480, 520, 0},
        {"past the left edge", -10, 0, 0, 0, 120, 480, 0, 0, 110, 480, 10, 0},
        {"past the right edge", 600, 0, 0, 0, 120, 480, 600, 0, 640, 480, 0, 0},
        {"past the top edge", 0, -30, 0, 0, 100, 100, 0, 0, 100, 70, 0, 30},
        {"past the bottom edge", 0, 450, 0, 0, 100, 100, 0, 450, 100, 480, 0, 0},
        {"past every edge", -5, -7, 0, 0, 640, 480, 0, 0, 635, 473, 5, 7},
        {"source left of the surface", 100, 100, -20, 0, 50, 40, 120, 100, 170, 140, 0, 0},
        {"source above the surface", 100, 100, 0, -20, 50, 40, 100, 120, 150, 160, 0, 0},
        {"source past the surface's right and bottom", 300, 200, 600, 440, 700, 520, 300, 200, 340, 240, 600, 440},
    };
    for (const BlitCase& c : cases) {
        SCOPED_TRACE(c.what);
        ClearScreen(kBackground);
        side_->SurfaceBlit(c.x, c.y, c.left, c.top, c.right, c.bottom);
        ExpectCopied(c.dx0, c.dy0, c.dx1, c.dy1, c.sx0, c.sy0);
    }
}

TEST_F(SurfaceTest, SmallSurfaceBlitStopsAtItsOwnEdges) {
    // The stage backgrounds ask for more than their pictures hold.
    small_->SurfaceBlit(10, 10, 0, 0, 640, 480);
    ExpectCopied(10, 10, 130, 70, 0, 0);
}

TEST_F(SurfaceTest, EmptyOrOutsideRectanglesDrawNothing) {
    const i32 cases[][6] = {
        {0, 0, 50, 50, 50, 100},     // no width
        {0, 0, 50, 50, 100, 50},     // no height
        {0, 0, 60, 60, 10, 10},      // inverted
        {640, 0, 0, 0, 100, 100},    // right of the target
        {0, 480, 0, 0, 100, 100},    // below the target
        {-200, 0, 0, 0, 100, 100},   // left of the target
        {0, 0, 700, 0, 800, 100},    // right of the surface
        {0, 0, 0, -300, 100, -100},  // above the surface
    };
    for (const auto& c : cases) {
        const u64 version = BackBuffer()->Version();
        side_->SurfaceBlit(c[0], c[1], c[2], c[3], c[4], c[5]);
        EXPECT_EQ(BackBuffer()->Version(), version) << c[0] << "," << c[1] << "," << c[2] << "," << c[3];
    }
}

// --- captures of the render target and the back buffer ---------------------

// Pixel (x, y) of a device surface as A8R8G8B8.
u32 SurfacePixel(gfx::Direct3DSurface8* s, i32 x, i32 y) { return s->Argb()[y * static_cast<i32>(s->Width()) + x]; }

// The blit cases again, the other way round: the expected rectangle is the one
// written in the 120 x 60 surface (empty when nothing is copied).
TEST_F(SurfaceTest, BackBufferCapturesAreClippedToTheBackBufferAndTheSurface) {
    const BlitCase cases[] = {
        {"inside", 10, 5, 100, 200, 150, 230, 10, 5, 60, 35, 100, 200},
        {"source past the back buffer's corner", 0, 0, 600, 450, 700, 520, 0, 0, 40, 30, 600, 450},
        {"source left of and above the back buffer", 20, 20, -10, -10, 30, 30, 30, 30, 60, 60, 0, 0},
        {"past the surface's edges", 100, 50, 0, 0, 640, 480, 100, 50, 120, 60, 0, 0},
        {"left of and above the surface", -30, -20, 0, 0, 50, 40, 0, 0, 20, 20, 30, 20},
        {"empty", 0, 0, 50, 50, 50, 100, 0, 0, 0, 0, 0, 0},
        {"outside the surface", 120, 0, 0, 0, 10, 10, 0, 0, 0, 0, 0, 0},
        {"outside the back buffer", 0, 0, 640, 0, 700, 10, 0, 0, 0, 0, 0, 0},
    };
    side_->SurfaceBlit(0, 0, 0, 0, 640, 480);  // the back buffer holds the coordinate picture
    for (const BlitCase& c : cases) {
        SCOPED_TRACE(c.what);
        Surface* s = CreateSurface((dir_.path() / "pics.dat").string().c_str(), "small", 1, nullptr);
        const bool copies = c.dx1 > c.dx0;
        EXPECT_EQ(s->SurfaceCaptureBackBuffer(c.x, c.y, c.left, c.top, c.right, c.bottom), copies ? 1 : 0);
        for (i32 y = 0; y < 60; ++y) {
            for (i32 x = 0; x < 120; ++x) {
                const bool inside = x >= c.dx0 && x < c.dx1 && y >= c.dy0 && y < c.dy1;
                const u32 want =
                    inside ? CoordinateColour(c.sx0 + x - c.dx0, c.sy0 + y - c.dy0) : CoordinateColour(x, y);
                if (SurfacePixel(s->GetDirect3DResource(), x, y) != want) {
                    ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << std::hex
                                  << SurfacePixel(s->GetDirect3DResource(), x, y) << ", expected " << want;
                    y = 60;
                    break;
                }
            }
        }
        s->Release();
    }
}

// The render target and the back buffer are told apart: with a render target
// of its own set, each capture reads its own surface, a texture's capture
// reaches its backup too (so it survives a device loss), and a capture from a
// surface of another format copies nothing.
TEST_F(SurfaceTest, CapturesReadTheRenderTargetOrTheBackBufferIntoSurfacesAndTextures) {
    const std::string path =
        WriteArchive("texture.dat", {ArgbEntry("plain", 16, 16, std::vector<u32>(16 * 16, 0xFF000000u))});
    Texture* texture = CreateTexture(path.c_str(), "plain", 1, nullptr);
    ASSERT_EQ(texture->TextureIsReady(), 1);
    const auto textureFormat = static_cast<gfx::D3DFORMAT>(texture->GetFormat());
    ASSERT_NE(textureFormat, static_cast<gfx::D3DFORMAT>(GetBackBufferFormat()));

    ClearScreen(0x00112233u);
    gfx::Direct3DSurface8* depth = nullptr;
    Device()->GetDepthStencilSurface(&depth);
    gfx::Direct3DSurface8* target = nullptr;
    ASSERT_EQ(Device()->CreateRenderTarget(64, 64, textureFormat, gfx::D3DMULTISAMPLE_NONE, 1, &target), gfx::D3D_OK);
    ASSERT_EQ(Device()->SetRenderTarget(target, nullptr), gfx::D3D_OK);
    ClearScreen(0xFF445566u);

    // The surface is in the back buffer's format: only the back buffer copies.
    EXPECT_EQ(small_->SurfaceCaptureRenderTarget(0, 0, 0, 0, 8, 8), 0);
    EXPECT_EQ(SurfacePixel(small_->GetDirect3DResource(), 0, 0), CoordinateColour(0, 0));
    EXPECT_EQ(small_->SurfaceCaptureBackBuffer(0, 0, 0, 0, 8, 8), 1);
    EXPECT_EQ(SurfacePixel(small_->GetDirect3DResource(), 7, 7), 0xFF112233u);
    EXPECT_EQ(SurfacePixel(small_->GetDirect3DResource(), 8, 8), CoordinateColour(8, 8));

    // The texture is in the render target's format: only the render target copies.
    EXPECT_EQ(texture->TextureCaptureBackBuffer(0, 0, 0, 0, 8, 8), 0);
    EXPECT_EQ(texture->TextureCaptureRenderTarget(4, 4, 60, 60, 80, 80), 1);  // clipped to 4 x 4
    const auto texel = [&](i32 x, i32 y) { return SurfacePixel(texture->GetDirect3DResource()->Level0(), x, y); };
    const auto backupTexel = [&](i32 x, i32 y) { return SurfacePixel(texture->GetBackup()->Level0(), x, y); };
    EXPECT_EQ(texel(4, 4), 0xFF445566u);
    EXPECT_EQ(texel(7, 7), 0xFF445566u);
    EXPECT_EQ(texel(8, 8), 0xFF000000u);
    EXPECT_EQ(texel(3, 3), 0xFF000000u);
    EXPECT_EQ(backupTexel(7, 7), 0xFF445566u);
    EXPECT_EQ(backupTexel(8, 8), 0xFF000000u);
    texture->TextureOnLostDevice();
    texture->TextureOnResetDevice();
    ASSERT_EQ(texture->TextureIsReady(), 1);
    EXPECT_EQ(texel(5, 5), 0xFF445566u);

    // And back: the texture drawn onto the render target at (50, 50), clipped to it.
    ClearScreen(0xFF000000u);
    EXPECT_EQ(texture->TextureDrawToRenderTarget(50, 50), 1);
    EXPECT_EQ(SurfacePixel(target, 54, 54), 0xFF445566u);
    EXPECT_EQ(SurfacePixel(target, 63, 63), 0xFF000000u);
    EXPECT_EQ(SurfacePixel(target, 49, 49), 0xFF000000u);
    EXPECT_EQ(texture->TextureDrawToRenderTarget(64, 0), 0);  // wholly outside

    Device()->SetRenderTarget(BackBuffer(), depth);
    if (depth) depth->Release();
    target->Release();
    texture->Release();
}

TEST_F(SurfaceTest, DepthBufferBecomesCurrentAndIsCurrentAgainAfterADeviceReset) {
    Surface* depth = CreateDepthBuffer(640, 480, nullptr);
    ASSERT_EQ(depth->ready, 1);
    EXPECT_EQ(depth->depthBuffer, 1);
    EXPECT_EQ(depth->GetFormat(), static_cast<u32>(gfx::D3DFMT_D16));
    ASSERT_EQ(depth->SurfaceSetDepthBuffer(), 1);
    EXPECT_EQ(GraphicsDeviceInfo().currentDepthBuffer, depth);
    // Blitting a depth buffer copies nothing.
    const u64 version = BackBuffer()->Version();
    depth->SurfaceBlit(0, 0, 0, 0, 100, 100);
    EXPECT_EQ(BackBuffer()->Version(), version);

    RestoreDevice(1);
    gfx::Direct3DSurface8* current = nullptr;
    ASSERT_EQ(Device()->GetDepthStencilSurface(&current), gfx::D3D_OK);
    EXPECT_EQ(current, depth->GetDirect3DResource());
    current->Release();
    // Image surfaces keep their pixels across the loss.
    ClearScreen(kBackground);
    side_->SurfaceBlit(0, 0, 0, 0, 120, 480);
    ExpectCopied(0, 0, 120, 480, 0, 0);

    depth->Release();
    EXPECT_EQ(GraphicsDeviceInfo().currentDepthBuffer, nullptr);
}

TEST_F(SurfaceTest, DepthBufferThatCannotBeMadeIsNotReady) {
    Surface* depth = CreateDepthBuffer(0, 480, nullptr);
    EXPECT_EQ(depth->ready, 0);
    EXPECT_EQ(depth->SurfaceSetDepthBuffer(), 0);
    Surface* picture = side_;
    EXPECT_EQ(picture->SurfaceSetDepthBuffer(), 0);  // not a depth buffer
}

TEST_F(SurfaceTest, VideoMemoryOfADepthBufferIsGivenBack) {
    const i32 use = GetVideoMemoryUse();
    Surface* depth = CreateDepthBuffer(640, 480, nullptr);
    EXPECT_EQ(GetVideoMemoryUse(), use + 640 * 480 * 2);
    depth->Release();
    EXPECT_EQ(GetVideoMemoryUse(), use);
}

// --- 2D drawing state -------------------------------------------------------

class Draw2DTest : public GraphicsTest {};

TEST_F(Draw2DTest, BeginSetsTheUntexturedStateAndTheLineIsDrawn) {
    SetRenderState(gfx::D3DRS_ZENABLE, 1);
    SetRenderState(gfx::D3DRS_ZWRITEENABLE, 1);
    SetRenderState(gfx::D3DRS_ALPHATESTENABLE, 1);
    SetRenderState(gfx::D3DRS_CULLMODE, gfx::D3DCULL_CCW);
    SetFillMode(1);
    ClearScreen(0);
    const i32 polygons = App().polygonCount;
    Begin2D(1);
    const GraphicsDeviceGlobals& info = GraphicsDeviceInfo();
    EXPECT_EQ(info.renderStateCache[gfx::D3DRS_ZENABLE], 0u);
    EXPECT_EQ(info.renderStateCache[gfx::D3DRS_ZWRITEENABLE], 0u);
    EXPECT_EQ(info.renderStateCache[gfx::D3DRS_ALPHATESTENABLE], 0u);
    EXPECT_EQ(info.renderStateCache[gfx::D3DRS_LIGHTING], 0u);
    EXPECT_EQ(info.renderStateCache[gfx::D3DRS_FOGENABLE], 0u);
    EXPECT_EQ(info.renderStateCache[gfx::D3DRS_CULLMODE], static_cast<u32>(gfx::D3DCULL_NONE));
    EXPECT_EQ(info.renderStateCache[gfx::D3DRS_FILLMODE], static_cast<u32>(gfx::D3DFILL_SOLID));
    EXPECT_EQ(info.renderStateCache[gfx::D3DRS_SHADEMODE], static_cast<u32>(gfx::D3DSHADE_GOURAUD));
    EXPECT_EQ(info.renderStateCache[gfx::D3DRS_SRCBLEND], static_cast<u32>(gfx::D3DBLEND_SRCALPHA));
    EXPECT_EQ(info.renderStateCache[gfx::D3DRS_DESTBLEND], static_cast<u32>(gfx::D3DBLEND_INVSRCALPHA));
    for (Texture* t : info.boundTextures) EXPECT_EQ(t, nullptr);
    gfx::DWORD shader = 0;
    Device()->GetVertexShader(&shader);
    EXPECT_EQ(shader, kVertex2DFormat);
    EXPECT_EQ(Current2DMode(), 1);

    DrawLine2D(0, 0, 639, 479, 0xFFFFFFFF);
    EXPECT_EQ(App().polygonCount, polygons + 1);
    u32 cache[256];
    std::memcpy(cache, info.renderStateCache, sizeof cache);
    Device()->ResetCallCounts();
    End2D();
    EXPECT_EQ(std::memcmp(cache, info.renderStateCache, sizeof cache), 0);
    EXPECT_EQ(Device()->CallCounts().draws, 0u);
    EXPECT_EQ(Device()->CallCounts().setRenderState, 0u);

    EXPECT_EQ(Pixel(0, 0), 0xFFFFFFu);
    EXPECT_EQ(Pixel(320, 240), 0xFFFFFFu);
    EXPECT_EQ(Pixel(639, 0), 0u);
    // The depth states stay off after End2D.
    EXPECT_EQ(info.renderStateCache[gfx::D3DRS_ZENABLE], 0u);
}

TEST_F(Draw2DTest, ModeThreeLeavesTheScreenAsItWasAndSubtractsWhatIsDrawn) {
    ClearScreen(0xFF604020u);
    const i32 polygons = App().polygonCount;
    Begin2D(3);
    EXPECT_EQ(GraphicsDeviceInfo().renderStateCache[gfx::D3DRS_DESTBLEND], static_cast<u32>(gfx::D3DBLEND_ONE));
    DrawLine2D(0, 10, 640, 10, 0xFF101010u);
    End2D();
    EXPECT_EQ(App().polygonCount, polygons + 2 + 1 + 2);
    EXPECT_EQ(Pixel(100, 100), 0x604020u);
    EXPECT_EQ(Pixel(100, 10), 0x503010u);
}

}  // namespace
