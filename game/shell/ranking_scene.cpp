#include "game/shell/ranking_scene.h"

#include "engine/core/angle.h"
#include "engine/graphics/device.h"
#include "engine/model/model.h"
#include "game/shell/game_main.h"
#include "game/shell/input.h"
#include "game/shell/music.h"
#include "game/shell/play_state.h"
#include "game/shell/ranking.h"
#include "game/shell/save_files.h"
#include "game/shell/scene_frame.h"
#include "game/shell/scene_pieces.h"
#include "game/shell/shell_graphics.h"
#include "game/shell/sound_effects.h"
#include "game/shell/transition.h"

RankingSceneState g_Ranking;

namespace {

constexpr u32 kWhite = 0xFFFFFFFFu;
constexpr u32 kHighlight = 0xFF96FFFFu;
constexpr f32 kPlaneScrollPerFrame = 0.002f;

bool Pressed(i32 slot) { return g_Ranking.RankingKeys[slot] == kKeyPressed; }

void Leave(i32 sound) {
    StartTransition(kTransitionClose);
    g_Ranking.RankingState = kRankingLeaving;
    PlaySoundEffect(sound);
}

void ToggleView(i32 direction) {
    g_Ranking.RankingEndingsView = g_Ranking.RankingEndingsView ? 0 : 1;
    if (g_Ranking.RankingEndingsView) {
        g_Ranking.RankingPanelOffsets[kRankingEndingsPanel] = 30;
    } else {
        g_Ranking.RankingPanelOffsets[g_Ranking.RankingDifficulty] = 30;
    }
    g_Ranking.RankingSlideDirection = direction;
    PlaySoundEffect(33);
}

void StepShown() {
    if (Pressed(kKeyX)) {
        Leave(36);
    } else if (Pressed(kKeyZ)) {
        Leave(35);
    }
    if (Pressed(kKeyLeft) && !g_Ranking.RankingEndingsView) {
        g_Ranking.RankingDifficulty =
            g_Ranking.RankingDifficulty <= 0 ? kRankingDifficulties - 1 : g_Ranking.RankingDifficulty - 1;
        g_Ranking.RankingPanelOffsets[g_Ranking.RankingDifficulty] = 30;
        g_Ranking.RankingSlideDirection = 0;
        PlaySoundEffect(33);
    }
    if (Pressed(kKeyRight) && !g_Ranking.RankingEndingsView) {
        g_Ranking.RankingDifficulty =
            g_Ranking.RankingDifficulty >= kRankingDifficulties - 1 ? 0 : g_Ranking.RankingDifficulty + 1;
        g_Ranking.RankingPanelOffsets[g_Ranking.RankingDifficulty] = 30;
        g_Ranking.RankingSlideDirection = 1;
        PlaySoundEffect(33);
    }
    if (Pressed(kKeyUp)) ToggleView(0);
    if (Pressed(kKeyDown)) ToggleView(1);
}

// The centre offset of a slide with magnitude `s` for offset `o`.
i32 SlideSign(i32 s, i32 o) {
    i32 sign = g_Ranking.RankingSlideDirection == 1 ? -1 : 1;
    if (o < 0) sign = -sign;
    return sign * s;
}

void DrawPlane() {
    g_Ranking.RankingPlaneScrollV += kPlaneScrollPerFrame;
    if (g_Ranking.RankingPlaneScrollV > 1.0f) g_Ranking.RankingPlaneScrollV -= 1.0f;
    Model* plane = g_Ranking.images.plane;
    if (!plane) return;
    plane->ModelResetTransform();
    plane->ModelSetPosition(0.0f, 0.0f, 10.0f);
    plane->ModelSetUvOffsetV(g_Ranking.RankingPlaneScrollV, -1);
    plane->ModelRotateZ(static_cast<u16>(RadianToAngle(0.6f)));
    plane->ModelUpdate(0.0f);
    plane->ModelRender();
}

void DrawTable(i32 d) {
    Texture* ranking = g_Ranking.images.ranking;
    Texture* name = g_Ranking.images.name;
    const i32 cx = RankingPanelX(g_Ranking.RankingPanelOffsets[d]);
    DrawSprite(ranking, {cx - 200, 110, cx + 200, 370}, {0, 205, 399, 464}, kWhite);
    DrawSprite(ranking, {cx - 155, 125, cx + 45, 155}, {0, 50, 199, 79}, kWhite);
    DrawSprite(name, {cx + 55, 125, cx + 125, 155}, {300, 50 + 30 * d, 369, 79 + 30 * d}, kWhite);
    const bool blink = (g_Ranking.RankingFrameCount / 20) % 2 == 1;
    for (i32 r = 0; r < kRankingShownPlaces; ++r) {
        const i32 y = 168 + 40 * r;
        const bool lit = blink && r == g_Ranking.RankingHighlight && d == g_GameState.Difficulty &&
                         g_GameState.StartKind != kStartStageSelect;
        const u32 colour = lit ? kHighlight : kWhite;
        DrawSprite(ranking, {cx - 160, y, cx - 120, y + 25}, {0, 80 + 25 * r, 39, 104 + 25 * r}, colour);
        for (i32 k = 0; k < kNameLength; ++k) {
            const i32 x = cx - 115 + 18 * k;
            DrawSprite(name, {x, y, x + 30, y + 25}, NameCharacterSource(g_RankingTable.name[d][r][k]), colour);
        }
        DigitRow row;
        row.texture = name;
        row.sourceLeft = 300;
        row.sourceTop = 0;
        row.sourceBottom = 24;
        row.unitsX = cx + 91;
        row.colour = colour;
        // Scores are stored unsigned; the display shows what an i32 holds.
        DrawDigitRow(row, static_cast<i32>(g_RankingTable.score[d][r]), y);
        DrawSprite(name, {cx + 110, y + 6, cx + 160, y + 26}, {300, 25, 359, 49}, colour);
    }
}

void DrawEndings() {
    const i32 cy = RankingEndingsY(g_Ranking.RankingPanelOffsets[kRankingEndingsPanel]);
    Texture* list = g_Ranking.images.endList;
    DrawSprite(g_Ranking.images.endWindow, {120, cy - 215, 520, cy + 215}, {0, 0, 399, 429}, kWhite);
    for (i32 i = 0; i < kRankingEndingRows; ++i) {
        const i32 y = cy - 205 + 22 * i;
        DrawSprite(list, {155, y, 210, y + 30}, RankingEndingNumberSource(i), kWhite);
        const i32 n = g_SystemData.endingSeen[static_cast<std::size_t>(i + 1)] ? i : kRankingUnknownEnding;
        DrawSprite(list, {220, y, 420, y + 30}, RankingEndingTitleSource(n), kWhite);
    }
}

}  // namespace

