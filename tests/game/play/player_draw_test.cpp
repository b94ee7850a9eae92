// Golden frames of the player, its shots and missiles, coins and enemy
// bullets drawn over the sample data, in the play scene's draw order.
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "engine/graphics/device.h"
#include "game/play/coins.h"
#include "game/play/missiles.h"
#include "game/play/player.h"
#include "game/play/shots.h"
#include "tests/engine/graphics/graphics_fixture.h"
#include "tests/game/play/play_test_support.h"
#include "tests/support/golden.h"

namespace {

namespace fs = std::filesystem;

const std::string kGoldenDir = std::string(TOLVARIN_TEST_DIR) + "/golden";

class PlayerDrawTest : public graphics_test::GraphicsTest {
protected:
    void SetUp() override {
        GraphicsTest::SetUp();
        const fs::path archive = fs::path(TOLVARIN_BUILD_DIR) / "vsk1.dat";
        ASSERT_TRUE(fs::exists(archive)) << "the sample data set is missing: vsk1.dat";
        fs::create_symlink(archive, dir_.path() / "vsk1.dat");
        play_test::ResetPlay();
        g_StageTextures.picture = CreateTexture("vsk1.dat", "picture", 1, nullptr);
        g_StageTextures.missile = CreateTexture("vsk1.dat", "missile", 1, nullptr);
        ASSERT_TRUE(g_StageTextures.picture->TextureIsReady());
        ASSERT_TRUE(g_StageTextures.missile->TextureIsReady());
        // The game's states: texture colour and alpha modulated by the
        // diffuse colour, alpha blending on, no depth test, no culling.
        namespace gfx = platform::gfx;
        SetTextureStageState(0, gfx::D3DTSS_COLORARG1, gfx::D3DTA_TEXTURE);
        SetTextureStageState(0, gfx::D3DTSS_COLORARG2, gfx::D3DTA_CURRENT);
        SetTextureStageState(0, gfx::D3DTSS_COLOROP, gfx::D3DTOP_MODULATE);
        SetTextureStageState(0, gfx::D3DTSS_ALPHAARG1, gfx::D3DTA_TEXTURE);
        SetTextureStageState(0, gfx::D3DTSS_ALPHAARG2, gfx::D3DTA_CURRENT);
        SetTextureStageState(0, gfx::D3DTSS_ALPHAOP, gfx::D3DTOP_MODULATE);
        SetRenderState(gfx::D3DRS_ALPHABLENDENABLE, 1);
        SetRenderState(gfx::D3DRS_ZENABLE, 0);
        SetRenderState(gfx::D3DRS_ZWRITEENABLE, 0);
        SetRenderState(gfx::D3DRS_CULLMODE, gfx::D3DCULL_NONE);
        SetRenderState(gfx::D3DRS_DITHERENABLE, 1);
    }
    void TearDown() override {
        g_StageTextures.picture->Release();
        g_StageTextures.missile->Release();
        g_StageTextures.picture = nullptr;
        g_StageTextures.missile = nullptr;
        play_test::ResetPlay();
        GraphicsTest::TearDown();
    }

    // The objects of this test in the play scene's order.
    void DrawFrame() {
        ASSERT_TRUE(BeginScene());
        ClearScreen(0xFF203040u);
        DrawCoins();
        DrawPlayerShots();
        DrawPlayerMissiles();
        DrawPlayer();
        DrawEnemyBullets();
        EndScene();
    }
    std::vector<u32> Pixels() {
        const u32* argb = BackBuffer()->Argb();
        return std::vector<u32>(argb, argb + static_cast<std::size_t>(BackBuffer()->Width()) * BackBuffer()->Height());
    }

