// The looks of stage index 1: the hulls sized by their state, the pulsing
// carriers, the facing guns, the mid-boss plates and the boss's parts dimmed
// while the boss is small.
#include <sstream>
#include <string>
#include <vector>

#include "engine/core/angle.h"
#include "game/enemy/enemy_content.h"
#include "tests/game/enemy/enemy_fixture.h"

namespace {

using enemy_test::EnemyFrameTest;
using enemy_test::TableKind;
using enemy_test::TablePart;

std::vector<LookDrawCall> g_drawn;

// "source -> destination colour" of one call, rectangles as l,t,r,b.
std::string Text(const LookDrawCall& c) {
    std::ostringstream out;
    out << c.source.left << ',' << c.source.top << ',' << c.source.right << ',' << c.source.bottom << " -> "
        << c.destination.left << ',' << c.destination.top << ',' << c.destination.right << ',' << c.destination.bottom
        << ' ' << std::hex << c.colour << (c.rotated ? " rot" : " flat");
    return out.str();
}

class Stage2LooksTest : public EnemyFrameTest {
protected:
    void SetUp() override {
        EnemyFrameTest::SetUp();
        RegisterEnemyLooks(EnemyLooksStage2());
        SetLookDrawObserver([](const LookDrawCall& call) { g_drawn.push_back(call); });
    }
    // The calls of one part of the kind at (300, 200) with the part's state and
    // timer, the enemy's rotation and scale, at FrameCounter `frame`.
    std::vector<LookDrawCall> Calls(i32 kind, i32 state, i32 timer, f32 rotation = 0.0f, f32 scale = 1.0f,
                                    i32 frame = 0) {
        ResetPlayLists();
        g_drawn.clear();
        Build(TableKind({TablePart(kind, 0, 0)}, {0}), 300, 200, rotation, scale);
        Part(0).state = state;
        Part(0).timer = timer;
        g_GameState.FrameCounter = frame;
        DrawEnemyLayer(0);
        return g_drawn;
    }
    std::vector<std::string> Texts(i32 kind, i32 state, i32 timer, f32 rotation = 0.0f, f32 scale = 1.0f,
                                   i32 frame = 0) {
        std::vector<std::string> out;
        for (const LookDrawCall& c : Calls(kind, state, timer, rotation, scale, frame)) out.push_back(Text(c));
        return out;
    }
};

// Kinds 210 and 212: a square that breathes while hittable (p = trunc(55 + 3
// cos(2 pi 0.02 (t mod 50)))), a fixed 30 x 55 in 0xFF505050 otherwise.
TEST_F(Stage2LooksTest, HullsAreSizedByTheirState) {
    struct Case {
        i32 kind, state, timer;
        const char* drawn;
    };
    const Case cases[] = {
        {210, 1, 0, "240,0,349,109 -> 242,142,358,258 ffffffff flat"},   // p 58: 116 x 116
        {210, 1, 25, "240,0,349,109 -> 248,148,352,252 ffffffff flat"},  // p 52: 104 x 104
        {210, 1, 50, "240,0,349,109 -> 242,142,358,258 ffffffff flat"},
        {210, -1, 25, "240,0,349,109 -> 270,145,330,255 ff505050 flat"},  // 60 x 110
        {210, 2, 0, "240,0,349,109 -> 270,145,330,255 ff505050 flat"},
        {212, 1, 0, "350,0,459,109 -> 242,142,358,258 ffffffff flat"},
        {212, -1, 0, "350,0,459,109 -> 270,145,330,255 ff505050 flat"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.kind << " state " << c.state << " timer " << c.timer);
        EXPECT_EQ(Texts(c.kind, c.state, c.timer, 0.7f), std::vector<std::string>{c.drawn});
    }
}

// Kind 220's body (after its two flames): half sizes trunc(107 + 3c) x
// trunc(58 + 1.5c), c = cos(2 pi 0.02 (t mod 100)); pink while hittable.
TEST_F(Stage2LooksTest, CarriersPulseOverTheirFlames) {
    struct Case {
        i32 kind, state, timer;
        const char* body;
    };
    const Case cases[] = {
        {220, 1, 0, "0,390,209,499 -> 190,141,410,259 fff0c8c8 flat"},   // 110 x 59
        {220, 1, 25, "0,390,209,499 -> 196,144,404,256 fff0c8c8 flat"},  // 104 x 56
        {220, 1, 100, "0,390,209,499 -> 190,141,410,259 fff0c8c8 flat"},
        {222, 1, 0, "0,390,209,499 -> 190,141,410,259 ffffffff flat"},
        {222, -1, 0, "0,390,209,499 -> 190,141,410,259 ff321414 flat"},
        {223, 1, 0, "0,140,119,339 -> 239,97,361,303 fff0c8c8 flat"},  // 61 x 103
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.kind << " timer " << c.timer);
        const std::vector<std::string> drawn = Texts(c.kind, c.state, c.timer);
        ASSERT_EQ(drawn.size(), 3u);
        EXPECT_EQ(drawn[c.kind == 223 ? 0 : 2], c.body);
    }
    // The flames (E1, 50 apart by the clock) at (-25, -85) and (15, -95),
    // turned by the parent angle but drawn flat; the feet of 223 unturned.
    const std::vector<std::string> carrier = Texts(220, 1, 0, 0.0f, 1.0f, 3);
    EXPECT_EQ(carrier[0], "320,230,369,319 -> 250,70,300,160 ffffffff flat");
    EXPECT_EQ(carrier[1], "320,230,369,319 -> 290,60,340,150 ffffffff flat");
    const std::vector<std::string> walker = Texts(223, 1, 0, 1.0f, 1.0f, 6);
    EXPECT_EQ(walker[1], "120,180,179,199 -> 302,275,362,295 ffffffff flat");
    EXPECT_EQ(walker[2], "120,180,179,199 -> 238,275,298,295 ffffffff flat");
}

