// The ranking file: reading a whole, short or oversized image, then the
// result scene's uses of the table (a place for a score, inserting it) and
// saving it again.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "game/shell/ranking.h"
#include "game/shell/replay.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    RankingTable table = DefaultRankingTable();
    ReadRankingImage(data, size, "fuzz", table);
    const std::vector<u8> saved = EncodeRankingTable(table);
    RankingTable again = DefaultRankingTable();
    if (!ReadRankingImage(saved.data(), saved.size(), "saved", again).message.empty() ||
        EncodeRankingTable(again) != saved) {
        std::fprintf(stderr, "a ranking read from a file does not read back the same once saved\n");
        std::abort();
    }
    for (i32 difficulty = -1; difficulty <= kRankingDifficulties; ++difficulty) {
        for (u32 score : {0u, 1000u, kMaxRunScore}) {
            const i32 place = RankPosition(table, difficulty, score);
            InsertRanking(table, difficulty, place, score, BlankName());
        }
    }
    return 0;
}
