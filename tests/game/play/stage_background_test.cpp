#include "game/play/stage_background.h"

#include <gtest/gtest.h>

#include <vector>

#include "game/play/stage_dispatch.h"
#include "game/shell/play_state.h"
#include "tests/game/play/scenery_fixture.h"

namespace {

GameState& G() { return g_GameState; }

bool SameRect(const Rect& a, const Rect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// The second and last stages' overlays take their own rectangles of the
// "black" texture.
constexpr Rect kStage2OverlaySource{128, 128, 150, 150};
constexpr Rect kStage5OverlaySource{192, 128, 222, 158};

class BackgroundTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetGameState();
        ResetStageDispatch();
        play_test::RegisterSceneries();
        g_PlayerState[0].x = 320.0f;
    }
    void TearDown() override { ResetStageDispatch(); }
    void Stage(i32 stage, f32 zoom) {
        G().StageIndex = stage;
        G().BackgroundZoom = zoom;
    }
    // The third stage's overlay colour at that section and scroll (0 when it
    // draws none).
    u32 Stage3Overlay(i32 section, i32 scrollY) {
        Stage(2, 2.0f);
        G().BackgroundSection = section;
        G().BackgroundScrollY = scrollY;
        const BackgroundPlan plan = BuildBackgroundPlan();
        if (!plan.overlay) return 0;
        EXPECT_TRUE(SameRect(plan.overlaySource, kBlackOverlaySource));
        return plan.overlayColour;
    }
    // (surface F, surface G) of the plan's first pair.
    static std::pair<i32, i32> Pair(const BackgroundPlan& plan, size_t first = 0) {
        return {plan.blits.at(first).surface, plan.blits.at(first + 1).surface};
    }
};

// ---- scroll ----

TEST_F(BackgroundTest, ScrollStepsAndWrapsPerStageAndSection) {
    struct Case {
        i32 stage, section, step, wrap;
    };
    const Case cases[] = {{0, 0, 1, 480},  {0, 5, 1, 480},  {1, 0, 2, 960},  {1, 2, 2, 960},  {1, 3, 1, 960},
                          {3, 0, 1, 480},  {4, 0, 3, 960},  {4, 1, 5, 960},  {4, 2, 4, 960},  {4, 3, 1, 960},
                          {4, 4, 2, 960},  {4, 5, 3, 960},  {4, 6, 4, 960},  {4, 7, 6, 960},  {4, 8, 8, 960},
                          {4, 9, 12, 960}, {4, 10, 1, 960}, {2, 19, 6, 480}, {2, 35, 6, 480}, {2, 43, 6, 480},
                          {2, 49, 6, 480}, {2, 34, 5, 480}, {2, 42, 5, 480}, {2, 32, 3, 480}, {2, 44, 7, 480},
                          {2, 45, 8, 480}, {2, 0, 4, 480},  {2, 33, 4, 480}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stage * 100 + c.section);
        ResetGameState();
        Stage(c.stage, 2.0f);
        G().BackgroundSection = c.section;
        UpdateBackgroundScroll();
        EXPECT_EQ(G().BackgroundScrollY, c.step);
        G().BackgroundScrollY = c.wrap - c.step;
        UpdateBackgroundScroll();
        EXPECT_EQ(G().BackgroundScrollY, 0) << "wraps on reaching " << c.wrap;
        G().BackgroundScrollY = c.wrap - 1;
        UpdateBackgroundScroll();
        EXPECT_EQ(G().BackgroundScrollY, c.step - 1);
    }
}

