// Sound effects through the null output: loading from the archive, gates,
// stamps, duplicates played in turn, volume levels, and bad archives.
#include "game/shell/sound_effects.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "game/shell/save_files.h"
#include "game/shell/volume_levels.h"
#include "platform/sound_device.h"
#include "tests/game/shell/sound_test_support.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace sound_test;

constexpr std::size_t kEffectFrames = 1000;

// The value of the constant samples of effect entry `name` in the test archive.
i16 ValueOf(i32 n) { return static_cast<i16>(100 * (n + 1)); }

// Every effect as a constant of its own, 1000 frames at 44,100 Hz. Effect 19
// and 35 share their entry ("decide2.wav").
std::vector<u8> FullArchive() {
    std::vector<u8> archive;
    for (i32 n = 0; n < kSoundEffectCount; ++n) {
        if (n == 35) continue;
        std::string stored = SoundEffectTable[n].entry;
        for (char& c : stored)
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        AppendEntry(archive, stored, platform::EncodeWaveFormat(Mono16()), Constant16(kEffectFrames, ValueOf(n)));
    }
    return archive;
}

class SoundEffects : public ::testing::Test {
protected:
    void SetUp() override {
        platform::SetAudioOutputMode(platform::AudioOutputMode::Null);
        g_ConfigData = DefaultConfigData();
        g_ConfigData.effectVolume = 10;
        g_ConfigData.soundOff = 0;
    }
    void TearDown() override {
        FinalizeSoundEffects();
        platform::SetAudioOutputMode(platform::AudioOutputMode::Device);
    }
    void LoadAll(const std::vector<u8>& archive) {
        WriteFile(dir_.path() / "vsk6.dat", archive);
        ScopedCurrentDir cd(dir_.path());
        InitializeSoundEffects();
        LoadSoundEffects();
    }
    platform::SoundBuffer* BufferOf(i32 n, i32 dup) { return g_SoundEffects.slots[SoundEffectHandles[n]].buffers[dup]; }
    testing_support::TempDir dir_;
};

TEST_F(SoundEffects, LoadsEveryEffectIntoItsSlotInLoadOrder) {
    LoadAll(FullArchive());
    ASSERT_EQ(g_SoundEffects.ready, 1);
    for (i32 k = 0; k < kSoundEffectCount; ++k) {
        const i32 n = SoundEffectLoadOrder[k];
        EXPECT_EQ(SoundEffectHandles[n], k) << n;
        const SoundEffectSlot& s = g_SoundEffects.slots[k];
        EXPECT_EQ(s.used, 1);
        EXPECT_EQ(s.duplicateCount, SoundEffectTable[n].duplicates);
        EXPECT_STREQ(s.name, SoundEffectTable[n].entry);
        EXPECT_EQ(s.frequency, 44100u);
        for (i32 d = 0; d < s.duplicateCount; ++d) EXPECT_NE(s.buffers[d], nullptr);
    }
    // 19 and 35 have slots of their own holding the same sound.
    EXPECT_NE(SoundEffectHandles[19], SoundEffectHandles[35]);
    for (i32 slot = kSoundEffectCount; slot < kSoundEffectSlotCount; ++slot)
        EXPECT_EQ(g_SoundEffects.slots[slot].used, 0);
}

TEST_F(SoundEffects, GateLetsOneStartPerFrame) {
    LoadAll(FullArchive());
    // The gates start closed: nothing plays before the first re-arm.
    EXPECT_EQ(PlaySoundEffect(0), 0);
    EXPECT_EQ(RenderLeft(1)[0], 0);

    RearmSoundEffectGates();
    EXPECT_EQ(PlaySoundEffect(0), 1);
    EXPECT_EQ(PlaySoundEffect(0), 0);  // same frame: no second start
    EXPECT_EQ(PlaySoundEffect(3), 1);  // other effects have gates of their own
    EXPECT_EQ(RenderLeft(1)[0], ValueOf(0) + ValueOf(3));

    RearmSoundEffectGates();
    EXPECT_EQ(PlaySoundEffect(0), 1);  // the second duplicate joins the first
    EXPECT_EQ(RenderLeft(1)[0], 2 * ValueOf(0) + ValueOf(3));

    EXPECT_EQ(PlaySoundEffect(-1), 0);
    EXPECT_EQ(PlaySoundEffect(kSoundEffectCount), 0);
}

