#include "game/shell/result_scene.h"

#include <cmath>
#include <cstdio>

#include "engine/app/run_options.h"
#include "engine/core/application.h"
#include "engine/core/radians.h"
#include "engine/graphics/device.h"
#include "game/shell/game_main.h"
#include "game/shell/input.h"
#include "game/shell/play_state.h"
#include "game/shell/ranking.h"
#include "game/shell/ranking_scene.h"
#include "game/shell/replay.h"
#include "game/shell/scene_frame.h"
#include "game/shell/scene_pieces.h"
#include "game/shell/shell_graphics.h"
#include "game/shell/sound_effects.h"
#include "game/shell/transition.h"
#include "platform/system.h"

ResultSceneState g_Result;

namespace {

constexpr u32 kWhite = 0xFFFFFFFFu;
constexpr u32 kUnchosen = 0xFF646464u;

bool Pressed(i32 slot) { return g_Result.ResultKeys[slot] == kKeyPressed; }
bool Held(i32 slot) { return g_Result.ResultKeys[slot] == kKeyHeld; }

// The run's total as the ranking and the replay file store it (never below 0).
u32 StoredTotal() { return static_cast<u32>(g_Result.ResultScore < 0 ? 0 : g_Result.ResultScore); }

void ClearName() {
    for (u32& c : g_Result.ResultName) c = kBlankNameCharacter;
}

const std::vector<i32>& CurrentList() { return g_Result.CharacterLists[g_Result.ListSelect == 1 ? 1 : 0]; }

void CursorLeft() {
    const i32 size = static_cast<i32>(CurrentList().size());
    g_Result.ListCursor = g_Result.ListCursor - 1 < 0 ? size - 1 : g_Result.ListCursor - 1;
    PlaySoundEffect(34);
}

void CursorRight() {
    const i32 size = static_cast<i32>(CurrentList().size());
    g_Result.ListCursor = g_Result.ListCursor + 1 >= size ? 0 : g_Result.ListCursor + 1;
    PlaySoundEffect(34);
}

void Close() {
    StartTransition(kTransitionClose);
    g_Result.ResultState = kResultLeaving;
}

// A save the player made that failed: said on standard error and, when a
// window shows the game, in a message box too, where the player sees it (a
// headless run never waits on a box). The game goes on either way.
void SaySaveFailure(const std::string& what, const std::string& message) {
    std::fprintf(stderr, "tolvarin: %s\n", message.c_str());
    if (Options().headless) return;
    constexpr u32 kWarningIcon = 0x30;
    ShowMessageBox(kWarningIcon, "Tolvarin", "%s",
                   platform::Utf8ToSjis(what + " was not saved.\n\n" + message).c_str());
}

void OpenPrompt() {
    g_Result.ResultState = kResultSavePrompt;
    g_Result.ResultPanelOffsets[kResultPanelPrompt] = 30;
}

void SaveRunReplay() {
    ReplayRunInfo run;
    run.Difficulty = g_GameState.Difficulty;
    run.StartKind = g_GameState.StartKind;
    run.score = StoredTotal();
    run.name = g_Result.ResultName;
    run.storyFlags = g_GameState.StoryFlags;
    const SaveReplayResult saved = SaveReplay(g_PlayRecord, run, GameWindowTitle());
    if (!saved.status) SaySaveFailure("The replay", saved.status.message);
}

void StepShown() {
    if (!Pressed(kKeyZ)) return;
    if (g_Result.ResultRankPosition < kResultNamedPlaces) {
        g_Result.ResultState = kResultRankingName;
        g_Result.ResultPanelOffsets[kResultPanelRankingName] = 30;
        PlaySoundEffect(33);
    } else if (ResultOffersReplay()) {
        OpenPrompt();
    } else {
        Close();
    }
    g_Result.NameLength = 0;
}

void StepNameEntry() {
    const i32 state = g_Result.ResultState;
    const bool room = g_Result.NameLength < kNameLength;
    if (Pressed(kKeyLeft) && room) {
        CursorLeft();
        g_Result.RepeatCount = 1;
    }
    if (Pressed(kKeyRight) && room) {
        CursorRight();
        g_Result.RepeatCount = 1;
    }
    if (Held(kKeyLeft) && room) {
        ++g_Result.RepeatCount;
        if (g_Result.RepeatCount >= 10 && g_Result.RepeatCount % 5 == 0) CursorLeft();
    }
    if (Held(kKeyRight) && room) {
        ++g_Result.RepeatCount;
        if (g_Result.RepeatCount >= 10 && g_Result.RepeatCount % 5 == 0) CursorRight();
    }
    if (Pressed(kKeyUp) || Pressed(kKeyDown)) {
        g_Result.ListSelect = g_Result.ListSelect == 0 ? 1 : 0;
        PlaySoundEffect(33);
    }
    if (Pressed(kKeyZ)) {
        if (g_Result.NameLength < kNameLength) {
            const std::vector<i32>& list = CurrentList();
            if (g_Result.ListCursor >= 0 && g_Result.ListCursor < static_cast<i32>(list.size())) {
                g_Result.ResultName[static_cast<std::size_t>(g_Result.NameLength)] =
                    static_cast<u32>(list[static_cast<std::size_t>(g_Result.ListCursor)]);
            }
            ++g_Result.NameLength;
            PlaySoundEffect(32);
        } else {
            if (state == kResultRankingName) {
                InsertRanking();
                g_Result.NameLength = 0;
                ClearName();
                if (ResultOffersReplay()) {
                    OpenPrompt();
                } else {
                    Close();
                }
            } else {
                SaveRunReplay();
                Close();
            }
            PlaySoundEffect(35);
            // The name is confirmed: the keys of this frame are spent.
            return;
        }
    }
    if (Pressed(kKeyX)) {
        if (g_Result.NameLength > 0) {
            --g_Result.NameLength;
            g_Result.ResultName[static_cast<std::size_t>(g_Result.NameLength)] = kBlankNameCharacter;
        } else if (state == kResultReplayName) {
            g_Result.ResultName[0] = kBlankNameCharacter;
            OpenPrompt();
        }
        PlaySoundEffect(36);
    }
}

void StepPrompt() {
    if (Pressed(kKeyZ)) {
        if (g_Result.NameLength == 0) {
            g_Result.ResultState = kResultReplayName;
            g_Result.NameLength = 0;
            g_Result.ResultPanelOffsets[kResultPanelReplayName] = 30;
        } else {
            Close();
        }
        PlaySoundEffect(33);
        return;
    }
    if (Pressed(kKeyLeft)) {
        g_Result.NameLength = 0;
        PlaySoundEffect(34);
    }
    if (Pressed(kKeyRight)) {
        g_Result.NameLength = 1;
        PlaySoundEffect(34);
    }
    g_Result.promptChoice = g_Result.NameLength;
}

i32 PanelOfState(i32 state) {
    switch (state) {
        case kResultShown: return kResultPanelScores;
        case kResultRankingName: return kResultPanelRankingName;
        case kResultSavePrompt: return kResultPanelPrompt;
        case kResultReplayName: return kResultPanelReplayName;
        default: return -1;
    }
}

DigitRow ResultDigits(i32 unitsX, i32 places) {
    DigitRow row;
    row.texture = g_Result.images.result;
    row.sourceLeft = 240;
    row.sourceTop = 90;
    row.sourceBottom = 114;
    row.unitsX = unitsX;
    row.places = places;
    return row;
}

void DrawScoresPanel() {
    Texture* result = g_Result.images.result;
    const i32 cx = ResultPanelX(g_Result.ResultPanelOffsets[kResultPanelScores]);
    DrawSprite(g_Result.images.result3, {cx - 200, 88, cx + 200, 408}, {0, 0, 399, 319}, kWhite);
    const DigitRow digits = ResultDigits(cx + 91, 7);
    for (i32 s = 0; s < kPlayableStages; ++s) {
        const i32 y = 118 + 40 * s;
        DrawSprite(result, {cx - 170, y, cx - 10, y + 40}, {0, 270 + 40 * s, 159, 309 + 40 * s}, kWhite);
        DrawDigitRow(digits, static_cast<i32>(g_PlayRecord.stageScore[static_cast<std::size_t>(s)]), y + 8);
        DrawSprite(result, {cx + 108, y + 10, cx + 168, y + 35}, {380, 50, 439, 74}, kWhite);
    }
    DrawSprite(result, {cx - 170, 338, cx - 10, 378}, {0, 230, 159, 269}, kWhite);
    DrawDigitRow(digits, g_Result.ResultScore, 346);
    DrawSprite(result, {cx + 108, 348, cx + 168, 373}, {380, 50, 439, 74}, kWhite);
    if (g_Result.ResultRankPosition >= 0 && g_Result.ResultRankPosition < kResultNamedPlaces) {
        const f64 phase = 2.0 * kPiDouble * static_cast<f64>(g_Result.ResultFrameCount % 100) / 100.0;
        const i32 hw = static_cast<i32>(70.0 + 4.0 * std::sin(phase));
        const i32 hh = static_cast<i32>(15.0 + 2.0 * std::sin(phase));
        const Rect source = g_Result.ResultRankPosition == 0 ? Rect{160, 230, 299, 259} : Rect{160, 260, 299, 289};
        DrawSprite(result, {cx + 90 - hw, 388 - hh, cx + 90 + hw, 388 + hh}, source, kWhite);
    }
}

// The name entry of the ranking (panel 1) or of the replay (panel 3).
void DrawNamePanel(i32 panel) {
    Texture* result = g_Result.images.result;
    Texture* name = g_Result.images.name;
    const i32 cx = ResultPanelX(g_Result.ResultPanelOffsets[panel]);
    const bool blink = (g_Result.ResultFrameCount / 20) % 2 == 0;
    DrawSprite(g_Result.images.result2, {cx - 200, 88, cx + 200, 408}, {0, 0, 399, 319}, kWhite);
    DrawSprite(result, {cx - 120, 120, cx + 120, 180}, {0, 0, 239, 59}, kWhite);
    // In the save prompt NameLength holds the prompt's choice, not a count.
    const i32 length = g_Result.ResultState == kResultSavePrompt ? 0 : g_Result.NameLength;
    if (length < kNameLength) {
        const std::vector<i32>& list = CurrentList();
        const i32 size = static_cast<i32>(list.size());
        for (i32 k = 0; k <= 10 && size > 0; ++k) {
            i32 index = (g_Result.ListCursor - 5 + k) % size;
            if (index < 0) index += size;
            const i32 c = list[static_cast<std::size_t>(index)];
            const i32 x = cx - 125 + 22 * k;
            DrawSprite(name, {x, 268, x + 30, 293}, NameCharacterSource(static_cast<u32>(c)), kWhite);
        }
        DrawSprite(result, {cx - 20, 265, cx + 20, 295}, {400, 120, 439, 149}, kWhite);
        if (blink) {
            DrawSprite(result, {cx - 145, 265, cx - 115, 295}, {440, 120, 469, 149}, kWhite);
            DrawSprite(result, {cx + 115, 265, cx + 145, 295}, {470, 120, 499, 149}, kWhite);
        }
        DrawSprite(result, {cx - 180, 315, cx + 180, 345}, {0, 120, 399, 149}, kWhite);
    } else if (blink) {
        DrawSprite(result, {cx - 120, 295, cx + 120, 345}, {0, 150, 239, 199}, kWhite);
    }
    for (i32 k = 0; k < kNameLength; ++k) {
        const i32 x = cx - 75 + 30 * k;
        const i32 markTop = k == length && blink ? 223 : 218;
        DrawSprite(result, {x, markTop, x + 30, markTop + 25}, {420, 90, 449, 114}, kWhite);
        DrawSprite(name, {x, 213, x + 30, 238}, NameCharacterSource(g_Result.ResultName[static_cast<std::size_t>(k)]),
                   kWhite);
    }
    if (panel == kResultPanelReplayName && length >= kNameLength) {
        DrawSprite(result, {cx - 190, 255, cx + 130, 285}, {0, 200, 319, 229}, kWhite);
        DrawDigitRow(ResultDigits(cx + 166, 3), g_Result.ReplayNumber, 258);
        const i32 hw = static_cast<i32>(static_cast<f32>(g_Result.ResultGlow) * 0.02f * 75.0f);
        const i32 hh = static_cast<i32>(static_cast<f32>(g_Result.ResultGlow) * 0.02f * 25.0f);
        DrawSprite(result, {cx - hw, 375 - hh, cx + hw, 375 + hh}, {240, 0, 389, 49}, kWhite);
    }
}

void DrawPromptPanel() {
    Texture* result = g_Result.images.result;
    const i32 cx = ResultPanelX(g_Result.ResultPanelOffsets[kResultPanelPrompt]);
    DrawSprite(g_Result.images.result2, {cx - 200, 125, cx + 200, 295}, {0, 340, 399, 509}, kWhite);
    DrawSprite(result, {cx - 120, 150, cx + 120, 210}, {0, 60, 239, 119}, kWhite);
    const i32 choice = g_Result.ResultState == kResultSavePrompt ? g_Result.NameLength : g_Result.promptChoice;
    DrawSprite(result, {cx - 80, 215, cx - 20, 265}, {390, 0, 449, 49}, choice == 0 ? kWhite : kUnchosen);
    DrawSprite(result, {cx + 20, 215, cx + 80, 265}, {450, 0, 509, 49}, choice == 1 ? kWhite : kUnchosen);
    const i32 markLeft = choice == 0 ? cx - 102 : cx - 2;
    DrawSprite(result, {markLeft, 225, markLeft + 20, 255}, {450, 90, 469, 119}, kWhite);
}

}  // namespace

