#include "game/enemy/enemy_content.h"

#include "game/enemy/enemy_behaviour.h"
#include "game/play/stage_dispatch.h"

void RegisterEnemyContent() {
    ClearEnemyLooks();
    RegisterEnemyLooks(EnemyLooksStage1());
    RegisterEnemyLooks(EnemyLooksStage2());
    RegisterEnemyLooks(EnemyLooksStage3());
    RegisterEnemyLooks(EnemyLooksStage4());
    RegisterEnemyLooks(EnemyLooksStage5());
    RegisterDrawEnemyLayer(DrawEnemyLayer);
    RegisterStepEnemy(0, StepEnemyStage1);
    RegisterStepEnemy(1, StepEnemyStage2);
    RegisterStepEnemy(2, StepEnemyStage3);
    RegisterStepEnemy(3, StepEnemyStage4);
    RegisterStepEnemy(4, StepEnemyStage5);
}
