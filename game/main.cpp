// The game program: the application frame runs the game's set-up and main.
#include <cstdio>
#include <string>

#include "engine/app/application_main.h"
#include "engine/app/run_options.h"
#include "game/shell/game_main.h"
#include "platform/input.h"

namespace {

const char kUsage[] =
    "usage: tolvarin [--headless] [--frames N] [--input FILE] [--record FILE] [--play FILE]\n"
    "                [--hash-every N] [--screenshot-at N[,N...]] [--screenshot-dir DIR]\n";

}  // namespace

// The play scene. Weak until the player and enemy runtime are in the play
// library: a weak reference does not pull the play scene out of the library,
// so the program links (and runs without scene 2) while they are missing.
// Once they are there this becomes a plain declaration from
// game/play/play_scene.h and a plain call.
void RegisterPlayScene() __attribute__((weak));

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
    if (RegisterPlayScene) RegisterPlayScene();
    SetGameCallbacks(GameSetup, GameMain);
    return ApplicationMain(argc, argv);
}
