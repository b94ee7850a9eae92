#include "game/play/play_scene.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "engine/core/application.h"
#include "engine/core/random.h"
#include "engine/graphics/device.h"
#include "engine/graphics/surface.h"
#include "engine/graphics/texture.h"
#include "engine/graphics/image_upload.h"
#include "engine/image/prefetch.h"
#include "game/play/coins.h"
#include "game/play/collision.h"
#include "game/play/effects.h"
#include "game/play/enemy_runtime.h"
#include "game/play/enemy_shells.h"
#include "game/play/missiles.h"
#include "game/play/play_overlays.h"
#include "game/play/player.h"
#include "game/play/records.h"
#include "game/play/shots.h"
#include "game/play/stage_background.h"
#include "game/play/stage_dispatch.h"
#include "game/play/stage_random.h"
#include "game/play/stage_textures.h"
#include "game/play/state_hash.h"
#include "game/play/talk.h"
#include "game/play/target_markers.h"
#include "game/shell/game_main.h"
#include "game/shell/music.h"
#include "game/shell/play_state.h"
#include "game/shell/replay.h"
#include "game/shell/report_scene.h"
#include "game/shell/save_files.h"
#include "game/shell/scene_frame.h"
#include "game/shell/shell_graphics.h"
#include "game/shell/sound_effects.h"
#include "game/shell/transition.h"