TEST_F(BackgroundTest, Stage3PansAndZoomsByPhase) {
    Stage(2, 2.0f);
    // Phase 16 up to frame 400: the zoom follows the pan, which stays.
    G().StageScriptPhase = 16;
    G().BackgroundScrollX = 320;
    G().FrameCounter = 400;
    UpdateBackgroundScroll();
    EXPECT_EQ(G().BackgroundScrollX, 320);
    EXPECT_EQ(G().BackgroundZoom, 3.0f);
    // After frame 400 (and in 18, 20, 24) the view pans right up to 640.
    G().FrameCounter = 401;
    UpdateBackgroundScroll();
    EXPECT_EQ(G().BackgroundScrollX, 321);
    EXPECT_EQ(G().BackgroundZoom, 2.0f + 321 * 0.003125f);
    for (i32 phase : {18, 20, 24}) {
        G().StageScriptPhase = phase;
        G().BackgroundScrollX = 640;
        UpdateBackgroundScroll();
        EXPECT_EQ(G().BackgroundScrollX, 640);
        EXPECT_EQ(G().BackgroundZoom, 4.0f);
    }
    // 23 pans back to 0 with the zoom held at 3.
    G().StageScriptPhase = 23;
    G().BackgroundScrollX = 1;
    UpdateBackgroundScroll();
    UpdateBackgroundScroll();
    EXPECT_EQ(G().BackgroundScrollX, 0);
    EXPECT_EQ(G().BackgroundZoom, 3.0f);
    // 21 and 22 move one step toward 320 from either side.
    G().StageScriptPhase = 21;
    G().BackgroundScrollX = 100;
    UpdateBackgroundScroll();
    EXPECT_EQ(G().BackgroundScrollX, 101);
    G().StageScriptPhase = 22;
    G().BackgroundScrollX = 500;
    UpdateBackgroundScroll();
    EXPECT_EQ(G().BackgroundScrollX, 499);
    G().BackgroundScrollX = 320;
    UpdateBackgroundScroll();
    EXPECT_EQ(G().BackgroundScrollX, 320);
    // 25 holds 3; 29 zooms out to 2 and stops there.
    G().StageScriptPhase = 25;
    UpdateBackgroundScroll();
    EXPECT_EQ(G().BackgroundZoom, 3.0f);
    G().StageScriptPhase = 29;
    for (int i = 0; i < 1000; ++i) UpdateBackgroundScroll();
    EXPECT_LE(G().BackgroundZoom, 2.0f);
    EXPECT_GT(G().BackgroundZoom, 2.0f - 0.0025f);
}

// ---- parallax and shake ----

TEST_F(BackgroundTest, ParallaxFollowsThePlayerByTheStageZoom) {
    Stage(0, 4.0f);
    EXPECT_EQ(BackgroundParallax(), 0);
    g_PlayerState[0].x = 120.0f;
    EXPECT_EQ(BackgroundParallax(), -50);
    g_PlayerState[0].x = 520.0f;
    EXPECT_EQ(BackgroundParallax(), 50);
    Stage(4, 300.0f);
    g_PlayerState[0].x = 120.0f;
    EXPECT_EQ(BackgroundParallax(), 0) << "200 / 300 truncates";
}

TEST_F(BackgroundTest, ShakeSwitchesSidesEveryThreeFramesAndShrinks) {
    EXPECT_EQ(BackgroundShake(), 0);
    G().ScreenShakeTimer = 50;
    const i32 expected[] = {16, 16, 16, -16, -16, -16, 16};
    for (int f = 0; f < 7; ++f) {
        G().FrameCounter = f;
        EXPECT_EQ(BackgroundShake(), expected[f]) << f;
    }
    G().ScreenShakeTimer = 5;
    G().FrameCounter = 0;
    EXPECT_EQ(BackgroundShake(), 1);
}

// ---- section pictures ----

TEST_F(BackgroundTest, VerticalPairFillsTheFieldFromTwoImages) {
    Stage(0, 4.0f);
    G().BackgroundSection = 1;
    G().BackgroundScrollY = 100;
    g_PlayerState[0].x = 120.0f;  // P = -50
    const BackgroundPlan plan = BuildBackgroundPlan();
    ASSERT_GE(plan.blits.size(), 2u);
    EXPECT_EQ(plan.blits[0].surface, 0);
    EXPECT_EQ(plan.blits[0].x, 120);
    EXPECT_EQ(plan.blits[0].y, 100);
    EXPECT_TRUE(SameRect(plan.blits[0].source, Rect{70, 0, 470, 380}));
    EXPECT_EQ(plan.blits[1].surface, 1);
    EXPECT_EQ(plan.blits[1].y, 0);
    EXPECT_TRUE(SameRect(plan.blits[1].source, Rect{70, 380, 470, 480}));
}

