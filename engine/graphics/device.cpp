#include "engine/graphics/device.h"

#include <cstring>

#include "engine/core/application.h"
#include "platform/clock.h"
#include "platform/window.h"

namespace gfx = platform::gfx;
using platform::gfx::FAILED;
using platform::gfx::SUCCEEDED;

namespace {

GraphicsDeviceGlobals g;
GraphicsDeviceHooks g_hooks;
f32 g_textureOffset = 0.0f;

constexpr u32 kMessageBoxError = 0x10;
// "24Bitの画面モードはDirectX8.1ではサポートされていません" in code page 932.
constexpr char kNo24BitText[] =
    "24Bit"
    "\x82\xcc\x89\xe6\x96\xca\x83\x82\x81\x5b\x83\x68\x82\xcd"
    "DirectX8.1"
    "\x82\xc5\x82\xcd\x83\x54\x83\x7c\x81\x5b\x83\x67\x82\xb3\x82\xea\x82\xc4\x82\xa2\x82\xdc\x82\xb9\x82\xf1";

// Sends a render state straight to the device (the caches are the caller's).
void SendRenderState(u32 state, u32 value) {
    if (g.device) g.device->SetRenderState(state, value);
}

void SendTextureStageState(u32 stage, u32 type, u32 value) {
    if (g.device) g.device->SetTextureStageState(stage, type, value);
}

void ClearCaches() {
    for (u32& v : g.renderStateCache) v = kStateUnknown;
    for (u32& v : g.textureStageStateCache) v = kStateUnknown;
    for (Texture*& t : g.boundTextures) t = nullptr;
}

u32 FormatBytes(u32 format) { return static_cast<u32>(GetFormatBytesPerPixel(format)); }

void FillPresentParameters() {
    gfx::D3DPRESENT_PARAMETERS& pp = g.presentParameters;
    pp = gfx::D3DPRESENT_PARAMETERS{};
    i32 width = 0, height = 0;
    GetScreenSize(&width, &height);
    pp.BackBufferWidth = static_cast<u32>(width);
    pp.BackBufferHeight = static_cast<u32>(height);
    pp.BackBufferFormat = IsWindowMode() ? g.desktopFormat : g.screenFormat;
    pp.BackBufferCount = 1;
    pp.MultiSampleType = gfx::D3DMULTISAMPLE_NONE;
    pp.SwapEffect = g.verticalSync ? gfx::D3DSWAPEFFECT_COPY_VSYNC : gfx::D3DSWAPEFFECT_COPY;
    pp.hDeviceWindow = platform::NativeWindow();
    pp.Windowed = IsWindowMode();
    pp.EnableAutoDepthStencil = 0;
    pp.AutoDepthStencilFormat = gfx::D3DFMT_D16;
    pp.Flags = gfx::D3DPRESENTFLAG_LOCKABLE_BACKBUFFER;
    pp.FullScreen_RefreshRateInHz = 0;
    pp.FullScreen_PresentationInterval = 0;
}

void StoreCaps(const gfx::D3DCAPS8& caps) {
    g.caps = caps;
    g.matrixPaletteSize = caps.MaxVertexShaderConst != 0 ? (caps.MaxVertexShaderConst - 27) / 3 : 23;
    g.hardwareRasterization = caps.DevCaps & gfx::D3DDEVCAPS_HWRASTERIZATION;
    g.hardwareTransformAndLight = caps.DevCaps & gfx::D3DDEVCAPS_HWTRANSFORMANDLIGHT;
    g.pureDevice = caps.DevCaps & gfx::D3DDEVCAPS_PUREDEVICE;
    g.vertexShaderVersion = caps.VertexShaderVersion;
    g.pixelShaderVersion = caps.PixelShaderVersion;
}

gfx::Direct3DBaseTexture8* DeviceTextureOf(Texture* texture) {
    if (!texture || !g_hooks.textureResource) return nullptr;
    return g_hooks.textureResource(texture);
}

}  // namespace

GraphicsDeviceHooks& DeviceHooks() { return g_hooks; }

void SetDeviceObjectHooks(DeviceObjectKind kind, void (*lost)(), void (*reset)()) {
    g_hooks.lostAll[kind] = lost;
    g_hooks.resetAll[kind] = reset;
}

