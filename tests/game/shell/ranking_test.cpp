#include "game/shell/ranking.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "game/shell/replay.h"
#include "tests/support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

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

std::size_t NameOffset(int d, int place, int c) { return 4 * ((d * 10 + place) * 5 + c); }
std::size_t ScoreOffset(int d, int place) { return 600 + 4 * (d * 10 + place); }
std::size_t BestOffset(int d, int stage) { return 720 + 4 * (d * 20 + stage); }

std::string NameAt(const RankingTable& t, int d, int place) {
    StoredName n;
    for (int c = 0; c < 5; ++c) n[c] = t.name[d][place][c];
    return NameToText(n);
}

const StoredName kZed = {65, 65, 65, 65, 65};  // "ZZZZZ"

}  // namespace

TEST(NameCharacters, TableAndLists) {
    EXPECT_EQ(NameCharacterTable[0], '0');
    EXPECT_EQ(NameCharacterTable[10], 'a');
    EXPECT_EQ(NameCharacterTable[40], 'A');
    EXPECT_EQ(NameCharacterTable[65], 'Z');
    EXPECT_EQ(NameCharacterTable[70], '!');
    EXPECT_EQ(NameCharacterTable[81], '*');
    EXPECT_EQ(NameCharacterTable[82], ' ');
    EXPECT_EQ(NameCharacterTable[89], ' ');
    EXPECT_EQ(NameCharacterAt(1000), ' ');
    for (int list = 0; list < 2; ++list) {
        const std::vector<i32> entries = BuildCharacterList(list);
        ASSERT_EQ(entries.size(), 49u);
        EXPECT_EQ(entries[9], 9);
        EXPECT_EQ(entries[10], list == 0 ? 10 : 40);
        EXPECT_EQ(entries[35], list == 0 ? 35 : 65);
        EXPECT_EQ(entries[36], 70);
        EXPECT_EQ(entries[48], 82);
    }
}

TEST(Ranking, DefaultsAndTheirFileImage) {
    const RankingTable t = DefaultRankingTable();
    const std::vector<u8> b = EncodeRankingTable(t);
    ASSERT_EQ(b.size(), 960u);
    for (int d = 0; d < 3; ++d) {
        EXPECT_EQ(NameAt(t, d, 0), "AAAAA");
        EXPECT_EQ(NameAt(t, d, 4), "EEEEE");
        EXPECT_EQ(NameAt(t, d, 9), "JJJJJ");
        for (int i = 0; i < 10; ++i) {
            EXPECT_EQ(U32At(b, ScoreOffset(d, i)), 1000u - 100u * i);
            EXPECT_EQ(U32At(b, NameOffset(d, i, 4)), 40u + i);
        }
        for (int s = 0; s < 20; ++s) EXPECT_EQ(U32At(b, BestOffset(d, s)), 1000u);
    }
}

TEST(Ranking, PositionIsTheFirstPlaceBeatenStrictly) {
    const RankingTable t = DefaultRankingTable();
    EXPECT_EQ(RankPosition(t, 0, 5000), 0);
    EXPECT_EQ(RankPosition(t, 0, 1000), 1);  // a tie ranks below
    EXPECT_EQ(RankPosition(t, 1, 650), 4);
    EXPECT_EQ(RankPosition(t, 2, 101), 9);
    EXPECT_EQ(RankPosition(t, 2, 0), 9);  // beats nothing: shown as the tenth
}

