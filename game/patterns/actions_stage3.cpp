// The attack patterns of stage index 2: one case per action id, the three
// difficulties' numbers in tables. An id without a case does nothing.
#include "game/patterns/part_step.h"

void RunPartActionStage3(PartFrame& frame) {
    switch (frame.part->action) {
        case 11:
        case 12:
        case 13: RunWreckAction(frame, 2); break;
        default: break;
    }
}

void StepPartStage3Easy(i32 enemy, EnemyPart* part, const f32 parentPos[2], const f32* parentAngle) {
    StepPartFrame(RunPartActionStage3, 0, enemy, part, parentPos, parentAngle);
}

void StepPartStage3Normal(i32 enemy, EnemyPart* part, const f32 parentPos[2], const f32* parentAngle) {
    StepPartFrame(RunPartActionStage3, 1, enemy, part, parentPos, parentAngle);
}

void StepPartStage3Hard(i32 enemy, EnemyPart* part, const f32 parentPos[2], const f32* parentAngle) {
    StepPartFrame(RunPartActionStage3, 2, enemy, part, parentPos, parentAngle);
}
