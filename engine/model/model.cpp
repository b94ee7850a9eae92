#include "engine/model/model.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>

#include "engine/core/angle.h"
#include "engine/graphics/camera.h"
#include "engine/graphics/device.h"

namespace gfx = platform::gfx;

namespace {

ResourceList g_models;
u32 g_planeCounter = 0;

// The angles are worked out in float; the product with the float factor
// 10430.378 is exact in double and truncated toward zero, so a quarter turn
// (a = 1.5707964) comes out as 16383.
i32 ToAngle(f32 radians) {
    const f64 scaled = static_cast<f64>(radians) * static_cast<f64>(10430.378f);
    if (!std::isfinite(scaled)) return 0;
    return static_cast<i32>(static_cast<i64>(scaled) & 0xFFFF);
}

void ReadPlacement(Model* model, Vector3* position, Vector3* front, Vector3* up, Vector3* right) {
    model->ModelGetPosition(position);
    model->ModelGetFront(front);
    model->ModelGetUp(up);
    model->ModelGetRight(right);
}

}  // namespace

// ---- Model ---------------------------------------------------------------------------

Model::Model() = default;

Model::~Model() {
    if (follower) {
        follower->Release();
        follower = nullptr;
    }
    ResourceListReleaseAll(&cullNodes);
    ResourceListReleaseAll(&meshes);
    ResourceListReleaseAll(&frames);
    ResourceListReleaseAll(&animationKeys);
    FreePages(cellGrid);
    cellGrid = nullptr;
    rootFrame = nullptr;
}

Mesh* Model::MeshAt(i32 index) {
    if (index < 0) return nullptr;
    return static_cast<Mesh*>(ResourceListGetAt(&meshes, static_cast<u32>(index)));
}

Frame* Model::FrameAt(i32 index) {
    if (index < 0) return nullptr;
    return static_cast<Frame*>(ResourceListGetAt(&frames, static_cast<u32>(index)));
}

void Model::ModelAnimateFrames(f32 time) {
    for (ResourceObject* o = ResourceListGetHead(&frames); o; o = o->next) {
        Frame* frame = static_cast<Frame*>(o);
        Matrix local;
        AnimationKeys* keys = frame->animationKeys;
        if (!keys) {
            local = frame->transform;
        } else if (keys->matrixCount) {
            MatrixMultiplyBy(&local, keys->AnimationKeysMatrixAt(time));
        } else {
            if (keys->scaleCount) MatrixMultiplyBy(&local, keys->AnimationKeysScalingAt(time));
            if (keys->rotationCount) MatrixMultiplyBy(&local, keys->AnimationKeysRotationAt(time));
            if (keys->positionCount) {
                MatrixMultiplyBy(&local, keys->AnimationKeysTranslationAt(time));
            } else {
                local.m[12] += frame->transform.m[12];
                local.m[13] += frame->transform.m[13];
                local.m[14] += frame->transform.m[14];
            }
        }
        frame->local = local;
    }
    for (ResourceObject* o = ResourceListGetHead(&frames); o; o = o->next) {
        Frame* frame = static_cast<Frame*>(o);
        Matrix combined;
        // Bounded by the frame count, so a parent cycle cannot hang the update.
        u32 steps = 0;
        for (Frame* f = frame; f && steps <= frames.count; f = f->parent, ++steps) {
            MatrixMultiplyBy(&combined, &f->local);
        }
        frame->combined = combined;
    }
}

void Model::ModelBuildQuadTree(QuadTreeNode* node, u32 x, u32 y, u32 size, ModelProgressCallback callback) {
    if (!node) return;
    if (size <= 1) {
        node->cellIndex = static_cast<i32>(gridSize * y + x);
        node->mesh = MeshAt(node->cellIndex);
        if (node->mesh) {
            node->boxMin = node->mesh->boxMin;
            node->boxMax = node->mesh->boxMax;
        }
    } else {
        const u32 half = size / 2;
        const u32 at[4][2] = {{x, y}, {x + half, y}, {x, y + half}, {x + half, y + half}};
        for (int i = 0; i < 4; ++i) {
            QuadTreeNode* child = new (std::nothrow) QuadTreeNode();
            node->children[i] = child;
            if (!child) continue;
            ResourceListPushBack(&cullNodes, child);
            ModelBuildQuadTree(child, at[i][0], at[i][1], half, nullptr);
        }
        bool first = true;
        for (QuadTreeNode* child : node->children) {
            if (!child) continue;
            if (first) {
                node->boxMin = child->boxMin;
                node->boxMax = child->boxMax;
                first = false;
                continue;
            }
            node->boxMin = Vector3{std::min(node->boxMin.x, child->boxMin.x), std::min(node->boxMin.y, child->boxMin.y),
                                   std::min(node->boxMin.z, child->boxMin.z)};
            node->boxMax = Vector3{std::max(node->boxMax.x, child->boxMax.x), std::max(node->boxMax.y, child->boxMax.y),
                                   std::max(node->boxMax.z, child->boxMax.z)};
        }
    }
    if (callback) callback(0);
}

