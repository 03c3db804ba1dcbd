// Hiding without the keyboard, as a user does it: clicks of the middle button with Ctrl held, a
// flick of the pointer into a screen corner, a minute without input.
// clang-format off
#include "kvr_e2e.h"
#include <commctrl.h>
// clang-format on

#include <map>

#include "probe_dialog.h"

namespace e2e {
namespace {

constexpr const char* kTitle = "Quarterly figures";
constexpr wchar_t kTargetClass[] = L"KvrE2eTriggerTarget";

// Presses of the middle button each target window received.
std::map<HWND, int> middlePresses;

LRESULT CALLBACK targetProc(HWND h, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_MBUTTONDOWN) ++middlePresses[h];
    return DefWindowProcW(h, message, w, l);
}

class Triggers : public KvrTest {
protected:
    probe::Process kvr;

    void TearDown() override {
        if (kvr.running()) EXPECT_TRUE(exitProgram(kvr));
        KvrTest::TearDown();
    }

    // The program started with the options; hide by title looks for kTitle.
    void startWith(std::map<std::string, std::string> options) {
        options.insert({{"BxTT", kTitle}, {"OO", "0"}, {"BxTA", "0"}});
        seed(kDefaults, options);
        kvr = start();
        ASSERT_TRUE(hotkeysTaken(combos(kDefaults), kvr));
    }

    // A window of this test whose title hide by title matches, counting its middle presses.
    HWND target() {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = targetProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        wc.lpszClassName = kTargetClass;
        RegisterClassExW(&wc);
        HWND w = track(CreateWindowExW(0, kTargetClass, probe::widen(kTitle).c_str(),
                                       WS_OVERLAPPEDWINDOW | WS_VISIBLE, 300, 200, 500, 350,
                                       nullptr, nullptr, GetModuleHandleW(nullptr), nullptr));
        middlePresses[w] = 0;
        probe::pump(200);
        return w;
    }

