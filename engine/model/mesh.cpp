#include "engine/model/mesh.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "engine/core/application.h"
#include "engine/core/light.h"
#include "engine/graphics/device.h"

namespace gfx = platform::gfx;

namespace {

constexpr std::size_t kPage = 4096;

bool g_alternate = false;
Matrix g_sharedMatrix;
Camera* g_projector = nullptr;

void SetConstant(u32 reg, f32 x, f32 y, f32 z, f32 w) {
    const f32 v[4] = {x, y, z, w};
    if (gfx::Direct3DDevice8* device = GetDirect3DDevice()) device->SetVertexShaderConstant(reg, v, 1);
}

// `count` rows of the transpose of m from register `reg` on.
void SetTransposed(u32 reg, const Matrix* m, u32 count) {
    Matrix t;
    MatrixSetTransposeOf(&t, m);
    if (gfx::Direct3DDevice8* device = GetDirect3DDevice()) device->SetVertexShaderConstant(reg, t.m, count);
}

void PutFloat(u8*& out, f32 value) {
    std::memcpy(out, &value, 4);
    out += 4;
}

void PutVector(u8*& out, const Vector3& v) {
    PutFloat(out, v.x);
    PutFloat(out, v.y);
    PutFloat(out, v.z);
}

void PutBytes(u8*& out, const void* bytes, std::size_t n) {
    std::memcpy(out, bytes, n);
    out += n;
}

// Light k's direction in model space.
Vector3 LightInModel(u32 k, const Matrix* worldInverse) {
    Vector3 direction;
    GetLightDirection(k, &direction);
    Vector3TransformNormal(&direction, &direction, worldInverse);
    return direction;
}

void LightColour(u32 k, f32* r, f32* g, f32* b) {
    *r = *g = *b = 0.0f;
    GetLightDiffuse(k, r, g, b);
}

}  // namespace

u32 VertexFormatStride(u32 format) {
    switch (format) {
        case kVertexFormatStatic: return 36;
        case kVertexFormatMorph: return 60;
        case kVertexFormatSkinned: return 52;
        case kVertexFormatSkinnedMorph: return 76;
        default: return 0;
    }
}

void* AllocatePages(std::size_t bytes) {
    const std::size_t size = ((bytes + kPage - 1) / kPage) * kPage;
    if (size == 0) return nullptr;
    void* memory = std::aligned_alloc(kPage, size);
    if (memory) std::memset(memory, 0, size);
    return memory;
}

void FreePages(void* memory) { std::free(memory); }

void SetMeshDrawAlternate(bool alternate) { g_alternate = alternate; }
bool MeshDrawAlternate() { return g_alternate; }
Matrix* ModelSharedMatrix() { return &g_sharedMatrix; }
void SetProjectorCamera(Camera* camera) { g_projector = camera; }
Camera* GetProjectorCamera() { return g_projector; }

// ---- Frame ---------------------------------------------------------------------------

Frame::~Frame() = default;

const char* Frame::FrameGetName() { return name; }

Matrix* Frame::FrameGetCombinedMatrix() { return &combined; }

void Frame::FrameSetName(const char* text) {
    std::memset(name, 0, sizeof name);
    if (text) std::strncpy(name, text, sizeof name - 1);
}

i32 Frame::FrameNameEquals(const char* text) { return text && std::strcmp(name, text) == 0 ? 1 : 0; }

void Frame::FrameSetAnimationKeys(AnimationKeys* keys) { animationKeys = keys; }

// ---- Material ------------------------------------------------------------------------

Material::Material() {
    std::fill(std::begin(renderStateWords), std::end(renderStateWords), kMaterialWordUnset);
    std::fill(std::begin(stageStateWords), std::end(stageStateWords), kMaterialWordUnset);
}

Material::~Material() {
    for (Texture*& texture : textures) {
        if (texture) texture->Release();
        texture = nullptr;
    }
}

void Material::MaterialSetFaceRange(i32 start, i32 count) {
    faceStart = start;
    faceCount = count;
}

void Material::MaterialSetColor(const MaterialColor* value) {
    if (value) color = *value;
}

MaterialColor* Material::MaterialGetColorRecord() { return &color; }

void Material::MaterialGetColor(MaterialColor* out) {
    if (out) *out = color;
}

