#include "engine/graphics/device.h"
#include "game/shell/game_main.h"
#include "game/shell/input.h"
#include "game/shell/logo_scene.h"
#include "game/shell/music.h"
#include "game/shell/scene_frame.h"
#include "game/shell/shell_graphics.h"
#include "game/shell/transition.h"

void InitializeLogo() {
    for (i32& k : g_Logo.LogoKeyStates) k = 0;
    g_Logo.LogoState = kLogoNotice;
    g_Logo.LogoTimer = 0;
    g_Logo.LogoSkipRequested = 0;
    g_Logo.LogoLeaveRequested = 0;
    g_Logo.images.maker1 = CreateSurface("vsk2.dat", "logo_morvale", 1, nullptr);
    g_Logo.images.maker2 = CreateSurface("vsk2.dat", "logo_qorit", 1, nullptr);
    g_Logo.images.title = CreateSurface("vsk2.dat", "logo_title", 1, nullptr);
    g_Logo.images.notice = CreateTexture("vsk1.dat", "op", 1, nullptr);
    StartTransition(kTransitionFadeUncover);
    RequestMusic(0);
    SceneInitRequest = 0;
}

void DrawLogo() {
    if (!BeginScene()) {
        Present();
        return;
    }
    ClearScreen(0xFF000000u);
    if (Surface* picture = LogoPicture()) picture->SurfaceBlit(0, 0, 0, 0, 640, 480);
    if (BlackTexture) {
        const Rect bar{130, 0, 150, 20};
        BlackTexture->TextureDraw({120, 0, 520, 100}, 0.0f, bar, 0xFFFFFFFFu, 1);
        BlackTexture->TextureDraw({120, 380, 520, 480}, 0.0f, bar, 0xFFFFFFFFu, 1);
    }
    DrawTransition();
    if (g_Logo.LogoState == kLogoNotice && g_Logo.images.notice) {
        g_Logo.images.notice->TextureDraw({270, 405, 510, 435}, 0.0f, {0, 400, 239, 429}, 0xFFFFFFFFu, 2);
    }
    DrawSidePanels();
    EndScene();
    Present();
}

void LogoFrame() {
    static constexpr SceneFrameSteps kSteps{
        .enter = InitializeLogo,
        .order = SceneFrameOrder::kDrawThenKeys,
        .draw = DrawLogo,
        .takeKeys = [](const u8 bits[2]) { UpdateKeyStates(bits, g_Logo.LogoKeyStates); },
        .step = StepLogo,
        .leaving = [] { return g_Logo.LogoLeaveRequested != 0; },
        .leave = LeaveLogo,
    };
    RunSceneSteps(kSteps);
}
