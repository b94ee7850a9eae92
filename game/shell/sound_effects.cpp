#include "game/shell/sound_effects.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "game/shell/save_files.h"
#include "game/shell/volume_levels.h"
#include "platform/audio_format.h"
#include "platform/sound_device.h"

const SoundEffectDefinition SoundEffectTable[kSoundEffectCount] = {
    {"coin.wav", 2},
    {"sen_mi_misairu.wav", 2},
    {"A5_08260.wav", 1},
    {"sen_ge_taihou01.wav", 2},
    {"A5_05166.wav", 1},
    {"A5_01029.wav", 1},
    {"gun25.wav", 2},
    {"gunshot5.wav", 2},
    {"bom06.wav", 1},
    {"sen_ge_bom05.wav", 1},
    {"bom13_b.wav", 1},
    {"train.wav", 2},
    {"sen_mi_barukan.wav", 2},
    {"fire.wav", 2},
    {"bom35.wav", 2},
    {"bullet-bys1.wav", 2},
    {"mg.wav", 2},
    {"sen_ge_hasai02.wav", 1},
    {"gunshot4.wav", 3},
    {"decide2.wav", 1},
    {"decide12.wav", 1},
    {"error2.wav", 1},
    {"decide1.wav", 1},
    {"masingun.wav", 2},
    {"nori_ge_baiku_run012.wav", 2},
    {"A5_11346S.wav", 3},
    {"ani_ge_tori_wing02.wav", 1},
    {"wind4.wav", 1},
    {"meka_ge_jouki01.wav", 1},
    {"dosya.wav", 1},
    {"sen_mi_robo_bato01.wav", 1},
    {"pi.wav", 2},
    {"A5_08247.wav", 1},
    {"page.wav", 2},
    {"kaizan-switch15.wav", 2},
    {"decide2.wav", 2},
    {"chu1.wav", 2},
};

const i32 SoundEffectLoadOrder[kSoundEffectCount] = {0,  1,  2,  3,  4,  5,  6,  9,  10, 11, 12, 14, 19,
                                                     7,  25, 8,  13, 15, 16, 18, 17, 23, 27, 26, 28, 24,
                                                     31, 29, 30, 20, 21, 22, 33, 32, 34, 35, 36};

SoundEffectSystem g_SoundEffects;
i32 SoundEffectHandles[kSoundEffectCount] = {};
u8 SoundEffectGates[kSoundEffectCount] = {};
i32 SoundEffectStamps[kSoundEffectCount] = {};

namespace {

// Longest entry name the reader accepts before it calls the archive corrupt.
constexpr std::size_t kMaxStoredName = 255;
// Largest wave format record it accepts.
constexpr u32 kMaxFormatSize = 1024;

bool ValidSlot(i32 slot) { return slot >= 0 && slot < kSoundEffectSlotCount && g_SoundEffects.slots[slot].used; }
bool ValidEffect(i32 n) { return n >= 0 && n < kSoundEffectCount; }

// Upper-cases ASCII letters of a Shift-JIS string, leaving double-byte
// characters alone.
std::string UpperCaseName(const char* name) {
    std::string s(name);
    for (std::size_t i = 0; i < s.size(); ++i) {
        const u8 c = static_cast<u8>(s[i]);
        if ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFE)) {
            ++i;
        } else if (c >= 'a' && c <= 'z') {
            s[i] = static_cast<char>(c - 'a' + 'A');
        }
    }
    return s;
}

bool ReadU32(std::FILE* f, u32& out) {
    u8 b[4];
    if (std::fread(b, 1, 4, f) != 4) return false;
    out = static_cast<u32>(b[0]) | (static_cast<u32>(b[1]) << 8) | (static_cast<u32>(b[2]) << 16) |
          (static_cast<u32>(b[3]) << 24);
    return true;
}

struct LoadedEntry {
    std::vector<u8> format;
    std::vector<u8> data;
};

