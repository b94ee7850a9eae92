#pragma once
// The attack patterns of every stage, handed to the play scene's dispatch
// tables.

// Registers the fifteen part steps (five stages, three difficulties) and the
// five stages' pattern resets. Called once at program start (the static
// library would drop objects that only register themselves).
void RegisterPatternContent();
