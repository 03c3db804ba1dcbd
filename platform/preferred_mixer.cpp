#include "platform/preferred_mixer.h"

namespace kvr::platform {

bool PreferredMixer::speakersVolumeWrites(Mixer& mixer, HMixer handle) {
    MixerLine line;
    MixerControl volume;
    std::uint32_t before = 0;
    if (mixer.lineByComponentType(handle, mm::kComponentSpeakers, line) != mm::kNoError ||
        mixer.lineControlByType(handle, line.lineId, mm::kControlVolume, volume) != mm::kNoError ||
        volume.maximum <= volume.minimum ||
        mixer.controlValue(handle, volume.controlId, before) != mm::kNoError) {
        return false;
    }
    // A hundredth of the range away: too little to hear for the moment it lasts, far enough
    // that a write which changes nothing, or a read that answers the old value, shows. Half a
    // step of slack lets a driver round to its own steps.
    const std::uint32_t step = (volume.maximum - volume.minimum) / 100 + 1;
    const std::uint32_t probe = before >= volume.minimum + step ? before - step : before + step;
    std::uint32_t after = before;
    const bool written = mixer.setControlValue(handle, volume.controlId, probe) == mm::kNoError;
    const bool read = mixer.controlValue(handle, volume.controlId, after) == mm::kNoError;
    if (written) mixer.setControlValue(handle, volume.controlId, before);
    const std::uint32_t off = after > probe ? after - probe : probe - after;
    return written && read && 2 * off < step;
}

HMixer PreferredMixer::give(Mixer& mixer, HMixer inner) {
    const HMixer handle = next_++;
    open_[handle] = {&mixer, inner};
    return handle;
}

const PreferredMixer::Inner* PreferredMixer::find(HMixer mixer) const {
    const auto it = open_.find(mixer);
    return it == open_.end() ? nullptr : &it->second;
}

MmResult PreferredMixer::open(std::uint32_t device, HMixer& mixer) {
    HMixer inner = 0;
    if (open_.empty()) {
        chosen_ = &fallback_;
        if (preferred_.open(device, inner) == mm::kNoError) {
            if (speakersVolumeWrites(preferred_, inner)) {
                chosen_ = &preferred_;
                mixer = give(preferred_, inner);
                return mm::kNoError;
            }
            preferred_.close(inner);
        }
    }
    const MmResult result = chosen_->open(device, inner);
    if (result == mm::kNoError) mixer = give(*chosen_, inner);
    return result;
}

MmResult PreferredMixer::openDevice(const std::string& id, HMixer& mixer) {
    HMixer inner = 0;
    MmResult result = mm::kBadDeviceId;
    Mixer* first = chosen_ != nullptr ? chosen_ : &preferred_;
    Mixer* second = first == &preferred_ ? &fallback_ : &preferred_;
    for (Mixer* m : {first, second}) {
        result = m->openDevice(id, inner);
        if (result == mm::kNoError) {
            mixer = give(*m, inner);
            break;
        }
    }
    return result;
}

MmResult PreferredMixer::deviceId(HMixer mixer, std::string& id) {
    const Inner* inner = find(mixer);
    return inner ? inner->first->deviceId(inner->second, id) : mm::kInvalHandle;
}

MmResult PreferredMixer::close(HMixer mixer) {
    const Inner* inner = find(mixer);
    if (inner == nullptr) return mm::kInvalHandle;
    const MmResult result = inner->first->close(inner->second);
    if (result == mm::kNoError) open_.erase(mixer);
    return result;
}

MmResult PreferredMixer::lineByComponentType(HMixer mixer, std::uint32_t componentType,
                                             MixerLine& line) {
    const Inner* inner = find(mixer);
    return inner ? inner->first->lineByComponentType(inner->second, componentType, line)
                 : mm::kInvalHandle;
}

MmResult PreferredMixer::lineControlByType(HMixer mixer, std::uint32_t lineId,
                                           std::uint32_t controlType, MixerControl& control) {
    const Inner* inner = find(mixer);
    return inner ? inner->first->lineControlByType(inner->second, lineId, controlType, control)
                 : mm::kInvalHandle;
}

MmResult PreferredMixer::controlValue(HMixer mixer, std::uint32_t controlId, std::uint32_t& value) {
    const Inner* inner = find(mixer);
    return inner ? inner->first->controlValue(inner->second, controlId, value) : mm::kInvalHandle;
}

MmResult PreferredMixer::setControlValue(HMixer mixer, std::uint32_t controlId,
                                         std::uint32_t value) {
    const Inner* inner = find(mixer);
    return inner ? inner->first->setControlValue(inner->second, controlId, value)
                 : mm::kInvalHandle;
}

}  // namespace kvr::platform
