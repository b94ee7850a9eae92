#pragma once
// The wave format record of plain PCM, for the audio tests.
#include <cstdint>

#include "platform/audio_format.h"

inline platform::WaveFormat PcmFormat(std::uint16_t channels, std::uint16_t bits, std::uint32_t rate) {
    platform::WaveFormat f;
    f.formatTag = platform::kWaveFormatPcm;
    f.channels = channels;
    f.bitsPerSample = bits;
    f.samplesPerSec = rate;
    f.blockAlign = static_cast<std::uint16_t>(channels * bits / 8);
    f.avgBytesPerSec = rate * f.blockAlign;
    return f;
}
