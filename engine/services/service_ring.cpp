#include "engine/services/service_ring.h"

#include <cstring>
#include <mutex>

#include "engine/services/service_log.h"
#include "platform/com.h"

// Each service's instance lives with its platform objects.
RingService& DirectSoundRingService();
RingService& DirectMusicRingService();
RingService& DirectShowRingService();

u32 ServicePayloadValue(const u8* payload) {
    u32 value = 0;
    std::memcpy(&value, payload, sizeof value);
    return value;
}

void ServiceRing::Build() {
    std::lock_guard<platform::CriticalSection> guard(lock_);
    for (int i = 0; i < kServiceRingSlots; ++i) {
        slots_[i] = ServiceCommand{};
        events_[i].Reset();
    }
    writeIndex_ = 0;
    drained_.Reset();
    freed_.Reset();
    accepting_ = true;
}

void ServiceRing::Close() {
    std::lock_guard<platform::CriticalSection> guard(lock_);
    accepting_ = false;
    freed_.Set();
}

bool ServiceRing::Post(u32 code, ServiceObject* object, const void* payload, std::size_t size) {
    for (;;) {
        std::unique_lock<platform::CriticalSection> guard(lock_);
        if (!accepting_) return false;
        ServiceCommand& slot = slots_[writeIndex_];
        if (slot.valid == 0) {
            slot = ServiceCommand{};
            slot.valid = 1;
            slot.code = code;
            slot.object = object;
            if (payload != nullptr && size > 0) {
                std::memcpy(slot.payload, payload, size < kServicePayloadBytes ? size : kServicePayloadBytes);
            }
            events_[writeIndex_].Set();
            writeIndex_ = (writeIndex_ + 1) % kServiceRingSlots;
            drained_.Reset();
            return true;
        }
        // All 64 slots are pending. Waiting needs the lock to be given up
        // entirely, which a caller that already held it cannot do.
        if (lock_.HeldByCaller() > 1) return false;
        freed_.Reset();
        ++waitingPosters_;
        guard.unlock();
        freed_.Wait();
        --waitingPosters_;
    }
}

ServiceRing::StepResult ServiceRing::Step(ServiceDispatchFn dispatch) {
    platform::Event* events[kServiceRingSlots];
    for (int i = 0; i < kServiceRingSlots; ++i) events[i] = &events_[i];
    const int i = platform::WaitForEvents(events, kServiceRingSlots, platform::kInfinite);
    if (i < 0) return StepResult::WaitFailed;
    // Reset before taking the lock: a post into this slot happens only under
    // the lock, so nothing is lost between the reset and the copy.
    events_[i].Reset();

    std::lock_guard<platform::CriticalSection> guard(lock_);
    const ServiceCommand command = slots_[i];
    slots_[i].valid = 0;
    freed_.Set();
    bool quit = false;
    if (command.valid != 0) quit = dispatch(command);
    if (static_cast<u32>(i) == (writeIndex_ + kServiceRingSlots - 1) % kServiceRingSlots) drained_.Set();
    return quit ? StepResult::Quit : StepResult::Ran;
}

u32 ServiceRing::WriteIndex() {
    std::lock_guard<platform::CriticalSection> guard(lock_);
    return writeIndex_;
}

bool ServiceRing::SlotPending(int slot) {
    std::lock_guard<platform::CriticalSection> guard(lock_);
    return slots_[slot].valid != 0;
}

u32 RingService::Initialize() {
    ServiceLog("\n============================================== Initialize %s\n", definition_.bannerWord);
    if (thread_.Running()) {
        ServiceLog("  エラー : %s は既に開始しています\n", definition_.bannerWord);
        return 1;
    }
    platform::Event ready;
    if (!thread_.Start([this, &ready] { WorkerMain(&ready); })) {
        ServiceLog("  エラー : %s のスレッドの生成に失敗\n", definition_.bannerWord);
        return 0;
    }
    ready.Wait();
    started_.store(true);
    return 1;
}

void RingService::Destroy() {
    ServiceLog("\n============================================== Destroy %s\n", definition_.bannerWord);
    if (!thread_.Running()) return;
    // Refused only when the worker has already left its loop.
    ring_.Post(definition_.quitCode, nullptr, nullptr, 0);
    thread_.Join();
    started_.store(false);
}

bool RingService::Post(u32 code, ServiceObject* object, const void* payload, std::size_t size) {
    return ring_.Post(code, object, payload, size);
}

void RingService::AddObject(ServiceObject* object) {
    std::lock_guard<platform::CriticalSection> guard(ring_.Lock());
    ServiceListPushBack(objects_, object);
}

void RingService::WorkerMain(platform::Event* ready) {
    platform::CoInitialize();
    if (definition_.setUp != nullptr) definition_.setUp();
    ring_.Build();
    {
        std::lock_guard<platform::CriticalSection> guard(ring_.Lock());
        ServiceListClear(objects_);
    }
    ready->Set();

    for (;;) {
        const ServiceRing::StepResult result = ring_.Step(definition_.dispatch);
        if (result == ServiceRing::StepResult::Quit) break;
        if (result == ServiceRing::StepResult::WaitFailed) {
            ServiceLog("  エラー : %s のコマンド待ちに失敗したためスレッドを終了\n", definition_.bannerWord);
            break;
        }
    }

    {
        std::lock_guard<platform::CriticalSection> guard(ring_.Lock());
        ServiceListReleaseAll(objects_);
        ring_.Close();
    }
    if (definition_.tearDown != nullptr) definition_.tearDown();
    platform::CoUninitialize();
}

RingService& GetRingService(ServiceId service) {
    switch (service) {
        case ServiceId::DirectSound: return DirectSoundRingService();
        case ServiceId::DirectMusic: return DirectMusicRingService();
        case ServiceId::DirectShow: break;
    }
    return DirectShowRingService();
}

bool PostServiceCommand(ServiceId service, u32 code, ServiceObject* object, const void* payload, std::size_t size) {
    return GetRingService(service).Post(code, object, payload, size);
}
