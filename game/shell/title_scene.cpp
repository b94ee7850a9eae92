#include "engine/core/angle.h"
#include "engine/graphics/device.h"
#include "game/shell/game_main.h"
#include "game/shell/game_math.h"
#include "game/shell/game_state.h"
#include "game/shell/play_state.h"
#include "game/shell/ranking.h"
#include "game/shell/save_files.h"
#include "game/shell/scene_frame.h"
#include "game/shell/shell_graphics.h"
#include "game/shell/title_scene.h"
#include "game/shell/transition.h"

namespace {

constexpr u32 kWhite = 0xFFFFFFFFu;
constexpr u32 kDimmed = 0xFF968C82u;
constexpr u32 kScoreDimmed = 0x96646464u;
constexpr u32 kLeadingZero = 0xFFC8C8C8u;
constexpr u32 kLeadingZeroDimmed = 0x64323232u;

void Draw(Texture* texture, const Rect& destination, const Rect& source, u32 colour) {
    if (texture) texture->TextureDraw(destination, 0.0f, source, colour, 1);
}

// A stage entry's best score: two labels and seven digits.
void DrawStageScore(i32 stage, i32 x, bool selected) {
    Texture* digits = g_Title.images.digits;
    const i32 b = x - 20;
    const i32 row = 80 * stage;
    const i32 difficulty = g_GameState.Difficulty;
    const i32 d = difficulty >= 0 && difficulty < kRankingDifficulties ? difficulty : 0;
    // Scores are stored unsigned; the display shows what an i32 holds.
    const i32 v = static_cast<i32>(g_RankingTable.bestStageScore[d][stage]);
    const u32 label = selected ? kWhite : kScoreDimmed;
    Draw(digits, {b - 70, row + 83, b + 10, row + 107}, {240, 0, 319, 24}, label);
    const i32 count = CountDigits(v);
    for (i32 k = 1; k <= 7; ++k) {
        i32 digit = GetDigit(v, static_cast<u32>(k));
        if (digit < 0) digit = -digit;
        const i32 left = b + 111 - 16 * (k - 1);
        const u32 colour =
            k <= count ? (selected ? kWhite : kScoreDimmed) : (selected ? kLeadingZero : kLeadingZeroDimmed);
        Draw(digits, {left, row + 83, left + 18, row + 108}, {18 * digit, 0, 18 * digit + 18, 24}, colour);
    }
    Draw(digits, {b + 130, row + 89, b + 180, row + 109}, {180, 0, 239, 24}, label);
}

}  // namespace

void InitializeTitle() {
    ResetTitleMenu();
    g_Title.images.background = CreateSurface("vsk2.dat", "bgp_menu", 1, nullptr);
    g_Title.images.menu = CreateTexture("vsk1.dat", "title", 1, nullptr);
    g_Title.images.stages = CreateTexture("vsk1.dat", "title2", 1, nullptr);
    g_Title.images.digits = CreateTexture("vsk1.dat", "title3", 1, nullptr);
    g_Title.images.spin = CreateTexture("vsk1.dat", "title_puro", 1, nullptr);
    OpenTitleScene();
}

void DrawTitle() {
    if (!BeginScene()) {
        Present();
        return;
    }
    ClearScreen(0xFFAA9955u);
    if (g_Title.images.background) g_Title.images.background->SurfaceBlit(0, 0, 0, 0, 640, 480);
    g_Title.TitleSpinCounter += 1;
    if (g_Title.TitleSpinCounter > 360) g_Title.TitleSpinCounter -= 360;
    if (Texture* spin = g_Title.images.spin) {
        const Rect source{0, 0, 219, 219};
        spin->TextureDrawRotated({10, -110, 230, 110}, 0.0f, source,
                                 DegreeToAngle((2 * g_Title.TitleSpinCounter) % 360), kWhite, 1);
        spin->TextureDrawRotated({440, 410, 600, 570}, 0.0f, source, -DegreeToAngle(g_Title.TitleSpinCounter), kWhite,
                                 1);
    }
    Texture* menu = g_Title.images.menu;
    if (g_Title.TitleMenuState == kTitleMain && (g_Title.TitleIdleFrames / 20) % 2 == 0) {
        Draw(menu, {170, 395, 470, 425}, {0, 360, 299, 389}, kWhite);
    }
    for (i32 i = 0; i < kTitleMainEntries; ++i) {
        const i32 x = 300 + TitleSlideOffset(g_Title.MainEntryTimers[i]);
        const bool selected = g_Title.TitleMenuState == kTitleMain && i == g_Title.TitleCursor;
        Draw(menu, {x - 180, 90 + 40 * i, x + 180, 130 + 40 * i}, {0, 40 * i, 359, 40 * i + 39},
             selected ? kWhite : kDimmed);
    }
    for (i32 i = 0; i < kTitleDifficultyEntries; ++i) {
        const i32 x = 300 + TitleSlideOffset(g_Title.DifficultyEntryTimers[i]);
        const bool selected = g_Title.TitleMenuState == kTitleDifficulty && i == g_Title.TitleCursor;
        Draw(menu, {x - 180, 90 + 45 * i, x + 180, 130 + 45 * i}, {0, 240 + 40 * i, 359, 279 + 40 * i},
             selected ? kWhite : kDimmed);
    }
    for (i32 i = 0; i < kTitleStageEntries; ++i) {
        const i32 x = 320 + TitleSlideOffset(g_Title.StageEntryTimers[i]);
        const bool selected = g_Title.TitleMenuState == kTitleStageSelect && i == g_Title.TitleCursor;
        const i32 d = g_GameState.Difficulty;
        const bool unlocked = d >= 0 && d < kProgressDifficulties && g_SystemData.StageProgress[d][i] != 0;
        const Rect source = unlocked ? Rect{0, 80 * i, 399, 80 * i + 79} : Rect{0, 400, 399, 479};
        Draw(g_Title.images.stages, {x - 200, 40 + 80 * i, x + 200, 120 + 80 * i}, source, selected ? kWhite : kDimmed);
        if (unlocked) DrawStageScore(i, x, selected);
    }
    DrawTransition();
    DrawSidePanels();
    EndScene();
    Present();
}

void TitleFrame() {
    static constexpr SceneFrameSteps kSteps{
        .enter = InitializeTitle,
        .order = SceneFrameOrder::kDrawThenKeys,
        .draw = DrawTitle,
        .takeKeys = TitleTakeInput,
        .step =
            [] {
                StepTitleMenu();
                StepTitleSlideTimers();
            },
        .leaving = [] { return g_Title.TitleLeaveRequest != 0; },
        .leave = LeaveTitle,
    };
    RunSceneSteps(kSteps);
}
