// The generated sample data: the manifest lists every effect and track the
// game asks for, and the archives the generator wrote hold them all and play.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "game/shell/music.h"
#include "game/shell/save_files.h"
#include "game/shell/sound_effects.h"
#include "platform/music_player.h"
#include "tests/game/shell/sound_test_support.h"

namespace {

using namespace sound_test;

const std::filesystem::path kBuildDir = TOLVARIN_BUILD_DIR;

struct Line {
    std::string archive, name, kind;
    std::map<std::string, std::string> params;
};

std::vector<Line> ReadManifest() {
    std::ifstream in(std::string(TOLVARIN_SOURCE_DIR) + "/tools/sampledata/manifest.tsv");
    EXPECT_TRUE(in.good());
    std::vector<Line> lines;
    std::string text;
    while (std::getline(in, text)) {
        if (text.empty() || text[0] == '#') continue;
        std::vector<std::string> f;
        std::stringstream ss(text);
        std::string field;
        while (std::getline(ss, field, '\t')) f.push_back(field);
        if (f.size() < 5) continue;
        Line l{f[0], f[1], f[2], {}};
        for (std::size_t i = 5; i < f.size(); ++i) {
            const auto eq = f[i].find('=');
            if (eq != std::string::npos) l.params[f[i].substr(0, eq)] = f[i].substr(eq + 1);
        }
        lines.push_back(l);
    }
    return lines;
}

std::string Upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

TEST(SampleSoundData, ManifestListsEveryEffectAndTrack) {
    const auto lines = ReadManifest();
    std::set<std::string> effects;
    std::map<std::string, Line> tracks;
    for (const Line& l : lines) {
        if (l.kind == "effect") {
            EXPECT_EQ(l.archive, "vsk6.dat") << l.name;
            EXPECT_TRUE(effects.insert(l.name).second) << "listed twice: " << l.name;
        }
        if (l.kind == "track") {
            EXPECT_EQ(l.archive, "vsk5.dat") << l.name;
            tracks[l.name] = l;
        }
    }
    for (const SoundEffectDefinition& d : SoundEffectTable) EXPECT_TRUE(effects.count(d.entry)) << d.entry;
    EXPECT_EQ(effects.size(), 36u);  // 37 effects, one entry shared
    for (i32 t = 1; t < kMusicTrackCount; ++t) {
        char name[16];
        std::snprintf(name, sizeof name, "track%02d", t);
        ASSERT_TRUE(tracks.count(name)) << name;
        const Line& l = tracks[name];
        EXPECT_EQ(std::stoull(l.params.at("offset"), nullptr, 0), MusicTrackTable[t].offset) << name;
        EXPECT_EQ(std::stoull(l.params.at("size"), nullptr, 0), MusicTrackTable[t].size) << name;
    }
}

TEST(SampleSoundData, EffectArchiveHoldsEveryNameWithDistinctSounds) {
    const std::vector<u8> bytes = ReadFile(kBuildDir / "vsk6.dat");
    ASSERT_FALSE(bytes.empty()) << "the generator did not write vsk6.dat";
    std::map<std::string, std::vector<u8>> entries;
    std::size_t pos = 0;
    const auto u32At = [&](std::size_t p) {
        return static_cast<u32>(bytes[p] | (bytes[p + 1] << 8) | (bytes[p + 2] << 16) |
                                (static_cast<u32>(bytes[p + 3]) << 24));
    };
    while (pos < bytes.size()) {
        ASSERT_LE(pos + 4, bytes.size());
        const u32 dataSize = u32At(pos);
        pos += 4;
        std::string name;
        while (pos < bytes.size() && bytes[pos] != 0) name.push_back(static_cast<char>(bytes[pos++]));
        ++pos;
        ASSERT_LE(pos + 4, bytes.size());
        const u32 formatSize = u32At(pos);
        EXPECT_EQ(formatSize, 18u) << name;
        pos += 4 + formatSize;
        ASSERT_LE(pos + dataSize, bytes.size()) << name;
        entries[name] = std::vector<u8>(bytes.begin() + pos, bytes.begin() + pos + dataSize);
        pos += dataSize;
    }
    EXPECT_EQ(entries.size(), 36u);
    for (const SoundEffectDefinition& d : SoundEffectTable) EXPECT_TRUE(entries.count(Upper(d.entry))) << d.entry;
    std::set<std::vector<u8>> distinct;
    for (const auto& [name, data] : entries) {
        EXPECT_GT(data.size(), 100u) << name;
        EXPECT_TRUE(distinct.insert(data).second) << name << " sounds like another entry";
    }
}

TEST(SampleSoundData, GameLoadsEveryEffectFromTheGeneratedArchive) {
    platform::SetAudioOutputMode(platform::AudioOutputMode::Null);
    g_ConfigData = DefaultConfigData();
    {
        ScopedCurrentDir cd(kBuildDir);
        InitializeSoundEffects();
        LoadSoundEffects();
    }
    for (i32 n = 0; n < kSoundEffectCount; ++n) EXPECT_GE(SoundEffectHandles[n], 0) << SoundEffectTable[n].entry;
    RearmSoundEffectGates();
    PlaySoundEffect(8);
    bool heard = false;
    for (i16 v : RenderLeft(2000)) heard = heard || v != 0;
    EXPECT_TRUE(heard);
    FinalizeSoundEffects();
    platform::SetAudioOutputMode(platform::AudioOutputMode::Device);
}

TEST(SampleSoundData, EveryNonEmptyTrackPlays) {
    platform::SetAudioOutputMode(platform::AudioOutputMode::Null);
    ASSERT_TRUE(platform::InitializeMusicPlayer());
    const std::string path = (kBuildDir / "vsk5.dat").string();
    const std::vector<u8> archive = ReadFile(path);
    int oggTracks = 0;
    for (i32 t = 1; t < kMusicTrackCount; ++t) {
        SCOPED_TRACE(t);
        const MusicTrack& m = MusicTrackTable[t];
        ASSERT_LE(static_cast<std::size_t>(m.offset) + m.size, archive.size());
        if (m.size >= 4 && std::memcmp(archive.data() + m.offset, "OggS", 4) == 0) ++oggTracks;
        // Silent tracks (size 0) are silence by intent: nothing is said.
        testing::internal::CaptureStderr();
        platform::MusicInstance* inst = platform::CreateMusicInstanceFromFile(path, m.offset, m.size, 1);
        inst->WaitUntilDecoded();
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
        EXPECT_EQ(inst->IsSilent(), m.size == 0);
        inst->Play(-1, 0);
        int loud = 0;
        for (i16 v : RenderLeft(44100)) loud += v > 1000 || v < -1000;
        if (m.size != 0) {
            EXPECT_GT(loud, 1000);
        }
        inst->Release();
    }
    // A real Ogg Vorbis stream among them, so the Ogg road is played.
    EXPECT_GE(oggTracks, 1);
    platform::UninitializeMusicPlayer();
    platform::SetAudioOutputMode(platform::AudioOutputMode::Device);
}

}  // namespace
