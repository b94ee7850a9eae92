// Drawing on several threads (platform/gfx/draw_list.h) gives exactly the
// pixels of drawing on one: a scene that goes through every way the device
// hands drawing to the list or draws it at once (clears of colour and depth,
// depth-tested draws, render-target textures drawn and then sampled and drawn
// into again, textures rewritten and released while the list reads them,
// copies within rows, across rows and out of surfaces nothing draws into,
// lines, points and rotated sprites across the bands' edges) is drawn on one
// thread and on several, and every pixel of every surface it makes, and every
// value it reads on the way, is compared.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/gfx/draw_list.h"
#include "platform/gfx/present.h"
#include "tests/platform/gfx_fixture.h"

using namespace gfx_test;

namespace {

// Everything a scene leaves to compare: the frames it read back on the way
// and its surfaces' pixels at the end.
struct SceneResult {
    std::vector<std::uint32_t> readings;
    std::vector<std::vector<std::uint8_t>> surfaces;
};

std::vector<std::uint8_t> PixelsOf(gfx::Direct3DSurface8* s) {
    const std::uint8_t* bits = static_cast<const gfx::Direct3DSurface8*>(s)->Bits();
    return std::vector<std::uint8_t>(bits, bits + static_cast<std::size_t>(s->Pitch()) * s->Height());
}

class DrawThreadsTest : public GfxTest {
protected:
    // A size x size A8R8G8B8 render-target texture and its surface.
    gfx::Direct3DTexture8* RenderTargetTexture(std::uint32_t size, gfx::Direct3DSurface8*& level) {
        gfx::Direct3DTexture8* rt = nullptr;
        EXPECT_EQ(device_->CreateTexture(size, size, 1, gfx::D3DUSAGE_RENDERTARGET, gfx::D3DFMT_A8R8G8B8,
                                         gfx::D3DPOOL_DEFAULT, &rt),
                  gfx::D3D_OK);
        level = nullptr;
        if (rt) rt->GetSurfaceLevel(0, &level);
        return rt;
    }

    void TearDown() override {
        gfx::SetDrawThreads(1);
        GfxTest::TearDown();
    }

    // A new device, as SetUp makes it, for the next scene.
    void NewDevice() {
        GfxTest::TearDown();
        textures_.clear();
        device_ = nullptr;
        d3d_ = nullptr;
        GfxTest::SetUp();
    }

    std::uint32_t At(gfx::Direct3DSurface8* s, int x, int y) {
        std::uint32_t v;
        std::memcpy(&v, s->Bits() + y * s->Pitch() + x * 4, 4);
        return v;
    }

