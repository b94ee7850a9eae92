#include "game/shell/sound_effects.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "game/shell/save_files.h"
#include "game/shell/sound_archive.h"
#include "game/shell/volume_levels.h"
#include "platform/audio_format.h"
#include "platform/regular_file.h"
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

struct LoadedEntry {
    std::vector<u8> format;
    std::vector<u8> data;
};

// The archive as LoadSoundEffects reads it: the file stays open and its index
// is read once for every effect, so a missing or damaged archive is reported
// in one line.
struct OpenArchive {
    std::string path;
    std::FILE* file = nullptr;
    SoundArchiveIndex index;
    std::vector<std::string> missing;  // names a complete archive lacks, said together
};
OpenArchive* g_openArchive = nullptr;

// Opens `path` and reads its index; says what is wrong with it (once).
void OpenSoundArchive(const std::string& path, OpenArchive& archive) {
    archive.path = path;
    platform::FileOpenError error;
    archive.file = platform::OpenRegularFile(path, &error);
    if (archive.file == nullptr) {
        std::fprintf(stderr, "sound: cannot read %s: %s; the sound effects stay silent\n", path.c_str(),
                     error.reason.c_str());
        return;
    }
    archive.index = ReadSoundArchiveIndex(archive.file);
    if (!archive.index.problem.empty()) {
        std::fprintf(stderr, "sound: %s: %s; the sound effects %s\n", path.c_str(), archive.index.problem.c_str(),
                     archive.index.entries.empty() ? "stay silent" : "in entries before it are used");
    }
}

void CloseSoundArchive(OpenArchive& archive) {
    if (archive.file != nullptr) std::fclose(archive.file);
    archive.file = nullptr;
    if (archive.missing.empty()) return;
    std::string names;
    for (const std::string& name : archive.missing) names += (names.empty() ? "\"" : ", \"") + name + "\"";
    std::fprintf(stderr, "sound: %s: no entry %s\n", archive.path.c_str(), names.c_str());
    archive.missing.clear();
}

// Finds entry `wanted` (upper-cased) in the archive. A missing entry of a
// complete archive is reported; one lost to damage was reported with it.
bool FindEntry(const std::string& wanted, LoadedEntry& out) {
    OpenArchive local;
    OpenArchive* archive = g_openArchive;
    if (archive == nullptr || archive->path != g_SoundEffects.archivePath) {
        OpenSoundArchive(g_SoundEffects.archivePath, local);
        archive = &local;
    }
    bool found = false;
    if (archive->file != nullptr) {
        const SoundArchiveEntry* entry = FindSoundArchiveEntry(archive->index, wanted);
        if (entry != nullptr) {
            found = ReadSoundArchiveEntry(archive->file, *entry, out.format, out.data);
            if (!found)
                std::fprintf(stderr, "sound: %s: entry \"%s\": read failed\n", archive->path.c_str(), wanted.c_str());
        } else if (archive->index.problem.empty()) {
            if (archive == &local) {
                std::fprintf(stderr, "sound: %s: no entry \"%s\"\n", archive->path.c_str(), wanted.c_str());
            } else {
                archive->missing.push_back(wanted);
            }
        }
    }
    CloseSoundArchive(local);
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
    // Without a device nothing is loaded, so the archive is not read either.
    OpenArchive archive;
    if (g_SoundEffects.ready) {
        OpenSoundArchive(g_SoundEffects.archivePath, archive);
        g_openArchive = &archive;
    }
    for (i32 n : SoundEffectLoadOrder)
        SoundEffectHandles[n] = LoadSoundEffect(SoundEffectTable[n].entry, SoundEffectTable[n].duplicates);
    g_openArchive = nullptr;
    CloseSoundArchive(archive);
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
    if (!FindEntry(wanted, entry)) return -1;
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
