#pragma once
// The run's game-state values that the shell's scenes hand to the play scene
// (and read back), and the seams through which the shell reaches the player
// record of the play layer. The play layer installs the hooks when it starts.
#include "engine/core/types.h"
#include "game/shell/replay.h"

enum Difficulty : i32 { kDifficultyEasy = 0, kDifficultyNormal = 1, kDifficultyHard = 2 };

enum StartKind : i32 {
    kStartFullRun = 0,      // main-menu entry 0
    kStartFromMenu = 1,     // main-menu entry 1 (or the demonstration)
    kStartSingleStage = 2,  // a stage from the stage select
};

extern i32 StageIndex;   // 0..4 in play order
extern i32 Difficulty;   // 0 EASY, 1 NORMAL, 2 HARD
extern i32 StartKind;
extern i32 GameMode;     // kGameModeNormal, kGameModeReplay, kGameModeDemo
extern i32 Continues;
extern StoryFlagArray StoryFlags;

// The player record's operations, filled by the play layer.
struct PlayerHooks {
    void (*resetPlayerState)(i32 mode) = nullptr;  // ResetPlayerState
    void (*clearKeyStates)() = nullptr;            // zero both KeyState arrays of the player
    void (*setRunScore)(u32 score) = nullptr;      // the player's RunScore
};
void SetPlayerHooks(const PlayerHooks& hooks);
const PlayerHooks& GetPlayerHooks();

// ResetPlayerState(mode) through the hook; without the play layer, mode 0
// still resets the run record's half (the PlayRecord).
void ResetPlayer(i32 mode);
void ClearPlayerKeyStates();
void SetPlayerRunScore(u32 score);
