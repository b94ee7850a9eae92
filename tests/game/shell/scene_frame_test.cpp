// The scenes' shared frame: the pieces run in the scene's own order, the
// entry and the leaving only when asked for, the keys from pad 0's input of
// the frame, and the frame closes with the music and the sound-effect gates.
#include "game/shell/scene_frame.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/application.h"
#include "game/shell/game_main.h"
#include "game/shell/input.h"
#include "game/shell/sound_effects.h"
#include "platform/input.h"

namespace {

std::vector<std::string> g_log;
bool g_leave = false;

void Log(const std::string& what) { g_log.push_back(what); }
void TakeKeys(const u8 bits[2]) { Log("keys " + std::to_string(bits[0] | bits[1] << 8)); }

SceneFrameSteps Steps(SceneFrameOrder order, bool readsKeys) {
    return {
        .enter =
            [] {
                Log("enter");
                SceneInitRequest = 0;
            },
        .order = order,
        .draw = [] { Log("draw"); },
        .takeKeys = readsKeys ? TakeKeys : nullptr,
        .step =
            [] {
                Log("step");
                SoundEffectGates[3] = 0;  // as a sound played in the step closes its gate
            },
        .leaving = [] { return g_leave; },
        .leave = [] { Log("leave"); },
        .trace = [](const char* step) { Log(step); },
    };
}

TEST(SceneFrame, RunsTheScenesPiecesInItsOrderAndClosesTheFrame) {
    const std::string z = "keys " + std::to_string(kInputZ);
    struct Case {
        const char* label;
        SceneFrameOrder order;
        bool readsKeys;
        u8 initRequest;
        bool leave;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        // clang-format off
        {"draws first, just entered", SceneFrameOrder::kDrawThenKeys, true, 1, false,
         {"enter", "draw", z, "step", "UpdateMusic", "RearmSoundEffectGates"}},
        {"reads the keys first, leaves", SceneFrameOrder::kKeysThenDraw, true, 0, true,
         {z, "draw", "step", "leave", "UpdateMusic", "RearmSoundEffectGates"}},
        {"reads no keys here", SceneFrameOrder::kDrawThenKeys, false, 1, true,
         {"enter", "draw", "step", "leave", "UpdateMusic", "RearmSoundEffectGates"}},
        // clang-format on
    };
    App().active = 1;
    for (const Case& c : cases) {
        g_log.clear();
        g_leave = c.leave;
        SceneInitRequest = c.initRequest;
        platform::SetScriptedInput({kInputZ});
        platform::ScriptedInput();
        RunSceneSteps(Steps(c.order, c.readsKeys));
        EXPECT_EQ(g_log, c.expected) << c.label;
        EXPECT_EQ(SoundEffectGates[3], 1) << c.label << ": the gates open again after the step";
    }
    platform::ClearScriptedInput();
    SceneInitRequest = 1;
}

}  // namespace
