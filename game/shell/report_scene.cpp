#include "game/shell/report_scene.h"

#include <cmath>

#include "engine/core/angle.h"
#include "engine/core/radians.h"
#include "engine/graphics/device.h"
#include "engine/graphics/image_upload.h"
#include "engine/model/model.h"
#include "game/shell/ending_scene.h"
#include "game/shell/game_main.h"
#include "game/shell/input.h"
#include "game/shell/music.h"
#include "game/shell/play_state.h"
#include "game/shell/ranking.h"
#include "game/shell/scene_frame.h"
#include "game/shell/scene_pieces.h"
#include "game/shell/shell_graphics.h"
#include "game/shell/sound_effects.h"
#include "game/shell/story_flags.h"
#include "game/shell/transition.h"

ReportSceneState g_Report;

namespace {

constexpr u32 kWhite = 0xFFFFFFFFu;
constexpr u32 kShadow = 0x96000000u;

i32 ClampedStage() {
    const i32 s = g_GameState.StageIndex;
    return s < 0 ? 0 : (s >= kPlayableStages ? kPlayableStages - 1 : s);
}

i32 ClampedDifficulty() {
    const i32 d = g_GameState.Difficulty;
    return d < 0 ? 0 : (d >= kRankingDifficulties ? kRankingDifficulties - 1 : d);
}

bool Pressed(i32 slot) { return g_Report.ReportKeys[slot] == kKeyPressed; }

// The part of state 10 that also runs in the frame the report opens.
void TickShown() {
    if (g_Report.ReportSlide > 0) --g_Report.ReportSlide;
    if (g_Report.ReportTimer > 300 && g_Report.ReportFade < 1.0f) {
        g_Report.ReportFade += 0.05f;
        if (g_Report.ReportFade > 1.0f) g_Report.ReportFade = 1.0f;
    }
    if (g_Report.ReportTimer >= 150 && g_Report.ReportTimer % 30 == 0 &&
        g_Report.RankMarksShown < g_GameState.StageRank) {
        ++g_Report.RankMarksShown;
        PlaySoundEffect(19);
    }
}

void Close() {
    StartTransition(kTransitionClose);
    g_Report.ReportState = kReportLeaving;
}

// The banner plane at (x, y) turned by `angle` radians about z.
void RenderLine(f32 x, f32 y, f32 angle) {
    Model* plane = g_Report.images.plane;
    if (!plane) return;
    plane->ModelResetTransform();
    plane->ModelSetPosition(x, y, 10.0f);
    plane->ModelSetUvOffsetU(g_Report.LineScrollU, -1);
    plane->ModelSetUvOffsetV(g_Report.LineScrollV, -1);
    plane->ModelRotateZ(static_cast<u16>(RadianToAngle(angle)));
    plane->ModelUpdate(0.0f);
    plane->ModelRender();
}

void DrawBanner() {
    g_Report.LineScrollU += 0.01f;
    if (g_Report.LineScrollU > 1.0f) g_Report.LineScrollU -= 1.0f;
    if (g_Report.LineScrollV > 1.0f) g_Report.LineScrollV -= 1.0f;
    f32 x = 0.0f;
    f32 y = 40.0f;
    f32 angle = 0.0f;
    if (g_Report.ReportTimer > 100) {
        x = 50.0f;
        y = 80.0f;
        angle = 0.3f;
    } else if (g_Report.ReportTimer > 0) {
        const f32 a = static_cast<f32>(g_Report.ReportTimer) / 100.0f;
        x = 50.0f * a;
        y = 40.0f + 40.0f * a;
        angle = 0.3f * a;
    }
    RenderLine(x, y, -angle);
    RenderLine(-x, -y, static_cast<f32>(kPiDouble) - angle);
}

void DrawNumbers(i32 c) {
    DigitRow row;
    row.texture = g_Report.images.digits;
    row.sourceLeft = 0;
    row.sourceTop = 0;
    row.sourceBottom = 24;
    row.unitsX = 431;
    row.colour = kWhite;
    row.leadingColour = 0x00C8C8C8u;
    const PlayerState& player = g_PlayerState[0];
    DrawDigitRow(row, player.coins, c - 82);
    DrawDigitRow(row, player.cancelCount, c - 52);
    DrawDigitRow(row, g_Report.LivesBonus, c - 22);
    DrawDigitRow(row, player.StageScorePoints + g_Report.LivesBonus, c + 8);
    DrawDigitRow(row, player.RunScore, c + 53);
}

void DrawRankMarks(i32 c) {
    const i32 m = g_Report.RankMarksShown;
    for (i32 i = 0; i < 5; ++i) {
        const i32 x = 370 + 22 * i;
        DrawSprite(g_Report.images.digits, {x, c + 90, x + 30, c + 120}, ReportRankMarkSource(i < m ? m : 0), kWhite);
    }
}

void DrawComment() {
    const f32 s = static_cast<f32>(std::sin(static_cast<f64>(g_Report.ReportFade) * kPiDouble / 2.0));
    const i32 hf = static_cast<i32>(64.0f * s);
    const i32 hc = static_cast<i32>(50.0f * s);
    const bool faceLeft = g_Report.CommentImage == 0;
    const i32 faceX = faceLeft ? 200 : 440;
    const i32 balloonX = faceLeft ? 370 : (g_GameState.StageIndex == 4 ? 370 : 270);
    const Rect faceSource = ReportCommentFaceSource(g_Report.CommentFace);
    Texture* face = g_Report.images.face;
    DrawSprite(face, {faceX - hf + 4, 340, faceX + hf + 4, 468}, faceSource, kShadow);
    DrawSprite(face, {faceX - hf, 336, faceX + hf, 464}, faceSource, kWhite);
    const Rect balloonSource = faceLeft ? Rect{128, 255, 255, 1} : Rect{128, 1, 255, 255};
    const i32 quarter = -DegreeToAngle(90);
    if (Texture* window = g_Report.images.window) {
        window->TextureDrawRotated({balloonX - hf + 4, 276, balloonX + hf + 4, 532}, 0.0f, balloonSource, quarter,
                                   kShadow, 1);
        window->TextureDrawRotated({balloonX - hf, 272, balloonX + hf, 528}, 0.0f, balloonSource, quarter, kWhite, 1);
    }
    const i32 left = faceLeft ? 250 : balloonX - 120;
    DrawSprite(g_Report.images.comment, {left, 400 - hc, left + 240, 400 + hc},
               ReportCommentCellSource(g_Report.CommentCell), kWhite);
}

void DrawTitle() {
    const i32 t = g_Report.ReportTimer;
    if (t >= 145) return;
    const Rect source = g_Report.StageCleared ? Rect{0, 300, 249, 399} : Rect{250, 300, 499, 399};
    Rect box{195, 190, 445, 290};
    if (t < 50) {
        const f32 a = static_cast<f32>(t) * 0.02f;
        const i32 hw = static_cast<i32>(315.0f - 190.0f * a);
        const i32 hh = static_cast<i32>(125.0f - 75.0f * a);
        box = {320 - hw, 240 - hh, 320 + hw, 240 + hh};
    } else if (t >= 120) {
        const i32 hw = 3 * t - 235;
        const i32 hh = 2 * (145 - t);
        box = {320 - hw, 240 - hh, 320 + hw, 240 + hh};
    }
    DrawSprite(g_Report.images.report, box, source, kWhite);
}

}  // namespace

