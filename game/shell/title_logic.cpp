#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "engine/core/application.h"
#include "game/shell/game_main.h"
#include "game/shell/game_state.h"
#include "game/shell/play_state.h"
#include "game/shell/input.h"
#include "game/shell/music.h"
#include "game/shell/replay.h"
#include "game/shell/save_files.h"
#include "game/shell/shell_graphics.h"
#include "game/shell/sound_effects.h"
#include "game/shell/sound_names.h"
#include "game/shell/title_scene.h"
#include "game/shell/transition.h"

TitleSceneState g_Title;

namespace {

bool Pressed(i32 slot) { return g_Title.TitleKeyState[slot] == kKeyPressed; }

template <int N>
void SetAll(i32 (&timers)[N], i32 value) {
    for (i32& t : timers) t = value;
}

template <int N>
void StepToward(i32 (&timers)[N], i32 target) {
    for (i32& t : timers) {
        if (t > target) {
            --t;
        } else if (t < target) {
            ++t;
        }
    }
}

void CursorUp(i32 last) { g_Title.TitleCursor = g_Title.TitleCursor <= 0 ? last : g_Title.TitleCursor - 1; }
void CursorDown(i32 last) { g_Title.TitleCursor = g_Title.TitleCursor >= last ? 0 : g_Title.TitleCursor + 1; }

void LeaveTo(i32 scene) {
    g_Title.TitleMenuState = kTitleLeaving;
    StartTransition(kTransitionClose);
    g_Title.TitleNextScene = scene;
}

void OpenDifficulty(i32 startKind) {
    g_Title.TitleMenuState = kTitleDifficulty;
    g_Title.TitleCursor = 0;
    g_GameState.StartKind = startKind;
    SetAll(g_Title.DifficultyEntryTimers, 30);
    PlaySoundEffect(kSoundPage);
}

void BackToMain(i32 cursor) {
    g_Title.TitleMenuState = kTitleMain;
    g_Title.TitleCursor = cursor;
    SetAll(g_Title.MainEntryTimers, 30);
    PlaySoundEffect(kSoundChu1);
}

void StepMain() {
    if (Pressed(kKeyZ)) {
        switch (g_Title.TitleCursor) {
            case 0: OpenDifficulty(kStartFullRun); break;
            case 1: OpenDifficulty(kStartMenuRun); break;
            case 2:
                LeaveTo(kSceneRanking);
                PlaySoundEffect(kSoundDecide2Menu);
                break;
            case 3:
                LeaveTo(kSceneReplayBrowser);
                PlaySoundEffect(kSoundDecide2Menu);
                break;
            case 4:
                LeaveTo(kSceneSettings);
                PlaySoundEffect(kSoundDecide2Menu);
                break;
            case 5:
                LeaveTo(kSceneProgramEnd);
                PlaySoundEffect(kSoundDecide2Menu);
                break;
            default: break;
        }
    }
    if (Pressed(kKeyUp)) {
        CursorUp(kTitleMainEntries - 1);
        PlaySoundEffect(kSoundKaizanSwitch15);
    }
    if (Pressed(kKeyDown)) {
        CursorDown(kTitleMainEntries - 1);
        PlaySoundEffect(kSoundKaizanSwitch15);
    }
    if (g_Title.TitleIdleFrames > kTitleIdleLimit) {
        g_GameState.StartKind = kStartMenuRun;
        g_GameState.GameMode = kGameModeDemo;
        LeaveTo(kScenePlay);
    }
}

void StepDifficulty() {
    if (Pressed(kKeyZ)) {
        g_GameState.Difficulty = g_Title.TitleCursor;
        if (g_GameState.StartKind == kStartFullRun) {
            // A full run begins at the first stage, whatever an earlier
            // demonstration or stage select left in the stage index.
            g_GameState.StageIndex = 0;
            g_GameState.GameMode = kGameModeNormal;
            PrefetchStage(g_GameState.StageIndex);
            LeaveTo(kScenePlay);
            PlaySoundEffect(kSoundDecide2Menu);
        } else {
            g_Title.TitleMenuState = kTitleStageSelect;
            g_Title.TitleCursor = 0;
            SetAll(g_Title.StageEntryTimers, 30);
            PlaySoundEffect(kSoundPage);
        }
    }
    if (Pressed(kKeyX)) BackToMain(g_GameState.StartKind != kStartFullRun ? 1 : 0);
    if (Pressed(kKeyUp)) {
        CursorUp(kTitleDifficultyEntries - 1);
        PlaySoundEffect(kSoundKaizanSwitch15);
    }
    if (Pressed(kKeyDown)) {
        CursorDown(kTitleDifficultyEntries - 1);
        PlaySoundEffect(kSoundKaizanSwitch15);
    }
}

void StepStageSelect() {
    if (Pressed(kKeyZ)) {
        if (TitleStageUnlocked(g_Title.TitleCursor)) {
            g_GameState.StageIndex = g_Title.TitleCursor;
            g_GameState.StartKind = kStartStageSelect;
            g_GameState.GameMode = kGameModeNormal;
            PrefetchStage(g_GameState.StageIndex);
            LeaveTo(kScenePlay);
            PlaySoundEffect(kSoundDecide2Menu);
        } else {
            PlaySoundEffect(kSoundChu1);
        }
    }
    if (Pressed(kKeyX)) BackToMain(1);
    if (Pressed(kKeyUp)) {
        CursorUp(kTitleStageEntries - 1);
        PlaySoundEffect(kSoundKaizanSwitch15);
    }
    if (Pressed(kKeyDown)) {
        CursorDown(kTitleStageEntries - 1);
        PlaySoundEffect(kSoundKaizanSwitch15);
    }
}

// Keys are handled after a state change in the same frame, by the rules of
// the menu that was active when the frame began; the cursor is brought back
// into the range of the menu now shown, so that the difficulty and the stage index
// never leave theirs.
void ClampCursor() {
    i32 last = -1;
    switch (g_Title.TitleMenuState) {
        case kTitleMain: last = kTitleMainEntries - 1; break;
        case kTitleDifficulty: last = kTitleDifficultyEntries - 1; break;
        case kTitleStageSelect: last = kTitleStageEntries - 1; break;
        default: return;
    }
    if (g_Title.TitleCursor < 0) g_Title.TitleCursor = 0;
    if (g_Title.TitleCursor > last) g_Title.TitleCursor = last;
}

}  // namespace

