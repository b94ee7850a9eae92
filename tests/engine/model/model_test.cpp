#include "engine/model/model.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "tests/engine/model/model_fixture.h"

using model_test::ModelTest;
namespace gfx = platform::gfx;

namespace {

Mesh* FirstMesh(Model* model) { return static_cast<Mesh*>(ResourceListGetHead(&model->meshes)); }
Frame* FirstFrame(Model* model) { return static_cast<Frame*>(ResourceListGetHead(&model->frames)); }
Material* FirstMaterial(Mesh* mesh) { return static_cast<Material*>(ResourceListGetHead(&mesh->materials)); }

void ExpectVector(const Vector3& v, f32 x, f32 y, f32 z, f32 tolerance = 0.0f) {
    EXPECT_NEAR(v.x, x, tolerance);
    EXPECT_NEAR(v.y, y, tolerance);
    EXPECT_NEAR(v.z, z, tolerance);
}

}  // namespace

TEST_F(ModelTest, GamePlaneVerticesIndicesNamesAndBuffers) {
    Model* plane = CreateModelPlane(320.0f, 240.0f, 2, 2, 1.0f, nullptr);
    ASSERT_NE(plane, nullptr);
    EXPECT_EQ(ModelList().count, 1u);
    ASSERT_EQ(plane->ModelGetMeshCount(), 1u);
    Mesh* mesh = FirstMesh(plane);
    EXPECT_EQ(plane->rootFrame, FirstFrame(plane));
    EXPECT_EQ(mesh->frame, plane->rootFrame);
    EXPECT_STREQ(FirstFrame(plane)->FrameGetName(), "Frame_Plane_00");
    EXPECT_STREQ(mesh->name, "Mesh_Plane_00");
    EXPECT_EQ(mesh->vertexFormat, 0u);
    EXPECT_EQ(mesh->stride, 36u);
    ASSERT_EQ(mesh->vertexCount, 4u);
    ASSERT_EQ(mesh->indexCount, 6u);

    struct Expected {
        f32 x, y, u, v;
    };
    const Expected expected[4] = {{-160, -120, 0, 1}, {160, -120, 1, 1}, {-160, 120, 0, 0}, {160, 120, 1, 0}};
    for (int i = 0; i < 4; ++i) {
        const MasterVertex& v = mesh->vertexCopy[i];
        ExpectVector(v.position, expected[i].x, expected[i].y, 0);
        ExpectVector(v.normal, 0, 0, -1);
        EXPECT_EQ(v.position2, v.position);
        EXPECT_EQ(v.normal2, v.normal);
        EXPECT_EQ(v.colour, 0xFFFFFFFFu);
        EXPECT_EQ(v.u, expected[i].u);
        EXPECT_EQ(v.v, expected[i].v);
        EXPECT_EQ(v.weight0, 0.0f);
    }
    const u16 indices[6] = {2, 1, 0, 3, 1, 2};
    EXPECT_EQ(std::memcmp(mesh->indexCopy, indices, sizeof indices), 0);

    ASSERT_EQ(mesh->materials.count, 1u);
    EXPECT_EQ(FirstMaterial(mesh)->MaterialGetFaceStart(), 0);
    EXPECT_EQ(FirstMaterial(mesh)->MaterialGetFaceCount(), 2);

    ExpectVector(mesh->boxMin, -160, -120, 0);
    ExpectVector(mesh->boxMax, 160, 120, 0);
    ExpectVector(mesh->centre, 0, 0, 0);
    EXPECT_FLOAT_EQ(mesh->radius, 93.333336f);

    ASSERT_NE(mesh->vertexBuffer, nullptr);
    ASSERT_NE(mesh->indexBuffer, nullptr);
    gfx::D3DVERTEXBUFFER_DESC vb;
    gfx::D3DINDEXBUFFER_DESC ib;
    mesh->vertexBuffer->GetDesc(&vb);
    mesh->indexBuffer->GetDesc(&ib);
    EXPECT_EQ(vb.Size, 144u);
    EXPECT_EQ(ib.Size, 12u);
    EXPECT_EQ(ib.Format, gfx::D3DFMT_INDEX16);
    // The static layout: position, normal, colour, uv.
    const std::vector<std::uint8_t>& bytes = mesh->vertexBuffer->Data();
    f32 record[9];
    std::memcpy(record, bytes.data() + 36 * 3, sizeof record);
    EXPECT_EQ(record[0], 160.0f);
    EXPECT_EQ(record[1], 120.0f);
    EXPECT_EQ(record[5], -1.0f);
    u32 colour;
    std::memcpy(&colour, &record[6], 4);
    EXPECT_EQ(colour, 0xFFFFFFFFu);
    EXPECT_EQ(record[7], 1.0f);
    EXPECT_EQ(record[8], 0.0f);
    EXPECT_EQ(std::memcmp(mesh->indexBuffer->Data().data(), indices, sizeof indices), 0);

    ASSERT_NE(mesh->vertexShader, nullptr);
    EXPECT_NE(mesh->vertexShader->ShaderGetHandle(), kNoShaderHandle);

    Model* second = CreateModelPlane(320.0f, 240.0f, 2, 2, 1.0f, nullptr);
    EXPECT_STREQ(FirstFrame(second)->FrameGetName(), "Frame_Plane_01");
    EXPECT_STREQ(FirstMesh(second)->name, "Mesh_Plane_01");
    EXPECT_EQ(plane->ModelFindMesh("Mesh_Plane_00"), 0);
    EXPECT_EQ(second->ModelFindFrame("Frame_Plane_00"), -1);
    EXPECT_EQ(second->ModelFindFrame("Frame_Plane_01"), 0);
    second->Release();
    plane->Release();
    EXPECT_EQ(ModelList().count, 0u);
}