// The facing guns pick their cell by the world angle (five to a row, 90
// apart) and turn by their parent's angle.
TEST_F(Stage2LooksTest, FacingGunsPickTheirCellByTheWorldAngleAndTurnByTheParent) {
    struct Case {
        i32 kind;
        f32 worldAngle;
        Rect source;
    };
    const Case cases[] = {
        {211, 3.1415927f, {0, 140, 89, 229}},    // along -x: column 0 of row 0
        {211, 0.0f, {360, 140, 449, 229}},       // along +x: direction 4
        {211, 1.5707964f, {90, 230, 179, 319}},  // down: direction 6, row 1 column 1
        {213, 3.1415927f, {0, 320, 89, 409}},
        {213, -0.7853982f, {270, 320, 359, 409}},  // up and to the right: direction 3
    };
    for (const f32 parent : {0.5f, -2.0f}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << c.kind << " at " << c.worldAngle << " under " << parent);
            ResetPlayLists();
            g_drawn.clear();
            Build(TableKind({TablePart(0, 0, 0, {1}), TablePart(c.kind, 0, 0, {}, c.worldAngle - parent)}, {0}), 300,
                  200, parent);
            DrawEnemyLayer(0);
            ASSERT_EQ(g_drawn.size(), 1u);
            EXPECT_EQ(g_drawn[0].source.left, c.source.left);
            EXPECT_EQ(g_drawn[0].source.top, c.source.top);
            EXPECT_EQ(g_drawn[0].source.bottom, c.source.bottom);
            EXPECT_TRUE(g_drawn[0].rotated);
            EXPECT_EQ(g_drawn[0].angle16, RadianToAngle(parent));
            EXPECT_EQ(g_drawn[0].destination.right - g_drawn[0].destination.left, 110);
        }
    }
}

