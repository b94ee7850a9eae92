// The enemy kinds of stage index 1, one row per kind: the part trees in build
// order, the record values and where the enemy goes into the list.
#include <vector>

#include "game/stages/enemy_spawn.h"
#include "game/stages/stage_content.h"

namespace {

// Kind 6, the second mid-boss: two plates and the core, which is its third
// root.
EnemyKindSpec Kind6() {
    const HitShape plate{40, 20, 0};
    return {
        .kind = 6,
        // clang-format off
        .parts = {
            {.spriteKind = 204, .hp = 1500, .shape = plate, .offsetY = -20, .action = 230, .coin = 5, .score = 200},
            {.spriteKind = 204, .hp = 1500, .shape = plate, .offsetY = 20, .action = 230, .coin = 5, .score = 200},
            {.spriteKind = 203, .hp = 3000, .shape = {20, 50, 30}, .action = 231, .coin = 12, .score = 400,
             .gaugeOffsetY = -20.0f},
        },
        // clang-format on
        .roots = {0, 1, 2},
        .spawnId = 202,
        .corePart = 2,
    };
}

// Kinds 11 and 12: a hull (P0) and its gun (P1), the core; the gun's root
// comes first. They differ in these.
struct GunshipRow {
    i32 kind;
    i32 hullSprite;
    i32 gunSprite;
    i32 gunAction;
};
EnemyKindSpec Gunship(const GunshipRow& g) {
    return {
        .kind = g.kind,
        // clang-format off
        .parts = {
            {.spriteKind = g.hullSprite, .hp = 300, .shape = {0, 0, 50}, .offsetX = -50, .coin = 2, .score = 100},
            {.spriteKind = g.gunSprite, .hp = 600, .shape = {30, 20, 0}, .action = g.gunAction, .coin = 3,
             .score = 300},
        },
        // clang-format on
        .roots = {1, 0},
    };
}

// Kind 15: three side hulls and a centre (P5, the core) carrying two guns.
EnemyKindSpec Kind15() {
    const HitShape hull{0, 0, 50};
    const HitShape gun{30, 20, 0};
    return {
        .kind = 15,
        // clang-format off
        .parts = {
            {.spriteKind = 210, .hp = 400, .shape = hull, .offsetX = -70, .coin = 2, .score = 100},
            {.spriteKind = 210, .hp = 400, .shape = hull, .offsetX = -50, .offsetY = -30, .coin = 2, .score = 100},
            {.spriteKind = 210, .hp = 400, .shape = hull, .offsetX = -50, .offsetY = 30, .coin = 2, .score = 100},
            {.spriteKind = 211, .hp = 600, .shape = gun, .offsetX = -10, .offsetY = -27, .action = 216, .coin = 3,
             .score = 300},
            {.spriteKind = 211, .hp = 600, .shape = gun, .offsetX = -10, .offsetY = 27, .action = 216, .coin = 3,
             .score = 300},
            {.spriteKind = 215, .hp = 1500, .shape = gun, .action = 215, .coin = 4, .score = 400, .children = {3, 4}},
        },
        // clang-format on
        .roots = {5, 0, 1, 2},
    };
}

// Kinds 21 and 22: `kind` with a carrier body (P0) and its bridge (P1), the
// core; the bridge's root comes first.
EnemyKindSpec Carrier(EnemyKindSpec kind, PartSpec body, PartSpec bridge) {
    kind.parts = {std::move(body), std::move(bridge)};
    kind.roots = {1, 0};
    return kind;
}

// Kind 102, the boss: eleven root parts without children; its behaviour gives
// the parts their hit shapes and most of their actions phase by phase.
EnemyKindSpec Kind102() {
    const HitShape gun{20, 15, 0};
    const HitShape arm{30, 60, 0};
    const HitShape claw{20, 40, 0};
    return {
        .kind = 102,
        // clang-format off
        .parts = {
            {.spriteKind = 261, .hp = 900, .shape = gun, .offsetX = 30, .offsetY = -60, .coin = 5, .score = 200,
             .gaugeOffsetY = -20.0f},
            {.spriteKind = 261, .hp = 900, .shape = gun, .offsetX = 30, .offsetY = 140, .coin = 5, .score = 200},
            {.spriteKind = 261, .hp = 900, .shape = gun, .offsetX = 30, .offsetY = -140, .coin = 5, .score = 200},
            {.spriteKind = 261, .hp = 900, .shape = gun, .offsetX = 30, .offsetY = 60, .coin = 5, .score = 200,
             .gaugeOffsetY = -20.0f},
            {.spriteKind = 255, .hp = 1800, .shape = arm, .offsetY = -130, .action = 270, .coin = 8, .score = 300},
            {.spriteKind = 256, .hp = 1800, .shape = arm, .offsetY = 130, .action = 270, .coin = 8, .score = 300},
            {.spriteKind = 253, .hp = 1800, .shape = claw, .offsetX = -60, .offsetY = -150, .action = 251, .coin = 6,
             .score = 300},
            {.spriteKind = 254, .hp = 1800, .shape = claw, .offsetX = -60, .offsetY = 150, .action = 252, .coin = 6,
             .score = 300},
            {.spriteKind = 252, .hp = 1800, .shape = {40, 30, 0}, .offsetX = -80, .action = 275, .coin = 12,
             .score = 300},
            {.spriteKind = 251, .hp = 3600, .shape = {30, 30, 40}, .coin = 30, .score = 500},
            {.spriteKind = 259, .hp = 1600, .shape = {30, 20, 0}, .offsetX = 60, .coin = 8, .score = 300},
        },
        // clang-format on
        .roots = {8, 9, 6, 7, 10, 4, 5, 0, 1, 2, 3},
        .spawnId = 210,
        .speed = 0.0f,
        .corePart = -1,
        .armoured = 1,
        .placement = SpawnPlacement::kFront,
    };
}

std::vector<EnemyKindSpec> BuildKinds() {
    const HitShape fighter{15, 50, 30};
    const HitShape small{10, 25, 0};
    return {
        OnePartKind({.kind = 1, .spawnId = 211},
                    {.spriteKind = 201, .hp = 250, .shape = fighter, .action = 240, .coin = 4, .score = 150}),
        OnePartKind({.kind = 2, .placement = SpawnPlacement::kFront},
                    {.spriteKind = 201, .hp = 250, .shape = fighter, .action = 101, .coin = 4, .score = 250}),
        OnePartKind({.kind = 5},
                    {.spriteKind = 202, .hp = 200, .shape = {10, 40, 20}, .action = 201, .coin = 4, .score = 100}),
        Kind6(),
        OnePartKind({.kind = 8}, {.spriteKind = 231, .hp = 50, .shape = small, .action = 205, .coin = 1, .score = 50}),
        OnePartKind({.kind = 9}, {.spriteKind = 231, .hp = 50, .shape = small, .action = 206, .coin = 1, .score = 50}),
        Gunship({.kind = 11, .hullSprite = 210, .gunSprite = 211, .gunAction = 210}),
        Gunship({.kind = 12, .hullSprite = 212, .gunSprite = 213, .gunAction = 211}),
        Kind15(),
        Carrier({.kind = 21},
                {.spriteKind = 220, .hp = 600, .shape = {50, 80, 50}, .offsetX = -45, .coin = 4, .score = 100},
                {.spriteKind = 221, .hp = 900, .shape = {20, 30, 0}, .action = 220, .coin = 4, .score = 300}),
        Carrier({.kind = 22, .spawnId = 201},
                {.spriteKind = 222, .hp = 2000, .shape = {50, 80, 50}, .offsetX = -45, .coin = 4, .score = 200},
                {.spriteKind = 221, .hp = 2400, .shape = {20, 30, 0}, .coin = 8, .score = 400}),
        Kind102(),
    };
}

// The convoy of kind 2 passes inactive and half-sized: its part is given
// action 101, which this stage's patterns do not know, so it never fires.
constexpr NumbersException kExceptions[] = {
    {NumbersRule::kActionHasRow, 101, "the convoy (kind 2) flies past without firing"},
};

}  // namespace

// The numbers of the stage that may go without their rows, each with its
// reason.
std::span<const NumbersException> NumbersExceptionsStage2() { return kExceptions; }

std::span<const EnemyKindSpec> EnemyKindsStage2() {
    static const std::vector<EnemyKindSpec> kinds = BuildKinds();
    return kinds;
}

i32 SpawnEnemyStage2(i32 kind) { return SpawnEnemyFromTable(EnemyKindsStage2(), kind); }
