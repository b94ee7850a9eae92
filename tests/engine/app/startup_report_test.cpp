#include <gtest/gtest.h>

#include <string>

#include "engine/app/startup_report.h"
#include "engine/core/application.h"
#include "platform/system.h"

namespace {

class TextInputTest : public ::testing::Test {
protected:
    void SetUp() override { InitializeTextInput(); }
    void TearDown() override { DestroyTextInput(); }
    static void Type(const std::string& bytes) {
        for (unsigned char c : bytes) TextInputChar(c);
    }
};

TEST_F(TextInputTest, BackspaceRemovesTheLastLetter) {
    Type("ab");
    TextInputChar(8);
    EXPECT_EQ(TextInputString(), "a");
    TextInputChar(8);
    EXPECT_EQ(TextInputString(), "");
    TextInputChar(8);  // nothing left: no effect
    EXPECT_EQ(TextInputString(), "");
}

TEST_F(TextInputTest, BackspaceRemovesADoubleByteCharacterWhole) {
    const std::string kana = platform::Utf8ToSjis("あ");
    ASSERT_EQ(kana.size(), 2u);
    Type("x" + kana);
    TextInputBackspace();
    EXPECT_EQ(TextInputString(), "x");
    Type(kana);
    TextInputBackspace();
    TextInputBackspace();
    EXPECT_EQ(TextInputString(), "");
}

TEST_F(TextInputTest, EnterAndEscapeAreIgnored) {
    Type(
        "a\r\x1b"
        "b");
    EXPECT_EQ(TextInputString(), "ab");
}

TEST_F(TextInputTest, TheTwoHundredFiftySeventhCharacterIsDropped) {
    for (int i = 0; i < 256; ++i) TextInputChar('a' + i % 26);
    EXPECT_EQ(TextInputString().size(), 256u);
    TextInputChar('!');
    EXPECT_EQ(TextInputString().size(), 256u);
    EXPECT_EQ(TextInputString().back(), 'a' + 255 % 26);
}

TEST(TextInputWithoutContext, TypingDoesNothing) {
    DestroyTextInput();
    TextInputChar('a');
    EXPECT_EQ(TextInputString(), "");
}

TEST(ThreadTableTest, NestedSuspendSuspendsOnce) {
    InitializeThread();
    ThreadTable& t = Threads();
    t.slots[3].inUse = true;
    t.slots[3].running = true;
    std::atomic<int> pauses{0};
    t.slots[3].thread = std::thread([&] {
        bool was = false;
        while (t.slots[3].running) {
            bool now = t.slots[3].paused;
            if (now && !was) ++pauses;
            was = now;
            std::this_thread::yield();
        }
    });
    SuspendAllThreads();
    SuspendAllThreads();
    EXPECT_TRUE(t.suspended);
    EXPECT_TRUE(t.slots[3].paused);
    ResumeAllThreads();
    EXPECT_FALSE(t.slots[3].paused);
    ResumeAllThreads();
    EXPECT_FALSE(t.suspended);
    EXPECT_EQ(DestroyThread(), 0);
    EXPECT_FALSE(t.slots[3].inUse);
    EXPECT_LE(pauses.load(), 1);
}

TEST(StartupLogTest, NothingIsKeptWithTheFlagOff) {
    ResetApplicationState();
    App().hasWindow = true;
    StartupLog() = StartupLogLines();
    SetDrawStartupLog(0);
    DrawStartupLog(" -> Create Window...");
    EXPECT_EQ(StartupLog().count, 0);
    SetDrawStartupLog(1);
    for (int i = 0; i < 40; ++i) DrawStartupLog("line");
    EXPECT_EQ(StartupLog().count, 32);
    ResetApplicationState();
}

TEST(SjisLeadBytes, Ranges) {
    EXPECT_EQ(IsSjisLeadByte(0x80), 0);
    EXPECT_EQ(IsSjisLeadByte(0x81), 1);
    EXPECT_EQ(IsSjisLeadByte(0x9F), 1);
    EXPECT_EQ(IsSjisLeadByte(0xA0), 0);
    EXPECT_EQ(IsSjisLeadByte(0xDF), 0);
    EXPECT_EQ(IsSjisLeadByte(0xE0), 1);
    EXPECT_EQ(IsSjisLeadByte(0xFE), 1);
    EXPECT_EQ(IsSjisLeadByte(0xFF), 0);
}

}  // namespace
