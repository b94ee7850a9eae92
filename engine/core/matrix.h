#pragma once
// The engine's 3-float vector, 4 x 4 float matrix, plane and quaternion, with
// the operations the camera, model and mesh code use.
//
// Convention: a point is a row vector multiplied as v x M, the translation is
// the fourth row, and A x B applies A first. Elements are stored row-major:
// element (row, column) at m[row x 4 + column], 0-based; the Get/SetAt
// accessors take 1-based rows and columns.
//
// Functions take the object they act on first ("this"); output arguments may
// alias inputs everywhere. Arithmetic is in float throughout (no fused
// multiply-adds), so results are the same on every build.
#include "engine/core/types.h"

struct Vector3 {
    f32 x = 0.0f;
    f32 y = 0.0f;
    f32 z = 0.0f;
};

struct Matrix {
    // A new matrix is the identity (never undefined contents).
    Matrix();
    explicit Matrix(const f32 values[16]);

    alignas(16) f32 m[16];
};

// a, b, c, d: a point p is inside when a p.x + b p.y + c p.z + d >= 0.
struct Plane {
    f32 a = 0.0f;
    f32 b = 0.0f;
    f32 c = 0.0f;
    f32 d = 0.0f;
};

struct Quaternion {
    f32 x = 0.0f;
    f32 y = 0.0f;
    f32 z = 0.0f;
    f32 w = 1.0f;
};

// ---- Vector3 ---------------------------------------------------------------

void Vector3Set(Vector3* v, f32 x, f32 y, f32 z);
f32 Vector3Dot(const Vector3* v, const Vector3* w);
// out = a x b = (a.y b.z - a.z b.y, a.z b.x - a.x b.z, a.x b.y - a.y b.x).
void Vector3Cross(Vector3* out, const Vector3* a, const Vector3* b);
// out = v times the upper 3 x 3 of m.
void Vector3TransformNormal(Vector3* out, const Vector3* v, const Matrix* m);
// out = v times the upper 3 x 3 of m plus its fourth row; no division by w.
void Vector3TransformCoord(Vector3* out, const Vector3* v, const Matrix* m);
void Vector3TransformNormalBy(Vector3* v, const Matrix* m);
void Vector3TransformCoordBy(Vector3* v, const Matrix* m);
// The utility-library coordinate transform: (v, 1) x m, then divided by the
// resulting w (unchanged when w is exactly 1). A w of 0 gives non-finite
// components, as the projection it stands for is degenerate.
void Vector3TransformCoordProject(Vector3* out, const Vector3* v, const Matrix* m);
// In place: times 1 / length. A zero vector stays zero (never NaN).
void Vector3Normalize(Vector3* v);
// out = v / length, a zero vector giving the zero vector.
void Vector3Normalized(Vector3* out, const Vector3* v);
f32 Vector3Length(const Vector3* v);
// Returns one shared result vector holding v - b; the next call overwrites it.
Vector3& Vector3Subtract(const Vector3* v, const Vector3* b);

