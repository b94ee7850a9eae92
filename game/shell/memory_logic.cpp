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

MemorySceneState g_Memory;

namespace {

bool Pressed(i32 slot) { return g_Memory.MemoryKeyState[slot] == kKeyPressed; }

i32 ListSize() { return static_cast<i32>(g_ReplayList.size()); }

void SetStageTimers(i32 value) {
    for (i32& t : g_Memory.MemoryStageTimers) t = value;
}

void LeaveTo(i32 scene) {
    g_Memory.MemoryNextScene = scene;
    StartTransition(kTransitionClose);
    g_Memory.MemoryState = kMemoryLeaving;
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
        g_Memory.MemoryState = kMemoryStages;
        g_Memory.MemoryStageCursor = 0;
        SetStageTimers(30);
        PlaySoundEffect(kSoundPage);
    }
    if (Pressed(kKeyX)) {
        LeaveTo(kSceneTitle);
        PlaySoundEffect(kSoundChu1);
    }
    if (Pressed(kKeyUp)) {
        g_Memory.MemoryCursor = g_Memory.MemoryCursor <= 0 ? n - 1 : g_Memory.MemoryCursor - 1;
        PlaySoundEffect(kSoundKaizanSwitch15);
    }
    if (Pressed(kKeyDown)) {
        g_Memory.MemoryCursor = g_Memory.MemoryCursor >= n - 1 ? 0 : g_Memory.MemoryCursor + 1;
        PlaySoundEffect(kSoundKaizanSwitch15);
    }
    g_Memory.MemoryListTop = g_Memory.MemoryCursor - 4;
    if (g_Memory.MemoryListTop > n - kMemoryRows) g_Memory.MemoryListTop = n - kMemoryRows;
    if (g_Memory.MemoryListTop < 0) g_Memory.MemoryListTop = 0;
}

void StepStages() {
    const i32 n = ListSize();
    if (Pressed(kKeyZ)) {
        const bool played =
            g_Memory.MemoryCursor >= 0 && g_Memory.MemoryCursor < n &&
            g_ReplayList[static_cast<std::size_t>(g_Memory.MemoryCursor)].played[g_Memory.MemoryStageCursor] != 0;
        if (played) {
            LeaveTo(kScenePlay);
            PlaySoundEffect(kSoundDecide2Menu);
        } else {
            PlaySoundEffect(kSoundChu1);
        }
    }
    if (Pressed(kKeyX)) {
        g_Memory.MemoryState = kMemoryList;
        PlaySoundEffect(kSoundChu1);
    }
    if (Pressed(kKeyUp)) {
        g_Memory.MemoryStageCursor =
            g_Memory.MemoryStageCursor <= 0 ? kMemoryStageEntries - 1 : g_Memory.MemoryStageCursor - 1;
        PlaySoundEffect(kSoundKaizanSwitch15);
    }
    if (Pressed(kKeyDown)) {
        g_Memory.MemoryStageCursor =
            g_Memory.MemoryStageCursor >= kMemoryStageEntries - 1 ? 0 : g_Memory.MemoryStageCursor + 1;
        PlaySoundEffect(kSoundKaizanSwitch15);
    }
}

// Loads the chosen replay and sets the play state for its playback from the
// chosen stage. The file is read before anything is reset, so that a file
// that has gone or no longer holds the stage leaves the run as it was.
bool StartPlayback() {
    PlayRecord loaded;
    ReplayHeader header;
    const FileStatus status = LoadReplay(g_Memory.MemoryCursor, loaded, header);
    if (!status) {
        std::fprintf(stderr, "%s\n", status.message.c_str());
        return false;
    }
    if (!status.message.empty()) std::fprintf(stderr, "%s\n", status.message.c_str());
    if (g_Memory.MemoryStageCursor < 0 || g_Memory.MemoryStageCursor >= kPlayableStages ||
        header.played[g_Memory.MemoryStageCursor] == 0) {
        return false;
    }
    ResetPlayer(0);
    g_PlayRecord = std::move(loaded);
    const ReplayPlaybackStart start = PrepareReplayPlayback(header, g_Memory.MemoryStageCursor);
    g_GameState.Difficulty = start.Difficulty;
    g_GameState.StageIndex = start.StageIndex;
    g_GameState.StartKind = start.StartKind;
    g_GameState.GameMode = start.GameMode;
    g_GameState.StoryFlags = start.StoryFlags;
    g_PlayerState[0].RunScore = static_cast<i32>(start.RunScore);
    PrefetchStage(g_GameState.StageIndex);
    return true;
}

}  // namespace

