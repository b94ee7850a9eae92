#include <algorithm>
#include <cstdio>

#include "engine/core/angle.h"
#include "engine/graphics/device.h"
#include "game/shell/ending_scene.h"
#include "game/shell/game_main.h"
#include "game/shell/input.h"
#include "game/shell/scene_frame.h"
#include "game/shell/shell_graphics.h"
#include "game/shell/transition.h"

namespace {

constexpr u32 kWhite = 0xFFFFFFFFu;
constexpr Rect kCaptionPlace{145, 176, 495, 304};

// An alpha kept within 0..255 over white.
u32 Faded(i32 a) {
    a = std::clamp(a, 0, 255);
    return (static_cast<u32>(a) << 24) | 0xFFFFFFu;
}

void Draw(Texture* texture, const Rect& destination, const Rect& source, u32 colour, i32 mode = 1) {
    if (texture) texture->TextureDraw(destination, 0.0f, source, colour, mode);
}

void Blit(Surface* surface, i32 x, i32 y, const Rect& source) {
    if (surface) surface->SurfaceBlit(x, y, source.left, source.top, source.right, source.bottom);
}

// Caption n (from 1) of a caption image: a 350 x 128 strip.
void DrawCaption(Texture* texture, i32 n, i32 a) {
    Draw(texture, kCaptionPlace, {0, 128 * (n - 1), 349, 128 * n - 1}, Faded(a));
}

void DrawPictureAndCaptions() {
    const EndingImages& im = g_Ending.images;
    const i32 t = g_Ending.EndingPhaseTimer;
    switch (g_Ending.EndingPhase) {
        case 10:
        case 11:
            Blit(im.pictures[0], 20 + t / 10, 40, {0, 0, 540, 430});
            Draw(im.overlay, {64, -16, 576, 496}, {0, 0, 512, 512}, kWhite);
            DrawCaption(im.captions1, 1, 5 * t);
            break;
        case 20:
        case 21:
            Blit(im.pictures[1], 0, 80 - t / 10, {0, 0, 640, 400 + t / 10});
            DrawCaption(im.captions1, 2, 5 * t);
            break;
        case 30:
        case 31:
            Blit(im.pictures[2], 120 - t / 10, 0, {100, 0, 640, 480});
            DrawCaption(im.captions1, 3, 5 * t);
            break;
        case 40:
        case 41:
            Blit(im.pictures[3], 0, 100 - t / 10, {0, 0, 640, 380 + t / 10});
            DrawCaption(im.captions1, 4, 5 * t);
            break;
        case 52:
        case 53:
            Blit(im.pictures[4], 0, 0, {0, 0, 640, 480});
            DrawCaption(im.text, 1, 5 * t);
            break;
        case 54:
        case 55:
            Blit(im.own, 0, 0, {0, 0, 640, 480});
            DrawCaption(im.text, 2, t > 600 ? 5 * t - 200 - 5 * (t - 600) : 5 * t - 200);
            break;
        case 60:
        case 61:
            Blit(im.pictures[5], 120 - t / 10, 0, {100, 0, 640, 480});
            DrawCaption(im.captions2, 1, 5 * t);
            break;
        case 70:
        case 71:
            Blit(im.pictures[6], 0, 100, {0, 550 - t / 4, 640, 910 - t / 4});
            DrawCaption(im.captions2, 2, t > 750 ? 1755 - 2 * t : 5 * t);
            DrawCaption(im.captions2, 3, t > 1030 ? 3 * (1115 - t) : 2 * t - 1600);
            break;
        case 80:
        case 81: ClearScreen(0xFF000000u); break;
        case kEndingCredits:
        case kEndingCreditsFade: {
            ClearScreen(0xFF000000u);
            const i32 c = std::min(140 + t / 15, 340);
            Draw(im.lastTexture, {64, c - 256, 576, c + 256}, {0, 0, 511, 511}, Faded(std::min(t / 15, 140)));
            struct Strip {
                Rect source;
                Rect destination;
                i32 k;
                i32 until;
            };
            static constexpr Strip kStrips[] = {
                {{0, 0, 349, 39}, {145, 220, 495, 260}, 0, 360},
                {{0, 40, 349, 99}, {145, 210, 495, 270}, 1800, 720},
                {{0, 100, 349, 139}, {145, 220, 495, 260}, 3750, 1100},
                {{0, 140, 349, 199}, {145, 210, 495, 270}, 5500, 1400},
                {{0, 200, 349, 259}, {145, 210, 495, 270}, 7500, 2000},
                {{0, 260, 349, 299}, {145, 220, 495, 260}, 10100, 2200},
                {{0, 300, 349, 369}, {145, 205, 495, 275}, 11100, 2550},
                {{0, 370, 349, 429}, {145, 210, 495, 270}, 12850, 2850},
            };
            for (const Strip& s : kStrips) {
                const i32 a = t > s.until ? 5 * (s.until + 51 - t) : 5 * t - s.k;
                Draw(im.credits, s.destination, s.source, Faded(a), 2);
            }
            break;
        }
        default: break;
    }
}

// The credit ticker: a 200 x 50 strip entering at the right every 250 frames.
void DrawTicker() {
    for (i32 k = 0; k <= 12; ++k) {
        const i32 d = g_Ending.EndingFrameCount - 250 * k;
        if (d <= 0 || d >= 700) continue;
        const i32 sx = 200 * (k / 10);
        const i32 sy = 50 * (k % 10);
        Draw(g_Ending.images.ticker, {640 - d, 405, 839 - d, 455}, {sx, sy, sx + 199, sy + 49}, kWhite, 2);
    }
}

}  // namespace

