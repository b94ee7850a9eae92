#pragma once
// Stage index 0 for the tests of its behaviours, timeline and patterns: a
// clean play state, the stage's behaviour registered (its part steps only when
// a test asks for them), the player at a fixed place, and helpers to spawn the
// stage's kinds and to run frames.
#include <gtest/gtest.h>

#include "engine/core/random.h"
#include "game/enemy/enemy_behaviour.h"
#include "game/enemy/enemy_content.h"
#include "game/patterns/part_step.h"
#include "game/play/enemy_runtime.h"
#include "game/play/records.h"
#include "game/play/stage_dispatch.h"
#include "game/shell/play_state.h"
#include "game/stages/enemy_spawn.h"
#include "tests/game/enemy/enemy_fixture.h"

namespace stage1_test {

constexpr f32 kHalfPi = 1.5707964f;

using enemy_test::DrawsSince;

class Stage1Test : public enemy_test::EnemyFrameTest {
protected:
    void SetUp() override {
        EnemyFrameTest::SetUp();
        g_GameState.StageIndex = 0;
        g_GameState.Difficulty = 0;
        RegisterStepEnemy(0, StepEnemyStage1);
        g_PlayerState[0].x = 320.0f;
        g_PlayerState[0].y = 400.0f;
        g_PlayerState[0].shotLevel = 1;
        g_PlayerState[0].lives = 3;
    }

    // A fresh state inside one test (for tables of cases).
    void Restart() {
        enemy_test::ResetEnemyFrameState();
        SetUp();
    }

    // Part steps of stage index 0 at the difficulty.
    void WithPatterns(i32 difficulty) {
        g_GameState.Difficulty = difficulty;
        RegisterStepPart(0, 0, StepPartStage1Easy);
        RegisterStepPart(0, 1, StepPartStage1Normal);
        RegisterStepPart(0, 2, StepPartStage1Hard);
    }

    // Spawns the kind of the fixture's stage and writes what a timeline writes.
    i32 Spawn(i32 kind, i32 state, f32 x, f32 y, f32 speed, f32 heading = kHalfPi) {
        const i32 e = spawner_(kind);
        EXPECT_GE(e, 0);
        if (e < 0) return e;
        Enemy& enemy = g_EnemyList[static_cast<std::size_t>(e)];
        enemy.state = state;
        enemy.speed = speed;
        enemy.x = x;
        enemy.y = y;
        enemy.heading = heading;
        enemy.rotation = heading;
        return e;
    }

    Enemy& At(i32 e) { return g_EnemyList[static_cast<std::size_t>(e)]; }
    EnemyPart& Root(i32 e, i32 root) { return g_EnemyPartPool[At(e).rootParts[root]]; }

    // One play frame of the enemies.
    void Frame() {
        RunEnemies();
        g_GameState.FrameCounter += 1;
    }
    void Frames(i32 n) {
        for (i32 i = 0; i < n; ++i) Frame();
    }
    // Frames until the list is empty (the frame that empties it counted), or
    // -1 within `limit`.
    i32 FramesUntilEmpty(i32 limit) {
        for (i32 i = 1; i <= limit; ++i) {
            Frame();
            if (g_EnemyList.empty()) return i;
        }
        return -1;
    }
    // No talk runs, so the next event starts whatever its priority.
    void QuietTalk() { g_TalkState.active = 0; }

    // The spawner Spawn calls (a fixture of another stage sets its own).
    i32 (*spawner_)(i32 kind) = SpawnEnemyStage1;
};

}  // namespace stage1_test
