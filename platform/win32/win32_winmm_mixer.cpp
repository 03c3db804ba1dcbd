#include <windows.h>
// Needs the types windows.h declares.
#include <mmsystem.h>

#include "platform/win32/text.h"
#include "platform/win32/win32_mixer.h"

namespace kvr::platform {

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
    HMIXER h = nullptr;
    const MMRESULT result = mixerOpen(&h, device, 0, 0, MIXER_OBJECTF_MIXER);
    if (result == MMSYSERR_NOERROR) mixer = static_cast<HMixer>(reinterpret_cast<UINT_PTR>(h));
    return result;
}

namespace {

constexpr char kIdPrefix[] = "winmm:";

// Mixer devices are numbered afresh at every start; their names stay.
std::string idOf(UINT device) {
    MIXERCAPSW caps{};
    if (mixerGetDevCapsW(device, &caps, sizeof caps) != MMSYSERR_NOERROR) return {};
    return kIdPrefix + cut(caps.szPname, MAXPNAMELEN);
}

}  // namespace

MmResult Win32WinmmMixer::openDevice(const std::string& id, HMixer& mixer) {
    if (id.rfind(kIdPrefix, 0) != 0) return MMSYSERR_BADDEVICEID;
    const UINT count = mixerGetNumDevs();
    for (UINT device = 0; device < count; ++device) {
        if (idOf(device) == id) return open(device, mixer);
    }
    return MMSYSERR_BADDEVICEID;
}

MmResult Win32WinmmMixer::deviceId(HMixer mixer, std::string& id) {
    UINT device = 0;
    const MMRESULT result = mixerGetID(toObject(mixer), &device, MIXER_OBJECTF_HMIXER);
    if (result != MMSYSERR_NOERROR) return result;
    id = idOf(device);
    return id.empty() ? MMSYSERR_ERROR : MMSYSERR_NOERROR;
}

MmResult Win32WinmmMixer::close(HMixer mixer) {
    return mixerClose(reinterpret_cast<HMIXER>(static_cast<UINT_PTR>(mixer)));
}

MmResult Win32WinmmMixer::lineByComponentType(HMixer mixer, std::uint32_t componentType,
                                              MixerLine& line) {
    MIXERLINEW l{};
    l.cbStruct = sizeof l;
    l.dwComponentType = componentType;
    const MMRESULT result = mixerGetLineInfoW(
        toObject(mixer), &l, MIXER_OBJECTF_HMIXER | MIXER_GETLINEINFOF_COMPONENTTYPE);
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
    MIXERCONTROLW c{};
    MIXERLINECONTROLSW controls{};
    controls.cbStruct = sizeof controls;
    controls.dwLineID = lineId;
    controls.dwControlType = controlType;
    controls.cControls = 1;
    controls.cbmxctrl = sizeof c;
    controls.pamxctrl = &c;
    const MMRESULT result = mixerGetLineControlsW(
        toObject(mixer), &controls, MIXER_OBJECTF_HMIXER | MIXER_GETLINECONTROLSF_ONEBYTYPE);
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
    DWORD v = 0;
    MIXERCONTROLDETAILS d = details(controlId, v);
    const MMRESULT result = mixerGetControlDetailsW(
        toObject(mixer), &d, MIXER_OBJECTF_HMIXER | MIXER_GETCONTROLDETAILSF_VALUE);
    if (result == MMSYSERR_NOERROR) value = v;
    return result;
}

MmResult Win32WinmmMixer::setControlValue(HMixer mixer, std::uint32_t controlId,
                                          std::uint32_t value) {
    DWORD v = value;
    MIXERCONTROLDETAILS d = details(controlId, v);
    return mixerSetControlDetails(toObject(mixer), &d,
                                  MIXER_OBJECTF_HMIXER | MIXER_SETCONTROLDETAILSF_VALUE);
}

}  // namespace kvr::platform
