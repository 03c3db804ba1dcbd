// Hiding the notification area: the notification window shrunk to the clock's size and covered
// by the tray window, on taskbars along every edge, and put back where it was; and nothing done
// where the shell lacks one of its windows.
#include <gtest/gtest.h>

#include <functional>

#include "base/ids.h"
#include "mainwin/frm_ppal.h"
#include "mainwin/frm_sys_tray.h"
#include "mainwin/mod_sys_tray.h"
#include "tests/unit/fake_platform.h"

namespace kvr {
namespace {

using platform::FakeShell;
using platform::Hwnd;
using platform::WindowRect;

// Gives the tray window a window in the fake shell, as the real backend gives it a real one;
// every other form lives as state alone.
class TrayWindowBackend : public ui::Backend {
public:
    explicit TrayWindowBackend(FakeShell& shell) : shell_(shell) {}

    std::unique_ptr<ui::FormPeer> createPeer(ui::Form& form) override {
        if (form.name() != "frmSysTray") return nullptr;
        ++created;
        return std::make_unique<Peer>(*this, shell_.create("KVR_frmSysTray", 0, {}));
    }
    int created = 0;
    // The window LockWindowUpdate held at each refresh of the tray window.
    std::vector<Hwnd> lockedAtRefresh;

private:
    struct Peer : ui::FormPeer {
        Peer(TrayWindowBackend& owner, Hwnd h) : owner(owner), h(h) {}
        ~Peer() override { owner.shell_.destroy(h); }
        Hwnd handle() const override { return h; }
        void changed(ui::Form&, ui::Change) override {}
        std::unique_ptr<ui::ControlPeer> createPeer(ui::Control&) override { return nullptr; }
        void bringToTop() override {}
        void refresh() override { owner.lockedAtRefresh.push_back(owner.shell_.locked); }
        TrayWindowBackend& owner;
        Hwnd h;
    };
    FakeShell& shell_;
};

class TrayArea : public ::testing::Test {
protected:
    test::FakePlatform fake;
    TrayWindowBackend backend{fake.shell};

    TrayArea() { ui::setBackend(&backend); }
    ~TrayArea() override {
        modSysTray::resetForTests();
        ui::setBackend(nullptr);
    }

    Hwnd trayWindow() const {
        const frmSysTray* tray = modSysTray::TrayWindow();
        return tray ? tray->hWnd() : 0;
    }
    // Every window of the taskbar where it is now.
    struct Layout {
        WindowRect tray, notify, clock;
        Hwnd clockParent = 0;
        bool operator==(const Layout&) const = default;
    };
    Layout layout(const FakeShell::Taskbar& bar) const {
        return {fake.shell.rectOf(bar.tray), fake.shell.rectOf(bar.notify),
                fake.shell.rectOf(bar.clock), fake.shell.parentOf(bar.clock)};
    }
};

struct Case {
    const char* name;
    FakeShell::Edge edge;
    bool nearEnd;
    WindowRect shrunk;  // the notification window's screen rectangle while hidden
    bool clockInTrayWindow;
};

// The fake's taskbars on a 1280 x 800 screen (platform/fake/fake_shell.cpp): a horizontal one
// is 30 high with a 178 x 26 notification window (one-pixel border) and a 66 x 22 clock; a
// vertical one is 60 wide with a 56 x 178 notification window and a 52 x 36 clock.
const Case kCases[] = {
    // Notification window at (1100, 772), its client area at (1101, 3) in the taskbar's. In the
    // right half: x = 1280 - (66 + 4) - 2 = 1208, y = 3, 70 x 26.
    {"BottomRightHalf", FakeShell::Edge::Bottom, false, {1208, 773, 1278, 799}, false},
    // At (2, 2), client area at (3, 3): in the left half, so x = 3.
    {"TopLeftHalf", FakeShell::Edge::Top, true, {3, 3, 73, 29}, false},
    // At (2, 620), client area at (3, 621): in the bottom half, so y = 800 - (36 + 4) - 4 =
    // 756, x = 3, its own width 56.
    {"LeftBottomHalf", FakeShell::Edge::Left, false, {3, 756, 59, 796}, true},
    // At (1222, 2), client area at (3, 3) in the taskbar at 1220: top half, y = 3.
    {"RightTopHalf", FakeShell::Edge::Right, true, {1223, 3, 1279, 43}, true},
};

TEST_F(TrayArea, EveryTaskbarEdgeShrinksTheAreaToTheClockAndCoversItWithTheTrayWindow) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        modSysTray::resetForTests();
        const FakeShell::Taskbar bar = fake.shell.makeTaskbar(c.edge, 1280, 800, c.nearEnd);
        const WindowRect clock = fake.shell.rectOf(bar.clock);
        fake.shell.resetJournal();
        backend.lockedAtRefresh.clear();

