#pragma once
// A stage's attack patterns stepped part by part: a clean play state, the
// player at (300, 420), the default hit shapes as the game's set-up fills
// them, and what each frame of the part fired. A test builds its part with
// Build (enemy_fixture.h), points enemy_ and part_ at it and steps it with
// the stage's part step at a difficulty.
#include <gtest/gtest.h>

#include <vector>

#include "game/patterns/pattern_content.h"
#include "game/play/records.h"
#include "game/play/stage_dispatch.h"
#include "tests/game/enemy/enemy_fixture.h"

namespace pattern_test {

// What one frame of the part fired.
using Shot = enemy_test::Volley;

// The patterns of the stage whose actions run by `Actions` (RunPartActionStageN).
template <PartActionFn Actions>
class PatternTest : public enemy_test::EnemyFrameTest {
protected:
    void SetUp() override {
        EnemyFrameTest::SetUp();
        g_PlayerState[0].x = 300.0f;
        g_PlayerState[0].y = 420.0f;
        DefaultHitShapes[0] = {5, 3, 0};
        DefaultHitShapes[1] = {0, 0, 5};
        DefaultHitShapes[2] = {0, 0, 12};
    }
    Enemy& Owner() { return g_EnemyList[static_cast<std::size_t>(enemy_)]; }
    // One frame of the part at the difficulty; what it fired.
    Shot Step(i32 difficulty) { return enemy_test::StepPartOnce(StepStageParts<Actions>, difficulty, enemy_, part_); }
    // Every frame that fired while the timer runs up to `last`.
    std::vector<Shot> Log(i32 difficulty, i32 last) {
        return enemy_test::VolleysUntil(StepStageParts<Actions>, difficulty, enemy_, part_, last);
    }
    // The timers of the frames that fired.
    std::vector<i32> Frames(i32 difficulty, i32 last) {
        std::vector<i32> frames;
        for (const Shot& s : Log(difficulty, last)) frames.push_back(s.t);
        return frames;
    }

    i32 enemy_ = 0;
    EnemyPart* part_ = nullptr;
};

}  // namespace pattern_test
