// MCI notifications, the MCI shut-down and the mixer volumes.
#include <gtest/gtest.h>

#include <cstdio>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "engine/services/mci.h"
#include "engine/services/services.h"
#include "tests/support/fake_mixer.h"
#include "platform/mci.h"
#include "platform/window.h"
#include "service_test_support.h"
#include "tests/support/temp_dir.h"

namespace {

std::string Mode(const char* alias) {
    char reply[64] = "?";
    std::string command = std::string("status ") + alias + " mode";
    if (platform::mciSendStringA(command.c_str(), reply, sizeof reply, false) != 0) return "(not open)";
    return reply;
}

class MciTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::ResetMci();
        GetMciState() = MciState{};
        platform::SetMciNotifySink([this](std::uint32_t message, std::uintptr_t flag, std::intptr_t id) {
            EXPECT_EQ(message, platform::MM_MCINOTIFY);
            notices.emplace_back(static_cast<u32>(flag), static_cast<u32>(id));
        });
        platform::SetMixerSystem(&mixer);
        mixer.devices = 0;
    }
    void TearDown() override {
        platform::SetMixerSystem(nullptr);
        platform::SetMciNotifySink({});
        platform::ResetMci();
        GetMciState() = MciState{};
    }
    // Opens a wave file under the alias and starts it with notification.
    void PlayWave(const char* alias = "wave") {
        const std::string path = dir.str() + "/sound.wav";
        std::FILE* f = std::fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fputs("RIFF....WAVE", f);
        std::fclose(f);
        const std::string open = "open " + path + " alias " + alias;
        ASSERT_EQ(platform::mciSendStringA(open.c_str(), nullptr, 0, false), 0u);
        const std::string play = std::string("play ") + alias + " notify";
        ASSERT_EQ(platform::mciSendStringA(play.c_str(), nullptr, 0, true), 0u);
    }
    // The successful-end notification arrives, and the window procedure hands it on.
    void EndAndNotify(const char* alias) {
        ASSERT_TRUE(platform::EndMciPlay(alias));
        ASSERT_FALSE(notices.empty());
        ASSERT_EQ(notices.back().first, platform::MCI_NOTIFY_SUCCESSFUL);
        MciNotify();
    }
    void SetUpCd(i32 count) {
        platform::SetMciDisc(true, 100000);
        MciState& st = GetMciState();
        st.cdReady = 1;
        st.cdLoop = 1;
        st.cdTrackCount = count;
        for (int t = 0; t < kCdTrackSlots; ++t) st.cdTracks[t] = {t * 1000, 900};
    }
    ServiceCapture capture;
    testing_support::TempDir dir;
    testing_support::FakeMixer mixer;
    std::vector<std::pair<u32, u32>> notices;
};

TEST_F(MciTest, StartWithoutMixerOpensTheCdAndRecordsNothing) {
    EXPECT_EQ(InitializeMCI(), 1u);
    EXPECT_NE(platform::MciDeviceId("cdaudio"), 0u);
    EXPECT_EQ(Mode("cdaudio"), "not ready");
    EXPECT_TRUE(capture.Logged("  エラー : ミキサーデバイスがありません\n"));
    EXPECT_EQ(IsMixerReady(), 0u);
    DestroyMCI();
    EXPECT_EQ(platform::MciDeviceId("cdaudio"), 0u);
    EXPECT_TRUE(mixer.writes.empty());
}

TEST_F(MciTest, ALoopingWaveReplaysAfterEachEndUntilShutDown) {
    InitializeMCI();
    PlayWave();
    GetMciState().waveLoop = 1;
    for (int round = 0; round < 3; ++round) {
        EndAndNotify("wave");
        EXPECT_EQ(Mode("wave"), "playing");
    }
    DestroyMCI();
    EXPECT_EQ(Mode("wave"), "(not open)");
    EXPECT_EQ(GetMciState().waveLoop, 0u);
    // Closing the device aborted the pending notification.
    EXPECT_EQ(notices.back().first, platform::MCI_NOTIFY_ABORTED);
}

TEST_F(MciTest, ANonLoopingDeviceIsClosedAndItsStateCleared) {
    PlayWave("midi");
    GetMciState().midiState[0] = 5;
    GetMciState().midiState[1] = 6;
    EndAndNotify("midi");
    EXPECT_EQ(Mode("midi"), "(not open)");
    EXPECT_EQ(GetMciState().midiState[0], 0u);
    EXPECT_EQ(GetMciState().midiState[1], 0u);
    // A later notification finds nothing open and does nothing.
    MciNotify();
}

TEST_F(MciTest, AFailedStatusQueryDoesNotReuseAnEarlierAnswer) {
    // The wave device reports "stopped"; the CD device is not open, so its
    // query fails. A stale reply would make the CD loop start a play.
    SetUpCd(10);
    GetMciState().cdFirstTrack = 1;
    GetMciState().cdLastTrack = 2;
    PlayWave();
    EndAndNotify("wave");
    EXPECT_EQ(GetMciState().cdPlaying, 0u);
}

