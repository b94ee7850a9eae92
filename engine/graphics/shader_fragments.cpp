// The fragment table of the generated vertex shaders and the declarations of
// the transform words.
//
// Registers shared by the fragments: after the transform fragment r0 holds the
// model-space position (pushed along the normal by c12.y), r1 the clip-space
// position and r2 the model-space normal. The other fragments read those and
// use r4 and up as scratch.
#include <cstring>

#include "engine/graphics/vertex_shader.h"

namespace gfx = platform::gfx;

const u32 kTransformWords[4] = {0x1, 0x2, 0x4, 0x8};
const u32 kLightingWords[6] = {0x100, 0x200, 0x400, 0x800, 0x1000, 0x2000};
const u32 kTexCoordWords[11] = {0x10000,  0x20000,  0x200000,  0x80000,   0x800000, 0x40000,
                                0x400000, 0x100000, 0x1000000, 0x2000000, 0x4000000};
const u32 kFogWords[3] = {0x10000000, 0x20000000, 0x40000000};

namespace {

// The shader text keeps one instruction a line; the formatter leaves it alone.
// clang-format off
#define SKIN_BONE(heading, component, first)                  \
    "; " heading "\n"                                         \
    "mov a0.x, r3." component "\n"                            \
    "m4x3 r4.xyz, r5, c[a0.x + 26]\n"                         \
    "m3x3 r6.xyz, r7, c[a0.x + 26]\n" first

#define SKIN_INDICES               \
    "; Geforce3 対策\n"           \
    "mul r3, v5.zyxw, c0.wwww\n"

#define SKIN_BODY                                                            \
    SKIN_BONE("ボーン１", "x",                                               \
              "mul r8.xyz, r4.xyz, v4.xxx\n"                                 \
              "mul r9.xyz, r6.xyz, v4.xxx\n")                                \
    SKIN_BONE("ボーン２", "y",                                               \
              "mad r8.xyz, r4.xyz, v4.yyy, r8.xyz\n"                         \
              "mad r9.xyz, r6.xyz, v4.yyy, r9.xyz\n")                        \
    SKIN_BONE("ボーン３", "z",                                               \
              "mad r8.xyz, r4.xyz, v4.zzz, r8.xyz\n"                         \
              "mad r9.xyz, r6.xyz, v4.zzz, r9.xyz\n")                        \
    "mov r8.w, c0.z\n"                                                       \
    "mov r2.xyz, r9.xyz\n"                                                   \
    "mov r2.w, c0.z\n"                                                       \
    "mad r0, r2, c12.yyyw, r8\n"                                             \
    "m4x4 r1, r0, c20\n"                                                     \
    "mov oPos, r1\n"

constexpr const char* kTransform1 =
    "vs.1.1\n"
    "; 座標変換\n"
    "mov r2, v1\n"
    "mad r0, r2, c12.yyyw, v0\n"
    "m4x4 r1, r0, c20\n"
    "mov oPos, r1\n";

constexpr const char* kTransform2 =
    "vs.1.1\n"
    "; モーフィング\n"
    "sub r4, v2, v0\n"
    "mad r5, r4, c12.zzzz, v0\n"
    "sub r4, v3, v1\n"
    "mad r2, r4, c12.zzzz, v1\n"
    "; 座標変換\n"
    "mad r0, r2, c12.yyyw, r5\n"
    "m4x4 r1, r0, c20\n"
    "mov oPos, r1\n";

constexpr const char* kTransform4 =
    "vs.1.1\n"
    SKIN_INDICES
    "mov r5, v0\n"
    "mov r7, v1\n"
    SKIN_BODY;

constexpr const char* kTransform8 =
    "vs.1.1\n"
    "; モーフィング\n"
    "sub r4, v2, v0\n"
    "mad r5, r4, c12.zzzz, v0\n"
    "sub r4, v3, v1\n"
    "mad r7, r4, c12.zzzz, v1\n"
    SKIN_INDICES
    SKIN_BODY;

constexpr const char* kLightingNone =
    "; ライト無し\n"
    "mov oD0, c0.zzzz\n";

constexpr const char* kLightingVertexColor =
    "; 頂点カラー\n"
    "mov oD0, v6\n";

constexpr const char* kLightingMaterial =
    "; マテリアル\n"
    "mov oD0, c11\n";

constexpr const char* kLightingFour =
    "; ライト\n"
    "dp3 r4.x, r2, c3\n"
    "dp3 r4.y, r2, c4\n"
    "dp3 r4.z, r2, c5\n"
    "dp3 r4.w, r2, c6\n"
    "add r4, r4, c2.wwww\n"
    "mul r5, c7, r4.xxxx\n"
    "mad r5, c8, r4.yyyy, r5\n"
    "mad r5, c9, r4.zzzz, r5\n"
    "mad r5, c10, r4.wwww, r5\n"
    "mov r5.w, c0.z\n"
    "mul r5, r5, c11\n"
    "min oD0, r5, c0.zzzz\n";

constexpr const char* kLightingHemisphere =
    "; 平行光源\n"
    "dp3 r4.x, r2, c3\n"
    "add r4.x, r4.x, c2.w\n"
    "mul r5, c7, r4.xxxx\n"
    "; 半球ライティング\n"
    "dp3 r4.y, r2, c4\n"
    "mad r4.y, r4.y, c0.x, c0.x\n"
    "sub r6, c7, c8\n"
    "mad r6, r6, r4.yyyy, c8\n"
    "mul r5, r5, r6\n"
    "min r5, r5, c0.zzzz\n"
    "mov r5.w, c0.z\n"
    "mul oD0, r5, c11\n";

constexpr const char* kLightingDepth =
    "rcp r4.w, r1.w\n"
    "mul oD0.xyz, r1.zzz, r4.www\n"
    "mov oD0.w, c0.z\n";

#define TEXTURE_BODY "add oT0.xy, v7.xy, c1.xy\n"

#define TOON_BODY(out)         \
    "; トゥーンシェード\n"     \
    "dp3 r4.x, r2, c3\n"       \
    "max r4.x, r4.x, c0.x\n"   \
    "mov " out ".x, r4.x\n"    \
    "mov " out ".y, c0.x\n"

#define REFLECTION_BODY(out)               \
    "; 反射マップ\n"                       \
    "m4x3 r4.xyz, r0, c16\n"               \
    "m3x3 r5.xyz, r2, c16\n"               \
    "dp3 r5.w, r5, r5\n"                   \
    "rsq r5.w, r5.w\n"                     \
    "mul r5.xyz, r5.xyz, r5.www\n"         \
    "sub r6.xyz, c2.xyz, r4.xyz\n"         \
    "dp3 r6.w, r6, r6\n"                   \
    "rsq r6.w, r6.w\n"                     \
    "mul r6.xyz, r6.xyz, r6.www\n"         \
    "dp3 r7.x, r5, r6\n"                   \
    "add r7.x, r7.x, r7.x\n"               \
    "mul r8.xyz, r5.xyz, r7.xxx\n"         \
    "sub r8.xyz, r8.xyz, r6.xyz\n"         \
    "mad " out ".xy, r8.xy, c0.xy, c0.xx\n"

#define STEALTH_BODY(out)                \
    "; ステルス\n"                       \
    "; 法線方向に押し出し\n"             \
    "mad r4, r2, c12.xxxw, r0\n"         \
    "m4x4 r5, r4, c16\n"                 \
    "rcp r5.w, r5.z\n"                   \
    "mul r5.xy, r5.xy, r5.ww\n"          \
    "mad " out ".xy, r5.xy, c0.xy, c0.xx\n"

#define SHADOW_BODY(out)                 \
    "; シャドウマップ\n"                 \
    "m4x4 r4, r0, c16\n"                 \
    "rcp r4.w, r4.w\n"                   \
    "mul r4.xy, r4.xy, r4.ww\n"          \
    "mad " out ".xy, r4.xy, c0.xy, c0.xx\n"

constexpr const char* kTexture = "; テクスチャ\n" TEXTURE_BODY;
constexpr const char* kToon = TOON_BODY("oT0");
constexpr const char* kToon2 = "; テクスチャ\n" TEXTURE_BODY TOON_BODY("oT1");
constexpr const char* kReflection = REFLECTION_BODY("oT0");
constexpr const char* kReflection2 = "; テクスチャ\n" TEXTURE_BODY REFLECTION_BODY("oT1");
constexpr const char* kStealth = STEALTH_BODY("oT0");
constexpr const char* kStealth2 = "; テクスチャ\n" TEXTURE_BODY STEALTH_BODY("oT1");
constexpr const char* kShadow = SHADOW_BODY("oT0");
constexpr const char* kShadow2 = "; テクスチャ\n" TEXTURE_BODY SHADOW_BODY("oT1");
constexpr const char* kToonReflection = TOON_BODY("oT0") REFLECTION_BODY("oT1");
constexpr const char* kReflectionToon = REFLECTION_BODY("oT0") TOON_BODY("oT1");

constexpr const char* kFogNone = "; フォグ\n";

constexpr const char* kFogView =
    "; フォグ\n"
    "m4x3 r4.xyz, r0, c13\n"
    "mad oFog.x, r4.z, c1.z, c1.w\n";

constexpr const char* kFogWorld =
    "; フォグ\n"
    "m4x3 r4.xyz, r0, c13\n"
    "mad oFog.x, r4.y, c1.z, c1.w\n";
// clang-format on

using gfx::D3DVSDT_D3DCOLOR;
using gfx::D3DVSDT_FLOAT2;
using gfx::D3DVSDT_FLOAT3;
using gfx::VSD_END;
using gfx::VSD_REG;
using gfx::VSD_STREAM;

const gfx::DWORD kDeclaration1[] = {
    // clang-format off
    VSD_STREAM(0), VSD_REG(0, D3DVSDT_FLOAT3), VSD_REG(1, D3DVSDT_FLOAT3), VSD_REG(6, D3DVSDT_D3DCOLOR),
    VSD_REG(7, D3DVSDT_FLOAT2), VSD_END(),
    // clang-format on
};
const gfx::DWORD kDeclaration2[] = {
    VSD_STREAM(0),
    VSD_REG(0, D3DVSDT_FLOAT3),
    VSD_REG(1, D3DVSDT_FLOAT3),
    VSD_REG(2, D3DVSDT_FLOAT3),
    VSD_REG(3, D3DVSDT_FLOAT3),
    VSD_REG(6, D3DVSDT_D3DCOLOR),
    VSD_REG(7, D3DVSDT_FLOAT2),
    VSD_END(),
};
const gfx::DWORD kDeclaration4[] = {
    VSD_STREAM(0),
    VSD_REG(0, D3DVSDT_FLOAT3),
    VSD_REG(1, D3DVSDT_FLOAT3),
    VSD_REG(4, D3DVSDT_FLOAT3),
    VSD_REG(5, D3DVSDT_D3DCOLOR),
    VSD_REG(6, D3DVSDT_D3DCOLOR),
    VSD_REG(7, D3DVSDT_FLOAT2),
    VSD_END(),
};
const gfx::DWORD kDeclaration8[] = {
    VSD_STREAM(0),
    VSD_REG(0, D3DVSDT_FLOAT3),
    VSD_REG(1, D3DVSDT_FLOAT3),
    VSD_REG(2, D3DVSDT_FLOAT3),
    VSD_REG(3, D3DVSDT_FLOAT3),
    VSD_REG(4, D3DVSDT_FLOAT3),
    VSD_REG(5, D3DVSDT_D3DCOLOR),
    VSD_REG(6, D3DVSDT_D3DCOLOR),
    VSD_REG(7, D3DVSDT_FLOAT2),
    VSD_END(),
};

}  // namespace