    static EnemyBullet Bullet(i32 kind, f32 x, f32 y, i32 age, f32 rotation) {
        EnemyBullet b;
        b.kind = kind;
        b.x = x;
        b.y = y;
        b.age = age;
        b.rotation = rotation;
        b.heading = rotation;
        return b;
    }
};

TEST_F(PlayerDrawTest, AircraftShotsMissilesCoinsAndBullets) {
    g_GameState.FrameCounter = 7;
    g_GameState.FieldScrollX = 12.0f;
    PlayerState& p = g_PlayerState[0];
    p.x = 300.5f;
    p.y = 400.0f;
    p.keys[kKeyRight] = kKeyHeld;
    p.bankFrames = 9;

    PlayerShot shot;
    shot.kind = kShotGun;
    shot.angle = -1.5707964f;
    for (int i = 0; i < 4; ++i) {
        shot.x = 281.0f + (i % 2) * 14.0f;
        shot.y = 330.0f - 45.0f * (i / 2);
        g_PlayerShotList.push_back(shot);
    }
    PlayerShot blast = shot;  // blast areas are not drawn
    blast.kind = kShotBlastSmall;
    g_PlayerShotList.push_back(blast);

    PlayerMissile single;
    single.kind = kMissileSingle;
    single.angle = -1.5707964f;
    single.x = 200.0f;
    single.y = 300.0f;
    PlayerMissile twin = single;
    twin.kind = kMissileDouble;
    twin.x = 400.0f;
    twin.angle = -1.2f;
    g_PlayerMissileList = {single, twin};

    for (int i = 0; i < 9; ++i) {
        Coin c;
        c.kind = kCoinKind;
        c.age = i * 3;
        c.angle = i % 2 ? 1.0f : -1.0f;  // falling coins are drawn smaller
        c.x = 150.0f + 40.0f * i;
        c.y = 120.0f + 10.0f * (i % 3);
        g_CoinList.push_back(c);
    }

    const i32 kinds[] = {10, 201, 102, 10102, 104, 10107, 10108, 211, 10105, 101, 20, 30, 40, 50, 999};
    for (int i = 0; i < 15; ++i)
        g_EnemyBulletList.push_back(Bullet(kinds[i], 150.0f + 55.0f * (i % 7), 200.0f + 50.0f * (i / 7), i * 4, 0.3f * i));

    DrawFrame();
    EXPECT_TRUE(testing_support::MatchesGolden(kGoldenDir, "player_objects", BackBuffer()));
}

TEST_F(PlayerDrawTest, TheLastLifeIsDimmedAndBlinks) {
    PlayerState& p = g_PlayerState[0];
    p.lives = 0;
    p.keys[kKeyLeft] = kKeyHeld;  // a dead aircraft is drawn level
    p.bankFrames = 20;
    p.blinkTimer = 300;
    DrawFrame();
    EXPECT_TRUE(testing_support::MatchesGolden(kGoldenDir, "player_dead", BackBuffer()));
    const std::vector<u32> shown = Pixels();

    p.blinkTimer = 299;
    DrawFrame();
    const std::vector<u32> hidden = Pixels();
    p.present = 0;
    DrawFrame();
    EXPECT_EQ(hidden, Pixels());
    EXPECT_NE(hidden, shown);
}

TEST_F(PlayerDrawTest, WhilePausedTheBankComesFromTheSavedKeys) {
    PlayerState& p = g_PlayerState[0];
    p.bankFrames = 10;
    p.keys[kKeyLeft] = kKeyHeld;
    DrawFrame();
    const std::vector<u32> left = Pixels();
    g_PauseMenu.PauseActive = 1;
    g_PauseMenu.savedKeys[kKeyRight] = kKeyHeld;
    DrawFrame();
    const std::vector<u32> paused = Pixels();
    g_PauseMenu.PauseActive = 0;
    p.keys[kKeyLeft] = kKeyUpState;
    p.keys[kKeyRight] = kKeyHeld;
    DrawFrame();
    EXPECT_EQ(paused, Pixels());
    EXPECT_NE(paused, left);
}

}  // namespace
