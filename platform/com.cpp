#include "platform/com.h"

#include <SDL.h>

#include <mutex>

#include "platform/fault_points.h"

namespace platform {
namespace {

std::atomic<int> g_comThreads{0};
std::atomic<int> g_liveObjects{0};
thread_local int t_comDepth = 0;

std::mutex& OpenerMutex() {
    static std::mutex m;
    return m;
}

AudioDeviceOpener& Opener() {
    static AudioDeviceOpener opener;
    return opener;
}

std::uint32_t OpenSdlAudio() {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return 0;
    SDL_AudioSpec want{};
    want.freq = 44100;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = 1024;
    SDL_AudioSpec have{};
    const SDL_AudioDeviceID id = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (id == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return 0;
    }
    return id;  // opened paused: nothing is ever queued
}

void CloseSdlAudio(std::uint32_t id) {
    SDL_CloseAudioDevice(id);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

std::uint32_t OpenAudioDevice() {
    std::function<std::uint32_t()> open;
    {
        std::lock_guard<std::mutex> lock(OpenerMutex());
        open = Opener().open;
    }
    return open ? open() : OpenSdlAudio();
}

void CloseAudioDevice(std::uint32_t id) {
    std::function<void(std::uint32_t)> close;
    {
        std::lock_guard<std::mutex> lock(OpenerMutex());
        close = Opener().close;
    }
    if (close) {
        close(id);
    } else {
        CloseSdlAudio(id);
    }
}

}  // namespace

void CoInitialize() {
    if (t_comDepth++ == 0) ++g_comThreads;
}

void CoUninitialize() {
    if (t_comDepth == 0) return;
    if (--t_comDepth == 0) --g_comThreads;
}

int ComInitializedThreads() { return g_comThreads.load(); }

ComObject::ComObject() { ++g_liveObjects; }
ComObject::~ComObject() { --g_liveObjects; }

std::uint32_t ComObject::AddRef() { return ++refs_; }

std::uint32_t ComObject::Release() {
    const std::uint32_t left = --refs_;
    if (left == 0) delete this;
    return left;
}

int LiveComObjects() { return g_liveObjects.load(); }

void SetAudioDeviceOpener(AudioDeviceOpener opener) {
    std::lock_guard<std::mutex> lock(OpenerMutex());
    Opener() = std::move(opener);
}

// ---- DirectSound -------------------------------------------------------

bool IDirectSoundBuffer::SetFormat(const WAVEFORMATEX& format) {
    if (FaultSet(Fault::SoundBufferSetFormat)) return false;
    if (format.wFormatTag != WAVE_FORMAT_PCM) return false;
    if (format.nChannels < 1 || format.nChannels > 2) return false;
    if (format.wBitsPerSample != 8 && format.wBitsPerSample != 16) return false;
    if (format.nSamplesPerSec < 100 || format.nSamplesPerSec > 200000) return false;
    if (format.nBlockAlign != format.nChannels * format.wBitsPerSample / 8) return false;
    if (format.nAvgBytesPerSec != format.nSamplesPerSec * format.nBlockAlign) return false;
    format_ = format;
    return true;
}

IDirectSound8::~IDirectSound8() {
    if (device_ != 0) CloseAudioDevice(device_);
}

bool IDirectSound8::Initialize(const void* deviceGuid) {
    if (device_ != 0 || deviceGuid != nullptr || FaultSet(Fault::DirectSoundInitialize)) return false;
    device_ = OpenAudioDevice();
    return device_ != 0;
}

bool IDirectSound8::SetCooperativeLevel(std::uintptr_t /*window*/, std::uint32_t level) {
    if (device_ == 0) return false;
    if (level == DSSCL_PRIORITY && FaultSet(Fault::DirectSoundPriorityLevel)) return false;
    if (level == DSSCL_NORMAL && FaultSet(Fault::DirectSoundNormalLevel)) return false;
    if (level < DSSCL_NORMAL || level > 3) return false;
    level_ = level;
    return true;
}

bool IDirectSound8::Compact() {
    return device_ != 0 && level_ >= DSSCL_PRIORITY && !FaultSet(Fault::DirectSoundCompact);
}

bool IDirectSound8::CreateSoundBuffer(const DSBUFFERDESC& desc, IDirectSoundBuffer** buffer) {
    if (buffer == nullptr) return false;
    *buffer = nullptr;
    if (device_ == 0 || level_ == 0 || FaultSet(Fault::CreateSoundBuffer)) return false;
    const bool primary = (desc.dwFlags & DSBCAPS_PRIMARYBUFFER) != 0;
    // A primary buffer has no size or format of its own; a secondary one needs both.
    if (primary != (desc.dwBufferBytes == 0 && desc.lpwfxFormat == nullptr)) return false;
    auto* made = new IDirectSoundBuffer(primary);
    if (!primary && !made->SetFormat(*desc.lpwfxFormat)) {
        made->Release();
        return false;
    }
    *buffer = made;
    return true;
}

// ---- DirectMusic -------------------------------------------------------

IDirectMusicPerformance8::~IDirectMusicPerformance8() { CloseDown(); }

bool IDirectMusicPerformance8::InitAudio(IDirectMusic** music, IDirectSound8** sound, std::uintptr_t /*window*/,
                                         std::uint32_t /*pathType*/, std::uint32_t channels, std::uint32_t /*flags*/,
                                         const void* /*params*/) {
    if (music_ != nullptr || channels == 0 || FaultSet(Fault::PerformanceInitAudio)) return false;
    if (music != nullptr && *music != nullptr) {
        music_ = *music;
        music_->AddRef();
    } else {
        music_ = new IDirectMusic();
    }
    if (sound != nullptr && *sound != nullptr) {
        sound_ = *sound;
        sound_->AddRef();
    } else {
        sound_ = new IDirectSound8();
    }
    if (music != nullptr && *music == nullptr) {
        *music = music_;
        music_->AddRef();
    }
    if (sound != nullptr && *sound == nullptr) {
        *sound = sound_;
        sound_->AddRef();
    }
    return true;
}

void IDirectMusicPerformance8::CloseDown() {
    if (sound_ != nullptr) sound_->Release();
    if (music_ != nullptr) music_->Release();
    sound_ = nullptr;
    music_ = nullptr;
}

// ---- DirectPlay --------------------------------------------------------

bool IDirectPlay8Peer::Initialize(void* /*context*/, DirectPlayHandlerFn handler, std::uint32_t /*flags*/) {
    if (handler == nullptr || handler_ != nullptr || FaultSet(Fault::DirectPlayPeerInitialize)) return false;
    handler_ = handler;
    return true;
}

void IDirectPlay8Peer::Close() { handler_ = nullptr; }

// ---- DirectDraw --------------------------------------------------------

bool IDirectDraw::Initialize(std::uintptr_t /*guid*/) {
    if (initialized_ || FaultSet(Fault::DirectDrawInitialize)) return false;
    initialized_ = true;
    return true;
}

bool IDirectDraw::SetCooperativeLevel(std::uintptr_t /*window*/, std::uint32_t flags) {
    if (!initialized_ || FaultSet(Fault::DirectDrawCooperativeLevel) || flags == 0) return false;
    level_ = flags;
    return true;
}

// ---- creation ----------------------------------------------------------

IDirectSound8* CreateDirectSound8() { return FaultSet(Fault::CreateDirectSound) ? nullptr : new IDirectSound8(); }

IDirectMusicLoader8* CreateDirectMusicLoader() {
    return FaultSet(Fault::CreateDirectMusicLoader) ? nullptr : new IDirectMusicLoader8();
}

IDirectMusicPerformance8* CreateDirectMusicPerformance() {
    return FaultSet(Fault::CreateDirectMusicPerformance) ? nullptr : new IDirectMusicPerformance8();
}

IDirectPlay8Peer* CreateDirectPlay8Peer() {
    return FaultSet(Fault::CreateDirectPlayPeer) ? nullptr : new IDirectPlay8Peer();
}

IDirectDraw* CreateDirectDraw() { return FaultSet(Fault::CreateDirectDraw) ? nullptr : new IDirectDraw(); }

}  // namespace platform
