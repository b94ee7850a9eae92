#include "platform/audio_mixer.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace platform {

std::shared_ptr<PcmStream> PcmStream::WithCapacity(std::size_t frames) {
    auto s = std::make_shared<PcmStream>();
    if (!s->Reserve(frames)) return nullptr;
    return s;
}

bool PcmStream::Reserve(std::size_t frames) {
    if (frames > 0) {
        // Left uninitialised: only published frames are ever read.
        std::unique_ptr<std::int16_t[]> room(new (std::nothrow) std::int16_t[2 * frames]);
        if (!room) return false;
        samples = std::move(room);
    }
    capacityFrames = frames;
    return true;
}

std::shared_ptr<PcmStream> PcmStream::FromFrames(const std::vector<std::int16_t>& frames) {
    auto s = WithCapacity(frames.size() / 2);
    if (!s) return nullptr;
    std::copy(frames.begin(), frames.begin() + static_cast<std::ptrdiff_t>(2 * s->capacityFrames), s->samples.get());
    s->readyFrames.store(s->capacityFrames, std::memory_order_release);
    s->complete.store(true, std::memory_order_release);
    return s;
}

float LimitMixedSample(float sum) {
    const float size = std::fabs(sum);
    if (size <= kMixKnee) return sum;
    const float room = kMixCeiling - kMixKnee;
    return std::copysign(kMixKnee + room * std::tanh((size - kMixKnee) / room), sum);
}

float GainFromHundredthsDb(int hundredthsDb) {
    const int v = std::clamp(hundredthsDb, -10000, 0);
    return static_cast<float>(std::pow(10.0, v / 2000.0));
}

AudioMixer::AudioMixer() {
    freeVoices_.reserve(kMaxVoices);
    for (std::size_t i = kMaxVoices; i-- > 0;) freeVoices_.push_back(static_cast<VoiceId>(i));
    owned_.resize(kMaxVoices);
    pending_.reserve(256);
    taken_.reserve(256);
    accumulator_.resize(kMaxRenderFrames * 2);
}

AudioMixer::~AudioMixer() = default;

void AudioMixer::Post(const Command& c) {
    pending_.push_back(c);
    ++postedSerial_;
}

AudioMixer::VoiceId AudioMixer::AddVoice(std::shared_ptr<const PcmStream> stream) {
    if (!stream) return kNoVoice;
    CollectRetired();
    std::lock_guard<std::mutex> lock(queueMutex_);
    if (freeVoices_.empty()) return kNoVoice;
    const VoiceId id = freeVoices_.back();
    freeVoices_.pop_back();
    Post({Op::Attach, id, stream.get(), 0, 0, 1.0f});
    owned_[id] = std::move(stream);
    return id;
}

void AudioMixer::Play(VoiceId voice, int loops) {
    if (voice >= kMaxVoices) return;
    std::lock_guard<std::mutex> lock(queueMutex_);
    Post({Op::Play, voice, nullptr, 0, loops, 0.0f});
}

void AudioMixer::Stop(VoiceId voice) {
    if (voice >= kMaxVoices) return;
    std::lock_guard<std::mutex> lock(queueMutex_);
    Post({Op::Stop, voice, nullptr, 0, 0, 0.0f});
}

void AudioMixer::SetPosition(VoiceId voice, std::size_t frame) {
    if (voice >= kMaxVoices) return;
    std::lock_guard<std::mutex> lock(queueMutex_);
    Post({Op::SetPosition, voice, nullptr, frame, 0, 0.0f});
}

void AudioMixer::SetGain(VoiceId voice, float gain) {
    if (voice >= kMaxVoices) return;
    std::lock_guard<std::mutex> lock(queueMutex_);
    Post({Op::SetGain, voice, nullptr, 0, 0, gain});
}

void AudioMixer::RemoveVoice(VoiceId voice) {
    if (voice >= kMaxVoices) return;
    {
        std::lock_guard<std::mutex> lock(queueMutex_);
        if (!owned_[voice]) return;
        Post({Op::Remove, voice, nullptr, 0, 0, 0.0f});
        retired_.push_back({postedSerial_, voice, std::move(owned_[voice])});
        owned_[voice].reset();
    }
    CollectRetired();
}

void AudioMixer::CollectRetired() {
    const std::uint64_t applied = appliedSerial_.load(std::memory_order_acquire);
    std::vector<std::shared_ptr<const PcmStream>> freed;
    {
        std::lock_guard<std::mutex> lock(queueMutex_);
        auto keep = retired_.begin();
        for (auto it = retired_.begin(); it != retired_.end(); ++it) {
            if (it->serial <= applied) {
                freeVoices_.push_back(it->voice);
                freed.push_back(std::move(it->stream));
            } else {
                if (keep != it) *keep = std::move(*it);
                ++keep;
            }
        }
        retired_.erase(keep, retired_.end());
    }
    // `freed` goes out of scope here, outside the lock.
}

void AudioMixer::Apply(const Command& c) {
    Voice& v = voices_[c.voice];
    switch (c.op) {
        case Op::Attach:
            v = Voice{};
            v.stream = c.stream;
            break;
        case Op::Play:
            v.playing = v.stream != nullptr;
            v.loopsLeft = c.loops;
            break;
        case Op::Stop: v.playing = false; break;
        case Op::SetPosition: v.position = c.value; break;
        case Op::SetGain: v.gain = c.gain; break;
        case Op::Remove: v = Voice{}; break;
    }
}

void AudioMixer::MixVoice(Voice& v, float* acc, std::size_t frames) {
    const PcmStream& s = *v.stream;
    std::size_t i = 0;
    while (i < frames && v.playing) {
        const std::size_t ready = s.readyFrames.load(std::memory_order_acquire);
        if (v.position >= ready) {
            if (!s.complete.load(std::memory_order_acquire)) return;  // not decoded yet: wait
            // The end: go round again or stop (the position returns to the start).
            v.position = 0;
            if (v.loopsLeft == 0 || ready == 0) {
                v.playing = false;
                return;
            }
            if (v.loopsLeft > 0) --v.loopsLeft;
            continue;
        }
        const std::size_t n = std::min(frames - i, ready - v.position);
        const std::int16_t* src = s.samples.get() + 2 * v.position;
        float* dst = acc + 2 * i;
        const float g = v.gain;
        for (std::size_t k = 0; k < 2 * n; ++k) dst[k] += static_cast<float>(src[k]) * g;
        v.position += n;
        i += n;
    }
}

void AudioMixer::Render(std::int16_t* out, std::size_t frames) {
    if (queueMutex_.try_lock()) {
        taken_.swap(pending_);
        const std::uint64_t serial = postedSerial_;
        queueMutex_.unlock();
        for (const Command& c : taken_) Apply(c);
        taken_.clear();
        appliedSerial_.store(serial, std::memory_order_release);
    }
    while (frames > 0) {
        const std::size_t n = std::min(frames, kMaxRenderFrames);
        float* acc = accumulator_.data();
        std::fill(acc, acc + 2 * n, 0.0f);
        for (Voice& v : voices_) {
            if (v.playing) MixVoice(v, acc, n);
        }
        for (std::size_t k = 0; k < 2 * n; ++k) {
            const float x = std::nearbyint(LimitMixedSample(acc[k]));
            out[k] = static_cast<std::int16_t>(std::clamp(x, -32768.0f, 32767.0f));
        }
        out += 2 * n;
        frames -= n;
    }
}

}  // namespace platform
