// Frames of the software device on one core:
//  (a) four full-screen 640 x 480 surface copies and 500 axis-aligned 32 x 32
//      alpha-blended sprites (goal: under 1.5 ms),
//  (b) 2,000 rotated 16 x 16 alpha-blended bilinear sprites (under 3 ms),
//  (c) the star field: 400 lines, 200 stars of two lines each (under 0.2 ms),
//  (d) the stage background: three 400 x 480 layers of a 512 x 512 texture
//      turned a quarter, their coordinates running past its edges (wrap),
//      alpha-blended, as the first stage's meshes lie (under 1.5 ms),
//  (e) presenting the 640 x 480 X8R8G8B8 back buffer in a window of its size:
//      with SDL's dummy video driver and software renderer (the upload and
//      the copy to the window's surface; under 0.5 ms), and in a real window
//      on the display (run under xvfb-run where there is none).
// The device runs with the game's states: no culling, alpha blending, stage 0
// texture x diffuse, bilinear filtering, sprites drawn as the engine's texture
// draw does (corners at integer edges - 0.5, source inset by half a texel).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/gfx/device.h"
#include "platform/gfx/present.h"
#include "platform/gfx/raster.h"
#include "platform/window.h"

namespace gfx = platform::gfx;

namespace {

struct SpriteVertex {
    float x, y, z, rhw;
    std::uint32_t colour;
    float u, v;
};

struct LineVertex {
    float x, y, z, rhw;
    std::uint32_t colour;
};

class Scene {
public:
    Scene() {
        d3d_ = gfx::Direct3DCreate8(gfx::D3D_SDK_VERSION);
        gfx::D3DPRESENT_PARAMETERS pp;
        pp.BackBufferWidth = 640;
        pp.BackBufferHeight = 480;
        pp.BackBufferFormat = gfx::D3DFMT_X8R8G8B8;
        pp.BackBufferCount = 1;
        pp.SwapEffect = gfx::D3DSWAPEFFECT_COPY;
        pp.Windowed = 1;
        pp.Flags = gfx::D3DPRESENTFLAG_LOCKABLE_BACKBUFFER;
        d3d_->CreateDevice(0, gfx::D3DDEVTYPE_HAL, nullptr, gfx::D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &device_);
        device_->SetRenderState(gfx::D3DRS_CULLMODE, gfx::D3DCULL_NONE);
        device_->SetRenderState(gfx::D3DRS_LIGHTING, 0);
        device_->SetRenderState(gfx::D3DRS_ALPHABLENDENABLE, 1);
        device_->SetRenderState(gfx::D3DRS_SRCBLEND, gfx::D3DBLEND_SRCALPHA);
        device_->SetRenderState(gfx::D3DRS_DESTBLEND, gfx::D3DBLEND_INVSRCALPHA);
        device_->SetTextureStageState(0, gfx::D3DTSS_COLOROP, gfx::D3DTOP_MODULATE);
        device_->SetTextureStageState(0, gfx::D3DTSS_ALPHAOP, gfx::D3DTOP_MODULATE);
        device_->SetTextureStageState(0, gfx::D3DTSS_MAGFILTER, gfx::D3DTEXF_LINEAR);
        device_->SetTextureStageState(0, gfx::D3DTSS_MINFILTER, gfx::D3DTEXF_LINEAR);
        // A 256 x 256 sprite sheet in the game's alpha texture format.
        device_->CreateTexture(256, 256, 1, 0, gfx::D3DFMT_A4R4G4B4, gfx::D3DPOOL_MANAGED, &sheet_);
        gfx::D3DLOCKED_RECT lr;
        sheet_->LockRect(0, &lr, nullptr, 0);
        for (int y = 0; y < 256; ++y) {
            for (int x = 0; x < 256; ++x) {
                std::uint16_t v =
                    static_cast<std::uint16_t>(((x ^ y) & 0xF) << 12 | (x & 0xF) << 8 | (y & 0xF) << 4 | 7);
                std::memcpy(static_cast<std::uint8_t*>(lr.pBits) + y * lr.Pitch + x * 2, &v, 2);
            }
        }
        sheet_->UnlockRect(0);
        // A 512 x 512 background picture, partly transparent.
        device_->CreateTexture(512, 512, 1, 0, gfx::D3DFMT_A8R8G8B8, gfx::D3DPOOL_MANAGED, &ground_);
        ground_->LockRect(0, &lr, nullptr, 0);
        for (int y = 0; y < 512; ++y) {
            for (int x = 0; x < 512; ++x) {
                std::uint32_t v = ((x / 64 + y / 64) % 3 == 0 ? 0x80000000u : 0xFF000000u) |
                                  static_cast<std::uint32_t>(x / 2) << 16 | static_cast<std::uint32_t>(y / 2) << 8 |
                                  static_cast<std::uint32_t>((x ^ y) & 0xFF);
                std::memcpy(static_cast<std::uint8_t*>(lr.pBits) + y * lr.Pitch + x * 4, &v, 4);
            }
        }
        ground_->UnlockRect(0);
        device_->CreateImageSurface(640, 480, gfx::D3DFMT_X8R8G8B8, &picture_);
        device_->GetBackBuffer(0, gfx::D3DBACKBUFFER_TYPE_MONO, &back_);
    }
    ~Scene() {
        back_->Release();
        picture_->Release();
        ground_->Release();
        sheet_->Release();
        device_->Release();
        d3d_->Release();
    }

