// The built program, headless, driven by scripted input from the title's
// stage select into the fourth stage (stage index 3) on EASY: the run is
// recorded, and its replay plays back through the same states every frame.
// The input scripts sit beside this test; their play was found by
// tools/clearsearch and is tied to the game's present behaviour.
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

#include "game/shell/play_state.h"
#include "game/shell/replay.h"
#include "game/shell/save_files.h"
#include "game/shell/story_flags.h"
#include "tests/support/temp_dir.h"
#include "tools/sampledata/input_script.h"

namespace {

namespace fs = std::filesystem;

std::string ReadText(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteBytes(const fs::path& p, const std::vector<u8>& bytes) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

struct ProgramRun {
    int exitCode = -1;
    std::string err;
    std::vector<std::string> hashes;  // the hash of every "frame <n> <hash>" line
};

// A program folder of the test's own (the game writes its settings and
// progress beside itself) with the built program, the archives, and a
// progress file that opens every stage of the stage select.
class ProgramFolder {
public:
    ProgramFolder() {
        const fs::path build(TOLVARIN_BUILD_DIR);
        Link(build / "tolvarin", dir_.path() / "tolvarin");
        for (const auto& entry : fs::directory_iterator(build)) {
            const std::string file = entry.path().filename().string();
            if (file.rfind("vsk", 0) == 0 && entry.path().extension() == ".dat") Link(entry.path(), dir_.path() / file);
        }
        SystemData progress = DefaultSystemData();
        for (auto& row : progress.StageProgress) {
            for (u8& s : row) s = 1;
        }
        fs::create_directories(dir_.path() / "system");
        WriteBytes(dir_.path() / "system" / "system.dat", EncodeSystemData(progress));
    }
    fs::path path() const { return dir_.path(); }

    ProgramRun Run(const std::string& args) const {
        const std::string d = dir_.str();
        const std::string command = "cd '" + d + "' && env SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy XDG_RUNTIME_DIR='" +
                                    d + "' ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 ./tolvarin --headless " + args +
                                    " > out.txt 2> err.txt";
        const int status = std::system(command.c_str());
        ProgramRun r;
        r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        r.err = ReadText(dir_.path() / "err.txt");
        std::istringstream lines(ReadText(dir_.path() / "out.txt"));
        for (std::string line; std::getline(lines, line);) {
            std::istringstream fields(line);
            std::string word, hash;
            long long frame = 0;
            if (fields >> word >> frame >> hash && word == "frame") r.hashes.push_back(hash);
        }
        return r;
    }

    // The input script beside this test as the program's input file; its
    // frame count.
    std::size_t WriteScript(const std::string& name) const {
        std::vector<u16> words;
        std::string error;
        const std::string text = ReadText(fs::path(TOLVARIN_TEST_DIR) / name);
        EXPECT_FALSE(text.empty()) << name;
        EXPECT_TRUE(ParseInputScript(text, words, error)) << error;
        WriteBytes(dir_.path() / "input.bin", InputScriptBytes(words));
        return words.size();
    }

    ReplayHeader Header(const std::string& file) const {
        const std::string text = ReadText(dir_.path() / file);
        ReplayHeader header;
        EXPECT_TRUE(DecodeReplayHeader(reinterpret_cast<const u8*>(text.data()), text.size(), file, header));
        return header;
    }

private:
    static void Link(const fs::path& from, const fs::path& to) {
        std::error_code ec;
        fs::create_hard_link(from, to, ec);
        if (ec) fs::copy_file(from, to, fs::copy_options::overwrite_existing);
    }
    testing_support::TempDir dir_;
};

// Records the script's run and plays the replay back: every playback frame
// is a state of the recording, in order, ending in the recording's last
// state. The header of the recording.
ReplayHeader RecordAndPlayBack(const std::string& script) {
    ProgramFolder folder;
    const std::size_t frames = folder.WriteScript(script);
    const ProgramRun record = folder.Run("--no-draw --frames " + std::to_string(frames) +
                                         " --input input.bin --record run.rpl --hash-every 1");
    EXPECT_EQ(record.exitCode, 0) << record.err;
    EXPECT_EQ(record.hashes.size(), frames) << record.err;
    const ReplayHeader header = folder.Header("run.rpl");
    EXPECT_EQ(header.StartKind, kStartStageSelect);
    EXPECT_EQ(header.Difficulty, kDifficultyEasy);
    for (i32 s = 0; s < kStageSlots; ++s) {
        EXPECT_EQ(header.played[static_cast<std::size_t>(s)], s == 3 ? 1 : 0) << s;
    }
#if defined(__SANITIZE_ADDRESS__)
    // The sanitizer build checks the run itself; the playback is the normal build's.
    return header;
#endif
    const ProgramRun play = folder.Run("--no-draw --play run.rpl --hash-every 1");
    EXPECT_EQ(play.exitCode, 0) << play.err;
    EXPECT_EQ(play.err.find("input ends early"), std::string::npos) << play.err;
    EXPECT_GE(play.hashes.size(), static_cast<std::size_t>(header.inputCount[3]));
    // The stage report holds the play state still, and the playback stays on
    // it longer than the recording: a playback frame may repeat the state it
    // matched last.
    std::size_t r = 0;
    for (std::size_t p = 0; p < play.hashes.size(); ++p) {
        if (r > 0 && record.hashes[r - 1] == play.hashes[p]) continue;
        while (r < record.hashes.size() && record.hashes[r] != play.hashes[p]) ++r;
        if (r == record.hashes.size()) {
            ADD_FAILURE() << "playback frame " << p + 1 << " is not a state of the recording";
            return header;
        }
        ++r;
    }
    if (!play.hashes.empty()) {
        EXPECT_EQ(play.hashes.back(), record.hashes.back());
    }
    return header;
}

// The whole stage on EASY with no hit taken: the opening, both timed waves,
// the mid-boss's pass and first two fights (its centre shot down in the
// second: story flag 71, the risers' road), and the boss through its four
// phases to its explosion; the stage is cleared and its report shown.
TEST(Stage4Runner, AnEasyRunThatClearsTheStageIsRecordedAndPlaysBack) {
    const ReplayHeader header = RecordAndPlayBack("stage4_easy_clear_input.txt");
    EXPECT_GT(header.inputCount[3], 21000u);
    EXPECT_EQ(header.livesAtStart[3], 3u);
    EXPECT_EQ(header.storyFlags[kStoryFourthSecondFightCentreDowned], 1);
    EXPECT_EQ(header.storyFlags[kStoryFourthMidBossOutlasted], 0);
    EXPECT_EQ(header.storyFlags[kStoryFourthBossSankAway], 0);
    // The stage ended cleared: its points and its rank are in the record.
    EXPECT_GT(header.stageScore[3], 0u);
    EXPECT_GE(header.stageRank[3], 1u);
}

}  // namespace
