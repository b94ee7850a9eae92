#pragma once
// Scene 6, the stage report: after every stage that was cleared or lost it
// adds the lives bonus to the run score, raises the stage's best score in the
// ranking, stores the stage's score and rank in the run record (normal play),
// shows the counts, the rank marks one by one, a picture chosen by the stage
// and the story flags and a pilot's comment, and hands over to the next
// stage, the ending, the result screen or the replay browser.
#include "engine/core/types.h"
#include "engine/graphics/surface.h"
#include "engine/graphics/texture.h"
#include "game/shell/replay.h"

class Model;

enum ReportStateId : i32 {
    kReportOpening = 0,
    kReportShown = 10,
    kReportLostShown = 80,
    kReportLeaving = 90,
};

constexpr i32 kReportClearedFrames = 1000;  // the longest a cleared report stays
constexpr i32 kReportLostFrames = 300;      // the longest a lost report stays
constexpr i32 kLivesBonusPerLife = 1000;

struct ReportImages {
    Surface* picture = nullptr;  // the stage's picture or "report00"
    Texture* report = nullptr;   // panel, titles
    Texture* digits = nullptr;   // "title3": digits and rank marks
    Texture* window = nullptr;   // the comment balloon
    Texture* face = nullptr;     // "face_report"
    Texture* comment = nullptr;  // "clear01" or "clear02"
    Texture* line = nullptr;     // "reportline" or "gameoverline"
    Model* plane = nullptr;      // 300 x 200 plane carrying `line`
};

// The stage report's state and images.
struct ReportSceneState {
    i32 ReportState = kReportOpening;
    i32 ReportTimer = 0;
    u8 ReportLeave = 0;
    u8 StageCleared = 0;
    u8 NewBestStageScore = 0;
    i32 ReportKeys[8] = {};
    i32 ReportSlide = 0;
    f32 ReportFade = 0.0f;
    i32 RankMarksShown = 0;
    i32 LivesBonus = 0;
    i32 CommentImage = 0;
    i32 CommentFace = 0;
    i32 CommentCell = 0;
    f32 LineScrollU = 0.0f;
    f32 LineScrollV = 0.0f;
    ReportImages images;
};
extern ReportSceneState g_Report;

void InitializeReport();
// Starts decoding the pictures InitializeReport would load now (the play
// scene calls it as a stage closes, so that the report's first frame finds
// them decoded).
void PrefetchReportImages();
void ReportFrame();
void DrawReport();
void LeaveReport();
void SelectReportPicture();

// The pieces of the report that need no images.
struct ReportComment {
    i32 image = 0;  // CommentImage
    i32 face = 0;   // CommentFace
    i32 cell = 0;   // CommentCell
};
// The comment by stage index, the parity of the run's score with this stage's
// points, and the stage rank.
ReportComment ChooseReportComment(i32 stageIndex, i32 runScore, i32 stagePoints, i32 stageRank);
// Where the comment's pieces come from: face `face` of "face_report" (4 x 4
// cells of 128), cell `cell` of the comment image ("clear01" for image 0,
// "clear02" for 1: 240 x 100 cells, two to a row), and on "title3" the rank
// mark of rank 1..5, 0 being the empty mark.
Rect ReportCommentFaceSource(i32 face);
Rect ReportCommentCellSource(i32 cell);
Rect ReportRankMarkSource(i32 rank);
// The "vsk2.dat" picture of a cleared stage (the first story flag that
// matches wins).
const char* ReportPictureName(i32 stageIndex, const StoryFlagArray& flags);
// Books the stage's result when the scene starts: the lives bonus, the run
// score, the best stage score and, in normal play, the run record's score and
// rank.
void ApplyStageResult();
// The frame's step of the state machine, after the draw.
void StepReport();
// The scene LeaveReport goes to, from the play state as it stands (it may
// move StageIndex on to the next stage and set the ending request).
i32 ChooseReportNextScene();
