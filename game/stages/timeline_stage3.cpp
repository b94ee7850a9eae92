// The timeline of stage index 2: one case per phase, its rules in order, then
// the background section step; at the end, the stage's scenery (what it
// loads, the picture under its field, its pan and zoom).
//
// Two routes: A 15, 17 (or 32 then 19), 19, 21, 23, 25, 29 with the fortress
// (kind 40) at its end; B 16, 18 (or 31 then 20), 20, 22, 24, 26, 33 or
// straight to 28, 30 with the long craft (kind 39). The stage load picks 15
// or 16, and at frame 150 the player's place can still switch. 34 closes.
//
// Positions written R(n) are draws of the stage generator (StagePlus,
// StageMinus), made in the order of the rows, x before y.
#include <algorithm>

#include "engine/core/radians.h"
#include "game/enemy/enemy_behaviour.h"
#include "game/play/effects.h"
#include "game/play/play_overlays.h"
#include "game/play/stage_background.h"
#include "game/play/stage_dispatch.h"
#include "game/play/talk.h"
#include "game/shell/music.h"
#include "game/shell/play_state.h"
#include "game/shell/sound_effects.h"
#include "game/shell/sound_names.h"
#include "game/shell/story_flags.h"
#include "game/stages/enemy_spawn.h"
#include "game/stages/stage_content.h"
#include "game/stages/stage_timeline.h"

