#include "engine/graphics/device.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/core/application.h"
#include "platform/clock.h"
#include "platform/system.h"

namespace gfx = platform::gfx;

namespace {

// Message boxes the device layer raised during a test.
struct MessageBoxes {
    bool active = true;
    int messageBoxes = 0;
    std::string lastCaption;
    std::string lastText;  // as the box shows it, converted from code page 932
};

MessageBoxes& StandIn() {
    static MessageBoxes boxes;
    return boxes;
}

void CatchMessageBox(std::uint32_t, const std::string& caption, const std::string& text) {
    ++StandIn().messageBoxes;
    StandIn().lastCaption = caption;
    StandIn().lastText = platform::SjisToUtf8(text);
}

class GraphicsDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        gfx::ResetGraphicsEnvironment();
        ResetApplicationState();
        SetWindowMode(1);
        StandIn().messageBoxes = 0;
        StandIn().lastCaption.clear();
        StandIn().lastText.clear();
        platform::SetMessageBoxSink(CatchMessageBox);
        DeviceHooks() = GraphicsDeviceHooks{};
        platform::SetClock(&clock_);
        auto& globals = const_cast<GraphicsDeviceGlobals&>(GraphicsDeviceInfo());
        globals.preferFullColorScreen = 0;
        globals.preferFullColorTexture = 0;
    }
    void TearDown() override {
        platform::SetMessageBoxSink(nullptr);
        DestroyDirectXGraphics();
        DeviceHooks() = GraphicsDeviceHooks{};
        platform::SetClock(nullptr);
        gfx::ResetGraphicsEnvironment();
    }
    gfx::Direct3DDevice8* Device() { return GetDirect3DDevice(); }
    platform::VirtualClock clock_;
};

std::vector<gfx::D3DDISPLAYMODE> Modes(const std::vector<gfx::D3DFORMAT>& formats) {
    std::vector<gfx::D3DDISPLAYMODE> modes;
    for (gfx::D3DFORMAT f : formats) modes.push_back(gfx::D3DDISPLAYMODE{640, 480, 60, f});
    return modes;
}

}  // namespace

TEST_F(GraphicsDeviceTest, StartsWindowedWithTheDesktopFormatAndTheGameStates) {
    ASSERT_EQ(InitializeDirectXGraphics(), 1);
    const GraphicsDeviceGlobals& info = GraphicsDeviceInfo();
    EXPECT_EQ(info.deviceLevel, kDeviceLevelPure);
    EXPECT_EQ(GetDeviceFlag(), 0);
    EXPECT_EQ(GetBackBufferFormat(), gfx::D3DFMT_X8R8G8B8);
    EXPECT_EQ(GetNormalTextureFormat(), gfx::D3DFMT_A1R5G5B5);
    EXPECT_EQ(GetAlphaTextureFormat(), gfx::D3DFMT_A4R4G4B4);
    EXPECT_EQ(info.fullColorTextureFormat, gfx::D3DFMT_A8R8G8B8);
    EXPECT_EQ(GetMatrixPaletteSize(), (96u - 27u) / 3u);
    EXPECT_EQ(GetAvailableTextureMemory(), 256u);
    const gfx::D3DPRESENT_PARAMETERS& pp = info.presentParameters;
    EXPECT_EQ(pp.BackBufferWidth, 640u);
    EXPECT_EQ(pp.BackBufferHeight, 480u);
    EXPECT_EQ(pp.SwapEffect, gfx::D3DSWAPEFFECT_COPY);
    EXPECT_EQ(pp.Flags, gfx::D3DPRESENTFLAG_LOCKABLE_BACKBUFFER);
    EXPECT_EQ(pp.AutoDepthStencilFormat, gfx::D3DFMT_D16);
    EXPECT_EQ(pp.Windowed, 1);
    gfx::RECT r;
    GetViewportRect(&r);
    EXPECT_EQ(r.right, 640);
    EXPECT_EQ(r.bottom, 480);
    EXPECT_EQ(GetTextureOffset(), 0.5f);
    // Back buffer plus the windowed front buffer of the desktop.
    EXPECT_EQ(GetVideoMemoryUse(), 640 * 480 * 4 + 1024 * 768 * 4);

    gfx::DWORD v = 0;
    Device()->GetRenderState(gfx::D3DRS_CULLMODE, &v);
    EXPECT_EQ(v, gfx::D3DCULL_NONE);
    Device()->GetRenderState(gfx::D3DRS_ALPHABLENDENABLE, &v);
    EXPECT_EQ(v, 1u);
    Device()->GetRenderState(gfx::D3DRS_LIGHTING, &v);
    EXPECT_EQ(v, 0u);
    Device()->GetTextureStageState(0, gfx::D3DTSS_ALPHAOP, &v);
    EXPECT_EQ(v, gfx::D3DTOP_MODULATE);
    Device()->GetTextureStageState(1, gfx::D3DTSS_COLOROP, &v);
    EXPECT_EQ(v, gfx::D3DTOP_DISABLE);
    Device()->GetTextureStageState(2, gfx::D3DTSS_MINFILTER, &v);
    EXPECT_EQ(v, gfx::D3DTEXF_LINEAR);
    // TEXTUREFACTOR 0xFFFFFFFF was never sent: the cache says unknown.
    EXPECT_EQ(info.renderStateCache[gfx::D3DRS_TEXTUREFACTOR], kStateUnknown);
}

