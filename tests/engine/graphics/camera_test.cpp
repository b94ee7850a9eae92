#include "engine/graphics/camera.h"

#include <gtest/gtest.h>

#include <cmath>

#include "engine/core/engine_math.h"
#include "engine/graphics/device.h"
#include "tests/engine/graphics/device_fixture.h"

namespace gfx = platform::gfx;

namespace {

void ExpectVector(const Vector3& v, f32 x, f32 y, f32 z, f32 tolerance = 1e-6f) {
    EXPECT_NEAR(v.x, x, tolerance);
    EXPECT_NEAR(v.y, y, tolerance);
    EXPECT_NEAR(v.z, z, tolerance);
}

void ExpectRows(const Matrix& m, const f32 (&rows)[16], f32 tolerance = 0.0f) {
    for (int i = 0; i < 16; ++i) {
        if (tolerance == 0.0f) {
            EXPECT_FLOAT_EQ(m.m[i], rows[i]) << "element " << i;
        } else {
            EXPECT_NEAR(m.m[i], rows[i], tolerance) << "element " << i;
        }
    }
}

class CameraTest : public ::testing::Test {
protected:
    void SetUp() override {
        FillSineTable();
        ResetLights();
        ResetCurrentViewState();
        InitializeCamera();
    }
    void TearDown() override {
        DestroyCamera();
        ResetLights();
        ResetCurrentViewState();
    }
};

using graphics_test::GameCamera;

}  // namespace

TEST_F(CameraTest, GameCameraProjectionAxesAndView) {
    Camera* camera = CreateCamera();
    ASSERT_NE(camera, nullptr);
    EXPECT_EQ(CameraList().count, 1u);
    camera->CameraSetOrtho(320.0f, 240.0f, 1.0f, 1000.0f);
    const f32 projection[16] = {0.00625f,       0, 0, 0, 0, 0.008333333f, 0, 0, 0, 0, 1.0f / 999.0f, 0, 0, 0,
                                -1.0f / 999.0f, 1};
    ExpectRows(camera->projection, projection);
    EXPECT_FLOAT_EQ(camera->aspect, 1.3333334f);
    EXPECT_EQ(camera->fov, 1.0f);
    EXPECT_EQ(camera->nearZ, 1.0f);
    EXPECT_EQ(camera->farZ, 1000.0f);

    const Vector3 eye{0.0f, 0.0f, 0.0f};
    const Vector3 target{0.0f, 0.0f, 100.0f};
    camera->CameraLookAt(&eye, &target, nullptr);
    ExpectVector(camera->front, 0, 0, 1, 0);
    ExpectVector(camera->up, 0, 1, 0, 0);
    ExpectVector(camera->right, 1, 0, 0, 0);
    camera->CameraUpdateView();
    const f32 identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    ExpectRows(camera->view, identity);
    ExpectRows(camera->viewProjection, projection);

    // Applying makes the view state current; releasing leaves it.
    camera->CameraApply();
    Matrix vp;
    GetViewProjectionMatrix(&vp);
    ExpectRows(vp, projection);
    camera->Release();
    EXPECT_EQ(CameraList().count, 0u);
    GetViewProjectionMatrix(&vp);
    ExpectRows(vp, projection);
}

TEST_F(CameraTest, LookAtStraightUpAndDown) {
    Camera* camera = CreateCamera();
    const Vector3 eye{1.0f, 2.0f, 3.0f};
    const Vector3 above{1.0f, 50.0f, 3.0f};
    camera->CameraLookAt(&eye, &above, nullptr);
    ExpectVector(camera->up, 0, 0, -1, 0);
    ExpectVector(camera->right, 1, 0, 0, 0);
    const Vector3 below{1.0f, -50.0f, 3.0f};
    camera->CameraLookAt(&eye, &below, nullptr);
    ExpectVector(camera->up, 0, 0, 1, 0);
    ExpectVector(camera->right, 1, 0, 0, 0);
    ExpectVector(camera->position, 1, 2, 3, 0);
}

TEST_F(CameraTest, LookFromLightTurnsTheFrameHalfARevolution) {
    Light light;
    light.direction = Vector3{0.0f, 0.0f, 1.0f};
    light.position = Vector3{5.0f, 6.0f, 7.0f};
    SetLight(2, &light);
    Camera* camera = CreateCamera();
    camera->CameraLookFromLight(2);
    ExpectVector(camera->right, -1, 0, 0);
    ExpectVector(camera->up, 0, -1, 0);
    ExpectVector(camera->front, 0, 0, 1);
    ExpectVector(camera->position, 5, 6, 7);

    // An index past the table keeps position and front.
    camera->front = Vector3{1.0f, 0.0f, 0.0f};
    camera->CameraLookFromLight(4);
    ExpectVector(camera->position, 5, 6, 7);
    ExpectVector(camera->front, 1, 0, 0);
}

