// The looks of stage index 2: sheets, source and destination rectangles,
// layers, colours, the mirrored cells, the swelling, the hidden parked parts
// and the mid-boss's blinking.
#include <cmath>
#include <vector>

#include "engine/core/angle.h"
#include "game/enemy/enemy_content.h"
#include "tests/game/enemy/enemy_fixture.h"

namespace {

using enemy_test::EnemyFrameTest;
using enemy_test::TableKind;
using enemy_test::TablePart;
using S = EnemySheet;

std::vector<LookDrawCall> g_calls;
void Observe(const LookDrawCall& call) { g_calls.push_back(call); }

constexpr u32 kLit = 0xFFFFFFFFu;
constexpr u32 kPale = 0xFFC8C8C8u;
constexpr u32 kDark = 0xFF321414u;
constexpr u32 kDim = 0xFF643232u;

::testing::AssertionResult SameRect(const Rect& actual, const Rect& expected) {
    if (actual.left == expected.left && actual.top == expected.top && actual.right == expected.right &&
        actual.bottom == expected.bottom) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "{" << actual.left << ", " << actual.top << ", " << actual.right << ", "
                                         << actual.bottom << "} instead of {" << expected.left << ", " << expected.top
                                         << ", " << expected.right << ", " << expected.bottom << "}";
}

struct DrawSpec {
    f32 rotation = 0.0f;
    f32 scale = 1.0f;
    i32 frame = 7;
    i32 state = 1;
    i32 age = 0;
    i32 timer = 0;
};

class Stage3LooksTest : public EnemyFrameTest {
protected:
    void SetUp() override {
        EnemyFrameTest::SetUp();
        RegisterEnemyLooks(EnemyLooksStage3());
        SetLookDrawObserver(Observe);
    }
    // One part of the sprite kind at (300, 200); the calls it made.
    std::vector<LookDrawCall> Draw(i32 kind, const DrawSpec& d = {}) {
        ResetPlayLists();
        g_calls.clear();
        const i32 e = Build(TableKind({TablePart(kind, 0, 0)}, {0}), 300, 200, d.rotation, d.scale);
        Part(0).state = d.state;
        Part(0).timer = d.timer;
        g_EnemyList[static_cast<std::size_t>(e)].age = d.age;
        g_GameState.FrameCounter = d.frame;
        DrawEnemyLayer(0);
        return g_calls;
    }
};

// Every one-sprite look at (300, 200), no turn, scale 1, FrameCounter 7
// (no swelling; blink phase 0), timer 0, hittable.
TEST_F(Stage3LooksTest, SingleSpriteLooksDrawTheirCellAtTheirSize) {
    struct Case {
        i32 kind;
        S sheet;
        Rect source;
        Rect destination;
        bool rotated;
        u32 colour;
    };
    const Case cases[] = {
        {305, S::kB1, {0, 290, 199, 509}, {200, 95, 400, 305}, false, kLit},
        {306, S::kB1, {200, 290, 399, 509}, {200, 95, 400, 305}, false, kLit},
        {308, S::kE2, {220, 280, 439, 479}, {195, 100, 405, 300}, false, kLit},
        {309, S::kB1, {400, 290, 479, 349}, {260, 170, 340, 230}, false, kLit},
        {310, S::kB1, {400, 350, 479, 409}, {260, 170, 340, 230}, false, kLit},
        {317, S::kE2, {0, 280, 219, 479}, {195, 100, 405, 300}, false, kLit},
        {318, S::kE2, {0, 280, 219, 479}, {195, 100, 405, 300}, false, kLit},
        {319, S::kE2, {0, 280, 219, 479}, {195, 100, 405, 300}, false, kLit},
        {327, S::kB1, {120, 0, 169, 179}, {275, 110, 325, 290}, true, kLit},
        {336, S::kE2, {300, 120, 379, 239}, {260, 140, 340, 260}, false, kLit},
        {337, S::kE2, {380, 120, 459, 239}, {260, 140, 340, 260}, false, kLit},
        {341, S::kE1, {0, 300, 199, 449}, {200, 125, 400, 275}, true, kLit},
        {342, S::kE1, {0, 450, 79, 509}, {260, 170, 340, 230}, true, kLit},
        {343, S::kE1, {0, 450, 79, 509}, {260, 230, 340, 170}, true, kLit},  // upside down
        {344, S::kE1, {160, 0, 359, 149}, {200, 125, 400, 275}, true, kLit},
        {345, S::kE1, {160, 150, 359, 299}, {200, 125, 400, 275}, true, kLit},
        {346, S::kE1, {0, 0, 159, 149}, {220, 125, 380, 275}, true, kLit},
        {348, S::kE1, {360, 100, 449, 139}, {255, 180, 345, 220}, true, kLit},
        {349, S::kE1, {360, 100, 449, 139}, {255, 220, 345, 180}, true, kLit},  // upside down
        {351, S::kE1, {440, 30, 499, 69}, {270, 180, 330, 220}, true, kLit},
        {352, S::kE1, {200, 300, 339, 359}, {230, 170, 370, 230}, true, kLit},
        {353, S::kE1, {200, 360, 299, 439}, {250, 160, 350, 240}, true, kLit},
        {354, S::kE1, {360, 180, 479, 249}, {230, 170, 370, 230}, true, kLit},
        {355, S::kE1, {360, 180, 479, 249}, {210, 160, 390, 240}, true, kPale},
        {356, S::kE1, {200, 300, 339, 359}, {250, 178, 350, 222}, true, kLit},
        {357, S::kE1, {200, 360, 299, 439}, {260, 168, 340, 232}, true, kLit},
        {360, S::kB2, {0, 0, 269, 319}, {165, 40, 435, 360}, false, kPale},
        {361, S::kB2, {270, 0, 409, 209}, {230, 95, 370, 305}, false, kPale},
        {362, S::kB2, {0, 320, 119, 439}, {240, 140, 360, 260}, false, kPale},
        {363, S::kB2, {120, 320, 239, 439}, {240, 140, 360, 260}, false, kPale},
        {364, S::kB2, {240, 320, 329, 449}, {255, 135, 345, 265}, false, kPale},
        {365, S::kB2, {330, 320, 419, 449}, {255, 135, 345, 265}, false, kPale},
        {366, S::kB2, {270, 210, 369, 309}, {250, 150, 350, 250}, true, kLit},
        {391, S::kE3, {210, 0, 309, 159}, {250, 120, 350, 280}, true, kLit},
        {392, S::kE3, {210, 160, 309, 319}, {250, 120, 350, 280}, true, kLit},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        const auto calls = Draw(c.kind);
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].sheet, c.sheet);
        EXPECT_TRUE(SameRect(calls[0].source, c.source));
        EXPECT_TRUE(SameRect(calls[0].destination, c.destination));
        EXPECT_EQ(calls[0].rotated, c.rotated);
        EXPECT_EQ(calls[0].colour, c.colour);
    }
}

