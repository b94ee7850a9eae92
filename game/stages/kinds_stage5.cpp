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

PartSpec WithGauge(PartSpec p, f32 x, f32 y) {
    p.gaugeOffsetX = x;
    p.gaugeOffsetY = y;
    return p;
}

// The float nearest the radian value of whole degrees.
f32 DegreesToRadians(i32 degrees) {
    return static_cast<f32>(static_cast<f80>(degrees) * kPiExtended / 180.0L);
}

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

EnemyKindSpec Kind(i32 kind, std::vector<PartSpec> parts, std::vector<i32> roots, i32 spawnId, f32 speed) {
    EnemyKindSpec k;
    k.kind = kind;
    k.parts = std::move(parts);
    k.roots = std::move(roots);
    k.spawnId = spawnId;
    k.speed = speed;
    return k;
}

// A kind of one part at (0, 0) with no children.
EnemyKindSpec SinglePart(i32 kind, i32 spriteKind, i32 hp, HitShape shape, i32 action, i32 coin, i32 score,
                         f32 speed) {
    return Kind(kind, {MakePart(spriteKind, hp, shape, 0, 0, action, coin, score)}, {0}, 0, speed);
}

// Kind 20: the carrier; its core is the hull (root 1), the two gun mounts
// carry a turret each.
EnemyKindSpec Kind20() {
    EnemyKindSpec k = Kind(20,
                           {
                               MakePart(410, 1500, HitShape{30, 70, 60}, 0, 0, 0, 10, 300),
                               MakePart(412, 900, HitShape{0, 0, 0}, 0, 0, 431, 5, 500),
                               MakePart(412, 900, HitShape{0, 0, 0}, 0, 0, 431, 5, 500),
                               MakePart(413, 900, HitShape{60, 30, 0}, -10, 75, 430, 8, 200, {1}),
                               MakePart(413, 900, HitShape{60, 30, 0}, -10, -75, 430, 8, 200, {2}),
                               MakePart(411, 900, HitShape{60, 60, 0}, 25, 0, 0, 5, 200),
                           },
                           {5, 0, 3, 4}, 420, 1.0f);
    k.parts[0].restAngle = 432.0f;
    k.corePart = 1;
    k.armoured = 1;
    k.placement = SpawnPlacement::kBeforeFirstActive;
    return k;
}

// Kind 21: the gunship; its core is the centre body (root 2).
EnemyKindSpec Kind21() {
    EnemyKindSpec k = Kind(21,
                           {
                               MakePart(415, 1200, HitShape{20, 50, 30}, 0, 0, 405, 5, 500),
                               MakePart(416, 400, HitShape{30, 25, 0}, -5, -64, 0, 5, 500),
                               MakePart(416, 400, HitShape{30, 25, 0}, -5, 64, 0, 5, 500),
                               MakePart(417, 500, HitShape{45, 15, 0}, 10, -60, 406, 5, 500),
                               MakePart(417, 500, HitShape{45, 15, 0}, 10, 60, 406, 5, 500),
                           },
                           {3, 4, 0, 1, 2}, 421, 1.0f);
    k.corePart = 2;
    k.armoured = 1;
    k.placement = SpawnPlacement::kBeforeFirstActive;
    return k;
}

// Kind 22: two halves side by side, entering inactive.
EnemyKindSpec Kind22() {
    const HitShape shape{30, 30, 0};
    EnemyKindSpec k = Kind(22,
                           {
                               MakePart(480, 1000, shape, -20, 0, 0, 5, 500),
                               MakePart(481, 1000, shape, 20, 0, 0, 5, 500),
                           },
                           {1, 0}, 0, 1.0f);
    k.active = 0;
    return k;
}

// Kind 30: the fortress on the long road; its core is root 3 (part 0, action
// 201), and its main gun (part 3, action 200) is root 0.
EnemyKindSpec Kind30() {
    EnemyKindSpec k = Kind(30,
                           {
                               WithGauge(MakePart(1201, 2800, HitShape{0, 0, 0}, 0, 0, 201, 10, 400), 0, -20),
                               WithGauge(MakePart(1202, 1200, HitShape{0, 0, 30}, 25, 45, 202, 5, 200), 0, -5),
                               WithGauge(MakePart(1202, 1200, HitShape{0, 0, 30}, 25, -45, 202, 5, 200), 0, -5),
                               MakePart(1203, 3000, HitShape{60, 30, 0}, 10, 0, 200, 8, 300),
                           },
                           {3, 1, 2, 0}, 430, 1.0f);
    k.corePart = 3;
    k.active = 0;
    k.armoured = 1;
    return k;
}

