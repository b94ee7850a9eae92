#pragma once
// A play scene ready to run: fresh game state and lists, the default stage
// content with every stage's scenery (scenery_fixture.h), a started graphics
// device (so that frames draw), a temporary
// program folder (so that saves land there) and a trace of the frame's calls.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/application.h"
#include "engine/core/random.h"
#include "engine/graphics/device.h"
#include "game/play/play_overlays.h"
#include "game/play/play_scene.h"
#include "game/play/records.h"
#include "game/play/stage_dispatch.h"
#include "game/shell/game_main.h"
#include "game/shell/play_state.h"
#include "game/shell/replay.h"
#include "game/shell/save_files.h"
#include "game/shell/transition.h"
#include "platform/clock.h"
#include "platform/gfx/device.h"
#include "platform/input.h"
#include "tests/game/play/scenery_fixture.h"
#include "tests/support/temp_dir.h"

namespace play_test {

inline std::vector<std::string>& TraceLog() {
    static std::vector<std::string> log;
    return log;
}

inline void RecordTrace(std::string_view event) { TraceLog().emplace_back(event); }

// The trace without the image loads.
inline std::vector<std::string> CallTrace() {
    std::vector<std::string> calls;
    for (const std::string& e : TraceLog()) {
        if (e.rfind("texture ", 0) == 0 || e.rfind("surface ", 0) == 0 || e.rfind("plane ", 0) == 0) continue;
        calls.push_back(e);
    }
    return calls;
}

class PlayFixture : public ::testing::Test {
protected:
    void SetUp() override {
        savedFolder_ = std::filesystem::current_path();
        std::filesystem::current_path(dir_.path());
        std::filesystem::create_directory(dir_.path() / "system");
        ResetGameState();
        ResetPlayPrompts();
        // Everything a new program starts with, the talk state's last line
        // included (an earlier runner test may have left a talk behind).
        ResetPlayRecords();
        ResetStageDispatch();
        RegisterSceneries();
        ResetPlayRecord(g_PlayRecord);
        ClearStageRanks(g_PlayRecord);
        g_SystemData = SystemData{};
        g_PlayerState[0].lives = 3;
        g_GameState.Continues = 3;
        CurrentScene = kScenePlay;
        PreviousScene = kSceneTitle;
        SceneInitRequest = 1;
        TransitionState = Transition{};
        App().active = 1;
        platform::ClearScriptedInput();
        TraceLog().clear();
        SetPlayTrace(RecordTrace);
        if (withDevice_) StartDevice();
    }
    void TearDown() override {
        SetPlayTrace(nullptr);
        platform::ClearScriptedInput();
        TransitionState = Transition{};
        if (deviceStarted_) {
            DestroyDirectXGraphics();
            platform::SetClock(nullptr);
            platform::gfx::ResetGraphicsEnvironment();
        }
        std::filesystem::current_path(savedFolder_);
    }

    void StartDevice() {
        platform::gfx::ResetGraphicsEnvironment();
        ResetApplicationState();
        SetWindowMode(1);
        platform::SetClock(&clock_);
        ASSERT_EQ(InitializeDirectXGraphics(), 1);
        deviceStarted_ = true;
    }

    // Loads stage `stage` in `mode` through the first frame's load.
    void Load(i32 stage, i32 mode = kGameModeNormal) {
        g_GameState.StageIndex = stage;
        g_GameState.GameMode = mode;
        SceneInitRequest = 1;
        LoadStage();
    }

    // One play frame with this live input word.
    static void Frame(u16 live) {
        platform::SetScriptedInput({live});
        platform::ScriptedInput();
        PlayFrame();
    }

    // Runs frames until the scene changes (at most `limit`); returns how many ran.
    int RunUntilSceneChanges(int limit = 1000) {
        int frames = 0;
        while (CurrentScene == kScenePlay && frames < limit) {
            Frame(0);
            ++frames;
        }
        return frames;
    }

    bool withDevice_ = true;
    bool deviceStarted_ = false;
    platform::VirtualClock clock_;
    testing_support::TempDir dir_;
    std::filesystem::path savedFolder_;
};

}  // namespace play_test
