#include "game/play/player.h"

#include <gtest/gtest.h>

#include <cmath>

#include "game/play/coins.h"
#include "game/play/collision.h"
#include "game/play/missiles.h"
#include "game/play/shots.h"
#include "game/shell/game_math.h"
#include "game/shell/game_state.h"
#include "tests/game/play/play_test_support.h"

namespace {

using play_test::PlayTest;

class PlayerTest : public PlayTest {
protected:
    // Holds X for `held` frames, then releases it.
    static void HoldAndRelease(int held) {
        for (int i = 0; i < held; ++i) Frame(kInputX);
        Frame(0);
    }
};

TEST_F(PlayerTest, ResetForAStageKeepsTheRunAndPlacesTheAircraft) {
    PlayerState& p = P();
    p.lives = 5;
    p.extendCount = 2;
    p.extendPoints = 300;
    p.RunScore = 4000;
    p.fireHoldFrames = 40;
    p.missileStock = 1;
    p.shotLevel = 6;
    p.StageScorePoints = 900;
    p.keys[kKeyZ] = kKeyHeld;
    p.x = 300.0f;
    g_PlayRecord.played[0] = 1;
    ResetPlayerState(1);
    EXPECT_EQ(p.present, 1);
    EXPECT_EQ(p.lives, 5);
    EXPECT_EQ(p.extendCount, 2);
    EXPECT_EQ(p.extendPoints, 300);
    EXPECT_EQ(p.RunScore, 4000);
    EXPECT_EQ(p.fireHoldFrames, 40);
    EXPECT_EQ(p.missileStock, 3);
    EXPECT_EQ(p.shotLevel, 1);
    EXPECT_EQ(p.levelTimerMax, 100);
    EXPECT_EQ(p.StageScorePoints, 0);
    EXPECT_EQ(p.keys[kKeyZ], kKeyUpState);
    EXPECT_EQ(p.x, 240.0f);
    EXPECT_EQ(p.y, 420.0f);
    EXPECT_EQ(g_PlayRecord.played[0], 1);

    // A new run: lives, extra-life counters, run score and record reset; the
    // aircraft stays where it is.
    p.x = 300.0f;
    g_PlayRecord.input[2] = {1, 2, 3};
    g_PlayRecord.stageRank[1] = 4;
    ResetPlayerState(0);
    EXPECT_EQ(p.lives, 3);
    EXPECT_EQ(p.extendCount, 0);
    EXPECT_EQ(p.extendPoints, 0);
    EXPECT_EQ(p.RunScore, 0);
    EXPECT_EQ(p.x, 300.0f);
    EXPECT_EQ(g_PlayRecord.played[0], 0);
    EXPECT_TRUE(g_PlayRecord.input[2].empty());
    EXPECT_EQ(g_PlayRecord.stageRank[1], 4u);
}

TEST_F(PlayerTest, SpeedFallsWithTheMissileStockAndHalvesWhileFireIsHeld) {
    struct Case {
        i32 stage;
        i32 stock;
        i32 holdFrames;
        f32 zoom;
        f64 vertical;
        f64 horizontal;
    };
    const Case cases[] = {
        {0, 0, 0, 4.0f, 5.4, 5.4},  {0, 3, 0, 4.0f, 4.5, 4.5},    {0, 5, 0, 4.0f, 3.9, 3.9},
        {0, 3, 15, 4.0f, 4.5, 4.5}, {0, 3, 16, 4.0f, 2.25, 2.25}, {2, 3, 0, 2.0f, 4.5, 4.0},
        {3, 0, 0, 10.0f, 5.4, 5.3}, {4, 3, 0, 300.0f, 4.5, 4.5},  {2, 3, 50, 2.0f, 2.25, 2.0},
    };
    for (const Case& c : cases) {
        play_test::ResetPlay();
        g_GameState.StageIndex = c.stage;
        g_GameState.BackgroundZoom = c.zoom;
        P().x = 320.0f;
        P().y = 240.0f;
        P().missileStock = c.stock;
        P().fireHoldFrames = c.holdFrames;
        Frame(kInputUp | kInputLeft);
        EXPECT_NEAR(240.0 - P().y, c.vertical, 1e-4) << "stage " << c.stage << " stock " << c.stock;
        EXPECT_NEAR(320.0 - P().x, c.horizontal, 1e-4) << "stage " << c.stage << " stock " << c.stock;
        P().x = 320.0f;
        P().y = 240.0f;
        P().fireHoldFrames = c.holdFrames;
        Frame(kInputDown | kInputRight);
        EXPECT_NEAR(P().y - 240.0, c.vertical, 1e-4);
        EXPECT_NEAR(P().x - 320.0, c.horizontal, 1e-4);
    }
}

TEST_F(PlayerTest, TheAircraftStaysInTheField) {
    struct Case {
        f32 x, y;
        u16 word;
        f32 wantX, wantY;
    };
    const Case cases[] = {
        {121.0f, 1.0f, kInputUp | kInputLeft, 120.0f, 0.0f},
        {519.0f, 469.0f, kInputDown | kInputRight, 520.0f, 470.0f},
        {120.0f, 0.0f, 0, 120.0f, 0.0f},
    };
    for (const Case& c : cases) {
        P().x = c.x;
        P().y = c.y;
        Frame(c.word);
        EXPECT_EQ(P().x, c.wantX);
        EXPECT_EQ(P().y, c.wantY);
    }
}

TEST_F(PlayerTest, BankingCountsHeldFramesUpToTwenty) {
    Frame(kInputRight);
    EXPECT_EQ(P().bankFrames, 0);  // pressed this frame
    for (int i = 0; i < 25; ++i) Frame(kInputRight);
    EXPECT_EQ(P().bankFrames, 20);
    Frame(0);
    EXPECT_EQ(P().bankFrames, 0);
}

TEST_F(PlayerTest, PanelsMakeRoomForTheAircraft) {
    P().y = 450.0f;
    for (int i = 0; i < 30; ++i) Frame(0);
    EXPECT_EQ(g_GameState.BottomPanelShift, 25);
    EXPECT_EQ(g_GameState.TopPanelShift, 0);
    EXPECT_EQ(g_GameState.GaugePanelSlide, 240);
    P().y = 100.0f;
    for (int i = 0; i < 45; ++i) Frame(0);
    EXPECT_EQ(g_GameState.BottomPanelShift, 0);
    EXPECT_EQ(g_GameState.TopPanelShift, 40);
    g_GameState.StageScriptPhase = kClosingPhase;
    Frame(0);
    EXPECT_EQ(g_GameState.GaugePanelSlide, 234);
}

TEST_F(PlayerTest, GunsFireTwoShotsEveryThirdFrameForThirtyFramesAfterZ) {
    g_GameState.FieldScrollX = 10.0f;
    P().x = 300.0f;
    P().y = 400.0f;
    Frame(kInputZ);  // frame 0
    ASSERT_EQ(g_PlayerShotList.size(), 2u);
    const PlayerShot& right = g_PlayerShotList[0];
    EXPECT_EQ(right.kind, kShotGun);
    EXPECT_EQ(right.damage, 15);
    EXPECT_EQ(right.consumeOnHit, 1);
    EXPECT_EQ(right.x, 297.0f);
    EXPECT_EQ(right.y, 385.0f);
    EXPECT_FLOAT_EQ(right.angle, -1.5707964f);
    EXPECT_EQ(right.hitShape.radius, 0.0f);
    EXPECT_EQ(g_PlayerShotList[1].x, 283.0f);
    EXPECT_EQ(GetSoundEffectStamp(6), 0);

    // Released: the gun keeps firing while its timer runs.
    for (int f = 1; f < 31; ++f) Frame(0);
    EXPECT_EQ(P().fireTimer, 0);
    // Frames 0, 3, ..., 27 fired (the timer is 1 at frame 29, 0 at frame 30).
    EXPECT_EQ(g_PlayerShotList.size(), 20u);
    EXPECT_EQ(P().fireHoldFrames, 0);
}

TEST_F(PlayerTest, HoldingFireCountsUpToAHundredFrames) {
    for (int i = 0; i < 120; ++i) Frame(kInputZ);
    EXPECT_EQ(P().fireHoldFrames, 100);
    EXPECT_EQ(P().fireTimer, 30);
}

TEST_F(PlayerTest, MissileLaunchKeepsTheChargeFractionOfTheNextThreshold) {
    struct Case {
        i32 stock;
        i32 charge;
        int held;
        i32 kind;
        i32 power;
        i32 stockAfter;
        i32 chargeAfter;
    };
    const Case cases[] = {
        {3, 10, 1, 10, 3, 2, 7},    // 10 / 20 x 15
        {3, 10, 30, 20, 5, 1, 5},   // 10 / 20 x 10
        {3, 19, 29, 10, 3, 2, 14},  // one frame short of the double missile
        {1, 9, 60, 10, 3, 0, 4},    // one in stock: a single missile however long X was held
        {2, 14, 30, 20, 5, 0, 4},   // 14 / 15 x 5: the threshold of an empty stock is 5
        {5, 0, 40, 20, 5, 3, 0},
    };
    for (const Case& c : cases) {
        play_test::ResetPlay();
        P().missileStock = c.stock;
        P().missileCharge = c.charge;
        HoldAndRelease(c.held);
        ASSERT_EQ(g_PlayerMissileList.size(), 1u) << "stock " << c.stock << " held " << c.held;
        const PlayerMissile& m = g_PlayerMissileList[0];
        EXPECT_EQ(m.kind, c.kind);
        EXPECT_EQ(m.power, c.power);
        EXPECT_EQ(m.speed, -8.0f);
        EXPECT_EQ(m.x, 240.0f);
        EXPECT_EQ(m.y, 420.0f);
        EXPECT_EQ(m.hitShape.halfWidth, 0.0f);
        EXPECT_EQ(P().missileStock, c.stockAfter);
        EXPECT_EQ(P().missileCharge, c.chargeAfter);
        EXPECT_EQ(P().missileCooldown, 15);
        EXPECT_EQ(P().missileChargeUp, 0);
    }
}

TEST_F(PlayerTest, ChargeUpNeedsTwoMissilesAndSoundsOnceFull) {
    P().missileStock = 1;
    for (int i = 0; i < 40; ++i) Frame(kInputX);
    EXPECT_EQ(P().missileChargeUp, 0);
    P().missileStock = 2;
    for (int i = 0; i < 29; ++i) Frame(kInputX);
    EXPECT_EQ(P().missileChargeUp, 29);
    Frame(kInputX);
    EXPECT_EQ(P().missileChargeUp, 30);
    EXPECT_EQ(SoundEffectGates[5], 0);  // the double missile is ready
    Frame(kInputX);
    EXPECT_EQ(P().missileChargeUp, 30);
    EXPECT_EQ(SoundEffectGates[5], 1);
}

TEST_F(PlayerTest, ReleasingXWithoutMissilesComplainsOnlyInNormalPlay) {
    P().missileStock = 0;
    HoldAndRelease(1);
    EXPECT_TRUE(g_PlayerMissileList.empty());
    EXPECT_EQ(SoundEffectGates[2], 0);

    play_test::ResetPlay();
    P().missileStock = 0;
    g_GameState.GameMode = kGameModeReplay;
    g_PlayRecord.input[0] = {kInputX, 0};
    Frame(0);
    Frame(0);
    EXPECT_TRUE(g_PlayerMissileList.empty());
    EXPECT_EQ(SoundEffectGates[2], 1);
}

TEST_F(PlayerTest, NormalPlayRecordsTheLiveWordOnlyWhileNoContinueWasUsed) {
    g_GameState.StageIndex = 2;
    Frame(kInputUp);
    Frame(kInputZ | kInputT);
    EXPECT_EQ(g_PlayRecord.input[2], (std::vector<u16>{kInputUp, kInputZ | kInputT}));
    EXPECT_EQ(P().keys[kKeyZ], kKeyPressed);
    g_GameState.Continues = 2;
    Frame(kInputDown);
    EXPECT_EQ(g_PlayRecord.input[2].size(), 2u);
    EXPECT_EQ(P().keys[kKeyDown], kKeyPressed);
}

TEST_F(PlayerTest, PlaybackReadsTheRecordedWordAndTheLiveKeysApart) {
    for (const i32 mode : {kGameModeReplay, kGameModeDemo}) {
        play_test::ResetPlay();
        g_GameState.GameMode = mode;
        g_GameState.StageIndex = 1;
        g_PlayRecord.input[1] = {kInputLeft, kInputLeft};
        Frame(kInputT);
        EXPECT_EQ(P().keys[kKeyLeft], kKeyPressed);
        EXPECT_EQ(P().keys[kKeyT], kKeyUpState);
        EXPECT_EQ(P().liveKeys[kKeyT], kKeyPressed);
        EXPECT_EQ(P().liveKeys[kKeyLeft], kKeyUpState);
        EXPECT_LT(P().x, 240.0f);
        Frame(0);
        EXPECT_EQ(P().keys[kKeyLeft], kKeyHeld);
        // Past the end of the stream the recorded input is empty.
        const f32 x = P().x;
        Frame(kInputRight);
        EXPECT_EQ(P().keys[kKeyLeft], kKeyReleased);
        EXPECT_EQ(P().x, x);
        Frame(0);
        EXPECT_EQ(P().keys[kKeyLeft], kKeyUpState);
        // Playback never writes the record.
        EXPECT_EQ(g_PlayRecord.input[1].size(), 2u);
    }
}

TEST_F(PlayerTest, ShotLevelDecaysUnlessABossHoldsIt) {
    struct Case {
        u8 bossActive;
        u8 bossSequence;
        i32 frame;
        i32 levelTimer;
        i32 wantTimer;
        i32 wantLevel;
    };
    const Case cases[] = {
        // clang-format off
        {0, 0, 1, 1, 100, 2},   // runs out: one level down, gauge refilled
        {0, 0, 1, 50, 49, 3},
        {1, 0, 1, 20, 20, 3},   // a boss holds the gauge's upper part
        {1, 0, 1, 19, 18, 3},
        {0, 1, 1, 50, 50, 3},   // a boss sequence decays on every third frame
        // clang-format on
        {0, 1, 3, 50, 49, 3},
    };
    for (const Case& c : cases) {
        play_test::ResetPlay();
        g_GameState.BossActiveFlag = c.bossActive;
        g_GameState.BossSequenceFlag = c.bossSequence;
        g_GameState.FrameCounter = c.frame;
        P().shotLevel = 3;
        P().levelTimer = c.levelTimer;
        Frame(0);
        EXPECT_EQ(P().levelTimer, c.wantTimer);
        EXPECT_EQ(P().shotLevel, c.wantLevel);
    }
    // Level 1 does not decay.
    play_test::ResetPlay();
    P().levelTimer = 30;
    Frame(0);
    EXPECT_EQ(P().levelTimer, 30);
}

TEST_F(PlayerTest, LevelDigitOpensWhileTheGaugeIsHighAndClosesAfter) {
    P().shotLevel = 2;
    P().levelTimer = 100;
    for (int i = 0; i < 12; ++i) Frame(0);
    EXPECT_EQ(g_GameState.LevelDigitHeight, 20);
    P().levelTimer = 5;
    P().shotLevel = 1;
    Frame(0);
    EXPECT_EQ(g_GameState.LevelDigitHeight, 19);
}

TEST_F(PlayerTest, DisplayedCountersCatchUp) {
    P().StageScorePoints = 20000;
    P().cancelCount = 5;
    Frame(0);
    EXPECT_EQ(P().stagePointsShown, 511);
    EXPECT_EQ(P().cancelShown, 3);
    Frame(0);
    EXPECT_EQ(P().cancelShown, 4);
    Frame(0);
    EXPECT_EQ(P().cancelShown, 5);
    P().stagePointsShown = 19950;
    Frame(0);
    EXPECT_EQ(P().stagePointsShown, 20000);
}

TEST_F(PlayerTest, ExtraLivesComeAfterAThousandThenFifteenHundredThenTwoThousandCoins) {
    P().extendPoints = 999;
    Frame(0);
    EXPECT_EQ(P().lives, 3);
    P().extendPoints = 1000;
    Frame(0);
    EXPECT_EQ(P().lives, 4);
    EXPECT_EQ(P().extendCount, 1);
    EXPECT_EQ(P().extendPoints, 0);
    ASSERT_EQ(CountEffects(62), 1u);
    EXPECT_EQ(g_EffectList.back().y, 380.0f);
    P().extendPoints = 1499;
    Frame(0);
    EXPECT_EQ(P().lives, 4);
    P().extendPoints = 1501;
    Frame(0);
    EXPECT_EQ(P().lives, 5);
    EXPECT_EQ(P().extendPoints, 1);
    P().lives = 10;
    P().extendPoints = 2000;
    Frame(0);
    EXPECT_EQ(P().lives, 10);
    EXPECT_EQ(P().extendCount, 3);
}

TEST_F(PlayerTest, CoinsFeedTheChargeTheStockAndTheStagePoints) {
    P().missileStock = 3;
    P().missileCharge = 18;
    P().cancelCount = 150;
    g_CoinList.push_back(MakeCoin(240.0f, 420.0f));
    g_CoinList.push_back(MakeCoin(250.0f, 430.0f));
    g_CoinList.push_back(MakeCoin(240.0f, 420.0f, 9));  // too young to collect
    CollidePlayer();
    ASSERT_EQ(g_CoinList.size(), 1u);
    EXPECT_EQ(g_CoinList[0].age, 9);
    EXPECT_EQ(P().missileStock, 4);
    EXPECT_EQ(P().missileCharge, 0);
    EXPECT_EQ(P().coins, 2);
    EXPECT_EQ(P().extendPoints, 2);
    EXPECT_EQ(P().StageScorePoints, 12);

    // The sixth missile never comes.
    P().missileStock = 5;
    P().missileCharge = 0;
    for (int i = 0; i < 40; ++i) g_CoinList.push_back(MakeCoin(240.0f, 420.0f));
    CollidePlayer();
    EXPECT_EQ(P().missileStock, 5);
    EXPECT_EQ(P().missileCharge, 0);
}

TEST_F(PlayerTest, CoinsAreCollectedWithinFortyPixels) {
    g_GameState.FieldScrollX = -30.0f;  // the player's point is (270, 420)
    g_CoinList.push_back(MakeCoin(270.0f + 40.0f, 420.0f));
    g_CoinList.push_back(MakeCoin(270.0f, 420.0f - 39.9f));
    CollidePlayer();
    ASSERT_EQ(g_CoinList.size(), 1u);
    EXPECT_EQ(g_CoinList[0].x, 310.0f);
}

TEST_F(PlayerTest, CoinPayRisesWithCancelledBullets) {
    const struct {
        i32 cancelled;
        i32 pay;
    } cases[] = {{0, 5}, {100, 5}, {101, 6}, {200, 6}, {201, 7}, {250, 7}, {1000, 14}, {9999, 104}};
    for (const auto& c : cases) EXPECT_EQ(CoinValue(c.cancelled), c.pay) << c.cancelled;
}

TEST_F(PlayerTest, ABulletHitCostsALifeAndStartsTheBlink) {
    g_GameState.MissionTimer.remaining = 300;
    g_EnemyBulletList.push_back(Bullet(10, 240.0f, 420.0f));
    CollidePlayer();
    EXPECT_EQ(P().lives, 2);
    EXPECT_EQ(P().blinkTimer, 200);
    EXPECT_EQ(g_GameState.ScreenShakeTimer, 50);
    EXPECT_EQ(g_GameState.MissCount, 1);
    EXPECT_EQ(g_GameState.BossPhaseMissCount, 0);
    EXPECT_TRUE(g_EnemyBulletList.empty());
    EXPECT_EQ(g_GameState.MissionTimer.remaining, 0);  // the mission failed
    ASSERT_EQ(CountEffects(10), 5u);
    const i32 ages[5] = {0, -2, -4, -6, -8};
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(g_EffectList[k].age, ages[k]);
        EXPECT_LE(std::abs(g_EffectList[k].x - 240.0f), 50.0f);
    }
    EXPECT_EQ(SoundEffectGates[8], 0);

