#pragma once
// Our software stand-in for the Direct3D 8 device: the Direct3D object
// (adapter modes, format checks, caps, device creation), the device with its
// resources, states and draws, and a deterministic rasterizer behind it. The
// picture is shown through SDL by Present (nothing is shown without a window).
//
// Objects are reference counted like their models: every Create*/Get* that
// hands out an object adds a reference the caller gives back with Release().
// The simulated machine (display modes, supported formats, caps, failures to
// inject) is GraphicsEnvironment(); tests change it before creating objects.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/gfx/types.h"

namespace platform::gfx {

class Direct3DDevice8;
struct DeviceState;

// ---------------------------------------------------------------------------
// The simulated machine.

struct EnvironmentConfig {
    // Adapter display modes in the order EnumAdapterModes lists them.
    std::vector<D3DDISPLAYMODE> modes;
    D3DDISPLAYMODE desktop;
    // Formats CheckDeviceFormat accepts as textures / as render targets.
    std::set<D3DFORMAT> textureFormats;
    std::set<D3DFORMAT> renderTargetFormats;
    // Caps of the hardware device type; GetDeviceCaps for it fails when false.
    bool halCapsAvailable = true;
    D3DCAPS8 halCaps;
    std::uint32_t availableTextureMemory = 256u << 20;
    // Injected failures.
    bool libraryMissing = false;
    bool createFunctionMissing = false;
    bool createReturnsNull = false;
    // CreateDevice fails for a (device type, behaviour) pair whose bit is set:
    // bit 0 HAL pure, bit 1 HAL hardware vertex processing, bit 2 HAL software
    // vertex processing, bit 3 REF.
    std::uint32_t failCreateMask = 0;
    bool failDeviceCapsAfterCreate = false;
    // The next this many Reset calls fail with D3DERR_DEVICELOST.
    int resetFailures = 0;
};

// The default machine: 640x480/800x600/1024x768 in X8R8G8B8 then R5G6B5,
// a 1024x768 X8R8G8B8 desktop, every format of the device but R8G8B8,
// hardware rasterisation, transform and lighting, pure device, vertex shader
// 1.1 with 96 constants, 256 MB of texture memory.
EnvironmentConfig DefaultEnvironment();
EnvironmentConfig& GraphicsEnvironment();
void ResetGraphicsEnvironment();

// Drawing on or off for every device (on at start). Off, draws, clears and
// copies into render targets check their arguments and return as they would
// but change no pixel, and Present shows nothing: a run that needs only the
// game state (--no-draw) leaves the rasterizer out. Resources are still
// created and loaded.
void SetDrawingEnabled(bool on);
bool DrawingEnabled();

// ---------------------------------------------------------------------------
// The loadable library and its entry point.

class Direct3D8;
using Direct3DCreate8Fn = Direct3D8* (*)(std::uint32_t sdkVersion);
struct GraphicsLibrary;
constexpr std::uint32_t D3D_SDK_VERSION = 220;

GraphicsLibrary* LoadGraphicsLibrary(const char* name);                            // "D3D8.DLL"
Direct3DCreate8Fn FindCreateFunction(GraphicsLibrary* library, const char* name);  // "Direct3DCreate8"
void FreeGraphicsLibrary(GraphicsLibrary* library);
Direct3D8* Direct3DCreate8(std::uint32_t sdkVersion);

// ---------------------------------------------------------------------------

class Unknown {
public:
    virtual ~Unknown() = default;
    virtual std::uint32_t AddRef();
    virtual std::uint32_t Release();
    std::uint32_t RefCount() const { return refs_; }

protected:
    Unknown() = default;
    Unknown(const Unknown&) = delete;
    Unknown& operator=(const Unknown&) = delete;
    std::uint32_t refs_ = 1;
};

class Direct3D8 : public Unknown {
public:
    std::uint32_t GetAdapterCount() const { return 1; }
    std::uint32_t GetAdapterModeCount(std::uint32_t adapter) const;
    HRESULT EnumAdapterModes(std::uint32_t adapter, std::uint32_t mode, D3DDISPLAYMODE* out) const;
    HRESULT GetAdapterDisplayMode(std::uint32_t adapter, D3DDISPLAYMODE* out) const;
    HRESULT CheckDeviceFormat(std::uint32_t adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                              D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat) const;
    HRESULT GetDeviceCaps(std::uint32_t adapter, D3DDEVTYPE type, D3DCAPS8* out) const;
    HRESULT CreateDevice(std::uint32_t adapter, D3DDEVTYPE type, void* focusWindow, DWORD behaviour,
                         D3DPRESENT_PARAMETERS* params, Direct3DDevice8** out);
};

// A device resource. Default-pool resources must all be released before a
// Reset succeeds, as the engine's restore expects.
class Direct3DResource8 : public Unknown {
public:
    std::uint32_t AddRef() override;
    std::uint32_t Release() override;
    D3DPOOL Pool() const { return pool_; }
    DWORD Usage() const { return usage_; }
    // References held by the device itself (bindings), not by the program.
    std::uint32_t InternalRefs() const { return internalRefs_; }
    // clang-format off
    void AddInternalRef() { ++internalRefs_; AddRef(); }
    void ReleaseInternalRef() { --internalRefs_; Release(); }
    // clang-format on
    Direct3DDevice8* Device() const { return device_; }
    ~Direct3DResource8() override;

protected:
    Direct3DResource8(Direct3DDevice8* device, D3DPOOL pool, DWORD usage);
    Direct3DDevice8* device_;
    D3DPOOL pool_;
    DWORD usage_;
    std::uint32_t internalRefs_ = 0;
    friend class Direct3DDevice8;
};

class Direct3DTexture8;

class Direct3DSurface8 : public Direct3DResource8 {
public:
    Direct3DSurface8(Direct3DDevice8* device, std::uint32_t width, std::uint32_t height, D3DFORMAT format, D3DPOOL pool,
                     DWORD usage, bool lockable, Direct3DTexture8* container);
    ~Direct3DSurface8() override;
    // A texture level shares its container's reference count.
    std::uint32_t AddRef() override;
    std::uint32_t Release() override;