    SceneResult DrawScene() {
        SceneResult r;
        GameStates();
        gfx::Direct3DTexture8* pattern = PatternTexture();
        // A 16-bit texture: the device reads it through a converted copy.
        gfx::Direct3DTexture8* small = MakeTexture(16, 16, gfx::D3DFMT_A4R4G4B4, [](int x, int y) -> std::uint32_t {
            return 0x8000u | static_cast<std::uint32_t>((x * 15 / 16) << 8) | static_cast<std::uint32_t>(y * 15 / 16);
        });

        // Depth: a clear of colour and depth, two overlapping quads.
        gfx::Direct3DSurface8* depth = nullptr;
        EXPECT_EQ(device_->CreateDepthStencilSurface(640, 480, gfx::D3DFMT_D16, 0, &depth), gfx::D3D_OK);
        EXPECT_EQ(device_->SetRenderTarget(nullptr, depth), gfx::D3D_OK);
        device_->Clear(0, nullptr, gfx::D3DCLEAR_TARGET | gfx::D3DCLEAR_ZBUFFER, 0xFF102030u, 1.0f, 0);
        device_->SetRenderState(gfx::D3DRS_ZENABLE, 1);
        device_->SetRenderState(gfx::D3DRS_ZWRITEENABLE, 1);
        // clang-format off
        LineVertex nearQuad[4] = {{9.5f, 20.5f, 0.25f, 1, 0xFFFF0000u}, {300.5f, 25.5f, 0.25f, 1, 0xFF00FF00u},
                                  {290.5f, 300.5f, 0.25f, 1, 0xFF0000FFu}, {12.5f, 280.5f, 0.25f, 1, 0xFFFFFFFFu}};
        LineVertex farQuad[4] = {{100.5f, 90.5f, 0.75f, 1, 0xFF00FFFFu}, {400.5f, 95.5f, 0.75f, 1, 0xFF00FFFFu},
                                 {420.5f, 400.5f, 0.75f, 1, 0xFFFF00FFu}, {90.5f, 390.5f, 0.75f, 1, 0xFFFF00FFu}};
        // clang-format on
        device_->SetVertexShader(0x44);
        device_->DrawPrimitiveUP(gfx::D3DPT_TRIANGLEFAN, 2, nearQuad, sizeof(LineVertex));
        device_->DrawPrimitiveUP(gfx::D3DPT_TRIANGLEFAN, 2, farQuad, sizeof(LineVertex));
        device_->SetRenderState(gfx::D3DRS_ZENABLE, 0);
        EXPECT_EQ(device_->SetRenderTarget(nullptr, nullptr), gfx::D3D_OK);
        r.surfaces.push_back(PixelsOf(depth));
        depth->Release();

        // A render-target texture: cleared and drawn, sampled, drawn into
        // again while the list still samples it, sampled again.
        gfx::Direct3DSurface8* level = nullptr;
        gfx::Direct3DTexture8* rt = RenderTargetTexture(256, level);
        gfx::Direct3DSurface8* back = nullptr;
        device_->GetRenderTarget(&back);
        auto intoTexture = [&](std::uint32_t colour, double angle) {
            EXPECT_EQ(device_->SetRenderTarget(level, nullptr), gfx::D3D_OK);
            if (colour) Clear(colour);
            Sprite(pattern, {8, 8, 248, 248}, {0, 0, 32, 32}, 0xFFFFFFFFu, angle);
            EXPECT_EQ(device_->SetRenderTarget(back, nullptr), gfx::D3D_OK);
        };
        // Sprites in the top rows sample the whole texture: rows that other
        // bands draw.
        intoTexture(0xFF00FF00u, 0.3);
        // clang-format off
        for (int i = 0; i < 12; ++i) Sprite(rt, {20 + i * 45, 2 + i * 38, 84 + i * 45, 30 + i * 38}, {0, 0, 256, 256}, 0xFFFFFFFFu, i * 0.4);
        intoTexture(0, -0.7);  // drawn over, not cleared first
        for (int i = 0; i < 12; ++i) Sprite(rt, {600 - i * 45, 2 + i * 38, 664 - i * 45, 30 + i * 38}, {0, 0, 256, 256}, 0xC0FFFFFFu, i * 0.2);
        r.surfaces.push_back(PixelsOf(level));

        // Textures rewritten while the list reads them: the draws before see
        // the old texels, the draws after the new.
        for (gfx::Direct3DTexture8* t : {pattern, small}) {
            for (int i = 0; i < 40; ++i) Sprite(t, {i * 15, 200 + (i % 7) * 31, i * 15 + 40, 240 + (i % 7) * 31}, {0, 0, 16, 16}, 0xFFFFFFFFu, i * 0.15);
            gfx::D3DLOCKED_RECT lr;
            EXPECT_EQ(t->LockRect(0, &lr, nullptr, 0), gfx::D3D_OK);
            std::memset(lr.pBits, 0x5A, static_cast<std::size_t>(lr.Pitch) * 4);
            t->UnlockRect(0);
            for (int i = 0; i < 40; ++i) Sprite(t, {i * 15 + 7, 210 + (i % 5) * 37, i * 15 + 50, 250 + (i % 5) * 37}, {0, 0, 16, 16}, 0xFFFFFFFFu, -i * 0.1);
        }
        // Textures released while the list reads them (one read through its
        // converted copy): the list keeps their texels, nothing is drawn yet.
        gfx::Direct3DTexture8* brief = MakeTexture(8, 8, gfx::D3DFMT_A8R8G8B8, [](int x, int y) { return 0xFF000000u | static_cast<std::uint32_t>(x * 30 + y * 3000); });
        gfx::Direct3DTexture8* brief16 = MakeTexture(8, 8, gfx::D3DFMT_A4R4G4B4, [](int x, int y) { return 0xF000u | static_cast<std::uint32_t>(x * 0x110 + y * 0x11); });
        // clang-format on
        textures_.pop_back();
        textures_.pop_back();
        for (int i = 0; i < 20; ++i) Sprite(brief, {i * 30, 5, i * 30 + 28, 470}, {0, 0, 8, 8}, 0xFFFFFFFFu);
        for (int i = 0; i < 20; ++i)
            Sprite(brief16, {i * 30 + 9, 60, i * 30 + 40, 420}, {0, 0, 8, 8}, 0xA0FFFFFFu, i * 0.3);
        const std::uint64_t finishes = gfx::drawlist::Finishes();
        brief->Release();
        brief16->Release();
        EXPECT_EQ(gfx::drawlist::Finishes(), finishes) << "a release waited for the list";

        // Lines and points across many bands.
        std::vector<LineVertex> lines;
        for (int i = 0; i < 60; ++i) {
            lines.push_back({static_cast<float>(i * 10), 0.0f, 0, 1, 0xFFFFFF00u});
            lines.push_back({static_cast<float>(639 - i * 7), 479.0f, 0, 1, 0xFF00FFFFu});
        }
        Lines(lines);
        std::vector<LineVertex> points;
        for (int i = 0; i < 200; ++i)
            points.push_back(
                {static_cast<float>((i * 37) % 640), static_cast<float>((i * 71) % 480), 0, 1, 0xFFFF8000u});
        device_->SetVertexShader(0x44);
        device_->DrawPrimitiveUP(gfx::D3DPT_POINTLIST, static_cast<std::uint32_t>(points.size()), points.data(),
                                 sizeof(LineVertex));

        // A value read in the middle: what the list holds is drawn first.
        r.readings.push_back(At(Frame(), 320, 240));
        r.readings.push_back(At(Frame(), 5, 470));

        // Copies: rows of the frame to other rows of itself (drawn at once),
        // to the same rows of an image surface (in the list), and from an
        // image surface nothing draws into (in the list), which is then
        // rewritten.
        gfx::Direct3DSurface8* image = nullptr;
        EXPECT_EQ(device_->CreateImageSurface(640, 480, gfx::D3DFMT_X8R8G8B8, &image), gfx::D3D_OK);
        Sprite(pattern, {0, 100, 640, 380}, {0, 0, 32, 32}, 0x80FFFFFFu, 0.05);
        gfx::Direct3DSurface8* target = nullptr;
        EXPECT_EQ(device_->CreateRenderTarget(640, 480, gfx::D3DFMT_X8R8G8B8, 0, 0, &target), gfx::D3D_OK);
        gfx::RECT across{0, 40, 300, 140};
        gfx::POINT down{200, 300};
        EXPECT_EQ(device_->CopyRects(Frame(), &across, 1, target, &down), gfx::D3D_OK);
        EXPECT_EQ(device_->CopyRects(target, &across, 1, Frame(), &down), gfx::D3D_OK);
        r.surfaces.push_back(PixelsOf(target));
        target->Release();
        gfx::RECT same{100, 10, 500, 470};
        gfx::POINT sameAt{50, 10};
        EXPECT_EQ(device_->CopyRects(Frame(), &same, 1, image, &sameAt), gfx::D3D_OK);
        Sprite(small, {0, 0, 640, 480}, {0, 0, 16, 16}, 0x60FFFFFFu, 0.0);
        gfx::RECT from{0, 0, 200, 200};
        gfx::POINT to{400, 250};
        EXPECT_EQ(device_->CopyRects(image, &from, 1, Frame(), &to), gfx::D3D_OK);
        gfx::D3DLOCKED_RECT lr;
        EXPECT_EQ(image->LockRect(&lr, nullptr, 0), gfx::D3D_OK);
        std::memset(lr.pBits, 0x33, static_cast<std::size_t>(lr.Pitch) * 240);
        image->UnlockRect();
        gfx::RECT again{0, 100, 640, 380};
        EXPECT_EQ(device_->CopyRects(image, &again, 1, Frame(), nullptr), gfx::D3D_OK);
        Sprite(rt, {100, 100, 540, 380}, {0, 0, 256, 256}, 0x70FFFFFFu, 1.1);
        r.surfaces.push_back(PixelsOf(image));
        image->Release();

        EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), gfx::D3D_OK);
        r.surfaces.push_back(PixelsOf(Frame()));
        back->Release();
        level->Release();
        rt->Release();
        return r;
    }

    // Frames presented one after another with nothing shown, so that each
    // frame's list is drawn ahead while the next one is made; between the
    // presents everything that needs the pixels of the list in flight (a
    // picture hash and a screenshot of the back buffer, locks of textures it
    // samples, a render-target texture it draws into sampled, copied out and
    // cleared, and, when `switchTo` is set, a change of the number of
    // threads) and textures it samples released (the list keeps their
    // texels) and made again.
    SceneResult DrawFrames(int switchTo) {
        SceneResult r;
        GameStates();
        gfx::Direct3DTexture8* pattern = PatternTexture();
        gfx::Direct3DSurface8* level = nullptr;
        gfx::Direct3DTexture8* rt = RenderTargetTexture(128, level);
        gfx::Direct3DSurface8* back = nullptr;
        device_->GetRenderTarget(&back);
        auto present = [&] {
            EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), gfx::D3D_OK);
            if (gfx::DrawThreads() > 1) {
                EXPECT_TRUE(gfx::drawlist::InFlight());
            }
        };
        for (int frame = 0; frame < 6; ++frame) {
            const std::uint32_t f = static_cast<std::uint32_t>(frame);
            // A texture that lives one frame: released while the list that
            // samples it may still be drawing, then made again.
            gfx::Direct3DTexture8* brief = MakeTexture(8, 8, gfx::D3DFMT_A8R8G8B8, [f](int x, int y) {
                return 0xFF000000u | (static_cast<std::uint32_t>(x * 30 + y * 3000) + f * 0x10101u);
            });
            textures_.pop_back();
            EXPECT_EQ(device_->SetRenderTarget(level, nullptr), gfx::D3D_OK);
            Clear(0xFF000000u | f * 0x203040u);
            Sprite(pattern, {4, 4, 124, 124}, {0, 0, 32, 32}, 0xFFFFFFFFu, frame * 0.3);
            EXPECT_EQ(device_->SetRenderTarget(back, nullptr), gfx::D3D_OK);
            Clear(0xFF101010u * (f + 1));
            for (int i = 0; i < 16; ++i) {
                Sprite(rt, {i * 40, i * 29, i * 40 + 90, i * 29 + 70}, {0, 0, 128, 128}, 0xFFFFFFFFu, i * 0.2 + frame);
                Sprite(brief, {600 - i * 37, i * 30, 640 - i * 37, i * 30 + 40}, {0, 0, 8, 8}, 0xC0FFFFFFu, -i * 0.1);
                Sprite(pattern, {i * 41, 470 - i * 30, i * 41 + 33, 480 - i * 29}, {0, 0, 32, 32}, 0xFFFFFFFFu);
            }
            present();
            brief->Release();
            // The list in flight keeps the released texels: no wait for it.
            if (gfx::DrawThreads() > 1) {
                EXPECT_TRUE(gfx::drawlist::InFlight());
            }
            switch (frame) {
                case 0:
                    // The picture hash and a screenshot of the frame in flight.
                    r.readings.push_back(static_cast<std::uint32_t>(gfx::HashSurface(Frame())));
                    r.surfaces.push_back(gfx::SurfaceToRgba(Frame()));
                    break;
                case 1: {
                    // A texture the list samples, rewritten.
                    gfx::D3DLOCKED_RECT lr;
                    EXPECT_EQ(pattern->LockRect(0, &lr, nullptr, 0), gfx::D3D_OK);
                    std::memset(lr.pBits, 0x3C + frame, static_cast<std::size_t>(lr.Pitch) * 8);
                    pattern->UnlockRect(0);
                    break;
                }
                case 2: {
                    // A copy out of the render-target texture the list draws.
                    gfx::Direct3DSurface8* image = nullptr;
                    EXPECT_EQ(device_->CreateImageSurface(128, 128, gfx::D3DFMT_A8R8G8B8, &image), gfx::D3D_OK);
                    EXPECT_EQ(device_->CopyRects(level, nullptr, 0, image, nullptr), gfx::D3D_OK);
                    r.surfaces.push_back(PixelsOf(image));
                    image->Release();
                    break;
                }
                case 3:
                    if (switchTo) gfx::SetDrawThreads(switchTo);
                    break;
                case 4:
                    // A render target released with its list in flight, and the
                    // back buffer read through a lock.
                    level->Release();
                    level = nullptr;
                    rt->Release();
                    rt = RenderTargetTexture(128, level);
                    r.readings.push_back(At(Frame(), 320, 240));
                    break;
                default: break;
            }
        }
        r.surfaces.push_back(PixelsOf(level));
        r.surfaces.push_back(PixelsOf(Frame()));
        back->Release();
        level->Release();
        rt->Release();
        return r;
    }
};

