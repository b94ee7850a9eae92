#include "game/stages/stage_content.h"

#include "game/play/stage_dispatch.h"
#include "game/stages/stage_timeline.h"

void RegisterStageContent() {
    RegisterStageScript(0, RunStage1Script);
    RegisterStageScript(1, RunStage2Script);
    RegisterStageScript(2, RunStage3Script);
    RegisterStageScript(3, RunStage4Script);
    RegisterStageScript(4, RunStage5Script);
}
