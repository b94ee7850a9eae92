// The game program: the application frame runs the game's set-up and main.
#include <cstdio>
#include <string>

#include "engine/app/application_main.h"
#include "engine/app/run_options.h"
#include "game/enemy/enemy_content.h"
#include "game/patterns/pattern_content.h"
#include "game/play/play_scene.h"
#include "game/stages/stage_content.h"
#include "game/shell/game_main.h"
#include "platform/input.h"

namespace {

const char kUsage[] =
    "usage: tolvarin [--headless] [--frames N] [--input FILE] [--record FILE] [--play FILE]\n"
    "                [--hash-every N] [--screenshot-at N[,N...]] [--screenshot-dir DIR]\n";

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
    RegisterPlayScene();
    // The stage content fills the play scene's dispatch tables.
    RegisterEnemyContent();
    RegisterStageContent();
    RegisterPatternContent();
    SetGameCallbacks(GameSetup, GameMain);
    return ApplicationMain(argc, argv);
}
