#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/core/angle.h"
#include "engine/core/radians.h"
#include "game/enemy/enemy_draw.h"
#include "game/play/enemy_runtime.h"
#include "tests/game/enemy/enemy_fixture.h"

namespace {

using enemy_test::EnemyFrameTest;
using enemy_test::TableKind;
using enemy_test::TablePart;

std::vector<LookDrawCall> g_calls;
void Record(const LookDrawCall& call) { g_calls.push_back(call); }

// A 20 x 20 body on E1 (half size 10 x 10), turned by the world angle.
constexpr LookSprite kBody[] = {{.source = {0, 0, 19, 19}, .hx = 10, .hy = 10}};
// The same on B1, to tell parts apart.
constexpr LookSprite kOtherBody[] = {{.sheet = EnemySheet::kB1, .source = {0, 0, 19, 19}, .hx = 10, .hy = 10}};

class EnemyDrawTest : public EnemyFrameTest {
protected:
    void SetUp() override {
        EnemyFrameTest::SetUp();
        g_calls.clear();
        SetLookDrawObserver(Record);
    }
    void Looks(std::vector<EnemyLook> looks) {
        looks_ = std::move(looks);
        RegisterEnemyLooks(looks_);
    }
    // Centre of a fixed-size destination rectangle.
    static f32 CentreX(const LookDrawCall& c) { return (c.destination.left + c.destination.right) / 2.0f; }
    static f32 CentreY(const LookDrawCall& c) { return (c.destination.top + c.destination.bottom) / 2.0f; }