    HRESULT GetDesc(D3DSURFACE_DESC* out) const;
    HRESULT LockRect(D3DLOCKED_RECT* out, const RECT* rect, DWORD flags);
    HRESULT UnlockRect();

    // Direct pixel access for frame capture and tests. Drawing that is still
    // pending into the surface (or, for writing, from it) is done first.
    std::uint32_t Width() const { return width_; }
    std::uint32_t Height() const { return height_; }
    D3DFORMAT Format() const { return format_; }
    std::int32_t Pitch() const { return pitch_; }
    // Writable pixels: a surface that shares its memory with another (see
    // ShareBitsOf) gets a copy of its own first.
    std::uint8_t* Bits() {
        AwaitDrawing(true);
        return WritableBits();
    }
    const std::uint8_t* Bits() const {
        AwaitDrawing(false);
        return ReadableBits();
    }
    // Takes `bits` (Pitch() x Height() bytes, freed with delete[]) as the
    // surface's pixels; false, and `bits` kept, while the surface is locked
    // or when `size` is not its size.
    bool AdoptBits(std::unique_ptr<std::uint8_t[]>& bits, std::size_t size);
    // Makes the pixels those of `source` (same size and format) without a
    // copy: the two share one block until either is written through Bits()
    // or a lock, which copies it first.
    void ShareBitsOf(const Direct3DSurface8& source);
    bool IsLocked() const { return locked_; }
    Direct3DTexture8* Container() const { return container_; }
    // Called whenever the pixels changed (drawing, copies, unlock).
    void Touch();
    // The pixels as A8R8G8B8 (16-bit formats expanded by bit replication,
    // X formats with alpha 0xFF); kept up to date lazily.
    const std::uint32_t* Argb();
    std::uint64_t Version() const { return version_; }

private:
    std::uint32_t width_, height_;
    D3DFORMAT format_;
    std::int32_t pitch_;
    bool lockable_;
    bool locked_ = false;
    Direct3DTexture8* container_;
    void Allocate() const;
    void Unshare();
    // The pixels without waiting for pending drawing (the device's own use).
    std::uint8_t* WritableBits() {
        if (!bits_ || bits_.use_count() > 1) Unshare();
        return bits_.get();
    }
    const std::uint8_t* ReadableBits() const {
        if (!bits_) Allocate();
        return bits_.get();
    }
    // With several drawing threads the device's commands wait in a list
    // (platform/gfx/draw_list.h); the list's serial number marks the surfaces
    // its commands read (as textures, copy sources) and write.
    void MarkRead();
    void MarkWritten();
    bool PendingReads() const;
    bool PendingWrites() const;
    // Draws the pending list when it writes this surface, or when `writing`
    // and it reads it.
    void AwaitDrawing(bool writing) const;
    std::uint64_t readBy_ = 0, writtenBy_ = 0;
    friend class Direct3DDevice8;
    // Zeroed, made at the first use (a texture whose pixels are handed over
    // or shared never makes its own); by calloc, as fresh pages from the
    // system are zero already.
    mutable std::shared_ptr<std::uint8_t> bits_;
    std::size_t size_ = 0;
    std::vector<std::uint32_t> argb_;
    std::uint64_t version_ = 1;
    std::uint64_t argbVersion_ = 0;
};

class Direct3DBaseTexture8 : public Direct3DResource8 {
public:
    virtual std::uint32_t GetLevelCount() const { return 1; }

protected:
    using Direct3DResource8::Direct3DResource8;
};

// A texture of one level (level 0 only).
class Direct3DTexture8 : public Direct3DBaseTexture8 {
public:
    Direct3DTexture8(Direct3DDevice8* device, std::uint32_t width, std::uint32_t height, D3DFORMAT format, D3DPOOL pool,
                     DWORD usage);
    ~Direct3DTexture8() override;
    HRESULT GetLevelDesc(std::uint32_t level, D3DSURFACE_DESC* out) const;
    HRESULT GetSurfaceLevel(std::uint32_t level, Direct3DSurface8** out);
    HRESULT LockRect(std::uint32_t level, D3DLOCKED_RECT* out, const RECT* rect, DWORD flags);
    HRESULT UnlockRect(std::uint32_t level);
    HRESULT AddDirtyRect(const RECT* rect);
    Direct3DSurface8* Level0() { return level0_.get(); }

private:
    std::unique_ptr<Direct3DSurface8> level0_;
};

class Direct3DVertexBuffer8 : public Direct3DResource8 {
public:
    Direct3DVertexBuffer8(Direct3DDevice8* device, std::uint32_t length, DWORD usage, DWORD fvf, D3DPOOL pool);
    HRESULT Lock(std::uint32_t offset, std::uint32_t size, std::uint8_t** data, DWORD flags);
    HRESULT Unlock();
    HRESULT GetDesc(D3DVERTEXBUFFER_DESC* out) const;
    const std::vector<std::uint8_t>& Data() const { return data_; }

private:
    std::vector<std::uint8_t> data_;
    DWORD fvf_;
    bool locked_ = false;
};

class Direct3DIndexBuffer8 : public Direct3DResource8 {
public:
    Direct3DIndexBuffer8(Direct3DDevice8* device, std::uint32_t length, DWORD usage, D3DFORMAT format, D3DPOOL pool);
    HRESULT Lock(std::uint32_t offset, std::uint32_t size, std::uint8_t** data, DWORD flags);
    HRESULT Unlock();
    HRESULT GetDesc(D3DINDEXBUFFER_DESC* out) const;
    const std::vector<std::uint8_t>& Data() const { return data_; }

private:
    std::vector<std::uint8_t> data_;
    bool locked_ = false;
};

// Counters of the calls that reached the device (tests of the engine caches).
struct DeviceCallCounts {
    std::uint64_t setRenderState = 0;
    std::uint64_t setTextureStageState = 0;
    std::uint64_t setTexture = 0;
    std::uint64_t setVertexShader = 0;
    std::uint64_t setTransform = 0;
    std::uint64_t draws = 0;
    std::uint64_t resets = 0;
    std::uint64_t presents = 0;
    std::uint64_t clears = 0;
};

class Direct3DDevice8 : public Unknown {
public:
    Direct3DDevice8(Direct3D8* d3d, D3DDEVTYPE type, DWORD behaviour, const D3DPRESENT_PARAMETERS& params);
    ~Direct3DDevice8() override;

