// The ending: the choice from the story flags and the cycle bytes, its record
// in the progress data, and the phase sequence driven frame by frame without
// drawing (the transition steps as the draw would step it).
#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <vector>

#include "engine/core/application.h"
#include "game/shell/ending_scene.h"
#include "game/shell/file_access.h"
#include "game/shell/game_main.h"
#include "game/shell/input.h"
#include "game/shell/music.h"
#include "game/shell/play_state.h"
#include "game/shell/save_files.h"
#include "game/shell/sound_effects.h"
#include "game/shell/transition.h"
#include "tests/support/temp_dir.h"

namespace {

StoryFlagArray Flags(std::initializer_list<int> set) {
    StoryFlagArray f{};
    for (int k : set) f[static_cast<std::size_t>(k)] = 1;
    return f;
}

EndingCycleBytes Cycle(std::initializer_list<int> seen) {
    EndingCycleBytes c{};
    for (int e : seen) c[static_cast<std::size_t>(e)] = 1;
    return c;
}

TEST(ChooseEnding, FlagSetsToEndings) {
    struct Case {
        const char* what;
        StoryFlagArray flags;
        EndingCycleBytes cycle;
        i32 ending;
    };
    const std::vector<Case> cases = {
        {"no condition met", Flags({}), Cycle({}), 1},
        {"flags that belong to no ending", Flags({0, 1, 2, 50, 99}), Cycle({}), 1},
        {"ending 2", Flags({5, 35}), Cycle({}), 2},
        {"half of ending 2", Flags({5}), Cycle({}), 1},
        {"2 and 10 met, 2 seen in this cycle", Flags({5, 35, 33}), Cycle({2}), 10},
        {"2 and 10 met, both seen: second pass", Flags({5, 35, 33}), Cycle({2, 10}), 2},
        {"8 comes before 3 in the order", Flags({80, 25}), Cycle({}), 8},
        {"3 when 8 was seen", Flags({80, 25}), Cycle({8}), 3},
        {"4 needs 11 clear", Flags({16}), Cycle({}), 4},
        {"4 blocked by 11", Flags({16, 11}), Cycle({}), 1},
        {"5 needs both flags", Flags({81}), Cycle({}), 1},
        {"5", Flags({81, 12}), Cycle({}), 5},
        {"6", Flags({22, 19}), Cycle({}), 6},
        {"7", Flags({27, 28}), Cycle({}), 7},
        {"9", Flags({32}), Cycle({}), 9},
        {"11", Flags({56}), Cycle({}), 11},
        {"12", Flags({55}), Cycle({}), 12},
        {"13", Flags({67}), Cycle({}), 13},
        {"14", Flags({83}), Cycle({}), 14},
        {"15", Flags({72}), Cycle({}), 15},
        {"16", Flags({75}), Cycle({}), 16},
        {"17", Flags({90}), Cycle({}), 17},
        {"18", Flags({96}), Cycle({}), 18},
        // Ending 1's own condition also meets 10, 16 and 18 (and 4 unless 11).
        {"1's flags: 10 comes first", Flags({11, 16, 33, 75, 96, 54}), Cycle({}), 10},
        {"1's flags, the others seen", Flags({11, 16, 33, 75, 96, 54}), Cycle({10, 16, 18}), 1},
        {"1 by flag 68 instead of 54", Flags({11, 16, 33, 75, 96, 68}), Cycle({10, 16, 18}), 1},
        {"1's flags without 54 or 68", Flags({11, 16, 33, 75, 96}), Cycle({10, 16, 18}), 10},
        {"all seen: the second pass never gives 1", Flags({11, 16, 33, 75, 96, 54}), Cycle({1, 10, 16, 18}), 10},
        {"several met, one seen", Flags({55, 67, 83}), Cycle({12}), 13},
        {"several met, all seen", Flags({55, 67, 83}), Cycle({12, 13, 14}), 12},
    };
    for (const Case& c : cases) EXPECT_EQ(ChooseEnding(c.flags, c.cycle), c.ending) << c.what;

    // Any non-zero byte is a set flag.
    StoryFlagArray f{};
    f[25] = 200;
    EXPECT_EQ(ChooseEnding(f, Cycle({})), 8);
}

class EndingSequence : public ::testing::Test {
protected:
    void SetUp() override {
        old_ = std::filesystem::current_path();
        std::filesystem::current_path(dir_.path());
        std::filesystem::create_directory("system");
        ResetApplicationState();
        for (i32 s = 0; s < kSceneSlots; ++s) RegisterSceneFrame(s, nullptr);
        RegisterSceneFrame(kSceneTitle, [] {});
        ResetGameState();
        g_SystemData = DefaultSystemData();
        TransitionState = Transition{};
        RearmSoundEffectGates();
        g_MusicState = MusicState{};
        g_MusicState.ready = 1;  // requests are kept; nothing plays
        g_Ending.EndingRequest = 0;
        for (i32& k : g_Ending.EndingKeyState) k = 0;
        CurrentScene = kSceneEnding;
        PreviousScene = kSceneStageReport;
        SceneInitRequest = 1;
    }
    void TearDown() override {
        for (i32 s = 0; s < kSceneSlots; ++s) RegisterSceneFrame(s, nullptr);
        g_MusicState = MusicState{};
        std::filesystem::current_path(old_);
    }
    // InitializeEnding without its images.
    void Enter() {
        ResetEndingSequence();
        RecordEnding();
        OpenEnding();
    }
    // One frame as EndingFrame runs it.
    void Frame(u16 word = 0) {
        AdvanceTransition();
        u8 bits[2];
        InputBytes(word, bits);
        UpdateKeyStates(bits, g_Ending.EndingKeyState);
        StepEndingSequence();
        ++frames_;
        if (g_Ending.EndingLeaveRequest && !TransitionRunning()) LeaveEnding();
        RearmSoundEffectGates();
    }
    void Tap(u16 word) {
        Frame(word);
        Frame(0);
    }
    bool Left() const { return CurrentScene != kSceneEnding; }
    // Frames until the phase is `phase` (or the scene left).
    void RunUntilPhase(i32 phase) {
        for (int i = 0; i < 20000 && g_Ending.EndingPhase != phase && !Left(); ++i) Frame();
        ASSERT_EQ(g_Ending.EndingPhase, phase);
    }
    std::vector<i32> RunToTheEnd(int limit = 20000) {
        std::vector<i32> phases{g_Ending.EndingPhase};
        for (int i = 0; i < limit && !Left(); ++i) {
            Frame();
            if (phases.back() != g_Ending.EndingPhase) phases.push_back(g_Ending.EndingPhase);
        }
        return phases;
    }

