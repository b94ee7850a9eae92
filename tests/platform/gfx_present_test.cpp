// Showing frames: the window shows a surface's colours in every format (32-bit
// ones uploaded as they are), and a headless run uploads nothing. With drawing
// off (--no-draw), draws, clears and copies into render targets answer as
// they would but leave every pixel alone.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/gfx/device.h"
#include "platform/gfx/present.h"
#include "platform/gfx/raster.h"
#include "platform/window.h"
#include "tests/platform/gfx_fixture.h"

using namespace gfx_test;

namespace {

void IgnoreMessages(const platform::Msg&) {}

constexpr int kWidth = 64, kHeight = 48;

// A device and a window of kWidth x kHeight, headless or not (SDL's dummy
// driver either way).
class PresentTest : public GfxTest {
protected:
    void Start(bool headless) {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        std::string error;
        ASSERT_TRUE(platform::InitVideo(headless, error)) << error;
        platform::WindowDesc desc;
        desc.clientWidth = kWidth;
        desc.clientHeight = kHeight;
        ASSERT_TRUE(platform::CreateMainWindow(desc, IgnoreMessages));
        window_ = static_cast<SDL_Window*>(platform::NativeWindow());
        ASSERT_NE(window_, nullptr);
    }
    void TearDown() override {
        gfx::ReleasePresenter();
        GfxTest::TearDown();
        platform::DestroyMainWindow();
        platform::ShutdownVideo();
    }

    // An image surface of `format` filled with bytes that differ from pixel
    // to pixel in every channel.
    gfx::Direct3DSurface8* PatternSurface(gfx::D3DFORMAT format) {
        gfx::Direct3DSurface8* s = nullptr;
        EXPECT_EQ(device_->CreateImageSurface(kWidth, kHeight, format, &s), gfx::D3D_OK);
        if (!s) return nullptr;
        gfx::D3DLOCKED_RECT lr;
        EXPECT_EQ(s->LockRect(&lr, nullptr, 0), gfx::D3D_OK);
        std::uint32_t seed = 12345;
        const int rowBytes = kWidth * gfx::raster::BytesPerPixel(format);
        for (int y = 0; y < kHeight; ++y) {
            auto* row = static_cast<std::uint8_t*>(lr.pBits) + y * lr.Pitch;
            for (int x = 0; x < rowBytes; ++x) {
                seed = seed * 1103515245u + 12345u;
                row[x] = static_cast<std::uint8_t>(seed >> 16);
            }
        }
        s->UnlockRect();
        surfaces_.push_back(s);
        return s;
    }

    // What the window shows, as 8-bit R, G, B per pixel.
    std::vector<std::uint8_t> Shown() {
        SDL_Renderer* renderer = SDL_GetRenderer(window_);
        EXPECT_NE(renderer, nullptr);
        std::vector<std::uint32_t> argb(static_cast<std::size_t>(kWidth) * kHeight);
        std::vector<std::uint8_t> rgb;
        if (!renderer) return rgb;
        EXPECT_EQ(SDL_RenderReadPixels(renderer, nullptr, SDL_PIXELFORMAT_ARGB8888, argb.data(), kWidth * 4), 0)
            << SDL_GetError();
        for (std::uint32_t c : argb) {
            rgb.push_back(static_cast<std::uint8_t>(c >> 16));
            rgb.push_back(static_cast<std::uint8_t>(c >> 8));
            rgb.push_back(static_cast<std::uint8_t>(c));
        }
        return rgb;
    }

    static std::vector<std::uint8_t> Rgb(const gfx::Direct3DSurface8* s) {
        std::vector<std::uint8_t> rgba = gfx::SurfaceToRgba(s), rgb;
        for (std::size_t i = 0; i < rgba.size(); i += 4) rgb.insert(rgb.end(), &rgba[i], &rgba[i] + 3);
        return rgb;
    }

