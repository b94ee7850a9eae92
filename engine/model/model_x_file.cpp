// Filling a model from an X file: frames, meshes (static and skinned) with
// their materials and textures, and animation keys.
#include <algorithm>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "engine/core/application.h"
#include "engine/graphics/device.h"
#include "engine/graphics/texture.h"
#include "engine/model/model.h"
#include "engine/model/skinned_mesh.h"

namespace gfx = platform::gfx;
namespace xf = platform::xfile;

namespace {

std::string g_textureArchive;

void Progress(ModelProgressCallback callback) {
    if (callback) callback(0);
}

// The object's name into a buffer of `size` bytes (empty when it has none).
void ReadName(xf::DirectXFileObject* object, char* buffer, u32 size) {
    std::memset(buffer, 0, size);
    gfx::DWORD length = 0;
    if (gfx::FAILED(object->GetName(nullptr, &length)) || length == 0) return;
    gfx::DWORD room = size;
    object->GetName(buffer, &room);
}

// Calls use(childData, type) for each data object among the children of
// `data` whose type can be read; a progress step before each child, after
// reaching its data and after the child.
template <class Use>
void ForEachDataChild(xf::DirectXFileData* data, ModelProgressCallback callback, Use&& use) {
    xf::DirectXFileObject* child = nullptr;
    while (gfx::SUCCEEDED(data->GetNextObject(&child)) && child) {
        Progress(callback);
        xf::DirectXFileData* childData = nullptr;
        if (gfx::SUCCEEDED(child->QueryInterface(xf::IID_IDirectXFileData, reinterpret_cast<void**>(&childData)))) {
            Progress(callback);
            xf::TemplateId type = xf::TID_Unknown;
            if (gfx::SUCCEEDED(childData->GetType(&type))) use(childData, type);
            childData->Release();
        }
        child->Release();
        child = nullptr;
        Progress(callback);
    }
}

u32 ReadU32(const u8* p) {
    u32 v;
    std::memcpy(&v, p, 4);
    return v;
}

f32 ReadF32(const u8* p) {
    f32 v;
    std::memcpy(&v, p, 4);
    return v;
}

// One AnimationKey's keys into the set: the array of its type is replaced.
// Keys the data does not hold in full are not stored.
void StoreKeys(AnimationKeys* keys, xf::DirectXFileData* data) {
    gfx::DWORD size = 0;
    void* bytes = nullptr;
    if (gfx::FAILED(data->GetData(nullptr, &size, &bytes)) || !bytes || size < 8) return;
    const auto* p = static_cast<const u8*>(bytes);
    const u32 type = ReadU32(p);
    u32 count = ReadU32(p + 4);
    u32 step = 0;
    switch (type) {
        case 0: step = 24; break;
        case 1:
        case 2: step = 20; break;
        case 4: step = 72; break;
        default: return;
    }
    count = std::min<u32>(count, (size - 8) / step);
    const u8* key = p + 8;
    switch (type) {
        case 0: {
            auto* array = count ? new RotationKey[count] : nullptr;
            for (u32 i = 0; i < count; ++i, key += step) {
                array[i].time = static_cast<i32>(ReadU32(key));
                // The file stores w, x, y, z.
                array[i].value.x = ReadF32(key + 12);
                array[i].value.y = ReadF32(key + 16);
                array[i].value.z = ReadF32(key + 20);
                array[i].value.w = ReadF32(key + 8);
            }
            delete[] keys->rotationKeys;
            keys->rotationKeys = array;
            keys->rotationCount = count;
            break;
        }
        case 1:
        case 2: {
            auto* array = count ? new VectorKey[count] : nullptr;
            for (u32 i = 0; i < count; ++i, key += step) {
                array[i].time = static_cast<i32>(ReadU32(key));
                array[i].value = Vector3{ReadF32(key + 8), ReadF32(key + 12), ReadF32(key + 16)};
            }
            if (type == 1) {
                delete[] keys->scaleKeys;
                keys->scaleKeys = array;
                keys->scaleCount = count;
            } else {
                delete[] keys->positionKeys;
                keys->positionKeys = array;
                keys->positionCount = count;
            }
            break;
        }
        default: {
            auto* array = count ? new MatrixKey[count] : nullptr;
            for (u32 i = 0; i < count; ++i, key += step) {
                array[i].time = static_cast<i32>(ReadU32(key));
                f32 values[16];
                std::memcpy(values, key + 8, sizeof values);
                array[i].value = Matrix(values);
            }
            delete[] keys->matrixKeys;
            keys->matrixKeys = array;
            keys->matrixCount = count;
            break;
        }
    }
}

}  // namespace

