#include "platform/audio_format.h"

#include <algorithm>
#include <cstring>

namespace platform {
namespace {

std::uint16_t Get16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t Get32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
void Put16(std::vector<std::uint8_t>& v, std::uint16_t x) {
    v.push_back(static_cast<std::uint8_t>(x));
    v.push_back(static_cast<std::uint8_t>(x >> 8));
}
void Put32(std::vector<std::uint8_t>& v, std::uint32_t x) {
    for (int i = 0; i < 4; ++i) v.push_back(static_cast<std::uint8_t>(x >> (8 * i)));
}
void PutTag(std::vector<std::uint8_t>& v, const char* tag) {
    for (int i = 0; i < 4; ++i) v.push_back(static_cast<std::uint8_t>(tag[i]));
}

// KSDATAFORMAT_SUBTYPE_PCM: 00000001-0000-0010-8000-00aa00389b71.
constexpr std::uint8_t kPcmSubFormat[16] = {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                                            0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

}  // namespace

bool ParseWaveFormat(const std::uint8_t* bytes, std::size_t size, WaveFormat& out) {
    if (bytes == nullptr || size < 16) return false;
    out.formatTag = Get16(bytes);
    out.channels = Get16(bytes + 2);
    out.samplesPerSec = Get32(bytes + 4);
    out.avgBytesPerSec = Get32(bytes + 8);
    out.blockAlign = Get16(bytes + 12);
    out.bitsPerSample = Get16(bytes + 14);
    out.extraSize = size >= 18 ? Get16(bytes + 16) : 0;
    return true;
}

std::vector<std::uint8_t> EncodeWaveFormat(const WaveFormat& f) {
    std::vector<std::uint8_t> v;
    Put16(v, f.formatTag);
    Put16(v, f.channels);
    Put32(v, f.samplesPerSec);
    Put32(v, f.avgBytesPerSec);
    Put16(v, f.blockAlign);
    Put16(v, f.bitsPerSample);
    Put16(v, f.extraSize);
    return v;
}

std::string CheckPcmFormat(const WaveFormat& f) {
    if (f.formatTag != kWaveFormatPcm) return "format tag " + std::to_string(f.formatTag) + " is not PCM";
    if (f.channels != 1 && f.channels != 2) return std::to_string(f.channels) + " channels";
    if (f.bitsPerSample != 8 && f.bitsPerSample != 16) return std::to_string(f.bitsPerSample) + " bits per sample";
    if (f.samplesPerSec < 1000 || f.samplesPerSec > 384000) return "sample rate " + std::to_string(f.samplesPerSec);
    if (f.blockAlign != f.channels * (f.bitsPerSample / 8)) return "block align " + std::to_string(f.blockAlign);
    return {};
}

std::size_t ResampledFrameCount(std::size_t inFrames, std::uint32_t inRate) {
    if (inRate == 0) return 0;
    const unsigned __int128 num = static_cast<unsigned __int128>(inFrames) * kAudioRate;
    return static_cast<std::size_t>((num + inRate - 1) / inRate);
}

std::vector<std::int16_t> WidenPcmToStereo(const WaveFormat& f, const std::uint8_t* data, std::size_t bytes) {
    const std::size_t frameBytes = f.blockAlign ? f.blockAlign : 1;
    const std::size_t frames = data ? bytes / frameBytes : 0;
    std::vector<std::int16_t> out(frames * 2);
    for (std::size_t i = 0; i < frames; ++i) {
        const std::uint8_t* p = data + i * frameBytes;
        std::int16_t s[2] = {0, 0};
        for (int c = 0; c < f.channels; ++c) {
            if (f.bitsPerSample == 8) s[c] = static_cast<std::int16_t>((p[c] - 128) * 256);
            else s[c] = static_cast<std::int16_t>(Get16(p + 2 * c));
        }
        if (f.channels == 1) s[1] = s[0];
        out[2 * i] = s[0];
        out[2 * i + 1] = s[1];
    }
    return out;
}

std::size_t StereoResampler::FirstNeededFrame() const {
    return static_cast<std::size_t>(static_cast<std::uint64_t>(next_) * inRate_ / kAudioRate);
}

std::size_t StereoResampler::Produce(const std::int16_t* input, std::size_t firstFrame, std::size_t inFrames,
                                     bool complete, std::int16_t* out, std::size_t maxOut) {
    std::size_t written = 0;
    const std::size_t total = complete ? ResampledFrameCount(inFrames, inRate_) : SIZE_MAX;
    while (written < maxOut && next_ < total) {
        const std::uint64_t pos = static_cast<std::uint64_t>(next_) * inRate_;
        const std::size_t idx = static_cast<std::size_t>(pos / kAudioRate);
        const std::int64_t rem = static_cast<std::int64_t>(pos % kAudioRate);
        std::size_t idx2 = idx + 1;
        if (idx2 >= inFrames) {
            if (!complete) break;  // wait for the next input frame
            if (idx >= inFrames) break;
            idx2 = idx;
        }
        if (idx < firstFrame) break;  // the window has moved past it (a caller's fault)
        for (int c = 0; c < 2; ++c) {
            const std::int64_t a = input[2 * (idx - firstFrame) + c];
            const std::int64_t b = input[2 * (idx2 - firstFrame) + c];
            out[2 * written + c] = static_cast<std::int16_t>(a + (b - a) * rem / kAudioRate);
        }
        ++written;
        ++next_;
    }
    return written;
}

std::vector<std::int16_t> ConvertPcmToDevice(const WaveFormat& f, const std::uint8_t* data, std::size_t bytes) {
    std::vector<std::int16_t> wide = WidenPcmToStereo(f, data, bytes);
    const std::size_t inFrames = wide.size() / 2;
    if (f.samplesPerSec == kAudioRate) return wide;
    std::vector<std::int16_t> out(ResampledFrameCount(inFrames, f.samplesPerSec) * 2);
    StereoResampler r(f.samplesPerSec);
    const std::size_t n = r.Produce(wide.data(), inFrames, true, out.data(), out.size() / 2);
    out.resize(n * 2);
    return out;
}

bool ParseRiffWave(const std::uint8_t* bytes, std::size_t size, WaveFile& out, std::string& error) {
    if (bytes == nullptr || size < 12 || std::memcmp(bytes, "RIFF", 4) != 0 || std::memcmp(bytes + 8, "WAVE", 4) != 0) {
        error = "not a RIFF WAVE file";
        return false;
    }
    const std::size_t riffEnd = std::min<std::size_t>(size, 8 + static_cast<std::size_t>(Get32(bytes + 4)));
    std::size_t pos = 12;
    bool haveFormat = false;
    while (pos + 8 <= riffEnd) {
        const std::uint8_t* chunk = bytes + pos;
        const std::size_t chunkSize = Get32(chunk + 4);
        const std::size_t body = pos + 8;
        if (chunkSize > riffEnd - body) {
            error =
                "chunk \"" + std::string(reinterpret_cast<const char*>(chunk), 4) + "\" runs past the end of the file";
            return false;
        }
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            if (!ParseWaveFormat(bytes + body, chunkSize, out.format)) {
                error = "format chunk too short";
                return false;
            }
            // WAVE_FORMAT_EXTENSIBLE with the PCM sub-format is plain PCM.
            if (out.format.formatTag == kWaveFormatExtensible && chunkSize >= 40 &&
                std::memcmp(bytes + body + 24, kPcmSubFormat, 16) == 0) {
                out.format.formatTag = kWaveFormatPcm;
            }
            haveFormat = true;
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            if (!haveFormat) {
                error = "data chunk before the format chunk";
                return false;
            }
            std::string why = CheckPcmFormat(out.format);
            if (!why.empty()) {
                error = "unsupported format: " + why;
                return false;
            }
            out.data = bytes + body;
            out.dataBytes = chunkSize;
            return true;
        }
        pos = body + chunkSize + (chunkSize & 1);
    }
    error = haveFormat ? "no data chunk" : "no format chunk";
    return false;
}

std::vector<std::uint8_t> BuildRiffWave(const WaveFormat& format, const std::uint8_t* data, std::size_t bytes) {
    std::vector<std::uint8_t> v;
    v.reserve(44 + bytes + 1);
    PutTag(v, "RIFF");
    Put32(v, static_cast<std::uint32_t>(4 + 8 + 16 + 8 + bytes + (bytes & 1)));
    PutTag(v, "WAVE");
    PutTag(v, "fmt ");
    Put32(v, 16);
    std::vector<std::uint8_t> f = EncodeWaveFormat(format);
    v.insert(v.end(), f.begin(), f.begin() + 16);
    PutTag(v, "data");
    Put32(v, static_cast<std::uint32_t>(bytes));
    if (bytes) v.insert(v.end(), data, data + bytes);
    if (bytes & 1) v.push_back(0);
    return v;
}

}  // namespace platform
