#include "engine/graphics/texture.h"

#include <gtest/gtest.h>

#include "engine/core/angle.h"
#include "engine/core/engine_math.h"
#include "engine/graphics/draw2d.h"
#include "engine/graphics/surface.h"
#include "engine/image/image.h"
#include "platform/gfx/present.h"
#include "tests/engine/graphics/graphics_fixture.h"

namespace {

using graphics_test::ArgbEntry;
using graphics_test::GraphicsTest;
namespace gfx = platform::gfx;

// Four quadrant colours of a 2 x 2 picture.
constexpr u32 kTopLeft = 0xFFFF0000u, kTopRight = 0xFF00FF00u, kBottomLeft = 0xFF0000FFu, kBottomRight = 0xFFFFFF00u;

class TextureTest : public GraphicsTest {
protected:
    std::string Quadrants() {
        return WriteArchive("quad.dat", {ArgbEntry("quad", 2, 2, {kTopLeft, kTopRight, kBottomLeft, kBottomRight}),
                                         ArgbEntry("big", 256, 256, std::vector<u32>(256 * 256, 0xFF808080u))});
    }
};

TEST_F(TextureTest, MissingArchiveOrEntryGivesATextureThatIsNotReadyAndDrawsNothing) {
    const std::string path = Quadrants();
    struct Case {
        std::string archive;
        const char* entry;
    } cases[] = {{path, "nothere"}, {(dir_.path() / "absent.dat").string(), "quad"}};
    for (const Case& c : cases) {
        Texture* t = CreateTexture(c.archive.c_str(), c.entry, 1, nullptr);
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(t->TextureIsReady(), 0);
        EXPECT_EQ(t->GetDirect3DResource(), nullptr);
        EXPECT_EQ(ResourceListGetHead(&TextureList()), t);  // still listed, newest first
        Device()->ResetCallCounts();
        const u64 version = BackBuffer()->Version();
        t->TextureDraw(Rect{0, 0, 64, 64}, 0, Rect{0, 0, 2, 2}, 0xFFFFFFFF, 0);
        t->TextureDrawRotated(Rect{0, 0, 64, 64}, 0, Rect{0, 0, 2, 2}, 100, 0xFFFFFFFF, 1);
        const i32 points[8] = {0, 0, 10, 0, 10, 10, 0, 10};
        t->TextureDrawQuad(points, 0, Rect{0, 0, 2, 2}, 0xFFFFFFFF, 3);
        EXPECT_EQ(Device()->CallCounts().draws, 0u);
        EXPECT_EQ(BackBuffer()->Version(), version);
        t->Release();
    }
    EXPECT_EQ(ResourceListGetCount(&TextureList()), 0u);
}

// A picture that does not load is said on standard error with its archive,
// its entry and why, once per entry however often it is asked for again (as
// a texture or a surface, in any case of its name).
TEST_F(TextureTest, AnEntryThatDoesNotLoadIsSaidOnceOnStandardError) {
    const std::string path = Quadrants();
    testing::internal::CaptureStderr();
    for (int i = 0; i < 3; ++i) CreateTexture(path.c_str(), "nothere", 1, nullptr)->Release();
    CreateSurface(path.c_str(), "NotHere", 1, nullptr)->Release();
    CreateTexture(path.c_str(), "quad", 1, nullptr)->Release();
    CreateTexture(path.c_str(), "other", 1, nullptr)->Release();
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(said, "tolvarin: the picture \"nothere\" of " + path + " did not load: Can't Load LAG File (" + path +
                        ": entry \"nothere\" not found)\n" + "tolvarin: the picture \"other\" of " + path +
                        " did not load: Can't Load LAG File (" + path + ": entry \"other\" not found)\n");
}

TEST_F(TextureTest, LoadsFromTheProgramFolderWhateverTheCurrentFolder) {
    Quadrants();
    std::filesystem::current_path(std::filesystem::temp_directory_path());
    Texture* t = CreateTexture("quad.dat", "QUAD", 1, nullptr);
    EXPECT_EQ(t->TextureIsReady(), 1);
    EXPECT_TRUE(std::filesystem::equivalent(std::filesystem::current_path(), dir_.path()));
}

TEST_F(TextureTest, ReadyTextureTakesTheImageSizeFormatAndScales) {
    const std::string path = Quadrants();
    Texture* t = CreateTexture(path.c_str(), "big", 1, nullptr);
    ASSERT_EQ(t->TextureIsReady(), 1);
    EXPECT_EQ(t->GetWidth(), 256);
    EXPECT_EQ(t->TextureGetImageWidth(), 256);
    EXPECT_EQ(t->GetFormat(), GetAlphaTextureFormat());
    EXPECT_FLOAT_EQ(t->TextureGetUScale(), 1.0f / 256.0f);
    EXPECT_EQ(GetVideoMemoryUse() > 256 * 256 * 4, true);
    const i32 before = GetVideoMemoryUse();
    t->Release();
    EXPECT_EQ(GetVideoMemoryUse(), before - 256 * 256 * 4);
}

TEST_F(TextureTest, DrawSendsTheCornersAndTextureCoordinatesOfTheRectangles) {
    const std::string path = Quadrants();
    Texture* t = CreateTexture(path.c_str(), "big", 1, nullptr);
    ASSERT_EQ(t->TextureIsReady(), 1);
    SpriteVertex v[4];
    t->TextureBuildVertices(Rect{10, 20, 42, 52}, 65536.0f, Rect{0, 0, 100, 60}, 0x80FF00FFu, v);
    const f32 x[4] = {9.5f, 41.5f, 41.5f, 9.5f}, y[4] = {19.5f, 19.5f, 51.5f, 51.5f};
    const f32 u[4] = {0.5f / 256, 99.5f / 256, 99.5f / 256, 0.5f / 256};
    const f32 w[4] = {0.5f / 256, 0.5f / 256, 59.5f / 256, 59.5f / 256};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(v[i].x, x[i]) << i;
        EXPECT_EQ(v[i].y, y[i]) << i;
        EXPECT_EQ(v[i].u, u[i]) << i;
        EXPECT_EQ(v[i].v, w[i]) << i;
        EXPECT_EQ(v[i].z, 1.0f);
        EXPECT_EQ(v[i].rhw, 1.0f);
        EXPECT_EQ(v[i].colour, 0x80FF00FFu);
    }
    t->TextureBuildVertices(Rect{10, 20, 42, 52}, 0.0f, Rect{0, 0, 100, 60}, 0, v);
    EXPECT_EQ(v[0].z, 0.0f);
    // The texel offset comes from the device layer.
    SetTextureOffset(0.0f);
    t->TextureBuildVertices(Rect{0, 0, 1, 1}, 0, Rect{0, 0, 256, 128}, 0, v);
    EXPECT_EQ(v[2].u, 1.0f);
    EXPECT_EQ(v[2].v, 0.5f);
}