Vector3* Model::ModelGetPosition(Vector3* out) {
    *out = position;
    return out;
}

void Model::ModelGetViewPosition(Vector3* out) {
    const Matrix& v = GetCurrentViewState().view;
    Vector3TransformCoord(out, &position, &v);
}

i32 Model::ModelProjectToScreen(Vector3* out, f32* outW) {
    const Matrix& m = GetCurrentViewState().viewProjection;
    const f32 x = position.x * m.m[0] + position.y * m.m[4] + position.z * m.m[8] + m.m[12];
    const f32 y = position.x * m.m[1] + position.y * m.m[5] + position.z * m.m[9] + m.m[13];
    const f32 z = position.x * m.m[2] + position.y * m.m[6] + position.z * m.m[10] + m.m[14];
    const f32 w = position.x * m.m[3] + position.y * m.m[7] + position.z * m.m[11] + m.m[15];
    const f32 d = z / w;
    if (!(d >= 0.0f) || d >= w) return 0;
    const gfx::D3DVIEWPORT8& vp = GraphicsDeviceInfo().viewport;
    out->x = (x / w + 1.0f) * static_cast<f32>(vp.Width) * 0.5f + static_cast<f32>(vp.X);
    out->y = (1.0f - y / w) * static_cast<f32>(vp.Height) * 0.5f + static_cast<f32>(vp.Y);
    out->z = d;
    if (outW) *outW = w;
    return 1;
}

i32 Model::ModelResetTransform() {
    front = Vector3{0.0f, 0.0f, 1.0f};
    up = Vector3{0.0f, 1.0f, 0.0f};
    right = Vector3{1.0f, 0.0f, 0.0f};
    position = Vector3{};
    scale = Vector3{1.0f, 1.0f, 1.0f};
    return 0;
}

void Model::UpdateFrom(const Matrix* placement, f32 time) {
    world = *placement;
    ModelAnimateFrames(time);
    if (follower) {
        follower->world = world;
        follower->ModelAnimateFrames(time);
    }
    for (ResourceObject* o = ResourceListGetHead(&meshes); o; o = o->next) {
        Mesh* mesh = static_cast<Mesh*>(o);
        Matrix identity;
        mesh->MeshPlace(&mesh->world, mesh->frame ? &mesh->frame->combined : &identity, &world);
        BuildCullBox(&mesh->boxMin, &mesh->boxMax, mesh->cull.corners, mesh->cull.planes, &mesh->world);
    }
    for (ResourceObject* o = ResourceListGetHead(&cullNodes); o; o = o->next) {
        QuadTreeNode* node = static_cast<QuadTreeNode*>(o);
        BuildCullBox(&node->boxMin, &node->boxMax, node->cull.corners, node->cull.planes, &world);
    }
}

void Model::ModelUpdateWithMatrix(const Matrix* m) {
    if (m) UpdateFrom(m, 0.0f);
}

void Model::ModelUpdate(f32 time) {
    Matrix scaling;
    MatrixScaling(&scaling, scale.x, scale.y, scale.z);
    const f32 rows[16] = {right.x, right.y, right.z, 0, up.x,       up.y,       up.z,       0,
                          front.x, front.y, front.z, 0, position.x, position.y, position.z, 1};
    const Matrix axes(rows);
    Matrix placement;
    MatrixMultiply(&placement, &scaling, &axes);
    UpdateFrom(&placement, time);
}

void Model::ModelYaw(u16 angle) { ModelRotateY(angle); }
void Model::ModelPitch(u16 angle) { ModelRotateX(angle); }
void Model::ModelRoll(u16 angle) { ModelRotateZ(angle); }

