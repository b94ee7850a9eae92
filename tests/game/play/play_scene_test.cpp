#include "game/play/play_scene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <utility>

#include "engine/image/prefetch.h"
#include "game/play/play_overlays.h"
#include "game/play/player.h"
#include "game/play/stage_dispatch.h"
#include "game/play/stage_random.h"
#include "game/play/stage_textures.h"
#include "game/play/state_hash.h"
#include "game/shell/game_math.h"
#include "game/shell/game_state.h"
#include "tests/game/play/play_fixture.h"

using play_test::CallTrace;
using play_test::PlayFixture;
using play_test::TraceLog;

namespace {

const std::vector<std::string> kDrawOrder = {
    "BeginScene",       "ClearScreen",     "DrawStageBackground", "DrawEnemyLayer 0",   "DrawEffects -1",
    "DrawEnemyLayer 1", "DrawEffects 0",   "DrawCoins",           "DrawPlayerShots",    "DrawPlayerMissiles",
    "DrawPlayer",       "DrawEnemyShells", "DrawEffects 1",       "DrawEnemyBullets",   "DrawTargetMarkers",
    "DrawHud",          "DrawStageBanner", "DrawPauseMenu",       "DrawContinuePrompt", "DrawTransition",
    "DrawSidePanels",   "DrawTalk",        "DrawPlayerGauges",    "DrawMissionTimer",   "EndScene",
    "Present"};

const std::vector<std::string> kUpdateOrder = {
    "UpdatePlayer",         "RunEnemies",        "UpdatePlayerShots",  "UpdateEnemyBullets",
    "UpdatePlayerMissiles", "UpdateEnemyShells", "UpdateCoins",        "UpdateEffects",
    "UpdateTargetMarkers",  "RunCollisionPhase", "UpdateMissionTimer", "UpdateBackgroundScroll",
    "RunStageScript",       "UpdateTalk"};

const std::vector<std::string> kFrameEnd = {"UpdateMusic", "RearmSoundEffectGates"};

std::vector<std::string> Concat(std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> all;
    for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

PlayerState& Player() { return g_PlayerState[0]; }

// Manifest entries by name: archive and kind.
std::map<std::string, std::pair<std::string, std::string>> ReadManifest() {
    std::map<std::string, std::pair<std::string, std::string>> entries;
    std::ifstream in(std::string(TOLVARIN_SOURCE_DIR) + "/tools/sampledata/manifest.tsv");
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        std::string archive, name, kind;
        std::getline(fields, archive, '\t');
        std::getline(fields, name, '\t');
        std::getline(fields, kind, '\t');
        entries[name] = {archive, kind};
    }
    return entries;
}

}  // namespace

// ---- frame order ----

TEST_F(PlayFixture, FirstFrameLoadsDrawsThenUpdatesInOrder) {
    g_GameState.StageIndex = 0;
    PlayFrame();
    EXPECT_EQ(CallTrace(), Concat({{"LoadStage"}, kDrawOrder, kUpdateOrder, kFrameEnd}));
    EXPECT_EQ(g_GameState.FrameCounter, 1);
    EXPECT_EQ(SceneInitRequest, 0);

    TraceLog().clear();
    PlayFrame();
    EXPECT_EQ(CallTrace(), Concat({kDrawOrder, kUpdateOrder, kFrameEnd}));
    EXPECT_EQ(g_GameState.FrameCounter, 2);
    EXPECT_EQ(g_GameState.StageScriptFrame, 2);
}

class PlaySceneWithoutDevice : public PlayFixture {
protected:
    PlaySceneWithoutDevice() { withDevice_ = false; }
};

TEST_F(PlaySceneWithoutDevice, FailedBeginSceneOnlyPresentsButTheStageStillRuns) {
    Load(0);
    TraceLog().clear();
    PlayFrame();
    EXPECT_EQ(CallTrace(), Concat({{"BeginScene", "Present"}, kUpdateOrder, kFrameEnd}));
    EXPECT_EQ(g_GameState.FrameCounter, 1);
}

TEST_F(PlayFixture, StarFieldIsDrawnAfreshFromTheGeneratorInPointOrder) {
    Load(1);
    u32 before = 0;
    static u32* capture = nullptr;
    capture = &before;
    SetPlayTrace([](std::string_view e) {
        if (e == "UpdateMissionTimer") *capture = RandomGetState();
    });
    PlayFrame();
    RandomSetState(before);
    for (const StarPoint& s : g_GameState.StarField) {
        const f32 x = RandomFloat(100.0f, 520.0f);
        const f32 y = RandomFloat(-10.0f, 470.0f);
        EXPECT_EQ(s.x, x);
        EXPECT_EQ(s.y, y);
    }
}

TEST_F(PlayFixture, FrameStepsShakeBossLabelAndFieldScroll) {
    Load(2);
    g_GameState.ScreenShakeTimer = 2;
    g_GameState.BossActiveFlag = 1;
    Player().x = 120.0f;
    for (int i = 0; i < 30; ++i) PlayFrame();
    EXPECT_EQ(g_GameState.ScreenShakeTimer, 0);
    EXPECT_EQ(g_GameState.StageClearFade, 25);
    EXPECT_EQ(g_GameState.FieldScrollX, (320.0f - 120.0f) / g_GameState.BackgroundZoom);
    g_GameState.BossActiveFlag = 0;
    PlayFrame();
    EXPECT_EQ(g_GameState.StageClearFade, 24);

    Load(0);
    Player().x = 120.0f;
    PlayFrame();
    EXPECT_EQ(g_GameState.FieldScrollX, 0.0f);
}

