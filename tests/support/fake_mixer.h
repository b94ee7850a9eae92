#pragma once
// A scriptable mixer for tests: one or more mixer devices whose destinations,
// sources and controls a test lays out, with failures it can switch on, and a
// record of every value written.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/mixer.h"

namespace testing_support {

class FakeMixer : public platform::MixerSystem {
public:
    struct Control {
        std::uint32_t id = 0;
        std::uint32_t type = platform::MIXERCONTROL_CONTROLTYPE_VOLUME;
        std::uint32_t value = 0;
        bool readFails = false;
    };
    struct Line {
        std::uint32_t componentType = 0;
        std::string name;
        std::string shortName;
        std::vector<Control> controls;
        bool infoFails = false;     // mixerGetLineInfoA fails for this line
        bool controlsFail = false;  // mixerGetLineControlsA fails for this line
    };
    struct Destination {
        Line line;
        std::vector<Line> sources;
    };

    std::uint32_t devices = 1;
    std::vector<Destination> destinations;
    bool openFails = false;
    bool capsFail = false;

    // What happened.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> writes;  // control id, value
    int opens = 0;
    int closes = 0;

    // The current value of a control (0 when there is none).
    std::uint32_t Value(std::uint32_t controlId) const;
    Control* FindControl(std::uint32_t controlId);

    std::uint32_t GetNumDevs() override { return devices; }
    std::uint32_t Open(std::uint32_t id, platform::HMIXER* mixer) override;
    std::uint32_t Close(platform::HMIXER mixer) override;
    std::uint32_t GetDevCaps(std::uint32_t id, platform::MIXERCAPSA* caps) override;
    std::uint32_t GetLineInfo(platform::HMIXER mixer, platform::MIXERLINEA* line, std::uint32_t flags) override;
    std::uint32_t GetLineControls(platform::HMIXER mixer, platform::MIXERLINECONTROLSA* controls,
                                  std::uint32_t flags) override;
    std::uint32_t GetControlDetails(platform::HMIXER mixer, platform::MIXERCONTROLDETAILS* details,
                                    std::uint32_t flags) override;
    std::uint32_t SetControlDetails(platform::HMIXER mixer, const platform::MIXERCONTROLDETAILS* details,
                                    std::uint32_t flags) override;

private:
    // Line ids: destination d is (d + 1) << 16, its source s is that + s + 1.
    Line* FindLine(std::uint32_t lineId);
    bool ValidHandle(platform::HMIXER mixer) const;
    std::vector<platform::HMIXER> openHandles_;
    platform::HMIXER nextHandle_ = 0x100;
};

}  // namespace testing_support
