#include "platform/music_player.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <future>
#include <mutex>
#include <new>

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
std::atomic<bool> g_decoding{true};

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

// The decoding thread: reads and opens the stretch, reserves the stream's
// storage, tells `opened` whether there is anything to play, then decodes.
// A stretch that cannot be played leaves the stream complete and empty
// (silence) and says why in one line.
void OpenAndDecode(std::string path, std::uint64_t offset, std::uint64_t size, std::shared_ptr<PcmStream> stream,
                   std::shared_ptr<std::atomic<bool>> cancel, std::promise<bool> opened) {
    const std::string where = Describe(path, offset, size);
    std::vector<std::uint8_t> bytes;
    std::string error;
    std::unique_ptr<MusicDecoder> decoder;
    try {
        if (ReadStretch(path, offset, size, bytes, error)) decoder = MusicDecoder::Open(std::move(bytes), error);
    } catch (const std::bad_alloc&) {
        error = "not enough memory to read it";
        decoder.reset();
    }
    if (decoder && !stream->Reserve(decoder->FrameLimit())) {
        error = "not enough memory for " + std::to_string(decoder->FrameLimit()) + " frames";
        decoder.reset();
    }
    if (!decoder) {
        std::fprintf(stderr, "music: %s: %s; playing silence\n", where.c_str(), error.c_str());
        stream->complete.store(true, std::memory_order_release);
        opened.set_value(false);
        return;
    }
    opened.set_value(true);
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

void SetMusicDecoding(bool on) { g_decoding.store(on); }

MusicInstance* CreateMusicInstanceFromFile(const std::string& path, std::uint64_t offset, std::uint64_t size,
                                           int /*flags*/) {
    auto* inst = new MusicInstance;
    // A track of size 0 is silence by intent.
    if (size == 0 || !g_decoding.load()) return inst;
    // Reading and opening the stretch (megabytes) happen on the decoding
    // thread too, so a change of music costs the game's frame nothing: the
    // voice plays the frames as they come, from an empty stream at first.
    auto stream = std::make_shared<PcmStream>();
    auto cancel = std::make_shared<std::atomic<bool>>(false);
    std::promise<bool> opened;
    inst->opened_ = opened.get_future();
    inst->decoder_ = std::thread(OpenAndDecode, path, offset, size, stream, cancel, std::move(opened));
    inst->cancel_ = cancel;
    inst->mixer_ = AcquireAudioOutput();
    if (inst->mixer_ != nullptr) {
        inst->voice_ = inst->mixer_->AddVoice(stream);
        if (inst->voice_ == AudioMixer::kNoVoice) {
            ReleaseAudioOutput();
            inst->mixer_ = nullptr;
        }
    }
    return inst;
}

bool MusicInstance::IsSilent() const {
    if (opened_.valid()) silent_ = !opened_.get();
    return silent_;
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
