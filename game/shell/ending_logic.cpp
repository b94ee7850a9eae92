#include "game/shell/ending_scene.h"
#include "game/shell/game_main.h"
#include "game/shell/input.h"
#include "game/shell/music.h"
#include "game/shell/play_state.h"
#include "game/shell/shell_graphics.h"
#include "game/shell/story_flags.h"
#include "game/shell/transition.h"

EndingSceneState g_Ending;

namespace {

// The order both passes try the endings in; the first pass also tries 1 last.
constexpr i32 kEndingOrder[kEndingCount] = {2, 4, 8, 10, 12, 13, 14, 3, 5, 6, 7, 9, 11, 15, 16, 17, 18, 1};

bool ConditionHolds(i32 ending, const StoryFlagArray& flags) {
    auto f = [&](int k) { return flags[static_cast<std::size_t>(k)] != 0; };
    switch (ending) {
        case 1:
            return f(kStoryBossGotAway) && f(kStoryBossSankAway) && f(kStoryFourthBossSankAway) &&
                   f(kStoryLastBossLimbsDestroyed) &&
                   (f(kStoryThirdStageFortressDomesDown) || f(kStoryThirdStageCraftSankAway));
        case 2: return f(kStoryFirstMidBossDownedInItsTalk) && f(kStorySecondStageMidBossDownedInItsTalk);
        case 3: return f(kStoryLastStageEndingThreeRoad);
        case 4: return f(kStoryBossGotAway) && !f(kStorySecondMidBossCame);
        case 5: return f(kStoryLastStageEndingFiveRoad) && f(kStoryBossAfterSecondMidBoss);
        case 6: return f(kStorySecondMidBossDownedInAWave) && f(kStoryBossDestroyedAfterEscorts);
        case 7: return f(kStoryCarrierMidBossDestroyed) && f(kStorySecondStageEndingSevenRoad);
        case 8: return f(kStoryCarrierMidBossCrossed);
        case 9: return f(kStoryBossDestroyedInFinalForm);
        case 10: return f(kStoryBossSankAway);
        case 11: return f(kStoryThirdStageFortressDomesBonus);
        case 12: return f(kStoryThirdStageFortressDestroyed);
        case 13: return f(kStoryThirdStageEndingThirteenRoad);
        case 14: return f(kStoryLastStageEndingFourteenRoad);
        case 15: return f(kStoryFourthThirdFightCentreDowned);
        case 16: return f(kStoryFourthBossSankAway);
        case 17: return f(kStoryLastStageEndingSeventeenRoad);
        case 18: return f(kStoryLastBossLimbsDestroyed);
        default: return false;
    }
}

// Show phases: length in frames and the show phase after their wait phase.
struct ShowPhase {
    i32 phase;
    i32 length;
    i32 next;
};
constexpr ShowPhase kShowPhases[] = {
    {kEndingPicture1, 680, kEndingPicture2},    {kEndingPicture2, 680, kEndingPicture3},
    {kEndingPicture3, 680, kEndingPicture4},    {kEndingPicture4, 720, kEndingFirstText},
    {kEndingFirstText, 680, kEndingOwnPicture}, {kEndingOwnPicture, 700, kEndingPicture6},
    {kEndingPicture6, 680, kEndingPicture7},    {kEndingPicture7, 1200, kEndingBlackEnd},
};

bool ZPressed() { return g_Ending.EndingKeyState[kKeyZ] == kKeyPressed; }

void CutShort() {
    g_Ending.EndingLeaveRequest = 1;
    StartTransition(kTransitionClose);
    RequestMusic(0);
}

void StepPhaseTable() {
    const i32 t = g_Ending.EndingPhaseTimer;
    for (const ShowPhase& p : kShowPhases) {
        if (g_Ending.EndingPhase == p.phase) {
            if (t > p.length) {
                StartTransition(kTransitionFadeCover);
                if (p.phase == kEndingPicture7) TransitionState.speed = 0.01f;  // a slow fade
                g_Ending.EndingPhase = p.phase + 1;
            }
            return;
        }
        if (g_Ending.EndingPhase == p.phase + 1) {
            if (!TransitionRunning() && !g_Ending.EndingLeaveRequest) {
                if (p.phase == kEndingPicture7) RequestMusic(0);
                StartTransition(kTransitionFadeUncover);
                g_Ending.EndingPhase = p.next;
                g_Ending.EndingPhaseTimer = 0;
            }
            return;
        }
    }
    switch (g_Ending.EndingPhase) {
        case kEndingBlackStart:
            if (t > 200) {
                StartTransition(kTransitionFadeUncover);
                RequestMusic(6);
                g_Ending.EndingPhase = kEndingPicture1;
                g_Ending.EndingPhaseTimer = 0;
            }
            break;
        case kEndingBlackEnd:
            // Once the scene is leaving the timer stands still; acting again
            // would restart the closing transition in every frame.
            if (t > 300 && !g_Ending.EndingLeaveRequest) {
                if (g_Ending.EndingCycleComplete) {
                    StartTransition(kTransitionFadeUncover);
                    RequestMusic(7);
                    g_Ending.EndingPhase = kEndingCredits;
                    g_Ending.EndingPhaseTimer = 0;
                } else {
                    CutShort();
                }
            }
            break;
        case kEndingCredits:
            if (t > 3000) {
                g_Ending.EndingPhase = kEndingCreditsFade;
                RequestMusic(0);
            }
            break;
        case kEndingCreditsFade:
            if (t > 3100) {
                g_Ending.EndingPhase = kEndingLastPicture;
                g_Ending.EndingPhaseTimer = 0;
            }
            break;
        case kEndingLastPicture:
            if (t >= 301 && ZPressed()) {
                g_Ending.EndingPhase = kEndingLastFade;
                g_Ending.EndingPhaseTimer = 0;
            }
            break;
        case kEndingLastFade:
            if (t > 300) g_Ending.EndingLeaveRequest = 1;
            break;
        default: break;
    }
}

}  // namespace

