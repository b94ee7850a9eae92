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

struct ResultImages {
    Texture* name = nullptr;      // "name": characters
    Texture* result = nullptr;    // labels, digits, arrows
    Texture* result2 = nullptr;   // name entry and prompt panels
    Texture* result3 = nullptr;   // results panel
    Surface* backdrop = nullptr;  // "report10"
};

// The result scene's state and images.
struct ResultSceneState {
    i32 ResultScore = 0;  // the run's total, stored in the replay file too
    i32 ResultState = kResultOpening;
    u8 ResultLeave = 0;
    i32 ResultFrameCount = 0;
    i32 NameLength = 0;
    i32 RepeatCount = 0;
    i32 ResultRankPosition = 0;
    i32 ReplayNumber = 0;
    i32 ResultPanelOffsets[kResultPanelCount] = {};
    i32 ResultGlow = 0;
    i32 ResultKeys[8] = {};
    std::vector<i32> CharacterLists[2];
    i32 ListSelect = 0;
    i32 ListCursor = 0;
    StoredName ResultName = BlankName();  // the name being entered
    i32 ResultScrollX = 0;
    i32 ResultScrollY = 0;
    // The prompt's choice as last made in state 50 (it is drawn while the panel
    // slides out, when NameLength already counts characters again).
    i32 promptChoice = 0;
    ResultImages images;
};
extern ResultSceneState g_Result;

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
