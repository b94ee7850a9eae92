#pragma once
// The enemies' behaviour frame: how a stage's states are written and what
// their bodies share.
//
// A stage's behaviour is a table of state rows, {state id, body}, and a
// default body for every state the table does not list, in its
// behaviour_stageN.cpp (a stage's files, and the rest of adding a stage:
// docs/adding-a-stage.md).
//
// The writes* lists name every number the stage's enemies are given outside
// the kind table and the timeline, that another table must know: the states
// the bodies switch to, the action ids they give parts, the sprite kinds they
// swap in, and the same numbers the enemy runtime gives this stage's enemies
// (the follow-up states DestroyEnemy picks by spawn id, the wreck and other
// actions part deaths give by sprite kind: part_death.cpp). The numbers check
// (game/patterns/stage_numbers.h) fails when one of them has no row.
//
// Contract of a body (enemy = index in g_EnemyList, age = the enemy's age when
// its step began): true when an enemy still stands at that index, false
// exactly when the body released the enemy's parts and erased it
// (RemoveEnemy). RunEnemies then ages a kept enemy by 1 and runs its parts'
// patterns, and steps the next enemy at the same index after an erase.
// Within a body, test `age` (the age the step saw), not the record's age: a
// write of the age shows from the next step on.
//
// Enemies are always reached through g_EnemyList and their index at each
// access (EnemyRecord(enemy)): a body may reorder the list
// (MoveEnemyToFront), so no reference to an element is kept across a call
// that might.
//
// Random draws: a body makes exactly the RandomFloat draws its state lists,
// one per statement, in the listed order, never inside a condition that may
// short-circuit; a draw of the stage generator
// (StageRandomBelow(&g_StageRandomState, n)) only where the state names it.
#include <initializer_list>
#include <span>

#include "engine/core/types.h"
#include "game/play/records.h"
#include "game/shell/hit_shape.h"

// ---- The behaviour table ----

// A state body: the enemy's index and the age it had when its step began.
using StateBody = bool (*)(i32 enemy, i32 age);

// One state of a stage.
struct StateRow {
    i32 state = 0;
    StateBody body = nullptr;
};

// A stage's behaviour.
struct BehaviourTable {
    std::span<const StateRow> states = {};  // one row per state id
    StateBody unlisted = nullptr;           // every state without a row (StayPut or MoveStraightOn)
    // The numbers the stage's behaviour code writes (see above).
    std::span<const i32> writesStates = {};
    std::span<const i32> writesActions = {};
    std::span<const i32> writesSpriteKinds = {};
};

// The row of `state`, null when the table does not list it.
const StateRow* FindStateRow(const BehaviourTable& table, i32 state);
// One step of the enemy by the table: the state's body, or the table's
// default, with the enemy's current age.
bool StepByTable(const BehaviourTable& table, i32 enemy, i32 state);

// The default bodies. Stage index 0 keeps an unlisted state where it is; the
// other stages move it straight on. Both return true.
bool StayPut(i32 enemy, i32 age);
bool MoveStraightOn(i32 enemy, i32 age);

// ---- The enemy and its parts ----

// The enemy at that index of g_EnemyList.
inline Enemy& EnemyRecord(i32 enemy) { return g_EnemyList[static_cast<std::size_t>(enemy)]; }

// Parts read by position: root part `root` is entry `root` of the enemy's
// root list, child `child` of a root part is entry `child` of that part's
// children. A position outside 0..19, a slot of -1 (or any slot outside the
// pool), or an enemy index outside the list names no part: such a part reads
// as destroyed and is never looked up in the pool.
//
// The part, or null when there is none.
EnemyPart* RootPartAt(i32 enemy, i32 root);
EnemyPart* ChildPartAt(i32 enemy, i32 root, i32 child);
// The part, or when there is none a detached stand-in (state -1, every other
// field 0, no children) that is made afresh at every call: reads see a
// destroyed part and writes go nowhere. Never hand the stand-in to a call
// that keeps the pointer (AddTargetMarker): test RootPartAt first.
EnemyPart& RootPart(i32 enemy, i32 root);
EnemyPart& ChildPart(i32 enemy, i32 root, i32 child);
// The part's state is -1, or there is no part.
bool RootDestroyed(i32 enemy, i32 root);
bool ChildDestroyed(i32 enemy, i32 root, i32 child);
// Every one of the named root parts is destroyed.
bool AllRootsDestroyed(i32 enemy, std::initializer_list<i32> roots);
// Every root part of the list (up to its first -1) that is not destroyed
// gets action 0 (its timer kept).
void SilenceRootParts(i32 enemy);

