#pragma once
// What the ending scene is asked to do when it is entered: 6 after the last
// stage of a full run (it goes on to the result screen afterwards); the
// stage report sets it.
#include "engine/core/types.h"

constexpr i32 kEndingAfterRun = 6;

extern i32 EndingRequest;
