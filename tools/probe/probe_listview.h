// Reads a list view of another process: its rows with every column's text.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace probe {

// The first list view (SysListView32) among the window's children, nullptr if none.
HWND findListView(HWND parent);
// Rows of the list view, each the texts of its first `columns` columns; nullopt when the
// other process's memory could not be used.
std::optional<std::vector<std::vector<std::string>>> listViewRows(HWND listView, int columns);
// The small-icon index of every row (I_IMAGENONE for a row without one); nullopt when the other
// process's memory could not be used.
std::optional<std::vector<int>> listViewImages(HWND listView);

}  // namespace probe