TEST_F(Stage3LooksTest, UnhittablePartsTakeTheirTint) {
    struct Case {
        i32 kind;
        u32 tint;
    };
    const Case cases[] = {{305, kDim}, {321, kDark}, {325, kDark}, {336, kDark}, {341, kDim},
                          {348, kDim}, {351, kDark}, {355, kDark}, {360, kDim},  {361, kDim},
                          {362, kDim}, {366, kDark}, {380, kDark}, {390, kDark}, {399, kDark}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        const auto calls = Draw(c.kind, {.frame = 8, .state = -1});
        ASSERT_GE(calls.size(), 1u);
        for (const LookDrawCall& call : calls) EXPECT_EQ(call.colour, c.tint);
    }
}

TEST_F(Stage3LooksTest, FlamesAreDrawnAfterOrUnderTheirBodies) {
    // 321: the body, then two flames 7 left and 8 right of (20, +-26), d = 3
    // (frame 7: f = 2).
    auto calls = Draw(321);
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_TRUE(SameRect(calls[0].destination, {260, 150, 340, 250}));
    EXPECT_TRUE(SameRect(calls[1].destination, {313, 211, 328, 241}));
    EXPECT_TRUE(SameRect(calls[2].destination, {313, 159, 328, 189}));
    EXPECT_TRUE(SameRect(calls[1].source, {470, 0, 484, 29}));
    // 380: the body, then flames at (12, +-30).
    calls = Draw(380);
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].sheet, S::kE2);
    EXPECT_TRUE(SameRect(calls[1].destination, {297, 200, 327, 260}));
    EXPECT_TRUE(SameRect(calls[2].destination, {297, 140, 327, 200}));
    EXPECT_TRUE(SameRect(calls[1].source, {330, 60, 359, 109}));
    // 397 to 399: the jet first (d = 2: frame 7 gives f = 0), at (37, 0).
    for (const i32 kind : {397, 398, 399}) {
        SCOPED_TRACE(kind);
        calls = Draw(kind);
        ASSERT_EQ(calls.size(), 2u);
        EXPECT_TRUE(SameRect(calls[0].source, {270, 0, 299, 59}));
        EXPECT_TRUE(SameRect(calls[0].destination, {322, 170, 352, 230}));
        EXPECT_TRUE(SameRect(calls[1].destination, {255, 140, 345, 260}));
        EXPECT_EQ(calls[1].source.left, (399 - kind) * 90);
    }
    // The jet at frame 2 (f = 1) and 4 (f = 2).
    EXPECT_EQ(Draw(399, {.frame = 2})[0].source.left, 300);
    EXPECT_EQ(Draw(399, {.frame = 4})[0].source.left, 330);
}

