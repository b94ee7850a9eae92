#include "game/play/play_overlays.h"

#include <gtest/gtest.h>

#include <vector>

#include "engine/core/angle.h"
#include "game/play/records.h"
#include "game/shell/input.h"
#include "game/shell/play_state.h"
#include "game/shell/transition.h"

namespace {

GameState& G() { return g_GameState; }
PlayerState& P() { return g_PlayerState[0]; }

bool SameRect(const Rect& a, const Rect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

class OverlayTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetGameState();
        ResetPlayPrompts();
        ResetPlayLists();
        TransitionState = Transition{};
    }
    void TearDown() override { TransitionState = Transition{}; }

    static void Step(void (*step)(const u8*), u16 word) {
        u8 bits[2];
        InputBytes(word, bits);
        step(bits);
    }
};

// ---- mission timer ----

TEST_F(OverlayTest, MissionOfFFramesFailsOnItsFthFrame) {
    SetMissionTimer(3, 500);
    EXPECT_EQ(G().MissionTimer.total, 3);
    EXPECT_EQ(G().MissionTimer.remaining, 3);
    EXPECT_EQ(G().MissionTimer.bonus, 500);
    UpdateMissionTimer();
    EXPECT_EQ(G().MissionTimer.remaining, 2);
    UpdateMissionTimer();
    EXPECT_EQ(G().MissionTimer.remaining, 1);
    UpdateMissionTimer();
    EXPECT_EQ(G().MissionTimer.remaining, 0) << "failed on the third update";
    EXPECT_EQ(G().BonusCount, 0);
    // A completion after the failure does nothing.
    CompleteMission();
    EXPECT_EQ(G().BonusCount, 0);
}

TEST_F(OverlayTest, CompletionCountsABonusOnlyWhileTheMissionRuns) {
    CompleteMission();
    EXPECT_EQ(G().BonusCount, 0);
    SetMissionTimer(100, 0);
    UpdateMissionTimer();
    CompleteMission();
    EXPECT_EQ(G().BonusCount, 1);
    EXPECT_EQ(G().MissionTimer.remaining, 0);
    FailMission();  // late: nothing
    EXPECT_EQ(G().MissionTimer.remaining, 0);
    CompleteMission();
    EXPECT_EQ(G().BonusCount, 1);
}

TEST_F(OverlayTest, MissionPanelSlidesInLightsItsLabelThenSlidesOutAndFades) {
    SetMissionTimer(1000, 0);
    for (int i = 0; i < 40; ++i) UpdateMissionTimer();
    EXPECT_EQ(G().MissionTimer.panelSlide, 200);
    EXPECT_EQ(G().MissionTimer.alpha, 0) << "the label lights once the panel is past 200";
    UpdateMissionTimer();
    EXPECT_EQ(G().MissionTimer.panelSlide, 205);
    EXPECT_EQ(G().MissionTimer.alpha, 1);
    for (int i = 0; i < 60; ++i) UpdateMissionTimer();
    EXPECT_EQ(G().MissionTimer.panelSlide, 240);
    EXPECT_EQ(G().MissionTimer.alpha, 25);

    // The closing phase slides the panel out while the mission still runs.
    G().StageScriptPhase = kClosingPhase;
    UpdateMissionTimer();
    EXPECT_EQ(G().MissionTimer.panelSlide, 237);
    EXPECT_EQ(G().MissionTimer.alpha, 25);
    G().StageScriptPhase = 0;

    FailMission();
    for (int i = 0; i < 10; ++i) UpdateMissionTimer();
    EXPECT_EQ(G().MissionTimer.alpha, 15);
    for (int i = 0; i < 100; ++i) UpdateMissionTimer();
    EXPECT_EQ(G().MissionTimer.alpha, 0);
    EXPECT_LE(G().MissionTimer.panelSlide, 0);
}

// ---- stage rank ----