namespace {

GameState& G() { return g_GameState; }
PlayerState& P() { return g_PlayerState[0]; }

PlayTraceFn g_trace = nullptr;

constexpr const char* kSheetArchive = "vsk1.dat";
constexpr const char* kBackgroundArchive = "vsk2.dat";
constexpr const char* kSpeechArchive = "vsk3.dat";

// The demonstration closes after this many frames once no talk runs.
constexpr i32 kDemoFrameLimit = 4000;

bool IsNormalPlay() { return G().GameMode != kGameModeReplay && G().GameMode != kGameModeDemo; }

// Record slot of the current stage, or -1 outside the record.
i32 RecordSlot() { return G().StageIndex >= 0 && G().StageIndex < kStageSlots ? G().StageIndex : -1; }

// Whether this stage's closing asked for the report's pictures already.
bool g_reportPrefetched = false;

void Trace(const char* event) {
    if (g_trace) g_trace(event);
}

Texture* LoadTexture(const char* archive, const char* name) {
    if (!name) return nullptr;
    if (g_trace) g_trace(std::string("texture ") + archive + " " + name);
    return CreateTexture(archive, name, 1, nullptr);
}

Surface* LoadSurface(const char* archive, const char* name) {
    if (!name) return nullptr;
    if (g_trace) g_trace(std::string("surface ") + archive + " " + name);
    return CreateSurface(archive, name, 1, nullptr);
}

template <typename T>
void ReleaseSlot(T*& slot) {
    if (slot) {
        slot->Release();
        slot = nullptr;
    }
}

// Every stage image that is set released and cleared, in the teardown's order.
void ReleaseStageImages() {
    StageTextures& t = g_StageTextures;
    for (Surface*& bg : t.bg) ReleaseSlot(bg);
    for (Texture** e : {&t.E1, &t.E2, &t.E3, &t.E4, &t.E5, &t.E6, &t.E7, &t.E8, &t.E9}) ReleaseSlot(*e);
    for (Texture*& c : t.cloud) ReleaseSlot(c);
    for (Model*& plane : t.plane) ReleaseCloudPlane(plane);
    ReleaseSlot(t.picture);
    ReleaseSlot(t.effect);
    ReleaseSlot(t.B1);
    ReleaseSlot(t.B2);
    ReleaseSlot(t.missile);
    ReleaseSlot(t.window);
    for (Texture*& f : t.face) ReleaseSlot(f);
    ReleaseSlot(t.pause);
    ReleaseSlot(t.stage_title);
    for (Texture*& s : t.speech) ReleaseSlot(s);
}

void LoadStageImages(const StageLoadRow& row) {
    StageTextures& t = g_StageTextures;
    Texture** enemy[9] = {&t.E1, &t.E2, &t.E3, &t.E4, &t.E5, &t.E6, &t.E7, &t.E8, &t.E9};
    for (int i = 0; i < 9; ++i) *enemy[i] = LoadTexture(kSheetArchive, row.enemy[i]);
    t.B1 = LoadTexture(kSheetArchive, row.boss[0]);
    t.B2 = LoadTexture(kSheetArchive, row.boss[1]);
    for (int i = 0; i < 9; ++i) t.bg[i] = LoadSurface(kBackgroundArchive, row.background[i]);
    for (int i = 0; i < 2; ++i) {
        t.cloud[i] = LoadTexture(kSheetArchive, row.cloud[i]);
        if (row.cloud[i]) {
            if (g_trace) g_trace("plane " + std::to_string(i));
            t.plane[i] = CreateCloudPlane(t.cloud[i]);
        }
    }
    for (int i = 0; i < 3; ++i) t.face[i] = LoadTexture(kSheetArchive, row.face[i]);
    for (int i = 0; i < 10; ++i) t.speech[i] = LoadTexture(kSpeechArchive, row.speech[i]);
}

// Every archive entry LoadStage loads for stage `stage`, in its order.
std::vector<std::pair<const char*, const char*>> StageImageEntries(i32 stage) {
    std::vector<std::pair<const char*, const char*>> out;
    auto add = [&](const char* archive, const char* name) {
        if (name) out.emplace_back(archive, name);
    };
    for (const char* name : {"picture", "missile", "window", "effect", "stage_title"}) add(kSheetArchive, name);
    add(kSheetArchive, IsNormalPlay() ? "pause" : "pause_r");
    const StageLoadRow* row = StageLoadTable(stage);
    if (!row) return out;
    for (const char* name : row->enemy) add(kSheetArchive, name);
    for (const char* name : row->boss) add(kSheetArchive, name);
    for (const char* name : row->background) add(kBackgroundArchive, name);
    for (const char* name : row->cloud) add(kSheetArchive, name);
    for (const char* name : row->face) add(kSheetArchive, name);
    for (const char* name : row->speech) add(kSpeechArchive, name);
    return out;
}

// The replay record's part of a stage start.
void StartStageRecord() {
    const i32 slot = RecordSlot();
    if (IsNormalPlay()) {
        const i32 seed = RandomInt(0, 10000);
        RandomSeed(static_cast<u32>(seed));
        RecordStageStart(g_PlayRecord, slot, static_cast<u32>(seed), static_cast<u32>(P().lives),
                         static_cast<u32>(P().extendCount), static_cast<u32>(P().extendPoints));
        return;
    }
    if (slot < 0) return;
    P().extendPoints = static_cast<i32>(g_PlayRecord.extendPointsAtStart[slot]);
    P().extendCount = static_cast<i32>(g_PlayRecord.extendsAtStart[slot]);
    P().lives = static_cast<i32>(g_PlayRecord.livesAtStart[slot]);
    RandomSeed(g_PlayRecord.seed[slot]);
}

// Ends the stage through the closing phase.
void CloseStage(i32 endKind) {
    G().PlayEndKind = endKind;
    StartTransition(kTransitionClose);
    G().StageScriptPhase = kClosingPhase;
}

// PlayFrame's checks after the update: pause key, demonstration end, game over.
void CheckPauseKey() {
    if (g_PauseMenu.PauseActive || g_ContinuePrompt.ContinuePromptActive) return;
    if (G().StageScriptPhase == kClosingPhase) return;
    bool pressed = false;
    if (G().GameMode == kGameModeReplay) pressed = P().liveKeys[kKeyT] == kKeyPressed;
    else if (G().GameMode != kGameModeDemo) pressed = P().keys[kKeyT] == kKeyPressed;
    if (pressed) {
        Trace("OpenPauseMenu");
        OpenPauseMenu();
    }
}

void CheckDemonstrationEnd() {
    if (G().GameMode != kGameModeDemo || G().StageScriptPhase == kClosingPhase) return;
    const bool skipped = P().liveKeys[kKeyZ] == kKeyPressed || P().liveKeys[kKeyX] == kKeyPressed;
    const bool timedOut = G().FrameCounter > kDemoFrameLimit && !g_TalkState.active;
    if (!skipped && !timedOut) return;
    if (!skipped) LogPrintf("Exit!!\n");
    CloseStage(kPlayEndQuit);
}

void CheckGameOver() {
    if (P().lives > 0 || P().blinkTimer > 100) return;
    if (g_ContinuePrompt.ContinuePromptActive || G().StageScriptPhase == kClosingPhase) return;
    const bool continuable =
        IsNormalPlay() && (G().StartKind == kStartFullRun || G().StartKind == kStartMenuRun) && G().Continues > 0;
    if (continuable) {
        Trace("OpenContinuePrompt");
        OpenContinuePrompt();
    } else {
        CloseStage(kPlayEndStageOver);
    }
}

}  // namespace

