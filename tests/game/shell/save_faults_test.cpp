// Every save of the game under the faults a player's machine can have: a
// read-only game folder, a full disk, and a folder of the game's that is a
// file. Each save reports its failure (never success), the previous good file
// survives byte for byte, nothing is left half-written, and the next save
// works once the fault is gone.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "game/shell/ranking.h"
#include "game/shell/replay.h"
#include "game/shell/save_files.h"
#include "platform/fault_points.h"
#include "tests/support/faults.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

std::vector<u8> ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::vector<u8>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// One of the game's saves, run in the current folder.
struct SaveKind {
    const char* name;
    const char* file;              // the file it replaces
    std::function<void()> change;  // makes the next save differ
    std::function<FileStatus()> save;
};

std::vector<SaveKind> Saves() {
    return {
        {"settings", "config.dat", [] { g_ConfigData.musicVolume = static_cast<i16>(g_ConfigData.musicVolume ^ 1); },
         [] { return SaveConfig(); }},
        {"progress", "system/system.dat", [] { g_SystemData.endingsShown += 1; }, [] { return SaveSystemData(); }},
        {"ranking", "system/ranking.dat", [] { g_RankingTable.score[0][0] += 1; }, [] { return SaveRanking(); }},
    };
}

struct Fault {
    const char* name;
    platform::Fault fault;
    const char* says;
};

const Fault kFaults[] = {
    {"read-only folder", platform::Fault::SaveFolderReadOnly, "Read-only file system"},
    {"full disk", platform::Fault::SaveDiskFull, "No space left on device"},
};

class SaveFaults : public ::testing::Test {
protected:
    void SetUp() override {
        old_ = fs::current_path();
        fs::current_path(dir_.path());
        fs::create_directory("system");
        g_ConfigData = DefaultConfigData();
        g_SystemData = DefaultSystemData();
        g_RankingTable = DefaultRankingTable();
    }
    void TearDown() override {
        testing_support::ClearFaults();
        fs::current_path(old_);
    }
    testing_support::TempDir dir_;
    fs::path old_;
};

TEST_F(SaveFaults, EverySaveReportsTheFaultAndKeepsThePreviousFile) {
    for (const SaveKind& kind : Saves()) {
        for (const Fault& f : kFaults) {
            SCOPED_TRACE(std::string(kind.name) + ", " + f.name);
            ASSERT_TRUE(kind.save());
            const std::vector<u8> good = ReadAll(kind.file);
            ASSERT_FALSE(good.empty());
            kind.change();
            testing_support::SetFault(f.fault);
            testing::internal::CaptureStderr();
            const FileStatus failed = kind.save();
            const std::string said = testing::internal::GetCapturedStderr();
            testing_support::ClearFaults();
            EXPECT_FALSE(failed);
            EXPECT_NE(failed.message.find(kind.file), std::string::npos) << failed.message;
            EXPECT_NE(failed.message.find(f.says), std::string::npos) << failed.message;
            EXPECT_EQ(ReadAll(kind.file), good);
            EXPECT_FALSE(fs::exists(std::string(kind.file) + ".tmp"));
            // The settings and progress say it themselves; the ranking's
            // caller (the result scene) does.
            if (kind.file != std::string("system/ranking.dat")) {
                EXPECT_EQ(said, "tolvarin: " + failed.message + "\n");
            }
            // The game goes on: the next save, with the fault gone, is made.
            ASSERT_TRUE(kind.save());
            EXPECT_NE(ReadAll(kind.file), good);
        }
    }
}

// A disk that really is full: the temporary file is the full device.
TEST_F(SaveFaults, ARealFullDeviceFailsTheSaveAndKeepsTheFile) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    ASSERT_TRUE(SaveConfig());
    const std::vector<u8> good = ReadAll("config.dat");
    g_ConfigData.showTalk = 0;
    fs::create_symlink("/dev/full", "config.dat.tmp");
    testing::internal::CaptureStderr();
    const FileStatus failed = SaveConfig();
    testing::internal::GetCapturedStderr();
    EXPECT_FALSE(failed);
    EXPECT_NE(failed.message.find("No space left on device"), std::string::npos) << failed.message;
    EXPECT_EQ(ReadAll("config.dat"), good);
    EXPECT_FALSE(fs::is_symlink("config.dat.tmp"));
    EXPECT_TRUE(SaveConfig());
}

