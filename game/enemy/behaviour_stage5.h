#pragma once
// The last stage's behaviour is kept in three files: behaviour_stage5.cpp
// (its regular enemies, the gate boss and the stage's state table),
// behaviour_stage5_castle.cpp (the castle) and behaviour_stage5_lastboss.cpp
// (the last boss and its escorts). What the three share: the pieces their
// bodies are made of, and the bodies the table names.
#include "engine/core/types.h"
#include "game/play/records.h"

namespace behaviour_stage5 {

// The heading straight up the field.

// Turns the heading or the rotation toward `target` by at most `step`.
void TurnField(f32& field, f32 target, f32 step);
// A burst of `count` explosions around (cx, cy), dx and dy to either side,
// one every `delay` frames.
void Burst(i32 count, f32 cx, f32 cy, f32 dx, f32 dy, i32 delay);
// A burst of 10 x (+-50, +-50), delay step 2, around the enemy's position
// moved by (RandomFloat(-rx, rx), RandomFloat(ryLow, ryHigh)), the shift of
// x drawn first.
void ScatteredBurst(i32 enemy, f32 rx, f32 ryLow, f32 ryHigh);
// Shake 50 and sound 9, then a scattered burst.
void Quake(i32 enemy, f32 rx, f32 ryLow, f32 ryHigh);
// StartTransition(23) with its speed 0.01: the flash of a big death.
void Flash();
// A part handed a new action starts its schedule over (timer 0): root part
// `root`, or child `child` of root part `root`; nothing when there is none.
void GiveRootAction(i32 enemy, i32 root, i32 action);
void GiveChildAction(i32 enemy, i32 root, i32 child, i32 action);
// amplitude x cos(2 pi n / period) in extended precision (SwayOffset's
// cosine).
f32 SwayCosine(i32 n, f32 amplitude, i32 period);

// The castle (behaviour_stage5_castle.cpp).
namespace castle {
bool StepCastle(i32 enemy, i32 age);         // 1001
bool StepCastleSinking(i32 enemy, i32 age);  // 1099
}  // namespace castle

// The last boss and its escorts (behaviour_stage5_lastboss.cpp).
namespace lastboss {
bool StepRising(i32 enemy, i32 age);         // 900
bool StepArrival(i32 enemy, i32 age);        // 901
bool StepDive(i32 enemy, i32 age);           // 911
bool StepWide(i32 enemy, i32 age);           // 912
bool StepSummoning(i32 enemy, i32 age);      // 913
bool StepPulsingEscort(i32 enemy, i32 age);  // 914
bool StepLastPhase(i32 enemy, i32 age);      // 915
bool StepLimbless(i32 enemy, i32 age);       // 920
bool StepDying(i32 enemy, i32 age);          // 921
bool StepEscort990(i32 enemy, i32 age);
bool StepEscort991(i32 enemy, i32 age);
bool StepEscort993(i32 enemy, i32 age);
bool StepEscort994(i32 enemy, i32 age);
bool StepBrakingEscort(i32 enemy, i32 age);  // 995
}  // namespace lastboss

}  // namespace behaviour_stage5