    void Sprite(int x, int y, int size, int sx, int sy, double angle, std::uint32_t colour) {
        const float t = 256.0f;
        float uL = (sx + 0.5f) / t, uR = (sx + size - 0.5f) / t, vT = (sy + 0.5f) / t, vB = (sy + size - 0.5f) / t;
        SpriteVertex v[4] = {{x - 0.5f, y - 0.5f, 0, 1, colour, uL, vT},
                             {x + size - 0.5f, y - 0.5f, 0, 1, colour, uR, vT},
                             {x + size - 0.5f, y + size - 0.5f, 0, 1, colour, uR, vB},
                             {x - 0.5f, y + size - 0.5f, 0, 1, colour, uL, vB}};
        if (angle != 0.0) {
            float cx = x + size * 0.5f, cy = y + size * 0.5f;
            float c = static_cast<float>(std::cos(angle)), s = static_cast<float>(std::sin(angle));
            for (SpriteVertex& p : v) {
                float px = p.x - cx, py = p.y - cy;
                p.x = c * px - s * py + cx;
                p.y = s * px + c * py + cy;
            }
        }
        device_->SetTexture(0, sheet_);
        device_->SetVertexShader(0x144);
        device_->DrawPrimitiveUP(gfx::D3DPT_TRIANGLEFAN, 2, v, sizeof(SpriteVertex));
    }

    void FrameA() {
        for (int i = 0; i < 4; ++i) device_->CopyRects(picture_, nullptr, 0, back_, nullptr);
        for (int i = 0; i < 500; ++i) {
            Sprite(120 + (i * 37) % 368, (i * 53) % 448, 32, (i % 8) * 32, ((i / 8) % 8) * 32, 0.0, 0xFFFFFFFFu);
        }
    }

    void FrameB() {
        for (int i = 0; i < 2000; ++i) {
            Sprite(120 + (i * 37) % 384, (i * 53) % 464, 16, (i % 16) * 16, ((i / 16) % 16) * 16, i * 0.0123 + 0.1,
                   0xFFFFFFFFu);
        }
    }

    void FrameC() {
        std::uint32_t seed = 1;
        auto next = [&seed] {
            seed = seed * 214013u + 2531011u;
            return (seed >> 16) & 0x7FFF;
        };
        stars_.clear();
        for (int i = 0; i < 200; ++i) {
            float x = 120.0f + static_cast<float>(next() % 400), y = static_cast<float>(next() % 480);
            std::uint32_t c = 0x80000000u | 0x808080u;
            stars_.push_back({x, y, 0, 1, c});
            stars_.push_back({x, y + 4, 0, 1, c});
            stars_.push_back({x - 2, y + 2, 0, 1, c});
            stars_.push_back({x + 2, y + 2, 0, 1, c});
        }
        device_->SetTexture(0, nullptr);
        device_->SetVertexShader(0x44);
        device_->DrawPrimitiveUP(gfx::D3DPT_LINELIST, 400, stars_.data(), sizeof(LineVertex));
    }

