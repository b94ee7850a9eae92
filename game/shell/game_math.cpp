#include "engine/core/radians.h"
#include "game/shell/game_math.h"

#include <cmath>

namespace {

PlayerPositionFn g_playerPosition = nullptr;

// The signed turn from `from` to `to` the short way; both already normalised.
f64 ShortTurn(f32 from, f32 to) {
    f64 d = static_cast<f64>(to) - static_cast<f64>(from);
    if (d > static_cast<f64>(kPi)) {
        d -= static_cast<f64>(kTwoPi);
    } else if (d < -static_cast<f64>(kPi)) {
        d += static_cast<f64>(kTwoPi);
    }
    return d;
}

}  // namespace

void NormalizeAngle(f32* angle) {
    // A value that is not a number or infinite has no direction: left alone
    // rather than looping forever.
    if (!std::isfinite(*angle)) return;
    const f64 pi = static_cast<f64>(kPi);
    const f64 twoPi = static_cast<f64>(kTwoPi);
    // Each step is done in double precision and stored back as a float. Far
    // from zero a step of 2 pi no longer changes the float: the remainder is
    // taken at once instead of looping forever.
    while (static_cast<f64>(*angle) < -pi) {
        const f32 next = static_cast<f32>(static_cast<f64>(*angle) + twoPi);
        if (next == *angle) {
            *angle = static_cast<f32>(std::remainder(static_cast<f64>(*angle), twoPi));
            break;
        }
        *angle = next;
    }
    while (static_cast<f64>(*angle) > pi) {
        const f32 next = static_cast<f32>(static_cast<f64>(*angle) - twoPi);
        if (next == *angle) {
            *angle = static_cast<f32>(std::remainder(static_cast<f64>(*angle), twoPi));
            break;
        }
        *angle = next;
    }
}

i32 GetTurnDirection(f32* from, f32 to) {
    NormalizeAngle(from);
    NormalizeAngle(&to);
    return ShortTurn(*from, to) > 0.0 ? 1 : -1;
}

void TurnTowardAngle(f32* angle, f32 target, f32 step) {
    NormalizeAngle(angle);
    NormalizeAngle(&target);
    const f64 d = ShortTurn(*angle, target);
    if (std::fabs(d) < static_cast<f64>(step)) {
        *angle = target;
    } else if (d > 0.0) {
        *angle = static_cast<f32>(static_cast<f64>(*angle) + static_cast<f64>(step));
    } else if (d < 0.0) {
        *angle = static_cast<f32>(static_cast<f64>(*angle) - static_cast<f64>(step));
    }
}

void RotateVector2(f32 v[2], f32 angle) {
    const f64 c = std::cos(static_cast<f64>(angle));
    const f64 s = std::sin(static_cast<f64>(angle));
    const f64 x = v[0];
    const f64 y = v[1];
    v[0] = static_cast<f32>(c * x - s * y);
    v[1] = static_cast<f32>(c * y + s * x);
}

void SetPlayerPositionSource(PlayerPositionFn source) { g_playerPosition = source; }

f64 AngleToPlayer(const f32 pos[2], u32 player) {
    f32 px = 0.0f;
    f32 py = 0.0f;
    if (g_playerPosition) g_playerPosition(player, &px, &py);
    return std::atan2(static_cast<f64>(py) - static_cast<f64>(pos[1]), static_cast<f64>(px) - static_cast<f64>(pos[0]));
}

i32 AngleToDirection8(f32 angle) {
    NormalizeAngle(&angle);
    const f64 sector = (static_cast<f64>(angle) + static_cast<f64>(3.5342917f)) * static_cast<f64>(1.2732395f);
    return static_cast<i32>(std::trunc(sector)) % 8;
}

f64 SideProduct(const f32 a[2], const f32 b[2], const f32 p[2], const f32 q[2]) {
    const f64 ax = a[0], ay = a[1], bx = b[0], by = b[1];
    const f64 sp = (static_cast<f64>(p[1]) - ay) * (ax - bx) + (ax - static_cast<f64>(p[0])) * (ay - by);
    const f64 sq = (static_cast<f64>(q[1]) - ay) * (ax - bx) + (ax - static_cast<f64>(q[0])) * (ay - by);
    return sp * sq;
}

bool IsPointInTriangle(const f32 a[2], const f32 b[2], const f32 c[2], const f32 p[2]) {
    const f64 lhs = (static_cast<f64>(a[1]) - c[1]) * (static_cast<f64>(a[0]) - b[0]);
    const f64 rhs = (static_cast<f64>(a[1]) - b[1]) * (static_cast<f64>(a[0]) - c[0]);
    if (lhs == rhs) return false;
    const f64 third = static_cast<f64>(0.33333334f);
    const f32 g[2] = {
        static_cast<f32>((static_cast<f64>(a[0]) + b[0] + c[0]) * third),
        static_cast<f32>((static_cast<f64>(a[1]) + b[1] + c[1]) * third),
    };
    if (SideProduct(a, b, p, g) < 0.0) return false;
    if (SideProduct(a, c, p, g) < 0.0) return false;
    if (SideProduct(b, c, p, g) < 0.0) return false;
    return true;
}

i32 CountDigits(i32 n) {
    if (n < 10) return 1;
    i32 digits = 0;
    while (n > 0) {
        n /= 10;
        ++digits;
    }
    return digits;
}

i32 GetDigit(i32 n, u32 k) {
    if (k <= 1) return n % 10;
    // Ten to the power k - 1; beyond the range of an i32 every digit is 0.
    i64 divisor = 1;
    for (u32 i = 1; i < k; ++i) {
        divisor *= 10;
        if (divisor > 10000000000LL) return 0;
    }
    return static_cast<i32>((static_cast<i64>(n) / divisor) % 10);
}

i32 GetScoreMultiplier(i32 shotLevel) {
    static constexpr i32 kMultipliers[8] = {1, 2, 3, 4, 6, 8, 12, 16};
    if (shotLevel < 1 || shotLevel > 8) return 0;
    return kMultipliers[shotLevel - 1];
}
