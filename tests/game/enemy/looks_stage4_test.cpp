// The looks of stage index 3: sheets, cells and rectangles at scales 0.5 and
// 1.0, flames under or over their bodies, the pulsing guns, the colours that
// follow the enemy's scale, and the flat bodies with unturned offsets.
#include <vector>

#include "engine/core/angle.h"
#include "engine/core/radians.h"
#include "game/enemy/enemy_content.h"
#include "tests/game/enemy/enemy_fixture.h"

namespace {

using enemy_test::EnemyFrameTest;
using enemy_test::TableKind;
using enemy_test::TablePart;
using S = EnemySheet;

std::vector<LookDrawCall> g_calls;
void Observe(const LookDrawCall& call) { g_calls.push_back(call); }

bool SameRect(const Rect& a, const Rect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
std::string Show(const Rect& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

class Stage4LooksTest : public EnemyFrameTest {
protected:
    void SetUp() override {
        EnemyFrameTest::SetUp();
        RegisterEnemyLooks(EnemyLooksStage4());
        SetLookDrawObserver(Observe);
    }
    // One part of the sprite kind at (300, 200) with that rotation, scale,
    // timer and state, drawn at that frame; the calls it made.
    std::vector<LookDrawCall> Draw(i32 kind, f32 rotation, f32 scale, i32 frame, i32 state = 1, i32 timer = 0,
                                   f32 angle = 0.0f) {
        ResetPlayLists();
        g_calls.clear();
        Build(TableKind({TablePart(kind, 0, 0, {}, angle)}, {0}), 300, 200, rotation, scale);
        Part(0).state = state;
        Part(0).timer = timer;
        g_GameState.FrameCounter = frame;
        DrawEnemyLayer(0);
        return g_calls;
    }
};

// Every look at (300, 200), no turn, frame 5 (d = 2: f = 2), timer 25 (the
// pulse's cosine is -1 there), at scales 1.0 and 0.5: each sprite's sheet,
// source and destination in drawing order.
TEST_F(Stage4LooksTest, EveryLookDrawsItsSpritesInOrderAtBothScales) {
    struct Sprite {
        S sheet;
        Rect source;
        Rect full;  // scale 1.0
        Rect half;  // scale 0.5
    };
    struct Case {
        i32 kind;
        std::vector<Sprite> sprites;
    };
    const Case cases[] = {
        // clang-format off
        {502, {{S::kE1, {100, 120, 199, 199}, {250, 160, 350, 240}, {275, 180, 325, 220}},
               {S::kE1, {260, 130, 289, 199}, {325, 165, 355, 235}, {313, 183, 327, 217}}}},
        {503, {{S::kE1, {0, 0, 99, 69}, {250, 165, 350, 235}, {275, 183, 325, 217}},
               {S::kE1, {260, 130, 289, 199}, {302, 152, 326, 212}, {301, 176, 313, 206}}}},
        {506, {{S::kE1, {100, 65, 199, 119}, {250, 170, 350, 230}, {275, 185, 325, 215}},
               {S::kE1, {260, 130, 289, 199}, {310, 188, 334, 248}, {305, 194, 317, 224}}}},
        // Flames first, then the body; halves kept in float.
        {507, {{S::kE1, {60, 140, 89, 199}, {320, 205, 350, 265}, {310, 202, 325, 232}},
               {S::kE1, {60, 140, 89, 199}, {320, 135, 350, 195}, {310, 167, 325, 197}},
               {S::kE1, {0, 380, 89, 499}, {255, 140, 345, 260}, {277, 170, 322, 230}}}},
        {529, {{S::kE1, {60, 140, 89, 199}, {320, 205, 350, 265}, {310, 202, 325, 232}},
               {S::kE1, {60, 140, 89, 199}, {320, 135, 350, 195}, {310, 167, 325, 197}},
               {S::kE1, {270, 380, 359, 499}, {255, 140, 345, 260}, {277, 170, 322, 230}}}},
        // The flame strips of 510 and 513 run down the sheet.
        {510, {{S::kE2, {0, 350, 79, 399}, {222, 85, 302, 135}, {261, 143, 301, 167}},
               {S::kE2, {0, 350, 79, 399}, {298, 85, 378, 135}, {299, 143, 339, 167}},
               {S::kE2, {0, 0, 139, 249}, {230, 75, 370, 325}, {265, 138, 335, 262}}}},
        {513, {{S::kE2, {140, 0, 289, 219}, {225, 95, 375, 305}, {263, 148, 337, 252}},
               {S::kE2, {80, 350, 159, 399}, {220, 275, 300, 325}, {260, 238, 300, 262}},
               {S::kE2, {80, 350, 159, 399}, {300, 275, 380, 325}, {300, 238, 340, 262}}}},
        // clang-format on
        // Pulsing at c = -1: 43 - 1 by 60 - 1.5 (511, 512), 50 - 1.2 (514,
        // 515), 85 - 1.2 (517, 519), scaled and then made whole.
        {511, {{S::kE2, {290, 0, 375, 119}, {258, 142, 342, 258}, {279, 171, 321, 229}}}},
        {512, {{S::kE2, {375, 0, 459, 119}, {258, 142, 342, 258}, {279, 171, 321, 229}}}},
        {514, {{S::kE2, {290, 120, 375, 219}, {258, 152, 342, 248}, {279, 176, 321, 224}}}},
        {515, {{S::kE2, {375, 120, 459, 219}, {258, 152, 342, 248}, {279, 176, 321, 224}}}},
        {517, {{S::kE3, {220, 0, 389, 169}, {217, 117, 383, 283}, {259, 159, 341, 241}}}},
        {519, {{S::kE3, {220, 170, 389, 339}, {217, 117, 383, 283}, {259, 159, 341, 241}}}},
        // clang-format off
        {516, {{S::kE3, {380, 340, 459, 419}, {215, 85, 295, 165}, {257, 142, 297, 182}},
               {S::kE3, {380, 340, 459, 419}, {162, 127, 242, 207}, {231, 163, 271, 203}},
               {S::kE3, {0, 0, 219, 219}, {195, 95, 405, 305}, {248, 148, 352, 252}}}},
        {518, {{S::kE3, {380, 420, 459, 499}, {305, 85, 385, 165}, {302, 142, 342, 182}},
               {S::kE3, {380, 420, 459, 499}, {358, 127, 438, 207}, {329, 163, 369, 203}},
               {S::kE3, {0, 220, 219, 439}, {195, 95, 405, 305}, {248, 148, 352, 252}}}},
        // 530 keeps its size and its flame's place at every scale.
        {530, {{S::kE3, {390, 0, 469, 99}, {260, 150, 340, 250}, {260, 150, 340, 250}},
               {S::kE3, {430, 100, 449, 149}, {320, 175, 340, 225}, {320, 175, 340, 225}}}},
        {531, {{S::kE1, {160, 200, 279, 379}, {240, 110, 360, 290}, {270, 155, 330, 245}}}},
        {532, {{S::kE1, {0, 200, 159, 379}, {220, 110, 380, 290}, {260, 155, 340, 245}}}},
        {533, {{S::kE1, {270, 0, 329, 39}, {270, 180, 330, 220}, {285, 190, 315, 210}},
               {S::kE3, {430, 100, 449, 149}, {310, 175, 330, 225}, {305, 188, 315, 212}}}},
        {535, {{S::kE1, {330, 0, 449, 199}, {240, 100, 360, 300}, {270, 150, 330, 250}},
               {S::kE1, {260, 70, 289, 129}, {341, 170, 371, 230}, {321, 185, 335, 215}}}},
        {536, {{S::kE1, {370, 290, 499, 499}, {225, 95, 375, 305}, {263, 148, 337, 252}},
               {S::kE1, {260, 70, 289, 129}, {352, 119, 382, 179}, {326, 159, 340, 189}},
               {S::kE1, {260, 70, 289, 129}, {352, 221, 382, 281}, {326, 210, 340, 240}}}},
        {590, {{S::kB1, {0, 0, 459, 459}, {70, -30, 530, 430}, {185, 85, 415, 315}}}},
        // 591 and 592: trunc(115 s + 3c) by trunc(60 s + 1.5c).
        {591, {{S::kB2, {0, 0, 229, 119}, {188, 142, 412, 258}, {246, 172, 354, 228}}}},
        {592, {{S::kB2, {0, 120, 229, 239}, {188, 142, 412, 258}, {246, 172, 354, 228}}}},
        {593, {{S::kB2, {230, 70, 349, 189}, {240, 140, 360, 260}, {270, 170, 330, 230}},
               {S::kB2, {340, 240, 509, 409}, {205, 115, 375, 285}, {252, 157, 337, 242}}}},
        // clang-format on
        {594, {{S::kB2, {230, 0, 429, 69}, {200, 165, 400, 235}, {250, 182, 350, 217}}}},
    };
    for (const Case& c : cases) {
        for (const bool half : {false, true}) {
            SCOPED_TRACE(testing::Message() << c.kind << (half ? " at 0.5" : " at 1.0"));
            const auto calls = Draw(c.kind, 0.0f, half ? 0.5f : 1.0f, 5, 1, 25);
            ASSERT_EQ(calls.size(), c.sprites.size());
            for (std::size_t i = 0; i < calls.size(); ++i) {
                SCOPED_TRACE(i);
                const Sprite& w = c.sprites[i];
                EXPECT_EQ(calls[i].sheet, w.sheet);
                EXPECT_TRUE(SameRect(calls[i].source, w.source)) << Show(calls[i].source);
                const Rect& want = half ? w.half : w.full;
                EXPECT_TRUE(SameRect(calls[i].destination, want)) << Show(calls[i].destination);
            }
        }
    }
}

// The pulse: c = cos(2 pi 0.02 (t mod 100)), 1 at t 0 and 50, -1 at 25 and 75,
// swings the guns' half sizes; the swing of 591 and 592 is not scaled.
TEST_F(Stage4LooksTest, PulsingGunsBreatheWithTheirOwnTimer) {
    struct Case {
        i32 kind, timer;
        f32 scale;
        i32 hx, hy;
    };
    const Case cases[] = {
        {511, 0, 1.0f, 44, 61},  {511, 50, 1.0f, 44, 61}, {511, 75, 1.0f, 42, 58}, {511, 0, 0.5f, 22, 30},
        {514, 0, 1.0f, 44, 51},  {514, 25, 1.0f, 42, 48}, {514, 75, 1.0f, 42, 48}, {517, 0, 1.0f, 86, 86},
        {517, 75, 0.5f, 41, 41}, {519, 0, 0.5f, 43, 43},  {591, 0, 1.0f, 118, 61}, {591, 75, 1.0f, 112, 58},
        {591, 0, 0.5f, 60, 31},  {591, 75, 0.5f, 54, 28}, {592, 0, 0.5f, 60, 31},  {592, 175, 1.0f, 112, 58},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.kind << " t " << c.timer << " s " << c.scale);
        const auto calls = Draw(c.kind, 0.0f, c.scale, 0, 1, c.timer);
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(300 - calls[0].destination.left, c.hx);
        EXPECT_EQ(calls[0].destination.right - 300, c.hx);
        EXPECT_EQ(200 - calls[0].destination.top, c.hy);
        EXPECT_EQ(calls[0].destination.bottom - 200, c.hy);
    }
}

// Shade: grey trunc(255 s) below 1.0 while hittable; shade below 0.5: the
// same below 0.5 only; the boss: 0xFF969696 below 0.8 whatever its state.
TEST_F(Stage4LooksTest, ColoursFollowTheScaleByEachLooksRule) {
    struct Case {
        i32 kind;
        f32 scale;
        i32 state;
        u32 colour;
    };
    const Case cases[] = {
        {502, 0.5f, 1, 0xFF7F7F7Fu},  {502, 1.0f, 1, 0xFFFFFFFFu},  {502, 1.2f, 1, 0xFFFFFFFFu},
        {502, 0.5f, -1, 0xFF321414u}, {506, 0.99f, 1, 0xFFFCFCFCu}, {533, 0.8f, 1, 0xFFCCCCCCu},
        {531, 0.1f, 1, 0xFF191919u},  {535, 0.49f, 1, 0xFF7C7C7Cu}, {535, 0.5f, 1, 0xFFFFFFFFu},
        {536, 0.85f, 1, 0xFFFFFFFFu}, {536, 0.3f, -1, 0xFF321414u}, {590, 0.7f, 1, 0xFF969696u},
        {590, 0.7f, -1, 0xFF969696u}, {590, 0.8f, -1, 0xFF321414u}, {590, 0.8f, 1, 0xFFFFFFFFu},
        {593, 0.1f, 1, 0xFF969696u},  {530, 0.5f, 1, 0xFFFFFFFFu},  {529, 0.8f, 1, 0xFFFFFFFFu},
        {510, 0.5f, 2, 0xFF321414u},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.kind << " s " << c.scale << " state " << c.state);
        const auto calls = Draw(c.kind, 0.0f, c.scale, 0, c.state);
        ASSERT_FALSE(calls.empty());
        for (const LookDrawCall& call : calls) EXPECT_EQ(call.colour, c.colour);
    }
}

// A part with an angle of its own: its body and flame turn by the world
// angle, but the flame's offset turns by the parent angle only.
TEST_F(Stage4LooksTest, FlamesArePlacedByTheParentAngleAndTurnedByTheWorldAngle) {
    auto calls = Draw(502, 0.0f, 0.5f, 0, 1, 0, kHalfPi);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].colour, 0xFF7F7F7Fu);
    EXPECT_TRUE(SameRect(calls[0].destination, Rect{275, 180, 325, 220}));
    EXPECT_TRUE(SameRect(calls[1].destination, Rect{313, 183, 327, 217})) << Show(calls[1].destination);
    EXPECT_EQ(calls[1].angle16, RadianToAngle(kHalfPi));
    // Turned by the parent instead: the flame sits 20 pixels below.
    calls = Draw(502, kHalfPi, 0.5f, 0);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_NEAR(calls[1].destination.left, 293, 1);
    EXPECT_NEAR(calls[1].destination.top, 203, 1);
    EXPECT_EQ(calls[1].angle16, RadianToAngle(kHalfPi));
}

