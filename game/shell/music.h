#pragma once
// The music: one playing instance made from a stretch of the music archive
// "vsk5.dat". Scenes and stage scripts request a track number; once a frame
// UpdateMusic fades the playing track out over 100 frames and starts the
// requested one at full volume.
#include "engine/core/types.h"

namespace platform {
class MusicInstance;
}

constexpr i32 kMusicTrackCount = 25;  // 0 (silence) and 1..24
constexpr i32 kMusicPlayOnce = 1000;  // added to a track number: play it once
constexpr f32 kMusicFadeFull = 100.0f;

struct MusicTrack {
    u32 offset;
    u32 size;
};
extern const MusicTrack MusicTrackTable[kMusicTrackCount];

struct MusicState {
    u8 ready = 0;
    platform::MusicInstance* instance = nullptr;
    i32 playing = 0;
    i32 requested = 0;
    f32 fade = 0.0f;
};
extern MusicState g_MusicState;

// The archive, "vsk5.dat" in the program folder (the current folder).
constexpr const char* kMusicArchive = "vsk5.dat";

void InitializeMusic();
void RequestMusic(i32 track);
void UpdateMusic();
void ApplyMusicVolume();
void UninitializeMusic();
