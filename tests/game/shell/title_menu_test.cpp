// The title's menus driven by scripted input words, frame by frame, without
// drawing: the transition steps as the draw would step it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "engine/core/application.h"
#include "game/shell/game_main.h"
#include "game/shell/game_state.h"
#include "game/shell/play_state.h"
#include "game/shell/input.h"
#include "game/shell/replay.h"
#include "game/shell/save_files.h"
#include "game/shell/sound_effects.h"
#include "game/shell/title_scene.h"
#include "game/shell/transition.h"
#include "tests/support/temp_dir.h"

namespace {

void NoFrame() {}

int g_resets = 0;

class TitleMenu : public ::testing::Test {
protected:
    void SetUp() override {
        old_ = std::filesystem::current_path();
        std::filesystem::current_path(dir_.path());
        Reset();
    }
    void Reset() {
        ResetApplicationState();
        for (i32 s = 0; s < kSceneSlots; ++s) RegisterSceneFrame(s, nullptr);
        RegisterSceneFrame(kSceneLogo, NoFrame);
        RegisterSceneFrame(kSceneTitle, NoFrame);
        g_SystemData = DefaultSystemData();
        ResetKeyRepeatCounters();
        TransitionState = Transition{};
        g_resets = 0;
        ResetGameState();
        ResetPlayerStateHook = [](i32 mode) { g_resets += mode == 0; };
        g_GameState.StageIndex = 3;
        g_GameState.Difficulty = 0;
        g_GameState.GameMode = kGameModeNormal;
        CurrentScene = kSceneTitle;
        PreviousScene = kSceneLogo;
        ResetTitleMenu();
        OpenTitleScene();
        RearmSoundEffectGates();
    }
    void TearDown() override {
        ResetPlayerStateHook = nullptr;
        for (i32 s = 0; s < kSceneSlots; ++s) RegisterSceneFrame(s, nullptr);
        ResetApplicationState();
        std::filesystem::current_path(old_);
    }

    // One frame as TitleFrame runs it (the draw steps the transition).
    void Frame(u16 word = 0) {
        AdvanceTransition();
        u8 bits[2];
        InputBytes(word, bits);
        TitleTakeInput(bits);
        StepTitleMenu();
        StepTitleSlideTimers();
        if (g_Title.TitleLeaveRequest) LeaveTitle();
        for (i32 n = 0; n < kSoundEffectCount; ++n) {
            if (!SoundEffectGates[n]) lastSound_ = n;
        }
        RearmSoundEffectGates();
    }
    // A key pressed for one frame and released in the next.
    void Tap(u16 word) {
        Frame(word);
        Frame(0);
    }
    void ToMainMenu() {
        while (g_Title.TitleMenuState == kTitleOpening) Frame();
    }
    void RunOut() {
        for (int i = 0; i < 200 && CurrentScene == kSceneTitle && !SceneInitRequest; ++i) Frame();
    }

