#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "engine/app/application_main.h"
#include "engine/app/run_options.h"
#include "engine/app/startup_report.h"
#include "engine/core/application.h"
#include "platform/clock.h"
#include "platform/gfx/device.h"
#include "platform/system.h"
#include "platform/window.h"
#include "tests/support/temp_dir.h"

namespace {

struct PacingCase {
    u32 work;
    i32 rate;
    i64 sleep;
};

void PrintTo(const PacingCase& c, std::ostream* os) {
    *os << c.work << " ms of work at " << c.rate << " frames a second";
}

class PacingTest : public ::testing::TestWithParam<PacingCase> {};

TEST_P(PacingTest, SleepsWhatIsLeftOfTheFrame) {
    const PacingCase c = GetParam();
    EXPECT_EQ(PacingSleepMs(c.work, c.rate), c.sleep);
}

INSTANTIATE_TEST_SUITE_P(Frames, PacingTest,
                         ::testing::Values(PacingCase{0, 60, 16}, PacingCase{10, 60, 6}, PacingCase{16, 60, 0},
                                           PacingCase{17, 60, 0}, PacingCase{100, 60, 0}, PacingCase{0, 0, 0},
                                           PacingCase{0, 30, 33},
                                           // Ten hours idle: 60 x e no longer fits 32 bits.
                                           PacingCase{36000000u, 60, 0}, PacingCase{0xFFFFFFFFu, 60, 0}),
                         [](const ::testing::TestParamInfo<PacingCase>& testInfo) {
                             return "Work" + std::to_string(testInfo.param.work) + "MsAt" +
                                    std::to_string(testInfo.param.rate) + "Fps";
                         });

// FrameSync through a virtual clock: the frame's work is advanced by hand.
class FrameSyncTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetApplicationState();
        platform::SetClock(&clock_);
        App().frameTimeStamp = clock_.NowMs();
    }
    void TearDown() override { platform::SetClock(nullptr); }
    platform::VirtualClock clock_{1000};
};

TEST_F(FrameSyncTest, IdleFrameLastsSixteenMilliseconds) {
    u32 start = clock_.NowMs();
    FrameSync();
    EXPECT_EQ(clock_.NowMs() - start, 16u);
    EXPECT_EQ(App().frameTimeStamp, clock_.NowMs());
}

TEST_F(FrameSyncTest, FrameRateZeroNeverSleeps) {
    App().frameRate = 0;
    for (int i = 0; i < 5; ++i) FrameSync();
    EXPECT_EQ(clock_.SleepCalls(), 0);
}

TEST_F(FrameSyncTest, LongIdleDoesNotSleepMoreThanOneFrame) {
    clock_.Advance(10u * 3600u * 1000u);
    FrameSync();
    EXPECT_EQ(clock_.TotalSlept(), 0u);
    // The clock wrapping past 2^32 is no different.
    App().frameTimeStamp = 0xFFFFFFF0u;
    FrameSync();
    EXPECT_LE(clock_.TotalSlept(), 16u);
}

TEST_F(FrameSyncTest, CountsFramesPerSecond) {
    FrameSync();  // starts the second
    for (int i = 0; i < 70; ++i) {
        AddFrameCount(1);
        FrameSync();
    }
    EXPECT_GE(App().lastSecondFrames, 60);
    EXPECT_LE(App().lastSecondFrames, 63);
}

// A window on SDL's dummy driver, with the frame's window procedure.
class PumpTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetApplicationState();
        platform::SetClock(&clock_);
        std::string error;
        ASSERT_TRUE(platform::InitVideo(true, error)) << error;
        platform::WindowDesc desc;
        ASSERT_TRUE(platform::CreateMainWindow(desc, WindowProc));
        App().hasWindow = true;
        platform::ClearAppMessages();
        hookCalls().clear();
    }
    void TearDown() override {
        platform::ShutdownVideo();
        platform::SetClock(nullptr);
        ResetApplicationState();
    }
    static std::vector<std::string>& hookCalls() {
        static std::vector<std::string> calls;
        return calls;
    }
    static void EscapeHook(std::uintptr_t wParam, std::intptr_t) {
        hookCalls().push_back("key " + std::to_string(wParam));
        if (wParam == platform::VK_ESCAPE) ApplicationExit();
    }
    platform::VirtualClock clock_;
};

TEST_F(PumpTest, RunsFramesWhileActive) {
    EXPECT_EQ(ApplicationPump(), 1);
    EXPECT_EQ(ApplicationPump(), 1);
}

