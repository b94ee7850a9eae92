#pragma once
// Our reader of DirectX X files in their text form ("xof 0302txt 0032"). A
// file is read and checked whole when it is opened; what comes back is an
// enumeration of the top-level data objects, each with its template, name,
// packed data (in the template's member order, strings as pointers) and its
// children, which are data objects or references to named objects.
//
// The reader knows the standard templates of meshes, frames, materials,
// skinning and animation, and the templates a file declares itself. Binary
// and compressed files are refused, and so is every malformed file:
// truncated, counts that do not match the values, indices out of range,
// objects of templates nobody declared. The message names the line.
//
// Objects are reference counted: every object handed out carries one
// reference the caller gives back with Release(); the file stays alive while
// any of its objects does.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/gfx/types.h"

namespace platform::xfile {

using gfx::DWORD;
using gfx::HRESULT;

// Template identifiers (GetType). Templates a file declares itself are
// numbered from TID_FirstDeclared on.
enum TemplateId : DWORD {
    TID_Unknown = 0,
    TID_Header,
    TID_Vector,
    TID_Coords2d,
    TID_Matrix4x4,
    TID_ColorRGBA,
    TID_ColorRGB,
    TID_IndexedColor,
    TID_Boolean,
    TID_Boolean2d,
    TID_MaterialWrap,
    TID_MeshFace,
    TID_MeshFaceWraps,
    TID_D3DRMMaterial,
    TID_D3DRMTextureFilename,
    TID_D3DRMMesh,
    TID_D3DRMMeshNormals,
    TID_D3DRMMeshTextureCoords,
    TID_D3DRMMeshMaterialList,
    TID_D3DRMMeshVertexColors,
    TID_VertexDuplicationIndices,
    TID_D3DRMFrame,
    TID_D3DRMFrameTransformMatrix,
    TID_XSkinMeshHeader,
    TID_SkinWeights,
    TID_D3DRMAnimationSet,
    TID_D3DRMAnimation,
    TID_D3DRMAnimationKey,
    TID_D3DRMAnimationOptions,
    TID_FloatKeys,
    TID_TimedFloatKeys,
    TID_FirstDeclared = 1000,
};

// Interface identifiers for QueryInterface.
enum InterfaceId : DWORD {
    IID_IDirectXFileObject = 1,
    IID_IDirectXFileData,
    IID_IDirectXFileDataReference,
};

// Result codes of the reader.
constexpr HRESULT DXFILE_OK = 0;
constexpr HRESULT DXFILEERR_BADVALUE = gfx::MakeError(0x88760355u);
constexpr HRESULT DXFILEERR_BADFILE = gfx::MakeError(0x88760376u);
constexpr HRESULT DXFILEERR_NOMOREOBJECTS = gfx::MakeError(0x88760368u);
constexpr HRESULT DXFILEERR_NOTFOUND = gfx::MakeError(0x88760369u);
constexpr HRESULT DXFILEERR_BADINTERFACE = gfx::MakeError(0x8876036Au);

struct ParsedFile;
struct Node;

class DirectXFileObject {
public:
    virtual ~DirectXFileObject() = default;
    DWORD AddRef();
    DWORD Release();
    // With a null buffer *length receives the size the name needs with its
    // terminator (0 for an unnamed object); otherwise the name is copied,
    // cut to *length - 1 characters, and *length receives the copied size.
    HRESULT GetName(char* buffer, DWORD* length) const;
    // A data object or a reference, with one reference added, or
    // DXFILEERR_BADINTERFACE when the object is not of that kind.
    HRESULT QueryInterface(InterfaceId iid, void** out);

    // The line of the file the object starts on (for messages).
    std::uint32_t Line() const;
    const Node* GetNode() const { return node_; }

protected:
    DirectXFileObject(std::shared_ptr<ParsedFile> file, const Node* node) : file_(std::move(file)), node_(node) {}
    std::shared_ptr<ParsedFile> file_;
    const Node* node_;

private:
    DWORD refs_ = 1;
};

class DirectXFileData : public DirectXFileObject {
public:
    DirectXFileData(std::shared_ptr<ParsedFile> file, const Node* node) : DirectXFileObject(std::move(file), node) {}
    HRESULT GetType(TemplateId* out) const;
    // The whole object's packed data when `member` is null; a named member
    // is not supported (DXFILEERR_NOTFOUND).
    HRESULT GetData(const char* member, DWORD* size, void** data) const;
    // The children in file order; DXFILEERR_NOMOREOBJECTS after the last.
    HRESULT GetNextObject(DirectXFileObject** out);

private:
    std::size_t nextChild_ = 0;
};

class DirectXFileDataReference : public DirectXFileObject {
public:
    DirectXFileDataReference(std::shared_ptr<ParsedFile> file, const Node* node)
        : DirectXFileObject(std::move(file), node) {}
    // The named object the reference points to.
    HRESULT Resolve(DirectXFileData** out) const;
};

class DirectXFileEnumObject {
public:
    explicit DirectXFileEnumObject(std::shared_ptr<ParsedFile> file) : file_(std::move(file)) {}
    DWORD AddRef();
    DWORD Release();
    // The top-level data objects in file order; DXFILEERR_NOMOREOBJECTS after
    // the last.
    HRESULT GetNextDataObject(DirectXFileData** out);

private:
    std::shared_ptr<ParsedFile> file_;
    std::size_t next_ = 0;
    DWORD refs_ = 1;
};

// Opens an X file. On failure returns null and, when `error` is given, says
// why: "<name>: line <n>: <what>" (or "<name>: <what>" for the file as a whole).
DirectXFileEnumObject* CreateEnumObjectFromFile(const char* path, std::string* error);
// The same from bytes in memory; `name` stands for the file in messages.
DirectXFileEnumObject* CreateEnumObjectFromMemory(const void* data, std::size_t size, const char* name,
                                                  std::string* error);

// ---- For the mesh loader: reading an object's parsed values ----------------------------

// Reads the packed values of a data object in member order. A read past the
// end fails (and keeps failing); the line of the last value read is kept for
// messages.
class ValueCursor {
public:
    explicit ValueCursor(const Node* node);
    bool U32(std::uint32_t* out);
    bool U16(std::uint16_t* out);
    bool F32(float* out);
    bool Str(const char** out);
    std::uint32_t Line() const { return line_; }

private:
    bool Take(std::size_t bytes, void* out);
    const Node* node_;
    std::size_t offset_ = 0;
    std::size_t value_ = 0;
    std::uint32_t line_ = 0;
};

// Node access for the platform's own loaders.
TemplateId NodeType(const Node* node);
const char* NodeName(const Node* node);
std::uint32_t NodeLine(const Node* node);
std::size_t NodeChildCount(const Node* node);
// The child as a data object: the object itself, or the object a reference
// names (null when unresolved).
const Node* NodeChild(const Node* node, std::size_t index);
bool NodeChildIsReference(const Node* node, std::size_t index);

}  // namespace platform::xfile
