// The hiding engine's rules on the in-memory desktop, with no window of the program's own.
#include "engine/hide_engine.h"

#include <gtest/gtest.h>

#include <functional>

#include "base/ids.h"
#include "engine/mod_ventanas.h"
#include "tests/unit/fake_platform.h"

namespace kvr {
namespace {

using engine::Outcome;
using engine::ShowCommands;
using ids::Slot;
using platform::Hwnd;
using Layout = platform::FakeWindowSetup;
namespace method = ids::method;
namespace msg = ids::msg;

class HideEngine : public ::testing::Test {
protected:
    test::FakePlatform fake;
    test::FakeTrayArea tray;
    engine::HideEngine engine{tray};
    Hwnd mainWindow = fake.desktop.create("KVR_frmPpal", "KVR", {.visible = false});
    int x = 0;  // where the next window under the mouse goes

    HideEngine() {
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
    Outcome press(Slot slot) { return engine.Hotkey(ids::hotkeyId(slot), mainWindow); }
    bool visible(Hwnd h) { return fake.desktop.isWindowVisible(h); }
    std::vector<std::string> titles() const {
        std::vector<std::string> t;
        for (const auto& e : engine.windows.entries()) t.push_back(e.title);
        return t;
    }
    ShowCommands offered(bool general, bool byClass, bool byTitle) const {
        return {general, byClass, byTitle};
    }
};

TEST_F(HideEngine, MouseHotkeyHidesTheTopLevelWindowEvenOverAChildControl) {
    const Hwnd app = window("Notepad", "notes.txt", {.rect = {0, 0, 400, 400}});
    under("Button", "OK", app);
    EXPECT_EQ(press(Slot::HideUnderMouse).notice, 0);
    EXPECT_FALSE(visible(app));
    ASSERT_EQ(engine.windows.size(), 1u);
    const auto& entry = engine.windows[0];
    EXPECT_EQ(entry.hwnd, app);
    EXPECT_EQ(entry.title, "notes.txt");
    EXPECT_EQ(entry.windowClass, "Notepad");
    EXPECT_EQ(entry.method, method::kUnderMouse);
    EXPECT_EQ(engine.commands, offered(true, false, false));
}

// Pop-ups hidden with their owner, including pop-ups of pop-ups, come back with whichever
// command shows the owner; pop-ups their program had hidden itself, and other windows' pop-ups,
// are left as they were.
TEST_F(HideEngine, OwnedPopUpsComeBackWithEveryCommandThatShowsTheirOwner) {
    settings::BxTT = "Editor";
    const std::vector<std::pair<std::string, std::function<void()>>> shows = {
        {"last", [&] { press(Slot::ShowLast); }},
        {"by class", [&] { press(Slot::ShowByClass); }},
        {"by title", [&] { press(Slot::ShowByTitle); }},
        {"all", [&] { press(Slot::ShowAll); }},
        {"selection", [&] { engine.ShowSelection({0}); }},
        {"one", [&] { engine.ShowOne(0); }},
    };
    for (const auto& [name, show] : shows) {
        const Slot hide = name == "by class"   ? Slot::HideClassUnderMouse
                          : name == "by title" ? Slot::HideByTitle
                                               : Slot::HideUnderMouse;
        const Hwnd owner = under("Editor" + name, "Editor " + name);
        const Hwnd find = window("Find", "Find", {.owner = owner});
        const Hwnd confirm = window("Confirm", "Replace all?", {.owner = find});
        const Hwnd shelved = window("Palette", "Shelved", {.visible = false, .owner = owner});
        const Hwnd stranger = window("Find", "Find elsewhere", {.owner = mainWindow});

        press(hide);
        ASSERT_EQ(engine.windows.size(), 1u) << name;
        EXPECT_FALSE(visible(owner)) << name;
        EXPECT_FALSE(visible(find)) << name;
        EXPECT_FALSE(visible(confirm)) << name;
        show();
        EXPECT_TRUE(engine.windows.empty()) << name;
        EXPECT_TRUE(visible(owner)) << name;
        EXPECT_TRUE(visible(find)) << name;
        EXPECT_TRUE(visible(confirm)) << name;
        EXPECT_FALSE(visible(shelved)) << name;
        EXPECT_TRUE(visible(stranger)) << name;
        fake.desktop.destroy(owner);
        fake.desktop.destroy(stranger);
    }
}

TEST_F(HideEngine, APopUpShowsOnlyWithTheEntryItWasHiddenWith) {
    const Hwnd a = under("A", "a");
    const Hwnd palette = window("Palette", "Tools", {.owner = a});
    press(Slot::HideUnderMouse);
    // Its program shows the owner again, and later it is hidden once more: the pop-up, already
    // hidden, is not part of the second entry.
    fake.desktop.setVisible(a, true);
    press(Slot::HideUnderMouse);
    ASSERT_EQ(engine.windows.size(), 2u);
    EXPECT_TRUE(engine.windows[1].popups.empty());
    press(Slot::ShowLast);
    EXPECT_TRUE(visible(a));
    EXPECT_FALSE(visible(palette));
    press(Slot::ShowLast);
    EXPECT_TRUE(visible(palette));
}

TEST_F(HideEngine, APopUpOfTheSameClassKeepsToItsOwnEntry) {
    const Hwnd main = under("Note", "main");
    const Hwnd tool = window("Note", "tool", {.owner = main});
    press(Slot::HideClassUnderMouse);
    ASSERT_EQ(engine.windows.size(), 2u);
    for (const auto& entry : engine.windows.entries()) EXPECT_TRUE(entry.popups.empty());
    const auto toolAt = engine.windows[0].hwnd == tool ? 0u : 1u;
    engine.ShowOne(1 - toolAt);  // the owner alone
    EXPECT_TRUE(visible(main));
    EXPECT_FALSE(visible(tool));
    press(Slot::ShowLast);
    EXPECT_TRUE(visible(tool));
}

TEST_F(HideEngine, AHideOfManyWindowsWalksTheDesktopOnce) {
    settings::BxTT = "Report";
    std::vector<Hwnd> plain;
    for (int i = 0; i < 50; ++i) plain.push_back(window("Viewer", "Report " + std::to_string(i)));
    const Hwnd owner = window("Editor", "Report draft");
    const Hwnd palette = window("Palette", "Tools", {.owner = owner});
    fake.desktop.resetCounters();
    press(Slot::HideByTitle);
    // One walk lists the windows and finds the pop-ups: not one walk per hidden window.
    EXPECT_EQ(fake.desktop.enumCalls, 1u);
    EXPECT_FALSE(visible(owner));
    EXPECT_FALSE(visible(palette));
    for (Hwnd h : plain) EXPECT_FALSE(visible(h));
    press(Slot::ShowAll);
    EXPECT_TRUE(visible(palette));
    for (Hwnd h : plain) EXPECT_TRUE(visible(h));
}

TEST_F(HideEngine, InvisibleRootUnderTheMouseHidesNothing) {
    const Hwnd owner = window("Owner", "hidden owner", {.visible = false});
    // A visible pop-up whose owner is hidden: its root is the invisible owner.
    const Hwnd popup = window("Popup", "tool", {.owner = owner, .rect = {0, 0, 40, 40}});
    fake.desktop.setCursor(5, 5);
    press(Slot::HideUnderMouse);
    EXPECT_TRUE(visible(popup));
    EXPECT_TRUE(engine.windows.empty());
    EXPECT_EQ(engine.commands, offered(false, false, false));
}

TEST_F(HideEngine, MainWindowIsProtectedFromTheTwoMouseHotkeysOnly) {
    fake.desktop.setVisible(mainWindow, true);
    fake.desktop.create("Button", "x", {.parent = mainWindow, .rect = {900, 900, 950, 950}});
    fake.desktop.setCursor(910, 910);
    press(Slot::HideUnderMouse);
    press(Slot::HideClassUnderMouse);
    EXPECT_TRUE(visible(mainWindow));
    EXPECT_TRUE(engine.windows.empty());

    settings::BxTT = "KVR";
    press(Slot::HideByTitle);  // not exempt from hiding by title
    EXPECT_FALSE(visible(mainWindow));
}

TEST_F(HideEngine, DialogsOverTheMainWindowAreProtectedFromTheMouseHotkeys) {
    // Hotkeys act while the preferences or a message box is open; hiding that modal pop-up
    // would end its loop as if it had been closed.
    const Hwnd dialog = fake.desktop.create("KVR_frmPref", "KVR Preferences",
                                            {.owner = mainWindow, .rect = {700, 700, 800, 800}});
    fake.desktop.setCursor(710, 710);
    press(Slot::HideUnderMouse);
    press(Slot::HideClassUnderMouse);
    EXPECT_TRUE(visible(dialog));
    EXPECT_TRUE(engine.windows.empty());
}

TEST_F(HideEngine, ClassHotkeyHidesEveryWindowWhoseClassBeginsWithThePrefix) {
    const Hwnd a = window("Note", "a");
    const Hwnd b = window("NoteX", "b");
    const Hwnd c = window("notepad", "c");
    const Hwnd d = window("Note", "invisible", {.visible = false});
    under("Note", "under");
    press(Slot::HideClassUnderMouse);
    EXPECT_FALSE(visible(a));
    EXPECT_FALSE(visible(b));
    EXPECT_TRUE(visible(c));
    EXPECT_EQ(engine.windows.size(), 3u);  // the invisible one is not entered
    for (const auto& e : engine.windows.entries()) {
        EXPECT_EQ(e.windowClass, "Note");  // the prefix, for every window of the class
        EXPECT_EQ(e.method, method::kByClass);
        EXPECT_NE(e.hwnd, d);
    }
    EXPECT_EQ(engine.commands, offered(true, true, false));
}

TEST_F(HideEngine, TitleHotkeyWithoutTextWarnsAlwaysAndChangesNoCommand) {
    settings::BxTA = false;
    settings::BxTT.clear();
    EXPECT_EQ(press(Slot::HideByTitle).notice, msg::kNoTitleText);
    EXPECT_EQ(engine.commands, offered(false, false, false));
}

TEST_F(HideEngine, TitleHotkeyHidesMatchesButNeverTheDesktopOrTaskbar) {
    settings::BxTT = "budget";
    const Hwnd sheet = window("XLMAIN", "Budget 2027.xls");
    const Hwnd mail = window("Mail", "Re: budget");
    const Hwnd other = window("Mail", "Lunch");
    const Hwnd empty = window("Mail", "");
    const Hwnd desktop = window("Progman", "Program Manager budget");
    const Hwnd taskbar = window("Shell_TrayWnd", "budget");
    EXPECT_EQ(press(Slot::HideByTitle).notice, 0);
    EXPECT_FALSE(visible(sheet));
    EXPECT_FALSE(visible(mail));
    EXPECT_TRUE(visible(other));
    EXPECT_TRUE(visible(empty));
    EXPECT_TRUE(visible(desktop));
    EXPECT_TRUE(visible(taskbar));
    EXPECT_EQ(engine.windows[0].method, method::kByTitle);
    EXPECT_EQ(engine.commands, offered(true, false, true));
    EXPECT_EQ(modVentanas::TopWindows.size(), 1u);
}

TEST_F(HideEngine, TitleHotkeyWithNoMatchWarnsOnlyWithNoticesOnButOffersTheCommands) {
    settings::BxTT = "nothing like this";
    window("App", "something");
    EXPECT_EQ(press(Slot::HideByTitle).notice, msg::kNothingFound);
    EXPECT_EQ(engine.commands, offered(true, false, true));
    settings::BxTA = false;
    EXPECT_EQ(press(Slot::HideByTitle).notice, 0);
}

TEST_F(HideEngine, ShowByClassShowsOnlyClassEntriesAndKeepsTheRest) {
    settings::BxTT = "Report";
    const Hwnd c1 = window("Cls", "1");
    const Hwnd c2 = window("Cls", "2");
    const Hwnd t = window("Viewer", "Report");
    under("Cls", "3");
    press(Slot::HideClassUnderMouse);
    press(Slot::HideByTitle);
    ASSERT_EQ(engine.windows.size(), 4u);
    EXPECT_EQ(press(Slot::ShowByClass).notice, 0);
    EXPECT_TRUE(visible(c1));
    EXPECT_TRUE(visible(c2));
    EXPECT_FALSE(visible(t));
    EXPECT_EQ(titles(), std::vector<std::string>{"Report"});
    EXPECT_EQ(engine.commands, offered(true, false, true));
}

TEST_F(HideEngine, ShowByTitleRetestsTheStoredTitleAgainstTheCurrentText) {
    settings::BxTT = "Plan";
    const Hwnd a = window("A", "Plan A");
    const Hwnd b = window("B", "Plan B");
    press(Slot::HideByTitle);
    settings::BxTT = "Plan A";
    settings::BxTP = 3;  // equals
    press(Slot::ShowByTitle);
    EXPECT_TRUE(visible(a));
    EXPECT_FALSE(visible(b));
    EXPECT_EQ(titles(), std::vector<std::string>{"Plan B"});
    // The by-title commands go off although an entry of that kind is left.
    EXPECT_EQ(engine.commands, offered(true, false, false));
}

TEST_F(HideEngine, ShowByClassOrTitleWithNothingToShowWarns) {
    EXPECT_EQ(press(Slot::ShowByClass).notice, msg::kNothingFound);
    under("W", "w");
    press(Slot::HideUnderMouse);
    EXPECT_EQ(press(Slot::ShowByTitle).notice, msg::kNothingFound);  // not hidden by title
    EXPECT_EQ(engine.windows.size(), 1u);
    settings::BxTA = false;
    EXPECT_EQ(press(Slot::ShowByClass).notice, 0);
}

TEST_F(HideEngine, ShowLastTakesTheLastEntryAndTurnsTheCommandsOffWhenNoneIsLeft) {
    const Hwnd a = under("A", "a");
    press(Slot::HideUnderMouse);
    const Hwnd b = under("B", "b");
    press(Slot::HideUnderMouse);
    press(Slot::ShowLast);
    EXPECT_TRUE(visible(b));
    EXPECT_FALSE(visible(a));
    EXPECT_EQ(engine.commands, offered(true, false, false));
    press(Slot::ShowLast);
    EXPECT_TRUE(visible(a));
    EXPECT_EQ(engine.commands, offered(false, false, false));
    EXPECT_EQ(press(Slot::ShowLast).notice, msg::kNothingHidden);
}

TEST_F(HideEngine, ShowLastFollowsTheOrderTheRecordIsSortedIn) {
    const Hwnd b = under("B", "bravo");
    press(Slot::HideUnderMouse);
    const Hwnd c = under("C", "charlie");
    press(Slot::HideUnderMouse);
    const Hwnd a = under("A", "alpha");
    press(Slot::HideUnderMouse);
    engine.windows.sortBy(engine::HiddenWindows::kTitleColumn, true);  // charlie, bravo, alpha
    press(Slot::ShowLast);
    EXPECT_TRUE(visible(a));
    const Hwnd d = under("D", "delta");
    press(Slot::HideUnderMouse);  // goes first in the descending order
    EXPECT_EQ(titles(), (std::vector<std::string>{"delta", "charlie", "bravo"}));
    press(Slot::ShowLast);
    EXPECT_TRUE(visible(b));
    EXPECT_FALSE(visible(c));
    EXPECT_FALSE(visible(d));
}

TEST_F(HideEngine, ShowAllOnAnEmptyRecordWithNoticesOffDoesNothingVisible) {
    settings::BxTA = false;
    EXPECT_EQ(press(Slot::ShowAll).notice, 0);
    EXPECT_TRUE(fake.desktop.showCalls.empty());
    settings::BxTA = true;
    EXPECT_EQ(press(Slot::ShowAll).notice, msg::kNothingHidden);
}

TEST_F(HideEngine, TwoEntriesOfOneWindowGoWithTheShowsThatMatchThem) {
    const Hwnd a = under("Twice", "t");
    press(Slot::HideUnderMouse);
    fake.desktop.setVisible(a, true);  // its program showed it again
    press(Slot::HideClassUnderMouse);
    ASSERT_EQ(engine.windows.size(), 2u);
    press(Slot::ShowByClass);  // only the class entry matches
    ASSERT_EQ(engine.windows.size(), 1u);
    EXPECT_EQ(engine.windows[0].method, method::kUnderMouse);
    fake.desktop.setVisible(a, false);
    press(Slot::ShowAll);
    EXPECT_TRUE(engine.windows.empty());
    EXPECT_TRUE(visible(a));
}

TEST_F(HideEngine, VanishedWindowsAreShownWithoutEffectAndTheirEntriesGo) {
    const Hwnd a = under("Gone", "soon");
    window("Popup", "p", {.owner = a});
    press(Slot::HideUnderMouse);
    fake.desktop.destroy(a);
    press(Slot::ShowLast);
    EXPECT_TRUE(engine.windows.empty());
}

TEST_F(HideEngine, SelectionAndSingleShowsTakeTheChosenPositions) {
    const Hwnd a = under("A", "a");
    press(Slot::HideUnderMouse);
    const Hwnd b = under("B", "b");
    press(Slot::HideUnderMouse);
    const Hwnd c = under("C", "c");
    press(Slot::HideUnderMouse);
    // Out-of-range and repeated positions are harmless.
    EXPECT_EQ(engine.ShowSelection({2, 0, 2, 7}).notice, msg::kSelection);
    EXPECT_TRUE(visible(a));
    EXPECT_FALSE(visible(b));
    EXPECT_TRUE(visible(c));
    EXPECT_EQ(titles(), std::vector<std::string>{"b"});
    // Nothing is said about the commands after a selection.
    EXPECT_EQ(engine.commands, offered(true, false, false));

    EXPECT_EQ(engine.ShowOne(std::nullopt).notice, msg::kSelection);
    EXPECT_FALSE(visible(b));
    EXPECT_EQ(engine.ShowOne(0).notice, 0);
    EXPECT_TRUE(visible(b));
    EXPECT_EQ(engine.commands, offered(false, false, false));
    settings::BxTA = false;
    EXPECT_EQ(engine.ShowSelection({}).notice, 0);
}

TEST_F(HideEngine, UnknownIdsDoNothingAndTheTrayAreaToggleIgnoresOO) {
    under("A", "a");
    for (std::int32_t id : {0, 0xBFF3, 0xC000, -1}) {
        const Outcome outcome = engine.Hotkey(id, mainWindow);
        EXPECT_EQ(outcome.notice, 0);
        EXPECT_FALSE(outcome.toggleMainWindow);
    }
    EXPECT_TRUE(engine.windows.empty());
    settings::OO = 0;
    press(Slot::ToggleTrayArea);
    EXPECT_TRUE(engine.TrayAreaHidden);
    EXPECT_EQ(tray.hides, 1);
    press(Slot::ToggleTrayArea);
    EXPECT_FALSE(engine.TrayAreaHidden);
    EXPECT_EQ(tray.restores, 1);
    EXPECT_TRUE(press(Slot::ToggleMainWindow).toggleMainWindow);
}

TEST_F(HideEngine, HidingWithOOEmptiesTheTrayAreaOnceUntilTheRecordIsEmpty) {
    settings::OO = 1;
    under("A", "a");
    press(Slot::HideUnderMouse);
    under("B", "b");
    press(Slot::HideUnderMouse);
    EXPECT_TRUE(engine.TrayAreaHidden);
    EXPECT_EQ(tray.hides, 1);
    press(Slot::ShowLast);
    EXPECT_EQ(tray.restores, 0);
    press(Slot::ShowLast);
    EXPECT_FALSE(engine.TrayAreaHidden);
    EXPECT_EQ(tray.restores, 1);
}

TEST_F(HideEngine, ProcessHotkeysTurnHidingByProgramOnAndOff) {
    press(Slot::HidePrograms);
    EXPECT_TRUE(engine.processHiding);
    press(Slot::ShowPrograms);
    EXPECT_FALSE(engine.processHiding);
    press(Slot::ShowPrograms);  // without a hide first: nothing to stop, nothing breaks
    EXPECT_FALSE(engine.processHiding);
}

TEST_F(HideEngine, ExitShowsEveryHiddenWindowAndGivesTheTrayAreaBack) {
    settings::OO = 0;
    const Hwnd a = under("A", "a");
    const Hwnd popup = window("Popup", "p", {.owner = a});
    press(Slot::HideUnderMouse);
    const Hwnd b = under("B", "b");
    press(Slot::HideUnderMouse);
    press(Slot::ToggleTrayArea);
    press(Slot::HidePrograms);
    engine.Exit();
    EXPECT_TRUE(visible(a));
    EXPECT_TRUE(visible(popup));
    EXPECT_TRUE(visible(b));
    EXPECT_TRUE(engine.windows.empty());
    EXPECT_FALSE(engine.TrayAreaHidden);
    EXPECT_EQ(tray.restores, 1);
    EXPECT_FALSE(engine.processHiding);
}

TEST_F(HideEngine, ACrashShowsEveryHiddenWindowAndItsPopUps) {
    const Hwnd a = under("A", "a");
    const Hwnd popup = window("Popup", "p", {.owner = a});
    press(Slot::HideUnderMouse);
    engine.ShowEverythingHidden();
    EXPECT_TRUE(visible(a));
    EXPECT_TRUE(visible(popup));
}

}  // namespace
}  // namespace kvr