void SetPlayTrace(PlayTraceFn trace) { g_trace = trace; }

void PrefetchStageImages(i32 stage) {
    if (stage < 0 || stage >= kStageCount) return;
    for (const auto& [archive, name] : StageImageEntries(stage)) PrefetchArchiveEntry(archive, name);
}

void PlayTrace(std::string_view event) {
    if (g_trace) g_trace(event);
}

const StageLoadRow* StageLoadTable(i32 stage) {
    const StageScenery* scenery = FindStageScenery(stage);
    return scenery ? &scenery->load : nullptr;
}

i32 Stage3FirstPhase() {
    const u32 sum = g_PlayRecord.stageRank[0] + g_PlayRecord.stageRank[1];
    return sum % 2 == 1 ? 15 : 16;
}

void LoadStage() {
    // A stage left without its teardown (never in play) gives its images back first.
    ReleaseStageImages();
    StageTextures& t = g_StageTextures;
    t.picture = LoadTexture(kSheetArchive, "picture");
    t.missile = LoadTexture(kSheetArchive, "missile");
    t.window = LoadTexture(kSheetArchive, "window");
    t.effect = LoadTexture(kSheetArchive, "effect");
    t.stage_title = LoadTexture(kSheetArchive, "stage_title");
    if (IsNormalPlay()) t.pause = LoadTexture(kSheetArchive, "pause");
    else t.pause = LoadTexture(kSheetArchive, "pause_r");

    GameState& g = G();
    g.StageFinished = 0;
    g.PlayEndKind = kPlayEndStageOver;
    g.FrameCounter = 0;
    g.StageScriptFrame = 0;
    g.BackgroundSection = 0;
    g.BackgroundScrollY = 0;
    g.BackgroundScrollX = 0;
    g.BottomPanelShift = 0;
    g.TopPanelShift = 0;
    g.GaugePanelSlide = 0;
    g.LevelDigitHeight = 0;
    g.ScreenShakeTimer = 0;
    g.RankPoints = 0;
    g.StageBannerTimer = -1;
    g.BossSequenceFlag = 0;
    g.BossActiveFlag = 0;
    g.StageClearFade = 0;
    g.MissionTimer = MissionTimerBlock{};
    ReleaseList(g_TargetMarkerList);
    g.StarCount = 0;

    if (const StageLoadRow* row = StageLoadTable(g.StageIndex)) {
        g.BackgroundZoom = row->zoom;
        LoadStageImages(*row);
        RequestMusic(row->music);
        StageRandomSeed(&g_StageRandomState, row->randomSeed);
        for (i32 f = row->storyFirst; f <= row->storyLast; ++f) g.StoryFlags[static_cast<std::size_t>(f)] = 0;
        // A playback starts with the story flags its replay kept, those of the
        // run's end. The stages after this one had not been reached here when
        // the run was recorded, so their flags are cleared as they were then
        // (in normal play they are clear already).
        if (!IsNormalPlay()) {
            for (i32 later = g.StageIndex + 1; later < kStageCount; ++later) {
                const StageLoadRow* r = StageLoadTable(later);
                if (!r) continue;
                for (i32 f = r->storyFirst; f <= r->storyLast; ++f) g.StoryFlags[static_cast<std::size_t>(f)] = 0;
            }
        }
        g.StageScriptPhase = row->firstPhase >= 0 ? row->firstPhase : Stage3FirstPhase();
        g.BackgroundScrollX = row->scrollX;
    } else {
        // No such stage: nothing to load; the divisor stays usable.
        g.BackgroundZoom = 1.0f;
        StageRandomSeed(&g_StageRandomState, 0);
        g.StageScriptPhase = 0;
    }

    g.BonusCount = 0;
    g.MissCount = 0;
    g.BossPhaseMissCount = 0;
    g.KillCountA = 0;
    g.KillCountB = 0;
    ResetPlayerState(1);

    ResetPlayLists();
    ResetStageContent();
    g_PauseMenu.PauseActive = 0;
    g_ContinuePrompt.ContinuePromptActive = 0;

    ClearSoundEffectStamps();
    StartTransition(kTransitionOpen);

    StartStageRecord();
    SceneInitRequest = 0;
    // What was decoded ahead for this stage and not used is not kept.
    ImageDropPrefetched();
    g_reportPrefetched = false;
}