TEST_F(PumpTest, EscapeEndsTheRunInsideTheSamePumpCall) {
    ASSERT_EQ(AddMessageHook(platform::WM_KEYDOWN, EscapeHook), 1);
    platform::PostAppMessage(platform::WM_KEYDOWN, 'Z', 0);
    platform::PostAppMessage(platform::WM_KEYDOWN, platform::VK_ESCAPE, 0);
    EXPECT_EQ(ApplicationPump(), 0);
    EXPECT_EQ(hookCalls(), (std::vector<std::string>{"key 90", "key 27"}));
    EXPECT_FALSE(platform::HasMainWindow());
    EXPECT_FALSE(HasWindow());
    // From then on the pump keeps reporting the end.
    EXPECT_EQ(ApplicationPump(), 0);
    EXPECT_EQ(App().lastMessageWParam, 0u);
}

TEST_F(PumpTest, CloseBoxEndsTheRun) {
    platform::PostAppMessage(platform::WM_CLOSE);
    EXPECT_EQ(ApplicationPump(), 0);
}

TEST_F(PumpTest, InactiveApplicationRunsNoFrameUntilItReturns) {
    // While inactive the pump keeps waiting for messages; the frame only comes
    // once the focus is back.
    platform::PostAppMessage(platform::WM_ACTIVATEAPP, 0, 0);
    std::thread later([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        platform::PostAppMessage(platform::WM_ACTIVATEAPP, 1, 0);
    });
    EXPECT_EQ(ApplicationPump(), 1);
    later.join();
    EXPECT_EQ(App().active, 1);
    EXPECT_EQ(clock_.SleepCalls(), 1);  // one pacing for the one frame
    // Deactivated and closed: the quit still ends the run.
    platform::PostAppMessage(platform::WM_ACTIVATEAPP, 0, 0);
    platform::PostAppMessage(platform::WM_CLOSE);
    EXPECT_EQ(ApplicationPump(), 0);
    EXPECT_EQ(App().active, 1);  // WM_QUIT marks the application active again
}

TEST_F(PumpTest, WindowMessagesReachTheFrame) {
    platform::PostAppMessage(platform::WM_MOVE, 0, static_cast<std::intptr_t>((0xFFF6u << 16) | 0x0020u));
    ApplicationPump();
    EXPECT_EQ(App().windowX, 32);
    EXPECT_EQ(App().windowY, -10);
}

TEST(MessageHooks, SixtyFifthHookIsRefused) {
    ResetApplicationState();
    auto hook = [](std::uintptr_t, std::intptr_t) {};
    for (int i = 0; i < 64; ++i) ASSERT_EQ(AddMessageHook(0x100, hook), 1) << i;
    EXPECT_EQ(AddMessageHook(0x100, hook), 0);
    EXPECT_EQ(App().hookCount, 64);
    ResetApplicationState();
}

TEST(SubsystemMask, GraphicsBitIsAlwaysOn) {
    ResetApplicationState();
    SetUseSubsystems(0x12);
    EXPECT_EQ(App().SubsystemMask, 0x13u);
    SetUseSubsystems(0x100);
    EXPECT_EQ(App().SubsystemMask, 0x101u);
    EXPECT_EQ(IsThreadedInitialize(), 1);
    ResetApplicationState();
}

std::vector<std::string>& Boxes() {
    static std::vector<std::string> boxes;
    return boxes;
}

void CatchBox(std::uint32_t type, const std::string& caption, const std::string& text) {
    Boxes().push_back(std::to_string(type) + "|" + caption + "|" + platform::SjisToUtf8(text));
}

int g_gameMainCalls = 0;
std::string g_copyFolder;
// The program's folder of a copy: the guard is the folder itself.
void FolderSetup() {
    std::snprintf(App().applicationFolder, sizeof App().applicationFolder, "%s", g_copyFolder.c_str());
}
i32 CountingMain(int, char**) {
    ++g_gameMainCalls;
    return 0;
}

TEST(SingleCopy, SecondRunningCopyIsRefused) {
    ResetApplicationState();
    Options() = RunOptions();
    Options().headless = true;
    platform::SetMessageBoxSink(CatchBox);
    Boxes().clear();
    g_gameMainCalls = 0;
    testing_support::TempDir folder;
    g_copyFolder = folder.str();
    platform::SingleInstanceLock first;
    ASSERT_TRUE(first.Acquire(folder.str()));
    SetGameCallbacks(FolderSetup, CountingMain);
    // Refused, and the status says so (scripts take 0 as success).
    EXPECT_EQ(ApplicationMain(0, nullptr), 1);
    EXPECT_EQ(g_gameMainCalls, 0);
    EXPECT_FALSE(platform::HasMainWindow());
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0], "16|Error|2重起動は出来ません");
    // A copy in another folder is not this one's concern.
    {
        testing_support::TempDir other;
        platform::SingleInstanceLock elsewhere;
        EXPECT_TRUE(elsewhere.Acquire(other.str()));
    }
    // Once the first copy ends, a new one starts, and nothing is left in the
    // folder.
    first.Release();
    ResetApplicationState();
    Boxes().clear();
    EXPECT_EQ(ApplicationMain(0, nullptr), 0);
    EXPECT_EQ(g_gameMainCalls, 1);
    EXPECT_TRUE(Boxes().empty());
    EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
    platform::SetMessageBoxSink(nullptr);
    SetGameCallbacks(nullptr, nullptr);
    ResetApplicationState();
}

