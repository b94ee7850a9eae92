#include "game/play/coins.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <vector>

#include "tests/game/play/play_test_support.h"

namespace {

using play_test::PlayTest;

class CoinsTest : public PlayTest {
protected:
    // Coins per ring, the rings told apart by their speeds.
    static std::vector<int> Rings() {
        std::map<f32, int> bySpeed;
        for (const Coin& c : g_CoinList) ++bySpeed[c.speed];
        std::vector<int> rings;
        for (const auto& [speed, n] : bySpeed) rings.push_back(n);
        return rings;
    }
};

TEST_F(CoinsTest, CoinsAreSharedIntoRingsByCount) {
    const struct {
        i32 count;
        std::vector<int> rings;
    } cases[] = {
        {1, {1}}, {2, {2}}, {10, {10}}, {11, {5, 6}}, {20, {11, 9}}, {25, {8, 8, 9}}, {31, {7, 7, 7, 10}}, {12, {7, 5}},
    };
    const f32 pos[2] = {300.0f, 200.0f};
    for (const auto& c : cases) {
        play_test::ResetPlay();
        SpawnCoins(kCoinKind, pos, -1.5707964f, c.count);
        EXPECT_EQ(Rings(), c.rings) << c.count;
        EXPECT_EQ(g_CoinList.size(), static_cast<std::size_t>(c.count));
        for (const Coin& coin : g_CoinList) {
            EXPECT_EQ(coin.kind, kCoinKind);
            EXPECT_EQ(coin.attracted, 0);
            EXPECT_EQ(coin.x, 300.0f);
            EXPECT_EQ(coin.y, 200.0f);
        }
    }
}

TEST_F(CoinsTest, RingsFanOutwardAndFasterAndEvenRingsSitOffCentre) {
    const f32 pos[2] = {300.0f, 200.0f};
    SpawnCoins(kCoinKind, pos, 0.0f, 11);
    ASSERT_EQ(g_CoinList.size(), 11u);
    // First ring: 5 coins centred on the angle, speed 2.0.
    for (int j = 0; j < 5; ++j) {
        EXPECT_FLOAT_EQ(g_CoinList[j].angle, static_cast<f32>(-0.4 + 0.2 * j));
        EXPECT_EQ(g_CoinList[j].speed, 2.0f);
    }
    // Second ring: 6 coins, speed 2.3, centred 0.1 radian below the angle.
    f64 sum = 0;
    for (int j = 5; j < 11; ++j) {
        EXPECT_FLOAT_EQ(g_CoinList[j].speed, 2.3f);
        sum += g_CoinList[j].angle;
    }
    EXPECT_NEAR(sum / 6, -0.1, 1e-6);
}

TEST_F(CoinsTest, EachCoinDrawsItsSpinPhaseInSpawnOrder) {
    const u32 seed = RandomGetState();
    const f32 pos[2] = {300.0f, 200.0f};
    SpawnCoins(kCoinKind, pos, 0.0f, 7);
    const u32 after = RandomGetState();
    RandomSetState(seed);
    for (const Coin& coin : g_CoinList) EXPECT_EQ(coin.age, RandomInt(0, 100));
    EXPECT_EQ(RandomGetState(), after);
}

TEST_F(CoinsTest, NothingIsSpawnedForAnotherKindOrACountBelowOne) {
    const f32 pos[2] = {300.0f, 200.0f};
    const u32 seed = RandomGetState();
    for (const i32 count : {0, -1, -9, -18, -100}) SpawnCoins(kCoinKind, pos, 0.0f, count);
    SpawnCoins(11, pos, 0.0f, 5);
    EXPECT_TRUE(g_CoinList.empty());
    EXPECT_EQ(RandomGetState(), seed);
}

TEST_F(CoinsTest, AFreeCoinFallsUnderGravity) {
    Coin c = MakeCoin(300.0f, 200.0f, 0);
    c.angle = 0.0f;
    c.speed = 1.0f;
    g_CoinList.push_back(c);
    P().y = 420.0f;
    P().x = 500.0f;
    UpdateCoins();
    const Coin& after = g_CoinList[0];
    EXPECT_FLOAT_EQ(after.x, 301.0f);
    EXPECT_FLOAT_EQ(after.y, 200.05f);
    EXPECT_FLOAT_EQ(after.speed, static_cast<f32>(std::sqrt(1.0 + 0.05 * 0.05)));
    EXPECT_FLOAT_EQ(after.angle, static_cast<f32>(std::atan2(0.05, 1.0)));
    EXPECT_EQ(after.age, 1);
}

TEST_F(CoinsTest, TheMagnetIsASquareAroundThePlayerAndZKeepsCoinsAway) {
    struct Case {
        f32 dx, dy;
        i32 age;
        i32 zState;
        i32 lives;
        i32 attracted;
    };
    const Case cases[] = {
        // clang-format off
        {99.0f, 99.0f, 11, kKeyUpState, 3, 1},   // a corner of the square, outside any circle of 100
        {101.0f, 0.0f, 11, kKeyUpState, 3, 0},
        {0.0f, -101.0f, 11, kKeyUpState, 3, 0},
        {50.0f, 0.0f, 10, kKeyUpState, 3, 0},    // too young
        {50.0f, 0.0f, 11, kKeyReleased, 3, 1},
        {50.0f, 0.0f, 11, kKeyHeld, 3, 0},
        {50.0f, 0.0f, 11, kKeyPressed, 3, 0},
        {50.0f, 0.0f, 11, kKeyUpState, 0, 0},    // no lives
        // clang-format on
    };
    for (const Case& c : cases) {
        play_test::ResetPlay();
        P().x = 300.0f;
        P().y = 300.0f;
        P().lives = c.lives;
        P().keys[kKeyZ] = c.zState;
        Coin coin = MakeCoin(300.0f + c.dx, 300.0f + c.dy, c.age);
        coin.speed = 0.0f;
        coin.angle = -1.5707964f;  // the gravity step moves it down by 0.05
        g_CoinList.push_back(coin);
        UpdateCoins();
        EXPECT_EQ(g_CoinList[0].attracted, c.attracted) << c.dx << "," << c.dy << " age " << c.age;
        EXPECT_EQ(g_CoinList[0].age, c.attracted ? 1 : c.age + 1);
    }
}

TEST_F(CoinsTest, AnAttractedCoinSpeedsUpTowardThePlayerAndFallsAgainAfterTheLastLife) {
    P().x = 300.0f;
    P().y = 300.0f;
    g_GameState.FieldScrollX = 20.0f;  // the player's point is (280, 300)
    Coin c = MakeCoin(280.0f, 200.0f, 5);
    c.attracted = 1;
    g_CoinList.push_back(c);
    P().keys[kKeyZ] = kKeyHeld;  // attracted coins keep coming while Z is held
    UpdateCoins();
    EXPECT_FLOAT_EQ(g_CoinList[0].angle, 1.5707964f);
    EXPECT_EQ(g_CoinList[0].speed, 5.0f);
    EXPECT_FLOAT_EQ(g_CoinList[0].y, 205.0f);
    g_CoinList[0].age = 30;
    UpdateCoins();
    EXPECT_EQ(g_CoinList[0].speed, 12.0f);

    P().lives = 0;
    const f32 y = g_CoinList[0].y;
    g_CoinList[0].angle = -1.5707964f;
    g_CoinList[0].speed = 1.0f;
    UpdateCoins();
    EXPECT_EQ(g_CoinList[0].attracted, 1);
    EXPECT_NEAR(g_CoinList[0].y, y - 0.95f, 1e-4);
}

TEST_F(CoinsTest, CoinsBounceOffTheSidesOfTheField) {
    g_GameState.FieldScrollX = 10.0f;
    P().x = 500.0f;
    P().y = 0.0f;
    Coin left = MakeCoin(111.0f, 300.0f, 0);
    left.angle = 3.0f;
    left.speed = 3.0f;
    Coin right = MakeCoin(509.0f, 300.0f, 0);
    right.angle = 0.1f;
    right.speed = 3.0f;
    g_CoinList = {left, right};
    UpdateCoins();
    EXPECT_EQ(g_CoinList[0].x, 110.0f);
    EXPECT_GT(std::cos(g_CoinList[0].angle), 0.0f);
    EXPECT_GT(std::sin(g_CoinList[0].angle), 0.0f);
    EXPECT_EQ(g_CoinList[1].x, 510.0f);
    EXPECT_LT(std::cos(g_CoinList[1].angle), 0.0f);
    EXPECT_LE(std::fabs(g_CoinList[1].angle), 3.1415927f);
}

TEST_F(CoinsTest, OnlyTheBottomRemovesACoin) {
    P().x = 120.0f;
    P().y = 470.0f;
    Coin top = MakeCoin(300.0f, -200.0f, 0);
    top.angle = -1.5707964f;
    top.speed = 5.0f;
    Coin bottom = MakeCoin(300.0f, 579.0f, 0);
    bottom.angle = 1.5707964f;
    bottom.speed = 2.0f;
    Coin other = bottom;
    other.kind = 11;  // neither moved nor drawn, but aged and removed below the field
    other.y = 581.0f;
    g_CoinList = {top, bottom, other};
    UpdateCoins();
    ASSERT_EQ(g_CoinList.size(), 1u);
    EXPECT_LT(g_CoinList[0].y, -200.0f);
}

}  // namespace
