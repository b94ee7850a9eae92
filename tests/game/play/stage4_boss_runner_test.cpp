// The fourth stage's boss fought to each of its ends in a headless run of the
// whole game: the stage select opens stage index 3, the test takes its
// timeline to the boss's phase and, each frame, shoots down every part of
// the boss that can be hit (its centre only when the boss is to explode),
// keeping the aircraft out of harm. The stage closes to its report, whose
// picture follows the end, and a run goes on to the last stage.
#include <gtest/gtest.h>

#include <string>

#include "engine/core/application.h"
#include "game/play/enemy_runtime.h"
#include "game/play/records.h"
#include "game/shell/game_main.h"
#include "game/shell/input.h"
#include "game/shell/play_state.h"
#include "game/shell/report_scene.h"
#include "game/shell/story_flags.h"
#include "tests/game/play/runner_support.h"

namespace {

using namespace runner_test;

struct Drive {
    bool longRoute = false;    // story flag 73: the boss's longer route
    bool spareCentre = false;  // the centre is never shot: the boss sinks away
    bool started = false;
    std::string reportPicture;
    i64 reportFrame = 0;
    i64 lastStageFrame = 0;
};
Drive g_drive;

void Shoot(i32 enemy, EnemyPart& part, const f32 pos[2], f32 angle) {
    const HitShape& s = part.hitShape;
    if (part.state == 1 && (s.halfWidth > 0 || s.radius > 0)) KillEnemyPart(enemy, &part, pos, &angle);
}

void DriveTheBossFight(const FrameRow& row) {
    if (row.sceneBefore == kScenePlay && row.sceneAfter == kSceneStageReport && g_drive.reportFrame == 0) {
        g_drive.reportFrame = row.frame;
        g_drive.reportPicture = ReportPictureName(g_GameState.StageIndex, g_GameState.StoryFlags);
    }
    if (row.sceneAfter == kScenePlay && g_GameState.StageIndex == 4 && g_drive.lastStageFrame == 0) {
        g_drive.lastStageFrame = row.frame;
        ApplicationExit();
        return;
    }
    if (row.sceneBefore != kScenePlay || row.sceneAfter != kScenePlay || g_GameState.StageIndex != 3) return;
    if (!g_drive.started) {
        // Straight to the boss's entry; a run from the title would go on
        // from this stage to the next.
        g_drive.started = true;
        g_GameState.StartKind = kStartFullRun;
        g_GameState.StageScriptPhase = 10;
        g_GameState.StageScriptFrame = 499;
        g_GameState.StoryFlags[kStoryFourthMidBossOutlasted] = g_drive.longRoute ? 1 : 0;
    }
    g_PlayerState[0].blinkTimer = 100;
    if (g_EnemyList.empty()) return;
    const Enemy& boss = g_EnemyList[0];
    if (boss.state < 590 || boss.state > 595 || boss.active == 0) return;
    const f32 pos[2] = {boss.x, boss.y};
    for (i32 r = 0; r < 13; ++r) {
        EnemyPart& part = g_EnemyPartPool[g_EnemyList[0].rootParts[r]];
        if (r != 6) {
            Shoot(0, part, pos, boss.rotation);
            continue;
        }
        for (i32 c = 0; c < 6; ++c) Shoot(0, g_EnemyPartPool[part.children[c]], pos, boss.rotation);
        if (!g_drive.spareCentre) Shoot(0, part, pos, boss.rotation);
    }
}

// The stage select on EASY to stage index 3; Z tapped every 20 frames from
// then on (the gun in play, the report's way out).
RunResult RunToTheLastStage() {
    Script s(14000);
    s.Tap(151, kInputZ);
    s.Tap(400, kInputDown).Tap(415, kInputZ).Tap(430, kInputZ);
    s.Tap(445, kInputDown).Tap(460, kInputDown).Tap(475, kInputDown).Tap(490, kInputZ);
    for (i64 f = 700; f < 14000; f += 20) s.Tap(f, kInputZ);
    RunSpec spec;
    spec.input = s.words;
    spec.frameLimit = static_cast<i64>(s.words.size());
    spec.hook = DriveTheBossFight;
    spec.noDraw = true;  // only states are checked: the sanitizer build runs it in minutes
    return RunGame(spec);
}

TEST(Stage4BossRunner, TheBossExplodesAndTheRunGoesOnToTheLastStage) {
    g_drive = Drive{};
    const RunResult r = RunToTheLastStage();
    EXPECT_EQ(r.exitCode, 0);
    ASSERT_GT(g_drive.reportFrame, 0) << "the stage never reached its report";
    EXPECT_EQ(g_drive.reportPicture, "report_01");
    EXPECT_GT(g_drive.lastStageFrame, g_drive.reportFrame);
}

TEST(Stage4BossRunner, OnTheLongRouteTheBossSinksAwayAndTheReportShowsIt) {
    g_drive = Drive{};
    g_drive.longRoute = true;
    g_drive.spareCentre = true;
    const RunResult r = RunToTheLastStage();
    EXPECT_EQ(r.exitCode, 0);
    ASSERT_GT(g_drive.reportFrame, 0) << "the stage never reached its report";
    EXPECT_EQ(g_drive.reportPicture, "report_04");
    EXPECT_GT(g_drive.lastStageFrame, g_drive.reportFrame);
}

}  // namespace
