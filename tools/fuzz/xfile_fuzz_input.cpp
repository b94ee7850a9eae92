#include "tools/fuzz/xfile_fuzz_input.h"

#include <string>

#include "platform/xfile/x_file.h"
#include "platform/xfile/x_mesh.h"

namespace xf = platform::xfile;
namespace gfx = platform::gfx;

namespace {

void Mesh(xf::DirectXFileData* data) {
    xf::D3DXBuffer* materials = nullptr;
    xf::D3DXBuffer* names = nullptr;
    xf::D3DXBuffer* transforms = nullptr;
    xf::D3DXBuffer* adjacency = nullptr;
    gfx::DWORD count = 0;
    xf::D3DXSkinMesh* skin = nullptr;
    if (gfx::FAILED(xf::D3DXLoadSkinMeshFromXof(data, xf::D3DXMESH_MANAGED, nullptr, &adjacency, &materials, &count,
                                                &names, &transforms, &skin))) {
        return;
    }
    xf::D3DXMesh* original = nullptr;
    if (gfx::SUCCEEDED(skin->GetOriginalMesh(&original))) {
        xf::D3DXMesh* clone = nullptr;
        if (gfx::SUCCEEDED(original->CloneMeshFVF(0, xf::kFvfStaticMesh, nullptr, &clone))) {
            xf::D3DXMesh* sorted = nullptr;
            if (gfx::SUCCEEDED(
                    clone->Optimize(xf::D3DXMESHOPT_ATTRSORT, nullptr, nullptr, nullptr, nullptr, &sorted))) {
                gfx::DWORD n = 0;
                sorted->GetAttributeTable(nullptr, &n);
                xf::D3DXComputeNormals(sorted, nullptr);
                sorted->Release();
            }
            clone->Release();
        }
        original->Release();
    }
    for (gfx::DWORD palette : {2u, 23u}) {
        if (skin->GetNumBones() == 0) break;
        xf::D3DXMesh* blended = nullptr;
        xf::D3DXBuffer* table = nullptr;
        gfx::DWORD combinations = 0;
        if (gfx::SUCCEEDED(skin->ConvertToIndexedBlendedMesh(xf::D3DXMESH_SYSTEMMEM, nullptr, palette, nullptr,
                                                             &combinations, &table, nullptr, nullptr, &blended))) {
            xf::D3DXMesh* clone = nullptr;
            if (gfx::SUCCEEDED(blended->CloneMeshFVF(0, xf::kFvfBlendedMesh, nullptr, &clone))) {
                xf::D3DXComputeNormals(clone, nullptr);
                clone->Release();
            }
            blended->Release();
        }
        if (table) table->Release();
    }
    skin->Release();
    for (xf::D3DXBuffer* b : {materials, names, transforms, adjacency}) {
        if (b) b->Release();
    }
}

void Walk(xf::DirectXFileData* data, int depth) {
    char name[256];
    gfx::DWORD length = 0;
    data->GetName(nullptr, &length);
    length = sizeof name;
    data->GetName(name, &length);
    xf::TemplateId type = xf::TID_Unknown;
    data->GetType(&type);
    gfx::DWORD size = 0;
    void* bytes = nullptr;
    data->GetData(nullptr, &size, &bytes);
    if (type == xf::TID_D3DRMMesh) Mesh(data);
    if (depth > 80) return;
    xf::DirectXFileObject* child = nullptr;
    while (gfx::SUCCEEDED(data->GetNextObject(&child)) && child) {
        xf::DirectXFileData* childData = nullptr;
        xf::DirectXFileDataReference* reference = nullptr;
        if (gfx::SUCCEEDED(child->QueryInterface(xf::IID_IDirectXFileData, reinterpret_cast<void**>(&childData)))) {
            Walk(childData, depth + 1);
            childData->Release();
        } else if (gfx::SUCCEEDED(child->QueryInterface(xf::IID_IDirectXFileDataReference,
                                                        reinterpret_cast<void**>(&reference)))) {
            xf::DirectXFileData* resolved = nullptr;
            if (gfx::SUCCEEDED(reference->Resolve(&resolved))) {
                resolved->GetName(nullptr, &length);
                resolved->Release();
            }
            reference->Release();
        }
        child->Release();
    }
}

}  // namespace

void RunXFileFuzzInput(const std::uint8_t* data, std::size_t size) {
    std::string error;
    xf::DirectXFileEnumObject* file = xf::CreateEnumObjectFromMemory(data, size, "fuzz.x", &error);
    if (!file) return;
    xf::DirectXFileData* object = nullptr;
    while (gfx::SUCCEEDED(file->GetNextDataObject(&object)) && object) {
        Walk(object, 0);
        object->Release();
    }
    file->Release();
}
