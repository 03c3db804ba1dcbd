#include "engine/snd_mixer.h"

#include "platform/services.h"

namespace kvr::SndMixer {

namespace mm = platform::mm;

HMixer MixerHandle = 0;
MixerControl VolumeControl;

namespace {

// A program wired without a mixer behaves as a machine without a sound card.
platform::Mixer* port() {
    return platform::installed().mixer;
}

}  // namespace

void resetForTests() {
    MixerHandle = 0;
    VolumeControl = {};
}

void OpenMixer() {
    platform::Mixer* mixer = port();
    MixerHandle = 0;
    if (mixer == nullptr || mixer->open(0, MixerHandle) != mm::kNoError) {
        MixerHandle = 0;
        return;
    }
    // A mixer with no speakers volume is of no use: closed at once, every later call fails
    // quietly instead of acting on whatever control happens to carry the id left in the record.
    if (!FindLineControl(MixerHandle, mm::kComponentSpeakers, mm::kControlVolume, VolumeControl)) {
        CloseMixer();
    }
}

void CloseMixer() {
    if (platform::Mixer* mixer = port(); mixer != nullptr && MixerHandle != 0) {
        mixer->close(MixerHandle);
    }
    MixerHandle = 0;
}

bool FindLineControl(HMixer h, std::uint32_t componentType, std::uint32_t controlType,
                     MixerControl& control) {
    platform::Mixer* mixer = port();
    if (mixer == nullptr) return false;
    platform::MixerLine line;
    if (mixer->lineByComponentType(h, componentType, line) != mm::kNoError) return false;
    MixerControl found;
    if (mixer->lineControlByType(h, line.lineId, controlType, found) != mm::kNoError) {
        return false;
    }
    control = found;
    return true;
}

std::int32_t GetControlValue(HMixer h, const MixerControl& control) {
    platform::Mixer* mixer = port();
    std::uint32_t value = 0;
    if (mixer == nullptr || mixer->controlValue(h, control.controlId, value) != mm::kNoError) {
        return -1;
    }
    return static_cast<std::int32_t>(value);
}

bool SetControlValue(HMixer h, const MixerControl& control, std::uint32_t value) {
    platform::Mixer* mixer = port();
    return mixer != nullptr && mixer->setControlValue(h, control.controlId, value) == mm::kNoError;
}

}  // namespace kvr::SndMixer
