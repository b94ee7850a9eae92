#include "platform/music_player.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "platform/audio_format.h"
#include "platform/audio_mixer.h"
#include "platform/audio_output.h"

#define STB_VORBIS_HEADER_ONLY
#include <stb/stb_vorbis.h>

namespace platform {
namespace {

constexpr std::uint64_t kMaxStretchBytes = 512ull << 20;
constexpr int kDecodeChunkFrames = 4096;

std::mutex g_playerMutex;
int g_playerUsers = 0;

std::string Describe(const std::string& path, std::uint64_t offset, std::uint64_t size) {
    char buf[64];
    std::snprintf(buf, sizeof buf, " at offset %llu, size %llu", static_cast<unsigned long long>(offset),
                  static_cast<unsigned long long>(size));
    return path + buf;
}

bool ReadStretch(const std::string& path, std::uint64_t offset, std::uint64_t size,
                 std::vector<std::uint8_t>& out, std::string& error) {
    if (size == 0) {
        error = "empty stretch";
        return false;
    }
    if (size > kMaxStretchBytes) {
        error = "stretch too large";
        return false;
    }
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) {
        error = "cannot open the file";
        return false;
    }
    bool ok = std::fseek(f, 0, SEEK_END) == 0;
    const long end = ok ? std::ftell(f) : -1;
    if (end < 0 || offset > static_cast<std::uint64_t>(end) ||
        size > static_cast<std::uint64_t>(end) - offset) {
        std::fclose(f);
        error = "stretch runs past the end of the file";
        return false;
    }
    out.resize(static_cast<std::size_t>(size));
    ok = std::fseek(f, static_cast<long>(offset), SEEK_SET) == 0 &&
         std::fread(out.data(), 1, out.size(), f) == out.size();
    std::fclose(f);
    if (!ok) error = "read failed";
    return ok;
}

// Publishes output frames of `stream` up to `frames`.
void Publish(PcmStream& stream, std::size_t frames) {
    stream.readyFrames.store(frames, std::memory_order_release);
}

void DecodeWave(std::vector<std::uint8_t> bytes, WaveFile wave, std::shared_ptr<PcmStream> stream,
                std::shared_ptr<std::atomic<bool>> cancel) {
    const std::size_t frameBytes = wave.format.blockAlign;
    const std::size_t inFrames = wave.dataBytes / frameBytes;
    std::vector<std::int16_t> input;
    input.reserve(inFrames * 2);
    StereoResampler resampler(wave.format.samplesPerSec);
    std::size_t done = 0;
    std::size_t out = 0;
    const std::size_t capacity = stream->samples.size() / 2;
    while (done < inFrames && !cancel->load()) {
        const std::size_t n = std::min<std::size_t>(kDecodeChunkFrames, inFrames - done);
        std::vector<std::int16_t> wide = WidenPcmToStereo(wave.format, wave.data + done * frameBytes, n * frameBytes);
        input.insert(input.end(), wide.begin(), wide.end());
        done += n;
        out += resampler.Produce(input.data(), done, done == inFrames, stream->samples.data() + 2 * out,
                                 capacity - out);
        Publish(*stream, out);
    }
    stream->complete.store(true, std::memory_order_release);
    (void)bytes;  // the stretch stays alive until decoding ends
}

void DecodeVorbis(std::vector<std::uint8_t> bytes, stb_vorbis* vorbis, std::uint32_t rate,
                  std::shared_ptr<PcmStream> stream, std::shared_ptr<std::atomic<bool>> cancel) {
    std::vector<std::int16_t> input;
    std::vector<short> chunk(kDecodeChunkFrames * 2);
    StereoResampler resampler(rate);
    std::size_t out = 0;
    const std::size_t capacity = stream->samples.size() / 2;
    while (!cancel->load()) {
        const int n = stb_vorbis_get_samples_short_interleaved(vorbis, 2, chunk.data(),
                                                               static_cast<int>(chunk.size()));
        if (n > 0) input.insert(input.end(), chunk.begin(), chunk.begin() + 2 * n);
        const bool complete = n <= 0;
        out += resampler.Produce(input.data(), input.size() / 2, complete,
                                 stream->samples.data() + 2 * out, capacity - out);
        Publish(*stream, out);
        if (complete || out >= capacity) break;
    }
    stb_vorbis_close(vorbis);
    stream->complete.store(true, std::memory_order_release);
    (void)bytes;
}

}  // namespace

bool InitializeMusicPlayer() {
    std::lock_guard<std::mutex> lock(g_playerMutex);
    if (AcquireAudioOutput() == nullptr) return false;
    ++g_playerUsers;
    return true;
}

