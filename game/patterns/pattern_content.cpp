#include "game/patterns/pattern_content.h"

#include "game/patterns/part_step.h"
#include "game/play/stage_dispatch.h"

void RegisterPatternContent() {
    const StepPartFn steps[kStageCount][kDifficultyLevels] = {
        {StepPartStage1Easy, StepPartStage1Normal, StepPartStage1Hard},
        {StepPartStage2Easy, StepPartStage2Normal, StepPartStage2Hard},
        {StepPartStage3Easy, StepPartStage3Normal, StepPartStage3Hard},
        {StepPartStage4Easy, StepPartStage4Normal, StepPartStage4Hard},
        {StepPartStage5Easy, StepPartStage5Normal, StepPartStage5Hard},
    };
    const ActionTable* tables[kStageCount] = {&ActionsStage1(), &ActionsStage2(), &ActionsStage3(),
                                              &ActionsStage4(), &ActionsStage5()};
    for (i32 stage = 0; stage < kStageCount; ++stage) {
        for (i32 difficulty = 0; difficulty < kDifficultyLevels; ++difficulty) {
            RegisterStepPart(stage, difficulty, steps[stage][difficulty]);
        }
        RegisterStageReset(stage, tables[stage]->reset);
    }
}
