// The last stage in golden frames, from its EASY recorded run
// (tests/game/program/stage5_easy_input.txt) played in the whole game on the
// sample data: the opening's far fighters (kinds 11 and 12, sprite kind 403)
// below scale 0.8 with their haze, and the gate boss under fire with its
// target markers, at its first targets and at its last.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "game/play/records.h"
#include "game/shell/game_main.h"
#include "game/shell/play_state.h"
#include "tests/game/play/runner_support.h"
#include "tools/sampledata/input_script.h"

namespace {

using namespace runner_test;

constexpr i64 kHazyFighters = 1410;  // phase 0, frame 809
constexpr i64 kFirstTargets = 4150;  // phase 29, frame 499
constexpr i64 kLastTargets = 9180;   // phase 29, frame 5529
constexpr i64 kFrames = 9200;

struct Seen {
    i32 hazyFighters = 0;  // enemies drawn with sprite kind 403 below scale 0.8 on the screen
    i32 markers = 0;
};
std::map<i64, Seen> g_seen;

void Look(const FrameRow& row) {
    if (row.frame != kHazyFighters && row.frame != kFirstTargets && row.frame != kLastTargets) return;
    Seen s;
    for (const Enemy& e : g_EnemyList) {
        if (e.scale >= 0.8f || e.y < 0.0f || e.y > 480.0f || e.rootParts[0] < 0) continue;
        if (g_EnemyPartPool[e.rootParts[0]].spriteKind == 403) ++s.hazyFighters;
    }
    s.markers = static_cast<i32>(g_TargetMarkerList.size());
    g_seen[row.frame] = s;
}

// (Over 9,000 drawn frames: the sanitizer build leaves it to the normal build.)
TEST(Stage5GoldenRunner, HazyFightersAndTheGateBossWithItsTargetMarkers) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "too long for the sanitizer build; the normal build runs it";
#endif
    const std::filesystem::path path =
        std::filesystem::path(TOLVARIN_SOURCE_DIR) / "tests" / "game" / "program" / "stage5_easy_input.txt";
    std::ifstream in(path, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    RunSpec spec;
    std::string error;
    ASSERT_TRUE(ParseInputScript(text, spec.input, error)) << error;
    spec.frameLimit = kFrames;
    spec.shotFrames = {kHazyFighters, kFirstTargets, kLastTargets};
    spec.hook = Look;
    g_seen.clear();
    const RunResult r = RunGame(spec);
    ASSERT_EQ(r.exitCode, 0);

    const FrameRow& fighters = RowAt(r, kHazyFighters);
    EXPECT_EQ(fighters.stageIndex, 4);
    EXPECT_EQ(fighters.phase, 0);
    EXPECT_GE(g_seen[kHazyFighters].hazyFighters, 5);
    EXPECT_TRUE(ShotMatches(r, kHazyFighters, "stage5_hazy_fighters"));

    for (const auto& [frame, name] : {std::pair<i64, const char*>{kFirstTargets, "stage5_gate_boss_first_targets"},
                                      std::pair<i64, const char*>{kLastTargets, "stage5_gate_boss_last_targets"}}) {
        SCOPED_TRACE(name);
        const FrameRow& boss = RowAt(r, frame);
        EXPECT_EQ(boss.phase, 29);
        EXPECT_EQ(boss.enemies, 1);
        EXPECT_GT(g_seen[frame].markers, 0);
        EXPECT_TRUE(ShotMatches(r, frame, name));
    }
    EXPECT_GT(RowAt(r, kLastTargets).bullets, 0);  // the boss fires
}

}  // namespace
