#pragma once
// Our stand-in for the utility library's meshes as the X-file loading uses
// them: a mesh (and a skinned mesh) built from a Mesh data object of an X
// file, with its materials, bone names and bone offset matrices; cloning to
// another vertex format, the attribute sort and its attribute table, normal
// computation, and the conversion of a skinned mesh to an indexed blended
// mesh with bone combinations for a matrix palette.
//
// Vertex formats: a position (D3DFVF_XYZ, or D3DFVF_XYZB1..XYZB4 with
// D3DFVF_LASTBETA_UBYTE4 making the last beta four bone-index bytes), then
// optionally a normal, a diffuse colour and 2D texture coordinates.
// Objects are reference counted like the device's.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/gfx/device.h"
#include "platform/xfile/x_file.h"

namespace platform::xfile {

constexpr DWORD D3DFVF_XYZB1 = 0x006;
constexpr DWORD D3DFVF_XYZB2 = 0x008;
constexpr DWORD D3DFVF_XYZB3 = 0x00A;
constexpr DWORD D3DFVF_XYZB4 = 0x00C;
constexpr DWORD D3DFVF_LASTBETA_UBYTE4 = 0x1000;
// Position, normal, colour, one texture-coordinate pair (36 bytes).
constexpr DWORD kFvfStaticMesh = 0x152;
// Position, two weights, four bone-index bytes, normal, colour, one pair (48 bytes).
constexpr DWORD kFvfBlendedMesh = 0x115A;

constexpr DWORD D3DXMESH_SYSTEMMEM = 0x110;
constexpr DWORD D3DXMESH_MANAGED = 0x220;
constexpr DWORD D3DXMESHOPT_ATTRSORT = 0x2000000;
constexpr DWORD kUnusedBone = 0xFFFFFFFFu;

struct D3DCOLORVALUE {
    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
    float a = 0.0f;
};

struct D3DMATERIAL8 {
    D3DCOLORVALUE Diffuse;
    D3DCOLORVALUE Ambient;
    D3DCOLORVALUE Specular;
    D3DCOLORVALUE Emissive;
    float Power = 0.0f;
};

// One material of a loaded mesh: its colours and its texture file (null for none).
struct D3DXMATERIAL {
    D3DMATERIAL8 MatD3D;
    char* pTextureFilename = nullptr;
};

struct D3DXATTRIBUTERANGE {
    DWORD AttribId = 0;
    DWORD FaceStart = 0;
    DWORD FaceCount = 0;
    DWORD VertexStart = 0;
    DWORD VertexCount = 0;
};

// A run of faces drawn with one palette: BoneId holds the palette's bone
// numbers (kUnusedBone for an empty slot).
struct D3DXBONECOMBINATION {
    DWORD AttribId = 0;
    DWORD FaceStart = 0;
    DWORD FaceCount = 0;
    DWORD VertexStart = 0;
    DWORD VertexCount = 0;
    DWORD* BoneId = nullptr;
};

class D3DXBuffer {
public:
    explicit D3DXBuffer(std::size_t bytes);
    DWORD AddRef();
    DWORD Release();
    void* GetBufferPointer() { return bytes_ ? storage_.get() : nullptr; }
    DWORD GetBufferSize() const { return static_cast<DWORD>(bytes_); }

private:
    std::unique_ptr<std::uint64_t[]> storage_;
    std::size_t bytes_;
    DWORD refs_ = 1;
};

class D3DXSkinMesh;

class D3DXMesh {
public:
    DWORD AddRef();
    DWORD Release();
    DWORD GetFVF() const { return fvf_; }
    DWORD GetOptions() const { return options_; }
    DWORD GetNumVertices() const;
    DWORD GetNumFaces() const { return static_cast<DWORD>(attributes_.size()); }
    DWORD GetNumBytesPerVertex() const { return stride_; }
    // A copy in another vertex format: fields both formats have are copied,
    // new ones are zero (a new colour is white). Unknown formats fail.
    HRESULT CloneMeshFVF(DWORD options, DWORD fvf, gfx::Direct3DDevice8* device, D3DXMesh** out) const;
    // With D3DXMESHOPT_ATTRSORT the faces are sorted by attribute (keeping
    // their order within one attribute) and the attribute table is built.
    HRESULT Optimize(DWORD flags, const DWORD* adjacencyIn, DWORD* adjacencyOut, DWORD* faceRemap,
                     D3DXBuffer** vertexRemap, D3DXMesh** out) const;
    // With a null table *size receives the number of ranges; otherwise up to
    // *size ranges are copied and *size receives the number copied.
    HRESULT GetAttributeTable(D3DXATTRIBUTERANGE* table, DWORD* size) const;
    HRESULT LockVertexBuffer(DWORD flags, std::uint8_t** data);
    HRESULT UnlockVertexBuffer();
    // 16-bit indices, three per face.
    HRESULT LockIndexBuffer(DWORD flags, std::uint8_t** data);
    HRESULT UnlockIndexBuffer();
    HRESULT LockAttributeBuffer(DWORD flags, DWORD** data);
    HRESULT UnlockAttributeBuffer();

