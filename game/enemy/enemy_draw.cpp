#include "game/enemy/enemy_draw.h"

#include <array>
#include <cmath>
#include <utility>

#include "engine/core/angle.h"
#include "engine/core/radians.h"
#include "game/play/enemy_runtime.h"
#include "game/play/stage_textures.h"
#include "game/shell/game_math.h"
#include "game/shell/play_state.h"

namespace {

std::array<const EnemyLook*, kMaxLookKind + 1> g_looks{};
LookDrawObserver g_observer = nullptr;

constexpr u32 kGreyBelow08 = 0xFF969696u;
constexpr f32 kPulseRate = 0.02f;

u32 Grey(i32 level) { return 0xFF000000u + static_cast<u32>(level) * 0x010101u; }

// Lit below the threshold in the grey of `level`, lit from it up, tint when
// the part cannot be hit.
u32 ScaleShade(const LookContext& c, const LookSprite& s, f32 threshold, i32 level) {
    if (c.part->state != 1) return s.tint;
    return c.scale < threshold ? Grey(level) : s.lit;
}

i32 Trunc(f64 v) { return static_cast<i32>(v); }

// Draws one part and, after it, its children, walked as every part-tree walk
// walks them (PartAt, kMaxPartDepth); nothing for an enemy index outside the
// list.
void DrawPartTree(i32 enemy, const EnemyPart* part, const f32 parentPos[2], f32 parentAngle, int depth) {
    const Enemy* owner = EnemyAt(enemy);
    if (part == nullptr || owner == nullptr || depth >= kMaxPartDepth) return;
    const Enemy& e = *owner;
    f32 v[2] = {part->offsetX * e.scale, part->offsetY * e.scale};
    // Kinds 517 and 519 keep their scaled offset unturned.
    if (part->spriteKind != 517 && part->spriteKind != 519) RotateVector2(v, parentAngle);
    const f32 world[2] = {parentPos[0] + v[0], parentPos[1] + v[1]};
    const f32 worldAngle = part->angle + parentAngle;

    if (const EnemyLook* look = FindEnemyLook(part->spriteKind)) {
        LookContext c;
        c.enemy = enemy;
        c.part = part;
        c.x = world[0] + g_GameState.FieldScrollX;
        c.y = world[1];
        c.worldAngle = worldAngle;
        c.parentAngle = parentAngle;
        c.enemyRotation = e.rotation;
        c.scale = e.scale;
        c.age = e.age;
        c.frameCounter = g_GameState.FrameCounter;
        if (!look->visible || look->visible(c)) {
            if (look->hook) {
                look->hook(c, *look);
            } else {
                for (const LookSprite& s : look->sprites) DrawLookSprite(c, s);
            }
        }
    }

    for (const i32 child : part->children) {
        const EnemyPart* c = PartAt(child);
        if (c == nullptr) break;
        DrawPartTree(enemy, c, world, worldAngle, depth + 1);
    }
}

}  // namespace

void RegisterEnemyLooks(std::span<const EnemyLook> looks) {
    for (const EnemyLook& look : looks) {
        for (i32 kind = look.firstKind; kind <= look.lastKind; ++kind) {
            if (kind >= 0 && kind <= kMaxLookKind) g_looks[static_cast<std::size_t>(kind)] = &look;
        }
    }
}

void ClearEnemyLooks() { g_looks.fill(nullptr); }

const EnemyLook* FindEnemyLook(i32 spriteKind) {
    if (spriteKind < 0 || spriteKind > kMaxLookKind) return nullptr;
    return g_looks[static_cast<std::size_t>(spriteKind)];
}

void SetLookDrawObserver(LookDrawObserver observer) { g_observer = observer; }

Texture* EnemySheetTexture(EnemySheet sheet) {
    StageTextures& t = g_StageTextures;
    switch (sheet) {
        case EnemySheet::kE1: return t.E1;
        case EnemySheet::kE2: return t.E2;
        case EnemySheet::kE3: return t.E3;
        case EnemySheet::kE4: return t.E4;
        case EnemySheet::kE5: return t.E5;
        case EnemySheet::kE6: return t.E6;
        case EnemySheet::kE7: return t.E7;
        case EnemySheet::kE8: return t.E8;
        case EnemySheet::kE9: return t.E9;
        case EnemySheet::kB1: return t.B1;
        case EnemySheet::kB2: return t.B2;
    }
    return nullptr;
}

