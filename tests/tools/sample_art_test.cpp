#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"
#include "tools/sampledata/art.h"
#include "tools/sampledata/glyphs.h"
#include "tools/sampledata/manifest.h"

namespace {

struct Row {
    std::string sheet;
    SampleCell cell;
};

std::vector<Row> CellRows() {
    std::map<std::string, std::vector<SampleCell>> cells;
    std::string error;
    EXPECT_TRUE(LoadImageCells(TOLVARIN_IMAGE_CELLS, cells, error)) << error;
    std::vector<Row> rows;
    for (const auto& [sheet, list] : cells) {
        for (const SampleCell& cell : list) rows.push_back({sheet, cell});
    }
    return rows;
}

std::map<std::string, ManifestEntry> Images() {
    Manifest manifest;
    std::string error;
    EXPECT_TRUE(LoadManifest(TOLVARIN_MANIFEST, manifest, error)) << error;
    std::map<std::string, ManifestEntry> images;
    for (const ManifestEntry& e : manifest.entries) images[e.name] = e;
    return images;
}

u8 AlphaAt(const std::vector<u8>& bgra, int width, int x, int y) {
    return bgra[(static_cast<std::size_t>(y) * width + x) * 4 + 3];
}

int Brightest(const std::vector<u8>& bgra, std::size_t i) { return std::max({bgra[i], bgra[i + 1], bgra[i + 2]}); }

// What a label draws follows from its sheet and words alone, so that rows
// added for the later stages need no code.
TEST(SampleArt, LooksFollowSheetAndWords) {
    struct Case {
        const char* sheet;
        const char* label;
        Look look;
    };
    const Case cases[] = {
        {"enemy02", "211#7", Look::kCraft},
        {"enemy04_5", "481#1", Look::kCraft},
        {"boss01", "152 exhaust 1#2", Look::kFlame},
        {"shiro2", "1201 flame#1", Look::kFlame},
        {"shiro1", "1001 ring tile#3", Look::kFortress},
        {"shiro1", "1009 layer 2#0", Look::kLayer},
        {"boss02_3", "258 plate", Look::kArmour},
        {"enemy04_3", "403 haze of the body", Look::kFlame},
        {"missile", "bullet 999 needle", Look::kBullet},
        {"effect", "burst big#5", Look::kBurst},
        {"picture", "player#3", Look::kPlayer},
        {"title", "STAGE SELECT", Look::kText},
        {"result", "<> choose  Z enter  X back", Look::kText},
        {"name", "q", Look::kText},
        {"title2", "panel STAGE 4", Look::kPanel},
        {"window", "balloon#2", Look::kBalloon},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LookOf(c.sheet, ParseCellName(c.label)), c.look) << c.sheet << " " << c.label;
    }

    const CellName flame = ParseCellName("101, 141 flame 1#2");
    EXPECT_EQ(flame.base, "101, 141 flame 1");
    EXPECT_EQ(flame.frame, 2);
    EXPECT_EQ(flame.kind, 101);
    const CellName facing = ParseCellName("211#9");
    EXPECT_EQ(facing.base, "211");
    EXPECT_EQ(facing.frame, 9);
    EXPECT_EQ(facing.kind, 211);
    // A '#' that does not end in a frame number is part of the words.
    EXPECT_EQ(ParseCellName("#").base, "#");
    EXPECT_EQ(ParseCellName("No.#x").frame, 0);
}

// Every cell of the list, drawn alone, shows something within its rectangle
// and nothing outside it; the words of every text cell are in the font.
TEST(SampleArt, EveryCellDrawsWithinItsRectangle) {
    const std::map<std::string, ManifestEntry> images = Images();
    for (const Row& row : CellRows()) {
        SCOPED_TRACE(row.sheet + " \"" + row.cell.label + "\"");
        const auto image = images.find(row.sheet);
        ASSERT_NE(image, images.end()) << "a cell on a picture the manifest lacks";
        const ManifestEntry& e = image->second;
        if (LookOf(row.sheet, ParseCellName(row.cell.label)) == Look::kText) {
            for (char c : row.cell.label) EXPECT_TRUE(HasGlyph(c)) << "no glyph for '" << c << "'";
        }
        const std::vector<u8> bgra = PaintSamplePicture(e.name, e.kind, e.width, e.height, {row.cell});
        int inside = 0, outside = 0;
        for (int y = 0; y < e.height; ++y) {
            for (int x = 0; x < e.width; ++x) {
                if (AlphaAt(bgra, e.width, x, y) == 0) continue;
                const bool in = x >= row.cell.left && x <= row.cell.right && y >= row.cell.top && y <= row.cell.bottom;
                (in ? inside : outside) += 1;
            }
        }
        EXPECT_GT(inside, 0);
        EXPECT_EQ(outside, 0);
    }
}

