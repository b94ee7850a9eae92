#include "platform/sync.h"

#include <chrono>
#include <condition_variable>
#include <system_error>

#include "platform/fault_points.h"

namespace platform {
namespace {

// One mutex and condition variable serve every event, so a wait over many
// events needs no registration with each of them. Waits wake on every Set and
// look again; the service rings are far too quiet for that to matter. They
// are never destroyed: a program that ends through exit() while a worker
// still waits would otherwise hang in the condition variable's destructor.
std::mutex& EventMutex() {
    static auto* m = new std::mutex;
    return *m;
}

std::condition_variable& EventSignal() {
    static auto* cv = new std::condition_variable;
    return *cv;
}

}  // namespace

void Event::Set() {
    {
        std::lock_guard<std::mutex> lock(EventMutex());
        signalled_ = true;
    }
    EventSignal().notify_all();
}

void Event::Reset() {
    std::lock_guard<std::mutex> lock(EventMutex());
    signalled_ = false;
}

bool Event::IsSet() const {
    std::lock_guard<std::mutex> lock(EventMutex());
    return signalled_;
}

bool Event::Wait(std::uint32_t timeoutMs) {
    Event* self = this;
    return WaitForEvents(&self, 1, timeoutMs) == 0;
}

int WaitForEvents(Event* const* events, int count, std::uint32_t timeoutMs) {
    if (events == nullptr || count < 1 || count > kMaxWaitEvents) return kWaitFailed;
    for (int i = 0; i < count; ++i) {
        if (events[i] == nullptr) return kWaitFailed;
    }
    if (FaultSet(Fault::EventWait)) return kWaitFailed;

    auto lowestSignalled = [&]() -> int {
        for (int i = 0; i < count; ++i) {
            if (events[i]->signalled_) return i;
        }
        return -1;
    };
    std::unique_lock<std::mutex> lock(EventMutex());
    int index = -1;
    if (timeoutMs == kInfinite) {
        EventSignal().wait(lock, [&] { return (index = lowestSignalled()) >= 0; });
    } else {
        const bool ready = EventSignal().wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                                  [&] { return (index = lowestSignalled()) >= 0; });
        if (!ready) return kWaitTimeout;
    }
    if (!events[index]->manual_) events[index]->signalled_ = false;
    return index;
}

Thread::~Thread() { Join(); }

bool Thread::Start(std::function<void()> body) {
    if (thread_.joinable() || FaultSet(Fault::ThreadCreate)) return false;
    try {
        thread_ = std::thread(std::move(body));
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void Thread::Join() {
    if (thread_.joinable() && !IsCurrent()) thread_.join();
}

}  // namespace platform
