#pragma once
// Our stand-in for WinMM's audio mixer functions. Calls go to an installed
// mixer system; the default one has no mixer devices, so the engine records
// nothing at start and restores nothing at exit, and the system's real
// volumes are never touched. Tests install a FakeMixer (tests/support/fake_mixer.h).
#include <cstdint>

namespace platform {

using HMIXER = std::uintptr_t;

enum : std::uint32_t {
    MMSYSERR_NOERROR = 0,
    MMSYSERR_BADDEVICEID = 2,
    MMSYSERR_INVALHANDLE = 5,
    MMSYSERR_INVALPARAM = 11,
    MIXERR_INVALLINE = 1024,
    MIXERR_INVALCONTROL = 1025,
};

constexpr std::uint32_t MIXERLINE_COMPONENTTYPE_DST_SPEAKERS = 4;
constexpr std::uint32_t MIXERLINE_COMPONENTTYPE_SRC_SYNTHESIZER = 0x1004;
constexpr std::uint32_t MIXERLINE_COMPONENTTYPE_SRC_COMPACTDISC = 0x1005;
constexpr std::uint32_t MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT = 0x1008;
constexpr std::uint32_t MIXERCONTROL_CONTROLTYPE_VOLUME = 0x50030001;
constexpr std::uint32_t MIXERCONTROL_CONTROLTYPE_MUTE = 0x20010002;

constexpr std::uint32_t MIXER_GETLINEINFOF_DESTINATION = 0;
constexpr std::uint32_t MIXER_GETLINEINFOF_SOURCE = 1;
constexpr std::uint32_t MIXER_GETLINECONTROLSF_ALL = 0;
constexpr std::uint32_t MIXER_GETCONTROLDETAILSF_VALUE = 0;
constexpr std::uint32_t MIXER_SETCONTROLDETAILSF_VALUE = 0;

struct MIXERCAPSA {
    std::uint16_t wMid = 0;
    std::uint16_t wPid = 0;
    std::uint32_t vDriverVersion = 0;
    char szPname[32] = {};
    std::uint32_t fdwSupport = 0;
    std::uint32_t cDestinations = 0;
};

struct MIXERLINEA {
    std::uint32_t cbStruct = 0;
    std::uint32_t dwDestination = 0;
    std::uint32_t dwSource = 0;
    std::uint32_t dwLineID = 0;
    std::uint32_t fdwLine = 0;
    std::uintptr_t dwUser = 0;
    std::uint32_t dwComponentType = 0;
    std::uint32_t cChannels = 0;
    std::uint32_t cConnections = 0;
    std::uint32_t cControls = 0;
    char szShortName[16] = {};
    char szName[64] = {};
};

struct MIXERCONTROLA {
    std::uint32_t cbStruct = 0;
    std::uint32_t dwControlID = 0;
    std::uint32_t dwControlType = 0;
    std::uint32_t fdwControl = 0;
    std::uint32_t cMultipleItems = 0;
    char szShortName[16] = {};
    char szName[64] = {};
    std::uint32_t dwMinimum = 0;
    std::uint32_t dwMaximum = 0;
};

struct MIXERLINECONTROLSA {
    std::uint32_t cbStruct = 0;
    std::uint32_t dwLineID = 0;
    std::uint32_t dwControlType = 0;
    std::uint32_t cControls = 0;
    std::uint32_t cbmxctrl = 0;
    MIXERCONTROLA* pamxctrl = nullptr;
};

struct MIXERCONTROLDETAILS {
    std::uint32_t cbStruct = 0;
    std::uint32_t dwControlID = 0;
    std::uint32_t cChannels = 0;
    std::uint32_t cMultipleItems = 0;
    std::uint32_t cbDetails = 0;
    void* paDetails = nullptr;
};

// The mixer devices of the machine.
class MixerSystem {
public:
    virtual ~MixerSystem() = default;
    virtual std::uint32_t GetNumDevs() = 0;
    virtual std::uint32_t Open(std::uint32_t id, HMIXER* mixer) = 0;
    virtual std::uint32_t Close(HMIXER mixer) = 0;
    virtual std::uint32_t GetDevCaps(std::uint32_t id, MIXERCAPSA* caps) = 0;
    virtual std::uint32_t GetLineInfo(HMIXER mixer, MIXERLINEA* line, std::uint32_t flags) = 0;
    virtual std::uint32_t GetLineControls(HMIXER mixer, MIXERLINECONTROLSA* controls, std::uint32_t flags) = 0;
    virtual std::uint32_t GetControlDetails(HMIXER mixer, MIXERCONTROLDETAILS* details, std::uint32_t flags) = 0;
    virtual std::uint32_t SetControlDetails(HMIXER mixer, const MIXERCONTROLDETAILS* details, std::uint32_t flags) = 0;
};

// Installs the mixer system the functions below use; null restores the
// default, which has no devices. Not owned.
void SetMixerSystem(MixerSystem* system);

std::uint32_t mixerGetNumDevs();
std::uint32_t mixerOpen(HMIXER* mixer, std::uint32_t id, std::uintptr_t callback, std::uintptr_t instance,
                        std::uint32_t flags);
std::uint32_t mixerClose(HMIXER mixer);
std::uint32_t mixerGetDevCapsA(std::uintptr_t id, MIXERCAPSA* caps, std::uint32_t size);
std::uint32_t mixerGetLineInfoA(HMIXER mixer, MIXERLINEA* line, std::uint32_t flags);
std::uint32_t mixerGetLineControlsA(HMIXER mixer, MIXERLINECONTROLSA* controls, std::uint32_t flags);
std::uint32_t mixerGetControlDetailsA(HMIXER mixer, MIXERCONTROLDETAILS* details, std::uint32_t flags);
std::uint32_t mixerSetControlDetails(HMIXER mixer, const MIXERCONTROLDETAILS* details, std::uint32_t flags);

}  // namespace platform
