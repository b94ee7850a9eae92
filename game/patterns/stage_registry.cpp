#include "game/patterns/stage_registry.h"

#include <array>

#include "game/enemy/enemy_content.h"
#include "game/patterns/pattern_content.h"
#include "game/stages/stage_content.h"

// The record of the stage of the files *_stage<n>.cpp.
#define TOLVARIN_STAGE_RECORD(n)                            \
    StageContent{.number = n,                               \
                 .looks = EnemyLooksStage##n(),             \
                 .behaviour = &BehaviourStage##n(),         \
                 .stepEnemy = StepEnemyStage##n,            \
                 .kinds = EnemyKindsStage##n(),             \
                 .spawn = SpawnEnemyStage##n,               \
                 .exceptions = NumbersExceptionsStage##n(), \
                 .script = RunStage##n##Script,             \
                 .timeline = &TimelineNumbersStage##n(),    \
                 .scenery = &SceneryStage##n(),             \
                 .actions = &ActionsStage##n(),             \
                 .stepParts = StepStageParts<RunPartActionStage##n>},

std::span<const StageContent> StageContents() {
    static const std::array<StageContent, kStageCount> stages{{TOLVARIN_STAGES(TOLVARIN_STAGE_RECORD)}};
    return stages;
}

#undef TOLVARIN_STAGE_RECORD

void RegisterStages() {
    ClearEnemyLooks();
    for (const StageContent& stage : StageContents()) RegisterEnemyLooks(stage.looks);
    RegisterDrawEnemyLayer(DrawEnemyLayer);
    for (i32 index = 0; index < kStageCount; ++index) {
        const StageContent& stage = StageContents()[static_cast<std::size_t>(index)];
        RegisterStepEnemy(index, stage.stepEnemy);
        RegisterStageScript(index, stage.script);
        RegisterStepPart(index, stage.stepParts);
        RegisterStageReset(index, stage.actions->reset);
        RegisterStageScenery(index, stage.scenery);
    }
}
