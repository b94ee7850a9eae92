#include "game/play/stage_background.h"

#include <algorithm>
#include <cmath>

#include "engine/graphics/draw2d.h"
#include "engine/graphics/surface.h"
#include "game/play/stage_textures.h"
#include "game/shell/play_state.h"
#include "game/shell/shell_graphics.h"

namespace {

GameState& G() { return g_GameState; }

// The vertical pair (F, G) at scroll y with source columns left..right: F's
// top rows fill the field below y, G's bottom rows the field above it.
void AddPair(BackgroundPlan& plan, i32 f, i32 g, i32 x, i32 y, i32 left, i32 right) {
    plan.blits.push_back({f, x, y, Rect{left, 0, right, 480 - y}});
    plan.blits.push_back({g, x, 0, Rect{left, 480 - y, right, 480}});
}

// The usual pair: the field x 120..520 from source columns o + 120..o + 520.
void AddFieldPair(BackgroundPlan& plan, i32 f, i32 g, i32 y, i32 o) {
    AddPair(plan, f, g, 120, y, o + 120, o + 520);
}

void SetOverlay(BackgroundPlan& plan, const Rect& source, u32 alpha, u32 rgb) {
    plan.overlay = true;
    plan.overlaySource = source;
    plan.overlayColour = (alpha << 24) | (rgb & 0xFFFFFFu);
}

f32 PlayerX() { return g_PlayerState[0].x; }

// u of a cloud plane: the drift over T frames against the player's offset.
f32 CloudU(i32 period) {
    const f32 drift = period > 0 ? static_cast<f32>(G().FrameCounter % period) / static_cast<f32>(period) : 0.0f;
    return drift - ((320.0f - PlayerX()) / G().BackgroundZoom) / 640.0f;
}

// v of a scrolling cloud plane: the scroll over its wrap, minus 1 above 1.
f32 CloudV(i32 wrap) {
    f32 v = static_cast<f32>(G().BackgroundScrollY) / static_cast<f32>(wrap);
    if (v > 1.0f) v -= 1.0f;
    return v;
}

void AddCloud(BackgroundPlan& plan, i32 plane, i32 period, f32 v, f32 y) {
    plan.clouds.push_back({plane, y, CloudU(period), v, true});
}

void CloudsStage1(BackgroundPlan& plan) {
    const i32 section = G().BackgroundSection;
    const i32 scroll = G().BackgroundScrollY;
    if (section == 3) {
        AddCloud(plan, 0, 3840, 0.0f, static_cast<f32>(-(scroll / 2)));
    } else if (section != 4) {
        AddCloud(plan, 0, 3840, CloudV(480), 0.0f);
    }
    if (section == 1) {
        // Plane B keeps its V offset and takes only the player's term of u.
        CloudDraw b;
        b.plane = 1;
        b.y = -0.5f * static_cast<f32>(G().FrameCounter);
        b.u = 0.0f - ((320.0f - PlayerX()) / G().BackgroundZoom) / 640.0f;
        b.setV = false;
        plan.clouds.push_back(b);
    }
}

void CloudsStage2(BackgroundPlan& plan) {
    const i32 scroll = G().BackgroundScrollY;
    if (G().BackgroundSection == 4) {
        AddCloud(plan, 0, 3840, 0.0f, 240.0f - 0.25f * static_cast<f32>(scroll));
    } else if (G().BackgroundSection == 5) {
        AddCloud(plan, 0, 3840, CloudV(960), 0.0f);
    }
}

void CloudsStage5(BackgroundPlan& plan) {
    const i32 section = G().BackgroundSection;
    const f32 low = 240.0f - 0.25f * static_cast<f32>(G().BackgroundScrollY);
    switch (section) {
        case 0: AddCloud(plan, 0, 2400, CloudV(960), 0.0f); break;
        case 1: AddCloud(plan, 0, 2400, 0.0f, -0.25f * static_cast<f32>(G().BackgroundScrollY)); break;
        case 2:
        case 3: break;
        case 4: AddCloud(plan, 0, 960, 0.0f, low); break;
        case 5:
            AddCloud(plan, 1, 3600, 0.0f, low);
            AddCloud(plan, 0, 960, CloudV(960), 0.0f);
            break;
        default:
            if (section >= 6) {
                AddCloud(plan, 1, 3600, CloudV(960), 0.0f);
                AddCloud(plan, 0, 960, CloudV(960), 0.0f);
            } else {
                AddCloud(plan, 0, 2400, CloudV(960), 0.0f);
            }
            break;
    }
}

void PlanStage1(BackgroundPlan& plan) {
    const i32 o = BackgroundParallax() + BackgroundShake();
    const i32 y = G().BackgroundScrollY;
    switch (G().BackgroundSection) {
        case 0: AddFieldPair(plan, 0, 0, y, o); break;
        case 1: AddFieldPair(plan, 0, 1, y, o); break;
        case 2: AddFieldPair(plan, 1, 1, y, o); break;
        case 3: AddFieldPair(plan, 1, 2, y, o); break;
        default:
            // Negative sections do not occur; they show the first image.
            if (G().BackgroundSection < 0) AddFieldPair(plan, 0, 0, y, o);
            else AddFieldPair(plan, 2, 2, y, o);
            break;
    }
    CloudsStage1(plan);
    if (G().FrameCounter < 500) {
        const i32 alpha = std::max(0, 255 - 10 * (G().FrameCounter / 5));
        SetOverlay(plan, kBlackOverlaySource, static_cast<u32>(alpha), 0xFFFFFF);
    }
}

void PlanStage2(BackgroundPlan& plan) {
    const i32 o = BackgroundParallax() + BackgroundShake();
    const i32 y = G().BackgroundScrollY / 2;
    const i32 section = G().BackgroundSection;
    switch (section) {
        case 1: AddFieldPair(plan, 0, 1, y, o); break;
        case 2: AddFieldPair(plan, 1, 2, y, o); break;
        case 3: AddFieldPair(plan, 2, 2, y, o); break;
        case 4: AddFieldPair(plan, 2, 3, y, o); break;
        case 5: AddFieldPair(plan, 3, 3, y, o); break;
        default: AddFieldPair(plan, 0, 0, y, o); break;
    }
    if (section == 4 || section == 5) {
        CloudsStage2(plan);
        u32 alpha = 160;
        if (section == 4) alpha = y < 120 ? 40 : y < 240 ? 80 : y < 360 ? 120 : 160;
        SetOverlay(plan, kBlackOverlaySourceStage2, alpha, 0xFFFFFF);
    }
}

void PlanStage3(BackgroundPlan& plan) {
    const i32 o = BackgroundParallax() + BackgroundShake() + G().BackgroundScrollX;
    const i32 y = G().BackgroundScrollY;
    const i32 section = G().BackgroundSection;
    // Left column: source columns o + 120 .. min(o + 520, 640) at the field's left edge.
    i32 f = 0, g = 0;
    switch (section) {
        case 40: f = 8; g = 6; break;
        case 41: f = 6; g = 7; break;
        case 42:
        case 43:
        case 44:
        case 45: f = 7; g = 7; break;
        case 50: f = 0; g = 8; break;
        case 51: f = 8; g = 8; break;
        default: f = 0; g = 0; break;
    }
    AddPair(plan, f, g, 120, y, o + 120, std::min(o + 520, 640));
    // Right column: the next image of the strip, whose column 0 sits at
    // screen x 640 - o.
    switch (section) {
        case 30: f = 1; g = 2; break;
        case 31: f = 2; g = 3; break;
        case 32: f = 3; g = 3; break;
        case 33: f = 3; g = 4; break;
        case 34: f = 4; g = 5; break;
        case 35: f = 5; g = 5; break;
        default: f = 1; g = 1; break;
    }
    i32 x = 640 - o;
    i32 left = 0;
    if (x < 0) {
        left = -x;
        x = 0;
    }
    const i32 right = o - 120;
    if (right > left) AddPair(plan, f, g, x, y, left, right);
    const u32 colour = Stage3OverlayColour(section, y);
    if (colour != 0) {
        plan.overlay = true;
        plan.overlaySource = kBlackOverlaySource;
        plan.overlayColour = colour;
    }
}

void PlanStage4(BackgroundPlan& plan) {
    const i32 o = std::clamp(G().BackgroundScrollX + BackgroundParallax() + BackgroundShake(), -120, 120);
    AddFieldPair(plan, 0, 0, G().BackgroundScrollY, o);
    const i32 alpha = static_cast<i32>(G().StarCount * 0.005 * 150);
    SetOverlay(plan, kBlackOverlaySource, static_cast<u32>(std::clamp(alpha, 0, 255)), 0xC8C8C8);
}

void PlanStage5(BackgroundPlan& plan) {
    const i32 o = BackgroundParallax() + BackgroundShake();
    const i32 y = G().BackgroundScrollY / 2;
    const i32 section = G().BackgroundSection;
    switch (section) {
        case 0: AddFieldPair(plan, 0, 0, y, o); break;
        case 1: AddFieldPair(plan, 0, 1, y, o); break;
        case 2: AddFieldPair(plan, 1, 2, y, o); break;
        case 3:
        case 4: AddFieldPair(plan, 2, 2, y, o); break;
        case 5: AddFieldPair(plan, 2, 3, y, o); break;
        case 6: AddFieldPair(plan, 3, 4, y, o); break;
        default:
            if (section < 0) AddFieldPair(plan, 0, 0, y, o);
            else AddFieldPair(plan, 4, 4, y, o);
            break;
    }
    CloudsStage5(plan);
    const i32 alpha = std::min(G().FrameCounter / 80 + 50, 150);
    SetOverlay(plan, kBlackOverlaySourceStage5, static_cast<u32>(std::max(alpha, 0)), 0xFFFFFF);
}

// Adds `step` to the vertical scroll and wraps it at `wrap`.
void ScrollBy(i32 step, i32 wrap) {
    G().BackgroundScrollY += step;
    if (G().BackgroundScrollY >= wrap) G().BackgroundScrollY -= wrap;
}

f32 PanZoom() { return 2.0f + static_cast<f32>(G().BackgroundScrollX) * 0.003125f; }

void ScrollStage3() {
    i32 step = 4;
    switch (G().BackgroundSection) {
        case 19: case 35: case 43: case 49: step = 6; break;
        case 34: case 42: step = 5; break;
        case 32: step = 3; break;
        case 44: step = 7; break;
        case 45: step = 8; break;
        default: break;
    }
    ScrollBy(step, 480);

    const i32 phase = G().StageScriptPhase;
    if (phase == 16 && G().FrameCounter <= 400) {
        G().BackgroundZoom = PanZoom();
        return;
    }
    if (phase == 23) {
        if (G().BackgroundScrollX > 0) --G().BackgroundScrollX;
        G().BackgroundZoom = 3.0f;
        return;
    }
    if (phase == 16 || phase == 18 || phase == 20 || phase == 24) {
        if (G().BackgroundScrollX < 640) ++G().BackgroundScrollX;
    } else if (phase == 21 || phase == 22) {
        if (G().BackgroundScrollX < 320) ++G().BackgroundScrollX;
        else if (G().BackgroundScrollX > 320) --G().BackgroundScrollX;
    }
    if (phase == 25) {
        G().BackgroundZoom = 3.0f;
    } else if (phase == 29) {
        if (G().BackgroundZoom > 2.0f) G().BackgroundZoom -= 0.0025f;
    } else {
        G().BackgroundZoom = PanZoom();
    }
}

Texture* BlackOverlayTexture() { return BlackTexture; }

}  // namespace

