#include "game/stages/stage_timeline.h"

#include <algorithm>

#include "engine/core/random.h"
#include "game/play/stage_random.h"
#include "game/shell/play_state.h"
#include "game/shell/transition.h"

namespace {

SpawnObserver g_spawnObserver = nullptr;

SpawnCoord StageCoord(i32 base, i32 sign, i32 bound) {
    SpawnCoord c;
    c.from = SpawnCoord::From::kStage;
    c.base = base;
    c.sign = sign;
    c.bound = bound;
    return c;
}

}  // namespace

i32 ScriptFrame() { return g_GameState.StageScriptFrame; }

bool AtFrame(i32 f) { return ScriptFrame() == f; }

bool EveryInWindow(i32 first, i32 last, i32 every) {
    const i32 frame = ScriptFrame();
    return frame >= first && frame <= last && frame % every == 0;
}

bool EvenPeriod(i32 start, i32 period) { return ((ScriptFrame() - start) / period) % 2 == 0; }

bool JumpWhenListEmpty(i32 first, i32 last, i32 target) {
    const i32 frame = ScriptFrame();
    if (frame < first || frame > last || !g_EnemyList.empty()) return false;
    g_GameState.StageScriptFrame = target;
    return true;
}

void ChangePhase(i32 phase) {
    g_GameState.StageScriptPhase = phase;
    g_GameState.StageScriptFrame = 0;
}

SpawnCoord RandomRange(f32 lo, f32 hi) {
    SpawnCoord c;
    c.from = SpawnCoord::From::kEngine;
    c.lo = lo;
    c.hi = hi;
    return c;
}

SpawnCoord StagePlus(i32 base, i32 bound) { return StageCoord(base, 1, bound); }

SpawnCoord StageMinus(i32 base, i32 bound) { return StageCoord(base, -1, bound); }

f32 ResolveSpawnCoord(const SpawnCoord& c) {
    switch (c.from) {
        case SpawnCoord::From::kFixed: break;
        case SpawnCoord::From::kEngine: return RandomFloat(c.lo, c.hi);
        case SpawnCoord::From::kStage: {
            // The draw is below 2^31 for any bound the stages use: signed from here on.
            const i32 r = static_cast<i32>(StageRandomBelow(&g_StageRandomState, c.bound));
            return static_cast<f32>(c.base + c.sign * r);
        }
    }
    return c.lo;
}

i32 SpawnAndPlace(SpawnEnemyFn spawn, const SpawnOrder& order) {
    const i32 index = spawn(order.kind);
    if (index < 0 || static_cast<std::size_t>(index) >= g_EnemyList.size()) return -1;
    const std::size_t i = static_cast<std::size_t>(index);
    g_EnemyList[i].state = order.state;
    g_EnemyList[i].speed = order.speed;
    const f32 x = ResolveSpawnCoord(order.x);
    g_EnemyList[i].x = x;
    const f32 y = ResolveSpawnCoord(order.y);
    g_EnemyList[i].y = y;
    if (order.heading) {
        g_EnemyList[i].heading = *order.heading;
        g_EnemyList[i].rotation = *order.heading;
    }
    if (order.rotation) g_EnemyList[i].rotation = *order.rotation;
    if (order.age) g_EnemyList[i].age = *order.age;
    if (order.layer) g_EnemyList[i].layer = *order.layer;
    if (order.active) g_EnemyList[i].active = *order.active;
    if (order.scale) g_EnemyList[i].scale = *order.scale;
    if (order.spawnId) g_EnemyList[i].spawnId = *order.spawnId;
    if (g_spawnObserver) g_spawnObserver(order);
    return index;
}

i32 SpawnOrHold(SpawnEnemyFn spawn, const SpawnOrder& order) {
    const i32 index = SpawnAndPlace(spawn, order);
    if (index < 0) g_GameState.StageScriptFrame -= 1;
    return index;
}

void SetSpawnObserver(SpawnObserver observer) { g_spawnObserver = observer; }

const Enemy* LeadEnemy() { return g_EnemyList.empty() ? nullptr : &g_EnemyList.front(); }

bool LeadEnemyIs(i32 state, i32 age) {
    const Enemy* lead = LeadEnemy();
    return lead && lead->state == state && lead->age == age;
}

bool LeadEnemyIs(i32 state, i32 age, i32 counter) { return LeadEnemyIs(state, age) && LeadEnemy()->counter == counter; }

const Enemy* LeadEnemyInState(i32 state) {
    const Enemy* lead = LeadEnemy();
    return lead && lead->state == state ? lead : nullptr;
}

bool AllEnemiesInStates(std::initializer_list<i32> states) {
    for (const Enemy& e : g_EnemyList) {
        if (std::find(states.begin(), states.end(), e.state) == states.end()) return false;
    }
    return true;
}

bool IsBossGone(i32 bossSpawnId) {
    const Enemy* lead = LeadEnemy();
    return !lead || lead->spawnId != bossSpawnId;
}

bool IsTalkRunning() { return g_TalkState.active != 0; }

void CloseStage() {
    StartTransition(10);
    g_GameState.StageScriptPhase = kClosingPhase;
}

bool AtSeam(i32 seam) { return g_GameState.BackgroundScrollY % seam == 0; }
