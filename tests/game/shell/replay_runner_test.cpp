#include "game/shell/replay_runner.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "game/shell/game_main.h"
#include "game/shell/play_state.h"
#include "game/shell/replay.h"
#include "tests/support/temp_dir.h"

namespace {

class RunnerFixture : public ::testing::Test {
protected:
    void SetUp() override { Clear(); }
    void TearDown() override { Clear(); }
    static void Clear() {
        ResetRunnerPlayback();
        g_GameState = GameState();
        ResetPlayRecord(g_PlayRecord);
        g_PlayerState[0] = PlayerState();
        CurrentScene = kSceneLogo;
        SceneInitRequest = 1;
    }
    // A normal-play run of `stage` with `words` frames of input.
    static void PlayStage(i32 stage, u32 seed, u16 firstWord, std::size_t words) {
        g_GameState.GameMode = kGameModeNormal;
        g_GameState.Continues = 3;
        g_GameState.Difficulty = 2;
        g_GameState.StartKind = kStartStageSelect;
        RecordStageStart(g_PlayRecord, stage, seed, 3, 1, 7);
        for (std::size_t i = 0; i < words; ++i) {
            AppendInputWord(g_PlayRecord, stage, static_cast<u16>(firstWord + i));
            TrackRunRecord();
        }
    }
    testing_support::TempDir dir_;
};

TEST_F(RunnerFixture, RecordKeepsTheLastNormalRunWhenADemonstrationReplacesIt) {
    PlayStage(1, 4321, 0x10, 50);
    // The idle title's demonstration loads another record in its place.
    ResetPlayRecord(g_PlayRecord);
    g_GameState.GameMode = kGameModeDemo;
    g_PlayRecord.played[1] = 1;
    g_PlayRecord.input[1].assign(9, 0x3);
    TrackRunRecord();

    const std::string path = (dir_.path() / "run.rpl").string();
    const FileStatus written = WriteRunRecord(path);
    ASSERT_TRUE(written) << written.message;
    ReplayHeader header;
    PlayRecord read;
    ASSERT_TRUE(ReadReplayFile(path, header, read));
    EXPECT_EQ(header.Difficulty, 2);
    EXPECT_EQ(header.StartKind, kStartStageSelect);
    EXPECT_EQ(header.played[1], 1);
    EXPECT_EQ(header.seed[1], 4321u);
    EXPECT_EQ(header.livesAtStart[1], 3u);
    EXPECT_EQ(header.extendsAtStart[1], 1u);
    EXPECT_EQ(header.extendPointsAtStart[1], 7u);
    ASSERT_EQ(read.input[1].size(), 50u);
    EXPECT_EQ(read.input[1].front(), 0x10);
    EXPECT_EQ(read.input[1].back(), 0x10 + 49);
}

TEST_F(RunnerFixture, RecordFollowsAStageRestartedWithTheSameLength) {
    PlayStage(1, 10, 0x20, 1);
    // A retry empties the stream and records one new word in one frame.
    PlayStage(1, 11, 0x40, 1);
    const std::string path = (dir_.path() / "run.rpl").string();
    ASSERT_TRUE(WriteRunRecord(path));
    ReplayHeader header;
    PlayRecord read;
    ASSERT_TRUE(ReadReplayFile(path, header, read));
    EXPECT_EQ(header.seed[1], 11u);
    ASSERT_EQ(read.input[1].size(), 1u);
    EXPECT_EQ(read.input[1][0], 0x40);
}

TEST_F(RunnerFixture, RecordRefusesARunWithoutPlayOrAfterAContinue) {
    const std::string path = (dir_.path() / "run.rpl").string();
    FileStatus status = WriteRunRecord(path);
    EXPECT_FALSE(status);
    EXPECT_NE(status.message.find("run.rpl"), std::string::npos);

    PlayStage(0, 5, 1, 20);
    g_GameState.Continues = 2;
    TrackRunRecord();
    status = WriteRunRecord(path);
    EXPECT_FALSE(status);
    EXPECT_NE(status.message.find("continue"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(RunnerFixture, PlaybackStartsAtTheFirstPlayedStageAndEndsWithTheLastStream) {
    ReplayRunInfo run;
    run.Difficulty = 1;
    run.StartKind = kStartFullRun;
    run.storyFlags[30] = 1;
    PlayRecord record;
    for (i32 s : {1, 2}) {
        RecordStageStart(record, s, 100u + static_cast<u32>(s), 2, 0, 0);
        record.stageScore[static_cast<std::size_t>(s)] = 1000u * static_cast<u32>(s);
        for (int i = 0; i < 5 * s; ++i) AppendInputWord(record, s, 0x10);
    }
    const std::string path = (dir_.path() / "two.rpl").string();
    ASSERT_TRUE(WriteFileReplacing(path, EncodeReplayFile(MakeReplayHeader(record, run), record, "t", std::tm{})));

    ASSERT_TRUE(PrepareRunnerPlayback(path));
    EXPECT_TRUE(RunnerPlaybackPending());
    EXPECT_FALSE(RunnerPlaybackEnded());
    g_GameState.Continues = 0;
    StartRunnerPlayback();
    EXPECT_FALSE(RunnerPlaybackPending());
    EXPECT_EQ(CurrentScene, kScenePlay);
    EXPECT_EQ(SceneInitRequest, 1);
    EXPECT_EQ(g_GameState.GameMode, kGameModeReplay);
    EXPECT_EQ(g_GameState.StageIndex, 1);
    EXPECT_EQ(g_GameState.Difficulty, 1);
    EXPECT_EQ(g_GameState.StartKind, kStartFullRun);
    EXPECT_EQ(g_GameState.Continues, 3);
    EXPECT_EQ(g_GameState.StoryFlags[30], 1);
    EXPECT_EQ(g_PlayerState[0].RunScore, 0);  // nothing before stage index 1
    EXPECT_EQ(g_PlayRecord.seed[2], 102u);
    EXPECT_EQ(g_PlayRecord.input[2].size(), 10u);

    SceneInitRequest = 0;
    g_GameState.FrameCounter = 5;  // stage index 1's stream is over, but it is not the last
    EXPECT_FALSE(RunnerPlaybackEnded());
    CurrentScene = kSceneStageReport;
    EXPECT_FALSE(RunnerPlaybackEnded());
    CurrentScene = kScenePlay;
    g_GameState.StageIndex = 2;
    g_GameState.FrameCounter = 9;
    EXPECT_FALSE(RunnerPlaybackEnded());
    g_GameState.FrameCounter = 10;
    EXPECT_TRUE(RunnerPlaybackEnded());

    g_GameState.FrameCounter = 0;
    CurrentScene = kSceneReplayBrowser;  // the playback was left
    EXPECT_TRUE(RunnerPlaybackEnded());
}

// GameMain's start: the run record, a failure and a playback left running by
// an earlier start in this process are gone; a playback --play prepared for
// this start still starts.
TEST_F(RunnerFixture, AProgramStartForgetsAnEarlierStartsRunButKeepsAPreparedPlayback) {
    PlayRecord record;
    RecordStageStart(record, 0, 7, 3, 0, 0);
    for (int i = 0; i < 4; ++i) AppendInputWord(record, 0, 0x10);
    const std::string path = (dir_.path() / "one.rpl").string();
    ASSERT_TRUE(
        WriteFileReplacing(path, EncodeReplayFile(MakeReplayHeader(record, ReplayRunInfo()), record, "t", std::tm{})));
    ASSERT_TRUE(PrepareRunnerPlayback(path));
    StartRunnerPlayback();
    PlayStage(1, 10, 0x20, 5);
    SetRunnerFailure("the record could not be written");
    CurrentScene = kSceneTitle;  // the earlier start's playback was left
    ASSERT_TRUE(RunnerPlaybackEnded());

    ResetRunRecord();
    EXPECT_FALSE(RunnerPlaybackEnded()) << "a start without --play plays no earlier playback";
    EXPECT_FALSE(RunnerPlaybackPending());
    EXPECT_FALSE(RunnerFailed());
    EXPECT_FALSE(WriteRunRecord((dir_.path() / "run.rpl").string())) << "nothing was played since the start";

    ASSERT_TRUE(PrepareRunnerPlayback(path));
    ResetRunRecord();
    EXPECT_TRUE(RunnerPlaybackPending());
    StartRunnerPlayback();
    EXPECT_EQ(CurrentScene, kScenePlay);
    EXPECT_EQ(g_PlayRecord.input[0].size(), 4u);
}

TEST_F(RunnerFixture, PlaybackRefusesAReplayWithoutAPlayedStage) {
    const std::string path = (dir_.path() / "none.rpl").string();
    PlayRecord record;
    record.played[7] = 1;  // a slot beyond the five stages does not count
    ASSERT_TRUE(
        WriteFileReplacing(path, EncodeReplayFile(MakeReplayHeader(record, ReplayRunInfo()), record, "t", std::tm{})));
    const FileStatus status = PrepareRunnerPlayback(path);
    EXPECT_FALSE(status);
    EXPECT_NE(status.message.find("none.rpl"), std::string::npos);
    EXPECT_FALSE(RunnerPlaybackPending());
    StartRunnerPlayback();
    EXPECT_EQ(CurrentScene, kSceneLogo);
}

}  // namespace