TEST_F(Stage3LooksTest, TheWingsScaleWhileTheirFlamesDoNot) {
    for (const f32 scale : {1.0f, 0.5f, 0.9f}) {
        SCOPED_TRACE(scale);
        const auto calls = Draw(325, {.scale = scale});
        ASSERT_EQ(calls.size(), 2u);
        EXPECT_EQ(calls[0].destination.right - calls[0].destination.left,
                  static_cast<i32>(300.0 + scale * 60.0f) - static_cast<i32>(300.0 - scale * 60.0f));
        // The flame keeps 15 x 25 at (52, 15).
        EXPECT_TRUE(SameRect(calls[1].destination, {337, 190, 367, 240}));
    }
    const auto right = Draw(326);
    EXPECT_TRUE(SameRect(right[1].destination, {337, 160, 367, 210}));
    EXPECT_TRUE(SameRect(right[0].source, {0, 90, 119, 179}));
}

TEST_F(Stage3LooksTest, TheSmallCraftPicksItsCellByRotationAndAge) {
    constexpr f32 kThird = 1.0471976f;
    constexpr f32 kTwoThirds = 2.0943952f;
    struct Case {
        f32 rotation;
        i32 left;
    };
    const Case cases[] = {
        {0.0f, 200},
        {std::nextafter(kThird, 0.0f), 200},
        {kThird, 0},
        {1.5707964f, 0},
        {kTwoThirds, 0},
        {std::nextafter(kTwoThirds, 4.0f), 100},
        {3.1415927f, 100},
        {-1.5707964f, 100},
        {std::nextafter(-1.5707964f, 0.0f), 200},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rotation);
        const auto calls = Draw(335, {.rotation = c.rotation});
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].source.left, c.left);
        EXPECT_EQ(calls[0].source.right, c.left + 99);
        EXPECT_FALSE(calls[0].rotated);
        EXPECT_TRUE(SameRect(calls[0].destination, {250, 160, 350, 240}));
    }
    // The row: top 200 for ages 0-4, 120 for 5-9, 200 again from 10.
    for (const i32 age : {0, 4, 5, 9, 10}) {
        const auto calls = Draw(335, {.age = age});
        const bool first = (age / 5) % 2 == 0;
        EXPECT_EQ(calls[0].source.top, first ? 200 : 120) << age;
        EXPECT_EQ(calls[0].source.bottom, first ? 279 : 199) << age;
    }
}