void Model::ModelRotateX(u16 angle) { AxesRotate(&right, &up, &front, MatrixRotationX, angle); }

void Model::ModelRotateY(u16 angle) { AxesRotate(&right, &up, &front, MatrixRotationY, angle); }

void Model::ModelRotateZ(u16 angle) { AxesRotate(&right, &up, &front, MatrixRotationZ, angle); }

void Model::ModelSetPosition(f32 x, f32 y, f32 z) { position = Vector3{x, y, z}; }

void Model::ModelSetScale(f32 x, f32 y, f32 z) { scale = Vector3{x, y, z}; }

void Model::ModelLookAt(const Vector3* eye, const Vector3* target, const Vector3* upVector) {
    AxesLookAt(&right, &up, &front, eye, target, upVector);
    position = *eye;
}

void Model::ModelSetAxes(const Vector3* frontAxis, const Vector3* upAxis, const Vector3* rightAxis) {
    front = *frontAxis;
    up = *upAxis;
    right = *rightAxis;
}

void Model::ModelSetFront(const Vector3* v) {
    front = *v;
    Vector3 r;
    Vector3Cross(&r, &front, &up);
    Vector3Normalize(&r);
    right = Vector3{-r.x, -r.y, -r.z};
    Vector3Cross(&up, &front, &right);
}

void Model::ModelSetRight(const Vector3* v) {
    right = *v;
    Vector3 f;
    Vector3Cross(&f, &up, &right);
    Vector3Normalize(&f);
    front = Vector3{-f.x, -f.y, -f.z};
    Vector3Cross(&up, &front, &right);
}

void Model::ModelSetUp(const Vector3* v) {
    up = *v;
    Vector3Normalize(&up);
    Vector3 f;
    Vector3Cross(&f, &up, &right);
    Vector3Normalize(&f);
    front = Vector3{-f.x, -f.y, -f.z};
    Vector3Cross(&right, &up, &front);
}

void Model::ModelSetFromMatrix(const Matrix* m) {
    right = Vector3{m->m[0], m->m[1], m->m[2]};
    up = Vector3{m->m[4], m->m[5], m->m[6]};
    front = Vector3{m->m[8], m->m[9], m->m[10]};
    position = Vector3{m->m[12], m->m[13], m->m[14]};
}

void Model::ModelSetRotation(const Quaternion* q) {
    Matrix m;
    MatrixRotationQuaternion(&m, q);
    right = Vector3{m.m[0], m.m[1], m.m[2]};
    up = Vector3{m.m[4], m.m[5], m.m[6]};
    front = Vector3{m.m[8], m.m[9], m.m[10]};
}

i32 Model::ModelGetAngleX() { return ToAngle(std::asin(std::clamp(front.y, -1.0f, 1.0f))); }

i32 Model::ModelGetAngleY() {
    if (front.y == 1.0f || front.y == -1.0f) return ToAngle(std::atan2(up.x, up.z));
    return ToAngle(std::atan2(front.x, front.z));
}

i32 Model::ModelGetAngleZ() {
    const f32 t = std::sqrt(1.0f - front.y * front.y);
    // A vertical front has no roll of its own: the right axis alone says it.
    const f32 ratio = t > 0.0f ? std::clamp(right.y / t, -1.0f, 1.0f) : std::clamp(right.y, -1.0f, 1.0f);
    f32 a = std::asin(ratio);
    if (up.y < 0.0f) a = 3.1415927f - a;
    return ToAngle(a);
}

Vector3* Model::ModelGetFront(Vector3* out) {
    *out = front;
    return out;
}

Vector3* Model::ModelGetRight(Vector3* out) {
    *out = right;
    return out;
}

Vector3* Model::ModelGetUp(Vector3* out) {
    *out = up;
    return out;
}

u32 Model::ModelGetMeshCount() { return meshes.count; }

void Model::ModelRender() { RenderIn(false); }

void Model::RenderIn(bool alternate) {
    SetMeshDrawAlternate(alternate);
    visibleCount = 0;
    if (cellGrid) std::memset(cellGrid, 0, sizeof(u32) * gridSize * gridSize);
    for (u32 stage = 0; stage < 4; ++stage) SetTexture(nullptr, stage);
    if (QuadTreeNode* first = static_cast<QuadTreeNode*>(ResourceListGetHead(&cullNodes))) {
        first->QuadTreeNodeDraw(&visibleCount, cellGrid);
        return;
    }
    for (ResourceObject* o = ResourceListGetHead(&meshes); o; o = o->next) static_cast<Mesh*>(o)->MeshDraw();
}

