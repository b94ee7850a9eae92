// The built program ended from outside: by SIGTERM or SIGINT, by its display
// going away, and a second copy started in the same folder. Each leaves
// promptly, through the run's end of files, and with a status that says what
// happened.
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "game/shell/save_files.h"
#include "tests/support/program.h"
#include "tests/support/temp_dir.h"
#include "tools/sampledata/input_script.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing_support::ParseFrameHashes;
using testing_support::ProgramFolder;
using testing_support::ProgramResult;
using testing_support::ProgramRun;
using testing_support::ReadWholeFile;
using testing_support::RunningProgram;
using testing_support::WriteWholeFile;

// Long enough never to end by itself while a test waits.
const std::vector<std::string> kEndlessRun = {"--frames", "100000000", "--hash-every", "7"};

bool PrintsFrames(const std::string& out) { return !ParseFrameHashes(out).empty(); }

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
    ProgramFolder folder;
    RunningProgram program(folder.HeadlessRun(kEndlessRun));
    ASSERT_TRUE(program.WaitForOutput(PrintsFrames, 60s)) << program.Finish();
    program.Signal(c.signal);
    const auto sent = std::chrono::steady_clock::now();
    const ProgramResult r = program.Finish();
    EXPECT_LT(std::chrono::steady_clock::now() - sent, 10s);
    EXPECT_EQ(r.exitCode, 128 + c.signal) << r;
    EXPECT_NE(r.err.find("left on signal " + std::to_string(c.signal)), std::string::npos) << r;
    EXPECT_FALSE(ParseFrameHashes(r.out).empty());
    // Nothing of the guard is left: the next copy starts.
    EXPECT_EQ(folder.Run({"--frames", "3"}).exitCode, 0);
}

INSTANTIATE_TEST_SUITE_P(Signals, Leaving,
                         ::testing::Values(SignalCase{"Terminate", SIGTERM}, SignalCase{"Interrupt", SIGINT}),
                         [](const ::testing::TestParamInfo<SignalCase>& testInfo) { return testInfo.param.name; });

// A display that goes away (the X server ends) ends the run at once, its files
// written first; the status is 1. Needs Xvfb (the test is skipped without it).
TEST(LostDisplay, TheRunEndsWithItsFilesWritten) {
    const fs::path xvfb = "/usr/bin/Xvfb";
    if (access(xvfb.c_str(), X_OK) != 0) GTEST_SKIP() << "Xvfb is not installed";
    ProgramFolder folder;
    // Windowed, without the boot dialog.
    ConfigData config = DefaultConfigData();
    config.fullScreen = 0;
    config.showBootDialog = 0;
    WriteWholeFile(folder.dir() / "config.dat", EncodeConfigData(config));

    // The X server picks a free display number and prints it.
    ProgramRun serverRun;
    serverRun.program = xvfb;
    serverRun.args = {"-displayfd", "1", "-screen", "0", "800x600x24", "-nolisten", "tcp"};
    serverRun.timeLimit = 120s;
    RunningProgram server(serverRun);
    const auto numbered = [](const std::string& out) { return !out.empty() && out.back() == '\n'; };
    ASSERT_TRUE(server.WaitForOutput(numbered, 20s)) << server.Finish();
    const std::string number = server.Output();

    ProgramRun run;
    run.program = folder.dir() / "tolvarin";
    run.args = kEndlessRun;
    run.workingDir = folder.dir();
    run.env = {{"DISPLAY", ":" + number.substr(0, number.size() - 1)},
               {"SDL_VIDEODRIVER", "x11"},
               {"SDL_AUDIODRIVER", "dummy"},
               {"ASAN_OPTIONS", "detect_leaks=0:abort_on_error=1"}};
    run.timeLimit = 120s;
    RunningProgram program(run);
    const bool running = program.WaitForOutput(PrintsFrames, 60s);
    server.Signal(SIGTERM);
    server.Finish();
    const auto lost = std::chrono::steady_clock::now();
    const ProgramResult r = program.Finish();
    ASSERT_TRUE(running) << r;
    EXPECT_LT(std::chrono::steady_clock::now() - lost, 10s);
    EXPECT_EQ(r.exitCode, 1) << r;
    EXPECT_NE(r.err.find("the display went away"), std::string::npos) << r;
    EXPECT_FALSE(ParseFrameHashes(r.out).empty());
    // The settings are as they were, and the folder is free for the next copy.
    EXPECT_EQ(ReadWholeFile(folder.dir() / "config.dat"), EncodeConfigData(config));
    EXPECT_EQ(folder.Run({"--frames", "3"}).exitCode, 0);
}