TEST_F(SoundEffects, DuplicatesPlayInTurnAndRestartFromTheBeginning) {
    LoadAll(FullArchive());
    const i16 v = ValueOf(0);  // effect 0 has two duplicates
    const i32 slot = SoundEffectHandles[0];
    RearmSoundEffectGates();
    PlaySoundEffect(0);  // duplicate 0 at t = 0
    EXPECT_EQ(g_SoundEffects.slots[slot].nextDuplicate, 1);
    RenderLeft(300);
    RearmSoundEffectGates();
    PlaySoundEffect(0);  // duplicate 1 at t = 300
    EXPECT_EQ(g_SoundEffects.slots[slot].nextDuplicate, 0);
    RenderLeft(300);
    RearmSoundEffectGates();
    PlaySoundEffect(0);                 // duplicate 0 again at t = 600: from its beginning
    const auto out = RenderLeft(1100);  // t = 600 .. 1700
    // Duplicate 1 ends at t = 1300, the restarted duplicate 0 at t = 1600.
    EXPECT_EQ(out[0], 2 * v);
    EXPECT_EQ(out[699], 2 * v);
    EXPECT_EQ(out[700], v);
    EXPECT_EQ(out[999], v);
    EXPECT_EQ(out[1000], 0);

    // A numbered buffer plays without moving the turn.
    PlaySoundBuffer(slot, 1);
    EXPECT_EQ(g_SoundEffects.slots[slot].nextDuplicate, 1);
    PlaySoundBuffer(slot, 2);  // no such duplicate: nothing
    PlaySoundBuffer(-1, -1);
    PlaySoundBuffer(kSoundEffectSlotCount, -1);
    EXPECT_EQ(RenderLeft(1)[0], v);
}

TEST_F(SoundEffects, StampsRecordTheFrameOfStampedPlays) {
    LoadAll(FullArchive());
    RearmSoundEffectGates();
    EXPECT_EQ(PlaySoundEffectStamped(5, 120), 1);
    EXPECT_EQ(GetSoundEffectStamp(5), 120);
    EXPECT_EQ(PlaySoundEffectStamped(5, 121), 0);  // gate closed: stamp kept
    EXPECT_EQ(GetSoundEffectStamp(5), 120);
    PlaySoundEffect(6);
    EXPECT_EQ(GetSoundEffectStamp(6), 0);  // a plain play stamps nothing
    RearmSoundEffectGates();
    EXPECT_EQ(PlaySoundEffectStamped(5, 200), 1);
    EXPECT_EQ(GetSoundEffectStamp(5), 200);
    ClearSoundEffectStamps();
    for (i32 n = 0; n < kSoundEffectCount; ++n) EXPECT_EQ(GetSoundEffectStamp(n), 0);
}

TEST(SoundEffectVolume, DecibelsOfEveryLevel) {
    const i32 expected[kVolumeLevelCount] = {-50, -34, -25, -19, -17, -15, -12, -7, -5, -2, 0};
    for (i32 level = 0; level < kVolumeLevelCount; ++level)
        EXPECT_EQ(VolumeLevelDecibels(level), expected[level]) << level;
    // Levels from the settings file outside 0..10 are clamped.
    EXPECT_EQ(VolumeLevelDecibels(-1), -50);
    EXPECT_EQ(VolumeLevelDecibels(-32768), -50);
    EXPECT_EQ(VolumeLevelDecibels(11), 0);
    EXPECT_EQ(VolumeLevelDecibels(32767), 0);
}