void ClearDeviceObjectHooks(DeviceObjectKind kind, void (*lost)()) {
    if (g_hooks.lostAll[kind] != lost) return;
    g_hooks.lostAll[kind] = nullptr;
    g_hooks.resetAll[kind] = nullptr;
}
const GraphicsDeviceGlobals& GraphicsDeviceInfo() { return g; }

i32 GetAdapterInformation() {
    g.fullScreenFormat16 = 0;
    g.fullScreenFormat32 = 0;
    g.screenFormat = 0;
    if (!IsWindowMode()) {
        i32 width = 0, height = 0;
        GetScreenSize(&width, &height);
        bool found = false;
        u32 count = g.direct3d->GetAdapterModeCount(gfx::D3DADAPTER_DEFAULT);
        for (u32 i = 0; i < count; ++i) {
            gfx::D3DDISPLAYMODE mode;
            if (FAILED(g.direct3d->EnumAdapterModes(gfx::D3DADAPTER_DEFAULT, i, &mode))) continue;
            if (mode.Width != static_cast<u32>(width) || mode.Height != static_cast<u32>(height)) continue;
            if (mode.Format == gfx::D3DFMT_R5G6B5 || mode.Format == gfx::D3DFMT_X1R5G5B5) {
                g.fullScreenFormat16 = mode.Format;
                found = true;
                break;
            }
            if (mode.Format == gfx::D3DFMT_A8R8G8B8 || mode.Format == gfx::D3DFMT_X8R8G8B8) {
                g.fullScreenFormat32 = mode.Format;
                found = true;
                break;
            }
        }
        if (!found) {
            SetWindowMode(1);
            if (platform::HasMainWindow()) platform::SetFullScreen(false);
        }
    }
    g.screenFormat = (g.preferFullColorScreen && g.fullScreenFormat32) ? g.fullScreenFormat32 : g.fullScreenFormat16;
    // The scan stops at the first mode of the screen size, so it may find only
    // the 32-bit candidate; then that is the screen format.
    if (g.screenFormat == 0) g.screenFormat = g.fullScreenFormat32;

    gfx::D3DDISPLAYMODE desktop;
    if (SUCCEEDED(g.direct3d->GetAdapterDisplayMode(gfx::D3DADAPTER_DEFAULT, &desktop))) {
        g.desktopFormat = desktop.Format;
        g.desktopWidth = desktop.Width;
        g.desktopHeight = desktop.Height;
    }
    if (IsWindowMode()) g.screenFormat = g.desktopFormat;

    if (g.screenFormat == gfx::D3DFMT_R8G8B8) {
        ShowMessageBox(kMessageBoxError, "ERROR Can't Support 24Bit ScreenMode", "%s", kNo24BitText);
        return 0;
    }

    static const u32 kTextureFormats[] = {
        gfx::D3DFMT_A8R8G8B8, gfx::D3DFMT_A4R4G4B4, gfx::D3DFMT_A1R5G5B5, gfx::D3DFMT_R8G8B8,    gfx::D3DFMT_X4R4G4B4,
        gfx::D3DFMT_X1R5G5B5, gfx::D3DFMT_R5G6B5,   gfx::D3DFMT_X8R8G8B8, gfx::D3DFMT_A8P8,      gfx::D3DFMT_P8,
        gfx::D3DFMT_L8,       gfx::D3DFMT_A8L8,     gfx::D3DFMT_A4L4,     gfx::D3DFMT_V8U8,      gfx::D3DFMT_L6V5U5,
        gfx::D3DFMT_X8L8V8U8, gfx::D3DFMT_Q8W8V8U8, gfx::D3DFMT_V16U16,   gfx::D3DFMT_W11V11U10, gfx::D3DFMT_UYVY,
        gfx::D3DFMT_YUY2,     gfx::D3DFMT_DXT1,     gfx::D3DFMT_DXT2,     gfx::D3DFMT_DXT3,      gfx::D3DFMT_DXT4,
        gfx::D3DFMT_DXT5,
    };
    g.normalTextureFormat = 0;
    g.alphaTextureFormat = 0;
    g.fullColorTextureFormat = 0;
    for (u32 format : kTextureFormats) {
        if (FAILED(g.direct3d->CheckDeviceFormat(gfx::D3DADAPTER_DEFAULT, gfx::D3DDEVTYPE_HAL, g.screenFormat, 0,
                                                 gfx::D3DRTYPE_TEXTURE, format))) {
            continue;
        }
        if (format == gfx::D3DFMT_A8R8G8B8) {
            g.fullColorTextureFormat = format;
            g.normalTextureFormat = format;
            g.alphaTextureFormat = format;
        } else if (format == gfx::D3DFMT_A4R4G4B4) {
            g.normalTextureFormat = format;
            g.alphaTextureFormat = format;
        } else if (format == gfx::D3DFMT_A1R5G5B5) {
            g.normalTextureFormat = format;
        }
    }
    if (g.normalTextureFormat == 0) {
        g.normalTextureFormat = gfx::D3DFMT_A8R8G8B8;
        g.alphaTextureFormat = gfx::D3DFMT_A8R8G8B8;
    }
    if (g.alphaTextureFormat == 0) {
        g.alphaTextureFormat = g.fullColorTextureFormat != 0 ? g.fullColorTextureFormat : g.normalTextureFormat;
    }
    if (g.fullColorTextureFormat == 0) g.fullColorTextureFormat = g.alphaTextureFormat;
    return 1;
}