// ---- stage load ----

// Decoding a stage's pictures ahead (as the report does for the next stage)
// gives its first frame the pixels of loading them there, and the loads take
// every picture from what was decoded ahead.
TEST_F(PlayFixture, FirstFrameDrawsTheSamePixelsWithAndWithoutDecodingAhead) {
    // The sample data set in the program's folder, where the loads look.
    const std::filesystem::path folder = std::filesystem::current_path();
    for (const char* name : {"vsk1.dat", "vsk2.dat", "vsk3.dat"}) {
        ASSERT_TRUE(std::filesystem::exists(std::filesystem::path(TOLVARIN_BUILD_DIR) / name)) << name;
        std::filesystem::create_symlink(std::filesystem::path(TOLVARIN_BUILD_DIR) / name, folder / name);
    }
    std::snprintf(App().applicationFolder, sizeof App().applicationFolder, "%s", folder.string().c_str());
    for (i32 stage = 0; stage < kStageCount; ++stage) {
        SCOPED_TRACE(stage);
        std::vector<u8> frames[2];
        u64 taken[2] = {};
        std::ptrdiff_t loads = 0;
        for (int ahead = 0; ahead < 2; ++ahead) {
            ImageUsePrefetch(ahead == 1);
            const u64 before = ImagePrefetchedTaken();
            RandomSeed(41);
            g_PlayerState[0].lives = 3;
            if (ahead) {
                PrefetchStageImages(stage);
                ImageFinishPrefetch();
            }
            TraceLog().clear();
            Load(stage);
            loads = std::count_if(TraceLog().begin(), TraceLog().end(), [](const std::string& e) {
                return e.rfind("texture ", 0) == 0 || e.rfind("surface ", 0) == 0;
            });
            Frame(0);
            taken[ahead] = ImagePrefetchedTaken() - before;
            platform::gfx::Direct3DSurface8* back = nullptr;
            ASSERT_TRUE(GetBackBuffer(&back));
            const u8* bits = std::as_const(*back).Bits();
            frames[ahead].assign(bits, bits + static_cast<std::size_t>(back->Pitch()) * back->Height());
            back->Release();
        }
        ImageUsePrefetch(true);
        EXPECT_EQ(taken[0], 0u);
        EXPECT_GE(loads, 20);
        EXPECT_EQ(static_cast<std::ptrdiff_t>(taken[1]), loads);
        // The frame shows the stage (not a cleared screen) and is the same.
        EXPECT_GT(std::count_if(frames[1].begin(), frames[1].end(), [](u8 b) { return b != 0; }),
                  static_cast<std::ptrdiff_t>(frames[1].size() / 4));
        EXPECT_TRUE(frames[0] == frames[1]);
    }
    App().applicationFolder[0] = '\0';
}

TEST_F(PlayFixture, LoadStageLoadsItsTableInOrderFromTheSampleData) {
    const auto manifest = ReadManifest();
    ASSERT_FALSE(manifest.empty());
    const int planes[kStageCount] = {2, 1, 0, 0, 2};
    for (i32 stage = 0; stage < kStageCount; ++stage) {
        SCOPED_TRACE(stage);
        for (i32 mode : {kGameModeNormal, kGameModeReplay}) {
            TraceLog().clear();
            Load(stage, mode);
            const StageLoadRow* row = StageLoadTable(stage);
            ASSERT_NE(row, nullptr);
            std::vector<std::string> expected;
            for (const char* n : {"picture", "missile", "window", "effect", "stage_title"})
                expected.push_back(std::string("texture vsk1.dat ") + n);
            expected.push_back(mode == kGameModeNormal ? "texture vsk1.dat pause" : "texture vsk1.dat pause_r");
            auto add = [&](const char* kind, const char* archive, const char* const* names, int n) {
                for (int i = 0; i < n && names[i]; ++i)
                    expected.push_back(std::string(kind) + " " + archive + " " + names[i]);
            };
            add("texture", "vsk1.dat", row->enemy, 9);
            add("texture", "vsk1.dat", row->boss, 2);
            add("surface", "vsk2.dat", row->background, 9);
            add("texture", "vsk1.dat", row->cloud, 2);
            add("texture", "vsk1.dat", row->face, 3);
            add("texture", "vsk3.dat", row->speech, 10);

            std::vector<std::string> loads;
            int planeCount = 0;
            for (const std::string& e : TraceLog()) {
                if (e.rfind("plane ", 0) == 0) ++planeCount;
                else if (e.rfind("texture ", 0) == 0 || e.rfind("surface ", 0) == 0) loads.push_back(e);
            }
            EXPECT_EQ(loads, expected);
            EXPECT_EQ(planeCount, planes[stage]);
            for (const std::string& load : loads) {
                std::istringstream words(load);
                std::string kind, archive, name;
                words >> kind >> archive >> name;
                auto it = manifest.find(name);
                ASSERT_NE(it, manifest.end()) << name << " is not in the sample data";
                EXPECT_EQ(it->second.first, archive) << name;
                EXPECT_EQ(it->second.second, kind) << name;
            }
        }
    }
}

// A value a stage's patterns keep between frames, and its reset.
i32 g_storedAim[kStageCount] = {};
template <int Stage>
void ResetStoredAim() {
    g_storedAim[Stage] = 0;
}

