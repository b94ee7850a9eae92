#pragma once
// Cameras, the current view state they apply, and the box geometry that the
// mesh drawing and the culling nodes test against the view frustum.
//
// The game makes one orthographic camera; perspective, rotations, the light
// view and the model-following view are here for the engine's other users.
#include "engine/core/matrix.h"
#include "engine/core/resource.h"
#include "engine/core/types.h"

class Model;

// Eight corners (corner i: x from the maximum when bit 0 is set, y by bit 1,
// z by bit 2) and the six planes through them: front, back, left, right,
// top, bottom.
struct CullBox {
    Vector3 corners[8];
    Plane planes[6];
};

// What the last CameraApply made current. All zero at start.
struct CurrentViewState {
    Matrix viewProjection;
    Matrix view;
    Matrix projection;
    Vector3 eye;
    CullBox frustum;
};
const CurrentViewState& GetCurrentViewState();
// Back to all zero (start-up and tests).
void ResetCurrentViewState();

class Camera : public ResourceObject {
public:
    Camera();
    ~Camera() override;

    virtual void CameraSetPerspective(f32 fovDegrees, f32 nearZ, f32 farZ, f32 aspect);
    virtual void CameraSetOrtho(f32 width, f32 height, f32 nearZ, f32 farZ);
    virtual Matrix* CameraGetViewProjection(Matrix* out);
    virtual Matrix* CameraGetView(Matrix* out);
    virtual Matrix* CameraGetProjection(Matrix* out);
    virtual void CameraResetAxes();
    virtual void CameraUpdateView();
    virtual void CameraYaw(u16 angle);
    virtual void CameraPitch(u16 angle);
    virtual void CameraRoll(u16 angle);
    virtual void CameraRotateX(u16 angle);
    virtual void CameraRotateY(u16 angle);
    virtual void CameraRotateZ(u16 angle);
    virtual void CameraMove(f32 dx, f32 dy, f32 dz);
    virtual void CameraLookAt(const Vector3* eye, const Vector3* target, const Vector3* up);
    virtual void CameraLookFromLight(u32 lightIndex);
    virtual void CameraSetFromModel(Model* model);
    virtual Vector3* CameraGetFront(Vector3* out);
    virtual Vector3* CameraGetUp(Vector3* out);
    virtual Vector3* CameraGetRight(Vector3* out);
    virtual Vector3* CameraGetPosition(Vector3* out);
    virtual void CameraSetView(const Matrix* m);
    virtual void CameraApply();

    Matrix projection;
    Matrix view;
    // Identity until the first CameraUpdateView or CameraSetView.
    Matrix viewProjection;
    Vector3 front{0.0f, 0.0f, 1.0f};
    Vector3 up{0.0f, 1.0f, 0.0f};
    Vector3 right{1.0f, 0.0f, 0.0f};
    Vector3 position;
    f32 nearZ = 0.0f;
    f32 farZ = 0.0f;
    f32 aspect = 0.0f;
    f32 fov = 0.0f;
};

// ---- Manager ------------------------------------------------------------------

i32 InitializeCamera();
void DestroyCamera();
// The game's camera factory: a new camera at the back of the camera list.
Camera* CreateCamera();
const ResourceList& CameraList();
// Sends the current view state's view, then projection, to the device.
void ApplyCameraTransform();
Matrix* GetViewProjectionMatrix(Matrix* out);
Matrix* GetViewMatrix(Matrix* out);
Vector3* GetCameraPosition(Vector3* out);
// True when the box is inside or across the current frustum.
bool IsBoxVisible(const Vector3 corners[8], const Plane planes[6]);

// How CameraSetFromModel reads a model's placement; the model manager fills it.
struct ModelPlacementReader {
    void (*read)(Model* model, Vector3* position, Vector3* front, Vector3* up, Vector3* right) = nullptr;
};
ModelPlacementReader& CameraModelReader();

// ---- Geometry ------------------------------------------------------------------

// The corners of the box from min to max carried by `world` (divided by w),
// and the six planes through them.
void BuildCullBox(const Vector3* min, const Vector3* max, Vector3 outCorners[8], Plane outPlanes[6],
                  const Matrix* world);
// The frustum of a view-projection: the clip box x, y in -1..1, z in 0..1
// carried back by the inverse.
void UpdateFrustum(const Matrix* viewProjection, CullBox* out);
// 0 inside, 1 outside, 2 inside found by the edge tests, 3 outside found last.
i32 CheckBoxInFrustum(const Vector3 boxCorners[8], const Plane boxPlanes[6], const Vector3 frustumCorners[8],
                      const Plane frustumPlanes[6]);
bool EdgeIntersectsFace(const Vector3 edge[2], const Vector3 face[4], const Plane* plane);
Vector3* UnprojectScreenPoint(Vector3* out, const Vector3* screen);
bool RayHitsBox(const Matrix* world, const Vector3* min, const Vector3* max, const Vector3* origin,
                const Vector3* direction);

// The four corners of each face in the order the edge test walks them, and
// the twelve edges in test order.
extern const u8 kCullBoxFaceCorners[6][4];
extern const u8 kCullBoxEdges[12][2];
