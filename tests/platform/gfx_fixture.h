#pragma once
// A software device set up as the game sets it up, and helpers that draw the
// way the engine's texture and 2D drawing do.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/gfx/device.h"

namespace gfx_test {

namespace gfx = platform::gfx;

struct SpriteVertex {  // FVF 0x144
    float x, y, z, rhw;
    std::uint32_t colour;
    float u, v;
};

struct LineVertex {  // FVF 0x44
    float x, y, z, rhw;
    std::uint32_t colour;
};

struct Rect {
    int left, top, right, bottom;
};

class GfxTest : public ::testing::Test {
protected:
    void SetUp() override {
        gfx::ResetGraphicsEnvironment();
        d3d_ = gfx::Direct3DCreate8(gfx::D3D_SDK_VERSION);
        ASSERT_NE(d3d_, nullptr);
        gfx::D3DPRESENT_PARAMETERS pp;
        pp.BackBufferWidth = 640;
        pp.BackBufferHeight = 480;
        pp.BackBufferFormat = BackBufferFormat();
        pp.BackBufferCount = 1;
        pp.SwapEffect = gfx::D3DSWAPEFFECT_COPY;
        pp.Windowed = 1;
        pp.Flags = gfx::D3DPRESENTFLAG_LOCKABLE_BACKBUFFER;
        ASSERT_EQ(d3d_->CreateDevice(0, gfx::D3DDEVTYPE_HAL, nullptr, gfx::D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp,
                                     &device_),
                  gfx::D3D_OK);
        GameStates();
    }
    void TearDown() override {
        for (gfx::Direct3DTexture8* t : textures_) t->Release();
        if (device_) device_->Release();
        if (d3d_) d3d_->Release();
    }
    virtual gfx::D3DFORMAT BackBufferFormat() const { return gfx::D3DFMT_X8R8G8B8; }

    // The states the game runs with.
    void GameStates() {
        device_->SetRenderState(gfx::D3DRS_CULLMODE, gfx::D3DCULL_NONE);
        device_->SetRenderState(gfx::D3DRS_LIGHTING, 0);
        device_->SetRenderState(gfx::D3DRS_ZENABLE, 0);
        device_->SetRenderState(gfx::D3DRS_ALPHABLENDENABLE, 1);
        Blend(gfx::D3DBLEND_SRCALPHA, gfx::D3DBLEND_INVSRCALPHA);
        device_->SetTextureStageState(0, gfx::D3DTSS_COLOROP, gfx::D3DTOP_MODULATE);
        device_->SetTextureStageState(0, gfx::D3DTSS_ALPHAOP, gfx::D3DTOP_MODULATE);
        Filter(gfx::D3DTEXF_LINEAR);
    }
    void Blend(gfx::DWORD src, gfx::DWORD dest) {
        device_->SetRenderState(gfx::D3DRS_SRCBLEND, src);
        device_->SetRenderState(gfx::D3DRS_DESTBLEND, dest);
    }
    void Filter(gfx::DWORD f) {
        device_->SetTextureStageState(0, gfx::D3DTSS_MAGFILTER, f);
        device_->SetTextureStageState(0, gfx::D3DTSS_MINFILTER, f);
    }
    void Clear(std::uint32_t colour) { device_->Clear(0, nullptr, gfx::D3DCLEAR_TARGET, colour, 1.0f, 0); }

    gfx::Direct3DSurface8* Frame() { return device_->BackBufferSurface(); }
    std::uint32_t Pixel(int x, int y) {
        std::uint32_t v;
        std::memcpy(&v, Frame()->Bits() + y * Frame()->Pitch() + x * 4, 4);
        return v & 0x00FFFFFFu;
    }

