#include "game/play/coins.h"

#include <algorithm>
#include <cmath>

#include "engine/core/radians.h"
#include "engine/core/random.h"
#include "engine/graphics/texture.h"
#include "game/play/records.h"
#include "game/play/stage_textures.h"
#include "game/shell/game_math.h"
#include "game/shell/input.h"
#include "game/shell/play_state.h"

namespace {

// The magnet reaches this far from the player along each axis.
constexpr f32 kMagnetReach = 100.0f;
constexpr f32 kGravity = 0.05f;
constexpr f32 kCoinBottom = 580.0f;

void MoveAlong(Coin& coin) {
    coin.x = static_cast<f32>(coin.x + std::cos(static_cast<f64>(coin.angle)) * coin.speed);
    coin.y = static_cast<f32>(coin.y + std::sin(static_cast<f64>(coin.angle)) * coin.speed);
}

void StepCoin(Coin& coin, const f32 player[2], bool playerAlive, bool firing) {
    if (coin.attracted && playerAlive) {
        coin.angle =
            static_cast<f32>(std::atan2(static_cast<f64>(player[1] - coin.y), static_cast<f64>(player[0] - coin.x)));
        coin.speed = static_cast<f32>(std::min(coin.age, 12));
        MoveAlong(coin);
    } else {
        const f64 vx = std::cos(static_cast<f64>(coin.angle)) * coin.speed;
        const f64 vy = std::sin(static_cast<f64>(coin.angle)) * coin.speed + kGravity;
        coin.angle = static_cast<f32>(std::atan2(vy, vx));
        coin.speed = static_cast<f32>(std::sqrt(vx * vx + vy * vy));
        coin.x = static_cast<f32>(coin.x + vx);
        coin.y = static_cast<f32>(coin.y + vy);
        if (playerAlive && !firing && coin.age > 10 && std::fabs(player[0] - coin.x) < kMagnetReach &&
            std::fabs(player[1] - coin.y) < kMagnetReach) {
            coin.attracted = 1;
            coin.age = 0;
        }
    }
    const f32 scroll = g_GameState.FieldScrollX;
    const f32 left = 120.0f - scroll;
    const f32 right = 520.0f - scroll;
    if (coin.x < left) {
        coin.x = left;
        coin.angle = static_cast<f32>(static_cast<f64>(kPi) - coin.angle);
        NormalizeAngle(&coin.angle);
    }
    if (coin.x > right) {
        coin.x = right;
        coin.angle = static_cast<f32>(static_cast<f64>(kPi) - coin.angle);
        NormalizeAngle(&coin.angle);
    }
}

}  // namespace

i32 CoinValue(i32 cancelCount) {
    // The factor is the single-precision -0.01, the product taken in extended
    // precision: 100 cancelled bullets still pay 5.
    const f80 c = static_cast<f80>(-0.01f);
    return 5 - static_cast<i32>(std::trunc(static_cast<f80>(cancelCount) * c));
}

void SpawnCoins(i32 kind, const f32 pos[2], f32 angle, i32 count) {
    // A count below 1 has no rings to share the coins over.
    if (kind != kCoinKind || count < 1) return;
    const i32 rings = (count - 1) / 10 + 1;
    const i32 perRing = count / rings + (count % 2 == 0 ? 1 : 0);
    i32 left = count;
    for (i32 r = 1; r <= rings; ++r) {
        const i32 n = r == rings ? left : perRing;
        left -= n;
        const f32 speed = static_cast<f32>(2.0 + 0.3 * (r - 1));
        const f64 first = static_cast<f64>(angle) - 0.2 * (n / 2);
        for (i32 j = 0; j < n; ++j) {
            Coin coin;
            coin.age = RandomInt(0, 100);
            coin.attracted = 0;
            coin.kind = kCoinKind;
            coin.angle = static_cast<f32>(first + 0.2 * j);
            coin.speed = speed;
            coin.x = pos[0];
            coin.y = pos[1];
            g_CoinList.push_back(coin);
        }
    }
}

void UpdateCoins() {
    const PlayerState& p = g_PlayerState[0];
    const f32 player[2] = {p.x - g_GameState.FieldScrollX, p.y};
    const bool alive = p.lives > 0;
    const bool firing = p.keys[kKeyZ] > kKeyReleased;
    for (std::size_t i = 0; i < g_CoinList.size();) {
        Coin& coin = g_CoinList[i];
        if (coin.kind == kCoinKind) StepCoin(coin, player, alive, firing);
        ++coin.age;
        if (coin.y > kCoinBottom) {
            g_CoinList.erase(g_CoinList.begin() + static_cast<std::ptrdiff_t>(i));
            continue;
        }
        ++i;
    }
}

void DrawCoins() {
    Texture* picture = g_StageTextures.picture;
    if (!picture) return;
    // The more coins on the field, the smaller the falling ones.
    const i32 small = std::max(12, 17 - static_cast<i32>(g_CoinList.size()) / 30);
    const f32 scroll = g_GameState.FieldScrollX;
    for (const Coin& coin : g_CoinList) {
        if (coin.kind != kCoinKind) continue;
        const i32 f = (coin.age / 3) % 7;
        const Rect source{40 * f, 170, 40 * f + 39, 209};
        const f32 half = std::sin(static_cast<f64>(coin.angle)) > 0.0 ? static_cast<f32>(small) : 20.0f;
        const f32 x = coin.x + scroll;
        const Rect destination{static_cast<i32>(x - half), static_cast<i32>(coin.y - half), static_cast<i32>(x + half),
                               static_cast<i32>(coin.y + half)};
        picture->TextureDraw(destination, 0.0f, source, 0xFFFFFFFFu, 1);
    }
}
