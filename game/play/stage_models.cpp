// The stage's 3D objects: the run-long orthographic camera and the cloud
// planes. The engine's models and cameras are used from here only.
#include "game/play/stage_background.h"

#include "engine/graphics/camera.h"
#include "engine/model/model.h"

namespace {
Camera* g_stageCamera = nullptr;
}  // namespace

void CreateStageCamera() {
    if (g_stageCamera) return;
    g_stageCamera = CreateCamera();
    if (!g_stageCamera) return;
    g_stageCamera->CameraSetOrtho(320.0f, 240.0f, 1.0f, 1000.0f);
    const Vector3 eye{0.0f, 0.0f, 0.0f};
    const Vector3 at{0.0f, 0.0f, 100.0f};
    g_stageCamera->CameraLookAt(&eye, &at, nullptr);
    g_stageCamera->CameraUpdateView();
    g_stageCamera->CameraApply();
}

void ReleaseStageCamera() {
    if (!g_stageCamera) return;
    g_stageCamera->Release();
    g_stageCamera = nullptr;
}

bool StageCameraExists() { return g_stageCamera != nullptr; }

Model* CreateCloudPlane(Texture* cloud) {
    Model* plane = CreateModelPlane(320.0f, 240.0f, 2, 2, 1.0f, nullptr);
    if (!plane) return nullptr;
    plane->ModelSetTexture(0, cloud, -1, -1);
    plane->ModelSetLightingMode(0x100, -1);
    plane->ModelRebuildMeshShader(-1);
    return plane;
}

void ReleaseCloudPlane(Model*& plane) {
    if (!plane) return;
    plane->Release();
    plane = nullptr;
}

void RenderCloudPlane(Model* plane, const CloudDraw& draw) {
    if (!plane) return;
    plane->ModelResetTransform();
    plane->ModelSetPosition(0.0f, draw.y, 10.0f);
    if (draw.setV) plane->ModelSetUvOffsetV(-draw.v, -1);
    plane->ModelSetUvOffsetU(draw.u, -1);
    plane->ModelUpdate(0.0f);
    plane->ModelRender();
}
