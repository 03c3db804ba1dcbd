// Reads a tree view of another process: its items with their texts, depths and images, and
// where an item stands on the screen, so that a test can click it as a user would.
#pragma once

// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <optional>
#include <string>
#include <vector>

namespace probe {

struct TreeItem {
    HTREEITEM item = nullptr;
    std::string text;
    int depth = 0;  // 0 for the items at the top
    int image = 0;  // the image index (0-based); I_IMAGENONE for none
    bool selected = false;
    bool expanded = false;
};

// Every item of the tree, depth first in the order shown (closed items' children too); nullopt
// when the other process's memory could not be used.
std::optional<std::vector<TreeItem>> treeViewItems(HWND tree);
// The rectangle of the item's text in screen coordinates; nullopt when it is not shown.
std::optional<RECT> treeViewItemRect(HWND tree, HTREEITEM item);

}  // namespace probe
