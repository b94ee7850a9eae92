#pragma once
// 16-bit angles (65536 to a full turn; only the low 16 bits count), the sine
// table they are read from, and conversions to and from radians and degrees.
#include "engine/core/types.h"

// The float nearest to 2 pi / 65536 (bits 0x38C90FDB).
inline constexpr f32 kAngleToRadian = 9.58738e-05f;
// The float nearest to 65536 / 2 pi (10430.3779296875).
inline constexpr f32 kRadianToAngle = 10430.378f;
inline constexpr i32 kAngleQuarterTurn = 16384;
inline constexpr i32 kSineTableSize = 65536;

// Fills the sine table (entry i = sin(i x kAngleToRadian), computed in
// extended precision and stored as float). Called by InitializeMath; the
// table reads 0 before.
void FillSineTable();
const f32* GetSineTable();

f32 SinAngle(i32 angle);
f32 CosAngle(i32 angle);
// x' = c x - s y, y' = s x + c y from the old values (clockwise on a screen
// whose y grows downward).
void RotateByAngle(f32* x, f32* y, i32 angle);

// (angle and 0xFFFF) x kAngleToRadian.
f32 AngleToRadian(i32 angle);
// trunc(radians x kRadianToAngle) and 0xFFFF, truncating toward zero, so
// negative angles wrap to the top of the range (-0.1 gives 64493).
i32 RadianToAngle(f32 radians);
// degrees x 65536 / 360 truncated toward zero, not masked (-90 gives -16384).
i32 DegreeToAngle(i32 degrees);
i32 AngleToInt(i32 angle);
