#include "engine/core/engine_math.h"

#include "platform/clock.h"

void InitializeMath() {
    FillSineTable();
    RandomSeed(platform::timeGetTime());
}

void DestroyMath() {}
