// The enemy kinds of stage index 3, one row per kind: the part trees in build
// order, the record values and where the enemy goes into the list. Every
// enemy of the stage starts at speed 1.0; kind 6 is drawn at scale 0.85.
#include <vector>

#include "game/shell/play_state.h"
#include "game/stages/enemy_spawn.h"
#include "game/stages/stage_content.h"

namespace {

// A part row with its gauge offset.
PartSpec Part(i32 spriteKind, i32 hp, HitShape shape, f32 offsetX, f32 offsetY, i32 action, i32 coin, i32 score,
              f32 gaugeX = 0, f32 gaugeY = 0) {
    PartSpec p = MakePart(spriteKind, hp, shape, offsetX, offsetY, action, coin, score);
    p.gaugeOffsetX = gaugeX;
    p.gaugeOffsetY = gaugeY;
    return p;
}

EnemyKindSpec Kind(i32 kind, std::vector<PartSpec> parts, std::vector<i32> roots, i32 spawnId, i32 corePart,
                   SpawnPlacement placement) {
    EnemyKindSpec k;
    k.kind = kind;
    k.parts = std::move(parts);
    k.roots = std::move(roots);
    k.spawnId = spawnId;
    k.speed = 1.0f;
    k.corePart = corePart;
    k.placement = placement;
    return k;
}

// Kinds 2, 3, 8 and 9: one craft part, appended.
EnemyKindSpec Craft(i32 kind, i32 spriteKind, i32 hp, i32 action, i32 coin) {
    return Kind(kind, {Part(spriteKind, hp, HitShape{15, 45, 20}, 0, 0, action, coin, 100)}, {0}, 0, 0,
                SpawnPlacement::kBack);
}

// Kind 1: the recurring mid-boss, a five-part block with no core part.
EnemyKindSpec Kind1() {
    const HitShape side{25, 30, 0};
    EnemyKindSpec k = Kind(1,
                           {
                               Part(502, 3800, HitShape{40, 25, 30}, 0, 0, 0, 20, 500),
                               Part(503, 2100, side, 0, -35, 0, 8, 200),
                               Part(504, 2100, side, 0, 35, 0, 8, 200),
                               Part(505, 2100, side, 0, -32, 0, 8, 200),
                               Part(506, 2100, side, 0, 32, 0, 8, 200),
                           },
                           {3, 4, 0, 1, 2}, 580, kNoPart, SpawnPlacement::kBack);
    k.armoured = 1;
    return k;
}

// Kind 5: the six-part carrier; its core is root 4.
EnemyKindSpec Kind5() {
    const HitShape turret{25, 25, 0};
    return Kind(5,
                {
                    Part(531, 900, HitShape{20, 80, 30}, 30, 0, 0, 7, 300),
                    Part(532, 1200, HitShape{15, 80, 30}, -40, 0, 502, 8, 300),
                    Part(533, 800, turret, -25, -50, 501, 4, 150),
                    Part(533, 800, turret, -25, 50, 501, 4, 150),
                    Part(533, 800, turret, 53, -50, 501, 4, 150),
                    Part(533, 800, turret, 53, 50, 501, 4, 150),
                },
                {2, 3, 4, 5, 1, 0}, 507, 4, SpawnPlacement::kFront);
}

// Kind 6: the two-part side-gun craft, drawn at scale 0.85.
EnemyKindSpec Kind6() {
    EnemyKindSpec k = Kind(6,
                           {
                               Part(535, 1200, HitShape{45, 20, 0}, 0, 0, 516, 5, 100),
                               Part(536, 800, HitShape{30, 85, 0}, -20, 0, 515, 7, 200),
                           },
                           {0, 1}, 506, 0, SpawnPlacement::kFront);
    k.finish = [](Enemy& record, std::span<const i32>) { record.scale = 0.85f; };
    return k;
}

// Kinds 10 and 11: a core between two side guns; only the sprite kinds, the
// core's numbers, the right gun's score and the root order differ.
EnemyKindSpec Kind10() {
    const HitShape side{30, 50, 0};
    return Kind(10,
                {
                    Part(510, 1200, HitShape{30, 80, 0}, 0, 0, 525, 5, 400, 0, 20),
                    Part(511, 800, side, -43, 0, 521, 4, 200, -20, 0),
                    Part(512, 800, side, 43, 0, 520, 4, 200, 20, 0),
                },
                {1, 2, 0}, 510, 2, SpawnPlacement::kFront);
}

// Kind 11's core launches its shells on NORMAL and HARD only.
EnemyKindSpec Kind11() {
    const HitShape side{30, 50, 0};
    EnemyKindSpec k = Kind(11,
                           {
                               Part(513, 1000, HitShape{30, 80, 0}, 0, 0, 0, 5, 400, 0, 20),
                               Part(514, 800, side, -43, 0, 521, 4, 200, -20, 0),
                               Part(515, 800, side, 43, 0, 520, 5, 500, 20, 0),
                           },
                           {2, 1, 0}, 511, 2, SpawnPlacement::kBack);
    k.finish = [](Enemy&, std::span<const i32> slots) {
        if (g_GameState.Difficulty != kDifficultyEasy) g_EnemyPartPool[slots[0]].action = 525;
    };
    return k;
}

// Kinds 12 and 13: a large body (root 1, the core) over a pulsing gun.
EnemyKindSpec Kind12Or13(i32 kind, i32 bodySprite, i32 gunSprite, i32 spawnId) {
    return Kind(kind,
                {
                    Part(bodySprite, 1700, HitShape{90, 40, 0}, 0, 0, 525, 5, 500),
                    Part(gunSprite, 1200, HitShape{60, 65, 0}, 0, 10, 522, 4, 300, 0, 15),
                },
                {1, 0}, spawnId, 1, SpawnPlacement::kFront);
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
        {593, 2400, 53, -174, 8, 300, 0, 0},   {593, 2400, 53, 174, 8, 300, 0, 0},
        {593, 2400, -57, -74, 8, 300, 0, 0},   {593, 2400, -57, 74, 8, 300, 0, 0},
        {593, 2400, -85, -163, 8, 300, 0, 0},  {593, 2400, -85, 163, 8, 300, 0, 0},
        {591, 1200, -56, -95, 5, 400, 30, -20}, {591, 1200, 70, -95, 5, 400, 30, -20},
        {592, 1200, -56, 95, 5, 400, -30, -20}, {592, 1200, 70, 95, 5, 400, -30, -20},
        {594, 2400, 53, -174, 5, 400, 0, 20},  {594, 2400, 53, 174, 5, 400, 0, 20},
        {594, 2400, -57, -74, 5, 400, 0, 20},  {594, 2400, -57, 74, 5, 400, 0, 20},
        {594, 2400, -85, -163, 5, 400, 0, 20}, {594, 2400, -85, 163, 5, 400, 0, 20},
        {594, 2400, 107, -80, 5, 400, 0, 20},  {594, 2400, 107, 80, 5, 400, 0, 20},
        {590, 6400, 0, 0, 40, 500, 0, 0},
    };
    std::vector<PartSpec> parts;
    for (const Row& r : kRows) {
        parts.push_back(Part(r.spriteKind, r.hp, HitShape{}, r.x, r.y, 0, r.coin, r.score, r.gaugeX, r.gaugeY));
    }
    parts[18].shape = HitShape{30, 30, 0};
    parts[18].children = {10, 11, 12, 13, 14, 15};
    EnemyKindSpec k = Kind(99, std::move(parts), {6, 8, 7, 9, 16, 17, 18, 0, 1, 4, 5, 2, 3}, 0, kNoPart,
                           SpawnPlacement::kFront);
    k.armoured = 1;
    return k;
}

std::vector<EnemyKindSpec> BuildKinds() {
    return {
        Kind1(),
        Craft(2, 530, 250, 510, 4),
        Craft(3, 530, 250, 511, 4),
        Kind5(),
        Kind6(),
        Craft(8, 529, 300, 0, 3),
        Craft(9, 507, 300, 0, 3),
        Kind10(),
        Kind11(),
        Kind12Or13(12, 516, 517, 512),
        Kind12Or13(13, 518, 519, 513),
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
