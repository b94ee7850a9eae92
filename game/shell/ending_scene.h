#pragma once
// Scene 13, the ending: one of eighteen endings chosen from the run's story
// flags (preferring one not yet shown in the current cycle of endings),
// recorded in the progress file, shown as a fixed sequence of captioned
// pictures with the ending's own picture and text in the middle; the
// eighteenth different ending of a cycle adds the credits. Then the result
// screen (after a run) or the title.
#include <array>

#include "engine/core/types.h"
#include "engine/graphics/surface.h"
#include "engine/graphics/texture.h"
#include "game/shell/replay.h"
#include "game/shell/save_files.h"

constexpr i32 kEndingCount = 18;
constexpr i32 kEndingFrameStart = -3000;
// EndingRequest after the last stage of a full run: the ending goes on to the
// result screen (otherwise to the title).
constexpr i32 kEndingAfterRun = 6;

// Show phases of the sequence; each one's wait phase is one above it.
enum EndingPhaseId : i32 {
    kEndingBlackStart = 0,
    kEndingPicture1 = 10,
    kEndingPicture2 = 20,
    kEndingPicture3 = 30,
    kEndingPicture4 = 40,
    kEndingFirstText = 52,
    kEndingOwnPicture = 54,
    kEndingPicture6 = 60,
    kEndingPicture7 = 70,
    kEndingBlackEnd = 80,
    kEndingCredits = 110,
    kEndingCreditsFade = 111,
    kEndingLastPicture = 112,
    kEndingLastFade = 113,
};

struct EndingImages {
    Surface* pictures[7] = {};       // "bgp_ed01" .. "bgp_ed07"
    Texture* overlay = nullptr;      // "bgp_ed08"
    Texture* captions1 = nullptr;    // "ed01"
    Texture* captions2 = nullptr;    // "ed02": captions, the label and the numbers
    Texture* credits = nullptr;      // "ed04"
    Texture* ticker = nullptr;       // "endroll"
    Texture* text = nullptr;         // "ed_afterNN" of the chosen ending
    Surface* own = nullptr;          // "endNN" of the chosen ending
    Surface* last = nullptr;         // "end00"
    Texture* lastTexture = nullptr;  // "end00tex"
};

// The ending scene's state and images.
struct EndingSceneState {
    i32 EndingRequest = 0;  // what the scene is asked to do when entered; the stage report sets it
    i32 EndingPhase = kEndingBlackStart;
    i32 EndingPhaseTimer = 0;
    i32 EndingFrameCount = kEndingFrameStart;
    u8 EndingLeaveRequest = 0;
    u8 EndingCycleComplete = 0;
    u8 EndingIsNew = 0;
    i32 EndingNumber = 1;
    i32 EndingKeyState[8] = {};
    EndingImages images;
};
extern EndingSceneState g_Ending;

using EndingCycleBytes = std::array<u8, kEndingSlots>;

// The ending for a run's story flags and the cycle bytes (ending e seen in this
// cycle when its byte is set): 1..18.
i32 ChooseEnding(const StoryFlagArray& flags, const EndingCycleBytes& cycle);
// The same for g_GameState.StoryFlags and g_SystemData.
i32 ChooseEnding();

void InitializeEnding();
void DrawEnding();
void EndingFrame();
void LeaveEnding();

// The pieces of InitializeEnding around the images: the counters; the choice
// and its record in the progress data (returns the ending); the transition
// and the music.
void ResetEndingSequence();
i32 RecordEnding();
void OpenEnding();
// The frame's update after the draw: the phase table, the timer and the cut
// by Z, the frame count.
void StepEndingSequence();