// Finds entry `wanted` (upper-cased) in the archive. False with a message when
// the archive is missing, corrupt or lacks the entry.
bool FindEntry(const std::string& path, const std::string& wanted, LoadedEntry& out) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) {
        std::fprintf(stderr, "sound: cannot open %s for \"%s\"\n", path.c_str(), wanted.c_str());
        return false;
    }
    std::fseek(f, 0, SEEK_END);
    const long fileSize = std::ftell(f);
    std::fseek(f, 0, SEEK_SET);
    const auto remaining = [&]() -> u64 {
        const long at = std::ftell(f);
        return (at < 0 || at > fileSize) ? 0 : static_cast<u64>(fileSize - at);
    };
    bool found = false;
    const char* problem = nullptr;
    std::string entryName;
    for (;;) {
        u32 dataSize = 0;
        if (!ReadU32(f, dataSize)) break;  // end of the archive
        entryName.clear();
        int c = 0;
        while ((c = std::fgetc(f)) > 0 && entryName.size() <= kMaxStoredName) entryName.push_back(static_cast<char>(c));
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
        if (static_cast<u64>(formatSize) + dataSize > remaining()) {
            problem = "entry runs past the end of the archive";
            break;
        }
        if (entryName == wanted) {
            out.format.resize(formatSize);
            out.data.resize(dataSize);
            found = std::fread(out.format.data(), 1, formatSize, f) == formatSize &&
                    std::fread(out.data.data(), 1, dataSize, f) == dataSize;
            if (!found) problem = "read failed";
            break;
        }
        // Skip the entry: its format record (of its own recorded size) and its data.
        if (std::fseek(f, static_cast<long>(formatSize) + static_cast<long>(dataSize), SEEK_CUR) != 0) {
            problem = "seek failed";
            break;
        }
    }
    std::fclose(f);
    if (problem != nullptr) {
        std::fprintf(stderr, "sound: %s: entry \"%s\": %s\n", path.c_str(), entryName.c_str(), problem);
    } else if (!found) {
        std::fprintf(stderr, "sound: %s: no entry \"%s\"\n", path.c_str(), wanted.c_str());
    }
    return found;
}

void ReleaseSlotBuffers(SoundEffectSlot& slot) {
    for (platform::SoundBuffer*& b : slot.buffers) {
        if (b != nullptr) {
            b->Stop();
            b->Release();
            b = nullptr;
        }
    }
}

void ClearSlot(SoundEffectSlot& slot) { slot = SoundEffectSlot{}; }

void LaySoundEffectVolume(i32 n) {
    const i32 slot = SoundEffectHandles[n];
    if (!ValidSlot(slot)) return;
    SoundEffectSlot& s = g_SoundEffects.slots[slot];
    for (i32 i = 0; i < s.duplicateCount; ++i) s.volume[i] = 0;
    ChangeSoundEffectVolume(slot, VolumeLevelDecibels(g_ConfigData.effectVolume), -1);
}

}  // namespace

void InitializeSoundEffects() {
    g_SoundEffects.ready = 0;
    g_SoundEffects.device = platform::SoundDevice::Create();
    for (SoundEffectSlot& s : g_SoundEffects.slots) ClearSlot(s);
    for (i32 n = 0; n < kSoundEffectCount; ++n) {
        SoundEffectHandles[n] = -1;
        SoundEffectGates[n] = 0;  // closed until the first re-arm
    }
    // Without a device every later call does nothing and the game runs silent.
    if (g_SoundEffects.device != nullptr) g_SoundEffects.ready = 1;
}

void LoadSoundEffects() {
    g_SoundEffects.archivePath = kSoundEffectArchive;
    for (i32 n : SoundEffectLoadOrder)
        SoundEffectHandles[n] = LoadSoundEffect(SoundEffectTable[n].entry, SoundEffectTable[n].duplicates);
    for (i32 n = 0; n < kSoundEffectCount; ++n) LaySoundEffectVolume(n);
}

i32 LoadSoundEffect(const char* name, i32 duplicates) {
    const i32 count = std::abs(duplicates);
    if (!g_SoundEffects.ready || name == nullptr || count > kSoundEffectMaxDuplicates || count == 0) return -1;
    // A name too long to keep is refused before a slot and buffers are taken.
    if (std::strlen(name) > static_cast<std::size_t>(kSoundEffectNameMax)) {
        std::fprintf(stderr, "sound: entry name \"%s\" is too long\n", name);
        return -1;
    }
    i32 slot = -1;
    for (i32 i = 0; i < kSoundEffectSlotCount; ++i) {
        if (!g_SoundEffects.slots[i].used) {
            slot = i;
            break;
        }
    }
    if (slot < 0) return -1;

    const std::string wanted = UpperCaseName(name);
    LoadedEntry entry;
    if (!FindEntry(g_SoundEffects.archivePath, wanted, entry)) return -1;
    platform::WaveFormat format;
    platform::ParseWaveFormat(entry.format.data(), entry.format.size(), format);
    const std::string what = g_SoundEffects.archivePath + ": entry \"" + wanted + "\"";

    SoundEffectSlot& s = g_SoundEffects.slots[slot];
    ClearSlot(s);
    s.duplicateCount = count;
    for (i32 i = 0; i < count; ++i) {
        s.buffers[i] = g_SoundEffects.device->CreateBuffer(format, entry.data.data(), entry.data.size(), what);
        if (s.buffers[i] == nullptr) {
            ReleaseSlotBuffers(s);
            ClearSlot(s);
            return -1;
        }
        s.frequency = s.buffers[i]->GetFrequency();
        s.volume[i] = 0;
    }
    s.used = 1;
    std::snprintf(s.name, sizeof s.name, "%s", name);
    return slot;
}

