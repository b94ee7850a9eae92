#pragma once
// Models: a placement (three axes, a position, a scale) with lists of frames,
// meshes, animation key sets and culling nodes. The game builds only textured
// planes with CreateModelPlane and moves, scrolls and renders them.
//
// Mesh-addressed operations take a mesh index last: an index in range picks
// that mesh, any other (the game passes -1) every mesh in list order; a
// material index works the same within each chosen mesh.
#include <string>

#include "engine/core/matrix.h"
#include "engine/core/resource.h"
#include "engine/core/types.h"
#include "engine/graphics/texture.h"
#include "engine/model/mesh.h"

#include "platform/xfile/x_file.h"

// The X-file reader's objects, handed to the loading operations.
using XFileEnumObject = platform::xfile::DirectXFileEnumObject;
using XFileDataObject = platform::xfile::DirectXFileData;

using ModelProgressCallback = void (*)(i32);

class Model : public ResourceObject {
public:
    Model();
    ~Model() override;

    // Loading from an X file (the loader fills these; until then they load
    // nothing and return 0).
    virtual i32 ModelLoadXFile(XFileEnumObject* enumeration, ModelProgressCallback callback);
    virtual i32 ModelLoadFrameTransform(XFileDataObject* data, Frame* frame, ModelProgressCallback callback);
    virtual i32 ModelLoadFrame(XFileDataObject* data, Frame* parent, ModelProgressCallback callback);
    virtual i32 ModelLoadMesh(XFileDataObject* data, Frame* frame, ModelProgressCallback callback);
    virtual i32 ModelLoadAnimationSet(XFileDataObject* data, ModelProgressCallback callback);
    virtual i32 ModelLoadAnimation(XFileDataObject* data, ModelProgressCallback callback);
    virtual void ModelAnimateFrames(f32 time);
    virtual void ModelBuildQuadTree(QuadTreeNode* node, u32 x, u32 y, u32 size, ModelProgressCallback callback);
    virtual Vector3* ModelGetPosition(Vector3* out);
    virtual void ModelGetViewPosition(Vector3* out);
    virtual i32 ModelProjectToScreen(Vector3* out, f32* outW);
    virtual i32 ModelResetTransform();
    virtual void ModelUpdateWithMatrix(const Matrix* m);
    virtual void ModelUpdate(f32 time);
    virtual void ModelYaw(u16 angle);
    virtual void ModelPitch(u16 angle);
    virtual void ModelRoll(u16 angle);
    virtual void ModelRotateX(u16 angle);
    virtual void ModelRotateY(u16 angle);
    virtual void ModelRotateZ(u16 angle);
    virtual void ModelSetPosition(f32 x, f32 y, f32 z);
    virtual void ModelSetScale(f32 x, f32 y, f32 z);
    virtual void ModelLookAt(const Vector3* eye, const Vector3* target, const Vector3* upVector);
    virtual void ModelSetAxes(const Vector3* frontAxis, const Vector3* upAxis, const Vector3* rightAxis);
    virtual void ModelSetFront(const Vector3* v);
    virtual void ModelSetRight(const Vector3* v);
    virtual void ModelSetUp(const Vector3* v);
    virtual void ModelSetFromMatrix(const Matrix* m);
    virtual void ModelSetRotation(const Quaternion* q);
    virtual i32 ModelGetAngleX();
    virtual i32 ModelGetAngleY();
    virtual i32 ModelGetAngleZ();
    virtual Vector3* ModelGetFront(Vector3* out);
    virtual Vector3* ModelGetRight(Vector3* out);
    virtual Vector3* ModelGetUp(Vector3* out);
    virtual u32 ModelGetMeshCount();
    virtual void ModelRender();
    virtual void ModelRenderAlternate();
    virtual void ModelDrawBounds(u32 colour);
    // Null on success, else the reason.
    virtual const char* ModelAddMorphTarget(i32 meshIndex, Model* target, i32 targetMeshIndex);
    virtual void ModelSetMorphWeight(f32 weight, i32 meshIndex);
    virtual void ModelSetTexture(u32 stage, Texture* texture, i32 meshIndex, i32 materialIndex);
    virtual void ModelSetMeshCulling(u32 enabled, i32 meshIndex);
    virtual void ModelSetTexCoordScale(f32 scale, i32 meshIndex);
    virtual void ModelSetInflate(f32 inflate, i32 meshIndex);
    virtual void ModelSetUvOffsetU(f32 u, i32 meshIndex);
    virtual void ModelSetUvOffsetV(f32 v, i32 meshIndex);
    virtual void ModelSetLightingMode(u32 word, i32 meshIndex);
    virtual void ModelSetTexCoordMode(u32 word, i32 meshIndex);
    virtual void ModelSetFogMode(u32 word, i32 meshIndex);
    virtual void ModelRebuildMeshShader(i32 meshIndex);
    virtual void ModelLightVertices(i32 meshIndex);
    virtual void ModelSetMaterialColor(f32 alpha, f32 red, f32 green, f32 blue, i32 meshIndex);
    virtual void ModelSetMeshVisible(u32 visible, i32 meshIndex);
    virtual void ModelSetMaterialState(u32 slot, u32 value, i32 meshIndex, i32 materialIndex);
    virtual u32 ModelGetVisibleCount();
    // The cell's mark; 0 when there is no grid or the cell is outside it.
    virtual u32 ModelGetCell(u32 x, u32 y);
    virtual i32 ModelWorldToCell(f32 a, f32 b, u32* column, u32* row);
    virtual f32 ModelGetHeightAt(f32 px, f32 pz, Vector3* normal);
    virtual void ModelSetStageTable(u32 slot, u32 key, const u32 values[4], i32 meshIndex);
    virtual void ModelSetStageTable2(u32 slot, u32 key, const u32 values[4], i32 meshIndex);
    virtual i32 ModelPickMesh(f32 x, f32 y, f32 z);
    virtual i32 ModelReleaseGraphics();
    virtual i32 ModelSetFollower(Model* model);
    virtual Matrix* ModelGetMeshMatrix(i32 meshIndex, Matrix* out);
    virtual void ModelDrawMeshAt(i32 meshIndex, const Matrix* m);
    virtual void ModelDrawMeshAtMesh(i32 meshIndex, Model* other, i32 otherMeshIndex);
    virtual void ModelDrawMeshAtFrame(i32 meshIndex, Model* other, i32 frameIndex);
    virtual i32 ModelFindFrame(const char* name);
    virtual i32 ModelFindMesh(const char* name);
    virtual Matrix* ModelGetFrameKeyMatrix(Matrix* out, i32 frameIndex, f32 time);