TEST_F(GraphicsDeviceTest, StartupClearWithoutDepthBufferClearsTheTarget) {
    ASSERT_EQ(InitializeDirectXGraphics(), 1);
    gfx::Direct3DSurface8* bb = Device()->BackBufferSurface();
    EXPECT_EQ(Device()->CallCounts().clears, 1u);
    EXPECT_EQ(bb->Bits()[0], 0);
    ClearScreen(0xFF102030u);
    std::uint32_t px;
    std::memcpy(&px, bb->Bits() + 479 * bb->Pitch() + 639 * 4, 4);
    EXPECT_EQ(px, 0xFF102030u);
}

// Texture format choice: which of the three telling formats the hardware
// supports decides the normal, alpha and full-colour formats.
struct FormatCase {
    std::vector<gfx::D3DFORMAT> supported;
    gfx::D3DFORMAT normal, alpha, fullColor;
};

TEST_F(GraphicsDeviceTest, TextureFormatChoiceTable) {
    const FormatCase cases[] = {
        // clang-format off
        {{gfx::D3DFMT_A8R8G8B8, gfx::D3DFMT_A4R4G4B4, gfx::D3DFMT_A1R5G5B5}, gfx::D3DFMT_A1R5G5B5,
         gfx::D3DFMT_A4R4G4B4, gfx::D3DFMT_A8R8G8B8},
        {{gfx::D3DFMT_A8R8G8B8, gfx::D3DFMT_A1R5G5B5}, gfx::D3DFMT_A1R5G5B5, gfx::D3DFMT_A8R8G8B8,
         gfx::D3DFMT_A8R8G8B8},
        // clang-format on
        {{gfx::D3DFMT_A1R5G5B5}, gfx::D3DFMT_A1R5G5B5, gfx::D3DFMT_A1R5G5B5, gfx::D3DFMT_A1R5G5B5},
        {{gfx::D3DFMT_R5G6B5}, gfx::D3DFMT_A8R8G8B8, gfx::D3DFMT_A8R8G8B8, gfx::D3DFMT_A8R8G8B8},
        {{gfx::D3DFMT_A4R4G4B4}, gfx::D3DFMT_A4R4G4B4, gfx::D3DFMT_A4R4G4B4, gfx::D3DFMT_A4R4G4B4},
    };
    for (const FormatCase& c : cases) {
        gfx::GraphicsEnvironment().textureFormats = {c.supported.begin(), c.supported.end()};
        ASSERT_EQ(InitializeDirectXGraphics(), 1);
        EXPECT_EQ(GraphicsDeviceInfo().normalTextureFormat, c.normal);
        EXPECT_EQ(GraphicsDeviceInfo().alphaTextureFormat, c.alpha);
        EXPECT_EQ(GraphicsDeviceInfo().fullColorTextureFormat, c.fullColor);
        DestroyDirectXGraphics();
    }
    // Preferring 32-bit textures hands out the full-colour format for both.
    gfx::ResetGraphicsEnvironment();
    EnableFullColorTexture();
    ASSERT_EQ(InitializeDirectXGraphics(), 1);
    EXPECT_EQ(GetNormalTextureFormat(), gfx::D3DFMT_A8R8G8B8);
    EXPECT_EQ(GetAlphaTextureFormat(), gfx::D3DFMT_A8R8G8B8);
}

