#include "game/shell/play_state.h"

GameState g_GameState;
PlayerState g_PlayerState[kPlayerCount];
StageTextures g_StageTextures;
PauseMenu g_PauseMenu;
ContinuePrompt g_ContinuePrompt;

void ResetGameState() {
    g_GameState = GameState{};
    for (PlayerState& player : g_PlayerState) player = PlayerState{};
    g_PauseMenu = PauseMenu{};
    g_ContinuePrompt = ContinuePrompt{};
}