inline Vector3 operator+(const Vector3& a, const Vector3& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vector3 operator-(const Vector3& a, const Vector3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vector3 operator*(const Vector3& a, f32 s) { return {a.x * s, a.y * s, a.z * s}; }
inline bool operator==(const Vector3& a, const Vector3& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }

// ---- Matrix ----------------------------------------------------------------

void MatrixConstruct(Matrix* m);  // the identity
f32* MatrixData(Matrix* m);
const f32* MatrixData(const Matrix* m);
void MatrixSet(Matrix* m, const f32 values[16]);
void MatrixAssign(Matrix* m, const Matrix* from);
// 1-based row and column, 1 to 4.
f32 MatrixGet(const Matrix* m, i32 row, i32 column);
void MatrixSetAt(Matrix* m, i32 row, i32 column, f32 value);

void MatrixIdentity(Matrix* m);
// out = a x b (a applied first).
Matrix* MatrixMultiply(Matrix* out, const Matrix* a, const Matrix* b);
// m = m x by.
void MatrixMultiplyBy(Matrix* m, const Matrix* by);
Matrix* MatrixSetTransposeOf(Matrix* out, const Matrix* from);
void MatrixTranspose(Matrix* m);
// The utility-library inverse: out = inverse of m and returns out, with the
// determinant stored when `determinant` is not null. A singular matrix (zero
// or non-finite determinant) returns null and leaves out unchanged.
Matrix* MatrixInverse(Matrix* out, f32* determinant, const Matrix* m);
// out = inverse of from; unchanged when from is singular. Returns whether it
// was inverted.
bool MatrixSetInverseOf(Matrix* out, const Matrix* from);
bool MatrixInvert(Matrix* m);

// Rotations by a 16-bit angle with c and s read from the sine table:
// X rows (1,0,0,0) (0,c,s,0) (0,-s,c,0) (0,0,0,1); Y rows (c,0,-s,0)
// (0,1,0,0) (s,0,c,0) (0,0,0,1); Z rows (c,s,0,0) (-s,c,0,0) (0,0,1,0) (0,0,0,1).
void MatrixRotationX(Matrix* m, i32 angle);
void MatrixRotationY(Matrix* m, i32 angle);
void MatrixRotationZ(Matrix* m, i32 angle);
void MatrixScaling(Matrix* m, f32 sx, f32 sy, f32 sz);
void MatrixTranslation(Matrix* m, f32 x, f32 y, f32 z);
// Left-handed orthographic projection: rows (2/w,0,0,0) (0,2/h,0,0)
// (0,0,1/(zf-zn),0) (0,0,-zn/(zf-zn),1).
Matrix* MatrixOrthoLH(Matrix* out, f32 width, f32 height, f32 nearZ, f32 farZ);
// The engine's own quaternion matrix: rows (1-2(y²+z²), 2(xy-zw), 2(yw+xz), 0),
// (2(xy+zw), 1-2(x²+z²), 2(yz-wx), 0), (2(xz-yw), 2(yz+wx), 1-2(x²+y²), 0),
// (0,0,0,1). It is the transpose of MatrixRotationQuaternion, that is the
// rotation of the conjugate quaternion.
void MatrixFromQuaternion(Matrix* m, const Quaternion* q);
// The utility-library rotation matrix of a unit quaternion (row vectors).
Matrix* MatrixRotationQuaternion(Matrix* out, const Quaternion* q);

// ---- Plane -----------------------------------------------------------------

// Plane through three points: normal = normalised (p2 - p1) x (p3 - p1),
// d = -normal . p1. Points on one line (or equal) give the zero plane.
Plane* PlaneFromPoints(Plane* out, const Vector3* p1, const Vector3* p2, const Vector3* p3);
// a x + b y + c z + d.
f32 PlaneDotCoord(const Plane* plane, const Vector3* v);
// a x + b y + c z.
f32 PlaneDotNormal(const Plane* plane, const Vector3* v);
// Divides all four by the length of (a, b, c); the zero plane stays zero.
Plane* PlaneNormalize(Plane* out, const Plane* plane);
// Where the line through p1 and p2 meets the plane; null (out unchanged) when
// the line is parallel to the plane or p1 equals p2. The line is not clipped
// to the segment.
Vector3* PlaneIntersectLine(Vector3* out, const Plane* plane, const Vector3* p1, const Vector3* p2);

// ---- Box -------------------------------------------------------------------

// Whether the ray from `origin` along `direction` (t >= 0) meets the closed
// box from min to max. A zero component of the direction constrains nothing
// on that axis but requires the origin within the slab; a zero direction
// asks whether the origin is in the box. A box with min above max on any
// axis is empty.
bool BoxBoundProbe(const Vector3* min, const Vector3* max, const Vector3* origin, const Vector3* direction);

// ---- Axes ------------------------------------------------------------------
// The right, up and front axes that place a camera or a model.

// Turns the axes by r: the new rows are R x A, A having the rows right, up,
// front.
void AxesTurn(Vector3* right, Vector3* up, Vector3* front, const Matrix* r);
// Turns the axes by `rotation` (MatrixRotationX, Y or Z) of `angle`.
void AxesRotate(Vector3* right, Vector3* up, Vector3* front, void (*rotation)(Matrix*, i32), i32 angle);
// Axes looking from eye towards target: front the normalised direction, right
// the normalised up x front (up defaulting to +y, replaced by (0, 0, -front.y)
// when front is straight up or down), up then front x right normalised.
void AxesLookAt(Vector3* right, Vector3* up, Vector3* front, const Vector3* eye, const Vector3* target,
                const Vector3* upVector);

// ---- Quaternion ------------------------------------------------------------

void QuaternionIdentity(Quaternion* q);
f32 QuaternionDot(const Quaternion* a, const Quaternion* b);
Quaternion* QuaternionConjugate(Quaternion* out, const Quaternion* q);
// Rotation by `radians` about `axis` (normalised first; a zero axis gives
// (0, 0, 0, cos(radians / 2))).
Quaternion* QuaternionRotationAxis(Quaternion* out, const Vector3* axis, f32 radians);
// Spherical interpolation from a (t = 0) to b (t = 1) along the shorter arc;
// nearly equal inputs fall back to linear interpolation (no division by a
// vanishing sine, so no NaN for equal, opposite or zero quaternions).
Quaternion* QuaternionSlerp(Quaternion* out, const Quaternion* a, const Quaternion* b, f32 t);