i32 CreateDirect3DDevice() {
    static const u32 kBehaviour[4] = {
        gfx::D3DCREATE_HARDWARE_VERTEXPROCESSING | gfx::D3DCREATE_PUREDEVICE,
        gfx::D3DCREATE_HARDWARE_VERTEXPROCESSING,
        gfx::D3DCREATE_SOFTWARE_VERTEXPROCESSING,
        gfx::D3DCREATE_SOFTWARE_VERTEXPROCESSING,
    };
    gfx::HRESULT hr = gfx::D3DERR_NOTAVAILABLE;
    for (u32 level = g.deviceLevel; level <= kDeviceLevelReference; ++level) {
        u32 flags = kBehaviour[level];
        if (IsThreadedInitialize()) flags |= gfx::D3DCREATE_MULTITHREADED;
        gfx::D3DDEVTYPE type = level == kDeviceLevelReference ? gfx::D3DDEVTYPE_REF : gfx::D3DDEVTYPE_HAL;
        gfx::Direct3DDevice8* device = nullptr;
        hr = g.direct3d->CreateDevice(gfx::D3DADAPTER_DEFAULT, type, g.presentParameters.hDeviceWindow, flags,
                                      &g.presentParameters, &device);
        if (FAILED(hr)) continue;
        g.device = device;
        // The level and the vertex processing follow the device actually made.
        g.deviceLevel = level;
        g.softwareVertexProcessing = level >= kDeviceLevelSoftware ? 1 : 0;
        const gfx::D3DPRESENT_PARAMETERS& pp = g.presentParameters;
        u32 bpp = FormatBytes(pp.BackBufferFormat);
        AddVideoMemoryUse(static_cast<i32>(bpp * pp.BackBufferCount * pp.BackBufferWidth * pp.BackBufferHeight));
        if (pp.Windowed) {
            AddVideoMemoryUse(static_cast<i32>(bpp * g.desktopWidth * g.desktopHeight));
        } else {
            AddVideoMemoryUse(static_cast<i32>(bpp * pp.BackBufferCount * pp.BackBufferWidth * pp.BackBufferHeight));
        }
        g.device->ResourceManagerDiscardBytes(0);
        return 1;
    }
    LogPrintf("エラー : デバイスの作成に失敗 [%s]\n", GetDirect3DErrorText(hr, nullptr));
    return 0;
}

