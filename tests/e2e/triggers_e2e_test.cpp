// Hiding without the keyboard, as a user does it: clicks of the middle button with Ctrl held, a
// flick of the pointer into a screen corner, a minute without input.
#include <map>

#include "kvr_e2e.h"

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

}  // namespace
}  // namespace e2e