TEST_F(ModelTest, GridsOfOtherSizes) {
    Model* wide = CreateModelPlane(320.0f, 240.0f, 2, 2, 2.0f, nullptr);
    Mesh* mesh = FirstMesh(wide);
    EXPECT_EQ(mesh->vertexCopy[0].u, -0.5f);
    EXPECT_EQ(mesh->vertexCopy[1].u, 1.5f);
    EXPECT_EQ(mesh->vertexCopy[0].v, 1.5f);
    EXPECT_EQ(mesh->vertexCopy[2].v, -0.5f);

    Model* grid = CreateModelPlane(100.0f, 50.0f, 3, 2, 1.0f, nullptr);
    mesh = FirstMesh(grid);
    ASSERT_EQ(mesh->vertexCount, 6u);
    ASSERT_EQ(mesh->indexCount, 12u);
    const u16 indices[12] = {3, 1, 0, 4, 1, 3, 4, 2, 1, 5, 2, 4};
    EXPECT_EQ(std::memcmp(mesh->indexCopy, indices, sizeof indices), 0);
    ExpectVector(mesh->vertexCopy[4].position, 0, 25, 0);
    EXPECT_EQ(mesh->vertexCopy[4].u, 0.5f);
    EXPECT_EQ(FirstMaterial(mesh)->MaterialGetFaceCount(), 4);

    // Too few columns or rows: a model with nothing to draw.
    for (auto [columns, rows] : {std::pair{1, 5}, std::pair{5, 1}, std::pair{0, 0}, std::pair{-3, 2}}) {
        Model* empty = CreateModelPlane(10.0f, 10.0f, columns, rows, 1.0f, nullptr);
        ASSERT_NE(empty, nullptr);
        EXPECT_EQ(empty->ModelGetMeshCount(), 0u);
        EXPECT_EQ(empty->frames.count, 0u);
        empty->ModelResetTransform();
        empty->ModelUpdate(0.0f);
        Device()->ResetCallCounts();
        empty->ModelRender();
        EXPECT_EQ(Device()->CallCounts().draws, 0u);
    }
}

TEST_F(ModelTest, ProgressCallbackIsCalledWithZero) {
    static int calls;
    static int nonZero;
    calls = nonZero = 0;
    Model* plane = CreateModelPlane(320.0f, 240.0f, 2, 2, 1.0f, [](i32 value) {
        ++calls;
        if (value != 0) ++nonZero;
    });
    EXPECT_GT(calls, 5);
    EXPECT_EQ(nonZero, 0);
    plane->Release();
}

