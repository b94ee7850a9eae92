#include "game/shell/replay.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "tests/support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

// Converts UTF-8 to code page 932 with the C library, independently of the
// shell's own table.
std::string ToCp932(const std::string& utf8) {
    iconv_t cd = iconv_open("CP932", "UTF-8");
    EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1));
    std::string in = utf8;
    std::string out(in.size() * 2 + 16, '\0');
    char* src = in.data();
    char* dst = out.data();
    std::size_t inLeft = in.size();
    std::size_t outLeft = out.size();
    EXPECT_NE(iconv(cd, &src, &inLeft, &dst, &outLeft), static_cast<std::size_t>(-1));
    iconv_close(cd);
    out.resize(out.size() - outLeft);
    return out;
}

std::vector<u8> ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const fs::path& path, const std::vector<u8>& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

u32 U32At(const std::vector<u8>& b, std::size_t offset) {
    return b[offset] | (b[offset + 1] << 8) | (b[offset + 2] << 16) | (static_cast<u32>(b[offset + 3]) << 24);
}

std::tm KnownTime() {
    std::tm t{};
    t.tm_year = 2008 - 1900;
    t.tm_mon = 0;
    t.tm_mday = 2;
    t.tm_wday = 3;
    t.tm_hour = 3;
    t.tm_min = 4;
    t.tm_sec = 5;
    return t;
}

// A run that cleared stage indexes 0 and 1 on NORMAL.
struct KnownRun {
    PlayRecord record;
    ReplayRunInfo run;

    KnownRun() {
        RecordStageStart(record, 0, 1234, 3, 0, 7);
        for (u16 w : {0x0001, 0x0010, 0x0811}) AppendInputWord(record, 0, w);
        record.stageScore[0] = 12345;
        record.stageRank[0] = 3;
        RecordStageStart(record, 1, 9999, 2, 1, 40);
        for (u16 w : {0xFFFF, 0x0000}) AppendInputWord(record, 1, w);
        record.stageScore[1] = 4000;
        record.stageRank[1] = 0;
        run.Difficulty = 1;
        run.StartKind = 0;
        run.score = ComputeResultScore(record);
        run.name = {40, 11, 12, 83, 70};  // "Abc !"
        run.storyFlags[0] = 1;
        run.storyFlags[99] = 1;
    }
};

const std::string kAppNameUtf8 = "\u3000Tolvarin -Pellistra-  1.0\u3000";

class ReplayFolder : public ::testing::Test {
protected:
    void SetUp() override {
        SetReplayTimeSource([] { return KnownTime(); });
        g_ReplayList.clear();
        g_ReplayPathList.clear();
    }
    void TearDown() override { SetReplayTimeSource({}); }
    fs::path Replay(int n) const { return dir.path() / ReplayFileName(n); }
    // A minimal valid replay file with a marker in its score.
    void PlaceReplay(const std::string& name, u32 score) const {
        ReplayHeader h;
        h.score = score;
        WriteAll(dir.path() / "replay" / name, EncodeReplayHeader(h));
    }
    testing_support::TempDir dir;
};

}  // namespace

TEST(ReplayNames, ThreeDigitsWithLeadingZeros) {
    const std::pair<int, const char*> cases[] = {
        {0, "replay/vosket000.rpl"},  {7, "replay/vosket007.rpl"},   {10, "replay/vosket010.rpl"},
        {99, "replay/vosket099.rpl"}, {100, "replay/vosket100.rpl"}, {998, "replay/vosket998.rpl"},
    };
    for (const auto& [n, name] : cases) EXPECT_EQ(ReplayFileName(n), name) << n;
}

