#pragma once
// The one audio output of the program and the mixer that feeds it. The sound
// device (DirectSound's place) and the music player share it: the first user
// opens it, the last one closes it.
#include <cstddef>
#include <cstdint>

namespace platform {

class AudioMixer;

enum class AudioOutputMode {
    Device,  // an SDL audio device (44,100 Hz, 16-bit stereo, 1,024-frame buffer)
    Null,    // no device: frames are rendered only when RenderNullAudio asks
    None,    // no output can be opened (as on a machine without sound)
};

// Chooses what the next opening makes; Device by default. Takes effect when
// the output is opened next (after every user has released it).
void SetAudioOutputMode(AudioOutputMode mode);
AudioOutputMode GetAudioOutputMode();

// Opens the output on first use and returns its mixer, or null when no output
// can be opened (a message goes to standard error). Every successful call is
// paired with ReleaseAudioOutput.
AudioMixer* AcquireAudioOutput();
void ReleaseAudioOutput();

// With the null output open: renders `frames` frames (interleaved stereo) into
// `out` on the calling thread and returns true. False, with `out` left alone,
// when the null output is not open.
bool RenderNullAudio(std::int16_t* out, std::size_t frames);

}  // namespace platform
