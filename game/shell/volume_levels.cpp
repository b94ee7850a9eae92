#include "game/shell/volume_levels.h"

const f32 VolumeLevelTable[kVolumeLevelCount] = {0.0f, 0.3f, 0.5f, 0.6f, 0.65f, 0.7f, 0.75f, 0.85f, 0.9f, 0.95f, 1.0f};

i32 ClampVolumeLevel(i32 level) {
    if (level < 0) return 0;
    if (level >= kVolumeLevelCount) return kVolumeLevelCount - 1;
    return level;
}

i32 VolumeLevelDecibels(i32 level) {
    // The single-precision entry is widened before the arithmetic (exact in
    // double); rounding the product to single precision would give -35 for 0.3.
    const f64 entry = VolumeLevelTable[ClampVolumeLevel(level)];
    return static_cast<i32>(50.0 * entry - 50.0);
}