// Kind 99: the gate boss, eleven plates without a core; its behaviour ends it.
EnemyKindSpec Kind99() {
    struct Row {
        i32 sprite, hp;
        f32 x, y;
        i32 coin, score;
    };
    static constexpr Row kRows[11] = {
        {447, 1200, 42, 109, 8, 500},   {449, 1200, 49, 166, 8, 500},   {439, 1200, 22, 39, 8, 500},
        {446, 1200, 42, -109, 8, 500},  {448, 1200, 49, -166, 8, 500},  {438, 1200, 22, -39, 8, 500},
        {442, 2800, 39, 149, 12, 800},  {443, 2800, 39, -149, 12, 800}, {445, 1900, -115, 94, 8, 800},
        {444, 1900, -115, -94, 10, 800}, {441, 4000, 0, 0, 30, 1000},
    };
    std::vector<PartSpec> parts;
    for (const Row& r : kRows) parts.push_back(MakePart(r.sprite, r.hp, HitShape{30, 30, 0}, r.x, r.y, 0, r.coin, r.score));
    EnemyKindSpec k = Kind(99, std::move(parts), {10, 6, 7, 3, 4, 0, 1, 2, 5, 9, 8}, 490, 1.0f);
    k.corePart = kNoPart;
    k.armoured = 1;
    return k;
}

// Kind 100: the wheel; its core is the hub (root 5), which holds the four
// pods and the shield; every spoke carries a lamp.
EnemyKindSpec Kind100() {
    std::vector<PartSpec> parts = {
        MakePart(455, 2000, HitShape{30, 20, 0}, 0, -120, 0, 8, 500),
        MakePart(454, 1500, HitShape{0, 0, 40}, 0, -150, 0, 5, 300),
        MakePart(454, 1500, HitShape{0, 0, 40}, 120, -50, 0, 5, 300),
        MakePart(454, 1500, HitShape{0, 0, 40}, -120, -50, 0, 5, 300),
        MakePart(454, 1500, HitShape{0, 0, 40}, 0, 70, 0, 5, 300),
        MakePart(453, 300, HitShape{30, 20, 0}, 0, 0, 490, 5, 1000, {1, 2, 3, 0, 4}),
    };
    for (int i = 0; i < 8; ++i) parts.push_back(MakePart(452, 500, HitShape{0, 0, 50}, 0, -70, 0, 5, 300));
    static constexpr f32 kSpokes[8][2] = {{160, -120}, {-160, -120}, {180, 150}, {-180, 150},
                                          {0, 230},    {240, 0},     {-240, 0},  {0, -230}};
    for (int i = 0; i < 8; ++i) {
        parts.push_back(MakePart(451, 500, HitShape{50, 80, 0}, kSpokes[i][0], kSpokes[i][1], 480, 5, 500, {6 + i}));
    }
    EnemyKindSpec k = Kind(100, std::move(parts), {21, 14, 15, 19, 20, 5, 16, 17, 18}, 499, 2.0f);
    k.corePart = 5;
    k.placement = SpawnPlacement::kFront;
    k.finish = Unturned;
    return k;
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
        {490, 0, 0, 40, 800, 0},     {497, 45, 60, 12, 400, -20}, {497, 45, 130, 12, 400, 0},
        {497, 45, -60, 12, 400, -20}, {497, 45, -130, 12, 400, 0}, {491, 47, 0, 20, 500, 0},
        {492, -112, 0, 20, 350, 0},  {493, 0, -95, 10, 300, 0},   {494, 0, 95, 10, 300, 0},
        {495, 10, -45, 8, 200, 0},   {496, 10, 45, 8, 200, 0},
    };
    std::vector<PartSpec> parts;
    for (const Row& r : kRows) {
        parts.push_back(WithGauge(MakePart(r.sprite, 9999, HitShape{0, 0, 0}, r.x, r.y, 0, r.coin, r.score), 0, r.gaugeY));
    }
    EnemyKindSpec k = Kind(101, std::move(parts), {9, 10, 0, 1, 2, 3, 4, 7, 8, 5, 6}, 0, 0.0f);
    k.corePart = 2;
    k.active = 0;
    k.armoured = 1;
    k.placement = SpawnPlacement::kFront;
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
    parts.push_back(MakePart(1002, 1200, none, 0, 0, 0, 8, 500));  // #0
    for (int i = 0; i < 8; ++i) {                               // #1..#8: the roofs
        PartSpec p = WithGauge(MakePart(1004, 1800, none, 0, 0, 0, 8, 300), 0, -30);
        p.angle = kHalfPi;
        parts.push_back(p);
    }
    for (int t = 0; t < 8; ++t) {  // #9..#40: four turrets per tower
        for (int j = 0; j < 4; ++j) {
            PartSpec p = AtRadius(MakePart(1005, 1000, HitShape{0, 0, 55}, 0, 0, 1004, 5, 200), 104.0f, quarter[j]);
            p.angle = quarter[j];
            parts.push_back(p);
        }
    }
    for (int t = 0; t < 8; ++t) {  // #41..#48: the towers
        std::vector<i32> children = {9 + 4 * t, 10 + 4 * t, 11 + 4 * t, 12 + 4 * t, 1 + t};
        PartSpec p = MakePart(1003, 1000, none, 0, 0, 1003, 8, 100, std::move(children));
        parts.push_back(WithGauge(AtRadius(p, 480.0f, DegreesToRadians(kTowerDegrees[t])), 0, -30));
    }
    std::vector<i32> gates;
    for (int g = 0; g < 12; ++g) {  // #49..#60: the gates
        const f32 a = DegreesToRadians(kGateDegrees[g]);
        PartSpec p = AtRadius(MakePart(1006, 800, none, 0, 0, 0, 3, 100), 256.0f, a);
        p.angle = a;
        p.restAngle = a;
        parts.push_back(p);
        gates.push_back(49 + g);
    }
    parts.push_back(MakePart(1001, 1200, none, 0, 0, 0, 8, 500, std::move(gates)));  // #61: the keep
    for (int j = 0; j < 4; ++j) {                                                 // #62..#65: the walls
        PartSpec p = WithGauge(AtRadius(MakePart(1007, 2400, none, 0, 0, 0, 8, 300), 150.0f, quarter[j]), 0, 40);
        p.angle = quarter[j];
        parts.push_back(p);
    }
    for (int j = 0; j < 4; ++j) {  // #66..#69: the gatehouses
        PartSpec p = AtRadius(MakePart(1008, 1200, none, 0, 0, 0, 5, 150), 140.0f, quarter[j]);
        p.angle = quarter[j];
        parts.push_back(p);
    }
    PartSpec core = WithGauge(MakePart(1009, 5600, none, 0, 0, 0, 32, 400), 0, 80);  // #70
    core.angle = kHalfPi;
    core.restAngle = kHalfPi;
    parts.push_back(core);

    std::vector<i32> roots = {61};
    for (int t = 0; t < 8; ++t) roots.push_back(41 + t);
    for (int j = 0; j < 8; ++j) roots.push_back(62 + j);
    roots.push_back(70);
    roots.push_back(0);
    EnemyKindSpec k = Kind(110, std::move(parts), std::move(roots), 1001, 0.0f);
    k.corePart = 17;
    k.active = 0;
    k.armoured = 1;
    k.placement = SpawnPlacement::kFront;
    k.finish = Unturned;
    return k;
}

