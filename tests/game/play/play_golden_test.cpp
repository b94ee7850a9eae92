// The first frames of every stage over the sample data, drawn by the whole
// program loop (GameMain with its run-long objects and stage camera), kept as
// golden frames: background, clouds, star streaks, HUD, banner and the
// opening transition.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/app/application_main.h"
#include "engine/app/run_options.h"
#include "engine/core/application.h"
#include "engine/graphics/device.h"
#include "game/play/play_scene.h"
#include "game/play/records.h"
#include "game/play/stage_background.h"
#include "game/play/stage_textures.h"
#include "game/shell/game_main.h"
#include "game/shell/play_state.h"
#include "game/shell/replay.h"
#include "game/shell/save_files.h"
#include "game/shell/transition.h"
#include "platform/gfx/device.h"
#include "tests/game/play/scenery_fixture.h"
#include "tests/support/golden.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
namespace gfx = platform::gfx;

const fs::path kBuildDir = TOLVARIN_BUILD_DIR;
constexpr int kShotFrames[] = {2, 90};

struct Shot {
    int frame = 0;
    std::vector<std::uint8_t> pixels;
    std::int32_t pitch = 0;
    std::uint32_t width = 0, height = 0;
    gfx::D3DFORMAT format = gfx::D3DFMT_UNKNOWN;
};

std::string g_folder;
i32 g_stage = 0;
int g_playFrames = 0;
bool g_cameraMade = false;
std::vector<Shot> g_shots;

void TestSetup() {
    std::snprintf(App().applicationFolder, sizeof App().applicationFolder, "%s", g_folder.c_str());
    ResetCurrentDirectory();
    fs::create_directory("system");
    g_ConfigData = DefaultConfigData();
    g_ConfigData.fullScreen = 0;
    g_ConfigData.showBootDialog = 0;
    SaveConfig();
    GameSetup();
    const std::string name = "tolvarin-play-golden-" + std::to_string(getpid());
    SetApplicationName(name.c_str());
}

// The first scene: a playback of one stage with a fixed seed, as the replay
// browser would start it.
void StartStage() {
    g_cameraMade = StageCameraExists();
    ResetGameState();
    ResetPlayLists();
    ResetPlayRecord(g_PlayRecord);
    g_GameState.StageIndex = g_stage;
    g_GameState.GameMode = kGameModeReplay;
    g_GameState.Continues = 3;
    g_PlayRecord.played[g_stage] = 1;
    g_PlayRecord.seed[g_stage] = 1234;
    g_PlayRecord.livesAtStart[g_stage] = 3;
    g_PlayerState[0].x = 320.0f;
    ChangeScene(kScenePlay);
}

void PlayAndPhotograph() {
    PlayFrame();
    ++g_playFrames;
    if (g_playFrames == 1) {
        // What the stage scripts would start: streaks and the banner.
        g_GameState.StarCount = 60;
        g_GameState.StageBannerTimer = 30;
        g_PlayerState[0].missileStock = 2;
        g_PlayerState[0].shotLevel = 3;
        g_PlayerState[0].levelTimerMax = 100;
        g_PlayerState[0].levelTimer = 40;
    }
    for (int f : kShotFrames) {
        if (f != g_playFrames) continue;
        gfx::Direct3DSurface8* back = GetDirect3DDevice()->BackBufferSurface();
        Shot s;
        s.frame = f;
        s.pitch = back->Pitch();
        s.width = back->Width();
        s.height = back->Height();
        s.format = back->Format();
        s.pixels.assign(back->Bits(), back->Bits() + static_cast<std::size_t>(back->Pitch()) * back->Height());
        g_shots.push_back(std::move(s));
    }
}

class PlayGoldenTest : public ::testing::Test {
protected:
    void SetUp() override {
        old_ = fs::current_path();
        g_folder = dir_.str();
        for (const char* name : {"vsk1.dat", "vsk2.dat", "vsk3.dat", "vsk4.dat", "vsk5.dat", "vsk6.dat", "vsk7.dat"}) {
            ASSERT_TRUE(fs::exists(kBuildDir / name)) << "the sample data set is missing: " << name;
            fs::create_symlink(kBuildDir / name, dir_.path() / name);
        }
        ResetApplicationState();
        Options() = RunOptions();
        Options().headless = true;
        Options().frameLimit = kShotFrames[1] + 1;
        auto& globals = const_cast<GraphicsDeviceGlobals&>(GraphicsDeviceInfo());
        globals.preferFullColorScreen = 0;
        globals.preferFullColorTexture = 0;
        TransitionState = Transition{};
        ResetStageDispatch();
        play_test::RegisterSceneries();
        RegisterPlayScene();
        RegisterSceneFrame(kSceneLogo, StartStage);
        RegisterSceneFrame(kScenePlay, PlayAndPhotograph);
        SetGameCallbacks(TestSetup, GameMain);
    }
    void TearDown() override {
        RegisterSceneFrame(kSceneLogo, nullptr);
        RegisterSceneFrame(kScenePlay, nullptr);
        SetGameCallbacks(nullptr, nullptr);
        ResetStageDispatch();
        Options() = RunOptions();
        ResetApplicationState();
        TransitionState = Transition{};
        ResetGameState();
        ResetPlayLists();
        fs::current_path(old_);
    }
    testing_support::TempDir dir_;
    fs::path old_;
};

TEST_F(PlayGoldenTest, FirstFramesOfEveryStage) {
    for (i32 stage = 0; stage < 5; ++stage) {
        SCOPED_TRACE(stage);
        g_stage = stage;
        g_playFrames = 0;
        g_shots.clear();
        ResetApplicationState();
        Options().headless = true;
        Options().frameLimit = kShotFrames[1] + 1;
        ASSERT_EQ(ApplicationMain(0, nullptr), 0);
        EXPECT_TRUE(g_cameraMade) << "GameMain makes the stage camera through the play layer's hook";
        EXPECT_FALSE(StageCameraExists()) << "and releases it at the end";
        EXPECT_EQ(g_StageTextures.picture, nullptr) << "no stage image outlives the run";
        EXPECT_EQ(g_StageTextures.bg[0], nullptr);
        ASSERT_EQ(g_shots.size(), 2u);
        for (const Shot& s : g_shots) {
            testing_support::FrameView view{s.pixels.data(), s.pitch, s.width, s.height, s.format};
            const std::string name = "stage" + std::to_string(stage + 1) + "_frame" + std::to_string(s.frame);
            EXPECT_TRUE(testing_support::MatchesGolden(TOLVARIN_TEST_DIR "/golden", name, view));
        }
    }
}

}  // namespace