i32 InitializeRenderStates() {
    ClearCaches();
    i32 width = 0, height = 0;
    GetScreenSize(&width, &height);
    g.viewport = gfx::D3DVIEWPORT8{0, 0, static_cast<u32>(width), static_cast<u32>(height), 0.0f, 1.0f};
    if (g.device) g.device->SetViewport(&g.viewport);

    SetRenderState(gfx::D3DRS_CULLMODE, gfx::D3DCULL_NONE);
    SetRenderState(gfx::D3DRS_ZENABLE, 0);
    SetRenderState(gfx::D3DRS_ZWRITEENABLE, 0);
    SetRenderState(gfx::D3DRS_DITHERENABLE, 0);
    SetRenderState(gfx::D3DRS_LIGHTING, 0);
    SetRenderState(gfx::D3DRS_FOGENABLE, 0);
    SetRenderState(gfx::D3DRS_SPECULARENABLE, 0);
    SetRenderState(gfx::D3DRS_COLORVERTEX, 0);
    SetRenderState(gfx::D3DRS_ALPHABLENDENABLE, 1);
    SetRenderState(gfx::D3DRS_TEXTUREFACTOR, 0xFFFFFFFFu);
    SetRenderState(gfx::D3DRS_FILLMODE, gfx::D3DFILL_SOLID);
    SetRenderState(gfx::D3DRS_SHADEMODE, gfx::D3DSHADE_GOURAUD);
    SetBlendMode(0);

    for (u32 stage = 0; stage < 4; ++stage) {
        if (g.device) g.device->SetTexture(stage, nullptr);
        SetTextureStageState(stage, gfx::D3DTSS_ADDRESSU, gfx::D3DTADDRESS_WRAP);
        SetTextureStageState(stage, gfx::D3DTSS_ADDRESSV, gfx::D3DTADDRESS_WRAP);
        SetTextureStageState(stage, gfx::D3DTSS_MAGFILTER, gfx::D3DTEXF_NONE);
        SetTextureStageState(stage, gfx::D3DTSS_MINFILTER, gfx::D3DTEXF_NONE);
        SetTextureStageState(stage, gfx::D3DTSS_MIPFILTER, gfx::D3DTEXF_NONE);
        u32 op = stage == 0 ? gfx::D3DTOP_MODULATE : gfx::D3DTOP_DISABLE;
        SetTextureStageState(stage, gfx::D3DTSS_COLOROP, op);
        SetTextureStageState(stage, gfx::D3DTSS_ALPHAOP, op);
        SetTextureStageState(stage, gfx::D3DTSS_COLORARG1, gfx::D3DTA_TEXTURE);
        SetTextureStageState(stage, gfx::D3DTSS_ALPHAARG1, gfx::D3DTA_TEXTURE);
        SetTextureStageState(stage, gfx::D3DTSS_COLORARG2, gfx::D3DTA_CURRENT);
        SetTextureStageState(stage, gfx::D3DTSS_ALPHAARG2, gfx::D3DTA_CURRENT);
        SetTextureStageState(stage, gfx::D3DTSS_MAGFILTER, gfx::D3DTEXF_LINEAR);
        SetTextureStageState(stage, gfx::D3DTSS_MINFILTER, gfx::D3DTEXF_LINEAR);
        SetTextureStageState(stage, gfx::D3DTSS_MIPFILTER, gfx::D3DTEXF_LINEAR);
    }
    SetTextureOffset(0.5f);
    return 1;
}

i32 InitializeDirectXGraphics() {
    // Start afresh, keeping the preferences made before the window exists.
    ClearCaches();
    g.currentDepthBuffer = nullptr;
    g.currentTextureMarker = 0;
    g.requiredVertexShaderVersion = 0xFFFE0101u;
    g.requiredPixelShaderVersion = 0;
    g.requiredTextureStages = 0;
    g.requiredTextureStagesEnable = 0;
    g.preferSoftwareEmulation = 0;
    g.deviceLevel = kDeviceLevelPure;
    g.softwareVertexProcessing = 0;
    g.matrixPaletteSize = 23;
    g.hardwareRasterization = g.hardwareTransformAndLight = g.pureDevice = 0;
    g.vertexShaderVersion = g.pixelShaderVersion = 0;
    g.caps = gfx::D3DCAPS8{};

    // The library and the Direct3D object.
    g.library = gfx::LoadGraphicsLibrary("D3D8.DLL");
    if (!g.library) {
        ShowMessageBox(kMessageBoxError, "ERROR Can't Find \"D3D8.DLL\"", "%s", kDirectXInstallText);
        return 0;
    }
    gfx::Direct3DCreate8Fn create = gfx::FindCreateFunction(g.library, "Direct3DCreate8");
    if (!create) {
        ShowMessageBox(kMessageBoxError, "ERROR Can't Find Function", "%s", kDirectXInstallText);
        return 0;
    }
    g.direct3d = create(gfx::D3D_SDK_VERSION);
    if (!g.direct3d) {
        ShowMessageBox(kMessageBoxError, "ERROR Can't Create Direct3DObject", "%s", kDirectXInstallText);
        return 0;
    }

    // The screen formats and display modes the adapter offers.
    if (!GetAdapterInformation()) return 0;

    // The strongest device level the hardware allows.
    gfx::D3DCAPS8 caps;
    if (FAILED(g.direct3d->GetDeviceCaps(gfx::D3DADAPTER_DEFAULT, gfx::D3DDEVTYPE_HAL, &caps))) {
        g.deviceLevel = kDeviceLevelSoftware;
        g.softwareVertexProcessing = 1;
    } else {
        StoreCaps(caps);
        g.deviceLevel = kDeviceLevelReference;
        g.softwareVertexProcessing = 1;
        bool stagesMet = g.requiredTextureStages == 0 || g.requiredTextureStagesEnable == 0 ||
                         caps.MaxTextureBlendStages >= g.requiredTextureStages;
        if (!g.preferSoftwareEmulation && g.requiredPixelShaderVersion <= caps.PixelShaderVersion && stagesMet &&
            g.hardwareRasterization) {
            g.deviceLevel = kDeviceLevelSoftware;
            if (caps.VertexShaderVersion >= g.requiredVertexShaderVersion && g.hardwareTransformAndLight) {
                g.deviceLevel = kDeviceLevelHardware;
                g.softwareVertexProcessing = 0;
                if (g.pureDevice) g.deviceLevel = kDeviceLevelPure;
            }
        }
    }

    // The presentation parameters, then the device itself.
    FillPresentParameters();
    if (!CreateDirect3DDevice()) return 0;

    // The caps of the device actually made.
    if (FAILED(g.device->GetDeviceCaps(&caps))) {
        g.deviceLevel = kDeviceLevelSoftware;
    } else {
        StoreCaps(caps);
    }

    // The game's render states on a cleared screen.
    InitializeRenderStates();
    g.device->Clear(0, nullptr, gfx::D3DCLEAR_TARGET | gfx::D3DCLEAR_ZBUFFER | gfx::D3DCLEAR_STENCIL, 0, 0.0f, 0);
    return 1;
}