TEST_F(Stage2LooksTest, OrdinaryLooksAndTheirLayers) {
    // The mid-boss plate: 90 wide, 5 pixels left of the part's centre.
    EXPECT_EQ(Texts(204, 1, 0), std::vector<std::string>{"220,420,319,459 -> 250,180,340,220 ffffffff rot"});
    // Kind 201 animates by the clock, sized by the scale, grey below 0.8 even
    // when not hittable.
    EXPECT_EQ(Texts(201, 1, 0, 0.0f, 1.0f, 3),
              std::vector<std::string>{"80,0,159,139 -> 260,130,340,270 ffffffff rot"});
    EXPECT_EQ(Texts(201, -1, 0, 0.0f, 0.7f, 0), std::vector<std::string>{"0,0,79,139 -> 272,151,328,249 ff969696 rot"});
    // Kind 203: the body, then jets at (12, 30) and (12, -30).
    EXPECT_EQ(Texts(203, -1, 0, 0.0f, 1.0f, 6),
              (std::vector<std::string>{"350,410,449,509 -> 240,140,360,260 ff321414 rot",
                                        "480,230,509,279 -> 297,200,327,260 ff321414 rot",
                                        "480,230,509,279 -> 297,140,327,200 ff321414 rot"}));
    EXPECT_EQ(Texts(231, 1, 0), std::vector<std::string>{"400,100,469,209 -> 265,145,335,255 ffffffff rot"});
}

// The boss's parts: scaled, 0xFF643232 while not hittable, grey 50 while
// hittable and the boss is below 0.8, lit from 0.8 on; layers the same.
TEST_F(Stage2LooksTest, BossPartsAreDimWhileTheBossIsSmall) {
    struct Case {
        i32 state;
        f32 scale;
        u32 colour;
    };
    const Case cases[] = {
        {1, 0.5f, 0xFF323232u}, {1, 0.8f, 0xFFFFFFFFu}, {-1, 0.5f, 0xFF643232u}, {2, 1.0f, 0xFF643232u}};
    for (const Case& c : cases) {
        for (const i32 kind : {251, 252, 253, 254, 255, 256, 257, 258, 259, 260, 261}) {
            SCOPED_TRACE(testing::Message() << kind << " state " << c.state << " scale " << c.scale);
            const std::vector<LookDrawCall> calls = Calls(kind, c.state, 0, 0.0f, c.scale);
            ASSERT_FALSE(calls.empty());
            for (const LookDrawCall& call : calls) EXPECT_EQ(call.colour, c.colour);
        }
    }
    // The core at half size; the gun with its flame and plate at (55, 0) x s.
    EXPECT_EQ(Texts(251, 1, 0, 0.0f, 0.5f), std::vector<std::string>{"0,0,199,509 -> 250,72,350,327 ff323232 rot"});
    EXPECT_EQ(Texts(257, 1, 0, 0.0f, 0.5f, 3),
              (std::vector<std::string>{"350,290,479,339 -> 267,187,332,212 ff323232 rot",
                                        "390,340,429,429 -> 317,177,337,222 ff323232 rot",
                                        "170,140,309,189 -> 292,187,362,212 ff323232 rot"}));
    // 258's flame sits at the part itself; 261 has no plate.
    const std::vector<std::string> gun258 = Texts(258, 1, 0);
    ASSERT_EQ(gun258.size(), 3u);
    EXPECT_EQ(gun258[1], "350,340,389,429 -> 280,155,320,245 ffffffff rot");
    EXPECT_EQ(gun258[2], "170,190,309,239 -> 285,175,425,225 ffffffff rot");
    EXPECT_EQ(Texts(261, 1, 0).size(), 2u);
}

TEST_F(Stage2LooksTest, KindsWithoutALookDrawNothing) {
    for (const i32 kind : {0, 200, 205, 209, 214, 216, 219, 224, 230, 234, 250, 262}) {
        EXPECT_TRUE(Calls(kind, 1, 0).empty()) << kind;
    }
}

}  // namespace