void Material::MaterialSetTexture(Texture* texture, u32 stage) {
    if (stage >= 2) return;
    if (texture) texture->AddRef();
    if (textures[stage]) textures[stage]->Release();
    textures[stage] = texture;
}

Texture* Material::MaterialGetTexture(u32 stage) { return stage < 2 ? textures[stage] : nullptr; }

i32 Material::MaterialGetFaceStart() { return faceStart; }

i32 Material::MaterialGetFaceCount() { return faceCount; }

// ---- Animation keys ------------------------------------------------------------------

namespace {

// Where a time falls among keys sorted by time: the key at or before it, the
// next one and the fraction between them (0 at or outside the ends).
template <typename Key, typename Finder>
void Locate(const Key* keys, u32 count, f32 time, Finder find, u32* k0, u32* k1, f32* f) {
    const i32 t = static_cast<i32>(time);
    *f = 0.0f;
    if (count == 0) {
        *k0 = *k1 = 0;
        return;
    }
    if (t <= keys[0].time) {
        *k0 = *k1 = 0;
        return;
    }
    if (t >= keys[count - 1].time) {
        *k0 = *k1 = count - 1;
        return;
    }
    const u32 k = static_cast<u32>(find(t, 0, static_cast<i32>(count) - 1));
    *k0 = k;
    *k1 = k + 1 < count ? k + 1 : k;
    const i32 span = keys[*k1].time - keys[k].time;
    // Two keys of one time: the earlier one holds.
    *f = span != 0 ? (time - static_cast<f32>(keys[k].time)) / static_cast<f32>(span) : 0.0f;
}

Matrix* AnimationKeysCommonIdentity(Matrix* m) {
    MatrixIdentity(m);
    return m;
}

// Halves [first, last] until it holds the key whose successor is not before t.
template <typename Key>
i32 Search(const Key* keys, i32 t, i32 first, i32 last) {
    if (last - first <= 1) return first;
    const i32 middle = (first + last) / 2;
    if (keys[middle].time >= t) return Search(keys, t, first, middle);
    return Search(keys, t, middle, last);
}

}  // namespace

AnimationKeys::~AnimationKeys() {
    delete[] rotationKeys;
    delete[] scaleKeys;
    delete[] positionKeys;
    delete[] matrixKeys;
}

Matrix* AnimationKeys::AnimationKeysMatrixAt(f32 time) {
    if (matrixCount == 0) return AnimationKeysCommonIdentity(&matrixResult_);
    u32 k0, k1;
    f32 f;
    Locate(
        matrixKeys, matrixCount, time, [this](i32 t, i32 a, i32 b) { return FindMatrixKey(t, a, b); }, &k0, &k1, &f);
    matrixResult_ =
        (f <= 0.5f || matrixKeys[k0].time == matrixKeys[k1].time) ? matrixKeys[k0].value : matrixKeys[k1].value;
    return &matrixResult_;
}

Matrix* AnimationKeys::AnimationKeysScalingAt(f32 time) {
    if (scaleCount == 0) return AnimationKeysCommonIdentity(&scalingResult_);
    u32 k0, k1;
    f32 f;
    Locate(
        scaleKeys, scaleCount, time, [this](i32 t, i32 a, i32 b) { return FindScaleKey(t, a, b); }, &k0, &k1, &f);
    const Vector3& a = scaleKeys[k0].value;
    const Vector3& b = scaleKeys[k1].value;
    MatrixScaling(&scalingResult_, a.x + (b.x - a.x) * f, a.y + (b.y - a.y) * f, a.z + (b.z - a.z) * f);
    return &scalingResult_;
}

Matrix* AnimationKeys::AnimationKeysTranslationAt(f32 time) {
    if (positionCount == 0) return AnimationKeysCommonIdentity(&translationResult_);
    u32 k0, k1;
    f32 f;
    Locate(
        positionKeys, positionCount, time, [this](i32 t, i32 a, i32 b) { return FindPositionKey(t, a, b); }, &k0, &k1,
        &f);
    const Vector3& a = positionKeys[k0].value;
    const Vector3& b = positionKeys[k1].value;
    MatrixTranslation(&translationResult_, a.x + (b.x - a.x) * f, a.y + (b.y - a.y) * f, a.z + (b.z - a.z) * f);
    return &translationResult_;
}

