#include "game/shell/scene_frame.h"

#include "game/shell/game_main.h"
#include "game/shell/input.h"
#include "game/shell/music.h"
#include "game/shell/sound_effects.h"

namespace {

void TakeKeys(const SceneFrameSteps& steps) {
    if (!steps.takeKeys) return;
    u8 bits[2];
    ReadInputBits(0, bits);
    steps.takeKeys(bits);
}

void Trace(const SceneFrameSteps& steps, const char* step) {
    if (steps.trace) steps.trace(step);
}

}  // namespace

void RunSceneSteps(const SceneFrameSteps& steps) {
    if (SceneInitRequest) steps.enter();
    if (steps.order == SceneFrameOrder::kDrawThenKeys) {
        steps.draw();
        TakeKeys(steps);
    } else {
        TakeKeys(steps);
        steps.draw();
    }
    steps.step();
    if (steps.leaving()) steps.leave();
    Trace(steps, "UpdateMusic");
    UpdateMusic();
    Trace(steps, "RearmSoundEffectGates");
    RearmSoundEffectGates();
}
