// An in-memory shell: the notification area's icons, and the windows the shell port finds,
// measures and moves, with the taskbar laid out along any edge of the screen as Windows lays it
// out. Positions are kept in screen coordinates; a child's client area starts inside its border,
// and moving or re-parenting a window carries its children along. Its fidelity to Win32 is held
// by the contract tests.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/shell.h"

namespace kvr::platform {

class FakeShell : public Shell {
public:
    bool notifyIcon(std::uint32_t message, const NotifyIcon& data) override;
    Hwnd findWindow(const std::string& className) override;
    Hwnd findWindowEx(Hwnd parent, Hwnd childAfter, const std::string& className) override;
    bool getWindowRect(Hwnd h, WindowRect& rect) override;
    bool getClientRect(Hwnd h, WindowRect& rect) override;
    bool mapWindowPoints(Hwnd from, Hwnd to, int& x, int& y) override;
    bool moveWindow(Hwnd h, int x, int y, int width, int height, bool repaint) override;
    Hwnd setParent(Hwnd child, Hwnd newParent) override;
    bool lockWindowUpdate(Hwnd h) override;
    // Every window here is the shell's, drawn by processId's thread processId + 4.
    std::uint32_t getWindowThreadProcessId(Hwnd h, std::uint32_t& processId) override;

    // Arranging, as the shell and other programs would; not counted as port calls.
    // rect is in screen coordinates; border is the frame's width on every side.
    Hwnd create(std::string className, Hwnd parent, WindowRect rect, int border = 0);
    // As DestroyWindow: the children go with it.
    void destroy(Hwnd h);
    bool exists(Hwnd h) const { return windows_.count(h) != 0; }
    Hwnd parentOf(Hwnd h) const;
    // Screen rectangle; an empty one for a handle that is no window.
    WindowRect rectOf(Hwnd h) const;

    enum class Edge { Bottom, Top, Left, Right };
    struct Taskbar {
        Hwnd tray = 0;    // "Shell_TrayWnd"
        Hwnd notify = 0;  // "TrayNotifyWnd", a child of the taskbar with a one-pixel border
        Hwnd clock = 0;   // "TrayClockWClass", a child of the notification window
    };
    // Replaces any taskbar by one along that edge of a screen of the given size. The
    // notification window sits at the far end (right or bottom), or at the near end when
    // nearEnd is set, as right-to-left layouts put it.
    Taskbar makeTaskbar(Edge edge, int screenWidth = 1280, int screenHeight = 800,
                        bool nearEnd = false);

    std::uint32_t processId = 32;
    // The icons the notification area holds now, by (window, id).
    std::map<std::pair<Hwnd, std::uint32_t>, NotifyIcon> icons;
    // Explorer started again. Windows forgets every icon; Wine keeps them. A taskbar made
    // before goes, with every window inside it, and a new one with new handles takes its place,
    // laid out as the old one was when it was made.
    Taskbar restart(bool iconsSurvive);

    // What the code under test did through the port.
    struct Move {
        Hwnd hwnd = 0;
        int x = 0, y = 0, width = 0, height = 0;
        bool repaint = false;
    };
    struct Reparent {
        Hwnd child = 0;
        Hwnd parent = 0;
    };
    std::size_t calls = 0;  // every port call
    std::vector<std::pair<std::uint32_t, NotifyIcon>> notifyCalls;
    std::vector<Move> moves;          // stale and 0 handles too
    std::vector<Reparent> reparents;  // stale and 0 handles too
    std::vector<Hwnd> lockCalls;      // the argument of each call
    Hwnd locked = 0;                  // the window LockWindowUpdate holds now
    void resetJournal();

private:
    struct Window {
        std::string className;
        Hwnd parent = 0;
        WindowRect rect;
        int border = 0;
        std::vector<Hwnd> children;  // in creation order
    };
    const Window* find(Hwnd h) const;
    // Screen position of the client area's top left; the screen's own for 0.
    bool clientOrigin(Hwnd h, int& x, int& y) const;
    void shift(Hwnd h, int dx, int dy);
    std::vector<Hwnd>& siblingsOf(Hwnd parent);

    std::map<Hwnd, Window> windows_;
    std::vector<Hwnd> topLevel_;
    Taskbar taskbar_;
    struct Layout {
        Edge edge = Edge::Bottom;
        int screenWidth = 0, screenHeight = 0;
        bool nearEnd = false;
    };
    Layout layout_;
    Hwnd nextHandle_ = 0x00020040;
};

}  // namespace kvr::platform