TEST(Ranking, InsertAtTopMiddleBottomAndOutside) {
    struct Case {
        const char* label;
        i32 position;
        u32 score;
        bool inserted;
        std::vector<u32> scores;  // the difficulty's ten scores afterwards
    } cases[] = {
        {"top", 0, 5000, true, {5000, 1000, 900, 800, 700, 600, 500, 400, 300, 200}},
        {"middle", 4, 650, true, {1000, 900, 800, 700, 650, 600, 500, 400, 300, 200}},
        {"bottom", 9, 150, true, {1000, 900, 800, 700, 600, 500, 400, 300, 200, 150}},
        {"below the tenth", 9, 50, false, {1000, 900, 800, 700, 600, 500, 400, 300, 200, 100}},
        {"a tie", 0, 1000, false, {1000, 900, 800, 700, 600, 500, 400, 300, 200, 100}},
        {"past the table", 10, 5000, false, {1000, 900, 800, 700, 600, 500, 400, 300, 200, 100}},
        {"negative place", -1, 5000, false, {1000, 900, 800, 700, 600, 500, 400, 300, 200, 100}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        RankingTable t = DefaultRankingTable();
        EXPECT_EQ(InsertRanking(t, 1, c.position, c.score, kZed), c.inserted);
        std::vector<u32> scores(t.score[1], t.score[1] + 10);
        EXPECT_EQ(scores, c.scores);
        if (c.inserted) {
            EXPECT_EQ(NameAt(t, 1, c.position), "ZZZZZ");
            // The entries below moved down with their names.
            for (int i = c.position + 1; i < 10; ++i) {
                EXPECT_EQ(NameAt(t, 1, i), std::string(5, static_cast<char>('A' + i - 1)));
            }
        }
        // Other difficulties are untouched.
        EXPECT_EQ(EncodeRankingTable(t).size(), 960u);
        EXPECT_EQ(t.score[0][0], 1000u);
        EXPECT_EQ(t.score[2][9], 100u);
        EXPECT_EQ(NameAt(t, 0, 0), "AAAAA");
    }
}

TEST(Ranking, MissingFileGetsDefaultsWrittenToDisk) {
    testing_support::TempDir dir;
    fs::create_directories(dir.path() / "system");
    g_RankingTable = RankingTable{};
    const FileStatus status = LoadRanking(dir.str());
    ASSERT_TRUE(status) << status.message;
    EXPECT_EQ(EncodeRankingTable(g_RankingTable), EncodeRankingTable(DefaultRankingTable()));
    EXPECT_EQ(ReadAll(dir.path() / "system" / "ranking.dat"), EncodeRankingTable(DefaultRankingTable()));
}

TEST(Ranking, BytesAfterASave) {
    testing_support::TempDir dir;
    const fs::path file = dir.path() / "system" / "ranking.dat";
    WriteAll(file, EncodeRankingTable(DefaultRankingTable()));
    ASSERT_TRUE(LoadRanking(dir.str()));
    ASSERT_TRUE(InsertRanking(g_RankingTable, 2, 0, 123456, {11, 12, 13, 14, 15}));
    g_RankingTable.bestStageScore[1][4] = 0x01020304;
    const FileStatus status = SaveRanking(dir.str());
    ASSERT_TRUE(status) << status.message;

    const std::vector<u8> b = ReadAll(file);
    ASSERT_EQ(b.size(), 960u);
    EXPECT_EQ(U32At(b, NameOffset(2, 0, 0)), 11u);
    EXPECT_EQ(U32At(b, NameOffset(2, 0, 4)), 15u);
    EXPECT_EQ(U32At(b, NameOffset(2, 1, 0)), 40u);  // AAAAA moved to place 1
    EXPECT_EQ(U32At(b, ScoreOffset(2, 0)), 123456u);
    EXPECT_EQ(U32At(b, ScoreOffset(2, 1)), 1000u);
    EXPECT_EQ(U32At(b, ScoreOffset(2, 9)), 200u);
    EXPECT_EQ(U32At(b, ScoreOffset(1, 0)), 1000u);
    const std::vector<u8> best(b.begin() + BestOffset(1, 4), b.begin() + BestOffset(1, 4) + 4);
    EXPECT_EQ(best, (std::vector<u8>{0x04, 0x03, 0x02, 0x01}));
    EXPECT_FALSE(fs::exists(file.string() + ".tmp"));

    RankingTable again{};
    ASSERT_TRUE(LoadRankingFile(file.string(), again));
    EXPECT_EQ(EncodeRankingTable(again), b);
}

TEST(Ranking, FailedSaveKeepsTheOldFile) {
    testing_support::TempDir dir;
    const fs::path file = dir.path() / "system" / "ranking.dat";
    WriteAll(file, EncodeRankingTable(DefaultRankingTable()));
    // A folder in the way of the temporary file makes the save fail.
    fs::create_directories(file.string() + ".tmp" + "/x");
    RankingTable t = DefaultRankingTable();
    t.score[0][0] = 1;
    const FileStatus status = SaveRankingFile(file.string(), t);
    EXPECT_FALSE(status);
    EXPECT_NE(status.message.find("ranking.dat"), std::string::npos);
    EXPECT_EQ(ReadAll(file), EncodeRankingTable(DefaultRankingTable()));
}

TEST(Ranking, ShortOrHostileFileIsReadSafely) {
    testing_support::TempDir dir;
    const fs::path file = dir.path() / "ranking.dat";
    std::vector<u8> bytes = EncodeRankingTable(DefaultRankingTable());
    bytes[0] = 0xF4;  // name character 500 (0x1F4)
    bytes[1] = 0x01;
    bytes.resize(102);  // 25 whole words and half of one
    WriteAll(file, bytes);

    RankingTable t{};
    const FileStatus status = LoadRankingFile(file.string(), t);
    ASSERT_TRUE(status);
    EXPECT_NE(status.message.find("short"), std::string::npos);
    EXPECT_EQ(t.name[0][0][0], kBlankNameCharacter);
    EXPECT_EQ(t.name[0][0][1], 40u);
    EXPECT_EQ(t.name[0][4][4], 44u);  // word 24, the last whole one
    EXPECT_EQ(t.name[0][5][0], 0u);   // not in the file: as it was
    EXPECT_EQ(t.score[0][0], 0u);
    // The short file itself is left alone.
    EXPECT_EQ(ReadAll(file).size(), 102u);
}

// A ranking holding a score no run (or stage) can make was not written by
// the game: it is not used, and the note names the field; the highest scores
// the game makes are kept.
TEST(Ranking, ScoresBeyondWhatARunMakesAreNotUsed) {
    testing_support::TempDir dir;
    const fs::path file = dir.path() / "ranking.dat";
    struct Case {
        std::size_t offset;
        u32 value;
        const char* says;  // the field named, null when the file is read
    } cases[] = {
        {ScoreOffset(2, 3), kMaxRunScore, nullptr},
        {ScoreOffset(2, 3), kMaxRunScore + 1, "score[2][3] is "},
        {BestOffset(1, 4), kMaxStageScore, nullptr},
        {BestOffset(1, 4), 0xFFFFFFFFu, "bestStageScore[1][4] is "},
    };
    for (const Case& c : cases) {
        std::vector<u8> bytes = EncodeRankingTable(DefaultRankingTable());
        for (int i = 0; i < 4; ++i) bytes[c.offset + i] = static_cast<u8>(c.value >> (8 * i));
        WriteAll(file, bytes);
        RankingTable t{};
        const FileStatus status = LoadRankingFile(file.string(), t);
        ASSERT_TRUE(status);
        if (c.says == nullptr) {
            EXPECT_EQ(EncodeRankingTable(t), bytes);
            EXPECT_TRUE(status.message.empty()) << status.message;
            continue;
        }
        EXPECT_EQ(EncodeRankingTable(t), EncodeRankingTable(DefaultRankingTable()));
        EXPECT_NE(status.message.find("ranking.dat"), std::string::npos) << status.message;
        EXPECT_NE(status.message.find(c.says + std::to_string(c.value)), std::string::npos) << status.message;
        EXPECT_EQ(ReadAll(file), bytes);  // left as it is
    }
}
