#include "tools/sampledata/cell_list.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include "tools/sampledata/manifest.h"

namespace {

// A whole positive number, all of `text`; 0 otherwise.
int Positive(const std::string& text) {
    if (text.empty() || text.size() > 4 || text.find_first_not_of("0123456789") != std::string::npos) return 0;
    return std::stoi(text);
}

bool ParseOptions(const std::string& text, SampleCell& cell) {
    std::stringstream words(text);
    std::string word;
    while (words >> word) {
        const std::size_t eq = word.find('=');
        if (eq == std::string::npos) return false;
        const std::string key = word.substr(0, eq), value = word.substr(eq + 1);
        if (key == "scale") {
            const std::size_t x = value.find('x');
            cell.scaleX = Positive(value.substr(0, x));
            cell.scaleY = x == std::string::npos ? cell.scaleX : Positive(value.substr(x + 1));
            if (cell.scaleX == 0 || cell.scaleY == 0) return false;
        } else if (key == "pitch") {
            cell.pitch = Positive(value);
            if (cell.pitch == 0) return false;
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace

bool LoadImageCells(const std::string& path, std::map<std::string, std::vector<SampleCell>>& out, std::string& error) {
    std::ifstream in(path);
    if (!in) {
        error = "cannot open " + path;
        return false;
    }
    return ForEachTabLine(in, [&](const std::vector<std::string>& f, int number) {
        SampleCell cell;
        bool ok = f.size() == 7 || f.size() == 8;
        try {
            if (ok) {
                cell.label = f[2];
                cell.left = std::stoi(f[3]);
                cell.top = std::stoi(f[4]);
                cell.right = std::stoi(f[5]);
                cell.bottom = std::stoi(f[6]);
                if (f.size() == 8) ok = ParseOptions(f[7], cell);
            }
        } catch (const std::exception&) {
            ok = false;
        }
        if (!ok) {
            error = path + ":" + std::to_string(number) + ": bad cell line";
            return false;
        }
        out[f[1]].push_back(std::move(cell));
        return true;
    });
}

std::optional<CellGrid> GridOf(const std::string& name) {
    if (name.rfind("face", 0) == 0) return CellGrid{4, 128, 128, 16};
    if (name.rfind("speech", 0) == 0) return CellGrid{5, 100, 240, 10};
    return std::nullopt;
}

SampleCell GridCell(const CellGrid& grid, int i) {
    SampleCell c;
    c.left = grid.width * (i % grid.columns);
    c.top = grid.height * (i / grid.columns);
    c.right = c.left + grid.width - 1;
    c.bottom = c.top + grid.height - 1;
    return c;
}

std::vector<SampleCell> DrawnCells(const std::string& name, const std::string& kind, int width, int height,
                                   const std::vector<SampleCell>& cells) {
    SampleCell whole;
    whole.label = name;
    whole.right = width - 1;
    whole.bottom = height - 1;
    if (kind == "surface" || name == "black") return {whole};
    std::vector<SampleCell> drawn;
    if (!cells.empty()) {
        drawn = cells;
    } else if (const std::optional<CellGrid> grid = GridOf(name)) {
        for (int i = 0; i < grid->count; ++i) drawn.push_back(GridCell(*grid, i));
    } else {
        return {whole};
    }
    std::vector<SampleCell> clipped;
    for (SampleCell c : drawn) {
        c.left = std::max(c.left, 0);
        c.top = std::max(c.top, 0);
        c.right = std::min(c.right, width - 1);
        c.bottom = std::min(c.bottom, height - 1);
        if (c.left <= c.right && c.top <= c.bottom) clipped.push_back(std::move(c));
    }
    return clipped;
}