TEST_F(DrawThreadsTest, SeveralThreadsDrawThePixelsOfOne) {
    EXPECT_EQ(gfx::DrawThreads(), 1);
    const std::uint64_t before = gfx::drawlist::Finishes();
    const SceneResult one = DrawScene();
    EXPECT_EQ(gfx::drawlist::Finishes(), before) << "one thread draws at once";
    for (int threads : {1, 2, 4, 7}) {
        SCOPED_TRACE(std::to_string(threads) + " threads");
        NewDevice();
        gfx::SetDrawThreads(threads);
        EXPECT_EQ(gfx::DrawThreads(), threads);
        const std::uint64_t finishes = gfx::drawlist::Finishes(), bands = gfx::drawlist::BandsDrawn();
        const SceneResult many = DrawScene();
        if (threads > 1) {
            EXPECT_GT(gfx::drawlist::Finishes(), finishes + 3);
            EXPECT_GT(gfx::drawlist::BandsDrawn(), bands + 15);
        }
        EXPECT_EQ(many.readings, one.readings);
        ASSERT_EQ(many.surfaces.size(), one.surfaces.size());
        for (std::size_t i = 0; i < one.surfaces.size(); ++i) {
            ASSERT_EQ(many.surfaces[i].size(), one.surfaces[i].size());
            const auto [a, b] = std::mismatch(one.surfaces[i].begin(), one.surfaces[i].end(), many.surfaces[i].begin());
            EXPECT_TRUE(a == one.surfaces[i].end())
                << "surface " << i << " differs first at byte " << (a - one.surfaces[i].begin());
        }
    }
}

