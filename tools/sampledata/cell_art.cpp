// The looks of single cells: words, crafts, bullets, effects, HUD pieces,
// faces and balloons (see art.h for how a cell's look is chosen).
#include <algorithm>
#include <cctype>
#include <cmath>
#include <utility>

#include "engine/core/radians.h"
#include "tools/sampledata/art.h"
#include "tools/sampledata/glyphs.h"

namespace art {

namespace {

const Colour kWhite = Rgb(255, 255, 255);
const Colour kInk = Rgb(8, 10, 24, 220);

Sdf Intersect(Sdf a, Sdf b) {
    return [a = std::move(a), b = std::move(b)](float x, float y) { return std::max(a(x, y), b(x, y)); };
}

// A ring: the band between two radii.
Sdf Ring(float cx, float cy, float outer, float inner) {
    return Subtract(Ellipse(cx, cy, outer, outer), Ellipse(cx, cy, inner, inner));
}

bool Lowercase(const std::string& word) {
    return !word.empty() && std::all_of(word.begin(), word.end(), [](unsigned char c) {
        return std::islower(c) || c == '-' || std::isdigit(c);
    }) && std::any_of(word.begin(), word.end(), [](unsigned char c) { return std::islower(c); });
}

bool HasWord(const CellName& n, const char* word) {
    return std::find(n.words.begin(), n.words.end(), word) != n.words.end();
}

// 0..1 along an animation: frame 0 is the start, the last frame the end.
float Progress(const CellName& n) { return n.frames > 1 ? static_cast<float>(n.frame) / (n.frames - 1) : 0.0f; }

// The key a cell's colours follow: its base label, so that every frame of
// one thing shares them.
u32 KeyOf(const std::string& sheet, const CellName& n) {
    if (n.kind >= 0) return NameHash(std::to_string(n.kind));
    return NameHash(sheet + "/" + n.base);
}

// Every sprite of this file is drawn in the same way: parts filled with a
// shaded colour inside a dark edge of `edge` pixels.
std::function<Colour(float, float, float)> Shaded(Colour base, const Area& a, float edge) {
    return [=](float, float y, float d) {
        if (d > -edge) return WithAlpha(Scale(base, 0.32f), 255);
        const float t = std::clamp((y - a.top) / a.Height(), 0.0f, 1.0f);
        Colour c = Scale(base, 1.18f - 0.42f * t);
        if (d > -edge * 2.2f) c = Mix(c, kWhite, 0.18f);
        return c;
    };
}

float EdgeOf(const Area& a) { return std::clamp(a.Small() / 36.0f, 1.0f, 3.0f); }

// ---- words ----

struct Layout {
    std::vector<std::string> lines;
    int sx = 0, sy = 0;
};

std::vector<std::string> Wrap(const std::string& text, int lines) {
    std::vector<std::string> words;
    std::string w;
    for (char c : text) {
        if (c == ' ') {
            if (!w.empty()) words.push_back(w);
            w.clear();
        } else {
            w += c;
        }
    }
    if (!w.empty()) words.push_back(w);
    if (lines <= 1 || words.size() <= 1) return {text};
    // Greedy against an even share of the characters.
    const std::size_t share = (text.size() + static_cast<std::size_t>(lines) - 1) / static_cast<std::size_t>(lines);
    std::vector<std::string> out;
    std::string line;
    for (const std::string& word : words) {
        if (!line.empty() && line.size() + 1 + word.size() > share && static_cast<int>(out.size()) < lines - 1) {
            out.push_back(line);
            line.clear();
        }
        line += (line.empty() ? "" : " ") + word;
    }
    out.push_back(line);
    return out;
}

Layout Fit(const std::string& text, int width, int height, int maxScale) {
    Layout best;
    const bool descends = text.find_first_of("gjpqy,;") != std::string::npos;
    const int rows = descends ? kGlyphHeight : kGlyphHeight - 1;
    for (int lines = 1; lines <= 4; ++lines) {
        const std::vector<std::string> wrapped = Wrap(text, lines);
        if (static_cast<int>(wrapped.size()) != lines) break;
        int cells = 1;
        for (const std::string& l : wrapped) cells = std::max(cells, TextCells(l));
        const int lineRows = rows * lines + 2 * (lines - 1);
        const int sx = std::min(width / cells, maxScale);
        const int syMax = std::min(height / lineRows, maxScale);
        const int s = std::min(sx, syMax);
        if (s < 1) continue;
        // Taller than wide by at most half again, to fill short wide cells.
        const int sy = std::min(syMax, s + s / 2);
        if (s > best.sx || (s == best.sx && sy > best.sy)) best = {wrapped, s, sy};
    }
    return best;
}

// A palette of text colours by sheet, light at the top and tinted below.
std::pair<Colour, Colour> TextColours(const std::string& sheet, const Area& a) {
    if (sheet == "stage_title") return {Rgb(255, 255, 220), Rgb(255, 190, 60)};
    if (sheet == "title" || sheet == "title2" || sheet == "pause" || sheet == "pause_r")
        return {kWhite, Rgb(150, 210, 255)};
    if (sheet == "picture" || sheet == "missile") {
        // The banners (wide and tall) are warm, the HUD cool.
        if (a.Height() >= 40) return {Rgb(255, 255, 230), Rgb(255, 160, 70)};
        return {kWhite, Rgb(160, 255, 210)};
    }
    // The report's scrolling lines lie behind its numbers: faint.
    if (sheet.size() > 4 && sheet.compare(sheet.size() - 4, 4, "line") == 0)
        return {Rgb(200, 220, 255, 90), Rgb(120, 150, 220, 90)};
    if (sheet.rfind("clear", 0) == 0 || sheet == "report" || sheet == "result" || sheet == "ranking")
        return {kWhite, Rgb(255, 215, 120)};
    const float hue = static_cast<float>(NameHash(sheet) % 360);
    return {kWhite, Hsv(hue, 0.30f, 1.0f)};
}

void DrawText(Canvas& c, const std::string& sheet, const CellName& n, const Area& a, const WordsScale& scale) {
    const auto [top, bottom] = TextColours(sheet, a);
    if (a.Width() >= 60 && a.Height() >= 22 && top.a == 255) {
        const Sdf plate = Box(a.left + 1, a.top + 1, a.right - 1, a.bottom - 1, std::min(a.Height() / 3, 10.0f));
        c.Shape(plate, a.left, a.top, a.right, a.bottom, Rgb(12, 18, 44, 150));
        c.Edge(plate, a.left, a.top, a.right, a.bottom, 1.5f, Rgb(150, 190, 255, 170));
    }
    DrawWords(c, a, n.label, top, bottom, 12, scale);
}

// ---- panels, balloons, pictures ----

void DrawPanel(Canvas& c, const CellName& n, const Area& a) {
    const float r = std::min(a.Small() / 8, 16.0f);
    const Sdf box = Box(a.left + 1, a.top + 1, a.right - 1, a.bottom - 1, r);
    c.Shape(box, a.left, a.top, a.right, a.bottom, [&](float, float y, float) {
        return Mix(Rgb(24, 34, 78, 215), Rgb(8, 12, 32, 215), (y - a.top) / a.Height());
    });
    c.Edge(box, a.left, a.top, a.right, a.bottom, 2.5f, Rgb(170, 200, 255, 230));
    if (a.Small() > 24) {
        const Sdf inner = Box(a.left + 6, a.top + 6, a.right - 6, a.bottom - 6, std::max(r - 5, 0.0f));
        c.Edge(inner, a.left, a.top, a.right, a.bottom, 1.0f, Rgb(110, 140, 220, 150));
    }
    // Capitals after the first word are a caption, in the upper half.
    std::string caption;
    for (std::size_t i = 1; i < n.words.size(); ++i) {
        if (Lowercase(n.words[i])) continue;
        caption += (caption.empty() ? "" : " ") + n.words[i];
    }
    if (!caption.empty()) {
        DrawWords(c, {a.left + 4, a.top + 2, a.right - 4, a.CentreY()}, caption, kWhite, Rgb(150, 210, 255));
    } else {
        CornerLabel(c, {a.left + 4, a.top + 3, a.right, a.bottom}, n.base);
    }
}

void DrawBalloon(Canvas& c, const CellName& n, const Area& a) {
    const float w = a.Width(), h = a.Height();
    const float bottom = a.top + h * 0.86f;
    Sdf body;
    switch (n.frame % 4) {
        case 1: {  // a shout: a jagged edge
            std::vector<float> p;
            const int teeth = 18;
            for (int i = 0; i < teeth * 2; ++i) {
                const float t = static_cast<float>(i) / (teeth * 2) * 2 * kPi;
                const float r = i % 2 == 0 ? 1.0f : 0.86f;
                p.push_back(a.CentreX() + std::cos(t) * (w * 0.47f) * r);
                p.push_back((a.top + bottom) / 2 + std::sin(t) * ((bottom - a.top) * 0.48f) * r);
            }
            body = Polygon(std::move(p));
            break;
        }
        case 2: {  // a thought: a bumpy cloud
            std::vector<Sdf> bumps{
                Box(a.left + w * 0.12f, a.top + h * 0.06f, a.right - w * 0.12f, bottom - h * 0.04f, 20)};
            for (int i = 0; i < 6; ++i) {
                bumps.push_back(Ellipse(a.left + w * 0.16f, a.top + h * (0.1f + 0.13f * i), w * 0.12f, h * 0.07f));
                bumps.push_back(Ellipse(a.right - w * 0.16f, a.top + h * (0.1f + 0.13f * i), w * 0.12f, h * 0.07f));
            }
            body = Union(std::move(bumps));
            break;
        }
        case 3:  // a call over the radio: square corners, notched at the sides
            body = Subtract(Box(a.left + 3, a.top + 3, a.right - 3, bottom, w * 0.05f),
                            Union({Ellipse(a.left + 3, (a.top + bottom) / 2, w * 0.06f, h * 0.05f),
                                   Ellipse(a.right - 3, (a.top + bottom) / 2, w * 0.06f, h * 0.05f)}));
            break;
        default: body = Box(a.left + 3, a.top + 3, a.right - 3, bottom, w * 0.22f); break;
    }
    const Sdf tail = Polygon({a.CentreX() - w * 0.14f, bottom - 6, a.CentreX() + w * 0.14f, bottom - 6,
                              a.CentreX() - w * 0.02f, a.bottom - 2});
    const Sdf shape = Union({body, tail});
    c.Shape(shape, a.left, a.top, a.right, a.bottom,
            [&](float, float y, float) { return Mix(Rgb(30, 44, 96, 225), Rgb(12, 18, 48, 225), (y - a.top) / h); });
    c.Edge(shape, a.left, a.top, a.right, a.bottom, 3.0f, Rgb(235, 240, 255, 245));
    CornerLabel(c, {a.left + w * 0.2f, a.top + 8, a.right, a.bottom}, n.label);
}

// ---- crafts ----

// Points in craft space: u runs from the tail (0) to the nose (1) along +x,
// v across the span from -0.5 to 0.5 (y).
struct CraftFrame {
    Area a;
    float X(float u) const { return a.left + u * a.Width(); }
    float Y(float v) const { return a.CentreY() + v * a.Height(); }
    // A polygon from (u, v) pairs.
    Sdf Poly(std::initializer_list<float> uv) const {
        std::vector<float> p;
        bool odd = false;
        for (float f : uv) {
            p.push_back(odd ? Y(f) : X(f));
            odd = !odd;
        }
        return Polygon(std::move(p));
    }
    // The same polygon and its mirror image across the craft's axis.
    Sdf Both(std::initializer_list<float> uv) const {
        std::vector<float> p, q;
        bool odd = false;
        for (float f : uv) {
            p.push_back(odd ? Y(f) : X(f));
            q.push_back(odd ? Y(-f) : X(f));
            odd = !odd;
        }
        return Union({Polygon(std::move(p)), Polygon(std::move(q))});
    }
    Sdf Oval(float u, float v, float ru, float rv) const {
        return Ellipse(X(u), Y(v), ru * a.Width(), rv * a.Height());
    }
};

enum class Family { kEnemy, kBoss, kPlayer };

Colour CraftColour(Family family, u32 key) {
    static const float kEnemyHues[] = {0, 24, 48, 100, 160, 195, 225, 265, 295, 330};
    static const float kBossHues[] = {350, 280, 215, 30, 175, 255};
    if (family == Family::kBoss) {
        return Hsv(kBossHues[key % std::size(kBossHues)], 0.5f + 0.15f * Unit(key, 3), 0.62f);
    }
    return Hsv(kEnemyHues[key % std::size(kEnemyHues)], 0.65f + 0.2f * Unit(key, 3), 0.7f);
}

void Lights(Canvas& c, const CraftFrame& f, const CellName& n, std::initializer_list<std::pair<float, float>> at) {
    const float r = std::clamp(f.a.Small() * 0.035f, 1.5f, 6.0f);
    int i = 0;
    for (auto [u, v] : at) {
        const bool on = (n.frame + i++) % 2 == 0 || n.frames == 1;
        const Colour lit = on ? Rgb(255, 240, 160) : Rgb(120, 90, 60);
        c.Shape(Ellipse(f.X(u), f.Y(v), r, r), f.a.left, f.a.top, f.a.right, f.a.bottom, lit);
    }
}

void Canopy(Canvas& c, const CraftFrame& f, float u, float ru, float rv) {
    const Area& a = f.a;
    const Sdf glass = f.Oval(u, 0, ru, rv);
    c.Shape(glass, a.left, a.top, a.right, a.bottom, [&](float, float y, float d) {
        if (d > -1.0f) return Rgb(20, 30, 50);
        const float t = std::clamp((y - f.Y(-rv)) / (2 * rv * a.Height()), 0.0f, 1.0f);
        return Mix(Rgb(230, 250, 255), Rgb(60, 150, 220), t);
    });
}

// Panel lines and turrets of a boss or a big craft.
void Plating(Canvas& c, const CraftFrame& f, const Sdf& hull, Colour base, u32 key) {
    const Area& a = f.a;
    const int lines = 3 + static_cast<int>(Unit(key, 7) * 3);
    for (int i = 1; i <= lines; ++i) {
        const float x = f.X(0.1f + 0.8f * i / (lines + 1));
        c.Shape(Intersect(hull, Box(x - 0.7f, a.top, x + 0.7f, a.bottom)), a.left, a.top, a.right, a.bottom,
                Scale(base, 0.55f));
    }
    const float r = a.Small() * 0.06f;
    for (int i = 0; i < 2; ++i) {
        const float u = 0.35f + 0.25f * i;
        for (float v : {-0.18f, 0.18f}) {
            const Sdf gun =
                Union({Ellipse(f.X(u), f.Y(v), r, r), Capsule(f.X(u), f.Y(v), f.X(u) + r * 2.2f, f.Y(v), r * 0.35f)});
            c.Shape(gun, a.left, a.top, a.right, a.bottom, Shaded(Scale(base, 0.8f), a, 1.2f));
        }
    }
}

void DrawCraft(Canvas& c, const std::string& sheet, const CellName& n, const Area& a) {
    const u32 key = KeyOf(sheet, n);
    const bool boss = sheet.rfind("boss", 0) == 0 || (n.kind >= 0 && n.kind % 100 >= 50);
    const Family family = boss ? Family::kBoss : Family::kEnemy;
    const Colour base = CraftColour(family, key);
    const Colour wing = Scale(base, 0.82f);
    const float edge = EdgeOf(a);
    const CraftFrame f{a};
    const float aspect = a.Width() / a.Height();
    const float pick = Unit(key, 1);
    const float span = 0.46f, sweep = 0.05f + 0.12f * Unit(key, 2), body = 0.09f + 0.05f * Unit(key, 4);

    if (aspect > 0.8f && aspect < 1.25f && pick < 0.3f && !boss) {
        // A saucer: a disc, a rim and a dome; its lights run round with the frames.
        const float r = a.Small() * 0.46f;
        const Sdf disc = Ellipse(a.CentreX(), a.CentreY(), r, r);
        c.Shape(disc, a.left, a.top, a.right, a.bottom, Shaded(base, a, edge));
        c.Edge(Ellipse(a.CentreX(), a.CentreY(), r * 0.72f, r * 0.72f), a.left, a.top, a.right, a.bottom, edge,
               Scale(base, 0.4f));
        const float nose = a.CentreX() + r * 0.45f;
        c.Shape(Ellipse(nose, a.CentreY(), r * 0.28f, r * 0.28f), a.left, a.top, a.right, a.bottom, Rgb(120, 220, 255));
        for (int i = 0; i < 6; ++i) {
            const float t = (i + n.frame * 0.5f) * kPi / 3;
            const bool lit = i % 2 == 0;
            c.Shape(Ellipse(a.CentreX() + std::cos(t) * r * 0.86f, a.CentreY() + std::sin(t) * r * 0.86f, r * 0.08f,
                            r * 0.08f),
                    a.left, a.top, a.right, a.bottom, lit ? Rgb(255, 230, 120) : Rgb(255, 120, 80));
        }
    } else if (aspect >= 1.5f) {
        // A gunship: a long hull, stub wings and a gun to the front.
        const Sdf hull = f.Poly({0.03f, -0.3f, 0.7f, -0.34f, 0.97f, -0.08f, 0.97f, 0.08f, 0.7f, 0.34f, 0.03f, 0.3f});
        const Sdf wings = f.Both({0.3f, -0.3f, 0.55f, -0.3f, 0.45f, -0.49f, 0.25f, -0.49f});
        c.Shape(wings, a.left, a.top, a.right, a.bottom, Shaded(wing, a, edge));
        c.Shape(hull, a.left, a.top, a.right, a.bottom, Shaded(base, a, edge));
        if (boss || a.Width() > 150) Plating(c, f, hull, base, key);
        Canopy(c, f, 0.8f, 0.07f, 0.14f);
        Lights(c, f, n, {{0.35f, -0.45f}, {0.35f, 0.45f}});
    } else if (pick < 0.62f || boss) {
        // A jet: pointed hull, swept wings, tail fins.
        const Sdf hull = f.Poly({0.04f, -body, 0.62f, -body - 0.02f, 0.98f, 0.0f, 0.62f, body + 0.02f, 0.04f, body});
        const Sdf wings = f.Both({0.64f, -body, 0.36f - sweep, -span, 0.2f - sweep, -span, 0.3f, -body});
        const Sdf fins = f.Both({0.18f, -body, 0.03f, -0.24f, 0.0f, -0.22f, 0.04f, -body});
        c.Shape(fins, a.left, a.top, a.right, a.bottom, Shaded(wing, a, edge));
        c.Shape(wings, a.left, a.top, a.right, a.bottom, Shaded(wing, a, edge));
        // Engine glow at the tail.
        const float glow = 0.04f + 0.02f * (n.frame % 3);
        c.Shape(f.Oval(0.02f, 0, glow, body * 0.8f), a.left, a.top, a.right, a.bottom, Rgb(255, 150, 60, 220));
        c.Shape(hull, a.left, a.top, a.right, a.bottom, Shaded(base, a, edge));
        if (boss) Plating(c, f, Union({hull, wings}), base, key);
        Canopy(c, f, 0.72f, 0.09f, body * 0.55f);
        Lights(c, f, n, {{0.22f - sweep, -span + 0.03f}, {0.22f - sweep, span - 0.03f}});
    } else {
        // A bomber: a thick body, straight wings with engine pods.
        const Sdf hull = f.Oval(0.5f, 0, 0.46f, body + 0.06f);
        const Sdf wings = f.Both({0.6f, -0.1f, 0.55f, -span, 0.38f, -span, 0.36f, -0.1f});
        const Sdf tail = f.Both({0.14f, -0.05f, 0.02f, -0.2f, 0.08f, -0.2f, 0.2f, -0.05f});
        c.Shape(Union({wings, tail}), a.left, a.top, a.right, a.bottom, Shaded(wing, a, edge));
        for (float v : {-0.3f, 0.3f}) {
            c.Shape(f.Oval(0.52f, v, 0.12f, 0.05f), a.left, a.top, a.right, a.bottom,
                    Shaded(Scale(base, 0.7f), a, edge));
        }
        c.Shape(hull, a.left, a.top, a.right, a.bottom, Shaded(base, a, edge));
        Canopy(c, f, 0.82f, 0.08f, 0.07f);
        Lights(c, f, n, {{0.46f, -span + 0.03f}, {0.46f, span - 0.03f}});
    }
}

// An armour piece, a foot or a plate of a boss: a bevelled block with rivets.
void DrawArmour(Canvas& c, const std::string& sheet, const CellName& n, const Area& a) {
    const Colour base = CraftColour(Family::kBoss, KeyOf(sheet, n));
    const float edge = EdgeOf(a);
    const Sdf block = Box(a.left + 1, a.top + 1, a.right - 1, a.bottom - 1, a.Small() * 0.2f);
    c.Shape(block, a.left, a.top, a.right, a.bottom, Shaded(base, a, edge));
    const float r = std::max(1.0f, a.Small() * 0.06f);
    for (float u : {0.15f, 0.85f}) {
        for (float v : {0.25f, 0.75f}) {
            c.Shape(Ellipse(a.left + u * a.Width(), a.top + v * a.Height(), r, r), a.left, a.top, a.right, a.bottom,
                    Scale(base, 1.4f));
        }
    }
}

// The castle's kinds: stone walls, a tiled roof, round towers at the corners.
void DrawFortress(Canvas& c, const CellName& n, const Area& a) {
    const Colour stone = Rgb(120, 112, 96), roof = Rgb(50, 78, 84), gold = Rgb(230, 190, 80);
    const float inset = a.Small() * 0.06f, edge = EdgeOf(a);
    const Sdf wall = Box(a.left + inset, a.top + inset, a.right - inset, a.bottom - inset, a.Small() * 0.04f);
    c.Shape(wall, a.left, a.top, a.right, a.bottom, Shaded(stone, a, edge));
    const float band = a.Small() * 0.12f;
    Sdf inner = Box(a.left + inset + band, a.top + inset + band, a.right - inset - band, a.bottom - inset - band,
                    a.Small() * 0.03f);
    if (HasWord(n, "ring"))
        inner = Subtract(inner, Ellipse(a.CentreX(), a.CentreY(), a.Small() * 0.2f, a.Small() * 0.2f));
    const float row = std::max(4.0f, a.Small() / 24);
    c.Shape(inner, a.left, a.top, a.right, a.bottom, [&](float, float y, float d) {
        if (d > -edge) return Rgb(20, 28, 30);
        const int k = static_cast<int>((y - a.top) / row);
        return Scale(roof, k % 2 == 0 ? 1.0f : 0.78f);
    });
    const float tower = a.Small() * 0.13f;
    for (float x : {a.left + inset + tower * 0.6f, a.right - inset - tower * 0.6f}) {
        for (float y : {a.top + inset + tower * 0.6f, a.bottom - inset - tower * 0.6f}) {
            c.Shape(Ellipse(x, y, tower, tower), a.left, a.top, a.right, a.bottom, Shaded(Scale(stone, 0.9f), a, edge));
            c.Shape(Ellipse(x, y, tower * 0.45f, tower * 0.45f), a.left, a.top, a.right, a.bottom, roof);
        }
    }
    const float k = a.Small() * 0.09f;
    c.Shape(Star(a.CentreX(), a.CentreY(), k, k * 0.5f, 4), a.left, a.top, a.right, a.bottom, gold);
    // Windows that light up frame by frame.
    for (int i = 0; i < 4; ++i) {
        const bool lit = (i + n.frame) % 2 == 0;
        const float x = a.left + a.Width() * (0.3f + 0.13f * i);
        c.Shape(Box(x - 2, a.bottom - inset - band * 0.7f, x + 2, a.bottom - inset - band * 0.3f), a.left, a.top,
                a.right, a.bottom, lit ? Rgb(255, 220, 120) : Rgb(60, 50, 40));
    }
    CornerLabel(c, {a.left + inset + band, a.top + inset + band, a.right, a.bottom}, n.label);
}

// A turning translucent layer over a boss: rotor blades or a ring of light.
void DrawLayer(Canvas& c, const std::string& sheet, const CellName& n, const Area& a) {
    const Colour base = CraftColour(Family::kBoss, KeyOf(sheet, n));
    const float r = a.Small() * 0.46f;
    c.Shape(Ellipse(a.CentreX(), a.CentreY(), r, r), a.left, a.top, a.right, a.bottom,
            WithAlpha(Mix(base, kWhite, 0.4f), 70));
    const float turn = n.frame * kPi / 6;
    for (int i = 0; i < 3; ++i) {
        const float t = turn + i * 2 * kPi / 3;
        c.Shape(Capsule(a.CentreX(), a.CentreY(), a.CentreX() + std::cos(t) * r * 0.95f,
                        a.CentreY() + std::sin(t) * r * 0.95f, std::max(1.5f, r * 0.12f)),
                a.left, a.top, a.right, a.bottom, WithAlpha(Mix(base, kWhite, 0.6f), 170));
    }
    c.Shape(Ellipse(a.CentreX(), a.CentreY(), r * 0.18f, r * 0.18f), a.left, a.top, a.right, a.bottom,
            Rgb(255, 230, 160, 220));
}

// A flame or exhaust: a glow along the cell's long side, longer by frame.
void DrawFlame(Canvas& c, const CellName& n, const Area& a, bool hot = false) {
    const float grow = 0.78f + 0.22f * ((n.frame % 3) / 2.0f);
    const bool tall = a.Height() >= a.Width();
    const float rx = (tall ? 0.42f : 0.48f * grow) * a.Width(), ry = (tall ? 0.48f * grow : 0.42f) * a.Height();
    const Colour outer = hot ? Rgb(255, 80, 40, 180) : Rgb(255, 120, 30, 170);
    c.Shape(Ellipse(a.CentreX(), a.CentreY(), rx, ry), a.left, a.top, a.right, a.bottom, outer);
    c.Shape(Ellipse(a.CentreX(), a.CentreY(), rx * 0.68f, ry * 0.72f), a.left, a.top, a.right, a.bottom,
            Rgb(255, 210, 70, 230));
    c.Shape(Ellipse(a.CentreX(), a.CentreY(), rx * 0.32f, ry * 0.42f), a.left, a.top, a.right, a.bottom,
            Rgb(255, 255, 230));
}

// ---- the player ----

const Colour kPlayerHull = Rgb(235, 240, 250);
const Colour kPlayerTrim = Rgb(40, 200, 255);

// The player's aircraft, nose up; frames 1 and 2 bank right, 3 and 4 left.
void DrawPlayer(Canvas& c, const CellName& n, const Area& a) {
    const float w = a.Width(), h = a.Height(), cx = a.CentreX(), edge = EdgeOf(a);
    const int bank = n.frame == 1 || n.frame == 2 ? 1 : n.frame == 3 || n.frame == 4 ? -1 : 0;
    const float hard = n.frame == 2 || n.frame == 4 ? 1.0f : n.frame == 0 ? 0.0f : 0.5f;
    // The wing toward the turn is foreshortened, the body slides toward it.
    const float right = 0.46f * w * (bank > 0 ? 1.0f - 0.4f * hard : 1.0f);
    const float left = 0.46f * w * (bank < 0 ? 1.0f - 0.4f * hard : 1.0f);
    const float shift = bank * hard * w * 0.04f;
    const float bx = cx + shift;
    const Sdf wings = Polygon({bx - left, a.top + h * 0.42f, bx - left + w * 0.05f, a.top + h * 0.56f,
                               bx + right - w * 0.05f, a.top + h * 0.56f, bx + right, a.top + h * 0.42f, bx + w * 0.06f,
                               a.top + h * 0.32f, bx - w * 0.06f, a.top + h * 0.32f});
    const Sdf tail = Polygon({bx - w * 0.17f, a.top + h * 0.86f, bx + w * 0.17f, a.top + h * 0.86f, bx + w * 0.15f,
                              a.top + h * 0.95f, bx - w * 0.15f, a.top + h * 0.95f});
    const Sdf body = Union(
        {Ellipse(bx, a.top + h * 0.5f, w * 0.075f, h * 0.46f), Ellipse(bx, a.top + h * 0.1f, w * 0.06f, h * 0.08f)});
    c.Shape(Union({wings, tail}), a.left, a.top, a.right, a.bottom, Shaded(kPlayerHull, a, edge));
    // Blue trim along the wings' front and red marks near the tips.
    c.Shape(Intersect(wings, Box(a.left, a.top + h * 0.32f, a.right, a.top + h * 0.39f)), a.left, a.top, a.right,
            a.bottom, kPlayerTrim);
    for (float x : {bx - left * 0.7f, bx + right * 0.7f}) {
        c.Shape(Ellipse(x, a.top + h * 0.48f, w * 0.035f, h * 0.04f), a.left, a.top, a.right, a.bottom,
                Rgb(230, 40, 50));
    }
    if (bank != 0) {
        // The lowered wing in shade.
        const float x0 = bank > 0 ? bx : bx - left, x1 = bank > 0 ? bx + right : bx;
        c.Shape(Intersect(wings, Box(x0, a.top, x1, a.bottom)), a.left, a.top, a.right, a.bottom, Rgb(0, 0, 40, 70));
    }
    c.Shape(body, a.left, a.top, a.right, a.bottom, Shaded(kPlayerHull, a, edge));
    c.Shape(Ellipse(bx, a.top + h * 0.38f, w * 0.045f, h * 0.1f), a.left, a.top, a.right, a.bottom, Rgb(60, 170, 255));
    CornerLabel(c, {a.left + 2, a.top + 2, a.right, a.bottom}, n.label);
}

void DrawPropeller(Canvas& c, const CellName& n, const Area& a) {
    c.Shape(Ellipse(a.CentreX(), a.CentreY(), a.Width() * 0.46f, a.Height() * 0.3f), a.left, a.top, a.right, a.bottom,
            Rgb(220, 225, 235, 80));
    const float t = n.frame * kPi / 3;
    const float rx = a.Width() * 0.44f, ry = a.Height() * 0.28f;
    c.Shape(Capsule(a.CentreX() - std::cos(t) * rx, a.CentreY() - std::sin(t) * ry, a.CentreX() + std::cos(t) * rx,
                    a.CentreY() + std::sin(t) * ry, 1.5f),
            a.left, a.top, a.right, a.bottom, Rgb(70, 70, 80, 200));
    c.Shape(Ellipse(a.CentreX(), a.CentreY(), 3, 3), a.left, a.top, a.right, a.bottom, Rgb(230, 40, 50));
}

// The player's shot: a bright bolt along +x (it is drawn turned to its way).
void DrawPlayerShot(Canvas& c, const Area& a) {
    const float y = a.CentreY(), r = a.Height() * 0.13f;
    c.Shape(Capsule(a.left + a.Width() * 0.12f, y, a.right - a.Width() * 0.1f, y, r * 1.9f), a.left, a.top, a.right,
            a.bottom, Rgb(255, 240, 90, 110));
    c.Shape(Capsule(a.left + a.Width() * 0.18f, y, a.right - a.Width() * 0.12f, y, r), a.left, a.top, a.right, a.bottom,
            Rgb(255, 250, 150));
    c.Shape(Capsule(a.left + a.Width() * 0.3f, y, a.right - a.Width() * 0.16f, y, r * 0.5f), a.left, a.top, a.right,
            a.bottom, kWhite);
}

// A rocket along +x: the player's missile or an enemy rocket or shell.
void Rocket(Canvas& c, const Area& a, Colour body, Colour stripe, Colour tip, float thickness, int frame) {
    const float y = a.CentreY(), r = a.Height() * thickness;
    const float tail = a.left + a.Width() * 0.08f, nose = a.right - a.Width() * 0.04f;
    const float edge = std::max(1.0f, EdgeOf(a) * 0.7f);
    const Sdf fins = Polygon(
        {tail, y - r * 2.1f, tail + a.Width() * 0.22f, y - r, tail + a.Width() * 0.22f, y + r, tail, y + r * 2.1f});
    c.Shape(fins, a.left, a.top, a.right, a.bottom, Shaded(Scale(stripe, 0.8f), a, edge));
    const Sdf hull = Union(
        {Capsule(tail, y, nose - r * 1.6f, y, r), Polygon({nose - r * 2.2f, y - r, nose, y, nose - r * 2.2f, y + r})});
    c.Shape(hull, a.left, a.top, a.right, a.bottom, Shaded(body, a, edge));
    c.Shape(Intersect(hull, Box(tail + a.Width() * 0.3f, a.top, tail + a.Width() * 0.38f, a.bottom)), a.left, a.top,
            a.right, a.bottom, stripe);
    const bool lit = frame % 2 == 0;
    c.Shape(Ellipse(nose - r * 0.9f, y, r * 0.55f, r * 0.55f), a.left, a.top, a.right, a.bottom,
            lit ? tip : Scale(tip, 0.6f));
}

// ---- bullets and enemy shells ----

// A bright colour for a kind of bullet, one per kind.
Colour BulletColour(u32 key) {
    static const float kHues[] = {0, 30, 55, 120, 180, 210, 270, 310};
    return Hsv(kHues[key % std::size(kHues)], 0.85f, 1.0f);
}

void DrawBullet(Canvas& c, const CellName& n, const Area& a) {
    const Colour colour = BulletColour(n.kind >= 0 ? NameHash(std::to_string(n.kind)) : NameHash(n.base));
    const float cx = a.CentreX(), cy = a.CentreY();
    const bool needle = HasWord(n, "needle"), oval = HasWord(n, "oval");
    float rx = a.Width() * 0.44f, ry = a.Height() * 0.44f;
    if (needle) ry = a.Height() * 0.2f;
    if (oval) ry = a.Height() * 0.32f;
    if (!needle && !oval) rx = ry = a.Small() * 0.44f;
    const Sdf halo = Ellipse(cx, cy, rx, ry);
    const Sdf shell = needle ? Union({Ellipse(cx, cy, rx * 0.92f, ry * 0.8f),
                                      Polygon({cx - rx, cy, cx, cy - ry, cx + rx, cy, cx, cy + ry})})
                             : Ellipse(cx, cy, rx * 0.8f, ry * 0.8f);
    c.Shape(halo, a.left, a.top, a.right, a.bottom, WithAlpha(colour, 90));
    c.Shape(shell, a.left, a.top, a.right, a.bottom,
            [&](float, float, float d) { return d > -1.0f ? Scale(colour, 0.45f) : colour; });
    c.Shape(Ellipse(cx + (needle ? rx * 0.1f : 0), cy, rx * 0.45f, ry * 0.45f), a.left, a.top, a.right, a.bottom,
            [&](float x, float y, float) {
                const float t = std::hypot((x - cx) / (rx * 0.45f), (y - cy) / (ry * 0.45f));
                return Mix(kWhite, Mix(colour, kWhite, 0.55f), t);
            });
}

const Colour kShellBody = Rgb(96, 100, 92), kShellStripe = Rgb(200, 60, 40), kShellTip = Rgb(255, 70, 40);

void DrawShell(Canvas& c, const CellName& n, const Area& a) {
    // A bomb: a fat body with fins at the back and a warning light in front.
    Rocket(c, a, kShellBody, kShellStripe, kShellTip, 0.3f, n.frame);
}

void DrawMine(Canvas& c, const CellName& n, const Area& a) {
    const float r = a.Small() * 0.42f;
    c.Shape(Star(a.CentreX(), a.CentreY(), r, r * 0.7f, 8, n.frame * 0.2f), a.left, a.top, a.right, a.bottom,
            Shaded(Scale(kShellBody, 0.8f), a, EdgeOf(a)));
    c.Shape(Ellipse(a.CentreX(), a.CentreY(), r * 0.68f, r * 0.68f), a.left, a.top, a.right, a.bottom,
            Shaded(kShellBody, a, EdgeOf(a)));
    c.Shape(Ellipse(a.CentreX(), a.CentreY(), r * 0.22f, r * 0.22f), a.left, a.top, a.right, a.bottom,
            n.frame % 2 == 0 ? kShellTip : Scale(kShellTip, 0.6f));
}

// An enemy energy ball (and its fading trail).
void DrawOrb(Canvas& c, const CellName& n, const Area& a) {
    const float r = a.Small() * (0.42f - 0.06f * (n.frame % 2));
    c.Shape(Ellipse(a.CentreX(), a.CentreY(), r, r), a.left, a.top, a.right, a.bottom, Rgb(200, 80, 255, 110));
    c.Shape(Ellipse(a.CentreX(), a.CentreY(), r * 0.7f, r * 0.7f), a.left, a.top, a.right, a.bottom,
            Rgb(230, 150, 255));
    c.Shape(Ellipse(a.CentreX(), a.CentreY(), r * 0.35f, r * 0.35f), a.left, a.top, a.right, a.bottom, kWhite);
}

// ---- effects ----

void DrawBurst(Canvas& c, const CellName& n, const Area& a) {
    const float t = Progress(n), big = HasWord(n, "big") ? 1.0f : 0.0f;
    const float R = a.Small() * 0.48f, cx = a.CentreX(), cy = a.CentreY();
    const float r = R * (0.5f + 0.5f * std::sqrt(t));
    const int alpha = static_cast<int>(255 * (1.0f - 0.75f * t));
    if (t > 0.45f) {
        // Late frames: a ring of smoke.
        c.Shape(Ring(cx, cy, r, r * (0.45f + 0.3f * t)), a.left, a.top, a.right, a.bottom, Rgb(110, 100, 100, alpha));
    }
    c.Shape(Star(cx, cy, r, r * 0.62f, 8 + static_cast<int>(big) * 4, n.frame * 0.4f), a.left, a.top, a.right, a.bottom,
            WithAlpha(Mix(Rgb(255, 150, 40), Rgb(170, 40, 30), t), alpha));
    const float core = r * (0.7f - 0.55f * t);
    c.Shape(Ellipse(cx, cy, core, core), a.left, a.top, a.right, a.bottom,
            WithAlpha(Mix(Rgb(255, 240, 150), Rgb(255, 140, 60), t), alpha));
    c.Shape(Ellipse(cx, cy, core * 0.5f, core * 0.5f), a.left, a.top, a.right, a.bottom,
            WithAlpha(kWhite, static_cast<int>(alpha * (1.0f - t))));
}

void DrawPuff(Canvas& c, const CellName& n, const Area& a) {
    const float t = Progress(n), R = a.Small() * 0.46f;
    const int alpha = static_cast<int>(220 * (1.0f - 0.7f * t));
    for (int i = 0; i < 5; ++i) {
        const float ang = i * 2 * kPi / 5 + 0.3f;
        const float d = R * (0.2f + 0.35f * t);
        const float r = R * (0.3f + 0.25f * t);
        c.Shape(Ellipse(a.CentreX() + std::cos(ang) * d, a.CentreY() + std::sin(ang) * d, r, r), a.left, a.top, a.right,
                a.bottom, Rgb(235, 230, 220, alpha));
    }
    c.Shape(Ellipse(a.CentreX(), a.CentreY(), R * 0.25f, R * 0.25f), a.left, a.top, a.right, a.bottom,
            Rgb(255, 250, 200, alpha));
}

void DrawBlast(Canvas& c, const CellName& n, const Area& a) {
    const bool enemy = HasWord(n, "enemy");
    const Colour outer = enemy ? Rgb(230, 40, 90) : Rgb(255, 170, 40);
    const Colour inner = enemy ? Rgb(255, 140, 200) : Rgb(255, 240, 140);
    const float R = a.Small() * 0.48f, cx = a.CentreX(), cy = a.CentreY();
    const float turn = n.frame * 0.35f;
    c.Shape(Ellipse(cx, cy, R, R), a.left, a.top, a.right, a.bottom, WithAlpha(outer, 80));
    c.Shape(Star(cx, cy, R * 0.98f, R * 0.55f, 12, turn), a.left, a.top, a.right, a.bottom, WithAlpha(outer, 200));
    c.Shape(Ring(cx, cy, R * 0.86f, R * 0.74f), a.left, a.top, a.right, a.bottom, WithAlpha(inner, 220));
    c.Shape(Ellipse(cx, cy, R * 0.5f, R * 0.5f), a.left, a.top, a.right, a.bottom, WithAlpha(inner, 230));
    c.Shape(Ellipse(cx, cy, R * 0.25f, R * 0.25f), a.left, a.top, a.right, a.bottom, kWhite);
}

void DrawSpark(Canvas& c, const CellName& n, const Area& a) {
    const float R = a.Small() * 0.46f, turn = n.frame * kPi / 14;
    c.Shape(Ellipse(a.CentreX(), a.CentreY(), R * 0.6f, R * 0.6f), a.left, a.top, a.right, a.bottom,
            Rgb(255, 220, 80, 90));
    c.Shape(Star(a.CentreX(), a.CentreY(), R, R * 0.3f, 4, turn), a.left, a.top, a.right, a.bottom, Rgb(255, 225, 90));
    c.Shape(Star(a.CentreX(), a.CentreY(), R * 0.55f, R * 0.2f, 4, turn), a.left, a.top, a.right, a.bottom, kWhite);
}

void DrawFlash(Canvas& c, const Area& a) {
    const float R = a.Small() * 0.48f;
    c.Shape(Star(a.CentreX(), a.CentreY(), R, R * 0.35f, 8), a.left, a.top, a.right, a.bottom, Rgb(255, 255, 255, 200));
    c.Shape(Ellipse(a.CentreX(), a.CentreY(), R * 0.35f, R * 0.35f), a.left, a.top, a.right, a.bottom, kWhite);
}

// Burning fire: tongues of flame pointing up.
void DrawFire(Canvas& c, const CellName& n, const Area& a) {
    for (int i = 0; i < 3; ++i) {
        const float x = a.left + a.Width() * (0.3f + 0.2f * i);
        const float top = a.top + a.Height() * (0.12f + 0.12f * ((i + n.frame) % 2));
        const Sdf tongue = Union({Ellipse(x, a.bottom - a.Height() * 0.3f, a.Width() * 0.17f, a.Height() * 0.25f),
                                  Polygon({x - a.Width() * 0.14f, a.bottom - a.Height() * 0.35f, x, top,
                                           x + a.Width() * 0.14f, a.bottom - a.Height() * 0.35f})});
        c.Shape(tongue, a.left, a.top, a.right, a.bottom, Rgb(255, 110, 30, 210));
    }
    c.Shape(Ellipse(a.CentreX(), a.bottom - a.Height() * 0.3f, a.Width() * 0.25f, a.Height() * 0.2f), a.left, a.top,
            a.right, a.bottom, Rgb(255, 230, 120));
}

void DrawTarget(Canvas& c, const CellName& n, const Area& a) {
    const Colour colour = HasWord(n, "lock") ? Rgb(255, 60, 60) : Rgb(255, 230, 60);
    const float R = a.Small() * 0.46f, cx = a.CentreX(), cy = a.CentreY(), w = std::max(2.0f, R * 0.06f);
    c.Shape(Ring(cx, cy, R * 0.7f, R * 0.7f - w), a.left, a.top, a.right, a.bottom, colour);
    for (int i = 0; i < 4; ++i) {
        const float t = i * kPi / 2;
        c.Shape(Capsule(cx + std::cos(t) * R * 0.45f, cy + std::sin(t) * R * 0.45f, cx + std::cos(t) * R,
                        cy + std::sin(t) * R, w * 0.6f),
                a.left, a.top, a.right, a.bottom, colour);
    }
    c.Shape(Ellipse(cx, cy, w, w), a.left, a.top, a.right, a.bottom, colour);
}

// ---- HUD pieces ----

// The gauge's dial: a thin ring with ticks, open inside, so that the score
// beside it stays readable where the two meet.
void DrawDial(Canvas& c, const CellName& n, const Area& a) {
    const float R = a.Small() * 0.48f, cx = a.CentreX(), cy = a.CentreY();
    c.Shape(Ellipse(cx, cy, R * 0.45f, R * 0.45f), a.left, a.top, a.right, a.bottom, Rgb(10, 16, 40, 120));
    c.Shape(Ring(cx, cy, R, R * 0.95f), a.left, a.top, a.right, a.bottom, Rgb(200, 215, 245, 220));
    for (int i = 0; i < 24; ++i) {
        const float t = i * kPi / 12;
        const float inner = i % 6 == 0 ? 0.8f : 0.86f;
        c.Shape(Capsule(cx + std::cos(t) * R * inner, cy + std::sin(t) * R * inner, cx + std::cos(t) * R * 0.92f,
                        cy + std::sin(t) * R * 0.92f, i % 6 == 0 ? 1.5f : 0.8f),
                a.left, a.top, a.right, a.bottom, Rgb(160, 220, 255, 200));
    }
    CornerLabel(c, {cx - R * 0.5f, cy + R * 0.5f, a.right, a.bottom}, n.label);
}

void DrawHand(Canvas& c, const Area& a) {
    const float R = a.Small() * 0.46f, cx = a.CentreX(), cy = a.CentreY();
    c.Shape(Ellipse(cx, cy, R, R), a.left, a.top, a.right, a.bottom, Rgb(40, 60, 120, 160));
    c.Edge(Ellipse(cx, cy, R, R), a.left, a.top, a.right, a.bottom, 2.0f, Rgb(200, 230, 255));
    c.Shape(Polygon({cx - R * 0.14f, cy, cx, cy - R * 0.92f, cx + R * 0.14f, cy}), a.left, a.top, a.right, a.bottom,
            Rgb(255, 90, 70));
    c.Shape(Ellipse(cx, cy, R * 0.14f, R * 0.14f), a.left, a.top, a.right, a.bottom, kWhite);
}

void DrawGauge(Canvas& c, const Area& a) {
    const Sdf frame = Box(a.left + 1, a.top + 1, a.right - 1, a.bottom - 1, 4);
    c.Shape(frame, a.left, a.top, a.right, a.bottom, Rgb(10, 14, 30, 200));
    c.Edge(frame, a.left, a.top, a.right, a.bottom, 2.0f, Rgb(230, 235, 255));
}

// A bar's fill (drawn stretched to a length) or, in a cell taller than wide,
// one segment of a row of them.
void DrawBar(Canvas& c, const Area& a) {
    const float inset = a.Height() > a.Width() ? a.Width() * 0.15f : 0.0f;
    c.Shape(Box(a.left + inset, a.top + 1 + inset, a.right - inset, a.bottom - 1 - inset, 2), a.left, a.top, a.right,
            a.bottom, [&](float, float y, float) { return Mix(kWhite, Rgb(200, 200, 200), (y - a.top) / a.Height()); });
}

// A missile in the HUD's stock, nose up.
void DrawIcon(Canvas& c, const CellName& n, const Area& a) {
    const bool charged = HasWord(n, "charged");
    if (charged) {
        c.Shape(Ellipse(a.CentreX(), a.CentreY(), a.Width() * 0.48f, a.Height() * 0.48f), a.left, a.top, a.right,
                a.bottom, Rgb(255, 230, 80, 140));
    }
    const float cx = a.CentreX(), w = a.Width() * 0.16f;
    const Sdf body =
        Union({Box(cx - w, a.top + a.Height() * 0.28f, cx + w, a.bottom - a.Height() * 0.12f, w * 0.4f),
               Polygon({cx - w, a.top + a.Height() * 0.3f, cx, a.top + a.Height() * 0.06f, cx + w,
                        a.top + a.Height() * 0.3f}),
               Polygon({cx - w * 2.4f, a.bottom - a.Height() * 0.06f, cx - w, a.bottom - a.Height() * 0.34f, cx + w,
                        a.bottom - a.Height() * 0.34f, cx + w * 2.4f, a.bottom - a.Height() * 0.06f})});
    c.Shape(body, a.left, a.top, a.right, a.bottom, Shaded(charged ? Rgb(255, 230, 120) : Rgb(230, 235, 245), a, 1.2f));
    c.Shape(Intersect(body, Box(a.left, a.top + a.Height() * 0.42f, a.right, a.top + a.Height() * 0.5f)), a.left, a.top,
            a.right, a.bottom, Rgb(230, 50, 50));
}

void DrawSlot(Canvas& c, const Area& a) {
    const Sdf frame = Box(a.left + 3, a.top + 3, a.right - 3, a.bottom - 3, 5);
    c.Shape(frame, a.left, a.top, a.right, a.bottom, Rgb(10, 14, 30, 120));
    c.Edge(frame, a.left, a.top, a.right, a.bottom, 2.0f, Rgb(170, 190, 230, 220));
}

void DrawCoin(Canvas& c, const CellName& n, const Area& a) {
    const float turn = n.frames > 1 ? static_cast<float>(n.frame) / n.frames * kPi : 0.0f;
    const float R = a.Small() * 0.42f, rx = std::max(R * std::fabs(std::cos(turn)), R * 0.18f);
    const Sdf coin = Ellipse(a.CentreX(), a.CentreY(), rx, R);
    c.Shape(coin, a.left, a.top, a.right, a.bottom, Shaded(Rgb(255, 200, 40), a, 1.5f));
    if (rx > R * 0.5f) {
        c.Shape(Star(a.CentreX(), a.CentreY(), R * 0.5f * rx / R, R * 0.22f * rx / R, 5), a.left, a.top, a.right,
                a.bottom, Rgb(255, 250, 190));
    }
}

// A rank mark: frame 0 empty, the others a gold star.
void DrawMark(Canvas& c, const CellName& n, const Area& a) {
    const Sdf star = Star(a.CentreX(), a.CentreY() + a.Height() * 0.04f, a.Small() * 0.46f, a.Small() * 0.2f, 5);
    if (n.frame == 0) {
        c.Edge(star, a.left, a.top, a.right, a.bottom, 1.5f, Rgb(200, 200, 210));
    } else {
        c.Shape(star, a.left, a.top, a.right, a.bottom, Shaded(Rgb(255, 210, 60), a, 1.2f));
    }
}

void DrawEmblem(Canvas& c, const CellName& n, const Area& a) {
    const float R = a.Small() * 0.48f, cx = a.CentreX(), cy = a.CentreY();
    c.Shape(Ring(cx, cy, R, R * 0.84f), a.left, a.top, a.right, a.bottom, Rgb(230, 190, 80, 230));
    for (int i = 0; i < 16; ++i) {
        const float t = i * kPi / 8;
        c.Shape(Ellipse(cx + std::cos(t) * R * 0.92f, cy + std::sin(t) * R * 0.92f, R * 0.03f, R * 0.03f), a.left,
                a.top, a.right, a.bottom, Rgb(120, 80, 20));
    }
    c.Shape(Star(cx, cy, R * 0.8f, R * 0.3f, 8), a.left, a.top, a.right, a.bottom, Rgb(90, 140, 230, 200));
    c.Shape(Star(cx, cy, R * 0.55f, R * 0.2f, 4), a.left, a.top, a.right, a.bottom, Rgb(240, 245, 255, 230));
    // One arm longer and red, so that the turning shows.
    c.Shape(Polygon({cx - R * 0.08f, cy, cx, cy - R * 0.82f, cx + R * 0.08f, cy}), a.left, a.top, a.right, a.bottom,
            Rgb(230, 60, 60));
    CornerLabel(c, {cx - R * 0.3f, cy + R * 0.3f, a.right, a.bottom}, n.base);
}

void DrawPicture(Canvas& c, const CellName& n, const Area& a) {
    c.Shape(Box(a.left, a.top, a.right, a.bottom), a.left, a.top, a.right, a.bottom, [&](float, float y, float) {
        return Mix(Rgb(60, 90, 160, 230), Rgb(230, 160, 120, 230), (y - a.top) / a.Height());
    });
    const u32 key = NameHash(n.base);
    for (int layer = 0; layer < 2; ++layer) {
        std::vector<float> p{a.left, a.bottom};
        for (int i = 0; i <= 16; ++i) {
            const float x = a.left + a.Width() * i / 16;
            const float wave = std::sin(i * (0.6f + layer * 0.3f) + Unit(key, layer) * 6) * 0.08f;
            p.push_back(x);
            p.push_back(a.top + a.Height() * (0.6f + 0.12f * layer + wave));
        }
        p.push_back(a.right);
        p.push_back(a.bottom);
        c.Shape(Polygon(std::move(p)), a.left, a.top, a.right, a.bottom,
                Rgb(30 + 30 * layer, 50 + 30 * layer, 60, 240));
    }
    c.Outline(static_cast<int>(a.left), static_cast<int>(a.top), static_cast<int>(a.right) - 1,
              static_cast<int>(a.bottom) - 1, Rgb(240, 230, 200), 3);
    CornerLabel(c, {a.left + 6, a.top + 6, a.right, a.bottom}, n.base);
}

}  // namespace

void DrawWords(Canvas& canvas, const Area& area, const std::string& text, Colour top, Colour bottom, int maxScale,
               const WordsScale& scale) {
    const int pad = std::max(1, static_cast<int>(area.Small() * 0.08f));
    const int width = static_cast<int>(area.Width()) - 2 * pad, height = static_cast<int>(area.Height()) - 2 * pad;
    Layout l = scale.x > 0 ? Layout{{text}, scale.x, scale.y} : Fit(text, width, height, maxScale);
    if (l.sx == 0) {
        // Tall narrow cells stack the letters; anything else is cut to fit.
        std::string stack;
        for (char ch : text) {
            if (ch != ' ') stack += ch;
        }
        const int s = std::min(width / kGlyphWidth, height / std::max<int>(1, static_cast<int>(stack.size()) * 9));
        if (area.Height() > 2 * area.Width() && s >= 1) {
            for (char ch : stack) l.lines.push_back(std::string(1, ch));
            l.sx = l.sy = s;
        } else {
            std::string cut = text;
            while (cut.size() > 1 && TextCells(cut) > width) cut.pop_back();
            l = {{cut}, 1, 1};
        }
    }
    const int lineHeight = (kGlyphHeight - 1) * l.sy, gap = l.lines.size() > 4 ? l.sy : 2 * l.sy;
    const int total = static_cast<int>(l.lines.size()) * lineHeight + (static_cast<int>(l.lines.size()) - 1) * gap;
    int y = static_cast<int>(area.CentreY()) - total / 2;
    const int outline = l.sx >= 3 ? std::max(1, l.sx / 3) : 1;
    for (const std::string& line : l.lines) {
        const int x = static_cast<int>(area.CentreX()) - TextCells(line) * l.sx / 2;
        canvas.Text(x, y, line, l.sx, l.sy, top, bottom, kInk, outline);
        y += lineHeight + gap;
    }
}

void CornerLabel(Canvas& canvas, const Area& area, const std::string& text) {
    if (text.empty() || area.Width() < TextCells(text) + 6 || area.Height() < 3 * kGlyphHeight) {
        // Too small for the whole label: the first word, if that fits.
        const std::string first = text.substr(0, text.find(' '));
        if (first.empty() || first == text || area.Width() < TextCells(first) + 6 || area.Height() < 3 * kGlyphHeight)
            return;
        CornerLabel(canvas, area, first);
        return;
    }
    canvas.Text(static_cast<int>(area.left) + 2, static_cast<int>(area.top) + 2, text, 1, 1, Rgb(255, 255, 255, 160),
                Rgb(255, 255, 255, 160), Rgb(0, 0, 0, 110), 1);
}

void DrawFace(Canvas& c, const Area& a, u32 character, int expression) {
    static const Colour kSkins[] = {Rgb(250, 218, 190), Rgb(236, 196, 160), Rgb(205, 160, 120), Rgb(245, 225, 210)};
    static const Colour kHair[] = {Rgb(40, 30, 30),  Rgb(120, 70, 30),   Rgb(230, 200, 110), Rgb(60, 60, 140),
                                   Rgb(170, 40, 50), Rgb(200, 200, 210), Rgb(40, 110, 70),   Rgb(230, 120, 170)};
    static const Colour kEyes[] = {Rgb(60, 110, 200), Rgb(90, 60, 40), Rgb(50, 140, 90), Rgb(170, 50, 60)};
    const Colour skin = kSkins[character % 4], hair = kHair[(character / 4) % 8], eye = kEyes[(character / 32) % 4];
    const float w = a.Width(), h = a.Height(), cx = a.CentreX();
    // A backdrop in the character's colour.
    c.Shape(Box(a.left + 2, a.top + 2, a.right - 2, a.bottom - 2, 10), a.left, a.top, a.right, a.bottom,
            [&](float, float y, float) { return Mix(Mix(hair, kWhite, 0.55f), Scale(hair, 0.6f), (y - a.top) / h); });
    // Shoulders, neck, head, hair.
    c.Shape(Ellipse(cx, a.bottom + h * 0.08f, w * 0.42f, h * 0.28f), a.left, a.top, a.right, a.bottom,
            Shaded(Mix(hair, Rgb(60, 70, 110), 0.6f), a, 1.5f));
    c.Shape(Box(cx - w * 0.08f, a.top + h * 0.6f, cx + w * 0.08f, a.top + h * 0.85f), a.left, a.top, a.right, a.bottom,
            Scale(skin, 0.85f));
    c.Shape(Ellipse(cx, a.top + h * 0.4f, w * 0.36f, h * 0.42f), a.left, a.top, a.right, a.bottom,
            Shaded(hair, a, 1.5f));
    c.Shape(Ellipse(cx, a.top + h * 0.5f, w * 0.27f, h * 0.31f), a.left, a.top, a.right, a.bottom,
            [&](float, float, float d) { return d > -1.5f ? Scale(skin, 0.6f) : skin; });
    c.Shape(
        Polygon({cx - w * 0.3f, a.top + h * 0.36f, cx - w * 0.2f, a.top + h * 0.14f, cx + w * 0.25f, a.top + h * 0.15f,
                 cx + w * 0.3f, a.top + h * 0.38f, cx + w * 0.1f, a.top + h * 0.3f, cx - w * 0.05f, a.top + h * 0.36f}),
        a.left, a.top, a.right, a.bottom, Shaded(hair, a, 1.5f));
    // Eyes, brows and mouth by expression.
    const float ey = a.top + h * 0.5f, er = w * 0.055f;
    for (float side : {-1.0f, 1.0f}) {
        const float ex = cx + side * w * 0.11f;
        const float open = expression == 3 ? 1.3f : expression == 1 ? 0.55f : 1.0f;
        c.Shape(Ellipse(ex, ey, er, er * 1.3f * open), a.left, a.top, a.right, a.bottom, kWhite);
        c.Shape(Ellipse(ex, ey + er * 0.2f, er * 0.6f, er * 0.9f * open), a.left, a.top, a.right, a.bottom, eye);
        c.Shape(Ellipse(ex - er * 0.2f, ey - er * 0.2f, er * 0.22f, er * 0.22f), a.left, a.top, a.right, a.bottom,
                kWhite);
        const float tilt = expression == 2 ? 0.06f : expression == 3 ? -0.03f : 0.0f;
        c.Shape(Capsule(ex - side * er * 1.2f, ey - h * (0.09f + tilt), ex + side * er * 1.2f, ey - h * (0.09f - tilt),
                        std::max(1.0f, w * 0.012f)),
                a.left, a.top, a.right, a.bottom, Scale(hair, 0.6f));
    }
    const float my = a.top + h * 0.68f;
    const Colour lips = Rgb(170, 60, 60);
    switch (expression) {
        case 1:
            c.Shape(Intersect(Ellipse(cx, my - h * 0.02f, w * 0.08f, h * 0.05f),
                              Box(a.left, my - h * 0.02f, a.right, a.bottom)),
                    a.left, a.top, a.right, a.bottom, lips);
            break;
        case 2:
            c.Shape(Capsule(cx - w * 0.07f, my + h * 0.01f, cx + w * 0.07f, my - h * 0.01f, std::max(1.0f, w * 0.012f)),
                    a.left, a.top, a.right, a.bottom, lips);
            break;
        case 3: c.Shape(Ellipse(cx, my, w * 0.035f, h * 0.045f), a.left, a.top, a.right, a.bottom, lips); break;
        default:
            c.Shape(Capsule(cx - w * 0.05f, my, cx + w * 0.05f, my, std::max(1.0f, w * 0.01f)), a.left, a.top, a.right,
                    a.bottom, lips);
            break;
    }
}

void DrawSpeech(Canvas& c, const Area& a, const std::string& sheet, int cell) {
    // "speech01a" cell 3 is talk 1A, line 4.
    std::string id = sheet.size() > 6 ? sheet.substr(6) : sheet;
    if (!id.empty() && id[0] == '0') id.erase(0, 1);
    for (char& ch : id) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    DrawWords(c, a, "TALK " + id + " LINE " + std::to_string(cell + 1), kWhite, Rgb(200, 230, 255), 3);
}

void DrawCell(Canvas& canvas, const std::string& sheet, const CellName& name, const Area& area,
              const WordsScale& scale) {
    const Look look = LookOf(sheet, name);
    switch (look) {
        case Look::kText: DrawText(canvas, sheet, name, area, scale); break;
        case Look::kPanel: DrawPanel(canvas, name, area); break;
        case Look::kCraft: DrawCraft(canvas, sheet, name, area); break;
        case Look::kFortress: DrawFortress(canvas, name, area); break;
        case Look::kArmour: DrawArmour(canvas, sheet, name, area); break;
        case Look::kLayer: DrawLayer(canvas, sheet, name, area); break;
        case Look::kFlame: DrawFlame(canvas, name, area); break;
        case Look::kPlayer: DrawPlayer(canvas, name, area); break;
        case Look::kPropeller: DrawPropeller(canvas, name, area); break;
        case Look::kPlayerShot: DrawPlayerShot(canvas, area); break;
        case Look::kPlayerMissile:
            Rocket(canvas, area, kPlayerHull, kPlayerTrim, Rgb(255, 80, 60), 0.2f, name.frame);
            break;
        case Look::kIcon: DrawIcon(canvas, name, area); break;
        case Look::kSlot: DrawSlot(canvas, area); break;
        case Look::kCoin: DrawCoin(canvas, name, area); break;
        case Look::kBullet: DrawBullet(canvas, name, area); break;
        case Look::kRocket: Rocket(canvas, area, Rgb(150, 150, 140), kShellStripe, kShellTip, 0.18f, name.frame); break;
        case Look::kShell: DrawShell(canvas, name, area); break;
        case Look::kMine: DrawMine(canvas, name, area); break;
        case Look::kOrb: DrawOrb(canvas, name, area); break;
        case Look::kBurst: DrawBurst(canvas, name, area); break;
        case Look::kPuff: DrawPuff(canvas, name, area); break;
        case Look::kBlast: DrawBlast(canvas, name, area); break;
        case Look::kSpark: DrawSpark(canvas, name, area); break;
        case Look::kFlash: DrawFlash(canvas, area); break;
        case Look::kFire: DrawFire(canvas, name, area); break;
        case Look::kTarget: DrawTarget(canvas, name, area); break;
        case Look::kDial: DrawDial(canvas, name, area); break;
        case Look::kHand: DrawHand(canvas, area); break;
        case Look::kGauge: DrawGauge(canvas, area); break;
        case Look::kBar: DrawBar(canvas, area); break;
        case Look::kMark: DrawMark(canvas, name, area); break;
        case Look::kEmblem: DrawEmblem(canvas, name, area); break;
        case Look::kFace:
            DrawFace(canvas, area, NameHash(sheet + "/" + name.base), name.kind >= 0 ? name.kind % 4 : name.frame % 4);
            break;
        case Look::kBalloon: DrawBalloon(canvas, name, area); break;
        case Look::kSpeech: DrawSpeech(canvas, area, sheet, std::max(name.kind, 0)); break;
        case Look::kPicture: DrawPicture(canvas, name, area); break;
    }
    // Words are their own label; these looks place theirs themselves.
    switch (look) {
        case Look::kText:
        case Look::kPanel:
        case Look::kBalloon:
        case Look::kDial:
        case Look::kEmblem:
        case Look::kFortress:
        case Look::kPlayer:
        case Look::kSpeech:
        case Look::kPicture: break;
        case Look::kFace:
            CornerLabel(canvas, {area.left + 3, area.top + 3, area.right, area.bottom}, name.label);
            break;
        default:
            // Bullets, shots, coins and the like are too small to carry one.
            if (area.Small() >= 48) CornerLabel(canvas, area, name.label);
            break;
    }
}

}  // namespace art