TEST_F(SoundEffects, LevelsReachEveryDuplicate) {
    LoadAll(FullArchive());
    const i32 expected[kVolumeLevelCount] = {-50, -34, -25, -19, -17, -15, -12, -7, -5, -2, 0};
    for (i32 level = 0; level <= 12; ++level) {
        g_ConfigData.effectVolume = static_cast<i16>(level);
        ApplySoundEffectVolume();
        const i32 want = 100 * expected[level > 10 ? 10 : level];
        for (i32 n = 0; n < kSoundEffectCount; ++n) {
            const SoundEffectSlot& s = g_SoundEffects.slots[SoundEffectHandles[n]];
            for (i32 d = 0; d < s.duplicateCount; ++d) {
                ASSERT_EQ(s.volume[d], want) << level << " " << n;
                ASSERT_EQ(s.buffers[d]->GetVolume(), want);
            }
        }
    }
    // The gain reaches the output: level 3 is -19 dB.
    g_ConfigData.effectVolume = 3;
    ApplySoundEffectVolumeOne(32);
    RearmSoundEffectGates();
    PlaySoundEffect(32);
    EXPECT_NEAR(RenderLeft(1)[0], ValueOf(32) * 0.112202, 1.0);
}

TEST_F(SoundEffects, VolumeAtLoadAndWithSoundOff) {
    g_ConfigData.effectVolume = 0;
    LoadAll(FullArchive());
    for (i32 d = 0; d < 3; ++d) EXPECT_EQ(BufferOf(18, d)->GetVolume(), -5000);

    g_ConfigData.soundOff = 1;
    g_ConfigData.effectVolume = 7;
    ApplySoundEffectVolume();
    ApplySoundEffectVolumeOne(18);
    EXPECT_EQ(BufferOf(18, 0)->GetVolume(), -5000);  // sound off: left as laid at start
    g_ConfigData.soundOff = 0;
    ApplySoundEffectVolumeOne(18);
    for (i32 d = 0; d < 3; ++d) EXPECT_EQ(BufferOf(18, d)->GetVolume(), -700);
    EXPECT_EQ(BufferOf(0, 0)->GetVolume(), -5000);  // only that effect
}

TEST_F(SoundEffects, ChangeVolumeOfOneNextOrAllDuplicatesClamped) {
    LoadAll(FullArchive());
    const i32 slot = SoundEffectHandles[18];  // three duplicates at 0
    ChangeSoundEffectVolume(slot, -3, 1);
    ChangeSoundEffectVolume(slot, -4, -2);  // the next duplicate: 0
    ChangeSoundEffectVolume(slot, -10, -1);
    const SoundEffectSlot& s = g_SoundEffects.slots[slot];
    EXPECT_EQ(s.volume[0], -1400);
    EXPECT_EQ(s.volume[1], -1300);
    EXPECT_EQ(s.volume[2], -1000);
    ChangeSoundEffectVolume(slot, -200, -1);
    EXPECT_EQ(s.volume[2], -10000);
    ChangeSoundEffectVolume(slot, 500, 0);
    EXPECT_EQ(s.volume[0], 0);
    ChangeSoundEffectVolume(slot, -1, 5);  // no such duplicate
    ChangeSoundEffectVolume(99, -1, -1);
    EXPECT_EQ(s.volume[1], -10000);
}

