#pragma once
// The sound device and its static sound buffers (DirectSound's place). A buffer
// is made from a wave format record and the PCM that follows it, converted to
// the device format once, and then only played, stopped, rewound and given a
// volume. The buffer keeps its own record of what was set on it; nothing is
// read back from the audio thread.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/audio_format.h"

namespace platform {

class AudioMixer;

constexpr int kVolumeMin = -10000;  // hundredths of a decibel
constexpr int kVolumeMax = 0;

class SoundBuffer {
public:
    // Plays from the current position (a playing buffer goes on); the buffer
    // plays to its end, where it stops and its position returns to the start,
    // or goes round without end when `looping`.
    void Play(bool looping);
    void Stop();
    // Moves the play position to `byteOffset` (in the buffer's own format).
    void SetCurrentPosition(std::uint32_t byteOffset);
    // Hundredths of a decibel, clamped to -10000 .. 0.
    void SetVolume(int hundredthsDb);
    int GetVolume() const { return volume_; }
    std::uint32_t GetFrequency() const { return format_.samplesPerSec; }
    std::size_t GetSize() const { return bytes_; }
    // Stops the buffer and frees it.
    void Release();

private:
    friend class SoundDevice;
    SoundBuffer() = default;
    ~SoundBuffer() = default;
    AudioMixer* mixer_ = nullptr;
    std::uint32_t voice_ = 0;
    WaveFormat format_{};
    std::size_t bytes_ = 0;
    int volume_ = 0;
};

class SoundDevice {
public:
    // Opens the shared audio output; null when there is none.
    static SoundDevice* Create();
    // A buffer holding `bytes` bytes of PCM of `format`; null (with a message
    // naming `what`) when the format is not playable PCM, there is no sample
    // data, or no voice is free.
    SoundBuffer* CreateBuffer(const WaveFormat& format, const std::uint8_t* data, std::size_t bytes,
                              const std::string& what);
    // Closes the device; buffers still held keep the output open until they
    // are released.
    void Release();

private:
    SoundDevice() = default;
    ~SoundDevice() = default;
    AudioMixer* mixer_ = nullptr;
};

}  // namespace platform