// Full-screen format choice by the display-mode scan, which stops at the
// first mode of the screen size.
struct ScreenCase {
    std::vector<gfx::D3DFORMAT> modes;
    bool prefer32;
    gfx::D3DFORMAT expected;
    bool windowedAfter;
};

TEST_F(GraphicsDeviceTest, FullScreenFormatChoice) {
    const ScreenCase cases[] = {
        {{gfx::D3DFMT_R5G6B5, gfx::D3DFMT_X8R8G8B8}, false, gfx::D3DFMT_R5G6B5, false},
        {{gfx::D3DFMT_R5G6B5, gfx::D3DFMT_X8R8G8B8}, true, gfx::D3DFMT_R5G6B5, false},
        {{gfx::D3DFMT_X8R8G8B8, gfx::D3DFMT_R5G6B5}, true, gfx::D3DFMT_X8R8G8B8, false},
        // Only the 32-bit candidate found and 32-bit not preferred: the
        // candidate found is used instead of no format at all.
        {{gfx::D3DFMT_X8R8G8B8, gfx::D3DFMT_R5G6B5}, false, gfx::D3DFMT_X8R8G8B8, false},
        {{gfx::D3DFMT_X1R5G5B5}, false, gfx::D3DFMT_X1R5G5B5, false},
        // No mode of the screen size: the start falls back to a window.
        {{}, false, gfx::D3DFMT_X8R8G8B8, true},
    };
    for (const ScreenCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
        gfx::ResetGraphicsEnvironment();
        gfx::GraphicsEnvironment().modes = Modes(c.modes);
        gfx::GraphicsEnvironment().modes.insert(gfx::GraphicsEnvironment().modes.begin(),
                                                gfx::D3DDISPLAYMODE{800, 600, 60, gfx::D3DFMT_R5G6B5});
        ResetApplicationState();
        SetWindowMode(0);
        if (c.prefer32) EnableFullColorScreen();
        ASSERT_EQ(InitializeDirectXGraphics(), 1);
        EXPECT_EQ(GetBackBufferFormat(), c.expected);
        EXPECT_EQ(IsWindowMode(), c.windowedAfter ? 1 : 0);
        DestroyDirectXGraphics();
        const_cast<GraphicsDeviceGlobals&>(GraphicsDeviceInfo()).preferFullColorScreen = 0;
    }
}

TEST_F(GraphicsDeviceTest, TwentyFourBitScreenIsRefused) {
    gfx::GraphicsEnvironment().desktop.Format = gfx::D3DFMT_R8G8B8;
    EXPECT_EQ(InitializeDirectXGraphics(), 0);
    if (StandIn().active) {
        EXPECT_EQ(StandIn().lastCaption, "ERROR Can't Support 24Bit ScreenMode");
        EXPECT_EQ(StandIn().lastText, "24Bitの画面モードはDirectX8.1ではサポートされていません");
    }
}

TEST_F(GraphicsDeviceTest, LoadFailuresShowTheirMessage) {
    struct Case {
        void (*setup)();
        const char* caption;
    } cases[] = {
        {[] { gfx::GraphicsEnvironment().libraryMissing = true; }, "ERROR Can't Find \"D3D8.DLL\""},
        {[] { gfx::GraphicsEnvironment().createFunctionMissing = true; }, "ERROR Can't Find Function"},
        {[] { gfx::GraphicsEnvironment().createReturnsNull = true; }, "ERROR Can't Create Direct3DObject"},
    };
    for (const Case& c : cases) {
        gfx::ResetGraphicsEnvironment();
        c.setup();
        EXPECT_EQ(InitializeDirectXGraphics(), 0);
        if (StandIn().active) {
            EXPECT_EQ(StandIn().lastCaption, c.caption);
            EXPECT_EQ(StandIn().lastText, "DirectX8.1が正しくインストールされていない可能性があります");
        }
        DestroyDirectXGraphics();
    }
}

