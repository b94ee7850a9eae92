#include "game/play/player.h"

#include <cmath>

#include "engine/core/radians.h"
#include "engine/core/random.h"
#include "engine/graphics/texture.h"
#include "game/play/coins.h"
#include "game/play/collision.h"
#include "game/play/effects.h"
#include "game/play/enemy_shells.h"
#include "game/play/missiles.h"
#include "game/play/play_overlays.h"
#include "game/play/play_scene.h"
#include "game/play/records.h"
#include "game/play/shots.h"
#include "game/play/stage_textures.h"
#include "game/shell/game_math.h"
#include "game/shell/game_state.h"
#include "game/shell/input.h"
#include "game/shell/play_state.h"
#include "game/shell/replay.h"
#include "game/shell/sound_effects.h"
#include "game/shell/sound_names.h"

// A replay's lives are checked against the player's most lives.
static_assert(kPlayerMaxLives == static_cast<i32>(kMaxRecordedLives));

namespace {

// The shapes the aircraft collides with.
constexpr HitShape kCoinShape{0.0f, 0.0f, 30.0f};
constexpr HitShape kPickupShape{0.0f, 0.0f, 10.0f};
constexpr HitShape kBodyShape{0.0f, 0.0f, 4.0f};

bool Down(i32 state) { return state > kKeyReleased; }

// A stamped sound that plays only when `gap` frames have passed since its
// last stamp.
void PlaySpacedSound(i32 sound, i32 gap) {
    const i32 frame = g_GameState.FrameCounter;
    if (frame - GetSoundEffectStamp(sound) >= gap) PlaySoundEffectStamped(sound, frame);
}

// Reads this frame's input into the key states.
void ReadPlayerInput(PlayerState& p) {
    const i32 mode = g_GameState.GameMode;
    if (mode == kGameModeDemo || mode == kGameModeReplay) {
        u8 bits[2];
        InputBytes(PlayRecordInputWord(g_PlayRecord, g_GameState.StageIndex, g_GameState.FrameCounter), bits);
        UpdateKeyStates(bits, p.keys);
        u8 live[2] = {0, 0};
        ReadInputBits(0, live);
        UpdateKeyStates(live, p.liveKeys);
        return;
    }
    u8 bits[2] = {0, 0};
    ReadInputBits(0, bits);
    if (g_GameState.Continues == 3) AppendInputWord(g_PlayRecord, g_GameState.StageIndex, InputWord(bits));
    UpdateKeyStates(bits, p.keys);
}

// The smoke trail of a falling or just-hit aircraft: three draws in this
// order, x offset, y offset, rotation.
void SpawnTrailSmoke(const PlayerState& p, i32 kind) {
    const f32 r1 = RandomFloat(-20.0f, 20.0f);
    const f32 r2 = RandomFloat(-20.0f, 20.0f);
    const f32 angle = RandomFloat(-kPi, kPi);
    const f32 pos[2] = {p.x + r1 - g_GameState.FieldScrollX, p.y + r2};
    SpawnEffect(kind, pos, angle, -1);
}

void UpdateCounters(PlayerState& p) {
    if (p.fireTimer > 0) --p.fireTimer;

    // The shot level decays; during a boss it holds in the gauge's last part,
    // during a boss sequence it decays at a third of the speed.
    if (p.levelTimer > 0 && p.shotLevel > 1 && !(g_GameState.BossActiveFlag && p.levelTimer >= 20)) {
        if (!g_GameState.BossSequenceFlag || g_GameState.FrameCounter % 3 == 0) {
            --p.levelTimer;
            if (p.levelTimer == 0) {
                --p.shotLevel;
                p.levelTimer = p.levelTimerMax;
            }
        }
    }

    const i32 digitThreshold = g_GameState.BossSequenceFlag ? 10 : 20;
    if (p.levelTimer >= digitThreshold) {
        if (g_GameState.LevelDigitHeight < 20) g_GameState.LevelDigitHeight += 2;
    } else if (g_GameState.LevelDigitHeight > 0) {
        --g_GameState.LevelDigitHeight;
    }

    if (p.blinkTimer > 0) --p.blinkTimer;
    if (p.missileCooldown > 0) --p.missileCooldown;

    if (p.stagePointsShown < p.StageScorePoints - 10000) {
        p.stagePointsShown += 511;
    } else if (p.stagePointsShown < p.StageScorePoints) {
        p.stagePointsShown += 111;
    }
    if (p.stagePointsShown > p.StageScorePoints) p.stagePointsShown = p.StageScorePoints;
    if (p.cancelShown + 3 < p.cancelCount) {
        p.cancelShown += 3;
    } else if (p.cancelShown < p.cancelCount) {
        ++p.cancelShown;
    }

    const i32 threshold = (p.extendCount + 2) * 500;
    if (p.extendPoints >= threshold) {
        p.extendPoints -= threshold;
        if (p.lives < kPlayerMaxLives) ++p.lives;
        ++p.extendCount;
        PlaySoundEffect(kSoundDecide2);
        const f32 pos[2] = {p.x, p.y - 40.0f};
        SpawnEffect(kEffectExtraLife, pos, 0.0f, -1);
    }
}

void Move(PlayerState& p) {
    f64 speed = 5.4 - 0.3 * p.missileStock;
    f64 across = speed;
    const i32 stage = g_GameState.StageIndex;
    if (stage == 2 || stage == 3) across = speed - 1.0 / static_cast<f64>(g_GameState.BackgroundZoom);
    if (p.fireHoldFrames > 15) {
        speed /= 2.0;
        across /= 2.0;
    }
    if (Down(p.keys[kKeyUp])) p.y = static_cast<f32>(p.y - speed);
    if (Down(p.keys[kKeyDown])) p.y = static_cast<f32>(p.y + speed);
    if (Down(p.keys[kKeyLeft])) p.x = static_cast<f32>(p.x - across);
    if (Down(p.keys[kKeyRight])) p.x = static_cast<f32>(p.x + across);

    if (p.keys[kKeyRight] == kKeyHeld || p.keys[kKeyLeft] == kKeyHeld) {
        if (p.bankFrames < 20) ++p.bankFrames;
    } else {
        p.bankFrames = 0;
    }
    if (p.keys[kKeyRight] == kKeyPressed || p.keys[kKeyLeft] == kKeyPressed) p.bankFrames = 0;

    if (p.x < kPlayerFieldLeft) p.x = kPlayerFieldLeft;
    if (p.x > kPlayerFieldRight) p.x = kPlayerFieldRight;
    if (p.y < kPlayerFieldTop) p.y = kPlayerFieldTop;
    if (p.y > kPlayerFieldBottom) p.y = kPlayerFieldBottom;
}

void SlidePanels(const PlayerState& p) {
    GameState& g = g_GameState;
    if (p.y > 400.0f) {
        if (g.BottomPanelShift < 25) ++g.BottomPanelShift;
    } else if (g.BottomPanelShift > 0) {
        --g.BottomPanelShift;
    }
    if (p.y < 200.0f) {
        if (g.TopPanelShift < 40) ++g.TopPanelShift;
    } else if (g.TopPanelShift > 0) {
        --g.TopPanelShift;
    }
    if (g.StageScriptPhase != kClosingPhase) {
        if (g.GaugePanelSlide < 240) g.GaugePanelSlide += 10;
    } else if (g.GaugePanelSlide > 0) {
        g.GaugePanelSlide -= 6;
    }
}

void FireGuns(PlayerState& p, i32 owner) {
    if (Down(p.keys[kKeyZ])) {
        p.fireTimer = 30;
        if (p.fireHoldFrames < 100) ++p.fireHoldFrames;
    } else {
        p.fireHoldFrames = 0;
    }
    if (p.fireTimer <= 0 || g_GameState.FrameCounter % 3 != 0) return;
    for (const f32 dx : {7.0f, -7.0f}) {
        PlayerShot shot;
        shot.owner = owner;
        shot.age = 0;
        shot.kind = kShotGun;
        shot.damage = 15;
        shot.angle = kUp;
        shot.heading = kUp;
        shot.consumeOnHit = 1;
        shot.x = p.x + dx - g_GameState.FieldScrollX;
        shot.y = p.y - 15.0f;
        g_PlayerShotList.push_back(shot);
    }
    PlaySpacedSound(kSoundGun25, 24);
}

void LaunchMissiles(PlayerState& p, i32 owner) {
    if (p.keys[kKeyX] == kKeyReleased) {
        if (p.missileStock > 0) {
            PlayerMissile m;
            m.owner = owner;
            m.age = 0;
            m.angle = kUp;
            m.heading = kUp;
            m.speed = -8.0f;
            m.x = p.x - g_GameState.FieldScrollX;
            m.y = p.y;
            const i32 stock = p.missileStock;
            // The charge keeps its fraction of the threshold of the next
            // missile: the threshold falls with the stock.
            const f64 fraction = static_cast<f64>(p.missileCharge) / (5 * stock + 5);
            if (p.missileChargeUp == kMissileChargeUpFull) {
                m.kind = kMissileDouble;
                m.power = 5;
                p.missileCharge = static_cast<i32>(fraction * (5 * stock - 5));
                p.missileStock -= 2;
            } else {
                m.kind = kMissileSingle;
                m.power = 3;
                p.missileCharge = static_cast<i32>(fraction * (5 * stock));
                p.missileStock -= 1;
            }
            g_PlayerMissileList.push_back(m);
            PlaySoundEffect(kSoundSenMiMisairu);
            p.missileCooldown = 15;
            p.missileChargeUp = 0;
        } else if (g_GameState.GameMode == kGameModeNormal) {
            PlaySoundEffect(kSoundA5_08260);
        }
    }
    if (Down(p.keys[kKeyX]) && p.missileStock >= 2 && p.missileChargeUp < kMissileChargeUpFull) {
        ++p.missileChargeUp;
        if (p.missileChargeUp == kMissileChargeUpFull) PlaySoundEffect(kSoundA5_01029);
    }
}

void UpdateOnePlayer(PlayerState& p, i32 owner) {
    UpdateCounters(p);
    ReadPlayerInput(p);

    if (p.lives == 0) {
        p.y += 1.5f;
        if (p.blinkTimer % 3 == 0) SpawnTrailSmoke(p, kEffectSmokeCloud);
        return;
    }
    if (p.blinkTimer > kPlayerNoControlBlink) {
        p.y += 1.5f;
        if (p.y > kPlayerFieldBottom) p.y = kPlayerFieldBottom;
        if (p.blinkTimer % 3 == 0) SpawnTrailSmoke(p, kEffectSmokeWisp);
        return;
    }

    PlaySpacedSound(kSoundMasingun, 3);
    Move(p);
    SlidePanels(p);
    FireGuns(p, owner);
    LaunchMissiles(p, owner);
}

// Collects every coin the aircraft touches.
void CollectCoins(PlayerState& p, const f32 point[2]) {
    for (std::size_t i = 0; i < g_CoinList.size();) {
        const Coin& coin = g_CoinList[i];
        if (coin.age < 10 || !HitTestShapes(&coin.x, point, &kCoinShape, &kPickupShape, 0.0f, 0.0f)) {
            ++i;
            continue;
        }
        ++p.missileCharge;
        ++p.coins;
        ++p.extendPoints;
        p.StageScorePoints += CoinValue(p.cancelCount);
        if (p.missileCharge >= 5 * p.missileStock + 5) {
            p.missileCharge = 0;
            if (p.missileStock < kPlayerMaxMissiles) ++p.missileStock;
            PlaySoundEffect(kSoundA5_05166);
        }
        if (p.missileStock == kPlayerMaxMissiles) p.missileCharge = 0;
        PlaySoundEffect(kSoundCoin);
        g_CoinList.erase(g_CoinList.begin() + static_cast<std::ptrdiff_t>(i));
    }
}

// Five explosions around the point, 0 to 8 frames late.
void SpawnHitExplosions(const f32 point[2]) {
    for (i32 k = 0; k < 5; ++k) {
        const f32 dx = RandomFloat(-50.0f, 50.0f);
        const f32 dy = RandomFloat(-50.0f, 50.0f);
        const f32 angle = RandomFloat(-kPi, kPi);
        const f32 pos[2] = {point[0] + dx, point[1] + dy};
        const i32 index = SpawnEffect(kEffectSpark, pos, angle, -1);
        if (index >= 0 && index < static_cast<i32>(g_EffectList.size())) g_EffectList[index].age = -2 * k;
    }
}

// The first bullet, else the first shell, that touches the body; -1 when none.
bool FindHit(const f32 point[2], i32* bullet, i32* shell) {
    *bullet = -1;
    *shell = -1;
    for (std::size_t i = 0; i < g_EnemyBulletList.size(); ++i) {
        const EnemyBullet& b = g_EnemyBulletList[i];
        if (HitTestShapes(&b.x, point, &b.hitShape, &kBodyShape, b.rotation, 0.0f)) {
            *bullet = static_cast<i32>(i);
            return true;
        }
    }
    for (std::size_t i = 0; i < g_EnemyShellList.size(); ++i) {
        const EnemyShell& s = g_EnemyShellList[i];
        if (HitTestShapes(&s.x, point, &s.playerHitShape, &kBodyShape, s.angle, 0.0f)) {
            *shell = static_cast<i32>(i);
            return true;
        }
    }
    return false;
}

void TakeHit(PlayerState& p, const f32 point[2], i32 bullet, i32 shell) {
    GameState& g = g_GameState;
    --p.lives;
    p.blinkTimer = p.lives == 0 ? kPlayerDeathBlink : kPlayerHitBlink;
    g.ScreenShakeTimer = 50;
    ++g.MissCount;
    if (g.StageScriptPhase == 10 || g.StageScriptPhase == 29 || g.StageScriptPhase == 30) ++g.BossPhaseMissCount;
    p.missileChargeUp = 0;
    if (bullet >= 0) {
        BurstBulletIntoSparks(bullet);
    } else {
        SpawnShellDeathEffects(shell);
    }
    SpawnHitExplosions(point);
    PlaySoundEffect(kSoundBom06);
    // The burst and the debris only append effects (and shells at the end),
    // so the index still names the same record.
    if (bullet >= 0) {
        g_EnemyBulletList.erase(g_EnemyBulletList.begin() + bullet);
    } else {
        g_EnemyShellList.erase(g_EnemyShellList.begin() + shell);
    }
}

}  // namespace

