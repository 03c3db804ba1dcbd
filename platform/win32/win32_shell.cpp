#include "platform/win32/win32_shell.h"

#include <windows.h>
// Needs the types windows.h declares.
#include <shellapi.h>

#include <algorithm>
#include <cwchar>
#include <vector>

#include "platform/win32/text.h"

namespace kvr::platform {

namespace {

HWND toHwnd(Hwnd h) {
    return reinterpret_cast<HWND>(static_cast<UINT_PTR>(h));
}
Hwnd fromHwnd(HWND h) {
    return static_cast<Hwnd>(reinterpret_cast<UINT_PTR>(h));
}

// An icon from straight-alpha BGRA pixels; the shell copies it, the caller destroys it.
HICON makeIcon(int size, const std::vector<std::uint32_t>& pixels) {
    const auto count = static_cast<std::size_t>(size) * static_cast<std::size_t>(size);
    if (size <= 0 || pixels.size() < count) return nullptr;
    BITMAPV5HEADER header{};
    header.bV5Size = sizeof header;
    header.bV5Width = size;
    header.bV5Height = -size;  // top row first
    header.bV5Planes = 1;
    header.bV5BitCount = 32;
    header.bV5Compression = BI_BITFIELDS;
    header.bV5RedMask = 0x00FF0000;
    header.bV5GreenMask = 0x0000FF00;
    header.bV5BlueMask = 0x000000FF;
    header.bV5AlphaMask = 0xFF000000;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HBITMAP color = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS,
                                     &bits, nullptr, 0);
    if (screen) ReleaseDC(nullptr, screen);
    if (!color || !bits) {
        if (color) DeleteObject(color);
        return nullptr;
    }
    std::copy(pixels.begin(), pixels.begin() + static_cast<std::ptrdiff_t>(count),
              static_cast<std::uint32_t*>(bits));
    // The mask matters only where alpha is not drawn: opaque where the image mostly is.
    const int stride = ((size + 15) / 16) * 2;
    std::vector<BYTE> maskBits(static_cast<std::size_t>(stride) * static_cast<std::size_t>(size));
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            if ((pixels[static_cast<std::size_t>(y * size + x)] >> 24) < 128)
                maskBits[static_cast<std::size_t>(y * stride + x / 8)] |=
                    static_cast<BYTE>(0x80 >> (x % 8));
    HBITMAP mask = CreateBitmap(size, size, 1, 1, maskBits.data());
    ICONINFO info{};
    info.fIcon = TRUE;
    info.hbmColor = color;
    info.hbmMask = mask;
    HICON icon = mask ? CreateIconIndirect(&info) : nullptr;
    DeleteObject(color);
    if (mask) DeleteObject(mask);
    return icon;
}

// As much of text as fits a field of capacity units with its NUL, never half a surrogate pair.
void copyCut(const std::wstring& text, wchar_t* field, std::size_t capacity) {
    std::size_t n = std::min(text.size(), capacity - 1);
    if (n > 0 && n < text.size() && text[n - 1] >= 0xD800 && text[n - 1] <= 0xDBFF) --n;
    std::wmemcpy(field, text.data(), n);
    field[n] = L'\0';
}

}  // namespace

bool Win32Shell::notifyIcon(std::uint32_t message, const NotifyIcon& data) {
    NOTIFYICONDATAW record{};
    record.cbSize = sizeof record;
    record.hWnd = toHwnd(data.window);
    record.uID = data.id;
    record.uFlags = data.flags & (NIF_MESSAGE | NIF_ICON | NIF_TIP);
    record.uCallbackMessage = data.callbackMessage;
    HICON icon = nullptr;
    if (record.uFlags & NIF_ICON) record.hIcon = icon = makeIcon(data.iconSize, data.icon);
    if (record.uFlags & NIF_TIP)
        copyCut(win32::toWide(data.tip), record.szTip, sizeof record.szTip / sizeof(wchar_t));
    const bool done = Shell_NotifyIconW(message, &record) != FALSE;
    if (icon) DestroyIcon(icon);
    return done;
}

std::uint32_t Win32Shell::getWindowThreadProcessId(Hwnd h, std::uint32_t& processId) {
    DWORD process = 0;
    const DWORD thread = GetWindowThreadProcessId(toHwnd(h), &process);
    processId = thread != 0 ? process : 0;
    return thread;
}

Hwnd Win32Shell::findWindow(const std::string& className) {
    return fromHwnd(FindWindowW(win32::toWide(className).c_str(), nullptr));
}

Hwnd Win32Shell::findWindowEx(Hwnd parent, Hwnd childAfter, const std::string& className) {
    return fromHwnd(FindWindowExW(toHwnd(parent), toHwnd(childAfter),
                                  win32::toWide(className).c_str(), nullptr));
}

bool Win32Shell::getWindowRect(Hwnd h, WindowRect& rect) {
    RECT r{};
    if (!GetWindowRect(toHwnd(h), &r)) return false;
    rect = {r.left, r.top, r.right, r.bottom};
    return true;
}

bool Win32Shell::getClientRect(Hwnd h, WindowRect& rect) {
    RECT r{};
    if (!GetClientRect(toHwnd(h), &r)) return false;
    rect = {r.left, r.top, r.right, r.bottom};
    return true;
}

bool Win32Shell::mapWindowPoints(Hwnd from, Hwnd to, int& x, int& y) {
    // 0 is also a valid answer (no offset): only the last error tells a failure.
    if ((from != 0 && !IsWindow(toHwnd(from))) || (to != 0 && !IsWindow(toHwnd(to)))) return false;
    POINT point{x, y};
    SetLastError(ERROR_SUCCESS);
    MapWindowPoints(toHwnd(from), toHwnd(to), &point, 1);
    if (GetLastError() != ERROR_SUCCESS) return false;
    x = point.x;
    y = point.y;
    return true;
}

bool Win32Shell::moveWindow(Hwnd h, int x, int y, int width, int height, bool repaint) {
    return MoveWindow(toHwnd(h), x, y, width, height, repaint ? TRUE : FALSE) != FALSE;
}

Hwnd Win32Shell::setParent(Hwnd child, Hwnd newParent) {
    return fromHwnd(SetParent(toHwnd(child), toHwnd(newParent)));
}

bool Win32Shell::lockWindowUpdate(Hwnd h) {
    return LockWindowUpdate(toHwnd(h)) != FALSE;
}

}  // namespace kvr::platform