TEST_F(ModelTest, PlacementOperations) {
    Model* model = CreateModelPlane(320.0f, 240.0f, 2, 2, 1.0f, nullptr);
    EXPECT_EQ(model->ModelResetTransform(), 0);
    EXPECT_EQ(model->ModelGetAngleZ(), 0);
    model->ModelRotateZ(16384);
    ExpectVector(model->right, 0, 1, 0, 1e-6f);
    ExpectVector(model->up, -1, 0, 0, 1e-6f);
    // A quarter turn reads back one short: asin(1) and pi - asin(1) are both
    // the float 1.5707964, and its product with the float 10430.378 lies just
    // below 16384. Whether up.y comes out a hair below 0 or exactly 0 does
    // not matter.
    EXPECT_EQ(model->ModelGetAngleZ(), 16383);
    model->right = Vector3{0.0f, 1.0f, 0.0f};
    model->up = Vector3{-1.0f, 0.0f, 0.0f};
    EXPECT_EQ(model->ModelGetAngleZ(), 16383);
    model->up = Vector3{-1.0f, -1e-7f, 0.0f};
    EXPECT_EQ(model->ModelGetAngleZ(), 16383);

    model->ModelResetTransform();
    model->front = Vector3{0.0f, -0.5f, std::sqrt(0.75f)};
    EXPECT_EQ(model->ModelGetAngleX(), 60075);

    model->ModelResetTransform();
    const Vector3 front{0, 0, 1}, right{1, 0, 0}, up{0, 1, 0};
    model->ModelSetFront(&front);
    ExpectVector(model->right, 1, 0, 0);
    ExpectVector(model->up, 0, 1, 0);
    model->ModelSetRight(&right);
    ExpectVector(model->front, 0, 0, 1);
    const Vector3 longUp{0, 5, 0};
    model->ModelSetUp(&longUp);
    ExpectVector(model->up, 0, 1, 0);
    ExpectVector(model->front, 0, 0, 1);
    ExpectVector(model->right, 1, 0, 0);
    (void)up;

    // The world matrix follows the placement only at the update.
    model->ModelSetPosition(10.0f, 20.0f, 30.0f);
    model->ModelSetScale(2.0f, 1.0f, 1.0f);
    EXPECT_EQ(model->world.m[12], 0.0f);
    model->ModelUpdate(0.0f);
    EXPECT_EQ(model->world.m[0], 2.0f);
    EXPECT_EQ(model->world.m[12], 10.0f);
    EXPECT_EQ(model->world.m[14], 30.0f);
    Matrix meshWorld;
    model->ModelGetMeshMatrix(0, &meshWorld);
    EXPECT_EQ(meshWorld.m[13], 20.0f);
    ExpectVector(FirstMesh(model)->cull.corners[0], -320 + 10, -120 + 20, 30);
}

TEST_F(ModelTest, MeshIndexChoosesOneMeshOrAll) {
    Model* model = CreateModelPlane(320.0f, 240.0f, 2, 2, 1.0f, nullptr);
    for (int i = 0; i < 2; ++i) ResourceListPushBack(&model->meshes, new Mesh());
    ASSERT_EQ(model->ModelGetMeshCount(), 3u);
    model->ModelSetUvOffsetU(0.25f, -1);
    for (ResourceObject* o = model->meshes.head; o; o = o->next) EXPECT_EQ(static_cast<Mesh*>(o)->uvOffsetU, 0.25f);
    model->ModelSetUvOffsetU(0.5f, 1);
    std::vector<f32> offsets;
    for (ResourceObject* o = model->meshes.head; o; o = o->next) offsets.push_back(static_cast<Mesh*>(o)->uvOffsetU);
    EXPECT_EQ(offsets, (std::vector<f32>{0.25f, 0.5f, 0.25f}));
    // Out of range in either direction means every mesh.
    model->ModelSetUvOffsetV(0.75f, 3);
    for (ResourceObject* o = model->meshes.head; o; o = o->next) EXPECT_EQ(static_cast<Mesh*>(o)->uvOffsetV, 0.75f);
}