TEST_F(PlayFixture, EveryStageLoadSetsBackTheValuesEveryStagesPatternsKeep) {
    RegisterStageReset(0, ResetStoredAim<0>);
    RegisterStageReset(3, ResetStoredAim<3>);
    for (i32 stage : {0, 3, 4}) {
        SCOPED_TRACE(stage);
        g_storedAim[0] = 11;
        g_storedAim[3] = 22;
        Load(stage);
        // Whatever the stage loaded, no stage keeps a value from before.
        EXPECT_EQ(g_storedAim[0], 0);
        EXPECT_EQ(g_storedAim[3], 0);
    }
}

TEST_F(PlayFixture, LoadStageSetsEachStagesValuesAndClearsItsStoryFlags) {
    struct Case {
        i32 stage;
        f32 zoom;
        i32 phase;
        i32 scrollX;
        u32 seed;
        i32 flagFirst, flagLast;
    };
    // clang-format off
    const Case cases[] = {{0, 4.0f, 0, 0, 0, 0, 22},       {1, 5.0f, 0, 0, 300, 25, 42},
                          {2, 2.0f, 16, 0, 0, 49, 68},     {3, 10.0f, 0, -100, 0, 70, 75},
                          {4, 300.0f, 0, 0, 0, 80, 96}};
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stage);
        g_GameState.StoryFlags.fill(1);
        g_GameState.BackgroundScrollY = 77;
        g_GameState.StageBannerTimer = 12;
        g_GameState.RankPoints = 9;
        g_GameState.MissCount = 4;
        g_GameState.MissionTimer = MissionTimerBlock{100, 50, 20, 7, 3};
        g_PauseMenu.PauseActive = 1;
        g_EnemyList.push_back(Enemy{});
        g_TargetMarkerList.push_back(TargetMarker{});
        g_GameState.StarCount = 40;
        Load(c.stage);
        EXPECT_EQ(g_GameState.BackgroundZoom, c.zoom);
        EXPECT_EQ(g_GameState.StageScriptPhase, c.phase);
        EXPECT_EQ(g_GameState.BackgroundScrollX, c.scrollX);
        EXPECT_EQ(g_GameState.BackgroundScrollY, 0);
        EXPECT_EQ(g_GameState.StageBannerTimer, -1);
        EXPECT_EQ(g_GameState.RankPoints, 0);
        EXPECT_EQ(g_GameState.MissCount, 0);
        EXPECT_EQ(g_GameState.StarCount, 0);
        EXPECT_EQ(g_GameState.MissionTimer.remaining, 0);
        EXPECT_EQ(g_GameState.MissionTimer.panelSlide, 0);
        EXPECT_EQ(g_PauseMenu.PauseActive, 0);
        EXPECT_TRUE(g_EnemyList.empty());
        EXPECT_TRUE(g_TargetMarkerList.empty());
        EXPECT_EQ(Player().x, 240.0f);
        EXPECT_EQ(Player().y, 420.0f);
        for (int f = 0; f < kStoryFlagCount; ++f) {
            EXPECT_EQ(g_GameState.StoryFlags[f], f >= c.flagFirst && f <= c.flagLast ? 0 : 1) << f;
        }
        StageRandom expected;
        StageRandomSeed(&expected, c.seed);
        EXPECT_EQ(std::memcmp(expected.state, g_StageRandomState.state, sizeof expected.state), 0);
        EXPECT_EQ(g_StageRandomState.index, expected.index);
        EXPECT_EQ(SceneInitRequest, 0);
    }
}

// A playback starts with the flags of the recorded run's end: a stage's load
// in a playback or the demonstration clears the flags of the stages after it
// too (the recording had not reached them there), and keeps the earlier
// stages' flags and those of no stage.
TEST_F(PlayFixture, LoadStageInAPlaybackClearsTheLaterStagesStoryFlagsToo) {
    const std::pair<i32, i32> ranges[] = {{0, 22}, {25, 42}, {49, 68}, {70, 75}, {80, 96}};
    for (const i32 mode : {kGameModeReplay, kGameModeDemo}) {
        for (i32 stage = 0; stage < 5; ++stage) {
            SCOPED_TRACE("mode " + std::to_string(mode) + ", stage " + std::to_string(stage));
            g_GameState.StoryFlags.fill(1);
            Load(stage, mode);
            for (int f = 0; f < kStoryFlagCount; ++f) {
                bool cleared = false;
                for (i32 s = stage; s < 5; ++s) {
                    cleared = cleared || (f >= ranges[s].first && f <= ranges[s].second);
                }
                EXPECT_EQ(g_GameState.StoryFlags[static_cast<std::size_t>(f)], cleared ? 0 : 1) << f;
            }
        }
    }
}

TEST_F(PlayFixture, Stage2OpensInPhase15AfterAnOddRankSumElse16) {
    g_PlayRecord.stageRank[0] = 3;
    g_PlayRecord.stageRank[1] = 4;
    Load(2);
    EXPECT_EQ(g_GameState.StageScriptPhase, 15);
    g_PlayRecord.stageRank[1] = 5;
    Load(2);
    EXPECT_EQ(g_GameState.StageScriptPhase, 16);
    ClearStageRanks(g_PlayRecord);
    Load(2);
    EXPECT_EQ(g_GameState.StageScriptPhase, 16);
}

