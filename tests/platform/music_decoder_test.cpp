// The music decoder over real Ogg Vorbis streams (encoded here with
// libvorbisenc) and over stretches that claim more than they hold.
#include <gtest/gtest.h>

#include <ogg/ogg.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "platform/audio_format.h"
#include "platform/audio_mixer.h"
#include "platform/music_decoder.h"
#include "tests/platform/pcm_format.h"
#include "tools/sampledata/vorbis_encode.h"

namespace {

using platform::MusicDecoder;

// `seconds` of a 441 Hz sine at half scale, 16-bit, on every channel.
std::vector<std::uint8_t> Sine(std::uint16_t channels, std::uint32_t rate, double seconds) {
    std::vector<std::uint8_t> pcm;
    const auto frames = static_cast<std::size_t>(seconds * rate);
    for (std::size_t i = 0; i < frames; ++i) {
        const auto v = static_cast<std::int16_t>(std::lround(16000.0 * std::sin(2.0 * M_PI * 441.0 * i / rate)));
        for (int c = 0; c < channels; ++c) {
            pcm.push_back(static_cast<std::uint8_t>(v & 0xFF));
            pcm.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
        }
    }
    return pcm;
}

std::vector<std::uint8_t> OggSine(std::uint16_t channels, std::uint32_t rate, double seconds) {
    std::vector<std::uint8_t> ogg;
    EXPECT_TRUE(EncodeOggVorbis(PcmFormat(channels, 16, rate), Sine(channels, rate, seconds), 7, ogg));
    return ogg;
}

struct Decoded {
    bool opened = false;
    bool clean = false;
    std::string error;
    std::size_t limit = 0;
    std::vector<std::int16_t> frames;  // interleaved stereo
};

Decoded Decode(std::vector<std::uint8_t> bytes) {
    Decoded d;
    std::unique_ptr<MusicDecoder> decoder = MusicDecoder::Open(std::move(bytes), d.error);
    if (!decoder) return d;
    d.opened = true;
    d.limit = decoder->FrameLimit();
    auto stream = platform::PcmStream::WithCapacity(d.limit);
    std::atomic<bool> cancel{false};
    d.clean = decoder->DecodeInto(*stream, cancel, d.error);
    EXPECT_TRUE(stream->complete.load());
    const std::size_t ready = stream->readyFrames.load();
    d.frames.assign(stream->samples.get(), stream->samples.get() + 2 * ready);
    return d;
}

// The pages of an Ogg stream with their places, so tests can alter one and
// set its checksum again.
struct Page {
    std::size_t offset;
    std::size_t headerSize;
    std::size_t bodySize;
};

std::vector<Page> Pages(const std::vector<std::uint8_t>& bytes) {
    std::vector<Page> pages;
    std::size_t at = 0;
    while (at + 27 <= bytes.size() && std::memcmp(bytes.data() + at, "OggS", 4) == 0) {
        const std::size_t segments = bytes[at + 26];
        std::size_t body = 0;
        for (std::size_t i = 0; i < segments; ++i) body += bytes[at + 27 + i];
        pages.push_back({at, 27 + segments, body});
        at += 27 + segments + body;
    }
    return pages;
}

void Reseal(std::vector<std::uint8_t>& bytes, const Page& p) {
    ogg_page page;
    page.header = bytes.data() + p.offset;
    page.header_len = static_cast<long>(p.headerSize);
    page.body = bytes.data() + p.offset + p.headerSize;
    page.body_len = static_cast<long>(p.bodySize);
    ogg_page_checksum_set(&page);
}

TEST(MusicDecoder, RealOggVorbisStreamsDecodeToTheirLengthAndTune) {
    struct Case {
        std::uint16_t channels;
        std::uint32_t rate;
        std::size_t deviceFrames;
    } cases[] = {{2, 44100, 44100}, {1, 44100, 44100}, {1, 22050, 44100}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.channels) + " channels at " + std::to_string(c.rate));
        const Decoded d = Decode(OggSine(c.channels, c.rate, 1.0));
        ASSERT_TRUE(d.opened) << d.error;
        EXPECT_TRUE(d.clean) << d.error;
        EXPECT_GE(d.limit, c.deviceFrames);
        EXPECT_EQ(d.frames.size() / 2, c.deviceFrames);
        // A 441 Hz sine: 100 device frames a period, so frame i and i + 100
        // agree, and the loudest sample is near half scale on both sides.
        int peak = 0;
        for (std::size_t i = 2000; i + 200 < d.frames.size() / 2 - 2000; ++i) {
            ASSERT_NEAR(d.frames[2 * i], d.frames[2 * (i + 100)], 800) << i;
            ASSERT_EQ(d.frames[2 * i], d.frames[2 * i + 1]) << i;
            peak = std::max(peak, std::abs(static_cast<int>(d.frames[2 * i])));
        }
        EXPECT_NEAR(peak, 16000, 1200);
    }
}

