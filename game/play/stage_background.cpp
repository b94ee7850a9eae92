#include "game/play/stage_background.h"

#include <algorithm>

#include "engine/graphics/draw2d.h"
#include "engine/graphics/surface.h"
#include "game/play/stage_dispatch.h"
#include "game/play/stage_textures.h"
#include "game/shell/play_state.h"
#include "game/shell/shell_graphics.h"

namespace {

GameState& G() { return g_GameState; }

f32 PlayerX() { return g_PlayerState[0].x; }

Texture* BlackOverlayTexture() { return BlackTexture; }

}  // namespace

void AddBackgroundPair(BackgroundPlan& plan, i32 f, i32 g, i32 x, i32 y, i32 left, i32 right) {
    plan.blits.push_back({f, x, y, Rect{left, 0, right, 480 - y}});
    plan.blits.push_back({g, x, 0, Rect{left, 480 - y, right, 480}});
}

void AddFieldPair(BackgroundPlan& plan, i32 f, i32 g, i32 y, i32 o) {
    AddBackgroundPair(plan, f, g, 120, y, o + 120, o + 520);
}

void SetBackgroundOverlay(BackgroundPlan& plan, const Rect& source, u32 alpha, u32 rgb) {
    plan.overlay = true;
    plan.overlaySource = source;
    plan.overlayColour = (alpha << 24) | (rgb & 0xFFFFFFu);
}

f32 CloudU(i32 period) {
    const f32 drift = period > 0 ? static_cast<f32>(G().FrameCounter % period) / static_cast<f32>(period) : 0.0f;
    return drift - ((320.0f - PlayerX()) / G().BackgroundZoom) / 640.0f;
}

f32 CloudV(i32 wrap) {
    f32 v = static_cast<f32>(G().BackgroundScrollY) / static_cast<f32>(wrap);
    if (v > 1.0f) v -= 1.0f;
    return v;
}

void AddCloud(BackgroundPlan& plan, i32 plane, i32 period, f32 v, f32 y) {
    plan.clouds.push_back({plane, y, CloudU(period), v, true});
}

void ScrollBackgroundBy(i32 step, i32 wrap) {
    G().BackgroundScrollY += step;
    if (G().BackgroundScrollY >= wrap) G().BackgroundScrollY -= wrap;
}

i32 BackgroundParallax() { return -static_cast<i32>((320.0f - PlayerX()) / G().BackgroundZoom); }

i32 BackgroundShake() {
    const i32 timer = G().ScreenShakeTimer;
    if (timer == 0) return 0;
    return (G().FrameCounter / 3) % 2 == 0 ? timer / 3 : -(timer / 3);
}

void UpdateBackgroundScroll() {
    const StageScenery* scenery = FindStageScenery(G().StageIndex);
    if (scenery && scenery->scrollBackground) scenery->scrollBackground();
}

BackgroundPlan BuildBackgroundPlan() {
    BackgroundPlan plan;
    const StageScenery* scenery = FindStageScenery(G().StageIndex);
    if (scenery && scenery->planBackground) scenery->planBackground(plan);
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
