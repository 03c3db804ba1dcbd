// The splash window as the user meets it in its moment on the screen: nothing to close, size
// or find in the taskbar, and a close attempt that does not cost the program its main window.
#include "kvr_e2e.h"

namespace e2e {
namespace {

class SplashWindow : public KvrTest {};

TEST_F(SplashWindow, OffersNoCloseNoSizingNoTaskbarButtonAndSurvivesAltF4) {
    seed(kSeeded, {{"OS", "1"}, {"OI", "1"}});
    auto kvr = start();
    ASSERT_TRUE(kvr.handle());

    // Its styles are read while it is there: the splash lives for about 200 ms.
    LONG style = 0, exStyle = 0;
    HWND splash = nullptr;
    pumpUntil(
        [&] {
            splash = probe::findWindow(probe::kSplashClass, std::nullopt, kvr.pid(), 0);
            if (!splash || !probe::isVisible(splash)) return !kvr.running();
            style = GetWindowLongW(splash, GWL_STYLE);
            exStyle = GetWindowLongW(splash, GWL_EXSTYLE);
            // Alt+F4 and the system menu's Close arrive as this.
            PostMessageW(splash, WM_SYSCOMMAND, SC_CLOSE, 0);
            return true;
        },
        kStartTimeoutMs);
    ASSERT_NE(style, 0) << "the splash was never seen; windows:" << windowsOf(kvr.pid());
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_FALSE(style & WS_SYSMENU) << "it has a close box";
    EXPECT_FALSE(style & WS_CAPTION);
    EXPECT_FALSE(style & WS_THICKFRAME) << "it can be resized";
    EXPECT_TRUE(exStyle & WS_EX_TOOLWINDOW) << "it has a taskbar button";
    EXPECT_FALSE(exStyle & WS_EX_APPWINDOW) << "it has a taskbar button";

    ASSERT_TRUE(hotkeysTaken(combos(kSeeded), kvr)) << "the close attempt ended the start-up";
    EXPECT_NE(mainWindow(kvr, 1000), nullptr);
    ASSERT_TRUE(exitProgram(kvr));
}

}  // namespace
}  // namespace e2e
