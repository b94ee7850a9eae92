#pragma once
// Small pure helpers of the game code: angle wrapping and turning in radians
// (0 along +x, y growing down the screen, so -pi/2 points up), 2D rotation,
// the aim at the player, the point-in-triangle test of the hit test, decimal
// digits for the score displays and the shot level's score multiplier.
// Constants are single precision; the arithmetic is done in double precision
// and stored back as single precision where a value is written.
#include "engine/core/types.h"

// Brings the angle into -pi..pi in place (both ends stay as they are).
void NormalizeAngle(f32* angle);
// Normalises *from in place and a copy of `to`; +1 when the short way from
// *from to `to` turns positive, else -1 (also when they are equal).
i32 GetTurnDirection(f32* from, f32 to);
// Turns *angle by `step` toward `target` the short way; snaps to the target
// when it is closer than `step`. The result is not normalised again.
void TurnTowardAngle(f32* angle, f32 target, f32 step);
// x' = c x - s y, y' = c y + s x in place (clockwise on the screen).
void RotateVector2(f32 v[2], f32 angle);

// The player position that AngleToPlayer aims at; the play layer installs it.
using PlayerPositionFn = void (*)(u32 player, f32* x, f32* y);
void SetPlayerPositionSource(PlayerPositionFn source);
// atan2 from `pos` to the player's position.
f64 AngleToPlayer(const f32 pos[2], u32 player);

// 0..7: sector k centred on -pi + k pi/4 (0 toward -x, 2 up, 4 toward +x,
// 6 down).
i32 AngleToDirection8(f32 angle);
// Negative when p and q lie on opposite sides of the line through a and b,
// 0 when either lies on it.
f64 SideProduct(const f32 a[2], const f32 b[2], const f32 p[2], const f32 q[2]);
// False for a degenerate triangle; points on an edge count as inside.
bool IsPointInTriangle(const f32 a[2], const f32 b[2], const f32 c[2], const f32 p[2]);

// 1 for every n below 10 (negative numbers too), else the number of digits.
i32 CountDigits(i32 n);
// Digit k of n, k = 1 the units; truncating division and remainder.
i32 GetDigit(i32 n, u32 k);
// 1, 2, 3, 4, 6, 8, 12, 16 for shot levels 1..8; 0 for any other level.
i32 GetScoreMultiplier(i32 shotLevel);
