// Whole pictures: the stage backgrounds (tiled terrain, darker than anything
// that flies over it), clouds, menu backdrops, logos, ending scenery, the
// side panels, the face and speech sheets, and the sheets of cells.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>

#include "tools/sampledata/art.h"
#include "tools/sampledata/glyphs.h"

namespace {

using art::Area;

std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// Value noise on a lattice that wraps every `cellsX` x `cellsY` cells, so a
// picture made of it tiles; three octaves, 0..1.
class TiledNoise {
public:
    TiledNoise(u32 seed, int width, int height, int cell) : seed_(seed), width_(width), height_(height), cell_(cell) {}

    float At(float x, float y) const {
        float sum = 0, weight = 0, amplitude = 1;
        int cell = cell_;
        for (int octave = 0; octave < 3 && cell >= 4; ++octave) {
            sum += amplitude * Octave(x, y, cell, static_cast<u32>(octave));
            weight += amplitude;
            amplitude *= 0.5f;
            cell /= 2;
        }
        return sum / weight;
    }

private:
    float Lattice(int i, int j, int cellsX, int cellsY, u32 octave) const {
        i = ((i % cellsX) + cellsX) % cellsX;
        j = ((j % cellsY) + cellsY) % cellsY;
        return Unit(seed_ ^ (octave * 7919u), static_cast<u32>(j * 4099 + i));
    }
    float Octave(float x, float y, int cell, u32 octave) const {
        const int cellsX = std::max(1, width_ / cell), cellsY = std::max(1, height_ / cell);
        const float fx = x / cell, fy = y / cell;
        const int i = static_cast<int>(std::floor(fx)), j = static_cast<int>(std::floor(fy));
        float tx = fx - i, ty = fy - j;
        tx = tx * tx * (3 - 2 * tx);
        ty = ty * ty * (3 - 2 * ty);
        const float a = Lattice(i, j, cellsX, cellsY, octave), b = Lattice(i + 1, j, cellsX, cellsY, octave);
        const float c = Lattice(i, j + 1, cellsX, cellsY, octave), d = Lattice(i + 1, j + 1, cellsX, cellsY, octave);
        return (a + (b - a) * tx) * (1 - ty) + (c + (d - c) * tx) * ty;
    }
    u32 seed_;
    int width_, height_, cell_;
};

// ---- stage backgrounds ----

struct Terrain {
    Colour low, shore, plain, wood, high;
    float water;  // height below which the low colour shows
};

// The stage's ground by the art number in its name ("bgp01-2" is art 1).
Terrain TerrainOf(int art) {
    switch (art) {
        case 2: return {Rgb(34, 30, 38), Rgb(92, 76, 56), Rgb(82, 66, 48), Rgb(68, 54, 42), Rgb(56, 48, 44), 0.3f};
        case 3: return {Rgb(18, 32, 58), Rgb(40, 56, 74), Rgb(50, 68, 82), Rgb(62, 78, 90), Rgb(82, 92, 102), 0.55f};
        case 4: return {Rgb(22, 22, 30), Rgb(40, 40, 48), Rgb(48, 48, 56), Rgb(34, 34, 42), Rgb(56, 56, 66), 0.0f};
        case 5: return {Rgb(70, 24, 14), Rgb(40, 32, 32), Rgb(46, 38, 36), Rgb(34, 30, 30), Rgb(58, 50, 48), 0.25f};
        default: return {Rgb(22, 34, 58), Rgb(78, 74, 58), Rgb(48, 62, 44), Rgb(36, 50, 38), Rgb(64, 64, 60), 0.36f};
    }
}

void PaintTerrain(Canvas& c, const std::string& name) {
    const int art = name.size() > 4 && std::isdigit(static_cast<unsigned char>(name[4])) ? name[4] - '0' : 1;
    const Terrain t = TerrainOf(art);
    const u32 seed = NameHash(name);
    const int w = c.width(), h = c.height();
    const TiledNoise ground(seed, w, h, 80);
    const TiledNoise detail(seed ^ 0xABCDu, w, h, 20);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const float e = ground.At(x + 0.5f, y + 0.5f);
            const float relief = (ground.At(x + 2.5f, y + 0.5f) - e) * 18.0f;
            const float grain = detail.At(x + 0.5f, y + 0.5f);
            Colour col;
            if (art == 4) {
                // A city at night: blocks between streets, lit windows.
                const int bx = x % 80, by = y % 80;
                const u32 block = seed ^ static_cast<u32>((y / 80) * 64 + x / 80) * 2654435761u;
                const bool street = bx < 10 || by < 10;
                col = street ? t.low : Scale(t.plain, 0.8f + 0.5f * Unit(block, 1));
                if (!street && bx > 16 && by > 16 && bx < 74 && by < 74 && bx % 8 < 3 && by % 10 < 3 &&
                    Unit(block, static_cast<u32>(bx / 8 * 16 + by / 10)) < 0.3f) {
                    col = Rgb(140, 120, 60);
                }
            } else if (e < t.water) {
                // Water, with light ripples.
                col = Mix(Scale(t.low, 0.8f), t.low, e / std::max(t.water, 0.01f));
                if (std::fabs(std::sin((y + 6.0f * std::sin(x * 0.05f)) * 0.35f)) > 0.98f)
                    col = Mix(col, Rgb(70, 86, 110), 0.3f);
            } else if (e < t.water + 0.05f) {
                col = t.shore;
            } else if (e < 0.62f) {
                col = t.plain;
                // Fields: striped patches on the plain.
                const u32 patch = seed ^ static_cast<u32>((y / 48) * 64 + x / 64) * 40503u;
                if (art == 1 && Unit(patch, 2) < 0.35f && x % 64 > 4 && y % 48 > 4) {
                    col = Scale(Mix(t.plain, Rgb(74, 72, 44), Unit(patch, 3)), (x / 3) % 2 == 0 ? 1.0f : 0.9f);
                }
            } else if (e < 0.75f) {
                col = t.wood;
                if (grain > 0.6f) col = Scale(col, 0.75f);
            } else {
                col = t.high;
            }
            if (art == 5 && std::fabs(e - 0.5f) < 0.012f) col = Rgb(150, 60, 20);
            col = Scale(col, std::clamp(0.92f + relief * 0.7f + (grain - 0.5f) * 0.15f, 0.7f, 1.1f));
            // Nothing on the ground is brighter than a dim grey.
            const int top = std::max({col.r, col.g, col.b});
            if (top > 110) col = Scale(col, 110.0f / top);
            c.Set(x, y, col);
        }
    }
    c.Text(124, 4, name, 1, 1, Rgb(255, 255, 255, 110), Rgb(255, 255, 255, 110), Rgb(0, 0, 0, 90), 1);
}