TEST_F(Stage3LooksTest, TheBuoyLiesOnAnUnshadedRectangleBelowAndLeftOfIt) {
    for (const i32 state : {1, -1}) {
        SCOPED_TRACE(state);
        const auto calls = Draw(338, {.state = state});
        ASSERT_EQ(calls.size(), 2u);
        EXPECT_EQ(calls[0].sheet, S::kB1);
        EXPECT_TRUE(SameRect(calls[0].source, {170, 0, 289, 99}));
        EXPECT_TRUE(SameRect(calls[0].destination, {240, 210, 340, 290}));
        EXPECT_FALSE(calls[0].rotated);
        EXPECT_EQ(calls[0].colour, kLit);
        EXPECT_EQ(calls[1].sheet, S::kE1);
        EXPECT_TRUE(SameRect(calls[1].destination, {260, 150, 340, 250}));
        EXPECT_EQ(calls[1].colour, state == 1 ? kLit : kDim);
    }
}

TEST_F(Stage3LooksTest, PlatesAndBeltsAnimateByTheirTimer) {
    // f = (timer / 2) mod 2: 342 moves right by 80, 348 down by 40.
    for (const i32 timer : {0, 1, 2, 3, 4}) {
        const i32 f = (timer / 2) % 2;
        EXPECT_EQ(Draw(342, {.timer = timer})[0].source.left, 80 * f) << timer;
        EXPECT_EQ(Draw(343, {.timer = timer})[0].source.right, 80 * f + 79) << timer;
        EXPECT_EQ(Draw(348, {.timer = timer})[0].source.top, 100 + 40 * f) << timer;
        EXPECT_EQ(Draw(349, {.timer = timer})[0].source.bottom, 139 + 40 * f) << timer;
    }
}

TEST_F(Stage3LooksTest, ParkedPartsAreHiddenWhileTheirChildrenAreDrawn) {
    for (const i32 kind : {342, 343, 361}) {
        SCOPED_TRACE(kind);
        ResetPlayLists();
        g_calls.clear();
        Build(TableKind({TablePart(351, 10, 0), TablePart(kind, 0, 0, {0})}, {1}), 300, 200);
        Part(1).state = 2;
        DrawEnemyLayer(0);
        ASSERT_EQ(g_calls.size(), 1u);
        EXPECT_TRUE(SameRect(g_calls[0].source, {440, 30, 499, 69}));
        // Destroyed rather than parked, it is drawn with its tint.
        ResetPlayLists();
        g_calls.clear();
        const auto calls = Draw(kind, {.state = -1});
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].colour, kDim);
    }
}