TEST_F(BackgroundTest, SectionsChooseTheImagesOfEachStage) {
    struct Case {
        i32 stage, section, f, g;
    };
    const Case cases[] = {{0, 0, 0, 0}, {0, 1, 0, 1}, {0, 2, 1, 1}, {0, 3, 1, 2}, {0, 4, 2, 2}, {0, 9, 2, 2},
                          {1, 0, 0, 0}, {1, 1, 0, 1}, {1, 2, 1, 2}, {1, 3, 2, 2}, {1, 4, 2, 3}, {1, 5, 3, 3},
                          {1, 6, 0, 0}, {3, 7, 0, 0}, {4, 0, 0, 0}, {4, 1, 0, 1}, {4, 2, 1, 2}, {4, 3, 2, 2},
                          {4, 4, 2, 2}, {4, 5, 2, 3}, {4, 6, 3, 4}, {4, 7, 4, 4}, {4, 12, 4, 4}};
    for (const Case& c : cases) {
        Stage(c.stage, 4.0f);
        G().BackgroundSection = c.section;
        EXPECT_EQ(Pair(BuildBackgroundPlan()), std::make_pair(c.f, c.g)) << c.stage << "/" << c.section;
    }
}

TEST_F(BackgroundTest, HalvedScrollInStages2And5) {
    for (i32 stage : {1, 4}) {
        Stage(stage, 5.0f);
        G().BackgroundScrollY = 601;
        const BackgroundPlan plan = BuildBackgroundPlan();
        EXPECT_EQ(plan.blits[0].y, 300) << stage;
    }
}

TEST_F(BackgroundTest, Stage3StripHasALeftAndARightColumn) {
    Stage(2, 2.0f);
    G().BackgroundScrollX = 300;  // o = 300
    G().BackgroundScrollY = 0;
    G().BackgroundSection = 31;
    BackgroundPlan plan = BuildBackgroundPlan();
    ASSERT_EQ(plan.blits.size(), 4u);
    EXPECT_EQ(Pair(plan), std::make_pair(0, 0));
    EXPECT_TRUE(SameRect(plan.blits[0].source, Rect{420, 0, 640, 480}));
    EXPECT_EQ(Pair(plan, 2), std::make_pair(2, 3));
    EXPECT_EQ(plan.blits[2].x, 340);
    EXPECT_TRUE(SameRect(plan.blits[2].source, Rect{0, 0, 180, 480}));

    // Far right: the right column starts left of the screen.
    G().BackgroundScrollX = 640;
    g_PlayerState[0].x = 120.0f;  // P = -100 at zoom 2 -> o = 540
    G().BackgroundScrollX = 700;  // o = 600
    plan = BuildBackgroundPlan();
    EXPECT_EQ(plan.blits[2].x, 40);
    G().BackgroundScrollX = 800;  // o = 700
    plan = BuildBackgroundPlan();
    EXPECT_EQ(plan.blits[2].x, 0);
    EXPECT_EQ(plan.blits[2].source.left, 60);
    EXPECT_EQ(plan.blits[2].source.right, 580);

    // No pan: only the left column.
    g_PlayerState[0].x = 320.0f;
    G().BackgroundScrollX = 0;
    plan = BuildBackgroundPlan();
    EXPECT_EQ(plan.blits.size(), 2u);

    struct Case {
        i32 section, lf, lg, rf, rg;
    };
    const Case cases[] = {{40, 8, 6, 1, 1}, {41, 6, 7, 1, 1}, {44, 7, 7, 1, 1}, {50, 0, 8, 1, 1}, {51, 8, 8, 1, 1},
                          {30, 0, 0, 1, 2}, {32, 0, 0, 3, 3}, {33, 0, 0, 3, 4}, {34, 0, 0, 4, 5}, {35, 0, 0, 5, 5}};
    G().BackgroundScrollX = 300;
    for (const Case& c : cases) {
        G().BackgroundSection = c.section;
        plan = BuildBackgroundPlan();
        ASSERT_EQ(plan.blits.size(), 4u);
        EXPECT_EQ(Pair(plan), std::make_pair(c.lf, c.lg)) << c.section;
        EXPECT_EQ(Pair(plan, 2), std::make_pair(c.rf, c.rg)) << c.section;
    }
}

