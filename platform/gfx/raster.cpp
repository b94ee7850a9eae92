#include "platform/gfx/raster.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <type_traits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace platform::gfx::raster {
namespace {

using u8 = std::uint8_t;
using u16 = std::uint16_t;
using u32 = std::uint32_t;
using i64 = std::int64_t;

// Sub-pixel precision of vertex positions: 1/256 pixel.
constexpr int kSubBits = 8;
constexpr i64 kSub = 1 << kSubBits;
// Screen-space polygons are clipped to this band around the target, so that
// fixed-point edge functions never overflow. Coverage is decided by the
// scissor inside it.
constexpr float kGuardBand = 8192.0f;

// ---------------------------------------------------------------------------
// Integer colour maths. Every product of two 0..255 values is rounded to the
// nearest of (a x b / 255); sums are clamped to 0..255.

inline u32 Mul255(u32 a, u32 b) {
    u32 t = a * b + 128;
    return (t + (t >> 8)) >> 8;
}

// Each channel of `c` times f / 255 (f 0..255), rounded.
inline u32 ScaleArgb(u32 c, u32 f) {
    u32 rb = (c & 0x00FF00FFu) * f + 0x00800080u;
    rb = ((rb + ((rb >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
    u32 ag = ((c >> 8) & 0x00FF00FFu) * f + 0x00800080u;
    ag = (ag + ((ag >> 8) & 0x00FF00FFu)) & 0xFF00FF00u;
    return rb | ag;
}

inline u32 AddSat(u32 a, u32 b) {
    u32 rb = (a & 0x00FF00FFu) + (b & 0x00FF00FFu);
    u32 ag = ((a >> 8) & 0x00FF00FFu) + ((b >> 8) & 0x00FF00FFu);
    u32 orb = rb & 0x01000100u;
    u32 oag = ag & 0x01000100u;
    rb = (rb | (orb - (orb >> 8))) & 0x00FF00FFu;
    ag = (ag | (oag - (oag >> 8))) & 0x00FF00FFu;
    return rb | (ag << 8);
}

// c0 x (256 - f) + c1 x f, rounded, per channel (f 0..255).
inline u32 LerpArgb(u32 c0, u32 c1, u32 f) {
    u32 g = 256 - f;
    u32 rb = (((c0 & 0x00FF00FFu) * g + (c1 & 0x00FF00FFu) * f + 0x00800080u) >> 8) & 0x00FF00FFu;
    u32 ag = (((c0 >> 8) & 0x00FF00FFu) * g + ((c1 >> 8) & 0x00FF00FFu) * f + 0x00800080u) & 0xFF00FF00u;
    return rb | ag;
}

inline u32 Bilinear(u32 t00, u32 t10, u32 t01, u32 t11, u32 fx, u32 fy) {
    return LerpArgb(LerpArgb(t00, t01, fy), LerpArgb(t10, t11, fy), fx);
}

// Per-channel product of two colours.
inline u32 ModulateArgb(u32 a, u32 b) {
    return (Mul255(a >> 24, b >> 24) << 24) | (Mul255((a >> 16) & 0xFF, (b >> 16) & 0xFF) << 16) |
           (Mul255((a >> 8) & 0xFF, (b >> 8) & 0xFF) << 8) | Mul255(a & 0xFF, b & 0xFF);
}

inline u32 Clamp255(i64 v) { return v < 0 ? 0u : (v > 255 ? 255u : static_cast<u32>(v)); }

inline u32 Expand5(u32 v) { return (v << 3) | (v >> 2); }
inline u32 Expand6(u32 v) { return (v << 2) | (v >> 4); }
inline u32 Expand4(u32 v) { return (v << 4) | v; }
inline u32 Quantise(u32 v, u32 max) { return (v * max + 127) / 255; }

i64 FloorDiv(i64 a, i64 b) {  // b > 0
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}
i64 CeilDiv(i64 a, i64 b) { return -FloorDiv(-a, b); }

// floor(num / den) for num growing by a fixed step at a time, with one
// division at the start and none per step: the quotient is kept with its
// remainder 0 <= rem < den.
class EdgeStep {
public:
    void Start(i64 num, i64 den, i64 step) {
        den_ = den;
        q_ = FloorDiv(num, den);
        rem_ = num - q_ * den;
        stepQ_ = FloorDiv(step, den);
        stepRem_ = step - stepQ_ * den;
    }
    i64 Floor() const { return q_; }
    // Without a branch: the carry follows the edge's slope, which a
    // predictor guesses badly.
    void Next() {
        q_ += stepQ_;
        rem_ += stepRem_;
        i64 carry = -static_cast<i64>(rem_ >= den_);
        rem_ -= den_ & carry;
        q_ -= carry;
    }

private:
    i64 den_ = 1, q_ = 0, rem_ = 0, stepQ_ = 0, stepRem_ = 0;
};

// floor() for |v| < 2^62 without a library call.
inline i64 FloorToInt(double v) {
    i64 t = static_cast<i64>(v);
    return static_cast<double>(t) > v ? t - 1 : t;
}

// A colour channel 0..255 from a float value, NaN reading as 0.
inline u32 RoundChannel(double v) {
    if (!(v > 0.0)) return 0;
    if (v >= 255.0) return 255;
    return static_cast<u32>(FloorToInt(v + 0.5));
}

// a + b with two's-complement wrapping instead of overflow.
inline i64 WrapAdd(i64 a, i64 b) {
    return static_cast<i64>(static_cast<std::uint64_t>(a) + static_cast<std::uint64_t>(b));
}

[[gnu::always_inline]] inline i64 ToFixed16(double v) {
    // Clamp far outside any useful range so the conversion is defined.
    if (!(v > -1.0e12)) v = -1.0e12;
    if (!(v < 1.0e12)) v = 1.0e12;
    return FloorToInt(v * 65536.0 + 0.5);
}

bool Compare(DWORD func, u32 value, u32 reference) {
    switch (func) {
        case D3DCMP_NEVER: return false;
        case D3DCMP_LESS: return value < reference;
        case D3DCMP_EQUAL: return value == reference;
        case D3DCMP_LESSEQUAL: return value <= reference;
        case D3DCMP_GREATER: return value > reference;
        case D3DCMP_NOTEQUAL: return value != reference;
        case D3DCMP_GREATEREQUAL: return value >= reference;
        default: return true;
    }
}

// ---------------------------------------------------------------------------
// Texture addressing and sampling. Texture coordinates reach the sampler in
// texel space with the texel centres at integers: S = (u x width - 0.5) in
// 16.16 fixed point.

int AddressOne(int i, int n, DWORD mode, bool& border) {
    switch (mode) {
        case D3DTADDRESS_CLAMP: return i < 0 ? 0 : (i >= n ? n - 1 : i);
        case D3DTADDRESS_BORDER:
            if (i < 0 || i >= n) border = true;
            return 0;
        case D3DTADDRESS_MIRROR: {
            int p = 2 * n;
            int m = i % p;
            if (m < 0) m += p;
            return m < n ? m : p - 1 - m;
        }
        case D3DTADDRESS_MIRRORONCE: {
            int m = i < 0 ? -1 - i : i;
            return m >= n ? n - 1 : m;
        }
        default: {  // WRAP
            if ((n & (n - 1)) == 0) return i & (n - 1);
            int m = i % n;
            return m < 0 ? m + n : m;
        }
    }
}

struct Sampler {
    const u32* tex = nullptr;
    int w = 0, h = 0;
    DWORD addrU = D3DTADDRESS_WRAP, addrV = D3DTADDRESS_WRAP;
    u32 border = 0;
    bool linear = false;
};

inline u32 Texel(const Sampler& s, int x, int y) {
    bool border = false;
    int ax = AddressOne(x, s.w, s.addrU, border);
    int ay = AddressOne(y, s.h, s.addrV, border);
    return border ? s.border : s.tex[static_cast<std::size_t>(ay) * s.w + ax];
}

u32 Sample(const Sampler& s, i64 S, i64 T) {
    if (!s.tex) return 0xFFFFFFFFu;
    if (!s.linear) {
        int x = static_cast<int>((S + 0x8000) >> 16);
        int y = static_cast<int>((T + 0x8000) >> 16);
        return Texel(s, x, y);
    }
    int x = static_cast<int>(S >> 16);
    int y = static_cast<int>(T >> 16);
    u32 fx = static_cast<u32>((S >> 8) & 0xFF);
    u32 fy = static_cast<u32>((T >> 8) & 0xFF);
    return Bilinear(Texel(s, x, y), Texel(s, x + 1, y), Texel(s, x, y + 1), Texel(s, x + 1, y + 1), fx, fy);
}

// ---------------------------------------------------------------------------
// Texture stage combiner.

inline u32 ArgValue(DWORD arg, u32 diffuse, u32 current, u32 texel, u32 factor) {
    u32 v;
    switch (arg & D3DTA_SELECTMASK) {
        case D3DTA_DIFFUSE: v = diffuse; break;
        case D3DTA_CURRENT: v = current; break;
        case D3DTA_TEXTURE: v = texel; break;
        case D3DTA_TFACTOR: v = factor; break;
        case D3DTA_SPECULAR: v = 0; break;
        default: v = current; break;  // TEMP is not kept: reads as current
    }
    if (arg & D3DTA_COMPLEMENT) v = ~v;
    if (arg & D3DTA_ALPHAREPLICATE) {
        u32 a = v >> 24;
        v = (a << 24) | (a << 16) | (a << 8) | a;
    }
    return v;
}

inline u32 Channel(u32 c, int shift) { return (c >> shift) & 0xFF; }

u32 CombineChannel(DWORD op, u32 a, u32 b) {
    switch (op) {
        case D3DTOP_SELECTARG1: return a;
        case D3DTOP_SELECTARG2: return b;
        case D3DTOP_MODULATE: return Mul255(a, b);
        case D3DTOP_MODULATE2X: return Clamp255(2 * static_cast<i64>(Mul255(a, b)));
        case D3DTOP_MODULATE4X: return Clamp255(4 * static_cast<i64>(Mul255(a, b)));
        case D3DTOP_ADD: return Clamp255(static_cast<i64>(a) + b);
        case D3DTOP_ADDSIGNED: return Clamp255(static_cast<i64>(a) + b - 128);
        case D3DTOP_ADDSIGNED2X: return Clamp255(2 * (static_cast<i64>(a) + b - 128));
        case D3DTOP_SUBTRACT: return Clamp255(static_cast<i64>(a) - b);
        case D3DTOP_ADDSMOOTH: return Clamp255(static_cast<i64>(a) + b - Mul255(a, b));
        default: return a;
    }
}

u32 Combine(DWORD op, u32 a, u32 b, bool alphaOnly) {
    if (op == D3DTOP_SELECTARG1) return a;
    if (op == D3DTOP_SELECTARG2) return b;
    if (op == D3DTOP_MODULATE) return alphaOnly ? (Mul255(a >> 24, b >> 24) << 24) : ModulateArgb(a, b);
    u32 out = 0;
    for (int shift = alphaOnly ? 24 : 0; shift < 32; shift += 8) {
        out |= CombineChannel(op, Channel(a, shift), Channel(b, shift)) << shift;
    }
    return out;
}

// ---------------------------------------------------------------------------
// Blending (any target format, any factors).

inline u32 Factor(DWORD f, int shift, u32 src, u32 dst, bool isAlpha) {
    u32 sa = src >> 24, da = dst >> 24;
    switch (f) {
        case D3DBLEND_ZERO: return 0;
        case D3DBLEND_ONE: return 255;
        case D3DBLEND_SRCCOLOR: return Channel(src, shift);
        case D3DBLEND_INVSRCCOLOR: return 255 - Channel(src, shift);
        case D3DBLEND_SRCALPHA: return sa;
        case D3DBLEND_INVSRCALPHA: return 255 - sa;
        case D3DBLEND_DESTALPHA: return da;
        case D3DBLEND_INVDESTALPHA: return 255 - da;
        case D3DBLEND_DESTCOLOR: return Channel(dst, shift);
        case D3DBLEND_INVDESTCOLOR: return 255 - Channel(dst, shift);
        case D3DBLEND_SRCALPHASAT: return isAlpha ? 255 : std::min(sa, 255 - da);
        default: return 255;
    }
}

u32 BlendGeneric(u32 src, u32 dst, DWORD srcBlend, DWORD destBlend, DWORD op) {
    if (srcBlend == D3DBLEND_BOTHSRCALPHA) {
        srcBlend = D3DBLEND_SRCALPHA;
        destBlend = D3DBLEND_INVSRCALPHA;
    } else if (srcBlend == D3DBLEND_BOTHINVSRCALPHA) {
        srcBlend = D3DBLEND_INVSRCALPHA;
        destBlend = D3DBLEND_SRCALPHA;
    }
    u32 out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        bool isAlpha = shift == 24;
        u32 s = Channel(src, shift), d = Channel(dst, shift);
        i64 v;
        switch (op) {
            case D3DBLENDOP_MIN: v = std::min(s, d); break;
            case D3DBLENDOP_MAX: v = std::max(s, d); break;
            default: {
                i64 st = Mul255(s, Factor(srcBlend, shift, src, dst, isAlpha));
                i64 dt = Mul255(d, Factor(destBlend, shift, src, dst, isAlpha));
                v = op == D3DBLENDOP_SUBTRACT ? st - dt : op == D3DBLENDOP_REVSUBTRACT ? dt - st : st + dt;
            }
        }
        out |= Clamp255(v) << shift;
    }
    return out;
}

bool HasAlpha(D3DFORMAT f) { return f == D3DFMT_A8R8G8B8 || f == D3DFMT_A1R5G5B5 || f == D3DFMT_A4R4G4B4; }

// ---------------------------------------------------------------------------
// Attribute planes: value(x, y) = base + dx x + dy y at pixel centres.

// Left unset on purpose: a triangle's setup fills only the planes its spans
// read, and clearing them all costs more than a small triangle's pixels.
struct Plane {
    double base, dx, dy;
    double At(double x, double y) const { return base + dx * x + dy * y; }
};

// Everything a span needs: planes of the triangle and the stage samplers.
struct TriangleSetup {
    bool perspective = false;
    Plane q{};         // 1/w, perspective only
    Plane colour[4];   // r, g, b, a (x q when perspective); set unless flat
    Plane s[4], t[4];  // per stage, texel space (x q when perspective); set for stages with a texture
    Plane z{};         // 0..65535
    bool flat = false;
    u32 flatColour = 0;
    Sampler samplers[4];
};

struct PixelIn {
    u32 diffuse;
    i64 S[4], T[4];
    i64 z;  // 0..65535
};

}  // namespace

// ---------------------------------------------------------------------------

struct Rasterizer::Impl {
    // The generic pixel pipeline: stages, alpha test, depth, blend, write.
    static void ShadePixel(const State& st, int stageCount, const TriangleSetup& ts, int x, int y, const PixelIn& in) {
        u32 current = in.diffuse;
        for (int i = 0; i < stageCount; ++i) {
            const Stage& sg = st.stages[i];
            u32 texel = Sample(ts.samplers[i], in.S[i], in.T[i]);
            u32 c1 = ArgValue(sg.colorArg1, in.diffuse, current, texel, st.textureFactor);
            u32 c2 = ArgValue(sg.colorArg2, in.diffuse, current, texel, st.textureFactor);
            u32 colour = Combine(sg.colorOp, c1, c2, false) & 0x00FFFFFFu;
            u32 alpha;
            if (sg.alphaOp == D3DTOP_DISABLE) {
                alpha = current & 0xFF000000u;
            } else {
                u32 a1 = ArgValue(sg.alphaArg1, in.diffuse, current, texel, st.textureFactor);
                u32 a2 = ArgValue(sg.alphaArg2, in.diffuse, current, texel, st.textureFactor);
                alpha = Combine(sg.alphaOp, a1, a2, true) & 0xFF000000u;
            }
            current = colour | alpha;
        }
        if (st.alphaTest && !Compare(st.alphaFunc, current >> 24, st.alphaRef & 0xFF)) return;
        if (st.depth.bits && st.zEnable) {
            u16* zp = reinterpret_cast<u16*>(reinterpret_cast<u8*>(st.depth.bits) +
                                             static_cast<std::ptrdiff_t>(y) * st.depth.pitch) +
                      x;
            u32 z = static_cast<u32>(std::clamp<i64>((in.z + 0x8000) >> 16, 0, 65535));
            if (!Compare(st.zFunc, z, *zp)) return;
            if (st.zWrite) *zp = static_cast<u16>(z);
        }
        const Target& tg = st.target;
        u8* p = tg.bits + static_cast<std::ptrdiff_t>(y) * tg.pitch + x * BytesPerPixel(tg.format);
        u32 dst = ToArgb(p, tg.format);
        if (!HasAlpha(tg.format)) dst |= 0xFF000000u;
        u32 out = st.blend ? BlendGeneric(current, dst, st.srcBlend, st.destBlend, st.blendOp) : current;
        if ((st.colorWriteMask & 0xF) != 0xF) {
            u32 keep = 0;
            if (!(st.colorWriteMask & 1)) keep |= 0x00FF0000u;
            if (!(st.colorWriteMask & 2)) keep |= 0x0000FF00u;
            if (!(st.colorWriteMask & 4)) keep |= 0x000000FFu;
            if (!(st.colorWriteMask & 8)) keep |= 0xFF000000u;
            out = (out & ~keep) | (dst & keep);
        }
        FromArgb(out, p, tg.format);
    }

    // Attributes at (x, y) from the planes, generic path.
    static void Evaluate(const TriangleSetup& ts, int stageCount, double x, double y, PixelIn& in) {
        double w = 1.0;
        if (ts.perspective) {
            double q = ts.q.At(x, y);
            w = q != 0.0 ? 1.0 / q : 0.0;
        }
        if (ts.flat) {
            in.diffuse = ts.flatColour;
        } else {
            u32 c[4];
            for (int k = 0; k < 4; ++k) {
                c[k] = RoundChannel(ts.colour[k].At(x, y) * w);
            }
            in.diffuse = (c[3] << 24) | (c[0] << 16) | (c[1] << 8) | c[2];
        }
        for (int i = 0; i < stageCount; ++i) {
            if (!ts.samplers[i].tex) continue;
            in.S[i] = ToFixed16(ts.s[i].At(x, y) * w);
            in.T[i] = ToFixed16(ts.t[i].At(x, y) * w);
        }
        in.z = ToFixed16(ts.z.At(x, y));
    }

    static void GenericSpan(const State& st, int stageCount, const TriangleSetup& ts, int y, int x0, int x1) {
        PixelIn in{};
        if (ts.perspective) {
            for (int x = x0; x < x1; ++x) {
                Evaluate(ts, stageCount, x, y, in);
                ShadePixel(st, stageCount, ts, x, y, in);
            }
            return;
        }
        // Affine: fixed-point steps from the span start.
        Evaluate(ts, stageCount, x0, y, in);
        i64 c[4], dc[4];
        if (!ts.flat) {
            for (int k = 0; k < 4; ++k) {
                c[k] = ToFixed16(ts.colour[k].At(x0, y));
                dc[k] = ToFixed16(ts.colour[k].dx);
            }
        }
        i64 dS[4] = {}, dT[4] = {};
        for (int i = 0; i < stageCount; ++i) {
            dS[i] = ToFixed16(ts.s[i].dx);
            dT[i] = ToFixed16(ts.t[i].dx);
        }
        i64 dz = ToFixed16(ts.z.dx);
        for (int x = x0; x < x1; ++x) {
            if (!ts.flat) {
                u32 ch[4];
                for (int k = 0; k < 4; ++k) {
                    ch[k] = Clamp255((c[k] + 0x8000) >> 16);
                    c[k] += dc[k];
                }
                in.diffuse = (ch[3] << 24) | (ch[0] << 16) | (ch[1] << 8) | ch[2];
            }
            ShadePixel(st, stageCount, ts, x, y, in);
            // Stepped with wrapping sums: texture coordinates far outside any
            // texture (a stage without texture coordinates, an extreme
            // projection) may pass the 64-bit range, and wrap as addressing
            // them does; in range the sums are the same.
            for (int i = 0; i < stageCount; ++i) {
                in.S[i] = WrapAdd(in.S[i], dS[i]);
                in.T[i] = WrapAdd(in.T[i], dT[i]);
            }
            in.z = WrapAdd(in.z, dz);
        }
    }
};

// ---------------------------------------------------------------------------
// Specialised spans for the common cases: a 32-bit target, stage 0 giving
// texture x diffuse (or diffuse alone), no depth, no alpha test. They compute
// exactly what the generic pipeline computes.

namespace {

struct SpanArgs {
    u32* dst;
    int n;
    const u32* tex;
    int tw, th;
    i64 S, T, dS, dT;
    u32 colour;       // constant diffuse
    i64 c[4], dc[4];  // Gouraud a, r, g, b in 16.16
    const Sampler* sampler;
    const State* st;
    // More rows below the first (the rows version of the AVX2 bilinear span
    // only, see PickRowsSpan): `rows` in all, each `pitch` bytes further down with T
    // larger by dTRow and S the same.
    int rows;
    i64 dTRow;
    std::ptrdiff_t pitch;
};

enum TexKind { kTexNone = 0, kTexPoint = 1, kTexLinear = 2 };
enum ModKind { kModNone = 0, kModAlpha = 1, kModConst = 2, kModGouraud = 3 };
enum BlendKind { kBlendOpaque = 0, kBlendAlpha = 1, kBlendAddAlpha = 2, kBlendAdd = 3, kBlendGeneric = 4 };

template <int kTex, bool kAddressed, int kMod, int kBlend>
void FastSpan(const SpanArgs& a) {
    u32* dst = a.dst;
    i64 S = a.S, T = a.T;
    i64 c0 = a.c[0], c1 = a.c[1], c2 = a.c[2], c3 = a.c[3];
    const u32 constAlpha = a.colour >> 24;
    for (int i = 0; i < a.n; ++i) {
        u32 src;
        if constexpr (kTex == kTexNone) {
            src = 0xFFFFFFFFu;
        } else if constexpr (kAddressed) {
            src = Sample(*a.sampler, S, T);
        } else if constexpr (kTex == kTexPoint) {
            int x = static_cast<int>((S + 0x8000) >> 16);
            int y = static_cast<int>((T + 0x8000) >> 16);
            src = a.tex[static_cast<std::ptrdiff_t>(y) * a.tw + x];
        } else {
            int x = static_cast<int>(S >> 16);
            int y = static_cast<int>(T >> 16);
            u32 fx = static_cast<u32>((S >> 8) & 0xFF);
            u32 fy = static_cast<u32>((T >> 8) & 0xFF);
            const u32* row = a.tex + static_cast<std::ptrdiff_t>(y) * a.tw + x;
            src = Bilinear(row[0], row[1], row[a.tw], row[a.tw + 1], fx, fy);
        }
        if constexpr (kTex != kTexNone) {
            S += a.dS;
            T += a.dT;
        }
        if constexpr (kMod == kModAlpha) {
            src = (src & 0x00FFFFFFu) | (Mul255(src >> 24, constAlpha) << 24);
        } else if constexpr (kMod == kModConst) {
            src = kTex == kTexNone ? a.colour : ModulateArgb(src, a.colour);
        } else if constexpr (kMod == kModGouraud) {
            u32 d = (Clamp255((c0 + 0x8000) >> 16) << 24) | (Clamp255((c1 + 0x8000) >> 16) << 16) |
                    (Clamp255((c2 + 0x8000) >> 16) << 8) | Clamp255((c3 + 0x8000) >> 16);
            c0 += a.dc[0];
            c1 += a.dc[1];
            c2 += a.dc[2];
            c3 += a.dc[3];
            src = kTex == kTexNone ? d : ModulateArgb(src, d);
        }
        u32 d = dst[i];
        if constexpr (kBlend == kBlendOpaque) {
            dst[i] = src;
        } else if constexpr (kBlend == kBlendAlpha) {
            u32 sa = src >> 24;
            dst[i] = ScaleArgb(src, sa) + ScaleArgb(d, 255 - sa);
        } else if constexpr (kBlend == kBlendAddAlpha) {
            dst[i] = AddSat(ScaleArgb(src, src >> 24), d);
        } else if constexpr (kBlend == kBlendAdd) {
            dst[i] = AddSat(src, d);
        } else {
            const State& st = *a.st;
            u32 dd = st.target.format == D3DFMT_A8R8G8B8 ? d : (d | 0xFF000000u);
            dst[i] = BlendGeneric(src, dd, st.srcBlend, st.destBlend, st.blendOp);
        }
    }
}

#if defined(__SSE2__)
// The lambdas of the span loops must melt into them: called, they pass
// every vector through memory.
#define TOLVARIN_INLINE __attribute__((always_inline))

// The bilinear sprite span with SSE2: the same integer maths as FastSpan,
// 16-bit channel lanes, two pixels per step (pixel A in lanes 0..3, pixel B
// in lanes 4..7).

// a x b / 255 rounded, as Mul255: (t + (t >> 8)) >> 8 equals (t x 257) >> 16
// for every t below 65536, and t = a x b + 128 stays below it.
inline __m128i Mul255x(__m128i x, __m128i y) {
    __m128i t = _mm_add_epi16(_mm_mullo_epi16(x, y), _mm_set1_epi16(128));
    return _mm_mulhi_epu16(t, _mm_set1_epi16(257));
}

// The weight of pixel A in lanes 0..3 and of pixel B in lanes 4..7.
inline __m128i PairWeights(u32 fa, u32 fb) {
    __m128i w = _mm_cvtsi32_si128(static_cast<int>(fa | (fb << 16)));
    w = _mm_unpacklo_epi16(w, w);
    return _mm_unpacklo_epi32(w, w);
}

// (v0 x (256 - f) + v1 x f + 128) >> 8 per lane, as LerpArgb.
inline __m128i LerpLanes(__m128i v0, __m128i v1, __m128i f) {
    __m128i g = _mm_sub_epi16(_mm_set1_epi16(256), f);
    __m128i sum = _mm_add_epi16(_mm_mullo_epi16(v0, g), _mm_mullo_epi16(v1, f));
    return _mm_srli_epi16(_mm_add_epi16(sum, _mm_set1_epi16(128)), 8);
}

// Two neighbouring texels (x, x + 1) for pixel A and for pixel B, split into
// the left texels [A0 | B0] and the right ones [A1 | B1].
inline void SplitTexels(const u32* a, const u32* b, __m128i& left, __m128i& right) {
    const __m128i z = _mm_setzero_si128();
    __m128i ab = _mm_unpacklo_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(a)),
                                    _mm_loadl_epi64(reinterpret_cast<const __m128i*>(b)));
    left = _mm_unpacklo_epi8(ab, z);
    right = _mm_unpackhi_epi8(ab, z);
}

template <int kMod, int kBlend>
void LinearSpanSse(const SpanArgs& a) {
    const __m128i z = _mm_setzero_si128();
    __m128i modulate = _mm_set1_epi16(255);
    if constexpr (kMod == kModAlpha) {
        short al = static_cast<short>(a.colour >> 24);
        modulate = _mm_set_epi16(al, 255, 255, 255, al, 255, 255, 255);
    } else if constexpr (kMod == kModConst) {
        __m128i c = _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(a.colour)), z);
        modulate = _mm_unpacklo_epi64(c, c);
    }
    u32* dst = a.dst;
    const int n = a.n;
    auto shade = [&](__m128i src, __m128i d) TOLVARIN_INLINE {
        if constexpr (kMod != kModNone) src = Mul255x(src, modulate);
        if constexpr (kBlend == kBlendOpaque) {
            return src;
        } else {
            __m128i al = _mm_shufflehi_epi16(_mm_shufflelo_epi16(src, 0xFF), 0xFF);
            if constexpr (kBlend == kBlendAlpha) {
                return _mm_add_epi16(Mul255x(src, al), Mul255x(d, _mm_sub_epi16(_mm_set1_epi16(255), al)));
            } else if constexpr (kBlend == kBlendAddAlpha) {
                return _mm_add_epi16(Mul255x(src, al), d);
            } else {
                return _mm_add_epi16(src, d);
            }
        }
    };
    // Runs `sample(s0, t0, s1, t1)` (the filtered colours of two pixels at
    // those texel positions, as 16-bit lanes) over the span two pixels at a
    // time and writes the shaded result; an odd last pixel is sampled twice
    // and written once.
    i64 S = a.S, T = a.T;
    const i64 dS = a.dS, dT = a.dT;
    auto run = [&](auto sample) TOLVARIN_INLINE {
        int i = 0;
        for (; i + 1 < n; i += 2) {
            __m128i src = sample(S, T, S + dS, T + dT);
            S += 2 * dS;
            T += 2 * dT;
            __m128i d = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(dst + i)), z);
            __m128i out = shade(src, d);
            _mm_storel_epi64(reinterpret_cast<__m128i*>(dst + i), _mm_packus_epi16(out, out));
        }
        if (i < n) {
            __m128i src = sample(S, T, S, T);
            __m128i d = _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(dst[i])), z);
            __m128i out = shade(src, d);
            dst[i] = static_cast<u32>(_mm_cvtsi128_si32(_mm_packus_epi16(out, out)));
        }
    };
    // Along a row of an axis-aligned sprite the texture row pair and the
    // vertical weight stay the same: blend the columns vertically once, then
    // each pixel only horizontally (the same sums, in the same order).
    constexpr int kMaxColumns = 1024;
    alignas(16) u32 columns[kMaxColumns + 2];
    if (dT == 0 && n >= 4) {
        i64 sEnd = S + dS * (n - 1);
        int xa = static_cast<int>(std::min(S, sEnd) >> 16);
        int xb = static_cast<int>(std::max(S, sEnd) >> 16) + 1;
        int count = xb - xa + 1;
        if (count <= kMaxColumns) {
            const u32* r0 = a.tex + static_cast<std::ptrdiff_t>(T >> 16) * a.tw + xa;
            const u32* r1 = r0 + a.tw;
            const __m128i fy = _mm_set1_epi16(static_cast<short>((T >> 8) & 0xFF));
            int c = 0;
            for (; c + 1 < count; c += 2) {
                __m128i top = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(r0 + c)), z);
                __m128i bot = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(r1 + c)), z);
                __m128i v = LerpLanes(top, bot, fy);
                _mm_storel_epi64(reinterpret_cast<__m128i*>(columns + c), _mm_packus_epi16(v, v));
            }
            if (c < count) columns[c] = LerpArgb(r0[c], r1[c], static_cast<u32>((T >> 8) & 0xFF));
            run([&](i64 s0, i64, i64 s1, i64) TOLVARIN_INLINE {
                __m128i l, r;
                SplitTexels(columns + (static_cast<int>(s0 >> 16) - xa), columns + (static_cast<int>(s1 >> 16) - xa), l,
                            r);
                return LerpLanes(l, r,
                                 PairWeights(static_cast<u32>((s0 >> 8) & 0xFF), static_cast<u32>((s1 >> 8) & 0xFF)));
            });
            return;
        }
    }
    run([&](i64 s0, i64 t0, i64 s1, i64 t1) TOLVARIN_INLINE {
        const u32* p0 = a.tex + static_cast<std::ptrdiff_t>(t0 >> 16) * a.tw + static_cast<int>(s0 >> 16);
        const u32* p1 = a.tex + static_cast<std::ptrdiff_t>(t1 >> 16) * a.tw + static_cast<int>(s1 >> 16);
        __m128i topL, topR, botL, botR;
        SplitTexels(p0, p1, topL, topR);
        SplitTexels(p0 + a.tw, p1 + a.tw, botL, botR);
        __m128i fy = PairWeights(static_cast<u32>((t0 >> 8) & 0xFF), static_cast<u32>((t1 >> 8) & 0xFF));
        __m128i fx = PairWeights(static_cast<u32>((s0 >> 8) & 0xFF), static_cast<u32>((s1 >> 8) & 0xFF));
        return LerpLanes(LerpLanes(topL, botL, fy), LerpLanes(topR, botR, fy), fx);
    });
}
#undef TOLVARIN_INLINE
#endif

