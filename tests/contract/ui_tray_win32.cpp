// What the Win32 backend gives a notification-area icon: a hidden picture box that is the
// icon's window and hears its callback, and a form that hears the shell's broadcast of a new
// taskbar.
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "platform/win32/win32_shell.h"
#include "ui/controls.h"
#include "ui/form.h"
#include "ui/win32/win32_backend.h"

namespace kvr::ui {
namespace {

void pump(int ms, const std::function<bool()>& done) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (done()) return;
        if (GetTickCount() - start >= static_cast<DWORD>(ms)) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

HWND windowOf(Hwnd h) {
    return reinterpret_cast<HWND>(static_cast<UINT_PTR>(h));
}

class TrayForm : public Form {
public:
    TrayForm() : Form("frmUiTray", "Tray", {40, 40, 300, 200}), picSysTray(*this, "picSysTray") {
        picSysTray.setVisible(false);
    }
    PictureBox picSysTray;
};

class UiTray : public ::testing::Test {
protected:
    void SetUp() override { setBackend(&backend_); }
    void TearDown() override { setBackend(nullptr); }
    Win32Backend backend_{GetModuleHandleW(nullptr)};
};

TEST_F(UiTray, TheIconsCallbackReachesTheHiddenPictureBoxWithItsMouseMessage) {
    TrayForm form;
    std::vector<std::uint32_t> seen;
    form.picSysTray.onTrayMessage = [&](std::uint32_t message) { seen.push_back(message); };
    form.load();
    const HWND box = windowOf(form.picSysTray.hWnd());
    ASSERT_NE(box, nullptr);
    EXPECT_NE(box, windowOf(form.hWnd()));
    EXPECT_FALSE(IsWindowVisible(box));

    // As the shell posts it: the icon's id in wParam, the mouse message in lParam.
    PostMessageW(box, PictureBox::kTrayCallbackMessage, 1, WM_RBUTTONDOWN);
    PostMessageW(box, PictureBox::kTrayCallbackMessage, 1, WM_LBUTTONDOWN);
    pump(2000, [&] { return seen.size() >= 2; });
    EXPECT_EQ(seen, (std::vector<std::uint32_t>{WM_RBUTTONDOWN, WM_LBUTTONDOWN}));

    // The shell takes the picture box as an icon's window.
    platform::Win32Shell shell;
    platform::NotifyIcon icon;
    icon.window = form.picSysTray.hWnd();
    icon.id = 1;
    icon.flags = platform::nif::kMessage | platform::nif::kTip;
    icon.callbackMessage = PictureBox::kTrayCallbackMessage;
    icon.tip = "KVR";
    EXPECT_TRUE(shell.notifyIcon(platform::nim::kAdd, icon));
    EXPECT_TRUE(shell.notifyIcon(platform::nim::kDelete, icon));
    form.unload();
}

TEST_F(UiTray, AFormHearsTheTaskbarBroadcastAndOnlyTheMessagesItNamed) {
    TrayForm form;
    int created = 0, other = 0;
    form.onRegisteredMessage["TaskbarCreated"] = [&] { ++created; };
    form.onRegisteredMessage["KvrUiTrayOther"] = [&] { ++other; };
    form.load();
    const UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    ASSERT_NE(taskbarCreated, 0u);
    SendNotifyMessageW(HWND_BROADCAST, taskbarCreated, 0, 0);
    pump(3000, [&] { return created > 0; });
    EXPECT_EQ(created, 1);
    EXPECT_EQ(other, 0);
    SendMessageW(windowOf(form.hWnd()), RegisterWindowMessageW(L"KvrUiTrayOther"), 0, 0);
    EXPECT_EQ(other, 1);
    // A registered message nobody named goes by.
    SendMessageW(windowOf(form.hWnd()), RegisterWindowMessageW(L"KvrUiTrayUnnamed"), 0, 0);
    EXPECT_EQ(created + other, 2);
    form.unload();
}

// The picture box paints its picture itself: straight pixels without any alpha are opaque,
// pixels with alpha let the form's background through.
TEST_F(UiTray, AShownPictureBoxPaintsItsPixelsOpaqueWithoutAlphaAndBlendedWithIt) {
    TrayForm form;
    form.picSysTray.setVisible(true);
    form.picSysTray.setRect({10, 10, 16, 16});
    form.picSysTray.setPicture({16, 16, std::vector<std::uint32_t>(16 * 16, 0x000000FFu)});
    form.show();
    const HWND box = windowOf(form.picSysTray.hWnd());
    ASSERT_NE(box, nullptr);
    const auto pixel = [](HWND window, int x, int y) {
        UpdateWindow(window);
        HDC dc = GetDC(window);
        const COLORREF colour = GetPixel(dc, x, y);
        ReleaseDC(window, dc);
        return colour;
    };
    EXPECT_EQ(pixel(box, 8, 8), RGB(0, 0, 255));

    std::vector<std::uint32_t> half(16 * 16, 0);
    for (std::size_t i = 0; i < half.size(); ++i)
        if (i % 16 < 8) half[i] = 0xFFFF0000u;
    form.picSysTray.setPicture({16, 16, half});
    EXPECT_EQ(pixel(box, 4, 8), RGB(255, 0, 0));
    EXPECT_EQ(pixel(box, 12, 8), pixel(windowOf(form.hWnd()), 150, 100));
    form.unload();
}

}  // namespace
}  // namespace kvr::ui