TEST_F(BackgroundTest, Stage4PanIsClampedAndTheFieldDarkensWithTheStreaks) {
    Stage(3, 10.0f);
    G().BackgroundScrollX = -500;
    BackgroundPlan plan = BuildBackgroundPlan();
    EXPECT_EQ(plan.blits[0].source.left, 0);
    G().BackgroundScrollX = 500;
    plan = BuildBackgroundPlan();
    EXPECT_EQ(plan.blits[0].source.left, 240);
    ASSERT_TRUE(plan.overlay);
    EXPECT_EQ(plan.overlayColour, 0x00C8C8C8u);
    G().StarCount = 200;
    plan = BuildBackgroundPlan();
    EXPECT_EQ(plan.overlayColour, (150u << 24) | 0xC8C8C8u);
    G().StarCount = 100;
    plan = BuildBackgroundPlan();
    EXPECT_EQ(plan.overlayColour >> 24, 75u);
}

// ---- overlays ----

TEST_F(BackgroundTest, Stage1FadesInFromBlackOver130Frames) {
    Stage(0, 4.0f);
    struct Case {
        i32 frame;
        u32 alpha;
    };
    for (const Case c : {Case{0, 255}, Case{4, 255}, Case{5, 245}, Case{129, 5}, Case{130, 0}, Case{499, 0}}) {
        G().FrameCounter = c.frame;
        const BackgroundPlan plan = BuildBackgroundPlan();
        ASSERT_TRUE(plan.overlay) << c.frame;
        EXPECT_EQ(plan.overlayColour >> 24, c.alpha) << c.frame;
        EXPECT_TRUE(SameRect(plan.overlaySource, kBlackOverlaySource));
    }
    G().FrameCounter = 500;
    EXPECT_FALSE(BuildBackgroundPlan().overlay);
}

TEST_F(BackgroundTest, Stage2DarkensInSections4And5ByScroll) {
    Stage(1, 5.0f);
    G().BackgroundSection = 3;
    EXPECT_FALSE(BuildBackgroundPlan().overlay);
    G().BackgroundSection = 4;
    struct Case {
        i32 scroll;
        u32 alpha;
    };
    for (const Case c : {Case{0, 40}, Case{239, 40}, Case{240, 80}, Case{480, 120}, Case{720, 160}}) {
        G().BackgroundScrollY = c.scroll;
        const BackgroundPlan plan = BuildBackgroundPlan();
        EXPECT_EQ(plan.overlayColour >> 24, c.alpha) << c.scroll;
        EXPECT_TRUE(SameRect(plan.overlaySource, kStage2OverlaySource));
    }
    G().BackgroundSection = 5;
    G().BackgroundScrollY = 0;
    EXPECT_EQ(BuildBackgroundPlan().overlayColour >> 24, 160u);
}

TEST_F(BackgroundTest, Stage5DarkensSlowlyUpTo150) {
    Stage(4, 300.0f);
    G().FrameCounter = 0;
    EXPECT_EQ(BuildBackgroundPlan().overlayColour >> 24, 50u);
    G().FrameCounter = 8000;
    EXPECT_EQ(BuildBackgroundPlan().overlayColour >> 24, 150u);
    G().FrameCounter = 100000;
    EXPECT_EQ(BuildBackgroundPlan().overlayColour >> 24, 150u);
    EXPECT_TRUE(SameRect(BuildBackgroundPlan().overlaySource, kStage5OverlaySource));
}

TEST_F(BackgroundTest, Stage3Section34OverlayFallsIn15Steps) {
    EXPECT_EQ(Stage3Overlay(34, 0), (195u << 24) | 0xFFFFF0u);
    EXPECT_EQ(Stage3Overlay(34, 479) >> 24, 45u);
    EXPECT_EQ(Stage3Overlay(30, 100), 0u);
}

TEST_F(BackgroundTest, Stage3Section33DarkeningRisesToFullBlackWithoutWrapping) {
    EXPECT_EQ(Stage3Overlay(33, 240), 0u) << "nothing up to scroll 240";
    EXPECT_EQ(Stage3Overlay(33, 241), 0u) << "starts from clear";
    EXPECT_EQ(Stage3Overlay(33, 479), 0xFF000000u) << "ends fully dark";
    u32 previous = 0;
    for (i32 y = 241; y < 480; ++y) {
        const u32 c = Stage3Overlay(33, y);
        EXPECT_EQ(c & 0xFFFFFFu, 0u);
        EXPECT_GE(c >> 24, previous >> 24) << "never falls back at " << y;
        EXPECT_EQ((c >> 24) % 12 == 0 || (c >> 24) == 255, true) << y;
        previous = c;
    }
    // The overlay is drawn from the plan in section 33 past the middle.
    Stage(2, 2.0f);
    G().BackgroundSection = 33;
    G().BackgroundScrollY = 400;
    EXPECT_TRUE(BuildBackgroundPlan().overlay);
    G().BackgroundScrollY = 200;
    EXPECT_FALSE(BuildBackgroundPlan().overlay);
}