const char* ModelTextureArchive() { return g_textureArchive.c_str(); }

void SetModelTextureArchive(const char* archive) { g_textureArchive = archive ? archive : ""; }

// ---- Model ---------------------------------------------------------------------------

i32 Model::ModelLoadXFile(XFileEnumObject* enumeration, ModelProgressCallback callback) {
    if (!enumeration) return 0;
    xf::DirectXFileData* object = nullptr;
    while (gfx::SUCCEEDED(enumeration->GetNextDataObject(&object)) && object) {
        Progress(callback);
        xf::TemplateId type = xf::TID_Unknown;
        if (gfx::SUCCEEDED(object->GetType(&type))) {
            Progress(callback);
            if (type == xf::TID_D3DRMFrame) {
                ModelLoadFrame(object, rootFrame, nullptr);
            } else if (type == xf::TID_D3DRMMesh) {
                ModelLoadMesh(object, rootFrame, nullptr);
            } else if (type == xf::TID_D3DRMAnimationSet) {
                ModelLoadAnimationSet(object, nullptr);
            }
        }
        object->Release();
        object = nullptr;
        Progress(callback);
    }
    for (ResourceObject* o = ResourceListGetHead(&meshes); o; o = o->next) {
        static_cast<Mesh*>(o)->MeshFindBones(&frames);
    }
    Progress(callback);
    u32 memory = ResourceListGetCount(&frames) * static_cast<u32>(sizeof(Frame)) + static_cast<u32>(sizeof(Model));
    for (ResourceObject* o = ResourceListGetHead(&meshes); o; o = o->next)
        memory += static_cast<Mesh*>(o)->MeshMemorySize();
    Progress(callback);
    LogPrintf("} Frame %d / Mesh %d / %8.3lf KByteUse / Complete!\n", static_cast<i32>(ResourceListGetCount(&frames)),
              static_cast<i32>(ResourceListGetCount(&meshes)), static_cast<f64>(memory) / 1024.0);
    return 1;
}

i32 Model::ModelLoadFrameTransform(XFileDataObject* data, Frame* frame, ModelProgressCallback callback) {
    gfx::DWORD size = 0;
    void* bytes = nullptr;
    // A matrix shorter than 16 floats leaves the transform as it was.
    if (data && frame && gfx::SUCCEEDED(data->GetData(nullptr, &size, &bytes)) && bytes && size >= 64) {
        f32 values[16];
        std::memcpy(values, bytes, sizeof values);
        frame->transform = Matrix(values);
    }
    Progress(callback);
    return 1;
}

i32 Model::ModelLoadFrame(XFileDataObject* data, Frame* parent, ModelProgressCallback callback) {
    if (!data) return 0;
    Frame* frame = new (std::nothrow) Frame();
    if (!frame) return 0;
    ResourceListPushBack(&frames, frame);
    frame->parent = parent;
    char name[256];
    ReadName(data, name, sizeof name);
    frame->FrameSetName(name);
    Progress(callback);
    ForEachDataChild(data, callback, [&](xf::DirectXFileData* childData, xf::TemplateId type) {
        Progress(callback);
        if (type == xf::TID_D3DRMFrameTransformMatrix) {
            ModelLoadFrameTransform(childData, frame, nullptr);
        } else if (type == xf::TID_D3DRMFrame) {
            ModelLoadFrame(childData, frame, nullptr);
        } else if (type == xf::TID_D3DRMMesh) {
            ModelLoadMesh(childData, frame, nullptr);
        }
    });
    return 1;
}

i32 Model::ModelLoadAnimationSet(XFileDataObject* data, ModelProgressCallback callback) {
    if (!data) return 0;
    ForEachDataChild(data, callback, [&](xf::DirectXFileData* childData, xf::TemplateId type) {
        if (type == xf::TID_D3DRMAnimation) ModelLoadAnimation(childData, nullptr);
    });
    return 1;
}

