#include <cstdio>

#include "game/shell/game_main.h"
#include "game/shell/game_state.h"
#include "game/shell/input.h"
#include "game/shell/memory_scene.h"
#include "game/shell/music.h"
#include "game/shell/play_state.h"
#include "game/shell/replay.h"
#include "game/shell/shell_graphics.h"
#include "game/shell/sound_effects.h"
#include "game/shell/sound_names.h"
#include "game/shell/transition.h"

i32 MemoryState = kMemoryOpening;
i32 MemoryCursor = 0;
i32 MemoryStageCursor = 0;
i32 MemoryListTop = 0;
i32 MemoryFrameCount = 0;
i32 MemoryHeadingZoom = 0;
i32 MemoryStageTimers[kMemoryStageEntries] = {};
i32 MemoryNextScene = kSceneTitle;
i32 MemoryKeyState[8] = {};
u8 MemoryLeaveRequest = 0;
i32 MemoryScrollX = 0;
i32 MemoryScrollY = 0;
MemoryImages g_MemoryImages;

namespace {

bool Pressed(i32 slot) { return MemoryKeyState[slot] == kKeyPressed; }

i32 ListSize() { return static_cast<i32>(g_ReplayList.size()); }

void SetStageTimers(i32 value) {
    for (i32& t : MemoryStageTimers) t = value;
}

void LeaveTo(i32 scene) {
    MemoryNextScene = scene;
    StartTransition(kTransitionClose);
    MemoryState = kMemoryLeaving;
}

void StepList() {
    const i32 n = ListSize();
    if (n == 0) {
        if (Pressed(kKeyZ) || Pressed(kKeyX)) {
            LeaveTo(kSceneTitle);
            PlaySoundEffect(kSoundChu1);
        }
        return;
    }
    if (Pressed(kKeyZ)) {
        MemoryState = kMemoryStages;
        MemoryStageCursor = 0;
        SetStageTimers(30);
        PlaySoundEffect(kSoundPage);
    }
    if (Pressed(kKeyX)) {
        LeaveTo(kSceneTitle);
        PlaySoundEffect(kSoundChu1);
    }
    if (Pressed(kKeyUp)) {
        MemoryCursor = MemoryCursor <= 0 ? n - 1 : MemoryCursor - 1;
        PlaySoundEffect(kSoundKaizanSwitch15);
    }
    if (Pressed(kKeyDown)) {
        MemoryCursor = MemoryCursor >= n - 1 ? 0 : MemoryCursor + 1;
        PlaySoundEffect(kSoundKaizanSwitch15);
    }
    MemoryListTop = MemoryCursor - 4;
    if (MemoryListTop > n - kMemoryRows) MemoryListTop = n - kMemoryRows;
    if (MemoryListTop < 0) MemoryListTop = 0;
}

void StepStages() {
    const i32 n = ListSize();
    if (Pressed(kKeyZ)) {
        const bool played = MemoryCursor >= 0 && MemoryCursor < n &&
                            g_ReplayList[static_cast<std::size_t>(MemoryCursor)].played[MemoryStageCursor] != 0;
        if (played) {
            LeaveTo(kScenePlay);
            PlaySoundEffect(kSoundDecide2Menu);
        } else {
            PlaySoundEffect(kSoundChu1);
        }
    }
    if (Pressed(kKeyX)) {
        MemoryState = kMemoryList;
        PlaySoundEffect(kSoundChu1);
    }
    if (Pressed(kKeyUp)) {
        MemoryStageCursor = MemoryStageCursor <= 0 ? kMemoryStageEntries - 1 : MemoryStageCursor - 1;
        PlaySoundEffect(kSoundKaizanSwitch15);
    }
    if (Pressed(kKeyDown)) {
        MemoryStageCursor = MemoryStageCursor >= kMemoryStageEntries - 1 ? 0 : MemoryStageCursor + 1;
        PlaySoundEffect(kSoundKaizanSwitch15);
    }
}

// Loads the chosen replay and sets the play state for its playback from the
// chosen stage. The file is read before anything is reset, so that a file
// that has gone or no longer holds the stage leaves the run as it was.
bool StartPlayback() {
    PlayRecord loaded;
    ReplayHeader header;
    const FileStatus status = LoadReplay(MemoryCursor, loaded, header);
    if (!status) {
        std::fprintf(stderr, "%s\n", status.message.c_str());
        return false;
    }
    if (!status.message.empty()) std::fprintf(stderr, "%s\n", status.message.c_str());
    if (MemoryStageCursor < 0 || MemoryStageCursor >= kPlayableStages || header.played[MemoryStageCursor] == 0) {
        return false;
    }
    ResetPlayer(0);
    g_PlayRecord = std::move(loaded);
    const ReplayPlaybackStart start = PrepareReplayPlayback(header, MemoryStageCursor);
    g_GameState.Difficulty = start.Difficulty;
    g_GameState.StageIndex = start.StageIndex;
    g_GameState.StartKind = start.StartKind;
    g_GameState.GameMode = start.GameMode;
    g_GameState.StoryFlags = start.StoryFlags;
    g_PlayerState[0].RunScore = static_cast<i32>(start.RunScore);
    return true;
}

}  // namespace

