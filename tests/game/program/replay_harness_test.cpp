// Runs the built game program headless: a scripted run recorded with
// --record and --hash-every 1 must play back with --play to the same hashes,
// bad replay files are refused, the demonstration replay is usable, and a
// start without usable image archives or with a bad command line is refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "game/shell/game_main.h"
#include "game/shell/play_state.h"
#include "game/shell/replay.h"
#include "game/shell/replay_runner.h"
#include "game/shell/save_files.h"
#include "tests/support/expected_file.h"
#include "tests/support/program.h"
#include "tests/support/run_outcome.h"
#include "tools/sampledata/input_script.h"

namespace {

namespace fs = std::filesystem;

std::string ReadText(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::vector<u8> ReadBytes(const fs::path& p) {
    const std::string text = ReadText(p);
    return std::vector<u8>(text.begin(), text.end());
}

void WriteBytes(const fs::path& p, const std::vector<u8>& bytes) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

using testing_support::FrameHash;
using testing_support::ParseFrameHashes;
using testing_support::ProgramResult;

// The arguments with the state hash and its parts printed every frame.
std::vector<std::string> WithHashes(std::vector<std::string> args) {
    args.insert(args.end(), testing_support::kHashEveryFrame.begin(), testing_support::kHashEveryFrame.end());
    return args;
}

// A program folder of the test's own, where text input scripts become the
// program's input words.
class ProgramFolder : public testing_support::ProgramFolder {
public:
    explicit ProgramFolder(bool withDemo)
        : testing_support::ProgramFolder(withDemo ? std::vector<std::string>{kDemoReplayFile}
                                                  : std::vector<std::string>{}) {}

    // Writes a text input script as the program's input words; returns the
    // frame count.
    std::size_t WriteScript(const std::string& name, const std::string& text) const {
        std::vector<u16> words;
        std::string error;
        EXPECT_TRUE(ParseInputScript(text, words, error)) << error;
        WriteBytes(dir() / name, InputScriptBytes(words));
        return words.size();
    }
};

ReplayHeader HeaderOf(const fs::path& p) {
    const std::vector<u8> bytes = ReadBytes(p);
    ReplayHeader header;
    EXPECT_TRUE(DecodeReplayHeader(bytes.data(), bytes.size(), p.string(), header)) << p;
    return header;
}

// --- Scripts -----------------------------------------------------------------

// The logo skipped and the title's menus: a new game (entry 0, the first
// difficulty) starts a full run at stage index 0.
const char kFullRun[] = R"(
150 -
1 Z
249 -
1 Z
29 -
1 Z
60 -
repeat 3
  40 Z+Left
  40 Z+Right+Up
  25 X
  10 -
  40 Z+Down
end
1 T          # pause ...
60 -
1 T          # ... and back to the game
60 -
repeat 3
  30 Z+Right
  30 Z+Left+Down
  30 Z+Up
  20 X
end
)";

// The stage select (entry 1, the first difficulty, the second stage): stage
// index 1, the one unlocked from the start.
const char kStageSelect[] = R"(
150 -
1 Z
249 -
1 Down
29 -
1 Z
29 -
1 Z
29 -
1 Down
29 -
1 Z
60 -
repeat 4
  50 Z+Left+Up
  25 X
  50 Z+Right+Down
  20 -
end
1 T
45 -
1 T
50 Z+Up
)";

struct RecordCase {
    const char* name;
    const char* script;
    i32 stage;      // the stage the script plays
    i32 startKind;  // how it was started
};

void PrintTo(const RecordCase& c, std::ostream* os) { *os << c.name; }

// The time limit of each run of the long recorded runs.
constexpr std::chrono::minutes kLongRun{3};

// The outcome of a recorded run as its expected file keeps it: the state hash
// (and its parts) of every 1,000th frame and of the last, and the score of
// every stage the replay holds.
std::string RunOutcome(const std::vector<FrameHash>& hashes, const ReplayHeader& header) {
    std::ostringstream out;
    out << testing_support::CheckpointLines(hashes, 1000);
    for (i32 s = 0; s < kStageSlots; ++s) {
        if (header.played[static_cast<std::size_t>(s)] != 0)
            out << "stage " << s << " score " << header.stageScore[static_cast<std::size_t>(s)] << "\n";
    }
    return out.str();
}

const fs::path kProgramTests = fs::path(TOLVARIN_SOURCE_DIR) / "tests" / "game" / "program";

class RecordAndPlay : public ::testing::TestWithParam<RecordCase> {};

