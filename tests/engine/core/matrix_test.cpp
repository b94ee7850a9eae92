#include "engine/core/matrix.h"

#include <gtest/gtest.h>

#include <cmath>

#include "engine/core/angle.h"
#include "engine/core/light.h"
#include "engine/core/radians.h"

namespace {

class MatrixTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { FillSineTable(); }
};

Matrix FromRows(std::initializer_list<f32> values) {
    f32 v[16] = {};
    int i = 0;
    for (f32 x : values) {
        v[i++] = x;
    }
    return Matrix(v);
}

void ExpectMatrixNear(const Matrix& actual, const Matrix& expected, f32 tolerance, const char* what = "") {
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(actual.m[i], expected.m[i], tolerance)
            << what << " element (" << i / 4 + 1 << ", " << i % 4 + 1 << ")";
    }
}

void ExpectVectorNear(const Vector3& v, f32 x, f32 y, f32 z, f32 tolerance = 1e-5f) {
    EXPECT_NEAR(v.x, x, tolerance);
    EXPECT_NEAR(v.y, y, tolerance);
    EXPECT_NEAR(v.z, z, tolerance);
}

bool AllFinite(const Quaternion& q) {
    return std::isfinite(q.x) && std::isfinite(q.y) && std::isfinite(q.z) && std::isfinite(q.w);
}

TEST_F(MatrixTest, NewMatrixIsIdentityAndAccessorsAreOneBased) {
    Matrix m;
    ExpectMatrixNear(m, FromRows({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}), 0.0f);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(MatrixData(&m)) % 16, 0u);
    MatrixSetAt(&m, 4, 2, 7.0f);
    EXPECT_EQ(MatrixGet(&m, 4, 2), 7.0f);
    EXPECT_EQ(MatrixData(&m)[3 * 4 + 1], 7.0f);  // row 4, column 2, row-major
    Matrix copy(m);
    EXPECT_EQ(MatrixGet(&copy, 4, 2), 7.0f);
    Matrix assigned;
    MatrixAssign(&assigned, &m);
    EXPECT_EQ(MatrixGet(&assigned, 4, 2), 7.0f);
}

TEST_F(MatrixTest, MultiplyTakesRowVectorsSoTheLeftMatrixActsFirst) {
    Matrix translate;
    Matrix rotate;
    MatrixTranslation(&translate, 1.0f, 0.0f, 0.0f);
    MatrixRotationZ(&rotate, 16384);
    const Vector3 origin{};

    Matrix translateThenRotate;
    MatrixMultiply(&translateThenRotate, &translate, &rotate);
    Vector3 p;
    Vector3TransformCoord(&p, &origin, &translateThenRotate);
    ExpectVectorNear(p, 0.0f, 1.0f, 0.0f);  // moved to (1, 0, 0), then turned a quarter

    Matrix rotateThenTranslate;
    MatrixMultiply(&rotateThenTranslate, &rotate, &translate);
    Vector3TransformCoord(&p, &origin, &rotateThenTranslate);
    ExpectVectorNear(p, 1.0f, 0.0f, 0.0f);
}

TEST_F(MatrixTest, MultiplyElementsAndAliasing) {
    const Matrix a = FromRows({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});
    const Matrix b = FromRows({2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 4, 0, 1, 1, 1, 1});
    const Matrix expected = FromRows({6, 10, 16, 4, 18, 26, 36, 8, 30, 42, 56, 12, 42, 58, 76, 16});
    Matrix out;
    EXPECT_EQ(MatrixMultiply(&out, &a, &b), &out);
    ExpectMatrixNear(out, expected, 0.0f);

    Matrix alias = a;
    MatrixMultiply(&alias, &alias, &b);  // out is the left input
    ExpectMatrixNear(alias, expected, 0.0f, "left alias");
    alias = b;
    MatrixMultiply(&alias, &a, &alias);  // out is the right input
    ExpectMatrixNear(alias, expected, 0.0f, "right alias");
    alias = a;
    MatrixMultiplyBy(&alias, &b);
    ExpectMatrixNear(alias, expected, 0.0f, "multiply by");
}

TEST_F(MatrixTest, Transpose) {
    const Matrix a = FromRows({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});
    Matrix t;
    MatrixSetTransposeOf(&t, &a);
    for (int r = 1; r <= 4; ++r) {
        for (int c = 1; c <= 4; ++c) {
            EXPECT_EQ(MatrixGet(&t, r, c), MatrixGet(&a, c, r));
        }
    }
    Matrix inPlace = a;
    MatrixTranspose(&inPlace);
    ExpectMatrixNear(inPlace, t, 0.0f);
    MatrixTranspose(&inPlace);
    ExpectMatrixNear(inPlace, a, 0.0f);
}

