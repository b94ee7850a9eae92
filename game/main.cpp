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

// The stage content: enemy looks and behaviours, stage timelines and spawners,
// attack patterns, each library registering itself into the play scene's
// dispatch tables. Weak until the enemy runtime is in the play library: a
// weak reference does not pull the content out of its library, so the program
// links (and plays without content) while the runtime is missing. Once it is
// there these become plain declarations from game/enemy/enemy_content.h,
// game/stages/stage_content.h and game/patterns/pattern_content.h and plain
// calls.
void RegisterEnemyContent() __attribute__((weak));
void RegisterStageContent() __attribute__((weak));
void RegisterPatternContent() __attribute__((weak));

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
    if (RegisterEnemyContent) RegisterEnemyContent();
    if (RegisterStageContent) RegisterStageContent();
    if (RegisterPatternContent) RegisterPatternContent();
    SetGameCallbacks(GameSetup, GameMain);
    return ApplicationMain(argc, argv);
}
