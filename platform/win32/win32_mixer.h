// The real mixers: the winmm mixer of device 0, and the default output device's master volume
// through Core Audio, which answers in the winmm mixer's shape (one speakers line with one
// volume control, 0..65535).
#pragma once

#include <set>

#include "platform/mixer.h"

struct IAudioEndpointVolume;

namespace kvr::platform {

class Win32WinmmMixer : public Mixer {
public:
    MmResult open(std::uint32_t device, HMixer& mixer) override;
    MmResult close(HMixer mixer) override;
    MmResult lineByComponentType(HMixer mixer, std::uint32_t componentType,
                                 MixerLine& line) override;
    MmResult lineControlByType(HMixer mixer, std::uint32_t lineId, std::uint32_t controlType,
                               MixerControl& control) override;
    MmResult controlValue(HMixer mixer, std::uint32_t controlId, std::uint32_t& value) override;
    MmResult setControlValue(HMixer mixer, std::uint32_t controlId, std::uint32_t value) override;
};

// Since Windows Vista the winmm mixer sets only the calling program's own audio session, which
// silences nothing when that program plays nothing; the endpoint's master volume is the
// computer's. Every open handle shares one endpoint.
class Win32CoreAudioMixer : public Mixer {
public:
    static constexpr std::uint32_t kSpeakersLine = 0xFFFF0000;
    static constexpr std::uint32_t kVolumeId = 0;
    static constexpr std::uint32_t kMaximum = 65535;

    ~Win32CoreAudioMixer() override;

    MmResult open(std::uint32_t device, HMixer& mixer) override;
    MmResult close(HMixer mixer) override;
    MmResult lineByComponentType(HMixer mixer, std::uint32_t componentType,
                                 MixerLine& line) override;
    MmResult lineControlByType(HMixer mixer, std::uint32_t lineId, std::uint32_t controlType,
                               MixerControl& control) override;
    MmResult controlValue(HMixer mixer, std::uint32_t controlId, std::uint32_t& value) override;
    MmResult setControlValue(HMixer mixer, std::uint32_t controlId, std::uint32_t value) override;

private:
    bool valid(HMixer mixer) const { return volume_ != nullptr && open_.count(mixer) != 0; }
    void release();

    IAudioEndpointVolume* volume_ = nullptr;
    bool comStarted_ = false;
    std::set<HMixer> open_;
    HMixer next_ = 1;
};

}  // namespace kvr::platform
