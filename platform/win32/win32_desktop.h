// The desktop port over user32's wide functions and the Toolhelp process snapshot: window texts
// and executable names are converted between UTF-16 and UTF-8 here.
#pragma once

#include "platform/desktop.h"

namespace kvr::platform {

class Win32Desktop : public Desktop {
public:
    bool enumWindows(const std::function<bool(Hwnd)>& visit) override;
    bool enumDesktopWindows(const std::function<bool(Hwnd)>& visit) override;
    Hwnd getWindow(Hwnd h, std::uint32_t cmd) override;
    std::string getClassName(Hwnd h) override;
    int getWindowTextLength(Hwnd h) override;
    std::string getWindowText(Hwnd h) override;
    bool isWindowVisible(Hwnd h) override;
    bool isWindow(Hwnd h) override;
    bool showWindow(Hwnd h, int cmd) override;
    bool showWindowAsync(Hwnd h, int cmd) override;
    Hwnd getParent(Hwnd h) override;
    bool getCursorPos(int& x, int& y) override;
    Hwnd windowFromPoint(int x, int y) override;
    std::uint32_t getWindowThreadProcessId(Hwnd h, std::uint32_t& processId) override;
    int cascadeWindows(std::uint32_t how) override;
    int tileWindows(std::uint32_t how) override;
    std::optional<std::vector<ProcessEntry>> processSnapshot() override;
    std::string processImagePath(std::uint32_t processId) override;
    std::uint64_t processStartTime(std::uint32_t processId) override;
    std::vector<std::uint32_t> classSmallIcon(Hwnd h, int size) override;
};

}  // namespace kvr::platform
