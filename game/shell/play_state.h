#pragma once
// The state of stage play that the shell's scenes (title, stage report,
// result, ending) read and write too: the play-state block, the player and
// the mission timer. The stage's images and the two modal prompts belong to
// stage play alone (game/play/stage_textures.h, game/play/play_overlays.h).
//
// Naming: each record is one global instance called `g_` followed by the
// record's name, and the fields keep the names the whole game uses, so code
// reads g_GameState.StageScriptFrame, g_GameState.StoryFlags[kStoryBossFled],
// g_PlayerState[0].shotLevel. The lists of play objects are in
// game/play/records.h, the stage's own generator (g_StageRandomState) in
// game/play/stage_random.h.
//
// g_GameState is plain data: zero at program start and cleared for tests with
// ResetGameState().
#include "engine/core/types.h"
#include "game/shell/input.h"
#include "game/shell/replay.h"

// StageScriptPhase of the closing phase: the stage ends through it only.
constexpr i32 kClosingPhase = 34;
// Points of GameState::StarField.
constexpr int kStarFieldSize = 200;
// Entries of g_PlayerState (the game has one player).
constexpr int kPlayerCount = 1;

// PlayEndKind values.
constexpr i32 kPlayEndStageOver = 0;  // cleared or lost
constexpr i32 kPlayEndQuit = 1;
constexpr i32 kPlayEndRetry = 2;

// StartKind values.
constexpr i32 kStartFullRun = 0;
constexpr i32 kStartMenuRun = 1;  // main-menu entry 1 or the demonstration
constexpr i32 kStartStageSelect = 2;

// Difficulty values.
constexpr i32 kDifficultyEasy = 0;
constexpr i32 kDifficultyNormal = 1;
constexpr i32 kDifficultyHard = 2;

// The mission timer (a timed wave or boss): five i32 in this order.
struct MissionTimerBlock {
    i32 panelSlide = 0;  // 0..240
    i32 total = 0;       // frames of the mission
    i32 remaining = 0;   // frames left; the mission runs while this is above 0
    i32 bonus = 0;       // bonus points of a completion
    i32 alpha = 0;       // label counter 0..25
};

struct StarPoint {
    f32 x = 0;
    f32 y = 0;
};

// The play-state block, one instance (g_GameState), fields in this order.
struct GameState {
    u8 StageFinished = 0;                      // set by the stage script once its closing transition has ended
    i32 PlayEndKind = 0;                       // kPlayEnd*: how the stage ends
    i32 FrameCounter = 0;                      // frames since the stage started; index of the recorded input word
    i32 StageScriptFrame = 0;                  // frame of the stage timeline
    i32 StageIndex = 0;                        // current stage 0..4 in play order
    i32 StageScriptPhase = 0;                  // phase of the stage timeline; kClosingPhase closes the stage
    i32 Difficulty = 0;                        // kDifficulty*
    i32 StartKind = 0;                         // kStart*
    i32 GameMode = 0;                          // kGameModeNormal, kGameModeReplay, kGameModeDemo (game/shell/replay.h)
    i32 Continues = 0;                         // 3 at the start of a run; input is recorded only while it is 3
    f32 BackgroundZoom = 0;                    // per-stage divisor of the background parallax and the field scroll
    f32 FieldScrollX = 0;                      // horizontal scroll of the play field, added to the drawn x of enemies
    i32 BackgroundScrollY = 0;                 // pixels
    i32 BackgroundScrollX = 0;                 // pixels
    i32 BackgroundSection = 0;                 // background section shown
    StarPoint StarField[kStarFieldSize] = {};  // drawn afresh at random every frame
    i32 StarCount = 0;                         // StarField points drawn
    StoryFlagArray StoryFlags{};               // per-run event flags
    i32 BonusCount = 0;                        // time and boss bonuses awarded this stage
    i32 MissCount = 0;                         // hits the player took this stage
    i32 BossPhaseMissCount = 0;                // hits taken while StageScriptPhase is 10, 29 or 30
    i32 KillCountA = 0;                        // deaths of particular part kinds this stage
    i32 KillCountB = 0;
    i32 BottomPanelShift = 0;  // 0..25, HUD offset while the player is low
    i32 TopPanelShift = 0;     // 0..40, panel offset while the player is high
    i32 GaugePanelSlide = 0;   // slide of the player gauge panel
    i32 LevelDigitHeight = 0;  // half height of the shot-level digit
    i32 ScreenShakeTimer = 0;  // frames of background shake left
    i32 StageRank = 0;         // rank 1..5 of the stage just ended
    i32 StageBannerTimer = 0;  // stage banner counter, -1 hidden
    u8 BossSequenceFlag = 0;   // a boss or talk sequence runs
    u8 BossActiveFlag = 0;     // a boss is active
    i32 StageClearFade = 0;    // 0..25, follows BossActiveFlag (size of the boss label)
    i32 RankPoints = 0;        // rank points of the stage
    MissionTimerBlock MissionTimer;
};

// The player's record: all 32-bit, x and y floats, the rest signed integers.
struct PlayerState {
    i32 present = 0;           // 1 while the player exists
    i32 fireTimer = 0;         // frames the gun keeps firing
    i32 fireHoldFrames = 0;    // frames Z has been held, 0..100
    i32 bankFrames = 0;        // frames a horizontal direction has been held, 0..20
    i32 missileStock = 0;      // missiles carried, 0..5
    i32 missileCharge = 0;     // coins toward the next missile
    i32 coins = 0;             // coins collected this stage
    i32 cancelCount = 0;       // enemy bullets cancelled this stage, at most 9999
    i32 cancelShown = 0;       // displayed cancel count
    i32 levelTimer = 0;        // frames before shotLevel drops by one
    i32 levelTimerMax = 0;     // refill value of levelTimer
    i32 shotLevel = 0;         // 1..8
    i32 RunScore = 0;          // total score of the run
    i32 StageScorePoints = 0;  // points of this stage
    i32 stagePointsShown = 0;  // displayed stage points
    i32 lives = 0;             // at most 10
    i32 blinkTimer = 0;        // invulnerability frames after a hit
    i32 extendCount = 0;       // extra lives earned from coins this run
    i32 extendPoints = 0;      // coins toward the next extra life
    i32 missileCooldown = 0;   // 15 after a launch, counts down
    i32 missileChargeUp = 0;   // frames X has been held with two or more missiles, 0..30
    f32 x = 0;                 // screen pixels (the field is x 120..520)
    f32 y = 0;
    i32 keys[kKeySlotCount] = {};      // KeyState of the input in use
    i32 liveKeys[kKeySlotCount] = {};  // KeyState of the live input in playback and demonstration
};
static_assert(sizeof(PlayerState) == 39 * 4);

extern GameState g_GameState;
extern PlayerState g_PlayerState[kPlayerCount];

// Program-start values of g_GameState and g_PlayerState (all zero). For tests
// and the start of the program.
void ResetGameState();
