#include "game/shell/game_main.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "engine/app/application_main.h"
#include "engine/app/run_options.h"
#include "engine/core/application.h"
#include "engine/graphics/device.h"
#include "engine/graphics/surface.h"
#include "engine/graphics/texture.h"
#include "game/shell/boot_dialog.h"
#include "game/shell/config_scene.h"
#include "game/shell/ending_scene.h"
#include "game/shell/hit_shape.h"
#include "game/shell/input.h"
#include "game/shell/logo_scene.h"
#include "game/shell/memory_scene.h"
#include "game/shell/ranking_scene.h"
#include "game/shell/report_scene.h"
#include "game/shell/result_scene.h"
#include "game/shell/title_scene.h"
#include "game/shell/transition.h"
#include "game/shell/music.h"
#include "game/shell/play_state.h"
#include "game/shell/sound_effects.h"
#include "game/shell/ranking.h"
#include "game/shell/replay.h"
#include "game/shell/replay_runner.h"
#include "game/shell/save_files.h"
#include "platform/input.h"
#include "platform/system.h"
#include "platform/window.h"

i32 CurrentScene = 0;
i32 PreviousScene = 1;
u8 SceneInitRequest = 1;
HitShape DefaultHitShapes[3];
Surface* SharedDepthBuffer = nullptr;
Texture* BlackTexture = nullptr;
Surface* SideSurface = nullptr;

namespace {

SceneFrameFn g_sceneFrames[kSceneSlots] = {};
void (*g_createStageCamera)() = nullptr;
void (*g_releaseStageCamera)() = nullptr;
void (*g_prefetchStage)(i32) = nullptr;
void (*g_programStart)() = nullptr;
StateHashFn g_stateHash = nullptr;
StatePartsFn g_stateParts = nullptr;
i64 g_frameCount = 0;
bool g_runFinished = false;

void PrintStateHash() {
    if (!g_stateHash) return;
    std::printf("frame %lld %016llx\n", static_cast<long long>(g_frameCount),
                static_cast<unsigned long long>(g_stateHash()));
    std::fflush(stdout);
}

// --hash-parts N: the parts of the state hash, on a line of their own after
// the frame's hash line.
void PrintStateParts() {
    if (!g_stateParts) return;
    std::printf("parts %lld %s\n", static_cast<long long>(g_frameCount), g_stateParts().c_str());
    std::fflush(stdout);
}

// --status-every N: where the run is, for tools that search for input: the
// scene, the stage and its frame, the stage timeline's phase and frame, and
// the player's lives and points. Read from the state only.
void PrintStatus() {
    const GameState& g = g_GameState;
    const PlayerState& p = g_PlayerState[0];
    std::printf("status %lld scene %d stage %d stage-frame %d phase %d script-frame %d lives %d points %d score %d\n",
                static_cast<long long>(g_frameCount), CurrentScene, g.StageIndex, g.FrameCounter, g.StageScriptPhase,
                g.StageScriptFrame, p.lives, p.StageScorePoints, p.RunScore);
    std::fflush(stdout);
}

void ReleaseStageCamera() {
    if (g_releaseStageCamera) g_releaseStageCamera();
}

// --frame-times FILE: one line "<frame> <nanoseconds> <start>" per frame: the
// time of the scene's routine (the frame's update and drawing, and its present
// when a window shows it), and 1 when the routine started its scene (which
// loads the scene's pictures), else 0.
struct FrameTime {
    i64 nanoseconds = 0;
    bool sceneStart = false;
};

bool WriteFrameTimes(const std::string& path, const std::vector<FrameTime>& times) {
    std::FILE* f = std::fopen(path.c_str(), "w");
    if (!f) return false;
    for (std::size_t i = 0; i < times.size(); ++i) {
        std::fprintf(f, "%zu %lld %d\n", i + 1, static_cast<long long>(times[i].nanoseconds),
                     times[i].sceneStart ? 1 : 0);
    }
    return std::fclose(f) == 0;
}

}  // namespace

void RegisterSceneFrame(i32 scene, SceneFrameFn frame) {
    if (scene >= 0 && scene < kSceneSlots) g_sceneFrames[scene] = frame;
}

SceneFrameFn SceneFrame(i32 scene) { return (scene >= 0 && scene < kSceneSlots) ? g_sceneFrames[scene] : nullptr; }

void RunSceneFrame() {
    if (SceneFrameFn f = SceneFrame(CurrentScene)) f();
}

