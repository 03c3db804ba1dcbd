#include <gtest/gtest.h>

#include "mainwin/frm_about.h"
#include "mainwin/frm_ppal.h"
#include "startup/frm_splash.h"
#include "tests/unit/fake_platform.h"
#include "tests/unit/main_window_fixture.h"
#include "tests/unit/program.h"

namespace kvr {
namespace {

class AboutBox : public test::MainWindowTest {
protected:
    std::string formText(const std::string& language, const std::string& code) {
        const auto text = langfile::read(fake.lng("KVR_" + language + ".txt"));
        return text ? langfile::split(langfile::lookUp(*text, code).value_or(""))[0] : "";
    }
    static std::string builtVersion() {
        return std::to_string(KVR_VERSION_MAJOR) + "." + std::to_string(KVR_VERSION_MINOR) + "." +
               std::to_string(KVR_VERSION_PATCH);
    }
};

TEST_F(AboutBox, OpensFromBothMenusTranslatedWithTheVersionOnce) {
    main.load();
    main.mnuAcercaDe.click();
    frmAbout* about = main.aboutBox();
    ASSERT_NE(about, nullptr);
    EXPECT_TRUE(about->loaded());
    EXPECT_TRUE(about->visible());
    EXPECT_EQ(about->caption(), "About KVR");
    EXPECT_EQ(about->lblTitle.caption(), formText("English", "0601"));
    EXPECT_EQ(about->lblDescription.caption(), formText("English", "0603"));
    EXPECT_EQ(about->lblCopyright.caption(), formText("English", "0607"));
    EXPECT_EQ(about->cmdOK.caption(), "OK");
    EXPECT_EQ(about->lblVersion.caption(), "Version " + builtVersion());
    EXPECT_EQ(about->lblDisclaimer.font().points, 7.5);
    EXPECT_EQ(about->lblDescription.font().points, 9);
    EXPECT_FALSE(about->imgIcono.picture().pixels.empty());

    about->cmdOK.click();
    EXPECT_FALSE(about->loaded());
    EXPECT_TRUE(main.loaded());

    // The same box again, from the tray menu: the label is translated afresh before the
    // version goes on, so it shows once.
    main.mnuSTAbout.click();
    EXPECT_EQ(main.aboutBox(), about);
    EXPECT_TRUE(about->loaded());
    EXPECT_EQ(about->lblVersion.caption(), "Version " + builtVersion());
    about->cmdOK.click();
    main.unload();
}

TEST_F(AboutBox, TheVersionFollowsTheTranslatedTextWithNothingBetween) {
    frmAbout about({1, 5, 12});
    about.load();
    EXPECT_EQ(about.lblVersion.caption(), "Version 1.5.12");  // the text's own blank
    about.unload();

    fake.files.put(fake.lng("KVR_English.txt"), "[0602]=v\r\n");
    about.load();
    EXPECT_EQ(about.lblVersion.caption(), "v1.5.12");
    about.unload();
    about.load();
    EXPECT_EQ(about.lblVersion.caption(), "v1.5.12");
    about.unload();
}

TEST_F(AboutBox, EachOpeningSpeaksTheLanguageChosenSince) {
    main.load();
    main.mnuAcercaDe.click();
    main.aboutBox()->cmdOK.click();
    main.languageItems()[1]->click();  // Deutsch
    ASSERT_EQ(modTraducir::CurrentLanguage, "Deutsch");
    main.mnuAcercaDe.click();
    frmAbout& about = *main.aboutBox();
    EXPECT_EQ(about.caption(), formText("Deutsch", "0600"));
    EXPECT_NE(about.caption(), "About KVR");
    EXPECT_EQ(about.lblVersion.caption(), formText("Deutsch", "0602") + builtVersion());
    EXPECT_EQ(about.cmdOK.caption(), formText("Deutsch", "0606"));
    about.cmdOK.click();
    main.unload();
}

TEST_F(AboutBox, AnExitWhileItIsOpenClosesItToo) {
    main.load();
    main.mnuAcercaDe.click();
    ASSERT_TRUE(main.aboutBox()->loaded());
    main.mnuSalir.click();
    EXPECT_FALSE(main.loaded());
    EXPECT_FALSE(main.aboutBox()->loaded());
}

TEST(AboutBoxHelp, F1InAnyWindowOpensTheCurrentLanguagesHelpFile) {
    test::FakePlatform fake;
    fake.registry.putText(platform::reg::kCurrentUser, "Software\\ORQ\\KVR\\Language", "Language",
                          "Espa\xC3\xB1ol");
    test::Program program;
    std::vector<std::function<void()>> steps = {
        [] {
            frmPpal* main = MainWindow();
            ASSERT_NE(main, nullptr);
            ui::requestHelp(*main);
            main->mnuAcercaDe.click();
            ui::requestHelp(*main->aboutBox());
            main->aboutBox()->cmdOK.click();
            main->languageItems()[1]->click();  // Deutsch
            ui::requestHelp(*main);
        },
        [] { MainWindow()->mnuSalir.click(); },
    };
    fake.queue.onIdle = [&, next = std::size_t{0}]() mutable {
        if (auto* splash = modGeneral::Splash(); splash && splash->loaded()) {
            fake.queue.post([splash] { splash->picSplash.tick(); });
        } else if (next < steps.size()) {
            fake.queue.post(steps[next++]);
        }
    };
    EXPECT_EQ(program.run(), 0);
    const std::string lng = "C:\\Program Files\\KVR\\Lng\\";
    EXPECT_EQ(
        fake.system.opened,
        (std::vector<std::string>{lng + "KVR_Esp.chm", lng + "KVR_Esp.chm", lng + "KVR_Deu.chm"}));
}

}  // namespace
}  // namespace kvr
