#include "engine/graphics/camera.h"

#include <cmath>
#include <cstring>
#include <new>

#include "engine/core/angle.h"
#include "engine/core/light.h"
#include "engine/graphics/device.h"

namespace gfx = platform::gfx;

const u8 kCullBoxFaceCorners[6][4] = {
    {0, 2, 3, 1}, {4, 5, 7, 6}, {0, 4, 6, 2}, {1, 3, 7, 5}, {2, 6, 7, 3}, {0, 4, 5, 1},
};
const u8 kCullBoxEdges[12][2] = {
    {0, 1}, {2, 3}, {0, 2}, {1, 3}, {4, 5}, {6, 7}, {4, 6}, {5, 7}, {0, 4}, {2, 6}, {1, 5}, {3, 7},
};

namespace {

// The corner triples each plane is built through, in plane order.
constexpr u8 kPlaneCorners[6][3] = {
    {0, 1, 2}, {6, 7, 5}, {2, 6, 4}, {7, 3, 5}, {2, 3, 6}, {1, 0, 4},
};

ResourceList g_cameras;
CurrentViewState g_view;
ModelPlacementReader g_modelReader;

void ZeroMatrix(Matrix* m) { std::memset(m->m, 0, sizeof m->m); }

void ZeroViewState(CurrentViewState* state) {
    ZeroMatrix(&state->viewProjection);
    ZeroMatrix(&state->view);
    ZeroMatrix(&state->projection);
    state->eye = Vector3{};
    state->frustum = CullBox{};
}

struct ViewStateZeroAtStart {
    ViewStateZeroAtStart() { ZeroViewState(&g_view); }
} g_viewStateZeroAtStart;

void PlanesFromCorners(const Vector3 corners[8], Plane planes[6]) {
    for (int k = 0; k < 6; ++k) {
        PlaneFromPoints(&planes[k], &corners[kPlaneCorners[k][0]], &corners[kPlaneCorners[k][1]],
                        &corners[kPlaneCorners[k][2]]);
    }
}

void CornersFromBox(const Vector3* min, const Vector3* max, Vector3 corners[8]) {
    for (int i = 0; i < 8; ++i) {
        corners[i].x = (i & 1) ? max->x : min->x;
        corners[i].y = (i & 2) ? max->y : min->y;
        corners[i].z = (i & 4) ? max->z : min->z;
    }
}

gfx::D3DMATRIX ToDevice(const Matrix& m) {
    gfx::D3DMATRIX out;
    std::memcpy(out.m, m.m, sizeof out.m);
    return out;
}

// s(p0, p1, p) of the projected face test.
f32 Side(f32 x0, f32 y0, f32 x1, f32 y1, f32 x, f32 y) { return (x1 - x0) * (y - y0) - (y1 - y0) * (x - x0); }

}  // namespace

const CurrentViewState& GetCurrentViewState() { return g_view; }
void ResetCurrentViewState() { ZeroViewState(&g_view); }
ModelPlacementReader& CameraModelReader() { return g_modelReader; }

// ---- Camera ----------------------------------------------------------------------

Camera::Camera() = default;
Camera::~Camera() = default;

void Camera::CameraSetPerspective(f32 fovDegrees, f32 nearPlane, f32 farPlane, f32 aspectRatio) {
    if (aspectRatio == 0.0f) {
        gfx::RECT viewport;
        GetViewportRect(&viewport);
        aspectRatio =
            static_cast<f32>(viewport.right - viewport.left) / static_cast<f32>(viewport.bottom - viewport.top);
    }
    fov = fovDegrees * 6.2831855f * 0.0027777778f;
    nearZ = nearPlane;
    farZ = farPlane;
    aspect = aspectRatio;
    const f32 h = fov * 0.5f;
    const f32 c = std::cos(h) / std::sin(h);
    const f32 q = farPlane / (farPlane - nearPlane);
    const f32 rows[16] = {c / aspectRatio, 0, 0, 0, 0, c, 0, 0, 0, 0, q, 1, 0, 0, -q * nearPlane, 0};
    MatrixSet(&projection, rows);
}

