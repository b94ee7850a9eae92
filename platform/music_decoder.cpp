#include "platform/music_decoder.h"

#include <ogg/ogg.h>
#include <vorbis/codec.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstring>

#include "platform/audio_format.h"
#include "platform/audio_mixer.h"

namespace platform {
namespace {

constexpr std::size_t kChunkFrames = 4096;

bool RateAllowed(std::uint32_t rate, std::string& error) {
    if (rate >= kMinMusicRate && rate <= kMaxMusicRate) return true;
    error = "sample rate " + std::to_string(rate) + " Hz (a track needs " + std::to_string(kMinMusicRate) + " to " +
            std::to_string(kMaxMusicRate) + ")";
    return false;
}

// The device frames `inFrames` frames at `rate` become, or 0 with `error` set
// when that is more than a track may hold.
std::size_t OutputLimit(std::uint64_t inFrames, std::uint32_t rate, std::string& error) {
    const std::uint64_t seconds = inFrames / rate;
    if (seconds >= kMaxMusicSeconds) {
        error = "decodes to " + std::to_string(seconds) + " seconds, more than the " +
                std::to_string(kMaxMusicSeconds) + " a track may hold";
        return 0;
    }
    return ResampledFrameCount(static_cast<std::size_t>(inFrames), rate);
}

// --- RIFF WAVE -----------------------------------------------------------------

class WaveDecoder : public MusicDecoder {
public:
    WaveDecoder(std::vector<std::uint8_t> bytes, const WaveFile& wave, std::size_t dataOffset)
        : MusicDecoder(std::move(bytes), wave.format.samplesPerSec),
          format_(wave.format),
          data_(bytes_.data() + dataOffset),
          frames_(wave.dataBytes / wave.format.blockAlign) {}