// ---- clouds, backdrops, scenery ----

// Soft white clouds on clear ground; the picture tiles both ways.
void PaintClouds(Canvas& c, const std::string& name) {
    const TiledNoise noise(NameHash(name), c.width(), c.height(), 128);
    for (int y = 0; y < c.height(); ++y) {
        for (int x = 0; x < c.width(); ++x) {
            const float v = noise.At(x + 0.5f, y + 0.5f);
            const float a = std::clamp((v - 0.52f) * 4.0f, 0.0f, 1.0f);
            if (a > 0) c.Set(x, y, Rgb(235, 240, 250, static_cast<int>(a * 130)));
        }
    }
}

// A menu backdrop: a dark colour with a faint diagonal weave (it tiles at
// 40 pixels, so the scrolling ones wrap without a seam).
void PaintBackdrop(Canvas& c, const std::string& name) {
    const u32 key = NameHash(name);
    const Colour base = Hsv(200.0f + 80.0f * Unit(key, 1), 0.55f, 0.22f);
    for (int y = 0; y < c.height(); ++y) {
        for (int x = 0; x < c.width(); ++x) {
            const int d = (x + y) % 40, e = (x - y + 4800) % 40;
            Colour col = base;
            if (d < 2 || e < 2) col = Scale(base, 1.5f);
            if ((x % 40 == 20) && (y % 40 == 20)) col = Scale(base, 2.2f);
            c.Set(x, y, col);
        }
    }
    c.Text(124, c.height() - 14, name, 1, 1, Rgb(255, 255, 255, 120), Rgb(255, 255, 255, 120), Rgb(0, 0, 0, 100), 1);
}

