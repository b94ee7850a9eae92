// The enemy kinds of stage index 4, one row per kind: the part trees in build
// order (part labels are the order in which the pool slots are taken), the
// record values and where the enemy goes into the list.
//
// Offsets given as a radius at an angle are (r cos a, r sin a), computed in
// extended precision and stored as floats; angles given in whole degrees are
// first turned into the float nearest their radian value.
#include <cmath>
#include <vector>

#include "engine/core/radians.h"
#include "engine/core/random.h"
#include "game/shell/game_math.h"
#include "game/stages/enemy_spawn.h"
#include "game/stages/stage_content.h"

namespace {

// The float nearest the radian value of whole degrees.
f32 DegreesToRadians(i32 degrees) { return static_cast<f32>(static_cast<f80>(degrees) * kPiExtended / 180.0L); }

// A part at radius r along angle a: offset (r cos a, r sin a).
PartSpec AtRadius(PartSpec p, f32 r, f32 a) {
    p.offsetX = static_cast<f32>(static_cast<f80>(r) * std::cos(static_cast<f80>(a)));
    p.offsetY = static_cast<f32>(static_cast<f80>(r) * std::sin(static_cast<f80>(a)));
    return p;
}

void OnLayer1(Enemy& record, std::span<const i32>) { record.layer = 1; }
void Unturned(Enemy& record, std::span<const i32>) { record.rotation = 0.0f; }

// Kind 80's picture is one of 430..435, drawn once as the enemy is built.
void PickSmallShip(Enemy&, std::span<const i32> slots) {
    const i32 pick = RandomInt(0, 59);
    g_EnemyPartPool[slots[0]].spriteKind = 430 + pick / 10;
}

// Kind 20: the carrier; its core is the hull (root 1), the two gun mounts
// carry a turret each.
EnemyKindSpec Kind20() {
    return {
        .kind = 20,
        // clang-format off
        .parts = {
            {.spriteKind = 410, .hp = 1500, .shape = {30, 70, 60}, .coin = 10, .score = 300, .restAngle = 432.0f},
            {.spriteKind = 412, .hp = 900, .shape = {0, 0, 0}, .action = 431, .coin = 5, .score = 500},
            {.spriteKind = 412, .hp = 900, .shape = {0, 0, 0}, .action = 431, .coin = 5, .score = 500},
            {.spriteKind = 413, .hp = 900, .shape = {60, 30, 0}, .offsetX = -10, .offsetY = 75, .action = 430,
             .coin = 8, .score = 200, .children = {1}},
            {.spriteKind = 413, .hp = 900, .shape = {60, 30, 0}, .offsetX = -10, .offsetY = -75, .action = 430,
             .coin = 8, .score = 200, .children = {2}},
            {.spriteKind = 411, .hp = 900, .shape = {60, 60, 0}, .offsetX = 25, .coin = 5, .score = 200},
        },
        // clang-format on
        .roots = {5, 0, 3, 4},
        .spawnId = 420,
        .speed = 1.0f,
        .corePart = 1,
        .armoured = 1,
        .placement = SpawnPlacement::kBeforeFirstActive,
    };
}

// Kind 21: the gunship; its core is the centre body (root 2).
EnemyKindSpec Kind21() {
    return {
        .kind = 21,
        // clang-format off
        .parts = {
            {.spriteKind = 415, .hp = 1200, .shape = {20, 50, 30}, .action = 405, .coin = 5, .score = 500},
            {.spriteKind = 416, .hp = 400, .shape = {30, 25, 0}, .offsetX = -5, .offsetY = -64, .coin = 5,
             .score = 500},
            {.spriteKind = 416, .hp = 400, .shape = {30, 25, 0}, .offsetX = -5, .offsetY = 64, .coin = 5, .score = 500},
            {.spriteKind = 417, .hp = 500, .shape = {45, 15, 0}, .offsetX = 10, .offsetY = -60, .action = 406,
             .coin = 5, .score = 500},
            {.spriteKind = 417, .hp = 500, .shape = {45, 15, 0}, .offsetX = 10, .offsetY = 60, .action = 406, .coin = 5,
             .score = 500},
        },
        // clang-format on
        .roots = {3, 4, 0, 1, 2},
        .spawnId = 421,
        .speed = 1.0f,
        .corePart = 2,
        .armoured = 1,
        .placement = SpawnPlacement::kBeforeFirstActive,
    };
}

// Kind 22: two halves side by side, entering inactive.
EnemyKindSpec Kind22() {
    const HitShape shape{30, 30, 0};
    return {
        .kind = 22,
        // clang-format off
        .parts = {
            {.spriteKind = 480, .hp = 1000, .shape = shape, .offsetX = -20, .coin = 5, .score = 500},
            {.spriteKind = 481, .hp = 1000, .shape = shape, .offsetX = 20, .coin = 5, .score = 500},
        },
        // clang-format on
        .roots = {1, 0},
        .speed = 1.0f,
        .active = 0,
    };
}

// Kind 30: the fortress on the long road; its core is root 3 (part 0, action
// 201), and its main gun (part 3, action 200) is root 0.
EnemyKindSpec Kind30() {
    return {
        .kind = 30,
        // clang-format off
        .parts = {
            {.spriteKind = 1201, .hp = 2800, .shape = {0, 0, 0}, .action = 201, .coin = 10, .score = 400,
             .gaugeOffsetY = -20},
            {.spriteKind = 1202, .hp = 1200, .shape = {0, 0, 30}, .offsetX = 25, .offsetY = 45, .action = 202,
             .coin = 5, .score = 200, .gaugeOffsetY = -5},
            {.spriteKind = 1202, .hp = 1200, .shape = {0, 0, 30}, .offsetX = 25, .offsetY = -45, .action = 202,
             .coin = 5, .score = 200, .gaugeOffsetY = -5},
            {.spriteKind = 1203, .hp = 3000, .shape = {60, 30, 0}, .offsetX = 10, .action = 200, .coin = 8,
             .score = 300},
        },
        // clang-format on
        .roots = {3, 1, 2, 0},
        .spawnId = 430,
        .speed = 1.0f,
        .corePart = 3,
        .armoured = 1,
        .active = 0,
    };
}

// Kind 99: the gate boss, eleven plates without a core; its behaviour ends it.
EnemyKindSpec Kind99() {
    struct Row {
        i32 sprite, hp;
        f32 x, y;
        i32 coin, score;
    };
    static constexpr Row kRows[11] = {
        {447, 1200, 42, 109, 8, 500},    {449, 1200, 49, 166, 8, 500},   {439, 1200, 22, 39, 8, 500},
        {446, 1200, 42, -109, 8, 500},   {448, 1200, 49, -166, 8, 500},  {438, 1200, 22, -39, 8, 500},
        {442, 2800, 39, 149, 12, 800},   {443, 2800, 39, -149, 12, 800}, {445, 1900, -115, 94, 8, 800},
        {444, 1900, -115, -94, 10, 800}, {441, 4000, 0, 0, 30, 1000},
    };
    EnemyKindSpec k{
        .kind = 99,
        .roots = {10, 6, 7, 3, 4, 0, 1, 2, 5, 9, 8},
        .spawnId = 490,
        .speed = 1.0f,
        .corePart = kNoPart,
        .armoured = 1,
    };
    for (const Row& r : kRows) {
        // clang-format off
        k.parts.push_back({.spriteKind = r.sprite, .hp = r.hp, .shape = {30, 30, 0}, .offsetX = r.x, .offsetY = r.y,
                           .coin = r.coin, .score = r.score});
        // clang-format on
    }
    return k;
}

// Kind 100: the wheel; its core is the hub (root 5), which holds the four
// pods and the shield; every spoke carries a lamp.
EnemyKindSpec Kind100() {
    std::vector<PartSpec> parts = {
        {.spriteKind = 455, .hp = 2000, .shape = {30, 20, 0}, .offsetY = -120, .coin = 8, .score = 500},
        {.spriteKind = 454, .hp = 1500, .shape = {0, 0, 40}, .offsetY = -150, .coin = 5, .score = 300},
        {.spriteKind = 454, .hp = 1500, .shape = {0, 0, 40}, .offsetX = 120, .offsetY = -50, .coin = 5, .score = 300},
        {.spriteKind = 454, .hp = 1500, .shape = {0, 0, 40}, .offsetX = -120, .offsetY = -50, .coin = 5, .score = 300},
        {.spriteKind = 454, .hp = 1500, .shape = {0, 0, 40}, .offsetY = 70, .coin = 5, .score = 300},
        // clang-format off
        {.spriteKind = 453, .hp = 300, .shape = {30, 20, 0}, .action = 490, .coin = 5, .score = 1000,
         .children = {1, 2, 3, 0, 4}},
        // clang-format on
    };
    for (int i = 0; i < 8; ++i) {
        parts.push_back({.spriteKind = 452, .hp = 500, .shape = {0, 0, 50}, .offsetY = -70, .coin = 5, .score = 300});
    }
    static constexpr f32 kSpokes[8][2] = {{160, -120}, {-160, -120}, {180, 150}, {-180, 150},
                                          {0, 230},    {240, 0},     {-240, 0},  {0, -230}};
    for (int i = 0; i < 8; ++i) {
        // clang-format off
        parts.push_back({.spriteKind = 451, .hp = 500, .shape = {50, 80, 0}, .offsetX = kSpokes[i][0],
                         .offsetY = kSpokes[i][1], .action = 480, .coin = 5, .score = 500, .children = {6 + i}});
        // clang-format on
    }
    return {
        .kind = 100,
        .parts = std::move(parts),
        .roots = {21, 14, 15, 19, 20, 5, 16, 17, 18},
        .spawnId = 499,
        .corePart = 5,
        .placement = SpawnPlacement::kFront,
        .finish = Unturned,
    };
}

// Kind 101: the last boss; its core is the body (root 2).
EnemyKindSpec Kind101() {
    struct Row {
        i32 sprite;
        f32 x, y;
        i32 coin, score;
        f32 gaugeY;
    };
    static constexpr Row kRows[11] = {
        {490, 0, 0, 40, 800, 0},      {497, 45, 60, 12, 400, -20}, {497, 45, 130, 12, 400, 0},
        {497, 45, -60, 12, 400, -20}, {497, 45, -130, 12, 400, 0}, {491, 47, 0, 20, 500, 0},
        {492, -112, 0, 20, 350, 0},   {493, 0, -95, 10, 300, 0},   {494, 0, 95, 10, 300, 0},
        {495, 10, -45, 8, 200, 0},    {496, 10, 45, 8, 200, 0},
    };
    EnemyKindSpec k{
        .kind = 101,
        .roots = {9, 10, 0, 1, 2, 3, 4, 7, 8, 5, 6},
        .speed = 0.0f,
        .corePart = 2,
        .armoured = 1,
        .active = 0,
        .placement = SpawnPlacement::kFront,
    };
    for (const Row& r : kRows) {
        // clang-format off
        k.parts.push_back({.spriteKind = r.sprite, .hp = 9999, .shape = {0, 0, 0}, .offsetX = r.x, .offsetY = r.y,
                           .coin = r.coin, .score = r.score, .gaugeOffsetY = r.gaugeY});
        // clang-format on
    }
    return k;
}

// Kind 110: the castle, 71 parts. Eight towers on a ring of 480 around the
// keep, each with a roof and four turrets; a ring of twelve gates around the
// keep; four walls, four gatehouses and the core (root 17).
EnemyKindSpec Kind110() {
    const HitShape none{0, 0, 0};
    const f32 quarter[4] = {0.0f, kHalfPi, kPi, -kHalfPi};
    static constexpr i32 kTowerDegrees[8] = {18, 62, 118, 162, -156, -115, -65, -24};
    static constexpr i32 kGateDegrees[12] = {28, -28, 0, 208, 152, 180, 118, 62, 90, -62, -118, -90};

    std::vector<PartSpec> parts;
    // clang-format off
    parts.push_back({.spriteKind = 1002, .hp = 1200, .shape = none, .coin = 8, .score = 500});  // #0
    for (int i = 0; i < 8; ++i) {  // #1..#8: the roofs
        parts.push_back({.spriteKind = 1004, .hp = 1800, .shape = none, .coin = 8, .score = 300, .gaugeOffsetY = -30,
                         .angle = kHalfPi});
    }
    // clang-format on
    const PartSpec turret{.spriteKind = 1005, .hp = 1000, .shape = {0, 0, 55}, .action = 1004, .coin = 5, .score = 200};
    for (int t = 0; t < 8; ++t) {  // #9..#40: four turrets per tower
        for (int j = 0; j < 4; ++j) {
            PartSpec p = AtRadius(turret, 104.0f, quarter[j]);
            p.angle = quarter[j];
            parts.push_back(p);
        }
    }
    for (int t = 0; t < 8; ++t) {  // #41..#48: the towers
        std::vector<i32> children = {9 + 4 * t, 10 + 4 * t, 11 + 4 * t, 12 + 4 * t, 1 + t};
        // clang-format off
        PartSpec p{.spriteKind = 1003, .hp = 1000, .shape = none, .action = 1003, .coin = 8, .score = 100,
                   .children = std::move(children), .gaugeOffsetY = -30};
        // clang-format on
        parts.push_back(AtRadius(p, 480.0f, DegreesToRadians(kTowerDegrees[t])));
    }
    std::vector<i32> gates;
    const PartSpec gate{.spriteKind = 1006, .hp = 800, .shape = none, .coin = 3, .score = 100};
    for (int g = 0; g < 12; ++g) {  // #49..#60: the gates
        const f32 a = DegreesToRadians(kGateDegrees[g]);
        PartSpec p = AtRadius(gate, 256.0f, a);
        p.angle = a;
        p.restAngle = a;
        parts.push_back(p);
        gates.push_back(49 + g);
    }
    // #61: the keep
    parts.push_back(
        {.spriteKind = 1001, .hp = 1200, .shape = none, .coin = 8, .score = 500, .children = std::move(gates)});
    const PartSpec wall{.spriteKind = 1007, .hp = 2400, .shape = none, .coin = 8, .score = 300, .gaugeOffsetY = 40};
    for (int j = 0; j < 4; ++j) {  // #62..#65: the walls
        PartSpec p = AtRadius(wall, 150.0f, quarter[j]);
        p.angle = quarter[j];
        parts.push_back(p);
    }
    const PartSpec gatehouse{.spriteKind = 1008, .hp = 1200, .shape = none, .coin = 5, .score = 150};
    for (int j = 0; j < 4; ++j) {  // #66..#69: the gatehouses
        PartSpec p = AtRadius(gatehouse, 140.0f, quarter[j]);
        p.angle = quarter[j];
        parts.push_back(p);
    }
    // #70: the core
    // clang-format off
    parts.push_back({.spriteKind = 1009, .hp = 5600, .shape = none, .coin = 32, .score = 400, .gaugeOffsetY = 80,
                     .restAngle = kHalfPi, .angle = kHalfPi});
    // clang-format on

    std::vector<i32> roots = {61};
    for (int t = 0; t < 8; ++t) roots.push_back(41 + t);
    for (int j = 0; j < 8; ++j) roots.push_back(62 + j);
    roots.push_back(70);
    roots.push_back(0);
    return {
        .kind = 110,
        .parts = std::move(parts),
        .roots = std::move(roots),
        .spawnId = 1001,
        .speed = 0.0f,
        .corePart = 17,
        .armoured = 1,
        .active = 0,
        .placement = SpawnPlacement::kFront,
        .finish = Unturned,
    };
}

std::vector<EnemyKindSpec> BuildKinds() {
    const HitShape plate{30, 30, 0};
    const HitShape fighter{10, 40, 20};
    const HitShape none{0, 0, 0};
    std::vector<EnemyKindSpec> kinds = {
        OnePartKind({.kind = 1, .speed = 1.0f},
                    {.spriteKind = 401, .hp = 1000, .shape = plate, .coin = 5, .score = 500}),
        OnePartKind({.kind = 9, .speed = 1.0f},
                    {.spriteKind = 482, .hp = 150, .shape = plate, .coin = 1, .score = 100}),
        OnePartKind({.kind = 10, .finish = OnLayer1},
                    {.spriteKind = 402, .hp = 200, .shape = fighter, .action = 401, .coin = 4, .score = 100}),
        OnePartKind({.kind = 11, .spawnId = 411, .finish = OnLayer1},
                    {.spriteKind = 403, .hp = 200, .shape = fighter, .action = 402, .coin = 4, .score = 100}),
        OnePartKind({.kind = 12, .placement = SpawnPlacement::kFront},
                    {.spriteKind = 403, .hp = 200, .shape = fighter, .action = 401, .coin = 4, .score = 100}),
        OnePartKind({.kind = 15, .finish = OnLayer1},
                    {.spriteKind = 405, .hp = 200, .shape = {15, 50, 30}, .action = 435, .coin = 5, .score = 100}),
        Kind20(),
        Kind21(),
        Kind22(),
        Kind30(),
        OnePartKind(
            {.kind = 80, .speed = 1.0f, .active = 0, .placement = SpawnPlacement::kFront, .finish = PickSmallShip},
            {.spriteKind = 430, .hp = 1000, .shape = plate, .coin = 5, .score = 500}),
        OnePartKind({.kind = 81, .speed = 1.0f, .active = 0},
                    {.spriteKind = 437, .hp = 1000, .shape = plate, .coin = 5, .score = 500}),
    };
    static constexpr i32 kLoners[4][2] = {{90, 460}, {91, 463}, {92, 464}, {93, 467}};
    for (const auto& loner : kLoners) {
        kinds.push_back(OnePartKind({.kind = loner[0], .speed = 0.0f, .active = 0},
                                    {.spriteKind = loner[1], .hp = 9999, .shape = none, .coin = 6}));
    }
    kinds.push_back(Kind99());
    kinds.push_back(Kind100());
    kinds.push_back(Kind101());
    kinds.push_back(
        OnePartKind({.kind = 102, .speed = 1.0f},
                    {.spriteKind = 499, .hp = 150, .shape = plate, .action = 960, .coin = 5, .score = 150}));
    kinds.push_back(Kind110());
    return kinds;
}

}  // namespace

std::span<const EnemyKindSpec> EnemyKindsStage5() {
    static const std::vector<EnemyKindSpec> kinds = BuildKinds();
    return kinds;
}

// The numbers of the stage that may go without their rows, each with its
// reason.
namespace {
constexpr NumbersException kExceptions[] = {
    // The castle.
    {NumbersRule::kActionHasRow, 1022, "the castle hands wall 12 an action that has no pattern"},
};
}  // namespace

std::span<const NumbersException> NumbersExceptionsStage5() { return kExceptions; }

i32 SpawnEnemyStage5(i32 kind) { return SpawnEnemyFromTable(EnemyKindsStage5(), kind); }