// A FIFO under the temporary file's name fails the save at once instead of
// waiting for a reader.
TEST_F(SaveFaults, AFifoUnderTheTemporaryNameFailsTheSaveAtOnce) {
    ASSERT_TRUE(SaveConfig());
    const std::vector<u8> good = ReadAll("config.dat");
    ASSERT_EQ(mkfifo("config.dat.tmp", 0644), 0);
    g_ConfigData.showTalk = 0;
    testing::internal::CaptureStderr();
    const FileStatus failed = SaveConfig();
    testing::internal::GetCapturedStderr();
    EXPECT_FALSE(failed);
    EXPECT_NE(failed.message.find("config.dat"), std::string::npos) << failed.message;
    EXPECT_EQ(ReadAll("config.dat"), good);
}

// Saving a replay makes a new file: under a fault none appears, the replays
// already there are untouched, and the number stays free for the next save.
TEST_F(SaveFaults, AReplaySaveUnderAFaultMakesNoFileAndTheNextOneWorks) {
    PlayRecord record;
    RecordStageStart(record, 0, 77, 3, 0, 0);
    for (u16 w : {1, 2, 3}) AppendInputWord(record, 0, w);
    ReplayRunInfo run;
    ASSERT_EQ(SaveReplay(record, run, "x").number, 0);
    const std::vector<u8> first = ReadAll("replay/vosket000.rpl");
    for (const Fault& f : kFaults) {
        SCOPED_TRACE(f.name);
        testing_support::SetFault(f.fault);
        const SaveReplayResult saved = SaveReplay(record, run, "x");
        testing_support::ClearFaults();
        EXPECT_FALSE(saved.status);
        EXPECT_EQ(saved.number, -1);
        EXPECT_NE(saved.status.message.find("replay/vosket001.rpl"), std::string::npos) << saved.status.message;
        EXPECT_NE(saved.status.message.find(f.says), std::string::npos) << saved.status.message;
        EXPECT_FALSE(fs::exists("replay/vosket001.rpl"));
        EXPECT_FALSE(fs::exists("replay/vosket001.rpl.tmp"));
        EXPECT_EQ(ReadAll("replay/vosket000.rpl"), first);
    }
    EXPECT_EQ(SaveReplay(record, run, "x").number, 1);
}

