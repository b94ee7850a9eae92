#pragma once
// PCM formats and conversion for the audio device: the 18-byte wave format
// record, RIFF WAVE files, and conversion of 8- or 16-bit mono or stereo PCM at
// any rate to the device format (16-bit stereo at kAudioRate).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

constexpr std::uint32_t kAudioRate = 44100;
constexpr int kAudioChannels = 2;
constexpr std::size_t kWaveFormatRecordSize = 18;
constexpr std::uint16_t kWaveFormatPcm = 1;
constexpr std::uint16_t kWaveFormatExtensible = 0xFFFE;

// The wave format record: format tag, channels, sample rate, byte rate, block
// align, bits per sample, extra size (little-endian, 18 bytes; the 16-byte form
// without the extra size is accepted too).
struct WaveFormat {
    std::uint16_t formatTag = 0;
    std::uint16_t channels = 0;
    std::uint32_t samplesPerSec = 0;
    std::uint32_t avgBytesPerSec = 0;
    std::uint16_t blockAlign = 0;
    std::uint16_t bitsPerSample = 0;
    std::uint16_t extraSize = 0;
};

// Reads a format record of `size` bytes; false when it is shorter than 16.
bool ParseWaveFormat(const std::uint8_t* bytes, std::size_t size, WaveFormat& out);
std::vector<std::uint8_t> EncodeWaveFormat(const WaveFormat& format);

// Empty when the format is PCM we can play (1 or 2 channels, 8 or 16 bits,
// 1,000 to 384,000 Hz, block align = channels x bytes per sample); else the
// reason, for a message.
std::string CheckPcmFormat(const WaveFormat& format);

// Frames at kAudioRate that `inFrames` frames at `inRate` become.
std::size_t ResampledFrameCount(std::size_t inFrames, std::uint32_t inRate);

// Widens PCM of `format` (already checked) to 16-bit stereo at its own rate:
// 8-bit samples are unsigned around 128, mono is copied to both sides.
// Whole frames only; a trailing partial frame is dropped.
std::vector<std::int16_t> WidenPcmToStereo(const WaveFormat& format, const std::uint8_t* data, std::size_t bytes);

// Linear-interpolation resampler from `inRate` to kAudioRate over interleaved
// stereo 16-bit frames, in integer arithmetic so the result is the same
// everywhere. It can be fed piece by piece: Produce writes the output frames
// that the input seen so far allows.
class StereoResampler {
public:
    explicit StereoResampler(std::uint32_t inRate) : inRate_(inRate ? inRate : kAudioRate) {}
    // `input` holds all input frames so far (inFrames of them); `complete` says
    // no more will come. Writes up to `maxOut` frames to `out` and returns the
    // number written.
    std::size_t Produce(const std::int16_t* input, std::size_t inFrames, bool complete, std::int16_t* out,
                        std::size_t maxOut) {
        return Produce(input, 0, inFrames, complete, out, maxOut);
    }
    // The same over a window of the input: `input` holds frames [firstFrame,
    // inFrames). The window must start at or before FirstNeededFrame().
    std::size_t Produce(const std::int16_t* input, std::size_t firstFrame, std::size_t inFrames, bool complete,
                        std::int16_t* out, std::size_t maxOut);
    std::size_t Produced() const { return next_; }
    // The first input frame the next output frame reads; frames before it can
    // be dropped from the window.
    std::size_t FirstNeededFrame() const;

private:
    std::uint32_t inRate_;
    std::size_t next_ = 0;
};

// Converts whole PCM of `format` to device frames (16-bit stereo, kAudioRate).
std::vector<std::int16_t> ConvertPcmToDevice(const WaveFormat& format, const std::uint8_t* data, std::size_t bytes);

// A RIFF WAVE file in memory: the format and where its sample data lies.
struct WaveFile {
    WaveFormat format;
    const std::uint8_t* data = nullptr;
    std::size_t dataBytes = 0;
};

// Parses a RIFF WAVE image (bytes after the RIFF chunk's own size are ignored).
// False with the reason in `error` when it is not a playable PCM WAVE.
bool ParseRiffWave(const std::uint8_t* bytes, std::size_t size, WaveFile& out, std::string& error);

// Builds a RIFF WAVE image (used by the sample data generator and tests).
std::vector<std::uint8_t> BuildRiffWave(const WaveFormat& format, const std::uint8_t* data, std::size_t bytes);

}  // namespace platform
