#include "engine/graphics/shader_assembler.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <mutex>
#include <utility>

namespace gfx = platform::gfx;
using gfx::Vec4;
using gfx::VertexProgramOutput;

const char* const kSceneShaderText =
    "vs.1.1\n"
    "; 座標変換\n"
    "m4x4 oPos, v0, c0\n"
    "; 頂点カラー\n"
    "mul oD0, v1, c4\n"
    "; テクスチャ\n"
    "mov oT0.xy, v2.xy\n";

namespace {

// ---- The programs ------------------------------------------------------------------
// Each word's fragment, instruction by instruction, on float registers.

inline Vec4 Add(const Vec4& a, const Vec4& b) { return {a.x + b.x, a.y + b.y, a.z + b.z, a.w + b.w}; }
inline Vec4 Sub(const Vec4& a, const Vec4& b) { return {a.x - b.x, a.y - b.y, a.z - b.z, a.w - b.w}; }
inline Vec4 Mul(const Vec4& a, const Vec4& b) { return {a.x * b.x, a.y * b.y, a.z * b.z, a.w * b.w}; }
inline Vec4 Mad(const Vec4& a, const Vec4& b, const Vec4& c) {
    return {a.x * b.x + c.x, a.y * b.y + c.y, a.z * b.z + c.z, a.w * b.w + c.w};
}
inline Vec4 Splat(float s) { return {s, s, s, s}; }
inline Vec4 Min(const Vec4& a, const Vec4& b) {
    return {std::min(a.x, b.x), std::min(a.y, b.y), std::min(a.z, b.z), std::min(a.w, b.w)};
}
inline float Dp3(const Vec4& a, const Vec4& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline float Dp4(const Vec4& a, const Vec4& b) { return a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w; }
inline float Rcp(float x) { return x == 1.0f ? 1.0f : 1.0f / x; }
inline float Rsq(float x) { return 1.0f / std::sqrt(std::fabs(x)); }

// Constant register i, zero outside the file (an index past the palette).
inline Vec4 C(const Vec4* c, int i) { return (i >= 0 && i < gfx::kVertexShaderConstants) ? c[i] : Vec4{}; }

inline Vec4 M4x4(const Vec4& a, const Vec4* c, int base) {
    return {Dp4(a, C(c, base)), Dp4(a, C(c, base + 1)), Dp4(a, C(c, base + 2)), Dp4(a, C(c, base + 3))};
}
inline Vec4 M4x3(const Vec4& a, const Vec4* c, int base, float w) {
    return {Dp4(a, C(c, base)), Dp4(a, C(c, base + 1)), Dp4(a, C(c, base + 2)), w};
}
inline Vec4 M3x3(const Vec4& a, const Vec4* c, int base, float w) {
    return {Dp3(a, C(c, base)), Dp3(a, C(c, base + 1)), Dp3(a, C(c, base + 2)), w};
}

struct Registers {
    Vec4 r[10];
};

void Inflate(Registers& s, const Vec4& position, const Vec4* c, VertexProgramOutput& o) {
    const Vec4 c12 = c[12];
    s.r[0] = Mad(s.r[2], Vec4{c12.y, c12.y, c12.y, c12.w}, position);
    s.r[1] = M4x4(s.r[0], c, 20);
    o.position = s.r[1];
}

void Morph(Registers& s, const Vec4* v, const Vec4* c, Vec4* position, Vec4* normal) {
    const Vec4 weight = Splat(c[12].z);
    Vec4 d = Sub(v[2], v[0]);
    *position = Mad(d, weight, v[0]);
    d = Sub(v[3], v[1]);
    *normal = Mad(d, weight, v[1]);
    s.r[4] = d;
}

void Skin(Registers& s, const Vec4* v, const Vec4* c, const Vec4& position, const Vec4& normal,
          VertexProgramOutput& o) {
    const Vec4 indices = Mul(Vec4{v[5].z, v[5].y, v[5].x, v[5].w}, Splat(c[0].w));
    const float index[3] = {indices.x, indices.y, indices.z};
    const float weight[3] = {v[4].x, v[4].y, v[4].z};
    Vec4 sumPosition, sumNormal;
    for (int bone = 0; bone < 3; ++bone) {
        const int a0 = static_cast<int>(std::floor(index[bone])) + 26;
        const Vec4 p = M4x3(position, c, a0, 0.0f);
        const Vec4 n = M3x3(normal, c, a0, 0.0f);
        const Vec4 w = Splat(weight[bone]);
        if (bone == 0) {
            sumPosition = Mul(p, w);
            sumNormal = Mul(n, w);
        } else {
            sumPosition = Mad(p, w, sumPosition);
            sumNormal = Mad(n, w, sumNormal);
        }
    }
    sumPosition.w = c[0].z;
    s.r[2] = Vec4{sumNormal.x, sumNormal.y, sumNormal.z, c[0].z};
    Inflate(s, sumPosition, c, o);
}

void Transform(u32 word, Registers& s, const Vec4* v, const Vec4* c, VertexProgramOutput& o) {
    switch (word) {
        case kShaderTransformStatic:
            s.r[2] = v[1];
            Inflate(s, v[0], c, o);
            break;
        case kShaderTransformMorph: {
            Vec4 position;
            Morph(s, v, c, &position, &s.r[2]);
            Inflate(s, position, c, o);
            break;
        }
        case kShaderTransformSkinned: Skin(s, v, c, v[0], v[1], o); break;
        case kShaderTransformSkinnedMorph: {
            Vec4 position, normal;
            Morph(s, v, c, &position, &normal);
            Skin(s, v, c, position, normal, o);
            break;
        }
        default: break;
    }
}

void Lighting(u32 word, Registers& s, const Vec4* v, const Vec4* c, VertexProgramOutput& o) {
    const Vec4 one = Splat(c[0].z);
    switch (word) {
        case kShaderLightingNone: o.diffuse = one; break;
        case kShaderLightingVertexColor: o.diffuse = v[6]; break;
        case kShaderLightingMaterial: o.diffuse = c[11]; break;
        case kShaderLightingFourLights: {
            Vec4 d{Dp3(s.r[2], c[3]), Dp3(s.r[2], c[4]), Dp3(s.r[2], c[5]), Dp3(s.r[2], c[6])};
            d = Add(d, Splat(c[2].w));
            Vec4 colour = Mul(c[7], Splat(d.x));
            colour = Mad(c[8], Splat(d.y), colour);
            colour = Mad(c[9], Splat(d.z), colour);
            colour = Mad(c[10], Splat(d.w), colour);
            colour.w = c[0].z;
            colour = Mul(colour, c[11]);
            o.diffuse = Min(colour, one);
            break;
        }
        case kShaderLightingHemisphere: {
            float light = Dp3(s.r[2], c[3]);
            light = light + c[2].w;
            Vec4 colour = Mul(c[7], Splat(light));
            float axis = Dp3(s.r[2], c[4]);
            axis = axis * c[0].x + c[0].x;
            Vec4 sky = Sub(c[7], c[8]);
            sky = Mad(sky, Splat(axis), c[8]);
            colour = Mul(colour, sky);
            colour = Min(colour, one);
            colour.w = c[0].z;
            o.diffuse = Mul(colour, c[11]);
            break;
        }
        case kShaderLightingDepth: {
            const float w = Rcp(s.r[1].w);
            o.diffuse = Vec4{s.r[1].z * w, s.r[1].z * w, s.r[1].z * w, c[0].z};
            break;
        }
        default: break;
    }
}

void Texture(const Vec4* v, const Vec4* c, Vec4& out) {
    out.x = v[7].x + c[1].x;
    out.y = v[7].y + c[1].y;
}

void Toon(Registers& s, const Vec4* c, Vec4& out) {
    const float shade = std::max(Dp3(s.r[2], c[3]), c[0].x);
    out.x = shade;
    out.y = c[0].x;
}

void Reflection(Registers& s, const Vec4* c, Vec4& out) {
    const Vec4 world = M4x3(s.r[0], c, 16, 0.0f);
    Vec4 normal = M3x3(s.r[2], c, 16, 0.0f);
    float n = Rsq(Dp3(normal, normal));
    normal = Vec4{normal.x * n, normal.y * n, normal.z * n, n};
    Vec4 eye{c[2].x - world.x, c[2].y - world.y, c[2].z - world.z, 0.0f};
    const float e = Rsq(Dp3(eye, eye));
    eye = Vec4{eye.x * e, eye.y * e, eye.z * e, e};
    float twice = Dp3(normal, eye);
    twice = twice + twice;
    const Vec4 r{normal.x * twice - eye.x, normal.y * twice - eye.y, normal.z * twice - eye.z, 0.0f};
    out.x = r.x * c[0].x + c[0].x;
    out.y = r.y * c[0].y + c[0].x;
}

void Stealth(Registers& s, const Vec4* c, Vec4& out) {
    const Vec4 pushed = Mad(s.r[2], Vec4{c[12].x, c[12].x, c[12].x, c[12].w}, s.r[0]);
    const Vec4 p = M4x4(pushed, c, 16);
    const float w = Rcp(p.z);
    out.x = p.x * w * c[0].x + c[0].x;
    out.y = p.y * w * c[0].y + c[0].x;
}

void Shadow(Registers& s, const Vec4* c, Vec4& out) {
    const Vec4 p = M4x4(s.r[0], c, 16);
    const float w = Rcp(p.w);
    out.x = p.x * w * c[0].x + c[0].x;
    out.y = p.y * w * c[0].y + c[0].x;
}

void TexCoords(u32 word, Registers& s, const Vec4* v, const Vec4* c, VertexProgramOutput& o) {
    switch (word) {
        case kShaderTexture: Texture(v, c, o.texcoord[0]); break;
        case kShaderToon: Toon(s, c, o.texcoord[0]); break;
        // clang-format off
        case kShaderToon2: Texture(v, c, o.texcoord[0]); Toon(s, c, o.texcoord[1]); break;
        case kShaderReflection: Reflection(s, c, o.texcoord[0]); break;
        case kShaderReflection2: Texture(v, c, o.texcoord[0]); Reflection(s, c, o.texcoord[1]); break;
        case kShaderStealth: Stealth(s, c, o.texcoord[0]); break;
        case kShaderStealth2: Texture(v, c, o.texcoord[0]); Stealth(s, c, o.texcoord[1]); break;
        case kShaderShadowMap: Shadow(s, c, o.texcoord[0]); break;
        case kShaderShadowMap2: Texture(v, c, o.texcoord[0]); Shadow(s, c, o.texcoord[1]); break;
        case kShaderToonReflection: Toon(s, c, o.texcoord[0]); Reflection(s, c, o.texcoord[1]); break;
        case kShaderReflectionToon: Reflection(s, c, o.texcoord[0]); Toon(s, c, o.texcoord[1]); break;
        // clang-format on
        default: break;
    }
}

void Fog(u32 word, Registers& s, const Vec4* c, VertexProgramOutput& o) {
    if (word == kShaderFogNone) return;
    const Vec4 p = M4x3(s.r[0], c, 13, 0.0f);
    const float distance = word == kShaderFogView ? p.z : p.y;
    o.fog = distance * c[1].z + c[1].w;
}

void RunGenerated(const ShaderFlags& flags, const Vec4* v, const Vec4* c, VertexProgramOutput& o) {
    Registers s{};
    Transform(flags.transform, s, v, c, o);
    Lighting(flags.lighting, s, v, c, o);
    TexCoords(flags.texCoord, s, v, c, o);
    Fog(flags.fog, s, c, o);
}

void SceneProgram(const Vec4* v, const Vec4* c, VertexProgramOutput& o) {
    o.position = M4x4(v[0], c, 0);
    o.diffuse = Mul(v[1], c[4]);
    o.texcoord[0].x = v[2].x;
    o.texcoord[0].y = v[2].y;
}

// ---- Program slots -----------------------------------------------------------------
// The device calls a plain function, so each distinct generated program gets
// one slot whose function runs the flags stored for it.

// One slot for every combination of the four words, so a slot is always free.
constexpr int kProgramSlots = 4 * 6 * 11 * 3;
std::array<ShaderFlags, kProgramSlots> g_slotFlags;
std::map<u32, int> g_slotOfKey;
std::mutex g_slotLock;

template <int N>
void SlotProgram(const Vec4* v, const Vec4* c, VertexProgramOutput& o) {
    RunGenerated(g_slotFlags[N], v, c, o);
}

template <int... N>
constexpr std::array<gfx::VertexProgramFn, sizeof...(N)> MakeSlots(std::integer_sequence<int, N...>) {
    return {&SlotProgram<N>...};
}

const std::array<gfx::VertexProgramFn, kProgramSlots> kSlots =
    MakeSlots(std::make_integer_sequence<int, kProgramSlots>{});

bool StartsWith(const std::string& text, std::size_t at, const char* prefix, std::size_t* length) {
    const std::string p(prefix);
    if (p.empty() || text.compare(at, p.size(), p) != 0) return false;
    *length = p.size();
    return true;
}

}  // namespace

bool DecodeShaderText(const std::string& text, ShaderFlags* out) {
    std::size_t a = 0, b = 0, c = 0, d = 0;
    for (u32 t : kTransformWords) {
        if (!StartsWith(text, 0, TransformFragment(t), &a)) continue;
        for (u32 l : kLightingWords) {
            if (!StartsWith(text, a, LightingFragment(l), &b)) continue;
            for (u32 x : kTexCoordWords) {
                if (!StartsWith(text, a + b, TexCoordFragment(x), &c)) continue;
                for (u32 f : kFogWords) {
                    if (!StartsWith(text, a + b + c, FogFragment(f), &d)) continue;
                    if (a + b + c + d != text.size()) continue;
                    *out = ShaderFlags{t, l, x, f, t | l | x | f};
                    return true;
                }
            }
        }
    }
    return false;
}

bool AssembleShader(const char* text, u32 length, AssembledShader* out, std::string* error) {
    if (!text || !out) {
        if (error) *error = "no shader text";
        return false;
    }
    std::string source(text, length);
    if (source == kSceneShaderText) {
        out->text = std::move(source);
        out->program = SceneProgram;
        return true;
    }
    ShaderFlags flags;
    if (!DecodeShaderText(source, &flags)) {
        if (error) *error = "unknown vertex shader text";
        return false;
    }
    std::lock_guard<std::mutex> lock(g_slotLock);
    auto found = g_slotOfKey.find(flags.key);
    int slot;
    if (found != g_slotOfKey.end()) {
        slot = found->second;
    } else {
        if (g_slotOfKey.size() >= static_cast<std::size_t>(kProgramSlots)) {
            if (error) *error = "too many distinct vertex programs";
            return false;
        }
        slot = static_cast<int>(g_slotOfKey.size());
        g_slotFlags[static_cast<std::size_t>(slot)] = flags;
        g_slotOfKey.emplace(flags.key, slot);
    }
    out->text = std::move(source);
    out->program = kSlots[static_cast<std::size_t>(slot)];
    return true;
}
