// The looks of the sprite kinds of stage index 1, one row per look. Sheets in
// this stage: E1 "enemy02", E2 "enemy02_2", E3 "boss02_3", B1 "boss02",
// B2 "boss02_2". The ordinary enemies are darkened with 0xFF321414 while
// their part is not hittable (the hulls of kinds 210 and 212 with 0xFF505050);
// the boss's parts (251-261) are sized by the enemy's scale and darkened with
// 0xFF643232, their hittable parts grey while the boss is still small.
#include "game/enemy/enemy_content.h"

namespace {

using S = EnemySheet;

constexpr u32 kBossTint = 0xFF643232u;
constexpr u32 kHullTint = 0xFF505050u;
constexpr u32 kPinkLit = 0xFFF0C8C8u;

// A still sprite turned by the part's world angle.
constexpr LookSprite Still(S sheet, Rect source, f32 hx, f32 hy) {
    return {.sheet = sheet, .source = source, .hx = hx, .hy = hy};
}

// A still sprite drawn flat (no angle).
constexpr LookSprite Flat(S sheet, Rect source, f32 hx, f32 hy, u32 tint = 0xFF321414u) {
    LookSprite s = Still(sheet, source, hx, hy);
    s.turn = LookTurn::kFlat;
    s.tint = tint;
    return s;
}

// A sprite animated by FrameCounter (d = 3, three frames), the cell moving by
// (stepX, stepY) per frame, centred at the drawn position plus (a, b) placed
// by `place`.
constexpr LookSprite Layer(S sheet, Rect source, i32 stepX, i32 stepY, f32 hx, f32 hy, f32 a, f32 b,
                           LookPlace place = LookPlace::kTurned) {
    LookSprite s = Still(sheet, source, hx, hy);
    s.frames = LookFrames::kClock;
    s.frameDivisor = 3;
    s.frameCount = 3;
    s.stepX = stepX;
    s.stepY = stepY;
    s.offsetX = a;
    s.offsetY = b;
    s.place = place;
    return s;
}

// The boss's sprites: sized by the enemy's scale, grey while small and
// hittable, 0xFF643232 while not hittable.
constexpr LookSprite Boss(LookSprite s) {
    s.size = LookSize::kScaled;
    s.colour = LookColour::kDimBelow08;
    s.tint = kBossTint;
    return s;
}

// A pulsing half size (hx + kx c, hy + ky c), made whole, drawn flat.
constexpr LookSprite Pulsing(S sheet, Rect source, i32 period, f32 hx, f32 kx, f32 hy, f32 ky, u32 lit,
                             u32 tint = 0xFF321414u) {
    LookSprite s = Flat(sheet, source, hx, hy, tint);
    s.pulsePeriod = period;
    s.pulseX = kx;
    s.pulseY = ky;
    s.lit = lit;
    return s;
}

// A facing grid: the cell by the world angle (five to a row, 90 pixels
// apart), the sprite turned by the parent angle.
constexpr LookSprite Facing(Rect source) {
    LookSprite s = Still(S::kE1, source, 55, 55);
    s.frames = LookFrames::kFacing;
    s.stepX = 90;
    s.stepY = 90;
    s.turn = LookTurn::kParent;
    return s;
}

// The hulls of kinds 210 and 212: a square that breathes while the part is
// hittable, a fixed 30 x 55 otherwise.
constexpr LookSprite HullWhileHittable(Rect source) {
    LookSprite s = Pulsing(S::kE1, source, 50, 55, 3, 55, 3, 0xFFFFFFFFu, kHullTint);
    s.visible = LookWhenHittable;
    return s;
}
constexpr LookSprite HullOtherwise(Rect source) {
    LookSprite s = Flat(S::kE1, source, 30, 55, kHullTint);
    s.visible = LookUnlessHittable;
    return s;
}

// Cells shared by several looks.
constexpr Rect kJetCell{420, 230, 449, 279};        // E1, three frames 30 apart
constexpr Rect kFlameCell{270, 230, 319, 319};      // E1, three frames 50 apart
constexpr Rect kCarrierBody{0, 390, 209, 499};      // B1
constexpr Rect kBossFlameCell{350, 340, 389, 429};  // B2, three frames 40 apart
constexpr Rect kBossGunCell{350, 290, 479, 339};    // B2

// Kind 201: three frames, 80 pixels apart, sized by the scale, grey while small.
constexpr LookSprite Fighter() {
    LookSprite s = Layer(S::kE1, {0, 0, 79, 139}, 80, 0, 40, 70, 0, 0);
    s.size = LookSize::kScaled;
    s.colour = LookColour::kGreyBelow08;
    return s;
}

// The carriers' two flames under the body.
constexpr LookSprite CarrierFlame(f32 a, f32 b) {
    LookSprite s = Layer(S::kE1, kFlameCell, 50, 0, 25, 45, a, b);
    s.turn = LookTurn::kFlat;
    return s;
}

// The feet of kind 223: three frames 20 pixels apart downward, unturned.
constexpr LookSprite Foot(f32 a) {
    LookSprite s = Layer(S::kE2, {120, 140, 179, 159}, 0, 20, 30, 10, a, 85, LookPlace::kUnturned);
    s.turn = LookTurn::kFlat;
    return s;
}

// The boss's gun flame and plate, scaled and placed by the scaled offset.
constexpr LookSprite BossFlame(f32 a) {
    return Boss(Layer(S::kB2, kBossFlameCell, 40, 0, 20, 45, a, 0, LookPlace::kTurnedScaled));
}
constexpr LookSprite BossPlate(Rect source) {
    LookSprite s = Boss(Still(S::kE3, source, 70, 25));
    s.offsetX = 55;
    s.place = LookPlace::kTurnedScaled;
    return s;
}

constexpr LookSprite k201[] = {Fighter()};
constexpr LookSprite k202[] = {
    Still(S::kE1, {270, 410, 349, 509}, 40, 50),
    Layer(S::kE1, kJetCell, 30, 0, 15, 30, 40, 0),
};
constexpr LookSprite k203[] = {
    Still(S::kE1, {350, 410, 449, 509}, 60, 60),
    Layer(S::kE1, kJetCell, 30, 0, 15, 30, 12, 30),
    Layer(S::kE1, kJetCell, 30, 0, 15, 30, 12, -30),
};
constexpr LookSprite k204[] = {
    {.sheet = S::kB1, .source = {220, 420, 319, 459}, .size = LookSize::kUnequal, .hx = 50, .hy = 20, .hxRight = 40}};
constexpr LookSprite k210[] = {HullWhileHittable({240, 0, 349, 109}), HullOtherwise({240, 0, 349, 109})};
constexpr LookSprite k211[] = {Facing({0, 140, 89, 229})};
constexpr LookSprite k212[] = {HullWhileHittable({350, 0, 459, 109}), HullOtherwise({350, 0, 459, 109})};
constexpr LookSprite k213[] = {Facing({0, 320, 89, 409})};
constexpr LookSprite k215[] = {Still(S::kE2, {0, 0, 139, 139}, 70, 70)};
constexpr LookSprite k220[] = {
    CarrierFlame(-25, -85),
    CarrierFlame(15, -95),
    Pulsing(S::kB1, kCarrierBody, 100, 107, 3, 58, 1.5f, kPinkLit),
};
constexpr LookSprite k221[] = {Flat(S::kB1, {100, 330, 209, 379}, 55, 25)};
constexpr LookSprite k222[] = {
    CarrierFlame(-25, -85),
    CarrierFlame(15, -95),
    Pulsing(S::kB1, kCarrierBody, 100, 107, 3, 58, 1.5f, 0xFFFFFFFFu),
};
constexpr LookSprite k223[] = {
    Pulsing(S::kE2, {0, 140, 119, 339}, 100, 60, 1.5f, 100, 3, kPinkLit),
    Foot(32),
    Foot(-32),
};
constexpr LookSprite k231[] = {Still(S::kB1, {400, 100, 469, 209}, 35, 55)};
constexpr LookSprite k232[] = {Still(S::kB1, {400, 210, 469, 319}, 35, 55)};
constexpr LookSprite k233[] = {Still(S::kB1, {400, 320, 469, 429}, 35, 55)};

constexpr LookSprite k251[] = {Boss(Still(S::kB2, {0, 0, 199, 509}, 100, 255))};
constexpr LookSprite k252[] = {Boss(Still(S::kB2, {200, 290, 349, 439}, 75, 75))};
constexpr LookSprite k253[] = {Boss(Still(S::kE3, {0, 0, 169, 179}, 85, 90))};
constexpr LookSprite k254[] = {Boss(Still(S::kE3, {0, 180, 169, 359}, 85, 90))};
constexpr LookSprite k255[] = {Boss(Still(S::kB2, {350, 0, 499, 290}, 75, 145))};
constexpr LookSprite k256[] = {Boss(Still(S::kB2, {200, 0, 349, 290}, 75, 145))};
constexpr LookSprite k257[] = {
    Boss(Still(S::kB2, kBossGunCell, 65, 25)),
    BossFlame(55),
    BossPlate({170, 140, 309, 189}),
};
constexpr LookSprite k258[] = {
    Boss(Still(S::kB2, kBossGunCell, 65, 25)),
    BossFlame(0),
    BossPlate({170, 190, 309, 239}),
};
constexpr LookSprite k259[] = {Boss(Still(S::kE3, {170, 0, 369, 69}, 100, 35))};
constexpr LookSprite k260[] = {Boss(Still(S::kE3, {170, 70, 369, 139}, 100, 35))};
constexpr LookSprite k261[] = {
    Boss(Still(S::kB2, kBossGunCell, 65, 25)),
    BossFlame(55),
};

constexpr EnemyLook Look(i32 kind, std::span<const LookSprite> sprites) {
    return {.firstKind = kind, .lastKind = kind, .sprites = sprites};
}

constexpr EnemyLook kLooks[] = {
    Look(201, k201), Look(202, k202), Look(203, k203), Look(204, k204), Look(210, k210), Look(211, k211),
    Look(212, k212), Look(213, k213), Look(215, k215), Look(220, k220), Look(221, k221), Look(222, k222),
    Look(223, k223), Look(231, k231), Look(232, k232), Look(233, k233), Look(251, k251), Look(252, k252),
    Look(253, k253), Look(254, k254), Look(255, k255), Look(256, k256), Look(257, k257), Look(258, k258),
    Look(259, k259), Look(260, k260), Look(261, k261),
};

}  // namespace

std::span<const EnemyLook> EnemyLooksStage2() { return kLooks; }
