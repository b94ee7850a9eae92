#pragma once
// The enemy runtime: the part pool, the per-frame enemy step, damage and
// kills of enemy parts by the player's shots and missiles, and score awards.
//
// Part indexes in Enemy::rootParts and EnemyPart::children are checked
// wherever they are read: an index outside 0..299 ends its list as -1 does,
// and a walk down a part tree stops 300 levels deep, so a broken link can
// neither crash nor loop.
#include "engine/core/types.h"
#include "game/play/records.h"

// Deepest level a walk over a part tree visits (the pool has no more parts).
constexpr int kMaxPartDepth = kEnemyPartPoolSize;

// The pool slot of a part index, or null for -1 and any index outside the pool.
EnemyPart* PartAt(i32 index);
// The enemy at that index of g_EnemyList, or null.
Enemy* EnemyAt(i32 enemy);
// Whether the part at that index is alive (state 1); a missing part is not.
bool PartAlive(i32 index);
// Whether the part at that index has no hit points left; a missing part
// counts as destroyed.
bool PartSpent(i32 index);

// The lowest free slot, taken (inUse 1, gauge offset cleared; every other
// field as its last user left it), or -1 when all 300 slots are in use.
// Every caller checks for -1.
i32 AllocateEnemyPart();
// Frees the part's subtree: children first, in list order, then the part.
void ReleaseEnemyPart(EnemyPart* part);
// ReleaseEnemyPart for each root part of the enemy.
void ReleaseEnemyParts(i32 enemy);

// One frame of every enemy: the stage behaviour, and for an enemy it keeps,
// age + 1 and the part step of each root part.
void RunEnemies();
// Moves the enemy at that index to the front of g_EnemyList (its parts stay
// allocated; the enemies before it move up by one). When a behaviour moves
// the enemy RunEnemies is stepping, RunEnemies ages and part-steps the moved
// enemy once, at index 0, and goes on with the enemy that followed it, so
// that no enemy is stepped twice in a frame. Nothing for an index outside the
// list.
void MoveEnemyToFrontOfList(i32 enemy);

// Damage and kills by the player's shots and missiles for one part subtree
// (children before their parent).
void CollideEnemyPart(i32 enemy, EnemyPart* part, const f32 parentPos[2], const f32* parentAngle);
// Kills a part and its whole subtree.
void KillEnemyPart(i32 enemy, EnemyPart* part, const f32 parentPos[2], const f32* parentAngle);
// Kills the part alone: its children stay as they are.
void KillEnemyPartAlone(i32 enemy, EnemyPart* part, const f32 parentPos[2], const f32* parentAngle);
// The explosion of the player missile at that index (the caller erases it).
void ExplodePlayerMissile(i32 missile);

// Rank points, the difficulty factor, the score pop-up, the stage points and
// the score sound.
void AddScore(i32 points);
// True outside x 90..550, y -30..510 (the bounds are inside).
bool IsOutsideField(const f32 pos[2]);
