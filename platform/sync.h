#pragma once
// Threads, events, waits and re-entrant locks for the engine's service
// workers: our stand-ins for the kernel32 objects (CreateThread, manual-reset
// events, WaitForMultipleObjects, critical sections), on the C++ standard
// library.
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

namespace platform {

constexpr std::uint32_t kInfinite = 0xFFFFFFFFu;
// The most events one wait accepts.
constexpr int kMaxWaitEvents = 64;
// Results of WaitForEvents besides a signalled index.
constexpr int kWaitFailed = -1;
constexpr int kWaitTimeout = -2;

// A kernel-style event. Manual-reset events stay signalled until Reset;
// auto-reset events are reset by the wait that they release.
class Event {
public:
    explicit Event(bool manualReset = true, bool initiallySet = false)
        : manual_(manualReset), signalled_(initiallySet) {}
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    void Set();
    void Reset();
    bool IsSet() const;
    // Waits until the event is signalled; false on time-out.
    bool Wait(std::uint32_t timeoutMs = kInfinite);

private:
    friend int WaitForEvents(Event* const* events, int count, std::uint32_t timeoutMs);
    bool manual_;
    bool signalled_;  // guarded by the events' shared mutex
};

// Waits until any of `count` events (1 to kMaxWaitEvents, none null) is
// signalled and returns the lowest signalled index. kWaitTimeout after
// `timeoutMs`, kWaitFailed for a bad argument list or when the EventWait
// fault is injected (see fault_points.h).
int WaitForEvents(Event* const* events, int count, std::uint32_t timeoutMs = kInfinite);

// A re-entrant lock (a critical section): the thread that holds it may take
// it again. Meets the standard Lockable requirements.
class CriticalSection {
public:
    void lock() {
        mutex_.lock();
        Entered();
    }
    bool try_lock() {
        if (!mutex_.try_lock()) return false;
        Entered();
        return true;
    }
    void unlock() {
        if (--depth_ == 0) owner_.store(std::thread::id());
        mutex_.unlock();
    }
    // How many times the calling thread holds the lock (0 when it does not).
    int HeldByCaller() const { return owner_.load() == std::this_thread::get_id() ? depth_ : 0; }

private:
    void Entered() {
        if (depth_++ == 0) owner_.store(std::this_thread::get_id());
    }
    std::recursive_mutex mutex_;
    std::atomic<std::thread::id> owner_{};
    int depth_ = 0;  // written only by the owner while it holds the lock
};

// A joinable thread. Start reports failure instead of throwing; the
// ThreadCreate fault makes it fail (fault_points.h).
class Thread {
public:
    Thread() = default;
    ~Thread();
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    bool Start(std::function<void()> body);
    // Waits until the thread has ended (nothing when none runs).
    void Join();
    bool Running() const { return thread_.joinable(); }
    bool IsCurrent() const { return thread_.get_id() == std::this_thread::get_id(); }

private:
    std::thread thread_;
};

}  // namespace platform
