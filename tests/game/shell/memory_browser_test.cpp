// The replay browser's list and stage column driven by input words frame by
// frame, without drawing (the transition steps as the draw would step it),
// over replay files saved in a temporary folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/core/application.h"
#include "game/shell/game_main.h"
#include "game/shell/game_state.h"
#include "game/shell/input.h"
#include "game/shell/memory_scene.h"
#include "game/shell/music.h"
#include "game/shell/play_state.h"
#include "game/shell/replay.h"
#include "game/shell/sound_effects.h"
#include "game/shell/transition.h"
#include "tests/support/temp_dir.h"

namespace {

int g_resets = 0;

// A run that played stages 0..`last`: stage s has s + 3 input words, seed
// 100 + s, score 1000 (s + 1) + `tag` and rank s + 1.
PlayRecord MakeRun(i32 last, u32 tag) {
    PlayRecord r;
    for (i32 s = 0; s <= last; ++s) {
        RecordStageStart(r, s, 100 + static_cast<u32>(s), 3, 0, 0);
        for (i32 w = 0; w < s + 3; ++w) AppendInputWord(r, s, static_cast<u16>(0x10 * (s + 1) + w));
        r.stageScore[static_cast<std::size_t>(s)] = 1000 * static_cast<u32>(s + 1) + tag;
        r.stageRank[static_cast<std::size_t>(s)] = static_cast<u32>(s + 1);
    }
    return r;
}

class MemoryBrowser : public ::testing::Test {
protected:
    void SetUp() override {
        old_ = std::filesystem::current_path();
        std::filesystem::current_path(dir_.path());
        std::filesystem::create_directory("replay");
        ResetApplicationState();
        for (i32 s = 0; s < kSceneSlots; ++s) RegisterSceneFrame(s, nullptr);
        RegisterSceneFrame(kSceneTitle, [] {});
        RegisterSceneFrame(kScenePlay, [] {});
        RegisterSceneFrame(kSceneReplayBrowser, [] {});
        ResetGameState();
        ResetPlayRecord(g_PlayRecord);
        ResetKeyRepeatCounters();
        TransitionState = Transition{};
        g_MusicState = MusicState{};
        g_MusicState.ready = 1;  // requests are kept; nothing plays
        g_resets = 0;
        ResetPlayerStateHook = [](i32 mode) {
            g_resets += mode == 0;
            ResetPlayRecord(g_PlayRecord);
        };
        RearmSoundEffectGates();
        g_Memory.MemoryCursor = 0;
        g_Memory.MemoryStageCursor = 0;
        g_Memory.MemoryHeadingZoom = 0;
    }
    void TearDown() override {
        ResetPlayerStateHook = nullptr;
        for (i32 s = 0; s < kSceneSlots; ++s) RegisterSceneFrame(s, nullptr);
        g_ReplayList.clear();
        g_ReplayPathList.clear();
        g_MusicState = MusicState{};
        std::filesystem::current_path(old_);
    }

    // Saves a replay as the next free number; returns that number.
    i32 Save(i32 lastStage, u32 tag, i32 difficulty = 1) {
        ReplayRunInfo run;
        run.Difficulty = difficulty;
        run.StartKind = 0;
        PlayRecord r = MakeRun(lastStage, tag);
        run.score = ComputeResultScore(r);
        run.storyFlags[tag % kStoryFlagCount] = 1;  // story flags are 0 or 1
        SaveReplayResult saved = SaveReplay(r, run, "test");
        EXPECT_TRUE(saved.status) << saved.status.message;
        return saved.number;
    }
    // InitializeMemory without its images, entered from `from`.
    void Enter(i32 from) {
        PreviousScene = from;
        CurrentScene = kSceneReplayBrowser;
        ResetMemoryBrowser();
        OpenMemoryBrowser();
    }
    void Frame(u16 word = 0) {
        AdvanceTransition();
        u8 bits[2];
        InputBytes(word, bits);
        MemoryTakeInput(bits);
        StepMemoryBrowser();
        StepMemoryTimers();
        if (g_Memory.MemoryLeaveRequest) LeaveMemory();
        lastSound_ = -1;
        for (i32 n = 0; n < kSoundEffectCount; ++n) {
            if (!SoundEffectGates[n]) lastSound_ = n;
        }
        RearmSoundEffectGates();
    }
    void Tap(u16 word) {
        Frame(word);
        sound_ = lastSound_;
        Frame(0);
    }
    void ToList() {
        for (int i = 0; i < 200 && g_Memory.MemoryState == kMemoryOpening; ++i) Frame();
        ASSERT_EQ(g_Memory.MemoryState, kMemoryList);
    }
    void UntilLeft() {
        for (int i = 0; i < 200 && CurrentScene == kSceneReplayBrowser && !SceneInitRequest; ++i) Frame();
        ASSERT_TRUE(SceneInitRequest);
    }

