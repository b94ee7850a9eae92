// The timeline of stage index 1: one case per phase, its rules in order.
#include "game/play/stage_dispatch.h"
#include "game/shell/play_state.h"
#include "game/stages/stage_timeline.h"

void RunStage2Script() {
    switch (g_GameState.StageScriptPhase) {
        case kClosingPhase: FinishStageWhenClosed(); break;
        default: break;
    }
}
