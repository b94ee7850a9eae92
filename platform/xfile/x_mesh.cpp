#include "platform/xfile/x_mesh.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <utility>

#include "platform/xfile/x_file_internal.h"

namespace platform::xfile {

namespace {

constexpr DWORD kNone = 0xFFFFFFFFu;

// ---- Vertex formats ------------------------------------------------------------------

struct Layout {
    bool ok = false;
    DWORD stride = 0;
    int weightCount = 0;
    int weights = -1;
    int indices = -1;
    int normal = -1;
    int diffuse = -1;
    int specular = -1;
    int tex = -1;
};

Layout LayoutOf(DWORD fvf) {
    Layout l;
    constexpr DWORD kKnown = 0x00E | gfx::D3DFVF_NORMAL | gfx::D3DFVF_DIFFUSE | gfx::D3DFVF_SPECULAR |
                             gfx::D3DFVF_TEXCOUNT_MASK | D3DFVF_LASTBETA_UBYTE4;
    if (fvf & ~kKnown) return l;
    const DWORD position = fvf & 0x00E;
    int betas = 0;
    switch (position) {
        case gfx::D3DFVF_XYZ: betas = 0; break;
        case D3DFVF_XYZB1: betas = 1; break;
        case D3DFVF_XYZB2: betas = 2; break;
        case D3DFVF_XYZB3: betas = 3; break;
        case D3DFVF_XYZB4: betas = 4; break;
        default: return l;
    }
    DWORD at = 12;
    if (betas > 0) {
        const bool ubyte4 = (fvf & D3DFVF_LASTBETA_UBYTE4) != 0;
        l.weightCount = ubyte4 ? betas - 1 : betas;
        l.weights = static_cast<int>(at);
        at += 4 * static_cast<DWORD>(l.weightCount);
        if (ubyte4) {
            l.indices = static_cast<int>(at);
            at += 4;
        }
    } else if (fvf & D3DFVF_LASTBETA_UBYTE4) {
        return l;
    }
    if (fvf & gfx::D3DFVF_NORMAL) {
        l.normal = static_cast<int>(at);
        at += 12;
    }
    if (fvf & gfx::D3DFVF_DIFFUSE) {
        l.diffuse = static_cast<int>(at);
        at += 4;
    }
    if (fvf & gfx::D3DFVF_SPECULAR) {
        l.specular = static_cast<int>(at);
        at += 4;
    }
    const DWORD texCount = (fvf & gfx::D3DFVF_TEXCOUNT_MASK) >> gfx::D3DFVF_TEXCOUNT_SHIFT;
    if (texCount > 8) return l;
    if (texCount > 0) l.tex = static_cast<int>(at);
    at += 8 * texCount;
    l.stride = at;
    l.ok = true;
    return l;
}

struct FullVertex {
    float position[3] = {};
    float weights[4] = {};
    std::uint8_t indices[4] = {};
    float normal[3] = {};
    std::uint32_t diffuse = 0xFFFFFFFFu;
    float uv[2] = {};
};

FullVertex ReadVertex(const Layout& l, const std::uint8_t* p) {
    FullVertex v;
    std::memcpy(v.position, p, 12);
    if (l.weights >= 0) std::memcpy(v.weights, p + l.weights, 4 * static_cast<std::size_t>(l.weightCount));
    if (l.indices >= 0) std::memcpy(v.indices, p + l.indices, 4);
    if (l.normal >= 0) std::memcpy(v.normal, p + l.normal, 12);
    if (l.diffuse >= 0) std::memcpy(&v.diffuse, p + l.diffuse, 4);
    if (l.tex >= 0) std::memcpy(v.uv, p + l.tex, 8);
    return v;
}

void WriteVertex(const Layout& l, const FullVertex& v, std::uint8_t* p) {
    std::memset(p, 0, l.stride);
    std::memcpy(p, v.position, 12);
    if (l.weights >= 0) std::memcpy(p + l.weights, v.weights, 4 * static_cast<std::size_t>(l.weightCount));
    if (l.indices >= 0) std::memcpy(p + l.indices, v.indices, 4);
    if (l.normal >= 0) std::memcpy(p + l.normal, v.normal, 12);
    if (l.diffuse >= 0) std::memcpy(p + l.diffuse, &v.diffuse, 4);
    if (l.tex >= 0) std::memcpy(p + l.tex, v.uv, 8);
}

// ---- Reading a Mesh object -------------------------------------------------------------

struct LoadedMaterial {
    D3DMATERIAL8 color;
    bool hasTexture = false;
    std::string texture;
};

struct LoadedMesh {
    DWORD fvf = gfx::D3DFVF_XYZ;
    std::vector<FullVertex> vertices;
    std::vector<std::uint16_t> indices;
    std::vector<DWORD> attributes;
    std::vector<LoadedMaterial> materials;
    std::vector<std::string> boneNames;
    std::vector<float> boneOffsets;
    std::vector<std::vector<D3DXSkinMesh::Influence>> influences;
};

struct MeshFault {
    std::uint32_t line;
    std::string message;
};

[[noreturn]] void Fault(std::uint32_t line, const std::string& message) { throw MeshFault{line, message}; }

std::uint32_t ReadU32(ValueCursor& c, const Node* node) {
    std::uint32_t v = 0;
    if (!c.U32(&v)) Fault(NodeLine(node), "the object's data ends early");
    return v;
}

float ReadF32(ValueCursor& c, const Node* node) {
    float v = 0.0f;
    if (!c.F32(&v)) Fault(NodeLine(node), "the object's data ends early");
    return v;
}

std::uint32_t PackColour(float r, float g, float b, float a) {
    auto channel = [](float f) { return static_cast<std::uint32_t>(std::clamp(f, 0.0f, 1.0f) * 255.0f + 0.5f); };
    return (channel(a) << 24) | (channel(r) << 16) | (channel(g) << 8) | channel(b);
}

LoadedMaterial ReadMaterial(const Node* node) {
    LoadedMaterial m;
    ValueCursor c(node);
    D3DMATERIAL8& k = m.color;
    k.Diffuse.r = ReadF32(c, node);
    k.Diffuse.g = ReadF32(c, node);
    k.Diffuse.b = ReadF32(c, node);
    k.Diffuse.a = ReadF32(c, node);
    k.Power = ReadF32(c, node);
    k.Specular.r = ReadF32(c, node);
    k.Specular.g = ReadF32(c, node);
    k.Specular.b = ReadF32(c, node);
    k.Specular.a = 1.0f;
    k.Emissive.r = ReadF32(c, node);
    k.Emissive.g = ReadF32(c, node);
    k.Emissive.b = ReadF32(c, node);
    k.Emissive.a = 1.0f;
    k.Ambient = D3DCOLORVALUE{0.0f, 0.0f, 0.0f, 1.0f};
    for (std::size_t i = 0; i < NodeChildCount(node); ++i) {
        const Node* child = NodeChild(node, i);
        if (NodeType(child) != TID_D3DRMTextureFilename || m.hasTexture) continue;
        ValueCursor t(child);
        const char* name = nullptr;
        if (t.Str(&name) && name) {
            m.hasTexture = true;
            m.texture = name;
        }
    }
    return m;
}

LoadedMesh BuildMesh(const Node* mesh) {
    LoadedMesh out;
    ValueCursor c(mesh);
    const std::uint32_t vertexCount = ReadU32(c, mesh);
    std::vector<float> positions;
    for (std::uint32_t i = 0; i < vertexCount; ++i) {
        for (int k = 0; k < 3; ++k) positions.push_back(ReadF32(c, mesh));
    }
    const std::uint32_t faceCount = ReadU32(c, mesh);
    std::vector<std::uint32_t> faceStart, corners, faceLine;
    for (std::uint32_t f = 0; f < faceCount; ++f) {
        const std::uint32_t n = ReadU32(c, mesh);
        if (n < 3) {
            Fault(c.Line(),
                  "face " + std::to_string(f) + " has " + std::to_string(n) + " corners; a face needs 3 or more");
        }
        faceStart.push_back(static_cast<std::uint32_t>(corners.size()));
        faceLine.push_back(c.Line());
        for (std::uint32_t k = 0; k < n; ++k) {
            const std::uint32_t v = ReadU32(c, mesh);
            if (v >= vertexCount) {
                Fault(c.Line(), "face " + std::to_string(f) + " names vertex " + std::to_string(v) +
                                    ", but the mesh has " + std::to_string(vertexCount) + " vertices");
            }
            corners.push_back(v);
        }
    }
    faceStart.push_back(static_cast<std::uint32_t>(corners.size()));
    auto cornersOf = [&](std::uint32_t f) { return faceStart[f + 1] - faceStart[f]; };

    const Node* normalsNode = nullptr;
    const Node* uvNode = nullptr;
    const Node* coloursNode = nullptr;
    const Node* materialNode = nullptr;
    const Node* headerNode = nullptr;
    std::vector<const Node*> skinNodes;
    for (std::size_t i = 0; i < NodeChildCount(mesh); ++i) {
        const Node* child = NodeChild(mesh, i);
        const Node** slot = nullptr;
        switch (NodeType(child)) {
            case TID_D3DRMMeshNormals: slot = &normalsNode; break;
            case TID_D3DRMMeshTextureCoords: slot = &uvNode; break;
            case TID_D3DRMMeshVertexColors: slot = &coloursNode; break;
            case TID_D3DRMMeshMaterialList: slot = &materialNode; break;
            case TID_XSkinMeshHeader: slot = &headerNode; break;
            case TID_SkinWeights: skinNodes.push_back(child); break;
            default: break;
        }
        if (!slot) continue;
        if (*slot)
            Fault(NodeLine(child),
                  "a mesh holds a second object of one kind (first on line " + std::to_string(NodeLine(*slot)) + ")");
        *slot = child;
    }

    // Normals, indexed per face corner.
    std::vector<float> normals;
    std::vector<std::uint32_t> cornerNormal;
    if (normalsNode) {
        ValueCursor n(normalsNode);
        const std::uint32_t count = ReadU32(n, normalsNode);
        for (std::uint32_t i = 0; i < 3 * count; ++i) normals.push_back(ReadF32(n, normalsNode));
        const std::uint32_t faces = ReadU32(n, normalsNode);
        if (faces != faceCount) {
            Fault(n.Line(),
                  "MeshNormals gives " + std::to_string(faces) + " faces, the mesh has " + std::to_string(faceCount));
        }
        for (std::uint32_t f = 0; f < faces; ++f) {
            const std::uint32_t k = ReadU32(n, normalsNode);
            if (k != cornersOf(f)) {
                Fault(n.Line(), "MeshNormals face " + std::to_string(f) + " has " + std::to_string(k) +
                                    " corners, the mesh's face has " + std::to_string(cornersOf(f)));
            }
            for (std::uint32_t j = 0; j < k; ++j) {
                const std::uint32_t index = ReadU32(n, normalsNode);
                if (index >= count) {
                    Fault(n.Line(), "MeshNormals face " + std::to_string(f) + " names normal " + std::to_string(index) +
                                        ", but there are " + std::to_string(count));
                }
                cornerNormal.push_back(index);
            }
        }
        out.fvf |= gfx::D3DFVF_NORMAL;
    }

    std::vector<float> uvs;
    if (uvNode) {
        ValueCursor t(uvNode);
        const std::uint32_t count = ReadU32(t, uvNode);
        if (count != vertexCount) {
            Fault(t.Line(), "MeshTextureCoords gives " + std::to_string(count) + " pairs, the mesh has " +
                                std::to_string(vertexCount) + " vertices");
        }
        for (std::uint32_t i = 0; i < 2 * count; ++i) uvs.push_back(ReadF32(t, uvNode));
        out.fvf |= gfx::D3DFVF_TEX1;
    }

    std::vector<std::uint32_t> colours(vertexCount, 0xFFFFFFFFu);
    if (coloursNode) {
        ValueCursor k(coloursNode);
        const std::uint32_t count = ReadU32(k, coloursNode);
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::uint32_t index = ReadU32(k, coloursNode);
            if (index >= vertexCount) {
                Fault(k.Line(), "MeshVertexColors names vertex " + std::to_string(index) + ", but the mesh has " +
                                    std::to_string(vertexCount));
            }
            float rgba[4];
            for (float& f : rgba) f = ReadF32(k, coloursNode);
            colours[index] = PackColour(rgba[0], rgba[1], rgba[2], rgba[3]);
        }
        out.fvf |= gfx::D3DFVF_DIFFUSE;
    }