struct LevelCase {
    std::uint32_t devCaps;
    std::uint32_t failMask;
    bool capsAvailable;
    std::uint32_t level;
    int software;
    bool created;
};

TEST_F(GraphicsDeviceTest, DeviceLevelsAndFallBack) {
    const std::uint32_t all =
        gfx::D3DDEVCAPS_HWRASTERIZATION | gfx::D3DDEVCAPS_HWTRANSFORMANDLIGHT | gfx::D3DDEVCAPS_PUREDEVICE;
    const LevelCase cases[] = {
        {all, 0, true, kDeviceLevelPure, 0, true},
        {gfx::D3DDEVCAPS_HWRASTERIZATION | gfx::D3DDEVCAPS_HWTRANSFORMANDLIGHT, 0, true, kDeviceLevelHardware, 0, true},
        {gfx::D3DDEVCAPS_HWRASTERIZATION, 0, true, kDeviceLevelSoftware, 1, true},
        {0, 0, true, kDeviceLevelReference, 1, true},
        // Creation falls back a level: the level and the flag follow it.
        {all, 1, true, kDeviceLevelHardware, 0, true},
        {all, 3, true, kDeviceLevelSoftware, 1, true},
        {all, 7, true, kDeviceLevelReference, 1, true},
        {all, 15, true, 0, 0, false},
        // No caps for the hardware device type.
        {all, 0, false, kDeviceLevelReference, 1, true},
    };
    for (const LevelCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
        gfx::ResetGraphicsEnvironment();
        gfx::GraphicsEnvironment().halCaps.DevCaps = c.devCaps;
        gfx::GraphicsEnvironment().failCreateMask = c.failMask;
        gfx::GraphicsEnvironment().halCapsAvailable = c.capsAvailable;
        ASSERT_EQ(InitializeDirectXGraphics(), c.created ? 1 : 0);
        if (c.created) {
            EXPECT_EQ(GraphicsDeviceInfo().deviceLevel, c.level);
            EXPECT_EQ(GetDeviceFlag(), c.software);
            EXPECT_EQ(Device()->DeviceType(),
                      c.level == kDeviceLevelReference ? gfx::D3DDEVTYPE_REF : gfx::D3DDEVTYPE_HAL);
        }
        DestroyDirectXGraphics();
    }
}

TEST_F(GraphicsDeviceTest, CachesSendOnlyChanges) {
    ASSERT_EQ(InitializeDirectXGraphics(), 1);
    gfx::Direct3DDevice8* d = Device();
    d->ResetCallCounts();
    SetRenderState(gfx::D3DRS_ALPHABLENDENABLE, 1);  // already 1
    SetTextureStageState(0, gfx::D3DTSS_COLOROP, gfx::D3DTOP_MODULATE);
    EXPECT_EQ(d->CallCounts().setRenderState, 0u);
    EXPECT_EQ(d->CallCounts().setTextureStageState, 0u);
    SetRenderState(gfx::D3DRS_ZENABLE, 1);
    SetRenderState(gfx::D3DRS_ZENABLE, 1);
    SetTextureStageState(3, gfx::D3DTSS_ADDRESSU, gfx::D3DTADDRESS_CLAMP);
    SetTextureStageState(3, gfx::D3DTSS_ADDRESSU, gfx::D3DTADDRESS_CLAMP);
    EXPECT_EQ(d->CallCounts().setRenderState, 1u);
    EXPECT_EQ(d->CallCounts().setTextureStageState, 1u);
    EXPECT_EQ(GraphicsDeviceInfo().textureStageStateCache[3 * 256 + gfx::D3DTSS_ADDRESSU], gfx::D3DTADDRESS_CLAMP);
    // Out-of-range numbers are ignored.
    SetRenderState(300, 1);
    SetTextureStageState(4, 1, 1);
    EXPECT_EQ(d->CallCounts().setRenderState, 1u);

    // Right after the caches are reset 0xFFFFFFFF equals the cache: nothing sent.
    InitializeRenderStates();
    d->ResetCallCounts();
    SetRenderState(gfx::D3DRS_FOGCOLOR, 0xFFFFFFFFu);
    SetTextureStageState(1, gfx::D3DTSS_BORDERCOLOR, 0xFFFFFFFFu);
    EXPECT_EQ(d->CallCounts().setRenderState, 0u);
    EXPECT_EQ(d->CallCounts().setTextureStageState, 0u);
}

