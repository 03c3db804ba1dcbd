// The notification-area icon as a user meets it: there at a hidden start with the window's
// translated title as its tip, a left click brings the window back, the close box puts it away
// again, a right click opens the tray menu whose exit gives everything back; the icon outlives
// a new taskbar; the option switched off leaves no icon behind; the tray-area hotkey and hiding
// empty a notification area and give it back, on a new taskbar too, and do no harm on a shell
// that has no area to hide.
#include "kvr_e2e.h"
// Needs the types windows.h declares.
#include <shellapi.h>

#include "probe_dialog.h"
#include "probe_listview.h"

namespace e2e {
namespace {

POINT centreOf(const RECT& r) {
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

bool clickIcon(const probe::TrayIcon& icon, bool right = false) {
    const POINT at = centreOf(icon.rect);
    return probe::clickAt(at.x, at.y, right);
}

std::string tips() {
    std::string out;
    for (const auto& icon : probe::trayIcons()) out += " " + probe::quote(icon.tip);
    return out.empty() ? " (none)" : out;
}

int iconsWithTip(const std::string& tip) {
    int n = 0;
    for (const auto& icon : probe::trayIcons()) n += icon.tip == tip;
    return n;
}

// The program's visible top-level windows other than its main window.
std::vector<probe::WindowInfo> otherVisibleWindows(DWORD pid) {
    std::vector<probe::WindowInfo> out;
    for (const auto& w : probe::topLevelWindowsOf(pid))
        if (w.visible && w.className != probe::kMainClass) out.push_back(w);
    return out;
}

class TrayIconE2e : public KvrTest {
protected:
    probe::Process kvr;
    HWND main = nullptr;
    std::string tip;  // the main window's English title

    void startHidden(const std::map<std::string, std::string>& more = {}) {
        const auto title = probe::languageEntry(lngDir() + "\\KVR_English.txt", "0020");
        ASSERT_TRUE(title);
        tip = *title;
        std::map<std::string, std::string> options = {
            {"OI", "1"}, {"OT", "1"}, {"OO", "0"}, {"BxTA", "0"}};
        for (const auto& [name, value] : more) options[name] = value;
        seed(kDefaults, options);
        kvr = start();
        ASSERT_TRUE(hotkeysTaken(combos(kDefaults), kvr));
        main = mainWindow(kvr);
        ASSERT_NE(main, nullptr) << windowsOf(kvr.pid());
    }
    void TearDown() override {
        if (kvr.running()) {
            EXPECT_TRUE(exitProgram(kvr));
        }
        KvrTest::TearDown();
    }
    std::optional<probe::TrayIcon> icon(DWORD timeoutMs = 10000) {
        return probe::findTrayIcon(tip, timeoutMs);
    }
    ::testing::AssertionResult iconGone(DWORD timeoutMs = 5000) {
        if (pumpUntil([&] { return iconsWithTip(tip) == 0; }, timeoutMs))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "the icon is still there; icons:" << tips();
    }
    HWND hideUnderMouse(const std::string& cls, const std::string& title) {
        HWND w = track(probe::createWindow(cls, title));
        MoveWindow(w, 60, 60, 300, 200, TRUE);
        probe::pump(200);
        EXPECT_TRUE(probe::moveMouseOver(w));
        probe::pump(100);  // the server has the new cursor position before the keys arrive
        EXPECT_TRUE(probe::pressKey(16, 120));
        EXPECT_TRUE(pumpUntil([&] { return !probe::isVisible(w); }, 5000))
            << title << " not hidden by Shift+F9";
        return w;
    }
};

TEST_F(TrayIconE2e, StartsInTheTrayWithTheTranslatedTitleAndLeftClickAndCloseBoxTakeTurns) {
    const std::string spanish = "Espa\xC3\xB1ol";
    const std::string forms = lngDir() + "\\KVR_" + spanish + ".txt";
    const auto title = probe::languageEntry(forms, "0020");
    const auto exitCaption = probe::languageEntry(forms, "0051");
    ASSERT_TRUE(title && exitCaption) << "Spanish form texts incomplete in " << lngDir();
    ASSERT_TRUE(probe::regSetString("HKCU\\Software\\ORQ\\KVR\\Language", "Language", spanish));
    seed(kDefaults, {{"OI", "1"}, {"OT", "1"}, {"OO", "0"}, {"BxTA", "0"}});
    kvr = start();
    ASSERT_TRUE(hotkeysTaken(combos(kDefaults), kvr));
    main = mainWindow(kvr);
    ASSERT_NE(main, nullptr);
    tip = *title;

    auto shown = icon();
    ASSERT_TRUE(shown) << "no icon with the tip " << probe::quote(tip) << "; icons:" << tips();
    EXPECT_FALSE(probe::isVisible(main));
    // Waiting in the notification area costs no common controls: they come with the first
    // window that shows one, with its controls made then.
    EXPECT_EQ(probe::moduleLoaded(kvr.pid(), "comctl32.dll"), false) << "at the start";
    EXPECT_EQ(probe::findListView(main), nullptr) << "a list before the window first shows";
    screenshot("icon");

    ASSERT_TRUE(clickIcon(*shown));
    ASSERT_TRUE(pumpUntil([&] { return probe::isVisible(main); }, 5000))
        << "a left click on the icon did not show the main window";
    EXPECT_TRUE(iconGone());
    EXPECT_EQ(probe::moduleLoaded(kvr.pid(), "comctl32.dll"), true) << "once the window shows";
    EXPECT_NE(probe::findListView(main), nullptr) << "the list of hidden windows";

    // The close box puts the window away and the icon back.
    ASSERT_TRUE(PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0));
    ASSERT_TRUE(pumpUntil([&] { return !probe::isVisible(main); }, 5000));
    shown = icon(5000);
    ASSERT_TRUE(shown) << "the icon did not come back; icons:" << tips();
    EXPECT_EQ(iconsWithTip(tip), 1);

    probe::pump(600);  // not a double click
    ASSERT_TRUE(clickIcon(*shown));
    EXPECT_TRUE(pumpUntil([&] { return probe::isVisible(main); }, 5000));
    EXPECT_TRUE(iconGone());

    std::string error;
    const auto exit = probe::findMenuCommand(main, *exitCaption, &error);
    ASSERT_TRUE(exit) << error;
    ASSERT_TRUE(probe::postMenuCommand(main, *exit));
    EXPECT_TRUE(pumpUntil([&] { return !kvr.running(); }, kEndTimeoutMs));
}

TEST_F(TrayIconE2e, RightClickOpensTheTrayMenuWhoseExitShowsEveryHiddenWindow) {
    startHidden();
    const auto shown = icon();
    ASSERT_TRUE(shown) << "icons:" << tips();
    HWND report = hideUnderMouse("KvrE2eTrayA", "Quarterly report");
    HWND chat = hideUnderMouse("KvrE2eTrayB", "Team chat");

    ASSERT_TRUE(clickIcon(*shown, true));
    HWND menu = nullptr;
    ASSERT_TRUE(pumpUntil(
        [&] {
            for (const auto& w : probe::topLevelWindowsOf(kvr.pid()))
                if (w.visible && w.className == "#32768") menu = w.hwnd;
            return menu != nullptr;
        },
        5000))
        << "no popup menu after a right click; kvr windows:" << windowsOf(kvr.pid());
    screenshot("menu");

    // The exit is the menu's last item: Up from no selection, then Enter.
    ASSERT_TRUE(probe::pressKeys({{0, VK_UP}, {0, VK_RETURN}}));
    EXPECT_TRUE(pumpUntil([&] { return !kvr.running(); }, kEndTimeoutMs))
        << "the tray menu's exit did not end the program";
    EXPECT_TRUE(probe::isVisible(report));
    EXPECT_TRUE(probe::isVisible(chat));
    EXPECT_TRUE(iconGone());
}

TEST_F(TrayIconE2e, ANewTaskbarIsGivenTheIconAgain) {
    startHidden();
    ASSERT_TRUE(icon()) << "icons:" << tips();
    const UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");

    // A taskbar that is up again holds none of the old icons: take the program's away, as a
    // restarted shell would have lost it.
    int deleted = 0;
    for (HWND child = FindWindowExW(main, nullptr, nullptr, nullptr); child;
         child = FindWindowExW(main, child, nullptr, nullptr)) {
        NOTIFYICONDATAW record{};
        record.cbSize = sizeof record;
        record.hWnd = child;
        record.uID = 1;
        deleted += Shell_NotifyIconW(NIM_DELETE, &record) != FALSE;
    }
    ASSERT_EQ(deleted, 1) << "the icon's window was not among the main window's children";
    ASSERT_TRUE(iconGone());

    SendNotifyMessageW(HWND_BROADCAST, taskbarCreated, 0, 0);
    EXPECT_TRUE(icon(5000)) << "the icon did not come back; icons:" << tips();

    // A taskbar that kept it (Wine's) ends up with the one icon still.
    SendNotifyMessageW(HWND_BROADCAST, taskbarCreated, 0, 0);
    probe::pump(500);
    EXPECT_EQ(iconsWithTip(tip), 1) << "icons:" << tips();
    EXPECT_TRUE(kvr.running());
}

TEST_F(TrayIconE2e, TheTrayAreaHotkeyAndHidingWithTheAreaOptionHarmNothingWithoutAnArea) {
    startHidden({{"OO", "1"}});
    ASSERT_TRUE(icon()) << "icons:" << tips();
    for (int press = 0; press < 2; ++press) {
        ASSERT_TRUE(probe::pressKey(18, 114));  // Alt+F3
        probe::pump(500);
    }
    // Hiding with the option on empties the area first, showing gives it back.
    HWND w = hideUnderMouse("KvrE2eTrayArea", "Area check");
    ASSERT_TRUE(probe::pressKey(17, 123));  // Ctrl+F12: show every hidden window
    EXPECT_TRUE(pumpUntil([&] { return probe::isVisible(w); }, 5000));

    EXPECT_TRUE(kvr.running());
    EXPECT_NE(probe::waitSettled(kvr.pid(), 5000), nullptr) << "the program stopped answering";
    EXPECT_FALSE(probe::findMessageBox(kvr.pid(), 0)) << "a message box came up";
    EXPECT_TRUE(otherVisibleWindows(kvr.pid()).empty()) << windowsOf(kvr.pid());
    EXPECT_EQ(iconsWithTip(tip), 1) << "icons:" << tips();
}

// The option switched off in the preferences while the icon shows: the icon goes when the window
// comes back, the close box brings none, and none stays after the exit (the shell would keep it).
TEST_F(TrayIconE2e, TheIconSwitchedOffWhileItShowsGoesAndDoesNotComeBack) {
    startHidden();
    const auto shown = icon();
    ASSERT_TRUE(shown) << "icons:" << tips();
    ASSERT_TRUE(clickIcon(*shown, true));
    ASSERT_TRUE(pumpUntil(
        [&] {
            for (const auto& w : probe::topLevelWindowsOf(kvr.pid()))
                if (w.visible && w.className == "#32768") return true;
            return false;
        },
        5000))
        << "no tray menu; kvr windows:" << windowsOf(kvr.pid());
    ASSERT_TRUE(probe::pressKey(0, 'P'));  // "&Preferences..."
    HWND dialog = probe::findWindow("KVR_frmPref", std::nullopt, kvr.pid(), 5000);
    ASSERT_NE(dialog, nullptr) << windowsOf(kvr.pid());
    ASSERT_TRUE(probe::bringToFront(dialog, 5000));
    ASSERT_TRUE(toTab(dialog, 4));
    const auto box = probe::visibleChildWithText(dialog, formText("English", "0134"));
    ASSERT_TRUE(box);
    probe::clickAt(box->hwnd);
    ASSERT_TRUE(pumpUntil(
        [&] { return SendMessageW(box->hwnd, BM_GETCHECK, 0, 0) == BST_UNCHECKED; }, 5000));
    ASSERT_TRUE(probe::pressKey(0, VK_RETURN));  // OK
    ASSERT_TRUE(pumpUntil([&] { return !IsWindow(dialog); }, 5000));
    EXPECT_EQ(probe::regGetString(kOptionsKey, "OT"), "0");

    press(18, 87);  // Alt+W
    ASSERT_TRUE(pumpUntil([&] { return probe::isVisible(main); }, 5000));
    EXPECT_TRUE(iconGone()) << "while the window shows";
    ASSERT_TRUE(PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0));
    ASSERT_TRUE(pumpUntil([&] { return !probe::isVisible(main); }, 5000));
    probe::pump(1000);  // time for an icon to come
    EXPECT_EQ(iconsWithTip(tip), 0) << "after the close box; icons:" << tips();
    ASSERT_TRUE(exitProgram(kvr));
    EXPECT_EQ(iconsWithTip(tip), 0) << "after the exit; icons:" << tips();
}

// On a taskbar that has a notification area the hotkey shrinks it to the clock's size and covers
// it with the program's tray window, and gives it back; hiding with the option does the same
// until the show. After Explorer made a new taskbar, the next hide empties the new one.
class TrayAreaE2e : public TrayIconE2e {
protected:
    probe::Taskbar bar;
    std::vector<probe::Taskbar> made;
    void TearDown() override {
        TrayIconE2e::TearDown();
        for (const auto& old : made) DestroyWindow(old.tray);
    }
    void makeTaskbar() {
        bar = probe::createTaskbar();
        made.push_back(bar);
        ASSERT_TRUE(bar.clock);
        ASSERT_EQ(FindWindowW(L"Shell_TrayWnd", nullptr), bar.tray)
            << "the shell's taskbar is in front of this one";
    }
    static RECT rectOf(HWND w) {
        RECT r{};
        GetWindowRect(w, &r);
        return r;
    }
    // The tray window the program puts into the notification window while it is hidden.
    HWND trayWindow() const {
        return FindWindowExW(bar.notify, nullptr, L"KVR_frmSysTray", nullptr);
    }
    // At the right end of the taskbar, as wide as the clock and 4 more, as high as it was, at the
    // height of its own client area.
    ::testing::AssertionResult shrunk(const char* after) {
        const int screen = GetSystemMetrics(SM_CXSCREEN);
        const RECT tray = rectOf(bar.tray);
        const RECT want{screen - 72, tray.top + 3, screen - 2, tray.top + 29};
        const auto isShrunk = [&] {
            const RECT now = rectOf(bar.notify);
            return EqualRect(&want, &now) != FALSE;
        };
        // The tray window goes in after the area has moved.
        const auto covered = [&] { return trayWindow() && IsWindowVisible(trayWindow()); };
        if (!pumpUntil([&] { return isShrunk() && covered(); }, 5000))
            return ::testing::AssertionFailure()
                   << (isShrunk() ? "no tray window in the area" : "the area was not shrunk")
                   << " after " << after;
        return ::testing::AssertionSuccess();
    }
    ::testing::AssertionResult restored(const RECT& was, const char* after) {
        const auto isBack = [&] {
            const RECT now = rectOf(bar.notify);
            return EqualRect(&was, &now) && !trayWindow();
        };
        if (!pumpUntil(isBack, 5000))
            return ::testing::AssertionFailure() << "the area is not back after " << after;
        return ::testing::AssertionSuccess();
    }
};

TEST_F(TrayAreaE2e, TheHotkeyAndHidingShrinkTheAreaToTheClockAndAShowGivesItBack) {
    startHidden({{"OO", "1"}});
    // Once the shell shows its own taskbar for the icon, which puts it in front.
    ASSERT_TRUE(icon()) << "icons:" << tips();
    makeTaskbar();
    const RECT was = rectOf(bar.notify);
    press(18, 114);  // Alt+F3
    ASSERT_TRUE(shrunk("Alt+F3"));
    screenshot("shrunk");
    press(18, 114);
    ASSERT_TRUE(restored(was, "a second Alt+F3"));

    HWND w = hideUnderMouse("KvrE2eTrayArea", "Area check");
    EXPECT_TRUE(shrunk("Shift+F9"));
    press(17, 123);  // Ctrl+F12: show every hidden window
    EXPECT_TRUE(pumpUntil([&] { return probe::isVisible(w); }, 5000));
    EXPECT_TRUE(restored(was, "Ctrl+F12"));

    // Explorer ends while the area is hidden and comes back with a new taskbar.
    press(18, 114);
    ASSERT_TRUE(shrunk("Alt+F3"));
    DestroyWindow(bar.tray);
    makeTaskbar();
    const RECT fresh = rectOf(bar.notify);
    SendNotifyMessageW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    probe::pump(500);
    ASSERT_TRUE(probe::moveMouseOver(w));
    press(16, 120);  // Shift+F9
    ASSERT_TRUE(pumpUntil([&] { return !probe::isVisible(w); }, 5000));
    EXPECT_TRUE(shrunk("Shift+F9 on the new taskbar"));
    press(17, 123);
    EXPECT_TRUE(restored(fresh, "Ctrl+F12 on the new taskbar"));
    EXPECT_TRUE(kvr.running());
}

}  // namespace
}  // namespace e2e
