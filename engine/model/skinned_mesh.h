#pragma once
// Skinned meshes: meshes whose vertices are bent by bones. Each vertex
// carries two blend weights (the third bone takes what they leave of 1) and
// bone-index bytes naming palette slots; each bone is a frame of the same
// model found by name, and the draw loads the palette of every bone
// combination into the vertex shader constants from c26 on before drawing
// that combination's faces.
#include "engine/model/mesh.h"

class SkinnedMesh : public Mesh {
public:
    SkinnedMesh();
    ~SkinnedMesh() override;

    // Replaced operations of the mesh.
    i32 MeshConvertXMesh(XSkinMeshObject* skinMesh, XMeshObject** converted, MeshProgressCallback callback) override;
    void MeshFindBones(const ResourceList* frames) override;
    void MeshDraw() override;
    void MeshDrawBounds(u32 colour) override;
    Matrix* MeshPlace(Matrix* out, const Matrix* frameMatrix, const Matrix* modelWorld) override;
    // The combined matrix of the first frame of that name, or null.
    virtual Matrix* SkinnedMeshFindBoneMatrix(const char* boneName, const ResourceList* frames);

    // The conversion to an indexed blended mesh (vertex format 2); 1 on success.
    i32 SkinnedMeshConvertToBlended(XSkinMeshObject* skinMesh, XMeshObject** converted, MeshProgressCallback callback);
    void SkinnedMeshFindBones(const ResourceList* frames);
    void SkinnedMeshDraw();

    platform::xfile::D3DXBuffer* boneNames = nullptr;
    u32 paletteSize = 0;
    u32 boneCount = 0;
    u32 combinationCount = 0;
    Matrix** boneMatrices = nullptr;
    Matrix* boneOffsets = nullptr;
    platform::xfile::D3DXBuffer* combinationTable = nullptr;
};
