// The input search (tools/clearsearch) on a short flight of the second stage
// from the stage select: what it writes is the prefix and the play it found,
// the game program playing that script reaches the states the search
// reached, its goals decide its exit status, and a bad command line is
// refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "game/shell/input.h"
#include "game/shell/save_files.h"
#include "tests/support/program.h"
#include "tools/sampledata/input_script.h"

namespace {

namespace fs = std::filesystem;
using testing_support::FrameHash;
using testing_support::ProgramResult;

// The stage select on the first difficulty, stage index 1.
const char kMenus[] = R"(150 -
1 Z
249 -
1 Down
29 -
1 Z
29 -
1 Z
29 -
1 Down
29 -
1 Z
)";

std::string ReadText(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::vector<u16> Words(const std::string& script) {
    std::vector<u16> words;
    std::string error;
    EXPECT_TRUE(ParseInputScript(script, words, error)) << error;
    return words;
}

// A program folder with the progress the search plays with (every stage of
// the stage select open), where the search runs too.
class SearchFolder : public testing_support::ProgramFolder {
public:
    SearchFolder() {
        SystemData progress = DefaultSystemData();
        for (auto& row : progress.StageProgress) {
            for (u8& s : row) s = 1;
        }
        fs::create_directories(dir() / "system");
        const std::vector<u8> bytes = EncodeSystemData(progress);
        std::ofstream(dir() / "system" / "system.dat", std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        std::ofstream(dir() / "menus.txt") << kMenus;
    }

    // Two children at a time: the tests run beside others.
    ProgramResult Search(std::vector<std::string> args) const {
        if (args.size() > 2) args.insert(args.end(), {"--jobs", "2"});
        testing_support::ProgramRun run;
        run.program = fs::path(TOLVARIN_BUILD_DIR) / "tools" / "clearsearch" / "clearsearch";
        run.args = args;
        run.workingDir = dir();
        run.env = {{"SDL_VIDEODRIVER", "dummy"},
                   {"SDL_AUDIODRIVER", "dummy"},
                   {"TMPDIR", dir().string()},
                   {"ASAN_OPTIONS", "detect_leaks=0:abort_on_error=1"}};
        run.timeLimit = std::chrono::minutes(3);
        return testing_support::RunProgram(run);
    }
};

// The search's printed state hashes ("frame <n> <hash>" on standard error).
std::vector<FrameHash> SearchHashes(const ProgramResult& r) { return testing_support::ParseFrameHashes(r.err); }

TEST(ClearSearch, TheFoundScriptPlaysInTheProgramAsInTheSearch) {
    const SearchFolder folder;
    const ProgramResult search =
        folder.Search({"--prefix", "menus.txt", "--out", "found.txt", "--stage", "1", "--survive", "240", "--step",
                       "20", "--look", "16", "--hash-every", "40"});
    ASSERT_EQ(search.exitCode, 0) << search;
    EXPECT_NE(search.err.find("the goal was reached"), std::string::npos) << search;
    const std::string script = ReadText(folder.dir() / "found.txt");
    // The prefix as it was, then the play with the gun held every frame.
    ASSERT_EQ(script.rfind(kMenus, 0), 0u) << script;
    EXPECT_NE(script.find("# Stage index 1, found by tools/clearsearch (--step 20 --look 16)"), std::string::npos)
        << script;
    const std::vector<u16> words = Words(script);
    const std::size_t kept = Words(script.substr(0, script.find("# Stage index 1"))).size();
    ASSERT_GT(kept, Words(kMenus).size()) << "the frames before the stage's start are kept";
    ASSERT_GT(words.size(), kept + 200);
    std::size_t moves = 0;
    for (std::size_t i = kept + 20; i < words.size(); ++i) {
        EXPECT_NE(words[i] & kInputZ, 0) << "word " << i;
        if (words[i] & (kInputLeft | kInputRight | kInputUp | kInputDown)) ++moves;
    }
    EXPECT_GT(moves, 0u) << "the search never moved the aircraft";

    const std::vector<FrameHash> searched = SearchHashes(search);
    ASSERT_GE(searched.size(), 5u) << search;
    testing_support::WriteInputWords(folder.dir() / "found.bin", words);
    const ProgramResult play = folder.Run(
        {"--no-draw", "--frames", std::to_string(words.size()), "--input", "found.bin", "--hash-every", "40"});
    ASSERT_EQ(play.exitCode, 0) << play;
    const std::vector<FrameHash> played = testing_support::ParseFrameHashes(play.out);
    for (const FrameHash& s : searched) {
        const auto at =
            std::find_if(played.begin(), played.end(), [&](const FrameHash& p) { return p.frame == s.frame; });
        ASSERT_NE(at, played.end()) << "frame " << s.frame;
        EXPECT_EQ(at->hash, s.hash) << "frame " << s.frame;
    }
}

// --fire alternate presses Z every other frame; --begin keeps the prefix's
// words up to the stage's frame it names.
TEST(ClearSearch, FiresEveryOtherFrameAndBeginsWhereTold) {
    const SearchFolder folder;
    std::ofstream(folder.dir() / "climb.txt") << kMenus << "200 Up\n";
    const ProgramResult search =
        folder.Search({"--prefix", "climb.txt", "--out", "found.txt", "--stage", "1", "--begin", "100", "--survive",
                       "120", "--fire", "alternate", "--step", "12", "--look", "12"});
    ASSERT_EQ(search.exitCode, 0) << search;
    const std::string script = ReadText(folder.dir() / "found.txt");
    EXPECT_NE(script.find("--fire alternate"), std::string::npos) << script;
    const std::vector<u16> words = Words(script);
    const std::vector<u16> climb = Words(ReadText(folder.dir() / "climb.txt"));
    // The prefix's words are kept up to the stage's frame 100: past the menus
    // and the stage's start, into the climb, which the search's play replaces.
    const std::size_t kept = Words(script.substr(0, script.find("# Stage index 1"))).size();
    const std::size_t menus = Words(kMenus).size();
    ASSERT_GT(kept, menus + 99);
    ASSERT_LT(kept, climb.size());
    ASSERT_GT(words.size(), kept + 100);
    for (std::size_t i = 0; i < kept; ++i) ASSERT_EQ(words[i], climb[i]) << "word " << i;
    for (std::size_t i = kept + 12; i < words.size(); ++i) {
        EXPECT_EQ((words[i] & kInputZ) != 0, i % 2 == 0) << "word " << i;
    }
}

TEST(ClearSearch, AGoalNotReachedExitsWith1AndABadCommandLineWith2) {
    const SearchFolder folder;
    // The timeline never reaches phase 99: the script is written all the same.
    const ProgramResult missed = folder.Search({"--prefix", "menus.txt", "--out", "missed.txt", "--stage", "1",
                                                "--until", "99,0", "--frames", "60", "--look", "12"});
    EXPECT_EQ(missed.exitCode, 1) << missed;
    EXPECT_NE(missed.err.find("the goal was not reached"), std::string::npos) << missed;
    EXPECT_TRUE(fs::exists(folder.dir() / "missed.txt"));

    const std::vector<std::vector<std::string>> bad = {
        {"--prefix", "menus.txt"},
        {"--prefix", "menus.txt", "--out", "x.txt", "--fire", "sideways"},
        {"--prefix", "menus.txt", "--out", "x.txt", "--begin", "100"},
        {"--prefix", "menus.txt", "--out", "x.txt", "--stage", "5"},
        {"--prefix", "menus.txt", "--out", "x.txt", "--wander", "1"},
        {"--prefix", "menus.txt", "--out", "x.txt", "--step"},
        {"--prefix", "none.txt", "--out", "x.txt"},
    };
    for (const std::vector<std::string>& args : bad) {
        const ProgramResult r = folder.Search(args);
        EXPECT_EQ(r.exitCode, 2) << r;
        EXPECT_FALSE(fs::exists(folder.dir() / "x.txt")) << r;
    }
}

}  // namespace
