// One set of mixer cases, run against the in-memory sound card natively and, under Wine, against
// the mixer the program wires (the endpoint's volume where writing it works, else winmm's),
// with PulseAudio's null sink as the speakers. Every case puts back the volume it found.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "engine/snd_mixer.h"
#include "platform/services.h"
#include "tests/contract/contract_env.h"

using kvr::platform::HMixer;
using kvr::platform::MixerControl;
using kvr::platform::MixerLine;
namespace mm = kvr::platform::mm;
namespace SndMixer = kvr::SndMixer;

namespace {

constexpr std::uint32_t kTelephone = 6;      // MIXERLINE_COMPONENTTYPE_DST_TELEPHONE
constexpr std::uint32_t kBass = 0x50030002;  // MIXERCONTROL_CONTROLTYPE_BASS
constexpr std::uint32_t kNoSuchControl = 12345;

class MixerContract : public ::testing::Test {
protected:
    void SetUp() override {
        mixer = kvr::contract::makeMixer();
        ASSERT_EQ(mixer->open(0, handle), mm::kNoError) << "no mixer device 0";
        ASSERT_NE(handle, 0u);
        ASSERT_EQ(mixer->lineByComponentType(handle, mm::kComponentSpeakers, speakers),
                  mm::kNoError);
        ASSERT_EQ(mixer->lineControlByType(handle, speakers.lineId, mm::kControlVolume, volume),
                  mm::kNoError);
        ASSERT_EQ(mixer->controlValue(handle, volume.controlId, before), mm::kNoError);
    }
    void TearDown() override {
        if (handle != 0) {
            mixer->setControlValue(handle, volume.controlId, before);
            EXPECT_EQ(mixer->close(handle), mm::kNoError);
        }
    }
    std::uint32_t read() {
        std::uint32_t v = 0xDEADBEEF;
        EXPECT_EQ(mixer->controlValue(handle, volume.controlId, v), mm::kNoError);
        return v;
    }