    std::vector<DWORD> faceMaterial(faceCount, 0);
    if (materialNode) {
        ValueCursor m(materialNode);
        const std::uint32_t materialCount = ReadU32(m, materialNode);
        const std::uint32_t indexCount = ReadU32(m, materialNode);
        if (indexCount > faceCount || (indexCount == 0 && faceCount > 0)) {
            Fault(m.Line(), "MeshMaterialList gives " + std::to_string(indexCount) + " face materials for " +
                                std::to_string(faceCount) + " faces");
        }
        for (std::uint32_t f = 0; f < indexCount; ++f) {
            const std::uint32_t index = ReadU32(m, materialNode);
            if (index >= materialCount) {
                Fault(m.Line(), "MeshMaterialList gives face " + std::to_string(f) + " material " +
                                    std::to_string(index) + ", but there are " + std::to_string(materialCount));
            }
            faceMaterial[f] = index;
        }
        // Fewer indices than faces: the last one holds for the rest.
        for (std::uint32_t f = indexCount; f < faceCount; ++f) faceMaterial[f] = faceMaterial[indexCount - 1];
        for (std::size_t i = 0; i < NodeChildCount(materialNode); ++i) {
            const Node* child = NodeChild(materialNode, i);
            if (NodeType(child) == TID_D3DRMMaterial) out.materials.push_back(ReadMaterial(child));
        }
        if (out.materials.size() != materialCount) {
            Fault(NodeLine(materialNode), "MeshMaterialList counts " + std::to_string(materialCount) +
                                              " materials but holds " + std::to_string(out.materials.size()));
        }
    }
    if (out.materials.empty()) {
        LoadedMaterial white;
        white.color.Diffuse = D3DCOLORVALUE{1.0f, 1.0f, 1.0f, 1.0f};
        white.color.Ambient = D3DCOLORVALUE{0.0f, 0.0f, 0.0f, 1.0f};
        white.color.Specular = white.color.Emissive = D3DCOLORVALUE{0.0f, 0.0f, 0.0f, 1.0f};
        out.materials.push_back(white);
    }