void DestroyDirectXGraphics() {
    if (g.device) {
        g.device->Release();
        g.device = nullptr;
    }
    if (g.direct3d) {
        g.direct3d->Release();
        g.direct3d = nullptr;
    }
    if (g.library) {
        gfx::FreeGraphicsLibrary(g.library);
        g.library = nullptr;
    }
    ClearCaches();
    g.currentDepthBuffer = nullptr;
}

void RestoreDevice(i32 force) {
    if (!g.device) return;
    if (!force && g.device->TestCooperativeLevel() == gfx::D3D_OK) return;
    FillPresentParameters();
    for (int kind = 0; kind < kDeviceObjectKindCount; ++kind) {
        if (g_hooks.lostAll[kind]) g_hooks.lostAll[kind]();
    }
    int failures = 0;
    while (FAILED(g.device->Reset(&g.presentParameters))) {
        platform::Sleep(100);
        if (++failures >= 10) {
            LogPrintf("--------------------------------\n");
            LogPrintf("デバイスの復旧が出来ませんでした\n");
            LogPrintf("--------------------------------\n");
            ApplicationExit();
            return;
        }
    }
    g.device->ResourceManagerDiscardBytes(0);
    for (int kind = 0; kind < kDeviceObjectKindCount; ++kind) {
        if (g_hooks.resetAll[kind]) g_hooks.resetAll[kind]();
    }
    if (g_hooks.applyCameraTransform) g_hooks.applyCameraTransform();
    for (Texture*& t : g.boundTextures) t = nullptr;
    for (u32 state = 0; state < 256; ++state) {
        if (g.renderStateCache[state] != kStateUnknown) SendRenderState(state, g.renderStateCache[state]);
    }
    for (u32 type = 0; type < 256; ++type) {
        for (u32 stage = 0; stage < 4; ++stage) {
            u32 value = g.textureStageStateCache[stage * 256 + type];
            if (value != kStateUnknown) SendTextureStageState(stage, type, value);
        }
    }
    if (g.currentDepthBuffer && g_hooks.setDepthBuffer) g_hooks.setDepthBuffer(g.currentDepthBuffer);
}

void SetRenderState(u32 state, u32 value) {
    if (state >= 256 || g.renderStateCache[state] == value) return;
    g.renderStateCache[state] = value;
    SendRenderState(state, value);
}

void SetTextureStageState(u32 stage, u32 type, u32 value) {
    if (stage >= 4 || type >= 256) return;
    u32& entry = g.textureStageStateCache[stage * 256 + type];
    if (entry == value) return;
    entry = value;
    SendTextureStageState(stage, type, value);
}

void SetTexture(Texture* texture, u32 stage) {
    if (stage >= 4 || g.boundTextures[stage] == texture) return;
    g.boundTextures[stage] = texture;
    if (g.device) g.device->SetTexture(stage, DeviceTextureOf(texture));
}

