// The looks of stage index 4: the calls each look makes, in order (sheet,
// source and destination rectangles, turn and colour), their animation,
// pulsing and scale rules, kind 403's haze, kind 481's facing frames, the
// castle's ring and the core's sliding layers.
#include <cmath>
#include <string>
#include <vector>

#include "engine/core/angle.h"
#include "game/enemy/enemy_content.h"
#include "tests/game/enemy/enemy_fixture.h"

namespace {

using enemy_test::EnemyFrameTest;
using enemy_test::TableKind;
using enemy_test::TablePart;
using S = EnemySheet;

constexpr f32 kHalfPiF = 1.5707964f;
constexpr u32 kWhite = 0xFFFFFFFFu;
constexpr u32 kTint = 0xFF321414u;
constexpr u32 kGrey = 0xFF969696u;

std::vector<LookDrawCall> g_calls;
void Observe(const LookDrawCall& call) { g_calls.push_back(call); }

bool SameRect(const Rect& a, const Rect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string Show(const Rect& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

// One expected call: sheet, source, destination, turned or flat, colour.
struct Call {
    S sheet;
    Rect source;
    Rect destination;
    bool rotated = true;
    u32 colour = kWhite;
};

// How one part is drawn.
struct Pose {
    f32 x = 300, y = 200;
    f32 rotation = 0;
    f32 scale = 1;
    i32 frame = 7;
    i32 state = 1;
    i32 timer = 0;
    f32 angle = 0;    // the part's own angle
    f32 offsetY = 0;  // the part's offset y
};

class Stage5LooksTest : public EnemyFrameTest {
protected:
    void SetUp() override {
        EnemyFrameTest::SetUp();
        RegisterEnemyLooks(EnemyLooksStage5());
        g_calls.clear();
        SetLookDrawObserver(Observe);
    }
    std::vector<LookDrawCall> Draw(i32 kind, const Pose& pose = {}) {
        ResetPlayLists();
        g_calls.clear();
        Build(TableKind({TablePart(kind, 0, pose.offsetY, {}, pose.angle)}, {0}), pose.x, pose.y, pose.rotation,
              pose.scale);
        Part(0).state = pose.state;
        Part(0).timer = pose.timer;
        g_GameState.FrameCounter = pose.frame;
        DrawEnemyLayer(0);
        return g_calls;
    }
    static void Expect(const std::vector<LookDrawCall>& calls, const std::vector<Call>& expected) {
        ASSERT_EQ(calls.size(), expected.size());
        for (std::size_t i = 0; i < expected.size(); ++i) {
            SCOPED_TRACE(testing::Message() << "call " << i);
            EXPECT_EQ(calls[i].sheet, expected[i].sheet);
            EXPECT_TRUE(SameRect(calls[i].source, expected[i].source)) << Show(calls[i].source);
            EXPECT_TRUE(SameRect(calls[i].destination, expected[i].destination)) << Show(calls[i].destination);
            EXPECT_EQ(calls[i].rotated, expected[i].rotated);
            EXPECT_EQ(calls[i].colour, expected[i].colour) << std::hex << calls[i].colour;
        }
    }
};

// Every look at (300, 200), no turn, scale 1, FrameCounter 7 (d = 3: f = 2;
// d = 2: f = 0; d = 10: f = 0), part timer 0: its calls in drawing order.
TEST_F(Stage5LooksTest, EachLookDrawsItsSpritesInOrder) {
    struct Case {
        i32 kind;
        std::vector<Call> calls;
    };
    const u32 pale = 0xFFC8C8C8u;
    const u32 paleGreen = 0xFFC8FFC8u;
    const u32 paleRed = 0xFFFFC8C8u;
    const Case cases[] = {
        // Ordinary enemies.
        {401,
         {{S::kB1, {340, 340, 509, 509}, {220, 160, 380, 320}},
          {S::kE1, {0, 0, 149, 159}, {225, 120, 375, 280}, false}}},
        {402,
         {{S::kE1, {320, 160, 399, 259}, {260, 150, 340, 250}},
          {S::kE1, {230, 480, 244, 509}, {313, 211, 328, 241}},
          {S::kE1, {230, 480, 244, 509}, {313, 159, 328, 189}}}},
        {405, {{S::kE4, {0, 350, 89, 469}, {255, 140, 345, 260}}, {S::kE4, {90, 350, 109, 409}, {335, 170, 355, 230}}}},
        {410,
         {{S::kE4, {390, 170, 449, 249}, {195, 190, 255, 270}},
          {S::kE4, {390, 170, 449, 249}, {195, 130, 255, 210}},
          {S::kE4, {0, 0, 269, 189}, {170, 115, 430, 285}}}},
        {411, {{S::kE4, {270, 0, 399, 169}, {234, 113, 366, 287}}}},
        // clang-format off
        {412, {{S::kE4, {400, 0, 469, 69}, {265, 165, 335, 235}}, {S::kE4, {180, 190, 269, 289}, {235, 150, 325, 250}}}},
        {413, {{S::kE4, {0, 290, 119, 349}, {240, 170, 360, 230}}}},
        {415, {{S::kE4, {150, 290, 289, 489}, {230, 100, 370, 300}}}},
        {416, {{S::kE4, {290, 290, 379, 349}, {254, 169, 346, 230}}, {S::kE4, {370, 350, 409, 429}, {315, 160, 355, 240}}}},
        // clang-format on
        {417, {{S::kE4, {290, 430, 389, 469}, {250, 180, 350, 220}}}},
        {430,
         {{S::kE1, {0, 160, 79, 259}, {284, 180, 316, 220}, true, pale},
          {S::kE1, {275, 480, 289, 509}, {306, 205, 311, 215}, true, paleRed},
          {S::kE1, {275, 480, 289, 509}, {306, 185, 311, 195}, true, paleRed}}},
        {431,
         {{S::kE1, {80, 160, 159, 259}, {284, 180, 316, 220}, true, paleGreen},
          {S::kE1, {275, 480, 289, 509}, {312, 192, 317, 208}, true, paleGreen}}},
        {432,
         {{S::kE1, {80, 160, 159, 259}, {284, 180, 316, 220}, true, pale},
          {S::kE1, {275, 480, 289, 509}, {312, 192, 317, 208}, true, paleRed}}},
        {433,
         {{S::kE1, {0, 160, 79, 259}, {284, 180, 316, 220}, true, pale},
          {S::kE1, {275, 480, 289, 509}, {306, 205, 311, 215}, true, paleRed},
          {S::kE1, {275, 480, 289, 509}, {306, 185, 311, 195}, true, paleRed}}},
        {434,
         {{S::kE1, {160, 160, 239, 259}, {284, 180, 316, 220}, true, pale},
          {S::kE1, {275, 480, 289, 509}, {312, 192, 317, 208}, true, paleRed}}},
        {435,
         {{S::kE1, {240, 160, 319, 259}, {284, 180, 316, 220}, true, pale},
          {S::kE1, {275, 480, 289, 509}, {306, 205, 311, 215}, true, paleRed},
          {S::kE1, {275, 480, 289, 509}, {306, 185, 311, 195}, true, paleRed}}},
        {437, {{S::kE1, {150, 0, 509, 159}, {120, 120, 480, 280}, false}}},
        {460, {{S::kE3, {270, 0, 299, 59}, {322, 170, 352, 230}}, {S::kE3, {0, 0, 89, 119}, {255, 140, 345, 260}}}},
        {461, {{S::kE3, {270, 0, 299, 59}, {322, 170, 352, 230}}, {S::kE3, {90, 0, 179, 119}, {255, 140, 345, 260}}}},
        {462, {{S::kE3, {270, 0, 299, 59}, {322, 170, 352, 230}}, {S::kE3, {180, 0, 269, 119}, {255, 140, 345, 260}}}},
        {463,
         {{S::kE3, {360, 0, 399, 59}, {325, 234, 355, 294}},
          {S::kE3, {360, 0, 399, 59}, {325, 106, 355, 166}},
          {S::kE3, {360, 0, 399, 59}, {310, 214, 340, 274}},
          {S::kE3, {360, 0, 399, 59}, {310, 126, 340, 186}},
          {S::kE3, {0, 240, 159, 419}, {220, 110, 380, 290}}}},
        {464,
         {{S::kE3, {270, 0, 299, 59}, {320, 205, 350, 265}},
          {S::kE3, {270, 0, 299, 59}, {320, 135, 350, 195}},
          {S::kE3, {0, 120, 89, 239}, {255, 140, 345, 260}}}},
        {465,
         {{S::kE3, {270, 0, 299, 59}, {320, 205, 350, 265}},
          {S::kE3, {270, 0, 299, 59}, {320, 135, 350, 195}},
          {S::kE3, {90, 120, 179, 239}, {255, 140, 345, 260}}}},
        {466,
         {{S::kE3, {270, 0, 299, 59}, {320, 205, 350, 265}},
          {S::kE3, {270, 0, 299, 59}, {320, 135, 350, 195}},
          {S::kE3, {180, 120, 269, 239}, {255, 140, 345, 260}}}},
        {467,
         {{S::kE5, {400, 90, 509, 289}, {245, 110, 355, 290}, false},
          {S::kE5, {80, 420, 119, 499}, {313, 240, 353, 320}},
          {S::kE5, {80, 420, 119, 499}, {247, 240, 287, 320}}}},
        {480,
         {{S::kE5, {0, 180, 99, 299}, {250, 140, 350, 260}, false},
          {S::kE5, {0, 300, 139, 419}, {230, 90, 370, 210}, false}}},
        {481, {{S::kE5, {360, 0, 449, 89}, {250, 150, 350, 250}}}},
        {482, {{S::kE3, {160, 390, 229, 499}, {270, 155, 330, 245}}}},
        {483, {{S::kE3, {230, 390, 299, 499}, {270, 155, 330, 245}}}},
        {484, {{S::kE3, {300, 390, 369, 499}, {270, 155, 330, 245}}}},
        {499, {{S::kE3, {270, 280, 429, 389}, {260, 172, 340, 228}}}},
        // The gate boss.
        // clang-format off
        {438, {{S::kE2, {200, 280, 309, 319}, {245, 180, 355, 220}}, {S::kE2, {240, 360, 269, 429}, {330, 165, 360, 235}}}},
        {439, {{S::kE2, {200, 320, 309, 359}, {245, 180, 355, 220}}, {S::kE2, {240, 360, 269, 429}, {330, 165, 360, 235}}}},
        {441, {{S::kE2, {0, 0, 339, 279}, {130, 60, 470, 340}}}},
        {442, {{S::kE2, {340, 160, 459, 319}, {240, 120, 360, 280}}}},
        {443, {{S::kE2, {340, 0, 459, 159}, {240, 120, 360, 280}}}},
        {444, {{S::kE2, {330, 360, 379, 449}, {225, 155, 275, 245}}, {S::kE2, {0, 360, 119, 479}, {240, 140, 360, 260}}}},
        {445, {{S::kE2, {330, 360, 379, 449}, {225, 155, 275, 245}}, {S::kE2, {120, 360, 239, 479}, {240, 140, 360, 260}}}},
        {446, {{S::kE2, {0, 280, 119, 319}, {240, 180, 360, 220}}, {S::kE2, {240, 360, 269, 429}, {340, 165, 370, 235}}}},
        {447, {{S::kE2, {0, 320, 119, 359}, {240, 180, 360, 220}}, {S::kE2, {240, 360, 269, 429}, {340, 165, 370, 235}}}},
        {448, {{S::kE2, {120, 280, 199, 319}, {260, 180, 340, 220}}, {S::kE2, {240, 360, 269, 429}, {320, 165, 350, 235}}}},
        {449, {{S::kE2, {120, 320, 199, 359}, {260, 180, 340, 220}}, {S::kE2, {240, 360, 269, 429}, {320, 165, 350, 235}}}},
        // The wheel.
        {451, {{S::kB1, {0, 340, 169, 509}, {215, 155, 385, 325}}, {S::kE1, {200, 280, 399, 479}, {200, 100, 400, 300}, false}}},
        // clang-format on
        {452, {{S::kB1, {340, 120, 469, 279}, {235, 120, 365, 280}, false}}},
        {453,
         {{S::kB1, {0, 340, 169, 509}, {140, 160, 280, 300}},
          {S::kB1, {0, 340, 169, 509}, {320, 160, 460, 300}},
          {S::kB1, {0, 340, 169, 509}, {230, 280, 370, 420}},
          {S::kB1, {0, 0, 339, 339}, {130, 30, 470, 370}, false}}},
        {454, {{S::kB1, {340, 0, 479, 119}, {230, 140, 370, 260}, false}}},
        {455, {{S::kE1, {0, 280, 199, 509}, {200, 85, 400, 315}, false}}},
        // The last boss.
        {490,
         {{S::kB2, {380, 260, 409, 379}, {420, 140, 450, 260}}, {S::kB2, {100, 0, 379, 359}, {160, 20, 440, 380}}}},
        {491, {{S::kB2, {0, 0, 99, 359}, {250, 20, 350, 380}}}},
        {492, {{S::kB2, {380, 0, 499, 179}, {240, 110, 360, 290}}}},
        {493, {{S::kB2, {380, 180, 439, 259}, {270, 160, 330, 240}}}},
        {494, {{S::kB2, {440, 180, 499, 259}, {270, 160, 330, 240}}}},
        {495, {{S::kB2, {0, 360, 179, 439}, {207, 158, 393, 242}}}},
        {496, {{S::kB2, {180, 360, 359, 439}, {207, 158, 393, 242}}}},
        {497, {{S::kB2, {0, 440, 149, 509}, {225, 165, 375, 235}}}},
        // The castle pieces and the fortress.
        {1002, {{S::kE7, {0, 0, 299, 299}, {150, 50, 450, 350}}}},
        {1003, {{S::kE9, {0, 0, 319, 319}, {140, 40, 460, 360}}}},
        {1004, {{S::kE8, {0, 0, 279, 279}, {160, 60, 440, 340}}}},
        {1005, {{S::kE7, {300, 0, 439, 139}, {230, 130, 370, 270}}}},
        {1006, {{S::kE7, {300, 140, 399, 239}, {250, 150, 350, 250}}}},
        {1007, {{S::kE6, {800, 0, 999, 199}, {200, 100, 400, 300}}}},
        {1008, {{S::kE6, {800, 200, 949, 349}, {225, 125, 375, 275}}}},
        {1009,
         {{S::kE6, {810, 670, 969, 809}, {220, 130, 380, 270}},
          {S::kE6, {800, 530, 999, 669}, {200, 130, 400, 270}},
          {S::kE6, {800, 350, 999, 529}, {200, 110, 400, 290}}}},
        {1201,
         {{S::kE7, {0, 300, 99, 479}, {250, 110, 350, 290}},
          {S::kE7, {160, 430, 189, 489}, {333, 204, 353, 254}},
          {S::kE7, {160, 430, 189, 489}, {333, 234, 353, 284}},
          {S::kE7, {160, 430, 189, 489}, {333, 146, 353, 196}},
          {S::kE7, {160, 430, 189, 489}, {333, 116, 353, 166}}}},
        {1202, {{S::kE7, {100, 300, 179, 369}, {260, 165, 340, 235}}}},
        {1203, {{S::kE7, {100, 370, 219, 429}, {240, 170, 360, 230}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        Expect(Draw(c.kind), c.calls);
    }
}

TEST_F(Stage5LooksTest, KindsWithoutALookDrawNothing) {
    for (const i32 kind : {0,   400, 404, 406, 409, 414, 418, 429,  436,  440,  450, 456,
                           459, 468, 479, 485, 489, 498, 500, 1000, 1010, 1200, 1204}) {
        EXPECT_TRUE(Draw(kind).empty()) << kind;
    }
}

// Unhittable parts take their tint on every sprite; the gate boss's plates
// and the last boss take 0xFF645050, the blasts of 401, 451 and 453
// 0xFF643232; the last boss's flame keeps 0xFF321414.
TEST_F(Stage5LooksTest, UnhittablePartsTakeTheirTints) {
    struct Case {
        i32 kind;
        std::vector<u32> colours;
    };
    const u32 grey = 0xFF645050u;
    const u32 red = 0xFF643232u;
    const Case cases[] = {
        // clang-format off
        {401, {red, kTint}},          {402, {kTint, kTint, kTint}},        {430, {kTint, kTint, kTint}},
        {431, {kTint, kTint}},        {438, {kTint, kTint}},               {444, {kTint, kTint}},
        {446, {grey, grey}},          {449, {grey, grey}},                 {451, {red, kTint}},
        {453, {red, red, red, kTint}}, {490, {kTint, grey}},               {497, {grey}},
        {1201, {kTint, kTint, kTint, kTint, kTint}}, {1009, {kTint, kTint, kTint}}, {481, {kTint}},
        // clang-format on
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        Pose pose;
        pose.state = -1;
        const auto calls = Draw(c.kind, pose);
        ASSERT_EQ(calls.size(), c.colours.size());
        for (std::size_t i = 0; i < calls.size(); ++i) EXPECT_EQ(calls[i].colour, c.colours[i]) << i;
    }
}

// Grey below 0.8: the castle pieces (ring tiles included) and the last boss;
// kind 490's flame and kind 480's layer keep the state rule; the fortress
// ignores the scale.
TEST_F(Stage5LooksTest, GreyBelowScaleEightTenths) {
    struct Case {
        i32 kind;
        f32 scale;
        i32 state;
        std::vector<u32> colours;
    };
    const u32 grey = 0xFF645050u;
    const Case cases[] = {
        // clang-format off
        {1002, 0.79f, 1, {kGrey}},  {1002, 0.79f, -1, {kGrey}}, {1002, 0.8f, 1, {kWhite}}, {1002, 0.8f, -1, {kTint}},
        {1009, 0.79f, 1, {kGrey, kGrey, kGrey}}, {1009, 0.8f, -1, {kTint, kTint, kTint}},
        {490, 0.2f, 1, {kWhite, kGrey}},        {490, 0.2f, -1, {kTint, kGrey}},
        {490, 0.8f, -1, {kTint, grey}},         {495, 0.5f, -1, {kGrey}},
        {480, 0.5f, 1, {kGrey, kWhite}},        {480, 0.5f, -1, {kGrey, kTint}},
        {405, 0.5f, -1, {kGrey, kGrey}},        {1201, 0.5f, 1, {kWhite, kWhite, kWhite, kWhite, kWhite}},
        {1201, 0.5f, -1, {kTint, kTint, kTint, kTint, kTint}}, {441, 0.5f, 1, {kWhite}},
        // clang-format on
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.kind << " at " << c.scale << " state " << c.state);
        Pose pose;
        pose.scale = c.scale;
        pose.state = c.state;
        const auto calls = Draw(c.kind, pose);
        ASSERT_EQ(calls.size(), c.colours.size());
        for (std::size_t i = 0; i < calls.size(); ++i) EXPECT_EQ(calls[i].colour, c.colours[i]) << i;
    }
    // The ring: all 33 sprites grey below 0.8, the tint on an unhittable keep from 0.8 up.
    Pose pose;
    pose.scale = 0.79f;
    for (const LookDrawCall& call : Draw(1001, pose)) EXPECT_EQ(call.colour, kGrey);
    pose.scale = 0.8f;
    pose.state = -1;
    for (const LookDrawCall& call : Draw(1001, pose)) EXPECT_EQ(call.colour, kTint);
}

// Kind 403 below scale 0.8: flames grey, their haze, the body grey, its haze;
// the haze is white with alpha 50 + FrameCounter / 80, at most 150.
TEST_F(Stage5LooksTest, TheHazeOfKind403ShowsOnlyBelowEightTenths) {
    struct Case {
        i32 frame;
        u32 haze;
    };
    const Case cases[] = {{0, 0x32FFFFFFu},    {79, 0x32FFFFFFu},   {80, 0x33FFFFFFu},   {4000, 0x64FFFFFFu},
                          {7999, 0x95FFFFFFu}, {8000, 0x96FFFFFFu}, {20000, 0x96FFFFFFu}};
    for (const Case& c : cases) {
        for (const i32 state : {1, -1}) {
            SCOPED_TRACE(testing::Message() << "frame " << c.frame << " state " << state);
            Pose pose;
            pose.scale = 0.5f;
            pose.frame = c.frame;
            pose.state = state;
            const auto calls = Draw(403, pose);
            ASSERT_EQ(calls.size(), 6u);
            const S sheets[6] = {S::kE1, S::kE1, S::kE3, S::kE3, S::kE1, S::kE3};
            const u32 colours[6] = {kGrey, kGrey, c.haze, c.haze, kGrey, c.haze};
            for (int i = 0; i < 6; ++i) {
                EXPECT_EQ(calls[i].sheet, sheets[i]) << i;
                EXPECT_EQ(calls[i].colour, colours[i]) << i;
            }
        }
    }
    // Places at scale 0.5, FrameCounter 2 (d = 2: f = 1): the flames at
    // (14, 17.5) and (15, -17.5), their haze on the same spots, 7.5 x 15.
    Pose pose;
    pose.scale = 0.5f;
    pose.frame = 2;
    Expect(Draw(403, pose), {
                                {S::kE1, {430, 405, 459, 464}, {306, 202, 321, 232}, true, kGrey},
                                {S::kE1, {430, 405, 459, 464}, {307, 167, 322, 197}, true, kGrey},
                                {S::kE3, {30, 420, 59, 479}, {306, 202, 321, 232}, true, 0x32FFFFFFu},
                                {S::kE3, {30, 420, 59, 479}, {307, 167, 322, 197}, true, 0x32FFFFFFu},
                                {S::kE1, {400, 160, 499, 279}, {277, 170, 322, 230}, true, kGrey},
                                {S::kE3, {160, 240, 259, 359}, {277, 170, 322, 230}, true, 0x32FFFFFFu},
                            });
    // From 0.8 up: no haze, the state rule.
    pose.scale = 0.8f;
    pose.state = -1;
    const auto calls = Draw(403, pose);
    ASSERT_EQ(calls.size(), 3u);
    for (const LookDrawCall& call : calls) {
        EXPECT_EQ(call.sheet, S::kE1);
        EXPECT_EQ(call.colour, kTint);
    }
}

TEST_F(Stage5LooksTest, PulsingSizesFollowThePartTimer) {
    struct Case {
        i32 kind, timer;
        f32 scale;
        Rect destination;
    };
    const Case cases[] = {
        // clang-format off
        {411, 0, 1.0f, {234, 113, 366, 287}},   // 66 x 87
        {411, 25, 1.0f, {236, 117, 364, 283}},  // 64 x 83
        {411, 50, 1.0f, {234, 113, 366, 287}},  // m = 50: back to the start
        {411, 0, 0.5f, {267, 156, 333, 243}},   // 33 x 43.5
        {416, 0, 1.0f, {254, 169, 346, 230}},   // 46 x 30.5
        {416, 25, 1.0f, {256, 170, 344, 229}},  // 44 x 29.5
        {416, 50, 1.0f, {254, 169, 346, 230}},
        {495, 0, 1.0f, {207, 158, 393, 242}},   // 93 x 42
        {495, 25, 1.0f, {213, 162, 387, 238}},  // 87 x 38
        {496, 50, 1.0f, {207, 158, 393, 242}},
        {495, 0, 0.2f, {281, 191, 318, 208}},   // 18.6 x 8.4
        // clang-format on
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.kind << " timer " << c.timer << " scale " << c.scale);
        Pose pose;
        pose.timer = c.timer;
        pose.scale = c.scale;
        const auto calls = Draw(c.kind, pose);
        ASSERT_GE(calls.size(), 1u);
        EXPECT_TRUE(SameRect(calls[0].destination, c.destination)) << Show(calls[0].destination);
    }
}

TEST_F(Stage5LooksTest, AnimatedLooksStepTheirCells) {
    struct Case {
        i32 kind, frame;
        std::size_t call;
        Rect source;
    };
    const Case cases[] = {
        {499, 0, 0, {270, 60, 429, 169}},   {499, 3, 0, {270, 170, 429, 279}}, {499, 8, 0, {270, 280, 429, 389}},
        {499, 9, 0, {270, 60, 429, 169}},   {480, 9, 0, {0, 180, 99, 299}},    {480, 10, 0, {100, 180, 199, 299}},
        {480, 25, 0, {200, 180, 299, 299}}, {480, 30, 0, {0, 180, 99, 299}},   {480, 2, 1, {140, 300, 279, 419}},
        {497, 2, 0, {150, 440, 299, 509}},  {497, 5, 0, {300, 440, 449, 509}}, {401, 3, 0, {170, 340, 339, 509}},
        {451, 3, 0, {170, 340, 339, 509}},  {453, 5, 2, {340, 340, 509, 509}}, {1201, 3, 1, {130, 430, 159, 489}},
        {463, 2, 0, {400, 0, 439, 59}},     {444, 4, 0, {430, 360, 479, 449}}, {438, 2, 1, {270, 360, 299, 429}},
        {430, 3, 1, {260, 480, 274, 509}},  {402, 3, 1, {215, 480, 229, 509}}, {490, 2, 0, {410, 260, 439, 379}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.kind << " at " << c.frame);
        Pose pose;
        pose.frame = c.frame;
        const auto calls = Draw(c.kind, pose);
        ASSERT_GT(calls.size(), c.call);
        EXPECT_TRUE(SameRect(calls[c.call].source, c.source)) << Show(calls[c.call].source);
    }
}

// Kind 481: the world angle picks one of eight 90-pixel cells (five to a
// row); the sprite turns by the parent angle, never by its own.
TEST_F(Stage5LooksTest, Kind481FacesByItsWorldAngleAndTurnsWithItsParent) {
    struct Case {
        f32 rotation, angle;
        Rect source;
    };
    const Case cases[] = {
        {0.0f, 0.0f, {360, 0, 449, 89}},          // toward +x: cell 4
        {0.0f, kHalfPiF, {90, 90, 179, 179}},     // down: cell 6 (the second row)
        {kHalfPiF, 0.0f, {90, 90, 179, 179}},     // down through the parent
        {-kHalfPiF, 0.0f, {180, 0, 269, 89}},     // up: cell 2
        {0.0f, 3.1415927f, {0, 0, 89, 89}},       // toward -x: cell 0
        {0.0f, 0.7853982f, {0, 90, 89, 179}},     // down-right: cell 5
        {0.0f, 2.3561945f, {180, 90, 269, 179}},  // down-left: cell 7
        {0.0f, -0.7853982f, {270, 0, 359, 89}},   // up-right: cell 3
        {0.0f, -2.3561945f, {90, 0, 179, 89}},    // up-left: cell 1
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rotation << " + " << c.angle);
        Pose pose;
        pose.rotation = c.rotation;
        pose.angle = c.angle;
        const auto calls = Draw(481, pose);
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_TRUE(SameRect(calls[0].source, c.source)) << Show(calls[0].source);
        EXPECT_EQ(calls[0].angle16, RadianToAngle(c.rotation));
    }
}

// Kinds 412 and 416 turn by the enemy's rotation whatever the part's angle;
// their flame's offset still turns with the parent angle.
TEST_F(Stage5LooksTest, RotByEnemyIgnoresThePartsAngle) {
    Pose pose;
    pose.rotation = kHalfPiF;
    pose.angle = 1.0f;
    const auto calls = Draw(412, pose);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].angle16, RadianToAngle(kHalfPiF));
    EXPECT_EQ(calls[1].angle16, RadianToAngle(kHalfPiF));
    // The flame (-20, 0) turned by pi/2: 20 above the centre.
    EXPECT_NEAR((calls[1].destination.top + calls[1].destination.bottom) / 2.0f, 180.0f, 1.0f);
    EXPECT_NEAR((calls[1].destination.left + calls[1].destination.right) / 2.0f, 300.0f, 1.0f);
    // Rot looks turn by the world angle instead.
    EXPECT_EQ(Draw(413, pose)[0].angle16, RadianToAngle(kHalfPiF + 1.0f));
}

// Layers marked unturned move with the scale but never with any angle.
TEST_F(Stage5LooksTest, UnturnedLayersScaleButDoNotTurn) {
    Pose pose;
    pose.rotation = kHalfPiF;
    pose.scale = 0.5f;
    pose.frame = 0;
    Expect(Draw(467, pose), {
                                {S::kE5, {400, 90, 509, 289}, {272, 155, 327, 245}, false},
                                {S::kE5, {0, 420, 39, 499}, {306, 220, 326, 260}},  // (16.5, 40)
                                {S::kE5, {0, 420, 39, 499}, {273, 220, 293, 260}},  // (-16.5, 40)
                            });
    Expect(Draw(480, pose), {
                                {S::kE5, {0, 180, 99, 299}, {275, 170, 325, 230}, false, kGrey},
                                {S::kE5, {0, 300, 139, 419}, {265, 145, 335, 205}, false},  // (0, -25)
                            });
    // The gate boss's looks keep their sizes and flame offsets at any scale.
    Expect(Draw(438, pose), {
                                {S::kE2, {200, 280, 309, 319}, {245, 180, 355, 220}},
                                {S::kE2, {240, 360, 269, 429}, {285, 210, 315, 280}},  // (45, 0) turned: (0, 45)
                            });
}

// The ring of kind 1001: eight groups of four tiles at fixed angles, 480 x s
// from the keep, tiles 100 x s from their group's centre, half size
// trunc(110 s); the tile frame steps every two frames; the keep last.
TEST_F(Stage5LooksTest, TheCastleRingKeepsItsPlaceAndTurnsItsTiles) {
    for (const f32 rotation : {0.0f, kHalfPiF, 1.0f}) {
        SCOPED_TRACE(rotation);
        Pose pose;
        pose.x = 400;  // every tile edge on the same side of 0
        pose.y = 400;
        pose.scale = 0.5f;
        pose.rotation = rotation;
        pose.frame = 4;  // g = 2
        const auto calls = Draw(1001, pose);
        ASSERT_EQ(calls.size(), 33u);
        static constexpr f32 kDegrees[8] = {118, 62, 18, 162, -24, -156, -65, -115};
        static constexpr f32 kMember[4][2] = {{50, 0}, {-50, 0}, {0, 50}, {0, -50}};
        for (int k = 0; k < 8; ++k) {
            const f32 a = kDegrees[k] * 3.14159265f / 180.0f;
            const f32 gx = 400.0f + 240.0f * std::cos(a);
            const f32 gy = 400.0f + 240.0f * std::sin(a);
            for (int m = 0; m < 4; ++m) {
                const LookDrawCall& call = calls[static_cast<std::size_t>(4 * k + m)];
                SCOPED_TRACE(testing::Message() << "group " << k << " tile " << m);
                EXPECT_EQ(call.sheet, S::kE6);
                EXPECT_TRUE(SameRect(call.source, Rect{540, 740, 809, 1009})) << Show(call.source);
                EXPECT_EQ(call.destination.right - call.destination.left, 110);
                EXPECT_EQ(call.destination.bottom - call.destination.top, 110);
                EXPECT_NEAR((call.destination.left + call.destination.right) / 2.0f, gx + kMember[m][0], 1.0f);
                EXPECT_NEAR((call.destination.top + call.destination.bottom) / 2.0f, gy + kMember[m][1], 1.0f);
                EXPECT_EQ(call.angle16, RadianToAngle(rotation));
            }
        }
        EXPECT_TRUE(SameRect(calls[32].source, Rect{0, 0, 799, 739}));
        EXPECT_TRUE(SameRect(calls[32].destination, Rect{200, 215, 600, 585}));
    }
    // The first group (118 degrees) at scale 1: centre (300 - 225.35, 200 + 423.81).
    Pose pose;
    pose.frame = 1;  // g = 0
    const auto calls = Draw(1001, pose);
    ASSERT_EQ(calls.size(), 33u);
    EXPECT_TRUE(SameRect(calls[0].source, Rect{0, 740, 269, 1009}));
    EXPECT_TRUE(SameRect(calls[0].destination, Rect{64, 513, 284, 733})) << Show(calls[0].destination);
    EXPECT_TRUE(SameRect(calls[3].destination, Rect{-35, 413, 184, 633})) << Show(calls[3].destination);
    pose.frame = 2;  // g = 1
    EXPECT_TRUE(SameRect(Draw(1001, pose)[31].source, Rect{270, 740, 539, 1009}));
}

// Kind 1009's two layers slide along the part's own axis with its offset y
// (2.6 and 1.0 times it), unscaled, before the core.
TEST_F(Stage5LooksTest, TheCoresLayersSlideWithItsOffset) {
    // Offset y 0: both layers on the core's centre.
    Pose pose;
    pose.angle = kHalfPiF;
    auto calls = Draw(1009, pose);
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_TRUE(SameRect(calls[0].destination, Rect{220, 130, 380, 270}));
    EXPECT_TRUE(SameRect(calls[1].destination, Rect{200, 130, 400, 270}));
    // Offset y 10 under an unturned enemy at scale 0.5: the part sits 5 below
    // (300, 200); its axis points down, so the layers lie 26 and 10 further down.
    pose.offsetY = 10;
    pose.scale = 0.5f;
    calls = Draw(1009, pose);
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_TRUE(SameRect(calls[0].destination, Rect{260, 196, 340, 266})) << Show(calls[0].destination);
    EXPECT_TRUE(SameRect(calls[1].destination, Rect{250, 180, 350, 250})) << Show(calls[1].destination);
    EXPECT_TRUE(SameRect(calls[2].destination, Rect{250, 160, 350, 250})) << Show(calls[2].destination);
    for (const LookDrawCall& call : calls) EXPECT_EQ(call.angle16, RadianToAngle(kHalfPiF));
    // Under a turned enemy the layers follow the world angle (pi/2 + pi/2:
    // toward -x), the part's offset turned once by the rotation.
    pose.rotation = kHalfPiF;
    calls = Draw(1009, pose);
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_NEAR((calls[2].destination.left + calls[2].destination.right) / 2.0f, 295.0f, 1.0f);
    EXPECT_NEAR((calls[0].destination.left + calls[0].destination.right) / 2.0f, 269.0f, 1.0f);
    EXPECT_NEAR((calls[1].destination.left + calls[1].destination.right) / 2.0f, 285.0f, 1.0f);
    EXPECT_NEAR((calls[0].destination.top + calls[0].destination.bottom) / 2.0f, 200.0f, 1.0f);
}

}  // namespace