TEST_F(ModelTest, OneDrawCallOfTwoTrianglesWithTheGameConstants) {
    Model* plane = GamePlane();
    plane->ModelSetUvOffsetU(0.25f, -1);
    plane->ModelSetUvOffsetV(-0.5f, -1);
    plane->ModelSetPosition(0.0f, 0.0f, 10.0f);
    plane->ModelUpdate(0.0f);
    const i32 polygons = App().polygonCount;
    Device()->ResetCallCounts();
    DrawFrame([&] { plane->ModelRender(); });
    EXPECT_EQ(Device()->CallCounts().draws, 1u);
    EXPECT_EQ(App().polygonCount - polygons, 2);

    f32 c[4];
    Device()->GetVertexShaderConstant(0, c, 1);
    EXPECT_EQ(c[0], 0.5f);
    EXPECT_EQ(c[1], -0.5f);
    EXPECT_EQ(c[2], 1.0f);
    EXPECT_EQ(c[3], 765.01f);
    // The fog slope of two equal (unset) fog distances is 0, not infinite.
    Device()->GetVertexShaderConstant(1, c, 1);
    EXPECT_EQ(c[0], 0.25f);
    EXPECT_EQ(c[1], -0.5f);
    EXPECT_EQ(c[2], 0.0f);
    EXPECT_EQ(c[3], 0.0f);
    // c20..c23: the transposed world-view-projection (the plane at z 10).
    Device()->GetVertexShaderConstant(20, c, 1);
    EXPECT_FLOAT_EQ(c[0], 0.00625f);
    Device()->GetVertexShaderConstant(22, c, 1);
    EXPECT_FLOAT_EQ(c[3], 10.0f / 999.0f - 1.0f / 999.0f);
    Device()->GetVertexShaderConstant(11, c, 1);
    EXPECT_EQ(c[0], 1.0f);
    EXPECT_EQ(c[3], 1.0f);
}

TEST_F(ModelTest, ShaderCacheSetsTheShaderOncePerKeyAndAgainAfterAFixedFormat) {
    Model* a = GamePlane();
    Model* b = GamePlane();
    for (Model* m : {a, b}) {
        m->ModelSetPosition(0.0f, 0.0f, 10.0f);
        m->ModelUpdate(0.0f);
    }
    Device()->ResetCallCounts();
    DrawFrame([&] {
        a->ModelRender();
        b->ModelRender();
    });
    EXPECT_EQ(Device()->CallCounts().setVertexShader, 1u);

    // A sprite between two meshes sets a fixed-function format: the next mesh
    // must set its program again, whichever way the format was set.
    Device()->ResetCallCounts();
    DrawFrame([&] {
        a->ModelRender();
        SetFixedVertexFormat(gfx::D3DFVF_XYZRHW | gfx::D3DFVF_DIFFUSE | gfx::D3DFVF_TEX1);
        b->ModelRender();
        Device()->SetVertexShader(gfx::D3DFVF_XYZRHW | gfx::D3DFVF_DIFFUSE);
        a->ModelRender();
    });
    EXPECT_EQ(Device()->CallCounts().setVertexShader, 5u);
    EXPECT_EQ(Device()->CallCounts().draws, 3u);
    gfx::DWORD current = 0;
    Device()->GetVertexShader(&current);
    EXPECT_TRUE(gfx::IsVertexProgramHandle(current));

    // Another lighting word is another key.
    b->ModelSetLightingMode(0x800, -1);
    b->ModelRebuildMeshShader(-1);
    EXPECT_EQ(FirstMesh(b)->shaderFlags.key, 0x10010801u);
    Device()->ResetCallCounts();
    DrawFrame([&] {
        a->ModelRender();
        b->ModelRender();
    });
    EXPECT_EQ(Device()->CallCounts().setVertexShader, 2u);
}

TEST_F(ModelTest, MeshOutsideTheFrustumMakesNoDeviceCall) {
    Model* plane = GamePlane();
    plane->ModelSetPosition(1000.0f, 0.0f, 10.0f);
    plane->ModelUpdate(0.0f);
    ASSERT_TRUE(BeginScene());
    for (u32 stage = 0; stage < 4; ++stage) SetTexture(nullptr, stage);
    Device()->ResetCallCounts();
    plane->ModelRender();
    const gfx::DeviceCallCounts& counts = Device()->CallCounts();
    EXPECT_EQ(counts.draws + counts.setVertexShader + counts.setTexture + counts.setRenderState, 0u);
    EndScene();

    // Behind the camera too; with culling off it is drawn (and clipped).
    plane->ModelSetPosition(0.0f, 0.0f, -10.0f);
    plane->ModelUpdate(0.0f);
    Device()->ResetCallCounts();
    DrawFrame([&] { plane->ModelRender(); });
    EXPECT_EQ(Device()->CallCounts().draws, 0u);
    plane->ModelSetMeshCulling(0, -1);
    Device()->ResetCallCounts();
    DrawFrame([&] { plane->ModelRender(); });
    EXPECT_EQ(Device()->CallCounts().draws, 1u);
}

