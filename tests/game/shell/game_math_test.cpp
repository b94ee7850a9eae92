#include "engine/core/radians.h"
#include "game/shell/game_math.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(GameMath, NormalizeAngleTable) {
    struct Case {
        f32 in;
        f32 out;
    };
    const Case cases[] = {
        {7.0f, static_cast<f32>(7.0 - static_cast<f64>(kTwoPi))},
        {-kPi, -kPi},  // both ends stay
        {kPi, kPi},
        {0.5f, 0.5f},
        {-7.0f, static_cast<f32>(-7.0 + static_cast<f64>(kTwoPi))},
        {20.0f, static_cast<f32>(static_cast<f32>(static_cast<f32>(20.0 - 6.2831855) - 6.2831855) - 6.2831855)},
    };
    for (const Case& c : cases) {
        f32 a = c.in;
        NormalizeAngle(&a);
        EXPECT_EQ(a, c.out) << c.in;
    }
}

TEST(GameMath, NormalizeAngleEndsForHugeAndNonFiniteValues) {
    f32 huge = 1.0e20f;
    NormalizeAngle(&huge);
    EXPECT_LE(std::fabs(huge), kPi);
    f32 big = -3.0e9f;
    NormalizeAngle(&big);
    EXPECT_LE(std::fabs(big), kPi);
    f32 inf = std::numeric_limits<f32>::infinity();
    NormalizeAngle(&inf);
    EXPECT_TRUE(std::isinf(inf));
    f32 nan = std::numeric_limits<f32>::quiet_NaN();
    NormalizeAngle(&nan);
    EXPECT_TRUE(std::isnan(nan));
}

TEST(GameMath, TurnDirectionAndTurning) {
    struct Turn {
        f32 from;
        f32 to;
        i32 direction;
    };
    const Turn turns[] = {
        // clang-format off
        {3.0f, -3.0f, 1},  // the short way crosses pi
        {-3.0f, 3.0f, -1},
        {0.0f, 1.0f, 1},
        {1.0f, 0.0f, -1},
        {0.5f, 0.5f, -1},  // no turn reads as -1
        // clang-format on
    };
    for (const Turn& t : turns) {
        f32 from = t.from;
        EXPECT_EQ(GetTurnDirection(&from, t.to), t.direction) << t.from << " -> " << t.to;
    }
    f32 wrapped = 7.0f;
    GetTurnDirection(&wrapped, 0.0f);
    EXPECT_LE(wrapped, kPi);  // normalised in place

    struct Step {
        f32 angle;
        f32 target;
        f32 step;
        f32 result;
    };
    const Step steps[] = {
        {0.0f, 0.05f, 0.1f, 0.05f},  // snaps
        {0.0f, 1.0f, 0.1f, 0.1f},
        {0.0f, -1.0f, 0.1f, -0.1f},
        {3.1f, -3.1f, 0.05f,
         static_cast<f32>(static_cast<f64>(3.1f) + static_cast<f64>(0.05f))},  // past pi, not normalised again
        {3.1f, -3.1f, 0.1f, -3.1f},  // the short way across pi is shorter than the step
        {0.3f, 0.3f, 0.1f, 0.3f},
    };
    for (const Step& s : steps) {
        f32 a = s.angle;
        TurnTowardAngle(&a, s.target, s.step);
        EXPECT_FLOAT_EQ(a, s.result) << s.angle << " -> " << s.target;
    }
}

TEST(GameMath, RotateVectorTurnsClockwiseOnScreen) {
    f32 v[2] = {1.0f, 0.0f};
    RotateVector2(v, kPi / 2);
    EXPECT_NEAR(v[0], 0.0f, 1e-6f);
    EXPECT_NEAR(v[1], 1.0f, 1e-6f);  // +x turned toward +y (down)
    f32 w[2] = {3.0f, 4.0f};
    RotateVector2(w, 0.0f);
    EXPECT_EQ(w[0], 3.0f);
    EXPECT_EQ(w[1], 4.0f);
}

