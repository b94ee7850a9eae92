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

// clang-format off
// Kind 2: two wings, a tail and a picture-less core copied from the tail.
EnemyKindSpec Kind2() {
    const PartSpec tail{.spriteKind = 327, .hp = 800, .shape = {20, 90, 0}, .offsetX = 13, .action = 322, .coin = 2,
                        .score = 150};
    PartSpec core = Moved(tail, 18, 0);
    core.shape = HitShape{};
    core.action = 0;
    return {
        .kind = 2,
        .parts = {
            {.spriteKind = 325, .hp = 600, .shape = {40, 40, 0}, .offsetY = -44, .action = 323, .coin = 3,
             .score = 100},
            {.spriteKind = 326, .hp = 600, .shape = {40, 40, 0}, .offsetY = 44, .action = 323, .coin = 3, .score = 100},
            tail,
            core,
        },
        .roots = {3, 0, 1, 2},
    };
}

// Kind 10: the circling gunship; its gauge sits above it.
EnemyKindSpec Kind10() {
    return OnePartKind({.kind = 10, .spawnId = 380},
                       {.spriteKind = 380, .hp = 3000, .shape = {20, 50, 30}, .action = 300, .coin = 12, .score = 500,
                        .gaugeOffsetY = -20.0f});
}
// clang-format on

// The two side plates of the barges (kinds 21 to 25), P0 and P1.
std::vector<PartSpec> BargePlates() {
    const PartSpec lower{.spriteKind = 342, .hp = 300, .shape = {40, 15, 0}, .offsetY = 70, .coin = 3, .score = 100};
    return {lower, Repainted(lower, 343, 0, -70)};
}

// Kinds 21 to 24: plates, a gun (P2) under the hull (P3), the hull the core.
// They differ in these.
struct BargeRow {
    i32 kind;
    i32 gunSprite;
    HitShape gunShape;
    i32 gunAction;
    i32 hullAction;
};
EnemyKindSpec Barge(const BargeRow& b) {
    std::vector<PartSpec> parts = BargePlates();
    // clang-format off
    parts.push_back({.spriteKind = b.gunSprite, .hp = 800, .shape = b.gunShape, .offsetX = -20, .action = b.gunAction,
                     .coin = 4, .score = 100});
    parts.push_back({.spriteKind = 341, .hp = 1200, .shape = {15, 45, 0}, .action = b.hullAction, .coin = 5,
                     .score = 300, .children = {2}});
    // clang-format on
    return {
        .kind = b.kind,
        .parts = std::move(parts),
        .roots = {0, 1, 3},
        .spawnId = 302,
        .speed = 1.0f,
        .corePart = 2,
    };
}

// Kind 25: the barge without a gun, put at the front.
EnemyKindSpec Kind25() {
    std::vector<PartSpec> parts = BargePlates();
    parts.push_back({.spriteKind = 341, .hp = 1200, .shape = {15, 45, 0}, .coin = 5, .score = 300});
    return {
        .kind = 25,
        .parts = std::move(parts),
        .roots = {0, 1, 2},
        .spawnId = 302,
        .speed = 1.0f,
        .corePart = 2,
        .placement = SpawnPlacement::kFront,
    };
}

// The six plates P0 to P5 of the fortresses (kinds 31 to 33).
std::vector<PartSpec> FortressPlates() {
    const PartSpec upper{
        .spriteKind = 349, .hp = 500, .shape = {40, 20, 0}, .offsetX = -255, .offsetY = -60, .coin = 3, .score = 100};
    const PartSpec lower{
        .spriteKind = 348, .hp = 500, .shape = {40, 20, 0}, .offsetX = -255, .offsetY = 60, .coin = 3, .score = 100};
    return {upper, Moved(upper, -140, -60), Moved(upper, -10, -60),
            lower, Moved(lower, -140, 60),  Moved(lower, -10, 60)};
}

// Kinds 31 and 33: two flank guns under the middle tower; they differ in the
// spawn id and the actions of the bow (P8) and the stern (P9).
struct FortressRow {
    i32 kind;
    i32 spawnId;
    i32 bowAction;
    i32 sternAction;
};
EnemyKindSpec Fortress(const FortressRow& f) {
    std::vector<PartSpec> parts = FortressPlates();
    // clang-format off
    const PartSpec gun{.spriteKind = 351, .hp = 800, .shape = {40, 20, 0}, .offsetX = -17, .offsetY = -24,
                       .action = 330, .coin = 3, .score = 150};
    parts.push_back(gun);
    parts.push_back(Moved(gun, -17, 24));
    parts.push_back(
        {.spriteKind = 344, .hp = 2500, .shape = {20, 40, 0}, .action = f.bowAction, .coin = 5, .score = 400});
    parts.push_back({.spriteKind = 345, .hp = 2000, .shape = {20, 40, 0}, .offsetX = -260, .action = f.sternAction,
                     .coin = 5, .score = 400});
    parts.push_back({.spriteKind = 346, .hp = 2000, .shape = {20, 40, 0}, .offsetX = -130, .action = 337, .coin = 5,
                     .score = 400, .children = {6, 7}});
    // clang-format on
    return {
        .kind = f.kind,
        .parts = std::move(parts),
        .roots = {0, 3, 9, 1, 4, 10, 2, 5, 8},
        .spawnId = f.spawnId,
        .speed = 0.0f,
        .corePart = 2,
        .state = 301,
        .placement = SpawnPlacement::kFront,
    };
}

