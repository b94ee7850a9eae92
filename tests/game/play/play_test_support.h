#pragma once
// A clean play state for the tests of the player, its shots and missiles, the
// coins, the enemy bullets and the collision passes: every list empty, the
// player reset for a stage start, the generator seeded, the sound gates open,
// and the live input given word by word through the scripted input.
#include <gtest/gtest.h>

#include <vector>

#include "engine/core/application.h"
#include "engine/core/random.h"
#include "game/play/play_overlays.h"
#include "game/play/player.h"
#include "game/play/records.h"
#include "game/shell/input.h"
#include "game/shell/play_state.h"
#include "game/shell/replay.h"
#include "game/shell/sound_effects.h"
#include "platform/input.h"

namespace play_test {

inline void ResetPlay() {
    ResetGameState();
    ResetPlayPrompts();
    ResetPlayLists();
    ResetPlayRecord(g_PlayRecord);
    ClearStageRanks(g_PlayRecord);
    ClearSoundEffectStamps();
    RearmSoundEffectGates();
    RandomSeed(1234);
    g_GameState.Continues = 3;
    g_GameState.BackgroundZoom = 4.0f;
    ResetPlayerState(0);
    ResetPlayerState(1);
    App().active = 1;
}

class PlayTest : public ::testing::Test {
protected:
    void SetUp() override { ResetPlay(); }
    void TearDown() override {
        platform::ClearScriptedInput();
        ResetPlay();
    }

    // The live input word of the next frame.
    static void Live(u16 word) {
        platform::SetScriptedInput({word});
        platform::ScriptedInput();
    }
    // One play frame of the player with this live input: the sound gates
    // open, the update, then the frame counter as the play frame advances it.
    // The gates stay as the update left them.
    static void Frame(u16 word) {
        RearmSoundEffectGates();
        Live(word);
        UpdatePlayer();
        ++g_GameState.FrameCounter;
    }
    static PlayerState& P() { return g_PlayerState[0]; }

    static EnemyBullet Bullet(i32 kind, f32 x, f32 y, HitShape shape = {0.0f, 0.0f, 5.0f}) {
        EnemyBullet b;
        b.kind = kind;
        b.x = x;
        b.y = y;
        b.hitShape = shape;
        return b;
    }
    static Coin MakeCoin(f32 x, f32 y, i32 age = 20) {
        Coin c;
        c.kind = 10;
        c.age = age;
        c.x = x;
        c.y = y;
        c.angle = 1.0f;
        c.speed = 0.0f;
        return c;
    }
    static std::size_t CountEffects(i32 kind) {
        std::size_t n = 0;
        for (const Effect& e : g_EffectList) n += e.kind == kind;
        return n;
    }
};

}  // namespace play_test