// Backgrounds stay darker than what flies over them; bullets are bright with a
// white core, and brighter than the enemies.
TEST(SampleArt, GroundIsDarkBulletsAreBright) {
    const std::map<std::string, ManifestEntry> images = Images();
    // One background of every stage's art.
    for (const char* name : {"bgp01-1", "bgp02", "bgp03_4", "bgp04_2", "bgp05"}) {
        const ManifestEntry& e = images.at(name);
        const std::vector<u8> bgra = PaintSamplePicture(name, e.kind, e.width, e.height, {});
        int brightest = 0;
        for (std::size_t i = 0; i < bgra.size(); i += 4) brightest = std::max(brightest, Brightest(bgra, i));
        EXPECT_LE(brightest, 160) << name;
    }
    const auto mean = [&](const Row& row) {
        const ManifestEntry& e = images.at(row.sheet);
        const std::vector<u8> bgra = PaintSamplePicture(e.name, e.kind, e.width, e.height, {row.cell});
        long sum = 0, count = 0;
        int brightest = 0;
        for (std::size_t i = 0; i < bgra.size(); i += 4) {
            if (bgra[i + 3] < 200) continue;
            sum += (bgra[i] + bgra[i + 1] + bgra[i + 2]) / 3;
            ++count;
            brightest = std::max(brightest, Brightest(bgra, i));
        }
        return std::pair<double, int>(count ? static_cast<double>(sum) / count : 0.0, brightest);
    };
    double darkestBullet = 255, brightestCraft = 0;
    for (const Row& row : CellRows()) {
        const Look look = LookOf(row.sheet, ParseCellName(row.cell.label));
        if (look == Look::kBullet) {
            const auto [m, top] = mean(row);
            EXPECT_GE(top, 250) << row.cell.label;
            darkestBullet = std::min(darkestBullet, m);
        } else if (look == Look::kCraft && (row.sheet == "enemy01" || row.sheet == "enemy02")) {
            brightestCraft = std::max(brightestCraft, mean(row).first);
        }
    }
    EXPECT_GT(darkestBullet, brightestCraft);
}

// A cell line's eighth field: the words' scale and the list's pitch; a
// malformed line is refused with its number.
TEST(SampleCellList, OptionsAreReadAndBadLinesRefused) {
    struct Case {
        const char* options;
        bool ok;
        int scaleX, scaleY, pitch;
    };
    const Case cases[] = {
        {"", true, 0, 0, 0},
        {"scale=2", true, 2, 2, 0},
        {"scale=1x2 pitch=22", true, 1, 2, 22},
        {"pitch=22  scale=3x1", true, 3, 1, 22},
        {"scale=0", false, 0, 0, 0},
        {"scale=2x", false, 0, 0, 0},
        {"scale=x2", false, 0, 0, 0},
        {"scale=-1", false, 0, 0, 0},
        {"pitch=", false, 0, 0, 0},
        {"pitch=0", false, 0, 0, 0},
        {"pitch=22px", false, 0, 0, 0},
        {"colour=red", false, 0, 0, 0},
        {"scale", false, 0, 0, 0},
    };
    testing_support::TempDir dir;
    const std::string path = (dir.path() / "cells.tsv").string();
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("\"") + c.options + "\"");
        {
            std::ofstream out(path, std::ios::trunc);
            out << "# a comment\nvsk4.dat\tendlist\tNo.1\t400\t0\t454\t29";
            if (*c.options) out << "\t" << c.options;
            out << "\n";
        }
        std::map<std::string, std::vector<SampleCell>> cells;
        std::string error;
        ASSERT_EQ(LoadImageCells(path, cells, error), c.ok) << error;
        if (!c.ok) {
            EXPECT_NE(error.find("cells.tsv:2:"), std::string::npos) << error;
            continue;
        }
        ASSERT_EQ(cells["endlist"].size(), 1u);
        const SampleCell& cell = cells["endlist"][0];
        EXPECT_EQ(cell.label, "No.1");
        EXPECT_EQ(cell.right, 454);
        EXPECT_EQ(cell.scaleX, c.scaleX);
        EXPECT_EQ(cell.scaleY, c.scaleY);
        EXPECT_EQ(cell.pitch, c.pitch);
    }
    // Too few fields, or a corner that is not a number.
    for (const char* line : {"vsk4.dat\tendlist\tNo.1\t400\t0\t454", "vsk4.dat\tendlist\tNo.1\t400\tx\t454\t29"}) {
        {
            std::ofstream out(path, std::ios::trunc);
            out << line << "\n";
        }
        std::map<std::string, std::vector<SampleCell>> cells;
        std::string error;
        EXPECT_FALSE(LoadImageCells(path, cells, error)) << line;
        EXPECT_NE(error.find("cells.tsv:1:"), std::string::npos) << error;
    }
}

