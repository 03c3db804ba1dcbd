// The main window as a user meets it: shown at start, listing what the hotkeys hid, closing to
// the background and coming back on its hotkey, and the exit that gives everything back.
#include "kvr_e2e.h"
#include "probe_listview.h"

namespace e2e {
namespace {

class MainWindow : public KvrTest {
protected:
    probe::Process kvr;
    HWND main = nullptr;

    void SetUp() override {
        KvrTest::SetUp();
        if (HasFatalFailure()) return;
        seed(kDefaults, {{"OI", "0"}, {"OO", "0"}, {"BxTA", "0"}});
        kvr = start();
        ASSERT_TRUE(hotkeysTaken(combos(kDefaults), kvr));
        main = mainWindow(kvr);
        ASSERT_NE(main, nullptr) << windowsOf(kvr.pid());
    }
    void TearDown() override {
        if (kvr.running()) EXPECT_TRUE(exitProgram(kvr));
        KvrTest::TearDown();
    }

    HWND windowAt(const std::string& cls, const std::string& title, int slot) {
        HWND w = track(probe::createWindow(cls, title));
        // Below the centred main window, which the mouse hotkey never hides.
        if (w) MoveWindow(w, 20 + slot * 300, 630, 260, 150, TRUE);
        return w;
    }
    // Hides w with the mouse hotkey (Shift+F9), answering the program meanwhile.
    ::testing::AssertionResult hideByMouse(HWND w) {
        if (!probe::moveMouseOver(w)) return ::testing::AssertionFailure() << "mouse not moved";
        probe::pump(100);  // the server has the new cursor position before the keys arrive
        if (!probe::pressKey(16, 120)) return ::testing::AssertionFailure() << "keys not sent";
        if (pumpUntil([&] { return !probe::isVisible(w); }, 5000))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << probe::quote(probe::windowText(w)) << " still visible after Shift+F9; kvr.exe "
               << (kvr.running() ? "running, windows:" + windowsOf(kvr.pid()) : "gone");
    }
    std::vector<std::vector<std::string>> rows() {
        HWND list = probe::findListView(main);
        if (!list) return {};
        return probe::listViewRows(list, 3).value_or(std::vector<std::vector<std::string>>{});
    }
};

TEST_F(MainWindow, ShowsAtStartAndListsEveryWindowHiddenFromTheKeyboard) {
    ASSERT_TRUE(pumpUntil([&] { return probe::isVisible(main); }, 5000))
        << "the main window did not show with OI = 0";
    ASSERT_NE(probe::findListView(main), nullptr);
    EXPECT_TRUE(rows().empty());
    screenshot("start");

    const std::vector<std::string> titles = {"Report draft", "Budget sheet", "Chat window"};
    std::vector<HWND> targets;
    for (std::size_t i = 0; i < titles.size(); ++i)
        targets.push_back(
            windowAt("KvrE2eMain" + std::to_string(i), titles[i], static_cast<int>(i)));
    probe::pump(200);
    for (HWND w : targets) ASSERT_TRUE(hideByMouse(w));

    std::vector<std::vector<std::string>> listed;
    ASSERT_TRUE(pumpUntil(
        [&] {
            listed = rows();
            return listed.size() == 3;
        },
        5000))
        << "rows: " << listed.size();
    std::vector<std::string> seenTitles;
    for (const auto& row : listed) {
        ASSERT_EQ(row.size(), 3u);
        seenTitles.push_back(row[0]);
        EXPECT_EQ(row[1].rfind("KvrE2eMain", 0), 0u) << row[1];
        EXPECT_FALSE(row[2].empty());
    }
    std::sort(seenTitles.begin(), seenTitles.end());
    std::vector<std::string> expected = titles;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(seenTitles, expected);
    screenshot("three_hidden");
}

TEST_F(MainWindow, CloseBoxKeepsTheProgramAndItsHotkeysAndAltWBringsItBack) {
    ASSERT_TRUE(pumpUntil([&] { return probe::isVisible(main); }, 5000));
    HWND target = windowAt("KvrE2eMainClose", "Hidden before closing", 0);
    probe::pump(200);
    ASSERT_TRUE(hideByMouse(target));

    PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_TRUE(pumpUntil([&] { return !probe::isVisible(main); }, 5000))
        << "the close box left the window on screen";
    probe::pump(300);
    EXPECT_TRUE(kvr.running());
    EXPECT_TRUE(IsWindow(main));
    EXPECT_TRUE(hotkeysTaken(combos(kDefaults), kvr, 2000));

    ASSERT_TRUE(probe::pressKey(18, 87));  // Alt+W: show the main window
    EXPECT_TRUE(pumpUntil([&] { return probe::isVisible(main) && !IsIconic(main); }, 5000))
        << "Alt+W did not bring the main window back";
    EXPECT_EQ(rows().size(), 1u);  // the list survived the trip

    ASSERT_TRUE(exitProgram(kvr));
    EXPECT_TRUE(probe::isVisible(target)) << "the exit left a window hidden";
    EXPECT_TRUE(hotkeysFree(combos(kDefaults), 3000));
}

// Hiding by title may take the main window itself away; Alt+W must still bring it back, and
// send it away again.
TEST_F(MainWindow, AltWBringsBackAMainWindowThatHidingByTitleTookAway) {
    ASSERT_TRUE(pumpUntil([&] { return probe::isVisible(main); }, 5000));
    const std::string title = probe::windowText(main);
    ASSERT_FALSE(title.empty());
    ASSERT_TRUE(exitProgram(kvr));
    seed(kDefaults, {{"OI", "0"}, {"OO", "0"}, {"BxTA", "0"}, {"BxTT", title}, {"BxTP", "3"}});
    kvr = start();
    ASSERT_TRUE(hotkeysTaken(combos(kDefaults), kvr));
    main = mainWindow(kvr);
    ASSERT_TRUE(pumpUntil([&] { return main && probe::isVisible(main); }, 5000));

    ASSERT_TRUE(probe::pressKey(16, 122));  // Shift+F11: hide by title, the main window's own
    ASSERT_TRUE(pumpUntil([&] { return !probe::isVisible(main); }, 5000))
        << "hiding by the main window's title left it on screen";
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(probe::pressKey(18, 87));  // Alt+W
        ASSERT_TRUE(pumpUntil([&] { return probe::isVisible(main) && !IsIconic(main); }, 5000))
            << "Alt+W did not bring the main window back, round " << round;
        ASSERT_TRUE(probe::pressKey(18, 87));
        ASSERT_TRUE(pumpUntil([&] { return !probe::isVisible(main); }, 5000))
            << "Alt+W did not send the main window away, round " << round;
    }
}

TEST_F(MainWindow, ACloseFromAnotherProgramRunsTheExitWhereTheCloseBoxOnlyHides) {
    ASSERT_TRUE(pumpUntil([&] { return probe::isVisible(main); }, 5000));
    HWND target = windowAt("KvrE2eOutsideClose", "Hidden before the task list closes us", 0);
    probe::pump(200);
    ASSERT_TRUE(hideByMouse(target));

    // The user's close: the window goes, the program and the hidden window stay as they are.
    PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_TRUE(pumpUntil([&] { return !probe::isVisible(main); }, 5000));
    probe::pump(300);
    ASSERT_TRUE(kvr.running());
    EXPECT_FALSE(probe::isVisible(target));

    // Another program's close (a task list, taskkill without /F, an uninstaller).
    ASSERT_TRUE(probe::postClose(main));
    pumpUntil([&] { return !kvr.running(); }, kEndTimeoutMs);
    EXPECT_FALSE(kvr.running()) << "still running; its windows:" << windowsOf(kvr.pid());
    EXPECT_TRUE(probe::isVisible(target)) << "the close left a window hidden";
    EXPECT_TRUE(hotkeysFree(combos(kDefaults), 3000));
}

}  // namespace
}  // namespace e2e