TEST_F(GraphicsDeviceTest, BlendAndFillPresets) {
    ASSERT_EQ(InitializeDirectXGraphics(), 1);
    struct Preset {
        int preset;
        std::uint32_t src, dest;
    } presets[] = {
        {0, gfx::D3DBLEND_ONE, gfx::D3DBLEND_ZERO},          {1, gfx::D3DBLEND_SRCALPHA, gfx::D3DBLEND_INVSRCALPHA},
        {2, gfx::D3DBLEND_SRCALPHA, gfx::D3DBLEND_ONE},      {4, gfx::D3DBLEND_ZERO, gfx::D3DBLEND_SRCCOLOR},
        {5, gfx::D3DBLEND_ONE, gfx::D3DBLEND_ONE},           {6, gfx::D3DBLEND_DESTCOLOR, gfx::D3DBLEND_ONE},
        {7, gfx::D3DBLEND_INVDESTCOLOR, gfx::D3DBLEND_ZERO},
    };
    gfx::DWORD src = 0, dest = 0;
    for (const Preset& p : presets) {
        SetBlendMode(p.preset);
        Device()->GetRenderState(gfx::D3DRS_SRCBLEND, &src);
        Device()->GetRenderState(gfx::D3DRS_DESTBLEND, &dest);
        EXPECT_EQ(src, p.src) << p.preset;
        EXPECT_EQ(dest, p.dest) << p.preset;
    }
    // 3, negative and above 7 keep the current blend.
    SetBlendMode(1);
    Device()->ResetCallCounts();
    for (int preset : {3, 8, 100, -1}) SetBlendMode(preset);
    EXPECT_EQ(Device()->CallCounts().setRenderState, 0u);
    EXPECT_EQ(GraphicsDeviceInfo().renderStateCache[gfx::D3DRS_SRCBLEND], gfx::D3DBLEND_SRCALPHA);

    const std::uint32_t fills[4][2] = {{gfx::D3DFILL_POINT, gfx::D3DSHADE_GOURAUD},
                                       {gfx::D3DFILL_WIREFRAME, gfx::D3DSHADE_GOURAUD},
                                       {gfx::D3DFILL_SOLID, gfx::D3DSHADE_FLAT},
                                       {gfx::D3DFILL_SOLID, gfx::D3DSHADE_GOURAUD}};
    for (int preset = 0; preset < 4; ++preset) {
        SetFillMode(preset);
        Device()->GetRenderState(gfx::D3DRS_FILLMODE, &src);
        Device()->GetRenderState(gfx::D3DRS_SHADEMODE, &dest);
        EXPECT_EQ(src, fills[preset][0]);
        EXPECT_EQ(dest, fills[preset][1]);
    }
    SetFillMode(4);
    EXPECT_EQ(GraphicsDeviceInfo().renderStateCache[gfx::D3DRS_FILLMODE], gfx::D3DFILL_SOLID);
}

namespace {

// An engine texture of the tests: just holds a device texture.
gfx::Direct3DTexture8* g_deviceTextures[2] = {};
std::vector<std::string> g_calls;

// Engine texture and surface objects are opaque to the device layer.
alignas(16) char g_objects[4][16];
Texture* FakeTexture(int i) { return reinterpret_cast<Texture*>(&g_objects[i]); }
Surface* FakeSurface(int i) { return reinterpret_cast<Surface*>(&g_objects[2 + i]); }

}  // namespace