TEST(PlayRecordTest, ResetKeepsRanksAndInputPastTheEndIsNoInput) {
    KnownRun k;
    EXPECT_EQ(PlayRecordInputWord(k.record, 0, 2), 0x0811);
    EXPECT_EQ(PlayRecordInputWord(k.record, 0, 3), 0);
    EXPECT_EQ(PlayRecordInputWord(k.record, 0, -1), 0);
    EXPECT_EQ(PlayRecordInputWord(k.record, 20, 0), 0);
    EXPECT_EQ(ComputeResultScore(k.record), 16345u);

    ResetPlayRecord(k.record);
    EXPECT_EQ(k.record.played[0], 0);
    EXPECT_EQ(k.record.seed[1], 0u);
    EXPECT_TRUE(k.record.input[0].empty());
    EXPECT_EQ(k.record.stageRank[0], 3u);
    ClearStageRanks(k.record);
    EXPECT_EQ(k.record.stageRank[0], 0u);
}

TEST(ReplayHeaderTest, FieldsAtTheirOffsets) {
    KnownRun k;
    const std::vector<u8> b = EncodeReplayHeader(MakeReplayHeader(k.record, k.run));
    ASSERT_EQ(b.size(), 716u);
    EXPECT_EQ(U32At(b, 0x000), 7091u);
    EXPECT_EQ(U32At(b, 0x004), 40u);
    EXPECT_EQ(U32At(b, 0x014), 70u);
    EXPECT_EQ(U32At(b, 0x018), 0u);      // StartKind
    EXPECT_EQ(U32At(b, 0x01C), 1u);      // Difficulty
    EXPECT_EQ(U32At(b, 0x020), 16345u);  // score
    EXPECT_EQ(b[0x024], 1);              // played[0]
    EXPECT_EQ(b[0x025], 1);
    EXPECT_EQ(b[0x026], 0);
    EXPECT_EQ(U32At(b, 0x038), 3u);  // inputCount[0]
    EXPECT_EQ(U32At(b, 0x03C), 2u);
    for (int s = 2; s < 20; ++s) EXPECT_EQ(U32At(b, 0x038 + 4 * s), 0u) << s;
    EXPECT_EQ(U32At(b, 0x088), 12345u);  // stageScore[0]
    EXPECT_EQ(U32At(b, 0x08C), 4000u);
    EXPECT_EQ(U32At(b, 0x0D8), 3u);  // stageRank[0]
    EXPECT_EQ(U32At(b, 0x128), 3u);  // livesAtStart[0]
    EXPECT_EQ(U32At(b, 0x12C), 2u);
    EXPECT_EQ(U32At(b, 0x17C), 1u);  // extendsAtStart[1]
    EXPECT_EQ(U32At(b, 0x1C8), 7u);  // extendPointsAtStart[0]
    EXPECT_EQ(U32At(b, 0x1CC), 40u);
    EXPECT_EQ(U32At(b, 0x218), 1234u);  // seed[0]
    EXPECT_EQ(U32At(b, 0x21C), 9999u);
    EXPECT_EQ(b[0x268], 1);  // storyFlags[0]
    EXPECT_EQ(b[0x2CB], 1);  // storyFlags[99]
    EXPECT_EQ(b[0x2CA], 0);
}

TEST_F(ReplayFolder, SavedFileIsHeaderStreamsAndSummary) {
    KnownRun k;
    const std::string appName = ToCp932(kAppNameUtf8);
    const SaveReplayResult saved = SaveReplay(k.record, k.run, appName, dir.str());
    ASSERT_TRUE(saved.status) << saved.status.message;
    EXPECT_EQ(saved.number, 0);
    const std::vector<u8> b = ReadAll(Replay(0));
    ASSERT_GT(b.size(), 726u);

    const std::vector<u8> streams(b.begin() + 716, b.begin() + 726);
    EXPECT_EQ(streams, (std::vector<u8>{0x01, 0x00, 0x10, 0x00, 0x11, 0x08, 0xFF, 0xFF, 0x00, 0x00}));

    const std::string hyphens(75, '-');
    // clang-format off
    const std::string expected = ToCp932(
        "\r\n" + hyphens + "\r\n"
        "■" + kAppNameUtf8 + "■\r\n"
        "\r\n"
        "Name:\r\n\tAbc !\r\n"
        "Time:\r\n\tWed Jan  2 03:04:05 2008\r\n\r\n"
        "Difficulty:\r\n\tNORMALY\r\n"
        "Score:\r\n"
        "\tStage1:     12345 point\t★★★・・\r\n"
        "\tStage2:      4000 point\t・・・・・\r\n"
        "\tStage3:         0 point\t・・・・・\r\n"
        "\tStage4:         0 point\t・・・・・\r\n"
        "\tStage5:         0 point\t・・・・・\r\n"
        "\r\n"
        "\ttotal :     16345 point\r\n"
        "\r\n" + hyphens + "\r\n"
        "※注意　：このファイルを保存し直すとデータが破損する場合があります。\r\n"
        "　　　　　保存は行わないでください。\r\n");
    // clang-format on
    EXPECT_EQ(std::string(b.begin() + 726, b.end()), expected);
    EXPECT_FALSE(fs::exists(dir.path() / "replay" / "vosket000.rpl.tmp"));
}

