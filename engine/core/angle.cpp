#include "engine/core/angle.h"

#include <cmath>

namespace {

f32 gSineTable[kSineTableSize];

}  // namespace

void FillSineTable() {
    const f80 step = static_cast<f80>(kAngleToRadian);
    for (i32 i = 0; i < kSineTableSize; ++i) {
        gSineTable[i] = static_cast<f32>(std::sin(static_cast<f80>(i) * step));
    }
}

const f32* GetSineTable() { return gSineTable; }

f32 SinAngle(i32 angle) { return gSineTable[angle & 0xFFFF]; }

f32 CosAngle(i32 angle) {
    // Added as unsigned so that angles near the top of i32 wrap instead of
    // overflowing; the low 16 bits are the same.
    return gSineTable[(static_cast<u32>(angle) + kAngleQuarterTurn) & 0xFFFFu];
}

void RotateByAngle(f32* x, f32* y, i32 angle) {
    const f32 c = CosAngle(angle);
    const f32 s = SinAngle(angle);
    const f32 oldX = *x;
    const f32 oldY = *y;
    *x = c * oldX - s * oldY;
    *y = s * oldX + c * oldY;
}

f32 AngleToRadian(i32 angle) { return static_cast<f32>(angle & 0xFFFF) * kAngleToRadian; }

i32 RadianToAngle(f32 radians) {
    // The product of two floats is exact in extended precision, so only the
    // truncation rounds: pi gives 32767, not the 32768 a float product would.
    const f80 scaled = static_cast<f80>(radians) * static_cast<f80>(kRadianToAngle);
    if (!std::isfinite(scaled)) {
        return 0;
    }
    // Keep the low 16 bits of the truncated value without overflowing i64 for
    // huge inputs: reduce by whole turns first (exact for any finite value).
    const f80 truncated = std::trunc(scaled);
    const f80 reduced = std::fmod(truncated, 65536.0L);
    return static_cast<i32>(static_cast<i64>(reduced) & 0xFFFF);
}

i32 DegreeToAngle(i32 degrees) {
    // Computed in 64 bits so that large inputs do not overflow; the low 16
    // bits (all that any angle user reads) are those of the exact quotient.
    const i64 value = static_cast<i64>(degrees) * 65536 / 360;
    return static_cast<i32>(static_cast<u32>(static_cast<u64>(value)));
}

i32 AngleToInt(i32 angle) { return angle & 0xFFFF; }
