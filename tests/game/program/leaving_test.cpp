// The built program ended from outside: by SIGTERM or SIGINT, by its display
// going away, and a second copy started in the same folder. Each leaves
// promptly, through the run's end of files, and with a status that says what
// happened.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>

#include "game/shell/save_files.h"
#include "tests/game/program/program_folder.h"

namespace {

using namespace program_test;

// Long enough never to end by itself while a test waits.
const char kEndlessRun[] = "--frames 100000000 --hash-every 7";

struct SignalCase {
    const char* name;
    int signal;
};

void PrintTo(const SignalCase& c, std::ostream* os) { *os << c.name; }

class Leaving : public ::testing::TestWithParam<SignalCase> {};

// The signal is the close box's road: the loop ends, the last state hash is
// printed as at any end of the run, and the status is 128 + the signal.
TEST_P(Leaving, ASignalEndsTheRunAsTheCloseBoxDoes) {
    const SignalCase& c = GetParam();
    ProgramFolder folder(false);
    const pid_t pid = folder.Start("--headless " + std::string(kEndlessRun));
    ASSERT_TRUE(folder.WaitForFrames(60)) << folder.Wait(pid, 1).err;
    ASSERT_EQ(kill(pid, c.signal), 0);
    const auto sent = std::chrono::steady_clock::now();
    const RunResult r = folder.Wait(pid, 20);
    EXPECT_LT(std::chrono::steady_clock::now() - sent, std::chrono::seconds(10));
    EXPECT_EQ(r.exitCode, 128 + c.signal) << r.err;
    EXPECT_NE(r.err.find("left on signal " + std::to_string(c.signal)), std::string::npos) << r.err;
    EXPECT_FALSE(ParseHashes(r.out).empty());
    // Nothing of the guard is left: the next copy starts.
    EXPECT_EQ(folder.Run("--frames 3").exitCode, 0);
}

INSTANTIATE_TEST_SUITE_P(Signals, Leaving,
                         ::testing::Values(SignalCase{"Terminate", SIGTERM}, SignalCase{"Interrupt", SIGINT}),
                         [](const ::testing::TestParamInfo<SignalCase>& info) { return info.param.name; });

// A display that goes away (the X server ends) ends the run at once, its files
// written first; the status is 1. Needs Xvfb (the test is skipped without it).
TEST(LostDisplay, TheRunEndsWithItsFilesWritten) {
    const char* xvfb = "/usr/bin/Xvfb";
    if (access(xvfb, X_OK) != 0) GTEST_SKIP() << "Xvfb is not installed";
    ProgramFolder folder(false);
    // Windowed, without the boot dialog.
    ConfigData config = DefaultConfigData();
    config.fullScreen = 0;
    config.showBootDialog = 0;
    WriteBytes(folder.dir() / "config.dat", EncodeConfigData(config));

    // The X server picks a free display number and writes it to its output.
    const fs::path numberFile = folder.dir() / "display.txt";
    const pid_t server = fork();
    if (server == 0) {
        const std::string command = "exec " + std::string(xvfb) + " -displayfd 1 -screen 0 800x600x24 -nolisten tcp > '" +
                                    numberFile.string() + "' 2> /dev/null";
        execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    std::string number;
    for (int i = 0; i < 200 && number.empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        const std::string text = ReadText(numberFile);
        if (!text.empty() && text.back() == '\n') number = text.substr(0, text.size() - 1);
    }
    if (number.empty()) {
        kill(server, SIGKILL);
        waitpid(server, nullptr, 0);
        FAIL() << "Xvfb did not start";
    }
    const pid_t pid = folder.Start(kEndlessRun, "DISPLAY=:" + number + " SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy");
    const bool running = folder.WaitForFrames(60);
    kill(server, SIGTERM);
    waitpid(server, nullptr, 0);
    const auto lost = std::chrono::steady_clock::now();
    const RunResult r = folder.Wait(pid, 20);
    ASSERT_TRUE(running) << r.err;
    EXPECT_LT(std::chrono::steady_clock::now() - lost, std::chrono::seconds(10));
    EXPECT_EQ(r.exitCode, 1) << r.err;
    EXPECT_NE(r.err.find("the display went away"), std::string::npos) << r.err;
    EXPECT_FALSE(ParseHashes(r.out).empty());
    // The settings are as they were, and the folder is free for the next copy.
    EXPECT_EQ(ReadBytes(folder.dir() / "config.dat"), EncodeConfigData(config));
    EXPECT_EQ(folder.Run("--frames 3").exitCode, 0);
}

// The guard is the program's folder: a second copy started there is refused,
// with a message and status 1, whatever its environment says (the runtime
// folder once held the lock, so copies with different ones ran together on
// the same save files). Nothing is left behind once the first copy ends.
TEST(SingleCopy, ASecondCopyInTheSameFolderIsRefusedWhateverItsEnvironment) {
    ProgramFolder folder(false);
    const fs::path runtime = folder.dir() / "runtime";
    fs::create_directories(runtime);
    const pid_t first =
        folder.Start("--headless " + std::string(kEndlessRun),
                     std::string(kHeadlessEnvironment) + " XDG_RUNTIME_DIR='" + runtime.string() + "'", "first");
    ASSERT_TRUE(folder.WaitForFrames(60, "first")) << folder.Wait(first, 1, "first").err;
    for (const char* environment : {"-u XDG_RUNTIME_DIR", "XDG_RUNTIME_DIR=/tmp"}) {
        SCOPED_TRACE(environment);
        const pid_t second =
            folder.Start("--headless --frames 3", std::string(environment) + " " + kHeadlessEnvironment, "second");
        const RunResult r = folder.Wait(second, 60, "second");
        EXPECT_EQ(r.exitCode, 1) << r.err;
        EXPECT_NE(r.err.find("2重起動は出来ません"), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "");
    }
    kill(first, SIGTERM);
    EXPECT_EQ(folder.Wait(first, 20, "first").exitCode, 128 + SIGTERM);
    EXPECT_TRUE(fs::is_empty(runtime));
    for (const auto& entry : fs::directory_iterator(folder.dir())) {
        EXPECT_NE(entry.path().extension(), ".lock") << entry.path();
    }
    EXPECT_EQ(folder.Run("--frames 3").exitCode, 0);
}

// The game's folders replaced by files: the run reports the saves it cannot
// make and plays on to its end.
TEST(SaveFaults, FoldersThatAreFilesLeaveTheGameRunning) {
    ProgramFolder folder(false);
    for (const char* name : {"system", "replay"}) {
        std::ofstream(folder.dir() / name) << "not a folder";
    }
    folder.WriteScript("skip.bin", "150 -\n1 Z\n");
    const RunResult r = folder.Run("--frames 600 --input skip.bin --hash-every 100");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(ParseHashes(r.out).size(), 6u);
    EXPECT_NE(r.err.find("cannot save \"system/system.dat\""), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("system/ranking.dat"), std::string::npos) << r.err;
    EXPECT_EQ(ReadText(folder.dir() / "system"), "not a folder");
}

}  // namespace