u32 LookSpriteColour(const LookContext& c, const LookSprite& s) {
    switch (s.colour) {
        case LookColour::kState: return c.part->state == 1 ? s.lit : s.tint;
        case LookColour::kGreyBelow08:
            if (c.scale < 0.8f) return kGreyBelow08;
            return c.part->state == 1 ? s.lit : s.tint;
        case LookColour::kShade: return ScaleShade(c, s, 1.0f, static_cast<i32>(255.0f * c.scale));
        case LookColour::kShadeBelow05: return ScaleShade(c, s, 0.5f, static_cast<i32>(255.0f * c.scale));
        case LookColour::kDimBelow08: return ScaleShade(c, s, 0.8f, 50);
        case LookColour::kLit: return s.lit;
    }
    return s.lit;
}

Rect LookSpriteSource(const LookContext& c, const LookSprite& s) {
    i32 dx = 0;
    i32 dy = 0;
    switch (s.frames) {
        case LookFrames::kStill: break;
        case LookFrames::kClock:
        case LookFrames::kTimer: {
            const i32 clock = s.frames == LookFrames::kClock ? c.frameCounter : c.part->timer;
            const i32 divisor = s.frameDivisor > 0 ? s.frameDivisor : 1;
            const i32 count = s.frameCount > 0 ? s.frameCount : 1;
            // A negative clock (a timer written below zero) still picks frame 0..count-1.
            i32 f = (clock / divisor) % count;
            if (f < 0) f += count;
            dx = s.stepX * f;
            dy = s.stepY * f;
            break;
        }
        case LookFrames::kFacing: {
            const i32 f = AngleToDirection8(c.worldAngle);
            dx = s.stepX * (f % 5);
            dy = s.stepY * (f / 5);
            break;
        }
    }
    return Rect{s.source.left + dx, s.source.top + dy, s.source.right + dx, s.source.bottom + dy};
}

Rect LookSpriteDestination(const LookContext& c, const LookSprite& s, f32 cx, f32 cy) {
    f32 hx = s.hx;
    f32 hy = s.hy;
    f32 hxRight = s.hxRight;
    const bool pulsing = s.pulsePeriod > 0;
    f64 wave = 0.0;
    if (pulsing) {
        const i32 t = c.part->timer % s.pulsePeriod;
        wave =
            static_cast<f32>(std::cos(static_cast<f64>(kTwoPi) * static_cast<f64>(kPulseRate) * static_cast<f64>(t)));
        if (s.size != LookSize::kScaledBaseWhole) {
            hx = static_cast<f32>(static_cast<f64>(hx) + static_cast<f64>(s.pulseX) * wave);
            hy = static_cast<f32>(static_cast<f64>(hy) + static_cast<f64>(s.pulseY) * wave);
        }
    }
    if ((s.swellX != 0.0f || s.swellY != 0.0f) && c.part->state == 1 && (c.frameCounter / 4) % 2 == 0) {
        hx += s.swellX;
        hy += s.swellY;
    }
    const f64 x = cx;
    const f64 y = cy;
    Rect r;
    switch (s.size) {
        case LookSize::kFixed: {
            // A pulsing fixed size is first made whole.
            const f64 ex = pulsing ? static_cast<f64>(Trunc(hx)) : static_cast<f64>(hx);
            const f64 ey = pulsing ? static_cast<f64>(Trunc(hy)) : static_cast<f64>(hy);
            r = Rect{Trunc(x - ex), Trunc(y - ey), Trunc(x + ex), Trunc(y + ey)};
            break;
        }
        case LookSize::kScaled: {
            const f64 ex = c.scale * hx;  // single-precision product
            const f64 ey = c.scale * hy;
            r = Rect{Trunc(x - ex), Trunc(y - ey), Trunc(x + ex), Trunc(y + ey)};
            break;
        }
        case LookSize::kScaledWhole: {
            const f64 ex = Trunc(c.scale * hx);
            const f64 ey = Trunc(c.scale * hy);
            r = Rect{Trunc(x - ex), Trunc(y - ey), Trunc(x + ex), Trunc(y + ey)};
            break;
        }
        case LookSize::kScaledBaseWhole: {
            // The base scaled in single precision, the swing added unscaled.
            const f64 ex = Trunc(static_cast<f64>(c.scale * hx) + static_cast<f64>(s.pulseX) * wave);
            const f64 ey = Trunc(static_cast<f64>(c.scale * hy) + static_cast<f64>(s.pulseY) * wave);
            r = Rect{Trunc(x - ex), Trunc(y - ey), Trunc(x + ex), Trunc(y + ey)};
            break;
        }
        case LookSize::kUnequal: r = Rect{Trunc(x - hx), Trunc(y - hy), Trunc(x + hxRight), Trunc(y + hy)}; break;
    }
    r.left += s.shiftX;
    r.right += s.shiftX;
    r.top += s.shiftY;
    r.bottom += s.shiftY;
    if (s.upsideDown) std::swap(r.top, r.bottom);
    return r;
}