    // Vertices: one per file vertex, plus a copy wherever a vertex's faces
    // give it another normal.
    std::vector<std::uint32_t> source(vertexCount);
    std::vector<std::uint32_t> firstNormal(vertexCount, kNone);
    std::map<std::pair<std::uint32_t, std::uint32_t>, std::uint32_t> copies;
    for (std::uint32_t i = 0; i < vertexCount; ++i) source[i] = i;
    auto vertexFor = [&](std::uint32_t v, std::uint32_t normal, std::uint32_t line) -> std::uint32_t {
        if (normal == kNone || firstNormal[v] == kNone || firstNormal[v] == normal) {
            if (normal != kNone) firstNormal[v] = normal;
            return v;
        }
        const auto found = copies.find({v, normal});
        if (found != copies.end()) return found->second;
        const auto index = static_cast<std::uint32_t>(source.size());
        if (index >= 0xFFFF) Fault(line, "the mesh needs more than 65535 vertices");
        source.push_back(v);
        firstNormal.push_back(normal);
        copies[{v, normal}] = index;
        return index;
    };
    if (vertexCount > 0xFFFF) Fault(NodeLine(mesh), "the mesh has more than 65535 vertices");
    for (std::uint32_t f = 0; f < faceCount; ++f) {
        const std::uint32_t first = faceStart[f];
        auto corner = [&](std::uint32_t k) {
            const std::uint32_t at = first + k;
            return vertexFor(corners[at], normalsNode ? cornerNormal[at] : kNone, faceLine[f]);
        };
        for (std::uint32_t k = 1; k + 1 < cornersOf(f); ++k) {
            out.indices.push_back(static_cast<std::uint16_t>(corner(0)));
            out.indices.push_back(static_cast<std::uint16_t>(corner(k)));
            out.indices.push_back(static_cast<std::uint16_t>(corner(k + 1)));
            out.attributes.push_back(faceMaterial[f]);
        }
    }
    out.vertices.resize(source.size());
    for (std::size_t i = 0; i < source.size(); ++i) {
        FullVertex& v = out.vertices[i];
        const std::uint32_t s = source[i];
        std::memcpy(v.position, &positions[3 * static_cast<std::size_t>(s)], 12);
        if (normalsNode && firstNormal[i] != kNone)
            std::memcpy(v.normal, &normals[3 * static_cast<std::size_t>(firstNormal[i])], 12);
        if (uvNode) std::memcpy(v.uv, &uvs[2 * static_cast<std::size_t>(s)], 8);
        v.diffuse = colours[s];
    }