    // Stays as it is for a while: what a trigger that should not fire is given to fire in.
    ::testing::AssertionResult staysVisible(HWND w, const char* after) {
        probe::pump(1500);
        if (probe::isVisible(w)) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "hidden after " << after;
    }
};

TEST_F(Triggers, CtrlAndAMiddleDoubleClickHideTheWindowUnderTheMouseAPlainOneDoesNot) {
    startWith({{"MB", "1"}, {"MK", "2"}, {"MM", "17"}, {"MA", "0"}});
    HWND w = target();
    ASSERT_TRUE(w);
    ASSERT_TRUE(probe::moveMouseOver(w));
    ASSERT_TRUE(probe::clickButton(1, 2));
    EXPECT_TRUE(pumpUntil([&] { return middlePresses[w] == 2; }, 5000))
        << "the window got " << middlePresses[w] << " of a plain double click";
    EXPECT_TRUE(staysVisible(w, "a plain middle double click"));

    // Apart by more than the double-click time, so that it is a gesture of its own.
    probe::pump(600);
    ASSERT_TRUE(probe::clickButton(1, 2, 17));
    ASSERT_TRUE(becomes(w, false, "Ctrl + a middle double click"));
    probe::pump(300);
    EXPECT_EQ(middlePresses[w], 3) << "the click that completed the gesture reached the window";
    screenshot("hidden by a double click");
    press(17, 120);  // Ctrl+F9: show last
    EXPECT_TRUE(becomes(w, true, "Ctrl+F9"));
}

TEST_F(Triggers, AFastFlickIntoTheTopLeftCornerHidesByTitleASlowDriftDoesNot) {
    startWith({{"CC", "1"}, {"CA", "2"}, {"CF", "1"}});
    HWND w = target();
    ASSERT_TRUE(w);
    ASSERT_TRUE(probe::placeCursor(640, 400));
    ASSERT_TRUE(probe::glideCursor(0, 0, 150, 20));  // 3 s
    EXPECT_TRUE(staysVisible(w, "a slow drift into the corner"));

    // Out of the corner and resting, then in within a tenth of a second.
    ASSERT_TRUE(probe::glideCursor(640, 400, 2, 10));
    probe::pump(300);
    ASSERT_TRUE(probe::glideCursor(0, 0, 6, 15));
    ASSERT_TRUE(becomes(w, false, "a flick into the top-left corner"));
    ASSERT_TRUE(probe::glideCursor(640, 400, 2, 10));
    press(17, 122);  // Ctrl+F11: show by title
    EXPECT_TRUE(becomes(w, true, "Ctrl+F11"));
}

TEST_F(Triggers, AMinuteWithoutInputHidesByTitleByItself) {
    startWith({{"IM", "1"}, {"IA", "2"}});
    HWND w = target();
    ASSERT_TRUE(w);
    // The last input of the session, from here on none.
    ASSERT_TRUE(probe::glideCursor(600, 420, 1, 0));
    const DWORD lastInput = GetTickCount();
    ASSERT_TRUE(become({w}, false, "70 s without input", 70000));
    EXPECT_GE(GetTickCount() - lastInput, 59000u) << "hidden before a minute without input";
}

TEST_F(Triggers, TheSixthTabSetsTheMouseButtonItsClicksKeyAndActionAndOkPutsThemIntoEffect) {
    constexpr int kVkTab = 0x09, kVkHome = 0x24, kVkDown = 0x28, kVkReturn = 0x0D;
    startWith({{"OI", "0"}});
    HWND main = mainWindow(kvr);
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(pumpUntil([&] { return probe::isVisible(main); }, 5000));
    HWND w = target();
    HWND dialog = openPreferences(main, kvr.pid(), "English");
    ASSERT_NE(dialog, nullptr);
    const auto selectedTab = [&] {
        const auto tabs = probe::visibleChildren(dialog, WC_TABCONTROLA);
        return tabs.empty() ? -1 : int(SendMessageW(tabs[0].hwnd, TCM_GETCURSEL, 0, 0));
    };
    for (int presses = 0; presses < 6 && selectedTab() != 5; ++presses) {
        const int before = selectedTab();
        probe::pressKey(17, kVkTab);
        pumpUntil([&] { return selectedTab() != before; }, 5000);
    }
    ASSERT_EQ(selectedTab(), 5);
    EXPECT_EQ(probe::windowText(probe::visibleChildren(dialog, "Static").back().hwnd),
              probe::splitParts(*probe::languageEntry(lngDir() + "\\KVR_Eng.txt", "007"))[5]);
    // The lists top to bottom: button, clicks; key held; the actions of the button, of the
    // corners and of idleness.
    const auto lists = probe::visibleChildren(dialog, "ComboBox");
    ASSERT_EQ(lists.size(), 6u);
    // Opened with a click, the entry picked with the keys.
    const auto choose = [&](HWND list, int entry) {
        probe::clickAt(list);
        probe::pump(200);
        probe::pressKey(0, kVkHome);
        for (int i = 0; i < entry; ++i) probe::pressKey(0, kVkDown);
        probe::pressKey(0, kVkReturn);
        return pumpUntil([&] { return SendMessageW(list, CB_GETCURSEL, 0, 0) == entry; }, 5000);
    };
    EXPECT_TRUE(choose(lists[0].hwnd, 1));  // the middle button
    EXPECT_TRUE(choose(lists[1].hwnd, 0));  // one click
    EXPECT_TRUE(choose(lists[2].hwnd, 1));  // Shift
    EXPECT_TRUE(choose(lists[3].hwnd, 2));  // hide by title
    screenshot("sixth tab");
    const auto ok = probe::visibleChildWithText(dialog, formText("English", "0101"));
    ASSERT_TRUE(ok);
    probe::clickAt(ok->hwnd);
    ASSERT_TRUE(pumpUntil([&] { return !IsWindow(dialog); }, 5000));
    EXPECT_EQ(probe::regGetString(kOptionsKey, "MB").value_or(""), "1");
    EXPECT_EQ(probe::regGetString(kOptionsKey, "MK").value_or(""), "1");
    EXPECT_EQ(probe::regGetString(kOptionsKey, "MM").value_or(""), "16");
    EXPECT_EQ(probe::regGetString(kOptionsKey, "MA").value_or(""), "2");

    // At once: Shift and one middle click anywhere hide by title.
    ASSERT_TRUE(probe::placeCursor(700, 700));
    ASSERT_TRUE(probe::clickButton(1, 1, 16));
    EXPECT_TRUE(becomes(w, false, "Shift + a middle click"));
}

}  // namespace
}  // namespace e2e