TEST_F(TextureTest, DrawPutsTheSourceTexelsOntoTheDestinationRectangle) {
    const std::string path = Quadrants();
    Texture* t = CreateTexture(path.c_str(), "quad", 1, nullptr);
    ASSERT_EQ(t->TextureIsReady(), 1);
    PointFiltering();
    ClearScreen(0);
    Device()->ResetCallCounts();
    const i32 polygons = App().polygonCount;
    // Whole picture scaled 2 x 2 -> 8 x 8 at (10, 20).
    t->TextureDraw(Rect{10, 20, 18, 28}, 0, Rect{0, 0, 2, 2}, 0xFFFFFFFF, 0);
    EXPECT_EQ(Device()->CallCounts().draws, 1u);
    EXPECT_EQ(App().polygonCount, polygons + 2);
    EXPECT_EQ(GraphicsDeviceInfo().boundTextures[0], t);
    EXPECT_EQ(Pixel(10, 20), kTopLeft & 0xFFFFFF);
    EXPECT_EQ(Pixel(17, 20), kTopRight & 0xFFFFFF);
    EXPECT_EQ(Pixel(10, 27), kBottomLeft & 0xFFFFFF);
    EXPECT_EQ(Pixel(17, 27), kBottomRight & 0xFFFFFF);
    EXPECT_EQ(Pixel(9, 20), 0u);
    EXPECT_EQ(Pixel(18, 27), 0u);
    EXPECT_EQ(Pixel(10, 28), 0u);
    // One texel of the picture, the colour modulating it.
    t->TextureDraw(Rect{100, 100, 104, 104}, 0, Rect{1, 1, 2, 2}, 0xFF808080u, 0);
    EXPECT_EQ(Pixel(101, 102), 0x808000u);
}

