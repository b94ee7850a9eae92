// The built program, headless, driven by scripted input from the title's
// stage select into the fourth stage (stage index 3) on EASY: the run is
// recorded, and its replay plays back through the same states every frame.
// The input script sits beside this test with the run's expected outcome
// (stage4_easy_clear_expected.txt); its play was found by tools/clearsearch
// and is tied to the game's present behaviour. A second run records the
// boss fought twice in one program (stage4_retry_fight_input.txt).
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "game/shell/game_main.h"
#include "game/shell/play_state.h"
#include "game/shell/replay.h"
#include "game/shell/save_files.h"
#include "game/shell/story_flags.h"
#include "tests/support/expected_file.h"
#include "tests/support/run_outcome.h"
#include "tests/support/program.h"
#include "tools/sampledata/input_script.h"

namespace {

namespace fs = std::filesystem;

using testing_support::FrameHash;
using testing_support::ParseFrameHashes;
using testing_support::ProgramResult;

const fs::path kHere = TOLVARIN_TEST_DIR;

std::string ReadText(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteBytes(const fs::path& p, const std::vector<u8>& bytes) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// One input script beside this test, or its first `frames` words (0: all).
struct ScriptPart {
    std::string script;
    std::size_t frames = 0;
};

// A program folder whose progress file opens every stage of the stage
// select, with the input scripts beside this test, one after the other, as
// the program's input words.
class StageSelectFolder : public testing_support::ProgramFolder {
public:
    explicit StageSelectFolder(const std::vector<ScriptPart>& parts) {
        SystemData progress = DefaultSystemData();
        for (auto& row : progress.StageProgress) {
            for (u8& s : row) s = 1;
        }
        fs::create_directories(dir() / "system");
        WriteBytes(dir() / "system" / "system.dat", EncodeSystemData(progress));
        for (const ScriptPart& part : parts) {
            std::vector<u16> words;
            std::string error;
            EXPECT_TRUE(ParseInputScript(ReadText(kHere / part.script), words, error)) << part.script << ": " << error;
            EXPECT_LE(part.frames, words.size()) << part.script;
            if (part.frames > 0 && part.frames < words.size()) words.resize(part.frames);
            words_.insert(words_.end(), words.begin(), words.end());
        }
        WriteBytes(dir() / "input.bin", InputScriptBytes(words_));
    }
    std::size_t frames() const { return words_.size(); }

    ReplayHeader Header(const std::string& file) const {
        const std::string text = ReadText(dir() / file);
        ReplayHeader header;
        EXPECT_TRUE(DecodeReplayHeader(reinterpret_cast<const u8*>(text.data()), text.size(), file, header));
        return header;
    }

private:
    std::vector<u16> words_;
};

// The outcome kept beside the run: the state hash of every 1,000th frame of
// the recording and of its last, the story flags of the stage and its score
// and rank.
std::string RunOutcome(const std::vector<FrameHash>& hashes, const ReplayHeader& header) {
    std::ostringstream out;
    out << testing_support::CheckpointLines(hashes, 1000);
    out << "story flags";
    for (i32 f = 70; f <= 75; ++f) out << " " << static_cast<int>(header.storyFlags[static_cast<std::size_t>(f)]);
    out << "\nstage 3 score " << header.stageScore[3] << " rank " << header.stageRank[3] << "\n";
    return out.str();
}

// Records the script's run, checks its outcome, and plays the replay back:
// every playback frame is a state of the recording, in order, ending in the
// recording's last state. The header of the recording.
ReplayHeader RecordAndPlayBack(const std::string& script, const std::string& expected) {
    StageSelectFolder folder({{script}});
    std::vector<std::string> args = {"--no-draw", "--frames", std::to_string(folder.frames()), "--input", "input.bin",
                                     "--record",  "run.rpl"};
    args.insert(args.end(), testing_support::kHashEveryFrame.begin(), testing_support::kHashEveryFrame.end());
    const ProgramResult record = folder.Run(args, std::chrono::minutes(3));
    EXPECT_EQ(record.exitCode, 0) << record;
    const std::vector<FrameHash> recorded = ParseFrameHashes(record.out);
    EXPECT_EQ(recorded.size(), folder.frames()) << record;
    const ReplayHeader header = folder.Header("run.rpl");
    EXPECT_EQ(header.StartKind, kStartStageSelect);
    EXPECT_EQ(header.Difficulty, kDifficultyEasy);
    for (i32 s = 0; s < kStageSlots; ++s) {
        EXPECT_EQ(header.played[static_cast<std::size_t>(s)], s == 3 ? 1 : 0) << s;
    }
    EXPECT_TRUE(testing_support::MatchesExpectedFile(kHere / expected, RunOutcome(recorded, header)));
#if defined(__SANITIZE_ADDRESS__)
    // The sanitizer build checks the run itself; the playback is the normal build's.
    return header;
#endif
    args = {"--no-draw", "--play", "run.rpl"};
    args.insert(args.end(), testing_support::kHashEveryFrame.begin(), testing_support::kHashEveryFrame.end());
    const ProgramResult play = folder.Run(args, std::chrono::minutes(3));
    EXPECT_EQ(play.exitCode, 0) << play;
    EXPECT_EQ(play.err.find("input ends early"), std::string::npos) << play;
    const std::vector<FrameHash> played = ParseFrameHashes(play.out);
    EXPECT_GE(played.size(), static_cast<std::size_t>(header.inputCount[3]));
    // The stage report holds the play state still, and the playback stays on
    // it longer than the recording: a playback frame may repeat the state it
    // matched last.
    const testing_support::PlaybackMatch match = testing_support::FollowRecording(recorded, played, true);
    EXPECT_TRUE(match.Result());
    if (!match.ok()) return header;
    if (!played.empty() && !recorded.empty()) {
        EXPECT_EQ(played.back().hash, recorded.back().hash);
    }
    return header;
}

// The whole stage on EASY with no hit taken: the opening, both timed waves,
// the mid-boss's pass and first two fights (its centre shot down in the
// second: story flag 71, the risers' road), and the boss through its four
// phases to its explosion; the stage is cleared and its report shown.
TEST(Stage4Runner, AnEasyRunThatClearsTheStageIsRecordedAndPlaysBack) {
    const ReplayHeader header = RecordAndPlayBack("stage4_easy_clear_input.txt", "stage4_easy_clear_expected.txt");
    EXPECT_GT(header.inputCount[3], 21000u);
    EXPECT_EQ(header.livesAtStart[3], 3u);
    EXPECT_EQ(header.storyFlags[kStoryFourthSecondFightCentreDowned], 1);
    EXPECT_EQ(header.storyFlags[kStoryFourthMidBossOutlasted], 0);
    EXPECT_EQ(header.storyFlags[kStoryFourthBossSankAway], 0);
    // The stage ended cleared: its points and its rank are in the record.
    EXPECT_GT(header.stageScore[3], 0u);
    EXPECT_GE(header.stageRank[3], 1u);
}

// The first frames of the clear run, the stage to its boss: the side shells
// (action 549) have taken their aim from the player (at frame 14,731).
constexpr std::size_t kFirstFightFrames = 14789;

// Two fights of the boss in one program: the clear run up to the side shells'
// aim, the pause menu's retry, and the stage again to the boss, past the side
// shells' first mark. The replay the program records holds the second run;
// played in a new program it goes through the recording's last states, one
// playback frame to one recorded frame, with the same state hash every frame:
// nothing the first fight left (the side shells' aim, the last talk, freed
// parts, the stage generator's last bound, the stage's rank) reaches the
// second.
TEST(Stage4Runner, ASecondFightInOneProgramPlaysBackTheSameInANewProgram) {
    StageSelectFolder folder({{"stage4_easy_clear_input.txt", kFirstFightFrames}, {"stage4_retry_fight_input.txt"}});
    const ProgramResult record =
        folder.Run({"--no-draw", "--frames", std::to_string(folder.frames()), "--input", "input.bin", "--record",
                    "run.rpl", "--hash-every", "1", "--status-every", std::to_string(folder.frames() + 1)},
                   std::chrono::minutes(3));
    ASSERT_EQ(record.exitCode, 0) << record;
    const std::vector<FrameHash> recorded = ParseFrameHashes(record.out);
    ASSERT_EQ(recorded.size(), folder.frames()) << record;
    // The second run ends at the boss (phase 10) with every life.
    const std::vector<testing_support::RunStatus> end = testing_support::ParseStatusLines(record.out);
    ASSERT_EQ(end.size(), 1u) << record;
    EXPECT_EQ(end[0].scene, kScenePlay);
    EXPECT_EQ(end[0].stage, 3);
    EXPECT_EQ(end[0].phase, 10);
    EXPECT_EQ(end[0].lives, 3);
    const ReplayHeader header = folder.Header("run.rpl");
    EXPECT_EQ(header.StartKind, kStartStageSelect);
    for (i32 s = 0; s < kStageSlots; ++s) {
        EXPECT_EQ(header.played[static_cast<std::size_t>(s)], s == 3 ? 1 : 0) << s;
    }
    const std::size_t words = header.inputCount[3];
    ASSERT_GT(words, 14000u);
    ASSERT_LT(words, recorded.size() - kFirstFightFrames);
#if defined(__SANITIZE_ADDRESS__)
    // The sanitizer build checks the run itself; the playback is the normal build's.
    return;
#endif
    const ProgramResult play =
        folder.Run({"--no-draw", "--play", "run.rpl", "--hash-every", "1"}, std::chrono::minutes(3));
    ASSERT_EQ(play.exitCode, 0) << play;
    const std::vector<FrameHash> played = ParseFrameHashes(play.out);
    ASSERT_EQ(played.size(), words);
    const std::size_t first = recorded.size() - played.size();
    for (std::size_t p = 0; p < played.size(); ++p) {
        if (played[p].hash != recorded[first + p].hash) {
            ADD_FAILURE() << "playback frame " << played[p].frame << " differs from recorded frame "
                          << recorded[first + p].frame;
            return;
        }
    }
}

}  // namespace
