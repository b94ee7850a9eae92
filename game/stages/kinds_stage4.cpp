// The enemy kinds of stage index 3, one row per kind: the part trees in build
// order, the record values and where the enemy goes into the list. Every
// enemy of the stage starts at speed 1.0; kind 6 is drawn at scale 0.85.
#include <vector>

#include "game/shell/play_state.h"
#include "game/stages/enemy_spawn.h"
#include "game/stages/stage_content.h"

namespace {

// Kinds 2, 3, 8 and 9: one craft part, appended; `part` is given the craft's
// hit shape and score.
EnemyKindSpec Craft(i32 kind, PartSpec part) {
    part.shape = HitShape{15, 45, 20};
    part.score = 100;
    return OnePartKind({.kind = kind, .speed = 1.0f}, std::move(part));
}

// Kind 1: the recurring mid-boss, a five-part block with no core part.
EnemyKindSpec Kind1() {
    const HitShape side{25, 30, 0};
    return {
        .kind = 1,
        // clang-format off
        .parts = {
            {.spriteKind = 502, .hp = 3800, .shape = {40, 25, 30}, .coin = 20, .score = 500},
            {.spriteKind = 503, .hp = 2100, .shape = side, .offsetY = -35, .coin = 8, .score = 200},
            {.spriteKind = 504, .hp = 2100, .shape = side, .offsetY = 35, .coin = 8, .score = 200},
            {.spriteKind = 505, .hp = 2100, .shape = side, .offsetY = -32, .coin = 8, .score = 200},
            {.spriteKind = 506, .hp = 2100, .shape = side, .offsetY = 32, .coin = 8, .score = 200},
        },
        // clang-format on
        .roots = {3, 4, 0, 1, 2},
        .spawnId = 580,
        .speed = 1.0f,
        .corePart = kNoPart,
        .armoured = 1,
    };
}

// Kind 5: the six-part carrier; its core is root 4.
EnemyKindSpec Kind5() {
    const HitShape turret{25, 25, 0};
    return {
        .kind = 5,
        // clang-format off
        .parts = {
            {.spriteKind = 531, .hp = 900, .shape = {20, 80, 30}, .offsetX = 30, .coin = 7, .score = 300},
            {.spriteKind = 532, .hp = 1200, .shape = {15, 80, 30}, .offsetX = -40, .action = 502, .coin = 8,
             .score = 300},
            {.spriteKind = 533, .hp = 800, .shape = turret, .offsetX = -25, .offsetY = -50, .action = 501, .coin = 4,
             .score = 150},
            {.spriteKind = 533, .hp = 800, .shape = turret, .offsetX = -25, .offsetY = 50, .action = 501, .coin = 4,
             .score = 150},
            {.spriteKind = 533, .hp = 800, .shape = turret, .offsetX = 53, .offsetY = -50, .action = 501, .coin = 4,
             .score = 150},
            {.spriteKind = 533, .hp = 800, .shape = turret, .offsetX = 53, .offsetY = 50, .action = 501, .coin = 4,
             .score = 150},
        },
        // clang-format on
        .roots = {2, 3, 4, 5, 1, 0},
        .spawnId = 507,
        .speed = 1.0f,
        .corePart = 4,
        .placement = SpawnPlacement::kFront,
    };
}

// Kind 6: the two-part side-gun craft, drawn at scale 0.85.
EnemyKindSpec Kind6() {
    return {
        .kind = 6,
        // clang-format off
        .parts = {
            {.spriteKind = 535, .hp = 1200, .shape = {45, 20, 0}, .action = 516, .coin = 5, .score = 100},
            {.spriteKind = 536, .hp = 800, .shape = {30, 85, 0}, .offsetX = -20, .action = 515, .coin = 7,
             .score = 200},
        },
        // clang-format on
        .roots = {0, 1},
        .spawnId = 506,
        .speed = 1.0f,
        .placement = SpawnPlacement::kFront,
        .finish = [](Enemy& record, std::span<const i32>) { record.scale = 0.85f; },
    };
}

// Kinds 10 and 11: a core between two side guns; only the sprite kinds, the
// core's numbers, the right gun's score and the root order differ.
EnemyKindSpec Kind10() {
    const HitShape side{30, 50, 0};
    return {
        .kind = 10,
        // clang-format off
        .parts = {
            {.spriteKind = 510, .hp = 1200, .shape = {30, 80, 0}, .action = 525, .coin = 5, .score = 400,
             .gaugeOffsetY = 20},
            {.spriteKind = 511, .hp = 800, .shape = side, .offsetX = -43, .action = 521, .coin = 4, .score = 200,
             .gaugeOffsetX = -20},
            {.spriteKind = 512, .hp = 800, .shape = side, .offsetX = 43, .action = 520, .coin = 4, .score = 200,
             .gaugeOffsetX = 20},
        },
        // clang-format on
        .roots = {1, 2, 0},
        .spawnId = 510,
        .speed = 1.0f,
        .corePart = 2,
        .placement = SpawnPlacement::kFront,
    };
}

// Kind 11's core launches its shells on NORMAL and HARD only.
EnemyKindSpec Kind11() {
    const HitShape side{30, 50, 0};
    return {
        .kind = 11,
        // clang-format off
        .parts = {
            {.spriteKind = 513, .hp = 1000, .shape = {30, 80, 0}, .coin = 5, .score = 400, .gaugeOffsetY = 20},
            {.spriteKind = 514, .hp = 800, .shape = side, .offsetX = -43, .action = 521, .coin = 4, .score = 200,
             .gaugeOffsetX = -20},
            {.spriteKind = 515, .hp = 800, .shape = side, .offsetX = 43, .action = 520, .coin = 5, .score = 500,
             .gaugeOffsetX = 20},
        },
        // clang-format on
        .roots = {2, 1, 0},
        .spawnId = 511,
        .speed = 1.0f,
        .corePart = 2,
        .finish =
            [](Enemy&, std::span<const i32> slots) {
                if (g_GameState.Difficulty != kDifficultyEasy) g_EnemyPartPool[slots[0]].action = 525;
            },
    };
}

// Kinds 12 and 13: a large body (root 1, the core) over a pulsing gun. They
// differ in these.
struct BodyOverGunRow {
    i32 kind;
    i32 bodySprite;
    i32 gunSprite;
    i32 spawnId;
};
EnemyKindSpec BodyOverGun(const BodyOverGunRow& r) {
    return {
        .kind = r.kind,
        // clang-format off
        .parts = {
            {.spriteKind = r.bodySprite, .hp = 1700, .shape = {90, 40, 0}, .action = 525, .coin = 5, .score = 500},
            {.spriteKind = r.gunSprite, .hp = 1200, .shape = {60, 65, 0}, .offsetY = 10, .action = 522, .coin = 4,
             .score = 300, .gaugeOffsetY = 15},
        },
        // clang-format on
        .roots = {1, 0},
        .spawnId = r.spawnId,
        .speed = 1.0f,
        .corePart = 1,
        .placement = SpawnPlacement::kFront,
    };
}

// Kind 99: the stage's boss, 19 parts. Six 593 parts and six 594 children of
// the centre (590) sit pair by pair at the same offsets; every part but the
// centre starts without a hit shape and without an action.
EnemyKindSpec Kind99() {
    struct Row {
        i32 spriteKind, hp;
        f32 x, y;
        i32 coin, score;
        f32 gaugeX, gaugeY;
    };
    static constexpr Row kRows[19] = {
        {593, 2400, 53, -174, 8, 300, 0, 0},    {593, 2400, 53, 174, 8, 300, 0, 0},
        {593, 2400, -57, -74, 8, 300, 0, 0},    {593, 2400, -57, 74, 8, 300, 0, 0},
        {593, 2400, -85, -163, 8, 300, 0, 0},   {593, 2400, -85, 163, 8, 300, 0, 0},
        {591, 1200, -56, -95, 5, 400, 30, -20}, {591, 1200, 70, -95, 5, 400, 30, -20},
        {592, 1200, -56, 95, 5, 400, -30, -20}, {592, 1200, 70, 95, 5, 400, -30, -20},
        {594, 2400, 53, -174, 5, 400, 0, 20},   {594, 2400, 53, 174, 5, 400, 0, 20},
        {594, 2400, -57, -74, 5, 400, 0, 20},   {594, 2400, -57, 74, 5, 400, 0, 20},
        {594, 2400, -85, -163, 5, 400, 0, 20},  {594, 2400, -85, 163, 5, 400, 0, 20},
        {594, 2400, 107, -80, 5, 400, 0, 20},   {594, 2400, 107, 80, 5, 400, 0, 20},
        {590, 6400, 0, 0, 40, 500, 0, 0},
    };
    EnemyKindSpec k{
        .kind = 99,
        .roots = {6, 8, 7, 9, 16, 17, 18, 0, 1, 4, 5, 2, 3},
        .speed = 1.0f,
        .corePart = kNoPart,
        .armoured = 1,
        .placement = SpawnPlacement::kFront,
    };
    for (const Row& r : kRows) {
        // clang-format off
        k.parts.push_back({.spriteKind = r.spriteKind, .hp = r.hp, .offsetX = r.x, .offsetY = r.y, .coin = r.coin,
                           .score = r.score, .gaugeOffsetX = r.gaugeX, .gaugeOffsetY = r.gaugeY});
        // clang-format on
    }
    k.parts[18].shape = HitShape{30, 30, 0};
    k.parts[18].children = {10, 11, 12, 13, 14, 15};
    return k;
}

std::vector<EnemyKindSpec> BuildKinds() {
    return {
        Kind1(),
        Craft(2, {.spriteKind = 530, .hp = 250, .action = 510, .coin = 4}),
        Craft(3, {.spriteKind = 530, .hp = 250, .action = 511, .coin = 4}),
        Kind5(),
        Kind6(),
        Craft(8, {.spriteKind = 529, .hp = 300, .coin = 3}),
        Craft(9, {.spriteKind = 507, .hp = 300, .coin = 3}),
        Kind10(),
        Kind11(),
        BodyOverGun({.kind = 12, .bodySprite = 516, .gunSprite = 517, .spawnId = 512}),
        BodyOverGun({.kind = 13, .bodySprite = 518, .gunSprite = 519, .spawnId = 513}),
        Kind99(),
    };
}

}  // namespace

std::span<const EnemyKindSpec> EnemyKindsStage4() {
    static const std::vector<EnemyKindSpec> kinds = BuildKinds();
    return kinds;
}

// Every number of the stage has its row: no exceptions.
std::span<const NumbersException> NumbersExceptionsStage4() { return {}; }

i32 SpawnEnemyStage4(i32 kind) { return SpawnEnemyFromTable(EnemyKindsStage4(), kind); }
