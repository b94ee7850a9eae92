// The music through the null output: the track table over the archive, the
// fade state machine, play once and looped, volume levels, and tracks or
// archives that hold nothing playable.
#include "game/shell/music.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>

#include "game/shell/save_files.h"
#include "game/shell/volume_levels.h"
#include "platform/music_player.h"
#include "platform/system.h"
#include "tests/game/shell/sound_test_support.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace sound_test;

constexpr std::size_t kTrackFrames = 400;

i16 ValueOf(i32 track) { return static_cast<i16>(100 * track); }

std::vector<std::string> g_boxes;
void CaptureBox(std::uint32_t type, const std::string& caption, const std::string& text) {
    g_boxes.push_back(std::to_string(type) + "|" + caption + "|" + text);
}

// A music archive with every non-empty track of the table at its offset: a
// WAV of 400 frames (200 at 22,050 Hz) holding 100 x track + (k mod 50) in
// frame k, so the first frame tells the track and later ones the position; the
// rest of the file is a hole.
void WriteMusicArchive(const std::filesystem::path& path) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    u64 end = 0;
    for (i32 t = 1; t < kMusicTrackCount; ++t) {
        const MusicTrack& m = MusicTrackTable[t];
        end = std::max<u64>(end, static_cast<u64>(m.offset) + m.size);
        if (m.size == 0) continue;
        std::vector<u8> pcm;
        for (std::size_t k = 0; k < kTrackFrames / 2; ++k) {
            const auto one = Constant16(1, static_cast<i16>(ValueOf(t) + k % 50));
            pcm.insert(pcm.end(), one.begin(), one.end());
        }
        const auto wav = platform::BuildRiffWave(Mono16(22050), pcm.data(), pcm.size());
        out.seekp(static_cast<std::streamoff>(m.offset));
        out.write(reinterpret_cast<const char*>(wav.data()), static_cast<std::streamsize>(wav.size()));
    }
    out.seekp(static_cast<std::streamoff>(end - 1));
    out.put(0);
}

class Music : public ::testing::Test {
protected:
    void SetUp() override {
        platform::SetAudioOutputMode(platform::AudioOutputMode::Null);
        platform::SetMessageBoxSink(CaptureBox);
        g_boxes.clear();
        g_ConfigData = DefaultConfigData();
        g_ConfigData.musicVolume = 10;
        g_ConfigData.soundOff = 0;
        WriteMusicArchive(dir_.path() / "vsk5.dat");
        cd_ = std::make_unique<ScopedCurrentDir>(dir_.path());
        InitializeMusic();
        ASSERT_EQ(g_MusicState.ready, 1);
    }
    void TearDown() override {
        UninitializeMusic();
        cd_.reset();
        platform::SetMessageBoxSink(nullptr);
        platform::SetAudioOutputMode(platform::AudioOutputMode::Device);
    }
    // One frame of music work; waits for a new instance's decoding so the
    // frames rendered afterwards are known.
    void Frame() {
        UpdateMusic();
        if (g_MusicState.instance) g_MusicState.instance->WaitUntilDecoded();
    }
    f32 Volume() const { return g_MusicState.instance ? g_MusicState.instance->GetVolume() : -1.0f; }

    testing_support::TempDir dir_;
    std::unique_ptr<ScopedCurrentDir> cd_;
};

TEST(MusicNotReady, RequestsBeforeInitializeDoNothing) {
    g_MusicState = MusicState{};
    RequestMusic(1);
    EXPECT_EQ(g_MusicState.requested, 0);
    UpdateMusic();
    EXPECT_EQ(g_MusicState.instance, nullptr);
    ApplyMusicVolume();
    UninitializeMusic();
}

TEST(MusicNotReady, NoOutputStaysSilentWithoutStoppingTheStart) {
    platform::SetAudioOutputMode(platform::AudioOutputMode::None);
    platform::SetMessageBoxSink(CaptureBox);
    g_boxes.clear();
    InitializeMusic();
    EXPECT_EQ(g_MusicState.ready, 0);
    EXPECT_TRUE(g_boxes.empty());
    RequestMusic(1);
    UpdateMusic();
    EXPECT_EQ(g_MusicState.instance, nullptr);
    platform::SetMessageBoxSink(nullptr);
    platform::SetAudioOutputMode(platform::AudioOutputMode::Device);
}

