#include "engine/core/matrix.h"

#include <cmath>
#include <cstring>

#include "engine/core/angle.h"

namespace {

constexpr f32 kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

Vector3 gSubtractResult;

inline f32& At(Matrix* m, int row, int column) { return m->m[row * 4 + column]; }
inline f32 At(const Matrix* m, int row, int column) { return m->m[row * 4 + column]; }

void SetRows(Matrix* m, f32 a00, f32 a01, f32 a02, f32 a10, f32 a11, f32 a12, f32 a20, f32 a21, f32 a22) {
    const f32 v[16] = {a00, a01, a02, 0, a10, a11, a12, 0, a20, a21, a22, 0, 0, 0, 0, 1};
    std::memcpy(m->m, v, sizeof v);
}

}  // namespace

// ---- Vector3 ---------------------------------------------------------------

void Vector3Set(Vector3* v, f32 x, f32 y, f32 z) {
    v->x = x;
    v->y = y;
    v->z = z;
}

f32 Vector3Dot(const Vector3* v, const Vector3* w) { return v->x * w->x + v->y * w->y + v->z * w->z; }

void Vector3Cross(Vector3* out, const Vector3* a, const Vector3* b) {
    const Vector3 r{a->y * b->z - a->z * b->y, a->z * b->x - a->x * b->z, a->x * b->y - a->y * b->x};
    *out = r;
}

void Vector3TransformNormal(Vector3* out, const Vector3* v, const Matrix* m) {
    const Vector3 r{v->x * At(m, 0, 0) + v->y * At(m, 1, 0) + v->z * At(m, 2, 0),
                    v->x * At(m, 0, 1) + v->y * At(m, 1, 1) + v->z * At(m, 2, 1),
                    v->x * At(m, 0, 2) + v->y * At(m, 1, 2) + v->z * At(m, 2, 2)};
    *out = r;
}

void Vector3TransformCoord(Vector3* out, const Vector3* v, const Matrix* m) {
    const Vector3 r{v->x * At(m, 0, 0) + v->y * At(m, 1, 0) + v->z * At(m, 2, 0) + At(m, 3, 0),
                    v->x * At(m, 0, 1) + v->y * At(m, 1, 1) + v->z * At(m, 2, 1) + At(m, 3, 1),
                    v->x * At(m, 0, 2) + v->y * At(m, 1, 2) + v->z * At(m, 2, 2) + At(m, 3, 2)};
    *out = r;
}

void Vector3TransformNormalBy(Vector3* v, const Matrix* m) { Vector3TransformNormal(v, v, m); }

void Vector3TransformCoordBy(Vector3* v, const Matrix* m) { Vector3TransformCoord(v, v, m); }

void Vector3TransformCoordProject(Vector3* out, const Vector3* v, const Matrix* m) {
    Vector3 r;
    Vector3TransformCoord(&r, v, m);
    const f32 w = v->x * At(m, 0, 3) + v->y * At(m, 1, 3) + v->z * At(m, 2, 3) + At(m, 3, 3);
    if (w != 1.0f) {
        r.x /= w;
        r.y /= w;
        r.z /= w;
    }
    *out = r;
}

f32 Vector3Length(const Vector3* v) { return std::sqrt(v->x * v->x + v->y * v->y + v->z * v->z); }

void Vector3Normalized(Vector3* out, const Vector3* v) {
    const f32 length = Vector3Length(v);
    if (length == 0.0f) {
        *out = Vector3{};
        return;
    }
    const f32 inverse = 1.0f / length;
    *out = Vector3{v->x * inverse, v->y * inverse, v->z * inverse};
}

void Vector3Normalize(Vector3* v) { Vector3Normalized(v, v); }

Vector3& Vector3Subtract(const Vector3* v, const Vector3* b) {
    gSubtractResult = Vector3{v->x - b->x, v->y - b->y, v->z - b->z};
    return gSubtractResult;
}

// ---- Matrix ----------------------------------------------------------------

Matrix::Matrix() { std::memcpy(m, kIdentity, sizeof m); }

Matrix::Matrix(const f32 values[16]) { std::memcpy(m, values, sizeof m); }

void MatrixConstruct(Matrix* m) { MatrixIdentity(m); }

f32* MatrixData(Matrix* m) { return m->m; }

const f32* MatrixData(const Matrix* m) { return m->m; }

void MatrixSet(Matrix* m, const f32 values[16]) { std::memmove(m->m, values, sizeof m->m); }

void MatrixAssign(Matrix* m, const Matrix* from) { std::memmove(m->m, from->m, sizeof m->m); }

f32 MatrixGet(const Matrix* m, i32 row, i32 column) { return At(m, row - 1, column - 1); }

