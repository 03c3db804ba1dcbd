// UTF-8 inside the program, UTF-16 at the Windows API.
#pragma once

#include <string>
#include <string_view>

namespace kvr::platform::win32 {

std::wstring toWide(std::string_view utf8);
std::string toUtf8(std::wstring_view wide);
// Bytes in the system's ANSI code page to UTF-8.
std::string ansiToUtf8(std::string_view ansi);
// UTF-8 to the system's ANSI code page; what the code page lacks becomes its best-fit
// look-alike or "?". usedDefault, when given, tells whether a "?" had to stand in.
std::string utf8ToAnsi(std::string_view utf8, bool* usedDefault = nullptr);

}  // namespace kvr::platform::win32