TEST_F(MciTest, TheCdLoopPlaysTheTrackRangeAgain) {
    InitializeMCI();
    SetUpCd(10);
    GetMciState().cdFirstTrack = 2;
    GetMciState().cdLastTrack = 4;
    MciNotify();  // the drive is stopped: the range starts
    EXPECT_EQ(std::string(GetMciState().reply), "play cdaudio from 2000 to 4900 notify");
    EXPECT_EQ(GetMciState().cdPlaying, 1u);
    EXPECT_EQ(Mode("cdaudio"), "playing");
    EndAndNotify("cdaudio");
    EXPECT_EQ(Mode("cdaudio"), "playing");
    EXPECT_EQ(GetMciState().cdLoop, 1u);
    DestroyMCI();
    EXPECT_EQ(GetMciState().cdPlaying, 0u);
    EXPECT_EQ(GetMciState().cdLoop, 0u);
    EXPECT_EQ(platform::MciDeviceId("cdaudio"), 0u);
}

struct TrackCase {
    i32 first;
    i32 last;
    i32 count;
};

void PrintTo(const TrackCase& c, std::ostream* os) {
    *os << "tracks " << c.first << ".." << c.last << " of " << c.count;
}

class CdRangeTest : public MciTest, public ::testing::WithParamInterface<TrackCase> {};

TEST_P(CdRangeTest, ARangeOutsideTheTableLeavesTheCdStoppedAndTheStateAlone) {
    InitializeMCI();
    SetUpCd(GetParam().count);
    GetMciState().cdFirstTrack = GetParam().first;
    GetMciState().cdLastTrack = GetParam().last;
    const MciState before = GetMciState();
    MciNotify();
    EXPECT_EQ(Mode("cdaudio"), "stopped");
    EXPECT_EQ(GetMciState().cdPlaying, before.cdPlaying);
    EXPECT_EQ(GetMciState().cdLoop, 1u);
    DestroyMCI();
}

INSTANTIATE_TEST_SUITE_P(Ranges, CdRangeTest,
                         ::testing::Values(TrackCase{1, 11, 10}, TrackCase{11, 11, 10}, TrackCase{130, 130, 200},
                                           TrackCase{1, 128, 300}, TrackCase{-1, 2, 10}),
                         [](const ::testing::TestParamInfo<TrackCase>& testInfo) {
                             const TrackCase& c = testInfo.param;
                             return "Tracks" + std::string(c.first < 0 ? "Minus" : "") +
                                    std::to_string(c.first < 0 ? -c.first : c.first) + "To" + std::to_string(c.last) +
                                    "Of" + std::to_string(c.count);
                         });

TEST_F(MciTest, WithoutLoopAStoppedCdIsOnlyMarkedStopped) {
    InitializeMCI();
    SetUpCd(10);
    GetMciState().cdLoop = 0;
    GetMciState().cdPlaying = 1;
    MciNotify();
    EXPECT_EQ(GetMciState().cdPlaying, 0u);
    EXPECT_NE(platform::MciDeviceId("cdaudio"), 0u);
    DestroyMCI();
}

// ---- mixer --------------------------------------------------------------

using Line = testing_support::FakeMixer::Line;
using Control = testing_support::FakeMixer::Control;

Line MakeLine(u32 type, const char* name, std::vector<Control> controls) {
    Line line;
    line.componentType = type;
    line.name = name;
    line.shortName = name;
    line.controls = std::move(controls);
    return line;
}

class MixerTest : public MciTest {
protected:
    void SetUp() override {
        MciTest::SetUp();
        mixer.devices = 1;
        testing_support::FakeMixer::Destination recording;
        recording.line = MakeLine(7, "Recording", {{90, platform::MIXERCONTROL_CONTROLTYPE_VOLUME, 1}});
        testing_support::FakeMixer::Destination speakers;
        speakers.line = MakeLine(platform::MIXERLINE_COMPONENTTYPE_DST_SPEAKERS, "Speakers",
                                 {{9, platform::MIXERCONTROL_CONTROLTYPE_MUTE, 0}, {10}});
        speakers.line.controls[1].value = 30000;
        speakers.sources = {
            MakeLine(platform::MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT, "Wave", {{11, 0x50030001, 70000}}),
            MakeLine(0x1003, "Line In", {{19, 0x50030001, 7}}),
            MakeLine(platform::MIXERLINE_COMPONENTTYPE_SRC_SYNTHESIZER, "Synth", {{12, 0x50030001, 0x80000000u}}),
            MakeLine(platform::MIXERLINE_COMPONENTTYPE_SRC_COMPACTDISC, "CD", {{13, 0x50030001, 5}}),
            // A second wave-out line: the first one found is kept.
            MakeLine(platform::MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT, "Wave 2", {{14, 0x50030001, 8}}),
        };
        mixer.destinations = {recording, speakers};
    }
    // What the user does to the volumes while the game runs.
    void ChangeEverything() {
        for (u32 id : {10u, 11u, 12u, 13u, 14u, 19u, 90u}) mixer.FindControl(id)->value = 1234;
    }
};

