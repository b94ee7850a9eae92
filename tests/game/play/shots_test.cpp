#include "game/play/shots.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tests/game/play/play_test_support.h"

namespace {

using play_test::PlayTest;

class ShotsTest : public PlayTest {
protected:
    static PlayerShot GunShot(f32 x, f32 y) {
        PlayerShot s;
        s.kind = kShotGun;
        s.damage = 15;
        s.angle = -1.5707964f;
        s.consumeOnHit = 1;
        s.x = x;
        s.y = y;
        return s;
    }
    static EnemyBullet Moving(i32 kind, f32 speed, f32 heading = 0.0f) {
        EnemyBullet b = Bullet(kind, 300.0f, 200.0f);
        b.speed = speed;
        b.heading = heading;
        return b;
    }
};

TEST_F(ShotsTest, AGunShotGetsItsShapeAtItsSecondUpdateAndLeavesAboveTheField) {
    g_PlayerShotList.push_back(GunShot(300.0f, 400.0f));
    UpdatePlayerShots();
    EXPECT_EQ(g_PlayerShotList[0].y, 385.0f);
    EXPECT_EQ(g_PlayerShotList[0].hitShape.radius, 0.0f);
    UpdatePlayerShots();
    EXPECT_EQ(g_PlayerShotList[0].hitShape.radius, 5.0f);
    for (int i = 2; i < 28; ++i) UpdatePlayerShots();
    ASSERT_EQ(g_PlayerShotList.size(), 1u);
    EXPECT_EQ(g_PlayerShotList[0].y, -20.0f);
    EXPECT_EQ(g_PlayerShotList[0].age, 28);
    UpdatePlayerShots();
    EXPECT_TRUE(g_PlayerShotList.empty());
}

TEST_F(ShotsTest, BlastAreasLiveForOneCollisionPhase) {
    PlayerShot blast;
    blast.kind = kShotBlastSmall;
    blast.y = 300.0f;
    PlayerShot large = blast;
    large.kind = kShotBlastLarge;
    g_PlayerShotList = {blast, GunShot(300.0f, 300.0f), large};
    UpdatePlayerShots();
    ASSERT_EQ(g_PlayerShotList.size(), 1u);
    EXPECT_EQ(g_PlayerShotList[0].kind, kShotGun);
}

TEST_F(ShotsTest, BulletsLeaveOutsideTheirBounds) {
    const struct {
        f32 x, y;
        bool stays;
    } cases[] = {
        {690.0f, 200.0f, true}, {690.5f, 200.0f, false}, {-50.0f, 200.0f, true}, {-50.5f, 200.0f, false},
        {300.0f, 530.0f, true}, {300.0f, 530.5f, false}, {300.0f, -50.0f, true}, {300.0f, -50.5f, false},
    };
    for (const auto& c : cases) {
        play_test::ResetPlay();
        g_EnemyBulletList.push_back(Bullet(0, c.x, c.y));  // a kind without motion
        UpdateEnemyBullets();
        EXPECT_EQ(g_EnemyBulletList.size(), c.stays ? 1u : 0u) << c.x << "," << c.y;
    }
}

TEST_F(ShotsTest, BulletSpeedCurvesByKind) {
    // Speed after the first update and the distance moved in it.
    const struct {
        i32 kind;
        f32 speed;
        f32 wantSpeed;
        f32 wantMoved;
    } cases[] = {
        {10, 3.0f, 3.0f, 3.0f},    {203, 4.0f, 3.95f, 3.95f}, {203, 3.0f, 3.0f, 3.0f}, {390, 2.0f, 1.9f, 2.0f},
        {390, 1.5f, 1.5f, 1.5f},   {401, 5.0f, 4.75f, 5.0f},  {481, 2.0f, 1.9f, 2.0f}, {482, 4.0f, 3.9f, 4.0f},
        {482, 2.0f, 2.0f, 2.0f},   {483, 1.0f, 0.95f, 1.0f},  {501, 3.0f, 2.9f, 3.0f}, {502, 3.0f, 2.95f, 3.0f},
        {310, 2.0f, 1.98f, 1.98f}, {999, 3.0f, 0.0f, 0.0f},   {0, 3.0f, 3.0f, 0.0f},
    };
    for (const auto& c : cases) {
        play_test::ResetPlay();
        g_EnemyBulletList.push_back(Moving(c.kind, c.speed));
        UpdateEnemyBullets();
        if (c.kind == 999) {
            EXPECT_TRUE(g_EnemyBulletList.empty());
            continue;
        }
        ASSERT_EQ(g_EnemyBulletList.size(), 1u) << c.kind;
        EXPECT_NEAR(g_EnemyBulletList[0].speed, c.wantSpeed, 1e-5) << c.kind;
        EXPECT_NEAR(g_EnemyBulletList[0].x - 300.0f, c.wantMoved, 1e-4) << c.kind;
        EXPECT_EQ(g_EnemyBulletList[0].age, 1);
    }
}

TEST_F(ShotsTest, AKind310BulletStopsThenFliesBackEverFaster) {
    g_EnemyBulletList.push_back(Moving(310, 2.0f, 1.5707964f));
    f32 lowest = 200.0f;
    for (int i = 0; i <= 100; ++i) UpdateEnemyBullets();
    EXPECT_NEAR(g_EnemyBulletList[0].speed, 0.0f, 0.021f);
    lowest = g_EnemyBulletList[0].y;
    UpdateEnemyBullets();
    const f32 s1 = g_EnemyBulletList[0].speed;
    UpdateEnemyBullets();
    EXPECT_NEAR(g_EnemyBulletList[0].speed, s1 - 0.1f, 1e-5);
    EXPECT_LT(g_EnemyBulletList[0].y, lowest);
    int frames = 0;
    while (!g_EnemyBulletList.empty() && frames < 1000) {
        UpdateEnemyBullets();
        ++frames;
    }
    EXPECT_LT(frames, 1000);
}

TEST_F(ShotsTest, OneFrameBulletsAndTurningBullets) {
    g_EnemyBulletList.push_back(Moving(50, 3.0f));
    UpdateEnemyBullets();
    ASSERT_EQ(g_EnemyBulletList.size(), 1u);
    EXPECT_EQ(g_EnemyBulletList[0].x, 300.0f);
    UpdateEnemyBullets();
    EXPECT_TRUE(g_EnemyBulletList.empty());

    EnemyBullet spin = Moving(30, 0.0f);
    spin.rotation = 3.12f;
    g_EnemyBulletList = {spin};
    UpdateEnemyBullets();
    EXPECT_NEAR(g_EnemyBulletList[0].rotation, 3.17 - 6.2831855, 1e-5);

    g_EnemyBulletList = {Moving(210, 4.99f, 0.0f)};
    UpdateEnemyBullets();
    EXPECT_FLOAT_EQ(g_EnemyBulletList[0].heading, 0.01f);
    EXPECT_NEAR(g_EnemyBulletList[0].speed, 5.01f, 1e-5);
}

TEST_F(ShotsTest, AKind40BulletLeavesATrailEveryFifthUpdate) {
    g_EnemyBulletList.push_back(Moving(40, 1.0f));
    for (int i = 0; i < 11; ++i) UpdateEnemyBullets();
    EXPECT_EQ(CountEffects(13), 3u);  // ages 0, 5 and 10
}

TEST_F(ShotsTest, OnlyKind40BurstsIntoSparksAndTheBulletStays) {
    g_EnemyBulletList = {Bullet(10, 300.0f, 200.0f), Bullet(40, 300.0f, 200.0f)};
    const u32 seed = RandomGetState();
    BurstBulletIntoSparks(0);
    EXPECT_TRUE(g_EffectList.empty());
    EXPECT_EQ(RandomGetState(), seed);
    BurstBulletIntoSparks(1);
    ASSERT_EQ(g_EffectList.size(), 6u);
    RandomSetState(seed);
    for (int k = 0; k < 6; ++k) {
        const f32 dx = RandomFloat(-15.0f, 15.0f);
        const f32 dy = RandomFloat(-15.0f, 15.0f);
        const f32 a = RandomFloat(-3.1415927f, 3.1415927f);
        EXPECT_EQ(g_EffectList[k].kind, 10);
        EXPECT_EQ(g_EffectList[k].x, 300.0f + dx);
        EXPECT_EQ(g_EffectList[k].y, 200.0f + dy);
        EXPECT_EQ(g_EffectList[k].param, a);
        EXPECT_EQ(g_EffectList[k].age, -2 * k);
        EXPECT_EQ(g_EffectList[k].layer, 1);
    }
    EXPECT_EQ(g_EnemyBulletList.size(), 2u);
    BurstBulletIntoSparks(7);  // no such bullet
    EXPECT_EQ(g_EffectList.size(), 6u);
}

TEST_F(ShotsTest, ClearingPaysForEveryBulletAndEveryPointOfShellStrength) {
    P().shotLevel = 2;  // multiplier 2
    for (int i = 0; i < 3; ++i) g_EnemyBulletList.push_back(Bullet(10, 200.0f + i, 100.0f));
    EnemyShell shell;
    shell.strength = 4;
    shell.x = 250.0f;
    shell.y = 150.0f;
    g_EnemyShellList.push_back(shell);
    EXPECT_EQ(ClearEnemyBulletsAndShells(), 4);
    EXPECT_TRUE(g_EnemyBulletList.empty());
    EXPECT_TRUE(g_EnemyShellList.empty());
    EXPECT_EQ(CountEffects(31), 7u);
    EXPECT_EQ(P().StageScorePoints, 60 + 80);
    EXPECT_EQ(P().cancelCount, 7);
    // The shell's tokens: the first at the shell, the others wander from it.
    std::vector<const Effect*> tokens;
    for (const Effect& e : g_EffectList)
        if (e.kind == 31 && e.y > 120.0f) tokens.push_back(&e);
    ASSERT_EQ(tokens.size(), 4u);
    EXPECT_EQ(tokens[0]->x, 250.0f);
    EXPECT_EQ(tokens[0]->y, 150.0f);
    EXPECT_NE(tokens[1]->x, 250.0f);

    P().cancelCount = 9998;
    for (int i = 0; i < 5; ++i) g_EnemyBulletList.push_back(Bullet(10, 200.0f, 100.0f));
    EXPECT_EQ(ClearEnemyBulletsAndShells(), 5);
    EXPECT_EQ(P().cancelCount, kMaxCancelCount);
}

}  // namespace