        modSysTray::HideTrayArea();

        EXPECT_EQ(fake.shell.rectOf(bar.notify), c.shrunk);
        const Hwnd tray = trayWindow();
        ASSERT_NE(tray, 0u);
        EXPECT_TRUE(modSysTray::TrayWindow()->visible());
        EXPECT_EQ(fake.shell.parentOf(tray), bar.notify);
        // It fills the shrunk window's client area, inside the one-pixel border.
        EXPECT_EQ(fake.shell.rectOf(tray), (WindowRect{c.shrunk.left + 1, c.shrunk.top + 1,
                                                       c.shrunk.right + 1, c.shrunk.bottom + 1}));
        if (c.clockInTrayWindow) {
            // The clock is painted in its new place while nothing is locked.
            EXPECT_EQ(backend.lockedAtRefresh, std::vector<Hwnd>{0});
            EXPECT_EQ(fake.shell.parentOf(bar.clock), tray);
            const WindowRect at = fake.shell.rectOf(tray);
            EXPECT_EQ(
                fake.shell.rectOf(bar.clock),
                (WindowRect{at.left, at.top, at.left + clock.width(), at.top + clock.height()}));
        } else {
            EXPECT_TRUE(backend.lockedAtRefresh.empty());
            EXPECT_EQ(fake.shell.parentOf(bar.clock), bar.notify);
        }
        // Frozen while it moved, free for a moment while the tray window went in, frozen
        // again for as long as it is hidden.
        EXPECT_EQ(fake.shell.lockCalls, (std::vector<Hwnd>{bar.notify, 0, bar.notify}));
        EXPECT_EQ(fake.shell.locked, bar.notify);
        modSysTray::RestoreTrayArea();
    }
}

TEST_F(TrayArea, RestorePutsEveryWindowBackFromTheSavedMeasurementsAndRedoesItWhenAskedAgain) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        modSysTray::resetForTests();
        const FakeShell::Taskbar bar = fake.shell.makeTaskbar(c.edge, 1280, 800, c.nearEnd);
        const Layout before = layout(bar);
        modSysTray::HideTrayArea();
        const Hwnd tray = trayWindow();
        ASSERT_NE(tray, 0u);

        modSysTray::RestoreTrayArea();
        EXPECT_EQ(layout(bar), before);
        EXPECT_EQ(modSysTray::TrayWindow(), nullptr);
        EXPECT_FALSE(fake.shell.exists(tray));
        EXPECT_EQ(fake.shell.locked, 0u);

        // Measures nothing: a restore again moves to the same saved place, even if the shell
        // moved the window meanwhile.
        fake.shell.moveWindow(bar.notify, 40, 2, 100, 26, true);
        fake.shell.resetJournal();
        modSysTray::RestoreTrayArea();
        EXPECT_EQ(layout(bar), before);
        EXPECT_EQ(fake.shell.moves.size(), c.clockInTrayWindow ? 2u : 1u);
        for (const auto& move : fake.shell.moves) EXPECT_NE(move.hwnd, 0u);
    }
}

// A run killed while the area was hidden took its tray window with it (and, on a vertical
// taskbar, the clock inside it); the next start puts the notification window back from what
// that run measured, but only on the taskbar it measured.
TEST_F(TrayArea, AnAreaAKilledRunLeftShrunkIsPutBackFromItsMeasurementsOnThatTaskbarOnly) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        modSysTray::resetForTests();
        const FakeShell::Taskbar bar = fake.shell.makeTaskbar(c.edge, 1280, 800, c.nearEnd);
        const Layout before = layout(bar);
        const modSysTray::TrayGeometry measured = modSysTray::MeasureTray();
        modSysTray::HideTrayArea();
        modSysTray::resetForTests();  // killed: nothing restored
        ASSERT_EQ(fake.shell.rectOf(bar.notify), c.shrunk);

        modSysTray::RestoreTrayArea(measured);
        EXPECT_EQ(fake.shell.rectOf(bar.notify), before.notify);
        if (!c.clockInTrayWindow) EXPECT_EQ(layout(bar), before);
    }
    const modSysTray::TrayGeometry old = modSysTray::MeasureTray();
    const FakeShell::Taskbar another = fake.shell.makeTaskbar(FakeShell::Edge::Bottom);
    fake.shell.moveWindow(another.notify, 40, 2, 100, 26, true);
    fake.shell.resetJournal();
    modSysTray::RestoreTrayArea(old);
    EXPECT_TRUE(fake.shell.moves.empty());
    EXPECT_TRUE(fake.shell.reparents.empty());
}