void ResetMemoryBrowser() {
    SetStageTimers(-30);
    if (PreviousScene == kSceneStageReport || PreviousScene == kScenePlay) {
        // Back from a playback: the stage column of the same replay.
        MemoryState = kMemoryStages;
        MemoryFrameCount = 0;
        MemoryLeaveRequest = 0;
        MemoryListTop = 0;
        SetStageTimers(30);
        RequestMusic(1);
    } else {
        MemoryState = kMemoryOpening;
        MemoryFrameCount = 0;
        MemoryLeaveRequest = 0;
        MemoryListTop = 0;
        MemoryCursor = 0;
        MemoryHeadingZoom = 0;
    }
    for (i32& k : MemoryKeyState) k = 0;
    MemoryNextScene = kSceneTitle;
}

void OpenMemoryBrowser() {
    for (const std::string& message : ScanReplayFiles()) std::fprintf(stderr, "%s\n", message.c_str());
    // The folder may have changed during a playback: the kept cursors are
    // brought within the new list, and an empty list shows its message.
    const i32 n = ListSize();
    if (MemoryCursor >= n) MemoryCursor = n - 1;
    if (MemoryCursor < 0) MemoryCursor = 0;
    if (MemoryStageCursor < 0 || MemoryStageCursor >= kMemoryStageEntries) MemoryStageCursor = 0;
    if (n == 0 && MemoryState == kMemoryStages) {
        MemoryState = kMemoryList;
        SetStageTimers(-30);
    }
    StartTransition(kTransitionOpen);
    SceneInitRequest = 0;
}

void MemoryTakeInput(const u8 bits[2]) { UpdateKeyStatesRepeat(bits, MemoryKeyState); }

void StepMemoryBrowser() {
    switch (MemoryState) {
    case kMemoryOpening:
        if (!TransitionRunning()) MemoryState = kMemoryList;
        break;
    case kMemoryList:
        StepList();
        break;
    case kMemoryStages:
        StepStages();
        break;
    case kMemoryLeaving:
        if (!TransitionRunning()) MemoryLeaveRequest = 1;
        break;
    default:
        break;
    }
}

void StepMemoryTimers() {
    for (i32& t : MemoryStageTimers) {
        if (MemoryState == kMemoryStages) {
            if (t > 0) --t;
        } else if (t > -30) {
            --t;
        }
    }
    if (MemoryFrameCount > 50 && MemoryHeadingZoom < 50) MemoryHeadingZoom += 2;
    MemoryFrameCount += 1;
}

void LeaveMemory() {
    ReleaseImage(g_MemoryImages.name);
    ReleaseImage(g_MemoryImages.memory);
    ReleaseImage(g_MemoryImages.stages);
    ReleaseImage(g_MemoryImages.window);
    ReleaseImage(g_MemoryImages.background);
    PreviousScene = CurrentScene;
    i32 next = MemoryNextScene;
    if (next == kScenePlay && !StartPlayback()) {
        // The replay could not be read: the browser opens afresh on the
        // list as the folder now holds it.
        next = kSceneReplayBrowser;
    }
    // A road into a scene that this build does not have leads to the title.
    if (!SceneFrame(next)) next = kSceneTitle;
    CurrentScene = next;
    SceneInitRequest = 1;
}
