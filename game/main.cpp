// The game program: the application frame runs the game's set-up and main.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "engine/app/application_main.h"
#include "engine/app/run_options.h"
#include "game/patterns/stage_registry.h"
#include "game/play/play_scene.h"
#include "game/shell/game_main.h"
#include "game/shell/image_archive_check.h"
#include "game/shell/replay_runner.h"
#include "platform/input.h"
#include "platform/system.h"

namespace {

// The game makes its own folder the current one before it starts, so file
// names given on the command line are taken relative to where it was started.
void MakeAbsolute(std::string& path) {
    if (path.empty()) return;
    std::error_code ec;
    std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    if (!ec) path = absolute.string();
}

// A start that cannot go on: the message goes to standard error always and,
// with a display, into a box as well.
void ReportStartFailure(const std::string& text) {
    std::fprintf(stderr, "tolvarin: cannot start: %s\n", text.c_str());
    if (!Options().headless) {
        constexpr std::uint32_t kErrorIcon = 0x10;
        platform::ShowMessageBoxOnDisplay(kErrorIcon, "Tolvarin",
                                          platform::Utf8ToSjis("The game cannot start: " + text));
    }
}

}  // namespace

int main(int argc, char** argv) {
    // SIGTERM and SIGINT end the run as the close box does.
    platform::InstallLeaveSignals();
    std::string error;
    if (!ParseRunOptions(argc, argv, Options(), error)) {
        std::fprintf(stderr, "tolvarin: %s\n%s", error.c_str(), RunOptionsUsage());
        return 2;
    }
    RunOptions& options = Options();
    if (options.help) {
        std::fputs(RunOptionsUsage(), stdout);
        return 0;
    }
    if (!options.recordFile.empty() && !options.playFile.empty()) {
        std::fprintf(stderr, "tolvarin: --record and --play cannot be used together\n%s", RunOptionsUsage());
        return 2;
    }
    if (const std::string problem = CheckImageArchives(platform::ProgramFolder()); !problem.empty()) {
        ReportStartFailure(problem);
        return 1;
    }
    MakeAbsolute(options.recordFile);
    MakeAbsolute(options.playFile);
    MakeAbsolute(options.frameTimesFile);
    if (!options.inputFile.empty() && !platform::LoadScriptedInput(options.inputFile, error)) {
        std::fprintf(stderr, "tolvarin: %s\n", error.c_str());
        return 2;
    }
    if (!options.playFile.empty()) {
        const FileStatus status = PrepareRunnerPlayback(options.playFile);
        if (!status) {
            std::fprintf(stderr, "tolvarin: cannot play the replay: %s\n", status.message.c_str());
            return 1;
        }
        if (!status.message.empty()) std::fprintf(stderr, "tolvarin: %s\n", status.message.c_str());
    }
    RegisterPlayScene();
    // The stage content fills the play scene's dispatch tables.
    RegisterStages();
    SetGameCallbacks(GameSetup, GameMain);
    const i32 code = ApplicationMain(argc, argv);
    // A run ended by a signal says so, in its status too (128 + the signal,
    // as a shell reports it).
    if (const int signal = platform::LeaveSignal(); signal != 0) {
        std::fprintf(stderr, "tolvarin: left on signal %d (%s)\n", signal, strsignal(signal));
        return 128 + signal;
    }
    // A record that could not be written fails the run.
    return RunnerFailed() ? 1 : code;
}
