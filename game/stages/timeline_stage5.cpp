// The timeline of stage index 4: one case per phase, its rules in order; at
// the end, the stage's scenery (what it loads, the picture under its field).
//
// Phases: 0 opening, 29 the gate boss, 1 falling debris, 2 the approach
// (with the route choice at its end), 5 the fortress (the long road), 4 the
// last waves before the castle; 10-13 the castle; 14 after its fall; 34
// closing.
//
// R(n) is the stage generator (StagePlus, StageMinus); RandomFloat and
// RandomInt are the engine's. Background sections change at seams: a frame
// whose scroll update wrapped past 960.
#include <algorithm>

#include "engine/core/angle.h"
#include "engine/core/radians.h"
#include "engine/core/random.h"
#include "game/enemy/enemy_behaviour.h"
#include "game/play/play_overlays.h"
#include "game/play/stage_background.h"
#include "game/play/stage_dispatch.h"
#include "game/play/talk.h"
#include "game/shell/game_math.h"
#include "game/shell/music.h"
#include "game/shell/play_state.h"
#include "game/shell/replay.h"
#include "game/shell/story_flags.h"
#include "game/stages/enemy_spawn.h"
#include "game/stages/stage_content.h"
#include "game/stages/stage_timeline.h"

namespace {

constexpr f32 kLeft = -3.1415927f;
constexpr f32 kRight = 0.0f;

i32 Spawn(const SpawnOrder& order) { return SpawnAndPlace(SpawnEnemyStage5, order); }

SpawnOrder Order(i32 kind, i32 state, f32 speed, SpawnCoord x, SpawnCoord y) {
    SpawnOrder o;
    o.kind = kind;
    o.state = state;
    o.speed = speed;
    o.x = x;
    o.y = y;
    return o;
}

bool FlagSet(i32 flag) { return g_GameState.StoryFlags[static_cast<std::size_t>(flag)] != 0; }

// ---- Shared waves ----

// Debris (kind 81, state 495): speed, x and y drawn in that order.
void SpawnDebris() {
    const i32 e = Spawn(Order(81, 495, 0.0f, {}, {}));
    if (e < 0) return;
    const f32 speed = 4.0f + RandomFloat(-2.0f, 1.0f);
    const f32 x = RandomFloat(0.0f, 640.0f);
    const f32 y = -200.0f + RandomFloat(-50.0f, 50.0f);
    Enemy& debris = g_EnemyList[static_cast<std::size_t>(e)];
    debris.speed = speed;
    debris.x = x;
    debris.y = y;
    debris.heading = kDown;
}

// One small ship of a kind-80 pair, drawn whole in this order: the spawn,
// speed 1.5 + RandomFloat(0, 1), the turn rate RandomFloat(-100, 100) x
// `rate` (held in the scale), the rotation, x or y (the other fixed); then,
// when `threshold` >= 0, RandomInt(0, 100) and only above the threshold the
// state `turnState` with the age RandomInt(0, 200).
struct PairShip {
    f32 rate;
    f32 rotation;
    bool drawX;  // x drawn in lo..hi, y fixed; else y drawn, x fixed
    f32 lo, hi;
    f32 fixed;
    i32 threshold;  // -1: no draw
    i32 turnState;
};

void SpawnPairShip(const PairShip& p) {
    const i32 e = Spawn(Order(80, 490, 0.0f, {}, {}));
    if (e < 0) return;
    Enemy* ship = &g_EnemyList[static_cast<std::size_t>(e)];
    ship->speed = 1.5f + RandomFloat(0.0f, 1.0f);
    ship->scale = RandomFloat(-100.0f, 100.0f) * p.rate;
    ship->rotation = p.rotation;
    if (p.drawX) {
        ship->x = RandomFloat(p.lo, p.hi);
        ship->y = p.fixed;
    } else {
        ship->x = p.fixed;
        ship->y = RandomFloat(p.lo, p.hi);
    }
    if (p.threshold < 0) return;
    const i32 roll = RandomInt(0, 100);
    if (roll <= p.threshold) return;
    ship->state = p.turnState;
    ship->age = RandomInt(0, 200);
}

// clang-format off
// A ship from below and one from above.
void SpawnTopAndBottomPair() {
    SpawnPairShip({.rate = 0.00002f, .rotation = kUp, .drawX = true, .lo = 150.0f, .hi = 490.0f, .fixed = 520.0f,
                   .threshold = 60, .turnState = 491});
    SpawnPairShip({.rate = 0.00002f, .rotation = kDown, .drawX = true, .lo = 150.0f, .hi = 490.0f, .fixed = -50.0f,
                   .threshold = -1, .turnState = 0});
}

// A ship from the left and one from the right.
void SpawnSidePair() {
    SpawnPairShip({.rate = 0.00005f, .rotation = kRight, .drawX = false, .lo = 0.0f, .hi = 480.0f, .fixed = -50.0f,
                   .threshold = 70, .turnState = 491});
    SpawnPairShip({.rate = 0.00005f, .rotation = 3.1415927f, .drawX = false, .lo = 0.0f, .hi = 480.0f, .fixed = 690.0f,
                   .threshold = 60, .turnState = 492});
}
// clang-format on

// A kind-15 craft from the left (460) or the right (461); in phase 2 it
// fires the aimed burst (436) in place of its own pattern.
void SpawnCraft(i32 state, bool aimed) {
    SpawnOrder o = Order(15, state, 10.0f, state == 460 ? 0.0f : 640.0f, 340.0f);
    o.heading = kUp;
    const i32 e = Spawn(o);
    if (aimed && e >= 0) {
        if (EnemyPart* part = RootPartAt(e, 0)) part->action = 436;
    }
}

// ---- Phases ----

void Phase0() {
    if (AtFrame(1)) {
        static constexpr f32 kAt[5][2] = {{320, 280}, {240, 250}, {400, 250}, {160, 200}, {480, 200}};
        for (const auto& at : kAt) {
            SpawnOrder o = Order(11, 407, 0.0f, at[0], at[1]);
            o.heading = kUp;
            o.active = 0;
            o.scale = 0.6f;
            Spawn(o);
        }
    }
    if (AtFrame(100)) StartTalkEvent400(401);
    if (EveryInWindow(500, 700, 50)) {
        static constexpr f32 kX[5] = {160, 400, 240, 480, 320};
        SpawnOrder o = Order(11, 408, 7.0f, kX[(ScriptFrame() - 500) / 50], -50.0f);
        o.rotation = kUp;
        o.scale = 1.0f;
        Spawn(o);
    }
    if (EveryInWindow(500, 800, 20) || EveryInWindow(2400, 2600, 20)) {
        SpawnOrder o = Order(12, 403, 10.0f, StagePlus(120, 400), StagePlus(550, 300));
        o.heading = kUp;
        o.active = 0;
        o.scale = 0.6f;
        Spawn(o);
    }
    if (EveryInWindow(800, 1400, 20) || EveryInWindow(2700, 2900, 20)) {
        SpawnOrder o = Order(10, 404, 7.5f, StagePlus(120, 400), -50.0f);
        o.rotation = kDown;
        Spawn(o);
    }
    if (AtFrame(1500) || AtFrame(1600)) {
        SpawnOrder o = Order(21, 430, 8.0f, AtFrame(1500) ? 200.0f : 440.0f, -100.0f);
        o.rotation = kDown;
        Spawn(o);
    }
    if (EveryInWindow(1600, 1700, 20)) Spawn(Order(10, 404, 7.5f, StagePlus(120, 150), -50.0f));
    if (EveryInWindow(1700, 1800, 20)) Spawn(Order(10, 404, 7.5f, StageMinus(520, 150), -50.0f));
    if (AtFrame(1900)) Spawn(Order(21, 430, 8.0f, 320.0f, -50.0f));
    if (EveryInWindow(1900, 2000, 25)) Spawn(Order(10, 404, 7.5f, StagePlus(170, 300), -50.0f));
    // The wait before the side wave ends once the field is clear; the wave's
    // first pair comes in the same call.
    JumpWhenListEmpty(2001, 2199, 2200);
    if (EveryInWindow(2200, 2400, 50)) {
        SpawnOrder o = Order(11, 432, 8.0f, StageMinus(50, 200), StagePlus(200, 150));
        o.heading = kRight;
        o.rotation = kUp;
        Spawn(o);
    }
    if (EveryInWindow(2400, 2600, 50)) {
        SpawnOrder o = Order(11, 432, 8.0f, StagePlus(570, 200), StagePlus(200, 150));
        o.heading = kLeft;
        o.rotation = kUp;
        Spawn(o);
    }
    if (ScriptFrame() > 3000 && g_EnemyList.empty()) ChangePhase(29);
}

// The gate boss; the debris road opens once it is gone.
void Phase29() {
    if (AtFrame(10)) {
        SpawnOrder o = Order(99, 410, 2.0f, 320.0f, -200.0f);
        o.active = 0;
        if (SpawnOrHold(SpawnEnemyStage5, o) < 0) return;
        RequestMusic(23);
        g_GameState.BossSequenceFlag = 1;
        g_GameState.BossActiveFlag = 1;
    }
    if (ScriptFrame() > 100 && g_EnemyList.empty()) {
        RequestMusic(17);
        ChangePhase(1);
        g_GameState.BackgroundSection = 1;
        g_GameState.BossSequenceFlag = 0;
    }
}

void Phase1() {
    if (ScriptFrame() % 10 == 0) SpawnDebris();
    if (g_GameState.BackgroundSection >= 2) ChangePhase(2);
}

// The friend of the earlier stages who comes to help at frame 700, the
// first whose flags are set; false when none is.
bool SpawnFriend() {
    struct Friend {
        i32 kind, state;
        f32 x, y, speed;
        i32 talk;
    };
    const Friend* chosen = nullptr;
    static constexpr Friend kFriends[4] = {{90, 481, 50, 150, 5.0f, 421},
                                           {91, 482, 620, 200, -4.5f, 422},
                                           {92, 483, 50, 150, 5.0f, 423},
                                           {93, 482, 620, 200, -4.5f, 424}};
    if (FlagSet(kStoryFourthMidBossOutlasted) && FlagSet(kStoryThirdStageFortressPushedOff)) {
        chosen = &kFriends[0];
    } else if (FlagSet(kStoryBossDestroyed) && FlagSet(kStorySecondMidBossCame)) {
        chosen = &kFriends[1];
    } else if (FlagSet(kStoryFirstMidBossDowned) && FlagSet(kStorySecondStageMidBossDowned)) {
        chosen = &kFriends[2];
    } else if (FlagSet(kStoryCarrierMidBossDestroyed)) {
        chosen = &kFriends[3];
    }
    if (chosen == nullptr) return false;
    SpawnOrder o = Order(chosen->kind, chosen->state, chosen->speed, chosen->x, chosen->y);
    o.heading = kUp;
    Spawn(o);
    StartTalkEvent400(chosen->talk);
    return true;
}

// The sum of the ranks of the four stages before this one.
i32 EarlierRanks() {
    u32 sum = 0;
    for (int s = 0; s < 4; ++s) sum += g_PlayRecord.stageRank[static_cast<std::size_t>(s)];
    return static_cast<i32>(sum);
}

// The end of phase 2: the last waves (4), or the long road (5) for a strong
// run that opened it.
void ChooseRoute() {
    const i32 f = ScriptFrame();
    bool holding = false;
    for (const Enemy& e : g_EnemyList) holding = holding || (e.active != 0 && e.state != 441);
    if ((f > 2800 && f < 4000 && !holding) || f >= 4000) {
        ChangePhase(4);
        // The long road: the second stage's mid-boss sent away early and good ranks so far.
        if (FlagSet(kStorySecondStageMidBossLeftEarly) && EarlierRanks() >= 16) g_GameState.StageScriptPhase = 5;
    }
}

void Phase2() {
    const i32 f = ScriptFrame();
    if (EveryInWindow(5, 195, 5) && FlagSet(kStoryBonusWaveMissed)) {
        const bool even = (f / 5) % 2 == 0;
        SpawnOrder o =
            Order(9, even ? 405 : 406, 5.0f, even ? StagePlus(100, 250) : StagePlus(290, 250), StagePlus(520, 50));
        o.heading = kUp;
        Spawn(o);
    }
    if (EveryInWindow(0, 195, 15)) SpawnDebris();
    if (f % 100 == 50 && g_GameState.BackgroundSection >= 3) {
        SpawnTopAndBottomPair();
    } else if (f % 100 == 0 && g_GameState.BackgroundSection >= 2) {
        SpawnSidePair();
    }
    if (AtFrame(450)) {
        g_GameState.StageBannerTimer = 0;
        return;
    }
    if (AtFrame(650)) g_GameState.BossActiveFlag = 0;
    if ((EveryInWindow(600, 1400, 50) && f % 400 < 300) || EveryInWindow(1600, 2000, 50) ||
        EveryInWindow(2200, 2400, 50)) {
        SpawnOrder o = Order(10, 431, 7.0f, StagePlus(120, 400), -50.0f);
        o.rotation = kDown;
        Spawn(o);
    }
    if (AtFrame(700)) {
        if (!SpawnFriend()) return;
    }
    if (EveryInWindow(1400, 1600, 20)) SpawnCraft(460, true);
    if (EveryInWindow(2000, 2200, 20)) SpawnCraft(461, true);
    if (AtFrame(2000)) {
        SpawnOrder o = Order(20, 440, 0.5f, 320.0f, -150.0f);
        o.rotation = kDown;
        o.scale = 1.2f;
        Spawn(o);
    }
    if (EveryInWindow(2600, 2800, 10)) SpawnCraft(f % 20 == 0 ? 460 : 461, true);
    ChooseRoute();
}

// The long road: the fortress, then on to the last waves once nothing
// active is left.
void Phase5() {
    if (AtFrame(10)) {
        StartTalkEvent400(405);
        SpawnOrder o = Order(30, 281, 9.0f, 320.0f, -200.0f);
        o.heading = kDown;
        Spawn(o);
    }
    if (ScriptFrame() >= 300) {
        bool active = false;
        for (const Enemy& e : g_EnemyList) active = active || e.active != 0;
        if (!active) ChangePhase(4);
    }
    const i32 f = ScriptFrame();
    if (f % 100 == 50) {
        SpawnTopAndBottomPair();
    } else if (f % 100 == 0 && g_GameState.BackgroundSection >= 2) {
        SpawnSidePair();
    }
}

// The last waves; the castle comes at frame 3000. A refused castle (the pool
// is short) is tried again next frame.
void Phase4() {
    const i32 f = ScriptFrame();
    if ((f == 100 || f == 200 || f == 300 || f == 400) && g_GameState.BackgroundSection >= 2) SpawnSidePair();
    if (f == 50 || f == 150 || f == 250 || f == 350 || f == 450) SpawnTopAndBottomPair();
    if (AtFrame(100)) SetMissionTimer(2000, 3500);
    static constexpr i32 kCraftFrames[] = {100, 150, 200,  250,  400,  450,  500,  550,  600,  650,  800, 850,
                                           900, 950, 1000, 1050, 1200, 1250, 1300, 1350, 1400, 1450, 1600};
    for (const i32 at : kCraftFrames) {
        if (AtFrame(at)) {
            SpawnOrder o = Order(15, 431, 7.0f, StagePlus(120, 400), -50.0f);
            o.heading = kDown;
            Spawn(o);
        }
    }
    if (AtFrame(100) || AtFrame(600) || AtFrame(1100)) {
        const f32 x = AtFrame(100) ? 210.0f : AtFrame(600) ? 430.0f : 320.0f;
        SpawnOrder o = Order(20, 440, 0.5f, x, -150.0f);
        o.heading = kDown;
        o.scale = 1.2f;
        Spawn(o);
    }
    if (ScriptFrame() >= 1601 && ScriptFrame() <= 2999 && AllEnemiesInStates({441})) {
        CompleteMission();
        g_GameState.StageScriptFrame = 3000;
    }
    if (AtFrame(3000)) {
        SpawnOrder o = Order(110, 1001, 1.0f, 320.0f, -800.0f);
        o.active = 0;
        if (SpawnOrHold(SpawnEnemyStage5, o) < 0) return;
        RequestMusic(18);
        ChangePhase(10);
        g_GameState.BossSequenceFlag = 1;
        g_GameState.BossActiveFlag = 1;
    }
}

// ---------------------------------------------------------------------------
// The castle (kind 110, element 0 of the list throughout): phases 10-13 have
// no exit of their own; the castle's behaviour moves the timeline on (11, 12
// and 14). Phase 14 follows the castle's fall and closes the stage once the
// field is empty and quiet.
namespace castle {

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

// The frame phase 14 holds while the pool refuses the last boss: from it on,
// every frame tries again (the castle has sunk past the age that called it).
constexpr i32 kLastBossHeld = 1 << 30;

// The last boss comes when the sinking castle reaches age 500 with story
// flag 94 set: it rises small out of the wreck (state 900) and phase 30
// follows. A refused spawn is tried again next frame.
void HandOverToLastBoss() {
    const bool held = ScriptFrame() >= kLastBossHeld;
    if (!held && !(LeadEnemyIs(1099, 500) && FlagSet(kStoryLastBossEarned))) return;
    SpawnOrder o;
    o.kind = 101;
    o.state = 900;
    o.speed = 0.5f;
    o.x = 320.0f;
    o.y = 400.0f;
    o.heading = -kDown;
    o.scale = 0.2f;
    if (SpawnAndPlace(SpawnEnemyStage5, o) < 0) {
        g_GameState.StageScriptFrame = kLastBossHeld;
        return;
    }
    RequestMusic(22);
    ChangePhase(30);
}

// The closing test of phases 14 and 30: the stage closes once the list is
// empty and no talk runs.
void CloseWhenFieldClear() {
    if (g_EnemyList.empty() && !IsTalkRunning()) CloseStage();
}

// After the castle's second ring: the last boss's hand-over, the zoom, and
// the closing test (never while the last boss is still owed).
void Phase14() {
    HandOverToLastBoss();
    ZoomStep();
    if (ScriptFrame() < kLastBossHeld) CloseWhenFieldClear();
}

}  // namespace castle

// ---------------------------------------------------------------------------
// The last boss (kind 101, element 0 of the list from phase 14's hand-over):
// phase 30 sends its escorts (kind 102) while it calls them from below the
// field (state 913): two rings of n on a circle of 400 around the field's
// centre, and single escorts at random angles every p (then q) frames.
namespace lastboss {

constexpr f32 kQuarterTurn = 1.5707964f;

// The age of element 0 when it is in state 913, else -1.
i32 SummoningAge() {
    const Enemy* boss = LeadEnemyInState(913);
    return boss != nullptr ? boss->age : -1;
}

// An escort at (r, 0) turned by a, around (320, 240), heading a + turn.
void PlaceEscort(i32 index, f32 r, f32 a, f32 turn) {
    f32 v[2] = {r, 0.0f};
    RotateVector2(v, a);
    Enemy& e = g_EnemyList[static_cast<std::size_t>(index)];
    e.x = v[0] + 320.0f;
    e.y = v[1] + 240.0f;
    e.heading = a + turn;
    e.rotation = e.heading;
}

i32 SpawnEscort(i32 state, f32 speed) {
    SpawnOrder o;
    o.kind = 102;
    o.state = state;
    o.speed = speed;
    o.layer = 1;
    return SpawnAndPlace(SpawnEnemyStage5, o);
}

// A ring of n escorts at rest, a = i / n x 2 pi.
void SpawnRing(i32 n, i32 state, f32 turn) {
    for (i32 i = 0; i < n; ++i) {
        const i32 index = SpawnEscort(state, 0.0f);
        if (index < 0) continue;
        PlaceEscort(index, 400.0f, static_cast<f32>(i) / static_cast<f32>(n) * kTwoPi, turn);
    }
}

// One escort at speed 10 at a random angle and a radius of 400 to 500 (the
// angle drawn first, both after the spawn).
void SpawnSingle(i32 state, f32 turn) {
    const i32 index = SpawnEscort(state, 10.0f);
    if (index < 0) return;
    const f32 a = AngleToRadian(DegreeToAngle(RandomInt(0, 360)));
    const f32 r = 400.0f + RandomFloat(0.0f, 100.0f);
    PlaceEscort(index, r, a, turn);
}

void Phase30() {
    castle::ZoomStep();
    const i32 d = g_GameState.Difficulty;
    const i32 n = d == 1 ? 10 : d == 2 ? 12 : 8;
    const i32 p = d == 1 ? 100 : d == 2 ? 80 : 120;
    const i32 q = d == 1 ? 60 : d == 2 ? 40 : 80;
    if (SummoningAge() == 2100) SpawnRing(n, 993, -kQuarterTurn);
    if (SummoningAge() == 2300) SpawnRing(n, 994, kQuarterTurn);
    i32 a = SummoningAge();
    if (a >= 1100 && a <= 1500 && a % p == 0) SpawnSingle(990, -kQuarterTurn);
    a = SummoningAge();
    if (a >= 1100 && a <= 1500 && a % p == p / 2) SpawnSingle(991, kQuarterTurn);
    a = SummoningAge();
    if (a >= 1600 && a <= 2000 && a % q == 0) SpawnSingle(990, -kQuarterTurn);
    a = SummoningAge();
    if (a >= 1600 && a <= 2000 && a % q == q / 2) SpawnSingle(991, kQuarterTurn);
    castle::CloseWhenFieldClear();
}

}  // namespace lastboss

// Sections at seams: 0 to 1 in phase 1 (with the road's music), 1 to 2, 2 to
// 3 (with talk 420), and 3 to 9 one by one in phase 30. `seam`: this frame's
// scroll update wrapped.
void StepBackgroundSections(bool seam) {
    if (!seam) return;
    i32& section = g_GameState.BackgroundSection;
    const i32 phase = g_GameState.StageScriptPhase;
    switch (section) {
        case 0:
            if (phase == 1) {
                section = 1;
                RequestMusic(17);
            }
            break;
        case 1: section = 2; break;
        case 2:
            section = 3;
            StartTalkEvent400(420);
            break;
        case 3:
        case 4:
        case 5:
        case 6:
        case 7:
        case 8:
            if (phase == 30) section += 1;
            break;
        default: break;
    }
}

// Every (kind, state) the phases spawn.
constexpr TimelineSpawn kSpawns[] = {
    // clang-format off
    {9, 405},   {9, 406},   {10, 404},  {10, 431},  {11, 407},  {11, 408},  {11, 432},  {12, 403},
    {15, 431},  {15, 460},  {15, 461},  {20, 440},  {21, 430},  {30, 281},  {80, 490},  {81, 495},
    {90, 481},  {91, 482},  {92, 483},  {93, 482},  {99, 410},  {110, 1001},
    // The castle's craft.
    {15, 404},
    // The last boss and its escorts.
    {101, 900}, {102, 990}, {102, 991}, {102, 993}, {102, 994},
    // clang-format on
};
// The pair ships' states, written right after their spawn.
constexpr i32 kWrittenStates[] = {490, 491, 492};
// The aimed burst of the approach's craft.
constexpr i32 kWrittenActions[] = {436};

constexpr TimelineNumbers kNumbers{.spawns = kSpawns, .writesStates = kWrittenStates, .writesActions = kWrittenActions};

// ---- The scenery: what the stage loads and the picture under its field ----

constexpr Rect kOverlaySource{192, 128, 222, 158};

void PlanClouds(BackgroundPlan& plan) {
    const i32 section = g_GameState.BackgroundSection;
    const f32 low = 240.0f - 0.25f * static_cast<f32>(g_GameState.BackgroundScrollY);
    switch (section) {
        case 0: AddCloud(plan, 0, 2400, CloudV(960), 0.0f); break;
        case 1: AddCloud(plan, 0, 2400, 0.0f, -0.25f * static_cast<f32>(g_GameState.BackgroundScrollY)); break;
        case 2:
        case 3: break;
        case 4: AddCloud(plan, 0, 960, 0.0f, low); break;
        case 5:
            AddCloud(plan, 1, 3600, 0.0f, low);
            AddCloud(plan, 0, 960, CloudV(960), 0.0f);
            break;
        default:
            if (section >= 6) {
                AddCloud(plan, 1, 3600, CloudV(960), 0.0f);
                AddCloud(plan, 0, 960, CloudV(960), 0.0f);
            } else {
                AddCloud(plan, 0, 2400, CloudV(960), 0.0f);
            }
            break;
    }
}

void PlanBackground(BackgroundPlan& plan) {
    const i32 o = BackgroundParallax() + BackgroundShake();
    const i32 y = g_GameState.BackgroundScrollY / 2;
    const i32 section = g_GameState.BackgroundSection;
    switch (section) {
        case 0: AddFieldPair(plan, 0, 0, y, o); break;
        case 1: AddFieldPair(plan, 0, 1, y, o); break;
        case 2: AddFieldPair(plan, 1, 2, y, o); break;
        case 3:
        case 4: AddFieldPair(plan, 2, 2, y, o); break;
        case 5: AddFieldPair(plan, 2, 3, y, o); break;
        case 6: AddFieldPair(plan, 3, 4, y, o); break;
        default:
            if (section < 0) AddFieldPair(plan, 0, 0, y, o);
            else AddFieldPair(plan, 4, 4, y, o);
            break;
    }
    PlanClouds(plan);
    const i32 alpha = std::min(g_GameState.FrameCounter / 80 + 50, 150);
    SetBackgroundOverlay(plan, kOverlaySource, static_cast<u32>(std::max(alpha, 0)), 0xFFFFFF);
}

// The scroll's step per frame in a background section (it wraps at 960).
i32 ScrollStep(i32 section) {
    switch (section) {
        case 0: return 3;
        case 1: return 5;
        case 2: return 4;
        case 4: return 2;
        case 5: return 3;
        case 6: return 4;
        case 7: return 6;
        case 8: return 8;
        case 9: return 12;
        default: return 1;
    }
}

void ScrollBackground() { ScrollBackgroundBy(ScrollStep(g_GameState.BackgroundSection), 960); }

constexpr StageScenery kScenery{
    .load = {.zoom = 300.0f,
             .music = 21,
             .randomSeed = 0,
             .enemy = {"enemy04", "enemy04_2", "enemy04_3", "enemy04_4", "enemy04_5", "shiro1", "shiro2", "shiro3",
                       "shiro4"},
             .boss = {"boss04", "boss04_2"},
             .background = {"bgp04_1", "bgp04_2", "bgp04_3", "bgp04_4", "bgp04_5"},
             .cloud = {"cloud03", "cloud04"},
             .face = {"face04", "face04_2", "face04_3"},
             .speech = {"speech04a", "speech04b", "speech04c", "speech04d", "speech04e", "speech04f", "speech04g",
                        "speech04h", "speech04i"},
             .storyFirst = 80,
             .storyLast = 96,
             .firstPhase = 0},
    .planBackground = PlanBackground,
    .scrollBackground = ScrollBackground,
};

}  // namespace

const TimelineNumbers& TimelineNumbersStage5() { return kNumbers; }

const StageScenery& SceneryStage5() { return kScenery; }

void RunStage5Script() {
    // The scroll moved before the timeline, by the step of the section it
    // was in then: it wrapped when it now stands below that step.
    const bool seam = g_GameState.BackgroundScrollY < ScrollStep(g_GameState.BackgroundSection);
    switch (g_GameState.StageScriptPhase) {
        case 0: Phase0(); break;
        case 29: Phase29(); break;
        case 1: Phase1(); break;
        case 2: Phase2(); break;
        case 5: Phase5(); break;
        case 4: Phase4(); break;
        case 10: castle::Phase10(); break;
        case 11: castle::Phase11(); break;
        case 12: castle::Phase12(); break;
        case 13: castle::Phase13(); break;
        case 14: castle::Phase14(); break;
        case 30: lastboss::Phase30(); break;
        case kClosingPhase: FinishStageWhenClosed(); break;
        default: break;
    }
    StepBackgroundSections(seam);
}
