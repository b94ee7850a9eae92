#include "tools/sampledata/demo_replay.h"

#include <cstdio>
#include <fstream>
#include <iterator>

#include "game/shell/replay.h"
#include "tools/sampledata/output.h"

bool CheckDemoReplay(const std::vector<u8>& bytes, std::string& error) {
    ReplayHeader header;
    const FileStatus status = DecodeReplayHeader(bytes.data(), bytes.size(), "the recording", header);
    if (!status) {
        error = status.message;
        return false;
    }
    const std::size_t stage = kDemoStageIndex;
    if (header.played[stage] == 0) {
        error = "stage index 1 was not played";
        return false;
    }
    if (header.livesAtStart[stage] < 1) {
        error = "stage index 1 started without lives";
        return false;
    }
    if (header.inputCount[stage] <= kDemoMinimumFrames) {
        error = "stage index 1 holds " + std::to_string(header.inputCount[stage]) + " frames, not more than " +
                std::to_string(kDemoMinimumFrames);
        return false;
    }
    u64 words = 0;
    for (u32 count : header.inputCount) words += count;
    if (bytes.size() < kReplayHeaderSize + 2 * words) {
        error = "the input streams end before the header's counts";
        return false;
    }
    return true;
}

bool InstallDemoReplay(const std::string& dir, const std::string& recorded) {
    std::ifstream in(recorded, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "make_sample_data: cannot read the recording %s\n", recorded.c_str());
        return false;
    }
    const std::vector<u8> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string error;
    if (!CheckDemoReplay(bytes, error)) {
        std::fprintf(stderr, "make_sample_data: %s cannot be the demonstration: %s\n", recorded.c_str(), error.c_str());
        return false;
    }
    return WriteGeneratedFile(dir, kDemoReplayFile, bytes);
}