TEST_F(GraphicsDeviceTest, TextureCacheBindsThroughTheTextureObject) {
    ASSERT_EQ(InitializeDirectXGraphics(), 1);
    ASSERT_EQ(Device()->CreateTexture(4, 4, 1, 0, gfx::D3DFMT_A8R8G8B8, gfx::D3DPOOL_MANAGED, &g_deviceTextures[0]),
              gfx::D3D_OK);
    DeviceHooks().textureResource = [](Texture* t) -> gfx::Direct3DBaseTexture8* {
        return t == FakeTexture(0) ? g_deviceTextures[0] : nullptr;
    };
    Device()->ResetCallCounts();
    SetTexture(FakeTexture(0), 0);
    SetTexture(FakeTexture(0), 0);
    EXPECT_EQ(Device()->CallCounts().setTexture, 1u);
    gfx::Direct3DBaseTexture8* bound = nullptr;
    Device()->GetTexture(0, &bound);
    EXPECT_EQ(bound, g_deviceTextures[0]);
    bound->Release();
    SetTexture(nullptr, 0);
    Device()->GetTexture(0, &bound);
    EXPECT_EQ(bound, nullptr);
    EXPECT_EQ(Device()->CallCounts().setTexture, 2u);
    g_deviceTextures[0]->Release();
    g_deviceTextures[0] = nullptr;
}

TEST_F(GraphicsDeviceTest, CurrentTextureMarker) {
    ASSERT_EQ(InitializeDirectXGraphics(), 1);
    EXPECT_EQ(CheckCurrentTexture(0), 1);
    EXPECT_EQ(CheckCurrentTexture(7), 0);
    EXPECT_EQ(CheckCurrentTexture(7), 1);
    EXPECT_TRUE(BeginScene());
    EXPECT_EQ(CheckCurrentTexture(7), 0);
    EndScene();
}

namespace {

void InstallRecordingHooks() {
    g_calls.clear();
    static const char* names[kDeviceObjectKindCount] = {
        "surfaces", "textures", "sprites", "listsprites", "primitives", "primitives2", "particles", "models", "scene"};
    // One recording function per kind.
    auto& h = DeviceHooks();
    h.lostAll[0] = [] { g_calls.push_back(std::string("lost ") + names[0]); };
    h.lostAll[1] = [] {
        g_calls.push_back(std::string("lost ") + names[1]);
        // The texture manager gives back its default-pool texture.
        if (g_deviceTextures[1]) g_deviceTextures[1]->Release();
        g_deviceTextures[1] = nullptr;
    };
    h.lostAll[2] = [] { g_calls.push_back(std::string("lost ") + names[2]); };
    h.lostAll[3] = [] { g_calls.push_back(std::string("lost ") + names[3]); };
    h.lostAll[4] = [] { g_calls.push_back(std::string("lost ") + names[4]); };
    h.lostAll[5] = [] { g_calls.push_back(std::string("lost ") + names[5]); };
    h.lostAll[6] = [] { g_calls.push_back(std::string("lost ") + names[6]); };
    h.lostAll[7] = [] { g_calls.push_back(std::string("lost ") + names[7]); };
    h.lostAll[8] = [] { g_calls.push_back(std::string("lost ") + names[8]); };
    h.resetAll[0] = [] { g_calls.push_back(std::string("reset ") + names[0]); };
    h.resetAll[1] = [] {
        g_calls.push_back(std::string("reset ") + names[1]);
        GetDirect3DDevice()->CreateTexture(8, 8, 1, 0, gfx::D3DFMT_A8R8G8B8, gfx::D3DPOOL_DEFAULT,
                                           &g_deviceTextures[1]);
    };
    h.resetAll[2] = [] { g_calls.push_back(std::string("reset ") + names[2]); };
    h.resetAll[3] = [] { g_calls.push_back(std::string("reset ") + names[3]); };
    h.resetAll[4] = [] { g_calls.push_back(std::string("reset ") + names[4]); };
    h.resetAll[5] = [] { g_calls.push_back(std::string("reset ") + names[5]); };
    h.resetAll[6] = [] { g_calls.push_back(std::string("reset ") + names[6]); };
    h.resetAll[7] = [] { g_calls.push_back(std::string("reset ") + names[7]); };
    h.resetAll[8] = [] { g_calls.push_back(std::string("reset ") + names[8]); };
    h.applyCameraTransform = [] { g_calls.push_back("camera"); };
    h.setDepthBuffer = [](Surface* s) -> i32 {
        g_calls.push_back(s == FakeSurface(0) ? "depth" : "other depth");
        return 1;
    };
}

}  // namespace