void ExitingSetup() { ApplicationExit(); }

TEST(ApplicationMainTest, ExitDuringSetupCreatesNothing) {
    ResetApplicationState();
    g_gameMainCalls = 0;
    SetGameCallbacks(ExitingSetup, CountingMain);
    EXPECT_EQ(ApplicationMain(0, nullptr), 0);
    EXPECT_EQ(g_gameMainCalls, 0);
    EXPECT_FALSE(platform::HasMainWindow());
    SetGameCallbacks(nullptr, nullptr);
    ResetApplicationState();
}

i32 PumpingMain(int, char**) {
    while (ApplicationPump()) ++g_gameMainCalls;
    return 0;
}

// The runs below take a program folder of their own: the single-copy guard is
// the folder, and the other tests of this program may run at the same time.
TEST(ApplicationMainTest, FrameLimitEndsAfterExactlyThatManyFrames) {
    ResetApplicationState();
    Options() = RunOptions();
    Options().headless = true;
    Options().frameLimit = 25;
    g_gameMainCalls = 0;
    testing_support::TempDir folder;
    g_copyFolder = folder.str();
    SetGameCallbacks(FolderSetup, PumpingMain);
    EXPECT_EQ(ApplicationMain(0, nullptr), 0);
    EXPECT_EQ(g_gameMainCalls, 25);
    SetGameCallbacks(nullptr, nullptr);
    Options() = RunOptions();
    ResetApplicationState();
}

bool g_drawingDuringRun = true;

i32 DrawingMain(int, char**) {
    g_drawingDuringRun = platform::gfx::DrawingEnabled();
    return 0;
}

// --no-draw switches the device's drawing off for the run, and only for it.
TEST(ApplicationMainTest, NoDrawSwitchesDrawingOffForTheRun) {
    testing_support::TempDir folder;
    g_copyFolder = folder.str();
    for (bool noDraw : {true, false}) {
        ResetApplicationState();
        Options() = RunOptions();
        Options().headless = true;
        Options().noDraw = noDraw;
        SetGameCallbacks(FolderSetup, DrawingMain);
        EXPECT_EQ(ApplicationMain(0, nullptr), 0);
        EXPECT_EQ(g_drawingDuringRun, !noDraw);
        EXPECT_TRUE(platform::gfx::DrawingEnabled());
        SetGameCallbacks(nullptr, nullptr);
        Options() = RunOptions();
        ResetApplicationState();
    }
}

TEST(RunOptionsTest, ParsesTheRunnerOptions) {
    const char* argv[] = {"tolvarin",         "--headless", "--frames",       "300", "--input",         "in.bin",
                          "--hash-every",     "60",         "--status-every", "7",   "--screenshot-at", "1,50,300",
                          "--screenshot-dir", "out",        "--hash-parts",   "30"};
    RunOptions o;
    std::string error;
    ASSERT_TRUE(ParseRunOptions(16, const_cast<char**>(argv), o, error)) << error;
    EXPECT_TRUE(o.headless);
    EXPECT_EQ(o.frameLimit, 300);
    EXPECT_EQ(o.inputFile, "in.bin");
    EXPECT_EQ(o.hashEvery, 60);
    EXPECT_EQ(o.hashPartsEvery, 30);
    EXPECT_EQ(o.statusEvery, 7);
    EXPECT_EQ(o.screenshotAt, (std::vector<i64>{1, 50, 300}));
    EXPECT_EQ(o.screenshotDir, "out");
}

// The largest numbers the options hold; --help parses without running.
TEST(RunOptionsTest, TakesNumbersUpToTheLimitAndHelp) {
    const char* argv[] = {"tolvarin",   "--frames",        "2147483647",   "--hash-every",
                          "2147483647", "--screenshot-at", "0,2147483647", "--help"};
    RunOptions o;
    std::string error;
    ASSERT_TRUE(ParseRunOptions(8, const_cast<char**>(argv), o, error)) << error;
    EXPECT_EQ(o.frameLimit, kMaxRunFrames);
    EXPECT_EQ(o.hashEvery, 0x7FFFFFFF);
    EXPECT_EQ(o.screenshotAt, (std::vector<i64>{0, kMaxRunFrames}));
    EXPECT_TRUE(o.help);
}