TEST_F(MatrixTest, InverseOfTransformsGivesIdentity) {
    Matrix scale, rotateX, rotateY, translate;
    MatrixScaling(&scale, 2.0f, 0.5f, 3.0f);
    MatrixRotationX(&rotateX, 5000);
    MatrixRotationY(&rotateY, 40000);
    MatrixTranslation(&translate, 10.0f, -20.0f, 5.0f);
    Matrix world = scale;
    MatrixMultiplyBy(&world, &rotateX);
    MatrixMultiplyBy(&world, &rotateY);
    MatrixMultiplyBy(&world, &translate);
    Matrix projection;
    MatrixOrthoLH(&projection, 320.0f, 240.0f, 1.0f, 1000.0f);

    for (const Matrix* m : {&world, &projection, &scale}) {
        Matrix inverse;
        f32 det = 0.0f;
        ASSERT_EQ(MatrixInverse(&inverse, &det, m), &inverse);
        EXPECT_NE(det, 0.0f);
        Matrix product;
        MatrixMultiply(&product, m, &inverse);
        ExpectMatrixNear(product, Matrix(), 1e-5f);
        MatrixMultiply(&product, &inverse, m);
        ExpectMatrixNear(product, Matrix(), 1e-5f);
    }
    f32 det = 0.0f;
    Matrix inverse;
    MatrixInverse(&inverse, &det, &scale);
    EXPECT_FLOAT_EQ(det, 3.0f);

    Matrix inPlace = world;
    EXPECT_TRUE(MatrixInvert(&inPlace));
    Matrix back;
    EXPECT_TRUE(MatrixSetInverseOf(&back, &inPlace));
    ExpectMatrixNear(back, world, 1e-4f);
}

TEST_F(MatrixTest, SingularMatrixLeavesTheOutputUnchanged) {
    const Matrix singular[] = {
        FromRows({1, 2, 3, 4, 2, 4, 6, 8, 0, 0, 1, 0, 0, 0, 0, 1}),  // two rows alike
        FromRows({1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}),  // a zero row
        FromRows({}),                                                // all zero
    };
    const Matrix sentinel = FromRows({9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9});
    for (const Matrix& m : singular) {
        Matrix out = sentinel;
        f32 det = 1.0f;
        EXPECT_EQ(MatrixInverse(&out, &det, &m), nullptr);
        EXPECT_EQ(det, 0.0f);
        ExpectMatrixNear(out, sentinel, 0.0f);
        EXPECT_FALSE(MatrixSetInverseOf(&out, &m));
        ExpectMatrixNear(out, sentinel, 0.0f);
        Matrix inPlace = m;
        EXPECT_FALSE(MatrixInvert(&inPlace));
        ExpectMatrixNear(inPlace, m, 0.0f);
    }
}

TEST_F(MatrixTest, RotationScalingTranslationRows) {
    const f32 c = CosAngle(3000);
    const f32 s = SinAngle(3000);
    Matrix m;
    MatrixRotationX(&m, 3000);
    ExpectMatrixNear(m, FromRows({1, 0, 0, 0, 0, c, s, 0, 0, -s, c, 0, 0, 0, 0, 1}), 0.0f, "x");
    MatrixRotationY(&m, 3000);
    ExpectMatrixNear(m, FromRows({c, 0, -s, 0, 0, 1, 0, 0, s, 0, c, 0, 0, 0, 0, 1}), 0.0f, "y");
    MatrixRotationZ(&m, 3000 + 65536);
    ExpectMatrixNear(m, FromRows({c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}), 0.0f, "z");
    MatrixScaling(&m, 2, 3, 4);
    ExpectMatrixNear(m, FromRows({2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 4, 0, 0, 0, 0, 1}), 0.0f, "scale");
    MatrixTranslation(&m, 5, 6, 7);
    ExpectMatrixNear(m, FromRows({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 5, 6, 7, 1}), 0.0f, "translate");
}

TEST_F(MatrixTest, OrthoLHOfTheGameCamera) {
    Matrix m;
    EXPECT_EQ(MatrixOrthoLH(&m, 320.0f, 240.0f, 1.0f, 1000.0f), &m);
    ExpectMatrixNear(
        m, FromRows({0.00625f, 0, 0, 0, 0, 0.008333333f, 0, 0, 0, 0, 1.0f / 999.0f, 0, 0, 0, -1.0f / 999.0f, 1}),
        1e-9f);
}

