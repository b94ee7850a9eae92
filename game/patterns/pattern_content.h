#pragma once
// What each stage's files in game/patterns define, for every stage of the
// list (game/shell/stage_list.h); the stage registry
// (game/patterns/stage_registry.h) makes the stage's record of them. Adding a
// stage: docs/adding-a-stage.md.
//
// actions_stage<n>.cpp: the action table (ActionsStage<n>) and its routine,
// RunPartActionStage<n>(frame) = RunActionByTable(ActionsStage<n>(), frame),
// which the part step runs (StepStageParts<RunPartActionStage<n>>).
#include "game/patterns/part_step.h"
#include "game/shell/stage_list.h"

#define TOLVARIN_DECLARE_STAGE_PATTERNS(n) \
    const ActionTable& ActionsStage##n();  \
    void RunPartActionStage##n(PartFrame& frame);
TOLVARIN_STAGES(TOLVARIN_DECLARE_STAGE_PATTERNS)
#undef TOLVARIN_DECLARE_STAGE_PATTERNS