    // Skinning.
    if (headerNode) {
        ValueCursor h(headerNode);
        std::uint16_t perVertex = 0, perFace = 0, bones = 0;
        h.U16(&perVertex);
        h.U16(&perFace);
        h.U16(&bones);
        if (bones != skinNodes.size()) {
            Fault(NodeLine(headerNode), "XSkinMeshHeader counts " + std::to_string(bones) + " bones, the mesh has " +
                                            std::to_string(skinNodes.size()) + " SkinWeights");
        }
    }
    std::vector<std::vector<std::uint32_t>> copiesOf(vertexCount);
    for (std::uint32_t i = 0; i < source.size(); ++i) copiesOf[source[i]].push_back(i);
    out.influences.resize(source.size());
    for (std::size_t b = 0; b < skinNodes.size(); ++b) {
        const Node* node = skinNodes[b];
        ValueCursor s(node);
        const char* name = nullptr;
        if (!s.Str(&name) || !name) Fault(NodeLine(node), "SkinWeights without a frame name");
        out.boneNames.emplace_back(name);
        const std::uint32_t count = ReadU32(s, node);
        std::vector<std::uint32_t> indices;
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::uint32_t index = ReadU32(s, node);
            if (index >= vertexCount) {
                Fault(s.Line(), "SkinWeights '" + std::string(name) + "' names vertex " + std::to_string(index) +
                                    ", but the mesh has " + std::to_string(vertexCount));
            }
            indices.push_back(index);
        }
        for (std::uint32_t i = 0; i < count; ++i) {
            const float w = ReadF32(s, node);
            for (std::uint32_t v : copiesOf[indices[i]]) out.influences[v].push_back({static_cast<DWORD>(b), w});
        }
        for (int k = 0; k < 16; ++k) out.boneOffsets.push_back(ReadF32(s, node));
    }
    return out;
}

std::size_t Aligned(std::size_t n) { return (n + 7) & ~std::size_t{7}; }

}  // namespace

bool CheckMeshNode(const Node* mesh, std::uint32_t* line, std::string* message) {
    try {
        BuildMesh(mesh);
        return true;
    } catch (const MeshFault& fault) {
        *line = fault.line;
        *message = "Mesh '" + std::string(NodeName(mesh)) + "': " + fault.message;
        return false;
    }
}

// ---- Buffer --------------------------------------------------------------------------

D3DXBuffer::D3DXBuffer(std::size_t bytes)
    : storage_(new std::uint64_t[std::max<std::size_t>(1, (bytes + 7) / 8)]()), bytes_(bytes) {}

DWORD D3DXBuffer::AddRef() { return ++refs_; }

DWORD D3DXBuffer::Release() {
    const DWORD left = --refs_;
    if (left == 0) delete this;
    return left;
}

// ---- Mesh ----------------------------------------------------------------------------

D3DXMesh* D3DXMesh::Create(DWORD options, DWORD fvf, DWORD vertices, DWORD faces) {
    const Layout l = LayoutOf(fvf);
    if (!l.ok) return nullptr;
    auto* mesh = new D3DXMesh();
    mesh->options_ = options;
    mesh->fvf_ = fvf;
    mesh->stride_ = l.stride;
    mesh->vertices_.assign(static_cast<std::size_t>(vertices) * l.stride, 0);
    mesh->indices_.assign(static_cast<std::size_t>(faces) * 3, 0);
    mesh->attributes_.assign(faces, 0);
    return mesh;
}