TEST_F(GraphicsDeviceTest, LostDeviceIsRestoredAtPresentAndStatesReapplied) {
    ASSERT_EQ(InitializeDirectXGraphics(), 1);
    gfx::Direct3DDevice8* d = Device();
    ASSERT_EQ(d->CreateTexture(8, 8, 1, 0, gfx::D3DFMT_A8R8G8B8, gfx::D3DPOOL_DEFAULT, &g_deviceTextures[1]),
              gfx::D3D_OK);
    InstallRecordingHooks();
    SetCurrentDepthBuffer(FakeSurface(0));
    SetRenderState(gfx::D3DRS_ZENABLE, 1);
    SetBlendMode(5);
    SetTextureStageState(2, gfx::D3DTSS_ADDRESSV, gfx::D3DTADDRESS_CLAMP);
    SetTexture(FakeTexture(1), 0);
    i32 framesBefore = App().frameCount;

    d->SimulateDeviceLost();
    Present();
    EXPECT_FALSE(d->IsLost());
    EXPECT_EQ(App().frameCount, framesBefore + 1);  // the frame still counts
    const std::vector<std::string> expected = {
        "lost surfaces",    "lost textures",  "lost sprites",      "lost listsprites", "lost primitives",
        "lost primitives2", "lost particles", "lost models",       "lost scene",       "reset surfaces",
        "reset textures",   "reset sprites",  "reset listsprites", "reset primitives", "reset primitives2",
        "reset particles",  "reset models",   "reset scene",       "camera",           "depth"};
    EXPECT_EQ(g_calls, expected);
    // Every cached state is on the device again.
    gfx::DWORD v = 0;
    d->GetRenderState(gfx::D3DRS_ZENABLE, &v);
    EXPECT_EQ(v, 1u);
    d->GetRenderState(gfx::D3DRS_SRCBLEND, &v);
    EXPECT_EQ(v, gfx::D3DBLEND_ONE);
    d->GetRenderState(gfx::D3DRS_CULLMODE, &v);
    EXPECT_EQ(v, gfx::D3DCULL_NONE);
    d->GetTextureStageState(2, gfx::D3DTSS_ADDRESSV, &v);
    EXPECT_EQ(v, gfx::D3DTADDRESS_CLAMP);
    d->GetTextureStageState(0, gfx::D3DTSS_MAGFILTER, &v);
    EXPECT_EQ(v, gfx::D3DTEXF_LINEAR);
    // A state the engine never set keeps the device default after the reset.
    d->GetRenderState(gfx::D3DRS_TEXTUREFACTOR, &v);
    EXPECT_EQ(v, 0xFFFFFFFFu);
    // The bound-texture cache was cleared, so the next bind reaches the device.
    EXPECT_EQ(GraphicsDeviceInfo().boundTextures[0], nullptr);
    EXPECT_EQ(d->CallCounts().resets, 1u);
    ASSERT_NE(g_deviceTextures[1], nullptr);
    g_deviceTextures[1]->Release();
    g_deviceTextures[1] = nullptr;
    EXPECT_EQ(App().exitRequested, 0);
}