TEST_F(ModelTest, NewMaterialDefaults) {
    Material material;
    EXPECT_EQ(material.renderStateWords[0], kMaterialWordUnset);
    EXPECT_EQ(material.stageStateWords[511], kMaterialWordUnset);
    EXPECT_EQ(material.color.diffuse.r, 1.0f);
    EXPECT_EQ(material.color.ambient.a, 1.0f);
    EXPECT_EQ(material.color.specular.r, 0.0f);
    EXPECT_EQ(material.MaterialGetTexture(0), nullptr);
    EXPECT_EQ(material.MaterialGetTexture(2), nullptr);
}

TEST_F(ModelTest, ComputeNormalsOfOneTriangle) {
    Mesh mesh;
    mesh.vertexCount = 3;
    mesh.indexCount = 3;
    mesh.vertexCopy = static_cast<MasterVertex*>(AllocatePages(3 * sizeof(MasterVertex)));
    mesh.indexCopy = static_cast<u16*>(AllocatePages(3 * sizeof(u16)));
    mesh.vertexCopy[1].position = Vector3{1, 0, 0};
    mesh.vertexCopy[2].position = Vector3{0, 1, 0};
    for (u16 i = 0; i < 3; ++i) mesh.indexCopy[i] = i;
    mesh.MeshComputeNormals();
    for (int i = 0; i < 3; ++i) ExpectVector(mesh.vertexCopy[i].normal, 0, 0, 1, 1e-6f);
}

TEST_F(ModelTest, MorphTargets) {
    Model* a = CreateModelPlane(320.0f, 240.0f, 2, 2, 1.0f, nullptr);
    Model* b = CreateModelPlane(100.0f, 100.0f, 2, 2, 1.0f, nullptr);
    Model* c = CreateModelPlane(100.0f, 100.0f, 3, 2, 1.0f, nullptr);
    EXPECT_STREQ(a->ModelAddMorphTarget(5, b, 0), "存在しないメッシュIDを指定しています");
    EXPECT_STREQ(a->ModelAddMorphTarget(0, b, 1), "ターゲットに存在しないメッシュIDを指定しています");
    EXPECT_STREQ(a->ModelAddMorphTarget(0, c, 0), "頂点数が一致しません");
    Mesh* mesh = FirstMesh(a);
    EXPECT_EQ(mesh->vertexFormat, 0u);
    EXPECT_EQ(mesh->stride, 36u);
    ExpectVector(mesh->vertexCopy[0].position2, -160, -120, 0);

    EXPECT_EQ(a->ModelAddMorphTarget(0, b, 0), nullptr);
    EXPECT_EQ(mesh->vertexFormat, 1u);
    EXPECT_EQ(mesh->shaderFlags.transform, 2u);
    EXPECT_EQ(mesh->stride, 60u);
    ExpectVector(mesh->vertexCopy[0].position2, -50, -50, 0);
    gfx::D3DVERTEXBUFFER_DESC vb;
    mesh->vertexBuffer->GetDesc(&vb);
    EXPECT_EQ(vb.Size, 240u);
    ExpectVector(mesh->boxMin, -160, -120, 0);

    // Halfway between the plane and its target.
    a->ModelSetMorphWeight(0.5f, -1);
    a->ModelResetTransform();
    a->ModelSetPosition(0.0f, 0.0f, 10.0f);
    a->ModelUpdate(0.0f);
    Device()->ResetCallCounts();
    DrawFrame([&] { a->ModelRender(); });
    EXPECT_EQ(Device()->CallCounts().draws, 1u);

    Mesh skinned;
    skinned.vertexFormat = kVertexFormatSkinned;
    skinned.shaderFlags.transform = kShaderTransformSkinned;
    skinned.vertexCount = 4;
    skinned.vertexCopy = static_cast<MasterVertex*>(AllocatePages(4 * sizeof(MasterVertex)));
    EXPECT_EQ(skinned.MeshAddMorphTarget(FirstMesh(b), nullptr), nullptr);
    EXPECT_EQ(skinned.vertexFormat, 3u);
    EXPECT_EQ(skinned.shaderFlags.transform, 8u);
    EXPECT_EQ(skinned.stride, 76u);
}