    testing_support::TempDir dir_;
    std::filesystem::path old_;
    int frames_ = 0;
};

TEST_F(EndingSequence, RecordsTheEndingAndCountsTheShowing) {
    g_GameState.StoryFlags = Flags({5, 35});
    g_SystemData.endingsShown = 41;
    Enter();
    EXPECT_EQ(g_Ending.EndingNumber, 2);
    EXPECT_EQ(g_Ending.EndingIsNew, 1);
    EXPECT_EQ(g_SystemData.endingSeen[2], 1);
    EXPECT_EQ(g_SystemData.endingSeenThisCycle[2], 1);
    EXPECT_EQ(g_SystemData.endingsShown, 42u);
    EXPECT_EQ(g_Ending.EndingCycleComplete, 0);
    EXPECT_EQ(g_Ending.EndingFrameCount, kEndingFrameStart);
    EXPECT_EQ(g_MusicState.requested, 0);
    EXPECT_EQ(TransitionState.kind, kTransitionBricksUncover);

    // The same ending again: no longer new, and the count grows anyway.
    Enter();
    EXPECT_EQ(g_Ending.EndingNumber, 2);
    EXPECT_EQ(g_Ending.EndingIsNew, 0);
    EXPECT_EQ(g_SystemData.endingsShown, 43u);
}

TEST_F(EndingSequence, TheEighteenthEndingOfACycleClearsItAndRollsTheCredits) {
    for (int e = 1; e <= kEndingCount; ++e) {
        if (e != 9) g_SystemData.endingSeenThisCycle[static_cast<std::size_t>(e)] = 1;
    }
    g_SystemData.endingSeen = g_SystemData.endingSeenThisCycle;
    g_GameState.StoryFlags = Flags({32});
    Enter();
    EXPECT_EQ(g_Ending.EndingNumber, 9);
    EXPECT_EQ(g_Ending.EndingIsNew, 1);
    EXPECT_EQ(g_Ending.EndingCycleComplete, 1);
    for (u8 b : g_SystemData.endingSeenThisCycle) EXPECT_EQ(b, 0);  // the one just set too
    EXPECT_EQ(g_SystemData.endingSeen[9], 1);

    // Z does not cut it short; the credits run, and Z after the last picture
    // has been up for 301 frames ends it without a transition.
    RunUntilPhase(kEndingPicture1);
    Tap(kInputZ);
    EXPECT_EQ(g_Ending.EndingLeaveRequest, 0);
    RunUntilPhase(kEndingCredits);
    EXPECT_EQ(g_MusicState.requested, 7);
    RunUntilPhase(kEndingCreditsFade);
    EXPECT_EQ(g_MusicState.requested, 0);
    RunUntilPhase(kEndingLastPicture);
    for (int i = 0; i < 300; ++i) Frame(i % 2 ? kInputZ : 0);
    EXPECT_EQ(g_Ending.EndingPhase, kEndingLastPicture);  // Z too early is ignored
    Frame(0);
    Frame(kInputZ);
    EXPECT_EQ(g_Ending.EndingPhase, kEndingLastFade);
    RunToTheEnd();
    EXPECT_EQ(CurrentScene, kSceneTitle);

    // The next run's choice starts a fresh cycle.
    EXPECT_EQ(ChooseEnding(), 9);
}

TEST_F(EndingSequence, RunsThroughEveryPhaseAndLeaves) {
    g_GameState.StoryFlags = Flags({67});
    Enter();
    const std::vector<i32> phases = RunToTheEnd();
    const std::vector<i32> expected = {0, 10, 11, 20, 21, 30, 31, 40, 41, 52, 53, 54, 55, 60, 61, 70, 71, 80};
    EXPECT_EQ(phases, expected);
    EXPECT_EQ(CurrentScene, kSceneTitle);
    // 201 frames of black and each show phase's length + 1 (the fades in run
    // in the show phases), seven fades out of about 50 frames, the slow one
    // of about 100 and the closing bricks of about 95.
    const int shown = 201 + 681 * 5 + 721 + 701 + 1201 + 301;
    EXPECT_GE(frames_, shown + 7 * 50 + 100 + 90);
    EXPECT_LE(frames_, shown + 7 * 53 + 103 + 100);
    // The progress file holds the record.
    std::vector<u8> bytes;
    ASSERT_TRUE(ReadFileBytes("system/system.dat", 1000, bytes));
    EXPECT_EQ(bytes, EncodeSystemData(g_SystemData));
    EXPECT_EQ(bytes[13], 1);       // ever seen
    EXPECT_EQ(bytes[30 + 13], 1);  // seen in this cycle
    EXPECT_EQ(bytes[0xDC], 1);     // shown once
}

TEST_F(EndingSequence, PhaseTableTimings) {
    Enter();
    // Phase 0: 201 frames of black, then the fade in and the ending music.
    for (int i = 0; i < 201; ++i) Frame();
    EXPECT_EQ(g_Ending.EndingPhase, kEndingBlackStart);
    Frame();
    EXPECT_EQ(g_Ending.EndingPhase, kEndingPicture1);
    EXPECT_EQ(TransitionState.kind, kTransitionFadeUncover);
    EXPECT_EQ(g_MusicState.requested, 6);
    RunUntilPhase(kEndingPicture7 + 1);
    EXPECT_FLOAT_EQ(TransitionState.speed, 0.01f);  // the slow fade
    RunUntilPhase(kEndingBlackEnd);
    EXPECT_EQ(g_MusicState.requested, 0);
    EXPECT_EQ(g_Ending.EndingPhaseTimer, 1);
}

TEST_F(EndingSequence, ZCutsTheSequenceShortFromTheFirstPicture) {
    g_Ending.EndingRequest = kEndingAfterRun;
    RegisterSceneFrame(kSceneResult, [] {});
    Enter();
    Tap(kInputZ);  // phase 0: no effect
    EXPECT_EQ(g_Ending.EndingLeaveRequest, 0);
    RunUntilPhase(kEndingPicture2 + 1);  // a wait phase
    Frame(kInputZ);
    EXPECT_EQ(g_Ending.EndingLeaveRequest, 1);
    EXPECT_EQ(TransitionState.kind, kTransitionBricksCover);
    const i32 timer = g_Ending.EndingPhaseTimer;
    RunToTheEnd();
    EXPECT_EQ(g_Ending.EndingPhase, kEndingPicture2 + 1);  // the fade in never started
    EXPECT_EQ(g_Ending.EndingPhaseTimer, timer);
    EXPECT_EQ(CurrentScene, kSceneResult);
    EXPECT_EQ(PreviousScene, kSceneStageReport);  // left as it was
    EXPECT_EQ(SceneInitRequest, 1);
}

TEST_F(EndingSequence, WithoutAResultSceneTheRoadLeadsToTheTitle) {
    g_Ending.EndingRequest = kEndingAfterRun;
    Enter();
    RunUntilPhase(kEndingPicture1);
    Tap(kInputZ);
    RunToTheEnd();
    EXPECT_EQ(CurrentScene, kSceneTitle);
}

}  // namespace
