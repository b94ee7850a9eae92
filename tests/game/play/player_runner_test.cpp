// A scripted flight of the whole game, headless: a full run from the title,
// the player fires and launches missiles over the first stage, is struck by
// enemy bullets the test puts on the aircraft (the first stage has no
// enemies of its own yet), loses every life and is offered a continue.
#include <gtest/gtest.h>

#include <string>

#include "game/play/records.h"
#include "game/shell/game_main.h"
#include "game/shell/hit_shape.h"
#include "game/shell/input.h"
#include "game/shell/play_state.h"
#include "tests/game/play/runner_support.h"
#include "tests/support/golden.h"

namespace {

using namespace runner_test;

// Frames (of the run) after which a bullet is laid on the aircraft.
i64 g_strikes[3] = {};

void StrikeThePlayer(const FrameRow& row) {
    if (row.sceneAfter != kScenePlay) return;
    for (i64 at : g_strikes) {
        if (row.frame != at) continue;
        EnemyBullet b;
        b.kind = 10;
        b.x = g_PlayerState[0].x;
        b.y = g_PlayerState[0].y;
        b.hitShape = DefaultHitShapes[1];
        g_EnemyBulletList.push_back(b);
    }
}

TEST(PlayerRunner, AFlightFiresLaunchesMissilesIsStruckAndDies) {
    // Title: the first entry (a full run), the first difficulty; the stage
    // opens about 96 frames later.
    constexpr i64 kStart = 530;
    Script s(kStart + 900);
    s.Tap(151, kInputZ).Tap(400, kInputZ).Tap(415, kInputZ);
    s.Hold(kStart, kStart + 59, kInputZ | kInputLeft);
    s.Tap(kStart + 20, kInputX);
    s.Tap(kStart + 40, kInputX);
    // Hits 200 frames apart: each outlasts the blinking of the one before.
    g_strikes[0] = kStart + 80;
    g_strikes[1] = kStart + 290;
    g_strikes[2] = kStart + 500;
    RunSpec spec;
    spec.input = s.words;
    spec.frameLimit = static_cast<i64>(s.words.size());
    spec.hook = StrikeThePlayer;
    spec.shotFrames = {kStart + 45, g_strikes[0] + 2, g_strikes[2] + 30, static_cast<i64>(s.words.size())};
    const RunResult r = RunGame(spec);
    ASSERT_EQ(r.exitCode, 0);
    ASSERT_EQ(r.rows.back().frame, spec.frameLimit);

    const FrameRow& first = RowAt(r, kStart);
    EXPECT_EQ(first.sceneBefore, kScenePlay);
    EXPECT_EQ(first.stageIndex, 0);
    EXPECT_EQ(first.startKind, kStartFullRun);
    EXPECT_EQ(first.lives, 3);
    EXPECT_EQ(first.missileStock, 3);
    // Firing: shots in the air; X launches on its release, one missile each.
    EXPECT_GT(RowAt(r, kStart + 10).shots, 0);
    EXPECT_EQ(RowAt(r, kStart + 20).missileStock, 3);
    EXPECT_EQ(RowAt(r, kStart + 21).missileStock, 2);
    EXPECT_GT(RowAt(r, kStart + 21).missiles, 0);
    EXPECT_EQ(RowAt(r, kStart + 41).missileStock, 1);
    EXPECT_LT(RowAt(r, kStart + 59).x, first.x);
    EXPECT_TRUE(ShotMatches(r, kStart + 45, "runner_flight_fire_missiles"));

    // Each bullet costs a life on the next frame, with the blinking that
    // keeps the next one off; the hit bursts into effects.
    const i32 livesAfter[3] = {2, 1, 0};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE("hit " + std::to_string(i + 1));
        EXPECT_EQ(RowAt(r, g_strikes[i]).lives, 3 - i);
        const FrameRow& hit = RowAt(r, g_strikes[i] + 1);
        EXPECT_EQ(hit.lives, livesAfter[i]);
        EXPECT_EQ(hit.blinkTimer, i < 2 ? 200 : 400);
        EXPECT_EQ(hit.bullets, 0);
        EXPECT_GT(hit.effects, 0);
    }
    EXPECT_TRUE(ShotMatches(r, g_strikes[0] + 2, "runner_player_hit"));
    EXPECT_TRUE(ShotMatches(r, g_strikes[2] + 30, "runner_player_dead"));

    // Game over once the last blinking is down to 100: a full run offers a
    // continue, and the frame stops counting.
    const FrameRow* prompt = FindRow(
        r.rows, [](const FrameRow& row) { return row.continuePrompt != 0; }, g_strikes[2]);
    ASSERT_NE(prompt, nullptr);
    EXPECT_EQ(prompt->frame, g_strikes[2] + 1 + 300);
    EXPECT_EQ(r.rows.back().continuePrompt, 1);
    EXPECT_EQ(r.rows.back().frameCounter, prompt->frameCounter);
    EXPECT_EQ(r.rows.back().sceneBefore, kScenePlay);
    EXPECT_TRUE(ShotMatches(r, spec.frameLimit, "runner_continue_prompt"));
}

}  // namespace
