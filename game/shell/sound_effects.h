#pragma once
// The game's 37 sound effects, played from static sound buffers loaded once at
// start from the sound archive "vsk6.dat". An effect may sound several times at
// once through duplicate buffers played in turn; each effect starts at most once
// per frame (its gate is closed when it plays and re-armed at the end of every
// scene frame); a stamp per effect keeps the frame of its last stamped play.
#include <string>

#include "engine/core/types.h"

namespace platform {
class SoundDevice;
class SoundBuffer;
}  // namespace platform

constexpr i32 kSoundEffectCount = 37;
constexpr i32 kSoundEffectSlotCount = 70;
constexpr i32 kSoundEffectMaxDuplicates = 10;
constexpr i32 kSoundEffectNameMax = 30;  // characters of a stored entry name

struct SoundEffectSlot {
    u8 used = 0;
    i32 duplicateCount = 1;
    platform::SoundBuffer* buffers[kSoundEffectMaxDuplicates] = {};
    i32 nextDuplicate = 0;
    i32 volume[kSoundEffectMaxDuplicates] = {};  // hundredths of a decibel, -10000..0
    u32 frequency = 0;
    char name[kSoundEffectNameMax + 1] = {};
};

struct SoundEffectSystem {
    SoundEffectSlot slots[kSoundEffectSlotCount];
    platform::SoundDevice* device = nullptr;
    std::string archivePath;
    u8 ready = 0;
};

// Effect number -> archive entry and duplicate count.
struct SoundEffectDefinition {
    const char* entry;
    i32 duplicates;
};
extern const SoundEffectDefinition SoundEffectTable[kSoundEffectCount];
// The order LoadSoundEffects loads the effects in (so slot k holds entry k).
extern const i32 SoundEffectLoadOrder[kSoundEffectCount];

extern SoundEffectSystem g_SoundEffects;
extern i32 SoundEffectHandles[kSoundEffectCount];  // slot of each effect, -1 when it failed
extern u8 SoundEffectGates[kSoundEffectCount];     // 1 = may start in this frame
extern i32 SoundEffectStamps[kSoundEffectCount];   // frame of the last stamped play

// The archive, "vsk6.dat" in the program folder (the current folder).
constexpr const char* kSoundEffectArchive = "vsk6.dat";

void InitializeSoundEffects();
void LoadSoundEffects();
i32 LoadSoundEffect(const char* name, i32 duplicates);
i32 PlaySoundEffect(i32 n);
i32 PlaySoundEffectStamped(i32 n, i32 frame);
i32 GetSoundEffectStamp(i32 n);
void ClearSoundEffectStamps();
void RearmSoundEffectGates();
void ApplySoundEffectVolume();
void ApplySoundEffectVolumeOne(i32 n);
void ChangeSoundEffectVolume(i32 slot, i32 deltaDb, i32 buffer);
void PlaySoundBuffer(i32 slot, i32 buffer);
void ReleaseSoundEffect(i32 slot);
void FinalizeSoundEffects();