// ---- clouds ----

TEST_F(BackgroundTest, CloudPlanesBySection) {
    struct Case {
        i32 stage, section;
        std::vector<i32> planes;
    };
    const Case cases[] = {{0, 0, {0}}, {0, 1, {0, 1}}, {0, 3, {0}}, {0, 4, {}},     {0, 5, {0}},    {1, 3, {}},
                          {1, 4, {0}}, {1, 5, {0}},    {2, 0, {}},  {3, 0, {}},     {4, 0, {0}},    {4, 1, {0}},
                          {4, 2, {}},  {4, 3, {}},     {4, 4, {0}}, {4, 5, {1, 0}}, {4, 6, {1, 0}}, {4, 9, {1, 0}}};
    for (const Case& c : cases) {
        Stage(c.stage, 4.0f);
        G().BackgroundSection = c.section;
        std::vector<i32> planes;
        for (const CloudDraw& d : BuildBackgroundPlan().clouds) planes.push_back(d.plane);
        EXPECT_EQ(planes, c.planes) << c.stage << "/" << c.section;
    }
}

TEST_F(BackgroundTest, CloudOffsetsDriftScrollAndFollowThePlayer) {
    Stage(0, 4.0f);
    G().BackgroundSection = 1;
    G().FrameCounter = 960;
    G().BackgroundScrollY = 240;
    BackgroundPlan plan = BuildBackgroundPlan();
    ASSERT_EQ(plan.clouds.size(), 2u);
    EXPECT_FLOAT_EQ(plan.clouds[0].u, 0.25f);
    EXPECT_FLOAT_EQ(plan.clouds[0].v, 0.5f);
    EXPECT_TRUE(plan.clouds[0].setV);
    EXPECT_EQ(plan.clouds[0].y, 0.0f);
    EXPECT_FALSE(plan.clouds[1].setV) << "plane B keeps its V offset";
    EXPECT_EQ(plan.clouds[1].u, 0.0f);
    EXPECT_EQ(plan.clouds[1].y, -480.0f);

    g_PlayerState[0].x = 0.0f;  // (320 - 0) / 4 / 640 = 0.125
    plan = BuildBackgroundPlan();
    EXPECT_FLOAT_EQ(plan.clouds[0].u, 0.125f);
    EXPECT_FLOAT_EQ(plan.clouds[1].u, -0.125f);

    G().BackgroundSection = 3;
    G().BackgroundScrollY = 101;
    plan = BuildBackgroundPlan();
    EXPECT_EQ(plan.clouds[0].v, 0.0f);
    EXPECT_EQ(plan.clouds[0].y, -50.0f);

    Stage(4, 300.0f);
    g_PlayerState[0].x = 320.0f;
    G().BackgroundSection = 5;
    G().BackgroundScrollY = 400;
    G().FrameCounter = 1800;
    plan = BuildBackgroundPlan();
    ASSERT_EQ(plan.clouds.size(), 2u);
    EXPECT_FLOAT_EQ(plan.clouds[0].u, 0.5f);  // B, period 3600
    EXPECT_EQ(plan.clouds[0].v, 0.0f);
    EXPECT_EQ(plan.clouds[0].y, 140.0f);
    EXPECT_FLOAT_EQ(plan.clouds[1].u, 840.0f / 960.0f);  // A, period 960
    EXPECT_FLOAT_EQ(plan.clouds[1].v, 400.0f / 960.0f);
}

// ---- camera ----

TEST(StageCamera, ReleasedOnceAndASecondReleaseDoesNothing) {
    ReleaseStageCamera();
    EXPECT_FALSE(StageCameraExists());
    ReleaseStageCamera();
    EXPECT_FALSE(StageCameraExists());
}

}  // namespace
