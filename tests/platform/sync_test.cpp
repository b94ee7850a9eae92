#include <gtest/gtest.h>

#include <thread>

#include "tests/support/faults.h"
#include "platform/sync.h"

namespace {

TEST(WaitForEvents, ReturnsTheLowestSignalledIndex) {
    platform::Event events[64];
    platform::Event* list[64];
    for (int i = 0; i < 64; ++i) list[i] = &events[i];
    events[63].Set();
    events[40].Set();
    events[41].Set();
    EXPECT_EQ(platform::WaitForEvents(list, 64, 0), 40);
    // Manual-reset events stay set until reset.
    EXPECT_EQ(platform::WaitForEvents(list, 64, 0), 40);
    events[40].Reset();
    EXPECT_EQ(platform::WaitForEvents(list, 64, 0), 41);
}

TEST(WaitForEvents, RejectsBadListsAndReportsTimeOuts) {
    platform::Event a;
    platform::Event* list[65] = {};
    for (auto& e : list) e = &a;
    EXPECT_EQ(platform::WaitForEvents(list, 65, 0), platform::kWaitFailed);
    EXPECT_EQ(platform::WaitForEvents(list, 0, 0), platform::kWaitFailed);
    EXPECT_EQ(platform::WaitForEvents(nullptr, 1, 0), platform::kWaitFailed);
    platform::Event* withNull[2] = {&a, nullptr};
    EXPECT_EQ(platform::WaitForEvents(withNull, 2, 0), platform::kWaitFailed);
    EXPECT_EQ(platform::WaitForEvents(list, 1, 0), platform::kWaitTimeout);
    a.Set();
    testing_support::SetFault(platform::Fault::EventWait);
    EXPECT_EQ(platform::WaitForEvents(list, 1, 0), platform::kWaitFailed);
    testing_support::ClearFaults();
}

TEST(WaitForEvents, AnAutoResetEventReleasesOneWait) {
    platform::Event e(false);
    e.Set();
    EXPECT_TRUE(e.Wait(0));
    EXPECT_FALSE(e.IsSet());
    EXPECT_FALSE(e.Wait(0));
}

TEST(WaitForEvents, WakesWhenAnotherThreadSignals) {
    platform::Event events[3];
    platform::Event* list[3] = {&events[0], &events[1], &events[2]};
    std::thread setter([&] { events[2].Set(); });
    EXPECT_EQ(platform::WaitForEvents(list, 3), 2);
    setter.join();
}

TEST(CriticalSection, IsReEntrantAndCountsItsHolder) {
    platform::CriticalSection lock;
    EXPECT_EQ(lock.HeldByCaller(), 0);
    lock.lock();
    lock.lock();
    EXPECT_EQ(lock.HeldByCaller(), 2);
    int seenByOther = -1;
    bool otherGotIt = true;
    std::thread other([&] {
        seenByOther = lock.HeldByCaller();
        otherGotIt = lock.try_lock();
    });
    other.join();
    EXPECT_EQ(seenByOther, 0);
    EXPECT_FALSE(otherGotIt);
    lock.unlock();
    lock.unlock();
    EXPECT_EQ(lock.HeldByCaller(), 0);
}

TEST(Thread, RunsAndJoinsAndReportsAFailedStart) {
    platform::Thread t;
    int ran = 0;
    ASSERT_TRUE(t.Start([&] { ran = 1; }));
    EXPECT_FALSE(t.Start([] {})) << "one thread at a time";
    t.Join();
    EXPECT_EQ(ran, 1);
    EXPECT_FALSE(t.Running());
    testing_support::SetFault(platform::Fault::ThreadCreate);
    EXPECT_FALSE(t.Start([] {}));
    testing_support::ClearFaults();
}

}  // namespace
