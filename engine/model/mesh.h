#pragma once
// The parts of a model: frames (named transform nodes), meshes (vertex and
// index copies with their device buffers, culling box, shader parameters and
// generated vertex shader, and their materials), materials (colour record,
// two texture stages, face range), animation key sets and culling nodes.
#include <cstddef>

#include "engine/core/matrix.h"
#include "engine/core/resource.h"
#include "engine/core/types.h"
#include "engine/graphics/camera.h"
#include "engine/graphics/texture.h"
#include "engine/graphics/vertex_shader.h"
#include "platform/gfx/device.h"
#include "platform/xfile/x_mesh.h"

class Model;
class AnimationKeys;

// The X-file loader's objects, handed through the mesh's loading operations:
// the platform's skinned mesh, its converted mesh and its material records.
using XSkinMeshObject = platform::xfile::D3DXSkinMesh;
using XMeshObject = platform::xfile::D3DXMesh;
using XMaterialRecord = platform::xfile::D3DXMATERIAL;

// The image archive a material's texture is taken from when its file cannot
// be loaded (empty unless set).
const char* ModelTextureArchive();
void SetModelTextureArchive(const char* archive);

// ---- Master vertex -------------------------------------------------------------------

// The system-memory copy every device vertex format is filled from (72 bytes).
struct MasterVertex {
    Vector3 position;
    Vector3 normal;
    Vector3 position2;  // morph target
    Vector3 normal2;
    f32 weight0 = 0.0f;
    f32 weight1 = 0.0f;
    u8 boneIndices[4] = {};
    u32 colour = 0;
    f32 u = 0.0f;
    f32 v = 0.0f;
};
static_assert(sizeof(MasterVertex) == 72, "the master vertex record is 72 bytes");

// Device vertex formats and their strides.
constexpr u32 kVertexFormatStatic = 0;
constexpr u32 kVertexFormatMorph = 1;
constexpr u32 kVertexFormatSkinned = 2;
constexpr u32 kVertexFormatSkinnedMorph = 3;
u32 VertexFormatStride(u32 format);

// Memory handed out in whole 4096-byte pages, zero-filled.
void* AllocatePages(std::size_t bytes);
void FreePages(void* memory);

// ---- Frame ---------------------------------------------------------------------------

class Frame : public ResourceObject {
public:
    ~Frame() override;
    virtual const char* FrameGetName();
    virtual Matrix* FrameGetCombinedMatrix();
    virtual void FrameSetName(const char* text);
    virtual i32 FrameNameEquals(const char* text);
    virtual void FrameSetAnimationKeys(AnimationKeys* keys);

    Frame* parent = nullptr;
    char name[256] = {};
    Matrix transform;
    Matrix combined;
    Matrix local;
    // Owned by the model's key list, not by the frame.
    AnimationKeys* animationKeys = nullptr;
};

// ---- Material ------------------------------------------------------------------------

struct ColorValue {
    f32 r = 0.0f;
    f32 g = 0.0f;
    f32 b = 0.0f;
    f32 a = 0.0f;
};

// The platform's material record: 17 floats.
struct MaterialColor {
    ColorValue diffuse{1.0f, 1.0f, 1.0f, 1.0f};
    ColorValue ambient{1.0f, 1.0f, 1.0f, 1.0f};
    ColorValue specular;
    ColorValue emissive;
    f32 power = 0.0f;
};
static_assert(sizeof(MaterialColor) == 17 * sizeof(f32), "a material colour record is 17 floats");

constexpr u32 kMaterialWordUnset = 0xFFFFFFFFu;

