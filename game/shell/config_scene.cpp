#include <cmath>

#include "engine/graphics/device.h"
#include "game/shell/config_scene.h"
#include "game/shell/game_main.h"
#include "game/shell/input.h"
#include "game/shell/save_files.h"
#include "game/shell/scene_frame.h"
#include "game/shell/shell_graphics.h"
#include "game/shell/title_scene.h"
#include "game/shell/transition.h"

namespace {

constexpr u32 kWhite = 0xFFFFFFFFu;
constexpr u32 kFaint = 0x64FFFFFFu;

void Draw(Texture* texture, const Rect& destination, const Rect& source, u32 colour) {
    if (texture) texture->TextureDraw(destination, 0.0f, source, colour, 1);
}

void DrawBackground() {
    g_Config.ConfigScrollX += 1;
    if (g_Config.ConfigScrollX > 640) g_Config.ConfigScrollX -= 640;
    g_Config.ConfigScrollY += 1;
    if (g_Config.ConfigScrollY > 480) g_Config.ConfigScrollY -= 480;
    Surface* s = g_Config.images.background;
    if (!s) return;
    const i32 x = g_Config.ConfigScrollX;
    const i32 y = g_Config.ConfigScrollY;
    s->SurfaceBlit(x, y, 0, 0, 640 - x, 480 - y);
    s->SurfaceBlit(0, 0, 640 - x, 480 - y, 640, 480);
    s->SurfaceBlit(x, 0, 0, 480 - y, 640 - x, 480);
    s->SurfaceBlit(0, y, 640 - x, 0, 640, 480 - y);
}

struct RowLayout {
    Rect label;        // source
    Rect destination;  // of the label
};
constexpr RowLayout kRows[kConfigRowCount] = {
    {{0, 30, 199, 59}, {170, 125, 370, 155}},   {{0, 60, 199, 89}, {170, 155, 370, 185}},
    {{0, 90, 199, 119}, {170, 185, 370, 215}},  {{200, 180, 399, 209}, {170, 215, 370, 245}},
    {{0, 120, 199, 149}, {170, 275, 370, 305}}, {{0, 150, 199, 179}, {170, 305, 370, 335}},
    {{0, 180, 199, 209}, {170, 365, 370, 395}}, {{0, 210, 199, 239}, {150, 395, 350, 425}},
};

u8 OptionValue(i32 row) {
    switch (row) {
        case kConfigRowFullColourScreen: return g_ConfigData.fullColourScreen;
        case kConfigRowFullColourTextures: return g_ConfigData.fullColourTextures;
        case kConfigRowFullScreen: return g_ConfigData.fullScreen;
        default: return g_ConfigData.showTalk;
    }
}

void DrawRows() {
    Texture* t = g_Config.images.labels;
    for (i32 row = 0; row < kConfigRowCount; ++row) {
        const bool lit = g_Config.ConfigState == kConfigRows && row == g_Config.ConfigCursor;
        const u32 l = lit ? 0xFFFFFFFFu : 0x64FFFFFFu;
        const u32 d = lit ? 0x96969696u : 0x64646464u;
        const RowLayout& r = kRows[row];
        Draw(t, r.destination, r.label, l);
        const i32 top = r.destination.top;
        const i32 bottom = r.destination.bottom;
        if (row <= kConfigRowTalk) {
            const bool on = OptionValue(row) != 0;
            if (row == kConfigRowFullScreen) {
                Draw(t, {290, top, 410, bottom}, {200, 60, 319, 89}, on ? l : d);
                Draw(t, {410, top, 430, bottom}, {220, 30, 239, 59}, l);
                Draw(t, {430, top, 510, bottom}, {320, 60, 399, 89}, on ? d : l);
            } else {
                Draw(t, {370, top, 410, bottom}, {240, 30, 279, 59}, on ? l : d);
                Draw(t, {410, top, 430, bottom}, {220, 30, 239, 59}, l);
                Draw(t, {430, top, 470, bottom}, {280, 30, 319, 59}, on ? d : l);
            }
        } else if (row == kConfigRowMusicVolume || row == kConfigRowEffectVolume) {
            const i32 volume = row == kConfigRowMusicVolume ? g_ConfigData.musicVolume : g_ConfigData.effectVolume;
            for (i32 c = 0; c < 10; ++c) {
                Draw(t, {290 + 20 * c, top, 310 + 20 * c, bottom}, {200, 30, 219, 59}, c < volume ? l : d);
            }
        }
    }
}

Rect DigitSource(u32 digit) {
    const i32 d = static_cast<i32>(digit);
    return {18 * d, 0, 18 * d + 18, 24};
}

void DrawCapturePanel() {
    Texture* t = g_Config.images.labels;
    const i32 x = 320 + TitleSlideOffset(g_Config.ConfigPanelTimer);
    Draw(t, {x - 200, 140, x + 200, 340}, {0, 240, 399, 439}, kWhite);
    for (i32 k = 0; k < kConfigCapturedKeys; ++k) {
        const i32 y = 198 + 35 * k;
        const u32 colour = g_Config.ConfigState == kConfigCapture && k == g_Config.ConfigCursor ? kWhite : kFaint;
        Draw(t, {x - 140, y, x + 60, y + 30}, {200, 90 + 30 * k, 399, 119 + 30 * k}, colour);
        if (k == g_Config.ConfigCursor && (g_Config.ConfigFrameCount / 15) % 2 != 0) continue;
        const u32 button = g_ConfigData.joystickButtons[static_cast<std::size_t>(ConfigCapturedSlot(k))];
        Draw(t, {x + 101, y + 3, x + 119, y + 28}, DigitSource(button / 10 % 10), colour);
        Draw(t, {x + 117, y + 3, x + 135, y + 28}, DigitSource(button % 10), colour);
    }
    if ((g_Config.ConfigFrameCount / 30) % 2 == 0) Draw(t, {x - 125, 300, x + 125, 325}, {0, 440, 249, 464}, kWhite);
}

}  // namespace

