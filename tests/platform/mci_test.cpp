#include "platform/mci.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "platform/window.h"
#include "tests/support/temp_dir.h"

namespace {

class MciInterpreterTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::ResetMci();
        platform::SetMciNotifySink([this](std::uint32_t message, std::uintptr_t flag, std::intptr_t id) {
            EXPECT_EQ(message, platform::MM_MCINOTIFY);
            notices.emplace_back(static_cast<std::uint32_t>(flag), static_cast<std::uint32_t>(id));
        });
        file = dir.str() + "/tune.mid";
        std::FILE* f = std::fopen(file.c_str(), "wb");
        std::fputs("MThd0123456789", f);  // 14 bytes
        std::fclose(f);
    }
    void TearDown() override {
        platform::SetMciNotifySink({});
        platform::ResetMci();
    }
    std::uint32_t Send(const std::string& command, bool callback = false) {
        reply = "(unchanged)";
        char buffer[256];
        std::snprintf(buffer, sizeof buffer, "%s", reply.c_str());
        const std::uint32_t result = platform::mciSendStringA(command.c_str(), buffer, sizeof buffer, callback);
        reply = buffer;
        return result;
    }
    testing_support::TempDir dir;
    std::string file;
    std::string reply;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> notices;
};

TEST_F(MciInterpreterTest, TheCdDriveOpensButHasNoDisc) {
    ASSERT_EQ(Send("open cdaudio"), 0u);
    EXPECT_EQ(Send("status cdaudio mode"), 0u);
    EXPECT_EQ(reply, "not ready");
    EXPECT_EQ(Send("status cdaudio media present"), 0u);
    EXPECT_EQ(reply, "false");
    EXPECT_EQ(Send("status cdaudio number of tracks"), platform::MCIERR_DEVICE_NOT_READY);
    EXPECT_EQ(reply, "(unchanged)");
    EXPECT_EQ(Send("play cdaudio from 0 to 100 notify", true), platform::MCIERR_DEVICE_NOT_READY);
    EXPECT_TRUE(notices.empty());
    EXPECT_EQ(Send("open cdaudio"), platform::MCIERR_DEVICE_OPEN);
    EXPECT_EQ(Send("close cdaudio"), 0u);
}

TEST_F(MciInterpreterTest, AFailedCommandLeavesTheReplyAlone) {
    for (const char* command :
         {"status wave mode", "frobnicate wave", "", "play", "open nofile.wav alias x", "open a.txt alias y"}) {
        EXPECT_NE(Send(command), 0u) << command;
        EXPECT_EQ(reply, "(unchanged)") << command;
    }
    EXPECT_EQ(Send("status wave mode"), platform::MCIERR_INVALID_DEVICE_NAME);
    EXPECT_EQ(Send("frobnicate wave"), platform::MCIERR_UNRECOGNIZED_COMMAND);
    EXPECT_EQ(Send("open nofile.wav alias x"), platform::MCIERR_FILE_NOT_FOUND);
}

TEST_F(MciInterpreterTest, PlaysSeeksAndNotifiesOfTheirEnds) {
    ASSERT_EQ(Send("open " + file + " alias midi"), 0u);
    const std::uint32_t id = platform::MciDeviceId("MIDI");
    ASSERT_NE(id, 0u);
    EXPECT_EQ(Send("status midi length"), 0u);
    EXPECT_EQ(reply, "14");
    EXPECT_EQ(Send("play midi notify", true), 0u);
    EXPECT_EQ(Send("status midi mode"), 0u);
    EXPECT_EQ(reply, "playing");
    // A new play supersedes the pending notification.
    EXPECT_EQ(Send("play midi from 4 notify", true), 0u);
    ASSERT_TRUE(platform::EndMciPlay("midi"));
    EXPECT_FALSE(platform::EndMciPlay("midi")) << "no longer playing";
    using N = std::pair<std::uint32_t, std::uint32_t>;
    EXPECT_EQ(notices, (std::vector<N>{{platform::MCI_NOTIFY_SUPERSEDED, id}, {platform::MCI_NOTIFY_SUCCESSFUL, id}}));
    EXPECT_EQ(Send("status midi mode"), 0u);
    EXPECT_EQ(reply, "stopped");
    EXPECT_EQ(Send("status midi position"), 0u);
    EXPECT_EQ(reply, "14");
    EXPECT_EQ(Send("seek midi to start"), 0u);
    EXPECT_EQ(Send("status midi position"), 0u);
    EXPECT_EQ(reply, "0");
    // A stop aborts a pending notification; without a callback nothing is posted.
    notices.clear();
    EXPECT_EQ(Send("play midi notify", true), 0u);
    EXPECT_EQ(Send("stop midi"), 0u);
    EXPECT_EQ(Send("play midi notify", false), 0u);
    EXPECT_TRUE(platform::EndMciPlay("midi"));
    EXPECT_EQ(notices, (std::vector<N>{{platform::MCI_NOTIFY_ABORTED, id}}));
    EXPECT_EQ(Send("play midi from 10 to 20"), platform::MCIERR_OUTOFRANGE);
    EXPECT_EQ(Send("close midi"), 0u);
    EXPECT_EQ(platform::MciDeviceId("midi"), 0u);
}

TEST_F(MciInterpreterTest, AnInsertedDiscPlaysATrackRange) {
    ASSERT_EQ(Send("open cdaudio"), 0u);
    platform::SetMciDisc(true, 5000);
    EXPECT_EQ(Send("status cdaudio mode"), 0u);
    EXPECT_EQ(reply, "stopped");
    EXPECT_EQ(Send("play cdaudio from 100 to 900 notify", true), 0u);
    EXPECT_TRUE(platform::EndMciPlay("cdaudio"));
    EXPECT_EQ(Send("status cdaudio position"), 0u);
    EXPECT_EQ(reply, "900");
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].first, platform::MCI_NOTIFY_SUCCESSFUL);
}

}  // namespace
