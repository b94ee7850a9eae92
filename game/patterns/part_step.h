#pragma once
// The part step: once per frame, for each root part of a kept enemy, the part
// is placed in the world from its parent, its children are stepped (in list
// order, depth first), its timer grows by 1, its hit timer runs down, and then
// the row of its action id runs (its attack pattern).
//
// One frame serves every stage and difficulty: a stage's patterns are a table
// of action rows, {action id, function}, in its actions_stageN.cpp (adding a
// stage: docs/adding-a-stage.md), and the play scene steps a tree with the
// stage's routine and the difficulty it hands on (StepStageParts). An id
// without a row does nothing; a function reads the three difficulties'
// numbers from small tables through ByDifficulty.
//
// The world position and angle are fixed at the start of the step: an action
// that turns its part fires with the angle from before the turn, and the
// children, already stepped, follow the turn from the next frame on.
//
// Random draws: an action makes exactly the draws its Part lists, one per
// statement, in order, and none inside a condition that may short-circuit.
// Values an action keeps between frames (a stored aim, a remembered point)
// live in the stage's file and are set back by the table's `reset`, which
// every stage load runs, so that a replay never depends on what ran before
// in the same program.
#include <span>

#include "engine/core/types.h"
#include "game/play/records.h"
#include "game/shell/hit_shape.h"
#include "game/shell/play_state.h"

// The part being stepped and its world frame.
struct PartFrame {
    i32 enemy = 0;  // index in g_EnemyList
    EnemyPart* part = nullptr;
    f32 pos[2] = {0, 0};  // world position
    f32 angle = 0;        // world angle
    f32 parentAngle = 0;  // the parent's world angle
    i32 difficulty = 0;   // 0 EASY, 1 NORMAL, 2 HARD
};

// The action routine of a stage.
using PartActionFn = void (*)(PartFrame& frame);

// One action of a stage.
struct ActionRow {
    i32 action = 0;
    PartActionFn run = nullptr;
};

// A stage's patterns.
struct ActionTable {
    std::span<const ActionRow> actions = {};  // one row per action id
    // The numbers the stage's actions write into parts, for the numbers check
    // (game/patterns/stage_numbers.h): the action ids they hand parts (a
    // part's next action, a new part's action) and the sprite kinds they give.
    std::span<const i32> writesActions = {};
    std::span<const i32> writesSpriteKinds = {};
    // Sets back every value the actions keep between frames; run at every
    // stage load (null: the stage keeps none).
    void (*reset)() = nullptr;
};

// The row of `action`, null when the table has none.
const ActionRow* FindActionRow(const ActionTable& table, i32 action);
// Runs the row of the part's action id; nothing for an id without a row.
void RunActionByTable(const ActionTable& table, PartFrame& frame);

// Steps the part and its subtree with one stage's actions and one difficulty
// (any value but 0 and 1 counts as HARD). Child links are read as every walk
// over a part tree reads them (PartAt: an index outside the pool ends the list
// as -1 does; kMaxPartDepth levels at most), and a part of an enemy index
// outside g_EnemyList is not stepped, so a broken tree neither crashes nor
// loops.
void StepPartFrame(PartActionFn actions, i32 difficulty, i32 enemy, EnemyPart* part, const f32 parentPos[2],
                   const f32* parentAngle);

// The part step of the stage whose actions run by `Actions`
// (RunPartActionStageN): StepPartFrame with them at the difficulty given. The
// stage registry hands it to the play scene, which passes the difficulty on.
template <PartActionFn Actions>
void StepStageParts(i32 difficulty, i32 enemy, EnemyPart* part, const f32 parentPos[2], const f32* parentAngle) {
    StepPartFrame(Actions, difficulty, enemy, part, parentPos, parentAngle);
}

// The wrecks a destroyed part is given in every stage (the same in every
// difficulty): smoke 11, 12, 13. A stage's own wrecks are rows of its table.
void WreckSmoke11(PartFrame& frame);
void WreckSmoke12(PartFrame& frame);
void WreckSmoke13(PartFrame& frame);