void InitializeConfig() {
    ResetConfigScreen();
    g_Config.images.background = CreateSurface("vsk2.dat", "bgp_config", 1, nullptr);
    g_Config.images.labels = CreateTexture("vsk1.dat", "title3", 1, nullptr);
    g_Config.images.window = CreateTexture("vsk1.dat", "config_window", 1, nullptr);
    OpenConfigScreen();
}

void DrawConfig() {
    if (!BeginScene()) {
        Present();
        return;
    }
    ClearScreen(0xFFAA9955u);
    DrawBackground();
    Draw(g_Config.images.window, {112, 80, 532, 440}, {0, 0, 419, 359}, kWhite);
    DrawRows();
    DrawCapturePanel();
    const i32 z = g_Config.ConfigHeadingZoom;
    const i32 w = 65 - static_cast<i32>(std::trunc((50 - z) * 0.02 * -65));
    const i32 v = static_cast<i32>(std::trunc(z * 0.02 * 25));
    Draw(g_Config.images.labels, {320 - w, 50 - v, 320 + w, 50 + v}, {250, 440, 379, 489}, kWhite);
    DrawTransition();
    DrawSidePanels();
    EndScene();
    Present();
}

void ConfigFrame() {
    static constexpr SceneFrameSteps kSteps{
        .enter = InitializeConfig,
        .order = SceneFrameOrder::kKeysThenDraw,
        .draw = DrawConfig,
        .takeKeys = [](const u8 bits[2]) { UpdateKeyStatesRepeat(bits, g_Config.ConfigKeyState); },
        .step =
            [] {
                StepConfigScreen();
                StepConfigTimers();
            },
        .leaving = [] { return g_Config.ConfigLeaveRequest != 0; },
        .leave = LeaveConfig,
    };
    RunSceneSteps(kSteps);
}