i32 BackgroundParallax() {
    return -static_cast<i32>((320.0f - PlayerX()) / G().BackgroundZoom);
}

i32 BackgroundShake() {
    const i32 timer = G().ScreenShakeTimer;
    if (timer == 0) return 0;
    return (G().FrameCounter / 3) % 2 == 0 ? timer / 3 : -(timer / 3);
}

u32 Stage3OverlayColour(i32 section, i32 scrollY) {
    constexpr u32 kTint = 0xFFFFF0u;  // RGB (255, 255, 240)
    if (section == 34) {
        const i32 v = static_cast<i32>(200.0f - static_cast<f32>(scrollY) / 480.0f * 150.0f);
        const i32 alpha = std::clamp(15 * (v / 15), 0, 255);
        return (static_cast<u32>(alpha) << 24) | kTint;
    }
    if (section == 33 && scrollY > 240) {
        // The darkening rises in steps of 12 over the second half of the
        // section and stays at full black once it gets there (the plain
        // shift would carry past the alpha byte near the end).
        const i32 v = static_cast<i32>(static_cast<f32>(scrollY - 240) / 240.0f * 150.0f);
        const i32 alpha = std::clamp(12 * (v / 6), 0, 255);
        return static_cast<u32>(alpha) << 24;
    }
    return 0;
}

