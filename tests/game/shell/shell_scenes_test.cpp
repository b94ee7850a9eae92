// The logo and title scenes through their frame routines on the software
// device over the sample data, with scripted input words: the states they
// reach, and golden frames of what they draw.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/core/angle.h"
#include "engine/core/application.h"
#include "engine/graphics/device.h"
#include "engine/graphics/surface.h"
#include "engine/graphics/texture.h"
#include "game/shell/config_scene.h"
#include "game/shell/game_main.h"
#include "game/shell/play_state.h"
#include "game/shell/input.h"
#include "game/shell/logo_scene.h"
#include "game/shell/ranking.h"
#include "game/shell/save_files.h"
#include "game/shell/shell_graphics.h"
#include "game/shell/sound_effects.h"
#include "game/shell/title_scene.h"
#include "game/shell/transition.h"
#include "platform/clock.h"
#include "platform/gfx/device.h"
#include "platform/input.h"
#include "tests/support/golden.h"

namespace {

namespace gfx = platform::gfx;

class ShellScenes : public ::testing::Test {
protected:
    void SetUp() override {
        savedFolder_ = std::filesystem::current_path();
        std::filesystem::current_path(TOLVARIN_BUILD_DIR);
        gfx::ResetGraphicsEnvironment();
        ResetApplicationState();
        SetWindowMode(1);
        platform::SetClock(&clock_);
        auto& globals = const_cast<GraphicsDeviceGlobals&>(GraphicsDeviceInfo());
        globals.preferFullColorScreen = 0;
        globals.preferFullColorTexture = 1;
        DeviceHooks() = GraphicsDeviceHooks{};
        FillSineTable();
        ASSERT_EQ(InitializeDirectXGraphics(), 1);
        InitializeTexture();
        InitializeSurface();
        std::strncpy(App().applicationFolder, TOLVARIN_BUILD_DIR, sizeof App().applicationFolder - 1);

        g_ConfigData = DefaultConfigData();
        g_SystemData = DefaultSystemData();
        g_RankingTable = DefaultRankingTable();
        ResetGameState();
        ResetKeyRepeatCounters();
        RearmSoundEffectGates();
        TransitionState = Transition{};
        g_Title.TitleSpinCounter = 0;
        for (i32 s = 0; s < kSceneSlots; ++s) RegisterSceneFrame(s, nullptr);
        RegisterShellScenes();
        CreateRunObjects();
        CurrentScene = kSceneLogo;
        PreviousScene = 1;
        SceneInitRequest = 1;
    }
    void TearDown() override {
        platform::ClearScriptedInput();
        for (i32 s = 0; s < kSceneSlots; ++s) RegisterSceneFrame(s, nullptr);
        // The managers release every image; forget the scenes' pointers.
        g_Logo.images = LogoImages{};
        g_Title.images = TitleImages{};
        g_Config.images = ConfigImages{};
        BlackTexture = nullptr;
        SideSurface = nullptr;
        SharedDepthBuffer = nullptr;
        DestroySurface();
        DestroyTexture();
        DestroyDirectXGraphics();
        DeviceHooks() = GraphicsDeviceHooks{};
        platform::SetClock(nullptr);
        gfx::ResetGraphicsEnvironment();
        auto& globals = const_cast<GraphicsDeviceGlobals&>(GraphicsDeviceInfo());
        globals.preferFullColorTexture = 0;
        std::filesystem::current_path(savedFolder_);
    }