void RegisterShellScenes() {
    // A routine registered before (a test's stand-in) is kept.
    if (!SceneFrame(kSceneLogo)) RegisterSceneFrame(kSceneLogo, LogoFrame);
    if (!SceneFrame(kSceneTitle)) RegisterSceneFrame(kSceneTitle, TitleFrame);
    if (!SceneFrame(kSceneReplayBrowser)) RegisterSceneFrame(kSceneReplayBrowser, MemoryFrame);
    if (!SceneFrame(kSceneSettings)) RegisterSceneFrame(kSceneSettings, ConfigFrame);
    if (!SceneFrame(kSceneEnding)) RegisterSceneFrame(kSceneEnding, EndingFrame);
    if (!SceneFrame(kSceneStageReport)) RegisterSceneFrame(kSceneStageReport, ReportFrame);
    if (!SceneFrame(kSceneResult)) RegisterSceneFrame(kSceneResult, ResultFrame);
    if (!SceneFrame(kSceneRanking)) RegisterSceneFrame(kSceneRanking, RankingFrame);
}

void ChangeScene(i32 next) {
    PreviousScene = CurrentScene;
    CurrentScene = next;
    SceneInitRequest = 1;
}

void SetProgramStartHook(void (*reset)()) { g_programStart = reset; }

void ResetProgramState() {
    ResetGameState();
    TransitionState = Transition{};
    g_PlayRecord = PlayRecord{};
    ResetRunRecord();
    // Every scene's record, whole: their images are the previous run's
    // (released by its teardown) and some values live across visits.
    g_Logo = LogoSceneState{};
    g_Title = TitleSceneState{};
    g_Memory = MemorySceneState{};
    g_Report = ReportSceneState{};
    g_Result = ResultSceneState{};
    g_Ranking = RankingSceneState{};
    g_Config = ConfigSceneState{};
    g_Ending = EndingSceneState{};
    ResetKeyRepeatCounters();
    ClearSoundEffectStamps();
    if (g_programStart) g_programStart();
}

void SetStateHashFunction(StateHashFn fn) { g_stateHash = fn; }
void SetStatePartsFunction(StatePartsFn fn) { g_stateParts = fn; }
i64 GameFrameCount() { return g_frameCount; }

void SetStagePrefetchHook(void (*prefetch)(i32 stage)) { g_prefetchStage = prefetch; }

void PrefetchStage(i32 stage) {
    if (g_prefetchStage) g_prefetchStage(stage);
}

void SetStageCameraHooks(void (*create)(), void (*release)()) {
    g_createStageCamera = create;
    g_releaseStageCamera = release;
}

const char* GameWindowTitle() {
    static const std::string title = platform::Utf8ToSjis("\u3000Tolvarin -Pellistra-  Ver 1.00\u3000");
    return title.c_str();
}

void PrepareSaveFiles() {
    const std::string base = GetApplicationDirectory();
    // A folder that cannot be made is said with what it costs; the game
    // plays on, and each save into it says its own failure.
    const struct {
        const char* name;
        const char* cost;
    } folders[] = {
        {"replay", "replays cannot be saved"},
        {"screen", "the game does not use it"},
        {"system", "the progress and the ranking cannot be saved"},
    };
    for (const auto& folder : folders) {
        const std::string path = base + "/" + folder.name;
        if (!platform::MakeFolder(path)) {
            const std::string why = std::strerror(errno);
            std::fprintf(stderr, "tolvarin: cannot make the folder %s: %s; %s\n", path.c_str(), why.c_str(),
                         folder.cost);
        }
    }
    LoadConfig();
    const FileStatus ranking = LoadRanking();
    if (!ranking.message.empty()) std::fprintf(stderr, "tolvarin: %s\n", ranking.message.c_str());
    LoadSystemData();
    DefaultHitShapes[0] = {5, 3, 0};
    DefaultHitShapes[1] = {0, 0, 5};
    DefaultHitShapes[2] = {0, 0, 12};
}

void GameSetup() {
    PrepareSaveFiles();
    // Its choices are in g_ConfigData before anything below reads them.
    if (g_ConfigData.showBootDialog) RunBootOptionsDialog();
    SetApplicationName(GameWindowTitle());
    SetScreenSize(640, 480);
    SetFrameRate(60);
    SetWindowMode(1);
    SetShowCursor(0);
    AddMessageHook(platform::WM_KEYDOWN, OnKeyDownHook);
    SetUseSubsystems(0x13);
    SetDrawStartupLog(0);
    if (g_ConfigData.fullColourScreen) EnableFullColorScreen();
    if (g_ConfigData.fullColourTextures) EnableFullColorTexture();
    // Before the window exists this only flips the mode flag.
    if (g_ConfigData.fullScreen) ToggleWindowMode();
}

void OnKeyDownHook(std::uintptr_t wParam, std::intptr_t) {
    if (wParam == platform::VK_ESCAPE) {
        ReleaseStageCamera();
        ApplicationExit();
    }
}

