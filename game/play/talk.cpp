#include "game/play/talk.h"

#include <cmath>
#include <numbers>

#include "game/play/stage_textures.h"
#include "game/shell/play_state.h"
#include "game/play/talk_events.h"
#include "game/shell/save_files.h"
#include "game/shell/sound_effects.h"

namespace {

constexpr i32 kTalkStartSound = 22;
constexpr u32 kShadowColour = 0x64000000;  // black at alpha 100
constexpr u32 kTextColour = 0xFFFFFFFF;    // text is never dimmed
constexpr i32 kBrightLevel = 255;
constexpr i32 kDimLevel = 150;
constexpr i32 kBlendAlpha = 1;

constexpr i32 kSideCentreX[2] = {60, 580};
constexpr i32 kShadowShift[2] = {4, -4};
// Frames of the open, close, enter and leave animations; a changing face
// shrinks for kFaceSwapFrames and grows for as many again.
constexpr i32 kOpenFrames = 30;
constexpr i32 kFaceSwapFrames = 10;

constexpr i32 kFaceHalfWidth = 60;
constexpr i32 kFaceTop = 310;
constexpr i32 kFaceBottom = 430;
constexpr i32 kShadowDrop = 4;
constexpr i32 kFaceCell = 128;
constexpr i32 kFacesPerImage = 16;

constexpr i32 kBalloonHalfWidth = 64;
constexpr i32 kTextHalfWidth = 50;
constexpr i32 kBalloonTop = 70;
constexpr i32 kBalloonBottom = 326;
constexpr i32 kTextBottom = 310;
constexpr i32 kBalloonColumnWidth = 128;
constexpr i32 kBalloonColumnHeight = 256;
constexpr i32 kTextCellWidth = 100;
constexpr i32 kTextCellHeight = 240;
constexpr i32 kTextCellsPerRow = 5;

// The line every event ends with: both sides empty and dim.
TalkLine ClosingLine(i32 duration) {
    TalkLine line;
    for (i32 side = 0; side < 2; ++side) {
        line.bright[side] = 0;
        line.speechCell[side] = -1;
        line.face[side] = -1;
        line.balloon[side] = -1;
    }
    line.duration = duration;
    return line;
}

TalkLine ToTalkLine(const TalkLineData& data) {
    TalkLine line;
    for (i32 side = 0; side < 2; ++side) {
        line.bright[side] = data.bright[side];
        line.speechCell[side] = data.speechCell[side];
        line.face[side] = data.face[side];
        line.balloon[side] = data.balloon[side];
    }
    line.duration = data.duration;
    return line;
}

// The start steps shared by every event.
void StartTalk(const TalkEventData& event) {
    TalkState& talk = g_TalkState;
    if (talk.active == 1 && talk.priority > event.priority) return;

    talk.priority = event.priority;
    talk.eventId = event.id;
    talk.active = 1;
    talk.lineFrame = 0;
    talk.lineIndex = 0;
    if (event.speechSheet >= 0) talk.speechSheet = event.speechSheet;

    ReleaseList(talk.lines);

    // Recorded whether or not talk is shown.
    if (event.storyFlag >= 0) g_GameState.StoryFlags[event.storyFlag] = 1;
    if (event.bonusStoryFlag >= 0 && g_GameState.BonusCount >= kTalkBonusFlagCount) {
        g_GameState.StoryFlags[event.bonusStoryFlag] = 1;
    }

    const std::span<const TalkLineData> lines = TalkEventLines(event);
    talk.lines.reserve(lines.size() + 1);
    for (const TalkLineData& line : lines) talk.lines.push_back(ToTalkLine(line));
    talk.lines.push_back(ClosingLine(event.closingDuration));

    if (g_ConfigData.showTalk != 0) PlaySoundEffect(kTalkStartSound);
}

void StartTalkAt(TalkEntry entry, i32 id) {
    if (const TalkEventData* event = FindTalkEvent(entry, id)) StartTalk(*event);
}

// full x sin(degrees) in double, truncated toward zero. The double sine of
// 30 degrees lies just below 1/2, so 60 sin(30) gives 29.
i32 AnimatedSize(i32 full, i32 degrees) {
    const f64 radians = static_cast<f64>(degrees) * (std::numbers::pi / 180.0);
    return static_cast<i32>(static_cast<f64>(full) * std::sin(radians));
}

u32 GreyColour(i32 level) {
    const u32 v = static_cast<u32>(level);
    return 0xFF000000u | (v << 16) | (v << 8) | v;
}

i32 Brightness(const TalkLine& line, i32 side) { return line.bright[side] != 0 ? kBrightLevel : kDimLevel; }

// A line with every value -1 stands in for the previous line of line 0.
const TalkLine& NoLine() {
    static const TalkLine none = ClosingLine(0);
    return none;
}

class QuadBuilder {
public:
    QuadBuilder(const TalkState& talk, std::vector<TalkQuad>& quads) : talk_(talk), quads_(quads) {}