TEST(ReplaySummary, DifficultyWordsAndRankMarks) {
    ReplayHeader h;
    h.stageRank = {5, 1, 2, 4, 99};
    const std::pair<i32, const char*> words[] = {
        {0, "\tEASY\r\n"}, {1, "\tNORMALY\r\n"}, {2, "\tHARD\r\n"}, {7, "\tHARD\r\n"}};
    for (const auto& [d, word] : words) {
        h.Difficulty = d;
        const std::string s = BuildReplaySummary(h, "x", KnownTime());
        EXPECT_NE(s.find(std::string("Difficulty:\r\n") + word), std::string::npos) << d;
    }
    const std::string s = BuildReplaySummary(h, "x", KnownTime());
    for (const char* marks : {"★★★★★", "★・・・・", "★★・・・", "★★★★・"}) {
        EXPECT_NE(s.find(ToCp932(std::string("point\t") + marks + "\r\n")), std::string::npos) << marks;
    }
    // A rank beyond five still draws five marks.
    EXPECT_NE(s.find(ToCp932("Stage5:         0 point\t★★★★★\r\n")), std::string::npos);
}

TEST(ReplaySummary, AscTimeForm) {
    std::tm t = KnownTime();
    EXPECT_EQ(FormatAscTime(t), "Wed Jan  2 03:04:05 2008\n");
    t.tm_mday = 28;
    t.tm_mon = 11;
    t.tm_wday = 0;
    t.tm_hour = 23;
    t.tm_year = 2031 - 1900;
    EXPECT_EQ(FormatAscTime(t), "Sun Dec 28 23:04:05 2031\n");
}

TEST_F(ReplayFolder, FreeNumberFillsTheFirstGap) {
    EXPECT_EQ(FindFreeReplayNumber(nullptr, dir.str()), 0);  // no folder yet
    PlaceReplay("vosket000.rpl", 0);
    PlaceReplay("vosket002.rpl", 0);
    std::string path;
    EXPECT_EQ(FindFreeReplayNumber(&path, dir.str()), 1);
    EXPECT_EQ(path, (dir.path() / "replay" / "vosket001.rpl").string());

    KnownRun k;
    SaveReplayResult saved = SaveReplay(k.record, k.run, "x", dir.str());
    ASSERT_TRUE(saved.status) << saved.status.message;
    EXPECT_EQ(saved.number, 1);
    saved = SaveReplay(k.record, k.run, "x", dir.str());
    EXPECT_EQ(saved.number, 3);
}

TEST_F(ReplayFolder, FullFolderRefusesTheSaveAndKeepsNumber998) {
    fs::create_directories(dir.path() / "replay");
    for (int n = 0; n < 999; ++n) std::ofstream(Replay(n)) << "kept";
    std::string path = "unchanged";
    EXPECT_EQ(FindFreeReplayNumber(&path, dir.str()), 999);
    EXPECT_TRUE(path.empty());

    KnownRun k;
    const SaveReplayResult saved = SaveReplay(k.record, k.run, "x", dir.str());
    EXPECT_FALSE(saved.status);
    EXPECT_NE(saved.status.message.find("full"), std::string::npos) << saved.status.message;
    EXPECT_EQ(saved.number, -1);
    EXPECT_EQ(ReadAll(Replay(998)), (std::vector<u8>{'k', 'e', 'p', 't'}));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path() / "replay"), fs::directory_iterator()), 999);
}

