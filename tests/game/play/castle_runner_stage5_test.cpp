// The last stage played in this process through the game's own scenes: chosen
// in the stage select, its timeline put at phase 4's frame 2999 by a test
// hook (the castle's arrival), the castle fought (the hook shooting down the
// turrets of its second ring) until it falls without story flag 94; the stage
// closes to its report and, the start counting as a full run, the report
// leads to the ending, as the last stage's road goes. The run is recorded and
// played back (the same hook acting on the playback) with the same state
// every play frame.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "game/play/play_scene.h"
#include "game/play/records.h"
#include "game/shell/game_main.h"
#include "game/shell/input.h"
#include "game/shell/play_state.h"
#include "game/shell/story_flags.h"
#include "tests/game/play/runner_support.h"
#include "tests/game/stages/castle_shots.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace runner_test;

struct Watch {
    bool placed = false;
    std::vector<i32> phases;
    std::vector<i32> castleStates;
    i64 castleGone = 0;
    std::vector<std::pair<i32, u64>> hashes;  // (play frame counter, state) of the last stage's frames
};
Watch g_watch;

// After every scene frame: in the last stage's play, the timeline is put at
// the castle once, the aircraft kept from harm, and the castle's second ring
// shot down as it opens.
void Hook(const FrameRow& row) {
    if (row.sceneAfter != kScenePlay || g_GameState.StageIndex != 4 || g_GameState.FrameCounter < 1) return;
    if (!g_watch.placed) {
        g_watch.placed = true;
        g_GameState.StartKind = kStartFullRun;
        g_GameState.StageScriptPhase = 4;
        g_GameState.StageScriptFrame = 2999;
    }
    g_PlayerState[0].blinkTimer = 2;
    stage_test::ShootCastle(stage_test::CastleAim::kSecondRingTurrets);
    if (g_watch.phases.empty() || g_watch.phases.back() != g_GameState.StageScriptPhase) {
        g_watch.phases.push_back(g_GameState.StageScriptPhase);
    }
    const i32 c = stage_test::CastleIndex();
    if (c >= 0) {
        const i32 state = g_EnemyList[static_cast<std::size_t>(c)].state;
        if (g_watch.castleStates.empty() || g_watch.castleStates.back() != state) g_watch.castleStates.push_back(state);
    } else if (!g_watch.castleStates.empty() && g_watch.castleGone == 0) {
        g_watch.castleGone = row.frame;
    }
    g_watch.hashes.emplace_back(g_GameState.FrameCounter, ComputeStateHash());
}

TEST(CastleRunner, AfterTheCastleTheLastStageClosesToItsReportAndTheEnding) {
    g_watch = Watch{};
    Script s(20000);
    s.Tap(151, kInputZ);     // past the logos
    s.Tap(400, kInputDown);  // main menu: the stage select entry
    s.Tap(415, kInputZ);     // difficulty menu
    s.Tap(430, kInputZ);     // EASY: the stage select opens
    for (i64 k = 0; k < 4; ++k) s.Tap(445 + 15 * k, kInputDown);
    s.Tap(505, kInputZ);  // the last stage
    RunSpec spec;
    spec.input = s.words;
    spec.frameLimit = static_cast<i64>(s.words.size());
    spec.hook = Hook;
    spec.noDraw = true;
    spec.watchReportAndEnding = true;
    testing_support::TempDir dir;
    spec.recordFile = (dir.path() / "castle.rpl").string();
    const RunResult r = RunGame(spec);
    ASSERT_FALSE(r.rows.empty());

    EXPECT_TRUE(g_watch.placed);
    EXPECT_EQ(g_watch.phases, (std::vector<i32>{4, 10, 11, 12, 14, kClosingPhase}));
    EXPECT_EQ(g_watch.castleStates, (std::vector<i32>{1001, 1099}));
    EXPECT_GT(g_watch.castleGone, 0);
    EXPECT_EQ(g_GameState.StoryFlags[kStoryLastBossEarned], 0);
    // Play, then the stage report, then the ending.
    std::vector<i32> scenes;
    for (const FrameRow& row : r.rows) {
        if (row.frame < 505) continue;
        if (scenes.empty() || scenes.back() != row.sceneAfter) scenes.push_back(row.sceneAfter);
    }
    ASSERT_GE(scenes.size(), 3u);
    EXPECT_EQ(scenes[0], kSceneTitle);
    EXPECT_EQ(scenes[1], kScenePlay);
    EXPECT_EQ(scenes[2], kSceneStageReport);
    ASSERT_GE(scenes.size(), 4u);
    EXPECT_EQ(scenes[3], kSceneEnding);
    const FrameRow* report = FindRow(r.rows, [](const FrameRow& row) { return row.sceneAfter == kSceneStageReport; });
    ASSERT_NE(report, nullptr);
    EXPECT_GT(report->frame, g_watch.castleGone);
    EXPECT_EQ(report->stageIndex, 4);

    // The recording plays back with the state of every play frame the same.
    const std::vector<std::pair<i32, u64>> recorded = std::move(g_watch.hashes);
    ASSERT_GT(recorded.size(), 10000u);
    g_watch = Watch{};
    RunSpec playback;
    playback.frameLimit = spec.frameLimit;
    playback.hook = Hook;
    playback.noDraw = true;
    playback.playFile = spec.recordFile;
    const RunResult p = RunGame(playback);
    EXPECT_EQ(p.exitCode, 0);
    EXPECT_EQ(g_watch.castleStates, (std::vector<i32>{1001, 1099}));
    ASSERT_EQ(g_watch.hashes.size(), recorded.size());
    for (std::size_t i = 0; i < recorded.size(); ++i) {
        ASSERT_EQ(g_watch.hashes[i], recorded[i]) << "play frame " << recorded[i].first;
    }
}

}  // namespace