#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define TOLVARIN_HAVE_AVX2_SPAN 1
#include <immintrin.h>
// The bilinear sprite span again, four pixels per step in 256-bit registers
// (pixels A, B in the low half, C, D in the high half, 16-bit channel lanes).
// Integer maths only, the same sums in the same order as LinearSpanSse, so the
// pixels are identical; chosen at run time on processors with AVX2. The last
// one to three pixels of a span go through the same step with masked loads
// and stores.
#pragma GCC push_options
#pragma GCC target("avx2")
#define TOLVARIN_INLINE __attribute__((always_inline))

inline __m256i Mul255y(__m256i x, __m256i y) {
    __m256i t = _mm256_add_epi16(_mm256_mullo_epi16(x, y), _mm256_set1_epi16(128));
    return _mm256_mulhi_epu16(t, _mm256_set1_epi16(257));
}

// LerpLanes with one multiply: v0 x (256 - f) + v1 x f + 128 equals
// (v0 << 8) + (v1 - v0) x f + 128, which lies in 0..65408 for channels and
// weights of 0..255, so the parts' 16-bit wrap-around cancels out.
inline __m256i LerpLanesY(__m256i v0, __m256i v1, __m256i f) {
    __m256i sum = _mm256_add_epi16(_mm256_slli_epi16(v0, 8), _mm256_mullo_epi16(_mm256_sub_epi16(v1, v0), f));
    return _mm256_srli_epi16(_mm256_add_epi16(sum, _mm256_set1_epi16(128)), 8);
}