void UpdateStage() {
    Trace("UpdatePlayer");
    UpdatePlayer();
    const i32 stage = G().StageIndex;
    G().FieldScrollX = (stage == 2 || stage == 4) ? (320.0f - P().x) / G().BackgroundZoom : 0.0f;
    Trace("RunEnemies");
    RunEnemies();
    Trace("UpdatePlayerShots");
    UpdatePlayerShots();
    Trace("UpdateEnemyBullets");
    UpdateEnemyBullets();
    Trace("UpdatePlayerMissiles");
    UpdatePlayerMissiles();
    Trace("UpdateEnemyShells");
    UpdateEnemyShells();
    Trace("UpdateCoins");
    UpdateCoins();
    Trace("UpdateEffects");
    UpdateEffects();
    Trace("UpdateTargetMarkers");
    UpdateTargetMarkers();
    Trace("RunCollisionPhase");
    RunCollisionPhase();

    ++G().FrameCounter;
    if (G().ScreenShakeTimer > 0) --G().ScreenShakeTimer;
    if (G().BossActiveFlag) {
        if (G().StageClearFade < 25) ++G().StageClearFade;
    } else if (G().StageClearFade > 0) {
        --G().StageClearFade;
    }

    Trace("UpdateMissionTimer");
    UpdateMissionTimer();
    for (StarPoint& star : G().StarField) {
        star.x = RandomFloat(100.0f, 520.0f);
        star.y = RandomFloat(-10.0f, 470.0f);
    }
    Trace("UpdateBackgroundScroll");
    UpdateBackgroundScroll();
    Trace("RunStageScript");
    RunStageScript();
    Trace("UpdateTalk");
    UpdateTalk();
}

void PlayFrame() {
    // The player reads the frame's keys in its own update.
    static constexpr SceneFrameSteps kSteps{
        .enter =
            [] {
                Trace("LoadStage");
                LoadStage();
            },
        .order = SceneFrameOrder::kDrawThenKeys,
        .draw = DrawPlayScene,
        .takeKeys = nullptr,
        .step =
            [] {
                if (g_PauseMenu.PauseActive) {
                    Trace("UpdatePauseMenu");
                    UpdatePauseMenu();
                } else if (g_ContinuePrompt.ContinuePromptActive) {
                    Trace("UpdateContinuePrompt");
                    UpdateContinuePrompt();
                } else {
                    UpdateStage();
                }
                CheckPauseKey();
                CheckDemonstrationEnd();
                CheckGameOver();
                if (G().StageScriptPhase == kClosingPhase && !g_reportPrefetched) {
                    // The report's pictures decode during the closing transition.
                    g_reportPrefetched = true;
                    if (G().GameMode != kGameModeDemo) PrefetchReportImages();
                }
            },
        .leaving = [] { return G().StageFinished != 0; },
        .leave =
            [] {
                Trace("EndPlayScene");
                EndPlayScene();
            },
        .trace = Trace,
    };
    RunSceneSteps(kSteps);
}