void UninitializeMusicPlayer() {
    std::lock_guard<std::mutex> lock(g_playerMutex);
    if (g_playerUsers == 0) return;
    --g_playerUsers;
    ReleaseAudioOutput();
}

MusicInstance* CreateMusicInstanceFromFile(const std::string& path, std::uint64_t offset,
                                           std::uint64_t size, int /*flags*/) {
    auto* inst = new MusicInstance;
    const std::string where = Describe(path, offset, size);
    std::vector<std::uint8_t> bytes;
    std::string error;
    if (!ReadStretch(path, offset, size, bytes, error)) {
        std::fprintf(stderr, "music: %s: %s; playing silence\n", where.c_str(), error.c_str());
        return inst;
    }
    auto stream = std::make_shared<PcmStream>();
    auto cancel = std::make_shared<std::atomic<bool>>(false);
    std::thread decoder;
    if (bytes.size() >= 4 && std::memcmp(bytes.data(), "RIFF", 4) == 0) {
        WaveFile wave;
        if (!ParseRiffWave(bytes.data(), bytes.size(), wave, error)) {
            std::fprintf(stderr, "music: %s: %s; playing silence\n", where.c_str(), error.c_str());
            return inst;
        }
        const std::size_t inFrames = wave.dataBytes / wave.format.blockAlign;
        if (inFrames == 0) {
            std::fprintf(stderr, "music: %s: no samples; playing silence\n", where.c_str());
            return inst;
        }
        stream->samples.resize(ResampledFrameCount(inFrames, wave.format.samplesPerSec) * 2);
        decoder = std::thread(DecodeWave, std::move(bytes), wave, stream, cancel);
    } else if (bytes.size() >= 4 && std::memcmp(bytes.data(), "OggS", 4) == 0) {
        int vorbisError = 0;
        stb_vorbis* vorbis =
            bytes.size() > 0x7FFFFFFF
                ? nullptr
                : stb_vorbis_open_memory(bytes.data(), static_cast<int>(bytes.size()), &vorbisError, nullptr);
        if (vorbis == nullptr) {
            std::fprintf(stderr, "music: %s: not a playable Ogg Vorbis stream (error %d); playing silence\n",
                         where.c_str(), vorbisError);
            return inst;
        }
        const stb_vorbis_info info = stb_vorbis_get_info(vorbis);
        const unsigned length = stb_vorbis_stream_length_in_samples(vorbis);
        if (info.sample_rate < 1000 || info.sample_rate > 384000 || length == 0) {
            std::fprintf(stderr, "music: %s: Ogg Vorbis stream with rate %u and %u samples; playing silence\n",
                         where.c_str(), info.sample_rate, length);
            stb_vorbis_close(vorbis);
            return inst;
        }
        stream->samples.resize(ResampledFrameCount(length, info.sample_rate) * 2);
        decoder = std::thread(DecodeVorbis, std::move(bytes), vorbis, info.sample_rate, stream, cancel);
    } else {
        std::fprintf(stderr, "music: %s: unknown format; playing silence\n", where.c_str());
        return inst;
    }
    inst->stream_ = stream;
    inst->cancel_ = cancel;
    inst->decoder_ = std::move(decoder);
    inst->mixer_ = AcquireAudioOutput();
    if (inst->mixer_ != nullptr) {
        inst->voice_ = inst->mixer_->AddVoice(stream);
        if (inst->voice_ == AudioMixer::kNoVoice) {
            ReleaseAudioOutput();
            inst->mixer_ = nullptr;
        }
    }
    inst->silent_ = false;
    return inst;
}

MusicInstance::~MusicInstance() {
    if (cancel_) cancel_->store(true);
    if (decoder_.joinable()) decoder_.join();
}

void MusicInstance::Play(int loops, int /*flags*/) {
    if (mixer_ == nullptr) return;
    mixer_->Stop(voice_);
    mixer_->SetPosition(voice_, 0);
    mixer_->Play(voice_, loops < 0 ? -1 : loops);
}

void MusicInstance::Stop() {
    if (mixer_ != nullptr) mixer_->Stop(voice_);
}

void MusicInstance::SetVolume(float volume) {
    volume_ = std::clamp(volume, 0.0f, 100.0f);
    if (mixer_ != nullptr) mixer_->SetGain(voice_, volume_ / 100.0f);
}

void MusicInstance::WaitUntilDecoded() {
    if (decoder_.joinable()) decoder_.join();
}

void MusicInstance::Release() {
    if (cancel_) cancel_->store(true);
    if (decoder_.joinable()) decoder_.join();
    if (mixer_ != nullptr) {
        mixer_->RemoveVoice(voice_);
        ReleaseAudioOutput();
        mixer_ = nullptr;
    }
    delete this;
}

}  // namespace platform
