// The built program, headless, driven by scripted input from the title into
// a full run on HARD: the first stage's waves fly, fire and are shot at, and
// two runs of the same input print the same state hashes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "game/shell/input.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

constexpr int kFrames = 1800;

// Z skips the logos; Z opens the difficulty menu of a full run, Up wraps the
// cursor to HARD and Z starts the first stage. In play the aircraft fires all
// the time and sweeps left and right.
std::vector<u16> HardRunInput() {
    std::vector<u16> words(kFrames, 0);
    words[150] = kInputZ;
    words[400] = kInputZ;
    words[420] = kInputUp;
    words[440] = kInputZ;
    for (int f = 700; f < kFrames; ++f) {
        u16 w = kInputZ;
        const int phase = (f / 120) % 4;
        if (phase == 0) w |= kInputLeft;
        if (phase == 2) w |= kInputRight;
        words[static_cast<std::size_t>(f)] = w;
    }
    return words;
}

struct ProgramRun {
    int status = -1;
    std::string log;
    std::vector<std::string> hashes;  // "frame <n> <hash>" lines
};

ProgramRun RunProgram(const fs::path& dir, const fs::path& input) {
    const fs::path program = fs::path(TOLVARIN_BUILD_DIR) / "tolvarin";
    const fs::path logPath = dir / "log.txt";
    const std::string command = "XDG_RUNTIME_DIR='" + dir.string() + "' SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy '" +
                                program.string() + "' --headless --frames " + std::to_string(kFrames) +
                                " --input '" + input.string() + "' --hash-every 300 > '" + logPath.string() +
                                "' 2>&1";
    ProgramRun run;
    run.status = std::system(command.c_str());
    std::ifstream logFile(logPath);
    run.log.assign(std::istreambuf_iterator<char>(logFile), std::istreambuf_iterator<char>());
    std::istringstream lines(run.log);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("frame ", 0) == 0) run.hashes.push_back(line);
    }
    return run;
}

TEST(Stage1Runner, AHardRunOfTheFirstStageIsHeadlessAndRepeatable) {
    ASSERT_TRUE(fs::exists(fs::path(TOLVARIN_BUILD_DIR) / "tolvarin"));
    testing_support::TempDir out;
    const fs::path input = out.path() / "input.bin";
    {
        std::ofstream f(input, std::ios::binary);
        for (const u16 w : HardRunInput()) {
            const char bytes[2] = {static_cast<char>(w & 0xFF), static_cast<char>(w >> 8)};
            f.write(bytes, 2);
        }
    }
    const fs::path first = out.path() / "first";
    const fs::path second = out.path() / "second";
    fs::create_directory(first);
    fs::create_directory(second);
    const ProgramRun a = RunProgram(first, input);
    ASSERT_EQ(a.status, 0) << a.log;
    ASSERT_EQ(a.hashes.size(), static_cast<std::size_t>(kFrames / 300)) << a.log;
    // The stage is under way: the state keeps changing through the play.
    for (std::size_t i = 3; i < a.hashes.size(); ++i) {
        EXPECT_NE(a.hashes[i].substr(a.hashes[i].rfind(' ')), a.hashes[i - 1].substr(a.hashes[i - 1].rfind(' ')))
            << a.hashes[i];
    }
#if defined(__SANITIZE_ADDRESS__)
    // The sanitizer build checks the run itself; the repeat is the normal build's.
    return;
#endif
    const ProgramRun b = RunProgram(second, input);
    ASSERT_EQ(b.status, 0) << b.log;
    EXPECT_EQ(a.hashes, b.hashes);
}

}  // namespace