void MatrixSetAt(Matrix* m, i32 row, i32 column, f32 value) { At(m, row - 1, column - 1) = value; }

void MatrixIdentity(Matrix* m) { std::memcpy(m->m, kIdentity, sizeof m->m); }

Matrix* MatrixMultiply(Matrix* out, const Matrix* a, const Matrix* b) {
    f32 r[16];
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            r[row * 4 + column] = At(a, row, 0) * At(b, 0, column) + At(a, row, 1) * At(b, 1, column) +
                                  At(a, row, 2) * At(b, 2, column) + At(a, row, 3) * At(b, 3, column);
        }
    }
    std::memcpy(out->m, r, sizeof r);
    return out;
}

void MatrixMultiplyBy(Matrix* m, const Matrix* by) { MatrixMultiply(m, m, by); }

Matrix* MatrixSetTransposeOf(Matrix* out, const Matrix* from) {
    f32 r[16];
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            r[column * 4 + row] = At(from, row, column);
        }
    }
    std::memcpy(out->m, r, sizeof r);
    return out;
}

void MatrixTranspose(Matrix* m) { MatrixSetTransposeOf(m, m); }

Matrix* MatrixInverse(Matrix* out, f32* determinant, const Matrix* m) {
    // Adjugate over the determinant, from the 2 x 2 minors of the upper and
    // lower row pairs. Worked in double and rounded once per element.
    f64 a[16];
    for (int i = 0; i < 16; ++i) {
        a[i] = m->m[i];
    }
    const f64 s0 = a[0] * a[5] - a[1] * a[4];
    const f64 s1 = a[0] * a[6] - a[2] * a[4];
    const f64 s2 = a[0] * a[7] - a[3] * a[4];
    const f64 s3 = a[1] * a[6] - a[2] * a[5];
    const f64 s4 = a[1] * a[7] - a[3] * a[5];
    const f64 s5 = a[2] * a[7] - a[3] * a[6];
    const f64 c5 = a[10] * a[15] - a[11] * a[14];
    const f64 c4 = a[9] * a[15] - a[11] * a[13];
    const f64 c3 = a[9] * a[14] - a[10] * a[13];
    const f64 c2 = a[8] * a[15] - a[11] * a[12];
    const f64 c1 = a[8] * a[14] - a[10] * a[12];
    const f64 c0 = a[8] * a[13] - a[9] * a[12];
    const f64 det = s0 * c5 - s1 * c4 + s2 * c3 + s3 * c2 - s4 * c1 + s5 * c0;
    if (determinant != nullptr) {
        *determinant = static_cast<f32>(det);
    }
    if (det == 0.0 || !std::isfinite(det)) {
        return nullptr;
    }
    const f64 k = 1.0 / det;
    const f64 r[16] = {
        (a[5] * c5 - a[6] * c4 + a[7] * c3) * k,     (-a[1] * c5 + a[2] * c4 - a[3] * c3) * k,
        (a[13] * s5 - a[14] * s4 + a[15] * s3) * k,  (-a[9] * s5 + a[10] * s4 - a[11] * s3) * k,
        (-a[4] * c5 + a[6] * c2 - a[7] * c1) * k,    (a[0] * c5 - a[2] * c2 + a[3] * c1) * k,
        (-a[12] * s5 + a[14] * s2 - a[15] * s1) * k, (a[8] * s5 - a[10] * s2 + a[11] * s1) * k,
        (a[4] * c4 - a[5] * c2 + a[7] * c0) * k,     (-a[0] * c4 + a[1] * c2 - a[3] * c0) * k,
        (a[12] * s4 - a[13] * s2 + a[15] * s0) * k,  (-a[8] * s4 + a[9] * s2 - a[11] * s0) * k,
        (-a[4] * c3 + a[5] * c1 - a[6] * c0) * k,    (a[0] * c3 - a[1] * c1 + a[2] * c0) * k,
        (-a[12] * s3 + a[13] * s1 - a[14] * s0) * k, (a[8] * s3 - a[9] * s1 + a[10] * s0) * k,
    };
    for (int i = 0; i < 16; ++i) {
        out->m[i] = static_cast<f32>(r[i]);
    }
    return out;
}

bool MatrixSetInverseOf(Matrix* out, const Matrix* from) { return MatrixInverse(out, nullptr, from) != nullptr; }

bool MatrixInvert(Matrix* m) { return MatrixInverse(m, nullptr, m) != nullptr; }

void MatrixRotationX(Matrix* m, i32 angle) {
    const f32 c = CosAngle(angle);
    const f32 s = SinAngle(angle);
    SetRows(m, 1, 0, 0, 0, c, s, 0, -s, c);
}

