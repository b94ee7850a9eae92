#pragma once
// The engine's numeric services in one include: 16-bit angles and the sine
// table, the random generator, vectors, matrices, planes, quaternions and
// the light table; and their start and stop.
#include "engine/core/angle.h"
#include "engine/core/light.h"
#include "engine/core/matrix.h"
#include "engine/core/random.h"

// Fills the sine table, then seeds the random generator from the clock
// (platform::timeGetTime(), in milliseconds). Runs before any other manager.
void InitializeMath();
// Nothing to release.
void DestroyMath();
