// The attack patterns of stage index 1: one case per action id, the three
// difficulties' numbers in tables. An id without a case does nothing.
#include "game/patterns/part_step.h"

void RunPartActionStage2(PartFrame& frame) {
    switch (frame.part->action) {
        case 11:
        case 12:
        case 13: RunWreckAction(frame, 1); break;
        default: break;
    }
}

void StepPartStage2Easy(i32 enemy, EnemyPart* part, const f32 parentPos[2], const f32* parentAngle) {
    StepPartFrame(RunPartActionStage2, 0, enemy, part, parentPos, parentAngle);
}

void StepPartStage2Normal(i32 enemy, EnemyPart* part, const f32 parentPos[2], const f32* parentAngle) {
    StepPartFrame(RunPartActionStage2, 1, enemy, part, parentPos, parentAngle);
}

void StepPartStage2Hard(i32 enemy, EnemyPart* part, const f32 parentPos[2], const f32* parentAngle) {
    StepPartFrame(RunPartActionStage2, 2, enemy, part, parentPos, parentAngle);
}
