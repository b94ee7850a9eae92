#pragma once
// The run's game-state values that the shell's scenes hand to the play scene
// and read back (stage index, difficulty, start kind, game mode, continues,
// story flags, the player's run score), reached through links that the play
// layer points at its own records when it starts; until then they point at
// storage of the shell. The player's reset and key states are reached through
// hooks the play layer fills.
#include "engine/core/types.h"
#include "game/shell/replay.h"

struct GameStateLinks {
    i32* StageIndex = nullptr;     // 0..4 in play order
    i32* Difficulty = nullptr;     // 0 EASY, 1 NORMAL, 2 HARD
    i32* StartKind = nullptr;      // 0 full run, 1 main-menu entry 1 or demonstration, 2 stage select
    i32* GameMode = nullptr;       // kGameModeNormal, kGameModeReplay, kGameModeDemo
    i32* Continues = nullptr;
    StoryFlagArray* StoryFlags = nullptr;
    i32* RunScore = nullptr;       // the player's total score of the run
    void (*resetPlayerState)(i32 mode) = nullptr;  // ResetPlayerState
    void (*clearPlayerKeyStates)() = nullptr;      // zero both KeyState arrays of the player
};

// The links in use. Every pointer is valid at all times.
GameStateLinks& GameLinks();
// Points every value at the shell's own storage and clears the hooks.
void ResetGameLinks();

inline i32& GameStageIndex() { return *GameLinks().StageIndex; }
inline i32& GameDifficulty() { return *GameLinks().Difficulty; }
inline i32& GameStartKind() { return *GameLinks().StartKind; }
inline i32& GameModeValue() { return *GameLinks().GameMode; }
inline i32& GameContinues() { return *GameLinks().Continues; }
inline StoryFlagArray& GameStoryFlags() { return *GameLinks().StoryFlags; }
inline i32& GameRunScore() { return *GameLinks().RunScore; }

// ResetPlayerState(mode) through the hook; without the play layer, mode 0
// still resets the run record's half (the PlayRecord).
void ResetPlayer(i32 mode);
void ClearPlayerKeyStates();
