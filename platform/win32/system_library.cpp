#include "platform/win32/system_library.h"

#include <string>

namespace kvr::platform::win32 {

HMODULE loadSystemLibrary(const wchar_t* file) {
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    std::wstring path(folder, length);
    path += L'\\';
    path += file;
    return LoadLibraryW(path.c_str());
}

}  // namespace kvr::platform::win32
