// The third stage through the game's own menus: the stage select starts it
// on route B, and the aircraft high in the field at the stage's frame 150
// takes it to route A. The built program records both runs headless and
// plays them back through the same states; each run's input script and
// expected outcome are kept in stage3_runs/.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "game/enemy/enemy_behaviour.h"
#include "game/shell/game_main.h"
#include "game/shell/input.h"
#include "game/shell/play_state.h"
#include "game/shell/replay.h"
#include "game/shell/save_files.h"
#include "game/shell/story_flags.h"
#include "tests/game/play/runner_support.h"
#include "tests/support/expected_file.h"
#include "tests/support/program.h"
#include "tests/support/run_outcome.h"
#include "game/play/records.h"
#include "tools/sampledata/input_script.h"

namespace {

namespace fs = std::filesystem;
using namespace runner_test;
using testing_support::FrameHash;
using testing_support::ProgramResult;

const fs::path kRuns = fs::path(TOLVARIN_TEST_DIR) / "stage3_runs";
constexpr i32 kStage = 2;

std::string ReadText(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The words of stage3_runs/<name>.txt.
std::vector<u16> Script(const std::string& name) {
    std::vector<u16> words;
    std::string error;
    EXPECT_TRUE(ParseInputScript(ReadText(kRuns / (name + ".txt")), words, error)) << error;
    return words;
}

struct RouteCase {
    const char* name;  // "a" or "b"
    i32 phase;         // the phase the stage is in after its frame 150
    u8 routeAFlag;     // story flag 49 at the end of the run
};
void PrintTo(const RouteCase& c, std::ostream* os) { *os << "route " << c.name; }

class Stage3RunnerTest : public ::testing::TestWithParam<RouteCase> {};

// In this process, frame by frame: the stage select enters stage index 2 in
// phase 16 (both earlier stages unranked), and the route is settled at the
// stage's frame 150.
TEST_P(Stage3RunnerTest, TheStageSelectStartsTheStageOnTheScriptsRoute) {
    const RouteCase& c = GetParam();
    RunSpec spec;
    spec.input = Script(std::string("route_") + c.name + "_input");
    spec.frameLimit = 1000;
    const RunResult r = RunGame(spec);
    const FrameRow* enter = FindRow(r.rows, [](const FrameRow& row) { return row.sceneAfter == kScenePlay; });
    ASSERT_NE(enter, nullptr);
    EXPECT_EQ(enter->stageIndex, kStage);
    EXPECT_EQ(enter->startKind, kStartStageSelect);
    const FrameRow* first = FindRow(r.rows, [](const FrameRow& row) { return row.frameCounter == 1; });
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->phase, 16);
    const FrameRow* settled = FindRow(r.rows, [](const FrameRow& row) { return row.frameCounter == 151; });
    ASSERT_NE(settled, nullptr);
    EXPECT_EQ(settled->phase, c.phase);
}

// The outcome kept beside the input: the state hash (and its parts) of every
// 500th frame of the recording and of its last frame, and the stage's score.
std::string RunOutcome(const std::vector<FrameHash>& hashes, const ReplayHeader& header) {
    std::ostringstream out;
    out << testing_support::CheckpointLines(hashes, 500);
    out << "stage " << kStage << " score " << header.stageScore[kStage] << "\n";
    return out.str();
}

// The built program headless: the script's run is recorded, its outcome is
// the kept one, and the replay plays back through the recorded states, frame
// by frame, to the recording's last.
void RecordAndPlayBack(const std::string& script, u8 routeAFlag) {
    ASSERT_NE(script.rfind("_input"), std::string::npos);
    testing_support::ProgramFolder folder;
    // A progress file that has the third stage cleared on every difficulty,
    // so that the stage select offers it.
    SystemData progress = DefaultSystemData();
    for (auto& row : progress.StageProgress) row[kStage] = 1;
    fs::create_directories(folder.dir() / "system");
    {
        const std::vector<u8> bytes = EncodeSystemData(progress);
        std::ofstream out(folder.dir() / "system" / "system.dat", std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    const std::vector<u16> words = Script(script);
    testing_support::WriteInputWords(folder.dir() / "input.bin", words);
    std::vector<std::string> args = {"--no-draw", "--frames", std::to_string(words.size()), "--input", "input.bin",
                                     "--record",  "run.rpl"};
    args.insert(args.end(), testing_support::kHashEveryFrame.begin(), testing_support::kHashEveryFrame.end());
    const ProgramResult record = folder.Run(args);
    ASSERT_EQ(record.exitCode, 0) << record;
    const std::vector<FrameHash> recorded = testing_support::ParseFrameHashes(record.out);
    ASSERT_EQ(recorded.size(), words.size()) << record;

    std::vector<u8> bytes;
    {
        const std::string text = ReadText(folder.dir() / "run.rpl");
        bytes.assign(text.begin(), text.end());
    }
    ReplayHeader header;
    ASSERT_TRUE(DecodeReplayHeader(bytes.data(), bytes.size(), "run.rpl", header));
    EXPECT_EQ(header.StartKind, kStartStageSelect);
    for (i32 s = 0; s < kStageSlots; ++s)
        EXPECT_EQ(header.played[static_cast<std::size_t>(s)], s == kStage ? 1 : 0) << s;
    EXPECT_GT(header.inputCount[kStage], 1000u);
    EXPECT_EQ(header.storyFlags[kStoryThirdStageRouteA], routeAFlag);
    // route_x_input.txt keeps its outcome in route_x_expected.txt.
    const std::string outcome = script.substr(0, script.rfind("_input")) + "_expected.txt";
    EXPECT_TRUE(testing_support::MatchesExpectedFile(kRuns / outcome, RunOutcome(recorded, header)));
#if defined(__SANITIZE_ADDRESS__)
    // The sanitizer build checks the recorded run; the playback is the normal build's.
    return;
#endif
    args = {"--no-draw", "--play", "run.rpl"};
    args.insert(args.end(), testing_support::kHashEveryFrame.begin(), testing_support::kHashEveryFrame.end());
    const ProgramResult play = folder.Run(args);
    ASSERT_EQ(play.exitCode, 0) << play;
    EXPECT_EQ(play.err.find("input ends early"), std::string::npos) << play;
    const std::vector<FrameHash> played = testing_support::ParseFrameHashes(play.out);
    const std::size_t stageFrames = header.inputCount[kStage];
    ASSERT_GE(played.size(), stageFrames) << play;
    // Every play frame of the playback is the recording's next play state:
    // the first one found, the rest one to one. After the last input word the
    // stage report holds the play state still, longer than the recording
    // did: a frame there repeats the state it matched last or is a later one.
    const testing_support::PlaybackMatch match = testing_support::FollowRecording(recorded, played, true);
    const std::size_t first = match.matched.empty() ? 0 : match.matched.front();
    for (std::size_t p = 0; p < stageFrames && p < match.matched.size(); ++p) {
        ASSERT_LT(first + p, recorded.size());
        ASSERT_EQ(match.matched[p], first + p) << testing_support::FrameMismatch(played[p], recorded[first + p]);
    }
    ASSERT_TRUE(match.Result());
}

TEST_P(Stage3RunnerTest, TheRunIsRecordedAndPlaysBackWithTheSameStateEveryFrame) {
    const RouteCase& c = GetParam();
    RecordAndPlayBack(std::string("route_") + c.name + "_input", c.routeAFlag);
}

// The boss runs (route_{a,b}_boss_input.txt) fly each route to its boss with
// every life kept: the boss arrives in this process's run, and the program's
// recording plays back frame for frame.
TEST_P(Stage3RunnerTest, TheBossRunReachesTheBossAndPlaysBack) {
    const RouteCase& c = GetParam();
    const std::string script = std::string("route_") + c.name + "_boss_input";
    RunSpec spec;
    spec.input = Script(script);
    spec.frameLimit = static_cast<i64>(spec.input.size());
    spec.noDraw = true;
    const RunResult r = RunGame(spec);
    const i32 bossPhase = c.phase == 15 ? 29 : 30;
    const FrameRow* boss = FindRow(r.rows, [&](const FrameRow& row) {
        return row.sceneBefore == kScenePlay && row.phase == bossPhase && row.enemies > 0;
    });
    ASSERT_NE(boss, nullptr);
    for (const FrameRow& row : r.rows) {
        if (row.sceneBefore == kScenePlay) {
            EXPECT_EQ(row.lives, 3) << "frame " << row.frame;
        }
    }
    EXPECT_EQ(r.rows.back().sceneBefore, kScenePlay);
    RecordAndPlayBack(script, c.routeAFlag);
}

INSTANTIATE_TEST_SUITE_P(Routes, Stage3RunnerTest, ::testing::Values(RouteCase{"a", 15, 1}, RouteCase{"b", 16, 0}),
                         [](const ::testing::TestParamInfo<RouteCase>& testInfo) {
                             return std::string("Route") + (testInfo.param.name[0] == 'a' ? "A" : "B");
                         });

// In this process, with a hook standing in for a player who cannot lose: on
// the third stage's first frame the run becomes a full run, the aircraft is
// kept alive, the timeline is moved on to the route's boss, and every boss
// target is destroyed as it opens. The boss falls, the stage closes to its
// report, a key leaves the report and the fourth stage begins.
i32 g_bossPhase = 0;  // the phase the hook moves the timeline to
i32 g_bossFrame = 0;

void PlayThroughTheBoss(const FrameRow& row) {
    if (row.sceneAfter != kScenePlay || g_GameState.StageIndex != kStage) return;
    g_PlayerState[0].lives = 3;
    if (g_GameState.FrameCounter == 1) {
        g_GameState.StartKind = kStartFullRun;
        g_GameState.StageScriptPhase = g_bossPhase;
        g_GameState.StageScriptFrame = g_bossFrame;
    }
    if (g_EnemyList.empty() || g_EnemyList[0].corePart != kNoPart || g_EnemyList[0].active == 0) return;
    for (i32 r = 0; r < kPartLinks; ++r) {
        EnemyPart* root = RootPartAt(0, r);
        if (root == nullptr) break;
        for (i32 c = 0; c < kPartLinks; ++c) {
            EnemyPart* child = ChildPartAt(0, r, c);
            if (child == nullptr) break;
            if (child->state == 1 && (child->hitShape.halfWidth > 0.0f || child->hitShape.radius > 0.0f))
                child->state = -1;
        }
        if (root->state == 1 && (root->hitShape.halfWidth > 0.0f || root->hitShape.radius > 0.0f)) root->state = -1;
    }
}

TEST_P(Stage3RunnerTest, TheBossFallsAndTheStageClosesToItsReportAndTheFourthStage) {
    const RouteCase& c = GetParam();
    g_bossPhase = c.phase == 15 ? 29 : 28;
    g_bossFrame = c.phase == 15 ? 0 : 1999;
    RunSpec spec;
    std::vector<u16> words = Script(std::string("route_") + c.name + "_input");
    words.resize(9000, 0);
    for (std::size_t f = 3000; f < words.size(); f += 40) words[f] = kInputZ;  // leaves the report
    spec.input = words;
    spec.frameLimit = static_cast<i64>(words.size());
    spec.hook = PlayThroughTheBoss;
    spec.noDraw = true;  // the rows are enough; drawing would only slow the sanitizer build
    const RunResult r = RunGame(spec);
    const FrameRow* closing = FindRow(r.rows, [](const FrameRow& row) {
        return row.sceneBefore == kScenePlay && row.stageIndex == kStage && row.phase == kClosingPhase;
    });
    ASSERT_NE(closing, nullptr);
    EXPECT_EQ(closing->lives, 3);
    const FrameRow* report = FindRow(
        r.rows,
        [](const FrameRow& row) { return row.sceneBefore == kScenePlay && row.sceneAfter == kSceneStageReport; },
        closing->frame);
    ASSERT_NE(report, nullptr);
    // The report's own frames are not observed: the next play frame is the
    // fourth stage's.
    const FrameRow* next = FindRow(
        r.rows, [](const FrameRow& row) { return row.sceneBefore == kScenePlay; }, report->frame + 1);
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(next->stageIndex, kStage + 1);
    EXPECT_EQ(next->frameCounter, 1);
    EXPECT_GT(RowAt(r, report->frame - 1).stagePoints, 0);  // the bosses' bonuses
}

}  // namespace