// Records the script's run and plays it back. Every frame of the playback
// must reach a state the recording reached, in the same order, ending where
// the recording ended. The recording has frames the playback has not (the
// title, the pause menu opened by the live key), so the playback's hashes are
// matched in order against the recording's. With an expected file, the
// recording's outcome (RunOutcome) must match it. `prepare` may put files
// into the program's folder before the recording; `maxSkipped` is how many of
// the recording's frames the playback may leave out (0: its frames match the
// recording's last ones one to one). The recording's header.
ReplayHeader RecordAndPlayBack(const std::string& script, i32 stage, i32 startKind, u32 minWords,
                               const fs::path& expected = {},
                               const std::function<void(const fs::path&)>& prepare = nullptr,
                               std::size_t maxSkipped = 200) {
    ProgramFolder folder(false);
    if (prepare) prepare(folder.dir());
    const std::size_t frames = folder.WriteScript("script.bin", script);
    const ProgramResult record = folder.Run(
        WithHashes({"--no-draw", "--frames", std::to_string(frames), "--input", "script.bin", "--record", "run.rpl"}),
        kLongRun);
    EXPECT_EQ(record.exitCode, 0) << record;
    EXPECT_TRUE(fs::exists(folder.dir() / "run.rpl")) << record;
    const std::vector<FrameHash> recorded = ParseFrameHashes(record.out);
    EXPECT_EQ(recorded.size(), frames);

    const ReplayHeader header = HeaderOf(folder.dir() / "run.rpl");
    EXPECT_EQ(header.StartKind, startKind);
    for (i32 s = 0; s < kStageSlots; ++s) {
        EXPECT_EQ(header.played[static_cast<std::size_t>(s)], s == stage ? 1 : 0) << "stage " << s;
    }
    const u32 words = header.inputCount[static_cast<std::size_t>(stage)];
    EXPECT_GT(words, minWords);
    if (!expected.empty()) {
        EXPECT_TRUE(testing_support::MatchesExpectedFile(expected, RunOutcome(recorded, header)));
    }
    if (recorded.empty() || words <= minWords) return header;

    const ProgramResult play = folder.Run(WithHashes({"--no-draw", "--play", "run.rpl"}), kLongRun);
    EXPECT_EQ(play.exitCode, 0) << play;
    EXPECT_EQ(play.err.find("input ends early"), std::string::npos) << play;
    const std::vector<FrameHash> played = ParseFrameHashes(play.out);
    // One frame per recorded input word, then the playback ends.
    EXPECT_EQ(played.size(), words);
    if (played.empty()) return header;

    const testing_support::PlaybackMatch match = testing_support::FollowRecording(recorded, played, false);
    EXPECT_TRUE(match.Result());
    if (!match.ok()) return header;
    // The playback ends in the recording's last state, and skipped no more of
    // the recording's play frames than its pause took.
    EXPECT_EQ(played.back().hash, recorded.back().hash);
    EXPECT_LE(recorded.size() - match.matched.front() - played.size(), maxSkipped);
    return header;
}

TEST_P(RecordAndPlay, PlaybackReachesTheRecordedStateEveryFrame) {
    const RecordCase& c = GetParam();
    RecordAndPlayBack(c.script, c.stage, c.startKind, 300);
}

INSTANTIATE_TEST_SUITE_P(Runs, RecordAndPlay,
                         ::testing::Values(RecordCase{"FullRun", kFullRun, 0, 0},
                                           RecordCase{"StageSelect", kStageSelect, 1, 2}),
                         [](const ::testing::TestParamInfo<RecordCase>& testInfo) { return testInfo.param.name; });

// The whole game on EASY from the title, without a continue, as far as it is
// built: each stage through its waves, its boss and the stage report into the
// next. The run ends either with the first frames of the last stage it enters
// (a stage that cannot be cleared yet), or, once the last stage is cleared,
// with the ending, the result and the title. Each stage's moves were found by
// playing it (tools/clearsearch extends the run by a stage) and are tied to
// the game's present behaviour: a change that alters any frame of a stage may
// make it lose instead.
std::string WholeGameScript() { return ReadText(kProgramTests / "whole_game_input.txt"); }

// The frames of the last stage the whole-game run ends with, at the most.
constexpr u32 kEnteringFrames = 100;

