#pragma once
// The stage timelines: each a switch on StageScriptPhase whose rules test
// StageScriptFrame, in the order its stage lists them. RunStageScript (the
// play frame's call) runs the timeline and then adds 1 to the frame, so a
// phase entered with frame 0 first sees frame 1.
//
// The rule kinds every timeline is written in: windows and single frames,
// spawns that place the new enemy, empty-list jumps, phase changes, the boss
// watched at element 0 of g_EnemyList, and the closing phase 34.
//
// A stage's timeline is its timeline_stageN.cpp, with what it spawns and
// writes (TimelineNumbers), which the numbers check
// (game/patterns/stage_numbers.h) holds against the stage's kinds and
// behaviour table (adding a stage: docs/adding-a-stage.md).
#include <initializer_list>
#include <optional>
#include <span>

#include "engine/core/types.h"
#include "game/play/records.h"

// The spawner of a stage: the index of the new enemy, or -1 when none was built.
using SpawnEnemyFn = i32 (*)(i32 kind);

// The current StageScriptFrame.
i32 ScriptFrame();
// Single rule: frame == f.
bool AtFrame(i32 f);
// Window rule: first <= frame <= last and frame % every == 0 (both ends
// included; a window "a <= frame < b" is first a, last b - 1).
bool EveryInWindow(i32 first, i32 last, i32 every);
// The parity of a window that alternates two spawns: true (the first) when
// (frame - start) / period is even.
bool EvenPeriod(i32 start, i32 period);
// Empty-list jump: while first <= frame <= last and g_EnemyList is empty, the
// frame becomes `target`, which the rules after it in the same call see.
// True when it jumped.
bool JumpWhenListEmpty(i32 first, i32 last, i32 target);
// Phase change: StageScriptPhase = phase, StageScriptFrame = 0.
void ChangePhase(i32 phase);

// A spawn position coordinate, resolved when the spawn writes it: a fixed
// value; RandomFloat(lo, hi) of the engine generator; or base + R(bound) or
// base - R(bound) of the stage generator (R(n) = StageRandomBelow(
// &g_StageRandomState, n)), computed in signed integers and then converted
// to f32, so that 60 - R(100) may be negative.
struct SpawnCoord {
    enum class From : u8 { kFixed, kEngine, kStage };
    From from = From::kFixed;
    f32 lo = 0;  // kFixed: the value; kEngine: the range
    f32 hi = 0;
    i32 base = 0;  // kStage: base + sign R(bound)
    i32 sign = 1;
    i32 bound = 0;
    SpawnCoord() = default;
    SpawnCoord(f32 value) : lo(value), hi(value) {}  // NOLINT: a plain number is a fixed coordinate
};
// RandomFloat(lo, hi), one draw of the engine generator.
SpawnCoord RandomRange(f32 lo, f32 hi);
// base + R(bound) and base - R(bound), one draw of the stage generator.
SpawnCoord StagePlus(i32 base, i32 bound);
SpawnCoord StageMinus(i32 base, i32 bound);
// The coordinate's value, making its draw (if any).
f32 ResolveSpawnCoord(const SpawnCoord& coord);

// One spawn of a timeline and the fields it writes on the new enemy, in this
// order: state, speed, x, y (x drawn before y), heading (with the rotation),
// rotation (alone, after the heading), age, layer, active, scale, spawn id.
// Unset fields keep the spawner's values.
struct SpawnOrder {
    i32 kind = 0;
    i32 state = 0;
    f32 speed = 0;
    SpawnCoord x = {};
    SpawnCoord y = {};
    std::optional<f32> heading = {};  // heading, and the rotation with it
    std::optional<i32> age = {};
    std::optional<i32> layer = {};
    std::optional<u8> active = {};
    std::optional<f32> rotation = {};  // the rotation apart from the heading
    std::optional<f32> scale = {};
    std::optional<i32> spawnId = {};
};
// Calls the spawner and writes the order's fields on the new enemy; returns
// its index, or -1 (nothing written, nothing drawn) when the spawner built none.
i32 SpawnAndPlace(SpawnEnemyFn spawn, const SpawnOrder& order);
// SpawnAndPlace for a spawn the phase cannot go on without (a boss, the
// castle): when the spawner refuses (the pool is short), the frame is held
// (the next call sees the same StageScriptFrame) and -1 returned; the caller
// then returns at once, leaving the phase's other writes for the frame the
// spawn succeeds in.
i32 SpawnOrHold(SpawnEnemyFn spawn, const SpawnOrder& order);
// Every SpawnAndPlace that built an enemy is reported here (tests check the
// stage's declared spawns with it); null stops reporting.
using SpawnObserver = void (*)(const SpawnOrder& order);
void SetSpawnObserver(SpawnObserver observer);

// What a timeline spawns and writes, for the numbers check.
struct TimelineSpawn {
    i32 kind = 0;
    i32 state = 0;
};
struct TimelineNumbers {
    std::span<const TimelineSpawn> spawns = {};  // every (kind, state) its spawns use
    std::span<const i32> writesStates = {};      // states it writes on enemies already in the list
    std::span<const i32> writesActions = {};     // action ids it writes into parts
};
// Element 0 of g_EnemyList (the boss where the stage puts it at the front),
// null when the list is empty.
const Enemy* LeadEnemy();
// Element 0 exists and has that state and age (and counter).
bool LeadEnemyIs(i32 state, i32 age);
bool LeadEnemyIs(i32 state, i32 age, i32 counter);
// Element 0 when it exists and is in that state, else null (for tests of its
// age range or counter).
const Enemy* LeadEnemyInState(i32 state);
// Every enemy of the list is in one of the states; true on an empty list.
bool AllEnemiesInStates(std::initializer_list<i32> states);
// The list is empty or element 0's spawn id is not the boss's.
bool IsBossGone(i32 bossSpawnId);
// A talk runs.
bool IsTalkRunning();
// The end of a boss phase: StartTransition(10), phase 34.
void CloseStage();
// BackgroundScrollY is a whole multiple of the seam length.
bool AtSeam(i32 seam);