TEST(MusicDecoder, AClaimedLengthIsNeverTrusted) {
    // The last page claims 2^40 samples; the packets hold one second.
    std::vector<std::uint8_t> ogg = OggSine(2, 44100, 1.0);
    const std::vector<Page> pages = Pages(ogg);
    ASSERT_GE(pages.size(), 3u);
    const Page& last = pages.back();
    const std::uint64_t claim = std::uint64_t(1) << 40;
    for (int i = 0; i < 8; ++i) ogg[last.offset + 6 + i] = static_cast<std::uint8_t>(claim >> (8 * i));
    Reseal(ogg, last);
    const Decoded d = Decode(ogg);
    ASSERT_TRUE(d.opened) << d.error;
    EXPECT_LT(d.limit, 2u * 44100u);
    EXPECT_LE(d.frames.size() / 2, d.limit);
    EXPECT_GE(d.frames.size() / 2, 44100u);
}

TEST(MusicDecoder, DamagedOrUnplayableStreamsAreRefusedOrCutShort) {
    const std::vector<std::uint8_t> good = OggSine(2, 44100, 5.0);
    const std::vector<Page> pages = Pages(good);
    ASSERT_GE(pages.size(), 4u);

    // The setup header (codebooks) garbled with a valid page checksum.
    std::vector<std::uint8_t> setup = good;
    const Page& second = pages[1];
    for (std::size_t i = second.bodySize / 2; i < second.bodySize; i += 3)
        setup[second.offset + second.headerSize + i] ^= 0x5A;
    Reseal(setup, second);
    Decoded d = Decode(setup);
    EXPECT_FALSE(d.opened);
    EXPECT_EQ(d.error, "damaged Vorbis header");

    // Only the headers: nothing to play.
    std::vector<std::uint8_t> headersOnly(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(pages[2].offset));
    d = Decode(headersOnly);
    EXPECT_FALSE(d.opened);
    EXPECT_EQ(d.error, "no audio packets");

    // An audio page in the middle garbled: what decodes is played, never more
    // than the packets allow.
    std::vector<std::uint8_t> middle = good;
    const Page& audio = pages[pages.size() / 2];
    for (std::size_t i = 0; i < audio.bodySize; i += 2) middle[audio.offset + audio.headerSize + i] ^= 0xFF;
    Reseal(middle, audio);
    d = Decode(middle);
    ASSERT_TRUE(d.opened) << d.error;
    EXPECT_LE(d.frames.size() / 2, d.limit);

    // Three channels: refused.
    std::vector<std::uint8_t> three;
    ASSERT_TRUE(EncodeOggVorbis(PcmFormat(3, 16, 44100), Sine(3, 44100, 0.2), 9, three));
    d = Decode(three);
    EXPECT_FALSE(d.opened);
    EXPECT_EQ(d.error, "Ogg Vorbis stream with 3 channels");

    // Not Vorbis inside the Ogg pages.
    const char fake[] = "OggS\0\x02garbage-garbage-garbage-garbage";
    d = Decode(std::vector<std::uint8_t>(fake, fake + sizeof fake));
    EXPECT_FALSE(d.opened);
}

TEST(MusicDecoder, WaveStretchesAreBoundByTheirSampleBytes) {
    // A rate that would swell each byte of the stretch into 176 bytes of
    // device frames is refused, and so is more than the longest track.
    struct Case {
        platform::WaveFormat format;
        std::size_t bytes;
        const char* error;  // null: plays
    } cases[] = {
        {PcmFormat(1, 8, 1000), 4000, "sample rate 1000 Hz (a track needs 8000 to 192000)"},
        {PcmFormat(2, 16, 384000), 4000, "sample rate 384000 Hz (a track needs 8000 to 192000)"},
        {PcmFormat(1, 8, 8000), 8000u * (platform::kMaxMusicSeconds + 1),
         "decodes to 1201 seconds, more than the 1200 a track may hold"},
        {PcmFormat(1, 8, 8000), 8000, nullptr},
    };
    for (const Case& c : cases) {
        const std::vector<std::uint8_t> data(c.bytes, 128);
        const Decoded d = Decode(platform::BuildRiffWave(c.format, data.data(), data.size()));
        if (c.error) {
            EXPECT_FALSE(d.opened);
            EXPECT_EQ(d.error, c.error);
        } else {
            ASSERT_TRUE(d.opened) << d.error;
            EXPECT_EQ(d.limit, 44100u);
            EXPECT_EQ(d.frames.size() / 2, 44100u);
        }
    }
}

}  // namespace
