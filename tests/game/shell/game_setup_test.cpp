#include <gtest/gtest.h>

#include <filesystem>

#include "engine/core/application.h"
#include "game/shell/game_main.h"
#include "game/shell/hit_shape.h"
#include "game/shell/save_files.h"
#include "platform/system.h"
#include "tests/support/temp_dir.h"

namespace {

class GameSetupTest : public ::testing::Test {
protected:
    void SetUp() override {
        old_ = std::filesystem::current_path();
        std::filesystem::current_path(dir_.path());
        ResetApplicationState();
        std::string folder = dir_.str();
        std::snprintf(App().applicationFolder, sizeof App().applicationFolder, "%s", folder.c_str());
    }
    void TearDown() override {
        std::filesystem::current_path(old_);
        ResetApplicationState();
    }
    testing_support::TempDir dir_;
    std::filesystem::path old_;
};

TEST_F(GameSetupTest, FirstStartMakesFoldersFilesAndEngineSettings) {
    GameSetup();
    for (const char* f : {"replay", "screen", "system"}) EXPECT_TRUE(std::filesystem::is_directory(f)) << f;
    EXPECT_EQ(std::filesystem::file_size("config.dat"), 84u);
    EXPECT_EQ(std::filesystem::file_size("system/system.dat"), 224u);
    ApplicationState& app = App();
    EXPECT_EQ(platform::SjisToUtf8(app.applicationName), "\u3000Tolvarin -Pellistra-  Ver 1.00\u3000");
    EXPECT_EQ(app.clientWidth, 640);
    EXPECT_EQ(app.clientHeight, 480);
    EXPECT_EQ(app.frameRate, 60);
    EXPECT_EQ(app.showCursor, 0);
    EXPECT_EQ(app.SubsystemMask, 0x13u);
    EXPECT_EQ(app.drawStartupText, 0);
    EXPECT_EQ(app.hookCount, 1);
    // The default settings ask for full screen.
    EXPECT_EQ(app.windowed, 0);
    EXPECT_EQ(DefaultHitShapes[0].halfWidth, 5);
    EXPECT_EQ(DefaultHitShapes[0].halfHeight, 3);
    EXPECT_EQ(DefaultHitShapes[2].radius, 12);
}

TEST_F(GameSetupTest, WindowedSettingKeepsTheWindow) {
    std::filesystem::create_directory("system");
    g_ConfigData = DefaultConfigData();
    g_ConfigData.fullScreen = 0;
    SaveConfig();
    GameSetup();
    EXPECT_EQ(App().windowed, 1);
}

int g_frames[kSceneSlots];
void CountTitle() { ++g_frames[kSceneTitle]; }

TEST(SceneDispatch, RunsOnlyRegisteredScenes) {
    RegisterSceneFrame(kSceneTitle, CountTitle);
    g_frames[kSceneTitle] = 0;
    CurrentScene = 1;  // no routine: nothing runs
    RunSceneFrame();
    EXPECT_EQ(g_frames[kSceneTitle], 0);
    ChangeScene(kSceneTitle);
    EXPECT_EQ(PreviousScene, 1);
    EXPECT_EQ(SceneInitRequest, 1);
    RunSceneFrame();
    EXPECT_EQ(g_frames[kSceneTitle], 1);
    RegisterSceneFrame(99, CountTitle);  // out of range: ignored
    EXPECT_EQ(SceneFrame(99), nullptr);
    RegisterSceneFrame(kSceneTitle, nullptr);
}

}  // namespace
