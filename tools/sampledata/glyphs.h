#pragma once
// The sample pictures' own bitmap font: printable ASCII (32..126), each glyph
// 5 x 8 cells (rows 0..6 for capitals and digits, row 7 for descenders),
// written as one column of space apart from the next.
#include <string>

#include "engine/core/types.h"

constexpr int kGlyphWidth = 5;
constexpr int kGlyphHeight = 8;
constexpr int kGlyphAdvance = 6;

// Whether the font has a glyph for `c`.
bool HasGlyph(char c);
// Row `row` (0..7) of the glyph for `c`: bit 4 is the leftmost cell. A
// character without a glyph gives the rows of '?'.
u8 GlyphRow(char c, int row);
// Width of `text` in glyph cells (no trailing space).
int TextCells(const std::string& text);
