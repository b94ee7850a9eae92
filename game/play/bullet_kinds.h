#pragma once
// The enemy bullet kinds the attack patterns fire, named by look and speed
// curve; the look table and the motion switch in shots.cpp give each number
// both. Looks: a needle is the cell drawn turned to the bullet's rotation, a
// pellet the small spinning round cell, a ball the large spinning one.
// Easing takes a fixed amount off the speed each frame down to the floor
// named, braking multiplies it down.
#include "engine/core/types.h"

constexpr i32 kBulletNeedle = 101;         // flies straight
constexpr i32 kBulletPelletAlt = 102;      // drawn and moved as kBulletPellet; only its number differs
constexpr i32 kBulletPellet = 103;         // flies straight
constexpr i32 kBulletBall = 104;           // flies straight
constexpr i32 kBulletPelletEaseTo3 = 203;  // -0.05 a frame while above 3
constexpr i32 kBulletNeedleBraking = 390;  // x 0.95 a frame while above 1.5
constexpr i32 kBulletBallBrakeTo4 = 401;   // x 0.95 a frame while above 4
constexpr i32 kBulletBallBrakeTo1 = 481;   // x 0.95 a frame while above 1
constexpr i32 kBulletPelletBraking = 482;  // x 0.975 a frame while above 2
constexpr i32 kBulletPelletBurst = 483;    // x 0.95 a frame in its first 30 frames
constexpr i32 kBulletPelletEaseTo2 = 501;  // -0.1 a frame while above 2
constexpr i32 kBulletNeedleEaseTo2 = 502;  // -0.05 a frame while above 2