TEST_F(OverlayTest, StageRankTableByStageWithStrictBounds) {
    struct Row {
        i32 stage;
        bool flag49;
        i32 a, b;
        i32 bounds[4];
    };
    const Row rows[] = {{0, false, 200, 150, {3200, 2700, 2200, 1800}}, {1, false, 200, 150, {3300, 2800, 2400, 1900}},
                        {2, true, 200, 150, {2700, 2300, 2000, 1500}},  {2, false, 200, 150, {3100, 2700, 2300, 1900}},
                        {3, false, 250, 150, {2900, 2400, 2000, 1500}}, {4, false, 350, 250, {4700, 4000, 3000, 2000}}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.stage * 10 + r.flag49);
        G().StageIndex = r.stage;
        G().StoryFlags[49] = r.flag49 ? 1 : 0;
        G().MissCount = 0;
        G().BossPhaseMissCount = 0;
        for (int i = 0; i < 4; ++i) {
            G().RankPoints = r.bounds[i];
            EXPECT_EQ(GetStageRank(), 4 - i) << "a bound itself is not enough";
            G().RankPoints = r.bounds[i] + 1;
            EXPECT_EQ(GetStageRank(), 5 - i);
        }
        G().RankPoints = -100;
        EXPECT_EQ(GetStageRank(), 1);
        // Misses weigh a, hits in boss phases b.
        G().RankPoints = r.bounds[0] + 1 + r.a;
        G().MissCount = 1;
        EXPECT_EQ(GetStageRank(), 5);
        G().BossPhaseMissCount = 1;
        EXPECT_EQ(GetStageRank(), 4);
    }
    G().StageIndex = 7;
    G().RankPoints = 100000;
    EXPECT_EQ(GetStageRank(), 1);
}

// ---- pause menu ----

TEST_F(OverlayTest, PauseMenuOpensSlidesInAndTakesTheDecisionBeforeTheCursorMoves) {
    P().keys[kKeyV] = kKeyHeld;
    OpenPauseMenu();
    EXPECT_EQ(g_PauseMenu.PauseActive, 1);
    EXPECT_EQ(g_PauseMenu.slideTimer, 30);
    EXPECT_EQ(g_PauseMenu.savedKeys[kKeyV], kKeyHeld);
    for (int i = 0; i < 29; ++i) Step(StepPauseMenu, 0);
    EXPECT_EQ(g_PauseMenu.state, 0);
    Step(StepPauseMenu, 0);
    EXPECT_EQ(g_PauseMenu.state, 10);

    // Z and Up in one frame: resume (cursor 0) is decided, then the cursor wraps.
    Step(StepPauseMenu, kInputZ | kInputUp);
    EXPECT_EQ(g_PauseMenu.state, 90);
    EXPECT_EQ(g_PauseMenu.cursor, 2);
    EXPECT_EQ(G().StageScriptPhase, 0);
    EXPECT_FALSE(TransitionRunning()) << "resume starts no transition";

    for (int i = 0; i < 30; ++i) Step(StepPauseMenu, 0);
    EXPECT_EQ(g_PauseMenu.PauseActive, 1);
    Step(StepPauseMenu, 0);
    EXPECT_EQ(g_PauseMenu.PauseActive, 0) << "closing takes 31 frames";
    EXPECT_EQ(P().keys[kKeyV], kKeyHeld) << "the keys of the opening are put back";
    EXPECT_EQ(P().keys[kKeyT], kKeyHeld);
    EXPECT_EQ(P().liveKeys[kKeyT], kKeyHeld);
}

TEST_F(OverlayTest, PauseMenuRetryAndQuitCloseTheStage) {
    struct Case {
        int downs;
        i32 kind;
    };
    for (const Case c : {Case{1, kPlayEndRetry}, Case{2, kPlayEndQuit}}) {
        ResetGameState();
        TransitionState = Transition{};
        OpenPauseMenu();
        g_PauseMenu.state = 10;
        g_PauseMenu.slideTimer = 0;
        for (int i = 0; i < c.downs; ++i) {
            Step(StepPauseMenu, kInputDown);
            Step(StepPauseMenu, 0);
        }
        EXPECT_EQ(g_PauseMenu.cursor, c.downs);
        Step(StepPauseMenu, kInputZ);
        EXPECT_EQ(G().PlayEndKind, c.kind);
        EXPECT_EQ(G().StageScriptPhase, kClosingPhase);
        EXPECT_TRUE(TransitionRunning());
        EXPECT_EQ(g_PauseMenu.state, 90);
    }
    // Down wraps from the last row to the first, X cancels.
    ResetGameState();
    OpenPauseMenu();
    g_PauseMenu.state = 10;
    g_PauseMenu.cursor = 2;
    Step(StepPauseMenu, kInputDown);
    EXPECT_EQ(g_PauseMenu.cursor, 0);
    Step(StepPauseMenu, kInputX);
    EXPECT_EQ(g_PauseMenu.state, 90);
    EXPECT_EQ(G().StageScriptPhase, 0);
}

