// The looks of the sprite kinds of stage index 2, one row per look. Sheets in
// this stage: E1 "enemy03", E2 "enemy03_2", E3 "boss03_3", B1 "boss03",
// B2 "boss03_2". Every sprite takes its colour by the state rule, lit while
// its part is hittable and tinted otherwise.
#include "game/enemy/enemy_content.h"

namespace {

using S = EnemySheet;

constexpr u32 kDark = 0xFF321414u;
constexpr u32 kDim = 0xFF643232u;
constexpr u32 kPale = 0xFFC8C8C8u;  // the lit colour of the fortress's parts

// A still sprite of `sheet` at the drawn position, turned by the world angle.
constexpr LookSprite Turned(S sheet, Rect source, f32 hx, f32 hy, u32 tint, LookSize size = LookSize::kFixed) {
    LookSprite s;
    s.sheet = sheet;
    s.source = source;
    s.size = size;
    s.hx = hx;
    s.hy = hy;
    s.tint = tint;
    return s;
}

// The same, drawn without a turn.
constexpr LookSprite Flat(S sheet, Rect source, f32 hx, f32 hy, u32 tint, u32 lit = 0xFFFFFFFFu) {
    LookSprite s = Turned(sheet, source, hx, hy, tint);
    s.turn = LookTurn::kFlat;
    s.lit = lit;
    return s;
}

// A flat sprite that swells by (dx, dy) in every other 4-frame span while its
// part is hittable.
constexpr LookSprite Swelling(S sheet, Rect source, f32 hx, f32 hy, f32 swell, u32 lit = 0xFFFFFFFFu) {
    LookSprite s = Flat(sheet, source, hx, hy, kDim, lit);
    s.swellX = swell;
    s.swellY = swell;
    return s;
}

// A sprite whose cell moves by `step` (down when `down`) every 2 frames of its
// part's timer, over two cells; drawn mirrored top to bottom when `upsideDown`.
constexpr LookSprite TimerPair(Rect source, i32 step, bool down, f32 hx, f32 hy, bool upsideDown) {
    LookSprite s = Turned(S::kE1, source, hx, hy, kDim);
    s.frames = LookFrames::kTimer;
    s.frameDivisor = 2;
    s.frameCount = 2;
    (down ? s.stepY : s.stepX) = step;
    s.upsideDown = upsideDown;
    return s;
}

// A flame layer: cells `step` apart moved by FrameCounter / divisor over
// three cells, its centre the drawn position plus (a, b) turned by the parent
// angle.
constexpr LookSprite Flame(S sheet, Rect source, i32 step, i32 divisor, f32 hx, f32 hy, f32 a, f32 b) {
    LookSprite s = Turned(sheet, source, hx, hy, kDark);
    s.frames = LookFrames::kClock;
    s.frameDivisor = divisor;
    s.frameCount = 3;
    s.stepX = step;
    s.offsetX = a;
    s.offsetY = b;
    return s;
}

// The small flame of kind 321: 7 pixels left of its centre, 8 right.
constexpr LookSprite SmallFlame(f32 b) {
    LookSprite s = Flame(S::kE1, {440, 0, 454, 29}, 15, 3, 7, 15, 20, b);
    s.size = LookSize::kUnequal;
    s.hxRight = 8;
    return s;
}

// ---- Blinking on E3 (the mid-boss) ----
//
// By the enemy's age and b = (FrameCounter / 8) mod 2: ages 5000-5099 show
// look A alone, 5100-5999 look B alone, every other age A while b = 1 and B
// while b = 0.
bool BlinkA(const LookContext& c) {
    if (c.age >= 5000 && c.age <= 5099) return true;
    if (c.age >= 5100 && c.age <= 5999) return false;
    return LookBlinkPhase(c) == 1;
}
bool BlinkB(const LookContext& c) {
    if (c.age >= 5000 && c.age <= 5099) return false;
    if (c.age >= 5100 && c.age <= 5999) return true;
    return LookBlinkPhase(c) == 0;
}

constexpr LookSize kWhole = LookSize::kScaledWhole;

constexpr LookSprite MidBoss(Rect source, f32 hx, f32 hy) { return Turned(S::kE3, source, hx, hy, kDark, kWhole); }

// ---- Looks with a hook ----

// Kind 335: the cell column by the enemy's rotation r (single-precision
// bounds), the row by the enemy's age (a new row every 5 frames).
void DrawFacingCraft(const LookContext& c, const EnemyLook& look) {
    constexpr f32 kHalf = 1.5707964f;   // pi/2
    constexpr f32 kThird = 1.0471976f;  // pi/3
    constexpr f32 kTwoThirds = 2.0943952f;
    const f32 r = c.enemyRotation;
    LookSprite s = look.sprites[0];
    if (r > -kHalf && r < kThird) {
        s.source.left = 200;
        s.source.right = 299;
    } else if (r >= kThird && r <= kTwoThirds) {
        s.source.left = 0;
        s.source.right = 99;
    } else {
        s.source.left = 100;
        s.source.right = 199;
    }
    const bool firstRow = (c.age / 5) % 2 == 0;
    s.source.top = firstRow ? 200 : 120;
    s.source.bottom = firstRow ? 279 : 199;
    DrawLookSprite(c, s);
}

// Kind 338: an unlit shadow rectangle below and left of the part (flat,
// always the lit colour), then the body.
void DrawShadowedBuoy(const LookContext& c, const EnemyLook& look) {
    const f64 x = c.x;
    const f64 y = c.y;
    const Rect shadow{static_cast<i32>(x - 60.0), static_cast<i32>(y + 10.0), static_cast<i32>(x + 40.0),
                      static_cast<i32>(y + 90.0)};
    DrawSheetRect(S::kB1, shadow, Rect{170, 0, 289, 99}, false, 0, 0xFFFFFFFFu);
    for (const LookSprite& s : look.sprites) DrawLookSprite(c, s);
}

// ---- The sprites ----

constexpr LookSprite k308[] = {Flat(S::kE2, {220, 280, 439, 479}, 105, 100, kDim)};
constexpr LookSprite k317[] = {Flat(S::kE2, {0, 280, 219, 479}, 105, 100, kDim)};
constexpr LookSprite k321[] = {
    Turned(S::kE1, {360, 0, 439, 99}, 40, 50, kDark),
    SmallFlame(26),
    SmallFlame(-26),
};
constexpr LookSprite k335[] = {Flat(S::kE2, {200, 200, 299, 279}, 50, 40, kDark)};
constexpr LookSprite k336[] = {Flat(S::kE2, {300, 120, 379, 239}, 40, 60, kDark)};
constexpr LookSprite k337[] = {Flat(S::kE2, {380, 120, 459, 239}, 40, 60, kDark)};
constexpr LookSprite k338[] = {Flat(S::kE1, {360, 250, 459, 369}, 40, 50, kDim)};
constexpr LookSprite k341[] = {Turned(S::kE1, {0, 300, 199, 449}, 100, 75, kDim)};
constexpr LookSprite k342[] = {TimerPair({0, 450, 79, 509}, 80, false, 40, 30, false)};
constexpr LookSprite k343[] = {TimerPair({0, 450, 79, 509}, 80, false, 40, 30, true)};
constexpr LookSprite k344[] = {Turned(S::kE1, {160, 0, 359, 149}, 100, 75, kDim)};
constexpr LookSprite k345[] = {Turned(S::kE1, {160, 150, 359, 299}, 100, 75, kDim)};
constexpr LookSprite k346[] = {Turned(S::kE1, {0, 0, 159, 149}, 80, 75, kDim)};
constexpr LookSprite k348[] = {TimerPair({360, 100, 449, 139}, 40, true, 45, 20, false)};
constexpr LookSprite k349[] = {TimerPair({360, 100, 449, 139}, 40, true, 45, 20, true)};
constexpr LookSprite k351[] = {Turned(S::kE1, {440, 30, 499, 69}, 30, 20, kDark)};
constexpr LookSprite k352[] = {Turned(S::kE1, {200, 300, 339, 359}, 70, 30, kDark)};
constexpr LookSprite k353[] = {Turned(S::kE1, {200, 360, 299, 439}, 50, 40, kDark)};
constexpr LookSprite k354[] = {Turned(S::kE1, {360, 180, 479, 249}, 70, 30, kDark)};
constexpr LookSprite k355[] = {[] {
    LookSprite s = Turned(S::kE1, {360, 180, 479, 249}, 90, 40, kDark);
    s.lit = kPale;
    return s;
}()};
constexpr LookSprite k356[] = {Turned(S::kE1, {200, 300, 339, 359}, 50, 22, kDark)};
constexpr LookSprite k357[] = {Turned(S::kE1, {200, 360, 299, 439}, 40, 32, kDark)};
constexpr LookSprite k380[] = {
    Turned(S::kE2, {360, 0, 459, 99}, 60, 60, kDark),
    Flame(S::kE2, {270, 60, 299, 109}, 30, 3, 15, 30, 12, 30),
    Flame(S::kE2, {270, 60, 299, 109}, 30, 3, 15, 30, 12, -30),
};
// Kinds 397 to 399: a jet under the body.
constexpr LookSprite kJet = Flame(S::kE2, {270, 0, 299, 59}, 30, 2, 15, 30, 37, 0);
constexpr LookSprite k397[] = {kJet, Turned(S::kE2, {180, 0, 269, 119}, 45, 60, kDark)};
constexpr LookSprite k398[] = {kJet, Turned(S::kE2, {90, 0, 179, 119}, 45, 60, kDark)};
constexpr LookSprite k399[] = {kJet, Turned(S::kE2, {0, 0, 89, 119}, 45, 60, kDark)};

// The long craft (B1).
constexpr LookSprite k305[] = {Flat(S::kB1, {0, 290, 199, 509}, 100, 105, kDim)};
constexpr LookSprite k306[] = {Flat(S::kB1, {200, 290, 399, 509}, 100, 105, kDim)};
constexpr LookSprite k309[] = {Swelling(S::kB1, {400, 290, 479, 349}, 40, 30, 1)};
constexpr LookSprite k310[] = {Swelling(S::kB1, {400, 350, 479, 409}, 40, 30, 1)};
// The wings and tail of kind 2 (B1), sized by the enemy's scale.
constexpr LookSprite kWingFlame = Flame(S::kB1, {0, 180, 29, 229}, 30, 3, 15, 25, 52, 15);
constexpr LookSprite k325[] = {Turned(S::kB1, {0, 0, 119, 89}, 60, 45, kDark, LookSize::kScaled), kWingFlame};
constexpr LookSprite k326[] = {Turned(S::kB1, {0, 90, 119, 179}, 60, 45, kDark, LookSize::kScaled),
                               Flame(S::kB1, {0, 180, 29, 229}, 30, 3, 15, 25, 52, -15)};
constexpr LookSprite k327[] = {Turned(S::kB1, {120, 0, 169, 179}, 25, 90, kDark, LookSize::kScaled)};
// The fortress (B2), lit pale.
constexpr LookSprite k360[] = {Flat(S::kB2, {0, 0, 269, 319}, 135, 160, kDim, kPale)};
constexpr LookSprite k361[] = {Flat(S::kB2, {270, 0, 409, 209}, 70, 105, kDim, kPale)};
constexpr LookSprite k362[] = {Swelling(S::kB2, {0, 320, 119, 439}, 60, 60, 2, kPale)};
constexpr LookSprite k363[] = {Swelling(S::kB2, {120, 320, 239, 439}, 60, 60, 2, kPale)};
constexpr LookSprite k364[] = {Swelling(S::kB2, {240, 320, 329, 449}, 45, 65, 1, kPale)};
constexpr LookSprite k365[] = {Swelling(S::kB2, {330, 320, 419, 449}, 45, 65, 1, kPale)};
constexpr LookSprite k366[] = {Turned(S::kB2, {270, 210, 369, 309}, 50, 50, kDark)};
// The mid-boss (E3): its hull's under-layer blinks as look A, the hull does
// not blink; the hull's cell row changes every 30 frames.
constexpr LookSprite k390[] = {
    [] {
        LookSprite s = MidBoss({150, 0, 209, 189}, 30, 95);
        s.offsetX = -15;
        s.place = LookPlace::kTurnedScaled;
        s.visible = BlinkA;
        return s;
    }(),
    [] {
        LookSprite s = MidBoss({0, 0, 149, 129}, 75, 65);
        s.frames = LookFrames::kClock;
        s.frameDivisor = 30;
        s.frameCount = 2;
        s.stepY = 130;
        return s;
    }(),
};
constexpr LookSprite k391[] = {MidBoss({210, 0, 309, 159}, 50, 80)};
constexpr LookSprite k392[] = {MidBoss({210, 160, 309, 319}, 50, 80)};
constexpr LookSprite k393[] = {MidBoss({310, 0, 429, 99}, 60, 50)};
constexpr LookSprite k394[] = {MidBoss({310, 100, 429, 199}, 60, 50)};

// First and last kind, sprites, visibility test, hook.
const EnemyLook kLooks[] = {
    // clang-format off
    {305, 305, k305}, {306, 306, k306}, {308, 308, k308}, {309, 309, k309},
    {310, 310, k310}, {317, 319, k317}, {321, 321, k321}, {325, 325, k325},
    {326, 326, k326}, {327, 327, k327}, {335, 335, k335, nullptr, DrawFacingCraft},
    {336, 336, k336}, {337, 337, k337}, {338, 338, k338, nullptr, DrawShadowedBuoy},
    {341, 341, k341}, {342, 342, k342, LookUnlessParked}, {343, 343, k343, LookUnlessParked},
    {344, 344, k344}, {345, 345, k345}, {346, 346, k346}, {348, 348, k348},
    {349, 349, k349}, {351, 351, k351}, {352, 352, k352}, {353, 353, k353},
    {354, 354, k354}, {355, 355, k355}, {356, 356, k356}, {357, 357, k357},
    {360, 360, k360}, {361, 361, k361, LookUnlessParked}, {362, 362, k362}, {363, 363, k363},
    {364, 364, k364}, {365, 365, k365}, {366, 366, k366}, {380, 380, k380},
    {390, 390, k390}, {391, 391, k391, BlinkB}, {392, 392, k392, BlinkB}, {393, 393, k393, BlinkA},
    {394, 394, k394, BlinkA}, {397, 397, k397}, {398, 398, k398}, {399, 399, k399},
    // clang-format on
};

}  // namespace

std::span<const EnemyLook> EnemyLooksStage3() { return kLooks; }