DWORD D3DXMesh::AddRef() { return ++refs_; }

DWORD D3DXMesh::Release() {
    const DWORD left = --refs_;
    if (left == 0) delete this;
    return left;
}

DWORD D3DXMesh::GetNumVertices() const { return stride_ ? static_cast<DWORD>(vertices_.size() / stride_) : 0; }

HRESULT D3DXMesh::CloneMeshFVF(DWORD options, DWORD fvf, gfx::Direct3DDevice8*, D3DXMesh** out) const {
    if (!out) return gfx::D3DERR_INVALIDCALL;
    *out = nullptr;
    const Layout to = LayoutOf(fvf);
    const Layout from = LayoutOf(fvf_);
    if (!to.ok || !from.ok) return gfx::D3DERR_INVALIDCALL;
    D3DXMesh* clone = Create(options, fvf, GetNumVertices(), GetNumFaces());
    for (DWORD i = 0; i < GetNumVertices(); ++i) {
        WriteVertex(to, ReadVertex(from, &vertices_[static_cast<std::size_t>(i) * stride_]),
                    &clone->vertices_[static_cast<std::size_t>(i) * to.stride]);
    }
    clone->indices_ = indices_;
    clone->attributes_ = attributes_;
    clone->table_ = table_;
    *out = clone;
    return gfx::D3D_OK;
}

HRESULT D3DXMesh::Optimize(DWORD flags, const DWORD*, DWORD*, DWORD* faceRemap, D3DXBuffer** vertexRemap,
                           D3DXMesh** out) const {
    if (!out) return gfx::D3DERR_INVALIDCALL;
    *out = nullptr;
    if (vertexRemap) *vertexRemap = nullptr;
    const DWORD faces = GetNumFaces();
    std::vector<DWORD> order(faces);
    for (DWORD f = 0; f < faces; ++f) order[f] = f;
    if (flags & D3DXMESHOPT_ATTRSORT) {
        std::stable_sort(order.begin(), order.end(), [&](DWORD a, DWORD b) { return attributes_[a] < attributes_[b]; });
    }
    D3DXMesh* result = Create(options_, fvf_, GetNumVertices(), faces);
    if (!result) return gfx::D3DERR_INVALIDCALL;
    result->vertices_ = vertices_;
    for (DWORD f = 0; f < faces; ++f) {
        const DWORD from = order[f];
        for (int k = 0; k < 3; ++k) result->indices_[3 * f + k] = indices_[3 * from + k];
        result->attributes_[f] = attributes_[from];
        if (faceRemap) faceRemap[f] = from;
    }
    if (flags & D3DXMESHOPT_ATTRSORT) {
        for (DWORD f = 0; f < faces; ++f) {
            if (result->table_.empty() || result->table_.back().AttribId != result->attributes_[f]) {
                D3DXATTRIBUTERANGE range;
                range.AttribId = result->attributes_[f];
                range.FaceStart = f;
                result->table_.push_back(range);
            }
            ++result->table_.back().FaceCount;
        }
        for (D3DXATTRIBUTERANGE& range : result->table_) {
            DWORD lo = 0xFFFFFFFFu, hi = 0;
            for (DWORD i = 3 * range.FaceStart; i < 3 * (range.FaceStart + range.FaceCount); ++i) {
                lo = std::min<DWORD>(lo, result->indices_[i]);
                hi = std::max<DWORD>(hi, result->indices_[i]);
            }
            range.VertexStart = lo;
            range.VertexCount = hi - lo + 1;
        }
    }
    *out = result;
    return gfx::D3D_OK;
}

HRESULT D3DXMesh::GetAttributeTable(D3DXATTRIBUTERANGE* table, DWORD* size) const {
    if (!size) return gfx::D3DERR_INVALIDCALL;
    if (!table) {
        *size = static_cast<DWORD>(table_.size());
        return gfx::D3D_OK;
    }
    const DWORD n = std::min<DWORD>(*size, static_cast<DWORD>(table_.size()));
    std::copy(table_.begin(), table_.begin() + n, table);
    *size = n;
    return gfx::D3D_OK;
}

HRESULT D3DXMesh::LockVertexBuffer(DWORD, std::uint8_t** data) {
    if (!data || vertexLocked_) return gfx::D3DERR_INVALIDCALL;
    vertexLocked_ = true;
    *data = vertices_.data();
    return gfx::D3D_OK;
}

HRESULT D3DXMesh::UnlockVertexBuffer() {
    if (!vertexLocked_) return gfx::D3DERR_INVALIDCALL;
    vertexLocked_ = false;
    return gfx::D3D_OK;
}

HRESULT D3DXMesh::LockIndexBuffer(DWORD, std::uint8_t** data) {
    if (!data || indexLocked_) return gfx::D3DERR_INVALIDCALL;
    indexLocked_ = true;
    *data = reinterpret_cast<std::uint8_t*>(indices_.data());
    return gfx::D3D_OK;
}

HRESULT D3DXMesh::UnlockIndexBuffer() {
    if (!indexLocked_) return gfx::D3DERR_INVALIDCALL;
    indexLocked_ = false;
    return gfx::D3D_OK;
}