Rect ReportCommentFaceSource(i32 face) {
    return {128 * (face % 4), 128 * (face / 4), 128 * (face % 4) + 127, 128 * (face / 4) + 127};
}

Rect ReportCommentCellSource(i32 cell) {
    return {240 * (cell % 2), 100 * (cell / 2), 240 * (cell % 2) + 239, 100 * (cell / 2) + 99};
}

Rect ReportRankMarkSource(i32 rank) { return {30 * rank, 465, 30 * rank + 29, 494}; }

ReportComment ChooseReportComment(i32 stageIndex, i32 runScore, i32 stagePoints, i32 stageRank) {
    // The parity is taken of the 64-bit sum so that a large score cannot
    // overflow, and the cell is kept within the ten cells of the images.
    const i64 sum = static_cast<i64>(runScore) + static_cast<i64>(stagePoints);
    i32 v = static_cast<i32>(sum % 2) + 2 * (5 - stageRank);
    if (v < 0) v = 0;
    if (v > 9) v = 9;
    ReportComment c;
    if (stageIndex == 4) {
        c.image = 1;
        c.face = 13;
        c.cell = 1;
    } else if (stageIndex == 3) {
        c.image = 1;
        c.cell = v == 1 ? 0 : v;
        c.face = 12 - v / 2;
    } else {
        c.image = 0;
        c.cell = v;
        c.face = v / 2;
    }
    return c;
}