// A save file that is there but cannot be read at the start (a folder or a
// FIFO in its place, an I/O error; file permissions are the same road, but
// root reads through them, so the program's tests run that case) is said with
// its name and the reason, the game plays with the defaults, and no save of
// this run replaces it; once it reads again, so do the saves.
TEST_F(SaveFaults, AFileThatCannotBeReadIsSaidAndNeverSavedOver) {
    struct Unreadable {
        const char* name;
        std::function<void(const fs::path&)> make;  // null: a read error while loading
        const char* says;
    };
    const Unreadable kinds[] = {
        {"a folder in its place",
         [](const fs::path& p) {
             fs::remove(p);
             fs::create_directory(p);
             std::ofstream(p / "kept") << "kept";
         },
         "it is a folder, not a file"},
        {"a FIFO in its place",
         [](const fs::path& p) {
             fs::remove(p);
             ASSERT_EQ(mkfifo(p.c_str(), 0644), 0);
         },
         "it is a FIFO, not a regular file"},
        {"an I/O error", nullptr, "Input/output error"},
    };
    // Each kind's load (with what it returns to say) and whether memory holds
    // its defaults.
    struct Load {
        std::function<std::string()> load;
        std::function<bool()> atDefaults;
    };
    const Load loads[] = {
        // clang-format off
        {[] { LoadConfig(); return std::string(); },
         [] { return EncodeConfigData(g_ConfigData) == EncodeConfigData(DefaultConfigData()); }},
        {[] { LoadSystemData(); return std::string(); },
         [] { return EncodeSystemData(g_SystemData) == EncodeSystemData(DefaultSystemData()); }},
        // clang-format on
        {[] { return LoadRanking().message; },
         [] { return EncodeRankingTable(g_RankingTable) == EncodeRankingTable(DefaultRankingTable()); }},
    };
    const std::vector<u8> kept = {'k', 'e', 'p', 't'};
    const std::vector<SaveKind> saves = Saves();
    for (std::size_t k = 0; k < saves.size(); ++k) {
        const SaveKind& kind = saves[k];
        for (const Unreadable& u : kinds) {
            SCOPED_TRACE(std::string(kind.name) + ", " + u.name);
            const fs::path file = kind.file;
            fs::remove_all(file);
            // The player's file, unlike the defaults.
            kind.change();
            ASSERT_TRUE(kind.save());
            const std::vector<u8> players = ReadAll(file);
            if (u.make) u.make(file);
            if (!u.make) testing_support::SetFault(platform::Fault::ReadError);
            testing::internal::CaptureStderr();
            std::string said = loads[k].load();
            said += testing::internal::GetCapturedStderr();
            testing_support::ClearFaults();
            EXPECT_NE(said.find(std::string("cannot read \"") + kind.file + "\": " + u.says), std::string::npos)
                << said;
            EXPECT_NE(said.find("not saved"), std::string::npos) << said;
            EXPECT_TRUE(loads[k].atDefaults());
            // Every save of the run leaves it alone, and says so.
            kind.change();
            testing::internal::CaptureStderr();
            const FileStatus saved = kind.save();
            testing::internal::GetCapturedStderr();
            EXPECT_FALSE(saved);
            EXPECT_NE(saved.message.find(std::string("\"") + kind.file + "\" is not saved: it could not be read"),
                      std::string::npos)
                << saved.message;
            if (u.make) {
                EXPECT_FALSE(fs::is_regular_file(file));
                if (fs::is_directory(file)) {
                    EXPECT_EQ(ReadAll(file / "kept"), kept);
                }
                fs::remove_all(file);
                std::ofstream(file, std::ios::binary)
                    .write(reinterpret_cast<const char*>(players.data()), static_cast<std::streamsize>(players.size()));
            } else {
                EXPECT_EQ(ReadAll(file), players);
            }
            EXPECT_FALSE(fs::exists(std::string(kind.file) + ".tmp"));
            // Mended: it reads, and the next save is made.
            testing::internal::CaptureStderr();
            said = loads[k].load() + testing::internal::GetCapturedStderr();
            EXPECT_EQ(said.find("cannot read"), std::string::npos) << said;
            EXPECT_FALSE(loads[k].atDefaults());
            kind.change();
            EXPECT_TRUE(kind.save());
            EXPECT_NE(ReadAll(file), players);
        }
    }
}

// The game's folders replaced by files: the saves into them fail with a
// message; the game's data in memory stays usable.
TEST_F(SaveFaults, FoldersThatAreFilesFailTheirSaves) {
    fs::remove_all("system");
    std::ofstream("system") << "not a folder";
    std::ofstream("replay") << "not a folder";
    PlayRecord record;
    RecordStageStart(record, 0, 1, 3, 0, 0);
    const SaveReplayResult replay = SaveReplay(record, ReplayRunInfo{}, "x");
    EXPECT_FALSE(replay.status);
    EXPECT_NE(replay.status.message.find("replay"), std::string::npos) << replay.status.message;
    testing::internal::CaptureStderr();
    LoadSystemData();  // no file, and none can be made: the defaults in memory
    const FileStatus progress = SaveSystemData();
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(progress);
    EXPECT_NE(said.find("system/system.dat"), std::string::npos) << said;
    EXPECT_EQ(g_SystemData.StageProgress[0][1], 1);
    const FileStatus ranking = LoadRanking();
    EXPECT_TRUE(ranking);  // the table is usable
    EXPECT_NE(ranking.message.find("default ranking"), std::string::npos) << ranking.message;
    EXPECT_FALSE(SaveRanking());
    EXPECT_EQ(ReadAll("system"), (std::vector<u8>{'n', 'o', 't', ' ', 'a', ' ', 'f', 'o', 'l', 'd', 'e', 'r'}));
}

}  // namespace