TEST_F(SoundEffects, SkipsEntriesByTheirOwnFormatSize) {
    // Entries with a 16-byte and a 20-byte format record before the wanted one.
    std::vector<u8> archive;
    auto f16 = platform::EncodeWaveFormat(Mono16());
    f16.resize(16);
    AppendEntry(archive, "FIRST.WAV", f16, Constant16(5, 1));
    auto f20 = platform::EncodeWaveFormat(Mono16());
    f20[16] = 2;
    f20.push_back(0xAB);
    f20.push_back(0xCD);
    AppendEntry(archive, "SECOND.WAV", f20, Constant16(7, 2));
    AppendEntry(archive, "THIRD.WAV", platform::EncodeWaveFormat(Mono16(11025)), Constant16(9, 3));
    WriteFile(dir_.path() / "vsk6.dat", archive);
    InitializeSoundEffects();
    g_SoundEffects.archivePath = (dir_.path() / "vsk6.dat").string();
    EXPECT_EQ(LoadSoundEffect("third.wav", 1), 0);
    EXPECT_EQ(LoadSoundEffect("Second.Wav", 2), 1);
    EXPECT_EQ(LoadSoundEffect("FIRST.WAV", -1), 2);  // a negative count counts as its size
    EXPECT_EQ(g_SoundEffects.slots[0].frequency, 11025u);
    EXPECT_EQ(g_SoundEffects.slots[1].duplicateCount, 2);
    EXPECT_EQ(LoadSoundEffect("fourth.wav", 1), -1);
    EXPECT_EQ(LoadSoundEffect("third.wav", 11), -1);
    EXPECT_EQ(LoadSoundEffect("third.wav", 0), -1);
}

TEST_F(SoundEffects, TooLongNameKeepsItsSlotFree) {
    std::vector<u8> archive;
    const std::string longName(31, 'A');
    AppendEntry(archive, longName, platform::EncodeWaveFormat(Mono16()), Constant16(5, 1));
    AppendEntry(archive, std::string(30, 'B'), platform::EncodeWaveFormat(Mono16()), Constant16(5, 1));
    WriteFile(dir_.path() / "vsk6.dat", archive);
    InitializeSoundEffects();
    g_SoundEffects.archivePath = (dir_.path() / "vsk6.dat").string();
    for (int i = 0; i < kSoundEffectSlotCount + 5; ++i) EXPECT_EQ(LoadSoundEffect(longName.c_str(), 2), -1);
    EXPECT_EQ(g_SoundEffects.slots[0].used, 0);
    EXPECT_EQ(LoadSoundEffect(std::string(30, 'b').c_str(), 1), 0);
}

TEST_F(SoundEffects, SlotsRunOutAtSeventy) {
    std::vector<u8> archive;
    AppendEntry(archive, "X.WAV", platform::EncodeWaveFormat(Mono16()), Constant16(5, 1));
    WriteFile(dir_.path() / "vsk6.dat", archive);
    InitializeSoundEffects();
    g_SoundEffects.archivePath = (dir_.path() / "vsk6.dat").string();
    for (i32 i = 0; i < kSoundEffectSlotCount; ++i) ASSERT_EQ(LoadSoundEffect("x.wav", 1), i);
    EXPECT_EQ(LoadSoundEffect("x.wav", 1), -1);
    ReleaseSoundEffect(12);
    EXPECT_EQ(LoadSoundEffect("x.wav", 1), 12);
}