TEST_F(TextureTest, RotatedDrawTurnsClockwiseAboutTheRectangleCentre) {
    const std::string path = Quadrants();
    Texture* t = CreateTexture(path.c_str(), "quad", 1, nullptr);
    PointFiltering();
    ClearScreen(0);
    t->TextureDrawRotated(Rect{100, 100, 140, 140}, 0, Rect{0, 0, 2, 2}, kAngleQuarterTurn, 0xFFFFFFFF, 0);
    // A quarter turn clockwise: the top-left quadrant goes to the top right,
    // the bottom-left one to the top left.
    EXPECT_EQ(Pixel(105, 105), kBottomLeft & 0xFFFFFF);
    EXPECT_EQ(Pixel(134, 105), kTopLeft & 0xFFFFFF);
    EXPECT_EQ(Pixel(134, 134), kTopRight & 0xFFFFFF);
    EXPECT_EQ(Pixel(105, 134), kBottomRight & 0xFFFFFF);

    // A full turn draws what angle 0 draws.
    ClearScreen(0);
    t->TextureDrawRotated(Rect{10, 10, 50, 30}, 0, Rect{0, 0, 2, 2}, 65536, 0xFFFFFFFF, 0);
    const u64 turned = gfx::HashSurface(BackBuffer());
    ClearScreen(0);
    t->TextureDraw(Rect{10, 10, 50, 30}, 0, Rect{0, 0, 2, 2}, 0xFFFFFFFF, 0);
    EXPECT_EQ(gfx::HashSurface(BackBuffer()), turned);
}

TEST_F(TextureTest, QuadDrawTakesTheCornersInTheOrderGiven) {
    const std::string path = Quadrants();
    Texture* t = CreateTexture(path.c_str(), "quad", 1, nullptr);
    PointFiltering();
    ClearScreen(0);
    // Corners given mirrored left to right.
    const i32 points[8] = {40, 0, 0, 0, 0, 40, 40, 40};
    t->TextureDrawQuad(points, 0, Rect{0, 0, 2, 2}, 0xFFFFFFFF, 0);
    EXPECT_EQ(Pixel(5, 5), kTopRight & 0xFFFFFF);
    EXPECT_EQ(Pixel(34, 5), kTopLeft & 0xFFFFFF);
    EXPECT_EQ(Pixel(5, 34), kBottomRight & 0xFFFFFF);
}

TEST_F(TextureTest, BlendModeThreeSubtractsTheSprite) {
    const std::string path = WriteArchive("grey.dat", {ArgbEntry("grey", 2, 2, std::vector<u32>(4, 0xFF303030u))});
    Texture* t = CreateTexture(path.c_str(), "grey", 1, nullptr);
    PointFiltering();
    ClearScreen(0xFF808080u);
    t->TextureDraw(Rect{0, 0, 20, 20}, 0, Rect{0, 0, 2, 2}, 0xFFFFFFFF, 3);
    EXPECT_EQ(Pixel(10, 10), 0x505050u);
    EXPECT_EQ(Pixel(30, 30), 0x808080u);  // the rest of the screen inverted twice
}

TEST_F(TextureTest, HalvesATextureThatDoesNotFitAndStretchesTheImageOverIt) {
    std::vector<u32> picture(512 * 512);
    for (i32 y = 0; y < 512; ++y)
        for (i32 x = 0; x < 512; ++x) picture[y * 512 + x] = x < 256 ? 0xFFFF0000u : 0xFF0000FFu;
    const std::string path = WriteArchive("large.dat", {ArgbEntry("large", 512, 512, picture, true)});
    // 1 MB: 512 x 512 x 4 bytes x 1.1 does not fit, 256 x 256 does.
    gfx::GraphicsEnvironment().availableTextureMemory = 1u << 20;
    Texture* t = CreateTexture(path.c_str(), "large", 1, nullptr);
    ASSERT_EQ(t->TextureIsReady(), 1);
    EXPECT_EQ(t->GetWidth(), 256);
    EXPECT_EQ(t->GetHeight(), 256);
    EXPECT_EQ(t->TextureGetImageWidth(), 512);
    EXPECT_FLOAT_EQ(t->TextureGetUScale(), 1.0f / 512.0f);
    PointFiltering();
    ClearScreen(0);
    t->TextureDraw(Rect{0, 0, 64, 64}, 0, Rect{0, 0, 512, 512}, 0xFFFFFFFF, 0);
    EXPECT_EQ(Pixel(10, 10), 0xFF0000u);
    EXPECT_EQ(Pixel(50, 10), 0x0000FFu);
}

TEST_F(TextureTest, HalvingDownToNothingEndsNotReady) {
    const std::string path = Quadrants();
    for (u32 memory : {0u, 1000u}) {
        gfx::GraphicsEnvironment().availableTextureMemory = memory;  // below 1 MB reads as 0 MB
        const i32 use = GetVideoMemoryUse();
        Texture* t = CreateTexture(path.c_str(), "big", 1, nullptr);
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(t->TextureIsReady(), 0);
        EXPECT_EQ(t->GetDirect3DResource(), nullptr);
        Device()->ResetCallCounts();
        t->TextureDraw(Rect{0, 0, 64, 64}, 0, Rect{0, 0, 2, 2}, 0xFFFFFFFF, 0);
        EXPECT_EQ(Device()->CallCounts().draws, 0u);
        t->Release();
        EXPECT_EQ(GetVideoMemoryUse(), use);
    }
}