void MatrixRotationY(Matrix* m, i32 angle) {
    const f32 c = CosAngle(angle);
    const f32 s = SinAngle(angle);
    SetRows(m, c, 0, -s, 0, 1, 0, s, 0, c);
}

void MatrixRotationZ(Matrix* m, i32 angle) {
    const f32 c = CosAngle(angle);
    const f32 s = SinAngle(angle);
    SetRows(m, c, s, 0, -s, c, 0, 0, 0, 1);
}

void MatrixScaling(Matrix* m, f32 sx, f32 sy, f32 sz) { SetRows(m, sx, 0, 0, 0, sy, 0, 0, 0, sz); }

void MatrixTranslation(Matrix* m, f32 x, f32 y, f32 z) {
    MatrixIdentity(m);
    At(m, 3, 0) = x;
    At(m, 3, 1) = y;
    At(m, 3, 2) = z;
}

Matrix* MatrixOrthoLH(Matrix* out, f32 width, f32 height, f32 nearZ, f32 farZ) {
    const f32 depth = farZ - nearZ;
    const f32 v[16] = {2.0f / width, 0, 0, 0, 0, 2.0f / height, 0, 0, 0, 0, 1.0f / depth, 0, 0, 0, -nearZ / depth, 1};
    std::memcpy(out->m, v, sizeof v);
    return out;
}

void MatrixFromQuaternion(Matrix* m, const Quaternion* q) {
    const f32 x = q->x, y = q->y, z = q->z, w = q->w;
    SetRows(m, 1.0f - 2.0f * (y * y + z * z), 2.0f * (x * y - z * w), 2.0f * (y * w + x * z), 2.0f * (x * y + z * w),
            1.0f - 2.0f * (x * x + z * z), 2.0f * (y * z - w * x), 2.0f * (x * z - y * w), 2.0f * (y * z + w * x),
            1.0f - 2.0f * (x * x + y * y));
}

Matrix* MatrixRotationQuaternion(Matrix* out, const Quaternion* q) {
    const f32 x = q->x, y = q->y, z = q->z, w = q->w;
    SetRows(out, 1.0f - 2.0f * (y * y + z * z), 2.0f * (x * y + z * w), 2.0f * (x * z - y * w), 2.0f * (x * y - z * w),
            1.0f - 2.0f * (x * x + z * z), 2.0f * (y * z + x * w), 2.0f * (x * z + y * w), 2.0f * (y * z - x * w),
            1.0f - 2.0f * (x * x + y * y));
    return out;
}

// ---- Plane -----------------------------------------------------------------

Plane* PlaneFromPoints(Plane* out, const Vector3* p1, const Vector3* p2, const Vector3* p3) {
    const Vector3 edge1 = *p2 - *p1;
    const Vector3 edge2 = *p3 - *p1;
    Vector3 normal;
    Vector3Cross(&normal, &edge1, &edge2);
    Vector3Normalize(&normal);
    Plane r{normal.x, normal.y, normal.z, 0.0f};
    r.d = -(normal.x * p1->x + normal.y * p1->y + normal.z * p1->z);
    *out = r;
    return out;
}

f32 PlaneDotCoord(const Plane* plane, const Vector3* v) {
    return plane->a * v->x + plane->b * v->y + plane->c * v->z + plane->d;
}

f32 PlaneDotNormal(const Plane* plane, const Vector3* v) { return plane->a * v->x + plane->b * v->y + plane->c * v->z; }

Plane* PlaneNormalize(Plane* out, const Plane* plane) {
    const f32 length = std::sqrt(plane->a * plane->a + plane->b * plane->b + plane->c * plane->c);
    if (length == 0.0f) {
        *out = Plane{};
        return out;
    }
    const f32 inverse = 1.0f / length;
    *out = Plane{plane->a * inverse, plane->b * inverse, plane->c * inverse, plane->d * inverse};
    return out;
}

Vector3* PlaneIntersectLine(Vector3* out, const Plane* plane, const Vector3* p1, const Vector3* p2) {
    const Vector3 direction = *p2 - *p1;
    const f32 dot = PlaneDotNormal(plane, &direction);
    if (dot == 0.0f) {
        return nullptr;
    }
    const f32 t = PlaneDotCoord(plane, p1) / dot;
    const Vector3 r{p1->x - t * direction.x, p1->y - t * direction.y, p1->z - t * direction.z};
    if (!std::isfinite(r.x) || !std::isfinite(r.y) || !std::isfinite(r.z)) {
        return nullptr;  // so nearly parallel that the point is at infinity
    }
    *out = r;
    return out;
}

// ---- Box -------------------------------------------------------------------

