// Mixer port: the winmm mixer calls the program makes (open a device, find a destination line
// and one of its controls, read and write the control's single value, close), with a plain
// number for the handle and MMRESULT codes as numbers; and, as Core Audio names its endpoints,
// an id for the device a handle stands for, by which it can be opened again later.
#pragma once

#include <cstdint>
#include <string>

namespace kvr::platform {

using HMixer = std::uint32_t;    // 0 = no mixer
using MmResult = std::uint32_t;  // 0 = success

namespace mm {
inline constexpr MmResult kNoError = 0;
inline constexpr MmResult kError = 1;
inline constexpr MmResult kBadDeviceId = 2;
inline constexpr MmResult kInvalHandle = 5;
inline constexpr MmResult kNoDriver = 6;
inline constexpr MmResult kInvalParam = 11;
inline constexpr MmResult kInvalLine = 1024;     // MIXERR_INVALLINE
inline constexpr MmResult kInvalControl = 1025;  // MIXERR_INVALCONTROL

inline constexpr std::uint32_t kComponentSpeakers = 4;       // MIXERLINE_COMPONENTTYPE_DST_SPEAKERS
inline constexpr std::uint32_t kControlVolume = 0x50030001;  // MIXERCONTROL_CONTROLTYPE_VOLUME
}  // namespace mm

// The parts of MIXERLINE the program reads.
struct MixerLine {
    std::uint32_t lineId = 0;
    std::uint32_t componentType = 0;
    std::uint32_t channels = 0;
    std::uint32_t controls = 0;
    std::string name;
};

// The parts of MIXERCONTROL the program reads.
struct MixerControl {
    std::uint32_t controlId = 0;
    std::uint32_t controlType = 0;
    std::uint32_t minimum = 0;
    std::uint32_t maximum = 0;
    std::uint32_t steps = 0;
    std::string name;
};

class Mixer {
public:
    virtual ~Mixer() = default;

    // mixerOpen without a callback. Device 0 is the default output device at this moment: a
    // handle stays with the device it was opened on when the user switches to another.
    virtual MmResult open(std::uint32_t device, HMixer& mixer) = 0;
    // Opens the device with that id; kBadDeviceId when it is not there (any more).
    virtual MmResult openDevice(const std::string& id, HMixer& mixer) = 0;
    // The id of the device the handle stands for, the same in every run for as long as the
    // device exists.
    virtual MmResult deviceId(HMixer mixer, std::string& id) = 0;
    virtual MmResult close(HMixer mixer) = 0;
    // mixerGetLineInfo by component type: the destination line of that kind.
    virtual MmResult lineByComponentType(HMixer mixer, std::uint32_t componentType,
                                         MixerLine& line) = 0;
    // mixerGetLineControls, one control by type.
    virtual MmResult lineControlByType(HMixer mixer, std::uint32_t lineId,
                                       std::uint32_t controlType, MixerControl& control) = 0;
    // mixerGetControlDetails / mixerSetControlDetails with one channel: the value of all the
    // channels together. A value outside the control's bounds is refused (kInvalParam).
    virtual MmResult controlValue(HMixer mixer, std::uint32_t controlId, std::uint32_t& value) = 0;
    virtual MmResult setControlValue(HMixer mixer, std::uint32_t controlId,
                                     std::uint32_t value) = 0;
};

}  // namespace kvr::platform