    // A texture filled by `texel(x, y)` (A8R8G8B8 values converted by the caller).
    template <class F>
    gfx::Direct3DTexture8* MakeTexture(int w, int h, gfx::D3DFORMAT format, F texel) {
        gfx::Direct3DTexture8* t = nullptr;
        EXPECT_EQ(device_->CreateTexture(w, h, 1, 0, format, gfx::D3DPOOL_MANAGED, &t), gfx::D3D_OK);
        gfx::D3DLOCKED_RECT lr;
        EXPECT_EQ(t->LockRect(0, &lr, nullptr, 0), gfx::D3D_OK);
        int bpp = format == gfx::D3DFMT_A8R8G8B8 || format == gfx::D3DFMT_X8R8G8B8 ? 4 : 2;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                std::uint32_t v = texel(x, y);
                std::memcpy(static_cast<std::uint8_t*>(lr.pBits) + y * lr.Pitch + x * bpp, &v, bpp);
            }
        }
        t->UnlockRect(0);
        textures_.push_back(t);
        return t;
    }

    // A labelled-looking test picture: a coloured frame, a diagonal and a
    // gradient, so orientation shows.
    gfx::Direct3DTexture8* PatternTexture(int w = 32, int h = 32) {
        return MakeTexture(w, h, gfx::D3DFMT_A8R8G8B8, [w, h](int x, int y) -> std::uint32_t {
            if (x == 0 || y == 0) return 0xFFFF2020u;
            if (x == w - 1 || y == h - 1) return 0xFF2020FFu;
            if (x == y) return 0xFFFFFFFFu;
            if (x < 4 && y < 4) return 0xFF20FF20u;
            return 0xC0000000u | (static_cast<std::uint32_t>(x * 255 / w) << 16) |
                   (static_cast<std::uint32_t>(y * 255 / h) << 8) | 0x60u;
        });
    }

    // The texture draw of the engine: integer rectangles, corners at edge - 0.5,
    // source inset by half a texel, a fan of two triangles, an optional
    // rotation about the rectangle's centre (radians, clockwise on screen).
    void Sprite(gfx::Direct3DTexture8* tex, Rect d, Rect s, std::uint32_t colour, double angle = 0.0) {
        float tw = 32, th = 32;
        if (tex) {
            gfx::D3DSURFACE_DESC desc;
            tex->GetLevelDesc(0, &desc);
            tw = static_cast<float>(desc.Width);
            th = static_cast<float>(desc.Height);
        }
        float uL = (s.left + 0.5f) / tw, uR = (s.right - 0.5f) / tw;
        float vT = (s.top + 0.5f) / th, vB = (s.bottom - 0.5f) / th;
        SpriteVertex v[4] = {
            {d.left - 0.5f, d.top - 0.5f, 0, 1, colour, uL, vT},
            {d.right - 0.5f, d.top - 0.5f, 0, 1, colour, uR, vT},
            {d.right - 0.5f, d.bottom - 0.5f, 0, 1, colour, uR, vB},
            {d.left - 0.5f, d.bottom - 0.5f, 0, 1, colour, uL, vB},
        };
        if (angle != 0.0) {
            float cx = (d.left + d.right) * 0.5f, cy = (d.top + d.bottom) * 0.5f;
            float c = static_cast<float>(std::cos(angle)), sn = static_cast<float>(std::sin(angle));
            for (SpriteVertex& p : v) {
                float x = p.x - cx, y = p.y - cy;
                p.x = c * x - sn * y + cx;
                p.y = sn * x + c * y + cy;
            }
        }
        device_->SetTexture(0, tex);
        device_->SetVertexShader(0x144);
        ASSERT_EQ(device_->DrawPrimitiveUP(gfx::D3DPT_TRIANGLEFAN, 2, v, sizeof(SpriteVertex)), gfx::D3D_OK);
    }

    void Quad(float x0, float y0, float x1, float y1, std::uint32_t colour) {
        LineVertex v[4] = {
            {x0, y0, 0, 1, colour}, {x1, y0, 0, 1, colour}, {x1, y1, 0, 1, colour}, {x0, y1, 0, 1, colour}};
        device_->SetTexture(0, nullptr);
        device_->SetVertexShader(0x44);
        ASSERT_EQ(device_->DrawPrimitiveUP(gfx::D3DPT_TRIANGLEFAN, 2, v, sizeof(LineVertex)), gfx::D3D_OK);
    }

    void Lines(const std::vector<LineVertex>& v) {
        device_->SetTexture(0, nullptr);
        device_->SetVertexShader(0x44);
        ASSERT_EQ(device_->DrawPrimitiveUP(gfx::D3DPT_LINELIST, static_cast<std::uint32_t>(v.size() / 2), v.data(),
                                           sizeof(LineVertex)),
                  gfx::D3D_OK);
    }

    gfx::Direct3D8* d3d_ = nullptr;
    gfx::Direct3DDevice8* device_ = nullptr;
    std::vector<gfx::Direct3DTexture8*> textures_;
};

}  // namespace gfx_test
