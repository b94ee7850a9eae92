#pragma once
// A small music player in the place of the outside music library: an instance
// plays a stretch of a file (path, byte offset, byte size) once or looped, at a
// volume of 0 to 100. The stretch may be a RIFF WAVE file with PCM samples or an
// Ogg Vorbis stream (see music_decoder.h). It is read, opened and decoded on a
// worker thread ahead of the audio thread, which only plays frames that are
// ready. A stretch of size 0 is silence; one that cannot be played (unreadable,
// unknown, corrupt or too long) gives a silent instance and one message on
// standard error.
#include <atomic>
#include <cstdint>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace platform {

class AudioMixer;

// Opens the shared audio output for music. False when there is none; the
// instances made then are silent.
bool InitializeMusicPlayer();
void UninitializeMusicPlayer();

class MusicInstance {
public:
    // Plays from the start: `loops` = 0 once, -1 looped without end, n > 0
    // n more times after the first. `flags` is unused.
    void Play(int loops, int flags);
    void Stop();
    // 0 (silence) .. 100 (full), linear; out-of-range values are clamped.
    void SetVolume(float volume);
    float GetVolume() const { return volume_; }
    // True when the stretch held nothing playable (waits until the worker has
    // opened it; its message, if any, is written by then).
    bool IsSilent() const;
    // Waits for the background decoding to end (tests and tools).
    void WaitUntilDecoded();
    // Stops the music, ends the decoding and frees the instance.
    void Release();

private:
    friend MusicInstance* CreateMusicInstanceFromFile(const std::string&, std::uint64_t, std::uint64_t, int);
    MusicInstance() = default;
    ~MusicInstance();

    AudioMixer* mixer_ = nullptr;
    std::uint32_t voice_ = 0;
    mutable bool silent_ = true;
    mutable std::future<bool> opened_;  // whether the stretch opened; taken once
    float volume_ = 100.0f;
    std::shared_ptr<std::atomic<bool>> cancel_;
    std::thread decoder_;
};

// Whether new instances read and decode their stretch (the default). Off,
// every new instance is silent and starts no thread: for a program that forks
// while it plays, whose children must not inherit a decoding thread that is
// not there (a child that changed the music would wait for it for ever).
void SetMusicDecoding(bool on);

// Never null: a stretch that cannot be played gives a silent instance.
MusicInstance* CreateMusicInstanceFromFile(const std::string& path, std::uint64_t offset, std::uint64_t size,
                                           int flags);

}  // namespace platform
