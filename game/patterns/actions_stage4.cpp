// The attack patterns of stage index 3: one row per action id in the
// table, the three difficulties' numbers in small tables (part_step.h shows
// the form; actions_stage1.cpp is the worked example). An id without a row
// does nothing.
#include "game/patterns/part_step.h"

namespace {

// Every action of the stage.
constexpr ActionRow kActions[] = {
    {11, WreckSmoke11}, {12, WreckSmoke12}, {13, WreckSmoke13}, {14, Wreck14Stage4},
};

constexpr ActionTable kTable{.actions = kActions};

}  // namespace

const ActionTable& ActionsStage4() { return kTable; }

void RunPartActionStage4(PartFrame& frame) { RunActionByTable(kTable, frame); }

void StepPartStage4Easy(i32 enemy, EnemyPart* part, const f32 parentPos[2], const f32* parentAngle) {
    StepPartFrame(RunPartActionStage4, 0, enemy, part, parentPos, parentAngle);
}

void StepPartStage4Normal(i32 enemy, EnemyPart* part, const f32 parentPos[2], const f32* parentAngle) {
    StepPartFrame(RunPartActionStage4, 1, enemy, part, parentPos, parentAngle);
}

void StepPartStage4Hard(i32 enemy, EnemyPart* part, const f32 parentPos[2], const f32* parentAngle) {
    StepPartFrame(RunPartActionStage4, 2, enemy, part, parentPos, parentAngle);
}
