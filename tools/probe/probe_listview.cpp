#include "probe_listview.h"

#include <commctrl.h>

#include "probe.h"

namespace probe {

HWND findListView(HWND parent) {
    return FindWindowExW(parent, nullptr, WC_LISTVIEWW, nullptr);
}

std::optional<std::vector<std::vector<std::string>>> listViewRows(HWND listView, int columns) {
    DWORD pid = 0;
    GetWindowThreadProcessId(listView, &pid);
    HANDLE process =
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!process) return std::nullopt;
    // The messages carry pointers, so the item record and its text buffer must live in the
    // list view's own process.
    constexpr int kChars = 512;
    const SIZE_T size = sizeof(LVITEMW) + kChars * sizeof(wchar_t);
    auto* remote = static_cast<char*>(
        VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    if (!remote) {
        CloseHandle(process);
        return std::nullopt;
    }
    std::vector<std::vector<std::string>> rows;
    const int count = static_cast<int>(SendMessageW(listView, LVM_GETITEMCOUNT, 0, 0));
    bool ok = true;
    for (int row = 0; row < count && ok; ++row) {
        std::vector<std::string> texts;
        for (int column = 0; column < columns && ok; ++column) {
            LVITEMW item{};
            item.mask = LVIF_TEXT;
            item.iSubItem = column;
            item.pszText = reinterpret_cast<LPWSTR>(remote + sizeof(LVITEMW));
            item.cchTextMax = kChars;
            wchar_t text[kChars] = {};
            SIZE_T moved = 0;
            ok = WriteProcessMemory(process, remote, &item, sizeof item, &moved) &&
                 SendMessageW(listView, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(remote)) >=
                     0 &&
                 ReadProcessMemory(process, remote + sizeof(LVITEMW), text, sizeof text, &moved);
            text[kChars - 1] = L'\0';
            texts.push_back(narrow(text));
        }
        rows.push_back(std::move(texts));
    }
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    if (!ok) return std::nullopt;
    return rows;
}

std::optional<std::vector<int>> listViewImages(HWND listView) {
    DWORD pid = 0;
    GetWindowThreadProcessId(listView, &pid);
    HANDLE process =
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!process) return std::nullopt;
    auto* remote = static_cast<char*>(VirtualAllocEx(process, nullptr, sizeof(LVITEMW),
                                                     MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    if (!remote) {
        CloseHandle(process);
        return std::nullopt;
    }
    std::vector<int> images;
    const int count = static_cast<int>(SendMessageW(listView, LVM_GETITEMCOUNT, 0, 0));
    bool ok = true;
    for (int row = 0; row < count && ok; ++row) {
        LVITEMW item{};
        item.mask = LVIF_IMAGE;
        item.iItem = row;
        SIZE_T moved = 0;
        ok = WriteProcessMemory(process, remote, &item, sizeof item, &moved) &&
             SendMessageW(listView, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(remote)) &&
             ReadProcessMemory(process, remote, &item, sizeof item, &moved);
        images.push_back(item.iImage);
    }
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    if (!ok) return std::nullopt;
    return images;
}

}  // namespace probe
