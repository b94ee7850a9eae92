#include "game/shell/sound_archive.h"

namespace {

// Longest entry name the reader accepts before it calls the archive corrupt.
constexpr std::size_t kMaxStoredName = 255;
// Largest wave format record it accepts.
constexpr u32 kMaxFormatSize = 1024;

bool ReadU32(std::FILE* f, u32& out) {
    u8 b[4];
    if (std::fread(b, 1, 4, f) != 4) return false;
    out = static_cast<u32>(b[0]) | (static_cast<u32>(b[1]) << 8) | (static_cast<u32>(b[2]) << 16) |
          (static_cast<u32>(b[3]) << 24);
    return true;
}

bool Seek(std::FILE* f, u64 to) {
    return to <= 0x7FFFFFFFFFFFFFFFull && fseeko(f, static_cast<off_t>(to), SEEK_SET) == 0;
}

}  // namespace

SoundArchiveIndex ReadSoundArchiveIndex(std::FILE* f) {
    SoundArchiveIndex index;
    if (fseeko(f, 0, SEEK_END) != 0) {
        index.problem = "cannot be read";
        return index;
    }
    const off_t end = ftello(f);
    if (end < 0 || !Seek(f, 0)) {
        index.problem = "cannot be read";
        return index;
    }
    const u64 fileSize = static_cast<u64>(end);
    u64 at = 0;
    const char* problem = nullptr;
    std::string name;
    for (;;) {
        u32 dataSize = 0;
        if (!ReadU32(f, dataSize)) {
            if (at != fileSize) problem = "archive ends inside an entry";
            break;  // otherwise the end of the archive
        }
        name.clear();
        int c = 0;
        while ((c = std::fgetc(f)) > 0 && name.size() <= kMaxStoredName) name.push_back(static_cast<char>(c));
        if (c != 0) {
            problem = c == EOF ? "name runs past the end of the archive" : "name too long";
            break;
        }
        u32 formatSize = 0;
        if (!ReadU32(f, formatSize)) {
            problem = "archive ends inside the entry";
            break;
        }
        if (formatSize < 16 || formatSize > kMaxFormatSize) {
            problem = "bad format record size";
            break;
        }
        const u64 formatOffset = at + 4 + name.size() + 1 + 4;
        const u64 next = formatOffset + formatSize + dataSize;
        if (next > fileSize) {
            problem = "entry runs past the end of the archive";
            break;
        }
        index.entries.push_back({name, formatOffset, formatSize, dataSize});
        if (!Seek(f, next)) {
            problem = "seek failed";
            break;
        }
        at = next;
    }
    if (problem == nullptr && index.entries.empty()) problem = "holds no entries";
    if (problem != nullptr) {
        index.problem = name.empty() ? std::string(problem) : "entry \"" + name + "\": " + problem;
    }
    return index;
}

const SoundArchiveEntry* FindSoundArchiveEntry(const SoundArchiveIndex& index, const std::string& name) {
    for (const SoundArchiveEntry& e : index.entries) {
        if (e.name == name) return &e;
    }
    return nullptr;
}

bool ReadSoundArchiveEntry(std::FILE* f, const SoundArchiveEntry& entry, std::vector<u8>& format,
                           std::vector<u8>& data) {
    format.resize(entry.formatSize);
    data.resize(entry.dataSize);
    return Seek(f, entry.formatOffset) && std::fread(format.data(), 1, format.size(), f) == format.size() &&
           std::fread(data.data(), 1, data.size(), f) == data.size();
}
