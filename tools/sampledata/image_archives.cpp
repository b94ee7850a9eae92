// The sample image archives: every picture the game loads, drawn so that a
// screenshot shows which picture and which cell ended up where. Textures are
// transparent except for their cells (outlined, filled in a colour of their
// own and labelled); surfaces are opaque pictures with a labelled grid.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "engine/image/lag_archive.h"
#include "tools/sampledata/manifest.h"
#include "tools/sampledata/output.h"
#include "tools/sampledata/writers.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#include <stb/stb_easy_font.h>
#pragma GCC diagnostic pop

namespace {

struct Colour {
    u8 r, g, b, a;
};

struct Cell {
    std::string label;
    int left, top, right, bottom;  // inclusive
};

class Canvas {
public:
    Canvas(int width, int height) : width_(width), height_(height), pixels_(std::size_t(width) * height * 4, 0) {}

    void Fill(int left, int top, int right, int bottom, Colour c) {  // right and bottom exclusive
        left = std::max(left, 0);
        top = std::max(top, 0);
        right = std::min(right, width_);
        bottom = std::min(bottom, height_);
        for (int y = top; y < bottom; ++y) {
            u8* p = &pixels_[(std::size_t(y) * width_ + left) * 4];
            for (int x = left; x < right; ++x, p += 4) {
                p[0] = c.b;
                p[1] = c.g;
                p[2] = c.r;
                p[3] = c.a;
            }
        }
    }
    void Outline(int left, int top, int right, int bottom, Colour c) {  // inclusive edges
        Fill(left, top, right + 1, top + 1, c);
        Fill(left, bottom, right + 1, bottom + 1, c);
        Fill(left, top, left + 1, bottom + 1, c);
        Fill(right, top, right + 1, bottom + 1, c);
    }
    // Text in stb_easy_font's glyphs, `scale` pixels per glyph unit.
    void Text(int x, int y, const std::string& text, int scale, Colour c) {
        static char buffer[60000];
        std::string copy = text;
        const int quads = stb_easy_font_print(0, 0, copy.data(), nullptr, buffer, sizeof buffer);
        for (int q = 0; q < quads; ++q) {
            float v[4][4];
            std::memcpy(v, buffer + q * 64, 64);
            const float x0 = std::min(v[0][0], v[2][0]), x1 = std::max(v[0][0], v[2][0]);
            const float y0 = std::min(v[0][1], v[2][1]), y1 = std::max(v[0][1], v[2][1]);
            Fill(x + int(x0 * scale), y + int(y0 * scale), x + int(x1 * scale), y + int(y1 * scale), c);
        }
    }
    static int TextWidth(const std::string& text) {
        std::string copy = text;
        return stb_easy_font_width(copy.data());
    }
    // Text as large as fits in the box (at least scale 1), centred.
    void TextIn(int left, int top, int right, int bottom, std::string text, Colour c, int maxScale = 4) {
        // A label wider than a small cell is cut to fit.
        while (text.size() > 1 && TextWidth(text) > right - left - 2) text.pop_back();
        const int w = std::max(TextWidth(text), 1);
        const int h = 8;
        int scale = std::min({(right - left - 2) / w, (bottom - top - 2) / h, maxScale});
        scale = std::max(scale, 1);
        Text((left + right) / 2 - w * scale / 2, (top + bottom) / 2 - h * scale / 2, text, scale, c);
    }
    const std::vector<u8>& pixels() const { return pixels_; }

private:
    int width_;
    int height_;
    std::vector<u8> pixels_;
};

u32 Hash(const std::string& s) {
    u32 h = 2166136261u;
    for (unsigned char c : s) h = (h ^ c) * 16777619u;
    return h;
}

// A saturated colour picked from a name.
Colour ColourOf(const std::string& key, u8 alpha, int lightness) {
    const u32 h = Hash(key);
    const int hue = static_cast<int>(h % 360);
    const int sector = hue / 60;
    const int f = (hue % 60) * 255 / 60;
    int r = 0, g = 0, b = 0;
    switch (sector) {
        case 0: r = 255; g = f; break;
        case 1: r = 255 - f; g = 255; break;
        case 2: g = 255; b = f; break;
        case 3: g = 255 - f; b = 255; break;
        case 4: r = f; b = 255; break;
        default: r = 255; b = 255 - f; break;
    }
    auto mix = [&](int v) { return static_cast<u8>(v * lightness / 255 + (255 - lightness) / 4); };
    return {mix(r), mix(g), mix(b), alpha};
}

constexpr Colour kWhite{255, 255, 255, 255};
constexpr Colour kBlack{0, 0, 0, 255};

void DrawGrid(Canvas& canvas, const ManifestEntry& e, int step, Colour line, Colour text) {
    for (int x = 0; x < e.width; x += step) canvas.Fill(x, 0, x + 1, e.height, line);
    for (int y = 0; y < e.height; y += step) canvas.Fill(0, y, e.width, y + 1, line);
    for (int y = 0; y < e.height; y += step * 2) {
        for (int x = 0; x < e.width; x += step * 2) {
            canvas.Text(x + 3, y + 3, std::to_string(x) + "," + std::to_string(y), 1, text);
        }
    }
}

std::vector<u8> Paint(const ManifestEntry& e, const std::vector<Cell>& cells) {
    Canvas canvas(e.width, e.height);
    if (e.name == "black") {
        // Drawn as a black quad (fades, overlays): plain opaque black.
        canvas.Fill(0, 0, e.width, e.height, kBlack);
    } else if (e.kind == "surface") {
        canvas.Fill(0, 0, e.width, e.height, ColourOf(e.name, 255, 110));
        DrawGrid(canvas, e, 40, Colour{200, 200, 200, 255}, kWhite);
        if (e.name == "side") {
            // The two side panels the game blits beside the play field.
            for (int left : {0, 520}) {
                canvas.Fill(left, 0, left + 120, e.height, ColourOf("side panel", 255, 90));
                canvas.Outline(left, 0, left + 119, e.height - 1, kWhite);
                canvas.TextIn(left, 200, left + 120, 280, "SIDE", kWhite);
            }
        }
        canvas.TextIn(40, e.height / 2 - 40, e.width - 40, e.height / 2 + 40, e.name, kWhite, 6);
    } else if (cells.empty()) {
        // A picture used whole (faces, speech, clouds, ending texts).
        const bool cloud = e.name.rfind("cloud", 0) == 0;
        canvas.Fill(0, 0, e.width, e.height, ColourOf(e.name, cloud ? 90 : 200, 160));
        DrawGrid(canvas, e, 64, Colour{255, 255, 255, 160}, kWhite);
        canvas.Outline(0, 0, e.width - 1, e.height - 1, kWhite);
        canvas.TextIn(0, e.height / 2 - 40, e.width, e.height / 2 + 40, e.name, kWhite, 5);
    } else {
        // A sheet: transparent, with every cell the game reads.
        canvas.Text(2, 2, e.name, 1, Colour{255, 255, 255, 96});
        for (const Cell& c : cells) {
            canvas.Fill(c.left, c.top, c.right + 1, c.bottom + 1, ColourOf(e.name + c.label, 190, 200));
        }
        for (const Cell& c : cells) {
            canvas.Outline(c.left, c.top, c.right, c.bottom, ColourOf(e.name + c.label, 255, 255));
            canvas.TextIn(c.left + 1, c.top + 1, c.right, c.bottom, c.label, kWhite, 3);
        }
    }
    return canvas.pixels();
}

bool LoadCells(const std::string& path, std::map<std::string, std::vector<Cell>>& out) {
    std::ifstream in(path);
    if (!in) {
        std::fprintf(stderr, "make_sample_data: cannot open %s\n", path.c_str());
        return false;
    }
    return ForEachTabLine(in, [&](const std::vector<std::string>& f, int number) {
        const auto bad = [&] {
            std::fprintf(stderr, "make_sample_data: %s:%d: bad cell line\n", path.c_str(), number);
            return false;
        };
        if (f.size() != 7) return bad();
        try {
            out[f[1]].push_back(Cell{f[2], std::stoi(f[3]), std::stoi(f[4]), std::stoi(f[5]), std::stoi(f[6])});
        } catch (const std::exception&) {
            return bad();
        }
        return true;
    });
}

int FormatOf(const ManifestEntry& e) {
    for (const std::string& p : e.params) {
        if (p.rfind("format=", 0) == 0) return std::stoi(p.substr(7));
    }
    return kLagLayout8888 + kLagCompressed;
}

}  // namespace

bool WriteImageArchives(const std::string& dir, const Manifest& manifest) {
    std::map<std::string, std::vector<Cell>> cells;
    if (!LoadCells(TOLVARIN_IMAGE_CELLS, cells)) return false;
    std::map<std::string, std::vector<LagWriteEntry>> archives;
    for (const ManifestEntry& e : manifest.entries) {
        if (e.kind != "texture" && e.kind != "surface") continue;
        LagWriteEntry w;
        w.name = e.name;
        w.width = e.width;
        w.height = e.height;
        w.format = FormatOf(e);
        const std::vector<u8> bgra = Paint(e, cells[e.name]);
        w.pixels.resize(LagDataSize(e.width, e.height, w.format));
        LagConvertPixels(e.width, e.height, kLagLayout8888, bgra.data(), w.format, w.pixels.data(), nullptr);
        archives[e.archive].push_back(std::move(w));
    }
    bool ok = true;
    for (const auto& [name, entries] : archives) {
        ok = WriteGeneratedFile(dir, name, LagBuildArchive(entries)) && ok;
    }
    return ok;
}