    // Invulnerable while blinking.
    g_EnemyBulletList.push_back(Bullet(10, 240.0f, 420.0f));
    CollidePlayer();
    EXPECT_EQ(P().lives, 2);
    EXPECT_EQ(g_EnemyBulletList.size(), 1u);
}

TEST_F(PlayerTest, BossPhasesCountTheirMisses) {
    for (const i32 phase : {9, 10, 29, 30, 31}) {
        play_test::ResetPlay();
        g_GameState.StageScriptPhase = phase;
        g_EnemyBulletList.push_back(Bullet(10, 240.0f, 420.0f));
        CollidePlayer();
        EXPECT_EQ(g_GameState.BossPhaseMissCount, phase == 10 || phase == 29 || phase == 30 ? 1 : 0);
    }
}

TEST_F(PlayerTest, ABulletAndAShellTogetherCostOneLifeAndOnlyTheBullet) {
    EnemyShell shell;
    shell.x = 240.0f;
    shell.y = 425.0f;
    shell.playerHitShape = {0.0f, 0.0f, 10.0f};
    g_EnemyShellList.push_back(shell);
    g_EnemyBulletList.push_back(Bullet(10, 250.0f, 440.0f));  // misses
    g_EnemyBulletList.push_back(Bullet(10, 242.0f, 421.0f));  // hits
    CollidePlayer();
    EXPECT_EQ(P().lives, 2);
    EXPECT_EQ(g_EnemyBulletList.size(), 1u);
    EXPECT_EQ(g_EnemyBulletList[0].x, 250.0f);
    EXPECT_EQ(g_EnemyShellList.size(), 1u);

    // Without a bullet the shell's player shape hits, rotated by its angle.
    play_test::ResetPlay();
    shell.x = 280.0f;
    shell.playerHitShape = {30.0f, 4.0f, 0.0f};
    shell.angle = 0.0f;
    g_EnemyShellList.push_back(shell);
    CollidePlayer();
    EXPECT_EQ(P().lives, 3);  // the rectangle lies flat beside the aircraft
    g_EnemyShellList[0].angle = -1.5707964f;
    g_EnemyShellList[0].x = 240.0f;
    g_EnemyShellList[0].y = 450.0f;
    CollidePlayer();
    EXPECT_EQ(P().lives, 2);
    EXPECT_TRUE(g_EnemyShellList.empty());
}