// The lists the game shows 1:1 at a pitch smaller than their cells (the
// endings list: 30-pixel cells 22 pixels apart) draw nothing below the
// pitch, so that the rows never run into each other; and the rows of one
// list write their words at one size (the words' solid core is as tall in
// each), "No.10" as large as "No.1", "NORMAL" as "EASY".
TEST(SampleArt, ListRowsKeepToTheirPitchAndReadAlike) {
    const std::map<std::string, ManifestEntry> images = Images();
    const std::vector<Row> rows = CellRows();
    struct List {
        const char* sheet;
        std::vector<std::string> labels;
        int pitch;  // rows apart on the screen, 0: not a list of rows
    };
    std::vector<List> lists = {{"endlist", {}, 22}, {"endlist", {}, 22}, {"name", {"EASY", "NORMAL", "HARD"}, 0}};
    for (int i = 1; i <= 18; ++i) {
        lists[0].labels.push_back("No." + std::to_string(i));
        lists[1].labels.push_back("ending " + std::to_string(i));
    }
    lists[1].labels.push_back("? ? ?");
    for (const List& list : lists) {
        std::set<int> heights[2];  // of words without and with letters that reach below the line
        for (const std::string& label : list.labels) {
            SCOPED_TRACE(std::string(list.sheet) + " \"" + label + "\"");
            const auto row = std::find_if(rows.begin(), rows.end(),
                                          [&](const Row& r) { return r.sheet == list.sheet && r.cell.label == label; });
            ASSERT_NE(row, rows.end());
            const SampleCell& cell = row->cell;
            const ManifestEntry& e = images.at(list.sheet);
            const std::vector<u8> bgra = PaintSamplePicture(e.name, e.kind, e.width, e.height, {cell});
            const int shownTo = list.pitch > 0 ? cell.top + list.pitch : cell.bottom + 1;
            int solidTop = e.height, solidBottom = -1, belowPitch = 0;
            for (int y = cell.top; y <= cell.bottom; ++y) {
                for (int x = cell.left; x <= cell.right; ++x) {
                    const u8 alpha = AlphaAt(bgra, e.width, x, y);
                    if (y >= shownTo && alpha != 0) ++belowPitch;
                    // The letters' fill is opaque; their outline and the plate are not.
                    if (alpha == 255) {
                        solidTop = std::min(solidTop, y);
                        solidBottom = std::max(solidBottom, y);
                    }
                }
            }
            EXPECT_EQ(belowPitch, 0) << "pixels drawn below the pitch";
            EXPECT_GE(solidBottom, 0) << "no words";
            heights[label.find_first_of("gjpqy") != std::string::npos ? 1 : 0].insert(solidBottom - solidTop);
        }
        for (const std::set<int>& h : heights) EXPECT_LE(h.size(), 1u) << list.sheet << " rows of different sizes";
    }
}

TEST(SampleArt, PaintingTwiceGivesTheSamePixels) {
    const std::map<std::string, ManifestEntry> images = Images();
    std::map<std::string, std::vector<SampleCell>> cells;
    for (const Row& row : CellRows()) cells[row.sheet].push_back(row.cell);
    for (const char* name : {"picture", "enemy01", "face02", "bgp01-1", "speech01a"}) {
        const ManifestEntry& e = images.at(name);
        EXPECT_EQ(PaintSamplePicture(name, e.kind, e.width, e.height, cells[name]),
                  PaintSamplePicture(name, e.kind, e.width, e.height, cells[name]))
            << name;
    }
}

}  // namespace
