#include "game/shell/ending_request.h"

i32 EndingRequest = 0;
