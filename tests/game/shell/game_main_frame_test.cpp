// GameMain's start on the sample data: the run-long objects, the states it
// sets, the first frame as a scene draws it (golden), and the program's
// headless screenshots.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "engine/app/application_main.h"
#include "engine/app/run_options.h"
#include "engine/app/screenshot.h"
#include "engine/core/application.h"
#include "engine/graphics/device.h"
#include "engine/graphics/surface.h"
#include "engine/graphics/texture.h"
#include "game/shell/game_main.h"
#include "game/shell/save_files.h"
#include "platform/gfx/device.h"
#include "tests/support/golden.h"
#include "tests/support/program.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
namespace gfx = platform::gfx;

const fs::path kBuildDir = TOLVARIN_BUILD_DIR;

// What the test's first scene frame saw while the device was alive.
struct FirstFrame {
    int frames = 0;
    std::vector<std::uint8_t> pixels;
    std::int32_t pitch = 0;
    std::uint32_t width = 0, height = 0;
    gfx::D3DFORMAT format = gfx::D3DFMT_UNKNOWN;
    bool depthBufferCurrent = false;
    i32 blackReady = 0;
    bool sideHasPixels = false;
    u32 renderStates[256] = {};
    u32 stage0[256] = {};
    i32 preferFullColorScreen = -1;
    i32 preferFullColorTexture = -1;
};
FirstFrame g_seen;
std::string g_folder;
u8 g_fullColourScreen = 0;
u8 g_fullColourTextures = 0;

// The game's set-up in a folder of its own that holds the sample archives:
// no boot dialog, windowed, and a lock name of its own so parallel tests do
// not refuse each other.
void TestSetup() {
    std::snprintf(App().applicationFolder, sizeof App().applicationFolder, "%s", g_folder.c_str());
    ResetCurrentDirectory();
    fs::create_directory("system");
    g_ConfigData = DefaultConfigData();
    g_ConfigData.fullScreen = 0;
    g_ConfigData.showBootDialog = 0;
    g_ConfigData.fullColourScreen = g_fullColourScreen;
    g_ConfigData.fullColourTextures = g_fullColourTextures;
    SaveConfig();
    GameSetup();
    const std::string name = "tolvarin-frame-test-" + std::to_string(getpid());
    SetApplicationName(name.c_str());
}

// A frame as every scene draws it, with nothing of its own yet.
void FirstSceneFrame() {
    if (BeginScene()) {
        ClearScreen(0xFF000000u);
        DrawSidePanels();
        EndScene();
    }
    Present();
    if (g_seen.frames++ != 0) return;
    gfx::Direct3DDevice8* device = GetDirect3DDevice();
    gfx::Direct3DSurface8* back = device->BackBufferSurface();
    g_seen.pitch = back->Pitch();
    g_seen.width = back->Width();
    g_seen.height = back->Height();
    g_seen.format = back->Format();
    g_seen.pixels.assign(back->Bits(), back->Bits() + static_cast<std::size_t>(back->Pitch()) * back->Height());
    gfx::Direct3DSurface8* depth = nullptr;
    if (device->GetDepthStencilSurface(&depth) == gfx::D3D_OK) {
        g_seen.depthBufferCurrent = SharedDepthBuffer && depth == SharedDepthBuffer->GetDirect3DResource();
        depth->Release();
    }
    g_seen.blackReady = BlackTexture ? BlackTexture->TextureIsReady() : -1;
    g_seen.sideHasPixels = SideSurface && SideSurface->GetDirect3DResource() != nullptr;
    const GraphicsDeviceGlobals& info = GraphicsDeviceInfo();
    std::memcpy(g_seen.renderStates, info.renderStateCache, sizeof g_seen.renderStates);
    std::memcpy(g_seen.stage0, info.textureStageStateCache, sizeof g_seen.stage0);
    g_seen.preferFullColorScreen = info.preferFullColorScreen;
    g_seen.preferFullColorTexture = info.preferFullColorTexture;
}

class GameMainFrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        old_ = fs::current_path();
        g_folder = dir_.str();
        for (const char* name : {"vsk1.dat", "vsk2.dat", "vsk3.dat", "vsk4.dat", "vsk5.dat", "vsk6.dat", "vsk7.dat"}) {
            ASSERT_TRUE(fs::exists(kBuildDir / name)) << "the sample data set is missing: " << name;
            fs::create_symlink(kBuildDir / name, dir_.path() / name);
        }
        g_seen = FirstFrame{};
        ResetApplicationState();
        Options() = RunOptions();
        Options().headless = true;
        Options().frameLimit = 1;
        auto& globals = const_cast<GraphicsDeviceGlobals&>(GraphicsDeviceInfo());
        globals.preferFullColorScreen = 0;
        globals.preferFullColorTexture = 0;
        RegisterSceneFrame(kSceneLogo, FirstSceneFrame);
        SetGameCallbacks(TestSetup, GameMain);
    }
    void TearDown() override {
        RegisterSceneFrame(kSceneLogo, nullptr);
        SetGameCallbacks(nullptr, nullptr);
        Options() = RunOptions();
        auto& globals = const_cast<GraphicsDeviceGlobals&>(GraphicsDeviceInfo());
        globals.preferFullColorScreen = 0;
        globals.preferFullColorTexture = 0;
        g_fullColourScreen = g_fullColourTextures = 0;
        ResetApplicationState();
        fs::current_path(old_);
    }
    testing_support::TempDir dir_;
    fs::path old_;
};

TEST_F(GameMainFrameTest, FirstFrameShowsTheSidePanelsOfTheSampleData) {
    EXPECT_EQ(ApplicationMain(0, nullptr), 0);
    ASSERT_EQ(g_seen.frames, 1);
    EXPECT_TRUE(g_seen.depthBufferCurrent);
    EXPECT_EQ(g_seen.blackReady, 1);
    EXPECT_TRUE(g_seen.sideHasPixels);
    EXPECT_EQ(SideSurface, nullptr);  // forgotten once the engine released it
    testing_support::FrameView view{g_seen.pixels.data(), g_seen.pitch, g_seen.width, g_seen.height, g_seen.format};
    EXPECT_TRUE(testing_support::MatchesGolden(TOLVARIN_TEST_DIR "/golden", "game_main_first_frame", view));
}

TEST_F(GameMainFrameTest, StartSetsTheTextureStageAndRenderStates) {
    EXPECT_EQ(ApplicationMain(0, nullptr), 0);
    ASSERT_EQ(g_seen.frames, 1);
    EXPECT_EQ(g_seen.stage0[gfx::D3DTSS_COLORARG1], static_cast<u32>(gfx::D3DTA_TEXTURE));
    EXPECT_EQ(g_seen.stage0[gfx::D3DTSS_COLORARG2], static_cast<u32>(gfx::D3DTA_CURRENT));
    EXPECT_EQ(g_seen.stage0[gfx::D3DTSS_COLOROP], static_cast<u32>(gfx::D3DTOP_MODULATE));
    EXPECT_EQ(g_seen.stage0[gfx::D3DTSS_ALPHAARG1], static_cast<u32>(gfx::D3DTA_TEXTURE));
    EXPECT_EQ(g_seen.stage0[gfx::D3DTSS_ALPHAARG2], static_cast<u32>(gfx::D3DTA_CURRENT));
    EXPECT_EQ(g_seen.stage0[gfx::D3DTSS_ALPHAOP], static_cast<u32>(gfx::D3DTOP_MODULATE));
    EXPECT_EQ(g_seen.renderStates[gfx::D3DRS_ALPHABLENDENABLE], 1u);
    EXPECT_EQ(g_seen.renderStates[gfx::D3DRS_ZENABLE], 0u);
    EXPECT_EQ(g_seen.renderStates[gfx::D3DRS_ZWRITEENABLE], 0u);
    EXPECT_EQ(g_seen.renderStates[gfx::D3DRS_CULLMODE], static_cast<u32>(gfx::D3DCULL_NONE));
    EXPECT_EQ(g_seen.renderStates[gfx::D3DRS_FILLMODE], static_cast<u32>(gfx::D3DFILL_SOLID));
    EXPECT_EQ(g_seen.renderStates[gfx::D3DRS_SHADEMODE], static_cast<u32>(gfx::D3DSHADE_GOURAUD));
    EXPECT_EQ(g_seen.renderStates[gfx::D3DRS_DITHERENABLE], 1u);
    EXPECT_EQ(g_seen.preferFullColorScreen, 0);
    EXPECT_EQ(g_seen.preferFullColorTexture, 0);
}

