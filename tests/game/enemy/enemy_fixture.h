#pragma once
// Enemies built from a small table for the tests of the enemy, stage and
// pattern frames: a clean play state, the dispatch tables at their defaults,
// no looks, and helpers that build a kind with the generic spawner and place
// it.
#include <gtest/gtest.h>

#include <ostream>
#include <vector>

#include "engine/core/random.h"
#include "game/enemy/enemy_draw.h"
#include "game/play/records.h"
#include "game/play/stage_dispatch.h"
#include "game/shell/game_math.h"
#include "game/shell/play_state.h"
#include "game/shell/transition.h"
#include "game/stages/enemy_spawn.h"

namespace enemy_test {

// A part of the test table: sprite kind, offset, angle and child labels.
inline PartSpec TablePart(i32 spriteKind, f32 offsetX, f32 offsetY, std::vector<i32> children = {}, f32 angle = 0.0f) {
    PartSpec p;
    p.spriteKind = spriteKind;
    p.hp = 100;
    p.shape = HitShape{0, 0, 10};
    p.offsetX = offsetX;
    p.offsetY = offsetY;
    p.children = std::move(children);
    p.angle = angle;
    return p;
}

inline EnemyKindSpec TableKind(std::vector<PartSpec> parts, std::vector<i32> roots) {
    EnemyKindSpec k;
    k.kind = 1;
    k.parts = std::move(parts);
    k.roots = std::move(roots);
    return k;
}

// A clean play state: game state, lists and pool, dispatch defaults, no
// looks, no transition, the game generator reseeded.
inline void ResetEnemyFrameState() {
    ResetGameState();
    ResetPlayLists();
    ResetStageDispatch();
    ClearEnemyLooks();
    SetLookDrawObserver(nullptr);
    TransitionState = Transition{};
    RandomSeed(12345);
    SetPlayerPositionSource([](u32 player, f32* x, f32* y) {
        *x = g_PlayerState[player].x;
        *y = g_PlayerState[player].y;
    });
}

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

// The lowest free pool slot (where the next spawn's part P0 goes).
inline i32 FirstFreeSlot() {
    for (i32 i = 0; i < kEnemyPartPoolSize; ++i) {
        if (g_EnemyPartPool[i].inUse == 0) return i;
    }
    return kEnemyPartPoolSize;
}

// Builds the kind at (x, y) with that rotation (also the heading) and scale;
// the index in g_EnemyList.
inline i32 BuildTableEnemy(const EnemyKindSpec& kind, f32 x, f32 y, f32 rotation = 0.0f, f32 scale = 1.0f) {
    const i32 e = SpawnEnemyKind(kind);
    EXPECT_GE(e, 0);
    if (e < 0) return e;
    Enemy& enemy = g_EnemyList[static_cast<std::size_t>(e)];
    enemy.x = x;
    enemy.y = y;
    enemy.rotation = rotation;
    enemy.heading = rotation;
    enemy.scale = scale;
    return e;
}

// What one frame of a part fired: the part's timer after the frame, and the
// bullets and shells it added.
struct Volley {
    i32 t;
    i32 bullets;
    i32 shells;
    bool operator==(const Volley&) const = default;
};
inline std::ostream& operator<<(std::ostream& os, const Volley& v) {
    return os << "{t " << v.t << ": " << v.bullets << " bullets, " << v.shells << " shells}";
}

// One frame of `part` of `enemy` through a stage's part step
// (StepStageParts<RunPartActionStageN>) at the difficulty; what it fired.
inline Volley StepPartOnce(StepPartFn step, i32 difficulty, i32 enemy, EnemyPart* part) {
    const std::size_t b = g_EnemyBulletList.size();
    const std::size_t s = g_EnemyShellList.size();
    Enemy& e = g_EnemyList[static_cast<std::size_t>(enemy)];
    step(difficulty, enemy, part, &e.x, &e.rotation);
    return {part->timer, static_cast<i32>(g_EnemyBulletList.size() - b), static_cast<i32>(g_EnemyShellList.size() - s)};
}

// Every frame that fired while the part's timer runs up to `last`.
inline std::vector<Volley> VolleysUntil(StepPartFn step, i32 difficulty, i32 enemy, EnemyPart* part, i32 last) {
    std::vector<Volley> out;
    while (part->timer < last) {
        const Volley v = StepPartOnce(step, difficulty, enemy, part);
        if (v.bullets != 0 || v.shells != 0) out.push_back(v);
    }
    return out;
}

class EnemyFrameTest : public ::testing::Test {
protected:
    void SetUp() override { ResetEnemyFrameState(); }
    void TearDown() override { ResetEnemyFrameState(); }

    // BuildTableEnemy; Part(label) then names the parts of this enemy (the
    // pool fills from the lowest free slot, in build order).
    i32 Build(const EnemyKindSpec& kind, f32 x, f32 y, f32 rotation = 0.0f, f32 scale = 1.0f) {
        firstSlot_ = FirstFreeSlot();
        return BuildTableEnemy(kind, x, y, rotation, scale);
    }
    EnemyPart& Part(i32 label) { return g_EnemyPartPool[firstSlot_ + label]; }

    i32 firstSlot_ = 0;
};

}  // namespace enemy_test