// Kind 32: one heavy gun under the middle tower.
EnemyKindSpec Kind32() {
    std::vector<PartSpec> parts = FortressPlates();
    // clang-format off
    parts.push_back({.spriteKind = 352, .hp = 1500, .shape = {60, 20, 0}, .offsetX = -27, .action = 331, .coin = 4,
                     .score = 300});
    parts.push_back({.spriteKind = 344, .hp = 2500, .shape = {20, 40, 0}, .action = 340, .coin = 5, .score = 400});
    parts.push_back({.spriteKind = 345, .hp = 2000, .shape = {20, 40, 0}, .offsetX = -260, .action = 341, .coin = 5,
                     .score = 400});
    parts.push_back({.spriteKind = 346, .hp = 2000, .shape = {20, 40, 0}, .offsetX = -130, .action = 337, .coin = 5,
                     .score = 400, .children = {6}});
    // clang-format on
    return {
        .kind = 32,
        .parts = std::move(parts),
        .roots = {0, 3, 8, 1, 4, 9, 2, 5, 7},
        .spawnId = 312,
        .speed = 0.0f,
        .corePart = 2,
        .state = 301,
        .placement = SpawnPlacement::kFront,
    };
}

// Kind 39: the long armoured craft, the first route's boss (and scenery
// earlier). Its eight guns start their patterns staggered by 10 frames.
EnemyKindSpec Kind39() {
    std::vector<PartSpec> parts;
    const PartSpec upper{
        .spriteKind = 349, .hp = 500, .shape = {40, 20, 0}, .offsetX = -550, .offsetY = -75, .coin = 3, .score = 200};
    for (const f32 x : {-550.0f, -430.0f, -300.0f, -170.0f, -10.0f}) parts.push_back(Moved(upper, x, -75));
    const PartSpec lower{
        .spriteKind = 348, .hp = 500, .shape = {40, 20, 0}, .offsetX = -550, .offsetY = 75, .coin = 3, .score = 200};
    for (const f32 x : {-550.0f, -430.0f, -300.0f, -170.0f, -10.0f}) parts.push_back(Moved(lower, x, 75));
    // P10 to P17: the guns, four under each of the two towers.
    struct Gun {
        i32 spriteKind;
        f32 x, y;
        i32 timer;
    };
    // clang-format off
    static constexpr Gun kGuns[8] = {{309, -68, 55, 0},  {309, -35, 55, 20},  {309, -8, 55, 0},  {309, 25, 55, 20},
                                     {310, -68, -55, 10}, {310, -35, -55, 30}, {310, -8, -55, 10}, {310, 25, -55, 30}};
    for (const Gun& g : kGuns) {
        parts.push_back({.spriteKind = g.spriteKind, .hp = 1800, .shape = {20, 40, 0}, .offsetX = g.x, .offsetY = g.y,
                         .action = 352, .coin = 3, .score = 300, .timer = g.timer});
    }
    parts.push_back({.spriteKind = 306, .hp = 4600, .shape = {20, 40, 0}, .action = 338, .coin = 5, .score = 500,
                     .children = {10, 14, 11, 15}});
    parts.push_back({.spriteKind = 305, .hp = 5200, .shape = {20, 40, 0}, .offsetX = -555, .action = 338, .coin = 8,
                     .score = 500, .children = {12, 16, 13, 17}});
    const PartSpec hatch{.spriteKind = 317, .hp = 2000, .shape = {20, 40, 0}, .offsetX = -420, .action = 338, .coin = 5,
                         .score = 500};
    // clang-format on
    parts.push_back(hatch);
    parts.push_back(Repainted(hatch, 318, -290, 0));
    parts.push_back(Repainted(hatch, 319, -160, 0));
    return {
        .kind = 39,
        .parts = std::move(parts),
        .roots = {0, 5, 19, 1, 6, 20, 2, 7, 21, 3, 8, 22, 4, 9, 18},
        .spawnId = 301,
        .speed = 0.0f,
        .corePart = -1,
        .armoured = 1,
        .state = 301,
        .placement = SpawnPlacement::kFront,
    };
}