TEST_F(ReplayFolder, SaveThatCannotBeWrittenReportsFailure) {
    // "replay" is a file, so nothing can be created inside it.
    std::ofstream(dir.path() / "replay") << "not a folder";
    KnownRun k;
    const SaveReplayResult saved = SaveReplay(k.record, k.run, "x", dir.str());
    EXPECT_FALSE(saved.status);
    EXPECT_FALSE(saved.status.message.empty());
    EXPECT_EQ(saved.number, -1);
}

TEST_F(ReplayFolder, SaveScanLoadRoundTrip) {
    KnownRun k;
    ASSERT_TRUE(SaveReplay(k.record, k.run, "x", dir.str()).status);
    EXPECT_TRUE(ScanReplayFiles(dir.str()).empty());
    ASSERT_EQ(g_ReplayList.size(), 1u);
    ASSERT_EQ(g_ReplayPathList.size(), 1u);
    EXPECT_EQ(g_ReplayPathList[0], (dir.path() / "replay" / "vosket000.rpl").string());
    EXPECT_EQ(g_ReplayList[0].score, 16345u);

    PlayRecord loaded;
    loaded.stageRank.fill(4);  // overwritten by the load
    ReplayHeader header;
    const FileStatus status = LoadReplay(0, loaded, header);
    ASSERT_TRUE(status) << status.message;
    EXPECT_TRUE(status.message.empty());
    EXPECT_EQ(loaded.played, k.record.played);
    EXPECT_EQ(loaded.seed, k.record.seed);
    EXPECT_EQ(loaded.stageScore, k.record.stageScore);
    EXPECT_EQ(loaded.stageRank, k.record.stageRank);
    EXPECT_EQ(loaded.livesAtStart, k.record.livesAtStart);
    EXPECT_EQ(loaded.extendsAtStart, k.record.extendsAtStart);
    EXPECT_EQ(loaded.extendPointsAtStart, k.record.extendPointsAtStart);
    EXPECT_EQ(loaded.input, k.record.input);
    EXPECT_EQ(header.name, k.run.name);
    EXPECT_EQ(header.storyFlags, k.run.storyFlags);
    EXPECT_EQ(EncodeReplayHeader(header), EncodeReplayHeader(MakeReplayHeader(k.record, k.run)));

    const ReplayPlaybackStart start = PrepareReplayPlayback(header, 1);
    EXPECT_EQ(start.GameMode, kGameModeReplay);
    EXPECT_EQ(start.StageIndex, 1);
    EXPECT_EQ(start.Difficulty, 1);
    EXPECT_EQ(start.RunScore, 12345u);
    EXPECT_EQ(start.StoryFlags, k.run.storyFlags);
    EXPECT_EQ(PrepareReplayPlayback(header, 9).StageIndex, 4);

    EXPECT_FALSE(LoadReplay(1, loaded, header));
    EXPECT_FALSE(LoadReplay(-1, loaded, header));
}