EnemyKindSpec Layer1(EnemyKindSpec k) {
    k.finish = OnLayer1;
    return k;
}

std::vector<EnemyKindSpec> BuildKinds() {
    const HitShape plate{30, 30, 0};
    const HitShape fighter{10, 40, 20};
    const HitShape none{0, 0, 0};

    EnemyKindSpec kind12 = SinglePart(12, 403, 200, fighter, 401, 4, 100, 2.0f);
    kind12.placement = SpawnPlacement::kFront;

    EnemyKindSpec kind80 = SinglePart(80, 430, 1000, plate, 0, 5, 500, 1.0f);
    kind80.active = 0;
    kind80.placement = SpawnPlacement::kFront;
    kind80.finish = PickSmallShip;

    EnemyKindSpec kind11 = Layer1(SinglePart(11, 403, 200, fighter, 402, 4, 100, 2.0f));
    kind11.spawnId = 411;

    EnemyKindSpec kind81 = SinglePart(81, 437, 1000, plate, 0, 5, 500, 1.0f);
    kind81.active = 0;

    std::vector<EnemyKindSpec> kinds = {
        SinglePart(1, 401, 1000, plate, 0, 5, 500, 1.0f),
        SinglePart(9, 482, 150, plate, 0, 1, 100, 1.0f),
        Layer1(SinglePart(10, 402, 200, fighter, 401, 4, 100, 2.0f)),
        kind11,
        kind12,
        Layer1(SinglePart(15, 405, 200, HitShape{15, 50, 30}, 435, 5, 100, 2.0f)),
        Kind20(),
        Kind21(),
        Kind22(),
        Kind30(),
        kind80,
        kind81,
    };
    static constexpr i32 kLoners[4][2] = {{90, 460}, {91, 463}, {92, 464}, {93, 467}};
    for (const auto& loner : kLoners) {
        EnemyKindSpec k = SinglePart(loner[0], loner[1], 9999, none, 0, 6, 0, 0.0f);
        k.active = 0;
        kinds.push_back(k);
    }
    kinds.push_back(Kind99());
    kinds.push_back(Kind100());
    kinds.push_back(Kind101());
    kinds.push_back(SinglePart(102, 499, 150, plate, 960, 5, 150, 1.0f));
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