TEST_F(PlayerTest, AKindFortyBulletBurstsWhenItHits) {
    g_EnemyBulletList.push_back(Bullet(40, 240.0f, 420.0f));
    CollidePlayer();
    // Six sparks of the burst, then five explosions.
    ASSERT_EQ(CountEffects(10), 11u);
    EXPECT_EQ(g_EffectList[5].layer, 1);
    EXPECT_EQ(g_EffectList[5].age, -10);
    EXPECT_EQ(g_EffectList[6].age, 0);
}

TEST_F(PlayerTest, AHitTakesControlAwayForItsFirstFramesThenTheAircraftBlinks) {
    P().missileChargeUp = 12;
    g_EnemyBulletList.push_back(Bullet(10, 240.0f, 420.0f));
    CollidePlayer();
    EXPECT_EQ(P().missileChargeUp, 0);
    int drifting = 0;
    for (int i = 0; i < 200; ++i) {
        const f32 y = P().y;
        Frame(kInputUp);
        if (P().y > y || (P().y == 470.0f && y == 470.0f)) ++drifting;
    }
    EXPECT_EQ(drifting, 65);
    EXPECT_EQ(P().blinkTimer, 0);
    EXPECT_EQ(P().lives, 2);
}

TEST_F(PlayerTest, TheLastLifeFallsDimmedThroughTheFloorAndCollidesWithNothing) {
    P().lives = 1;
    g_EnemyBulletList.push_back(Bullet(10, 240.0f, 420.0f));
    CollidePlayer();
    EXPECT_EQ(P().lives, 0);
    EXPECT_EQ(P().blinkTimer, 400);
    g_EffectList.clear();
    for (int i = 0; i < 60; ++i) Frame(kInputUp | kInputZ);
    EXPECT_FLOAT_EQ(P().y, 420.0f + 90.0f);
    EXPECT_EQ(CountEffects(12), 20u);
    EXPECT_TRUE(g_PlayerShotList.empty());
    // Nothing collides, no coin is collected.
    g_EnemyBulletList.push_back(Bullet(10, P().x, P().y));
    g_CoinList.push_back(MakeCoin(P().x, P().y));
    P().blinkTimer = 0;
    CollidePlayer();
    EXPECT_EQ(g_EnemyBulletList.size(), 1u);
    EXPECT_EQ(g_CoinList.size(), 1u);
}