const char* ReportPictureName(i32 stageIndex, const StoryFlagArray& flags) {
    switch (stageIndex) {
        case 0:
            if (flags[kStoryBossDownedFleeing]) return "report_14";
            if (flags[kStoryFirstMidBossGotAway]) return "report_05";
            return "report_01";
        case 2:
            if (flags[kStoryThirdStageEndingThirteenRoad]) return "report_13";
            if (flags[kStoryThirdStageFortressPushedOff]) return "report_06";
            if (flags[kStoryThirdStageFortressDestroyed]) return "report_11";
            if (flags[kStoryThirdStageFortressDomesBonus]) return "report_12";
            return "report_01";
        case 3:
            if (flags[kStoryFourthThirdFightCentreDowned]) return "report_03";
            if (flags[kStoryFourthBossSankAway]) return "report_04";
            return "report_01";
        case 4:
            if (flags[kStoryLastStageEndingSeventeenRoad]) return "report_02";
            if (flags[kStoryLastBossLimbsDestroyed]) return "report_07";
            return "report_15";
        default: return "report_01";
    }
}

void SelectReportPicture() {
    g_Report.images.picture =
        CreateSurface("vsk2.dat", ReportPictureName(g_GameState.StageIndex, g_GameState.StoryFlags), 1, nullptr);
}

void ApplyStageResult() {
    PlayerState& player = g_PlayerState[0];
    g_Report.LivesBonus = player.lives * kLivesBonusPerLife;
    player.RunScore += g_Report.LivesBonus + player.StageScorePoints;
    const i32 s = g_Report.LivesBonus + player.StageScorePoints;
    // Scores are never negative; one that is would not beat a stored best.
    u32& best = g_RankingTable.bestStageScore[ClampedDifficulty()][ClampedStage()];
    if (s > 0 && static_cast<u32>(s) > best) {
        best = static_cast<u32>(s);
        g_Report.NewBestStageScore = 1;
    }
    if (g_GameState.GameMode == kGameModeNormal) {
        const i32 stage = ClampedStage();
        g_PlayRecord.stageScore[stage] = static_cast<u32>(s < 0 ? 0 : s);
        g_PlayRecord.stageRank[stage] = static_cast<u32>(g_GameState.StageRank < 0 ? 0 : g_GameState.StageRank);
    }
}

void PrefetchReportImages() {
    const bool cleared = g_PlayerState[0].lives > 0;
    // The comment is chosen by the scores at the report's start: both.
    PrefetchArchiveEntry("vsk3.dat", "clear01");
    PrefetchArchiveEntry("vsk3.dat", "clear02");
    PrefetchArchiveEntry("vsk1.dat", "face_report");
    PrefetchArchiveEntry("vsk2.dat",
                         cleared ? ReportPictureName(g_GameState.StageIndex, g_GameState.StoryFlags) : "report00");
    for (const char* name : {"report", "title3", "window"}) PrefetchArchiveEntry("vsk1.dat", name);
    PrefetchArchiveEntry("vsk1.dat", cleared ? "reportline" : "gameoverline");
}

void InitializeReport() {
    g_Report.ReportState = kReportOpening;
    g_Report.ReportTimer = 0;
    g_Report.ReportLeave = 0;
    g_Report.NewBestStageScore = 0;
    g_Report.RankMarksShown = 0;
    const PlayerState& player = g_PlayerState[0];
    const ReportComment comment =
        ChooseReportComment(g_GameState.StageIndex, player.RunScore, player.StageScorePoints, g_GameState.StageRank);
    g_Report.CommentImage = comment.image;
    g_Report.CommentFace = comment.face;
    g_Report.CommentCell = comment.cell;
    g_Report.images.comment = CreateTexture("vsk3.dat", g_Report.CommentImage == 0 ? "clear01" : "clear02", 1, nullptr);
    g_Report.images.face = CreateTexture("vsk1.dat", "face_report", 1, nullptr);
    for (i32& k : g_Report.ReportKeys) k = 0;
    g_Report.ReportSlide = 30;
    g_Report.ReportFade = 0.0f;
    if (player.lives > 0) {
        g_Report.StageCleared = 1;
        SelectReportPicture();
        // The next stage's pictures decode while the report shows.
        if (g_GameState.StageIndex < kPlayableStages - 1) PrefetchStage(g_GameState.StageIndex + 1);
    } else {
        g_Report.StageCleared = 0;
        g_Report.images.picture = CreateSurface("vsk2.dat", "report00", 1, nullptr);
    }
    g_Report.images.report = CreateTexture("vsk1.dat", "report", 1, nullptr);
    g_Report.images.digits = CreateTexture("vsk1.dat", "title3", 1, nullptr);
    g_Report.images.window = CreateTexture("vsk1.dat", "window", 1, nullptr);
    g_Report.images.line = CreateTexture("vsk1.dat", g_Report.StageCleared ? "reportline" : "gameoverline", 1, nullptr);
    if (Model* plane = CreateModelPlane(300.0f, 200.0f, 2, 2, 1.0f, nullptr)) {
        plane->ModelSetTexture(0, g_Report.images.line, -1, -1);
        plane->ModelSetLightingMode(0x100, -1);
        plane->ModelRebuildMeshShader(-1);
        g_Report.images.plane = plane;
    }
    ApplyStageResult();
    StartTransition(kTransitionOpen);
    if (g_Report.StageCleared) {
        RequestMusic(g_GameState.StageIndex == 4 ? 0 : 1002);
    } else {
        RequestMusic(1005);
    }
    SceneInitRequest = 0;
}

