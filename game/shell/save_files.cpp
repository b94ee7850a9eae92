#include "game/shell/save_files.h"

#include <cstdio>
#include <cstring>

#include "game/shell/file_access.h"
#include "game/shell/input.h"
#include "game/shell/volume_levels.h"

ConfigData g_ConfigData;
SystemData g_SystemData;

namespace {

constexpr const char* kConfigFile = "config.dat";
constexpr const char* kSystemFile = "system/system.dat";

// Little-endian field writer and reader over a byte image.
struct Writer {
    std::vector<u8>& out;
    void U8(u8 v) { out.push_back(v); }
    void U16(u16 v) {
        out.push_back(static_cast<u8>(v));
        out.push_back(static_cast<u8>(v >> 8));
    }
    void U32(u32 v) {
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<u8>(v >> (8 * i)));
    }
    void Bytes(const u8* p, std::size_t n) { out.insert(out.end(), p, p + n); }
};

// Reads fields from an image that may be short: a field beyond the end reads
// as zero (the record was zeroed before the read).
struct Reader {
    const u8* p;
    std::size_t size;
    std::size_t at = 0;
    u8 Byte(std::size_t i) const { return i < size ? p[i] : 0; }
    u8 U8() { return Byte(at++); }
    u16 U16() {
        u16 v = static_cast<u16>(Byte(at) | (Byte(at + 1) << 8));
        at += 2;
        return v;
    }
    u32 U32() {
        u32 v = 0;
        for (int i = 0; i < 4; ++i) v |= static_cast<u32>(Byte(at + i)) << (8 * i);
        at += 4;
        return v;
    }
    void Bytes(u8* out, std::size_t n) {
        for (std::size_t i = 0; i < n; ++i) out[i] = Byte(at + i);
        at += n;
    }
};

FileStatus WriteImage(const char* path, const std::vector<u8>& bytes) {
    // A failed save leaves the old file as it was and is said.
    FileStatus status = WriteFileReplacing(path, bytes);
    if (!status) std::fprintf(stderr, "tolvarin: %s\n", status.message.c_str());
    return status;
}

// Collects the values outside their ranges as "field value is outside lo to hi".
// A field of an array is named with its indexes (-1: none).
struct OutOfRange {
    std::string text;
    void Check(const char* field, long long value, long long lo, long long hi, int i = -1, int j = -1) {
        if (value >= lo && value <= hi) return;
        if (!text.empty()) text += ", ";
        text += field;
        for (int index : {i, j}) {
            if (index >= 0) text += "[" + std::to_string(index) + "]";
        }
        text += " " + std::to_string(value) + " is outside " + std::to_string(lo) + " to " + std::to_string(hi);
    }
};

void SayOutOfRange(const char* path, const std::string& note) {
    if (!note.empty()) std::fprintf(stderr, "tolvarin: \"%s\": %s\n", path, note.c_str());
}

}  // namespace

ConfigData DefaultConfigData() {
    ConfigData c;
    c.fullScreen = 1;
    c.fullColourScreen = 1;
    c.fullColourTextures = 1;
    c.soundOff = 0;
    c.showBootDialog = 1;
    c.showTalk = 1;
    c.musicVolume = 10;
    c.effectVolume = 10;
    c.joystickButtons = {0, 1, 0, 0, 0, 0, 7};
    return c;
}

SystemData DefaultSystemData() {
    SystemData s;
    for (int d = 0; d < kProgressDifficulties; ++d) s.StageProgress[d][1] = 1;
    return s;
}

std::vector<u8> EncodeConfigData(const ConfigData& c) {
    std::vector<u8> out;
    out.reserve(kConfigDataSize);
    Writer w{out};
    w.U8(c.fullScreen);
    w.U8(c.fullColourScreen);
    w.U8(c.fullColourTextures);
    w.U8(c.soundOff);
    w.U8(c.reserved04);
    w.U8(c.showBootDialog);
    w.U8(c.showTalk);
    w.U8(c.reserved07);
    w.U16(static_cast<u16>(c.musicVolume));
    w.U16(static_cast<u16>(c.effectVolume));
    w.Bytes(c.reserved0C.data(), c.reserved0C.size());
    for (u32 b : c.joystickButtons) w.U32(b);
    w.Bytes(c.reserved30.data(), c.reserved30.size());
    return out;
}

ConfigData DecodeConfigData(const u8* bytes, std::size_t size) {
    Reader r{bytes, size};
    ConfigData c;
    c.fullScreen = r.U8();
    c.fullColourScreen = r.U8();
    c.fullColourTextures = r.U8();
    c.soundOff = r.U8();
    c.reserved04 = r.U8();
    c.showBootDialog = r.U8();
    c.showTalk = r.U8();
    c.reserved07 = r.U8();
    c.musicVolume = static_cast<i16>(r.U16());
    c.effectVolume = static_cast<i16>(r.U16());
    r.Bytes(c.reserved0C.data(), c.reserved0C.size());
    for (u32& b : c.joystickButtons) b = r.U32();
    r.Bytes(c.reserved30.data(), c.reserved30.size());
    return c;
}