TEST_F(TrayArea, RestoreWithoutAnEarlierHideActsOnNothing) {
    const FakeShell::Taskbar bar = fake.shell.makeTaskbar(FakeShell::Edge::Bottom);
    const Layout before = layout(bar);
    fake.shell.resetJournal();
    modSysTray::RestoreTrayArea();
    EXPECT_EQ(fake.shell.calls, 0u);
    EXPECT_EQ(layout(bar), before);
}

TEST_F(TrayArea, ASecondHideWhileHiddenKeepsTheFirstMeasurements) {
    const FakeShell::Taskbar bar = fake.shell.makeTaskbar(FakeShell::Edge::Left);
    const Layout before = layout(bar);
    modSysTray::HideTrayArea();
    fake.shell.resetJournal();
    modSysTray::HideTrayArea();
    EXPECT_EQ(fake.shell.calls, 0u);
    EXPECT_EQ(backend.created, 1);
    modSysTray::RestoreTrayArea();
    EXPECT_EQ(layout(bar), before);
}

TEST_F(TrayArea, TheEngineHidesTheAreaOnceAndTheHotkeyTogglesItWhateverTheOptionSays) {
    const FakeShell::Taskbar bar = fake.shell.makeTaskbar(FakeShell::Edge::Bottom);
    const Layout before = layout(bar);
    modSysTray::ShellTrayArea area;
    engine::HideEngine hideEngine{area};
    settings::OO = 1;
    for (int i = 0; i < 2; ++i) {
        const Hwnd h = fake.desktop.create("Target" + std::to_string(i), "Target");
        hideEngine.HideWindow(h, "Target", ids::method::kUnderMouse);
    }
    EXPECT_TRUE(hideEngine.TrayAreaHidden);
    EXPECT_EQ(backend.created, 1);
    EXPECT_EQ(fake.shell.rectOf(bar.notify), kCases[0].shrunk);
    hideEngine.ShowAll();
    EXPECT_FALSE(hideEngine.TrayAreaHidden);
    EXPECT_EQ(layout(bar), before);

    settings::OO = 0;
    hideEngine.Hotkey(ids::hotkeyId(ids::Slot::ToggleTrayArea), 0);
    EXPECT_TRUE(hideEngine.TrayAreaHidden);
    EXPECT_NE(trayWindow(), 0u);
    hideEngine.Hotkey(ids::hotkeyId(ids::Slot::ToggleTrayArea), 0);
    EXPECT_FALSE(hideEngine.TrayAreaHidden);
    EXPECT_EQ(trayWindow(), 0u);
    EXPECT_EQ(layout(bar), before);
}

// OO switched off while a hide keeps the area empty: the next show of any kind gives it back,
// as the exit does. An area the hotkey emptied stays so through shows, as before.
TEST_F(TrayArea, AnAreaAHideEmptiedComesBackAtTheNextShowOnceTheOptionIsOff) {
    const FakeShell::Taskbar bar = fake.shell.makeTaskbar(FakeShell::Edge::Bottom);
    const Layout before = layout(bar);
    modSysTray::ShellTrayArea area;
    engine::HideEngine hideEngine{area};
    fake.desktop.addProcess("listed.exe", 50);
    modProcsKVR::ProcessHideList = {{}, {"listed.exe", "", "", ""}};
    const auto hotkey = [&](ids::Slot slot) { hideEngine.Hotkey(ids::hotkeyId(slot), 0); };
    using Hide = std::function<void()>;
    const Hide underMouse = [&] {
        for (int i = 0; i < 2; ++i) {
            const Hwnd h = fake.desktop.create("Target", "Target " + std::to_string(i));
            hideEngine.HideWindow(h, "Target", ids::method::kUnderMouse);
        }
    };
    const std::pair<Hide, std::function<void()>> cases[] = {
        {underMouse, [&] { hideEngine.ShowLast(); }},
        {underMouse, [&] { hideEngine.ShowAll(); }},
        {underMouse, [&] { hideEngine.ShowOne(0); }},
        {underMouse, [&] { hideEngine.ShowSelection({0}); }},
        {[&] { hotkey(ids::Slot::HidePrograms); }, [&] { hotkey(ids::Slot::ShowPrograms); }},
        {underMouse, [&] { hideEngine.Exit(); }},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        settings::OO = 1;
        cases[i].first();
        ASSERT_TRUE(hideEngine.TrayAreaHidden);
        ASSERT_EQ(fake.shell.rectOf(bar.notify), kCases[0].shrunk);
        settings::OO = 0;
        cases[i].second();
        EXPECT_FALSE(hideEngine.TrayAreaHidden);
        EXPECT_EQ(layout(bar), before);
        hideEngine.ShowAll();
    }

    hotkey(ids::Slot::ToggleTrayArea);
    underMouse();
    hideEngine.ShowAll();
    EXPECT_TRUE(hideEngine.TrayAreaHidden) << "the hotkey's hide is the user's to undo";
    EXPECT_EQ(fake.shell.rectOf(bar.notify), kCases[0].shrunk);
}