// The run is recorded and played back (over a hundred thousand frames each
// way once it goes to the ending); it checks state hashes only, so it runs
// without drawing, and only in the normal build. Its outcome is kept in whole_game_expected.txt, so that a
// change in how a stage plays fails here even though recording and playback
// agree with each other; the outcome's stage lines say how far the run gets,
// its ending line which ending the story flags chose.
TEST(WholeGameRun, ClearsEveryStageItEntersAndPlaysBack) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "too long for the sanitizer build; the normal build runs it";
#endif
    const std::string script = WholeGameScript();
    ASSERT_FALSE(script.empty());
    ProgramFolder folder(false);
    const std::size_t frames = folder.WriteScript("script.bin", script);
    const ProgramResult record = folder.Run(WithHashes({"--no-draw", "--frames", std::to_string(frames), "--input",
                                                        "script.bin", "--record", "run.rpl", "--status-every", "1"}),
                                            kLongRun);
    ASSERT_EQ(record.exitCode, 0) << record;  // a continue would leave no replay
    const std::vector<FrameHash> recorded = ParseFrameHashes(record.out);
    ASSERT_EQ(recorded.size(), frames);
    const std::vector<testing_support::RunStatus> status = testing_support::ParseStatusLines(record.out);
    ASSERT_EQ(status.size(), frames);
    const bool toTheEnding = std::any_of(status.begin(), status.end(),
                                         [](const testing_support::RunStatus& s) { return s.scene == kSceneEnding; });

    // Stage indexes 0 to the last it entered were played, every one cleared
    // (a full run goes on only after a clear) with lives to spare but the last
    // when the run ends a few frames into it.
    const ReplayHeader header = HeaderOf(folder.dir() / "run.rpl");
    EXPECT_EQ(header.StartKind, kStartFullRun);
    EXPECT_EQ(header.Difficulty, kDifficultyEasy);
    const i32 last = LastPlayedStage(header);
    ASSERT_GE(last, 2) << "the run no longer clears the first two stages";
    if (toTheEnding) {
        EXPECT_EQ(last, kPlayableStages - 1);
    }
    const i32 cleared = toTheEnding ? last + 1 : last;  // the stages cleared
    for (i32 s = 0; s < kStageSlots; ++s) {
        const auto i = static_cast<std::size_t>(s);
        SCOPED_TRACE("stage " + std::to_string(s));
        EXPECT_EQ(header.played[i], s <= last ? 1 : 0);
        if (s > last) continue;
        EXPECT_GE(header.livesAtStart[i], 1u);
        if (s < cleared) {
            EXPECT_GT(header.inputCount[i], 5000u);
            EXPECT_GT(header.stageScore[i], 0u);
        } else {
            EXPECT_GT(header.inputCount[i], 0u);
            EXPECT_LE(header.inputCount[i], kEnteringFrames);
        }
    }
    // The runner's status lines tell the same: the stages in order, never a
    // life short of the game's end; the last frame in play in the last stage,
    // or after the last stage's report the ending, the result and the title.
    i32 stage = 0;
    std::vector<int> afterTheLastStage;
    std::size_t lastStageFrame = 0;  // the recording's last frame of a stage or its report
    for (std::size_t f = 0; f < status.size(); ++f) {
        const testing_support::RunStatus& s = status[f];
        if (s.scene == kScenePlay || s.scene == kSceneStageReport) lastStageFrame = f;
        if (stage == last && s.scene != kScenePlay && s.scene != kSceneStageReport &&
            (afterTheLastStage.empty() || afterTheLastStage.back() != s.scene)) {
            afterTheLastStage.push_back(s.scene);
        }
        if (s.scene != kScenePlay) continue;
        ASSERT_TRUE(s.stage == stage || s.stage == stage + 1) << "frame " << s.frame << ": stage " << s.stage;
        stage = s.stage;
        ASSERT_GT(s.lives, 0) << "frame " << s.frame;
    }
    if (toTheEnding) {
        EXPECT_EQ(afterTheLastStage, (std::vector<int>{kSceneEnding, kSceneResult, kSceneTitle}));
    } else {
        EXPECT_TRUE(afterTheLastStage.empty());
        EXPECT_EQ(status.back().scene, kScenePlay);
        EXPECT_EQ(status.back().stage, last);
        EXPECT_EQ(static_cast<u32>(status.back().stageFrame), header.inputCount[static_cast<std::size_t>(last)]);
    }

    // The progress file records each stage cleared on EASY (the stage select
    // opens it) and no other, and after the last stage the one ending shown.
    const std::vector<u8> progressBytes = ReadBytes(folder.dir() / "system" / "system.dat");
    const SystemData progress = DecodeSystemData(progressBytes.data(), progressBytes.size());
    const SystemData fresh = DefaultSystemData();
    for (i32 s = 0; s < kProgressStages; ++s) {
        EXPECT_EQ(progress.StageProgress[kDifficultyEasy][s], s < cleared ? 1 : fresh.StageProgress[kDifficultyEasy][s])
            << "stage " << s;
    }
    std::string outcome = RunOutcome(recorded, header);
    EXPECT_EQ(progress.endingsShown, toTheEnding ? 1u : 0u);
    EXPECT_EQ(std::count(progress.endingSeen.begin(), progress.endingSeen.end(), 1), toTheEnding ? 1 : 0);
    for (std::size_t e = 0; e < progress.endingSeen.size(); ++e) {
        if (progress.endingSeen[e] != 0) outcome += "ending " + std::to_string(e) + "\n";
    }
    EXPECT_TRUE(testing_support::MatchesExpectedFile(kProgramTests / "whole_game_expected.txt", outcome));

    const ProgramResult play = folder.Run(WithHashes({"--no-draw", "--play", "run.rpl"}), kLongRun);
    ASSERT_EQ(play.exitCode, 0) << play;
    EXPECT_EQ(play.err.find("input ends early"), std::string::npos) << play;
    const std::vector<FrameHash> played = ParseFrameHashes(play.out);
    u32 stageFrames = 0;
    for (u32 n : header.inputCount) stageFrames += n;
    ASSERT_GE(played.size(), static_cast<std::size_t>(stageFrames));

    // Every playback frame is a state of the recording, in order. The stage
    // reports between the stages hold the play state still, and the playback
    // stays on them longer than the recording (which left them with a key): a
    // playback frame may repeat the state it matched last.
    const testing_support::PlaybackMatch match = testing_support::FollowRecording(recorded, played, true);
    ASSERT_TRUE(match.Result());
    // The only held states are the reports': the stages' frames match one to
    // one. The playback ends where the recording's stages end (a playback
    // leaves the last stage's report for the replay browser, not the ending).
    EXPECT_LE(match.holds, played.size() - stageFrames);
    EXPECT_EQ(played.back().hash, recorded[lastStageFrame].hash);
}