TEST_F(GraphicsDeviceTest, NothingHappensWhenTheDeviceIsFine) {
    ASSERT_EQ(InitializeDirectXGraphics(), 1);
    InstallRecordingHooks();
    RestoreDevice(0);
    EXPECT_TRUE(g_calls.empty());
    EXPECT_EQ(Device()->CallCounts().resets, 0u);
    RestoreDevice(1);  // forced (window mode switch)
    EXPECT_EQ(Device()->CallCounts().resets, 1u);
    EXPECT_FALSE(g_calls.empty());
}

TEST_F(GraphicsDeviceTest, NineFailedResetsThenSuccessRestores) {
    ASSERT_EQ(InitializeDirectXGraphics(), 1);
    InstallRecordingHooks();
    gfx::GraphicsEnvironment().resetFailures = 9;
    Device()->SimulateDeviceLost();
    Present();
    EXPECT_FALSE(Device()->IsLost());
    EXPECT_EQ(Device()->CallCounts().resets, 10u);
    EXPECT_EQ(clock_.TotalSlept(), 900u);
    EXPECT_EQ(App().exitRequested, 0);
    EXPECT_EQ(g_calls.back(), "camera");
    if (g_deviceTextures[1]) g_deviceTextures[1]->Release();
    g_deviceTextures[1] = nullptr;
}

TEST_F(GraphicsDeviceTest, TenFailedResetsAskTheApplicationToExit) {
    ASSERT_EQ(InitializeDirectXGraphics(), 1);
    InstallRecordingHooks();
    gfx::GraphicsEnvironment().resetFailures = 1000;
    Device()->SimulateDeviceLost();
    i32 framesBefore = App().frameCount;
    Present();
    EXPECT_EQ(Device()->CallCounts().resets, 10u);
    EXPECT_EQ(clock_.SleepCalls(), 10);
    EXPECT_EQ(clock_.TotalSlept(), 1000u);
    EXPECT_EQ(App().exitRequested, 1);
    EXPECT_EQ(App().frameCount, framesBefore + 1);
    // Nothing was restored.
    for (const std::string& call : g_calls) EXPECT_EQ(call.rfind("lost ", 0), 0u) << call;
}

TEST_F(GraphicsDeviceTest, ResetIsRefusedWhileDefaultPoolObjectsAreHeld) {
    ASSERT_EQ(InitializeDirectXGraphics(), 1);
    gfx::Direct3DTexture8* held = nullptr;
    ASSERT_EQ(Device()->CreateTexture(8, 8, 1, 0, gfx::D3DFMT_A8R8G8B8, gfx::D3DPOOL_DEFAULT, &held), gfx::D3D_OK);
    Device()->SimulateDeviceLost();
    Present();
    EXPECT_EQ(App().exitRequested, 1);
    EXPECT_TRUE(Device()->IsLost());
    held->Release();
}

TEST_F(GraphicsDeviceTest, FormatHelpers) {
    EXPECT_EQ(GetFormatBytesPerPixel(gfx::D3DFMT_R8G8B8), 3);
    EXPECT_EQ(GetFormatBytesPerPixel(gfx::D3DFMT_D24S8), 4);
    EXPECT_EQ(GetFormatBytesPerPixel(gfx::D3DFMT_A8P8), 2);
    EXPECT_EQ(GetFormatBytesPerPixel(gfx::D3DFMT_A4L4), 1);
    EXPECT_EQ(GetFormatBytesPerPixel(gfx::D3DFMT_DXT1), 0);
    char buffer[64];
    EXPECT_STREQ(GetFormatName(gfx::D3DFMT_X1R5G5B5, buffer), "X1R5G5B5");
    EXPECT_STREQ(buffer, "X1R5G5B5");
    EXPECT_STREQ(GetFormatName(gfx::D3DFMT_D16_LOCKABLE, nullptr), "D16LOCKENABLE");
    EXPECT_STREQ(GetFormatName(0, nullptr), "UnKnwon");
    EXPECT_STREQ(GetDirect3DErrorText(0, nullptr), "エラーは発生していない。");
    EXPECT_STREQ(GetDirect3DErrorText(5, nullptr), "未知のエラー。");
    EXPECT_STRNE(GetDirect3DErrorText(gfx::D3DERR_DEVICELOST, nullptr), "未知のエラー。");
}
