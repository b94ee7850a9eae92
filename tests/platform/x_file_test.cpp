// The X-file reader (objects, names, data, references, declared templates,
// refused files) and the mesh operations behind the model loader.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/xfile/x_file.h"
#include "platform/xfile/x_mesh.h"
#include "tools/fuzz/xfile_fuzz_input.h"

namespace xf = platform::xfile;
namespace gfx = platform::gfx;

namespace {

xf::DirectXFileEnumObject* Open(const std::string& text, std::string* error = nullptr) {
    return xf::CreateEnumObjectFromMemory(text.data(), text.size(), "t.x", error);
}

std::string NameOf(xf::DirectXFileObject* o) {
    char buffer[64];
    gfx::DWORD length = sizeof buffer;
    o->GetName(buffer, &length);
    return buffer;
}

// The first top-level object (the caller releases both).
xf::DirectXFileData* First(xf::DirectXFileEnumObject* file) {
    xf::DirectXFileData* data = nullptr;
    EXPECT_EQ(file->GetNextDataObject(&data), xf::DXFILE_OK);
    return data;
}

TEST(XFileReader, ObjectsNamesDataAndReferences) {
    std::string error;
    xf::DirectXFileEnumObject* file = Open(
        "xof 0302txt 0064\n"
        "Frame Top {\n"
        "  FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 4.5,-2,1e1,1;; }\n"
        "  { Later }\n"
        "}\n"
        "Material Later { 1;0.5;0.25;1;; 3; 0;0;0;; 0;0;0;; TextureFilename { \"a\\\\b.png\"; } }\n",
        &error);
    ASSERT_NE(file, nullptr) << error;
    xf::DirectXFileData* top = First(file);
    gfx::DWORD length = 99;
    EXPECT_EQ(top->GetName(nullptr, &length), xf::DXFILE_OK);
    EXPECT_EQ(length, 4u);
    EXPECT_EQ(NameOf(top), "Top");
    xf::TemplateId type;
    top->GetType(&type);
    EXPECT_EQ(type, xf::TID_D3DRMFrame);

    xf::DirectXFileObject* child = nullptr;
    ASSERT_EQ(top->GetNextObject(&child), xf::DXFILE_OK);
    xf::DirectXFileData* matrix = nullptr;
    ASSERT_EQ(child->QueryInterface(xf::IID_IDirectXFileData, reinterpret_cast<void**>(&matrix)), xf::DXFILE_OK);
    xf::DirectXFileDataReference* notReference = nullptr;
    EXPECT_EQ(child->QueryInterface(xf::IID_IDirectXFileDataReference, reinterpret_cast<void**>(&notReference)),
              xf::DXFILEERR_BADINTERFACE);
    gfx::DWORD size = 0;
    void* bytes = nullptr;
    ASSERT_EQ(matrix->GetData(nullptr, &size, &bytes), xf::DXFILE_OK);
    ASSERT_EQ(size, 64u);
    float m[16];
    std::memcpy(m, bytes, sizeof m);
    EXPECT_EQ(m[12], 4.5f);
    EXPECT_EQ(m[13], -2.0f);
    EXPECT_EQ(m[14], 10.0f);
    matrix->GetName(nullptr, &length);
    EXPECT_EQ(length, 0u);  // unnamed
    matrix->Release();
    child->Release();

    ASSERT_EQ(top->GetNextObject(&child), xf::DXFILE_OK);
    xf::DirectXFileDataReference* reference = nullptr;
    ASSERT_EQ(child->QueryInterface(xf::IID_IDirectXFileDataReference, reinterpret_cast<void**>(&reference)),
              xf::DXFILE_OK);
    xf::DirectXFileData* resolved = nullptr;
    ASSERT_EQ(reference->Resolve(&resolved), xf::DXFILE_OK);
    EXPECT_EQ(NameOf(resolved), "Later");
    resolved->Release();
    reference->Release();
    child->Release();
    EXPECT_EQ(top->GetNextObject(&child), xf::DXFILEERR_NOMOREOBJECTS);
    top->Release();

    // The file outlives the enumeration while an object of it is held.
    xf::DirectXFileData* later = First(file);
    file->Release();
    ASSERT_EQ(later->GetNextObject(&child), xf::DXFILE_OK);
    xf::DirectXFileData* texture = nullptr;
    child->QueryInterface(xf::IID_IDirectXFileData, reinterpret_cast<void**>(&texture));
    texture->GetData(nullptr, &size, &bytes);
    const char* name = nullptr;
    std::memcpy(&name, bytes, sizeof name);
    EXPECT_STREQ(name, "a\\\\b.png");
    texture->Release();
    child->Release();
    later->Release();
}

TEST(XFileReader, NamesAreCutToTheBuffer) {
    xf::DirectXFileEnumObject* file = Open("xof 0302txt 0032\nFrame ABCDEFGH { }\n");
    ASSERT_NE(file, nullptr);
    xf::DirectXFileData* frame = First(file);
    char buffer[4];
    gfx::DWORD length = sizeof buffer;
    EXPECT_EQ(frame->GetName(buffer, &length), xf::DXFILE_OK);
    EXPECT_STREQ(buffer, "ABC");
    frame->Release();
    file->Release();
}

TEST(XFileReader, TemplatesDeclaredByTheFile) {
    std::string error;
    xf::DirectXFileEnumObject* file = Open(
        "xof 0302txt 0032\n"
        "template Pair { <11111111-2222-3333-4444-555555555555> WORD a; array FLOAT f[a][2]; STRING s; }\n"
        "Pair P { 2; 1.0,2.0,3.0,4.0; \"x\"; }\n",
        &error);
    ASSERT_NE(file, nullptr) << error;
    xf::DirectXFileData* pair = First(file);
    xf::TemplateId type;
    pair->GetType(&type);
    EXPECT_GE(type, xf::TID_FirstDeclared);
    gfx::DWORD size = 0;
    void* bytes = nullptr;
    pair->GetData(nullptr, &size, &bytes);
    EXPECT_EQ(size, 2u + 16u + sizeof(char*));
    pair->Release();
    file->Release();

    // Four billion elements of no values read nothing and end at once.
    file = Open(
        "xof 0302txt 0032\n"
        "template Empty { <1> array DWORD a[0]; }\n"
        "template Many { <2> array Empty e[4000000000]; DWORD last; }\n"
        "Many { 7; }\n",
        &error);
    ASSERT_NE(file, nullptr) << error;
    file->Release();
}

TEST(XFileReader, MalformedFilesAreRefusedNamingTheLine) {
    const struct {
        const char* text;
        const char* message;
    } kCases[] = {
        {"", "too short"},
        {"xyz 0302txt 0032", "not an X file"},
        {"xof 0302bin 0032", "binary X files are not supported"},
        {"xof 0302bzip0032", "compressed X files are not supported"},
        {"xof 0302txt 0016", "float size"},
        {"xof 0302txt 0032\nFrame A {\n Frame B {\n", "line 4: the file ends inside Frame 'B' (opened on line 3)"},
        {"xof 0302txt 0032\nFrame A {\n Bogus { 1; }\n}\n", "line 3: unknown template 'Bogus'"},
        {"xof 0302txt 0032\nVector { 1; 2; }\n",
         "line 2: expected a number for 'z' of Vector, found '}' (fewer values"},
        {"xof 0302txt 0032\nVector { 1; 2; 3; 4; }\n", "line 2: more values in Vector than its counts say"},
        {"xof 0302txt 0032\nMeshFace {\n 3; 1, 2; }\n", "line 3: expected a whole number"},
        {"xof 0302txt 0032\nHeader { 70000; 0; 0; }\n", "out of range"},
        {"xof 0302txt 0032\nVector { 1; -x; 3; }\n", "line 2"},
        {"xof 0302txt 0032\nTextureFilename { \"open; }\n", "line 2: a string is not closed"},
        {"xof 0302txt 0032\nFrame A { { Nowhere } }\n", "line 2: the reference to 'Nowhere' names no object"},
        {"xof 0302txt 0032\nVector V { 1; 2; 3; Frame F { } }\n", "Vector 'V' cannot hold other objects"},
        {"xof 0302txt 0032\nMeshMaterialList { 1; 1; 0;; Frame F { } }\n", "MeshMaterialList cannot hold a Frame"},
        {"xof 0302txt 0032\nMesh M {\n 3; 0;0;0;, 1;0;0;, 0;1;0;;\n 1;\n 2;0,1;;\n}\n",
         "line 5: Mesh 'M': face 0 has 2 corners"},
        {"xof 0302txt 0032\nMesh M { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;;\n"
         " MeshNormals { 1; 0;0;1;; 1;\n 3;0,0,4;; }\n}\n",
         "line 4: Mesh 'M': MeshNormals face 0 names normal 4"},
        {"xof 0302txt 0032\nMesh M { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;;\n"
         " MeshNormals { 1; 0;0;1;; 2; 3;0,0,0;, 3;0,0,0;; }\n}\n",
         "MeshNormals gives 2 faces, the mesh has 1"},
        {"xof 0302txt 0032\nMesh M { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;;\n"
         " MeshTextureCoords { 2; 0;0;, 1;1;; }\n}\n",
         "MeshTextureCoords gives 2 pairs, the mesh has 3 vertices"},
        {"xof 0302txt 0032\nMesh M { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;;\n"
         " MeshMaterialList { 1; 1;\n 3;; Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; } }\n}\n",
         "line 4: Mesh 'M': MeshMaterialList gives face 0 material 3"},
        {"xof 0302txt 0032\nMesh M { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;;\n"
         " MeshMaterialList { 2; 1; 0;; Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; } }\n}\n",
         "MeshMaterialList counts 2 materials but holds 1"},
        {"xof 0302txt 0032\nMesh M { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;;\n"
         " SkinWeights { \"B\"; 1;\n 9;\n 1.0; 1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1;; }\n}\n",
         "line 4: Mesh 'M': SkinWeights 'B' names vertex 9"},
        {"xof 0302txt 0032\nMesh M { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;;\n XSkinMeshHeader { 1; 1; 2; }\n}\n",
         "XSkinMeshHeader counts 2 bones, the mesh has 0 SkinWeights"},
        {"xof 0302txt 0032\nAnimationKey { 0; 1;\n 0; 3; 1,0,0;; }\n",
         "line 3: key 0 of an AnimationKey of type 0 has 3 values, not 4"},
        {"xof 0302txt 0032\ntemplate T { <1> array DWORD a[n]; }\n", "array size 'n' names no earlier count member"},
    };
    for (const auto& c : kCases) {
        std::string error;
        xf::DirectXFileEnumObject* file = Open(c.text, &error);
        EXPECT_EQ(file, nullptr) << c.text;
        if (file) file->Release();
        EXPECT_NE(error.find(c.message), std::string::npos) << "got: " << error;
        EXPECT_EQ(error.rfind("t.x: ", 0), 0u) << error;
    }
}

TEST(XFileReader, DeeplyNestedFramesAreRefused) {
    std::string text = "xof 0302txt 0032\n";
    for (int i = 0; i < 100; ++i) text += "Frame {\n";
    std::string error;
    EXPECT_EQ(Open(text, &error), nullptr);
    EXPECT_NE(error.find("nested too deeply"), std::string::npos) << error;
}

TEST(XFileReader, MissingFileIsRefused) {
    std::string error;
    EXPECT_EQ(xf::CreateEnumObjectFromFile("/nonexistent/none.x", &error), nullptr);
    EXPECT_NE(error.find("/nonexistent/none.x: cannot open the file"), std::string::npos);
}

// ---- Mesh operations -----------------------------------------------------------------

// A strip of three quads along x, quads 0 and 2 of material 1, quad 1 of
// material 0; bones: A moves columns 0-1, B columns 2-3, C is on column 3.
const char* kStrip =
    "xof 0302txt 0032\n"
    "Mesh Strip {\n"
    " 8; 0;0;0;, 0;1;0;, 1;0;0;, 1;1;0;, 2;0;0;, 2;1;0;, 3;0;0;, 3;1;0;;\n"
    " 3; 4;0,1,3,2;, 4;2,3,5,4;, 4;4,5,7,6;;\n"
    " MeshMaterialList { 2; 3; 1,0,1;; Material { 1;0;0;1;; 0; 0;0;0;; 0;0;0;; }\n"
    "   Material { 0;1;0;1;; 0; 0;0;0;; 0;0;0;; TextureFilename { \"x.png\"; } } }\n"
    " SkinWeights { \"A\"; 4; 0,1,2,3; 1,1,1,1; 1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1;; }\n"
    " SkinWeights { \"B\"; 4; 4,5,6,7; 1,1,0.5,0.5; 1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1;; }\n"
    " SkinWeights { \"C\"; 2; 6,7; 0.5,0.5; 1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1;; }\n"
    "}\n";

struct Loaded {
    xf::DirectXFileEnumObject* file = nullptr;
    xf::DirectXFileData* data = nullptr;
    xf::D3DXBuffer* materials = nullptr;
    xf::D3DXBuffer* names = nullptr;
    xf::D3DXBuffer* transforms = nullptr;
    gfx::DWORD materialCount = 0;
    xf::D3DXSkinMesh* skin = nullptr;
    ~Loaded() {
        for (xf::D3DXBuffer* b : {materials, names, transforms}) {
            if (b) b->Release();
        }
        if (skin) skin->Release();
        if (data) data->Release();
        if (file) file->Release();
    }
};

void LoadStrip(Loaded* l) {
    std::string error;
    l->file = Open(kStrip, &error);
    ASSERT_NE(l->file, nullptr) << error;
    l->data = First(l->file);
    ASSERT_EQ(xf::D3DXLoadSkinMeshFromXof(l->data, xf::D3DXMESH_MANAGED, nullptr, nullptr, &l->materials,
                                          &l->materialCount, &l->names, &l->transforms, &l->skin),
              gfx::D3D_OK);
}

TEST(XMesh, LoadedMeshMaterialsAndBones) {
    Loaded l;
    LoadStrip(&l);
    ASSERT_NE(l.skin, nullptr);
    EXPECT_EQ(l.skin->GetNumBones(), 3u);
    char* const* names = static_cast<char* const*>(l.names->GetBufferPointer());
    EXPECT_STREQ(names[0], "A");
    EXPECT_STREQ(names[2], "C");
    EXPECT_EQ(l.transforms->GetBufferSize(), 3u * 64u);
    ASSERT_EQ(l.materialCount, 2u);
    const auto* m = static_cast<const xf::D3DXMATERIAL*>(l.materials->GetBufferPointer());
    EXPECT_EQ(m[0].MatD3D.Diffuse.r, 1.0f);
    EXPECT_EQ(m[0].pTextureFilename, nullptr);
    EXPECT_STREQ(m[1].pTextureFilename, "x.png");

    xf::D3DXMesh* original = nullptr;
    ASSERT_EQ(l.skin->GetOriginalMesh(&original), gfx::D3D_OK);
    EXPECT_EQ(original->GetFVF(), gfx::D3DFVF_XYZ);
    EXPECT_EQ(original->GetNumVertices(), 8u);
    EXPECT_EQ(original->GetNumFaces(), 6u);  // each quad as two triangles

    // Clone to the static format, sort by attribute, read the table.
    xf::D3DXMesh* clone = nullptr;
    ASSERT_EQ(original->CloneMeshFVF(0, xf::kFvfStaticMesh, nullptr, &clone), gfx::D3D_OK);
    EXPECT_EQ(clone->GetNumBytesPerVertex(), 36u);
    xf::D3DXMesh* sorted = nullptr;
    ASSERT_EQ(clone->Optimize(xf::D3DXMESHOPT_ATTRSORT, nullptr, nullptr, nullptr, nullptr, &sorted), gfx::D3D_OK);
    gfx::DWORD n = 0;
    sorted->GetAttributeTable(nullptr, &n);
    ASSERT_EQ(n, 2u);
    xf::D3DXATTRIBUTERANGE table[2];
    sorted->GetAttributeTable(table, &n);
    EXPECT_EQ(table[0].AttribId, 0u);
    EXPECT_EQ(table[0].FaceStart, 0u);
    EXPECT_EQ(table[0].FaceCount, 2u);
    EXPECT_EQ(table[0].VertexStart, 2u);
    EXPECT_EQ(table[0].VertexCount, 4u);
    EXPECT_EQ(table[1].AttribId, 1u);
    EXPECT_EQ(table[1].FaceStart, 2u);
    EXPECT_EQ(table[1].FaceCount, 4u);

    // Computed normals face the viewer (-z) for faces wound clockwise.
    ASSERT_EQ(xf::D3DXComputeNormals(sorted, nullptr), gfx::D3D_OK);
    std::uint8_t* bytes = nullptr;
    ASSERT_EQ(sorted->LockVertexBuffer(0, &bytes), gfx::D3D_OK);
    EXPECT_EQ(sorted->LockVertexBuffer(0, &bytes), gfx::D3DERR_INVALIDCALL);  // already locked
    float normal[3];
    std::memcpy(normal, bytes + 12, 12);
    EXPECT_FLOAT_EQ(normal[2], -1.0f);
    std::uint32_t colour;
    std::memcpy(&colour, bytes + 24, 4);
    EXPECT_EQ(colour, 0xFFFFFFFFu);  // a new colour is white
    sorted->UnlockVertexBuffer();
    // A format without a normal gets none computed.
    EXPECT_EQ(xf::D3DXComputeNormals(original, nullptr), gfx::D3DERR_INVALIDCALL);
    sorted->Release();
    clone->Release();
    original->Release();
}

TEST(XMesh, BlendedMeshSplitsFacesIntoPaletteCombinations) {
    Loaded l;
    LoadStrip(&l);
    for (gfx::DWORD palette : {3u, 2u}) {
        SCOPED_TRACE(palette);
        xf::D3DXMesh* blended = nullptr;
        xf::D3DXBuffer* table = nullptr;
        gfx::DWORD count = 0;
        ASSERT_EQ(l.skin->ConvertToIndexedBlendedMesh(xf::D3DXMESH_SYSTEMMEM, nullptr, palette, nullptr, &count, &table,
                                                      nullptr, nullptr, &blended),
                  gfx::D3D_OK);
        EXPECT_EQ(blended->GetFVF(), gfx::D3DFVF_XYZ | 0x8 | 0x1000);  // XYZB3 with index bytes, nothing else
        const auto* c = static_cast<const xf::D3DXBONECOMBINATION*>(table->GetBufferPointer());
        // Material 0 (quad 1: bones A and B), then material 1: quad 0 (A) and
        // quad 2 (B, C) fit one palette of 3, not one of 2.
        ASSERT_EQ(count, palette == 3 ? 2u : 3u);
        EXPECT_EQ(c[0].AttribId, 0u);
        EXPECT_EQ(c[0].FaceStart, 0u);
        EXPECT_EQ(c[0].FaceCount, 2u);
        EXPECT_EQ(c[0].BoneId[0], 0u);
        EXPECT_EQ(c[0].BoneId[1], 1u);
        if (palette == 3) {
            EXPECT_EQ(c[0].BoneId[2], xf::kUnusedBone);
            EXPECT_EQ(c[1].FaceCount, 4u);
            EXPECT_EQ(c[1].BoneId[2], 2u);
        } else {
            EXPECT_EQ(c[1].FaceCount, 2u);
            EXPECT_EQ(c[1].BoneId[0], 0u);
            EXPECT_EQ(c[1].BoneId[1], xf::kUnusedBone);
            EXPECT_EQ(c[2].BoneId[0], 1u);
            EXPECT_EQ(c[2].BoneId[1], 2u);
        }
        // Every index stays in its combination's vertex range; vertex 6 is
        // shared between B and C, half each.
        std::uint8_t* indexBytes = nullptr;
        blended->LockIndexBuffer(0, &indexBytes);
        std::vector<std::uint16_t> indices(3 * blended->GetNumFaces());
        std::memcpy(indices.data(), indexBytes, indices.size() * 2);
        blended->UnlockIndexBuffer();
        for (gfx::DWORD k = 0; k < count; ++k) {
            for (gfx::DWORD i = 3 * c[k].FaceStart; i < 3 * (c[k].FaceStart + c[k].FaceCount); ++i) {
                EXPECT_GE(indices[i], c[k].VertexStart);
                EXPECT_LT(indices[i], c[k].VertexStart + c[k].VertexCount);
            }
        }
        std::uint8_t* vertices = nullptr;
        blended->LockVertexBuffer(0, &vertices);
        bool halfAndHalf = false;
        for (gfx::DWORD v = 0; v < blended->GetNumVertices(); ++v) {
            const std::uint8_t* p = vertices + 24 * v;
            float x, w0, w1;
            std::memcpy(&x, p, 4);
            std::memcpy(&w0, p + 12, 4);
            std::memcpy(&w1, p + 16, 4);
            if (x == 3.0f) halfAndHalf = halfAndHalf || (w0 == 0.5f && w1 == 0.5f);
        }
        EXPECT_TRUE(halfAndHalf);
        blended->UnlockVertexBuffer();
        // The blended format the engine copies: cloning adds the normal, colour and pair.
        xf::D3DXMesh* clone = nullptr;
        ASSERT_EQ(blended->CloneMeshFVF(blended->GetOptions(), xf::kFvfBlendedMesh, nullptr, &clone), gfx::D3D_OK);
        EXPECT_EQ(clone->GetNumBytesPerVertex(), 48u);
        clone->Release();
        blended->Release();
        table->Release();
    }
    // A palette too small for one face's bones fails.
    xf::D3DXMesh* blended = nullptr;
    EXPECT_EQ(l.skin->ConvertToIndexedBlendedMesh(0, nullptr, 1, nullptr, nullptr, nullptr, nullptr, nullptr, &blended),
              gfx::D3DERR_INVALIDCALL);
    EXPECT_EQ(blended, nullptr);
}

TEST(XMesh, VertexFormatsOutsideTheTableAreRefused) {
    Loaded l;
    LoadStrip(&l);
    xf::D3DXMesh* original = nullptr;
    l.skin->GetOriginalMesh(&original);
    xf::D3DXMesh* clone = nullptr;
    EXPECT_EQ(original->CloneMeshFVF(0, gfx::D3DFVF_XYZRHW, nullptr, &clone), gfx::D3DERR_INVALIDCALL);
    EXPECT_EQ(original->CloneMeshFVF(0, gfx::D3DFVF_XYZ | 0x1000, nullptr, &clone), gfx::D3DERR_INVALIDCALL);
    EXPECT_EQ(clone, nullptr);
    original->Release();
}

// Inputs kept from fuzzing (the seeds and any crash it found) run through the
// reader and the mesh operations without a fault.
TEST(XFileFuzzRegressions, KeptInputsRunCleanly) {
    const std::filesystem::path dir = std::filesystem::path(TOLVARIN_TEST_DIR) / "xfile_fuzz_regressions";
    int count = 0;
    for (const auto& file : std::filesystem::directory_iterator(dir)) {
        std::ifstream in(file.path(), std::ios::binary);
        const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        SCOPED_TRACE(file.path().filename().string());
        RunXFileFuzzInput(bytes.data(), bytes.size());
        ++count;
    }
    EXPECT_GE(count, 3);
}

}  // namespace
