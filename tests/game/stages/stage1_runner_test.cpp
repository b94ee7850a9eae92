// The built program, headless, driven by scripted input from the title into
// a full run on HARD: the first stage's waves fly, fire and are shot at; the
// run is recorded, and its replay plays back through the same states.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "game/shell/input.h"
#include "tests/support/program.h"

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

// The hash of every "frame <n> <hash>" line of a run's output.
std::vector<std::string> Hashes(const testing_support::ProgramResult& r) {
    std::vector<std::string> hashes;
    for (const testing_support::FrameHash& h : testing_support::ParseFrameHashes(r.out)) hashes.push_back(h.hash);
    return hashes;
}

TEST(Stage1Runner, AHardRunOfTheFirstStageIsRecordedAndPlaysBack) {
    testing_support::ProgramFolder folder;
    testing_support::WriteInputWords(folder.dir() / "input.bin", HardRunInput());
    // Only the states matter here: the runs draw nothing.
    const testing_support::ProgramResult record =
        folder.Run({"--no-draw", "--frames", std::to_string(kFrames), "--input", "input.bin", "--record", "run.rpl",
                    "--hash-every", "1"});
    ASSERT_EQ(record.exitCode, 0) << record;
    const std::vector<std::string> recorded = Hashes(record);
    ASSERT_EQ(recorded.size(), static_cast<std::size_t>(kFrames)) << record;
    ASSERT_TRUE(fs::exists(folder.dir() / "run.rpl")) << record;
    // The stage is under way: the state keeps changing through the play.
    for (std::size_t f = 900; f < recorded.size(); f += 300) {
        EXPECT_NE(recorded[f], recorded[f - 300]) << f;
    }
#if defined(__SANITIZE_ADDRESS__)
    // The sanitizer build checks the run itself; the playback is the normal build's.
    return;
#endif
    const testing_support::ProgramResult play = folder.Run({"--no-draw", "--play", "run.rpl", "--hash-every", "1"});
    ASSERT_EQ(play.exitCode, 0) << play;
    const std::vector<std::string> played = Hashes(play);
    ASSERT_GT(played.size(), 1000u) << play;
    // Every frame of the playback is a state of the recording, in order, and
    // it ends where the recording ended.
    std::size_t r = 0;
    for (std::size_t p = 0; p < played.size(); ++p) {
        while (r < recorded.size() && recorded[r] != played[p]) ++r;
        ASSERT_LT(r, recorded.size()) << "playback frame " << p + 1 << " is not a recorded state";
        ++r;
    }
    EXPECT_EQ(played.back(), recorded.back());
}

}  // namespace
