// Starting and stopping the services through the subsystem mask, their
// command tables and their failures.
#include <gtest/gtest.h>

#include <mutex>
#include <ostream>
#include <string>
#include <vector>

#include "engine/core/application.h"
#include "engine/services/service_internal.h"
#include "engine/services/service_ring.h"
#include "engine/services/services.h"
#include "engine/services/mci.h"
#include "platform/mci.h"
#include "platform/sync.h"
#include "service_test_support.h"

namespace {

// The frame's order: bits 2 to 7 up at start, down at exit.
void StartServices(u32 mask) {
    if (mask & kSubsystemDirectSound) InitializeDirectSound();
    if (mask & kSubsystemDirectMusic) InitializeDirectMusic();
    if (mask & kSubsystemDirectShow) InitializeDirectShow();
    if (mask & kSubsystemDirectPlay) InitializeDirectPlay();
    if (mask & kSubsystemMediaStream) InitializeMediaStream();
    if (mask & kSubsystemMCI) InitializeMCI();
}

void StopServices(u32 mask) {
    if (mask & kSubsystemMCI) DestroyMCI();
    if (mask & kSubsystemMediaStream) DestroyMediaStream();
    if (mask & kSubsystemDirectPlay) DestroyDirectPlay();
    if (mask & kSubsystemDirectShow) DestroyDirectShow();
    if (mask & kSubsystemDirectMusic) DestroyDirectMusic();
    if (mask & kSubsystemDirectSound) DestroyDirectSound();
}

constexpr u32 kAllServices = 0xFC;

class ServicesTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::ResetMci();
        platform::SetMciNotifySink([](std::uint32_t, std::uintptr_t, std::intptr_t) {});
        liveObjects = platform::LiveComObjects();
        comThreads = platform::ComInitializedThreads();
    }
    void TearDown() override {
        EXPECT_FALSE(GetRingService(ServiceId::DirectSound).Started());
        EXPECT_FALSE(GetRingService(ServiceId::DirectMusic).Started());
        EXPECT_FALSE(GetRingService(ServiceId::DirectShow).Started());
        EXPECT_EQ(platform::LiveComObjects(), liveObjects) << "a platform object leaked";
        EXPECT_EQ(platform::ComInitializedThreads(), comThreads) << "a worker left COM initialised";
        platform::SetMciNotifySink({});
        platform::ResetMci();
    }
    ServiceCapture capture;
    int liveObjects = 0;
    int comThreads = 0;
};

TEST_F(ServicesTest, EveryServiceStartsAndStopsInMaskOrder) {
    StartServices(kAllServices);
    EXPECT_TRUE(GetRingService(ServiceId::DirectSound).Started());
    EXPECT_TRUE(GetRingService(ServiceId::DirectMusic).Started());
    EXPECT_TRUE(GetRingService(ServiceId::DirectShow).Started());
    EXPECT_TRUE(DirectPlayPeerReady());
    EXPECT_TRUE(MediaStreamDirectDrawExists());
    EXPECT_NE(platform::MciDeviceId("cdaudio"), 0u);
    EXPECT_EQ(capture.DevicesOpened(), 1);
    StopServices(kAllServices);
    EXPECT_EQ(capture.DevicesClosed(), 1);
    EXPECT_FALSE(DirectPlayPeerReady());
    EXPECT_FALSE(MediaStreamDirectDrawExists());
    EXPECT_EQ(platform::MciDeviceId("cdaudio"), 0u);

    // clang-format off
    const char* order[] = {
        "Initialize DirectSound\n", "  ■ DirectSoundオブジェクトを生成\n", "  ■ 協調レベルを 優先レベル に設定\n",
        "  ■ メモリのコンパクションを実行\n", "  ■ プライマリサウンドバッファを生成\n",
        "     プライマリサウンドバッファのフォーマットを設定\n", "Initialize DirectMusic\n",
        "  ■ パフォーマンスオブジェクトを初期化\n", "Initialize DirectShow(Audio)\n", "Initialize DirectPlay\n",
        "  ■ Initialize DirectPlayPeer Object\n", "Initialize MediaStream\n", "  ■ 協調レベルを設定\n",
        "Initialize Audio Mixer\n", "Destroy MediaStream\n", "  ■ Release DirectDraw Object [参照カウント0]\n",
        "Destroy DirectPlay\n", "  ■ Release DirectPlayPeer Object [参照カウント0]\n",
        "Destroy DirectShow(Audio)\n", "Destroy DirectMusic\n",
        "  ■ DirectMusicPerformanceを解体 [参照カウント0]\n", "  ■ DirectMusicLoaderを解体 [参照カウント0]\n",
        "  ■ DirectMusicObjectを解体 [参照カウント0]\n", "  ■ DirectSoundを解体 [参照カウント0]\n",
        "Destroy DirectSound\n", "  ■ DirectSoundBufferを解体 [参照カウント0]\n",
        "  ■ DirectSoundを解体 [参照カウント0]\n"};
    // clang-format on
    const std::string log = capture.Log();
    std::size_t at = 0;
    for (const char* line : order) {
        const std::size_t found = log.find(line, at);
        ASSERT_NE(found, std::string::npos) << "missing or out of order: " << line << "\n" << log;
        at = found + 1;
    }
    EXPECT_TRUE(capture.Boxes().empty());
}