// Explorer started again while the area was hidden: the new taskbar's area shows in full, and
// the next hide empties it and the show after gives it back. A broadcast that comes while the
// taskbar is still the one measured changes nothing.
TEST_F(TrayArea, ANewTaskbarWhileTheAreaIsHiddenIsEmptiedByTheNextHide) {
    const FakeShell::Taskbar old = fake.shell.makeTaskbar(FakeShell::Edge::Bottom);
    modSysTray::ShellTrayArea area;
    engine::HideEngine hideEngine{area};
    frmPpal main{hideEngine};
    settings::OO = 1;
    const auto hide = [&] {
        const Hwnd h = fake.desktop.create("Target", "Target");
        hideEngine.HideWindow(h, "Target", ids::method::kUnderMouse);
    };
    hide();
    ASSERT_EQ(fake.shell.rectOf(old.notify), kCases[0].shrunk);
    main.registeredMessage(modSysTray::kTaskbarCreated);
    EXPECT_TRUE(hideEngine.TrayAreaHidden);
    EXPECT_EQ(fake.shell.rectOf(old.notify), kCases[0].shrunk);

    const FakeShell::Taskbar bar = fake.shell.restart(false);
    ASSERT_NE(bar.notify, old.notify);
    const Layout before = layout(bar);
    main.registeredMessage(modSysTray::kTaskbarCreated);
    EXPECT_FALSE(hideEngine.TrayAreaHidden);
    EXPECT_EQ(modSysTray::TrayWindow(), nullptr);
    EXPECT_EQ(fake.shell.locked, 0u);
    EXPECT_EQ(layout(bar), before);

    hide();
    EXPECT_EQ(fake.shell.rectOf(bar.notify), kCases[0].shrunk);
    EXPECT_EQ(fake.shell.parentOf(trayWindow()), bar.notify);
    hideEngine.ShowAll();
    EXPECT_EQ(layout(bar), before);
}

TEST_F(TrayArea, AShellWithoutTheTaskbarTheNotificationWindowOrTheClockIsLeftAlone) {
    enum class Missing { Taskbar, Notify, Clock };
    for (const Missing missing : {Missing::Taskbar, Missing::Notify, Missing::Clock}) {
        SCOPED_TRACE(static_cast<int>(missing));
        modSysTray::resetForTests();
        const FakeShell::Taskbar bar = fake.shell.makeTaskbar(FakeShell::Edge::Left);
        fake.shell.destroy(missing == Missing::Taskbar  ? bar.tray
                           : missing == Missing::Notify ? bar.notify
                                                        : bar.clock);
        const Layout before = layout(bar);
        fake.shell.resetJournal();

        modSysTray::HideTrayArea();
        modSysTray::RestoreTrayArea();
        modSysTray::HideTrayArea();
        modSysTray::RestoreTrayArea();

        EXPECT_TRUE(fake.shell.moves.empty());
        EXPECT_TRUE(fake.shell.reparents.empty());
        EXPECT_TRUE(fake.shell.lockCalls.empty());
        EXPECT_EQ(backend.created, 0);
        EXPECT_EQ(layout(bar), before);
    }
}

TEST_F(TrayArea, AfterTheShellLostItsAreaARestoreDoesNotReachForTheOldWindows) {
    FakeShell::Taskbar bar = fake.shell.makeTaskbar(FakeShell::Edge::Bottom);
    modSysTray::HideTrayArea();
    modSysTray::RestoreTrayArea();
    // The shell comes back without a notification window: the next hide finds none.
    fake.shell.destroy(bar.notify);
    modSysTray::HideTrayArea();
    fake.shell.resetJournal();
    modSysTray::RestoreTrayArea();
    EXPECT_EQ(fake.shell.calls, 0u);
}

}  // namespace
}  // namespace kvr
