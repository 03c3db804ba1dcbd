// The main window as the face of the hiding engine: its list shows the engine's record in the
// record's order and in the current language, its menus offer what the engine offers, and its
// own visibility and closing follow what really happened to it.
#include <gtest/gtest.h>

#include "base/ids.h"
#include "mainwin/frm_ppal.h"
#include "tests/unit/fake_platform.h"
#include "tests/unit/main_window_fixture.h"

namespace kvr {
namespace {

using ids::Slot;
using platform::Hwnd;

class MainWindowList : public test::MainWindowTest {
protected:
    int x = 0;

    MainWindowList() {
        giveHandle();
        settings::BxTA = false;
        settings::BxTP = 1;
        settings::BxTS = 1;
        settings::OO = 0;
    }
    void press(Slot slot) {
        std::int32_t id = ids::hotkeyId(slot);
        main.RecibirMensajes(id);
    }
    Hwnd hideUnderMouse(const std::string& cls, const std::string& title) {
        x += 50;
        const Hwnd h = fake.desktop.create(cls, title, {.rect = {x, x, x + 40, x + 40}});
        fake.desktop.setCursor(x + 5, x + 5);
        press(Slot::HideUnderMouse);
        return h;
    }
    std::vector<std::string> column(int k) const {
        std::vector<std::string> out;
        for (const auto& row : main.lsvVentanas.items()) {
            out.push_back(k == 0 ? row.text : row.subItems[static_cast<std::size_t>(k - 1)]);
        }
        return out;
    }
    std::vector<std::string> recordTitles() const {
        std::vector<std::string> out;
        for (const auto& entry : hideEngine.windows.entries()) out.push_back(entry.title);
        return out;
    }
    std::string message(int n) const { return modTraducir::GetMessage(n)[0]; }
    bool visible(Hwnd h) { return fake.desktop.isWindowVisible(h); }
};

TEST_F(MainWindowList, LanguageSwitchRetranslatesHiddenByTextsAndShowByClassAndTitleStillFindThem) {
    main.load();
    settings::BxTT = "Report";
    const Hwnd report = fake.desktop.create("Viewer", "Report");
    const Hwnd m = hideUnderMouse("Mouse", "three");
    x += 50;
    const Hwnd cls = fake.desktop.create("Group", "four", {.rect = {x, x, x + 40, x + 40}});
    const Hwnd cls2 = fake.desktop.create("Group", "five");
    fake.desktop.setCursor(x + 5, x + 5);
    press(Slot::HideClassUnderMouse);
    press(Slot::HideByTitle);
    ASSERT_FALSE(visible(cls));
    ASSERT_FALSE(visible(cls2));
    ASSERT_FALSE(visible(report));

    const std::string englishByClass = message(ids::msg::kByClassText);
    const auto languages = main.languageItems();
    ASSERT_EQ(languages[2]->caption(), "Espa\xC3\xB1ol");
    languages[2]->click();
    const std::string spanishByClass = message(ids::msg::kByClassText);
    const std::string spanishByTitle = message(ids::msg::kByTitleText);
    ASSERT_NE(spanishByClass, englishByClass);
    // Every row speaks the new language, the ones hidden before the switch too.
    for (const auto& row : main.lsvVentanas.items()) {
        const std::string expected = row.text == "Report"  ? spanishByTitle
                                     : row.text == "three" ? message(ids::msg::kUnderMouseText)
                                                           : spanishByClass;
        EXPECT_EQ(row.subItems[1], expected) << row.text;
    }
    EXPECT_TRUE(main.mnuMostrarXClase.enabled());
    EXPECT_TRUE(main.mnuSTMostrarXTitulo.enabled());

    main.mnuMostrarXClase.click();
    EXPECT_TRUE(visible(cls));
    EXPECT_TRUE(visible(cls2));
    main.mnuSTMostrarXTitulo.click();
    EXPECT_TRUE(visible(report));
    EXPECT_FALSE(visible(m));
    EXPECT_EQ(column(0), std::vector<std::string>{"three"});
    main.unload();
}

TEST_F(MainWindowList, TheListIsTheRecordInItsSortedOrderAndShowLastTakesTheLastRowSeen) {
    main.load();
    for (const char* title : {"zebra",
                              "\xC3\x89"
                              "clair",
                              "apple",
                              "\xC3\xA9"
                              "clat",
                              "\xD0\x96uk",
                              "\xD0\xB6"
                              "aba"}) {
        hideUnderMouse("App", title);
    }
    main.lsvVentanas_ColumnClick(0);  // descending at load: the first click sorts ascending
    EXPECT_EQ(column(0), recordTitles());
    EXPECT_EQ(column(0).front(), "apple");
    // É and é sort with e, Ж and ж together, whatever their case.
    const auto rows = column(0);
    EXPECT_EQ(rows[1].substr(2), "clair");
    EXPECT_EQ(rows[2].substr(2), "clat");
    EXPECT_EQ(rows[4],
              "\xD0\xB6"
              "aba");
    EXPECT_EQ(rows[5], "\xD0\x96uk");

    main.lsvVentanas_ColumnClick(0);  // descending
    EXPECT_EQ(column(0), recordTitles());
    EXPECT_EQ(column(0).back(), "apple");
    const Hwnd late = hideUnderMouse("App", "mango");  // placed where the order puts it
    EXPECT_EQ(column(0), recordTitles());
    press(Slot::ShowLast);
    EXPECT_EQ(column(0).back(),
              "\xC3\x89"
              "clair");
    EXPECT_EQ(column(0), recordTitles());
    EXPECT_FALSE(visible(late));
    main.unload();
}

TEST_F(MainWindowList, TheUsersSelectionSurvivesTheListBeingRebuilt) {
    main.load();
    const Hwnd a = hideUnderMouse("A", "a");
    const Hwnd b = hideUnderMouse("B", "b");
    main.lsvVentanas.setSelected(1, true);
    hideUnderMouse("C", "c");
    main.lsvVentanas_ColumnClick(0);  // ascending: a b c
    main.lsvVentanas_ColumnClick(0);  // descending: c b a
    ASSERT_EQ(column(0), (std::vector<std::string>{"c", "b", "a"}));
    EXPECT_EQ(main.lsvVentanas.selectedIndex(), 1);
    main.mnuMostrarSeleccion.click();
    EXPECT_TRUE(visible(b));
    EXPECT_FALSE(visible(a));
    EXPECT_EQ(column(0), (std::vector<std::string>{"c", "a"}));
    main.unload();
}

TEST_F(MainWindowList, MenusOfferWhatTheEngineOffersAndTheTimerFollowsHidingByProgram) {
    main.load();
    auto menus = [&] {
        return std::vector<bool>{
            main.mnuMostrarUltima.enabled(),    main.mnuSTMostrarUltima.enabled(),
            main.mnuMostrarSeleccion.enabled(), main.mnuMostrarTodas.enabled(),
            main.mnuSTMostrarTodas.enabled(),   main.mnuMostrarXClase.enabled(),
            main.mnuSTMostrarXClase.enabled(),  main.mnuMostrarXTitulo.enabled(),
            main.mnuSTMostrarXTitulo.enabled()};
    };
    EXPECT_EQ(menus(), std::vector<bool>(9, false));
    hideUnderMouse("A", "a");
    EXPECT_EQ(menus(),
              (std::vector<bool>{true, true, true, true, true, false, false, false, false}));
    press(Slot::HideClassUnderMouse);  // nothing more to hide, still offered
    EXPECT_EQ(menus(), (std::vector<bool>{true, true, true, true, true, true, true, false, false}));
    press(Slot::ShowAll);
    EXPECT_EQ(menus(), std::vector<bool>(9, false));

    // A listed program runs: the timer keeps hiding its windows until the show hotkey.
    fake.desktop.addProcess("notepad.exe", 20);
    modProcsKVR::ProcessHideList.push_back({"notepad.exe", "", "", ""});
    press(Slot::HidePrograms);
    EXPECT_TRUE(main.tmrPopUp.enabled());
    press(Slot::ShowPrograms);
    EXPECT_FALSE(main.tmrPopUp.enabled());
    main.unload();
}

TEST_F(MainWindowList, NoticesAreShownWithTheirTextAndCaption) {
    settings::BxTA = true;
    main.load();
    press(Slot::ShowAll);
    ASSERT_EQ(fake.system.boxes.size(), 1u);
    const auto parts = modTraducir::GetMessage(ids::msg::kNothingHidden);
    EXPECT_EQ(fake.system.boxes[0].text, parts[0]);
    EXPECT_EQ(fake.system.boxes[0].caption, parts[1]);
    EXPECT_EQ(fake.system.boxes[0].style, 0x30u);
    main.unload();
}

// Hiding by title may take the main window itself away. The toggle must then bring it back
// rather than "minimise" a window that is not on the screen, after which nothing would show it.
TEST_F(MainWindowList, TheToggleBringsBackAMainWindowThatWasHiddenByTitle) {
    settings::OI = 0;
    main.load();
    fake.desktop.setTitle(main.hWnd(), main.caption());
    fake.desktop.setVisible(main.hWnd(), true);  // what showing the real window does
    ASSERT_TRUE(main.visible());
    settings::BxTT = main.caption();
    press(Slot::HideByTitle);
    ASSERT_FALSE(visible(main.hWnd()));
    EXPECT_TRUE(main.visible()) << "the form itself was not told";

    press(Slot::ToggleMainWindow);
    EXPECT_TRUE(main.visible());
    EXPECT_EQ(main.windowState(), ui::WindowState::Normal);
    fake.desktop.setVisible(main.hWnd(), true);  // the real window is shown again

    // From here on the toggle and the close box work as ever.
    press(Slot::ToggleMainWindow);
    EXPECT_FALSE(main.visible());
    press(Slot::ToggleMainWindow);
    EXPECT_TRUE(main.visible());
    fake.desktop.setVisible(main.hWnd(), true);
    EXPECT_FALSE(main.unload(ui::UnloadMode::ControlMenu));
    EXPECT_FALSE(main.visible());
    EXPECT_TRUE(main.loaded());
    main.unload();
}

// A close that did not come from the window's own close box (another program, a task manager,
// an uninstaller) ends the program the proper way, giving every hidden window back.
TEST_F(MainWindowList, ACloseFromOutsideRunsTheExitSequence) {
    main.load();
    const Hwnd a = hideUnderMouse("A", "a");
    EXPECT_FALSE(main.unload(ui::UnloadMode::ControlMenu));
    EXPECT_FALSE(visible(a));
    EXPECT_FALSE(modMensajes::ExitRequested);

    EXPECT_TRUE(main.unload(ui::UnloadMode::TaskManager));
    EXPECT_FALSE(main.loaded());
    EXPECT_TRUE(visible(a));
    EXPECT_TRUE(modMensajes::ExitRequested);
    EXPECT_TRUE(hideEngine.windows.empty());
}

}  // namespace
}  // namespace kvr