CellName ParseCellName(const std::string& label) {
    CellName n;
    n.label = label;
    n.base = label;
    const std::size_t hash = label.rfind('#');
    if (hash != std::string::npos && hash + 1 < label.size() && hash > 0 &&
        std::all_of(label.begin() + static_cast<std::ptrdiff_t>(hash) + 1, label.end(),
                    [](unsigned char c) { return std::isdigit(c); }) &&
        label.size() - hash <= 4) {
        n.base = label.substr(0, hash);
        n.frame = std::stoi(label.substr(hash + 1));
    }
    std::string word;
    for (char c : n.base + " ") {
        if (c == ' ' || c == ',') {
            if (!word.empty()) n.words.push_back(word);
            word.clear();
        } else {
            word += c;
        }
    }
    for (const std::string& w : n.words) {
        if (!w.empty() && w.size() <= 6 &&
            std::all_of(w.begin(), w.end(), [](unsigned char c) { return std::isdigit(c); })) {
            n.kind = std::stoi(w);
            break;
        }
        if (n.kind < 0 && w != n.words.front()) break;
    }
    return n;
}

Look LookOf(const std::string& sheet, const CellName& name) {
    static const std::pair<const char*, Look> kCraftWords[] = {
        // clang-format off
        {"flame", Look::kFlame},  {"flames", Look::kFlame},      {"exhaust", Look::kFlame},
        {"jet", Look::kFlame},    {"haze", Look::kFlame},        {"layer", Look::kLayer},
        {"layers", Look::kLayer}, {"under-layer", Look::kLayer}, {"plate", Look::kArmour},
        {"foot", Look::kArmour},
    };
    static const std::pair<const char*, Look> kPictureWords[] = {
        {"panel", Look::kPanel},      {"player", Look::kPlayer},    {"propeller", Look::kPropeller},
        {"shot", Look::kPlayerShot},  {"missile", Look::kPlayerMissile}, {"icon", Look::kIcon},
        {"slot", Look::kSlot},        {"coin", Look::kCoin},        {"bullet", Look::kBullet},
        {"rocket", Look::kRocket},    {"shell", Look::kShell},      {"mine", Look::kMine},
        {"orb", Look::kOrb},          {"burst", Look::kBurst},      {"puff", Look::kPuff},
        {"blast", Look::kBlast},      {"spark", Look::kSpark},      {"flash", Look::kFlash},
        {"fire", Look::kFire},        {"target", Look::kTarget},    {"dial", Look::kDial},
        {"hand", Look::kHand},        {"gauge", Look::kGauge},      {"bar", Look::kBar},
        {"mark", Look::kMark},        {"emblem", Look::kEmblem},    {"face", Look::kFace},
        {"balloon", Look::kBalloon},  {"speech", Look::kSpeech},    {"picture", Look::kPicture},
        // clang-format on
        {"flame", Look::kFlame},
    };
    const bool craftSheet = sheet.rfind("enemy", 0) == 0 || sheet.rfind("boss", 0) == 0 || sheet.rfind("shiro", 0) == 0;
    for (const std::string& w : name.words) {
        if (craftSheet) {
            for (const auto& [word, look] : kCraftWords) {
                if (w == word) return look;
            }
        } else {
            for (const auto& [word, look] : kPictureWords) {
                if (w == word) return look;
            }
        }
    }
    if (!craftSheet) return Look::kText;
    return sheet.rfind("shiro", 0) == 0 ? Look::kFortress : Look::kCraft;
}