    // Layers scrolled by `scroll` texels: u runs down the screen and v to the
    // left, both past the texture's edges, in strips of triangles.
    void FrameD(float scroll) {
        device_->SetTexture(0, ground_);
        device_->SetVertexShader(0x144);
        for (int layer = 0; layer < 3; ++layer) {
            const float offset = scroll * (layer + 1) + layer * 97.0f;
            SpriteVertex strip[2 * 7];
            for (int i = 0; i < 7; ++i) {
                float y = -0.5f + 80.0f * i;
                float u = (y + offset) / 512.0f * 0.99f;
                strip[2 * i] = {119.5f, y, 0, 1, 0xFFFFFFFFu, u, 1.9f};
                strip[2 * i + 1] = {519.5f, y, 0, 1, 0xFFFFFFFFu, u + 0.0001f, 1.9f - 400.0f / 512.0f};
            }
            device_->DrawPrimitiveUP(gfx::D3DPT_TRIANGLESTRIP, 12, strip, sizeof(SpriteVertex));
        }
    }

    gfx::Direct3DSurface8* BackBuffer() { return back_; }

private:
    gfx::Direct3D8* d3d_ = nullptr;
    gfx::Direct3DDevice8* device_ = nullptr;
    gfx::Direct3DTexture8* sheet_ = nullptr;
    gfx::Direct3DTexture8* ground_ = nullptr;
    gfx::Direct3DSurface8* picture_ = nullptr;
    gfx::Direct3DSurface8* back_ = nullptr;
    std::vector<LineVertex> stars_;
};

// The frames below run on every span path the processor has (the argument:
// 1 SSE2, 2 AVX2, 3 AVX-512; the best one is what the game uses).
void UsePath(benchmark::State& state) {
    const auto path = static_cast<gfx::raster::SpanPath>(state.range(0));
    if (!gfx::raster::UseSpanPath(path)) state.SkipWithError("the processor lacks this span path");
}

void Paths(benchmark::internal::Benchmark* b) {
    for (int path = 1; path <= 3; ++path) b->Arg(path);
}

void BM_CopiesAndSprites(benchmark::State& state) {
    UsePath(state);
    Scene scene;
    for (auto _ : state) scene.FrameA();
}
BENCHMARK(BM_CopiesAndSprites)->Apply(Paths)->Unit(benchmark::kMillisecond);

void BM_RotatedSprites(benchmark::State& state) {
    UsePath(state);
    Scene scene;
    for (auto _ : state) scene.FrameB();
}
BENCHMARK(BM_RotatedSprites)->Apply(Paths)->Unit(benchmark::kMillisecond);

void BM_StarLines(benchmark::State& state) {
    Scene scene;
    for (auto _ : state) scene.FrameC();
}
BENCHMARK(BM_StarLines)->Unit(benchmark::kMillisecond);

void BM_StageBackground(benchmark::State& state) {
    UsePath(state);
    Scene scene;
    float scroll = 0.0f;
    for (auto _ : state) {
        scene.FrameD(scroll);
        scroll += 1.5f;
    }
}
BENCHMARK(BM_StageBackground)->Apply(Paths)->Unit(benchmark::kMillisecond);

void IgnoreMessages(const platform::Msg&) {}

// state.range(0): 1 the dummy driver (headless), 0 a real window on the
// display (skipped without one; under Xvfb: xvfb-run bench_raster).
void BM_Present(benchmark::State& state) {
    const bool headless = state.range(0) != 0;
    if (!headless && !std::getenv("DISPLAY")) {
        state.SkipWithError("no display (run under xvfb-run)");
        return;
    }
    std::string error;
    if (!platform::InitVideo(headless, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    platform::WindowDesc desc;
    if (!platform::CreateMainWindow(desc, IgnoreMessages)) {
        state.SkipWithError("no window");
        platform::ShutdownVideo();
        return;
    }
    {
        Scene scene;
        scene.FrameA();
        for (auto _ : state) {
            if (!gfx::PresentSurface(platform::NativeWindow(), scene.BackBuffer())) {
                state.SkipWithError("present failed");
                break;
            }
        }
        gfx::ReleasePresenter();
    }
    platform::DestroyMainWindow();
    platform::ShutdownVideo();
}
BENCHMARK(BM_Present)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