void Model::ModelRenderAlternate() { RenderIn(true); }

void Model::ModelDrawBounds(u32 colour) {
    if (cullNodes.count) return;
    ForMeshes(-1, [colour](Mesh* mesh) { mesh->MeshDrawBounds(colour); });
}

const char* Model::ModelAddMorphTarget(i32 meshIndex, Model* target, i32 targetMeshIndex) {
    static char message[128];
    Mesh* mesh = MeshAt(meshIndex);
    if (!mesh) {
        std::snprintf(message, sizeof message, "%s", "存在しないメッシュIDを指定しています");
        return message;
    }
    Mesh* other = target ? target->MeshAt(targetMeshIndex) : nullptr;
    if (!other) {
        std::snprintf(message, sizeof message, "%s", "ターゲットに存在しないメッシュIDを指定しています");
        return message;
    }
    return mesh->MeshAddMorphTarget(other, nullptr);
}

void Model::ModelSetMorphWeight(f32 weight, i32 meshIndex) {
    ForMeshes(meshIndex, [weight](Mesh* m) { m->MeshSetMorphWeight(weight); });
}

void Model::ModelSetTexture(u32 stage, Texture* texture, i32 meshIndex, i32 materialIndex) {
    ForMeshes(meshIndex, [&](Mesh* m) {
        m->ForMaterials(materialIndex, [&](Material* material) { material->MaterialSetTexture(texture, stage); });
    });
}

void Model::ModelSetMeshCulling(u32 enabled, i32 meshIndex) {
    ForMeshes(meshIndex, [enabled](Mesh* m) { m->cullEnabled = enabled; });
}

void Model::ModelSetTexCoordScale(f32 value, i32 meshIndex) {
    ForMeshes(meshIndex, [value](Mesh* m) { m->MeshSetTexCoordScale(value); });
}

void Model::ModelSetInflate(f32 value, i32 meshIndex) {
    ForMeshes(meshIndex, [value](Mesh* m) { m->MeshSetInflate(value); });
}

void Model::ModelSetUvOffsetU(f32 u, i32 meshIndex) {
    ForMeshes(meshIndex, [u](Mesh* m) { m->MeshSetUvOffsetU(u); });
}

void Model::ModelSetUvOffsetV(f32 v, i32 meshIndex) {
    ForMeshes(meshIndex, [v](Mesh* m) { m->MeshSetUvOffsetV(v); });
}

void Model::ModelSetLightingMode(u32 word, i32 meshIndex) {
    ForMeshes(meshIndex, [word](Mesh* m) { m->shaderFlags.lighting = word; });
}

void Model::ModelSetTexCoordMode(u32 word, i32 meshIndex) {
    ForMeshes(meshIndex, [word](Mesh* m) { m->shaderFlags.texCoord = word; });
}

void Model::ModelSetFogMode(u32 word, i32 meshIndex) {
    ForMeshes(meshIndex, [word](Mesh* m) { m->shaderFlags.fog = word; });
}

void Model::ModelRebuildMeshShader(i32 meshIndex) {
    ForMeshes(meshIndex, [](Mesh* m) {
        if (m->vertexShader) {
            m->vertexShader->Release();
            m->vertexShader = nullptr;
        }
        m->vertexShader = CreateVertexShader(0);
        if (m->vertexShader) m->vertexShader->VertexShaderBuild(&m->shaderFlags);
    });
}

void Model::ModelLightVertices(i32 meshIndex) {
    ForMeshes(meshIndex, [this](Mesh* m) { m->MeshLightVertices(&world, 0); });
}

void Model::ModelSetMaterialColor(f32 alpha, f32 red, f32 green, f32 blue, i32 meshIndex) {
    ForMeshes(meshIndex, [&](Mesh* m) {
        m->ForMaterials(-1, [&](Material* material) { material->color.diffuse = ColorValue{red, green, blue, alpha}; });
    });
}

void Model::ModelSetMeshVisible(u32 visible, i32 meshIndex) {
    ForMeshes(meshIndex, [visible](Mesh* m) { m->drawable = visible; });
}

