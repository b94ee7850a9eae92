#pragma once
// Enemy spawning: an enemy kind of a stage turned into a ready enemy. The
// kind's parts are taken from g_EnemyPartPool in build order and filled whole,
// linked into their tree, and one Enemy record is built and put into
// g_EnemyList at the back, at the front, or just before the first active
// enemy.
//
// A kind is a table row (EnemyKindSpec): its parts in build order (a part's
// label is its position), each part's children and the root list by label,
// and the record's values. A stage's kinds, its spawner and its exceptions to
// the numbers check are its kinds_stageN.cpp (adding a stage:
// docs/adding-a-stage.md).
//
// A spawn that would not fit into the free slots of the pool builds nothing
// and returns -1, as does a kind the stage does not know; the timelines
// ignore -1, except for a spawn a phase cannot go without (SpawnOrHold in
// stage_timeline.h).
#include <span>
#include <vector>

#include "engine/core/types.h"
#include "game/play/records.h"
#include "game/shell/hit_shape.h"

// pi/2 as the spawners and timelines write it.

// Where the new enemy goes into g_EnemyList.
enum class SpawnPlacement : u8 {
    kBack,               // appended; the result is the last index
    kFront,              // inserted at index 0; every other enemy moves up by one
    kBeforeFirstActive,  // inserted before the first enemy whose active flag is set, else appended
};

// One part of a kind, in build order (its label is its position in the list).
// A row names its fields ({.spriteKind = 101, .hp = 200, ...}); those it
// leaves out keep these defaults.
struct PartSpec {
    i32 spriteKind = 0;
    i32 hp = 0;  // maxHp and hp
    HitShape shape = {};
    f32 offsetX = 0;
    f32 offsetY = 0;
    i32 action = 0;
    i32 coin = 0;
    i32 score = 0;
    std::vector<i32> children = {};  // labels of the child parts, in list order (at most 20)
    f32 gaugeOffsetX = 0;
    f32 gaugeOffsetY = 0;
    f32 restAngle = 0;
    f32 angle = 0;
    i32 timer = 0;
};

// One enemy kind of a stage; a row names its fields, as a part row does.
struct EnemyKindSpec {
    i32 kind = 0;
    std::vector<PartSpec> parts = {};  // build order
    std::vector<i32> roots = {};       // labels of the root parts, in list order (at most 20)
    i32 spawnId = 0;
    f32 speed = 2.0f;
    i32 corePart = 0;  // index into the root list, -1 none
    i32 armoured = 0;
    u8 active = 1;
    i32 state = 0;
    SpawnPlacement placement = SpawnPlacement::kBack;
    // A kind's own last touches on its record and its parts (slots in build
    // order), before the record goes into the list.
    void (*finish)(Enemy& record, std::span<const i32> slots) = nullptr;
};

// `kind` with `part` as its one part and its one root (parts {part}, roots
// {0}).
EnemyKindSpec OnePartKind(EnemyKindSpec kind, PartSpec part);

// Pool slots whose in-use byte is 0.
i32 CountFreePartSlots();
// Builds the kind: the index of the new enemy, or -1 when its parts do not
// fit into the free pool slots (nothing is built then).
i32 SpawnEnemyKind(const EnemyKindSpec& spec);
// The row of `kind` in the table built; -1 for a kind the table lacks.
i32 SpawnEnemyFromTable(std::span<const EnemyKindSpec> kinds, i32 kind);
// Puts a built record into g_EnemyList; returns its index.
i32 PlaceEnemy(const Enemy& record, SpawnPlacement placement);

// A deliberate exception to the numbers check (game/patterns/stage_numbers.h):
// a number that may go without its row, and why. Each stage keeps its
// exceptions in one list in its kinds file.
enum class NumbersRule : u8 {
    kSpawnedKindHasRow,  // a kind the timeline spawns has a row in the kind table
    kStateHasBody,       // a state something writes has a row in the behaviour table
    kActionHasRow,       // an action a part is given has a row in the action table
    kSpriteKindHasLook,  // a sprite kind a part is given has a look
};
struct NumbersException {
    NumbersRule rule = NumbersRule::kStateHasBody;
    i32 number = 0;
    const char* reason = "";
};
