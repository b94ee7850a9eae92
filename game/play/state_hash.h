#pragma once
// The state hash in named parts, beside the combined hash that the runner
// prints with --hash-every (ComputeStateHash, play_scene.h): each part is the
// FNV-1a hash of the same bytes that part adds to the combined one, so that a
// run that leaves another can say which part of the state moved first.
//   player      both players' records (position, guns, lives, score)
//   enemies     the enemy list and the part pool
//   shots       the player's shots and missiles, the enemy bullets and shells
//   effects     the effects, coins and target markers
//   generators  the engine generator and the stage generator
//   script      the play-state block (stage, timeline phase and frame,
//               counters, story flags, scrolling, panels, the mission
//               timer), the continue prompt and the talk
#include <string>

#include "engine/core/types.h"

enum class StatePart : u8 { kPlayer, kEnemies, kShots, kEffects, kGenerators, kScript };
inline constexpr int kStatePartCount = 6;
// The parts' names, in the order above.
extern const char* const kStatePartNames[kStatePartCount];

struct StateHashParts {
    u64 combined = 0;                // ComputeStateHash()
    u64 part[kStatePartCount] = {};  // by StatePart
};

// Reads the state only.
StateHashParts ComputeStateHashParts();
// "player <16 hex> enemies <16 hex> ... script <16 hex>", as --hash-parts prints it.
std::string StateHashPartsText();