void Model::ModelSetMaterialState(u32 slot, u32 value, i32 meshIndex, i32 materialIndex) {
    ForMeshes(meshIndex, [&](Mesh* m) { m->MeshSetMaterialWord(slot, value, materialIndex); });
}

u32 Model::ModelGetVisibleCount() { return visibleCount; }

u32 Model::ModelGetCell(u32 x, u32 y) {
    if (!cellGrid || x >= gridSize || y >= gridSize) return 0;
    return cellGrid[gridSize * y + x];
}

i32 Model::ModelWorldToCell(f32 a, f32 b, u32* column, u32* row) {
    if (a < -gridWidth / 2.0f || a >= gridWidth / 2.0f) return 0;
    if (b < -gridHeight / 2.0f || b >= gridHeight / 2.0f) return 0;
    if (cellWidth <= 0.0f || cellHeight <= 0.0f) return 0;
    *column = static_cast<u32>((gridWidth / 2.0f + a) / cellWidth);
    *row = static_cast<u32>((gridHeight / 2.0f + b) / cellHeight);
    return 1;
}

f32 Model::ModelGetHeightAt(f32 px, f32 pz, Vector3* normal) {
    u32 column = 0, row = 0;
    if (!ModelWorldToCell(px, pz, &column, &row)) return 0.0f;
    Mesh* mesh = MeshAt(static_cast<i32>(gridSize * row + column));
    if (!mesh || !mesh->vertexCopy || quadWidth <= 0.0f || quadHeight <= 0.0f) return 0.0f;
    const MasterVertex* v = mesh->vertexCopy;
    const i32 i = static_cast<i32>((px - v[0].position.x) / quadWidth);
    const i32 j = static_cast<i32>((pz - v[0].position.z) / quadHeight);
    const i64 n = cellVertexColumns;
    const i64 at[4] = {n * j + i, n * j + i + 1, n * (j + 1) + i, n * (j + 1) + i + 1};
    for (i64 k : at) {
        // A point whose quad lies outside the cell's mesh has no height.
        if (i < 0 || j < 0 || k < 0 || k >= static_cast<i64>(mesh->vertexCount)) return 0.0f;
    }
    const Vector3& p0 = v[at[0]].position;
    const Vector3& p1 = v[at[1]].position;
    const Vector3& p2 = v[at[2]].position;
    const Vector3& p3 = v[at[3]].position;
    const f32 s = (px - p2.x) * (pz - p1.z) - (pz - p2.z) * (px - p1.x);
    Plane plane;
    if (s < 0.0f) {
        PlaneFromPoints(&plane, &p0, &p1, &p2);
    } else {
        PlaneFromPoints(&plane, &p1, &p3, &p2);
    }
    const Vector3 top{px, 1.1f * heightExtent, pz};
    const Vector3 bottom{px, -1.1f * heightExtent, pz};
    Vector3 hit;
    if (!PlaneIntersectLine(&hit, &plane, &top, &bottom)) return 0.0f;
    if (normal) {
        Plane unit;
        PlaneNormalize(&unit, &plane);
        *normal = Vector3{-unit.a, -unit.b, -unit.c};
    }
    return hit.y;
}

void Model::ModelSetStageTable(u32 slot, u32 key, const u32 values[4], i32 meshIndex) {
    ForMeshes(meshIndex, [&](Mesh* m) { m->MeshSetStageTable(slot, key, values); });
}

void Model::ModelSetStageTable2(u32 slot, u32 key, const u32 values[4], i32 meshIndex) {
    ForMeshes(meshIndex, [&](Mesh* m) { m->MeshSetStageTable2(slot, key, values); });
}

i32 Model::ModelPickMesh(f32 x, f32 y, f32 z) {
    const Vector3 screen{x, y, z};
    const Vector3 far{0.0f, 0.0f, 1.0f};
    Vector3 origin, direction;
    UnprojectScreenPoint(&origin, &screen);
    UnprojectScreenPoint(&direction, &far);
    ForMeshes(-1, [&](Mesh* m) { RayHitsBox(&m->world, &m->boxMin, &m->boxMax, &origin, &direction); });
    return -1;
}

