#pragma once
// The command rings of the DirectSound, DirectMusic and DirectShow audio
// services: each service has a worker thread that owns its platform objects
// and runs, on its own thread, the commands that other code posts into its
// 64-slot ring.
#include <atomic>
#include <cstddef>

#include "engine/core/types.h"
#include "engine/services/service_object.h"
#include "platform/sync.h"

constexpr int kServiceRingSlots = 64;
constexpr std::size_t kServicePayloadBytes = 256;

struct ServiceCommand {
    u32 valid = 0;
    u32 code = 0;
    ServiceObject* object = nullptr;
    u8 payload[kServicePayloadBytes] = {};
};

// The first 32-bit word of a payload: the value argument of an operation.
u32 ServicePayloadValue(const u8* payload);

// Runs one taken command; returns true for the service's quit code.
using ServiceDispatchFn = bool (*)(const ServiceCommand& command);

// The common part of a service's dispatch: true for the quit code; a code
// below it calls run(object, payload, value) when the command's object is one
// of the service's kind T (anything else is ignored).
template <class T, class Run>
bool DispatchServiceCommand(const ServiceCommand& command, u32 quitCode, Run&& run) {
    if (command.code == quitCode) return true;
    auto* object = dynamic_cast<T*>(command.object);
    if (object == nullptr || command.code > quitCode) return false;
    run(object, command.payload, ServicePayloadValue(command.payload));
    return false;
}

class ServiceRing {
public:
    enum class StepResult { Ran, Quit, WaitFailed };

    // The worker's start: empties the slots, write index 0, events reset; the
    // ring then accepts commands.
    void Build();
    // The worker's end: the ring refuses further commands and wakes posters
    // waiting for a slot.
    void Close();

    // Writes a command into the slot at the write index, signals that slot
    // and resets the drained event. When that slot still holds a command that
    // has not been taken (64 pending), the poster waits until the worker
    // frees it. False, and nothing written, when the ring does not accept
    // commands, or when waiting could never end because the caller already
    // holds the ring's lock (a worker operation posting to its own full ring).
    bool Post(u32 code, ServiceObject* object, const void* payload, std::size_t size);

    // One pass of the worker loop: waits for the lowest signalled slot, takes
    // its command and runs it under the lock.
    StepResult Step(ServiceDispatchFn dispatch);

    platform::CriticalSection& Lock() { return lock_; }
    platform::Event& Drained() { return drained_; }
    u32 WriteIndex();
    bool SlotPending(int slot);
    // Posters now waiting for a free slot (tests).
    int WaitingPosters() const { return waitingPosters_.load(); }

private:
    ServiceCommand slots_[kServiceRingSlots];
    platform::Event events_[kServiceRingSlots];
    u32 writeIndex_ = 0;
    platform::CriticalSection lock_;
    platform::Event drained_;
    platform::Event freed_;
    bool accepting_ = false;
    std::atomic<int> waitingPosters_{0};
};

enum class ServiceId { DirectSound, DirectMusic, DirectShow };

// One ring service: its ring, worker thread and object list.
class RingService {
public:
    struct Definition {
        const char* bannerWord;  // "DirectSound", "DirectMusic", "DirectShow(Audio)"
        u32 quitCode;
        ServiceDispatchFn dispatch;
        void (*setUp)();     // platform objects, on the worker (may be null)
        void (*tearDown)();  // their release, on the worker (may be null)
    };

    explicit RingService(const Definition& definition) : definition_(definition) {}

    // The start handshake: starts the worker and waits until its ring exists.
    // 1 once the worker waits on its ring; 0 when the thread could not be
    // made (nothing waits then, and Destroy only logs).
    u32 Initialize();
    // Posts the quit command and waits for the worker to end; only logs when
    // the service was never started.
    void Destroy();

    bool Started() const { return started_.load(); }
    bool Post(u32 code, ServiceObject* object, const void* payload, std::size_t size);
    // Puts an object into the service's list (under the ring's lock).
    void AddObject(ServiceObject* object);
    ServiceRing& Ring() { return ring_; }
    ServiceObjectList& Objects() { return objects_; }

private:
    void WorkerMain(platform::Event* ready);

    Definition definition_;
    ServiceRing ring_;
    ServiceObjectList objects_;
    platform::Thread thread_;
    std::atomic<bool> started_{false};
};

RingService& GetRingService(ServiceId service);

// The one way to put a command into a service's ring; the payload (at most
// 256 bytes, the rest zero) is copied. False when the service does not take
// it (not running, or see ServiceRing::Post).
bool PostServiceCommand(ServiceId service, u32 code, ServiceObject* object, const void* payload = nullptr,
                        std::size_t size = 0);

// Quit codes.
constexpr u32 kDirectSoundQuitCode = 18;
constexpr u32 kDirectMusicQuitCode = 16;
constexpr u32 kDirectShowQuitCode = 9;
