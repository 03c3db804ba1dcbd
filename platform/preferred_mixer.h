// Two mixers behind one port: the preferred one when writing its speakers' volume really
// changes it, else the fallback. Chosen when the mixer opens while no handle is open; later
// opens keep that choice until every handle is closed.
#pragma once

#include "platform/mixer.h"

namespace kvr::platform {

class PreferredMixer : public Mixer {
public:
    PreferredMixer(Mixer& preferred, Mixer& fallback)
        : preferred_(preferred), fallback_(fallback) {}

    // The mixer the last open chose; nullptr before the first open.
    Mixer* chosen() const { return chosen_; }

    MmResult open(std::uint32_t device, HMixer& mixer) override;
    MmResult close(HMixer mixer) override;
    MmResult lineByComponentType(HMixer mixer, std::uint32_t componentType,
                                 MixerLine& line) override;
    MmResult lineControlByType(HMixer mixer, std::uint32_t lineId, std::uint32_t controlType,
                               MixerControl& control) override;
    MmResult controlValue(HMixer mixer, std::uint32_t controlId, std::uint32_t& value) override;
    MmResult setControlValue(HMixer mixer, std::uint32_t controlId, std::uint32_t value) override;

    // Writes a value next to the speakers' volume, reads it back and puts the volume back as
    // it was: true when the read-back showed the write.
    static bool speakersVolumeWrites(Mixer& mixer, HMixer handle);

private:
    Mixer& preferred_;
    Mixer& fallback_;
    Mixer* chosen_ = nullptr;
    int open_ = 0;
};

}  // namespace kvr::platform
