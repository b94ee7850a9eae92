#include "game/shell/replay_runner.h"

#include <cstdio>
#include <utility>

#include "engine/core/application.h"
#include "engine/image/prefetch.h"
#include "game/shell/game_main.h"
#include "game/shell/game_state.h"
#include "game/shell/play_state.h"

namespace {

struct RunnerPlayback {
    bool pending = false;
    bool running = false;
    ReplayHeader header;
    PlayRecord record;
    i32 lastStage = -1;
};

RunnerPlayback& Playback() {
    static RunnerPlayback playback;
    return playback;
}

// The record of the run's last game in normal play, kept frame by frame so
// that a demonstration or a playback started afterwards (which replaces
// g_PlayRecord) does not lose it.
struct RecordSnapshot {
    bool taken = false;
    PlayRecord record;
    ReplayRunInfo run;
    i32 continues = 0;
};

RecordSnapshot& Snapshot() {
    static RecordSnapshot snapshot;
    return snapshot;
}

bool g_failed = false;

bool AnyStagePlayed(const PlayRecord& record) {
    for (u8 p : record.played) {
        if (p != 0) return true;
    }
    return false;
}

}  // namespace

i32 FirstPlayedStage(const ReplayHeader& header) {
    for (i32 s = 0; s < kPlayableStages; ++s) {
        if (header.played[static_cast<std::size_t>(s)] != 0) return s;
    }
    return -1;
}

i32 LastPlayedStage(const ReplayHeader& header) {
    for (i32 s = kPlayableStages - 1; s >= 0; --s) {
        if (header.played[static_cast<std::size_t>(s)] != 0) return s;
    }
    return -1;
}

FileStatus PrepareRunnerPlayback(const std::string& path) {
    RunnerPlayback& p = Playback();
    p = RunnerPlayback();
    ReplayHeader header;
    PlayRecord record;
    FileStatus status = ReadReplayFile(path, header, record);
    if (!status) return status;
    if (FirstPlayedStage(header) < 0) {
        return FileStatus::Failure("\"" + path +
                                   "\": the replay played none of the five stages; there is nothing to play");
    }
    p.header = header;
    p.record = std::move(record);
    p.lastStage = LastPlayedStage(header);
    p.pending = true;
    return status;
}

bool RunnerPlaybackPending() { return Playback().pending; }

void StartRunnerPlayback() {
    RunnerPlayback& p = Playback();
    if (!p.pending) return;
    p.pending = false;
    // As the replay browser leaves for a playback: a new player, then the
    // record and the run's settings from the file.
    ResetPlayer(0);
    g_PlayRecord = p.record;
    const ReplayPlaybackStart start = PrepareReplayPlayback(p.header, FirstPlayedStage(p.header));
    GameState& g = g_GameState;
    g.Difficulty = start.Difficulty;
    g.StageIndex = start.StageIndex;
    g.StartKind = start.StartKind;
    g.GameMode = kGameModeReplay;
    g.StoryFlags = start.StoryFlags;
    // The recorded input was taken while no continue had been used.
    g.Continues = 3;
    g_PlayerState[0].RunScore = static_cast<i32>(start.RunScore);
    // The playback starts straight into the stage: its pictures decode
    // before the first frame, as a loading screen would let them.
    PrefetchStage(g.StageIndex);
    ImageFinishPrefetch();
    ChangeScene(kScenePlay);
    p.running = true;
}

bool RunnerPlaybackEnded() {
    const RunnerPlayback& p = Playback();
    if (!p.running) return false;
    const GameState& g = g_GameState;
    if (g.GameMode != kGameModeReplay) return true;
    if (CurrentScene != kScenePlay && CurrentScene != kSceneStageReport) return true;
    if (CurrentScene == kScenePlay && !SceneInitRequest && g.StageIndex == p.lastStage) {
        const auto& stream = g_PlayRecord.input[static_cast<std::size_t>(p.lastStage)];
        if (g.FrameCounter >= 0 && static_cast<std::size_t>(g.FrameCounter) >= stream.size()) return true;
    }
    return false;
}

void ResetRunnerPlayback() {
    Playback() = RunnerPlayback();
    ResetRunRecord();
}

void ResetRunRecord() {
    if (!Playback().pending) Playback() = RunnerPlayback();
    Snapshot() = RecordSnapshot();
    g_failed = false;
}

ReplayRunInfo CurrentRunInfo() {
    ReplayRunInfo run;
    run.Difficulty = g_GameState.Difficulty;
    run.StartKind = g_GameState.StartKind;
    run.score = ComputeResultScore(g_PlayRecord);
    run.storyFlags = g_GameState.StoryFlags;
    return run;
}

void TrackRunRecord() {
    if (g_GameState.GameMode != kGameModeNormal || !AnyStagePlayed(g_PlayRecord)) return;
    RecordSnapshot& s = Snapshot();
    PlayRecord& kept = s.record;
    const PlayRecord& live = g_PlayRecord;
    kept.played = live.played;
    kept.seed = live.seed;
    kept.stageScore = live.stageScore;
    kept.stageRank = live.stageRank;
    kept.livesAtStart = live.livesAtStart;
    kept.extendsAtStart = live.extendsAtStart;
    kept.extendPointsAtStart = live.extendPointsAtStart;
    // Streams only grow by a word per frame or are emptied at a stage start;
    // a stream whose length and last word are unchanged is unchanged.
    for (std::size_t i = 0; i < kept.input.size(); ++i) {
        const auto& from = live.input[i];
        auto& to = kept.input[i];
        if (to.size() != from.size() || (!to.empty() && to.back() != from.back())) to = from;
    }
    s.run = CurrentRunInfo();
    s.continues = g_GameState.Continues;
    s.taken = true;
}

FileStatus WriteRunRecord(const std::string& path) {
    const RecordSnapshot& s = Snapshot();
    if (!s.taken) {
        return FileStatus::Failure("no stage was played in normal play during this run; \"" + path +
                                   "\" was not written");
    }
    if (s.continues != 3) {
        return FileStatus::Failure("the run used a continue, after which input is no longer recorded; \"" + path +
                                   "\" was not written");
    }
    const ReplayHeader header = MakeReplayHeader(s.record, s.run);
    const std::vector<u8> bytes = EncodeReplayFile(header, s.record, GameWindowTitle(), ReplayLocalTime());
    return WriteFileReplacing(path, bytes);
}

void SetRunnerFailure(const std::string& message) {
    std::fprintf(stderr, "tolvarin: %s\n", message.c_str());
    g_failed = true;
}

bool RunnerFailed() { return g_failed; }