class Material : public ResourceObject {
public:
    Material();
    ~Material() override;
    virtual void MaterialSetFaceRange(i32 start, i32 count);
    virtual void MaterialSetColor(const MaterialColor* color);
    virtual MaterialColor* MaterialGetColorRecord();
    virtual void MaterialGetColor(MaterialColor* out);
    // Releases the texture held for the stage, keeps a reference to the new
    // one (null clears). Stages 0 and 1.
    virtual void MaterialSetTexture(Texture* texture, u32 stage);
    virtual Texture* MaterialGetTexture(u32 stage);
    virtual i32 MaterialGetFaceStart();
    virtual i32 MaterialGetFaceCount();

    Texture* textures[2] = {};
    u32 renderStateWords[256];
    u32 stageStateWords[512];
    MaterialColor color;
    i32 faceStart = 0;
    i32 faceCount = 0;
};

// ---- Animation keys ------------------------------------------------------------------

struct RotationKey {
    i32 time = 0;
    Quaternion value;
};
struct VectorKey {
    i32 time = 0;
    Vector3 value;
};
struct MatrixKey {
    i32 time = 0;
    Matrix value;
};

class AnimationKeys : public ResourceObject {
public:
    ~AnimationKeys() override;
    // The animated values at a time; each gives back the matrix it made.
    virtual Matrix* AnimationKeysMatrixAt(f32 time);
    virtual Matrix* AnimationKeysScalingAt(f32 time);
    virtual Matrix* AnimationKeysTranslationAt(f32 time);
    virtual Matrix* AnimationKeysRotationAt(f32 time);
    // The key k with time(k) <= t <= time(k + 1) between `first` and `last`.
    virtual i32 FindMatrixKey(i32 time, i32 first, i32 last);
    virtual i32 FindPositionKey(i32 time, i32 first, i32 last);
    virtual i32 FindRotationKey(i32 time, i32 first, i32 last);
    virtual i32 FindScaleKey(i32 time, i32 first, i32 last);

    char name[256] = {};
    u32 rotationCount = 0;
    u32 scaleCount = 0;
    u32 positionCount = 0;
    u32 matrixCount = 0;
    RotationKey* rotationKeys = nullptr;
    VectorKey* scaleKeys = nullptr;
    VectorKey* positionKeys = nullptr;
    MatrixKey* matrixKeys = nullptr;

private:
    Matrix matrixResult_;
    Matrix scalingResult_;
    Matrix translationResult_;
    Matrix rotationResult_;
};

// ---- Mesh ----------------------------------------------------------------------------

// One entry of a mesh stage table: a key and four values.
struct StageTableEntry {
    u32 key = 0;
    u32 values[4] = {};
};
constexpr u32 kStageTableEntries = 8;

using MeshProgressCallback = void (*)(i32);

class Mesh : public ResourceObject {
public:
    Mesh();
    ~Mesh() override;

    virtual void MeshReleaseDeviceObjects();
    virtual void MeshRestoreDeviceObjects();
    virtual u32 MeshMemorySize();
    // The X-file loader's conversion of a loaded mesh (1 on success).
    virtual i32 MeshConvertXMesh(XSkinMeshObject* skinMesh, XMeshObject** converted, MeshProgressCallback callback);
    // The X-file loader's materials and textures.
    virtual void MeshCreate(u32 materialCount, const XMaterialRecord* records, MeshProgressCallback callback);
    virtual void MeshFindBones(const ResourceList* frames);
    virtual void MeshComputeBounds();
    virtual void MeshComputeNormals();
    virtual void MeshDraw();
    virtual void MeshDrawBounds(u32 colour);
    virtual void MeshSetMaterialWord(u32 slot, u32 value, i32 materialIndex);
    virtual void MeshNothing1() {}
    virtual void MeshNothing2() {}
    virtual void MeshNothing3() {}
    virtual void MeshNothing4() {}
    virtual void MeshNothing5() {}
    virtual void MeshCreateBuffers(MeshProgressCallback callback);
    // The X-file loader's index and vertex copies, then MeshCreateBuffers.
    virtual void MeshCopyFromXMesh(XMeshObject* converted, MeshProgressCallback callback);
    // Null on success, else the reason.
    virtual const char* MeshAddMorphTarget(Mesh* target, MeshProgressCallback callback);
    virtual void MeshSetMorphWeight(f32 weight);
    virtual void MeshSetTexCoordScale(f32 scale);
    virtual void MeshSetInflate(f32 inflate);
    virtual void MeshSetUvOffsetU(f32 u);
    virtual void MeshSetUvOffsetV(f32 v);
    virtual void MeshLightVertices(const Matrix* modelWorld, u32 flag);
    virtual Matrix* MeshPlace(Matrix* out, const Matrix* frameMatrix, const Matrix* modelWorld);
    virtual void MeshSetCommonConstants();
    virtual void MeshSetTransformConstants(const Matrix* wvp);
    virtual void MeshSetLightingConstants(const Matrix* worldInverse);
    virtual void MeshSetTexCoordConstants(const Matrix* world, const Matrix* worldView, const Matrix* worldInverse);
    virtual void MeshSetFogConstants(const Matrix* world, const Matrix* view);
    virtual void MeshSetStageTable(u32 slot, u32 key, const u32 values[4]);
    virtual void MeshSetStageTable2(u32 slot, u32 key, const u32 values[4]);