TEST_F(TextureTest, SixteenBitTexturesAreDitheredIntoTheirFormat) {
    auto& globals = const_cast<GraphicsDeviceGlobals&>(GraphicsDeviceInfo());
    globals.preferFullColorTexture = 0;
    const std::string path = Quadrants();
    Texture* normal = CreateTexture(path.c_str(), "quad", 0, nullptr);
    Texture* alpha = CreateTexture(path.c_str(), "quad", 1, nullptr);
    ASSERT_EQ(normal->TextureIsReady(), 1);
    EXPECT_EQ(normal->GetFormat(), static_cast<u32>(gfx::D3DFMT_A1R5G5B5));
    EXPECT_EQ(alpha->GetFormat(), static_cast<u32>(gfx::D3DFMT_A4R4G4B4));
    gfx::D3DLOCKED_RECT rect;
    ASSERT_EQ(alpha->TextureLock(&rect), 1);
    EXPECT_EQ(*static_cast<const u16*>(rect.pBits), 0xFF00u);  // full red stays full, opaque
    alpha->TextureUnlock();
    EXPECT_EQ(alpha->locked, 0);
    EXPECT_EQ(alpha->TextureGetMemorySize(), 2 * 2 * 4);
}

TEST_F(TextureTest, DeviceLossRefillsTexturesFromTheirBackup) {
    const std::string path = Quadrants();
    Texture* t = CreateTexture(path.c_str(), "quad", 1, nullptr);
    PointFiltering();
    ClearScreen(0);
    t->TextureDraw(Rect{0, 0, 8, 8}, 0, Rect{0, 0, 2, 2}, 0xFFFFFFFF, 0);
    const u64 before = gfx::HashSurface(BackBuffer());
    gfx::Direct3DTexture8* old = t->GetDirect3DResource();
    ASSERT_NE(old, nullptr);

    Device()->SimulateDeviceLost();
    Present();  // lost: restores the device
    EXPECT_FALSE(Device()->IsLost());
    ASSERT_EQ(t->TextureIsReady(), 1);
    ASSERT_NE(t->GetDirect3DResource(), nullptr);
    ClearScreen(0);
    t->TextureDraw(Rect{0, 0, 8, 8}, 0, Rect{0, 0, 2, 2}, 0xFFFFFFFF, 0);
    EXPECT_EQ(gfx::HashSurface(BackBuffer()), before);
}

TEST_F(TextureTest, FailedRecreationAfterAResetLeavesTheTextureNotReady) {
    const std::string path = Quadrants();
    Texture* t = CreateTexture(path.c_str(), "quad", 1, nullptr);
    t->TextureOnLostDevice();
    EXPECT_EQ(t->GetDirect3DResource(), nullptr);
    gfx::GraphicsEnvironment().textureFormats.clear();
    t->TextureOnResetDevice();
    EXPECT_EQ(t->TextureIsReady(), 0);
    Device()->ResetCallCounts();
    t->TextureDraw(Rect{0, 0, 8, 8}, 0, Rect{0, 0, 2, 2}, 0xFFFFFFFF, 0);
    EXPECT_EQ(Device()->CallCounts().draws, 0u);
}

TEST_F(TextureTest, ReleasingABoundTextureClearsTheBindingCache) {
    const std::string path = Quadrants();
    Texture* first = CreateTexture(path.c_str(), "quad", 1, nullptr);
    first->TextureDraw(Rect{0, 0, 8, 8}, 0, Rect{0, 0, 2, 2}, 0xFFFFFFFF, 0);
    ASSERT_EQ(GraphicsDeviceInfo().boundTextures[0], first);
    first->Release();
    EXPECT_EQ(GraphicsDeviceInfo().boundTextures[0], nullptr);
    gfx::Direct3DBaseTexture8* bound = nullptr;
    Device()->GetTexture(0, &bound);
    EXPECT_EQ(bound, nullptr);
}