TEST(RunOptionsTest, NoDrawAndFrameTimes) {
    const char* argv[] = {"tolvarin", "--no-draw", "--frame-times", "times.txt"};
    RunOptions o;
    std::string error;
    ASSERT_TRUE(ParseRunOptions(4, const_cast<char**>(argv), o, error)) << error;
    EXPECT_TRUE(o.noDraw);
    EXPECT_EQ(o.frameTimesFile, "times.txt");
    // A run that draws nothing has nothing to photograph.
    const char* shots[] = {"tolvarin", "--screenshot-at", "5", "--no-draw"};
    EXPECT_FALSE(ParseRunOptions(4, const_cast<char**>(shots), o, error));
    EXPECT_NE(error.find("--no-draw"), std::string::npos) << error;
    const char* missing[] = {"tolvarin", "--frame-times"};
    EXPECT_FALSE(ParseRunOptions(2, const_cast<char**>(missing), o, error));
}

// --draw-frames draws only its ranges (ends included); --no-draw draws none.
TEST(RunOptionsTest, DrawThreadsAndDrawnFrames) {
    const char* argv[] = {"tolvarin",  "--draw-threads",       "16", "--draw-frames",
                          "3-3,10-12", "--picture-hash-every", "2"};
    RunOptions o;
    std::string error;
    ASSERT_TRUE(ParseRunOptions(7, const_cast<char**>(argv), o, error)) << error;
    EXPECT_EQ(o.drawThreads, 16);
    EXPECT_EQ(o.pictureHashEvery, 2);
    std::vector<i64> drawn;
    for (i64 n = 1; n <= 14; ++n) {
        if (FrameDrawn(o, n)) drawn.push_back(n);
    }
    EXPECT_EQ(drawn, (std::vector<i64>{3, 10, 11, 12}));
    o.noDraw = true;
    EXPECT_FALSE(FrameDrawn(o, 3));
    EXPECT_TRUE(FrameDrawn(RunOptions(), 1));
    EXPECT_EQ(RunOptions().drawThreads, 0);  // not named: DefaultDrawThreads
}

// Unnamed, a run without a window draws on one thread whatever the machine;
// with a window on half the processors, from one up to four.
TEST(RunOptionsTest, DefaultDrawThreads) {
    struct Case {
        bool headless;
        int processors;
        i32 threads;
    };
    const Case cases[] = {{true, 1, 1},  {true, 64, 1}, {false, 1, 1}, {false, 2, 1},
                          {false, 3, 1}, {false, 4, 2}, {false, 8, 4}, {false, 64, 4}};
    for (const Case& c : cases) {
        EXPECT_EQ(DefaultDrawThreads(c.headless, c.processors), c.threads)
            << "headless " << c.headless << ", " << c.processors << " processors";
    }
    EXPECT_GE(platform::UsableProcessors(), 1);
}

TEST(RunOptionsTest, RejectsBadOptions) {
    struct Bad {
        std::vector<const char*> args;
    };
    // clang-format off
    for (const Bad& b : {Bad{{"x", "--frames"}}, Bad{{"x", "--frames", "-3"}}, Bad{{"x", "--frames", "12a"}},
                         Bad{{"x", "--frames", "99999999999999999999"}}, Bad{{"x", "--frames", "2147483648"}},
                         Bad{{"x", "--frames", "+5"}}, Bad{{"x", "--frames", " 5"}}, Bad{{"x", "--frames", ""}},
                         Bad{{"x", "--hash-every", "0"}}, Bad{{"x", "--hash-every", "4294967297"}},
                         Bad{{"x", "--status-every", "0"}}, Bad{{"x", "--status-every"}},
                         Bad{{"x", "--hash-parts", "0"}}, Bad{{"x", "--hash-parts"}},
                         Bad{{"x", "--screenshot-at", "1,,2"}},
                         Bad{{"x", "--screenshot-at", "5,18446744073709551616"}}, Bad{{"x", "--fast"}},
                         Bad{{"x", "--draw-threads", "0"}}, Bad{{"x", "--draw-threads", "17"}},
                         Bad{{"x", "--draw-threads"}}, Bad{{"x", "--draw-frames", "5"}},
                         Bad{{"x", "--draw-frames", "0-5"}}, Bad{{"x", "--draw-frames", "9-5"}},
                         Bad{{"x", "--draw-frames", "1-5,,7-8"}}, Bad{{"x", "--draw-frames", "1-2-3"}},
                         Bad{{"x", "--picture-hash-every", "0"}},
                         Bad{{"x", "--draw-frames", "1-5", "--screenshot-at", "3"}}}) {
        RunOptions o;
        std::string error;
        EXPECT_FALSE(ParseRunOptions(static_cast<int>(b.args.size()), const_cast<char**>(b.args.data()), o, error))
            << b.args.back();
        EXPECT_FALSE(error.empty());
    }
    // clang-format on
}

}  // namespace
