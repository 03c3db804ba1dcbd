// A sound card's mixer for tests: device 0 with a speakers destination and its volume control,
// each of which can be taken away, reads and writes that can be made to fail, and a record of
// every value written to the volume.
#pragma once

#include <cstdint>
#include <set>
#include <vector>

#include "platform/mixer.h"

namespace kvr::platform {

class FakeMixer : public Mixer {
public:
    static constexpr std::uint32_t kSpeakersLine = 0xFFFF0000;
    static constexpr std::uint32_t kVolumeId = 0;
    static constexpr std::uint32_t kMuteId = 1;  // the line's on/off switch, which nobody uses

    MmResult open(std::uint32_t device, HMixer& mixer) override;
    MmResult close(HMixer mixer) override;
    MmResult lineByComponentType(HMixer mixer, std::uint32_t componentType,
                                 MixerLine& line) override;
    MmResult lineControlByType(HMixer mixer, std::uint32_t lineId, std::uint32_t controlType,
                               MixerControl& control) override;
    MmResult controlValue(HMixer mixer, std::uint32_t controlId, std::uint32_t& value) override;
    MmResult setControlValue(HMixer mixer, std::uint32_t controlId, std::uint32_t value) override;

    bool isOpen() const { return !open_.empty(); }

    bool present = true;        // there is a mixer device 0
    bool speakers = true;       // it has a speakers destination
    bool volumeControl = true;  // which has a volume control
    bool readsFail = false;
    bool writesFail = false;
    // Writes answer success and change nothing, as some drivers do.
    bool writesIgnored = false;
    std::uint32_t volume = 65535;
    std::uint32_t maximum = 65535;
    std::vector<std::uint32_t> writes;  // every value the volume took, in order
    int opens = 0;                      // successful opens

private:
    bool valid(HMixer mixer) const { return open_.count(mixer) != 0; }

    std::set<HMixer> open_;
    HMixer next_ = 0xC000;
    bool mute_ = false;
};

}  // namespace kvr::platform
