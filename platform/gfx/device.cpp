#include "platform/gfx/device.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <map>
#include <new>
#include <optional>
#include <utility>

#include "platform/gfx/draw_list.h"
#include "platform/gfx/present.h"
#include "platform/gfx/raster.h"
#include "platform/window.h"

namespace platform::gfx {

// ---------------------------------------------------------------------------
// The simulated machine.

EnvironmentConfig DefaultEnvironment() {
    EnvironmentConfig e;
    const std::uint32_t sizes[][2] = {{640, 480}, {800, 600}, {1024, 768}};
    for (D3DFORMAT f : {D3DFMT_X8R8G8B8, D3DFMT_R5G6B5}) {
        for (const auto& s : sizes) e.modes.push_back(D3DDISPLAYMODE{s[0], s[1], 60, f});
    }
    e.desktop = D3DDISPLAYMODE{1024, 768, 60, D3DFMT_X8R8G8B8};
    e.textureFormats = {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5,  D3DFMT_X1R5G5B5,
                        D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4, D3DFMT_X4R4G4B4};
    e.renderTargetFormats = {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5, D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5};
    D3DCAPS8& c = e.halCaps;
    c.DeviceType = D3DDEVTYPE_HAL;
    c.DevCaps = D3DDEVCAPS_HWRASTERIZATION | D3DDEVCAPS_HWTRANSFORMANDLIGHT | D3DDEVCAPS_PUREDEVICE;
    c.PrimitiveMiscCaps = D3DPMISCCAPS_CULLNONE | D3DPMISCCAPS_CULLCW | D3DPMISCCAPS_CULLCCW | D3DPMISCCAPS_BLENDOP;
    c.MaxTextureWidth = 4096;
    c.MaxTextureHeight = 4096;
    c.MaxTextureAspectRatio = 4096;
    c.MaxTextureRepeat = 8192;
    c.GuardBandLeft = -8192;
    c.GuardBandTop = -8192;
    c.GuardBandRight = 8192;
    c.GuardBandBottom = 8192;
    c.MaxTextureBlendStages = 4;
    c.MaxSimultaneousTextures = 4;
    c.MaxActiveLights = 8;
    c.MaxPointSize = 1.0f;
    c.MaxPrimitiveCount = 0xFFFFF;
    c.MaxVertexIndex = 0xFFFF;
    c.MaxStreams = 1;
    c.MaxStreamStride = 256;
    c.VertexShaderVersion = D3DVS_VERSION(1, 1);
    c.MaxVertexShaderConst = kVertexShaderConstants;
    c.PixelShaderVersion = 0;
    return e;
}

EnvironmentConfig& GraphicsEnvironment() {
    static EnvironmentConfig env = DefaultEnvironment();
    return env;
}

void ResetGraphicsEnvironment() { GraphicsEnvironment() = DefaultEnvironment(); }

namespace {
std::atomic<bool> g_drawing{true};
}  // namespace

void SetDrawingEnabled(bool on) { g_drawing.store(on, std::memory_order_relaxed); }
bool DrawingEnabled() { return g_drawing.load(std::memory_order_relaxed); }

struct GraphicsLibrary {
    int unused = 0;
};

GraphicsLibrary* LoadGraphicsLibrary(const char* name) {
    if (GraphicsEnvironment().libraryMissing || !name) return nullptr;
    return new GraphicsLibrary;
}

Direct3DCreate8Fn FindCreateFunction(GraphicsLibrary* library, const char* name) {
    if (!library || GraphicsEnvironment().createFunctionMissing || !name || std::strcmp(name, "Direct3DCreate8") != 0) {
        return nullptr;
    }
    return &Direct3DCreate8;
}

void FreeGraphicsLibrary(GraphicsLibrary* library) { delete library; }

Direct3D8* Direct3DCreate8(std::uint32_t sdkVersion) {
    if (sdkVersion != D3D_SDK_VERSION || GraphicsEnvironment().createReturnsNull) return nullptr;
    return new Direct3D8;
}

// ---------------------------------------------------------------------------

std::uint32_t Unknown::AddRef() { return ++refs_; }

std::uint32_t Unknown::Release() {
    std::uint32_t left = --refs_;
    if (left == 0) delete this;
    return left;
}

std::uint32_t Direct3D8::GetAdapterModeCount(std::uint32_t adapter) const {
    return adapter == 0 ? static_cast<std::uint32_t>(GraphicsEnvironment().modes.size()) : 0;
}

HRESULT Direct3D8::EnumAdapterModes(std::uint32_t adapter, std::uint32_t mode, D3DDISPLAYMODE* out) const {
    const auto& modes = GraphicsEnvironment().modes;
    if (adapter != 0 || !out || mode >= modes.size()) return D3DERR_INVALIDCALL;
    *out = modes[mode];
    return D3D_OK;
}

HRESULT Direct3D8::GetAdapterDisplayMode(std::uint32_t adapter, D3DDISPLAYMODE* out) const {
    if (adapter != 0 || !out) return D3DERR_INVALIDCALL;
    *out = GraphicsEnvironment().desktop;
    return D3D_OK;
}

HRESULT Direct3D8::CheckDeviceFormat(std::uint32_t adapter, D3DDEVTYPE, D3DFORMAT adapterFormat, DWORD usage,
                                     D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat) const {
    if (adapter != 0) return D3DERR_INVALIDCALL;
    const EnvironmentConfig& env = GraphicsEnvironment();
    if (adapterFormat != D3DFMT_X8R8G8B8 && adapterFormat != D3DFMT_R5G6B5 && adapterFormat != D3DFMT_X1R5G5B5 &&
        adapterFormat != D3DFMT_A8R8G8B8) {
        return D3DERR_NOTAVAILABLE;
    }
    if (usage & D3DUSAGE_DEPTHSTENCIL) {
        return (checkFormat == D3DFMT_D16 || checkFormat == D3DFMT_D16_LOCKABLE) ? D3D_OK : D3DERR_NOTAVAILABLE;
    }
    if (usage & D3DUSAGE_RENDERTARGET) {
        return env.renderTargetFormats.count(checkFormat) ? D3D_OK : D3DERR_NOTAVAILABLE;
    }
    if (resourceType == D3DRTYPE_TEXTURE || resourceType == D3DRTYPE_SURFACE) {
        return env.textureFormats.count(checkFormat) ? D3D_OK : D3DERR_NOTAVAILABLE;
    }
    return D3DERR_NOTAVAILABLE;
}

HRESULT Direct3D8::GetDeviceCaps(std::uint32_t adapter, D3DDEVTYPE type, D3DCAPS8* out) const {
    if (adapter != 0 || !out) return D3DERR_INVALIDCALL;
    const EnvironmentConfig& env = GraphicsEnvironment();
    if (type == D3DDEVTYPE_HAL) {
        if (!env.halCapsAvailable) return D3DERR_NOTAVAILABLE;
        *out = env.halCaps;
        return D3D_OK;
    }
    if (type == D3DDEVTYPE_REF) {
        *out = env.halCaps;
        out->DeviceType = D3DDEVTYPE_REF;
        return D3D_OK;
    }
    return D3DERR_INVALIDCALL;
}

HRESULT Direct3D8::CreateDevice(std::uint32_t adapter, D3DDEVTYPE type, void*, DWORD behaviour,
                                D3DPRESENT_PARAMETERS* params, Direct3DDevice8** out) {
    if (!out) return D3DERR_INVALIDCALL;
    *out = nullptr;
    if (adapter != 0 || !params || (type != D3DDEVTYPE_HAL && type != D3DDEVTYPE_REF)) return D3DERR_INVALIDCALL;
    const EnvironmentConfig& env = GraphicsEnvironment();
    int bit = 3;
    if (type == D3DDEVTYPE_HAL) {
        if (behaviour & D3DCREATE_PUREDEVICE) bit = 0;
        else if (behaviour & D3DCREATE_HARDWARE_VERTEXPROCESSING) bit = 1;
        else bit = 2;
    }
    if (env.failCreateMask & (1u << bit)) return D3DERR_NOTAVAILABLE;
    if (type == D3DDEVTYPE_HAL && !env.halCapsAvailable) return D3DERR_NOTAVAILABLE;
    D3DFORMAT f = params->BackBufferFormat;
    if (f != D3DFMT_X8R8G8B8 && f != D3DFMT_A8R8G8B8 && f != D3DFMT_R5G6B5 && f != D3DFMT_X1R5G5B5 &&
        f != D3DFMT_A1R5G5B5) {
        return D3DERR_INVALIDCALL;
    }
    if (params->BackBufferWidth == 0 || params->BackBufferHeight == 0 || params->BackBufferWidth > 8192 ||
        params->BackBufferHeight > 8192) {
        return D3DERR_INVALIDCALL;
    }
    auto* device = new Direct3DDevice8(this, type, behaviour, *params);
    if (!device->BackBufferSurface()) {
        device->Release();
        return D3DERR_OUTOFVIDEOMEMORY;
    }
    *out = device;
    return D3D_OK;
}

// ---------------------------------------------------------------------------
// Resources.

Direct3DResource8::Direct3DResource8(Direct3DDevice8* device, D3DPOOL pool, DWORD usage)
    : device_(device), pool_(pool), usage_(usage) {
    if (device_) device_->TrackResource(this, true);
}

Direct3DResource8::~Direct3DResource8() {
    if (device_) device_->TrackResource(this, false);
}

std::uint32_t Direct3DResource8::AddRef() { return Unknown::AddRef(); }
std::uint32_t Direct3DResource8::Release() { return Unknown::Release(); }

Direct3DSurface8::Direct3DSurface8(Direct3DDevice8* device, std::uint32_t width, std::uint32_t height, D3DFORMAT format,
                                   D3DPOOL pool, DWORD usage, bool lockable, Direct3DTexture8* container)
    : Direct3DResource8(container ? nullptr : device, pool, usage),
      width_(width),
      height_(height),
      format_(format),
      pitch_(static_cast<std::int32_t>(width) * raster::BytesPerPixel(format)),
      lockable_(lockable),
      container_(container) {
    size_ = static_cast<std::size_t>(pitch_) * height;
}

Direct3DSurface8::~Direct3DSurface8() {
    // The lists may still draw from or into this surface: they keep its
    // memory until they are drawn (a stage's end releases its pictures while
    // its last frame is drawn).
    const std::uint64_t mark = std::max(readBy_, writtenBy_);
    if (!drawlist::Pending(mark)) return;
    if (bits_) drawlist::KeepUntilDrawn(mark, std::move(bits_));
    if (!argb_.empty()) {
        drawlist::KeepUntilDrawn(mark, std::make_shared<std::vector<std::uint32_t>>(std::move(argb_)));
    }
}

void Direct3DSurface8::MarkRead() { readBy_ = drawlist::Serial(); }
void Direct3DSurface8::MarkWritten() { writtenBy_ = drawlist::Serial(); }
// Pending in the list being recorded or in the one drawn ahead: every wait
// for the pixels (locks, reads, copies, releasing the memory) finds both.
bool Direct3DSurface8::PendingReads() const { return drawlist::Pending(readBy_); }
bool Direct3DSurface8::PendingWrites() const { return drawlist::Pending(writtenBy_); }

void Direct3DSurface8::AwaitDrawing(bool writing) const {
    if (PendingWrites() || (writing && PendingReads())) drawlist::Finish();
}

std::uint32_t Direct3DSurface8::AddRef() { return container_ ? container_->AddRef() : Direct3DResource8::AddRef(); }
std::uint32_t Direct3DSurface8::Release() { return container_ ? container_->Release() : Direct3DResource8::Release(); }

HRESULT Direct3DSurface8::GetDesc(D3DSURFACE_DESC* out) const {
    if (!out) return D3DERR_INVALIDCALL;
    out->Format = format_;
    out->Type = D3DRTYPE_SURFACE;
    out->Usage = usage_;
    out->Pool = pool_;
    out->Size = static_cast<std::uint32_t>(size_);
    out->MultiSampleType = D3DMULTISAMPLE_NONE;
    out->Width = width_;
    out->Height = height_;
    return D3D_OK;
}

HRESULT Direct3DSurface8::LockRect(D3DLOCKED_RECT* out, const RECT* rect, DWORD) {
    if (!out || !lockable_ || locked_) return D3DERR_INVALIDCALL;
    std::int32_t x = 0, y = 0;
    if (rect) {
        if (rect->left < 0 || rect->top < 0 || rect->right > static_cast<std::int32_t>(width_) ||
            rect->bottom > static_cast<std::int32_t>(height_) || rect->left >= rect->right ||
            rect->top >= rect->bottom) {
            return D3DERR_INVALIDCALL;
        }
        x = rect->left;
        y = rect->top;
    }
    locked_ = true;
    out->Pitch = pitch_;
    out->pBits = Bits() + static_cast<std::ptrdiff_t>(y) * pitch_ + x * raster::BytesPerPixel(format_);
    return D3D_OK;
}

HRESULT Direct3DSurface8::UnlockRect() {
    if (!locked_) return D3DERR_INVALIDCALL;
    locked_ = false;
    Touch();
    return D3D_OK;
}

void Direct3DSurface8::Touch() { ++version_; }

void Direct3DSurface8::Allocate() const {
    auto* bits = static_cast<std::uint8_t*>(std::calloc(size_ == 0 ? 1 : size_, 1));
    if (!bits) throw std::bad_alloc();
    bits_.reset(bits, [](std::uint8_t* p) { std::free(p); });
}

void Direct3DSurface8::Unshare() {
    if (!bits_) {
        Allocate();
        return;
    }
    auto* bits = static_cast<std::uint8_t*>(std::malloc(size_ == 0 ? 1 : size_));
    if (!bits) throw std::bad_alloc();
    std::memcpy(bits, bits_.get(), size_);
    bits_.reset(bits, [](std::uint8_t* p) { std::free(p); });
}

bool Direct3DSurface8::AdoptBits(std::unique_ptr<std::uint8_t[]>& bits, std::size_t size) {
    if (locked_ || !bits || size != size_) return false;
    AwaitDrawing(true);
    bits_.reset(bits.release(), std::default_delete<std::uint8_t[]>());
    Touch();
    return true;
}

void Direct3DSurface8::ShareBitsOf(const Direct3DSurface8& source) {
    AwaitDrawing(true);
    source.Bits();
    bits_ = source.bits_;
    Touch();
}

const std::uint32_t* Direct3DSurface8::Argb() {
    AwaitDrawing(false);
    if (format_ == D3DFMT_A8R8G8B8) return reinterpret_cast<const std::uint32_t*>(ReadableBits());
    if (argbVersion_ != version_) {
        argb_.resize(static_cast<std::size_t>(width_) * height_);
        int bpp = raster::BytesPerPixel(format_);
        for (std::uint32_t y = 0; y < height_; ++y) {
            const std::uint8_t* row = ReadableBits() + static_cast<std::ptrdiff_t>(y) * pitch_;
            std::uint32_t* o = argb_.data() + static_cast<std::size_t>(y) * width_;
            for (std::uint32_t x = 0; x < width_; ++x) o[x] = raster::ToArgb(row + x * bpp, format_);
        }
        argbVersion_ = version_;
    }
    return argb_.data();
}

Direct3DTexture8::Direct3DTexture8(Direct3DDevice8* device, std::uint32_t width, std::uint32_t height, D3DFORMAT format,
                                   D3DPOOL pool, DWORD usage)
    : Direct3DBaseTexture8(device, pool, usage),
      level0_(std::make_unique<Direct3DSurface8>(device, width, height, format, pool, usage, true, this)) {}

Direct3DTexture8::~Direct3DTexture8() = default;

HRESULT Direct3DTexture8::GetLevelDesc(std::uint32_t level, D3DSURFACE_DESC* out) const {
    if (level != 0) return D3DERR_INVALIDCALL;
    return level0_->GetDesc(out);
}

HRESULT Direct3DTexture8::GetSurfaceLevel(std::uint32_t level, Direct3DSurface8** out) {
    if (level != 0 || !out) return D3DERR_INVALIDCALL;
    AddRef();
    *out = level0_.get();
    return D3D_OK;
}

HRESULT Direct3DTexture8::LockRect(std::uint32_t level, D3DLOCKED_RECT* out, const RECT* rect, DWORD flags) {
    if (level != 0) return D3DERR_INVALIDCALL;
    return level0_->LockRect(out, rect, flags);
}

HRESULT Direct3DTexture8::UnlockRect(std::uint32_t level) {
    if (level != 0) return D3DERR_INVALIDCALL;
    return level0_->UnlockRect();
}

HRESULT Direct3DTexture8::AddDirtyRect(const RECT*) { return D3D_OK; }

Direct3DVertexBuffer8::Direct3DVertexBuffer8(Direct3DDevice8* device, std::uint32_t length, DWORD usage, DWORD fvf,
                                             D3DPOOL pool)
    : Direct3DResource8(device, pool, usage), data_(length, 0), fvf_(fvf) {}

HRESULT Direct3DVertexBuffer8::Lock(std::uint32_t offset, std::uint32_t size, std::uint8_t** data, DWORD) {
    if (!data || locked_) return D3DERR_INVALIDCALL;
    if (size == 0) size = static_cast<std::uint32_t>(data_.size()) - std::min<std::uint32_t>(offset, data_.size());
    if (static_cast<std::uint64_t>(offset) + size > data_.size()) return D3DERR_INVALIDCALL;
    locked_ = true;
    *data = data_.data() + offset;
    return D3D_OK;
}

HRESULT Direct3DVertexBuffer8::Unlock() {
    if (!locked_) return D3DERR_INVALIDCALL;
    locked_ = false;
    return D3D_OK;
}

HRESULT Direct3DVertexBuffer8::GetDesc(D3DVERTEXBUFFER_DESC* out) const {
    if (!out) return D3DERR_INVALIDCALL;
    out->Format = D3DFMT_VERTEXDATA;
    out->Type = D3DRTYPE_VERTEXBUFFER;
    out->Usage = usage_;
    out->Pool = pool_;
    out->Size = static_cast<std::uint32_t>(data_.size());
    out->FVF = fvf_;
    return D3D_OK;
}

Direct3DIndexBuffer8::Direct3DIndexBuffer8(Direct3DDevice8* device, std::uint32_t length, DWORD usage, D3DFORMAT,
                                           D3DPOOL pool)
    : Direct3DResource8(device, pool, usage), data_(length, 0) {}

HRESULT Direct3DIndexBuffer8::Lock(std::uint32_t offset, std::uint32_t size, std::uint8_t** data, DWORD) {
    if (!data || locked_) return D3DERR_INVALIDCALL;
    if (size == 0) size = static_cast<std::uint32_t>(data_.size()) - std::min<std::uint32_t>(offset, data_.size());
    if (static_cast<std::uint64_t>(offset) + size > data_.size()) return D3DERR_INVALIDCALL;
    locked_ = true;
    *data = data_.data() + offset;
    return D3D_OK;
}

HRESULT Direct3DIndexBuffer8::Unlock() {
    if (!locked_) return D3DERR_INVALIDCALL;
    locked_ = false;
    return D3D_OK;
}

HRESULT Direct3DIndexBuffer8::GetDesc(D3DINDEXBUFFER_DESC* out) const {
    if (!out) return D3DERR_INVALIDCALL;
    out->Format = D3DFMT_INDEX16;
    out->Type = D3DRTYPE_INDEXBUFFER;
    out->Usage = usage_;
    out->Pool = pool_;
    out->Size = static_cast<std::uint32_t>(data_.size());
    return D3D_OK;
}

// ---------------------------------------------------------------------------
// Device state.

namespace {

struct VertexElement {
    DWORD reg, type, offset;
};

struct VertexProgram {
    std::vector<VertexElement> elements;
    DWORD size = 0;  // bytes read from a vertex
    VertexProgramFn fn = nullptr;
};

DWORD TypeSize(DWORD type) {
    switch (type) {
        case D3DVSDT_FLOAT1: return 4;
        case D3DVSDT_FLOAT2: return 8;
        case D3DVSDT_FLOAT3: return 12;
        case D3DVSDT_FLOAT4: return 16;
        case D3DVSDT_SHORT4: return 8;
        default: return 4;
    }
}

D3DMATRIX Identity() {
    D3DMATRIX m;
    for (int i = 0; i < 4; ++i) m.m[i][i] = 1.0f;
    return m;
}

D3DMATRIX Multiply(const D3DMATRIX& a, const D3DMATRIX& b) {
    D3DMATRIX r;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            float s = 0.0f;
            for (int k = 0; k < 4; ++k) s += a.m[i][k] * b.m[k][j];
            r.m[i][j] = s;
        }
    }
    return r;
}