// Kinds 516 to 519 are drawn flat; their flames keep their unturned offsets
// whatever the parent angle, and a 517 or 519 part sits at its scaled offset
// unturned below the body.
TEST_F(Stage4LooksTest, FlatBodiesIgnoreEveryAngle) {
    for (const f32 rotation : {0.0f, kHalfPi, 2.5f}) {
        SCOPED_TRACE(rotation);
        const auto calls = Draw(518, rotation, 1.0f, 5);
        ASSERT_EQ(calls.size(), 3u);
        EXPECT_TRUE(SameRect(calls[0].destination, Rect{305, 85, 385, 165}));
        EXPECT_TRUE(SameRect(calls[1].destination, Rect{358, 127, 438, 207}));
        for (const LookDrawCall& call : calls) EXPECT_FALSE(call.rotated);
    }
    // Kind 12's tree: the gun (root 0, offset (0, 10) halved, timer 0:
    // trunc(86.2 x 0.5) = 43) 5 pixels below the turned enemy, then the body.
    ResetPlayLists();
    g_calls.clear();
    Build(TableKind({TablePart(516, 0, 0), TablePart(517, 0, 10)}, {1, 0}), 300, 200, kHalfPi, 0.5f);
    DrawEnemyLayer(0);
    ASSERT_EQ(g_calls.size(), 4u);
    EXPECT_TRUE(SameRect(g_calls[0].destination, Rect{257, 162, 343, 248})) << Show(g_calls[0].destination);
    EXPECT_TRUE(SameRect(g_calls[3].destination, Rect{248, 148, 352, 252}));
}

