// The DirectShow audio service: a worker with no platform objects of its own
// that runs the commands of the media objects in its list, and the pump that
// drains those objects' media events on the main thread.
#include <mutex>

#include "engine/services/services.h"
#include "engine/services/service_ring.h"
#include "platform/com.h"

namespace {

bool DispatchDirectShow(const ServiceCommand& command) {
    const auto run = [&](DirectShowServiceObject* object, const u8* data, u32 value) {
        switch (command.code) {
            case 0: object->Operation3(data); break;
            case 1: object->Release(); break;
            case 2: object->Operation4(value); break;
            case 3: break;
            case 4: object->Operation5(); break;
            case 5: object->Operation7(); break;
            case 6: object->Operation8(value); break;
            case 7: object->Operation9(value); break;
            case 8: object->Operation10(value); break;
            default: break;
        }
    };
    return DispatchServiceCommand<DirectShowServiceObject>(command, kDirectShowQuitCode, run);
}

}  // namespace

RingService& DirectShowRingService() {
    static RingService service({"DirectShow(Audio)", kDirectShowQuitCode, DispatchDirectShow, nullptr, nullptr});
    return service;
}

u32 InitializeDirectShow() { return DirectShowRingService().Initialize(); }

void DestroyDirectShow() { DirectShowRingService().Destroy(); }

void DirectShowPumpEvents() {
    RingService& service = DirectShowRingService();
    // The window procedure calls this whatever the subsystem mask says; with
    // no service running there is no list to drain.
    if (!service.Started()) return;
    std::lock_guard<platform::CriticalSection> guard(service.Ring().Lock());
    for (ServiceObject* node = ServiceListHead(service.Objects()); node != nullptr; node = ServiceListNext(node)) {
        auto* media = dynamic_cast<DirectShowServiceObject*>(node);
        if (media == nullptr || media->active == 0 || media->events == nullptr) continue;
        i32 code = 0;
        std::intptr_t param1 = 0;
        std::intptr_t param2 = 0;
        while (media->events->GetEvent(&code, &param1, &param2, 0)) {
            media->events->FreeEventParams(code, param1, param2);
            if (code != platform::EC_COMPLETE) continue;
            if (media->seeking != nullptr) {
                i64 position = media->loopStart;
                media->seeking->SetPositions(&position, platform::AM_SEEKING_AbsolutePositioning, nullptr,
                                             platform::AM_SEEKING_NoPositioning);
            }
            if (media->loop != 0) {
                if (media->control != nullptr) media->control->Run();
            } else {
                media->Operation5();
            }
        }
    }
}