    // The materials of an index, or all of them for an index out of range.
    template <typename Fn>
    void ForMaterials(i32 index, Fn fn) {
        i32 i = 0;
        for (ResourceObject* o = ResourceListGetHead(&materials); o; o = o->next, ++i) {
            if (index < 0 || static_cast<u32>(index) >= materials.count || index == i) fn(static_cast<Material*>(o));
        }
    }

    // Steps shared by the draws: visibility, matrices and constants, the
    // shader, stream and indices; false when nothing is to be drawn.
    bool MeshBeginDraw();
    // One material's colour constant and textures.
    void MeshBindMaterial(Material* material);

    char name[64] = {};
    ResourceList materials;
    Frame* frame = nullptr;
    f32 radius = 0.0f;
    Vector3 centre;
    Vector3 boxMin;
    Vector3 boxMax;
    CullBox cull;
    platform::gfx::Direct3DVertexBuffer8* vertexBuffer = nullptr;
    platform::gfx::Direct3DIndexBuffer8* indexBuffer = nullptr;
    MasterVertex* vertexCopy = nullptr;
    u16* indexCopy = nullptr;
    u32 drawable = 1;
    u32 cullEnabled = 1;
    u32 vertexFormat = 5;
    u32 stride = 0;
    u32 vertexCount = 0;
    u32 indexCount = 0;
    f32 morphWeight = 0.0f;
    f32 texCoordScale = 0.0f;
    f32 inflate = 0.0f;
    f32 uvOffsetU = 0.0f;
    f32 uvOffsetV = 0.0f;
    ShaderFlags shaderFlags;
    StageTableEntry stageTable[kStageTableEntries];
    StageTableEntry stageTable2[kStageTableEntries];
    VertexShader* vertexShader = nullptr;
    Matrix world;
};

// ---- Culling node --------------------------------------------------------------------

class QuadTreeNode : public ResourceObject {
public:
    ~QuadTreeNode() override;
    // Draws the node's meshes when its box is visible, marking their cells.
    virtual void QuadTreeNodeDraw(u32* visibleCount, u32* cellGrid);

    QuadTreeNode* children[4] = {};
    Vector3 boxMin;
    Vector3 boxMax;
    CullBox cull;
    i32 cellIndex = -1;
    Mesh* mesh = nullptr;
};

// ---- Drawing mode shared by the model manager ------------------------------------------

// Meshes drawn in the alternate mode are placed by world x the shared matrix.
void SetMeshDrawAlternate(bool alternate);
bool MeshDrawAlternate();
Matrix* ModelSharedMatrix();
// The camera the shadow-map texture coordinates project through (none by default).
void SetProjectorCamera(Camera* camera);
Camera* GetProjectorCamera();
