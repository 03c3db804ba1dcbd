#include <gtest/gtest.h>

#include "mainwin/frm_ppal.h"
#include "startup/cls_wbd.h"
#include "tests/unit/fake_platform.h"
#include "tests/unit/main_window_fixture.h"

namespace kvr {
namespace {

class MainWindowLanguages : public test::MainWindowTest {
protected:
    std::vector<std::string> captions() {
        std::vector<std::string> c;
        for (auto* item : main.languageItems()) c.push_back(item->caption());
        return c;
    }
    std::vector<bool> ticks() {
        std::vector<bool> t;
        for (auto* item : main.languageItems()) t.push_back(item->checked());
        return t;
    }
};

TEST_F(MainWindowLanguages, LoadListsEveryInstalledLanguageAndTicksTheCurrentOne) {
    modTraducir::CurrentLanguage = "Deutsch";
    main.load();
    EXPECT_EQ(captions(), (std::vector<std::string>{"English", "Deutsch", "Espa\xC3\xB1ol"}));
    EXPECT_EQ(ticks(), (std::vector<bool>{false, true, false}));
    EXPECT_NE(main.caption(), "0020");
    main.unload();
}

TEST_F(MainWindowLanguages, ChoosingALanguageRetranslatesStoresItAndMovesTheTick) {
    main.load();
    const std::string englishTitle = main.caption();
    const std::string englishExit = main.mnuSalir.caption();
    main.languageItems()[2]->click();
    EXPECT_EQ(modTraducir::CurrentLanguage, "Espa\xC3\xB1ol");
    EXPECT_EQ(ticks(), (std::vector<bool>{false, false, true}));
    EXPECT_NE(main.caption(), englishTitle);
    EXPECT_NE(main.mnuSalir.caption(), englishExit);
    EXPECT_EQ(clsWBD().strDame("HKCU\\Software\\ORQ\\KVR\\Language", "Language"), "Espa\xC3\xB1ol");
    EXPECT_EQ(modGeneral::HelpFile, "C:\\Program Files\\KVR\\Lng\\KVR_Esp.chm");

    main.languageItems()[0]->click();
    EXPECT_EQ(main.caption(), englishTitle);
    EXPECT_EQ(main.mnuSalir.caption(), englishExit);
    main.unload();
}

TEST_F(MainWindowLanguages, CloseBoxMinimisesAndHidesTheToggleBringsItBack) {
    settings::OI = 0;
    main.load();
    ASSERT_TRUE(main.visible());
    EXPECT_FALSE(main.unload(ui::UnloadMode::ControlMenu));
    EXPECT_TRUE(main.loaded());
    EXPECT_FALSE(main.visible());
    main.mnuSTMostrarPpal_Click();
    EXPECT_TRUE(main.visible());
    EXPECT_EQ(main.windowState(), ui::WindowState::Normal);
    // The resize that the show itself causes did not hide it again; a minimise now does.
    main.setWindowState(ui::WindowState::Minimized);
    EXPECT_FALSE(main.visible());
    main.mnuSTMostrarPpal_Click();
    EXPECT_TRUE(main.visible());
    main.mnuSTMostrarPpal_Click();  // and the toggle sends it back
    EXPECT_FALSE(main.visible());
    EXPECT_TRUE(main.loaded());
    main.unload();
}

TEST_F(MainWindowLanguages, HelpOpensTheCurrentLanguagesHelpFileFromEveryPlace) {
    main.load();
    main.languageItems()[1]->click();  // Deutsch
    main.mnuMostrarAyuda.click();
    main.mnuSTMostrarAyuda.click();  // hidden in the tray menu, but its command still works
    main.tlbPpal.press("Ayuda");
    EXPECT_EQ(fake.system.opened,
              std::vector<std::string>(3, "C:\\Program Files\\KVR\\Lng\\KVR_Deu.chm"));
    main.unload();
}

}  // namespace
}  // namespace kvr
