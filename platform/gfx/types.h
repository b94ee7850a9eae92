#pragma once
// Names, numbers and records of our stand-in for the Direct3D 8 interface.
// The numbers follow the Direct3D 8 conventions the engine was written
// against (state numbers index 256-entry caches, result codes are logged),
// but everything here is our own and nothing depends on Windows headers.
#include <cstdint>

namespace platform::gfx {

using HRESULT = std::int32_t;
using DWORD = std::uint32_t;
using D3DFORMAT = std::uint32_t;
using D3DCOLOR = std::uint32_t;

constexpr bool FAILED(HRESULT hr) { return hr < 0; }
constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr HRESULT MakeError(std::uint32_t code) { return static_cast<HRESULT>(code); }

// Result codes.
constexpr HRESULT D3D_OK = 0;
constexpr HRESULT E_FAIL = MakeError(0x80004005u);
constexpr HRESULT E_OUTOFMEMORY = MakeError(0x8007000Eu);
constexpr HRESULT E_INVALIDARG = MakeError(0x80070057u);
constexpr HRESULT D3DERR_WRONGTEXTUREFORMAT = MakeError(0x88760818u);
constexpr HRESULT D3DERR_UNSUPPORTEDCOLOROPERATION = MakeError(0x88760819u);
constexpr HRESULT D3DERR_UNSUPPORTEDCOLORARG = MakeError(0x8876081Au);
constexpr HRESULT D3DERR_UNSUPPORTEDALPHAOPERATION = MakeError(0x8876081Bu);
constexpr HRESULT D3DERR_UNSUPPORTEDALPHAARG = MakeError(0x8876081Cu);
constexpr HRESULT D3DERR_TOOMANYOPERATIONS = MakeError(0x8876081Du);
constexpr HRESULT D3DERR_CONFLICTINGTEXTUREFILTER = MakeError(0x8876081Eu);
constexpr HRESULT D3DERR_UNSUPPORTEDFACTORVALUE = MakeError(0x8876081Fu);
constexpr HRESULT D3DERR_CONFLICTINGRENDERSTATE = MakeError(0x88760821u);
constexpr HRESULT D3DERR_UNSUPPORTEDTEXTUREFILTER = MakeError(0x88760823u);
constexpr HRESULT D3DERR_CONFLICTINGTEXTUREPALETTE = MakeError(0x88760826u);
constexpr HRESULT D3DERR_DRIVERINTERNALERROR = MakeError(0x88760827u);
constexpr HRESULT D3DERR_NOTFOUND = MakeError(0x88760866u);
constexpr HRESULT D3DERR_MOREDATA = MakeError(0x88760867u);
constexpr HRESULT D3DERR_DEVICELOST = MakeError(0x88760868u);
constexpr HRESULT D3DERR_DEVICENOTRESET = MakeError(0x88760869u);
constexpr HRESULT D3DERR_NOTAVAILABLE = MakeError(0x8876086Au);
constexpr HRESULT D3DERR_OUTOFVIDEOMEMORY = MakeError(0x8876017Cu);
constexpr HRESULT D3DERR_INVALIDDEVICE = MakeError(0x8876086Bu);
constexpr HRESULT D3DERR_INVALIDCALL = MakeError(0x8876086Cu);
constexpr HRESULT D3DERR_DRIVERINVALIDCALL = MakeError(0x8876086Du);

// Formats.
enum : D3DFORMAT {
    D3DFMT_UNKNOWN = 0,
    D3DFMT_R8G8B8 = 20,
    D3DFMT_A8R8G8B8 = 21,
    D3DFMT_X8R8G8B8 = 22,
    D3DFMT_R5G6B5 = 23,
    D3DFMT_X1R5G5B5 = 24,
    D3DFMT_A1R5G5B5 = 25,
    D3DFMT_A4R4G4B4 = 26,
    D3DFMT_R3G3B2 = 27,
    D3DFMT_A8 = 28,
    D3DFMT_A8R3G3B2 = 29,
    D3DFMT_X4R4G4B4 = 30,
    D3DFMT_A2B10G10R10 = 31,
    D3DFMT_G16R16 = 34,
    D3DFMT_A8P8 = 40,
    D3DFMT_P8 = 41,
    D3DFMT_L8 = 50,
    D3DFMT_A8L8 = 51,
    D3DFMT_A4L4 = 52,
    D3DFMT_V8U8 = 60,
    D3DFMT_L6V5U5 = 61,
    D3DFMT_X8L8V8U8 = 62,
    D3DFMT_Q8W8V8U8 = 63,
    D3DFMT_V16U16 = 64,
    D3DFMT_W11V11U10 = 65,
    D3DFMT_A2W10V10U10 = 67,
    D3DFMT_D16_LOCKABLE = 70,
    D3DFMT_D32 = 71,
    D3DFMT_D15S1 = 73,
    D3DFMT_D24S8 = 75,
    D3DFMT_D16 = 80,
    D3DFMT_D24X8 = 77,
    D3DFMT_D24X4S4 = 79,
    D3DFMT_VERTEXDATA = 100,
    D3DFMT_INDEX16 = 101,
    D3DFMT_INDEX32 = 102,
    D3DFMT_UYVY = 0x59565955,  // 'UYVY'
    D3DFMT_YUY2 = 0x32595559,  // 'YUY2'
    D3DFMT_DXT1 = 0x31545844,
    D3DFMT_DXT2 = 0x32545844,
    D3DFMT_DXT3 = 0x33545844,
    D3DFMT_DXT4 = 0x34545844,
    D3DFMT_DXT5 = 0x35545844,
};

// Render states (numbers index the engine's 256-entry cache).
enum : DWORD {
    D3DRS_ZENABLE = 7,
    D3DRS_FILLMODE = 8,
    D3DRS_SHADEMODE = 9,
    D3DRS_LINEPATTERN = 10,
    D3DRS_ZWRITEENABLE = 14,
    D3DRS_ALPHATESTENABLE = 15,
    D3DRS_LASTPIXEL = 16,
    D3DRS_SRCBLEND = 19,
    D3DRS_DESTBLEND = 20,
    D3DRS_CULLMODE = 22,
    D3DRS_ZFUNC = 23,
    D3DRS_ALPHAREF = 24,
    D3DRS_ALPHAFUNC = 25,
    D3DRS_DITHERENABLE = 26,
    D3DRS_ALPHABLENDENABLE = 27,
    D3DRS_FOGENABLE = 28,
    D3DRS_SPECULARENABLE = 29,
    D3DRS_ZVISIBLE = 30,
    D3DRS_FOGCOLOR = 34,
    D3DRS_FOGTABLEMODE = 35,
    D3DRS_FOGSTART = 36,
    D3DRS_FOGEND = 37,
    D3DRS_FOGDENSITY = 38,
    D3DRS_EDGEANTIALIAS = 40,
    D3DRS_ZBIAS = 47,
    D3DRS_RANGEFOGENABLE = 48,
    D3DRS_STENCILENABLE = 52,
    D3DRS_STENCILFAIL = 53,
    D3DRS_STENCILZFAIL = 54,
    D3DRS_STENCILPASS = 55,
    D3DRS_STENCILFUNC = 56,
    D3DRS_STENCILREF = 57,
    D3DRS_STENCILMASK = 58,
    D3DRS_STENCILWRITEMASK = 59,
    D3DRS_TEXTUREFACTOR = 60,
    D3DRS_WRAP0 = 128,
    D3DRS_CLIPPING = 136,
    D3DRS_LIGHTING = 137,
    D3DRS_AMBIENT = 139,
    D3DRS_FOGVERTEXMODE = 140,
    D3DRS_COLORVERTEX = 141,
    D3DRS_LOCALVIEWER = 142,
    D3DRS_NORMALIZENORMALS = 143,
    D3DRS_DIFFUSEMATERIALSOURCE = 145,
    D3DRS_SPECULARMATERIALSOURCE = 146,
    D3DRS_AMBIENTMATERIALSOURCE = 147,
    D3DRS_EMISSIVEMATERIALSOURCE = 148,
    D3DRS_VERTEXBLEND = 151,
    D3DRS_CLIPPLANEENABLE = 152,
    D3DRS_SOFTWAREVERTEXPROCESSING = 153,
    D3DRS_POINTSIZE = 154,
    D3DRS_POINTSIZE_MIN = 155,
    D3DRS_POINTSPRITEENABLE = 156,
    D3DRS_POINTSCALEENABLE = 157,
    D3DRS_MULTISAMPLEANTIALIAS = 161,
    D3DRS_MULTISAMPLEMASK = 162,
    D3DRS_POINTSIZE_MAX = 166,
    D3DRS_INDEXEDVERTEXBLENDENABLE = 167,
    D3DRS_COLORWRITEENABLE = 168,
    D3DRS_TWEENFACTOR = 170,
    D3DRS_BLENDOP = 171,
};

enum : DWORD { D3DZB_FALSE = 0, D3DZB_TRUE = 1 };
enum : DWORD { D3DFILL_POINT = 1, D3DFILL_WIREFRAME = 2, D3DFILL_SOLID = 3 };
enum : DWORD { D3DSHADE_FLAT = 1, D3DSHADE_GOURAUD = 2, D3DSHADE_PHONG = 3 };
enum : DWORD { D3DCULL_NONE = 1, D3DCULL_CW = 2, D3DCULL_CCW = 3 };
enum : DWORD {
    D3DCMP_NEVER = 1,
    D3DCMP_LESS = 2,
    D3DCMP_EQUAL = 3,
    D3DCMP_LESSEQUAL = 4,
    D3DCMP_GREATER = 5,
    D3DCMP_NOTEQUAL = 6,
    D3DCMP_GREATEREQUAL = 7,
    D3DCMP_ALWAYS = 8,
};
enum : DWORD {
    D3DBLEND_ZERO = 1,
    D3DBLEND_ONE = 2,
    D3DBLEND_SRCCOLOR = 3,
    D3DBLEND_INVSRCCOLOR = 4,
    D3DBLEND_SRCALPHA = 5,
    D3DBLEND_INVSRCALPHA = 6,
    D3DBLEND_DESTALPHA = 7,
    D3DBLEND_INVDESTALPHA = 8,
    D3DBLEND_DESTCOLOR = 9,
    D3DBLEND_INVDESTCOLOR = 10,
    D3DBLEND_SRCALPHASAT = 11,
    D3DBLEND_BOTHSRCALPHA = 12,
    D3DBLEND_BOTHINVSRCALPHA = 13,
};
enum : DWORD {
    D3DBLENDOP_ADD = 1,
    D3DBLENDOP_SUBTRACT = 2,
    D3DBLENDOP_REVSUBTRACT = 3,
    D3DBLENDOP_MIN = 4,
    D3DBLENDOP_MAX = 5,
};

// Texture-stage states.
enum : DWORD {
    D3DTSS_COLOROP = 1,
    D3DTSS_COLORARG1 = 2,
    D3DTSS_COLORARG2 = 3,
    D3DTSS_ALPHAOP = 4,
    D3DTSS_ALPHAARG1 = 5,
    D3DTSS_ALPHAARG2 = 6,
    D3DTSS_TEXCOORDINDEX = 11,
    D3DTSS_ADDRESSU = 13,
    D3DTSS_ADDRESSV = 14,
    D3DTSS_BORDERCOLOR = 15,
    D3DTSS_MAGFILTER = 16,
    D3DTSS_MINFILTER = 17,
    D3DTSS_MIPFILTER = 18,
    D3DTSS_MIPMAPLODBIAS = 19,
    D3DTSS_MAXMIPLEVEL = 20,
    D3DTSS_MAXANISOTROPY = 21,
    D3DTSS_TEXTURETRANSFORMFLAGS = 24,
    D3DTSS_ADDRESSW = 25,
    D3DTSS_COLORARG0 = 26,
    D3DTSS_ALPHAARG0 = 27,
    D3DTSS_RESULTARG = 28,
};
enum : DWORD {
    D3DTOP_DISABLE = 1,
    D3DTOP_SELECTARG1 = 2,
    D3DTOP_SELECTARG2 = 3,
    D3DTOP_MODULATE = 4,
    D3DTOP_MODULATE2X = 5,
    D3DTOP_MODULATE4X = 6,
    D3DTOP_ADD = 7,
    D3DTOP_ADDSIGNED = 8,
    D3DTOP_ADDSIGNED2X = 9,
    D3DTOP_SUBTRACT = 10,
    D3DTOP_ADDSMOOTH = 11,
};
enum : DWORD {
    D3DTA_DIFFUSE = 0,
    D3DTA_CURRENT = 1,
    D3DTA_TEXTURE = 2,
    D3DTA_TFACTOR = 3,
    D3DTA_SPECULAR = 4,
    D3DTA_TEMP = 5,
    D3DTA_SELECTMASK = 0x0F,
    D3DTA_COMPLEMENT = 0x10,
    D3DTA_ALPHAREPLICATE = 0x20,
};
enum : DWORD {
    D3DTADDRESS_WRAP = 1,
    D3DTADDRESS_MIRROR = 2,
    D3DTADDRESS_CLAMP = 3,
    D3DTADDRESS_BORDER = 4,
    D3DTADDRESS_MIRRORONCE = 5,
};
enum : DWORD {
    D3DTEXF_NONE = 0,
    D3DTEXF_POINT = 1,
    D3DTEXF_LINEAR = 2,
    D3DTEXF_ANISOTROPIC = 3,
};

enum D3DPRIMITIVETYPE : DWORD {
    D3DPT_POINTLIST = 1,
    D3DPT_LINELIST = 2,
    D3DPT_LINESTRIP = 3,
    D3DPT_TRIANGLELIST = 4,
    D3DPT_TRIANGLESTRIP = 5,
    D3DPT_TRIANGLEFAN = 6,
};

enum D3DTRANSFORMSTATETYPE : DWORD {
    D3DTS_VIEW = 2,
    D3DTS_PROJECTION = 3,
    D3DTS_TEXTURE0 = 16,
    D3DTS_WORLD = 256,
};

// Flexible vertex format bits.
enum : DWORD {
    D3DFVF_XYZ = 0x002,
    D3DFVF_XYZRHW = 0x004,
    D3DFVF_POSITION_MASK = 0x00E,
    D3DFVF_NORMAL = 0x010,
    D3DFVF_PSIZE = 0x020,
    D3DFVF_DIFFUSE = 0x040,
    D3DFVF_SPECULAR = 0x080,
    D3DFVF_TEXCOUNT_MASK = 0xF00,
    D3DFVF_TEXCOUNT_SHIFT = 8,
    D3DFVF_TEX1 = 0x100,
    D3DFVF_TEX2 = 0x200,
};

enum : DWORD { D3DCLEAR_TARGET = 1, D3DCLEAR_ZBUFFER = 2, D3DCLEAR_STENCIL = 4 };

enum D3DPOOL : DWORD {
    D3DPOOL_DEFAULT = 0,
    D3DPOOL_MANAGED = 1,
    D3DPOOL_SYSTEMMEM = 2,
    D3DPOOL_SCRATCH = 3,
};
enum : DWORD {
    D3DUSAGE_RENDERTARGET = 0x001,
    D3DUSAGE_DEPTHSTENCIL = 0x002,
    D3DUSAGE_WRITEONLY = 0x008,
    D3DUSAGE_SOFTWAREPROCESSING = 0x010,
    D3DUSAGE_DYNAMIC = 0x200,
};
enum : DWORD { D3DLOCK_READONLY = 0x10, D3DLOCK_DISCARD = 0x2000, D3DLOCK_NOOVERWRITE = 0x1000 };

enum D3DRESOURCETYPE : DWORD {
    D3DRTYPE_SURFACE = 1,
    D3DRTYPE_VOLUME = 2,
    D3DRTYPE_TEXTURE = 3,
    D3DRTYPE_VOLUMETEXTURE = 4,
    D3DRTYPE_CUBETEXTURE = 5,
    D3DRTYPE_VERTEXBUFFER = 6,
    D3DRTYPE_INDEXBUFFER = 7,
};

enum D3DDEVTYPE : DWORD { D3DDEVTYPE_HAL = 1, D3DDEVTYPE_REF = 2, D3DDEVTYPE_SW = 3 };

// Device creation behaviour flags.
enum : DWORD {
    D3DCREATE_FPU_PRESERVE = 0x02,
    D3DCREATE_MULTITHREADED = 0x04,
    D3DCREATE_PUREDEVICE = 0x10,
    D3DCREATE_SOFTWARE_VERTEXPROCESSING = 0x20,
    D3DCREATE_HARDWARE_VERTEXPROCESSING = 0x40,
    D3DCREATE_MIXED_VERTEXPROCESSING = 0x80,
};

enum : DWORD {
    D3DSWAPEFFECT_DISCARD = 1,
    D3DSWAPEFFECT_FLIP = 2,
    D3DSWAPEFFECT_COPY = 3,
    D3DSWAPEFFECT_COPY_VSYNC = 4,
};
enum : DWORD { D3DPRESENTFLAG_LOCKABLE_BACKBUFFER = 1 };
enum : DWORD { D3DMULTISAMPLE_NONE = 0 };
enum : DWORD { D3DBACKBUFFER_TYPE_MONO = 0 };
enum : DWORD { D3DADAPTER_DEFAULT = 0 };

// Device capability bits the engine looks at.
enum : DWORD {
    D3DDEVCAPS_HWTRANSFORMANDLIGHT = 0x00010000,
    D3DDEVCAPS_HWRASTERIZATION = 0x00080000,
    D3DDEVCAPS_PUREDEVICE = 0x00100000,
};
// clang-format off
enum : DWORD { D3DPMISCCAPS_CULLNONE = 0x10, D3DPMISCCAPS_CULLCW = 0x20, D3DPMISCCAPS_CULLCCW = 0x40,
               D3DPMISCCAPS_BLENDOP = 0x800 };
// clang-format on

constexpr DWORD D3DVS_VERSION(DWORD major, DWORD minor) { return 0xFFFE0000u | (major << 8) | minor; }
constexpr DWORD D3DPS_VERSION(DWORD major, DWORD minor) { return 0xFFFF0000u | (major << 8) | minor; }

struct RECT {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
};
struct POINT {
    std::int32_t x = 0, y = 0;
};

struct D3DMATRIX {
    float m[4][4] = {};
};

struct D3DVIEWPORT8 {
    DWORD X = 0, Y = 0, Width = 0, Height = 0;
    float MinZ = 0.0f, MaxZ = 1.0f;
};

struct D3DDISPLAYMODE {
    std::uint32_t Width = 0, Height = 0, RefreshRate = 0;
    D3DFORMAT Format = D3DFMT_UNKNOWN;
};

struct D3DPRESENT_PARAMETERS {
    std::uint32_t BackBufferWidth = 0;
    std::uint32_t BackBufferHeight = 0;
    D3DFORMAT BackBufferFormat = D3DFMT_UNKNOWN;
    std::uint32_t BackBufferCount = 0;
    DWORD MultiSampleType = D3DMULTISAMPLE_NONE;
    DWORD SwapEffect = D3DSWAPEFFECT_DISCARD;
    void* hDeviceWindow = nullptr;  // the SDL_Window* of platform::NativeWindow()
    std::int32_t Windowed = 1;
    std::int32_t EnableAutoDepthStencil = 0;
    D3DFORMAT AutoDepthStencilFormat = D3DFMT_UNKNOWN;
    DWORD Flags = 0;
    std::uint32_t FullScreen_RefreshRateInHz = 0;
    std::uint32_t FullScreen_PresentationInterval = 0;
};

struct D3DCAPS8 {
    DWORD DeviceType = D3DDEVTYPE_HAL;
    std::uint32_t AdapterOrdinal = 0;
    DWORD Caps = 0, Caps2 = 0, Caps3 = 0;
    DWORD PresentationIntervals = 0;
    DWORD CursorCaps = 0;
    DWORD DevCaps = 0;
    DWORD PrimitiveMiscCaps = 0;
    DWORD RasterCaps = 0;
    DWORD ZCmpCaps = 0;
    DWORD SrcBlendCaps = 0;
    DWORD DestBlendCaps = 0;
    DWORD AlphaCmpCaps = 0;
    DWORD ShadeCaps = 0;
    DWORD TextureCaps = 0;
    DWORD TextureFilterCaps = 0;
    DWORD TextureAddressCaps = 0;
    DWORD LineCaps = 0;
    DWORD MaxTextureWidth = 0, MaxTextureHeight = 0;
    DWORD MaxTextureRepeat = 0;
    DWORD MaxTextureAspectRatio = 0;
    float GuardBandLeft = 0, GuardBandTop = 0, GuardBandRight = 0, GuardBandBottom = 0;
    DWORD StencilCaps = 0;
    DWORD FVFCaps = 0;
    DWORD TextureOpCaps = 0;
    DWORD MaxTextureBlendStages = 0;
    DWORD MaxSimultaneousTextures = 0;
    DWORD VertexProcessingCaps = 0;
    DWORD MaxActiveLights = 0;
    DWORD MaxUserClipPlanes = 0;
    DWORD MaxVertexBlendMatrices = 0;
    DWORD MaxVertexBlendMatrixIndex = 0;
    float MaxPointSize = 0;
    DWORD MaxPrimitiveCount = 0;
    DWORD MaxVertexIndex = 0;
    DWORD MaxStreams = 0;
    DWORD MaxStreamStride = 0;
    DWORD VertexShaderVersion = 0;
    DWORD MaxVertexShaderConst = 0;
    DWORD PixelShaderVersion = 0;
    float MaxPixelShaderValue = 0;
};

struct D3DLOCKED_RECT {
    std::int32_t Pitch = 0;
    void* pBits = nullptr;
};

struct D3DSURFACE_DESC {
    D3DFORMAT Format = D3DFMT_UNKNOWN;
    D3DRESOURCETYPE Type = D3DRTYPE_SURFACE;
    DWORD Usage = 0;
    D3DPOOL Pool = D3DPOOL_DEFAULT;
    std::uint32_t Size = 0;
    DWORD MultiSampleType = D3DMULTISAMPLE_NONE;
    std::uint32_t Width = 0, Height = 0;
};

struct D3DVERTEXBUFFER_DESC {
    D3DFORMAT Format = D3DFMT_VERTEXDATA;
    D3DRESOURCETYPE Type = D3DRTYPE_VERTEXBUFFER;
    DWORD Usage = 0;
    D3DPOOL Pool = D3DPOOL_DEFAULT;
    std::uint32_t Size = 0;
    DWORD FVF = 0;
};

struct D3DINDEXBUFFER_DESC {
    D3DFORMAT Format = D3DFMT_INDEX16;
    D3DRESOURCETYPE Type = D3DRTYPE_INDEXBUFFER;
    DWORD Usage = 0;
    D3DPOOL Pool = D3DPOOL_DEFAULT;
    std::uint32_t Size = 0;
};

// ---------------------------------------------------------------------------
// Vertex programs. A vertex shader of this device is a C++ function: it reads
// the 16 input registers (filled from stream 0 by the declaration) and the
// constant registers, and writes the outputs. Whoever turns the engine's shader
// text into a program registers the function with CreateVertexShader.

struct Vec4 {
    float x = 0, y = 0, z = 0, w = 0;
};

struct VertexProgramOutput {
    Vec4 position;                         // oPos, clip space
    Vec4 diffuse{1.0f, 1.0f, 1.0f, 1.0f};  // oD0, clamped to 0..1 by the device
    Vec4 specular;                         // oD1
    Vec4 texcoord[4];                      // oT0..oT3
    float fog = 1.0f;                      // oFog
};

constexpr int kVertexInputRegisters = 16;
constexpr int kVertexShaderConstants = 96;

using VertexProgramFn = void (*)(const Vec4* inputs, const Vec4* constants, VertexProgramOutput& out);

// Vertex declaration tokens (stream 0 only is used by this device):
// VSD_STREAM(n), then VSD_REG(register, type) or VSD_SKIP(dwords) in the order
// of the vertex layout, closed by VSD_END().
enum : DWORD {
    D3DVSDT_FLOAT1 = 0,
    D3DVSDT_FLOAT2 = 1,
    D3DVSDT_FLOAT3 = 2,
    D3DVSDT_FLOAT4 = 3,
    D3DVSDT_D3DCOLOR = 4,  // ARGB dword read as (R, G, B, A) in 0..1
    D3DVSDT_UBYTE4 = 5,    // four bytes read as (b0, b1, b2, b3) in 0..255
    D3DVSDT_SHORT2 = 6,
    D3DVSDT_SHORT4 = 7,
};
constexpr DWORD VSD_STREAM(DWORD stream) { return 0x10000000u | stream; }
constexpr DWORD VSD_REG(DWORD reg, DWORD type) { return 0x20000000u | (type << 16) | reg; }
constexpr DWORD VSD_SKIP(DWORD dwords) { return 0x30000000u | (dwords << 16); }
constexpr DWORD VSD_END() { return 0xFFFFFFFFu; }

// Handles returned by CreateVertexShader have bit 0 set, so they never equal
// a flexible vertex format code.
constexpr bool IsVertexProgramHandle(DWORD handle) { return (handle & 1u) != 0; }

}  // namespace platform::gfx
