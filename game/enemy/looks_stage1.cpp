// The looks of the sprite kinds of stage index 0, one row per look. Sheets in
// this stage: E1 "enemy01", E2 "enemy01b", B1 "boss01", B2 "boss01_2".
// Every sprite turns with the part's world angle and is darkened with
// 0xFF321414 while its part is not hittable.
#include "game/enemy/enemy_content.h"

namespace {

using S = EnemySheet;

// A still sprite of `sheet` at the drawn position.
constexpr LookSprite Still(S sheet, Rect source, f32 hx, f32 hy, LookSize size = LookSize::kFixed) {
    LookSprite s;
    s.sheet = sheet;
    s.source = source;
    s.size = size;
    s.hx = hx;
    s.hy = hy;
    return s;
}

// A sprite animated by FrameCounter: f = (FrameCounter / divisor) mod 3, the
// cell moving right by `step` pixels per frame.
constexpr LookSprite Animated(S sheet, Rect source, i32 step, i32 divisor, f32 hx, f32 hy,
                              LookSize size = LookSize::kFixed) {
    LookSprite s = Still(sheet, source, hx, hy, size);
    s.frames = LookFrames::kClock;
    s.frameDivisor = divisor;
    s.frameCount = 3;
    s.stepX = step;
    return s;
}

// An extra layer: an animated sprite (d = 3) whose centre is the drawn
// position plus (a, b) turned by the parent angle, scaled first when `scaled`.
constexpr LookSprite Layer(S sheet, Rect source, i32 step, f32 hx, f32 hy, f32 a, f32 b, bool scaled) {
    LookSprite s = Animated(sheet, source, step, 3, hx, hy, scaled ? LookSize::kScaled : LookSize::kFixed);
    s.offsetX = a;
    s.offsetY = b;
    s.place = scaled ? LookPlace::kTurnedScaled : LookPlace::kTurned;
    return s;
}

// The flame cell strip of kinds 101 and 141 (E1), the exhaust strip (B1, three
// 30 x 70 frames) and the flame strip of kinds 154 and 185 (B1).
constexpr Rect kFlameCell{100, 100, 129, 149};
constexpr Rect kExhaustCell{0, 420, 29, 489};
constexpr Rect kBigFlameCell{130, 360, 169, 459};

constexpr LookSize kS = LookSize::kScaled;

// Ordinary enemies.
constexpr LookSprite k105[] = {Animated(S::kE1, {0, 0, 79, 99}, 80, 3, 40, 50)};
constexpr LookSprite k101[] = {
    Layer(S::kE1, kFlameCell, 30, 15, 25, 45, 0, false),
    Layer(S::kE1, kFlameCell, 30, 15, 25, 30, -40, false),
    Layer(S::kE1, kFlameCell, 30, 15, 25, 30, 40, false),
    Still(S::kE1, {0, 100, 99, 219}, 50, 60),
};
constexpr LookSprite k102[] = {Still(S::kE1, {220, 220, 389, 369}, 85, 75)};
constexpr LookSprite k103[] = {Animated(S::kE1, {0, 420, 89, 509}, 90, 2, 45, 45)};
constexpr LookSprite k106[] = {Animated(S::kE1, {240, 0, 319, 99}, 80, 3, 50, 60)};
constexpr LookSprite k110[] = {Still(S::kE1, {0, 220, 219, 419}, 110, 100)};
constexpr LookSprite k111[] = {Animated(S::kE1, {190, 100, 279, 189}, 90, 3, 45, 45)};
constexpr LookSprite k112[] = {Still(S::kE2, {0, 0, 219, 199}, 110, 100)};
constexpr LookSprite k121[] = {Still(S::kE1, {270, 370, 349, 479}, 30, 48)};
constexpr LookSprite k122[] = {Still(S::kE1, {350, 370, 429, 479}, 30, 48)};
constexpr LookSprite k123[] = {Still(S::kE1, {430, 370, 509, 479}, 30, 48)};

// The mid-boss parts on B1.
constexpr LookSprite k151[] = {Still(S::kB1, {0, 0, 299, 359}, 150, 180)};
constexpr LookSprite k152[] = {
    Still(S::kB1, {300, 0, 419, 399}, 60, 200),
    Layer(S::kB1, kExhaustCell, 30, 15, 35, 40, 30, false),
    Layer(S::kB1, kExhaustCell, 30, 15, 35, 40, -30, false),
};
constexpr LookSprite k153[] = {Still(S::kB1, {0, 360, 129, 419}, 65, 30)};
constexpr LookSprite k154[] = {Animated(S::kB1, kBigFlameCell, 40, 3, 20, 50)};
constexpr LookSprite k155[] = {Still(S::kB1, {250, 400, 509, 509}, 130, 55)};

// The boss (B2 and E2), sized by the enemy's scale.
constexpr LookSprite k180[] = {
    Still(S::kB2, {0, 0, 449, 439}, 225, 220, kS),
    Layer(S::kB1, kExhaustCell, 30, 15, 35, 40, 142, true),
    Layer(S::kB1, kExhaustCell, 30, 15, 35, 40, -142, true),
};
constexpr LookSprite k181[] = {Still(S::kE2, {0, 200, 129, 409}, 65, 105, kS)};
constexpr LookSprite k182[] = {Still(S::kE2, {130, 200, 259, 409}, 65, 105, kS)};
constexpr LookSprite k183[] = {Still(S::kE2, {220, 0, 309, 149}, 45, 75, kS)};
constexpr LookSprite k184[] = {Still(S::kE2, {310, 0, 399, 149}, 45, 75, kS)};
constexpr LookSprite k185[] = {
    Still(S::kE2, {260, 200, 379, 249}, 60, 25, kS),
    Layer(S::kB1, kBigFlameCell, 40, 20, 50, 48, 0, true),
};
constexpr LookSprite k186[] = {
    Still(S::kE2, {260, 250, 349, 289}, 45, 20, kS),
    Layer(S::kB1, kExhaustCell, 30, 15, 35, 38, 0, true),
};
constexpr LookSprite k187[] = {Still(S::kE2, {0, 410, 169, 509}, 85, 50, kS)};
constexpr LookSprite k188[] = {Still(S::kE2, {170, 410, 239, 459}, 35, 25, kS)};

constexpr EnemyLook kLooks[] = {
    LookOf(101, 101, k101), LookOf(102, 102, k102), LookOf(103, 103, k103), LookOf(105, 105, k105),
    LookOf(106, 106, k106), LookOf(110, 110, k110), LookOf(111, 111, k111), LookOf(112, 112, k112),
    LookOf(121, 121, k121), LookOf(122, 122, k122), LookOf(123, 123, k123), LookOf(141, 141, k101),
    LookOf(151, 151, k151), LookOf(152, 152, k152), LookOf(153, 153, k153), LookOf(154, 154, k154),
    LookOf(155, 155, k155), LookOf(180, 180, k180), LookOf(181, 181, k181), LookOf(182, 182, k182),
    LookOf(183, 183, k183), LookOf(184, 184, k184), LookOf(185, 185, k185), LookOf(186, 186, k186),
    LookOf(187, 187, k187), LookOf(188, 188, k188),
};

}  // namespace

std::span<const EnemyLook> EnemyLooksStage1() { return kLooks; }