    testing_support::TempDir dir_;
    std::filesystem::path old_;
    i32 lastSound_ = -1;
};

TEST_F(TitleMenu, OpensIntoTheMainMenuWhenTheWipeEnds) {
    EXPECT_EQ(TransitionState.kind, kTransitionBricksUncover);
    EXPECT_EQ(SceneInitRequest, 0);
    int frames = 0;
    while (g_Title.TitleMenuState == kTitleOpening) {
        Frame(kInputZ);  // keys do nothing while the wipe runs
        ++frames;
    }
    EXPECT_EQ(frames, 96);  // 95 updates, the clearing draw
    EXPECT_EQ(g_Title.TitleCursor, 0);
    EXPECT_EQ(g_Title.MainEntryTimers[0], 0);  // slid in and resting
}

TEST_F(TitleMenu, CursorWrapsBothWays) {
    ToMainMenu();
    Tap(kInputUp);
    EXPECT_EQ(g_Title.TitleCursor, 5);
    EXPECT_EQ(lastSound_, 34);
    Tap(kInputDown);
    EXPECT_EQ(g_Title.TitleCursor, 0);
    // A held direction repeats after 10 frames, then every 5.
    for (int i = 0; i < 16; ++i) Frame(kInputDown);
    EXPECT_EQ(g_Title.TitleCursor, 3);
}

TEST_F(TitleMenu, NewGameSetsUpAFullRunFromTheFirstStage) {
    ToMainMenu();
    Tap(kInputZ);
    EXPECT_EQ(g_Title.TitleMenuState, kTitleDifficulty);
    EXPECT_EQ(g_GameState.StartKind, 0);
    EXPECT_EQ(lastSound_, 33);
    EXPECT_EQ(g_Title.DifficultyEntryTimers[0], 28);  // 30, less two frames
    Tap(kInputDown);
    Tap(kInputDown);
    g_GameState.StoryFlags.fill(7);
    g_PlayRecord.stageRank.fill(4);
    Frame(kInputZ);
    EXPECT_EQ(g_Title.TitleMenuState, kTitleLeaving);
    EXPECT_EQ(g_Title.TitleNextScene, kScenePlay);
    EXPECT_EQ(g_GameState.Difficulty, 2);
    EXPECT_EQ(g_GameState.StageIndex, 0);
    EXPECT_EQ(g_GameState.GameMode, kGameModeNormal);
    EXPECT_EQ(lastSound_, 35);
    RunOut();
    EXPECT_EQ(g_resets, 1);
    EXPECT_EQ(g_GameState.Continues, 3);
    EXPECT_EQ(g_GameState.StoryFlags[99], 0);
    EXPECT_EQ(g_PlayRecord.stageRank[0], 0u);
    // No play scene in this build: the road ends in the title again.
    EXPECT_EQ(CurrentScene, kSceneTitle);
    EXPECT_EQ(PreviousScene, kSceneTitle);
    EXPECT_EQ(SceneInitRequest, 1);
}

TEST_F(TitleMenu, WithAPlaySceneTheRunGoesToPlay) {
    RegisterSceneFrame(kScenePlay, NoFrame);
    ToMainMenu();
    Tap(kInputZ);
    Tap(kInputZ);
    RunOut();
    EXPECT_EQ(CurrentScene, kScenePlay);
    EXPECT_EQ(PreviousScene, kSceneTitle);
}

TEST_F(TitleMenu, StageSelectRefusesLockedStagesAndStartsUnlockedOnes) {
    RegisterSceneFrame(kScenePlay, NoFrame);
    ToMainMenu();
    Tap(kInputDown);
    Tap(kInputZ);
    EXPECT_EQ(g_GameState.StartKind, 1);
    Tap(kInputDown);  // NORMAL
    Tap(kInputZ);
    EXPECT_EQ(g_Title.TitleMenuState, kTitleStageSelect);
    EXPECT_EQ(g_GameState.Difficulty, 1);
    EXPECT_EQ(lastSound_, 33);
    Tap(kInputZ);  // stage index 0 is locked by default
    EXPECT_EQ(g_Title.TitleMenuState, kTitleStageSelect);
    EXPECT_EQ(lastSound_, 36);
    Tap(kInputDown);
    Tap(kInputZ);
    EXPECT_EQ(g_Title.TitleMenuState, kTitleLeaving);
    EXPECT_EQ(g_GameState.StageIndex, 1);
    EXPECT_EQ(g_GameState.StartKind, 2);
    RunOut();
    EXPECT_EQ(CurrentScene, kScenePlay);
}

TEST_F(TitleMenu, CancelReturnsToTheEntryThatOpenedTheMenu) {
    ToMainMenu();
    Tap(kInputZ);
    Tap(kInputX);
    EXPECT_EQ(g_Title.TitleMenuState, kTitleMain);
    EXPECT_EQ(g_Title.TitleCursor, 0);
    EXPECT_EQ(g_Title.MainEntryTimers[0], 28);
    EXPECT_EQ(lastSound_, 36);
    Tap(kInputDown);
    Tap(kInputZ);
    Tap(kInputX);
    EXPECT_EQ(g_Title.TitleCursor, 1);
    Tap(kInputZ);
    Tap(kInputZ);  // EASY: stage select
    Tap(kInputDown);
    Tap(kInputDown);
    Tap(kInputX);
    EXPECT_EQ(g_Title.TitleMenuState, kTitleMain);
    EXPECT_EQ(g_Title.TitleCursor, 1);
}

TEST_F(TitleMenu, CursorStaysInTheNewMenuAfterKeysOfTheSameFrame) {
    ToMainMenu();
    Tap(kInputDown);
    Frame(kInputZ | kInputUp);  // opens the difficulty menu, then Up by the main menu's rule
    EXPECT_EQ(g_Title.TitleMenuState, kTitleDifficulty);
    EXPECT_EQ(g_Title.TitleCursor, 2);
    Frame(0);
    Frame(kInputZ | kInputUp);  // opens the stage select from HARD, then Up wraps to 2
    EXPECT_EQ(g_Title.TitleMenuState, kTitleStageSelect);
    EXPECT_EQ(g_GameState.Difficulty, 2);
    EXPECT_LE(g_Title.TitleCursor, 4);
    Frame(0);
    Frame(kInputX | kInputDown);  // back to the main menu, Down by the stage rule
    EXPECT_EQ(g_Title.TitleMenuState, kTitleMain);
    EXPECT_EQ(g_Title.TitleCursor, 2);
}

TEST_F(TitleMenu, MainEntriesLeaveToTheirScenes) {
    struct Road {
        i32 entry;
        i32 next;
    };
    for (const Road& r : {Road{2, kSceneRanking}, Road{3, kSceneReplayBrowser}, Road{4, kSceneSettings}}) {
        Reset();
        ToMainMenu();
        for (i32 i = 0; i < r.entry; ++i) Tap(kInputDown);
        Frame(kInputZ);
        EXPECT_EQ(g_Title.TitleNextScene, r.next) << r.entry;
        EXPECT_EQ(lastSound_, 35);
        RunOut();
        EXPECT_EQ(CurrentScene, kSceneTitle) << "no such scene yet: back to the title";
        EXPECT_FALSE(App().exitRequested);
    }
}

TEST_F(TitleMenu, LastEntryEndsTheProgram) {
    ToMainMenu();
    Tap(kInputUp);
    Frame(kInputZ);
    RunOut();
    EXPECT_EQ(CurrentScene, kSceneProgramEnd);
    EXPECT_TRUE(App().exitRequested);
}

TEST_F(TitleMenu, IdleDemonstrationNeedsTheReplay) {
    ToMainMenu();
    // Any input bit, also one the menu ignores, restarts the count.
    for (int i = 0; i < 900; ++i) Frame();
    Frame(kInputC);
    EXPECT_EQ(g_Title.TitleIdleFrames, 0);
    for (int i = 0; i < 1000; ++i) Frame();
    EXPECT_EQ(g_Title.TitleMenuState, kTitleMain);
    Frame();
    EXPECT_EQ(g_Title.TitleIdleFrames, 1001);
    EXPECT_EQ(g_Title.TitleMenuState, kTitleLeaving);
    EXPECT_EQ(g_GameState.GameMode, kGameModeDemo);
    RunOut();
    // No "demo.rpl" here: the logo scene runs instead.
    EXPECT_EQ(CurrentScene, kSceneLogo);
    EXPECT_EQ(PreviousScene, kScenePlay);
    EXPECT_EQ(g_Title.TitleNextScene, kSceneLogo);
}

TEST_F(TitleMenu, IdleCountStartsNothingInSubMenus) {
    ToMainMenu();
    Tap(kInputZ);
    for (int i = 0; i < 1100; ++i) Frame();
    EXPECT_EQ(g_Title.TitleMenuState, kTitleDifficulty);
}

TEST_F(TitleMenu, DemonstrationLoadsTheReplay) {
    RegisterSceneFrame(kScenePlay, NoFrame);
    ReplayHeader h;
    h.Difficulty = 2;
    h.StartKind = 1;
    h.played[0] = 1;
    h.played[1] = 1;
    h.stageScore[0] = 1234;
    h.stageScore[1] = 99;
    h.storyFlags[5] = 1;
    {
        const std::vector<u8> bytes = EncodeReplayHeader(h);
        std::ofstream out("demo.rpl", std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    ToMainMenu();
    for (int i = 0; i < 1001; ++i) Frame();
    RunOut();
    EXPECT_EQ(CurrentScene, kScenePlay);
    EXPECT_EQ(g_GameState.GameMode, kGameModeDemo);
    EXPECT_EQ(g_GameState.StageIndex, 1);
    EXPECT_EQ(g_GameState.Difficulty, 2);
    EXPECT_EQ(g_GameState.StoryFlags[5], 1);
    EXPECT_EQ(g_PlayerState[0].RunScore, 1234);
    EXPECT_EQ(g_resets, 1);
}

TEST_F(TitleMenu, SlideTimersAndOffsets) {
    EXPECT_EQ(TitleSlideOffset(60), 1800);
    EXPECT_EQ(TitleSlideOffset(30), 450);
    EXPECT_EQ(TitleSlideOffset(0), 0);
    EXPECT_EQ(TitleSlideOffset(-30), -450);
    EXPECT_EQ(TitleSlideOffset(-7), -24);
    ToMainMenu();
    Tap(kInputZ);
    for (int i = 0; i < 40; ++i) Frame();
    EXPECT_EQ(g_Title.DifficultyEntryTimers[2], 0);
    EXPECT_EQ(g_Title.MainEntryTimers[0], -30);
    EXPECT_EQ(g_Title.StageEntryTimers[0], -30);
}

}  // namespace
