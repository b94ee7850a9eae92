// A talk event started by id in the first stage of a headless run of the
// whole game: its lines are shown (faces and balloons over the sample data)
// and timed line by line, and the talk setting changes only the picture.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/play/records.h"
#include "game/play/talk.h"
#include "game/shell/game_main.h"
#include "game/shell/input.h"
#include "game/shell/play_state.h"
#include "tests/game/play/runner_support.h"
#include "tests/support/golden.h"

namespace {

using namespace runner_test;

constexpr i64 kStartTalk = 560;  // the talk is started after this frame
std::vector<i32> g_durations;

void StartTheTalk(const FrameRow& row) {
    if (row.frame != kStartTalk || row.sceneAfter != kScenePlay) return;
    StartTalkEvent(10);
    g_durations.clear();
    for (const TalkLine& line : g_TalkState.lines) g_durations.push_back(line.duration);
}

testing_support::FrameView ViewOf(const RunResult& r, i64 frame) {
    auto it = r.shots.find(frame);
    if (it == r.shots.end()) return {};
    const FrameShot& s = it->second;
    return testing_support::FrameView{s.pixels.data(), s.pitch, s.width, s.height,
                                      static_cast<platform::gfx::D3DFORMAT>(s.format)};
}

RunResult RunWithTalk(u8 showTalk, const std::vector<i64>& shots, i64 frames) {
    // A full run from the title; the player fires and drifts left meanwhile.
    Script s(static_cast<std::size_t>(frames));
    s.Tap(151, kInputZ).Tap(400, kInputZ).Tap(415, kInputZ);
    s.Hold(kStartTalk - 20, kStartTalk + 40, kInputZ | kInputLeft);
    RunSpec spec;
    spec.input = s.words;
    spec.frameLimit = frames;
    spec.hook = StartTheTalk;
    spec.showTalk = showTalk;
    spec.shotFrames = shots;
    return RunGame(spec);
}

TEST(TalkRunner, AnEventStartedByIdInAStageIsShownAndTimedLineByLine) {
    const std::vector<i64> photos = {kStartTalk + 20, kStartTalk + 230, kStartTalk + 440};
    const RunResult shown = RunWithTalk(1, photos, kStartTalk + 900);
    ASSERT_EQ(shown.exitCode, 0);
    ASSERT_EQ(g_durations.size(), 4u);  // event 10's three lines and the closing line
    EXPECT_EQ(g_durations[0], 200);

    // Each line lasts its duration plus the frame it opens on; the talk ends
    // after the closing line.
    const FrameRow& before = RowAt(shown, kStartTalk);
    EXPECT_EQ(before.sceneBefore, kScenePlay);
    EXPECT_EQ(before.talkActive, 0);
    i64 lineStart = kStartTalk + 1;
    for (std::size_t line = 0; line < g_durations.size(); ++line) {
        SCOPED_TRACE("line " + std::to_string(line));
        const i64 next = lineStart + g_durations[line] + (line == 0 ? 0 : 1);
        const FrameRow& open = RowAt(shown, lineStart);
        EXPECT_EQ(open.talkActive, 1);
        EXPECT_EQ(open.talkEvent, 10);
        EXPECT_EQ(open.talkLine, static_cast<i32>(line));
        EXPECT_EQ(RowAt(shown, next - 1).talkLine, static_cast<i32>(line));
        const FrameRow& after = RowAt(shown, next);
        if (line + 1 < g_durations.size()) {
            EXPECT_EQ(after.talkLine, static_cast<i32>(line + 1));
            EXPECT_EQ(after.talkFrame, 0);
        } else {
            EXPECT_EQ(after.talkActive, 0);
        }
        lineStart = next;
    }
    // The stage went on under the talk.
    EXPECT_GT(RowAt(shown, kStartTalk + 300).frameCounter, before.frameCounter + 290);

    EXPECT_TRUE(testing_support::MatchesGolden(TOLVARIN_TEST_DIR "/golden", "runner_talk_first_line",
                                               ViewOf(shown, photos[0])));
    EXPECT_TRUE(testing_support::MatchesGolden(TOLVARIN_TEST_DIR "/golden", "runner_talk_second_line",
                                               ViewOf(shown, photos[1])));
    EXPECT_TRUE(testing_support::MatchesGolden(TOLVARIN_TEST_DIR "/golden", "runner_talk_third_line",
                                               ViewOf(shown, photos[2])));

    // With talk hidden the game runs the same frames; only the faces and
    // balloons are missing from the picture.
    const RunResult hidden = RunWithTalk(0, {photos[0]}, kStartTalk + 900);
    ASSERT_EQ(hidden.rows.size(), shown.rows.size());
    for (std::size_t i = 0; i < shown.rows.size(); ++i) {
        const FrameRow& a = shown.rows[i];
        const FrameRow& b = hidden.rows[i];
        ASSERT_EQ(a.frame, b.frame);
        ASSERT_EQ(a.sceneBefore, b.sceneBefore);
        if (a.sceneBefore != kScenePlay) continue;  // the play objects are set up by the stage load
        EXPECT_EQ(a.talkActive, b.talkActive) << a.frame;
        if (a.talkActive) {
            EXPECT_EQ(a.talkLine, b.talkLine) << a.frame;
            EXPECT_EQ(a.talkFrame, b.talkFrame) << a.frame;
        }
        EXPECT_EQ(a.x, b.x) << a.frame;
        EXPECT_EQ(a.y, b.y) << a.frame;
        EXPECT_EQ(a.score, b.score) << a.frame;
        EXPECT_EQ(a.shots, b.shots) << a.frame;
        EXPECT_EQ(a.effects, b.effects) << a.frame;
    }
    const testing_support::FrameView a = ViewOf(shown, photos[0]);
    const testing_support::FrameView b = ViewOf(hidden, photos[0]);
    ASSERT_NE(b.bits, nullptr);
    EXPECT_NE(std::vector<std::uint8_t>(a.bits, a.bits + a.pitch * a.height),
              std::vector<std::uint8_t>(b.bits, b.bits + b.pitch * b.height));
}

}  // namespace
