#include "platform/sound_device.h"

#include <algorithm>
#include <cstdio>

#include "platform/audio_mixer.h"
#include "platform/audio_output.h"

namespace platform {

SoundDevice* SoundDevice::Create() {
    AudioMixer* mixer = AcquireAudioOutput();
    if (mixer == nullptr) return nullptr;
    auto* device = new SoundDevice;
    device->mixer_ = mixer;
    return device;
}

void SoundDevice::Release() {
    ReleaseAudioOutput();
    delete this;
}

SoundBuffer* SoundDevice::CreateBuffer(const WaveFormat& format, const std::uint8_t* data, std::size_t bytes,
                                       const std::string& what) {
    const std::string why = CheckPcmFormat(format);
    if (!why.empty()) {
        std::fprintf(stderr, "sound: %s: unsupported format: %s\n", what.c_str(), why.c_str());
        return nullptr;
    }
    if (data == nullptr || bytes < format.blockAlign) {
        std::fprintf(stderr, "sound: %s: no sample data\n", what.c_str());
        return nullptr;
    }
    auto stream = PcmStream::FromFrames(ConvertPcmToDevice(format, data, bytes));
    if (!stream) {
        std::fprintf(stderr, "sound: %s: not enough memory\n", what.c_str());
        return nullptr;
    }
    if (AcquireAudioOutput() == nullptr) return nullptr;
    const AudioMixer::VoiceId voice = mixer_->AddVoice(std::move(stream));
    if (voice == AudioMixer::kNoVoice) {
        std::fprintf(stderr, "sound: %s: too many sound buffers\n", what.c_str());
        ReleaseAudioOutput();
        return nullptr;
    }
    auto* buffer = new SoundBuffer;
    buffer->mixer_ = mixer_;
    buffer->voice_ = voice;
    buffer->format_ = format;
    buffer->bytes_ = bytes;
    return buffer;
}

void SoundBuffer::Play(bool looping) { mixer_->Play(voice_, looping ? -1 : 0); }

void SoundBuffer::Stop() { mixer_->Stop(voice_); }

void SoundBuffer::SetCurrentPosition(std::uint32_t byteOffset) {
    const std::size_t inFrame = byteOffset / (format_.blockAlign ? format_.blockAlign : 1);
    mixer_->SetPosition(voice_, ResampledFrameCount(inFrame, format_.samplesPerSec));
}

void SoundBuffer::SetVolume(int hundredthsDb) {
    volume_ = std::clamp(hundredthsDb, kVolumeMin, kVolumeMax);
    mixer_->SetGain(voice_, GainFromHundredthsDb(volume_));
}

void SoundBuffer::Release() {
    mixer_->RemoveVoice(voice_);
    ReleaseAudioOutput();
    delete this;
}

}  // namespace platform