// The last stage from the title's stage select on EASY, NORMAL and HARD,
// through the gate boss, the route choice and the last waves to the castle's
// arrival (frame 3000 of its last wave phase), with a progress file that
// unlocks every stage. The scripts (stage5_<difficulty>_input.txt) were found
// by playing the stage and are tied to the game's present behaviour, like the
// whole-game run's; each run's outcome is kept in stage5_<difficulty>_expected.txt.
struct LastStageCase {
    const char* name;
    i32 difficulty;
};

void PrintTo(const LastStageCase& c, std::ostream* os) { *os << c.name; }

class LastStageRun : public ::testing::TestWithParam<LastStageCase> {};

// A progress file with every stage cleared, in the program's folder.
void UnlockEveryStage(const fs::path& dir) {
    SystemData progress = DefaultSystemData();
    for (auto& row : progress.StageProgress)
        for (u8& stage : row) stage = 1;
    fs::create_directories(dir / "system");
    WriteBytes(dir / "system" / "system.dat", EncodeSystemData(progress));
}

// The playback has no pause to leave out: it matches the recording's last
// frames one to one, with the same state hash every frame.
TEST_P(LastStageRun, RecordedToTheCastleAndPlayedBackWithTheSameStateEveryFrame) {
    const LastStageCase& c = GetParam();
    const std::string script = ReadText(kProgramTests / ("stage5_" + std::string(c.name) + "_input.txt"));
    ASSERT_FALSE(script.empty());
    const ReplayHeader header =
        RecordAndPlayBack(script, 4, kStartStageSelect, 12000,
                          kProgramTests / ("stage5_" + std::string(c.name) + "_expected.txt"), UnlockEveryStage, 0);
    EXPECT_EQ(header.Difficulty, c.difficulty);
    EXPECT_EQ(header.livesAtStart[4], 3u);
}

INSTANTIATE_TEST_SUITE_P(Difficulties, LastStageRun,
                         ::testing::Values(LastStageCase{"easy", 0}, LastStageCase{"normal", 1},
                                           LastStageCase{"hard", 2}),
                         [](const ::testing::TestParamInfo<LastStageCase>& testInfo) { return testInfo.param.name; });

// Drawing never draws random numbers or changes the game's state: the
// whole-game run's first stage, its report and the start of the second stage
// reach the same state every frame with and without drawing. (The drawn run
// takes most of this test's time, so the sanitizer build leaves it to the
// normal build.)
TEST(NoDrawOption, TheFirstStageHasTheSameStateEveryFrameWithAndWithoutDrawing) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "too long for the sanitizer build; the normal build runs it";
#endif
    ProgramFolder folder(false);
    folder.WriteScript("script.bin", WholeGameScript());
    constexpr std::size_t frames = 15800;  // the second stage starts at frame 15,258
    const std::vector<std::string> run = WithHashes({"--frames", std::to_string(frames), "--input", "script.bin"});
    const ProgramResult drawn = folder.Run(run, kLongRun);
    ASSERT_EQ(drawn.exitCode, 0) << drawn;
    std::vector<std::string> withoutDrawing = {"--no-draw"};
    withoutDrawing.insert(withoutDrawing.end(), run.begin(), run.end());
    const ProgramResult undrawn = folder.Run(withoutDrawing, kLongRun);
    ASSERT_EQ(undrawn.exitCode, 0) << undrawn;
    const std::vector<FrameHash> a = ParseFrameHashes(drawn.out), b = ParseFrameHashes(undrawn.out);
    ASSERT_EQ(a.size(), frames);
    ASSERT_EQ(b.size(), frames);
    for (std::size_t i = 0; i < frames; ++i) {
        ASSERT_EQ(a[i].hash, b[i].hash) << "without drawing, " << testing_support::FrameMismatch(b[i], a[i]);
    }
}