TEST_F(Music, StartFromSilenceIsImmediateAndLooped) {
    UpdateMusic();  // nothing requested: nothing happens
    EXPECT_EQ(g_MusicState.instance, nullptr);
    RequestMusic(1);
    Frame();
    ASSERT_NE(g_MusicState.instance, nullptr);
    EXPECT_FALSE(g_MusicState.instance->IsSilent());
    EXPECT_EQ(g_MusicState.playing, 1);
    EXPECT_EQ(g_MusicState.fade, 100.0f);
    EXPECT_EQ(Volume(), 100.0f);
    const auto out = RenderLeft(3 * kTrackFrames);
    for (std::size_t i = 0; i < out.size(); ++i) {  // goes round
        ASSERT_GE(out[i], ValueOf(1)) << i;
        ASSERT_LT(out[i], ValueOf(1) + 50) << i;
    }
    EXPECT_EQ(out[kTrackFrames], ValueOf(1));
    // Settled: further frames change nothing.
    platform::MusicInstance* m = g_MusicState.instance;
    for (int i = 0; i < 10; ++i) Frame();
    EXPECT_EQ(g_MusicState.instance, m);
    EXPECT_EQ(g_MusicState.fade, 100.0f);
}

TEST_F(Music, FadeOutOverHundredFramesThenPlayOnce) {
    g_ConfigData.musicVolume = 7;  // 0.85
    RequestMusic(1);
    Frame();
    platform::MusicInstance* first = g_MusicState.instance;
    EXPECT_FLOAT_EQ(Volume(), 85.0f);
    RequestMusic(1002);
    for (int k = 1; k <= 99; ++k) {
        Frame();
        ASSERT_EQ(g_MusicState.instance, first) << k;
        ASSERT_EQ(g_MusicState.playing, 1);
        ASSERT_EQ(g_MusicState.fade, static_cast<f32>(100 - k));
        ASSERT_EQ(Volume(), static_cast<f32>(100 - k) * VolumeLevelTable[7]) << k;
    }
    Frame();  // the hundredth frame switches
    ASSERT_NE(g_MusicState.instance, nullptr);
    EXPECT_EQ(g_MusicState.playing, 1002);
    EXPECT_EQ(g_MusicState.fade, 100.0f);
    EXPECT_FLOAT_EQ(Volume(), 85.0f);
    // Track 2, once: it sounds for its length, then silence.
    const auto out = RenderLeft(2 * kTrackFrames);
    EXPECT_EQ(out[0], static_cast<i16>(ValueOf(2) * 0.85f + 0.5f));
    EXPECT_NE(out[kTrackFrames - 1], 0);
    for (std::size_t i = kTrackFrames; i < out.size(); ++i) ASSERT_EQ(out[i], 0) << i;
}

TEST_F(Music, RequestZeroFadesOutAndKeepsTheInstance) {
    RequestMusic(5);
    Frame();
    platform::MusicInstance* m = g_MusicState.instance;
    RequestMusic(0);
    for (int k = 1; k <= 100; ++k) Frame();
    EXPECT_FALSE(m->IsSilent());
    EXPECT_EQ(g_MusicState.instance, m);
    EXPECT_EQ(g_MusicState.playing, 0);
    EXPECT_EQ(g_MusicState.fade, 0.0f);
    EXPECT_EQ(Volume(), 0.0f);
    for (i16 v : RenderLeft(100)) ASSERT_EQ(v, 0);
    for (int k = 0; k < 5; ++k) Frame();
    EXPECT_EQ(g_MusicState.instance, m);
    // A new request from there starts at once.
    RequestMusic(13);
    Frame();
    EXPECT_EQ(g_MusicState.playing, 13);
    EXPECT_EQ(g_MusicState.fade, 100.0f);
    EXPECT_EQ(RenderLeft(1)[0], ValueOf(13));
}

