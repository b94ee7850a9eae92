#pragma once
// The numbers that tie a stage's enemies together across its files, and the
// check that they agree. A timeline spawns a kind in a state
// (timeline_stageN.cpp); the kind's parts carry sprite kinds, actions and a
// spawn id (kinds_stageN.cpp); the behaviour table has the states
// (behaviour_stageN.cpp), the action table the actions (actions_stageN.cpp),
// the look table the sprite kinds (looks_stageN.cpp). The check fails, naming
// the number and where it comes from, when
//   - a kind the timeline spawns has no kind row;
//   - a state that is written (a timeline spawn's state, a kind's first
//     state, a state in a writesStates list) has no behaviour row;
//   - an action a part is given (a kind's part, a writesActions list) has no
//     action row;
//   - a sprite kind a part is given (a kind's part, a writesSpriteKinds list)
//     has no look;
//   - a table lists one number twice, a row has no function, or a kind's part
//     tree names a part label it does not have.
// Action 0 and sprite kind 0 (no pattern, no picture) need no row. A number
// in the stage's exceptions list (NumbersExceptionsStageN) is let through for
// its rule; an exception that matches nothing is reported as stale.
//
// The test over every registered stage runs in ./test.sh, so a stage is
// checked as soon as its tables fill in.
#include <span>
#include <string>
#include <vector>

#include "engine/core/types.h"
#include "game/enemy/enemy_behaviour.h"
#include "game/enemy/enemy_draw.h"
#include "game/patterns/part_step.h"
#include "game/stages/enemy_spawn.h"
#include "game/stages/stage_timeline.h"

// Everything the check reads of one stage.
struct StageNumbers {
    i32 stageIndex = 0;
    std::span<const EnemyKindSpec> kinds = {};
    std::span<const EnemyLook> looks = {};
    const BehaviourTable* behaviour = nullptr;
    const ActionTable* actions = nullptr;
    const TimelineNumbers* timeline = nullptr;
    std::span<const NumbersException> exceptions = {};
};

// The numbers of a stage index as the stage registry holds them (only the
// index for one outside 0..kStageCount - 1).
StageNumbers NumbersOfStage(i32 stageIndex);
// Every disagreement, one line each ("stage index 1: ..."); empty when the
// numbers agree.
std::vector<std::string> CheckStageNumbers(const StageNumbers& numbers);
