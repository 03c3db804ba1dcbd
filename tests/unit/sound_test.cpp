// Muting the speakers while windows are hidden and giving the volume back, on the in-memory
// mixer: which hides mute, which shows restore, and that the computer is never left silent.
#include <gtest/gtest.h>

#include "base/ids.h"
#include "engine/hide_engine.h"
#include "engine/snd_mixer.h"
#include "mainwin/frm_ppal.h"
#include "platform/preferred_mixer.h"
#include "tests/unit/fake_platform.h"

namespace kvr {
namespace {

using ids::Slot;
using platform::Hwnd;
using Writes = std::vector<std::uint32_t>;
namespace method = ids::method;

class Sound : public ::testing::Test {
protected:
    test::FakePlatform fake;
    test::FakeTrayArea tray;
    engine::HideEngine engine{tray};
    Hwnd mainWindow = fake.desktop.create("KVR_frmPpal", "KVR", {.visible = false});
    int x = 0;

    Sound() {
        settings::SE = 15;
        settings::SR = 0;
        settings::BxTA = true;
        settings::BxTT = "Report";
        settings::BxTP = 1;
        settings::BxTS = 1;
        fake.mixer.volume = 40000;
    }
    void open() {
        SndMixer::OpenMixer();
        ASSERT_NE(SndMixer::MixerHandle, 0u);
    }
    // A window of its own place on the screen, with the mouse over it.
    Hwnd underMouse(const std::string& cls = "Notepad", const std::string& title = "notes") {
        x += 50;
        const Hwnd h = fake.desktop.create(cls, title, {.rect = {x, x, x + 40, x + 40}});
        fake.desktop.setCursor(x + 5, x + 5);
        return h;
    }
    engine::Outcome press(Slot slot) { return engine.Hotkey(ids::hotkeyId(slot), mainWindow); }
    void hideUnderMouse(const std::string& cls = "Notepad") {
        underMouse(cls);
        press(Slot::HideUnderMouse);
    }
    const Writes& writes() const { return fake.mixer.writes; }
};

TEST_F(Sound, HidingMutesAtTheSavedVolumeAndShowingTheLastWindowGivesItBack) {
    open();
    hideUnderMouse();
    EXPECT_EQ(writes(), Writes{0});
    EXPECT_EQ(fake.mixer.volume, 0u);
    EXPECT_TRUE(engine.SoundMuted);
    EXPECT_EQ(engine.SavedVolume, 40000);

    press(Slot::ShowLast);
    EXPECT_EQ(writes(), (Writes{0, 40000}));
    EXPECT_EQ(fake.mixer.volume, 40000u);
    EXPECT_FALSE(engine.SoundMuted);
}

TEST_F(Sound, MutingAgainKeepsTheVolumeFromBeforeTheFirstMute) {
    open();
    hideUnderMouse();
    hideUnderMouse();
    EXPECT_EQ(engine.SavedVolume, 40000);
    press(Slot::ShowAll);
    EXPECT_EQ(writes(), (Writes{0, 0, 40000}));
    EXPECT_EQ(fake.mixer.volume, 40000u);

    // A volume the user set while muted is what the next mute saves.
    hideUnderMouse();
    fake.mixer.volume = 12000;
    hideUnderMouse();
    EXPECT_EQ(engine.SavedVolume, 12000);
    press(Slot::ShowAll);
    EXPECT_EQ(fake.mixer.volume, 12000u);
}

// SR 0 gives the volume back once nothing is left hidden: a show that leaves windows behind
// ends the muted state without a write, so a later show of everything has nothing to restore.
TEST_F(Sound, RestoreWhenEverythingIsShownWritesOnlyWhenTheListEmpties) {
    open();
    for (int i = 0; i < 3; ++i) hideUnderMouse();
    press(Slot::ShowLast);
    EXPECT_EQ(writes(), (Writes{0, 0, 0}));
    EXPECT_FALSE(engine.SoundMuted);
    EXPECT_EQ(engine.windows.size(), 2u);
    press(Slot::ShowAll);
    EXPECT_EQ(writes(), (Writes{0, 0, 0}));
    EXPECT_EQ(fake.mixer.volume, 0u);
    EXPECT_TRUE(engine.windows.empty());
}

TEST_F(Sound, RestoreWhenEverythingIsShownWritesWhenShowLastEmptiesTheList) {
    open();
    hideUnderMouse();
    press(Slot::ShowLast);
    EXPECT_EQ(writes(), (Writes{0, 40000}));
}

TEST_F(Sound, RestoreBitsChooseTheShowsThatGiveTheVolumeBack) {
    settings::SR = method::kByClass;
    open();
    underMouse("Sheet");
    underMouse("Sheet");
    press(Slot::HideClassUnderMouse);
    ASSERT_EQ(engine.windows.size(), 2u);
    ASSERT_TRUE(engine.SoundMuted);
    EXPECT_EQ(writes(), Writes{0}) << "one mute for the command, once its windows are gone";
    press(Slot::ShowByClass);
    EXPECT_EQ(writes(), (Writes{0, 40000}));
    EXPECT_FALSE(engine.SoundMuted);

    // Show all and the sound hotkey pass no bit of SR: the muted state ends, the volume stays.
    hideUnderMouse();
    press(Slot::ShowAll);
    EXPECT_FALSE(engine.SoundMuted);
    press(Slot::ToggleSound);
    EXPECT_TRUE(engine.SoundMuted);
    press(Slot::ToggleSound);
    EXPECT_FALSE(engine.SoundMuted);
    EXPECT_EQ(writes(), (Writes{0, 40000, 0, 0}));
    EXPECT_EQ(fake.mixer.volume, 0u);
}

TEST_F(Sound, EachHideMutesByItsOwnBitOfSe) {
    settings::SE = method::kByTitle;
    open();
    hideUnderMouse();
    underMouse("Sheet");
    press(Slot::HideClassUnderMouse);
    press(Slot::HidePrograms);
    EXPECT_FALSE(engine.SoundMuted);
    EXPECT_TRUE(writes().empty());

    fake.desktop.create("Word", "Report 2024");
    press(Slot::HideByTitle);
    EXPECT_TRUE(engine.SoundMuted);
    EXPECT_EQ(writes(), Writes{0});
}

// Showing the programs' windows restores only when hiding them mutes: otherwise a mute of
// another kind is left alone.
TEST_F(Sound, ProgramHotkeysMuteAndRestoreOnlyWhenSeHasTheirBit) {
    settings::SE = method::kUnderMouse;
    settings::SR = method::kByProgram;
    open();
    press(Slot::ToggleSound);
    press(Slot::ShowPrograms);
    EXPECT_TRUE(engine.SoundMuted);

    settings::SE = method::kByProgram;
    press(Slot::ShowPrograms);
    EXPECT_FALSE(engine.SoundMuted);
    EXPECT_EQ(writes(), (Writes{0, 40000}));
    press(Slot::HidePrograms);
    EXPECT_TRUE(engine.SoundMuted);
    press(Slot::ShowPrograms);
    EXPECT_EQ(writes(), (Writes{0, 40000, 0, 40000}));
}

TEST_F(Sound, AShowThatFindsNothingToShowLeavesTheSoundMuted) {
    settings::SR = method::kByTitle;
    open();
    hideUnderMouse();
    EXPECT_EQ(press(Slot::ShowByTitle).notice, ids::msg::kNothingFound);
    EXPECT_TRUE(engine.SoundMuted);
    // Selection and a single entry never touch the sound.
    engine.ShowOne(0);
    EXPECT_TRUE(engine.SoundMuted);
    EXPECT_EQ(writes(), Writes{0});
}

TEST_F(Sound, ExitGivesAMutedVolumeBackWhateverSrSaysThenClosesTheMixer) {
    settings::SR = method::kByTitle;
    open();
    hideUnderMouse();
    engine.Exit();
    EXPECT_EQ(writes(), (Writes{0, 40000}));
    EXPECT_EQ(settings::SR, 0);
    EXPECT_FALSE(fake.mixer.isOpen());
    EXPECT_EQ(SndMixer::MixerHandle, 0u);
    EXPECT_TRUE(engine.windows.empty());
}

// The muted state ended on a show that left the speakers at 0 and nothing brought them back:
// the exit does.
TEST_F(Sound, ExitGivesBackAVolumeAShowLeftAtZero) {
    open();
    for (int i = 0; i < 3; ++i) hideUnderMouse();
    press(Slot::ShowLast);
    press(Slot::ShowAll);
    ASSERT_EQ(fake.mixer.volume, 0u);
    engine.Exit();
    EXPECT_EQ(writes(), (Writes{0, 0, 0, 40000}));
    EXPECT_FALSE(fake.mixer.isOpen());
}

TEST_F(Sound, ExitKeepsAVolumeTheUserSetAfterTheMuteEndedWithoutAWrite) {
    settings::SR = method::kByClass;
    open();
    hideUnderMouse();
    press(Slot::ShowLast);
    fake.mixer.volume = 25000;
    engine.Exit();
    EXPECT_EQ(writes(), Writes{0});
    EXPECT_EQ(fake.mixer.volume, 25000u);
}

TEST_F(Sound, AVolumeWrittenBackSettlesWhatAnEarlierShowLeftAtZero) {
    settings::SR = method::kByClass;
    open();
    hideUnderMouse();
    press(Slot::ShowLast);  // muted state over, speakers still at 0
    press(Slot::ToggleSound);
    settings::SR = 0;
    press(Slot::ToggleSound);  // writes the saved volume
    fake.mixer.volume = 0;     // the user's own choice now
    engine.Exit();
    EXPECT_EQ(writes(), (Writes{0, 0, 40000}));
}

TEST_F(Sound, ACrashWhileMutedStillGivesTheVolumeBack) {
    open();
    hideUnderMouse();
    engine.ShowEverythingHidden();
    EXPECT_EQ(fake.mixer.volume, 40000u);
}

// No sound card, or one without speakers or their volume: hiding, showing, the sound hotkey
// and the exit work as ever, say nothing and write nothing; no volume is saved, so that no show
// can write one that was never read.
TEST(SoundWithoutMixer, HidingShowingTheHotkeyAndExitWorkSayNothingAndWriteNothing) {
    const std::vector<std::pair<std::string, void (*)(platform::FakeMixer&)>> machines = {
        {"no mixer", [](platform::FakeMixer& m) { m.present = false; }},
        {"no speakers", [](platform::FakeMixer& m) { m.speakers = false; }},
        {"no volume", [](platform::FakeMixer& m) { m.volumeControl = false; }},
    };
    for (const auto& [name, make] : machines) {
        test::FakePlatform machine;
        make(machine.mixer);
        test::FakeTrayArea area;
        engine::HideEngine e{area};
        settings::SE = 15;
        settings::BxTA = true;
        SndMixer::OpenMixer();
        EXPECT_EQ(SndMixer::MixerHandle, 0u) << name;
        EXPECT_FALSE(machine.mixer.isOpen()) << name;

        const Hwnd w = machine.desktop.create("Notepad", "notes", {.rect = {10, 10, 50, 50}});
        machine.desktop.setCursor(20, 20);
        EXPECT_EQ(e.Hotkey(ids::hotkeyId(Slot::HideUnderMouse), 0).notice, 0) << name;
        EXPECT_FALSE(machine.desktop.isWindowVisible(w)) << name;
        EXPECT_TRUE(e.SoundMuted) << name;
        EXPECT_EQ(e.SavedVolume, 0) << name;
        EXPECT_EQ(e.Hotkey(ids::hotkeyId(Slot::ShowLast), 0).notice, 0) << name;
        EXPECT_TRUE(machine.desktop.isWindowVisible(w)) << name;
        EXPECT_FALSE(e.SoundMuted) << name;
        e.Hotkey(ids::hotkeyId(Slot::ToggleSound), 0);
        e.Exit();
        EXPECT_TRUE(machine.mixer.writes.empty()) << name;
        EXPECT_EQ(machine.mixer.volume, 65535u) << name;
        EXPECT_TRUE(machine.system.boxes.empty()) << name;
    }
}

TEST_F(Sound, NoMixerInstalledIsNoSoundCard) {
    platform::Services services = platform::installed();
    services.mixer = nullptr;
    platform::install(services);
    SndMixer::OpenMixer();
    EXPECT_EQ(SndMixer::MixerHandle, 0u);
    engine.MuteSound();
    EXPECT_EQ(engine.SavedVolume, 0);
    engine.Exit();
}

// Nothing of the sound stack is loaded until the first mute, which comes once the windows are
// gone: a hide never waits for the mixer. A mixer that could not be opened is tried again at
// the next mute.
TEST_F(Sound, TheMixerOpensAtTheFirstMuteAfterTheWindowsAreHiddenAndAgainAfterAFailure) {
    frmPpal main{engine};
    main.setTestHandle(mainWindow);
    main.load();
    EXPECT_EQ(fake.mixer.opens, 0);
    fake.mixer.present = false;  // unplugged, say, or the audio service not up yet
    const Hwnd first = underMouse();
    std::int32_t id = ids::hotkeyId(Slot::HideUnderMouse);
    main.RecibirMensajes(id);
    EXPECT_FALSE(fake.desktop.isWindowVisible(first));
    EXPECT_TRUE(writes().empty());

    fake.mixer.present = true;
    int opensAtTheHide = -1;
    const Hwnd second = underMouse();
    fake.desktop.onShowWindow = [&](const platform::FakeDesktop::ShowCall& call) {
        if (call.hwnd == second) opensAtTheHide = fake.mixer.opens;
    };
    id = ids::hotkeyId(Slot::HideUnderMouse);
    main.RecibirMensajes(id);
    EXPECT_EQ(opensAtTheHide, 0);
    EXPECT_TRUE(fake.mixer.isOpen());
    EXPECT_EQ(fake.mixer.volume, 0u);
    EXPECT_EQ(engine.SavedVolume, 40000);

    settings::SR = method::kByClass;
    main.unload();
    EXPECT_EQ(fake.mixer.volume, 40000u);
    EXPECT_FALSE(fake.mixer.isOpen());
}

// The user switches to a headset, HDMI or USB speakers and back: each mute silences the device
// that plays at that moment, and each device gets its own volume back, once, if it is still
// there.
TEST_F(Sound, EachMuteSilencesTheDeviceOfTheMomentAndEachGetsItsOwnVolumeBack) {
    platform::FakeSoundDevice& headset = fake.mixer.otherDevices["{headset}"];
    headset.volume = 20000;
    hideUnderMouse();
    fake.mixer.defaultDevice = "{headset}";
    hideUnderMouse();
    EXPECT_EQ(fake.mixer.volume, 0u);
    EXPECT_EQ(headset.volume, 0u);
    press(Slot::ShowAll);
    EXPECT_EQ(writes(), (Writes{0, 40000}));
    EXPECT_EQ(headset.writes, (Writes{0, 20000}));

    // Muted on the headset, given back to it though the speakers play by then.
    hideUnderMouse();
    fake.mixer.defaultDevice = platform::FakeMixer::kSpeakers;
    press(Slot::ShowAll);
    EXPECT_EQ(headset.volume, 20000u);
    EXPECT_EQ(writes(), (Writes{0, 40000})) << "the speakers were not muted this time";

    // Unplugged while muted: nothing is written anywhere.
    fake.mixer.defaultDevice = "{headset}";
    hideUnderMouse();
    headset.present = false;
    fake.mixer.defaultDevice = platform::FakeMixer::kSpeakers;
    press(Slot::ShowAll);
    EXPECT_FALSE(engine.SoundMuted);
    EXPECT_EQ(headset.writes, (Writes{0, 20000, 0, 20000, 0}));
    EXPECT_EQ(writes(), (Writes{0, 40000}));
    headset.present = true;
    engine.Exit();
    EXPECT_EQ(headset.volume, 0u) << "the muted state ended with the show: nothing owed";
}

// A read that fails (the device going away, a driver in trouble) saves nothing, so nothing
// made up is ever written: no 0xFFFFFFFF, and no silence that nothing would undo.
TEST_F(Sound, AReadThatFailsSavesNothingAndWritesNothing) {
    fake.mixer.readsFail = true;
    hideUnderMouse();
    EXPECT_TRUE(engine.SoundMuted);
    EXPECT_EQ(engine.SavedVolume, 0);
    EXPECT_TRUE(writes().empty()) << "not silenced: nothing would give the volume back";
    press(Slot::ShowAll);
    EXPECT_TRUE(writes().empty());

    // Failing from the show on: the volume saved before still goes back; the exit's check of
    // a volume left at 0 reads nothing, and writes nothing.
    fake.mixer.readsFail = false;
    for (int i = 0; i < 2; ++i) hideUnderMouse();
    press(Slot::ShowLast);  // ends the muted state, one window still hidden
    fake.mixer.readsFail = true;
    engine.Exit();
    EXPECT_EQ(writes(), (Writes{0, 0}));
    EXPECT_EQ(fake.mixer.volume, 0u);
}

// The computer's own volume is preferred, but only where writing it really changes it.
class PreferredMixer : public ::testing::Test {
protected:
    platform::FakeMixer endpoint;
    platform::FakeMixer winmm;
    platform::PreferredMixer mixer{endpoint, winmm};
    platform::HMixer handle = 0;