    // Frames as the game main runs them, each with its scripted word.
    void Run(const std::vector<u16>& words) {
        platform::SetScriptedInput(words);
        for (std::size_t i = 0; i < words.size(); ++i) {
            platform::ScriptedInput();
            RunSceneFrame();
            ++frames_;
        }
    }
    void Idle(int frames) { Run(std::vector<u16>(static_cast<std::size_t>(frames), 0)); }
    void Tap(u16 word) { Run({word, 0}); }
    // Idle frames until the scene is `scene` and, for the title, the state is
    // `titleState`.
    void IdleUntil(i32 scene, i32 titleState = -1) {
        for (int i = 0; i < 2000; ++i) {
            if (CurrentScene == scene && !SceneInitRequest && (titleState < 0 || g_Title.TitleMenuState == titleState))
                return;
            Idle(1);
        }
        FAIL() << "scene " << scene << " state " << titleState << " not reached";
    }
    ::testing::AssertionResult Golden(const std::string& name) {
        return testing_support::MatchesGolden(TOLVARIN_TEST_DIR "/golden", name,
                                              GetDirect3DDevice()->BackBufferSurface());
    }

    platform::VirtualClock clock_;
    std::filesystem::path savedFolder_;
    int frames_ = 0;
};

TEST_F(ShellScenes, LogoRunsIntoTheTitle) {
    Idle(50);
    EXPECT_EQ(g_Logo.LogoState, kLogoNotice);
    EXPECT_TRUE(Golden("logo_notice"));
    Idle(200);  // the first logo, uncovered
    EXPECT_EQ(g_Logo.LogoState, kLogoMaker1);
    EXPECT_TRUE(Golden("logo_maker1"));
    IdleUntil(kSceneTitle);
    EXPECT_EQ(PreviousScene, kSceneLogo);
    // Every picture's time, the last wipe, and the title's first frame.
    EXPECT_EQ(frames_, 101 + 171 + 52 + 171 + 52 + 201 + 96 + 1);
    EXPECT_EQ(g_Logo.images.maker1, nullptr);  // released on leaving
}

TEST_F(ShellScenes, ZSkipsTheLogos) {
    Idle(150);
    Tap(kInputZ);
    EXPECT_EQ(g_Logo.LogoSkipRequested, 1);
    Idle(20);
    EXPECT_TRUE(Golden("logo_skip_wipe"));
    IdleUntil(kSceneTitle);
    EXPECT_EQ(frames_, 151 + 96 + 1);  // Z in frame 151, the wipe, the title's first frame
}

TEST_F(ShellScenes, TitleMenusByScriptedInput) {
    CurrentScene = kSceneTitle;
    IdleUntil(kSceneTitle, kTitleMain);
    Idle(60);
    EXPECT_TRUE(Golden("title_main"));
    Tap(kInputDown);
    Tap(kInputZ);
    EXPECT_EQ(g_Title.TitleMenuState, kTitleDifficulty);
    Idle(40);
    EXPECT_TRUE(Golden("title_difficulty"));
    Tap(kInputZ);
    EXPECT_EQ(g_Title.TitleMenuState, kTitleStageSelect);
    Idle(40);
    EXPECT_TRUE(Golden("title_stage_select"));
    Tap(kInputX);
    EXPECT_EQ(g_Title.TitleMenuState, kTitleMain);
    EXPECT_EQ(g_Title.TitleCursor, 1);
    // The settings open (they are left without saving here).
    Tap(kInputDown);
    Tap(kInputDown);
    Tap(kInputDown);
    Tap(kInputZ);
    EXPECT_EQ(g_Title.TitleMenuState, kTitleLeaving);
    EXPECT_EQ(g_Title.TitleNextScene, kSceneSettings);
    Idle(40);
    EXPECT_TRUE(Golden("title_leaving"));
    IdleUntil(kSceneSettings);
    EXPECT_EQ(PreviousScene, kSceneTitle);
    EXPECT_EQ(g_Title.images.menu, nullptr);
    EXPECT_NE(g_Config.images.window, nullptr);
}

TEST_F(ShellScenes, TitleQuitEndsTheProgram) {
    CurrentScene = kSceneTitle;
    IdleUntil(kSceneTitle, kTitleMain);
    Tap(kInputUp);
    Tap(kInputZ);
    Idle(100);
    EXPECT_EQ(CurrentScene, kSceneProgramEnd);
    EXPECT_TRUE(App().exitRequested);
    EXPECT_EQ(g_Title.images.background, nullptr);
}

}  // namespace