TEST_F(OverlayTest, PauseMenuRowsSlideInFromTheRightWithTheCursorRowLit) {
    OpenPauseMenu();
    g_PauseMenu.cursor = 1;
    std::vector<OverlayQuad> quads;
    CollectPauseMenuQuads(quads);
    ASSERT_EQ(quads.size(), 3u);
    const i32 cx = 300 + 450;
    EXPECT_TRUE(SameRect(quads[1].destination, Rect{cx - 180, 125, cx + 180, 165}));
    EXPECT_TRUE(SameRect(quads[1].source, Rect{0, 40, 359, 79}));
    EXPECT_EQ(quads[0].colour, kOverlayDim);
    EXPECT_EQ(quads[1].colour, kOverlayWhite);
    g_PauseMenu.PauseActive = 0;
    quads.clear();
    CollectPauseMenuQuads(quads);
    EXPECT_TRUE(quads.empty());
}

// ---- continue prompt ----

TEST_F(OverlayTest, ContinueYesRestoresTheRunAndNoClosesTheStage) {
    G().Continues = 3;
    P().lives = 0;
    OpenContinuePrompt();
    for (int i = 0; i < 30; ++i) Step(StepContinuePrompt, 0);
    ASSERT_EQ(g_ContinuePrompt.state, 10);
    Step(StepContinuePrompt, kInputZ);
    EXPECT_EQ(G().Continues, 2);
    EXPECT_EQ(P().lives, 3);
    EXPECT_EQ(P().blinkTimer, 100);
    EXPECT_EQ(g_ContinuePrompt.state, 90);
    EXPECT_NE(G().StageScriptPhase, kClosingPhase);
    for (int i = 0; i < 31; ++i) Step(StepContinuePrompt, 0);
    EXPECT_EQ(g_ContinuePrompt.ContinuePromptActive, 0);

    OpenContinuePrompt();
    g_ContinuePrompt.state = 10;
    Step(StepContinuePrompt, kInputRight);
    EXPECT_EQ(g_ContinuePrompt.cursor, 1);
    Step(StepContinuePrompt, kInputLeft);
    EXPECT_EQ(g_ContinuePrompt.cursor, 0);
    Step(StepContinuePrompt, kInputRight);
    Step(StepContinuePrompt, kInputZ);
    EXPECT_EQ(G().StageScriptPhase, kClosingPhase);
    EXPECT_EQ(G().PlayEndKind, kPlayEndStageOver);
    EXPECT_EQ(G().Continues, 2);
}

TEST_F(OverlayTest, ContinuePromptShowsTheContinuesLeftAndTheChosenAnswer) {
    G().Continues = 2;
    OpenContinuePrompt();
    g_ContinuePrompt.slideTimer = 0;
    g_ContinuePrompt.cursor = 1;
    std::vector<OverlayQuad> quads;
    CollectContinuePromptQuads(quads);
    ASSERT_EQ(quads.size(), 5u);
    EXPECT_EQ(quads[2].image, kOverlayPicture);
    EXPECT_TRUE(SameRect(quads[2].source, Rect{40, 300, 59, 324}));
    EXPECT_TRUE(SameRect(quads[2].destination, Rect{385, 186, 405, 210}));
    EXPECT_EQ(quads[3].colour, kOverlayDim);
    EXPECT_EQ(quads[4].colour, kOverlayWhite);
}

// ---- banner ----

