// The built program, headless, driven by a scripted input file through the
// logo and the title's menus to the end of the program.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/app/screenshot.h"
#include "game/shell/input.h"
#include "tests/support/program.h"

namespace {

namespace fs = std::filesystem;

TEST(TitleRunner, ScriptedInputSkipsTheLogoAndQuitsFromTheTitle) {
    testing_support::ProgramFolder folder;
    // Z skips the logos at frame 150; the title is open from frame 344; the
    // difficulty menu opens and closes, then Up and Z choose the last entry.
    std::vector<u16> words(2000, 0);
    words[150] = kInputZ;
    words[400] = kInputZ;
    words[420] = kInputX;
    words[440] = kInputUp;
    words[460] = kInputZ;
    testing_support::WriteInputWords(folder.dir() / "input.bin", words);
    const fs::path shots = folder.dir() / "shots";
    const testing_support::ProgramResult r = folder.Run({"--frames", "2000", "--input", "input.bin", "--screenshot-at",
                                                         "410,540,600", "--screenshot-dir", shots.string()});
    ASSERT_EQ(r.exitCode, 0) << r;
    EXPECT_TRUE(fs::exists(ScreenshotPath(shots.string(), 410))) << r;
    // The closing wipe ends at frame 460 + 96: the program has ended by 600.
    EXPECT_TRUE(fs::exists(ScreenshotPath(shots.string(), 540))) << r;
    EXPECT_FALSE(fs::exists(ScreenshotPath(shots.string(), 600))) << r;
}

}  // namespace
