// The sound-effect archive: its index, every entry's format record and
// data, and the sound buffers made from them (through the null audio output).
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "game/shell/sound_archive.h"
#include "platform/audio_format.h"
#include "platform/audio_output.h"
#include "platform/sound_device.h"

namespace {

platform::SoundDevice* Device() {
    static platform::SoundDevice* device = [] {
        platform::SetAudioOutputMode(platform::AudioOutputMode::Null);
        return platform::SoundDevice::Create();
    }();
    return device;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    std::FILE* file = fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
    if (file == nullptr) return 0;
    const SoundArchiveIndex index = ReadSoundArchiveIndex(file);
    for (const SoundArchiveEntry& entry : index.entries) {
        if (FindSoundArchiveEntry(index, entry.name) == nullptr) std::abort();
        std::vector<u8> format;
        std::vector<u8> samples;
        if (!ReadSoundArchiveEntry(file, entry, format, samples)) continue;
        platform::WaveFormat wave;
        if (!platform::ParseWaveFormat(format.data(), format.size(), wave)) continue;
        if (platform::SoundDevice* device = Device()) {
            platform::SoundBuffer* buffer = device->CreateBuffer(wave, samples.data(), samples.size(), "fuzz");
            if (buffer != nullptr) {
                buffer->SetCurrentPosition(static_cast<std::uint32_t>(samples.size() / 2));
                buffer->Play(false);
                std::int16_t out[2 * 64];
                platform::RenderNullAudio(out, 64);
                buffer->Release();
            }
        }
    }
    std::fclose(file);
    return 0;
}
