// The looks of stage index 0: sheets, source and destination rectangles,
// animation, layers and colours.
#include <vector>

#include "engine/core/angle.h"
#include "game/enemy/enemy_content.h"
#include "tests/game/enemy/enemy_fixture.h"

namespace {

using enemy_test::EnemyFrameTest;
using enemy_test::TableKind;
using enemy_test::TablePart;

std::vector<LookDrawCall> g_calls;
void Observe(const LookDrawCall& call) { g_calls.push_back(call); }

bool SameRect(const Rect& a, const Rect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

class Stage1LooksTest : public EnemyFrameTest {
protected:
    void SetUp() override {
        EnemyFrameTest::SetUp();
        RegisterEnemyLooks(EnemyLooksStage1());
        g_calls.clear();
        SetLookDrawObserver(Observe);
    }
    // One part of the sprite kind at (x, y) with that rotation and scale,
    // drawn at that frame; the calls it made.
    std::vector<LookDrawCall> Draw(i32 kind, f32 x, f32 y, f32 rotation, f32 scale, i32 frame, i32 state = 1) {
        ResetPlayLists();
        g_calls.clear();
        const i32 e = Build(TableKind({TablePart(kind, 0, 0)}, {0}), x, y, rotation, scale);
        Part(0).state = state;
        g_GameState.FrameCounter = frame;
        DrawEnemyLayer(0);
        (void)e;
        return g_calls;
    }
};

// The body of every still or animated one-sprite look at (300, 200), no turn,
// scale 1, FrameCounter 7 (d = 3: f = 2; d = 2: f = 0).
TEST_F(Stage1LooksTest, SingleSpriteLooksDrawTheirCellAtTheirSize) {
    struct Case {
        i32 kind;
        EnemySheet sheet;
        Rect source;
        Rect destination;
    };
    using S = EnemySheet;
    const Case cases[] = {
        {102, S::kE1, {220, 220, 389, 369}, {215, 125, 385, 275}},
        {103, S::kE1, {0, 420, 89, 509}, {255, 155, 345, 245}},  // d = 2: 7 / 2 = 3, f = 0
        {105, S::kE1, {160, 0, 239, 99}, {260, 150, 340, 250}},
        {106, S::kE1, {400, 0, 479, 99}, {250, 140, 350, 260}},
        {110, S::kE1, {0, 220, 219, 419}, {190, 100, 410, 300}},
        {111, S::kE1, {370, 100, 459, 189}, {255, 155, 345, 245}},
        {112, S::kE2, {0, 0, 219, 199}, {190, 100, 410, 300}},
        {121, S::kE1, {270, 370, 349, 479}, {270, 152, 330, 248}},
        {122, S::kE1, {350, 370, 429, 479}, {270, 152, 330, 248}},
        {123, S::kE1, {430, 370, 509, 479}, {270, 152, 330, 248}},
        {151, S::kB1, {0, 0, 299, 359}, {150, 20, 450, 380}},
        {153, S::kB1, {0, 360, 129, 419}, {235, 170, 365, 230}},
        {154, S::kB1, {210, 360, 249, 459}, {280, 150, 320, 250}},
        {155, S::kB1, {250, 400, 509, 509}, {170, 145, 430, 255}},
        {181, S::kE2, {0, 200, 129, 409}, {235, 95, 365, 305}},
        {182, S::kE2, {130, 200, 259, 409}, {235, 95, 365, 305}},
        {183, S::kE2, {220, 0, 309, 149}, {255, 125, 345, 275}},
        {184, S::kE2, {310, 0, 399, 149}, {255, 125, 345, 275}},
        {187, S::kE2, {0, 410, 169, 509}, {215, 150, 385, 250}},
        {188, S::kE2, {170, 410, 239, 459}, {265, 175, 335, 225}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        const auto calls = Draw(c.kind, 300, 200, 0.0f, 1.0f, 7);
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].sheet, c.sheet);
        EXPECT_TRUE(SameRect(calls[0].source, c.source))
            << calls[0].source.left << "," << calls[0].source.top << "," << calls[0].source.right;
        EXPECT_TRUE(SameRect(calls[0].destination, c.destination))
            << calls[0].destination.left << "," << calls[0].destination.top << "," << calls[0].destination.right << ","
            << calls[0].destination.bottom;
        EXPECT_TRUE(calls[0].rotated);
        EXPECT_EQ(calls[0].colour, 0xFFFFFFFFu);
    }
}

TEST_F(Stage1LooksTest, AnimatedLooksChangeFrameTogetherByTheFrameCounter) {
    struct Case {
        i32 kind, frame, left;
    };
    const Case cases[] = {
        {105, 0, 0},  {105, 2, 0},   {105, 3, 80}, {105, 8, 160}, {105, 9, 0},   {103, 1, 0},
        {103, 2, 90}, {103, 4, 180}, {103, 6, 0},  {106, 3, 320}, {111, 6, 370}, {154, 3, 170},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.kind << " at " << c.frame);
        const auto calls = Draw(c.kind, 300, 200, 0.0f, 1.0f, c.frame);
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].source.left, c.left);
    }
}