bool ResultOffersReplay() { return g_GameState.Continues == 3; }

i32 ResultPanelX(i32 o) { return 320 + PanelSlide(o); }

bool InsertRanking() {
    return InsertRanking(g_RankingTable, g_GameState.Difficulty, g_Result.ResultRankPosition, StoredTotal(),
                         g_Result.ResultName);
}

void InitializeResult() {
    for (i32& o : g_Result.ResultPanelOffsets) o = -30;
    g_Result.ResultGlow = 0;
    for (i32& k : g_Result.ResultKeys) k = 0;
    g_Result.NameLength = 0;
    g_Result.ResultState = kResultOpening;
    g_Result.ResultFrameCount = 0;
    g_Result.RepeatCount = 0;
    g_Result.ResultLeave = 0;
    g_Result.promptChoice = 0;
    g_Result.ReplayNumber = FindFreeReplayNumber(nullptr);
    if (g_GameState.StartKind == kStartStageSelect) {
        g_Result.ResultState = kResultSavePrompt;
        g_Result.ResultPanelOffsets[kResultPanelPrompt] = 30;
        PlaySoundEffect(33);
    }
    g_Result.ResultScore = static_cast<i32>(ComputeResultScore(g_PlayRecord));
    for (i32 l = 0; l < 2; ++l) {
        std::vector<i32>().swap(g_Result.CharacterLists[l]);
        g_Result.CharacterLists[l] = BuildCharacterList(l);
    }
    g_Result.ListSelect = 0;
    g_Result.ListCursor = 0;
    ClearName();
    g_Result.ResultRankPosition = RankPosition(g_RankingTable, g_GameState.Difficulty, StoredTotal());
    g_Result.images.name = CreateTexture("vsk1.dat", "name", 1, nullptr);
    g_Result.images.result = CreateTexture("vsk1.dat", "result", 1, nullptr);
    g_Result.images.result2 = CreateTexture("vsk1.dat", "result2", 1, nullptr);
    g_Result.images.result3 = CreateTexture("vsk1.dat", "result3", 1, nullptr);
    g_Result.images.backdrop = CreateSurface("vsk2.dat", "report10", 1, nullptr);
    StartTransition(kTransitionOpen);
    SceneInitRequest = 0;
}

