#pragma once
// The shell's scenes run through their frame routines on the software device
// over the sample data: the engine managers the scenes use (textures,
// surfaces, cameras, shaders, models), the game's orthographic camera, the
// run-long objects, and scripted input words, one per frame. The current
// folder is a fresh temporary folder holding links to the sample archives,
// so the files the scenes write (ranking, replays) stay out of the build.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/core/angle.h"
#include "engine/core/application.h"
#include "engine/core/light.h"
#include "engine/graphics/camera.h"
#include "engine/graphics/device.h"
#include "engine/graphics/draw_managers.h"
#include "engine/graphics/surface.h"
#include "engine/graphics/texture.h"
#include "engine/graphics/vertex_shader.h"
#include "engine/model/model.h"
#include "game/shell/game_main.h"
#include "game/shell/input.h"
#include "game/shell/play_state.h"
#include "game/shell/ranking.h"
#include "game/shell/replay.h"
#include "game/shell/save_files.h"
#include "game/shell/shell_graphics.h"
#include "game/shell/sound_effects.h"
#include "game/shell/transition.h"
#include "platform/clock.h"
#include "platform/gfx/device.h"
#include "platform/input.h"
#include "platform/system.h"
#include "tests/support/golden.h"
#include "tests/support/temp_dir.h"

namespace scene_test {

namespace gfx = platform::gfx;

inline void IgnoreMessageBox(std::uint32_t, const std::string&, const std::string&) {}

class SceneTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedFolder_ = std::filesystem::current_path();
        for (const char* archive : {"vsk1.dat", "vsk2.dat", "vsk3.dat", "vsk4.dat", "vsk7.dat"}) {
            std::filesystem::create_symlink(std::filesystem::path(TOLVARIN_BUILD_DIR) / archive, dir_.path() / archive);
        }
        std::filesystem::create_directories(dir_.path() / "system");
        std::filesystem::current_path(dir_.path());
        gfx::ResetGraphicsEnvironment();
        ResetApplicationState();
        SetWindowMode(1);
        platform::SetMessageBoxSink(IgnoreMessageBox);
        platform::SetClock(&clock_);
        auto& globals = const_cast<GraphicsDeviceGlobals&>(GraphicsDeviceInfo());
        globals.preferFullColorScreen = 0;
        globals.preferFullColorTexture = 1;
        DeviceHooks() = GraphicsDeviceHooks{};
        FillSineTable();
        ResetLights();
        ResetCurrentViewState();
        ASSERT_EQ(InitializeDirectXGraphics(), 1);
        InitializeCamera();
        InitializeVertexShader();
        InitializeTexture();
        InitializeSurface();
        InitializeScene();
        InitializeModel();
        camera_ = CreateCamera();
        camera_->CameraSetOrtho(320.0f, 240.0f, 1.0f, 1000.0f);
        const Vector3 eye{0.0f, 0.0f, 0.0f};
        const Vector3 target{0.0f, 0.0f, 100.0f};
        camera_->CameraLookAt(&eye, &target, nullptr);
        camera_->CameraUpdateView();
        camera_->CameraApply();
        std::strncpy(App().applicationFolder, dir_.str().c_str(), sizeof App().applicationFolder - 1);

        g_ConfigData = DefaultConfigData();
        g_SystemData = DefaultSystemData();
        g_RankingTable = DefaultRankingTable();
        ResetGameState();
        ResetPlayRecord(g_PlayRecord);
        ResetKeyRepeatCounters();
        RearmSoundEffectGates();
        TransitionState = Transition{};
        for (i32 s = 0; s < kSceneSlots; ++s) RegisterSceneFrame(s, nullptr);
        RegisterShellScenes();
        CreateRunObjects();
        PreviousScene = 1;
        SceneInitRequest = 1;
    }
    void TearDown() override {
        platform::ClearScriptedInput();
        for (i32 s = 0; s < kSceneSlots; ++s) RegisterSceneFrame(s, nullptr);
        ForgetSceneImages();
        BlackTexture = nullptr;
        SideSurface = nullptr;
        SharedDepthBuffer = nullptr;
        DestroyScene();
        DestroyModel();
        DestroyVertexShader();
        DestroySurface();
        DestroyTexture();
        DestroyCamera();
        DestroyDirectXGraphics();
        DeviceHooks() = GraphicsDeviceHooks{};
        ResetLights();
        ResetCurrentViewState();
        platform::SetMessageBoxSink(nullptr);
        platform::SetClock(nullptr);
        gfx::ResetGraphicsEnvironment();
        auto& globals = const_cast<GraphicsDeviceGlobals&>(GraphicsDeviceInfo());
        globals.preferFullColorTexture = 0;
        std::filesystem::current_path(savedFolder_);
    }

    // The managers release every image at teardown; the scenes' pointers are
    // forgotten here.
    virtual void ForgetSceneImages() {}

    // Enters `scene` as its caller would: previous scene, init request.
    void Enter(i32 scene, i32 previous) {
        PreviousScene = previous;
        CurrentScene = scene;
        SceneInitRequest = 1;
    }

    // Frames as the game main runs them, each with its scripted word.
    void Run(const std::vector<u16>& words) {
        platform::SetScriptedInput(words);
        for (std::size_t i = 0; i < words.size(); ++i) {
            platform::ScriptedInput();
            RunSceneFrame();
            ++frames_;
        }
        platform::ClearScriptedInput();
    }
    void Idle(int frames) { Run(std::vector<u16>(static_cast<std::size_t>(frames), 0)); }
    // A key pressed for one frame and released in the next.
    void Tap(u16 word) { Run({word, 0}); }
    // Idle frames until `done` holds (at most `limit`).
    template <typename Pred>
    void IdleUntil(Pred done, int limit = 3000) {
        for (int i = 0; i < limit; ++i) {
            if (done()) return;
            Idle(1);
        }
        FAIL() << "condition not reached in " << limit << " frames";
    }
    ::testing::AssertionResult Golden(const std::string& name) {
        return testing_support::MatchesGolden(TOLVARIN_TEST_DIR "/golden", name,
                                              GetDirect3DDevice()->BackBufferSurface());
    }
    const std::filesystem::path& Folder() const { return dir_.path(); }

    testing_support::TempDir dir_;
    platform::VirtualClock clock_;
    Camera* camera_ = nullptr;
    std::filesystem::path savedFolder_;
    int frames_ = 0;
};

// A scene routine that only counts its frames: the play scene's and the
// other scenes' stand-in in roads that lead into them.
inline int g_standInFrames = 0;
inline void StandInFrame() {
    ++g_standInFrames;
    SceneInitRequest = 0;
}

}  // namespace scene_test
