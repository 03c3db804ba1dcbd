#include "platform/fake/fake_mixer.h"

namespace kvr::platform {

MmResult FakeMixer::open(std::uint32_t device, HMixer& mixer) {
    if (!present || device != 0) return mm::kBadDeviceId;
    mixer = next_++;
    open_.insert(mixer);
    ++opens;
    return mm::kNoError;
}

MmResult FakeMixer::close(HMixer mixer) {
    return open_.erase(mixer) != 0 ? mm::kNoError : mm::kInvalHandle;
}

MmResult FakeMixer::lineByComponentType(HMixer mixer, std::uint32_t componentType,
                                        MixerLine& line) {
    if (!valid(mixer)) return mm::kInvalHandle;
    if (!speakers || componentType != mm::kComponentSpeakers) return mm::kInvalLine;
    line = {.lineId = kSpeakersLine,
            .componentType = mm::kComponentSpeakers,
            .channels = 2,
            .controls = volumeControl ? 2u : 1u,
            .name = "Speakers"};
    return mm::kNoError;
}

MmResult FakeMixer::lineControlByType(HMixer mixer, std::uint32_t lineId, std::uint32_t controlType,
                                      MixerControl& control) {
    if (!valid(mixer)) return mm::kInvalHandle;
    if (!speakers || lineId != kSpeakersLine) return mm::kInvalLine;
    if (!volumeControl || controlType != mm::kControlVolume) return mm::kInvalControl;
    control = {.controlId = kVolumeId,
               .controlType = mm::kControlVolume,
               .minimum = 0,
               .maximum = maximum,
               .steps = 192,
               .name = "Volume"};
    return mm::kNoError;
}

MmResult FakeMixer::controlValue(HMixer mixer, std::uint32_t controlId, std::uint32_t& value) {
    if (!valid(mixer)) return mm::kInvalHandle;
    if (!speakers || readsFail) return mm::kError;
    if (controlId == kVolumeId && volumeControl) {
        value = volume;
    } else if (controlId == kMuteId) {
        value = mute_ ? 1 : 0;
    } else {
        return mm::kInvalControl;
    }
    return mm::kNoError;
}

MmResult FakeMixer::setControlValue(HMixer mixer, std::uint32_t controlId, std::uint32_t value) {
    if (!valid(mixer)) return mm::kInvalHandle;
    if (!speakers || writesFail) return mm::kError;
    if (controlId == kVolumeId && volumeControl) {
        if (value > maximum) return mm::kInvalParam;
        if (writesIgnored) return mm::kNoError;
        volume = value;
        writes.push_back(value);
    } else if (controlId == kMuteId) {
        if (value > 1) return mm::kInvalParam;
        mute_ = value != 0;
    } else {
        return mm::kInvalControl;
    }
    return mm::kNoError;
}

}  // namespace kvr::platform