void LookSpriteCentre(const LookContext& c, const LookSprite& s, f32* cx, f32* cy) {
    f32 v[2] = {s.offsetX, s.offsetY};
    switch (s.place) {
        case LookPlace::kTurned: RotateVector2(v, c.parentAngle); break;
        case LookPlace::kTurnedScaled:
            v[0] *= c.scale;
            v[1] *= c.scale;
            RotateVector2(v, c.parentAngle);
            break;
        case LookPlace::kUnturned: break;
        case LookPlace::kScaledUnturned:
            v[0] *= c.scale;
            v[1] *= c.scale;
            break;
    }
    *cx = c.x + v[0];
    *cy = c.y + v[1];
}

void DrawSheetRect(EnemySheet sheet, const Rect& destination, const Rect& source, bool rotated, i32 angle16,
                   u32 colour) {
    if (g_observer) g_observer(LookDrawCall{sheet, destination, source, rotated, rotated ? angle16 : 0, colour});
    // A sheet the stage did not load draws nothing.
    Texture* texture = EnemySheetTexture(sheet);
    if (!texture) return;
    if (rotated) {
        texture->TextureDrawRotated(destination, 0.0f, source, angle16, colour, 1);
    } else {
        texture->TextureDraw(destination, 0.0f, source, colour, 1);
    }
}

bool LookWhenHittable(const LookContext& c) { return c.part->state == 1; }

bool LookUnlessHittable(const LookContext& c) { return c.part->state != 1; }

bool LookUnlessParked(const LookContext& c) { return c.part->state != 2; }

i32 LookBlinkPhase(const LookContext& c) { return (c.frameCounter / 8) % 2; }

void DrawLookSprite(const LookContext& c, const LookSprite& s) {
    if (s.visible && !s.visible(c)) return;
    f32 cx = c.x;
    f32 cy = c.y;
    if (s.offsetX != 0.0f || s.offsetY != 0.0f) LookSpriteCentre(c, s, &cx, &cy);
    const Rect destination = LookSpriteDestination(c, s, cx, cy);
    const Rect source = LookSpriteSource(c, s);
    const u32 colour = LookSpriteColour(c, s);
    switch (s.turn) {
        case LookTurn::kWorld:
            DrawSheetRect(s.sheet, destination, source, true, RadianToAngle(c.worldAngle), colour);
            break;
        case LookTurn::kParent:
            DrawSheetRect(s.sheet, destination, source, true, RadianToAngle(c.parentAngle), colour);
            break;
        case LookTurn::kEnemy:
            DrawSheetRect(s.sheet, destination, source, true, RadianToAngle(c.enemyRotation), colour);
            break;
        case LookTurn::kFlat: DrawSheetRect(s.sheet, destination, source, false, 0, colour); break;
    }
}

void DrawEnemyLayer(i32 layer) {
    for (std::size_t i = 0; i < g_EnemyList.size(); ++i) {
        if (g_EnemyList[i].layer != layer) continue;
        for (const i32 root : g_EnemyList[i].rootParts) {
            EnemyPart* part = PartAt(root);
            if (part == nullptr) break;
            const Enemy& e = g_EnemyList[i];
            const f32 pos[2] = {e.x, e.y};
            const f32 rotation = e.rotation;
            DrawEnemyPart(static_cast<i32>(i), part, pos, &rotation);
        }
    }
}

void DrawEnemyPart(i32 enemy, EnemyPart* part, const f32 parentPos[2], const f32* parentAngle) {
    if (parentPos == nullptr || parentAngle == nullptr) return;
    DrawPartTree(enemy, part, parentPos, *parentAngle, 0);
}
