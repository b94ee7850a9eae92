#pragma once
// The sound-effect archive's records, least significant byte first, one after
// another to the end of the file:
//   u32 data size, the stored name (upper case) and a 0 byte, u32 format
//   record size (16 to 1024), the wave format record, the sample data.
// The index is read once, front to back; a damaged record ends it, and the
// entries before it stay usable.
#include <cstdio>
#include <string>
#include <vector>

#include "engine/core/types.h"

struct SoundArchiveEntry {
    std::string name;      // as stored
    u64 formatOffset = 0;  // the data follows the format record
    u32 formatSize = 0;
    u32 dataSize = 0;
};

struct SoundArchiveIndex {
    std::vector<SoundArchiveEntry> entries;
    // Empty when every record was read; otherwise what is wrong where (the
    // damaged entry's name when it has one).
    std::string problem;
};

SoundArchiveIndex ReadSoundArchiveIndex(std::FILE* file);
// The first entry stored under `name`; null when there is none.
const SoundArchiveEntry* FindSoundArchiveEntry(const SoundArchiveIndex& index, const std::string& name);
// Reads an entry's format record and data. False when the read fails.
bool ReadSoundArchiveEntry(std::FILE* file, const SoundArchiveEntry& entry, std::vector<u8>& format,
                           std::vector<u8>& data);
