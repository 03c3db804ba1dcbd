#include <windows.h>
// Need the types windows.h declares.
#include <endpointvolume.h>
#include <mmdeviceapi.h>
#include <mmsystem.h>

#include <algorithm>
#include <cmath>
#include <utility>

#include "platform/win32/system_library.h"
#include "platform/win32/text.h"
#include "platform/win32/win32_mixer.h"

namespace kvr::platform {

struct Win32CoreAudioMixer::Api {
    decltype(&CoInitializeEx) initialize = nullptr;
    decltype(&CoUninitialize) uninitialize = nullptr;
    decltype(&CoCreateInstance) create = nullptr;
    decltype(&CoTaskMemFree) free = nullptr;
};

Win32CoreAudioMixer::Win32CoreAudioMixer(std::wstring library) : library_(std::move(library)) {}

Win32CoreAudioMixer::~Win32CoreAudioMixer() {
    for (auto& [handle, endpoint] : open_) endpoint.volume->Release();
    open_.clear();
    release();
}

void Win32CoreAudioMixer::release() {
    if (devices_ != nullptr) devices_->Release();
    devices_ = nullptr;
    if (comStarted_) api_->uninitialize();
    comStarted_ = false;
}

bool Win32CoreAudioMixer::start() {
    if (devices_ != nullptr) return true;
    if (!api_) {
        HMODULE com = win32::loadSystemLibrary(library_.c_str());
        if (com == nullptr) return false;
        auto api = std::make_unique<Api>();
        if (!win32::bind(com, "CoInitializeEx", api->initialize) ||
            !win32::bind(com, "CoUninitialize", api->uninitialize) ||
            !win32::bind(com, "CoCreateInstance", api->create) ||
            !win32::bind(com, "CoTaskMemFree", api->free)) {
            return false;
        }
        api_ = std::move(api);
    }
    // The user-interface thread may already be in an apartment of either kind; either serves.
    comStarted_ = SUCCEEDED(api_->initialize(nullptr, COINIT_APARTMENTTHREADED));
    if (SUCCEEDED(api_->create(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_INPROC_SERVER,
                               __uuidof(IMMDeviceEnumerator),
                               reinterpret_cast<void**>(&devices_)))) {
        return true;
    }
    devices_ = nullptr;
    release();
    return false;
}

// Takes the device over: released here, whatever happens.
MmResult Win32CoreAudioMixer::activate(IMMDevice* device, HMixer& mixer) {
    IAudioEndpointVolume* volume = nullptr;
    LPWSTR id = nullptr;
    DWORD state = 0;
    HRESULT hr = device->GetState(&state);
    if (SUCCEEDED(hr) && state != DEVICE_STATE_ACTIVE) hr = E_FAIL;
    if (SUCCEEDED(hr)) hr = device->GetId(&id);
    if (SUCCEEDED(hr)) {
        hr = device->Activate(__uuidof(IAudioEndpointVolume), CLSCTX_INPROC_SERVER, nullptr,
                              reinterpret_cast<void**>(&volume));
    }
    device->Release();
    if (FAILED(hr) || volume == nullptr) {
        if (id != nullptr) api_->free(id);
        if (open_.empty()) release();
        return MMSYSERR_NODRIVER;
    }
    mixer = next_++;
    open_[mixer] = {volume, win32::toUtf8(id)};
    api_->free(id);
    return MMSYSERR_NOERROR;
}

MmResult Win32CoreAudioMixer::open(std::uint32_t device, HMixer& mixer) {
    if (device != 0) return MMSYSERR_BADDEVICEID;
    if (!start()) return MMSYSERR_NODRIVER;
    IMMDevice* speakers = nullptr;
    if (FAILED(devices_->GetDefaultAudioEndpoint(eRender, eConsole, &speakers))) {
        if (open_.empty()) release();
        return MMSYSERR_NODRIVER;
    }
    return activate(speakers, mixer);
}

MmResult Win32CoreAudioMixer::openDevice(const std::string& id, HMixer& mixer) {
    if (!start()) return MMSYSERR_NODRIVER;
    IMMDevice* device = nullptr;
    if (FAILED(devices_->GetDevice(win32::toWide(id).c_str(), &device))) {
        if (open_.empty()) release();
        return MMSYSERR_BADDEVICEID;
    }
    const MmResult result = activate(device, mixer);
    return result == MMSYSERR_NOERROR ? result : MMSYSERR_BADDEVICEID;
}

MmResult Win32CoreAudioMixer::deviceId(HMixer mixer, std::string& id) {
    const auto it = open_.find(mixer);
    if (it == open_.end()) return MMSYSERR_INVALHANDLE;
    id = it->second.id;
    return MMSYSERR_NOERROR;
}

MmResult Win32CoreAudioMixer::close(HMixer mixer) {
    const auto it = open_.find(mixer);
    if (it == open_.end()) return MMSYSERR_INVALHANDLE;
    it->second.volume->Release();
    open_.erase(it);
    if (open_.empty()) release();
    return MMSYSERR_NOERROR;
}

IAudioEndpointVolume* Win32CoreAudioMixer::volumeOf(HMixer mixer) const {
    const auto it = open_.find(mixer);
    return it == open_.end() ? nullptr : it->second.volume;
}

MmResult Win32CoreAudioMixer::lineByComponentType(HMixer mixer, std::uint32_t componentType,
                                                  MixerLine& line) {
    IAudioEndpointVolume* volume = volumeOf(mixer);
    if (volume == nullptr) return MMSYSERR_INVALHANDLE;
    if (componentType != MIXERLINE_COMPONENTTYPE_DST_SPEAKERS) return MIXERR_INVALLINE;
    // The master volume sets every channel as one; Wine does not count them.
    UINT channels = 0;
    if (FAILED(volume->GetChannelCount(&channels)) || channels == 0) channels = 1;
    line = {.lineId = kSpeakersLine,
            .componentType = MIXERLINE_COMPONENTTYPE_DST_SPEAKERS,
            .channels = channels,
            .controls = 1,
            .name = "Speakers"};
    return MMSYSERR_NOERROR;
}

MmResult Win32CoreAudioMixer::lineControlByType(HMixer mixer, std::uint32_t lineId,
                                                std::uint32_t controlType, MixerControl& control) {
    IAudioEndpointVolume* volume = volumeOf(mixer);
    if (volume == nullptr) return MMSYSERR_INVALHANDLE;
    if (lineId != kSpeakersLine) return MIXERR_INVALLINE;
    if (controlType != MIXERCONTROL_CONTROLTYPE_VOLUME) return MIXERR_INVALCONTROL;
    UINT step = 0;
    UINT steps = 0;
    volume->GetVolumeStepInfo(&step, &steps);
    control = {.controlId = kVolumeId,
               .controlType = MIXERCONTROL_CONTROLTYPE_VOLUME,
               .minimum = 0,
               .maximum = kMaximum,
               .steps = steps,
               .name = "Volume"};
    return MMSYSERR_NOERROR;
}

// The mixer's raw 0..65535 stands for the endpoint's 0..1, so a saved volume keeps its meaning
// whichever mixer read it. An endpoint that was unplugged answers with an error.
MmResult Win32CoreAudioMixer::controlValue(HMixer mixer, std::uint32_t controlId,
                                           std::uint32_t& value) {
    IAudioEndpointVolume* volume = volumeOf(mixer);
    if (volume == nullptr) return MMSYSERR_INVALHANDLE;
    if (controlId != kVolumeId) return MIXERR_INVALCONTROL;
    float level = 0;
    if (FAILED(volume->GetMasterVolumeLevelScalar(&level))) return MMSYSERR_ERROR;
    value = static_cast<std::uint32_t>(std::lround(std::clamp(level, 0.0f, 1.0f) * kMaximum));
    return MMSYSERR_NOERROR;
}

MmResult Win32CoreAudioMixer::setControlValue(HMixer mixer, std::uint32_t controlId,
                                              std::uint32_t value) {
    IAudioEndpointVolume* volume = volumeOf(mixer);
    if (volume == nullptr) return MMSYSERR_INVALHANDLE;
    if (controlId != kVolumeId) return MIXERR_INVALCONTROL;
    if (value > kMaximum) return MMSYSERR_INVALPARAM;
    const float level = static_cast<float>(value) / kMaximum;
    if (FAILED(volume->SetMasterVolumeLevelScalar(level, nullptr))) return MMSYSERR_ERROR;
    return MMSYSERR_NOERROR;
}

}  // namespace kvr::platform
