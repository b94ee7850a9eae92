// The enemy kinds of stage index 0, one row per kind: the part trees in build
// order, the record values and where the enemy goes into the list.
#include <vector>

#include "game/stages/enemy_spawn.h"
#include "game/stages/stage_content.h"

namespace {

// A kind of one part at (0, 0) with no children.
EnemyKindSpec SinglePart(i32 kind, i32 spriteKind, i32 hp, HitShape shape, i32 action, i32 coin, i32 score,
                         i32 spawnId, f32 speed) {
    EnemyKindSpec k;
    k.kind = kind;
    k.parts = {MakePart(spriteKind, hp, shape, 0, 0, action, coin, score)};
    k.roots = {0};
    k.spawnId = spawnId;
    k.speed = speed;
    return k;
}

// Kind 51: a gunboat with two turrets.
EnemyKindSpec Kind51() {
    EnemyKindSpec k;
    k.kind = 51;
    const HitShape turret{0, 0, 20};
    k.parts = {
        MakePart(111, 400, turret, 20, -60, 131, 3, 100),
        MakePart(111, 400, turret, 20, 60, 131, 3, 100),
        MakePart(110, 800, HitShape{50, 30, 0}, 0, 0, 132, 5, 300, {0, 1}),
    };
    k.roots = {2};
    k.spawnId = 1051;
    k.speed = 1.0f;
    return k;
}

// Kind 52: the second mid-boss; its core is the third root (P4).
EnemyKindSpec Kind52() {
    EnemyKindSpec k;
    k.kind = 52;
    const HitShape turret{0, 0, 20};
    k.parts = {
        MakePart(111, 1200, turret, 10, -70, 133, 3, 100),
        MakePart(111, 1200, turret, 10, 70, 133, 3, 100),
        MakePart(111, 1200, turret, 35, -50, 133, 3, 100),
        MakePart(111, 1200, turret, 35, 50, 133, 3, 100),
        MakePart(112, 3500, HitShape{50, 30, 0}, 0, 0, 134, 5, 300, {0, 1}),
    };
    k.roots = {2, 3, 4};
    k.spawnId = 111;
    k.speed = 1.0f;
    k.corePart = 2;
    return k;
}

// Kind 71: a cruiser with two ring guns.
EnemyKindSpec Kind71() {
    EnemyKindSpec k;
    k.kind = 71;
    const HitShape gun{0, 0, 25};
    k.parts = {
        MakePart(103, 400, gun, 0, -48, 143, 4, 200),
        MakePart(103, 400, gun, 0, 48, 143, 4, 200),
        MakePart(102, 1200, HitShape{40, 30, 0}, 0, 0, 142, 5, 300, {0, 1}),
    };
    k.roots = {2};
    k.spawnId = 1071;
    k.speed = 2.0f;
    return k;
}

// Kind 102: the boss, eighteen root parts without children; its behaviour
// gives the parts their hit shapes' use and their actions phase by phase.
EnemyKindSpec Kind102() {
    struct Row {
        i32 spriteKind, hp;
        f32 x, y;
        i32 coin, score;
    };
    static constexpr Row kRows[18] = {
        {180, 3200, 50, 0, 30, 500},    {181, 1800, -10, 120, 8, 300}, {182, 1800, -10, -120, 8, 300},
        {183, 1200, 125, 80, 8, 300},   {184, 1200, 125, -80, 8, 300}, {185, 1200, 10, 80, 7, 300},
        {185, 1200, 10, -80, 7, 300},   {185, 1200, 10, 180, 7, 300},  {185, 1200, 10, -180, 7, 300},
        {186, 800, 135, 80, 6, 200},    {186, 800, 135, -80, 6, 200},  {187, 1200, -10, 0, 5, 200},
        {188, 1200, 125, 0, 5, 200},    {153, 1200, 35, 150, 8, 150},  {153, 1200, 35, -150, 8, 150},
        {153, 1200, 140, 55, 8, 150},   {153, 1200, 140, -55, 8, 150}, {0, 3600, 50, 0, 10, 300},
    };
    EnemyKindSpec k;
    k.kind = 102;
    for (const Row& r : kRows) k.parts.push_back(MakePart(r.spriteKind, r.hp, HitShape{0, 0, 30}, r.x, r.y, 0, r.coin, r.score));
    k.parts[17].gaugeOffsetY = 20.0f;  // P17, the picture-less part over the body
    k.roots = {0, 13, 14, 15, 16, 3, 4, 9, 10, 12, 17, 1, 2, 5, 6, 7, 8, 11};
    k.spawnId = 150;
    k.speed = 0.0f;
    k.corePart = -1;
    k.armoured = 1;
    k.placement = SpawnPlacement::kFront;
    return k;
}

std::vector<EnemyKindSpec> BuildKinds() {
    const HitShape body{20, 40, 30};
    const HitShape small{10, 25, 0};
    return {
        SinglePart(1, 105, 200, HitShape{10, 40, 20}, 101, 3, 100, 0, 2.0f),
        SinglePart(2, 106, 2200, body, 106, 12, 400, 110, 0.0f),
        SinglePart(11, 121, 50, small, 0, 1, 50, 120, 2.0f),
        SinglePart(12, 121, 50, small, 102, 1, 50, 120, 2.0f),
        Kind51(),
        Kind52(),
        SinglePart(61, 101, 200, body, 141, 4, 150, 0, 2.0f),
        SinglePart(62, 141, 500, body, 144, 5, 300, 0, 2.0f),
        SinglePart(63, 141, 800, body, 144, 5, 300, 0, 2.0f),
        SinglePart(64, 141, 800, body, 0, 5, 150, 0, 2.0f),
        Kind71(),
        Kind102(),
    };
}

}  // namespace

// Every number of the stage has its row: no exceptions.
std::span<const NumbersException> NumbersExceptionsStage1() { return {}; }

std::span<const EnemyKindSpec> EnemyKindsStage1() {
    static const std::vector<EnemyKindSpec> kinds = BuildKinds();
    return kinds;
}

i32 SpawnEnemyStage1(i32 kind) { return SpawnEnemyFromTable(EnemyKindsStage1(), kind); }