i32 Model::ModelReleaseGraphics() {
    if (graphicsReleased) return 0;
    ForMeshes(-1, [](Mesh* m) {
        ResourceListReleaseAll(&m->materials);
        m->MeshReleaseDeviceObjects();
        m->drawable = 0;
    });
    graphicsReleased = 1;
    return 1;
}

i32 Model::ModelSetFollower(Model* model) {
    if (!model || model->graphicsReleased == 0 || model == this) return 0;
    model->AddRef();
    if (follower) follower->Release();
    follower = model;
    return 1;
}

Matrix* Model::ModelGetMeshMatrix(i32 meshIndex, Matrix* out) {
    if (Mesh* mesh = MeshAt(meshIndex)) *out = mesh->world;
    return out;
}

void Model::DrawMeshWith(i32 meshIndex, const Matrix* m) {
    Mesh* mesh = MeshAt(meshIndex);
    if (!mesh || !m) return;
    mesh->world = *m;
    BuildCullBox(&mesh->boxMin, &mesh->boxMax, mesh->cull.corners, mesh->cull.planes, &mesh->world);
    mesh->MeshDraw();
}

void Model::ModelDrawMeshAt(i32 meshIndex, const Matrix* m) { DrawMeshWith(meshIndex, m); }

void Model::ModelDrawMeshAtMesh(i32 meshIndex, Model* other, i32 otherMeshIndex) {
    if (!other) return;
    if (Mesh* mesh = other->MeshAt(otherMeshIndex)) {
        const Matrix m = mesh->world;
        DrawMeshWith(meshIndex, &m);
    }
}

void Model::ModelDrawMeshAtFrame(i32 meshIndex, Model* other, i32 frameIndex) {
    if (!other) return;
    if (Frame* frame = other->FrameAt(frameIndex)) {
        const Matrix m = frame->transform;
        DrawMeshWith(meshIndex, &m);
    }
}

i32 Model::ModelFindFrame(const char* name) {
    i32 i = 0;
    for (ResourceObject* o = ResourceListGetHead(&frames); o; o = o->next, ++i) {
        if (static_cast<Frame*>(o)->FrameNameEquals(name)) return i;
    }
    return -1;
}

i32 Model::ModelFindMesh(const char* name) {
    if (!name) return -1;
    i32 i = 0;
    for (ResourceObject* o = ResourceListGetHead(&meshes); o; o = o->next, ++i) {
        if (std::strcmp(static_cast<Mesh*>(o)->name, name) == 0) return i;
    }
    return -1;
}

Matrix* Model::ModelGetFrameKeyMatrix(Matrix* out, i32 frameIndex, f32 time) {
    MatrixIdentity(out);
    Frame* frame = FrameAt(frameIndex);
    if (!frame || !frame->animationKeys) return out;
    AnimationKeys* keys = frame->animationKeys;
    if (keys->matrixCount) {
        *out = *keys->AnimationKeysMatrixAt(time);
        return out;
    }
    if (keys->scaleCount) MatrixMultiplyBy(out, keys->AnimationKeysScalingAt(time));
    if (keys->rotationCount) MatrixMultiplyBy(out, keys->AnimationKeysRotationAt(time));
    if (keys->positionCount) {
        MatrixMultiplyBy(out, keys->AnimationKeysTranslationAt(time));
    } else {
        out->m[12] += frame->transform.m[12];
        out->m[13] += frame->transform.m[13];
        out->m[14] += frame->transform.m[14];
    }
    return out;
}

// ---- Manager -------------------------------------------------------------------------

i32 InitializeModel() {
    ResourceListClear(&g_models);
    g_planeCounter = 0;
    SetMeshDrawAlternate(false);
    SetProjectorCamera(nullptr);
    MatrixIdentity(ModelSharedMatrix());
    CameraModelReader().read = ReadPlacement;
    SetDeviceObjectHooks(kDeviceObjectModels, ModelLostAll, ModelResetAll);
    return 1;
}

void DestroyModel() {
    ResourceListReleaseAll(&g_models);
    if (Camera* projector = GetProjectorCamera()) projector->Release();
    SetProjectorCamera(nullptr);
    if (CameraModelReader().read == ReadPlacement) CameraModelReader().read = nullptr;
    ClearDeviceObjectHooks(kDeviceObjectModels, ModelLostAll);
}

