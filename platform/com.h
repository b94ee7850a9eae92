#pragma once
// Our stand-ins for the COM objects the engine's service threads make:
// DirectSound 8, DirectMusic 8 (loader and performance), DirectPlay 8 peer,
// DirectDraw and the DirectShow media interfaces. They keep their state and
// reference counts; only the DirectSound object touches a device (it opens
// and closes an audio device, and never plays anything). Nothing here makes a
// sound or network traffic.
#include <atomic>
#include <cstdint>
#include <functional>

namespace platform {

// COM on the calling thread. The count is kept per thread; CoUninitialize
// without a matching CoInitialize does nothing.
void CoInitialize();
void CoUninitialize();
// Threads that have called CoInitialize more often than CoUninitialize
// (tests check that every worker balances them).
int ComInitializedThreads();

// Reference-counted base of every stand-in object.
class ComObject {
public:
    ComObject();
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;
    std::uint32_t AddRef();
    // Drops one reference and destroys the object at 0; returns the new count.
    std::uint32_t Release();
    std::uint32_t RefCount() const { return refs_.load(); }

protected:
    virtual ~ComObject();

private:
    std::atomic<std::uint32_t> refs_{1};
};

// Stand-in objects alive right now (tests look for leaks with it).
int LiveComObjects();

// ---- DirectSound -------------------------------------------------------

constexpr std::uint32_t DSSCL_NORMAL = 1;
constexpr std::uint32_t DSSCL_PRIORITY = 2;
constexpr std::uint32_t DSBCAPS_PRIMARYBUFFER = 1;
constexpr std::uint16_t WAVE_FORMAT_PCM = 1;

struct WAVEFORMATEX {
    std::uint16_t wFormatTag = 0;
    std::uint16_t nChannels = 0;
    std::uint32_t nSamplesPerSec = 0;
    std::uint32_t nAvgBytesPerSec = 0;
    std::uint16_t nBlockAlign = 0;
    std::uint16_t wBitsPerSample = 0;
    std::uint16_t cbSize = 0;
};

struct DSBUFFERDESC {
    std::uint32_t dwSize = 0;
    std::uint32_t dwFlags = 0;
    std::uint32_t dwBufferBytes = 0;
    std::uint32_t dwReserved = 0;
    const WAVEFORMATEX* lpwfxFormat = nullptr;
};

class IDirectSoundBuffer : public ComObject {
public:
    explicit IDirectSoundBuffer(bool primary) : primary_(primary) {}
    // Accepts 8- or 16-bit PCM with one or two channels whose block
    // alignment and byte rate agree.
    bool SetFormat(const WAVEFORMATEX& format);
    const WAVEFORMATEX& Format() const { return format_; }
    bool IsPrimary() const { return primary_; }

private:
    bool primary_;
    WAVEFORMATEX format_{WAVE_FORMAT_PCM, 2, 22050, 88200, 4, 16, 0};
};

// How the DirectSound object opens and closes its audio device. The default
// opens the default SDL audio device (44100 Hz, 16-bit stereo) and leaves it
// paused. Tests may install their own.
struct AudioDeviceOpener {
    std::function<std::uint32_t()> open;  // device id, 0 when none
    std::function<void(std::uint32_t)> close;
};
// Empty functions restore the SDL opener.
void SetAudioDeviceOpener(AudioDeviceOpener opener);

class IDirectSound8 : public ComObject {
public:
    // Opens the default audio device (the GUID must be null: only the
    // default device exists).
    bool Initialize(const void* deviceGuid);
    bool SetCooperativeLevel(std::uintptr_t window, std::uint32_t level);
    bool Compact();
    bool CreateSoundBuffer(const DSBUFFERDESC& desc, IDirectSoundBuffer** buffer);
    bool Initialized() const { return device_ != 0; }
    std::uint32_t CooperativeLevel() const { return level_; }

protected:
    ~IDirectSound8() override;

private:
    std::uint32_t device_ = 0;
    std::uint32_t level_ = 0;
};

// ---- DirectMusic -------------------------------------------------------

constexpr std::uint32_t DMUS_APATH_SHARED_STEREOPLUSREVERB = 1;
constexpr std::uint32_t DMUS_AUDIOF_ALL = 0x3F;

class IDirectMusic : public ComObject {};
class IDirectMusicLoader8 : public ComObject {};

class IDirectMusicPerformance8 : public ComObject {
public:
    // Makes the performance's DirectMusic and DirectSound objects and hands a
    // reference to each back through the non-null pointers (an object that is
    // already there is used instead). The performance keeps its own
    // references until CloseDown.
    bool InitAudio(IDirectMusic** music, IDirectSound8** sound, std::uintptr_t window, std::uint32_t pathType,
                   std::uint32_t channels, std::uint32_t flags, const void* params);
    void CloseDown();
    bool AudioInitialized() const { return music_ != nullptr; }

protected:
    ~IDirectMusicPerformance8() override;

private:
    IDirectMusic* music_ = nullptr;
    IDirectSound8* sound_ = nullptr;
};

// ---- DirectPlay --------------------------------------------------------

using DirectPlayHandlerFn = std::int32_t (*)(void* context, std::uint32_t type, void* message);

class IDirectPlay8Peer : public ComObject {
public:
    bool Initialize(void* context, DirectPlayHandlerFn handler, std::uint32_t flags);
    void Close();
    bool Initialized() const { return handler_ != nullptr; }
    DirectPlayHandlerFn Handler() const { return handler_; }

private:
    DirectPlayHandlerFn handler_ = nullptr;
};

// ---- DirectDraw --------------------------------------------------------

constexpr std::uintptr_t DDCREATE_EMULATIONONLY = 2;
constexpr std::uint32_t DDSCL_NORMAL = 8;

class IDirectDraw : public ComObject {
public:
    bool Initialize(std::uintptr_t guid);
    bool SetCooperativeLevel(std::uintptr_t window, std::uint32_t flags);
    bool Initialized() const { return initialized_; }

private:
    bool initialized_ = false;
    std::uint32_t level_ = 0;
};

// CoCreateInstance of each class: a new object with one reference, or null
// when its creation fault is set (fault_points.h).
IDirectSound8* CreateDirectSound8();
IDirectMusicLoader8* CreateDirectMusicLoader();
IDirectMusicPerformance8* CreateDirectMusicPerformance();
IDirectPlay8Peer* CreateDirectPlay8Peer();
IDirectDraw* CreateDirectDraw();

// ---- DirectShow media interfaces --------------------------------------
// Nothing in the system makes media objects; these are the interfaces the
// engine's media-event pump reads.

constexpr std::int32_t EC_COMPLETE = 1;
constexpr std::uint32_t AM_SEEKING_NoPositioning = 0;
constexpr std::uint32_t AM_SEEKING_AbsolutePositioning = 1;

class IMediaEventEx {
public:
    virtual ~IMediaEventEx() = default;
    // Takes the next pending event; false when none arrives within timeoutMs.
    virtual bool GetEvent(std::int32_t* code, std::intptr_t* param1, std::intptr_t* param2,
                          std::uint32_t timeoutMs) = 0;
    virtual void FreeEventParams(std::int32_t code, std::intptr_t param1, std::intptr_t param2) = 0;
};

class IMediaSeeking {
public:
    virtual ~IMediaSeeking() = default;
    virtual bool SetPositions(std::int64_t* current, std::uint32_t currentFlags, std::int64_t* stop,
                              std::uint32_t stopFlags) = 0;
};

class IMediaControl {
public:
    virtual ~IMediaControl() = default;
    virtual bool Run() = 0;
};

}  // namespace platform