TEST_F(MixerTest, VolumesReadAtStartAreRestoredClampedAtExit) {
    InitializeMCI();
    ASSERT_EQ(IsMixerReady(), 1u);
    const MixerVolumeRecord* records = GetMixerRecords();
    for (int i = 0; i < kMixerRecords; ++i) EXPECT_EQ(records[i].found, 1u) << i;
    EXPECT_EQ(records[0].savedValue, 30000u);
    EXPECT_EQ(records[1].savedValue, 70000u);
    EXPECT_EQ(records[2].savedValue, 0x80000000u);
    EXPECT_EQ(records[3].savedValue, 5u);
    EXPECT_EQ(mixer.opens, mixer.closes);
    EXPECT_TRUE(mixer.writes.empty());

    ChangeEverything();
    DestroyMCI();
    using W = std::pair<u32, u32>;
    EXPECT_EQ(mixer.writes, (std::vector<W>{{10, 30000}, {11, 65535}, {12, 0}, {13, 5}}));
    EXPECT_EQ(mixer.Value(14), 1234u);
    EXPECT_EQ(mixer.Value(90), 1234u);
    EXPECT_EQ(mixer.opens, mixer.closes);
    const std::string log = capture.Log();
    EXPECT_NE(log.find("  ■ ミキサーデバイス数 1\n"), std::string::npos);
    EXPECT_NE(log.find("    ○デバイスNo.00 \"Recording\" [Recording]\n    ○デバイスNo.01 \"Speakers\" [Speakers]\n"
                       "       スピーカーに接続\n       ライン出力をサポート\n"
                       "            ・WAVE OUTボリュームコントロールをサポート\n"
                       "            ・SYNTHESIZERボリュームコントロールをサポート\n"
                       "            ・ANALOG-CDAUDIOボリュームコントロールをサポート\n"),
              std::string::npos)
        << log;
}

TEST_F(MixerTest, ALineWhoseControlCannotBeReadIsNeitherRecordedNorRestored) {
    mixer.FindControl(12)->readFails = true;
    mixer.destinations[1].sources[3].infoFails = true;  // the CD line
    InitializeMCI();
    EXPECT_EQ(GetMixerRecords()[2].found, 0u);
    EXPECT_EQ(GetMixerRecords()[3].found, 0u);
    ChangeEverything();
    DestroyMCI();
    using W = std::pair<u32, u32>;
    EXPECT_EQ(mixer.writes, (std::vector<W>{{10, 30000}, {11, 65535}}));
}

TEST_F(MixerTest, AFailedLookUpAtExitWritesTheValueReadAtStart) {
    InitializeMCI();
    mixer.destinations[1].line.controlsFail = true;
    ChangeEverything();
    DestroyMCI();
    ASSERT_FALSE(mixer.writes.empty());
    EXPECT_EQ(mixer.writes[0], (std::pair<u32, u32>{10, 30000}));
}

TEST_F(MixerTest, TheLastSpeakersDestinationWithAVolumeIsTheMaster) {
    testing_support::FakeMixer::Destination second;
    second.line = MakeLine(platform::MIXERLINE_COMPONENTTYPE_DST_SPEAKERS, "Headphones", {{50, 0x50030001, 444}});
    mixer.destinations.push_back(second);
    InitializeMCI();
    EXPECT_EQ(GetMixerRecords()[0].savedValue, 444u);
    EXPECT_EQ(GetMixerRecords()[1].savedValue, 70000u);
    DestroyMCI();
}

TEST_F(MixerTest, AMixerThatWillNotOpenLeavesNothingToRestore) {
    mixer.openFails = true;
    InitializeMCI();
    EXPECT_TRUE(capture.Logged("  エラー : ミキサーデバイスのオープンに失敗\n"));
    EXPECT_EQ(IsMixerReady(), 0u);
    mixer.openFails = false;
    DestroyMCI();
    EXPECT_TRUE(mixer.writes.empty());
}

TEST_F(MixerTest, UnreadableCapabilitiesFindNoLines) {
    mixer.capsFail = true;
    InitializeMCI();
    EXPECT_TRUE(capture.Logged("  ミキサーデバイス情報の取得に失敗\n"));
    EXPECT_EQ(IsMixerReady(), 1u);
    DestroyMCI();
    EXPECT_TRUE(mixer.writes.empty());
}

}  // namespace