i32 ChooseEnding(const StoryFlagArray& flags, const EndingCycleBytes& cycle) {
    for (i32 e : kEndingOrder) {
        if (ConditionHolds(e, flags) && cycle[static_cast<std::size_t>(e)] == 0) return e;
    }
    for (i32 e : kEndingOrder) {
        if (e == 1) continue;
        if (ConditionHolds(e, flags)) return e;
    }
    return 1;
}

i32 ChooseEnding() { return ChooseEnding(g_GameState.StoryFlags, g_SystemData.endingSeenThisCycle); }

void ResetEndingSequence() {
    g_Ending.EndingPhaseTimer = 0;
    g_Ending.EndingPhase = kEndingBlackStart;
    g_Ending.EndingFrameCount = kEndingFrameStart;
    g_Ending.EndingLeaveRequest = 0;
    g_Ending.EndingCycleComplete = 0;
}

i32 RecordEnding() {
    SystemData& s = g_SystemData;
    s.endingsShown += 1;
    const i32 e = ChooseEnding();
    const std::size_t i = static_cast<std::size_t>(e);
    g_Ending.EndingIsNew = s.endingSeen[i] == 0 ? 1 : 0;
    s.endingSeenThisCycle[i] = 1;
    g_Ending.EndingNumber = e;
    s.endingSeen[i] = 1;
    i32 seen = 0;
    for (u8 b : s.endingSeenThisCycle) seen += b != 0;
    // Bytes the game never sets (a damaged file) must not keep a cycle from
    // ever completing.
    if (seen >= kEndingCount) {
        s.endingSeenThisCycle.fill(0);
        g_Ending.EndingCycleComplete = 1;
    }
    return e;
}

void OpenEnding() {
    StartTransition(kTransitionOpen);
    RequestMusic(0);
    SceneInitRequest = 0;
}

void StepEndingSequence() {
    StepPhaseTable();
    if (!g_Ending.EndingLeaveRequest) {
        if (g_Ending.EndingPhase == kEndingBlackStart) {
            g_Ending.EndingPhaseTimer += 1;
        } else if (!g_Ending.EndingCycleComplete && ZPressed()) {
            CutShort();
        } else {
            g_Ending.EndingPhaseTimer += 1;
        }
    }
    g_Ending.EndingFrameCount += 1;
}

void LeaveEnding() {
    for (Surface*& s : g_Ending.images.pictures) ReleaseImage(s);
    ReleaseImage(g_Ending.images.overlay);
    ReleaseImage(g_Ending.images.captions1);
    ReleaseImage(g_Ending.images.captions2);
    ReleaseImage(g_Ending.images.credits);
    ReleaseImage(g_Ending.images.ticker);
    ReleaseImage(g_Ending.images.text);
    ReleaseImage(g_Ending.images.own);
    ReleaseImage(g_Ending.images.last);
    ReleaseImage(g_Ending.images.lastTexture);
    SaveSystemData();
    SceneInitRequest = 1;
    i32 next = g_Ending.EndingRequest == kEndingAfterRun ? kSceneResult : kSceneTitle;
    // A road into a scene that this build does not have leads to the title.
    if (!SceneFrame(next)) next = kSceneTitle;
    CurrentScene = next;
}
