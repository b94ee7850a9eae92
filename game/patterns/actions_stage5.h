#pragma once
// The last stage's attack patterns are kept in three files:
// actions_stage5.cpp (its regular enemies, the fortress, the gate boss, the
// carrier, the craft, the wheel and the stage's table),
// actions_stage5_castle.cpp (the castle) and actions_stage5_lastboss.cpp (the
// last boss and its escorts). What the three share: a few pieces of the
// patterns, and the actions the table names.
#include "engine/core/types.h"
#include "game/patterns/part_step.h"
#include "game/shell/hit_shape.h"

namespace actions_stage5 {

// pi/2 as these patterns write it.
inline constexpr f32 kHalfPiWritten = 1.5708f;

// t: the part's timer after this frame's increment.
i32 T(const PartFrame& f);
// A shell of that kind, hit points, speed and strength, facing and flying
// along `heading`, age 0.
ShellShot Shell(i32 kind, i32 hp, f32 speed, i32 strength, HitShape shape, f32 heading);
// The shell sound (sound 1).
void ShellSound();
// The aim from the drawn point of `p` (its x moved by FieldScrollX).
f32 AimFromDrawn(const f32 p[2]);

// The castle (actions_stage5_castle.cpp).
namespace castle {
void Action1001(PartFrame& f);
void Action1003(PartFrame& f);
void Action1004(PartFrame& f);
void Action1010(PartFrame& f);
void Action1020(PartFrame& f);
void Action1021(PartFrame& f);
void Action1100(PartFrame& f);
}  // namespace castle

// The last boss and its escorts (actions_stage5_lastboss.cpp).
namespace lastboss {
void Action901(PartFrame& f);
void Action902(PartFrame& f);
void Action903(PartFrame& f);
void Action910(PartFrame& f);
void Action931(PartFrame& f);
void Action932(PartFrame& f);
void Action933(PartFrame& f);
void Action951(PartFrame& f);
void Action952(PartFrame& f);
void Action960(PartFrame& f);
}  // namespace lastboss

}  // namespace actions_stage5