TEST_F(TextureTest, StretchAndRectangleTransfers) {
    u32 source[2 * 2] = {1, 2, 3, 4};
    u32 wide[4 * 2] = {};
    EXPECT_EQ(TransferPixels16(PixelBlock{wide, 16, 4, 2}, PixelBlock{source, 8, 2, 2}, gfx::D3DFMT_A8R8G8B8, nullptr),
              1);
    const u32 stretched[8] = {1, 1, 2, 2, 3, 3, 4, 4};
    EXPECT_EQ(std::vector<u32>(wide, wide + 8), std::vector<u32>(stretched, stretched + 8));
    EXPECT_EQ(
        TransferPixels16(PixelBlock{nullptr, 16, 4, 2}, PixelBlock{source, 8, 2, 2}, gfx::D3DFMT_A8R8G8B8, nullptr), 0);
    // A rectangle reaching past both blocks is clipped to them.
    u32 target[3 * 3] = {};
    EXPECT_EQ(TransferPixels(PixelBlock{target, 12, 3, 3}, 2, 2, PixelBlock{source, 8, 2, 2}, Rect{-1, -1, 5, 5},
                             gfx::D3DFMT_A8R8G8B8, nullptr),
              1);
    const u32 expected[9] = {0, 0, 0, 0, 0, 0, 0, 0, 0};
    // (-1, -1) of the source lands at (2, 2): source (0, 0) goes to (3, 3), outside.
    EXPECT_EQ(std::vector<u32>(target, target + 9), std::vector<u32>(expected, expected + 9));
    EXPECT_EQ(TransferPixels(PixelBlock{target, 12, 3, 3}, 1, 1, PixelBlock{source, 8, 2, 2}, Rect{0, 0, 2, 2},
                             gfx::D3DFMT_A8R8G8B8, nullptr),
              1);
    const u32 placed[9] = {0, 0, 0, 0, 1, 2, 0, 3, 4};
    EXPECT_EQ(std::vector<u32>(target, target + 9), std::vector<u32>(placed, placed + 9));
}

TEST_F(TextureTest, FillAndSaveBitmap) {
    const std::string path = Quadrants();
    Texture* t = CreateTexture(path.c_str(), "quad", 1, nullptr);
    ASSERT_EQ(t->TextureFill(0x00123456u), 1);
    PointFiltering();
    t->TextureDraw(Rect{0, 0, 4, 4}, 0, Rect{0, 0, 2, 2}, 0xFFFFFFFF, 0);
    EXPECT_EQ(Pixel(1, 1), 0x123456u);
    const std::string bmp = (dir_.path() / "shot.bmp").string();
    ASSERT_EQ(t->TextureSaveBitmap(bmp.c_str()), 1);
    std::ifstream in(bmp, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_EQ(bytes.size(), 14u + 40u + 2 * 2 * 4);
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(bytes[1], 'M');
    EXPECT_EQ(static_cast<u8>(bytes[54]), 0x56);
    EXPECT_EQ(static_cast<u8>(bytes[57]), 0xFF);
}

TEST_F(TextureTest, TextureFromAnImageFile) {
    const std::string png = (dir_.path() / "material.png").string();
    const std::uint8_t rgba[2 * 1 * 4] = {255, 0, 0, 255, 0, 0, 255, 255};
    ASSERT_TRUE(gfx::SaveRgbaPng(png, 2, 1, rgba));
    Texture* t = CreateTextureFromFile(png.c_str());
    ASSERT_EQ(t->TextureIsReady(), 1);
    EXPECT_EQ(t->TextureGetImageWidth(), 2);
    PointFiltering();
    ClearScreen(0);
    t->TextureDraw(Rect{0, 0, 8, 4}, 0, Rect{0, 0, 2, 1}, 0xFFFFFFFF, 0);
    EXPECT_EQ(Pixel(1, 1), 0xFF0000u);
    EXPECT_EQ(Pixel(6, 1), 0x0000FFu);
    Texture* missing = CreateTextureFromFile((dir_.path() / "none.png").string().c_str());
    EXPECT_EQ(missing->TextureIsReady(), 0);
}

TEST_F(TextureTest, ManagerReleasesEveryTextureAtTheEnd) {
    const std::string path = Quadrants();
    CreateTexture(path.c_str(), "quad", 1, nullptr);
    CreateTexture(path.c_str(), "missing", 1, nullptr);
    EXPECT_EQ(ResourceListGetCount(&TextureList()), 2u);
    DestroyTexture();
    EXPECT_EQ(ResourceListGetCount(&TextureList()), 0u);
}

TEST(ImageList, ImagesLiveInTheImageListUntilReleased) {
    const u32 count = ResourceListGetCount(&ImageList());
    Image* a = CreateImage();
    Image* b = CreateImage();
    EXPECT_EQ(ResourceListGetCount(&ImageList()), count + 2);
    EXPECT_EQ(ImageList().tail, b);
    a->Release();
    b->Release();
    EXPECT_EQ(ResourceListGetCount(&ImageList()), count);
}

}  // namespace
