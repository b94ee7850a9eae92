// The replay browser, the settings and the ending through their frame
// routines on the software device over the sample data: golden frames of what
// they draw. The scenes run in a temporary folder that links the archives, so
// their saves stay there.
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
#include "game/shell/ending_scene.h"
#include "game/shell/game_main.h"
#include "game/shell/input.h"
#include "game/shell/memory_scene.h"
#include "game/shell/play_state.h"
#include "game/shell/replay.h"
#include "game/shell/save_files.h"
#include "game/shell/sound_effects.h"
#include "game/shell/title_scene.h"
#include "game/shell/transition.h"
#include "platform/clock.h"
#include "platform/gfx/device.h"
#include "platform/input.h"
#include "tests/support/golden.h"
#include "tests/support/temp_dir.h"

namespace {

namespace gfx = platform::gfx;
namespace fs = std::filesystem;

class MenuScenes : public ::testing::Test {
protected:
    void SetUp() override {
        savedFolder_ = fs::current_path();
        for (const char* archive : {"vsk1.dat", "vsk2.dat", "vsk4.dat", "vsk7.dat"}) {
            fs::create_symlink(fs::path(TOLVARIN_BUILD_DIR) / archive, dir_.path() / archive);
        }
        fs::create_directory(dir_.path() / "replay");
        fs::create_directory(dir_.path() / "system");
        fs::current_path(dir_.path());
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
        std::strncpy(App().applicationFolder, dir_.str().c_str(), sizeof App().applicationFolder - 1);

        g_ConfigData = DefaultConfigData();
        g_SystemData = DefaultSystemData();
        ResetGameState();
        ResetKeyRepeatCounters();
        RearmSoundEffectGates();
        TransitionState = Transition{};
        g_Memory.MemoryScrollX = g_Memory.MemoryScrollY = 0;
        g_Config.ConfigScrollX = g_Config.ConfigScrollY = 0;
        g_Config.ConfigPanelTimer = -30;
        for (i32& k : g_Config.ConfigKeyState) k = 0;
        g_Memory.MemoryCursor = g_Memory.MemoryStageCursor = g_Memory.MemoryHeadingZoom = 0;
        g_Ending.EndingRequest = 0;
        for (i32 s = 0; s < kSceneSlots; ++s) RegisterSceneFrame(s, nullptr);
        RegisterSceneFrame(kScenePlay, [] {});
        RegisterShellScenes();
        CreateRunObjects();
        PreviousScene = kSceneTitle;
        SceneInitRequest = 1;
    }
    void TearDown() override {
        platform::ClearScriptedInput();
        for (i32 s = 0; s < kSceneSlots; ++s) RegisterSceneFrame(s, nullptr);
        // The managers release every image; forget the scenes' pointers.
        g_Title.images = TitleImages{};
        g_Memory.images = MemoryImages{};
        g_Config.images = ConfigImages{};
        g_Ending.images = EndingImages{};
        g_ReplayList.clear();
        g_ReplayPathList.clear();
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
        fs::current_path(savedFolder_);
    }

    void Run(const std::vector<u16>& words) {
        platform::SetScriptedInput(words);
        for (std::size_t i = 0; i < words.size(); ++i) {
            platform::ScriptedInput();
            RunSceneFrame();
        }
    }
    void Idle(int frames) { Run(std::vector<u16>(static_cast<std::size_t>(frames), 0)); }
    void Tap(u16 word) { Run({word, 0}); }
    // Idle frames until the current scene is no longer `scene`.
    void IdleWhile(i32 scene) {
        for (int i = 0; i < 400 && CurrentScene == scene; ++i) Idle(1);
    }
    ::testing::AssertionResult Golden(const std::string& name) {
        return testing_support::MatchesGolden(TOLVARIN_TEST_DIR "/golden", name,
                                              GetDirect3DDevice()->BackBufferSurface());
    }
    // A replay of stages 0..last with a name and a score of its own.
    void SaveReplayFile(i32 last, u32 tag, i32 difficulty) {
        PlayRecord r;
        for (i32 s = 0; s <= last; ++s) {
            RecordStageStart(r, s, 10 + static_cast<u32>(s), 3, 0, 0);
            AppendInputWord(r, s, 0);
            r.stageScore[static_cast<std::size_t>(s)] = 12345 * static_cast<u32>(s + 1) + tag;
            r.stageRank[static_cast<std::size_t>(s)] = static_cast<u32>((s + tag) % 6);
        }
        ReplayRunInfo run;
        run.Difficulty = difficulty;
        run.score = ComputeResultScore(r);
        run.name = {40 + tag % 26, 10 + tag % 26, 1 + tag % 9, 70 + tag % 12, 82};
        ASSERT_TRUE(SaveReplay(r, run, "golden").status);
    }