void DrawPlayScene() {
    Trace("BeginScene");
    if (!BeginScene()) {
        Trace("Present");
        Present();
        return;
    }
    Trace("ClearScreen");
    ClearScreen(0xFF6688FFu);
    Trace("DrawStageBackground");
    DrawStageBackground();
    Trace("DrawEnemyLayer 0");
    DispatchDrawEnemyLayer(0);
    Trace("DrawEffects -1");
    DrawEffects(-1);
    Trace("DrawEnemyLayer 1");
    DispatchDrawEnemyLayer(1);
    Trace("DrawEffects 0");
    DrawEffects(0);
    Trace("DrawCoins");
    DrawCoins();
    Trace("DrawPlayerShots");
    DrawPlayerShots();
    Trace("DrawPlayerMissiles");
    DrawPlayerMissiles();
    Trace("DrawPlayer");
    DrawPlayer();
    Trace("DrawEnemyShells");
    DrawEnemyShells();
    Trace("DrawEffects 1");
    DrawEffects(1);
    Trace("DrawEnemyBullets");
    DrawEnemyBullets();
    Trace("DrawTargetMarkers");
    DrawTargetMarkers();
    Trace("DrawHud");
    DrawHud();
    Trace("DrawStageBanner");
    DrawStageBanner();
    Trace("DrawPauseMenu");
    DrawPauseMenu();
    Trace("DrawContinuePrompt");
    DrawContinuePrompt();
    Trace("DrawTransition");
    DrawTransition();
    Trace("DrawSidePanels");
    DrawSidePanels();
    Trace("DrawTalk");
    DrawTalk();
    Trace("DrawPlayerGauges");
    DrawPlayerGauges();
    Trace("DrawMissionTimer");
    DrawMissionTimer();
    Trace("EndScene");
    EndScene();
    Trace("Present");
    Present();
}

void EndPlayScene() {
    ReleaseStageImages();
    RequestMusic(0);
    G().StageRank = GetStageRank();

    GameState& g = G();
    if (g.PlayEndKind == kPlayEndStageOver && g.StartKind == kStartFullRun && g.GameMode == kGameModeNormal &&
        P().lives > 0 && g.Difficulty >= 0 && g.Difficulty < kProgressDifficulties && g.StageIndex >= 0 &&
        g.StageIndex < kProgressStages) {
        g_SystemData.StageProgress[g.Difficulty][g.StageIndex] = 1;
        SaveSystemData();
    }

    i32 next = kSceneTitle;
    if (g.GameMode == kGameModeDemo) {
        // Every end of the demonstration goes back to the title.
        next = kSceneTitle;
    } else if (g.PlayEndKind == kPlayEndStageOver) {
        next = kSceneStageReport;
    } else if (g.PlayEndKind == kPlayEndQuit) {
        next = g.GameMode == kGameModeReplay ? kSceneReplayBrowser : kSceneTitle;
    } else if (g.PlayEndKind == kPlayEndRetry) {
        next = kScenePlay;
        StartPlayRun();
        if (IsNormalPlay()) {
            ResetPlayerState(0);
            if (g.StartKind == kStartFullRun || g.StartKind == kStartMenuRun) g.StageIndex = 0;
        }
        g.Continues = 3;
        g.StoryFlags.fill(0);
        ClearStageRanks(g_PlayRecord);
    }
    ChangeScene(next);
}

void ReleasePlayObjects() {
    ReleaseStageImages();
    ReleaseStageCamera();
}

void ResetPlayProgramState() {
    ResetPlayRecords();
    ResetStageRandomGenerators();
    ResetStageContent();
}

void StartPlayRun() {
    ResetPlayProgramState();
    G().StageRank = 0;
}

void RegisterPlayScene() {
    RegisterSceneFrame(kScenePlay, PlayFrame);
    SetStageCameraHooks(CreateStageCamera, ReleasePlayObjects);
    SetStagePrefetchHook(PrefetchStageImages);
    SetProgramStartHook([] {
        ResetPlayPrompts();
        ResetPlayProgramState();
    });
    SetStateHashFunction(ComputeStateHash);
    SetStatePartsFunction(StateHashPartsText);
    // The shell's scenes reach the player's reset and position through these.
    InstallPlayerHooks();
}