TEST_F(Stage1LooksTest, AFighterIsDrawnOverItsThreeFlames) {
    // Rotation pi/2: the flame offsets (45, 0), (30, -40), (30, 40) turn to
    // (0, 45), (40, 30), (-40, 30).
    for (const i32 kind : {101, 141}) {
        SCOPED_TRACE(kind);
        const auto calls = Draw(kind, 300, 200, 1.5707964f, 1.0f, 3);
        ASSERT_EQ(calls.size(), 4u);
        const Rect flames[3] = {{285, 220, 315, 270}, {325, 205, 355, 255}, {245, 205, 275, 255}};
        for (int i = 0; i < 3; ++i) {
            EXPECT_TRUE(SameRect(calls[i].source, Rect{130, 100, 159, 149})) << i;
            // Turned by the float pi/2: the edges may land one pixel off the exact values.
            EXPECT_NEAR(calls[i].destination.left, flames[i].left, 1) << i;
            EXPECT_NEAR(calls[i].destination.top, flames[i].top, 1) << i;
            EXPECT_EQ(calls[i].destination.right - calls[i].destination.left, 30) << i;
        }
        EXPECT_TRUE(SameRect(calls[3].source, Rect{0, 100, 99, 219}));
        EXPECT_TRUE(SameRect(calls[3].destination, Rect{250, 140, 350, 260}));
        EXPECT_EQ(calls[3].angle16, RadianToAngle(1.5707964f));
    }
}

TEST_F(Stage1LooksTest, AnUnhittablePartDrawsEverySpriteWithItsTint) {
    for (const i32 kind : {101, 152, 180, 185, 186}) {
        SCOPED_TRACE(kind);
        const auto calls = Draw(kind, 300, 200, 0.0f, 1.0f, 0, -1);
        ASSERT_GE(calls.size(), 2u);
        for (const LookDrawCall& call : calls) EXPECT_EQ(call.colour, 0xFF321414u);
    }
}

TEST_F(Stage1LooksTest, BossBodyAndItsExhaustsScaleWhileTheMidBossExhaustsDoNot) {
    const auto boss = Draw(180, 300, 200, 0.0f, 0.5f, 0);
    ASSERT_EQ(boss.size(), 3u);
    EXPECT_EQ(boss[0].sheet, EnemySheet::kB2);
    EXPECT_TRUE(SameRect(boss[0].destination, Rect{187, 90, 412, 310}));  // 300 -+ 112.5 truncated
    EXPECT_TRUE(SameRect(boss[0].source, Rect{0, 0, 449, 439}));
    // Exhausts at (20, +-71) from the drawn position, half size 7.5 x 17.5.
    EXPECT_EQ(boss[1].sheet, EnemySheet::kB1);
    EXPECT_TRUE(SameRect(boss[1].destination, Rect{312, 253, 327, 288}));
    EXPECT_TRUE(SameRect(boss[2].destination, Rect{312, 111, 327, 146}));
    EXPECT_TRUE(SameRect(boss[1].source, Rect{0, 420, 29, 489}));

    const auto mid = Draw(152, 300, 200, 0.0f, 0.5f, 3);
    ASSERT_EQ(mid.size(), 3u);
    EXPECT_TRUE(SameRect(mid[0].destination, Rect{240, 0, 360, 400}));
    EXPECT_TRUE(SameRect(mid[1].destination, Rect{325, 195, 355, 265}));  // (40, 30), 15 x 35
    EXPECT_TRUE(SameRect(mid[2].destination, Rect{325, 135, 355, 205}));
    EXPECT_EQ(mid[1].source.left, 30);
}

TEST_F(Stage1LooksTest, BossGunsCarryTheirFlameAndExhaust) {
    const auto gun = Draw(185, 300, 200, 0.0f, 1.0f, 6);
    ASSERT_EQ(gun.size(), 2u);
    EXPECT_TRUE(SameRect(gun[0].source, Rect{260, 200, 379, 249}));
    EXPECT_TRUE(SameRect(gun[0].destination, Rect{240, 175, 360, 225}));
    EXPECT_EQ(gun[1].sheet, EnemySheet::kB1);
    EXPECT_TRUE(SameRect(gun[1].source, Rect{210, 360, 249, 459}));  // the flame cell of 154, f = 2
    EXPECT_TRUE(SameRect(gun[1].destination, Rect{328, 150, 368, 250}));

    const auto pod = Draw(186, 300, 200, 0.0f, 1.0f, 0);
    ASSERT_EQ(pod.size(), 2u);
    EXPECT_TRUE(SameRect(pod[0].source, Rect{260, 250, 349, 289}));
    EXPECT_TRUE(SameRect(pod[1].destination, Rect{323, 165, 353, 235}));
}

TEST_F(Stage1LooksTest, KindsWithoutALookInTheStageDrawNothing) {
    for (const i32 kind : {0, 100, 104, 107, 113, 124, 140, 142, 150, 156, 179, 189}) {
        EXPECT_TRUE(Draw(kind, 300, 200, 0.0f, 1.0f, 0).empty()) << kind;
    }
}

}  // namespace