TEST_F(CameraTest, RotationsTurnAboutTheCamerasOwnAxes) {
    Camera* camera = CreateCamera();
    camera->CameraYaw(16384);
    // cos of a quarter turn from the sine table is not exactly 0.
    ExpectVector(camera->right, 0, 0, -1, 1e-6f);
    ExpectVector(camera->front, 1, 0, 0, 1e-6f);
    ExpectVector(camera->up, 0, 1, 0, 0);

    camera->CameraResetAxes();
    camera->CameraPitch(16384);
    ExpectVector(camera->up, 0, 0, 1, 1e-6f);
    ExpectVector(camera->front, 0, -1, 0, 1e-6f);

    camera->CameraResetAxes();
    camera->CameraRoll(16384);
    ExpectVector(camera->right, 0, 1, 0, 1e-6f);
    ExpectVector(camera->up, -1, 0, 0, 1e-6f);

    camera->CameraMove(1.0f, 2.0f, 3.0f);
    ExpectVector(camera->position, 1, 2, 3, 0);
}

TEST_F(CameraTest, ViewPutsTheEyeAtTheOrigin) {
    Camera* camera = CreateCamera();
    const Vector3 eye{10.0f, 20.0f, -30.0f};
    const Vector3 target{10.0f, 20.0f, 70.0f};
    camera->CameraLookAt(&eye, &target, nullptr);
    camera->CameraUpdateView();
    Vector3 p;
    Vector3TransformCoord(&p, &eye, &camera->view);
    ExpectVector(p, 0, 0, 0);
    Vector3TransformCoord(&p, &target, &camera->view);
    ExpectVector(p, 0, 0, 100);
}

namespace {

struct Box {
    Vector3 corners[8];
    Plane planes[6];
};

Box MakeBox(Vector3 min, Vector3 max) {
    Box box;
    Matrix identity;
    BuildCullBox(&min, &max, box.corners, box.planes, &identity);
    return box;
}

i32 Check(const Box& box) {
    const CurrentViewState& view = GetCurrentViewState();
    return CheckBoxInFrustum(box.corners, box.planes, view.frustum.corners, view.frustum.planes);
}

}  // namespace

TEST_F(CameraTest, FrustumOfTheGameCamera) {
    GameCamera();
    const CullBox& f = GetCurrentViewState().frustum;
    ExpectVector(f.corners[0], -160, -120, 1, 1e-3f);
    ExpectVector(f.corners[7], 160, 120, 1000, 1e-2f);
    const Vector3 inside{0.0f, 0.0f, 10.0f};
    for (int k = 0; k < 6; ++k) EXPECT_GE(PlaneDotCoord(&f.planes[k], &inside), 0.0f) << "plane " << k;
}

TEST_F(CameraTest, BoxesInFrontBehindAndAcrossTheNearPlane) {
    GameCamera();
    struct Case {
        const char* name;
        Vector3 min, max;
        i32 result;
    };
    const Case cases[] = {
        {"in front", {-10, -10, 5}, {10, 10, 20}, 0},
        {"one corner inside, others far out", {150, 110, 990}, {5000, 5000, 5000}, 0},
        {"behind the eye", {-10, -10, -50}, {10, 10, -5}, 1},
        {"between eye and near plane", {-10, -10, 0.1f}, {10, 10, 0.9f}, 1},
        {"beyond the far plane", {-10, -10, 1001}, {10, 10, 1100}, 1},
        {"beside the view", {200, -10, 5}, {300, 10, 20}, 1},
        // Every corner is behind the near plane or off the sides: no corner is
        // inside, but the box's faces cut the frustum's edges.
        {"across the near plane", {-500, -500, -10}, {500, 500, 5}, 2},
        {"a flat plane larger than the view", {-400, -400, 10}, {400, 400, 10}, 2},
        {"a box holding the whole frustum", {-5000, -5000, -5000}, {5000, 5000, 5000}, 2},
    };
    for (const Case& c : cases) {
        const Box box = MakeBox(c.min, c.max);
        EXPECT_EQ(Check(box), c.result) << c.name;
        EXPECT_EQ(IsBoxVisible(box.corners, box.planes), c.result == 0 || c.result == 2) << c.name;
    }
}

TEST_F(CameraTest, OutsideFoundLastIsNotVisible) {
    GameCamera();
    // A thin slab beside the frustum whose corners straddle planes but miss it:
    // corners outside different planes and no edge crossing a face.
    const Box box = MakeBox({-1000, 130, -100}, {1000, 140, 2000});
    const i32 result = Check(box);
    EXPECT_TRUE(result == 1 || result == 3) << result;
    EXPECT_FALSE(IsBoxVisible(box.corners, box.planes));
}