    void Side(i32 side, const TalkLine& cur, const TalkLine& prev, i32 frame) {
        side_ = side;
        FaceStep(cur, prev, frame);
        BalloonStep(cur, prev, frame);
    }

private:
    i32 CentreX() const { return kSideCentreX[side_]; }
    i32 Shadow() const { return kShadowShift[side_]; }
    // A leaving face or closing balloon slides outward 2 pixels a frame.
    i32 SlideX(i32 frame) const { return side_ == 0 ? CentreX() - 2 * frame : CentreX() + 2 * frame; }

    void Add(TalkImage image, i32 sheet, const Rect& destination, const Rect& source, u32 colour) {
        TalkQuad quad;
        quad.image = image;
        quad.sheet = sheet;
        quad.destination = destination;
        quad.source = source;
        quad.colour = colour;
        quads_.push_back(quad);
    }

    void Face(i32 face, i32 halfWidth, i32 cx, i32 level) {
        const i32 sheet = face < kFacesPerImage ? 0 : face < 2 * kFacesPerImage ? 1 : 2;
        const i32 cell = face % kFacesPerImage;
        const i32 left = kFaceCell * (cell % 4);
        const i32 top = kFaceCell * (cell / 4);
        const Rect source{left, top, left + kFaceCell - 1, top + kFaceCell - 1};
        const i32 d = Shadow();
        Add(kTalkImageFace, sheet,
            Rect{cx - halfWidth - d, kFaceTop + kShadowDrop, cx + halfWidth - d, kFaceBottom + kShadowDrop}, source,
            kShadowColour);
        Add(kTalkImageFace, sheet, Rect{cx - halfWidth, kFaceTop, cx + halfWidth, kFaceBottom}, source,
            GreyColour(level));
    }

    void FaceStep(const TalkLine& cur, const TalkLine& prev, i32 f) {
        const i32 c = cur.face[side_];
        const i32 p = prev.face[side_];
        const i32 cx = CentreX();
        if (c == -1 && p == -1) return;
        if (c == p) {
            Face(c, kFaceHalfWidth, cx, Brightness(cur, side_));
        } else if (c == -1) {
            if (f < kOpenFrames) {
                Face(p, kFaceHalfWidth - AnimatedSize(kFaceHalfWidth, 3 * f), SlideX(f), Brightness(prev, side_));
            }
        } else if (p == -1) {
            const i32 h = f < kOpenFrames ? AnimatedSize(kFaceHalfWidth, 3 * f) : kFaceHalfWidth;
            Face(c, h, cx, Brightness(cur, side_));
        } else if (f < kFaceSwapFrames) {
            Face(p, kFaceHalfWidth - AnimatedSize(kFaceHalfWidth, 9 * f), cx, Brightness(prev, side_));
        } else if (f < 2 * kFaceSwapFrames) {
            Face(c, kFaceHalfWidth - AnimatedSize(kFaceHalfWidth, 9 * f), cx, Brightness(cur, side_));
        } else {
            Face(c, kFaceHalfWidth, cx, Brightness(cur, side_));
        }
    }

    void Balloon(i32 column, i32 text, i32 cx, i32 balloonHalf, i32 textHalf, i32 level) {
        const i32 left = kBalloonColumnWidth * column;
        // The right balloon is the same column mirrored; its text is not.
        const Rect source = side_ == 0 ? Rect{left, 0, left + kBalloonColumnWidth - 1, kBalloonColumnHeight - 1}
                                       : Rect{left + kBalloonColumnWidth, 0, left + 1, kBalloonColumnHeight - 1};
        const i32 d = Shadow();
        Add(kTalkImageWindow, 0,
            Rect{cx - balloonHalf - d, kBalloonTop + kShadowDrop, cx + balloonHalf - d, kBalloonBottom + kShadowDrop},
            source, kShadowColour);
        Add(kTalkImageWindow, 0, Rect{cx - balloonHalf, kBalloonTop, cx + balloonHalf, kBalloonBottom}, source,
            GreyColour(level));
        if (text < 0) return;
        const i32 textLeft = kTextCellWidth * (text % kTextCellsPerRow);
        const i32 textTop = kTextCellHeight * (text / kTextCellsPerRow);
        Add(kTalkImageSpeech, talk_.speechSheet, Rect{cx - textHalf, kBalloonTop, cx + textHalf, kTextBottom},
            Rect{textLeft, textTop, textLeft + kTextCellWidth - 1, textTop + kTextCellHeight - 1}, kTextColour);
    }

