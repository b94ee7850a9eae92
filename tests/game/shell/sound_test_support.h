#pragma once
// Helpers of the sound and music tests: archive builders, a current-folder
// switch and the null output's frames.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/core/types.h"
#include "platform/audio_format.h"
#include "platform/audio_output.h"

namespace sound_test {

inline platform::WaveFormat Mono16(u32 rate = 44100) {
    platform::WaveFormat f;
    f.formatTag = platform::kWaveFormatPcm;
    f.channels = 1;
    f.bitsPerSample = 16;
    f.samplesPerSec = rate;
    f.blockAlign = 2;
    f.avgBytesPerSec = rate * 2;
    return f;
}

inline std::vector<u8> Constant16(std::size_t frames, i16 value) {
    std::vector<u8> v;
    for (std::size_t i = 0; i < frames; ++i) {
        v.push_back(static_cast<u8>(value & 0xFF));
        v.push_back(static_cast<u8>((value >> 8) & 0xFF));
    }
    return v;
}

inline void Put32(std::vector<u8>& v, u32 x) {
    for (int i = 0; i < 4; ++i) v.push_back(static_cast<u8>(x >> (8 * i)));
}

// One entry of a sound archive: data size, name and 0, format size, format, data.
inline void AppendEntry(std::vector<u8>& archive, const std::string& storedName, std::vector<u8> format,
                        const std::vector<u8>& data) {
    Put32(archive, static_cast<u32>(data.size()));
    archive.insert(archive.end(), storedName.begin(), storedName.end());
    archive.push_back(0);
    Put32(archive, static_cast<u32>(format.size()));
    archive.insert(archive.end(), format.begin(), format.end());
    archive.insert(archive.end(), data.begin(), data.end());
}

inline void WriteFile(const std::filesystem::path& path, const std::vector<u8>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline std::vector<u8> ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<u8>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class ScopedCurrentDir {
public:
    explicit ScopedCurrentDir(const std::filesystem::path& dir) : old_(std::filesystem::current_path()) {
        std::filesystem::current_path(dir);
    }
    ~ScopedCurrentDir() { std::filesystem::current_path(old_); }

private:
    std::filesystem::path old_;
};

// Left channel of `frames` frames rendered by the null output.
inline std::vector<i16> RenderLeft(std::size_t frames) {
    std::vector<i16> out(frames * 2, 0x5555);
    EXPECT_TRUE(platform::RenderNullAudio(out.data(), frames));
    std::vector<i16> left(frames);
    for (std::size_t i = 0; i < frames; ++i) left[i] = out[2 * i];
    return left;
}

}  // namespace sound_test
