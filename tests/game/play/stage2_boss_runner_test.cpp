// The second stage's boss in the whole game, headless, on the sample data:
// entered from the stage select, the stage's road cut short to the boss's
// entry, the boss rising across the field, coming down and fighting its first
// phase under the player's gun, in golden frames.
#include <gtest/gtest.h>

#include "game/shell/game_main.h"
#include "game/shell/input.h"
#include "game/shell/play_state.h"
#include "tests/game/play/runner_support.h"

namespace {

using namespace runner_test;

constexpr i64 kSelect = 460;  // Z on stage index 1 in the stage select
constexpr i64 kToBoss = 700;  // the frame the stage's road is cut short

// Empties the field and puts the timeline at the boss's entry.
void CutToTheBoss(const FrameRow& row) {
    if (row.frame == kToBoss && row.sceneAfter == kScenePlay) CutSecondStageToTheBoss();
}

// Two thousand frames drawn in full: the sanitizer build leaves the pictures
// to the normal build (its boss flow tests step the same states undrawn).
TEST(Stage2BossRunner, TheBossRisesComesDownAndFightsItsFirstPhase) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "too long for the sanitizer build; the normal build runs it";
#endif
    Script s(kToBoss + 1300);
    s.Tap(151, kInputZ);
    s.Tap(400, kInputDown);  // the stage select
    s.Tap(415, kInputZ);     // the difficulty menu
    s.Tap(430, kInputZ);     // EASY
    s.Tap(445, kInputDown);  // stage index 1
    s.Tap(kSelect, kInputZ);
    s.Hold(kToBoss, kToBoss + 1300, kInputZ);
    s.Hold(kToBoss + 700, kToBoss + 760, kInputZ | kInputUp);
    RunSpec spec;
    spec.input = s.words;
    spec.frameLimit = static_cast<i64>(s.words.size());
    spec.hook = CutToTheBoss;
    constexpr i64 kRising = kToBoss + 60;
    constexpr i64 kComingDown = kToBoss + 450;
    constexpr i64 kFighting = kToBoss + 1000;
    spec.shotFrames = {kRising, kComingDown, kFighting};
    const RunResult r = RunGame(spec);
    ASSERT_EQ(r.exitCode, 0);

    const FrameRow& rising = RowAt(r, kRising);
    EXPECT_EQ(rising.stageIndex, 1);
    EXPECT_EQ(rising.phase, 10);
    EXPECT_EQ(rising.enemies, 1);
    EXPECT_TRUE(ShotMatches(r, kRising, "stage2_boss_rising"));
    EXPECT_EQ(RowAt(r, kComingDown).phase, 10);
    EXPECT_TRUE(ShotMatches(r, kComingDown, "stage2_boss_coming_down"));
    const FrameRow& fighting = RowAt(r, kFighting);
    EXPECT_EQ(fighting.phase, 10);
    EXPECT_GT(fighting.bullets, 0);  // the boss fires
    EXPECT_TRUE(ShotMatches(r, kFighting, "stage2_boss_fighting"));
}

}  // namespace