void ModelLostAll() {
    ResourceListForEach<Model>(
        &g_models, [](Model* model) { ResourceListForEach<Mesh>(&model->meshes, &Mesh::MeshReleaseDeviceObjects); });
}

void ModelResetAll() {
    ResourceListForEach<Model>(
        &g_models, [](Model* model) { ResourceListForEach<Mesh>(&model->meshes, &Mesh::MeshRestoreDeviceObjects); });
}

const ResourceList& ModelList() { return g_models; }

Model* CreateModel() {
    Model* model = new (std::nothrow) Model();
    if (model) ResourceListPushBack(&g_models, model);
    return model;
}

Model* CreateModelPlane(f32 width, f32 height, i32 columns, i32 rows, f32 uvScale, ModelProgressCallback callback) {
    auto progress = [callback] {
        if (callback) callback(0);
    };
    Model* model = new (std::nothrow) Model();
    if (!model) return nullptr;
    ResourceListPushBack(&g_models, model);
    // Index copies are 16-bit: a grid of more vertices cannot be drawn.
    if (columns < 2 || rows < 2 || static_cast<i64>(columns) * rows > 65536) return model;

    Frame* frame = new (std::nothrow) Frame();
    Mesh* mesh = new (std::nothrow) Mesh();
    Material* material = new (std::nothrow) Material();
    if (!frame || !mesh || !material) {
        delete frame;
        delete mesh;
        delete material;
        return model;
    }
    model->rootFrame = frame;
    ResourceListPushBack(&model->frames, frame);
    ResourceListPushBack(&model->meshes, mesh);
    ResourceListPushBack(&mesh->materials, material);

    char name[64];
    std::snprintf(name, sizeof name, "Frame_Plane_%02u", g_planeCounter);
    frame->FrameSetName(name);
    std::snprintf(mesh->name, sizeof mesh->name, "Mesh_Plane_%02u", g_planeCounter);
    ++g_planeCounter;

    const u32 c = static_cast<u32>(columns);
    const u32 r = static_cast<u32>(rows);
    mesh->vertexFormat = kVertexFormatStatic;
    mesh->stride = 36;
    mesh->vertexCount = c * r;
    mesh->indexCount = 6 * (c - 1) * (r - 1);
    material->MaterialSetFaceRange(0, static_cast<i32>(mesh->indexCount / 3));
    mesh->frame = frame;
    progress();

    mesh->vertexCopy = static_cast<MasterVertex*>(AllocatePages(sizeof(MasterVertex) * mesh->vertexCount));
    mesh->indexCopy = static_cast<u16*>(AllocatePages(sizeof(u16) * mesh->indexCount));
    if (!mesh->vertexCopy || !mesh->indexCopy) {
        mesh->vertexCount = 0;
        mesh->indexCount = 0;
        material->MaterialSetFaceRange(0, 0);
        return model;
    }
    for (u32 j = 0; j < r; ++j) {
        for (u32 i = 0; i < c; ++i) {
            MasterVertex& v = mesh->vertexCopy[j * c + i];
            v.position = Vector3{static_cast<f32>(i) * width / static_cast<f32>(c - 1) - width / 2.0f,
                                 static_cast<f32>(j) * height / static_cast<f32>(r - 1) - height / 2.0f, 0.0f};
            v.normal = Vector3{0.0f, 0.0f, -1.0f};
            v.position2 = v.position;
            v.normal2 = v.normal;
            v.colour = 0xFFFFFFFFu;
            v.u = (static_cast<f32>(i) / static_cast<f32>(c - 1) - 0.5f) * uvScale + 0.5f;
            v.v = ((1.0f - static_cast<f32>(j) / static_cast<f32>(r - 1)) - 0.5f) * uvScale + 0.5f;
        }
    }
    progress();
    u16* out = mesh->indexCopy;
    for (u32 j = 0; j + 1 < r; ++j) {
        for (u32 i = 0; i + 1 < c; ++i) {
            const u16 a = static_cast<u16>(j * c + i);
            const u16 b = static_cast<u16>(a + c);
            const u16 triangles[6] = {b, static_cast<u16>(a + 1), a, static_cast<u16>(b + 1), static_cast<u16>(a + 1),
                                      b};
            std::memcpy(out, triangles, sizeof triangles);
            out += 6;
        }
    }
    progress();
    mesh->MeshCreateBuffers(callback);
    progress();
    return model;
}
