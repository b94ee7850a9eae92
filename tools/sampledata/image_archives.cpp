// The sample image archives: every picture the game loads, drawn by what it
// shows in the game (see art.h), each cell with its label in a corner so that
// a screenshot still tells which picture and which cell ended up where.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "engine/image/lag_archive.h"
#include "tools/sampledata/art.h"
#include "tools/sampledata/manifest.h"
#include "tools/sampledata/output.h"
#include "tools/sampledata/writers.h"

namespace {

int FormatOf(const ManifestEntry& e) {
    for (const std::string& p : e.params) {
        if (p.rfind("format=", 0) == 0) return std::stoi(p.substr(7));
    }
    return kLagLayout8888 + kLagCompressed;
}

}  // namespace

bool WriteImageArchives(const std::string& dir, const Manifest& manifest) {
    std::map<std::string, std::vector<SampleCell>> cells;
    std::string error;
    if (!LoadImageCells(TOLVARIN_IMAGE_CELLS, cells, error)) {
        std::fprintf(stderr, "make_sample_data: %s\n", error.c_str());
        return false;
    }
    std::map<std::string, std::vector<LagWriteEntry>> archives;
    for (const ManifestEntry& e : manifest.entries) {
        if (e.kind != "texture" && e.kind != "surface") continue;
        LagWriteEntry w;
        w.name = e.name;
        w.width = e.width;
        w.height = e.height;
        w.format = FormatOf(e);
        const std::vector<u8> bgra = PaintSamplePicture(e.name, e.kind, e.width, e.height, cells[e.name]);
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