TEST_F(OverlayTest, BannerEntersRestsAndLeavesToTheRightAndWaitsWhilePaused) {
    G().StageIndex = 3;
    struct Case {
        i32 t, x;
    };
    for (const Case c : {Case{0, 945}, Case{50, 320}, Case{400, 320}, Case{450, 945}}) {
        G().StageBannerTimer = c.t;
        std::vector<OverlayQuad> quads;
        CollectStageBannerQuads(quads);
        ASSERT_EQ(quads.size(), 1u);
        EXPECT_TRUE(SameRect(quads[0].destination, Rect{c.x - 200, 130, c.x + 200, 170})) << c.t;
        EXPECT_TRUE(SameRect(quads[0].source, Rect{0, 120, 399, 159}));
    }
    G().StageBannerTimer = 450;
    AdvanceStageBanner();
    EXPECT_EQ(G().StageBannerTimer, -1);
    std::vector<OverlayQuad> none;
    CollectStageBannerQuads(none);
    EXPECT_TRUE(none.empty());
    AdvanceStageBanner();
    EXPECT_EQ(G().StageBannerTimer, -1);

    G().StageBannerTimer = 10;
    g_PauseMenu.PauseActive = 1;
    AdvanceStageBanner();
    EXPECT_EQ(G().StageBannerTimer, 10);
    g_PauseMenu.PauseActive = 0;
    g_ContinuePrompt.ContinuePromptActive = 1;
    AdvanceStageBanner();
    EXPECT_EQ(G().StageBannerTimer, 11);
}

// ---- HUD and panels ----

TEST_F(OverlayTest, ScoreShowsSevenDigitsWithLeadingOnesGreyed) {
    P().RunScore = 12000000;
    P().stagePointsShown = 345;
    P().StageScorePoints = 345;
    P().lives = 3;
    std::vector<OverlayQuad> quads;
    CollectHudQuads(quads);
    // The score digits follow the score label (120, 240)-(199, 264).
    size_t label = 0;
    while (label < quads.size() && !SameRect(quads[label].source, Rect{120, 240, 199, 264})) ++label;
    ASSERT_LT(label + 7, quads.size());
    const i32 expected[7] = {5, 4, 3, 0, 0, 0, 2};  // 12000345: the last seven digits
    for (int k = 0; k < 7; ++k) {
        const OverlayQuad& q = quads[label + 1 + k];
        EXPECT_EQ(q.source.left, 20 * expected[k]) << k;
        EXPECT_EQ(q.destination.left, 320 - 16 * k);
        EXPECT_EQ(q.colour, kOverlayWhite) << "an eight-digit score greys nothing";
    }
    P().RunScore = 0;
    P().stagePointsShown = 40;
    P().StageScorePoints = 40;
    quads.clear();
    CollectHudQuads(quads);
    EXPECT_EQ(quads[label + 1].colour, kOverlayWhite);
    EXPECT_EQ(quads[label + 2].colour, kOverlayWhite);
    EXPECT_EQ(quads[label + 3].colour, kOverlayGrey);
    // Lives: one digit of lives - 1, 0 when none are left.
    const OverlayQuad& lives = quads.back();
    EXPECT_TRUE(SameRect(lives.source, Rect{40, 300, 60, 324}));
    P().lives = 0;
    quads.clear();
    CollectHudQuads(quads);
    EXPECT_TRUE(SameRect(quads.back().source, Rect{0, 300, 20, 324}));
}

