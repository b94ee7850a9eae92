// The stage report: the comment and picture choices, the bonus arithmetic,
// the roads out of it, and its frames on the software device.
#include <gtest/gtest.h>

#include "game/shell/ending_scene.h"
#include "game/shell/report_scene.h"
#include "tests/game/shell/scene_fixture.h"

namespace {

using scene_test::SceneTest;

TEST(ReportComment, ByStageParityAndRank) {
    struct Case {
        i32 stage, runScore, stagePoints, rank;
        ReportComment want;
    };
    const Case cases[] = {
        {0, 100, 0, 5, {0, 0, 0}},  // even, best rank: the first cell
        {1, 100, 1, 1, {0, 4, 9}},  // odd, worst rank: the last cell
        {2, 7, 0, 3, {0, 2, 5}},
        {3, 1, 0, 5, {1, 12, 0}},  // v = 1 shows cell 0
        {3, 0, 0, 1, {1, 8, 8}},
        {3, 2, 1, 2, {1, 9, 7}},
        {4, 3, 0, 1, {1, 13, 1}},  // the last stage always the same
        {4, 0, 0, 5, {1, 13, 1}},
        // Out-of-range input stays within the ten cells.
        {0, 0, 0, 0, {0, 4, 9}},                    // no rank
        {0, -1, 0, 5, {0, 0, 0}},                   // a negative remainder
        {0, 2147483647, 2147483647, 5, {0, 0, 0}},  // the sum would overflow an i32
    };
    for (const Case& c : cases) {
        const ReportComment got = ChooseReportComment(c.stage, c.runScore, c.stagePoints, c.rank);
        EXPECT_EQ(got.image, c.want.image) << c.stage << " " << c.runScore << " " << c.rank;
        EXPECT_EQ(got.face, c.want.face) << c.stage << " " << c.runScore << " " << c.rank;
        EXPECT_EQ(got.cell, c.want.cell) << c.stage << " " << c.runScore << " " << c.rank;
    }
}

TEST(ReportPicture, FirstMatchingFlagWins) {
    struct Case {
        i32 stage;
        std::vector<int> flags;
        const char* want;
    };
    const Case cases[] = {
        // clang-format off
        {0, {}, "report_01"},          {0, {6}, "report_05"},          {0, {6, 17}, "report_14"},
        {1, {6, 17, 67, 90}, "report_01"},
        {2, {}, "report_01"},          {2, {56}, "report_12"},         {2, {55, 56}, "report_11"},
        {2, {53, 55}, "report_06"},    {2, {53, 67}, "report_13"},
        {3, {}, "report_01"},          {3, {75}, "report_04"},         {3, {72, 75}, "report_03"},
        {4, {}, "report_15"},          {4, {96}, "report_07"},         {4, {90, 96}, "report_02"},
        // clang-format on
    };
    for (const Case& c : cases) {
        StoryFlagArray flags{};
        for (int f : c.flags) flags[static_cast<std::size_t>(f)] = 1;
        EXPECT_STREQ(ReportPictureName(c.stage, flags), c.want) << "stage " << c.stage;
    }
}

class ReportLogic : public ::testing::Test {
protected:
    void SetUp() override {
        ResetGameState();
        ResetPlayRecord(g_PlayRecord);
        g_RankingTable = DefaultRankingTable();
        g_Report.NewBestStageScore = 0;
        g_Report.StageCleared = 0;
        g_Ending.EndingRequest = 0;
    }
};

TEST_F(ReportLogic, LivesBonusJoinsTheRunScoreAndTheRecord) {
    g_GameState.Difficulty = 1;
    g_GameState.StageIndex = 2;
    g_GameState.StageRank = 4;
    g_GameState.GameMode = kGameModeNormal;
    g_PlayerState[0].lives = 3;
    g_PlayerState[0].StageScorePoints = 12345;
    g_PlayerState[0].RunScore = 50000;
    ApplyStageResult();
    EXPECT_EQ(g_Report.LivesBonus, 3000);
    EXPECT_EQ(g_PlayerState[0].RunScore, 50000 + 3000 + 12345);
    EXPECT_EQ(g_RankingTable.bestStageScore[1][2], 15345u);
    EXPECT_EQ(g_Report.NewBestStageScore, 1);
    EXPECT_EQ(g_PlayRecord.stageScore[2], 15345u);
    EXPECT_EQ(g_PlayRecord.stageRank[2], 4u);
    // Other difficulties and stages keep theirs.
    EXPECT_EQ(g_RankingTable.bestStageScore[0][2], 1000u);
    EXPECT_EQ(g_RankingTable.bestStageScore[1][1], 1000u);
}

TEST_F(ReportLogic, ATieKeepsTheBestAndTheBonusCountsTowardIt) {
    g_GameState.StageIndex = 0;
    g_PlayerState[0].lives = 1;
    g_PlayerState[0].StageScorePoints = 0;  // 1000 with the bonus: a tie
    ApplyStageResult();
    EXPECT_EQ(g_Report.NewBestStageScore, 0);
    EXPECT_EQ(g_RankingTable.bestStageScore[0][0], 1000u);
    g_PlayerState[0].StageScorePoints = 1;  // 1001 beats it only through the bonus
    ApplyStageResult();
    EXPECT_EQ(g_Report.NewBestStageScore, 1);
    EXPECT_EQ(g_RankingTable.bestStageScore[0][0], 1001u);
}

TEST_F(ReportLogic, PlaybackRaisesTheBestButLeavesTheRecord) {
    g_GameState.GameMode = kGameModeReplay;
    g_GameState.StageIndex = 1;
    g_GameState.StageRank = 2;
    g_PlayRecord.stageScore[1] = 777;
    g_PlayerState[0].lives = 2;
    g_PlayerState[0].StageScorePoints = 5000;
    ApplyStageResult();
    EXPECT_EQ(g_RankingTable.bestStageScore[0][1], 7000u);
    EXPECT_EQ(g_PlayRecord.stageScore[1], 777u);
    EXPECT_EQ(g_PlayRecord.stageRank[1], 0u);
}

TEST_F(ReportLogic, RoadsOutOfTheReport) {
    struct Case {
        i32 startKind, mode, stage;
        bool cleared;
        bool nextPlayed;  // the run record holds the next stage
        i32 wantScene, wantStage;
    };
    const Case cases[] = {
        {kStartFullRun, kGameModeNormal, 0, true, false, kScenePlay, 1},
        {kStartMenuRun, kGameModeNormal, 3, true, false, kScenePlay, 4},
        {kStartFullRun, kGameModeNormal, 4, true, false, kSceneEnding, 4},
        {kStartFullRun, kGameModeNormal, 2, false, false, kSceneResult, 2},
        {kStartFullRun, kGameModeNormal, 4, false, false, kSceneResult, 4},
        {kStartStageSelect, kGameModeNormal, 1, true, false, kSceneResult, 1},
        {kStartStageSelect, kGameModeNormal, 4, true, false, kSceneResult, 4},
        {kStartFullRun, kGameModeReplay, 1, true, true, kScenePlay, 2},
        {kStartFullRun, kGameModeReplay, 1, true, false, kSceneReplayBrowser, 1},
        {kStartFullRun, kGameModeReplay, 4, true, false, kSceneReplayBrowser, 4},
        {kStartFullRun, kGameModeReplay, 2, false, true, kSceneReplayBrowser, 2},
        {kStartStageSelect, kGameModeReplay, 0, true, true, kSceneReplayBrowser, 0},
        {kStartMenuRun, kGameModeDemo, 1, false, false, kSceneTitle, 1},
        {kStartMenuRun, kGameModeDemo, 1, true, true, kSceneTitle, 1},
    };
    for (const Case& c : cases) {
        SetUp();
        g_GameState.StartKind = c.startKind;
        g_GameState.GameMode = c.mode;
        g_GameState.StageIndex = c.stage;
        g_Report.StageCleared = c.cleared ? 1 : 0;
        if (c.stage + 1 < kStageSlots) g_PlayRecord.played[static_cast<std::size_t>(c.stage + 1)] = c.nextPlayed;
        const std::string label = "start " + std::to_string(c.startKind) + " mode " + std::to_string(c.mode) +
                                  " stage " + std::to_string(c.stage) + (c.cleared ? " cleared" : " lost");
        EXPECT_EQ(ChooseReportNextScene(), c.wantScene) << label;
        EXPECT_EQ(g_GameState.StageIndex, c.wantStage) << label;
        EXPECT_EQ(g_Ending.EndingRequest, c.wantScene == kSceneEnding ? kEndingAfterRun : 0) << label;
    }
}

TEST_F(ReportLogic, ReportsCloseByThemselvesOrByZOrX) {
    TransitionState = Transition{};
    struct Case {
        i32 state, timer;
        u16 key;
        bool closes;
    };
    const Case cases[] = {
        // clang-format off
        {kReportShown, 1000, 0, false},     {kReportShown, 1001, 0, true},
        {kReportShown, 20, kInputZ, true},  {kReportShown, 20, kInputX, true},
        {kReportShown, 20, kInputV, false}, {kReportLostShown, 300, 0, false},
        {kReportLostShown, 301, 0, true},   {kReportLostShown, 5, kInputX, true},
        // clang-format on
    };
    for (const Case& c : cases) {
        g_Report.ReportState = c.state;
        g_Report.ReportTimer = c.timer;
        for (i32& k : g_Report.ReportKeys) k = 0;
        u8 bits[2];
        InputBytes(c.key, bits);
        UpdateKeyStates(bits, g_Report.ReportKeys);
        StepReport();
        EXPECT_EQ(g_Report.ReportState == kReportLeaving, c.closes) << c.state << " " << c.timer << " " << c.key;
        EXPECT_EQ(TransitionRunning(), c.closes);
        TransitionState = Transition{};
    }
}

class ReportScene : public SceneTest {
protected:
    void SetUp() override {
        SceneTest::SetUp();
        scene_test::g_standInFrames = 0;
        g_Report.LineScrollU = 0.0f;
        g_Report.LineScrollV = 0.0f;
        g_Report.ReportState = kReportOpening;
        g_Report.ReportTimer = 0;
        g_GameState.Difficulty = kDifficultyNormal;
        g_GameState.StartKind = kStartFullRun;
        g_GameState.GameMode = kGameModeNormal;
        g_GameState.StageIndex = 0;
        g_GameState.StageRank = 4;
        g_GameState.StoryFlags[6] = 1;
        PlayerState& p = g_PlayerState[0];
        p.lives = 2;
        p.coins = 321;
        p.cancelCount = 45;
        p.StageScorePoints = 123456;
        p.RunScore = 10001;
    }
    void ForgetSceneImages() override { g_Report.images = ReportImages{}; }
};

TEST_F(ReportScene, ClearedReportCountsMarksOpensTheCommentAndGoesOn) {
    RegisterSceneFrame(kScenePlay, scene_test::StandInFrame);
    Enter(kSceneStageReport, kScenePlay);
    Idle(1);
    EXPECT_EQ(g_PlayerState[0].RunScore, 10001 + 2000 + 123456);
    EXPECT_EQ(g_Report.StageCleared, 1);
    ASSERT_NE(g_Report.images.plane, nullptr);
    ASSERT_NE(g_Report.images.picture, nullptr);
    IdleUntil([] { return g_Report.ReportState == kReportShown; });
    // Marks at the frames 150, 180, 210 and 240 of the report, up to the rank.
    IdleUntil([] { return g_Report.ReportTimer == 150; });
    EXPECT_EQ(g_Report.RankMarksShown, 0);
    Idle(1);
    EXPECT_EQ(g_Report.RankMarksShown, 1);
    IdleUntil([] { return g_Report.ReportTimer == 241; });
    EXPECT_EQ(g_Report.RankMarksShown, 4);
    IdleUntil([] { return g_Report.ReportTimer == 301; });
    EXPECT_EQ(g_Report.RankMarksShown, 4);
    EXPECT_EQ(g_Report.ReportFade, 0.0f);
    Idle(20);
    EXPECT_FLOAT_EQ(g_Report.ReportFade, 1.0f);
    EXPECT_TRUE(Golden("report_cleared"));
    Tap(kInputZ);
    EXPECT_EQ(g_Report.ReportState, kReportLeaving);
    IdleUntil([] { return CurrentScene != kSceneStageReport; });
    EXPECT_EQ(CurrentScene, kScenePlay);
    EXPECT_EQ(PreviousScene, kSceneStageReport);
    EXPECT_EQ(g_GameState.StageIndex, 1);
    EXPECT_EQ(SceneInitRequest, 1);
    EXPECT_EQ(g_Report.images.plane, nullptr);
    EXPECT_EQ(g_Report.images.picture, nullptr);
}

TEST_F(ReportScene, LostReportShowsNoCommentAndLeadsToTheResult) {
    g_PlayerState[0].lives = 0;
    g_GameState.StageIndex = 2;
    Enter(kSceneStageReport, kScenePlay);
    Idle(100);
    EXPECT_EQ(g_Report.ReportState, kReportLostShown);
    EXPECT_EQ(g_Report.StageCleared, 0);
    EXPECT_EQ(g_Report.LivesBonus, 0);
    EXPECT_TRUE(Golden("report_lost"));
    IdleUntil([] { return g_Report.ReportState == kReportLeaving; }, 400);
    EXPECT_EQ(g_Report.RankMarksShown, 0);
    EXPECT_EQ(g_Report.ReportFade, 0.0f);
    IdleUntil([] { return CurrentScene != kSceneStageReport; });
    EXPECT_EQ(CurrentScene, kSceneResult);
    EXPECT_EQ(g_PlayRecord.stageScore[2], 123456u);
}

TEST_F(ReportScene, LastStageLeadsToTheEnding) {
    g_GameState.StageIndex = 4;
    Enter(kSceneStageReport, kScenePlay);
    IdleUntil([] { return g_Report.ReportState == kReportShown; });
    Tap(kInputX);
    IdleUntil([] { return CurrentScene != kSceneStageReport; });
    EXPECT_EQ(g_Ending.EndingRequest, kEndingAfterRun);
    EXPECT_EQ(CurrentScene, kSceneEnding);
}

TEST_F(ReportScene, RoadIntoAMissingEndingLeadsToTheResult) {
    const SceneFrameFn ending = SceneFrame(kSceneEnding);
    RegisterSceneFrame(kSceneEnding, nullptr);
    g_GameState.StageIndex = 4;
    Enter(kSceneStageReport, kScenePlay);
    IdleUntil([] { return g_Report.ReportState == kReportShown; });
    Tap(kInputX);
    IdleUntil([] { return CurrentScene != kSceneStageReport; });
    RegisterSceneFrame(kSceneEnding, ending);
    EXPECT_EQ(g_Ending.EndingRequest, kEndingAfterRun);
    EXPECT_EQ(CurrentScene, kSceneResult);
}

}  // namespace
