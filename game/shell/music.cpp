#include "game/shell/music.h"

#include <cstdio>

#include "game/shell/save_files.h"
#include "game/shell/volume_levels.h"
#include "platform/music_player.h"
#include "platform/system.h"

const MusicTrack MusicTrackTable[kMusicTrackCount] = {
    {0, 0},
    {0, 0x209EDB},
    {0x209EDC, 0x2CAA8},
    {0x236985, 0},
    {0x236985, 0},
    {0x236985, 0x1B22B},
    {0x251BB1, 0},
    {0x251BB1, 0},
    {0x251BB1, 0},
    {0x251BB1, 0},
    {0x251BB1, 0},
    {0x251BB1, 0},
    {0x251BB1, 0},
    {0x251BB1, 0x7102BA},
    {0x961E6C, 0x329876},
    {0xC8B6E3, 0},
    {0xC8B6E3, 0},
    {0xC8B6E3, 0x2F7FC3},
    {0xF836A7, 0x48E221},
    {0x14118C9, 0x474180},
    {0x1885A4A, 0x404D18},
    {0x1C8A763, 0x1683DF},
    {0x1DF2B43, 0x5B7402},
    {0x23A9F46, 0x422429},
    {0x27CC370, 0x1EC706},
};

MusicState g_MusicState;

namespace {

void SetMusicVolume() {
    if (g_MusicState.instance == nullptr) return;
    g_MusicState.instance->SetVolume(g_MusicState.fade * VolumeLevelTable[ClampVolumeLevel(g_ConfigData.musicVolume)]);
}

// The table entry of a requested number; numbers past the table play nothing.
MusicTrack TrackOf(i32 requested) {
    const i32 track = requested % kMusicPlayOnce;
    if (track < 0 || track >= kMusicTrackCount) return {0, 0};
    return MusicTrackTable[track];
}

}  // namespace

void InitializeMusic() {
    g_MusicState.ready = 0;
    // The player is part of the program, so there is no library to find; only
    // the audio output can be missing. A machine without sound is common and
    // not an error worth stopping the start for: the game runs silent.
    if (!platform::InitializeMusicPlayer()) {
        std::fprintf(stderr, "music: no audio output; music stays silent\n");
    } else {
        g_MusicState.ready = 1;
    }
    g_MusicState.instance = nullptr;
    g_MusicState.requested = 0;
    g_MusicState.playing = 0;
    g_MusicState.fade = 0.0f;
}

void RequestMusic(i32 track) {
    if (g_MusicState.ready) g_MusicState.requested = track;
}

void UpdateMusic() {
    MusicState& m = g_MusicState;
    if (!m.ready || g_ConfigData.soundOff) return;
    if (m.playing == m.requested && (m.fade >= kMusicFadeFull || m.requested == 0)) return;
    m.fade = m.fade - 1.0f;
    if (m.fade <= 0.0f) {
        if (m.requested == 0) {
            m.playing = 0;
            m.fade = 0.0f;  // the old instance stays, at volume 0
        } else {
            m.playing = m.requested;
            m.fade = kMusicFadeFull;
            if (m.instance != nullptr) m.instance->Release();
            const MusicTrack t = TrackOf(m.requested);
            m.instance = platform::CreateMusicInstanceFromFile(kMusicArchive, t.offset, t.size, 1);
            m.instance->Play(m.requested < kMusicPlayOnce ? -1 : 0, 0);
        }
    }
    SetMusicVolume();
}

void ApplyMusicVolume() {
    if (g_ConfigData.soundOff) return;
    SetMusicVolume();
}

void UninitializeMusic() {
    if (!g_MusicState.ready) return;
    if (g_MusicState.instance != nullptr) {
        g_MusicState.instance->Release();
        g_MusicState.instance = nullptr;
    }
    platform::UninitializeMusicPlayer();
    g_MusicState = MusicState{};
}