// A state change: the new state id and age 0 (the new state's body first
// sees age 1). An age-keeping change writes EnemyRecord(enemy).state alone.
void SetEnemyState(i32 enemy, i32 state);

// ---- Motion ----

// x += cos(heading) speed, then y += sin(heading) speed, each in extended
// precision and stored as f32.
void StepStraight(i32 enemy);
// A sine sway: amplitude x sin((age mod period) x 2 pi / period), in extended
// precision; the caller adds it to x or y.
f32 SwayOffset(i32 age, f32 amplitude, i32 period);
// Turns the enemy's heading or rotation (&Enemy::heading, &Enemy::rotation)
// toward the player by at most `step` radians.
void TurnToPlayer(i32 enemy, f32 Enemy::*field, f32 step);
// Sets speed and heading so that the straight step reaches (tx, ty) after 300
// frames.
void TravelToPoint(i32 enemy, f32 tx, f32 ty);
// Turns the heading toward (tx, ty) and returns the distance there, both
// worked out in extended precision.
f80 HeadToward(i32 enemy, f32 tx, f32 ty);
// The wander of the upper field: SetOffToward when a new target is drawn
// (every 150 frames), toward it at a hundredth of the distance a frame but at
// least 1; WanderStep every frame: slowing down in the last 49 frames of each
// 150, the rotation turned toward the player by `turn`, a straight step.
void SetOffToward(i32 enemy, f32 tx, f32 ty);
void WanderStep(i32 enemy, i32 age, f32 turn);
// The whole wander with the targets most wanderers draw: every 150 frames
// (age 0 included) x in 200..440, then y in 50..150 at every 300th frame and
// in 140..240 otherwise, SetOffToward that point; then WanderStep.
void WanderUpperField(i32 enemy, i32 age, f32 turn);

// ---- Events ----

// `count` explosions (effect 10) around the centre, one every d frames: for
// each, x offset, y offset and angle drawn in that order, then the new
// effect's age set to -d k.
void SpawnEffectBurst(i32 count, const f32 centre[2], f32 x1, f32 x2, f32 y1, f32 y2, i32 d);
// SpawnEffectBurst(count, (x + FieldScrollX, y), (-120, 120), (-100, 100), 1).
void SpawnExplosionChain(i32 enemy, i32 count);
// Releases the enemy's parts and erases it; returns false (the step's
// result). Nothing may touch the enemy after it.
bool RemoveEnemy(i32 enemy);
// FailMission(), then RemoveEnemy; returns false.
bool EscapeEnemy(i32 enemy);
// The end of a stage's boss: RemoveEnemy, the big explosion's sound, the
// screen shaken for 50 frames and the stage's closing fade (transition 23 at
// speed 0.01); returns false.
bool RemoveBossWithFade(i32 enemy);
// Plays the effect stamped with FrameCounter when more than `frames` frames
// have passed since its stamp.
void PlaySpacedSound(i32 effect, i32 frames);
// True while talk event `eventId` runs at line `line`, frame `frame`.
bool IsTalkCue(i32 eventId, i32 line, i32 frame);
// Moves the enemy to the front of the list (its parts stay allocated);
// returns true (the step's result). Called by a body for its own enemy:
// RunEnemies then ages the moved enemy and steps its parts once, at index 0,
// and goes on with the enemy that followed it, so no enemy is stepped twice
// in the frame.
bool MoveEnemyToFront(i32 enemy);

