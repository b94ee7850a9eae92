#pragma once
// The game's stages in play order: the one line a new stage is registered in
// (docs/adding-a-stage.md). STAGE(n) is the stage whose content is in the files
// looks_stage<n>.cpp, behaviour_stage<n>.cpp, kinds_stage<n>.cpp,
// timeline_stage<n>.cpp and actions_stage<n>.cpp; n counts the stages in play
// order from 1, and the stage's index (g_GameState.StageIndex) is n - 1.
//
// Each content library declares what its files define for every listed stage
// (game/enemy/enemy_content.h, game/stages/stage_content.h,
// game/patterns/pattern_content.h), and the stage registry
// (game/patterns/stage_registry.h) makes one record per listed stage of them.
#define TOLVARIN_STAGES(STAGE) STAGE(1) STAGE(2) STAGE(3) STAGE(4) STAGE(5)

#define TOLVARIN_COUNT_STAGE(n) +1
// How many stages the game has: stage indexes 0..kStageCount - 1.
inline constexpr int kStageCount = 0 TOLVARIN_STAGES(TOLVARIN_COUNT_STAGE);
#undef TOLVARIN_COUNT_STAGE
