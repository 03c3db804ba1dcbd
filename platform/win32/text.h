// UTF-8 inside the program, UTF-16 at the Windows API.
#pragma once

#include <string>
#include <string_view>

namespace kvr::platform::win32 {

std::wstring toWide(std::string_view utf8);
std::string toUtf8(std::wstring_view wide);
// Bytes in the system's ANSI code page to UTF-8.
std::string ansiToUtf8(std::string_view ansi);

}  // namespace kvr::platform::win32
