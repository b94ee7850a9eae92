#pragma once
// The indexes of g_GameState.StoryFlags, named by what each records. A flag
// is a byte set to 1 when its event happens in a run; the stage report and
// the ending read them, and later stages take their roads by them. Most are
// set by the talk event named beside them as it starts (talk_event_table.cpp);
// the others by the code named.
//
// Each stage's load clears its own range (the stage load table in
// play_scene.cpp): 0-22 for the first stage, 25-42 the second, 49-68 the
// third, 70-75 the fourth, 80-96 the last. Flags of one stage are listed in
// its section; a stage adds the flags it uses to its own section.
#include "engine/core/types.h"

// ---- The first stage (cleared at its load: 0-22) ----
// talk 102: the circling mid-boss shot down during its opening talk
constexpr i32 kStoryFirstMidBossDownedInItsTalk = 5;
constexpr i32 kStoryFirstMidBossGotAway = 6;         // talk 104: the circling mid-boss left the field
constexpr i32 kStoryFirstMidBossDowned = 7;          // talk 103: the circling mid-boss shot down after its talk
constexpr i32 kStoryBonusWaveMissed = 9;             // the timeline: five kills or fewer in the second wave
constexpr i32 kStoryBonusWaveThirtyKills = 10;       // talks 105 and 106: thirty kills in the bonus wave
constexpr i32 kStorySecondMidBossCame = 11;          // the timeline: the second mid-boss entered
constexpr i32 kStoryBossAfterSecondMidBoss = 12;     // talk 112: the boss came after the second mid-boss
constexpr i32 kStoryTalk11PartDowned = 13;           // talk 11: a part of sprite kind 20-24 or 301-303 destroyed
constexpr i32 kStoryBossFled = 14;                   // the boss (state 192) turned to flee after losing its cannon
constexpr i32 kStorySecondMidBossTransformed = 15;   // action 152: the second mid-boss's core became a new core
constexpr i32 kStoryBossGotAway = 16;                // talk 132: the fleeing boss left the field
constexpr i32 kStoryBossDownedFleeing = 17;          // talk 133: the fleeing boss shot down
constexpr i32 kStoryBossDestroyed = 18;              // talk 131: the boss destroyed with no escorts sent away
constexpr i32 kStoryBossDestroyedAfterEscorts = 19;  // talk 134: the boss destroyed after its escorts were sent away
constexpr i32 kStoryBossEscortDowned = 20;           // talk 120: an escort of the boss shot down in the boss phase
// state 182: escorts still flew when the boss's third phase broke
constexpr i32 kStoryBossEscortsSentAway = 21;
// talk 108: the second mid-boss shot down with other enemies about
constexpr i32 kStorySecondMidBossDownedInAWave = 22;

// ---- The second stage (cleared at its load: 25-42) ----
// talk 203: the mid-boss carrier (kind 22) crossed the field unharmed
constexpr i32 kStoryCarrierMidBossCrossed = 25;
constexpr i32 kStoryCarrierMidBossFell = 26;          // talk 204: the crippled mid-boss carrier fell out of the field
constexpr i32 kStoryCarrierMidBossDestroyed = 27;     // talk 205: the mid-boss carrier destroyed
constexpr i32 kStorySecondStageEndingSevenRoad = 28;  // read by ending 7 (with 27); nothing sets it
constexpr i32 kStoryCrossingWaveMissed = 29;          // talk 208: carriers of the crossing wave got through
constexpr i32 kStoryBossArmRebuilt = 30;              // talk 223 and action 270: an arm of the boss rebuilt
// action 260: a rebuilt arm asked for talk 223 (talk 224, the boss destroyed, sets it too)
constexpr i32 kStoryBossArmTalkAsked = 31;
// talk 226: the boss destroyed in its final form 295 (root part 4 kept)
constexpr i32 kStoryBossDestroyedInFinalForm = 32;
constexpr i32 kStoryBossSankAway = 33;      // talk 225: the boss sank away with its core standing
constexpr i32 kStoryBossGunTalkShown = 34;  // talk 222 (action 253 sets it): a boss gun's talk shown
// talk 212: the second mid-boss destroyed during its opening talk
constexpr i32 kStorySecondStageMidBossDownedInItsTalk = 35;
constexpr i32 kStorySecondStageMidBossGotAway = 36;    // talk 213 and state 280: the second mid-boss left the field
constexpr i32 kStorySecondStageMidBossDowned = 37;     // talk 211: the second mid-boss destroyed after its talk
constexpr i32 kStorySecondStageMidBossLeftEarly = 38;  // action 231: its sides shot while its core was nearly whole
constexpr i32 kStoryLateSectionTalkShown = 40;         // talk 201: the background's late sections reached
constexpr i32 kStoryBossFinalFormTalkShown = 41;       // talk 227: the long final-form fight's talk shown
constexpr i32 kStoryBossFirstPhaseTalkShown = 42;      // talk 228: the boss's first-phase talk shown