    HRESULT TestCooperativeLevel() const;
    std::uint32_t GetAvailableTextureMem() const;
    HRESULT ResourceManagerDiscardBytes(DWORD bytes);
    HRESULT GetDirect3D(Direct3D8** out);
    HRESULT GetDeviceCaps(D3DCAPS8* out) const;
    HRESULT GetDisplayMode(D3DDISPLAYMODE* out) const;
    HRESULT Reset(D3DPRESENT_PARAMETERS* params);
    HRESULT Present(const RECT* source, const RECT* dest, void* destWindowOverride, const void* dirtyRegion);
    HRESULT GetBackBuffer(std::uint32_t index, DWORD type, Direct3DSurface8** out);

    HRESULT CreateTexture(std::uint32_t width, std::uint32_t height, std::uint32_t levels, DWORD usage,
                          D3DFORMAT format, D3DPOOL pool, Direct3DTexture8** out);
    HRESULT CreateVertexBuffer(std::uint32_t length, DWORD usage, DWORD fvf, D3DPOOL pool, Direct3DVertexBuffer8** out);
    HRESULT CreateIndexBuffer(std::uint32_t length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                              Direct3DIndexBuffer8** out);
    HRESULT CreateRenderTarget(std::uint32_t width, std::uint32_t height, D3DFORMAT format, DWORD multiSample,
                               std::int32_t lockable, Direct3DSurface8** out);
    HRESULT CreateDepthStencilSurface(std::uint32_t width, std::uint32_t height, D3DFORMAT format, DWORD multiSample,
                                      Direct3DSurface8** out);
    HRESULT CreateImageSurface(std::uint32_t width, std::uint32_t height, D3DFORMAT format, Direct3DSurface8** out);
    // Raw copy between surfaces of one format; null rects copy the whole source
    // to the same place (or to the points given).
    HRESULT CopyRects(Direct3DSurface8* source, const RECT* rects, std::uint32_t count, Direct3DSurface8* dest,
                      const POINT* points);
    HRESULT UpdateTexture(Direct3DBaseTexture8* source, Direct3DBaseTexture8* dest);
    HRESULT SetRenderTarget(Direct3DSurface8* target, Direct3DSurface8* depth);
    HRESULT GetRenderTarget(Direct3DSurface8** out);
    HRESULT GetDepthStencilSurface(Direct3DSurface8** out);