TEST_F(Stage3LooksTest, HittablePartsSwellInEveryOtherFourFrames) {
    struct Case {
        i32 kind;
        i32 hx, hy, swell;
    };
    const Case cases[] = {{309, 40, 30, 1}, {310, 40, 30, 1}, {362, 60, 60, 2},
                          {363, 60, 60, 2}, {364, 45, 65, 1}, {365, 45, 65, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        for (const i32 frame : {0, 3, 4, 7, 8, 11, 12}) {
            const bool swells = (frame / 4) % 2 == 0;
            const i32 hx = c.hx + (swells ? c.swell : 0);
            const i32 hy = c.hy + (swells ? c.swell : 0);
            const auto calls = Draw(c.kind, {.frame = frame});
            EXPECT_TRUE(SameRect(calls[0].destination, {300 - hx, 200 - hy, 300 + hx, 200 + hy})) << frame;
            // Not hittable: always the base size.
            const auto still = Draw(c.kind, {.frame = frame, .state = -1});
            EXPECT_TRUE(SameRect(still[0].destination, {300 - c.hx, 200 - c.hy, 300 + c.hx, 200 + c.hy})) << frame;
        }
    }
}

TEST_F(Stage3LooksTest, TheMidBossHullIsScaledToWholePixelsOverItsBlinkingUnderLayer) {
    // Scale 0.9: 75 x 65 become 67 x 58; the under-layer 27 x 85 at
    // (-13.5, 0). Frame 8: the blink phase 1 shows the under-layer.
    const auto calls = Draw(390, {.scale = 0.9f, .frame = 8});
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_TRUE(SameRect(calls[0].source, {150, 0, 209, 189}));
    EXPECT_TRUE(SameRect(calls[0].destination, {259, 115, 313, 285}));
    EXPECT_TRUE(SameRect(calls[1].destination, {233, 142, 367, 258}));
    EXPECT_TRUE(calls[1].rotated);
    // Its cell row changes every 30 frames; at phase 0 only the hull shows.
    const auto later = Draw(390, {.frame = 32});
    ASSERT_EQ(later.size(), 1u);
    EXPECT_TRUE(SameRect(later[0].source, {0, 130, 149, 259}));
    EXPECT_TRUE(SameRect(Draw(390, {.frame = 64})[0].source, {0, 0, 149, 129}));
}

TEST_F(Stage3LooksTest, TheMidBossBlinksByItsAgeWindows) {
    // Whether the under-layer of 390 (look A), 393 (look A) and 391 (look B)
    // are drawn, by age and frame (b = (frame / 8) mod 2).
    struct Case {
        i32 age, frame;
        bool a, b;
    };
    const Case cases[] = {
        {0, 0, false, true},    {0, 8, true, false},    {4999, 8, true, false}, {5000, 0, true, false},
        {5000, 8, true, false}, {5099, 0, true, false}, {5100, 0, false, true}, {5100, 8, false, true},
        {5999, 8, false, true}, {6000, 0, false, true}, {6000, 8, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "age " << c.age << " frame " << c.frame);
        EXPECT_EQ(Draw(390, {.frame = c.frame, .age = c.age}).size(), c.a ? 2u : 1u);
        EXPECT_EQ(Draw(393, {.frame = c.frame, .age = c.age}).size(), c.a ? 1u : 0u);
        EXPECT_EQ(Draw(394, {.frame = c.frame, .age = c.age}).size(), c.a ? 1u : 0u);
        EXPECT_EQ(Draw(391, {.frame = c.frame, .age = c.age}).size(), c.b ? 1u : 0u);
        EXPECT_EQ(Draw(392, {.frame = c.frame, .age = c.age}).size(), c.b ? 1u : 0u);
    }
    // A blinking look skipped in a frame still has its children drawn.
    ResetPlayLists();
    g_calls.clear();
    Build(TableKind({TablePart(351, 10, 0), TablePart(391, 0, 0, {0})}, {1}), 300, 200);
    g_GameState.FrameCounter = 8;
    DrawEnemyLayer(0);
    ASSERT_EQ(g_calls.size(), 1u);
    EXPECT_TRUE(SameRect(g_calls[0].source, {440, 30, 499, 69}));
}

TEST_F(Stage3LooksTest, TurnedLooksTurnByTheWorldAngle) {
    const auto calls = Draw(341, {.rotation = 0.5f});
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].angle16, RadianToAngle(0.5f));
    // Flat looks ignore every angle.
    const auto flat = Draw(360, {.rotation = 0.5f});
    EXPECT_FALSE(flat[0].rotated);
    EXPECT_TRUE(SameRect(flat[0].destination, {165, 40, 435, 360}));
}

}  // namespace