std::vector<u8> EncodeSystemData(const SystemData& s) {
    std::vector<u8> out;
    out.reserve(kSystemDataSize);
    Writer w{out};
    w.Bytes(s.endingSeen.data(), s.endingSeen.size());
    w.Bytes(s.endingSeenThisCycle.data(), s.endingSeenThisCycle.size());
    w.Bytes(s.reserved3C.data(), s.reserved3C.size());
    for (const auto& row : s.StageProgress) w.Bytes(row, kProgressStages);
    w.U32(s.endingsShown);
    return out;
}

SystemData DecodeSystemData(const u8* bytes, std::size_t size) {
    Reader r{bytes, size};
    SystemData s;
    r.Bytes(s.endingSeen.data(), s.endingSeen.size());
    r.Bytes(s.endingSeenThisCycle.data(), s.endingSeenThisCycle.size());
    r.Bytes(s.reserved3C.data(), s.reserved3C.size());
    for (auto& row : s.StageProgress) r.Bytes(row, kProgressStages);
    s.endingsShown = r.U32();
    return s;
}

std::string ConfigDataOutOfRange(const ConfigData& c) {
    OutOfRange r;
    r.Check("fullScreen", c.fullScreen, 0, 1);
    r.Check("fullColourScreen", c.fullColourScreen, 0, 1);
    r.Check("fullColourTextures", c.fullColourTextures, 0, 1);
    r.Check("soundOff", c.soundOff, 0, 1);
    r.Check("showBootDialog", c.showBootDialog, 0, 1);
    r.Check("showTalk", c.showTalk, 0, 1);
    r.Check("musicVolume", c.musicVolume, 0, kVolumeLevelCount - 1);
    r.Check("effectVolume", c.effectVolume, 0, kVolumeLevelCount - 1);
    for (int b = 0; b < kJoyButtonSlotCount; ++b) {
        r.Check("joystickButtons", c.joystickButtons[static_cast<std::size_t>(b)], 0, kJoystickButtons - 1, b);
    }
    return r.text;
}

std::string SystemDataOutOfRange(const SystemData& s) {
    OutOfRange r;
    for (int e = 0; e < kEndingSlots; ++e) r.Check("endingSeen", s.endingSeen[static_cast<std::size_t>(e)], 0, 1, e);
    for (int e = 0; e < kEndingSlots; ++e) {
        r.Check("endingSeenThisCycle", s.endingSeenThisCycle[static_cast<std::size_t>(e)], 0, 1, e);
    }
    for (int d = 0; d < kProgressDifficulties; ++d) {
        for (int st = 0; st < kProgressStages; ++st) r.Check("StageProgress", s.StageProgress[d][st], 0, 1, d, st);
    }
    return r.text;
}

namespace {

// Reads one of the two files at the start: a missing one gets the defaults
// and is written with them; one that cannot be read is said, and the game
// plays with the defaults without saving over it.
template <typename Record>
void LoadSaveFile(const char* path, std::size_t size, const char* what, Record& record, Record (*defaults)(),
                  Record (*decode)(const u8*, std::size_t), std::string (*outOfRange)(const Record&),
                  FileStatus (*save)()) {
    const SaveFileRead read = ReadSaveFile(path, size, what);
    if (read.outcome == SaveFileRead::kRead) {
        record = decode(read.bytes.data(), read.bytes.size());
        SayOutOfRange(path, outOfRange(record));
        return;
    }
    record = defaults();
    if (read.outcome == SaveFileRead::kUnreadable) {
        std::fprintf(stderr, "tolvarin: %s\n", read.message.c_str());
        return;
    }
    save();
}

}  // namespace

void LoadConfig() {
    LoadSaveFile(kConfigFile, kConfigDataSize, "settings", g_ConfigData, DefaultConfigData, DecodeConfigData,
                 ConfigDataOutOfRange, SaveConfig);
}

FileStatus SaveConfig() { return WriteImage(kConfigFile, EncodeConfigData(g_ConfigData)); }

void LoadSystemData() {
    LoadSaveFile(kSystemFile, kSystemDataSize, "progress", g_SystemData, DefaultSystemData, DecodeSystemData,
                 SystemDataOutOfRange, SaveSystemData);
}

FileStatus SaveSystemData() { return WriteImage(kSystemFile, EncodeSystemData(g_SystemData)); }