TEST_F(ServicesTest, TheGameMaskRunsOnlyTheDirectShowWorkerAndJoinsIt) {
    const u32 gameMask = 0x13;
    StartServices(gameMask);
    EXPECT_TRUE(GetRingService(ServiceId::DirectShow).Started());
    EXPECT_FALSE(GetRingService(ServiceId::DirectSound).Started());
    EXPECT_FALSE(GetRingService(ServiceId::DirectMusic).Started());
    EXPECT_EQ(capture.DevicesOpened(), 0);
    StopServices(gameMask);
    EXPECT_FALSE(GetRingService(ServiceId::DirectShow).Started());
    EXPECT_EQ(capture.Log(),
              "\n============================================== Initialize DirectShow(Audio)\n"
              "\n============================================== Destroy DirectShow(Audio)\n");
}

TEST_F(ServicesTest, EveryDestroyToleratesAMissingInitialize) {
    StopServices(kAllServices);
    for (const char* banner : {"Destroy MediaStream\n", "Destroy DirectPlay\n", "Destroy DirectShow(Audio)\n",
                               "Destroy DirectMusic\n", "Destroy DirectSound\n"}) {
        EXPECT_TRUE(capture.Logged(banner)) << banner;
    }
    EXPECT_FALSE(capture.Logged("解体"));
    EXPECT_FALSE(capture.Logged("Release"));
}

TEST_F(ServicesTest, ServicesStartAgainAfterAStop) {
    for (int round = 0; round < 2; ++round) {
        StartServices(kAllServices);
        StopServices(kAllServices);
    }
    EXPECT_EQ(capture.DevicesOpened(), 2);
    EXPECT_EQ(capture.DevicesClosed(), 2);
}

struct FaultCase {
    const char* name;
    platform::Fault fault;
    std::vector<const char*> logged;
    std::vector<const char*> notLogged;
    std::vector<u32> boxTypes;
};

void PrintTo(const FaultCase& c, std::ostream* os) { *os << c.name; }

class ServiceFaultTest : public ServicesTest, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(ServiceFaultTest, AFailedPlatformStepIsReportedAndTheServiceStillStops) {
    const FaultCase& c = GetParam();
    testing_support::SetFault(c.fault);
    StartServices(kAllServices);
    StopServices(kAllServices);
    testing_support::ClearFaults();
    for (const char* line : c.logged) EXPECT_TRUE(capture.Logged(line)) << line << "\n" << capture.Log();
    for (const char* line : c.notLogged) EXPECT_FALSE(capture.Logged(line)) << line << "\n" << capture.Log();
    std::vector<u32> types;
    for (const auto& box : capture.Boxes()) {
        EXPECT_EQ(box.caption, "Error");
        EXPECT_EQ(box.text, kDirectXMissingText);
        types.push_back(box.type);
    }
    EXPECT_EQ(types, c.boxTypes);
    EXPECT_EQ(capture.DevicesOpened(), capture.DevicesClosed());
}

