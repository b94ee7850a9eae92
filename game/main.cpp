// The game program: the application frame runs the game's set-up and main.
#include <cstdio>
#include <string>

#include "engine/app/application_main.h"
#include "engine/app/run_options.h"
#include "game/play/play_state.h"
#include "game/shell/game_main.h"
#include "game/shell/game_state.h"
#include "platform/input.h"

namespace {

const char kUsage[] =
    "usage: tolvarin [--headless] [--frames N] [--input FILE] [--record FILE] [--play FILE]\n"
    "                [--hash-every N] [--screenshot-at N[,N...]] [--screenshot-dir DIR]\n";

// The shell's scenes set up runs in the play layer's records.
void LinkShellToPlayState() {
    GameStateLinks& l = GameLinks();
    l.StageIndex = &g_GameState.StageIndex;
    l.Difficulty = &g_GameState.Difficulty;
    l.StartKind = &g_GameState.StartKind;
    l.GameMode = &g_GameState.GameMode;
    l.Continues = &g_GameState.Continues;
    l.StoryFlags = &g_GameState.StoryFlags;
    l.RunScore = &g_PlayerState[0].RunScore;
    l.clearPlayerKeyStates = [] {
        for (i32& k : g_PlayerState[0].keys) k = 0;
        for (i32& k : g_PlayerState[0].liveKeys) k = 0;
    };
}

}  // namespace

int main(int argc, char** argv) {
    std::string error;
    if (!ParseRunOptions(argc, argv, Options(), error)) {
        std::fprintf(stderr, "tolvarin: %s\n%s", error.c_str(), kUsage);
        return 2;
    }
    if (!Options().inputFile.empty() && !platform::LoadScriptedInput(Options().inputFile, error)) {
        std::fprintf(stderr, "tolvarin: %s\n", error.c_str());
        return 2;
    }
    LinkShellToPlayState();
    SetGameCallbacks(GameSetup, GameMain);
    return ApplicationMain(argc, argv);
}