// Kind 40: the armoured fortress, the second route's boss (and scenery
// earlier). Angles pi/4 and pi/7 in radians.
EnemyKindSpec Kind40() {
    constexpr f32 kQuarter = 0.7853982f;
    constexpr f32 kSeventh = 0.4487990f;
    // clang-format off
    const PartSpec wingA{.spriteKind = 362, .hp = 1500, .shape = {50, 20, 0}, .offsetX = 80, .offsetY = 90, .coin = 6,
                         .score = 300, .gaugeOffsetY = 40.0f, .angle = kQuarter};
    const PartSpec finA{.spriteKind = 364, .hp = 1800, .shape = {40, 15, 0}, .offsetX = 140, .offsetY = 50, .coin = 8,
                        .score = 300, .angle = kSeventh};
    const PartSpec wingB{.spriteKind = 363, .hp = 1500, .shape = {50, 20, 0}, .offsetX = 80, .offsetY = -90, .coin = 6,
                         .score = 300, .gaugeOffsetY = 40.0f, .angle = -kQuarter};
    const PartSpec finB{.spriteKind = 365, .hp = 1800, .shape = {40, 15, 0}, .offsetX = 140, .offsetY = -50, .coin = 8,
                        .score = 300, .angle = -kSeventh};
    const PartSpec plate{.spriteKind = 343, .hp = 800, .shape = {40, 15, 0}, .offsetX = -30, .offsetY = -170, .coin = 5,
                         .score = 200, .gaugeOffsetY = 15.0f};
    const PartSpec dome{.spriteKind = 361, .hp = 3000, .shape = {0, 0, 50}, .offsetX = -30, .offsetY = -100, .coin = 15,
                        .score = 500};
    return {
        .kind = 40,
        .parts = {wingA, finA, wingB, finB,
                  plate, Moved(plate, 90, -170), Repainted(plate, 342, -30, 170), Repainted(plate, 342, 90, 170),
                  dome, Moved(dome, 90, -100), Moved(dome, -30, 100), Moved(dome, 90, 100),
                  {.spriteKind = 360, .hp = 3200, .action = 370, .coin = 40, .score = 1000},
                  {.spriteKind = 366, .hp = 3500, .action = 370, .coin = 15, .score = 300}},
        .roots = {4, 6, 5, 7, 8, 10, 9, 11, 1, 3, 12, 0, 2, 13},
        .spawnId = 303,
        .speed = 0.0f,
        .corePart = -1,
        .armoured = 1,
        .placement = SpawnPlacement::kFront,
    };
    // clang-format on
}

// Kind 50: the mid-boss; its core (root 2) carries the pattern.
EnemyKindSpec Kind50() {
    // clang-format off
    const PartSpec arm{.spriteKind = 392, .hp = 1500, .shape = {20, 50, 0}, .offsetX = -35, .offsetY = 80,
                       .action = 391, .coin = 8, .score = 15};
    const PartSpec fin{.spriteKind = 394, .hp = 200, .offsetX = 15, .offsetY = 50, .coin = 3, .score = 100};
    return {
        .kind = 50,
        .parts = {{.spriteKind = 390, .hp = 2400, .shape = {0, 0, 40}, .coin = 10, .score = 300}, arm,
                  Repainted(arm, 391, -35, -80), fin, Repainted(fin, 393, 15, -50)},
        .roots = {1, 2, 0, 3, 4},
        .spawnId = 390,
        .corePart = 2,
        .active = 0,
    };
    // clang-format on
}

std::vector<EnemyKindSpec> BuildKinds() {
    constexpr SpawnPlacement kFront = SpawnPlacement::kFront;
    return {
        OnePartKind({.kind = 1},
                    {.spriteKind = 321, .hp = 200, .shape = {10, 40, 20}, .action = 320, .coin = 3, .score = 100}),
        Kind2(),
        OnePartKind({.kind = 3, .speed = 0.0f},
                    {.spriteKind = 335, .hp = 50, .shape = {0, 0, 20}, .action = 321, .coin = 1, .score = 50}),
        OnePartKind({.kind = 5, .spawnId = 381, .speed = 0.0f, .active = 0},
                    {.spriteKind = 399, .hp = 9999, .coin = 6}),
        OnePartKind({.kind = 6, .spawnId = 306, .speed = 0.0f, .placement = kFront},
                    {.spriteKind = 336, .hp = 500, .shape = {0, 0, 30}, .coin = 5, .score = 400}),
        OnePartKind({.kind = 7, .spawnId = 306, .speed = 0.0f, .placement = kFront},
                    {.spriteKind = 337, .hp = 500, .shape = {0, 0, 30}, .coin = 5, .score = 400}),
        OnePartKind({.kind = 8, .speed = 0.0f, .corePart = -1, .placement = kFront},
                    {.spriteKind = 338, .hp = 100, .shape = {50, 25, 0}, .coin = 2, .score = 50}),
        Kind10(),
        Barge({.kind = 21, .gunSprite = 351, .gunShape = {0, 0, 40}, .gunAction = 301, .hullAction = 0}),
        Barge({.kind = 22, .gunSprite = 353, .gunShape = {0, 0, 40}, .gunAction = 303, .hullAction = 310}),
        Barge({.kind = 23, .gunSprite = 352, .gunShape = {60, 20, 0}, .gunAction = 331, .hullAction = 310}),
        Barge({.kind = 24, .gunSprite = 354, .gunShape = {0, 0, 40}, .gunAction = 306, .hullAction = 310}),
        Kind25(),
        Fortress({.kind = 31, .spawnId = 311, .bowAction = 340, .sternAction = 341}),
        Kind32(),
        Fortress({.kind = 33, .spawnId = 313, .bowAction = 337, .sternAction = 340}),
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