bool SetCurrentVertexShader(VertexShader* shader) {
    if (!g.device) return false;
    u32 handle = 0;
    if (shader && g_hooks.shaderHandle) handle = g_hooks.shaderHandle(shader);
    return SUCCEEDED(g.device->SetVertexShader(handle));
}

void SetBlendMode(i32 preset) {
    static const u32 kBlend[8][2] = {
        {gfx::D3DBLEND_ONE, gfx::D3DBLEND_ZERO},      {gfx::D3DBLEND_SRCALPHA, gfx::D3DBLEND_INVSRCALPHA},
        {gfx::D3DBLEND_SRCALPHA, gfx::D3DBLEND_ONE},  {0, 0},
        {gfx::D3DBLEND_ZERO, gfx::D3DBLEND_SRCCOLOR}, {gfx::D3DBLEND_ONE, gfx::D3DBLEND_ONE},
        {gfx::D3DBLEND_DESTCOLOR, gfx::D3DBLEND_ONE}, {gfx::D3DBLEND_INVDESTCOLOR, gfx::D3DBLEND_ZERO},
    };
    if (preset < 0 || preset > 7 || preset == 3) return;
    SetRenderState(gfx::D3DRS_SRCBLEND, kBlend[preset][0]);
    SetRenderState(gfx::D3DRS_DESTBLEND, kBlend[preset][1]);
}

void SetFillMode(i32 preset) {
    static const u32 kFill[4][2] = {
        {gfx::D3DFILL_POINT, gfx::D3DSHADE_GOURAUD},
        {gfx::D3DFILL_WIREFRAME, gfx::D3DSHADE_GOURAUD},
        {gfx::D3DFILL_SOLID, gfx::D3DSHADE_FLAT},
        {gfx::D3DFILL_SOLID, gfx::D3DSHADE_GOURAUD},
    };
    if (preset < 0 || preset > 3) return;
    SetRenderState(gfx::D3DRS_FILLMODE, kFill[preset][0]);
    SetRenderState(gfx::D3DRS_SHADEMODE, kFill[preset][1]);
}

void SetCurrentDepthBuffer(Surface* surface) { g.currentDepthBuffer = surface; }

bool BeginScene() {
    g.currentTextureMarker = 0;
    return g.device && SUCCEEDED(g.device->BeginScene());
}

void EndScene() {
    if (g.device) g.device->EndScene();
}

void ClearScreen(u32 colour) {
    if (g.device) g.device->Clear(0, nullptr, gfx::D3DCLEAR_TARGET, colour, 1.0f, 0);
}

void Present() {
    if (g.device && g.device->Present(nullptr, nullptr, nullptr, nullptr) == gfx::D3DERR_DEVICELOST) {
        RestoreDevice(0);
    }
    AddFrameCount(1);
}

i32 CheckCurrentTexture(u32 key) {
    if (key == g.currentTextureMarker) return 1;
    g.currentTextureMarker = key;
    return 0;
}

void InvalidateShaderCache() { g.currentTextureMarker = 0; }

bool SetFixedVertexFormat(u32 fvf) {
    InvalidateShaderCache();
    return g.device && SUCCEEDED(g.device->SetVertexShader(fvf));
}

gfx::Direct3DDevice8* GetDirect3DDevice() { return g.device; }

bool GetBackBuffer(gfx::Direct3DSurface8** out) {
    return g.device && SUCCEEDED(g.device->GetBackBuffer(0, gfx::D3DBACKBUFFER_TYPE_MONO, out));
}

u32 GetBackBufferFormat() { return g.presentParameters.BackBufferFormat; }
u32 GetNormalTextureFormat() { return g.preferFullColorTexture ? g.fullColorTextureFormat : g.normalTextureFormat; }
u32 GetAlphaTextureFormat() { return g.preferFullColorTexture ? g.fullColorTextureFormat : g.alphaTextureFormat; }
u32 GetMatrixPaletteSize() { return g.matrixPaletteSize; }
i32 GetDeviceFlag() { return g.softwareVertexProcessing; }
u32 GetAvailableTextureMemory() { return g.device ? g.device->GetAvailableTextureMem() >> 20 : 0; }

void GetViewportRect(gfx::RECT* out) {
    if (!out) return;
    out->left = static_cast<i32>(g.viewport.X);
    out->top = static_cast<i32>(g.viewport.Y);
    out->right = static_cast<i32>(g.viewport.X + g.viewport.Width);
    out->bottom = static_cast<i32>(g.viewport.Y + g.viewport.Height);
}