void Camera::CameraSetOrtho(f32 width, f32 height, f32 nearPlane, f32 farPlane) {
    MatrixOrthoLH(&projection, width, height, nearPlane, farPlane);
    aspect = width / height;
    nearZ = nearPlane;
    farZ = farPlane;
    fov = 1.0f;
}

Matrix* Camera::CameraGetViewProjection(Matrix* out) {
    *out = viewProjection;
    return out;
}

Matrix* Camera::CameraGetView(Matrix* out) {
    *out = view;
    return out;
}

Matrix* Camera::CameraGetProjection(Matrix* out) {
    *out = projection;
    return out;
}

void Camera::CameraResetAxes() {
    front = Vector3{0.0f, 0.0f, 1.0f};
    up = Vector3{0.0f, 1.0f, 0.0f};
    right = Vector3{1.0f, 0.0f, 0.0f};
    position = Vector3{};
}

void Camera::CameraUpdateView() {
    Vector3Normalize(&right);
    Vector3Normalize(&up);
    Vector3Normalize(&front);
    const f32 rows[16] = {
        // clang-format off
        right.x, up.x, front.x, 0,
        right.y, up.y, front.y, 0,
        right.z, up.z, front.z, 0,
        -Vector3Dot(&position, &right), -Vector3Dot(&position, &up), -Vector3Dot(&position, &front), 1,
        // clang-format on
    };
    MatrixSet(&view, rows);
    MatrixMultiply(&viewProjection, &view, &projection);
}

void Camera::CameraYaw(u16 angle) { CameraRotateY(angle); }
void Camera::CameraPitch(u16 angle) { CameraRotateX(angle); }
void Camera::CameraRoll(u16 angle) { CameraRotateZ(angle); }

void Camera::CameraRotateX(u16 angle) { AxesRotate(&right, &up, &front, MatrixRotationX, angle); }

void Camera::CameraRotateY(u16 angle) { AxesRotate(&right, &up, &front, MatrixRotationY, angle); }

void Camera::CameraRotateZ(u16 angle) { AxesRotate(&right, &up, &front, MatrixRotationZ, angle); }

void Camera::CameraMove(f32 dx, f32 dy, f32 dz) {
    position.x += dx;
    position.y += dy;
    position.z += dz;
}

void Camera::CameraLookAt(const Vector3* eye, const Vector3* target, const Vector3* upVector) {
    AxesLookAt(&right, &up, &front, eye, target, upVector);
    position = *eye;
}

void Camera::CameraLookFromLight(u32 lightIndex) {
    GetLightPosition(lightIndex, &position);
    GetLightDirection(lightIndex, &front);
    Vector3 f = front;
    Vector3Normalize(&f);
    Vector3 u{0.0f, 1.0f, 0.0f};
    if (f.x == 0.0f && f.z == 0.0f && (f.y == 1.0f || f.y == -1.0f)) u = Vector3{0.0f, 0.0f, -f.y};
    Vector3 r;
    Vector3Cross(&r, &f, &u);
    Vector3Normalize(&r);
    Vector3Cross(&u, &f, &r);
    Vector3Normalize(&u);
    front = f;
    up = u;
    right = r;
}

void Camera::CameraSetFromModel(Model* model) {
    if (!model || !g_modelReader.read) return;
    g_modelReader.read(model, &position, &front, &up, &right);
}

Vector3* Camera::CameraGetFront(Vector3* out) {
    *out = front;
    return out;
}

Vector3* Camera::CameraGetUp(Vector3* out) {
    *out = up;
    return out;
}

Vector3* Camera::CameraGetRight(Vector3* out) {
    *out = right;
    return out;
}

Vector3* Camera::CameraGetPosition(Vector3* out) {
    *out = position;
    return out;
}

void Camera::CameraSetView(const Matrix* m) {
    view = *m;
    MatrixMultiply(&viewProjection, &view, &projection);
}

