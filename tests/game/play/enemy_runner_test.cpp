// An enemy built by the test, put into the first stage of a headless run of
// the whole game (with the stage's own waves held back), is shot down by
// the player's gun: its parts die in blasts, it drops coins, and the score
// shows.
#include <gtest/gtest.h>

#include <string>

#include "game/play/enemy_runtime.h"
#include "game/play/records.h"
#include "game/shell/game_main.h"
#include "game/shell/input.h"
#include "game/shell/play_state.h"
#include "tests/game/play/runner_support.h"
#include "tests/support/golden.h"

namespace {

using namespace runner_test;

i64 g_injectAt = 0;
i32 g_core = -1, g_wing = -1;

i32 MakePart(i32 spriteKind, i32 hp, f32 radius, f32 offsetX) {
    const i32 slot = AllocateEnemyPart();
    if (slot < 0) return slot;
    EnemyPart& p = g_EnemyPartPool[slot];
    p.state = 1;
    p.spriteKind = spriteKind;
    p.maxHp = hp;
    p.hp = hp;
    p.hitShape = HitShape{0, 0, radius};
    p.offsetX = offsetX;
    p.coinValue = 0;
    p.scoreValue = 0;
    for (i32& c : p.children) c = kNoPart;
    return slot;
}

// A core of 60 points with a wing, straight ahead of the aircraft.
void InjectEnemy(const FrameRow& row) {
    if (row.frame != g_injectAt || row.sceneAfter != kScenePlay) return;
    // The stage's own waves are held back (a phase its timeline has no rules
    // for), so that only the test's enemy is under the gun.
    g_GameState.StageScriptPhase = 99;
    g_core = MakePart(10, 60, 14.0f, 0.0f);
    g_wing = MakePart(1, 100, 8.0f, 40.0f);
    g_EnemyPartPool[g_core].children[0] = g_wing;
    g_EnemyPartPool[g_core].coinValue = 4;
    g_EnemyPartPool[g_core].scoreValue = 200;
    Enemy e;
    e.spawnId = 999;  // no stage rule of its own
    e.corePart = 0;
    e.active = 1;
    e.x = g_PlayerState[0].x;
    e.y = 150.0f;
    e.rootParts[0] = g_core;
    g_EnemyList.push_back(e);
}

TEST(EnemyRunner, ATestEnemyIsShotDownWithBlastsCoinsAndScore) {
    // A full run from the title; the first stage opens about frame 511.
    constexpr i64 kStart = 600;
    Script s(kStart + 160);
    s.Tap(151, kInputZ).Tap(400, kInputZ).Tap(415, kInputZ);
    s.Hold(kStart + 1, kStart + 100, kInputZ);
    g_injectAt = kStart;
    RunSpec spec;
    spec.input = s.words;
    spec.frameLimit = static_cast<i64>(s.words.size());
    spec.hook = InjectEnemy;
    // Six hits of 10 kill the core: the enemy goes on frame kStart + 20.
    constexpr i64 kGone = kStart + 20;
    spec.shotFrames = {kStart + 10, kGone + 3, spec.frameLimit};
    const RunResult r = RunGame(spec);
    ASSERT_EQ(r.exitCode, 0);
    ASSERT_GE(g_core, 0);

    const FrameRow& before = RowAt(r, kStart + 1);
    EXPECT_EQ(before.sceneBefore, kScenePlay);
    EXPECT_EQ(before.enemies, 1);
    EXPECT_EQ(before.stagePoints, 0);
    EXPECT_EQ(RowAt(r, kStart + 10).enemies, 1);
    EXPECT_TRUE(ShotMatches(r, kStart + 10, "runner_enemy_under_fire"));

    // The gun wears the core down; the collision phase destroys the enemy.
    const FrameRow* gone = FindRow(
        r.rows, [](const FrameRow& row) { return row.enemies == 0; }, kStart + 1);
    ASSERT_NE(gone, nullptr);
    EXPECT_EQ(gone->frame, kGone);
    EXPECT_GT(gone->effects, 16);  // blasts of both parts, at least
    EXPECT_GT(gone->coins, 0);
    EXPECT_GT(gone->stagePoints, 0);
    EXPECT_EQ(g_EnemyPartPool[g_core].inUse, 0);
    EXPECT_EQ(g_EnemyPartPool[g_wing].inUse, 0);
    EXPECT_TRUE(ShotMatches(r, kGone + 3, "runner_enemy_blast"));
    // The HUD counts the points up to what was scored.
    const FrameRow& last = r.rows.back();
    EXPECT_EQ(last.pointsShown, last.stagePoints);
    EXPECT_EQ(last.lives, 3);
    EXPECT_TRUE(ShotMatches(r, last.frame, "runner_enemy_score_shown"));
}

}  // namespace
