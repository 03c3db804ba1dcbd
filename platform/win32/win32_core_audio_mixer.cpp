#include <windows.h>
// Need the types windows.h declares.
#include <endpointvolume.h>
#include <mmdeviceapi.h>
#include <mmsystem.h>

#include <algorithm>
#include <cmath>

#include "platform/win32/win32_mixer.h"

namespace kvr::platform {

Win32CoreAudioMixer::~Win32CoreAudioMixer() {
    release();
}

void Win32CoreAudioMixer::release() {
    open_.clear();
    if (volume_ != nullptr) volume_->Release();
    volume_ = nullptr;
    if (comStarted_) CoUninitialize();
    comStarted_ = false;
}

MmResult Win32CoreAudioMixer::open(std::uint32_t device, HMixer& mixer) {
    if (device != 0) return MMSYSERR_BADDEVICEID;
    if (volume_ != nullptr) {
        mixer = next_++;
        open_.insert(mixer);
        return MMSYSERR_NOERROR;
    }
    // The user-interface thread may already be in an apartment of either kind; either serves.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    comStarted_ = SUCCEEDED(com);
    IMMDeviceEnumerator* devices = nullptr;
    IMMDevice* speakers = nullptr;
    HRESULT hr =
        CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_INPROC_SERVER,
                         __uuidof(IMMDeviceEnumerator), reinterpret_cast<void**>(&devices));
    if (SUCCEEDED(hr)) hr = devices->GetDefaultAudioEndpoint(eRender, eConsole, &speakers);
    if (SUCCEEDED(hr)) {
        hr = speakers->Activate(__uuidof(IAudioEndpointVolume), CLSCTX_INPROC_SERVER, nullptr,
                                reinterpret_cast<void**>(&volume_));
    }
    if (speakers != nullptr) speakers->Release();
    if (devices != nullptr) devices->Release();
    if (FAILED(hr) || volume_ == nullptr) {
        volume_ = nullptr;
        release();
        return MMSYSERR_NODRIVER;
    }
    mixer = next_++;
    open_.insert(mixer);
    return MMSYSERR_NOERROR;
}

MmResult Win32CoreAudioMixer::close(HMixer mixer) {
    if (!valid(mixer)) return MMSYSERR_INVALHANDLE;
    open_.erase(mixer);
    if (open_.empty()) release();
    return MMSYSERR_NOERROR;
}

MmResult Win32CoreAudioMixer::lineByComponentType(HMixer mixer, std::uint32_t componentType,
                                                  MixerLine& line) {
    if (!valid(mixer)) return MMSYSERR_INVALHANDLE;
    if (componentType != MIXERLINE_COMPONENTTYPE_DST_SPEAKERS) return MIXERR_INVALLINE;
    // The master volume sets every channel as one; Wine does not count them.
    UINT channels = 0;
    if (FAILED(volume_->GetChannelCount(&channels)) || channels == 0) channels = 1;
    line = {.lineId = kSpeakersLine,
            .componentType = MIXERLINE_COMPONENTTYPE_DST_SPEAKERS,
            .channels = channels,
            .controls = 1,
            .name = "Speakers"};
    return MMSYSERR_NOERROR;
}

MmResult Win32CoreAudioMixer::lineControlByType(HMixer mixer, std::uint32_t lineId,
                                                std::uint32_t controlType, MixerControl& control) {
    if (!valid(mixer)) return MMSYSERR_INVALHANDLE;
    if (lineId != kSpeakersLine) return MIXERR_INVALLINE;
    if (controlType != MIXERCONTROL_CONTROLTYPE_VOLUME) return MIXERR_INVALCONTROL;
    UINT step = 0;
    UINT steps = 0;
    volume_->GetVolumeStepInfo(&step, &steps);
    control = {.controlId = kVolumeId,
               .controlType = MIXERCONTROL_CONTROLTYPE_VOLUME,
               .minimum = 0,
               .maximum = kMaximum,
               .steps = steps,
               .name = "Volume"};
    return MMSYSERR_NOERROR;
}

// The mixer's raw 0..65535 stands for the endpoint's 0..1, so a saved volume keeps its meaning
// whichever mixer read it.
MmResult Win32CoreAudioMixer::controlValue(HMixer mixer, std::uint32_t controlId,
                                           std::uint32_t& value) {
    if (!valid(mixer)) return MMSYSERR_INVALHANDLE;
    if (controlId != kVolumeId) return MIXERR_INVALCONTROL;
    float level = 0;
    if (FAILED(volume_->GetMasterVolumeLevelScalar(&level))) return MMSYSERR_ERROR;
    value = static_cast<std::uint32_t>(std::lround(std::clamp(level, 0.0f, 1.0f) * kMaximum));
    return MMSYSERR_NOERROR;
}

MmResult Win32CoreAudioMixer::setControlValue(HMixer mixer, std::uint32_t controlId,
                                              std::uint32_t value) {
    if (!valid(mixer)) return MMSYSERR_INVALHANDLE;
    if (controlId != kVolumeId) return MIXERR_INVALCONTROL;
    if (value > kMaximum) return MMSYSERR_INVALPARAM;
    const float level = static_cast<float>(value) / kMaximum;
    if (FAILED(volume_->SetMasterVolumeLevelScalar(level, nullptr))) return MMSYSERR_ERROR;
    return MMSYSERR_NOERROR;
}

}  // namespace kvr::platform
