// The attack patterns of stage index 4: one case per action id, the three
// difficulties' numbers in tables. An id without a case does nothing.
#include "game/patterns/part_step.h"

void RunPartActionStage5(PartFrame& frame) {
    switch (frame.part->action) {
        case 11:
        case 12:
        case 13:
        case 14:
        case 15: RunWreckAction(frame, 4); break;
        default: break;
    }
}

void StepPartStage5Easy(i32 enemy, EnemyPart* part, const f32 parentPos[2], const f32* parentAngle) {
    StepPartFrame(RunPartActionStage5, 0, enemy, part, parentPos, parentAngle);
}

void StepPartStage5Normal(i32 enemy, EnemyPart* part, const f32 parentPos[2], const f32* parentAngle) {
    StepPartFrame(RunPartActionStage5, 1, enemy, part, parentPos, parentAngle);
}

void StepPartStage5Hard(i32 enemy, EnemyPart* part, const f32 parentPos[2], const f32* parentAngle) {
    StepPartFrame(RunPartActionStage5, 2, enemy, part, parentPos, parentAngle);
}
