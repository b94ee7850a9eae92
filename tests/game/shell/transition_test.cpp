#include "game/shell/transition.h"

#include <gtest/gtest.h>

namespace {

// One DrawTransition without the drawing: the quads it would draw, then the step.
std::vector<TransitionQuad> Frame() {
    std::vector<TransitionQuad> quads = TransitionQuads();
    AdvanceTransition();
    return quads;
}

u32 AlphaOf(const TransitionQuad& q) { return q.colour >> 24; }

// The number of draws until `finished` is set and until `running` clears.
struct Timing {
    int finishedAt = 0;
    int clearedAt = 0;
};

Timing RunToEnd(i32 kind) {
    StartTransition(kind);
    Timing t;
    for (int call = 1; call < 1000 && TransitionState.running; ++call) {
        Frame();
        if (!t.finishedAt && TransitionState.finished) t.finishedAt = call;
        if (!TransitionState.running) t.clearedAt = call;
    }
    return t;
}

TEST(Transition, CloseAndOpenArePlayedAsBricks) {
    StartTransition(kTransitionClose);
    EXPECT_EQ(TransitionState.kind, kTransitionBricksCover);
    EXPECT_EQ(TransitionState.running, 1);
    EXPECT_EQ(TransitionState.finished, 0);
    StartTransition(kTransitionOpen);
    EXPECT_EQ(TransitionState.kind, kTransitionBricksUncover);
}

TEST(Transition, EachKindFinishesAndClearsOnTheCallsItShould) {
    struct Case {
        i32 kind;
        int finishedAt;
    };
    // Single-precision sums: 51 steps of 0.02, 20 of 0.05; bricks: 54 frames of
    // delay for the first brick, then 41 steps of 0.025.
    const Case cases[] = {
        {20, 51}, {21, 51}, {22, 51}, {23, 51}, {24, 20}, {25, 51}, {12, 95}, {13, 95}, {10, 95}, {11, 95},
    };
    for (const Case& c : cases) {
        TransitionState = Transition{};
        const Timing t = RunToEnd(c.kind);
        EXPECT_EQ(t.finishedAt, c.finishedAt) << "kind " << c.kind;
        EXPECT_EQ(t.clearedAt, c.finishedAt + 1) << "kind " << c.kind;
    }
}

TEST(Transition, FadeFirstAndLastFrames) {
    StartTransition(kTransitionFadeCover);
    std::vector<TransitionQuad> first = Frame();
    ASSERT_EQ(first.size(), 120u);
    for (const TransitionQuad& q : first) EXPECT_EQ(AlphaOf(q), 0u);
    EXPECT_EQ(first[0].destination.left, 120);
    EXPECT_EQ(first[0].destination.bottom, 40);
    EXPECT_EQ(first[13].destination.left, 160);  // column-major: entry 13 is column 1, row 1
    EXPECT_EQ(first[13].destination.top, 40);
    EXPECT_EQ(first[0].source.left, 128);
    EXPECT_EQ(first[0].colour & 0xFFFFFFu, 0xFFFFFFu);
    for (int i = 0; i < 50; ++i) Frame();
    ASSERT_TRUE(TransitionState.finished);
    // The draw that clears running still draws the final state.
    std::vector<TransitionQuad> last = Frame();
    ASSERT_EQ(last.size(), 120u);
    EXPECT_EQ(AlphaOf(last[119]), 255u);
    EXPECT_FALSE(TransitionRunning());
    EXPECT_TRUE(Frame().empty());
}

TEST(Transition, SteppedFadeDrawsInStepsOfFifty) {
    StartTransition(kTransitionSteppedUncover);
    std::vector<u32> seen;
    while (TransitionRunning()) {
        const std::vector<TransitionQuad> quads = Frame();
        if (!quads.empty()) seen.push_back(AlphaOf(quads[0]));
    }
    for (u32 a : seen) EXPECT_EQ(a % 50, 0u) << a;
    EXPECT_EQ(seen.front(), 250u);
    EXPECT_EQ(seen.back(), 0u);
}

TEST(Transition, BandIsOneQuadOfCellZero) {
    StartTransition(kTransitionBandUncover);
    const std::vector<TransitionQuad> quads = Frame();
    ASSERT_EQ(quads.size(), 1u);
    EXPECT_EQ(quads[0].destination.top, 100);
    EXPECT_EQ(quads[0].destination.right, 640);
    EXPECT_EQ(AlphaOf(quads[0]), 255u);
    EXPECT_EQ(quads[0].source.left, 192);
}

TEST(Transition, BrickWipeGeometry) {
    StartTransition(kTransitionOpen);
    const std::vector<TransitionQuad> first = Frame();
    ASSERT_EQ(first.size(), 72u);  // columns 0..5 only
    // Covered: 80 x 40 bricks in place, odd rows 40 px to the left.
    EXPECT_EQ(first[0].destination.left, 100);
    EXPECT_EQ(first[0].destination.top, 0);
    EXPECT_EQ(first[0].destination.right, 180);
    EXPECT_EQ(first[0].destination.bottom, 40);
    EXPECT_EQ(first[1].destination.left, 60);
    EXPECT_EQ(first[1].destination.top, 40);
    EXPECT_EQ(first[0].source.top, 128);
    // Brick (0, 0) stays in place for 54 updates and moves with the 55th.
    for (int i = 0; i < 53; ++i) Frame();
    EXPECT_EQ(TransitionQuads()[0].destination.top, 0);
    Frame();
    EXPECT_EQ(TransitionState.cells[0].alpha, 1.0f - 0.025f);
    EXPECT_GT(TransitionQuads()[0].destination.top, 0);  // falls away downward
    // Uncovered bricks are half size, 720 px below and spread from column 3.
    while (TransitionRunning()) Frame();
    StartTransition(kTransitionBricksCover);
    const std::vector<TransitionQuad> open = TransitionQuads();
    EXPECT_EQ(open[0].destination.right - open[0].destination.left, 40);
    EXPECT_EQ(open[0].destination.top, 20 - 720 - 10);  // above for the covering kind
    EXPECT_EQ((open[0].destination.left + open[0].destination.right) / 2, 140 - 60);
}

TEST(Transition, BrickKindsKeepTheColumnsTheyDoNotLay) {
    StartTransition(kTransitionFadeCover);
    while (TransitionRunning()) Frame();
    StartTransition(kTransitionOpen);
    EXPECT_EQ(TransitionState.cells[12 * 7].alpha, 1.0f);  // left from the fade
    EXPECT_EQ(TransitionState.cells[12 * 7].delay, 0);
    StartTransition(kTransitionFadeUncover);
    while (TransitionRunning()) Frame();
    StartTransition(kTransitionClose);
    // Columns 6..9 are already at 0 and count as done at once (uncovering
    // values under a covering kind still move up).
    Frame();
    EXPECT_EQ(TransitionState.cells[12 * 9].alpha, 0.025f);
}

TEST(Transition, RestartReplacesTheRunningOne) {
    StartTransition(kTransitionFadeCover);
    for (int i = 0; i < 20; ++i) Frame();
    StartTransition(kTransitionFadeUncover);
    for (const TransitionQuad& q : TransitionQuads()) EXPECT_EQ(AlphaOf(q), 255u);
    EXPECT_EQ(TransitionState.finished, 0);
}

TEST(Transition, UnknownKindEndsAtTheNextDraw) {
    StartTransition(7);
    EXPECT_TRUE(TransitionRunning());
    EXPECT_TRUE(Frame().empty());
    EXPECT_FALSE(TransitionRunning());
}

}  // namespace
