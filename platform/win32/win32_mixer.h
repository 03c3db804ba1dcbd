// The real mixers: the winmm mixer of device 0, and the default output device's master volume
// through Core Audio, which answers in the winmm mixer's shape (one speakers line with one
// volume control, 0..65535). Each loads its library (winmm, COM's ole32) at its first open, not
// at start: they cost megabytes that a program that never mutes does not need. A library that
// does not load leaves the mixer with no device, and the next open tries again.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "platform/mixer.h"

struct IAudioEndpointVolume;
struct IMMDevice;
struct IMMDeviceEnumerator;

namespace kvr::platform {

class Win32WinmmMixer : public Mixer {
public:
    // library: the file in the system folder; another than winmm.dll only in tests.
    explicit Win32WinmmMixer(std::wstring library = L"winmm.dll");
    ~Win32WinmmMixer() override;

    // The id of a device is "winmm:" and its name.
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

private:
    struct Api;
    // Loads the library if it is not yet; nullptr when it cannot be.
    const Api* load();

    std::wstring library_;
    std::unique_ptr<const Api> api_;
};

// Since Windows Vista the winmm mixer sets only the calling program's own audio session, which
// silences nothing when that program plays nothing; the endpoint's master volume is the
// computer's. Each handle holds the endpoint it was opened on; a device's id is the endpoint's.
class Win32CoreAudioMixer : public Mixer {
public:
    static constexpr std::uint32_t kSpeakersLine = 0xFFFF0000;
    static constexpr std::uint32_t kVolumeId = 0;
    static constexpr std::uint32_t kMaximum = 65535;

    // library: COM's file in the system folder; another than ole32.dll only in tests.
    explicit Win32CoreAudioMixer(std::wstring library = L"ole32.dll");
    ~Win32CoreAudioMixer() override;

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

private:
    struct Endpoint {
        IAudioEndpointVolume* volume = nullptr;
        std::string id;
    };
    struct Api;
    // COM and the device enumerator, while any handle is open.
    bool start();
    void release();
    MmResult activate(IMMDevice* device, HMixer& mixer);
    IAudioEndpointVolume* volumeOf(HMixer mixer) const;

    std::wstring library_;
    std::unique_ptr<const Api> api_;
    IMMDeviceEnumerator* devices_ = nullptr;
    bool comStarted_ = false;
    std::map<HMixer, Endpoint> open_;
    HMixer next_ = 1;
};

}  // namespace kvr::platform