TEST_F(ReplayFolder, TruncatedOrForeignFilesAreRejectedWithTheirName) {
    KnownRun k;
    std::vector<u8> good = EncodeReplayHeader(MakeReplayHeader(k.record, k.run));
    std::vector<u8> shortHeader(good.begin(), good.begin() + 700);
    std::vector<u8> foreign = good;
    foreign[0] = 0x12;
    struct Case {
        const char* name;
        std::vector<u8> bytes;
        const char* says;
    } cases[] = {
        {"vosket000.rpl", shortHeader, "truncated"},
        {"vosket001.rpl", foreign, "not a replay"},
        {"vosket002.rpl", {}, "truncated"},
    };
    for (const Case& c : cases) WriteAll(dir.path() / "replay" / c.name, c.bytes);

    const std::vector<std::string> rejected = ScanReplayFiles(dir.str());
    EXPECT_TRUE(g_ReplayList.empty());
    ASSERT_EQ(rejected.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_NE(rejected[i].find(cases[i].name), std::string::npos) << rejected[i];
        EXPECT_NE(rejected[i].find(cases[i].says), std::string::npos) << rejected[i];

        PlayRecord record = k.record;
        ReplayHeader header;
        header.score = 77;
        const FileStatus status = ReadReplayFile((dir.path() / "replay" / cases[i].name).string(), header, record);
        EXPECT_FALSE(status);
        EXPECT_NE(status.message.find(cases[i].name), std::string::npos) << status.message;
        EXPECT_EQ(record.input, k.record.input);  // untouched
        EXPECT_EQ(header.score, 77u);
    }
    ReplayHeader unused;
    const FileStatus missing = ReadReplayFile((dir.path() / "nothing.rpl").string(), unused, k.record);
    EXPECT_FALSE(missing);
    EXPECT_NE(missing.message.find("nothing.rpl"), std::string::npos);
}

TEST_F(ReplayFolder, InputCountsAreBoundedByTheFileSize) {
    ReplayHeader h;
    h.played[0] = h.played[1] = 1;
    h.inputCount[0] = 2;
    h.inputCount[1] = 1000;
    h.inputCount[5] = 0xFFFFFFFFu;
    std::vector<u8> bytes = EncodeReplayHeader(h);
    for (u8 b : {0x01, 0x00, 0x02, 0x00, 0x03, 0x00, 0x04, 0x00, 0x05}) bytes.push_back(b);  // 4.5 words
    const fs::path path = dir.path() / "replay" / "vosket000.rpl";
    WriteAll(path, bytes);

    PlayRecord record;
    ReplayHeader header;
    const FileStatus status = ReadReplayFile(path.string(), header, record);
    ASSERT_TRUE(status) << status.message;
    EXPECT_NE(status.message.find("ends early"), std::string::npos);
    EXPECT_EQ(record.input[0], (std::vector<u16>{1, 2}));
    EXPECT_EQ(record.input[1], (std::vector<u16>{3, 4}));
    EXPECT_TRUE(record.input[5].empty());
    EXPECT_EQ(header.inputCount[1], 2u);
    EXPECT_EQ(header.inputCount[5], 0u);
    EXPECT_EQ(PlayRecordInputWord(record, 1, 1), 4);
    EXPECT_EQ(PlayRecordInputWord(record, 1, 999), 0);
}

// A crafted replay with counters the game never makes (which would overflow
// the player's counters in play) is refused by every reader, naming the file
// and the field; the highest values the game makes are read.
TEST_F(ReplayFolder, ValuesOutsideWhatTheGameMakesAreRefused) {
    struct Case {
        const char* field;
        void (*set)(ReplayHeader&, u32);
        u32 highest;
    } cases[] = {
        {"score", [](ReplayHeader& h, u32 v) { h.score = v; }, kMaxRunScore},
        {"played[4]", [](ReplayHeader& h, u32 v) { h.played[4] = static_cast<u8>(v); }, 1},
        {"stageScore[0]", [](ReplayHeader& h, u32 v) { h.stageScore[0] = v; }, kMaxStageScore},
        {"livesAtStart[1]", [](ReplayHeader& h, u32 v) { h.livesAtStart[1] = v; }, kMaxRecordedLives},
        {"extendsAtStart[2]", [](ReplayHeader& h, u32 v) { h.extendsAtStart[2] = v; }, kMaxRecordedExtends},
        {"extendPointsAtStart[19]", [](ReplayHeader& h, u32 v) { h.extendPointsAtStart[19] = v; },
         kMaxRecordedExtendPoints},
        {"seed[3]", [](ReplayHeader& h, u32 v) { h.seed[3] = v; }, kMaxStageSeed},
        {"storyFlags[42]", [](ReplayHeader& h, u32 v) { h.storyFlags[42] = static_cast<u8>(v); }, 1},
    };
    const fs::path path = dir.path() / "replay" / "vosket000.rpl";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        for (u32 value : {c.highest, c.highest + 1, c.field[0] == 'p' || c.field[1] == 't' ? 255u : 0x7FFFFFFFu}) {
            ReplayHeader h;
            h.played[1] = 1;
            c.set(h, value);
            WriteAll(path, EncodeReplayHeader(h));
            WriteAll(dir.path() / "demo.rpl", EncodeReplayHeader(h));
            const std::vector<std::string> rejected = ScanReplayFiles(dir.str());
            PlayRecord record;
            ReplayHeader header;
            const FileStatus read = ReadReplayFile(path.string(), header, record);
            ReplayPlaybackStart start;
            const FileStatus demo = LoadDemoReplay(record, start, dir.str());
            if (value <= c.highest) {
                EXPECT_TRUE(rejected.empty()) << rejected[0];
                EXPECT_TRUE(read) << read.message;
                EXPECT_TRUE(demo) << demo.message;
                continue;
            }
            ASSERT_EQ(rejected.size(), 1u) << value;
            EXPECT_TRUE(g_ReplayList.empty());
            EXPECT_FALSE(read);
            EXPECT_FALSE(demo);
            for (const std::string& message : {rejected[0], read.message}) {
                EXPECT_NE(message.find("vosket000.rpl"), std::string::npos) << message;
                EXPECT_NE(message.find(std::string(c.field) + " is " + std::to_string(value)), std::string::npos)
                    << message;
            }
        }
    }
}