    void BalloonStep(const TalkLine& cur, const TalkLine& prev, i32 f) {
        const i32 cs = cur.speechCell[side_];
        const i32 ps = prev.speechCell[side_];
        const i32 cb = cur.balloon[side_];
        const i32 pb = prev.balloon[side_];
        const i32 cx = CentreX();
        if (cs == ps) {
            // The same text stays open, even when the balloon column changes.
            if (cb != -1) Balloon(cb, cs, cx, kBalloonHalfWidth, kTextHalfWidth, Brightness(cur, side_));
            return;
        }
        if (pb != -1 && f < kOpenFrames) {
            Balloon(pb, ps, SlideX(f), kBalloonHalfWidth - AnimatedSize(kBalloonHalfWidth, 3 * f),
                    kTextHalfWidth - AnimatedSize(kTextHalfWidth, 3 * f), Brightness(prev, side_));
        }
        if (cb != -1) {
            const bool opening = f < kOpenFrames;
            Balloon(cb, cs, cx, opening ? AnimatedSize(kBalloonHalfWidth, 3 * f) : kBalloonHalfWidth,
                    opening ? AnimatedSize(kTextHalfWidth, 3 * f) : kTextHalfWidth, Brightness(cur, side_));
        }
    }

    const TalkState& talk_;
    std::vector<TalkQuad>& quads_;
    i32 side_ = 0;
};

Texture* TalkTexture(const TalkQuad& quad) {
    switch (quad.image) {
        case kTalkImageFace: return quad.sheet >= 0 && quad.sheet < 3 ? g_StageTextures.face[quad.sheet] : nullptr;
        case kTalkImageWindow: return g_StageTextures.window;
        case kTalkImageSpeech: return quad.sheet >= 0 && quad.sheet < 10 ? g_StageTextures.speech[quad.sheet] : nullptr;
    }
    return nullptr;
}

}  // namespace

void StartTalkEvent(i32 id) {
    if (FindTalkEvent(kTalkEntryMain, id) != nullptr) {
        StartTalkAt(kTalkEntryMain, id);
    } else if (id >= 300) {
        StartTalkEvent300(id);
    }
}

void StartTalkEvent300(i32 id) { StartTalkAt(kTalkEntry300, id); }
void StartTalkEvent400(i32 id) { StartTalkAt(kTalkEntry400, id); }
void StartTalkEvent500(i32 id) { StartTalkAt(kTalkEntry500, id); }

void UpdateTalk() {
    TalkState& talk = g_TalkState;
    if (talk.active == 0) return;
    const i32 count = static_cast<i32>(talk.lines.size());
    if (talk.lineIndex < 0 || talk.lineIndex >= count) {
        // A talk with no line left to show is over.
        talk.active = 0;
        return;
    }
    talk.lineFrame += 1;
    if (talk.lineFrame > talk.lines[talk.lineIndex].duration) {
        talk.lineIndex += 1;
        talk.lineFrame = 0;
        if (talk.lineIndex >= count) talk.active = 0;
    }
}

void CollectTalkQuads(const TalkState& talk, std::vector<TalkQuad>& quads) {
    quads.clear();
    const i32 count = static_cast<i32>(talk.lines.size());
    if (talk.active == 0 || talk.lineIndex < 0 || talk.lineIndex >= count) return;
    const TalkLine& cur = talk.lines[talk.lineIndex];
    const TalkLine& prev = talk.lineIndex > 0 ? talk.lines[talk.lineIndex - 1] : NoLine();
    QuadBuilder builder(talk, quads);
    for (i32 side = 0; side < 2; ++side) builder.Side(side, cur, prev, talk.lineFrame);
}

void DrawTalk() {
    if (g_TalkState.active == 0 || g_ConfigData.showTalk == 0) return;
    std::vector<TalkQuad> quads;
    CollectTalkQuads(g_TalkState, quads);
    for (const TalkQuad& quad : quads) {
        // A stage without the image draws nothing for it.
        if (Texture* texture = TalkTexture(quad)) {
            texture->TextureDraw(quad.destination, 0.0f, quad.source, quad.colour, kBlendAlpha);
        }
    }
}
