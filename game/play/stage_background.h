#pragma once
// The picture under the play field: per stage, background surfaces blitted
// with a vertical wrap-around scroll (stage index 2 also pans across a strip
// of images), a parallax that follows the player, the screen shake, cloud
// planes seen through the one stage camera, darkening overlays of the "black"
// texture and the streaks of the star field.
//
// DrawStageBackground works in two halves: BuildBackgroundPlan says what the
// frame draws (it reads the state and changes nothing), DrawBackgroundPlan
// draws it. Tests read the plan.
#include <vector>

#include "engine/core/types.h"
#include "engine/graphics/texture.h"

class Model;

// Source rectangles of the "black" texture the overlays use.
inline constexpr Rect kBlackOverlaySource{128, 192, 150, 242};
inline constexpr Rect kBlackOverlaySourceStage2{128, 128, 150, 150};
inline constexpr Rect kBlackOverlaySourceStage5{192, 128, 222, 158};
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
    f32 y = 0;       // ModelSetPosition(0, y, 10)
    f32 u = 0;       // ModelSetUvOffsetU(u)
    f32 v = 0;       // ModelSetUvOffsetV(-v) when setV
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
// Colour word of stage index 2's overlays (0 when none is drawn): section 34,
// and section 33 above scroll 240.
u32 Stage3OverlayColour(i32 section, i32 scrollY);

// The scroll's step per frame in stage index 4 in that background section
// (the scroll wraps at 960).
i32 Stage5ScrollStep(i32 section);

// One frame of the scroll (stage update, after the star field).
void UpdateBackgroundScroll();
// First thing of the play picture.
void DrawStageBackground();
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
