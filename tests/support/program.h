#pragma once
// Starting the built game program from a test: an argument list (never a
// shell string), a time limit after which the program and anything it started
// are killed, and both output streams kept so that a failure message can show
// them. ProgramFolder gives each test a folder of its own to run the program
// in, since the game writes its settings, progress and replays beside itself
// and holds a single-copy lock.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <filesystem>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace testing_support {

// Time limits are sized for the normal build; the sanitizer build's program
// runs several times slower and is given this many times as long.
inline constexpr int kSanitizerSlowdown = 8;  // as the ctest limits (cmake/tolvarin.cmake)

struct ProgramRun {
    std::filesystem::path program;                         // absolute, or relative to `workingDir`
    std::vector<std::string> args;                         // without the program's own name
    std::filesystem::path workingDir;                      // empty: the test's own
    std::vector<std::pair<std::string, std::string>> env;  // set on top of the test's environment
    std::chrono::milliseconds timeLimit = std::chrono::seconds(120);
};

struct ProgramResult {
    std::string command;    // the program and its arguments, for messages
    int exitCode = -1;      // the exit status when the program ended by itself, else -1
    int signal = 0;         // the signal that ended it, 0 when none
    bool timedOut = false;  // killed at the time limit
    bool started = false;   // false when the program could not be started at all
    std::string out;
    std::string err;
    std::chrono::milliseconds elapsed{0};

    bool Succeeded() const { return started && !timedOut && exitCode == 0; }
};

// How the run ended and the end of both streams, for a failure message:
// EXPECT_EQ(r.exitCode, 0) << r;
std::ostream& operator<<(std::ostream& os, const ProgramResult& r);

ProgramResult RunProgram(const ProgramRun& run);

// A program started and left running, so that a test can wait for what it
// prints, send it a signal, and then wait for its end. Its output is read all
// the while (it never blocks on a full pipe). If it still runs when the object
// goes, it is killed with anything it started.
class RunningProgram {
public:
    explicit RunningProgram(const ProgramRun& run);
    ~RunningProgram();
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    // Reads the output until `done(stdout so far)` holds (true), or `limit`
    // or the run's time limit passes, or the program ends (false).
    bool WaitForOutput(const std::function<bool(const std::string& out)>& done, std::chrono::milliseconds limit);
    // What it has printed so far on its standard output.
    const std::string& Output() const { return result_.out; }
    void Signal(int signal);
    // Waits for the end, at most until the run's time limit, and gives the
    // result (RunProgram's).
    ProgramResult Finish();

private:
    using Clock = std::chrono::steady_clock;
    bool Pump(Clock::time_point until, const std::function<bool(const std::string&)>& done);

    ProgramResult result_;
    int pid_ = -1;
    int fds_[2] = {-1, -1};
    bool finished_ = false;
    Clock::time_point start_{};
    Clock::time_point deadline_{};
};

// The "frame <n> <16 hex digits>" lines that --hash-every prints, each with
// the rest of the "parts <n> player <hash> enemies <hash> ..." line that
// --hash-parts prints for the same frame (see tests/support/run_outcome.h).
struct FrameHash {
    long long frame = 0;
    std::string hash;
    std::string parts;  // "player <hash> enemies <hash> ...", empty when the run printed none
};
std::vector<FrameHash> ParseFrameHashes(const std::string& out);

// The "status <n> scene <s> stage <i> stage-frame <f> phase <p> script-frame
// <sf> lives <l> points <pts> score <s>" lines that --status-every prints.
struct RunStatus {
    long long frame = 0;
    int scene = 0;
    int stage = 0;
    int stageFrame = 0;
    int phase = 0;
    int scriptFrame = 0;
    int lives = 0;
    int points = 0;
    int score = 0;
};
std::vector<RunStatus> ParseStatusLines(const std::string& out);

// Input words as --input reads them: little-endian 16-bit, one per frame.
void WriteInputWords(const std::filesystem::path& path, const std::vector<std::uint16_t>& words);

// A folder of the running test's own under the build folder holding links to
// the built program and the sample archives, plus any other files of the build
// folder named in `extraFiles` (say "demo.rpl"). It is removed at the end of
// a test that passed and kept for a look after one that failed.
class ProgramFolder {
public:
    explicit ProgramFolder(const std::vector<std::string>& extraFiles = {});
    ~ProgramFolder();
    ProgramFolder(const ProgramFolder&) = delete;
    ProgramFolder& operator=(const ProgramFolder&) = delete;

    const std::filesystem::path& dir() const { return dir_; }

    // The program headless in this folder: tolvarin --headless <args>, with
    // SDL's dummy drivers and the single-copy lock kept inside the folder.
    ProgramResult Run(const std::vector<std::string>& args,
                      std::chrono::milliseconds timeLimit = std::chrono::seconds(120)) const;
    // That run, to be changed (more environment) or started with RunningProgram.
    ProgramRun HeadlessRun(const std::vector<std::string>& args,
                           std::chrono::milliseconds timeLimit = std::chrono::seconds(120)) const;

private:
    std::filesystem::path dir_;
};

}  // namespace testing_support