TEST_F(ModelTest, AnimationKeyLookups) {
    auto* keys = new AnimationKeys();
    keys->matrixCount = 3;
    keys->matrixKeys = new MatrixKey[3];
    for (int i = 0; i < 3; ++i) {
        keys->matrixKeys[i].time = 10 * i;
        MatrixTranslation(&keys->matrixKeys[i].value, static_cast<f32>(10 * i), 0, 0);
    }
    EXPECT_EQ(keys->AnimationKeysMatrixAt(14.0f)->m[12], 10.0f);
    EXPECT_EQ(keys->AnimationKeysMatrixAt(16.0f)->m[12], 20.0f);
    EXPECT_EQ(keys->AnimationKeysMatrixAt(15.0f)->m[12], 10.0f);
    EXPECT_EQ(keys->AnimationKeysMatrixAt(-5.0f)->m[12], 0.0f);
    EXPECT_EQ(keys->AnimationKeysMatrixAt(99.0f)->m[12], 20.0f);

    keys->positionCount = 2;
    keys->positionKeys = new VectorKey[2];
    keys->positionKeys[0] = VectorKey{0, Vector3{0, 0, 0}};
    keys->positionKeys[1] = VectorKey{10, Vector3{10, 20, 0}};
    const Matrix* t = keys->AnimationKeysTranslationAt(2.5f);
    EXPECT_FLOAT_EQ(t->m[12], 2.5f);
    EXPECT_FLOAT_EQ(t->m[13], 5.0f);

    // Rotation keys are conjugated: the first key at or before its time.
    keys->rotationCount = 2;
    keys->rotationKeys = new RotationKey[2];
    const Vector3 zAxis{0, 0, 1};
    QuaternionRotationAxis(&keys->rotationKeys[0].value, &zAxis, 0.5f);
    keys->rotationKeys[0].time = 0;
    QuaternionRotationAxis(&keys->rotationKeys[1].value, &zAxis, 1.5f);
    keys->rotationKeys[1].time = 10;
    Quaternion conjugate;
    QuaternionConjugate(&conjugate, &keys->rotationKeys[0].value);
    Matrix expected;
    MatrixRotationQuaternion(&expected, &conjugate);
    const Matrix* r = keys->AnimationKeysRotationAt(0.0f);
    for (int i = 0; i < 16; ++i) EXPECT_FLOAT_EQ(r->m[i], expected.m[i]);
    Quaternion a, b, q;
    QuaternionConjugate(&a, &keys->rotationKeys[0].value);
    QuaternionConjugate(&b, &keys->rotationKeys[1].value);
    QuaternionSlerp(&q, &a, &b, 0.5f);
    MatrixRotationQuaternion(&expected, &q);
    r = keys->AnimationKeysRotationAt(5.0f);
    for (int i = 0; i < 16; ++i) EXPECT_FLOAT_EQ(r->m[i], expected.m[i]);

    // Two keys of one time give the earlier key, never a division by zero.
    keys->positionKeys[1].time = 0;
    t = keys->AnimationKeysTranslationAt(0.5f);
    EXPECT_TRUE(std::isfinite(t->m[12]));
    keys->Release();
}

TEST_F(ModelTest, FramesAnimateThroughTheirParents) {
    Model* model = CreateModelPlane(10.0f, 10.0f, 2, 2, 1.0f, nullptr);
    auto* child = new Frame();
    child->parent = model->rootFrame;
    MatrixTranslation(&child->transform, 1, 0, 0);
    MatrixTranslation(&model->rootFrame->transform, 0, 2, 0);
    ResourceListPushBack(&model->frames, child);
    auto* keys = new AnimationKeys();
    ResourceListPushBack(&model->animationKeys, keys);
    keys->positionCount = 1;
    keys->positionKeys = new VectorKey[1];
    keys->positionKeys[0] = VectorKey{0, Vector3{5, 0, 0}};
    child->FrameSetAnimationKeys(keys);
    model->ModelResetTransform();
    model->ModelUpdate(0.0f);
    EXPECT_EQ(child->combined.m[12], 5.0f);
    EXPECT_EQ(child->combined.m[13], 2.0f);
    Matrix key;
    model->ModelGetFrameKeyMatrix(&key, 1, 0.0f);
    EXPECT_EQ(key.m[12], 5.0f);
    EXPECT_EQ(model->ModelFindFrame("Frame_Plane_00"), 0);
}