    // The meshes of an index, or all of them for an index out of range.
    template <typename Fn>
    void ForMeshes(i32 index, Fn fn) {
        i32 i = 0;
        for (ResourceObject* o = ResourceListGetHead(&meshes); o; o = o->next, ++i) {
            if (index < 0 || static_cast<u32>(index) >= meshes.count || index == i) fn(static_cast<Mesh*>(o));
        }
    }
    Mesh* MeshAt(i32 index);
    Frame* FrameAt(i32 index);

    Frame* rootFrame = nullptr;
    Matrix world;
    Vector3 front{0.0f, 0.0f, 1.0f};
    Vector3 up{0.0f, 1.0f, 0.0f};
    Vector3 right{1.0f, 0.0f, 0.0f};
    Vector3 position;
    // Set by ModelResetTransform or ModelSetScale before the first update.
    Vector3 scale{1.0f, 1.0f, 1.0f};
    ResourceList frames;
    ResourceList meshes;
    ResourceList animationKeys;
    ResourceList cullNodes;
    u32 gridSize = 0;
    u32 visibleCount = 0;
    u32 cellVertexColumns = 0;
    f32 cellWidth = 0.0f;
    f32 cellHeight = 0.0f;
    f32 gridWidth = 0.0f;
    f32 gridHeight = 0.0f;
    f32 quadWidth = 0.0f;
    f32 quadHeight = 0.0f;
    f32 heightExtent = 0.0f;
    u32* cellGrid = nullptr;
    u32 graphicsReleased = 0;
    Model* follower = nullptr;

private:
    void UpdateFrom(const Matrix* placement, f32 time);
    void DrawMeshWith(i32 meshIndex, const Matrix* m);
    void RenderIn(bool alternate);
};

i32 InitializeModel();
void DestroyModel();
void ModelLostAll();
void ModelResetAll();
const ResourceList& ModelList();

// The game's model factory: a width x height grid of columns x rows vertices
// centred on the origin in the x-y plane, facing -z, with one frame, one
// mesh and one material. Fewer than 2 columns or rows give a model with no
// mesh (it draws nothing).
Model* CreateModelPlane(f32 width, f32 height, i32 columns, i32 rows, f32 uvScale, ModelProgressCallback callback);

// An empty model in the model list (no root frame), for the X-file loading.
Model* CreateModel();
// Opens the text X file at `path` and fills a new model from it. A file the
// reader refuses gives null, with the reason in `error` and in the log.
Model* CreateModelFromXFile(const char* path, ModelProgressCallback callback, std::string* error);