// The weights of four pixels from the low 32 bits of their fixed-point
// positions: bits 8..15 of each spread over the channel lanes of its pixel.
inline __m256i PositionWeights(__m128i v) {
    const __m256i pick = _mm256_setr_epi8(1, -1, 1, -1, 1, -1, 1, -1, 5, -1, 5, -1, 5, -1, 5, -1,  //
                                          9, -1, 9, -1, 9, -1, 9, -1, 13, -1, 13, -1, 13, -1, 13, -1);
    return _mm256_shuffle_epi8(_mm256_broadcastsi128_si256(v), pick);
}

// The texel pairs (x, x + 1) at p and at q as [P0 Q0 P1 Q1].
inline __m128i TexelPairs(const u32* p, const u32* q) {
    return _mm_unpacklo_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)),
                              _mm_loadl_epi64(reinterpret_cast<const __m128i*>(q)));
}

// Four pixels' texel pairs [A0 B0 A1 B1] and [C0 D0 C1 D1] split into the left
// texels [A0 B0 | C0 D0] and the right ones [A1 B1 | C1 D1], 16-bit lanes.
inline void SplitPairs(__m128i ab, __m128i cd, __m256i& left, __m256i& right) {
    __m256i v = _mm256_inserti128_si256(_mm256_castsi128_si256(ab), cd, 1);
    const __m256i z = _mm256_setzero_si256();
    left = _mm256_unpacklo_epi8(v, z);
    right = _mm256_unpackhi_epi8(v, z);
}

// kRows: the rectangle version, which honours a.rows (a separate routine, so
// the single-row one keeps its small frame).
template <int kMod, int kBlend, bool kRows = false>
void LinearSpanAvx2(const SpanArgs& a) {
    constexpr int kMaxColumns = 1024;
    // Texel offsets are found in 16-bit lanes: the texture must be narrower
    // and lower than 32768 texels (the positions lie inside it), else the
    // SSE2 routine draws the rows.
    if (a.tw >= 32768 || a.th >= 32768) [[unlikely]] {
        SpanArgs row = a;
        for (int r = 0; r < (kRows ? a.rows : 1); ++r) {
            LinearSpanSse<kMod, kBlend>(row);
            row.dst = reinterpret_cast<u32*>(reinterpret_cast<u8*>(row.dst) + a.pitch);
            row.T += a.dTRow;
        }
        return;
    }
    if (kRows && a.rows > 1) {
        // Several rows at once only as a rectangle (below); else row by row.
        i64 sEnd = a.S + a.dS * (a.n - 1);
        i64 count = (std::max(a.S, sEnd) >> 16) - (std::min(a.S, sEnd) >> 16) + 2;
        if (!(a.dT == 0 && a.n >= 4 && a.n <= kMaxColumns && count <= kMaxColumns)) {
            SpanArgs row = a;
            row.rows = 1;
            for (int r = 0; r < a.rows; ++r) {
                LinearSpanAvx2<kMod, kBlend, true>(row);
                row.dst = reinterpret_cast<u32*>(reinterpret_cast<u8*>(row.dst) + a.pitch);
                row.T += a.dTRow;
            }
            return;
        }
    }
    __m256i modulate = _mm256_set1_epi16(255);
    if constexpr (kMod == kModAlpha) {
        short al = static_cast<short>(a.colour >> 24);
        modulate = _mm256_set_epi16(al, 255, 255, 255, al, 255, 255, 255, al, 255, 255, 255, al, 255, 255, 255);
    } else if constexpr (kMod == kModConst) {
        __m128i c = _mm_cvtepu8_epi16(_mm_cvtsi32_si128(static_cast<int>(a.colour)));
        modulate = _mm256_broadcastq_epi64(c);
    }
    u32* dst = a.dst;
    const int n = a.n;
    auto shade = [&](__m256i src, __m256i d) TOLVARIN_INLINE {
        if constexpr (kMod != kModNone) src = Mul255y(src, modulate);
        if constexpr (kBlend == kBlendOpaque) {
            return src;
        } else {
            __m256i al = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(src, 0xFF), 0xFF);
            if constexpr (kBlend == kBlendAlpha) {
                return _mm256_add_epi16(Mul255y(src, al), Mul255y(d, _mm256_sub_epi16(_mm256_set1_epi16(255), al)));
            } else if constexpr (kBlend == kBlendAddAlpha) {
                return _mm256_add_epi16(Mul255y(src, al), d);
            } else {
                return _mm256_add_epi16(src, d);
            }
        }
    };
    // Runs over the span four pixels at a time, with
    //   offsets(sv, tv): the texel offsets of four pixels, from the low 32 bits
    //     of their S and T (sv, tv);
    //   load(k): their texels, read at the offsets k[0..3];
    //   clear(texels): whether all of those have alpha 0;
    //   filter(texels, fx, fy): the four filtered colours, 16-bit lanes.
    // Pixels past the end of the span repeat the last one's position (so every
    // read stays inside the texture) and are neither read from nor written to
    // the target.
    const i64 S = a.S, T = a.T, dS = a.dS, dT = a.dT;
    // Bits 8..15 of S and T give the weights, bits 16..31 the texel: 32-bit
    // lanes are enough for both.
    const __m128i lane = _mm_setr_epi32(0, 1, 2, 3);
    const __m128i dS32 = _mm_set1_epi32(static_cast<int>(static_cast<u32>(dS)));
    const __m128i dT32 = _mm_set1_epi32(static_cast<int>(static_cast<u32>(dT)));
    // Where a group of four pixels reads only texels of alpha 0, their
    // filtered alpha is 0 and an alpha blend leaves the target as it is
    // (255 x d / 255 rounds back to d): such groups are skipped. `clear` is
    // not asked for other blends.
    constexpr bool kSkipClear = kBlend == kBlendAlpha || kBlend == kBlendAddAlpha;
    const __m128i alphaBytes = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    auto run = [&](auto offsets, auto load, auto clear, auto filter) TOLVARIN_INLINE {
        __m128i sv = _mm_add_epi32(_mm_set1_epi32(static_cast<int>(static_cast<u32>(S))), _mm_mullo_epi32(lane, dS32));
        __m128i tv = _mm_add_epi32(_mm_set1_epi32(static_cast<int>(static_cast<u32>(T))), _mm_mullo_epi32(lane, dT32));
        const __m128i dS4 = _mm_slli_epi32(dS32, 2), dT4 = _mm_slli_epi32(dT32, 2);
        alignas(16) int k[4];
        int i = 0;
        for (; i + 3 < n; i += 4, sv = _mm_add_epi32(sv, dS4), tv = _mm_add_epi32(tv, dT4)) {
            _mm_store_si128(reinterpret_cast<__m128i*>(k), offsets(sv, tv));
            const auto texels = load(k);
            if constexpr (kSkipClear) {
                if (clear(texels)) continue;
            }
            __m128i dv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i));
            __m256i out = shade(filter(texels, PositionWeights(sv), PositionWeights(tv)), _mm256_cvtepu8_epi16(dv));
            __m256i packed = _mm256_permute4x64_epi64(_mm256_packus_epi16(out, out), 0x08);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm256_castsi256_si128(packed));
        }
        const int left = n - i;
        if (left > 0) {
            const __m128i last = _mm_min_epi32(lane, _mm_set1_epi32(left - 1));
            const __m128i back = _mm_sub_epi32(last, lane);
            sv = _mm_add_epi32(sv, _mm_mullo_epi32(back, dS32));
            tv = _mm_add_epi32(tv, _mm_mullo_epi32(back, dT32));
            _mm_store_si128(reinterpret_cast<__m128i*>(k), offsets(sv, tv));
            const auto texels = load(k);
            __m128i mask = _mm_cmpgt_epi32(_mm_set1_epi32(left), lane);
            __m128i dv = _mm_maskload_epi32(reinterpret_cast<const int*>(dst + i), mask);
            __m256i out = shade(filter(texels, PositionWeights(sv), PositionWeights(tv)), _mm256_cvtepu8_epi16(dv));
            __m256i packed = _mm256_permute4x64_epi64(_mm256_packus_epi16(out, out), 0x08);
            _mm_maskstore_epi32(reinterpret_cast<int*>(dst + i), mask, _mm256_castsi256_si128(packed));
        }
    };
    // Texel pairs as loaded: [A0 B0 A1 B1] and [C0 D0 C1 D1], for the upper
    // row and (general spans) the lower one.
    struct Pairs {
        __m128i ab, cd;
    };
    struct Quads {
        Pairs top, bottom;
    };
    auto pairsClear = [&](const Pairs& p)
                          TOLVARIN_INLINE { return _mm_testz_si128(_mm_or_si128(p.ab, p.cd), alphaBytes); };
    // Along a row of an axis-aligned sprite the texture row pair and the
    // vertical weight stay the same: blend the columns vertically once, then
    // each pixel only horizontally (the same sums, in the same order).
    alignas(32) u32 columns[kMaxColumns + 2];
    if (dT == 0 && n >= 4) {
        i64 sEnd = S + dS * (n - 1);
        int xa = static_cast<int>(std::min(S, sEnd) >> 16);
        int xb = static_cast<int>(std::max(S, sEnd) >> 16) + 1;
        int count = xb - xa + 1;
        if (count <= kMaxColumns) {
            // The texture rows at T blended vertically into `columns`.
            auto blendColumns = [&](i64 t) TOLVARIN_INLINE {
                const u32* r0 = a.tex + static_cast<std::ptrdiff_t>(t >> 16) * a.tw + xa;
                const u32* r1 = r0 + a.tw;
                const u32 fyv = static_cast<u32>((t >> 8) & 0xFF);
                const __m256i fy = _mm256_set1_epi16(static_cast<short>(fyv));
                int c = 0;
                for (; c + 3 < count; c += 4) {
                    __m256i top = _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(r0 + c)));
                    __m256i bot = _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(r1 + c)));
                    __m256i v = LerpLanesY(top, bot, fy);
                    __m256i packed = _mm256_permute4x64_epi64(_mm256_packus_epi16(v, v), 0x08);
                    _mm_store_si128(reinterpret_cast<__m128i*>(columns + c), _mm256_castsi256_si128(packed));
                }
                for (; c < count; ++c) columns[c] = LerpArgb(r0[c], r1[c], fyv);
            };
            if (kRows && a.rows > 1 && n <= kMaxColumns) {
                // A rectangle: every row reads the same columns with the same
                // horizontal weights, found once. Per group of four pixels,
                // the column of each one's left texel (past the end: the
                // last pixel's) and the weights as `run` gives them.
                alignas(32) int column[kMaxColumns + 4];
                alignas(32) __m256i weights[kMaxColumns / 4 + 1];
                i64 s = S;
                for (int i = 0; i < n; ++i, s += dS) column[i] = static_cast<int>(s >> 16) - xa;
                for (int i = n; i < n + 4; ++i) column[i] = column[n - 1];
                __m128i sv =
                    _mm_add_epi32(_mm_set1_epi32(static_cast<int>(static_cast<u32>(S))), _mm_mullo_epi32(lane, dS32));
                const __m128i dS4 = _mm_slli_epi32(dS32, 2);
                const int groups = (n + 3) / 4;
                for (int g = 0; g < groups; ++g, sv = _mm_add_epi32(sv, dS4)) {
                    weights[g] = PositionWeights(sv);
                }
                const int full = n / 4, left = n - full * 4;
                const __m128i tailMask = _mm_cmpgt_epi32(_mm_set1_epi32(left), lane);
                u32* row = dst;
                i64 t = T;
                for (int r = 0; r < a.rows; ++r) {
                    blendColumns(t);
                    auto load = [&](int i) TOLVARIN_INLINE {
                        const int* k = column + i;
                        return Pairs{TexelPairs(columns + k[0], columns + k[1]),
                                     TexelPairs(columns + k[2], columns + k[3])};
                    };
                    auto sample = [&](const Pairs& p, int i) TOLVARIN_INLINE {
                        __m256i l, rt;
                        SplitPairs(p.ab, p.cd, l, rt);
                        return LerpLanesY(l, rt, weights[i / 4]);
                    };
                    int i = 0;
                    for (; i < full * 4; i += 4) {
                        const Pairs p = load(i);
                        if constexpr (kSkipClear) {
                            if (pairsClear(p)) continue;
                        }
                        __m128i dv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + i));
                        __m256i out = shade(sample(p, i), _mm256_cvtepu8_epi16(dv));
                        __m256i packed = _mm256_permute4x64_epi64(_mm256_packus_epi16(out, out), 0x08);
                        _mm_storeu_si128(reinterpret_cast<__m128i*>(row + i), _mm256_castsi256_si128(packed));
                    }
                    if (left > 0) {
                        __m128i dv = _mm_maskload_epi32(reinterpret_cast<const int*>(row + i), tailMask);
                        __m256i out = shade(sample(load(i), i), _mm256_cvtepu8_epi16(dv));
                        __m256i packed = _mm256_permute4x64_epi64(_mm256_packus_epi16(out, out), 0x08);
                        _mm_maskstore_epi32(reinterpret_cast<int*>(row + i), tailMask, _mm256_castsi256_si128(packed));
                    }
                    row = reinterpret_cast<u32*>(reinterpret_cast<u8*>(row) + a.pitch);
                    t += a.dTRow;
                }
                return;
            }
            blendColumns(T);
            const __m128i first = _mm_set1_epi32(xa);
            run([&](__m128i sv, __m128i) TOLVARIN_INLINE { return _mm_sub_epi32(_mm_srai_epi32(sv, 16), first); },
                [&](const int* k) TOLVARIN_INLINE {
                    return Pairs{TexelPairs(columns + k[0], columns + k[1]),
                                 TexelPairs(columns + k[2], columns + k[3])};
                },
                pairsClear,
                [&](const Pairs& p, __m256i fx, __m256i) TOLVARIN_INLINE {
                    __m256i l, r;
                    SplitPairs(p.ab, p.cd, l, r);
                    return LerpLanesY(l, r, fx);
                });
            return;
        }
    }
    // Texel offset (T >> 16) x width + (S >> 16) in one multiply-add of the
    // 16-bit halves [S >> 16, T >> 16] by [1, width].
    const u32* const tex = a.tex;
    const std::ptrdiff_t tw = a.tw;
    const __m128i rowStep = _mm_set1_epi32(static_cast<int>((static_cast<u32>(a.tw) << 16) | 1u));
    const __m128i highHalves = _mm_set1_epi32(static_cast<int>(0xFFFF0000u));
    run(
        [&](__m128i sv, __m128i tv) TOLVARIN_INLINE {
            return _mm_madd_epi16(_mm_or_si128(_mm_srli_epi32(sv, 16), _mm_and_si128(tv, highHalves)), rowStep);
        },
        [&](const int* k) TOLVARIN_INLINE {
            const u32 *p0 = tex + k[0], *p1 = tex + k[1], *p2 = tex + k[2], *p3 = tex + k[3];
            return Quads{{TexelPairs(p0, p1), TexelPairs(p2, p3)},
                         {TexelPairs(p0 + tw, p1 + tw), TexelPairs(p2 + tw, p3 + tw)}};
        },
        [&](const Quads& q) TOLVARIN_INLINE {
            return _mm_testz_si128(
                _mm_or_si128(_mm_or_si128(q.top.ab, q.top.cd), _mm_or_si128(q.bottom.ab, q.bottom.cd)), alphaBytes);
        },
        [&](const Quads& q, __m256i fx, __m256i fy) TOLVARIN_INLINE {
            __m256i topL, topR, botL, botR;
            SplitPairs(q.top.ab, q.top.cd, topL, topR);
            SplitPairs(q.bottom.ab, q.bottom.cd, botL, botR);
            return LerpLanesY(LerpLanesY(topL, botL, fy), LerpLanesY(topR, botR, fy), fx);
        });
}
#undef TOLVARIN_INLINE
#pragma GCC pop_options
#endif

