// Stand-ins, for linking the play tests, of routines that other parts of the
// game provide: the shell's game math helpers, coins, and the enemy bullet
// clear. Weak, so the real ones win once they are linked in.
#include <cmath>

#include "game/play/coins.h"
#include "game/play/records.h"
#include "game/play/shots.h"
#include "game/shell/game_math.h"
#include "game/shell/play_state.h"
#include "tests/game/play/enemyrt_fallbacks.h"

namespace enemyrt_test {
FallbackLog g_fallbacks;
}  // namespace enemyrt_test

__attribute__((weak)) void NormalizeAngle(f32* angle) {
    while (*angle < -kGamePi) *angle += kGameTwoPi;
    while (*angle > kGamePi) *angle -= kGameTwoPi;
}

__attribute__((weak)) void TurnTowardAngle(f32* angle, f32 target, f32 step) {
    NormalizeAngle(angle);
    NormalizeAngle(&target);
    f64 d = static_cast<f64>(target) - static_cast<f64>(*angle);
    if (d > static_cast<f64>(kGamePi)) d -= static_cast<f64>(kGameTwoPi);
    if (d < -static_cast<f64>(kGamePi)) d += static_cast<f64>(kGameTwoPi);
    if (std::fabs(d) < static_cast<f64>(step)) {
        *angle = target;
    } else if (d > 0.0) {
        *angle = static_cast<f32>(static_cast<f64>(*angle) + static_cast<f64>(step));
    } else if (d < 0.0) {
        *angle = static_cast<f32>(static_cast<f64>(*angle) - static_cast<f64>(step));
    }
}

__attribute__((weak)) void RotateVector2(f32 v[2], f32 angle) {
    const f64 c = std::cos(static_cast<f64>(angle));
    const f64 s = std::sin(static_cast<f64>(angle));
    const f64 x = v[0];
    const f64 y = v[1];
    v[0] = static_cast<f32>(c * x - s * y);
    v[1] = static_cast<f32>(c * y + s * x);
}

__attribute__((weak)) f64 AngleToPlayer(const f32 pos[2], u32 player) {
    (void)player;
    return std::atan2(static_cast<f64>(g_PlayerState[0].y) - pos[1], static_cast<f64>(g_PlayerState[0].x) - pos[0]);
}

__attribute__((weak)) i32 CountDigits(i32 n) {
    if (n < 10) return 1;
    i32 d = 0;
    while (n > 0) {
        ++d;
        n /= 10;
    }
    return d;
}

__attribute__((weak)) i32 GetDigit(i32 n, u32 k) {
    for (u32 i = 1; i < k; ++i) n /= 10;
    return n % 10;
}

__attribute__((weak)) i32 GetScoreMultiplier(i32 shotLevel) {
    static const i32 kTable[8] = {1, 2, 3, 4, 6, 8, 12, 16};
    if (shotLevel < 1 || shotLevel > 8) return 0;
    return kTable[shotLevel - 1];
}

__attribute__((weak)) void SpawnCoins(i32 kind, const f32 pos[2], f32 angle, i32 count) {
    enemyrt_test::g_fallbacks.coinCalls.push_back({kind, pos[0], pos[1], angle, count});
    if (kind != 10 || count == 0) return;
    for (i32 i = 0; i < count; ++i) {
        Coin coin;
        coin.kind = 10;
        coin.x = pos[0];
        coin.y = pos[1];
        g_CoinList.push_back(coin);
    }
}

__attribute__((weak)) i32 ClearEnemyBulletsAndShells() {
    const i32 n = static_cast<i32>(g_EnemyBulletList.size() + g_EnemyShellList.size());
    enemyrt_test::g_fallbacks.clears += 1;
    g_EnemyBulletList.clear();
    g_EnemyShellList.clear();
    return n;
}
