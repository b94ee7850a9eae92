// The enemy kinds of stage index 1, one row per kind: the part trees in build
// order, the record values and where the enemy goes into the list.
#include <vector>

#include "game/stages/enemy_spawn.h"
#include "game/stages/stage_content.h"

namespace {

// One part: sprite kind, hit points, hit shape, offset, action, coins, score.
struct PartRow {
    i32 spriteKind, hp;
    HitShape shape;
    f32 x, y;
    i32 action, coin, score;
};

PartSpec FromRow(const PartRow& r, std::vector<i32> children = {}) {
    return {.spriteKind = r.spriteKind, .hp = r.hp, .shape = r.shape, .offsetX = r.x, .offsetY = r.y,
            .action = r.action, .coin = r.coin, .score = r.score, .children = std::move(children)};
}

EnemyKindSpec Kind(i32 kind, std::vector<PartSpec> parts, std::vector<i32> roots) {
    EnemyKindSpec k;
    k.kind = kind;
    k.parts = std::move(parts);
    k.roots = std::move(roots);
    return k;
}

// A kind of one part at (0, 0).
EnemyKindSpec Single(i32 kind, const PartRow& part, i32 spawnId = 0,
                     SpawnPlacement placement = SpawnPlacement::kBack) {
    EnemyKindSpec k = Kind(kind, {FromRow(part)}, {0});
    k.spawnId = spawnId;
    k.placement = placement;
    return k;
}

// Kind 6, the second mid-boss: two plates and the core, which is its third
// root.
EnemyKindSpec Kind6() {
    const HitShape plate{40, 20, 0};
    EnemyKindSpec k = Kind(6,
                           {FromRow({204, 1500, plate, 0, -20, 230, 5, 200}),
                            FromRow({204, 1500, plate, 0, 20, 230, 5, 200}),
                            FromRow({203, 3000, HitShape{20, 50, 30}, 0, 0, 231, 12, 400})},
                           {0, 1, 2});
    k.parts[2].gaugeOffsetY = -20.0f;
    k.spawnId = 202;
    k.corePart = 2;
    return k;
}

// Kinds 11 and 12: a hull (P0) and its gun (P1), the core; the gun's root
// comes first.
EnemyKindSpec Gunship(i32 kind, i32 hullKind, i32 gunKind, i32 gunAction) {
    return Kind(kind,
                {FromRow({hullKind, 300, HitShape{0, 0, 50}, -50, 0, 0, 2, 100}),
                 FromRow({gunKind, 600, HitShape{30, 20, 0}, 0, 0, gunAction, 3, 300})},
                {1, 0});
}

// Kind 15: three side hulls and a centre (P5, the core) carrying two guns.
EnemyKindSpec Kind15() {
    const HitShape hull{0, 0, 50};
    const HitShape gun{30, 20, 0};
    return Kind(15,
                {FromRow({210, 400, hull, -70, 0, 0, 2, 100}), FromRow({210, 400, hull, -50, -30, 0, 2, 100}),
                 FromRow({210, 400, hull, -50, 30, 0, 2, 100}), FromRow({211, 600, gun, -10, -27, 216, 3, 300}),
                 FromRow({211, 600, gun, -10, 27, 216, 3, 300}),
                 FromRow({215, 1500, gun, 0, 0, 215, 4, 400}, {3, 4})},
                {5, 0, 1, 2});
}

// Kinds 21 and 22: a carrier body (P0) and its bridge (P1), the core; the
// bridge's root comes first.
EnemyKindSpec Carrier(i32 kind, const PartRow& body, const PartRow& bridge, i32 spawnId) {
    EnemyKindSpec k = Kind(kind, {FromRow(body), FromRow(bridge)}, {1, 0});
    k.spawnId = spawnId;
    return k;
}

// Kind 102, the boss: eleven root parts without children; its behaviour gives
// the parts their hit shapes and most of their actions phase by phase.
EnemyKindSpec Kind102() {
    const HitShape gun{20, 15, 0};
    const HitShape arm{30, 60, 0};
    const HitShape claw{20, 40, 0};
    EnemyKindSpec k = Kind(102,
                           {
                               FromRow({261, 900, gun, 30, -60, 0, 5, 200}),
                               FromRow({261, 900, gun, 30, 140, 0, 5, 200}),
                               FromRow({261, 900, gun, 30, -140, 0, 5, 200}),
                               FromRow({261, 900, gun, 30, 60, 0, 5, 200}),
                               FromRow({255, 1800, arm, 0, -130, 270, 8, 300}),
                               FromRow({256, 1800, arm, 0, 130, 270, 8, 300}),
                               FromRow({253, 1800, claw, -60, -150, 251, 6, 300}),
                               FromRow({254, 1800, claw, -60, 150, 252, 6, 300}),
                               FromRow({252, 1800, HitShape{40, 30, 0}, -80, 0, 275, 12, 300}),
                               FromRow({251, 3600, HitShape{30, 30, 40}, 0, 0, 0, 30, 500}),
                               FromRow({259, 1600, HitShape{30, 20, 0}, 60, 0, 0, 8, 300}),
                           },
                           {8, 9, 6, 7, 10, 4, 5, 0, 1, 2, 3});
    k.parts[0].gaugeOffsetY = -20.0f;
    k.parts[3].gaugeOffsetY = -20.0f;
    k.spawnId = 210;
    k.speed = 0.0f;
    k.corePart = -1;
    k.armoured = 1;
    k.placement = SpawnPlacement::kFront;
    return k;
}

std::vector<EnemyKindSpec> BuildKinds() {
    const HitShape fighter{15, 50, 30};
    const HitShape small{10, 25, 0};
    return {
        Single(1, {201, 250, fighter, 0, 0, 240, 4, 150}, 211),
        Single(2, {201, 250, fighter, 0, 0, 101, 4, 250}, 0, SpawnPlacement::kFront),
        Single(5, {202, 200, HitShape{10, 40, 20}, 0, 0, 201, 4, 100}),
        Kind6(),
        Single(8, {231, 50, small, 0, 0, 205, 1, 50}),
        Single(9, {231, 50, small, 0, 0, 206, 1, 50}),
        Gunship(11, 210, 211, 210),
        Gunship(12, 212, 213, 211),
        Kind15(),
        Carrier(21, {220, 600, HitShape{50, 80, 50}, -45, 0, 0, 4, 100}, {221, 900, HitShape{20, 30, 0}, 0, 0, 220, 4, 300},
                0),
        Carrier(22, {222, 2000, HitShape{50, 80, 50}, -45, 0, 0, 4, 200}, {221, 2400, HitShape{20, 30, 0}, 0, 0, 0, 8, 400},
                201),
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
