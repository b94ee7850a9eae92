#pragma once
#include "engine/core/types.h"

// Half-width, half-height and radius of a collidable object: a rectangle when
// the half-width is above 0, a circle when the radius is above 0.
struct HitShape {
    f32 halfWidth = 0;
    f32 halfHeight = 0;
    f32 radius = 0;
};

// {5, 3, 0}, {0, 0, 5} and {0, 0, 12}, filled at set-up; the bullet and shell
// makers copy them.
extern HitShape DefaultHitShapes[3];
// The entries of DefaultHitShapes.
constexpr i32 kHitShapeBar = 0;    // {5, 3, 0}: a 10 x 6 box
constexpr i32 kHitShapeSmall = 1;  // {0, 0, 5}: a circle of radius 5
constexpr i32 kHitShapeLarge = 2;  // {0, 0, 12}: a circle of radius 12
