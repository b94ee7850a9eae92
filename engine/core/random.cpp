#include "engine/core/random.h"

#include <cassert>

namespace {

u32 gRandomState = 1;  // the C library's state before any srand

// The float nearest to 1 / 32767.
constexpr f32 kRandomScale = 3.0518509e-05f;

}  // namespace

void RandomSeed(u32 seed) { gRandomState = seed; }

i32 RandomNext() {
    gRandomState = gRandomState * 214013u + 2531011u;
    return static_cast<i32>((gRandomState >> 16) & 0x7FFFu);
}

u32 RandomGetState() { return gRandomState; }

void RandomSetState(u32 state) { gRandomState = state; }

i32 RandomInt(i32 lo, i32 hi) {
    const i32 r1 = RandomNext();
    const i32 r2 = RandomNext();
    assert(hi >= lo && "RandomInt needs hi >= lo");
    if (hi < lo) {
        return lo;
    }
    // At most 32767 x 32767 = 1073676289: fits in i32. The range is taken in
    // 64 bits so that the widest ranges do not overflow.
    const i64 product = static_cast<i64>(r1 * r2);
    const i64 range = static_cast<i64>(hi) - static_cast<i64>(lo) + 1;
    return static_cast<i32>(product % range + lo);
}

f32 RandomFloat(f32 lo, f32 hi) {
    const i32 r = RandomNext();
    const f80 unit = static_cast<f80>(r) * static_cast<f80>(kRandomScale);
    const f80 value = (static_cast<f80>(hi) - static_cast<f80>(lo)) * unit + static_cast<f80>(lo);
    return static_cast<f32>(value);
}