// A scene of the endings: sky, sun and hills, named in a corner.
void PaintScenery(Canvas& c, const std::string& name) {
    const u32 key = NameHash(name);
    const float hue = 360.0f * Unit(key, 1);
    const int w = c.width(), h = c.height();
    for (int y = 0; y < h; ++y) {
        const Colour sky = Mix(Hsv(hue, 0.5f, 0.45f), Hsv(hue + 40, 0.35f, 0.8f), static_cast<float>(y) / h);
        for (int x = 0; x < w; ++x) c.Set(x, y, sky);
    }
    const float sx = w * (0.25f + 0.5f * Unit(key, 2)), sy = h * 0.3f;
    c.Shape(Ellipse(sx, sy, 50, 50), 0, 0, static_cast<float>(w), static_cast<float>(h), Rgb(255, 240, 200, 230));
    // Three rows of hills, nearer ones darker, each a smooth line of heights.
    for (int layer = 0; layer < 3; ++layer) {
        const Colour hill = Scale(Hsv(hue + 120, 0.4f, 0.5f), 0.9f - 0.25f * layer);
        const float phase = Unit(key, 3 + layer) * 6.0f, rate = (0.35f + 0.2f * layer) * 32.0f / w;
        for (int x = 0; x < w; ++x) {
            const float top = h * (0.55f + 0.12f * layer + 0.06f * std::sin(x * rate + phase));
            for (int y = std::max(0, static_cast<int>(top)); y < h; ++y)
                c.Blend(x, y, hill, std::clamp(y + 1 - top, 0.0f, 1.0f));
        }
    }
    art::DrawWords(c, {130, 10, 510, 50}, Upper(name), Rgb(255, 255, 255), Rgb(255, 230, 180), 3);
}

void PaintLogo(Canvas& c, const std::string& name) {
    c.Fill(0, 0, c.width(), c.height(), Rgb(0, 0, 0));
    const bool title = name == "logo_title";
    const std::string words = title ? "TOLVARIN" : Upper(name.substr(5));
    if (title) {
        const CellName emblem = ParseCellName("emblem");
        art::DrawCell(c, "logo", emblem, {220, 40, 420, 240});
    }
    art::DrawWords(c, {130, title ? 250.0f : 180.0f, 510, title ? 340.0f : 300.0f}, words, Rgb(255, 255, 255),
                   title ? Rgb(255, 200, 80) : Rgb(150, 200, 255), 10);
    if (!title) art::DrawWords(c, {220, 300, 420, 330}, "PRESENTS", Rgb(200, 200, 200), Rgb(150, 150, 150), 2);
}

// The side panels beside the play field (x 0..119 and 520..639).
void PaintSide(Canvas& c) {
    c.Fill(0, 0, c.width(), c.height(), Rgb(0, 0, 0));
    for (int left : {0, 520}) {
        for (int y = 0; y < c.height(); ++y) {
            for (int x = left; x < left + 120; ++x) {
                const float t = static_cast<float>(x - left) / 120;
                Colour col = Mix(Rgb(40, 46, 64), Rgb(22, 26, 40), std::fabs(t - 0.5f) * 2);
                if ((y / 4) % 2 == 0 && x % 2 == 0) col = Scale(col, 1.1f);
                c.Set(x, y, col);
            }
        }
        c.Outline(left + 2, 2, left + 117, c.height() - 3, Rgb(120, 140, 190), 2);
        for (int y = 20; y < c.height(); y += 110) {
            for (int x : {left + 12, left + 107}) {
                c.Shape(Ellipse(x + 0.5f, y + 0.5f, 3, 3), 0, 0, 640, 480, Rgb(150, 160, 190));
            }
        }
        art::DrawWords(c, {static_cast<float>(left) + 30, 120, static_cast<float>(left) + 90, 360}, "TOLVARIN",
                       Rgb(120, 140, 190), Rgb(70, 80, 120), 4);
    }
    c.Text(4, c.height() - 12, "side", 1, 1, Rgb(255, 255, 255, 110), Rgb(255, 255, 255, 110), Rgb(0, 0, 0, 90), 1);
}

