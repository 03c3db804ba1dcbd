// The speakers' master volume, through the sound card's mixer: device 0 is opened with the main
// window and closed at exit. Nothing here reports a failure: with no mixer, no speakers line or
// no volume control every read answers -1 and every write fails quietly.
#pragma once

#include <cstdint>

#include "platform/mixer.h"

namespace kvr::SndMixer {

using platform::HMixer;
using platform::MixerControl;

// 0 while closed or when opening failed.
extern HMixer MixerHandle;
// The speakers' volume control; only its id is used once found.
extern MixerControl VolumeControl;

void OpenMixer();
void CloseMixer();
// The control of that type on the destination line of that component type.
bool FindLineControl(HMixer h, std::uint32_t componentType, std::uint32_t controlType,
                     MixerControl& control);
// The value of all channels together, or -1 when it could not be read.
std::int32_t GetControlValue(HMixer h, const MixerControl& control);
bool SetControlValue(HMixer h, const MixerControl& control, std::uint32_t value);

// Closed, with no control found, as before the first open.
void resetForTests();

}  // namespace kvr::SndMixer
