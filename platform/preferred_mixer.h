// Two mixers behind one port: the preferred one when writing its speakers' volume really
// changes it, else the fallback. Chosen when the default device is opened while no handle is
// open; later opens keep that choice until every handle is closed. A device opened by its id is
// opened on whichever mixer knows that id.
#pragma once

#include <map>
#include <utility>

#include "platform/mixer.h"

namespace kvr::platform {

class PreferredMixer : public Mixer {
public:
    PreferredMixer(Mixer& preferred, Mixer& fallback)
        : preferred_(preferred), fallback_(fallback) {}

    // The mixer the last open chose; nullptr before the first open.
    Mixer* chosen() const { return chosen_; }

    MmResult open(std::uint32_t device, HMixer& mixer) override;
    MmResult openDevice(const std::string& id, HMixer& mixer) override;
    MmResult deviceId(HMixer mixer, std::string& id) override;
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
    // The two mixers' handles may be the same numbers: each handle given out names its mixer
    // and that mixer's handle.
    using Inner = std::pair<Mixer*, HMixer>;
    HMixer give(Mixer& mixer, HMixer inner);
    const Inner* find(HMixer mixer) const;

    Mixer& preferred_;
    Mixer& fallback_;
    Mixer* chosen_ = nullptr;
    std::map<HMixer, Inner> open_;
    HMixer next_ = 1;
};

}  // namespace kvr::platform
