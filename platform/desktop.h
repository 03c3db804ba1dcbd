// Desktop port: the window manager and process list calls the hiding engine makes, in the shape
// of their user32 and kernel32 originals. Texts are UTF-8. Every reader answers a handle that is
// 0 or no longer a window with "", 0 or false, as Win32 does, and acting on one does nothing.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/types.h"

namespace kvr::platform {

// GetWindow commands.
namespace gw {
inline constexpr std::uint32_t kHwndFirst = 0;
inline constexpr std::uint32_t kHwndLast = 1;
inline constexpr std::uint32_t kHwndNext = 2;
inline constexpr std::uint32_t kHwndPrev = 3;
inline constexpr std::uint32_t kOwner = 4;
inline constexpr std::uint32_t kChild = 5;
}  // namespace gw

// ShowWindow commands.
namespace sw {
inline constexpr int kHide = 0;
inline constexpr int kShowNormal = 1;
inline constexpr int kShowNoActivate = 4;
inline constexpr int kShow = 5;
inline constexpr int kShowNa = 8;
}  // namespace sw

// How-flags of TileWindows.
namespace mditile {
inline constexpr std::uint32_t kVertical = 0;    // side by side
inline constexpr std::uint32_t kHorizontal = 1;  // stacked
}  // namespace mditile

// One entry of a Toolhelp process snapshot.
struct ProcessEntry {
    std::string exeFile;  // szExeFile: a bare file name on some systems, a full path on others
    std::uint32_t processId = 0;
};

class Desktop {
public:
    virtual ~Desktop() = default;

    // EnumWindows: calls visit for every top-level window, visible or not, top of the Z-order
    // first, until visit returns false. False when the walk could not be made.
    virtual bool enumWindows(const std::function<bool(Hwnd)>& visit) = 0;
    // EnumDesktopWindows on this thread's desktop: the same windows in the same order, from one
    // list taken first, except that a window destroyed meanwhile may still be visited (its handle
    // reads as gone). Where EnumWindows asks the window server about every window again (Wine),
    // this costs one request for the whole list: the walk for a timer.
    virtual bool enumDesktopWindows(const std::function<bool(Hwnd)>& visit) = 0;
    // GetWindow with a gw:: command. For kHwndFirst/kHwndNext the level is the window's own:
    // top-level windows (owned pop-ups included) or the children of its parent.
    virtual Hwnd getWindow(Hwnd h, std::uint32_t cmd) = 0;
    virtual std::string getClassName(Hwnd h) = 0;
    // Length in UTF-16 units, as GetWindowTextLengthW counts: a message to the window, which
    // waits for its program. getWindowText reads the title the window manager keeps, without
    // one, whichever program or thread the window belongs to.
    virtual int getWindowTextLength(Hwnd h) = 0;
    virtual std::string getWindowText(Hwnd h) = 0;
    // True when the window and every parent up to the desktop are shown (owners do not count).
    virtual bool isWindowVisible(Hwnd h) = 0;
    virtual bool isWindow(Hwnd h) = 0;
    // With an sw:: command; true when the window was visible before the call. A window whose
    // thread does not answer gets the command as showWindowAsync would give it.
    virtual bool showWindow(Hwnd h, int cmd) = 0;
    // ShowWindowAsync: the window's own thread carries the command out, and the caller does not
    // wait for it, so a program that does not answer cannot hold the caller up. A window of the
    // calling thread changes at once. False for a handle that is no window.
    virtual bool showWindowAsync(Hwnd h, int cmd) = 0;
    // The parent of a child window, the owner of an owned pop-up, else 0.
    virtual Hwnd getParent(Hwnd h) = 0;
    // Screen coordinates; false when the position cannot be read.
    virtual bool getCursorPos(int& x, int& y) = 0;
    // The deepest visible window under a screen point, 0 for none.
    virtual Hwnd windowFromPoint(int x, int y) = 0;
    // Returns the creating thread's id and sets processId; 0 and 0 for a handle that is gone.
    virtual std::uint32_t getWindowThreadProcessId(Hwnd h, std::uint32_t& processId) = 0;
    // CascadeWindows / TileWindows over the desktop's windows: no rectangle, no child list.
    // Return the number of windows arranged.
    virtual int cascadeWindows(std::uint32_t how) = 0;
    virtual int tileWindows(std::uint32_t how) = 0;
    // CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS) walked to the end; nullopt when no snapshot
    // could be taken.
    virtual std::optional<std::vector<ProcessEntry>> processSnapshot() = 0;
    // QueryFullProcessImageNameW: the full path of a process's executable, from the system's
    // record of the process (the file is not touched); "" when the process cannot be opened
    // (another user's, a protected one) or has ended.
    virtual std::string processImagePath(std::uint32_t processId) = 0;
    // When the process with that id started (GetProcessTimes' creation time, in 100 ns units
    // since 1601): an id is given to another process once its own has ended, a start never.
    // 0 when no such process runs, or it may not be asked.
    virtual std::uint64_t processStartTime(std::uint32_t processId) = 0;

    // The small icon of the window's class (GetClassLongPtr with GCLP_HICONSM) drawn at
    // size x size: 32-bit BGRA pixels, straight alpha, top row first. Empty when the class has
    // no small icon or the handle is no window. Where the system does not give another
    // process's class icon (Wine), the small icon of the window's program stands for it.
    virtual std::vector<std::uint32_t> classSmallIcon(Hwnd h, int size) = 0;
};

}  // namespace kvr::platform
