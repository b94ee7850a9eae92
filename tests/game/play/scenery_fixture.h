#pragma once
// Every stage's scenery (what LoadStage loads, the background's plan and
// scroll) registered without the rest of its content, for the tests of the
// play scene and the background: stages that load and draw their pictures but
// have no enemies and keep the default timeline.
#include "game/patterns/stage_registry.h"
#include "game/play/stage_dispatch.h"

namespace play_test {

inline void RegisterSceneries() {
    for (i32 stage = 0; stage < kStageCount; ++stage) {
        RegisterStageScenery(stage, StageContents()[static_cast<std::size_t>(stage)].scenery);
    }
}

}  // namespace play_test
