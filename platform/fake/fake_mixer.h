// Sound cards' mixers for tests: the speakers, device 0 until another device is made the
// default, with a speakers destination and its volume control, each of which can be taken
// away; more devices to plug in and out; reads and writes that can be made to fail; and a
// record of every value written to each device's volume.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/mixer.h"

namespace kvr::platform {

struct FakeSoundDevice {
    bool present = true;        // plugged in
    bool speakers = true;       // it has a speakers destination
    bool volumeControl = true;  // which has a volume control
    bool readsFail = false;
    bool writesFail = false;
    // Writes answer success and change nothing, as some drivers do.
    bool writesIgnored = false;
    std::uint32_t volume = 65535;
    std::uint32_t maximum = 65535;
    std::vector<std::uint32_t> writes;  // every value the volume took, in order
};

// The fields it inherits are the speakers'.
class FakeMixer : public Mixer, public FakeSoundDevice {
public:
    static constexpr char kSpeakers[] = "{0.0.0.00000000}.{speakers}";
    static constexpr std::uint32_t kSpeakersLine = 0xFFFF0000;
    static constexpr std::uint32_t kVolumeId = 0;
    static constexpr std::uint32_t kMuteId = 1;  // the line's on/off switch, which nobody uses

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

    bool isOpen() const { return !open_.empty(); }
    // The device with that id: the speakers (kSpeakers), one of otherDevices, or nullptr.
    FakeSoundDevice* device(const std::string& id);

    // Headsets, HDMI and USB speakers, by id.
    std::map<std::string, FakeSoundDevice> otherDevices;
    // The device sound plays on now: what open(0) opens.
    std::string defaultDevice = kSpeakers;
    int opens = 0;  // successful opens
    // Called at every write of a volume, before it is made.
    std::function<void(std::uint32_t value)> onWrite;

private:
    // The device a handle stands for, when it is still plugged in.
    FakeSoundDevice* live(HMixer mixer);
    MmResult openOn(const std::string& id, HMixer& mixer);

    std::map<HMixer, std::string> open_;
    HMixer next_ = 0xC000;
    bool mute_ = false;
};

}  // namespace kvr::platform