TEST_F(PlayFixture, NormalPlayDrawsStoresAndUsesTheStageSeed) {
    RandomSeed(4242);
    const i32 seed = RandomInt(0, 10000);
    RandomSeed(4242);
    Player().lives = 2;
    Player().extendCount = 1;
    Player().extendPoints = 33;
    Load(3);
    EXPECT_EQ(g_PlayRecord.played[3], 1);
    EXPECT_EQ(g_PlayRecord.seed[3], static_cast<u32>(seed));
    EXPECT_EQ(g_PlayRecord.livesAtStart[3], 2u);
    EXPECT_EQ(g_PlayRecord.extendsAtStart[3], 1u);
    EXPECT_EQ(g_PlayRecord.extendPointsAtStart[3], 33u);
    EXPECT_EQ(RandomGetState(), static_cast<u32>(seed));
}

TEST_F(PlayFixture, PlaybackAndDemonstrationReseedFromTheRecordWithoutDrawing) {
    for (i32 mode : {kGameModeReplay, kGameModeDemo}) {
        g_PlayRecord.seed[1] = 777;
        g_PlayRecord.livesAtStart[1] = 5;
        g_PlayRecord.extendsAtStart[1] = 2;
        g_PlayRecord.extendPointsAtStart[1] = 40;
        g_PlayRecord.played[1] = 1;
        g_PlayRecord.input[1] = {1, 2, 3};
        RandomSeed(99);
        Load(1, mode);
        EXPECT_EQ(RandomGetState(), 777u);
        EXPECT_EQ(Player().lives, 5);
        EXPECT_EQ(Player().extendCount, 2);
        EXPECT_EQ(Player().extendPoints, 40);
        EXPECT_EQ(g_PlayRecord.input[1].size(), 3u) << "a playback keeps its input";
    }
}

TEST_F(PlayFixture, SameSeedGivesTheSameFramesAndStateHash) {
    auto run = [&](u32 seed) {
        ResetGameState();
        ResetPlayLists();
        g_PlayRecord.seed[0] = seed;
        g_PlayerState[0].lives = 3;
        Load(0, kGameModeReplay);
        for (int i = 0; i < 20; ++i) PlayFrame();
        return ComputeStateHash();
    };
    const u64 a = run(11);
    const u64 b = run(11);
    const u64 c = run(12);
    EXPECT_EQ(a, b);
    EXPECT_NE(a, c);
}

// ---- prompts freeze the stage ----

TEST_F(PlayFixture, PauseFreezesTheFrameCounterAndStarsUntilItCloses) {
    Load(0);
    for (int i = 0; i < 5; ++i) PlayFrame();
    g_GameState.StageBannerTimer = 0;
    Frame(kInputT);
    ASSERT_EQ(g_PauseMenu.PauseActive, 1);
    EXPECT_EQ(g_GameState.FrameCounter, 6);
    const i32 banner = g_GameState.StageBannerTimer;
    const u32 generator = RandomGetState();
    const StarPoint star = g_GameState.StarField[0];
    TraceLog().clear();
    for (int i = 0; i < 40; ++i) Frame(0);
    EXPECT_EQ(g_GameState.FrameCounter, 6);
    EXPECT_EQ(g_GameState.StageBannerTimer, banner);
    EXPECT_EQ(RandomGetState(), generator);
    EXPECT_EQ(g_GameState.StarField[0].x, star.x);
    EXPECT_EQ(std::count(TraceLog().begin(), TraceLog().end(), "UpdatePlayer"), 0);
    EXPECT_EQ(std::count(TraceLog().begin(), TraceLog().end(), "UpdatePauseMenu"), 40);
    EXPECT_EQ(std::count(TraceLog().begin(), TraceLog().end(), "DrawStageBackground"), 40);

    // Resume with X: the menu slides out, then the stage goes on.
    ASSERT_EQ(g_PauseMenu.state, 10);
    const u8 x[2] = {static_cast<u8>(kInputX), 0};
    StepPauseMenu(x);
    ASSERT_EQ(g_PauseMenu.state, 90);
    for (int i = 0; i < 31 && g_PauseMenu.PauseActive; ++i) Frame(0);
    EXPECT_EQ(g_PauseMenu.PauseActive, 0);
    EXPECT_EQ(g_GameState.FrameCounter, 6);
    EXPECT_EQ(Player().keys[kKeyT], kKeyHeld) << "the closing key does not reopen the menu";
    Frame(kInputT);
    EXPECT_EQ(g_PauseMenu.PauseActive, 0) << "T still held";
    EXPECT_EQ(g_GameState.FrameCounter, 7);
    EXPECT_EQ(g_PauseMenu.PauseActive, 0);
}

TEST_F(PlayFixture, ContinuePromptFreezesTheStageButNotTheBanner) {
    Load(0);
    PlayFrame();
    g_GameState.StageBannerTimer = 10;
    Player().lives = 0;
    Player().blinkTimer = 0;
    g_GameState.StartKind = kStartFullRun;
    PlayFrame();
    ASSERT_EQ(g_ContinuePrompt.ContinuePromptActive, 1);
    const i32 frame = g_GameState.FrameCounter;
    for (int i = 0; i < 10; ++i) PlayFrame();
    EXPECT_EQ(g_GameState.FrameCounter, frame);
    EXPECT_EQ(g_GameState.StageBannerTimer, 10 + 11);
    EXPECT_NE(g_GameState.StageScriptPhase, kClosingPhase);
}