TEST(GameMath, AngleToPlayerUsesTheInstalledPosition) {
    SetPlayerPositionSource([](u32, f32* x, f32* y) {
        *x = 100.0f;
        *y = 50.0f;
    });
    const f32 above[2] = {100.0f, 150.0f};
    EXPECT_NEAR(AngleToPlayer(above, 0), -M_PI / 2, 1e-12);
    const f32 left[2] = {0.0f, 50.0f};
    EXPECT_EQ(AngleToPlayer(left, 0), 0.0);
    SetPlayerPositionSource(nullptr);
    EXPECT_NEAR(AngleToPlayer(above, 0), std::atan2(-150.0, -100.0), 1e-12);
}

TEST(GameMath, AngleToDirection8Table) {
    struct Case {
        f32 angle;
        i32 direction;
    };
    const Case cases[] = {
        {kPi, 0},  // 8 wraps to 0
        {-kPi, 0},
        {-kPi / 2, 2},
        {0.0f, 4},
        {kPi / 2, 6},
        {-3.0f * kPi / 4, 1},
        {3.0f * kPi / 4, 7},
        {static_cast<f32>(-kPi / 2 + 2 * kPi), 2},  // normalised first
    };
    for (const Case& c : cases) EXPECT_EQ(AngleToDirection8(c.angle), c.direction) << c.angle;
}

TEST(GameMath, PointInTriangle) {
    const f32 a[2] = {0, 0}, b[2] = {10, 0}, c[2] = {0, 10};
    struct Case {
        f32 x, y;
        bool inside;
    };
    const Case cases[] = {
        {1, 1, true},  {0, 0, true},  // a corner
        {5, 5, true},                 // on the hypotenuse
        {5, 0, true},                 // on an edge
        {6, 6, false}, {-1, 1, false}, {1, -0.01f, false}, {20, 20, false},
    };
    for (const Case& k : cases) {
        const f32 p[2] = {k.x, k.y};
        EXPECT_EQ(IsPointInTriangle(a, b, c, p), k.inside) << k.x << "," << k.y;
    }
    // Collinear corners: nothing is inside, not even a corner.
    const f32 d[2] = {5, 0};
    for (const f32* p : {a, b, d}) EXPECT_FALSE(IsPointInTriangle(a, b, d, p));
    const f32 p[2] = {3, 0}, q[2] = {3, 5}, r[2] = {3, -5};
    EXPECT_EQ(SideProduct(a, b, p, q), 0.0);
    EXPECT_LT(SideProduct(a, b, q, r), 0.0);
    EXPECT_GT(SideProduct(a, b, q, q), 0.0);
}

TEST(GameMath, DigitsAndMultipliers) {
    struct Count {
        i32 n, digits;
    };
    for (const Count& c : {Count{0, 1}, Count{-500, 1}, Count{9, 1}, Count{10, 2}, Count{99, 2}, Count{1000000, 7},
                           Count{2147483647, 10}}) {
        EXPECT_EQ(CountDigits(c.n), c.digits) << c.n;
    }
    struct Digit {
        i32 n;
        u32 k;
        i32 d;
    };
    for (const Digit& d : {Digit{1234, 1, 4}, Digit{1234, 3, 2}, Digit{1234, 4, 1}, Digit{1234, 5, 0},
                           Digit{-1234, 2, -3}, Digit{2147483647, 10, 2}, Digit{2147483647, 11, 0}, Digit{5, 40, 0}}) {
        EXPECT_EQ(GetDigit(d.n, d.k), d.d) << d.n << " digit " << d.k;
    }
    const i32 expected[] = {0, 1, 2, 3, 4, 6, 8, 12, 16, 0};
    for (i32 level = 0; level <= 9; ++level) EXPECT_EQ(GetScoreMultiplier(level), expected[level]) << level;
    EXPECT_EQ(GetScoreMultiplier(-1), 0);
}

}  // namespace