// Copies of the program in one folder, each told of a runtime folder of the
// test's own (where the guard's lock file once lived).
class SingleCopy : public ::testing::Test {
protected:
    SingleCopy() { fs::create_directories(runtime_); }

    ProgramRun Copy(const std::vector<std::string>& args, const std::string& runtimeFolder) const {
        ProgramRun run = folder_.HeadlessRun(args);
        run.env.emplace_back("XDG_RUNTIME_DIR", runtimeFolder);
        return run;
    }
    ProgramRun Copy(const std::vector<std::string>& args) const { return Copy(args, runtime_.string()); }

    ProgramFolder folder_;
    const fs::path runtime_ = folder_.dir() / "runtime";
};

// The guard is the program's folder: a second copy started there is refused,
// with a message and status 1, whatever its environment says (the runtime
// folder once held the lock, so copies with different ones ran together on
// the same save files). Nothing is left behind once the first copy ends.
TEST_F(SingleCopy, ASecondCopyInTheSameFolderIsRefusedWhateverItsEnvironment) {
    RunningProgram first(Copy(kEndlessRun));
    ASSERT_TRUE(first.WaitForOutput(PrintsFrames, 60s)) << first.Finish();
    for (const char* elsewhere : {"", "/tmp"}) {
        SCOPED_TRACE(std::string("XDG_RUNTIME_DIR=") + elsewhere);
        const ProgramResult r = testing_support::RunProgram(Copy({"--frames", "3"}, elsewhere));
        EXPECT_EQ(r.exitCode, 1) << r;
        EXPECT_NE(r.err.find("2重起動は出来ません"), std::string::npos) << r;
        EXPECT_EQ(r.out, "");
    }
    first.Signal(SIGTERM);
    EXPECT_EQ(first.Finish().exitCode, 128 + SIGTERM);
    EXPECT_TRUE(fs::is_empty(runtime_));
    for (const auto& entry : fs::directory_iterator(folder_.dir())) {
        EXPECT_NE(entry.path().extension(), ".lock") << entry.path();
    }
    EXPECT_EQ(folder_.Run({"--frames", "3"}).exitCode, 0);
}

// A copy that dies without its end (SIGKILL, a crash) leaves nothing that
// blocks the next start, and a copy that ends cleanly leaves nothing in the
// runtime folder either.
TEST_F(SingleCopy, ACopyThatDiedDoesNotBlockTheNextStart) {
    RunningProgram killed(Copy(kEndlessRun));
    ASSERT_TRUE(killed.WaitForOutput(PrintsFrames, 60s)) << killed.Finish();
    killed.Signal(SIGKILL);
    EXPECT_EQ(killed.Finish().signal, SIGKILL);

    const ProgramResult r = testing_support::RunProgram(Copy({"--frames", "3"}));
    EXPECT_EQ(r.exitCode, 0) << r;
    EXPECT_EQ(r.err.find("2重起動は出来ません"), std::string::npos) << r;
    EXPECT_TRUE(fs::is_empty(runtime_));
}

// The game's folders replaced by files: the run says the folders it cannot
// make and the saves it cannot make, and plays on to its end.
TEST(SaveFaults, FoldersThatAreFilesLeaveTheGameRunning) {
    ProgramFolder folder;
    for (const char* name : {"system", "replay"}) std::ofstream(folder.dir() / name) << "not a folder";
    std::vector<u16> words;
    std::string error;
    ASSERT_TRUE(ParseInputScript("150 -\n1 Z\n", words, error)) << error;
    testing_support::WriteInputWords(folder.dir() / "skip.bin", words);
    const ProgramResult r = folder.Run({"--frames", "600", "--input", "skip.bin", "--hash-every", "100"});
    EXPECT_EQ(r.exitCode, 0) << r;
    EXPECT_EQ(ParseFrameHashes(r.out).size(), 6u);
    for (const char* said : {"/system: Not a directory; the progress and the ranking cannot be saved",
                             "/replay: Not a directory; replays cannot be saved"}) {
        EXPECT_NE(r.err.find("tolvarin: cannot make the folder " + folder.dir().string() + said), std::string::npos)
            << r;
    }
    EXPECT_EQ(r.err.find("/screen"), std::string::npos) << r;
    EXPECT_NE(r.err.find("cannot save \"system/system.dat\""), std::string::npos) << r;
    EXPECT_NE(r.err.find("system/ranking.dat"), std::string::npos) << r;
    std::ifstream system(folder.dir() / "system");
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(system)), std::istreambuf_iterator<char>()), "not a folder");
}

}  // namespace