i32 Stage5ScrollStep(i32 section) {
    switch (section) {
        case 0: return 3;
        case 1: return 5;
        case 2: return 4;
        case 4: return 2;
        case 5: return 3;
        case 6: return 4;
        case 7: return 6;
        case 8: return 8;
        case 9: return 12;
        default: return 1;
    }
}

void UpdateBackgroundScroll() {
    const i32 section = G().BackgroundSection;
    switch (G().StageIndex) {
        case 0: ScrollBy(1, 480); break;
        case 1: ScrollBy(section >= 0 && section <= 2 ? 2 : 1, 960); break;
        case 2: ScrollStage3(); break;
        case 3: ScrollBy(1, 480); break;
        case 4: ScrollBy(Stage5ScrollStep(section), 960); break;
        default: break;
    }
}

BackgroundPlan BuildBackgroundPlan() {
    BackgroundPlan plan;
    switch (G().StageIndex) {
        case 0: PlanStage1(plan); break;
        case 1: PlanStage2(plan); break;
        case 2: PlanStage3(plan); break;
        case 3: PlanStage4(plan); break;
        case 4: PlanStage5(plan); break;
        default: break;
    }
    return plan;
}

void DrawBackgroundPlan(const BackgroundPlan& plan) {
    for (const BackgroundBlit& b : plan.blits) {
        if (b.surface < 0 || b.surface >= 9) continue;
        if (Surface* s = g_StageTextures.bg[b.surface]) {
            s->SurfaceBlit(b.x, b.y, b.source.left, b.source.top, b.source.right, b.source.bottom);
        }
    }
    for (const CloudDraw& c : plan.clouds) {
        if (c.plane >= 0 && c.plane < 2) RenderCloudPlane(g_StageTextures.plane[c.plane], c);
    }
    if (plan.overlay) {
        if (Texture* black = BlackOverlayTexture()) {
            black->TextureDraw(kPlayFieldRect, 0.0f, plan.overlaySource, plan.overlayColour, 1);
        }
    }
    Begin2D(1);
    const i32 count = std::clamp(G().StarCount, 0, kStarFieldSize);
    for (i32 i = 0; i < count; ++i) {
        const f32 x = G().StarField[i].x;
        const f32 y = G().StarField[i].y;
        DrawLine2D(x, y, x + 5.0f, y + 20.0f, 0xC8FFFFFFu);
        DrawLine2D(x + 1.0f, y, x + 6.0f, y + 20.0f, 0xC8FFFFFFu);
    }
    End2D();
}

void DrawStageBackground() { DrawBackgroundPlan(BuildBackgroundPlan()); }
