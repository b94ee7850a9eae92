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
        const std::string path = WriteArchive(
            "pics.dat", {ArgbEntry("side", 640, 480, CoordinatePicture(640, 480), true),
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
                    ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << std::hex << Pixel(x, y)
                                  << ", expected " << want;
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