bool BoxBoundProbe(const Vector3* min, const Vector3* max, const Vector3* origin, const Vector3* direction) {
    const f32 lo[3] = {min->x, min->y, min->z};
    const f32 hi[3] = {max->x, max->y, max->z};
    const f32 o[3] = {origin->x, origin->y, origin->z};
    const f32 d[3] = {direction->x, direction->y, direction->z};
    f32 tNear = -INFINITY;
    f32 tFar = INFINITY;
    for (int axis = 0; axis < 3; ++axis) {
        if (!(lo[axis] <= hi[axis])) {
            return false;  // empty (or NaN) box
        }
        if (d[axis] == 0.0f) {
            if (o[axis] < lo[axis] || o[axis] > hi[axis]) {
                return false;
            }
            continue;
        }
        f32 t0 = (lo[axis] - o[axis]) / d[axis];
        f32 t1 = (hi[axis] - o[axis]) / d[axis];
        if (t0 > t1) {
            const f32 swap = t0;
            t0 = t1;
            t1 = swap;
        }
        if (t0 > tNear) {
            tNear = t0;
        }
        if (t1 < tFar) {
            tFar = t1;
        }
        if (tNear > tFar) {
            return false;
        }
    }
    return tFar >= 0.0f;
}

// ---- Quaternion ------------------------------------------------------------

void QuaternionIdentity(Quaternion* q) { *q = Quaternion{0.0f, 0.0f, 0.0f, 1.0f}; }

f32 QuaternionDot(const Quaternion* a, const Quaternion* b) {
    return a->x * b->x + a->y * b->y + a->z * b->z + a->w * b->w;
}

Quaternion* QuaternionConjugate(Quaternion* out, const Quaternion* q) {
    *out = Quaternion{-q->x, -q->y, -q->z, q->w};
    return out;
}

Quaternion* QuaternionRotationAxis(Quaternion* out, const Vector3* axis, f32 radians) {
    Vector3 unit;
    Vector3Normalized(&unit, axis);
    const f32 half = radians * 0.5f;
    const f32 s = std::sin(half);
    *out = Quaternion{unit.x * s, unit.y * s, unit.z * s, std::cos(half)};
    return out;
}

Quaternion* QuaternionSlerp(Quaternion* out, const Quaternion* a, const Quaternion* b, f32 t) {
    f32 dot = QuaternionDot(a, b);
    f32 sign = 1.0f;
    if (dot < 0.0f) {
        sign = -1.0f;  // the shorter way round: b and -b are the same rotation
        dot = -dot;
    }
    f32 weightA = 1.0f - t;
    f32 weightB = t;
    if (1.0f - dot > 0.001f) {
        // dot is below 0.999 here, so theta is well away from 0 and sin(theta)
        // well away from 0.
        const f32 theta = std::acos(dot);
        const f32 sinTheta = std::sin(theta);
        weightA = std::sin(theta * weightA) / sinTheta;
        weightB = std::sin(theta * weightB) / sinTheta;
    }
    weightB *= sign;
    *out = Quaternion{weightA * a->x + weightB * b->x, weightA * a->y + weightB * b->y, weightA * a->z + weightB * b->z,
                      weightA * a->w + weightB * b->w};
    return out;
}

void AxesTurn(Vector3* right, Vector3* up, Vector3* front, const Matrix* r) {
    const f32 rows[16] = {right->x, right->y, right->z, 0, up->x, up->y, up->z, 0,
                          front->x, front->y, front->z, 0, 0,     0,     0,     1};
    const Matrix a(rows);
    Matrix result;
    MatrixMultiply(&result, r, &a);
    *right = Vector3{result.m[0], result.m[1], result.m[2]};
    *up = Vector3{result.m[4], result.m[5], result.m[6]};
    *front = Vector3{result.m[8], result.m[9], result.m[10]};
}

void AxesRotate(Vector3* right, Vector3* up, Vector3* front, void (*rotation)(Matrix*, i32), i32 angle) {
    Matrix r;
    rotation(&r, angle);
    AxesTurn(right, up, front, &r);
}

void AxesLookAt(Vector3* right, Vector3* up, Vector3* front, const Vector3* eye, const Vector3* target,
                const Vector3* upVector) {
    Vector3 u = upVector ? *upVector : Vector3{0.0f, 1.0f, 0.0f};
    Vector3 f = *target - *eye;
    Vector3Normalize(&f);
    if (f.x == 0.0f && f.z == 0.0f && (f.y == 1.0f || f.y == -1.0f)) u = Vector3{0.0f, 0.0f, -f.y};
    Vector3 r;
    Vector3Cross(&r, &f, &u);
    r = Vector3{-r.x, -r.y, -r.z};
    Vector3Normalize(&r);
    Vector3Cross(&u, &f, &r);
    Vector3Normalize(&u);
    *front = f;
    *up = u;
    *right = r;
}
