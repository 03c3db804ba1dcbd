// Hotkeys pressed while the program's own main window has the keyboard and is busy with the
// keys typed into it: every press must act.
#include <cstdio>

#include "kvr_e2e.h"

namespace e2e {
namespace {

constexpr int kVkDown = 0x28;
constexpr int kArrowKeys = 30;
constexpr int kRounds = 10;
constexpr DWORD kActTimeoutMs = 5000;

class FocusedMainWindow : public KvrTest {
protected:
    probe::Process kvr;
    HWND main = nullptr;

    void SetUp() override {
        KvrTest::SetUp();
        if (HasFatalFailure()) return;
        // Started hidden, so that the toggle hotkey is what brings the window up.
        seed(kSeeded, {{"OI", "1"}, {"OT", "0"}, {"OO", "0"}, {"BxTA", "0"}});
        kvr = start();
        ASSERT_TRUE(hotkeysTaken(combos(kSeeded), kvr));
        main = mainWindow(kvr);
        ASSERT_NE(main, nullptr) << windowsOf(kvr.pid());
    }
    void TearDown() override {
        if (kvr.running()) {
            EXPECT_TRUE(exitProgram(kvr));
        }
        KvrTest::TearDown();
    }

    // The arrow keys for the main window's list, then the hotkey, all in one input batch.
    bool burst(const Slot& hotkey) {
        std::vector<std::pair<int, int>> presses(kArrowKeys, {0, kVkDown});
        presses.emplace_back(hotkey.modifier, hotkey.key);
        return probe::pressKeys(presses);
    }
    bool mainHasTheKeyboard() { return GetForegroundWindow() == main && !IsIconic(main); }
    // Showing a window may activate it: give the keyboard back to the main window. The display
    // confirms the change a moment later, and Wine then reads the keys held from the display's
    // own keyboard, where no key sent here is down: a modifier sent before that is forgotten.
    ::testing::AssertionResult focusMain() {
        if (mainHasTheKeyboard()) return ::testing::AssertionSuccess();
        SetForegroundWindow(main);
        if (pumpUntil([&] { return mainHasTheKeyboard(); }, 3000)) {
            probe::pump(300);
            return ::testing::AssertionSuccess();
        }
        return ::testing::AssertionFailure() << "the main window is not in front; foreground is "
                                             << probe::className(GetForegroundWindow());
    }
};

TEST_F(FocusedMainWindow, EveryHotkeyActsWhileTheMainWindowIsTakingKeys) {
    const Slot& hide = kSeeded[0];      // Shift+F5: hide the window under the mouse
    const Slot& showLast = kSeeded[3];  // Ctrl+F5
    const Slot& toggle = kSeeded[7];    // Alt+Q: show or hide the main window

    HWND target = track(probe::createWindow("KvrE2eFocusTarget", "Hidden during typing"));
    ASSERT_NE(target, nullptr);
    // Below the centred main window, so the mouse points at the target alone.
    MoveWindow(target, 20, 630, 260, 150, TRUE);
    probe::pump(200);
    ASSERT_TRUE(probe::moveMouseOver(target));

    ASSERT_TRUE(probe::pressKey(toggle.modifier, toggle.key));
    ASSERT_TRUE(pumpUntil([&] { return probe::isVisible(main); }, 5000))
        << "Alt+Q did not bring the main window up";
    ASSERT_TRUE(focusMain());

    int hidden = 0, shown = 0, showsTried = 0;
    for (int round = 0; round < kRounds; ++round) {
        ASSERT_TRUE(focusMain()) << "round " << round;
        ASSERT_TRUE(burst(hide));
        if (!pumpUntil([&] { return !probe::isVisible(target); }, kActTimeoutMs)) continue;
        ++hidden;
        ++showsTried;
        // Hiding leaves the keyboard where it was; check rather than assume.
        ASSERT_TRUE(focusMain()) << "round " << round;
        ASSERT_TRUE(burst(showLast));
        if (pumpUntil([&] { return probe::isVisible(target); }, kActTimeoutMs)) {
            ++shown;
        } else {
            ShowWindow(target, SW_SHOWNA);  // for the next round
            probe::pump(100);
        }
    }
    std::printf(
        "[ note ] with %d arrow keys before each hotkey: hide acted %d of %d, show last "
        "acted %d of %d\n",
        kArrowKeys, hidden, kRounds, shown, showsTried);
    EXPECT_EQ(hidden, kRounds) << "hide hotkeys lost";
    EXPECT_EQ(shown, showsTried) << "show-last hotkeys lost";
    EXPECT_TRUE(kvr.running());
}

}  // namespace
}  // namespace e2e
