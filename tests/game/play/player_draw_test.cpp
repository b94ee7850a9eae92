// Golden frames of the player, its shots and missiles, coins and enemy
// bullets drawn over the sample data, in the play scene's draw order.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <vector>

#include "engine/graphics/device.h"
#include "game/play/coins.h"
#include "game/play/collision.h"
#include "game/play/missiles.h"
#include "game/play/play_overlays.h"
#include "game/play/player.h"
#include "game/play/shots.h"
#include "game/play/stage_textures.h"
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
        g_EnemyBulletList.push_back(
            Bullet(kinds[i], 150.0f + 55.0f * (i % 7), 200.0f + 50.0f * (i / 7), i * 4, 0.3f * i));

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

// A scripted flight, frame by frame through the play update's order: the
// aircraft climbs firing, charges and launches a double missile, banks left,
// launches a single missile, collects a ring of coins and is hit by aimed
// bullets until its last life is lost.
class ScriptedFlight {
public:
    // The live input word of play frame `f`.
    static u16 Word(i32 f) {
        if (f < 30) return kInputUp | kInputZ;
        if (f < 60) return kInputZ | kInputX;
        if (f == 60) return 0;  // release: the double missile
        if (f <= 90) return kInputLeft;
        if (f == 91) return kInputX;
        if (f == 92) return 0;  // release: the single missile
        return 0;
    }
    // What the enemies would have left on the field at frame `f`.
    static void Inject(i32 f) {
        const PlayerState& p = g_PlayerState[0];
        if (f == 95) {
            const f32 pos[2] = {p.x - g_GameState.FieldScrollX, p.y - 50.0f};
            SpawnCoins(kCoinKind, pos, -1.5707964f, 10);
        }
        if (f == 150 || f == 400 || f == 650) {
            EnemyBullet b;
            b.kind = 10;
            b.x = p.x - g_GameState.FieldScrollX;
            b.y = p.y - 100.0f;
            b.heading = 1.5707964f;
            b.speed = 5.0f;
            b.hitShape = {0.0f, 0.0f, 5.0f};
            g_EnemyBulletList.push_back(b);
        }
    }
    // One play frame with this live input word.
    static void Step(u16 live) {
        Inject(g_GameState.FrameCounter);
        platform::SetScriptedInput({live});
        platform::ScriptedInput();
        UpdatePlayer();
        UpdatePlayerShots();
        UpdateEnemyBullets();
        UpdatePlayerMissiles();
        UpdateCoins();
        RunCollisionPhase();
        ++g_GameState.FrameCounter;
        RearmSoundEffectGates();
    }
};

TEST_F(PlayerDrawTest, AScriptedFlightFiresLaunchesMissilesCollectsCoinsAndDies) {
    RandomSeed(4711);
    std::size_t mostShots = 0;
    std::vector<i32> launches;
    std::vector<i32> lives;
    for (i32 f = 0; f < 900; ++f) {
        const std::size_t missiles = g_PlayerMissileList.size();
        ScriptedFlight::Step(ScriptedFlight::Word(f));
        mostShots = std::max(mostShots, g_PlayerShotList.size());
        if (g_PlayerMissileList.size() > missiles) launches.push_back(g_PlayerMissileList.back().kind);
        if (lives.empty() || lives.back() != g_PlayerState[0].lives) lives.push_back(g_PlayerState[0].lives);
        if (f == 70) {
            DrawFrame();
            EXPECT_TRUE(testing_support::MatchesGolden(kGoldenDir, "player_flight_70", BackBuffer()));
        }
    }
    const PlayerState& p = g_PlayerState[0];
    EXPECT_GE(mostShots, 10u);
    EXPECT_EQ(launches, (std::vector<i32>{kMissileDouble, kMissileSingle}));
    EXPECT_EQ(p.coins, 10);
    // Both missiles spent; five coins bought the next, five more charge it.
    EXPECT_EQ(p.missileStock, 1);
    EXPECT_EQ(p.missileCharge, 5);
    EXPECT_EQ(lives, (std::vector<i32>{3, 2, 1, 0}));
    EXPECT_EQ(g_GameState.MissCount, 3);
    EXPECT_GT(p.y, 470.0f);  // the dead aircraft falls through the floor
    EXPECT_EQ(g_PlayRecord.input[0].size(), 900u);
    EXPECT_EQ(g_PlayRecord.input[0][0], kInputUp | kInputZ);
}

// The flight recorded in normal play and played back from its record with
// other live input gives the same state: the same draws in the same order.
TEST_F(PlayerDrawTest, ARecordedFlightPlaysBackToTheSameState) {
    RandomSeed(99);
    for (i32 f = 0; f < 900; ++f) ScriptedFlight::Step(ScriptedFlight::Word(f));
    PlayerState recorded = g_PlayerState[0];
    const std::vector<u16> stream = g_PlayRecord.input[0];
    const u32 randomState = RandomGetState();
    const std::size_t effects = g_EffectList.size();
    const std::size_t coins = g_CoinList.size();
    const std::size_t shots = g_PlayerShotList.size();

    play_test::ResetPlay();
    g_GameState.GameMode = kGameModeReplay;
    g_PlayRecord.input[0] = stream;
    RandomSeed(99);
    for (i32 f = 0; f < 900; ++f) ScriptedFlight::Step(static_cast<u16>(kInputZ | kInputRight | (f % 7 ? 0 : kInputX)));
    PlayerState played = g_PlayerState[0];
    std::memset(recorded.liveKeys, 0, sizeof recorded.liveKeys);
    std::memset(played.liveKeys, 0, sizeof played.liveKeys);
    EXPECT_EQ(std::memcmp(&recorded, &played, sizeof recorded), 0);
    EXPECT_EQ(RandomGetState(), randomState);
    EXPECT_EQ(g_EffectList.size(), effects);
    EXPECT_EQ(g_CoinList.size(), coins);
    EXPECT_EQ(g_PlayerShotList.size(), shots);
    EXPECT_EQ(g_PlayRecord.input[0], stream);
}

}  // namespace
