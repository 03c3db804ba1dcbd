#include <windows.h>
// Needs the types windows.h declares.
#include <mmsystem.h>

#include <utility>

#include "platform/win32/system_library.h"
#include "platform/win32/text.h"
#include "platform/win32/win32_mixer.h"

namespace kvr::platform {

struct Win32WinmmMixer::Api {
    decltype(&mixerOpen) open = nullptr;
    decltype(&mixerClose) close = nullptr;
    decltype(&mixerGetNumDevs) count = nullptr;
    decltype(&mixerGetDevCapsW) caps = nullptr;
    decltype(&mixerGetID) id = nullptr;
    decltype(&mixerGetLineInfoW) line = nullptr;
    decltype(&mixerGetLineControlsW) controls = nullptr;
    decltype(&mixerGetControlDetailsW) value = nullptr;
    decltype(&mixerSetControlDetails) setValue = nullptr;
};

Win32WinmmMixer::Win32WinmmMixer(std::wstring library) : library_(std::move(library)) {}

Win32WinmmMixer::~Win32WinmmMixer() = default;

const Win32WinmmMixer::Api* Win32WinmmMixer::load() {
    if (api_) return api_.get();
    HMODULE winmm = win32::loadSystemLibrary(library_.c_str());
    if (winmm == nullptr) return nullptr;
    auto api = std::make_unique<Api>();
    using win32::bind;
    if (!bind(winmm, "mixerOpen", api->open) || !bind(winmm, "mixerClose", api->close) ||
        !bind(winmm, "mixerGetNumDevs", api->count) ||
        !bind(winmm, "mixerGetDevCapsW", api->caps) || !bind(winmm, "mixerGetID", api->id) ||
        !bind(winmm, "mixerGetLineInfoW", api->line) ||
        !bind(winmm, "mixerGetLineControlsW", api->controls) ||
        !bind(winmm, "mixerGetControlDetailsW", api->value) ||
        !bind(winmm, "mixerSetControlDetails", api->setValue)) {
        return nullptr;
    }
    api_ = std::move(api);
    return api_.get();
}

namespace {

// Passed with MIXER_OBJECTF_HMIXER every time: without it winmm may take the handle for a
// device number.
HMIXEROBJ toObject(HMixer h) {
    return reinterpret_cast<HMIXEROBJ>(static_cast<UINT_PTR>(h));
}

std::string cut(const wchar_t* text, std::size_t capacity) {
    std::size_t n = 0;
    while (n < capacity && text[n] != L'\0') ++n;
    return win32::toUtf8(std::wstring_view(text, n));
}

// One channel: the value of all channels together.
MIXERCONTROLDETAILS details(std::uint32_t controlId, DWORD& value) {
    MIXERCONTROLDETAILS d{};
    d.cbStruct = sizeof d;
    d.dwControlID = controlId;
    d.cChannels = 1;
    d.cMultipleItems = 0;
    d.cbDetails = sizeof value;
    d.paDetails = &value;
    return d;
}

}  // namespace

MmResult Win32WinmmMixer::open(std::uint32_t device, HMixer& mixer) {
    const Api* api = load();
    if (api == nullptr) return MMSYSERR_NODRIVER;
    HMIXER h = nullptr;
    const MMRESULT result = api->open(&h, device, 0, 0, MIXER_OBJECTF_MIXER);
    if (result == MMSYSERR_NOERROR) mixer = static_cast<HMixer>(reinterpret_cast<UINT_PTR>(h));
    return result;
}

namespace {

constexpr char kIdPrefix[] = "winmm:";

// Mixer devices are numbered afresh at every start; their names stay.
template <typename Api>
std::string idOf(const Api& api, UINT device) {
    MIXERCAPSW caps{};
    if (api.caps(device, &caps, sizeof caps) != MMSYSERR_NOERROR) return {};
    return kIdPrefix + cut(caps.szPname, MAXPNAMELEN);
}

}  // namespace

MmResult Win32WinmmMixer::openDevice(const std::string& id, HMixer& mixer) {
    if (id.rfind(kIdPrefix, 0) != 0) return MMSYSERR_BADDEVICEID;
    const Api* api = load();
    if (api == nullptr) return MMSYSERR_NODRIVER;
    const UINT count = api->count();
    for (UINT device = 0; device < count; ++device) {
        if (idOf(*api, device) == id) return open(device, mixer);
    }
    return MMSYSERR_BADDEVICEID;
}

MmResult Win32WinmmMixer::deviceId(HMixer mixer, std::string& id) {
    // No handle was given out before the library was loaded.
    if (!api_) return MMSYSERR_INVALHANDLE;
    UINT device = 0;
    const MMRESULT result = api_->id(toObject(mixer), &device, MIXER_OBJECTF_HMIXER);
    if (result != MMSYSERR_NOERROR) return result;
    id = idOf(*api_, device);
    return id.empty() ? MMSYSERR_ERROR : MMSYSERR_NOERROR;
}

MmResult Win32WinmmMixer::close(HMixer mixer) {
    if (!api_) return MMSYSERR_INVALHANDLE;
    return api_->close(reinterpret_cast<HMIXER>(static_cast<UINT_PTR>(mixer)));
}

MmResult Win32WinmmMixer::lineByComponentType(HMixer mixer, std::uint32_t componentType,
                                              MixerLine& line) {
    if (!api_) return MMSYSERR_INVALHANDLE;
    MIXERLINEW l{};
    l.cbStruct = sizeof l;
    l.dwComponentType = componentType;
    const MMRESULT result =
        api_->line(toObject(mixer), &l, MIXER_OBJECTF_HMIXER | MIXER_GETLINEINFOF_COMPONENTTYPE);
    if (result != MMSYSERR_NOERROR) return result;
    line = {.lineId = l.dwLineID,
            .componentType = l.dwComponentType,
            .channels = l.cChannels,
            .controls = l.cControls,
            .name = cut(l.szName, MIXER_LONG_NAME_CHARS)};
    return result;
}

MmResult Win32WinmmMixer::lineControlByType(HMixer mixer, std::uint32_t lineId,
                                            std::uint32_t controlType, MixerControl& control) {
    if (!api_) return MMSYSERR_INVALHANDLE;
    MIXERCONTROLW c{};
    MIXERLINECONTROLSW controls{};
    controls.cbStruct = sizeof controls;
    controls.dwLineID = lineId;
    controls.dwControlType = controlType;
    controls.cControls = 1;
    controls.cbmxctrl = sizeof c;
    controls.pamxctrl = &c;
    const MMRESULT result = api_->controls(toObject(mixer), &controls,
                                           MIXER_OBJECTF_HMIXER | MIXER_GETLINECONTROLSF_ONEBYTYPE);
    if (result != MMSYSERR_NOERROR) return result;
    control = {.controlId = c.dwControlID,
               .controlType = c.dwControlType,
               .minimum = c.Bounds.dwMinimum,
               .maximum = c.Bounds.dwMaximum,
               .steps = c.Metrics.cSteps,
               .name = cut(c.szName, MIXER_LONG_NAME_CHARS)};
    return result;
}

MmResult Win32WinmmMixer::controlValue(HMixer mixer, std::uint32_t controlId,
                                       std::uint32_t& value) {
    if (!api_) return MMSYSERR_INVALHANDLE;
    DWORD v = 0;
    MIXERCONTROLDETAILS d = details(controlId, v);
    const MMRESULT result =
        api_->value(toObject(mixer), &d, MIXER_OBJECTF_HMIXER | MIXER_GETCONTROLDETAILSF_VALUE);
    if (result == MMSYSERR_NOERROR) value = v;
    return result;
}

MmResult Win32WinmmMixer::setControlValue(HMixer mixer, std::uint32_t controlId,
                                          std::uint32_t value) {
    if (!api_) return MMSYSERR_INVALHANDLE;
    DWORD v = value;
    MIXERCONTROLDETAILS d = details(controlId, v);
    return api_->setValue(toObject(mixer), &d,
                          MIXER_OBJECTF_HMIXER | MIXER_SETCONTROLDETAILSF_VALUE);
}

}  // namespace kvr::platform
