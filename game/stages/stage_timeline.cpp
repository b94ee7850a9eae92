#include "game/stages/stage_timeline.h"

#include "engine/core/random.h"
#include "game/shell/play_state.h"
#include "game/shell/transition.h"

namespace {

f32 Resolve(const SpawnCoord& c) { return c.random ? RandomFloat(c.lo, c.hi) : c.lo; }

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
    c.lo = lo;
    c.hi = hi;
    c.random = true;
    return c;
}

i32 SpawnAndPlace(SpawnEnemyFn spawn, const SpawnOrder& order) {
    const i32 index = spawn(order.kind);
    if (index < 0 || static_cast<std::size_t>(index) >= g_EnemyList.size()) return -1;
    const std::size_t i = static_cast<std::size_t>(index);
    g_EnemyList[i].state = order.state;
    g_EnemyList[i].speed = order.speed;
    const f32 x = Resolve(order.x);
    g_EnemyList[i].x = x;
    const f32 y = Resolve(order.y);
    g_EnemyList[i].y = y;
    if (order.heading) {
        g_EnemyList[i].heading = *order.heading;
        g_EnemyList[i].rotation = *order.heading;
    }
    if (order.age) g_EnemyList[i].age = *order.age;
    if (order.layer) g_EnemyList[i].layer = *order.layer;
    if (order.active) g_EnemyList[i].active = *order.active;
    return index;
}

const Enemy* LeadEnemy() { return g_EnemyList.empty() ? nullptr : &g_EnemyList.front(); }

bool LeadEnemyIs(i32 state, i32 age) {
    const Enemy* lead = LeadEnemy();
    return lead && lead->state == state && lead->age == age;
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
