// The looks of the sprite kinds of stage index 4, one row per look. Sheets in
// this stage: E1 "enemy04", E2 "enemy04_2", E3 "enemy04_3", E4 "enemy04_4",
// E5 "enemy04_5", E6 "shiro1", E7 "shiro2", E8 "shiro3", E9 "shiro4",
// B1 "boss04", B2 "boss04_2".
//
// Every sprite is darkened with its tint while its part is not hittable
// (0xFF321414 unless a row names another). The castle pieces (1001..1009)
// turn grey below scale 0.8; so do the last boss (490..497) and a few of the
// ordinary enemies.
#include <cmath>

#include "engine/core/radians.h"
#include "game/enemy/enemy_content.h"
#include "game/shell/game_math.h"

namespace {

using S = EnemySheet;

constexpr u32 kTint = 0xFF321414u;
constexpr u32 kRedTint = 0xFF643232u;
constexpr u32 kGreyTint = 0xFF645050u;
constexpr LookSize kS = LookSize::kScaled;

// A still sprite of `sheet` at the drawn position, turned by the world angle.
constexpr LookSprite Still(S sheet, Rect source, f32 hx, f32 hy, LookSize size = LookSize::kFixed, u32 tint = kTint) {
    LookSprite s;
    s.sheet = sheet;
    s.source = source;
    s.size = size;
    s.hx = hx;
    s.hy = hy;
    s.tint = tint;
    return s;
}

// Animated by FrameCounter: f = (FrameCounter / divisor) mod 3, the cell
// moving by (stepX f, stepY f).
constexpr LookSprite Animated(LookSprite s, i32 divisor, i32 stepX, i32 stepY = 0) {
    s.frames = LookFrames::kClock;
    s.frameDivisor = divisor;
    s.frameCount = 3;
    s.stepX = stepX;
    s.stepY = stepY;
    return s;
}

// A layer centred at the drawn position plus (a, b), placed by `place`.
constexpr LookSprite At(LookSprite s, f32 a, f32 b, LookPlace place = LookPlace::kTurned) {
    s.offsetX = a;
    s.offsetY = b;
    s.place = place;
    return s;
}

constexpr LookSprite Turned(LookSprite s, LookTurn turn) {
    s.turn = turn;
    return s;
}

constexpr LookSprite Coloured(LookSprite s, LookColour colour) {
    s.colour = colour;
    return s;
}

constexpr LookSprite Grey(LookSprite s) { return Coloured(s, LookColour::kGreyBelow08); }

// The colour while the part is hittable.
constexpr LookSprite Lit(LookSprite s, u32 lit) {
    s.lit = lit;
    return s;
}

// hx pixels left of the centre, hxRight right of it.
constexpr LookSprite Unequal(LookSprite s, f32 hxRight) {
    s.size = LookSize::kUnequal;
    s.hxRight = hxRight;
    return s;
}

// The finished rectangle moved by (p, q).
constexpr LookSprite Shifted(LookSprite s, i32 p, i32 q) {
    s.shiftX = p;
    s.shiftY = q;
    return s;
}

// Half sizes breathing with the part's timer over `period` frames.
constexpr LookSprite Pulsing(LookSprite s, i32 period, f32 kx, f32 ky) {
    s.pulsePeriod = period;
    s.pulseX = kx;
    s.pulseY = ky;
    return s;
}

constexpr EnemyLook Look(i32 first, i32 last, std::span<const LookSprite> sprites, LookHook hook = nullptr) {
    EnemyLook l;
    l.firstKind = first;
    l.lastKind = last;
    l.sprites = sprites;
    l.hook = hook;
    return l;
}

// The float nearest the radian value of whole degrees.
f32 DegreesToRadians(i32 degrees) { return static_cast<f32>(static_cast<f80>(degrees) * kPiExtended / 180.0L); }

// ---------------------------------------------------------------------------
// Ordinary enemies.

// Cells that recur: the flame strip of kind 402 and the small-flame strip of
// kinds 430..435 (E1), the flames of kinds 460..466 (E3), the flames of kind
// 403 (E1) and their haze twins (E3), the B1 blast strip of kinds 401, 451
// and 453.
constexpr Rect kFlame402{200, 480, 214, 509};
constexpr Rect kSmallFlame{245, 480, 259, 509};
constexpr Rect kFlame460{270, 0, 299, 59};
constexpr Rect kFlame403{400, 405, 429, 464};
constexpr Rect kHazeFlame403{0, 420, 29, 479};
constexpr Rect kBlast{0, 340, 169, 509};

constexpr LookSprite k401[] = {
    Shifted(Animated(Still(S::kB1, kBlast, 80, 80, LookSize::kFixed, kRedTint), 3, 170), 0, 40),
    Turned(Still(S::kE1, {0, 0, 149, 159}, 75, 80), LookTurn::kFlat),
};
constexpr LookSprite k402[] = {
    Still(S::kE1, {320, 160, 399, 259}, 40, 50),
    At(Animated(Unequal(Still(S::kE1, kFlame402, 7, 15), 8), 3, 15), 20, 26),
    At(Animated(Unequal(Still(S::kE1, kFlame402, 7, 15), 8), 3, 15), 20, -26),
};

// Kind 403: its sprites in drawing order; the hook leaves out the haze
// sprites (indexes 2, 3 and 5) from a scale of 0.8 up and draws them in the
// haze colour.
constexpr LookSprite k403[] = {
    Grey(At(Animated(Still(S::kE1, kFlame403, 15, 30, kS), 2, 30), 28, 35, LookPlace::kTurnedScaled)),
    Grey(At(Animated(Still(S::kE1, kFlame403, 15, 30, kS), 2, 30), 30, -35, LookPlace::kTurnedScaled)),
    At(Animated(Still(S::kE3, kHazeFlame403, 15, 30, kS), 2, 30), 28, 35, LookPlace::kTurnedScaled),
    At(Animated(Still(S::kE3, kHazeFlame403, 15, 30, kS), 2, 30), 30, -35, LookPlace::kTurnedScaled),
    Grey(Still(S::kE1, {400, 160, 499, 279}, 45, 60, kS)),
    Still(S::kE3, {160, 240, 259, 359}, 45, 60, kS),
};

// White whose alpha grows by one every 80 frames from 50 to 150.
u32 HazeColour(i32 frameCounter) {
    i32 a = frameCounter / 80 + 50;
    if (a > 150) a = 150;
    return (static_cast<u32>(a) << 24) | 0x00FFFFFFu;
}

void DrawHazyFighter(const LookContext& c, const EnemyLook& look) {
    const bool hazy = c.scale < 0.8f;
    for (std::size_t i = 0; i < look.sprites.size(); ++i) {
        const bool haze = i == 2 || i == 3 || i == 5;
        if (!haze) {
            DrawLookSprite(c, look.sprites[i]);
        } else if (hazy) {
            LookSprite s = look.sprites[i];
            s.colour = LookColour::kLit;
            s.lit = HazeColour(c.frameCounter);
            DrawLookSprite(c, s);
        }
    }
}

constexpr LookSprite k405[] = {
    Grey(Still(S::kE4, {0, 350, 89, 469}, 45, 60, kS)),
    Grey(At(Animated(Still(S::kE4, {90, 350, 109, 409}, 10, 30, kS), 2, 20), 45, 0, LookPlace::kTurnedScaled)),
};
constexpr LookSprite k410[] = {
    At(Animated(Still(S::kE4, {270, 170, 329, 249}, 30, 40, kS), 3, 60), -75, 30, LookPlace::kTurnedScaled),
    At(Animated(Still(S::kE4, {270, 170, 329, 249}, 30, 40, kS), 3, 60), -75, -30, LookPlace::kTurnedScaled),
    Still(S::kE4, {0, 0, 269, 189}, 130, 85, kS),
};
constexpr LookSprite k411[] = {Pulsing(Still(S::kE4, {270, 0, 399, 169}, 65, 85, kS), 50, 1, 2)};
constexpr LookSprite k412[] = {
    Turned(Still(S::kE4, {400, 0, 469, 69}, 35, 35, kS), LookTurn::kEnemy),
    Turned(At(Animated(Still(S::kE4, {0, 190, 89, 289}, 45, 50, kS), 3, 90), -20, 0, LookPlace::kTurnedScaled),
           LookTurn::kEnemy),
};
constexpr LookSprite k413[] = {Still(S::kE4, {0, 290, 119, 349}, 60, 30, kS)};
constexpr LookSprite k415[] = {Still(S::kE4, {150, 290, 289, 489}, 70, 100, kS)};
constexpr LookSprite k416[] = {
    Turned(Pulsing(Still(S::kE4, {290, 290, 379, 349}, 45, 30, kS), 100, 1, 0.5f), LookTurn::kEnemy),
    Turned(At(Animated(Still(S::kE4, {290, 350, 329, 429}, 20, 40, kS), 3, 40), 35, 0, LookPlace::kTurnedScaled),
           LookTurn::kEnemy),
};
constexpr LookSprite k417[] = {Still(S::kE4, {290, 430, 389, 469}, 50, 20, kS)};

// The small ships of kind 80: a tinted body and one or two small flames.
constexpr u32 kPale = 0xFFC8C8C8u;
constexpr u32 kPaleGreen = 0xFFC8FFC8u;
constexpr u32 kPaleRed = 0xFFFFC8C8u;
constexpr LookSprite SmallFlame(f32 hy, f32 a, f32 b, u32 lit) {
    return Lit(At(Animated(Unequal(Still(S::kE1, kSmallFlame, 2, hy), 3), 3, 15), a, b), lit);
}
constexpr LookSprite k430[] = {
    Lit(Still(S::kE1, {0, 160, 79, 259}, 16, 20), kPale),
    SmallFlame(5, 8, 10, kPaleRed),
    SmallFlame(5, 8, -10, kPaleRed),
};
constexpr LookSprite k431[] = {
    Lit(Still(S::kE1, {80, 160, 159, 259}, 16, 20), kPaleGreen),
    SmallFlame(8, 14, 0, kPaleGreen),
};
constexpr LookSprite k432[] = {
    Lit(Still(S::kE1, {80, 160, 159, 259}, 16, 20), kPale),
    SmallFlame(8, 14, 0, kPaleRed),
};
constexpr LookSprite k434[] = {
    Lit(Still(S::kE1, {160, 160, 239, 259}, 16, 20), kPale),
    SmallFlame(8, 14, 0, kPaleRed),
};
constexpr LookSprite k435[] = {
    Lit(Still(S::kE1, {240, 160, 319, 259}, 16, 20), kPale),
    SmallFlame(5, 8, 10, kPaleRed),
    SmallFlame(5, 8, -10, kPaleRed),
};
constexpr LookSprite k437[] = {Turned(Still(S::kE1, {150, 0, 509, 159}, 180, 80), LookTurn::kFlat)};

// The story's ships (kinds 90..93).
constexpr LookSprite Flame460(f32 a, f32 b) {
    return At(Animated(Still(S::kE3, kFlame460, 15, 30, kS), 2, 30), a, b, LookPlace::kTurnedScaled);
}
constexpr LookSprite k460[] = {Flame460(37, 0), Still(S::kE3, {0, 0, 89, 119}, 45, 60, kS)};
constexpr LookSprite k461[] = {Flame460(37, 0), Still(S::kE3, {90, 0, 179, 119}, 45, 60, kS)};
constexpr LookSprite k462[] = {Flame460(37, 0), Still(S::kE3, {180, 0, 269, 119}, 45, 60, kS)};
constexpr LookSprite Flame463(f32 a, f32 b) {
    return At(Animated(Still(S::kE3, {360, 0, 399, 59}, 15, 30, kS), 2, 40), a, b, LookPlace::kTurnedScaled);
}
constexpr LookSprite k463[] = {
    // clang-format off
    Flame463(40, 64), Flame463(40, -64), Flame463(25, 44), Flame463(25, -44),
    // clang-format on
    Still(S::kE3, {0, 240, 159, 419}, 80, 90, kS),
};
constexpr LookSprite k464[] = {Flame460(35, 35), Flame460(35, -35), Still(S::kE3, {0, 120, 89, 239}, 45, 60, kS)};
constexpr LookSprite k465[] = {Flame460(35, 35), Flame460(35, -35), Still(S::kE3, {90, 120, 179, 239}, 45, 60, kS)};
constexpr LookSprite k466[] = {Flame460(35, 35), Flame460(35, -35), Still(S::kE3, {180, 120, 269, 239}, 45, 60, kS)};

constexpr LookSprite k467[] = {
    Turned(Still(S::kE5, {400, 90, 509, 289}, 55, 90, kS), LookTurn::kFlat),
    Turned(At(Animated(Still(S::kE5, {0, 420, 39, 499}, 20, 40, kS), 3, 40), 33, 80, LookPlace::kScaledUnturned),
           LookTurn::kEnemy),
    Turned(At(Animated(Still(S::kE5, {0, 420, 39, 499}, 20, 40, kS), 3, 40), -33, 80, LookPlace::kScaledUnturned),
           LookTurn::kEnemy),
};
constexpr LookSprite k480[] = {
    Grey(Turned(Animated(Still(S::kE5, {0, 180, 99, 299}, 50, 60, kS), 10, 100), LookTurn::kFlat)),
    Turned(At(Animated(Still(S::kE5, {0, 300, 139, 419}, 70, 60, kS), 2, 140), 0, -50, LookPlace::kScaledUnturned),
           LookTurn::kFlat),
};

// Kind 481 faces one of eight ways: the world angle picks the cell (five to
// a row of 90-pixel cells), the sprite turns with the parent.
constexpr LookSprite Facing481() {
    LookSprite s = Turned(Still(S::kE5, {0, 0, 89, 89}, 50, 50, kS), LookTurn::kParent);
    s.frames = LookFrames::kFacing;
    s.stepX = 90;
    s.stepY = 90;
    return s;
}
constexpr LookSprite k481[] = {Facing481()};
constexpr LookSprite k482[] = {Still(S::kE3, {160, 390, 229, 499}, 30, 45)};
constexpr LookSprite k483[] = {Still(S::kE3, {230, 390, 299, 499}, 30, 45)};
constexpr LookSprite k484[] = {Still(S::kE3, {300, 390, 369, 499}, 30, 45)};
// Frames stacked downwards.
constexpr LookSprite k499[] = {Animated(Still(S::kE3, {270, 60, 429, 169}, 40, 28), 3, 0, 110)};

// ---------------------------------------------------------------------------
// The gate boss (enemy kind 99, E2): none of its sizes scales.

constexpr LookSprite Flame438(f32 a, u32 tint) {
    return At(Animated(Still(S::kE2, {240, 360, 269, 429}, 15, 35, LookSize::kFixed, tint), 2, 30), a, 0);
}
constexpr LookSprite Flame444() { return At(Animated(Still(S::kE2, {330, 360, 379, 449}, 25, 45), 2, 50), -50, 0); }
constexpr LookSprite k438[] = {Still(S::kE2, {200, 280, 309, 319}, 55, 20), Flame438(45, kTint)};
constexpr LookSprite k439[] = {Still(S::kE2, {200, 320, 309, 359}, 55, 20), Flame438(45, kTint)};
constexpr LookSprite k441[] = {Still(S::kE2, {0, 0, 339, 279}, 170, 140)};
constexpr LookSprite k442[] = {Still(S::kE2, {340, 160, 459, 319}, 60, 80)};
constexpr LookSprite k443[] = {Still(S::kE2, {340, 0, 459, 159}, 60, 80)};
constexpr LookSprite k444[] = {Flame444(), Still(S::kE2, {0, 360, 119, 479}, 60, 60)};
constexpr LookSprite k445[] = {Flame444(), Still(S::kE2, {120, 360, 239, 479}, 60, 60)};
constexpr LookSprite k446[] = {Still(S::kE2, {0, 280, 119, 319}, 60, 20, LookSize::kFixed, kGreyTint),
                               Flame438(55, kGreyTint)};
constexpr LookSprite k447[] = {Still(S::kE2, {0, 320, 119, 359}, 60, 20, LookSize::kFixed, kGreyTint),
                               Flame438(55, kGreyTint)};
constexpr LookSprite k448[] = {Still(S::kE2, {120, 280, 199, 319}, 40, 20, LookSize::kFixed, kGreyTint),
                               Flame438(35, kGreyTint)};
constexpr LookSprite k449[] = {Still(S::kE2, {120, 320, 199, 359}, 40, 20, LookSize::kFixed, kGreyTint),
                               Flame438(35, kGreyTint)};

// ---------------------------------------------------------------------------
// The wheel (enemy kind 100): flat bodies over B1 blasts, none scaled.

constexpr LookSprite Blast(f32 h, i32 p, i32 q) {
    return Shifted(Animated(Still(S::kB1, kBlast, h, h, LookSize::kFixed, kRedTint), 2, 170), p, q);
}
constexpr LookSprite k451[] = {Blast(85, 0, 40),
                               Turned(Still(S::kE1, {200, 280, 399, 479}, 100, 100), LookTurn::kFlat)};
constexpr LookSprite k452[] = {Turned(Still(S::kB1, {340, 120, 469, 279}, 65, 80), LookTurn::kFlat)};
constexpr LookSprite k453[] = {
    Blast(70, -90, 30),
    Blast(70, 90, 30),
    Blast(70, 0, 150),
    Turned(Still(S::kB1, {0, 0, 339, 339}, 170, 170), LookTurn::kFlat),
};
constexpr LookSprite k454[] = {Turned(Still(S::kB1, {340, 0, 479, 119}, 70, 60), LookTurn::kFlat)};
constexpr LookSprite k455[] = {Turned(Still(S::kE1, {0, 280, 199, 509}, 100, 115), LookTurn::kFlat)};

// ---------------------------------------------------------------------------
// The last boss (enemy kind 101, B2): every size scales, grey below 0.8.

constexpr LookSprite Boss(Rect source, f32 hx, f32 hy) { return Grey(Still(S::kB2, source, hx, hy, kS, kGreyTint)); }
constexpr LookSprite k490[] = {
    At(Animated(Still(S::kB2, {380, 260, 409, 379}, 15, 60, kS), 2, 30), 135, 0, LookPlace::kTurnedScaled),
    Boss({100, 0, 379, 359}, 140, 180),
};
constexpr LookSprite k491[] = {Boss({0, 0, 99, 359}, 50, 180)};
constexpr LookSprite k492[] = {Boss({380, 0, 499, 179}, 60, 90)};
constexpr LookSprite k493[] = {Boss({380, 180, 439, 259}, 30, 40)};
constexpr LookSprite k494[] = {Boss({440, 180, 499, 259}, 30, 40)};
constexpr LookSprite k495[] = {Pulsing(Boss({0, 360, 179, 439}, 90, 40), 100, 3, 2)};
constexpr LookSprite k496[] = {Pulsing(Boss({180, 360, 359, 439}, 90, 40), 100, 3, 2)};
constexpr LookSprite k497[] = {Animated(Boss({0, 440, 149, 509}, 75, 35), 2, 150)};

// ---------------------------------------------------------------------------
// The castle (enemy kind 110) and the fortress (enemy kind 30).

constexpr LookSprite Castle(S sheet, Rect source, f32 hx, f32 hy) { return Grey(Still(sheet, source, hx, hy, kS)); }

// Kind 1001: the ring of 32 tiles (sprite 0), then the keep (sprite 1).
constexpr LookSprite RingTile() {
    LookSprite s = Animated(Castle(S::kE6, {0, 740, 269, 1009}, 110, 110), 2, 270);
    s.size = LookSize::kScaledWhole;
    return s;
}
constexpr LookSprite k1001[] = {RingTile(), Castle(S::kE6, {0, 0, 799, 739}, 400, 370)};

// Eight groups of four tiles around the keep, at fixed angles whatever the
// castle's or the part's turn; each tile still turns by the world angle.
void DrawCastleRing(const LookContext& c, const EnemyLook& look) {
    static constexpr i32 kGroupDegrees[8] = {118, 62, 18, 162, -24, -156, -65, -115};
    const LookSprite& tile = look.sprites[0];
    const f32 spread = 100.0f * c.scale;
    const f32 members[4][2] = {{spread, 0.0f}, {-spread, 0.0f}, {0.0f, spread}, {0.0f, -spread}};
    for (const i32 degrees : kGroupDegrees) {
        f32 v[2] = {480.0f * c.scale, 0.0f};
        RotateVector2(v, DegreesToRadians(degrees));
        const f32 gx = c.x + v[0];
        const f32 gy = c.y + v[1];
        for (const auto& m : members) {
            LookContext at = c;
            at.x = gx + m[0];
            at.y = gy + m[1];
            DrawLookSprite(at, tile);
        }
    }
    DrawLookSprite(c, look.sprites[1]);
}

// Kind 1009: two sliding layers (sprites 0 and 1), then the core (sprite 2).
// The layers lie along the part's own axis at 2.6 and 1.0 times the part's
// offset y, unscaled, so they slide out as the core moves out.
constexpr LookSprite k1009[] = {
    Castle(S::kE6, {810, 670, 969, 809}, 80, 70),
    Castle(S::kE6, {800, 530, 999, 669}, 100, 70),
    Castle(S::kE6, {800, 350, 999, 529}, 100, 90),
};

void DrawSlidingCore(const LookContext& c, const EnemyLook& look) {
    static constexpr f32 kReach[2] = {130.0f, 50.0f};
    const f32 slide = c.part->offsetY * 0.02f;
    for (int i = 0; i < 2; ++i) {
        f32 v[2] = {slide * kReach[i], 0.0f};
        RotateVector2(v, c.worldAngle);
        LookContext at = c;
        at.x = c.x + v[0];
        at.y = c.y + v[1];
        DrawLookSprite(at, look.sprites[static_cast<std::size_t>(i)]);
    }
    DrawLookSprite(c, look.sprites[2]);
}

constexpr LookSprite k1002[] = {Castle(S::kE7, {0, 0, 299, 299}, 150, 150)};
constexpr LookSprite k1003[] = {Castle(S::kE9, {0, 0, 319, 319}, 160, 160)};
constexpr LookSprite k1004[] = {Castle(S::kE8, {0, 0, 279, 279}, 140, 140)};
constexpr LookSprite k1005[] = {Castle(S::kE7, {300, 0, 439, 139}, 70, 70)};
constexpr LookSprite k1006[] = {Castle(S::kE7, {300, 140, 399, 239}, 50, 50)};
constexpr LookSprite k1007[] = {Castle(S::kE6, {800, 0, 999, 199}, 100, 100)};
constexpr LookSprite k1008[] = {Castle(S::kE6, {800, 200, 949, 349}, 75, 75)};

// The fortress: the main gun carries four flames.
constexpr LookSprite Flame1201(f32 a, f32 b) {
    return At(Animated(Still(S::kE7, {100, 430, 129, 489}, 10, 25), 3, 30), a, b);
}
constexpr LookSprite k1201[] = {
    Still(S::kE7, {0, 300, 99, 479}, 50, 90),
    Flame1201(43, 29),
    Flame1201(43, 59),
    Flame1201(43, -29),
    Flame1201(43, -59),
};
constexpr LookSprite k1202[] = {Still(S::kE7, {100, 300, 179, 369}, 40, 35)};
constexpr LookSprite k1203[] = {Still(S::kE7, {100, 370, 219, 429}, 60, 30)};

constexpr EnemyLook kLooks[] = {
    Look(401, 401, k401),
    Look(402, 402, k402),
    Look(403, 403, k403, DrawHazyFighter),
    Look(405, 405, k405),
    Look(410, 410, k410),
    Look(411, 411, k411),
    Look(412, 412, k412),
    Look(413, 413, k413),
    Look(415, 415, k415),
    Look(416, 416, k416),
    Look(417, 417, k417),
    Look(430, 430, k430),
    Look(431, 431, k431),
    Look(432, 432, k432),
    Look(433, 433, k430),
    Look(434, 434, k434),
    Look(435, 435, k435),
    Look(437, 437, k437),
    Look(438, 438, k438),
    Look(439, 439, k439),
    Look(441, 441, k441),
    Look(442, 442, k442),
    Look(443, 443, k443),
    Look(444, 444, k444),
    Look(445, 445, k445),
    Look(446, 446, k446),
    Look(447, 447, k447),
    Look(448, 448, k448),
    Look(449, 449, k449),
    Look(451, 451, k451),
    Look(452, 452, k452),
    Look(453, 453, k453),
    Look(454, 454, k454),
    Look(455, 455, k455),
    Look(460, 460, k460),
    Look(461, 461, k461),
    Look(462, 462, k462),
    Look(463, 463, k463),
    Look(464, 464, k464),
    Look(465, 465, k465),
    Look(466, 466, k466),
    Look(467, 467, k467),
    Look(480, 480, k480),
    Look(481, 481, k481),
    Look(482, 482, k482),
    Look(483, 483, k483),
    Look(484, 484, k484),
    Look(490, 490, k490),
    Look(491, 491, k491),
    Look(492, 492, k492),
    Look(493, 493, k493),
    Look(494, 494, k494),
    Look(495, 495, k495),
    Look(496, 496, k496),
    Look(497, 497, k497),
    Look(499, 499, k499),
    Look(1001, 1001, k1001, DrawCastleRing),
    Look(1002, 1002, k1002),
    Look(1003, 1003, k1003),
    Look(1004, 1004, k1004),
    Look(1005, 1005, k1005),
    Look(1006, 1006, k1006),
    Look(1007, 1007, k1007),
    Look(1008, 1008, k1008),
    Look(1009, 1009, k1009, DrawSlidingCore),
    Look(1201, 1201, k1201),
    Look(1202, 1202, k1202),
    Look(1203, 1203, k1203),
};

}  // namespace

std::span<const EnemyLook> EnemyLooksStage5() { return kLooks; }