Matrix* AnimationKeys::AnimationKeysRotationAt(f32 time) {
    if (rotationCount == 0) return AnimationKeysCommonIdentity(&rotationResult_);
    u32 k0, k1;
    f32 f;
    Locate(
        rotationKeys, rotationCount, time, [this](i32 t, i32 a, i32 b) { return FindRotationKey(t, a, b); }, &k0, &k1,
        &f);
    Quaternion a, b, q;
    QuaternionConjugate(&a, &rotationKeys[k0].value);
    if (k0 == k1) {
        q = a;
    } else {
        QuaternionConjugate(&b, &rotationKeys[k1].value);
        QuaternionSlerp(&q, &a, &b, f);
    }
    MatrixRotationQuaternion(&rotationResult_, &q);
    return &rotationResult_;
}

i32 AnimationKeys::FindMatrixKey(i32 time, i32 first, i32 last) { return Search(matrixKeys, time, first, last); }
i32 AnimationKeys::FindPositionKey(i32 time, i32 first, i32 last) { return Search(positionKeys, time, first, last); }
i32 AnimationKeys::FindRotationKey(i32 time, i32 first, i32 last) { return Search(rotationKeys, time, first, last); }
i32 AnimationKeys::FindScaleKey(i32 time, i32 first, i32 last) { return Search(scaleKeys, time, first, last); }

// ---- Mesh ----------------------------------------------------------------------------

Mesh::Mesh() = default;

Mesh::~Mesh() {
    MeshReleaseDeviceObjects();
    if (vertexShader) {
        vertexShader->Release();
        vertexShader = nullptr;
    }
    ResourceListReleaseAll(&materials);
    FreePages(vertexCopy);
    FreePages(indexCopy);
    vertexCopy = nullptr;
    indexCopy = nullptr;
}

void Mesh::MeshReleaseDeviceObjects() {
    if (vertexBuffer) {
        vertexBuffer->Release();
        vertexBuffer = nullptr;
    }
    if (indexBuffer) {
        indexBuffer->Release();
        indexBuffer = nullptr;
    }
}

void Mesh::MeshRestoreDeviceObjects() { MeshCreateBuffers(nullptr); }

u32 Mesh::MeshMemorySize() { return vertexCount * stride + indexCount * 2 + static_cast<u32>(sizeof(Mesh)); }

void Mesh::MeshFindBones(const ResourceList*) {}

void Mesh::MeshComputeBounds() {
    if (!vertexCopy || vertexCount == 0) {
        boxMin = boxMax = centre = Vector3{};
        radius = 0.0f;
        return;
    }
    Vector3 lo = vertexCopy[0].position, hi = vertexCopy[0].position;
    for (u32 i = 0; i < vertexCount; ++i) {
        for (const Vector3* p : {&vertexCopy[i].position, &vertexCopy[i].position2}) {
            lo.x = std::min(lo.x, p->x);
            lo.y = std::min(lo.y, p->y);
            lo.z = std::min(lo.z, p->z);
            hi.x = std::max(hi.x, p->x);
            hi.y = std::max(hi.y, p->y);
            hi.z = std::max(hi.z, p->z);
        }
    }
    boxMin = lo;
    boxMax = hi;
    centre = Vector3{(lo.x + hi.x) / 2.0f, (lo.y + hi.y) / 2.0f, (lo.z + hi.z) / 2.0f};
    radius = ((hi.x - lo.x) + (hi.y - lo.y) + (hi.z - lo.z)) * 0.16666667f;
}