    // Made by the loader and the conversions.
    static D3DXMesh* Create(DWORD options, DWORD fvf, DWORD vertices, DWORD faces);

private:
    D3DXMesh() = default;
    DWORD fvf_ = 0;
    DWORD options_ = 0;
    DWORD stride_ = 0;
    std::vector<std::uint8_t> vertices_;
    std::vector<std::uint16_t> indices_;
    std::vector<DWORD> attributes_;
    std::vector<D3DXATTRIBUTERANGE> table_;
    bool vertexLocked_ = false;
    bool indexLocked_ = false;
    bool attributeLocked_ = false;
    DWORD refs_ = 1;
    friend class D3DXSkinMesh;
    friend HRESULT D3DXComputeNormals(D3DXMesh* mesh, const DWORD* adjacency);
    friend HRESULT D3DXLoadSkinMeshFromXof(DirectXFileData*, DWORD, gfx::Direct3DDevice8*, D3DXBuffer**, D3DXBuffer**,
                                           DWORD*, D3DXBuffer**, D3DXBuffer**, D3DXSkinMesh**);
};

class D3DXSkinMesh {
public:
    ~D3DXSkinMesh();
    DWORD AddRef();
    DWORD Release();
    DWORD GetNumBones() const { return static_cast<DWORD>(names_.size()); }
    // The mesh as loaded, with one reference added.
    HRESULT GetOriginalMesh(D3DXMesh** out);
    // Faces grouped by attribute and then into combinations of at most
    // paletteSize bones; each vertex keeps its three strongest bones (two
    // weights, the third weight is what they leave of 1) as palette slots of
    // its combination. The result has the format kFvfBlendedMesh less the
    // normal, colour or texture coordinates the loaded mesh lacks.
    HRESULT ConvertToIndexedBlendedMesh(DWORD options, const DWORD* adjacencyIn, DWORD paletteSize, DWORD* adjacencyOut,
                                        DWORD* combinationCount, D3DXBuffer** combinationTable, DWORD* faceRemap,
                                        D3DXBuffer** vertexRemap, D3DXMesh** out);

    struct Influence {
        DWORD bone;
        float weight;
    };

private:
    D3DXSkinMesh() = default;
    D3DXMesh* mesh_ = nullptr;
    std::vector<std::string> names_;
    std::vector<std::vector<Influence>> influences_;  // per vertex of the mesh
    DWORD refs_ = 1;
    friend HRESULT D3DXLoadSkinMeshFromXof(DirectXFileData*, DWORD, gfx::Direct3DDevice8*, D3DXBuffer**, D3DXBuffer**,
                                           DWORD*, D3DXBuffer**, D3DXBuffer**, D3DXSkinMesh**);
};

// Loads the Mesh data object: the mesh (its own normals, colours and texture
// coordinates where the file gives them; faces of more than three corners as
// fans; a vertex split where its faces give it different normals), its
// materials (a default white one when the file has no material list), the
// bone names (an array of char*), the bone offset matrices (16 floats each)
// and the skinned mesh. Outputs may be null when not wanted.
HRESULT D3DXLoadSkinMeshFromXof(DirectXFileData* meshData, DWORD options, gfx::Direct3DDevice8* device,
                                D3DXBuffer** adjacency, D3DXBuffer** materials, DWORD* materialCount,
                                D3DXBuffer** boneNames, D3DXBuffer** boneTransforms, D3DXSkinMesh** out);

// Each vertex's normal := the normalised sum of its faces' normals (weighted
// by area, faces wound clockwise seen from the front).
HRESULT D3DXComputeNormals(D3DXMesh* mesh, const DWORD* adjacency);

}  // namespace platform::xfile