#if defined(TOLVARIN_HAVE_AVX2_SPAN)
// The bilinear span once more, eight pixels a step in 512-bit registers: the
// same integer sums in the same order as LinearSpanAvx2, so the pixels are
// identical; chosen at run time on processors with AVX-512 (BW, VL and VBMI).
// Its texel pairs are read one by one (gathers are slow on processors patched
// against data sampling) and split into left and right texels by byte
// permutes. Rectangles drawn whole (PickRowsSpan) stay with AVX2.
#pragma GCC push_options
#pragma GCC target("avx2,avx512f,avx512bw,avx512vl,avx512vbmi")
// GCC 12's AVX-512 headers fill unused lanes from a variable initialised by
// itself, which -Wmaybe-uninitialized reports wherever they are inlined.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#define TOLVARIN_INLINE __attribute__((always_inline))

inline __m512i Mul255z(__m512i x, __m512i y) {
    __m512i t = _mm512_add_epi16(_mm512_mullo_epi16(x, y), _mm512_set1_epi16(128));
    return _mm512_mulhi_epu16(t, _mm512_set1_epi16(257));
}

// LerpLanesY on eight pixels.
inline __m512i LerpLanesZ(__m512i v0, __m512i v1, __m512i f) {
    __m512i sum = _mm512_add_epi16(_mm512_slli_epi16(v0, 8), _mm512_mullo_epi16(_mm512_sub_epi16(v1, v0), f));
    return _mm512_srli_epi16(_mm512_add_epi16(sum, _mm512_set1_epi16(128)), 8);
}

// Byte permutes that spread eight pixels' bytes over 16-bit channel lanes
// (pixel p in lanes 4p..4p+3, the odd bytes zeroed by the mask): the left
// texel of each texel pair (pair p at bytes 8p..8p+7), the right one, and
// the weight (bits 8..15 of 32-bit lane p) over all four lanes.
struct EightPixelPermutes {
    alignas(64) std::uint8_t left[64], right[64], weight[64];
    constexpr EightPixelPermutes() : left(), right(), weight() {
        for (int j = 0; j < 32; ++j) {
            const int p = j / 4, c = j % 4;
            left[2 * j] = static_cast<std::uint8_t>(8 * p + c);
            right[2 * j] = static_cast<std::uint8_t>(8 * p + 4 + c);
            weight[2 * j] = static_cast<std::uint8_t>(4 * p + 1);
        }
    }
};
constexpr EightPixelPermutes kEightPixelPermutes;
constexpr __mmask64 kEvenBytes = 0x5555555555555555ull;

// The texel pairs (x, x + 1) at base + k[0..7], pair p in 64-bit lane p.
inline __m512i EightPairs(const u32* base, const int* k) {
    auto two = [&](int p) TOLVARIN_INLINE {
        return _mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(base + k[p])),
                                  _mm_loadl_epi64(reinterpret_cast<const __m128i*>(base + k[p + 1])));
    };
    __m256i lo = _mm256_inserti128_si256(_mm256_castsi128_si256(two(0)), two(2), 1);
    __m256i hi = _mm256_inserti128_si256(_mm256_castsi128_si256(two(4)), two(6), 1);
    return _mm512_inserti64x4(_mm512_castsi256_si512(lo), hi, 1);
}

