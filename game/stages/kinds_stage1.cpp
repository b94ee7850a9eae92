// The enemy kinds of stage index 0, one row per kind: the part trees in build
// order, the record values and where the enemy goes into the list.
#include <vector>

#include "game/stages/enemy_spawn.h"
#include "game/stages/stage_content.h"

namespace {

// Kind 51: a gunboat with two turrets.
EnemyKindSpec Kind51() {
    const HitShape turret{0, 0, 20};
    return {
        .kind = 51,
        // clang-format off
        .parts = {
            {.spriteKind = 111, .hp = 400, .shape = turret, .offsetX = 20, .offsetY = -60, .action = 131, .coin = 3,
             .score = 100},
            {.spriteKind = 111, .hp = 400, .shape = turret, .offsetX = 20, .offsetY = 60, .action = 131, .coin = 3,
             .score = 100},
            {.spriteKind = 110, .hp = 800, .shape = {50, 30, 0}, .action = 132, .coin = 5, .score = 300,
             .children = {0, 1}},
        },
        // clang-format on
        .roots = {2},
        .spawnId = 1051,
        .speed = 1.0f,
    };
}

// Kind 52: the second mid-boss; its core is the third root (P4).
EnemyKindSpec Kind52() {
    const HitShape turret{0, 0, 20};
    return {
        .kind = 52,
        // clang-format off
        .parts = {
            {.spriteKind = 111, .hp = 1200, .shape = turret, .offsetX = 10, .offsetY = -70, .action = 133, .coin = 3,
             .score = 100},
            {.spriteKind = 111, .hp = 1200, .shape = turret, .offsetX = 10, .offsetY = 70, .action = 133, .coin = 3,
             .score = 100},
            {.spriteKind = 111, .hp = 1200, .shape = turret, .offsetX = 35, .offsetY = -50, .action = 133, .coin = 3,
             .score = 100},
            {.spriteKind = 111, .hp = 1200, .shape = turret, .offsetX = 35, .offsetY = 50, .action = 133, .coin = 3,
             .score = 100},
            {.spriteKind = 112, .hp = 3500, .shape = {50, 30, 0}, .action = 134, .coin = 5, .score = 300,
             .children = {0, 1}},
        },
        // clang-format on
        .roots = {2, 3, 4},
        .spawnId = 111,
        .speed = 1.0f,
        .corePart = 2,
    };
}

// Kind 71: a cruiser with two ring guns.
EnemyKindSpec Kind71() {
    const HitShape gun{0, 0, 25};
    return {
        .kind = 71,
        // clang-format off
        .parts = {
            {.spriteKind = 103, .hp = 400, .shape = gun, .offsetY = -48, .action = 143, .coin = 4, .score = 200},
            {.spriteKind = 103, .hp = 400, .shape = gun, .offsetY = 48, .action = 143, .coin = 4, .score = 200},
            {.spriteKind = 102, .hp = 1200, .shape = {40, 30, 0}, .action = 142, .coin = 5, .score = 300,
             .children = {0, 1}},
        },
        // clang-format on
        .roots = {2},
        .spawnId = 1071,
    };
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
        {180, 3200, 50, 0, 30, 500},  {181, 1800, -10, 120, 8, 300}, {182, 1800, -10, -120, 8, 300},
        {183, 1200, 125, 80, 8, 300}, {184, 1200, 125, -80, 8, 300}, {185, 1200, 10, 80, 7, 300},
        {185, 1200, 10, -80, 7, 300}, {185, 1200, 10, 180, 7, 300},  {185, 1200, 10, -180, 7, 300},
        {186, 800, 135, 80, 6, 200},  {186, 800, 135, -80, 6, 200},  {187, 1200, -10, 0, 5, 200},
        {188, 1200, 125, 0, 5, 200},  {153, 1200, 35, 150, 8, 150},  {153, 1200, 35, -150, 8, 150},
        {153, 1200, 140, 55, 8, 150}, {153, 1200, 140, -55, 8, 150}, {0, 3600, 50, 0, 10, 300},
    };
    EnemyKindSpec k{
        .kind = 102,
        .roots = {0, 13, 14, 15, 16, 3, 4, 9, 10, 12, 17, 1, 2, 5, 6, 7, 8, 11},
        .spawnId = 150,
        .speed = 0.0f,
        .corePart = -1,
        .armoured = 1,
        .placement = SpawnPlacement::kFront,
    };
    for (const Row& r : kRows) {
        // clang-format off
        k.parts.push_back({.spriteKind = r.spriteKind, .hp = r.hp, .shape = {0, 0, 30}, .offsetX = r.x, .offsetY = r.y,
                           .coin = r.coin, .score = r.score});
        // clang-format on
    }
    k.parts[17].gaugeOffsetY = 20.0f;  // P17, the picture-less part over the body
    return k;
}

std::vector<EnemyKindSpec> BuildKinds() {
    const HitShape body{20, 40, 30};
    const HitShape small{10, 25, 0};
    return {
        OnePartKind({.kind = 1},
                    {.spriteKind = 105, .hp = 200, .shape = {10, 40, 20}, .action = 101, .coin = 3, .score = 100}),
        OnePartKind({.kind = 2, .spawnId = 110, .speed = 0.0f},
                    {.spriteKind = 106, .hp = 2200, .shape = body, .action = 106, .coin = 12, .score = 400}),
        OnePartKind({.kind = 11, .spawnId = 120},
                    {.spriteKind = 121, .hp = 50, .shape = small, .coin = 1, .score = 50}),
        OnePartKind({.kind = 12, .spawnId = 120},
                    {.spriteKind = 121, .hp = 50, .shape = small, .action = 102, .coin = 1, .score = 50}),
        Kind51(),
        Kind52(),
        OnePartKind({.kind = 61},
                    {.spriteKind = 101, .hp = 200, .shape = body, .action = 141, .coin = 4, .score = 150}),
        OnePartKind({.kind = 62},
                    {.spriteKind = 141, .hp = 500, .shape = body, .action = 144, .coin = 5, .score = 300}),
        OnePartKind({.kind = 63},
                    {.spriteKind = 141, .hp = 800, .shape = body, .action = 144, .coin = 5, .score = 300}),
        OnePartKind({.kind = 64}, {.spriteKind = 141, .hp = 800, .shape = body, .coin = 5, .score = 150}),
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
