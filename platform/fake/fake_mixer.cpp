#include "platform/fake/fake_mixer.h"

namespace kvr::platform {

FakeSoundDevice* FakeMixer::device(const std::string& id) {
    if (id == kSpeakers) return this;
    const auto it = otherDevices.find(id);
    return it == otherDevices.end() ? nullptr : &it->second;
}

FakeSoundDevice* FakeMixer::live(HMixer mixer) {
    const auto it = open_.find(mixer);
    if (it == open_.end()) return nullptr;
    FakeSoundDevice* d = device(it->second);
    return d != nullptr && d->present ? d : nullptr;
}

MmResult FakeMixer::openOn(const std::string& id, HMixer& mixer) {
    const FakeSoundDevice* d = device(id);
    if (d == nullptr || !d->present) return mm::kBadDeviceId;
    mixer = next_++;
    open_[mixer] = id;
    ++opens;
    return mm::kNoError;
}

MmResult FakeMixer::open(std::uint32_t device, HMixer& mixer) {
    if (device != 0) return mm::kBadDeviceId;
    return openOn(defaultDevice, mixer);
}

MmResult FakeMixer::openDevice(const std::string& id, HMixer& mixer) {
    return openOn(id, mixer);
}

MmResult FakeMixer::deviceId(HMixer mixer, std::string& id) {
    const auto it = open_.find(mixer);
    if (it == open_.end()) return mm::kInvalHandle;
    id = it->second;
    return mm::kNoError;
}

MmResult FakeMixer::close(HMixer mixer) {
    return open_.erase(mixer) != 0 ? mm::kNoError : mm::kInvalHandle;
}

MmResult FakeMixer::lineByComponentType(HMixer mixer, std::uint32_t componentType,
                                        MixerLine& line) {
    if (open_.count(mixer) == 0) return mm::kInvalHandle;
    const FakeSoundDevice* d = live(mixer);
    if (d == nullptr) return mm::kError;
    if (!d->speakers || componentType != mm::kComponentSpeakers) return mm::kInvalLine;
    line = {.lineId = kSpeakersLine,
            .componentType = mm::kComponentSpeakers,
            .channels = 2,
            .controls = d->volumeControl ? 2u : 1u,
            .name = "Speakers"};
    return mm::kNoError;
}

MmResult FakeMixer::lineControlByType(HMixer mixer, std::uint32_t lineId, std::uint32_t controlType,
                                      MixerControl& control) {
    if (open_.count(mixer) == 0) return mm::kInvalHandle;
    const FakeSoundDevice* d = live(mixer);
    if (d == nullptr) return mm::kError;
    if (!d->speakers || lineId != kSpeakersLine) return mm::kInvalLine;
    if (!d->volumeControl || controlType != mm::kControlVolume) return mm::kInvalControl;
    control = {.controlId = kVolumeId,
               .controlType = mm::kControlVolume,
               .minimum = 0,
               .maximum = d->maximum,
               .steps = 192,
               .name = "Volume"};
    return mm::kNoError;
}

// A device unplugged while a handle was open answers every call on it with an error, as Core
// Audio's endpoint does once it is invalidated.
MmResult FakeMixer::controlValue(HMixer mixer, std::uint32_t controlId, std::uint32_t& value) {
    if (open_.count(mixer) == 0) return mm::kInvalHandle;
    const FakeSoundDevice* d = live(mixer);
    if (d == nullptr || !d->speakers || d->readsFail) return mm::kError;
    if (controlId == kVolumeId && d->volumeControl) {
        value = d->volume;
    } else if (controlId == kMuteId) {
        value = mute_ ? 1 : 0;
    } else {
        return mm::kInvalControl;
    }
    return mm::kNoError;
}

MmResult FakeMixer::setControlValue(HMixer mixer, std::uint32_t controlId, std::uint32_t value) {
    if (open_.count(mixer) == 0) return mm::kInvalHandle;
    FakeSoundDevice* d = live(mixer);
    if (d == nullptr || !d->speakers || d->writesFail) return mm::kError;
    if (controlId == kVolumeId && d->volumeControl) {
        if (value > d->maximum) return mm::kInvalParam;
        if (onWrite) onWrite(value);
        if (d->writesIgnored) return mm::kNoError;
        d->volume = value;
        d->writes.push_back(value);
    } else if (controlId == kMuteId) {
        if (value > 1) return mm::kInvalParam;
        mute_ = value != 0;
    } else {
        return mm::kInvalControl;
    }
    return mm::kNoError;
}

}  // namespace kvr::platform
