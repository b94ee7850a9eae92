// The attack patterns of stage index 1: one row per action id in the
// table, the three difficulties' numbers in small tables (part_step.h shows
// the form; actions_stage1.cpp is the worked example). An id without a row
// does nothing.
#include "game/patterns/part_step.h"

namespace {

// Every action of the stage.
constexpr ActionRow kActions[] = {
    {11, WreckSmoke11}, {12, WreckSmoke12}, {13, WreckSmoke13},
};

constexpr ActionTable kTable{.actions = kActions};

}  // namespace

const ActionTable& ActionsStage2() { return kTable; }

void RunPartActionStage2(PartFrame& frame) { RunActionByTable(kTable, frame); }

void StepPartStage2Easy(i32 enemy, EnemyPart* part, const f32 parentPos[2], const f32* parentAngle) {
    StepPartFrame(RunPartActionStage2, 0, enemy, part, parentPos, parentAngle);
}

void StepPartStage2Normal(i32 enemy, EnemyPart* part, const f32 parentPos[2], const f32* parentAngle) {
    StepPartFrame(RunPartActionStage2, 1, enemy, part, parentPos, parentAngle);
}

void StepPartStage2Hard(i32 enemy, EnemyPart* part, const f32 parentPos[2], const f32* parentAngle) {
    StepPartFrame(RunPartActionStage2, 2, enemy, part, parentPos, parentAngle);
}