    testing_support::TempDir dir_;
    std::filesystem::path old_;
    i32 lastSound_ = -1;
    i32 sound_ = -1;  // the sound of the last Tap's pressed frame
};

TEST_F(MemoryBrowser, ListTopFollowsTheCursor) {
    struct Case {
        i32 n, cursor, top;
    };
    const Case cases[] = {
        {3, 0, 0},  {3, 2, 0},   {10, 9, 0}, {11, 10, 1}, {30, 29, 20},
        {30, 2, 0}, {30, 10, 6}, {30, 4, 0}, {30, 5, 1},  {100, 99, 90},
    };
    for (const Case& c : cases) {
        g_ReplayList.assign(static_cast<std::size_t>(c.n), ReplayHeader{});
        g_Memory.MemoryState = kMemoryList;
        g_Memory.MemoryCursor = c.cursor;
        for (i32& k : g_Memory.MemoryKeyState) k = 0;
        StepMemoryBrowser();
        EXPECT_EQ(g_Memory.MemoryListTop, c.top) << c.n << " entries, cursor " << c.cursor;
    }
}

TEST_F(MemoryBrowser, ListWithGapsAndMoreThanTenFiles) {
    for (u32 i = 0; i < 14; ++i) Save(static_cast<i32>(i % 5), i);
    for (i32 gone : {3, 7, 8}) std::filesystem::remove(ReplayFileName(gone));
    std::filesystem::create_directory("replay/folder.rpl");  // not a file
    Enter(kSceneTitle);
    ASSERT_EQ(g_ReplayList.size(), 11u);
    // The list is the files in name order, numbered by position.
    EXPECT_EQ(g_ReplayPathList[3], "replay/vosket004.rpl");
    EXPECT_EQ(g_ReplayList[3].score, ComputeResultScore(MakeRun(4, 4)));
    EXPECT_EQ(g_ReplayPathList[10], "replay/vosket013.rpl");
    ToList();

    Tap(kInputUp);  // wraps to the last entry
    EXPECT_EQ(sound_, 34);
    EXPECT_EQ(g_Memory.MemoryCursor, 10);
    EXPECT_EQ(g_Memory.MemoryListTop, 1);
    Tap(kInputDown);  // and back to the first
    EXPECT_EQ(g_Memory.MemoryCursor, 0);
    EXPECT_EQ(g_Memory.MemoryListTop, 0);
    for (int i = 0; i < 7; ++i) Tap(kInputDown);
    EXPECT_EQ(g_Memory.MemoryCursor, 7);
    EXPECT_EQ(g_Memory.MemoryListTop, 1);

    // Down held for 21 frames: pressed in its first, 11th, 16th and 21st.
    g_Memory.MemoryCursor = 0;
    for (int i = 0; i < 21; ++i) Frame(kInputDown);
    Frame(0);
    EXPECT_EQ(g_Memory.MemoryCursor, 4);
}

TEST_F(MemoryBrowser, AReplayStartedFromTheBrowserGoesToPlayWithTheReplayLoaded) {
    Save(4, 0);
    Save(2, 7, 2);  // vosket001: stages 0..2 played, HARD
    Enter(kSceneTitle);
    ToList();
    Tap(kInputDown);
    Tap(kInputZ);
    EXPECT_EQ(sound_, 33);
    EXPECT_EQ(g_Memory.MemoryState, kMemoryStages);
    EXPECT_EQ(g_Memory.MemoryStageCursor, 0);
    for (i32 t : g_Memory.MemoryStageTimers) EXPECT_EQ(t, 28);  // 30, less two frames

    // Stage 3 was never reached: refused.
    Tap(kInputUp);
    Tap(kInputUp);
    EXPECT_EQ(g_Memory.MemoryStageCursor, 3);
    Tap(kInputZ);
    EXPECT_EQ(sound_, 36);
    EXPECT_EQ(g_Memory.MemoryState, kMemoryStages);

    Tap(kInputUp);
    EXPECT_EQ(g_Memory.MemoryStageCursor, 2);
    Tap(kInputZ);
    EXPECT_EQ(sound_, 35);
    EXPECT_EQ(g_Memory.MemoryState, kMemoryLeaving);
    EXPECT_EQ(g_Memory.MemoryNextScene, kScenePlay);
    UntilLeft();
    EXPECT_EQ(CurrentScene, kScenePlay);
    EXPECT_EQ(PreviousScene, kSceneReplayBrowser);
    EXPECT_EQ(g_resets, 1);

    const PlayRecord expected = MakeRun(2, 7);
    for (i32 s = 0; s < kStageSlots; ++s) {
        const std::size_t i = static_cast<std::size_t>(s);
        EXPECT_EQ(g_PlayRecord.played[i], expected.played[i]) << s;
        EXPECT_EQ(g_PlayRecord.seed[i], expected.seed[i]) << s;
        EXPECT_EQ(g_PlayRecord.stageScore[i], expected.stageScore[i]) << s;
        EXPECT_EQ(g_PlayRecord.input[i], expected.input[i]) << s;
    }
    EXPECT_EQ(g_GameState.GameMode, kGameModeReplay);
    EXPECT_EQ(g_GameState.StageIndex, 2);
    EXPECT_EQ(g_GameState.Difficulty, 2);
    EXPECT_EQ(g_GameState.StartKind, 0);
    EXPECT_EQ(g_GameState.StoryFlags[7], 1);
    EXPECT_EQ(g_GameState.StoryFlags[6], 0);
    EXPECT_EQ(g_PlayerState[0].RunScore, static_cast<i32>(1007 + 2007));
}

TEST_F(MemoryBrowser, AReplayThatCannotBeReadIsNotPlayed) {
    Save(1, 0);
    Save(1, 1);
    Enter(kSceneTitle);
    ToList();
    Tap(kInputDown);
    Tap(kInputZ);
    g_PlayRecord = MakeRun(0, 55);  // what the run holds before
    g_GameState.GameMode = kGameModeNormal;
    std::filesystem::remove(ReplayFileName(1));
    Tap(kInputZ);
    EXPECT_EQ(g_Memory.MemoryNextScene, kScenePlay);
    UntilLeft();
    // The browser opens afresh on what the folder now holds.
    EXPECT_EQ(CurrentScene, kSceneReplayBrowser);
    EXPECT_EQ(g_resets, 0);
    EXPECT_EQ(g_PlayRecord.stageScore[0], 1055u);
    EXPECT_EQ(g_GameState.GameMode, kGameModeNormal);
    Enter(PreviousScene);
    EXPECT_EQ(g_Memory.MemoryState, kMemoryOpening);
    EXPECT_EQ(g_Memory.MemoryCursor, 0);
    EXPECT_EQ(g_ReplayList.size(), 1u);

    // A file cut inside its header no longer holds a replay either.
    Save(1, 2);
    Enter(kSceneTitle);
    ToList();
    Tap(kInputDown);
    Tap(kInputZ);
    std::filesystem::resize_file(ReplayFileName(1), 100);
    Tap(kInputZ);
    UntilLeft();
    EXPECT_EQ(CurrentScene, kSceneReplayBrowser);
    EXPECT_EQ(g_resets, 0);
}

TEST_F(MemoryBrowser, BackFromAPlaybackTheStageColumnOpensWithTheCursorInTheList) {
    for (u32 i = 0; i < 12; ++i) Save(1, i);
    g_Memory.MemoryCursor = 11;
    g_Memory.MemoryStageCursor = 1;
    g_Memory.MemoryHeadingZoom = 50;
    Enter(kScenePlay);
    EXPECT_EQ(g_Memory.MemoryState, kMemoryStages);
    EXPECT_EQ(g_Memory.MemoryCursor, 11);
    EXPECT_EQ(g_Memory.MemoryStageCursor, 1);
    EXPECT_EQ(g_Memory.MemoryHeadingZoom, 50);
    EXPECT_EQ(g_Memory.MemoryListTop, 0);
    for (i32 t : g_Memory.MemoryStageTimers) EXPECT_EQ(t, 30);
    EXPECT_EQ(g_MusicState.requested, 1);

    // Files went away during the playback: the cursor is brought into the list.
    for (i32 n = 3; n < 12; ++n) std::filesystem::remove(ReplayFileName(n));
    Enter(kSceneStageReport);
    EXPECT_EQ(g_Memory.MemoryState, kMemoryStages);
    EXPECT_EQ(g_Memory.MemoryCursor, 2);
    Tap(kInputX);
    EXPECT_EQ(g_Memory.MemoryState, kMemoryList);
    EXPECT_EQ(g_Memory.MemoryListTop, 0);
    Tap(kInputZ);
    Tap(kInputDown);
    Tap(kInputZ);
    UntilLeft();
    EXPECT_EQ(CurrentScene, kScenePlay);
    EXPECT_EQ(g_GameState.StageIndex, 1);
    EXPECT_EQ(g_PlayRecord.stageScore[0], 1002u);

    // All of them went: the list's empty message, and Z goes back to the title.
    for (i32 n = 0; n < 3; ++n) std::filesystem::remove(ReplayFileName(n));
    Enter(kScenePlay);
    EXPECT_EQ(g_Memory.MemoryState, kMemoryList);
    EXPECT_EQ(g_Memory.MemoryCursor, 0);
    Tap(kInputZ);
    EXPECT_EQ(sound_, 36);
    EXPECT_EQ(g_Memory.MemoryNextScene, kSceneTitle);
    UntilLeft();
    EXPECT_EQ(CurrentScene, kSceneTitle);
}

TEST_F(MemoryBrowser, EmptyOrMissingFolder) {
    std::filesystem::remove("replay");
    Enter(kSceneTitle);
    EXPECT_TRUE(g_ReplayList.empty());
    ToList();
    Tap(kInputDown);
    Tap(kInputUp);
    EXPECT_EQ(g_Memory.MemoryState, kMemoryList);
    Tap(kInputX);
    EXPECT_EQ(sound_, 36);
    EXPECT_EQ(g_Memory.MemoryState, kMemoryLeaving);
    UntilLeft();
    EXPECT_EQ(CurrentScene, kSceneTitle);
}

}  // namespace