void Camera::CameraApply() {
    if (gfx::Direct3DDevice8* device = GetDirect3DDevice()) {
        const gfx::D3DMATRIX v = ToDevice(view);
        const gfx::D3DMATRIX p = ToDevice(projection);
        device->SetTransform(gfx::D3DTS_VIEW, &v);
        device->SetTransform(gfx::D3DTS_PROJECTION, &p);
    }
    g_view.view = view;
    g_view.projection = projection;
    g_view.viewProjection = viewProjection;
    g_view.eye = position;
    UpdateFrustum(&g_view.viewProjection, &g_view.frustum);
}

// ---- Manager ---------------------------------------------------------------------

i32 InitializeCamera() {
    ResourceListClear(&g_cameras);
    DeviceHooks().applyCameraTransform = ApplyCameraTransform;
    return 1;
}

void DestroyCamera() {
    ResourceListReleaseAll(&g_cameras);
    if (DeviceHooks().applyCameraTransform == ApplyCameraTransform) DeviceHooks().applyCameraTransform = nullptr;
}

Camera* CreateCamera() {
    Camera* camera = new (std::nothrow) Camera();
    if (!camera) return nullptr;
    ResourceListPushBack(&g_cameras, camera);
    return camera;
}

const ResourceList& CameraList() { return g_cameras; }

void ApplyCameraTransform() {
    gfx::Direct3DDevice8* device = GetDirect3DDevice();
    if (!device) return;
    const gfx::D3DMATRIX v = ToDevice(g_view.view);
    const gfx::D3DMATRIX p = ToDevice(g_view.projection);
    device->SetTransform(gfx::D3DTS_VIEW, &v);
    device->SetTransform(gfx::D3DTS_PROJECTION, &p);
}

Matrix* GetViewProjectionMatrix(Matrix* out) {
    *out = g_view.viewProjection;
    return out;
}

Matrix* GetViewMatrix(Matrix* out) {
    *out = g_view.view;
    return out;
}

Vector3* GetCameraPosition(Vector3* out) {
    *out = g_view.eye;
    return out;
}

bool IsBoxVisible(const Vector3 corners[8], const Plane planes[6]) {
    const i32 result = CheckBoxInFrustum(corners, planes, g_view.frustum.corners, g_view.frustum.planes);
    return result == 0 || result == 2;
}

// ---- Geometry -------------------------------------------------------------------

void BuildCullBox(const Vector3* min, const Vector3* max, Vector3 outCorners[8], Plane outPlanes[6],
                  const Matrix* world) {
    Vector3 corners[8];
    CornersFromBox(min, max, corners);
    for (int i = 0; i < 8; ++i) Vector3TransformCoordProject(&outCorners[i], &corners[i], world);
    PlanesFromCorners(outCorners, outPlanes);
}

void UpdateFrustum(const Matrix* viewProjection, CullBox* out) {
    Matrix inverse;
    MatrixInverse(&inverse, nullptr, viewProjection);
    const Vector3 min{-1.0f, -1.0f, 0.0f};
    const Vector3 max{1.0f, 1.0f, 1.0f};
    Vector3 corners[8];
    CornersFromBox(&min, &max, corners);
    for (int i = 0; i < 8; ++i) Vector3TransformCoordProject(&out->corners[i], &corners[i], &inverse);
    PlanesFromCorners(out->corners, out->planes);
}