void ExpectSame(const SceneResult& many, const SceneResult& one) {
    EXPECT_EQ(many.readings, one.readings);
    ASSERT_EQ(many.surfaces.size(), one.surfaces.size());
    for (std::size_t i = 0; i < one.surfaces.size(); ++i) {
        ASSERT_EQ(many.surfaces[i].size(), one.surfaces[i].size());
        const auto [a, b] = std::mismatch(one.surfaces[i].begin(), one.surfaces[i].end(), many.surfaces[i].begin());
        EXPECT_TRUE(a == one.surfaces[i].end())
            << "surface " << i << " differs first at byte " << (a - one.surfaces[i].begin());
    }
}

// Frames drawn ahead (the device shows nothing): everything read between the
// presents, and the surfaces at the end, are those of one thread, also when
// the number of threads changes with a list in flight.
TEST_F(DrawThreadsTest, FramesDrawnAheadGiveThePixelsOfOne) {
    const std::uint64_t ahead = gfx::drawlist::DrawnAhead();
    const SceneResult one = DrawFrames(0);
    EXPECT_EQ(gfx::drawlist::DrawnAhead(), ahead) << "one thread draws at once";
    struct Case {
        int threads, switchTo;
    };
    for (const Case c : {Case{2, 0}, Case{6, 0}, Case{7, 3}, Case{4, 1}}) {
        SCOPED_TRACE(std::to_string(c.threads) + " threads, then " + std::to_string(c.switchTo));
        NewDevice();
        gfx::SetDrawThreads(c.threads);
        const std::uint64_t before = gfx::drawlist::DrawnAhead();
        ExpectSame(DrawFrames(c.switchTo), one);
        // Every present drew ahead while there were threads to draw.
        EXPECT_EQ(gfx::drawlist::DrawnAhead() - before, c.switchTo == 1 ? 4u : 6u);
        EXPECT_FALSE(gfx::drawlist::InFlight()) << "reading the back buffer waited for the list";
    }
}

}  // namespace
