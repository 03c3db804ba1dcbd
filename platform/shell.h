// Shell port: the notification-area icon (Shell_NotifyIcon) and the calls that find, measure
// and rearrange the taskbar's windows, in the shape of their shell32 and user32 originals.
// Acting on a handle that is 0 or no longer a window does nothing and answers false or 0.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/types.h"

namespace kvr::platform {

// Shell_NotifyIcon messages.
namespace nim {
inline constexpr std::uint32_t kAdd = 0;
inline constexpr std::uint32_t kModify = 1;
inline constexpr std::uint32_t kDelete = 2;
}  // namespace nim

// Which fields of a NotifyIcon count.
namespace nif {
inline constexpr std::uint32_t kMessage = 1;
inline constexpr std::uint32_t kIcon = 2;
inline constexpr std::uint32_t kTip = 4;
}  // namespace nif

// The fields of NOTIFYICONDATA the program fills.
struct NotifyIcon {
    Hwnd window = 0;  // receives the callback message
    std::uint32_t id = 0;
    std::uint32_t flags = 0;
    std::uint32_t callbackMessage = 0;
    // iconSize x iconSize pixels, 32-bit BGRA with straight alpha, top row first; empty for
    // none.
    int iconSize = 0;
    std::vector<std::uint32_t> icon;
    // UTF-8. The adapter cuts what its field cannot hold, never inside a character.
    std::string tip;
};

// A rectangle as RECT holds it: right and bottom exclusive.
struct WindowRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool operator==(const WindowRect&) const = default;
};

class Shell {
public:
    virtual ~Shell() = default;

    // Shell_NotifyIcon with an nim:: message; false when the shell refused it (an add of an
    // icon that exists, a modify or delete of one that does not).
    virtual bool notifyIcon(std::uint32_t message, const NotifyIcon& data) = 0;

    // FindWindow by class name alone: a top-level window, 0 for none.
    virtual Hwnd findWindow(const std::string& className) = 0;
    // FindWindowEx by class name: the next child of parent after childAfter (0: the first).
    virtual Hwnd findWindowEx(Hwnd parent, Hwnd childAfter, const std::string& className) = 0;
    // GetWindowRect, in screen coordinates.
    virtual bool getWindowRect(Hwnd h, WindowRect& rect) = 0;
    // GetClientRect: left and top are 0.
    virtual bool getClientRect(Hwnd h, WindowRect& rect) = 0;
    // MapWindowPoints for one point, from the client area of one window to another's; 0 stands
    // for the screen.
    virtual bool mapWindowPoints(Hwnd from, Hwnd to, int& x, int& y) = 0;
    // MoveWindow: a child's position is in its parent's client coordinates.
    virtual bool moveWindow(Hwnd h, int x, int y, int width, int height, bool repaint) = 0;
    // SetParent; returns the previous parent, 0 on failure. The window keeps its position
    // in client coordinates, now its new parent's.
    virtual Hwnd setParent(Hwnd child, Hwnd newParent) = 0;
    // LockWindowUpdate: one window at a time; 0 unlocks. False when another window is locked.
    virtual bool lockWindowUpdate(Hwnd h) = 0;
    // GetWindowThreadProcessId: who draws the window (the taskbar's: the shell's process).
    // Returns the thread's id and sets processId; 0 and 0 for a handle that is no window.
    virtual std::uint32_t getWindowThreadProcessId(Hwnd h, std::uint32_t& processId) = 0;
};

}  // namespace kvr::platform
