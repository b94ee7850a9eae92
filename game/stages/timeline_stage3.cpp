// The timeline of stage index 2: one case per phase, its rules in order
// (stage_timeline.h shows the form; timeline_stage1.cpp is the worked
// example).
#include "game/play/stage_dispatch.h"
#include "game/shell/play_state.h"
#include "game/stages/stage_timeline.h"

namespace {

// What the phases spawn and write.
constexpr TimelineNumbers kNumbers{};

}  // namespace

const TimelineNumbers& TimelineNumbersStage3() { return kNumbers; }

void RunStage3Script() {
    switch (g_GameState.StageScriptPhase) {
        case kClosingPhase: FinishStageWhenClosed(); break;
        default: break;
    }
}
