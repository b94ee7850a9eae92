#include "tests/support/fake_mixer.h"

#include <algorithm>
#include <cstring>

namespace testing_support {

using namespace platform;

namespace {

void CopyName(char* out, std::size_t size, const std::string& text) {
    const std::size_t n = std::min(size - 1, text.size());
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
}

}  // namespace

std::uint32_t FakeMixer::Value(std::uint32_t controlId) const {
    for (const auto& d : destinations) {
        for (const Line* line = &d.line; line != nullptr;) {
            for (const auto& c : line->controls) {
                if (c.id == controlId) return c.value;
            }
            const std::size_t next = line == &d.line ? 0 : static_cast<std::size_t>(line - d.sources.data()) + 1;
            line = next < d.sources.size() ? &d.sources[next] : nullptr;
        }
    }
    return 0;
}

FakeMixer::Control* FakeMixer::FindControl(std::uint32_t controlId) {
    auto inLine = [&](Line& line) -> Control* {
        for (auto& c : line.controls) {
            if (c.id == controlId) return &c;
        }
        return nullptr;
    };
    for (auto& d : destinations) {
        if (Control* c = inLine(d.line)) return c;
        for (auto& s : d.sources) {
            if (Control* c = inLine(s)) return c;
        }
    }
    return nullptr;
}

FakeMixer::Line* FakeMixer::FindLine(std::uint32_t lineId) {
    const std::uint32_t d = (lineId >> 16) - 1;
    const std::uint32_t s = lineId & 0xFFFF;
    if ((lineId >> 16) == 0 || d >= destinations.size()) return nullptr;
    if (s == 0) return &destinations[d].line;
    if (s - 1 >= destinations[d].sources.size()) return nullptr;
    return &destinations[d].sources[s - 1];
}

bool FakeMixer::ValidHandle(HMIXER mixer) const {
    return std::find(openHandles_.begin(), openHandles_.end(), mixer) != openHandles_.end();
}

std::uint32_t FakeMixer::Open(std::uint32_t id, HMIXER* mixer) {
    if (id >= devices) return MMSYSERR_BADDEVICEID;
    if (openFails) return MMSYSERR_BADDEVICEID;
    ++opens;
    *mixer = nextHandle_++;
    openHandles_.push_back(*mixer);
    return MMSYSERR_NOERROR;
}

std::uint32_t FakeMixer::Close(HMIXER mixer) {
    auto it = std::find(openHandles_.begin(), openHandles_.end(), mixer);
    if (it == openHandles_.end()) return MMSYSERR_INVALHANDLE;
    openHandles_.erase(it);
    ++closes;
    return MMSYSERR_NOERROR;
}

std::uint32_t FakeMixer::GetDevCaps(std::uint32_t id, MIXERCAPSA* caps) {
    if (id >= devices || capsFail) return MMSYSERR_BADDEVICEID;
    *caps = MIXERCAPSA{};
    CopyName(caps->szPname, sizeof caps->szPname, "Fake Mixer");
    caps->cDestinations = static_cast<std::uint32_t>(destinations.size());
    return MMSYSERR_NOERROR;
}

std::uint32_t FakeMixer::GetLineInfo(HMIXER mixer, MIXERLINEA* line, std::uint32_t flags) {
    if (!ValidHandle(mixer)) return MMSYSERR_INVALHANDLE;
    const std::uint32_t d = line->dwDestination;
    if (d >= destinations.size()) return MIXERR_INVALLINE;
    const Line* found = nullptr;
    std::uint32_t id = (d + 1) << 16;
    std::uint32_t connections = 0;
    if (flags == MIXER_GETLINEINFOF_DESTINATION) {
        found = &destinations[d].line;
        connections = static_cast<std::uint32_t>(destinations[d].sources.size());
    } else if (flags == MIXER_GETLINEINFOF_SOURCE) {
        const std::uint32_t s = line->dwSource;
        if (s >= destinations[d].sources.size()) return MIXERR_INVALLINE;
        found = &destinations[d].sources[s];
        id += s + 1;
    } else {
        return MMSYSERR_INVALPARAM;
    }
    if (found->infoFails) return MIXERR_INVALLINE;
    line->dwLineID = id;
    line->dwComponentType = found->componentType;
    line->cChannels = 2;
    line->cConnections = connections;
    line->cControls = static_cast<std::uint32_t>(found->controls.size());
    CopyName(line->szName, sizeof line->szName, found->name);
    CopyName(line->szShortName, sizeof line->szShortName, found->shortName);
    return MMSYSERR_NOERROR;
}

std::uint32_t FakeMixer::GetLineControls(HMIXER mixer, MIXERLINECONTROLSA* controls, std::uint32_t flags) {
    if (!ValidHandle(mixer)) return MMSYSERR_INVALHANDLE;
    if (flags != MIXER_GETLINECONTROLSF_ALL) return MMSYSERR_INVALPARAM;
    Line* line = FindLine(controls->dwLineID);
    if (line == nullptr || line->controlsFail) return MIXERR_INVALLINE;
    if (controls->cControls != line->controls.size() || controls->cbmxctrl != sizeof(MIXERCONTROLA) ||
        (controls->cControls > 0 && controls->pamxctrl == nullptr)) {
        return MMSYSERR_INVALPARAM;
    }
    for (std::size_t i = 0; i < line->controls.size(); ++i) {
        MIXERCONTROLA& out = controls->pamxctrl[i];
        out = MIXERCONTROLA{};
        out.cbStruct = sizeof(MIXERCONTROLA);
        out.dwControlID = line->controls[i].id;
        out.dwControlType = line->controls[i].type;
        out.dwMaximum = 65535;
    }
    return MMSYSERR_NOERROR;
}

std::uint32_t FakeMixer::GetControlDetails(HMIXER mixer, MIXERCONTROLDETAILS* details, std::uint32_t) {
    if (!ValidHandle(mixer)) return MMSYSERR_INVALHANDLE;
    Control* c = FindControl(details->dwControlID);
    if (c == nullptr || c->readFails) return MIXERR_INVALCONTROL;
    if (details->cbDetails != 4 || details->paDetails == nullptr || details->cChannels != 1) {
        return MMSYSERR_INVALPARAM;
    }
    std::memcpy(details->paDetails, &c->value, 4);
    return MMSYSERR_NOERROR;
}

std::uint32_t FakeMixer::SetControlDetails(HMIXER mixer, const MIXERCONTROLDETAILS* details, std::uint32_t) {
    if (!ValidHandle(mixer)) return MMSYSERR_INVALHANDLE;
    Control* c = FindControl(details->dwControlID);
    if (c == nullptr) return MIXERR_INVALCONTROL;
    if (details->cbDetails != 4 || details->paDetails == nullptr) return MMSYSERR_INVALPARAM;
    std::uint32_t v = 0;
    std::memcpy(&v, details->paDetails, 4);
    c->value = v;
    writes.emplace_back(details->dwControlID, v);
    return MMSYSERR_NOERROR;
}

}  // namespace testing_support
