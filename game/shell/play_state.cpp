#include "game/shell/play_state.h"

GameState g_GameState;
PlayerState g_PlayerState[kPlayerCount];

void ResetGameState() {
    g_GameState = GameState{};
    for (PlayerState& player : g_PlayerState) player = PlayerState{};
}
