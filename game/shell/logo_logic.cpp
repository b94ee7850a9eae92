#include "game/shell/game_main.h"
#include "game/shell/input.h"
#include "game/shell/logo_scene.h"
#include "game/shell/shell_graphics.h"
#include "game/shell/transition.h"

i32 LogoState = kLogoNotice;
i32 LogoTimer = 0;
u8 LogoSkipRequested = 0;
u8 LogoLeaveRequested = 0;
i32 LogoKeyStates[8] = {};
LogoImages g_LogoImages;

namespace {

void StepLogoState() {
    switch (LogoState) {
    case kLogoNotice:
        // Restarted every frame, so the play field stays covered; the last
        // restart uncovers the first logo slowly.
        StartTransition(kTransitionFadeUncover);
        TransitionState.speed = 0.01f;
        if (LogoTimer == 100) {
            LogoState = kLogoMaker1;
            LogoTimer = 0;
        }
        break;
    case kLogoMaker1:
        if (LogoTimer > 170) {
            StartTransition(kTransitionFadeCover);
            LogoState = kLogoMaker1Out;
        }
        break;
    case kLogoMaker1Out:
        if (!TransitionRunning()) {
            LogoState = kLogoMaker2;
            LogoTimer = 0;
            StartTransition(kTransitionFadeUncover);
        }
        break;
    case kLogoMaker2:
        if (LogoTimer > 170) {
            StartTransition(kTransitionFadeCover);
            LogoState = kLogoMaker2Out;
        }
        break;
    case kLogoMaker2Out:
        if (!TransitionRunning()) {
            LogoState = kLogoTitle;
            LogoTimer = 0;
            StartTransition(kTransitionFadeUncover);
        }
        break;
    case kLogoTitle:
        if (LogoTimer > 200) {
            StartTransition(kTransitionClose);
            LogoState = kLogoTitleOut;
        }
        break;
    case kLogoTitleOut:
        if (!TransitionRunning()) LogoLeaveRequested = 1;
        break;
    default:
        break;
    }
}

}  // namespace

void StepLogo() {
    if (!LogoSkipRequested) {
        StepLogoState();
        if (LogoKeyStates[kKeyZ] == kKeyPressed && LogoState != kLogoTitleOut && LogoState != kLogoNotice) {
            LogoSkipRequested = 1;
            StartTransition(kTransitionClose);
        }
    }
    if (LogoSkipRequested) {
        if (!TransitionRunning()) LogoLeaveRequested = 1;
    } else {
        ++LogoTimer;
    }
}

Surface* LogoPicture() {
    switch (LogoState) {
    case kLogoMaker1:
    case kLogoMaker1Out:
        return g_LogoImages.maker1;
    case kLogoMaker2:
    case kLogoMaker2Out:
        return g_LogoImages.maker2;
    case kLogoTitle:
    case kLogoTitleOut:
        return g_LogoImages.title;
    default:
        return nullptr;
    }
}

void LeaveLogo() {
    ReleaseImage(g_LogoImages.notice);
    ReleaseImage(g_LogoImages.maker1);
    ReleaseImage(g_LogoImages.maker2);
    ReleaseImage(g_LogoImages.title);
    ChangeScene(kSceneTitle);
}
