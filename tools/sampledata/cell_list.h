#pragma once
// The cells of the sample pictures (image_cells.tsv) and where the generator
// draws: the listed cells of a sheet, the fixed grid of the face and speech
// sheets, or the whole picture.
#include <map>
#include <optional>
#include <string>
#include <vector>

struct SampleCell {
    std::string label;
    int left = 0, top = 0, right = 0, bottom = 0;  // inclusive
    // The words written at this many pixels per font cell across and down
    // (0: the largest size that fits the cell), so that the rows of a list
    // read alike.
    int scaleX = 0, scaleY = 0;
    // A row of a list shown at this pitch: what the cell shows stays within
    // its top `pitch` rows, so that rows drawn 1:1 at that pitch do not run
    // into each other (0: the whole cell).
    int pitch = 0;
};

// Every cell of the list by picture name, in the file's order. The optional
// eighth field holds the cell's options separated by spaces: "scale=N" or
// "scale=NxM" (across x down) and "pitch=N". False with a message naming the
// line for a malformed line.
bool LoadImageCells(const std::string& path, std::map<std::string, std::vector<SampleCell>>& out, std::string& error);

// A picture used on a fixed grid rather than by listed cells: `count` cells of
// width x height, `columns` to a row from the top left.
struct CellGrid {
    int columns = 0, width = 0, height = 0, count = 0;
};
// Face sheets ("face..."): sixteen faces of 128 x 128, four to a row. Speech
// sheets ("speech..."): ten lines of 100 x 240, five to a row. A picture with
// listed cells is drawn by those instead.
std::optional<CellGrid> GridOf(const std::string& name);
// Cell `i` of the grid.
SampleCell GridCell(const CellGrid& grid, int i);

// The rectangles the generator draws on the picture `name` of `kind`
// ("texture" or "surface") with its listed `cells`, clipped to the picture.
std::vector<SampleCell> DrawnCells(const std::string& name, const std::string& kind, int width, int height,
                                   const std::vector<SampleCell>& cells);