    PreferredMixer() {
        endpoint.volume = 30000;
        winmm.volume = 50000;
        winmm.maximum = 65535;
    }
    std::uint32_t volume() {
        platform::MixerLine line;
        platform::MixerControl control;
        std::uint32_t v = 0;
        EXPECT_EQ(mixer.lineByComponentType(handle, platform::mm::kComponentSpeakers, line), 0u);
        EXPECT_EQ(
            mixer.lineControlByType(handle, line.lineId, platform::mm::kControlVolume, control),
            0u);
        EXPECT_EQ(mixer.controlValue(handle, control.controlId, v), 0u);
        return v;
    }
};

TEST_F(PreferredMixer, AWriteThatReadsBackChoosesTheEndpointAndLeavesItsVolumeAsItWas) {
    ASSERT_EQ(mixer.open(0, handle), 0u);
    EXPECT_EQ(mixer.chosen(), &endpoint);
    EXPECT_EQ(endpoint.volume, 30000u);
    EXPECT_EQ(endpoint.writes.size(), 2u) << "one write to try it, one to put the volume back";
    EXPECT_FALSE(winmm.isOpen());
    EXPECT_EQ(volume(), 30000u);
    EXPECT_EQ(mixer.setControlValue(handle, 0, 0), 0u);
    EXPECT_EQ(endpoint.volume, 0u);
    EXPECT_EQ(mixer.close(handle), 0u);
    EXPECT_FALSE(endpoint.isOpen());
}

TEST_F(PreferredMixer, AnEndpointThatCannotBeWrittenOrReadFallsBackToWinmm) {
    const std::vector<std::pair<std::string, void (*)(platform::FakeMixer&)>> endpoints = {
        {"write ignored", [](platform::FakeMixer& m) { m.writesIgnored = true; }},
        {"write refused", [](platform::FakeMixer& m) { m.writesFail = true; }},
        {"read refused", [](platform::FakeMixer& m) { m.readsFail = true; }},
        {"no endpoint", [](platform::FakeMixer& m) { m.present = false; }},
        {"no volume", [](platform::FakeMixer& m) { m.volumeControl = false; }},
    };
    for (const auto& [name, make] : endpoints) {
        platform::FakeMixer first;
        platform::FakeMixer second;
        first.volume = 30000;
        second.volume = 50000;
        make(first);
        platform::PreferredMixer m{first, second};
        platform::HMixer h = 0;
        ASSERT_EQ(m.open(0, h), 0u) << name;
        EXPECT_EQ(m.chosen(), &second) << name;
        EXPECT_FALSE(first.isOpen()) << name;
        EXPECT_EQ(first.volume, 30000u) << name;
        std::uint32_t v = 0;
        EXPECT_EQ(m.controlValue(h, platform::FakeMixer::kVolumeId, v), 0u) << name;
        EXPECT_EQ(v, 50000u) << name;
        EXPECT_EQ(m.setControlValue(h, platform::FakeMixer::kVolumeId, 0), 0u) << name;
        EXPECT_EQ(second.volume, 0u) << name;
        EXPECT_EQ(first.volume, 30000u) << name;
        EXPECT_EQ(m.close(h), 0u) << name;
        EXPECT_FALSE(second.isOpen()) << name;
    }
}

TEST_F(PreferredMixer, TheTryWorksAtEitherEndOfTheRange) {
    for (const std::uint32_t start : {0u, 1u, 65535u}) {
        platform::FakeMixer first;
        platform::FakeMixer second;
        first.volume = start;
        platform::PreferredMixer m{first, second};
        platform::HMixer h = 0;
        ASSERT_EQ(m.open(0, h), 0u) << start;
        EXPECT_EQ(m.chosen(), &first) << start;
        EXPECT_EQ(first.volume, start) << start;
        m.close(h);
    }
}

TEST_F(PreferredMixer, AnotherOpenWhileOneIsOpenKeepsTheChoice) {
    ASSERT_EQ(mixer.open(0, handle), 0u);
    ASSERT_EQ(mixer.chosen(), &endpoint);
    endpoint.writesIgnored = true;  // would fail the try now
    platform::HMixer second = 0;
    ASSERT_EQ(mixer.open(0, second), 0u);
    EXPECT_EQ(mixer.chosen(), &endpoint);
    EXPECT_EQ(mixer.close(second), 0u);
    EXPECT_EQ(mixer.close(handle), 0u);
    ASSERT_EQ(mixer.open(0, handle), 0u);
    EXPECT_EQ(mixer.chosen(), &winmm) << "chosen again once every handle was closed";
    EXPECT_EQ(mixer.close(handle), 0u);
}

TEST_F(PreferredMixer, NeitherMixerLeavesTheSoundCardMissing) {
    endpoint.present = false;
    winmm.present = false;
    EXPECT_EQ(mixer.open(0, handle), platform::mm::kBadDeviceId);
    std::uint32_t v = 0;
    EXPECT_NE(mixer.controlValue(handle, 0, v), 0u);
}

}  // namespace
}  // namespace kvr
