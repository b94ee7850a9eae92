// The looks of the sprite kinds of stage index 3, one row per look.
#include "game/enemy/enemy_content.h"

std::span<const EnemyLook> EnemyLooksStage4() { return {}; }