    testing_support::TempDir dir_;
    platform::VirtualClock clock_;
    fs::path savedFolder_;
};

TEST_F(MenuScenes, ReplayBrowser) {
    for (u32 i = 0; i < 12; ++i) SaveReplayFile(static_cast<i32>(i % 5), i, static_cast<i32>(i % 3));
    CurrentScene = kSceneReplayBrowser;
    Idle(100);
    ASSERT_EQ(g_Memory.MemoryState, kMemoryList);
    EXPECT_EQ(g_Memory.MemoryHeadingZoom, 50);
    for (int i = 0; i < 8; ++i) Tap(kInputDown);
    Idle(2);
    EXPECT_EQ(g_Memory.MemoryListTop, 2);
    EXPECT_TRUE(Golden("memory_list"));
    Tap(kInputDown);
    Tap(kInputZ);  // vosket009: stages 0..4 played
    Idle(10);
    EXPECT_TRUE(Golden("memory_stages_sliding"));
    Idle(30);
    Tap(kInputDown);
    EXPECT_TRUE(Golden("memory_stages"));
    Tap(kInputX);
    Idle(40);
    Tap(kInputDown);  // vosket010: stage 0 only
    Tap(kInputZ);
    Idle(40);
    EXPECT_TRUE(Golden("memory_stages_one_played"));
}

TEST_F(MenuScenes, ReplayBrowserWithoutReplays) {
    CurrentScene = kSceneReplayBrowser;
    Idle(20);
    EXPECT_TRUE(Golden("memory_opening_empty"));
    Idle(80);
    EXPECT_TRUE(Golden("memory_empty"));
    ASSERT_EQ(g_Memory.MemoryState, kMemoryList);
    Tap(kInputZ);
    EXPECT_EQ(g_Memory.MemoryState, kMemoryLeaving);
    IdleWhile(kSceneReplayBrowser);
    EXPECT_EQ(CurrentScene, kSceneTitle);
}

TEST_F(MenuScenes, Settings) {
    g_ConfigData.fullColourScreen = 0;
    g_ConfigData.musicVolume = 6;
    g_ConfigData.effectVolume = 3;
    g_ConfigData.joystickButtons[kJoyButtonT] = 11;
    g_Config.ConfigPanelTimer = 0;  // the first visit after the start
    CurrentScene = kSceneSettings;
    Idle(10);
    EXPECT_TRUE(Golden("config_opening"));
    Idle(90);
    ASSERT_EQ(g_Config.ConfigState, kConfigRows);
    for (int i = 0; i < 4; ++i) Tap(kInputDown);
    Tap(kInputLeft);
    EXPECT_EQ(g_ConfigData.musicVolume, 5);
    EXPECT_TRUE(Golden("config_rows"));

    // The capture panel (no pad under scripted input: the state is set).
    g_Config.ConfigState = kConfigCapture;
    g_Config.ConfigCursor = 1;
    g_Config.ConfigPanelTimer = 0;
    g_Config.ConfigFrameCount = 120;
    DrawConfig();
    EXPECT_TRUE(Golden("config_capture"));

    g_Config.ConfigState = kConfigRows;
    g_Config.ConfigCursor = kConfigRowBack;
    Tap(kInputZ);
    IdleWhile(kSceneSettings);
    EXPECT_EQ(CurrentScene, kSceneTitle);
    EXPECT_TRUE(fs::exists("config.dat"));
}

TEST_F(MenuScenes, Ending) {
    g_GameState.StoryFlags[67] = 1;  // ending 13
    CurrentScene = kSceneEnding;
    Idle(20);
    ASSERT_EQ(g_Ending.EndingNumber, 13);
    EXPECT_TRUE(Golden("ending_start_opening"));
    Idle(40);
    EXPECT_TRUE(Golden("ending_start"));

    // Pictures of later phases, drawn with the state set and no transition.
    struct Shot {
        const char* name;
        i32 phase;
        i32 timer;
        i32 frame;
    };
    const Shot shots[] = {
        // clang-format off
        {"ending_picture1", 10, 300, -1000},
        {"ending_picture4_fading", 41, 740, -500},
        {"ending_first_text", 52, 100, 0},
        {"ending_own_picture", 54, 620, 300},
        {"ending_picture7", 70, 1000, 2500},
        {"ending_picture7_last_caption", 71, 1180, 2600},
        {"ending_black", 80, 150, 3100},
        {"ending_credits", 110, 800, 5000},
        {"ending_credits_fade", 111, 3050, 8000},
        {"ending_last_picture", 112, 100, 8100},
        // clang-format on
        {"ending_last_fade", 113, 200, 8500},
    };
    for (const Shot& s : shots) {
        TransitionState = Transition{};
        g_Ending.EndingPhase = s.phase;
        g_Ending.EndingPhaseTimer = s.timer;
        g_Ending.EndingFrameCount = s.frame;
        DrawEnding();
        EXPECT_TRUE(Golden(s.name)) << s.name;
    }

    // Cut short: the ticker is drawn under the closing bricks.
    g_Ending.EndingPhase = 20;
    g_Ending.EndingPhaseTimer = 300;
    g_Ending.EndingFrameCount = 600;
    Tap(kInputZ);
    Idle(20);
    EXPECT_EQ(g_Ending.EndingLeaveRequest, 1);
    EXPECT_TRUE(Golden("ending_cut_short"));
    IdleWhile(kSceneEnding);
    EXPECT_EQ(CurrentScene, kSceneTitle);
    EXPECT_EQ(g_Ending.images.own, nullptr);
    EXPECT_TRUE(fs::exists("system/system.dat"));
}

}  // namespace
