// The DirectShow media-event pump.
#include <gtest/gtest.h>

#include <deque>
#include <ostream>
#include <string>
#include <vector>

#include "engine/services/service_ring.h"
#include "engine/services/services.h"
#include "platform/com.h"
#include "service_test_support.h"

namespace {

// One media object's interfaces, writing what is done to them into one trace.
struct FakeMedia : platform::IMediaEventEx, platform::IMediaSeeking, platform::IMediaControl {
    std::deque<std::int32_t> pending;
    std::vector<std::string>* trace = nullptr;

    bool GetEvent(std::int32_t* code, std::intptr_t* p1, std::intptr_t* p2, std::uint32_t timeoutMs) override {
        EXPECT_EQ(timeoutMs, 0u);
        if (pending.empty()) return false;
        *code = pending.front();
        *p1 = 10;
        *p2 = 20;
        pending.pop_front();
        return true;
    }
    void FreeEventParams(std::int32_t code, std::intptr_t p1, std::intptr_t p2) override {
        trace->push_back("free " + std::to_string(code) + " " + std::to_string(p1) + " " + std::to_string(p2));
    }
    bool SetPositions(std::int64_t* current, std::uint32_t currentFlags, std::int64_t* stop,
                      std::uint32_t stopFlags) override {
        EXPECT_EQ(currentFlags, platform::AM_SEEKING_AbsolutePositioning);
        EXPECT_EQ(stop, nullptr);
        EXPECT_EQ(stopFlags, platform::AM_SEEKING_NoPositioning);
        trace->push_back("seek " + std::to_string(*current));
        return true;
    }
    bool Run() override {
        trace->push_back("run");
        return true;
    }
};

class MediaObject : public DirectShowServiceObject {
public:
    explicit MediaObject(FakeMedia& media, std::vector<std::string>& trace) : trace_(trace) {
        media.trace = &trace;
        seeking = &media;
        events = &media;
        control = &media;
        loopStart = 4400;
        active = 1;
    }
    void Operation5() override { trace_.push_back("stop"); }

private:
    std::vector<std::string>& trace_;
};

class MediaEventsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(InitializeDirectShow(), 1u); }
    void TearDown() override { DestroyDirectShow(); }
    MediaObject* Add(FakeMedia& media) {
        auto* object = new MediaObject(media, trace);
        GetRingService(ServiceId::DirectShow).AddObject(object);
        return object;
    }
    ServiceCapture capture;
    std::vector<std::string> trace;
};

struct PumpCase {
    const char* name;
    i32 loop;
    std::vector<std::int32_t> events;
    std::vector<std::string> expected;
};

void PrintTo(const PumpCase& c, std::ostream* os) { *os << c.name; }

class PumpTableTest : public MediaEventsTest, public ::testing::WithParamInterface<PumpCase> {};

TEST_P(PumpTableTest, DrainsEveryPendingEventInOrder) {
    FakeMedia media;
    media.pending.assign(GetParam().events.begin(), GetParam().events.end());
    Add(media)->loop = GetParam().loop;
    DirectShowPumpEvents();
    EXPECT_EQ(trace, GetParam().expected);
    EXPECT_TRUE(media.pending.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PumpTableTest,
    // clang-format off
    ::testing::Values(
        PumpCase{"CompleteLoopsFromTheLoopStart", 1, {1}, {"free 1 10 20", "seek 4400", "run"}},
        PumpCase{"CompleteWithoutLoopRewindsThenStops", 0, {1}, {"free 1 10 20", "seek 4400", "stop"}},
        PumpCase{"OtherEventsAreOnlyFreed", 1, {3, 14}, {"free 3 10 20", "free 14 10 20"}},
        PumpCase{"CompletionIsHandledBeforeTheNextEvent",
                 0,
                 {3, 1, 2},
                 {"free 3 10 20", "free 1 10 20", "seek 4400", "stop", "free 2 10 20"}},
        PumpCase{"NothingPending", 1, {}, {}}),
    // clang-format on
    [](const ::testing::TestParamInfo<PumpCase>& testInfo) { return testInfo.param.name; });

TEST_F(MediaEventsTest, AnInactiveObjectKeepsItsEventsForALaterPump) {
    FakeMedia media;
    media.pending = {1};
    MediaObject* object = Add(media);
    object->active = 0;
    DirectShowPumpEvents();
    EXPECT_TRUE(trace.empty());
    EXPECT_EQ(media.pending.size(), 1u);
    object->active = 1;
    DirectShowPumpEvents();
    EXPECT_EQ(trace, (std::vector<std::string>{"free 1 10 20", "seek 4400", "stop"}));
}

TEST_F(MediaEventsTest, EveryObjectOfTheListIsVisited) {
    FakeMedia first;
    FakeMedia second;
    first.pending = {1};
    second.pending = {1};
    Add(first)->loop = 1;
    Add(second);
    DirectShowPumpEvents();
    EXPECT_EQ(trace,
              (std::vector<std::string>{"free 1 10 20", "seek 4400", "run", "free 1 10 20", "seek 4400", "stop"}));
}

TEST(MediaEventsWithoutService, ThePumpDoesNothingWhenTheServiceIsNotRunning) {
    ASSERT_FALSE(GetRingService(ServiceId::DirectShow).Started());
    DirectShowPumpEvents();
    // Also after a start and stop.
    ServiceCapture capture;
    ASSERT_EQ(InitializeDirectShow(), 1u);
    DestroyDirectShow();
    DirectShowPumpEvents();
}

}  // namespace
