#pragma once
// A stage run by its own content, frame by frame: the enemies with their
// patterns on HARD, the timeline and the talk, with the numbers audit
// watching (every spawn declared, every state, action and look seen on the
// field with its row). Nothing moves or removes the bullets, shells and
// effects, so each frame clears them.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "game/enemy/enemy_content.h"
#include "game/patterns/pattern_content.h"
#include "game/patterns/stage_registry.h"
#include "game/play/talk.h"
#include "game/stages/stage_content.h"
#include "tests/game/enemy/stage_fixture.h"
#include "tests/game/stages/numbers_audit.h"

namespace stage_test {

template <const StageHooks& Hooks>
class StageFlowTest : public StageTest<Hooks> {
protected:
    void SetUp() override {
        StageTest<Hooks>::SetUp();
        RegisterStages();
        g_GameState.Difficulty = 2;
        audit_ = std::make_unique<NumbersAudit>(Hooks.stageIndex);
    }
    void TearDown() override {
        const std::vector<std::string> problems = audit_->Problems();
        EXPECT_GT(audit_->SpawnsSeen(), 0u);
        for (const std::string& p : problems) ADD_FAILURE() << p;
        audit_.reset();
        ResetStageDispatch();
        StageTest<Hooks>::TearDown();
    }
    void Enter(i32 phase, i32 frame) {
        g_GameState.StageScriptPhase = phase;
        g_GameState.StageScriptFrame = frame;
    }
    // What a test does before and after each play frame.
    virtual void BeforeFrame() {}
    virtual void AfterFrame() {}
    // One play frame of the parts the stage's content drives.
    void PlayFrame() {
        BeforeFrame();
        RunEnemies();
        g_EnemyBulletList.clear();
        g_EnemyShellList.clear();
        g_EffectList.clear();
        g_GameState.FrameCounter += 1;
        RunStageScript();
        UpdateTalk();
        audit_->Look();
        AfterFrame();
    }
    // The phases in the order the timeline entered them, until `phase` has
    // run for `extra` frames or `limit` frames have passed.
    std::vector<i32> RunUntil(i32 phase, i32 extra, i32 limit, void (*onPhase)(i32) = nullptr) {
        std::vector<i32> phases = {g_GameState.StageScriptPhase};
        for (i32 f = 0; f < limit; ++f) {
            PlayFrame();
            const i32 now = g_GameState.StageScriptPhase;
            if (now != phases.back()) {
                phases.push_back(now);
                if (onPhase) onPhase(now);
            }
            if (now == phase && g_GameState.StageScriptFrame > extra) break;
        }
        return phases;
    }

    std::unique_ptr<NumbersAudit> audit_;
};

}  // namespace stage_test
