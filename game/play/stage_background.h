#pragma once
// The picture under the play field: per stage, background surfaces blitted
// with a vertical wrap-around scroll (stage index 2 also pans across a strip
// of images), a parallax that follows the player, the screen shake, cloud
// planes seen through the one stage camera, darkening overlays of the "black"
// texture and the streaks of the star field.
//
// DrawStageBackground works in two halves: BuildBackgroundPlan says what the
// frame draws (it reads the state and changes nothing), DrawBackgroundPlan
// draws it. Tests read the plan. What each stage plans and how it scrolls is
// part of its scenery (StageScenery, stage_dispatch.h), kept in its timeline
// file and made of the pieces below.
#include <vector>

#include "engine/core/types.h"
#include "engine/graphics/texture.h"

class Model;

// The source rectangle of the "black" texture most overlays use.
inline constexpr Rect kBlackOverlaySource{128, 192, 150, 242};
// Every overlay covers the play field.
inline constexpr Rect kPlayFieldRect{120, 0, 520, 480};

// One blit of a background surface (index 0..8 = bg1..bg9) to (x, y).
struct BackgroundBlit {
    i32 surface = 0;
    i32 x = 0;
    i32 y = 0;
    Rect source;
};

// One cloud plane draw: plane 0 is A, 1 is B.
struct CloudDraw {
    i32 plane = 0;
    f32 y = 0;  // ModelSetPosition(0, y, 10)
    f32 u = 0;  // ModelSetUvOffsetU(u)
    f32 v = 0;  // ModelSetUvOffsetV(-v) when setV
    bool setV = true;
};

// What one frame of the background draws, in this order: the blits, the
// clouds, the overlay (when `overlay`), then StarCount streaks.
struct BackgroundPlan {
    std::vector<BackgroundBlit> blits;
    std::vector<CloudDraw> clouds;
    bool overlay = false;
    Rect overlaySource;
    u32 overlayColour = 0;
};

// The horizontal parallax P in pixels: -trunc((320 - player x) / zoom).
i32 BackgroundParallax();
// The shake offset of this frame (0 without shake).
i32 BackgroundShake();

// The pieces of a stage's plan and scroll.
// The vertical pair (F, G) at scroll y with source columns left..right, its
// left edge at screen column x: F's top rows fill the field below y, G's
// bottom rows the field above it.
void AddBackgroundPair(BackgroundPlan& plan, i32 f, i32 g, i32 x, i32 y, i32 left, i32 right);
// The usual pair: the field x 120..520 from source columns o + 120..o + 520.
void AddFieldPair(BackgroundPlan& plan, i32 f, i32 g, i32 y, i32 o);
// The overlay: `source` of the "black" texture in colour (alpha, rgb).
void SetBackgroundOverlay(BackgroundPlan& plan, const Rect& source, u32 alpha, u32 rgb);
// u of a cloud plane: the drift over `period` frames (none for 0) less the
// player's offset from the middle, (320 - x) / zoom / 640.
f32 CloudU(i32 period);
// v of a scrolling cloud plane: the scroll over its wrap, minus 1 above 1.
f32 CloudV(i32 wrap);
// A cloud plane at y with u = CloudU(period) and its V offset v.
void AddCloud(BackgroundPlan& plan, i32 plane, i32 period, f32 v, f32 y);
// Adds `step` to the vertical scroll and wraps it at `wrap`.
void ScrollBackgroundBy(i32 step, i32 wrap);

// One frame of the scroll (stage update, after the star field): the stage's
// scroll routine, nothing for a stage without one.
void UpdateBackgroundScroll();
// First thing of the play picture.
void DrawStageBackground();
// The stage's plan of this frame; an empty plan for a stage without one.
BackgroundPlan BuildBackgroundPlan();
void DrawBackgroundPlan(const BackgroundPlan& plan);

// The run-long orthographic stage camera (made by GameMain at start, released
// at exit and by the Escape hook; a second release does nothing).
void CreateStageCamera();
void ReleaseStageCamera();
// Whether the stage camera exists (tests).
bool StageCameraExists();

// A cloud plane for LoadStage: a 320 x 240 plane of 2 x 2 vertices carrying
// `cloud`, unlit.
Model* CreateCloudPlane(Texture* cloud);
void ReleaseCloudPlane(Model*& plane);
void RenderCloudPlane(Model* plane, const CloudDraw& draw);
