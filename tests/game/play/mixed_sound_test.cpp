// What the player hears at the default volumes: the first 3,000 frames of the
// whole-game run (the logo, the title and the first stage's opening waves) in
// this process on the sample data, the game's own mixer rendered through the
// null output after every frame, as the sound card would take it. No sample
// of the mix may reach full scale.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/audio_format.h"
#include "platform/audio_mixer.h"
#include "platform/audio_output.h"
#include "tests/game/play/runner_support.h"

namespace {

using namespace runner_test;

constexpr i64 kFrames = 3000;
// The output's frames per game frame at 60 frames a second.
constexpr std::size_t kAudioFramesPerFrame = platform::kAudioRate / 60;

struct Mix {
    std::size_t samples = 0;
    std::size_t pinned = 0;    // at either end of the 16-bit range
    std::size_t sounding = 0;  // not silent
    int peak = 0;
    double sumSquares = 0;
    i64 firstPinnedFrame = -1;
};
Mix g_mix;

void RenderFrameOfSound(const FrameRow& row) {
    std::vector<std::int16_t> out(2 * kAudioFramesPerFrame);
    ASSERT_TRUE(platform::RenderNullAudio(out.data(), kAudioFramesPerFrame));
    for (const std::int16_t s : out) {
        ++g_mix.samples;
        if (s == 32767 || s == -32768) {
            ++g_mix.pinned;
            if (g_mix.firstPinnedFrame < 0) g_mix.firstPinnedFrame = row.frame;
        }
        if (s != 0) ++g_mix.sounding;
        g_mix.peak = std::max(g_mix.peak, std::abs(static_cast<int>(s)));
        g_mix.sumSquares += static_cast<double>(s) * s;
    }
}

TEST(MixedSound, TheWholeGameRunsOpeningNeverReachesFullScale) {
    RunSpec spec;
    spec.input = WholeGameInput();
    ASSERT_FALSE(spec.input.empty());
    spec.frameLimit = kFrames;
    spec.noDraw = true;
    spec.unlockAll = false;
    spec.watchReportAndEnding = true;
    spec.hook = RenderFrameOfSound;
    g_mix = Mix{};
    platform::SetAudioOutputMode(platform::AudioOutputMode::Null);
    const RunResult r = RunGame(spec);
    platform::SetAudioOutputMode(platform::AudioOutputMode::Device);
    ASSERT_EQ(r.exitCode, 0);
    ASSERT_EQ(r.rows.back().frame, kFrames);
    ASSERT_EQ(r.rows.size(), static_cast<std::size_t>(kFrames));  // one frame of sound rendered per game frame

    const double rms = std::sqrt(g_mix.sumSquares / static_cast<double>(g_mix.samples));
    const std::string levels = "peak " + std::to_string(g_mix.peak) + ", RMS " + std::to_string(rms) + ", " +
                               std::to_string(g_mix.sounding) + " of " + std::to_string(g_mix.samples) +
                               " samples sounding";
    RecordProperty("peak", g_mix.peak);
    RecordProperty("rms", static_cast<int>(rms));
    EXPECT_EQ(g_mix.pinned, 0u) << levels << "; the first at frame " << g_mix.firstPinnedFrame;
    // The sample data leaves headroom of its own: the mixer never has to bend
    // the sum.
    EXPECT_LE(g_mix.peak, static_cast<int>(platform::kMixKnee)) << levels;
    // The stretch does sound: the title's music and the stage's guns, engines
    // and bursts.
    EXPECT_GT(g_mix.sounding, g_mix.samples / 2) << levels;
    EXPECT_GT(rms, 1000.0) << levels;
}

}  // namespace