// The score multiplier of the player's shot level (m of the bonus formulas).
i32 PlayerScoreMultiplier();
// The player's lives (L of the bonus formulas).
i32 PlayerLives();

// ---- Boss phases ----
//
// A phase opens (OpenBossPhase) when its lead-in ends: the boss becomes
// active, the shapes of its parts are zeroed, the phase's targets get their
// shapes, actions and markers, the parts that only attack their actions, and
// BossActiveFlag goes to 0. It breaks when its targets are destroyed:
// BeginBossPhaseBreak (inactive, BossActiveFlag, next state), the stage's own
// writes and talk event, then PayBossPhaseBonus unless the break pays
// nothing. behaviour_stage1.cpp's boss (states 180-183) is the example.

// BossActiveFlag is left as it stands.
constexpr i32 kLeaveBossActiveFlag = -1;
// A field of a target that the opening leaves as it stands.
constexpr i32 kKeepAction = -1;
constexpr i32 kKeepHp = -1;
constexpr i32 kKeepSpriteKind = -1;
// The timer of a target or attacker whose action the opening writes, left as
// it stands.
constexpr i32 kKeepTimer = -2147483647 - 1;
// The root part itself, not one of its children.
constexpr i32 kRootItself = -1;
// All root parts of the list (zeroLast of an opening).
constexpr i32 kAllRootParts = kPartLinks - 1;

// A target of a boss phase, written in this order: its sprite kind, its hit
// points (maxHp and hp), its revival (state 1 and hp = maxHp), its hit shape,
// its action and timer (the timer kept when kKeepTimer), then a target marker
// of its sprite kind (timed when markerFrames > 0). A target whose part is
// missing is skipped.
struct BossPhaseTarget {
    i32 root = 0;  // position in the enemy's root list
    HitShape shape;
    i32 action = kKeepAction;
    i32 timer = 0;
    i32 child = kRootItself;  // child of the root part, or the root part itself
    i32 hp = kKeepHp;
    bool revive = false;
    i32 spriteKind = kKeepSpriteKind;
    i32 markerFrames = 0;  // > 0: AddTargetMarkerTimed for that many frames
};
// A part that only attacks in the phase: its action and timer (the timer kept
// when kKeepTimer).
struct BossPhaseAttacker {
    i32 root = 0;
    i32 action = 0;
    i32 timer = 0;
    i32 child = kRootItself;
};
// What else an opening does.
struct BossPhaseOpening {
    // Children zeroChildFirst..zeroChildLast of root part zeroChildrenOf get
    // their shapes zeroed too (none when zeroChildrenOf is kRootItself).
    i32 zeroChildrenOf = kRootItself;
    i32 zeroChildFirst = 0;
    i32 zeroChildLast = -1;
    // The value BossActiveFlag takes, or kLeaveBossActiveFlag.
    i32 bossActiveFlag = 0;
};
// Opens a boss phase: active 1; the hit shapes of root parts zeroFirst ..
// zeroLast zeroed (none when zeroFirst > zeroLast; the list ends at its first
// -1), then those of the children the opening names; each target in order;
// each attacker; BossActiveFlag.
void OpenBossPhase(i32 enemy, i32 zeroFirst, i32 zeroLast, std::span<const BossPhaseTarget> targets,
                   std::span<const BossPhaseAttacker> attackers, const BossPhaseOpening& opening = {});
// The start of a boss phase's end: active 0, BossActiveFlag (1; 0 for some
// final breaks; kLeaveBossActiveFlag where a break writes none), the next
// state with age 0.
void BeginBossPhaseBreak(i32 enemy, i32 nextState, i32 bossActiveFlag = 1);
// The end of a break: effect `effectKind` (63 or 64) at (320, 220), the clear
// of the enemy bullets and shells (n), then
// AddScore(multiplier ((m / 4 + 1) n + k)).
void PayBossPhaseBonus(i32 effectKind, i32 k, i32 multiplier = 10);