float ReadFloat(const std::uint8_t* p) {
    float f;
    std::memcpy(&f, p, 4);
    return f;
}

std::uint32_t ReadU32(const std::uint8_t* p) {
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

// Layout of a flexible vertex format.
struct FvfLayout {
    bool valid = false;
    bool pretransformed = false;
    DWORD size = 0;
    DWORD diffuse = 0;  // offset, 0 = none
    bool hasDiffuse = false;
    int texCount = 0;
    DWORD tex[8] = {};
    int texDims[8] = {};
};

FvfLayout ParseFvf(DWORD fvf) {
    FvfLayout l;
    DWORD pos = fvf & D3DFVF_POSITION_MASK;
    if (pos == D3DFVF_XYZ) {
        l.size = 12;
    } else if (pos == D3DFVF_XYZRHW) {
        l.size = 16;
        l.pretransformed = true;
    } else {
        return l;
    }
    if (fvf & D3DFVF_NORMAL) l.size += 12;
    if (fvf & D3DFVF_PSIZE) l.size += 4;
    if (fvf & D3DFVF_DIFFUSE) {
        l.hasDiffuse = true;
        l.diffuse = l.size;
        l.size += 4;
    }
    if (fvf & D3DFVF_SPECULAR) l.size += 4;
    l.texCount = static_cast<int>((fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT);
    if (l.texCount > 8) return l;
    for (int i = 0; i < l.texCount; ++i) {
        DWORD code = (fvf >> (16 + 2 * i)) & 3;
        int dims = code == 0 ? 2 : code == 1 ? 3 : code == 2 ? 4 : 1;
        l.tex[i] = l.size;
        l.texDims[i] = dims;
        l.size += 4 * dims;
    }
    l.valid = true;
    return l;
}

constexpr int kStages = 8;

// A vertex after processing: clip-space position (transformed vertices) and
// the raster attributes.
struct Processed {
    Vec4 clip;
    raster::Vertex v;
};

}  // namespace

struct DeviceState {
    DWORD renderStates[256] = {};
    DWORD stageStates[kStages][32] = {};
    Direct3DBaseTexture8* textures[kStages] = {};
    D3DMATRIX world = Identity(), view = Identity(), projection = Identity();
    D3DVIEWPORT8 viewport;
    DWORD vertexShader = 0;
    Vec4 constants[kVertexShaderConstants];
    Direct3DVertexBuffer8* stream0 = nullptr;
    std::uint32_t stride0 = 0;
    Direct3DIndexBuffer8* indices = nullptr;
    std::uint32_t baseVertex = 0;
    Direct3DSurface8* renderTarget = nullptr;
    Direct3DSurface8* depth = nullptr;
    std::map<DWORD, VertexProgram> programs;
    DWORD nextProgram = 1;
    // Scratch of the draw calls, kept from call to call so that drawing does
    // not allocate: the processed vertices and which of them are done.
    std::vector<Processed> vertexCache;
    std::vector<std::uint8_t> vertexDone;
    // The rasterizer's state as the last draw built it. The parts read from
    // the render and texture-stage states are rebuilt only after one of those
    // changed; targets, scissor and textures are refreshed every draw.
    raster::State raster;
    bool rasterStatesDirty = true;
    // The last vertex format parsed.
    DWORD fvfHandle = 0;
    FvfLayout fvfLayout;
    // Each stage's binding as a texture (null when none or not one), kept
    // with `textures`.
    Direct3DTexture8* textures2d[kStages] = {};
};

namespace {

void SetDefaults(DeviceState& s, bool autoDepth) {
    s.rasterStatesDirty = true;
    std::fill(std::begin(s.renderStates), std::end(s.renderStates), 0u);
    DWORD* rs = s.renderStates;
    rs[D3DRS_ZENABLE] = autoDepth ? D3DZB_TRUE : D3DZB_FALSE;
    rs[D3DRS_FILLMODE] = D3DFILL_SOLID;
    rs[D3DRS_SHADEMODE] = D3DSHADE_GOURAUD;
    rs[D3DRS_ZWRITEENABLE] = 1;
    rs[D3DRS_LASTPIXEL] = 1;
    rs[D3DRS_SRCBLEND] = D3DBLEND_ONE;
    rs[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
    rs[D3DRS_CULLMODE] = D3DCULL_CCW;
    rs[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
    rs[D3DRS_ALPHAFUNC] = D3DCMP_ALWAYS;
    rs[D3DRS_DITHERENABLE] = 0;
    rs[D3DRS_FOGCOLOR] = 0;
    rs[D3DRS_STENCILFUNC] = D3DCMP_ALWAYS;
    rs[D3DRS_STENCILMASK] = 0xFFFFFFFF;
    rs[D3DRS_STENCILWRITEMASK] = 0xFFFFFFFF;
    rs[D3DRS_TEXTUREFACTOR] = 0xFFFFFFFF;
    rs[D3DRS_CLIPPING] = 1;
    rs[D3DRS_LIGHTING] = 1;
    rs[D3DRS_COLORVERTEX] = 1;
    rs[D3DRS_DIFFUSEMATERIALSOURCE] = 1;
    rs[D3DRS_SPECULARMATERIALSOURCE] = 2;
    rs[D3DRS_MULTISAMPLEANTIALIAS] = 1;
    rs[D3DRS_MULTISAMPLEMASK] = 0xFFFFFFFF;
    rs[D3DRS_COLORWRITEENABLE] = 0xF;
    rs[D3DRS_BLENDOP] = D3DBLENDOP_ADD;
    float one = 1.0f;
    std::memcpy(&rs[D3DRS_POINTSIZE], &one, 4);
    std::memcpy(&rs[D3DRS_FOGEND], &one, 4);
    std::memcpy(&rs[D3DRS_FOGDENSITY], &one, 4);
    for (int i = 0; i < kStages; ++i) {
        DWORD* t = s.stageStates[i];
        std::fill(t, t + 32, 0u);
        t[D3DTSS_COLOROP] = i == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
        t[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
        t[D3DTSS_COLORARG2] = D3DTA_CURRENT;
        t[D3DTSS_ALPHAOP] = i == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
        t[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
        t[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
        t[D3DTSS_TEXCOORDINDEX] = static_cast<DWORD>(i);
        t[D3DTSS_ADDRESSU] = D3DTADDRESS_WRAP;
        t[D3DTSS_ADDRESSV] = D3DTADDRESS_WRAP;
        t[D3DTSS_ADDRESSW] = D3DTADDRESS_WRAP;
        t[D3DTSS_MAGFILTER] = D3DTEXF_POINT;
        t[D3DTSS_MINFILTER] = D3DTEXF_POINT;
        t[D3DTSS_MIPFILTER] = D3DTEXF_NONE;
        t[D3DTSS_MAXANISOTROPY] = 1;
        t[D3DTSS_COLORARG0] = D3DTA_CURRENT;
        t[D3DTSS_ALPHAARG0] = D3DTA_CURRENT;
        t[D3DTSS_RESULTARG] = D3DTA_CURRENT;
    }
    s.world = s.view = s.projection = Identity();
    s.vertexShader = 0;
    for (Vec4& c : s.constants) c = Vec4{};
}

template <class T>
void Bind(T*& slot, T* value) {
    if (slot == value) return;
    if (value) value->AddInternalRef();
    if (slot) slot->ReleaseInternalRef();
    slot = value;
}

}  // namespace

Direct3DDevice8::Direct3DDevice8(Direct3D8* d3d, D3DDEVTYPE type, DWORD behaviour, const D3DPRESENT_PARAMETERS& params)
    : d3d_(d3d), type_(type), behaviour_(behaviour), params_(params), state_(std::make_unique<DeviceState>()) {
    d3d_->AddRef();
    if (SUCCEEDED(CreateBackBuffer())) ResetStates();
}

Direct3DDevice8::~Direct3DDevice8() {
    drawlist::Finish();
    UnbindAll();
    if (backBuffer_) {
        backBuffer_->ReleaseInternalRef();
        backBuffer_ = nullptr;
    }
    // Resources the program still holds outlive the device; they forget it.
    for (Direct3DResource8* r : std::set<Direct3DResource8*>(defaultPool_)) r->device_ = nullptr;
    ReleasePresenter();
    d3d_->Release();
}

void Direct3DDevice8::TrackResource(Direct3DResource8* resource, bool add) {
    if (add) defaultPool_.insert(resource);
    else defaultPool_.erase(resource);
}

HRESULT Direct3DDevice8::CreateBackBuffer() {
    auto* bb = new Direct3DSurface8(this, params_.BackBufferWidth, params_.BackBufferHeight, params_.BackBufferFormat,
                                    D3DPOOL_DEFAULT, D3DUSAGE_RENDERTARGET,
                                    (params_.Flags & D3DPRESENTFLAG_LOCKABLE_BACKBUFFER) != 0, nullptr);
    // The device's own reference is internal.
    bb->internalRefs_ = 1;
    backBuffer_ = bb;
    return D3D_OK;
}

void Direct3DDevice8::ResetStates() {
    DeviceState& s = *state_;
    SetDefaults(s, params_.EnableAutoDepthStencil != 0);
    Bind(s.renderTarget, backBuffer_);
    s.viewport = D3DVIEWPORT8{0, 0, params_.BackBufferWidth, params_.BackBufferHeight, 0.0f, 1.0f};
}

void Direct3DDevice8::UnbindAll() {
    DeviceState& s = *state_;
    for (auto& t : s.textures) Bind(t, static_cast<Direct3DBaseTexture8*>(nullptr));
    for (auto& t : s.textures2d) t = nullptr;
    Bind(s.stream0, static_cast<Direct3DVertexBuffer8*>(nullptr));
    Bind(s.indices, static_cast<Direct3DIndexBuffer8*>(nullptr));
    Bind(s.renderTarget, static_cast<Direct3DSurface8*>(nullptr));
    Bind(s.depth, static_cast<Direct3DSurface8*>(nullptr));
}

HRESULT Direct3DDevice8::TestCooperativeLevel() const { return lost_ ? D3DERR_DEVICENOTRESET : D3D_OK; }

std::uint32_t Direct3DDevice8::GetAvailableTextureMem() const { return GraphicsEnvironment().availableTextureMemory; }

HRESULT Direct3DDevice8::ResourceManagerDiscardBytes(DWORD) { return D3D_OK; }

HRESULT Direct3DDevice8::GetDirect3D(Direct3D8** out) {
    if (!out) return D3DERR_INVALIDCALL;
    d3d_->AddRef();
    *out = d3d_;
    return D3D_OK;
}

HRESULT Direct3DDevice8::GetDeviceCaps(D3DCAPS8* out) const {
    if (!out) return D3DERR_INVALIDCALL;
    if (GraphicsEnvironment().failDeviceCapsAfterCreate) return D3DERR_INVALIDCALL;
    HRESULT hr = d3d_->GetDeviceCaps(0, type_, out);
    if (FAILED(hr)) return hr;
    if (!(behaviour_ & D3DCREATE_PUREDEVICE)) out->DevCaps &= ~D3DDEVCAPS_PUREDEVICE;
    return D3D_OK;
}

HRESULT Direct3DDevice8::GetDisplayMode(D3DDISPLAYMODE* out) const {
    if (!out) return D3DERR_INVALIDCALL;
    if (params_.Windowed) {
        *out = GraphicsEnvironment().desktop;
    } else {
        *out = D3DDISPLAYMODE{params_.BackBufferWidth, params_.BackBufferHeight, 60, params_.BackBufferFormat};
    }
    return D3D_OK;
}

HRESULT Direct3DDevice8::Reset(D3DPRESENT_PARAMETERS* params) {
    ++counts_.resets;
    if (!params) return D3DERR_INVALIDCALL;
    EnvironmentConfig& env = GraphicsEnvironment();
    if (env.resetFailures > 0) {
        --env.resetFailures;
        lost_ = true;
        return D3DERR_DEVICELOST;
    }
    // Every default-pool resource must have been released by the program.
    for (Direct3DResource8* r : defaultPool_) {
        if (r->Pool() == D3DPOOL_DEFAULT && r->RefCount() > r->InternalRefs()) return D3DERR_INVALIDCALL;
    }
    D3DFORMAT f = params->BackBufferFormat;
    if (params->BackBufferWidth == 0 || params->BackBufferHeight == 0 || !raster::IsColourFormat(f)) {
        return D3DERR_INVALIDCALL;
    }
    drawlist::Finish();
    UnbindAll();
    if (backBuffer_) {
        backBuffer_->ReleaseInternalRef();
        backBuffer_ = nullptr;
    }
    params_ = *params;
    CreateBackBuffer();
    ResetStates();
    lost_ = false;
    inScene_ = false;
    return D3D_OK;
}

HRESULT Direct3DDevice8::Present(const RECT*, const RECT*, void* destWindowOverride, const void*) {
    ++counts_.presents;
    void* window = destWindowOverride ? destWindowOverride : params_.hDeviceWindow;
    // The frame is done: what waits in the list is drawn. When nothing is
    // shown (a headless run, or no window to show it in) nothing needs the
    // pixels now: the threads draw the frame while the next one is made, and
    // whatever reads the back buffer (a screenshot, a picture hash) or any
    // surface the frame drew waits for it through the surfaces' pending marks.
    const bool shown = !platform::IsHeadless() && DrawingEnabled() && window;
    if (shown) drawlist::Finish();
    else drawlist::FinishAhead();
    if (lost_) return D3DERR_DEVICELOST;
    // A headless run uploads nothing either; screenshots are taken from the
    // back buffer itself.
    if (!shown) return D3D_OK;
    PresentSurface(window, backBuffer_);
    return D3D_OK;
}

HRESULT Direct3DDevice8::GetBackBuffer(std::uint32_t index, DWORD, Direct3DSurface8** out) {
    if (!out) return D3DERR_INVALIDCALL;
    *out = nullptr;
    if (index != 0 || !backBuffer_) return D3DERR_INVALIDCALL;
    backBuffer_->AddRef();
    *out = backBuffer_;
    return D3D_OK;
}

HRESULT Direct3DDevice8::CreateTexture(std::uint32_t width, std::uint32_t height, std::uint32_t, DWORD usage,
                                       D3DFORMAT format, D3DPOOL pool, Direct3DTexture8** out) {
    if (!out) return D3DERR_INVALIDCALL;
    *out = nullptr;
    const EnvironmentConfig& env = GraphicsEnvironment();
    if (width == 0 || height == 0 || width > env.halCaps.MaxTextureWidth || height > env.halCaps.MaxTextureHeight) {
        return D3DERR_INVALIDCALL;
    }
    if (!env.textureFormats.count(format) || !raster::IsColourFormat(format)) return D3DERR_INVALIDCALL;
    if ((usage & D3DUSAGE_RENDERTARGET) && (pool != D3DPOOL_DEFAULT || !env.renderTargetFormats.count(format))) {
        return D3DERR_INVALIDCALL;
    }
    if (usage & D3DUSAGE_DEPTHSTENCIL) return D3DERR_INVALIDCALL;
    *out = new Direct3DTexture8(this, width, height, format, pool, usage);
    return D3D_OK;
}

HRESULT Direct3DDevice8::CreateVertexBuffer(std::uint32_t length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                            Direct3DVertexBuffer8** out) {
    if (!out) return D3DERR_INVALIDCALL;
    *out = nullptr;
    if (length == 0) return D3DERR_INVALIDCALL;
    *out = new Direct3DVertexBuffer8(this, length, usage, fvf, pool);
    return D3D_OK;
}

HRESULT Direct3DDevice8::CreateIndexBuffer(std::uint32_t length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                           Direct3DIndexBuffer8** out) {
    if (!out) return D3DERR_INVALIDCALL;
    *out = nullptr;
    if (length == 0 || format != D3DFMT_INDEX16) return D3DERR_INVALIDCALL;
    *out = new Direct3DIndexBuffer8(this, length, usage, format, pool);
    return D3D_OK;
}

HRESULT Direct3DDevice8::CreateRenderTarget(std::uint32_t width, std::uint32_t height, D3DFORMAT format, DWORD,
                                            std::int32_t lockable, Direct3DSurface8** out) {
    if (!out) return D3DERR_INVALIDCALL;
    *out = nullptr;
    if (width == 0 || height == 0 || !GraphicsEnvironment().renderTargetFormats.count(format)) {
        return D3DERR_INVALIDCALL;
    }
    *out = new Direct3DSurface8(this, width, height, format, D3DPOOL_DEFAULT, D3DUSAGE_RENDERTARGET, lockable != 0,
                                nullptr);
    return D3D_OK;
}

HRESULT Direct3DDevice8::CreateDepthStencilSurface(std::uint32_t width, std::uint32_t height, D3DFORMAT format, DWORD,
                                                   Direct3DSurface8** out) {
    if (!out) return D3DERR_INVALIDCALL;
    *out = nullptr;
    if (width == 0 || height == 0 || (format != D3DFMT_D16 && format != D3DFMT_D16_LOCKABLE)) {
        return D3DERR_INVALIDCALL;
    }
    *out = new Direct3DSurface8(this, width, height, format, D3DPOOL_DEFAULT, D3DUSAGE_DEPTHSTENCIL,
                                format == D3DFMT_D16_LOCKABLE, nullptr);
    return D3D_OK;
}

HRESULT Direct3DDevice8::CreateImageSurface(std::uint32_t width, std::uint32_t height, D3DFORMAT format,
                                            Direct3DSurface8** out) {
    if (!out) return D3DERR_INVALIDCALL;
    *out = nullptr;
    if (width == 0 || height == 0 || !raster::IsColourFormat(format) || width > 16384 || height > 16384) {
        return D3DERR_INVALIDCALL;
    }
    *out = new Direct3DSurface8(this, width, height, format, D3DPOOL_SYSTEMMEM, 0, true, nullptr);
    return D3D_OK;
}

HRESULT Direct3DDevice8::CopyRects(Direct3DSurface8* source, const RECT* rects, std::uint32_t count,
                                   Direct3DSurface8* dest, const POINT* points) {
    if (!source || !dest || source == dest) return D3DERR_INVALIDCALL;
    if (source->Format() != dest->Format() || !raster::IsColourFormat(source->Format())) return D3DERR_INVALIDCALL;
    RECT whole{0, 0, static_cast<std::int32_t>(source->Width()), static_cast<std::int32_t>(source->Height())};
    if (!rects || count == 0) {
        rects = &whole;
        count = 1;
    }
    int bpp = raster::BytesPerPixel(source->Format());
    auto sw = static_cast<std::int32_t>(source->Width()), sh = static_cast<std::int32_t>(source->Height());
    auto dw = static_cast<std::int32_t>(dest->Width()), dh = static_cast<std::int32_t>(dest->Height());
    // Validate everything before copying anything.
    for (std::uint32_t i = 0; i < count; ++i) {
        const RECT& r = rects[i];
        std::int32_t dx = points ? points[i].x : r.left, dy = points ? points[i].y : r.top;
        if (r.left < 0 || r.top < 0 || r.right > sw || r.bottom > sh || r.left >= r.right || r.top >= r.bottom) {
            return D3DERR_INVALIDCALL;
        }
        if (dx < 0 || dy < 0 || static_cast<std::int64_t>(dx) + (r.right - r.left) > dw ||
            static_cast<std::int64_t>(dy) + (r.bottom - r.top) > dh) {
            return D3DERR_INVALIDCALL;
        }
    }
    if (!DrawingEnabled() && (dest->Usage() & D3DUSAGE_RENDERTARGET)) return D3D_OK;
    const bool record = drawlist::Recording();
    for (std::uint32_t i = 0; i < count; ++i) {
        const RECT& r = rects[i];
        std::int32_t dx = points ? points[i].x : r.left, dy = points ? points[i].y : r.top;
        CopyOp op;
        op.sourcePitch = source->Pitch();
        op.sourceTop = r.top;
        op.sourceOffset = static_cast<std::ptrdiff_t>(r.left) * bpp;
        op.destPitch = dest->Pitch();
        op.destOffset = static_cast<std::ptrdiff_t>(dx) * bpp;
        op.bytes = static_cast<std::size_t>(r.right - r.left) * bpp;
        op.top = dy;
        op.bottom = dy + (r.bottom - r.top);
        // A copy waits in the list, drawn band by band, when each band reads
        // only what is there when its turn comes: rows of its own, or a
        // source that nothing draws into (not a render target, no pending
        // writes: a write to it waits for the list).
        const bool sameRows = dy == r.top;
        const bool fixedSource = !(source->Usage() & D3DUSAGE_RENDERTARGET) && !source->PendingWrites();
        if (record && (sameRows || fixedSource)) {
            if (dest->PendingReads()) drawlist::Finish();
            op.source = source->ReadableBits();
            op.dest = dest->WritableBits();
            drawlist::Copy(op);
            source->MarkRead();
            dest->MarkWritten();
        } else {
            op.source = std::as_const(*source).Bits();
            op.dest = dest->Bits();
            CopyRows(op, INT_MIN, INT_MAX);
        }
    }
    dest->Touch();
    return D3D_OK;
}

HRESULT Direct3DDevice8::UpdateTexture(Direct3DBaseTexture8* source, Direct3DBaseTexture8* dest) {
    auto* s = dynamic_cast<Direct3DTexture8*>(source);
    auto* d = dynamic_cast<Direct3DTexture8*>(dest);
    if (!s || !d || s == d) return D3DERR_INVALIDCALL;
    if (s->Pool() != D3DPOOL_SYSTEMMEM || d->Pool() != D3DPOOL_DEFAULT) return D3DERR_INVALIDCALL;
    Direct3DSurface8* a = s->Level0();
    Direct3DSurface8* b = d->Level0();
    if (a->Format() != b->Format() || a->Width() != b->Width() || a->Height() != b->Height()) {
        return D3DERR_INVALIDCALL;
    }
    if (a->IsLocked() || a->Pitch() != b->Pitch()) {
        std::memcpy(b->Bits(), std::as_const(*a).Bits(), static_cast<std::size_t>(a->Pitch()) * a->Height());
        b->Touch();
    } else {
        // The whole texture: the two share the pixels until either is written.
        b->ShareBitsOf(*a);
    }
    return D3D_OK;
}

HRESULT Direct3DDevice8::SetRenderTarget(Direct3DSurface8* target, Direct3DSurface8* depth) {
    DeviceState& s = *state_;
    Direct3DSurface8* t = target ? target : s.renderTarget;
    if (target && !(target->Usage() & D3DUSAGE_RENDERTARGET)) return D3DERR_INVALIDCALL;
    if (depth &&
        (!(depth->Usage() & D3DUSAGE_DEPTHSTENCIL) || depth->Width() < t->Width() || depth->Height() < t->Height())) {
        return D3DERR_INVALIDCALL;
    }
    Bind(s.renderTarget, t);
    Bind(s.depth, depth);
    s.viewport = D3DVIEWPORT8{0, 0, t->Width(), t->Height(), 0.0f, 1.0f};
    return D3D_OK;
}

HRESULT Direct3DDevice8::GetRenderTarget(Direct3DSurface8** out) {
    if (!out) return D3DERR_INVALIDCALL;
    *out = state_->renderTarget;
    if (!*out) return D3DERR_NOTFOUND;
    (*out)->AddRef();
    return D3D_OK;
}

HRESULT Direct3DDevice8::GetDepthStencilSurface(Direct3DSurface8** out) {
    if (!out) return D3DERR_INVALIDCALL;
    *out = state_->depth;
    if (!*out) return D3DERR_NOTFOUND;
    (*out)->AddRef();
    return D3D_OK;
}

HRESULT Direct3DDevice8::BeginScene() {
    if (inScene_) return D3DERR_INVALIDCALL;
    inScene_ = true;
    return D3D_OK;
}

HRESULT Direct3DDevice8::EndScene() {
    if (!inScene_) return D3DERR_INVALIDCALL;
    inScene_ = false;
    return D3D_OK;
}

HRESULT Direct3DDevice8::Clear(std::uint32_t count, const RECT* rects, DWORD flags, D3DCOLOR colour, float z, DWORD) {
    ++counts_.clears;
    if (lost_) return D3D_OK;
    DeviceState& s = *state_;
    Direct3DSurface8* t = s.renderTarget;
    if (!t) return D3DERR_INVALIDCALL;
    if (!DrawingEnabled()) return D3D_OK;
    const D3DVIEWPORT8& vp = s.viewport;
    RECT area{static_cast<std::int32_t>(vp.X), static_cast<std::int32_t>(vp.Y),
              static_cast<std::int32_t>(std::min<std::uint64_t>(vp.X + vp.Width, t->Width())),
              static_cast<std::int32_t>(std::min<std::uint64_t>(vp.Y + vp.Height, t->Height()))};
    std::uint32_t n = (rects && count) ? count : 1;
    FillOp op;
    raster::FromArgb(colour, op.pixel, t->Format());
    op.bytesPerPixel = raster::BytesPerPixel(t->Format());
    op.pitch = t->Pitch();
    Direct3DSurface8* d = (flags & D3DCLEAR_ZBUFFER) ? s.depth : nullptr;
    if (d) {
        op.depthValue = static_cast<std::uint16_t>(std::lround(std::clamp(z, 0.0f, 1.0f) * 65535.0f));
        op.depthPitch = d->Pitch();
    }
    const bool target = (flags & D3DCLEAR_TARGET) != 0;
    const bool record = drawlist::Recording();
    if (record && ((target && t->PendingReads()) || (d && d->PendingReads()))) drawlist::Finish();
    for (std::uint32_t i = 0; i < n; ++i) {
        RECT r = area;
        if (rects && count) {
            r.left = std::max(r.left, rects[i].left);
            r.top = std::max(r.top, rects[i].top);
            r.right = std::min(r.right, rects[i].right);
            r.bottom = std::min(r.bottom, rects[i].bottom);
        }
        if (r.left >= r.right || r.top >= r.bottom) continue;
        op.left = r.left;
        op.top = r.top;
        op.right = r.right;
        op.bottom = r.bottom;
        // Without a depth buffer the depth and stencil parts clear nothing.
        if (d) {
            op.depthRight = std::min<std::int32_t>(r.right, static_cast<std::int32_t>(d->Width()));
            op.depthBottom = std::min<std::int32_t>(r.bottom, static_cast<std::int32_t>(d->Height()));
        }
        if (record) {
            op.bits = target ? t->WritableBits() : nullptr;
            op.depth = d ? reinterpret_cast<std::uint16_t*>(d->WritableBits()) : nullptr;
            drawlist::Fill(op);
            if (target) t->MarkWritten();
            if (d) d->MarkWritten();
        } else {
            op.bits = target ? t->Bits() : nullptr;
            op.depth = d ? reinterpret_cast<std::uint16_t*>(d->Bits()) : nullptr;
            FillRows(op, INT_MIN, INT_MAX);
        }
    }
    if (flags & D3DCLEAR_TARGET) t->Touch();
    return D3D_OK;
}

HRESULT Direct3DDevice8::SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) {
    ++counts_.setTransform;
    if (!matrix) return D3DERR_INVALIDCALL;
    switch (state) {
        case D3DTS_VIEW: state_->view = *matrix; return D3D_OK;
        case D3DTS_PROJECTION: state_->projection = *matrix; return D3D_OK;
        case D3DTS_WORLD: state_->world = *matrix; return D3D_OK;
        default: return state >= D3DTS_TEXTURE0 && state < D3DTS_TEXTURE0 + 8 ? D3D_OK : D3DERR_INVALIDCALL;
    }
}

HRESULT Direct3DDevice8::GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* out) const {
    if (!out) return D3DERR_INVALIDCALL;
    switch (state) {
        case D3DTS_VIEW: *out = state_->view; return D3D_OK;
        case D3DTS_PROJECTION: *out = state_->projection; return D3D_OK;
        case D3DTS_WORLD: *out = state_->world; return D3D_OK;
        default: *out = Identity(); return D3D_OK;
    }
}

HRESULT Direct3DDevice8::SetViewport(const D3DVIEWPORT8* viewport) {
    if (!viewport) return D3DERR_INVALIDCALL;
    Direct3DSurface8* t = state_->renderTarget;
    if (t && (static_cast<std::uint64_t>(viewport->X) + viewport->Width > t->Width() ||
              static_cast<std::uint64_t>(viewport->Y) + viewport->Height > t->Height())) {
        return D3DERR_INVALIDCALL;
    }
    state_->viewport = *viewport;
    return D3D_OK;
}

HRESULT Direct3DDevice8::GetViewport(D3DVIEWPORT8* out) const {
    if (!out) return D3DERR_INVALIDCALL;
    *out = state_->viewport;
    return D3D_OK;
}

HRESULT Direct3DDevice8::SetRenderState(DWORD state, DWORD value) {
    ++counts_.setRenderState;
    if (state >= 256) return D3DERR_INVALIDCALL;
    state_->renderStates[state] = value;
    state_->rasterStatesDirty = true;
    return D3D_OK;
}

HRESULT Direct3DDevice8::GetRenderState(DWORD state, DWORD* out) const {
    if (state >= 256 || !out) return D3DERR_INVALIDCALL;
    *out = state_->renderStates[state];
    return D3D_OK;
}

HRESULT Direct3DDevice8::SetTexture(DWORD stage, Direct3DBaseTexture8* texture) {
    ++counts_.setTexture;
    if (stage >= kStages) return D3DERR_INVALIDCALL;
    Bind(state_->textures[stage], texture);
    state_->textures2d[stage] = dynamic_cast<Direct3DTexture8*>(texture);
    return D3D_OK;
}

HRESULT Direct3DDevice8::GetTexture(DWORD stage, Direct3DBaseTexture8** out) {
    if (stage >= kStages || !out) return D3DERR_INVALIDCALL;
    *out = state_->textures[stage];
    if (*out) (*out)->AddRef();
    return D3D_OK;
}

HRESULT Direct3DDevice8::SetTextureStageState(DWORD stage, DWORD type, DWORD value) {
    ++counts_.setTextureStageState;
    if (stage >= kStages || type >= 32) return D3DERR_INVALIDCALL;
    state_->stageStates[stage][type] = value;
    state_->rasterStatesDirty = true;
    return D3D_OK;
}

HRESULT Direct3DDevice8::GetTextureStageState(DWORD stage, DWORD type, DWORD* out) const {
    if (stage >= kStages || type >= 32 || !out) return D3DERR_INVALIDCALL;
    *out = state_->stageStates[stage][type];
    return D3D_OK;
}

HRESULT Direct3DDevice8::CreateVertexShader(const DWORD* declaration, VertexProgramFn program, DWORD* handle, DWORD) {
    if (!declaration || !program || !handle) return D3DERR_INVALIDCALL;
    VertexProgram p;
    p.fn = program;
    DWORD offset = 0;
    DWORD stream = 0;
    for (int i = 0; i < 256; ++i) {
        DWORD t = declaration[i];
        if (t == VSD_END()) {
            p.size = offset;
            DeviceState& s = *state_;
            DWORD h = (s.nextProgram++ << 1) | 1u;
            s.programs[h] = std::move(p);
            *handle = h;
            return D3D_OK;
        }
        switch (t >> 28) {
            case 1: stream = t & 0xFFFF; break;
            case 2: {
                DWORD reg = t & 0xFFFF, type = (t >> 16) & 0xFFF;
                if (stream != 0 || reg >= kVertexInputRegisters || type > D3DVSDT_SHORT4) return D3DERR_INVALIDCALL;
                p.elements.push_back(VertexElement{reg, type, offset});
                offset += TypeSize(type);
                break;
            }
            case 3: offset += 4 * ((t >> 16) & 0xFFF); break;
            default: return D3DERR_INVALIDCALL;
        }
    }
    return D3DERR_INVALIDCALL;
}

HRESULT Direct3DDevice8::DeleteVertexShader(DWORD handle) {
    DeviceState& s = *state_;
    if (!s.programs.erase(handle)) return D3DERR_INVALIDCALL;
    if (s.vertexShader == handle) s.vertexShader = 0;
    return D3D_OK;
}

HRESULT Direct3DDevice8::SetVertexShader(DWORD handle) {
    ++counts_.setVertexShader;
    if (IsVertexProgramHandle(handle)) {
        if (!state_->programs.count(handle)) return D3DERR_INVALIDCALL;
    } else if (handle != 0 && !ParseFvf(handle).valid) {
        return D3DERR_INVALIDCALL;
    }
    state_->vertexShader = handle;
    return D3D_OK;
}

HRESULT Direct3DDevice8::GetVertexShader(DWORD* out) const {
    if (!out) return D3DERR_INVALIDCALL;
    *out = state_->vertexShader;
    return D3D_OK;
}

HRESULT Direct3DDevice8::SetVertexShaderConstant(DWORD reg, const void* data, DWORD count) {
    if (!data || reg >= kVertexShaderConstants || count > kVertexShaderConstants - reg) return D3DERR_INVALIDCALL;
    std::memcpy(&state_->constants[reg], data, static_cast<std::size_t>(count) * sizeof(Vec4));
    return D3D_OK;
}

HRESULT Direct3DDevice8::GetVertexShaderConstant(DWORD reg, void* data, DWORD count) const {
    if (!data || reg >= kVertexShaderConstants || count > kVertexShaderConstants - reg) return D3DERR_INVALIDCALL;
    std::memcpy(data, &state_->constants[reg], static_cast<std::size_t>(count) * sizeof(Vec4));
    return D3D_OK;
}

HRESULT Direct3DDevice8::SetStreamSource(std::uint32_t stream, Direct3DVertexBuffer8* buffer, std::uint32_t stride) {
    if (stream != 0) return D3DERR_INVALIDCALL;
    Bind(state_->stream0, buffer);
    state_->stride0 = stride;
    return D3D_OK;
}

HRESULT Direct3DDevice8::SetIndices(Direct3DIndexBuffer8* buffer, std::uint32_t baseVertex) {
    Bind(state_->indices, buffer);
    state_->baseVertex = baseVertex;
    return D3D_OK;
}

// ---------------------------------------------------------------------------
// Drawing.

namespace {

std::uint32_t VerticesFor(D3DPRIMITIVETYPE type, std::uint32_t n) {
    switch (type) {
        case D3DPT_POINTLIST: return n;
        case D3DPT_LINELIST: return 2 * n;
        case D3DPT_LINESTRIP: return n + 1;
        case D3DPT_TRIANGLELIST: return 3 * n;
        case D3DPT_TRIANGLESTRIP:
        case D3DPT_TRIANGLEFAN: return n + 2;
        default: return 0;
    }
}

raster::Vertex Project(const Vec4& c, const raster::Vertex& attrs, const D3DVIEWPORT8& vp) {
    raster::Vertex o = attrs;
    float rhw = 1.0f / c.w;
    o.x = static_cast<float>(vp.X) + (1.0f + c.x * rhw) * (static_cast<float>(vp.Width) * 0.5f);
    o.y = static_cast<float>(vp.Y) + (1.0f - c.y * rhw) * (static_cast<float>(vp.Height) * 0.5f);
    o.z = vp.MinZ + c.z * rhw * (vp.MaxZ - vp.MinZ);
    o.rhw = rhw;
    return o;
}

Processed LerpClip(const Processed& a, const Processed& b, float t) {
    auto mix = [t](float x, float y) { return x + (y - x) * t; };
    Processed o;
    o.clip = Vec4{mix(a.clip.x, b.clip.x), mix(a.clip.y, b.clip.y), mix(a.clip.z, b.clip.z), mix(a.clip.w, b.clip.w)};
    o.v.r = mix(a.v.r, b.v.r);
    o.v.g = mix(a.v.g, b.v.g);
    o.v.b = mix(a.v.b, b.v.b);
    o.v.a = mix(a.v.a, b.v.a);
    for (int i = 0; i < 4; ++i) {
        o.v.uv[i][0] = mix(a.v.uv[i][0], b.v.uv[i][0]);
        o.v.uv[i][1] = mix(a.v.uv[i][1], b.v.uv[i][1]);
    }
    return o;
}

// Clip a polygon in clip space against 0 <= z <= w and w > 0.
int ClipHomogeneous(Processed* poly, int n, Processed* scratch) {
    Processed* in = poly;
    Processed* out = scratch;
    for (int plane = 0; plane < 3 && n > 0; ++plane) {
        auto dist = [plane](const Processed& p) {
            switch (plane) {
                case 0: return p.clip.z;
                case 1: return p.clip.w - p.clip.z;
                default: return p.clip.w - 1.0e-6f;
            }
        };
        int m = 0;
        for (int i = 0; i < n; ++i) {
            const Processed& a = in[i];
            const Processed& b = in[(i + 1) % n];
            float da = dist(a), db = dist(b);
            if (da >= 0) out[m++] = a;
            if ((da >= 0) != (db >= 0)) out[m++] = LerpClip(a, b, da / (da - db));
        }
        n = m;
        std::swap(in, out);
    }
    if (in != poly) {
        for (int i = 0; i < n; ++i) poly[i] = in[i];
    }
    return n;
}

bool Inside(const Processed& p) {
    return p.clip.z >= 0 && p.clip.z <= p.clip.w && p.clip.w >= 1.0e-6f && std::isfinite(p.clip.x) &&
           std::isfinite(p.clip.y);
}

}  // namespace

HRESULT Direct3DDevice8::Draw(D3DPRIMITIVETYPE type, std::uint32_t primitiveCount, const std::uint8_t* vertices,
                              std::uint32_t vertexCount, std::uint32_t stride, const void* indices, bool indices32,
                              std::uint32_t baseVertex, std::uint32_t) {
    DeviceState& s = *state_;
    std::uint32_t n = VerticesFor(type, primitiveCount);
    if (n == 0 || primitiveCount == 0)
        return type >= D3DPT_POINTLIST && type <= D3DPT_TRIANGLEFAN ? D3D_OK : D3DERR_INVALIDCALL;
    if (!vertices || stride == 0) return D3DERR_INVALIDCALL;
    // The vertex format or program.
    const VertexProgram* program = nullptr;
    FvfLayout fvf;
    std::uint32_t needed;
    if (IsVertexProgramHandle(s.vertexShader)) {
        auto it = s.programs.find(s.vertexShader);
        if (it == s.programs.end()) return D3DERR_INVALIDCALL;
        program = &it->second;
        needed = program->size;
    } else {
        if (s.fvfHandle != s.vertexShader || !s.fvfLayout.valid) {
            s.fvfLayout = ParseFvf(s.vertexShader);
            s.fvfHandle = s.vertexShader;
        }
        fvf = s.fvfLayout;
        if (!fvf.valid) return D3DERR_INVALIDCALL;
        needed = fvf.size;
    }
    auto indexAt = [&](std::uint32_t i) -> std::uint64_t {
        if (!indices) return static_cast<std::uint64_t>(i) + baseVertex;
        if (indices32) return static_cast<std::uint64_t>(static_cast<const std::uint32_t*>(indices)[i]) + baseVertex;
        return static_cast<std::uint64_t>(static_cast<const std::uint16_t*>(indices)[i]) + baseVertex;
    };
    // Refuse indices outside the vertex data before drawing anything.
    std::uint64_t dataBytes = static_cast<std::uint64_t>(vertexCount) * stride;
    for (std::uint32_t i = 0; i < n; ++i) {
        std::uint64_t idx = indexAt(i);
        if (idx >= vertexCount || idx * stride + needed > dataBytes) {
            return D3DERR_INVALIDCALL;
        }
    }
    ++counts_.draws;
    if (lost_ || !s.renderTarget || !DrawingEnabled()) return D3D_OK;

    // Pipeline state for the rasterizer.
    raster::State& rs = s.raster;
    Direct3DSurface8* t = s.renderTarget;
    // With the draw kept in the list, what the list holds that reads the
    // targets is drawn first (and a texture waits for what draws into it).
    const bool record = drawlist::Recording();
    if (record && (t->PendingReads() || (s.depth && s.depth->PendingReads()))) drawlist::Finish();
    rs.target = raster::Target{t->WritableBits(), t->Pitch(), t->Format(), static_cast<int>(t->Width()),
                               static_cast<int>(t->Height())};
    rs.depth = raster::DepthTarget{};
    if (s.depth) {
        rs.depth = raster::DepthTarget{reinterpret_cast<std::uint16_t*>(s.depth->WritableBits()), s.depth->Pitch(),
                                       static_cast<int>(s.depth->Width()), static_cast<int>(s.depth->Height())};
    }
    const D3DVIEWPORT8& vp = s.viewport;
    rs.clipX0 = static_cast<int>(std::min<std::uint32_t>(vp.X, t->Width()));
    rs.clipY0 = static_cast<int>(std::min<std::uint32_t>(vp.Y, t->Height()));
    rs.clipX1 = static_cast<int>(std::min<std::uint64_t>(static_cast<std::uint64_t>(vp.X) + vp.Width, t->Width()));
    rs.clipY1 = static_cast<int>(std::min<std::uint64_t>(static_cast<std::uint64_t>(vp.Y) + vp.Height, t->Height()));
    if (s.depth) {
        rs.clipX1 = std::min(rs.clipX1, rs.depth.width);
        rs.clipY1 = std::min(rs.clipY1, rs.depth.height);
    }
    if (s.rasterStatesDirty) {
        s.rasterStatesDirty = false;
        const DWORD* r = s.renderStates;
        rs.cullMode = r[D3DRS_CULLMODE];
        rs.fillMode = r[D3DRS_FILLMODE];
        rs.shadeMode = r[D3DRS_SHADEMODE];
        rs.zEnable = r[D3DRS_ZENABLE] != 0;
        rs.zWrite = r[D3DRS_ZWRITEENABLE] != 0;
        rs.zFunc = r[D3DRS_ZFUNC];
        rs.alphaTest = r[D3DRS_ALPHATESTENABLE] != 0;
        rs.alphaRef = r[D3DRS_ALPHAREF];
        rs.alphaFunc = r[D3DRS_ALPHAFUNC];
        rs.blend = r[D3DRS_ALPHABLENDENABLE] != 0;
        rs.srcBlend = r[D3DRS_SRCBLEND];
        rs.destBlend = r[D3DRS_DESTBLEND];
        rs.blendOp = r[D3DRS_BLENDOP];
        rs.colorWriteMask = r[D3DRS_COLORWRITEENABLE];
        rs.textureFactor = r[D3DRS_TEXTUREFACTOR];
        rs.lastPixel = r[D3DRS_LASTPIXEL] != 0;
        for (int i = 0; i < 4; ++i) {
            const DWORD* ts = s.stageStates[i];
            raster::Stage& st = rs.stages[i];
            st.colorOp = ts[D3DTSS_COLOROP];
            st.colorArg1 = ts[D3DTSS_COLORARG1];
            st.colorArg2 = ts[D3DTSS_COLORARG2];
            st.alphaOp = ts[D3DTSS_ALPHAOP];
            st.alphaArg1 = ts[D3DTSS_ALPHAARG1];
            st.alphaArg2 = ts[D3DTSS_ALPHAARG2];
            st.texCoordIndex = ts[D3DTSS_TEXCOORDINDEX];
            st.addressU = ts[D3DTSS_ADDRESSU];
            st.addressV = ts[D3DTSS_ADDRESSV];
            st.borderColor = ts[D3DTSS_BORDERCOLOR];
            st.magFilter = ts[D3DTSS_MAGFILTER];
            st.minFilter = ts[D3DTSS_MINFILTER];
        }
    }
    for (int i = 0; i < 4; ++i) {
        raster::Stage& st = rs.stages[i];
        st.texture = raster::TextureView{};
        if (Direct3DTexture8* tex = s.textures2d[i]) {
            Direct3DSurface8* level = tex->Level0();
            if (level != t) {
                st.texture = raster::TextureView{level->Argb(), static_cast<int>(level->Width()),
                                                 static_cast<int>(level->Height())};
            }
        }
    }
    // The primitives go to the rasterizer at once, or into the list.
    struct Primitives {
        raster::Rasterizer* rz;
        void Triangle(const raster::Vertex& a, const raster::Vertex& b, const raster::Vertex& c, bool perspective) {
            if (rz) rz->Triangle(a, b, c, perspective);
            else drawlist::Triangle(a, b, c, perspective);
        }
        void Quad(const raster::Vertex& a, const raster::Vertex& b, const raster::Vertex& c, const raster::Vertex& d,
                  bool perspective) {
            if (rz) rz->Quad(a, b, c, d, perspective);
            else drawlist::Quad(a, b, c, d, perspective);
        }
        void Line(const raster::Vertex& a, const raster::Vertex& b, bool perspective) {
            if (rz) rz->Line(a, b, perspective);
            else drawlist::Line(a, b, perspective);
        }
        void Point(const raster::Vertex& a) {
            if (rz) rz->Point(a);
            else drawlist::Point(a);
        }
    };
    std::optional<raster::Rasterizer> rasterizer;
    if (record) {
        drawlist::BeginDraw(rs);
        t->MarkWritten();
        if (s.depth) s.depth->MarkWritten();
        for (int i = 0; i < 4; ++i) {
            if (rs.stages[i].texture.argb) s.textures2d[i]->Level0()->MarkRead();
        }
    } else {
        rasterizer.emplace(rs);
    }
    Primitives rz{rasterizer ? &*rasterizer : nullptr};

    // Vertex processing, once per referenced vertex.
    bool transformed = program != nullptr || !fvf.pretransformed;
    D3DMATRIX wvp;
    if (!program && !fvf.pretransformed) wvp = Multiply(Multiply(s.world, s.view), s.projection);
    std::vector<Processed>& cache = s.vertexCache;
    std::vector<std::uint8_t>& done = s.vertexDone;
    std::uint64_t cacheBase = 0;
    {
        std::uint64_t lo = UINT64_MAX, hi = 0;
        for (std::uint32_t i = 0; i < n; ++i) {
            std::uint64_t idx = indexAt(i);
            lo = std::min(lo, idx);
            hi = std::max(hi, idx);
        }
        cacheBase = lo;
        cache.resize(static_cast<std::size_t>(hi - lo + 1));
        done.assign(cache.size(), 0);
    }
    auto process = [&](std::uint64_t idx) -> const Processed& {
        Processed& p = cache[static_cast<std::size_t>(idx - cacheBase)];
        if (done[static_cast<std::size_t>(idx - cacheBase)]) return p;
        done[static_cast<std::size_t>(idx - cacheBase)] = 1;
        p = Processed{};  // attributes the format lacks read as their defaults
        const std::uint8_t* src = vertices + idx * stride;
        if (program) {
            Vec4 in[kVertexInputRegisters];
            for (Vec4& v : in) v = Vec4{0, 0, 0, 1};
            for (const VertexElement& e : program->elements) {
                const std::uint8_t* q = src + e.offset;
                Vec4& v = in[e.reg];
                switch (e.type) {
                    case D3DVSDT_FLOAT4: v.w = ReadFloat(q + 12); [[fallthrough]];
                    case D3DVSDT_FLOAT3: v.z = ReadFloat(q + 8); [[fallthrough]];
                    case D3DVSDT_FLOAT2: v.y = ReadFloat(q + 4); [[fallthrough]];
                    case D3DVSDT_FLOAT1: v.x = ReadFloat(q); break;
                    case D3DVSDT_D3DCOLOR: {
                        std::uint32_t c = ReadU32(q);
                        v = Vec4{((c >> 16) & 0xFF) / 255.0f, ((c >> 8) & 0xFF) / 255.0f, (c & 0xFF) / 255.0f,
                                 (c >> 24) / 255.0f};
                        break;
                    }
                    case D3DVSDT_UBYTE4:
                        v = Vec4{static_cast<float>(q[0]), static_cast<float>(q[1]), static_cast<float>(q[2]),
                                 static_cast<float>(q[3])};
                        break;
                    case D3DVSDT_SHORT2:
                    case D3DVSDT_SHORT4: {
                        std::int16_t sh[4] = {0, 0, 0, 1};
                        std::memcpy(sh, q, e.type == D3DVSDT_SHORT2 ? 4 : 8);
                        v = Vec4{static_cast<float>(sh[0]), static_cast<float>(sh[1]), static_cast<float>(sh[2]),
                                 static_cast<float>(sh[3])};
                        break;
                    }
                    default: break;
                }
            }
            VertexProgramOutput out;
            program->fn(in, s.constants, out);
            p.clip = out.position;
            auto c255 = [](float f) { return std::clamp(f, 0.0f, 1.0f) * 255.0f; };
            p.v.r = c255(out.diffuse.x);
            p.v.g = c255(out.diffuse.y);
            p.v.b = c255(out.diffuse.z);
            p.v.a = c255(out.diffuse.w);
            for (int i = 0; i < 4; ++i) {
                p.v.uv[i][0] = out.texcoord[i].x;
                p.v.uv[i][1] = out.texcoord[i].y;
            }
            return p;
        }
        float x = ReadFloat(src), y = ReadFloat(src + 4), z = ReadFloat(src + 8);
        std::uint32_t c = fvf.hasDiffuse ? ReadU32(src + fvf.diffuse) : 0xFFFFFFFFu;
        p.v.a = static_cast<float>(c >> 24);
        p.v.r = static_cast<float>((c >> 16) & 0xFF);
        p.v.g = static_cast<float>((c >> 8) & 0xFF);
        p.v.b = static_cast<float>(c & 0xFF);
        for (int i = 0; i < std::min(fvf.texCount, 4); ++i) {
            p.v.uv[i][0] = ReadFloat(src + fvf.tex[i]);
            p.v.uv[i][1] = fvf.texDims[i] >= 2 ? ReadFloat(src + fvf.tex[i] + 4) : 0.0f;
        }
        if (fvf.pretransformed) {
            p.v.x = x;
            p.v.y = y;
            p.v.z = z;
            p.v.rhw = ReadFloat(src + 12);
            return p;
        }
        const auto& m = wvp.m;
        p.clip =
            Vec4{x * m[0][0] + y * m[1][0] + z * m[2][0] + m[3][0], x * m[0][1] + y * m[1][1] + z * m[2][1] + m[3][1],
                 x * m[0][2] + y * m[1][2] + z * m[2][2] + m[3][2], x * m[0][3] + y * m[1][3] + z * m[2][3] + m[3][3]};
        return p;
    };

    auto triangle = [&](std::uint32_t i0, std::uint32_t i1, std::uint32_t i2) {
        const Processed& a = process(indexAt(i0));
        const Processed& b = process(indexAt(i1));
        const Processed& c = process(indexAt(i2));
        if (!transformed) {
            rz.Triangle(a.v, b.v, c.v, false);
            return;
        }
        if (Inside(a) && Inside(b) && Inside(c)) {
            rz.Triangle(Project(a.clip, a.v, vp), Project(b.clip, b.v, vp), Project(c.clip, c.v, vp), true);
            return;
        }
        Processed poly[8] = {a, b, c};
        Processed scratch[8];
        int m = ClipHomogeneous(poly, 3, scratch);
        for (int k = 1; k + 1 < m; ++k) {
            rz.Triangle(Project(poly[0].clip, poly[0].v, vp), Project(poly[k].clip, poly[k].v, vp),
                        Project(poly[k + 1].clip, poly[k + 1].v, vp), true);
        }
    };
    auto line = [&](std::uint32_t i0, std::uint32_t i1) {
        const Processed& a = process(indexAt(i0));
        const Processed& b = process(indexAt(i1));
        if (!transformed) {
            rz.Line(a.v, b.v, false);
            return;
        }
        Processed poly[2] = {a, b};
        // Clip the segment against the near and far planes.
        float t0 = 0.0f, t1 = 1.0f;
        for (int plane = 0; plane < 3; ++plane) {
            auto dist = [plane](const Processed& p) {
                return plane == 0 ? p.clip.z : plane == 1 ? p.clip.w - p.clip.z : p.clip.w - 1.0e-6f;
            };
            float da = dist(a), db = dist(b);
            if (da < 0 && db < 0) return;
            if (da < 0) t0 = std::max(t0, da / (da - db));
            if (db < 0) t1 = std::min(t1, da / (da - db));
        }
        if (t0 > t1) return;
        poly[0] = t0 > 0 ? LerpClip(a, b, t0) : a;
        poly[1] = t1 < 1 ? LerpClip(a, b, t1) : b;
        rz.Line(Project(poly[0].clip, poly[0].v, vp), Project(poly[1].clip, poly[1].v, vp), true);
    };
    auto point = [&](std::uint32_t i0) {
        const Processed& a = process(indexAt(i0));
        if (!transformed) {
            rz.Point(a.v);
        } else if (Inside(a)) {
            rz.Point(Project(a.clip, a.v, vp));
        }
    };

    switch (type) {
        case D3DPT_POINTLIST:
            for (std::uint32_t i = 0; i < primitiveCount; ++i) point(i);
            break;
        case D3DPT_LINELIST:
            for (std::uint32_t i = 0; i < primitiveCount; ++i) line(2 * i, 2 * i + 1);
            break;
        case D3DPT_LINESTRIP:
            for (std::uint32_t i = 0; i < primitiveCount; ++i) line(i, i + 1);
            break;
        case D3DPT_TRIANGLELIST:
            for (std::uint32_t i = 0; i < primitiveCount; ++i) triangle(3 * i, 3 * i + 1, 3 * i + 2);
            break;
        case D3DPT_TRIANGLESTRIP:
            for (std::uint32_t i = 0; i < primitiveCount; ++i) {
                if (i & 1) triangle(i + 1, i, i + 2);
                else triangle(i, i + 1, i + 2);
            }
            break;
        case D3DPT_TRIANGLEFAN:
            if (primitiveCount == 2 && !transformed) {
                // A sprite's quad: the rasterizer draws it as one rectangle when it is one.
                rz.Quad(process(indexAt(0)).v, process(indexAt(1)).v, process(indexAt(2)).v, process(indexAt(3)).v,
                        false);
                break;
            }
            for (std::uint32_t i = 0; i < primitiveCount; ++i) triangle(0, i + 1, i + 2);
            break;
        default: return D3DERR_INVALIDCALL;
    }
    t->Touch();
    return D3D_OK;
}

HRESULT Direct3DDevice8::DrawPrimitive(D3DPRIMITIVETYPE type, std::uint32_t startVertex, std::uint32_t primitiveCount) {
    DeviceState& s = *state_;
    if (!s.stream0 || s.stride0 == 0) return D3DERR_INVALIDCALL;
    std::uint32_t count = static_cast<std::uint32_t>(s.stream0->Data().size() / s.stride0);
    return Draw(type, primitiveCount, s.stream0->Data().data(), count, s.stride0, nullptr, false, startVertex, 0);
}

HRESULT Direct3DDevice8::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, std::uint32_t minIndex, std::uint32_t,
                                              std::uint32_t startIndex, std::uint32_t primitiveCount) {
    DeviceState& s = *state_;
    if (!s.stream0 || s.stride0 == 0 || !s.indices) return D3DERR_INVALIDCALL;
    std::uint64_t indexCount = s.indices->Data().size() / 2;
    std::uint64_t n = VerticesFor(type, primitiveCount);
    if (static_cast<std::uint64_t>(startIndex) + n > indexCount) return D3DERR_INVALIDCALL;
    std::uint32_t count = static_cast<std::uint32_t>(s.stream0->Data().size() / s.stride0);
    const auto* idx = reinterpret_cast<const std::uint16_t*>(s.indices->Data().data()) + startIndex;
    return Draw(type, primitiveCount, s.stream0->Data().data(), count, s.stride0, idx, false, s.baseVertex, minIndex);
}

HRESULT Direct3DDevice8::DrawPrimitiveUP(D3DPRIMITIVETYPE type, std::uint32_t primitiveCount, const void* vertices,
                                         std::uint32_t stride) {
    std::uint32_t n = VerticesFor(type, primitiveCount);
    HRESULT hr =
        Draw(type, primitiveCount, static_cast<const std::uint8_t*>(vertices), n, stride, nullptr, false, 0, 0);
    // As with the model: drawing from user memory leaves no stream bound.
    SetStreamSource(0, nullptr, 0);
    return hr;
}

HRESULT Direct3DDevice8::DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, std::uint32_t minIndex,
                                                std::uint32_t vertexCount, std::uint32_t primitiveCount,
                                                const void* indices, D3DFORMAT indexFormat, const void* vertices,
                                                std::uint32_t stride) {
    if (!indices || (indexFormat != D3DFMT_INDEX16 && indexFormat != D3DFMT_INDEX32)) return D3DERR_INVALIDCALL;
    HRESULT hr = Draw(type, primitiveCount, static_cast<const std::uint8_t*>(vertices), minIndex + vertexCount, stride,
                      indices, indexFormat == D3DFMT_INDEX32, 0, minIndex);
    SetStreamSource(0, nullptr, 0);
    SetIndices(nullptr, 0);
    return hr;
}

}  // namespace platform::gfx