// Drawing on several threads gives the picture of drawing on one, and never
// touches the game's state: the whole-game run, drawn on one thread and on
// four, in windows of every stage (each stage's start and first 300 frames,
// the stretch around its heaviest frames in play, its report's start; the
// rest of the run undrawn, as with --no-draw) has the same picture hash and
// the same state hash every frame.
TEST(DrawThreadsOption, EveryStageDrawsTheSamePicturesOnOneAndOnFourThreads) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "too long for the sanitizer build; the normal build runs it";
#endif
    ProgramFolder folder(false);
    folder.WriteScript("script.bin", WholeGameScript());
    // Frames of the script (counted from 1) from just before a stage's first
    // frame, around its heaviest drawing in play (effect bursts), from just
    // before its report's first frame.
    struct Window {
        i32 stage;
        i64 first, last;
    };
    const std::vector<Window> windows = {
        // clang-format off
        {0, 526, 826},     {0, 11760, 11850}, {0, 15056, 15086},  {1, 15256, 15556}, {1, 36730, 36820},
        {1, 41275, 41305}, {2, 41491, 41791}, {2, 53750, 53840},  {2, 57759, 57789}, {3, 57975, 58275},
        {3, 70750, 70840}, {3, 78281, 78311}, {4, 78497, 78797},  {4, 99970, 100060}, {4, 109064, 109094},
    };
    // The run ends with the last window.
    const std::size_t frames = static_cast<std::size_t>(windows.back().last);
    std::string ranges;
    for (const Window& w : windows) ranges += (ranges.empty() ? "" : ",") + std::to_string(w.first) + "-" + std::to_string(w.last);
    auto run = [&](std::vector<std::string> more) {
        std::vector<std::string> args = {"--frames",         std::to_string(frames), "--input", "script.bin",
                                         "--draw-frames",    ranges,                 "--picture-hash-every", "1"};
        // clang-format on
        args.insert(args.end(), more.begin(), more.end());
        return folder.Run(WithHashes(args), std::chrono::minutes(6));
    };
    const ProgramResult one = run({"--draw-threads", "1", "--status-every", "1"});
    ASSERT_EQ(one.exitCode, 0) << one;
    const ProgramResult four = run({"--draw-threads", "4"});
    ASSERT_EQ(four.exitCode, 0) << four;

    // Every window ends in its stage's play or report (the script still
    // plays as it did).
    const std::vector<testing_support::RunStatus> status = testing_support::ParseStatusLines(one.out);
    ASSERT_EQ(status.size(), frames);
    for (const Window& w : windows) {
        const testing_support::RunStatus& s = status[static_cast<std::size_t>(w.last - 1)];
        EXPECT_TRUE(s.scene == kScenePlay || s.scene == kSceneStageReport)
            << "frame " << w.last << ": scene " << s.scene;
        EXPECT_EQ(s.stage, w.stage) << "frame " << w.last;
    }

    const std::vector<FrameHash> a = ParseFrameHashes(one.out), b = ParseFrameHashes(four.out);
    ASSERT_EQ(a.size(), frames);
    ASSERT_EQ(b.size(), frames);
    for (std::size_t i = 0; i < frames; ++i) {
        ASSERT_EQ(a[i].hash, b[i].hash) << "drawn on four threads, " << testing_support::FrameMismatch(b[i], a[i]);
    }
    // "picture <n> <hash>" for every drawn frame, the same on both.
    auto pictures = [](const std::string& out) {
        std::vector<std::string> lines;
        std::istringstream in(out);
        std::string line;
        while (std::getline(in, line)) {
            if (line.rfind("picture ", 0) == 0) lines.push_back(line);
        }
        return lines;
    };
    const std::vector<std::string> pa = pictures(one.out), pb = pictures(four.out);
    std::size_t drawn = 0;
    for (const Window& w : windows) drawn += static_cast<std::size_t>(w.last - w.first + 1);
    ASSERT_EQ(pa.size(), drawn);
    ASSERT_EQ(pb.size(), drawn);
    for (std::size_t i = 0; i < drawn; ++i) ASSERT_EQ(pa[i], pb[i]) << "one thread, then four";
}

// A HARD run of the second stage from the stage select, its moves found by
// an input search (tests/game/program/hard_stage2_input.txt says what it
// does): it flies every wave and road of the stage to the boss's arrival, and
// its replay reaches the recorded state every frame. Its outcome is kept in
// hard_stage2_expected.txt.
TEST(HardRun, FliesTheSecondStageToItsBossAndPlaysBack) {
    const std::string script = ReadText(kProgramTests / "hard_stage2_input.txt");
    ASSERT_FALSE(script.empty());
    const ReplayHeader header =
        RecordAndPlayBack(script, 1, kStartStageSelect, 15600, kProgramTests / "hard_stage2_expected.txt");
    EXPECT_EQ(header.Difficulty, kDifficultyHard);
    EXPECT_EQ(header.livesAtStart[1], 3u);
}