namespace {

constexpr i32 kSeam = 480;
constexpr i32 kBossMusic = 16;
constexpr i32 kJetSpawnId = 381;

i32 Spawn(const SpawnOrder& order) { return SpawnAndPlace(SpawnEnemyStage3, order); }

// A spawn of kind, state, speed and place (SpawnOrder's first fields).
SpawnOrder Order(i32 kind, i32 state, f32 speed, SpawnCoord x, SpawnCoord y) { return {kind, state, speed, x, y}; }

SpawnOrder Heading(SpawnOrder o, f32 heading) {
    o.heading = heading;
    return o;
}

// The wing craft (kind 2) enters large and unarmed.
SpawnOrder Shrinking(SpawnOrder o) {
    o.scale = 1.5f;
    o.active = 0;
    return o;
}

// Kind 1 diving in at a random x of the upper field.
void SpawnFighter(i32 state, f32 speed, SpawnCoord x) { Spawn(Order(1, state, speed, x, -50.0f)); }

// Kind 1 from the left edge (heading 0) at y 100 + R(150).
void SpawnFighterFromLeft() { Spawn(Heading(Order(1, 327, 7.0f, -10.0f, StagePlus(100, 150)), 0.0f)); }
// Kind 1 from the right edge (heading -pi).
void SpawnFighterFromRight() { Spawn(Heading(Order(1, 327, 7.0f, 650.0f, StagePlus(100, 150)), -kPi)); }

// The wing craft of the routes: kind 2 in state 340.
void SpawnWingCraft(f32 x, f32 y) { Spawn(Shrinking(Order(2, 340, 7.0f, x, y))); }

// The jet craft (kind 5) climbing in with its nose up (after a boss, to
// wait by its wreck: 384 and 385).
void SpawnJet(i32 state, f32 x) { Spawn(Heading(Order(5, state, 8.0f, x, -50.0f), kUp)); }

// Kind 3 swerving in from either side at the top (330 from the left, 331
// from the right).
void SpawnSwerver(i32 state, SpawnCoord x, SpawnCoord y) { Spawn(Order(3, state, 8.0f, x, y)); }

// The first enemy of the list gets `state` (nothing when the list is empty).
void SetLeadState(i32 state) {
    if (!g_EnemyList.empty()) g_EnemyList.front().state = state;
}

bool Empty() { return g_EnemyList.empty(); }
bool After(i32 frame) { return ScriptFrame() > frame; }
bool Within(i32 first, i32 last) { return ScriptFrame() >= first && ScriptFrame() <= last; }
bool FlagSet(i32 flag) { return g_GameState.StoryFlags[static_cast<std::size_t>(flag)] == 1; }
void JumpTo(i32 frame) { g_GameState.StageScriptFrame = frame; }

// Phases 15 and 16: the jet, the first fighters and the route switch at
// frame 150.
void RouteStart(bool routeA) {
    if (AtFrame(50)) SpawnJet(routeA ? 380 : 381, 380.0f);
    if (AtFrame(150)) {
        StartTalkEvent(302);
        if (routeA) {
            if (g_PlayerState[0].x > 420.0f) {
                SetLeadState(381);
                g_GameState.StageScriptPhase = 16;
            }
        } else if (g_PlayerState[0].y < 200.0f) {
            SetLeadState(380);
            g_GameState.StageScriptPhase = 15;
        } else {
            return;
        }
    }
    if (AtFrame(400)) g_GameState.StageBannerTimer = 0;
    if (routeA) {
        if (EveryInWindow(500, 900, 40)) {
            if (ScriptFrame() % 80 == 0) {
                SpawnFighterFromLeft();
            } else {
                SpawnFighterFromRight();
            }
        }
        if (AtFrame(700)) SpawnWingCraft(320.0f, -50.0f);
        if (Within(901, 1499) && AllEnemiesInStates({341})) JumpTo(1500);
        if (After(1500) && Empty()) {
            ChangePhase(17);
            g_GameState.StoryFlags[kStoryThirdStageRouteA] = 1;
        }
    } else {
        if (EveryInWindow(500, 900, 40)) SpawnFighter(325, 7.0f, StagePlus(170, 300));
        if (After(1000) && Empty()) ChangePhase(18);
    }
}

// Phase 17: route A's first missions (barges from the top, then from below).
void Phase17() {
    if (AtFrame(100)) {
        SetMissionTimer(500, 2500);
        Spawn(Order(23, 313, 5.0f, 220.0f, -100.0f));
        StartTalkEvent300(301);
    }
    if (AtFrame(200)) Spawn(Order(23, 313, 5.0f, 420.0f, -100.0f));
    if (Within(201, 999) && AllEnemiesInStates({312})) {
        CompleteMission();
        JumpTo(1000);
        StartTalkEvent300(320);
    }
    if (EveryInWindow(1100, 1400, 50)) SpawnFighter(325, 7.0f, StagePlus(100, 200));
    if (EveryInWindow(1400, 1700, 50)) SpawnFighter(325, 7.0f, StageMinus(540, 200));
    JumpWhenListEmpty(1701, 1999, 2000);
    if (AtFrame(2000)) Spawn(Order(23, 311, 6.0f, 420.0f, 580.0f));
    if (AtFrame(2100)) Spawn(Order(23, 311, 6.0f, 220.0f, 580.0f));
    JumpWhenListEmpty(2101, 4999, 5000);
    if (EveryInWindow(5000, 5400, 50)) SpawnFighter(325, 7.0f, StagePlus(170, 300));
    if (AtFrame(5400)) {
        SpawnWingCraft(440.0f, -50.0f);
        SpawnWingCraft(200.0f, -50.0f);
    }
    if (Within(5401, 5999) && AllEnemiesInStates({341})) {
        if (FlagSet(kStoryFirstMidBossGotAway)) {
            ChangePhase(32);
            return;
        }
        JumpTo(6100);
    }
    if (AtFrame(6100)) {
        SetMissionTimer(500, 2500);
        Spawn(Order(22, 313, 5.0f, 220.0f, -100.0f));
        StartTalkEvent300(323);
    }
    if (AtFrame(6200)) Spawn(Order(22, 313, 5.0f, 420.0f, -100.0f));
    if (Within(6201, 6999) && AllEnemiesInStates({312})) {
        CompleteMission();
        StartTalkEvent300(321);
        JumpTo(7000);
    }
    if (After(7050) && Empty()) ChangePhase(19);
}

// Phase 18: route B's first missions (the fortresses of kinds 31 and 32).
void Phase18() {
    if (EveryInWindow(0, 400, 50)) SpawnFighter(325, 7.0f, StagePlus(170, 300));
    if (AtFrame(100)) Spawn(Order(31, 301, 0.0f, 320.0f, -100.0f));
    if (AtFrame(200)) StartTalkEvent(303);
    if (Within(101, 1999) && AllEnemiesInStates({305})) JumpTo(2000);
    if (AtFrame(2000)) Spawn(Shrinking(Order(2, 340, 7.0f, 420.0f, -8.0f)));
    if (AtFrame(2100)) Spawn(Shrinking(Order(2, 340, 7.0f, 220.0f, -8.0f)));
    if (EveryInWindow(2200, 2500, 40)) SpawnFighter(325, 7.0f, StagePlus(170, 300));
    if (Within(2501, 3999) && Empty()) {
        if (FlagSet(kStoryFirstMidBossGotAway)) {
            ChangePhase(31);
            return;
        }
        JumpTo(4000);
    }
    if (AtFrame(4000)) {
        SetMissionTimer(1600, 3000);
        Spawn(Order(32, 301, 0.0f, 320.0f, -100.0f));
    }
    if (EveryInWindow(4100, 4300, 50) || EveryInWindow(4900, 5100, 50)) SpawnFighterFromLeft();
    if (EveryInWindow(4500, 4700, 50) || EveryInWindow(5100, 5300, 50)) SpawnFighterFromRight();
    if (Within(5301, 5599) && AllEnemiesInStates({305})) {
        CompleteMission();
        JumpTo(6000);
    }
    if (After(6000) && Empty()) ChangePhase(20);
}

// Phases 19 and 20: a pause before the first boss.
void Pause(i32 next) {
    if (After(100) && Empty()) ChangePhase(next);
}

// Phases 31 and 32: the gunship (kind 10) in place of a timed wave.
void GunshipPhase(i32 next) {
    if (AtFrame(10)) {
        Spawn(Order(10, 281, 9.0f, 320.0f, -200.0f));
        StartTalkEvent(310);
        g_GameState.BossSequenceFlag = 1;
    }
    if (After(100) && Empty()) {
        ChangePhase(next);
        g_GameState.BossSequenceFlag = 0;
    }
}

// Phases 21 and 22: the jet craft, with a crate dropped at one place of the
// scroll.
void JetPhase(bool routeA) {
    if (EveryInWindow(100, 400, 40)) SpawnFighter(325, 7.0f, StagePlus(170, 300));
    if (Within(401, 999) && Empty()) {
        JumpTo(1000);
        return;
    }
    if (AtFrame(1050)) {
        SpawnJet(routeA ? 382 : 383, routeA ? 480.0f : 160.0f);
        g_GameState.BossActiveFlag = 1;
    }
    if (AtFrame(1150)) {
        i32 talk = 307;
        if (FlagSet(kStoryFirstMidBossGotAway)) {
            talk = 309;
        } else if (g_GameState.MissCount < 2) {
            talk = 304;
        }
        StartTalkEvent(talk);
    }
    if (Within(1120, 1239) && g_GameState.BackgroundScrollY == 120) Spawn(Order(8, 333, 0.0f, 230.0f, -100.0f));
    if (After(1400) && Empty()) {
        ChangePhase(routeA ? 23 : 24);
        g_GameState.BossActiveFlag = 0;
    }
}

// Phase 23: route A, wing craft, crates in three lanes and a barge mission.
void Phase23() {
    if (EveryInWindow(100, 600, 40)) SpawnFighter(325, 7.0f, StagePlus(170, 300));
    if (AtFrame(100)) SpawnWingCraft(420.0f, -50.0f);
    if (AtFrame(400)) SpawnWingCraft(220.0f, -80.0f);
    if (Within(600, 1500)) {
        const i32 lane = ScriptFrame() % 50;
        if (lane == 0) Spawn(Order(8, 333, 0.0f, StagePlus(520, 60), -100.0f));
        if (lane == 15) Spawn(Order(8, 333, 0.0f, StagePlus(290, 60), -100.0f));
        if (lane == 30) Spawn(Order(8, 333, 0.0f, StageMinus(120, 60), -100.0f));
    }
    if (AtFrame(1000)) {
        SetMissionTimer(500, 2500);
        Spawn(Order(24, 313, 5.0f, 220.0f, -100.0f));
        if (!FlagSet(kStoryFirstMidBossGotAway)) StartTalkEvent300(324);
    }
    if (AtFrame(1200)) Spawn(Order(24, 313, 5.0f, 420.0f, -100.0f));
    if (Within(1201, 1999) && g_GameState.MissionTimer.remaining > 0 && AllEnemiesInStates({312, 333})) {
        CompleteMission();
        StartTalkEvent300(322);
    }
    JumpWhenListEmpty(1501, 1999, 2000);
    if (After(2000) && Empty()) ChangePhase(25);
}

// Phase 24: route B, waiting fighters, the long craft passing as scenery and
// the swervers.
void Phase24() {
    if (EveryInWindow(0, 1000, 40)) SpawnFighter(326, 7.0f, StagePlus(170, 300));
    if (AtFrame(100)) SpawnWingCraft(420.0f, -80.0f);
    if (AtFrame(400)) SpawnWingCraft(220.0f, -80.0f);
    if (AtFrame(700)) SpawnWingCraft(420.0f, -50.0f);
    if (AtFrame(1000)) {
        SpawnOrder o = Order(39, 303, 0.0f, 320.0f, 1080.0f);
        o.active = 0;
        Spawn(o);
    }
    if (AtFrame(1100)) StartTalkEvent(305);
    if (EveryInWindow(1200, 1800, 40)) SpawnFighter(326, 7.0f, StagePlus(170, 300));
    if (Within(1501, 1999) && g_GameState.BackgroundSection == 30) {
        JumpTo(2000);
        return;
    }
    if (Within(2150, 2350)) {
        if (ScriptFrame() % 20 == 0) SpawnSwerver(330, StagePlus(-50, 100), StagePlus(0, 50));
        if (ScriptFrame() % 20 == 10) SpawnSwerver(331, StagePlus(590, 100), StagePlus(0, 50));
    }
    if (After(2400) && Empty()) ChangePhase(26);
}

// Phase 25: route A, the fortress passing as scenery and barges from below;
// each barge window repeats until the field is empty.
void Phase25() {
    if (AtFrame(10)) {
        SpawnOrder o = Order(40, 359, 0.0f, 320.0f, 780.0f);
        o.active = 0;
        Spawn(o);
    }
    if (AtFrame(100)) StartTalkEvent(380);
    if (EveryInWindow(100, 400, 50)) SpawnFighter(325, 6.5f, StagePlus(100, 200));
    if (EveryInWindow(200, 500, 50)) SpawnFighter(325, 6.5f, StageMinus(540, 200));
    if (AtFrame(500)) Spawn(Order(22, 315, 6.5f, 420.0f, 580.0f));
    if (AtFrame(600)) Spawn(Order(22, 315, 6.5f, 220.0f, 580.0f));
    if (AtFrame(999)) JumpTo(600);
    if (Within(600, 999) && Empty()) {
        JumpTo(1000);
        return;
    }
    if (AtFrame(1010)) Spawn(Order(23, 315, 6.5f, 420.0f, 580.0f));
    if (AtFrame(1100)) Spawn(Order(23, 315, 6.5f, 220.0f, 580.0f));
    if (AtFrame(1999)) JumpTo(1100);
    JumpWhenListEmpty(1100, 1999, 2000);
    if (AtFrame(2010)) Spawn(Order(24, 315, 6.5f, 420.0f, 580.0f));
    if (AtFrame(2100)) Spawn(Order(24, 315, 6.5f, 220.0f, 580.0f));
    if (After(2100) && Empty()) {
        ChangePhase(29);
        g_GameState.BossActiveFlag = 1;
    }
}

// Phase 26: route B's timed fortress wave; enough buoys shot down bring the
// mid-boss (33).
void Phase26() {
    if (AtFrame(50)) Spawn(Order(33, 304, 0.0f, 320.0f, 900.0f));
    if (AtFrame(100)) SetMissionTimer(1100, 3000);
    if (AtFrame(300)) Spawn(Order(7, 332, 0.0f, 460.0f, -100.0f));
    if (EveryInWindow(500, 750, 50)) {
        static constexpr f32 kX[6] = {150.0f, 490.0f, 250.0f, 390.0f, 200.0f, 440.0f};
        Spawn(Heading(Order(1, 328, 9.0f, kX[(ScriptFrame() - 500) / 50], 550.0f), kUp));
    }
    if (AtFrame(600)) Spawn(Order(6, 332, 0.0f, 180.0f, -100.0f));
    if (Within(801, 1999) && AllEnemiesInStates({305, 332})) {
        CompleteMission();
        JumpTo(2000);
    }
    if (Within(2000, 2200) && ScriptFrame() % 20 == 10) {
        SpawnSwerver(331, StagePlus(550, 100), StagePlus(50, 50));
    }
    if (AtFrame(2200)) Spawn(Order(6, 332, 0.0f, 180.0f, -100.0f));
    if (Within(2200, 2400) && ScriptFrame() % 20 == 0) SpawnSwerver(330, StagePlus(-10, 100), StagePlus(0, 50));
    if (AtFrame(2400)) Spawn(Order(7, 332, 0.0f, 460.0f, -100.0f));
    if (After(2400)) {
        if (g_GameState.KillCountA > 3) {
            ChangePhase(33);
            StartTalkEvent300(395);
            PlaySoundEffect(kSoundDosya);
        } else if (ScriptFrame() >= 2601 && Empty()) {
            ChangePhase(28);
        }
    }
}

// Phase 33: route B's mid-boss breaks in with a shaking screen.
void Phase33() {
    if (Within(0, 100)) {
        g_GameState.ScreenShakeTimer = ScriptFrame() / 2;
        g_GameState.BossSequenceFlag = 1;
        g_GameState.BossActiveFlag = 1;
    }
    if (AtFrame(100)) {
        Spawn(Order(50, 101, 12.0f, 320.0f, -20.0f));
        PlaySoundEffect(kSoundSenGeBom05);
        const f32 centre[2] = {320.0f, 30.0f};
        SpawnEffectBurst(20, centre, -180.0f, 180.0f, -50.0f, 50.0f, 2);
    }
    if (Within(400, 600)) {
        if (ScriptFrame() % 40 == 0) SpawnSwerver(330, StagePlus(-50, 100), StagePlus(0, 50));
        if (ScriptFrame() % 40 == 20) SpawnSwerver(331, StagePlus(590, 100), StagePlus(0, 50));
    }
    if (After(100) && Empty()) {
        ChangePhase(28);
        g_GameState.BossSequenceFlag = 0;
        g_GameState.BossActiveFlag = 0;
    }
}

// Phase 28: route B's last mission and the long craft's arrival.
void Phase28() {
    if (Within(1, 999) && g_GameState.BackgroundSection == 33) JumpTo(1000);
    if (AtFrame(1000)) SetMissionTimer(600, 2000);
    if (Within(1100, 1400) && ScriptFrame() % 30 == 0) {
        if (ScriptFrame() % 60 == 0) {
            Spawn(Heading(Order(1, 327, 7.5f, StageMinus(0, 100), StagePlus(200, 150)), 0.0f));
        } else {
            Spawn(Heading(Order(1, 327, 7.5f, StagePlus(640, 100), StagePlus(200, 150)), -kPi));
        }
    }
    if (Within(1401, 1999) && Empty()) {
        CompleteMission();
        JumpTo(2000);
    }
    if (AtFrame(2000)) {
        SpawnOrder o = Order(39, 390, 0.0f, 320.0f, -100.0f);
        o.active = 0;
        if (SpawnOrHold(SpawnEnemyStage3, o) < 0) return;
        g_GameState.BossActiveFlag = 1;
    }
    if (AtFrame(2100)) StartTalkEvent(306);
    if (After(2500)) {
        ChangePhase(30);
        RequestMusic(kBossMusic);
    }
}

// The stage closes when no talk runs and the field is empty or holds only
// the jet craft (spawn id 381), which never leaves by itself.
bool OnlyJetsLeft() { return g_EnemyList.size() == 1 && g_EnemyList.front().spawnId == kJetSpawnId; }

// Phase 29: route A's boss, the fortress (kind 40); the events follow the
// first enemy of the list.
void Phase29() {
    if (AtFrame(10)) {
        RequestMusic(kBossMusic);
        SpawnOrder o = Order(40, 1300, 5.0f, 320.0f, -300.0f);
        o.active = 0;
        if (SpawnOrHold(SpawnEnemyStage3, o) < 0) return;
        g_GameState.BossSequenceFlag = 1;
        StartTalkEvent(384);
    }
    if (LeadEnemyIs(361, 300)) {
        Spawn(Order(22, 311, 6.0f, 420.0f, 580.0f));
        Spawn(Order(24, 311, 6.0f, 220.0f, 580.0f));
        StartTalkEvent300(383);
    }
    if (LeadEnemyIs(1303, 100)) {
        static constexpr f32 kAt[4][2] = {{420.0f, 810.0f}, {220.0f, 810.0f}, {420.0f, 690.0f}, {220.0f, 690.0f}};
        for (const auto& at : kAt) {
            SpawnOrder o = Order(25, 314, 6.0f, at[0], at[1]);
            o.active = 0;
            Spawn(o);
        }
    }
    if (LeadEnemyIs(1307, 400)) SpawnJet(384, 480.0f);
    if (LeadEnemyIs(1305, 500)) {
        SpawnJet(384, 480.0f);
        StartTalkEvent(389);
    }
    if (LeadEnemyIs(1306, 600)) {
        SpawnJet(384, 480.0f);
        StartTalkEvent(390);
    }
    if (After(100) && !IsTalkRunning() && (Empty() || OnlyJetsLeft())) CloseStage();
}

// Phase 30: route B's boss, the long craft (kind 39), at the front of the
// list: its middle sets bring fighters and wing craft.
void Phase30() {
    if (const Enemy* boss = LeadEnemyInState(390)) {
        const i32 age = boss->age;
        if (boss->counter == 1 && age >= 400 && age <= 800 && age % 50 == 0) {
            SpawnFighter(325, 7.0f, (age / 50) % 2 == 0 ? StagePlus(320, 150) : StageMinus(320, 150));
        }
        if (boss->counter == 3 && (age == 500 || age == 700)) {
            Spawn(Shrinking(Order(2, 342, 7.0f, age == 500 ? 420.0f : 220.0f, -50.0f)));
        }
    }
    if (LeadEnemyIs(391, 500) || LeadEnemyIs(392, 500)) SpawnJet(385, 160.0f);
    if (After(1000) && !IsTalkRunning() && Empty()) {
        CloseStage();
        return;
    }
    if (After(100) && !IsTalkRunning() && OnlyJetsLeft()) CloseStage();
}

// Sections, after every phase step (a seam is a scroll of a whole 480):
// phase 24 after frame 1500 leaves section 0 for 30, and phase 28 section 32
// for 33, each only with the field scrolled fully (640); phase 23 after frame
// 500 leaves 0 for 50, phase 25 after frame 500 leaves 51 for 40. Those cases
// take no other step; otherwise one step of the chains 30-32, 33-35, 40-42
// and 50-51.
void StepBackgroundSections() {
    const i32 phase = g_GameState.StageScriptPhase;
    const i32 frame = ScriptFrame();
    i32& section = g_GameState.BackgroundSection;
    const bool seam = AtSeam(kSeam);
    const bool scrolledOver = g_GameState.BackgroundScrollX == 640;
    if (phase == 24 && frame > 1500 && section == 0) {
        if (seam && scrolledOver) section = 30;
        return;
    }
    if (phase == 28 && section == 32) {
        if (seam && scrolledOver) section = 33;
        return;
    }
    if (phase == 23 && frame > 500 && section == 0) {
        if (seam) section = 50;
        return;
    }
    if (phase == 25 && frame > 500 && section == 51) {
        if (seam) section = 40;
        return;
    }
    if (!seam) return;
    switch (section) {
        case 30:
        case 31:
        case 33:
        case 34:
        case 40:
        case 41:
        case 50: section += 1; break;
        default: break;
    }
}

// Every (kind, state) the phases spawn.
constexpr TimelineSpawn kSpawns[] = {
    {1, 325},  {1, 326},  {1, 327},  {1, 328},  {2, 340},  {2, 342},  {3, 330},  {3, 331},   {5, 380},
    {5, 381},  {5, 382},  {5, 383},  {5, 384},  {5, 385},  {6, 332},  {7, 332},  {8, 333},   {10, 281},
    {22, 311}, {22, 313}, {22, 315}, {23, 311}, {23, 313}, {23, 315}, {24, 311}, {24, 313},  {24, 315},
    {25, 314}, {31, 301}, {32, 301}, {33, 304}, {39, 303}, {39, 390}, {40, 359}, {40, 1300}, {50, 101},
};
// The route switch at frame 150 gives the jet the other route's state.
constexpr i32 kWrittenStates[] = {380, 381};

constexpr TimelineNumbers kNumbers{.spawns = kSpawns, .writesStates = kWrittenStates};

// ---- The scenery: what the stage loads and the picture under its field ----

// The colour word of the overlays (0 when none is drawn): section 34, and
// section 33 above scroll 240.
u32 OverlayColour(i32 section, i32 scrollY) {
    constexpr u32 kTint = 0xFFFFF0u;  // RGB (255, 255, 240)
    if (section == 34) {
        const i32 v = static_cast<i32>(200.0f - static_cast<f32>(scrollY) / 480.0f * 150.0f);
        const i32 alpha = std::clamp(15 * (v / 15), 0, 255);
        return (static_cast<u32>(alpha) << 24) | kTint;
    }
    if (section == 33 && scrollY > 240) {
        // The darkening rises in steps of 12 over the second half of the
        // section and stays at full black once it gets there (the plain
        // shift would carry past the alpha byte near the end).
        const i32 v = static_cast<i32>(static_cast<f32>(scrollY - 240) / 240.0f * 150.0f);
        const i32 alpha = std::clamp(12 * (v / 6), 0, 255);
        return static_cast<u32>(alpha) << 24;
    }
    return 0;
}

void PlanBackground(BackgroundPlan& plan) {
    const i32 o = BackgroundParallax() + BackgroundShake() + g_GameState.BackgroundScrollX;
    const i32 y = g_GameState.BackgroundScrollY;
    const i32 section = g_GameState.BackgroundSection;
    // Left column: source columns o + 120 .. min(o + 520, 640) at the field's left edge.
    i32 f = 0, g = 0;
    // clang-format off
    switch (section) {
        case 40: f = 8; g = 6; break;
        case 41: f = 6; g = 7; break;
        case 42:
        case 43:
        case 44:
        case 45: f = 7; g = 7; break;
        case 50: f = 0; g = 8; break;
        case 51: f = 8; g = 8; break;
        default: f = 0; g = 0; break;
    }
    // clang-format on
    AddBackgroundPair(plan, f, g, 120, y, o + 120, std::min(o + 520, 640));
    // Right column: the next image of the strip, whose column 0 sits at
    // screen x 640 - o.
    // clang-format off
    switch (section) {
        case 30: f = 1; g = 2; break;
        case 31: f = 2; g = 3; break;
        case 32: f = 3; g = 3; break;
        case 33: f = 3; g = 4; break;
        case 34: f = 4; g = 5; break;
        case 35: f = 5; g = 5; break;
        default: f = 1; g = 1; break;
    }
    // clang-format on
    i32 x = 640 - o;
    i32 left = 0;
    if (x < 0) {
        left = -x;
        x = 0;
    }
    const i32 right = o - 120;
    if (right > left) AddBackgroundPair(plan, f, g, x, y, left, right);
    const u32 colour = OverlayColour(section, y);
    if (colour != 0) {
        plan.overlay = true;
        plan.overlaySource = kBlackOverlaySource;
        plan.overlayColour = colour;
    }
}

// The zoom that follows the pan across the strip.
f32 PanZoom() { return 2.0f + static_cast<f32>(g_GameState.BackgroundScrollX) * 0.003125f; }

// The scroll's step by section (wrapping at 480), then the pan across the
// strip and the zoom by phase.
void ScrollBackground() {
    i32 step = 4;
    switch (g_GameState.BackgroundSection) {
        // clang-format off
        case 19: case 35: case 43: case 49: step = 6; break;
        case 34: case 42: step = 5; break;
        // clang-format on
        case 32: step = 3; break;
        case 44: step = 7; break;
        case 45: step = 8; break;
        default: break;
    }
    ScrollBackgroundBy(step, 480);

    GameState& g = g_GameState;
    const i32 phase = g.StageScriptPhase;
    if (phase == 16 && g.FrameCounter <= 400) {
        g.BackgroundZoom = PanZoom();
        return;
    }
    if (phase == 23) {
        if (g.BackgroundScrollX > 0) --g.BackgroundScrollX;
        g.BackgroundZoom = 3.0f;
        return;
    }
    if (phase == 16 || phase == 18 || phase == 20 || phase == 24) {
        if (g.BackgroundScrollX < 640) ++g.BackgroundScrollX;
    } else if (phase == 21 || phase == 22) {
        if (g.BackgroundScrollX < 320) ++g.BackgroundScrollX;
        else if (g.BackgroundScrollX > 320) --g.BackgroundScrollX;
    }
    if (phase == 25) {
        g.BackgroundZoom = 3.0f;
    } else if (phase == 29) {
        if (g.BackgroundZoom > 2.0f) g.BackgroundZoom -= 0.0025f;
    } else {
        g.BackgroundZoom = PanZoom();
    }
}

constexpr StageScenery kScenery{
    .load = {.zoom = 2.0f,
             .music = 15,
             .randomSeed = 0,
             .enemy = {"enemy03", "enemy03_2", "boss03_3"},
             .boss = {"boss03", "boss03_2"},
             .background = {"bgp03", "bgp03_2", "bgp03_3", "bgp03_4", "bgp03_5", "bgp03_6", "bgp03_7", "bgp03_8",
                            "bgp03_9"},
             .cloud = {},
             .face = {"face03", "face03_2", "face03_3"},
             .speech = {"speech03a", "speech03b", "speech03c", "speech03d", "speech03e", "speech03f", "speech03g",
                        "speech03h", "speech03i"},
             .storyFirst = 49,
             .storyLast = 68,
             .firstPhase = -1},
    .planBackground = PlanBackground,
    .scrollBackground = ScrollBackground,
};

}  // namespace

const TimelineNumbers& TimelineNumbersStage3() { return kNumbers; }

const StageScenery& SceneryStage3() { return kScenery; }

void RunStage3Script() {
    switch (g_GameState.StageScriptPhase) {
        case 15: RouteStart(true); break;
        case 16: RouteStart(false); break;
        case 17: Phase17(); break;
        case 18: Phase18(); break;
        case 19: Pause(21); break;
        case 20: Pause(22); break;
        case 21: JetPhase(true); break;
        case 22: JetPhase(false); break;
        case 23: Phase23(); break;
        case 24: Phase24(); break;
        case 25: Phase25(); break;
        case 26: Phase26(); break;
        case 28: Phase28(); break;
        case 29: Phase29(); break;
        case 30: Phase30(); break;
        case 31: GunshipPhase(20); break;
        case 32: GunshipPhase(19); break;
        case 33: Phase33(); break;
        case kClosingPhase: FinishStageWhenClosed(); break;
        default: break;
    }
    StepBackgroundSections();
}
