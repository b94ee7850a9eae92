// The looks of the sprite kinds of stage index 4, one row per look.
#include "game/enemy/enemy_content.h"

std::span<const EnemyLook> EnemyLooksStage5() { return {}; }