const FaultCase kFaultCases[] = {
    // clang-format off
    {"CreateDirectSound", platform::Fault::CreateDirectSound,
     {"  エラー : DirectSoundオブジェクトの生成に失敗\n", "    [ DirectX8.1以降をインストールしてください。 ]\n"},
     {"DirectSoundBufferを解体", "  ■ DirectSoundオブジェクトを生成\n"},
     {0x10}},
    {"DirectSoundInitialize", platform::Fault::DirectSoundInitialize,
     {"  ■ DirectSoundオブジェクトを生成\n  エラー : DirectSoundオブジェクトの生成に失敗\n",
      "Destroy DirectSound\n  ■ DirectSoundを解体 [参照カウント0]\n"},
     {"協調レベルを 優先", "DirectSoundBufferを解体"},
     {}},
    {"DirectSoundPriorityLevel", platform::Fault::DirectSoundPriorityLevel,
     {"  ■ 協調レベルを 通常レベル に設定\n  エラー : メモリのコンパクションに失敗\n  ■ プライマリサウンドバッファを生成\n"},
     {"優先レベル"},
     {}},
    {"DirectSoundNormalLevel", platform::Fault::DirectSoundNormalLevel, {"優先レベル に設定"}, {"通常レベル"}, {}},
    {"CreateSoundBuffer", platform::Fault::CreateSoundBuffer,
     {"  エラー : プライマリサウンドバッファの生成に失敗\n", "Destroy DirectSound\n  ■ DirectSoundを解体"},
     {"DirectSoundBufferを解体"},
     {}},
    {"SoundBufferSetFormat", platform::Fault::SoundBufferSetFormat,
     {"  ■ プライマリサウンドバッファを生成\n\n", "DirectSoundBufferを解体"},
     {"フォーマットを設定"},
     {}},
    {"CreateDirectMusicLoader", platform::Fault::CreateDirectMusicLoader,
     {"  エラー : DirectMusicLoaderの生成に失敗\n    [ DirectX8.1以降をインストールしてください。 ]\n"},
     {"パフォーマンスオブジェクトを生成", "DirectMusicPerformanceを解体", "DirectMusicLoaderを解体"},
     {0x10}},
    {"CreateDirectMusicPerformance", platform::Fault::CreateDirectMusicPerformance,
     {"  エラー : パフォーマンスオブジェクトの生成に失敗\n", "DirectMusicLoaderを解体 [参照カウント0]"},
     {"DirectMusicPerformanceを解体"},
     {0x10}},
    {"PerformanceInitAudio", platform::Fault::PerformanceInitAudio,
     {"  エラー : パフォーマンスオブジェクトの初期化に失敗\n",
      "Destroy DirectMusic\n  ■ DirectMusicPerformanceを解体 [参照カウント0]\n  ■ DirectMusicLoaderを解体 "
      "[参照カウント0]\n\n"},
     {"DirectMusicObjectを解体"},
     {}},
    {"CreateDirectPlayPeer", platform::Fault::CreateDirectPlayPeer,
     {"  Error Can't Create DirectPlayPeer Object\n", "Destroy DirectPlay\n"},
     {"Release DirectPlayPeer"},
     {0x00}},
    {"DirectPlayPeerInitialize", platform::Fault::DirectPlayPeerInitialize,
     {"  Error Can't Initialize DirectPlayPeer Object\n", "Release DirectPlayPeer Object [参照カウント0]"},
     {},
     {}},
    {"CreateDirectDraw", platform::Fault::CreateDirectDraw,
     {"  エラー : DirectDrawオブジェクトの生成に失敗\n"},
     {"Release DirectDraw"},
     {}},
    {"DirectDrawInitialize", platform::Fault::DirectDrawInitialize,
     {"  エラー : DirectDrawオブジェクトの初期化に失敗\n", "Release DirectDraw Object [参照カウント0]"},
     {},
     {}},
    {"DirectDrawCooperativeLevel", platform::Fault::DirectDrawCooperativeLevel,
     {"  ■ DirectDrawオブジェクトを初期化\n  エラー : 協調レベルの設定に失敗\n",
      "Release DirectDraw Object [参照カウント0]"},
     {},
     {}},
    {"ThreadCreate", platform::Fault::ThreadCreate,
     {"  エラー : DirectSound のスレッドの生成に失敗\n", "  エラー : DirectMusic のスレッドの生成に失敗\n",
      "  エラー : DirectShow(Audio) のスレッドの生成に失敗\n", "  エラー : DirectPlay のスレッドの生成に失敗\n"},
     {"解体", "DirectPlayPeer"},
     {}},
    // clang-format on
};