TEST_F(PlayFixture, GameOverWaitsForTheBlinkTimer) {
    Load(0);
    g_GameState.StartKind = kStartStageSelect;
    Player().lives = 0;
    Player().blinkTimer = 110;
    i32 blink = 0;
    for (int i = 0; i < 50 && g_GameState.StageScriptPhase != kClosingPhase; ++i) {
        blink = Player().blinkTimer;
        PlayFrame();
    }
    EXPECT_EQ(Player().blinkTimer, 100) << "closes on the frame the blink timer reaches 100";
    EXPECT_GT(blink, 100);
    EXPECT_EQ(g_ContinuePrompt.ContinuePromptActive, 0) << "a stage-select run is offered no continue";
    EXPECT_EQ(g_GameState.StageScriptPhase, kClosingPhase);
    EXPECT_EQ(g_GameState.PlayEndKind, kPlayEndStageOver);
}

TEST_F(PlayFixture, ContinueIsOfferedOnlyInNormalPlayOfARunWithContinuesLeft) {
    struct Case {
        i32 mode, startKind, continues;
        bool offered;
    };
    const Case cases[] = {{kGameModeNormal, kStartFullRun, 3, true},  {kGameModeNormal, kStartMenuRun, 1, true},
                          {kGameModeNormal, kStartFullRun, 0, false}, {kGameModeNormal, kStartStageSelect, 3, false},
                          {kGameModeReplay, kStartFullRun, 3, false}, {kGameModeDemo, kStartMenuRun, 3, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode * 100 + c.startKind * 10 + c.continues);
        Load(0, c.mode);
        g_GameState.StartKind = c.startKind;
        g_GameState.Continues = c.continues;
        g_ContinuePrompt.ContinuePromptActive = 0;
        Player().lives = 0;
        Player().blinkTimer = 0;
        PlayFrame();
        EXPECT_EQ(g_ContinuePrompt.ContinuePromptActive != 0, c.offered);
        EXPECT_EQ(g_GameState.StageScriptPhase == kClosingPhase, !c.offered);
        CurrentScene = kScenePlay;
    }
}

TEST_F(PlayFixture, PauseKeyIsTheKeyOfTheInputInUseAndNeverInTheDemonstration) {
    struct Case {
        i32 mode;
        bool recordedT, liveT, opens;
    };
    // clang-format off
    const Case cases[] = {{kGameModeNormal, true, false, true},  {kGameModeNormal, false, true, false},
                          {kGameModeReplay, true, false, false}, {kGameModeReplay, false, true, true},
                          {kGameModeDemo, true, true, false}};
    // clang-format on
    for (const Case& c : cases) {
        g_PlayRecord.livesAtStart[1] = 3;
        g_PlayRecord.input[1] = {static_cast<u16>(c.recordedT ? kInputT : 0)};
        Load(1, c.mode);
        if (c.mode == kGameModeNormal) {
            Frame(c.recordedT ? kInputT : 0);  // the live input is the input in use
        } else {
            g_PlayRecord.input[1] = {static_cast<u16>(c.recordedT ? kInputT : 0)};
            Frame(c.liveT ? kInputT : 0);
        }
        EXPECT_EQ(g_PauseMenu.PauseActive != 0, c.opens) << c.mode << c.recordedT << c.liveT;
    }
    // Not in the closing phase.
    Load(1);
    g_GameState.StageScriptPhase = kClosingPhase;
    g_GameState.StageFinished = 0;
    ResetStageDispatch();
    play_test::RegisterSceneries();
    RegisterStageScript(1, [] {});
    Frame(kInputT);
    EXPECT_EQ(g_PauseMenu.PauseActive, 0);
}

// ---- roads out of play ----

TEST_F(PlayFixture, DemonstrationEndsOnALiveKeyOrAfter4000FramesWithoutTalk) {
    g_PlayRecord.livesAtStart[1] = 3;
    Load(1, kGameModeDemo);
    Frame(kInputZ);
    EXPECT_EQ(g_GameState.StageScriptPhase, kClosingPhase);
    EXPECT_EQ(CurrentScene, kScenePlay);
    // The default timeline leaves once the closing transition is over.
    EXPECT_GT(RunUntilSceneChanges(), 1);
    EXPECT_EQ(CurrentScene, kSceneTitle);
    EXPECT_FALSE(TransitionRunning());

    CurrentScene = kScenePlay;
    Load(1, kGameModeDemo);
    ResetStageDispatch();
    play_test::RegisterSceneries();
    RegisterStageScript(1, [] {});
    g_GameState.FrameCounter = 4000;
    g_TalkState.active = 1;
    TalkLine line;
    line.duration = 1000;
    g_TalkState.lines.assign(1, line);
    PlayFrame();
    EXPECT_NE(g_GameState.StageScriptPhase, kClosingPhase);
    g_TalkState.active = 0;
    g_TalkState.lines.clear();
    PlayFrame();
    EXPECT_EQ(g_GameState.StageScriptPhase, kClosingPhase);
    EXPECT_EQ(g_GameState.PlayEndKind, kPlayEndQuit);
}

TEST_F(PlayFixture, EveryEndOfTheDemonstrationReturnsToTheTitle) {
    for (i32 kind : {kPlayEndStageOver, kPlayEndQuit, kPlayEndRetry}) {
        Load(1, kGameModeDemo);
        CurrentScene = kScenePlay;
        g_GameState.PlayEndKind = kind;
        EndPlayScene();
        EXPECT_EQ(CurrentScene, kSceneTitle) << kind;
        EXPECT_EQ(PreviousScene, kScenePlay);
        EXPECT_EQ(SceneInitRequest, 1);
    }
}

