// A library of the system's loaded when a command first needs it instead of at start, where
// every library a program imports costs resident memory for its whole life; from the system
// folder by full path, so that a file of that name beside the program is never taken for it.
#pragma once

#include <windows.h>

namespace kvr::platform::win32 {

// The module, or nullptr when it cannot be loaded. Never freed: what was taken from it (its
// functions, the objects it made) may be in use until the program ends.
HMODULE loadSystemLibrary(const wchar_t* file);

// Points function at the library's export of that name; false when there is none.
template <typename F>
bool bind(HMODULE library, const char* name, F*& function) {
    // Through void (*)(), the function type that converts to any other without a warning.
    function = reinterpret_cast<F*>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
    return function != nullptr;
}

}  // namespace kvr::platform::win32