INSTANTIATE_TEST_SUITE_P(Faults, ServiceFaultTest, ::testing::ValuesIn(kFaultCases),
                         [](const ::testing::TestParamInfo<FaultCase>& testInfo) { return testInfo.param.name; });

TEST_F(ServicesTest, InitializeReportsAThreadThatCouldNotStart) {
    testing_support::SetFault(platform::Fault::ThreadCreate);
    EXPECT_EQ(InitializeDirectShow(), 0u);
    EXPECT_EQ(InitializeDirectPlay(), 0u);
    testing_support::ClearFaults();
    EXPECT_FALSE(GetRingService(ServiceId::DirectShow).Started());
    DestroyDirectShow();
    DestroyDirectPlay();
}

// ---- command tables ---------------------------------------------------

std::mutex g_opsMutex;
std::vector<std::string> g_ops;

void Note(const std::string& op) {
    std::lock_guard<std::mutex> lock(g_opsMutex);
    g_ops.push_back(op);
}

std::vector<std::string> TakeOps() {
    std::lock_guard<std::mutex> lock(g_opsMutex);
    std::vector<std::string> ops;
    ops.swap(g_ops);
    return ops;
}

std::string Arg(const void* data) { return std::to_string(ServicePayloadValue(static_cast<const u8*>(data))); }

class SoundRecorder : public DirectSoundServiceObject {
public:
    ~SoundRecorder() override { Note("destroyed"); }
    void Operation3(const void* data, const void* data2) override {
        Note("3 " + Arg(data) + " +" + std::to_string(static_cast<const u8*>(data2) - static_cast<const u8*>(data)));
    }
    void Operation4(const void* data) override { Note("4 " + Arg(data)); }
    void Operation5(u32 v) override { Note("5 " + std::to_string(v)); }
    void Operation6() override { Note("6"); }
    void Operation7() override { Note("7"); }
    void Operation8() override { Note("8"); }
    void Operation9(u32 v) override { Note("9 " + std::to_string(v)); }
    void Operation10(u32 v) override { Note("10 " + std::to_string(v)); }
    void Operation11() override { Note("11"); }
    void Operation12(u32 v) override { Note("12 " + std::to_string(v)); }
    void Operation13() override { Note("13"); }
    void Operation14() override { Note("14"); }
    void Operation15() override { Note("15"); }
    void Operation16() override { Note("16"); }
    void Operation17() override { Note("17"); }
    void Operation18() override { Note("18"); }
    void Operation19() override { Note("19"); }
};