i32 Model::ModelLoadAnimation(XFileDataObject* data, ModelProgressCallback callback) {
    if (!data) return 0;
    AnimationKeys* keys = new (std::nothrow) AnimationKeys();
    if (!keys) return 0;
    ResourceListPushBack(&animationKeys, keys);
    xf::DirectXFileObject* child = nullptr;
    while (gfx::SUCCEEDED(data->GetNextObject(&child)) && child) {
        xf::DirectXFileDataReference* reference = nullptr;
        xf::DirectXFileData* childData = nullptr;
        if (gfx::SUCCEEDED(
                child->QueryInterface(xf::IID_IDirectXFileDataReference, reinterpret_cast<void**>(&reference)))) {
            Progress(callback);
            xf::DirectXFileData* resolved = nullptr;
            if (gfx::SUCCEEDED(reference->Resolve(&resolved)) && resolved) {
                Progress(callback);
                char name[256];
                ReadName(resolved, name, sizeof name);
                xf::TemplateId type = xf::TID_Unknown;
                if (gfx::SUCCEEDED(resolved->GetType(&type)) && type == xf::TID_D3DRMFrame && name[0] != '\0') {
                    Progress(callback);
                    std::memcpy(keys->name, name, sizeof keys->name);
                    for (ResourceObject* o = ResourceListGetHead(&frames); o; o = o->next) {
                        Frame* frame = static_cast<Frame*>(o);
                        if (frame->FrameNameEquals(name)) frame->FrameSetAnimationKeys(keys);
                    }
                    Progress(callback);
                }
                resolved->Release();
            }
            reference->Release();
            Progress(callback);
        } else if (gfx::SUCCEEDED(
                       child->QueryInterface(xf::IID_IDirectXFileData, reinterpret_cast<void**>(&childData)))) {
            Progress(callback);
            xf::TemplateId type = xf::TID_Unknown;
            if (gfx::SUCCEEDED(childData->GetType(&type)) && type == xf::TID_D3DRMAnimationKey) {
                StoreKeys(keys, childData);
                Progress(callback);
            }
            childData->Release();
        }
        child->Release();
        child = nullptr;
        Progress(callback);
    }
    Progress(callback);
    return 1;
}

i32 Model::ModelLoadMesh(XFileDataObject* data, Frame* frame, ModelProgressCallback callback) {
    if (!data) return 0;
    char name[256];
    ReadName(data, name, sizeof name);
    Progress(callback);
    xf::D3DXBuffer* materialRecords = nullptr;
    xf::D3DXBuffer* boneNames = nullptr;
    xf::D3DXBuffer* boneTransforms = nullptr;
    gfx::DWORD materialCount = 0;
    XSkinMeshObject* skin = nullptr;
    XMeshObject* converted = nullptr;
    auto releaseAll = [&] {
        if (converted) converted->Release();
        if (skin) skin->Release();
        if (boneNames) boneNames->Release();
        if (boneTransforms) boneTransforms->Release();
        if (materialRecords) materialRecords->Release();
    };
    const gfx::HRESULT hr =
        xf::D3DXLoadSkinMeshFromXof(data, xf::D3DXMESH_MANAGED, GetDirect3DDevice(), nullptr, &materialRecords,
                                    &materialCount, &boneNames, &boneTransforms, &skin);
    if (gfx::FAILED(hr) || !skin) {
        LogPrintf("    Error : メッシュ [%s] の読み込みに失敗\n", name);
        releaseAll();
        return 0;
    }
    Progress(callback);
    const u32 bones = skin->GetNumBones();
    Mesh* mesh = nullptr;
    if (bones > 0) {
        SkinnedMesh* skinned = new (std::nothrow) SkinnedMesh();
        if (skinned) {
            skinned->boneCount = bones;
            skinned->boneNames = boneNames;
            if (boneNames) boneNames->AddRef();
            skinned->boneMatrices = new (std::nothrow) Matrix*[bones]();
            skinned->boneOffsets = new (std::nothrow) Matrix[bones];
            if (skinned->boneOffsets && boneTransforms && boneTransforms->GetBufferSize() >= 64 * bones) {
                const auto* floats = static_cast<const u8*>(boneTransforms->GetBufferPointer());
                for (u32 b = 0; b < bones; ++b) {
                    f32 values[16];
                    std::memcpy(values, floats + 64 * static_cast<std::size_t>(b), sizeof values);
                    skinned->boneOffsets[b] = Matrix(values);
                }
            }
            if (!skinned->boneMatrices || !skinned->boneOffsets) {
                delete skinned;
                skinned = nullptr;
            }
        }
        mesh = skinned;
        LogPrintf("    SkinnedMesh [%d BONE]\n", static_cast<i32>(bones));
    } else {
        mesh = new (std::nothrow) Mesh();
    }
    if (!mesh) {
        releaseAll();
        return 0;
    }
    Progress(callback);
    ResourceListPushBack(&meshes, mesh);
    std::strncpy(mesh->name, name, sizeof mesh->name - 1);
    mesh->name[sizeof mesh->name - 1] = '\0';
    mesh->frame = frame;
    const auto* records =
        materialRecords ? static_cast<const XMaterialRecord*>(materialRecords->GetBufferPointer()) : nullptr;
    mesh->MeshCreate(records ? materialCount : 0, records, callback);
    Progress(callback);
    if (!mesh->MeshConvertXMesh(skin, &converted, callback) || !converted) {
        // Nothing to copy: the mesh stays without buffers and is not drawn.
        mesh->drawable = 0;
        releaseAll();
        return 0;
    }
    Progress(callback);
    mesh->stride = VertexFormatStride(mesh->vertexFormat);
    mesh->vertexCount = converted->GetNumVertices();
    mesh->indexCount = 3 * converted->GetNumFaces();
    mesh->MeshCopyFromXMesh(converted, callback);
    Progress(callback);
    LogPrintf("\tMesh { Vertex %d, Index %d, (%8.3lf,%8.3lf,%8.3lf)-(%8.3lf,%8.3lf,%8.3lf), %.3lfKB}\n",
              static_cast<i32>(mesh->vertexCount), static_cast<i32>(mesh->indexCount), static_cast<f64>(mesh->boxMin.x),
              static_cast<f64>(mesh->boxMin.y), static_cast<f64>(mesh->boxMin.z), static_cast<f64>(mesh->boxMax.x),
              static_cast<f64>(mesh->boxMax.y), static_cast<f64>(mesh->boxMax.z),
              static_cast<f64>(mesh->MeshMemorySize()) / 1024.0);
    releaseAll();
    return 1;
}

