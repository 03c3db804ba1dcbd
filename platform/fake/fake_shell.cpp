#include "platform/fake/fake_shell.h"

#include <algorithm>

#include "base/text.h"

namespace kvr::platform {

namespace {

// Class names compare as Windows compares them: without regard to case.
bool sameClass(const std::string& a, const std::string& b) {
    return text::decodeFolded(a) == text::decodeFolded(b);
}

}  // namespace

const FakeShell::Window* FakeShell::find(Hwnd h) const {
    const auto it = windows_.find(h);
    return it == windows_.end() ? nullptr : &it->second;
}

Hwnd FakeShell::parentOf(Hwnd h) const {
    const Window* w = find(h);
    return w ? w->parent : 0;
}

WindowRect FakeShell::rectOf(Hwnd h) const {
    const Window* w = find(h);
    return w ? w->rect : WindowRect{};
}

std::vector<Hwnd>& FakeShell::siblingsOf(Hwnd parent) {
    return parent == 0 ? topLevel_ : windows_.at(parent).children;
}

bool FakeShell::clientOrigin(Hwnd h, int& x, int& y) const {
    if (h == 0) {
        x = y = 0;
        return true;
    }
    const Window* w = find(h);
    if (!w) return false;
    x = w->rect.left + w->border;
    y = w->rect.top + w->border;
    return true;
}

void FakeShell::shift(Hwnd h, int dx, int dy) {
    Window& w = windows_.at(h);
    w.rect.left += dx;
    w.rect.right += dx;
    w.rect.top += dy;
    w.rect.bottom += dy;
    for (const Hwnd child : w.children) shift(child, dx, dy);
}

Hwnd FakeShell::create(std::string className, Hwnd parent, WindowRect rect, int border) {
    if (parent != 0 && !find(parent)) return 0;
    const Hwnd h = nextHandle_;
    nextHandle_ += 4;
    windows_[h] = Window{std::move(className), parent, rect, border, {}};
    siblingsOf(parent).push_back(h);
    return h;
}

void FakeShell::destroy(Hwnd h) {
    const Window* w = find(h);
    if (!w) return;
    for (const Hwnd child : std::vector<Hwnd>(w->children)) destroy(child);
    auto& siblings = siblingsOf(w->parent);
    siblings.erase(std::remove(siblings.begin(), siblings.end(), h), siblings.end());
    if (locked == h) locked = 0;
    windows_.erase(h);
}

FakeShell::Taskbar FakeShell::makeTaskbar(Edge edge, int screenWidth, int screenHeight,
                                          bool nearEnd) {
    destroy(taskbar_.tray);
    layout_ = {edge, screenWidth, screenHeight, nearEnd};
    const bool horizontal = edge == Edge::Bottom || edge == Edge::Top;
    // Sizes of a taskbar of the classic look: 30 pixels high, or 60 wide when vertical.
    WindowRect tray;
    WindowRect notify;
    WindowRect clock;
    if (horizontal) {
        const int top = edge == Edge::Bottom ? screenHeight - 30 : 0;
        tray = {0, top, screenWidth, top + 30};
        const int left = nearEnd ? 2 : screenWidth - 180;
        notify = {left, top + 2, left + 178, top + 28};
        clock = {left + 110, top + 4, left + 176, top + 26};
    } else {
        const int left = edge == Edge::Right ? screenWidth - 60 : 0;
        tray = {left, 0, left + 60, screenHeight};
        const int top = nearEnd ? 2 : screenHeight - 180;
        notify = {left + 2, top, left + 58, top + 178};
        clock = {left + 4, top + 140, left + 56, top + 176};
    }
    taskbar_.tray = create("Shell_TrayWnd", 0, tray);
    taskbar_.notify = create("TrayNotifyWnd", taskbar_.tray, notify, 1);
    taskbar_.clock = create("TrayClockWClass", taskbar_.notify, clock);
    return taskbar_;
}

FakeShell::Taskbar FakeShell::restart(bool iconsSurvive) {
    if (!iconsSurvive) icons.clear();
    if (!exists(taskbar_.tray)) return taskbar_ = {};
    return makeTaskbar(layout_.edge, layout_.screenWidth, layout_.screenHeight, layout_.nearEnd);
}

void FakeShell::resetJournal() {
    calls = 0;
    notifyCalls.clear();
    moves.clear();
    reparents.clear();
    lockCalls.clear();
}

bool FakeShell::notifyIcon(std::uint32_t message, const NotifyIcon& data) {
    ++calls;
    notifyCalls.emplace_back(message, data);
    const auto key = std::make_pair(data.window, data.id);
    const auto it = icons.find(key);
    switch (message) {
        case nim::kAdd:
            if (it != icons.end()) return false;
            icons.emplace(key, data);
            return true;
        case nim::kModify: {
            if (it == icons.end()) return false;
            NotifyIcon& icon = it->second;
            if (data.flags & nif::kMessage) icon.callbackMessage = data.callbackMessage;
            if (data.flags & nif::kIcon) {
                icon.iconSize = data.iconSize;
                icon.icon = data.icon;
            }
            if (data.flags & nif::kTip) icon.tip = data.tip;
            icon.flags |= data.flags;
            return true;
        }
        case nim::kDelete:
            if (it == icons.end()) return false;
            icons.erase(it);
            return true;
        default:
            return false;
    }
}

Hwnd FakeShell::findWindow(const std::string& className) {
    ++calls;
    for (const Hwnd h : topLevel_)
        if (sameClass(windows_.at(h).className, className)) return h;
    return 0;
}

Hwnd FakeShell::findWindowEx(Hwnd parent, Hwnd childAfter, const std::string& className) {
    ++calls;
    if (parent != 0 && !find(parent)) return 0;
    const auto& level = siblingsOf(parent);
    auto it = level.begin();
    if (childAfter != 0) {
        it = std::find(level.begin(), level.end(), childAfter);
        if (it == level.end()) return 0;
        ++it;
    }
    for (; it != level.end(); ++it)
        if (sameClass(windows_.at(*it).className, className)) return *it;
    return 0;
}

bool FakeShell::getWindowRect(Hwnd h, WindowRect& rect) {
    ++calls;
    const Window* w = find(h);
    if (!w) return false;
    rect = w->rect;
    return true;
}

bool FakeShell::getClientRect(Hwnd h, WindowRect& rect) {
    ++calls;
    const Window* w = find(h);
    if (!w) return false;
    rect = {0, 0, std::max(0, w->rect.width() - 2 * w->border),
            std::max(0, w->rect.height() - 2 * w->border)};
    return true;
}

bool FakeShell::mapWindowPoints(Hwnd from, Hwnd to, int& x, int& y) {
    ++calls;
    int fromX = 0, fromY = 0, toX = 0, toY = 0;
    if (!clientOrigin(from, fromX, fromY) || !clientOrigin(to, toX, toY)) return false;
    x += fromX - toX;
    y += fromY - toY;
    return true;
}

bool FakeShell::moveWindow(Hwnd h, int x, int y, int width, int height, bool repaint) {
    ++calls;
    moves.push_back({h, x, y, width, height, repaint});
    const Window* w = find(h);
    if (!w) return false;
    int originX = 0, originY = 0;
    clientOrigin(w->parent, originX, originY);
    shift(h, originX + x - w->rect.left, originY + y - w->rect.top);
    Window& moved = windows_.at(h);
    moved.rect.right = moved.rect.left + std::max(0, width);
    moved.rect.bottom = moved.rect.top + std::max(0, height);
    return true;
}

Hwnd FakeShell::setParent(Hwnd child, Hwnd newParent) {
    ++calls;
    reparents.push_back({child, newParent});
    const Window* w = find(child);
    if (!w || (newParent != 0 && !find(newParent)) || newParent == child) return 0;
    for (Hwnd up = newParent; up != 0; up = windows_.at(up).parent)
        if (up == child) return 0;  // a window cannot go inside itself
    const Hwnd previous = w->parent;
    int oldX = 0, oldY = 0, newX = 0, newY = 0;
    clientOrigin(previous, oldX, oldY);
    clientOrigin(newParent, newX, newY);
    auto& from = siblingsOf(previous);
    from.erase(std::remove(from.begin(), from.end(), child), from.end());
    windows_.at(child).parent = newParent;
    siblingsOf(newParent).push_back(child);
    // Same place in client coordinates, now the new parent's.
    shift(child, newX - oldX, newY - oldY);
    return previous;
}

bool FakeShell::lockWindowUpdate(Hwnd h) {
    ++calls;
    lockCalls.push_back(h);
    if (h == 0) {
        locked = 0;
        return true;
    }
    if (!find(h) || locked != 0) return false;
    locked = h;
    return true;
}

std::uint32_t FakeShell::getWindowThreadProcessId(Hwnd h, std::uint32_t& process) {
    ++calls;
    process = find(h) != nullptr ? processId : 0;
    return process != 0 ? process + 4 : 0;
}

}  // namespace kvr::platform
