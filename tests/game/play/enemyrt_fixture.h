#pragma once
// A clean play state for the enemy runtime tests, and helpers that build
// enemies and parts the way the stage spawners do.
#include <gtest/gtest.h>

#include <initializer_list>

#include "engine/core/random.h"
#include "game/play/enemy_runtime.h"
#include "game/play/records.h"
#include "game/play/stage_dispatch.h"
#include "game/shell/game_math.h"
#include "game/shell/hit_shape.h"
#include "game/shell/play_state.h"
#include "game/shell/sound_effects.h"

namespace enemyrt_test {

class PlayFixture : public ::testing::Test {
protected:
    void SetUp() override { Clean(); }
    void TearDown() override { Clean(); }

    static void Clean() {
        ResetGameState();
        ResetPlayLists();
        ResetStageDispatch();
        for (EnemyPart& part : g_EnemyPartPool) part = EnemyPart{};
        g_TalkState = TalkState{};
        RandomSeed(12345);
        RearmSoundEffectGates();
        ClearSoundEffectStamps();
        DefaultHitShapes[0] = HitShape{5, 3, 0};
        DefaultHitShapes[1] = HitShape{0, 0, 5};
        DefaultHitShapes[2] = HitShape{0, 0, 12};
        g_PlayerState[0].shotLevel = 1;
        g_PlayerState[0].lives = 3;
        SetPlayerPositionSource(&PlayerPosition);
    }

    static void PlayerPosition(u32 player, f32* x, f32* y) {
        *x = g_PlayerState[player].x;
        *y = g_PlayerState[player].y;
    }

    // A part in the pool: alive, with a circle of radius `radius`.
    static i32 MakePart(i32 spriteKind, i32 hp, f32 radius = 10.0f, f32 offsetX = 0.0f, f32 offsetY = 0.0f) {
        const i32 slot = AllocateEnemyPart();
        EXPECT_GE(slot, 0);
        EnemyPart& p = g_EnemyPartPool[slot];
        p.state = 1;
        p.spriteKind = spriteKind;
        p.maxHp = hp;
        p.hp = hp;
        p.timer = 0;
        p.hitShape = HitShape{0, 0, radius};
        p.restAngle = 0;
        p.angle = 0;
        p.action = 0;
        p.offsetX = offsetX;
        p.offsetY = offsetY;
        p.coinValue = 0;
        p.scoreValue = 0;
        p.hitTimer = 0;
        for (i32& c : p.children) c = kNoPart;
        return slot;
    }

    static void AddChild(i32 parent, i32 child) {
        for (i32& c : g_EnemyPartPool[parent].children) {
            if (c == kNoPart) {
                c = child;
                return;
            }
        }
    }

    // An active enemy at (x, y) with the given root parts; returns its index.
    static i32 MakeEnemy(i32 spawnId, f32 x, f32 y, std::initializer_list<i32> roots, i32 corePart = 0) {
        Enemy e;
        e.spawnId = spawnId;
        e.corePart = corePart;
        e.active = 1;
        e.x = x;
        e.y = y;
        int r = 0;
        for (i32 root : roots) e.rootParts[r++] = root;
        g_EnemyList.push_back(e);
        return static_cast<i32>(g_EnemyList.size()) - 1;
    }

    static PlayerShot Shot(i32 kind, i32 damage, f32 x, f32 y, u8 consume = 1) {
        PlayerShot s;
        s.kind = kind;
        s.damage = damage;
        s.x = x;
        s.y = y;
        s.consumeOnHit = consume;
        s.hitShape = HitShape{0, 0, 4};
        return s;
    }

    static bool Played(i32 sound) { return SoundEffectGates[sound] == 0; }

    static int CountEffects(i32 kind) {
        int n = 0;
        for (const Effect& e : g_EffectList)
            if (e.kind == kind) ++n;
        return n;
    }
};

}  // namespace enemyrt_test