// Archives that are missing, cut short or corrupt leave effects silent and
// the game running.
TEST_F(SoundEffects, BadArchivesGiveSilence) {
    const std::vector<u8> full = FullArchive();
    std::vector<u8> hugeData;
    Put32(hugeData, 0xFFFFFFF0u);
    hugeData.insert(hugeData.end(), {'C', 'O', 'I', 'N', '.', 'W', 'A', 'V', 0});
    Put32(hugeData, 18);
    std::vector<u8> hugeFormat;
    Put32(hugeFormat, 10);
    hugeFormat.insert(hugeFormat.end(), {'C', 'O', 'I', 'N', '.', 'W', 'A', 'V', 0});
    Put32(hugeFormat, 0x7FFFFFFF);
    std::vector<u8> endlessName(5000, 'N');
    std::vector<u8> badFormat;
    AppendEntry(badFormat, "COIN.WAV", std::vector<u8>(18, 0), Constant16(10, 1));
    std::vector<u8> emptyData;
    AppendEntry(emptyData, "COIN.WAV", platform::EncodeWaveFormat(Mono16()), {});

    // What is wrong is said once, not once per effect: one line for the
    // archive, and one for an entry that is there but unplayable together
    // with one naming every entry the archive lacks.
    struct Case {
        const char* what;
        std::vector<u8> bytes;
        bool write;
        int lines;
    } cases[] = {
        {"missing", {}, false, 1},
        {"empty", {}, true, 1},
        {"cut inside the first entry", std::vector<u8>(full.begin(), full.begin() + 20), true, 1},
        {"cut inside the data", std::vector<u8>(full.begin(), full.begin() + 500), true, 1},
        {"huge data size", hugeData, true, 1},
        {"huge format size", hugeFormat, true, 1},
        {"name without end", endlessName, true, 1},
        {"format of zeros", badFormat, true, 2},
        {"no samples", emptyData, true, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(dir_.path() / "vsk6.dat");
        if (c.write) WriteFile(dir_.path() / "vsk6.dat", c.bytes);
        {
            ScopedCurrentDir cd(dir_.path());
            InitializeSoundEffects();
            testing::internal::CaptureStderr();
            LoadSoundEffects();
            const std::string said = testing::internal::GetCapturedStderr();
            EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), c.lines) << said;
        }
        EXPECT_EQ(SoundEffectHandles[0], -1);
        RearmSoundEffectGates();
        for (i32 n = 0; n < kSoundEffectCount; ++n) EXPECT_EQ(PlaySoundEffect(n), 1);
        ApplySoundEffectVolume();
        for (i16 v : RenderLeft(64)) ASSERT_EQ(v, 0);
        FinalizeSoundEffects();
    }
}

TEST_F(SoundEffects, EntriesBeforeACorruptionStillLoad) {
    std::vector<u8> archive = FullArchive();
    archive.resize(archive.size() - 10);  // the last entry ("chu1.wav") is cut short
    LoadAll(archive);
    EXPECT_GE(SoundEffectHandles[0], 0);
    EXPECT_GE(SoundEffectHandles[34], 0);
    EXPECT_EQ(SoundEffectHandles[36], -1);
}

TEST_F(SoundEffects, NoDeviceMeansSilenceEverywhere) {
    platform::SetAudioOutputMode(platform::AudioOutputMode::None);
    LoadAll(FullArchive());
    EXPECT_EQ(g_SoundEffects.ready, 0);
    for (i32 n = 0; n < kSoundEffectCount; ++n) EXPECT_EQ(SoundEffectHandles[n], -1);
    // The gates and stamps work the same without sound.
    RearmSoundEffectGates();
    EXPECT_EQ(PlaySoundEffectStamped(4, 9), 1);
    EXPECT_EQ(PlaySoundEffectStamped(4, 10), 0);
    EXPECT_EQ(GetSoundEffectStamp(4), 9);
    ApplySoundEffectVolume();
    ChangeSoundEffectVolume(0, -5, -1);
    PlaySoundBuffer(0, -1);
    EXPECT_EQ(LoadSoundEffect("coin.wav", 1), -1);
    FinalizeSoundEffects();
    FinalizeSoundEffects();
}

TEST_F(SoundEffects, FinalizeReleasesEverySlot) {
    LoadAll(FullArchive());
    const i32 extra = LoadSoundEffect("coin.wav", 3);  // a slot outside the 37
    {
        ScopedCurrentDir cd(dir_.path());
        EXPECT_EQ(LoadSoundEffect("coin.wav", 3), extra + 1);
    }
    FinalizeSoundEffects();
    for (const SoundEffectSlot& s : g_SoundEffects.slots) {
        EXPECT_EQ(s.used, 0);
        for (auto* b : s.buffers) EXPECT_EQ(b, nullptr);
    }
    EXPECT_EQ(g_SoundEffects.device, nullptr);
    // The output is closed once nothing holds it.
    std::int16_t out[2];
    EXPECT_FALSE(platform::RenderNullAudio(out, 1));
}

}  // namespace
