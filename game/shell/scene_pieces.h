#pragma once
// Drawing pieces the stage report, the result and the ranking share: rows of
// score digits, the slide of a panel and the scrolling tiled backdrop.
#include "engine/core/types.h"
#include "engine/graphics/surface.h"
#include "engine/graphics/texture.h"

// One sprite at depth 0 in blend mode 1; nothing when the texture is absent.
void DrawSprite(Texture* texture, const Rect& destination, const Rect& source, u32 colour);

// The cell of name character `index` (ClampNameCharacter applied) on the
// "name" texture: 30 x 25 cells, ten to a row.
Rect NameCharacterSource(u32 index);

// Where the digits of a score row come from and how they are laid out.
struct DigitRow {
    Texture* texture = nullptr;
    i32 sourceLeft = 0;  // digit d is source (sourceLeft + 18 d, sourceTop, +18, sourceBottom)
    i32 sourceTop = 0;
    i32 sourceBottom = 0;
    i32 unitsX = 0;                   // left edge of the units digit
    i32 places = 7;                   // digit places drawn, units first
    i32 step = 16;                    // pixels from one place to the next one on its left
    u32 colour = 0xFFFFFFFFu;         // places within the number's digit count
    u32 leadingColour = 0xFFC8C8C8u;  // places beyond it (leading zeros)
};
// `value` right-aligned in the row's places, each digit 18 x 25 from `top`.
void DrawDigitRow(const DigitRow& row, i32 value, i32 top);

// The centre offset of a panel with slide counter o: trunc(o x o / 2),
// negative for o below 0.
i32 PanelSlide(i32 o);

// A 640 x 480 surface blitted in four pieces so that it shows, wrapped round,
// shifted right by x and down by y. Each call first moves the two counters on
// by one pixel (x wraps above 640, y above 480).
void DrawScrollingBackdrop(Surface* surface, i32& x, i32& y);
