#include "probe_dialog.h"

#include <commctrl.h>

#include <algorithm>

#include "probe.h"
#include "remote_block.h"

namespace probe {

namespace {

std::string withoutAmpersands(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), '&'), text.end());
    return text;
}

BOOL CALLBACK collect(HWND child, LPARAM data) {
    ChildInfo info;
    info.hwnd = child;
    info.className = className(child);
    info.text = windowText(child);
    GetWindowRect(child, &info.rect);
    info.visible = IsWindowVisible(child) != FALSE;
    info.enabled = IsWindowEnabled(child) != FALSE;
    reinterpret_cast<std::vector<ChildInfo>*>(data)->push_back(info);
    return TRUE;
}

}  // namespace

std::vector<ChildInfo> childWindows(HWND parent) {
    std::vector<ChildInfo> children;
    EnumChildWindows(parent, collect, reinterpret_cast<LPARAM>(&children));
    return children;
}

std::vector<ChildInfo> visibleChildren(HWND parent, const std::string& cls) {
    std::vector<ChildInfo> found;
    for (const ChildInfo& c : childWindows(parent))
        if (c.visible && _wcsicmp(widen(c.className).c_str(), widen(cls).c_str()) == 0)
            found.push_back(c);
    std::stable_sort(found.begin(), found.end(), [](const ChildInfo& a, const ChildInfo& b) {
        // Fields of one row may differ in height by a pixel or two.
        if (std::abs(a.rect.top - b.rect.top) > 4) return a.rect.top < b.rect.top;
        return a.rect.left < b.rect.left;
    });
    return found;
}

std::optional<ChildInfo> visibleChildWithText(HWND parent, const std::string& text) {
    for (const ChildInfo& c : childWindows(parent))
        if (c.visible && withoutAmpersands(c.text) == withoutAmpersands(text)) return c;
    return std::nullopt;
}

std::optional<std::vector<std::string>> tabTexts(HWND tabControl) {
    constexpr int kChars = 256;
    RemoteBlock remote(tabControl, sizeof(TCITEMW) + kChars * sizeof(wchar_t));
    if (!remote.at()) return std::nullopt;
    std::vector<std::string> texts;
    const int count = static_cast<int>(SendMessageW(tabControl, TCM_GETITEMCOUNT, 0, 0));
    for (int tab = 0; tab < count; ++tab) {
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = reinterpret_cast<LPWSTR>(remote.at() + sizeof(TCITEMW));
        item.cchTextMax = kChars;
        wchar_t text[kChars] = {};
        if (!remote.write(0, &item, sizeof item) || !remote.write(sizeof item, text, sizeof text) ||
            !SendMessageW(tabControl, TCM_GETITEMW, tab, reinterpret_cast<LPARAM>(remote.at())) ||
            !remote.read(sizeof item, text, sizeof text))
            return std::nullopt;
        text[kChars - 1] = L'\0';
        texts.push_back(narrow(text));
    }
    return texts;
}

bool pointAt(HWND hwnd) {
    RECT r{};
    if (!GetWindowRect(hwnd, &r)) return false;
    const POINT centre{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    // The server may still be catching up with an earlier move that would take the pointer
    // back: it must stay where it was put for a while.
    const DWORD start = GetTickCount();
    for (int steady = 0; steady < 5;) {
        if (GetTickCount() - start > 3000) return false;
        POINT at{};
        GetCursorPos(&at);
        if (at.x == centre.x && at.y == centre.y) {
            ++steady;
        } else {
            steady = 0;
            SetCursorPos(centre.x, centre.y);
        }
        pump(20);
    }
    return true;
}

bool clickAt(HWND hwnd) {
    if (!pointAt(hwnd)) return false;
    INPUT clicks[2] = {};
    clicks[0].type = clicks[1].type = INPUT_MOUSE;
    clicks[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    clicks[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    return SendInput(2, clicks, sizeof(INPUT)) == 2;
}

bool typeText(const std::string& utf8) {
    std::vector<INPUT> keys;
    for (wchar_t c : widen(utf8)) {
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wScan = c;
        in.ki.dwFlags = KEYEVENTF_UNICODE;
        keys.push_back(in);
        in.ki.dwFlags |= KEYEVENTF_KEYUP;
        keys.push_back(in);
    }
    return SendInput(UINT(keys.size()), keys.data(), sizeof(INPUT)) == keys.size();
}

bool bringToFront(HWND hwnd, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (GetForegroundWindow() != hwnd) {
        if (GetTickCount() - start >= timeoutMs) return false;
        SetForegroundWindow(hwnd);
        pump(20);
    }
    return true;
}

bool regSetDword(const std::string& key, const std::string& name, DWORD value) {
    HKEY root = nullptr;
    std::wstring sub;
    if (!splitRootedKey(key, &root, &sub)) return false;
    HKEY opened = nullptr;
    if (RegCreateKeyExW(root, sub.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &opened,
                        nullptr) != ERROR_SUCCESS)
        return false;
    const bool ok =
        RegSetValueExW(opened, widen(name).c_str(), 0, REG_DWORD,
                       reinterpret_cast<const BYTE*>(&value), sizeof value) == ERROR_SUCCESS;
    RegCloseKey(opened);
    return ok;
}

}  // namespace probe
