// The command ring driven step by step on the test thread.
#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <vector>

#include "engine/services/service_ring.h"

namespace {

constexpr u32 kQuit = 9;
std::vector<u32> g_ran;  // payload values of the commands run, in order

bool Record(const ServiceCommand& command) {
    if (command.code == kQuit) return true;
    g_ran.push_back(ServicePayloadValue(command.payload));
    return false;
}

class RingTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_ran.clear();
        ring = std::make_unique<ServiceRing>();
        ring->Build();
    }
    bool PostValue(u32 value, u32 code = 0) { return ring->Post(code, nullptr, &value, sizeof value); }
    void Run(int steps) {
        for (int i = 0; i < steps; ++i) ASSERT_EQ(ring->Step(Record), ServiceRing::StepResult::Ran);
    }
    std::unique_ptr<ServiceRing> ring;
};

TEST_F(RingTest, CommandsRunInPostingOrderUntilTheIndexWraps) {
    for (u32 v = 1; v <= 5; ++v) ASSERT_TRUE(PostValue(v));
    Run(5);
    EXPECT_EQ(g_ran, (std::vector<u32>{1, 2, 3, 4, 5}));
    EXPECT_EQ(ring->WriteIndex(), 5u);
}

TEST_F(RingTest, LowestSignalledSlotWinsAfterTheWrap) {
    for (u32 v = 0; v < 62; ++v) ASSERT_TRUE(PostValue(v));
    Run(62);
    g_ran.clear();
    ASSERT_TRUE(PostValue(620));  // slot 62
    ASSERT_TRUE(PostValue(630));  // slot 63
    ASSERT_TRUE(PostValue(0));    // slot 0
    Run(3);
    EXPECT_EQ(g_ran, (std::vector<u32>{0, 620, 630}));
}

TEST_F(RingTest, DrainedOnlyAfterTheMostRecentSlotRanAndResetByEveryPost) {
    ASSERT_TRUE(PostValue(1));
    ASSERT_TRUE(PostValue(2));
    EXPECT_FALSE(ring->Drained().IsSet());
    Run(1);
    EXPECT_FALSE(ring->Drained().IsSet());
    Run(1);
    EXPECT_TRUE(ring->Drained().IsSet());
    ASSERT_TRUE(PostValue(3));
    EXPECT_FALSE(ring->Drained().IsSet());
}

TEST_F(RingTest, QuitEndsTheLoopAndLeavesLaterCommandsPending) {
    ASSERT_TRUE(PostValue(0, kQuit));
    ASSERT_TRUE(PostValue(7));
    EXPECT_EQ(ring->Step(Record), ServiceRing::StepResult::Quit);
    EXPECT_TRUE(g_ran.empty());
    EXPECT_TRUE(ring->SlotPending(1));
}

TEST_F(RingTest, FullRingMakesThePosterWaitInsteadOfOverwriting) {
    for (u32 v = 0; v < 64; ++v) ASSERT_TRUE(PostValue(v));
    bool posted = false;
    std::thread poster([&] { posted = PostValue(64); });
    while (ring->WaitingPosters() == 0) std::this_thread::yield();
    // Slot 0 still holds its first command.
    Run(1);
    poster.join();
    EXPECT_TRUE(posted);
    EXPECT_EQ(g_ran, (std::vector<u32>{0}));
    EXPECT_TRUE(ring->SlotPending(0));
    EXPECT_EQ(ring->WriteIndex(), 1u);
    // The lowest slot holds the newest command now.
    Run(1);
    EXPECT_EQ(g_ran.back(), 64u);
}

TEST_F(RingTest, ClosingWakesAWaitingPosterWithARefusal) {
    for (u32 v = 0; v < 64; ++v) ASSERT_TRUE(PostValue(v));
    bool posted = true;
    std::thread poster([&] { posted = PostValue(64); });
    while (ring->WaitingPosters() == 0) std::this_thread::yield();
    ring->Close();
    poster.join();
    EXPECT_FALSE(posted);
}

TEST_F(RingTest, APosterHoldingTheLockIsRefusedOnAFullRingRatherThanDeadlocked) {
    for (u32 v = 0; v < 64; ++v) ASSERT_TRUE(PostValue(v));
    std::lock_guard<platform::CriticalSection> held(ring->Lock());
    EXPECT_FALSE(PostValue(64));
}

TEST(RingRefusal, UnbuiltAndClosedRingsRefuseCommands) {
    auto ring = std::make_unique<ServiceRing>();
    u32 v = 1;
    EXPECT_FALSE(ring->Post(0, nullptr, &v, sizeof v));
    ring->Build();
    EXPECT_TRUE(ring->Post(0, nullptr, &v, sizeof v));
    ring->Close();
    EXPECT_FALSE(ring->Post(0, nullptr, &v, sizeof v));
}

TEST_F(RingTest, APayloadIsCopiedAndCutAt256Bytes) {
    std::vector<u8> big(300, 0xAB);
    ASSERT_TRUE(ring->Post(0, nullptr, big.data(), big.size()));
    // The slot was written completely; the command after it is unaffected.
    ASSERT_TRUE(PostValue(5));
    Run(2);
    EXPECT_EQ(g_ran, (std::vector<u32>{0xABABABABu, 5}));
}

}  // namespace
