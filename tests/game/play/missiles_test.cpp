#include "game/play/missiles.h"

#include <gtest/gtest.h>

#include "tests/game/play/play_test_support.h"

namespace {

using play_test::PlayTest;

class MissilesTest : public PlayTest {
protected:
    static PlayerMissile Launched(i32 kind, f32 x, f32 y) {
        PlayerMissile m;
        m.kind = kind;
        m.power = kind == kMissileSingle ? 3 : 5;
        m.angle = -1.5707964f;
        m.heading = -1.5707964f;
        m.speed = -8.0f;
        m.x = x;
        m.y = y;
        return m;
    }
};

TEST_F(MissilesTest, ASingleMissileDropsSixtyPixelsThenGetsItsRectangleAndClimbs) {
    g_PlayerMissileList.push_back(Launched(kMissileSingle, 300.0f, 420.0f));
    for (int i = 0; i < 16; ++i) UpdatePlayerMissiles();
    const PlayerMissile& m = g_PlayerMissileList[0];
    EXPECT_NEAR(m.y, 480.0f, 1e-3);
    EXPECT_EQ(m.speed, 0.0f);
    EXPECT_EQ(m.hitShape.halfWidth, 0.0f);
    UpdatePlayerMissiles();
    EXPECT_EQ(g_PlayerMissileList[0].hitShape.halfWidth, 16.0f);
    EXPECT_EQ(g_PlayerMissileList[0].hitShape.halfHeight, 12.0f);
    EXPECT_LT(g_PlayerMissileList[0].y, 480.0f);
    for (int i = 0; i < 40; ++i) UpdatePlayerMissiles();
    ASSERT_FALSE(g_PlayerMissileList.empty());
    EXPECT_EQ(g_PlayerMissileList[0].speed, 10.0f);
}

TEST_F(MissilesTest, ADoubleMissileGetsItsRectangleOnItsEleventhUpdateAndTopsOutAbove15) {
    g_PlayerMissileList.push_back(Launched(kMissileDouble, 300.0f, 420.0f));
    for (int i = 0; i < 10; ++i) UpdatePlayerMissiles();
    EXPECT_EQ(g_PlayerMissileList[0].hitShape.halfWidth, 0.0f);
    UpdatePlayerMissiles();
    EXPECT_EQ(g_PlayerMissileList[0].hitShape.halfWidth, 30.0f);
    EXPECT_EQ(g_PlayerMissileList[0].hitShape.halfHeight, 20.0f);
    for (int i = 0; i < 30 && !g_PlayerMissileList.empty(); ++i) UpdatePlayerMissiles();
    g_PlayerMissileList = {Launched(kMissileDouble, 300.0f, 2000.0f)};
    g_PlayerMissileList[0].speed = 14.9f;
    g_PlayerMissileList[0].y = 300.0f;
    UpdatePlayerMissiles();
    EXPECT_FLOAT_EQ(g_PlayerMissileList[0].speed, 15.65f);
    g_PlayerMissileList[0].speed = 15.0f;
    UpdatePlayerMissiles();
    EXPECT_EQ(g_PlayerMissileList[0].speed, 15.0f);
}

TEST_F(MissilesTest, SmokeComesOnEvenAges) {
    g_PlayerMissileList.push_back(Launched(kMissileSingle, 300.0f, 300.0f));
    for (int i = 0; i < 7; ++i) UpdatePlayerMissiles();
    EXPECT_EQ(CountEffects(11), 4u);
    EXPECT_EQ(g_PlayerMissileList[0].age, 7);
}

TEST_F(MissilesTest, OnlyLeavingTheFieldVerticallyRemovesAMissile) {
    PlayerMissile sideways = Launched(kMissileSingle, 300.0f, 300.0f);
    sideways.heading = 0.0f;
    sideways.speed = 10.0f;
    PlayerMissile top = Launched(kMissileSingle, 300.0f, -15.0f);
    top.speed = 10.0f;
    PlayerMissile bottom = Launched(kMissileSingle, 300.0f, 575.0f);
    PlayerMissile odd = Launched(30, 300.0f, 581.0f);  // other kinds neither move nor smoke
    PlayerMissile still = Launched(30, 300.0f, 300.0f);
    g_PlayerMissileList = {sideways, top, bottom, odd, still};
    for (int i = 0; i < 100; ++i) UpdatePlayerMissiles();
    ASSERT_EQ(g_PlayerMissileList.size(), 2u);
    EXPECT_GT(g_PlayerMissileList[0].x, 1000.0f);
    EXPECT_EQ(g_PlayerMissileList[1].kind, 30);
    EXPECT_EQ(g_PlayerMissileList[1].y, 300.0f);
    EXPECT_EQ(g_PlayerMissileList[1].age, 100);
}

}  // namespace
