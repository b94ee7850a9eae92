#include "platform/mixer.h"

#include <atomic>

namespace platform {
namespace {

// No mixer devices: every call but the count fails.
class NoMixer : public MixerSystem {
public:
    std::uint32_t GetNumDevs() override { return 0; }
    std::uint32_t Open(std::uint32_t, HMIXER*) override { return MMSYSERR_BADDEVICEID; }
    std::uint32_t Close(HMIXER) override { return MMSYSERR_INVALHANDLE; }
    std::uint32_t GetDevCaps(std::uint32_t, MIXERCAPSA*) override { return MMSYSERR_BADDEVICEID; }
    std::uint32_t GetLineInfo(HMIXER, MIXERLINEA*, std::uint32_t) override { return MMSYSERR_INVALHANDLE; }
    std::uint32_t GetLineControls(HMIXER, MIXERLINECONTROLSA*, std::uint32_t) override { return MMSYSERR_INVALHANDLE; }
    std::uint32_t GetControlDetails(HMIXER, MIXERCONTROLDETAILS*, std::uint32_t) override {
        return MMSYSERR_INVALHANDLE;
    }
    std::uint32_t SetControlDetails(HMIXER, const MIXERCONTROLDETAILS*, std::uint32_t) override {
        return MMSYSERR_INVALHANDLE;
    }
};

std::atomic<MixerSystem*> g_system{nullptr};

MixerSystem& System() {
    static NoMixer none;
    MixerSystem* s = g_system.load();
    return s != nullptr ? *s : none;
}

}  // namespace

void SetMixerSystem(MixerSystem* system) { g_system.store(system); }

std::uint32_t mixerGetNumDevs() { return System().GetNumDevs(); }

std::uint32_t mixerOpen(HMIXER* mixer, std::uint32_t id, std::uintptr_t, std::uintptr_t, std::uint32_t) {
    if (mixer == nullptr) return MMSYSERR_INVALPARAM;
    *mixer = 0;
    return System().Open(id, mixer);
}

std::uint32_t mixerClose(HMIXER mixer) { return System().Close(mixer); }

std::uint32_t mixerGetDevCapsA(std::uintptr_t id, MIXERCAPSA* caps, std::uint32_t size) {
    if (caps == nullptr || size < sizeof(MIXERCAPSA)) return MMSYSERR_INVALPARAM;
    return System().GetDevCaps(static_cast<std::uint32_t>(id), caps);
}

std::uint32_t mixerGetLineInfoA(HMIXER mixer, MIXERLINEA* line, std::uint32_t flags) {
    if (line == nullptr) return MMSYSERR_INVALPARAM;
    return System().GetLineInfo(mixer, line, flags);
}

std::uint32_t mixerGetLineControlsA(HMIXER mixer, MIXERLINECONTROLSA* controls, std::uint32_t flags) {
    if (controls == nullptr) return MMSYSERR_INVALPARAM;
    return System().GetLineControls(mixer, controls, flags);
}

std::uint32_t mixerGetControlDetailsA(HMIXER mixer, MIXERCONTROLDETAILS* details, std::uint32_t flags) {
    if (details == nullptr) return MMSYSERR_INVALPARAM;
    return System().GetControlDetails(mixer, details, flags);
}

std::uint32_t mixerSetControlDetails(HMIXER mixer, const MIXERCONTROLDETAILS* details, std::uint32_t flags) {
    if (details == nullptr) return MMSYSERR_INVALPARAM;
    return System().SetControlDetails(mixer, details, flags);
}

}  // namespace platform