void StepReport() {
    switch (g_Report.ReportState) {
        case kReportOpening:
            if (TransitionRunning()) break;
            if (g_PlayerState[0].lives > 0) {
                g_Report.ReportState = kReportShown;
                PlaySoundEffect(33);
                TickShown();
            } else {
                g_Report.ReportState = kReportLostShown;
            }
            break;
        case kReportShown:
            if (g_Report.ReportTimer > kReportClearedFrames || Pressed(kKeyZ) || Pressed(kKeyX)) Close();
            if (g_Report.ReportTimer == 300) PlaySoundEffect(22);
            if (g_Report.ReportState == kReportShown) TickShown();
            break;
        case kReportLostShown:
            if (g_Report.ReportTimer > kReportLostFrames || Pressed(kKeyZ) || Pressed(kKeyX)) Close();
            break;
        case kReportLeaving:
            if (!TransitionRunning()) g_Report.ReportLeave = 1;
            break;
        default: break;
    }
}

void ReportFrame() {
    static constexpr SceneFrameSteps kSteps{
        .enter = InitializeReport,
        .order = SceneFrameOrder::kKeysThenDraw,
        .draw = DrawReport,
        .takeKeys = [](const u8 bits[2]) { UpdateKeyStates(bits, g_Report.ReportKeys); },
        .step =
            [] {
                StepReport();
                ++g_Report.ReportTimer;
            },
        .leaving = [] { return g_Report.ReportLeave != 0; },
        .leave = LeaveReport,
    };
    RunSceneSteps(kSteps);
}

void DrawReport() {
    if (!BeginScene()) {
        Present();
        return;
    }
    ClearScreen(0xFFAA9955u);
    if (g_Report.images.picture) g_Report.images.picture->SurfaceBlit(0, 0, 0, 0, 640, 480);
    DrawBanner();
    const i32 c = 190 - g_Report.ReportSlide * g_Report.ReportSlide / 2;
    DrawSprite(g_Report.images.report, {120, c - 150, 520, c + 150}, {0, 0, 399, 299}, kWhite);
    DrawNumbers(c);
    DrawRankMarks(c);
    DrawComment();
    DrawTitle();
    DrawTransition();
    DrawSidePanels();
    EndScene();
    Present();
}

i32 ChooseReportNextScene() {
    const GameState& gs = g_GameState;
    const bool fullRun = gs.StartKind == kStartFullRun || gs.StartKind == kStartMenuRun;
    // The demonstration never leads into the result screen (and its name
    // entry and replay save): it returns to the title.
    if (gs.GameMode == kGameModeDemo) return kSceneTitle;
    if (fullRun && g_Report.StageCleared) {
        if (gs.StageIndex < kPlayableStages - 1) {
            const i32 next = gs.StageIndex + 1;
            // A playback goes on only into a stage the replay holds.
            if (gs.GameMode == kGameModeReplay && (next < 0 || !g_PlayRecord.played[next])) {
                return kSceneReplayBrowser;
            }
            g_GameState.StageIndex = next;
            return kScenePlay;
        }
        if (gs.GameMode == kGameModeNormal) {
            g_Ending.EndingRequest = kEndingAfterRun;
            return kSceneEnding;
        }
    }
    return gs.GameMode == kGameModeReplay ? kSceneReplayBrowser : kSceneResult;
}

void LeaveReport() {
    ReleaseImage(g_Report.images.picture);
    ReleaseImage(g_Report.images.report);
    ReleaseImage(g_Report.images.digits);
    ReleaseImage(g_Report.images.window);
    ReleaseImage(g_Report.images.face);
    ReleaseImage(g_Report.images.comment);
    ReleaseImage(g_Report.images.line);
    ReleaseImage(g_Report.images.plane);
    PreviousScene = CurrentScene;
    i32 next = ChooseReportNextScene();
    // Roads into scenes this build does not have: the ending goes on to the
    // result, the others to the title.
    if (!SceneFrame(next)) next = next == kSceneEnding ? kSceneResult : kSceneTitle;
    if (!SceneFrame(next)) next = kSceneTitle;
    CurrentScene = next;
    SceneInitRequest = 1;
}
