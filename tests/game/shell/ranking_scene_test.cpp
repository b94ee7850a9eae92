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
        g_Ranking.RankingState = kRankingOpening;
        g_Ranking.RankingLeave = 0;
        g_Ranking.RankingScrollX = 0;
        g_Ranking.RankingScrollY = 0;
        g_Ranking.RankingPlaneScrollV = 0.0f;
    }
    void ForgetSceneImages() override { g_Ranking.images = RankingImages{}; }
    void EnterAndShow(i32 previous) {
        Enter(kSceneRanking, previous);
        IdleUntil([] { return g_Ranking.RankingState == kRankingShown; });
    }
};

TEST(RankingPanels, SlideFromTheSideOfTheKey) {
    g_Ranking.RankingSlideDirection = 0;
    EXPECT_EQ(RankingPanelX(0), 320);
    EXPECT_EQ(RankingPanelX(30), 770);    // enters from the right
    EXPECT_EQ(RankingPanelX(-30), -130);  // leaves to the left
    EXPECT_EQ(RankingPanelX(-7), 296);
    EXPECT_EQ(RankingEndingsY(10), 320);
    EXPECT_EQ(RankingEndingsY(-10), 200);
    g_Ranking.RankingSlideDirection = 1;
    EXPECT_EQ(RankingPanelX(30), -130);  // enters from the left
    EXPECT_EQ(RankingPanelX(-30), 770);  // leaves to the right
    EXPECT_EQ(RankingEndingsY(10), 200);
    EXPECT_EQ(RankingEndingsY(-30), 800);
    g_Ranking.RankingSlideDirection = 0;
}

TEST_F(RankingScene, TablesAndEndingsByKeys) {
    g_SystemData.endingSeen[1] = 1;   // ending 1
    g_SystemData.endingSeen[18] = 1;  // ending 18
    g_RankingTable.score[0][0] = 1234567;
    EnterAndShow(kSceneTitle);
    EXPECT_EQ(g_Ranking.RankingDifficulty, 0);
    EXPECT_EQ(g_Ranking.RankingHighlight, -1);
    Idle(60);
    EXPECT_EQ(g_Ranking.RankingPanelOffsets[0], 0);
    EXPECT_EQ(g_Ranking.RankingPanelOffsets[1], -30);
    EXPECT_EQ(g_Ranking.RankingCaptionFade[0], 50);
    EXPECT_TRUE(Golden("ranking_tables"));
    Tap(kInputLeft);  // EASY wraps to HARD
    EXPECT_EQ(g_Ranking.RankingDifficulty, 2);
    EXPECT_EQ(g_Ranking.RankingSlideDirection, 0);
    Tap(kInputRight);  // HARD wraps to EASY
    EXPECT_EQ(g_Ranking.RankingDifficulty, 0);
    EXPECT_EQ(g_Ranking.RankingSlideDirection, 1);
    Tap(kInputRight);
    EXPECT_EQ(g_Ranking.RankingDifficulty, 1);
    Tap(kInputDown);
    EXPECT_EQ(g_Ranking.RankingEndingsView, 1);
    EXPECT_EQ(g_Ranking.RankingSlideDirection, 1);
    // Left and Right do nothing in the endings view.
    Tap(kInputLeft);
    Tap(kInputRight);
    EXPECT_EQ(g_Ranking.RankingDifficulty, 1);
    Idle(60);
    EXPECT_EQ(g_Ranking.RankingCaptionFade[0], 0);
    EXPECT_EQ(g_Ranking.RankingCaptionFade[1], 50);
    EXPECT_EQ(g_Ranking.RankingPanelOffsets[kRankingEndingsPanel], 0);
    EXPECT_EQ(g_Ranking.RankingPanelOffsets[1], -30);
    EXPECT_TRUE(Golden("ranking_endings"));
    Tap(kInputUp);
    EXPECT_EQ(g_Ranking.RankingEndingsView, 0);
    EXPECT_EQ(g_Ranking.RankingPanelOffsets[1], 28);  // 30, less one in each frame of the tap
    Tap(kInputX);
    EXPECT_EQ(g_Ranking.RankingState, kRankingLeaving);
    IdleUntil([] { return CurrentScene != kSceneRanking; });
    EXPECT_EQ(CurrentScene, kSceneTitle);
    EXPECT_EQ(PreviousScene, kSceneRanking);
    EXPECT_EQ(g_Ranking.images.plane, nullptr);
}

TEST_F(RankingScene, ResultPreparesTheTableAndTheLitRow) {
    g_GameState.Difficulty = kDifficultyHard;
    g_GameState.StartKind = kStartFullRun;
    g_Ranking.RankingDifficulty = 2;
    g_Ranking.RankingHighlight = 1;
    EnterAndShow(kSceneResult);
    ASSERT_EQ(g_Ranking.RankingState, kRankingShown);
    EXPECT_EQ(g_Ranking.RankingDifficulty, 2);
    EXPECT_EQ(g_Ranking.RankingHighlight, 1);
    EXPECT_EQ(g_Ranking.RankingPanelOffsets[0], -30);
    // The row blinks: lit while (frame count / 20) is odd.
    IdleUntil([] { return g_Ranking.RankingFrameCount == 111; });
    ASSERT_EQ(g_Ranking.RankingFrameCount, 111);  // the last frame drawn, 110, lit
    EXPECT_TRUE(Golden("ranking_highlight_lit"));
    Tap(kInputZ);
    EXPECT_EQ(g_Ranking.RankingState, kRankingLeaving) << CurrentScene << " " << g_Ranking.RankingFrameCount;
    // Entered again from the title, the view starts afresh.
    IdleUntil([] { return CurrentScene == kSceneTitle && !SceneInitRequest; });
    g_Ranking.RankingState = kRankingOpening;
    EnterAndShow(kSceneTitle);
    EXPECT_EQ(g_Ranking.RankingDifficulty, 0);
    EXPECT_EQ(g_Ranking.RankingHighlight, -1);
}

// The NORMAL table as the result scene shows it after a NORMAL run that took
// no place: its tag is written at the size of the EASY and HARD tags.
TEST_F(RankingScene, TheNormalTableAfterARunWithoutAPlace) {
    g_GameState.Difficulty = kDifficultyNormal;
    g_GameState.StartKind = kStartFullRun;
    g_Ranking.RankingDifficulty = 1;
    g_Ranking.RankingHighlight = -1;
    EnterAndShow(kSceneResult);
    Idle(60);
    EXPECT_EQ(g_Ranking.RankingDifficulty, 1);
    EXPECT_EQ(g_Ranking.RankingPanelOffsets[1], 0);
    EXPECT_TRUE(Golden("ranking_normal"));
}

}  // namespace