    HRESULT BeginScene();
    HRESULT EndScene();
    HRESULT Clear(std::uint32_t count, const RECT* rects, DWORD flags, D3DCOLOR colour, float z, DWORD stencil);

    HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix);
    HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* out) const;
    HRESULT SetViewport(const D3DVIEWPORT8* viewport);
    HRESULT GetViewport(D3DVIEWPORT8* out) const;
    HRESULT SetRenderState(DWORD state, DWORD value);
    HRESULT GetRenderState(DWORD state, DWORD* out) const;
    HRESULT SetTexture(DWORD stage, Direct3DBaseTexture8* texture);
    HRESULT GetTexture(DWORD stage, Direct3DBaseTexture8** out);
    HRESULT SetTextureStageState(DWORD stage, DWORD type, DWORD value);
    HRESULT GetTextureStageState(DWORD stage, DWORD type, DWORD* out) const;

    // Vertex programs. `declaration` is read up to VSD_END; the program is the
    // function called per vertex. `handle` receives an odd number.
    HRESULT CreateVertexShader(const DWORD* declaration, VertexProgramFn program, DWORD* handle, DWORD usage);
    HRESULT DeleteVertexShader(DWORD handle);
    // A flexible vertex format code (fixed function) or a program handle; 0 = none.
    HRESULT SetVertexShader(DWORD handle);
    HRESULT GetVertexShader(DWORD* out) const;
    HRESULT SetVertexShaderConstant(DWORD reg, const void* data, DWORD count);
    HRESULT GetVertexShaderConstant(DWORD reg, void* data, DWORD count) const;
    HRESULT SetStreamSource(std::uint32_t stream, Direct3DVertexBuffer8* buffer, std::uint32_t stride);
    HRESULT SetIndices(Direct3DIndexBuffer8* buffer, std::uint32_t baseVertex);

    HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, std::uint32_t startVertex, std::uint32_t primitiveCount);
    HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, std::uint32_t minIndex, std::uint32_t vertexCount,
                                 std::uint32_t startIndex, std::uint32_t primitiveCount);
    HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE type, std::uint32_t primitiveCount, const void* vertices,
                            std::uint32_t stride);
    HRESULT DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, std::uint32_t minIndex, std::uint32_t vertexCount,
                                   std::uint32_t primitiveCount, const void* indices, D3DFORMAT indexFormat,
                                   const void* vertices, std::uint32_t stride);

    // Test hooks.
    void SimulateDeviceLost() { lost_ = true; }
    bool IsLost() const { return lost_; }
    const DeviceCallCounts& CallCounts() const { return counts_; }
    void ResetCallCounts() { counts_ = {}; }
    DWORD BehaviourFlags() const { return behaviour_; }
    D3DDEVTYPE DeviceType() const { return type_; }
    const D3DPRESENT_PARAMETERS& PresentParameters() const { return params_; }
    Direct3DSurface8* BackBufferSurface() { return backBuffer_; }

    // Bookkeeping of default-pool resources (used by the resources).
    void TrackResource(Direct3DResource8* resource, bool add);

private:
    HRESULT CreateBackBuffer();
    void ResetStates();
    void UnbindAll();
    HRESULT Draw(D3DPRIMITIVETYPE type, std::uint32_t primitiveCount, const std::uint8_t* vertices,
                 std::uint32_t vertexCount, std::uint32_t stride, const void* indices, bool indices32,
                 std::uint32_t baseVertex, std::uint32_t minIndex);

    Direct3D8* d3d_;
    D3DDEVTYPE type_;
    DWORD behaviour_;
    D3DPRESENT_PARAMETERS params_;
    bool lost_ = false;
    bool inScene_ = false;
    Direct3DSurface8* backBuffer_ = nullptr;
    std::set<Direct3DResource8*> defaultPool_;
    std::unique_ptr<DeviceState> state_;
    DeviceCallCounts counts_;
};

}  // namespace platform::gfx
