#pragma once
// Scene 9, the ranking: the first five places of the three difficulties'
// tables, one at a time, sliding in from the side of the key that chose it,
// and a list of the eighteen endings with those ever seen. Left and Right
// change the table, Up and Down switch between the tables and the endings,
// Z and X return to the title.
#include "engine/core/types.h"
#include "engine/graphics/surface.h"
#include "engine/graphics/texture.h"

class Model;

enum RankingStateId : i32 {
    kRankingOpening = 0,
    kRankingShown = 10,
    kRankingLeaving = 90,
};

constexpr i32 kRankingPanels = 4;  // the three tables, then the endings
constexpr i32 kRankingEndingsPanel = 3;
constexpr i32 kRankingShownPlaces = 5;
constexpr i32 kRankingEndingRows = 18;
// The title cell of an ending not yet seen.
constexpr i32 kRankingUnknownEnding = 33;

struct RankingImages {
    Texture* ranking = nullptr;     // "ranking": panel, labels, captions
    Texture* name = nullptr;        // "name": characters, digits, difficulty words
    Texture* background = nullptr;  // "bgp_ranking", carried by `plane`
    Texture* endList = nullptr;     // "endlist"
    Texture* endWindow = nullptr;   // "endwindow"
    Surface* backdrop = nullptr;    // "ranking00"
    Model* plane = nullptr;         // 540 x 540
};

// The ranking scene's state and images; the result scene prepares the table
// shown and the place lit (RankingDifficulty, RankingHighlight).
struct RankingSceneState {
    i32 RankingState = kRankingOpening;
    u8 RankingLeave = 0;
    i32 RankingFrameCount = 0;
    i32 RankingDifficulty = 0;
    u8 RankingEndingsView = 0;
    i32 RankingHighlight = -1;
    i32 RankingSlideDirection = 0;
    i32 RankingPanelOffsets[kRankingPanels] = {};
    i32 RankingCaptionFade[2] = {};
    i32 RankingKeys[8] = {};
    i32 RankingScrollX = 0;
    i32 RankingScrollY = 0;
    f32 RankingPlaneScrollV = 0.0f;
    RankingImages images;
};
extern RankingSceneState g_Ranking;

void InitializeRanking();
void RankingFrame();
void DrawRanking();
void LeaveRanking();

// The frame's update after the draw and the keys: the state machine, the
// caption fades, the frame count and the panel counters.
void StepRanking();
// The centre of a table panel with offset o (x) or of the endings panel with
// offset e (y), by the slide direction.
i32 RankingPanelX(i32 o);
i32 RankingEndingsY(i32 e);
// The cells of the endings list on "endlist": the number of row i (0..17),
// seventeen to a column of 55 x 30 cells from x 400; the title cell n (an
// ending's row, or kRankingUnknownEnding), seventeen to a column of 200 x 30.
Rect RankingEndingNumberSource(i32 i);
Rect RankingEndingTitleSource(i32 n);
