#include "game/shell/scene_pieces.h"

#include "game/shell/game_math.h"
#include "game/shell/name_characters.h"

void DrawSprite(Texture* texture, const Rect& destination, const Rect& source, u32 colour) {
    if (texture) texture->TextureDraw(destination, 0.0f, source, colour, 1);
}

Rect NameCharacterSource(u32 index) {
    const i32 c = static_cast<i32>(ClampNameCharacter(index));
    return {30 * (c % 10), 25 * (c / 10), 30 * (c % 10) + 29, 25 * (c / 10) + 25};
}

void DrawDigitRow(const DigitRow& row, i32 value, i32 top) {
    const i32 count = CountDigits(value);
    for (i32 k = 1; k <= row.places; ++k) {
        i32 digit = GetDigit(value, static_cast<u32>(k));
        if (digit < 0) digit = -digit;
        const i32 left = row.unitsX - row.step * (k - 1);
        const Rect source{row.sourceLeft + 18 * digit, row.sourceTop, row.sourceLeft + 18 * digit + 18,
                          row.sourceBottom};
        DrawSprite(row.texture, {left, top, left + 18, top + 25}, source, k <= count ? row.colour : row.leadingColour);
    }
}

i32 PanelSlide(i32 o) {
    const i32 s = o * o / 2;
    return o < 0 ? -s : s;
}

void DrawScrollingBackdrop(Surface* surface, i32& x, i32& y) {
    x += 1;
    if (x > 640) x -= 640;
    y += 1;
    if (y > 480) y -= 480;
    if (!surface) return;
    surface->SurfaceBlit(x, y, 0, 0, 640 - x, 480 - y);
    surface->SurfaceBlit(0, 0, 640 - x, 480 - y, 640, 480);
    surface->SurfaceBlit(x, 0, 0, 480 - y, 640 - x, 480);
    surface->SurfaceBlit(0, y, 640 - x, 0, 640, 480 - y);
}