void PaintSurface(Canvas& c, const std::string& name) {
    if (name == "side") return PaintSide(c);
    if (name.rfind("logo_", 0) == 0) return PaintLogo(c, name);
    // Stage backgrounds: "bgp" and the stage art's digits.
    if (name.size() > 4 && name.rfind("bgp0", 0) == 0) return PaintTerrain(c, name);
    if (name.rfind("end", 0) == 0 || name.rfind("bgp_ed", 0) == 0) return PaintScenery(c, name);
    PaintBackdrop(c, name);
    if (name == "bgp_menu") {
        art::DrawWords(c, {236, 22, 512, 84}, "TOLVARIN", Rgb(255, 255, 255), Rgb(255, 200, 80), 8);
    }
}

// Textures used whole or on a fixed grid, without cells of their own.
void PaintWholeTexture(Canvas& c, const std::string& name) {
    if (const std::optional<CellGrid> grid = GridOf(name)) {
        const bool faces = name.rfind("face", 0) == 0;
        for (int i = 0; i < grid->count; ++i) {
            const SampleCell cell = GridCell(*grid, i);
            const Area a{static_cast<float>(cell.left), static_cast<float>(cell.top),
                         static_cast<float>(cell.right + 1), static_cast<float>(cell.bottom + 1)};
            c.SetClip(cell.left, cell.top, cell.right + 1, cell.bottom + 1);
            if (faces) {
                // A character a row, an expression a column.
                art::DrawFace(c, a, NameHash(name + "/" + std::to_string(i / 4)), i % 4);
                art::CornerLabel(c, {a.left + 3, a.top + 3, a.right, a.bottom}, name + " " + std::to_string(i));
            } else {
                art::DrawSpeech(c, {a.left + 6, a.top + 10, a.right - 6, a.bottom - 10}, name, i);
            }
        }
        c.ClearClip();
        return;
    }
    if (name.rfind("cloud", 0) == 0) return PaintClouds(c, name);
    PaintBackdrop(c, name);
}

void PaintSheet(Canvas& c, const std::string& name, const std::vector<SampleCell>& cells) {
    std::vector<CellName> names;
    std::map<std::string, int> frames;
    for (const SampleCell& cell : cells) {
        names.push_back(ParseCellName(cell.label));
        if (names.back().base != names.back().label) {
            int& f = frames[names.back().base];
            f = std::max(f, names.back().frame + 1);
        }
    }
    for (std::size_t i = 0; i < cells.size(); ++i) {
        CellName& n = names[i];
        if (frames.count(n.base)) n.frames = frames[n.base];
        const SampleCell& cell = cells[i];
        // A row of a list keeps to its pitch.
        const int bottom = cell.pitch > 0 ? std::min(cell.bottom, cell.top + cell.pitch - 1) : cell.bottom;
        c.SetClip(cell.left, cell.top, cell.right + 1, bottom + 1);
        const Area a{static_cast<float>(std::max(cell.left, 0)), static_cast<float>(std::max(cell.top, 0)),
                     static_cast<float>(std::min(cell.right + 1, c.width())),
                     static_cast<float>(std::min(bottom + 1, c.height()))};
        if (a.Width() > 0 && a.Height() > 0) art::DrawCell(c, name, n, a, {cell.scaleX, cell.scaleY});
    }
    c.ClearClip();
}

}  // namespace

std::vector<u8> PaintSamplePicture(const std::string& name, const std::string& kind, int width, int height,
                                   const std::vector<SampleCell>& cells) {
    Canvas canvas(width, height);
    if (name == "black") {
        // Drawn as a black quad (fades, overlays): plain opaque black.
        canvas.Fill(0, 0, width, height, Rgb(0, 0, 0));
    } else if (kind == "surface") {
        PaintSurface(canvas, name);
    } else if (cells.empty()) {
        PaintWholeTexture(canvas, name);
    } else {
        PaintSheet(canvas, name, cells);
    }
    return canvas.pixels();
}