    std::vector<EnemyLook> looks_;
};

constexpr LookSprite kOneSprite[] = {{.hx = 3, .hy = 4}};
constexpr EnemyLook kRangeLook = LookOf(510, 515, kOneSprite);
static_assert(kRangeLook.firstKind == 510 && kRangeLook.lastKind == 515 && kRangeLook.sprites.size() == 1 &&
              kRangeLook.visible == nullptr && kRangeLook.hook == nullptr);

TEST_F(EnemyDrawTest, OffsetsAreScaledAndTurnedByTheParentAngleAndAnglesAddUp) {
    Looks({{.firstKind = 101, .lastKind = 101, .sprites = kBody},
           {.firstKind = 102, .lastKind = 102, .sprites = kOtherBody}});
    // Root (40, 0) at angle 0.25 under the enemy's rotation pi/2 and scale
    // 0.5: 20 pixels below the enemy. Its child (0, 40) turned by pi/2 + 0.25.
    Build(TableKind({TablePart(102, 0, 40), TablePart(101, 40, 0, {0}, 0.25f)}, {1}), 200, 100, kPi / 2, 0.5f);
    DrawEnemyLayer(0);
    ASSERT_EQ(g_calls.size(), 2u);
    // Parent first, then its child over it.
    EXPECT_EQ(g_calls[0].sheet, EnemySheet::kE1);
    EXPECT_EQ(g_calls[0].destination.left, 190);
    EXPECT_EQ(g_calls[0].destination.top, 110);
    EXPECT_EQ(g_calls[0].destination.right, 210);
    EXPECT_EQ(g_calls[0].destination.bottom, 130);
    EXPECT_TRUE(g_calls[0].rotated);
    EXPECT_EQ(g_calls[0].angle16, RadianToAngle(kPi / 2 + 0.25f));
    const f32 childAngle = kPi / 2 + 0.25f;
    const f32 cx = 200.0f + -std::sin(childAngle) * 20.0f;
    const f32 cy = 120.0f + std::cos(childAngle) * 20.0f;
    EXPECT_EQ(g_calls[1].sheet, EnemySheet::kB1);
    EXPECT_NEAR(CentreX(g_calls[1]), cx, 1.0f);
    EXPECT_NEAR(CentreY(g_calls[1]), cy, 1.0f);
    EXPECT_EQ(g_calls[1].angle16, RadianToAngle(0.0f + childAngle));
}

TEST_F(EnemyDrawTest, FieldScrollIsAddedOnceAtEveryDepth) {
    Looks({{.firstKind = 101, .lastKind = 101, .sprites = kBody}});
    Build(TableKind({TablePart(101, 0, 30), TablePart(101, 0, 30, {0}), TablePart(101, 0, 30, {1})}, {2}), 200, 100);
    DrawEnemyLayer(0);
    ASSERT_EQ(g_calls.size(), 3u);
    std::vector<LookDrawCall> still = g_calls;
    g_calls.clear();
    g_GameState.FieldScrollX = 37.0f;
    DrawEnemyLayer(0);
    ASSERT_EQ(g_calls.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(g_calls[i].destination.left, still[i].destination.left + 37) << "depth " << i;
        EXPECT_EQ(g_calls[i].destination.top, still[i].destination.top) << "depth " << i;
    }
    // The deepest part sits 90 pixels below the enemy: no scroll came into its world position.
    EXPECT_EQ(g_calls[2].destination.top, 100 + 90 - 10);
}

TEST_F(EnemyDrawTest, OnlyTheAskedLayerIsDrawnAndOtherLayersNever) {
    Looks({{.firstKind = 101, .lastKind = 101, .sprites = kBody}});
    for (i32 layer : {0, 1, 2, -1}) {
        const i32 e = Build(TableKind({TablePart(101, 0, 0)}, {0}), 150.0f + 50.0f * static_cast<f32>(layer), 100);
        g_EnemyList[static_cast<std::size_t>(e)].layer = layer;
    }
    DrawEnemyLayer(1);
    ASSERT_EQ(g_calls.size(), 1u);
    EXPECT_EQ(g_calls[0].destination.left, 190);
    g_calls.clear();
    DrawEnemyLayer(0);
    ASSERT_EQ(g_calls.size(), 1u);
    EXPECT_EQ(g_calls[0].destination.left, 140);
}

TEST_F(EnemyDrawTest, KindWithoutLookDrawsNothingButItsChildrenAtItsPlace) {
    Looks({{.firstKind = 101, .lastKind = 101, .sprites = kBody}});
    // Kind 0 and kind 999 have no look; the child sits at their offset plus its own.
    Build(TableKind({TablePart(101, 10, 0), TablePart(999, 0, 50, {0}), TablePart(0, 20, 0, {1})}, {2}), 200, 100);
    DrawEnemyLayer(0);
    ASSERT_EQ(g_calls.size(), 1u);
    EXPECT_EQ(CentreX(g_calls[0]), 230.0f);
    EXPECT_EQ(CentreY(g_calls[0]), 150.0f);
}

TEST_F(EnemyDrawTest, Kinds517And519KeepTheirScaledOffsetUnturnedButTurnTheirLook) {
    Looks({{.firstKind = 517, .lastKind = 519, .sprites = kBody}});
    for (i32 kind : {517, 518, 519}) {
        g_calls.clear();
        ResetPlayLists();
        Build(TableKind({TablePart(kind, 0, 20)}, {0}), 200, 100, kPi / 2, 0.5f);
        DrawEnemyLayer(0);
        ASSERT_EQ(g_calls.size(), 1u);
        if (kind == 518) {
            EXPECT_NEAR(CentreX(g_calls[0]), 190.0f, 0.6f) << kind;
            EXPECT_NEAR(CentreY(g_calls[0]), 100.0f, 0.6f) << kind;
        } else {
            EXPECT_EQ(CentreX(g_calls[0]), 200.0f) << kind;
            EXPECT_EQ(CentreY(g_calls[0]), 110.0f) << kind;
        }
        EXPECT_EQ(g_calls[0].angle16, RadianToAngle(kPi / 2)) << kind;
    }
}

TEST_F(EnemyDrawTest, FullAndEmptyLinkListsAreWalkedToTheirEnd) {
    Looks({{.firstKind = 101, .lastKind = 101, .sprites = kBody}});
    // 20 children and no terminator, then a root list that starts with -1.
    std::vector<PartSpec> parts;
    std::vector<i32> children;
    for (i32 i = 0; i < 20; ++i) {
        parts.push_back(TablePart(101, static_cast<f32>(i), 0));
        children.push_back(i);
    }
    parts.push_back(TablePart(0, 0, 0, children));
    Build(TableKind(parts, {20}), 200, 100);
    Build(TableKind({TablePart(101, 0, 0)}, {}), 200, 100);
    DrawEnemyLayer(0);
    EXPECT_EQ(g_calls.size(), 20u);
}

// A broken tree is drawn without a crash: a link outside the pool ends its
// list as -1 does, a part that is its own child (or two parts that are each
// other's) is drawn down to the depth limit and no further, and nothing is
// drawn for an enemy index outside the list.
TEST_F(EnemyDrawTest, ABrokenTreeStopsAtABadLinkOrTheDepthLimit) {
    Looks({{.firstKind = 101, .lastKind = 101, .sprites = kBody},
           {.firstKind = 102, .lastKind = 102, .sprites = kOtherBody}});
    struct Case {
        const char* name;
        i32 label;  // the part whose link is broken (3: the enemy's root list)
        i32 entry;
        i32 link;         // kSelf: the root's own slot
        i32 root, child;  // sprites of the root (E1) and of its first child (B1)
    };
    constexpr i32 kSelf = -100;
    const i32 half = kMaxPartDepth / 2;
    const Case cases[] = {
        {"a child past the pool", 2, 1, kEnemyPartPoolSize, 1, 1},
        {"a child far outside the pool", 2, 0, 5000, 1, 0},
        {"a child negative but not -1", 2, 1, -7, 1, 1},
        {"a root outside the pool", 3, 0, 5000, 0, 0},
        {"the root is its own child", 2, 1, kSelf, kMaxPartDepth, kMaxPartDepth - 1},
        {"the root is its child's child", 0, 0, kSelf, half, half},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResetPlayLists();
        g_calls.clear();
        // The root (101) has a child 102 and a child without a look.
        const i32 e =
            Build(TableKind({TablePart(102, 0, 0), TablePart(0, 0, 0), TablePart(101, 0, 0, {0, 1})}, {2}), 200, 100);
        const i32 link = c.link == kSelf ? static_cast<i32>(&Part(2) - g_EnemyPartPool) : c.link;
        if (c.label == 3) {
            g_EnemyList[static_cast<std::size_t>(e)].rootParts[c.entry] = link;
        } else {
            Part(c.label).children[c.entry] = link;
        }
        DrawEnemyLayer(0);
        EXPECT_EQ(std::count_if(g_calls.begin(), g_calls.end(),
                                [](const LookDrawCall& d) { return d.sheet == EnemySheet::kE1; }),
                  c.root);
        EXPECT_EQ(std::count_if(g_calls.begin(), g_calls.end(),
                                [](const LookDrawCall& d) { return d.sheet == EnemySheet::kB1; }),
                  c.child);
    }
    g_calls.clear();
    const f32 pos[2] = {200.0f, 100.0f};
    const f32 angle = 0.0f;
    for (const i32 enemy : {-1, 1, 5000}) DrawEnemyPart(enemy, &Part(2), pos, &angle);
    EXPECT_TRUE(g_calls.empty());
}

constexpr LookSprite kLayered[] = {
    // clang-format off
    {.source = {100, 0, 109, 9}, .hx = 5, .hy = 5, .offsetX = 30, .offsetY = 0},                                  // under, turned
    {.source = {0, 0, 19, 19}, .size = LookSize::kScaled, .hx = 10, .hy = 10},                                    // the body
    {.source = {200, 0, 209, 9}, .hx = 5, .hy = 5, .offsetX = 40, .offsetY = 0, .place = LookPlace::kTurnedScaled},  // over
    // clang-format on
    {.source = {300, 0, 309, 9}, .hx = 5, .hy = 5, .offsetX = 0, .offsetY = 40, .place = LookPlace::kUnturned},
};

TEST_F(EnemyDrawTest, ExtraLayersInTheirOrderAndPlaces) {
    Looks({{.firstKind = 180, .lastKind = 180, .sprites = kLayered}});
    Build(TableKind({TablePart(180, 0, 0)}, {0}), 200, 100, kPi / 2, 0.5f);
    DrawEnemyLayer(0);
    ASSERT_EQ(g_calls.size(), 4u);
    EXPECT_EQ(g_calls[0].source.left, 100);
    EXPECT_NEAR(CentreX(g_calls[0]), 200.0f, 0.6f);
    EXPECT_NEAR(CentreY(g_calls[0]), 130.0f, 0.6f);
    EXPECT_EQ(g_calls[1].source.left, 0);
    EXPECT_EQ(g_calls[1].destination.left, 195);  // half size 10 at scale 0.5
    EXPECT_EQ(g_calls[1].destination.right, 205);
    EXPECT_NEAR(CentreY(g_calls[2]), 120.0f, 0.6f);  // (40, 0) x 0.5 turned
    EXPECT_EQ(CentreX(g_calls[3]), 200.0f);          // unturned (0, 40)
    EXPECT_EQ(CentreY(g_calls[3]), 140.0f);
}

struct SizeCase {
    LookSize size;
    f32 scale;
    Rect expected;
};

TEST_F(EnemyDrawTest, SizeModesTruncateTheirEdges) {
    const SizeCase cases[] = {
        {LookSize::kFixed, 0.5f, {75, -20, 525, 420}},        // 225 x 220 whatever the scale
        {LookSize::kScaled, 0.5f, {187, 90, 412, 310}},       // 300 - 112.5 truncated, 300 + 112.5 truncated
        {LookSize::kScaledWhole, 0.5f, {188, 90, 412, 310}},  // the half size 112 first
        {LookSize::kScaled, 0.8f, {120, 24, 480, 376}},
        {LookSize::kUnequal, 1.0f, {75, -20, 303, 420}},  // 225 left, 3 right
    };
    for (const SizeCase& c : cases) {
        const LookSprite sprite{.size = c.size, .hx = 225, .hy = 220, .hxRight = 3};
        EnemyPart part;
        part.state = 1;
        LookContext context;
        context.part = &part;
        context.scale = c.scale;
        const Rect r = LookSpriteDestination(context, sprite, 300.0f, 200.0f);
        EXPECT_EQ(r.left, c.expected.left) << static_cast<int>(c.size) << " " << c.scale;
        EXPECT_EQ(r.top, c.expected.top) << static_cast<int>(c.size) << " " << c.scale;
        EXPECT_EQ(r.right, c.expected.right) << static_cast<int>(c.size) << " " << c.scale;
        EXPECT_EQ(r.bottom, c.expected.bottom) << static_cast<int>(c.size) << " " << c.scale;
    }
    // A shift moves the finished rectangle; a pulse breathes with the part's timer.
    EnemyPart part;
    part.timer = 25;  // cos(pi) = -1
    LookContext context;
    context.part = &part;
    const LookSprite shifted{.hx = 10, .hy = 10, .pulsePeriod = 50, .pulseX = 4, .shiftX = 3, .shiftY = -2};
    const Rect r = LookSpriteDestination(context, shifted, 100.5f, 50.0f);
    EXPECT_EQ(r.left, 100 - 6 + 3);  // trunc(100.5 - 6)
    EXPECT_EQ(r.right, 106 + 3);
    EXPECT_EQ(r.top, 40 - 2);
}

struct ColourCase {
    LookColour rule;
    i32 state;
    f32 scale;
    u32 expected;
};

TEST_F(EnemyDrawTest, ColourRules) {
    const ColourCase cases[] = {
        // clang-format off
        {LookColour::kState, 1, 1.0f, 0xFFFFFFFFu},
        {LookColour::kState, -1, 1.0f, 0xFF321414u},
        {LookColour::kState, 2, 1.0f, 0xFF321414u},
        {LookColour::kGreyBelow08, -1, 0.79f, 0xFF969696u},
        {LookColour::kGreyBelow08, 1, 0.8f, 0xFFFFFFFFu},
        {LookColour::kGreyBelow08, -1, 0.8f, 0xFF321414u},
        {LookColour::kShade, 1, 0.5f, 0xFF7F7F7Fu},
        {LookColour::kShade, 1, 1.0f, 0xFFFFFFFFu},
        {LookColour::kShade, -1, 0.5f, 0xFF321414u},
        {LookColour::kShadeBelow05, 1, 0.4f, 0xFF666666u},
        {LookColour::kShadeBelow05, 1, 0.5f, 0xFFFFFFFFu},
        {LookColour::kDimBelow08, 1, 0.7f, 0xFF323232u},
        {LookColour::kDimBelow08, 1, 0.8f, 0xFFFFFFFFu},
        {LookColour::kLit, -1, 0.1f, 0xFFFFFFFFu},
        // clang-format on
    };
    for (const ColourCase& c : cases) {
        const LookSprite sprite{.colour = c.rule};
        EnemyPart part;
        part.state = c.state;
        LookContext context;
        context.part = &part;
        context.scale = c.scale;
        EXPECT_EQ(LookSpriteColour(context, sprite), c.expected)
            << static_cast<int>(c.rule) << " state " << c.state << " scale " << c.scale;
    }
}

TEST_F(EnemyDrawTest, AnimationFramesFollowTheClockTheTimerOrTheFacing) {
    EnemyPart part;
    part.timer = 7;
    LookContext context;
    context.part = &part;
    context.frameCounter = 10;  // 10 / 3 = 3, mod 3 = 0; 10 / 2 = 5, mod 3 = 2
    const LookSprite clock3{.source = {80, 0, 159, 99}, .frames = LookFrames::kClock, .frameDivisor = 3, .stepX = 80};
    const LookSprite clock2{.source = {80, 0, 159, 99}, .frames = LookFrames::kClock, .frameDivisor = 2, .stepX = 80};
    const LookSprite timer{
        .source = {0, 0, 9, 9}, .frames = LookFrames::kTimer, .frameDivisor = 1, .frameCount = 2, .stepY = 10};
    EXPECT_EQ(LookSpriteSource(context, clock3).left, 80);
    EXPECT_EQ(LookSpriteSource(context, clock2).left, 240);
    EXPECT_EQ(LookSpriteSource(context, clock2).right, 319);
    EXPECT_EQ(LookSpriteSource(context, timer).top, 10);
    // Facing down the screen is direction 6: column 1, row 1 of a five-wide grid.
    const LookSprite facing{.source = {0, 0, 49, 49}, .frames = LookFrames::kFacing, .stepX = 50, .stepY = 50};
    context.worldAngle = kPi / 2;
    const Rect r = LookSpriteSource(context, facing);
    EXPECT_EQ(r.left, 50);
    EXPECT_EQ(r.top, 50);
}

bool NeverVisible(const LookContext&) { return false; }

TEST_F(EnemyDrawTest, ASkippedLookStillHasItsChildrenDrawn) {
    Looks({{.firstKind = 101, .lastKind = 101, .sprites = kBody},
           {.firstKind = 102, .lastKind = 102, .sprites = kOtherBody, .visible = NeverVisible}});
    Build(TableKind({TablePart(101, 0, 0), TablePart(102, 0, 0, {0})}, {1}), 200, 100);
    DrawEnemyLayer(0);
    ASSERT_EQ(g_calls.size(), 1u);
    EXPECT_EQ(g_calls[0].sheet, EnemySheet::kE1);
}

TEST_F(EnemyDrawTest, TurnsOfTheDrawColumn) {
    constexpr LookSprite kTurns[] = {
        {.turn = LookTurn::kWorld}, {.turn = LookTurn::kParent}, {.turn = LookTurn::kEnemy}, {.turn = LookTurn::kFlat}};
    Looks({{.firstKind = 101, .lastKind = 101, .sprites = kTurns}});
    // Enemy rotation 0.5; root angle 0.25; the child (angle 0.125) carries the look.
    Build(TableKind({TablePart(101, 0, 0, {}, 0.125f), TablePart(0, 0, 0, {0}, 0.25f)}, {1}), 200, 100, 0.5f);
    DrawEnemyLayer(0);
    ASSERT_EQ(g_calls.size(), 4u);
    EXPECT_EQ(g_calls[0].angle16, RadianToAngle(0.125f + (0.25f + 0.5f)));
    EXPECT_EQ(g_calls[1].angle16, RadianToAngle(0.25f + 0.5f));
    EXPECT_EQ(g_calls[2].angle16, RadianToAngle(0.5f));
    EXPECT_FALSE(g_calls[3].rotated);
}

TEST_F(EnemyDrawTest, SizesByStateAndClock) {
    struct Case {
        LookSprite sprite;
        i32 state, timer, frameCounter;
        f32 scale;
        Rect expected;
    };
    // Swelling (base 40 x 30, +1): only while hittable, in frames 0-3, 8-11, ...
    const LookSprite swell{.hx = 40, .hy = 30, .swellX = 1, .swellY = 1, .turn = LookTurn::kFlat};
    // A pulse of kind 591: trunc(115 s + 3c) by trunc(60 s + 1.5c), the swing unscaled.
    const LookSprite unscaledSwing{
        .size = LookSize::kScaledBaseWhole, .hx = 115, .hy = 60, .pulsePeriod = 100, .pulseX = 3, .pulseY = 1.5f};
    const Case cases[] = {
        {swell, 1, 0, 0, 1.0f, {259, 169, 341, 231}},
        {swell, 1, 0, 3, 1.0f, {259, 169, 341, 231}},
        {swell, 1, 0, 4, 1.0f, {260, 170, 340, 230}},
        {swell, 1, 0, 8, 1.0f, {259, 169, 341, 231}},
        {swell, -1, 0, 0, 1.0f, {260, 170, 340, 230}},
        {swell, 2, 0, 0, 1.0f, {260, 170, 340, 230}},
        {unscaledSwing, 1, 0, 0, 0.5f, {240, 169, 360, 231}},   // c = 1: 57.5 + 3, 30 + 1.5
        {unscaledSwing, 1, 25, 0, 0.5f, {246, 172, 354, 228}},  // c = -1: 54, 28
        {unscaledSwing, 1, 12, 0, 0.5f, {243, 170, 357, 230}},  // c near 0: 57, 30
        {unscaledSwing, 1, 25, 0, 1.0f, {188, 142, 412, 258}},  // 112, 58
        {{.size = LookSize::kScaledBaseWhole, .hx = 115, .hy = 60}, 1, 25, 0, 0.5f, {243, 170, 357, 230}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "state " << c.state << " timer " << c.timer << " frame " << c.frameCounter
                                        << " scale " << c.scale);
        EnemyPart part;
        part.state = c.state;
        part.timer = c.timer;
        LookContext context;
        context.part = &part;
        context.scale = c.scale;
        context.frameCounter = c.frameCounter;
        const Rect r = LookSpriteDestination(context, c.sprite, 300.0f, 200.0f);
        EXPECT_EQ(r.left, c.expected.left);
        EXPECT_EQ(r.top, c.expected.top);
        EXPECT_EQ(r.right, c.expected.right);
        EXPECT_EQ(r.bottom, c.expected.bottom);
    }
}

TEST_F(EnemyDrawTest, AnUpsideDownSpriteHasItsTopAndBottomExchanged) {
    EnemyPart part;
    part.state = 1;
    LookContext context;
    context.part = &part;
    const LookSprite mirrored{.hx = 40, .hy = 30, .shiftY = 2, .upsideDown = true};
    const Rect r = LookSpriteDestination(context, mirrored, 100.5f, 50.5f);
    EXPECT_EQ(r.left, 60);
    EXPECT_EQ(r.right, 140);
    EXPECT_EQ(r.top, 80 + 2);  // trunc(y + hy), then the shift
    EXPECT_EQ(r.bottom, 20 + 2);
}

// The state-1 look of kinds 210 and 212: a pulsing square while hittable, a
// fixed 30 x 55 in 0xFF505050 otherwise, chosen per sprite.
// clang-format off
constexpr LookSprite kByState[] = {
    {.hx = 55, .hy = 55, .pulsePeriod = 50, .pulseX = 3, .pulseY = 3, .turn = LookTurn::kFlat, .visible = LookWhenHittable},
    {.hx = 30, .hy = 55, .turn = LookTurn::kFlat, .tint = 0xFF505050u, .visible = LookUnlessHittable},
};
// A body that always shows under a layer that blinks on its own.
bool BlinkPhaseOne(const LookContext& c) { return LookBlinkPhase(c) == 1; }
constexpr LookSprite kBlinkingUnderLayer[] = {
    {.sheet = EnemySheet::kE3, .source = {150, 0, 209, 189}, .size = LookSize::kScaledWhole, .hx = 30, .hy = 95,
     .offsetX = -15, .place = LookPlace::kTurnedScaled, .visible = BlinkPhaseOne},
    {.sheet = EnemySheet::kE3, .source = {0, 0, 149, 129}, .size = LookSize::kScaledWhole, .hx = 75, .hy = 65},
};
// clang-format on

TEST_F(EnemyDrawTest, SpritesOfOneLookShowByTheirOwnTests) {
    Looks({{.firstKind = 210, .lastKind = 210, .sprites = kByState},
           {.firstKind = 390, .lastKind = 390, .sprites = kBlinkingUnderLayer}});
    Build(TableKind({TablePart(210, 0, 0)}, {0}), 200, 100);
    DrawEnemyLayer(0);
    ASSERT_EQ(g_calls.size(), 1u);
    EXPECT_EQ(g_calls[0].destination.right - g_calls[0].destination.left, 116) << "p = 58 at timer 0";
    EXPECT_EQ(g_calls[0].colour, 0xFFFFFFFFu);
    g_calls.clear();
    g_EnemyPartPool[0].state = -1;
    DrawEnemyLayer(0);
    ASSERT_EQ(g_calls.size(), 1u);
    EXPECT_EQ(g_calls[0].destination.right - g_calls[0].destination.left, 60);
    EXPECT_EQ(g_calls[0].destination.bottom - g_calls[0].destination.top, 110);
    EXPECT_EQ(g_calls[0].colour, 0xFF505050u);

    ResetPlayLists();
    Build(TableKind({TablePart(390, 0, 0)}, {0}), 200, 100, 0.0f, 0.9f);
    for (const i32 frame : {0, 7, 8, 15, 16}) {
        g_calls.clear();
        g_GameState.FrameCounter = frame;
        DrawEnemyLayer(0);
        const bool layerShows = (frame / 8) % 2 == 1;
        ASSERT_EQ(g_calls.size(), layerShows ? 2u : 1u) << frame;
        const LookDrawCall& body = g_calls.back();
        EXPECT_EQ(body.source.left, 0) << "the body shows in every frame";
        EXPECT_EQ(body.destination.right - body.destination.left, 2 * 67);
        if (layerShows) {
            // The under-layer 15 x 0.9 pixels behind the centre, turned by the rotation 0.
            EXPECT_EQ(g_calls[0].source.left, 150);
            EXPECT_EQ(g_calls[0].destination.left, static_cast<i32>(200.0f - 13.5f - 27.0f));
        }
    }
}

TEST_F(EnemyDrawTest, AScaledUnturnedPlacementIgnoresTheParentAngle) {
    constexpr LookSprite kFlames[] = {
        // clang-format off
        {.hx = 10, .hy = 10, .turn = LookTurn::kFlat, .offsetX = -45, .offsetY = -75,
         .place = LookPlace::kScaledUnturned},
        {.hx = 10, .hy = 10, .turn = LookTurn::kFlat, .offsetX = -45, .offsetY = -75,
         .place = LookPlace::kTurnedScaled},
        // clang-format on
    };
    Looks({{.firstKind = 516, .lastKind = 516, .sprites = kFlames}});
    Build(TableKind({TablePart(516, 0, 0)}, {0}), 200, 100, kPi / 2, 0.5f);
    DrawEnemyLayer(0);
    ASSERT_EQ(g_calls.size(), 2u);
    // The centre (177.5, 62.5); the edges truncated toward zero.
    EXPECT_EQ(g_calls[0].destination.left, 167);
    EXPECT_EQ(g_calls[0].destination.top, 52);
    // Turned by pi/2, the same offset lands elsewhere.
    EXPECT_NEAR(CentreX(g_calls[1]), 200.0f + 37.5f, 1.0f);
    EXPECT_NEAR(CentreY(g_calls[1]), 100.0f - 22.5f, 1.0f);
}

}  // namespace