i32 PlaySoundEffect(i32 n) {
    if (!ValidEffect(n) || SoundEffectGates[n] == 0) return 0;
    // The gate and the result do not depend on the device or on the effect
    // having loaded, so the game behaves the same with sound or without.
    PlaySoundBuffer(SoundEffectHandles[n], -1);
    SoundEffectGates[n] = 0;
    return 1;
}

i32 PlaySoundEffectStamped(i32 n, i32 frame) {
    const i32 played = PlaySoundEffect(n);
    if (played) SoundEffectStamps[n] = frame;
    return played;
}

i32 GetSoundEffectStamp(i32 n) { return ValidEffect(n) ? SoundEffectStamps[n] : 0; }

void ClearSoundEffectStamps() {
    for (i32& s : SoundEffectStamps) s = 0;
}

void RearmSoundEffectGates() {
    for (u8& g : SoundEffectGates) g = 1;
}

void ApplySoundEffectVolume() {
    if (g_ConfigData.soundOff) return;
    for (i32 n = 0; n < kSoundEffectCount; ++n) LaySoundEffectVolume(n);
}

void ApplySoundEffectVolumeOne(i32 n) {
    if (g_ConfigData.soundOff || !ValidEffect(n)) return;
    LaySoundEffectVolume(n);
}

void ChangeSoundEffectVolume(i32 slot, i32 deltaDb, i32 buffer) {
    if (!g_SoundEffects.ready || !ValidSlot(slot)) return;
    SoundEffectSlot& s = g_SoundEffects.slots[slot];
    const auto change = [&](i32 i) {
        i32 v = s.volume[i] + deltaDb * 100;
        if (v < platform::kVolumeMin) v = platform::kVolumeMin;
        if (v > platform::kVolumeMax) v = platform::kVolumeMax;
        s.volume[i] = v;
        if (s.buffers[i] != nullptr) s.buffers[i]->SetVolume(v);
    };
    if (buffer == -1) {
        for (i32 i = 0; i < s.duplicateCount; ++i) change(i);
    } else if (buffer == -2) {
        change(s.nextDuplicate);
    } else if (buffer >= 0 && buffer < s.duplicateCount) {
        change(buffer);
    }
}

void PlaySoundBuffer(i32 slot, i32 buffer) {
    if (!g_SoundEffects.ready || !ValidSlot(slot)) return;
    SoundEffectSlot& s = g_SoundEffects.slots[slot];
    i32 index = buffer;
    if (buffer < 0) {
        index = s.nextDuplicate;
        s.nextDuplicate = (s.nextDuplicate + 1) % s.duplicateCount;
    } else if (buffer >= s.duplicateCount) {
        return;
    }
    platform::SoundBuffer* b = s.buffers[index];
    if (b == nullptr) return;
    b->Stop();
    b->SetCurrentPosition(0);
    b->Play(false);
}

void ReleaseSoundEffect(i32 slot) {
    if (slot < 0 || slot >= kSoundEffectSlotCount) return;
    SoundEffectSlot& s = g_SoundEffects.slots[slot];
    ReleaseSlotBuffers(s);
    ClearSlot(s);
}

void FinalizeSoundEffects() {
    for (i32 n = 0; n < kSoundEffectCount; ++n) {
        if (SoundEffectHandles[n] >= 0) ReleaseSoundEffect(SoundEffectHandles[n]);
        SoundEffectHandles[n] = -1;
    }
    for (i32 slot = 0; slot < kSoundEffectSlotCount; ++slot) ReleaseSoundEffect(slot);
    if (g_SoundEffects.device != nullptr) {
        g_SoundEffects.device->Release();
        g_SoundEffects.device = nullptr;
    }
    g_SoundEffects.ready = 0;
}
