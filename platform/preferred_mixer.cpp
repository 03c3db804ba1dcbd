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

MmResult PreferredMixer::open(std::uint32_t device, HMixer& mixer) {
    if (open_ == 0) {
        HMixer handle = 0;
        chosen_ = &fallback_;
        if (preferred_.open(device, handle) == mm::kNoError) {
            if (speakersVolumeWrites(preferred_, handle)) {
                chosen_ = &preferred_;
                mixer = handle;
                ++open_;
                return mm::kNoError;
            }
            preferred_.close(handle);
        }
    }
    const MmResult result = chosen_->open(device, mixer);
    if (result == mm::kNoError) ++open_;
    return result;
}

MmResult PreferredMixer::close(HMixer mixer) {
    if (!chosen_) return mm::kInvalHandle;
    const MmResult result = chosen_->close(mixer);
    if (result == mm::kNoError && open_ > 0) --open_;
    return result;
}

MmResult PreferredMixer::lineByComponentType(HMixer mixer, std::uint32_t componentType,
                                             MixerLine& line) {
    return chosen_ ? chosen_->lineByComponentType(mixer, componentType, line) : mm::kInvalHandle;
}

MmResult PreferredMixer::lineControlByType(HMixer mixer, std::uint32_t lineId,
                                           std::uint32_t controlType, MixerControl& control) {
    return chosen_ ? chosen_->lineControlByType(mixer, lineId, controlType, control)
                   : mm::kInvalHandle;
}

MmResult PreferredMixer::controlValue(HMixer mixer, std::uint32_t controlId, std::uint32_t& value) {
    return chosen_ ? chosen_->controlValue(mixer, controlId, value) : mm::kInvalHandle;
}

MmResult PreferredMixer::setControlValue(HMixer mixer, std::uint32_t controlId,
                                         std::uint32_t value) {
    return chosen_ ? chosen_->setControlValue(mixer, controlId, value) : mm::kInvalHandle;
}

}  // namespace kvr::platform