void StepResult() {
    switch (g_Result.ResultState) {
        case kResultOpening:
            if (!TransitionRunning()) {
                g_Result.ResultState = kResultShown;
                g_Result.ResultPanelOffsets[kResultPanelScores] = 30;
                PlaySoundEffect(33);
            }
            break;
        case kResultShown: StepShown(); break;
        case kResultRankingName:
        case kResultReplayName: StepNameEntry(); break;
        case kResultSavePrompt: StepPrompt(); break;
        case kResultLeaving:
            if (!TransitionRunning()) g_Result.ResultLeave = 1;
            break;
        default: break;
    }
    const i32 current = PanelOfState(g_Result.ResultState);
    for (i32 p = 0; p < kResultPanelCount; ++p) {
        i32& o = g_Result.ResultPanelOffsets[p];
        if (o > (p == current ? 0 : -30)) --o;
    }
    if (g_Result.ResultFrameCount > 50 && g_Result.ResultGlow < 50) g_Result.ResultGlow += 2;
    ++g_Result.ResultFrameCount;
}

void ResultFrame() {
    static constexpr SceneFrameSteps kSteps{
        .enter = InitializeResult,
        .order = SceneFrameOrder::kDrawThenKeys,
        .draw = DrawResult,
        .takeKeys = [](const u8 bits[2]) { UpdateKeyStates(bits, g_Result.ResultKeys); },
        .step = StepResult,
        .leaving = [] { return g_Result.ResultLeave != 0; },
        .leave = LeaveResult,
    };
    RunSceneSteps(kSteps);
}

void DrawResult() {
    if (!BeginScene()) {
        Present();
        return;
    }
    ClearScreen(0xFFFF8855u);
    DrawScrollingBackdrop(g_Result.images.backdrop, g_Result.ResultScrollX, g_Result.ResultScrollY);
    DrawScoresPanel();
    DrawNamePanel(kResultPanelRankingName);
    DrawPromptPanel();
    DrawNamePanel(kResultPanelReplayName);
    DrawTransition();
    DrawSidePanels();
    EndScene();
    Present();
}

void LeaveResult() {
    ReleaseImage(g_Result.images.name);
    ReleaseImage(g_Result.images.result);
    ReleaseImage(g_Result.images.result2);
    ReleaseImage(g_Result.images.result3);
    ReleaseImage(g_Result.images.backdrop);
    const FileStatus saved = SaveRanking();
    if (!saved) SaySaveFailure("The ranking", saved.message);
    g_Ranking.RankingDifficulty = g_GameState.Difficulty;
    g_Ranking.RankingHighlight = g_Result.ResultRankPosition;
    PreviousScene = CurrentScene;
    CurrentScene = kSceneTitle;
    SceneInitRequest = 1;
}