// ---- The third stage (cleared at its load: 49-68) ----
constexpr i32 kStoryThirdStageRouteA = 49;             // the timeline: route A left its first phase (15)
constexpr i32 kStoryThirdStageFortressUntouched = 52;  // talk 385: the fortress's second set broken without a hit taken
constexpr i32 kStoryThirdStageFortressPushedOff = 53;  // talk 387: the fortress pushed to the top of the field
constexpr i32 kStoryThirdStageFortressDomesDown = 54;  // talk 386: the fortress's four last domes destroyed
constexpr i32 kStoryThirdStageFortressDestroyed = 55;  // talk 388: the fortress's centre destroyed
constexpr i32 kStoryThirdStageFortressDomesBonus = 56;  // talk 386 with three bonuses taken (its bonus flag)
constexpr i32 kStoryThirdStageFirstBossFew = 57;        // talk 304: the jet phase reached with fewer than 2 misses
constexpr i32 kStoryThirdStageGunshipLeft = 60;         // talk 312: the gunship left after its time
constexpr i32 kStoryThirdStageGunshipDowned = 61;       // talk 311: the gunship shot down
// talk 315: the long craft's first middle set broken without a hit
constexpr i32 kStoryThirdStageBossUntouchedTalk = 65;
constexpr i32 kStoryThirdStageBossMissesTalk = 66;  // talk 317: three hits taken in the long craft's sets
// read by the report (picture 13) and ending 13; nothing sets it
constexpr i32 kStoryThirdStageEndingThirteenRoad = 67;
constexpr i32 kStoryThirdStageCraftSankAway = 68;  // talk 331: the long craft sank away with a main target left

// ---- The fourth stage (cleared at its load: 70-75) ----
// read by the timeline (phase 21 to the boss's preview, phase 4 to the risers); nothing sets it
constexpr i32 kStoryFourthBossPreviewRoad = 70;
// talk 537: the mid-boss's centre destroyed in its second fight (state 544)
constexpr i32 kStoryFourthSecondFightCentreDowned = 71;
// talk 538: the mid-boss's centre destroyed in its third fight (state 545)
constexpr i32 kStoryFourthThirdFightCentreDowned = 72;
// talk 541 and the timeline: the mid-boss outlasted its third fight
constexpr i32 kStoryFourthMidBossOutlasted = 73;
// read by the timeline (the boss's opening talk 550); nothing sets it
constexpr i32 kStoryFourthBossTalk550 = 74;
constexpr i32 kStoryFourthBossSankAway = 75;  // talk 555: the boss sank away (state 596) instead of exploding

// ---- The last stage (cleared at its load: 80-96) ----
constexpr i32 kStoryLastStageEndingThreeRoad = 80;  // read by ending 3; nothing sets it
constexpr i32 kStoryLastStageEndingFiveRoad = 81;   // read by ending 5 (with 12); nothing sets it
constexpr i32 kStoryFourthFriendCame = 82;          // talk 424: the fourth friend (kind 93) came to help at frame 700
constexpr i32 kStoryLastStageEndingFourteenRoad = 83;  // read by ending 14; nothing sets it
// the timeline (phase 12): the castle's third armour hub fell by frame 11000
constexpr i32 kStoryCastleHubThreeFellEarly = 85;
// the timeline (phase 12): the castle's eighth armour hub fell in frames 14000-15000
constexpr i32 kStoryCastleHubEightFell = 88;
// read by the report (picture 02) and ending 17; nothing sets it
constexpr i32 kStoryLastStageEndingSeventeenRoad = 90;
constexpr i32 kStoryCastleMidBossFellAway = 91;  // talk 414: the castle's mid-boss fell away (state 418)
// states 1001 and 1099: every armour hub of the castle fell in a run from the start with no continue
constexpr i32 kStoryLastBossEarned = 94;
constexpr i32 kStoryLastBossCoreDestroyed = 95;  // talk 495: the last boss's core destroyed (state 921)
// talk 494: the last boss's limbs destroyed before its core (state 920)
constexpr i32 kStoryLastBossLimbsDestroyed = 96;