template <int kMod, int kBlend>
void LinearSpanAvx512(const SpanArgs& a) {
    constexpr int kMaxColumns = 1024;
    const i64 S = a.S, T = a.T, dS = a.dS, dT = a.dT;
    const int n = a.n;
    // Along a row level with the texture's rows, the two texel rows are blended
    // once into `columns` (as in LinearSpanAvx2), from texel xa on.
    const bool level = dT == 0;
    int xa = 0, count = 0;
    if (level) {
        const i64 sEnd = S + dS * (n - 1);
        xa = static_cast<int>(std::min(S, sEnd) >> 16);
        count = static_cast<int>(std::max(S, sEnd) >> 16) + 2 - xa;
    }
    // Short level rows, rows wider than the columns kept, and textures too
    // large for 16-bit lanes: the AVX2 routine.
    if ((level && (n < 8 || count > kMaxColumns)) || a.tw >= 32768 || a.th >= 32768) {
        LinearSpanAvx2<kMod, kBlend>(a);
        return;
    }
    __m512i modulate = _mm512_set1_epi16(255);
    if constexpr (kMod == kModAlpha) {
        const long long al = static_cast<long long>(a.colour >> 24);
        modulate = _mm512_set1_epi64((al << 48) | 0x00FF00FF00FFll);
    } else if constexpr (kMod == kModConst) {
        modulate = _mm512_broadcastq_epi64(_mm_cvtepu8_epi16(_mm_cvtsi32_si128(static_cast<int>(a.colour))));
    }
    // Each pixel's alpha lane (3) over its four lanes.
    const __m512i alphaLanes =
        _mm512_broadcast_i32x4(_mm_setr_epi8(6, 7, 6, 7, 6, 7, 6, 7, 14, 15, 14, 15, 14, 15, 14, 15));
    auto shade = [&](__m512i src, __m512i d) TOLVARIN_INLINE {
        if constexpr (kMod != kModNone) src = Mul255z(src, modulate);
        if constexpr (kBlend == kBlendOpaque) {
            return src;
        } else {
            __m512i al = _mm512_shuffle_epi8(src, alphaLanes);
            if constexpr (kBlend == kBlendAlpha) {
                return _mm512_add_epi16(Mul255z(src, al), Mul255z(d, _mm512_sub_epi16(_mm512_set1_epi16(255), al)));
            } else if constexpr (kBlend == kBlendAddAlpha) {
                return _mm512_add_epi16(Mul255z(src, al), d);
            } else {
                return _mm512_add_epi16(src, d);
            }
        }
    };
    const __m512i leftBytes = _mm512_load_si512(kEightPixelPermutes.left);
    const __m512i rightBytes = _mm512_load_si512(kEightPixelPermutes.right);
    const __m512i weightBytes = _mm512_load_si512(kEightPixelPermutes.weight);
    auto weights = [&](__m256i v) TOLVARIN_INLINE {
        return _mm512_maskz_permutexvar_epi8(kEvenBytes, weightBytes, _mm512_castsi256_si512(v));
    };
    auto lefts = [&](__m512i pairs)
                     TOLVARIN_INLINE { return _mm512_maskz_permutexvar_epi8(kEvenBytes, leftBytes, pairs); };
    auto rights = [&](__m512i pairs)
                      TOLVARIN_INLINE { return _mm512_maskz_permutexvar_epi8(kEvenBytes, rightBytes, pairs); };
    u32* const dst = a.dst;
    // As in LinearSpanAvx2: the low 32 bits of S and T give the texel and the
    // weights, and groups whose texels all have alpha 0 are skipped under an
    // alpha blend. `offsets(sv, tv)` gives eight pixels' texel offsets,
    // `load(k)` their texels, `clear` whether those all have alpha 0 and
    // `filter(texels, sv, tv)` the filtered colours.
    const __m256i lane = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    const __m256i dS32 = _mm256_set1_epi32(static_cast<int>(static_cast<u32>(dS)));
    const __m256i dT32 = _mm256_set1_epi32(static_cast<int>(static_cast<u32>(dT)));
    constexpr bool kSkipClear = kBlend == kBlendAlpha || kBlend == kBlendAddAlpha;
    const __m512i alphaBytes = _mm512_set1_epi32(static_cast<int>(0xFF000000u));
    auto run = [&](auto offsets, auto load, auto clear, auto filter) TOLVARIN_INLINE {
        __m256i sv =
            _mm256_add_epi32(_mm256_set1_epi32(static_cast<int>(static_cast<u32>(S))), _mm256_mullo_epi32(lane, dS32));
        __m256i tv =
            _mm256_add_epi32(_mm256_set1_epi32(static_cast<int>(static_cast<u32>(T))), _mm256_mullo_epi32(lane, dT32));
        const __m256i dS8 = _mm256_slli_epi32(dS32, 3), dT8 = _mm256_slli_epi32(dT32, 3);
        alignas(32) int k[8];
        int i = 0;
        for (; i + 7 < n; i += 8, sv = _mm256_add_epi32(sv, dS8), tv = _mm256_add_epi32(tv, dT8)) {
            _mm256_store_si256(reinterpret_cast<__m256i*>(k), offsets(sv, tv));
            const auto texels = load(k);
            if constexpr (kSkipClear) {
                if (clear(texels)) continue;
            }
            __m512i d = _mm512_cvtepu8_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(dst + i)));
            __m512i out = shade(filter(texels, sv, tv), d);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i), _mm512_cvtusepi16_epi8(out));
        }
        const int left = n - i;
        if (left > 0) {
            // The lanes past the end take the last pixel's position and are
            // neither read from nor written to the target.
            const __m256i back = _mm256_sub_epi32(_mm256_min_epi32(lane, _mm256_set1_epi32(left - 1)), lane);
            sv = _mm256_add_epi32(sv, _mm256_mullo_epi32(back, dS32));
            tv = _mm256_add_epi32(tv, _mm256_mullo_epi32(back, dT32));
            _mm256_store_si256(reinterpret_cast<__m256i*>(k), offsets(sv, tv));
            const auto texels = load(k);
            const __mmask8 mask = static_cast<__mmask8>((1u << left) - 1);
            __m512i d = _mm512_cvtepu8_epi16(_mm256_maskz_loadu_epi32(mask, dst + i));
            __m512i out = shade(filter(texels, sv, tv), d);
            _mm256_mask_storeu_epi32(dst + i, mask, _mm512_cvtusepi16_epi8(out));
        }
    };
    auto pairsClear = [&](__m512i pairs) TOLVARIN_INLINE { return _mm512_test_epi32_mask(pairs, alphaBytes) == 0; };
    if (level) {
        alignas(64) u32 columns[kMaxColumns + 2];
        const u32* r0 = a.tex + static_cast<std::ptrdiff_t>(T >> 16) * a.tw + xa;
        const u32* r1 = r0 + a.tw;
        const u32 fyv = static_cast<u32>((T >> 8) & 0xFF);
        const __m512i fy = _mm512_set1_epi16(static_cast<short>(fyv));
        int c = 0;
        for (; c + 7 < count; c += 8) {
            __m512i top = _mm512_cvtepu8_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(r0 + c)));
            __m512i bot = _mm512_cvtepu8_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(r1 + c)));
            _mm256_store_si256(reinterpret_cast<__m256i*>(columns + c), _mm512_cvtepi16_epi8(LerpLanesZ(top, bot, fy)));
        }
        for (; c < count; ++c) columns[c] = LerpArgb(r0[c], r1[c], fyv);
        const __m256i first = _mm256_set1_epi32(xa);
        run([&](__m256i sv, __m256i) TOLVARIN_INLINE { return _mm256_sub_epi32(_mm256_srai_epi32(sv, 16), first); },
            [&](const int* k) TOLVARIN_INLINE { return EightPairs(columns, k); }, pairsClear,
            [&](__m512i pairs, __m256i sv, __m256i)
                TOLVARIN_INLINE { return LerpLanesZ(lefts(pairs), rights(pairs), weights(sv)); });
        return;
    }
    // The texel offset (T >> 16) x width + (S >> 16) in one multiply-add of
    // [S >> 16, T >> 16] by [1, width].
    const u32* const tex = a.tex;
    const std::ptrdiff_t tw = a.tw;
    const __m256i rowStep = _mm256_set1_epi32(static_cast<int>((static_cast<u32>(a.tw) << 16) | 1u));
    const __m256i highHalves = _mm256_set1_epi32(static_cast<int>(0xFFFF0000u));
    struct Rows {
        __m512i top, bottom;
    };
    run(
        [&](__m256i sv, __m256i tv) TOLVARIN_INLINE {
            return _mm256_madd_epi16(_mm256_or_si256(_mm256_srli_epi32(sv, 16), _mm256_and_si256(tv, highHalves)),
                                     rowStep);
        },
        [&](const int* k) TOLVARIN_INLINE {
            return Rows{EightPairs(tex, k), EightPairs(tex + tw, k)};
        },
        [&](const Rows& r) TOLVARIN_INLINE { return pairsClear(_mm512_or_si512(r.top, r.bottom)); },
        [&](const Rows& r, __m256i sv, __m256i tv) TOLVARIN_INLINE {
            const __m512i fy = weights(tv);
            __m512i l = LerpLanesZ(lefts(r.top), lefts(r.bottom), fy);
            __m512i rt = LerpLanesZ(rights(r.top), rights(r.bottom), fy);
            return LerpLanesZ(l, rt, weights(sv));
        });
}
#undef TOLVARIN_INLINE
#pragma GCC diagnostic pop
#pragma GCC pop_options
#endif

using SpanFn = void (*)(const SpanArgs&);

template <int kTex, bool kAddr, int kMod>
SpanFn PickBlend(int blend) {
    switch (blend) {
        case kBlendOpaque: return &FastSpan<kTex, kAddr, kMod, kBlendOpaque>;
        case kBlendAlpha: return &FastSpan<kTex, kAddr, kMod, kBlendAlpha>;
        case kBlendAddAlpha: return &FastSpan<kTex, kAddr, kMod, kBlendAddAlpha>;
        case kBlendAdd: return &FastSpan<kTex, kAddr, kMod, kBlendAdd>;
        default: return &FastSpan<kTex, kAddr, kMod, kBlendGeneric>;
    }
}

template <int kTex, bool kAddr>
SpanFn PickMod(int mod, int blend) {
    switch (mod) {
        case kModNone: return PickBlend<kTex, kAddr, kModNone>(blend);
        case kModAlpha: return PickBlend<kTex, kAddr, kModAlpha>(blend);
        case kModConst: return PickBlend<kTex, kAddr, kModConst>(blend);
        default: return PickBlend<kTex, kAddr, kModGouraud>(blend);
    }
}

// The span routines in use: 0 portable C++, 1 SSE2, 2 AVX2, 3 AVX-512 (for
// the bilinear span a row at a time; whole rectangles stay with AVX2).
int DetectSpanLevel() {
#if defined(TOLVARIN_HAVE_AVX2_SPAN)
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vl") &&
        __builtin_cpu_supports("avx512vbmi")) {
        return 3;
    }
    if (__builtin_cpu_supports("avx2")) return 2;
#endif
#if defined(__SSE2__)
    return 1;
#else
    return 0;
#endif
}
const int kBestSpanLevel = DetectSpanLevel();
std::atomic<int> g_spanLevel{kBestSpanLevel};

SpanFn PickSpan(int tex, bool addressed, int mod, int blend) {
#if defined(__SSE2__)
    const int level = g_spanLevel.load(std::memory_order_relaxed);
    if (level >= 1 && tex == kTexLinear && !addressed && mod != kModGouraud && blend != kBlendGeneric) {
        auto pick = [=](auto modTag) -> SpanFn {
            constexpr int m = decltype(modTag)::value;
#if defined(TOLVARIN_HAVE_AVX2_SPAN)
            if (level >= 3) {
                switch (blend) {
                    case kBlendOpaque: return &LinearSpanAvx512<m, kBlendOpaque>;
                    case kBlendAlpha: return &LinearSpanAvx512<m, kBlendAlpha>;
                    case kBlendAddAlpha: return &LinearSpanAvx512<m, kBlendAddAlpha>;
                    default: return &LinearSpanAvx512<m, kBlendAdd>;
                }
            }
            if (level >= 2) {
                switch (blend) {
                    case kBlendOpaque: return &LinearSpanAvx2<m, kBlendOpaque>;
                    case kBlendAlpha: return &LinearSpanAvx2<m, kBlendAlpha>;
                    case kBlendAddAlpha: return &LinearSpanAvx2<m, kBlendAddAlpha>;
                    default: return &LinearSpanAvx2<m, kBlendAdd>;
                }
            }
#endif
            switch (blend) {
                case kBlendOpaque: return &LinearSpanSse<m, kBlendOpaque>;
                case kBlendAlpha: return &LinearSpanSse<m, kBlendAlpha>;
                case kBlendAddAlpha: return &LinearSpanSse<m, kBlendAddAlpha>;
                default: return &LinearSpanSse<m, kBlendAdd>;
            }
        };
        switch (mod) {
            case kModNone: return pick(std::integral_constant<int, kModNone>{});
            case kModAlpha: return pick(std::integral_constant<int, kModAlpha>{});
            default: return pick(std::integral_constant<int, kModConst>{});
        }
    }
#endif
    switch (tex) {
        case kTexNone: return PickMod<kTexNone, false>(mod, blend);
        case kTexPoint: return addressed ? PickMod<kTexPoint, true>(mod, blend) : PickMod<kTexPoint, false>(mod, blend);
        default: return addressed ? PickMod<kTexLinear, true>(mod, blend) : PickMod<kTexLinear, false>(mod, blend);
    }
}

// Whether PickSpan(tex, false, mod, blend) is the AVX2 bilinear span, the
// one that draws several rows of a rectangle in one call.
// Whether PickSpan(tex, false, mod, blend) is the AVX2 bilinear span, which
// has a version that draws all rows of a rectangle in one call: that one, or
// null.
SpanFn PickRowsSpan(int tex, int mod, int blend) {
#if defined(TOLVARIN_HAVE_AVX2_SPAN)
    if (g_spanLevel.load(std::memory_order_relaxed) < 2 || tex != kTexLinear || mod == kModGouraud) return nullptr;
    auto pick = [blend](auto modTag) -> SpanFn {
        constexpr int m = decltype(modTag)::value;
        switch (blend) {
            case kBlendOpaque: return &LinearSpanAvx2<m, kBlendOpaque, true>;
            case kBlendAlpha: return &LinearSpanAvx2<m, kBlendAlpha, true>;
            case kBlendAddAlpha: return &LinearSpanAvx2<m, kBlendAddAlpha, true>;
            case kBlendAdd: return &LinearSpanAvx2<m, kBlendAdd, true>;
            default: return nullptr;
        }
    };
    switch (mod) {
        case kModNone: return pick(std::integral_constant<int, kModNone>{});
        case kModAlpha: return pick(std::integral_constant<int, kModAlpha>{});
        default: return pick(std::integral_constant<int, kModConst>{});
    }
#else
    (void)tex;
    (void)mod;
    (void)blend;
    return nullptr;
#endif
}

bool IsTexTimesDiffuse(DWORD op, DWORD a1, DWORD a2) {
    auto diffuse = [](DWORD a) { return a == D3DTA_DIFFUSE || a == D3DTA_CURRENT; };
    return op == D3DTOP_MODULATE && ((a1 == D3DTA_TEXTURE && diffuse(a2)) || (a2 == D3DTA_TEXTURE && diffuse(a1)));
}

int BlendKindOf(const State& st) {
    if (!st.blend) return kBlendOpaque;
    if (st.blendOp != D3DBLENDOP_ADD) return kBlendGeneric;
    DWORD s = st.srcBlend, d = st.destBlend;
    if (s == D3DBLEND_ONE && d == D3DBLEND_ZERO) return kBlendOpaque;
    if ((s == D3DBLEND_SRCALPHA && d == D3DBLEND_INVSRCALPHA) || s == D3DBLEND_BOTHSRCALPHA) return kBlendAlpha;
    if (s == D3DBLEND_SRCALPHA && d == D3DBLEND_ONE) return kBlendAddAlpha;
    if (s == D3DBLEND_ONE && d == D3DBLEND_ONE) return kBlendAdd;
    return kBlendGeneric;
}

u32 PackColour(const Vertex& v) {
    auto ch = [](float f) { return RoundChannel(f); };
    return (ch(v.a) << 24) | (ch(v.r) << 16) | (ch(v.g) << 8) | ch(v.b);
}

bool Finite(const Vertex& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.rhw); }

// Screen-space polygon clipping against the guard band. Perspective
// attributes are interpolated through their products with 1/w, which are
// linear on the screen.
Vertex LerpVertex(const Vertex& a, const Vertex& b, float t, bool perspective) {
    Vertex o;
    auto mix = [t](float x, float y) { return x + (y - x) * t; };
    o.x = mix(a.x, b.x);
    o.y = mix(a.y, b.y);
    o.z = mix(a.z, b.z);
    o.rhw = mix(a.rhw, b.rhw);
    float qa = perspective ? a.rhw : 1.0f, qb = perspective ? b.rhw : 1.0f;
    float qo = perspective ? o.rhw : 1.0f;
    float inv = qo != 0.0f ? 1.0f / qo : 0.0f;
    auto attr = [&](float x, float y) { return perspective ? mix(x * qa, y * qb) * inv : mix(x, y); };
    o.r = attr(a.r, b.r);
    o.g = attr(a.g, b.g);
    o.b = attr(a.b, b.b);
    o.a = attr(a.a, b.a);
    for (int i = 0; i < 4; ++i) {
        o.uv[i][0] = attr(a.uv[i][0], b.uv[i][0]);
        o.uv[i][1] = attr(a.uv[i][1], b.uv[i][1]);
    }
    return o;
}

int ClipPolygon(Vertex* poly, int n, Vertex* scratch, float lo[2], float hi[2], bool perspective) {
    Vertex* in = poly;
    Vertex* out = scratch;
    for (int plane = 0; plane < 4 && n > 0; ++plane) {
        int axis = plane & 1;
        bool upper = plane >= 2;
        float bound = upper ? hi[axis] : lo[axis];
        auto dist = [&](const Vertex& v) {
            float c = axis == 0 ? v.x : v.y;
            return upper ? bound - c : c - bound;
        };
        int m = 0;
        for (int i = 0; i < n; ++i) {
            const Vertex& a = in[i];
            const Vertex& b = in[(i + 1) % n];
            float da = dist(a), db = dist(b);
            if (da >= 0) out[m++] = a;
            if ((da >= 0) != (db >= 0)) out[m++] = LerpVertex(a, b, da / (da - db), perspective);
        }
        n = m;
        std::swap(in, out);
    }
    if (in != poly) {
        for (int i = 0; i < n; ++i) poly[i] = in[i];
    }
    return n;
}

}  // namespace

// ---------------------------------------------------------------------------