TEST_F(OverlayTest, MissileSlotsShowStockChargeAndEmptyFrames) {
    P().missileStock = 2;
    P().missileCharge = 15;  // q = 15 / 15 = 1
    std::vector<OverlayQuad> quads;
    CollectHudQuads(quads);
    // Panel, two stocked slots, then the next slot's frame and fill, then two empty frames.
    ASSERT_GE(quads.size(), 7u);
    EXPECT_TRUE(SameRect(quads[0].destination, Rect{110, 445, 246, 485}));
    EXPECT_TRUE(SameRect(quads[3].source, Rect{40, 240, 79, 299}));
    EXPECT_TRUE(SameRect(quads[3].destination, Rect{180 - 18, 479 - 34, 180 + 18, 479}));
    EXPECT_TRUE(SameRect(quads[4].source, Rect{80, 240, 119, 299}));
    EXPECT_TRUE(SameRect(quads[4].destination, Rect{162, 479 - 35 + 1, 198, 479}));
    EXPECT_TRUE(SameRect(quads[5].source, Rect{40, 240, 79, 299}));
    EXPECT_TRUE(SameRect(quads[6].source, Rect{40, 240, 79, 299}));

    // Fully charged first slot alternates two pictures every two frames.
    P().missileChargeUp = 30;
    G().FrameCounter = 1;
    quads.clear();
    CollectHudQuads(quads);
    EXPECT_TRUE(SameRect(quads[1].source, Rect{80, 240, 119, 299}));
    EXPECT_TRUE(SameRect(quads[1].destination, Rect{130 - 36, 479 - 70, 130 + 36, 479}));
    G().FrameCounter = 2;
    quads.clear();
    CollectHudQuads(quads);
    EXPECT_TRUE(SameRect(quads[1].source, Rect{0, 240, 39, 299}));

    // Cooldown pushes slots 0..3 right and slot 4 down.
    P().missileCooldown = 5;
    quads.clear();
    CollectHudQuads(quads);
    EXPECT_EQ(quads[1].destination.left, 130 + 10 - 36);
    EXPECT_EQ(quads.size() >= 7 ? quads[6].destination.bottom : 0, 479 + 15);
}

TEST_F(OverlayTest, DemonstrationLabelBlinksEveryTenFrames) {
    G().GameMode = 20;
    auto labelShown = [] {
        std::vector<OverlayQuad> quads;
        CollectHudQuads(quads);
        return SameRect(quads.back().source, Rect{180, 310, 399, 349});
    };
    G().FrameCounter = 9;
    EXPECT_TRUE(labelShown());
    G().FrameCounter = 10;
    EXPECT_FALSE(labelShown());
    G().FrameCounter = 20;
    EXPECT_TRUE(labelShown());
    G().GameMode = 0;
    EXPECT_FALSE(labelShown());
}

TEST_F(OverlayTest, GaugePanelDigitBossLabelAndAnEmptyLevelTimer) {
    P().shotLevel = 7;  // column 1, row 1
    P().levelTimer = 50;
    P().levelTimerMax = 0;  // no division by zero: the dial stands still
    G().LevelDigitHeight = 10;
    G().GaugePanelSlide = 125;
    std::vector<OverlayQuad> quads;
    CollectPlayerGaugeQuads(quads);
    ASSERT_EQ(quads.size(), 3u);
    EXPECT_TRUE(quads[1].rotated);
    EXPECT_EQ(quads[1].angle, 0);
    EXPECT_TRUE(SameRect(quads[2].source, Rect{308, 380, 356, 419}));
    EXPECT_TRUE(SameRect(quads[2].destination, Rect{-9, 55, 39, 75}));
    P().levelTimerMax = 100;
    G().StageClearFade = 10;
    quads.clear();
    CollectPlayerGaugeQuads(quads);
    ASSERT_EQ(quads.size(), 4u);
    EXPECT_EQ(quads[1].angle, -RadianToAngle(0.5f * 6.2831855f));  // half a turn, truncated
    EXPECT_TRUE(SameRect(quads[3].destination, Rect{-65, 15, 65, 35}));
}

TEST_F(OverlayTest, MissionPanelIsDrawnMirrored) {
    SetMissionTimer(100, 0);
    G().MissionTimer.panelSlide = 240;
    std::vector<OverlayQuad> quads;
    CollectMissionTimerQuads(quads);
    ASSERT_EQ(quads.size(), 2u);
    EXPECT_TRUE(SameRect(quads[0].destination, Rect{525 + 104, 45 - 104, 525 - 104, 45 + 104}));
    EXPECT_GT(quads[1].destination.left, quads[1].destination.right);
    G().MissionTimer.alpha = 5;
    quads.clear();
    CollectMissionTimerQuads(quads);
    EXPECT_EQ(quads.size(), 3u);
}

TEST(OverlaySlide, OffsetIsHalfTheSignedSquare) {
    EXPECT_EQ(SlideOffset(30), 450);
    EXPECT_EQ(SlideOffset(-30), -450);
    EXPECT_EQ(SlideOffset(-1), 0);
    EXPECT_EQ(SlideOffset(0), 0);
    EXPECT_EQ(SlideOffset(3), 4);
}

}  // namespace
