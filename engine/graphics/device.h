#pragma once
// The one graphics device of the engine: start-up with format choice and
// device levels, present parameters, the write-through caches of render
// states, texture-stage states and bound textures, blend and fill presets,
// the frame's begin/clear/end/present and the restore after a device loss.
#include "engine/core/types.h"
#include "platform/gfx/device.h"

class Texture;
class Surface;
class VertexShader;

// Device levels, strongest first.
enum DeviceLevel : u32 {
    kDeviceLevelPure = 0,
    kDeviceLevelHardware = 1,
    kDeviceLevelSoftware = 2,
    kDeviceLevelReference = 3,
};

// Kinds of device objects, in the order a restore releases and re-creates them.
enum DeviceObjectKind : int {
    kDeviceObjectSurfaces = 0,
    kDeviceObjectTextures,
    kDeviceObjectSprites,
    kDeviceObjectListSprites,
    kDeviceObjectPrimitives,
    kDeviceObjectPrimitives2,
    kDeviceObjectParticles,
    kDeviceObjectModels,
    kDeviceObjectScene,
    kDeviceObjectKindCount,
};

// What the device layer calls of the managers built on it. Each manager
// fills its entries when it starts; an empty entry is skipped.
struct GraphicsDeviceHooks {
    // The device texture of an engine texture (null while it has none).
    platform::gfx::Direct3DBaseTexture8* (*textureResource)(Texture* texture) = nullptr;
    // The device handle of a vertex shader object (0xFFFFFFFF when it has none).
    u32 (*shaderHandle)(VertexShader* shader) = nullptr;
    // The surface's own set-depth-buffer operation.
    i32 (*setDepthBuffer)(Surface* surface) = nullptr;
    // Re-sends the current camera's view and projection.
    void (*applyCameraTransform)() = nullptr;
    // Release and re-create the device objects of one kind of manager.
    void (*lostAll[kDeviceObjectKindCount])() = {};
    void (*resetAll[kDeviceObjectKindCount])() = {};
};
GraphicsDeviceHooks& DeviceHooks();
// Fills the lost and reset entries of one kind.
void SetDeviceObjectHooks(DeviceObjectKind kind, void (*lost)(), void (*reset)());
// Empties both entries of the kind, but only while `lost` is still the one
// set there (a later manager's hooks stay).
void ClearDeviceObjectHooks(DeviceObjectKind kind, void (*lost)());

constexpr u32 kStateUnknown = 0xFFFFFFFFu;

// The device globals, readable for reports and tests.
struct GraphicsDeviceGlobals {
    platform::gfx::GraphicsLibrary* library = nullptr;
    platform::gfx::Direct3D8* direct3d = nullptr;
    platform::gfx::Direct3DDevice8* device = nullptr;
    platform::gfx::D3DPRESENT_PARAMETERS presentParameters;
    u32 deviceLevel = kDeviceLevelPure;
    i32 softwareVertexProcessing = 0;
    u32 requiredVertexShaderVersion = 0xFFFE0101u;
    u32 requiredPixelShaderVersion = 0;
    u32 requiredTextureStages = 0;
    u32 requiredTextureStagesEnable = 0;
    i32 preferSoftwareEmulation = 0;
    i32 preferFullColorScreen = 0;
    i32 preferFullColorTexture = 0;
    i32 verticalSync = 0;
    u32 desktopFormat = 0;
    u32 desktopWidth = 0;
    u32 desktopHeight = 0;
    u32 screenFormat = 0;
    u32 fullScreenFormat16 = 0;
    u32 fullScreenFormat32 = 0;
    u32 normalTextureFormat = 0;
    u32 alphaTextureFormat = 0;
    u32 fullColorTextureFormat = 0;
    u32 matrixPaletteSize = 23;
    u32 hardwareRasterization = 0;
    u32 hardwareTransformAndLight = 0;
    u32 pureDevice = 0;
    u32 vertexShaderVersion = 0;
    u32 pixelShaderVersion = 0;
    platform::gfx::D3DCAPS8 caps;
    platform::gfx::D3DVIEWPORT8 viewport;
    u32 renderStateCache[256] = {};
    u32 textureStageStateCache[4 * 256] = {};
    Texture* boundTextures[4] = {};
    Surface* currentDepthBuffer = nullptr;
    u32 currentTextureMarker = 0;
    i32 videoMemoryUse = 0;
    i32 videoMemoryPeak = 0;
};
const GraphicsDeviceGlobals& GraphicsDeviceInfo();

i32 InitializeDirectXGraphics();
void DestroyDirectXGraphics();
void RestoreDevice(i32 force);

void SetRenderState(u32 state, u32 value);
void SetTextureStageState(u32 stage, u32 type, u32 value);
void SetTexture(Texture* texture, u32 stage);
bool SetCurrentVertexShader(VertexShader* shader);
void SetBlendMode(i32 preset);
void SetFillMode(i32 preset);
void SetCurrentDepthBuffer(Surface* surface);

bool BeginScene();
void EndScene();
void ClearScreen(u32 colour);
void Present();
// The mesh drawing's shader cache: 1 when `key` is the key of the shader set
// last; otherwise stores `key` and returns 0. Cleared by BeginScene and by
// every fixed-function vertex format set through SetFixedVertexFormat.
i32 CheckCurrentTexture(u32 key);
void InvalidateShaderCache();
// Sets a flexible vertex format (a fixed-function draw) on the device and
// clears the shader cache, so the next mesh sets its program again.
bool SetFixedVertexFormat(u32 fvf);

platform::gfx::Direct3DDevice8* GetDirect3DDevice();
bool GetBackBuffer(platform::gfx::Direct3DSurface8** out);
u32 GetBackBufferFormat();
u32 GetNormalTextureFormat();
u32 GetAlphaTextureFormat();
u32 GetMatrixPaletteSize();
i32 GetDeviceFlag();
u32 GetAvailableTextureMemory();
void GetViewportRect(platform::gfx::RECT* out);
f32 GetDeviceScalarA();
f32 GetDeviceScalarB();
i32 GetVideoMemoryUse();

void EnableFullColorScreen();
void EnableFullColorTexture();
void AddVideoMemoryUse(i32 bytes);

// The texel offset added to the left/top and taken from the right/bottom of
// every source rectangle of the texture draws.
void SetTextureOffset(f32 offset);
f32 GetTextureOffset();

i32 GetFormatBytesPerPixel(u32 format);
const char* GetFormatName(u32 format, char* out);
const char* GetDirect3DErrorText(i32 code, char* out);

// The parts of the start-up, for tests.
i32 GetAdapterInformation();
i32 CreateDirect3DDevice();
i32 InitializeRenderStates();
