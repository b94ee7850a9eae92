// Every run of the game in this process starts as a new program would, so no
// run depends on what ran before it here (and no golden frame on the order of
// the tests): a run gives the same rows (the state hash that --hash-every
// prints and the observed state) from its first frame and the same pictures,
// whether it is the process's first run or comes after runs that left other
// marks behind. Each case runs one scenario, then another that plays another
// stage at another difficulty and is cut off mid-fight, then the first again.
// ctest runs every case in a process of its own, so the first run of a case is
// the run of a new program.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "game/play/talk.h"
#include "game/shell/game_main.h"
#include "game/shell/input.h"
#include "game/shell/play_state.h"
#include "tests/game/play/runner_support.h"

namespace {

using namespace runner_test;

// The first stage from the title's first entry at the first difficulty; talk
// event 10 (which keeps the speech image of the talk before it) is started
// once the stage runs, and the player fires and drifts meanwhile.
constexpr i64 kTalkAt = 560;
constexpr i64 kFirstStageFrames = kTalkAt + 260;

void StartTalkTen(const FrameRow& row) {
    if (row.frame == kTalkAt && row.sceneAfter == kScenePlay) StartTalkEvent(10);
}

RunSpec FirstStageWithTalk(bool draw) {
    Script s(kFirstStageFrames);
    s.Tap(151, kInputZ).Tap(400, kInputZ).Tap(415, kInputZ);
    s.Hold(kTalkAt - 20, kTalkAt + 60, kInputZ | kInputLeft);
    s.Hold(kTalkAt + 61, kTalkAt + 120, kInputZ | kInputUp);
    RunSpec spec;
    spec.input = s.words;
    spec.frameLimit = kFirstStageFrames;
    spec.hook = StartTalkTen;
    spec.noDraw = !draw;
    // The logo, the title's menu, the talk's first line opening and its
    // faces and balloons at rest.
    if (draw) spec.shotFrames = {120, 380, kTalkAt + 20, kTalkAt + 200};
    return spec;
}

// The second stage from the stage select at HARD, its road cut short to the
// boss, which rises with its talk (event 220, another speech image), comes
// down under the player's gun and fires; the run ends mid-fight with the field
// full, or (drawn, to keep the case cheap) while the boss rises.
constexpr i64 kSelect = 490;
constexpr i64 kToBoss = 720;
constexpr i64 kSecondStageFrames = kToBoss + 1000;
constexpr i64 kSecondStageDrawnFrames = kToBoss + 150;

void CutToTheBoss(const FrameRow& row) {
    if (row.frame == kToBoss && row.sceneAfter == kScenePlay) CutSecondStageToTheBoss();
}

RunSpec SecondStageBossAtHard(bool draw) {
    const i64 frames = draw ? kSecondStageDrawnFrames : kSecondStageFrames;
    Script s(static_cast<std::size_t>(frames));
    s.Tap(151, kInputZ);
    s.Tap(400, kInputDown);  // the stage select
    s.Tap(415, kInputZ);     // the difficulty menu
    s.Tap(430, kInputDown);
    s.Tap(445, kInputDown);
    s.Tap(460, kInputZ);     // HARD
    s.Tap(475, kInputDown);  // stage index 1
    s.Tap(kSelect, kInputZ);
    s.Hold(kToBoss, frames, kInputZ);
    s.Hold(kToBoss + 100, kToBoss + 140, kInputZ | kInputRight);
    RunSpec spec;
    spec.input = s.words;
    spec.frameLimit = frames;
    spec.hook = CutToTheBoss;
    spec.noDraw = !draw;
    return spec;
}

std::string Describe(const FrameRow& r) {
    char text[512];
    std::snprintf(text, sizeof text,
                  "scene %d->%d stage %d difficulty %d phase %d play frame %d hash %016llx player (%g, %g) "
                  "score %d shots %d enemies %d effects %d bullets %d talk %d/%d/%d/%d title %d",
                  r.sceneBefore, r.sceneAfter, r.stageIndex, r.difficulty, r.phase, r.frameCounter,
                  static_cast<unsigned long long>(r.stateHash), r.x, r.y, r.score, r.shots, r.enemies, r.effects,
                  r.bullets, r.talkActive, r.talkEvent, r.talkLine, r.talkFrame, r.titleState);
    return text;
}

// The runs' rows are equal frame by frame, from the first.
::testing::AssertionResult SameRows(const RunResult& first, const RunResult& again) {
    if (first.rows.size() != again.rows.size()) {
        return ::testing::AssertionFailure()
               << "the runs lasted " << first.rows.size() << " and " << again.rows.size() << " frames";
    }
    for (std::size_t i = 0; i < first.rows.size(); ++i) {
        if (first.rows[i] == again.rows[i]) continue;
        return ::testing::AssertionFailure()
               << "the runs part at frame " << first.rows[i].frame << ":\n  first: " << Describe(first.rows[i])
               << "\n  again: " << Describe(again.rows[i]);
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult SamePicture(const RunResult& first, const RunResult& again, i64 frame) {
    const auto a = first.shots.find(frame);
    const auto b = again.shots.find(frame);
    if (a == first.shots.end() || b == again.shots.end())
        return ::testing::AssertionFailure() << "no picture of frame " << frame;
    const FrameShot& x = a->second;
    const FrameShot& y = b->second;
    if (x.width != y.width || x.height != y.height || x.pitch != y.pitch || x.format != y.format)
        return ::testing::AssertionFailure() << "the pictures of frame " << frame << " differ in size or format";
    std::uint32_t rows = 0;
    for (std::uint32_t row = 0; row < x.height; ++row) {
        const std::size_t at = static_cast<std::size_t>(row) * static_cast<std::size_t>(x.pitch);
        if (!std::equal(x.pixels.begin() + static_cast<std::ptrdiff_t>(at),
                        x.pixels.begin() + static_cast<std::ptrdiff_t>(at + static_cast<std::size_t>(x.pitch)),
                        y.pixels.begin() + static_cast<std::ptrdiff_t>(at)))
            ++rows;
    }
    if (rows == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the pictures of frame " << frame << " differ in " << rows << " of "
                                         << x.height << " rows";
}

// Game state only, so nothing is drawn: each scenario, the other, each again.
TEST(CarryOverRunner, ARunPlaysTheSameAfterOtherRunsInTheSameProcess) {
    const RunResult first = RunGame(FirstStageWithTalk(false));
    const RunResult second = RunGame(SecondStageBossAtHard(false));
    const RunResult firstAgain = RunGame(FirstStageWithTalk(false));
    const RunResult secondAgain = RunGame(SecondStageBossAtHard(false));
    for (const RunResult* r : {&first, &second, &firstAgain, &secondAgain}) ASSERT_EQ(r->exitCode, 0);

    // The scenarios play what they say.
    const FrameRow& talking = RowAt(first, kTalkAt + 20);
    EXPECT_EQ(talking.stageIndex, 0);
    EXPECT_EQ(talking.talkActive, 1);
    EXPECT_EQ(talking.talkEvent, 10);
    const FrameRow& fighting = RowAt(second, kSecondStageFrames);
    EXPECT_EQ(fighting.sceneAfter, kScenePlay);
    EXPECT_EQ(fighting.stageIndex, 1);
    EXPECT_EQ(fighting.difficulty, kDifficultyHard);
    EXPECT_EQ(fighting.phase, 10);
    EXPECT_GT(fighting.bullets, 0);
    EXPECT_NE(RowAt(second, kToBoss + 150).talkEvent, 0);

    EXPECT_TRUE(SameRows(first, firstAgain));
    EXPECT_TRUE(SameRows(second, secondAgain));
}

// The pictures too: the first scenario drawn, the second between its runs.
TEST(CarryOverRunner, ARunDrawsTheSameAfterOtherRunsInTheSameProcess) {
    const RunSpec spec = FirstStageWithTalk(true);
    const RunResult first = RunGame(spec);
    const RunResult other = RunGame(SecondStageBossAtHard(true));
    const RunResult again = RunGame(spec);
    for (const RunResult* r : {&first, &other, &again}) ASSERT_EQ(r->exitCode, 0);
    EXPECT_TRUE(SameRows(first, again));
    for (i64 frame : spec.shotFrames) EXPECT_TRUE(SamePicture(first, again, frame));
}

}  // namespace
