// A tool, not a check: finds input that flies the third stage from the stage
// select to a route's boss without losing a life, using the game's
// determinism. Run by hand (it takes minutes):
//
//   build/tests/game/play/test_game_play --gtest_also_run_disabled_tests
//       --gtest_filter='Stage3RouteSearch.*'  (one command line)
//
// It writes stage3_runs/route_{a,b}_boss_input.txt. Starting from the route's
// script (the stage select, and Up held to the stage's frame 150 for route
// A), it grows the input a segment at a time: for each segment it tries the
// moves in turn (each with the gun firing) and keeps the first after which
// the aircraft still has all its lives a lookahead later, backing up a
// segment when none does. Among the first few moves that keep every life it
// takes the one that has scored most by the end of the lookahead, so that
// the aircraft goes after what it must shoot down (route A's barges hold the
// stage until they are gone). Each try plays the game afresh in this process
// from the first frame (no drawing), so what it keeps is exactly what a run
// with the same input does.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "game/shell/game_main.h"
#include "game/shell/input.h"
#include "tests/game/play/runner_support.h"
#include "tools/sampledata/input_script.h"

namespace {

namespace fs = std::filesystem;
using namespace runner_test;

const fs::path kRuns = fs::path(TOLVARIN_TEST_DIR) / "stage3_runs";

constexpr i64 kSegment = 40;     // frames a move is held
constexpr i64 kLookahead = 80;   // frames the move must survive beyond its segment
constexpr i32 kMaxBackups = 4000;
constexpr i32 kSurvivorsCompared = 3;  // surviving moves compared by their score

// The moves tried, each with the gun firing.
constexpr u16 kMoves[] = {
    0,
    kInputLeft,
    kInputRight,
    kInputUp,
    kInputDown,
    kInputUp | kInputLeft,
    kInputUp | kInputRight,
    kInputDown | kInputLeft,
    kInputDown | kInputRight,
};
constexpr i32 kMoveCount = static_cast<i32>(sizeof(kMoves) / sizeof(kMoves[0]));

std::vector<u16> ReadScript(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<u16> words;
    std::string error;
    EXPECT_TRUE(ParseInputScript(text, words, error)) << error;
    return words;
}

// The words as a script: one line per run of equal words.
std::string FormatScript(const std::vector<u16>& words, const std::string& header) {
    static const char* const kNames[] = {"Up", "Down", "Left", "Right", "Z", "X", "V", "C", "A", "S", "T"};
    std::ostringstream out;
    out << header;
    for (std::size_t i = 0; i < words.size();) {
        std::size_t j = i;
        while (j < words.size() && words[j] == words[i]) ++j;
        std::string keys;
        for (int bit = 0; bit < 11; ++bit) {
            if (!(words[i] & (1u << bit))) continue;
            if (!keys.empty()) keys += '+';
            keys += kNames[bit];
        }
        out << (j - i) << ' ' << (keys.empty() ? "-" : keys) << '\n';
        i = j;
    }
    return out.str();
}

struct Trial {
    bool survived = false;  // every life kept to the last frame
    bool arrived = false;   // the boss has arrived
    i64 lastFrame = 0;
    i32 points = 0;         // the stage's points at the last frame
    i32 phase = 0;
};

// Plays `words` afresh; whether the lives stayed at 3 throughout and whether
// `arrived` held at some frame.
template <typename Arrived>
Trial Play(const std::vector<u16>& words, Arrived arrived) {
    RunSpec spec;
    spec.input = words;
    spec.frameLimit = static_cast<i64>(words.size());
    spec.noDraw = true;
    const RunResult r = RunGame(spec);
    Trial t;
    t.survived = true;
    for (const FrameRow& row : r.rows) {
        if (row.sceneBefore != kScenePlay) continue;
        if (row.lives < 3) t.survived = false;
        if (arrived(row)) t.arrived = true;
        t.lastFrame = row.frame;
        t.points = row.stagePoints;
        t.phase = row.phase;
    }
    if (t.lastFrame < static_cast<i64>(words.size()) - 1) t.survived = false;  // the stage ended
    return t;
}

template <typename Arrived>
void Search(const std::string& route, Arrived arrived, i64 frameLimit) {
    std::vector<u16> words = ReadScript(kRuns / ("route_" + route + "_input.txt"));
    // Keep the script's opening (the menus, and route A's climb); the rest is
    // searched.
    std::size_t opening = words.size();
    while (opening > 0 && words[opening - 1] == 0) --opening;
    words.resize(opening);
    std::vector<i32> chosen;  // the move index of each searched segment
    std::vector<i32> next;    // the next move to try at each depth
    i32 backups = 0;
    while (static_cast<i64>(words.size()) < frameLimit) {
        const std::size_t depth = chosen.size();
        if (next.size() <= depth) next.push_back(0);
        bool kept = false;
        i32 best = -1;
        Trial bestTrial;
        i32 survivors = 0;
        while (next[depth] < kMoveCount && survivors < kSurvivorsCompared) {
            // Moves are tried starting from the one held last.
            const i32 previous = chosen.empty() ? 0 : chosen.back();
            const i32 move = (previous + next[depth]) % kMoveCount;
            ++next[depth];
            std::vector<u16> trial = words;
            trial.resize(words.size() + kSegment + kLookahead, static_cast<u16>(kInputZ | kMoves[move]));
            const Trial t = Play(trial, arrived);
            if (!t.survived) continue;
            ++survivors;
            if (best < 0 || t.points > bestTrial.points || t.arrived) {
                best = move;
                bestTrial = t;
            }
            if (t.arrived) break;
        }
        if (best >= 0) {
            const i32 move = best;
            const Trial& t = bestTrial;
            words.resize(words.size() + kSegment, static_cast<u16>(kInputZ | kMoves[move]));
            chosen.push_back(move);
            kept = true;
            std::printf("route %s: frame %zu, phase %d, %d points, move %d%s\n", route.c_str(), words.size(), t.phase,
                        t.points, move, t.arrived ? " (the boss is there)" : "");
            std::fflush(stdout);
            if (t.arrived) {
                words.resize(words.size() + kLookahead, static_cast<u16>(kInputZ | kMoves[move]));
                std::ofstream out(kRuns / ("route_" + route + "_boss_input.txt"), std::ios::binary);
                out << FormatScript(words, "# Found by tests/game/play/stage3_route_search.cpp: the route_" + route +
                                               "_input.txt opening, then\n# the stage flown to its boss with every "
                                               "life kept, the gun firing.\n");
                return;
            }
        }
        if (kept) continue;
        // No move survives: back up a segment and try its next move.
        ASSERT_FALSE(chosen.empty()) << "no input survives the stage's opening";
        ASSERT_LT(++backups, kMaxBackups) << "too many backups";
        next.resize(depth);
        chosen.pop_back();
        words.resize(words.size() - kSegment);
        std::printf("route %s: back to frame %zu\n", route.c_str(), words.size());
        std::fflush(stdout);
    }
    FAIL() << "the boss did not come within " << frameLimit << " frames";
}

TEST(Stage3RouteSearch, DISABLED_RouteA) {
    Search(
        "a", [](const FrameRow& row) { return row.phase == 29 && row.enemies > 0 && row.frameCounter > 0; }, 40000);
}

TEST(Stage3RouteSearch, DISABLED_RouteB) {
    Search(
        "b", [](const FrameRow& row) { return row.phase == 30; }, 40000);
}

}  // namespace