TEST_F(MatrixTest, VectorTransforms) {
    const Matrix m = FromRows({1, 2, 3, 0.5f, 4, 5, 6, 0, 7, 8, 9, 0, 10, 20, 30, 1});
    const Vector3 v{1, 1, 1};
    Vector3 out;
    Vector3TransformNormal(&out, &v, &m);
    ExpectVectorNear(out, 12, 15, 18, 0.0f);
    Vector3TransformCoord(&out, &v, &m);
    ExpectVectorNear(out, 22, 35, 48, 0.0f);  // no division by w (which is 1.5 here)
    Vector3TransformCoordProject(&out, &v, &m);
    ExpectVectorNear(out, 22 / 1.5f, 35 / 1.5f, 48 / 1.5f);

    Vector3 inPlace = v;
    Vector3TransformNormalBy(&inPlace, &m);
    ExpectVectorNear(inPlace, 12, 15, 18, 0.0f);
    inPlace = v;
    Vector3TransformCoordBy(&inPlace, &m);
    ExpectVectorNear(inPlace, 22, 35, 48, 0.0f);

    Matrix translate;
    MatrixTranslation(&translate, 1, 2, 3);
    Vector3TransformCoordProject(&out, &v, &translate);  // w exactly 1
    ExpectVectorNear(out, 2, 3, 4, 0.0f);
}

TEST_F(MatrixTest, VectorBasics) {
    Vector3 a;
    Vector3Set(&a, 1, 2, 3);
    const Vector3 b{4, 5, 6};
    EXPECT_EQ(Vector3Dot(&a, &b), 32.0f);
    Vector3 cross;
    Vector3Cross(&cross, &a, &b);
    ExpectVectorNear(cross, -3, 6, -3, 0.0f);
    Vector3Cross(&a, &a, &b);  // aliased output
    ExpectVectorNear(a, -3, 6, -3, 0.0f);

    Vector3 n{3, 0, 4};
    Vector3Normalize(&n);
    ExpectVectorNear(n, 0.6f, 0, 0.8f);
    Vector3 zero{};
    Vector3Normalize(&zero);  // stays zero rather than NaN
    ExpectVectorNear(zero, 0, 0, 0, 0.0f);

    const Vector3 p{5, 5, 5};
    const Vector3 q{1, 2, 3};
    const Vector3 r{0, 0, 1};
    Vector3& first = Vector3Subtract(&p, &q);
    ExpectVectorNear(first, 4, 3, 2, 0.0f);
    Vector3& second = Vector3Subtract(&p, &r);
    EXPECT_EQ(&first, &second);  // one shared result, overwritten
    ExpectVectorNear(first, 5, 5, 4, 0.0f);
}