void ResetPlayerState(i32 mode) {
    PlayerState& p = g_PlayerState[0];
    if (mode == 0) {
        ResetPlayRecord(g_PlayRecord);
        p.lives = 3;
        p.extendCount = 0;
        p.extendPoints = 0;
        p.RunScore = 0;
    }
    p.present = 1;
    p.fireTimer = 0;
    p.bankFrames = 0;
    p.missileStock = 3;
    p.missileCharge = 0;
    p.coins = 0;
    p.cancelCount = 0;
    p.cancelShown = 0;
    p.levelTimer = 0;
    p.levelTimerMax = 100;
    p.shotLevel = 1;
    p.StageScorePoints = 0;
    p.stagePointsShown = 0;
    p.blinkTimer = 0;
    p.missileCooldown = 0;
    p.missileChargeUp = 0;
    if (mode == 1) {
        p.x = kPlayerStartX;
        p.y = kPlayerStartY;
    }
    for (i32 k = 0; k < kKeySlotCount; ++k) {
        p.keys[k] = kKeyUpState;
        p.liveKeys[k] = kKeyUpState;
    }
}

void ResetPlayerFromShell(i32 mode) {
    if (mode == 0) StartPlayRun();
    ResetPlayerState(mode);
}

void InstallPlayerHooks() {
    ResetPlayerStateHook = ResetPlayerFromShell;
    SetPlayerPositionSource([](u32 player, f32* x, f32* y) {
        const PlayerState& p = g_PlayerState[player < static_cast<u32>(kPlayerCount) ? player : 0];
        *x = p.x;
        *y = p.y;
    });
}

