// Works another process's dialog as a user does: its controls as the screen shows them, mouse
// clicks on them and typed text, all through the system's input queue.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace probe {

struct ChildInfo {
    HWND hwnd = nullptr;
    std::string className;
    std::string text;
    RECT rect{};  // screen coordinates
    bool visible = false;
    bool enabled = false;
};

// Every descendant of parent, in the order the system enumerates them.
std::vector<ChildInfo> childWindows(HWND parent);
// The visible descendants of that class (case-insensitive), top to bottom, then left to right.
std::vector<ChildInfo> visibleChildren(HWND parent, const std::string& className);
// The first visible descendant whose text is text, ignoring "&".
std::optional<ChildInfo> visibleChildWithText(HWND parent, const std::string& text);

// The captions of a tab control's tabs, in order; nullopt when its process's memory could not be
// used.
std::optional<std::vector<std::string>> tabTexts(HWND tabControl);

// Puts the pointer at the centre of the window and waits until it stays there.
bool pointAt(HWND hwnd);
// A left click at the centre of the window, the pointer put there first.
bool clickAt(HWND hwnd);
// Types the characters as keyboard input (each as its Unicode character).
bool typeText(const std::string& utf8);
// Brings the window to the front and waits until it is.
bool bringToFront(HWND hwnd, DWORD timeoutMs);

// A REG_DWORD value; the key is created when missing (see splitRootedKey for the key names).
bool regSetDword(const std::string& key, const std::string& name, DWORD value);

}  // namespace probe