TEST_F(ReplayFolder, ValuesThatIndexTablesAreClamped) {
    struct Case {
        i32 difficulty, startKind;
        u32 rank, nameChar;
        i32 wantDifficulty, wantStartKind;
        u32 wantRank, wantChar;
    } cases[] = {
        {7, 9, 9, 200, 2, 2, 5, kBlankNameCharacter},
        {-3, -1, 0, 89, 0, 0, 0, 89},
        {1, 2, 5, 0, 1, 2, 5, 0},
    };
    for (const Case& c : cases) {
        ReplayHeader h;
        h.Difficulty = c.difficulty;
        h.StartKind = c.startKind;
        h.stageRank[0] = c.rank;
        h.name[0] = c.nameChar;
        h.played[1] = 1;
        WriteAll(dir.path() / "replay" / "vosket000.rpl", EncodeReplayHeader(h));
        WriteAll(dir.path() / "demo.rpl", EncodeReplayHeader(h));
        ScanReplayFiles(dir.str());
        ASSERT_EQ(g_ReplayList.size(), 1u);
        PlayRecord record;
        ReplayHeader loaded;
        ASSERT_TRUE(LoadReplay(0, record, loaded));
        for (const ReplayHeader* r : {&g_ReplayList[0], &loaded}) {
            EXPECT_EQ(r->Difficulty, c.wantDifficulty);
            EXPECT_EQ(r->StartKind, c.wantStartKind);
            EXPECT_EQ(r->stageRank[0], c.wantRank);
            EXPECT_EQ(r->name[0], c.wantChar);
        }
        EXPECT_EQ(record.stageRank[0], c.wantRank);
        ReplayPlaybackStart start;
        ASSERT_TRUE(LoadDemoReplay(record, start, dir.str()));
        EXPECT_EQ(start.Difficulty, c.wantDifficulty);
    }
}

TEST_F(ReplayFolder, ScanIsInNameOrderAndStopsAtOneHundred) {
    PlaceReplay("vosket005.rpl", 5);
    PlaceReplay("vosket001.rpl", 1);
    PlaceReplay("vosket003.RPL", 3);
    WriteAll(dir.path() / "replay" / "vosket002.rpl", {1, 2, 3});  // rejected, scan goes on
    PlaceReplay("notes.txt", 99);
    fs::create_directories(dir.path() / "replay" / "folder.rpl");
    ScanReplayFiles(dir.str());
    ASSERT_EQ(g_ReplayList.size(), 3u);
    EXPECT_EQ(g_ReplayList[0].score, 1u);
    EXPECT_EQ(g_ReplayList[1].score, 3u);
    EXPECT_EQ(g_ReplayList[2].score, 5u);
    EXPECT_EQ(g_ReplayPathList[1], (dir.path() / "replay" / "vosket003.RPL").string());

    for (int n = 110; n < 215; ++n) PlaceReplay(ReplayFileName(n).substr(7), static_cast<u32>(n));
    ScanReplayFiles(dir.str());
    ASSERT_EQ(g_ReplayList.size(), 100u);
    EXPECT_EQ(g_ReplayList[3].score, 110u);
    EXPECT_EQ(g_ReplayList[99].score, 206u);
    EXPECT_EQ(g_ReplayPathList.size(), 100u);
}

