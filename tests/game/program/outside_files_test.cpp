// The built program over files it cannot use: settings, progress and ranking
// that are there but cannot be read are said and never saved over, and every
// file it reads that is a FIFO is refused at once instead of waited on.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "game/shell/ranking.h"
#include "game/shell/save_files.h"
#include "tests/support/program.h"
#include "tests/support/temp_dir.h"
#include "tools/sampledata/input_script.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing_support::ProgramFolder;
using testing_support::ProgramResult;
using testing_support::ProgramRun;
using testing_support::ReadWholeFile;
using testing_support::WriteWholeFile;

void WriteScript(const fs::path& p, const std::string& text) {
    std::vector<u16> words;
    std::string error;
    ASSERT_TRUE(ParseInputScript(text, words, error)) << error;
    testing_support::WriteInputWords(p, words);
}

// The logo skipped, the title's settings entry (the fifth) opened and left
// through its back row: leaving the settings saves them.
const char kVisitSettings[] = R"(
150 -
1 Z
249 -
repeat 4
  1 Down
  29 -
end
1 Z
250 -
1 X
29 -
1 Z
300 -
)";
constexpr int kVisitFrames = 1102;

// A hang is the fault these runs look for; a run that works ends in seconds.
constexpr auto kRunLimit = 60s;

// The player's files, unlike the defaults: settings with the talk off,
// progress with every stage open, a ranking with a better first place.
struct PlayersFile {
    const char* file;
    const char* contents;  // as the game's message names it
    std::vector<u8> bytes;
};

std::vector<PlayersFile> PlayersFiles() {
    ConfigData settings = DefaultConfigData();
    settings.showTalk = 0;
    SystemData progress = DefaultSystemData();
    for (auto& row : progress.StageProgress) {
        for (int s = 0; s < 5; ++s) row[s] = 1;
    }
    RankingTable ranking = DefaultRankingTable();
    ranking.score[0][0] = 123456;
    return {
        {"config.dat", "settings", EncodeConfigData(settings)},
        {"system/system.dat", "progress", EncodeSystemData(progress)},
        {"system/ranking.dat", "ranking", EncodeRankingTable(ranking)},
    };
}

void ExpectSaidAndKept(const ProgramResult& r, const PlayersFile& f, const std::string& reason) {
    EXPECT_EQ(r.exitCode, 0) << r;
    EXPECT_NE(r.err.find(std::string("cannot read \"") + f.file + "\": " + reason +
                         "; the game goes on with the default " + f.contents),
              std::string::npos)
        << r;
    if (f.file == std::string("config.dat")) {
        EXPECT_NE(r.err.find("\"config.dat\" is not saved: it could not be read at the start"), std::string::npos) << r;
    }
}

// A folder or a FIFO in the place of a save file: it is said, and after a
// run whose settings were saved it is there as it was.
TEST(UnreadableSaveFiles, AFolderOrAFifoInTheirPlaceIsSaidAndKept) {
    struct Kind {
        const char* name;
        std::function<void(const fs::path&)> make;
        std::function<bool(const fs::path&)> intact;
        const char* reason;
    };
    const Kind kinds[] = {
        {"a folder",
         [](const fs::path& p) {
             fs::create_directory(p);
             std::ofstream(p / "kept") << "kept";
         },
         [](const fs::path& p) { return fs::is_directory(p) && ReadWholeFile(p / "kept").size() == 4; },
         "it is a folder, not a file"},
        {"a FIFO", [](const fs::path& p) { ASSERT_EQ(mkfifo(p.c_str(), 0644), 0); },
         [](const fs::path& p) { return fs::is_fifo(p); }, "it is a FIFO, not a regular file"},
    };
    for (const PlayersFile& f : PlayersFiles()) {
        for (const Kind& k : kinds) {
            SCOPED_TRACE(std::string(f.file) + " is " + k.name);
            ProgramFolder folder;
            fs::create_directory(folder.dir() / "system");
            for (const PlayersFile& each : PlayersFiles()) WriteWholeFile(folder.dir() / each.file, each.bytes);
            const fs::path path = folder.dir() / f.file;
            fs::remove(path);
            k.make(path);
            WriteScript(folder.dir() / "visit.bin", kVisitSettings);
            const ProgramResult r =
                folder.Run({"--no-draw", "--frames", std::to_string(kVisitFrames), "--input", "visit.bin"}, kRunLimit);
            ASSERT_FALSE(r.timedOut) << r;
            ExpectSaidAndKept(r, f, k.reason);
            EXPECT_TRUE(k.intact(path));
            // The other two were read and kept as they were.
            for (const PlayersFile& each : PlayersFiles()) {
                if (each.file != f.file) {
                    EXPECT_EQ(ReadWholeFile(folder.dir() / each.file), each.bytes) << each.file;
                }
            }
        }
    }
}