i32 CheckBoxInFrustum(const Vector3 boxCorners[8], const Plane boxPlanes[6], const Vector3 frustumCorners[8],
                      const Plane frustumPlanes[6]) {
    u32 all = 0x3F;
    for (int i = 0; i < 8; ++i) {
        u32 mask = 0;
        for (int k = 0; k < 6; ++k) {
            if (PlaneDotCoord(&frustumPlanes[k], &boxCorners[i]) < 0.0f) mask |= 1u << k;
        }
        if (mask == 0) return 0;
        all &= mask;
    }
    if (all != 0) return 1;
    for (const auto& e : kCullBoxEdges) {
        const Vector3 edge[2] = {frustumCorners[e[0]], frustumCorners[e[1]]};
        for (int face = 0; face < 6; ++face) {
            const Vector3 corners[4] = {
                boxCorners[kCullBoxFaceCorners[face][0]], boxCorners[kCullBoxFaceCorners[face][1]],
                boxCorners[kCullBoxFaceCorners[face][2]], boxCorners[kCullBoxFaceCorners[face][3]]};
            if (EdgeIntersectsFace(edge, corners, &boxPlanes[face])) return 2;
        }
    }
    for (const auto& e : kCullBoxEdges) {
        const Vector3 edge[2] = {boxCorners[e[0]], boxCorners[e[1]]};
        for (int face = 0; face < 6; ++face) {
            const Vector3 corners[4] = {
                frustumCorners[kCullBoxFaceCorners[face][0]], frustumCorners[kCullBoxFaceCorners[face][1]],
                frustumCorners[kCullBoxFaceCorners[face][2]], frustumCorners[kCullBoxFaceCorners[face][3]]};
            if (EdgeIntersectsFace(edge, corners, &frustumPlanes[face])) return 2;
        }
    }
    for (int k = 0; k < 6; ++k) {
        if (PlaneDotCoord(&boxPlanes[k], &frustumCorners[0]) < 0.0f) return 3;
    }
    return 2;
}

bool EdgeIntersectsFace(const Vector3 edge[2], const Vector3 face[4], const Plane* plane) {
    const f32 d1 = PlaneDotCoord(plane, &edge[0]);
    const f32 d2 = PlaneDotCoord(plane, &edge[1]);
    if ((d1 > 0.0f && d2 > 0.0f) || (d1 < 0.0f && d2 < 0.0f)) return false;
    Vector3 hit;
    if (!PlaneIntersectLine(&hit, plane, &edge[0], &edge[1])) return false;
    const f32 a = std::fabs(plane->a), b = std::fabs(plane->b), c = std::fabs(plane->c);
    int axis = 2;  // the coordinate dropped
    if (a > b && a > c) {
        axis = 0;
    } else if (b > a && b > c) {
        axis = 1;
    }
    auto project = [axis](const Vector3& v, f32* x, f32* y) {
        if (axis == 0) {
            *x = v.y;
            *y = v.z;
        } else if (axis == 1) {
            *x = v.x;
            *y = v.z;
        } else {
            *x = v.x;
            *y = v.y;
        }
    };
    f32 fx[4], fy[4], px, py;
    for (int i = 0; i < 4; ++i) project(face[i], &fx[i], &fy[i]);
    project(hit, &px, &py);
    const bool clockwise = Side(fx[0], fy[0], fx[1], fy[1], fx[2], fy[2]) < 0.0f;
    for (int i = 0; i < 4; ++i) {
        const int n = (i + 1) & 3;
        if ((Side(fx[i], fy[i], fx[n], fy[n], px, py) > 0.0f) == clockwise) return false;
    }
    return true;
}

Vector3* UnprojectScreenPoint(Vector3* out, const Vector3* screen) {
    const gfx::D3DVIEWPORT8& viewport = GraphicsDeviceInfo().viewport;
    const f32 width = static_cast<f32>(viewport.Width);
    const f32 height = static_cast<f32>(viewport.Height);
    Matrix v;
    MatrixSetAt(&v, 1, 1, width * 0.5f);
    MatrixSetAt(&v, 2, 2, -(height * 0.5f));
    MatrixSetAt(&v, 4, 1, width * 0.5f);
    MatrixSetAt(&v, 4, 2, height * 0.5f);
    Matrix m;
    MatrixMultiply(&m, &g_view.viewProjection, &v);
    Matrix inverse;
    MatrixInverse(&inverse, nullptr, &m);
    Vector3TransformCoord(out, screen, &inverse);
    return out;
}

bool RayHitsBox(const Matrix* world, const Vector3* min, const Vector3* max, const Vector3* origin,
                const Vector3* direction) {
    const Vector3 t{MatrixGet(world, 4, 1), MatrixGet(world, 4, 2), MatrixGet(world, 4, 3)};
    Vector3 o = *origin - t;
    Vector3 v = *direction - t;
    Vector3TransformNormal(&o, &o, world);
    Vector3TransformNormal(&v, &v, world);
    return BoxBoundProbe(min, max, &o, &v);
}
