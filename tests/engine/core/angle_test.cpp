#include "engine/core/angle.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "engine/core/engine_math.h"
#include "engine/core/random.h"
#include "platform/clock.h"

namespace {

class AngleTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { FillSineTable(); }
};

TEST_F(AngleTest, ConstantsAreTheFloatsOfAFullTurn) {
    u32 bits = 0;
    std::memcpy(&bits, &kAngleToRadian, sizeof bits);
    EXPECT_EQ(bits, 0x38C90FDBu);
    EXPECT_EQ(static_cast<f64>(kRadianToAngle), 10430.3779296875);
}

TEST_F(AngleTest, SineTableCornersAndWrapping) {
    EXPECT_EQ(SinAngle(0), 0.0f);
    EXPECT_EQ(SinAngle(16384), 1.0f);
    EXPECT_EQ(CosAngle(0), 1.0f);
    EXPECT_EQ(SinAngle(49152), -1.0f);
    EXPECT_EQ(CosAngle(32768), -1.0f);
    // Only the low 16 bits count, for negative and large angles too.
    EXPECT_EQ(SinAngle(65536 + 5), SinAngle(5));
    EXPECT_EQ(SinAngle(-1), SinAngle(65535));
    EXPECT_EQ(CosAngle(-16384), SinAngle(0));
    EXPECT_EQ(CosAngle(std::numeric_limits<i32>::max()), SinAngle((0x7FFFFFFF + 16384LL) & 0xFFFF));
    EXPECT_EQ(CosAngle(std::numeric_limits<i32>::min()), CosAngle(0));
}

TEST_F(AngleTest, SineTableEntriesAreExtendedPrecisionSines) {
    const f32* table = GetSineTable();
    for (i32 i : {1, 100, 8192, 12345, 30000, 40000, 65535}) {
        const f80 expected = std::sin(static_cast<f80>(i) * static_cast<f80>(kAngleToRadian));
        EXPECT_EQ(table[i], static_cast<f32>(expected)) << i;
    }
    // Rising over the first quarter, never beyond +-1.
    for (i32 i = 1; i <= 16384; ++i) {
        ASSERT_GE(table[i], table[i - 1]) << i;
    }
    for (i32 i = 0; i < kSineTableSize; ++i) {
        ASSERT_LE(std::fabs(table[i]), 1.0f) << i;
    }
}

TEST_F(AngleTest, RotateByAngleTurnsClockwiseOnScreen) {
    struct Case {
        i32 angle;
        f32 x, y;
    } cases[] = {
        {0, 1, 0}, {16384, 0, 1}, {32768, -1, 0}, {49152, 0, -1}, {-16384, 0, -1}, {65536 + 16384, 0, 1},
    };
    for (const Case& c : cases) {
        f32 x = 1.0f;
        f32 y = 0.0f;
        RotateByAngle(&x, &y, c.angle);
        EXPECT_NEAR(x, c.x, 1e-6f) << c.angle;
        EXPECT_NEAR(y, c.y, 1e-6f) << c.angle;
    }
    // Both outputs come from the old values.
    f32 x = 3.0f;
    f32 y = 4.0f;
    RotateByAngle(&x, &y, 16384);
    EXPECT_NEAR(x, -4.0f, 1e-5f);
    EXPECT_NEAR(y, 3.0f, 1e-5f);
}

TEST_F(AngleTest, RadianToAngleTruncatesAndMasks) {
    struct Case {
        f32 radians;
        i32 angle;
    } cases[] = {
        {0.0f, 0},
        {-0.0f, 0},
        {3.14159265f, 32767},   // truncation of 32767.9996, not the float product's 32768
        {-3.14159265f, 32769},  // -32767 masked
        {-0.1f, 64493},
        {1.5707964f, 16383},
        {-1.5707964f, 49153},
        {6.2831855f, 65535},
        {0.5f, 5215},
        {100.0f, 59997},  // several turns: low 16 bits
        {-100.0f, 5539},
        {1e10f, 46699},  // far beyond i32: still the exact low bits
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RadianToAngle(c.radians), c.angle) << c.radians;
    }
    EXPECT_EQ(RadianToAngle(std::numeric_limits<f32>::quiet_NaN()), 0);
    EXPECT_EQ(RadianToAngle(std::numeric_limits<f32>::infinity()), 0);
}

TEST_F(AngleTest, DegreeToAngleIsIntegerAndUnmasked) {
    struct Case {
        i32 degrees;
        i32 angle;
    } cases[] = {
        // clang-format off
        {0, 0},       {90, 16384},   {-90, -16384}, {45, 8192},        {1, 182},
        {-1, -182},   {359, 65353},  {360, 65536},  {-360, -65536},    {720, 131072},
        {179, 32585}, {-179, -32585}, {32767, 5965050},
        {40000, 7281777},  // beyond a 32-bit product; the exact quotient
        // clang-format on
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DegreeToAngle(c.degrees), c.angle) << c.degrees;
    }
    // Huge inputs keep the low 16 bits of the exact angle.
    const i64 exact = static_cast<i64>(2000000000) * 65536 / 360;
    EXPECT_EQ(DegreeToAngle(2000000000) & 0xFFFF, static_cast<i32>(exact & 0xFFFF));
}

TEST_F(AngleTest, AngleToRadianAndAngleToInt) {
    EXPECT_EQ(AngleToRadian(0), 0.0f);
    EXPECT_EQ(AngleToRadian(16384), 16384.0f * kAngleToRadian);
    EXPECT_EQ(AngleToRadian(-16384), 49152.0f * kAngleToRadian);
    EXPECT_EQ(AngleToRadian(65536 + 7), AngleToRadian(7));
    EXPECT_NEAR(AngleToRadian(32768), 3.14159265f, 1e-6f);
    EXPECT_EQ(AngleToInt(-1), 65535);
    EXPECT_EQ(AngleToInt(65536 + 3), 3);
    // Round trip through radians for every quarter.
    for (i32 a : {0, 16384, 32768, 49152}) {
        EXPECT_NEAR(RadianToAngle(AngleToRadian(a)), a, 1) << a;
    }
}

TEST(InitializeMathTest, FillsTheTableAndSeedsFromTheClock) {
    platform::VirtualClock clock(123456);
    platform::SetClock(&clock);
    InitializeMath();
    platform::SetClock(nullptr);
    EXPECT_EQ(SinAngle(16384), 1.0f);
    const i32 first = RandomNext();
    RandomSeed(123456);
    EXPECT_EQ(first, RandomNext());
    DestroyMath();
    EXPECT_EQ(SinAngle(16384), 1.0f);  // the table stays
}

}  // namespace