// A file the player may not read (its permissions) is said and left byte
// for byte, its permissions too, so that mending them brings the progress
// back. Root reads through permissions: as root the program runs with that
// right dropped (setpriv), or the test is skipped.
TEST(UnreadableSaveFiles, AFileThatMayNotBeReadIsSaidAndLeftByteForByte) {
    const char* kSetpriv = "/usr/bin/setpriv";
    const bool root = geteuid() == 0;
    if (root && !fs::exists(kSetpriv)) {
        GTEST_SKIP() << "running as root, which reads every file whatever its permissions, and without " << kSetpriv
                     << " to drop that right";
    }
    for (const PlayersFile& f : PlayersFiles()) {
        SCOPED_TRACE(f.file);
        ProgramFolder folder;
        fs::create_directory(folder.dir() / "system");
        for (const PlayersFile& each : PlayersFiles()) WriteWholeFile(folder.dir() / each.file, each.bytes);
        const fs::path path = folder.dir() / f.file;
        fs::permissions(path, fs::perms::none);
        WriteScript(folder.dir() / "visit.bin", kVisitSettings);
        ProgramRun run = folder.HeadlessRun(
            {"--no-draw", "--frames", std::to_string(kVisitFrames), "--input", "visit.bin"}, kRunLimit);
        if (root) {
            run.args.insert(run.args.begin(),
                            {"--bounding-set", "-dac_override,-dac_read_search", run.program.string()});
            run.program = kSetpriv;
        }
        const ProgramResult r = testing_support::RunProgram(run);
        ASSERT_FALSE(r.timedOut) << r;
        ExpectSaidAndKept(r, f, "Permission denied");
        EXPECT_EQ(fs::status(path).permissions(), fs::perms::none);
        fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
        EXPECT_EQ(ReadWholeFile(path), f.bytes);
    }
}

// Every file the program reads, replaced by a FIFO that nothing writes to:
// it is refused at once with its name and what it is, and the program goes
// on as it does without that file (the image archives stop the start). The
// old reads waited on the FIFO forever.
TEST(Fifos, EveryFileTheProgramReadsIsRefusedInsteadOfWaitedOn) {
    struct Case {
        const char* file;                  // replaced by a FIFO in the program's folder
        std::vector<std::string> options;  // with "FIFO" for the FIFO's path
        int exitCode;
        const char* says;
    };
    const Case cases[] = {
        {"vsk1.dat", {}, 1, "vsk1.dat cannot be read (it is a FIFO, not a regular file)"},
        {"vsk6.dat", {}, 0, "sound: cannot read vsk6.dat: it is a FIFO, not a regular file"},
        {"vsk5.dat", {}, 0, "vsk5.dat at offset 0, size "},
        {"demo.rpl", {}, 0, "the demonstration does not play: cannot read \"demo.rpl\": it is a FIFO"},
        {"replay.rpl", {"--play", "FIFO"}, 1, "cannot read \"FIFO\": it is a FIFO, not a regular file"},
        {"input.bin", {"--input", "FIFO"}, 2, "input script \"FIFO\": cannot be read: it is a FIFO"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        ProgramFolder folder({"demo.rpl"});
        const fs::path fifo = folder.dir() / c.file;
        fs::remove(fifo);
        ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
        // Idle at the title long enough for the demonstration to be loaded.
        WriteScript(folder.dir() / "skip.bin", "150 -\n1 Z\n");
        std::vector<std::string> args = {"--no-draw", "--frames", "1500"};
        std::string says = c.says;
        if (c.options.empty()) {
            args.insert(args.end(), {"--input", "skip.bin"});
        } else {
            args.insert(args.end(), {c.options[0], fifo.string()});
            says.replace(says.find("FIFO"), 4, fifo.string());
        }
        const ProgramResult r = folder.Run(args, kRunLimit);
        ASSERT_FALSE(r.timedOut) << r;
        EXPECT_EQ(r.exitCode, c.exitCode) << r;
        EXPECT_NE(r.err.find(says), std::string::npos) << r;
        if (std::string(c.file) == "vsk5.dat") {
            EXPECT_NE(r.err.find("cannot read the file: it is a FIFO, not a regular file; playing silence"),
                      std::string::npos)
                << r;
        }
        EXPECT_TRUE(fs::is_fifo(fifo));
    }
}

}  // namespace
