// The looks of the sprite kinds of stage index 0, one row per look.
#include "game/enemy/enemy_content.h"

std::span<const EnemyLook> EnemyLooksStage1() { return {}; }
