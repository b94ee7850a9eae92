// The built program, headless, driven by a scripted input file through the
// logo and the title's menus to the end of the program.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/app/screenshot.h"
#include "game/shell/input.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

TEST(TitleRunner, ScriptedInputSkipsTheLogoAndQuitsFromTheTitle) {
    const fs::path program = fs::path(TOLVARIN_BUILD_DIR) / "tolvarin";
    ASSERT_TRUE(fs::exists(program)) << program;
    testing_support::TempDir out;
    // Z skips the logos at frame 150; the title is open from frame 344; the
    // difficulty menu opens and closes, then Up and Z choose the last entry.
    std::vector<u16> words(2000, 0);
    words[150] = kInputZ;
    words[400] = kInputZ;
    words[420] = kInputX;
    words[440] = kInputUp;
    words[460] = kInputZ;
    const fs::path input = out.path() / "input.bin";
    {
        std::ofstream f(input, std::ios::binary);
        for (u16 w : words) {
            const char bytes[2] = {static_cast<char>(w & 0xFF), static_cast<char>(w >> 8)};
            f.write(bytes, 2);
        }
    }
    const fs::path shots = out.path() / "shots";
    const std::string command = "XDG_RUNTIME_DIR='" + out.str() + "' SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy '" +
                                program.string() + "' --headless --frames 2000 --input '" + input.string() +
                                "' --screenshot-at 410,540,600 --screenshot-dir '" + shots.string() + "' > '" +
                                (out.path() / "log.txt").string() + "' 2>&1";
    const int status = std::system(command.c_str());
    std::ifstream logFile(out.path() / "log.txt");
    const std::string log((std::istreambuf_iterator<char>(logFile)), std::istreambuf_iterator<char>());
    ASSERT_EQ(status, 0) << log;
    EXPECT_TRUE(fs::exists(ScreenshotPath(shots.string(), 410))) << log;
    // The closing wipe ends at frame 460 + 96: the program has ended by 600.
    EXPECT_TRUE(fs::exists(ScreenshotPath(shots.string(), 540))) << log;
    EXPECT_FALSE(fs::exists(ScreenshotPath(shots.string(), 600))) << log;
}

}  // namespace
