#include "engine/graphics/draw2d.h"

#include "engine/core/application.h"
#include "engine/graphics/device.h"
#include "engine/graphics/texture.h"
#include "platform/gfx/device.h"

namespace gfx = platform::gfx;

namespace {

i32 g_mode = 0;
// The quad of the two invert passes of mode 3: the whole screen in opaque
// white, filled from the screen size at each Begin2D(3).
Vertex2D g_invertQuad[4];

void DrawInvertQuad(gfx::Direct3DDevice8* device) {
    SetBlendMode(7);
    device->DrawPrimitiveUP(gfx::D3DPT_TRIANGLEFAN, 2, g_invertQuad, sizeof(Vertex2D));
    AddPolygonCount(2);
}

}  // namespace

i32 Current2DMode() { return g_mode; }

void Begin2D(i32 mode) {
    g_mode = mode;
    SetRenderState(gfx::D3DRS_ZENABLE, 0);
    SetRenderState(gfx::D3DRS_ZWRITEENABLE, 0);
    SetRenderState(gfx::D3DRS_ALPHATESTENABLE, 0);
    SetRenderState(gfx::D3DRS_LIGHTING, 0);
    SetRenderState(gfx::D3DRS_FOGENABLE, 0);
    SetRenderState(gfx::D3DRS_CULLMODE, gfx::D3DCULL_NONE);
    SetFillMode(3);
    for (u32 stage = 0; stage < 4; ++stage) SetTexture(nullptr, stage);
    gfx::Direct3DDevice8* device = GetDirect3DDevice();
    if (device) device->SetVertexShader(kVertex2DFormat);
    if (mode != 3) {
        SetBlendMode(mode);
        return;
    }
    i32 width = 0, height = 0;
    GetScreenSize(&width, &height);
    const f32 w = static_cast<f32>(width);
    const f32 h = static_cast<f32>(height);
    g_invertQuad[0] = Vertex2D{0.0f, 0.0f, 0.0f, 1.0f, 0xFFFFFFFFu};
    g_invertQuad[1] = Vertex2D{w, 0.0f, 0.0f, 1.0f, 0xFFFFFFFFu};
    g_invertQuad[2] = Vertex2D{w, h, 0.0f, 1.0f, 0xFFFFFFFFu};
    g_invertQuad[3] = Vertex2D{0.0f, h, 0.0f, 1.0f, 0xFFFFFFFFu};
    if (device) DrawInvertQuad(device);
    SetBlendMode(2);
}

void End2D() {
    if (g_mode != 3) return;
    gfx::Direct3DDevice8* device = GetDirect3DDevice();
    if (!device) return;
    // What was drawn since Begin2D may have bound a texture and its vertex
    // format; the invert pass is untextured.
    SetTexture(nullptr, 0);
    device->SetVertexShader(kVertex2DFormat);
    DrawInvertQuad(device);
}

void DrawLine2D(f32 x1, f32 y1, f32 x2, f32 y2, u32 colour) {
    gfx::Direct3DDevice8* device = GetDirect3DDevice();
    if (device) {
        const Vertex2D line[2] = {Vertex2D{x1, y1, 0.0f, 1.0f, colour}, Vertex2D{x2, y2, 0.0f, 1.0f, colour}};
        device->DrawPrimitiveUP(gfx::D3DPT_LINELIST, 1, line, sizeof(Vertex2D));
    }
    AddPolygonCount(1);
}
