#include "mainwin/mod_sys_tray.h"

#include <memory>
#include <optional>

#include "base/text.h"
#include "mainwin/frm_ppal.h"
#include "mainwin/frm_sys_tray.h"
#include "platform/services.h"

namespace kvr::modSysTray {

namespace {

using platform::Hwnd;

struct State {
    // The one record, kept from the last add: a delete and a re-add reuse it.
    platform::NotifyIcon record;
    // The program shows its icon: a new shell must be given it again.
    bool iconShown = false;
    // The measurements of the last hide that found all three windows.
    std::optional<TrayGeometry> saved;
    std::unique_ptr<frmSysTray> trayWindow;
};

State& state() {
    static State s;
    return s;
}

constexpr std::uint32_t kIconId = 1;

}  // namespace

void AddTrayIcon(frmPpal& window, const ui::PictureBox& receiver, const std::string& tip) {
    platform::NotifyIcon& record = state().record;
    const ui::Picture& picture = window.picIcon16.picture();
    record.window = receiver.hWnd();
    record.id = kIconId;
    record.flags = platform::nif::kMessage | platform::nif::kIcon | platform::nif::kTip;
    record.callbackMessage = ui::PictureBox::kTrayCallbackMessage;
    record.iconSize = picture.width;
    record.icon = picture.pixels;
    record.tip = text::characters(tip, 0, kTipCharacters);
    auto& shell = platform::shell();
    // An icon left from before (a shell that kept it) takes the new picture and tip.
    if (!shell.notifyIcon(platform::nim::kAdd, record))
        shell.notifyIcon(platform::nim::kModify, record);
    state().iconShown = true;
}

void RemoveTrayIcon(Hwnd receiver) {
    platform::NotifyIcon& record = state().record;
    record.window = receiver;
    record.id = kIconId;
    platform::shell().notifyIcon(platform::nim::kDelete, record);
    state().iconShown = false;
}

bool IconShown() {
    return state().iconShown;
}

namespace {

// The taskbar and notification window the last hide measured are still the shell's.
bool sameTaskbar(const TrayGeometry& g) {
    auto& shell = platform::shell();
    const Hwnd tray = shell.findWindow("Shell_TrayWnd");
    return tray != 0 && tray == g.tray && shell.findWindowEx(tray, 0, "TrayNotifyWnd") == g.notify;
}

}  // namespace

bool TaskbarCreated() {
    State& s = state();
    auto& shell = platform::shell();
    if (s.iconShown) {
        // Windows' new shell has forgotten the icon; Wine's still holds it and refuses the add.
        if (!shell.notifyIcon(platform::nim::kAdd, s.record))
            shell.notifyIcon(platform::nim::kModify, s.record);
    }
    if (s.saved && sameTaskbar(*s.saved)) return false;
    // The tray window went with the old notification window; the lock on it goes too.
    if (s.trayWindow) {
        shell.lockWindowUpdate(0);
        s.trayWindow->unload();
        s.trayWindow.reset();
    }
    s.saved.reset();
    return true;
}

TrayGeometry MeasureTray() {
    auto& shell = platform::shell();
    TrayGeometry g;
    g.tray = shell.findWindow("Shell_TrayWnd");
    if (g.tray) g.notify = shell.findWindowEx(g.tray, 0, "TrayNotifyWnd");
    if (g.notify) g.clock = shell.findWindowEx(g.notify, 0, "TrayClockWClass");
    if (!g.complete()) return g;
    shell.getWindowRect(g.tray, g.trayRect);
    shell.getWindowRect(g.notify, g.notifyRect);
    shell.getWindowRect(g.clock, g.clockRect);
    g.notifyX = g.notifyRect.left;
    g.notifyY = g.notifyRect.top;
    shell.mapWindowPoints(0, g.tray, g.notifyX, g.notifyY);
    g.clockX = g.clockRect.left;
    g.clockY = g.clockRect.top;
    shell.mapWindowPoints(0, g.notify, g.clockX, g.clockY);
    return g;
}

namespace {

bool vertical(const TrayGeometry& g) {
    return g.trayRect.height() >= g.trayRect.width();
}

}  // namespace

void HideTrayArea() {
    State& s = state();
    // Measuring the shrunk area would lose where it belongs.
    if (s.trayWindow) return;
    const TrayGeometry g = MeasureTray();
    if (!g.complete()) {
        // No notification area to hide (Wine, some shells), or the one measured before is gone.
        s.saved.reset();
        return;
    }
    s.saved = g;
    auto& shell = platform::shell();
    auto& system = platform::system();
    const int w = g.trayRect.width();
    const int h = g.trayRect.height();
    int px = 0, py = 0;
    shell.mapWindowPoints(g.notify, g.tray, px, py);
    int x = 0, y = 0, width = 0, height = 0;
    if (!vertical(g)) {
        width = g.clockRect.width() + 4;
        height = g.clockRect.height() + 4;
        y = py;
        // Kept at the end of the taskbar the area was at.
        x = w / 2 >= g.notifyRect.left ? px : system.screenWidth() - width - 2;
    } else {
        x = px;
        width = g.notifyRect.width();
        height = g.clockRect.height() + 4;
        y = h / 2 >= g.notifyRect.top ? py : system.screenHeight() - height - 4;
    }
    shell.lockWindowUpdate(g.notify);
    shell.moveWindow(g.notify, x, y, width, height, true);

    s.trayWindow = std::make_unique<frmSysTray>();
    frmSysTray& tray = *s.trayWindow;
    tray.load();
    const Hwnd trayHandle = tray.hWnd();
    if (trayHandle) {
        shell.setParent(trayHandle, g.notify);
        shell.moveWindow(trayHandle, 0, 0, width, height, true);
    }
    tray.show();
    if (vertical(g) && trayHandle) {
        shell.setParent(g.clock, trayHandle);
        shell.moveWindow(g.clock, 0, 0, g.clockRect.width(), g.clockRect.height(), true);
    }
    shell.lockWindowUpdate(0);
    // The clock paints in its new place before the area is frozen again. Painting, rather than
    // running every pending message, keeps the operation that hides from being entered again.
    if (vertical(g)) tray.refresh();
    shell.lockWindowUpdate(g.notify);
}

void RestoreTrayArea() {
    State& s = state();
    if (!s.saved) return;
    const TrayGeometry& g = *s.saved;
    auto& shell = platform::shell();
    shell.lockWindowUpdate(0);
    if (shell.setParent(g.clock, g.notify) != 0 && vertical(g))
        shell.moveWindow(g.clock, g.clockX, g.clockY, g.clockRect.width(), g.clockRect.height(),
                         true);
    if (s.trayWindow) {
        s.trayWindow->unload();
        s.trayWindow.reset();
    }
    shell.moveWindow(g.notify, g.notifyX, g.notifyY, g.notifyRect.width(), g.notifyRect.height(),
                     true);
}

void RestoreTrayArea(const TrayGeometry& measured) {
    auto& shell = platform::shell();
    if (!measured.complete() || shell.findWindow("Shell_TrayWnd") != measured.tray ||
        shell.findWindowEx(measured.tray, 0, "TrayNotifyWnd") != measured.notify) {
        return;
    }
    state().saved = measured;
    RestoreTrayArea();
}

TrayGeometry ShellTrayArea::MeasureTrayArea() {
    // Shrunk, the area measures as the hide left it; where it belongs is what the hide found.
    const State& s = state();
    return s.trayWindow && s.saved ? *s.saved : MeasureTray();
}

frmSysTray* TrayWindow() {
    return state().trayWindow.get();
}

void resetForTests() {
    State& s = state();
    if (s.trayWindow) s.trayWindow->unload();
    s = State{};
}

}  // namespace kvr::modSysTray