// --status-every N says where the run is every N frames and at its end: the
// logo, the title, then the first stage in play, its frame held while the
// pause menu is open and ending at the count of input words the replay keeps
// for it; the player's lives and points as they go.
TEST(StatusOption, SaysWhereTheRunIsEveryNFrames) {
    ProgramFolder folder(false);
    const std::size_t frames = folder.WriteScript("script.bin", kFullRun);
    const ProgramResult r = folder.Run({"--no-draw", "--frames", std::to_string(frames), "--input", "script.bin",
                                        "--record", "run.rpl", "--status-every", "25"});
    ASSERT_EQ(r.exitCode, 0) << r;
    const std::vector<testing_support::RunStatus> lines = testing_support::ParseStatusLines(r.out);
    ASSERT_EQ(lines.size(), (frames + 24) / 25);
    std::vector<int> scenes;
    bool held = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const testing_support::RunStatus& s = lines[i];
        EXPECT_EQ(s.frame, static_cast<long long>(std::min((i + 1) * 25, frames)));
        if (scenes.empty() || scenes.back() != s.scene) scenes.push_back(s.scene);
        if (s.scene != kScenePlay) continue;
        EXPECT_EQ(s.stage, 0);
        EXPECT_GE(s.lives, 1);
        EXPECT_LE(s.lives, 3);
        if (i == 0 || lines[i - 1].scene != kScenePlay) continue;
        EXPECT_GE(s.stageFrame, lines[i - 1].stageFrame);
        EXPECT_LE(s.stageFrame, lines[i - 1].stageFrame + 25);
        if (s.stageFrame < lines[i - 1].stageFrame + 25) held = true;
        EXPECT_GE(s.points, lines[i - 1].points);
    }
    EXPECT_EQ(scenes, (std::vector<int>{kSceneLogo, kSceneTitle, kScenePlay}));
    EXPECT_TRUE(held) << "the pause did not hold the stage's frame";
    EXPECT_EQ(static_cast<u32>(lines.back().stageFrame), HeaderOf(folder.dir() / "run.rpl").inputCount[0]);
}

TEST(RecordOption, RunWithoutPlayWritesNothingAndFails) {
    ProgramFolder folder(false);
    const ProgramResult r = folder.Run({"--frames", "30", "--record", "run.rpl"});
    EXPECT_NE(r.exitCode, 0);
    EXPECT_NE(r.err.find("run.rpl"), std::string::npos) << r;
    EXPECT_FALSE(fs::exists(folder.dir() / "run.rpl"));
}

TEST(RecordOption, CannotBeCombinedWithPlay) {
    ProgramFolder folder(false);
    const ProgramResult r = folder.Run({"--frames", "1", "--record", "a.rpl", "--play", "b.rpl"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("--record and --play"), std::string::npos) << r;
}

// A header that promises one stage with 100 words.
std::vector<u8> OneStageFile(u32 version, u32 words) {
    ReplayHeader h;
    h.version = static_cast<i32>(version);
    h.played[2] = 1;
    h.livesAtStart[2] = 3;
    h.inputCount[2] = words;
    std::vector<u8> bytes = EncodeReplayHeader(h);
    for (u32 i = 0; i < words; ++i) {
        bytes.push_back(0x10);
        bytes.push_back(0);
    }
    return bytes;
}

struct BadFile {
    const char* name;
    std::vector<u8> bytes;
    bool exists;
};

// A one-stage file with one header value changed.
std::vector<u8> CraftedFile(void (*craft)(ReplayHeader&)) {
    const std::vector<u8> bytes = OneStageFile(kReplayVersion, 100);
    ReplayHeader h;
    EXPECT_TRUE(DecodeReplayHeader(bytes.data(), bytes.size(), "crafted", h));
    craft(h);
    std::vector<u8> crafted = EncodeReplayHeader(h);
    crafted.insert(crafted.end(), bytes.begin() + kReplayHeaderSize, bytes.end());
    return crafted;
}

TEST(PlayOption, RefusesFilesThatCannotBePlayed) {
    std::vector<u8> shortHeader = OneStageFile(kReplayVersion, 0);
    shortHeader.resize(kReplayHeaderSize - 1);
    ReplayHeader nothingPlayed;
    const std::vector<BadFile> cases = {
        // Counters the game never makes: they would overflow the player's.
        {"lives.rpl", CraftedFile([](ReplayHeader& h) { h.livesAtStart[2] = 0x7FFFFFFF; }), true},
        {"extends.rpl", CraftedFile([](ReplayHeader& h) { h.extendsAtStart[2] = 0xFFFFFFFF; }), true},
        {"score.rpl", CraftedFile([](ReplayHeader& h) { h.stageScore[1] = 0x80000000u; }), true},
        {"missing.rpl", {}, false},
        {"empty.rpl", {}, true},
        {"short.rpl", shortHeader, true},
        {"version.rpl", OneStageFile(7090, 100), true},
        {"garbage.rpl", std::vector<u8>(2000, 0xA5), true},
        {"unplayed.rpl", EncodeReplayHeader(nothingPlayed), true},
    };
    ProgramFolder folder(false);
    for (const BadFile& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.exists) WriteBytes(folder.dir() / c.name, c.bytes);
        const ProgramResult r = folder.Run({"--frames", "50", "--hash-every", "1", "--play", c.name});
        EXPECT_NE(r.exitCode, 0);
        EXPECT_NE(r.err.find(c.name), std::string::npos) << r;
        EXPECT_EQ(r.out, "");
    }
}