Rect RankingEndingNumberSource(i32 i) {
    const i32 col = i / 17;
    const i32 row = i % 17;
    return {400 + 55 * col, 30 * row, 454 + 55 * col, 30 * row + 29};
}

Rect RankingEndingTitleSource(i32 n) {
    return {200 * (n / 17), 30 * (n % 17), 200 * (n / 17) + 199, 30 * (n % 17) + 29};
}

i32 RankingPanelX(i32 o) { return 320 + SlideSign(o * o / 2, o); }

i32 RankingEndingsY(i32 e) { return 260 + SlideSign(static_cast<i32>(0.6f * static_cast<f32>(e * e)), e); }

void InitializeRanking() {
    for (i32& k : g_Ranking.RankingKeys) k = 0;
    g_Ranking.RankingCaptionFade[0] = 0;
    g_Ranking.RankingCaptionFade[1] = 0;
    g_Ranking.RankingState = kRankingOpening;
    g_Ranking.RankingFrameCount = 0;
    g_Ranking.RankingLeave = 0;
    g_Ranking.RankingSlideDirection = 0;
    g_Ranking.RankingEndingsView = 0;
    if (PreviousScene == kSceneTitle) {
        g_Ranking.RankingDifficulty = 0;
        g_Ranking.RankingHighlight = -1;
    }
    if (g_Ranking.RankingDifficulty < 0 || g_Ranking.RankingDifficulty >= kRankingDifficulties)
        g_Ranking.RankingDifficulty = 0;
    for (i32 d = 0; d < kRankingDifficulties; ++d)
        g_Ranking.RankingPanelOffsets[d] = d == g_Ranking.RankingDifficulty ? 60 : -30;
    g_Ranking.RankingPanelOffsets[kRankingEndingsPanel] = -30;
    g_Ranking.images.ranking = CreateTexture("vsk1.dat", "ranking", 1, nullptr);
    g_Ranking.images.name = CreateTexture("vsk1.dat", "name", 1, nullptr);
    g_Ranking.images.background = CreateTexture("vsk1.dat", "bgp_ranking", 1, nullptr);
    g_Ranking.images.endList = CreateTexture("vsk4.dat", "endlist", 1, nullptr);
    g_Ranking.images.endWindow = CreateTexture("vsk4.dat", "endwindow", 1, nullptr);
    g_Ranking.images.backdrop = CreateSurface("vsk2.dat", "ranking00", 1, nullptr);
    if (Model* plane = CreateModelPlane(540.0f, 540.0f, 2, 2, 1.0f, nullptr)) {
        plane->ModelSetTexture(0, g_Ranking.images.background, -1, -1);
        plane->ModelSetLightingMode(0x100, -1);
        plane->ModelRebuildMeshShader(-1);
        g_Ranking.images.plane = plane;
    }
    StartTransition(kTransitionOpen);
    RequestMusic(4);
    PlaySoundEffect(33);
    SceneInitRequest = 0;
}