const char* TransformFragment(u32 word) {
    switch (word) {
        case 0x1: return kTransform1;
        case 0x2: return kTransform2;
        case 0x4: return kTransform4;
        case 0x8: return kTransform8;
        default: return "";
    }
}

const char* LightingFragment(u32 word) {
    switch (word) {
        case 0x100: return kLightingNone;
        case 0x200: return kLightingVertexColor;
        case 0x400: return kLightingMaterial;
        case 0x800: return kLightingFour;
        case 0x1000: return kLightingHemisphere;
        case 0x2000: return kLightingDepth;
        default: return "";
    }
}

const char* TexCoordFragment(u32 word) {
    switch (word) {
        case 0x10000: return kTexture;
        case 0x20000: return kToon;
        case 0x200000: return kToon2;
        case 0x80000: return kReflection;
        case 0x800000: return kReflection2;
        case 0x40000: return kStealth;
        case 0x400000: return kStealth2;
        case 0x100000: return kShadow;
        case 0x1000000: return kShadow2;
        case 0x2000000: return kToonReflection;
        case 0x4000000: return kReflectionToon;
        default: return "";
    }
}

const char* FogFragment(u32 word) {
    switch (word) {
        case 0x10000000: return kFogNone;
        case 0x20000000: return kFogView;
        case 0x40000000: return kFogWorld;
        default: return "";
    }
}

const gfx::DWORD* ShaderDeclaration(u32 transform) {
    switch (transform) {
        case 0x1: return kDeclaration1;
        case 0x2: return kDeclaration2;
        case 0x4: return kDeclaration4;
        case 0x8: return kDeclaration8;
        default: return nullptr;
    }
}

std::string GenerateShaderText(const ShaderFlags& flags) {
    std::string text;
    text += TransformFragment(flags.transform);
    text += LightingFragment(flags.lighting);
    text += TexCoordFragment(flags.texCoord);
    text += FogFragment(flags.fog);
    return text;
}
