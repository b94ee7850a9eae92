#pragma once
// The stage timelines: each a switch on StageScriptPhase whose rules test
// StageScriptFrame, in the order its stage lists them. RunStageScript (the
// play frame's call) runs the timeline and then adds 1 to the frame, so a
// phase entered with frame 0 first sees frame 1.
//
// The rule kinds every timeline is written in: windows and single frames,
// spawns that place the new enemy, empty-list jumps, phase changes, the boss
// watched at element 0 of g_EnemyList, and the closing phase 34.
#include <optional>

#include "engine/core/types.h"
#include "game/play/records.h"

// The spawner of a stage: the index of the new enemy, or -1 when none was built.
using SpawnEnemyFn = i32 (*)(i32 kind);

// The timelines of stage indexes 0..4 (the digit counts stages from 1).
void RunStage1Script();
void RunStage2Script();
void RunStage3Script();
void RunStage4Script();
void RunStage5Script();

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

// A spawn position coordinate: fixed, or RandomFloat(lo, hi) drawn once when
// the spawn writes it.
struct SpawnCoord {
    f32 lo = 0;
    f32 hi = 0;
    bool random = false;
    SpawnCoord() = default;
    SpawnCoord(f32 value) : lo(value), hi(value) {}  // NOLINT: a plain number is a fixed coordinate
};
SpawnCoord RandomRange(f32 lo, f32 hi);

// One spawn of a timeline and the fields it writes on the new enemy, in this
// order: state, speed, x, y, heading with rotation, age, layer, active.
struct SpawnOrder {
    i32 kind = 0;
    i32 state = 0;
    f32 speed = 0;
    SpawnCoord x = {};
    SpawnCoord y = {};
    std::optional<f32> heading = {};  // heading and rotation together
    std::optional<i32> age = {};
    std::optional<i32> layer = {};
    std::optional<u8> active = {};
};
// Calls the spawner and writes the order's fields on the new enemy; returns
// its index, or -1 (nothing written, nothing drawn) when the spawner built none.
i32 SpawnAndPlace(SpawnEnemyFn spawn, const SpawnOrder& order);

// Element 0 of g_EnemyList (the boss where the stage puts it at the front),
// null when the list is empty.
const Enemy* LeadEnemy();
// Element 0 exists and has that state and age.
bool LeadEnemyIs(i32 state, i32 age);
// The list is empty or element 0's spawn id is not the boss's.
bool IsBossGone(i32 bossSpawnId);
// A talk runs.
bool IsTalkRunning();
// The end of a boss phase: StartTransition(10), phase 34.
void CloseStage();
// BackgroundScrollY is a whole multiple of the seam length.
bool AtSeam(i32 seam);
