#pragma once
// What the sample pictures show. Every texture cell is drawn by what it is,
// and what it is follows from its sheet and its label alone (image_cells.tsv):
//
// - On the enemy sheets ("enemy..", "boss..", "shiro..") a cell is a craft
//   of the sprite kind its label starts with: enemies, bosses and their parts
//   as silhouettes, the castle's kinds as stonework; labels naming a flame,
//   exhaust, jet or haze are flames, a layer a turning glow, a plate or foot
//   an armour piece.
// - On every other sheet the first word of the label that names a picture
//   ("panel", "bullet", "burst", "face", ... see LookOf) decides; any other
//   label is words and is written in the cell: menu entries, banners, digits.
// - "#n" ends the label of frame n of an animation or a facing; the frames
//   of one base label are drawn as steps of one movement.
//
// A new row needs no code: its sheet and its words pick the drawing. Every
// picture cell carries its label small in a corner.
#include <string>
#include <vector>

#include "engine/core/types.h"
#include "tools/sampledata/canvas.h"
#include "tools/sampledata/cell_list.h"

enum class Look {
    kText,
    kPanel,
    kCraft,
    kFortress,
    kArmour,
    kLayer,
    kFlame,
    kPlayer,
    kPropeller,
    kPlayerShot,
    kPlayerMissile,
    kIcon,
    kSlot,
    kCoin,
    kBullet,
    kRocket,
    kShell,
    kMine,
    kOrb,
    kBurst,
    kPuff,
    kBlast,
    kSpark,
    kFlash,
    kFire,
    kTarget,
    kDial,
    kHand,
    kGauge,
    kBar,
    kMark,
    kEmblem,
    kFace,
    kBalloon,
    kSpeech,
    kPicture,
};

// A label taken apart: "211#3" is base "211", frame 3; `words` are the base's
// words without commas; `kind` the number the base starts with (-1 none).
struct CellName {
    std::string label;
    std::string base;
    std::vector<std::string> words;
    int frame = 0;
    int frames = 1;  // frames of the same base on the sheet
    int kind = -1;
};

CellName ParseCellName(const std::string& label);
Look LookOf(const std::string& sheet, const CellName& name);

// The whole picture `name` of `kind` ("texture" or "surface") as BGRA
// pixels, with its cells drawn.
std::vector<u8> PaintSamplePicture(const std::string& name, const std::string& kind, int width, int height,
                                   const std::vector<SampleCell>& cells);

// Pieces shared by the cell looks and the whole pictures.
namespace art {

struct Area {
    float left, top, right, bottom;  // right and bottom exclusive
    float Width() const { return right - left; }
    float Height() const { return bottom - top; }
    float CentreX() const { return (left + right) / 2; }
    float CentreY() const { return (top + bottom) / 2; }
    float Small() const { return Width() < Height() ? Width() : Height(); }
};

// Pixels per font cell across and down (0: the largest size that fits).
struct WordsScale {
    int x = 0, y = 0;
};

// The cell `name` of the sheet into `area` (already clipped); the words of a
// text cell at `scale`.
void DrawCell(Canvas& canvas, const std::string& sheet, const CellName& name, const Area& area,
              const WordsScale& scale = {});
// Words centred in the area: on one line at `scale` when it is given, else
// fitted (wrapped onto up to four lines, no larger than `maxScale`).
void DrawWords(Canvas& canvas, const Area& area, const std::string& text, Colour top, Colour bottom, int maxScale = 12,
               const WordsScale& scale = {});
// The small debugging label in the top-left corner, when the area has room.
void CornerLabel(Canvas& canvas, const Area& area, const std::string& text);
// A face by character and expression (0 calm, 1 smiling, 2 angry, 3 surprised).
void DrawFace(Canvas& canvas, const Area& area, u32 character, int expression);
// Written lines of a talk balloon.
void DrawSpeech(Canvas& canvas, const Area& area, const std::string& sheet, int cell);

}  // namespace art
