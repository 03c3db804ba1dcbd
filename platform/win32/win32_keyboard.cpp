#include "platform/win32/win32_keyboard.h"

#include <windows.h>

#include "platform/win32/text.h"

namespace kvr::platform {

std::uint32_t Win32Keyboard::mapVirtualKey(std::uint32_t code, std::uint32_t mapType) {
    return MapVirtualKeyW(code, mapType);
}

std::string Win32Keyboard::keyNameText(std::int32_t lParam) {
    wchar_t name[256] = {};
    const int length = GetKeyNameTextW(lParam, name, 255);
    return length > 0 ? win32::toUtf8(std::wstring_view(name, static_cast<std::size_t>(length)))
                      : std::string();
}

}  // namespace kvr::platform
