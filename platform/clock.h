#pragma once
// Millisecond clock and sleep (the engine's timeGetTime and Sleep).
// A real clock is used in a window; tests and headless runs install a virtual
// clock whose Sleep advances time instead of waiting.
#include <cstdint>

namespace platform {

class Clock {
public:
    virtual ~Clock() = default;
    virtual std::uint32_t NowMs() = 0;
    virtual void SleepMs(std::uint32_t ms) = 0;
};

// Wall-clock time (SDL ticks) and real sleeping.
Clock& RealClock();

// A clock that only moves when slept on or advanced.
class VirtualClock : public Clock {
public:
    explicit VirtualClock(std::uint32_t start = 0) : now_(start) {}
    std::uint32_t NowMs() override { return now_; }
    void SleepMs(std::uint32_t ms) override {
        now_ += ms;
        slept_ += ms;
        ++sleeps_;
    }
    void Advance(std::uint32_t ms) { now_ += ms; }
    std::uint64_t TotalSlept() const { return slept_; }
    int SleepCalls() const { return sleeps_; }

private:
    std::uint32_t now_;
    std::uint64_t slept_ = 0;
    int sleeps_ = 0;
};

// The clock the engine uses; RealClock() until SetClock is called.
Clock& CurrentClock();
void SetClock(Clock* clock);  // nullptr restores the real clock

inline std::uint32_t timeGetTime() { return CurrentClock().NowMs(); }
inline void Sleep(std::uint32_t ms) { CurrentClock().SleepMs(ms); }

}  // namespace platform
