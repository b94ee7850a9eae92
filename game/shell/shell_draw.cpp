#include "engine/graphics/device.h"
#include "game/shell/shell_graphics.h"

namespace gfx = platform::gfx;

void CreateShellGraphics() {
    SharedDepthBuffer = CreateDepthBuffer(640, 480, nullptr);
    if (SharedDepthBuffer) SharedDepthBuffer->SurfaceSetDepthBuffer();
    BlackTexture = CreateTexture("vsk1.dat", "black", 0, nullptr);
    SideSurface = CreateSurface("vsk2.dat", "side", 1, nullptr);
}

void SetShellRenderStates() {
    SetTextureStageState(0, gfx::D3DTSS_COLORARG1, gfx::D3DTA_TEXTURE);
    SetTextureStageState(0, gfx::D3DTSS_COLORARG2, gfx::D3DTA_CURRENT);
    SetTextureStageState(0, gfx::D3DTSS_COLOROP, gfx::D3DTOP_MODULATE);
    SetTextureStageState(0, gfx::D3DTSS_ALPHAARG1, gfx::D3DTA_TEXTURE);
    SetTextureStageState(0, gfx::D3DTSS_ALPHAARG2, gfx::D3DTA_CURRENT);
    SetTextureStageState(0, gfx::D3DTSS_ALPHAOP, gfx::D3DTOP_MODULATE);
    SetRenderState(gfx::D3DRS_ALPHABLENDENABLE, 1);
    SetRenderState(gfx::D3DRS_ZENABLE, 0);
    SetRenderState(gfx::D3DRS_ZWRITEENABLE, 0);
    SetRenderState(gfx::D3DRS_CULLMODE, gfx::D3DCULL_NONE);
    SetFillMode(3);
    SetRenderState(gfx::D3DRS_DITHERENABLE, 1);
}

void DrawSidePanels() {
    if (!SideSurface) return;
    SideSurface->SurfaceBlit(0, 0, 0, 0, 120, 480);
    SideSurface->SurfaceBlit(520, 0, 520, 0, 640, 480);
}