class MusicRecorder : public DirectMusicServiceObject {
public:
    ~MusicRecorder() override { Note("destroyed"); }
    void Operation3(const void* data) override { Note("3 " + Arg(data)); }
    void Operation4(u32 v) override { Note("4 " + std::to_string(v)); }
    void Operation5() override { Note("5"); }
    void Operation6() override { Note("6"); }
    void Operation7() override { Note("7"); }
    void Operation8(u32 v) override { Note("8 " + std::to_string(v)); }
    void Operation9(u32 v) override { Note("9 " + std::to_string(v)); }
    void Operation10() override { Note("10"); }
    void Operation11(u32 v) override { Note("11 " + std::to_string(v)); }
    void Operation12() override { Note("12"); }
    void Operation13() override { Note("13"); }
    void Operation14() override { Note("14"); }
    void Operation15() override { Note("15"); }
    void Operation16() override { Note("16"); }
    void Operation17() override { Note("17"); }
    void Operation18() override { Note("18"); }
};

class ShowRecorder : public DirectShowServiceObject {
public:
    ~ShowRecorder() override { Note("destroyed"); }
    void Operation3(const void* data) override { Note("3 " + Arg(data)); }
    void Operation4(u32 v) override { Note("4 " + std::to_string(v)); }
    void Operation5() override { Note("5"); }
    void Operation6() override { Note("6"); }
    void Operation7() override { Note("7"); }
    void Operation8(u32 v) override { Note("8 " + std::to_string(v)); }
    void Operation9(u32 v) override { Note("9 " + std::to_string(v)); }
    void Operation10(u32 v) override { Note("10 " + std::to_string(v)); }
};

struct TableCase {
    ServiceId service;
    std::vector<std::string> expected;  // what codes 0, 1, ... up to the quit code (less Release) ran
};

const char* TableName(const TableCase& c) {
    return c.service == ServiceId::DirectSound   ? "DirectSound"
           : c.service == ServiceId::DirectMusic ? "DirectMusic"
                                                 : "DirectShow";
}

void PrintTo(const TableCase& c, std::ostream* os) { *os << TableName(c); }

ServiceObject* MakeRecorder(ServiceId service) {
    switch (service) {
        case ServiceId::DirectSound: return new SoundRecorder();
        case ServiceId::DirectMusic: return new MusicRecorder();
        case ServiceId::DirectShow: break;
    }
    return new ShowRecorder();
}

u32 InitializeService(ServiceId service) {
    switch (service) {
        case ServiceId::DirectSound: return InitializeDirectSound();
        case ServiceId::DirectMusic: return InitializeDirectMusic();
        case ServiceId::DirectShow: break;
    }
    return InitializeDirectShow();
}

void DestroyService(ServiceId service) {
    switch (service) {
        case ServiceId::DirectSound: DestroyDirectSound(); return;
        case ServiceId::DirectMusic: DestroyDirectMusic(); return;
        case ServiceId::DirectShow: break;
    }
    DestroyDirectShow();
}

u32 ReleaseCode(ServiceId service) { return service == ServiceId::DirectSound ? 2 : 1; }
u32 QuitCode(ServiceId service) {
    return service == ServiceId::DirectSound   ? kDirectSoundQuitCode
           : service == ServiceId::DirectMusic ? kDirectMusicQuitCode
                                               : kDirectShowQuitCode;
}

class CommandTableTest : public ServicesTest, public ::testing::WithParamInterface<TableCase> {};

TEST_P(CommandTableTest, EachCodeRunsItsOperationOnTheWorker) {
    const ServiceId id = GetParam().service;
    TakeOps();
    ASSERT_EQ(InitializeService(id), 1u);
    RingService& service = GetRingService(id);
    ServiceObject* object = MakeRecorder(id);
    service.AddObject(object);
    // Every code but Release and quit, then one above the table; the value
    // argument is 100 + code.
    for (u32 code = 0; code <= QuitCode(id) + 1; ++code) {
        if (code == ReleaseCode(id) || code == QuitCode(id)) continue;
        const u32 value = 100 + code;
        ASSERT_TRUE(PostServiceCommand(id, code, object, &value, sizeof value));
    }
    // A command without an object runs nothing either.
    ASSERT_TRUE(PostServiceCommand(id, 0, nullptr));
    service.Ring().Drained().Wait();
    EXPECT_EQ(TakeOps(), GetParam().expected);
    EXPECT_TRUE(service.Started());

    ASSERT_TRUE(PostServiceCommand(id, ReleaseCode(id), object));
    service.Ring().Drained().Wait();
    EXPECT_EQ(TakeOps(), std::vector<std::string>{"destroyed"});
    EXPECT_EQ(service.Objects().count, 0u);
    DestroyService(id);
}

