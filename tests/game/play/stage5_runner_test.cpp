// The recorded runs of the last stage (tests/game/program/stage5_*_input.txt)
// played in this process, frame by frame: each flies the stage from the stage
// select through the opening, the gate boss, the debris road, the approach
// and the last waves until the castle arrives, on its own difficulty, with
// enemies firing in every phase on the way. (The program tests record and
// play the same scripts back; this one says where they go.)
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "game/shell/game_main.h"
#include "game/shell/play_state.h"
#include "tests/game/play/runner_support.h"
#include "tools/sampledata/input_script.h"

namespace {

using namespace runner_test;

struct LastStageScript {
    const char* name;
    i32 difficulty;
};

void PrintTo(const LastStageScript& c, std::ostream* os) { *os << c.name; }

std::vector<u16> ScriptWords(const std::string& name) {
    const std::filesystem::path path =
        std::filesystem::path(TOLVARIN_SOURCE_DIR) / "tests" / "game" / "program" / ("stage5_" + name + "_input.txt");
    std::ifstream in(path, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<u16> words;
    std::string error;
    EXPECT_TRUE(ParseInputScript(text, words, error)) << path << ": " << error;
    return words;
}

class LastStageRunner : public ::testing::TestWithParam<LastStageScript> {};

TEST_P(LastStageRunner, TheScriptFliesFromTheStartToTheCastle) {
    const LastStageScript& c = GetParam();
    RunSpec spec;
    spec.input = ScriptWords(c.name);
    ASSERT_GT(spec.input.size(), 12000u);
    spec.frameLimit = static_cast<i64>(spec.input.size());
    spec.noDraw = true;  // states, not pictures
    const RunResult r = RunGame(spec);
    ASSERT_EQ(static_cast<i64>(r.rows.size()), spec.frameLimit);

    // The phases in the order they came, each with whether an enemy bullet
    // was on the field in it.
    std::vector<i32> phases;
    std::vector<bool> fired;
    const FrameRow* castle = nullptr;
    const FrameRow* last4 = nullptr;
    for (const FrameRow& row : r.rows) {
        if (row.sceneBefore != kScenePlay || row.frameCounter <= 0) continue;
        EXPECT_EQ(row.stageIndex, 4) << row.frame;
        EXPECT_EQ(row.difficulty, c.difficulty) << row.frame;
        EXPECT_GE(row.lives, 1) << row.frame;
        if (phases.empty() || phases.back() != row.phase) {
            phases.push_back(row.phase);
            fired.push_back(false);
        }
        if (row.bullets > 0) fired.back() = true;
        if (row.phase == 4) last4 = &row;
        if (row.phase == 10 && castle == nullptr) castle = &row;
    }
    EXPECT_EQ(phases, (std::vector<i32>{0, 29, 1, 2, 4, 10}));
    ASSERT_NE(castle, nullptr);
    ASSERT_NE(last4, nullptr);
    EXPECT_EQ(last4->frame + 1, castle->frame);
    // The script ends a second after the castle came.
    EXPECT_EQ(r.rows.back().phase, 10);
    EXPECT_GE(r.rows.back().frame - castle->frame, 50);
    for (std::size_t i = 0; i + 1 < phases.size(); ++i) {
        if (phases[i] == 1) continue;  // the debris road has no guns
        EXPECT_TRUE(fired[i]) << "phase " << phases[i];
    }
    EXPECT_GT(r.rows.back().stagePoints, 0);
}

INSTANTIATE_TEST_SUITE_P(Difficulties, LastStageRunner,
                         ::testing::Values(LastStageScript{"easy", 0}, LastStageScript{"normal", 1},
                                           LastStageScript{"hard", 2}),
                         [](const ::testing::TestParamInfo<LastStageScript>& testInfo) { return testInfo.param.name; });

}  // namespace