// ---- Mesh ----------------------------------------------------------------------------

void Mesh::MeshCreate(u32 count, const XMaterialRecord* records, MeshProgressCallback callback) {
    if (count == 0 || !records) return;
    for (u32 i = 0; i < count; ++i) {
        const XMaterialRecord& record = records[i];
        Material* material = new (std::nothrow) Material();
        if (!material) return;
        ResourceListPushBack(&materials, material);
        auto colour = [](const xf::D3DCOLORVALUE& c) { return ColorValue{c.r, c.g, c.b, c.a}; };
        MaterialColor color;
        color.diffuse = colour(record.MatD3D.Diffuse);
        color.ambient = color.diffuse;
        color.specular = colour(record.MatD3D.Specular);
        color.emissive = colour(record.MatD3D.Emissive);
        color.power = record.MatD3D.Power;
        material->MaterialSetColor(&color);
        if (!record.pTextureFilename) continue;
        const char* file = record.pTextureFilename;
        if (const char* slash = std::strrchr(file, '\\')) file = slash + 1;
        std::string textureName = file;
        LogPrintf("    ");
        Texture* texture = CreateTextureFromFile(textureName.c_str());
        if (!texture || !texture->TextureIsReady()) {
            LogPrintf("    ");
            if (texture) texture->Release();
            const std::size_t dot = textureName.rfind('.');
            if (dot != std::string::npos) textureName.erase(dot);
            LogPrintf("    ");
            texture = CreateTexture(ModelTextureArchive(), textureName.c_str(), 1, callback);
        }
        if (texture && texture->TextureIsReady()) {
            material->MaterialSetTexture(texture, 0);
            texture->Release();
        } else {
            LogPrintf("    ");
            if (texture) texture->Release();
        }
    }
}