void Mesh::MeshComputeNormals() {
    if (!vertexCopy || !indexCopy) return;
    for (u32 i = 0; i < vertexCount; ++i) vertexCopy[i].normal = Vector3{};
    for (u32 t = 0; t + 1 <= indexCount / 3; ++t) {
        const u16 index[3] = {indexCopy[3 * t], indexCopy[3 * t + 1], indexCopy[3 * t + 2]};
        if (index[0] >= vertexCount || index[1] >= vertexCount || index[2] >= vertexCount) continue;
        const Vector3 p[3] = {vertexCopy[index[0]].position, vertexCopy[index[1]].position,
                              vertexCopy[index[2]].position};
        const Vector3 e1 = p[2] - p[0];
        const Vector3 e2 = p[1] - p[0];
        Vector3 n;
        Vector3Cross(&n, &e1, &e2);
        Vector3Normalize(&n);
        // The cycle p0 -> p2 -> p1 -> p0: each corner's previous and next point.
        const int previousCorner[3] = {1, 2, 0};
        const int nextCorner[3] = {2, 0, 1};
        for (int corner = 0; corner < 3; ++corner) {
            const Vector3 in = p[corner] - p[previousCorner[corner]];
            const Vector3 out = p[nextCorner[corner]] - p[corner];
            const f32 lengths = Vector3Length(&in) * Vector3Length(&out);
            // A corner on an edge of length 0 has no angle: it adds nothing.
            if (lengths == 0.0f) continue;
            const f32 d = std::clamp(Vector3Dot(&in, &out) / lengths, -1.0f, 1.0f);
            const f32 angle = 3.1415927f - std::acos(d);
            Vector3& normal = vertexCopy[index[corner]].normal;
            normal = normal - n * static_cast<f32>(angle * 0.31830987732601135);
        }
    }
    for (u32 i = 0; i < vertexCount; ++i) Vector3Normalize(&vertexCopy[i].normal);
}

bool Mesh::MeshBeginDraw() {
    if (!drawable) return false;
    if (cullEnabled && !IsBoxVisible(cull.corners, cull.planes)) return false;
    gfx::Direct3DDevice8* device = GetDirect3DDevice();
    if (!device) return false;
    Matrix w = world;
    if (g_alternate) MatrixMultiply(&w, &world, &g_sharedMatrix);
    const CurrentViewState& view = GetCurrentViewState();
    Matrix wv, wvp, inverse;
    MatrixMultiply(&wv, &w, &view.view);
    MatrixMultiply(&wvp, &w, &view.viewProjection);
    MatrixInverse(&inverse, nullptr, &w);

    MeshSetCommonConstants();
    MeshSetTransformConstants(&wvp);
    MeshSetLightingConstants(&inverse);
    MeshSetTexCoordConstants(&w, &wv, &inverse);
    MeshSetFogConstants(&w, &view.view);

    // A fixed-function vertex format set since the last mesh (sprites, 2D
    // lines) means the cached key no longer names the device's shader.
    gfx::DWORD current = 0;
    device->GetVertexShader(&current);
    if (!gfx::IsVertexProgramHandle(current)) InvalidateShaderCache();
    if (!CheckCurrentTexture(shaderFlags.key)) SetCurrentVertexShader(vertexShader);

    device->SetStreamSource(0, vertexBuffer, stride);
    device->SetIndices(indexBuffer, 0);
    SetRenderState(gfx::D3DRS_SOFTWAREVERTEXPROCESSING, static_cast<u32>(GetDeviceFlag()));
    return true;
}

void Mesh::MeshBindMaterial(Material* material) {
    const ColorValue& d = material->color.diffuse;
    SetConstant(11, d.r, d.g, d.b, d.a);
    if (shaderFlags.lighting == kShaderLightingDepth) {
        SetTexture(nullptr, 0);
        SetTexture(nullptr, 1);
    } else {
        SetTexture(material->textures[0], 0);
        SetTexture(material->textures[1], 1);
    }
}

void Mesh::MeshDraw() {
    if (!MeshBeginDraw()) return;
    gfx::Direct3DDevice8* device = GetDirect3DDevice();
    for (ResourceObject* o = ResourceListGetHead(&materials); o; o = o->next) {
        Material* material = static_cast<Material*>(o);
        MeshBindMaterial(material);
        if (material->faceCount <= 0) continue;
        const gfx::HRESULT hr =
            device->DrawIndexedPrimitive(gfx::D3DPT_TRIANGLELIST, 0, vertexCount, static_cast<u32>(material->faceStart),
                                         static_cast<u32>(material->faceCount));
        if (gfx::SUCCEEDED(hr)) AddPolygonCount(material->faceCount);
    }
}

