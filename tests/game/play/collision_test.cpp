#include <gtest/gtest.h>

#include "engine/core/radians.h"
#include "game/play/collision.h"

namespace {

struct Placed {
    f32 x, y;
    HitShape shape;
    f32 angle;
};

struct Case {
    const char* name;
    Placed a;
    Placed b;
    bool hit;
};

HitShape Circle(f32 r) { return {0, 0, r}; }
HitShape Rect(f32 w, f32 h) { return {w, h, 0}; }

// Each case is also run with the two shapes exchanged: the test is symmetric.
const Case kCases[] = {
    // Circles: touching distance is not a hit, just inside is.
    {"circles exactly touching", {0, 0, Circle(5), 0}, {10, 0, Circle(5), 0}, false},
    {"circles just inside", {0, 0, Circle(5), 0}, {9.99f, 0, Circle(5), 0}, true},
    {"circles just outside", {0, 0, Circle(5), 0}, {10.01f, 0, Circle(5), 0}, false},
    {"circles touching on a diagonal", {0, 0, Circle(5), 0}, {6, 8, Circle(5), 0}, false},
    {"circles inside on a diagonal", {0, 0, Circle(5), 0}, {6, 7.99f, Circle(5), 0}, true},
    {"circles inside the box, outside the radius", {0, 0, Circle(5), 0}, {8, 8, Circle(5), 0}, false},
    {"circles at the same place", {3, 4, Circle(1), 0}, {3, 4, Circle(1), 0}, true},
    // Shapes of all zeros touch nothing, not even themselves.
    {"zero shape on a circle", {0, 0, HitShape{}, 0}, {0, 0, Circle(50), 0}, false},
    {"zero shape on a rectangle", {0, 0, HitShape{}, 0}, {0, 0, Rect(50, 50), 0}, false},
    {"two zero shapes", {0, 0, HitShape{}, 0}, {0, 0, HitShape{}, 0}, false},
    // Rectangles.
    {"bars crossing, neither centre inside", {0, 0, Rect(30, 4), 0}, {20, 20, Rect(30, 4), kPi / 2}, true},
    {"bars parallel apart", {0, 0, Rect(30, 4), 0}, {20, 20, Rect(30, 4), 0}, false},
    {"bar turned 45 degrees across", {0, 0, Rect(30, 4), 0}, {20, 20, Rect(30, 4), kPi / 4}, true},
    {"bar turned 45 degrees above", {0, 0, Rect(30, 4), 0}, {20, 30, Rect(30, 4), kPi / 4}, false},
    {"small rectangle wholly inside", {0, 0, Rect(100, 100), 0}, {10, 10, Rect(5, 5), 0}, true},
    {"overlapping ends", {0, 0, Rect(20, 5), 0}, {30, 0, Rect(20, 8), 0}, true},
    {"turned away from the overlap", {0, 0, Rect(20, 5), 0}, {30, 0, Rect(20, 8), kPi / 2}, false},
    {"far apart", {0, 0, Rect(20, 5), 0}, {300, 0, Rect(20, 5), 0}, false},
    // Rectangle and circle.
    {"circle near an edge", {0, 0, Rect(10, 10), 0}, {14.9f, 0, Circle(5), 0}, true},
    {"circle on an edge at its radius", {0, 0, Rect(10, 10), 0}, {15, 0, Circle(5), 0}, true},
    {"circle just off an edge", {0, 0, Rect(10, 10), 0}, {15.1f, 0, Circle(5), 0}, false},
    {"circle near a corner", {0, 0, Rect(10, 10), 0}, {13, 13, Circle(5), 0}, true},
    {"circle just off a corner", {0, 0, Rect(10, 10), 0}, {13.6f, 13.6f, Circle(5), 0}, false},
    {"circle at a corner's projection, radius away", {0, 0, Rect(10, 10), 0}, {10, 15, Circle(5), 0}, false},
    {"circle inside a rectangle", {0, 0, Rect(10, 10), 0}, {2, -3, Circle(1), 0}, true},
    {"circle on a turned rectangle", {0, 0, Rect(30, 4), kPi / 2}, {0, 20, Circle(5), 0}, true},
    {"circle clear of a turned rectangle", {0, 0, Rect(30, 4), kPi / 2}, {20, 0, Circle(5), 0}, false},
    {"circle against a flat rectangle's end", {0, 0, Rect(10, 0), 0}, {12, 0, Circle(3), 0}, true},
    {"circle away from a flat rectangle", {0, 0, Rect(10, 0), 0}, {0, 5, Circle(3), 0}, false},
    // Shapes with both a rectangle and a circle.
    {"rectangle part reaches", {0, 0, {40, 2, 3}, 0}, {45, 0, Circle(6), 0}, true},
    {"neither part reaches", {0, 0, {40, 2, 3}, kPi / 2}, {45, 0, Circle(6), 0}, false},
};

TEST(HitTestShapesTest, Table) {
    for (const Case& c : kCases) {
        const f32 pa[2] = {c.a.x, c.a.y};
        const f32 pb[2] = {c.b.x, c.b.y};
        EXPECT_EQ(HitTestShapes(pa, pb, &c.a.shape, &c.b.shape, c.a.angle, c.b.angle), c.hit) << c.name;
        EXPECT_EQ(HitTestShapes(pb, pa, &c.b.shape, &c.a.shape, c.b.angle, c.a.angle), c.hit)
            << c.name << " (exchanged)";
    }
}

}  // namespace