i32 Mesh::MeshConvertXMesh(XSkinMeshObject* skinMesh, XMeshObject** converted, MeshProgressCallback) {
    vertexFormat = kVertexFormatStatic;
    XMeshObject* source = nullptr;
    if (!skinMesh || !converted || gfx::FAILED(skinMesh->GetOriginalMesh(&source)) || !source) {
        LogPrintf("ERROR Failed GetOriginalMesh\n");
        return 0;
    }
    const gfx::DWORD sourceFormat = source->GetFVF();
    XMeshObject* clone = nullptr;
    const gfx::HRESULT cloned = source->CloneMeshFVF(0, xf::kFvfStaticMesh, GetDirect3DDevice(), &clone);
    source->Release();
    if (gfx::FAILED(cloned) || !clone) {
        LogPrintf("ERROR Failed CloneMeshFVF\n");
        return 0;
    }
    const gfx::HRESULT optimized =
        clone->Optimize(xf::D3DXMESHOPT_ATTRSORT, nullptr, nullptr, nullptr, nullptr, converted);
    clone->Release();
    if (gfx::FAILED(optimized) || !*converted) {
        LogPrintf("ERROR Failed Optimize\n");
        return 0;
    }
    gfx::DWORD rangeCount = 0;
    std::vector<xf::D3DXATTRIBUTERANGE> table;
    bool ok = gfx::SUCCEEDED((*converted)->GetAttributeTable(nullptr, &rangeCount));
    if (ok) {
        table.resize(rangeCount);
        ok = rangeCount == 0 || gfx::SUCCEEDED((*converted)->GetAttributeTable(table.data(), &rangeCount));
    }
    if (!ok) {
        LogPrintf("ERROR Failed GetAttributeTable\n");
        return 0;
    }
    for (gfx::DWORD i = 0; i < rangeCount; ++i) {
        const xf::D3DXATTRIBUTERANGE& range = table[i];
        // A face naming a material the mesh does not have is not drawn.
        Material* material = static_cast<Material*>(ResourceListGetAt(&materials, range.AttribId));
        if (material)
            material->MaterialSetFaceRange(static_cast<i32>(range.FaceStart * 3), static_cast<i32>(range.FaceCount));
    }
    for (ResourceObject* o = ResourceListGetHead(&materials); o;) {
        ResourceObject* following = o->next;
        if (static_cast<Material*>(o)->faceCount == 0) o->Release();
        o = following;
    }
    if (!(sourceFormat & gfx::D3DFVF_NORMAL)) xf::D3DXComputeNormals(*converted, nullptr);
    return 1;
}

void Mesh::MeshCopyFromXMesh(XMeshObject* converted, MeshProgressCallback callback) {
    auto progress = [callback] {
        if (callback) callback(0);
    };
    FreePages(indexCopy);
    indexCopy = static_cast<u16*>(AllocatePages(static_cast<std::size_t>(indexCount) * 2));
    progress();
    u8* data = nullptr;
    if (converted && indexCopy && gfx::SUCCEEDED(converted->LockIndexBuffer(0, &data))) {
        const std::size_t bytes = std::min<std::size_t>(static_cast<std::size_t>(indexCount) * 2,
                                                        static_cast<std::size_t>(converted->GetNumFaces()) * 6);
        std::memcpy(indexCopy, data, bytes);
        converted->UnlockIndexBuffer();
    }
    progress();
    FreePages(vertexCopy);
    vertexCopy =
        static_cast<MasterVertex*>(AllocatePages(static_cast<std::size_t>(vertexCount) * sizeof(MasterVertex)));
    progress();
    if (converted && vertexCopy && gfx::SUCCEEDED(converted->LockVertexBuffer(0, &data))) {
        const gfx::DWORD format = converted->GetFVF();
        const u32 count = std::min<u32>(vertexCount, converted->GetNumVertices());
        const u32 sourceStride = converted->GetNumBytesPerVertex();
        if (format == xf::kFvfStaticMesh || format == xf::kFvfBlendedMesh) {
            for (u32 i = 0; i < count; ++i) {
                const u8* p = data + static_cast<std::size_t>(i) * sourceStride;
                MasterVertex& v = vertexCopy[i];
                std::memcpy(&v.position, p, 12);
                p += 12;
                if (format == xf::kFvfBlendedMesh) {
                    std::memcpy(&v.weight0, p, 4);
                    std::memcpy(&v.weight1, p + 4, 4);
                    std::memcpy(v.boneIndices, p + 8, 4);
                    p += 12;
                }
                std::memcpy(&v.normal, p, 12);
                std::memcpy(&v.colour, p + 12, 4);
                std::memcpy(&v.u, p + 16, 4);
                std::memcpy(&v.v, p + 20, 4);
                v.position2 = v.position;
                v.normal2 = v.normal;
                if (((i + 1) & 0x400) == 0) progress();
            }
        }
        converted->UnlockVertexBuffer();
    }
    progress();
    MeshCreateBuffers(callback);
    progress();
}

// ---- Opening a file ------------------------------------------------------------------

Model* CreateModelFromXFile(const char* path, ModelProgressCallback callback, std::string* error) {
    std::string reason;
    XFileEnumObject* enumeration = xf::CreateEnumObjectFromFile(path, &reason);
    if (!enumeration) {
        LogPrintf("ERROR : %s\n", reason.c_str());
        if (error) *error = reason;
        return nullptr;
    }
    Model* model = CreateModel();
    if (model) model->ModelLoadXFile(enumeration, callback);
    enumeration->Release();
    return model;
}