f32 GetDeviceScalarA() { return 0.0f; }
f32 GetDeviceScalarB() { return 0.0f; }
i32 GetVideoMemoryUse() { return g.videoMemoryUse; }

void EnableFullColorScreen() { g.preferFullColorScreen = 1; }
void EnableFullColorTexture() { g.preferFullColorTexture = 1; }

void AddVideoMemoryUse(i32 bytes) {
    g.videoMemoryUse += bytes;
    if (g.videoMemoryUse > g.videoMemoryPeak) g.videoMemoryPeak = g.videoMemoryUse;
}

void SetTextureOffset(f32 offset) { g_textureOffset = offset; }
f32 GetTextureOffset() { return g_textureOffset; }

i32 GetFormatBytesPerPixel(u32 format) {
    switch (format) {
        case gfx::D3DFMT_R8G8B8: return 3;
        case gfx::D3DFMT_A8R8G8B8:
        case gfx::D3DFMT_X8R8G8B8:
        case gfx::D3DFMT_X8L8V8U8:
        case gfx::D3DFMT_Q8W8V8U8:
        case gfx::D3DFMT_V16U16:
        case gfx::D3DFMT_W11V11U10:
        case gfx::D3DFMT_D32:
        case gfx::D3DFMT_D24S8:
        case gfx::D3DFMT_D24X8:
        case gfx::D3DFMT_D24X4S4: return 4;
        case gfx::D3DFMT_R5G6B5:
        case gfx::D3DFMT_X1R5G5B5:
        case gfx::D3DFMT_A1R5G5B5:
        case gfx::D3DFMT_A4R4G4B4:
        case gfx::D3DFMT_A8R3G3B2:
        case gfx::D3DFMT_X4R4G4B4:
        case gfx::D3DFMT_A8P8:
        case gfx::D3DFMT_A8L8:
        case gfx::D3DFMT_V8U8:
        case gfx::D3DFMT_L6V5U5:
        case gfx::D3DFMT_D16_LOCKABLE:
        case gfx::D3DFMT_D15S1:
        case gfx::D3DFMT_D16: return 2;
        case gfx::D3DFMT_R3G3B2:
        case gfx::D3DFMT_A8:
        case gfx::D3DFMT_P8:
        case gfx::D3DFMT_L8:
        case gfx::D3DFMT_A4L4: return 1;
        default: return 0;
    }
}

const char* GetFormatName(u32 format, char* out) {
    static char buffer[64];
    const char* name = "UnKnwon";
    switch (format) {
        case gfx::D3DFMT_R8G8B8: name = "R8G8B8"; break;
        case gfx::D3DFMT_A8R8G8B8: name = "A8R8G8B8"; break;
        case gfx::D3DFMT_X8R8G8B8: name = "X8R8G8B8"; break;
        case gfx::D3DFMT_R5G6B5: name = "R5G6B5"; break;
        case gfx::D3DFMT_X1R5G5B5: name = "X1R5G5B5"; break;
        case gfx::D3DFMT_A1R5G5B5: name = "A1R5G5B5"; break;
        case gfx::D3DFMT_A4R4G4B4: name = "A4R4G4B4"; break;
        case gfx::D3DFMT_R3G3B2: name = "R3G3B2"; break;
        case gfx::D3DFMT_A8: name = "A8"; break;
        case gfx::D3DFMT_A8R3G3B2: name = "A8R3G3B2"; break;
        case gfx::D3DFMT_X4R4G4B4: name = "X4R4G4B4"; break;
        case gfx::D3DFMT_A8P8: name = "A8P8"; break;
        case gfx::D3DFMT_P8: name = "P8"; break;
        case gfx::D3DFMT_L8: name = "L8"; break;
        case gfx::D3DFMT_A8L8: name = "A8L8"; break;
        case gfx::D3DFMT_A4L4: name = "A4L4"; break;
        case gfx::D3DFMT_V8U8: name = "V8U8"; break;
        case gfx::D3DFMT_L6V5U5: name = "L6V5U5"; break;
        case gfx::D3DFMT_X8L8V8U8: name = "X8L8V8U8"; break;
        case gfx::D3DFMT_Q8W8V8U8: name = "Q8W8V8U8"; break;
        case gfx::D3DFMT_V16U16: name = "V16U16"; break;
        case gfx::D3DFMT_W11V11U10: name = "W11V11U10"; break;
        case gfx::D3DFMT_UYVY: name = "UYVY"; break;
        case gfx::D3DFMT_YUY2: name = "YUY2"; break;
        case gfx::D3DFMT_DXT1: name = "DXT1"; break;
        case gfx::D3DFMT_DXT2: name = "DXT2"; break;
        case gfx::D3DFMT_DXT3: name = "DXT3"; break;
        case gfx::D3DFMT_DXT4: name = "DXT4"; break;
        case gfx::D3DFMT_DXT5: name = "DXT5"; break;
        case gfx::D3DFMT_D16_LOCKABLE: name = "D16LOCKENABLE"; break;
        case gfx::D3DFMT_D32: name = "D32"; break;
        case gfx::D3DFMT_D15S1: name = "D15S1"; break;
        case gfx::D3DFMT_D24S8: name = "D24S8"; break;
        case gfx::D3DFMT_D16: name = "D16"; break;
        case gfx::D3DFMT_D24X8: name = "D24X8"; break;
        case gfx::D3DFMT_D24X4S4: name = "D24X4S4"; break;
        case gfx::D3DFMT_VERTEXDATA: name = "VERTEXDATA"; break;
        case gfx::D3DFMT_INDEX16: name = "INDEX16"; break;
        case gfx::D3DFMT_INDEX32: name = "INDEX32"; break;
        default: break;
    }
    std::strncpy(buffer, name, sizeof(buffer) - 1);
    buffer[sizeof(buffer) - 1] = '\0';
    if (out) std::strcpy(out, buffer);
    return buffer;
}

