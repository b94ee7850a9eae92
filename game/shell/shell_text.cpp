#include "game/shell/shell_text.h"

#include "engine/core/types.h"

namespace {

struct SjisPair {
    char32_t code;
    u8 lead;
    u8 trail;
};

constexpr SjisPair kTable[] = {
    {U'\u3000', 0x81, 0x40},  // ideographic space
    {U'\u3002', 0x81, 0x42},  // 。
    {U'\u30FB', 0x81, 0x45},  // ・
    {U'\uFF1A', 0x81, 0x46},  // ：
    {U'\u30FC', 0x81, 0x5B},  // ー
    {U'\u2605', 0x81, 0x9A},  // ★
    {U'\u25A0', 0x81, 0xA1},  // ■
    {U'\u203B', 0x81, 0xA6},  // ※
    {U'\u3042', 0x82, 0xA0},  // あ
    {U'\u3044', 0x82, 0xA2},  // い
    {U'\u304C', 0x82, 0xAA},  // が
    {U'\u304F', 0x82, 0xAD},  // く
    {U'\u3053', 0x82, 0xB1},  // こ
    {U'\u3055', 0x82, 0xB3},  // さ
    {U'\u3057', 0x82, 0xB5},  // し
    {U'\u3059', 0x82, 0xB7},  // す
    {U'\u3060', 0x82, 0xBE},  // だ
    {U'\u3067', 0x82, 0xC5},  // で
    {U'\u3068', 0x82, 0xC6},  // と
    {U'\u306A', 0x82, 0xC8},  // な
    {U'\u306E', 0x82, 0xCC},  // の
    {U'\u306F', 0x82, 0xCD},  // は
    {U'\u307E', 0x82, 0xDC},  // ま
    {U'\u308A', 0x82, 0xE8},  // り
    {U'\u308B', 0x82, 0xE9},  // る
    {U'\u308F', 0x82, 0xED},  // わ
    {U'\u3092', 0x82, 0xF0},  // を
    {U'\u30A1', 0x83, 0x40},  // ァ
    {U'\u30A4', 0x83, 0x43},  // イ
    {U'\u30BF', 0x83, 0x5E},  // タ
    {U'\u30C7', 0x83, 0x66},  // デ
    {U'\u30D5', 0x83, 0x74},  // フ
    {U'\u30EB', 0x83, 0x8B},  // ル
    {U'\u4FDD', 0x95, 0xDB},  // 保
    {U'\u5408', 0x8D, 0x87},  // 合
    {U'\u5834', 0x8F, 0xEA},  // 場
    {U'\u5B58', 0x91, 0xB6},  // 存
    {U'\u610F', 0x88, 0xD3},  // 意
    {U'\u640D', 0x91, 0xB9},  // 損
    {U'\u6CE8', 0x92, 0x8D},  // 注
    {U'\u76F4', 0x92, 0xBC},  // 直
    {U'\u7834', 0x94, 0x6A},  // 破
    {U'\u884C', 0x8D, 0x73},  // 行
};

// Decodes one UTF-8 sequence at s[i], advancing i; malformed input gives
// U+FFFD and skips one byte.
char32_t NextCodePoint(std::string_view s, std::size_t& i) {
    const u8 b0 = static_cast<u8>(s[i]);
    int extra = 0;
    char32_t code = 0;
    if (b0 < 0x80) {
        ++i;
        return b0;
    } else if ((b0 & 0xE0) == 0xC0) {
        extra = 1;
        code = b0 & 0x1F;
    } else if ((b0 & 0xF0) == 0xE0) {
        extra = 2;
        code = b0 & 0x0F;
    } else if ((b0 & 0xF8) == 0xF0) {
        extra = 3;
        code = b0 & 0x07;
    } else {
        ++i;
        return U'\uFFFD';
    }
    if (i + extra >= s.size()) {
        ++i;
        return U'\uFFFD';
    }
    for (int k = 1; k <= extra; ++k) {
        const u8 b = static_cast<u8>(s[i + k]);
        if ((b & 0xC0) != 0x80) {
            ++i;
            return U'\uFFFD';
        }
        code = (code << 6) | (b & 0x3F);
    }
    i += 1 + extra;
    return code;
}

}  // namespace

std::string ShellTextToSjis(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const char32_t code = NextCodePoint(utf8, i);
        if (code < 0x80) {
            out.push_back(static_cast<char>(code));
            continue;
        }
        bool found = false;
        for (const SjisPair& p : kTable) {
            if (p.code == code) {
                out.push_back(static_cast<char>(p.lead));
                out.push_back(static_cast<char>(p.trail));
                found = true;
                break;
            }
        }
        if (!found) out.push_back('?');
    }
    return out;
}
