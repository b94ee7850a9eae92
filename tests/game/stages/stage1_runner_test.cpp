// The built program, headless, driven by scripted input from the title into
// a full run on HARD: the first stage's waves fly, fire and are shot at; the
// run is recorded, and its replay plays back through the same states.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

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

std::string ReadText(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

struct ProgramRun {
    int exitCode = -1;
    std::string out;
    std::string err;
    std::vector<std::string> hashes;  // the hash of every "frame <n> <hash>" line
};

// A program folder of the test's own (the game writes its settings and
// progress beside itself): links to the built program and the archives.
class ProgramFolder {
public:
    ProgramFolder() {
        const fs::path build(TOLVARIN_BUILD_DIR);
        Link(build / "tolvarin", dir_.path() / "tolvarin");
        for (const auto& entry : fs::directory_iterator(build)) {
            const std::string file = entry.path().filename().string();
            if (file.rfind("vsk", 0) == 0 && entry.path().extension() == ".dat") Link(entry.path(), dir_.path() / file);
        }
    }
    fs::path path() const { return dir_.path(); }

    ProgramRun Run(const std::string& args) const {
        const std::string d = dir_.str();
        const std::string command = "cd '" + d + "' && env SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy XDG_RUNTIME_DIR='" +
                                    d + "' ./tolvarin --headless " + args + " > out.txt 2> err.txt";
        const int status = std::system(command.c_str());
        ProgramRun r;
        r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        r.out = ReadText(dir_.path() / "out.txt");
        r.err = ReadText(dir_.path() / "err.txt");
        std::istringstream lines(r.out);
        for (std::string line; std::getline(lines, line);) {
            std::istringstream fields(line);
            std::string word, hash;
            long long frame = 0;
            if (fields >> word >> frame >> hash && word == "frame") r.hashes.push_back(hash);
        }
        return r;
    }

private:
    static void Link(const fs::path& from, const fs::path& to) {
        std::error_code ec;
        fs::create_hard_link(from, to, ec);
        if (ec) fs::copy_file(from, to, fs::copy_options::overwrite_existing);
    }
    testing_support::TempDir dir_;
};

TEST(Stage1Runner, AHardRunOfTheFirstStageIsRecordedAndPlaysBack) {
    ASSERT_TRUE(fs::exists(fs::path(TOLVARIN_BUILD_DIR) / "tolvarin"));
    ProgramFolder folder;
    {
        std::ofstream f(folder.path() / "input.bin", std::ios::binary);
        for (const u16 w : HardRunInput()) {
            const char bytes[2] = {static_cast<char>(w & 0xFF), static_cast<char>(w >> 8)};
            f.write(bytes, 2);
        }
    }
    // Only the states matter here: the runs draw nothing.
    const ProgramRun record = folder.Run("--no-draw --frames " + std::to_string(kFrames) +
                                         " --input input.bin --record run.rpl --hash-every 1");
    ASSERT_EQ(record.exitCode, 0) << record.err;
    ASSERT_EQ(record.hashes.size(), static_cast<std::size_t>(kFrames)) << record.err;
    ASSERT_TRUE(fs::exists(folder.path() / "run.rpl")) << record.err;
    // The stage is under way: the state keeps changing through the play.
    for (std::size_t f = 900; f < record.hashes.size(); f += 300) {
        EXPECT_NE(record.hashes[f], record.hashes[f - 300]) << f;
    }
#if defined(__SANITIZE_ADDRESS__)
    // The sanitizer build checks the run itself; the playback is the normal build's.
    return;
#endif
    const ProgramRun play = folder.Run("--no-draw --play run.rpl --hash-every 1");
    ASSERT_EQ(play.exitCode, 0) << play.err;
    ASSERT_GT(play.hashes.size(), 1000u) << play.err;
    // Every frame of the playback is a state of the recording, in order, and
    // it ends where the recording ended.
    std::size_t r = 0;
    for (std::size_t p = 0; p < play.hashes.size(); ++p) {
        while (r < record.hashes.size() && record.hashes[r] != play.hashes[p]) ++r;
        ASSERT_LT(r, record.hashes.size()) << "playback frame " << p + 1 << " is not a recorded state";
        ++r;
    }
    EXPECT_EQ(play.hashes.back(), record.hashes.back());
}

}  // namespace