void InitializeEnding() {
    ResetEndingSequence();
    EndingImages& im = g_Ending.images;
    char name[16];
    for (int i = 0; i < 7; ++i) {
        std::snprintf(name, sizeof name, "bgp_ed%02d", i + 1);
        im.pictures[i] = CreateSurface("vsk2.dat", name, 1, nullptr);
    }
    im.overlay = CreateTexture("vsk1.dat", "bgp_ed08", 1, nullptr);
    im.captions1 = CreateTexture("vsk4.dat", "ed01", 1, nullptr);
    im.captions2 = CreateTexture("vsk4.dat", "ed02", 1, nullptr);
    im.credits = CreateTexture("vsk4.dat", "ed04", 1, nullptr);
    im.ticker = CreateTexture("vsk4.dat", "endroll", 1, nullptr);
    const i32 e = RecordEnding();
    std::snprintf(name, sizeof name, "ed_after%02d", e);
    im.text = CreateTexture("vsk4.dat", name, 1, nullptr);
    std::snprintf(name, sizeof name, "end%02d", e);
    im.own = CreateSurface("vsk7.dat", name, 1, nullptr);
    im.last = CreateSurface("vsk7.dat", "end00", 1, nullptr);
    im.lastTexture = CreateTexture("vsk7.dat", "end00tex", 1, nullptr);
    OpenEnding();
}

void DrawEnding() {
    if (!BeginScene()) {
        Present();
        return;
    }
    const EndingImages& im = g_Ending.images;
    const i32 t = g_Ending.EndingPhaseTimer;
    ClearScreen(0xFFAA9955u);
    if (g_Ending.EndingPhase == kEndingBlackStart) ClearScreen(0xFF000000u);
    DrawPictureAndCaptions();
    Draw(BlackTexture, {120, 0, 520, 100}, {130, 0, 150, 20}, kWhite);
    Draw(BlackTexture, {120, 380, 520, 480}, {130, 0, 150, 20}, kWhite);
    if (g_Ending.EndingPhase == kEndingBlackStart) {
        const u32 colour = g_Ending.EndingIsNew && (t / 10) % 2 == 0 ? 0xFF96FFFFu : kWhite;
        if (im.captions2) {
            im.captions2->TextureDrawRotated({375, 300, 405, 540}, 0.0f, {350, 0, 379, 239}, DegreeToAngle(-90), colour,
                                             2);
        }
        const i32 e = g_Ending.EndingNumber;
        Draw(im.captions2, {430, 410, 530, 430}, {380, 20 * e - 20, 479, 20 * e - 1}, colour, 2);
    }
    if (g_Ending.EndingFrameCount >= 0 && g_Ending.EndingLeaveRequest) DrawTicker();
    DrawTransition();
    if (g_Ending.EndingFrameCount >= 0 && g_Ending.EndingPhase < 100 && !g_Ending.EndingLeaveRequest) DrawTicker();
    if (!g_Ending.EndingLeaveRequest) {
        if (g_Ending.EndingPhase == 70 || g_Ending.EndingPhase == 71) {
            Draw(im.captions2, kCaptionPlace, {0, 384, 349, 511}, Faded(3 * t - 3330));
        } else if (g_Ending.EndingPhase == kEndingBlackEnd) {
            Draw(im.captions2, kCaptionPlace, {0, 384, 349, 511}, Faded(t > 100 ? 455 - 2 * t : 255));
        }
    }
    DrawSidePanels();
    switch (g_Ending.EndingPhase) {
        case kEndingCreditsFade:
            Draw(BlackTexture, {0, 0, 640, 480}, {200, 200, 224, 224}, Faded(5 * t - 15000));
            break;
        case kEndingLastPicture:
            Blit(im.last, 0, 0, {0, 0, 640, 480});
            Draw(BlackTexture, {0, 0, 640, 480}, {200, 200, 224, 224}, Faded(255 - t));
            break;
        case kEndingLastFade:
            Blit(im.last, 0, 0, {0, 0, 640, 480});
            Draw(BlackTexture, {0, 0, 640, 480}, {130, 0, 154, 24}, Faded(t));
            break;
        default: break;
    }
    EndScene();
    Present();
}

void EndingFrame() {
    static constexpr SceneFrameSteps kSteps{
        .enter = InitializeEnding,
        .order = SceneFrameOrder::kKeysThenDraw,
        .draw = DrawEnding,
        .takeKeys = [](const u8 bits[2]) { UpdateKeyStates(bits, g_Ending.EndingKeyState); },
        .step = StepEndingSequence,
        // The scene leaves once its closing transition has ended.
        .leaving = [] { return g_Ending.EndingLeaveRequest && !TransitionRunning(); },
        .leave = LeaveEnding,
    };
    RunSceneSteps(kSteps);
}
