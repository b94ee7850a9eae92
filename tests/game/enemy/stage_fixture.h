#pragma once
// One stage for the tests of its behaviours, timeline and patterns: a clean
// play state, the stage's behaviour registered (its part steps only when a
// test asks for them), the player at a fixed place, no talk running, the
// default hit shapes as the game's set-up fills them, and helpers to spawn
// the stage's kinds and to run frames. Each stage names its hooks once:
//
//     inline constexpr stage_test::StageHooks kStage1Hooks{
//         0, StepEnemyStage1, SpawnEnemyStage1, StepStageParts<RunPartActionStage1>};
//     class Stage1Test : public stage_test::StageTest<kStage1Hooks> {};
#include <gtest/gtest.h>

#include <initializer_list>

#include "engine/core/random.h"
#include "game/enemy/enemy_behaviour.h"
#include "game/enemy/enemy_content.h"
#include "game/patterns/part_step.h"
#include "game/patterns/pattern_content.h"
#include "game/play/enemy_runtime.h"
#include "game/play/records.h"
#include "game/play/stage_dispatch.h"
#include "game/shell/play_state.h"
#include "game/stages/enemy_spawn.h"
#include "game/stages/stage_content.h"
#include "tests/game/enemy/enemy_fixture.h"

namespace stage_test {

// How many values of the game generator were drawn since RandomSeed(seed).
inline i32 DrawsSince(u32 seed, i32 limit = 100000) {
    const u32 now = RandomGetState();
    RandomSetState(seed);
    for (i32 k = 0; k <= limit; ++k) {
        if (RandomGetState() == now) return k;
        RandomNext();
    }
    RandomSetState(now);
    return -1;
}

// A stage's entry points.
struct StageHooks {
    i32 stageIndex = 0;
    StepEnemyFn step = nullptr;
    i32 (*spawn)(i32 kind) = nullptr;
    StepPartFn parts = nullptr;  // handed the difficulty
};

template <const StageHooks& Hooks>
class StageTest : public enemy_test::EnemyFrameTest {
protected:
    void SetUp() override {
        EnemyFrameTest::SetUp();
        g_GameState.StageIndex = Hooks.stageIndex;
        g_GameState.Difficulty = 0;
        RegisterStepEnemy(Hooks.stageIndex, Hooks.step);
        g_PlayerState[0].x = 320.0f;
        g_PlayerState[0].y = 400.0f;
        g_PlayerState[0].shotLevel = 1;
        g_PlayerState[0].lives = 3;
        g_TalkState.active = 0;
        g_TalkState.eventId = 0;
        DefaultHitShapes[0] = {5, 3, 0};
        DefaultHitShapes[1] = {0, 0, 5};
        DefaultHitShapes[2] = {0, 0, 12};
    }

    // A fresh state inside one test (for tables of cases).
    void Restart() {
        enemy_test::ResetEnemyFrameState();
        SetUp();
    }

    // The stage's part steps, at the difficulty.
    void WithPatterns(i32 difficulty) {
        g_GameState.Difficulty = difficulty;
        RegisterStepPart(Hooks.stageIndex, Hooks.parts);
    }

    // Spawns the kind of the fixture's stage and writes what a timeline writes.
    i32 Spawn(i32 kind, i32 state, f32 x, f32 y, f32 speed, f32 heading = 1.5707964f) {
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
    EnemyPart& Child(i32 e, i32 root, i32 child) { return g_EnemyPartPool[Root(e, root).children[child]]; }

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
    // Runs the enemy at 0 until the step that sees age `age` has run.
    void RunToAge(i32 age) {
        while (!g_EnemyList.empty() && At(0).age <= age) Frame();
    }
    // Root parts of the enemy at 0 destroyed (state -1).
    void Destroy(std::initializer_list<i32> roots) {
        for (const i32 r : roots) Root(0, r).state = -1;
    }
    // No talk runs, so the next event starts whatever its priority.
    void QuietTalk() { g_TalkState.active = 0; }

    i32 Score() const { return g_PlayerState[0].StageScorePoints; }

    // The spawner Spawn calls (a fixture derived for another stage may set
    // its own).
    i32 (*spawner_)(i32 kind) = Hooks.spawn;
    i32 CountEffects(i32 kind) const {
        i32 n = 0;
        for (const Effect& e : g_EffectList) n += e.kind == kind ? 1 : 0;
        return n;
    }
};

}  // namespace stage_test