TEST_F(CameraTest, EdgeAgainstFace) {
    const Vector3 face[4] = {{-1, -1, 5}, {-1, 1, 5}, {1, 1, 5}, {1, -1, 5}};
    Plane plane;
    PlaneFromPoints(&plane, &face[0], &face[3], &face[1]);
    const Vector3 through[2] = {{0, 0, 0}, {0, 0, 10}};
    const Vector3 beside[2] = {{3, 0, 0}, {3, 0, 10}};
    const Vector3 short_[2] = {{0, 0, 0}, {0, 0, 4}};
    const Vector3 parallel[2] = {{0, 0, 5}, {1, 0, 5}};
    EXPECT_TRUE(EdgeIntersectsFace(through, face, &plane));
    EXPECT_FALSE(EdgeIntersectsFace(beside, face, &plane));
    EXPECT_FALSE(EdgeIntersectsFace(short_, face, &plane));
    EXPECT_FALSE(EdgeIntersectsFace(parallel, face, &plane));
}

TEST_F(CameraTest, FlatBoxPlanesAreFinite) {
    const Box box = MakeBox({-1, -1, 3}, {1, 1, 3});
    for (const Plane& p : box.planes) {
        EXPECT_TRUE(std::isfinite(p.a) && std::isfinite(p.b) && std::isfinite(p.c) && std::isfinite(p.d));
    }
}

class CameraDeviceTest : public CameraTest {
protected:
    void SetUp() override {
        graphics_test::BeginDeviceTest(&clock_);
        ASSERT_EQ(InitializeDirectXGraphics(), 1);
        CameraTest::SetUp();
    }
    void TearDown() override {
        CameraTest::TearDown();
        graphics_test::EndDeviceTest();
    }
    platform::VirtualClock clock_;
};

TEST_F(CameraDeviceTest, PerspectiveTakesTheAspectFromTheViewport) {
    Camera* camera = CreateCamera();
    camera->CameraSetPerspective(60.0f, 1.0f, 100.0f, 0.0f);
    EXPECT_FLOAT_EQ(camera->aspect, 1.3333334f);
    EXPECT_FLOAT_EQ(camera->fov, 1.0471976f);
    const f32 c = 1.0f / std::tan(1.0471976f * 0.5f);
    EXPECT_NEAR(camera->projection.m[0], c / 1.3333334f, 1e-5f);
    EXPECT_NEAR(camera->projection.m[5], c, 1e-5f);
    EXPECT_FLOAT_EQ(camera->projection.m[10], 100.0f / 99.0f);
    EXPECT_EQ(camera->projection.m[11], 1.0f);
    EXPECT_FLOAT_EQ(camera->projection.m[14], -100.0f / 99.0f);
}

TEST_F(CameraDeviceTest, ApplySendsViewAndProjectionAndTheRestoreSendsThemAgain) {
    Camera* camera = GameCamera();
    gfx::D3DMATRIX sent;
    GetDirect3DDevice()->GetTransform(gfx::D3DTS_PROJECTION, &sent);
    EXPECT_FLOAT_EQ(sent.m[0][0], 0.00625f);
    camera->Release();
    // The device forgets its transforms in a reset; the hook re-sends the
    // view state the released camera left.
    ASSERT_NE(DeviceHooks().applyCameraTransform, nullptr);
    const gfx::D3DMATRIX zero{};
    GetDirect3DDevice()->SetTransform(gfx::D3DTS_PROJECTION, &zero);
    DeviceHooks().applyCameraTransform();
    GetDirect3DDevice()->GetTransform(gfx::D3DTS_PROJECTION, &sent);
    EXPECT_FLOAT_EQ(sent.m[0][0], 0.00625f);
    EXPECT_FLOAT_EQ(sent.m[3][2], -1.0f / 999.0f);
}

TEST_F(CameraDeviceTest, UnprojectMapsScreenCornersBackToTheView) {
    GameCamera();
    const Vector3 topLeft{0.0f, 0.0f, 0.0f};
    const Vector3 bottomRight{640.0f, 480.0f, 1.0f};
    Vector3 out;
    UnprojectScreenPoint(&out, &topLeft);
    ExpectVector(out, -160, 120, 1, 1e-3f);
    UnprojectScreenPoint(&out, &bottomRight);
    ExpectVector(out, 160, -120, 1000, 1e-2f);
}

TEST_F(CameraTest, RayAgainstABox) {
    Matrix world;
    const Vector3 min{-1, -1, -1}, max{1, 1, 1};
    const Vector3 origin{0, 0, -10}, toward{0, 0, 1}, away{0, 0, -1};
    EXPECT_TRUE(RayHitsBox(&world, &min, &max, &origin, &toward));
    EXPECT_FALSE(RayHitsBox(&world, &min, &max, &origin, &away));
}
