// The default output device's volume through Core Audio, in the winmm mixer's shape, and the
// choice between it and winmm that the program makes when it opens its mixer.
#include <gtest/gtest.h>

#include <cstdio>

#include "engine/snd_mixer.h"
#include "platform/preferred_mixer.h"
#include "platform/services.h"
#include "platform/win32/win32_mixer.h"

namespace kvr::platform {
namespace {

TEST(MixerWin32, TheEndpointLooksLikeAWinmmSpeakersLineWithOneVolume) {
    Win32CoreAudioMixer endpoint;
    HMixer h = 0;
    ASSERT_EQ(endpoint.open(0, h), mm::kNoError) << "no default output device";
    HMixer second = 0;
    ASSERT_EQ(endpoint.open(0, second), mm::kNoError);
    EXPECT_NE(second, h);
    EXPECT_EQ(endpoint.close(second), mm::kNoError);

    MixerLine line;
    ASSERT_EQ(endpoint.lineByComponentType(h, mm::kComponentSpeakers, line), mm::kNoError);
    EXPECT_EQ(line.componentType, mm::kComponentSpeakers);
    EXPECT_GE(line.channels, 1u);
    MixerControl volume;
    ASSERT_EQ(endpoint.lineControlByType(h, line.lineId, mm::kControlVolume, volume), mm::kNoError);
    EXPECT_EQ(volume.minimum, 0u);
    EXPECT_EQ(volume.maximum, 65535u);
    std::uint32_t v = 0xDEADBEEF;
    ASSERT_EQ(endpoint.controlValue(h, volume.controlId, v), mm::kNoError);
    EXPECT_LE(v, 65535u);
    EXPECT_EQ(endpoint.setControlValue(h, volume.controlId, 65536), mm::kInvalParam);

    // The endpoint's own id opens it again.
    std::string id;
    ASSERT_EQ(endpoint.deviceId(h, id), mm::kNoError);
    EXPECT_EQ(id.find("winmm:"), std::string::npos);
    ASSERT_EQ(endpoint.openDevice(id, second), mm::kNoError);
    EXPECT_EQ(endpoint.close(second), mm::kNoError);
    EXPECT_EQ(endpoint.openDevice("winmm:Speakers", second), mm::kBadDeviceId);

    EXPECT_EQ(endpoint.open(1, second), mm::kBadDeviceId);
    EXPECT_EQ(endpoint.lineByComponentType(h, 6, line), mm::kInvalLine);
    EXPECT_EQ(endpoint.lineControlByType(h, line.lineId, 0x50030002, volume), mm::kInvalControl);
    EXPECT_EQ(endpoint.close(h), mm::kNoError);
    EXPECT_EQ(endpoint.controlValue(h, 0, v), mm::kInvalHandle);
    EXPECT_EQ(endpoint.close(h), mm::kInvalHandle);
}

// Under Wine 8 the endpoint refuses the write (E_NOTIMPL), so the program mutes through winmm;
// on Windows since Vista it takes it, and the program mutes the computer.
TEST(MixerWin32, TheProgramUsesTheEndpointExactlyWhenWritingItReadsBack) {
    Win32CoreAudioMixer probeEndpoint;
    HMixer h = 0;
    ASSERT_EQ(probeEndpoint.open(0, h), mm::kNoError);
    const bool writes = PreferredMixer::speakersVolumeWrites(probeEndpoint, h);
    probeEndpoint.close(h);

    Win32CoreAudioMixer endpoint;
    Win32WinmmMixer winmm;
    PreferredMixer mixer(endpoint, winmm);
    ASSERT_EQ(mixer.open(0, h), mm::kNoError);
    EXPECT_EQ(mixer.chosen(), writes ? static_cast<Mixer*>(&endpoint) : &winmm);
    std::printf("[ note ] the program's mixer here: %s\n", writes ? "Core Audio" : "winmm");
    EXPECT_EQ(mixer.close(h), mm::kNoError);
}

// The mixers load their libraries at their first open. One that cannot (a damaged system, a
// stripped-down one) has no device and knows no handle, and the program's mute through it
// opens nothing, writes nothing and goes on.
TEST(MixerWin32, AMixerWhoseLibraryDoesNotLoadOpensNothingAndTheProgramGoesOn) {
    Win32CoreAudioMixer endpoint(L"kvr-no-such-library.dll");
    Win32WinmmMixer winmm(L"kvr-no-such-library.dll");
    for (Mixer* m : {static_cast<Mixer*>(&endpoint), static_cast<Mixer*>(&winmm)}) {
        HMixer h = 0;
        EXPECT_EQ(m->open(0, h), mm::kNoDriver);
        EXPECT_EQ(h, 0u);
        EXPECT_EQ(m->openDevice("winmm:Speakers", h), mm::kNoDriver);
        // Not even a handle another mixer gave out is taken for one.
        const HMixer other = 1;
        MixerLine line;
        MixerControl control;
        std::uint32_t value = 0;
        std::string id;
        EXPECT_EQ(m->lineByComponentType(other, mm::kComponentSpeakers, line), mm::kInvalHandle);
        EXPECT_EQ(m->lineControlByType(other, line.lineId, mm::kControlVolume, control),
                  mm::kInvalHandle);
        EXPECT_EQ(m->controlValue(other, 0, value), mm::kInvalHandle);
        EXPECT_EQ(m->setControlValue(other, 0, 0), mm::kInvalHandle);
        EXPECT_EQ(m->deviceId(other, id), mm::kInvalHandle);
        EXPECT_EQ(m->close(other), mm::kInvalHandle);
    }

    PreferredMixer mixer(endpoint, winmm);
    const Services saved = installed();
    Services services = saved;
    services.mixer = &mixer;
    install(services);
    SndMixer::resetForTests();
    SndMixer::OpenMixer();
    EXPECT_EQ(SndMixer::MixerHandle, 0u);
    EXPECT_FALSE(SndMixer::WriteVolume("winmm:Speakers", 0));
    EXPECT_FALSE(SndMixer::ReadVolume("winmm:Speakers").has_value());
    SndMixer::CloseMixer();
    install(saved);
}

}  // namespace
}  // namespace kvr::platform
