#include <algorithm>
#include <cmath>

#include "engine/graphics/device.h"
#include "game/shell/game_main.h"
#include "game/shell/game_math.h"
#include "game/shell/memory_scene.h"
#include "game/shell/name_characters.h"
#include "game/shell/replay.h"
#include "game/shell/scene_frame.h"
#include "game/shell/scene_pieces.h"
#include "game/shell/shell_graphics.h"
#include "game/shell/title_scene.h"
#include "game/shell/transition.h"

namespace {

constexpr u32 kWhite = 0xFFFFFFFFu;

struct Shades {
    u32 bright;
    u32 dim;
};
constexpr Shades kChosenRow{0xFFFFFFFFu, 0xFFC8C8C8u};
constexpr Shades kOtherRow{0x64FFFFFFu, 0x64C8C8C8u};
constexpr Shades kChosenStage{0xFFFFFFFFu, 0xFFC8C8C8u};
constexpr Shades kOtherStage{0xFF968C82u, 0x96646464u};

void Draw(Texture* texture, const Rect& destination, const Rect& source, u32 colour) {
    if (texture) texture->TextureDraw(destination, 0.0f, source, colour, 1);
}

Rect DigitSource(i32 digit) { return {18 * digit, 100, 18 * digit + 18, 124}; }

i32 Digit(i32 value, i32 k) {
    const i32 d = GetDigit(value, static_cast<u32>(k));
    return d < 0 ? -d : d;
}

// The wrapped background, shifted right and down by the scroll offsets.
void DrawBackground() {
    g_Memory.MemoryScrollX += 1;
    if (g_Memory.MemoryScrollX > 640) g_Memory.MemoryScrollX -= 640;
    g_Memory.MemoryScrollY += 1;
    if (g_Memory.MemoryScrollY > 480) g_Memory.MemoryScrollY -= 480;
    Surface* s = g_Memory.images.background;
    if (!s) return;
    const i32 x = g_Memory.MemoryScrollX;
    const i32 y = g_Memory.MemoryScrollY;
    s->SurfaceBlit(x, y, 0, 0, 640 - x, 480 - y);
    s->SurfaceBlit(0, 0, 640 - x, 480 - y, 640, 480);
    s->SurfaceBlit(x, 0, 0, 480 - y, 640 - x, 480);
    s->SurfaceBlit(0, y, 640 - x, 0, 640, 480 - y);
}

void DrawListRow(const ReplayHeader& h, i32 e, i32 y) {
    Texture* memory = g_Memory.images.memory;
    const Shades shade = e == g_Memory.MemoryCursor ? kChosenRow : kOtherRow;
    const i32 numberDigits = CountDigits(e);
    for (i32 k = 1; k <= 2; ++k) {
        const i32 left = 167 - 10 * (k - 1);
        Draw(memory, {left, y, left + 12, y + 20}, DigitSource(Digit(e, k)),
             k <= numberDigits ? shade.bright : shade.dim);
    }
    for (i32 i = 0; i < kNameLength; ++i) {
        Draw(g_Memory.images.name, {190 + 18 * i, y - 2, 220 + 18 * i, y + 23},
             NameCharacterSource(h.name[static_cast<std::size_t>(i)]), shade.bright);
    }
    // Scores are stored unsigned; the display shows what an i32 holds.
    const i32 score = static_cast<i32>(h.score);
    const i32 scoreDigits = CountDigits(score);
    for (i32 k = 1; k <= 7; ++k) {
        const i32 left = 386 - 14 * (k - 1);
        Draw(memory, {left, y - 2, left + 18, y + 23}, DigitSource(Digit(score, k)),
             k <= scoreDigits ? shade.bright : shade.dim);
    }
    const i32 d = h.Difficulty >= 0 && h.Difficulty < kDifficultyCount ? h.Difficulty : 0;
    Draw(memory, {415, y - 5, 485, y + 25}, {370, 30 * d + 60, 439, 30 * d + 89}, shade.bright);
}

void DrawStageEntry(const ReplayHeader& h, i32 i) {
    Texture* memory = g_Memory.images.memory;
    const i32 y = 55 + 80 * i;
    const i32 x = 320 + TitleSlideOffset(g_Memory.MemoryStageTimers[i]);
    const Shades shade =
        g_Memory.MemoryState == kMemoryStages && i == g_Memory.MemoryStageCursor ? kChosenStage : kOtherStage;
    const bool played = h.played[static_cast<std::size_t>(i)] != 0;
    const Rect picture = played ? Rect{0, 80 * i, 399, 80 * i + 79} : Rect{0, 400, 399, 479};
    Draw(g_Memory.images.stages, {x - 200, y, x + 200, y + 80}, picture, shade.bright);
    if (!played) return;
    Draw(memory, {x - 75, y + 40, x - 5, y + 70}, {300, 60, 369, 89}, shade.bright);
    const i32 score = static_cast<i32>(h.stageScore[static_cast<std::size_t>(i)]);
    const i32 scoreDigits = CountDigits(score);
    for (i32 k = 1; k <= 7; ++k) {
        const i32 left = x + 91 - 16 * (k - 1);
        Draw(memory, {left, y + 43, left + 18, y + 68}, DigitSource(Digit(score, k)),
             k <= scoreDigits ? shade.bright : shade.dim);
    }
    Draw(memory, {x + 110, y + 43, x + 170, y + 68}, {180, 100, 239, 124}, shade.bright);
    const i32 rank = static_cast<i32>(std::min<u32>(h.stageRank[static_cast<std::size_t>(i)], kMaxStageRank));
    for (i32 j = 0; j < 5; ++j) {
        const Rect mark = j < rank ? Rect{30 * rank, 245, 30 * rank + 29, 274} : Rect{0, 245, 29, 274};
        Draw(memory, {x - 162 + 16 * j, y + 45, x - 138 + 16 * j, y + 69}, mark, shade.bright);
    }
}

}  // namespace