// The vocabulary of the actions.

// HARD: any difficulty but EASY and NORMAL.
inline bool IsHard(const PartFrame& frame) {
    return frame.difficulty != kDifficultyEasy && frame.difficulty != kDifficultyNormal;
}
// The difficulty's entry of a three-value table {EASY, NORMAL, HARD}.
template <typename T>
const T& ByDifficulty(const PartFrame& frame, const T (&values)[3]) {
    return values[IsHard(frame) ? kDifficultyHard : frame.difficulty];
}
// timer mod n == 0.
bool EveryFrames(const PartFrame& frame, i32 n);
// The enemy's scale, read afresh.
f32 EnemyScale(const PartFrame& frame);
// World position + (a, b) turned by the world angle.
void LocalPoint(const PartFrame& frame, f32 a, f32 b, f32 out[2]);
// (world x + FieldScrollX, world y).
void DrawnPosition(const PartFrame& frame, f32 out[2]);
// AngleToPlayer(p, 0) as an f32.
f32 AimFrom(const f32 p[2]);
// Turns the part's own angle toward aim - parent angle by at most `rate`.
void TurnTowardPlayer(PartFrame& frame, f32 aim, f32 rate);
// x += RandomFloat(-j, j), then y += RandomFloat(-j, j).
void Jitter(f32 p[2], f32 j);
// SpawnEffect(kind, p, RandomFloat(-pi, pi), -1); the index SpawnEffect returns.
i32 SpawnPartEffect(i32 kind, const f32 p[2]);
// The base point jittered by +-j, then SpawnPartEffect.
i32 SpawnJitteredEffect(i32 kind, const f32 base[2], f32 j);
// Appends an enemy bullet with the hit shape of DefaultHitShapes[shapeEntry].
void FireBullet(i32 kind, f32 speed, i32 shapeEntry, f32 heading, const f32 p[2]);
void FireBullet(i32 kind, f32 speed, i32 shapeEntry, f32 heading, const f32 p[2], f32 rotation, i32 age);
// An enemy shell.
struct ShellShot {
    i32 kind = 0;
    i32 hp = 0;
    f32 speed = 0;
    i32 strength = 0;
    HitShape shape;
    f32 angle = 0;
    f32 heading = 0;  // the direction of motion (as a rule the angle)
    i32 age = 0;
};
void FireShell(const ShellShot& shell, const f32 p[2]);
// Hit shapes the stages' shells share: the small round shell and the rocket.
constexpr HitShape kShellSmall{12, 10, 0};
constexpr HitShape kShellRocket{35, 15, 0};
// A shell that flies the way it faces (heading = angle), age 0.
ShellShot ShellOf(i32 kind, i32 hp, f32 speed, i32 strength, HitShape shape, f32 angle);
// IsOutsideField(p).
bool IsOutside(const f32 p[2]);
// When FrameCounter - stamp >= gap: PlaySoundEffectStamped(n, FrameCounter).
void SpacedSound(i32 n, i32 gap);
// The gate of one effect playing another: when FrameCounter - the stamp of
// `tested` >= gap, PlaySoundEffectStamped(played, FrameCounter) (the stamp
// written is that of `played`).
void SpacedSound(i32 tested, i32 gap, i32 played);
// The fire sound: SpacedSound(15, 4).
void PlayFireSound();
// The shell sound: PlaySoundEffect(1) (once a frame, whoever asks).
void PlayShellSound();
// AddTargetMarker(part, its sprite kind).
void MarkPart(PartFrame& frame);
// The child at entry `index` of the part's children: null for -1, an index
// outside 0..19 or a slot outside the pool.
EnemyPart* ChildOf(const EnemyPart& part, i32 index);
// The child is alive (state 1); a missing child is not.
bool ChildAlive(const EnemyPart& part, i32 index);
// The child is destroyed (state -1), or missing.
bool ChildDestroyed(const EnemyPart& part, i32 index);
