// The ranking scene: the table and endings views by scripted keys, the view
// prepared by the result scene, the way back to the title, and golden frames.
#include <gtest/gtest.h>

#include "game/shell/ranking_scene.h"
#include "tests/game/shell/scene_fixture.h"

namespace {

using scene_test::SceneTest;

class RankingScene : public SceneTest {
protected:
    void SetUp() override {
        SceneTest::SetUp();
        RankingState = kRankingOpening;
        RankingLeave = 0;
        RankingScrollX = 0;
        RankingScrollY = 0;
        RankingPlaneScrollV = 0.0f;
    }
    void ForgetSceneImages() override { g_RankingImages = RankingImages{}; }
    void EnterAndShow(i32 previous) {
        Enter(kSceneRanking, previous);
        IdleUntil([] { return RankingState == kRankingShown; });
    }
};

TEST(RankingPanels, SlideFromTheSideOfTheKey) {
    RankingSlideDirection = 0;
    EXPECT_EQ(RankingPanelX(0), 320);
    EXPECT_EQ(RankingPanelX(30), 770);    // enters from the right
    EXPECT_EQ(RankingPanelX(-30), -130);  // leaves to the left
    EXPECT_EQ(RankingPanelX(-7), 296);
    EXPECT_EQ(RankingEndingsY(10), 320);
    EXPECT_EQ(RankingEndingsY(-10), 200);
    RankingSlideDirection = 1;
    EXPECT_EQ(RankingPanelX(30), -130);   // enters from the left
    EXPECT_EQ(RankingPanelX(-30), 770);   // leaves to the right
    EXPECT_EQ(RankingEndingsY(10), 200);
    EXPECT_EQ(RankingEndingsY(-30), 800);
    RankingSlideDirection = 0;
}

TEST_F(RankingScene, TablesAndEndingsByKeys) {
    g_SystemData.endingSeen[1] = 1;   // ending 1
    g_SystemData.endingSeen[18] = 1;  // ending 18
    g_RankingTable.score[0][0] = 1234567;
    EnterAndShow(kSceneTitle);
    EXPECT_EQ(RankingDifficulty, 0);
    EXPECT_EQ(RankingHighlight, -1);
    Idle(60);
    EXPECT_EQ(RankingPanelOffsets[0], 0);
    EXPECT_EQ(RankingPanelOffsets[1], -30);
    EXPECT_EQ(RankingCaptionFade[0], 50);
    EXPECT_TRUE(Golden("ranking_tables"));
    Tap(kInputLeft);  // EASY wraps to HARD
    EXPECT_EQ(RankingDifficulty, 2);
    EXPECT_EQ(RankingSlideDirection, 0);
    Tap(kInputRight);  // HARD wraps to EASY
    EXPECT_EQ(RankingDifficulty, 0);
    EXPECT_EQ(RankingSlideDirection, 1);
    Tap(kInputRight);
    EXPECT_EQ(RankingDifficulty, 1);
    Tap(kInputDown);
    EXPECT_EQ(RankingEndingsView, 1);
    EXPECT_EQ(RankingSlideDirection, 1);
    // Left and Right do nothing in the endings view.
    Tap(kInputLeft);
    Tap(kInputRight);
    EXPECT_EQ(RankingDifficulty, 1);
    Idle(60);
    EXPECT_EQ(RankingCaptionFade[0], 0);
    EXPECT_EQ(RankingCaptionFade[1], 50);
    EXPECT_EQ(RankingPanelOffsets[kRankingEndingsPanel], 0);
    EXPECT_EQ(RankingPanelOffsets[1], -30);
    EXPECT_TRUE(Golden("ranking_endings"));
    Tap(kInputUp);
    EXPECT_EQ(RankingEndingsView, 0);
    EXPECT_EQ(RankingPanelOffsets[1], 28);  // 30, less one in each frame of the tap
    Tap(kInputX);
    EXPECT_EQ(RankingState, kRankingLeaving);
    IdleUntil([] { return CurrentScene != kSceneRanking; });
    EXPECT_EQ(CurrentScene, kSceneTitle);
    EXPECT_EQ(PreviousScene, kSceneRanking);
    EXPECT_EQ(g_RankingImages.plane, nullptr);
}

TEST_F(RankingScene, ResultPreparesTheTableAndTheLitRow) {
    g_GameState.Difficulty = kDifficultyHard;
    g_GameState.StartKind = kStartFullRun;
    RankingDifficulty = 2;
    RankingHighlight = 1;
    EnterAndShow(kSceneResult);
    ASSERT_EQ(RankingState, kRankingShown);
    EXPECT_EQ(RankingDifficulty, 2);
    EXPECT_EQ(RankingHighlight, 1);
    EXPECT_EQ(RankingPanelOffsets[0], -30);
    // The row blinks: lit while (frame count / 20) is odd.
    IdleUntil([] { return RankingFrameCount == 111; });
    ASSERT_EQ(RankingFrameCount, 111);  // the last frame drawn, 110, lit
    EXPECT_TRUE(Golden("ranking_highlight_lit"));
    Tap(kInputZ);
    EXPECT_EQ(RankingState, kRankingLeaving) << CurrentScene << " " << RankingFrameCount;
    // Entered again from the title, the view starts afresh.
    IdleUntil([] { return CurrentScene == kSceneTitle && !SceneInitRequest; });
    RankingState = kRankingOpening;
    EnterAndShow(kSceneTitle);
    EXPECT_EQ(RankingDifficulty, 0);
    EXPECT_EQ(RankingHighlight, -1);
}

}  // namespace