TEST_F(ReplayFolder, ScanOfAMissingFolderIsEmpty) {
    g_ReplayList.resize(3);
    g_ReplayPathList.resize(3);
    EXPECT_TRUE(ScanReplayFiles(dir.str()).empty());
    EXPECT_TRUE(g_ReplayList.empty());
    EXPECT_TRUE(g_ReplayPathList.empty());
}

TEST_F(ReplayFolder, DemoPlaysStageIndexOne) {
    KnownRun k;
    const ReplayHeader header = MakeReplayHeader(k.record, k.run);
    WriteAll(dir.path() / "demo.rpl", EncodeReplayFile(header, k.record, "x", KnownTime()));
    PlayRecord record;
    ReplayPlaybackStart start;
    const FileStatus status = LoadDemoReplay(record, start, dir.str());
    ASSERT_TRUE(status) << status.message;
    EXPECT_EQ(start.GameMode, kGameModeDemo);
    EXPECT_EQ(start.StageIndex, 1);
    EXPECT_EQ(start.Difficulty, 1);
    EXPECT_EQ(start.StartKind, 0);
    EXPECT_EQ(start.RunScore, 12345u);
    EXPECT_EQ(start.StoryFlags, k.run.storyFlags);
    EXPECT_EQ(record.input[1], k.record.input[1]);
    EXPECT_EQ(record.livesAtStart[1], 2u);
}

TEST_F(ReplayFolder, DemoRefusesAFileWithoutStageIndexOne) {
    KnownRun k;
    k.record.played[1] = 0;
    WriteAll(dir.path() / "demo.rpl", EncodeReplayHeader(MakeReplayHeader(k.record, k.run)));
    PlayRecord record;
    record.seed[0] = 5;
    ReplayPlaybackStart start;
    start.StageIndex = 3;
    FileStatus status = LoadDemoReplay(record, start, dir.str());
    EXPECT_FALSE(status);
    EXPECT_NE(status.message.find("demo.rpl"), std::string::npos);
    EXPECT_EQ(record.seed[0], 5u);
    EXPECT_EQ(start.StageIndex, 3);

    fs::remove(dir.path() / "demo.rpl");
    status = LoadDemoReplay(record, start, dir.str());
    EXPECT_FALSE(status);
    EXPECT_NE(status.message.find("demo.rpl"), std::string::npos);
}

TEST_F(ReplayFolder, EveryTruncationOfAFileIsHandled) {
    KnownRun k;
    const ReplayHeader header = MakeReplayHeader(k.record, k.run);
    const std::vector<u8> full = EncodeReplayFile(header, k.record, "x", KnownTime());
    const fs::path path = dir.path() / "cut.rpl";
    for (std::size_t length = 0; length <= 730; ++length) {
        WriteAll(path, std::vector<u8>(full.begin(), full.begin() + static_cast<long>(length)));
        PlayRecord record;
        ReplayHeader loaded;
        const FileStatus status = ReadReplayFile(path.string(), loaded, record);
        ASSERT_EQ(static_cast<bool>(status), length >= 716) << length;
        if (!status) continue;
        const std::size_t words = (length - 716) / 2;
        EXPECT_EQ(record.input[0].size(), std::min<std::size_t>(words, 3)) << length;
        EXPECT_EQ(record.input[1].size(), words > 3 ? std::min<std::size_t>(words - 3, 2) : 0) << length;
        EXPECT_EQ(status.message.empty(), words >= 5) << length;
    }
}