TEST_F(PlayFixture, EndPlaySceneGoesOnByEndKindAndMode) {
    struct Case {
        i32 kind, mode, next;
    };
    const Case cases[] = {{kPlayEndStageOver, kGameModeNormal, kSceneStageReport},
                          {kPlayEndStageOver, kGameModeReplay, kSceneStageReport},
                          {kPlayEndQuit, kGameModeNormal, kSceneTitle},
                          {kPlayEndQuit, kGameModeReplay, kSceneReplayBrowser},
                          {kPlayEndRetry, kGameModeNormal, kScenePlay},
                          {kPlayEndRetry, kGameModeReplay, kScenePlay}};
    for (const Case& c : cases) {
        Load(0, c.mode);
        CurrentScene = kScenePlay;
        g_GameState.PlayEndKind = c.kind;
        EndPlayScene();
        EXPECT_EQ(CurrentScene, c.next) << c.kind << " " << c.mode;
        EXPECT_EQ(PreviousScene, kScenePlay);
        EXPECT_EQ(SceneInitRequest, 1);
    }
}

TEST_F(PlayFixture, RetryRestartsAFullRunFromTheFirstStageAndAStageSelectRunInPlace) {
    for (i32 startKind : {kStartFullRun, kStartMenuRun, kStartStageSelect}) {
        Load(3);
        g_GameState.StartKind = startKind;
        g_GameState.Continues = 1;
        g_GameState.StoryFlags.fill(1);
        g_PlayRecord.stageRank[0] = 4;
        Player().lives = 1;
        Player().RunScore = 5000;
        g_GameState.PlayEndKind = kPlayEndRetry;
        EndPlayScene();
        EXPECT_EQ(g_GameState.StageIndex, startKind == kStartStageSelect ? 3 : 0);
        EXPECT_EQ(g_GameState.Continues, 3);
        EXPECT_EQ(g_PlayRecord.stageRank[0], 0u);
        EXPECT_EQ(std::count(g_GameState.StoryFlags.begin(), g_GameState.StoryFlags.end(), 0), kStoryFlagCount);
        EXPECT_EQ(Player().lives, 3);
        EXPECT_EQ(Player().RunScore, 0);
    }
}

