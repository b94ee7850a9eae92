// The audio device stand-in through the null output: format conversion,
// mixing, volume, playing once and looped, and the music player's decoding.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/audio_format.h"
#include "platform/audio_mixer.h"
#include "platform/audio_output.h"
#include "platform/music_player.h"
#include "platform/sound_device.h"
#include "tests/platform/pcm_format.h"
#include "tests/support/temp_dir.h"

namespace {

using platform::WaveFormat;

// `frames` frames of 16-bit mono holding `value`.
std::vector<std::uint8_t> Constant16(std::size_t frames, std::int16_t value) {
    std::vector<std::uint8_t> v;
    for (std::size_t i = 0; i < frames; ++i) {
        v.push_back(static_cast<std::uint8_t>(value & 0xFF));
        v.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
    }
    return v;
}

std::vector<std::int16_t> Render(std::size_t frames) {
    std::vector<std::int16_t> out(frames * 2, 12345);
    EXPECT_TRUE(platform::RenderNullAudio(out.data(), frames));
    return out;
}

class NullOutput : public ::testing::Test {
protected:
    void SetUp() override {
        platform::SetAudioOutputMode(platform::AudioOutputMode::Null);
        device_ = platform::SoundDevice::Create();
        ASSERT_NE(device_, nullptr);
    }
    void TearDown() override {
        if (device_) device_->Release();
        platform::SetAudioOutputMode(platform::AudioOutputMode::Device);
    }
    platform::SoundBuffer* Buffer(std::size_t frames, std::int16_t value) {
        const auto pcm = Constant16(frames, value);
        return device_->CreateBuffer(PcmFormat(1, 16, 44100), pcm.data(), pcm.size(), "test");
    }
    platform::SoundDevice* device_ = nullptr;
};

TEST(AudioFormat, WaveFormatRecordRoundTripsAndChecksPcm) {
    WaveFormat f = PcmFormat(2, 16, 22050);
    const auto bytes = platform::EncodeWaveFormat(f);
    ASSERT_EQ(bytes.size(), platform::kWaveFormatRecordSize);
    WaveFormat g;
    ASSERT_TRUE(platform::ParseWaveFormat(bytes.data(), bytes.size(), g));
    EXPECT_EQ(g.channels, 2);
    EXPECT_EQ(g.samplesPerSec, 22050u);
    EXPECT_EQ(g.blockAlign, 4);
    EXPECT_TRUE(platform::CheckPcmFormat(g).empty());
    EXPECT_FALSE(platform::ParseWaveFormat(bytes.data(), 15, g));

    struct Case {
        std::uint16_t tag, channels, bits, align;
        std::uint32_t rate;
    } bad[] = {{2, 1, 16, 2, 22050}, {1, 3, 16, 6, 22050}, {1, 1, 24, 3, 22050},
               {1, 1, 16, 4, 22050}, {1, 1, 16, 2, 0},     {1, 0, 16, 0, 22050}};
    for (const Case& c : bad) {
        WaveFormat b = PcmFormat(c.channels, c.bits, c.rate);
        b.formatTag = c.tag;
        b.blockAlign = c.align;
        EXPECT_FALSE(platform::CheckPcmFormat(b).empty()) << c.tag << " " << c.channels << " " << c.bits;
    }
}

TEST(AudioFormat, ConvertsEightBitMonoAndResamples) {
    // 8-bit is unsigned around 128; mono goes to both sides.
    const std::vector<std::uint8_t> pcm = {128, 255, 0, 192};
    auto same = platform::ConvertPcmToDevice(PcmFormat(1, 8, 44100), pcm.data(), pcm.size());
    ASSERT_EQ(same.size(), 8u);
    EXPECT_EQ(same[0], 0);
    EXPECT_EQ(same[2], 127 * 256);
    EXPECT_EQ(same[3], 127 * 256);
    EXPECT_EQ(same[4], -32768);
    EXPECT_EQ(same[6], 64 * 256);

    // 22,050 Hz doubles: every second frame lies halfway between two inputs.
    const auto ramp = Constant16(0, 0);
    std::vector<std::uint8_t> in;
    for (std::int16_t v : {0, 1000, 2000, 3000}) {
        auto s = Constant16(1, v);
        in.insert(in.end(), s.begin(), s.end());
    }
    auto up = platform::ConvertPcmToDevice(PcmFormat(1, 16, 22050), in.data(), in.size());
    ASSERT_EQ(up.size() / 2, 8u);
    const std::int16_t expect[] = {0, 500, 1000, 1500, 2000, 2500, 3000, 3000};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(up[2 * i], expect[i]) << i;
    EXPECT_EQ(platform::ResampledFrameCount(11025, 11025), 44100u);
    EXPECT_EQ(platform::ResampledFrameCount(3, 48000), 3u);
    // A trailing partial frame is dropped.
    EXPECT_EQ(platform::WidenPcmToStereo(PcmFormat(2, 16, 44100), in.data(), 7).size(), 2u);
}

TEST(AudioFormat, StreamingResamplerMatchesWholeConversion) {
    std::vector<std::uint8_t> in;
    for (int i = 0; i < 1000; ++i) {
        auto s = Constant16(1, static_cast<std::int16_t>((i * 37) % 20000 - 10000));
        in.insert(in.end(), s.begin(), s.end());
    }
    const WaveFormat f = PcmFormat(1, 16, 32000);
    const auto whole = platform::ConvertPcmToDevice(f, in.data(), in.size());
    const auto wide = platform::WidenPcmToStereo(f, in.data(), in.size());
    std::vector<std::int16_t> out(whole.size());
    platform::StereoResampler r(32000);
    std::size_t produced = 0;
    for (std::size_t fed = 0; fed < 1000; fed += 77) {
        const std::size_t have = std::min<std::size_t>(fed + 77, 1000);
        produced += r.Produce(wide.data(), have, have == 1000, out.data() + 2 * produced, out.size() / 2 - produced);
    }
    EXPECT_EQ(produced, whole.size() / 2);
    EXPECT_EQ(out, whole);
}

TEST(AudioFormat, RiffWaveParsing) {
    const auto pcm = Constant16(10, 7);
    auto wav = platform::BuildRiffWave(PcmFormat(1, 16, 22050), pcm.data(), pcm.size());
    wav.resize(wav.size() + 100, 0xEE);  // padding after the RIFF image is ignored
    platform::WaveFile w;
    std::string error;
    ASSERT_TRUE(platform::ParseRiffWave(wav.data(), wav.size(), w, error)) << error;
    EXPECT_EQ(w.dataBytes, 20u);
    EXPECT_EQ(w.format.samplesPerSec, 22050u);

    // Truncated inside the data chunk.
    EXPECT_FALSE(platform::ParseRiffWave(wav.data(), 50, w, error));
    EXPECT_NE(error.find("past the end"), std::string::npos) << error;
    // Not RIFF at all, and a non-PCM format.
    EXPECT_FALSE(platform::ParseRiffWave(pcm.data(), pcm.size(), w, error));
    auto adpcm = platform::BuildRiffWave(PcmFormat(1, 16, 22050), pcm.data(), pcm.size());
    adpcm[20] = 2;
    EXPECT_FALSE(platform::ParseRiffWave(adpcm.data(), adpcm.size(), w, error));
    EXPECT_NE(error.find("not PCM"), std::string::npos) << error;
}

TEST(AudioMixer, GainFromHundredthsOfDecibels) {
    EXPECT_FLOAT_EQ(platform::GainFromHundredthsDb(0), 1.0f);
    EXPECT_NEAR(platform::GainFromHundredthsDb(-2000), 0.1f, 1e-7);
    EXPECT_NEAR(platform::GainFromHundredthsDb(-600), 0.501187f, 1e-6);
    EXPECT_NEAR(platform::GainFromHundredthsDb(-10000), 1e-5f, 1e-10);
    EXPECT_FLOAT_EQ(platform::GainFromHundredthsDb(-20000), platform::GainFromHundredthsDb(-10000));
    EXPECT_FLOAT_EQ(platform::GainFromHundredthsDb(500), 1.0f);
}

TEST_F(NullOutput, OverlappingSoundsAddAndStayBelowFullScale) {
    platform::SoundBuffer* a = Buffer(100, 20000);
    platform::SoundBuffer* b = Buffer(50, 20000);
    platform::SoundBuffer* c = Buffer(100, -5000);
    ASSERT_TRUE(a && b && c);
    a->Play(false);
    b->Play(false);
    auto out = Render(120);
    // 40,000 is bent below full scale, not cut off at it.
    EXPECT_EQ(out[0], static_cast<std::int16_t>(std::nearbyint(platform::LimitMixedSample(40000.0f))));
    EXPECT_LT(out[0], 32000);
    EXPECT_GT(out[0], 30000);
    EXPECT_EQ(out[99], out[0]);
    EXPECT_EQ(out[100], 20000);  // b has ended
    EXPECT_EQ(out[199], 20000);
    EXPECT_EQ(out[200], 0);  // both have ended
    EXPECT_EQ(out[239], 0);

    a->Stop();
    a->SetCurrentPosition(0);
    a->Play(false);
    c->Play(false);
    out = Render(10);
    EXPECT_EQ(out[0], 15000);  // 20000 - 5000
    EXPECT_EQ(out[19], 15000);

    // Negative sums are bent at the other end.
    platform::SoundBuffer* d = Buffer(10, -30000);
    ASSERT_NE(d, nullptr);
    d->Play(false);
    a->Stop();
    out = Render(1);
    EXPECT_EQ(out[0], -static_cast<std::int16_t>(std::nearbyint(platform::LimitMixedSample(35000.0f))));
    EXPECT_GT(out[0], -32000);  // -5000 - 30000
    for (auto* x : {a, b, c, d}) x->Release();
}

// The mix's headroom: sums up to three quarters of full scale pass as they
// are; above, a larger sum always gives a larger sample, the curve leaves the
// knee without a step, and no sum, however large, reaches full scale.
TEST(AudioMixer, LimitKeepsQuietSumsAndBendsLoudOnesBelowFullScale) {
    for (float quiet : {0.0f, 1.0f, -1.0f, 12345.5f, -20000.0f, platform::kMixKnee, -platform::kMixKnee}) {
        EXPECT_EQ(platform::LimitMixedSample(quiet), quiet) << quiet;
    }
    EXPECT_NEAR(platform::LimitMixedSample(platform::kMixKnee + 1.0f), platform::kMixKnee + 1.0f, 0.01f);
    float previous = platform::kMixKnee;
    for (float sum = platform::kMixKnee + 100.0f; sum < 1.0e7f; sum *= 1.05f) {
        const float bent = platform::LimitMixedSample(sum);
        EXPECT_GE(bent, previous) << sum;
        EXPECT_LT(bent, sum) << sum;
        EXPECT_LE(bent, platform::kMixCeiling) << sum;
        EXPECT_EQ(platform::LimitMixedSample(-sum), -bent) << sum;
        previous = bent;
    }
    // Ten voices at full scale at once: still short of the 16-bit ends.
    EXPECT_LT(std::nearbyint(platform::LimitMixedSample(10 * 32767.0f)), 32767.0f);
    EXPECT_GT(std::nearbyint(platform::LimitMixedSample(10 * -32768.0f)), -32768.0f);
}

TEST_F(NullOutput, VolumePositionStopAndLooping) {
    platform::SoundBuffer* a = Buffer(10, 10000);
    ASSERT_NE(a, nullptr);
    a->SetVolume(-2000);
    EXPECT_EQ(a->GetVolume(), -2000);
    a->SetVolume(-50000);
    EXPECT_EQ(a->GetVolume(), -10000);
    a->SetVolume(-2000);
    a->SetCurrentPosition(2 * 6);  // byte offset: frame 6
    a->Play(false);
    auto out = Render(6);
    EXPECT_EQ(out[0], 1000);
    EXPECT_EQ(out[1], 1000);
    EXPECT_EQ(out[6], 1000);
    EXPECT_EQ(out[8], 0);  // the rest of the buffer was 4 frames long

    // A played-out buffer returns to its start; Play again plays it whole.
    a->SetVolume(0);
    a->Play(true);
    out = Render(25);
    for (int i = 0; i < 25; ++i) EXPECT_EQ(out[2 * i], 10000) << i;
    a->Stop();
    out = Render(3);
    EXPECT_EQ(out[0], 0);
    a->Release();
}

TEST_F(NullOutput, RejectsUnplayableBuffers) {
    const auto pcm = Constant16(10, 1);
    WaveFormat bad = PcmFormat(1, 16, 44100);
    bad.formatTag = 0x55;
    EXPECT_EQ(device_->CreateBuffer(bad, pcm.data(), pcm.size(), "mp3"), nullptr);
    EXPECT_EQ(device_->CreateBuffer(PcmFormat(1, 16, 44100), pcm.data(), 1, "short"), nullptr);
    EXPECT_EQ(device_->CreateBuffer(PcmFormat(1, 16, 44100), nullptr, 0, "empty"), nullptr);
}

TEST(AudioOutput, NoDeviceGivesNothingAndBreaksNothing) {
    platform::SetAudioOutputMode(platform::AudioOutputMode::None);
    EXPECT_EQ(platform::SoundDevice::Create(), nullptr);
    EXPECT_FALSE(platform::InitializeMusicPlayer());
    std::int16_t out[4] = {1, 2, 3, 4};
    EXPECT_FALSE(platform::RenderNullAudio(out, 2));
    EXPECT_EQ(out[0], 1);
    platform::SetAudioOutputMode(platform::AudioOutputMode::Device);
}

TEST(AudioOutput, DummyDeviceOpensAndCloses) {
    // The test environment sets SDL's dummy audio driver.
    platform::SetAudioOutputMode(platform::AudioOutputMode::Device);
    platform::SoundDevice* device = platform::SoundDevice::Create();
    if (device == nullptr) GTEST_SKIP() << "no SDL audio driver";
    const auto pcm = Constant16(1000, 100);
    platform::SoundBuffer* b = device->CreateBuffer(PcmFormat(1, 16, 44100), pcm.data(), pcm.size(), "t");
    ASSERT_NE(b, nullptr);
    b->Play(true);
    b->Release();
    device->Release();
}

class MusicFiles : public NullOutput {
protected:
    std::string Write(const std::vector<std::uint8_t>& bytes) {
        const std::string path = dir_.str() + "/music.dat";
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return path;
    }
    testing_support::TempDir dir_;
};

TEST_F(MusicFiles, WaveStretchPlaysOnceOrLooped) {
    // Two tracks in one file: 8 bytes of padding, then a 30-frame WAV at 22,050 Hz.
    std::vector<std::uint8_t> file(8, 0xAA);
    const auto pcm = Constant16(30, 3000);
    const auto wav = platform::BuildRiffWave(PcmFormat(1, 16, 22050), pcm.data(), pcm.size());
    file.insert(file.end(), wav.begin(), wav.end());
    file.resize(file.size() + 16, 0);  // stretch longer than the WAV
    const std::string path = Write(file);

    // Played once it is decoded, or at once: the voice then starts on an empty
    // stream that the decoding thread reserves and fills, and waits for it.
    for (int run = 0; run < 4; ++run) {
        const bool playAtOnce = run >= 2;
        const int loops = run % 2 == 0 ? 0 : -1;
        SCOPED_TRACE(playAtOnce ? "played at once" : "played when decoded");
        platform::MusicInstance* m = platform::CreateMusicInstanceFromFile(path, 8, wav.size() + 16, 1);
        m->SetVolume(50.0f);
        if (playAtOnce) m->Play(loops, 0);
        ASSERT_FALSE(m->IsSilent());
        m->WaitUntilDecoded();
        if (!playAtOnce) m->Play(loops, 0);
        const auto out = Render(150);
        for (int i = 0; i < 60; ++i) ASSERT_EQ(out[2 * i], 1500) << i;
        if (loops == 0) {
            for (int i = 60; i < 150; ++i) ASSERT_EQ(out[2 * i], 0) << i;
        } else {
            for (int i = 60; i < 150; ++i) ASSERT_EQ(out[2 * i], 1500) << i;
        }
        m->Release();
    }
}

TEST_F(MusicFiles, UnplayableStretchesGiveSilentInstances) {
    const auto pcm = Constant16(30, 3000);
    auto wav = platform::BuildRiffWave(PcmFormat(1, 16, 22050), pcm.data(), pcm.size());
    std::vector<std::uint8_t> file = wav;
    const std::size_t corruptOgg = file.size();
    const char ogg[] = "OggS\0\x02garbage-garbage-garbage-garbage";
    file.insert(file.end(), ogg, ogg + sizeof ogg);
    const std::size_t text = file.size();
    const char junk[] = "not music at all";
    file.insert(file.end(), junk, junk + sizeof junk);
    const std::string path = Write(file);

    struct Case {
        std::string path;
        std::uint64_t offset, size;
    } cases[] = {
        {path, 0, 0},                           // a track of size 0
        {path, corruptOgg, sizeof ogg},         // corrupt Ogg
        {path, text, sizeof junk},              // unknown format
        {path, 0, 40},                          // truncated WAV
        {path, 0, file.size() + 1},             // past the end of the file
        {path, file.size() + 5, 10},            // offset past the end
        {dir_.str() + "/missing.dat", 0, 100},  // no file
    };
    for (const Case& c : cases) {
        testing::internal::CaptureStderr();
        platform::MusicInstance* m = platform::CreateMusicInstanceFromFile(c.path, c.offset, c.size, 1);
        ASSERT_NE(m, nullptr);
        // The stretch is opened on the decoding thread; IsSilent waits for it,
        // and the message is written by then.
        const bool silent = m->IsSilent();
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_TRUE(silent) << c.offset << " " << c.size;
        // A track of size 0 is silence by intent and says nothing; every other
        // one says why in one line.
        if (c.size == 0) {
            EXPECT_EQ(said, "");
        } else {
            EXPECT_EQ(said.rfind("music: ", 0), 0u) << said;
            EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
        }
        m->Play(-1, 0);
        m->SetVolume(100.0f);
        const auto out = Render(20);
        for (std::int16_t v : out) ASSERT_EQ(v, 0);
        m->Release();
    }
}

// With decoding off (a program that forks while it plays) an instance of a
// playable stretch is silent, says nothing and starts no thread; turned on
// again, the same stretch plays.
TEST_F(MusicFiles, DecodingTurnedOffGivesSilentInstancesWithoutAThread) {
    const auto pcm = Constant16(30, 3000);
    const auto wav = platform::BuildRiffWave(PcmFormat(1, 16, 22050), pcm.data(), pcm.size());
    const std::string path = Write(wav);
    auto threads = [] {
        return std::distance(std::filesystem::directory_iterator("/proc/self/task"),
                             std::filesystem::directory_iterator());
    };
    platform::SetMusicDecoding(false);
    const auto before = threads();
    testing::internal::CaptureStderr();
    platform::MusicInstance* off = platform::CreateMusicInstanceFromFile(path, 0, wav.size(), 1);
    EXPECT_EQ(threads(), before);
    off->Play(-1, 0);
    EXPECT_TRUE(off->IsSilent());
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    for (std::int16_t v : Render(40)) ASSERT_EQ(v, 0);
    off->Release();
    platform::SetMusicDecoding(true);

    platform::MusicInstance* on = platform::CreateMusicInstanceFromFile(path, 0, wav.size(), 1);
    on->SetVolume(50.0f);
    on->Play(0, 0);
    EXPECT_FALSE(on->IsSilent());
    on->WaitUntilDecoded();
    EXPECT_EQ(Render(1)[0], 1500);
    on->Release();
}

TEST_F(MusicFiles, ReleaseWhilePlayingAndDecoding) {
    const auto pcm = Constant16(200000, 100);
    const auto wav = platform::BuildRiffWave(PcmFormat(2, 16, 48000), pcm.data(), pcm.size());
    const std::string path = Write(wav);
    for (int i = 0; i < 5; ++i) {
        platform::MusicInstance* m = platform::CreateMusicInstanceFromFile(path, 0, wav.size(), 1);
        m->Play(-1, 0);
        Render(64);
        m->Release();
    }
    const auto out = Render(64);
    for (std::int16_t v : out) ASSERT_EQ(v, 0);
}

}  // namespace
