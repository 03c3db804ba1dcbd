#include <gtest/gtest.h>

#include "engine/mod_ventanas.h"
#include "mainwin/frm_ppal.h"
#include "tests/unit/fake_platform.h"

namespace kvr {
namespace {

using platform::Hwnd;
using Layout = platform::FakeWindowSetup;

class HideEngine : public ::testing::Test {
protected:
    test::FakePlatform fake;
    frmPpal main;
    int x = 0;  // where the next window under the mouse goes

    HideEngine() {
        main.setTestHandle(fake.desktop.create("KVR_frmPpal", "KVR", {.visible = false}));
        settings::BxTA = true;
        settings::BxTP = 1;
        settings::BxTS = 1;
        settings::OO = 0;
    }

    Hwnd window(const std::string& cls, const std::string& title, Layout setup = {}) {
        return fake.desktop.create(cls, title, setup);
    }
    // Puts the mouse over a window that covers a spot of its own.
    Hwnd under(const std::string& cls, const std::string& title, Hwnd parent = 0) {
        x += 50;
        const Hwnd h = window(cls, title, {.parent = parent, .rect = {x, x, x + 40, x + 40}});
        fake.desktop.setCursor(x + 5, x + 5);
        return h;
    }
    void press(std::int32_t id) { main.RecibirMensajes(id); }
    bool visible(Hwnd h) { return fake.desktop.isWindowVisible(h); }
    std::vector<std::string> titles() {
        std::vector<std::string> t;
        for (const auto& e : main.lsvVentanas.items()) t.push_back(e.text);
        return t;
    }
    std::size_t boxes() const { return fake.system.boxes.size(); }
    std::string lastBox() const { return fake.system.boxes.back().text; }
    std::string message(int n) const { return modTraducir::GetMessage(n)[0]; }
    bool showMenusEnabled(bool last, bool byClass, bool byTitle) {
        return main.mnuMostrarUltima.enabled() == last && main.mnuSTMostrarUltima.enabled() == last &&
               main.mnuMostrarSeleccion.enabled() == last && main.mnuMostrarTodas.enabled() == last &&
               main.mnuSTMostrarTodas.enabled() == last &&
               main.mnuMostrarXClase.enabled() == byClass &&
               main.mnuSTMostrarXClase.enabled() == byClass &&
               main.mnuMostrarXTitulo.enabled() == byTitle &&
               main.mnuSTMostrarXTitulo.enabled() == byTitle;
    }
};

TEST_F(HideEngine, MouseHotkeyHidesTheTopLevelWindowEvenOverAChildControl) {
    const Hwnd app = window("Notepad", "notes.txt", {.rect = {0, 0, 400, 400}});
    under("Button", "OK", app);
    press(0xBFFF);
    EXPECT_FALSE(visible(app));
    ASSERT_EQ(main.lsvVentanas.count(), 1u);
    const auto& entry = main.lsvVentanas.items()[0];
    EXPECT_EQ(entry.text, "notes.txt");
    EXPECT_EQ(entry.subItems, (std::vector<std::string>{"Notepad", message(6)}));
    EXPECT_EQ(entry.tag, std::to_string(app));
    EXPECT_TRUE(showMenusEnabled(true, false, false));
}

TEST_F(HideEngine, OwnedPopUpsGoWithTheirOwnerAndComeBackWithIt) {
    const Hwnd app = under("Editor", "doc");
    const Hwnd find = window("FindDialog", "Find", {.owner = app});
    press(0xBFFF);
    EXPECT_FALSE(visible(app));
    EXPECT_FALSE(visible(find));
    press(0xBFFC);
    EXPECT_TRUE(visible(app));
    EXPECT_TRUE(visible(find));
}

TEST_F(HideEngine, ManyHiddenWindowsAskForPopUpsOnlyWhereThereAreSome) {
    settings::BxTT = "Report";
    std::vector<Hwnd> plain;
    for (int i = 0; i < 5; ++i) plain.push_back(window("Viewer", "Report " + std::to_string(i)));
    const Hwnd owner = window("Editor", "Report draft");
    const Hwnd palette = window("Palette", "Tools", {.owner = owner});
    fake.desktop.ownedPopupCalls.clear();
    press(0xBFFD);
    EXPECT_FALSE(visible(owner));
    EXPECT_FALSE(visible(palette));
    EXPECT_EQ(fake.desktop.ownedPopupCalls,
              (std::vector<std::pair<Hwnd, bool>>{{owner, false}}));
    for (Hwnd h : plain) EXPECT_FALSE(visible(h));

    press(0xBFF9);
    EXPECT_TRUE(visible(owner));
    EXPECT_TRUE(visible(palette));
    EXPECT_EQ(fake.desktop.ownedPopupCalls,
              (std::vector<std::pair<Hwnd, bool>>{{owner, false}, {owner, true}}));
}

TEST_F(HideEngine, InvisibleRootUnderTheMouseHidesNothing) {
    const Hwnd owner = window("Owner", "hidden owner", {.visible = false});
    // A visible pop-up whose owner is hidden: its root is the invisible owner.
    const Hwnd popup = window("Popup", "tool", {.owner = owner, .rect = {0, 0, 40, 40}});
    fake.desktop.setCursor(5, 5);
    press(0xBFFF);
    EXPECT_TRUE(visible(popup));
    EXPECT_EQ(main.lsvVentanas.count(), 0u);
    EXPECT_TRUE(showMenusEnabled(false, false, false));
}

TEST_F(HideEngine, MainWindowIsProtectedFromTheTwoMouseHotkeysOnly) {
    fake.desktop.setVisible(main.hWnd(), true);
    fake.desktop.create("Button", "x", {.parent = main.hWnd(), .rect = {900, 900, 950, 950}});
    fake.desktop.setCursor(910, 910);
    press(0xBFFF);
    press(0xBFFE);
    EXPECT_TRUE(visible(main.hWnd()));
    EXPECT_EQ(main.lsvVentanas.count(), 0u);

    settings::BxTT = "KVR";
    press(0xBFFD);  // not exempt from hiding by title
    EXPECT_FALSE(visible(main.hWnd()));
}

TEST_F(HideEngine, ClassHotkeyHidesEveryWindowWhoseClassBeginsWithThePrefix) {
    const Hwnd a = window("Note", "a");
    const Hwnd b = window("NoteX", "b");
    const Hwnd c = window("notepad", "c");
    const Hwnd d = window("Note", "invisible", {.visible = false});
    under("Note", "under");
    press(0xBFFE);
    EXPECT_FALSE(visible(a));
    EXPECT_FALSE(visible(b));
    EXPECT_TRUE(visible(c));
    EXPECT_EQ(main.lsvVentanas.count(), 3u);  // the invisible one is not entered
    for (const auto& e : main.lsvVentanas.items()) {
        EXPECT_EQ(e.subItems[0], "Note");  // the prefix, for every window of the class
        EXPECT_NE(e.tag, std::to_string(d));
    }
    EXPECT_TRUE(showMenusEnabled(true, true, false));
}

TEST_F(HideEngine, TitleHotkeyWithoutTextWarnsAlwaysAndChangesNoMenu) {
    settings::BxTA = false;
    settings::BxTT.clear();
    press(0xBFFD);
    ASSERT_EQ(boxes(), 1u);
    EXPECT_EQ(lastBox(), message(9));
    EXPECT_TRUE(showMenusEnabled(false, false, false));
}

TEST_F(HideEngine, TitleHotkeyHidesMatchesButNeverTheDesktopOrTaskbar) {
    settings::BxTT = "budget";
    const Hwnd sheet = window("XLMAIN", "Budget 2027.xls");
    const Hwnd mail = window("Mail", "Re: budget");
    const Hwnd other = window("Mail", "Lunch");
    const Hwnd empty = window("Mail", "");
    const Hwnd desktop = window("Progman", "Program Manager budget");
    const Hwnd taskbar = window("Shell_TrayWnd", "budget");
    press(0xBFFD);
    EXPECT_FALSE(visible(sheet));
    EXPECT_FALSE(visible(mail));
    EXPECT_TRUE(visible(other));
    EXPECT_TRUE(visible(empty));
    EXPECT_TRUE(visible(desktop));
    EXPECT_TRUE(visible(taskbar));
    EXPECT_EQ(boxes(), 0u);
    EXPECT_EQ(main.lsvVentanas.items()[0].subItems[1], message(5));
    EXPECT_TRUE(showMenusEnabled(true, false, true));
    EXPECT_EQ(modVentanas::TopWindows.size(), 1u);
}

TEST_F(HideEngine, TitleHotkeyWithNoMatchWarnsOnlyWithNoticesOnButEnablesMenus) {
    settings::BxTT = "nothing like this";
    window("App", "something");
    press(0xBFFD);
    ASSERT_EQ(boxes(), 1u);
    EXPECT_EQ(lastBox(), message(2));
    EXPECT_TRUE(showMenusEnabled(true, false, true));
    settings::BxTA = false;
    press(0xBFFD);
    EXPECT_EQ(boxes(), 1u);
}

TEST_F(HideEngine, ShowByClassShowsOnlyClassEntriesAndKeepsTheRest) {
    settings::BxTT = "Report";
    const Hwnd c1 = window("Cls", "1");
    const Hwnd c2 = window("Cls", "2");
    const Hwnd t = window("Viewer", "Report");
    under("Cls", "3");
    press(0xBFFE);
    press(0xBFFD);
    ASSERT_EQ(main.lsvVentanas.count(), 4u);
    press(0xBFFB);
    EXPECT_TRUE(visible(c1));
    EXPECT_TRUE(visible(c2));
    EXPECT_FALSE(visible(t));
    EXPECT_EQ(titles(), std::vector<std::string>{"Report"});
    EXPECT_TRUE(showMenusEnabled(true, false, true));
    EXPECT_EQ(boxes(), 0u);
}

TEST_F(HideEngine, ShowByTitleRetestsTheStoredTitleAgainstTheCurrentText) {
    settings::BxTT = "Plan";
    const Hwnd a = window("A", "Plan A");
    const Hwnd b = window("B", "Plan B");
    press(0xBFFD);
    settings::BxTT = "Plan A";
    settings::BxTP = 3;  // equals
    press(0xBFFA);
    EXPECT_TRUE(visible(a));
    EXPECT_FALSE(visible(b));
    EXPECT_EQ(titles(), std::vector<std::string>{"Plan B"});
    // The by-title menus go off although an entry of that kind is left.
    EXPECT_TRUE(showMenusEnabled(true, false, false));
}

TEST_F(HideEngine, ShowByClassOrTitleWithNothingToShowWarns) {
    press(0xBFFB);
    EXPECT_EQ(boxes(), 1u);
    EXPECT_EQ(lastBox(), message(2));
    under("W", "w");
    press(0xBFFF);
    press(0xBFFA);  // one entry, but not hidden by title
    EXPECT_EQ(boxes(), 2u);
    EXPECT_EQ(main.lsvVentanas.count(), 1u);
}

TEST_F(HideEngine, ShowLastTakesTheLastListPositionAndEmptiesTheMenus) {
    const Hwnd a = under("A", "a");
    press(0xBFFF);
    const Hwnd b = under("B", "b");
    press(0xBFFF);
    press(0xBFFC);
    EXPECT_TRUE(visible(b));
    EXPECT_FALSE(visible(a));
    EXPECT_TRUE(showMenusEnabled(true, false, false));
    press(0xBFFC);
    EXPECT_TRUE(visible(a));
    EXPECT_TRUE(showMenusEnabled(false, false, false));
    press(0xBFFC);
    EXPECT_EQ(lastBox(), message(4));
}

TEST_F(HideEngine, ShowAllOnAnEmptyListWithNoticesOffDoesNothingVisible) {
    settings::BxTA = false;
    press(0xBFF9);
    EXPECT_EQ(boxes(), 0u);
    EXPECT_TRUE(fake.desktop.showCalls.empty());
}

TEST_F(HideEngine, TwoEntriesWithTheSameHandleAreBothRemoved) {
    const Hwnd a = under("Twice", "t");
    press(0xBFFF);
    fake.desktop.setVisible(a, true);  // its program showed it again
    press(0xBFFE);
    ASSERT_EQ(main.lsvVentanas.count(), 2u);
    press(0xBFFB);  // only the class entry matches, but removal goes by handle
    EXPECT_EQ(main.lsvVentanas.count(), 1u);
    press(0xBFF9);
    EXPECT_EQ(main.lsvVentanas.count(), 0u);
    EXPECT_TRUE(visible(a));
}

TEST_F(HideEngine, VanishedWindowsAreShownWithoutEffectAndTheirEntriesGo) {
    const Hwnd a = under("Gone", "soon");
    press(0xBFFF);
    fake.desktop.destroy(a);
    press(0xBFFC);
    EXPECT_EQ(main.lsvVentanas.count(), 0u);
}

TEST_F(HideEngine, SelectionAndDoubleClickShowTheChosenEntries) {
    const Hwnd a = under("A", "a");
    press(0xBFFF);
    const Hwnd b = under("B", "b");
    press(0xBFFF);
    main.lsvVentanas.setSelected(0, true);
    main.mnuMostrarSeleccion.click();
    EXPECT_TRUE(visible(a));
    EXPECT_FALSE(visible(b));
    EXPECT_EQ(lastBox(), message(1));  // shown after a selection too

    main.lsvVentanas_DblClick();  // nothing selected
    EXPECT_EQ(boxes(), 2u);
    main.lsvVentanas.setSelected(0, true);
    main.lsvVentanas_DblClick();
    EXPECT_TRUE(visible(b));
    EXPECT_TRUE(showMenusEnabled(false, false, false));
}

TEST_F(HideEngine, LanguageChangeLeavesOldEntriesToTheGeneralShowCommandsOnly) {
    under("C", "c");
    press(0xBFFE);
    ASSERT_TRUE(main.mnuMostrarXClase.enabled());
    fake.files.put(fake.lng("KVR_Deu.txt"), "[003]=Nach Klasse\r\n[005]=Nach Titel\r\n");
    modTraducir::CurrentLanguage = "Deutsch";
    main.UpdateShowMenus();
    EXPECT_TRUE(showMenusEnabled(true, false, false));
    press(0xBFFB);
    EXPECT_EQ(main.lsvVentanas.count(), 1u);
    press(0xBFF9);
    EXPECT_EQ(main.lsvVentanas.count(), 0u);
}

TEST_F(HideEngine, MenuTwinsRunTheSameCommands) {
    const Hwnd a = under("A", "a");
    press(0xBFFF);
    main.mnuSTMostrarTodas.click();
    EXPECT_TRUE(visible(a));
    EXPECT_FALSE(main.mnuSTMostrarTodas.enabled());
    main.tlbPpal.press("MostrarTodas");  // toolbar stays enabled and warns through the engine
    EXPECT_EQ(lastBox(), message(4));
}

TEST_F(HideEngine, UnknownIdsDoNothingAndTheTrayToggleIgnoresOO) {
    under("A", "a");
    for (std::int32_t id : {0, 0xBFF3, 0xC000, -1}) press(id);
    EXPECT_EQ(main.lsvVentanas.count(), 0u);
    settings::OO = 0;
    press(0xBFF6);
    EXPECT_TRUE(main.TrayAreaHidden);
    press(0xBFF6);
    EXPECT_FALSE(main.TrayAreaHidden);
}

TEST_F(HideEngine, HidingWithOOMarksTheTrayAreaUntilTheListIsEmpty) {
    settings::OO = 1;
    under("A", "a");
    press(0xBFFF);
    EXPECT_TRUE(main.TrayAreaHidden);
    press(0xBFFC);
    EXPECT_FALSE(main.TrayAreaHidden);
}

TEST_F(HideEngine, ProcessHotkeysStartAndStopTheTimer) {
    press(0xBFF5);
    EXPECT_TRUE(main.tmrPopUp.enabled());
    press(0xBFF4);
    EXPECT_FALSE(main.tmrPopUp.enabled());
}

TEST_F(HideEngine, ExitShowsEveryHiddenWindowAgain) {
    const Hwnd a = under("A", "a");
    press(0xBFFF);
    const Hwnd b = under("B", "b");
    press(0xBFFF);
    main.load();
    main.mnuSalir.click();
    EXPECT_TRUE(visible(a));
    EXPECT_TRUE(visible(b));
    EXPECT_TRUE(modMensajes::ExitRequested);
}

}  // namespace
}  // namespace kvr