bool TitleStageUnlocked(i32 stage) {
    const i32 d = g_GameState.Difficulty;
    if (d < 0 || d >= kProgressDifficulties || stage < 0 || stage >= kProgressStages) return false;
    return g_SystemData.StageProgress[d][stage] == 1;
}

void ResetTitleMenu() {
    SetAll(g_Title.MainEntryTimers, 60);
    SetAll(g_Title.DifficultyEntryTimers, -30);
    SetAll(g_Title.StageEntryTimers, -30);
    for (i32& k : g_Title.TitleKeyState) k = 0;
    g_Title.TitleMenuState = kTitleOpening;
    g_Title.TitleCursor = 0;
    g_Title.TitleIdleFrames = 0;
    g_Title.TitleLeaveRequest = 0;
    g_Title.TitleNextScene = kScenePlay;
}

void OpenTitleScene() {
    for (i32& k : g_PlayerState[0].keys) k = 0;
    for (i32& k : g_PlayerState[0].liveKeys) k = 0;
    StartTransition(kTransitionOpen);
    RequestMusic(1);
    PlaySoundEffect(kSoundPage);
    SceneInitRequest = 0;
}

void TitleTakeInput(const u8 bits[2]) {
    UpdateKeyStatesRepeat(bits, g_Title.TitleKeyState);
    if (InputWord(bits) == 0) {
        ++g_Title.TitleIdleFrames;
    } else {
        g_Title.TitleIdleFrames = 0;
    }
}

void StepTitleMenu() {
    switch (g_Title.TitleMenuState) {
        case kTitleOpening:
            if (!TransitionRunning()) g_Title.TitleMenuState = kTitleMain;
            break;
        case kTitleMain: StepMain(); break;
        case kTitleDifficulty: StepDifficulty(); break;
        case kTitleStageSelect: StepStageSelect(); break;
        case kTitleLeaving:
            if (!TransitionRunning()) g_Title.TitleLeaveRequest = 1;
            break;
        default: break;
    }
    ClampCursor();
}

void StepTitleSlideTimers() {
    for (i32& t : g_Title.MainEntryTimers) {
        if (g_Title.TitleMenuState == kTitleOpening || g_Title.TitleMenuState == kTitleMain) {
            if (t > 0) --t;
        } else if (t > -30) {
            --t;
        }
    }
    StepToward(g_Title.DifficultyEntryTimers, g_Title.TitleMenuState == kTitleDifficulty ? 0 : -30);
    StepToward(g_Title.StageEntryTimers, g_Title.TitleMenuState == kTitleStageSelect ? 0 : -30);
}

i32 TitleSlideOffset(i32 t) {
    const i32 s = t * t / 2;
    return t < 0 ? -s : s;
}

bool LoadDemoReplay() {
    ReplayPlaybackStart start;
    const FileStatus loaded = LoadDemoReplay(g_PlayRecord, start);
    if (!loaded) {
        // A file that is there and cannot be used is said, once for each
        // reason; without one the logo simply runs again.
        static std::string said;
        std::error_code ec;
        if (loaded.message != said && std::filesystem::exists(std::filesystem::symlink_status(kDemoReplayFile, ec))) {
            said = loaded.message;
            std::fprintf(stderr, "tolvarin: the demonstration does not play: %s\n", said.c_str());
        }
        return false;
    }
    g_GameState.StoryFlags = start.StoryFlags;
    g_GameState.Difficulty = start.Difficulty;
    g_GameState.StartKind = start.StartKind;
    g_GameState.GameMode = kGameModeDemo;
    g_GameState.StageIndex = kDemoStageIndex;
    g_PlayerState[0].RunScore = static_cast<i32>(start.RunScore);
    return true;
}

void LeaveTitle() {
    ReleaseImage(g_Title.images.background);
    ReleaseImage(g_Title.images.menu);
    ReleaseImage(g_Title.images.stages);
    ReleaseImage(g_Title.images.digits);
    ReleaseImage(g_Title.images.spin);
    PreviousScene = CurrentScene;
    CurrentScene = g_Title.TitleNextScene;
    if (g_Title.TitleNextScene == kScenePlay && g_GameState.GameMode == kGameModeNormal) {
        ResetPlayer(0);
        g_GameState.Continues = 3;
        g_GameState.StoryFlags.fill(0);
        ClearStageRanks(g_PlayRecord);
    }
    if (g_Title.TitleNextScene == kScenePlay && g_GameState.GameMode == kGameModeDemo) {
        ResetPlayer(0);
        if (!LoadDemoReplay()) {
            g_Title.TitleNextScene = kSceneLogo;
            CurrentScene = kSceneLogo;
            PreviousScene = kScenePlay;
        }
    }
    // A road into a scene that this build does not have leads back here.
    if (CurrentScene != kSceneProgramEnd && !SceneFrame(CurrentScene)) CurrentScene = kSceneTitle;
    if (CurrentScene == kSceneProgramEnd) ApplicationExit();
    SceneInitRequest = 1;
}
