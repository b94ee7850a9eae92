#pragma once
// The ranking: per difficulty the ten best run totals with a five-character
// name each, and the best score of every stage. In memory it is RankingTable
// for the whole run of the program; on disk "system/ranking.dat", the same
// 960 bytes least significant byte first, no header and no checksum:
//   0    name[3][10][5]      u32 indexes into NameCharacterTable
//   600  score[3][10]        u32
//   720  bestStageScore[3][20] u32 (stage indexes 0..4 used)
#include <string>
#include <vector>

#include "engine/core/types.h"
#include "game/shell/file_access.h"
#include "game/shell/name_characters.h"

constexpr int kRankingDifficulties = 3;
constexpr int kRankingPlaces = 10;
constexpr int kRankingStageSlots = 20;
constexpr std::size_t kRankingFileSize = 960;
inline constexpr char kRankingFile[] = "system/ranking.dat";

struct RankingTable {
    u32 name[kRankingDifficulties][kRankingPlaces][kNameLength];
    u32 score[kRankingDifficulties][kRankingPlaces];
    u32 bestStageScore[kRankingDifficulties][kRankingStageSlots];
};

extern RankingTable g_RankingTable;

// Place i of every difficulty: five times character 40 + i (AAAAA .. JJJJJ)
// with 1000 - 100 i; every best stage score 1000.
RankingTable DefaultRankingTable();

std::vector<u8> EncodeRankingTable(const RankingTable& table);
// Fills `table` from the first `size` bytes (at most 960); a short image fills
// what it holds and leaves the rest as it was. Name characters outside the
// table become the blank.
void DecodeRankingTable(const u8* bytes, std::size_t size, RankingTable& table);

// Reads `path` into `table`. When there is no file: the defaults, and a new
// file written with them. When the file is there but cannot be read: the
// defaults, with a note, and the file is never saved over in this run. A short file is read as far as it goes (the
// result carries a note). A file holding a score beyond what a run or a stage
// can make is not used: the defaults, with a note naming the field. The table
// is always usable afterwards.
FileStatus LoadRankingFile(const std::string& path, RankingTable& table);
// The reading of a file's first `size` bytes (at most 960 are taken) as
// LoadRankingFile does it, `path` naming the file in notes.
FileStatus ReadRankingImage(const u8* bytes, std::size_t size, const std::string& path, RankingTable& table);
// Writes the 960 bytes through a temporary file renamed over `path`.
FileStatus SaveRankingFile(const std::string& path, const RankingTable& table);

// The set-up's and the result scene's calls: g_RankingTable and
// "system/ranking.dat" under `baseDir` (the current folder by default).
FileStatus LoadRanking(const std::string& baseDir = "");
FileStatus SaveRanking(const std::string& baseDir = "");

// The place a total takes in a difficulty's table: the first place whose score
// it beats (strictly); 9 when it beats none, as the result screen shows it.
i32 RankPosition(const RankingTable& table, i32 difficulty, u32 score);
// Inserts `score` and `name` at `position` of the difficulty's table, moving
// the places below down by one (the tenth entry drops out). Nothing changes,
// and false is returned, when the position is outside 0..9 or the score does
// not beat the entry it would replace. A difficulty outside 0..2 is clamped.
bool InsertRanking(RankingTable& table, i32 difficulty, i32 position, u32 score, const StoredName& name);
