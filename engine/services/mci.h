#pragma once
// The MCI service's state: the CD track table and play state, the midi and
// wave devices' loop state, and the audio mixer volumes recorded at start.
// Nothing in the engine opens the midi or wave devices or fills the CD table;
// code that does so sets this state, which MciNotify and DestroyMCI act on.
#include "engine/core/types.h"
#include "platform/mixer.h"

constexpr int kCdTrackSlots = 128;
constexpr int kMciReplyBytes = 256;

struct CdTrack {
    i32 start = 0;  // in the CD device's time format
    i32 length = 0;
};

struct MciState {
    u32 cdReady = 0;
    u32 cdPlaying = 0;
    u32 cdLoop = 0;
    i32 cdFirstTrack = 0;
    i32 cdLastTrack = 0;
    i32 cdTrackCount = 0;
    CdTrack cdTracks[kCdTrackSlots] = {};
    // Each device's playback state: its loop flag and two further words,
    // all cleared when the device is closed.
    u32 midiLoop = 0;
    u32 midiState[2] = {};
    u32 waveLoop = 0;
    u32 waveState[2] = {};
    char reply[kMciReplyBytes] = {};
};

MciState& GetMciState();

struct MixerVolumeRecord {
    u32 found = 0;
    u32 savedValue = 0;
    platform::MIXERCONTROLA control{};
    platform::MIXERCONTROLDETAILS details{};
    u32 value = 0;
    platform::MIXERLINEA line{};
};

constexpr int kMixerRecords = 4;  // master, wave out, synthesizer, CD
MixerVolumeRecord* GetMixerRecords();
u32 IsMixerReady();

u32 InitializeAudioMixer();
void LogMixerDevices(u32 mixerId, platform::HMIXER mixer);
u32 FindVolumeControl(platform::HMIXER mixer, platform::MIXERLINEA* line, u32 record);