TEST_F(Stage4LooksTest, AnimatedLayersChangeFrameEverySecondFrame) {
    struct Case {
        i32 kind, frame;
        std::size_t sprite;
        i32 left, top;
    };
    const Case cases[] = {
        {502, 0, 1, 200, 130}, {502, 1, 1, 200, 130}, {502, 2, 1, 230, 130}, {502, 4, 1, 260, 130},
        {502, 6, 1, 200, 130}, {510, 2, 0, 0, 300},   {513, 4, 1, 80, 350},  {516, 3, 0, 300, 340},
        {530, 2, 1, 410, 100}, {593, 4, 1, 340, 240}, {593, 0, 1, 0, 240},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.kind << " at " << c.frame);
        const auto calls = Draw(c.kind, 0.0f, 1.0f, c.frame);
        ASSERT_GT(calls.size(), c.sprite);
        EXPECT_EQ(calls[c.sprite].source.left, c.left);
        EXPECT_EQ(calls[c.sprite].source.top, c.top);
    }
}

TEST_F(Stage4LooksTest, KindsWithoutALookInTheStageDrawNothing) {
    for (const i32 kind : {0, 501, 508, 509, 520, 528, 534, 537, 589, 595, 105}) {
        EXPECT_TRUE(Draw(kind, 0.0f, 1.0f, 0).empty()) << kind;
    }
}

}  // namespace