HRESULT D3DXMesh::LockAttributeBuffer(DWORD, DWORD** data) {
    if (!data || attributeLocked_) return gfx::D3DERR_INVALIDCALL;
    attributeLocked_ = true;
    *data = attributes_.data();
    return gfx::D3D_OK;
}

HRESULT D3DXMesh::UnlockAttributeBuffer() {
    if (!attributeLocked_) return gfx::D3DERR_INVALIDCALL;
    attributeLocked_ = false;
    return gfx::D3D_OK;
}

HRESULT D3DXComputeNormals(D3DXMesh* mesh, const DWORD*) {
    if (!mesh) return gfx::D3DERR_INVALIDCALL;
    const Layout l = LayoutOf(mesh->fvf_);
    if (!l.ok || l.normal < 0) return gfx::D3DERR_INVALIDCALL;
    const DWORD count = mesh->GetNumVertices();
    std::vector<float> sums(3 * static_cast<std::size_t>(count), 0.0f);
    auto position = [&](DWORD i, float* p) {
        std::memcpy(p, &mesh->vertices_[static_cast<std::size_t>(i) * l.stride], 12);
    };
    for (DWORD f = 0; f < mesh->GetNumFaces(); ++f) {
        const DWORD i0 = mesh->indices_[3 * f], i1 = mesh->indices_[3 * f + 1], i2 = mesh->indices_[3 * f + 2];
        if (i0 >= count || i1 >= count || i2 >= count) continue;
        float p0[3], p1[3], p2[3];
        position(i0, p0);
        position(i1, p1);
        position(i2, p2);
        const float a[3] = {p1[0] - p0[0], p1[1] - p0[1], p1[2] - p0[2]};
        const float b[3] = {p2[0] - p0[0], p2[1] - p0[1], p2[2] - p0[2]};
        const float n[3] = {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
        for (DWORD i : {i0, i1, i2}) {
            for (int k = 0; k < 3; ++k) sums[3 * static_cast<std::size_t>(i) + k] += n[k];
        }
    }
    for (DWORD i = 0; i < count; ++i) {
        float* n = &sums[3 * static_cast<std::size_t>(i)];
        const float length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
        if (length > 0.0f) {
            for (int k = 0; k < 3; ++k) n[k] /= length;
        }
        std::memcpy(&mesh->vertices_[static_cast<std::size_t>(i) * l.stride + static_cast<std::size_t>(l.normal)], n,
                    12);
    }
    return gfx::D3D_OK;
}

// ---- Skinned mesh --------------------------------------------------------------------

D3DXSkinMesh::~D3DXSkinMesh() {
    if (mesh_) mesh_->Release();
}

DWORD D3DXSkinMesh::AddRef() { return ++refs_; }

DWORD D3DXSkinMesh::Release() {
    const DWORD left = --refs_;
    if (left == 0) delete this;
    return left;
}

HRESULT D3DXSkinMesh::GetOriginalMesh(D3DXMesh** out) {
    if (!out || !mesh_) return gfx::D3DERR_INVALIDCALL;
    mesh_->AddRef();
    *out = mesh_;
    return gfx::D3D_OK;
}

HRESULT D3DXSkinMesh::ConvertToIndexedBlendedMesh(DWORD options, const DWORD*, DWORD paletteSize, DWORD*,
                                                  DWORD* combinationCount, D3DXBuffer** combinationTable, DWORD*,
                                                  D3DXBuffer** vertexRemap, D3DXMesh** out) {
    if (!out || !mesh_ || paletteSize == 0 || paletteSize > 256) return gfx::D3DERR_INVALIDCALL;
    *out = nullptr;
    if (vertexRemap) *vertexRemap = nullptr;
    const Layout from = LayoutOf(mesh_->fvf_);
    const DWORD vertexCount = mesh_->GetNumVertices();
    const DWORD faceCount = mesh_->GetNumFaces();

    // Each vertex's three strongest bones, their weights scaled to sum to 1.
    std::vector<std::vector<Influence>> kept(vertexCount);
    for (DWORD v = 0; v < vertexCount; ++v) {
        std::vector<Influence> list;
        for (const Influence& i : influences_[v]) {
            if (i.weight > 0.0f) list.push_back(i);
        }
        std::stable_sort(list.begin(), list.end(),
                         [](const Influence& a, const Influence& b) { return a.weight > b.weight; });
        if (list.size() > 3) list.resize(3);
        float sum = 0.0f;
        for (const Influence& i : list) sum += i.weight;
        // A vertex no bone moves follows the first bone.
        if (list.empty() || !(sum > 0.0f)) list.assign(1, Influence{0, 1.0f});
        else
            for (Influence& i : list) i.weight /= sum;
        kept[v] = std::move(list);
    }

    struct Combination {
        DWORD attribute = 0;
        std::vector<DWORD> bones;
        std::vector<DWORD> faces;
    };
    std::vector<DWORD> order(faceCount);
    for (DWORD f = 0; f < faceCount; ++f) order[f] = f;
    std::stable_sort(order.begin(), order.end(),
                     [&](DWORD a, DWORD b) { return mesh_->attributes_[a] < mesh_->attributes_[b]; });
    std::vector<Combination> combinations;
    for (DWORD f : order) {
        std::vector<DWORD> bones;
        for (int k = 0; k < 3; ++k) {
            const DWORD v = mesh_->indices_[3 * f + k];
            if (v >= vertexCount) return gfx::D3DERR_INVALIDCALL;
            for (const Influence& i : kept[v]) {
                if (std::find(bones.begin(), bones.end(), i.bone) == bones.end()) bones.push_back(i.bone);
            }
        }
        if (bones.size() > paletteSize) return gfx::D3DERR_INVALIDCALL;
        const DWORD attribute = mesh_->attributes_[f];
        bool fits = !combinations.empty() && combinations.back().attribute == attribute;
        if (fits) {
            std::size_t added = 0;
            for (DWORD b : bones) {
                const auto& have = combinations.back().bones;
                if (std::find(have.begin(), have.end(), b) == have.end()) ++added;
            }
            fits = combinations.back().bones.size() + added <= paletteSize;
        }
        if (!fits) {
            combinations.push_back(Combination{});
            combinations.back().attribute = attribute;
        }
        Combination& c = combinations.back();
        for (DWORD b : bones) {
            if (std::find(c.bones.begin(), c.bones.end(), b) == c.bones.end()) c.bones.push_back(b);
        }
        c.faces.push_back(f);
    }

    // Each combination gets its own copies of its vertices, numbered by the
    // palette slots of their bones.
    DWORD fvf = D3DFVF_XYZB3 | D3DFVF_LASTBETA_UBYTE4;
    if (from.normal >= 0) fvf |= gfx::D3DFVF_NORMAL;
    if (from.diffuse >= 0) fvf |= gfx::D3DFVF_DIFFUSE;
    if (from.tex >= 0) fvf |= gfx::D3DFVF_TEX1;
    const Layout to = LayoutOf(fvf);
    std::vector<FullVertex> vertices;
    std::vector<std::uint16_t> indices;
    std::vector<DWORD> attributes;
    std::vector<D3DXATTRIBUTERANGE> ranges;
    for (const Combination& c : combinations) {
        D3DXATTRIBUTERANGE range;
        range.AttribId = c.attribute;
        range.FaceStart = static_cast<DWORD>(attributes.size());
        range.FaceCount = static_cast<DWORD>(c.faces.size());
        range.VertexStart = static_cast<DWORD>(vertices.size());
        std::map<DWORD, DWORD> local;
        for (DWORD f : c.faces) {
            for (int k = 0; k < 3; ++k) {
                const DWORD v = mesh_->indices_[3 * f + k];
                auto found = local.find(v);
                if (found == local.end()) {
                    if (vertices.size() >= 0xFFFF) return gfx::D3DERR_INVALIDCALL;
                    FullVertex vertex = ReadVertex(from, &mesh_->vertices_[static_cast<std::size_t>(v) * from.stride]);
                    std::fill(std::begin(vertex.weights), std::end(vertex.weights), 0.0f);
                    std::fill(std::begin(vertex.indices), std::end(vertex.indices), 0);
                    const std::vector<Influence>& list = kept[v];
                    for (std::size_t i = 0; i < list.size(); ++i) {
                        const auto slot = std::find(c.bones.begin(), c.bones.end(), list[i].bone) - c.bones.begin();
                        vertex.indices[i] = static_cast<std::uint8_t>(slot);
                        if (i < 2) vertex.weights[i] = list[i].weight;
                    }
                    found = local.emplace(v, static_cast<DWORD>(vertices.size())).first;
                    vertices.push_back(vertex);
                }
                indices.push_back(static_cast<std::uint16_t>(found->second));
            }
            attributes.push_back(c.attribute);
        }
        range.VertexCount = static_cast<DWORD>(vertices.size()) - range.VertexStart;
        ranges.push_back(range);
    }

    D3DXMesh* result =
        D3DXMesh::Create(options, fvf, static_cast<DWORD>(vertices.size()), static_cast<DWORD>(attributes.size()));
    if (!result) return gfx::D3DERR_INVALIDCALL;
    for (std::size_t i = 0; i < vertices.size(); ++i) WriteVertex(to, vertices[i], &result->vertices_[i * to.stride]);
    result->indices_ = std::move(indices);
    result->attributes_ = std::move(attributes);
    result->table_ = ranges;

    if (combinationTable) {
        const std::size_t records = Aligned(sizeof(D3DXBONECOMBINATION) * ranges.size());
        auto* buffer = new D3DXBuffer(records + sizeof(DWORD) * paletteSize * ranges.size());
        auto* base = static_cast<std::uint8_t*>(buffer->GetBufferPointer());
        for (std::size_t i = 0; i < ranges.size(); ++i) {
            D3DXBONECOMBINATION record;
            record.AttribId = ranges[i].AttribId;
            record.FaceStart = ranges[i].FaceStart;
            record.FaceCount = ranges[i].FaceCount;
            record.VertexStart = ranges[i].VertexStart;
            record.VertexCount = ranges[i].VertexCount;
            record.BoneId = reinterpret_cast<DWORD*>(base + records) + i * paletteSize;
            for (DWORD s = 0; s < paletteSize; ++s) {
                record.BoneId[s] = s < combinations[i].bones.size() ? combinations[i].bones[s] : kUnusedBone;
            }
            std::memcpy(base + i * sizeof(D3DXBONECOMBINATION), &record, sizeof record);
        }
        *combinationTable = buffer;
    }
    if (combinationCount) *combinationCount = static_cast<DWORD>(ranges.size());
    *out = result;
    return gfx::D3D_OK;
}

// ---- Loading -------------------------------------------------------------------------

HRESULT D3DXLoadSkinMeshFromXof(DirectXFileData* meshData, DWORD options, gfx::Direct3DDevice8*, D3DXBuffer** adjacency,
                                D3DXBuffer** materials, DWORD* materialCount, D3DXBuffer** boneNames,
                                D3DXBuffer** boneTransforms, D3DXSkinMesh** out) {
    for (D3DXBuffer** b : {adjacency, materials, boneNames, boneTransforms}) {
        if (b) *b = nullptr;
    }
    if (out) *out = nullptr;
    if (materialCount) *materialCount = 0;
    if (!meshData || NodeType(meshData->GetNode()) != TID_D3DRMMesh) return gfx::D3DERR_INVALIDCALL;
    LoadedMesh loaded;
    try {
        loaded = BuildMesh(meshData->GetNode());
    } catch (const MeshFault&) {
        return gfx::D3DERR_INVALIDCALL;
    }
    D3DXMesh* mesh = D3DXMesh::Create(options, loaded.fvf, static_cast<DWORD>(loaded.vertices.size()),
                                      static_cast<DWORD>(loaded.attributes.size()));
    if (!mesh) return gfx::D3DERR_INVALIDCALL;
    const Layout layout = LayoutOf(loaded.fvf);
    for (std::size_t i = 0; i < loaded.vertices.size(); ++i) {
        WriteVertex(layout, loaded.vertices[i], &mesh->vertices_[i * layout.stride]);
    }
    mesh->indices_ = loaded.indices;
    mesh->attributes_ = loaded.attributes;

    if (adjacency) {
        // Not computed: every edge is reported without a neighbour.
        auto* buffer = new D3DXBuffer(sizeof(DWORD) * 3 * loaded.attributes.size());
        std::fill_n(static_cast<DWORD*>(buffer->GetBufferPointer()), 3 * loaded.attributes.size(), kNone);
        *adjacency = buffer;
    }
    if (materials) {
        std::size_t bytes = Aligned(sizeof(D3DXMATERIAL) * loaded.materials.size());
        for (const LoadedMaterial& m : loaded.materials) bytes += m.hasTexture ? m.texture.size() + 1 : 0;
        auto* buffer = new D3DXBuffer(bytes);
        auto* base = static_cast<std::uint8_t*>(buffer->GetBufferPointer());
        char* text = reinterpret_cast<char*>(base + Aligned(sizeof(D3DXMATERIAL) * loaded.materials.size()));
        for (std::size_t i = 0; i < loaded.materials.size(); ++i) {
            D3DXMATERIAL record;
            record.MatD3D = loaded.materials[i].color;
            if (loaded.materials[i].hasTexture) {
                std::memcpy(text, loaded.materials[i].texture.c_str(), loaded.materials[i].texture.size() + 1);
                record.pTextureFilename = text;
                text += loaded.materials[i].texture.size() + 1;
            }
            std::memcpy(base + i * sizeof(D3DXMATERIAL), &record, sizeof record);
        }
        *materials = buffer;
    }
    if (materialCount) *materialCount = static_cast<DWORD>(loaded.materials.size());
    if (boneNames) {
        const std::size_t table = Aligned(sizeof(char*) * loaded.boneNames.size());
        std::size_t bytes = table;
        for (const std::string& n : loaded.boneNames) bytes += n.size() + 1;
        auto* buffer = new D3DXBuffer(bytes);
        auto* base = static_cast<std::uint8_t*>(buffer->GetBufferPointer());
        char* text = reinterpret_cast<char*>(base + table);
        for (std::size_t i = 0; i < loaded.boneNames.size(); ++i) {
            std::memcpy(text, loaded.boneNames[i].c_str(), loaded.boneNames[i].size() + 1);
            std::memcpy(base + i * sizeof(char*), &text, sizeof text);
            text += loaded.boneNames[i].size() + 1;
        }
        *boneNames = buffer;
    }
    if (boneTransforms) {
        auto* buffer = new D3DXBuffer(sizeof(float) * loaded.boneOffsets.size());
        if (!loaded.boneOffsets.empty()) {
            std::memcpy(buffer->GetBufferPointer(), loaded.boneOffsets.data(),
                        sizeof(float) * loaded.boneOffsets.size());
        }
        *boneTransforms = buffer;
    }
    if (out) {
        auto* skin = new D3DXSkinMesh();
        skin->mesh_ = mesh;
        skin->names_ = std::move(loaded.boneNames);
        skin->influences_ = std::move(loaded.influences);
        *out = skin;
    } else {
        mesh->Release();
    }
    return gfx::D3D_OK;
}

}  // namespace platform::xfile