    std::unique_ptr<kvr::platform::Mixer> mixer;
    HMixer handle = 0;
    MixerLine speakers;
    MixerControl volume;
    std::uint32_t before = 0;
};

TEST_F(MixerContract, DeviceZeroHasASpeakersLineWithAVolumeFromZeroTo65535) {
    EXPECT_EQ(speakers.componentType, mm::kComponentSpeakers);
    EXPECT_GE(speakers.controls, 1u);
    EXPECT_GE(speakers.channels, 1u);
    EXPECT_EQ(volume.controlType, mm::kControlVolume);
    EXPECT_EQ(volume.minimum, 0u);
    EXPECT_EQ(volume.maximum, 65535u);
    EXPECT_LE(before, 65535u);
}

TEST_F(MixerContract, WhatIsNotThereIsRefused) {
    HMixer other = 0;
    EXPECT_EQ(mixer->open(99, other), mm::kBadDeviceId);
    MixerLine line;
    EXPECT_EQ(mixer->lineByComponentType(handle, kTelephone, line), mm::kInvalLine);
    MixerControl control;
    // Windows says MIXERR_INVALCONTROL, Wine MMSYSERR_NOTSUPPORTED: refused either way.
    EXPECT_NE(mixer->lineControlByType(handle, speakers.lineId, kBass, control), mm::kNoError);
    std::uint32_t v = 0;
    EXPECT_EQ(mixer->controlValue(handle, kNoSuchControl, v), mm::kInvalControl);
    EXPECT_EQ(mixer->setControlValue(handle, kNoSuchControl, 0), mm::kInvalControl);
}

// The value goes through a float on the way (winmm under Wine reads 40000 back as 39999).
TEST_F(MixerContract, AWrittenVolumeReadsBackAndOneAboveTheRangeIsRefused) {
    ASSERT_EQ(mixer->setControlValue(handle, volume.controlId, 40000), mm::kNoError);
    EXPECT_NEAR(read(), 40000.0, 1.0);
    ASSERT_EQ(mixer->setControlValue(handle, volume.controlId, 0), mm::kNoError);
    EXPECT_EQ(read(), 0u);
    EXPECT_EQ(mixer->setControlValue(handle, volume.controlId, 65536), mm::kInvalParam);
    EXPECT_EQ(mixer->setControlValue(handle, volume.controlId, 0xFFFFFFFF), mm::kInvalParam);
    EXPECT_EQ(read(), 0u);
    ASSERT_EQ(mixer->setControlValue(handle, volume.controlId, 65535), mm::kNoError);
    EXPECT_EQ(read(), 65535u);
}

// A device is named by an id that opens it again: what one handle writes, the other reads.
TEST_F(MixerContract, TheDefaultDevicesIdOpensThatDeviceAgainAndAnUnknownIdNothing) {
    std::string id;
    ASSERT_EQ(mixer->deviceId(handle, id), mm::kNoError);
    EXPECT_FALSE(id.empty());
    HMixer again = 0;
    ASSERT_EQ(mixer->openDevice(id, again), mm::kNoError);
    EXPECT_NE(again, handle);
    std::string sameId;
    EXPECT_EQ(mixer->deviceId(again, sameId), mm::kNoError);
    EXPECT_EQ(sameId, id);
    MixerLine line;
    MixerControl control;
    ASSERT_EQ(mixer->lineByComponentType(again, mm::kComponentSpeakers, line), mm::kNoError);
    ASSERT_EQ(mixer->lineControlByType(again, line.lineId, mm::kControlVolume, control),
              mm::kNoError);
    ASSERT_EQ(mixer->setControlValue(again, control.controlId, 30000), mm::kNoError);
    EXPECT_NEAR(read(), 30000.0, 1.0);
    EXPECT_EQ(mixer->close(again), mm::kNoError);
    EXPECT_EQ(mixer->deviceId(again, sameId), mm::kInvalHandle);

    HMixer none = 0;
    EXPECT_EQ(mixer->openDevice("{0.0.0.00000000}.{no-such-device}", none), mm::kBadDeviceId);
    EXPECT_EQ(mixer->openDevice("", none), mm::kBadDeviceId);
}

// The program's own routines over the port: what OpenMixer finds is the speakers' volume.
TEST_F(MixerContract, TheProgramsRoutinesFindAndSetTheSpeakersVolume) {
    const kvr::platform::Services saved = kvr::platform::installed();
    kvr::platform::Services services = saved;
    services.mixer = mixer.get();
    kvr::platform::install(services);
    SndMixer::resetForTests();

    MixerControl found;
    EXPECT_TRUE(
        SndMixer::FindLineControl(handle, mm::kComponentSpeakers, mm::kControlVolume, found));
    EXPECT_EQ(found.controlId, volume.controlId);
    EXPECT_FALSE(SndMixer::FindLineControl(handle, kTelephone, mm::kControlVolume, found));
    EXPECT_TRUE(SndMixer::SetControlValue(handle, found, 20000));
    EXPECT_NEAR(SndMixer::GetControlValue(handle, found), 20000.0, 1.0);
    EXPECT_FALSE(SndMixer::SetControlValue(handle, found, 0xFFFFFFFF));
    EXPECT_NEAR(SndMixer::GetControlValue(handle, found), 20000.0, 1.0);
    EXPECT_EQ(SndMixer::GetControlValue(0, found), -1) << "no mixer reads -1";
    EXPECT_FALSE(SndMixer::SetControlValue(0, found, 0));

    // A second open of the same device, as a mute makes it, works beside ours; so do the
    // reads and writes by the device's id that give a volume back.
    SndMixer::OpenMixer();
    EXPECT_NE(SndMixer::MixerHandle, 0u);
    EXPECT_EQ(SndMixer::VolumeControl.controlType, mm::kControlVolume);
    std::string id;
    ASSERT_EQ(mixer->deviceId(handle, id), mm::kNoError);
    EXPECT_EQ(SndMixer::MixerDevice, id);
    const std::string device = SndMixer::MixerDevice;
    SndMixer::CloseMixer();
    EXPECT_EQ(SndMixer::MixerHandle, 0u);
    EXPECT_TRUE(SndMixer::WriteVolume(device, 25000));
    EXPECT_NEAR(read(), 25000.0, 1.0);
    const auto readBack = SndMixer::ReadVolume(device);
    ASSERT_TRUE(readBack.has_value());
    EXPECT_NEAR(*readBack, 25000.0, 1.0);
    EXPECT_FALSE(SndMixer::ReadVolume("{no-such-device}").has_value());
    EXPECT_FALSE(SndMixer::WriteVolume("{no-such-device}", 0));

    SndMixer::resetForTests();
    kvr::platform::install(saved);
}

}  // namespace