TEST_F(ModelTest, FollowerAndReleasedGraphics) {
    Model* leader = CreateModelPlane(10.0f, 10.0f, 2, 2, 1.0f, nullptr);
    Model* other = CreateModelPlane(10.0f, 10.0f, 2, 2, 1.0f, nullptr);
    EXPECT_EQ(leader->ModelSetFollower(other), 0);
    EXPECT_EQ(other->ModelReleaseGraphics(), 1);
    EXPECT_EQ(other->ModelReleaseGraphics(), 0);
    EXPECT_EQ(FirstMesh(other)->materials.count, 0u);
    EXPECT_EQ(FirstMesh(other)->vertexBuffer, nullptr);
    EXPECT_EQ(leader->ModelSetFollower(other), 1);
    EXPECT_EQ(other->refCount, 2);
    leader->ModelResetTransform();
    leader->ModelSetPosition(3.0f, 0.0f, 0.0f);
    leader->ModelUpdate(0.0f);
    EXPECT_EQ(other->world.m[12], 3.0f);
    leader->Release();
    EXPECT_EQ(other->refCount, 1);
}

TEST_F(ModelTest, PickReportsNothingAndHeightWithoutAGridIsZero) {
    Model* plane = GamePlane();
    plane->ModelUpdate(0.0f);
    EXPECT_EQ(plane->ModelPickMesh(320.0f, 240.0f, 0.0f), -1);
    Vector3 normal{9, 9, 9};
    EXPECT_EQ(plane->ModelGetHeightAt(0.0f, 0.0f, &normal), 0.0f);
    ExpectVector(normal, 9, 9, 9);
    EXPECT_EQ(plane->ModelGetCell(0, 0), 0u);
}

TEST_F(ModelTest, ProjectToScreenAndViewPosition) {
    Model* model = CreateModelPlane(10.0f, 10.0f, 2, 2, 1.0f, nullptr);
    model->ModelSetPosition(80.0f, 60.0f, 10.0f);
    Vector3 screen;
    f32 w = 0.0f;
    ASSERT_EQ(model->ModelProjectToScreen(&screen, &w), 1);
    EXPECT_FLOAT_EQ(screen.x, 480.0f);
    EXPECT_FLOAT_EQ(screen.y, 120.0f);
    EXPECT_EQ(w, 1.0f);
    Vector3 view;
    model->ModelGetViewPosition(&view);
    ExpectVector(view, 80, 60, 10);
    model->ModelSetPosition(0.0f, 0.0f, -5.0f);
    EXPECT_EQ(model->ModelProjectToScreen(&screen, nullptr), 0);
}

TEST_F(ModelTest, CameraFollowsAModel) {
    Model* model = CreateModelPlane(10.0f, 10.0f, 2, 2, 1.0f, nullptr);
    model->ModelResetTransform();
    model->ModelSetPosition(1.0f, 2.0f, 3.0f);
    model->ModelRotateZ(16384);
    camera_->CameraSetFromModel(model);
    ExpectVector(camera_->position, 1, 2, 3);
    ExpectVector(camera_->right, 0, 1, 0, 1e-6f);
    camera_->CameraSetFromModel(nullptr);
    ExpectVector(camera_->position, 1, 2, 3);
}

TEST_F(ModelTest, AlternateRenderPlacesByTheSharedMatrix) {
    Model* plane = GamePlane();
    plane->ModelSetPosition(0.0f, 0.0f, 10.0f);
    plane->ModelUpdate(0.0f);
    MatrixTranslation(ModelSharedMatrix(), 5.0f, 0.0f, 0.0f);
    DrawFrame([&] { plane->ModelRenderAlternate(); });
    f32 c[4];
    Device()->GetVertexShaderConstant(20, c, 1);
    EXPECT_FLOAT_EQ(c[3], 5.0f * 0.00625f);
    DrawFrame([&] { plane->ModelRender(); });
    Device()->GetVertexShaderConstant(20, c, 1);
    EXPECT_EQ(c[3], 0.0f);
}

