#include "engine/snd_mixer.h"

#include <functional>

#include "platform/services.h"

namespace kvr::SndMixer {

namespace mm = platform::mm;

HMixer MixerHandle = 0;
MixerControl VolumeControl;
std::string MixerDevice;

namespace {

// A program wired without a mixer behaves as a machine without a sound card.
platform::Mixer* port() {
    return platform::installed().mixer;
}

bool findVolume(HMixer h, MixerControl& control) {
    return FindLineControl(h, mm::kComponentSpeakers, mm::kControlVolume, control);
}

// Runs act on the device's speakers volume, through the open handle or one of its own.
bool withDevice(const std::string& device,
                const std::function<bool(HMixer, const MixerControl&)>& act) {
    platform::Mixer* mixer = port();
    if (mixer == nullptr) return false;
    if (MixerHandle != 0 && device == MixerDevice) return act(MixerHandle, VolumeControl);
    HMixer h = 0;
    if (mixer->openDevice(device, h) != mm::kNoError) return false;
    MixerControl control;
    const bool done = findVolume(h, control) && act(h, control);
    mixer->close(h);
    return done;
}

}  // namespace

void resetForTests() {
    MixerHandle = 0;
    VolumeControl = {};
    MixerDevice.clear();
}

void OpenMixer() {
    platform::Mixer* mixer = port();
    HMixer h = 0;
    MixerControl control;
    std::string device;
    // A mixer with no speakers volume is of no use: closed at once, every later call fails
    // quietly instead of acting on whatever control happens to carry the id left in the record.
    const bool opened = mixer != nullptr && mixer->open(0, h) == mm::kNoError;
    if (opened && (!findVolume(h, control) || mixer->deviceId(h, device) != mm::kNoError)) {
        mixer->close(h);
        h = 0;
    }
    CloseMixer();
    if (!opened || h == 0) return;
    MixerHandle = h;
    VolumeControl = control;
    MixerDevice = device;
}

void CloseMixer() {
    if (platform::Mixer* mixer = port(); mixer != nullptr && MixerHandle != 0) {
        mixer->close(MixerHandle);
    }
    MixerHandle = 0;
    MixerDevice.clear();
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

std::optional<std::uint32_t> ReadVolume(const std::string& device) {
    std::int32_t value = -1;
    withDevice(device, [&](HMixer h, const MixerControl& control) {
        value = GetControlValue(h, control);
        return value >= 0;
    });
    if (value < 0) return std::nullopt;
    return static_cast<std::uint32_t>(value);
}

bool WriteVolume(const std::string& device, std::uint32_t value) {
    return withDevice(device, [&](HMixer h, const MixerControl& control) {
        return SetControlValue(h, control, value);
    });
}

}  // namespace kvr::SndMixer
