#include "tests/game/play/runner_support.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "engine/app/application_main.h"
#include "engine/app/run_options.h"
#include "engine/core/application.h"
#include "engine/graphics/device.h"
#include "game/enemy/enemy_content.h"
#include "game/enemy/enemy_draw.h"
#include "game/patterns/pattern_content.h"
#include "game/patterns/stage_registry.h"
#include "game/play/enemy_runtime.h"
#include "game/play/play_overlays.h"
#include "game/play/play_scene.h"
#include "game/play/records.h"
#include "game/play/stage_dispatch.h"
#include "game/shell/game_main.h"
#include "game/shell/play_state.h"
#include "game/shell/replay_runner.h"
#include "game/shell/save_files.h"
#include "game/shell/title_scene.h"
#include "game/shell/transition.h"
#include "game/stages/stage_content.h"
#include "platform/gfx/device.h"
#include "platform/input.h"
#include "tests/support/golden.h"
#include "tests/support/temp_dir.h"
#include "tools/sampledata/input_script.h"

namespace runner_test {

namespace fs = std::filesystem;

namespace {

struct Current {
    const RunSpec* spec = nullptr;
    RunResult* result = nullptr;
    SceneFrameFn scenes[kSceneSlots] = {};
    std::string folder;
};
Current g_run;

void TestSetup() {
    std::snprintf(App().applicationFolder, sizeof App().applicationFolder, "%s", g_run.folder.c_str());
    ResetCurrentDirectory();
    fs::create_directory("system");
    g_ConfigData = DefaultConfigData();
    g_ConfigData.fullScreen = 0;
    g_ConfigData.showBootDialog = 0;
    g_ConfigData.showTalk = g_run.spec->showTalk;
    SaveConfig();
    g_SystemData = DefaultSystemData();
    if (g_run.spec->unlockAll) {
        for (auto& row : g_SystemData.StageProgress)
            for (u8& s : row) s = 1;
    }
    SaveSystemData();
    GameSetup();
    const std::string name = "tolvarin-runner-test-" + std::to_string(getpid());
    SetApplicationName(name.c_str());
}

template <i32 Scene>
void Observed() {
    const i32 before = CurrentScene;
    if (g_run.scenes[Scene]) g_run.scenes[Scene]();
    FrameRow r;
    r.frame = GameFrameCount() + 1;
    r.sceneBefore = before;
    r.sceneAfter = CurrentScene;
    const GameState& g = g_GameState;
    const PlayerState& p = g_PlayerState[0];
    r.stageIndex = g.StageIndex;
    r.gameMode = g.GameMode;
    r.startKind = g.StartKind;
    r.difficulty = g.Difficulty;
    r.phase = g.StageScriptPhase;
    r.frameCounter = g.FrameCounter;
    r.scrollY = g.BackgroundScrollY;
    r.section = g.BackgroundSection;
    r.pauseActive = g_PauseMenu.PauseActive;
    r.continuePrompt = g_ContinuePrompt.ContinuePromptActive;
    r.blinkTimer = p.blinkTimer;
    r.missileStock = p.missileStock;
    r.coins = static_cast<i32>(g_CoinList.size());
    r.talkActive = static_cast<u8>(g_TalkState.active != 0);
    r.talkEvent = g_TalkState.eventId;
    r.talkLine = g_TalkState.lineIndex;
    r.talkFrame = g_TalkState.lineFrame;
    r.lives = p.lives;
    r.score = p.RunScore;
    r.stagePoints = p.StageScorePoints;
    r.pointsShown = p.stagePointsShown;
    r.x = p.x;
    r.y = p.y;
    r.shots = static_cast<i32>(g_PlayerShotList.size());
    r.missiles = static_cast<i32>(g_PlayerMissileList.size());
    r.enemies = static_cast<i32>(g_EnemyList.size());
    r.effects = static_cast<i32>(g_EffectList.size());
    r.bullets = static_cast<i32>(g_EnemyBulletList.size());
    r.titleState = g_Title.TitleMenuState;
    r.stateHash = ComputeStateHash();
    g_run.result->rows.push_back(r);
    const std::vector<i64>& want = g_run.spec->shotFrames;
    if (std::find(want.begin(), want.end(), r.frame) != want.end()) {
        platform::gfx::Direct3DSurface8* back = nullptr;
        if (GetBackBuffer(&back)) {
            FrameShot s;
            s.pitch = back->Pitch();
            s.width = back->Width();
            s.height = back->Height();
            s.format = back->Format();
            s.pixels.assign(back->Bits(), back->Bits() + static_cast<std::size_t>(back->Pitch()) * back->Height());
            back->Release();
            g_run.result->shots[r.frame] = std::move(s);
        }
    }
    if (g_run.spec->hook) g_run.spec->hook(r);
}

template <i32 Scene>
void Wrap() {
    g_run.scenes[Scene] = SceneFrame(Scene);
    RegisterSceneFrame(Scene, Observed<Scene>);
}

}  // namespace

Script& Script::Tap(i64 frame, u16 word) {
    if (frame >= 1 && static_cast<std::size_t>(frame) <= words.size())
        words[static_cast<std::size_t>(frame - 1)] |= word;
    return *this;
}

Script& Script::Hold(i64 from, i64 to, u16 word) {
    for (i64 f = from; f <= to; ++f) Tap(f, word);
    return *this;
}

void CutSecondStageToTheBoss() {
    while (!g_EnemyList.empty()) {
        ReleaseEnemyParts(0);
        g_EnemyList.erase(g_EnemyList.begin());
    }
    g_GameState.StageScriptPhase = 9;
    g_GameState.StageScriptFrame = 51;
}

std::vector<u16> WholeGameInput() {
    const fs::path path = fs::path(TOLVARIN_SOURCE_DIR) / "tests" / "game" / "program" / "whole_game_input.txt";
    std::ifstream in(path);
    if (!in) {
        ADD_FAILURE() << "cannot read " << path;
        return {};
    }
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<u16> words;
    std::string error;
    if (!ParseInputScript(text, words, error)) {
        ADD_FAILURE() << path << ": " << error;
        return {};
    }
    return words;
}

void WriteInputFile(const fs::path& path, const std::vector<u16>& words) {
    std::ofstream f(path, std::ios::binary);
    for (u16 w : words) {
        const char bytes[2] = {static_cast<char>(w & 0xFF), static_cast<char>(w >> 8)};
        f.write(bytes, 2);
    }
}

const FrameRow& RowAt(const RunResult& r, i64 frame) {
    static const FrameRow none;
    for (const FrameRow& row : r.rows)
        if (row.frame == frame) return row;
    ADD_FAILURE() << "no frame " << frame;
    return none;
}

::testing::AssertionResult ShotMatches(const RunResult& r, i64 frame, const std::string& name) {
    auto it = r.shots.find(frame);
    if (it == r.shots.end()) return ::testing::AssertionFailure() << "no picture of frame " << frame;
    const FrameShot& s = it->second;
    testing_support::FrameView view{s.pixels.data(), s.pitch, s.width, s.height,
                                    static_cast<platform::gfx::D3DFORMAT>(s.format)};
    return testing_support::MatchesGolden(TOLVARIN_TEST_DIR "/golden", name, view);
}

RunResult RunGame(const RunSpec& spec) {
    RunResult result;
    if (spec.noDraw && !spec.shotFrames.empty()) {
        ADD_FAILURE() << "a run without drawing has no pictures to keep";
        return result;
    }
    testing_support::TempDir dir;
    const fs::path old = fs::current_path();
    const fs::path data = TOLVARIN_BUILD_DIR;
    for (const char* name : {"vsk1.dat", "vsk2.dat", "vsk3.dat", "vsk4.dat", "vsk5.dat", "vsk6.dat", "vsk7.dat"}) {
        if (!fs::exists(data / name)) {
            ADD_FAILURE() << "the sample data set is missing: " << name;
            return result;
        }
        fs::create_symlink(data / name, dir.path() / name);
    }
    g_run = Current{};
    g_run.spec = &spec;
    g_run.result = &result;
    g_run.folder = dir.str();
    result.folder = dir.path();

    // The program's own start (game/main.cpp), then the observers around
    // the scenes it and the shell register.
    ResetApplicationState();
    Options() = RunOptions();
    Options().headless = true;
    Options().frameLimit = spec.frameLimit;
    Options().noDraw = spec.noDraw;
    Options().recordFile = spec.recordFile;
    Options().playFile = spec.playFile;
    if (!spec.playFile.empty()) {
        const FileStatus status = PrepareRunnerPlayback(spec.playFile);
        if (!status) {
            ADD_FAILURE() << "cannot play " << spec.playFile << ": " << status.message;
            Options() = RunOptions();
            g_run = Current{};
            return result;
        }
    }
    auto& globals = const_cast<GraphicsDeviceGlobals&>(GraphicsDeviceInfo());
    globals.preferFullColorScreen = 0;
    globals.preferFullColorTexture = 0;
    ResetStageDispatch();
    for (i32 s = 0; s < kSceneSlots; ++s) RegisterSceneFrame(s, nullptr);
    RegisterPlayScene();
    RegisterStages();
    RegisterShellScenes();
    Wrap<kSceneLogo>();
    Wrap<kScenePlay>();
    Wrap<kSceneTitle>();
    if (spec.watchReportAndEnding) {
        Wrap<kSceneStageReport>();
        Wrap<kSceneEnding>();
        Wrap<kSceneResult>();
    }
    platform::SetScriptedInput(spec.input);
    SetGameCallbacks(TestSetup, GameMain);

    result.exitCode = ApplicationMain(0, nullptr);

    // The content registered above goes too: a test after this one plays
    // with the content its own fixture registers, as it would alone.
    for (i32 s = 0; s < kSceneSlots; ++s) RegisterSceneFrame(s, nullptr);
    ResetStageDispatch();
    ClearEnemyLooks();
    SetGameCallbacks(nullptr, nullptr);
    platform::ClearScriptedInput();
    Options() = RunOptions();
    ResetApplicationState();
    fs::current_path(old);
    g_run = Current{};
    return result;
}

}  // namespace runner_test
