#pragma once
// Pi and the directions in radians, one definition for the engine, the game
// and the tools. Angles run from +x (0) toward +y, and y grows down the
// screen, so -pi/2 points up. Each width is a value of its own: kPi is the
// float nearest pi, kPiWide that float widened to extended precision, and
// kPiDouble and kPiExtended the nearest double and long double; code keeps
// the one its arithmetic was written with, so results stay bit for bit.
#include <numbers>

#include "engine/core/types.h"

inline constexpr f32 kPi = std::numbers::pi_v<f32>;
inline constexpr f32 kHalfPi = kPi / 2.0f;
inline constexpr f32 kTwoPi = 2.0f * kPi;
inline constexpr f32 kUp = -kHalfPi;
inline constexpr f32 kDown = kHalfPi;

inline constexpr f64 kPiDouble = std::numbers::pi_v<f64>;
inline constexpr f80 kPiExtended = std::numbers::pi_v<f80>;
inline constexpr f80 kPiWide = static_cast<f80>(kPi);
inline constexpr f80 kTwoPiWide = static_cast<f80>(kTwoPi);

static_assert(kPi == 3.1415927f && kHalfPi == 1.5707964f && kTwoPi == 6.2831855f);
static_assert(kPiDouble == 3.14159265358979323846);
static_assert(kPiExtended == 3.141592653589793238462643383279502884L);
