#include "platform/clock.h"

#include <SDL.h>

namespace platform {
namespace {

class SdlClock : public Clock {
public:
    std::uint32_t NowMs() override { return SDL_GetTicks(); }
    void SleepMs(std::uint32_t ms) override { SDL_Delay(ms); }
};

Clock* g_clock = nullptr;

}  // namespace

Clock& RealClock() {
    static SdlClock clock;
    return clock;
}

Clock& CurrentClock() { return g_clock ? *g_clock : RealClock(); }

void SetClock(Clock* clock) { g_clock = clock; }

}  // namespace platform