    bool Measure(std::string& error) {
        if (frames_ == 0) {
            error = "no samples";
            return false;
        }
        frameLimit_ = OutputLimit(frames_, rate_, error);
        return frameLimit_ > 0;
    }

protected:
    bool Next(std::vector<std::int16_t>& frames, bool& end, std::string&) override {
        const std::size_t n = std::min(kChunkFrames, frames_ - done_);
        const std::vector<std::int16_t> wide =
            WidenPcmToStereo(format_, data_ + done_ * format_.blockAlign, n * format_.blockAlign);
        frames.insert(frames.end(), wide.begin(), wide.end());
        done_ += n;
        end = done_ == frames_;
        return true;
    }

private:
    WaveFormat format_;
    const std::uint8_t* data_;
    std::size_t frames_;
    std::size_t done_ = 0;
};

// --- Ogg Vorbis ----------------------------------------------------------------

// The first logical stream of an Ogg stretch, measured without decoding: its
// Vorbis headers and, from the block size of every audio packet, the frames
// the packets decode to (each packet after the first gives a quarter of the
// previous block and a quarter of its own).
struct VorbisMeasure {
    int channels = 0;
    std::uint32_t rate = 0;
    std::uint64_t frames = 0;
};

bool MeasureVorbis(const std::vector<std::uint8_t>& bytes, VorbisMeasure& out, std::string& error) {
    ogg_sync_state sync;
    ogg_sync_init(&sync);
    ogg_stream_state stream;
    bool haveStream = false;
    long serial = 0;
    vorbis_info info;
    vorbis_comment comment;
    vorbis_info_init(&info);
    vorbis_comment_init(&comment);
    int headers = 0;
    long previous = 0;
    bool ended = false;
    bool ok = true;
    std::size_t fed = 0;
    while (ok && !ended) {
        ogg_page page;
        const int got = ogg_sync_pageout(&sync, &page);
        if (got < 0) continue;  // bytes skipped to the next page
        if (got == 0) {
            if (fed == bytes.size()) break;
            const std::size_t n = std::min<std::size_t>(65536, bytes.size() - fed);
            char* buffer = ogg_sync_buffer(&sync, static_cast<long>(n));
            if (buffer == nullptr) break;
            std::memcpy(buffer, bytes.data() + fed, n);
            ogg_sync_wrote(&sync, static_cast<long>(n));
            fed += n;
            continue;
        }
        if (!haveStream) {
            serial = ogg_page_serialno(&page);
            ogg_stream_init(&stream, static_cast<int>(serial));
            haveStream = true;
        }
        if (ogg_page_serialno(&page) != serial) continue;  // another logical stream: not played
        ogg_stream_pagein(&stream, &page);
        ogg_packet packet;
        int p = 0;
        while (ok && (p = ogg_stream_packetout(&stream, &packet)) != 0) {
            if (p < 0) continue;  // a gap in the stream
            if (headers < 3) {
                if (vorbis_synthesis_headerin(&info, &comment, &packet) != 0) {
                    error = headers == 0 ? "not an Ogg Vorbis stream" : "damaged Vorbis header";
                    ok = false;
                }
                ++headers;
                continue;
            }
            const long block = vorbis_packet_blocksize(&info, &packet);
            if (block <= 0) continue;  // not an audio packet: the decoder skips it too
            if (previous != 0) out.frames += static_cast<std::uint64_t>(previous / 4 + block / 4);
            previous = block;
        }
        if (ogg_page_eos(&page)) ended = true;
    }
    if (ok && headers < 3) {
        error = headers == 0 ? "not an Ogg Vorbis stream" : "Vorbis headers incomplete";
        ok = false;
    }
    if (ok) {
        out.channels = info.channels;
        out.rate = info.rate > 0 ? static_cast<std::uint32_t>(std::min<long>(info.rate, 0x7FFFFFFF)) : 0;
    }
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    if (haveStream) ogg_stream_clear(&stream);
    ogg_sync_clear(&sync);
    return ok;
}

class VorbisDecoder : public MusicDecoder {
public:
    VorbisDecoder(std::vector<std::uint8_t> bytes, const VorbisMeasure& m)
        : MusicDecoder(std::move(bytes), m.rate), channels_(m.channels) {}
    ~VorbisDecoder() override {
        if (open_) ov_clear(&file_);
    }

    bool Start(const VorbisMeasure& m, std::string& error) {
        if (m.frames == 0) {
            error = "no audio packets";
            return false;
        }
        frameLimit_ = OutputLimit(m.frames, rate_, error);
        if (frameLimit_ == 0) return false;
        // Read front to back without seeking: nothing is searched for at the
        // end of the stretch.
        const ov_callbacks callbacks = {Read, nullptr, nullptr, nullptr};
        const int r = ov_open_callbacks(this, &file_, nullptr, 0, callbacks);
        if (r != 0) {
            error = "not a playable Ogg Vorbis stream (" + std::to_string(r) + ")";
            return false;
        }
        open_ = true;
        const vorbis_info* info = ov_info(&file_, -1);
        if (info == nullptr || info->channels != channels_ || info->rate != static_cast<long>(rate_)) {
            error = "the Vorbis headers read differently the second time";
            return false;
        }
        return true;
    }

protected:
    bool Next(std::vector<std::int16_t>& frames, bool& end, std::string& error) override {
        char buffer[kChunkFrames * 4];
        int link = 0;
        const long got = ov_read(&file_, buffer, sizeof buffer, 0, 2, 1, &link);
        if (got == OV_HOLE) return true;  // a gap: the stream goes on after it
        if (got < 0) {
            error = "damaged Vorbis audio (" + std::to_string(got) + ")";
            return false;
        }
        // A chained stream's next link is not played.
        if (got == 0 || link != 0) {
            end = true;
            return true;
        }
        const std::size_t samples = static_cast<std::size_t>(got) / 2;
        const std::size_t n = samples / static_cast<std::size_t>(channels_);
        for (std::size_t i = 0; i < n; ++i) {
            std::int16_t s[2];
            for (int c = 0; c < channels_; ++c) {
                const std::size_t at = 2 * (i * static_cast<std::size_t>(channels_) + static_cast<std::size_t>(c));
                s[c] = static_cast<std::int16_t>(static_cast<std::uint16_t>(
                    static_cast<std::uint8_t>(buffer[at]) | (static_cast<std::uint8_t>(buffer[at + 1]) << 8)));
            }
            frames.push_back(s[0]);
            frames.push_back(channels_ == 2 ? s[1] : s[0]);
        }
        return true;
    }

private:
    static std::size_t Read(void* into, std::size_t size, std::size_t count, void* source) {
        auto* self = static_cast<VorbisDecoder*>(source);
        if (size == 0) return 0;
        const std::size_t left = self->bytes_.size() - self->read_;
        const std::size_t n = std::min(count, left / size);
        std::memcpy(into, self->bytes_.data() + self->read_, n * size);
        self->read_ += n * size;
        return n;
    }

