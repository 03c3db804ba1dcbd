// One set of shell cases, run against the in-memory shell natively and against shell32 and
// user32 under Wine: the notification icon's add, modify and delete, and finding, measuring,
// moving and re-parenting windows as the tray-area hiding does it to the taskbar's.
#include <gtest/gtest.h>

#include <string>

#include "tests/contract/contract_env.h"

using kvr::platform::Hwnd;
using kvr::platform::NotifyIcon;
using kvr::platform::WindowRect;
namespace nim = kvr::platform::nim;
namespace nif = kvr::platform::nif;

namespace {

class ShellContract : public ::testing::Test {
protected:
    void SetUp() override { env = kvr::contract::makeShell(); }

    Hwnd make(const std::string& className, Hwnd parent, int x, int y, int width, int height,
              bool bordered = false) {
        const Hwnd h = env.arranger->create(className, parent, x, y, width, height, bordered);
        EXPECT_NE(h, 0u) << className;
        return h;
    }
    WindowRect rectOf(Hwnd h) {
        WindowRect r;
        EXPECT_TRUE(shell().getWindowRect(h, r));
        return r;
    }

    kvr::platform::Shell& shell() { return *env.shell; }
    kvr::contract::ShellEnv env;
};

NotifyIcon iconFor(Hwnd window, std::string tip) {
    NotifyIcon icon;
    icon.window = window;
    icon.id = 7;
    icon.flags = nif::kMessage | nif::kIcon | nif::kTip;
    icon.callbackMessage = 0x8000 + 0x10;
    icon.iconSize = 16;
    icon.icon.assign(16 * 16, 0xFF1F5FA8);
    icon.tip = std::move(tip);
    return icon;
}

TEST_F(ShellContract, AnIconIsAddedOnceModifiedWhileThereAndDeletedOnce) {
    const Hwnd owner = make("KvrShellIconOwner", 0, 0, 0, 10, 10);
    NotifyIcon icon = iconFor(owner, "KVR contract");
    EXPECT_FALSE(shell().notifyIcon(nim::kModify, icon));
    EXPECT_FALSE(shell().notifyIcon(nim::kDelete, icon));
    ASSERT_TRUE(shell().notifyIcon(nim::kAdd, icon));
    EXPECT_FALSE(shell().notifyIcon(nim::kAdd, icon));
    icon.tip = "KVR contract, changed";
    EXPECT_TRUE(shell().notifyIcon(nim::kModify, icon));
    // Another id of the same window is another icon.
    NotifyIcon second = icon;
    second.id = 8;
    EXPECT_FALSE(shell().notifyIcon(nim::kDelete, second));
    EXPECT_TRUE(shell().notifyIcon(nim::kDelete, icon));
    EXPECT_FALSE(shell().notifyIcon(nim::kDelete, icon));
    EXPECT_FALSE(shell().notifyIcon(nim::kModify, icon));
}

TEST_F(ShellContract, ATipLongerThanTheFieldIsTakenWithoutHarm) {
    const Hwnd owner = make("KvrShellIconOwner", 0, 0, 0, 10, 10);
    std::string tip;
    // Characters of one to four bytes, well past what any tip field holds.
    for (int i = 0; i < 40; ++i) tip += "a\xC3\xB1\xE2\x82\xAC\xF0\x9F\x94\x91";
    NotifyIcon icon = iconFor(owner, tip);
    icon.id = 9;
    ASSERT_TRUE(shell().notifyIcon(nim::kAdd, icon));
    EXPECT_TRUE(shell().notifyIcon(nim::kDelete, icon));
}

TEST_F(ShellContract, WindowsAreFoundByClassAtTheirLevel) {
    const Hwnd parent = make("KvrShellParent", 0, 100, 100, 200, 100);
    const Hwnd first = make("KvrShellChild", parent, 0, 0, 20, 20);
    const Hwnd other = make("KvrShellOther", parent, 30, 0, 20, 20);
    const Hwnd second = make("KvrShellChild", parent, 60, 0, 20, 20);
    EXPECT_EQ(shell().findWindow("KvrShellParent"), parent);
    EXPECT_EQ(shell().findWindow("kvrshellparent"), parent);  // class names ignore case
    EXPECT_EQ(shell().findWindow("KvrShellChild"), 0u);       // not a top-level window
    EXPECT_EQ(shell().findWindow("KvrShellNobodyHasThis"), 0u);
    EXPECT_EQ(shell().findWindowEx(parent, 0, "KvrShellChild"), first);
    EXPECT_EQ(shell().findWindowEx(parent, first, "KvrShellChild"), second);
    EXPECT_EQ(shell().findWindowEx(parent, second, "KvrShellChild"), 0u);
    EXPECT_EQ(shell().findWindowEx(parent, 0, "KvrShellOther"), other);
    EXPECT_EQ(shell().findWindowEx(first, 0, "KvrShellChild"), 0u);
}

TEST_F(ShellContract, RectanglesAndPointsAreMeasuredFromTheClientAreaInsideTheBorder) {
    const Hwnd parent = make("KvrShellParent", 0, 100, 100, 200, 100);
    const Hwnd child = make("KvrShellChild", parent, 10, 20, 80, 40, true);
    EXPECT_EQ(rectOf(parent), (WindowRect{100, 100, 300, 200}));
    EXPECT_EQ(rectOf(child), (WindowRect{110, 120, 190, 160}));
    WindowRect client;
    ASSERT_TRUE(shell().getClientRect(child, client));
    EXPECT_EQ(client, (WindowRect{0, 0, 78, 38}));

    int x = 0, y = 0;
    ASSERT_TRUE(shell().mapWindowPoints(child, parent, x, y));
    EXPECT_EQ(x, 11);
    EXPECT_EQ(y, 21);
    x = y = 0;
    ASSERT_TRUE(shell().mapWindowPoints(child, 0, x, y));  // to the screen
    EXPECT_EQ(x, 111);
    EXPECT_EQ(y, 121);
    x = 150;
    y = 130;
    ASSERT_TRUE(shell().mapWindowPoints(0, parent, x, y));
    EXPECT_EQ(x, 50);
    EXPECT_EQ(y, 30);
}

TEST_F(ShellContract, MovingAndReparentingKeepChildrenInTheirParentsClientCoordinates) {
    const Hwnd parent = make("KvrShellParent", 0, 100, 100, 200, 100);
    const Hwnd child = make("KvrShellChild", parent, 10, 20, 80, 40, true);
    const Hwnd grandchild = make("KvrShellGrandchild", child, 5, 5, 10, 10);
    const Hwnd other = make("KvrShellOther", 0, 400, 300, 200, 100);

    ASSERT_TRUE(shell().moveWindow(child, 5, 6, 40, 30, true));
    EXPECT_EQ(rectOf(child), (WindowRect{105, 106, 145, 136}));
    EXPECT_EQ(rectOf(grandchild), (WindowRect{111, 112, 121, 122}));  // inside the border
    ASSERT_TRUE(shell().moveWindow(parent, 200, 150, 200, 100, false));
    EXPECT_EQ(rectOf(child), (WindowRect{205, 156, 245, 186}));

    EXPECT_EQ(shell().setParent(child, other), parent);
    EXPECT_EQ(rectOf(child), (WindowRect{405, 306, 445, 336}));
    EXPECT_EQ(rectOf(grandchild), (WindowRect{411, 312, 421, 322}));
    EXPECT_EQ(shell().findWindowEx(other, 0, "KvrShellChild"), child);
    EXPECT_EQ(shell().findWindowEx(parent, 0, "KvrShellChild"), 0u);
    EXPECT_EQ(shell().setParent(child, parent), other);
    EXPECT_EQ(rectOf(child), (WindowRect{205, 156, 245, 186}));
}

TEST_F(ShellContract, OneWindowAtATimeIsLockedAndZeroUnlocks) {
    const Hwnd a = make("KvrShellLockA", 0, 0, 0, 10, 10);
    const Hwnd b = make("KvrShellLockB", 0, 20, 0, 10, 10);
    ASSERT_TRUE(shell().lockWindowUpdate(a));
    EXPECT_FALSE(shell().lockWindowUpdate(b));
    EXPECT_TRUE(shell().lockWindowUpdate(0));
    EXPECT_TRUE(shell().lockWindowUpdate(b));
    EXPECT_TRUE(shell().lockWindowUpdate(0));
}

TEST_F(ShellContract, NoWindowIsNeitherMeasuredNorMoved) {
    const Hwnd parent = make("KvrShellParent", 0, 100, 100, 200, 100);
    WindowRect r{1, 2, 3, 4};
    EXPECT_FALSE(shell().getWindowRect(0, r));
    EXPECT_FALSE(shell().getClientRect(0, r));
    EXPECT_FALSE(shell().moveWindow(0, 0, 0, 10, 10, true));
    EXPECT_EQ(shell().setParent(0, parent), 0u);
    EXPECT_EQ(shell().findWindowEx(parent, 0, "KvrShellNobodyHasThis"), 0u);
    EXPECT_EQ(rectOf(parent), (WindowRect{100, 100, 300, 200}));
}

TEST_F(ShellContract, AWindowNamesTheProcessThatDrawsItAndNoWindowNone) {
    const Hwnd parent = make("KvrShellParent", 0, 100, 100, 200, 100);
    const Hwnd child = make("KvrShellChild", parent, 5, 5, 20, 20);
    std::uint32_t process = 0;
    EXPECT_NE(shell().getWindowThreadProcessId(child, process), 0u);
    EXPECT_EQ(process, env.arranger->processId());
    EXPECT_EQ(shell().getWindowThreadProcessId(0, process), 0u);
    EXPECT_EQ(process, 0u);
}

}  // namespace