// The highest counters and scores the game makes play without a fault (the
// sanitizer build checks the arithmetic): most lives, extra lives and coins
// toward the next one, and the most the stages before can score.
TEST(PlayOption, TheHighestValuesTheGameMakesPlay) {
    ProgramFolder folder(false);
    WriteBytes(folder.dir() / "highest.rpl", CraftedFile([](ReplayHeader& h) {
                   h.livesAtStart[2] = kMaxRecordedLives;
                   h.extendsAtStart[2] = kMaxRecordedExtends;
                   h.extendPointsAtStart[2] = kMaxRecordedExtendPoints;
                   h.seed[2] = kMaxStageSeed;
                   h.stageScore[0] = h.stageScore[1] = kMaxStageScore;
                   h.score = kMaxRunScore;
               }));
    const ProgramResult r = folder.Run({"--play", "highest.rpl", "--hash-every", "1"});
    EXPECT_EQ(r.exitCode, 0) << r;
    EXPECT_EQ(ParseFrameHashes(r.out).size(), 100u);
}

// Streams that end before the header's counts play as far as they go; the
// note says so.
TEST(PlayOption, PlaysATruncatedStreamAsFarAsItGoes) {
    ProgramFolder folder(false);
    std::vector<u8> bytes = OneStageFile(kReplayVersion, 100);
    bytes.resize(kReplayHeaderSize + 2 * 40 + 1);
    WriteBytes(folder.dir() / "cut.rpl", bytes);
    const ProgramResult r = folder.Run({"--play", "cut.rpl", "--hash-every", "1"});
    EXPECT_EQ(r.exitCode, 0) << r;
    EXPECT_NE(r.err.find("input ends early"), std::string::npos) << r;
    EXPECT_EQ(ParseFrameHashes(r.out).size(), 40u);
}

// --- The demonstration ---------------------------------------------------------

TEST(DemoReplay, HoldsASecondStageRunLongerThanTheDemonstration) {
    const fs::path demo = fs::path(TOLVARIN_BUILD_DIR) / kDemoReplayFile;
    ASSERT_TRUE(fs::exists(demo));
    const ReplayHeader header = HeaderOf(demo);
    EXPECT_NE(header.played[kDemoStageIndex], 0);
    EXPECT_GE(header.livesAtStart[kDemoStageIndex], 1u);
    EXPECT_GT(header.inputCount[kDemoStageIndex], 4000u);

    PlayRecord record;
    ReplayPlaybackStart start;
    const FileStatus status = LoadDemoReplay(record, start, TOLVARIN_BUILD_DIR);
    ASSERT_TRUE(status) << status.message;
    EXPECT_EQ(status.message, "");  // every stream complete
    EXPECT_EQ(start.GameMode, kGameModeDemo);
    EXPECT_EQ(start.StageIndex, kDemoStageIndex);
    EXPECT_EQ(record.input[kDemoStageIndex].size(), header.inputCount[kDemoStageIndex]);
}

// Left alone at the title (the logo skipped with Z), the game starts the
// demonstration after 1,000 idle frames: the play state then changes every
// frame. Without "demo.rpl" the title goes back to the logo and the play state
// stays still.
TEST(DemoReplay, TheIdleTitleRunsTheDemonstration) {
    constexpr int kFrames = 1700;
    for (bool withDemo : {true, false}) {
        SCOPED_TRACE(withDemo ? "with demo.rpl" : "without demo.rpl");
        ProgramFolder folder(withDemo);
        folder.WriteScript("skip.bin", "150 -\n1 Z\n");
        const ProgramResult r =
            folder.Run({"--no-draw", "--frames", std::to_string(kFrames), "--input", "skip.bin", "--hash-every", "1"});
        ASSERT_EQ(r.exitCode, 0) << r;
        const std::vector<FrameHash> hashes = ParseFrameHashes(r.out);
        ASSERT_EQ(hashes.size(), static_cast<std::size_t>(kFrames));
        int changes = 0;
        for (std::size_t i = hashes.size() - 300; i < hashes.size(); ++i) {
            if (hashes[i].hash != hashes[i - 1].hash) ++changes;
        }
        if (withDemo) {
            EXPECT_EQ(changes, 300);
        } else {
            EXPECT_EQ(changes, 0);
        }
    }
}

