#include "engine/mod_ventanas.h"

#include "engine/mod_cadenas.h"
#include "platform/desktop.h"
#include "platform/services.h"

namespace kvr::modVentanas {

std::vector<Hwnd> TopWindows(1, 0);

namespace {

bool EnumTopWindowsProc(Hwnd h, std::int32_t /*lParam*/) {
    TopWindows.push_back(h);
    return true;
}

}  // namespace

void resetForTests() {
    TopWindows.assign(1, 0);
}

int CascadeAll(std::uint32_t how) {
    return platform::desktop().cascadeWindows(how);
}

int TileAll(std::uint32_t how) {
    return platform::desktop().tileWindows(how);
}

std::string GetWindowClass(Hwnd h) {
    return platform::desktop().getClassName(h);
}

Hwnd GetRootWindow(Hwnd h) {
    Hwnd root = 0;
    while (h != 0) {
        root = h;
        h = platform::desktop().getParent(h);
    }
    return root;
}

int EnumTopWindows(std::int32_t lParam) {
    TopWindows.assign(1, 0);
    const bool ok =
        platform::desktop().enumWindows([lParam](Hwnd h) { return EnumTopWindowsProc(h, lParam); });
    return ok ? 1 : 0;
}

std::vector<ClassWindow> ListWindowsOfClass(Hwnd start, const std::string& classPrefix) {
    if (classPrefix.empty()) return {};
    platform::Desktop& desktop = platform::desktop();
    std::vector<ClassWindow> list(1);
    for (Hwnd h = desktop.getWindow(start, platform::gw::kHwndFirst); h != 0;
         h = desktop.getWindow(h, platform::gw::kHwndNext)) {
        if (!modCadenas::MatchText(classPrefix, desktop.getClassName(h), 0, 0)) continue;
        ClassWindow& record = list.back();
        record.title = GetWindowTitle(h);
        record.visible = desktop.isWindowVisible(h) ? 1 : 0;
        record.hwnd = h;
        record.threadId = desktop.getWindowThreadProcessId(h, record.processId);
        list.emplace_back();
    }
    return list;
}

void ShowHideWindow(Hwnd h, bool hide) {
    platform::desktop().showWindow(h, hide ? platform::sw::kHide : platform::sw::kShow);
}

std::string GetWindowTitle(Hwnd h) {
    // Without asking the length first: that is a message to the window's program.
    return platform::desktop().getWindowText(h);
}

Hwnd WindowUnderCursor() {
    int x = 0;
    int y = 0;
    if (!platform::desktop().getCursorPos(x, y)) return 0;
    return platform::desktop().windowFromPoint(x, y);
}

bool WindowIsVisible(Hwnd h) {
    return platform::desktop().isWindowVisible(h);
}

}  // namespace kvr::modVentanas