Rasterizer::Rasterizer(const State& state, int firstRow, int endRow)
    : s_(state), rowY0_(std::max(state.clipY0, firstRow)), rowY1_(std::min(state.clipY1, endRow)) {
    stageCount_ = 0;
    while (stageCount_ < 4 && s_.stages[stageCount_].colorOp != D3DTOP_DISABLE) ++stageCount_;
    // Fast path: 32-bit target, no depth test, no alpha test, all channels
    // written, stage 0 texture x diffuse (or nothing) and no later stage.
    bool target32 = s_.target.format == D3DFMT_X8R8G8B8 || s_.target.format == D3DFMT_A8R8G8B8;
    bool depthOff = !(s_.depth.bits && s_.zEnable);
    bool stagesOk = false;
    if (stageCount_ == 0) {
        stagesOk = true;
    } else if (stageCount_ == 1) {
        const Stage& sg = s_.stages[0];
        stagesOk = IsTexTimesDiffuse(sg.colorOp, sg.colorArg1, sg.colorArg2) &&
                   IsTexTimesDiffuse(sg.alphaOp, sg.alphaArg1, sg.alphaArg2);
    }
    if (target32 && depthOff && !s_.alphaTest && (s_.colorWriteMask & 0xF) == 0xF && stagesOk) {
        fastPath_ = BlendKindOf(s_);
    }
}

void Rasterizer::Point(const Vertex& v) {
    if (!Finite(v)) return;
    double fx = std::floor(static_cast<double>(v.x) + 0.5), fy = std::floor(static_cast<double>(v.y) + 0.5);
    if (fx < s_.clipX0 || fx >= s_.clipX1 || fy < rowY0_ || fy >= rowY1_) return;
    int x = static_cast<int>(fx), y = static_cast<int>(fy);
    TriangleSetup ts;
    ts.flat = true;
    ts.flatColour = PackColour(v);
    PixelIn in{};
    in.diffuse = ts.flatColour;
    for (int i = 0; i < stageCount_; ++i) {
        const Stage& sg = s_.stages[i];
        Sampler& sm = ts.samplers[i];
        if (!sg.texture.argb) continue;
        // clang-format off
        sm = Sampler{sg.texture.argb, sg.texture.width, sg.texture.height, sg.addressU, sg.addressV,
                     sg.borderColor, sg.magFilter == D3DTEXF_LINEAR};
        // clang-format on
        int set = static_cast<int>(sg.texCoordIndex & 3);
        in.S[i] = ToFixed16(static_cast<double>(v.uv[set][0]) * sm.w - 0.5);
        in.T[i] = ToFixed16(static_cast<double>(v.uv[set][1]) * sm.h - 0.5);
    }
    in.z = ToFixed16(static_cast<double>(v.z) * 65535.0);
    Impl::ShadePixel(s_, stageCount_, ts, x, y, in);
}

void Rasterizer::Line(const Vertex& a0, const Vertex& b0, bool perspective) {
    if (!Finite(a0) || !Finite(b0)) return;
    Vertex a = a0, b = b0;
    // Clip the segment to the guard band.
    float lo[2] = {s_.clipX0 - kGuardBand, s_.clipY0 - kGuardBand};
    float hi[2] = {s_.clipX1 + kGuardBand, s_.clipY1 + kGuardBand};
    float t0 = 0.0f, t1 = 1.0f;
    for (int axis = 0; axis < 2; ++axis) {
        float pa = axis == 0 ? a.x : a.y, pb = axis == 0 ? b.x : b.y;
        float d = pb - pa;
        for (int side = 0; side < 2; ++side) {
            float bound = side == 0 ? lo[axis] : hi[axis];
            if (d == 0.0f) {
                if ((side == 0 && pa < bound) || (side == 1 && pa > bound)) return;
                continue;
            }
            float t = (bound - pa) / d;
            bool entering = side == 0 ? d > 0 : d < 0;
            if (entering) t0 = std::max(t0, t);
            else t1 = std::min(t1, t);
        }
    }
    if (t0 > t1) return;
    if (t0 > 0.0f || t1 < 1.0f) {
        Vertex na = LerpVertex(a0, b0, t0, perspective), nb = LerpVertex(a0, b0, t1, perspective);
        a = na;
        b = nb;
    }
    double dx = static_cast<double>(b.x) - a.x, dy = static_cast<double>(b.y) - a.y;
    bool xMajor = std::fabs(dx) >= std::fabs(dy);
    double major0 = xMajor ? a.x : a.y, major1 = xMajor ? b.x : b.y;
    double dMajor = major1 - major0;
    if (dMajor == 0.0) return;
    double minor0 = xMajor ? a.y : a.x;
    double slope = (xMajor ? dy : dx) / dMajor;
    // Columns (rows) whose centre the line crosses going from its start
    // towards its end; the end itself only with LASTPIXEL.
    i64 first, last;
    int step;
    if (dMajor > 0) {
        first = static_cast<i64>(std::ceil(major0));
        last = s_.lastPixel ? static_cast<i64>(std::floor(major1)) : static_cast<i64>(std::ceil(major1)) - 1;
        step = 1;
    } else {
        first = static_cast<i64>(std::floor(major0));
        last = s_.lastPixel ? static_cast<i64>(std::ceil(major1)) : static_cast<i64>(std::floor(major1)) + 1;
        step = -1;
    }
    if ((last - first) * step < 0) return;
    // Attributes along the line.
    TriangleSetup ts;
    ts.perspective = perspective;
    ts.flat = s_.shadeMode == D3DSHADE_FLAT;
    ts.flatColour = PackColour(a0);
    for (int i = 0; i < stageCount_; ++i) {
        const Stage& sg = s_.stages[i];
        if (!sg.texture.argb) continue;
        // clang-format off
        ts.samplers[i] = Sampler{sg.texture.argb, sg.texture.width, sg.texture.height, sg.addressU, sg.addressV,
                                 sg.borderColor, sg.magFilter == D3DTEXF_LINEAR};
        // clang-format on
    }
    double qa = perspective ? a.rhw : 1.0, qb = perspective ? b.rhw : 1.0;
    for (i64 m = first;; m += step) {
        double t = (static_cast<double>(m) - major0) / dMajor;
        double minor = minor0 + (static_cast<double>(m) - major0) * slope;
        i64 mn = static_cast<i64>(std::floor(minor + 0.5));
        i64 px = xMajor ? m : mn, py = xMajor ? mn : m;
        if (px >= s_.clipX0 && px < s_.clipX1 && py >= rowY0_ && py < rowY1_) {
            double q = qa + (qb - qa) * t;
            double w = q != 0.0 ? 1.0 / q : 0.0;
            auto attr = [&](double va, double vb) { return (va * qa + (vb * qb - va * qa) * t) * w; };
            PixelIn in{};
            if (ts.flat) {
                in.diffuse = ts.flatColour;
            } else {
                u32 r = RoundChannel(attr(a.r, b.r));
                u32 g = RoundChannel(attr(a.g, b.g));
                u32 bl = RoundChannel(attr(a.b, b.b));
                u32 al = RoundChannel(attr(a.a, b.a));
                in.diffuse = (al << 24) | (r << 16) | (g << 8) | bl;
            }
            for (int i = 0; i < stageCount_; ++i) {
                const Sampler& sm = ts.samplers[i];
                if (!sm.tex) continue;
                int set = static_cast<int>(s_.stages[i].texCoordIndex & 3);
                in.S[i] = ToFixed16(attr(a.uv[set][0], b.uv[set][0]) * sm.w - 0.5);
                in.T[i] = ToFixed16(attr(a.uv[set][1], b.uv[set][1]) * sm.h - 0.5);
            }
            in.z = ToFixed16((a.z + (static_cast<double>(b.z) - a.z) * t) * 65535.0);
            Impl::ShadePixel(s_, stageCount_, ts, static_cast<int>(px), static_cast<int>(py), in);
        }
        if (m == last) break;
    }
}

void Rasterizer::Triangle(const Vertex& v0, const Vertex& v1, const Vertex& v2, bool perspective) {
    if (!Finite(v0) || !Finite(v1) || !Finite(v2)) return;
    if (s_.clipX0 >= s_.clipX1 || s_.clipY0 >= s_.clipY1 || rowY0_ >= rowY1_) return;
    // Culling by the winding on the screen (y down): a positive area is
    // clockwise as seen.
    double area = (static_cast<double>(v1.x) - v0.x) * (static_cast<double>(v2.y) - v0.y) -
                  (static_cast<double>(v1.y) - v0.y) * (static_cast<double>(v2.x) - v0.x);
    if (s_.cullMode == D3DCULL_CW && area > 0) return;
    if (s_.cullMode == D3DCULL_CCW && area < 0) return;
    if (s_.fillMode == D3DFILL_POINT) {
        Point(v0);
        Point(v1);
        Point(v2);
        return;
    }
    if (s_.fillMode == D3DFILL_WIREFRAME) {
        Line(v0, v1, perspective);
        Line(v1, v2, perspective);
        Line(v2, v0, perspective);
        return;
    }
    float lo[2] = {s_.clipX0 - kGuardBand, s_.clipY0 - kGuardBand};
    float hi[2] = {s_.clipX1 + kGuardBand, s_.clipY1 + kGuardBand};
    auto inside = [&](const Vertex& v) { return v.x >= lo[0] && v.x <= hi[0] && v.y >= lo[1] && v.y <= hi[1]; };
    if (inside(v0) && inside(v1) && inside(v2)) {
        const Vertex* tri[3] = {&v0, &v1, &v2};
        FillTriangle(tri, perspective);
        return;
    }
    Vertex poly[9] = {v0, v1, v2};
    Vertex scratch[9];
    int n = ClipPolygon(poly, 3, scratch, lo, hi, perspective);
    for (int i = 1; i + 1 < n; ++i) {
        // Flat shading keeps the colour of the triangle's first vertex.
        Vertex first = poly[0];
        if (s_.shadeMode == D3DSHADE_FLAT) {
            first.r = v0.r;
            first.g = v0.g;
            first.b = v0.b;
            first.a = v0.a;
        }
        const Vertex* tri[3] = {&first, &poly[i], &poly[i + 1]};
        FillTriangle(tri, perspective);
    }
}

