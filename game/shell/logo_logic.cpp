#include "game/shell/game_main.h"
#include "game/shell/input.h"
#include "game/shell/logo_scene.h"
#include "game/shell/shell_graphics.h"
#include "game/shell/transition.h"

LogoSceneState g_Logo;

namespace {

void StepLogoState() {
    switch (g_Logo.LogoState) {
        case kLogoNotice:
            // Restarted every frame, so the play field stays covered; the last
            // restart uncovers the first logo slowly.
            StartTransition(kTransitionFadeUncover);
            TransitionState.speed = 0.01f;
            if (g_Logo.LogoTimer == 100) {
                g_Logo.LogoState = kLogoMaker1;
                g_Logo.LogoTimer = 0;
            }
            break;
        case kLogoMaker1:
            if (g_Logo.LogoTimer > 170) {
                StartTransition(kTransitionFadeCover);
                g_Logo.LogoState = kLogoMaker1Out;
            }
            break;
        case kLogoMaker1Out:
            if (!TransitionRunning()) {
                g_Logo.LogoState = kLogoMaker2;
                g_Logo.LogoTimer = 0;
                StartTransition(kTransitionFadeUncover);
            }
            break;
        case kLogoMaker2:
            if (g_Logo.LogoTimer > 170) {
                StartTransition(kTransitionFadeCover);
                g_Logo.LogoState = kLogoMaker2Out;
            }
            break;
        case kLogoMaker2Out:
            if (!TransitionRunning()) {
                g_Logo.LogoState = kLogoTitle;
                g_Logo.LogoTimer = 0;
                StartTransition(kTransitionFadeUncover);
            }
            break;
        case kLogoTitle:
            if (g_Logo.LogoTimer > 200) {
                StartTransition(kTransitionClose);
                g_Logo.LogoState = kLogoTitleOut;
            }
            break;
        case kLogoTitleOut:
            if (!TransitionRunning()) g_Logo.LogoLeaveRequested = 1;
            break;
        default: break;
    }
}

}  // namespace

void StepLogo() {
    if (!g_Logo.LogoSkipRequested) {
        StepLogoState();
        if (g_Logo.LogoKeyStates[kKeyZ] == kKeyPressed && g_Logo.LogoState != kLogoTitleOut &&
            g_Logo.LogoState != kLogoNotice) {
            g_Logo.LogoSkipRequested = 1;
            StartTransition(kTransitionClose);
        }
    }
    if (g_Logo.LogoSkipRequested) {
        if (!TransitionRunning()) g_Logo.LogoLeaveRequested = 1;
    } else {
        ++g_Logo.LogoTimer;
    }
}

Surface* LogoPicture() {
    switch (g_Logo.LogoState) {
        case kLogoMaker1:
        case kLogoMaker1Out: return g_Logo.images.maker1;
        case kLogoMaker2:
        case kLogoMaker2Out: return g_Logo.images.maker2;
        case kLogoTitle:
        case kLogoTitleOut: return g_Logo.images.title;
        default: return nullptr;
    }
}

void LeaveLogo() {
    ReleaseImage(g_Logo.images.notice);
    ReleaseImage(g_Logo.images.maker1);
    ReleaseImage(g_Logo.images.maker2);
    ReleaseImage(g_Logo.images.title);
    ChangeScene(kSceneTitle);
}
