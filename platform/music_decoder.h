#pragma once
// Decoding of one music stretch held in memory: a RIFF WAVE file with PCM
// samples or an Ogg Vorbis stream, to device frames (16-bit stereo at
// kAudioRate). Opening measures what the stretch really holds (the sample
// bytes of the WAVE, the audio packets of the Ogg stream), never a length the
// file claims, and refuses a stretch that would decode to more than
// kMaxMusicSeconds. The output never grows past the measured size.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {

struct PcmStream;

// The longest track the player holds (about 200 MB of device frames).
constexpr std::uint32_t kMaxMusicSeconds = 20 * 60;
// Sample rates a track may have; a lower rate would let a small stretch
// swell many times over in device frames.
constexpr std::uint32_t kMinMusicRate = 8000;
constexpr std::uint32_t kMaxMusicRate = 192000;

class MusicDecoder {
public:
    virtual ~MusicDecoder() = default;

    // Opens a stretch (the decoder keeps the bytes). Null, with the reason in
    // `error`, when it is neither a playable RIFF WAVE nor a playable Ogg
    // Vorbis stream, or would decode to more than kMaxMusicSeconds.
    static std::unique_ptr<MusicDecoder> Open(std::vector<std::uint8_t> bytes, std::string& error);

    // The most device frames the stretch can decode to.
    std::size_t FrameLimit() const { return frameLimit_; }

    // Decodes the whole stretch into `stream` (made with room for
    // FrameLimit() frames), publishing frames as it goes, and marks the stream
    // complete. Stops early when `cancel` becomes true. False, with the reason
    // in `error`, when damage ended the decoding before the end of the
    // stretch (the frames before it stay playable).
    bool DecodeInto(PcmStream& stream, const std::atomic<bool>& cancel, std::string& error);

protected:
    MusicDecoder(std::vector<std::uint8_t> bytes, std::uint32_t rate) : bytes_(std::move(bytes)), rate_(rate) {}

    // Appends the next input frames (16-bit stereo at the stretch's own rate)
    // to `frames`. Sets `end` at the end of the stretch; false with `error`
    // set when the stretch is damaged there.
    virtual bool Next(std::vector<std::int16_t>& frames, bool& end, std::string& error) = 0;

    std::vector<std::uint8_t> bytes_;
    std::uint32_t rate_;
    std::size_t frameLimit_ = 0;
};

}  // namespace platform