namespace {

// Test switches and counters of the rectangle path and of wrapped pieces.
std::atomic<bool> g_rectangles{true};
std::atomic<std::uint64_t> g_rectanglesDrawn{0};
std::atomic<bool> g_wrapPieces{true};
std::atomic<std::uint64_t> g_wrapPiecesDrawn{0};

// A triangle snapped to the sub-pixel grid, wound positively, with the rows
// it may touch and its attribute planes.
struct Prepared {
    i64 X[3], Y[3];
    i64 yStart, yEnd;
    TriangleSetup ts;
};

// The span routine chosen for a triangle and what stays the same along its rows.
struct SpanSetup {
    SpanFn fast = nullptr;
    int blend = 0;  // the rasterizer's blend kind
    int mod = kModGouraud;
    int tex = kTexNone;
    const Sampler* sm0 = nullptr;
    SpanArgs args{};
    i64 dS = 0, dT = 0;
    bool inRange = false;  // every span reads inside the texture: no check per row
    // A span that leaves the texture: the per-pixel addressed routine, and
    // whether a wrapped texture is read piece by piece instead (WrappedRow).
    SpanFn addressed = nullptr;
    bool wrapPieces = false;
    std::uint64_t* piecesDrawn = nullptr;  // the rasterizer's count of direct pieces
};

// Snaps the triangle and builds its planes; false when it covers nothing
// (no area, or its bounds lie outside the scissor's columns or rows
// rowY0 <= y < rowY1).
bool PrepareTriangle(const State& st, int stageCount, const Vertex* vin[3], bool perspective, int rowY0, int rowY1,
                     Prepared& p) {
    i64* X = p.X;
    i64* Y = p.Y;
    const Vertex* v[3] = {vin[0], vin[1], vin[2]};
    for (int i = 0; i < 3; ++i) {
        X[i] = FloorToInt(static_cast<double>(v[i]->x) * kSub + 0.5);
        Y[i] = FloorToInt(static_cast<double>(v[i]->y) * kSub + 0.5);
    }
    i64 area = (X[1] - X[0]) * (Y[2] - Y[0]) - (Y[1] - Y[0]) * (X[2] - X[0]);
    if (area == 0) return false;
    if (area < 0) {  // make the winding positive; culling was decided before
        std::swap(X[1], X[2]);
        std::swap(Y[1], Y[2]);
        std::swap(v[1], v[2]);
        area = -area;
    }
    i64 minY = std::min({Y[0], Y[1], Y[2]}), maxY = std::max({Y[0], Y[1], Y[2]});
    i64 minX = std::min({X[0], X[1], X[2]}), maxX = std::max({X[0], X[1], X[2]});
    p.yStart = std::max<i64>(CeilDiv(minY, kSub), rowY0);
    p.yEnd = std::min<i64>(FloorDiv(maxY, kSub), rowY1 - 1);
    if (p.yStart > p.yEnd) return false;
    if (CeilDiv(minX, kSub) > st.clipX1 - 1 || FloorDiv(maxX, kSub) < st.clipX0) return false;

    // Attribute planes from the snapped positions.
    TriangleSetup& ts = p.ts;
    // Transformed vertices of one depth (orthographic) interpolate affinely.
    ts.perspective = perspective && !(v[0]->rhw == v[1]->rhw && v[1]->rhw == v[2]->rhw);
    double px[3], py[3];
    for (int i = 0; i < 3; ++i) {
        px[i] = static_cast<double>(X[i]) / kSub;
        py[i] = static_cast<double>(Y[i]) / kSub;
    }
    double e1x = px[1] - px[0], e1y = py[1] - py[0], e2x = px[2] - px[0], e2y = py[2] - py[0];
    double darea = e1x * e2y - e2x * e1y;
    auto plane = [&](double a0, double a1, double a2) {
        Plane pl;
        double d1 = a1 - a0, d2 = a2 - a0;
        pl.dx = (d1 * e2y - d2 * e1y) / darea;
        pl.dy = (d2 * e1x - d1 * e2x) / darea;
        pl.base = a0 - pl.dx * px[0] - pl.dy * py[0];
        return pl;
    };
    double q[3];
    for (int i = 0; i < 3; ++i) q[i] = ts.perspective ? v[i]->rhw : 1.0;
    if (ts.perspective) ts.q = plane(q[0], q[1], q[2]);
    auto attrPlane = [&](auto get) { return plane(get(*v[0]) * q[0], get(*v[1]) * q[1], get(*v[2]) * q[2]); };

    u32 c0 = PackColour(*vin[0]);
    // Equal channels pack to equal colours.
    bool sameColour = v[1]->r == v[0]->r && v[2]->r == v[0]->r && v[1]->g == v[0]->g && v[2]->g == v[0]->g &&
                      v[1]->b == v[0]->b && v[2]->b == v[0]->b && v[1]->a == v[0]->a && v[2]->a == v[0]->a;
    ts.flat = st.shadeMode == D3DSHADE_FLAT || sameColour;
    ts.flatColour = c0;
    if (!ts.flat) {
        ts.colour[0] = attrPlane([](const Vertex& x) { return static_cast<double>(x.r); });
        ts.colour[1] = attrPlane([](const Vertex& x) { return static_cast<double>(x.g); });
        ts.colour[2] = attrPlane([](const Vertex& x) { return static_cast<double>(x.b); });
        ts.colour[3] = attrPlane([](const Vertex& x) { return static_cast<double>(x.a); });
    }
    // Depth only matters to the depth test.
    if (st.depth.bits && st.zEnable) ts.z = plane(v[0]->z * 65535.0, v[1]->z * 65535.0, v[2]->z * 65535.0);
    for (int i = 0; i < stageCount; ++i) {
        const Stage& sg = st.stages[i];
        if (!sg.texture.argb) continue;
        Sampler& sm = ts.samplers[i];
        sm.tex = sg.texture.argb;
        sm.w = sg.texture.width;
        sm.h = sg.texture.height;
        sm.addrU = sg.addressU;
        sm.addrV = sg.addressV;
        sm.border = sg.borderColor;
        int set = static_cast<int>(sg.texCoordIndex & 3);
        double W = sm.w, H = sm.h;
        ts.s[i] = attrPlane([&](const Vertex& x) { return x.uv[set][0] * W - 0.5; });
        ts.t[i] = attrPlane([&](const Vertex& x) { return x.uv[set][1] * H - 0.5; });
        // Magnification or minification by the texel footprint of a pixel.
        double dsdx = ts.s[i].dx, dsdy = ts.s[i].dy, dtdx = ts.t[i].dx, dtdy = ts.t[i].dy;
        if (ts.perspective) {
            double cx = (px[0] + px[1] + px[2]) / 3.0, cy = (py[0] + py[1] + py[2]) / 3.0;
            double qq = ts.q.At(cx, cy);
            double sv = ts.s[i].At(cx, cy) / qq, tv = ts.t[i].At(cx, cy) / qq;
            dsdx = (ts.s[i].dx - sv * ts.q.dx) / qq;
            dsdy = (ts.s[i].dy - sv * ts.q.dy) / qq;
            dtdx = (ts.t[i].dx - tv * ts.q.dx) / qq;
            dtdy = (ts.t[i].dy - tv * ts.q.dy) / qq;
        }
        double lx = dsdx * dsdx + dtdx * dtdx, ly = dsdy * dsdy + dtdy * dtdy;
        DWORD filter = std::max(lx, ly) > 1.0 ? sg.minFilter : sg.magFilter;
        sm.linear = filter == D3DTEXF_LINEAR || filter == D3DTEXF_ANISOTROPIC;
    }
    return true;
}

// Whether the texture positions at the corners (x[i], y[i]) in pixels lie a
// texel inside the texture: then every pixel of the triangle or rectangle
// does, with its fixed-point stepping (off by far less than a texel).
bool CornersInside(const Plane& s, const Plane& t, int w, int h, const double* x, const double* y, int n) {
    double sLo = s.At(x[0], y[0]), sHi = sLo, tLo = t.At(x[0], y[0]), tHi = tLo;
    for (int i = 1; i < n; ++i) {
        double sv = s.At(x[i], y[i]), tv = t.At(x[i], y[i]);
        sLo = std::min(sLo, sv);
        sHi = std::max(sHi, sv);
        tLo = std::min(tLo, tv);
        tHi = std::max(tHi, tv);
    }
    // NaN fails every comparison: checked per row then.
    return sLo >= 1.0 && sHi <= w - 3.0 && tLo >= 1.0 && tHi <= h - 3.0;
}

void ChooseSpan(const State& st, int stageCount, int fastPath, const TriangleSetup& ts, std::uint64_t* piecesDrawn,
                SpanSetup& sp) {
    sp.piecesDrawn = piecesDrawn;
    if (fastPath < 0 || ts.perspective) return;
    int& mod = sp.mod;
    if (ts.flat) {
        mod = ts.flatColour == 0xFFFFFFFFu                   ? kModNone
              : (ts.flatColour & 0x00FFFFFFu) == 0x00FFFFFFu ? kModAlpha
                                                             : kModConst;
    }
    if (stageCount == 1 && ts.samplers[0].tex) {
        sp.sm0 = &ts.samplers[0];
        sp.tex = sp.sm0->linear ? kTexLinear : kTexPoint;
    } else if (mod == kModAlpha || mod == kModNone) {
        mod = kModConst;  // untextured: the colour itself
    }
    sp.blend = fastPath;
    sp.fast = PickSpan(sp.tex, false, mod, fastPath);
    SpanArgs& args = sp.args;
    args.st = &st;
    args.colour = ts.flatColour;
    if (sp.sm0) {
        args.tex = sp.sm0->tex;
        args.tw = sp.sm0->w;
        args.th = sp.sm0->h;
        args.sampler = sp.sm0;
        sp.dS = ToFixed16(ts.s[0].dx);
        sp.dT = ToFixed16(ts.t[0].dx);
        args.dS = sp.dS;
        args.dT = sp.dT;
    }
    if (mod == kModGouraud && !ts.flat) {
        args.dc[0] = ToFixed16(ts.colour[3].dx);
        args.dc[1] = ToFixed16(ts.colour[0].dx);
        args.dc[2] = ToFixed16(ts.colour[1].dx);
        args.dc[3] = ToFixed16(ts.colour[2].dx);
    }
    if (sp.sm0) {
        sp.addressed = PickSpan(sp.tex, true, mod, fastPath);
        // Pieces pay off while a copy of the texture spans several pixels.
        const Sampler& sm = *sp.sm0;
        const i64 w16 = static_cast<i64>(sm.w) << 16, h16 = static_cast<i64>(sm.h) << 16;
        sp.wrapPieces = g_wrapPieces.load(std::memory_order_relaxed) && sm.addrU == D3DTADDRESS_WRAP &&
                        sm.addrV == D3DTADDRESS_WRAP && std::abs(sp.dS) * 8 <= w16 && std::abs(sp.dT) * 8 <= h16;
    }
}

// Whether n pixels from (S, T) stepping by (dS, dT) read only texels inside
// a w x h texture.
inline bool SpanInside(int tex, i64 S, i64 T, i64 dS, i64 dT, int n, int w, int h) {
    i64 sEnd = S + dS * (n - 1), tEnd = T + dT * (n - 1);
    i64 sLo = std::min(S, sEnd), sHi = std::max(S, sEnd);
    i64 tLo = std::min(T, tEnd), tHi = std::max(T, tEnd);
    if (tex == kTexLinear) return (sLo >> 16) >= 0 && (sHi >> 16) + 1 < w && (tLo >> 16) >= 0 && (tHi >> 16) + 1 < h;
    return ((sLo + 0x8000) >> 16) >= 0 && ((sHi + 0x8000) >> 16) < w && ((tLo + 0x8000) >> 16) >= 0 &&
           ((tHi + 0x8000) >> 16) < h;
}

// Pixels from the one at (v >> 16) on that stay in texels lo..hi while v
// steps by d (the first one is in them).
inline i64 PixelsWithin(i64 v, i64 d, i64 lo, i64 hi, i64 most) {
    if (d > 0) return std::min(most, ((((hi + 1) << 16) - v) + d - 1) / d);
    if (d < 0) return std::min(most, (v - (lo << 16)) / -d + 1);
    return most;
}

// A row reading a wrapped texture outside its bounds, in pieces. Where every
// texel a piece reads lies in one copy of the texture, S and T move by whole
// texture sizes into it and the direct routine reads it: the same texels and
// the same weights (the low 16 bits stay), so the same pixels as the
// addressed routine. Pixels whose bilinear pair of columns or rows straddles
// an edge of the texture go through the addressed routine.
void WrappedRow(const SpanSetup& sp, SpanArgs& args) {
    const i64 w = args.tw, h = args.th;
    const bool linear = sp.tex == kTexLinear;
    // Point sampling reads the texel nearest to S, bilinear the one below it
    // and the next; a direct read needs the next one inside too.
    const i64 bias = linear ? 0 : 0x8000;
    const i64 inner = linear ? 2 : 1;
    const int n = args.n;
    u32* const dst = args.dst;
    const i64 S0 = args.S, T0 = args.T, c0[4] = {args.c[0], args.c[1], args.c[2], args.c[3]};
    int i = 0;
    while (i < n) {
        const i64 S = S0 + args.dS * i, T = T0 + args.dT * i;
        const i64 x = (S + bias) >> 16, y = (T + bias) >> 16;
        const i64 cx = FloorDiv(x, w) * w, cy = FloorDiv(y, h) * h;
        const i64 most = n - i;
        i64 count;
        SpanFn fn;
        if (x - cx <= w - inner && y - cy <= h - inner) {
            count = std::min(PixelsWithin(S + bias, args.dS, cx, cx + w - inner, most),
                             PixelsWithin(T + bias, args.dT, cy, cy + h - inner, most));
            fn = sp.fast;
        } else {
            // Straddling while its column (or row) stays the edge one.
            count = 1;
            if (x - cx == w - 1) count = std::max(count, PixelsWithin(S, args.dS, x, x, most));
            if (y - cy == h - 1) count = std::max(count, PixelsWithin(T, args.dT, y, y, most));
            fn = sp.addressed;
        }
        args.dst = dst + i;
        args.n = static_cast<int>(count);
        args.S = S - (cx << 16);
        args.T = T - (cy << 16);
        for (int k = 0; k < 4; ++k) args.c[k] = c0[k] + args.dc[k] * i;
        fn(args);
        i += static_cast<int>(count);
        if (fn == sp.fast) ++*sp.piecesDrawn;
    }
}

// Whether a row of n pixels from (S, T) may go through WrappedRow: its texel
// positions stay far inside the range where the addressed routine's integer
// texel indices are exact.
inline bool PiecesFit(i64 S, i64 T, i64 dS, i64 dT, int n) {
    constexpr i64 kLimit = i64{1} << 40;
    return std::abs(S) < kLimit && std::abs(T) < kLimit && std::abs(dS) * n < kLimit && std::abs(dT) * n < kLimit;
}

// Pixels x0 <= x < x1 of row y, their attributes from the planes at x0 and
// stepped by the fixed-point gradients.
[[gnu::always_inline]] inline void DrawRow(const State& st, int stageCount, const TriangleSetup& ts, SpanSetup& sp,
                                           int x0, int x1, int yy) {
    if (!sp.fast) {
        Rasterizer::Impl::GenericSpan(st, stageCount, ts, yy, x0, x1);
        return;
    }
    SpanArgs& args = sp.args;
    args.dst = reinterpret_cast<u32*>(st.target.bits + static_cast<std::ptrdiff_t>(yy) * st.target.pitch) + x0;
    args.n = x1 - x0;
    SpanFn fn = sp.fast;
    bool pieces = false;
    if (const Sampler* sm0 = sp.sm0) {
        const i64 dS = sp.dS, dT = sp.dT;
        args.S = ToFixed16(ts.s[0].At(x0, yy));
        args.T = ToFixed16(ts.t[0].At(x0, yy));
        // Direct texel reads only when the whole span stays inside the texture.
        if (!sp.inRange && !SpanInside(sp.tex, args.S, args.T, dS, dT, args.n, sm0->w, sm0->h)) {
            pieces = sp.wrapPieces && PiecesFit(args.S, args.T, dS, dT, args.n);
            fn = sp.addressed;
        }
    }
    if (sp.mod == kModGouraud && !ts.flat) {
        args.c[0] = ToFixed16(ts.colour[3].At(x0, yy));
        args.c[1] = ToFixed16(ts.colour[0].At(x0, yy));
        args.c[2] = ToFixed16(ts.colour[1].At(x0, yy));
        args.c[3] = ToFixed16(ts.colour[2].At(x0, yy));
    }
    if (pieces) {
        WrappedRow(sp, args);
        return;
    }
    fn(args);
}

// A plane whose values at every pixel of the target are exact multiples of
// 1/65536, computed without rounding: the fixed-point value at a span's
// start plus whole steps then equals the value evaluated at any pixel, so a
// span may start anywhere along a row with the same result.
bool OnFixedGrid(const Plane& p) {
    auto grid = [](double v, double limit) {
        double f = v * 65536.0;
        return std::fabs(v) < limit && f == static_cast<double>(static_cast<i64>(f));
    };
    // Pixel coordinates stay below 2^15, so every product and sum keeps its
    // 16 fraction bits within a double's 53.
    return grid(p.dx, 65536.0) && grid(p.dy, 65536.0) && grid(p.base, 1073741824.0);
}

bool SamePlane(const Plane& a, const Plane& b) { return a.base == b.base && a.dx == b.dx && a.dy == b.dy; }

}  // namespace

