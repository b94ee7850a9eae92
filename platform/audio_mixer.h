#pragma once
// Our own software mixer. The game thread owns sounds and changes them only by
// posting commands; the audio thread (or a test, through the null output)
// renders 16-bit stereo frames from the state the commands built. Nothing flows
// back from the audio side, so what the game does never depends on it.
#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace platform {

// Device-format sample frames (interleaved 16-bit stereo at kAudioRate). The
// storage is reserved in full before the first frame is published (its pages
// are touched only as frames are written), by whoever fills the stream: the
// mixer reads `samples` only below readyFrames, so a stream may be handed to
// it empty and reserved later on the filling thread. Frames [0, readyFrames)
// never change once published. A stream decoded in the background publishes
// frames as it goes and sets `complete` at the end; a complete stream of no
// frames is silence.
struct PcmStream {
    std::unique_ptr<std::int16_t[]> samples;  // capacityFrames x 2
    std::size_t capacityFrames = 0;
    std::atomic<std::size_t> readyFrames{0};
    std::atomic<bool> complete{false};

    // An empty stream with room for `frames` frames; null when the memory
    // cannot be had.
    static std::shared_ptr<PcmStream> WithCapacity(std::size_t frames);
    // Room for `frames` frames in a stream that has published none yet; false
    // (the stream unchanged) when the memory cannot be had.
    bool Reserve(std::size_t frames);
    // A finished stream holding `frames` (interleaved stereo).
    static std::shared_ptr<PcmStream> FromFrames(const std::vector<std::int16_t>& frames);
};

class AudioMixer {
public:
    static constexpr std::size_t kMaxVoices = 1024;
    static constexpr std::size_t kMaxRenderFrames = 4096;
    using VoiceId = std::uint32_t;
    static constexpr VoiceId kNoVoice = 0xFFFFFFFFu;

    AudioMixer();
    ~AudioMixer();
    AudioMixer(const AudioMixer&) = delete;
    AudioMixer& operator=(const AudioMixer&) = delete;

    // --- game thread ---
    // A stopped voice at position 0 and gain 1 playing `stream`; kNoVoice when
    // all voices are taken.
    VoiceId AddVoice(std::shared_ptr<const PcmStream> stream);
    // Starts (or keeps) playing from the current position; `loops` more passes
    // after the first (-1: endless).
    void Play(VoiceId voice, int loops);
    void Stop(VoiceId voice);
    void SetPosition(VoiceId voice, std::size_t frame);
    void SetGain(VoiceId voice, float gain);
    // Stops and removes the voice; its stream is freed on the game thread once
    // the audio side has let go of it.
    void RemoveVoice(VoiceId voice);
    // Frees streams of removed voices that the audio side no longer uses.
    void CollectRetired();

    // --- audio thread ---
    // Applies the posted commands, then mixes `frames` frames into `out`
    // (interleaved stereo): the voices are added and each sum goes through
    // LimitMixedSample, so that the output never reaches full scale.
    void Render(std::int16_t* out, std::size_t frames);

private:
    enum class Op : std::uint8_t { Attach, Play, Stop, SetPosition, SetGain, Remove };
    struct Command {
        Op op;
        VoiceId voice;
        const PcmStream* stream;
        std::size_t value;
        int loops;
        float gain;
    };
    struct Voice {
        const PcmStream* stream = nullptr;
        std::size_t position = 0;
        float gain = 1.0f;
        int loopsLeft = 0;
        bool playing = false;
    };
    struct Retired {
        std::uint64_t serial;
        VoiceId voice;
        std::shared_ptr<const PcmStream> stream;
    };

    void Post(const Command& c);  // queueMutex_ held
    void Apply(const Command& c);
    void MixVoice(Voice& v, float* acc, std::size_t frames);

    // Game side.
    std::mutex queueMutex_;
    std::vector<Command> pending_;
    std::uint64_t postedSerial_ = 0;
    std::vector<VoiceId> freeVoices_;
    std::vector<std::shared_ptr<const PcmStream>> owned_;  // by voice
    std::vector<Retired> retired_;

    // Audio side.
    std::vector<Command> taken_;
    std::array<Voice, kMaxVoices> voices_{};
    std::vector<float> accumulator_;
    std::atomic<std::uint64_t> appliedSerial_{0};
};

// Gain factor of a volume in hundredths of a decibel (-10000 .. 0): 10^(v/2000).
float GainFromHundredthsDb(int hundredthsDb);

// The headroom of the mix. Sums up to kMixKnee (three quarters of full scale)
// pass unchanged; a larger sum is bent smoothly toward kMixCeiling, which it
// never passes, so that loud moments lose a little level instead of being cut
// off flat at full scale (hard clipping, heard as crackle).
constexpr float kMixKnee = 24576.0f;
constexpr float kMixCeiling = 32000.0f;
float LimitMixedSample(float sum);

}  // namespace platform
