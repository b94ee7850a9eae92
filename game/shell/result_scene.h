#pragma once
// Scene 7, the result: the run's stage scores and total with its place in
// the difficulty's table; a run placed in the first five enters a name for
// the ranking; a run with no continue used is offered a replay save and
// names the replay. The ranking file is written on leaving.
#include <vector>

#include "engine/core/types.h"
#include "engine/graphics/surface.h"
#include "engine/graphics/texture.h"
#include "game/shell/name_characters.h"

enum ResultStateId : i32 {
    kResultOpening = 0,
    kResultShown = 10,
    kResultRankingName = 30,
    kResultSavePrompt = 50,
    kResultReplayName = 60,
    kResultLeaving = 90,
};

// ResultPanelOffsets slots.
enum ResultPanel : i32 {
    kResultPanelScores = 0,
    kResultPanelRankingName,
    kResultPanelPrompt,
    kResultPanelReplayName,
    kResultPanelCount
};

// Places 0..4 of a table ask for a name.
constexpr i32 kResultNamedPlaces = 5;

extern i32 ResultState;
extern u8 ResultLeave;
extern i32 ResultFrameCount;
extern i32 NameLength;
extern i32 RepeatCount;
extern i32 ResultScore;
extern i32 ResultRankPosition;
extern i32 ReplayNumber;
extern i32 ResultPanelOffsets[kResultPanelCount];
extern i32 ResultGlow;
extern i32 ResultKeys[8];
extern std::vector<i32> CharacterLists[2];
extern i32 ListSelect;
extern i32 ListCursor;
extern StoredName ResultName;      // the name being entered
extern i32 ResultScrollX;
extern i32 ResultScrollY;

struct ResultImages {
    Texture* name = nullptr;     // "name": characters
    Texture* result = nullptr;   // labels, digits, arrows
    Texture* result2 = nullptr;  // name entry and prompt panels
    Texture* result3 = nullptr;  // results panel
    Surface* backdrop = nullptr; // "report10"
};
extern ResultImages g_ResultImages;

void InitializeResult();
void ResultFrame();
void DrawResult();
void LeaveResult();
// Puts ResultScore and ResultName into the current difficulty's table at
// ResultRankPosition; false when nothing changed (a place outside 0..9, or a
// total that does not beat the entry).
bool InsertRanking();

// The frame's update after the draw and the keys: the state machine, the
// panel counters, the glow and the frame count.
void StepResult();
// The replay save is offered: no continue was used in the run.
bool ResultOffersReplay();
// The centre x of a panel with offset o.
i32 ResultPanelX(i32 o);
