// The timeline of stage index 4: one case per phase, its rules in order
// (stage_timeline.h shows the form; timeline_stage1.cpp is the worked
// example).
#include "game/enemy/enemy_behaviour.h"
#include "game/play/stage_dispatch.h"
#include "game/play/talk.h"
#include "game/shell/play_state.h"
#include "game/shell/story_flags.h"
#include "game/stages/enemy_spawn.h"
#include "game/stages/stage_timeline.h"

namespace {

// ---------------------------------------------------------------------------
// The castle (kind 110, element 0 of the list throughout): phases 10-13 have
// no exit of their own; the castle's behaviour moves the timeline on (11, 12
// and 14). Phase 14 follows the castle's fall and closes the stage once the
// field is empty and quiet.
namespace castle {

constexpr f32 kDown = 1.5707964f;

// From phase 10 on the background zooms out: every 10 frames while the zoom
// is above 2.0, by 2 percent, stopping at 2.0.
void ZoomStep() {
    f32& zoom = g_GameState.BackgroundZoom;
    if (ScriptFrame() % 10 != 0 || !(zoom > 2.0f)) return;
    zoom *= 0.98f;
    if (zoom < 2.0f) zoom = 2.0f;
}

// A craft (kind 15, its own pattern 435) diving in at x = 120 + R(400).
void SpawnCastleCraft(bool upperLayer) {
    SpawnOrder o;
    o.kind = 15;
    o.state = 404;
    o.speed = 7.0f;
    o.x = StagePlus(120, 400);
    o.y = -50.0f;
    o.heading = kDown;
    if (upperLayer) o.layer = 1;
    SpawnAndPlace(SpawnEnemyStage5, o);
}

// Every 50 frames of first..last whose frame mod 300 is below 200.
bool CraftFrame(i32 first, i32 last) { return EveryInWindow(first, last, 50) && ScriptFrame() % 300 < 200; }

void SetFlag(i32 flag) { g_GameState.StoryFlags[static_cast<std::size_t>(flag)] = 1; }
bool FlagSet(i32 flag) { return g_GameState.StoryFlags[static_cast<std::size_t>(flag)] != 0; }

// The castle comes down: its talk, and craft between its guns.
void Phase10() {
    if (AtFrame(400)) StartTalkEvent400(490);
    if (CraftFrame(400, 1500)) SpawnCastleCraft(false);
    ZoomStep();
}

// The castle opens fire: the frame goes on from 500.
void Phase11() {
    if (ScriptFrame() < 500) g_GameState.StageScriptFrame = 500;
    ZoomStep();
}

// The first ring (from frame 10000): a hub that falls early or late brings
// craft of its own. A missing castle reads as destroyed parts.
void Phase12() {
    ZoomStep();
    const i32 f = ScriptFrame();
    if (f >= 10000 && f <= 11000 && RootDestroyed(0, 3)) SetFlag(kStoryCastleHubThreeFellEarly);
    if (CraftFrame(10200, 11200) && FlagSet(kStoryCastleHubThreeFellEarly)) SpawnCastleCraft(true);
    if (f >= 14000 && f <= 15000 && RootDestroyed(0, 8)) SetFlag(kStoryCastleHubEightFell);
    if (CraftFrame(14000, 15000) && FlagSet(kStoryCastleHubEightFell)) SpawnCastleCraft(true);
}

// Entered by no state of the stage; the zoom goes on.
void Phase13() { ZoomStep(); }

// After the castle's second ring: the stage closes once the list is empty
// and no talk runs.
void Phase14() {
    ZoomStep();
    if (g_EnemyList.empty() && !IsTalkRunning()) CloseStage();
}

}  // namespace castle

// Every (kind, state) the phases spawn.
constexpr TimelineSpawn kSpawns[] = {
    // The castle's craft.
    {15, 404},
};

// What the phases spawn and write.
constexpr TimelineNumbers kNumbers{.spawns = kSpawns};

}  // namespace

const TimelineNumbers& TimelineNumbersStage5() { return kNumbers; }

void RunStage5Script() {
    switch (g_GameState.StageScriptPhase) {
        case 10: castle::Phase10(); break;
        case 11: castle::Phase11(); break;
        case 12: castle::Phase12(); break;
        case 13: castle::Phase13(); break;
        case 14: castle::Phase14(); break;
        case kClosingPhase: FinishStageWhenClosed(); break;
        default: break;
    }
}
