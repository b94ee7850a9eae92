#include "engine/model/skinned_mesh.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "engine/core/application.h"
#include "engine/graphics/device.h"

namespace gfx = platform::gfx;
namespace xf = platform::xfile;

SkinnedMesh::SkinnedMesh() {
    shaderFlags.transform = kShaderTransformSkinned;
    shaderFlags.lighting = kShaderLightingFourLights;
    shaderFlags.texCoord = kShaderTexture;
    shaderFlags.fog = kShaderFogNone;
}

SkinnedMesh::~SkinnedMesh() {
    if (combinationTable) combinationTable->Release();
    if (boneNames) boneNames->Release();
    combinationTable = nullptr;
    boneNames = nullptr;
    delete[] boneMatrices;
    delete[] boneOffsets;
    boneMatrices = nullptr;
    boneOffsets = nullptr;
}

i32 SkinnedMesh::MeshConvertXMesh(XSkinMeshObject* skinMesh, XMeshObject** converted, MeshProgressCallback callback) {
    return SkinnedMeshConvertToBlended(skinMesh, converted, callback);
}

void SkinnedMesh::MeshFindBones(const ResourceList* frames) { SkinnedMeshFindBones(frames); }

void SkinnedMesh::MeshDraw() { SkinnedMeshDraw(); }

void SkinnedMesh::MeshDrawBounds(u32 colour) { Mesh::MeshDrawBounds(colour); }

Matrix* SkinnedMesh::MeshPlace(Matrix* out, const Matrix*, const Matrix* modelWorld) {
    // The bones carry the frames: the mesh itself sits at the model's placement.
    *out = *modelWorld;
    return out;
}

i32 SkinnedMesh::SkinnedMeshConvertToBlended(XSkinMeshObject* skinMesh, XMeshObject** converted,
                                             MeshProgressCallback callback) {
    vertexFormat = kVertexFormatSkinned;
    paletteSize = std::min(GetMatrixPaletteSize(), boneCount);
    if (!skinMesh || !converted) return 0;
    XMeshObject* mesh = nullptr;
    gfx::DWORD count = 0;
    xf::D3DXBuffer* table = nullptr;
    const gfx::HRESULT hr = skinMesh->ConvertToIndexedBlendedMesh(xf::D3DXMESH_SYSTEMMEM, nullptr, paletteSize, nullptr,
                                                                  &count, &table, nullptr, nullptr, &mesh);
    if (gfx::FAILED(hr) || !mesh) {
        if (table) table->Release();
        return 0;
    }
    if (combinationTable) combinationTable->Release();
    combinationTable = table;
    combinationCount = table ? count : 0;
    *converted = mesh;
    if (callback) callback(0);
    const gfx::DWORD format = mesh->GetFVF();
    if (format != xf::kFvfBlendedMesh) {
        XMeshObject* clone = nullptr;
        if (gfx::SUCCEEDED(mesh->CloneMeshFVF(mesh->GetOptions(), xf::kFvfBlendedMesh, GetDirect3DDevice(), &clone)) &&
            clone) {
            mesh->Release();
            *converted = clone;
        }
    }
    if (callback) callback(0);
    if (!(format & gfx::D3DFVF_NORMAL)) xf::D3DXComputeNormals(*converted, nullptr);
    if (callback) callback(0);
    return 1;
}

void SkinnedMesh::SkinnedMeshFindBones(const ResourceList* frames) {
    LogPrintf("-> Find Bone...\n");
    char* const* names = nullptr;
    if (boneNames && boneNames->GetBufferSize() >= sizeof(char*) * boneCount) {
        names = static_cast<char* const*>(boneNames->GetBufferPointer());
    }
    for (u32 i = 0; i < boneCount; ++i) {
        const char* boneName = names ? names[i] : "";
        boneMatrices[i] = SkinnedMeshFindBoneMatrix(boneName, frames);
        LogPrintf("    [%s] [0x%08X]\n", boneName, static_cast<u32>(reinterpret_cast<std::uintptr_t>(boneMatrices[i])));
    }
}

Matrix* SkinnedMesh::SkinnedMeshFindBoneMatrix(const char* boneName, const ResourceList* frames) {
    if (!boneName || !frames) return nullptr;
    for (ResourceObject* o = ResourceListGetHead(frames); o; o = o->next) {
        Frame* candidate = static_cast<Frame*>(o);
        if (std::strcmp(candidate->FrameGetName(), boneName) == 0) return candidate->FrameGetCombinedMatrix();
    }
    return nullptr;
}

void SkinnedMesh::SkinnedMeshDraw() {
    if (!MeshBeginDraw()) return;
    gfx::Direct3DDevice8* device = GetDirect3DDevice();
    // Nothing to draw before a conversion has made the combinations.
    if (!combinationTable || !boneMatrices || !boneOffsets) return;
    const auto* table = static_cast<const xf::D3DXBONECOMBINATION*>(combinationTable->GetBufferPointer());
    for (u32 c = 0; c < combinationCount; ++c) {
        const xf::D3DXBONECOMBINATION& combination = table[c];
        Material* material = static_cast<Material*>(ResourceListGetAt(&materials, combination.AttribId));
        for (u32 i = 0; i < paletteSize; ++i) {
            const u32 b = combination.BoneId[i];
            if (b == xf::kUnusedBone || b >= boneCount) continue;
            Matrix m;
            // A bone whose frame was not found stays where the file put it.
            if (boneMatrices[b]) MatrixMultiply(&m, &boneOffsets[b], boneMatrices[b]);
            Matrix t;
            MatrixSetTransposeOf(&t, &m);
            device->SetVertexShaderConstant(26 + 3 * i, t.m, 3);
        }
        if (!material) continue;
        MeshBindMaterial(material);
        const gfx::HRESULT hr =
            device->DrawIndexedPrimitive(gfx::D3DPT_TRIANGLELIST, combination.VertexStart, combination.VertexCount,
                                         3 * combination.FaceStart, combination.FaceCount);
        if (gfx::SUCCEEDED(hr)) AddPolygonCount(static_cast<i32>(combination.FaceCount));
    }
}
