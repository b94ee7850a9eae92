#include "game/shell/game_state.h"

#include "game/shell/play_state.h"
#include "game/shell/replay.h"

ResetPlayerStateFn ResetPlayerStateHook = nullptr;

void ResetPlayer(i32 mode) {
    if (ResetPlayerStateHook) {
        ResetPlayerStateHook(mode);
    } else if (mode == 0) {
        ResetPlayRecord(g_PlayRecord);
        g_PlayerState[0].RunScore = 0;
    }
}
