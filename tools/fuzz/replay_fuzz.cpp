// Replay files: the header's checks and clamps, the input streams bounded by
// the file, the playback start of every stage, and saving the record again
// (which must read back as the same header).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "game/shell/replay.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ReplayHeader header;
    PlayRecord record;
    if (size == 0) {
        DecodeReplayHeader(data, size, "fuzz.rpl", header);
        return 0;
    }
    std::FILE* file = fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
    if (file == nullptr) return 0;
    const FileStatus status = ReadReplayStream(file, "fuzz.rpl", header, record);
    std::fclose(file);
    if (!status) return 0;
    for (i32 stage = -1; stage <= kPlayableStages; ++stage) {
        const ReplayPlaybackStart start = PrepareReplayPlayback(header, stage);
        for (i64 frame : {i64(-1), i64(0), i64(1), i64(1) << 40}) PlayRecordInputWord(record, start.StageIndex, frame);
    }
    ComputeResultScore(record);
    std::tm time{};
    const std::vector<u8> saved = EncodeReplayFile(header, record, "fuzz", time);
    ReplayHeader again;
    if (!DecodeReplayHeader(saved.data(), saved.size(), "saved", again) ||
        EncodeReplayHeader(again) != EncodeReplayHeader(header)) {
        std::fprintf(stderr, "a replay read from a file does not read back the same once saved\n");
        std::abort();
    }
    return 0;
}
