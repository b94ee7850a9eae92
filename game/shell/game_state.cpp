#include "game/shell/game_state.h"

namespace {

struct ShellGameState {
    i32 StageIndex = 0;
    i32 Difficulty = 0;
    i32 StartKind = 0;
    i32 GameMode = 0;
    i32 Continues = 0;
    StoryFlagArray StoryFlags{};
    i32 RunScore = 0;
};

ShellGameState g_shellState;

GameStateLinks OwnLinks() {
    GameStateLinks l;
    l.StageIndex = &g_shellState.StageIndex;
    l.Difficulty = &g_shellState.Difficulty;
    l.StartKind = &g_shellState.StartKind;
    l.GameMode = &g_shellState.GameMode;
    l.Continues = &g_shellState.Continues;
    l.StoryFlags = &g_shellState.StoryFlags;
    l.RunScore = &g_shellState.RunScore;
    return l;
}

GameStateLinks g_links = OwnLinks();

}  // namespace

GameStateLinks& GameLinks() { return g_links; }

void ResetGameLinks() { g_links = OwnLinks(); }

void ResetPlayer(i32 mode) {
    if (g_links.resetPlayerState) {
        g_links.resetPlayerState(mode);
    } else if (mode == 0) {
        ResetPlayRecord(g_PlayRecord);
        *g_links.RunScore = 0;
    }
}

void ClearPlayerKeyStates() {
    if (g_links.clearPlayerKeyStates) g_links.clearPlayerKeyStates();
}
