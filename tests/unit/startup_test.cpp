#include <gtest/gtest.h>

#include <map>

#include "mainwin/frm_ppal.h"
#include "settings/settings.h"
#include "startup/cls_wbd.h"
#include "startup/frm_splash.h"
#include "tests/unit/fake_platform.h"
#include "tests/unit/program.h"

namespace kvr {
namespace {

using platform::mod::kAlt;
using platform::mod::kControl;
using platform::mod::kShift;
using platform::reg::kCurrentUser;

constexpr const char* kOptions = "Software\\ORQ\\KVR\\Options";
constexpr const char* kLanguageKey = "Software\\ORQ\\KVR\\Language";

class StartUp : public ::testing::Test {
protected:
    test::FakePlatform fake;
    test::Program program;
    std::vector<std::string> events;

    int run() { return program.run(); }

    // Plays the system's part while the program waits: the splash timer ticks every 100 ms,
    // then whatever the test scripted for the running program.
    void script(std::vector<std::function<void()>> steps) {
        fake.queue.onIdle = [this, steps = std::move(steps), next = std::size_t{0}]() mutable {
            if (auto* splash = modGeneral::Splash(); splash && splash->loaded()) {
                fake.queue.post([splash] { splash->picSplash.tick(); });
            } else if (next < steps.size()) {
                fake.queue.post(steps[next++]);
            }
        };
    }
};

TEST_F(StartUp, SecondInstanceOnlyWarnsAndEnds) {
    fake.system.earlierInstance = true;
    EXPECT_FALSE(modGeneral::Main());
    ASSERT_EQ(fake.system.boxes.size(), 1u);
    const auto warning = modTraducir::GetMessage(14);
    EXPECT_EQ(fake.system.boxes[0].text, warning[0]);
    EXPECT_EQ(fake.system.boxes[0].caption, warning[1]);
    EXPECT_FALSE(warning[0].empty());
    EXPECT_EQ(fake.system.boxes[0].style, 0x30u);
    EXPECT_EQ(modGeneral::Splash(), nullptr);
    EXPECT_EQ(fake.registry.writeCalls(), 0u);
    EXPECT_EQ(fake.queue.registerCalls(), 0);
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(fake.queue.registerCalls(), 0);
}

TEST_F(StartUp, LanguageAndHelpFileComeFromTheLanguageSetting) {
    fake.registry.putText(kCurrentUser, kLanguageKey, "Language", "De");
    ASSERT_TRUE(modGeneral::Main());
    EXPECT_EQ(modTraducir::CurrentLanguage, "De");
    EXPECT_EQ(modGeneral::HelpFile, "C:\\Program Files\\KVR\\Lng\\KVR_De.chm");

    // Three characters, not three bytes, of a name in another script.
    fake.registry.putText(kCurrentUser, kLanguageKey, "Language",
                          "\xCE\x95\xCE\xBB\xCE\xBB\xCE\xB7\xCE\xBD");
    ASSERT_TRUE(modGeneral::Main());
    EXPECT_EQ(modGeneral::HelpFile,
              "C:\\Program Files\\KVR\\Lng\\KVR_\xCE\x95\xCE\xBB\xCE\xBB.chm");

    fake.registry.putText(kCurrentUser, kLanguageKey, "Language", "");
    modGeneral::Main();
    EXPECT_EQ(modTraducir::CurrentLanguage, "English");
    EXPECT_EQ(modGeneral::HelpFile, "C:\\Program Files\\KVR\\Lng\\KVR_Eng.chm");
}

TEST_F(StartUp, SplashShowsOnlyWithItsOptionButLoadsAnyway) {
    ASSERT_TRUE(modGeneral::Main());  // first start: OS is created as 0
    ASSERT_NE(modGeneral::Splash(), nullptr);
    EXPECT_TRUE(modGeneral::Splash()->loaded());
    EXPECT_FALSE(modGeneral::Splash()->visible());
    EXPECT_EQ(modGeneral::Splash()->lblVersion.caption(), "Version 1.5.0");
    EXPECT_EQ(modGeneral::Splash()->rect().width, 442);
    EXPECT_EQ(modGeneral::Splash()->rect().height, 242);

    fake.registry.putText(kCurrentUser, kOptions, "OS", "1");
    ASSERT_TRUE(modGeneral::Main());
    EXPECT_TRUE(modGeneral::Splash()->visible());
}

TEST_F(StartUp, HandOverComesOnTheSecondTickAndOnlyOnce) {
    ASSERT_TRUE(modGeneral::Main());
    auto* splash = modGeneral::Splash();
    splash->picSplash.tick();
    EXPECT_FALSE(splash->handOverDue());
    splash->picSplash.tick();
    EXPECT_TRUE(splash->handOverDue());
    splash->picSplash.tick();
    EXPECT_TRUE(splash->handOverDue());
}

TEST_F(StartUp, FirstStartRunsRegistersTheDefaultHotkeysAndExitsCleanly) {
    bool registeredWhileRunning = false;
    script({
        [&] {
            ASSERT_NE(MainWindow(), nullptr);
            EXPECT_FALSE(modGeneral::Splash()->loaded());
            registeredWhileRunning = fake.queue.registrations().size() == 12 &&
                                     fake.queue.taken(kShift, 120) && fake.queue.taken(kAlt, 87) &&
                                     fake.queue.taken(kControl, 115);
        },
        [&] { MainWindow()->mnuSalir.click(); },
    });
    EXPECT_EQ(run(), 0);
    EXPECT_TRUE(registeredWhileRunning);
    EXPECT_TRUE(fake.queue.registrations().empty());
    EXPECT_EQ(MainWindow(), nullptr);
    EXPECT_EQ(modGeneral::Splash(), nullptr);
    EXPECT_EQ(fake.registry.openHandles(), 0u);
}

TEST_F(StartUp, LogOffRunsTheSameUnloadAsExit) {
    script({[&] { MainWindow()->unload(ui::UnloadMode::WindowsSession); }});
    EXPECT_EQ(run(), 0);
    EXPECT_TRUE(fake.queue.registrations().empty());
    EXPECT_TRUE(modMensajes::ExitRequested);
}

TEST_F(StartUp, CloseBoxKeepsTheProgramAndItsHotkeys) {
    std::size_t afterClose = 0;
    script({
        [&] { EXPECT_FALSE(MainWindow()->unload(ui::UnloadMode::ControlMenu)); },
        [&] {
            afterClose = fake.queue.registrations().size();
            MainWindow()->mnuSalir.click();
        },
    });
    run();
    EXPECT_EQ(afterClose, 12u);
}

TEST_F(StartUp, StoredHotkeysAndOptionsReachMemory) {
    modGeneral::PrepareSettings(*std::make_unique<clsWBD>());
    fake.registry.putText(kCurrentUser, kOptions, "S3", "17");
    fake.registry.putText(kCurrentUser, kOptions, "T3", "76");
    fake.registry.putText(kCurrentUser, kOptions, "BxTT", "Budget");
    fake.registry.putText(kCurrentUser, kOptions, "BxTA", "0");
    fake.registry.putText(kCurrentUser, kOptions, "OI", "0");
    script({[&] {
        EXPECT_TRUE(fake.queue.taken(kControl, 76));
        EXPECT_FALSE(fake.queue.taken(kControl, 120));
        EXPECT_TRUE(MainWindow()->visible());  // not started hidden
        MainWindow()->mnuSalir.click();
    }});
    run();
    EXPECT_EQ(settings::T[3], 76);
    EXPECT_EQ(settings::BxTT, "Budget");
    EXPECT_FALSE(settings::BxTA);
    EXPECT_EQ(settings::SE, 15);
    EXPECT_EQ(settings::OI, 0);
}

TEST_F(StartUp, GarbledValuesAndAnUnwritableRegistryFallBackToRepairDefaults) {
    fake.registry.putText(kCurrentUser, kOptions, "OT", "x");
    fake.registry.putText(kCurrentUser, kOptions, "OS", "300");
    fake.registry.putText(kCurrentUser, kOptions, "S0", "x");
    fake.registry.putText(kCurrentUser, kOptions, "SE", "");
    fake.registry.setReadOnly(true);
    script({[&] { MainWindow()->mnuSalir.click(); }});
    EXPECT_NO_THROW(run());
    EXPECT_EQ(settings::OT, 1);
    EXPECT_EQ(settings::OS, 0);
    EXPECT_EQ(settings::S[0], 16);
    EXPECT_EQ(settings::SE, 7);
    EXPECT_EQ(settings::T[0], 120);
}

TEST_F(StartUp, GarbledValuesAreRepairedSoThatMemoryAndRegistryAgree) {
    modGeneral::PrepareSettings(*std::make_unique<clsWBD>());
    for (const auto& [name, text] : std::map<std::string, std::string>{
             {"OT", "x"}, {"S0", "300"}, {"BxTA", "abc"}, {"S3", "19"}}) {
        fake.registry.putText(kCurrentUser, kOptions, name, text);
    }
    bool slot3Registered = true;
    script({[&] {
        slot3Registered = fake.queue.taken(kControl, 120);
        MainWindow()->mnuSalir.click();
    }});
    run();
    auto stored = [&](const char* name) {
        return clsWBD().strDame(std::string("HKCU\\") + kOptions, name);
    };
    EXPECT_EQ(settings::OT, 1);
    EXPECT_EQ(stored("OT"), "1");
    EXPECT_EQ(settings::S[0], 16);
    EXPECT_EQ(stored("S0"), "16");
    EXPECT_TRUE(settings::BxTA);
    EXPECT_EQ(stored("BxTA"), "-1");
    // A modifier that is no modifier is kept; it only leaves the slot unregistered.
    EXPECT_EQ(settings::S[3], 19);
    EXPECT_EQ(stored("S3"), "19");
    EXPECT_FALSE(slot3Registered);
}

TEST_F(StartUp, EmptyKeyPathsNeverTouchARootAndTheDefaultsStillWork) {
    fake.files.erase(fake.lng("dde"));
    bool hotkeys = false;
    script({[&] {
        hotkeys = fake.queue.taken(kShift, 120);
        MainWindow()->mnuSalir.click();
    }});
    run();
    EXPECT_EQ(fake.registry.writeCalls(), 0u);
    EXPECT_TRUE(hotkeys);
    EXPECT_EQ(modTraducir::CurrentLanguage, "English");
}

TEST(CenterForm, PlacesTheWindowInTheMiddleOfTheScreen) {
    test::FakePlatform fake;
    fake.system.width = 1024;
    fake.system.height = 768;
    ui::Form form("frmTest", "", {5, 5, 400, 300});
    modGeneral::CenterForm(form);
    EXPECT_EQ(form.rect().left, 312);
    EXPECT_EQ(form.rect().top, 234);
}

}  // namespace
}  // namespace kvr