TEST_F(Music, RequestingThePlayingTrackDuringAFadeRestartsIt) {
    RequestMusic(1);
    Frame();
    platform::MusicInstance* first = g_MusicState.instance;
    RequestMusic(2);
    for (int k = 0; k < 50; ++k) Frame();
    RequestMusic(1);
    for (int k = 0; k < 49; ++k) Frame();
    EXPECT_EQ(g_MusicState.instance, first);
    EXPECT_EQ(g_MusicState.playing, 1);
    EXPECT_EQ(g_MusicState.fade, 1.0f);
    RenderLeft(60);  // the old instance moves on
    Frame();
    EXPECT_EQ(g_MusicState.playing, 1);
    EXPECT_EQ(g_MusicState.fade, 100.0f);
    EXPECT_EQ(RenderLeft(1)[0], ValueOf(1));  // made anew: from the start
}

TEST_F(Music, VolumeLevelsAndSoundOff) {
    g_ConfigData.musicVolume = 0;
    RequestMusic(1);
    Frame();
    EXPECT_EQ(Volume(), 0.0f);
    for (i16 v : RenderLeft(10)) ASSERT_EQ(v, 0);
    g_ConfigData.musicVolume = 4;
    ApplyMusicVolume();
    EXPECT_FLOAT_EQ(Volume(), 65.0f);
    // Levels from the settings file outside 0..10 are clamped.
    g_ConfigData.musicVolume = 250;
    ApplyMusicVolume();
    EXPECT_EQ(Volume(), 100.0f);
    g_ConfigData.musicVolume = -3;
    ApplyMusicVolume();
    EXPECT_EQ(Volume(), 0.0f);

    // Sound off: no music starts or changes.
    g_ConfigData.musicVolume = 10;
    ApplyMusicVolume();
    g_ConfigData.soundOff = 1;
    g_ConfigData.musicVolume = 2;
    ApplyMusicVolume();
    EXPECT_EQ(Volume(), 100.0f);
    RequestMusic(2);
    platform::MusicInstance* m = g_MusicState.instance;
    for (int k = 0; k < 150; ++k) Frame();
    EXPECT_EQ(g_MusicState.instance, m);
    EXPECT_EQ(g_MusicState.fade, 100.0f);
}

TEST_F(Music, TracksOfSizeZeroAndOutsideTheTableAreSilent) {
    for (i32 track : {3, 1004, 30, 1099, -7}) {
        SCOPED_TRACE(track);
        RequestMusic(0);
        for (int k = 0; k < 100; ++k) Frame();
        RequestMusic(track);
        Frame();
        ASSERT_NE(g_MusicState.instance, nullptr);
        EXPECT_TRUE(g_MusicState.instance->IsSilent());
        EXPECT_EQ(g_MusicState.playing, track);
        for (i16 v : RenderLeft(50)) ASSERT_EQ(v, 0);
    }
    // From a silent track to a real one: the fade runs, then it plays.
    RequestMusic(14);
    for (int k = 0; k < 100; ++k) Frame();
    EXPECT_EQ(g_MusicState.playing, 14);
    EXPECT_EQ(RenderLeft(1)[0], ValueOf(14));
}

TEST_F(Music, MissingOrCorruptArchiveGivesSilence) {
    std::filesystem::remove(dir_.path() / "vsk5.dat");
    RequestMusic(1);
    Frame();
    ASSERT_NE(g_MusicState.instance, nullptr);
    EXPECT_TRUE(g_MusicState.instance->IsSilent());

    // An archive cut short inside track 13's stretch and holding junk there.
    {
        std::ofstream out(dir_.path() / "vsk5.dat", std::ios::binary);
        out.seekp(MusicTrackTable[13].offset);
        out << "RIFF\x10\x00\x00\x00WAVEjunkjunk";
    }
    RequestMusic(13);
    for (int k = 0; k < 100; ++k) Frame();
    EXPECT_EQ(g_MusicState.playing, 13);
    EXPECT_TRUE(g_MusicState.instance->IsSilent());
    for (i16 v : RenderLeft(50)) ASSERT_EQ(v, 0);
}

}  // namespace
