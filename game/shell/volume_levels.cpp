#include "game/shell/volume_levels.h"

const f32 VolumeLevelTable[kVolumeLevelCount] = {0.0f,  0.3f, 0.5f,  0.6f, 0.65f, 0.7f,
                                                 0.75f, 0.85f, 0.9f, 0.95f, 1.0f};

i32 ClampVolumeLevel(i32 level) {
    if (level < 0) return 0;
    if (level >= kVolumeLevelCount) return kVolumeLevelCount - 1;
    return level;
}

i32 VolumeLevelDecibels(i32 level) {
    const f32 scaled = 50.0f * VolumeLevelTable[ClampVolumeLevel(level)];
    const f32 db = scaled - 50.0f;
    return static_cast<i32>(db);
}