TEST_F(GameMainFrameTest, FullColourSettingsBecomeTheDevicesPreferences) {
    struct Case {
        u8 screen, textures;
    } cases[] = {{1, 0}, {0, 1}, {1, 1}};
    for (const Case& c : cases) {
        g_seen = FirstFrame{};
        ResetApplicationState();
        Options().headless = true;
        Options().frameLimit = 1;
        auto& globals = const_cast<GraphicsDeviceGlobals&>(GraphicsDeviceInfo());
        globals.preferFullColorScreen = 0;
        globals.preferFullColorTexture = 0;
        g_fullColourScreen = c.screen;
        g_fullColourTextures = c.textures;
        EXPECT_EQ(ApplicationMain(0, nullptr), 0);
        ASSERT_EQ(g_seen.frames, 1);
        EXPECT_EQ(g_seen.preferFullColorScreen, c.screen);
        EXPECT_EQ(g_seen.preferFullColorTexture, c.textures);
    }
}

// The built program, headless, photographs the frames asked for.
TEST(HeadlessRunner, SavesTheBackBufferAfterTheFramesAskedFor) {
    testing_support::ProgramFolder folder;
    const fs::path shots = folder.dir() / "shots";
    const testing_support::ProgramResult r =
        folder.Run({"--frames", "3", "--screenshot-at", "2", "--screenshot-dir", shots.string()});
    ASSERT_EQ(r.exitCode, 0) << r;
    const fs::path shot = ScreenshotPath(shots.string(), 2);
    ASSERT_TRUE(fs::exists(shot)) << r;
    EXPECT_FALSE(fs::exists(ScreenshotPath(shots.string(), 1)));
    EXPECT_FALSE(fs::exists(ScreenshotPath(shots.string(), 3)));
    // A PNG of 640 x 480.
    std::ifstream png(shot, std::ios::binary);
    std::vector<unsigned char> head(24);
    png.read(reinterpret_cast<char*>(head.data()), 24);
    ASSERT_EQ(png.gcount(), 24);
    EXPECT_EQ(std::vector<unsigned char>(head.begin(), head.begin() + 8),
              (std::vector<unsigned char>{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}));
    auto be32 = [&](int at) { return (head[at] << 24) | (head[at + 1] << 16) | (head[at + 2] << 8) | head[at + 3]; };
    EXPECT_EQ(be32(16), 640);
    EXPECT_EQ(be32(20), 480);
}

// A screenshot that cannot be written is said, the run plays on to its end,
// and its exit status says it failed (a script waiting for the pictures must
// not take the run for a success).
TEST(HeadlessRunner, AScreenshotThatCannotBeWrittenFailsTheRun) {
    struct Case {
        const char* what;
        std::function<void(const fs::path& shots)> prepare;
        const char* reason;
    };
    const Case cases[] = {
        {"a file where the folder should be", [](const fs::path& shots) { std::ofstream(shots) << "a file"; },
         "Not a directory"},
        {"a full disk",
         [](const fs::path& shots) {
             fs::create_directory(shots);
             fs::create_symlink("/dev/full", ScreenshotPath(shots.string(), 2));
         },
         "No space left on device"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (std::string(c.reason) == "No space left on device" && !fs::exists("/dev/full")) continue;
        testing_support::ProgramFolder folder;
        const fs::path shots = folder.dir() / "shots";
        c.prepare(shots);
        const testing_support::ProgramResult r = folder.Run(
            {"--frames", "3", "--hash-every", "1", "--screenshot-at", "2", "--screenshot-dir", shots.string()});
        EXPECT_EQ(r.exitCode, 1) << r;
        EXPECT_NE(r.err.find("cannot write the screenshot " + ScreenshotPath(shots.string(), 2) + ": " + c.reason),
                  std::string::npos)
            << r;
        EXPECT_EQ(testing_support::ParseFrameHashes(r.out).size(), 3u) << r;
    }
}

TEST(Screenshots, FileNamesCarryTheFrameNumber) {
    EXPECT_EQ(ScreenshotPath("out", 2), (fs::path("out") / "frame-000002.png").string());
    EXPECT_EQ(ScreenshotPath("out", 1234567), (fs::path("out") / "frame-1234567.png").string());
}

}  // namespace