// Every start of a run (the shell's new run: a new game, a stage select, the
// demonstration, a replay's playback; the pause menu's retry, in play and in
// a playback) sets back what an earlier run left and a stage load keeps: the
// stage loaded next has the state hash it has in a new program.
TEST_F(PlayFixture, AStartOfARunLeavesNothingOfAnEarlierRunForTheNextLoad) {
    RegisterStageReset(3, ResetStoredAim<3>);
    const ResetPlayerStateFn saved = ResetPlayerStateHook;
    ResetPlayerStateHook = ResetPlayerFromShell;
    const auto loadStage3 = [&] {
        RandomSeed(77);
        Load(3);
        return ComputeStateHash();
    };
    const u64 fresh = loadStage3();
    struct Case {
        const char* name;
        i32 mode;
        void (*start)();
    };
    const Case cases[] = {
        {"a new run", kGameModeNormal, [] { ResetPlayer(0); }},
        {"a retry", kGameModeNormal, [] { EndPlayScene(); }},
        {"a retry in a playback", kGameModeReplay, [] { EndPlayScene(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        loadStage3();
        // What the run leaves: its last talk, a freed part's fields, the
        // stage generator's last bound, the stage's rank and a kept aim.
        g_TalkState.eventId = 551;
        g_TalkState.priority = 5;
        g_TalkState.lineIndex = 4;
        g_EnemyPartPool[7].hp = 55;
        g_EnemyPartPool[7].timer = 90;
        StageRandomBelow(&g_StageRandomState, 7);
        g_GameState.StageRank = 2;
        g_storedAim[3] = 22;
        g_GameState.GameMode = c.mode;
        g_GameState.PlayEndKind = kPlayEndRetry;
        c.start();
        EXPECT_EQ(g_storedAim[3], 0);
        EXPECT_EQ(loadStage3(), fresh);
    }
    ResetPlayerStateHook = saved;
}

TEST_F(PlayFixture, AClearedStageOfAFullNormalRunUnlocksItInTheProgressFile) {
    struct Case {
        i32 kind, startKind, mode, lives;
        bool unlocks;
    };
    const Case cases[] = {{kPlayEndStageOver, kStartFullRun, kGameModeNormal, 2, true},
                          {kPlayEndStageOver, kStartFullRun, kGameModeNormal, 0, false},
                          {kPlayEndStageOver, kStartStageSelect, kGameModeNormal, 2, false},
                          {kPlayEndStageOver, kStartFullRun, kGameModeReplay, 2, false},
                          {kPlayEndQuit, kStartFullRun, kGameModeNormal, 2, false}};
    for (const Case& c : cases) {
        g_SystemData = SystemData{};
        std::filesystem::remove("system/system.dat");
        Load(2, c.mode);
        g_GameState.Difficulty = kDifficultyHard;
        g_GameState.StartKind = c.startKind;
        g_GameState.PlayEndKind = c.kind;
        Player().lives = c.lives;
        EndPlayScene();
        EXPECT_EQ(g_SystemData.StageProgress[2][2], c.unlocks ? 1 : 0);
        EXPECT_EQ(std::filesystem::exists("system/system.dat"), c.unlocks);
    }
}

TEST_F(PlayFixture, PauseQuitLeavesThroughTheClosingPhaseOnceTheMenuHasClosed) {
    Load(0);
    PlayFrame();
    OpenPauseMenu();
    g_PauseMenu.state = 10;
    g_PauseMenu.slideTimer = 0;
    g_PauseMenu.cursor = 2;
    const u8 z[2] = {static_cast<u8>(kInputZ), 0};
    StepPauseMenu(z);
    EXPECT_EQ(g_GameState.StageScriptPhase, kClosingPhase);
    EXPECT_EQ(g_GameState.PlayEndKind, kPlayEndQuit);
    for (int i = 0; i < 31; ++i) {
        PlayFrame();
        EXPECT_EQ(g_PauseMenu.PauseActive, i < 30 ? 1 : 0) << i;
        EXPECT_EQ(g_GameState.StageFinished, 0) << "the stage waits for the menu to slide out";
    }
    RunUntilSceneChanges();
    EXPECT_EQ(CurrentScene, kSceneTitle);
    EXPECT_FALSE(TransitionRunning()) << "the scene leaves on a covered screen";
    EXPECT_EQ(g_GameState.StageRank, 1);
}

TEST_F(PlayFixture, RegisterPlaySceneInstallsTheFrameTheCameraAndTheHash) {
    RegisterSceneFrame(kScenePlay, nullptr);
    ResetPlayerStateHook = nullptr;
    SetPlayerPositionSource(nullptr);
    RegisterPlayScene();
    EXPECT_EQ(SceneFrame(kScenePlay), &PlayFrame);
    EXPECT_EQ(ResetPlayerStateHook, &ResetPlayerFromShell);
    // The shell's aim at the player reads the play layer's aircraft.
    g_PlayerState[0].x = 320.0f;
    g_PlayerState[0].y = 100.0f;
    const f32 below[2] = {320.0f, 200.0f};
    EXPECT_NEAR(AngleToPlayer(below, 0), -1.5707963267948966, 1e-9);
    g_PlayerState[0].x = 420.0f;
    g_PlayerState[0].y = 200.0f;
    EXPECT_NEAR(AngleToPlayer(below, 0), 0.0, 1e-9);
}

// The prompts go back to their start values only when the program starts: a
// new run closes them with its stage load but keeps the rest, the continue
// prompt's values among them, which the state hash reads.
TEST_F(PlayFixture, OnlyTheProgramStartSetsThePromptsBack) {
    RegisterPlayScene();
    g_PauseMenu.PauseActive = 1;
    g_PauseMenu.cursor = 2;
    g_ContinuePrompt.ContinuePromptActive = 1;
    g_ContinuePrompt.state = 90;
    g_ContinuePrompt.cursor = 1;
    StartPlayRun();
    Load(0);
    EXPECT_EQ(g_PauseMenu.PauseActive, 0);
    EXPECT_EQ(g_PauseMenu.cursor, 2);
    EXPECT_EQ(g_ContinuePrompt.ContinuePromptActive, 0);
    EXPECT_EQ(g_ContinuePrompt.state, 90);
    EXPECT_EQ(g_ContinuePrompt.cursor, 1);

    g_PauseMenu.PauseActive = 1;
    g_ContinuePrompt.ContinuePromptActive = 1;
    ResetProgramState();
    EXPECT_EQ(g_PauseMenu.PauseActive, 0);
    EXPECT_EQ(g_PauseMenu.cursor, 0);
    EXPECT_EQ(g_ContinuePrompt.ContinuePromptActive, 0);
    EXPECT_EQ(g_ContinuePrompt.state, 0);
    EXPECT_EQ(g_ContinuePrompt.cursor, 0);
}

// ---- state hash ----

// Each change moves the combined hash and the one part that holds what it
// changed, and no other part.
TEST_F(PlayFixture, StateHashReadsTheStateOnlyAndSeesEveryPart) {
    Load(0);
    PlayFrame();
    g_EnemyList.push_back(Enemy{});
    g_EnemyPartPool[5].inUse = 1;
    g_TargetMarkerList.push_back(TargetMarker{&g_EnemyPartPool[5], 3, 10});
    g_CoinList.push_back(Coin{});
    const u32 generator = RandomGetState();
    const u64 base = ComputeStateHash();
    const StateHashParts baseParts = ComputeStateHashParts();
    EXPECT_EQ(RandomGetState(), generator);
    EXPECT_EQ(ComputeStateHash(), base);
    EXPECT_EQ(baseParts.combined, base);

    auto differs = [&](auto change, auto undo, StatePart part, const char* what) {
        change();
        EXPECT_NE(ComputeStateHash(), base) << what;
        const StateHashParts changed = ComputeStateHashParts();
        for (int i = 0; i < kStatePartCount; ++i) {
            EXPECT_EQ(changed.part[i] != baseParts.part[i], i == static_cast<int>(part))
                << what << ": part " << kStatePartNames[i];
        }
        undo();
        EXPECT_EQ(ComputeStateHash(), base) << what;
    };
    using P = StatePart;
    differs([] { ++g_GameState.FrameCounter; }, [] { --g_GameState.FrameCounter; }, P::kScript, "frame");
    differs([] { ++g_GameState.StageScriptPhase; }, [] { --g_GameState.StageScriptPhase; }, P::kScript, "phase");
    differs([] { g_GameState.StoryFlags[60] ^= 1; }, [] { g_GameState.StoryFlags[60] ^= 1; }, P::kScript, "story flag");
    differs([] { g_ContinuePrompt.cursor ^= 1; }, [] { g_ContinuePrompt.cursor ^= 1; }, P::kScript, "prompt");
    differs([] { ++g_TalkState.lineFrame; }, [] { --g_TalkState.lineFrame; }, P::kScript, "talk");
    differs([] { g_PlayerState[0].RunScore += 10; }, [] { g_PlayerState[0].RunScore -= 10; }, P::kPlayer, "score");
    differs([] { g_PlayerState[0].x += 1.0f; }, [] { g_PlayerState[0].x -= 1.0f; }, P::kPlayer, "position");
    differs([] { g_EnemyList[0].x += 1.0f; }, [] { g_EnemyList[0].x -= 1.0f; }, P::kEnemies, "enemy");
    differs([] { ++g_EnemyPartPool[5].hp; }, [] { --g_EnemyPartPool[5].hp; }, P::kEnemies, "part");
    differs([] { g_TargetMarkerList[0].part = &g_EnemyPartPool[6]; },
            [] { g_TargetMarkerList[0].part = &g_EnemyPartPool[5]; }, P::kEffects, "marker");
    differs([] { g_CoinList[0].age = 9; }, [] { g_CoinList[0].age = 0; }, P::kEffects, "coin");
    differs([] { g_EffectList.push_back(Effect{}); }, [] { g_EffectList.clear(); }, P::kEffects, "effects");
    differs([] { g_EnemyBulletList.push_back(EnemyBullet{}); }, [] { g_EnemyBulletList.clear(); }, P::kShots,
            "bullets");
    differs([] { g_EnemyShellList.push_back(EnemyShell{}); }, [] { g_EnemyShellList.clear(); }, P::kShots, "shells");
    differs([] { g_PlayerMissileList.push_back(PlayerMissile{}); }, [] { g_PlayerMissileList.clear(); }, P::kShots,
            "missiles");
    differs([] { g_PlayerShotList.push_back(PlayerShot{}); }, [] { g_PlayerShotList.clear(); }, P::kShots, "shots");
    const u32 state = RandomGetState();
    differs([] { RandomNext(); }, [state] { RandomSetState(state); }, P::kGenerators, "engine generator");
    // A recording and its playback compare equal: the mode and the live keys do not count.
    g_GameState.GameMode = kGameModeReplay;
    g_PlayerState[0].liveKeys[kKeyZ] = kKeyPressed;
    EXPECT_EQ(ComputeStateHash(), base);
    g_GameState.GameMode = kGameModeNormal;
    g_PlayerState[0].liveKeys[kKeyZ] = kKeyUpState;
    const StageRandom saved = g_StageRandomState;
    differs([] { StageRandomNext(&g_StageRandomState); }, [saved] { g_StageRandomState = saved; }, P::kGenerators,
            "stage generator");
}

TEST_F(PlayFixture, EndPlaySceneReleasesEveryStageImage) {
    for (i32 stage = 0; stage < kStageCount; ++stage) {
        Load(stage);
        ASSERT_NE(g_StageTextures.picture, nullptr) << "the factory returns an object even without the archive";
        ASSERT_NE(g_StageTextures.bg[0], nullptr);
        EXPECT_EQ(g_StageTextures.E9 != nullptr, stage == 4);
        EXPECT_EQ(g_StageTextures.face[2] != nullptr, stage == 2 || stage == 4);
        g_GameState.PlayEndKind = kPlayEndQuit;
        EndPlayScene();
        const StageTextures& t = g_StageTextures;
        for (Texture* x : {t.picture, t.missile, t.window, t.effect, t.stage_title, t.pause, t.E1, t.E2, t.E3, t.E4,
                           t.E5, t.E6, t.E7, t.E8, t.E9, t.B1, t.B2}) {
            EXPECT_EQ(x, nullptr);
        }
        for (Texture* x : t.speech) EXPECT_EQ(x, nullptr);
        for (Texture* x : t.face) EXPECT_EQ(x, nullptr);
        for (Texture* x : t.cloud) EXPECT_EQ(x, nullptr);
        for (Surface* x : t.bg) EXPECT_EQ(x, nullptr);
        for (Model* x : t.plane) EXPECT_EQ(x, nullptr);
    }
    // A second teardown finds nothing to release.
    EndPlayScene();
    ReleasePlayObjects();
}

TEST_F(PlayFixture, APlaybackOfARecordedStageReachesTheRecordedState) {
    const u16 script[] = {0, kInputZ, kInputZ | kInputLeft, kInputLeft, kInputUp | kInputZ, kInputRight, kInputX, 0};
    RandomSeed(5);
    Load(1);
    for (int i = 0; i < 120; ++i) Frame(script[(i / 7) % 8]);
    const u64 recorded = ComputeStateHash();
    const i32 frames = g_GameState.FrameCounter;
    ASSERT_EQ(g_PlayRecord.input[1].size(), static_cast<size_t>(frames)) << "every stage frame is recorded";

    // The replay browser's start of stage index 1: the record stays, the rest is new.
    const PlayRecord record = g_PlayRecord;
    ResetGameState();
    ResetPlayLists();
    g_PlayRecord = record;
    g_GameState.Continues = 3;
    RandomSeed(99);
    Load(1, kGameModeReplay);
    for (int i = 0; i < 120; ++i) Frame(0);
    EXPECT_EQ(g_GameState.FrameCounter, frames);
    EXPECT_EQ(ComputeStateHash(), recorded);
}