void Mesh::MeshDrawBounds(u32 colour) {
    gfx::Direct3DDevice8* device = GetDirect3DDevice();
    if (!device) return;
    static const u8 kEdges[12][2] = {{0, 1}, {2, 3}, {4, 5}, {6, 7}, {0, 2}, {1, 3},
                                     {4, 6}, {5, 7}, {0, 4}, {1, 5}, {2, 6}, {3, 7}};
    struct LineVertex {
        f32 x, y, z;
        u32 colour;
    };
    LineVertex lines[24];
    for (int e = 0; e < 12; ++e) {
        for (int end = 0; end < 2; ++end) {
            const Vector3& p = cull.corners[kEdges[e][end]];
            lines[2 * e + end] = LineVertex{p.x, p.y, p.z, colour};
        }
    }
    for (u32 stage = 0; stage < 4; ++stage) SetTexture(nullptr, stage);
    const gfx::D3DMATRIX identity{{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}};
    device->SetTransform(gfx::D3DTS_WORLD, &identity);
    SetFixedVertexFormat(gfx::D3DFVF_XYZ | gfx::D3DFVF_DIFFUSE);
    device->DrawPrimitiveUP(gfx::D3DPT_LINELIST, 12, lines, sizeof(LineVertex));
}

void Mesh::MeshSetMaterialWord(u32 slot, u32 value, i32 materialIndex) {
    if (slot >= 256) return;
    ForMaterials(materialIndex, [&](Material* m) { m->renderStateWords[slot] = value; });
}

void Mesh::MeshCreateBuffers(MeshProgressCallback callback) {
    auto progress = [callback] {
        if (callback) callback(0);
    };
    const u32 vertexBytes = stride * vertexCount;
    const u32 indexBytes = 2 * indexCount;
    const gfx::D3DPOOL pool = GetDeviceFlag() ? gfx::D3DPOOL_SYSTEMMEM : gfx::D3DPOOL_DEFAULT;
    if (indexBuffer) {
        indexBuffer->Release();
        indexBuffer = nullptr;
    }
    if (vertexBuffer) {
        vertexBuffer->Release();
        vertexBuffer = nullptr;
    }
    if (vertexShader) {
        vertexShader->Release();
        vertexShader = nullptr;
    }
    progress();
    vertexShader = CreateVertexShader(0);
    if (vertexShader) vertexShader->VertexShaderBuild(&shaderFlags);
    progress();
    gfx::Direct3DDevice8* device = GetDirect3DDevice();
    if (!device || gfx::FAILED(device->CreateIndexBuffer(indexBytes, gfx::D3DUSAGE_WRITEONLY, gfx::D3DFMT_INDEX16, pool,
                                                         &indexBuffer))) {
        indexBuffer = nullptr;
        LogPrintf("ERROR : インデックスバッファの生成に失敗\n");
        return;
    }
    progress();
    if (gfx::FAILED(device->CreateVertexBuffer(vertexBytes, gfx::D3DUSAGE_WRITEONLY, 0, pool, &vertexBuffer))) {
        vertexBuffer = nullptr;
        LogPrintf("ERROR :頂点バッファの生成に失敗\n");
        return;
    }
    progress();
    u8* data = nullptr;
    if (indexCopy && gfx::SUCCEEDED(indexBuffer->Lock(0, 0, &data, 0))) {
        std::memcpy(data, indexCopy, indexBytes);
        indexBuffer->Unlock();
    }
    progress();
    if (vertexCopy && gfx::SUCCEEDED(vertexBuffer->Lock(0, 0, &data, 0))) {
        u8* out = data;
        for (u32 i = 0; i < vertexCount; ++i) {
            const MasterVertex& v = vertexCopy[i];
            u8* record = out;
            PutVector(out, v.position);
            PutVector(out, v.normal);
            if (vertexFormat == kVertexFormatMorph || vertexFormat == kVertexFormatSkinnedMorph) {
                PutVector(out, v.position2);
                PutVector(out, v.normal2);
            }
            if (vertexFormat == kVertexFormatSkinned || vertexFormat == kVertexFormatSkinnedMorph) {
                // The shader weights three bones by v4.x, v4.y and v4.z: the
                // third weight is what the first two leave of 1 (the blended
                // mesh stores two).
                PutFloat(out, v.weight0);
                PutFloat(out, v.weight1);
                PutFloat(out, 1.0f - v.weight0 - v.weight1);
                PutBytes(out, v.boneIndices, 4);
            }
            PutBytes(out, &v.colour, 4);
            PutFloat(out, v.u);
            PutFloat(out, v.v);
            out = record + stride;
            if ((i & 0x400) == 0) progress();
        }
        vertexBuffer->Unlock();
    }
    progress();
    MeshComputeBounds();
    progress();
}