// --- Starting -----------------------------------------------------------------

// A missing or damaged image archive stops the start before anything runs: a
// message naming the archive (and the entry at fault), a failing exit status,
// and no files written. An archive cut inside an entry's header is damaged
// too, not an archive that ends there: every picture after the cut would be
// missing from the game.
TEST(StartChecks, MissingOrDamagedImageArchiveStopsTheStart) {
    struct Case {
        const char* what;
        const char* archive;
        std::function<void(std::vector<u8>&)> damage;  // none: the file is removed
        const char* detail = "";
    };
    const auto cutInSecondHeader = [](std::vector<u8>& b) {
        const u32 firstStored = b[36] | (b[37] << 8) | (b[38] << 16) | (static_cast<u32>(b[39]) << 24);
        b.resize(8 + 32 + firstStored + 12);
    };
    const Case cases[] = {
        {"missing", "vsk3.dat", nullptr},
        {"empty", "vsk1.dat", [](std::vector<u8>& b) { b.clear(); }},
        {"not an archive", "vsk7.dat", [](std::vector<u8>& b) { b.assign(4096, 0x5A); }},
        {"cut short", "vsk2.dat", [](std::vector<u8>& b) { b.resize(b.size() / 2); }, "data runs past the end"},
        {"cut in the second entry's header", "vsk1.dat", cutInSecondHeader,
         "entry 2, the one after \"black\": its header is cut short (12 of 32 bytes)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ProgramFolder folder(false);
        const fs::path archive = folder.dir() / c.archive;
        // The folder's archives are links to the build's: replace, never edit.
        std::vector<u8> bytes = ReadBytes(archive);
        fs::remove(archive);
        if (c.damage) {
            c.damage(bytes);
            WriteBytes(archive, bytes);
        }
        const ProgramResult r = folder.Run({"--frames", "30", "--hash-every", "1"});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_NE(r.err.find(archive.string()), std::string::npos) << r;
        EXPECT_NE(r.err.find(c.damage ? "is damaged" : "is missing"), std::string::npos) << r;
        EXPECT_NE(r.err.find(c.detail), std::string::npos) << r;
        EXPECT_EQ(r.out, "");
        EXPECT_FALSE(fs::exists(folder.dir() / "config.dat"));
    }
}

TEST(StartChecks, HelpListsTheOptions) {
    ProgramFolder folder(false);
    const ProgramResult r = folder.Run({"--help"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, "");
    for (const char* option : {"--headless", "--frames", "--input", "--record", "--play", "--hash-every",
                               "--hash-parts", "--status-every", "--screenshot-at", "--screenshot-dir", "--no-draw",
                               "--frame-times", "--draw-frames", "--draw-threads", "--picture-hash-every"}) {
        EXPECT_NE(r.out.find(option), std::string::npos) << option;
    }
    EXPECT_FALSE(fs::exists(folder.dir() / "config.dat"));
}

// --hash-parts puts each frame's parts on a line after its hash line, the
// last frame's too: the six parts by name, each a 64-bit hash.
TEST(HashParts, FollowEachHashLineAndNameTheSixParts) {
    ProgramFolder folder(false);
    const ProgramResult r = folder.Run({"--no-draw", "--frames", "25", "--hash-every", "10", "--hash-parts", "10"});
    ASSERT_EQ(r.exitCode, 0) << r;
    const std::vector<FrameHash> hashes = ParseFrameHashes(r.out);
    ASSERT_EQ(hashes.size(), 3u) << r;
    EXPECT_EQ(hashes.back().frame, 25);
    for (const FrameHash& h : hashes) {
        std::istringstream fields(h.parts);
        std::vector<std::string> names;
        std::string name, hash;
        while (fields >> name >> hash) {
            names.push_back(name);
            EXPECT_EQ(hash.find_first_not_of("0123456789abcdef"), std::string::npos) << hash;
            EXPECT_EQ(hash.size(), 16u);
        }
        EXPECT_EQ(names, (std::vector<std::string>{"player", "enemies", "shots", "effects", "generators", "script"}))
            << "frame " << h.frame;
    }
}

// A number the options cannot hold is refused, never clamped into a run that
// does not end.
TEST(StartChecks, OutOfRangeNumbersAreRefused) {
    ProgramFolder folder(false);
    const std::vector<std::vector<std::string>> cases = {{"--frames", "99999999999999999999"},
                                                         {"--frames", "2147483648"},
                                                         {"--hash-every", "1e3"},
                                                         {"--screenshot-at", "10,-5"}};
    for (const std::vector<std::string>& args : cases) {
        SCOPED_TRACE(args[0] + " " + args[1]);
        const ProgramResult r = folder.Run(args);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_NE(r.err.find(args[0]), std::string::npos) << r;
        EXPECT_NE(r.err.find("usage:"), std::string::npos) << r;
    }
}

}  // namespace
