#pragma once
// The numbers of the 37 sound effects, named by their entries in the sound
// archive "vsk6.dat" (SoundEffectTable in sound_effects.cpp holds the same
// list). Every caller of PlaySoundEffect, PlaySoundEffectStamped and
// GetSoundEffectStamp names its effect here; the comment says where the game
// uses it.
#include "engine/core/types.h"

constexpr i32 kSoundCoin = 0;                // coin.wav: a coin collected
constexpr i32 kSoundSenMiMisairu = 1;        // sen_mi_misairu.wav: a missile launched; the enemies' shells
constexpr i32 kSoundA5_08260 = 2;            // A5_08260.wav: no missile to launch
constexpr i32 kSoundSenGeTaihou01 = 3;       // sen_ge_taihou01.wav: a missile explodes; shells burst
constexpr i32 kSoundA5_05166 = 4;            // A5_05166.wav: a missile gained
constexpr i32 kSoundA5_01029 = 5;            // A5_01029.wav: the double missile ready
constexpr i32 kSoundGun25 = 6;               // gun25.wav: the aircraft's gun
constexpr i32 kSoundGunshot5 = 7;            // gunshot5.wav: a shot hits an enemy part
constexpr i32 kSoundBom06 = 8;               // bom06.wav: the aircraft hit
constexpr i32 kSoundSenGeBom05 = 9;          // sen_ge_bom05.wav: big explosions
constexpr i32 kSoundBom13B = 10;             // bom13_b.wav
constexpr i32 kSoundTrain = 11;              // train.wav
constexpr i32 kSoundSenMiBarukan = 12;       // sen_mi_barukan.wav: the second stage's boss, spaced
constexpr i32 kSoundFire = 13;               // fire.wav
constexpr i32 kSoundBom35 = 14;              // bom35.wav: a mid-boss core transforms; a cluster shell bursts
constexpr i32 kSoundBulletBys1 = 15;         // bullet-bys1.wav: the enemies' bullet volleys, stamped
constexpr i32 kSoundMg = 16;                 // mg.wav
constexpr i32 kSoundSenGeHasai02 = 17;       // sen_ge_hasai02.wav: the first boss's main cannon
constexpr i32 kSoundGunshot4 = 18;           // gunshot4.wav
constexpr i32 kSoundDecide2 = 19;            // decide2.wav (one buffer): an extra life; a rank mark
constexpr i32 kSoundDecide12 = 20;           // decide12.wav: score awarded; a mission completed
constexpr i32 kSoundError2 = 21;             // error2.wav: a mission failed
constexpr i32 kSoundDecide1 = 22;            // decide1.wav: the stage report
constexpr i32 kSoundMasingun = 23;           // masingun.wav: the aircraft's engine
constexpr i32 kSoundNoriGeBaikuRun012 = 24;  // nori_ge_baiku_run012.wav
constexpr i32 kSoundA5_11346S = 25;          // A5_11346S.wav
constexpr i32 kSoundAniGeToriWing02 = 26;    // ani_ge_tori_wing02.wav: the second stage's boss passes
constexpr i32 kSoundWind4 = 27;              // wind4.wav
constexpr i32 kSoundMekaGeJouki01 = 28;      // meka_ge_jouki01.wav
constexpr i32 kSoundDosya = 29;              // dosya.wav
constexpr i32 kSoundSenMiRoboBato01 = 30;    // sen_mi_robo_bato01.wav
constexpr i32 kSoundPi = 31;                 // pi.wav: target markers blink
constexpr i32 kSoundA5_08247 = 32;           // A5_08247.wav: a settings value changed
constexpr i32 kSoundPage = 33;               // page.wav: a menu or report opens
constexpr i32 kSoundKaizanSwitch15 = 34;     // kaizan-switch15.wav: the menu cursor moves
constexpr i32 kSoundDecide2Menu = 35;        // decide2.wav again (two buffers): a menu choice taken
constexpr i32 kSoundChu1 = 36;               // chu1.wav: a menu cancelled