void ResetMemoryBrowser() {
    SetStageTimers(-30);
    if (PreviousScene == kSceneStageReport || PreviousScene == kScenePlay) {
        // Back from a playback: the stage column of the same replay.
        g_Memory.MemoryState = kMemoryStages;
        g_Memory.MemoryFrameCount = 0;
        g_Memory.MemoryLeaveRequest = 0;
        g_Memory.MemoryListTop = 0;
        SetStageTimers(30);
        RequestMusic(1);
    } else {
        g_Memory.MemoryState = kMemoryOpening;
        g_Memory.MemoryFrameCount = 0;
        g_Memory.MemoryLeaveRequest = 0;
        g_Memory.MemoryListTop = 0;
        g_Memory.MemoryCursor = 0;
        g_Memory.MemoryHeadingZoom = 0;
    }
    for (i32& k : g_Memory.MemoryKeyState) k = 0;
    g_Memory.MemoryNextScene = kSceneTitle;
}

void OpenMemoryBrowser() {
    for (const std::string& message : ScanReplayFiles()) std::fprintf(stderr, "%s\n", message.c_str());
    // The folder may have changed during a playback: the kept cursors are
    // brought within the new list, and an empty list shows its message.
    const i32 n = ListSize();
    if (g_Memory.MemoryCursor >= n) g_Memory.MemoryCursor = n - 1;
    if (g_Memory.MemoryCursor < 0) g_Memory.MemoryCursor = 0;
    if (g_Memory.MemoryStageCursor < 0 || g_Memory.MemoryStageCursor >= kMemoryStageEntries)
        g_Memory.MemoryStageCursor = 0;
    if (n == 0 && g_Memory.MemoryState == kMemoryStages) {
        g_Memory.MemoryState = kMemoryList;
        SetStageTimers(-30);
    }
    StartTransition(kTransitionOpen);
    SceneInitRequest = 0;
}

void MemoryTakeInput(const u8 bits[2]) { UpdateKeyStatesRepeat(bits, g_Memory.MemoryKeyState); }

void StepMemoryBrowser() {
    switch (g_Memory.MemoryState) {
        case kMemoryOpening:
            if (!TransitionRunning()) g_Memory.MemoryState = kMemoryList;
            break;
        case kMemoryList: StepList(); break;
        case kMemoryStages: StepStages(); break;
        case kMemoryLeaving:
            if (!TransitionRunning()) g_Memory.MemoryLeaveRequest = 1;
            break;
        default: break;
    }
}

void StepMemoryTimers() {
    for (i32& t : g_Memory.MemoryStageTimers) {
        if (g_Memory.MemoryState == kMemoryStages) {
            if (t > 0) --t;
        } else if (t > -30) {
            --t;
        }
    }
    if (g_Memory.MemoryFrameCount > 50 && g_Memory.MemoryHeadingZoom < 50) g_Memory.MemoryHeadingZoom += 2;
    g_Memory.MemoryFrameCount += 1;
}

void LeaveMemory() {
    ReleaseImage(g_Memory.images.name);
    ReleaseImage(g_Memory.images.memory);
    ReleaseImage(g_Memory.images.stages);
    ReleaseImage(g_Memory.images.window);
    ReleaseImage(g_Memory.images.background);
    PreviousScene = CurrentScene;
    i32 next = g_Memory.MemoryNextScene;
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
