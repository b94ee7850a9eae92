#include "game/shell/game_state.h"

i32 StageIndex = 0;
i32 Difficulty = 0;
i32 StartKind = 0;
i32 GameMode = 0;
i32 Continues = 0;
StoryFlagArray StoryFlags{};

namespace {

PlayerHooks g_playerHooks;

}  // namespace

void SetPlayerHooks(const PlayerHooks& hooks) { g_playerHooks = hooks; }

const PlayerHooks& GetPlayerHooks() { return g_playerHooks; }

void ResetPlayer(i32 mode) {
    if (g_playerHooks.resetPlayerState) {
        g_playerHooks.resetPlayerState(mode);
    } else if (mode == 0) {
        ResetPlayRecord(g_PlayRecord);
    }
}

void ClearPlayerKeyStates() {
    if (g_playerHooks.clearKeyStates) g_playerHooks.clearKeyStates();
}

void SetPlayerRunScore(u32 score) {
    if (g_playerHooks.setRunScore) g_playerHooks.setRunScore(score);
}
