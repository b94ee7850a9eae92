#include "platform/com.h"

#include <gtest/gtest.h>

namespace {

TEST(DirectSoundStandIn, OpensAndClosesTheDummyAudioDevice) {
    const int live = platform::LiveComObjects();
    platform::IDirectSound8* sound = platform::CreateDirectSound8();
    ASSERT_NE(sound, nullptr);
    EXPECT_FALSE(sound->SetCooperativeLevel(0, platform::DSSCL_PRIORITY)) << "not initialised yet";
    ASSERT_TRUE(sound->Initialize(nullptr)) << "SDL_AUDIODRIVER=dummy should give a device";
    EXPECT_TRUE(sound->SetCooperativeLevel(0, platform::DSSCL_PRIORITY));
    EXPECT_TRUE(sound->Compact());
    platform::DSBUFFERDESC desc;
    desc.dwSize = 36;
    desc.dwFlags = platform::DSBCAPS_PRIMARYBUFFER;
    platform::IDirectSoundBuffer* primary = nullptr;
    ASSERT_TRUE(sound->CreateSoundBuffer(desc, &primary));
    platform::WAVEFORMATEX format{platform::WAVE_FORMAT_PCM, 2, 44100, 176400, 4, 16, 0};
    EXPECT_TRUE(primary->SetFormat(format));
    format.nAvgBytesPerSec = 1;
    EXPECT_FALSE(primary->SetFormat(format));
    EXPECT_EQ(primary->Format().nAvgBytesPerSec, 176400u);
    EXPECT_EQ(primary->Release(), 0u);
    EXPECT_EQ(sound->Release(), 0u);
    EXPECT_EQ(platform::LiveComObjects(), live);
}

TEST(DirectMusicStandIn, InitAudioHandsOutReferencesTheCallerMustRelease) {
    const int live = platform::LiveComObjects();
    platform::IDirectMusicPerformance8* performance = platform::CreateDirectMusicPerformance();
    platform::IDirectMusic* music = nullptr;
    platform::IDirectSound8* sound = nullptr;
    ASSERT_TRUE(performance->InitAudio(&music, &sound, 0, 1, 64, 0x3F, nullptr));
    ASSERT_NE(music, nullptr);
    ASSERT_NE(sound, nullptr);
    EXPECT_FALSE(performance->InitAudio(&music, &sound, 0, 1, 64, 0x3F, nullptr)) << "only once";
    EXPECT_EQ(music->RefCount(), 2u);
    performance->CloseDown();
    EXPECT_EQ(performance->Release(), 0u);
    EXPECT_EQ(music->Release(), 0u);
    EXPECT_EQ(sound->Release(), 0u);
    EXPECT_EQ(platform::LiveComObjects(), live);
}

TEST(ComStandIn, CountsInitialisationPerThread) {
    const int before = platform::ComInitializedThreads();
    platform::CoInitialize();
    platform::CoInitialize();
    EXPECT_EQ(platform::ComInitializedThreads(), before + 1);
    platform::CoUninitialize();
    platform::CoUninitialize();
    platform::CoUninitialize();  // one too many does nothing
    EXPECT_EQ(platform::ComInitializedThreads(), before);
}

}  // namespace