const char* Mesh::MeshAddMorphTarget(Mesh* target, MeshProgressCallback callback) {
    if (!target || target->vertexCount != vertexCount || !target->vertexCopy || !vertexCopy) {
        return "頂点数が一致しません";
    }
    for (u32 i = 0; i < vertexCount; ++i) {
        vertexCopy[i].position2 = target->vertexCopy[i].position;
        vertexCopy[i].normal2 = target->vertexCopy[i].normal;
    }
    if (vertexFormat == kVertexFormatStatic) {
        vertexFormat = kVertexFormatMorph;
        shaderFlags.transform = kShaderTransformMorph;
    } else if (vertexFormat == kVertexFormatSkinned) {
        vertexFormat = kVertexFormatSkinnedMorph;
        shaderFlags.transform = kShaderTransformSkinnedMorph;
    }
    if (const u32 s = VertexFormatStride(vertexFormat)) stride = s;
    MeshCreateBuffers(callback);
    return nullptr;
}

void Mesh::MeshSetMorphWeight(f32 weight) { morphWeight = weight; }
void Mesh::MeshSetTexCoordScale(f32 scale) { texCoordScale = scale; }
void Mesh::MeshSetInflate(f32 value) { inflate = value; }
void Mesh::MeshSetUvOffsetU(f32 u) { uvOffsetU = u; }
void Mesh::MeshSetUvOffsetV(f32 v) { uvOffsetV = v; }

void Mesh::MeshLightVertices(const Matrix* modelWorld, u32) {
    if (!vertexCopy) return;
    Matrix placed;
    MatrixMultiply(&placed, frame ? &frame->combined : &placed, modelWorld);
    MatrixSetAt(&placed, 4, 1, 0.0f);
    MatrixSetAt(&placed, 4, 2, 0.0f);
    MatrixSetAt(&placed, 4, 3, 0.0f);
    Matrix inverse;
    MatrixInverse(&inverse, nullptr, &placed);
    Vector3 directions[kLightCount];
    f32 colours[kLightCount][3];
    for (u32 k = 0; k < kLightCount; ++k) {
        directions[k] = LightInModel(k, &inverse);
        LightColour(k, &colours[k][0], &colours[k][1], &colours[k][2]);
    }
    f32 ambient = 0.0f;
    GetLightScalar(&ambient);
    for (u32 i = 0; i < vertexCount; ++i) {
        f32 sum[3] = {0.0f, 0.0f, 0.0f};
        for (u32 k = 0; k < kLightCount; ++k) {
            const f32 t = std::max(0.0f, -Vector3Dot(&vertexCopy[i].normal, &directions[k])) + ambient;
            for (int c = 0; c < 3; ++c) sum[c] += t * colours[k][c];
        }
        u32 channel[3];
        for (int c = 0; c < 3; ++c) channel[c] = static_cast<u32>(std::min(sum[c], 1.0f) * 255.0f);
        vertexCopy[i].colour = 0xFF000000u | (channel[0] << 16) | (channel[1] << 8) | channel[2];
    }
}

Matrix* Mesh::MeshPlace(Matrix* out, const Matrix* frameMatrix, const Matrix* modelWorld) {
    return MatrixMultiply(out, frameMatrix, modelWorld);
}

void Mesh::MeshSetCommonConstants() {
    SetConstant(0, 0.5f, -0.5f, 1.0f, 765.01f);
    // Linear fog between the device's two fog distances; equal distances
    // (the default, both 0) give no fog slope instead of infinities.
    const f32 a = GetDeviceScalarA();
    const f32 b = GetDeviceScalarB();
    const f32 span = b - a;
    SetConstant(1, uvOffsetU, uvOffsetV, span != 0.0f ? -1.0f / span : 0.0f, span != 0.0f ? b / span : 0.0f);
    const Vector3& eye = GetCurrentViewState().eye;
    f32 ambient = 0.0f;
    GetLightScalar(&ambient);
    SetConstant(2, eye.x, eye.y, eye.z, ambient);
}

