// Reading and moving other programs' windows: class and title, the window under the mouse and
// its root, the top-level list, the windows of one class, show and hide, cascade and tile.
// Nothing here fails loudly: a window that is gone reads as "", 0 or false.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/types.h"

namespace kvr::modVentanas {

using platform::Hwnd;

// One window found by ListWindowsOfClass. The trailing record of a list is all empty.
struct ClassWindow {
    std::string title;
    int visible = 0;  // 1 when the window was visible
    Hwnd hwnd = 0;
    std::uint32_t processId = 0;
    std::uint32_t threadId = 0;
};

// Top-level windows of the last EnumTopWindows in Z-order, top first, from slot 1. Slot 0
// always exists and holds 0; callers reset the list to that single slot after use.
extern std::vector<Hwnd> TopWindows;

// Back to the state before the first enumeration.
void resetForTests();

// how is CascadeWindows' flag (the callers pass 0); returns the count arranged.
int CascadeAll(std::uint32_t how);
// how: 0 side by side, 1 stacked; returns the count arranged.
int TileAll(std::uint32_t how);
std::string GetWindowClass(Hwnd h);
// The last window reached through GetParent, which climbs from an owned pop-up to its owner.
Hwnd GetRootWindow(Hwnd h);
// Refills TopWindows with every top-level window, visible or not; lParam is handed to the
// enumeration callback. Non-zero on success.
int EnumTopWindows(std::int32_t lParam);
// Windows of start's Z-order level whose class begins with classPrefix (case-sensitive), top
// first, invisible ones included, then one empty record. An empty prefix gives an empty list
// without looking at any window.
std::vector<ClassWindow> ListWindowsOfClass(Hwnd start, const std::string& classPrefix);
void ShowHideWindow(Hwnd h, bool hide);
std::string GetWindowTitle(Hwnd h);
// 0 when the mouse position cannot be read.
Hwnd WindowUnderCursor();
bool WindowIsVisible(Hwnd h);

}  // namespace kvr::modVentanas