void CreateRunObjects() {
    namespace gfx = platform::gfx;
    SharedDepthBuffer = CreateDepthBuffer(640, 480, nullptr);
    if (SharedDepthBuffer) SharedDepthBuffer->SurfaceSetDepthBuffer();
    BlackTexture = CreateTexture("vsk1.dat", "black", 0, nullptr);
    SideSurface = CreateSurface("vsk2.dat", "side", 1, nullptr);
    if (g_createStageCamera) g_createStageCamera();
    SetTextureStageState(0, gfx::D3DTSS_COLORARG1, gfx::D3DTA_TEXTURE);
    SetTextureStageState(0, gfx::D3DTSS_COLORARG2, gfx::D3DTA_CURRENT);
    SetTextureStageState(0, gfx::D3DTSS_COLOROP, gfx::D3DTOP_MODULATE);
    SetTextureStageState(0, gfx::D3DTSS_ALPHAARG1, gfx::D3DTA_TEXTURE);
    SetTextureStageState(0, gfx::D3DTSS_ALPHAARG2, gfx::D3DTA_CURRENT);
    SetTextureStageState(0, gfx::D3DTSS_ALPHAOP, gfx::D3DTOP_MODULATE);
    SetRenderState(gfx::D3DRS_ALPHABLENDENABLE, 1);
    SetRenderState(gfx::D3DRS_ZENABLE, 0);
    SetRenderState(gfx::D3DRS_ZWRITEENABLE, 0);
    SetRenderState(gfx::D3DRS_CULLMODE, gfx::D3DCULL_NONE);
    SetFillMode(3);
    SetRenderState(gfx::D3DRS_DITHERENABLE, 1);
}

void DrawSidePanels() {
    if (!SideSurface) return;
    SideSurface->SurfaceBlit(0, 0, 0, 0, 120, 480);
    SideSurface->SurfaceBlit(520, 0, 520, 0, 640, 480);
}

void FinishGameRun() {
    if (g_runFinished) return;
    g_runFinished = true;
    if (Options().hashEvery > 0 && g_frameCount % Options().hashEvery != 0) PrintStateHash();
    if (Options().hashPartsEvery > 0 && g_frameCount % Options().hashPartsEvery != 0) PrintStateParts();
    if (Options().statusEvery > 0 && g_frameCount % Options().statusEvery != 0) PrintStatus();
    if (!Options().recordFile.empty()) {
        const FileStatus status = WriteRunRecord(Options().recordFile);
        if (!status) SetRunnerFailure(status.message);
    }
}

i32 GameMain(int, char**) {
    ResetProgramState();
    g_frameCount = 0;
    CurrentScene = kSceneLogo;
    PreviousScene = 1;
    SceneInitRequest = 1;
    RegisterShellScenes();
    InitializeMusic();
    InitializeSoundEffects();
    LoadSoundEffects();
    CreateRunObjects();
    // --play: the prepared replay starts in the play scene instead of the logo.
    StartRunnerPlayback();
    const bool recording = !Options().recordFile.empty();
    const bool timing = !Options().frameTimesFile.empty();
    std::vector<FrameTime> frameTimes;
    g_runFinished = false;
    // A lost display ends the program inside the display library; the run's
    // files are written first, as at the end of the loop.
    platform::SetDisplayLostRoutine(FinishGameRun);
    while (ApplicationPump()) {
        // Scripted input (tests, recordings) moves on one word per frame.
        if (platform::ScriptedInputActive()) platform::ScriptedInput();
        if (timing) {
            FrameTime t;
            t.sceneStart = SceneInitRequest != 0;
            const auto start = std::chrono::steady_clock::now();
            RunSceneFrame();
            t.nanoseconds =
                std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - start).count();
            frameTimes.push_back(t);
        } else {
            RunSceneFrame();
        }
        ++g_frameCount;
        const i32 every = Options().hashEvery;
        if (every > 0 && g_frameCount % every == 0) PrintStateHash();
        const i32 partsEvery = Options().hashPartsEvery;
        if (partsEvery > 0 && g_frameCount % partsEvery == 0) PrintStateParts();
        const i32 statusEvery = Options().statusEvery;
        if (statusEvery > 0 && g_frameCount % statusEvery == 0) PrintStatus();
        if (recording) TrackRunRecord();
        if (RunnerPlaybackEnded()) ApplicationExit();
    }
    FinishGameRun();
    platform::SetDisplayLostRoutine(nullptr);
    if (timing && !WriteFrameTimes(Options().frameTimesFile, frameTimes))
        SetRunnerFailure("cannot write the frame times " + Options().frameTimesFile);
    FinalizeSoundEffects();
    ReleaseStageCamera();
    // The engine's teardown releases the run-long objects; forget them here.
    SharedDepthBuffer = nullptr;
    BlackTexture = nullptr;
    SideSurface = nullptr;
    return 0;
}
