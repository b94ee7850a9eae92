#pragma once
// What the stand-ins of enemyrt_fallbacks.cpp were asked to do.
#include <vector>

#include "engine/core/types.h"

namespace enemyrt_test {

struct CoinCall {
    i32 kind;
    f32 x;
    f32 y;
    f32 angle;
    i32 count;
};

struct FallbackLog {
    std::vector<CoinCall> coinCalls;
    i32 clears = 0;
};

extern FallbackLog g_fallbacks;

}  // namespace enemyrt_test