void InitializeMemory() {
    ResetMemoryBrowser();
    g_Memory.images.name = CreateTexture("vsk1.dat", "name", 1, nullptr);
    g_Memory.images.memory = CreateTexture("vsk1.dat", "memory", 1, nullptr);
    g_Memory.images.stages = CreateTexture("vsk1.dat", "title2", 1, nullptr);
    g_Memory.images.window = CreateTexture("vsk1.dat", "memory_window", 1, nullptr);
    g_Memory.images.background = CreateSurface("vsk2.dat", "bgp_memory", 1, nullptr);
    OpenMemoryBrowser();
}

void DrawMemory() {
    if (!BeginScene()) {
        Present();
        return;
    }
    ClearScreen(0xFF664433u);
    DrawBackground();
    Texture* memory = g_Memory.images.memory;
    Draw(g_Memory.images.window, {110, 68, 530, 428}, {0, 0, 419, 359}, kWhite);
    const i32 n = static_cast<i32>(g_ReplayList.size());
    if (n == 0) {
        if ((g_Memory.MemoryFrameCount / 30) % 2 == 0) Draw(memory, {170, 170, 470, 230}, {0, 40, 299, 99}, kWhite);
    } else {
        Draw(memory, {137, 85, 207, 115}, {300, 0, 369, 29}, kWhite);
        Draw(memory, {205, 85, 275, 115}, {300, 30, 369, 59}, kWhite);
        Draw(memory, {315, 85, 385, 115}, {300, 60, 369, 89}, kWhite);
        Draw(memory, {415, 85, 485, 115}, {300, 120, 369, 149}, kWhite);
        for (i32 r = 0; r < kMemoryRows; ++r) {
            const i32 e = g_Memory.MemoryListTop + r;
            if (e < 0 || e >= n) continue;
            DrawListRow(g_ReplayList[static_cast<std::size_t>(e)], e, 120 + 30 * r);
        }
    }
    if (g_Memory.MemoryState == kMemoryList && n > 0 && (g_Memory.MemoryFrameCount / 30) % 2 == 0) {
        Draw(memory, {170, 420, 470, 480}, {0, 125, 299, 184}, kWhite);
    }
    if (n > 0 && g_Memory.MemoryCursor >= 0 && g_Memory.MemoryCursor < n) {
        const ReplayHeader& h = g_ReplayList[static_cast<std::size_t>(g_Memory.MemoryCursor)];
        for (i32 i = 0; i < kMemoryStageEntries; ++i) DrawStageEntry(h, i);
    }
    const i32 z = g_Memory.MemoryHeadingZoom;
    const i32 w = 150 - static_cast<i32>(std::trunc((50 - z) * 0.02 * -150));
    const i32 v = static_cast<i32>(std::trunc(z * 0.02 * 20));
    Draw(memory, {320 - w, 40 - v, 320 + w, 40 + v}, {0, 0, 299, 39}, kWhite);
    DrawTransition();
    DrawSidePanels();
    EndScene();
    Present();
}

void MemoryFrame() {
    static constexpr SceneFrameSteps kSteps{
        .enter = InitializeMemory,
        .order = SceneFrameOrder::kDrawThenKeys,
        .draw = DrawMemory,
        .takeKeys = MemoryTakeInput,
        .step =
            [] {
                StepMemoryBrowser();
                StepMemoryTimers();
            },
        .leaving = [] { return g_Memory.MemoryLeaveRequest != 0; },
        .leave = LeaveMemory,
    };
    RunSceneSteps(kSteps);
}
