// The looks of the sprite kinds of stage index 2, one row per look.
#include "game/enemy/enemy_content.h"

std::span<const EnemyLook> EnemyLooksStage3() { return {}; }