TEST_F(PlayerTest, TheDeathTrailDrawsThreeNumbersPerPuffInOrder) {
    P().lives = 0;
    P().blinkTimer = 4;  // 3 after the count-down
    const u32 seed = RandomGetState();
    Frame(0);
    ASSERT_EQ(g_EffectList.size(), 1u);
    RandomSetState(seed);
    const f32 r1 = RandomFloat(-20.0f, 20.0f);
    const f32 r2 = RandomFloat(-20.0f, 20.0f);
    const f32 a = RandomFloat(-3.1415927f, 3.1415927f);
    EXPECT_EQ(g_EffectList[0].kind, 12);
    EXPECT_EQ(g_EffectList[0].x, 240.0f + r1);
    EXPECT_EQ(g_EffectList[0].y, 421.5f + r2);
    EXPECT_EQ(g_EffectList[0].param, a);
}

TEST_F(PlayerTest, NothingRunsWhileThePlayerIsAbsent) {
    P().present = 0;
    Frame(kInputZ | kInputUp);
    EXPECT_EQ(P().y, 420.0f);
    EXPECT_TRUE(g_PlayerShotList.empty());
    EXPECT_TRUE(g_PlayRecord.input[0].empty());
    g_EnemyBulletList.push_back(Bullet(10, 240.0f, 420.0f));
    CollidePlayer();
    EXPECT_EQ(P().lives, 3);
}

TEST_F(PlayerTest, TheShellReachesTheResetAndThePositionThroughItsHooks) {
    const ResetPlayerStateFn saved = ResetPlayerStateHook;
    InstallPlayerHooks();
    P().lives = 1;
    P().RunScore = 500;
    P().shotLevel = 4;
    ResetPlayer(0);
    EXPECT_EQ(P().lives, 3);
    EXPECT_EQ(P().RunScore, 0);
    EXPECT_EQ(P().shotLevel, 1);
    P().x = 200.0f;
    P().y = 300.0f;
    const f32 from[2] = {200.0f, 100.0f};
    EXPECT_NEAR(AngleToPlayer(from, 0), 1.5707963, 1e-6);
    ResetPlayerStateHook = saved;
    SetPlayerPositionSource(nullptr);
}

}  // namespace
