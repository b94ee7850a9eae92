// The recorded EASY run through the first stage, flown in this process on the
// sample data: a busy moment of its waves and its boss, as golden frames
// (their pictures are kept beside the hashes for a person to look at).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/shell/game_main.h"
#include "tests/game/play/runner_support.h"

namespace {

using namespace runner_test;

// A wave of bombers with their flames around a large enemy under fire,
// rockets trailing smoke and bullets; then the boss with its parts, guns and
// gauges, coins, and talk on both sides.
constexpr i64 kBusyFrame = 9000;
constexpr i64 kBossFrame = 10250;

// The run is long (over 10,000 frames of play drawn in full), so the
// sanitizer build leaves it to the normal build.
TEST(FirstStageRun, ABusyWaveAndTheBossInGoldenFrames) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "too long for the sanitizer build; the normal build runs it";
#endif
    RunSpec spec;
    spec.input = WholeGameInput();
    ASSERT_FALSE(spec.input.empty());
    spec.frameLimit = kBossFrame;
    spec.shotFrames = {kBusyFrame, kBossFrame};
    const RunResult r = RunGame(spec);
    ASSERT_EQ(r.rows.back().frame, kBossFrame);

    const FrameRow& busy = RowAt(r, kBusyFrame);
    EXPECT_EQ(busy.sceneBefore, kScenePlay);
    EXPECT_EQ(busy.stageIndex, 0);
    EXPECT_GE(busy.enemies, 4);
    EXPECT_GT(busy.bullets, 10);
    EXPECT_GT(busy.shots, 0);
    EXPECT_GT(busy.effects, 20);
    EXPECT_TRUE(ShotMatches(r, kBusyFrame, "first_stage_busy"));

    const FrameRow& boss = RowAt(r, kBossFrame);
    EXPECT_EQ(boss.sceneBefore, kScenePlay);
    EXPECT_EQ(boss.stageIndex, 0);
    EXPECT_EQ(boss.phase, 10);  // the timeline's boss phase
    EXPECT_GE(boss.enemies, 1);
    EXPECT_EQ(boss.talkActive, 1);
    EXPECT_GT(boss.lives, 0);
    EXPECT_TRUE(ShotMatches(r, kBossFrame, "first_stage_boss"));
}

}  // namespace
