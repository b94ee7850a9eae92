// The end of the last stage in a headless run of the whole game: the last
// stage is chosen from the stage select and played as a run from the start
// would (the test's hook makes it one); the hook puts the sinking castle in
// with story flag 94 set, the timeline brings the last boss, and the hook
// downs each of its phases' targets as they open. After the last boss the
// list empties, the closing runs, the stage finishes, the report shows, the
// ending chosen by the story flags plays, and the game comes back to the
// title through the result; the progress file records the clear.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "game/enemy/enemy_behaviour.h"
#include "game/play/enemy_runtime.h"
#include "game/play/records.h"
#include "game/shell/ending_scene.h"
#include "game/shell/game_main.h"
#include "game/shell/input.h"
#include "game/shell/play_state.h"
#include "game/shell/save_files.h"
#include "game/shell/story_flags.h"
#include "game/stages/enemy_spawn.h"
#include "game/stages/stage_content.h"
#include "tests/game/play/runner_support.h"

namespace {

using namespace runner_test;
namespace fs = std::filesystem;

// The title's menus take keys from frame 400; the stage select's Z on the
// last stage comes at 505 and its play scene opens some 100 frames later.
constexpr i64 kSelect = 505;
// The pictures: the last boss rising small and grey once the castle has
// sunk, the last boss at full size in its last phase, and the ending's
// number.
constexpr i64 kSmallBossShot = 900;
constexpr i64 kFullBossShot = 3950;
constexpr i64 kEndingShot = 5766;

struct Seen {
    i64 armed = 0;           // the frame the castle was put in
    i64 smallBoss = 0;       // first frame with the last boss rising (900)
    i64 fullBoss = 0;        // first frame of its last phase's fight
    i32 bossStates[8] = {};  // 900, 901, 911, 912, 913, 915, 920/921, 0
    i32 endingNumber = 0;
    std::vector<u8> progress;  // the progress file as the title found it again
};
Seen g_seen;

bool IsLastBoss(const Enemy& e) {
    return e.state == 900 || e.state == 901 || (e.state >= 911 && e.state <= 915) || e.state == 920 || e.state == 921;
}

void Down(std::initializer_list<i32> roots) {
    for (const i32 r : roots) RootPart(0, r).state = -1;
}

void Note(i32 state) {
    static constexpr i32 kOrder[7] = {900, 901, 911, 912, 913, 915, 921};
    for (i32 i = 0; i < 7; ++i) {
        if (kOrder[i] == state || (i == 6 && state == 920)) g_seen.bossStates[i] = 1;
    }
}

std::vector<u8> ReadAll(const fs::path& path) {
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

void Hook(const FrameRow& row) {
    if (row.sceneAfter == kSceneEnding) g_seen.endingNumber = g_Ending.EndingNumber;
    // The run's folder is the working folder while it runs.
    if (row.sceneBefore == kSceneResult && row.sceneAfter == kSceneTitle)
        g_seen.progress = ReadAll("system/system.dat");
    if (row.sceneAfter != kScenePlay || row.stageIndex != 4) return;
    GameState& g = g_GameState;
    if (g_seen.armed == 0) {
        if (row.frameCounter < 2) return;
        g_seen.armed = row.frame;
        // A run from the start with the castle's every hub down and no
        // continue used: the clear is recorded, the ending follows.
        g.StartKind = kStartFullRun;
        g.Continues = 3;
        g.KillCountA = 8;
        g_SystemData.StageProgress[g.Difficulty][4] = 0;
        g.StoryFlags[kStoryLastBossEarned] = 1;
        while (!g_EnemyList.empty()) {
            ReleaseEnemyParts(0);
            g_EnemyList.erase(g_EnemyList.begin());
        }
        ASSERT_EQ(SpawnEnemyStage5(110), 0);
        Enemy& castle = g_EnemyList[0];
        castle.state = 1099;
        castle.age = 490;
        castle.x = 320.0f;
        castle.y = 700.0f;  // low, so that it has sunk away before the boss is high
        castle.corePart = -1;
        for (i32 r = 0; r < 20; ++r) {
            if (EnemyPart* p = RootPartAt(0, r)) p->action = 0;
        }
        g.StageScriptPhase = 14;
        g.StageScriptFrame = 0;
        g.BossActiveFlag = 1;
        return;
    }
    // The player is kept out of harm's way: the enemies' shots are cleared.
    g_EnemyBulletList.clear();
    g_EnemyShellList.clear();
    if (g_EnemyList.empty() || !IsLastBoss(g_EnemyList[0])) return;
    const Enemy& boss = g_EnemyList[0];
    Note(boss.state);
    if (boss.state == 900 && g_seen.smallBoss == 0 && boss.y < 300.0f) g_seen.smallBoss = row.frame;
    if (boss.state == 901 && boss.age > 1100) Down({3, 4, 5, 6});
    if (boss.state == 911 && boss.age > 1100 && boss.age < 5000) Down({10});
    if (boss.state == 912 && boss.age > 1200) Down({7, 8});
    if (boss.state == 913) {
        // The escorts are shot down as they come.
        while (g_EnemyList.size() > 1) {
            ReleaseEnemyParts(1);
            g_EnemyList.erase(g_EnemyList.begin() + 1);
        }
    }
    if (boss.state == 915 && boss.age > 1100) {
        if (g_seen.fullBoss == 0) g_seen.fullBoss = row.frame;
        if (boss.age > 1300) Down({2});
    }
}

TEST(LastBossRunner, TheLastBossFallsTheStageClosesAndTheEndingLeadsBackToTheTitle) {
    g_seen = Seen{};
    Script s(7300);
    s.Tap(151, kInputZ);     // past the logos
    s.Tap(400, kInputDown);  // main menu: the stage select entry
    s.Tap(415, kInputZ);     // difficulty menu
    s.Tap(430, kInputZ);     // EASY: the stage select opens
    for (i32 k = 0; k < 4; ++k) s.Tap(445 + 15 * k, kInputDown);
    s.Tap(kSelect, kInputZ);
    // From the report on, Z now and then: the report, the ending and the
    // result are cut short or confirmed.
    for (i64 f = 5440; f <= 6080; f += 40) s.Tap(f, kInputZ);
    for (i64 f = 6300; f <= 7100; f += 40) s.Tap(f, kInputZ);
    RunSpec spec;
    spec.input = s.words;
    spec.frameLimit = static_cast<i64>(s.words.size());
    spec.showTalk = 0;
    spec.hook = Hook;
    spec.watchReportAndEnding = true;
#if defined(__SANITIZE_ADDRESS__)
    // Some 7,000 frames drawn in full are too long for the sanitizer build:
    // it runs the same road without drawing, and the normal build keeps the
    // pictures.
    constexpr bool kPictures = false;
    spec.noDraw = true;
#else
    constexpr bool kPictures = true;
    spec.shotFrames = {kSmallBossShot, kFullBossShot, kEndingShot};
#endif
    const RunResult r = RunGame(spec);
    ASSERT_FALSE(r.rows.empty());
    ASSERT_GT(g_seen.armed, 0);
    for (i32 i = 0; i < 7; ++i) EXPECT_EQ(g_seen.bossStates[i], 1) << i;

    // The stage closes once the last boss has gone, then the report, the
    // ending and the result come in turn, and the title again.
    const FrameRow* report = FindRow(r.rows, [](const FrameRow& row) { return row.sceneAfter == kSceneStageReport; });
    ASSERT_NE(report, nullptr);
    EXPECT_EQ(report->sceneBefore, kScenePlay);
    EXPECT_EQ(report->stageIndex, 4);
    EXPECT_GT(report->frame, g_seen.fullBoss);
    const FrameRow* ending = FindRow(
        r.rows, [](const FrameRow& row) { return row.sceneAfter == kSceneEnding; }, report->frame);
    ASSERT_NE(ending, nullptr);
    EXPECT_EQ(ending->sceneBefore, kSceneStageReport);
    const FrameRow* result = FindRow(
        r.rows, [](const FrameRow& row) { return row.sceneAfter == kSceneResult; }, ending->frame);
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(result->sceneBefore, kSceneEnding);
    const FrameRow* title = FindRow(
        r.rows, [](const FrameRow& row) { return row.sceneAfter == kSceneTitle; }, result->frame);
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->sceneBefore, kSceneResult);
    EXPECT_LT(g_seen.smallBoss, kSmallBossShot);
    EXPECT_LT(g_seen.fullBoss, kFullBossShot);
    EXPECT_LT(ending->frame, kEndingShot);
    EXPECT_GT(result->frame, kEndingShot);
    if (kPictures) {
        EXPECT_TRUE(ShotMatches(r, kSmallBossShot, "last_boss_small"));
        EXPECT_TRUE(ShotMatches(r, kFullBossShot, "last_boss_full"));
        EXPECT_TRUE(ShotMatches(r, kEndingShot, "last_stage_ending"));
    }
    EXPECT_GE(g_seen.endingNumber, 1);
    EXPECT_LE(g_seen.endingNumber, 18);

    // The progress file: the last stage cleared on EASY, one ending shown and
    // seen.
    const std::vector<u8>& bytes = g_seen.progress;
    ASSERT_FALSE(bytes.empty());
    const SystemData saved = DecodeSystemData(bytes.data(), bytes.size());
    EXPECT_EQ(saved.StageProgress[0][4], 1);
    EXPECT_EQ(saved.endingsShown, 1u);
    EXPECT_EQ(saved.endingSeen[static_cast<std::size_t>(g_seen.endingNumber)], 1);
}

}  // namespace
