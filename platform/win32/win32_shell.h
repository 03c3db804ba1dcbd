// The shell port over Shell_NotifyIconW and the user32 calls on the taskbar's windows.
#pragma once

#include "platform/shell.h"

namespace kvr::platform {

class Win32Shell : public Shell {
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
    std::uint32_t getWindowThreadProcessId(Hwnd h, std::uint32_t& processId) override;
};

}  // namespace kvr::platform
