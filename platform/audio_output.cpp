#include "platform/audio_output.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>

#include "platform/audio_format.h"
#include "platform/audio_mixer.h"

namespace platform {
namespace {

struct OutputState {
    std::mutex mutex;
    AudioOutputMode mode = AudioOutputMode::Device;
    AudioOutputMode openMode = AudioOutputMode::None;
    int users = 0;
    std::unique_ptr<AudioMixer> mixer;
    SDL_AudioDeviceID device = 0;
    bool exitHookSet = false;
};

OutputState& State() {
    // Never destroyed: the audio thread may still run while the program exits.
    static OutputState* state = new OutputState;
    return *state;
}

void AudioCallback(void* user, Uint8* stream, int len) {
    auto* mixer = static_cast<AudioMixer*>(user);
    const std::size_t frames = static_cast<std::size_t>(len) / (2 * sizeof(std::int16_t));
    mixer->Render(reinterpret_cast<std::int16_t*>(stream), frames);
}

void CloseDevice(OutputState& s) {
    if (s.device != 0) {
        SDL_CloseAudioDevice(s.device);  // waits for a running callback
        s.device = 0;
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
}

void CloseAtExit() {
    OutputState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    CloseDevice(s);
}

bool OpenDevice(OutputState& s) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        std::fprintf(stderr, "audio: cannot start SDL audio: %s\n", SDL_GetError());
        return false;
    }
    SDL_AudioSpec want{};
    want.freq = static_cast<int>(kAudioRate);
    want.format = AUDIO_S16SYS;
    want.channels = kAudioChannels;
    want.samples = 1024;
    want.callback = AudioCallback;
    want.userdata = s.mixer.get();
    SDL_AudioSpec have{};
    s.device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (s.device == 0) {
        std::fprintf(stderr, "audio: cannot open an audio device: %s\n", SDL_GetError());
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    if (!s.exitHookSet) {
        std::atexit(CloseAtExit);
        s.exitHookSet = true;
    }
    SDL_PauseAudioDevice(s.device, 0);
    return true;
}

}  // namespace

void SetAudioOutputMode(AudioOutputMode mode) {
    OutputState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.mode = mode;
}

AudioOutputMode GetAudioOutputMode() {
    OutputState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    return s.mode;
}

AudioMixer* AcquireAudioOutput() {
    OutputState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (s.users > 0) {
        ++s.users;
        return s.mixer.get();
    }
    if (s.mode == AudioOutputMode::None) {
        std::fprintf(stderr, "audio: no audio output\n");
        return nullptr;
    }
    s.mixer = std::make_unique<AudioMixer>();
    if (s.mode == AudioOutputMode::Device && !OpenDevice(s)) {
        s.mixer.reset();
        return nullptr;
    }
    s.openMode = s.mode;
    s.users = 1;
    return s.mixer.get();
}

void ReleaseAudioOutput() {
    OutputState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (s.users == 0) return;
    if (--s.users > 0) return;
    CloseDevice(s);
    s.mixer.reset();
    s.openMode = AudioOutputMode::None;
}

bool RenderNullAudio(std::int16_t* out, std::size_t frames) {
    OutputState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (s.users == 0 || s.openMode != AudioOutputMode::Null || !s.mixer) return false;
    s.mixer->Render(out, frames);
    return true;
}

}  // namespace platform
