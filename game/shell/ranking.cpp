#include "game/shell/ranking.h"

#include <cstring>

#include "game/shell/replay.h"

RankingTable g_RankingTable{};

namespace {

i32 ClampDifficulty(i32 difficulty) {
    return difficulty < 0 ? 0 : (difficulty >= kRankingDifficulties ? kRankingDifficulties - 1 : difficulty);
}

// The first score beyond what a run (or a stage) can make, as
// "<field>[d][i] is <value>, outside 0 to <most>"; empty when there is none.
std::string FirstScoreOutOfRange(const RankingTable& table) {
    for (int d = 0; d < kRankingDifficulties; ++d) {
        for (int i = 0; i < kRankingPlaces; ++i) {
            if (table.score[d][i] > kMaxRunScore) {
                return "score[" + std::to_string(d) + "][" + std::to_string(i) + "] is " +
                       std::to_string(table.score[d][i]) + ", outside 0 to " + std::to_string(kMaxRunScore);
            }
        }
        for (int s = 0; s < kRankingStageSlots; ++s) {
            if (table.bestStageScore[d][s] > kMaxStageScore) {
                return "bestStageScore[" + std::to_string(d) + "][" + std::to_string(s) + "] is " +
                       std::to_string(table.bestStageScore[d][s]) + ", outside 0 to " + std::to_string(kMaxStageScore);
            }
        }
    }
    return {};
}

}  // namespace

RankingTable DefaultRankingTable() {
    RankingTable table{};
    for (int d = 0; d < kRankingDifficulties; ++d) {
        for (int i = 0; i < kRankingPlaces; ++i) {
            for (int c = 0; c < kNameLength; ++c) table.name[d][i][c] = 40 + static_cast<u32>(i);
            table.score[d][i] = 1000 - 100 * static_cast<u32>(i);
        }
        for (int s = 0; s < kRankingStageSlots; ++s) table.bestStageScore[d][s] = 1000;
    }
    return table;
}

std::vector<u8> EncodeRankingTable(const RankingTable& table) {
    std::vector<u8> bytes;
    bytes.reserve(kRankingFileSize);
    ByteWriter w(bytes);
    for (const auto& difficulty : table.name)
        for (const auto& place : difficulty)
            for (u32 c : place) w.U32(c);
    for (const auto& difficulty : table.score)
        for (u32 v : difficulty) w.U32(v);
    for (const auto& difficulty : table.bestStageScore)
        for (u32 v : difficulty) w.U32(v);
    return bytes;
}

void DecodeRankingTable(const u8* bytes, std::size_t size, RankingTable& table) {
    if (size > kRankingFileSize) size = kRankingFileSize;
    ByteReader r(bytes, size);
    // Only whole words are taken; the rest of the table keeps its values.
    auto take = [&r](u32& field) {
        if (r.Remaining() >= 4) field = r.U32();
    };
    for (auto& difficulty : table.name)
        for (auto& place : difficulty)
            for (u32& c : place) {
                take(c);
                c = ClampNameCharacter(c);
            }
    for (auto& difficulty : table.score)
        for (u32& v : difficulty) take(v);
    for (auto& difficulty : table.bestStageScore)
        for (u32& v : difficulty) take(v);
}

FileStatus ReadRankingImage(const u8* bytes, std::size_t size, const std::string& path, RankingTable& table) {
    RankingTable decoded = table;
    DecodeRankingTable(bytes, size, decoded);
    const std::string outside = FirstScoreOutOfRange(decoded);
    if (!outside.empty()) {
        // Not a ranking the game wrote: it is not used (and stays as it is
        // until the next ranking is saved).
        table = DefaultRankingTable();
        return FileStatus::Success("\"" + path + "\": " + outside + "; using the default ranking");
    }
    table = decoded;
    if (size < kRankingFileSize) {
        return FileStatus::Success("\"" + path + "\" is short (" + std::to_string(size) + " of " +
                                   std::to_string(kRankingFileSize) + " bytes); the rest of the ranking was not read");
    }
    return FileStatus::Success();
}

FileStatus LoadRankingFile(const std::string& path, RankingTable& table) {
    const SaveFileRead read = ReadSaveFile(path, kRankingFileSize, "ranking");
    if (read.outcome == SaveFileRead::kRead) return ReadRankingImage(read.bytes.data(), read.bytes.size(), path, table);
    table = DefaultRankingTable();
    // There is a file we cannot read: keep it, play with the defaults.
    if (read.outcome == SaveFileRead::kUnreadable) return FileStatus::Success(read.message);
    FileStatus write = SaveRankingFile(path, table);
    if (!write) {
        return FileStatus::Success(write.message + "; using the default ranking in memory");
    }
    return FileStatus::Success();
}

FileStatus SaveRankingFile(const std::string& path, const RankingTable& table) {
    return WriteFileReplacing(path, EncodeRankingTable(table));
}

FileStatus LoadRanking(const std::string& baseDir) {
    return LoadRankingFile(JoinShellPath(baseDir, kRankingFile), g_RankingTable);
}

FileStatus SaveRanking(const std::string& baseDir) {
    return SaveRankingFile(JoinShellPath(baseDir, kRankingFile), g_RankingTable);
}

i32 RankPosition(const RankingTable& table, i32 difficulty, u32 score) {
    const i32 d = ClampDifficulty(difficulty);
    for (i32 i = 0; i < kRankingPlaces; ++i) {
        if (score > table.score[d][i]) return i;
    }
    return kRankingPlaces - 1;
}

bool InsertRanking(RankingTable& table, i32 difficulty, i32 position, u32 score, const StoredName& name) {
    if (position < 0 || position >= kRankingPlaces) return false;
    const i32 d = ClampDifficulty(difficulty);
    if (score <= table.score[d][position]) return false;
    for (i32 i = kRankingPlaces - 2; i >= position; --i) {
        table.score[d][i + 1] = table.score[d][i];
        std::memcpy(table.name[d][i + 1], table.name[d][i], sizeof table.name[d][i]);
    }
    table.score[d][position] = score;
    for (int c = 0; c < kNameLength; ++c) table.name[d][position][c] = ClampNameCharacter(name[c]);
    return true;
}