void StepRanking() {
    switch (g_Ranking.RankingState) {
        case kRankingOpening:
            if (!TransitionRunning()) g_Ranking.RankingState = kRankingShown;
            break;
        case kRankingShown: StepShown(); break;
        case kRankingLeaving:
            if (!TransitionRunning()) g_Ranking.RankingLeave = 1;
            break;
        default: break;
    }
    if (g_Ranking.RankingFrameCount > 50) {
        i32& shown = g_Ranking.RankingCaptionFade[g_Ranking.RankingEndingsView ? 1 : 0];
        i32& hidden = g_Ranking.RankingCaptionFade[g_Ranking.RankingEndingsView ? 0 : 1];
        if (shown < 50) shown = shown + 5 > 50 ? 50 : shown + 5;
        if (hidden > 0) hidden = hidden - 5 < 0 ? 0 : hidden - 5;
    }
    ++g_Ranking.RankingFrameCount;
    const i32 current = g_Ranking.RankingEndingsView ? kRankingEndingsPanel : g_Ranking.RankingDifficulty;
    for (i32 p = 0; p < kRankingPanels; ++p) {
        i32& o = g_Ranking.RankingPanelOffsets[p];
        const i32 target = p == current ? 0 : -30;
        if (o > target) --o;
    }
}

void RankingFrame() {
    static constexpr SceneFrameSteps kSteps{
        .enter = InitializeRanking,
        .order = SceneFrameOrder::kDrawThenKeys,
        .draw = DrawRanking,
        .takeKeys = [](const u8 bits[2]) { UpdateKeyStatesRepeat(bits, g_Ranking.RankingKeys); },
        .step = StepRanking,
        .leaving = [] { return g_Ranking.RankingLeave != 0; },
        .leave = LeaveRanking,
    };
    RunSceneSteps(kSteps);
}

void DrawRanking() {
    if (!BeginScene()) {
        Present();
        return;
    }
    ClearScreen(0xFFAA9955u);
    DrawScrollingBackdrop(g_Ranking.images.backdrop, g_Ranking.RankingScrollX, g_Ranking.RankingScrollY);
    DrawPlane();
    for (i32 d = 0; d < kRankingDifficulties; ++d) DrawTable(d);
    if ((g_Ranking.RankingFrameCount / 20) % 2 == 0) {
        DrawSprite(g_Ranking.images.ranking, {120, 378, 520, 423}, {0, 465, 399, 509}, kWhite);
    }
    const i32 f = g_Ranking.RankingCaptionFade[0];
    const i32 fw = 75 + static_cast<i32>(1.5f * static_cast<f32>(50 - f));
    DrawSprite(g_Ranking.images.ranking, {320 - fw, 70 - f / 2, 320 + fw, 70 + f / 2}, {0, 0, 149, 49}, kWhite);
    DrawEndings();
    const i32 g = g_Ranking.RankingCaptionFade[1];
    const i32 gw = 100 + 2 * (50 - g);
    DrawSprite(g_Ranking.images.ranking, {320 - gw, 25 - g / 2, 320 + gw, 25 + g / 2}, {150, 0, 349, 49}, kWhite);
    DrawTransition();
    DrawSidePanels();
    EndScene();
    Present();
}

void LeaveRanking() {
    ReleaseImage(g_Ranking.images.ranking);
    ReleaseImage(g_Ranking.images.name);
    ReleaseImage(g_Ranking.images.background);
    ReleaseImage(g_Ranking.images.endList);
    ReleaseImage(g_Ranking.images.endWindow);
    ReleaseImage(g_Ranking.images.backdrop);
    ReleaseImage(g_Ranking.images.plane);
    PreviousScene = CurrentScene;
    CurrentScene = kSceneTitle;
    SceneInitRequest = 1;
}
