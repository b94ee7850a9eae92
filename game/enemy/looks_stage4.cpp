// The looks of the sprite kinds of stage index 3, one row per look. Sheets in
// this stage: E1 "enemy05", E2 "enemy05_2", E3 "enemy05_3", B1 "boss05_1",
// B2 "boss05_2". Every sprite is darkened with 0xFF321414 while its part is
// not hittable; most of the ordinary enemies are drawn darker the smaller
// their enemy is (shade), the boss turns grey below a scale of 0.8. Every
// animated layer changes frame every second frame (d = 2).
#include "game/enemy/enemy_content.h"

namespace {

using S = EnemySheet;
using Size = LookSize;

constexpr LookSize kWhole = LookSize::kScaledWhole;
constexpr LookSize kS = LookSize::kScaled;

// The body of a look: a still sprite at the drawn position.
constexpr LookSprite Body(S sheet, Rect source, f32 hx, f32 hy, Size size, LookColour colour,
                          LookTurn turn = LookTurn::kWorld) {
    LookSprite s;
    s.sheet = sheet;
    s.source = source;
    s.size = size;
    s.hx = hx;
    s.hy = hy;
    s.colour = colour;
    s.turn = turn;
    return s;
}

// A body whose half sizes pulse with the part's timer (m = 100): base + k c,
// scaled whole, or for the boss's 591 and 592 with the swing unscaled. The
// row names its half sizes (hx, hy) and their swings (pulseX, pulseY).
constexpr LookSprite Pulse(LookSprite s) {
    s.pulsePeriod = 100;
    return s;
}

// An animated layer (d = 2, three frames stepX or stepY apart) placed by its
// offset as its `place` says; the row names its body's colour rule and turn.
constexpr LookSprite Flame(LookSprite s) {
    s.frames = LookFrames::kClock;
    s.frameDivisor = 2;
    s.frameCount = 3;
    return s;
}

constexpr LookColour kShade = LookColour::kShade;
constexpr LookColour kShade05 = LookColour::kShadeBelow05;
constexpr LookColour kState = LookColour::kState;
constexpr LookColour kGrey = LookColour::kGreyBelow08;
constexpr LookPlace kTurnedScaled = LookPlace::kTurnedScaled;
constexpr LookPlace kScaledUnturned = LookPlace::kScaledUnturned;
constexpr LookTurn kFlat = LookTurn::kFlat;

// The flame strips: E1 at y 130 (kinds 502 to 506), at y 140 (507, 529) and at
// y 70 (535, 536); E2 downward from y 250 (510 at x 0, 513 at x 80); E3 at
// y 340 and 420 (516, 518) and at y 100 (530, 533).
constexpr Rect kBlockFlame{200, 130, 229, 199};
constexpr Rect kCraftFlame{0, 140, 29, 199};
constexpr Rect kSideFlame{200, 70, 229, 129};
constexpr Rect kSmallFlame{390, 100, 409, 149};

// clang-format off
// The five-part block of the recurring mid-boss: each part with one flame.
constexpr LookSprite BlockFlame(f32 hx, f32 hy, f32 a, f32 b) {
    return Flame({.sheet = S::kE1, .source = kBlockFlame, .stepX = 30, .size = kWhole, .hx = hx, .hy = hy,
                  .colour = kShade, .offsetX = a, .offsetY = b, .place = kTurnedScaled});
}
constexpr LookSprite k502[] = {Body(S::kE1, {100, 120, 199, 199}, 50, 40, kWhole, kShade), BlockFlame(15, 35, 40, 0)};
constexpr LookSprite k503[] = {Body(S::kE1, {0, 0, 99, 69}, 50, 35, kWhole, kShade), BlockFlame(12, 30, 14, -18)};
constexpr LookSprite k504[] = {Body(S::kE1, {0, 70, 99, 139}, 50, 35, kWhole, kShade), BlockFlame(12, 30, 14, 18)};
constexpr LookSprite k505[] = {Body(S::kE1, {100, 0, 199, 59}, 50, 30, kWhole, kShade), BlockFlame(12, 30, 22, -18)};
constexpr LookSprite k506[] = {Body(S::kE1, {100, 65, 199, 119}, 50, 30, kWhole, kShade), BlockFlame(12, 30, 22, 18)};

// Kinds 507 and 529: two flames under the body.
constexpr LookSprite CraftFlame(f32 b) {
    return Flame({.sheet = S::kE1, .source = kCraftFlame, .stepX = 30, .size = kS, .hx = 15, .hy = 30, .colour = kState,
                  .offsetX = 35, .offsetY = b, .place = kTurnedScaled});
}
constexpr LookSprite k507[] = {CraftFlame(35), CraftFlame(-35), Body(S::kE1, {0, 380, 89, 499}, 45, 60, kS, kState)};
constexpr LookSprite k529[] = {CraftFlame(35), CraftFlame(-35), Body(S::kE1, {270, 380, 359, 499}, 45, 60, kS, kState)};

// Kinds 510 to 515: the three-part enemies, their side guns pulsing.
constexpr LookSprite k510[] = {
    Flame({.sheet = S::kE2, .source = {0, 250, 79, 299}, .stepY = 50, .size = kWhole, .hx = 40, .hy = 25,
           .colour = kState, .offsetX = -38, .offsetY = -90, .place = kTurnedScaled}),
    Flame({.sheet = S::kE2, .source = {0, 250, 79, 299}, .stepY = 50, .size = kWhole, .hx = 40, .hy = 25,
           .colour = kState, .offsetX = 38, .offsetY = -90, .place = kTurnedScaled}),
    Body(S::kE2, {0, 0, 139, 249}, 70, 125, kWhole, kState),
};
constexpr LookSprite k511[] = {
    Pulse({.sheet = S::kE2, .source = {290, 0, 375, 119}, .size = kWhole, .hx = 43, .hy = 60, .pulseX = 1,
           .pulseY = 1.5f, .colour = kState}),
};
constexpr LookSprite k512[] = {
    Pulse({.sheet = S::kE2, .source = {375, 0, 459, 119}, .size = kWhole, .hx = 43, .hy = 60, .pulseX = 1,
           .pulseY = 1.5f, .colour = kState}),
};
constexpr LookSprite k513[] = {
    Body(S::kE2, {140, 0, 289, 219}, 75, 105, kWhole, kState),
    Flame({.sheet = S::kE2, .source = {80, 250, 159, 299}, .stepY = 50, .size = kWhole, .hx = 40, .hy = 25,
           .colour = kState, .offsetX = -40, .offsetY = 100, .place = kTurnedScaled}),
    Flame({.sheet = S::kE2, .source = {80, 250, 159, 299}, .stepY = 50, .size = kWhole, .hx = 40, .hy = 25,
           .colour = kState, .offsetX = 40, .offsetY = 100, .place = kTurnedScaled}),
};
constexpr LookSprite k514[] = {
    Pulse({.sheet = S::kE2, .source = {290, 120, 375, 219}, .size = kWhole, .hx = 43, .hy = 50, .pulseX = 1,
           .pulseY = 1.2f, .colour = kState}),
};
constexpr LookSprite k515[] = {
    Pulse({.sheet = S::kE2, .source = {375, 120, 459, 219}, .size = kWhole, .hx = 43, .hy = 50, .pulseX = 1,
           .pulseY = 1.2f, .colour = kState}),
};

// Kinds 516 to 519: the large bodies and their pulsing guns, drawn flat; the
// flames sit at unturned offsets.
constexpr LookSprite BodyFlame(i32 top, f32 a, f32 b) {
    return Flame({.sheet = S::kE3, .source = {220, top, 299, top + 79}, .stepX = 80, .size = kWhole, .hx = 40, .hy = 40,
                  .turn = kFlat, .colour = kState, .offsetX = a, .offsetY = b, .place = kScaledUnturned});
}
constexpr LookSprite k516[] = {BodyFlame(340, -45, -75), BodyFlame(340, -98, -33),
                               Body(S::kE3, {0, 0, 219, 219}, 105, 105, kWhole, kState, kFlat)};
constexpr LookSprite k517[] = {
    Pulse({.sheet = S::kE3, .source = {220, 0, 389, 169}, .size = kWhole, .hx = 85, .hy = 85, .pulseX = 1.2f,
           .pulseY = 1.2f, .turn = kFlat, .colour = kState}),
};
constexpr LookSprite k518[] = {BodyFlame(420, 45, -75), BodyFlame(420, 98, -33),
                               Body(S::kE3, {0, 220, 219, 439}, 105, 105, kWhole, kState, kFlat)};
constexpr LookSprite k519[] = {
    Pulse({.sheet = S::kE3, .source = {220, 170, 389, 339}, .size = kWhole, .hx = 85, .hy = 85, .pulseX = 1.2f,
           .pulseY = 1.2f, .turn = kFlat, .colour = kState}),
};

// Kind 530: the craft, at its own size whatever the scale.
constexpr LookSprite k530[] = {
    Body(S::kE3, {390, 0, 469, 99}, 40, 50, Size::kFixed, kState),
    Flame({.sheet = S::kE3, .source = kSmallFlame, .stepX = 20, .size = Size::kFixed, .hx = 10, .hy = 25,
           .colour = kState, .offsetX = 30, .place = LookPlace::kTurned}),
};

// Kinds 531 to 533: the six-part carrier.
constexpr LookSprite k531[] = {Body(S::kE1, {160, 200, 279, 379}, 60, 90, kWhole, kShade)};
constexpr LookSprite k532[] = {Body(S::kE1, {0, 200, 159, 379}, 80, 90, kWhole, kShade)};
constexpr LookSprite k533[] = {
    Body(S::kE1, {270, 0, 329, 39}, 30, 20, kWhole, kShade),
    Flame({.sheet = S::kE3, .source = kSmallFlame, .stepX = 20, .size = kWhole, .hx = 10, .hy = 25, .colour = kShade,
           .offsetX = 20, .place = kTurnedScaled}),
};

// Kinds 535 and 536: the side-gun craft.
constexpr LookSprite SideFlame(f32 a, f32 b) {
    return Flame({.sheet = S::kE1, .source = kSideFlame, .stepX = 30, .size = kWhole, .hx = 15, .hy = 30,
                  .colour = kShade05, .offsetX = a, .offsetY = b, .place = kTurnedScaled});
}
constexpr LookSprite k535[] = {Body(S::kE1, {330, 0, 449, 199}, 60, 100, kWhole, kShade05), SideFlame(56, 0)};
constexpr LookSprite k536[] = {Body(S::kE1, {370, 290, 499, 499}, 75, 105, kWhole, kShade05), SideFlame(67, -51),
                               SideFlame(67, 51)};

// The boss (kind 99): grey below a scale of 0.8.
constexpr LookSprite k590[] = {Body(S::kB1, {0, 0, 459, 459}, 230, 230, kWhole, kGrey)};
constexpr LookSprite k591[] = {
    Pulse({.sheet = S::kB2, .source = {0, 0, 229, 119}, .size = Size::kScaledBaseWhole, .hx = 115, .hy = 60,
           .pulseX = 3, .pulseY = 1.5f, .colour = kGrey}),
};
constexpr LookSprite k592[] = {
    Pulse({.sheet = S::kB2, .source = {0, 120, 229, 239}, .size = Size::kScaledBaseWhole, .hx = 115, .hy = 60,
           .pulseX = 3, .pulseY = 1.5f, .colour = kGrey}),
};
constexpr LookSprite k593[] = {
    Body(S::kB2, {230, 70, 349, 189}, 60, 60, kS, kGrey),
    Flame({.sheet = S::kB2, .source = {0, 240, 169, 409}, .stepX = 170, .size = kS, .hx = 85, .hy = 85, .colour = kGrey,
           .offsetX = -10, .place = kTurnedScaled}),
};
constexpr LookSprite k594[] = {Body(S::kB2, {230, 0, 429, 69}, 100, 35, kS, kGrey)};
// clang-format on

constexpr EnemyLook Look(i32 kind, std::span<const LookSprite> sprites) { return LookOf(kind, kind, sprites); }

constexpr EnemyLook kLooks[] = {
    Look(502, k502), Look(503, k503), Look(504, k504), Look(505, k505), Look(506, k506), Look(507, k507),
    Look(510, k510), Look(511, k511), Look(512, k512), Look(513, k513), Look(514, k514), Look(515, k515),
    Look(516, k516), Look(517, k517), Look(518, k518), Look(519, k519), Look(529, k529), Look(530, k530),
    Look(531, k531), Look(532, k532), Look(533, k533), Look(535, k535), Look(536, k536), Look(590, k590),
    Look(591, k591), Look(592, k592), Look(593, k593), Look(594, k594),
};

}  // namespace

std::span<const EnemyLook> EnemyLooksStage4() { return kLooks; }