INSTANTIATE_TEST_SUITE_P(
    Tables, CommandTableTest,
    ::testing::Values(TableCase{ServiceId::DirectSound,
                                {"4 100", "3 101 +128", "5 103", "6", "8", "9 107", "10 108", "11", "12 110", "13",
                                 "14", "15", "16", "17", "18", "19"}},
                      TableCase{ServiceId::DirectMusic,
                                {"3 100", "4 102", "5", "7", "8 105", "9 106", "10", "11 108", "12", "13", "14", "15",
                                 "16", "17", "18"}},
                      TableCase{ServiceId::DirectShow, {"3 100", "4 102", "5", "7", "8 106", "9 107", "10 108"}}),
    [](const ::testing::TestParamInfo<TableCase>& testInfo) { return std::string(TableName(testInfo.param)); });

TEST_F(ServicesTest, QuitLeavesPendingCommandsAndReleasesTheObjects) {
    TakeOps();
    ASSERT_EQ(InitializeDirectShow(), 1u);
    RingService& service = GetRingService(ServiceId::DirectShow);
    auto* object = new ShowRecorder();
    service.AddObject(object);
    {
        // Holding the lock keeps the worker from taking anything until all
        // three commands are in; the quit sits in the lowest slot.
        std::lock_guard<platform::CriticalSection> held(service.Ring().Lock());
        ASSERT_TRUE(PostServiceCommand(ServiceId::DirectShow, kDirectShowQuitCode, nullptr));
        ASSERT_TRUE(PostServiceCommand(ServiceId::DirectShow, 4, object));
        ASSERT_TRUE(PostServiceCommand(ServiceId::DirectShow, 4, object));
    }
    DestroyDirectShow();
    EXPECT_EQ(TakeOps(), std::vector<std::string>{"destroyed"});
}

TEST_F(ServicesTest, AFailedWaitEndsTheWorkerWithALogLine) {
    ASSERT_EQ(InitializeDirectShow(), 1u);
    testing_support::SetFault(platform::Fault::EventWait);
    // Wakes the worker; its next wait fails.
    ASSERT_TRUE(PostServiceCommand(ServiceId::DirectShow, 3, nullptr));
    DestroyDirectShow();
    testing_support::ClearFaults();
    EXPECT_TRUE(capture.Logged("  エラー : DirectShow(Audio) のコマンド待ちに失敗したためスレッドを終了\n"));
    EXPECT_FALSE(PostServiceCommand(ServiceId::DirectShow, 3, nullptr));
}

TEST_F(ServicesTest, AnOperationMayPostToItsOwnService) {
    class Reposter : public ShowRecorder {
    public:
        void Operation4(u32 v) override {
            Note("4 " + std::to_string(v));
            if (v > 0) {
                const u32 remaining = v - 1;
                PostServiceCommand(ServiceId::DirectShow, 2, this, &remaining, sizeof remaining);
            }
        }
    };
    TakeOps();
    ASSERT_EQ(InitializeDirectShow(), 1u);
    auto* object = new Reposter();
    GetRingService(ServiceId::DirectShow).AddObject(object);
    const u32 start = 2;
    ASSERT_TRUE(PostServiceCommand(ServiceId::DirectShow, 2, object, &start, sizeof start));
    // The drained event is set once the last re-post has run.
    GetRingService(ServiceId::DirectShow).Ring().Drained().Wait();
    EXPECT_EQ(TakeOps(), (std::vector<std::string>{"4 2", "4 1", "4 0"}));
    DestroyDirectShow();
}

}  // namespace
