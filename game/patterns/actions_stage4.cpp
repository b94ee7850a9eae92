// The attack patterns of stage index 3: one case per action id, the three
// difficulties' numbers in tables. An id without a case does nothing.
#include "game/patterns/part_step.h"

void RunPartActionStage4(PartFrame& frame) {
    switch (frame.part->action) {
        case 11:
        case 12:
        case 13:
        case 14: RunWreckAction(frame, 3); break;
        default: break;
    }
}

void StepPartStage4Easy(i32 enemy, EnemyPart* part, const f32 parentPos[2], const f32* parentAngle) {
    StepPartFrame(RunPartActionStage4, 0, enemy, part, parentPos, parentAngle);
}

void StepPartStage4Normal(i32 enemy, EnemyPart* part, const f32 parentPos[2], const f32* parentAngle) {
    StepPartFrame(RunPartActionStage4, 1, enemy, part, parentPos, parentAngle);
}

void StepPartStage4Hard(i32 enemy, EnemyPart* part, const f32 parentPos[2], const f32* parentAngle) {
    StepPartFrame(RunPartActionStage4, 2, enemy, part, parentPos, parentAngle);
}
