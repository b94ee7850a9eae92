#pragma once
// Scene 0, the first scene of every start: a notice strip on black, two maker
// logos and the title picture, each faded in and out, then the title scene.
// Z skips the rest at any time after the notice.
#include "engine/core/types.h"
#include "engine/graphics/surface.h"
#include "engine/graphics/texture.h"

enum LogoStateId : i32 {
    kLogoNotice = 49,
    kLogoMaker1 = 10,
    kLogoMaker1Out = 15,
    kLogoMaker2 = 20,
    kLogoMaker2Out = 25,
    kLogoTitle = 90,
    kLogoTitleOut = 95,
};

struct LogoImages {
    Surface* maker1 = nullptr;  // "logo_morvale"
    Surface* maker2 = nullptr;  // "logo_qorit"
    Surface* title = nullptr;   // "logo_title"
    Texture* notice = nullptr;  // "op": the notice strip
};

// The logo scene's state and images.
struct LogoSceneState {
    i32 LogoState = kLogoNotice;
    i32 LogoTimer = 0;
    u8 LogoSkipRequested = 0;
    u8 LogoLeaveRequested = 0;
    i32 LogoKeyStates[8] = {};
    LogoImages images;
};
extern LogoSceneState g_Logo;

void InitializeLogo();
void LeaveLogo();
void DrawLogo();
void LogoFrame();

// The frame's update after the draw and the keys: the state's step, the skip
// by Z and the timer.
void StepLogo();
// The picture of the current state (null in the notice state).
Surface* LogoPicture();
