// Stand-ins, for linking the play tests, of routines that other parts of the
// game provide: coins and the enemy bullet clear. Weak, so the real ones win once they are linked in.
#include "game/play/coins.h"
#include "game/play/records.h"
#include "game/play/shots.h"
#include "game/shell/play_state.h"
#include "tests/game/play/enemyrt_fallbacks.h"

namespace enemyrt_test {
FallbackLog g_fallbacks;
}  // namespace enemyrt_test

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