void UpdatePlayer() {
    for (i32 i = 0; i < kPlayerCount; ++i) {
        if (g_PlayerState[i].present != 0) UpdateOnePlayer(g_PlayerState[i], i);
    }
}

void CollidePlayer() {
    PlayerState& p = g_PlayerState[0];
    if (p.present != 1 || p.lives == 0) return;
    const f32 point[2] = {p.x - g_GameState.FieldScrollX, p.y};
    CollectCoins(p, point);
    if (p.blinkTimer != 0) return;
    i32 bullet = -1;
    i32 shell = -1;
    if (!FindHit(point, &bullet, &shell)) return;
    TakeHit(p, point, bullet, shell);
    FailMission();
}

void DrawPlayer() {
    const PlayerState& p = g_PlayerState[0];
    if (p.present == 0 || p.blinkTimer % 2 != 0) return;
    Texture* picture = g_StageTextures.picture;
    if (!picture) return;
    const u32 colour = p.lives == 0 ? 0xFF646464u : 0xFFFFFFFFu;

    const i32 f = (g_GameState.FrameCounter / 2) % 3;
    const Rect propellerSource{60 * f, 210, 60 * f + 59, 239};
    const Rect propeller{static_cast<i32>(p.x - 30.0f), static_cast<i32>(p.y - 40.0f), static_cast<i32>(p.x + 30.0f),
                         static_cast<i32>(p.y - 10.0f)};
    picture->TextureDraw(propeller, 0.0f, propellerSource, colour, 1);

    const i32* keys = g_PauseMenu.PauseActive ? g_PauseMenu.savedKeys : p.keys;
    i32 frame = 0;
    if (p.lives != 0) {
        const bool hard = p.bankFrames > 5;
        if (Down(keys[kKeyLeft])) {
            frame = hard ? 4 : 3;
        } else if (Down(keys[kKeyRight])) {
            frame = hard ? 2 : 1;
        }
    }
    const Rect bodySource{100 * frame, 0, 100 * frame + 99, 79};
    const Rect body{static_cast<i32>(p.x - 40.0f), static_cast<i32>(p.y - 32.0f), static_cast<i32>(p.x + 40.0f),
                    static_cast<i32>(p.y + 32.0f)};
    picture->TextureDraw(body, 0.0f, bodySource, colour, 1);
}