TEST_F(ModelTest, CullingTreeOverAGridOfCells) {
    // Four 100 x 100 cells side by side in a 2 x 2 grid, the view seeing only
    // the two on the left.
    Model* grid = CreateModelPlane(100.0f, 100.0f, 2, 2, 1.0f, nullptr);
    for (int i = 1; i < 4; ++i) {
        Model* cell = CreateModelPlane(100.0f, 100.0f, 2, 2, 1.0f, nullptr);
        Mesh* mesh = static_cast<Mesh*>(ResourceListGetHead(&cell->meshes));
        mesh->AddRef();
        ResourceListRemove(&cell->meshes, mesh);
        ResourceListPushBack(&grid->meshes, mesh);
        mesh->frame = grid->rootFrame;  // the cell's own frame goes with its model
        mesh->Release();
        cell->Release();
    }
    const f32 offsets[4][2] = {{-150, -50}, {1000, -50}, {-150, 50}, {1000, 50}};
    i32 i = 0;
    for (ResourceObject* o = grid->meshes.head; o; o = o->next, ++i) {
        Mesh* mesh = static_cast<Mesh*>(o);
        mesh->boxMin = Vector3{offsets[i][0] - 50, offsets[i][1] - 50, 0};
        mesh->boxMax = Vector3{offsets[i][0] + 50, offsets[i][1] + 50, 0};
    }
    grid->gridSize = 2;
    grid->cellGrid = static_cast<u32*>(AllocatePages(4 * sizeof(u32)));
    auto* root = new QuadTreeNode();
    ResourceListPushBack(&grid->cullNodes, root);
    static int progress;
    progress = 0;
    grid->ModelBuildQuadTree(root, 0, 0, 2, [](i32) { ++progress; });
    EXPECT_EQ(progress, 1);
    ASSERT_EQ(grid->cullNodes.count, 5u);
    EXPECT_EQ(root->mesh, nullptr);
    EXPECT_EQ(root->children[1]->cellIndex, 1);
    EXPECT_EQ(root->children[2]->cellIndex, 2);
    ExpectVector(root->boxMin, -200, -100, 0);
    ExpectVector(root->boxMax, 1050, 100, 0);
    grid->ModelResetTransform();
    grid->ModelSetPosition(0.0f, 0.0f, 10.0f);
    grid->ModelUpdate(0.0f);
    Device()->ResetCallCounts();
    DrawFrame([&] { grid->ModelRender(); });
    EXPECT_EQ(grid->ModelGetVisibleCount(), 2u);
    EXPECT_EQ(Device()->CallCounts().draws, 2u);
    EXPECT_EQ(grid->ModelGetCell(0, 0), 1u);
    EXPECT_EQ(grid->ModelGetCell(1, 0), 0u);
    EXPECT_EQ(grid->ModelGetCell(0, 1), 1u);
    EXPECT_EQ(grid->ModelGetCell(1, 1), 0u);
    EXPECT_EQ(grid->ModelGetCell(2, 0), 0u);
}

TEST_F(ModelTest, MaterialsHoldOneReferenceToEachTexture) {
    Texture* texture = TestTexture();
    ASSERT_EQ(texture->refCount, 1);
    Model* plane = CreateModelPlane(320.0f, 240.0f, 2, 2, 1.0f, nullptr);
    plane->ModelSetTexture(0, texture, -1, -1);
    plane->ModelSetTexture(1, texture, 0, 0);
    EXPECT_EQ(texture->refCount, 3);
    plane->ModelSetTexture(0, texture, -1, -1);  // the same texture again
    EXPECT_EQ(texture->refCount, 3);
    plane->ModelSetTexture(1, nullptr, -1, -1);
    EXPECT_EQ(texture->refCount, 2);
    Material* material = FirstMaterial(FirstMesh(plane));
    EXPECT_EQ(material->MaterialGetTexture(0), texture);
    EXPECT_EQ(material->MaterialGetTexture(1), nullptr);
    // Drawing binds the material's texture through the device layer's cache.
    plane->ModelResetTransform();
    plane->ModelSetPosition(0.0f, 0.0f, 10.0f);
    plane->ModelUpdate(0.0f);
    DrawFrame([&] { plane->ModelRender(); });
    gfx::Direct3DBaseTexture8* bound = nullptr;
    Device()->GetTexture(0, &bound);
    EXPECT_EQ(bound, texture->GetDirect3DResource());
    if (bound) bound->Release();
    // Releasing the graphics gives the reference back; so does the model.
    plane->ModelReleaseGraphics();
    EXPECT_EQ(texture->refCount, 1);
    Model* other = CreateModelPlane(320.0f, 240.0f, 2, 2, 1.0f, nullptr);
    other->ModelSetTexture(0, texture, -1, -1);
    EXPECT_EQ(texture->refCount, 2);
    other->Release();
    EXPECT_EQ(texture->refCount, 1);
}