void Mesh::MeshSetTransformConstants(const Matrix* wvp) {
    SetConstant(12, texCoordScale, inflate, morphWeight, 0.0f);
    SetTransposed(20, wvp, 4);
}

void Mesh::MeshSetLightingConstants(const Matrix* worldInverse) {
    f32 r, g, b;
    if (shaderFlags.lighting == kShaderLightingFourLights) {
        for (u32 k = 0; k < kLightCount; ++k) {
            const Vector3 d = LightInModel(k, worldInverse);
            SetConstant(3 + k, -d.x, -d.y, -d.z, 0.0f);
            LightColour(k, &r, &g, &b);
            SetConstant(7 + k, r, g, b, 1.0f);
        }
    } else if (shaderFlags.lighting == kShaderLightingHemisphere) {
        const Vector3 d = LightInModel(0, worldInverse);
        SetConstant(3, -d.x, -d.y, -d.z, 0.0f);
        Vector3 axis{0.0f, 1.0f, 0.0f};
        Vector3TransformNormal(&axis, &axis, worldInverse);
        Vector3Normalize(&axis);
        SetConstant(4, axis.x, axis.y, axis.z, 0.0f);
        LightColour(0, &r, &g, &b);
        SetConstant(7, r, g, b, 1.0f);
        LightColour(1, &r, &g, &b);
        SetConstant(8, r, g, b, 1.0f);
    }
}

void Mesh::MeshSetTexCoordConstants(const Matrix* w, const Matrix* worldView, const Matrix* worldInverse) {
    const u32 word = shaderFlags.texCoord;
    if (word == kShaderToon || word == kShaderToon2 || word == kShaderToonReflection || word == kShaderReflectionToon) {
        const Vector3 d = LightInModel(0, worldInverse);
        SetConstant(3, d.x, d.y, d.z, 0.0f);
    }
    if (word == kShaderReflection || word == kShaderReflection2 || word == kShaderToonReflection ||
        word == kShaderReflectionToon) {
        SetTransposed(16, w, 4);
    } else if (word == kShaderStealth || word == kShaderStealth2) {
        SetTransposed(16, worldView, 4);
    } else if (word == kShaderShadowMap || word == kShaderShadowMap2) {
        Matrix projected = *w;
        if (g_projector) MatrixMultiply(&projected, w, &g_projector->viewProjection);
        SetTransposed(16, &projected, 4);
    }
}

void Mesh::MeshSetFogConstants(const Matrix* w, const Matrix* view) {
    if (shaderFlags.fog == kShaderFogWorld) {
        SetTransposed(13, w, 3);
        SetRenderState(gfx::D3DRS_FOGENABLE, 1);
    } else if (shaderFlags.fog == kShaderFogView) {
        Matrix wv;
        MatrixMultiply(&wv, w, view);
        SetTransposed(13, &wv, 3);
        SetRenderState(gfx::D3DRS_FOGENABLE, 1);
    } else if (shaderFlags.fog == kShaderFogNone) {
        SetRenderState(gfx::D3DRS_FOGENABLE, 0);
    }
}

void Mesh::MeshSetStageTable(u32 slot, u32 key, const u32 values[4]) {
    if (slot >= kStageTableEntries || !values) return;
    stageTable[slot].key = key;
    std::memcpy(stageTable[slot].values, values, sizeof stageTable[slot].values);
}

void Mesh::MeshSetStageTable2(u32 slot, u32 key, const u32 values[4]) {
    if (slot >= kStageTableEntries || !values) return;
    stageTable2[slot].key = key;
    std::memcpy(stageTable2[slot].values, values, sizeof stageTable2[slot].values);
}

// ---- Culling node --------------------------------------------------------------------

QuadTreeNode::~QuadTreeNode() = default;

void QuadTreeNode::QuadTreeNodeDraw(u32* visibleCount, u32* cellGrid) {
    if (!IsBoxVisible(cull.corners, cull.planes)) return;
    if (!mesh) {
        for (QuadTreeNode* child : children) {
            if (child) child->QuadTreeNodeDraw(visibleCount, cellGrid);
        }
        return;
    }
    mesh->MeshDraw();
    if (cellGrid && cellIndex >= 0) cellGrid[cellIndex] = 1;
    if (visibleCount) ++*visibleCount;
}
