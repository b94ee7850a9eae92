#pragma once
// The enemies' behaviour: one step function per stage index, each a switch on
// the enemy's state id, and the motion and event idioms their states share.
//
// Contract of a step function (enemy = index in g_EnemyList, state = the
// enemy's state id as the caller read it): true when an enemy still stands at
// that index, false exactly when the step released the enemy's parts and
// erased it. The caller ages a kept enemy by 1 and runs its parts' patterns.
//
// Enemies are always reached through g_EnemyList and their index at each
// access: a body may reorder the list (MoveEnemyToFront), so no reference to
// an element is kept across a call that might.
#include <span>

#include "engine/core/types.h"
#include "game/play/records.h"
#include "game/shell/hit_shape.h"

// The step functions, stage index 0..4 (the digit counts stages from 1).
bool StepEnemyStage1(i32 enemy, i32 state);
bool StepEnemyStage2(i32 enemy, i32 state);
bool StepEnemyStage3(i32 enemy, i32 state);
bool StepEnemyStage4(i32 enemy, i32 state);
bool StepEnemyStage5(i32 enemy, i32 state);

// The enemy at that index of g_EnemyList.
inline Enemy& EnemyRecord(i32 enemy) { return g_EnemyList[static_cast<std::size_t>(enemy)]; }
// Its root part at position `root` of its root list (which must name a part).
EnemyPart& RootPart(i32 enemy, i32 root);
// A state change: the new state id and age 0 (the new state's body first sees age 1).
void SetEnemyState(i32 enemy, i32 state);

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
// `count` explosions (effect 10) around the centre, one every d frames: for
// each, x offset, y offset and angle drawn in that order, then the new
// effect's age set to -d k.
void SpawnEffectBurst(i32 count, const f32 centre[2], f32 x1, f32 x2, f32 y1, f32 y2, i32 d);
// SpawnEffectBurst(count, (x + FieldScrollX, y), (-120, 120), (-100, 100), 1).
void SpawnExplosionChain(i32 enemy, i32 count);
// Releases the enemy's parts and erases it; returns false (the step's result).
bool RemoveEnemy(i32 enemy);
// FailMission(), then RemoveEnemy; returns false.
bool EscapeEnemy(i32 enemy);
// Plays the effect stamped with FrameCounter when more than `frames` frames
// have passed since its stamp.
void PlaySpacedSound(i32 effect, i32 frames);

// A target of a boss phase: its hit shape, its action and timer unless
// action is kKeepAction, and a target marker.
constexpr i32 kKeepAction = -1;
struct BossPhaseTarget {
    i32 root = 0;       // position in the enemy's root list
    HitShape shape;
    i32 action = kKeepAction;
    i32 timer = 0;
};
// A part that only attacks in the phase.
struct BossPhaseAttacker {
    i32 root = 0;
    i32 action = 0;
    i32 timer = 0;
};
// Opens a boss phase: active 1; the hit shapes of root parts zeroFirst ..
// zeroLast zeroed (none when zeroFirst > zeroLast); each target in order gets
// its shape, its action and timer and a marker of its current sprite kind;
// each attacker its action and timer; BossActiveFlag 0.
void OpenBossPhase(i32 enemy, i32 zeroFirst, i32 zeroLast, std::span<const BossPhaseTarget> targets,
                   std::span<const BossPhaseAttacker> attackers);
// The start of a boss phase's end: active 0, BossActiveFlag (1, or 0 for some
// final breaks), the next state with age 0. The stage's own writes and its
// talk event follow, then PayBossPhaseBonus unless the break pays nothing.
void BeginBossPhaseBreak(i32 enemy, i32 nextState, u8 bossActiveFlag = 1);
// The end of a break: effect `effectKind` (63 or 64) at (320, 220), the clear
// of the enemy bullets and shells (n), then AddScore(10 ((m / 4 + 1) n + k)).
void PayBossPhaseBonus(i32 effectKind, i32 k);
// Moves the enemy to the front of the list (its parts stay allocated);
// returns true (the step's result).
bool MoveEnemyToFront(i32 enemy);
// True while talk event `eventId` runs at line `line`, frame `frame`.
bool IsTalkCue(i32 eventId, i32 line, i32 frame);

// The score multiplier of the player's shot level (m of the bonus formulas).
i32 PlayerScoreMultiplier();
// The player's lives (L of the bonus formulas).
i32 PlayerLives();

// What a stage does with a state it does not list: stage index 0 keeps the
// enemy where it is; the others move it straight on. Both return true.
bool StepUnlistedStateStage1(i32 enemy);
bool StepUnlistedState(i32 enemy);