    SDL_Window* window_ = nullptr;
    std::vector<gfx::Direct3DSurface8*> surfaces_;

public:
    ~PresentTest() override {
        for (gfx::Direct3DSurface8* s : surfaces_) s->Release();
    }
};

TEST_F(PresentTest, TheWindowShowsTheColoursOfEveryFormat) {
    Start(true);
    for (gfx::D3DFORMAT format : {gfx::D3DFMT_X8R8G8B8, gfx::D3DFMT_A8R8G8B8, gfx::D3DFMT_R5G6B5, gfx::D3DFMT_X1R5G5B5,
                                  gfx::D3DFMT_A1R5G5B5, gfx::D3DFMT_X4R4G4B4, gfx::D3DFMT_A4R4G4B4}) {
        SCOPED_TRACE(format);
        gfx::Direct3DSurface8* s = PatternSurface(format);
        ASSERT_NE(s, nullptr);
        ASSERT_TRUE(gfx::PresentSurface(window_, s)) << SDL_GetError();
        EXPECT_EQ(Shown(), Rgb(s));
    }
    // Depth surfaces are not pictures.
    gfx::Direct3DSurface8* depth = nullptr;
    ASSERT_EQ(device_->CreateDepthStencilSurface(kWidth, kHeight, gfx::D3DFMT_D16_LOCKABLE, 0, &depth), gfx::D3D_OK);
    EXPECT_FALSE(gfx::PresentSurface(window_, depth));
    depth->Release();
}

TEST_F(PresentTest, AHeadlessPresentUploadsNothing) {
    Start(true);
    ASSERT_TRUE(platform::IsHeadless());
    EXPECT_EQ(device_->Present(nullptr, nullptr, window_, nullptr), gfx::D3D_OK);
    EXPECT_EQ(device_->CallCounts().presents, 1u);
    EXPECT_EQ(SDL_GetRenderer(window_), nullptr);
}

TEST_F(PresentTest, AWindowShowsTheBackBuffer) {
    Start(false);
    Clear(0xFF336699u);
    EXPECT_EQ(device_->Present(nullptr, nullptr, window_, nullptr), gfx::D3D_OK);
    ASSERT_NE(SDL_GetRenderer(window_), nullptr);
    // The window shows the back buffer's top-left corner scaled down to its size.
    std::vector<std::uint8_t> shown = Shown();
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown[0], 0x33);
    EXPECT_EQ(shown[1], 0x66);
    EXPECT_EQ(shown[2], 0x99);
}

class DrawingOffTest : public GfxTest {
protected:
    void TearDown() override {
        gfx::SetDrawingEnabled(true);
        GfxTest::TearDown();
    }
    std::vector<std::uint8_t> Pixels() {
        const std::uint8_t* b = Frame()->Bits();
        return std::vector<std::uint8_t>(b, b + static_cast<std::size_t>(Frame()->Pitch()) * Frame()->Height());
    }
};

TEST_F(DrawingOffTest, TargetsKeepTheirPixelsAndCallsAnswerAsTheyWould) {
    Clear(0xFF204060u);
    gfx::Direct3DTexture8* tex = PatternTexture();
    Sprite(tex, {10, 10, 42, 42}, {0, 0, 32, 32}, 0xFFFFFFFFu);
    const std::vector<std::uint8_t> before = Pixels();
    gfx::Direct3DSurface8* picture = nullptr;
    ASSERT_EQ(device_->CreateImageSurface(640, 480, gfx::D3DFMT_X8R8G8B8, &picture), gfx::D3D_OK);
    device_->ResetCallCounts();

    gfx::SetDrawingEnabled(false);
    EXPECT_FALSE(gfx::DrawingEnabled());
    Clear(0xFFFFFFFFu);
    Sprite(tex, {0, 0, 640, 480}, {0, 0, 32, 32}, 0xFFFFFFFFu, 0.3);
    EXPECT_EQ(device_->CopyRects(picture, nullptr, 0, Frame(), nullptr), gfx::D3D_OK);
    EXPECT_EQ(Pixels(), before);
    EXPECT_EQ(device_->CallCounts().clears, 1u);
    EXPECT_EQ(device_->CallCounts().draws, 1u);
    // Bad calls are refused as before.
    gfx::RECT outside{600, 0, 700, 10};
    EXPECT_EQ(device_->CopyRects(picture, &outside, 1, Frame(), nullptr), gfx::D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->SetVertexShader(0x144), gfx::D3D_OK);
    EXPECT_EQ(device_->DrawPrimitiveUP(gfx::D3DPT_TRIANGLELIST, 1, nullptr, sizeof(SpriteVertex)),
              gfx::D3DERR_INVALIDCALL);
    // Copies into surfaces that are not drawn on (loading pictures) still copy.
    gfx::Direct3DSurface8* copy = nullptr;
    ASSERT_EQ(device_->CreateImageSurface(640, 480, gfx::D3DFMT_X8R8G8B8, &copy), gfx::D3D_OK);
    ASSERT_EQ(device_->CopyRects(Frame(), nullptr, 0, copy, nullptr), gfx::D3D_OK);
    EXPECT_EQ(std::memcmp(copy->Bits(), before.data(), before.size()), 0);

    gfx::SetDrawingEnabled(true);
    Clear(0xFFFFFFFFu);
    EXPECT_NE(Pixels(), before);
    copy->Release();
    picture->Release();
}

}  // namespace
