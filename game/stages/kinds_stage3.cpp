// The enemy kinds of stage index 2, one row per kind: the part trees in build
// order, the record values and where the enemy goes into the list.
#include <vector>

#include "game/stages/enemy_spawn.h"
#include "game/stages/stage_content.h"

namespace {

// The same part at another offset (a copy with its offset rewritten).
PartSpec Moved(PartSpec p, f32 offsetX, f32 offsetY) {
    p.offsetX = offsetX;
    p.offsetY = offsetY;
    return p;
}

// The same part with another picture at another offset.
PartSpec Repainted(PartSpec p, i32 spriteKind, f32 offsetX, f32 offsetY) {
    p.spriteKind = spriteKind;
    return Moved(std::move(p), offsetX, offsetY);
}

EnemyKindSpec Kind(i32 kind, std::vector<PartSpec> parts, std::vector<i32> roots, i32 spawnId, f32 speed,
                   SpawnPlacement placement = SpawnPlacement::kBack) {
    EnemyKindSpec k;
    k.kind = kind;
    k.parts = std::move(parts);
    k.roots = std::move(roots);
    k.spawnId = spawnId;
    k.speed = speed;
    k.placement = placement;
    return k;
}

// A kind of one part at (0, 0) with no children.
EnemyKindSpec SinglePart(i32 kind, i32 spriteKind, i32 hp, HitShape shape, i32 action, i32 coin, i32 score,
                         i32 spawnId, f32 speed, SpawnPlacement placement = SpawnPlacement::kBack) {
    return Kind(kind, {MakePart(spriteKind, hp, shape, 0, 0, action, coin, score)}, {0}, spawnId, speed, placement);
}

// Kind 2: two wings, a tail and a picture-less core copied from the tail.
EnemyKindSpec Kind2() {
    const PartSpec tail = MakePart(327, 800, HitShape{20, 90, 0}, 13, 0, 322, 2, 150);
    PartSpec core = Moved(tail, 18, 0);
    core.shape = HitShape{};
    core.action = 0;
    return Kind(2,
                {MakePart(325, 600, HitShape{40, 40, 0}, 0, -44, 323, 3, 100),
                 MakePart(326, 600, HitShape{40, 40, 0}, 0, 44, 323, 3, 100), tail, core},
                {3, 0, 1, 2}, 0, 2.0f);
}

// Kind 10: the circling gunship; its gauge sits above it.
EnemyKindSpec Kind10() {
    EnemyKindSpec k = SinglePart(10, 380, 3000, HitShape{20, 50, 30}, 300, 12, 500, 380, 2.0f);
    k.parts[0].gaugeOffsetY = -20.0f;
    return k;
}

// The two side plates of the barges (kinds 21 to 25), P0 and P1.
std::vector<PartSpec> BargePlates() {
    const PartSpec lower = MakePart(342, 300, HitShape{40, 15, 0}, 0, 70, 0, 3, 100);
    return {lower, Repainted(lower, 343, 0, -70)};
}

// Kinds 21 to 24: plates, a gun (P2) under the hull (P3), the hull the core.
EnemyKindSpec Barge(i32 kind, i32 gunKind, HitShape gunShape, i32 gunAction, i32 hullAction) {
    std::vector<PartSpec> parts = BargePlates();
    parts.push_back(MakePart(gunKind, 800, gunShape, -20, 0, gunAction, 4, 100));
    parts.push_back(MakePart(341, 1200, HitShape{15, 45, 0}, 0, 0, hullAction, 5, 300, {2}));
    EnemyKindSpec k = Kind(kind, std::move(parts), {0, 1, 3}, 302, 1.0f);
    k.corePart = 2;
    return k;
}

// Kind 25: the barge without a gun, put at the front.
EnemyKindSpec Kind25() {
    std::vector<PartSpec> parts = BargePlates();
    parts.push_back(MakePart(341, 1200, HitShape{15, 45, 0}, 0, 0, 0, 5, 300));
    EnemyKindSpec k = Kind(25, std::move(parts), {0, 1, 2}, 302, 1.0f, SpawnPlacement::kFront);
    k.corePart = 2;
    return k;
}

// The six plates P0 to P5 of the fortresses (kinds 31 to 33).
std::vector<PartSpec> FortressPlates() {
    const PartSpec upper = MakePart(349, 500, HitShape{40, 20, 0}, -255, -60, 0, 3, 100);
    const PartSpec lower = MakePart(348, 500, HitShape{40, 20, 0}, -255, 60, 0, 3, 100);
    return {upper, Moved(upper, -140, -60), Moved(upper, -10, -60),
            lower, Moved(lower, -140, 60),  Moved(lower, -10, 60)};
}

// Kinds 31 and 33: two flank guns under the middle tower; they differ in the
// spawn id and the actions of the bow (P8) and the stern (P9).
EnemyKindSpec Fortress(i32 kind, i32 spawnId, i32 bowAction, i32 sternAction) {
    std::vector<PartSpec> parts = FortressPlates();
    const PartSpec gun = MakePart(351, 800, HitShape{40, 20, 0}, -17, -24, 330, 3, 150);
    parts.push_back(gun);
    parts.push_back(Moved(gun, -17, 24));
    parts.push_back(MakePart(344, 2500, HitShape{20, 40, 0}, 0, 0, bowAction, 5, 400));
    parts.push_back(MakePart(345, 2000, HitShape{20, 40, 0}, -260, 0, sternAction, 5, 400));
    parts.push_back(MakePart(346, 2000, HitShape{20, 40, 0}, -130, 0, 337, 5, 400, {6, 7}));
    EnemyKindSpec k = Kind(kind, std::move(parts), {0, 3, 9, 1, 4, 10, 2, 5, 8}, spawnId, 0.0f, SpawnPlacement::kFront);
    k.corePart = 2;
    k.state = 301;
    return k;
}

// Kind 32: one heavy gun under the middle tower.
EnemyKindSpec Kind32() {
    std::vector<PartSpec> parts = FortressPlates();
    parts.push_back(MakePart(352, 1500, HitShape{60, 20, 0}, -27, 0, 331, 4, 300));
    parts.push_back(MakePart(344, 2500, HitShape{20, 40, 0}, 0, 0, 340, 5, 400));
    parts.push_back(MakePart(345, 2000, HitShape{20, 40, 0}, -260, 0, 341, 5, 400));
    parts.push_back(MakePart(346, 2000, HitShape{20, 40, 0}, -130, 0, 337, 5, 400, {6}));
    EnemyKindSpec k = Kind(32, std::move(parts), {0, 3, 8, 1, 4, 9, 2, 5, 7}, 312, 0.0f, SpawnPlacement::kFront);
    k.corePart = 2;
    k.state = 301;
    return k;
}

// Kind 39: the long armoured craft, the first route's boss (and scenery
// earlier). Its eight guns start their patterns staggered by 10 frames.
EnemyKindSpec Kind39() {
    std::vector<PartSpec> parts;
    const PartSpec upper = MakePart(349, 500, HitShape{40, 20, 0}, -550, -75, 0, 3, 200);
    for (const f32 x : {-550.0f, -430.0f, -300.0f, -170.0f, -10.0f}) parts.push_back(Moved(upper, x, -75));
    const PartSpec lower = MakePart(348, 500, HitShape{40, 20, 0}, -550, 75, 0, 3, 200);
    for (const f32 x : {-550.0f, -430.0f, -300.0f, -170.0f, -10.0f}) parts.push_back(Moved(lower, x, 75));
    // P10 to P17: the guns, four under each of the two towers.
    struct Gun {
        i32 spriteKind;
        f32 x, y;
        i32 timer;
    };
    static constexpr Gun kGuns[8] = {{309, -68, 55, 0},  {309, -35, 55, 20},  {309, -8, 55, 0},  {309, 25, 55, 20},
                                     {310, -68, -55, 10}, {310, -35, -55, 30}, {310, -8, -55, 10}, {310, 25, -55, 30}};
    for (const Gun& g : kGuns) {
        PartSpec gun = MakePart(g.spriteKind, 1800, HitShape{20, 40, 0}, g.x, g.y, 352, 3, 300);
        gun.timer = g.timer;
        parts.push_back(gun);
    }
    parts.push_back(MakePart(306, 4600, HitShape{20, 40, 0}, 0, 0, 338, 5, 500, {10, 14, 11, 15}));
    parts.push_back(MakePart(305, 5200, HitShape{20, 40, 0}, -555, 0, 338, 8, 500, {12, 16, 13, 17}));
    const PartSpec hatch = MakePart(317, 2000, HitShape{20, 40, 0}, -420, 0, 338, 5, 500);
    parts.push_back(hatch);
    parts.push_back(Repainted(hatch, 318, -290, 0));
    parts.push_back(Repainted(hatch, 319, -160, 0));
    EnemyKindSpec k = Kind(39, std::move(parts), {0, 5, 19, 1, 6, 20, 2, 7, 21, 3, 8, 22, 4, 9, 18}, 301, 0.0f,
                           SpawnPlacement::kFront);
    k.corePart = -1;
    k.armoured = 1;
    k.state = 301;
    return k;
}

// Kind 40: the armoured fortress, the second route's boss (and scenery
// earlier). Angles pi/4 and pi/7 in radians.
EnemyKindSpec Kind40() {
    constexpr f32 kQuarter = 0.7853982f;
    constexpr f32 kSeventh = 0.4487990f;
    PartSpec wingA = MakePart(362, 1500, HitShape{50, 20, 0}, 80, 90, 0, 6, 300);
    wingA.angle = kQuarter;
    wingA.gaugeOffsetY = 40.0f;
    PartSpec finA = MakePart(364, 1800, HitShape{40, 15, 0}, 140, 50, 0, 8, 300);
    finA.angle = kSeventh;
    PartSpec wingB = MakePart(363, 1500, HitShape{50, 20, 0}, 80, -90, 0, 6, 300);
    wingB.angle = -kQuarter;
    wingB.gaugeOffsetY = 40.0f;
    PartSpec finB = MakePart(365, 1800, HitShape{40, 15, 0}, 140, -50, 0, 8, 300);
    finB.angle = -kSeventh;
    PartSpec plate = MakePart(343, 800, HitShape{40, 15, 0}, -30, -170, 0, 5, 200);
    plate.gaugeOffsetY = 15.0f;
    const PartSpec dome = MakePart(361, 3000, HitShape{0, 0, 50}, -30, -100, 0, 15, 500);
    std::vector<PartSpec> parts = {
        wingA, finA, wingB, finB,
        plate, Moved(plate, 90, -170), Repainted(plate, 342, -30, 170), Repainted(plate, 342, 90, 170),
        dome, Moved(dome, 90, -100), Moved(dome, -30, 100), Moved(dome, 90, 100),
        MakePart(360, 3200, HitShape{}, 0, 0, 370, 40, 1000),
        MakePart(366, 3500, HitShape{}, 0, 0, 370, 15, 300),
    };
    EnemyKindSpec k = Kind(40, std::move(parts), {4, 6, 5, 7, 8, 10, 9, 11, 1, 3, 12, 0, 2, 13}, 303, 0.0f,
                           SpawnPlacement::kFront);
    k.corePart = -1;
    k.armoured = 1;
    return k;
}

// Kind 50: the mid-boss; its core (root 2) carries the pattern.
EnemyKindSpec Kind50() {
    const PartSpec arm = MakePart(392, 1500, HitShape{20, 50, 0}, -35, 80, 391, 8, 15);
    const PartSpec fin = MakePart(394, 200, HitShape{}, 15, 50, 0, 3, 100);
    EnemyKindSpec k = Kind(50,
                           {MakePart(390, 2400, HitShape{0, 0, 40}, 0, 0, 0, 10, 300), arm, Repainted(arm, 391, -35, -80),
                            fin, Repainted(fin, 393, 15, -50)},
                           {1, 2, 0, 3, 4}, 390, 2.0f);
    k.corePart = 2;
    k.active = 0;
    return k;
}

std::vector<EnemyKindSpec> BuildKinds() {
    constexpr SpawnPlacement kFront = SpawnPlacement::kFront;
    EnemyKindSpec kind5 = SinglePart(5, 399, 9999, HitShape{}, 0, 6, 0, 381, 0.0f);
    kind5.active = 0;
    EnemyKindSpec kind8 = SinglePart(8, 338, 100, HitShape{50, 25, 0}, 0, 2, 50, 0, 0.0f, kFront);
    kind8.corePart = -1;
    return {
        SinglePart(1, 321, 200, HitShape{10, 40, 20}, 320, 3, 100, 0, 2.0f),
        Kind2(),
        SinglePart(3, 335, 50, HitShape{0, 0, 20}, 321, 1, 50, 0, 0.0f),
        kind5,
        SinglePart(6, 336, 500, HitShape{0, 0, 30}, 0, 5, 400, 306, 0.0f, kFront),
        SinglePart(7, 337, 500, HitShape{0, 0, 30}, 0, 5, 400, 306, 0.0f, kFront),
        kind8,
        Kind10(),
        Barge(21, 351, HitShape{0, 0, 40}, 301, 0),
        Barge(22, 353, HitShape{0, 0, 40}, 303, 310),
        Barge(23, 352, HitShape{60, 20, 0}, 331, 310),
        Barge(24, 354, HitShape{0, 0, 40}, 306, 310),
        Kind25(),
        Fortress(31, 311, 340, 341),
        Kind32(),
        Fortress(33, 313, 337, 340),
        Kind39(),
        Kind40(),
        Kind50(),
    };
}

}  // namespace

// Every number of the stage has its row: no exceptions.
std::span<const NumbersException> NumbersExceptionsStage3() { return {}; }

std::span<const EnemyKindSpec> EnemyKindsStage3() {
    static const std::vector<EnemyKindSpec> kinds = BuildKinds();
    return kinds;
}

i32 SpawnEnemyStage3(i32 kind) { return SpawnEnemyFromTable(EnemyKindsStage3(), kind); }
