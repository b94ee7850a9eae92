#include "game/play/collision.h"

#include <cmath>

namespace {

struct Point {
    f80 x;
    f80 y;
};

// The centroid factor of the point-in-triangle test, in single precision.
constexpr f32 kThird = 0.33333334f;

// Corners (-w, -h), (w, -h), (w, h), (-w, h) turned by `angle` and moved to
// `pos`; edge i runs from corner i to corner (i + 1) mod 4.
void RectangleCorners(const f32 pos[2], const HitShape& shape, f32 angle, Point corners[4]) {
    const f80 c = std::cos(static_cast<f80>(angle));
    const f80 s = std::sin(static_cast<f80>(angle));
    const f80 w = shape.halfWidth;
    const f80 h = shape.halfHeight;
    const f80 local[4][2] = {{-w, -h}, {w, -h}, {w, h}, {-w, h}};
    for (int i = 0; i < 4; ++i) {
        const f80 x = local[i][0];
        const f80 y = local[i][1];
        corners[i].x = static_cast<f80>(pos[0]) + (c * x - s * y);
        corners[i].y = static_cast<f80>(pos[1]) + (c * y + s * x);
    }
}

// Negative when p and q lie on opposite sides of the line through a and b,
// 0 when either lies on it.
f80 SideProduct(const Point& a, const Point& b, const Point& p, const Point& q) {
    const f80 sp = (p.y - a.y) * (a.x - b.x) + (a.x - p.x) * (a.y - b.y);
    const f80 sq = (q.y - a.y) * (a.x - b.x) + (a.x - q.x) * (a.y - b.y);
    return sp * sq;
}

// Points on an edge count as inside; a degenerate triangle holds nothing.
bool IsPointInTriangle(const Point& a, const Point& b, const Point& c, const Point& p) {
    if ((a.y - c.y) * (a.x - b.x) == (a.y - b.y) * (a.x - c.x)) return false;
    const Point g{(a.x + b.x + c.x) * kThird, (a.y + b.y + c.y) * kThird};
    if (SideProduct(a, b, p, g) < 0) return false;
    if (SideProduct(a, c, p, g) < 0) return false;
    if (SideProduct(b, c, p, g) < 0) return false;
    return true;
}

bool IsPointInRectangle(const Point corners[4], const Point& p) {
    return IsPointInTriangle(corners[0], corners[1], corners[2], p) ||
           IsPointInTriangle(corners[2], corners[3], corners[0], p);
}

f80 Distance(const Point& a, const Point& b) {
    const f80 dx = a.x - b.x;
    const f80 dy = a.y - b.y;
    return std::sqrt(dx * dx + dy * dy);
}

// Rectangle r (at rPos, turned by rAngle) against the circle of `circle` at cPos.
bool RectangleTouchesCircle(const f32 rPos[2], const HitShape& rect, f32 rAngle, const f32 cPos[2],
                            const HitShape& circle) {
    Point corners[4];
    RectangleCorners(rPos, rect, rAngle, corners);
    const Point centre{cPos[0], cPos[1]};
    const f80 radius = circle.radius;
    for (const Point& corner : corners) {
        if (Distance(corner, centre) < radius) return true;
    }
    for (int i = 0; i < 4; ++i) {
        const Point& p = corners[i];
        const Point& q = corners[(i + 1) % 4];
        const f80 ex = q.x - p.x;
        const f80 ey = q.y - p.y;
        // The projection of the centre must fall strictly inside the edge.
        if (!(ex * (centre.x - p.x) + ey * (centre.y - p.y) > 0)) continue;
        if (!(-ex * (centre.x - q.x) - ey * (centre.y - q.y) > 0)) continue;
        const f80 length = std::sqrt(ex * ex + ey * ey);
        const f80 cross = ex * (centre.y - p.y) - ey * (centre.x - p.x);
        if (std::fabs(cross) / length <= radius) return true;
    }
    return IsPointInRectangle(corners, centre);
}

bool RectanglesTouch(const f32 posA[2], const HitShape& a, f32 angleA, const f32 posB[2], const HitShape& b,
                     f32 angleB) {
    const f80 dx = static_cast<f80>(posA[0]) - static_cast<f80>(posB[0]);
    const f80 dy = static_cast<f80>(posA[1]) - static_cast<f80>(posB[1]);
    const f80 reachA = static_cast<f80>(a.halfWidth > a.halfHeight ? a.halfWidth : a.halfHeight);
    const f80 reachB = static_cast<f80>(b.halfWidth > b.halfHeight ? b.halfWidth : b.halfHeight);
    const f80 reach = 1.5L * reachA + 1.5L * reachB;
    if (!(std::fabs(dx) <= reach && std::fabs(dy) <= reach)) return false;
    Point ca[4];
    Point cb[4];
    RectangleCorners(posA, a, angleA, ca);
    RectangleCorners(posB, b, angleB, cb);
    for (int i = 0; i < 4; ++i) {
        const Point& a0 = ca[i];
        const Point& a1 = ca[(i + 1) % 4];
        for (int j = 0; j < 4; ++j) {
            const Point& b0 = cb[j];
            const Point& b1 = cb[(j + 1) % 4];
            if (SideProduct(a0, a1, b0, b1) < 0 && SideProduct(b0, b1, a0, a1) < 0) return true;
        }
    }
    if (IsPointInRectangle(ca, Point{posB[0], posB[1]})) return true;
    return IsPointInRectangle(cb, Point{posA[0], posA[1]});
}

}  // namespace

bool HitTestShapes(const f32 posA[2], const f32 posB[2], const HitShape* a, const HitShape* b, f32 angleA, f32 angleB) {
    if (a->radius > 0 && b->radius > 0) {
        const f80 dx = static_cast<f80>(posA[0]) - static_cast<f80>(posB[0]);
        const f80 dy = static_cast<f80>(posA[1]) - static_cast<f80>(posB[1]);
        const f80 reach = static_cast<f80>(a->radius) + static_cast<f80>(b->radius);
        if (std::fabs(dx) <= reach && std::fabs(dy) <= reach && std::sqrt(dx * dx + dy * dy) < reach) {
            return true;
        }
    }
    if (a->halfWidth > 0 && b->halfWidth > 0 && RectanglesTouch(posA, *a, angleA, posB, *b, angleB)) {
        return true;
    }
    if (a->halfWidth > 0 && b->radius > 0 && RectangleTouchesCircle(posA, *a, angleA, posB, *b)) {
        return true;
    }
    if (b->halfWidth > 0 && a->radius > 0 && RectangleTouchesCircle(posB, *b, angleB, posA, *a)) {
        return true;
    }
    return false;
}
