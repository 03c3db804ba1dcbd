// The speakers' master volume, through the sound card's mixer: the device that plays the sound
// is opened at the first mute, opened anew at every mute (the user may have switched to a
// headset since), and closed at exit. Nothing here reports a failure: with no mixer, no
// speakers line or no volume control every read answers -1 and every write fails quietly.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/mixer.h"

namespace kvr::SndMixer {

using platform::HMixer;
using platform::MixerControl;

// 0 while closed or when opening failed.
extern HMixer MixerHandle;
// The speakers' volume control; only its id is used once found.
extern MixerControl VolumeControl;
// The id of the device MixerHandle stands for.
extern std::string MixerDevice;

// Opens the device that is the default output now; the one open before is closed once the new
// one is open. MixerHandle stays 0 when there is none with a speakers volume.
void OpenMixer();
void CloseMixer();
// The control of that type on the destination line of that component type.
bool FindLineControl(HMixer h, std::uint32_t componentType, std::uint32_t controlType,
                     MixerControl& control);
// The value of all channels together, or -1 when it could not be read.
std::int32_t GetControlValue(HMixer h, const MixerControl& control);
bool SetControlValue(HMixer h, const MixerControl& control, std::uint32_t value);

// The speakers' volume of the device with that id, through MixerHandle when it stands for that
// device, else through a handle opened for the call. Nothing when the device is gone or the
// read failed; false when the write failed.
std::optional<std::uint32_t> ReadVolume(const std::string& device);
bool WriteVolume(const std::string& device, std::uint32_t value);

// Closed, with no control found, as before the first open.
void resetForTests();

}  // namespace kvr::SndMixer
