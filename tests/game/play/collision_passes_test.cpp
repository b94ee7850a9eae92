// The collision passes of the play frame (the shape test itself is in
// collision_test.cpp).
#include <gtest/gtest.h>

#include "game/play/collision.h"
#include "game/play/missiles.h"
#include "game/play/shots.h"
#include "tests/game/play/play_test_support.h"

namespace {

using play_test::PlayTest;

class CollisionPassesTest : public PlayTest {
protected:
    static PlayerShot Shot(i32 kind, f32 x, f32 y, i32 damage, HitShape shape, u8 consume) {
        PlayerShot s;
        s.kind = kind;
        s.x = x;
        s.y = y;
        s.damage = damage;
        s.hitShape = shape;
        s.consumeOnHit = consume;
        return s;
    }
    static EnemyShell Shell(f32 x, f32 y, i32 hp, i32 strength) {
        EnemyShell s;
        s.x = x;
        s.y = y;
        s.hp = hp;
        s.strength = strength;
        s.hitShape = {0.0f, 0.0f, 10.0f};
        s.playerHitShape = {0.0f, 0.0f, 10.0f};
        return s;
    }
    static PlayerMissile Missile(f32 x, f32 y, i32 power) {
        PlayerMissile m;
        m.kind = power == 3 ? kMissileSingle : kMissileDouble;
        m.power = power;
        m.x = x;
        m.y = y;
        m.hitShape = {16.0f, 12.0f, 0.0f};
        return m;
    }
};

TEST_F(CollisionPassesTest, ShotsWearAShellDownAndStopOnceItIsDestroyed) {
    g_EnemyShellList.push_back(Shell(300.0f, 200.0f, 30, 3));
    const HitShape dot{0.0f, 0.0f, 5.0f};
    g_PlayerShotList = {Shot(10, 300.0f, 200.0f, 15, dot, 1), Shot(10, 400.0f, 200.0f, 15, dot, 1),
                        Shot(10, 302.0f, 200.0f, 15, dot, 1), Shot(10, 301.0f, 200.0f, 15, dot, 1)};
    CollideShotsWithShells();
    EXPECT_TRUE(g_EnemyShellList.empty());
    // Two shots spent; the fourth was never tested once the shell had no hit points.
    ASSERT_EQ(g_PlayerShotList.size(), 2u);
    EXPECT_EQ(g_PlayerShotList[0].x, 400.0f);
    EXPECT_EQ(g_PlayerShotList[1].x, 301.0f);
}

TEST_F(CollisionPassesTest, BlastAreasHitShellsWithoutBeingSpentAndDeadShellsGo) {
    g_EnemyShellList = {Shell(300.0f, 200.0f, 50, 3), Shell(100.0f, 100.0f, 0, 3), Shell(500.0f, 100.0f, 10, 3)};
    g_PlayerShotList = {Shot(kShotBlastSmall, 300.0f, 220.0f, 20, {0.0f, 0.0f, 50.0f}, 0)};
    CollideShotsWithShells();
    ASSERT_EQ(g_EnemyShellList.size(), 2u);
    EXPECT_EQ(g_EnemyShellList[0].hp, 30);
    EXPECT_EQ(g_EnemyShellList[1].x, 500.0f);
    EXPECT_EQ(g_PlayerShotList.size(), 1u);
}

TEST_F(CollisionPassesTest, ABlastAreaClearsEveryBulletItCoversAndPays) {
    P().shotLevel = 3;  // multiplier 3
    P().levelTimer = 98;
    for (int i = 0; i < 5; ++i) g_EnemyBulletList.push_back(Bullet(10, 300.0f + 10.0f * i, 200.0f));
    g_EnemyBulletList.push_back(Bullet(10, 300.0f, 300.0f));
    g_PlayerShotList = {Shot(kShotBlastLarge, 300.0f, 200.0f, 20, {0.0f, 0.0f, 80.0f}, 0),
                        Shot(kShotGun, 300.0f, 300.0f, 15, {0.0f, 0.0f, 5.0f}, 1)};
    CollideShotsWithEnemyBullets();
    ASSERT_EQ(g_EnemyBulletList.size(), 1u);
    EXPECT_EQ(g_EnemyBulletList[0].y, 300.0f);  // gun shots cancel nothing
    EXPECT_EQ(P().StageScorePoints, 50 * 3);
    EXPECT_EQ(P().cancelCount, 5);
    EXPECT_EQ(P().levelTimer, 100);
    EXPECT_EQ(CountEffects(31), 5u);

    // At shot level 1 the level gauge is not fed.
    play_test::ResetPlay();
    g_EnemyBulletList.push_back(Bullet(10, 300.0f, 200.0f));
    g_PlayerShotList = {Shot(kShotBlastSmall, 300.0f, 200.0f, 20, {0.0f, 0.0f, 50.0f}, 0)};
    CollideShotsWithEnemyBullets();
    EXPECT_EQ(P().levelTimer, 0);
    EXPECT_EQ(P().StageScorePoints, 10);
}

TEST_F(CollisionPassesTest, AMissileIsWeighedAgainstAShellsStrength) {
    const struct {
        i32 power;
        i32 strength;
        std::size_t shellsLeft;
        std::size_t missilesLeft;
    } cases[] = {{3, 2, 0, 1}, {3, 4, 1, 0}, {3, 3, 0, 0}, {5, 5, 0, 0}};
    for (const auto& c : cases) {
        play_test::ResetPlay();
        P().levelTimer = 7;
        P().levelTimerMax = 100;
        g_EnemyShellList = {Shell(300.0f, 200.0f, 100, c.strength)};
        g_PlayerMissileList = {Missile(305.0f, 200.0f, c.power)};
        CollideMissilesWithShells();
        EXPECT_EQ(g_EnemyShellList.size(), c.shellsLeft) << c.power << " vs " << c.strength;
        EXPECT_EQ(g_PlayerMissileList.size(), c.missilesLeft) << c.power << " vs " << c.strength;
        // A missile that is not stronger explodes.
        EXPECT_EQ(P().levelTimer, c.power > c.strength ? 7 : 100);
    }
}

TEST_F(CollisionPassesTest, AShellThatStopsAMissileIsNotTestedAgainstTheNext) {
    g_EnemyShellList = {Shell(300.0f, 200.0f, 100, 9), Shell(600.0f, 200.0f, 100, 1)};
    g_PlayerMissileList = {Missile(305.0f, 200.0f, 3), Missile(300.0f, 205.0f, 5)};
    CollideMissilesWithShells();
    EXPECT_EQ(g_EnemyShellList.size(), 2u);
    ASSERT_EQ(g_PlayerMissileList.size(), 1u);
    EXPECT_EQ(g_PlayerMissileList[0].power, 5);

    // A stronger missile flies on through several shells.
    g_EnemyShellList = {Shell(300.0f, 200.0f, 100, 1), Shell(300.0f, 205.0f, 100, 2)};
    CollideMissilesWithShells();
    EXPECT_TRUE(g_EnemyShellList.empty());
    EXPECT_EQ(g_PlayerMissileList.size(), 1u);
}

TEST_F(CollisionPassesTest, AnEnemyWhoseCorePartDiedIsErased) {
    auto enemy = [](i32 core, i32 slot, u8 active) {
        Enemy e;
        e.active = active;
        e.corePart = core;
        e.rootParts[0] = slot;
        return e;
    };
    g_EnemyPartPool[0].inUse = 1;
    g_EnemyPartPool[0].state = -1;
    g_EnemyPartPool[1].inUse = 1;
    g_EnemyPartPool[1].state = 1;
    g_EnemyList = {enemy(0, 0, 1), enemy(0, 1, 1), enemy(0, 0, 0), enemy(kNoPart, 0, 1), enemy(0, 0, 1)};
    g_EnemyList[1].spawnId = 1;
    g_EnemyList[2].spawnId = 2;
    g_EnemyList[3].spawnId = 3;
    RunCollisionPhase();
    ASSERT_EQ(g_EnemyList.size(), 3u);
    EXPECT_EQ(g_EnemyList[0].spawnId, 1);  // core alive
    EXPECT_EQ(g_EnemyList[1].spawnId, 2);  // inactive: not tested
    EXPECT_EQ(g_EnemyList[2].spawnId, 3);  // no core part
}

TEST_F(CollisionPassesTest, TheClosingPhaseCollidesNothing) {
    g_GameState.StageScriptPhase = kClosingPhase;
    g_EnemyBulletList.push_back(Bullet(10, 240.0f, 420.0f));
    g_EnemyShellList = {Shell(300.0f, 200.0f, 0, 3)};
    g_PlayerShotList = {Shot(kShotBlastSmall, 240.0f, 420.0f, 20, {0.0f, 0.0f, 50.0f}, 0)};
    g_CoinList.push_back(MakeCoin(240.0f, 420.0f));
    RunCollisionPhase();
    EXPECT_EQ(g_EnemyBulletList.size(), 1u);
    EXPECT_EQ(g_EnemyShellList.size(), 1u);
    EXPECT_EQ(g_CoinList.size(), 1u);
    EXPECT_EQ(P().lives, 3);

    // The same frame outside the closing phase: the blast cancels the bullet
    // before the player's pass, the coin is collected, the dead shell goes.
    g_GameState.StageScriptPhase = 0;
    RunCollisionPhase();
    EXPECT_TRUE(g_EnemyBulletList.empty());
    EXPECT_TRUE(g_EnemyShellList.empty());
    EXPECT_TRUE(g_CoinList.empty());
    EXPECT_EQ(P().lives, 3);
}

}  // namespace
