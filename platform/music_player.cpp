#include "platform/music_player.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "platform/audio_mixer.h"
#include "platform/audio_output.h"
#include "platform/music_decoder.h"
#include "platform/regular_file.h"

namespace platform {
namespace {

// The largest stretch read into memory.
constexpr std::uint64_t kMaxStretchBytes = 512ull << 20;

std::mutex g_playerMutex;
int g_playerUsers = 0;

std::string Describe(const std::string& path, std::uint64_t offset, std::uint64_t size) {
    char buf[64];
    std::snprintf(buf, sizeof buf, " at offset %llu, size %llu", static_cast<unsigned long long>(offset),
                  static_cast<unsigned long long>(size));
    return path + buf;
}

bool ReadStretch(const std::string& path, std::uint64_t offset, std::uint64_t size, std::vector<std::uint8_t>& out,
                 std::string& error) {
    if (size > kMaxStretchBytes) {
        error = "stretch too large";
        return false;
    }
    FileOpenError openError;
    std::FILE* f = OpenRegularFile(path, &openError);
    if (f == nullptr) {
        error = "cannot read the file: " + openError.reason;
        return false;
    }
    bool ok = std::fseek(f, 0, SEEK_END) == 0;
    const long end = ok ? std::ftell(f) : -1;
    if (end < 0 || offset > static_cast<std::uint64_t>(end) || size > static_cast<std::uint64_t>(end) - offset) {
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

void Decode(std::unique_ptr<MusicDecoder> decoder, std::shared_ptr<PcmStream> stream,
            std::shared_ptr<std::atomic<bool>> cancel, std::string where) {
    std::string error;
    if (!decoder->DecodeInto(*stream, *cancel, error)) {
        std::fprintf(stderr, "music: %s: %s; the track ends there\n", where.c_str(), error.c_str());
    }
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

MusicInstance* CreateMusicInstanceFromFile(const std::string& path, std::uint64_t offset, std::uint64_t size,
                                           int /*flags*/) {
    auto* inst = new MusicInstance;
    // A track of size 0 is silence by intent.
    if (size == 0) return inst;
    const std::string where = Describe(path, offset, size);
    std::vector<std::uint8_t> bytes;
    std::string error;
    std::unique_ptr<MusicDecoder> decoder;
    if (ReadStretch(path, offset, size, bytes, error)) decoder = MusicDecoder::Open(std::move(bytes), error);
    std::shared_ptr<PcmStream> stream;
    if (decoder) {
        stream = PcmStream::WithCapacity(decoder->FrameLimit());
        if (!stream) error = "not enough memory for " + std::to_string(decoder->FrameLimit()) + " frames";
    }
    if (!stream) {
        std::fprintf(stderr, "music: %s: %s; playing silence\n", where.c_str(), error.c_str());
        return inst;
    }
    auto cancel = std::make_shared<std::atomic<bool>>(false);
    std::thread worker(Decode, std::move(decoder), stream, cancel, where);
    inst->stream_ = stream;
    inst->cancel_ = cancel;
    inst->decoder_ = std::move(worker);
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