const char* GetDirect3DErrorText(i32 code, char* out) {
    struct Entry {
        u32 code;
        const char* text;
    };
    static const Entry kEntries[] = {
        {0x88760818u, "ピクセルフォーマットがテクスチャの処理に対応していない。"},
        {0x88760819u, "カラー演算がデバイスで使えない。"},
        {0x8876081Au, "カラー引数がデバイスで使えない。"},
        {0x8876081Bu, "アルファ演算がデバイスで使えない。"},
        {0x8876081Cu, "アルファ引数がデバイスで使えない。"},
        {0x8876081Du, "デバイスが扱える数より多いテクスチャ処理が要求された。"},
        {0x8876081Eu, "同時には使えないテクスチャフィルタが指定されている。"},
        {0x8876081Fu, "デバイスが対応していない係数値が指定されている。"},
        {0x88760821u, "同時には使えないレンダリングステートが指定されている。"},
        {0x88760823u, "デバイスが対応していないテクスチャフィルタが指定されている。"},
        {0x88760826u, "現在のテクスチャが同時に使えないパレットを参照している。"},
        {0x88760827u, "ドライバの内部エラー。"},
        {0x88760866u, "要求された項目が見つからない。"},
        {0x88760867u, "渡されたバッファにすべてのデータを格納できない。"},
        {0x88760868u, "デバイスが失われており、現在は復元できない。"},
        {0x88760869u, "デバイスは失われているが、リセットすれば復元できる。"},
        {0x8876086Au, "この機能はデバイスで使えない。"},
        {0x8876017Cu, "ビデオメモリが足りない。"},
        {0x8876086Bu, "要求されたデバイスの種類が正しくない。"},
        {0x8876086Cu, "メソッドの呼び出しが正しくない。引数に誤りがある可能性がある。"},
        {0x8876086Du, "ドライバが呼び出しを受け付けなかった。"},
        {0x8007000Eu, "メモリが足りない。"},
        {0x80004005u, "処理に失敗した。"},
        {0x80070057u, "引数が正しくない。"},
        {0x88760B54u, "インデックスバッファを変更できない。"},
        {0x88760B55u, "メッシュが正しくない。"},
        {0x88760B56u, "属性の並べ替えができない。"},
        {0x88760B57u, "スキニングがサポートされていない。"},
        {0x88760B58u, "頂点あたりの影響数が多すぎる。"},
        {0x88760B59u, "データが正しくない。"},
        {0x88760B5Au, "読み込んだメッシュにデータがない。"},
    };
    const char* text = "未知のエラー。";
    if (code == 0) {
        text = "エラーは発生していない。";
    } else {
        for (const Entry& e : kEntries) {
            if (static_cast<i32>(e.code) == code) {
                text = e.text;
                break;
            }
        }
    }
    if (out) std::strcpy(out, text);
    return text;
}