TEST_F(MatrixTest, PlaneFromPoints) {
    struct Case {
        const char* name;
        Vector3 p1, p2, p3;
        Plane expected;
    } cases[] = {
        {"xy plane", {0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1, 0}},
        {"reversed winding", {0, 0, 0}, {0, 1, 0}, {1, 0, 0}, {0, 0, -1, 0}},
        {"offset", {0, 0, 5}, {2, 0, 5}, {0, 3, 5}, {0, 0, 1, -5}},
        {"slanted", {1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0.57735026f, 0.57735026f, 0.57735026f, -0.57735026f}},
        // Degenerate input gives the zero plane, never NaN.
        {"colinear", {0, 0, 0}, {1, 1, 1}, {2, 2, 2}, {0, 0, 0, 0}},
        {"two equal", {1, 2, 3}, {1, 2, 3}, {4, 5, 6}, {0, 0, 0, 0}},
        {"all equal", {1, 2, 3}, {1, 2, 3}, {1, 2, 3}, {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        Plane p;
        EXPECT_EQ(PlaneFromPoints(&p, &c.p1, &c.p2, &c.p3), &p);
        EXPECT_NEAR(p.a, c.expected.a, 1e-6f) << c.name;
        EXPECT_NEAR(p.b, c.expected.b, 1e-6f) << c.name;
        EXPECT_NEAR(p.c, c.expected.c, 1e-6f) << c.name;
        EXPECT_NEAR(p.d, c.expected.d, 1e-6f) << c.name;
    }
}

TEST_F(MatrixTest, PlaneNormalizeAndDots) {
    const Plane p{0, 0, 2, 4};
    Plane n;
    PlaneNormalize(&n, &p);
    EXPECT_EQ(n.c, 1.0f);
    EXPECT_EQ(n.d, 2.0f);
    const Vector3 v{1, 1, 1};
    EXPECT_EQ(PlaneDotCoord(&n, &v), 3.0f);
    EXPECT_EQ(PlaneDotNormal(&n, &v), 1.0f);
    const Plane zero{0, 0, 0, 5};
    PlaneNormalize(&n, &zero);
    EXPECT_EQ(n.a, 0.0f);
    EXPECT_EQ(n.d, 0.0f);
    EXPECT_FALSE(std::isnan(n.d));
}

TEST_F(MatrixTest, PlaneIntersectLine) {
    const Plane z5{0, 0, 1, -5};
    struct Case {
        const char* name;
        Plane plane;
        Vector3 p1, p2;
        bool hits;
        Vector3 expected;
    } cases[] = {
        {"through the segment", z5, {0, 0, 0}, {0, 0, 10}, true, {0, 0, 5}},
        {"beyond the segment", z5, {1, 2, 0}, {1, 2, 1}, true, {1, 2, 5}},
        {"slanted", z5, {0, 0, 0}, {2, 4, 10}, true, {1, 2, 5}},
        {"parallel", z5, {0, 0, 0}, {1, 1, 0}, false, {}},
        {"parallel in the plane", z5, {0, 0, 5}, {1, 0, 5}, false, {}},
        {"equal points", z5, {0, 0, 1}, {0, 0, 1}, false, {}},
        {"zero plane", {0, 0, 0, 0}, {0, 0, 0}, {0, 0, 1}, false, {}},
    };
    for (const Case& c : cases) {
        Vector3 out{9, 9, 9};
        Vector3* result = PlaneIntersectLine(&out, &c.plane, &c.p1, &c.p2);
        if (c.hits) {
            EXPECT_EQ(result, &out) << c.name;
            ExpectVectorNear(out, c.expected.x, c.expected.y, c.expected.z);
        } else {
            EXPECT_EQ(result, nullptr) << c.name;
            ExpectVectorNear(out, 9, 9, 9, 0.0f);
        }
    }
}

TEST_F(MatrixTest, BoxBoundProbe) {
    const Vector3 lo{-1, -1, -1};
    const Vector3 hi{1, 1, 1};
    struct Case {
        const char* name;
        Vector3 origin, direction;
        bool hits;
    } cases[] = {
        {"straight at it", {-5, 0, 0}, {1, 0, 0}, true},
        {"pointing away", {-5, 0, 0}, {-1, 0, 0}, false},
        {"passing beside", {-5, 3, 0}, {1, 0, 0}, false},
        {"diagonal", {-5, -5, -5}, {1, 1, 1}, true},
        {"diagonal missing", {-5, -5, -5}, {1, 1, -1}, false},
        {"from inside", {0, 0, 0}, {0, 1, 0}, true},
        {"grazing an edge", {-5, 1, 0}, {1, 0, 0}, true},
        {"parallel outside the slab", {-5, 0, 2}, {1, 0, 0}, false},
        {"zero direction inside", {0.5f, 0.5f, 0.5f}, {0, 0, 0}, true},
        {"zero direction outside", {2, 0, 0}, {0, 0, 0}, false},
        {"long unnormalised direction", {-50, 0, 0}, {1000, 0, 0}, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(BoxBoundProbe(&lo, &hi, &c.origin, &c.direction), c.hits) << c.name;
    }
    const Vector3 origin{0, 0, 0};
    const Vector3 direction{1, 0, 0};
    EXPECT_FALSE(BoxBoundProbe(&hi, &lo, &origin, &direction)) << "inverted box is empty";
    const Vector3 point{0, 0, 0};
    EXPECT_TRUE(BoxBoundProbe(&point, &point, &origin, &direction)) << "a point box at the origin";
}

TEST_F(MatrixTest, QuaternionMatrices) {
    Quaternion q;
    const Vector3 zAxis{0, 0, 2};  // normalised inside
    QuaternionRotationAxis(&q, &zAxis, kPi / 2);
    EXPECT_NEAR(q.z, std::sqrt(0.5f), 1e-6f);
    EXPECT_NEAR(q.w, std::sqrt(0.5f), 1e-6f);

    // The utility-library matrix of a rotation about z is the engine's z rotation.
    Matrix fromQuaternion;
    MatrixRotationQuaternion(&fromQuaternion, &q);
    Matrix rotateZ;
    MatrixRotationZ(&rotateZ, 16384);
    ExpectMatrixNear(fromQuaternion, rotateZ, 1e-6f);

    // The engine's quaternion matrix is its transpose: the conjugate's rotation.
    const Quaternion general{0.1f, 0.2f, 0.3f, 0.927362f};
    Matrix engine;
    MatrixFromQuaternion(&engine, &general);
    Quaternion conjugate;
    QuaternionConjugate(&conjugate, &general);
    Matrix library;
    MatrixRotationQuaternion(&library, &conjugate);
    ExpectMatrixNear(engine, library, 0.0f);
    Matrix transposed;
    MatrixRotationQuaternion(&transposed, &general);
    MatrixTranspose(&transposed);
    ExpectMatrixNear(engine, transposed, 0.0f);

    Quaternion identity;
    MatrixFromQuaternion(&engine, &identity);
    ExpectMatrixNear(engine, Matrix(), 0.0f);

    const Vector3 zero{};
    QuaternionRotationAxis(&q, &zero, 1.0f);
    EXPECT_TRUE(AllFinite(q));
    EXPECT_EQ(q.x, 0.0f);
    EXPECT_NEAR(q.w, std::cos(0.5f), 1e-6f);
}

TEST_F(MatrixTest, QuaternionSlerp) {
    const Vector3 zAxis{0, 0, 1};
    Quaternion start, quarter, eighth;
    QuaternionIdentity(&start);
    QuaternionRotationAxis(&quarter, &zAxis, kPi / 2);
    QuaternionRotationAxis(&eighth, &zAxis, kPi / 4);

    Quaternion out;
    EXPECT_EQ(QuaternionSlerp(&out, &start, &quarter, 0.5f), &out);
    EXPECT_NEAR(out.z, eighth.z, 1e-6f);
    EXPECT_NEAR(out.w, eighth.w, 1e-6f);
    QuaternionSlerp(&out, &start, &quarter, 0.0f);
    EXPECT_NEAR(out.w, 1.0f, 1e-6f);
    QuaternionSlerp(&out, &start, &quarter, 1.0f);
    EXPECT_NEAR(out.z, quarter.z, 1e-6f);

    // The shorter way: -q is the same rotation as q.
    const Quaternion negatedQuarter{-quarter.x, -quarter.y, -quarter.z, -quarter.w};
    QuaternionSlerp(&out, &start, &negatedQuarter, 0.5f);
    EXPECT_NEAR(out.z, eighth.z, 1e-6f);
    EXPECT_NEAR(out.w, eighth.w, 1e-6f);

    // Degenerate input stays finite.
    const Quaternion negatedStart{0, 0, 0, -1};
    const Quaternion zeroQ{0, 0, 0, 0};
    const Quaternion nearly{0, 0, 1e-4f, 1};
    const Quaternion big{0, 0, 0, 3};
    struct Case {
        const char* name;
        const Quaternion* a;
        const Quaternion* b;
    } cases[] = {{"equal", &start, &start},         {"opposite", &start, &negatedStart},
                 {"zero", &zeroQ, &zeroQ},          {"zero and unit", &zeroQ, &start},
                 {"nearly equal", &start, &nearly}, {"longer than unit", &big, &start}};
    for (const Case& c : cases) {
        for (f32 t : {0.0f, 0.25f, 1.0f}) {
            QuaternionSlerp(&out, c.a, c.b, t);
            EXPECT_TRUE(AllFinite(out)) << c.name << " t " << t;
        }
    }
    QuaternionSlerp(&out, &start, &negatedStart, 0.5f);
    EXPECT_NEAR(out.w, 1.0f, 1e-6f);  // the same rotation both ends
}

TEST(LightTableTest, ReadsZerosAndIgnoresBadIndexes) {
    ResetLights();
    f32 scalar = 5.0f;
    GetLightScalar(&scalar);
    EXPECT_EQ(scalar, 0.0f);
    Vector3 v{7, 7, 7};
    GetLightDirection(3, &v);
    EXPECT_EQ(v, (Vector3{0, 0, 0}));

    Light light;
    light.direction = {0, 0, 1};
    light.position = {1, 2, 3};
    light.diffuse = {0.5f, 0.25f, 0.125f, 1};
    SetLight(1, &light);
    SetLight(4, &light);  // ignored
    GetLightDirection(1, &v);
    EXPECT_EQ(v, (Vector3{0, 0, 1}));
    GetLightPosition(1, &v);
    EXPECT_EQ(v, (Vector3{1, 2, 3}));
    f32 r = 9, g = 9, b = 9;
    GetLightDiffuse(1, &r, &g, &b);
    EXPECT_EQ(r, 0.5f);
    EXPECT_EQ(b, 0.125f);

    Vector3 untouched{7, 7, 7};
    GetLightDirection(4, &untouched);
    GetLightPosition(100, &untouched);
    EXPECT_EQ(untouched, (Vector3{7, 7, 7}));
    r = 9;
    GetLightDiffuse(4, &r, &g, &b);
    EXPECT_EQ(r, 9.0f);
    ResetLights();
}

}  // namespace