    int channels_;
    OggVorbis_File file_{};
    bool open_ = false;
    std::size_t read_ = 0;
};

}  // namespace

std::unique_ptr<MusicDecoder> MusicDecoder::Open(std::vector<std::uint8_t> bytes, std::string& error) {
    if (bytes.size() >= 4 && std::memcmp(bytes.data(), "RIFF", 4) == 0) {
        WaveFile wave;
        if (!ParseRiffWave(bytes.data(), bytes.size(), wave, error)) return nullptr;
        if (!RateAllowed(wave.format.samplesPerSec, error)) return nullptr;
        const std::size_t offset = static_cast<std::size_t>(wave.data - bytes.data());
        auto decoder = std::make_unique<WaveDecoder>(std::move(bytes), wave, offset);
        if (!decoder->Measure(error)) return nullptr;
        return decoder;
    }
    if (bytes.size() >= 4 && std::memcmp(bytes.data(), "OggS", 4) == 0) {
        VorbisMeasure measure;
        if (!MeasureVorbis(bytes, measure, error)) return nullptr;
        if (measure.channels != 1 && measure.channels != 2) {
            error = "Ogg Vorbis stream with " + std::to_string(measure.channels) + " channels";
            return nullptr;
        }
        if (!RateAllowed(measure.rate, error)) return nullptr;
        auto decoder = std::make_unique<VorbisDecoder>(std::move(bytes), measure);
        if (!decoder->Start(measure, error)) return nullptr;
        return decoder;
    }
    error = "unknown format";
    return nullptr;
}

bool MusicDecoder::DecodeInto(PcmStream& stream, const std::atomic<bool>& cancel, std::string& error) {
    StereoResampler resampler(rate_);
    std::vector<std::int16_t> window;  // input frames [first, first + window.size() / 2)
    std::size_t first = 0;
    std::size_t out = 0;
    const std::size_t capacity = std::min(stream.capacityFrames, frameLimit_);
    bool end = false;
    bool ok = true;
    while (!end && out < capacity && !cancel.load(std::memory_order_relaxed)) {
        ok = Next(window, end, error);
        if (!ok) end = true;  // what came before the damage is played
        const std::size_t inFrames = first + window.size() / 2;
        out += resampler.Produce(window.data(), first, inFrames, end, stream.samples.get() + 2 * out, capacity - out);
        stream.readyFrames.store(out, std::memory_order_release);
        // Input frames the resampler has passed are dropped from the window.
        const std::size_t needed = std::min(resampler.FirstNeededFrame(), inFrames);
        if (needed - first >= kChunkFrames) {
            window.erase(window.begin(), window.begin() + static_cast<std::ptrdiff_t>(2 * (needed - first)));
            first = needed;
        }
    }
    stream.complete.store(true, std::memory_order_release);
    return ok;
}

}  // namespace platform