void Rasterizer::FillTriangle(const Vertex* vin[3], bool perspective) {
    Prepared p;
    if (!PrepareTriangle(s_, stageCount_, vin, perspective, rowY0_, rowY1_, p)) return;
    const i64* X = p.X;
    const i64* Y = p.Y;
    const i64 yStart = p.yStart, yEnd = p.yEnd;

    // Edge functions: E(x, y) = dx (y - Py) - dy (x - Px) >= k, where k is 0
    // on top and left edges and 1 elsewhere (top-left rule). On row y an edge
    // with dy != 0 limits the span to x >= ceil((k - c) / (-dy kSub)) (left
    // edges, dy < 0) or x <= floor((c - k) / (dy kSub)) (right edges), with
    // c = dx (y kSub - Py) + dy Px. Both are -floor / floor of (c - k) / (|dy| kSub),
    // stepped from row to row without division; a horizontal edge (dy == 0)
    // keeps or drops whole rows by the sign of c - k (a divisor of 1).
    struct RowEdge {
        int side;       // -1 left, 1 right, 0 horizontal
        i64 leftMask;   // all ones on a left edge
        i64 rightMask;  // all ones on a right edge
        EdgeStep step;
    };
    auto makeEdge = [&](int i) {
        int j = (i + 1) % 3;
        i64 dx = X[j] - X[i], dy = Y[j] - Y[i];
        bool top = dy == 0 && dx > 0;
        bool left = dy < 0;
        i64 k = (top || left) ? 0 : 1;
        i64 c = dx * (yStart * kSub - Y[i]) + dy * X[i] - k;
        RowEdge e;
        e.side = dy < 0 ? -1 : dy > 0 ? 1 : 0;
        e.leftMask = -static_cast<i64>(dy < 0);
        e.rightMask = -static_cast<i64>(dy > 0);
        e.step.Start(c, dy == 0 ? 1 : (dy < 0 ? -dy : dy) * kSub, dx * kSub);
        return e;
    };
    // Three named edges rather than an array, so they stay in registers.
    RowEdge edge0 = makeEdge(0), edge1 = makeEdge(1), edge2 = makeEdge(2);

    SpanSetup sp;
    ChooseSpan(s_, stageCount_, fastPath_, p.ts, &piecesDrawn_, sp);
    if (sp.sm0) {
        double cx[3], cy[3];
        for (int i = 0; i < 3; ++i) {
            cx[i] = static_cast<double>(X[i]) / kSub;
            cy[i] = static_cast<double>(Y[i]) / kSub;
        }
        sp.inRange = CornersInside(p.ts.s[0], p.ts.t[0], sp.sm0->w, sp.sm0->h, cx, cy, 3);
    }
    for (i64 y = yStart; y <= yEnd; ++y) {
        i64 xl = s_.clipX0, xr = s_.clipX1 - 1;
        bool empty = false;
        // Selects rather than branches: the kind of edge changes from edge to edge.
        auto limit = [&](RowEdge& e) {
            i64 q = e.step.Floor();
            e.step.Next();
            i64 left = (-q & e.leftMask) | (INT64_MIN & ~e.leftMask);
            i64 right = (q & e.rightMask) | (INT64_MAX & ~e.rightMask);
            xl = std::max(xl, left);
            xr = std::min(xr, right);
            empty |= (e.side == 0) & (q < 0);
        };
        limit(edge0);
        limit(edge1);
        limit(edge2);
        if (empty || xl > xr) continue;
        DrawRow(s_, stageCount_, p.ts, sp, static_cast<int>(xl), static_cast<int>(xr) + 1, static_cast<int>(y));
    }
}

Rasterizer::~Rasterizer() {
    if (rectanglesDrawn_) g_rectanglesDrawn.fetch_add(rectanglesDrawn_, std::memory_order_relaxed);
    if (piecesDrawn_) g_wrapPiecesDrawn.fetch_add(piecesDrawn_, std::memory_order_relaxed);
}

void UseRectanglePath(bool on) { g_rectangles.store(on, std::memory_order_relaxed); }
std::uint64_t RectanglesDrawn() { return g_rectanglesDrawn.load(std::memory_order_relaxed); }
void UseWrapPieces(bool on) { g_wrapPieces.store(on, std::memory_order_relaxed); }
std::uint64_t WrapPiecesDrawn() { return g_wrapPiecesDrawn.load(std::memory_order_relaxed); }

void Rasterizer::Quad(const Vertex& v0, const Vertex& v1, const Vertex& v2, const Vertex& v3, bool perspective) {
    if (!perspective && fastPath_ >= 0 && g_rectangles.load(std::memory_order_relaxed) && Rectangle(v0, v1, v2, v3)) {
        ++rectanglesDrawn_;
        return;
    }
    Triangle(v0, v1, v2, perspective);
    Triangle(v0, v2, v3, perspective);
}

// The triangles (v0, v1, v2) and (v0, v2, v3) as one screen-aligned
// rectangle, when that gives exactly their pixels: the corners snap to an
// axis-aligned rectangle, so the two triangles split its pixels along the
// diagonal by the fill rule and together cover x0 <= x kSub < x1,
// y0 <= y kSub < y1; and both have the same planes on the fixed-point grid,
// so a span across the diagonal steps to the values the other triangle's
// span starts with. False, having drawn nothing, otherwise.
bool Rasterizer::Rectangle(const Vertex& v0, const Vertex& v1, const Vertex& v2, const Vertex& v3) {
    // Corners that snap to one column or row lie less than a step apart: a
    // quick refusal of rotated quads before snapping.
    constexpr double kStep = 1.0 / kSub;
    if (!(std::fabs(static_cast<double>(v1.x) - v0.x) < kStep || std::fabs(static_cast<double>(v1.y) - v0.y) < kStep)) {
        return false;
    }
    if (s_.fillMode != D3DFILL_SOLID) return false;
    if (!Finite(v0) || !Finite(v1) || !Finite(v2) || !Finite(v3)) return false;
    if (s_.clipX0 >= s_.clipX1 || s_.clipY0 >= s_.clipY1) return false;
    float lo[2] = {s_.clipX0 - kGuardBand, s_.clipY0 - kGuardBand};
    float hi[2] = {s_.clipX1 + kGuardBand, s_.clipY1 + kGuardBand};
    auto inside = [&](const Vertex& v) { return v.x >= lo[0] && v.x <= hi[0] && v.y >= lo[1] && v.y <= hi[1]; };
    if (!inside(v0) || !inside(v1) || !inside(v2) || !inside(v3)) return false;
    i64 X[4], Y[4];
    const Vertex* v[4] = {&v0, &v1, &v2, &v3};
    for (int i = 0; i < 4; ++i) {
        X[i] = FloorToInt(static_cast<double>(v[i]->x) * kSub + 0.5);
        Y[i] = FloorToInt(static_cast<double>(v[i]->y) * kSub + 0.5);
    }
    bool verticalFirst = X[0] == X[1] && Y[1] == Y[2] && X[2] == X[3] && Y[3] == Y[0];
    bool horizontalFirst = Y[0] == Y[1] && X[1] == X[2] && Y[2] == Y[3] && X[3] == X[0];
    if (!(verticalFirst || horizontalFirst) || X[0] == X[2] || Y[0] == Y[2]) return false;
    if (s_.cullMode != D3DCULL_NONE) {
        // Both halves wind alike; drawn only when neither is culled.
        auto culled = [&](const Vertex& a, const Vertex& b, const Vertex& c) {
            double area = (static_cast<double>(b.x) - a.x) * (static_cast<double>(c.y) - a.y) -
                          (static_cast<double>(b.y) - a.y) * (static_cast<double>(c.x) - a.x);
            return (s_.cullMode == D3DCULL_CW && area > 0) || (s_.cullMode == D3DCULL_CCW && area < 0);
        };
        if (culled(v0, v1, v2) || culled(v0, v2, v3)) return false;
    }
    const Vertex* ta[3] = {&v0, &v1, &v2};
    const Vertex* tb[3] = {&v0, &v2, &v3};
    Prepared a, b;
    // Both halves have the rectangle's bounds: neither is seen when one is not.
    if (!PrepareTriangle(s_, stageCount_, ta, false, rowY0_, rowY1_, a)) return true;
    if (!PrepareTriangle(s_, stageCount_, tb, false, rowY0_, rowY1_, b)) return false;
    const TriangleSetup& sa = a.ts;
    const TriangleSetup& sb = b.ts;
    if (sa.flat != sb.flat || sa.flatColour != sb.flatColour) return false;
    if (!sa.flat) {
        for (int k = 0; k < 4; ++k) {
            if (!SamePlane(sa.colour[k], sb.colour[k]) || !OnFixedGrid(sa.colour[k])) return false;
        }
    }
    if (stageCount_ == 1 && sa.samplers[0].tex) {
        if (sa.samplers[0].linear != sb.samplers[0].linear || !SamePlane(sa.s[0], sb.s[0]) ||
            !SamePlane(sa.t[0], sb.t[0]) || !OnFixedGrid(sa.s[0]) || !OnFixedGrid(sa.t[0])) {
            return false;
        }
    }
    i64 xMin = std::min(X[0], X[2]), xMax = std::max(X[0], X[2]);
    i64 yMin = std::min(Y[0], Y[2]), yMax = std::max(Y[0], Y[2]);
    i64 x0 = std::max<i64>(CeilDiv(xMin, kSub), s_.clipX0), x1 = std::min<i64>(CeilDiv(xMax, kSub), s_.clipX1);
    i64 y0 = std::max<i64>(CeilDiv(yMin, kSub), rowY0_), y1 = std::min<i64>(CeilDiv(yMax, kSub), rowY1_);
    if (x0 >= x1 || y0 >= y1) return true;
    SpanSetup sp;
    ChooseSpan(s_, stageCount_, fastPath_, sa, &piecesDrawn_, sp);
    if (sp.sm0) {
        double left = static_cast<double>(xMin) / kSub, right = static_cast<double>(xMax) / kSub;
        double top = static_cast<double>(yMin) / kSub, bottom = static_cast<double>(yMax) / kSub;
        const double cx[4] = {left, right, right, left}, cy[4] = {top, top, bottom, bottom};
        sp.inRange = CornersInside(sa.s[0], sa.t[0], sp.sm0->w, sp.sm0->h, cx, cy, 4);
    }
    SpanFn rows =
        sp.fast && sp.inRange && sp.dT == 0 && sa.s[0].dy == 0.0 ? PickRowsSpan(sp.tex, sp.mod, sp.blend) : nullptr;
    if (rows) {
        // The texture row moves only vertically from row to row: all rows in
        // one call, which finds the columns and horizontal weights once. On
        // the fixed-point grid row y's T is exactly the first row's plus
        // (y - y0) steps of dy, and S stays the same.
        SpanArgs& args = sp.args;
        args.dst = reinterpret_cast<u32*>(s_.target.bits + static_cast<std::ptrdiff_t>(y0) * s_.target.pitch) + x0;
        args.n = static_cast<int>(x1 - x0);
        args.S = ToFixed16(sa.s[0].At(static_cast<double>(x0), static_cast<double>(y0)));
        args.T = ToFixed16(sa.t[0].At(static_cast<double>(x0), static_cast<double>(y0)));
        args.rows = static_cast<int>(y1 - y0);
        args.dTRow = ToFixed16(sa.t[0].dy);
        args.pitch = s_.target.pitch;
        rows(args);
        return true;
    }
    for (i64 y = y0; y < y1; ++y) {
        DrawRow(s_, stageCount_, sa, sp, static_cast<int>(x0), static_cast<int>(x1), static_cast<int>(y));
    }
    return true;
}

// ---------------------------------------------------------------------------

int BytesPerPixel(D3DFORMAT format) {
    switch (format) {
        case D3DFMT_A8R8G8B8:
        case D3DFMT_X8R8G8B8: return 4;
        case D3DFMT_R5G6B5:
        case D3DFMT_X1R5G5B5:
        case D3DFMT_A1R5G5B5:
        case D3DFMT_A4R4G4B4:
        case D3DFMT_X4R4G4B4:
        case D3DFMT_D16:
        case D3DFMT_D16_LOCKABLE: return 2;
        default: return 0;
    }
}

bool IsColourFormat(D3DFORMAT format) {
    return BytesPerPixel(format) != 0 && format != D3DFMT_D16 && format != D3DFMT_D16_LOCKABLE;
}

std::uint32_t ToArgb(const std::uint8_t* p, D3DFORMAT format) {
    switch (format) {
        case D3DFMT_A8R8G8B8: {
            u32 v;
            std::memcpy(&v, p, 4);
            return v;
        }
        case D3DFMT_X8R8G8B8: {
            u32 v;
            std::memcpy(&v, p, 4);
            return v | 0xFF000000u;
        }
        default: break;
    }
    u16 v;
    std::memcpy(&v, p, 2);
    switch (format) {
        case D3DFMT_R5G6B5:
            return 0xFF000000u | (Expand5(v >> 11) << 16) | (Expand6((v >> 5) & 0x3F) << 8) | Expand5(v & 0x1F);
        case D3DFMT_X1R5G5B5:
        case D3DFMT_A1R5G5B5: {
            u32 a = (format == D3DFMT_X1R5G5B5 || (v & 0x8000)) ? 0xFF000000u : 0;
            return a | (Expand5((v >> 10) & 0x1F) << 16) | (Expand5((v >> 5) & 0x1F) << 8) | Expand5(v & 0x1F);
        }
        case D3DFMT_A4R4G4B4:
        case D3DFMT_X4R4G4B4: {
            u32 a = format == D3DFMT_X4R4G4B4 ? 0xFFu : Expand4(v >> 12);
            return (a << 24) | (Expand4((v >> 8) & 0xF) << 16) | (Expand4((v >> 4) & 0xF) << 8) | Expand4(v & 0xF);
        }
        default: return 0;
    }
}

void FromArgb(std::uint32_t c, std::uint8_t* p, D3DFORMAT format) {
    u32 a = c >> 24, r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
    u16 v;
    switch (format) {
        case D3DFMT_A8R8G8B8:
        case D3DFMT_X8R8G8B8: std::memcpy(p, &c, 4); return;
        case D3DFMT_R5G6B5:
            v = static_cast<u16>((Quantise(r, 31) << 11) | (Quantise(g, 63) << 5) | Quantise(b, 31));
            break;
        case D3DFMT_X1R5G5B5:
        case D3DFMT_A1R5G5B5:
            v = static_cast<u16>(((format == D3DFMT_X1R5G5B5 || a >= 128) ? 0x8000 : 0) | (Quantise(r, 31) << 10) |
                                 (Quantise(g, 31) << 5) | Quantise(b, 31));
            break;
        case D3DFMT_A4R4G4B4:
        case D3DFMT_X4R4G4B4:
            v = static_cast<u16>(((format == D3DFMT_X4R4G4B4 ? 15 : Quantise(a, 15)) << 12) | (Quantise(r, 15) << 8) |
                                 (Quantise(g, 15) << 4) | Quantise(b, 15));
            break;
        default: return;
    }
    std::memcpy(p, &v, 2);
}

SpanPath BestSpanPath() { return static_cast<SpanPath>(kBestSpanLevel); }

bool UseSpanPath(SpanPath path) {
    const int level = static_cast<int>(path);
    if (level > kBestSpanLevel) return false;
    g_spanLevel.store(level, std::memory_order_relaxed);
    return true;
}

}  // namespace platform::gfx::raster
