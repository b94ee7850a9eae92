// The attack patterns of stage index 0: one case per action id, the three
// difficulties' numbers in tables. An id without a case does nothing.
#include "game/patterns/part_step.h"

void RunPartActionStage1(PartFrame& frame) {
    switch (frame.part->action) {
        case 11:
        case 12:
        case 13: RunWreckAction(frame, 0); break;
        default: break;
    }
}

void StepPartStage1Easy(i32 enemy, EnemyPart* part, const f32 parentPos[2], const f32* parentAngle) {
    StepPartFrame(RunPartActionStage1, 0, enemy, part, parentPos, parentAngle);
}

void StepPartStage1Normal(i32 enemy, EnemyPart* part, const f32 parentPos[2], const f32* parentAngle) {
    StepPartFrame(RunPartActionStage1, 1, enemy, part, parentPos, parentAngle);
}

void StepPartStage1Hard(i32 enemy, EnemyPart* part, const f32 parentPos[2], const f32* parentAngle) {
    StepPartFrame(RunPartActionStage1, 2, enemy, part, parentPos, parentAngle);
}
