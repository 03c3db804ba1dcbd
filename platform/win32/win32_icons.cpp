#include "platform/win32/win32_icons.h"

#include <windows.h>
// Need the types windows.h declares.
#include <shellapi.h>

#include "platform/win32/icon_pixels.h"
#include "platform/win32/text.h"

namespace kvr::platform {

namespace {

HICON toIcon(IconHandle icon) {
    return reinterpret_cast<HICON>(static_cast<UINT_PTR>(icon));
}

}  // namespace

int Win32Icons::iconSize() {
    return GetSystemMetrics(SM_CXICON);
}

IconHandle Win32Icons::extractIcon(const std::string& file, std::uint32_t index) {
    // The wide call: a path outside the ANSI code page is found all the same.
    HICON icon = ExtractIconW(GetModuleHandleW(nullptr), win32::toWide(file).c_str(), index);
    // 1 says the file is no executable, library or icon file: no icon, and nothing to destroy.
    const auto value = reinterpret_cast<UINT_PTR>(icon);
    return value <= 1 ? 0 : static_cast<IconHandle>(value);
}

bool Win32Icons::drawIcon(Bitmap& bitmap, int x, int y, IconHandle icon) {
    const int size = iconSize();
    const std::vector<std::uint32_t> pixels = win32::iconPixels(toIcon(icon), size);
    if (pixels.empty()) return false;
    drawOver(bitmap, x, y, pixels, size);
    return true;
}

bool Win32Icons::destroyIcon(IconHandle icon) {
    return DestroyIcon(toIcon(icon)) != FALSE;
}

}  // namespace kvr::platform
