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
#include "game/shell/scene_pieces.h"
#include "game/shell/shell_graphics.h"
#include "game/shell/sound_effects.h"
#include "game/shell/transition.h"

i32 RankingState = kRankingOpening;
u8 RankingLeave = 0;
i32 RankingFrameCount = 0;
i32 RankingDifficulty = 0;
u8 RankingEndingsView = 0;
i32 RankingHighlight = -1;
i32 RankingSlideDirection = 0;
i32 RankingPanelOffsets[kRankingPanels] = {};
i32 RankingCaptionFade[2] = {};
i32 RankingKeys[8] = {};
i32 RankingScrollX = 0;
i32 RankingScrollY = 0;
f32 RankingPlaneScrollV = 0.0f;
RankingImages g_RankingImages;

namespace {

constexpr u32 kWhite = 0xFFFFFFFFu;
constexpr u32 kHighlight = 0xFF96FFFFu;
constexpr i32 kUnknownEndingCell = 33;
constexpr f32 kPlaneScrollPerFrame = 0.002f;

bool Pressed(i32 slot) { return RankingKeys[slot] == kKeyPressed; }

void Leave(i32 sound) {
    StartTransition(kTransitionClose);
    RankingState = kRankingLeaving;
    PlaySoundEffect(sound);
}

void ToggleView(i32 direction) {
    RankingEndingsView = RankingEndingsView ? 0 : 1;
    if (RankingEndingsView) {
        RankingPanelOffsets[kRankingEndingsPanel] = 30;
    } else {
        RankingPanelOffsets[RankingDifficulty] = 30;
    }
    RankingSlideDirection = direction;
    PlaySoundEffect(33);
}

void StepShown() {
    if (Pressed(kKeyX)) {
        Leave(36);
    } else if (Pressed(kKeyZ)) {
        Leave(35);
    }
    if (Pressed(kKeyLeft) && !RankingEndingsView) {
        RankingDifficulty = RankingDifficulty <= 0 ? kRankingDifficulties - 1 : RankingDifficulty - 1;
        RankingPanelOffsets[RankingDifficulty] = 30;
        RankingSlideDirection = 0;
        PlaySoundEffect(33);
    }
    if (Pressed(kKeyRight) && !RankingEndingsView) {
        RankingDifficulty = RankingDifficulty >= kRankingDifficulties - 1 ? 0 : RankingDifficulty + 1;
        RankingPanelOffsets[RankingDifficulty] = 30;
        RankingSlideDirection = 1;
        PlaySoundEffect(33);
    }
    if (Pressed(kKeyUp)) ToggleView(0);
    if (Pressed(kKeyDown)) ToggleView(1);
}

// The centre offset of a slide with magnitude `s` for offset `o`.
i32 SlideSign(i32 s, i32 o) {
    i32 sign = RankingSlideDirection == 1 ? -1 : 1;
    if (o < 0) sign = -sign;
    return sign * s;
}

void DrawPlane() {
    RankingPlaneScrollV += kPlaneScrollPerFrame;
    if (RankingPlaneScrollV > 1.0f) RankingPlaneScrollV -= 1.0f;
    Model* plane = g_RankingImages.plane;
    if (!plane) return;
    plane->ModelResetTransform();
    plane->ModelSetPosition(0.0f, 0.0f, 10.0f);
    plane->ModelSetUvOffsetV(RankingPlaneScrollV, -1);
    plane->ModelRotateZ(static_cast<u16>(RadianToAngle(0.6f)));
    plane->ModelUpdate(0.0f);
    plane->ModelRender();
}

void DrawTable(i32 d) {
    Texture* ranking = g_RankingImages.ranking;
    Texture* name = g_RankingImages.name;
    const i32 cx = RankingPanelX(RankingPanelOffsets[d]);
    DrawSprite(ranking, {cx - 200, 110, cx + 200, 370}, {0, 205, 399, 464}, kWhite);
    DrawSprite(ranking, {cx - 155, 125, cx + 45, 155}, {0, 50, 199, 79}, kWhite);
    DrawSprite(name, {cx + 55, 125, cx + 125, 155}, {300, 50 + 30 * d, 369, 79 + 30 * d}, kWhite);
    const bool blink = (RankingFrameCount / 20) % 2 == 1;
    for (i32 r = 0; r < kRankingShownPlaces; ++r) {
        const i32 y = 168 + 40 * r;
        const bool lit = blink && r == RankingHighlight && d == g_GameState.Difficulty &&
                         g_GameState.StartKind != kStartStageSelect;
        const u32 colour = lit ? kHighlight : kWhite;
        DrawSprite(ranking, {cx - 160, y, cx - 120, y + 25}, {0, 80 + 25 * r, 39, 104 + 25 * r}, colour);
        for (i32 k = 0; k < kNameLength; ++k) {
            const i32 c = static_cast<i32>(ClampNameCharacter(g_RankingTable.name[d][r][k]));
            const i32 x = cx - 115 + 18 * k;
            DrawSprite(name, {x, y, x + 30, y + 25}, {30 * (c % 10), 25 * (c / 10), 30 * (c % 10) + 29, 25 * (c / 10) + 25},
                       colour);
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
    const i32 cy = RankingEndingsY(RankingPanelOffsets[kRankingEndingsPanel]);
    Texture* list = g_RankingImages.endList;
    DrawSprite(g_RankingImages.endWindow, {120, cy - 215, 520, cy + 215}, {0, 0, 399, 429}, kWhite);
    for (i32 i = 0; i < kRankingEndingRows; ++i) {
        const i32 y = cy - 205 + 22 * i;
        const i32 col = i / 17;
        const i32 row = i % 17;
        DrawSprite(list, {155, y, 210, y + 30}, {400 + 55 * col, 30 * row, 454 + 55 * col, 30 * row + 29}, kWhite);
        const i32 n = g_SystemData.endingSeen[static_cast<std::size_t>(i + 1)] ? i : kUnknownEndingCell;
        DrawSprite(list, {220, y, 420, y + 30},
                   {200 * (n / 17), 30 * (n % 17), 200 * (n / 17) + 199, 30 * (n % 17) + 29}, kWhite);
    }
}

}  // namespace

i32 RankingPanelX(i32 o) { return 320 + SlideSign(o * o / 2, o); }

i32 RankingEndingsY(i32 e) { return 260 + SlideSign(static_cast<i32>(0.6f * static_cast<f32>(e * e)), e); }

void InitializeRanking() {
    for (i32& k : RankingKeys) k = 0;
    RankingCaptionFade[0] = 0;
    RankingCaptionFade[1] = 0;
    RankingState = kRankingOpening;
    RankingFrameCount = 0;
    RankingLeave = 0;
    RankingSlideDirection = 0;
    RankingEndingsView = 0;
    if (PreviousScene == kSceneTitle) {
        RankingDifficulty = 0;
        RankingHighlight = -1;
    }
    if (RankingDifficulty < 0 || RankingDifficulty >= kRankingDifficulties) RankingDifficulty = 0;
    for (i32 d = 0; d < kRankingDifficulties; ++d) RankingPanelOffsets[d] = d == RankingDifficulty ? 60 : -30;
    RankingPanelOffsets[kRankingEndingsPanel] = -30;
    g_RankingImages.ranking = CreateTexture("vsk1.dat", "ranking", 1, nullptr);
    g_RankingImages.name = CreateTexture("vsk1.dat", "name", 1, nullptr);
    g_RankingImages.background = CreateTexture("vsk1.dat", "bgp_ranking", 1, nullptr);
    g_RankingImages.endList = CreateTexture("vsk4.dat", "endlist", 1, nullptr);
    g_RankingImages.endWindow = CreateTexture("vsk4.dat", "endwindow", 1, nullptr);
    g_RankingImages.backdrop = CreateSurface("vsk2.dat", "ranking00", 1, nullptr);
    if (Model* plane = CreateModelPlane(540.0f, 540.0f, 2, 2, 1.0f, nullptr)) {
        plane->ModelSetTexture(0, g_RankingImages.background, -1, -1);
        plane->ModelSetLightingMode(0x100, -1);
        plane->ModelRebuildMeshShader(-1);
        g_RankingImages.plane = plane;
    }
    StartTransition(kTransitionOpen);
    RequestMusic(4);
    PlaySoundEffect(33);
    SceneInitRequest = 0;
}

void StepRanking() {
    switch (RankingState) {
    case kRankingOpening:
        if (!TransitionRunning()) RankingState = kRankingShown;
        break;
    case kRankingShown:
        StepShown();
        break;
    case kRankingLeaving:
        if (!TransitionRunning()) RankingLeave = 1;
        break;
    default:
        break;
    }
    if (RankingFrameCount > 50) {
        i32& shown = RankingCaptionFade[RankingEndingsView ? 1 : 0];
        i32& hidden = RankingCaptionFade[RankingEndingsView ? 0 : 1];
        if (shown < 50) shown = shown + 5 > 50 ? 50 : shown + 5;
        if (hidden > 0) hidden = hidden - 5 < 0 ? 0 : hidden - 5;
    }
    ++RankingFrameCount;
    const i32 current = RankingEndingsView ? kRankingEndingsPanel : RankingDifficulty;
    for (i32 p = 0; p < kRankingPanels; ++p) {
        i32& o = RankingPanelOffsets[p];
        const i32 target = p == current ? 0 : -30;
        if (o > target) --o;
    }
}

void RankingFrame() {
    if (SceneInitRequest) InitializeRanking();
    DrawRanking();
    u8 bits[2];
    ReadInputBits(0, bits);
    UpdateKeyStatesRepeat(bits, RankingKeys);
    StepRanking();
    if (RankingLeave) LeaveRanking();
    UpdateMusic();
    RearmSoundEffectGates();
}

void DrawRanking() {
    if (!BeginScene()) {
        Present();
        return;
    }
    ClearScreen(0xFFAA9955u);
    DrawScrollingBackdrop(g_RankingImages.backdrop, RankingScrollX, RankingScrollY);
    DrawPlane();
    for (i32 d = 0; d < kRankingDifficulties; ++d) DrawTable(d);
    if ((RankingFrameCount / 20) % 2 == 0) {
        DrawSprite(g_RankingImages.ranking, {120, 378, 520, 423}, {0, 465, 399, 509}, kWhite);
    }
    const i32 f = RankingCaptionFade[0];
    const i32 fw = 75 + static_cast<i32>(1.5f * static_cast<f32>(50 - f));
    DrawSprite(g_RankingImages.ranking, {320 - fw, 70 - f / 2, 320 + fw, 70 + f / 2}, {0, 0, 149, 49}, kWhite);
    DrawEndings();
    const i32 g = RankingCaptionFade[1];
    const i32 gw = 100 + 2 * (50 - g);
    DrawSprite(g_RankingImages.ranking, {320 - gw, 25 - g / 2, 320 + gw, 25 + g / 2}, {150, 0, 349, 49}, kWhite);
    DrawTransition();
    DrawSidePanels();
    EndScene();
    Present();
}

void LeaveRanking() {
    ReleaseImage(g_RankingImages.ranking);
    ReleaseImage(g_RankingImages.name);
    ReleaseImage(g_RankingImages.background);
    ReleaseImage(g_RankingImages.endList);
    ReleaseImage(g_RankingImages.endWindow);
    ReleaseImage(g_RankingImages.backdrop);
    ReleaseImage(g_RankingImages.plane);
    PreviousScene = CurrentScene;
    CurrentScene = kSceneTitle;
    SceneInitRequest = 1;
}
